// The modal list, input routing to the top form, the redraw rectangles, drawing and the
// deletion of shown objects.
#include "InterfaceTestKit.h"

#include <sstream>

namespace {

// Four forms side by side, each with one button that calls "<form>_Up".
std::string FourForms()
{
    std::string text = "<QelInterface>";
    int left = 0;
    for (std::string f : {"A", "B", "C", "D"}) {
        text += Obj("TQelForm", {{"Name", f}, {"ParentName", "none"}, {"Left", std::to_string(left)}, {"Top", "100"},
                                 {"Width", "150"}, {"Height", "100"}});
        text += Obj("TQelLabel", {{"Name", f + "_B"}, {"ParentName", f}, {"Left", "10"}, {"Top", "10"},
                                  {"Width", "100"}, {"Height", "30"}, {"Visible", "True"}, {"OnMouseUpHotKey", "13;"},
                                  {"OnMouseUp", "ExecMethod Method=\"" + f + "_Up\";"}});
        left += 200;
    }
    return text + "</QelInterface>";
}

class ModalTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        Load(FourForms());
        for (std::string f : {"A", "B", "C", "D"})
            Methods.Register(f + "_Up", [this, f](TQelInterfaceEngine& e) { Called.push_back(f + ":" + e.ScriptSenderName()); });
    }
    void ShowList(const std::string& names)
    {
        for (char c : names)
            Engine.ShowModal(std::string(1, c));
    }
    std::string List() const
    {
        std::string s;
        for (const auto& n : ModalNames())
            s += n;
        return s;
    }
    std::vector<std::string> Called;
};

struct TModalCase {
    std::string Title;
    std::string Before;
    std::string Script;
    std::string After;
    bool Message;
};

class ModalCaseTest : public ModalTest, public ::testing::WithParamInterface<TModalCase> {};

TEST_P(ModalCaseTest, ScriptChangesTheList)
{
    const TModalCase& c = GetParam();
    ShowList(c.Before);
    Engine.AddScript("", c.Script);
    Engine.RunScripts();
    EXPECT_EQ(List(), c.After);
    EXPECT_EQ(Boxes.Boxes.size(), c.Message ? 1u : 0u);
    for (std::string f : {"A", "B", "C", "D"})
        EXPECT_EQ(Get(f).Visible(), c.After.find(f) != std::string::npos) << f;
}

INSTANTIATE_TEST_SUITE_P(
    Modal, ModalCaseTest,
    ::testing::Values(TModalCase{"ShowAgainChangesNothing", "ABC", "ShowModal Form=\"A\";", "ABC", false},
                      TModalCase{"ShowUnknown", "AB", "ShowModal Form=\"A_B\";ShowModal Form=\"Z\";", "AB", false},
                      TModalCase{"HideMiddle", "ABC", "HideModal Form=\"B\";", "A", false},
                      TModalCase{"HideNotShown", "ABC", "HideModal Form=\"X\";", "ABC", true},
                      TModalCase{"HideTop", "ABC", "HideModal;", "AB", false},
                      TModalCase{"HideOnEmptyList", "", "HideModal Form=\"A\";", "", false},
                      TModalCase{"HideList", "ABC", "HideModalList;", "", false},
                      TModalCase{"ChangeTop", "ABC", "ChangeModal HideForm=\"C\" ShowForm=\"D\";", "ABD", false},
                      TModalCase{"ChangeBottom", "ABC", "ChangeModal HideForm=\"A\" ShowForm=\"D\";", "D", false},
                      TModalCase{"ChangeTopByShowOnly", "AB", "ChangeModal ShowForm=\"D\";", "AD", false},
                      TModalCase{"ChangeNotShown", "AB", "ChangeModal HideForm=\"X\" ShowForm=\"D\";", "AB", true}),
    [](const auto& row) { return row.param.Title; });

