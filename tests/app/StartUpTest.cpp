// The window's start-up and shutdown: the log header and the start-up lines in order, the
// audio library's start, a missing or damaged archive, user folders that cannot be used
// or written, pipes in place of the player's files, and what closing leaves behind.
#include "AppDoubles.h"
#include "app/LogHeader.h"
#include "audio/SoundEngine.h"
#include "foundation/FileFolder.h"
#include "foundation/QelLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace {

TEST(LogHeader, DateAndTimeOnATwelveHourClock)
{
    struct Row {
        int Day, Month, Year, Hour, Minute;
        const char* Text;
    };
    const Row rows[] = {
        {5, 3, 2024, 0, 7, "05:03:2024 12:07 AM"},  {5, 3, 2024, 9, 30, "05:03:2024 09:30 AM"},
        {5, 3, 2024, 12, 0, "05:03:2024 12:00 PM"}, {31, 12, 1999, 13, 5, "31:12:1999 01:05 PM"},
        {1, 1, 2030, 23, 59, "01:01:2030 11:59 PM"},
    };
    for (const Row& row : rows) {
        std::tm t{};
        t.tm_mday = row.Day;
        t.tm_mon = row.Month - 1;
        t.tm_year = row.Year - 1900;
        t.tm_hour = row.Hour;
        t.tm_min = row.Minute;
        EXPECT_EQ(FormatLogDateTime(t), row.Text);
    }
}

TEST(StartUp, WritesTheHeaderAndEachStepInOrder)
{
    TShellRig rig;
    auto engine = rig.Start();
    const std::string log = rig.UserFile("Glimmora.log");
    const auto lines = LogMessages(log);
    ASSERT_EQ(lines.size(), 16u) << log;
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(DATE/TIME: \d\d:\d\d:\d{4} \d\d:\d\d (AM|PM))"))) << lines[0];
    EXPECT_EQ(lines[1], "Version 1.38");
    EXPECT_EQ(lines[2], "System Information");
    EXPECT_TRUE(lines[3].starts_with("   OS Version: "));
    EXPECT_TRUE(lines[4].starts_with("   Processor: "));
    EXPECT_TRUE(std::regex_match(lines[5], std::regex(R"(   Total Memory: \d+ Mb)"))) << lines[5];
    std::vector<std::string> steps(lines.begin() + 6, lines.end());
    // The interface engine's load report, four lines, comes before the interface's line.
    ASSERT_EQ(steps.size(), 10u);
    EXPECT_EQ(steps[5], "QelInterfaceInfo:");
    steps.erase(steps.begin() + 5, steps.begin() + 9);
    EXPECT_EQ(steps, (std::vector<std::string>{"Form Create Method runed.", "Bass init Ok...", "Sounds Loaded Start...",
                                               "Sounds Loaded Ok...", "Qel Font Loaded Ok...",
                                               "Qel Interface Loaded Ok..."}));
    // Every line is stamped from the start; the clock has not moved.
    EXPECT_TRUE(log.starts_with("{0:0:0} DATE/TIME: "));
    EXPECT_TRUE(rig.Boxes.Boxes.empty());
}

TEST(StartUp, TheLogGrowsAcrossRunsAndStampsFromTheStart)
{
    TShellRig rig;
    rig.Start().reset();
    rig.Clock.Advance(5000);
    auto engine = rig.Start();
    rig.Clock.Advance(75004);
    engine->WriteLog("Error LoadShop");
    engine->WriteLog("side line", "Stat.log");
    const std::string log = rig.UserFile("Glimmora.log");
    size_t runs = 0;
    for (size_t at = log.find("DATE/TIME"); at != std::string::npos; at = log.find("DATE/TIME", at + 1))
        ++runs;
    EXPECT_EQ(runs, 2u);
    EXPECT_NE(log.find("\r\n{1:15:4} Error LoadShop\r\n"), std::string::npos);
    EXPECT_EQ(rig.UserFile("Stat.log"), "side line\r\n");
    // Only the debug mode shows "Error" lines in a box.
    EXPECT_TRUE(rig.Boxes.Boxes.empty());
}

