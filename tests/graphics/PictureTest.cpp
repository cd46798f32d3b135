// Pictures: PNG and JPEG decoding, the loaders from archive and files (with the split
// colour + mask form), damaged data, saving, and the rebuild after a format change.
#include "GraphicsTestKit.h"
#include "tests/common/TempFolder.h"

#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"

namespace {

std::vector<uint8_t> Fixture(const std::string& name)
{
    auto bytes = ReadFileBytes(std::filesystem::path(GLIM_TEST_DATA) / name);
    EXPECT_TRUE(bytes) << name;
    return bytes.value_or(std::vector<uint8_t>{});
}

// The game log of a test: remembers every line.
struct TLogLines {
    TManualClock Clock;
    TGameLog Log{{}, Clock};
    std::vector<std::string> Lines;
    TLogLines()
    {
        Log.Listener = [this](const std::string& m, const std::string&) { Lines.push_back(m); };
    }
};

std::unique_ptr<TDataSource> MakeArchive(const TTempFolder& folder, const std::vector<TArchiveEntry>& entries)
{
    const auto path = folder / "game.zxc";
    WriteFileFolder(path, entries);
    return std::make_unique<TDataSource>(std::make_unique<TFileFolder>(path));
}

// A JPEG of one colour (decodes back to it within a step or two).
std::vector<uint8_t> SolidJpeg(int w, int h, uint8_t b, uint8_t g, uint8_t r)
{
    std::vector<uint8_t> bgr;
    for (int i = 0; i < w * h; ++i)
        bgr.insert(bgr.end(), {b, g, r});
    return EncodeJpeg(w, h, bgr);
}

}  // namespace

