// Blitting and alpha compositing: the blend arithmetic with its rounding at both depths,
// tints, clipping (nothing written outside a surface), fills, additive layers, glyphs.
#include "GraphicsTestKit.h"

#include "foundation/QelBaseClasses.h"

namespace {

constexpr uint32_t k565(uint32_t r, uint32_t g, uint32_t b)
{
    return (r << 11) | (g << 5) | b;
}

}  // namespace

TEST(AlphaBlend32, PixelArithmeticKeepsItsRounding)
{
    struct Case {
        const char* What;
        uint8_t Alpha, Opacity, Tint;
        uint32_t Color, Src, Dst, Expected;
    };
    const Case cases[] = {
        {"opaque pixel copied, byte 3 kept", 255, 255, 0, 0, 0x11C86432, 0xEE0A0B0C, 0xEEC86432},
        {"alpha 128: (127*200 + 128*100) >> 8", 128, 255, 0, 0, 0x00C8C8C8, 0x00646464, 0x00959595},
        {"alpha 1 gives o = 0 and still lowers by one", 1, 255, 0, 0, 0x00FFFFFF, 0x00646464, 0x00636363},
        {"alpha 0 leaves the pixel", 0, 255, 0, 0, 0x00FFFFFF, 0x00646464, 0x00646464},
        {"opacity 128 halves: o = (128*255) >> 8 = 127", 255, 128, 0, 0, 0x00C8C8C8, 0x00646464, 0x00959595},
        {"tint 1 red paints red over any colour", 255, 255, 1, 0x0000FF, 0x00123456, 0x00000000, 0x00FC0000},
        {"tint 1 red over a red source keeps full red", 255, 255, 1, 0x0000FF, 0x00FF0000, 0x00000000, 0x00FD0000},
        {"tint 255 is nearly the source, rounding down", 255, 255, 255, 0x000000, 0x00FFFFFF, 0x00000000,
         0x00FCFCFC},
        {"tint below the colour rounds toward minus infinity", 255, 255, 128, 0xFFFFFF, 0x00000000, 0x00000000,
         0x007E7E7E},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        auto e = MakeEngine(32);
        MakeFilled(*e, "s", 1, 1, c.Src, c.Alpha);
        MakeFilled(*e, "d", 1, 1, c.Dst);
        e->DrawWithAlphaChannel("s", "d", 0, 0, c.Opacity, std::nullopt, c.Color, c.Tint);
        EXPECT_EQ(PixelAt(*e, "d", 0, 0), c.Expected) << std::hex << PixelAt(*e, "d", 0, 0);
    }
}

