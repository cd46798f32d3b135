// Edits and memos: typing under the length, width and character limits, editing keys and
// the selection, the clipboard (with pasted control characters and NULs), mouse
// selection, the blinking cursor, drawing; a name window driven through the engine.
#include "InterfaceTestKit.h"

#include "interface/QelEdit.h"
#include "interface/QelMemo.h"

#include <algorithm>

namespace {

using V = std::vector<std::string>;

constexpr uint16_t kEnd = 35, kHome = 36, kLeft = 37, kRight = 39, kDelete = 46;
constexpr uint32_t kShift = QelShift::kShift;

// A screen-sized form "W" holding an edit "E" at (100, 50), 200 x 30, in the 10-pixel
// font, that takes 10 characters up to 200 pixels and has the focus.
class EditTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        Engine.Clipboard = &Clipboard;
        Font->Missing = {u'#'};
    }
    void LoadEdit(const TProps& more = {})
    {
        TProps props = {{"Name", "E"},           {"ParentName", "W"},        {"Left", "100"},
                        {"Top", "50"},           {"Width", "200"},           {"Height", "30"},
                        {"Visible", "True"},     {"FontName", "QelUnicode"}, {"MaxLength", "10"},
                        {"MaxWidth", "200"},     {"Alpha", "255"},           {"Color", "1"},
                        {"SelectColor", "2"},    {"SelectBackColor", "3"},   {"CursorPicture", "caret.png"}};
        props.insert(props.end(), more.begin(), more.end());
        Load(Doc({Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}),
                  Obj("TQelEdit", props)}));
        Engine.ShowModal("W");
        Edit().SetFocused(true);
    }
    TQelEdit& Edit() { return Get<TQelEdit>("E"); }
    std::string Text() { return Value("E", "Caption"); }
    void Type(std::u16string chars)
    {
        for (char16_t c : chars)
            Engine.KeyPress(c);
    }
    void Key(uint16_t key, uint32_t shift = 0)
    {
        TQelKeyEvent event {key, shift};
        Engine.KeyDown(event);
    }
    // Caption written with the cursor put where the case wants it and no selection.
    void Start(const std::string& text, int32_t cursor)
    {
        Engine.SetObjectProperty("E", "Caption", text);
        Edit().CursorPos = Edit().SelStart = Edit().SelEnd = cursor;
    }
    TMemoryClipboard Clipboard;
};

// ---------------------------------------------------------------------------------------
// Typing

struct TTypeCase {
    std::string Title;
    TProps Props;
    std::string Start;
    int32_t Cursor;
    std::u16string Typed;
    std::string Text;
    int32_t CursorAfter;
};

class EditTypingTest : public EditTest, public ::testing::WithParamInterface<TTypeCase> {};

