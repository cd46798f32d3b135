// The level's flow: the goals and what the expert goal does to the time, the adaptive
// level time, winning and failing (also while customers still wait), pausing and resuming,
// dialogs, the results and the statistics line.
#include "LevelPlayTestKit.h"

#include "gameplay/Customers.h"
#include "gameplay/LevelResults.h"
#include "gameplay/LevelStat.h"
#include "gameplay/LevelTime.h"
#include "gameplay/Scoring.h"

namespace {

class LevelFlowTest : public TPlayFixture {
protected:
    LevelFlowTest()
    {
        testLog.log.Listener = [this](const std::string& line, const std::string& file) {
            (file.empty() ? testLog.Lines : statLines).push_back(line);
        };
    }
    std::vector<std::string> statLines;
};

TEST_F(LevelFlowTest, TheGoalsShowAsTheScoreReachesThemAndTheExpertGoalLeavesFifteenSeconds)
{
    Run();
    level->Times.LevelTime = 120000;
    level->Play.Customers.NextArrivalAt = -1;  // nobody comes: the shop stays quiet
    Play(60000);
    AddScore(*level, game, 120, 1300, clock.NowMs());
    Play(1280);
    EXPECT_FALSE(level->Play.Flow.GoalReached());
    Play(20);
    EXPECT_TRUE(level->Play.Flow.GoalReached());
    EXPECT_EQ(effects.Count("efGoal.xml"), 1);
    EXPECT_EQ(sounds.Events.back(), "Goal");
    EXPECT_EQ(windows.Value("WGame_TFStandart_LGoalCount", "Caption"), "$200");
    EXPECT_EQ(windows.Value("WGame_TFStandart_LExGoal", "Visible"), "True");
    EXPECT_EQ(windows.Value("WGame_TFStandart_LGoal", "Visible"), "False");
    EXPECT_EQ(windows.Value("WGame_TFStandart_LScoreCount", "Caption"), "$120");

    // At 100 s the expert goal: 15 s remain, not 20.
    clock.Set(level->Times.LevelStart + 100000 - 20);
    AddScore(*level, game, 100, 0, clock.NowMs());
    Play(20);
    EXPECT_TRUE(level->Play.Flow.ExGoalReached());
    EXPECT_NE(std::find(sounds.Events.begin(), sounds.Events.end(), "ExGoal"), sounds.Events.end());
    EXPECT_EQ(level->Times.LevelTime, 115000);
    EXPECT_EQ(level->Times.TimeLeft, 15000);
}

TEST_F(LevelFlowTest, TheExpertGoalGivesFifteenSecondsEvenWhenLessRemained)
{
    Run();
    level->Times.LevelTime = 120000;
    level->Play.Customers.NextArrivalAt = -1;
    clock.Set(level->Times.LevelStart + 110000);
    AddScore(*level, game, 300, 0, clock.NowMs());
    Play(20);
    EXPECT_EQ(level->Times.TimeLeft, 15000);
}

// Reaching the expert goal with a delivery after the time had run out gave 15 more
// seconds: new customers came and the time alarms played again.
TEST_F(LevelFlowTest, TheExpertGoalAfterTheTimeRestartedTheDay_OnceTheTimeIsUpItGivesNoMore)
{
    Run();
    level->Play.Customers.NextArrivalAt = -1;
    ASSERT_TRUE(AddPerson(*level, game, 0, clock.NowMs()));
    AddScore(*level, game, 150, 0, clock.NowMs());
    level->Times.LevelTime = 20000;
    Play(20000);
    ASSERT_EQ(level->Times.TimeLeft, 0);
    ASSERT_EQ(level->Play.Flow.Phase, TLevelPhase::Running);  // customers still wait
    const size_t waiting = level->Play.Customers.Persons.size();
    sounds.Events.clear();
    AddScore(*level, game, 100, 0, clock.NowMs());
    Play(3000);
    EXPECT_TRUE(level->Play.Flow.ExGoalReached());
    EXPECT_EQ(level->Times.LevelTime, 20000);
    EXPECT_EQ(level->Times.TimeLeft, 0);
    EXPECT_EQ(std::count(sounds.Events.begin(), sounds.Events.end(), "AlertTime"), 0);
    EXPECT_EQ(level->Play.Customers.Persons.size(), waiting);  // nobody new comes
}

// A level whose expert goal lies below its goal: the expert celebration waits for the goal,
// and both come in order when one delivery passes them.
TEST_F(LevelFlowTest, TheExpertGoalIsCelebratedOnlyAfterTheGoal)
{
    Run();
    level->Play.Customers.NextArrivalAt = -1;
    level->Goals.Goal = 200;
    level->Goals.ExGoal = 100;
    AddScore(*level, game, 150, 0, clock.NowMs());
    Play(20);
    EXPECT_FALSE(level->Play.Flow.GoalReached());
    EXPECT_EQ(effects.Count("efExGoal.xml"), 0);
    AddScore(*level, game, 100, 0, clock.NowMs());
    Play(20);
    EXPECT_TRUE(level->Play.Flow.ExGoalReached());
    EXPECT_EQ(effects.Count("efGoal.xml"), 1);
    EXPECT_EQ(effects.Count("efExGoal.xml"), 1);
    auto goal = std::find(sounds.Events.begin(), sounds.Events.end(), "Goal");
    EXPECT_NE(std::find(goal, sounds.Events.end(), "ExGoal"), sounds.Events.end());
}

// A window or dialog pauses the level; its time, customers and end timers wait with it.
TEST_F(LevelFlowTest, APausedLevelKeepsItsClockCustomersAndEndTimers)
{
    Run();
    level->Play.Customers.NextArrivalAt = -1;
    ASSERT_TRUE(AddPerson(*level, game, 0, clock.NowMs()));
    level->Times.LevelTime = 2000;
    Play(1000);
    const int32_t left = level->Times.TimeLeft;
    const int32_t patience = Customer(0).Patience;
    PauseLevel(*level, clock.NowMs());
    Play(60000);  // long past the time, and past the customer's 30 s without a delivery
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Running);
    EXPECT_EQ(level->Times.TimeLeft, left);
    ASSERT_EQ(level->Play.Customers.Persons.size(), 1u);
    EXPECT_EQ(Customer(0).Patience, patience);
    EXPECT_FALSE(Customer(0).Leaving);

