// Pixel-format analysis, conversions and the named surface store.
#include "GraphicsTestKit.h"

TEST(PixelFormat, NamesShiftsAndBitCountsFromMasks)
{
    struct Case {
        TDisplayFormat Display;
        const char* Name;
        int RedShift, GreenShift, BlueShift, RedBits, GreenBits, BlueBits;
    };
    const Case cases[] = {
        {{32, 0xFF0000, 0xFF00, 0xFF}, "B8G8R8", 16, 8, 0, 8, 8, 8},
        {{32, 0xFF, 0xFF00, 0xFF0000}, "R8G8B8", 0, 8, 16, 8, 8, 8},
        {{16, 0xF800, 0x7E0, 0x1F}, "B5G6R5", 11, 5, 0, 5, 6, 5},
        {{16, 0x7C00, 0x3E0, 0x1F}, "B5G5R5", 10, 5, 0, 5, 5, 5},
    };
    for (const Case& c : cases) {
        TPixelFormat f = TPixelFormat::Analyse(c.Display);
        EXPECT_EQ(f.Name, c.Name);
        EXPECT_EQ(f.Red.Shift, c.RedShift);
        EXPECT_EQ(f.Green.Shift, c.GreenShift);
        EXPECT_EQ(f.Blue.Shift, c.BlueShift);
        EXPECT_EQ(f.Red.Bits, c.RedBits);
        EXPECT_EQ(f.Green.Bits, c.GreenBits);
        EXPECT_EQ(f.Blue.Bits, c.BlueBits);
    }
}

TEST(PixelFormat, ConversionDropsLowBitsWithoutRounding)
{
    const TPixelFormat f16 = TPixelFormat::Analyse(TDisplayFormat::Rgb565());
    const TPixelFormat f32 = TPixelFormat::Analyse(TDisplayFormat::Bgr32());
    EXPECT_EQ(RgbToPixel(f16, 255, 255, 255), 0xFFFFu);
    EXPECT_EQ(RgbToPixel(f16, 7, 3, 7), 0u);
    EXPECT_EQ(RgbToPixel(f16, 8, 4, 8), (1u << 11) | (1u << 5) | 1u);
    EXPECT_EQ(RgbToPixel(f32, 1, 2, 3), 0x010203u);
    EXPECT_EQ(GetPixelRgb(f16, 0xFFFF), (TRgb{248, 252, 248}));
    EXPECT_EQ(GetPixelRgb(f32, 0xAB010203), (TRgb{1, 2, 3}));
    // The colour layout of the 16-bit drawing: blue in the low field, red in the high.
    EXPECT_EQ(ColorTo16(0x0000FF, f16), 0xF800);
    EXPECT_EQ(ColorTo16(0xFF0000, f16), 0x001F);
    EXPECT_EQ(ColorTo16(0x00FF00, f16), 0x07E0);
}

