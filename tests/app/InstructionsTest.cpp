// The instruction pages and their demos on the shipped data: the pages step through the
// three demos and back, a demo draws the same frames whatever the game's seed, a damaged
// or foreign demo leaves its page without it, the demos are found beside the program, the
// debug key records a day, and winning the last day of the game opens the game-complete
// window.
#include "GameRig.h"
#include "app/ScreenSet.h"
#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "gameplay/DemoFile.h"
#include "gameplay/GameTables.h"
#include "gameplay/Level.h"
#include "gameplay/LevelSession.h"
#include "graphics/SurfEngine.h"
#include "graphics/Surface.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "metagame/PlayersFile.h"
#include "platform/KeyCodes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kLoadFrames = 600;
constexpr int kDemoFrames = 240;  // about four seconds of a demo

// A program folder of the test's own: the built one's files linked, its demos copied, so
// a test may damage or record them.
class TProgramCopy {
public:
    explicit TProgramCopy(const std::string& name)
        : path_(fs::temp_directory_path() / ("glimmora-" + name + "-" + std::to_string(::getpid())))
    {
        fs::remove_all(path_);
        fs::create_directories(path_);
        for (const auto& entry : fs::directory_iterator(ProgramFolder())) {
            const std::string file = entry.path().filename().string();
            if (file.starts_with("Demo") && file.ends_with(".dat"))
                fs::copy_file(entry.path(), path_ / file);
            else
                fs::create_symlink(entry.path(), path_ / file);
        }
    }
    ~TProgramCopy()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }
    void Write(const std::string& file, const std::string& bytes) const
    {
        fs::remove(path_ / file);
        std::ofstream(path_ / file, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& file) const
    {
        std::ifstream in(path_ / file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    fs::path path_;
};

// The game on the title with a player named, the game's log collected.
class TTitleRig : public TGameRig {
public:
    explicit TTitleRig(uint32_t seed = 1, const fs::path& program = ProgramFolder(), const std::string& bot = {})
        : TGameRig(std::nullopt, bot, seed, program)
    {
        Screens().Context.Log.Listener = [this](const std::string& message, const std::string& file) {
            if (file.empty())
                Log.push_back(message);
        };
        EXPECT_TRUE(RunUntil([this] { return TopWindow() == "WYourName"; }, kLoadFrames)) << TopWindow();
        Engine->Interface()->SetObjectProperty("WYourName_EYourName", "Text", "Ann");
        Click("WYourName_BOk");
        Frames(2);
    }
    TScreenSet& Screens() { return *Engine->AllScreens(); }
    TDemoScreen& Demo() { return Screens().Demo; }
    bool Logged(const std::string& part) const
    {
        return std::any_of(Log.begin(), Log.end(), [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }
    // A fingerprint of the frame as composed.
    uint64_t FrameHash() const
    {
        const TSurface* frame = Engine->SurfEngine().FindSurface("MemorySurface");
        uint64_t hash = 14695981039346656037ull;
        if (!frame || !frame->HasPixels())
            return 0;
        const size_t rowBytes = static_cast<size_t>(frame->Pitch);
        for (int y = 0; y < frame->Height; ++y)
            for (size_t x = 0; x < rowBytes; ++x) {
                hash ^= frame->Row(y)[x];
                hash *= 1099511628211ull;
            }
        return hash;
    }

    std::vector<std::string> Log;
};

TEST(Instructions, ThePagesStepThroughTheThreeDemosAndCloseBackToTheTitle)
{
    TTitleRig rig;
    rig.Click("WTitle_BInstructions");
    rig.Frames(2);
    EXPECT_TRUE(rig.Trace.Has("show WInstructions"));
    EXPECT_EQ(rig.Mode(), TScreenMode::smDemoLevel);
    EXPECT_TRUE(rig.Visible("WInstructions_TFOk_BOk"));
    EXPECT_FALSE(rig.Visible("WInstructions_TFPlay_BPlay"));

    // The standard demo moves pieces along its belt and its cursor over the scene.
    ASSERT_TRUE(rig.Demo().Running());
    rig.Frames(kDemoFrames);
    ASSERT_NE(rig.Demo().Day(), nullptr);
    EXPECT_FALSE(rig.Demo().Day()->Level().Belt.Fishes.empty());
    EXPECT_NE(rig.Demo().Mouse().X + rig.Demo().Mouse().Y, 0);
    EXPECT_FALSE(rig.Logged("Error RunDemo")) << "the shipped demo plays";

    const struct {
        const char* Button;
        TScreenMode Mode;
        const char* Page;
    } steps[] = {
        {"WInstructions_TFPage1_BNext", TScreenMode::smInstructions, "WInstructions_TFPage2"},
        {"WInstructions_TFPage2_BNext", TScreenMode::smDemoBonusLevel, "WInstructions_TFPage3"},
        {"WInstructions_TFPage3_BNext", TScreenMode::smDemoPixelLevel, "WInstructions_TFPage4"},
        {"WInstructions_TFPage4_BPrev", TScreenMode::smDemoBonusLevel, "WInstructions_TFPage3"},
        {"WInstructions_TFPage3_BPrev", TScreenMode::smInstructions, "WInstructions_TFPage2"},
        {"WInstructions_TFPage2_BPrev", TScreenMode::smDemoLevel, "WInstructions_TFPage1"},
    };
    for (const auto& step : steps) {
        rig.Click(step.Button);
        rig.Frames(30);
        EXPECT_EQ(rig.Mode(), step.Mode) << step.Button;
        EXPECT_EQ(rig.Value(step.Page, "Visible"), "True") << step.Button;
        EXPECT_EQ(rig.Demo().Running(), step.Mode != TScreenMode::smInstructions) << step.Button;
    }

    rig.Click("WInstructions_TFOk_BOk");
    rig.Frames(2);
    EXPECT_EQ(rig.Mode(), TScreenMode::smTitle);
    EXPECT_EQ(rig.TopWindow(), "WTitle");
    EXPECT_FALSE(rig.Demo().Running());
}

TEST(Instructions, EachDemoLoopsFromItsFirstLineAndEveryLoopPlaysAlike)
{
    TTitleRig rig;
    rig.Click("WTitle_BInstructions");
    rig.Frames(2);
    rig.Click("WInstructions_TFPage1_BNext");
    rig.Click("WInstructions_TFPage2_BNext");
    rig.Click("WInstructions_TFPage3_BNext");
    rig.Frames(2);
    ASSERT_EQ(rig.Mode(), TScreenMode::smDemoPixelLevel);
    // The picture demo is the shortest recording: it ends and starts again within a
    // minute, with the day put back as it began.
    ASSERT_NE(rig.Demo().Day(), nullptr);
    const int32_t remainingAtStart = rig.Demo().Day()->Pixel().Remaining;
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Demo().Loops() > 0; }, 4000));
    ASSERT_NE(rig.Demo().Day(), nullptr);
    EXPECT_EQ(rig.Demo().Day()->Pixel().Remaining, remainingAtStart);
    EXPECT_EQ(rig.Mode(), TScreenMode::smDemoPixelLevel);
}

TEST(Instructions, ADemoDrawsTheSameFramesWhateverTheGamesSeed)
{
    uint64_t hashes[2] = {};
    for (uint32_t seed : {1u, 2u}) {
        TTitleRig rig(seed);
        rig.Click("WTitle_BInstructions");
        rig.Frames(kDemoFrames);
        ASSERT_EQ(rig.Mode(), TScreenMode::smDemoLevel);
        hashes[seed - 1] = rig.FrameHash();
    }
    EXPECT_NE(hashes[0], 0u);
    EXPECT_EQ(hashes[0], hashes[1]);
}

std::string ShippedDemo() { return TProgramCopy("shipped").Read("Demo.dat"); }

TEST(Instructions, ADamagedOrForeignDemoLeavesItsPageWithoutItAndALogLine)
{
    const std::string shipped = ShippedDemo();
    ASSERT_GT(shipped.size(), 60u);
    std::string noise(4096, '\0');
    uint32_t state = 12345;
    for (char& ch : noise) {
        state = state * 1103515245u + 12345u;
        ch = static_cast<char>(state >> 16);
    }
    const std::string bonusDemo = TProgramCopy("bonus").Read("DemoB.dat");
    const struct {
        const char* Name;
        std::string Bytes;
        bool Plays;
        const char* Logged;
    } cases[] = {
        {"empty", "", false, "Error RunDemo"},
        {"truncated in its header", shipped.substr(0, 20), false, "Error RunDemo"},
        {"random bytes", noise, false, "Error RunDemo"},
        {"recorded on another level", bonusDemo, false, "Error RunDemo"},
        // Lines that name pieces the level does not have are passed over; the rest plays.
        {"pieces outside its level",
         "Episod=0\r\nLevel= 0\r\nFileName=Level_Demo.xml\r\n<AddFishes FT=\"9999\" H=\"1\" time=\"10\" />\r\n"
         "<AddFishes FT=\"73\" H=\"77\" time=\"20\" />\r\n<MouseMove x=\"-400\" y=\"90000\" time=\"30\" />\r\n",
         true, "Error PlayGameDemo"},
    };
    for (const auto& c : cases) {
        TProgramCopy program("damaged");
        program.Write("Demo.dat", c.Bytes);
        TTitleRig rig(1, program.Path());
        rig.Click("WTitle_BInstructions");
        rig.Frames(60);
        EXPECT_EQ(rig.TopWindow(), "WInstructions") << c.Name;
        EXPECT_EQ(rig.Demo().Running(), c.Plays) << c.Name;
        EXPECT_EQ(rig.Mode(), c.Plays ? TScreenMode::smDemoLevel : TScreenMode::smInstructions) << c.Name;
        EXPECT_TRUE(rig.Logged(c.Logged)) << c.Name;
        // The pages go on working.
        rig.Click("WInstructions_TFPage1_BNext");
        rig.Click("WInstructions_TFPage2_BNext");
        rig.Frames(10);
        EXPECT_EQ(rig.Mode(), TScreenMode::smDemoBonusLevel) << c.Name;
    }
}

TEST(Instructions, TheDemosAreFoundBesideTheProgramNotInTheCurrentFolder)
{
    TProgramCopy elsewhere("cwd");
    elsewhere.Write("Demo.dat", "not a demo");
    const fs::path before = fs::current_path();
    fs::current_path(elsewhere.Path());
    {
        TTitleRig rig;
        rig.Click("WTitle_BInstructions");
        rig.Frames(10);
        EXPECT_EQ(rig.Mode(), TScreenMode::smDemoLevel);
        EXPECT_TRUE(rig.Demo().Running());
    }
    fs::current_path(before);
}

TEST(Instructions, FromTheGameMenuThePagesCloseToThePausedDayUnderItsMenu)
{
    TGameRig rig(std::pair{0, 1});
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Visible("WBeforeLevel_BPlay"); }, kLoadFrames));
    rig.Click("WBeforeLevel_BPlay");
    rig.Frames(60);
    rig.Click("WGame_BMenu");
    rig.Frames(2);
    ASSERT_EQ(rig.TopWindow(), "WGameMenu");
    TLevelSession* day = rig.Engine->LevelScreen()->Session();
    ASSERT_NE(day, nullptr);
    const int32_t timeLeft = day->Level().Times.TimeLeft;

    rig.Click("WGameMenu_BInstructions");
    rig.Frames(300);
    EXPECT_EQ(rig.Mode(), TScreenMode::smDemoLevel);
    EXPECT_EQ(day->Level().Times.TimeLeft, timeLeft) << "the day waits under the pages";

    rig.Click("WInstructions_TFOk_BOk");
    rig.Frames(2);
    EXPECT_EQ(rig.Mode(), TScreenMode::smGameMenu);
    EXPECT_EQ(rig.TopWindow(), "WGameMenu");
    EXPECT_EQ(rig.Engine->LevelScreen()->Session(), day);
    rig.Click("WGameMenu_BResume");
    rig.Frames(60);
    EXPECT_EQ(rig.Mode(), TScreenMode::smLevel);
    EXPECT_LT(day->Level().Times.TimeLeft, timeLeft);
}

