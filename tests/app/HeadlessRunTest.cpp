// The program itself, run headless as a developer runs it: it starts, shows its frames,
// closes normally and leaves the player's files behind; and it ends with a failure, saying
// why, when its data or its user folder cannot be used.
#include "AppDoubles.h"
#include "foundation/Files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

struct TRun {
    int Status = -1;
    std::string Output;
};

// Runs the program with the arguments; standard output and error together.
TRun RunProgram(const std::string& args, const TTempFolder& scratch, const std::string& program = GLIMMORA_PROGRAM)
{
    const std::string out = (scratch.Path() / "output.txt").string();
    const std::string command = "'" + program + "' " + args + " > '" + out + "' 2>&1";
    int raw = std::system(command.c_str());
    TRun run;
    run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.Output = scratch.Read("output.txt");
    return run;
}

TEST(HeadlessRun, RunsItsFramesAndLeavesOptionsAndLog)
{
    TTempFolder scratch;
    const std::string user = (scratch.Path() / "user").string();
    const std::string args = "--headless --frames 120 --user-dir '" + user + "'";
    TRun first = RunProgram(args, scratch);
    ASSERT_EQ(first.Status, 0) << first.Output;

    const std::string options = scratch.Read("user/options.cfg");
    std::vector<std::string> keys;
    for (const std::string& line : LogMessages(options))
        if (auto eq = line.find('='); eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
    EXPECT_EQ(keys, (std::vector<std::string>{"SoundVolume", "MusicVolume", "WindowModeX", "WindowModeY",
                                              "FullScreenMode", "BitsPerPixel", "DebugMode", "GameFolderDir",
                                              "HintsMode", "FromFileFolder", "StaySelect", "Version"}));
    EXPECT_NE(options.find("Version=1.38\r\n"), std::string::npos);

    const auto lines = LogMessages(scratch.Read("user/Glimmora.log"));
    ASSERT_GE(lines.size(), 8u);
    EXPECT_TRUE(lines[0].starts_with("DATE/TIME: "));
    EXPECT_EQ(lines[1], "Version 1.38");
    EXPECT_EQ(lines[6], "Form Create Method runed.");
    EXPECT_EQ(lines[7], "Bass init Ok...");

    TRun second = RunProgram(args, scratch);
    ASSERT_EQ(second.Status, 0) << second.Output;
    const std::string log = scratch.Read("user/Glimmora.log");
    EXPECT_NE(log.find("DATE/TIME: ", log.find("Bass init Ok...")), std::string::npos) << "the second run appends";
}

TEST(HeadlessRun, PlaysAnInputScriptAndSavesTheFrame)
{
    TTempFolder scratch;
    scratch.Write("input.txt", "0 mouse 400 300\n2 down 400 300\n3 up 400 300\n4 key alt+Enter\n6 key alt+Enter\n");
    std::filesystem::create_directories(scratch.Path() / "data");
    const std::string args = "--headless --uncapped --fixed-step 16 --seed 5 --frames 10 --user-dir '" +
                             (scratch.Path() / "user").string() + "' --data '" + (scratch.Path() / "data").string() +
                             "' --input '" + (scratch.Path() / "input.txt").string() + "' --screenshot '" +
                             (scratch.Path() / "frame.png").string() + "'";
    TRun run = RunProgram(args, scratch);
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_TRUE(scratch.Read("frame.png").starts_with("\x89PNG"));
    // Full screen and back: the options end where they started.
    EXPECT_NE(scratch.Read("user/options.cfg").find("FullScreenMode=0\r\n"), std::string::npos);
    // The fixed step stamps the log lines of the start-up at the same time, every run.
    EXPECT_NE(scratch.Read("user/Glimmora.log").find("{0:0:0} Qel Font Loaded Ok..."), std::string::npos);
}

// The lines of a trace file of one kind, "<frame> <kind> <detail>", as their details.
std::vector<std::string> TraceDetails(const std::string& trace, const std::string& kind)
{
    std::vector<std::string> details;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        const size_t first = line.find(' ');
        if (first == std::string::npos)
            continue;
        const size_t second = line.find(' ', first + 1);
        if (line.substr(first + 1, second - first - 1) == kind)
            details.push_back(second == std::string::npos ? "" : line.substr(second + 1));
    }
    return details;
}

