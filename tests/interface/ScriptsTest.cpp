// Event scripts: how a text is cut into commands, what each command does, the queue
// during a pass, the game's handlers, and an engine cleared from its own handler.
#include "InterfaceTestKit.h"

namespace {

struct TCutCase {
    std::string Title;
    std::string Text;
    // "Name a=v b=w" per command, in order.
    std::vector<std::string> Commands;
};

std::string Describe(const TQelXMLTag& command)
{
    std::string s = command.Name;
    for (const auto& a : command.Attributes)
        s += " " + a->Name + "=" + a->Value;
    return s;
}

class CutTest : public InterfaceTest, public ::testing::WithParamInterface<TCutCase> {};

TEST_P(CutTest, CommandsQueued)
{
    const TCutCase& c = GetParam();
    Engine.AddScript("Sender", c.Text);
    if (c.Text.empty()) {
        EXPECT_EQ(Engine.Scripts.ChildCount(), 0u);
        return;
    }
    ASSERT_EQ(Engine.Scripts.ChildCount(), 1u);
    const TQelXMLTag& script = *Engine.Scripts.GetChild(0);
    EXPECT_EQ(script.Name, "Script");
    EXPECT_EQ(script.AttributeValue("Sender"), "Sender");
    std::vector<std::string> commands;
    for (const auto& command : script.Children)
        commands.push_back(Describe(*command));
    EXPECT_EQ(commands, c.Commands);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, CutTest,
    ::testing::Values(
        TCutCase{"Empty", "", {}},
        TCutCase{"Two", "PlaySound Sound=\"a.ogg\";ShowModal Form=\"F\";", {"PlaySound Sound=a.ogg", "ShowModal Form=F"}},
        TCutCase{"NoFinalSemicolon", "PlaySound Sound=\"a\";ShowModal Form=\"F\"", {"PlaySound Sound=a"}},
        TCutCase{"SpaceAfterSeparator", "HideModal; ShowModal Form=\"F\";", {"HideModal", " ShowModal Form=F"}},
        TCutCase{"SemicolonInQuotes", "SetProp Object=\"L\" Prop=\"Caption\" Value=\"a;b\";",
                 {"SetProp Object=L Prop=Caption Value=a;b"}},
        TCutCase{"TwoAttributes", "ChangeModal HideForm=\"A\" ShowForm=\"B\";",
                 {"ChangeModal HideForm=A ShowForm=B"}},
        TCutCase{"OnlySeparators", ";;", {"", ""}}),
    [](const auto& row) { return row.param.Title; });

class ScriptRunTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        Load(Doc({Obj("TQelForm", {{"Name", "W"}, {"ParentName", "none"}, {"Width", "800"}, {"Height", "600"}}),
                  Obj("TQelForm", {{"Name", "F"}, {"ParentName", "none"}}),
                  Obj("TQelLabel", {{"Name", "L"}, {"ParentName", "W"}, {"Visible", "True"}, {"Caption", "x"},
                                    {"SoundMouseUp", "click.ogg"}, {"OnMouseUp", "ExecMethod Method=\"L_Up\";"}})}));
        Engine.ShowModal("W");
    }
    void Run(const std::string& text)
    {
        Engine.AddScript("L", text);
        Engine.RunScripts();
    }
};

TEST_F(ScriptRunTest, CommandsAndTheirEffects)
{
    Run("HideModal; ShowModal Form=\"F\";");  // the second command is not recognised
    EXPECT_TRUE(Engine.ModalList.empty());
    Engine.ShowModal("W");
    Run("SetProp Object=\"L\" Prop=\"Caption\" Value=\"a;b\";SetProp Object=\"Nobody\" Prop=\"Caption\" Value=\"c\";");
    EXPECT_EQ(Value("L", "Caption"), "a;b");
    Run("Jump Far=\"1\";ExecMethod Method=\"Nothing\";PlaySound Sound=\"a.ogg\";");
    EXPECT_EQ(Host.CallsStarting("Sound"), (std::vector<std::string>{"Sound a.ogg 100"}));
    EXPECT_EQ(Engine.Scripts.ChildCount(), 0u);
    EXPECT_TRUE(Log.empty());
}