TEST_P(EditTypingTest, TypedCharactersObeyTheLimits)
{
    const TTypeCase& c = GetParam();
    LoadEdit(c.Props);
    Start(c.Start, c.Cursor);
    Type(c.Typed);
    EXPECT_EQ(Text(), c.Text);
    EXPECT_EQ(Edit().CursorPos, c.CursorAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Edit, EditTypingTest,
    ::testing::Values(
        TTypeCase {"InsertsAtTheCursor", {}, "ac", 2, u"b", "abc", 3},
        TTypeCase {"WidthMustStayBelowMaxWidth", {{"MaxWidth", "40"}}, "abc", 4, u"x", "abc", 4},
        TTypeCase {"OnePixelMoreFits", {{"MaxWidth", "41"}}, "abc", 4, u"x", "abcx", 5},
        TTypeCase {"TextShiftLeftTakesFromTheWidth", {{"MaxWidth", "41"}, {"TextShiftLeft", "1"}}, "abc", 4, u"x",
                   "abc", 4},
        TTypeCase {"StopsAtMaxLength", {{"MaxLength", "4"}}, "ab", 3, u"cdef", "abcd", 5},
        TTypeCase {"AtMaxLengthEvenCtrlAIsIgnored", {{"MaxLength", "3"}}, "abc", 2, u"\x01x", "abc", 2},
        TTypeCase {"MaxLengthZeroTakesNothing", {{"MaxLength", "0"}}, "", 1, u"a\x01\x16", "", 1},
        TTypeCase {"NumbersOnly", {{"InputMode", "imNumbersOnly"}}, "", 1, u"a1-2", "12", 3},
        TTypeCase {"ForbiddenChars", {{"ForbiddenChars", "\"&lt;"}}, "", 1, u"a\"<b", "ab", 3},
        TTypeCase {"NoGlyphNoCharacter", {}, "", 1, u"a#b", "ab", 3},
        TTypeCase {"ControlCharactersAreNotText", {}, "", 1, u"a\x08\x0d\x1b", "a", 2},
        TTypeCase {"PasswordWidthIsMeasured", {{"PasswordChar", "**"}, {"MaxWidth", "61"}}, "ab", 3, u"cd",
                   "abc", 4},
        TTypeCase {"ReadOnlyTakesNothing", {{"ReadOnly", "True"}}, "ab", 3, u"c", "ab", 3}),
    [](const auto& row) { return row.param.Title; });

TEST_F(EditTest, TypingReplacesTheSelection)
{
    LoadEdit();
    Engine.SetObjectProperty("E", "Caption", "abc");
    Edit().SetFocused(true);  // selects everything
    Type(u"z");
    EXPECT_EQ(Text(), "z");
    EXPECT_EQ(Edit().CursorPos, 2);
}

TEST_F(EditTest, UnfocusedEditTakesNothing)
{
    LoadEdit();
    Edit().SetFocused(false);
    Type(u"a");
    TQelKeyEvent event {kHome, 0};
    Engine.KeyDown(event);
    EXPECT_EQ(Text(), "");
}

TEST_F(EditTest, CaptionWriterFilters)
{
    LoadEdit({{"InputMode", "imNumbersOnly"}});
    Engine.SetObjectProperty("E", "Caption", "a1b2");
    EXPECT_EQ(Text(), "12");
    EXPECT_EQ(Edit().CursorPos, 3);
    Engine.SetObjectProperty("E", "InputMode", "imNormal");
    Engine.SetObjectProperty("E", "Text", "x9y");
    EXPECT_EQ(Value("E", "Text"), "x9y");
    Engine.SetObjectProperty("E", "ForbiddenChars", "9");
    EXPECT_EQ(Text(), "xy");
}

// ---------------------------------------------------------------------------------------
// Editing keys and the selection

struct TKeyCase {
    std::string Title;
    std::string Start;
    int32_t Cursor;
    int32_t SelStart;  // the selection before the key; equal to Cursor for none
    uint16_t Key;
    uint32_t Shift;
    std::string Text;
    int32_t CursorAfter, SelStartAfter, SelEndAfter;
};

class EditKeyTest : public EditTest, public ::testing::WithParamInterface<TKeyCase> {};

TEST_P(EditKeyTest, KeyMovesOrDeletes)
{
    const TKeyCase& c = GetParam();
    LoadEdit();
    Start(c.Start, c.Cursor);
    Edit().SelStart = c.SelStart;
    Key(c.Key, c.Shift);
    EXPECT_EQ(Text(), c.Text);
    EXPECT_EQ(Edit().CursorPos, c.CursorAfter);
    EXPECT_EQ(Edit().SelStart, c.SelStartAfter);
    EXPECT_EQ(Edit().SelEnd, c.SelEndAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Edit, EditKeyTest,
    ::testing::Values(TKeyCase {"BackspaceBeforeTheCursor", "abcd", 3, 3, QelKey::kBackspace, 0, "acd", 2, 3, 3},
                      TKeyCase {"BackspaceAtTheStart", "abcd", 1, 1, QelKey::kBackspace, 0, "abcd", 1, 1, 1},
                      TKeyCase {"BackspaceTakesTheSelection", "abcd", 4, 2, QelKey::kBackspace, 0, "ad", 2, 2, 2},
                      TKeyCase {"DeleteAtTheCursor", "abcd", 2, 2, kDelete, 0, "acd", 2, 2, 2},
                      TKeyCase {"DeleteAtTheEnd", "abcd", 5, 5, kDelete, 0, "abcd", 5, 5, 5},
                      TKeyCase {"DeleteTakesTheSelection", "abcd", 1, 3, kDelete, 0, "cd", 1, 1, 1},
                      TKeyCase {"Home", "abcd", 3, 3, kHome, 0, "abcd", 1, 1, 1},
                      TKeyCase {"ShiftHomeSelects", "abcd", 3, 3, kHome, kShift, "abcd", 1, 3, 1},
                      TKeyCase {"End", "abcd", 2, 2, kEnd, 0, "abcd", 5, 5, 5},
                      TKeyCase {"ShiftEndSelects", "abcd", 2, 2, kEnd, kShift, "abcd", 5, 2, 5},
                      TKeyCase {"Left", "abcd", 3, 1, kLeft, 0, "abcd", 2, 2, 2},
                      TKeyCase {"LeftAtTheStart", "abcd", 1, 1, kLeft, 0, "abcd", 1, 1, 1},
                      TKeyCase {"ShiftLeftExtends", "abcd", 3, 3, kLeft, kShift, "abcd", 2, 3, 2},
                      TKeyCase {"RightAtTheEnd", "abcd", 5, 5, kRight, 0, "abcd", 5, 5, 5},
                      TKeyCase {"ShiftRightExtends", "abcd", 2, 2, kRight, kShift, "abcd", 3, 2, 3}),
    [](const auto& row) { return row.param.Title; });

// Backspace leaves the old selection ends behind; a later Shift+Left must not reach past
// the shorter text.
TEST_F(EditTest, SelectionNeverReachesPastAShorterText)
{
    LoadEdit();
    Start("abcd", 5);
    Key(QelKey::kBackspace);
    Key(QelKey::kBackspace);
    Key(kLeft, kShift);
    Type(u"\x18");  // Ctrl+X
    EXPECT_EQ(Text(), "a");
    EXPECT_EQ(Clipboard.Text, "b");
}

TEST_F(EditTest, FocusSelectsEverythingAndLosingItClearsTheSelection)
{
    LoadEdit();
    Engine.SetObjectProperty("E", "Caption", "abc");
    Engine.SetObjectProperty("E", "Focused", "True");
    EXPECT_EQ(Edit().SelStart, 1);
    EXPECT_EQ(Edit().SelEnd, 4);
    Engine.SetObjectProperty("E", "Focused", "False");
    EXPECT_EQ(Edit().SelStart, 0);
    EXPECT_EQ(Edit().SelEnd, 0);
    EXPECT_EQ(Edit().CursorPos, 4);
}

// ---------------------------------------------------------------------------------------
// Clipboard

TEST_F(EditTest, CopyAndCutTakeTheSelectionFromItsLowerEnd)
{
    LoadEdit();
    Start("abcd", 4);
    Key(kLeft, kShift);
    Key(kLeft, kShift);
    Type(u"\x03");  // Ctrl+C
    EXPECT_EQ(Clipboard.Text, "bc");
    EXPECT_EQ(Text(), "abcd");
    Type(u"\x18");  // Ctrl+X
    EXPECT_EQ(Text(), "ad");
    EXPECT_EQ(Edit().CursorPos, 2);
    Clipboard.Text = "kept";
    Type(u"\x03");  // nothing selected: the clipboard keeps its text
    EXPECT_EQ(Clipboard.Text, "kept");
}

TEST_F(EditTest, PasswordEditNeverGivesItsTextAway)
{
    LoadEdit({{"PasswordChar", "*"}});
    Engine.SetObjectProperty("E", "Caption", "abc");
    Edit().SelectAll();
    Clipboard.Text = "kept";
    Type(u"\x03\x18");
    EXPECT_EQ(Clipboard.Text, "kept");
    EXPECT_EQ(Text(), "abc");
}

struct TPasteCase {
    std::string Title;
    TProps Props;
    std::string Start;
    int32_t Cursor;
    std::string Clipboard;
    std::string Text;
    int32_t CursorAfter;
};

class EditPasteTest : public EditTest, public ::testing::WithParamInterface<TPasteCase> {};

TEST_P(EditPasteTest, PasteIsCleanedAndLimited)
{
    const TPasteCase& c = GetParam();
    LoadEdit(c.Props);
    Start(c.Start, c.Cursor);
    Clipboard.Text = c.Clipboard;
    Type(u"\x16");  // Ctrl+V
    EXPECT_EQ(Text(), c.Text);
    EXPECT_EQ(Edit().CursorPos, c.CursorAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Edit, EditPasteTest,
    ::testing::Values(
        TPasteCase {"InsertsAtTheCursor", {}, "ad", 2, "bc", "abcd", 4},
        TPasteCase {"StopsAtTheFirstNul", {}, "", 1, std::string("ab\0cd", 5), "ab", 3},
        TPasteCase {"LineBreaksAndTabsBecomeSpaces", {}, "", 1, "a\r\nb\tc", "a b c", 6},
        TPasteCase {"ControlCharactersAreDropped", {}, "", 1, "a\x01\x1b\nb\x7f", "ab", 3},
        TPasteCase {"FilteredAsTyped", {{"InputMode", "imNumbersOnly"}}, "", 1, "1a2\"3", "123", 4},
        TPasteCase {"ForbiddenAsTyped", {{"ForbiddenChars", "\">"}}, "", 1, "x\"y>z", "xyz", 4},
        TPasteCase {"GlyphlessDropped", {}, "", 1, "a#b", "ab", 3},
        TPasteCase {"CutToMaxLength", {{"MaxLength", "5"}}, "abc", 4, "12345", "abc12", 6},
        TPasteCase {"NothingAtMaxLength", {{"MaxLength", "3"}}, "abc", 4, "x", "abc", 4},
        TPasteCase {"FitsTheRoomExactly", {{"MaxWidth", "60"}}, "ab", 3, "wxyz", "abwxyz", 7},
        TPasteCase {"CutToTheRoom", {{"MaxWidth", "55"}}, "ab", 3, "wxyz", "abwxy", 6},
        TPasteCase {"NoRoomNoPaste", {{"MaxWidth", "25"}}, "ab", 3, "wxyz", "ab", 3},
        TPasteCase {"EmptyClipboard", {}, "ab", 3, "", "ab", 3},
        TPasteCase {"UnicodeKept", {}, "", 1, "\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9", 4}),
    [](const auto& row) { return row.param.Title; });

TEST_F(EditTest, PasteReplacesTheSelection)
{
    LoadEdit();
    Engine.SetObjectProperty("E", "Caption", "old");
    Clipboard.Text = "new";
    Type(u"\x01\x16");  // Ctrl+A, Ctrl+V
    EXPECT_EQ(Text(), "new");
}

// ---------------------------------------------------------------------------------------
// Mouse

TEST_F(EditTest, ClicksPlaceTheCursorAndSelect)
{
    LoadEdit();
    Engine.SetObjectProperty("E", "Caption", "abcd");  // characters at 100..140
    Click(125, 60);
    EXPECT_EQ(Edit().CursorPos, 3);  // before the character under the point
    EXPECT_EQ(Edit().SelStart, 3);
    Click(170, 60);  // right of the text
    EXPECT_EQ(Edit().CursorPos, 5);
    EXPECT_EQ(Edit().SelStart, 5);
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft | kShift, 115, 60});
    EXPECT_EQ(Edit().CursorPos, 2);
    EXPECT_EQ(Edit().SelStart, 1);  // a Shift click selects from the start
    Engine.MouseMove({TQelMouseButton::Left, QelShift::kLeft, 135, 60});
    EXPECT_EQ(Edit().SelEnd, 4);
    Engine.MouseUp({TQelMouseButton::Left, 0, 135, 60});
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft | QelShift::kDouble, 105, 60});
    EXPECT_EQ(Edit().SelStart, 1);
    EXPECT_EQ(Edit().SelEnd, 5);
    Engine.MouseMove({TQelMouseButton::Left, QelShift::kLeft, 105, 60});
    EXPECT_EQ(Edit().SelEnd, 5);  // a double click's selection is not dragged away
}

