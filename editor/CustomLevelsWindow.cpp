// The custom-level list: the tree filled from the episode file and its buttons.
#include "editor/CustomLevelsWindow.h"

#include "editor/EditorScreen.h"
#include "editor/PixelEditorScreen.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "gameplay/GameTables.h"
#include "gameplay/LevelSession.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelTree.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "screens/level/LevelScreen.h"

namespace {

const std::string kWindow = "WLoadCustom";
const std::string kTree = "WLoadCustom_Tree";
const std::string kItem = "i"; // the tree's items are all of this name
const std::string kLevelExtension = ".xml";

constexpr TScreenMethod<TCustomLevelsWindow> kMethods[] = {
    { "WLoadCustom_BPlay_MouseUp", &TCustomLevelsWindow::WLoadCustom_BPlay_MouseUp },
    { "WLoadCustom_BEdit_MouseUp", &TCustomLevelsWindow::WLoadCustom_BEdit_MouseUp },
    { "WLoadCustom_BCancel_MouseUp", &TCustomLevelsWindow::WLoadCustom_BCancel_MouseUp },
    { "WLoadCustom_BDemo_MouseUp", &TCustomLevelsWindow::WLoadCustom_BDemo_MouseUp },
};

// Attribute values are written as they are: a quote or an angle bracket would end the
// value or the tag early.
std::string AttributeSafe(const std::string& text)
{
    std::string safe;
    for (char ch : text)
        if (ch != '"' && ch != '<' && ch != '>' && static_cast<unsigned char>(ch) >= ' ')
            safe += ch;
    return safe;
}

std::string WithoutExtension(const std::string& name)
{
    if (name.size() >= kLevelExtension.size()
        && name.compare(name.size() - kLevelExtension.size(), kLevelExtension.size(), kLevelExtension) == 0)
        return name.substr(0, name.size() - kLevelExtension.size());
    return name;
}

} // namespace

std::string CustomLevelsTree(const TEpisods& episods)
{
    std::string text = "<Items>";
    for (const TEpisod& episod : episods.Items) {
        // Shown open: the tree has no pictures to open a branch by, only a double click.
        text += "<i t=\"" + AttributeSafe(episod.Name) + "\" c=\"False\">";
        for (const TLevelInEpisod& level : episod.Levels)
            text += "<i t=\"" + AttributeSafe(WithoutExtension(level.Name)) + "\"/>";
        text += "</i>";
    }
    return text + "</Items>";
}

TCustomLevelsWindow::TCustomLevelsWindow(
    TScreenContext& context, TStandardLevelScreen& day, TEditorScreen& editor, TPixelEditorScreen& pixelEditor)
    : c_(context)
    , day_(day)
    , editor_(editor)
    , pixelEditor_(pixelEditor)
    , methods_(context.Methods, *this, std::span<const TScreenMethod<TCustomLevelsWindow>>(kMethods))
{
}

void TCustomLevelsWindow::Open()
{
    LogAndCarryOn(c_.Log, "Error WTitle_BEdit_MouseUp", [&] {
        if (auto* tree = dynamic_cast<TQelTree*>(c_.Interface.GetObjectByName(kTree)))
            tree->SetText(CustomLevelsTree(c_.Tables.Episods));
        c_.Interface.ShowModal(kWindow);
    });
}

bool TCustomLevelsWindow::StartSelected(const char* handler)
{
    return LogAndCarryOn(&c_.Log, std::string("Error ") + handler, false, [&] {
        auto* tree = dynamic_cast<TQelTree*>(c_.Interface.GetObjectByName(kTree));
        const TQelXMLTag* node = tree ? tree->SelectedNode() : nullptr;
        // Only days stand below an item; the episodes stand below the root.
        if (!node || !node->Parent || node->Parent->Name != kItem)
            return false;
        const std::string fileName = node->AttributeValue("t") + kLevelExtension;
        std::optional<TLevelRef> found = c_.Tables.Episods.FindLevelInEpisod(fileName);
        if (!found) {
            c_.Log.WriteLog(std::string("Error ") + handler + ": no day " + fileName);
            return false;
        }
        c_.Player.CurrentScore = 0;
        c_.Player.CurrentEpisod = found->Episod;
        c_.Player.CurrentLevel = found->Level;
        day_.SetCustomDay(true);
        return day_.StartDeveloperDay(found->Episod, found->Level);
    });
}

void TCustomLevelsWindow::WLoadCustom_BPlay_MouseUp()
{
    StartSelected("WLoadCustom_BPlay_MouseUp");
}

void TCustomLevelsWindow::WLoadCustom_BEdit_MouseUp()
{
    if (!c_.Options.IsDebugMode() || !StartSelected("WLoadCustom_BEdit_MouseUp"))
        return;
    TLevelSession* session = day_.Session();
    if (!session)
        return;
    // Bonus days have nothing to place: they are played.
    if (session->Level().IsPixelLevel())
        pixelEditor_.WGame_TFPixel_BEdit_MouseUp();
    else if (!session->Level().IsBonusLevel())
        editor_.WGame_BEdit_MouseUp();
}

void TCustomLevelsWindow::WLoadCustom_BCancel_MouseUp()
{
    c_.Interface.HideModal();
    c_.Switch.Request(TScreenMode::smTitle);
}

// Demos are recorded from played days, not from this list.
void TCustomLevelsWindow::WLoadCustom_BDemo_MouseUp()
{
}
