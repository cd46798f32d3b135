// Level files: every element of the format, the defaults of a sparse file, the box filling,
// unknown names, the player's outfits, the pictures a level loads and releases, and files
// that cannot be used.
#include "GameplayTestKit.h"

#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "gameplay/LevelFile.h"
#include "gameplay/SurfLevelPictures.h"
#include "graphics/SurfEngine.h"
#include "tests/common/TempFolder.h"

#include <filesystem>

namespace {

class LevelFileTest : public TBeltFixture {
protected:
    LevelFileTest()
    {
        level = std::make_unique<tLevel>(Links());
        pictures.Sizes["Spark.png"] = {8, 9};
        pictures.Sizes["Stoika.png"] = {60, 100};
        pictures.Sizes["BoxCursor.png"] = {30, 31};
        pictures.Sizes["Cell.png"] = {50, 40};
        pictures.Sizes["Plant.png"] = {120, 170};
        pictures.Sizes["Counter.png"] = {300, 200};
        context.Now = 50000;
    }

    bool Load(const std::string& text, bool sceneOnly = false)
    {
        return LoadLevelText(*level, text, false, sceneOnly, context);
    }

    std::string Fixture(const char* name)
    {
        auto bytes = ReadFileBytes(std::filesystem::path(GLIM_TEST_DATA) / name);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    }

