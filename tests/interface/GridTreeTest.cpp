// Grids and trees: cell lists and digit grouping, the selection and its paging at the
// ends, clicks, double clicks and the wheel, a slider linked both ways, drawing; a player
// window driven through the engine.
#include "InterfaceTestKit.h"

#include "interface/QelGrid.h"
#include "interface/QelTree.h"

namespace {

using V = std::vector<std::string>;

constexpr uint16_t kPageUp = 33, kPageDown = 34, kEnd = 35, kHome = 36, kUp = 38, kDown = 40;

// A screen-sized form "W" holding a one-column grid "G" at (100, 100), 200 wide, rows 20
// high in the 10-pixel font, and whatever else the test adds.
class GridTest : public InterfaceTest {
protected:
    void LoadGrid(const TProps& more = {}, std::initializer_list<std::string> others = {})
    {
        TProps props = {{"Name", "G"},       {"ParentName", "W"}, {"Left", "100"},
                        {"Top", "100"},      {"Width", "200"},    {"Height", "100"},
                        {"Visible", "True"}, {"RowsHeight", "20"}, {"CursorPicture", "bar.png"},
                        {"OnMouseDown", "ExecMethod Method=\"Pick\";"},
                        {"OnDblClick", "ExecMethod Method=\"Open\";"}};
        props.insert(props.end(), more.begin(), more.end());
        std::string text = "<QelInterface>" +
                           Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}) +
                           Obj("TQelGrid", props);
        for (const std::string& o : others)
            text += o;
        Load(text + "</QelInterface>");
        Engine.ShowModal("W");
        Grid().SetAddColumns("FontName=\"QelUnicode\";");
        for (const char* m : {"Pick", "Open"})
            Methods.Register(m, [this, m](TQelInterfaceEngine& e) {
                Called.push_back(std::string(m) + " " + VariantToString(e.GetObjectValue("G", "Position")));
            });
    }
    TQelGrid& Grid() { return Get<TQelGrid>("G"); }
    // One row per text.
    void Add(const V& texts)
    {
        for (const std::string& t : texts)
            Engine.SetObjectProperty("G", "AddCells", "Text=\"" + t + "\";");
    }
    // Empties the grid (a header row stays) and adds the rows, as the game fills its lists.
    void Fill(const V& texts)
    {
        Grid().ClearRows();
        Add(texts);
    }
    void Rows(int count)
    {
        V texts;
        for (int i = 0; i < count; ++i)
            texts.push_back("R" + std::to_string(i));
        Fill(texts);
    }
    void Key(uint16_t key)
    {
        TQelKeyEvent event {key, 0};
        Engine.KeyDown(event);
    }
    V Called;
};

// ---------------------------------------------------------------------------------------
// Cell lists

TEST_F(GridTest, OneRowPerAddCellsAndTheSelectedText)
{
    LoadGrid();
    Fill({"A", "B", "C"});
    EXPECT_EQ(Grid().RowCount(), 3);
    Engine.SetObjectProperty("G", "Position", "2");
    EXPECT_EQ(Grid().SelectedText(), "C");
    Engine.SetObjectProperty("G", "Position", "7");
    EXPECT_EQ(Grid().SelectedText(), "");  // beyond the cells
    Grid().ClearRows();
    EXPECT_EQ(Grid().RowCount(), 0);
    EXPECT_EQ(Grid().SelectedText(), "");
}