TEST(SurfStore, DeletingTheMiddleSurfaceMovesTheLastIntoItsSlot)
{
    auto e = MakeEngine(32);
    ASSERT_TRUE(e->NewSurface("a", 1, 1));
    ASSERT_TRUE(e->NewSurface("b", 2, 1));
    ASSERT_TRUE(e->NewSurface("c", 3, 1));
    e->DeleteSurface("b");
    EXPECT_EQ(e->SurfaceCount(), 2);
    EXPECT_EQ(e->IndexOfSurface("a"), 0);
    EXPECT_EQ(e->IndexOfSurface("c"), 1);
    EXPECT_EQ(e->IndexOfSurface("b"), -1);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(e->GetSurfaceSize("c", w, h));
    EXPECT_EQ(w, 3);
    EXPECT_FALSE(e->GetSurfaceSize("b", w, h));
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST(SurfStore, ANameAddedTwiceLeadsToTheNewerRecordEvenAfterDeletes)
{
    auto e = MakeEngine(32);
    ASSERT_TRUE(e->NewSurface("x", 1, 1));
    ASSERT_TRUE(e->NewSurface("y", 1, 1));
    ASSERT_TRUE(e->NewSurface("x", 5, 5));  // the first "x" stays, unreachable
    EXPECT_EQ(e->IndexOfSurface("x"), 2);
    e->DeleteSurface("y");  // moves the newer "x" into slot 1
    EXPECT_EQ(e->IndexOfSurface("x"), 1);
    EXPECT_EQ(e->FindSurface("x")->Width, 5);
    e->DeleteSurface("x");
    // The hidden older record does not come back under the name.
    EXPECT_EQ(e->IndexOfSurface("x"), -1);
    EXPECT_EQ(e->SurfaceCount(), 1);
}

TEST(SurfStore, SurfacesThatCannotExistAreRefused)
{
    auto e = MakeEngine(32);
    EXPECT_FALSE(e->NewSurface("zero", 0, 10));
    EXPECT_FALSE(e->NewSurface("negative", 10, -1));
    EXPECT_FALSE(e->NewSurface("huge", 100000, 2));
    EXPECT_EQ(e->SurfaceCount(), 0);
}

TEST(SurfStore, AlphaPlanesAreCreatedFilledAndReadWithinBounds)
{
    auto e = MakeEngine(32);
    ASSERT_TRUE(e->NewSurface("s", 4, 3));
    e->FillAlphaChannel("s", 9);  // nothing without a plane
    EXPECT_FALSE(e->FindSurface("s")->HasAlpha());
    EXPECT_EQ(e->FindSurface("s")->AlphaPitch, -1);
    e->CreateAlphaChannel("s", 7);
    EXPECT_EQ(e->FindSurface("s")->AlphaPitch, 4);
    e->FillAlphaChannel("s", 200);
    e->FindSurface("s")->AlphaRow(2)[3] = 55;
    const struct {
        int X, Y;
        uint8_t Expected;
    } reads[] = {{0, 0, 200}, {3, 2, 55}, {4, 0, 0}, {-1, 0, 0}, {0, 3, 0}, {0, -1, 0}};
    for (const auto& r : reads)
        EXPECT_EQ(e->GetAlhpaFromSurf("s", r.X, r.Y), r.Expected) << r.X << "," << r.Y;
    EXPECT_EQ(e->GetAlhpaFromSurf("unknown", 0, 0), 0);
}

TEST(SurfStore, FillSurfaceSetsEveryByte)
{
    auto e = MakeEngine(16);
    ASSERT_TRUE(e->NewSurface("s", 3, 2));
    e->FillSurface("s", 0xAB);
    for (uint32_t p : Pixels(*e, "s"))
        EXPECT_EQ(p, 0xABABu);
}

class TStoreDepths : public TBothDepths {};

TEST_P(TStoreDepths, CopySurfaceWithAlphaIsClippedToBothSurfaces)
{
    MakeFilled(E(), "src", 4, 4, Rgb(200, 100, 50), 255);
    E().FindSurface("src")->AlphaRow(0)[0] = 17;
    MakeFilled(E(), "dst", 5, 5, 0);
    // Overhanging right, bottom, left and top in turn: only the overlap is copied.
    E().CopySurfaceWithAlpha("src", "dst", std::nullopt, 3, 3);
    ASSERT_TRUE(E().FindSurface("dst")->HasAlpha());
    EXPECT_EQ(E().GetAlhpaFromSurf("dst", 3, 3), 17);
    EXPECT_EQ(E().GetAlhpaFromSurf("dst", 4, 4), 255);
    EXPECT_EQ(E().GetAlhpaFromSurf("dst", 2, 2), 0);
    EXPECT_EQ(PixelAt(E(), "dst", 4, 4), Rgb(200, 100, 50));
    E().CopySurfaceWithAlpha("src", "dst", TRect{0, 0, 4, 4}, -3, -3);
    EXPECT_EQ(E().GetAlhpaFromSurf("dst", 0, 0), 255);
    EXPECT_EQ(PixelAt(E(), "dst", 0, 0), Rgb(200, 100, 50));
    EXPECT_EQ(PixelAt(E(), "dst", 1, 1), 0u);
    // A rectangle larger than the source reads nothing past it.
    E().CopySurfaceWithAlpha("src", "dst", TRect{-10, -10, 100, 100}, 0, 0);
    EXPECT_EQ(E().GetAlhpaFromSurf("dst", 0, 0), 17);
}

INSTANTIATE_TEST_SUITE_P(Depths, TStoreDepths, ::testing::Values(16, 32), DepthName);