    level->Times.CompleteAt = clock.NowMs() + 100;
    Play(1000);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Running);
    ResumeLevel(*level, clock.NowMs() - level->Play.Flow.PausedAt);
    Play(20);
    EXPECT_EQ(level->Times.TimeLeft, left - 20);
}

TEST_F(LevelFlowTest, TheAdaptiveLevelTime)
{
    TLevelTimeParams params;
    params.NewKostum = 0.05;
    params.NewEpisod = 0.1;
    params.NewStartGame = 0.15;
    params.Deduction1 = 0.05;
    params.Deduction2 = 0.1;
    params.Deduction3 = 0.15;
    struct TCase {
        const char* What;
        TLevelTimeInput Input;
        int32_t Expected;
    };
    auto input = [](auto change) {
        TLevelTimeInput in;
        in.LevelTime = 150000;
        in.ExGoal = 340;
        in.SpeedPlay = 0.2;
        in.OutfitValues = {10, 12};
        in.Kostums = {1, 1, 1};
        change(in);
        return in;
    };
    const TCase cases[] = {
        {"the time to earn most of the expert goal", input([](auto&) {}), 123636},
        {"a faster player", input([](auto& in) { in.SpeedPlay = 0.4; }), 61818},
        {"never above 300000 ms", input([](auto& in) { in.ExGoal = 5000; }), 300000},
        {"no outfits keep the episode's time", input([](auto& in) { in.OutfitValues.clear(); }), 150000},
        {"so does a level without an expert goal", input([](auto& in) { in.ExGoal = 0; }), 150000},
        {"two new outfits", input([](auto& in) { in.NewOutfits = 2; }), 136000},
        {"first level of an episode, no level won yet", input([](auto& in) {
             in.FirstLevelOfEpisode = true;
             in.NoLevelWonYet = true;
         }),
         156400},
        {"three visits without buying, all columns alike", input([](auto& in) { in.NoBy = 3; }), 68000},
        {"two columns alike", input([](auto& in) {
             in.Kostums = {1, 1, 0};
             in.NoBy = 2;
         }),
         98909},
        {"the deduction stops at 0.8", input([](auto& in) { in.NoBy = 100; }), 24727},
        {"a visit that bought something takes nothing", input([](auto& in) { in.NoBy = -1; }), 123636},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(AdaptiveLevelTime(c.Input, params), c.Expected);
        EXPECT_LE(AdaptiveLevelTime(c.Input, params), kMaxLevelTime);
    }
    EXPECT_DOUBLE_EQ(TimeDeduction({2, 2, 2}, 1000, params), 0.8);
}

TEST_F(LevelFlowTest, TheFirstLevelOfTheGameKeepsTheEpisodesTimeAndOthersAdapt)
{
    struct TCase {
        int32_t Episod, LevelIndex, Time;
    };
    // Values 10, 12, 14 at 0.2 outfits a second earn 2.4 a second: 200 x 0.8 / 2.4 s.
    for (const TCase& c : {TCase{0, 0, 120000}, TCase{0, 1, 66667}}) {
        SCOPED_TRACE(c.LevelIndex);
        level->LevelIndex = c.LevelIndex;
        RunLevel(*level, game);
        EXPECT_EQ(level->Times.LevelTime, c.Time);
        EXPECT_EQ(level->Times.TimeLeft, c.Time);
        EXPECT_EQ(windows.Value("WGame_TFStandart_LTimeValue", "Caption"), FormatMinutes(c.Time));
    }
}

