// The screens the main window owns, built once the engines exist, with the context they
// share; each is linked into the screen table under the modes it serves.
#pragma once

#include "screens/DialogScreen.h"
#include "screens/HighScoreWindows.h"
#include "screens/LoadingScreen.h"
#include "screens/OptionsWindow.h"
#include "screens/ProfileWindows.h"
#include "screens/ScreenContext.h"
#include "screens/TitleScreen.h"
#include "screens/level/BonusLevelScreen.h"
#include "screens/level/LevelScreen.h"
#include "screens/level/PixelLevelScreen.h"

class TScreenSet {
public:
    TScreenSet(const TScreenContext& context, TPlayersFile& players, TScreenTable& table)
        : Context(context),
          Options(Context),
          Dialog(Context),
          Profiles(Context, players),
          Loading(Context, Profiles),
          Title(Context, Options, Profiles),
          HighScores(Context, players, Profiles),
          Level(Context, players, Options),
          Bonus(Context, Level),
          Pixel(Context, Level)
    {
        table.Set(TScreenMode::smSplash, &Loading);
        table.Set(TScreenMode::smTitle, &Title);
        table.Set({TScreenMode::smLevel, TScreenMode::smLevelComplete, TScreenMode::smLevelFailed,
                   TScreenMode::smHintBeforeLevel, TScreenMode::smGameMenu},
                  &Level);
        table.Set(TScreenMode::smBonusLevel, &Bonus);
        table.Set(TScreenMode::smPixelLevel, &Pixel);
        table.Set({TScreenMode::smDialog, TScreenMode::smDialogEnded}, &Dialog);
        Level.SetDialogs(&Dialog);
        Level.SetVariants(&Bonus, &Pixel);
    }

    TScreenContext Context;
    TOptionsWindow Options;
    // Dialogs play over whichever screen starts them; the screens after it may keep it.
    TDialogScreen Dialog;
    TProfileWindows Profiles;
    TLoadingScreen Loading;
    TTitleScreen Title;
    THighScoreWindows HighScores;
    TStandardLevelScreen Level;
    TBonusLevelScreen Bonus;
    TPixelLevelScreen Pixel;
};