TEST(StartUp, DebugModeShowsErrorLinesInABox)
{
    TShellRig rig;
    rig.Program.Write("options.cfg", "[Options]\nDebugMode=863\nVersion=1.38\n");
    auto engine = rig.Start();
    engine->WriteLog("Error LoadShop");
    engine->WriteLog("error in lower case");
    ASSERT_EQ(rig.Boxes.Boxes.size(), 1u);
    EXPECT_EQ(rig.Boxes.Boxes[0].Text, "Error LoadShop");
}

TEST(StartUp, AudioStartsOnlyWithTheVersionItKnows)
{
    struct Row {
        uint32_t Version;
        bool InitWorks;
        bool Available;
        std::vector<std::string> Calls;
    };
    const uint32_t known = kAudioLibraryVersion;
    const Row rows[] = {
        {known, true, true, {"GetVersion", "Init 44100", "Start", "SetGlobalVolumes"}},
        // The sign of the reported number does not count.
        {static_cast<uint32_t>(-static_cast<int32_t>(known)), true, true,
         {"GetVersion", "Init 44100", "Start", "SetGlobalVolumes"}},
        // Without sound the sound list still makes its calls; the library refuses them.
        {1 | (7u << 16), true, false, {"GetVersion", "SetGlobalVolumes"}},
        {known, false, false, {"GetVersion", "Init 44100", "SetGlobalVolumes"}},
    };
    for (const Row& row : rows) {
        TShellRig rig;
        rig.Audio.Version = row.Version;
        rig.Audio.InitResult = row.InitWorks;
        auto engine = rig.Start();
        EXPECT_EQ(engine->SoundAvailable, row.Available) << row.Version;
        EXPECT_EQ(rig.Audio.Calls, row.Calls) << row.Version;
        // Silent or not, the game runs on.
        EXPECT_NE(rig.UserFile("Glimmora.log").find("Bass init Ok...\r\n{0:0:0} Sounds Loaded Start..."),
                  std::string::npos);
        engine->FormActivate();
        engine->AppIdle();
        EXPECT_EQ(rig.Display.Memory.Presents, 1);
    }
}

TEST(StartUp, AMissingArchiveIsShownLoggedAndEndsTheProgramWithAFailure)
{
    TShellRig rig;
    rig.Program.Write("options.cfg", "[Options]\nWindowModeX=300\nVersion=1.38\n");
    auto engine = rig.Start(/*useArchive=*/true);
    ASSERT_EQ(rig.Boxes.Boxes.size(), 1u);
    EXPECT_NE(rig.Boxes.Boxes[0].Text.find("game.zxc"), std::string::npos) << rig.Boxes.Boxes[0].Text;
    EXPECT_EQ(engine->Data(), nullptr);
    const std::string log = rig.UserFile("Glimmora.log");
    EXPECT_NE(log.find("Bass init Ok..."), std::string::npos);
    EXPECT_EQ(log.find("Sounds Loaded Start..."), std::string::npos);
    EXPECT_NE(log.find("} Error StartUp: The game data "), std::string::npos) << log;
    EXPECT_EQ(rig.Window.Placed, 0) << "the window style step is skipped too";
    // A game without its data must not look like one that ran.
    EXPECT_TRUE(engine->Terminated());
    EXPECT_EQ(engine->ExitCode(), 1);
}

