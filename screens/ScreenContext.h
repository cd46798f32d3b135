// What every screen works with: references to the engines, the records and the shell's
// shared state, built once by the main window. No screen sees the main window itself.
#pragma once

#include "foundation/Geometry.h"
#include "screens/GameOptions.h"
#include "screens/Screen.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class IClock;
class TDataSource;
class TGameLog;
class TQelFontEngine;
class TQelInterfaceEngine;
class TQelMethodTable;
class TQelScreenEffectManager;
class TRandom;
class TRedrawGrid;
class TSoundEngine;
class TSurfEngine;
struct TGameParams;
class TGameTables;
struct TPlayer;

// What only the main window can do: the display, the program's life, its files.
class IShellCommands {
public:
    virtual ~IShellCommands() = default;
    // Full screen to window and back, with the pictures and the frame rebuilt.
    virtual void ChangeWindowMode() = 0;
    // Sets the display up again at the depth of the options (the options window's OK).
    virtual void ChangeDepth() = 0;
    // Closes the main window: the options are saved and the program ends.
    virtual void Quit() = 0;
    virtual void SaveOptions() = 0;
    // The part of "MemorySurface" straight onto the screen, outside the frame loop (the
    // loading windows draw this way while the loading holds the loop).
    virtual void CopyMemorySurfaceToScreen(const TRect& rect) = 0;
    // The whole screen is drawn and copied again in the coming frames.
    virtual void MarkWholeScreen() = 0;
};

// Developer traces of what the game does, one line per event; see the program's --trace.
class IScreenTrace {
public:
    virtual ~IScreenTrace() = default;
    virtual void Event(std::string_view kind, std::string_view detail) = 0;
};

// A label of the interface that becomes visible once its time has passed. Kept by name:
// an index would point at another widget once objects before it are deleted.
struct TDelayedLabel {
    std::string Name;
    int64_t Time = 0;
};

// The shell's own state that screens read: the frame clock, the modes, the mouse.
struct TShellState {
    int64_t FrameTime = 0;
    TScreenMode ScreenMode = TScreenMode::smTitle;
    TScreenMode PreviousScreenMode = TScreenMode::smTitle;
    TScreenMode LevelKind = kStandardLevel;
    int32_t MouseX = 0;
    int32_t MouseY = 0;
    // The shell's deadlines: the cursor appears some time after the splash starts, and
    // the whole screen is redrawn until FullRedrawUntil.
    int64_t SplashStartTime = 0;
    int64_t CursorHiddenUntil = 0;
    int64_t FullRedrawUntil = 0;
    // The language code of the interface ("ENU" for English).
    std::string Language = "ENU";
    std::vector<TDelayedLabel> DelayedLabels;
};

struct TScreenContext {
    TSurfEngine& Surfaces;
    TRedrawGrid& Grid;
    TQelFontEngine& Fonts;
    TQelInterfaceEngine& Interface;
    TQelMethodTable& Methods;
    TQelScreenEffectManager& Effects;
    TSoundEngine& Sounds;
    const IClock& Clock;
    TRandom& GameRandom;
    TRandom& CosmeticRandom;
    TGameLog& Log;
    const TDataSource& Data;
    TGameOptions& Options;
    TGameParams& Params;
    TGameTables& Tables;
    // The current player's record; "players.dat" is written through the profile windows.
    TPlayer& Player;
    TShellState& Shell;
    IScreenSwitch& Switch;
    IShellCommands& Commands;
    IScreenTrace& Trace;
    std::filesystem::path ProgramFolder;
    std::filesystem::path UserFolder;
};