    TLevelLoadContext context;
};

TEST_F(LevelFileTest, EveryElementOfTheFormatReachesTheLevel)
{
    ASSERT_TRUE(Load(Fixture("FullLevel.xml")));
    EXPECT_TRUE(testLog.Lines.empty()) << testLog.Lines.front();
    const TLevelScene& s = level->Scene;

    EXPECT_EQ(s.LentaImage, "Lenta.png");
    EXPECT_EQ(s.LentaFrequency, 7);
    EXPECT_EQ(s.LentaParticle.Name, "Spark.png");
    EXPECT_EQ(s.LentaParticle.Width, 8);
    EXPECT_EQ(s.LentaParticle.Height, 9);
    ASSERT_EQ(level->Lentas.size(), 2u);
    EXPECT_EQ(level->Lentas[0].BornPeriod, 1500);
    EXPECT_EQ(level->Lentas[0].PathPixels, 400);
    EXPECT_EQ(level->Lentas[0].PathLength, 10000);  // 25 path units a pixel
    EXPECT_EQ(level->Lentas[0].PathDuration, 10000);
    EXPECT_EQ(level->Lentas[1].BornPeriod, 900);
    EXPECT_FALSE(level->Lentas[1].Active());  // a path of zero length
    EXPECT_EQ(s.BackPicture, "Shop.jpg");

    EXPECT_EQ(level->LevelFishes, (std::vector<int32_t>{0, 3, 1}));
    EXPECT_EQ(level->CountCompleteFishes, (std::vector<int32_t>{2, 5, 4}));

    EXPECT_EQ(s.LevelState, TLevelState::lsHim);
    EXPECT_EQ(s.ShiftLentaY, -30);
    EXPECT_TRUE(s.SpecialFish);
    EXPECT_EQ(s.SpecialFishPeriod, 6);
    EXPECT_FALSE(s.Bonus);
    EXPECT_EQ(level->Box.BoxWidth, 3);
    EXPECT_EQ(level->Box.BoxHeght, 2);
    EXPECT_EQ(level->Box.CellWidth, 50);
    EXPECT_EQ(level->Box.CellHeght, 40);
    EXPECT_EQ(level->Box.BoxShift, (TPoint{120, 80}));
    EXPECT_FALSE(level->Box.DrawBoxCells);
    EXPECT_EQ(level->Box.CellFrame.Name, "Cell.png");
    EXPECT_EQ(level->Box.CellFrame.Width, 50);
    EXPECT_EQ(s.Stoika.Name, "Stoika.png");
    EXPECT_EQ(s.Stoika.Height, 100);
    EXPECT_EQ(s.Cursor.Name, "BoxCursor.png");
    EXPECT_EQ(s.Cursor.Width, 30);

    ASSERT_EQ(s.HeapPictures.size(), 1u);
    EXPECT_EQ(s.HeapPictures[0].FileName, "Heap_A.png");
    EXPECT_EQ(s.HeapPictures[0].Pos, (TPoint{10, 20}));
    EXPECT_EQ(s.HeapPictures[0].Angle, 45);
    EXPECT_TRUE(s.HeapPictures[0].Flip);
    EXPECT_EQ(s.HeapPictures[0].AnimeFiles, "HeapAnime.xml");
    EXPECT_TRUE(s.HeapPictures[0].Loaded);

    EXPECT_TRUE(s.Hints.HasHintFishes);
    EXPECT_TRUE(s.Hints.HintEffect);  // absent: on
    EXPECT_EQ(s.Hints.HintPoints, (std::vector<TPoint>{{300, 100}, {50, 60}}));
    EXPECT_EQ(s.Hints.HintFishes, (std::vector<int32_t>{3, 4}));

    ASSERT_EQ(s.AddFishesList.size(), 4u);
    EXPECT_EQ(s.AddFishesList[0].Kind, TFishKind::PlusOne);
    EXPECT_EQ(s.AddFishesList[1].TypeDigit, 3);
    EXPECT_EQ(s.AddFishesList[1].Part, 2);
    EXPECT_EQ(s.AddFishesList[2].TypeIndex, 2);
    EXPECT_EQ(s.AddFishesList[3].Kind, TFishKind::Reverse);

    ASSERT_EQ(s.DialogList.size(), 2u);
    EXPECT_EQ(s.DialogList[1].FileName, "Script_HintOne.xml");
    EXPECT_EQ(s.DialogList[1].TimeStart, 15000);
    EXPECT_EQ(level->DialogIndex, 0);

    ASSERT_EQ(s.PosKabinki.size(), 1u);
    EXPECT_EQ(s.PosKabinki[0].X, 700);
    EXPECT_GE(s.PosKabinki[0].Random, 3);
    EXPECT_LE(s.PosKabinki[0].Random, 6);

    ASSERT_EQ(s.AddPictures.size(), 2u);
    EXPECT_EQ(s.AddPictures[0].FileName, "Plant.png");
    EXPECT_EQ(s.AddPictures[0].X, 600);
    EXPECT_EQ(s.AddPictures[0].Width, 120);  // the whole picture
    EXPECT_EQ(s.AddPictures[1].Left, 5);
    EXPECT_EQ(s.AddPictures[1].Bottom, 56);
    EXPECT_EQ(s.AddPictures[1].Width, 100);  // the source rectangle
    EXPECT_EQ(s.AddPictures[1].Height, 50);

    ASSERT_EQ(s.PersPosition.size(), 3u);
    EXPECT_EQ(s.PersPosition[2].X, 540);
    EXPECT_EQ(s.PersPosition[2].Y, 575);
    EXPECT_FALSE(s.PersPosition[0].Occupied);

    ASSERT_EQ(s.Effects.size(), 1u);
    EXPECT_EQ(s.Effects[0].FileName, "efCandle.xml");
    EXPECT_EQ(s.Effects[0].ShiftX, 12);
    EXPECT_EQ(s.Effects[0].ShiftY, 0);

    EXPECT_EQ(level->Times.ReadyAt, 52000);
    EXPECT_EQ(level->LoadedPictures, (std::vector<std::string>{"Lenta.png", "Spark.png", "Shop.jpg", "Stoika.png",
                                                                "BoxCursor.png", "Cell.png", "Heap_A.png",
                                                                "Plant.png", "Counter.png"}));
}

// The demo levels load their files again; the customers, the belt and the flow of the
// previous run stayed.
TEST_F(LevelFileTest, LoadingAgainKeptThePreviousRun_EveryLoadStartsAFreshOne)
{
    ASSERT_TRUE(Load(Fixture("FullLevel.xml")));
    EXPECT_EQ(level->Belt.SpecialCountdown, 6);  // the special piece waits for its period
    level->Play.Customers.Persons.emplace_back();
    level->Play.Customers.NextArrivalAt = 70000;
    level->Play.Customers.CastIndex = 2;
    level->Play.Customers.ExpectedCount = 3;
    level->Belt.ReverseStart = 61000;
    level->Belt.ReverseEnd = 60000;
    level->Belt.PauseStart = 62000;
    level->Belt.TextureOffset = 900;
    level->Belt.AddFishesIndex = 3;
    level->Belt.SpecialCountdown = 0;
    level->Belt.FallHintShown = level->Belt.BagHintShown = true;
    level->Belt.Bonuses.PlusOne = true;
    level->Play.Flow.Phase = TLevelPhase::Complete;
    level->Play.Flow.Paused = true;
    level->Play.Flow.Goals = TGoalState::ExGoal;
    level->Play.Counters.Items.emplace_back();
    level->Play.Score.LevelScore = 250;
    level->Times.CompleteAt = 65000;
    level->Times.FailAt = 66000;
    level->Times.LevelStart = 40000;

    ASSERT_TRUE(Load(Fixture("FullLevel.xml")));
    EXPECT_TRUE(level->Play.Customers.Persons.empty());
    EXPECT_EQ(level->Play.Customers.NextArrivalAt, 0);
    EXPECT_EQ(level->Play.Customers.CastIndex, 0);
    EXPECT_EQ(level->Play.Customers.ExpectedCount, 0);
    EXPECT_EQ(level->Belt.ReverseStart, -1);
    EXPECT_EQ(level->Belt.ReverseEnd, 0);
    EXPECT_EQ(level->Belt.PauseStart, -1);
    EXPECT_EQ(level->Belt.TextureOffset, 0);
    EXPECT_EQ(level->Belt.AddFishesIndex, 0);
    EXPECT_EQ(level->Belt.SpecialCountdown, 6);
    EXPECT_FALSE(level->Belt.FallHintShown || level->Belt.BagHintShown);
    EXPECT_TRUE(level->Belt.Bonuses.PlusOne);  // what the shop bought is not the run's
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Loaded);
    EXPECT_FALSE(level->Play.Flow.Paused);
    EXPECT_FALSE(level->Play.Flow.GoalReached());
    EXPECT_TRUE(level->Play.Counters.Items.empty());
    EXPECT_EQ(level->Play.Score.LevelScore, 0);
    EXPECT_EQ(level->Times.CompleteAt, 0);
    EXPECT_EQ(level->Times.FailAt, 0);
    EXPECT_EQ(level->Times.LevelStart, 0);
    EXPECT_EQ(level->Times.ReadyAt, 52000);
}

