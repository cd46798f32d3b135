// The level as it is drawn: the piece pictures a level makes, the scene picture with its
// belt track and hatches, pieces on their stands (hatch cut, halo and tint, money bags,
// pieces not yet shown), the customers' bubbles and the clock panel, at both pixel depths.
#include "GameplayTestKit.h"

#include "effects/QelFXParticles.h"
#include "foundation/DataSource.h"
#include "gameplay/LevelGame.h"
#include "gameplay/LevelPainter.h"
#include "gameplay/SurfPictureMaker.h"
#include "graphics/ImageCodec.h"
#include "graphics/RedrawGrid.h"
#include "tests/graphics/GraphicsTestKit.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace {

namespace fs = std::filesystem;

constexpr const char* kFrame = "MemorySurface";

// A folder of small pictures written for one test and removed after it.
class TPictureFolder {
public:
    TPictureFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "glim-painter-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            folder_ = pattern;
    }
    ~TPictureFolder()
    {
        std::error_code ec;
        if (!folder_.empty())
            fs::remove_all(folder_, ec);
    }
    const fs::path& Path() const { return folder_; }

    // A picture of one colour, opaque.
    void Png(const std::string& name, int w, int h, uint8_t r, uint8_t g, uint8_t b)
    {
        std::vector<uint8_t> bgr;
        for (int i = 0; i < w * h; ++i)
            bgr.insert(bgr.end(), {b, g, r});
        std::vector<uint8_t> alpha(static_cast<size_t>(w) * h, 255);
        std::vector<uint8_t> bytes = EncodePng(w, h, bgr, alpha);
        std::ofstream(folder_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                              static_cast<std::streamsize>(bytes.size()));
    }

private:
    fs::path folder_;
};

// One white 4 x 4 particle at the effect's origin, for as long as the effect runs.
const char* kSparkEffect =
    "<ParticleEffect Name=\"efSpark\"><Functions><Function Name=\"FAt\" Dim=\"2\" Type=\"constant\"><Value>(0,0)"
    "</Value></Function></Functions><Morphs><Morph Name=\"MAt\" Dim=\"2\"><Functions><Function Name=\"FAt\"/>"
    "</Functions></Morph></Morphs><Particles><Particle Name=\"P\"><Parameter Name=\"Position\" Dim=\"2\" "
    "Morph=\"MAt\"/></Particle></Particles><ParticleSystems><ParticleSystem Name=\"S\" Template=\"P\">"
    "<InitParticles>1</InitParticles><Resource>Spark.png</Resource></ParticleSystem></ParticleSystems>"
    "</ParticleEffect>";

// A level on the straight belt from (100, 300) to (500, 300), 25 path units a pixel, with
// the test piece types; surfaces are made in memory at the depth of the test.
class LevelPainterTest : public ::testing::TestWithParam<int> {
protected:
    LevelPainterTest()
    {
        types.LoadFishkaTypesText(kTestTypes, testLog.log);
        TLevelLinks links;
        links.Types = &types;
        links.Log = &testLog.log;
        level = std::make_unique<tLevel>(links);
        TLenta lenta;
        lenta.SetPathScript(kStraightBelt);
        level->Lentas.push_back(std::move(lenta));
        level->Play.Flow.Phase = TLevelPhase::Running;
        level->Belt.TextureOffset = 1;
        level->Scene.BackPicture = "Back.jpg";
        level->Scene.LentaImage = "Lenta1.png";
        level->Scene.Stoika = {"Stoika.png", 20, 40};

        Filled(kFrame, 800, 600, Rgb(0, 0, 0));
        Filled("MainBackGround", 800, 600, Rgb(0, 0, 0));
        Filled("Back.jpg", 800, 600, Rgb(96, 96, 96));
        Filled("BackForLenta.jpg", 800, 600, Rgb(200, 40, 40));
        Filled("Lenta1.png", 42, 24, Rgb(255, 255, 255), 255);
        Filled("CellarPortal.png", 40, 20, Rgb(0, 0, 200), 255);
        Filled("CellarPortalMask.png", 40, 20, Rgb(255, 255, 255), 255);
        Filled("Stoika.png", 20, 40, Rgb(200, 0, 0), 255);
        Filled("ShadowStoika.png", 20, 10, Rgb(0, 0, 0), 255);
        Filled("Piece.png", 20, 40, Rgb(0, 200, 0), 255);
        Filled("Halo.png", 72, 92, Rgb(200, 0, 200), 255);
        Filled("Spark.png", 4, 4, Rgb(255, 255, 255), 255);
    }