TEST_F(GridTest, CellListsReadAttributesOfEachEntry)
{
    LoadGrid();
    Grid().SetAddColumns("Width=\"120\" Alignment=\"taCenter\" Color=\"5\";;Layout=\"tlNowhere\";trailing");
    ASSERT_EQ(Grid().ColumnCount(), 4);
    EXPECT_EQ(Grid().Columns()[0].Width, 200);  // the grid's width less the borders
    EXPECT_EQ(Grid().Columns()[1].Width, 120);
    EXPECT_EQ(Grid().Columns()[1].Look.Alignment, TTextAlignment::taCenter);
    EXPECT_EQ(Grid().Columns()[2].Look.Color, 0);
    EXPECT_EQ(Grid().Columns()[3].Look.Layout, TTextLayout::tlTop);  // unknown value: unchanged

    Engine.SetObjectProperty("G", "AddCells", "Text=\"a;b\" Bogus=\"1\";Text=\"c\";");
    EXPECT_EQ(Grid().Cells().size(), 2u);  // two entries on four columns: no row
    EXPECT_EQ(Grid().RowCount(), 0);
    EXPECT_EQ(Grid().Cells()[0].Text, u"a;b");
    EXPECT_EQ(Grid().Cells()[1].Look.Color, 5);  // from its column
    EXPECT_EQ(Value("G", "Cells"), "Text=\"a;b\" Bogus=\"1\";Text=\"c\";");

    Engine.SetObjectProperty("G", "Columns", "Color=\"9\";Color=\"7\";");
    EXPECT_EQ(Grid().Cells()[1].Look.Color, 7);  // existing cells take the changed look
    Engine.SetObjectProperty("G", "Cells", ";Text=\"d\";");
    EXPECT_EQ(Grid().Cells()[0].Text, u"a;b");
    EXPECT_EQ(Grid().Cells()[1].Text, u"d");
}

TEST_F(GridTest, MalformedNumberFailsTheWriteAndChangesNothing)
{
    LoadGrid();
    EXPECT_THROW(Grid().SetAddCells("Text=\"a\";Color=\"12x\";"), std::runtime_error);
    EXPECT_TRUE(Grid().Cells().empty());
    EXPECT_EQ(Grid().AddCellsText(), "");
}

struct TGroupCase {
    std::string Delimiter, Text, Shown;
};

class GridDigitsTest : public GridTest, public ::testing::WithParamInterface<TGroupCase> {};

