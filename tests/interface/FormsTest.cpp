// Forms: their rectangles as text, dragging by the head line, the focus order, tab
// pages, renaming, and parent names that loop.
#include "InterfaceTestKit.h"

namespace {

// A focusable widget as edits and grids are: it records the keys it gets.
class TTestFocus : public TQelFocusedObject {
public:
    const char* ClassName() const override { return "TTestFocus"; }
    void KeyDown(uint16_t& key, uint32_t) override { Keys.push_back(key); }
    std::vector<int> Keys;
};

class FormTest : public InterfaceTest {
protected:
    FormTest() { classes_.Register<TTestFocus>("TTestFocus"); }

    std::string Focused(const std::string& form)
    {
        std::string s;
        for (TQelFocusedObject* o : Get<TQelForm>(form).FocusList)
            s += !o ? "_" : o->Focused() ? "F" : ".";
        return s;
    }
};

struct TRectTextCase {
    std::string Text;
    TRect Rect;
};

class RectTextTest : public ::testing::TestWithParam<TRectTextCase> {};

TEST_P(RectTextTest, Read)
{
    TRect r{9, 9, 9, 9};
    TextToRect(GetParam().Text, r);
    EXPECT_EQ(r, GetParam().Rect);
}

INSTANTIATE_TEST_SUITE_P(Forms, RectTextTest,
                         ::testing::Values(TRectTextCase{"0;0;800;40;", {0, 0, 800, 40}},
                                           TRectTextCase{"1;2;3;4;5;", {1, 2, 3, 4}},
                                           TRectTextCase{"1;2;3;4", {1, 2, 3, 9}},  // a last number needs its ";"
                                           TRectTextCase{"-1;2;", {-1, 2, 9, 9}}, TRectTextCase{"", {9, 9, 9, 9}}));

TEST(RectText, WrittenBackAndRefused)
{
    EXPECT_EQ(RectToText({0, -5, 800, 40}), "0;-5;800;40;");
    TRect r;
    EXPECT_THROW(TextToRect("1;a;", r), std::runtime_error);
    EXPECT_THROW(TextToRect(";", r), std::runtime_error);
}

struct TDragCase {
    std::string Title;
    TProps Props;
    TPoint Press, To;
    bool Drags;
    TPoint Where;  // the form's Left and Top afterwards
};

class DragTest : public FormTest, public ::testing::WithParamInterface<TDragCase> {};

TEST_P(DragTest, ByTheHeadLine)
{
    const TDragCase& c = GetParam();
    TProps props = {{"Name", "F"}, {"ParentName", "none"}, {"Left", "100"}, {"Top", "50"}, {"Width", "300"},
                    {"Height", "200"}, {"HeadLine", "0;0;800;40;"}};
    props.insert(props.end(), c.Props.begin(), c.Props.end());
    Load(Doc({Obj("TQelForm", props),
              Obj("TQelLabel", {{"Name", "F_L"}, {"ParentName", "F"}, {"Left", "10"}, {"Top", "60"}})}));
    Engine.ShowModal("F");
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, c.Press.X, c.Press.Y});
    EXPECT_EQ(Get<TQelForm>("F").Dragging(), c.Drags);
    Move(c.To.X, c.To.Y, QelShift::kLeft);
    Engine.MouseUp({TQelMouseButton::Left, 0, c.To.X, c.To.Y});
    EXPECT_FALSE(Get<TQelForm>("F").Dragging());
    EXPECT_EQ(Get("F").Left(), c.Where.X);
    EXPECT_EQ(Get("F").Top(), c.Where.Y);
    // The children move with the form.
    EXPECT_EQ(Get("F_L").AbsLeft - Get("F").AbsLeft, 10);
    EXPECT_EQ(Get("F_L").AbsTop - Get("F").AbsTop, 60);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DragTest,
    ::testing::Values(TDragCase{"BorderIsOutside", {}, {100, 60}, {150, 90}, false, {100, 50}},
                      TDragCase{"Moves", {}, {101, 60}, {151, 90}, true, {150, 80}},
                      TDragCase{"StopsAtTheRightEdge", {}, {101, 60}, {801, 60}, true, {500, 50}},
                      TDragCase{"StopsAtTheTop", {}, {101, 60}, {101, 0}, true, {100, 0}},
                      TDragCase{"ClimbsOut", {{"ClimbOut", "True"}}, {101, 60}, {801, 60}, true, {800, 50}},
                      TDragCase{"CentredMovesOnlyVertically", {{"HAlign", "haCenter"}}, {251, 60}, {400, 100}, true,
                                {250, 90}}),
    [](const auto& row) { return row.param.Title; });

