// The high-score windows: the table "WHighScores" opened from the title, its clearing
// question "WClearHighScores", and the name entry "WGameComplete" after the last shop.
// "HighScores.dat" is written only here, through a temporary file.
#pragma once

#include "metagame/HighScores.h"
#include "metagame/WidgetAccess.h"
#include "screens/ProfileWindows.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

class TPlayersFile;

class THighScoreWindows {
public:
    THighScoreWindows(TScreenContext& context, TPlayersFile& players, TProfileWindows& profiles);

    // The game is won: the name entry opens over the current screen with the game's score
    // and an empty name.
    void OpenGameComplete();

    void WTitle_BHighScores_MouseUp();
    void WHighScores_BOk_MouseUp();
    void WHighScores_BViewClassic_MouseUp();
    void WHighScores_BViewStacker_MouseUp();
    void WHighScores_BClear_MouseUp();
    void WClearHighScores_BOk_MouseUp();
    void WGameComplete_BOk_MouseUp();

    const THighScoreList& Table() const { return scores_.List; }

private:
    void FillHighScores();
    void ClearGrid();
    void StartTitleMusic();

    TScreenContext& c_;
    TPlayersFile& players_;
    TProfileWindows& profiles_;
    TEngineWidgetAccess widgets_;
    THighScores scores_;
    TScreenMethods methods_;
};
