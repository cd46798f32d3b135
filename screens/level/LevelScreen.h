// The standard level screen: one shop day played with the mouse, from its loading window
// and the window before it to the results or the missed goal, with the game menu over the
// paused day. It owns the day's session and gives the day the real engines: the windows,
// the pictures and the pictures it makes, the effects, the sounds and the loading window.
// Serves smLevel, smLevelComplete, smLevelFailed, smHintBeforeLevel and smGameMenu.
#pragma once

#include "gameplay/LevelGame.h"
#include "gameplay/LevelPainter.h"
#include "gameplay/LevelServices.h"
#include "gameplay/LevelSession.h"
#include "gameplay/InterfaceLevelWindows.h"
#include "gameplay/ScreenLevelEffects.h"
#include "gameplay/SurfLevelPictures.h"
#include "gameplay/SurfPictureMaker.h"
#include "screens/OptionsWindow.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"
#include "screens/level/DayVariant.h"
#include "screens/level/DayUnderDialog.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class IJourney;
class TDialogScreen;
class TPlayersFile;

// The screen mode that shows the level in that state.
TScreenMode LevelScreenMode(TLevelScreen screen);

class TStandardLevelScreen final : public IScreen,
                                   private ILevelHost,
                                   private ILevelWindows,
                                   private ILevelLoadProgress {
public:
    TStandardLevelScreen(TScreenContext& context, TPlayersFile& players, TOptionsWindow& options);
    ~TStandardLevelScreen() override;

    // Starts a day of the current player (episode and day counted from 0 in the order of
    // the episode list): the loading window, then the window before the day. False (with
    // a log line) when the day cannot be loaded; the title shows then.
    bool StartDay(int32_t episod, int32_t levelIndex);
    // A developer's start straight into a day: the current player, or a new profile named
    // "Tester" when there is none.
    bool StartDeveloperDay(int32_t episod, int32_t levelIndex);
    // Developer runs: the gameplay stream is seeded with this as each day loads, so a day
    // plays alike in every run and alike in the simulator.
    void SeedEachDay(uint32_t seed) { daySeed_ = seed; }
    // The next day started opens with this dialog before its own.
    void IntroduceNextDay(const std::string& script) { introduction_ = script; }
    // A bot plays the days: it reads no pop-up hints and plays by the simulator's rules.
    void SetBotPlays(bool plays) { botPlays_ = plays; }
    // The screen that plays the day's introductions and pop-up hints over it.
    void SetDialogs(TDialogScreen* dialogs) { dialogs_ = dialogs; }
    // Where a finished day leads: the catalogue, the map, the next day.
    void SetJourney(IJourney* journey) { journey_ = journey; }
    // A new game begins: the next day plays its story dialogs as a won day's successor does.
    void NewGame() { flags_.WonOrNewGame = true; }
    // The window lost the focus: a played day pauses under the game menu.
    void Deactivated();

    // The running day; null before the first and after leaving one.
    TLevelSession* Session() { return session_.get(); }
    // The screens of the bonus and pixel days, which play those days for this screen.
    void SetVariants(IDayVariant* bonus, IDayVariant* pixel)
    {
        bonus_ = bonus;
        pixel_ = pixel;
    }
    // The day is over or skipped: the next day of the player's progress, or the title.
    void GoOnToNextDay();
    // A day started from the developers' day list: when it is over the title shows
    // instead of the next day, and the player's progress stays. Cleared at the title.
    void SetCustomDay(bool custom) { customDay_ = custom; }

    // IScreen
    void Tick(int64_t now) override;
    void Draw() override;
    void DrawOverInterface() override;
    void MouseDown(const TQelMouseEvent& event) override;
    void MouseMove(const TQelMouseEvent& event) override;
    bool KeyDown(const TQelKeyEvent& event) override;

    // Debug: days are recorded as demos while this is on, from the day being played (or
    // the next one's start) to its end, and written beside the program.
    void ToggleDemoRecording();
    bool RecordsDemos() const { return recordDemos_; }

    // The instruction pages close over the paused day: the day shows again, under its
    // menu when they were opened from there, else it goes on being played.
    void BackFromInstructions(bool toMenu);
    // The dialog that ended is one of the first shop's introductions, after which its
    // instruction page opens while the player wants the pages.
    bool LeadsToInstructions(const std::string& script) const;

    // The hint window before a day (a map's first visit of an episode opens it).
    void ShowHintBeforeLevel();

    void WBeforeLevel_BPlay_MouseUp();
    void WHintBeforeLevel_BOk_MouseUp();
    void WGame_BMenu_MouseUp();
    void WGame_BContinue_MouseUp();
    void WGameMenu_BResume_MouseUp();
    void WGameMenu_BOptions_MouseUp();
    void WGameMenu_BQuitGame_MouseUp();
    void WGameMenu_BAbortLevel_MouseUp();
    void WGameMenu_BQuit_MouseUp();
    void WAbortLevel_BOk_MouseUp();
    void WExitToMainMenu_BOk_MouseUp();
    void WLevelComplete_BOk_MouseUp();
    void WGameOver_BOk_MouseUp();
    void WUnlockItem_BOK_MouseUp();

private:
    // The day's scene as the day starts, or after something drew over it.
    void MakeDayBackground();

    // ILevelHost
    void EnterScreen(TLevelScreen screen) override;
    TLevelScreen Screen() const override { return screen_; }
    void SavePlayer() override;
    bool StartDialog(const std::string& script, int64_t now) override;
    bool StartHint(const std::string& script, const THintPlacement& placement, int32_t pieceIndex,
                   int32_t customerIndex, int64_t now) override;
    bool StartDialogOverDay(const std::string& script, const std::string& hintWindow, TPoint hintPos);
    void ShowUnlockWindow(int32_t slot) override;
    void StopMusic() override;
    void DeleteScreenEffect(const std::string& name) override;
    void FreezeScene() override;
    int32_t PictureAlpha(const std::string& picture, int32_t x, int32_t y) const override;
    void RedrawAll() override;

    // ILevelWindows: the interface's, except that the loading window makes way for the
    // first window the day shows (it would otherwise close that one with it).
    bool SetObjectProperty(const std::string& objectName, const std::string& propName,
                           const std::string& value) override;
    TQelVariant GetObjectValue(const std::string& objectName, const std::string& propName) const override;
    void ShowModal(const std::string& name) override;
    void HideModal(const std::string& name) override;
    bool IsTopWindow(const std::string& name) const override;

    // ILevelLoadProgress
    void Show() override;
    void SetPercent(int32_t percent) override;
    void CloseLoadWindow();

    TLevelSessionServices Services();
    TLevelOptions DayOptions() const;
    TLevelSceneView SceneView() const;
    void DrawLevelLayers();
    void TraceResult();
    void OpenMenu();
    void Resume();
    // The player goes on after a won day: the next day of the episode, or the map of the
    // next shop, or the end of the game.
    void ContinueGame();
    // Every window and effect closes and the title comes back with its music.
    void BackToTitle();
    void EndDay();
    bool PanelVisible() const;
    // The screen of a bonus or pixel day; null for a standard day.
    IDayVariant* Variant() const;
    // The mode the running day is played in.
    TScreenMode PlayedMode() const;

    TScreenContext& c_;
    TPlayersFile& players_;
    TOptionsWindow& options_;
    TInterfaceLevelWindows windows_;
    TSurfLevelPictures pictures_;
    TScreenLevelEffects effects_;
    TSurfPictureMaker pictureMaker_;
    TLevelPainter painter_;
    // The pictures of the start-up, never released between days.
    std::set<std::string> permanent_;
    // What the game remembers from day to day.
    TSessionFlags flags_;
    std::vector<std::string> previousPictures_;
    std::unique_ptr<TLevelSession> session_;
    TLevelScreen screen_ = TLevelScreen::Level;
    // The scene is frozen under the result windows: the day draws nothing more.
    bool frozen_ = false;
    bool resultTraced_ = false;
    std::optional<uint32_t> daySeed_;
    bool botPlays_ = false;
    bool customDay_ = false;
    std::string introduction_;
    bool recordDemos_ = false;
    IDayVariant* bonus_ = nullptr;
    IDayVariant* pixel_ = nullptr;
    TDialogScreen* dialogs_ = nullptr;
    IJourney* journey_ = nullptr;
    TDayUnderDialog dialogLevel_;
    TScreenMethods methods_;
};
