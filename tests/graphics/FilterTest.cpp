// Whole-surface filters: blur and glow, alpha union and alpha from colour, mirror, hue/
// saturation/lightness, rotation and resizing, shaders.
#include "GraphicsTestKit.h"
#include "tests/common/TempFolder.h"

#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"

#include <cmath>
#include <numbers>

class TFilterDepths : public TBothDepths {};

TEST_P(TFilterDepths, BlurOfOnePixelFeedsItsFourNeighboursButNotItself)
{
    MakeFilled(E(), "s", 3, 3, 0, 0);
    E().FindSurface("s")->AlphaRow(1)[1] = 255;
    MakeFilled(E(), "d", 3, 3, Rgb(9, 9, 9));
    E().BlurAlphaChannel("s", "d", 1);
    EXPECT_EQ(E().FindSurface("d")->Alpha, (std::vector<uint8_t>{0, 63, 0, 63, 0, 63, 0, 63, 0}));
    EXPECT_EQ(PixelAt(E(), "d", 0, 0), 0u);  // the colour comes from the unset work surface
    // No passes, or a source without alpha, leave nothing.
    E().BlurAlphaChannel("s", "d", 0);
    EXPECT_EQ(E().FindSurface("d")->Alpha, std::vector<uint8_t>(9, 0));
    MakeFilled(E(), "plain", 3, 3, 0);
    E().BlurAlphaChannel("plain", "d", 3);
    EXPECT_EQ(E().FindSurface("d")->Alpha, std::vector<uint8_t>(9, 0));
    EXPECT_EQ(E().IndexOfSurface("__TempForBlurSrc"), -1);
    EXPECT_EQ(E().IndexOfSurface("__TempForBlurProc"), -1);
}

TEST(GlowFrame, TentTableRoundsHalvesToEvenAndToleratesZeroWidthRamps)
{
    const auto t = TSurfEngine::GlowTable(255, 250, 30, 0);
    const std::pair<int, int> expected[] = {{0, 0}, {1, 8}, {30, 255}, {140, 128}, {250, 0}, {251, 0}, {255, 0}};
    for (auto [q, v] : expected)
        EXPECT_EQ(t[static_cast<size_t>(q)], v) << q;
    const auto step = TSurfEngine::GlowTable(200, 100, 20, 20);
    EXPECT_EQ(step[19], 0);
    EXPECT_EQ(step[20], 200);
    EXPECT_EQ(step[60], 100);
}

TEST_P(TFilterDepths, GlowFrameSurroundsTheShapeAndKeepsTheSourceInside)
{
    MakeFilled(E(), "piece", 4, 4, Rgb(10, 20, 30), 255);
    const int e = 3, size = 4 + 2 * e + 2;
    MakeFilled(E(), "halo", size + 2, size + 2, 0, 0);
    E().MakeGlowFrame("piece", "halo", true, 255, 250, 30, 0, e, 0x00FFFF);
    const TSurface* h = E().FindSurface("halo");
    EXPECT_EQ(h->AlphaRow(e + 1)[e + 1], 255);       // the shape itself
    EXPECT_GT(h->AlphaRow(e + 2)[e - 1], 0);         // glow around it
    EXPECT_EQ(h->AlphaRow(0)[0], 0);
    EXPECT_EQ(PixelAt(E(), "halo", e + 1, e + 1), Rgb(10, 20, 30));
    EXPECT_NE(PixelAt(E(), "halo", 0, 0), 0u);       // coloured
    EXPECT_EQ(PixelAt(E(), "halo", size - 1, 0), 0u);  // the frame's last column keeps its colour
    EXPECT_EQ(E().IndexOfSurface("__TempForBlurFrame"), -1);
    // A destination smaller than the frame, or without an alpha plane, is written only
    // inside itself.
    MakeFilled(E(), "small", 3, 2, 0);
    E().MakeGlowFrame("piece", "small", true, 255, 40, 20, 0, e, 0xFF);
    EXPECT_EQ(E().FindSurface("small")->Alpha.size(), 6u);
}