TEST_P(GridDigitsTest, CellTextGroupsLongDigitRuns)
{
    LoadGrid({{"Delimiter", GetParam().Delimiter}});
    Fill({GetParam().Text});
    EXPECT_EQ(Grid().SelectedText(), GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(Grid, GridDigitsTest,
                         ::testing::Values(TGroupCase {"_.", "1234567 and 123", "1.234.567 and 123"},
                                           TGroupCase {"_.", "x1234y", "x1.234y"},
                                           TGroupCase {".", "1234567", "1234567"},
                                           TGroupCase {"", "1234567", "1234567"}));

// ---------------------------------------------------------------------------------------
// Keys and paging

struct TPageCase {
    std::string Title;
    bool FixedRow;
    int Rows;  // rows of cells, the header included
    int Visible;
    int TopRow, Position;
    uint16_t Key;
    int TopRowAfter, PositionAfter;
};

class GridPagingTest : public GridTest, public ::testing::WithParamInterface<TPageCase> {};

TEST_P(GridPagingTest, KeyMovesTheSelectionAndScrolls)
{
    const TPageCase& c = GetParam();
    // The height that gives the wanted number of row slots.
    const int height = (c.Visible + (c.FixedRow ? 1 : 0)) * 20;
    LoadGrid({{"Height", std::to_string(height)}, {"FixedRow", c.FixedRow ? "True" : "False"}});
    if (c.FixedRow)
        Add({"Head"});
    Rows(c.Rows - (c.FixedRow ? 1 : 0));
    ASSERT_EQ(Grid().RowCount(), c.Rows);
    ASSERT_EQ(Grid().VisibleRows(), std::min(c.Visible, c.Rows));
    // A fresh grid reaches (TopRow, Position) by a write that scrolls and one that does not.
    if (c.TopRow > 0)
        Grid().SetPosition(c.TopRow + c.Visible - 1);
    Grid().SetPosition(c.Position);
    ASSERT_EQ(Grid().TopRow(), c.TopRow);
    ASSERT_EQ(Grid().Position(), c.Position);
    Grid().SetFocused(true);
    Key(c.Key);
    EXPECT_EQ(Grid().TopRow(), c.TopRowAfter);
    EXPECT_EQ(Grid().Position(), c.PositionAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Grid, GridPagingTest,
    ::testing::Values(TPageCase {"PageDownFromTheTop", false, 20, 5, 0, 0, kPageDown, 4, 4},
                      TPageCase {"PageDownNearTheEnd", false, 20, 5, 12, 13, kPageDown, 15, 16},
                      TPageCase {"PageDownAtTheEnd", false, 20, 5, 15, 15, kPageDown, 15, 19},
                      TPageCase {"PageDownShortList", false, 3, 5, 0, 0, kPageDown, 0, 2},
                      TPageCase {"PageUpFromTheMiddle", false, 20, 5, 10, 12, kPageUp, 6, 8},
                      TPageCase {"PageUpNearTheStart", false, 20, 5, 3, 5, kPageUp, 0, 2},
                      TPageCase {"PageUpAtTheStart", false, 20, 5, 0, 3, kPageUp, 0, 0},
                      TPageCase {"UpScrollsAtTheTopRow", false, 20, 5, 3, 3, kUp, 2, 2},
                      TPageCase {"UpAtTheFirstRow", false, 20, 5, 0, 0, kUp, 0, 0},
                      TPageCase {"DownScrollsAtTheLastSlot", false, 20, 5, 0, 4, kDown, 1, 5},
                      TPageCase {"DownAtTheLastRow", false, 20, 5, 15, 19, kDown, 15, 19},
                      TPageCase {"Home", false, 20, 5, 7, 9, kHome, 0, 0},
                      TPageCase {"End", false, 20, 5, 0, 2, kEnd, 15, 19},
                      TPageCase {"EndOfAnEmptyGrid", false, 0, 5, 0, 0, kEnd, 0, 0},
                      TPageCase {"HeaderEnd", true, 10, 4, 0, 0, kEnd, 5, 8},
                      TPageCase {"HeaderPageDown", true, 10, 4, 0, 0, kPageDown, 3, 3},
                      TPageCase {"HeaderPageDownAtTheEnd", true, 10, 4, 5, 6, kPageDown, 5, 8},
                      TPageCase {"HeaderPageUp", true, 10, 4, 5, 6, kPageUp, 0, 1},
                      // A header grid has room for one slot more than its data rows.
                      TPageCase {"HeaderDownStopsAtTheLastDataRow", true, 3, 5, 0, 1, kDown, 0, 1}),
    [](const auto& row) { return row.param.Title; });

TEST_F(GridTest, EveryPositionWriteAndPagingKeyTellsTheGame)
{
    LoadGrid({{"SoundMouseDown", "tick"}});
    Rows(10);
    Host.Calls.clear();
    Engine.SetObjectProperty("G", "Position", "3");
    Engine.RunScripts();
    Engine.SetObjectProperty("G", "Position", "3");  // unchanged: still told, without the sound
    Engine.RunScripts();
    EXPECT_EQ(Called, (V {"Pick 3", "Pick 3"}));
    EXPECT_EQ(Host.CallsStarting("Sound"), (V {"Sound tick 100"}));
    Called.clear();
    Grid().SetFocused(true);
    Key(kDown);
    Key(65);  // not a grid key
    EXPECT_EQ(Called, (V {"Pick 4"}));
}

TEST_F(GridTest, NegativePositionIsTheFirstRow)
{
    LoadGrid();
    Rows(10);
    Grid().SetPosition(6);  // scrolled: TopRow 2
    Grid().SetPosition(-3);
    EXPECT_EQ(Grid().Position(), 0);
    EXPECT_EQ(Grid().TopRow(), 0);
}

// ---------------------------------------------------------------------------------------
// Mouse and wheel

TEST_F(GridTest, ClickSelectsThroughTheSliderAndDoubleClickOpens)
{
    LoadGrid({{"LinkedObjectName", "S"}},
             {Obj("TQelSlider", {{"Name", "S"}, {"ParentName", "W"}, {"Max", "100"}})});
    Engine.SetObjectProperty("G", "LinkedObjectName", "S");
    Rows(8);
    Click(150, 145);  // third slot: rows at 100, 120, 140
    EXPECT_EQ(Grid().Position(), 2);
    EXPECT_TRUE(Grid().Focused());
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft | QelShift::kDouble, 150, 165});
    EXPECT_EQ(Called, (V {"Pick 2", "Pick 3", "Open 3"}));
    Called.clear();
    Click(150, 90);  // above the grid
    EXPECT_TRUE(Called.empty());
}

TEST_F(GridTest, ClickWithoutASliderSelectsQuietly)
{
    LoadGrid();
    Rows(8);
    Click(150, 125);
    EXPECT_EQ(Grid().Position(), 1);
    EXPECT_TRUE(Called.empty());
}

TEST_F(GridTest, HeaderGridIgnoresClicksBelowItsLastRow)
{
    LoadGrid({{"FixedRow", "True"}});
    Add({"Name"});
    Fill({"A", "B"});  // header and two rows; room for four slots
    Click(150, 165);  // the first slot below the last row
    EXPECT_EQ(Grid().Position(), 0);
    Click(150, 145);
    EXPECT_EQ(Grid().Position(), 1);
    EXPECT_EQ(Grid().SelectedText(), "B");
}

TEST_F(GridTest, WheelMovesTheFocusedGridOnly)
{
    LoadGrid();
    Rows(10);
    bool handled = false;
    Grid().MouseWheel(0, -120, {0, 0}, handled);
    EXPECT_EQ(Grid().Position(), 0);
    EXPECT_FALSE(handled);
    Grid().SetFocused(true);
    Grid().MouseWheel(0, -120, {0, 0}, handled);
    Grid().MouseWheel(0, -120, {0, 0}, handled);
    Grid().MouseWheel(0, 120, {0, 0}, handled);
    EXPECT_EQ(Grid().Position(), 1);
    EXPECT_TRUE(handled);
}

TEST_F(GridTest, MouseOverRowFollowsThePointer)
{
    LoadGrid({{"FixedRow", "True"}});
    Add({"Head"});
    Rows(6);
    Move(150, 145);  // header 100..120, data slots from 120
    EXPECT_EQ(Grid().MouseOverRow(), 2);
    Move(150, 110);
    EXPECT_EQ(Grid().MouseOverRow(), -1);
    Move(50, 145);
    EXPECT_EQ(Grid().MouseOverRow(), -1);
}

// ---------------------------------------------------------------------------------------
// The slider link

TEST_F(GridTest, SliderLinkedToAGridScrollsItBothWays)
{
    LoadGrid({}, {Obj("TQelSlider", {{"Name", "S"}, {"ParentName", "W"}, {"Max", "100"},
                                      {"OnChange", "ExecMethod Method=\"Slid\";"}})});
    int slid = 0;
    Methods.Register("Slid", [&](TQelInterfaceEngine&) { ++slid; });
    auto& slider = Get<TQelSlider>("S");
    Rows(12);
    Engine.SetObjectProperty("S", "LinkedObjectName", "G");
    EXPECT_EQ(Grid().LinkedSlider(), &slider);
    EXPECT_EQ(Value("G", "LinkedObjectName"), "S");
    EXPECT_EQ(slider.Max(), 11);
    Rows(14);
    EXPECT_EQ(slider.Max(), 13);  // more rows, a longer scroll

    Engine.SetObjectProperty("S", "Position", "9");
    EXPECT_EQ(Grid().Position(), 9);
    EXPECT_EQ(Grid().TopRow(), 5);
    Engine.SetObjectProperty("S", "Position", "50");  // clamped by the slider
    EXPECT_EQ(Grid().Position(), 13);

    Grid().SetFocused(true);
    Key(kHome);
    EXPECT_EQ(slider.Position(), 0);
    Key(kPageDown);
    EXPECT_EQ(slider.Position(), 4);
    Engine.RunScripts();
    EXPECT_EQ(slid, 4);  // 9, 13, 0, 4
    Grid().ClearRows();
    EXPECT_EQ(slider.Position(), 0);

    Engine.DeleteObject("S");
    EXPECT_EQ(Grid().LinkedSlider(), nullptr);
    Rows(3);  // no slider to tell any more
    EXPECT_EQ(Grid().RowCount(), 3);
}

// ---------------------------------------------------------------------------------------
// Drawing

TEST_F(GridTest, DrawsHeaderRowsCursorAndPointedRow)
{
    Host.Pictures["bar.png"] = {200, 10};
    LoadGrid({{"FixedRow", "True"}, {"FixedColor", "7"}, {"RowMouseOverColor", "9"}, {"DivisorHeight", "4"},
              {"BorderWidth", "2"}, {"Height", "88"}, {"NotActiveCursorAlpha", "60"}});
    Engine.SetObjectProperty("G", "Columns", "Width=\"100\" Color=\"1\";");
    Engine.SetObjectProperty("G", "AddColumns",
                             "Width=\"100\" FontName=\"QelUnicode\" Alignment=\"taRight\" Color=\"3\";");
    Add({"Who\";Text=\"Pts", "Ann\";Text=\"12345", "Bob\";Text=\"7", "Cy\";Text=\"0"});
    ASSERT_EQ(Grid().RowCount(), 4);
    ASSERT_EQ(Grid().VisibleRows(), 3);  // (88 - 4 - 20 - 4) / 20
    Grid().SetPosition(1);
    Move(150, 150);  // over the second data row
    Host.Calls.clear();
    Grid().Draw();
    EXPECT_EQ(Host.Calls, (V {"Colored bar.png 102 151 0 60",  // not focused: the cursor's shape
                              "Text 102 102 7 255 'Who'", "Text 272 102 7 255 'Pts'",
                              "Text 102 126 1 255 'Ann'", "Text 252 126 3 255 '12345'",
                              "Text 102 146 9 255 'Bob'", "Text 292 146 9 255 '7'",
                              "Text 102 166 1 255 'Cy'", "Text 292 166 3 255 '0'"}));
}

// ---------------------------------------------------------------------------------------
// The player window as the game uses it

TEST_F(GridTest, PlayerWindowThroughTheEngine)
{
    Load(Doc({Obj("TQelForm", {{"Name", "WChangePlayer"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}),
              Obj("TQelGrid", {{"Name", "WChangePlayer_GPlayers"}, {"ParentName", "WChangePlayer"},
                               {"Left", "100"}, {"Top", "100"}, {"Width", "300"}, {"Height", "60"},
                               {"Visible", "True"}, {"RowsHeight", "20"},
                               {"AddColumns", "FontName=\"QelUnicode\";"},
                               {"OnMouseDown", "ExecMethod Method=\"WChangePlayer_GPlayers_MouseDown\";"},
                               {"OnDblClick", "ExecMethod Method=\"WChangePlayer_GPlayers_DblClick\";"}}),
              Obj("TQelSlider", {{"Name", "WChangePlayer_SPlayers"}, {"ParentName", "WChangePlayer"},
                                 {"Visible", "True"}, {"LinkedObjectName", "WChangePlayer_GPlayers"}})}));
    V events;
    for (const char* m : {"WChangePlayer_GPlayers_MouseDown", "WChangePlayer_GPlayers_DblClick"})
        Methods.Register(m, [&, m](TQelInterfaceEngine& e) {
            auto* grid = dynamic_cast<TQelGrid*>(e.GetObjectByName("WChangePlayer_GPlayers"));
            events.push_back(std::string(m) + " " + grid->SelectedText());
        });
    Engine.ShowModal("WChangePlayer");
    auto& grid = Get<TQelGrid>("WChangePlayer_GPlayers");
    grid.ClearRows();
    for (const char* name : {"Ann", "Bob", "Cy", "Dee"})
        Engine.SetObjectProperty("WChangePlayer_GPlayers", "AddCells", std::string("Text=\"") + name + "\";");
    Engine.SetObjectProperty("WChangePlayer_GPlayers", "Position", "1");
    Engine.RunScripts();
    events.clear();
    Click(150, 145);
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft | QelShift::kDouble, 150, 145});
    TQelKeyEvent down {kDown, 0};
    Engine.KeyDown(down);
    EXPECT_EQ(events, (V {"WChangePlayer_GPlayers_MouseDown Cy", "WChangePlayer_GPlayers_MouseDown Cy",
                          "WChangePlayer_GPlayers_DblClick Cy", "WChangePlayer_GPlayers_MouseDown Dee",
                          "WChangePlayer_GPlayers_MouseDown Dee"}));
    EXPECT_EQ(Value("WChangePlayer_GPlayers", "Position"), "3");
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(Value("WChangePlayer_SPlayers", "Position"), "3");
}