    int Bits() const { return GetParam(); }
    uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) const { return RgbToPixel(surfaces.Format(), r, g, b); }
    // A picture of one pixel value: the first row set pixel by pixel, the others copied.
    void Filled(const std::string& name, int w, int h, uint32_t pixel, int alpha = -1)
    {
        surfaces.DeleteSurface(name);
        MakeFilled(surfaces, name, w, 1, pixel);
        std::vector<uint8_t> row(surfaces.FindSurface(name)->Row(0),
                                 surfaces.FindSurface(name)->Row(0) + w * surfaces.Format().BytesPerPixel());
        surfaces.DeleteSurface(name);
        ASSERT_TRUE(surfaces.NewSurface(name, w, h));
        for (int y = 0; y < h; ++y)
            std::copy(row.begin(), row.end(), surfaces.FindSurface(name)->Row(y));
        if (alpha >= 0)
            surfaces.CreateAlphaChannel(name, static_cast<uint8_t>(alpha));
    }
    // Near a colour: the 16-bit alpha planes taken from a colour channel are a little
    // short of opaque.
    bool Near(uint32_t pixel, uint32_t expected) const
    {
        const TRgb a = GetPixelRgb(surfaces.Format(), pixel);
        const TRgb b = GetPixelRgb(surfaces.Format(), expected);
        return std::abs(a.R - b.R) < 24 && std::abs(a.G - b.G) < 24 && std::abs(a.B - b.B) < 24;
    }
    uint32_t At(int x, int y, const char* surface = kFrame) const { return PixelAt(surfaces, surface, x, y); }
    uint32_t Colour(const char* picture) const { return PixelAt(surfaces, picture, 0, 0); }

    // A garment at a belt position with its picture's top left and its stand's top left.
    TFish& Put(int32_t position, double x, double y, double standX, double standY)
    {
        TFish fish;
        fish.Parts[0] = true;
        fish.Position = position;
        fish.X = x;
        fish.Y = y;
        fish.Width = 20;
        fish.Height = 40;
        fish.PathY = y + 40;
        fish.StandX = standX;
        fish.StandY = standY;
        fish.PictureName = "Piece.png";
        fish.HaloName = "Halo.png";
        level->Belt.Fishes.push_back(std::move(fish));
        return level->Belt.Fishes.back();
    }

    TLevelSceneView View(int64_t now = 1000) const
    {
        TLevelSceneView view;
        view.Now = now;
        return view;
    }

    TTestLog testLog;
    TFishkaTypes types;
    TSurfEngine surfaces{TDisplayFormat::ForDepth(GetParam())};
    TRedrawGrid grid;
    TPictureFolder folder;
    TDataSource data{folder.Path()};
    TLevelPainter painter{surfaces, grid, data, testLog.log};
    std::unique_ptr<tLevel> level;
};

INSTANTIATE_TEST_SUITE_P(Depths, LevelPainterTest, ::testing::Values(32, 16), DepthName);

// ---- Pictures the level makes -----------------------------------------------------------

