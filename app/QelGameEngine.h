// The main window: the one object that owns every engine of the game for the life of the
// program. It runs the start-up, one frame per idle call (tick, compose, present), the
// window's input and the shutdown; each screen's own work lives in its IScreen.
#pragma once

#include "app/GameOptions.h"
#include "foundation/Geometry.h"
#include "foundation/Random.h"
#include "gameplay/GameParams.h"
#include "graphics/RedrawGrid.h"
#include "interface/QelMethodTable.h"
#include "metagame/Player.h"
#include "platform/InputEvent.h"
#include "platform/Platform.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TDataSource;
class TGameInterfaceHost;
class TGameFontSource;
class TGameLog;
class TEngineWidgetAccess;
class TGameTables;
class TPlayersFile;
class TQelClassReg;
class TQelFontEngine;
class TQelInterfaceEngine;
class TQelLog;
class IQelEffectSounds;
class TQelScreenEffectManager;
class TSoundEngine;
class TSurfEngine;
class TSurfFontHost;

struct TFrameStats {
    int FrameCounter = 0;    // frames composed since the last sample
    int CurrentFPS = 0;      // frames in the last whole second
    int64_t LastSample = 0;  // time of the last sample
};

class TScreenSet;
class TStandardLevelScreen;

class TQelGameEngine final : public IScreenSwitch, public IShellCommands {
public:
    struct TSetup {
        std::filesystem::path ProgramFolder;
        // The player's own folder; empty when the system has none (the program folder
        // serves then).
        std::filesystem::path UserFolder;
        // Plain data files from here instead of the archive or the option's folder.
        std::optional<std::filesystem::path> DataFolder;
        uint32_t Seed = 1;
        // Where developer traces go; none when null.
        IScreenTrace* Trace = nullptr;
        // A developer's start straight into a day (episode and day from 0) after loading.
        std::optional<std::pair<int32_t, int32_t>> StartDay;
        // A bot plays the days; with a start day or a bot every day plays from Seed.
        bool BotPlays = false;
    };

    // Creates the window: every start-up step, in order. A step that fails shows its
    // error in a message box and skips the rest; without its data the program ends with
    // a failure status.
    TQelGameEngine(const TPlatformServices& platform, TSetup setup);
    // Saves the options and frees every engine in its fixed order.
    ~TQelGameEngine() override;
    TQelGameEngine(const TQelGameEngine&) = delete;
    TQelGameEngine& operator=(const TQelGameEngine&) = delete;

    // ---- The window's life -----------------------------------------------------------

    // The window is shown and has the focus: the first time this sets up the display and
    // runs the loading sequence; later it resumes after a deactivation.
    void FormActivate();
    // The window lost the focus: no frames run, sound pauses.
    void FormDeactivate();
    // The player closes the window: the options are saved and the program ends.
    void FormClose();
    bool IsActive() const { return active_; }
    bool Terminated() const { return terminated_; }
    int ExitCode() const { return exitCode_; }
    // What the application does with an error that reached it: a message box.
    void ShowApplicationError(const std::string& text);

    // ---- Frames ------------------------------------------------------------------------

    // One frame: FrameTime, TickTaimer, the redraw rectangles, DrawMemorySurface, the
    // presentation. Errors are logged and the next frame runs normally.
    void AppIdle();
    void TickTaimer(int64_t now);
    void MakeRedrawRectsFromGrid();
    void DrawMemorySurface();
    // The window must be drawn again whole (it was uncovered or resized).
    void FormPaint();
    // Everything on the screen is drawn and copied again in the coming frames.
    void MarkWholeScreen() override;

    // The composed frame, "MemorySurface", as a PNG file; false (error says why) when
    // there is no frame or the file cannot be written.
    bool SaveMemorySurfacePng(const std::filesystem::path& file, std::string* error) const;

    // ---- Input -------------------------------------------------------------------------

    // Window events and scripted input reach the same handlers.
    void HandleInput(const TInputEvent& event);
    void HandleWindowEvent(TWindowEvent event);
    void FormMouseDown(TMouseButton button, uint32_t shift, int x, int y);
    void FormMouseUp(TMouseButton button, uint32_t shift, int x, int y);
    void FormMouseMove(uint32_t shift, int x, int y);
    void FormMouseWheel(int delta, uint32_t shift, int x, int y);
    void FormKeyDown(int32_t key, uint32_t shift);
    void FormKeyPress(char16_t key);
    // Full screen to window and back (Alt+Enter, the options window).
    void ChangewindowMode();
    // Ctrl+P: the frame as "Shots/ShotNNNN.jpg" of the user folder, numbered after the
    // highest shot there.
    void SaveScreenshot();
    // Ctrl+I in the debug mode: the interface file read again.
    void ReloadInterface();

    // ---- What the screens ask of the window ---------------------------------------------

    void Request(TScreenMode mode) override;
    void ChangeWindowMode() override { ChangewindowMode(); }
    void ChangeDepth() override;
    void Quit() override { FormClose(); }
    void CopyMemorySurfaceToScreen(const TRect& rect) override;

    // ---- Options and logs --------------------------------------------------------------

