// Rich labels, typing labels and hints: the markup and its layout as drawn through the
// host, links that queue their script, the typing of characters and its completion by a
// press, the typing sound, and hints that fit their box to the text and hide in time.
#include "InterfaceTestKit.h"

#include "interface/QelEffectLabel.h"
#include "interface/QelHint.h"
#include "interface/QelRichLabel.h"

#include <sstream>

namespace {

using V = std::vector<std::string>;

constexpr int64_t T0 = 10000;  // the first animation step of every typing test

TProps With(TProps base, const TProps& more)
{
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

// A screen-sized form "W" holding the objects given; text in fonts of 10 x 20 pixels
// ("QelUnicode") and 12 x 30 pixels ("Big").
class RichTest : public InterfaceTest {
protected:
    RichTest() { Fonts.Fonts["Big"] = std::make_unique<TQelMonoFont>(&Host, 12, 30); }
    void LoadIn(std::initializer_list<std::string> objects)
    {
        std::string text = "<QelInterface>" +
                           Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}) +
                           Obj("TQelForm", {{"Name", "WOptions"}, {"ParentName", "none"}});
        for (const std::string& o : objects)
            text += o;
        Load(text + "</QelInterface>");
        Engine.ShowModal("W");
    }
    V DrawOf(const std::string& name)
    {
        Host.Calls.clear();
        Get(name).Draw();
        return Host.Calls;
    }
};

// A rich label of 200 x 100 at (100, 50), text colour 7.
TProps RichProps()
{
    return {{"Name", "R"},      {"ParentName", "W"}, {"Left", "100"},   {"Top", "50"},
            {"Width", "200"},   {"Height", "100"},   {"Visible", "True"}, {"Color", "7"},
            {"MouseOverColor", "8"}, {"DisabledColor", "9"}};
}

std::string Text(int x, int y, int colour, const std::string& text)
{
    return "Text " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(colour) + " 255 '" + text +
           "'";
}

// ---------------------------------------------------------------------------------------
// Published properties of the three classes

struct TPropCase {
    std::string Class, Prop, Written, Read;
};

class RichPropTest : public RichTest, public ::testing::WithParamInterface<TPropCase> {};

TEST_P(RichPropTest, CreatedByClassNameWrittenAndReadByName)
{
    LoadIn({Obj(GetParam().Class, {{"Name", "X"}, {"ParentName", "W"}})});
    ASSERT_NE(Engine.GetObjectByName("X"), nullptr) << GetParam().Class << " is not creatable by name";
    EXPECT_TRUE(Engine.SetObjectProperty("X", GetParam().Prop, GetParam().Written));
    EXPECT_EQ(Value("X", GetParam().Prop), GetParam().Read);
}

INSTANTIATE_TEST_SUITE_P(
    Widgets, RichPropTest,
    ::testing::Values(TPropCase{"TQelRichLabel", "LinkColor", "255", "255"},
                      TPropCase{"TQelRichLabel", "LinkMouseOverColor", "-1", "-1"},
                      TPropCase{"TQelRichLabel", "Caption", "a{BR/}b", "a{BR/}b"},
                      TPropCase{"TQelRichLabel", "Alpha", "128", "128"},
                      TPropCase{"TQelEffectLabel", "OutputDelayTime", "50", "50"},
                      TPropCase{"TQelEffectLabel", "CharColorStart", "16777215", "16777215"},
                      TPropCase{"TQelEffectLabel", "CharTransTime", "300", "300"},
                      TPropCase{"TQelEffectLabel", "PlaySoundDelay", "120", "120"},
                      TPropCase{"TQelEffectLabel", "PlaySoundProbability", "30", "30"},
                      TPropCase{"TQelEffectLabel", "LinkColor", "5", "5"},
                      TPropCase{"TQelHint", "ShowTime", "3000", "3000"},
                      TPropCase{"TQelHint", "BackGroundColor", "4210752", "4210752"},
                      TPropCase{"TQelHint", "BackGroundAlpha", "160", "160"}),
    [](const auto& row) { return row.param.Class.substr(4) + row.param.Prop; });