TEST_P(LevelPainterTest, PiecePicturesAreMadeForEveryFirstCombinationTheFilesHave)
{
    // Dress_2 is a two-part type; a stray "_3" file still becomes its picture, since the
    // first seven combinations are tried for every type.
    for (const char* d : {"1", "2", "12", "3"})
        folder.Png(std::string("Dress_2_") + d + ".png", 30, 60, 40, 120, 200);
    level->LevelFishes = {0};
    level->Play.Customers.OrderWidth = 40;
    level->Play.Customers.OrderHeight = 48;
    TSurfPictureMaker maker(surfaces, data, nullptr);
    maker.MakeColorFishesSurfaces(*level);

    for (const char* d : {"1", "2", "12", "3"}) {
        SCOPED_TRACE(d);
        int32_t w = 0, h = 0;
        EXPECT_TRUE(surfaces.GetSurfaceSize(std::string("FishkaTypes0_") + d + ".png", w, h));
        EXPECT_EQ(w, 30);
        // The halo leaves room for the glow all round.
        EXPECT_TRUE(surfaces.GetSurfaceSize(std::string("FishkaTypes0Oreol_") + d + ".png", w, h));
        EXPECT_EQ(w, 30 + 53);
        EXPECT_EQ(h, 60 + 53);
    }
    for (const char* d : {"13", "23", "123", "4"}) {
        EXPECT_EQ(surfaces.FindSurface(std::string("FishkaTypes0_") + d + ".png"), nullptr) << d;
        EXPECT_EQ(surfaces.FindSurface(std::string("FishkaTypes0Oreol_") + d + ".png"), nullptr) << d;
    }
    // The type's colour offsets change the pixels; the halo glows yellow around the shape.
    EXPECT_NE(At(5, 5, "FishkaTypes0_1.png"), Rgb(40, 120, 200));
    EXPECT_GT(surfaces.GetAlhpaFromSurf("FishkaTypes0Oreol_1.png", 20, 40), 0);
    EXPECT_EQ(surfaces.GetAlhpaFromSurf("FishkaTypes0Oreol_1.png", 0, 0), 0);

    // The order picture fills the order height, its width in proportion.
    int32_t w = 0, h = 0;
    EXPECT_TRUE(surfaces.GetSurfaceSize("PFishkaTypes0_all.png", w, h));
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 48);
    EXPECT_TRUE(testLog.Lines.empty());
}

TEST_P(LevelPainterTest, AMissingOrderPictureLeavesTheLaterTypesTheirPictures)
{
    // Hat_3 (index 3) has pieces but no complete outfit picture; Gown_4 (index 4) follows.
    folder.Png("Hat_3_1.png", 30, 60, 200, 0, 0);
    folder.Png("Gown_4_1.png", 24, 48, 0, 200, 0);
    folder.Png("Gown_4_34.png", 24, 48, 0, 200, 0);
    folder.Png("Gown_4_1234.png", 24, 48, 0, 200, 0);
    level->LevelFishes = {4, 3};
    level->Play.Customers.OrderWidth = 40;
    level->Play.Customers.OrderHeight = 48;
    TSurfPictureMaker maker(surfaces, data, nullptr);
    maker.MakeColorFishesSurfaces(*level);

    EXPECT_NE(surfaces.FindSurface("FishkaTypes3_1.png"), nullptr);
    EXPECT_EQ(surfaces.FindSurface("PFishkaTypes3_all.png"), nullptr);
    EXPECT_NE(surfaces.FindSurface("FishkaTypes4_1.png"), nullptr);
    EXPECT_NE(surfaces.FindSurface("FishkaTypes4_34.png"), nullptr);  // four-part combinations too
    int32_t w = 0, h = 0;
    EXPECT_TRUE(surfaces.GetSurfaceSize("PFishkaTypes4_all.png", w, h));
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 48);
}

TEST_P(LevelPainterTest, DemoTypesTheTableDoesNotHaveAreSkipped)
{
    folder.Png("plus1.png", 20, 20, 0, 0, 200);
    level->Demo.Playback = true;
    level->LevelFishes = {0};
    TSurfPictureMaker maker(surfaces, data, nullptr);
    maker.MakeColorFishesSurfaces(*level);  // the demo scene's types lie beyond the five of the table
    EXPECT_TRUE(testLog.Lines.empty());
    EXPECT_NE(surfaces.FindSurface("plus1Oreol.png"), nullptr);
    EXPECT_EQ(surfaces.FindSurface("FishkaTypes0_1.png"), nullptr);
}

