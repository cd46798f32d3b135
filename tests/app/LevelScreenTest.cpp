// The level screen on the shipped game data: a day played by the simulator's bots through
// the window's mouse, won with its invoice or lost with its takings against the goal; the
// game menu, Esc and a lost focus pausing the day without losing a millisecond; leaving a
// day for the title; and the program's own developer runs, whose result matches the
// simulator's for the same day and seed.
#include "AppDoubles.h"
#include "GameRig.h"
#include "app/GameWidgets.h"
#include "app/InputScript.h"
#include "app/LevelBotPlayer.h"
#include "gameplay/Level.h"
#include "gameplay/LevelSession.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"
#include "platform/KeyCodes.h"
#include "screens/level/LevelScreen.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The first day of the first shop lasts two minutes: no run needs more frames than this.
constexpr int kDayFrames = 9000;

// The game on the rig, started straight into the first day of the first shop; a bot
// plays when one is named.
class TDayRig : public TGameRig {
public:
    explicit TDayRig(const std::string& bot = {}, uint32_t seed = 1, int32_t day = 0)
        : TGameRig(std::pair{0, day}, bot, seed)
    {
    }
    bool RunUntil(const std::function<bool()>& done, int most = kDayFrames) { return TGameRig::RunUntil(done, most); }
    TLevelSession* Day() const { return Engine->LevelScreen()->Session(); }
};

// The first day teaches with its story instead (the dialog screen's tests); the second
// day is the first to open under the window before it.
TEST(LevelScreen, ADayStartsUnderTheWindowBeforeItWithItsDayAndGoal)
{
    TDayRig rig({}, 1, 1);
    ASSERT_NE(rig.Day(), nullptr);
    rig.Frame();
    EXPECT_EQ(rig.Trace.First("level"), "Level_1_2.xml");
    EXPECT_EQ(rig.TopWindow(), "WBeforeLevel");
    EXPECT_EQ(rig.Mode(), TScreenMode::smGameMenu);
    EXPECT_TRUE(rig.Day()->Paused());
    EXPECT_EQ(rig.Value("WBeforeLevel_LDay"), rig.Value("WResource_LDay2"));
    EXPECT_EQ(rig.Value("WBeforeLevel_LGoalCount"), "$" + std::to_string(rig.Day()->Level().Goals.Goal));
    // A developer's day with nobody playing yet is played by a new profile of its own.
    EXPECT_EQ(rig.Engine->Player.Name, "Tester");
    EXPECT_TRUE(rig.Trace.Has("save players.dat"));

    rig.Click("WBeforeLevel_BPlay");
    rig.Frame();
    EXPECT_EQ(rig.Mode(), TScreenMode::smLevel);
    EXPECT_EQ(rig.TopWindow(), "WGame");
    EXPECT_FALSE(rig.Day()->Paused());
}

TEST(LevelScreen, TheGreedyBotWinsTheDayAndTheInvoiceCountsItsTakings)
{
    TDayRig rig("greedy");
    ASSERT_TRUE(rig.RunUntil([&] { return rig.TopWindow() == "WLevelComplete"; }));
    const TLevelResult day = rig.Day()->Result();
    EXPECT_EQ(day.Phase, TLevelPhase::Complete);
    EXPECT_GT(day.Score, day.Goal);
    EXPECT_EQ(rig.Trace.First("result"), "complete " + std::to_string(day.Score) + " " + std::to_string(day.Goal));
    // The counting lines end on the day's takings; the till shows the money of the game.
    rig.Frames(8000 / kRigStep);
    const std::string money = "$" + std::to_string(rig.Engine->Player.CurrentScore);
    EXPECT_EQ(rig.Value("WLevelComplete_LTotalScoreCount"), "$" + std::to_string(day.Score));
    EXPECT_EQ(rig.Value("WLevelComplete_LLevelScoreCount"), money);
    EXPECT_EQ(rig.Engine->Player.CurrentScore, day.Score) << "the first day of a shop starts the till at 0";
    EXPECT_EQ(rig.Value("WLevelComplete_LDayOfWeak"), rig.Value("WResource_LDay1"));
    EXPECT_EQ(rig.Value("WLevelComplete_LExpert", "Visible"), day.Score >= day.ExGoal ? "True" : "False");
    EXPECT_EQ(rig.Mode(), TScreenMode::smLevelComplete);

    // OK goes on through the catalogue to the next day of the shop.
    rig.Click("WLevelComplete_BOk");
    rig.Frames(2);
    EXPECT_EQ(rig.Mode(), TScreenMode::smShop);
    EXPECT_EQ(rig.TopWindow(), "WShop");
    EXPECT_EQ(rig.Engine->Player.CurrentLevel, 1);
    rig.Click("WShop_BPlay");
    EXPECT_TRUE(rig.RunUntil([&] { return rig.Trace.Has("level Level_1_2.xml"); }, 100));
}