TEST_P(TFilterDepths, AddAlphaChannelUnitesCoveragesInsideBothPlanes)
{
    MakeFilled(E(), "s", 4, 4, 0, 255);
    MakeFilled(E(), "d", 5, 5, 0);
    E().AddAlphaChannel("s", "d", 3, -2, std::nullopt, 255);
    const TSurface* d = E().FindSurface("d");
    ASSERT_TRUE(d->HasAlpha());
    EXPECT_EQ(d->AlphaRow(0)[3], 255);  // (255 - 254) * 255 >> 8 = 0 left uncovered
    EXPECT_EQ(d->AlphaRow(1)[4], 255);
    EXPECT_EQ(d->AlphaRow(2)[3], 0);
    EXPECT_EQ(d->AlphaRow(0)[2], 0);
    MakeFilled(E(), "half", 2, 1, 0, 128);
    E().FindSurface("d")->AlphaRow(4)[1] = 100;
    E().AddAlphaChannel("half", "d", 0, 4, std::nullopt, 255);
    EXPECT_EQ(d->AlphaRow(4)[0], 128);  // 255 - ((255 - 127) * 255 >> 8)
    EXPECT_EQ(d->AlphaRow(4)[1], 178);  // 255 - ((128 * 155) >> 8)
    // A rectangle of one column does nothing; a rectangle past the source reads nothing more.
    E().AddAlphaChannel("s", "d", 0, 3, TRect{0, 0, 0, 3}, 255);
    EXPECT_EQ(d->AlphaRow(3)[0], 0);
    E().AddAlphaChannel("s", "d", 0, 0, TRect{0, 0, 90, 90}, 255);
    EXPECT_EQ(d->AlphaRow(3)[3], 255);
    EXPECT_EQ(d->AlphaRow(3)[4], 0);
}

TEST_P(TFilterDepths, AlphaFromColorChannelReadsAGreyMaskAtBothDepths)
{
    MakeFilled(E(), "mask", 3, 2, Rgb(8, 16, 200));
    MakeFilled(E(), "pic", 2, 2, 0);
    E().AlphaFromColorChannel("mask", "pic", 0);
    const TSurface* p = E().FindSurface("pic");
    ASSERT_TRUE(p->HasAlpha());
    EXPECT_EQ(p->AlphaRow(1)[1], 200);  // offset 0: the blue byte
    E().AlphaFromColorChannel("mask", "pic", 2);
    EXPECT_EQ(p->AlphaRow(0)[0], 8);
}

TEST_P(TFilterDepths, MirrorSwapsColumnsAndAlphaAroundAnOddMiddle)
{
    ASSERT_TRUE(E().NewSurface("s", 3, 1));
    E().CreateAlphaChannel("s", 0);
    for (int x = 0; x < 3; ++x) {
        SetPixel(E(), "s", x, 0, static_cast<uint32_t>(x + 1));
        E().FindSurface("s")->Alpha[static_cast<size_t>(x)] = static_cast<uint8_t>(10 * x);
    }
    E().MirrorSurface("s");
    EXPECT_EQ(Pixels(E(), "s"), (std::vector<uint32_t>{3, 2, 1}));
    EXPECT_EQ(E().FindSurface("s")->Alpha, (std::vector<uint8_t>{20, 10, 0}));
}

TEST(AdjustHls, ZeroOffsetsStillMoveGreysByOneStep)
{
    auto e = MakeEngine(32);
    MakeFilled(*e, "grey", 1, 1, 0x00808080);
    e->AdjustHls("grey", 0, 0, 0);
    EXPECT_EQ(PixelAt(*e, "grey", 0, 0), 0x00818181u);
    MakeFilled(*e, "keep", 1, 1, 0xAB000000);
    e->AdjustHls("keep", 0, 0, 0);
    EXPECT_EQ(PixelAt(*e, "keep", 0, 0), 0xAB000000u);  // byte 3 stays
    auto e16 = MakeEngine(16);
    MakeFilled(*e16, "white", 1, 1, 0xFFFF);
    e16->AdjustHls("white", 0, 0, 0);
    EXPECT_EQ(PixelAt(*e16, "white", 0, 0), 0xFFFFu);
}

TEST(AdjustHls, HueTurnsTheOtherWayAt32BitsThanAt16)
{
    // Pure red at both depths, hue + 80 (a third of the circle).
    auto e32 = MakeEngine(32);
    MakeFilled(*e32, "p", 1, 1, 0x00FF0000);
    e32->AdjustHls("p", 80, 0, 0);
    auto e16 = MakeEngine(16);
    MakeFilled(*e16, "p", 1, 1, 0xF800);
    e16->AdjustHls("p", 80, 0, 0);
    const TRgb c32 = GetPixelRgb(e32->Format(), PixelAt(*e32, "p", 0, 0));
    const TRgb c16 = GetPixelRgb(e16->Format(), PixelAt(*e16, "p", 0, 0));
    EXPECT_GT(c16.G, 200);
    EXPECT_LT(c16.R, 20);
    EXPECT_GT(c32.B, 200);
    EXPECT_LT(c32.R, 20);
}