TEST_F(LevelFileTest, ASparseFileKeepsTheDefaults)
{
    ASSERT_TRUE(Load("<Level><LevelFishes>Suit_2;Coat_2;</LevelFishes><HintFishes>Hat_3;</HintFishes></Level>"));
    EXPECT_EQ(level->Scene.LevelState, TLevelState::lsAero);
    EXPECT_FALSE(level->Scene.SpecialFish);
    EXPECT_FALSE(level->Scene.Bonus);
    EXPECT_TRUE(level->Box.DrawBoxCells);
    EXPECT_EQ(level->Box.BoxWidth, 0);
    EXPECT_TRUE(level->Box.PutFishes.empty());
    EXPECT_TRUE(level->Lentas.empty());
    EXPECT_EQ(level->FirstLenta(), nullptr);
    EXPECT_EQ(level->CountCompleteFishes, (std::vector<int32_t>{4, 4}));
    EXPECT_TRUE(level->Scene.Hints.HintEffect);
    EXPECT_TRUE(level->Scene.Hints.HintPoints.empty());
    EXPECT_TRUE(testLog.Lines.empty());
}

TEST_F(LevelFileTest, PutFishesFillsTheGridByRowsWithinItsSize)
{
    struct TCase {
        const char* Rows;
        int32_t Width, Height;
        std::vector<std::tuple<int, int, int>> Filled;  // column, row, digit
    };
    const TCase cases[] = {
        {"<R>13</R>", 1, 1, {{1, 1, 3}}},
        {"<R>1 2</R><R>3 4</R><R>5 6</R>", 2, 2, {{1, 1, 1}, {2, 1, 2}, {1, 2, 3}, {2, 2, 4}}},
        {"<R>1 2 3 4 5</R>", 2, 1, {{1, 1, 1}, {2, 1, 2}}},
        {"<R>\t7\t\t20 </R>", 3, 1, {{1, 1, 7}, {2, 1, 0}}},
        {"<R></R><R>9</R>", 1, 2, {{1, 2, 9}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Rows);
        level = std::make_unique<tLevel>(Links());
        ASSERT_TRUE(Load("<Level><Params BoxWidth=\"" + std::to_string(c.Width) + "\" BoxHeght=\"" +
                         std::to_string(c.Height) + "\" /><PutFishes>" + c.Rows + "</PutFishes></Level>"));
        const TBoxGrid& box = level->Box;
        ASSERT_EQ(box.PutFishes.size(), static_cast<size_t>(c.Width + 1));
        int filled = 0;
        for (int col = 1; col <= c.Width; ++col)
            for (int row = 1; row <= c.Height; ++row)
                filled += box.Cell(col, row)->Filled;
        EXPECT_EQ(filled, static_cast<int>(c.Filled.size()));
        for (auto [col, row, digit] : c.Filled) {
            ASSERT_NE(box.Cell(col, row), nullptr);
            EXPECT_TRUE(box.Cell(col, row)->Filled);
            EXPECT_EQ(box.Cell(col, row)->Digit, digit);
        }
        EXPECT_EQ(box.Cell(c.Width + 1, 1), nullptr);
    }
}

TEST_F(LevelFileTest, CountsBeyondThePieceTypesAreIgnored)
{
    ASSERT_TRUE(Load(R"(<Level><LevelFishes CountCompleteFishes="3,2,9,9,9">Suit_2;Coat_2;</LevelFishes></Level>)"));
    EXPECT_EQ(level->CountCompleteFishes, (std::vector<int32_t>{3, 2}));
}

TEST_F(LevelFileTest, AStandardLevelPlaysThePlayersOutfitsAndOthersKeepTheirOwn)
{
    struct TCase {
        const char* Params;
        std::vector<int32_t> Expected;
    };
    const TCase cases[] = {
        {"", {4, 2}},
        {R"(<Params LevelState="lsTort" />)", {4, 2}},
        {R"(<Params Bonus="true" />)", {1}},
        {R"(<Params LevelState="lsPixel" />)", {1}},
    };
    context.OutfitTypes = std::vector<int32_t>{4, 2};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Params);
        level = std::make_unique<tLevel>(Links());
        ASSERT_TRUE(Load(std::string("<Level><LevelFishes>Suit_2;</LevelFishes>") + c.Params + "</Level>"));
        EXPECT_EQ(level->LevelFishes, c.Expected);
        EXPECT_EQ(level->CountCompleteFishes.size(), c.Expected.size());
    }
}