TEST_P(LevelPainterTest, PixelLevelsGetTheSmallPiecesAndTheBonusTagItsBackdrop)
{
    folder.Png("Dress_2_1.png", 28, 56, 40, 120, 200);
    folder.Png("UnderBonusMoney.png", 30, 12, 10, 20, 30);
    level->Scene.LevelState = TLevelState::lsPixel;
    level->LevelFishes = {0};
    TSurfPictureMaker maker(surfaces, data, nullptr);
    maker.MakeColorFishesSurfaces(*level);
    int32_t w = 0, h = 0;
    EXPECT_TRUE(surfaces.GetSurfaceSize("smallFishkaTypes0_1.png", w, h));
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 40);

    // Without fonts the tag is its backdrop alone.
    maker.MakeBonusMoneyPicture("+$12");
    EXPECT_TRUE(surfaces.GetSurfaceSize("BonusMoney.png", w, h));
    EXPECT_EQ(w, 30);
    EXPECT_EQ(At(3, 3, "BonusMoney.png"), At(3, 3, "UnderBonusMoney.png"));
}

// ---- The scene picture ------------------------------------------------------------------

TEST_P(LevelPainterTest, TheTrackShowsAlongTheBeltAndTheHatchesSitAtBothEnds)
{
    painter.MakeMainBackground(*level, TLevelGame());
    // The hatch is centred on the path 500 units (20 pixels) from either end.
    EXPECT_EQ(painter.StartHatch(), (TPoint{100, 290}));
    EXPECT_EQ(painter.EndHatch(), (TPoint{460, 290}));
    EXPECT_EQ(At(110, 295, "MainBackGround"), Colour("CellarPortal.png"));
    EXPECT_EQ(At(470, 295, "MainBackGround"), Colour("CellarPortal.png"));
    // The belt's texture on the track, the plain back picture away from it.
    EXPECT_NE(At(300, 300, "MainBackGround"), Colour("Back.jpg"));
    EXPECT_EQ(At(300, 100, "MainBackGround"), Colour("Back.jpg"));
    // Each lip is the scene under its hatch.
    EXPECT_EQ(At(10, 5, "CellarPortalMaskDraw.png"), Colour("CellarPortal.png"));
    EXPECT_GE(surfaces.GetAlhpaFromSurf("CellarPortalMaskDraw2.png", 10, 5), 240);
    EXPECT_TRUE(testLog.Lines.empty());
}

// ---- Pieces -----------------------------------------------------------------------------

TEST_P(LevelPainterTest, APieceRisingFromTheHatchShowsAboveTheLineUnderTheLip)
{
    painter.MakeMainBackground(*level, TLevelGame());
    TFish& fish = Put(200, 110, 300, 110, 310);
    painter.FishDraw(*level, fish, kFrame, View());

    // The hatch line lies 38 pixels under the hatch's top: row 328.
    EXPECT_TRUE(Near(At(115, 305), At(115, 305, "MainBackGround")));  // the lip over the piece
    EXPECT_EQ(At(115, 320), Colour("Piece.png"));
    EXPECT_EQ(At(115, 328), Colour("Piece.png"));
    EXPECT_EQ(At(115, 329), Rgb(0, 0, 0));  // neither piece nor stand below the line
    EXPECT_EQ(At(115, 335), Rgb(0, 0, 0));
    EXPECT_GT(grid.Count(115 / 20 + 1, 300 / 20 + 1), 0u);
}