std::string ToLf(std::string text)
{
    std::string out;
    for (char ch : text)
        if (ch != '\r')
            out += ch;
    return out;
}

std::string FixedRun(const TTempFolder& scratch, int frames)
{
    return "--headless --uncapped --fixed-step 16 --seed 3 --frames " + std::to_string(frames) + " --user-dir '" +
           (scratch.Path() / "user").string() + "' --trace '" + (scratch.Path() / "trace.txt").string() + "'";
}

TEST(HeadlessRun, ANewPlayerSeesTheLoadingTheSplashAndTheTitle)
{
    TTempFolder scratch;
    TRun run = RunProgram(FixedRun(scratch, 600) + " --screenshot '" + (scratch.Path() / "title.png").string() + "'",
                          scratch);
    ASSERT_EQ(run.Status, 0) << run.Output;
    const std::string trace = ToLf(scratch.Read("trace.txt"));
    // Progress rises to 100 while the game loads, before the first frame.
    std::vector<int> progress;
    for (const std::string& value : TraceDetails(trace, "progress"))
        progress.push_back(std::stoi(value));
    ASSERT_FALSE(progress.empty()) << trace;
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end())) << trace;
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(TraceDetails(trace, "mode"), (std::vector<std::string>{"smSplash", "smTitle"})) << trace;
    const size_t splash = trace.find(" mode smSplash\n");
    EXPECT_GT(splash, trace.rfind(" progress ")) << "the splash follows the loading";
    EXPECT_NE(trace.find(" show WTitle\n", splash), std::string::npos) << trace;
    EXPECT_NE(trace.find(" music "), std::string::npos) << "the title has its music";
    EXPECT_TRUE(trace.ends_with(" end smTitle - 0 0 0\n")) << trace;
    EXPECT_TRUE(scratch.Read("title.png").starts_with("\x89PNG"));
    const std::string log = scratch.Read("user/Glimmora.log");
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
    EXPECT_EQ(log.find("xception"), std::string::npos) << log;

    // The same run traces the same lines.
    TTempFolder again;
    ASSERT_EQ(RunProgram(FixedRun(again, 600), again).Status, 0);
    EXPECT_EQ(ToLf(again.Read("trace.txt")), trace);
}

// An installation keeps the program in bin/ and its files in share/glimmora/; the
// installed program finds them from any working folder and comes to the title.
TEST(HeadlessRun, TheInstalledProgramFindsItsFilesFromAnyFolder)
{
    TTempFolder scratch;
    const std::filesystem::path prefix = scratch.Path() / "usr";
    const std::string install = "cmake --install '" + std::string(GLIMMORA_BUILD) + "' --prefix '" + prefix.string() +
                                "' > '" + (scratch.Path() / "install.txt").string() + "' 2>&1";
    ASSERT_EQ(std::system(install.c_str()), 0) << scratch.Read("install.txt");
    for (const char* file : {"bin/glimmora", "share/glimmora/game.zxc", "share/glimmora/options.cfg",
                             "share/applications/glimmora.desktop", "share/icons/hicolor/48x48/apps/glimmora.png"})
        EXPECT_TRUE(std::filesystem::exists(prefix / file)) << file;

    const std::string run = "cd '" + scratch.Path().string() + "' && '" + (prefix / "bin/glimmora").string() + "' " +
                            FixedRun(scratch, 200) + " > '" + (scratch.Path() / "output.txt").string() + "' 2>&1";
    ASSERT_EQ(std::system(run.c_str()), 0) << scratch.Read("output.txt");
    EXPECT_NE(scratch.Read("trace.txt").find("mode smTitle"), std::string::npos) << scratch.Read("trace.txt");
}