    // Reads options.cfg of the folder into the options (defaults for what is missing).
    void LoadOptions(const std::filesystem::path& folder);
    void LoadOptions() { LoadOptions(UserFolder); }
    // Writes every option into the user folder's options.cfg, through a temporary file.
    void SaveOptions() override;
    // A line of the game log (stamped), or of a side file of the user folder (as it
    // stands). Never fails towards the caller.
    void WriteLog(const std::string& message, const std::string& fileName = {});

    TScreenTable& Screens() { return screens_; }
    // The standard level screen; null when the start-up did not get as far as the screens.
    TStandardLevelScreen* LevelScreen() const;
    // Every screen, for tests that drive one directly; null before the start-up made them.
    TScreenSet* AllScreens() const { return screenSet_.get(); }
    TPlayersFile* Players() const { return playersFile_.get(); }
    // The interface engine, with the windows of "Glimmora.li"; null before the start-up's
    // interface step.
    TQelInterfaceEngine* Interface() const { return interface_.get(); }
    // The surface engine; every picture and work surface lives there.
    TSurfEngine& SurfEngine() const { return *surfEngine_; }
    TRedrawGrid& RedrawGrid() { return redrawGrid_; }
    // The game data (archive or plain folder); null when it could not be opened.
    TDataSource* Data() const { return data_.get(); }
    // Sound events, the sound list and music changes; null before the start-up's sound step.
    TSoundEngine* Sounds() const { return sounds_.get(); }

    // ---- State the screens share -------------------------------------------------------

    TShellState Shell;
    TFrameStats Stats;
    // The mouse position of the previous frame, whose cursor area is redrawn.
    int32_t PrevMouseX = 0, PrevMouseY = 0;
    TGameOptions Options;
    TGameParams Params;
    TPlayer Player;
    bool SoundAvailable = false;
    bool FpsOverlay = false;   // debug: frames per second and the mouse position
    bool GridOverlay = false;  // debug: the marked cells of the redraw grid
    int64_t ActivatedAt = 0;
    int64_t DeactivatedAt = 0;
    int64_t StartTime = 0;  // the game clock at start-up: the base of the log stamps
    // Gameplay draws come from the first stream, which demos replay; looks (particles,
    // jitter) from the second, so a new sparkle never changes a replay.
    TRandom GameRandom;
    TRandom CosmeticRandom;
    std::filesystem::path ProgramFolder;
    std::filesystem::path UserFolder;

private:
    void StartUp();
    void CreateEngineLog();
    void FindUserFolder();
    void ReadStartOptions();
    void WriteLogHeader();
    void StartAudio();
    void OpenGameData();
    void LoadSoundLists();
    void LoadFontsAndInterface();
    void CreateEffects();
    void CreateScreens();
    void ApplyWindowStyle();
    bool SetUpDisplay();
    void BindSurfEngineToDisplay();
    void CreateMemorySurfaces();
    void RunLoadingSequence();
    void PresentFrame(const char* failure);
    void ShowDelayedLabel(const std::string& name);
    void ApplyScreenRequest();
    void MarkInterfaceChanges();
    void DrawOverlays();
    void MarkCursorAreas();
    void DrawCursor();
    void Terminate(int exitCode);

    const IClock& clock_;
    IQelDisplay* display_;
    IGameWindow* window_;
    IAudioLibrary* audio_;
    IMessageBox* messageBox_;
    IUrlOpener* urlOpener_;
    TSetup setup_;

    // Owned engines, in the order they are made. The fonts, the interface and the effects
    // join this list as they are built.
    std::unique_ptr<TQelLog> engineLog_;
    std::unique_ptr<TSurfEngine> surfEngine_;
    std::unique_ptr<TGameLog> gameLog_;
    std::unique_ptr<TDataSource> data_;
    std::unique_ptr<TSoundEngine> sounds_;
    TRedrawGrid redrawGrid_;
    std::unique_ptr<TQelClassReg> classes_;
    std::unique_ptr<TQelFontEngine> fonts_;
    std::unique_ptr<TSurfFontHost> fontHost_;
    std::unique_ptr<TGameFontSource> fontSource_;
    std::unique_ptr<TGameInterfaceHost> interfaceHost_;
    TQelMethodTable methods_;
    std::unique_ptr<TQelInterfaceEngine> interface_;
    std::unique_ptr<IQelEffectSounds> effectSounds_;
    std::unique_ptr<TQelScreenEffectManager> effects_;
    std::unique_ptr<TGameTables> tables_;
    std::unique_ptr<TEngineWidgetAccess> widgets_;
    std::unique_ptr<TPlayersFile> playersFile_;
    std::vector<std::string> earlyLog_;

    TScreenTable screens_;
    std::unique_ptr<TScreenSet> screenSet_;
    std::optional<TScreenMode> requestedMode_;
    IScreenTrace* trace_;
    bool modeEntered_ = false;
    bool displayReady_ = false;
    bool firstActivationDone_ = false;
    bool active_ = true;
    bool terminated_ = false;
    int exitCode_ = 0;
    std::optional<bool> systemCursorShown_;
};