TEST_F(ScriptRunTest, ButtonCallsItsHandlerWithTheSenderAndSound)
{
    std::vector<std::string> senders;
    Methods.Register("L_Up", [&](TQelInterfaceEngine& e) {
        senders.push_back(e.ScriptSenderName());
        EXPECT_EQ(e.ScriptSender(), e.GetObjectByName("L"));
    });
    Click(5, 5);
    EXPECT_EQ(senders, (std::vector<std::string>{"L"}));
    EXPECT_EQ(Host.CallsStarting("Sound"), (std::vector<std::string>{"Sound click.ogg 100"}));
    Methods.Unregister("L_Up");
    Click(5, 5);  // an unknown method does nothing
    EXPECT_EQ(senders.size(), 1u);
}

TEST_F(ScriptRunTest, ScriptsQueuedDuringAPassAreDropped)
{
    int second = 0;
    Methods.Register("First", [&](TQelInterfaceEngine& e) {
        e.AddScript("L", "ExecMethod Method=\"Second\";");
        e.RunScripts();  // a nested pass runs nothing
    });
    Methods.Register("Second", [&](TQelInterfaceEngine&) { ++second; });
    Engine.AddScript("L", "ExecMethod Method=\"First\";");
    Engine.AddScript("L", "ExecMethod Method=\"Second\";");
    Engine.RunScripts();
    EXPECT_EQ(second, 1);  // only the one queued before the pass
    EXPECT_EQ(Engine.Scripts.ChildCount(), 0u);
}

TEST_F(ScriptRunTest, FailingCommandStillEmptiesTheQueue)
{
    Engine.AddScript("L", "SetProp Object=\"L\" Prop=\"Alpha\" Value=\"300\";");
    Engine.AddScript("L", "ShowModal Form=\"F\";");
    EXPECT_THROW(Engine.RunScripts(), TQelException);
    EXPECT_EQ(Log.back(), "Exception error in [TQelInterfaceEngine.RunScripts]");
    EXPECT_EQ(Engine.Scripts.ChildCount(), 0u);
    Run("ShowModal Form=\"F\";");
    EXPECT_EQ(ModalNames(), (std::vector<std::string>{"W", "F"}));
}

TEST_F(ScriptRunTest, ClearAskedForByAHandlerWaitsForThePassToEnd)
{
    std::vector<std::string> shownDuringPass;
    Methods.Register("Reload", [&](TQelInterfaceEngine& e) {
        e.RequestReload();
        e.Clear();
        EXPECT_TRUE(e.Dispatching());
    });
    Methods.Register("After", [&](TQelInterfaceEngine& e) {
        for (const TQelForm* f : e.ModalList)
            shownDuringPass.push_back(f->Name());
    });
    Engine.SetObjectProperty("L", "OnMouseUp",
                             "ExecMethod Method=\"Reload\";ShowModal Form=\"F\";ExecMethod Method=\"After\";");
    Click(5, 5);
    // The rest of the script ran on live objects; the engine was cleared afterwards.
    EXPECT_EQ(shownDuringPass, (std::vector<std::string>{"W", "F"}));
    EXPECT_TRUE(Engine.Objects.empty());
    EXPECT_TRUE(Engine.ModalList.empty());
    EXPECT_TRUE(Engine.ReloadRequested());
    EXPECT_FALSE(Engine.Dispatching());
}

TEST_F(ScriptRunTest, SenderIsKeptByNameAndForgottenWithItsObject)
{
    Engine.AddScript("L", "PlaySound Sound=\"a\";");
    EXPECT_EQ(Engine.ScriptSender(), Engine.GetObjectByName("L"));
    Engine.DeleteObject("L");
    EXPECT_EQ(Engine.ScriptSenderName(), "L");
    EXPECT_EQ(Engine.ScriptSender(), nullptr);
    Engine.AddScript("", "PlaySound Sound=\"a\";");  // links of rich labels queue with no sender
    EXPECT_EQ(Engine.ScriptSender(), nullptr);
}

TEST_F(ScriptRunTest, HandlerMayDeleteTheButtonThatCalledIt)
{
    Methods.Register("L_Up", [](TQelInterfaceEngine& e) { e.DeleteObject(e.ScriptSenderName()); });
    Engine.SetObjectProperty("L", "OnMouseUp", "ExecMethod Method=\"L_Up\";HideModal;");
    Click(5, 5);
    EXPECT_EQ(Engine.GetObjectByName("L"), nullptr);
    EXPECT_TRUE(Engine.ModalList.empty());
    Engine.ShowModal("W");
    Engine.Draw();
    Click(5, 5);
}

}  // namespace