TEST_F(EditTest, ClickGivesTheFocus)
{
    LoadEdit();
    Edit().SetFocused(false);
    Click(150, 60);
    EXPECT_TRUE(Edit().Focused());
    Type(u"a");
    EXPECT_EQ(Text(), "a");
}

// ---------------------------------------------------------------------------------------
// Cursor and drawing

TEST_F(EditTest, CursorBlinksEveryHalfSecondAndStaysWhilePressed)
{
    LoadEdit();
    Edit().BlinkCursor(0);
    EXPECT_EQ(Edit().CurrentCursor, "caret.png");
    Edit().BlinkCursor(500);
    EXPECT_EQ(Edit().CurrentCursor, "");
    Edit().Pressed = true;
    Edit().BlinkCursor(700);
    EXPECT_EQ(Edit().CurrentCursor, "caret.png");
    Edit().Pressed = false;
    Edit().SetFocused(false);
    Edit().BlinkCursor(1500);
    EXPECT_EQ(Edit().CurrentCursor, "caret.png");  // kept, but no longer drawn
}

TEST_F(EditTest, DrawsSelectionAndCursor)
{
    Host.Pictures["caret.png"] = {4, 20};
    LoadEdit({{"TextShiftLeft", "5"}, {"TextShiftTop", "2"}, {"CursorShiftTop", "1"}});
    Engine.SetObjectProperty("E", "Caption", "abc");
    Edit().SelStart = 2;
    Edit().SelEnd = Edit().CursorPos = 3;
    Edit().BlinkCursor(0);
    Host.Calls.clear();
    Edit().Draw();
    EXPECT_EQ(Host.Calls, (V {"Text 105 52 1 255 'a'", "Rect 115 52 125 72 3 255 fill", "Text 115 52 2 255 'b'",
                              "Text 125 52 1 255 'c'", "Draw caret.png 122 53 255"}));
}

