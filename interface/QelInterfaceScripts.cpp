// Event scripts: cutting a script text into commands, and the pass that runs the queue
// through the table of commands.
#include "interface/QelInterfaceEngine.h"

#include <string_view>

namespace {

using TCommand = void (*)(TQelInterfaceEngine& engine, const TQelXMLTag& command);

struct TCommandRow {
    std::string_view Name;
    TCommand Run;
};

const TCommandRow kCommands[] = {
    {"PlaySound",
     [](TQelInterfaceEngine& e, const TQelXMLTag& c) {
         if (e.Host)
             e.Host->PlaySound(c.AttributeValue("Sound"), 100);
     }},
    {"ShowModal", [](TQelInterfaceEngine& e, const TQelXMLTag& c) { e.ShowModal(c.AttributeValue("Form")); }},
    {"HideModal",
     [](TQelInterfaceEngine& e, const TQelXMLTag& c) {
         if (c.AttributeCount() > 0)
             e.HideModal(c.AttributeValue("Form"));
         else
             e.HideModal();
     }},
    {"HideModalList", [](TQelInterfaceEngine& e, const TQelXMLTag&) { e.HideModalList(); }},
    {"ChangeModal",
     [](TQelInterfaceEngine& e, const TQelXMLTag& c) {
         if (c.AttributeCount() >= 2)
             e.ChangeModal(c.AttributeValue("HideForm"), c.AttributeValue("ShowForm"));
         else
             e.ChangeModal(c.AttributeValue("ShowForm"));
     }},
    {"ExecMethod",
     [](TQelInterfaceEngine& e, const TQelXMLTag& c) {
         if (e.HostForm)
             e.HostForm->Call(c.AttributeValue("Method"), e);
     }},
    {"SetProp",
     [](TQelInterfaceEngine& e, const TQelXMLTag& c) {
         e.SetObjectProperty(c.AttributeValue("Object"), c.AttributeValue("Prop"), c.AttributeValue("Value"));
     }},
};

}  // namespace

void TQelInterfaceEngine::AddScript(const std::string& sender, const std::string& text)
{
    if (text.empty())
        return;
    TQelXMLTag* script = Scripts.AddChild("Script");
    script->AddAttribute("Sender", sender);
    scriptSender_ = sender;
    // A ";" inside double quotes belongs to a value. A command after the last ";" is
    // never ended and so never queued; one that starts with a space gets no name.
    std::string command;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            script->AddTagByString(command);
            command.clear();
            continue;
        }
        command += c;
    }
}

void TQelInterfaceEngine::ClearScripts()
{
    Scripts.ClearChildren();
}

void TQelInterfaceEngine::RunScripts()
{
    // A pass started by a handler of the running pass would run the outer pass's scripts
    // again; the outer pass drops what is queued meanwhile anyway.
    if (runningScripts_)
        return;
    QelGuard("TQelInterfaceEngine.RunScripts", [&] {
        TDispatch dispatch(*this);
        runningScripts_ = true;
        // The pass owns the scripts queued before it; whatever is queued while it runs is
        // dropped at its end, also when a command fails.
        std::vector<std::unique_ptr<TQelXMLTag>> pass;
        pass.swap(Scripts.Children);
        struct TEnd {
            TQelInterfaceEngine& engine;
            ~TEnd()
            {
                engine.Scripts.ClearChildren();
                engine.runningScripts_ = false;
            }
        } end{*this};
        for (const auto& script : pass)
            for (const auto& command : script->Children)
                RunCommand(*command);
    });
}

void TQelInterfaceEngine::RunCommand(const TQelXMLTag& command)
{
    for (const TCommandRow& row : kCommands)
        if (row.Name == command.Name) {
            row.Run(*this, command);
            return;
        }
}