TEST(Resize, EnlargingLeavesTheLastColumnBlackAndTheFlagSwapsRedAndBlue)
{
    auto e = MakeEngine(32);
    MakeFilled(*e, "s", 10, 10, 0x00C86432, 255);
    e->ResizeSurface("s", 20, 20, true);
    const TSurface* s = e->FindSurface("s");
    ASSERT_EQ(s->Width, 20);
    EXPECT_TRUE(s->Source.empty());
    EXPECT_EQ(PixelAt(*e, "s", 0, 0), 0x003264C8u);
    EXPECT_EQ(PixelAt(*e, "s", 18, 19), 0x003264C8u);
    EXPECT_EQ(PixelAt(*e, "s", 19, 0), 0u);
    EXPECT_EQ(s->AlphaRow(5)[19], 0);
    EXPECT_EQ(s->AlphaRow(5)[18], 255);
    e->ResizeSurface("s", 30, 30, false);
    EXPECT_EQ(PixelAt(*e, "s", 0, 0), 0x003264C8u);
}

TEST(Resize, ShrinkingAveragesWithRoundedColumnWeights)
{
    auto e = MakeEngine(32);
    ASSERT_TRUE(e->NewSurface("s", 100, 100));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            SetPixel(*e, "s", x, y, static_cast<uint32_t>(2 * x));
    e->ResizeSurface("s", 50, 50, true);
    // Column 0 from columns 0 and 1 (weights 100, 50); column 1 from column 2 alone;
    // column 2 from columns 3, 4, 5 (weights 50, 100, 50).
    EXPECT_EQ(PixelAt(*e, "s", 0, 10), 1u);
    EXPECT_EQ(PixelAt(*e, "s", 1, 10), 4u);
    EXPECT_EQ(PixelAt(*e, "s", 2, 10), 8u);
    EXPECT_FALSE(e->FindSurface("s")->HasAlpha());

    MakeFilled(*e, "t", 10, 10, 0x00FFFFFF, 200);
    e->ResizeSurface("t", 6, 6, false);
    EXPECT_EQ(PixelAt(*e, "t", 0, 4), 0x00FFFFFFu);
    EXPECT_EQ(e->FindSurface("t")->AlphaRow(4)[0], 200);
    // No source row follows the last result row: it stays black and transparent.
    EXPECT_EQ(PixelAt(*e, "t", 0, 5), 0u);
    EXPECT_EQ(e->FindSurface("t")->AlphaRow(5)[0], 0);
}

TEST(Resize, MixedAndImpossibleSizesNeverDivideByZero)
{
    for (int bits : {16, 32}) {
        auto e = MakeEngine(bits);
        MakeFilled(*e, "s", 7, 5, 0xFFFF, 255);
        e->ResizeSurface("s", 0, 10, true);
        e->ResizeSurface("s", -4, 10, true);
        int32_t w = 0, h = 0;
        e->GetSurfaceSize("s", w, h);
        EXPECT_EQ(w, 7);
        e->ResizeSurface("s", 3, 40, true);  // one side shrinks, the other grows
        e->GetSurfaceSize("s", w, h);
        EXPECT_EQ(w, 3);
        EXPECT_EQ(h, 40);
        e->ResizeSurface("missing", 3, 3, true);
    }
}

TEST_P(TFilterDepths, RotationByZeroKeepsThePictureAndAQuarterTurnClearsCorners)
{
    ASSERT_TRUE(E().NewSurface("s", 4, 4));
    E().CreateAlphaChannel("s", 255);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            SetPixel(E(), "s", x, y, Rgb(static_cast<uint8_t>(x * 64), static_cast<uint8_t>(y * 64), 0));
    const std::vector<uint32_t> before = Pixels(E(), "s");
    E().RotateSurface("s", 1.5, 0, 1.5);
    EXPECT_EQ(Pixels(E(), "s"), before);
    ASSERT_TRUE(E().NewSurface("r", 4, 2));
    E().CreateAlphaChannel("r", 255);
    E().RotateSurface("r", 0, std::numbers::pi / 2, 0);
    EXPECT_EQ(E().FindSurface("r")->AlphaRow(1)[3], 0);
    EXPECT_EQ(E().FindSurface("r")->AlphaRow(0)[0], 255);
}

TEST(ShaderKernels, CentreOnlyAndFlatKernels)
{
    const TShaderKernel centre = TSurfaceShader::KernelFor(128, 128, 255);
    EXPECT_EQ(centre, (TShaderKernel{0, 0, 0, 0, 255, 0, 0, 0, 0}));
    const TShaderKernel flat = TSurfaceShader::KernelFor(17, 200, 0);
    EXPECT_EQ(flat, (TShaderKernel{28, 28, 28, 28, 28, 28, 28, 28, 28}));
    const TShaderKernel corner = TSurfaceShader::KernelFor(0, 0, 200);
    EXPECT_GT(corner[0], corner[8]);
}

