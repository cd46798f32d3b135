// A day played as a session from the game's tables: loading it from its episode entry, the
// window before it, ticks on the clock, the mouse, pausing, and its result with what the
// player's record and the game's flags carry to the next day.
#include "LevelPlayTestKit.h"

#include "foundation/DataSource.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "gameplay/LevelSession.h"
#include "gameplay/Scoring.h"
#include "tests/common/TempFolder.h"

namespace {

// One shop of two days; the second names a level file the data does not hold.
const char* kSessionEpisods = R"(<Episods><Episod Name="Corner">
  <LevelFishes><Stage>Dress_2;Suit_2;Coat_2;</Stage></LevelFishes>
  <Levels>
    <Level Name="Day1.xml" Music="" BornPeriod="2000" SpeedLenta="40">
      <Param LevelTime="20" Goal="100" ExGoal="200" GreatGoal="150" />
      <Persons Cast="Girl(1);Boy(1);" />
    </Level>
    <Level Name="Gone.xml" BornPeriod="2000" SpeedLenta="40"><Param LevelTime="20" Goal="100" ExGoal="200" /></Level>
  </Levels>
</Episod></Episods>)";

const char* kSessionLevel = R"(<Level>
  <Lentas><Lenta><Path>Set Linear; Set Timing +0.04; Path (100,300) (500,300); Ending Stop (500,300);</Path></Lenta></Lentas>
  <LevelFishes>Dress_2;Suit_2;</LevelFishes>
  <Params LevelState="lsAero" Stoika="Stoika.png" />
  <PersPosition><Position X="600" Y="400" /><Position X="680" Y="420" /></PersPosition>
</Level>)";

class LevelSessionTest : public ::testing::Test {
protected:
    LevelSessionTest()
    {
        folder.Write("FishkaTypes.xml", kTestTypes);
        folder.Write("Mans.xml", kTestMans);
        folder.Write("Shop.xml", kTestShop);
        folder.Write("Episods.xml", kSessionEpisods);
        folder.Write("Day1.xml", kSessionLevel);
        tables.LoadGameTables(data, false, testLog.log);
        params.ParamPauseLenta = 1500;
        for (int type = 0; type < 3; ++type)
            for (const char* parts : {"1", "2", "12"})
                pictures.Sizes["FishkaTypes" + std::to_string(type) + "_" + parts + ".png"] = {60, 80};
        pictures.Sizes["Stoika.png"] = {60, 100};

        ResetPlayerState(player, false);
        ResetOutfits(player);
        player.Name = "Ann";
        flags = {true, false, true};

        services.Data = &data;
        services.Clock = &clock;
        services.Log = &testLog.log;
        services.Gameplay = &gameplay;
        services.Pictures = &pictures;
        services.PictureMaker = &maker;
        services.Effects = &effects;
        services.Sounds = &sounds;
        services.Windows = &windows;
        services.Host = &host;
        services.AnimeLoader = [](const std::string& file) {
            return TAnime{{file + "_1.png", 200}, {file + "_2.png", 200}};
        };
        windows.Properties[{"WResource_LCurrency", "Caption"}] = "$";
        windows.ShowModal("WGame");
    }

    std::unique_ptr<TLevelSession> Day(int32_t levelIndex)
    {
        return std::make_unique<TLevelSession>(tables, params, player, flags, TLevelDay{0, levelIndex, {}, {}}, services);
    }

    // Frames of 20 ms on the clock.
    void Play(TLevelSession& day, int64_t ms)
    {
        for (int64_t t = 0; t < ms; t += 20) {
            clock.Advance(20);
            day.Tick();
        }
    }

    TTempFolder folder;
    TDataSource data{folder.Path()};
    TTestLog testLog;
    TGameTables tables;
    TGameParams params;
    TPlayer player;
    TSessionFlags flags;
    TManualClock clock;
    TRandom gameplay{5};
    TFakePictures pictures;
    TRecordingPictureMaker maker;
    TRecordingEffects effects;
    TRecordingSounds sounds;
    TMemoryLevelWindows windows;
    TRecordingLevelHost host;
    TLevelSessionServices services;
};

