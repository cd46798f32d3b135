// Interface objects and labels: layout rules, hot keys, caption lines and their drawing
// through the host, format captions, digit grouping, button, check box and radio states.
#include "InterfaceTestKit.h"

namespace {

// A screen-sized form "W" holding the objects given.
class WidgetTest : public InterfaceTest {
protected:
    void LoadIn(std::initializer_list<std::string> objects)
    {
        std::string text = "<QelInterface>" +
                           Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}});
        for (const std::string& o : objects)
            text += o;
        Load(text + "</QelInterface>");
        Engine.ShowModal("W");
    }
    // What one object draws, through the host.
    std::vector<std::string> DrawOf(const std::string& name)
    {
        Host.Calls.clear();
        Get(name).Draw();
        return Host.Calls;
    }
    void Record(const std::vector<std::string>& methods)
    {
        for (const std::string& m : methods)
            Methods.Register(m, [this, m](TQelInterfaceEngine&) { Called.push_back(m); });
    }
    std::vector<std::string> Called;
};

// ---------------------------------------------------------------------------------------
// Layout

TEST_F(WidgetTest, AlignmentAndItsWrites)
{
    LoadIn({Obj("TQelLabel", {{"Name", "C"}, {"ParentName", "W"}, {"Width", "101"}, {"ShiftLeft", "3"},
                              {"HAlign", "haCenter"}}),
            Obj("TQelLabel", {{"Name", "R"}, {"ParentName", "W"}, {"Width", "50"}, {"Height", "20"},
                              {"HAlign", "haRight"}, {"VAlign", "vaBottom"}, {"ShiftTop", "-5"}}),
            Obj("TQelLabel", {{"Name", "J"}, {"ParentName", "W"}, {"Left", "7"}, {"AutoSize", "asPicture"},
                              {"Picture", "p.png"}, {"HAlign", "haJustify"}})});
    auto& c = Get("C");
    EXPECT_EQ(c.Left(), 400 + 3 - 50);
    c.SetLeft(5);  // ignored while aligned
    EXPECT_EQ(c.Left(), 353);
    c.MoveTo(1, 2);  // only the axis that is not aligned moves
    EXPECT_EQ(c.Left(), 353);
    EXPECT_EQ(c.Top(), 2);
    EXPECT_EQ(Get("R").Left(), 750);
    EXPECT_EQ(Get("R").Top(), 575);
    auto& j = Get("J");
    EXPECT_EQ(j.Left(), 7);  // justified alignment leaves an auto-sized object alone
    EXPECT_EQ(j.Width(), 200);
    j.SetWidth(10);  // ignored while sized from the picture
    EXPECT_EQ(j.Width(), 200);
    EXPECT_TRUE(j.Inside(7, 0));
    EXPECT_FALSE(j.Inside(207, 0));  // right edge is outside
}

TEST_F(WidgetTest, PictureSizeAndPlacementComeFromTheHost)
{
    Host.Pictures["p.png"] = {40, 10};
    LoadIn({Obj("TQelForm", {{"Name", "F"}, {"ParentName", "W"}, {"Left", "5"}, {"Top", "6"}, {"Width", "100"},
                             {"Height", "50"}, {"PictureHAlign", "phaCenter"}, {"PictureVAlign", "pvaBottom"},
                             {"PictureShiftTop", "-1"}, {"Picture", "p.png"}}),
            Obj("TQelForm", {{"Name", "G"}, {"ParentName", "W"}, {"AutoSize", "asPicture"}, {"Picture", "p.png"}}),
            Obj("TQelForm", {{"Name", "U"}, {"ParentName", "W"}, {"PictureShiftLeft", "4"}, {"Picture", "none.png"}})});
    EXPECT_EQ(Get("F").PictureX, 30);
    EXPECT_EQ(Get("F").PictureY, 39);
    EXPECT_EQ(DrawOf("F"), (std::vector<std::string>{"Draw p.png 35 45 255"}));
    EXPECT_EQ(Get("G").Width(), 40);
    EXPECT_EQ(Get("G").Height(), 10);
    EXPECT_EQ(Get("U").PictureX, 0);  // an unknown picture leaves the offset as it was
}

struct THotKeyCase {
    std::string Text;
    std::vector<TQelHotKey> Keys;
    std::string ReadBack;
};

class HotKeyParseTest : public ::testing::TestWithParam<THotKeyCase> {};

TEST_P(HotKeyParseTest, Entries)
{
    EXPECT_EQ(ParseHotKeys(GetParam().Text), GetParam().Keys);
    EXPECT_EQ(HotKeysText(GetParam().Keys), GetParam().ReadBack);
}