TEST_P(LevelPainterTest, TheStandIsCutAtTheHatchLineAndNeverReadsBeyondItsPicture)
{
    painter.MakeMainBackground(*level, TLevelGame());
    struct TCase {
        int32_t Position;
        int StandY;
        int Rows;  // rows of the stand that show
    };
    const TCase cases[] = {
        {200, 200, 40},   // wholly above the line
        {200, 310, 19},   // down to the line, row 328 included
        {200, 328, 1},
        {200, 329, 0},    // just below the line: nothing, not a rectangle upside down
        {200, 400, 0},
        {9800, 310, 19},  // the end hatch cuts the same
        {5000, 310, 40},  // between the hatches nothing is cut
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Position) + " at " + std::to_string(c.StandY));
        Filled(kFrame, 800, 600, Rgb(0, 0, 0));
        level->Belt.Fishes.clear();
        // Beside the lips, so only the stand is seen in that column.
        TFish& fish = Put(c.Position, 0, 0, 130, c.StandY);
        fish.PictureName.clear();
        painter.FishDraw(*level, fish, kFrame, View());
        int rows = 0;
        for (int y = 0; y < 600; ++y)
            rows += At(145, y) == Colour("Stoika.png");
        EXPECT_EQ(rows, c.Rows);
    }
}

TEST_P(LevelPainterTest, HighlightTintsWithoutASelectionAndShowsTheHaloWithOne)
{
    struct TCase {
        TFishKind Kind;
        bool Highlighted;
        bool Selected;
        int32_t SelectedIndex;
        bool Halo;
        bool Tint;
    };
    const TCase cases[] = {
        {TFishKind::Garment, true, false, -1, false, true},
        {TFishKind::Garment, true, false, 1, true, false},
        {TFishKind::Garment, false, true, 0, true, false},
        {TFishKind::Garment, false, false, 1, false, false},
        {TFishKind::PlusOne, true, false, 1, true, false},
        {TFishKind::Reverse, true, false, 1, false, false},  // bonus pieces have no halo
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases));
        Filled(kFrame, 800, 600, Rgb(0, 0, 0));
        level->Belt.Fishes.clear();
        TFish& fish = Put(5000, 300, 200, 300, 240);
        fish.Kind = c.Kind;
        fish.Highlighted = c.Highlighted;
        fish.Selected = c.Selected;
        Put(8000, 600, 200, 600, 240);
        level->Belt.SelectedIndex = c.SelectedIndex;
        painter.FishDraw(*level, level->Belt.Fishes[0], kFrame, View());

        EXPECT_EQ(At(290, 205) == Colour("Halo.png"), c.Halo);
        const uint32_t centre = At(310, 215);
        if (c.Halo) {
            EXPECT_EQ(centre, Colour("Halo.png"));
        } else if (c.Tint) {
            const TRgb rgb = GetPixelRgb(surfaces.Format(), centre);
            EXPECT_GT(rgb.R, 30);  // pulled toward white
            EXPECT_GT(rgb.B, 30);
            EXPECT_GT(rgb.G, 190);
        } else {
            EXPECT_EQ(centre, Colour("Piece.png"));
        }
    }
}

TEST_P(LevelPainterTest, AMoneyBagHasAShadowButNoStand)
{
    for (TFishKind kind : {TFishKind::Garment, TFishKind::MoneyBag}) {
        SCOPED_TRACE(static_cast<int>(kind));
        Filled(kFrame, 800, 600, Rgb(255, 255, 255));
        level->Belt.Fishes.clear();
        TFish& fish = Put(5000, 0, 0, 300, 200);
        fish.Kind = kind;
        fish.PictureName.clear();
        painter.FishDraw(*level, fish, kFrame, View());
        // The shadow at (stand + (8, 75)), two fifths dark.
        EXPECT_NE(At(310, 278), Rgb(255, 255, 255));
        EXPECT_NE(At(310, 278), Colour("ShadowStoika.png"));
        EXPECT_EQ(At(305, 210) == Colour("Stoika.png"), kind == TFishKind::Garment);
    }
}