// Not only a missing archive: one that is empty, cut short, damaged or not a file at all
// ends the program the same way, naming the cause, before anything is read from it.
TEST(StartUp, ADamagedArchiveIsShownLoggedAndEndsTheProgramWithAFailure)
{
    TTempFolder source;
    WriteFileFolder(source / "game.zxc", {{"Glimmora.li", {'<', 'a', '/', '>'}}, {"click.ogg", {'o', 'g', 'g'}}});
    const std::string whole = source.Read("game.zxc");
    struct TCase {
        const char* What;
        std::string Bytes;  // the archive's bytes; a folder for "a folder"
        const char* Cause;
    };
    std::string badLabel = whole;
    std::swap(badLabel[0], badLabel[1]);
    const TCase cases[] = {
        {"empty", "", "Cannot open FileFolder (wrong file size)"},
        {"cut in its directory", whole.substr(0, 60), "Cannot open Dir (wrong size)"},
        {"cut in its data", whole.substr(0, whole.size() - 2), "Cannot open FileFolder (entry \"click.ogg\" ends at byte"},
        {"damaged label", badLabel, "Cannot open FileFolder (broked label)"},
        {"a folder", "", "not a regular file"},
    };
    for (const TCase& c : cases) {
        TShellRig rig;
        if (std::string_view(c.What) == "a folder")
            std::filesystem::create_directory(rig.Program / "game.zxc");
        else
            rig.Program.Write("game.zxc", c.Bytes);
        auto engine = rig.Start(/*useArchive=*/true);
        ASSERT_EQ(rig.Boxes.Boxes.size(), 1u) << c.What;
        const std::string& shown = rig.Boxes.Boxes[0].Text;
        EXPECT_NE(shown.find("game.zxc cannot be read: "), std::string::npos) << c.What << ": " << shown;
        EXPECT_NE(shown.find(c.Cause), std::string::npos) << c.What << ": " << shown;
        const std::string log = rig.UserFile("Glimmora.log");
        EXPECT_NE(log.find("} Error StartUp: The game data "), std::string::npos) << c.What;
        EXPECT_NE(log.find(c.Cause), std::string::npos) << c.What << ": " << log;
        EXPECT_EQ(log.find("Sounds Loaded Start..."), std::string::npos) << c.What;
        EXPECT_TRUE(engine->Terminated()) << c.What;
        EXPECT_EQ(engine->ExitCode(), 1) << c.What;
    }
}

// A user folder that was named but cannot be used is an error, never a quiet move of the
// player's files into the program folder: nothing is written anywhere.
TEST(StartUp, AUserFolderThatCannotBeUsedEndsTheProgramAndWritesNothing)
{
    struct TCase {
        const char* What;
        const char* FileAt;  // below the rig's user root
    };
    for (const TCase c : {TCase{"is a file", "Orvanta/Glimmora"}, {"lies below a file", "Orvanta"}}) {
        TShellRig rig;
        rig.Program.Write("options.cfg", "[Options]\nVersion=1.38\n");
        std::filesystem::create_directories((rig.User / c.FileAt).parent_path());
        rig.User.Write(c.FileAt, "a file");
        const auto programBefore = FolderNames(rig.Program.Path());
        const auto userBefore = FolderNames(rig.User / "Orvanta");
        {
            auto engine = rig.Start();
            ASSERT_EQ(rig.Boxes.Boxes.size(), 1u) << c.What;
            const std::string said = "The user folder \"" + rig.UserFolder().string() + "\" cannot be used: ";
            EXPECT_TRUE(rig.Boxes.Boxes[0].Text.starts_with(said)) << rig.Boxes.Boxes[0].Text;
            EXPECT_GT(rig.Boxes.Boxes[0].Text.size(), said.size()) << "the reason follows";
            EXPECT_TRUE(engine->Terminated());
            EXPECT_EQ(engine->ExitCode(), 1);
            // The program entry still activates the window once before it leaves.
            engine->FormActivate();
        }
        EXPECT_EQ(FolderNames(rig.Program.Path()), programBefore) << c.What;
        EXPECT_EQ(rig.Program.Read("options.cfg"), "[Options]\nVersion=1.38\n");
        EXPECT_EQ(FolderNames(rig.User / "Orvanta"), userBefore) << c.What;
        EXPECT_EQ(rig.User.Read(c.FileAt), "a file");
    }
}

