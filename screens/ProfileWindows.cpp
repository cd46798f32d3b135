// The player windows' handlers.
#include "screens/ProfileWindows.h"

#include "effects/QelScreenEffects.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "interface/QelForm.h"
#include "interface/QelGrid.h"
#include "interface/QelInterfaceEngine.h"
#include "metagame/Player.h"
#include "metagame/PlayerName.h"
#include "screens/TitleScreen.h"

#include <array>

namespace {

constexpr const char* kNameWindow = "WYourName";
constexpr const char* kNameEdit = "WYourName_EYourName";
constexpr const char* kNewPlayerEdit = "WNewPlayer_ENewPlayer";
constexpr const char* kRenameWindow = "WRenamePlayer";
constexpr const char* kRenameEdit = "WRenamePlayer_EPlayerName";
constexpr const char* kPlayerGrid = "WChangePlayer_GPlayers";
constexpr const char* kNameTakenWindow = "WPlayerExist";
constexpr const char* kDeleteWindow = "WDelete";
constexpr const char* kTitleWindow = "WTitle";
constexpr const char* kPlayersFileName = "players.dat";
// The prompt opens this long after the title shows, so the title is seen first.
constexpr int64_t kAskNameDelayMs = 500;

constexpr std::array<TScreenMethod<TProfileWindows>, 11> kMethods{{
    {"WYourName_BOk_MouseUp", &TProfileWindows::WYourName_BOk_MouseUp},
    {"WNewPlayer_BOk_MouseUp", &TProfileWindows::WNewPlayer_BOk_MouseUp},
    {"WTitle_BChangePlayer_MouseUp", &TProfileWindows::WTitle_BChangePlayer_MouseUp},
    {"WChangePlayer_GPlayers_MouseDown", &TProfileWindows::WChangePlayer_GPlayers_MouseDown},
    {"WChangePlayer_GPlayers_DblClick", &TProfileWindows::WChangePlayer_GPlayers_DblClick},
    {"WChangePlayer_BDone_MouseUp", &TProfileWindows::WChangePlayer_BDone_MouseUp},
    {"WChangePlayer_BCancel_MouseUp", &TProfileWindows::WChangePlayer_BCancel_MouseUp},
    {"WChangePlayer_BRename_MouseUp", &TProfileWindows::WChangePlayer_BRename_MouseUp},
    {"WRenamePlayer_BOk_MouseUp", &TProfileWindows::WRenamePlayer_BOk_MouseUp},
    {"WChangePlayer_BDelete_MouseUp", &TProfileWindows::WChangePlayer_BDelete_MouseUp},
    {"WDelete_BOk_MouseUp", &TProfileWindows::WDelete_BOk_MouseUp},
}};

}  // namespace

TProfileWindows::TProfileWindows(TScreenContext& context, TPlayersFile& players)
    : c_(context),
      players_(players),
      methods_(context.Methods, *this, std::span<const TScreenMethod<TProfileWindows>>(kMethods))
{
}

void TProfileWindows::LoadPlayer()
{
    const TLoadResult result = players_.LoadPlayer(c_.Player);
    if (result == TLoadResult::NoFile || result == TLoadResult::SetAside) {
        c_.Player.NoPlayersFile = true;
        askNameAt_ = -1;  // due once the title shows
    } else if (result == TLoadResult::AskName) {
        askNameAt_ = -1;
    }
}

void TProfileWindows::Tick(int64_t now)
{
    if (askNameAt_ == -1)
        askNameAt_ = now + kAskNameDelayMs;
    if (askNameAt_ > 0 && now >= askNameAt_)
        AskName();
}

void TProfileWindows::AskName()
{
    askNameAt_ = 0;
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    c_.Interface.ShowModal(kNameWindow);
    c_.Interface.SetObjectProperty(kNameEdit, "Caption", "");
}

std::string TProfileWindows::EditText(const char* edit) const
{
    return TypedPlayerName(VariantToString(c_.Interface.GetObjectValue(edit, "Caption")));
}

void TProfileWindows::CloseTop()
{
    c_.Interface.HideModal();
}

void TProfileWindows::Saved(TProfileResult result)
{
    if (result == TProfileResult::Done)
        c_.Trace.Event("save", kPlayersFileName);
    else if (result == TProfileResult::NameTaken)
        c_.Interface.ShowModal(kNameTakenWindow);
}

void TProfileWindows::WYourName_BOk_MouseUp()
{
    const std::string name = EditText(kNameEdit);
    if (name.empty())
        return;
    c_.Player.Name = name;
    ResetPlayerState(c_.Player, false);
    c_.Player.ShowInstructions = true;
    c_.Player.NoPlayersFile = false;
    players_.DrawCat(name);
    Saved(players_.MakeNewPlayersFile(c_.Player));
    CloseTop();
    c_.Commands.MarkWholeScreen();
}

void TProfileWindows::WNewPlayer_BOk_MouseUp()
{
    const std::string name = EditText(kNewPlayerEdit);
    if (name.empty())
        return;
    const TProfileResult added = players_.AddNewPlayer(name);
    Saved(added);
    if (added == TProfileResult::Done) {
        Saved(players_.SelectPlayer(c_.Player, name));
        GoInTitle(c_);
        c_.Player.Name = name;
        ResetPlayerState(c_.Player, false);
        c_.Player.ShowInstructions = true;
        Saved(players_.SavePlayerState(c_.Player, TSaveMode::Full));
        players_.LoadPlayer(c_.Player);
        FillPlayersGrid();
    }
    c_.Commands.MarkWholeScreen();
    c_.Interface.SetObjectProperty(kNewPlayerEdit, "Caption", "");
}