// ---------------------------------------------------------------------------------------
// Trees

// Items as the custom-level window lists them, one element per line.
std::string Items(const std::string& body)
{
    return "<Items>\r\n" + body + "</Items>\r\n";
}

const std::string kGroup = "<G t=\"Group\">\r\n<I t=\"One\"></I>\r\n<I t=\"Two\"></I>\r\n</G>\r\n";
const std::string kOpenGroup = "<G t=\"Group\" c=\"False\">\r\n<I t=\"One\"></I>\r\n<I t=\"Two\"></I>\r\n</G>\r\n";

// A tree "T" at (100, 100), 200 x 60: three lines of the 20-pixel-high font, 10 x 10
// expand pictures.
class TreeTest : public InterfaceTest {
protected:
    void LoadTree(const std::string& items, const TProps& more = {},
                  std::initializer_list<std::string> others = {})
    {
        Host.Pictures["plus.png"] = {10, 10};
        Host.Pictures["minus.png"] = {10, 10};
        Host.Pictures["pic.png"] = {16, 16};
        TProps props = {{"Name", "T"},          {"ParentName", "W"},  {"Left", "100"},
                        {"Top", "100"},         {"Width", "200"},     {"Height", "60"},
                        {"Visible", "True"},    {"FontName", "QelUnicode"}, {"CollapsedImage", "plus.png"},
                        {"ExpandedImage", "minus.png"}, {"Color", "1"}, {"ColorSelected", "2"},
                        {"CursorColor", "3"},   {"CursorAlpha", "200"},
                        {"OnMouseDown", "ExecMethod Method=\"Tree\";"}};
        props.insert(props.end(), more.begin(), more.end());
        std::string text = "<QelInterface>" +
                           Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}) +
                           Obj("TQelTree", props);
        for (const std::string& o : others)
            text += o;
        Load(text + "</QelInterface>");
        Engine.ShowModal("W");
        Methods.Register("Tree", [this](TQelInterfaceEngine&) { ++clicks; });
        Engine.SetObjectProperty("T", "Text", Items(items));
    }
    TQelTree& Tree() { return Get<TQelTree>("T"); }
    V Shown()
    {
        V texts;
        for (const TTreeItem& line : Tree().Lines())
            if (line.Item)
                texts.push_back(Utf16ToUtf8(line.Text));
        return texts;
    }
    bool Wheel(int x, int y, int delta) { return Engine.MouseWheel({0, delta, x, y}); }
    int clicks = 0;
};