INSTANTIATE_TEST_SUITE_P(Keys, HotKeyParseTest,
                         ::testing::Values(THotKeyCase{"13;27,", {{13, true}, {27, false}}, "13;27,"},
                                           THotKeyCase{"13", {}, ""}, THotKeyCase{"0,8;x", {{0, false}, {8, true}}, "0,8;"},
                                           THotKeyCase{"", {}, ""}));

TEST(HotKeyParse, CodeThatIsNotANumberFails)
{
    EXPECT_THROW(ParseHotKeys("13;a;"), std::runtime_error);
    EXPECT_THROW(ParseHotKeys(";"), std::runtime_error);
}

// ---------------------------------------------------------------------------------------
// Caption lines and drawing

struct TCaptionCase {
    std::string Title;
    TProps Props;  // besides Name, ParentName, Left 100, Top 50
    std::vector<std::string> Text;  // the "Text ..." calls of the host
};

class CaptionTest : public WidgetTest, public ::testing::WithParamInterface<TCaptionCase> {};

TEST_P(CaptionTest, DrawnThroughTheHost)
{
    TProps props = {{"Name", "L"}, {"ParentName", "W"}, {"Left", "100"}, {"Top", "50"}, {"Color", "255"}};
    props.insert(props.end(), GetParam().Props.begin(), GetParam().Props.end());
    LoadIn({Obj("TQelLabel", props)});
    EXPECT_EQ(DrawOf("L"), GetParam().Text);
}

const TProps kHello = {{"Width", "90"}, {"Height", "60"}, {"Caption", "Hello world"}};