TEST(PngDecoding, EveryColourTypeGivesBgrRowsAndAlphaOnlyWhenPresent)
{
    struct Case {
        const char* File;
        int Width, Height;
        bool HasAlpha;
        std::vector<uint8_t> FirstPixels;  // blue, green, red of the first pixels
        std::vector<uint8_t> Alpha;
    };
    const Case cases[] = {
        {"grey8.png", 3, 2, false, {0, 0, 0, 128, 128, 128, 255, 255, 255}, {}},
        {"grey1.png", 8, 1, false, {255, 255, 255, 0, 0, 0, 255, 255, 255}, {}},
        {"grey_alpha.png", 2, 1, true, {100, 100, 100, 200, 200, 200}, {50, 255}},
        {"rgb.png", 2, 2, false, {0, 0, 255, 0, 255, 0, 255, 0, 0}, {}},
        {"rgba.png", 2, 1, true, {30, 20, 10, 60, 50, 40}, {0, 128}},
        {"rgb16.png", 1, 1, false, {0x9A, 0x56, 0x12}, {}},
        {"palette.png", 2, 2, false, {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255}, {}},
        {"palette_trns.png", 2, 1, true, {0, 0, 255, 255, 255, 255}, {0, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        const TDecodedImage image = DecodePng(Fixture(c.File));
        EXPECT_EQ(image.Width, c.Width);
        EXPECT_EQ(image.Height, c.Height);
        EXPECT_EQ(image.HasAlpha, c.HasAlpha);
        ASSERT_GE(image.Bgr.size(), c.FirstPixels.size());
        EXPECT_EQ(std::vector<uint8_t>(image.Bgr.begin(), image.Bgr.begin() + c.FirstPixels.size()), c.FirstPixels);
        EXPECT_EQ(image.Alpha, c.Alpha);
    }
}

TEST(PngDecoding, DamagedOrOversizedDataRaisesInsteadOfCrashing)
{
    for (const char* file : {"truncated.png", "bad_crc.png", "huge.png"}) {
        SCOPED_TRACE(file);
        EXPECT_THROW(DecodePng(Fixture(file)), EImageError);
    }
    EXPECT_THROW(DecodePng(std::vector<uint8_t>{1, 2, 3}), EImageError);
    EXPECT_THROW(DecodeJpeg(std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0x00}), EImageError);
    EXPECT_THROW(DecodeJpeg(std::vector<uint8_t>{}), EImageError);
    EXPECT_THROW(DecodeJpeg(Fixture("rgb.png")), EImageError);
}

TEST(PngEncoding, RoundTripKeepsColoursAndAlpha)
{
    const std::vector<uint8_t> bgr = {1, 2, 3, 4, 5, 6, 7, 8, 9, 250, 251, 252};
    const std::vector<uint8_t> alpha = {0, 1, 128, 255};
    TDecodedImage back = DecodePng(EncodePng(2, 2, bgr, alpha));
    EXPECT_EQ(back.Bgr, bgr);
    EXPECT_EQ(back.Alpha, alpha);
    back = DecodePng(EncodePng(2, 2, bgr, {}));
    EXPECT_EQ(back.Bgr, bgr);
    EXPECT_FALSE(back.HasAlpha);
    EXPECT_THROW(EncodePng(0, 2, bgr, {}), EImageError);
}

TEST(JpegCoding, RoundTripOfASolidColourStaysClose)
{
    const TDecodedImage back = DecodeJpeg(SolidJpeg(16, 8, 40, 120, 200));
    ASSERT_EQ(back.Width, 16);
    ASSERT_EQ(back.Height, 8);
    EXPECT_FALSE(back.HasAlpha);
    EXPECT_NEAR(back.Bgr[0], 40, 2);
    EXPECT_NEAR(back.Bgr[1], 120, 2);
    EXPECT_NEAR(back.Bgr[2], 200, 2);
}

class TPictureDepths : public TBothDepths {
protected:
    TTempFolder folder_;
    TLogLines log_;
    void SetUp() override { E().SetGameLog(&log_.Log); }
};

TEST_P(TPictureDepths, AlphaLessPngHasAFullPlaneFromTheArchiveAndNoneFromAFile)
{
    auto archive = MakeArchive(folder_, {{"rgb.png", Fixture("rgb.png")}});
    E().LoadPngFromFileFolder(*archive, "fromArchive", "rgb.png");
    ASSERT_NE(E().FindSurface("fromArchive"), nullptr);
    EXPECT_EQ(E().FindSurface("fromArchive")->Alpha, std::vector<uint8_t>(4, 255));
    EXPECT_EQ(E().FindSurface("fromArchive")->Source, "rgb.png");
    EXPECT_EQ(PixelAt(E(), "fromArchive", 0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(PixelAt(E(), "fromArchive", 1, 1), Rgb(7, 3, 7));

    EXPECT_TRUE(E().LoadPngFromFile("fromFile", std::filesystem::path(GLIM_TEST_DATA) / "rgb.png"));
    EXPECT_FALSE(E().FindSurface("fromFile")->HasAlpha());
    EXPECT_EQ(E().FindSurface("fromFile")->AlphaPitch, -1);
    EXPECT_FALSE(E().LoadPngFromFile("missing", folder_ / "none.png"));
    EXPECT_EQ(E().FindSurface("missing"), nullptr);
}

TEST_P(TPictureDepths, SplitPairGivesJpegColoursAndMaskAlpha)
{
    auto archive = MakeArchive(folder_, {{"Logo._PNG", Fixture("mask4x2.png")}, {"Logo._JPG", SolidJpeg(4, 2, 0, 0, 255)}});
    E().LoadPngFromFileFolder(*archive, "Logo.png", "Logo.png");
    const TSurface* s = E().FindSurface("Logo.png");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Alpha, (std::vector<uint8_t>{0, 64, 128, 255, 255, 128, 64, 0}));
    EXPECT_GE(GetPixelRgb(E().Format(), PixelAt(E(), "Logo.png", 0, 0)).R, 240);
    EXPECT_TRUE(log_.Lines.empty());
}

TEST_P(TPictureDepths, SplitPairWithAMaskOfAnotherSizeUsesTheOverlapAndLogs)
{
    auto archive = MakeArchive(folder_, {{"Logo._PNG", Fixture("grey8.png")}, {"Logo._JPG", SolidJpeg(4, 3, 0, 0, 0)}});
    E().LoadPngFromFileFolder(*archive, "Logo", "Logo.png");
    const TSurface* s = E().FindSurface("Logo");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Alpha, (std::vector<uint8_t>{0, 128, 255, 255, 10, 20, 30, 255, 255, 255, 255, 255}));
    EXPECT_EQ(log_.Lines, std::vector<std::string>{"Error LoadSurfFromFile Logo.png"});
}

TEST_P(TPictureDepths, LoadSurfFromFileOrFileFolderLoadsOnceAndLogsDamage)
{
    auto archive = MakeArchive(folder_, {{"a.png", Fixture("rgba.png")},
                                         {"bad.png", Fixture("truncated.png")},
                                         {"bad.jpg", Fixture("rgb.png")},
                                         {"pic.jpg", SolidJpeg(8, 8, 1, 2, 3)}});
    EXPECT_TRUE(E().LoadSurfFromFileOrFileFolder(*archive, "a.png"));
    E().FindSurface("a.png")->Alpha[0] = 77;
    EXPECT_TRUE(E().LoadSurfFromFileOrFileFolder(*archive, "a.png"));
    EXPECT_EQ(E().FindSurface("a.png")->Alpha[0], 77);  // not loaded again
    EXPECT_EQ(E().SurfaceCount(), 1);

    EXPECT_TRUE(E().LoadSurfFromFileOrFileFolder(*archive, "pic.jpg", "Picture"));
    EXPECT_FALSE(E().FindSurface("Picture")->HasAlpha());
    EXPECT_FALSE(E().LoadSurfFromFileOrFileFolder(*archive, "absent.png"));
    EXPECT_FALSE(E().LoadSurfFromFileOrFileFolder(*archive, "a.bmp"));
    EXPECT_TRUE(log_.Lines.empty());

    EXPECT_FALSE(E().LoadSurfFromFileOrFileFolder(*archive, "bad.png"));
    EXPECT_FALSE(E().LoadSurfFromFileOrFileFolder(*archive, "bad.jpg"));
    // Each line names the picture and why it could not be read.
    ASSERT_EQ(log_.Lines.size(), 2u);
    EXPECT_EQ(log_.Lines[0].rfind("Error LoadSurfFromFile bad.png: PNG: ", 0), 0u) << log_.Lines[0];
    EXPECT_EQ(log_.Lines[1].rfind("Error LoadSurfFromFile bad.jpg: JPEG: ", 0), 0u) << log_.Lines[1];
}

TEST_P(TPictureDepths, FolderModeLoadsFromTheDataFolderIgnoringCase)
{
    std::filesystem::copy_file(std::filesystem::path(GLIM_TEST_DATA) / "rgb.png", folder_ / "Pic.PNG");
    TDataSource data(folder_.Path());
    EXPECT_TRUE(E().LoadSurfFromFileOrFileFolder(data, "pic.png"));
    EXPECT_FALSE(E().FindSurface("pic.png")->HasAlpha());
    EXPECT_EQ(E().FindSurface("pic.png")->Source, (folder_ / "Pic.PNG").string());
}

TEST_P(TPictureDepths, ScaleResamplesAndASizeRoundedToZeroKeepsThePicture)
{
    auto archive = MakeArchive(folder_, {{"a.png", Fixture("mask4x2.png")}, {"b.png", Fixture("mask4x2.png")}});
    EXPECT_TRUE(E().LoadSurfFromFileOrFileFolder(*archive, "a.png", {}, 2));
    int32_t w = 0, h = 0;
    E().GetSurfaceSize("a.png", w, h);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 1);
    EXPECT_TRUE(E().LoadSurfFromFileOrFileFolder(*archive, "b.png", {}, -1));
    E().GetSurfaceSize("b.png", w, h);
    EXPECT_EQ(w, 4);
    EXPECT_TRUE(log_.Lines.empty());
}