// ---------------------------------------------------------------------------------------
// Markup and layout

struct TMarkupCase {
    std::string Title;
    std::string Caption;
    TProps Props;  // after RichProps
    V Drawn;
};

class MarkupTest : public RichTest, public ::testing::WithParamInterface<TMarkupCase> {};

TEST_P(MarkupTest, WordsDrawnWhereAndHowTheTagsSay)
{
    LoadIn({Obj("TQelRichLabel", With(RichProps(), GetParam().Props))});
    ASSERT_TRUE(Engine.SetObjectProperty("R", "Caption", GetParam().Caption));
    EXPECT_EQ(DrawOf("R"), GetParam().Drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, MarkupTest,
    ::testing::Values(
        TMarkupCase{"ColourPushedAndPopped", "Price: {$0000FF}10{/$} coins", {},
                    {Text(100, 50, 7, "Price:"), Text(170, 50, 255, "10"), Text(200, 50, 7, "coins")}},
        TMarkupCase{"DoubledBracesAreLiteral", "{{x}}", {}, {Text(100, 50, 7, "{x}")}},
        TMarkupCase{"CentredTitleThenBodyAtTheLeft", "{Center}Title{/Center}Body", {},
                    {Text(175, 50, 7, "Title"), Text(100, 70, 7, "Body")}},
        TMarkupCase{"RightAligned", "{Right}ab{/Right}", {}, {Text(280, 50, 7, "ab")}},
        TMarkupCase{"GapAfterAWord", "a{HR 20/}b", {}, {Text(100, 50, 7, "a"), Text(130, 50, 7, "b")}},
        TMarkupCase{"BreakByPixels", "a{BR 5/}b", {}, {Text(100, 50, 7, "a"), Text(100, 55, 7, "b")}},
        TMarkupCase{"UnmatchedClosingTagsAreIgnored", "{/$}{/F}{/Center}{/MO$}{/D$}{/Justify}a b", {},
                    {Text(100, 50, 7, "a"), Text(120, 50, 7, "b")}},
        TMarkupCase{"UnknownTagsAndPictureTagsAreIgnored", "a{Pic smile.png}b", {},
                    {Text(100, 50, 7, "a"), Text(110, 50, 7, "b")}},
        TMarkupCase{"AnotherFontMeasuresItsWordsAndSpaces", "a {Font Big x}bb{/F} c", {},
                    {Text(100, 50, 7, "a"), Text(120, 50, 7, "bb"), Text(156, 50, 7, "c")}},
        TMarkupCase{"FontTagWithoutItsSecondSpaceKeepsTheFont", "a{Font Big}b{/F}c", {},
                    {Text(100, 50, 7, "a"), Text(110, 50, 7, "b"), Text(120, 50, 7, "c")}},
        // 40-pixel words with 10-pixel spaces leave 10 pixels: 3 to each of the three
        // spaces, and the one left over to space round(3 / 1) = 3.
        TMarkupCase{"JustifiedLineWidensItsSpacesLastLineStays", "{Justify}aaaa bbbb cccc dddd{BR/}end", {},
                    {Text(100, 50, 7, "aaaa"), Text(153, 50, 7, "bbbb"), Text(206, 50, 7, "cccc"),
                     Text(260, 50, 7, "dddd"), Text(100, 70, 7, "end")}},
        TMarkupCase{"JustifiedByAlignmentWhenTheLineIsFull", "aaaa bbbb cccc dddd eeee", {{"Alignment", "taJustify"}},
                    {Text(100, 50, 7, "aaaa"), Text(153, 50, 7, "bbbb"), Text(206, 50, 7, "cccc"),
                     Text(260, 50, 7, "dddd"), Text(100, 70, 7, "eeee")}},
        TMarkupCase{"JustifyWithOneBlockLeavesTheLine", "{Justify}abcdefghij{BR/}x", {},
                    {Text(100, 50, 7, "abcdefghij"), Text(100, 70, 7, "x")}},
        TMarkupCase{"JustifyWithWordsGluedByTagsLeavesTheLine", "{Justify}ab{$FF}cd{/$}{BR/}x", {},
                    {Text(100, 50, 7, "ab"), Text(120, 50, 255, "cd"), Text(100, 70, 7, "x")}},
        TMarkupCase{"LongWordSplitWhereItOverflows", "abcdefghijklmnopqrstuvwxy", {},
                    {Text(100, 50, 7, "abcdefghijklmnopqrst"), Text(100, 70, 7, "uvwxy")}},
        TMarkupCase{"WordsWrapAtTheWidth", "abcdefghijklmnop qrstu", {},
                    {Text(100, 50, 7, "abcdefghijklmnop"), Text(100, 70, 7, "qrstu")}},
        TMarkupCase{"TableCellsAtTheirAnchors", "{Table}{TLeft 10/}ab{TRight 150/}cd{TCenter 100/}ef{/Table}z", {},
                    {Text(110, 70, 7, "ab"), Text(230, 70, 7, "cd"), Text(190, 70, 7, "ef"),
                     Text(100, 90, 7, "z")}},
        TMarkupCase{"TextShiftsAndBottomLayout", "a", {{"TextShiftLeft", "5"}, {"TextShiftTop", "3"}, {"Layout", "tlBottom"}},
                    {Text(105, 133, 7, "a")}},
        TMarkupCase{"LineBreaksAndTabsAreSpaces", "a\r\nb\tc", {},
                    {Text(100, 50, 7, "a"), Text(120, 50, 7, "b"), Text(140, 50, 7, "c")}},
        TMarkupCase{"PictureFirstThenTheWords", "a", {{"Picture", "back.png"}},
                    {"Draw back.png 100 50 255", Text(100, 50, 7, "a")}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(RichTest, MouseOverAndDisabledColoursOfEachWord)
{
    LoadIn({Obj("TQelRichLabel", RichProps())});
    Engine.SetObjectProperty("R", "Caption", "a {MO$64}b{/MO$} {D$65}c{/D$} {$66}d");
    Move(110, 60);
    EXPECT_EQ(DrawOf("R"), (V {Text(100, 50, 8, "a"), Text(120, 50, 100, "b"), Text(140, 50, 8, "c"),
                               Text(160, 50, 102, "d")}));
    Engine.SetObjectProperty("R", "Enabled", "False");
    EXPECT_EQ(DrawOf("R"), (V {Text(100, 50, 9, "a"), Text(120, 50, 9, "b"), Text(140, 50, 101, "c"),
                               Text(160, 50, 9, "d")}));
}

TEST_F(RichTest, MalformedNumberFailsTheCaptionWrite)
{
    LoadIn({Obj("TQelRichLabel", RichProps())});
    EXPECT_ANY_THROW(Engine.SetObjectProperty("R", "Caption", "a{BR x/}b"));
    EXPECT_TRUE(Get<TQelRichLabel>("R").Blocks().empty());
    EXPECT_NE(Get<TQelRichLabel>("R").LayoutError(), "");
    // A good caption afterwards lays out again.
    EXPECT_TRUE(Engine.SetObjectProperty("R", "Caption", "a{BR 5/}b"));
    EXPECT_EQ(Get<TQelRichLabel>("R").Blocks().size(), 2u);
}

TEST_F(RichTest, TextBlocksByIndex)
{
    LoadIn({Obj("TQelRichLabel", RichProps())});
    auto& r = Get<TQelRichLabel>("R");
    EXPECT_FALSE(r.GetTextBlock(0).has_value());
    Engine.SetObjectProperty("R", "Caption", "one {$FF}two");
    ASSERT_TRUE(r.GetTextBlock(0).has_value());
    EXPECT_EQ(r.GetTextBlock(0)->Text, u"one");
    EXPECT_EQ(r.GetTextBlock(0)->SpaceCount, 1);
    EXPECT_EQ(r.GetTextBlock(1)->Color, 255);
    EXPECT_EQ(r.GetTextBlock(9)->Text, u"two");  // beyond the end: the last block
}

// ---------------------------------------------------------------------------------------
// Links

TEST_F(RichTest, LinkIsDrawnInItsColoursAndQueuesItsScriptWhenPressed)
{
    LoadIn({Obj("TQelRichLabel", With(RichProps(), {{"LinkColor", "300"}, {"LinkMouseOverColor", "400"}}))});
    Engine.SetObjectProperty("R", "Caption", "See {Link Action ShowModal Form=\"WOptions\";}the options{/Link} now");
    auto& r = Get<TQelRichLabel>("R");
    ASSERT_EQ(r.LinkCount(), 1u);
    ASSERT_EQ(r.Blocks().size(), 3u);
    EXPECT_TRUE(r.Blocks()[1].IsLink);
    EXPECT_EQ(r.Blocks()[1].Text, u"");
    EXPECT_EQ(r.Blocks()[1].Color, 0);  // the index of its link label
    EXPECT_EQ(DrawOf("R"), (V {Text(100, 50, 7, "See"), Text(260, 50, 7, "now"), Text(140, 50, 300, "the options")}));

    Move(145, 55);
    EXPECT_EQ(DrawOf("R").back(), Text(140, 50, 400, "the options"));

    Click(300, 55);  // beside the link
    EXPECT_EQ(ModalNames(), V {"W"});
    Click(145, 55);
    EXPECT_EQ(ModalNames(), (V {"W", "WOptions"}));
}

TEST_F(RichTest, LinkFollowsItsLabelAndLayout)
{
    LoadIn({Obj("TQelRichLabel", With(RichProps(), {{"Layout", "tlBottom"}}))});
    Engine.SetObjectProperty("R", "Caption", "{Link Action ShowModal Form=\"WOptions\";}Go{/Link}");
    Get("R").SetLeft(300);
    // Drawn with the text at the bottom of the label, and pressed there.
    EXPECT_EQ(DrawOf("R"), V {Text(300, 130, 0, "Go")});
    Click(305, 135);
    EXPECT_EQ(ModalNames(), (V {"W", "WOptions"}));
}

// ---------------------------------------------------------------------------------------
// Typing labels

// "abcdefghij" in colour 200, a character every 50 ms, each fading from 0 over 100 ms.
TProps TypingProps(const TProps& more = {})
{
    return With({{"Name", "T"}, {"ParentName", "W"}, {"Left", "100"}, {"Top", "50"}, {"Width", "200"},
                 {"Height", "100"}, {"Visible", "True"}, {"Color", "200"}, {"OutputDelayTime", "50"},
                 {"CharTransTime", "100"}, {"CharColorStart", "0"}, {"Caption", "abcdefghij"}},
                more);
}

class TypingTest : public RichTest {
protected:
    TQelEffectLabel& Label() { return Get<TQelEffectLabel>("T"); }
    // The colours of the characters drawn at time t.
    std::vector<int> ColoursAt(int64_t t)
    {
        Engine.Tick(t);
        std::vector<int> colours;
        for (const std::string& call : DrawOf("T")) {
            std::istringstream in(call);
            std::string word;
            int x = 0, y = 0, colour = 0;
            in >> word >> x >> y >> colour;
            colours.push_back(colour);
        }
        return colours;
    }
};

TEST_F(TypingTest, CharactersAppearOneByOneAndFadeToTheirColour)
{
    LoadIn({Obj("TQelEffectLabel", TypingProps())});
    EXPECT_EQ(Label().PrintDuration(), 500);
    EXPECT_EQ(ColoursAt(T0), std::vector<int>({0}));
    EXPECT_EQ(Label().StartTime(), T0);
    EXPECT_EQ(Label().EndTime(), T0 + 500);
    EXPECT_EQ(ColoursAt(T0 + 50), std::vector<int>({100, 0}));
    EXPECT_EQ(ColoursAt(T0 + 449).size(), 9u);
    EXPECT_EQ(ColoursAt(T0 + 450).size(), 10u);
    EXPECT_EQ(ColoursAt(T0 + 551), std::vector<int>(10, 200));
    // Each character at its own place.
    Host.Calls.clear();
    Label().Draw();
    EXPECT_EQ(Host.Calls.front(), Text(100, 50, 200, "a"));
    EXPECT_EQ(Host.Calls.back(), Text(190, 50, 200, "j"));
}

TEST_F(TypingTest, PressCompletesTheTextWhichFadesInTogether)
{
    LoadIn({Obj("TQelEffectLabel", TypingProps())});
    ColoursAt(T0);
    Engine.Tick(T0 + 100);
    EXPECT_TRUE(Label().Typing());
    Click(500, 500);  // anywhere on the top form
    EXPECT_TRUE(Label().Skipped());
    EXPECT_FALSE(Label().Typing());
    EXPECT_EQ(Label().EndTime(), T0 + 200);
    // The three characters already out keep their fade; the seven others start it now.
    EXPECT_EQ(ColoursAt(T0 + 100), std::vector<int>({200, 100, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ColoursAt(T0 + 150), std::vector<int>({200, 200, 100, 100, 100, 100, 100, 100, 100, 100}));
    EXPECT_EQ(ColoursAt(T0 + 201), std::vector<int>(10, 200));
}

TEST_F(TypingTest, NoFadeTimeDrawsEachCharacterAtOnceAndAPressShowsAll)
{
    LoadIn({Obj("TQelEffectLabel", TypingProps({{"CharTransTime", "0"}}))});
    EXPECT_EQ(ColoursAt(T0), std::vector<int>({200}));
    EXPECT_EQ(ColoursAt(T0 + 60), std::vector<int>({200, 200}));
    Click(500, 500);
    EXPECT_EQ(ColoursAt(T0 + 60), std::vector<int>(10, 200));
}

TEST_F(TypingTest, SecondCaptionCanBeCompletedByAPressToo)
{
    LoadIn({Obj("TQelEffectLabel", TypingProps())});
    ColoursAt(T0);
    Click(500, 500);
    Engine.SetObjectProperty("T", "Caption", "klmno");
    EXPECT_TRUE(Label().StartPending());
    EXPECT_EQ(ColoursAt(T0 + 1000), std::vector<int>({0}));  // the new typing starts at the next step
    EXPECT_TRUE(Label().Typing());
    Click(500, 500);
    EXPECT_EQ(ColoursAt(T0 + 1000).size(), 5u);
}

TEST_F(TypingTest, HiddenLabelDoesNotTypeAndShowingItStartsAgain)
{
    LoadIn({Obj("TQelEffectLabel", TypingProps({{"Visible", "False"}}))});
    Engine.Tick(T0);
    EXPECT_FALSE(Label().Typing());
    Engine.SetObjectProperty("T", "Visible", "True");
    EXPECT_EQ(ColoursAt(T0 + 5000), std::vector<int>({0}));
    EXPECT_EQ(Label().StartTime(), T0 + 5000);
}

TEST_F(TypingTest, PressAfterTheTypingGoesToTheLabel)
{
    LoadIn({Obj("TQelEffectLabel", TypingProps({{"OnMouseDown", "ShowModal Form=\"WOptions\";"}}))});
    Engine.Tick(T0);
    Engine.Tick(T0 + 600);
    Click(110, 60);
    EXPECT_FALSE(Label().Skipped());
    EXPECT_EQ(ModalNames(), (V {"W", "WOptions"}));
}

struct TSoundCase {
    std::string Probability;
    size_t Sounds;
};

class TypingSoundTest : public TypingTest, public ::testing::WithParamInterface<TSoundCase> {};

TEST_P(TypingSoundTest, SoundChancesWhileTyping)
{
    LoadIn({Obj("TQelEffectLabel", TypingProps({{"PlaySoundDelay", "100"},
                                                 {"PlaySoundProbability", GetParam().Probability},
                                                 {"SoundMouseWheel", "Type"}}))});
    Host.Calls.clear();
    for (int64_t t = T0; t <= T0 + 800; t += 50)
        Engine.Tick(t);
    // Chances at 100, 200, 300 and 400 ms; the typing ends at 500 ms.
    EXPECT_EQ(Host.CallsStarting("Sound").size(), GetParam().Sounds);
    if (GetParam().Sounds > 0) {
        EXPECT_EQ(Host.CallsStarting("Sound").front(), "Sound Type 100");
    }
}

INSTANTIATE_TEST_SUITE_P(Probability, TypingSoundTest,
                         ::testing::Values(TSoundCase{"100", 4}, TSoundCase{"0", 0}),
                         [](const auto& row) { return "Percent" + row.param.Probability; });

// ---------------------------------------------------------------------------------------
// Hints

TProps HintProps(const TProps& more = {})
{
    return With({{"Name", "H"}, {"ParentName", "W"}, {"Left", "100"}, {"Top", "50"}, {"Width", "300"},
                 {"Height", "100"}, {"Visible", "True"}, {"BackGroundColor", "5"}, {"BackGroundAlpha", "80"}},
                more);
}

struct THintCase {
    std::string Caption;
    int32_t Width, Height;
};

class HintSizeTest : public RichTest, public ::testing::WithParamInterface<THintCase> {};

TEST_P(HintSizeTest, BoxFitsTheTextUpToTheWidthWrittenLast)
{
    LoadIn({Obj("TQelHint", HintProps())});
    // A long caption first, so the next one must grow back to the most width.
    Engine.SetObjectProperty("H", "Caption", "abc");
    Engine.SetObjectProperty("H", "Caption", GetParam().Caption);
    auto& h = Get<TQelHint>("H");
    EXPECT_EQ(h.Width(), GetParam().Width);
    EXPECT_EQ(h.Height(), GetParam().Height);
    EXPECT_EQ(h.MaxWidth(), 300);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, HintSizeTest,
    ::testing::Values(THintCase{"abcdefghijkl", 120, 20},
                      THintCase{"abcdefghij abcdefghij abcdefghij abcdefghij", 300, 40},
                      THintCase{"{$FF}abc{/$}", 30, 20}),
    [](const auto& row) { return "Width" + std::to_string(row.param.Width) + "Height" + std::to_string(row.param.Height); });

TEST_F(RichTest, HintDrawsItsBoxUnderTheTextAndMarksItBeforeMoving)
{
    LoadIn({Obj("TQelHint", HintProps({{"Caption", "abcdefghijkl"}}))});
    EXPECT_EQ(DrawOf("H"), (V {"Rect 84 40 236 80 5 80 fill", Text(100, 50, 0, "abcdefghijkl")}));
    Engine.Draw();  // clears the marks
    Engine.SetObjectProperty("H", "Left", "200");
    EXPECT_EQ(Get("H").OldRect, (TRect{84, 40, 236, 80}));
}

struct TShowCase {
    std::string ShowTime;
    bool VisibleAfter;
};

class HintTimeTest : public RichTest, public ::testing::WithParamInterface<TShowCase> {};

TEST_P(HintTimeTest, HidesOnceItsTimeIsOver)
{
    LoadIn({Obj("TQelHint", HintProps({{"Caption", "hint"}, {"ShowTime", GetParam().ShowTime}}))});
    Engine.Tick(T0);
    Engine.Tick(T0 + 999);
    EXPECT_TRUE(Get("H").Visible());
    Engine.Tick(T0 + 1000);
    EXPECT_EQ(Get("H").Visible(), GetParam().VisibleAfter);
    // Shown again, it counts from then.
    Engine.SetObjectProperty("H", "Visible", "True");
    Engine.Tick(T0 + 5000);
    Engine.Tick(T0 + 5999);
    EXPECT_TRUE(Get("H").Visible());
}

INSTANTIATE_TEST_SUITE_P(ShowTime, HintTimeTest,
                         ::testing::Values(TShowCase{"1000", false}, TShowCase{"0", true}),
                         [](const auto& row) { return "ShowTime" + row.param.ShowTime; });

}  // namespace