TEST_P(LevelPainterTest, APieceNotYetShownKeepsItsEffectRunning)
{
    TRandom random;
    struct TCase {
        int64_t BlinkAt;
        bool EffectShown;
        bool Picture;
        bool Spark;
    };
    const TCase cases[] = {
        {1500, false, false, false},
        {1500, true, false, true},  // an effect given the piece's place shows meanwhile
        {900, false, true, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases));
        Filled(kFrame, 800, 600, Rgb(0, 0, 0));
        level->Belt.Fishes.clear();
        TFish& fish = Put(5000, 300, 200, 300, 240);
        fish.BlinkAt = c.BlinkAt;
        fish.EffectShown = c.EffectShown;
        fish.EffectX = -20;  // beside the picture
        fish.EffectY = 10;
        fish.Effect = std::make_unique<TQelParticleEffect>();
        fish.Effect->Random = &random;
        fish.Effect->LoadFromText(kSparkEffect);
        fish.Effect->Start(500);
        fish.Effect->Validate();
        painter.FishDraw(*level, fish, kFrame, View(1000));

        EXPECT_EQ(fish.Effect->CurrentTime(), 1000u);
        EXPECT_EQ(At(310, 215) == Colour("Piece.png"), c.Picture);
        EXPECT_EQ(At(280, 210) != Rgb(0, 0, 0), c.Spark);
    }
}

TEST_P(LevelPainterTest, PiecesLowerOnTheScreenAreDrawnOverHigherOnes)
{
    Filled("Other.png", 20, 40, Rgb(0, 0, 200), 255);
    Put(5000, 300, 200, 300, 240).PathY = 250;
    TFish& higher = Put(4000, 305, 205, 305, 245);
    higher.PathY = 240;
    higher.PictureName = "Other.png";
    painter.DrawFishes(*level, kFrame, View());
    EXPECT_EQ(At(310, 215), Colour("Piece.png"));

    // Nothing is drawn once the level no longer runs.
    Filled(kFrame, 800, 600, Rgb(0, 0, 0));
    level->Play.Flow.Phase = TLevelPhase::Complete;
    painter.DrawFishes(*level, kFrame, View());
    EXPECT_EQ(At(310, 215), Rgb(0, 0, 0));
}

// ---- Customers and the clock panel --------------------------------------------------------

TEST_P(LevelPainterTest, TheBubbleShowsTheOrderPictureAndTheCountBesideIt)
{
    Filled("Girl.png", 20, 40, Rgb(0, 200, 0), 255);
    Filled("Bubble.png", 100, 80, Rgb(200, 200, 200), 255);
    Filled("PFishkaTypes0_all.png", 10, 8, Rgb(200, 0, 0), 255);
    Filled("3.png", 6, 6, Rgb(0, 0, 200), 255);
    Filled("12.png", 6, 6, Rgb(0, 0, 100), 255);
    struct TCase {
        uint8_t Shown;
        const char* Count;
        TPoint Order;
        TPoint CountAt;
    };
    // Bubble at (140, 280), 100 x 80: the order picture centred on it, 20 right; two-digit
    // counts move the picture 2 right and the count 6 left.
    const TCase cases[] = {
        {3, "3.png", {205, 289}, {150, 305}},
        {12, "12.png", {207, 289}, {144, 305}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Count);
        Filled(kFrame, 800, 600, Rgb(0, 0, 0));
        TPerson p;
        p.Picture = "Girl.png";
        p.Width = 20;
        p.Height = 40;
        p.X = 200;
        p.Y = 400;
        p.Bubble = "Bubble.png";
        p.BubbleX = -60;
        p.BubbleY = -120;
        p.BubbleWidth = 100;
        p.BubbleHeight = 80;
        TOrder order;
        order.Shown = c.Shown;
        order.OrderPicture = "PFishkaTypes0_all.png";
        order.OrderWidth = 10;
        order.OrderHeight = 8;
        p.Orders = {order};
        level->Play.Customers.Persons = {p};
        level->Play.Customers.DrawOrder = {0};
        painter.DrawPersons(*level, kFrame);

        EXPECT_EQ(At(190, 360), Colour("Girl.png"));  // bottom centre at (200, 400)
        EXPECT_EQ(At(189, 399), Rgb(0, 0, 0));
        EXPECT_EQ(At(140, 280), Colour("Bubble.png"));
        EXPECT_EQ(At(c.Order.X, c.Order.Y), Colour("PFishkaTypes0_all.png"));
        EXPECT_EQ(At(c.Order.X - 1, c.Order.Y), Colour("Bubble.png"));
        EXPECT_EQ(At(c.Order.X, c.Order.Y - 1), Colour("Bubble.png"));
        EXPECT_EQ(At(c.CountAt.X, c.CountAt.Y), Colour(c.Count));
        EXPECT_EQ(At(c.CountAt.X - 1, c.CountAt.Y - 1), Colour("Bubble.png"));
        // The bubble is marked as well as the customer.
        EXPECT_GT(grid.Count(150 / 20 + 1, 290 / 20 + 1), 0u);
    }
}