TEST_F(ModalTest, HidingLeavesTheNewTopToRedrawTheHiddenArea)
{
    ShowList("ABC");
    Engine.Draw();
    Engine.HideModal("B");
    EXPECT_EQ(Boxes.Boxes.size(), 0u);
    const auto& a = Get("A");
    EXPECT_TRUE(a.Invalidated);
    EXPECT_EQ(a.OldRect, Get("B").ScreenRect());
    auto rects = Engine.GetChangedRects();
    EXPECT_NE(std::find(rects.begin(), rects.end(), MakeRect(200, 100, 150, 100)), rects.end());
    EXPECT_TRUE(Engine.NeedRedraw);
}

TEST_F(ModalTest, NotPresentMessage)
{
    ShowList("A");
    Engine.HideModal("X");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Exception error in [TQelInterfaceEngine.HideModal] [Name:X] not present in ModalList!");
    Engine.ChangeModal("D");
    EXPECT_EQ(List(), "D");
    EXPECT_EQ(Engine.DirtyRect, (TRect{0, 0, 800, 600}));
}

TEST_F(ModalTest, OnlyTheTopFormGetsInput)
{
    ShowList("AB");
    Click(20, 120);  // A's button, under B in the list
    EXPECT_TRUE(Called.empty());
    Click(220, 120);
    EXPECT_EQ(Called, (std::vector<std::string>{"B:B_B"}));
    TQelKeyEvent enter{QelKey::kEnter, 0};
    Engine.KeyDown(enter);
    EXPECT_EQ(Called.back(), "B:B_B");
    EXPECT_EQ(Called.size(), 2u);
    Engine.HideModal();
    Click(220, 120);
    EXPECT_EQ(Called.size(), 2u);
    Click(20, 120);
    EXPECT_EQ(Called.back(), "A:A_B");
}

TEST_F(ModalTest, InputWithoutFormsRunsNoScripts)
{
    Engine.AddScript("x", "ExecMethod Method=\"A_Up\";");
    Click(20, 120);
    TQelKeyEvent key{QelKey::kEnter, 0};
    Engine.KeyDown(key);
    char16_t ch = u'a';
    Engine.KeyPress(ch);
    EXPECT_FALSE(Engine.MouseWheel({0, 120, 20, 120}));
    EXPECT_TRUE(Called.empty());
    EXPECT_EQ(Engine.Scripts.ChildCount(), 1u);
}

TEST_F(ModalTest, ChangedAndAllRects)
{
    Engine.SetObjectProperty("B", "Visible", "False");
    Engine.Draw();
    EXPECT_TRUE(Engine.GetChangedRects().empty());
    ShowList("A");
    EXPECT_EQ(Engine.GetChangedRects(), (std::vector<TRect>{MakeRect(0, 100, 150, 100), MakeRect(0, 100, 150, 100)}));
    Engine.Draw();
    EXPECT_TRUE(Engine.GetChangedRects().empty());

    Engine.SetObjectProperty("A_B", "Left", "40");  // old and new place of the button, and its form
    EXPECT_EQ(Engine.GetChangedRects(), (std::vector<TRect>{MakeRect(0, 100, 150, 100), MakeRect(0, 100, 150, 100),
                                                            MakeRect(40, 110, 100, 30), MakeRect(10, 110, 100, 30)}));
    Engine.Draw();
    Engine.SetObjectProperty("A_B", "Alpha", "7");  // same place: one rectangle for the button
    EXPECT_EQ(Engine.GetChangedRects().size(), 3u);

    EXPECT_EQ(Engine.GetAllRects(), (std::vector<TRect>{MakeRect(0, 100, 150, 100), MakeRect(40, 110, 100, 30)}));
    Engine.SetObjectProperty("A_B", "Visible", "False");
    EXPECT_EQ(Engine.GetAllRects(), (std::vector<TRect>{MakeRect(0, 100, 150, 100)}));
}