TEST_F(LevelFileTest, SceneOnlyStopsAfterTheBeltsAndTheBackground)
{
    ASSERT_TRUE(Load(Fixture("FullLevel.xml"), true));
    EXPECT_EQ(level->Lentas.size(), 2u);
    EXPECT_EQ(level->Scene.BackPicture, "Shop.jpg");
    EXPECT_TRUE(level->LevelFishes.empty());
    EXPECT_TRUE(level->Scene.PersPosition.empty());
    EXPECT_EQ(level->Scene.LevelState, TLevelState::lsAero);
}

TEST_F(LevelFileTest, PicturesOfThePreviousLevelAreReleasedUnlessUsedOrPermanent)
{
    std::vector<std::string> previous = {"Old.jpg", "Stoika.png", "Cursor.png"};
    pictures.Permanent = {"Cursor.png"};
    pictures.Loaded = {"Stoika.png"};
    context.PreviousPictures = &previous;
    ASSERT_TRUE(Load(R"(<Level><BackGround BackPicture="New.jpg" /><Params Stoika="Stoika.png" /></Level>)"));
    EXPECT_EQ(pictures.Releases, (std::vector<std::string>{"Old.jpg"}));
    EXPECT_EQ(pictures.Loads, (std::vector<std::string>{"New.jpg"}));  // the stand was there already
    EXPECT_EQ(previous, (std::vector<std::string>{"New.jpg", "Stoika.png"}));
}

TEST_F(LevelFileTest, UnusableFilesAreRefusedWithALogLine)
{
    EXPECT_FALSE(Load("no elements at all"));
    EXPECT_EQ(testLog.Lines.back(), "Error LoadLevel");

    TDataSource data{std::filesystem::path(GLIM_TEST_DATA)};
    context.Data = &data;
    testLog.Lines.clear();
    EXPECT_FALSE(LoadLevel(*level, "Missing.xml", "", false, false, false, context));
    EXPECT_EQ(testLog.Lines, (std::vector<std::string>{"Error LoadLevel"}));
    EXPECT_TRUE(LoadLevel(*level, "FullLevel.xml", "", false, false, false, context));

    // A custom level names a bare file in its folder, nothing outside it.
    EXPECT_TRUE(LoadLevel(*level, "fulllevel.xml", GLIM_TEST_DATA, false, false, false, context));
    EXPECT_FALSE(LoadLevel(*level, "../data/FullLevel.xml", GLIM_TEST_DATA, false, false, false, context));
}

TEST_F(LevelFileTest, AMalformedBeltPathIsLoggedAndTheBeltDoesNothing)
{
    ASSERT_TRUE(Load(R"(<Level><Lentas><L><Path>Path (1x,2) (3,4);</Path></L></Lentas><BackGround BackPicture="B.jpg" /></Level>)"));
    EXPECT_EQ(testLog.Lines, (std::vector<std::string>{"Error LoadLevel"}));
    ASSERT_EQ(level->Lentas.size(), 1u);
    EXPECT_EQ(level->FirstLenta(), nullptr);
    EXPECT_EQ(level->Scene.BackPicture, "B.jpg");
}

TEST_F(LevelFileTest, ADamagedPictureIsSkippedWithItsLogLineAndTheLevelStillLoads)
{
    TTempFolder folder;
    folder.Write("Broken.png", "\x89PNG not really a picture");
    TDataSource data{folder.Path()};
    TSurfEngine surfaces(TDisplayFormat::Bgr32());
    surfaces.SetGameLog(&testLog.log);
    TSurfLevelPictures store(surfaces, data);
    level->Links.Pictures = &store;

    bool loaded = false;
    ASSERT_NO_THROW(loaded = Load(R"(<Level><BackGround BackPicture="Broken.png" /></Level>)"));
    EXPECT_TRUE(loaded);
    EXPECT_FALSE(surfaces.FindSurface("Broken.png"));
    ASSERT_FALSE(testLog.Lines.empty());
    EXPECT_EQ(testLog.Lines[0].rfind("Error LoadSurfFromFile Broken.png", 0), 0u) << testLog.Lines[0];
}

}  // namespace