TEST_P(LevelPainterTest, TheClockPanelShowsTheTwelfthsUsedWhereTheLevelKindHasIt)
{
    for (int n = 0; n <= 12; ++n) {
        const std::string name = "MPanel_" + std::to_string(n) + ".png";
        Filled(name, 60, 60, Rgb(static_cast<uint8_t>(n * 16 + 8), static_cast<uint8_t>(255 - n * 16), 0), 255);
    }
    struct TCase {
        bool Pixel;
        int32_t TimeLeft;
        bool PanelVisible;
        int Picture;  // -1: not drawn
        TPoint At;
    };
    const TCase cases[] = {
        {false, 12000, true, 0, {1, 428}},
        {false, 6000, true, 6, {1, 428}},
        {false, 500, true, 12, {1, 428}},   // 11.5 rounds to the even twelve
        {false, 0, true, 12, {1, 428}},
        {false, 6000, false, -1, {1, 428}},  // the panel is hidden
        {true, 0, true, 0, {639, 473}},
        {true, 3000, false, 9, {639, 473}},  // pixel levels show it regardless
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases));
        Filled(kFrame, 800, 600, Rgb(0, 0, 0));
        TRedrawGrid fresh;
        grid = fresh;
        level->Scene.LevelState = c.Pixel ? TLevelState::lsPixel : TLevelState::lsAero;
        level->Times.LevelTime = 12000;
        level->Times.TimeLeft = c.TimeLeft;
        TLevelSceneView view = View();
        view.PanelVisible = c.PanelVisible;
        painter.DrawCifirblat(*level, kFrame, view);

        const int x = c.At.X + 30, y = c.At.Y + 30;
        if (c.Picture < 0) {
            EXPECT_EQ(At(x, y), Rgb(0, 0, 0));
            EXPECT_EQ(grid.Count(x / 20 + 1, y / 20 + 1), 0u);
        } else {
            EXPECT_EQ(At(x, y), Colour(("MPanel_" + std::to_string(c.Picture) + ".png").c_str()));
            EXPECT_GT(grid.Count(x / 20 + 1, y / 20 + 1), 0u);
        }
    }
}

TEST_P(LevelPainterTest, ExtraPicturesAreCutToTheirRectangleAndOnlyTheFirstShowsAtTheResults)
{
    Filled("Plant.png", 40, 40, Rgb(0, 200, 0), 255);
    Filled("Lamp.png", 40, 40, Rgb(200, 200, 0), 255);
    level->Scene.AddPictures = {{"Plant.png", 100, 100, 10, 10, 19, 19, 9, 9}, {"Lamp.png", 300, 100, 0, 0, 0, 0, 40, 40}};
    painter.DrawAddBackPicture(*level, kFrame, View());
    EXPECT_EQ(At(110, 110), Colour("Plant.png"));
    EXPECT_EQ(At(119, 119), Colour("Plant.png"));
    EXPECT_EQ(At(120, 120), Rgb(0, 0, 0));
    EXPECT_EQ(At(339, 139), Colour("Lamp.png"));

    Filled(kFrame, 800, 600, Rgb(0, 0, 0));
    TLevelSceneView results = View();
    results.LevelComplete = true;
    painter.DrawAddBackPicture(*level, kFrame, results);
    EXPECT_EQ(At(145, 145), Colour("Plant.png"));  // whole
    EXPECT_EQ(At(310, 110), Rgb(0, 0, 0));
}

}  // namespace
