// Dialog script files: lines and their attributes, pattern expansion, and what a strict
// reading (the content check's) and the game's own reading find wrong.
#include "metagame/DialogScript.h"

#include "MetagameTestKit.h"
#include "foundation/DataSource.h"

#include <fstream>

namespace {

std::string Dialog(const std::string& lines)
{
    return "<Root>\r\n<Dialog>\r\n" + lines + "</Dialog>\r\n</Root>\r\n";
}

TEST(DialogScript, AttributesAsTheGameReadsThem)
{
    const TDialogScript s = ReadDialogScript(
        Dialog(R"(<ChangeInterfaceObject ID="x" Time="250" FileName="f.png" Pattern="4,6" Pos="10,-20" Alpha="128" )"
               R"(Visible="TRUE" Enabled="false" Caption="" Color="255" PosFrom="1,2" PosTo="3,4" AlphaFrom="5" )"
               R"(AlphaTo="6" Duration="700" InterfaceObject="WMap_L1" PrintPause="true" SelectOnFish="23" )"
               R"(AnimeFiles="a.xml" Mouse="Left Middle" KeyDown="13,27," MouseDownRect="1,2,3,4"/>)"
               "<EndForSkip/>\r\n<Pause Time=\"9\" NextButton=\"false\"/>\r\n"),
        "S.xml", TDialogReadMode::Strict);
    EXPECT_EQ(s.Problems, std::vector<std::string>{});
    ASSERT_EQ(s.Lines.size(), 3u);
    const TDialogList& l = s.Lines[0];
    EXPECT_EQ(l.Kind, TDialogCommand::ChangeInterfaceObject);
    EXPECT_EQ(l.ID, "x");
    EXPECT_EQ(l.Time, 250);
    EXPECT_EQ(l.Pattern, "4,6");
    EXPECT_EQ(l.Pos, (TPoint{10, -20}));
    EXPECT_EQ(l.Visible, std::optional<bool>(true));
    EXPECT_EQ(l.Enabled, std::optional<bool>(false));
    EXPECT_EQ(l.Caption, std::optional<std::string>(""));
    EXPECT_EQ(l.Color, std::optional<int32_t>(255));
    EXPECT_FALSE(l.MouseOverColor.has_value());
    EXPECT_EQ(l.PosTo, (TPoint{3, 4}));
    EXPECT_EQ(l.Duration, 700);
    EXPECT_TRUE(l.PrintPause);
    EXPECT_TRUE(l.NextButton);  // a line with attributes shows the next button by default
    EXPECT_EQ(l.SelectOnFish, 23);
    EXPECT_EQ(l.Mouse, DialogMouse::kLeft | DialogMouse::kMiddle);
    EXPECT_EQ(l.KeyDown, (std::vector<int32_t>{13, 27}));
    EXPECT_EQ(l.MouseDownRect, std::optional<TRect>(TRect{1, 2, 3, 4}));
    // Without attributes: defaults, no next button.
    EXPECT_EQ(s.Lines[1].Kind, TDialogCommand::EndForSkip);
    EXPECT_FALSE(s.Lines[1].NextButton);
    EXPECT_EQ(s.Lines[1].SelectOnFish, -1);
    EXPECT_FALSE(s.Lines[2].NextButton);
    EXPECT_EQ(s.SkipTarget, 1);
}

TEST(DialogScript, PatternsExpandWhereTheyStandWithTheirValues)
{
    const std::string xml =
        "<Root>\r\n"
        R"(<CreatePattern ID="P1"><PlaySound Time="%%T" FileName="%%X"/><StopSound Time="5" FileName="x%%X"/></CreatePattern>)"
        "<Dialog>\r\n"
        R"(<PlaySound FileName="first"/><Pattern ID="P1" VX="100" VT="7"/><Pattern ID="P1" VX="200"/>)"
        R"(<CreatePattern ID="P1"><Foo/></CreatePattern><CreatePattern ID="R"><Pattern ID="R"/></CreatePattern>)"
        R"(<Pattern ID="R"/><PlaySound FileName="last"><Child/></PlaySound>)"
        "</Dialog>\r\n</Root>\r\n";
    const TDialogScript s = ReadDialogScript(xml, "S.xml", TDialogReadMode::Lenient);
    std::vector<std::string> lines;
    for (const TDialogList& l : s.Lines)
        lines.push_back(l.Command + " " + std::to_string(l.Time) + " " + l.FileName);
    // The first CreatePattern of an ID counts wherever it stands; the ones among the
    // lines are dropped; a value that is not "%%" + name stays; a Pattern inside a
    // template is not expanded again.
    EXPECT_EQ(lines, (std::vector<std::string>{"PlaySound 0 first", "PlaySound 7 100", "StopSound 5 x%%X",
                                               "PlaySound 0 200", "StopSound 5 x%%X", "Pattern 0 ",
                                               "PlaySound 0 last"}));
    EXPECT_EQ(s.Lines[5].Kind, TDialogCommand::None);
}

struct TProblemCase {
    std::string Title;
    std::string Lines;
    std::vector<std::string> Strict;   // problems of a strict reading
    std::vector<std::string> Lenient;  // problems of the game's reading
};

class DialogProblems : public ::testing::TestWithParam<TProblemCase> {};

TEST_P(DialogProblems, NamedByEachReading)
{
    const std::string xml = Dialog(GetParam().Lines);
    EXPECT_EQ(ReadDialogScript(xml, "S.xml", TDialogReadMode::Strict).Problems, GetParam().Strict);
    EXPECT_EQ(ReadDialogScript(xml, "S.xml", TDialogReadMode::Lenient).Problems, GetParam().Lenient);
}

const std::string kUnending = "a pause with Time 0 that no press or key can end";

INSTANTIATE_TEST_SUITE_P(
    Scripts, DialogProblems,
    ::testing::Values(
        TProblemCase{"UnknownCommand", "<Foo Time=\"1\"/>", {"S.xml line 1 (Foo): unknown command"}, {}},
        TProblemCase{"SkipButtonWithoutEndForSkip", R"(<CreateButton InterfaceObject="WMap_BSkip"/>)",
                     {"S.xml: a skip button but no EndForSkip line"}, {}},
        TProblemCase{"SkipButtonWithEndForSkip", R"(<CreateButton InterfaceObject="WGame_BSkip"/><EndForSkip/>)", {}, {}},
        TProblemCase{"PauseNothingCanEnd", R"(<Pause Time="0"/>)", {"S.xml line 1 (Pause): " + kUnending},
                     {"S.xml line 1 (Pause): " + kUnending}},
        TProblemCase{"PauseOnlyAKeyOnAPieceCouldEnd", R"(<Pause Time="0" KeyDown="13" SelectOnFish="2"/>)",
                     {"S.xml line 1 (Pause): " + kUnending}, {"S.xml line 1 (Pause): " + kUnending}},
        TProblemCase{"PauseWithAnEmptyPressArea", R"(<Pause Time="0" Mouse="Left" MouseDownRect="5,5,5,9"/>)",
                     {"S.xml line 1 (Pause): " + kUnending}, {"S.xml line 1 (Pause): " + kUnending}},
        TProblemCase{"PausesThatEnd",
                     R"(<Pause Time="0" Mouse="Left"/><Pause Time="0" KeyDown="27"/><Pause Time="500"/>)"
                     R"(<Pause Time="0" Mouse="Right" SelectOnFish="3"/>)",
                     {}, {}},
        TProblemCase{"ValuesThatDoNotRead", R"(<PlaySound Time="12a" Pos="3" Visible="yes"/>)",
                     {"S.xml line 1 (PlaySound): Time \"12a\" does not read",
                      "S.xml line 1 (PlaySound): Pos \"3\" does not read",
                      "S.xml line 1 (PlaySound): Visible \"yes\" does not read"},
                     {}},
        TProblemCase{"UnknownAttribute", R"(<PlaySound Tme="5"/>)",
                     {"S.xml line 1 (PlaySound): unknown attribute \"Tme\""}, {}},
        TProblemCase{"UnknownPattern", R"(<Pattern ID="X"/>)", {"S.xml: no CreatePattern with ID \"X\""}, {}},
        TProblemCase{"UnknownMessage", R"(<SendMessage ID="Explode"/><SendMessage ID="ShowThings"/>)",
                     {"S.xml line 1 (SendMessage): unknown message \"Explode\""}, {}}),
    [](const auto& row) { return row.param.Title; });

TEST(DialogScript, FileThatGivesNoLinesSaysWhy)
{
    EXPECT_EQ(ReadDialogScript("<Root><Other/></Root>", "S.xml", TDialogReadMode::Lenient).Error, "no Dialog element");
    TScratchFolder folder;
    TDataSource data(folder.Path);
    const TDialogScript missing = ReadDialogScript(data, "Script_None.xml", TDialogReadMode::Strict);
    EXPECT_TRUE(missing.Lines.empty());
    EXPECT_NE(missing.Error, "");
    {
        std::ofstream(folder.Path / "script_one.xml") << Dialog("<PlaySound FileName=\"a\"/>");
    }
    // Data-folder names are found whatever their letter case.
    const TDialogScript found = ReadDialogScript(data, "Script_One.xml", TDialogReadMode::Strict);
    EXPECT_EQ(found.Error, "");
    EXPECT_EQ(found.Lines.size(), 1u);
}

}  // namespace
