// The program itself, run headless as a developer runs it: it starts, shows its frames,
// closes normally and leaves the player's files behind.
#include "AppDoubles.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

namespace {

struct TRun {
    int Status = -1;
    std::string Output;
};

// Runs the program with the arguments; standard output and error together.
TRun RunProgram(const std::string& args, const TTempFolder& scratch)
{
    const std::string out = (scratch.Path() / "output.txt").string();
    const std::string command = "'" GLIMMORA_PROGRAM "' " + args + " > '" + out + "' 2>&1";
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
    EXPECT_NE(scratch.Read("user/Glimmora.log").find("{0:0:0} Qel Interface Loaded Ok..."), std::string::npos);
}

TEST(HeadlessRun, StopsOnAMalformedInputLineWithItsNumber)
{
    TTempFolder scratch;
    scratch.Write("input.txt", "0 mouse 1 1\n# fine so far\n5 klick 3 4\n");
    TRun run = RunProgram("--headless --frames 5 --input '" + (scratch.Path() / "input.txt").string() + "'", scratch);
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Output.find("input.txt:3: unknown event \"klick\""), std::string::npos) << run.Output;
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
