// The screens the main window owns, built once the engines exist, with the context they
// share; each is linked into the screen table under the modes it serves.
#pragma once

#include "editor/CustomLevelsWindow.h"
#include "editor/EditorScreen.h"
#include "editor/PixelEditorScreen.h"
#include "gameplay/Level.h"
#include "gameplay/LevelSession.h"
#include "screens/DialogScreen.h"
#include "screens/HighScoreWindows.h"
#include "screens/InstructionsScreen.h"
#include "screens/Journey.h"
#include "screens/LanguageWindow.h"
#include "screens/LoadingScreen.h"
#include "screens/LogoLinks.h"
#include "screens/MapScreen.h"
#include "screens/OptionsWindow.h"
#include "screens/ProfileWindows.h"
#include "screens/ScreenContext.h"
#include "screens/ShopScreen.h"
#include "screens/TitleScreen.h"
#include "screens/level/BonusLevelScreen.h"
#include "screens/level/DemoScreen.h"
#include "screens/level/LevelScreen.h"
#include "screens/level/PixelLevelScreen.h"

class TScreenSet final : public IJourney {
public:
    TScreenSet(const TScreenContext& context, TPlayersFile& players, TScreenTable& table)
        : Context(context),
          Options(Context),
          Dialog(Context),
          Profiles(Context, players),
          Loading(Context, Profiles),
          Title(Context, Options, Profiles, players),
          HighScores(Context, players, Profiles),
          Level(Context, players, Options),
          Bonus(Context, Level),
          Pixel(Context, Level),
          Map(Context, players, *this),
          Shop(Context, players, *this),
          Editor(Context, Level),
          PixelEditor(Context, Level, Pixel),
          CustomLevels(Context, Level, Editor, PixelEditor),
          Language(Context),
          Logos(Context),
          Demo(Context),
          Instructions(Context, players, Demo, Level)
    {
        table.Set(TScreenMode::smSplash, &Loading);
        table.Set(TScreenMode::smTitle, &Title);
        table.Set({TScreenMode::smLevel, TScreenMode::smLevelComplete, TScreenMode::smLevelFailed,
                   TScreenMode::smHintBeforeLevel, TScreenMode::smGameMenu},
                  &Level);
        table.Set(TScreenMode::smBonusLevel, &Bonus);
        table.Set(TScreenMode::smPixelLevel, &Pixel);
        table.Set({TScreenMode::smDialog, TScreenMode::smDialogEnded}, &Dialog);
        table.Set(TScreenMode::smMap, &Map);
        table.Set({TScreenMode::smDemoLevel, TScreenMode::smDemoBonusLevel, TScreenMode::smDemoPixelLevel}, &Demo);
        table.Set(TScreenMode::smInstructions, &Instructions);
        table.Set(TScreenMode::smShop, &Shop);
        table.Set(TScreenMode::smEditor, &Editor);
        table.Set({TScreenMode::smPixelEditor, TScreenMode::smSelectElements}, &PixelEditor);
        Title.SetCustomLevels([this] { CustomLevels.Open(); });
        Editor.SetQuitTo([this] { CustomLevels.Open(); });
        Level.SetDialogs(&Dialog);
        Level.SetJourney(this);
        Level.SetVariants(&Bonus, &Pixel);
        Title.SetJourney(this);
        Map.SetDialogs(&Dialog);
        Shop.SetDialogs(&Dialog);
        Language.OnLanguageChanged = [this, &players] {
            if (!Context.Player.Name.empty())
                players.DrawCat(Context.Player.Name);
        };
    }

    // IJourney
    void OpenMap(bool full, bool fromFirstDialog) override { Map.OpenMap(full, fromFirstDialog); }
    void OpenShop(bool withDialog) override { Shop.CreateAndShowShop(withDialog); }
    bool StartDay(int32_t episod, int32_t levelIndex) override { return Level.StartDay(episod, levelIndex); }
    void IntroduceNextDay(const std::string& script) override { Level.IntroduceNextDay(script); }
    void OpenInstructionsBeforeDay() override
    {
        TLevelSession* day = Level.Session();
        const TDemoKind kind = !day                           ? TDemoKind::Standard
                               : day->Level().IsBonusLevel() ? TDemoKind::Bonus
                               : day->Level().IsPixelLevel() ? TDemoKind::Pixel
                                                             : TDemoKind::Standard;
        Instructions.OpenBeforeDay(kind);
    }
    void NewGame() override { Level.NewGame(); }
    void OpenGameComplete() override { HighScores.OpenGameComplete(); }

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
    TMapScreen Map;
    TShopScreen Shop;
    TEditorScreen Editor;
    TPixelEditorScreen PixelEditor;
    TCustomLevelsWindow CustomLevels;
    TLanguageWindow Language;
    TLogoLinks Logos;
    // The demos under the instruction pages, and the pages.
    TDemoScreen Demo;
    TInstructionsScreen Instructions;
};