TEST(AlphaBlend16, ChannelsBlendInPlace)
{
    const uint32_t src = k565(25, 25, 6), dst = k565(12, 12, 3);
    struct Case {
        const char* What;
        uint8_t Alpha, Opacity, Tint;
        uint32_t Color, Expected;
    };
    const Case cases[] = {
        {"opaque pixel copied", 255, 255, 0, 0, src},
        {"alpha 128: ((128*d + 127*s) >> 8) per field", 128, 255, 0, 0, k565(18, 18, 4)},
        {"alpha 1 gives o = 0 and leaves the pixel", 1, 255, 0, 0, dst},
        {"tint 1 white paints nearly white, then blends at o = 254", 255, 255, 1, 0xFFFFFF, k565(29, 61, 29)},
        {"tint 255 leaves the source as it is", 255, 255, 255, 0xFFFFFF, k565(24, 24, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        auto e = MakeEngine(16);
        MakeFilled(*e, "s", 1, 1, src, c.Alpha);
        MakeFilled(*e, "d", 1, 1, dst);
        e->DrawWithAlphaChannel("s", "d", 0, 0, c.Opacity, std::nullopt, c.Color, c.Tint);
        EXPECT_EQ(PixelAt(*e, "d", 0, 0), c.Expected) << std::hex << PixelAt(*e, "d", 0, 0);
    }
}

class TBlitDepths : public TBothDepths {
protected:
    // A 20 x 1 source whose pixel x has the value x + 1, opaque.
    void MakeRamp(const char* name, int w, int h)
    {
        ASSERT_TRUE(E().NewSurface(name, w, h));
        E().CreateAlphaChannel(name, 255);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                SetPixel(E(), name, x, y, static_cast<uint32_t>(y * w + x + 1));
    }
};

TEST_P(TBlitDepths, NegativePositionSkipsSourceColumnsAndOverhangsAreCut)
{
    MakeRamp("s", 20, 1);
    MakeFilled(E(), "d", 30, 2, 0);
    E().DrawWithAlphaChannel("s", "d", -10, 0);
    EXPECT_EQ(PixelAt(E(), "d", 0, 0), 11u);
    EXPECT_EQ(PixelAt(E(), "d", 9, 0), 20u);
    EXPECT_EQ(PixelAt(E(), "d", 10, 0), 0u);
    E().DrawWithAlphaChannel("s", "d", 25, 0);
    EXPECT_EQ(PixelAt(E(), "d", 29, 0), 5u);
    EXPECT_EQ(PixelAt(E(), "d", 0, 1), 0u);  // nothing wrapped into the next row
}

TEST_P(TBlitDepths, GivenRectanglesAreCutToSourceAndDestination)
{
    MakeRamp("s", 20, 2);
    MakeFilled(E(), "d", 30, 3, 0);
    // Overhanging the right edge and reaching past the source: only what fits lands,
    // at the place it would have had.
    E().DrawWithAlphaChannel("s", "d", 25, 0, 255, TRect{2, 0, 40, 5});
    EXPECT_EQ(PixelAt(E(), "d", 25, 0), 3u);
    EXPECT_EQ(PixelAt(E(), "d", 29, 0), 7u);
    EXPECT_EQ(PixelAt(E(), "d", 25, 1), 23u);
    EXPECT_EQ(PixelAt(E(), "d", 0, 1), 0u);
    EXPECT_EQ(PixelAt(E(), "d", 0, 2), 0u);
    EXPECT_EQ(PixelAt(E(), "d", 25, 2), 0u);
    // A rectangle starting left of the source keeps the picture where it belongs.
    E().DrawWithAlphaChannel("s", "d", 0, 2, 255, TRect{-3, 0, 1, 0});
    EXPECT_EQ(PixelAt(E(), "d", 2, 2), 0u);
    EXPECT_EQ(PixelAt(E(), "d", 3, 2), 1u);
    EXPECT_EQ(PixelAt(E(), "d", 4, 2), 2u);
    // Entirely outside: nothing at all.
    E().DrawWithAlphaChannel("s", "d", 40, 0);
    E().DrawWithAlphaChannel("s", "d", 0, 0, 255, TRect{50, 0, 60, 0});
}

TEST_P(TBlitDepths, SourceWithoutAlphaIsCopiedOpaquelyWithTheRectangleMadeExclusive)
{
    MakeRamp("s", 4, 4);
    E().FindSurface("s")->Alpha.clear();
    E().FindSurface("s")->AlphaPitch = -1;
    MakeFilled(E(), "d", 8, 8, 0);
    E().DrawWithAlphaChannel("s", "d", 2, 2, 10, TRect{1, 1, 2, 2}, 0xFFFFFF, 1);
    EXPECT_EQ(PixelAt(E(), "d", 2, 2), 6u);
    EXPECT_EQ(PixelAt(E(), "d", 3, 3), 11u);
    EXPECT_EQ(PixelAt(E(), "d", 4, 4), 0u);
}

TEST_P(TBlitDepths, OpaqueCopyMovesNegativePositionsWithoutShiftingAndRefusesMisfits)
{
    MakeRamp("s", 4, 1);
    MakeFilled(E(), "d", 6, 1, 0);
    E().DrawSurface("s", "d", -5, 0);
    EXPECT_EQ(PixelAt(E(), "d", 0, 0), 1u);
    EXPECT_EQ(PixelAt(E(), "d", 3, 0), 4u);
    E().DrawSurface("s", "d", 1, 0, TRect{2, 0, 4, 1});
    EXPECT_EQ(PixelAt(E(), "d", 1, 0), 3u);
    // Reaching past the destination or the source: refused with the engine's message.
    try {
        E().DrawSurface("s", "d", 4, 0);
        FAIL() << "expected an exception";
    } catch (const TQelException& e) {
        EXPECT_STREQ(e.what(), "Exception Error in TSurfEngine.DrawSurface.  naSource: s naDest: d");
    }
    EXPECT_THROW(E().DrawSurface("s", "d", 0, 0, TRect{0, 0, 5, 1}), TQelException);
    EXPECT_THROW(E().DrawSurfaceInd(0, 1, 4, 0), TQelException);
    EXPECT_EQ(PixelAt(E(), "d", 5, 0), 0u);
    // Through the alpha draw the failure is reported with its position and rectangle.
    E().FindSurface("s")->Alpha.clear();
    E().FindSurface("s")->AlphaPitch = -1;
    try {
        E().DrawWithAlphaChannel("s", "d", 4, 0);
        FAIL() << "expected an exception";
    } catch (const TQelException& e) {
        EXPECT_STREQ(e.what(), "Exception Error in TSurfEngine.DrawWithAlphaChannel.  naSource: s naDest: d x: 4 y: 0 "
                               "Rect (l:0 t:0 r:3 b:0)");
    }
}

TEST_P(TBlitDepths, RealPositionAtWholeNumbersSamplesOneRightAndOneDown)
{
    MakeRamp("s", 4, 4);
    MakeFilled(E(), "d", 10, 10, 0);
    E().DrawWithAlphaChannelInReal("s", "d", 5.0, 5.0);
    // w11 = 255: colour (255 * s) >> 8 of pixel (1, 1), alpha 254 blended over black.
    // The values are below 32, so at both depths they sit in one channel alone.
    auto expected = [](uint32_t s) { return (254 * ((255 * s) >> 8)) >> 8; };
    EXPECT_EQ(PixelAt(E(), "d", 5, 5), expected(6));
    EXPECT_EQ(PixelAt(E(), "d", 7, 7), expected(16));
    EXPECT_EQ(PixelAt(E(), "d", 8, 8), 0u);  // the last row and column only serve as neighbours

    MakeFilled(E(), "white", 3, 3, Rgb(255, 255, 255), 255);
    MakeFilled(E(), "d2", 6, 6, 0);
    E().DrawWithAlphaChannelInReal("white", "d2", 1.5, 2.25);
    const TRgb c = GetPixelRgb(E().Format(), PixelAt(E(), "d2", 1, 2));
    EXPECT_GT(c.R, 220);
    EXPECT_EQ(PixelAt(E(), "d2", 3, 2), 0u);
    // Far off any edge and overhanging: nothing outside is touched.
    E().DrawWithAlphaChannelInReal("white", "d2", -1.7, 4.5);
    E().DrawWithAlphaChannelInReal("white", "d2", 5.2, -2.5, 255, TRect{0, 0, 50, 50});
    E().DrawWithAlphaChannelInReal("white", "d2", 1e300, -1e300);
}

TEST_P(TBlitDepths, FillRectAlphaLimitsAndRounding)
{
    MakeFilled(E(), "s", 10, 2, 0);
    E().FillRectAlpha("s", TRect{-5, 0, 100, 1}, 255, 0xFFFFFF);
    const uint32_t full = Bits() == 32 ? 0x00FEFEFEu : k565(30, 62, 30);
    EXPECT_EQ(PixelAt(E(), "s", 0, 0), full);
    EXPECT_EQ(PixelAt(E(), "s", 8, 0), full);
    // A right edge beyond the surface becomes its last column, which is then excluded.
    EXPECT_EQ(PixelAt(E(), "s", 9, 0), 0u);
    EXPECT_EQ(PixelAt(E(), "s", 0, 1), 0u);
    E().FillRectAlpha("s", TRect{0, 1, 10, 2}, 80, 0);
    EXPECT_EQ(PixelAt(E(), "s", 9, 1), 0u);
}

TEST_P(TBlitDepths, FillSurfaceRectSetsBytesInsideTheLimits)
{
    MakeFilled(E(), "s", 4, 2, 0);
    E().FillSurfaceRect("s", 0x5A, TRect{1, 0, 3, 1});
    EXPECT_EQ(PixelAt(E(), "s", 0, 0), 0u);
    EXPECT_EQ(PixelAt(E(), "s", 1, 0), Bits() == 32 ? 0x5A5A5A5Au : 0x5A5Au);
    EXPECT_EQ(PixelAt(E(), "s", 3, 0), 0u);
    E().FillSurfaceRect("s", 0xFF, TRect{-10, -10, 100, 100});
    EXPECT_EQ(PixelAt(E(), "s", 2, 1), 0u);  // bottom beyond becomes the last row, excluded
}

TEST_P(TBlitDepths, AddSurfacesSaturatesPerChannelAndStaysInsideEverySurface)
{
    const uint32_t a = Bits() == 32 ? 0x80F01020u : k565(20, 40, 20);
    const uint32_t b = Bits() == 32 ? 0x80201020u : k565(20, 40, 1);
    const uint32_t sum = Bits() == 32 ? 0xFFFF2040u : k565(31, 63, 21);
    ASSERT_TRUE(E().NewSurface("target", 800, 600));
    MakeFilled(E(), "layer", 10, 10, a);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            SetPixel(E(), "target", x, y, b);
    E().AddSurfaces("target", "layer", std::nullopt, std::nullopt, std::nullopt, "target");
    EXPECT_EQ(PixelAt(E(), "target", 0, 0), sum);
    EXPECT_EQ(PixelAt(E(), "target", 9, 9), sum);
    EXPECT_EQ(PixelAt(E(), "target", 10, 0), b);  // past the small layer nothing is read

    MakeFilled(E(), "big", 800, 600, a);
    E().AddSurfaces("target", "big", std::nullopt, std::nullopt, std::nullopt, "target");
    EXPECT_EQ(PixelAt(E(), "target", 798, 598), sum);
    // The default limit (0, 0, 799, 599) has exclusive edges: the last column and row stay.
    EXPECT_EQ(PixelAt(E(), "target", 799, 0), b);
    EXPECT_EQ(PixelAt(E(), "target", 0, 599), b);
    // Rectangles at different places of first source and destination.
    MakeFilled(E(), "target2", 800, 600, b);
    E().AddSurfaces("target2", "layer", TRect{-50, -50, 900, 900}, TRect{100, 100, 120, 120}, TRect{5, 5, 25, 25},
                    "target2");
    EXPECT_EQ(PixelAt(E(), "target2", 100, 100), sum);
    EXPECT_EQ(PixelAt(E(), "target2", 104, 104), sum);
    EXPECT_EQ(PixelAt(E(), "target2", 105, 105), b);
    EXPECT_EQ(PixelAt(E(), "target2", 99, 99), b);
}

TEST_P(TBlitDepths, GlyphsAreTintedAndKeptInsideSmallDestinations)
{
    ASSERT_TRUE(E().NewSurface("glyphs", 8, 4));
    E().CreateAlphaChannel("glyphs", 255);
    MakeFilled(E(), "label", 5, 3, 0);
    const TCharsRect list[] = {
        {{0, 0, 3, 3}, 3, 1, 0xFFFFFF, 255},     // overhangs right and bottom
        {{0, 0, 3, 3}, -2, -2, 0xFFFFFF, 255},   // overhangs left and top
        {{6, 2, 20, 20}, 0, 2, 0xFFFFFF, 255},   // reaches past the glyph picture
        {{0, 0, 1, 1}, 100, 100, 0xFFFFFF, 255}, // entirely outside
    };
    E().DrawCharList("glyphs", "label", 99, list);
    // Tint 1 over black glyph pixels gives 254 (16 bits: 30, 62, 30), blended at o = 254.
    const uint32_t white = Bits() == 32 ? 0x00FCFCFCu : k565(29, 61, 29);
    EXPECT_EQ(PixelAt(E(), "label", 4, 2), white);
    EXPECT_EQ(PixelAt(E(), "label", 1, 1), white);
    EXPECT_EQ(PixelAt(E(), "label", 2, 0), 0u);
    EXPECT_EQ(PixelAt(E(), "label", 0, 0), white);
    EXPECT_EQ(PixelAt(E(), "label", 1, 2), white);
    EXPECT_EQ(PixelAt(E(), "label", 2, 2), 0u);
    // A glyph picture without alpha draws nothing.
    MakeFilled(E(), "plain", 4, 4, 0);
    MakeFilled(E(), "label2", 4, 4, 0);
    E().DrawCharList("plain", "label2", 1, list);
    EXPECT_EQ(PixelAt(E(), "label2", 3, 3), 0u);
}

TEST_P(TBlitDepths, WuLineWritesOnlyInsideTheFrameAndDarkensWithColourZero)
{
    MakeFilled(E(), "s", 40, 30, Rgb(200, 200, 200));
    const std::vector<uint32_t> before = Pixels(E(), "s");
    E().DrawWuLine("s", 0, 255, -1000, 10.5, 1e9, 10.5);
    E().DrawWuLine("s", 0x00FF00, 255, 20, -500, 21, 500);
    E().DrawWuLine("s", 0xFF, 255, NAN, 0, 5, 5);
    const TRgb mid = GetPixelRgb(E().Format(), PixelAt(E(), "s", 5, 10));
    EXPECT_LT(mid.R, 200);
    EXPECT_EQ(mid.R, mid.B);
    const TRgb green = GetPixelRgb(E().Format(), PixelAt(E(), "s", 20, 20));
    EXPECT_GT(green.G, green.R);
    EXPECT_NE(Pixels(E(), "s"), before);
    MakeFilled(E(), "t", 5, 5, Rgb(200, 200, 200));
    E().DrawWuLine("t", 0, 0, 0, 2, 5, 2);
    EXPECT_EQ(PixelAt(E(), "t", 2, 2), Rgb(200, 200, 200));
}

TEST_P(TBlitDepths, UnknownNamesAndZeroOpacityDoNothing)
{
    MakeFilled(E(), "d", 2, 2, 7);
    MakeFilled(E(), "s", 2, 2, 9, 255);
    E().DrawWithAlphaChannel("nothing", "d", 0, 0);
    E().DrawWithAlphaChannel("s", "nothing", 0, 0);
    E().DrawWithAlphaChannel("s", "d", 0, 0, 0);
    E().DrawWithAlphaChannelInReal("s", "d", 0, 0, 0);
    E().DrawSurface("s", "nothing", 0, 0);
    E().FillRectAlpha("nothing", TRect{0, 0, 1, 1}, 255, 0);
    E().AddSurfaces("d", "nothing", std::nullopt, std::nullopt, std::nullopt, "d");
    EXPECT_EQ(PixelAt(E(), "d", 1, 1), 7u);
}

// Run under the sanitizers this shows that no clipping sum overflows and nothing is
// read or written outside a surface, whatever the coordinates.
TEST_P(TBlitDepths, ExtremeCoordinatesNeverOverflowOrReachOutside)
{
    MakeFilled(E(), "d", 8, 8, 7);
    MakeFilled(E(), "s", 4, 4, 9, 255);
    MakeFilled(E(), "plain", 4, 4, 9);
    MakeFilled(E(), "fills", 8, 8, 7);
    constexpr int lo = INT32_MIN, hi = INT32_MAX;
    const TRect wild[] = {{lo, lo, hi, hi}, {hi, hi, lo, lo}, {lo, 0, lo, 3}, {hi - 1, 0, hi, 3}};
    for (int x : {lo, hi, lo + 1, -100000000}) {
        E().DrawWithAlphaChannel("s", "d", x, x);
        E().DrawWithAlphaChannelInReal("s", "d", x, -double(x));
        E().CopySurfaceWithAlpha("s", "d", std::nullopt, x, 0);
        E().AddAlphaChannel("s", "d", x, x, std::nullopt, 255);
        E().DrawShader("d", "none", std::nullopt, x, x, "s");
        for (const TRect& r : wild) {
            E().DrawWithAlphaChannel("s", "d", x, 0, 255, r);
            E().DrawWithAlphaChannelInReal("s", "d", 0, x, 255, r);
            E().FillRectAlpha("fills", r, 128, 0);
            E().FillSurfaceRect("fills", 1, r);
            E().AddSurfaces("d", "s", r, r, r, "d");
            const TCharsRect glyph[] = {{r, x, x, 0, 255}};
            E().DrawCharList("s", "d", 1, glyph);
        }
    }
    E().DrawSurface("plain", "d", 0, 0, TRect{lo, lo, hi, hi});  // cut to nothing at the screen edge
    E().DrawSurface("plain", "d", hi, hi);
    // Far positions alone draw nothing.
    MakeFilled(E(), "far", 8, 8, 7);
    for (int x : {lo, hi, -100000000}) {
        E().DrawWithAlphaChannel("s", "far", x, 0);
        E().DrawWithAlphaChannel("s", "far", 0, x);
        E().DrawWithAlphaChannelInReal("s", "far", x, 0);
    }
    EXPECT_EQ(Pixels(E(), "far"), std::vector<uint32_t>(64, 7));
}

INSTANTIATE_TEST_SUITE_P(Depths, TBlitDepths, ::testing::Values(16, 32), DepthName);