// ---- Recording ---------------------------------------------------------------------------------

TEST(DemoRecording, TheDebugKeyRecordsTheDayAndItsEndWritesTheDemoBesideTheProgram)
{
    TProgramCopy program("record");
    fs::remove(program.Path() / "Demo.dat");
    {
        TGameRig rig(std::pair{0, 1}, "greedy", 3, program.Path());
        rig.Engine->Options.DebugMode = kDebugModeCode;
        ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == TScreenMode::smLevel; }, kLoadFrames));
        TInputEvent key;
        key.Kind = TInputKind::KeyDown;
        key.Key = KeyCode::LetterA + ('D' - 'A');
        key.Shift = ShiftState::Ctrl;
        rig.Engine->HandleInput(key);
        EXPECT_TRUE(rig.Engine->LevelScreen()->RecordsDemos());
        rig.Frames(1500);
        EXPECT_FALSE(fs::exists(program.Path() / "Demo.dat")) << "written when the day ends";
        rig.Engine->AllScreens()->Level.WAbortLevel_BOk_MouseUp();
    }
    const std::vector<std::string> lines = ReadDemoLines(program.Path() / "Demo.dat");
    ASSERT_GT(lines.size(), 5u);
    EXPECT_EQ(lines[2], "FileName=Level_1_2.xml");
    EXPECT_NE(program.Read("Demo.dat").find("\r\n"), std::string::npos);
    int32_t previous = 0;
    int clicks = 0;
    for (size_t i = 3; i < lines.size(); ++i) {
        const TDemoEvent event = ParseDemoLine(lines[i]);
        EXPECT_NE(event.Kind, TDemoEventKind::None) << lines[i];
        EXPECT_GE(event.Time, previous) << lines[i];
        previous = event.Time;
        clicks += event.Kind == TDemoEventKind::MouseLDown ? 1 : 0;
    }
    EXPECT_GT(clicks, 0) << "the bot's clicks are recorded";
}