// A read-only user folder: the game runs, and a save that fails says so once, in the log
// when the log can still take lines, else in a box.
TEST(StartUp, AReadOnlyUserFolderSaysSoWhenASaveFails)
{
    for (const bool logThere : {true, false}) {
        TShellRig rig;
        std::filesystem::create_directories(rig.UserFolder());
        if (logThere)
            rig.User.Write("Orvanta/Glimmora/Glimmora.log", "");
        TReadOnlyFolder readOnly(rig.UserFolder());
        if (!readOnly.Works())
            GTEST_SKIP() << "this system writes into a read-only folder";
        {
            auto engine = rig.Start();
            EXPECT_FALSE(engine->Terminated());
            engine->FormClose();
        }
        const std::string log = rig.UserFile("Glimmora.log");
        if (logThere) {
            EXPECT_NE(log.find("} Error SaveOptions: Cannot create "), std::string::npos) << log;
            EXPECT_TRUE(rig.Boxes.Boxes.empty());
        } else {
            ASSERT_EQ(rig.Boxes.Boxes.size(), 1u);
            EXPECT_TRUE(rig.Boxes.Boxes[0].Text.starts_with("Error SaveOptions: Cannot create ")) << rig.Boxes.Boxes[0].Text;
            EXPECT_NE(rig.Boxes.Boxes[0].Text.find("The game log cannot be written either"), std::string::npos);
        }
        EXPECT_FALSE(std::filesystem::exists(rig.Program / "options.cfg")) << "nothing moves to the program folder";
        EXPECT_FALSE(std::filesystem::exists(rig.Program / "Glimmora.log"));
    }
}

// A pipe in the place of options.cfg or Glimmora.log would hold the start-up for ever (and
// SIGTERM with it): both are read and written only as regular files.
TEST(StartUp, PipesInPlaceOfTheOptionsOrTheLogDoNotHoldTheStartUp)
{
    // A start-up that waited on a pipe would never return: the alarm fails the binary.
    ::alarm(60);
    struct TCase {
        bool OptionsPipe, LogPipe;
        size_t Boxes;  // the log that cannot be written shows the options' error once
    };
    for (const TCase c : {TCase{true, false, 0}, {false, true, 0}, {true, true, 1}}) {
        TShellRig rig;
        rig.Program.Write("options.cfg", "[Options]\nSoundVolume=40\nVersion=1.38\n");
        std::filesystem::create_directories(rig.UserFolder());
        if (c.OptionsPipe) {
            ASSERT_EQ(::mkfifo((rig.UserFolder() / "options.cfg").c_str(), 0644), 0);
        } else {
            rig.User.Write("Orvanta/Glimmora/options.cfg", "[Options]\nSoundVolume=40\nVersion=1.38\n");
        }
        if (c.LogPipe) {
            ASSERT_EQ(::mkfifo((rig.UserFolder() / "Glimmora.log").c_str(), 0644), 0);
        }
        auto engine = rig.Start();
        EXPECT_FALSE(engine->Terminated());
        EXPECT_EQ(engine->Options.SoundVolume, 40);
        EXPECT_EQ(rig.Boxes.Boxes.size(), c.Boxes) << c.OptionsPipe << c.LogPipe;
        // The options are saved over the pipe as a file of their own.
        EXPECT_TRUE(std::filesystem::is_regular_file(rig.UserFolder() / "options.cfg"));
        if (c.OptionsPipe && !c.LogPipe) {
            EXPECT_NE(rig.UserFile("Glimmora.log").find("} Error LoadOptions: Cannot open file "), std::string::npos);
        }
    }
    ::alarm(0);
}