TEST_F(TreeTest, BranchWithoutStateIsCollapsedAndAClickOnItsPictureOpensIt)
{
    LoadTree(kGroup + "<I t=\"Solo\"></I>\r\n");
    EXPECT_EQ(Shown(), (V {"Group", "Solo"}));
    EXPECT_TRUE(Tree().Lines()[0].Collapsed);
    Host.Calls.clear();
    Tree().Draw();
    EXPECT_EQ(Host.CallsStarting("Draw"), (V {"Draw plus.png 100 105 255"}));

    Click(105, 105);  // on the expand picture
    EXPECT_EQ(Shown(), (V {"Group", "One", "Two"}));
    EXPECT_EQ(Tree().ShownCount(), 4);
    EXPECT_NE(Value("T", "Text").find("<G t=\"Group\" c=\"False\">"), std::string::npos);
    EXPECT_EQ(clicks, 1);
    Click(105, 105);
    EXPECT_EQ(Shown(), (V {"Group", "Solo"}));
}

TEST_F(TreeTest, ClickOnTextSelectsAndCollapsingItsBranchSelectsTheBranch)
{
    LoadTree(kOpenGroup + "<I t=\"Solo\"></I>\r\n");
    Click(150, 125);  // "One": indented 30, text after the 10-pixel expander
    ASSERT_NE(Tree().SelectedNode(), nullptr);
    EXPECT_EQ(Tree().SelectedNode()->AttributeValue("t"), "One");
    EXPECT_EQ(Tree().SelectedLine(), 1);
    EXPECT_NE(Value("T", "Text").find("<I t=\"One\" s=\"True\""), std::string::npos);
    Click(150, 145);  // "Two" takes the selection over
    const std::string text = Value("T", "Text");
    EXPECT_EQ(text.find("s=\"True\""), text.rfind("s=\"True\""));
    EXPECT_NE(text.find("<I t=\"Two\" s=\"True\""), std::string::npos);

    Click(105, 105);  // collapse "Group" while "Two" is selected
    EXPECT_EQ(Shown(), (V {"Group", "Solo"}));
    EXPECT_EQ(Tree().SelectedNode()->AttributeValue("t"), "Group");

    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft | QelShift::kDouble, 130, 105});  // double click opens
    EXPECT_EQ(Shown(), (V {"Group", "One", "Two"}));
    Engine.SetObjectProperty("T", "Text", Items("<I t=\"New\"></I>\r\n"));
    EXPECT_EQ(Tree().SelectedNode(), nullptr);
}