TEST_F(LevelSessionTest, ADayLoadsFromItsEpisodeEntryAndWaitsUnderTheWindowBeforeIt)
{
    player.CurrentLevel = 3;  // the record is placed on the day it plays
    auto day = Day(0);
    ASSERT_TRUE(day->Load());
    EXPECT_EQ(player.CurrentLevel, 0);
    EXPECT_EQ(day->Phase(), TLevelPhase::Running);
    EXPECT_TRUE(day->Paused());
    EXPECT_EQ(windows.Modal.back(), "WBeforeLevel");
    EXPECT_EQ(maker.PreparedLevels, 1);
    const tLevel& level = day->Level();
    EXPECT_EQ(level.FileName, "Day1.xml");
    EXPECT_EQ(level.Goals.Goal, 100);
    EXPECT_EQ(level.Times.LevelTime, 20000);  // the first day of the game keeps its time
    EXPECT_EQ(level.Tuning.PauseDuration, 1500);
    EXPECT_EQ(level.LevelFishes, (std::vector<int32_t>{0, 1}));  // the player's outfits

    // Nothing runs before the play button.
    Play(*day, 1000);
    EXPECT_TRUE(level.Belt.Fishes.empty());
    EXPECT_EQ(level.Times.TimeLeft, 20000);

    day->Start();
    EXPECT_FALSE(day->Paused());
    EXPECT_NE(windows.Modal.back(), "WBeforeLevel");
    Play(*day, 3000);
    EXPECT_FALSE(level.Belt.Fishes.empty());
    EXPECT_FALSE(level.Play.Customers.Persons.empty());
    EXPECT_EQ(level.Times.TimeLeft, 17000);

    // A window over the day stops its clock; resuming loses no time.
    day->Pause();
    Play(*day, 10000);
    EXPECT_EQ(level.Times.TimeLeft, 17000);
    day->Resume();
    Play(*day, 1000);
    EXPECT_EQ(level.Times.TimeLeft, 16000);
}

TEST_F(LevelSessionTest, TheMouseTakesPiecesFromTheBelt)
{
    auto day = Day(0);
    ASSERT_TRUE(day->Load());
    day->Start();
    Play(*day, 2000);
    tLevel& level = day->Level();
    ASSERT_FALSE(level.Belt.Fishes.empty());
    const TFish& first = level.Belt.Fishes.front();
    const int32_t x = static_cast<int32_t>(first.X + first.Width / 2);
    const int32_t y = static_cast<int32_t>(first.Y + first.Height / 2);
    day->MouseMove(x, y);
    EXPECT_TRUE(level.Belt.Fishes.front().Highlighted);
    day->MouseDown(TLevelMouseButton::Left, x, y);
    EXPECT_EQ(level.Belt.SelectedIndex, 0);
    day->MouseDown(TLevelMouseButton::Right, 5, 5);
    EXPECT_EQ(level.Belt.SelectedIndex, -1);
}

TEST_F(LevelSessionTest, TheDayEndsWithItsResultAndThePlayerAndFlagsGoOn)
{
    struct TCase {
        const char* What;
        int32_t Earned;
        TLevelPhase Phase;
        bool Won;
        int32_t Score;  // the garments nobody took cost 10 each, down to the goal reached
    };
    const TCase cases[] = {
        {"below the goal", 40, TLevelPhase::Failed, false, 0},
        {"at the goal", 150, TLevelPhase::Complete, true, 100},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        flags = {true, false, true};
        player.NoBy = 0;
        auto day = Day(0);
        ASSERT_TRUE(day->Load());
        day->Start();
        Play(*day, 1000);
        AddScore(day->Level(), day->Game(), c.Earned, 0, clock.NowMs());
        // The time runs out; the customers leave 30 s after they came without a delivery.
        for (int i = 0; i < 100 && day->Phase() == TLevelPhase::Running; ++i)
            Play(*day, 1000);
        const TLevelResult result = day->Result();
        EXPECT_EQ(result.Phase, c.Phase);
        EXPECT_EQ(result.Score, c.Score);
        EXPECT_GT(result.Lost, 0);
        EXPECT_EQ(result.Goal, 100);
        EXPECT_EQ(result.ExGoal, 200);
        EXPECT_EQ(flags.PreviousLevelWon, c.Won);
        EXPECT_EQ(flags.NoLevelWonYet, !c.Won);
        EXPECT_EQ(player.NoBy, c.Won ? 0 : -1);
        if (c.Won) {
            // A click during the end animation shows the results at once.
            EXPECT_FALSE(day->Level().Play.Flow.ResultsShown);
            day->MouseDown(TLevelMouseButton::Left, 400, 300);
            EXPECT_TRUE(day->Level().Play.Flow.ResultsShown);
            EXPECT_EQ(windows.Modal.back(), "WLevelComplete");
        }
    }
}

TEST_F(LevelSessionTest, ADayWithoutALevelFileIsRefusedWithALogLine)
{
    for (int32_t levelIndex : {1, 7}) {  // a file the data lacks; no such day at all
        SCOPED_TRACE(levelIndex);
        testLog.Lines.clear();
        auto day = Day(levelIndex);
        EXPECT_FALSE(day->Load());
        EXPECT_EQ(day->Phase(), TLevelPhase::Loaded);
        ASSERT_FALSE(testLog.Lines.empty());
        EXPECT_EQ(testLog.Lines.back().rfind("Error", 0), 0u) << testLog.Lines.back();
        day->Tick();  // a day that did not load does nothing
        EXPECT_EQ(day->Phase(), TLevelPhase::Loaded);
    }
}

}  // namespace