TEST_P(TPictureDepths, SavedPngReadsBackAsTheSurface)
{
    auto archive = MakeArchive(folder_, {{"a.png", Fixture("rgba.png")}});
    E().LoadPngFromFileFolder(*archive, "a", "a.png");
    std::vector<uint8_t> png;
    ASSERT_TRUE(E().SaveSurfaceToPng("a", png));
    const TDecodedImage back = DecodePng(png);
    EXPECT_EQ(back.Alpha, (std::vector<uint8_t>{0, 128}));
    std::vector<uint8_t> expected(6);
    PixelsToBgrRow(E().Format(), E().FindSurface("a")->Row(0), expected.data(), 2);
    EXPECT_EQ(back.Bgr, expected);
    std::vector<uint8_t> jpg;
    ASSERT_TRUE(E().SaveSurfaceToJpg("a", jpg));
    EXPECT_EQ(DecodeJpeg(jpg).Width, 2);
    EXPECT_FALSE(E().SaveSurfaceToPng("unknown", png));
}

TEST_P(TPictureDepths, ReinitSurfacesRebuildsEverySurfaceInItsOldOrder)
{
    auto archive = MakeArchive(folder_, {{"a.png", Fixture("rgb.png")},
                                         {"p.png", Fixture("rgba.png")},
                                         {"c.jpg", SolidJpeg(2, 2, 9, 9, 9)}});
    E().LoadPngFromFileFolder(*archive, "A", "a.png");
    ASSERT_TRUE(E().NewSurface("Blank", 3, 3));
    E().LoadJpgFromFileFolder(*archive, "C", "c.jpg");
    E().LoadPngFromFileFolder(*archive, "P", "p.png");
    ASSERT_TRUE(E().NewSurface("Scratch", 2, 2));
    const int other = Bits() == 16 ? 32 : 16;
    E().ChangeDisplayFormat(TDisplayFormat::ForDepth(other));
    EXPECT_FALSE(E().FindSurface("A")->HasPixels());
    std::vector<int> progress;
    E().Progress = [&](int p) { progress.push_back(p); };
    E().ReinitSurfaces(*archive, folder_.Path(), "P Scratch\tmissing", 600, 800);

    std::vector<std::string> order;
    for (int i = 0; i < E().SurfaceCount(); ++i) {
        order.push_back(E().SurfaceAt(i)->Name);
        EXPECT_TRUE(E().SurfaceAt(i)->HasPixels()) << order.back();
        EXPECT_EQ(E().IndexOfSurface(order.back()), i);
    }
    // The priority picture first (reloaded where it stood), then the rest rotated back
    // into their order; the made-in-memory surface comes back blank, same size.
    EXPECT_EQ(order, (std::vector<std::string>{"P", "A", "Blank", "C", "Scratch"}));
    EXPECT_EQ(E().FindSurface("A")->Alpha, std::vector<uint8_t>(4, 255));
    EXPECT_EQ(E().FindSurface("Blank")->Width, 3);
    EXPECT_EQ(PixelAt(E(), "A", 0, 0), RgbToPixel(E().Format(), 255, 0, 0));
    // Step i reports i * 100 / (n - 1) after rebuilding; the last step met the already
    // reloaded priority picture and rebuilt nothing.
    EXPECT_EQ(progress, (std::vector<int>{25, 50, 75}));
}

INSTANTIATE_TEST_SUITE_P(Depths, TPictureDepths, ::testing::Values(16, 32), DepthName);