TEST_F(TreeTest, WheelScrollsOnlyOverTheTree)
{
    LoadTree(kOpenGroup + "<I t=\"Solo\"></I>\r\n<I t=\"Last\"></I>\r\n");
    EXPECT_EQ(Tree().ShownCount(), 5);
    EXPECT_FALSE(Wheel(50, 50, -120));
    EXPECT_EQ(Tree().TopLine(), 0);
    EXPECT_TRUE(Wheel(150, 120, -120));
    EXPECT_TRUE(Wheel(150, 120, -120));
    EXPECT_TRUE(Wheel(150, 120, -120));  // the last lines already show
    EXPECT_EQ(Tree().TopLine(), 2);
    EXPECT_EQ(Shown(), (V {"Two", "Solo", "Last"}));
    Wheel(150, 120, 120);
    EXPECT_EQ(Tree().TopLine(), 1);
}

TEST_F(TreeTest, SliderLinkedToATreeScrollsItALineAtATime)
{
    LoadTree(kOpenGroup + "<I t=\"Solo\"></I>\r\n<I t=\"Last\"></I>\r\n", {},
             {Obj("TQelSlider", {{"Name", "S"}, {"ParentName", "W"}, {"Max", "100"}})});
    auto& slider = Get<TQelSlider>("S");
    Engine.SetObjectProperty("T", "LinkedObjectName", "S");
    EXPECT_EQ(slider.LinkedTree(), &Tree());
    EXPECT_EQ(slider.LinkedObjectName(), "T");
    EXPECT_EQ(slider.Max(), 2);  // five lines, three shown
    Engine.SetObjectProperty("S", "Position", "2");
    EXPECT_EQ(Tree().TopLine(), 1);
    Engine.SetObjectProperty("S", "Position", "2");
    EXPECT_EQ(Tree().TopLine(), 2);
    Engine.SetObjectProperty("S", "Max", "40");  // a tree leaves the value written
    EXPECT_EQ(slider.Max(), 40);
    Wheel(150, 120, 120);
    EXPECT_EQ(slider.Position(), 1);
    Engine.SetObjectProperty("T", "Text", Items("<I t=\"Only\"></I>\r\n"));
    EXPECT_EQ(Tree().TopLine(), 0);
    EXPECT_EQ(slider.Max(), 0);
    EXPECT_EQ(slider.Position(), 0);
}