TEST(HeadlessRun, TheOptionsWindowSavesTheMusicVolumeAndCtrlPNumbersShots)
{
    TTempFolder scratch;
    std::filesystem::create_directories(scratch.Path() / "user" / "Shots");
    scratch.Write("user/Shots/Shot0100.jpg", "an older shot");
    // Music at full volume: the slider's thumb is at its right end, so a press on the
    // slider's middle falls on the track left of it.
    scratch.Write("user/options.cfg", "[Options]\r\nMusicVolume=100\r\nVersion=1.38\r\n");
    scratch.Write("script.txt", "+1 wait WTitle_BOptions\n"
                                "+2 click WTitle_BOptions\n"
                                "+2 wait WOptions_SMusicVolume\n"
                                "+2 click WOptions_SMusicVolume\n"
                                "+3 click WOptions_BOk\n"
                                "+3 key ctrl+P\n"
                                "+2 key ctrl+P\n");
    TRun run = RunProgram(FixedRun(scratch, 900) + " --input '" + (scratch.Path() / "script.txt").string() + "'",
                          scratch);
    ASSERT_EQ(run.Status, 0) << run.Output;
    const std::string trace = ToLf(scratch.Read("trace.txt"));
    const auto execs = TraceDetails(trace, "exec");
    for (const char* handler : {"WTitle_BOptions_MouseUp", "WOptions_SMusicVolume_Change", "WOptions_BOk_MouseUp"})
        EXPECT_NE(std::find(execs.begin(), execs.end(), handler), execs.end()) << handler << "\n" << trace;
    EXPECT_NE(trace.find(" save options.cfg\n", trace.find(" exec WOptions_BOk_MouseUp\n")), std::string::npos)
        << trace;
    // A press on the track left of the thumb lowers the volume by a page.
    const std::string options = scratch.Read("user/options.cfg");
    EXPECT_NE(options.find("MusicVolume=90\r\n"), std::string::npos) << options;
    EXPECT_TRUE(scratch.Read("user/Shots/Shot0101.jpg").starts_with("\xFF\xD8"));
    EXPECT_TRUE(scratch.Read("user/Shots/Shot0102.jpg").starts_with("\xFF\xD8"));
    EXPECT_EQ(scratch.Read("user/Shots/Shot0100.jpg"), "an older shot");
}

TEST(HeadlessRun, AScriptThatClicksAHiddenWidgetStopsWithStatusThree)
{
    TTempFolder scratch;
    scratch.Write("script.txt", "# the quit question is not open\n3 click WQuit_BOk\n");
    TRun run = RunProgram(FixedRun(scratch, 50) + " --input '" + (scratch.Path() / "script.txt").string() + "'",
                          scratch);
    EXPECT_EQ(run.Status, 3);
    EXPECT_NE(run.Output.find("script.txt: line 2: cannot click the hidden widget WQuit_BOk at frame 3"),
              std::string::npos)
        << run.Output;
}

TEST(HeadlessRun, StopsOnAMalformedInputLineWithItsNumber)
{
    TTempFolder scratch;
    scratch.Write("input.txt", "0 mouse 1 1\n# fine so far\n5 klick 3 4\n");
    TRun run = RunProgram("--headless --frames 5 --input '" + (scratch.Path() / "input.txt").string() + "'", scratch);
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Output.find("input.txt:3: unknown event \"klick\""), std::string::npos) << run.Output;
}

// The program in a program folder of its own ("bin" of the scratch folder: a hard link to
// the built program, or a copy), so a test can spoil what lies beside it.
std::string ProgramCopy(const TTempFolder& scratch)
{
    const std::filesystem::path bin = scratch.Path() / "bin";
    std::filesystem::create_directories(bin);
    std::error_code ec;
    std::filesystem::create_hard_link(GLIMMORA_PROGRAM, bin / "glimmora", ec);
    if (ec)
        std::filesystem::copy_file(GLIMMORA_PROGRAM, bin / "glimmora");
    return (bin / "glimmora").string();
}