TEST_F(LevelFlowTest, ALevelBelowTheGoalFailsOnlyOnceTheLastCustomerHasLeft)
{
    player.CurrentScore = 300;
    Run();
    level->Play.Customers.NextArrivalAt = -1;
    ASSERT_TRUE(AddPerson(*level, game, 0, clock.NowMs()));
    AddScore(*level, game, 40, 0, clock.NowMs());
    level->Times.LevelTime = 2000;
    Play(2000);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Running);
    Play(27000);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Running);
    // 30 s after it came without a delivery, the customer leaves; half a second later the
    // shop is empty and the level is lost.
    Play(1600);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Failed);
    EXPECT_EQ(host.Current, TLevelScreen::LevelFailed);
    EXPECT_EQ(windows.Modal.back(), "WGameOver");
    EXPECT_EQ(player.CurrentScore, 300);  // the level's money is taken back
    EXPECT_EQ(player.NoBy, -1);
    EXPECT_GE(host.Saves, 1);
    EXPECT_EQ(sounds.Events.back(), "GameOver");
    ASSERT_EQ(statLines.size(), 1u);
    EXPECT_NE(statLines[0].find(" Score = 40 LOSE"), std::string::npos);
    EXPECT_FALSE(game.Session.PreviousLevelWon);
}

TEST_F(LevelFlowTest, ALevelAtItsGoalIsCompleteWhenTheTimeIsUpAndTheShopEmpty)
{
    player.CurrentScore = 300;
    Run();
    level->Play.Customers.NextArrivalAt = -1;
    level->Play.Score.LevelServed = {4, 2, 0, 0};
    AddScore(*level, game, 130, 0, clock.NowMs());
    level->Times.LevelTime = 10000;
    Play(10000);
    EXPECT_EQ(level->Times.CompleteAt, clock.NowMs() + 100);
    Play(100);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Complete);
    EXPECT_EQ(host.Current, TLevelScreen::LevelComplete);
    EXPECT_EQ(player.EpisodeScore[0], 130);
    EXPECT_EQ(player.CurrentScore, 430);
    EXPECT_DOUBLE_EQ(player.SpeedPlay, 6.0 / 10.1);
    EXPECT_TRUE(game.Session.PreviousLevelWon);
    EXPECT_FALSE(game.Session.NoLevelWonYet);
    EXPECT_EQ(sounds.Sounds.back(), "tovrel_jingle.ogg");
    EXPECT_EQ(host.MusicStops, 1);
    ASSERT_EQ(statLines.size(), 1u);

    // The results follow the end animation.
    const int64_t end = clock.NowMs();
    TickLevelComplete(*level, game, end + 3480);
    EXPECT_FALSE(level->Play.Flow.ResultsShown);
    TickLevelComplete(*level, game, end + 3500);
    EXPECT_TRUE(level->Play.Flow.ResultsShown);
    EXPECT_EQ(windows.Modal.back(), "WLevelComplete");
    EXPECT_EQ(host.Freezes, 1);
    // Lines: Dress 4 x 10, Suit 2 x 12 and the difference of 66.
    EXPECT_EQ(windows.Value("WLevelComplete_LLevelScoreCount", "Caption"), "$430");
    for (int64_t t = end + 3500; t <= end + 3500 + 6000; t += 20)
        TickLevelComplete(*level, game, t);
    EXPECT_EQ(windows.Value("WLevelComplete_LWear1Count", "Caption"), "4");
    EXPECT_EQ(windows.Value("WLevelComplete_LWear1MoneyCount", "Caption"), "$40");
    EXPECT_EQ(windows.Value("WLevelComplete_LWear2MoneyCount", "Caption"), "$24");
    EXPECT_EQ(windows.Value("WLevelComplete_LWear4MoneyCount", "Caption"), "$66");
    EXPECT_EQ(windows.Value("WLevelComplete_LTotalScoreCount", "Caption"), "$130");
    EXPECT_EQ(windows.Value("WLevelComplete_LNum3", "Visible"), "True");
}