// ---- The end of the game ----------------------------------------------------------------------

TEST(GameComplete, WinningTheLastDayOfTheLastShopOpensTheGameCompleteWindow)
{
    TTitleRig rig(5, ProgramFolder(), "greedy");
    TPlayer& player = rig.Screens().Context.Player;
    const TEpisods& episods = rig.Screens().Context.Tables.Episods;
    // The last shop whose days are in the data (the eighth once its levels are made).
    int32_t last = -1;
    for (int32_t e = 0; e < episods.Count(); ++e)
        if (episods.IsPlayable(e) && rig.Screens().Context.Data.Exists(episods.Episod(e)->Levels.back().Name))
            last = e;
    ASSERT_GE(last, 0);
    const int32_t lastDay = static_cast<int32_t>(episods.Episod(last)->Levels.size()) - 1;
    // A record that has reached the last day of the last shop whose days exist.
    player.CurrentEpisod = player.MaxEpisod = last;
    player.CurrentLevel = lastDay;
    for (int32_t e = 0; e < last; ++e)
        player.WinEpisode[static_cast<size_t>(e)] = true;
    ASSERT_EQ(rig.Engine->Players()->SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);

    rig.Click("WTitle_BPlay");
    rig.Frame();
    ASSERT_EQ(rig.TopWindow(), "WContinue");
    rig.Click("WContinue_BPlaySaved");
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Trace.Has("level " + episods.Episod(last)->Levels.back().Name); }, 100));
    // The results are read and closed as a player would; the bot plays the day.
    const bool ended = rig.RunUntil(
        [&] {
            for (const char* ok : {"WLevelComplete_BOk", "WBonusLevelComplete_BOk"})
                if (rig.TopWindow() + "_BOk" == ok)
                    rig.Click(ok);
            return rig.Trace.Has("show WGameComplete") || rig.Trace.First("result").starts_with("failed");
        },
        40000);
    ASSERT_TRUE(ended) << "episode " << last + 1;
    EXPECT_TRUE(rig.Trace.First("result").starts_with("complete")) << rig.Trace.First("result");
    EXPECT_TRUE(rig.Trace.Has("show WGameComplete")) << "episode " << last + 1 << " day " << lastDay + 1;
}

}  // namespace