TEST_F(ModalTest, DrawingPassDrawsShownFormsBottomFirst)
{
    Engine.SetObjectProperty("A", "Picture", "a.png");
    Engine.SetObjectProperty("B", "Picture", "b.png");
    Engine.SetObjectProperty("C", "Picture", "c.png");
    Host.Pictures["a.png"] = {150, 100};
    ShowList("BA");
    Host.RecordPostFormDraw = true;
    Host.Calls.clear();
    Engine.Draw();
    EXPECT_EQ(Host.CallsStarting("Draw"), (std::vector<std::string>{"Draw b.png 200 100 255", "Draw a.png 0 100 255"}));
    EXPECT_EQ(Host.CallsStarting("Post"), (std::vector<std::string>{"Post B", "Post A"}));
    EXPECT_EQ(Host.CallsStarting("Bump").size(), 4u);  // forms and their visible buttons, once after a change
    EXPECT_FALSE(Engine.NeedRedraw);
    Host.Calls.clear();
    Engine.Draw();
    EXPECT_TRUE(Host.CallsStarting("Bump").empty());
}

TEST_F(ModalTest, OpaqueRectOfTheFormAboveHidesWhatItCovers)
{
    Load(Doc({Obj("TQelForm", {{"Name", "Top"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"},
                               {"OpaqueRect", "0;0;320;600;"}, {"UseOpaqueRect", "True"}})}));
    Engine.SetObjectProperty("A", "Picture", "a.png");
    Engine.SetObjectProperty("A_B", "Picture", "button.png");
    Engine.SetObjectProperty("B", "Picture", "b.png");
    Engine.SetObjectProperty("B_B", "Picture", "bb.png");
    ShowList("AB");
    Engine.ShowModal("Top");
    Host.Calls.clear();
    Engine.Draw();
    // Only the form right below Top is drawn covered: B reaches beyond the opaque
    // rectangle and is drawn, its button lies inside it and is not.
    EXPECT_EQ(Host.CallsStarting("Draw"), (std::vector<std::string>{"Draw a.png 0 100 255", "Draw button.png 10 110 255",
                                                                    "Draw b.png 200 100 255"}));
    EXPECT_EQ(Engine.OpaqueRects, (std::vector<TRect>{{0, 0, 320, 600}}));
    Engine.HideModal("Top");
    Engine.ChangeModal("B", "Top");
    Host.Calls.clear();
    Engine.Draw();
    EXPECT_TRUE(Host.CallsStarting("Draw").empty());
}

TEST_F(ModalTest, DeletingAShownFormTakesItOutOfTheList)
{
    ShowList("ABC");
    Engine.DeleteObject("B");  // not on top
    EXPECT_EQ(List(), "AC");
    EXPECT_EQ(Engine.GetObjectByName("B_B"), nullptr);
    Engine.DeleteObject("C");  // on top: hidden first
    EXPECT_EQ(List(), "A");
    EXPECT_EQ(Engine.GetObjectByName("C_B"), nullptr);
    Engine.DeleteObject("A_B");  // a child is removed by its form
    EXPECT_TRUE(Get<TQelForm>("A").Childs.empty());
    Engine.DeleteObject("Nobody");
    Engine.Tick(20000);
    Engine.Draw();
    Click(20, 120);
    EXPECT_EQ(Engine.Objects.size(), 3u);
}

TEST_F(ModalTest, TickStartsTheShownTimeOfVisibleForms)
{
    ShowList("AB");
    Engine.Tick(15000);
    Engine.Tick(15100);
    EXPECT_EQ(Get<TQelForm>("A").ShownTime, 15000);
    EXPECT_EQ(Get<TQelForm>("C").ShownTime, 0);
    Engine.HideModal("A");
    EXPECT_EQ(Get<TQelForm>("A").ShownTime, 0);
}

TEST_F(ModalTest, PicturesListOfAllForms)
{
    Engine.SetObjectProperty("A", "Picture", "a.png");
    Engine.SetObjectProperty("A_B", "Picture", "button.png");
    Engine.SetObjectProperty("A_B", "MouseOverPicture", "over.png");
    Engine.SetObjectProperty("B_B", "Picture", "button.png");
    EXPECT_EQ(Engine.GetPicturesList(), (std::vector<std::string>{"a.png", "button.png", "over.png"}));
}

}  // namespace