TEST_F(EditTest, ColorEqualToSelectColorPutsEveryCharacterOnTheBackground)
{
    LoadEdit({{"Color", "2"}});
    Engine.SetObjectProperty("E", "Caption", "ab");
    Edit().SetFocused(false);
    Host.Calls.clear();
    Edit().Draw();
    EXPECT_EQ(Host.Calls, (V {"Rect 100 50 110 70 3 255 fill", "Text 100 50 2 255 'a'",
                              "Rect 110 50 120 70 3 255 fill", "Text 110 50 2 255 'b'"}));
}

TEST_F(EditTest, PasswordShowsOneMarkPerCharacter)
{
    Host.Pictures["caret.png"] = {4, 20};
    LoadEdit({{"PasswordChar", "*"}});
    Engine.SetObjectProperty("E", "Caption", "abc");
    Edit().BlinkCursor(0);
    Host.Calls.clear();
    Edit().Draw();
    EXPECT_EQ(Host.Calls, (V {"Text 100 50 1 255 '***'", "Draw caret.png 127 50 255"}));
}

TEST_F(EditTest, UnknownFontTakesNothingAndSaysSo)
{
    LoadEdit({{"FontName", "NoSuchFont"}});
    Type(u"a");
    EXPECT_EQ(Text(), "");
    Host.Calls.clear();
    Edit().Draw();
    EXPECT_TRUE(Host.CallsStarting("Text").empty());
    EXPECT_EQ(std::count_if(Log.begin(), Log.end(),
                            [](const std::string& l) { return l.find("NoSuchFont") != std::string::npos; }),
              1);
    EXPECT_NE(std::find(Log.begin(), Log.end(), "Error TQelEdit [Name:E]: no font named \"NoSuchFont\""), Log.end());
}

