// Every shipped demo replayed as the game would: the day's result and its fingerprint at the
// demo's end must be those stored beside the demos. A change to the rules that alters a
// replay shows here; when it is meant, re-record the lines with the command in README.md.
#include "tests/common/RunCommand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ExpectedLines()
{
    std::ifstream in(DEMO_EXPECTED);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

std::string DemoOf(const std::string& line)
{
    const std::string key = "demo=";
    size_t end = line.find(' ');
    return line.rfind(key, 0) == 0 ? line.substr(key.size(), end - key.size()) : std::string();
}

TEST(DemoReplay, EveryShippedDemoReplaysAsRecorded)
{
    const std::vector<std::string> expected = ExpectedLines();
    ASSERT_EQ(expected.size(), 3u) << "one stored line per demo: Demo.dat, DemoB.dat, DemoP.dat";
    for (const std::string& want : expected) {
        const std::string demo = DemoOf(want);
        ASSERT_FALSE(demo.empty()) << want;
        TCommandRun run = RunCommand(std::string(GLIMMORA_TOOL) + " replay '" + GLIM_PROGRAM_DIR + "/" + demo +
                                     "' --archive '" + GLIM_ARCHIVE + "' 2>/dev/null");
        ASSERT_EQ(run.Status, 0) << demo;
        std::string got = run.Out;
        while (!got.empty() && (got.back() == '\n' || got.back() == '\r'))
            got.pop_back();
        EXPECT_EQ(got, want) << demo << " no longer replays as it was recorded. If the change to play is meant, "
                             << "re-record the stored results as README.md says.";
        EXPECT_NE(got.find(" result="), std::string::npos);
    }
}

TEST(DemoReplay, BrokenDemosAreRefusedOrStandStill)
{
    // A file that is not a demo is refused with a message; a header with no events plays
    // nothing and still gives a result.
    const std::string dir = ::testing::TempDir();
    struct TCase {
        std::string Name;
        std::string Bytes;
        int Status;
    };
    const std::vector<TCase> cases = {
        {"empty.dat", "", 1},
        {"random.dat", std::string("\x01\xff") + std::string(1, '\0') + "garbage<MouseLDown x=\"", 1},
        {"header.dat", "Episod=0\r\nLevel= 0\r\nFileName=Level_Demo.xml\r\n", 0},
        {"outside.dat",
         "Episod=0\r\nLevel= 0\r\nFileName=Level_DemoBonus.xml\r\n<PutFishes x=\"99\" y=\"-4\" FT=\"9\" time=\"5\" />\r\n"
         "<AddFishes FT=\"100000\" H=\"9\" time=\"10\" />\r\n",
         0},
        {"nolevel.dat", "Episod=0\r\nLevel= 0\r\nFileName=Level_Nowhere.xml\r\n", 1},
    };
    for (const TCase& c : cases) {
        const std::string path = dir + "/" + c.Name;
        std::ofstream(path, std::ios::binary) << c.Bytes;
        TCommandRun run = RunCommand(std::string(GLIMMORA_TOOL) + " replay '" + path + "' --archive '" + GLIM_ARCHIVE +
                                     "' 2>&1");
        EXPECT_EQ(run.Status, c.Status) << c.Name << ": " << run.Out;
        if (c.Name == "outside.dat") {
            EXPECT_NE(run.Out.find("skipped=2"), std::string::npos) << run.Out;
        }
    }
}

}  // namespace