namespace {

// A shader picture of one colour, as an archive entry.
TArchiveEntry ShaderEntry(const std::string& name, int size, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> bgr;
    for (int i = 0; i < size * size; ++i)
        bgr.insert(bgr.end(), {b, g, r});
    return {name, EncodePng(size, size, bgr, {})};
}

// Some red, green, blue whose nine rounded weights add up past 255.
std::array<uint8_t, 3> OverfullKernelColour()
{
    for (int r = 0; r < 256; r += 5)
        for (int b = 1; b < 256; b += 3) {
            const TShaderKernel k = TSurfaceShader::KernelFor(static_cast<uint8_t>(r), 100, static_cast<uint8_t>(b));
            int sum = 0;
            for (uint8_t w : k)
                sum += w;
            if (sum > 256 && k[4] < 250)
                return {static_cast<uint8_t>(r), 100, static_cast<uint8_t>(b)};
        }
    return {0, 0, 0};
}

}  // namespace

TEST_P(TFilterDepths, ShadersLoadFromTheArchiveAndStayInsideEverySurface)
{
    TTempFolder folder;
    const auto over = OverfullKernelColour();
    ASSERT_NE(over[2], 0) << "no overfull kernel found";
    WriteFileFolder(folder / "game.zxc", {ShaderEntry("ShaderFlat.png", 8, 0, 0, 0),
                                          ShaderEntry("ShaderKeep.png", 8, 128, 128, 255),
                                          ShaderEntry("ShaderOver.png", 8, over[0], over[1], over[2]),
                                          ShaderEntry("Other.png", 8, 0, 0, 0),
                                          {"ShaderBad.png", {1, 2, 3}}});
    TDataSource archive(std::make_unique<TFileFolder>(folder / "game.zxc"));
    E().LoadAllShadersFromFolder(&archive);
    EXPECT_EQ(E().ShaderCount(), 3);
    EXPECT_EQ(E().IndexOfShader("ShaderKeep.png"), 1);
    EXPECT_EQ(E().IndexOfShader("Other.png"), -1);
    E().LoadAllShadersFromFolder(nullptr);

    MakeFilled(E(), "src", 20, 20, Rgb(200, 200, 200));
    MakeFilled(E(), "dst", 20, 20, 0);
    E().DrawShader("dst", "ShaderFlat.png", std::nullopt, 2, 2, "src");
    // The first row and column and the last two of the shader rectangle stay.
    EXPECT_EQ(PixelAt(E(), "dst", 2, 3), 0u);
    EXPECT_EQ(PixelAt(E(), "dst", 8, 8), 0u);
    EXPECT_NE(PixelAt(E(), "dst", 3, 3), 0u);
    EXPECT_NE(PixelAt(E(), "dst", 7, 7), 0u);
    if (Bits() == 32) {
        EXPECT_EQ(PixelAt(E(), "dst", 3, 3), 0x00C4C4C4u);  // (252 * 200) >> 8
    }

    MakeFilled(E(), "dst2", 20, 20, 0);
    E().DrawShader("dst2", "ShaderKeep.png", std::nullopt, 2, 2, "src");
    EXPECT_EQ(PixelAt(E(), "dst2", 4, 4), 0u);

    // Weights past 255 saturate a white source instead of wrapping it dark.
    MakeFilled(E(), "white", 20, 20, Rgb(255, 255, 255));
    E().DrawShader("dst2", "ShaderOver.png", std::nullopt, 2, 2, "white");
    EXPECT_EQ(PixelAt(E(), "dst2", 4, 4), Rgb(255, 255, 255));

    // Near the edges of small surfaces and with rectangles past the shader picture.
    MakeFilled(E(), "tiny", 5, 5, 0);
    E().DrawShader("tiny", "ShaderFlat.png", TRect{-4, -4, 30, 30}, 3, 3, "src");
    E().DrawShader("dst", "ShaderFlat.png", std::nullopt, 16, 16, "tiny");
    E().DrawShader("dst", "ShaderFlat.png", std::nullopt, -1, 0, "src");
    E().DrawShader("dst", "missing", std::nullopt, 0, 0, "src");
}

INSTANTIATE_TEST_SUITE_P(Depths, TFilterDepths, ::testing::Values(16, 32), DepthName);