// ---------------------------------------------------------------------------------------
// A name window as the game uses it: typed characters, Backspace, Enter on the OK button.

TEST_F(EditTest, NameWindowThroughTheEngine)
{
    Load(Doc({Obj("TQelForm", {{"Name", "WYourName"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}),
              Obj("TQelEdit", {{"Name", "WYourName_EYourName"}, {"ParentName", "WYourName"}, {"Left", "10"},
                               {"Top", "10"}, {"Width", "300"}, {"Height", "30"}, {"Visible", "True"},
                               {"FontName", "QelUnicode"}, {"MaxLength", "16"}, {"MaxWidth", "280"},
                               {"ForbiddenChars", "\"&gt;"}, {"Focused", "True"}}),
              Obj("TQelLabel", {{"Name", "WYourName_BOK"}, {"ParentName", "WYourName"}, {"Visible", "True"},
                                {"OnMouseUpHotKey", "13;"}, {"OnMouseUp", "ExecMethod Method=\"NameOK\";"}})}));
    std::vector<std::string> names;
    Methods.Register("NameOK", [&](TQelInterfaceEngine& e) {
        names.push_back(VariantToString(e.GetObjectValue("WYourName_EYourName", "Text")));
    });
    Engine.ShowModal("WYourName");
    Engine.SetObjectProperty("WYourName_EYourName", "Text", "Player");
    for (char16_t c : std::u16string(u"\x01" u"Ann\"e>x"))
        Engine.KeyPress(c);
    TQelKeyEvent backspace {QelKey::kBackspace, 0};
    Engine.KeyDown(backspace);
    TQelKeyEvent enter {QelKey::kEnter, 0};
    Engine.KeyDown(enter);
    EXPECT_EQ(names, (V {"Anne"}));
    EXPECT_EQ(Value("WYourName_EYourName", "Caption"), "Anne");
}

// ---------------------------------------------------------------------------------------
// Memos

using TLines = std::vector<TMemoString>;

// A memo "M" at (100, 50), 100 high, of the width given, in the 10-pixel font (20 high),
// focused, with the text given and its cursor at the start.
class MemoTest : public InterfaceTest {
protected:
    void LoadMemo(const std::string& text, int width, const TProps& more = {})
    {
        Engine.Clipboard = &Clipboard;
        TProps props = {{"Name", "M"},          {"ParentName", "W"},     {"Left", "100"},
                        {"Top", "50"},          {"Width", std::to_string(width)},
                        {"Height", "100"},      {"Visible", "True"},     {"FontName", "QelUnicode"},
                        {"Alpha", "255"},       {"Color", "1"},          {"SelectColor", "2"},
                        {"SelectBackColor", "3"}, {"CursorPicture", "caret.png"}};
        props.insert(props.end(), more.begin(), more.end());
        Load(Doc({Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}),
                  Obj("TQelMemo", props)}));
        Engine.ShowModal("W");
        Memo().SetFocused(true);
        Memo().SetCaption(Utf8ToUtf16(text));
        Key(kHome, QelShift::kCtrl);
    }
    TQelMemo& Memo() { return Get<TQelMemo>("M"); }
    std::string Text() { return Value("M", "Caption"); }
    void Key(uint16_t key, uint32_t shift = 0)
    {
        TQelKeyEvent event {key, shift};
        Engine.KeyDown(event);
    }
    void Type(std::u16string chars)
    {
        for (char16_t c : chars)
            Engine.KeyPress(c);
    }
    // CursorPosition, line, column, x and y of the cursor.
    std::vector<int32_t> Cursor()
    {
        return {Memo().CursorPosition(), Memo().CursorLine, Memo().CursorColumn, Memo().CursorX, Memo().CursorY};
    }
    TMemoryClipboard Clipboard;
};