TProps With(TProps base, const TProps& more)
{
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

INSTANTIATE_TEST_SUITE_P(
    Labels, CaptionTest,
    ::testing::Values(
        TCaptionCase{"WrapsAtTheSpace", kHello, {"Text 100 50 255 255 'Hello'", "Text 100 70 255 255 'world'"}},
        TCaptionCase{"Right", With(kHello, {{"Alignment", "taRight"}}),
                     {"Text 140 50 255 255 'Hello'", "Text 140 70 255 255 'world'"}},
        TCaptionCase{"Center", With(kHello, {{"Alignment", "taCenter"}}),
                     {"Text 120 50 255 255 'Hello'", "Text 120 70 255 255 'world'"}},
        TCaptionCase{"MiddleLayout", With(kHello, {{"Layout", "tlCenter"}}),
                     {"Text 100 60 255 255 'Hello'", "Text 100 80 255 255 'world'"}},
        TCaptionCase{"BottomLayout", With(kHello, {{"Layout", "tlBottom"}}),
                     {"Text 100 70 255 255 'Hello'", "Text 100 90 255 255 'world'"}},
        TCaptionCase{"ShiftsAndLineSpace",
                     With(kHello, {{"TextShiftLeft", "5"}, {"TextShiftTop", "3"}, {"LineSpace", "4"}, {"Alpha", "128"}}),
                     {"Text 105 53 255 128 'Hello'", "Text 105 77 255 128 'world'"}},
        // A word without spaces breaks before the character that overflows; the first
        // character of a continuation line is not counted.
        TCaptionCase{"LongWord",
                     {{"Width", "50"}, {"Caption", "abcdefghijkl"}},
                     {"Text 100 50 255 255 'abcde'", "Text 100 70 255 255 'fghijk'", "Text 100 90 255 255 'l'"}},
        TCaptionCase{"Justified",
                     {{"Width", "71"}, {"Caption", "ab c d ee"}, {"Alignment", "taJustify"}},
                     {"Text 100 50 255 255 'a'", "Text 110 50 255 255 'b'", "Text 120 50 255 255 ' '",
                      "Text 135 50 255 255 'c'", "Text 145 50 255 255 ' '", "Text 161 50 255 255 'd'",
                      "Text 100 70 255 255 'ee'"}},
        TCaptionCase{"SlantedDown",
                     {{"Caption", "abc"}, {"CharShiftAngle", "-45"}},
                     {"Text 100 50 255 255 'a'", "Text 110 60 255 255 'b'", "Text 120 70 255 255 'c'"}},
        TCaptionCase{"SlantedUp",
                     {{"Caption", "abc"}, {"CharShiftAngle", "45"}},
                     {"Text 100 50 255 255 'a'", "Text 110 40 255 255 'b'", "Text 120 30 255 255 'c'"}},
        TCaptionCase{"NoFont", {{"Caption", "abc"}, {"FontName", "Missing"}}, {}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(WidgetTest, CaptionWaitsForAWidth)
{
    LoadIn({Obj("TQelLabel", {{"Name", "L"}, {"ParentName", "W"}, {"Width", "0"}, {"Caption", "Hello world"}})});
    auto& label = Get<TQelLabel>("L");
    EXPECT_TRUE(label.Lines().empty());
    label.SetWidth(90);
    ASSERT_EQ(label.Lines().size(), 2u);
    EXPECT_EQ(label.Lines()[1].Text, u"world");
    EXPECT_EQ(label.Lines()[0].Width, 50);
}

TEST_F(WidgetTest, TabsAndLineBreaksBecomeSpacesAndTrailingBlanksGo)
{
    LoadIn({Obj("TQelLabel", {{"Name", "L"}, {"ParentName", "W"}})});
    Engine.SetObjectProperty("L", "Caption", "a\tb\r\nc \r\n ");
    EXPECT_EQ(DrawOf("L"), (std::vector<std::string>{"Text 0 0 0 255 'a b c'"}));
}

struct TGroupCase {
    std::u16string Text, Delimiter, Shown;
};

class GroupDigitsTest : public ::testing::TestWithParam<TGroupCase> {};

TEST_P(GroupDigitsTest, Marks)
{
    EXPECT_EQ(GroupDigits(GetParam().Text, GetParam().Delimiter), GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(Labels, GroupDigitsTest,
                         ::testing::Values(TGroupCase{u"Score 1234567", u"' '", u"Score 1 234 567"},
                                           TGroupCase{u"123 4567x89012", u"x.", u"123 4.567x89.012"},
                                           TGroupCase{u"1234567", u".", u"1234567"},
                                           TGroupCase{u"", u"x,", u""}));

TEST_F(WidgetTest, DelimiterChangesWhatIsShownNotTheCaption)
{
    LoadIn({Obj("TQelLabel",
                {{"Name", "L"}, {"ParentName", "W"}, {"Delimiter", "' '"}, {"Caption", "Score 1234567"}})});
    EXPECT_EQ(Value("L", "Caption"), "Score 1234567");
    EXPECT_EQ(DrawOf("L"), (std::vector<std::string>{"Text 0 0 0 255 'Score 1 234 567'"}));
}

class FormatCaptionTest : public WidgetTest {
protected:
    void SetUp() override
    {
        LoadIn({Obj("TQelLabel", {{"Name", "T"}, {"ParentName", "W"}, {"FormatCaption", "%s1 / %s2 %% %s9%sx"},
                                  {"SourcesList", "S1;Nobody;S2"}}),
                Obj("TQelLabel", {{"Name", "S1"}, {"ParentName", "W"}, {"Caption", "3"}}),
                Obj("TQelLabel", {{"Name", "S2"}, {"ParentName", "W"}, {"Caption", "10"}})});
    }
};

TEST_F(FormatCaptionTest, BuiltFromSourcesAndKeptUpToDate)
{
    EXPECT_EQ(Value("T", "Caption"), "3 / 10 % 3x");
    EXPECT_EQ(Value("T", "SourcesList"), "S1;S2");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Exception error in [TQelLabel.SetSourceName (ObjectName:\"T\")] Nobody not found!");
    Engine.SetObjectProperty("S2", "Caption", "11");
    EXPECT_EQ(Value("T", "Caption"), "3 / 11 % 3x");
    Engine.DeleteObject("S1");  // the link goes with it
    Engine.SetObjectProperty("S2", "Caption", "12");
    EXPECT_EQ(Value("T", "Caption"), "12 /  % 12x");
}

TEST_F(FormatCaptionTest, SelfAndCycles)
{
    EXPECT_THROW(Engine.SetObjectProperty("T", "SourcesList", "T"), TQelException);
    EXPECT_NE(std::find(Log.begin(), Log.end(), "Exception error in [TQelLabel.SetSourceName]Thave not be Source!"),
              Log.end());
    // S1 and S2 built from each other: one change settles instead of recursing forever.
    Engine.SetObjectProperty("S1", "FormatCaption", "<%s1>");
    Engine.SetObjectProperty("S1", "SourcesList", "S2");
    Engine.SetObjectProperty("S2", "FormatCaption", "[%s1]");
    Engine.SetObjectProperty("S2", "SourcesList", "S1");
    Engine.SetObjectProperty("S1", "Caption", "x");
    EXPECT_FALSE(Value("S1", "Caption").empty());
    EXPECT_FALSE(Value("S2", "Caption").empty());
}

// ---------------------------------------------------------------------------------------
// Mouse states

TEST_F(WidgetTest, ButtonFollowsTheMouse)
{
    Host.Pictures = {{"up.png", {100, 30}}, {"over.png", {100, 30}}, {"down.png", {100, 30}}};
    LoadIn({Obj("TQelLabel", {{"Name", "B"}, {"ParentName", "W"}, {"Left", "10"}, {"Top", "20"}, {"Width", "100"},
                              {"Height", "30"}, {"Visible", "True"}, {"Picture", "up.png"},
                              {"MouseOverPicture", "over.png"}, {"MouseDownPicture", "down.png"}, {"Caption", "Go"},
                              {"Color", "1"}, {"MouseOverColor", "2"}, {"DisabledColor", "3"},
                              {"TextDownShiftLeft", "2"}, {"TextDownShiftTop", "1"},
                              {"OnMouseMove", "ExecMethod Method=\"Move\";"},
                              {"OnMouseDown", "ExecMethod Method=\"Down\";"},
                              {"OnMouseUp", "ExecMethod Method=\"Up\";"},
                              {"OnMouseGetOut", "ExecMethod Method=\"Out\";"}})});
    Record({"Move", "Down", "Up", "Out"});
    using V = std::vector<std::string>;
    EXPECT_EQ(DrawOf("B"), (V{"Draw up.png 10 20 255", "Text 10 20 1 255 'Go'"}));
    Move(15, 25);
    EXPECT_EQ(DrawOf("B"), (V{"Draw over.png 10 20 255", "Text 10 20 2 255 'Go'"}));
    Engine.MouseDown({TQelMouseButton::Right, 0, 15, 25});  // other buttons do nothing
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, 15, 25});
    EXPECT_EQ(DrawOf("B"), (V{"Draw down.png 10 20 255", "Text 12 21 2 255 'Go'"}));
    Engine.MouseUp({TQelMouseButton::Left, 0, 15, 25});
    EXPECT_EQ(DrawOf("B"), (V{"Draw over.png 10 20 255", "Text 10 20 2 255 'Go'"}));
    Move(300, 300);
    Move(301, 300);
    EXPECT_EQ(Called, (V{"Move", "Down", "Up", "Out"}));
    // Pressed inside, released outside: no click.
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, 15, 25});
    Engine.MouseUp({TQelMouseButton::Left, 0, 300, 300});
    EXPECT_EQ(Called.back(), "Down");
    Engine.SetObjectProperty("B", "Enabled", "False");
    EXPECT_EQ(DrawOf("B"), (V{"Draw down.png 10 20 255", "Text 10 20 3 255 'Go'"}));
    Called.clear();
    Move(15, 25);
    Click(15, 25);
    EXPECT_TRUE(Called.empty());
}

TEST_F(WidgetTest, CheckBoxTogglesOnAClick)
{
    Host.Pictures = {{"off.png", {20, 20}}, {"on.png", {20, 20}}};
    LoadIn({Obj("TQelCheckBox", {{"Name", "CB"}, {"ParentName", "W"}, {"Left", "10"}, {"Top", "10"}, {"Width", "120"},
                                 {"Height", "20"}, {"Visible", "True"}, {"Picture", "off.png"},
                                 {"MouseDownPicture", "on.png"}, {"Caption", "Sound"},
                                 {"OnMouseUp", "ExecMethod Method=\"Up\";"}}),
            Obj("TQelCheckBox", {{"Name", "CR"}, {"ParentName", "W"}, {"Left", "10"}, {"Top", "40"}, {"Width", "120"},
                                 {"Height", "20"}, {"BoxPlace", "bpRight"}, {"Picture", "off.png"},
                                 {"Caption", "Music"}, {"Checked", "True"}})});
    Record({"Up"});
    using V = std::vector<std::string>;
    EXPECT_EQ(DrawOf("CB"), (V{"Draw off.png 10 10 255", "Text 30 10 0 255 'Sound'"}));
    Click(15, 15);
    EXPECT_EQ(Value("CB", "Checked"), "True");
    EXPECT_EQ(Called, (V{"Up"}));
    EXPECT_EQ(DrawOf("CB"), (V{"Draw on.png 10 10 255", "Text 30 10 0 255 'Sound'"}));
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, 15, 15});
    Engine.MouseUp({TQelMouseButton::Left, 0, 300, 15});
    Engine.MouseUp({TQelMouseButton::Left, 0, 15, 15});  // the press was released outside
    EXPECT_EQ(Value("CB", "Checked"), "True");
    Click(15, 15);
    EXPECT_EQ(Value("CB", "Checked"), "False");
    Engine.SetObjectProperty("CB", "Enabled", "False");
    Click(15, 15);
    EXPECT_EQ(Value("CB", "Checked"), "False");
    EXPECT_EQ(Get<TQelCheckBox>("CR").GetTextWidth(), 100);
    EXPECT_EQ(DrawOf("CR"), (V{"Text 10 40 0 255 'Music'"}));  // checked, but no checked picture
}

TEST_F(WidgetTest, RadioButtonsOfAGroupOnOneForm)
{
    auto radio = [](const std::string& name, const std::string& parent, int top, int group) {
        return Obj("TQelRadioButton", {{"Name", name}, {"ParentName", parent}, {"Top", std::to_string(top)},
                                       {"Width", "100"}, {"Height", "20"}, {"Visible", "True"},
                                       {"RadioGroup", std::to_string(group)},
                                       {"OnMouseUp", "ExecMethod Method=\"" + name + "\";"}});
    };
    LoadIn({radio("R1", "W", 0, 1), radio("R2", "W", 30, 1), radio("R3", "W", 60, 2),
            Obj("TQelForm", {{"Name", "V"}, {"ParentName", "none"}}), radio("R4", "V", 0, 1)});
    Record({"R1", "R2", "R3"});
    Engine.SetObjectProperty("R1", "Checked", "True");
    Engine.SetObjectProperty("R3", "Checked", "True");
    Engine.SetObjectProperty("R4", "Checked", "True");
    Click(5, 35);
    EXPECT_EQ(Value("R1", "Checked"), "False");
    EXPECT_EQ(Value("R2", "Checked"), "True");
    EXPECT_EQ(Value("R3", "Checked"), "True");  // another group
    EXPECT_EQ(Value("R4", "Checked"), "True");  // another form
    Click(5, 35);  // a checked radio button ignores clicks
    EXPECT_EQ(Called, (std::vector<std::string>{"R2"}));
    Click(5, 5);
    EXPECT_EQ(Value("R2", "Checked"), "False");
    EXPECT_EQ(Called.back(), "R1");
}

// ---------------------------------------------------------------------------------------
// Keys

TEST_F(WidgetTest, HotKeysReachPlainLabelsAndStop)
{
    auto label = [](const std::string& name, const std::string& keys, const std::string& extra = "Enabled") {
        return Obj("TQelLabel", {{"Name", name}, {"ParentName", "W"}, {"Visible", "True"}, {"OnMouseUpHotKey", keys},
                                 {extra, extra == "Enabled" ? "False" : "True"},
                                 {"OnMouseUp", "ExecMethod Method=\"" + name + "\";"}});
    };
    LoadIn({label("Esc", "27;"), label("EscToo", "27,"), label("Any", "0,"),
            Obj("TQelCheckBox", {{"Name", "Box"}, {"ParentName", "W"}, {"Visible", "True"}, {"OnMouseUpHotKey", "0,"},
                                 {"OnMouseUp", "ExecMethod Method=\"Box\";"}})});
    Record({"Esc", "EscToo", "Any", "Box"});
    TQelKeyEvent esc{QelKey::kEscape, 0};
    Engine.KeyDown(esc);  // disabled, still fired; later siblings do not see the key
    EXPECT_EQ(Called, (std::vector<std::string>{"Esc"}));
    Called.clear();
    TQelKeyEvent enter{QelKey::kEnter, 0};
    Engine.KeyDown(enter);
    EXPECT_EQ(Called, (std::vector<std::string>{"Any"}));
}

TEST_F(WidgetTest, StopByTheLastChildDoesNotSwallowTheNextKey)
{
    LoadIn({Obj("TQelLabel", {{"Name", "A"}, {"ParentName", "W"}, {"Visible", "True"}, {"OnMouseUpHotKey", "65,"},
                              {"OnMouseUp", "ExecMethod Method=\"A\";"}}),
            Obj("TQelLabel", {{"Name", "Z"}, {"ParentName", "W"}, {"Visible", "True"}, {"OnMouseUpHotKey", "90;"},
                              {"OnMouseUp", "ExecMethod Method=\"Z\";"}})});
    Record({"A", "Z"});
    TQelKeyEvent z{90, 0}, a{65, 0};
    Engine.KeyDown(z);
    Engine.KeyDown(a);
    EXPECT_EQ(Called, (std::vector<std::string>{"Z", "A"}));
}

}  // namespace