TEST(LevelScreen, AnIdleDayFailsAndTheWindowShowsItsTakingsAgainstTheGoal)
{
    TDayRig rig("idle");
    ASSERT_TRUE(rig.RunUntil([&] { return rig.TopWindow() == "WGameOver"; }));
    rig.Frame();
    EXPECT_EQ(rig.Mode(), TScreenMode::smLevelFailed);
    EXPECT_EQ(rig.Trace.First("result"), "failed 0 200");
    EXPECT_EQ(rig.Value("WGameOver_LScoreCount"), "$0");
    EXPECT_EQ(rig.Value("WGameOver_LGoalCount"), "$200");
    EXPECT_EQ(rig.Value("WGameOver_LDayOfWeak"), rig.Value("WResource_LDay1"));

    // OK opens the catalogue before the same day is tried again.
    rig.Click("WGameOver_BOk");
    rig.Frame();
    EXPECT_EQ(rig.Mode(), TScreenMode::smShop);
    EXPECT_EQ(rig.Day(), nullptr);
    EXPECT_EQ(rig.Engine->Player.CurrentLevel, 0);
    rig.Trace.Lines.clear();
    rig.Click("WShop_BPlay");
    EXPECT_TRUE(rig.RunUntil([&] { return rig.Trace.Has("level Level_1_1.xml"); }, 100));
}

// How a played day is paused: each way opens the game menu over it.
struct TPauseCase {
    const char* Name;
    std::function<void(TDayRig&)> Pause;
};

class LevelScreenPause : public ::testing::TestWithParam<TPauseCase> {};

TEST_P(LevelScreenPause, TheMenuHoldsTheClockAndTheBeltAndResumingLosesNoTime)
{
    TDayRig rig({}, 1, 1);
    rig.Click("WBeforeLevel_BPlay");
    // Far enough into the day for pieces on the belt.
    rig.Frames(400);
    ASSERT_EQ(rig.Mode(), TScreenMode::smLevel);
    const tLevel& level = rig.Day()->Level();
    ASSERT_FALSE(level.Belt.Fishes.empty());
    const int32_t timeLeft = level.Times.TimeLeft;
    const int32_t firstPiece = level.Belt.Fishes.front().Position;

    GetParam().Pause(rig);
    rig.Frames(300);
    EXPECT_EQ(rig.Mode(), TScreenMode::smGameMenu);
    EXPECT_EQ(rig.TopWindow(), "WGameMenu");
    EXPECT_TRUE(rig.Day()->Paused());
    EXPECT_EQ(level.Times.TimeLeft, timeLeft) << "the clock stands still";
    EXPECT_EQ(level.Belt.Fishes.front().Position, firstPiece) << "the belt stands still";
    EXPECT_EQ(rig.Value("WGameMenu_TFStandart", "Visible"), "True");

    rig.Click("WGameMenu_BResume");
    rig.Frame();  // the frame of the click has no time of the day to play
    rig.Frame();
    EXPECT_EQ(rig.Mode(), TScreenMode::smLevel);
    EXPECT_EQ(rig.TopWindow(), "WGame");
    // The step before the pause and the one after it, and nothing of the pause itself.
    EXPECT_EQ(level.Times.TimeLeft, timeLeft - 2 * kRigStep);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LevelScreenPause,
    ::testing::Values(TPauseCase{"Escape", [](TDayRig& rig) { rig.Key(KeyCode::Esc); }},
                      TPauseCase{"MenuButton", [](TDayRig& rig) { rig.Click("WGame_BMenu"); }},
                      TPauseCase{"FocusLost",
                                 [](TDayRig& rig) {
                                     rig.Engine->HandleWindowEvent(TWindowEvent::FocusLost);
                                     rig.Engine->HandleWindowEvent(TWindowEvent::FocusGained);
                                 }}),
    [](const ::testing::TestParamInfo<TPauseCase>& row) { return std::string(row.param.Name); });