TEST_F(FormTest, MoveWithoutTheButtonDoesNotDrag)
{
    Load(Doc({Obj("TQelForm", {{"Name", "F"}, {"ParentName", "none"}, {"Width", "300"}, {"Height", "200"},
                               {"HeadLine", "0;0;300;40;"}})}));
    Engine.ShowModal("F");
    Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, 10, 10});
    Move(60, 60);
    EXPECT_EQ(Get("F").Left(), 0);
}

TEST_F(FormTest, TabMovesTheFocusAlongTabOrder)
{
    Load(Doc({Obj("TQelForm", {{"Name", "F"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}),
              Obj("TTestFocus", {{"Name", "E2"}, {"ParentName", "F"}, {"TabOrder", "3"}, {"Visible", "True"}}),
              Obj("TTestFocus", {{"Name", "E0"}, {"ParentName", "F"}, {"TabOrder", "0"}, {"Visible", "True"}}),
              Obj("TTestFocus", {{"Name", "E1"}, {"ParentName", "F"}, {"TabOrder", "1"}}),
              Obj("TTestFocus", {{"Name", "Bad"}, {"ParentName", "F"}, {"TabOrder", "-4"}}),
              Obj("TTestFocus", {{"Name", "Far"}, {"ParentName", "F"}, {"TabOrder", "100000"}})}));
    EXPECT_EQ(Focused("F"), ".._.");  // order 3 leaves a gap; broken orders are left out
    Engine.ShowModal("F");
    TQelKeyEvent tab{QelKey::kTab, 0};
    Engine.KeyDown(tab);  // nothing focused: the second entry
    EXPECT_EQ(Focused("F"), ".F_.");
    Engine.KeyDown(tab);
    EXPECT_EQ(Focused("F"), ".._F");  // the gap is passed over
    Engine.KeyDown(tab);
    EXPECT_EQ(Focused("F"), "F._.");
    TQelKeyEvent back{QelKey::kTab, QelShift::kShift};
    Engine.KeyDown(back);
    EXPECT_EQ(Focused("F"), ".._F");
    // Keys go to the focused object only, and only when it is visible.
    TQelKeyEvent x{88, 0};
    Engine.KeyDown(x);
    EXPECT_EQ(Get<TTestFocus>("E2").Keys, (std::vector<int>{88}));
    EXPECT_TRUE(Get<TTestFocus>("E0").Keys.empty());
    // After loading, TabOrder is clamped to the list and moves the object.
    Engine.SetObjectProperty("E2", "TabOrder", "0");
    EXPECT_EQ(Value("E2", "TabOrder"), "0");
    EXPECT_EQ(Get<TQelForm>("F").FocusList[0], &Get<TQelFocusedObject>("E2"));
    Engine.DeleteObject("E0");  // its slot is emptied, not left pointing at it
    Engine.KeyDown(tab);
    Engine.KeyDown(tab);
    EXPECT_EQ(Engine.Objects.size(), 5u);
}

TEST_F(FormTest, ClickFocusesAndUnfocusesTheOther)
{
    Load(Doc({Obj("TQelForm", {{"Name", "F"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}),
              Obj("TTestFocus", {{"Name", "A"}, {"ParentName", "F"}, {"Width", "100"}, {"Height", "20"},
                                 {"TabOrder", "0"}, {"Visible", "True"}, {"Focused", "True"}}),
              Obj("TTestFocus", {{"Name", "B"}, {"ParentName", "F"}, {"Top", "50"}, {"Width", "100"},
                                 {"Height", "20"}, {"TabOrder", "1"}, {"Visible", "True"}})}));
    Engine.ShowModal("F");
    Click(5, 55);
    EXPECT_EQ(Focused("F"), ".F");
    EXPECT_TRUE(Get<TQelFocusedObject>("B").Pressed);
}

TEST_F(FormTest, TabPagesOfOneGroup)
{
    Load(Doc({Obj("TQelForm", {{"Name", "P"}, {"ParentName", "none"}}),
              Obj("TQelTabForm", {{"Name", "A"}, {"ParentName", "P"}, {"TabGroup", "1"}}),
              Obj("TQelTabForm", {{"Name", "B"}, {"ParentName", "P"}, {"TabGroup", "1"}, {"Visible", "True"}}),
              Obj("TQelTabForm", {{"Name", "C"}, {"ParentName", "P"}, {"TabGroup", "2"}, {"Visible", "True"}}),
              Obj("TQelTabForm", {{"Name", "D"}, {"ParentName", "Q"}, {"TabGroup", "1"}, {"Visible", "True"}})}));
    Engine.Draw();
    Engine.SetObjectProperty("A", "Visible", "True");
    EXPECT_EQ(Value("A", "Visible"), "True");
    EXPECT_EQ(Value("B", "Visible"), "False");
    EXPECT_FALSE(Get("B").Invalidated);  // hidden without invalidation
    EXPECT_EQ(Value("C", "Visible"), "True");
    EXPECT_EQ(Value("D", "Visible"), "True");
}

TEST_F(FormTest, RenamingAFormCarriesItsChildren)
{
    Load(Doc({Obj("TQelForm", {{"Name", "F"}, {"ParentName", "none"}}),
              Obj("TQelLabel", {{"Name", "F_L"}, {"ParentName", "F"}})}));
    Engine.SetObjectProperty("F", "Name", "G");
    EXPECT_EQ(Get("F_L").ParentName, "G");
    EXPECT_EQ(Engine.GetObjectByName("F"), nullptr);
}

TEST_F(FormTest, AssignClonesTheChildren)
{
    Load(Doc({Obj("TQelForm", {{"Name", "F"}, {"ParentName", "none"}, {"Width", "300"}}),
              Obj("TQelLabel", {{"Name", "_L"}, {"ParentName", "F"}, {"Left", "7"}, {"Visible", "True"},
                                {"Style", "not copied"}}),
              Obj("TQelForm", {{"Name", "G"}, {"ParentName", "none"}})}));
    Get("G").Assign(Get("F"));
    EXPECT_EQ(Get("G").Width(), 300);
    auto& clone = Get("G_L");
    EXPECT_EQ(clone.ParentObject, &Get("G"));
    EXPECT_EQ(clone.Left(), 7);
    EXPECT_TRUE(clone.Visible());
    EXPECT_EQ(clone.Style, "");
    EXPECT_EQ(Get<TQelForm>("G").Childs.size(), 1u);
}

TEST_F(FormTest, ParentNamesThatLoopMakeNoLoopOfChildren)
{
    Load(Doc({Obj("TQelForm", {{"Name", "A"}, {"ParentName", "B"}, {"Visible", "True"}}),
              Obj("TQelForm", {{"Name", "B"}, {"ParentName", "A"}, {"Visible", "True"}}),
              Obj("TQelForm", {{"Name", "S"}, {"ParentName", "S"}, {"Visible", "True"}, {"Left", "5"}})}));
    EXPECT_TRUE(Get<TQelForm>("S").Childs.empty());
    Engine.ShowModal("A");
    Engine.ShowModal("S");
    Engine.SetObjectProperty("A", "Left", "3");
    Engine.Tick(10000);
    Engine.Draw();
    Click(1, 1);
    Engine.GetChangedRects();
    Engine.GetAllRects();
    Engine.DeleteObject("A");
    Engine.DeleteObject("S");
    EXPECT_TRUE(Engine.ModalList.empty());
}

}  // namespace
