// The player windows: the first name prompt "WYourName", a new player, the change-player
// list with its rename and delete questions. Every change of "players.dat" goes through
// the profile file, which never loses a profile.
#pragma once

#include "metagame/PlayersFile.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

#include <cstdint>

class TProfileWindows {
public:
    TProfileWindows(TScreenContext& context, TPlayersFile& players);

    // The start-up's reading of the current profile: the title greets its player, or
    // asks for a name once the title shows when there is none.
    void LoadPlayer();
    // The name prompt is due (the title asks for it a moment after it shows) or open.
    bool NamePromptPending() const { return askNameAt_ > 0; }
    // The title's tick: the prompt opens once its time has come.
    void Tick(int64_t now);
    // Opens the prompt with an empty name now.
    void AskName();

    void WYourName_BOk_MouseUp();
    void WNewPlayer_BOk_MouseUp();
    void WTitle_BChangePlayer_MouseUp();
    void WChangePlayer_GPlayers_MouseDown();
    void WChangePlayer_GPlayers_DblClick();
    void WChangePlayer_BDone_MouseUp();
    void WChangePlayer_BCancel_MouseUp();
    void WChangePlayer_BRename_MouseUp();
    void WRenamePlayer_BOk_MouseUp();
    void WChangePlayer_BDelete_MouseUp();
    void WDelete_BOk_MouseUp();

private:
    void FillPlayersGrid();
    void ShowSelectedRow();
    void Done(bool closeTop);
    void Saved(TProfileResult result);
    std::string EditText(const char* edit) const;
    void CloseTop();

    TScreenContext& c_;
    TPlayersFile& players_;
    TPlayersGrid grid_;
    int32_t fileCurrent_ = -1;  // the row of the file's current profile when the list was filled
    int64_t askNameAt_ = 0;
    TScreenMethods methods_;
};