// Saves killed half-way leave temporary files of our writer's names; the next start
// removes them and nothing else.
TEST(StartUp, LeftoverTemporariesOfKilledSavesAreRemoved)
{
    TShellRig rig;
    const std::string gone = std::to_string(GonePid());
    std::filesystem::create_directories(rig.UserFolder() / "Shots");
    for (const std::string& name : {"options.cfg.tmp-" + gone + "-Ab3xZ9", "players.dat.tmp-" + gone + "-000000",
                                    "Shots/Shot0003.jpg.tmp-" + gone + "-qqqqqq", std::string("notes.tmp"),
                                    std::string("Shots/Shot0002.jpg")})
        rig.User.Write("Orvanta/Glimmora/" + name, "left");
    auto engine = rig.Start();
    EXPECT_EQ(FolderNames(rig.UserFolder()),
              (std::vector<std::string>{"Glimmora.log", "Shots", "notes.tmp", "options.cfg"}));
    EXPECT_EQ(FolderNames(rig.UserFolder() / "Shots"), std::vector<std::string>{"Shot0002.jpg"});
}

TEST(StartUp, TheWindowTakesItsPlaceFromTheOptions)
{
    TShellRig rig;
    rig.Program.Write("options.cfg", "[Options]\nWindowModeX=300\nWindowModeY=120\nVersion=1.38\n");
    auto engine = rig.Start();
    EXPECT_EQ(rig.Window.Left, 300);
    EXPECT_EQ(rig.Window.Top, 120);
}

TEST(StartUp, TheEngineLogStartsAfreshEachRun)
{
    TShellRig rig;
    rig.Program.Write("QelInterface.log", "old run\r\n");
    auto engine = rig.Start();
    EXPECT_EQ(rig.Program.Read("QelInterface.log"), "");
    ASSERT_NE(EngineLog(), nullptr);
    EngineLog()->Add("Exception error in [TQelFont.Load]");
    EXPECT_EQ(rig.Program.Read("QelInterface.log"), "{0:0:0} Exception error in [TQelFont.Load]\r\n");
    engine.reset();
    EXPECT_EQ(EngineLog(), nullptr) << "a destroyed window leaves no engine log behind";
}

TEST(StartUp, SoundTakesTheOptionsVolumesAndTheDataTables)
{
    TShellRig rig;
    rig.Program.Write("data/Sounds.xml", "<Sounds><Click Volume=\"80\">click.ogg</Click></Sounds>");
    rig.Program.Write("data/MusicPattern.xml", "<MusicPattern><M ID=\"Title\" Name=\"title.xm\"/></MusicPattern>");
    auto engine = rig.Start();
    ASSERT_NE(engine->Sounds(), nullptr);
    EXPECT_EQ(engine->Sounds()->MusicVolume(), engine->Options.MusicVolume);
    EXPECT_EQ(engine->Sounds()->SoundVolume(), engine->Options.SoundVolume);
    EXPECT_NE(std::find(rig.Audio.Calls.begin(), rig.Audio.Calls.end(), "SetGlobalVolumes"), rig.Audio.Calls.end());
    // The tables come with the game data, once the window is first shown.
    EXPECT_FALSE(engine->Sounds()->Events().Loaded());
    engine->FormActivate();
    EXPECT_EQ(engine->Sounds()->Events().GetEventSoundVolume("Click"), 80);
    EXPECT_EQ(engine->Sounds()->Music().GetMusicNameByID("Title"), "title.xm");
    const std::string log = rig.UserFile("Glimmora.log");
    for (const char* table : {"Sounds", "MusicPattern"})
        EXPECT_EQ(log.find(std::string("Error Load") + table), std::string::npos) << log;
}

TEST(Shutdown, SavesTheOptionsAndFreesTheAudioLibrary)
{
    TShellRig rig;
    auto engine = rig.Start();
    engine->FormActivate();
    engine->Options.SoundVolume = 35;
    engine->FormClose();
    EXPECT_TRUE(engine->Terminated());
    EXPECT_EQ(engine->ExitCode(), 0);
    EXPECT_NE(rig.UserFile("options.cfg").find("SoundVolume=35\r\n"), std::string::npos);
    engine->Options.MusicVolume = 15;
    rig.Audio.Calls.clear();
    engine.reset();
    EXPECT_NE(rig.UserFile("options.cfg").find("MusicVolume=15\r\n"), std::string::npos);
    EXPECT_EQ(rig.Audio.Calls, (std::vector<std::string>{"Stop", "Free"}));
}

}  // namespace