struct TWrapCase {
    std::string Title;
    std::string Text;
    int Width;
    TLines Lines;
};

class MemoWrapTest : public MemoTest, public ::testing::WithParamInterface<TWrapCase> {};

TEST_P(MemoWrapTest, LaysTheTextOutInLines)
{
    LoadMemo(GetParam().Text, GetParam().Width);
    EXPECT_EQ(Memo().MemoLines, GetParam().Lines);
    EXPECT_EQ(Text(), GetParam().Text);  // the layout never changes the text
}

INSTANTIATE_TEST_SUITE_P(
    Memo, MemoWrapTest,
    ::testing::Values(TWrapCase {"MarkerBreaks", "ab%.cd", 200, {{u"ab", 0}, {u"cd", 4}}},
                      TWrapCase {"MarkerAtTheEndGivesAnEmptyLine", "ab%.", 200, {{u"ab", 0}, {u"", 4}}},
                      TWrapCase {"OnlyAMarker", "%.", 200, {{u"", 0}, {u"", 2}}},
                      TWrapCase {"PercentAloneIsText", "5% off", 200, {{u"5% off", 0}}},
                      TWrapCase {"WrapsAfterTheSpace", "aaa bbb ccc", 75, {{u"aaa bbb ", 0}, {u"ccc", 8}}},
                      TWrapCase {"CutsAWordLongerThanTheLine", "abcdefghij", 45,
                                 {{u"abcd", 0}, {u"efgh", 4}, {u"ij", 8}}},
                      // Narrower than one character: a character per line, and the layout ends.
                      TWrapCase {"CharacterWiderThanTheMemo", "ab", 5, {{u"a", 0}, {u"b", 1}, {u"", 2}}},
                      TWrapCase {"BreaksOfCodeShowAsSpaces", "a\tb\nc", 200, {{u"a b c", 0}}}),
    [](const auto& row) { return row.param.Title; });

struct TStepCase {
    std::string Title;
    std::string Text;
    int Width;
    std::vector<TQelKeyEvent> Keys;
    std::vector<int32_t> Cursor;  // CursorPosition, line, column, x, y
};

class MemoCursorTest : public MemoTest, public ::testing::WithParamInterface<TStepCase> {};

TEST_P(MemoCursorTest, KeysMoveTheCursorAcrossLines)
{
    LoadMemo(GetParam().Text, GetParam().Width);
    for (TQelKeyEvent key : GetParam().Keys)
        Key(key.Key, key.Shift);
    EXPECT_EQ(Cursor(), GetParam().Cursor);
}

constexpr uint16_t kUp = 38, kDown = 40;
constexpr uint32_t kCtrl = QelShift::kCtrl;

