// Dialog scripts ("Script_*.xml") read strictly by the dialog player's own reader, then
// what a script reaches outside itself: pictures, animations, effects, sound events,
// music modules and the widgets it changes, makes buttons of or copies captions from.
#include "tools/contentcheck/CheckContext.h"
#include "tools/contentcheck/LoaderChecks.h"

#include "audio/SoundEventTable.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "metagame/DialogScript.h"

#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* kInterfaceFile = "Glimmora.li";
constexpr const char* kSoundsFile = "Sounds.xml";

// Names a hint script gives its balloon: the dialog screen puts them on whichever of the
// four balloons fits beside the piece, so all four must have them.
struct TBalloonAlias {
    const char* Name;
    const char* Suffix;
};
constexpr TBalloonAlias kBalloonAliases[] = {{"WGame_RLPopUpHint", ""}, {"WGame_RLPopUpHint_LText", "_LText"}};
constexpr const char* kBalloons[] = {"WGame_RLPopUpHint_LeftBottom", "WGame_RLPopUpHint_LeftTop",
                                     "WGame_RLPopUpHint_RightBottom", "WGame_RLPopUpHint_RightTop"};

std::string Text(const std::vector<uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// The widget names of the interface file, without building the widgets.
std::set<std::string> WidgetNames(const TDataSource& source)
{
    std::set<std::string> names;
    const auto bytes = source.Read(kInterfaceFile);
    if (!bytes)
        return names;
    TQelParser document;
    document.LoadFromText(Text(*bytes));
    const TQelXMLTag* root = document.GetChildByName("QelInterface");
    if (!root)
        return names;
    for (const auto& o : root->Children)
        for (const auto& p : o->Children)
            if (p->Name == "p" && p->AttributeValue("n") == "Name")
                names.insert(Trim(p->Text));
    return names;
}

std::vector<std::string> WidgetsFor(const std::string& name)
{
    for (const TBalloonAlias& alias : kBalloonAliases)
        if (name == alias.Name) {
            std::vector<std::string> all;
            for (const char* balloon : kBalloons)
                all.push_back(std::string(balloon) + alias.Suffix);
            return all;
        }
    return {name};
}

}  // namespace

bool IsDialogScript(const TCheckedFile& file)
{
    const std::string_view name = file.Name;
    constexpr std::string_view kTail = ".xml";
    return StartsWithNoCase(name, "Script_") && name.size() > kTail.size() &&
           EqualsNoCase(name.substr(name.size() - kTail.size()), kTail);
}

void CheckDialogScript(const TCheckedFile& file, TCheckReport& report)
{
    const TDialogScript script = ReadDialogScript(file.Text(), file.Name, TDialogReadMode::Strict);
    if (!script.Error.empty())
        report.Error(file.Name, script.Error);
    for (const std::string& problem : script.Problems)
        report.Error(file.Name, problem);
    if (script.Lines.empty() && script.Error.empty())
        report.Error(file.Name, "the script has no lines");

    const TDataSource& source = file.Source;
    const std::set<std::string> widgets = WidgetNames(source);
    TSoundEventTable events;
    if (const auto sounds = source.Read(kSoundsFile))
        events.LoadSoundsEventsText(Text(*sounds));

    std::set<std::string> reported;
    auto once = [&](const std::string& message) {
        if (reported.insert(message).second)
            report.Error(file.Name, message);
    };
    auto needWidget = [&](const std::string& name, const char* role) {
        for (const std::string& w : WidgetsFor(name))
            if (!widgets.count(w))
                once(std::string(role) + " \"" + w + "\" is not a widget of " + kInterfaceFile);
    };
    auto needFile = [&](const std::string& name, const char* role) {
        if (!source.Exists(name))
            once(std::string(role) + " \"" + name + "\" is not in the archive");
    };

    for (const TDialogList& line : script.Lines) {
        switch (line.Kind) {
        case TDialogCommand::CreatePicture:
        case TDialogCommand::ChangePicture:
            if (!line.FileName.empty() && !file.Context.LoadPicture(line.FileName))
                once("the picture \"" + line.FileName + "\" is not in the archive or does not load");
            if (!line.AnimeFiles.empty())
                needFile(line.AnimeFiles, "the animation");
            break;
        case TDialogCommand::PlaySound:
            if (events.GetEventSoundName(line.FileName).empty())
                once("the sound event \"" + line.FileName + "\" has no sound in " + kSoundsFile);
            break;
        case TDialogCommand::PlayMusic:
            needFile(line.FileName, "the music module");
            break;
        case TDialogCommand::CreateEffect:
            needFile(line.FileName, "the effect");
            break;
        case TDialogCommand::ChangeInterfaceObject:
            needWidget(line.InterfaceObject, "the widget");
            if (line.Caption && !line.Caption->empty())
                needWidget(*line.Caption, "the caption source");
            break;
        case TDialogCommand::CreateButton:
            needWidget(line.InterfaceObject, "the button");
            break;
        default:
            break;
        }
    }
}