TEST_F(LevelFlowTest, ATenSecondPauseLosesNoTime)
{
    Run();
    Play(3000);  // a customer is in the shop by now
    ASSERT_EQ(level->Play.Customers.Persons.size(), 1u);
    AddScore(*level, game, 10, 1300, clock.NowMs());
    const TPerson before = Customer(0);
    const int64_t start = level->Times.LevelStart;
    const int64_t shown = level->Play.Score.ScoreQueue.back().ShowAt;
    const int32_t left = level->Times.TimeLeft;
    const int64_t next = level->Play.Customers.NextArrivalAt;

    PauseLevel(*level, clock.NowMs());
    clock.Advance(10000);
    ResumeLevel(*level, clock.NowMs() - level->Play.Flow.PausedAt);
    EXPECT_EQ(level->Times.LevelStart, start + 10000);
    EXPECT_EQ(level->Play.Score.ScoreQueue.back().ShowAt, shown + 10000);
    EXPECT_EQ(Customer(0).Deadline, before.Deadline + 10000);
    EXPECT_EQ(Customer(0).StartTime, before.StartTime + 10000);
    EXPECT_EQ(Customer(0).LastReceive, before.LastReceive + 10000);
    EXPECT_EQ(level->Play.Customers.NextArrivalAt, next + 10000);
    Play(20);
    EXPECT_EQ(level->Times.TimeLeft, left - 20);
    EXPECT_EQ(Customer(0).PatiencePercent, before.PatiencePercent);
}

TEST_F(LevelFlowTest, ATimedDialogPausesTheLevelAndHintsNeedTheHintOption)
{
    level->Scene.DialogList = {{"Script_Dialog_1_1.xml", 1000}, {"Script_HintCustomers.xml", 2000}};
    game.Session.WonOrNewGame = true;
    host.PlaysDialogs = true;
    game.Options.HintsOn = true;
    Run();
    EXPECT_FALSE(level->Play.Flow.InputEnabled);  // the dialog's end lets the player in
    game.Options.HintsOn = false;
    Play(1000);
    ASSERT_EQ(host.Dialogs, (std::vector<std::string>{"Script_Dialog_1_1.xml"}));
    EXPECT_TRUE(level->Play.Flow.Paused);
    EXPECT_EQ(host.Current, TLevelScreen::Dialog);
    EXPECT_EQ(level->Scene.DialogList[0].TimeStart, -1);
    clock.Advance(5000);
    DialogEnded(*level, game, clock.NowMs());
    EXPECT_TRUE(level->Play.Flow.InputEnabled);
    EXPECT_FALSE(level->Play.Flow.Paused);
    Play(2000);
    EXPECT_EQ(host.Dialogs.size(), 1u);  // the hint is skipped with hints off
    EXPECT_EQ(level->DialogIndex, 2);
}

TEST_F(LevelFlowTest, TheClockPanelShowsTheTwelfthsOfTheTimeUsed)
{
    struct TCase {
        int32_t LevelTime, TimeLeft;
        const char* Picture;
    };
    const TCase cases[] = {
        {120000, 120000, "MPanel_0.png"}, {120000, 60000, "MPanel_6.png"}, {120000, 1000, "MPanel_12.png"},
        {120000, 0, "MPanel_12.png"},     {0, 0, "MPanel_12.png"},          {120000, 200000, "MPanel_0.png"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Picture);
        level->Times.LevelTime = c.LevelTime;
        level->Times.TimeLeft = c.TimeLeft;
        EXPECT_EQ(ClockPanelPicture(*level), c.Picture);
    }
    level->Scene.LevelState = TLevelState::lsPixel;
    level->Times.TimeLeft = 0;
    EXPECT_EQ(ClockPanelPicture(*level), "MPanel_0.png");
}

TEST_F(LevelFlowTest, TheStatisticsLine)
{
    EXPECT_EQ(StatLine("Ann", "Level_1_1.xml", 83999, 150, true),
              "Player:                       Ann,             Level_1_1.xml, Time:01:23 Score = 150");
    EXPECT_EQ(StatLine("Bob", "Level_1_2.xml", 600000, -5, false),
              "Player:                       Bob,             Level_1_2.xml, Time:10:00 Score = -5 LOSE");
    EXPECT_EQ(StatLine(std::string(30, 'x'), "L", 0, 0, true).substr(8, 32), std::string(30, 'x') + ", ");

    Run();
    level->Times.LevelStart = clock.NowMs();  // no time played: the speed stays
    player.SpeedPlay = 0.5;
    WriteStat(*level, game, true, clock.NowMs());
    EXPECT_DOUBLE_EQ(player.SpeedPlay, 0.5);
    ASSERT_EQ(statLines.size(), 1u);
    EXPECT_EQ(statLines[0], StatLine("Ann", "Level_Test.xml", 0, 0, true));

    // A won level slower than the slowest player a profile can hold keeps that speed.
    level->Times.LevelStart = clock.NowMs() - 100000;
    level->Play.Score.LevelServed = {4, 0, 0, 0};
    WriteStat(*level, game, true, clock.NowMs());
    EXPECT_DOUBLE_EQ(player.SpeedPlay, kMinSpeedPlay);
}

}  // namespace
