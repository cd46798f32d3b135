// The demo file: reading its lines and values, stepping through it in time, and writing it.
#include "gameplay/DemoFile.h"

#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(DemoFile, LinesAreRecognisedByTheirTextAndValuesDefaultToZero)
{
    struct TCase {
        std::string Line;
        TDemoEventKind Kind;
        int32_t X, Y, Type, Part, Time;
    };
    const TCase cases[] = {
        {"<MouseMove x=\"12\" y=\"34\" time=\"56\" />", TDemoEventKind::MouseMove, 12, 34, 0, 0, 56},
        {"<MouseLDown x=\"-3\" y=\"600\" time=\"7\" />", TDemoEventKind::MouseLDown, -3, 600, 0, 0, 7},
        {"<PutFishes x=\"2\" y=\"8\" FT=\"11\" time=\"0\" />", TDemoEventKind::PutFishes, 2, 8, 11, 0, 0},
        {"<AddFishes FT=\"73\" H=\"2\" time=\"16\" />", TDemoEventKind::AddFishes, 0, 0, 73, 2, 16},
        // missing, empty, unclosed and too large values read as 0
        {"<MouseLDown y=\"\" time=\"99999999999\" />", TDemoEventKind::MouseLDown, 0, 0, 0, 0, 0},
        {"<MouseMove x=\"5", TDemoEventKind::MouseMove, 0, 0, 0, 0, 0},
        {"<MouseMove x=\"5px\" y=\"1\" />", TDemoEventKind::MouseMove, 0, 1, 0, 0, 0},
        // never written, and the header: nothing to do
        {"<MouseLUp x=\"1\" y=\"1\" time=\"3\" />", TDemoEventKind::None, 0, 0, 0, 0, 3},
        {"<MouseRDown x=\"1\" y=\"1\" time=\"4\" />", TDemoEventKind::None, 0, 0, 0, 0, 4},
        {"Level= 3", TDemoEventKind::None, 0, 0, 0, 0, 0},
    };
    for (const TCase& c : cases) {
        const TDemoEvent e = ParseDemoLine(c.Line);
        EXPECT_EQ(e.Kind, c.Kind) << c.Line;
        EXPECT_EQ(e.X, c.X) << c.Line;
        EXPECT_EQ(e.Y, c.Y) << c.Line;
        EXPECT_EQ(e.Type, c.Type) << c.Line;
        EXPECT_EQ(e.Part, c.Part) << c.Line;
        EXPECT_EQ(e.Time, c.Time) << c.Line;
    }
}

std::vector<std::string> Demo(std::vector<std::string> events)
{
    std::vector<std::string> lines = DemoHeader(0, 0, "Level_Demo.xml");
    lines.insert(lines.end(), events.begin(), events.end());
    return lines;
}

TEST(DemoFile, EventsPlayAtTheirTimesAndTheDemoLoopsFromTheSecondLine)
{
    TDemoCursor cursor(Demo({"<MouseLDown x=\"1\" y=\"2\" time=\"100\" />",
                             "<MouseLDown x=\"3\" y=\"4\" time=\"250\" />"}));
    cursor.Restart(1000);
    std::vector<TDemoEvent> seen;
    auto act = [&](const TDemoEvent& e) { seen.push_back(e); };

    EXPECT_FALSE(cursor.Step(1099, act));
    EXPECT_EQ(seen.size(), 2u);  // the two header lines after the first, as nothing
    EXPECT_EQ(seen[0].Kind, TDemoEventKind::None);
    seen.clear();
    EXPECT_FALSE(cursor.Step(1100, act));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].X, 1);
    EXPECT_FALSE(cursor.Step(1249, act));
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(cursor.Step(1250, act));  // the last line: the caller starts again
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].X, 3);

    cursor.Restart(5000);
    EXPECT_EQ(cursor.NextIndex(), 1u);
    seen.clear();
    cursor.Offset = 500;  // paused for half a second
    EXPECT_FALSE(cursor.Step(5599, act));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_FALSE(cursor.Step(5600, act));
    EXPECT_EQ(seen.size(), 3u);
}

TEST(DemoFile, ShortDemosStandStill)
{
    for (const std::vector<std::string>& lines :
         {std::vector<std::string>{}, std::vector<std::string>{"Episod=0"}}) {
        TDemoCursor cursor(lines);
        cursor.Restart(0);
        int acted = 0;
        EXPECT_FALSE(cursor.Step(100000, [&](const TDemoEvent&) { ++acted; }));
        EXPECT_EQ(acted, 0);
        EXPECT_FALSE(cursor.Playable());
    }
}

TEST(DemoFile, WrittenCrLfAndReadBackWhateverTheLineEnds)
{
    TTempFolder folder;
    const auto lines = Demo({"<AddFishes FT=\"73\" H=\"1\" time=\"16\" />"});
    std::string error;
    ASSERT_TRUE(WriteDemoLines(folder / "Demo.dat", lines, &error)) << error;
    EXPECT_EQ(ReadDemoLines(folder / "Demo.dat"), lines);
    EXPECT_EQ(lines[0], "Episod=0");
    EXPECT_EQ(lines[1], "Level= 0");
    EXPECT_EQ(lines[2], "FileName=Level_Demo.xml");
    // nothing left beside it
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);

    folder.Write("Lf.dat", "Episod=1\nLevel= 2\nFileName=x.xml");
    EXPECT_EQ(ReadDemoLines(folder / "Lf.dat"), (std::vector<std::string>{"Episod=1", "Level= 2", "FileName=x.xml"}));
    EXPECT_TRUE(ReadDemoLines(folder / "missing.dat").empty());
    // a folder where the demo should be is no demo and is not replaced
    std::filesystem::create_directory(folder / "Dir.dat");
    EXPECT_FALSE(WriteDemoLines(folder / "Dir.dat", lines, &error));
}

TEST(DemoFile, NamesFollowTheKindOfDay)
{
    EXPECT_EQ(DemoFileName(false, false), "Demo.dat");
    EXPECT_EQ(DemoFileName(true, false), "DemoB.dat");
    EXPECT_EQ(DemoFileName(false, true), "DemoP.dat");
}

}  // namespace