void TProfileWindows::FillPlayersGrid()
{
    grid_ = players_.FillPlayersGrid();
    if (auto* grid = dynamic_cast<TQelGrid*>(c_.Interface.GetObjectByName(kPlayerGrid)))
        grid->ClearRows();
    for (const TPlayerRow& row : grid_.Rows)
        c_.Interface.SetObjectProperty(kPlayerGrid, "AddCells", row.Cell);
    c_.Interface.SetObjectProperty(kPlayerGrid, "Position", IntToStr(grid_.Selected));
    // Focused, the list shows its cursor on the current player and takes the wheel.
    c_.Interface.SetObjectProperty(kPlayerGrid, "Focused", "True");
    fileCurrent_ = grid_.Selected;
}

void TProfileWindows::ShowSelectedRow()
{
    const int64_t selected = VariantToInt(c_.Interface.GetObjectValue(kPlayerGrid, "Position"));
    if (selected < 0 || selected >= static_cast<int64_t>(grid_.Rows.size()))
        return;
    grid_.Selected = static_cast<int32_t>(selected);
    const TPlayerRow& row = grid_.Rows[static_cast<size_t>(selected)];
    c_.Player.Name = row.Name;
    players_.ShowPlayerRow(row);
}

void TProfileWindows::WTitle_BChangePlayer_MouseUp()
{
    if (NamePromptPending())
        return;
    players_.LoadPlayer(c_.Player);
    FillPlayersGrid();
    ShowSelectedRow();
}

void TProfileWindows::WChangePlayer_GPlayers_MouseDown()
{
    ShowSelectedRow();
}

void TProfileWindows::Done(bool closeTop)
{
    if (grid_.Selected >= 0 && grid_.Selected < static_cast<int32_t>(grid_.Rows.size())) {
        Saved(players_.SelectPlayer(c_.Player, grid_.Rows[static_cast<size_t>(grid_.Selected)].Name));
        if (closeTop)
            CloseTop();
    } else {
        c_.Interface.HideModalList();
        c_.Interface.ShowModal(kTitleWindow);
        AskName();
    }
    players_.LoadPlayer(c_.Player);
    c_.Switch.Request(TScreenMode::smTitle);
}

void TProfileWindows::WChangePlayer_GPlayers_DblClick()
{
    Done(true);
}

void TProfileWindows::WChangePlayer_BDone_MouseUp()
{
    Done(false);
}

void TProfileWindows::WChangePlayer_BCancel_MouseUp()
{
    // The profile that was current when the list opened stays current.
    players_.LoadPlayer(c_.Player);
    Saved(players_.SelectPlayer(c_.Player, c_.Player.Name));
    c_.Switch.Request(TScreenMode::smTitle);
}

void TProfileWindows::WChangePlayer_BRename_MouseUp()
{
    c_.Interface.SetObjectProperty(kRenameEdit, "Caption", c_.Player.Name);
    c_.Interface.SetObjectProperty(kRenameEdit, "Focused", "True");
}

void TProfileWindows::WRenamePlayer_BOk_MouseUp()
{
    const std::string name = EditText(kRenameEdit);
    if (name.empty())
        return;
    if (name == c_.Player.Name) {
        CloseTop();
        return;
    }
    // A taken name is refused before anything is written, so the file stays as it was.
    for (const TPlayerRow& row : grid_.Rows)
        if (row.Name == name) {
            c_.Interface.ShowModal(kNameTakenWindow);
            return;
        }
    // The profile renamed is the one chosen in the list (its name is in the edit), which
    // need not be the current profile of the file yet: it becomes current first.
    if (grid_.Selected >= 0 && grid_.Selected < static_cast<int32_t>(grid_.Rows.size()) &&
        grid_.Selected != fileCurrent_) {
        Saved(players_.SelectPlayer(c_.Player, grid_.Rows[static_cast<size_t>(grid_.Selected)].Name));
        fileCurrent_ = grid_.Selected;
    }
    const TProfileResult renamed = players_.RenamePlayer(c_.Player, name);
    Saved(renamed);
    if (renamed == TProfileResult::Done) {
        FillPlayersGrid();
        CloseTop();
    }
}

void TProfileWindows::WChangePlayer_BDelete_MouseUp()
{
    if (grid_.Selected >= 0 && grid_.Selected < static_cast<int32_t>(grid_.Rows.size()))
        c_.Interface.ShowModal(kDeleteWindow);
}

void TProfileWindows::WDelete_BOk_MouseUp()
{
    if (grid_.Selected < 0 || grid_.Selected >= static_cast<int32_t>(grid_.Rows.size()))
        return;
    Saved(players_.DeletePlayer(c_.Player, grid_.Rows[static_cast<size_t>(grid_.Selected)].Name));
    if (!c_.Player.Name.empty()) {
        Saved(players_.SavePlayerState(c_.Player, TSaveMode::Full));
        FillPlayersGrid();
        players_.LoadPlayer(c_.Player);
        CloseTop();
        ShowSelectedRow();
    } else {
        // The last profile went: the game asks for a name as on its first start.
        c_.Commands.MarkWholeScreen();
        c_.Interface.HideModalList();
        c_.Interface.ShowModal(kTitleWindow);
        AskName();
    }
}