std::string ShippedArchive()
{
    auto bytes = ReadFileBytes(std::filesystem::path(GLIMMORA_PROGRAM).parent_path() / "game.zxc");
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// A game without its whole data must not look like a run that went well: the reason on
// standard error (the headless message box), a line in the log, a failure status.
TEST(HeadlessRun, ADamagedArchiveEndsTheRunWithAFailureAndSaysWhy)
{
    const std::string shipped = ShippedArchive();
    ASSERT_GT(shipped.size(), 1000u);
    struct TCase {
        const char* What;
        std::string Archive;
        const char* Cause;
    };
    const TCase cases[] = {
        {"empty", "", "Cannot open FileFolder (wrong file size)"},
        {"cut in half", shipped.substr(0, shipped.size() / 2), "ends at byte"},
    };
    for (const TCase& c : cases) {
        TTempFolder scratch;
        const std::string program = ProgramCopy(scratch);
        scratch.Write("bin/game.zxc", c.Archive);
        TRun run = RunProgram("--headless --frames 5 --user-dir '" + (scratch.Path() / "user").string() + "'", scratch,
                              program);
        EXPECT_EQ(run.Status, 1) << c.What << "\n" << run.Output;
        EXPECT_NE(run.Output.find("game.zxc cannot be read: "), std::string::npos) << c.What << "\n" << run.Output;
        EXPECT_NE(run.Output.find(c.Cause), std::string::npos) << c.What << "\n" << run.Output;
        const std::string log = scratch.Read("user/Glimmora.log");
        EXPECT_NE(log.find("} Error StartUp: The game data "), std::string::npos) << c.What << "\n" << log;
    }
}

// --user-dir naming a file, or a folder below a file, is an error: the program ends with
// a failure and leaves its own folder as it was (no log, no options moved there).
TEST(HeadlessRun, AUserDirThatCannotBeUsedIsAnErrorAndTouchesNothing)
{
    for (const char* userDir : {"file", "file/user"}) {
        TTempFolder scratch;
        const std::string program = ProgramCopy(scratch);
        scratch.Write("bin/game.zxc", ShippedArchive());
        scratch.Write("bin/options.cfg", "[Options]\r\nVersion=1.38\r\n");
        scratch.Write("file", "a file");
        TRun run = RunProgram("--headless --frames 5 --user-dir '" + (scratch.Path() / userDir).string() + "'", scratch,
                              program);
        EXPECT_EQ(run.Status, 1) << userDir << "\n" << run.Output;
        EXPECT_NE(run.Output.find("The user folder \"" + (scratch.Path() / userDir).string() + "\" cannot be used: "),
                  std::string::npos)
            << run.Output;
        EXPECT_EQ(FolderNames(scratch.Path() / "bin"), (std::vector<std::string>{"game.zxc", "glimmora", "options.cfg"}));
        EXPECT_EQ(scratch.Read("bin/options.cfg"), "[Options]\r\nVersion=1.38\r\n");
        EXPECT_EQ(scratch.Read("file"), "a file");
    }
}

// Pipes in place of options.cfg and Glimmora.log once held the start-up for ever, deaf
// to SIGTERM. The run must end on its own; timeout only keeps a regression from hanging
// the test run (and fails it).
TEST(HeadlessRun, PipesInPlaceOfTheOptionsAndTheLogDoNotHoldTheRun)
{
    TTempFolder scratch;
    std::filesystem::create_directories(scratch.Path() / "user");
    for (const char* name : {"user/options.cfg", "user/Glimmora.log"})
        ASSERT_EQ(::mkfifo((scratch.Path() / name).c_str(), 0644), 0);
    TTempFolder output;
    const std::string out = (output.Path() / "output.txt").string();
    const std::string command = "timeout -s KILL 300 '" GLIMMORA_PROGRAM "' --headless --uncapped --frames 5 --user-dir '" +
                                (scratch.Path() / "user").string() + "' > '" + out + "' 2>&1";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << output.Read("output.txt");
    EXPECT_EQ(WEXITSTATUS(raw), 0) << output.Read("output.txt");
    EXPECT_TRUE(std::filesystem::is_regular_file(scratch.Path() / "user/options.cfg"));
    EXPECT_NE(scratch.Read("user/options.cfg").find("Version=1.38\r\n"), std::string::npos);
}

TEST(HeadlessRun, HelpAndBadOptions)
{
    TTempFolder scratch;
    TRun help = RunProgram("--help", scratch);
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Output.find("--input FILE"), std::string::npos);
    TRun bad = RunProgram("--frames", scratch);
    EXPECT_EQ(bad.Status, 2);
    EXPECT_NE(bad.Output.find("--frames needs N"), std::string::npos) << bad.Output;
}

}  // namespace