TEST(LevelScreen, LeavingADayFromTheMenuGoesBackToTheTitle)
{
    TDayRig rig({}, 1, 1);
    rig.Click("WBeforeLevel_BPlay");
    rig.Frames(10);
    rig.Key(KeyCode::Esc);
    rig.Frame();
    rig.Click("WGameMenu_BAbortLevel");
    rig.Frame();
    ASSERT_EQ(rig.TopWindow(), "WAbortLevel");
    rig.Click("WAbortLevel_BOk");
    rig.Frame();
    EXPECT_EQ(rig.Mode(), TScreenMode::smTitle);
    EXPECT_EQ(rig.TopWindow(), "WTitle");
    EXPECT_EQ(rig.Day(), nullptr);
    EXPECT_EQ(rig.Trace.Lines.back(), "mode smTitle");
}

// ---- The program's developer runs ------------------------------------------------------------

std::string RunCommand(const std::string& command, const TTempFolder& scratch)
{
    const fs::path out = scratch.Path() / "command.txt";
    const int raw = std::system((command + " > '" + out.string() + "' 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << command << "\n" << scratch.Read("command.txt");
    return scratch.Read("command.txt");
}

// The details of a trace file's lines of one kind ("<frame> <kind> <detail>").
std::vector<std::string> TraceDetails(const std::string& trace, const std::string& kind)
{
    std::vector<std::string> details;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t first = line.find(' ');
        if (first != std::string::npos && line.compare(first + 1, kind.size() + 1, kind + " ") == 0)
            details.push_back(line.substr(first + kind.size() + 2));
    }
    return details;
}

// "name=value" of a simulator line.
std::string SimValue(const std::string& line, const std::string& name)
{
    std::istringstream words(line);
    for (std::string word; words >> word;)
        if (word.starts_with(name + "="))
            return word.substr(name.size() + 1);
    return {};
}

TEST(LevelScreen, TheProgramsBotPlaysTheDayAsTheSimulatorDoes)
{
    TTempFolder scratch;
    constexpr int kSeed = 2;
    const std::string trace = (scratch.Path() / "trace.txt").string();
    RunCommand("'" + std::string(GLIMMORA_PROGRAM) + "' --headless --uncapped --fixed-step 16 --seed " +
                   std::to_string(kSeed) + " --frames 5400 --level 1,1 --bot greedy --user-dir '" +
                   (scratch.Path() / "user").string() + "' --trace '" + trace + "'",
               scratch);
    const std::string lines = scratch.Read("trace.txt");
    for (const auto& [kind, detail] : {std::pair{"mode", "smLevel"}, std::pair{"level", "Level_1_1.xml"},
                                       std::pair{"show", "WLevelComplete"}}) {
        const auto found = TraceDetails(lines, kind);
        EXPECT_NE(std::find(found.begin(), found.end(), detail), found.end()) << kind << " " << detail << "\n" << lines;
    }
    const auto results = TraceDetails(lines, "result");
    ASSERT_EQ(results.size(), 1u) << lines;

    const std::string sim = RunCommand("'" + std::string(GLIMMORA_TOOL) + "' sim --episode 1 --level 1 --bot greedy --seed " +
                                           std::to_string(kSeed) + " --archive '" +
                                           (ProgramFolder() / "game.zxc").string() + "'",
                                       scratch);
    const std::string expected =
        SimValue(sim, "result") + " " + SimValue(sim, "score") + " " + SimValue(sim, "goal");
    EXPECT_EQ(results.front(), expected) << sim;
}

}  // namespace
