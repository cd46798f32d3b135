// glimmora-tool as its users run it: exit status, output and messages of each command.
#include "tests/common/RunCommand.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TCommandRun Tool(const std::string& arguments)
{
    return RunCommand(std::string(GLIMMORA_TOOL) + " " + arguments + " 2>&1");
}

std::string Q(const std::filesystem::path& p)
{
    return "'" + p.string() + "'";
}

TEST(GlimmoraTool, PackListCatRoundTrip)
{
    TTempFolder f;
    f.Write("efMove.xml", "<move/>");
    f.Write("Logo.png", std::string("\x89PNG\0\1", 6));
    ASSERT_EQ(Tool("pack " + Q(f / "game.zxc") + " " + Q(f / "efMove.xml") + " " + Q(f / "Logo.png")).Status, 0);
    TCommandRun list = Tool("list " + Q(f / "game.zxc"));
    EXPECT_EQ(list.Status, 0);
    EXPECT_EQ(list.Out, "efMove.xml\t0\t7\nLogo.png\t7\t6\n");
    TCommandRun cat = Tool("cat " + Q(f / "game.zxc") + " EFMOVE.XML");
    EXPECT_EQ(cat.Status, 0);
    EXPECT_EQ(cat.Out, "<move/>");
}

TEST(GlimmoraTool, FailuresPrintTheSystemsMessage)
{
    TTempFolder f;
    f.Write(std::string(36, 'n'), "x");
    f.Write("a.png", "a");
    std::filesystem::create_directory(f / "other");
    f.Write("other/A.PNG", "b");
    f.Write("broken.zxc", std::string("09\0\0\xFF\xFF\0\0", 8));
    f.Write("empty.zxc", std::string("90\0\0\0\0\xFF\xFF", 8));
    struct Case {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"pack " + Q(f / "x.zxc") + " " + Q(f / std::string(36, 'n')), "longer than 35 bytes"},
        {"pack " + Q(f / "x.zxc") + " " + Q(f / "a.png") + " " + Q(f / "other/A.PNG"), "differ only in letter case"},
        {"list " + Q(f / "broken.zxc"), "Cannot open FileFolder (broked label)"},
        {"cat " + Q(f / "empty.zxc") + " nothing.xml", "Cannot load file (wrong file name)"},
        {"list " + Q(f / "missing.zxc"), "missing.zxc"},
        {"frobnicate", "unknown command"},
        {"shift sideways a b", "usage: glimmora-tool shift"},
    };
    for (const Case& c : cases) {
        TCommandRun run = Tool(c.arguments);
        EXPECT_EQ(run.Status, 1) << c.arguments;
        EXPECT_NE(run.Out.find(c.message), std::string::npos) << c.arguments << " said: " << run.Out;
    }
    EXPECT_FALSE(std::filesystem::exists(f / "x.zxc"));
}

TEST(GlimmoraTool, ScramblePlainShiftAndXml)
{
    TTempFolder f;
    const std::string xml = "<GamePlayParams>\r\n\t<Speed>1</Speed>\r\n</GamePlayParams>\r\n";
    f.Write("params.xml", xml);
    ASSERT_EQ(Tool("scramble " + Q(f / "params.xml") + " " + Q(f / "s.xml")).Status, 0);
    EXPECT_EQ(Tool("plain " + Q(f / "params.xml")).Out, "plain\n");
    EXPECT_EQ(Tool("plain " + Q(f / "s.xml")).Out, "scrambled\n");
    ASSERT_EQ(Tool("scramble " + Q(f / "s.xml") + " " + Q(f / "back.xml")).Status, 0);
    EXPECT_EQ(f.Read("back.xml"), xml);
    ASSERT_EQ(Tool("scramble --key abc " + Q(f / "params.xml") + " " + Q(f / "k.xml")).Status, 0);
    EXPECT_NE(f.Read("k.xml"), f.Read("s.xml"));

    f.Write("high.txt", "<High name=\"Ann\" score=\"10\" />\r\n");
    ASSERT_EQ(Tool("shift up " + Q(f / "high.txt") + " " + Q(f / "up.txt")).Status, 0);
    ASSERT_EQ(Tool("shift down " + Q(f / "up.txt") + " " + Q(f / "down.txt")).Status, 0);
    EXPECT_NE(f.Read("up.txt"), f.Read("high.txt"));
    EXPECT_EQ(f.Read("down.txt"), f.Read("high.txt"));

    f.Write("in.xml", "<a x=\"1\"><b/>text</a>");
    ASSERT_EQ(Tool("xml " + Q(f / "in.xml") + " " + Q(f / "out.xml")).Status, 0);
    EXPECT_EQ(f.Read("out.xml"), "<a x=\"1\">text\t<b />\r\n</a>\r\n");
    f.Write("bad.xml", "<a><!-- never closed");
    EXPECT_EQ(Tool("xml " + Q(f / "bad.xml") + " " + Q(f / "out2.xml")).Status, 1);
}

TEST(GlimmoraTool, HelpDescribesEveryCommand)
{
    TCommandRun help = Tool("--help");
    EXPECT_EQ(help.Status, 0);
    for (const char* command : {"pack", "list", "cat", "scramble", "plain", "shift", "xml"})
        EXPECT_NE(help.Out.find(std::string("  ") + command + " "), std::string::npos) << command;
}

}  // namespace