// "aaa bbb ccc" in 75 pixels: "aaa bbb " (0..7) and "ccc" (8..10).
INSTANTIATE_TEST_SUITE_P(
    Memo, MemoCursorTest,
    ::testing::Values(
        TStepCase {"EndOfAWrappedLine", "aaa bbb ccc", 75, {{kEnd, 0}}, {8, 0, 8, 80, 0}},
        TStepCase {"RightOverTheWrapPoint", "aaa bbb ccc", 75, {{kEnd, 0}, {kRight, 0}}, {9, 1, 1, 10, 20}},
        TStepCase {"LeftToTheStartOfTheWrappedLine", "aaa bbb ccc", 75, {{kEnd, 0}, {kRight, 0}, {kLeft, 0}},
                   {8, 1, 0, 0, 20}},
        TStepCase {"LeftOverTheWrapPoint", "aaa bbb ccc", 75, {{kEnd, 0}, {kRight, 0}, {kLeft, 0}, {kLeft, 0}},
                   {7, 0, 7, 70, 0}},
        TStepCase {"DownToTheNearestColumn", "aaa bbb ccc", 75, {{kEnd, 0}, {kLeft, 0}, {kDown, 0}},
                   {11, 1, 3, 30, 20}},
        TStepCase {"UpToTheNearestColumn", "aaa bbb ccc", 75, {{kEnd, kCtrl}, {kUp, 0}}, {3, 0, 3, 30, 0}},
        TStepCase {"HomeOfTheLine", "aaa bbb ccc", 75, {{kEnd, kCtrl}, {kHome, 0}}, {8, 1, 0, 0, 20}},
        TStepCase {"CtrlEnd", "aaa bbb ccc", 75, {{kEnd, kCtrl}}, {11, 1, 3, 30, 20}},
        TStepCase {"RightStopsAtTheEnd", "ab", 200, {{kEnd, kCtrl}, {kRight, 0}}, {2, 0, 2, 20, 0}},
        TStepCase {"LeftStopsAtTheStart", "ab", 200, {{kLeft, 0}}, {0, 0, 0, 0, 0}},
        TStepCase {"LeftOverAMarker", "ab%.cd", 200, {{kEnd, kCtrl}, {kHome, 0}, {kLeft, 0}}, {2, 0, 2, 20, 0}},
        TStepCase {"RightOverAMarker", "ab%.cd", 200, {{kEnd, 0}, {kRight, 0}}, {4, 1, 0, 0, 20}},
        TStepCase {"LeftOntoAnEmptyLine", "ab%.%.cd", 200, {{kEnd, kCtrl}, {kHome, 0}, {kLeft, 0}},
                   {4, 1, 0, 0, 20}},
        TStepCase {"RightOffAnEmptyLine", "ab%.%.cd", 200, {{kDown, 0}, {kRight, 0}}, {6, 2, 0, 0, 40}},
        TStepCase {"DownOntoAnEmptyLine", "ab%.%.cd", 200, {{kEnd, 0}, {kDown, 0}}, {4, 1, 0, 0, 20}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(MemoTest, TypingAdvancesTheCursorAndWraps)
{
    LoadMemo("", 45);
    Type(u"abcde");
    EXPECT_EQ(Text(), "abcde");
    EXPECT_EQ(Cursor(), (std::vector<int32_t> {5, 1, 1, 10, 20}));
    Key(QelKey::kEnter);
    Type(u"f");
    EXPECT_EQ(Text(), "abcde%.f");
    EXPECT_EQ(Memo().MemoLines, (TLines {{u"abcd", 0}, {u"e", 4}, {u"f", 7}}));
    EXPECT_EQ(Value("M", "CursorPosition"), "8");
}

TEST_F(MemoTest, EnterSplitsTheLineAtTheCursor)
{
    LoadMemo("abcd", 200);
    Key(kRight);
    Key(kRight);
    Key(QelKey::kEnter);
    EXPECT_EQ(Text(), "ab%.cd");
    EXPECT_EQ(Cursor(), (std::vector<int32_t> {4, 1, 0, 0, 20}));
    EXPECT_EQ(Memo().SelStart, 5);
}

TEST_F(MemoTest, BackspaceOnTheEmptyLastLineRemovesTheMarker)
{
    LoadMemo("ab%.", 200);
    Key(kEnd, kCtrl);
    EXPECT_EQ(Cursor(), (std::vector<int32_t> {4, 1, 0, 0, 20}));
    Key(QelKey::kBackspace);
    EXPECT_EQ(Text(), "ab");
    EXPECT_EQ(Cursor(), (std::vector<int32_t> {2, 0, 2, 20, 0}));
    Key(QelKey::kBackspace);
    EXPECT_EQ(Text(), "a");
}

TEST_F(MemoTest, DeleteTakesAWholeMarker)
{
    LoadMemo("ab%.cd", 200);
    Key(kEnd);
    Key(kDelete);
    EXPECT_EQ(Text(), "abcd");
    Key(kHome, kCtrl);
    Key(kRight, QelShift::kShift);
    Key(kRight, QelShift::kShift);
    Key(kDelete);
    EXPECT_EQ(Text(), "cd");
}

TEST_F(MemoTest, LineLimitRefusesEnterAndCharactersThatWouldWrap)
{
    LoadMemo("abcd%.efg", 45, {{"MaxLinesCount", "2"}});
    ASSERT_EQ(Memo().MemoLines.size(), 2u);
    Key(kEnd, kCtrl);
    Key(QelKey::kEnter);
    EXPECT_EQ(Text(), "abcd%.efg");
    EXPECT_EQ(Memo().CursorPosition(), 9);
    Type(u"h");  // "efgh" still fits
    Type(u"i");  // would wrap into a third line
    EXPECT_EQ(Text(), "abcd%.efgh");
    EXPECT_EQ(Memo().CursorPosition(), 10);
}

TEST_F(MemoTest, CharacterLimitStopsTypingAndEnter)
{
    LoadMemo("abc", 200, {{"MaxCharsCount", "5"}});
    Key(kEnd, kCtrl);
    Key(QelKey::kEnter);  // a marker must leave room for one more character
    EXPECT_EQ(Text(), "abc");
    Type(u"xyz");
    EXPECT_EQ(Text(), "abcxy");
}

TEST_F(MemoTest, ClipboardKeepsMarkersAndPasteIsCleaned)
{
    LoadMemo("ab%.cd", 200, {{"MaxCharsCount", "20"}, {"MaxLinesCount", "5"}});
    Type(u"\x01\x03");  // Ctrl+A, Ctrl+C
    EXPECT_EQ(Clipboard.Text, "ab%.cd");
    Key(kEnd, kCtrl);
    Clipboard.Text = std::string("x\r\ny\x01z\0tail", 10);
    Type(u"\x16");
    EXPECT_EQ(Text(), "ab%.cdx yz");
    EXPECT_EQ(Memo().CursorPosition(), 10);
    Type(u"\x01\x18");  // Ctrl+A, Ctrl+X
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(Clipboard.Text, "ab%.cdx yz");
}

TEST_F(MemoTest, ClipboardNeedsBothLimits)
{
    LoadMemo("ab", 200);
    Clipboard.Text = "kept";
    Type(u"\x01\x03\x18");
    EXPECT_EQ(Clipboard.Text, "kept");
    EXPECT_EQ(Text(), "ab");
}

TEST_F(MemoTest, UnknownFontTakesNothingAndSaysSoOnce)
{
    LoadMemo("", 200, {{"FontName", "NoSuchFont"}, {"MaxCharsCount", "20"}, {"MaxLinesCount", "5"}});
    Type(u"ab");
    Clipboard.Text = "pasted";
    Type(u"\x16");
    EXPECT_EQ(Text(), "");
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "Error TQelMemo [Name:M]: no font named \"NoSuchFont\""), 1);
}

struct TClickCase {
    std::string Title;
    int X, Y;  // relative to the text's origin
    std::vector<int32_t> Cursor;
};

class MemoClickTest : public MemoTest, public ::testing::WithParamInterface<TClickCase> {};

TEST_P(MemoClickTest, PointPlacesTheCursorAtTheNearestBoundary)
{
    LoadMemo("aaa bbb ccc", 75);
    Memo().PlaceCursorAt(GetParam().X, GetParam().Y);
    EXPECT_EQ(Cursor(), GetParam().Cursor);
}

INSTANTIATE_TEST_SUITE_P(Memo, MemoClickTest,
                         ::testing::Values(TClickCase {"LeftHalfOfTheFirstCharacter", 3, 5, {0, 0, 0, 0, 0}},
                                           TClickCase {"RightHalfOfTheFirstCharacter", 6, 5, {1, 0, 1, 10, 0}},
                                           TClickCase {"NearerTheLeftBoundary", 14, 5, {1, 0, 1, 10, 0}},
                                           TClickCase {"NearerTheRightBoundary", 16, 5, {2, 0, 2, 20, 0}},
                                           TClickCase {"RightOfAWrappedLine", 85, 5, {8, 0, 8, 80, 0}},
                                           TClickCase {"StartOfTheSecondLine", 0, 25, {8, 1, 0, 0, 20}},
                                           TClickCase {"RightOfTheLastLine", 60, 25, {11, 1, 3, 30, 20}},
                                           TClickCase {"BelowTheLinesChangesNothing", 30, 90, {0, 0, 0, 0, 0}}),
                         [](const auto& row) { return row.param.Title; });

TEST_F(MemoTest, ShiftClickAndDragSelect)
{
    LoadMemo("aaa bbb ccc", 75);
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft | kShift, 125, 55});
    EXPECT_EQ(Memo().SelStart, 1);
    EXPECT_EQ(Memo().SelEnd, 4);
    Engine.MouseMove({TQelMouseButton::Left, QelShift::kLeft, 115, 75});
    EXPECT_EQ(Memo().SelEnd, 11);
    Engine.MouseUp({TQelMouseButton::Left, 0, 115, 75});
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft | QelShift::kDouble, 125, 55});
    EXPECT_EQ(Memo().SelEnd, 12);
}