TEST_F(TreeTest, NoLineHeightMeansNoLinesAndNoClicks)
{
    LoadTree(kGroup, {{"LineSpace", "-20"}});
    EXPECT_TRUE(Shown().empty());
    Click(105, 105);
    bool handled = false;
    Tree().MouseWheel(0, -120, {150, 120}, handled);
    EXPECT_EQ(Tree().TopLine(), 0);
    Engine.SetObjectProperty("T", "FontName", "NoSuchFont");
    Host.Calls.clear();
    Tree().Draw();
    EXPECT_TRUE(Host.Calls.empty());
}

TEST_F(TreeTest, DrawsExpanderPictureTextAndSelectionBar)
{
    LoadTree(kGroup + "<I t=\"Solo\" p=\"pic.png\" s=\"True\"></I>\r\n");
    Host.Calls.clear();
    Tree().Draw();
    EXPECT_EQ(Host.Calls, (V {"Draw plus.png 100 105 255", "Text 116 100 1 255 'Group'",
                              "Rect 132 120 172 140 3 200 fill", "Draw pic.png 113 125 255",
                              "Text 132 120 2 255 'Solo'"}));
    EXPECT_EQ(Tree().SelectedLine(), 1);
    EXPECT_EQ(Tree().GetPictures(), (V {"", "plus.png", "minus.png", "", "", "", "pic.png"}));
}

}  // namespace