TEST_F(MemoTest, DrawsLinesSelectionAndCursor)
{
    LoadMemo("ab%.cd", 200);
    Key(kDown);
    Key(kRight, QelShift::kShift);  // the selection now ends at "d"
    Memo().SelStart = 2;
    Memo().BlinkCursor(0);
    Host.Calls.clear();
    Memo().Draw();
    EXPECT_EQ(Host.Calls, (V {"Text 100 50 1 255 'a'", "Rect 110 50 120 70 3 255 fill", "Text 110 50 2 255 'b'",
                              "Rect 100 70 110 90 3 255 fill", "Text 100 70 2 255 'c'", "Text 110 70 1 255 'd'",
                              "Draw caret.png 108 70 255"}));
}

TEST_F(MemoTest, MemoThroughTheEngine)
{
    LoadMemo("", 200);
    Engine.SetObjectProperty("M", "Caption", "line%.next");
    EXPECT_EQ(Memo().MemoLines.size(), 2u);
    Engine.SetObjectProperty("M", "Width", "35");  // a new width lays the text out again
    EXPECT_EQ(Memo().MemoLines, (TLines {{u"lin", 0}, {u"e", 3}, {u"nex", 6}, {u"t", 9}}));
    Engine.SetObjectProperty("M", "Caption", "");
    EXPECT_EQ(Value("M", "CursorPosition"), "0");
    Type(u"hi");
    EXPECT_EQ(Text(), "hi");
}

}  // namespace
