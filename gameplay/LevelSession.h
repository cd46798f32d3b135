// One day of the shop played from its episode entry: the level object, its rules and the
// game's side of it, wired to the game's tables, the game parameters and the player's
// record that goes on from day to day. The level screen and the level simulator both play
// a day through it. What lies beyond the level (pictures and the pictures it makes, effects,
// sounds, windows, the application's side, the loading screen) comes in as services; any
// may be missing, and a do-nothing stand-in is used instead.
#pragma once

#include "gameplay/BonusBox.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelFrame.h"
#include "gameplay/LevelGame.h"
#include "gameplay/LevelInput.h"
#include "gameplay/LevelRules.h"
#include "gameplay/LevelWindows.h"
#include "gameplay/ManTypes.h"
#include "gameplay/PixelSearch.h"
#include "gameplay/SurfLevelPictures.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class IClock;
class ISoundEvents;
class TDataSource;
class TGameLog;
class TGameTables;
class TSurfEngine;
struct TGameParams;

// Which day: an entry of an episode's level list (bonus and pixel days counted), or a
// custom level's file.
struct TLevelDay {
    int32_t Episod = 0;
    int32_t LevelIndex = 0;
    std::string FileName;  // empty: the episode entry's file
    std::string Folder;    // a custom level's folder; empty: the game data
    bool Demo = false;     // a demo replays on it: its pieces come from the demo only
    std::string Introduction{};  // a dialog played at the start before the level's own
};

struct TLevelSessionServices {
    const TDataSource* Data = nullptr;  // the level files and customer animations
    const IClock* Clock = nullptr;      // the day is played on this clock
    TGameLog* Log = nullptr;
    TRandom* Gameplay = nullptr;  // the stream demos replay
    TRandom* Cosmetic = nullptr;  // jitter of the result counters
    ILevelPictures* Pictures = nullptr;
    ILevelPictureMaker* PictureMaker = nullptr;
    ILevelEffects* Effects = nullptr;
    ISoundEvents* Sounds = nullptr;
    ILevelWindows* Windows = nullptr;
    ILevelHost* Host = nullptr;
    ILevelLoadProgress* Progress = nullptr;
    // Reads a customer animation file and loads its frame pictures.
    TAnimeLoader AnimeLoader;
    // Reads the current player's record again from the profile file as the day starts.
    std::function<void()> ReloadPlayerRecord;
    // The pictures the previous day loaded: those this day does not use are released.
    std::vector<std::string>* PreviousPictures = nullptr;
    // Prepares the heap pictures of pixel levels.
    std::function<void(tLevel&)> PrepareHeaps;
};

// How the day went so far.
struct TLevelResult {
    TLevelPhase Phase = TLevelPhase::Loaded;
    int32_t Score = 0;
    int32_t Goal = 0;
    int32_t ExGoal = 0;
    int32_t Served = 0;  // outfits that reached a customer who wanted them
    int32_t Lost = 0;    // garments that fell into the hatch
    std::array<int32_t, 4> Combos{};  // groups of 2, 3, 4, 5 or more served at once
    int32_t Bags = 0;                  // money bags emptied
};

class TLevelSession {
public:
    // The player's record and the flags the game keeps between days are changed in place
    // as the day is played; tables, parameters and services must outlive the session.
    TLevelSession(const TGameTables& tables, const TGameParams& params, TPlayer& player, TSessionFlags& flags,
                  TLevelDay day, TLevelSessionServices services, TLevelOptions options = {});
    ~TLevelSession();
    TLevelSession(const TLevelSession&) = delete;
    TLevelSession& operator=(const TLevelSession&) = delete;

    // Starts the day: places the player's record on it, reads the level file with the
    // loading screen, loads the customers' animations and sets the level up to run, under
    // the window before the level when it shows one. False (with a log line) when the
    // day has no level file or it cannot be read.
    bool Load();
    // The window before the level is closed with its play button: the day's clock runs.
    void Start();

    // One frame at the clock's time: the day's game timer while it is played, the results
    // once it is won. mode says what the screen does with the level.
    void Tick(TLevelMode mode = TLevelMode::Playing);

    // The mouse over the level screen. A click during the end animation shows the results.
    void MouseMove(int32_t x, int32_t y);
    void MouseDown(TLevelMouseButton button, int32_t x, int32_t y);
    void MouseUp(TLevelMouseButton button, int32_t x, int32_t y);

    // A window or dialog over the level; resuming loses none of the day's time.
    void Pause();
    void Resume();
    // The dialog the day paused for has ended: the day goes on from where it stood.
    void EndDialog();
    bool Paused() const { return level_.Play.Flow.Paused; }
    // The pixel day's penalty note is closed: the day goes on.
    void WPenalty_BOk_MouseUp();

    TLevelPhase Phase() const { return level_.Play.Flow.Phase; }
    TLevelResult Result() const;
    const TLevelDay& Day() const { return day_; }

    // The level and the game's side of it, for drawing and for players that look at the
    // belt (the simulator's bots).
    tLevel& Level() { return level_; }
    const tLevel& Level() const { return level_; }
    TLevelGame& Game() { return game_; }
    const TLevelGame& Game() const { return game_; }
    int64_t Now() const { return game_.Now(); }

    // The bonus day's box and the pixel day's search (empty on other days).
    TBonusBox& Box() { return box_; }
    const TBonusBox& Box() const { return box_; }
    TPixelSearch& Pixel() { return pixel_; }
    const TPixelSearch& Pixel() const { return pixel_; }

private:
    static TLevelLinks LinksFor(const TGameTables& tables, TPlayer& player, const TLevelSessionServices& services,
                                TLevelRules& rules);
    void PlaceOnDay();

    const TGameTables& tables_;
    TPlayer& player_;
    TSessionFlags& flags_;
    TLevelDay day_;
    TLevelSessionServices services_;
    // The customer types with this day's animations loaded into them.
    TManTypeTable mans_;
    TLevelGame game_;
    TLevelRules rules_;
    tLevel level_;
    TBonusBox box_;
    TPixelSearch pixel_;
    bool awaitingStart_ = false;  // the window before the level holds the day
    int64_t lastTick_ = 0;
};

// The set-up of a day played with no level screen around it: the tool's simulator and
// replays, and the demos under the instruction pages. Its windows live in memory with
// "WGame" open, so the day takes its input whatever the interface shows (the box and the
// search listen only under the game's own window); pieces are found by their pictures'
// alpha in the given surfaces; pictures and customer animations come from the data.
class THeadlessDay {
public:
    THeadlessDay(const TDataSource& data, TSurfEngine& surfaces, const IClock& clock, TGameLog& log,
                 TRandom& gameplay, TRandom& cosmetic);
    THeadlessDay(const THeadlessDay&) = delete;
    THeadlessDay& operator=(const THeadlessDay&) = delete;

    // The services of a day; pictures and maker replace the data's pictures and the
    // stand-in that makes none.
    TLevelSessionServices Services(ILevelPictures* pictures = nullptr, ILevelPictureMaker* maker = nullptr);
    TMemoryLevelWindows& Windows() { return windows_; }
    // The pixel day's penalty note is read and closed at once; true when it was open.
    bool ClosePenaltyNote(TLevelSession& day);

private:
    class THost final : public TNoLevelHost {
    public:
        explicit THost(TSurfEngine& surfaces) : surfaces_(surfaces) {}
        int32_t PictureAlpha(const std::string& picture, int32_t x, int32_t y) const override;

    private:
        TSurfEngine& surfaces_;
    };

    const TDataSource& data_;
    TSurfEngine& surfaces_;
    const IClock& clock_;
    TGameLog& log_;
    TRandom& gameplay_;
    TRandom& cosmetic_;
    TSurfLevelPictures pictures_;
    THost host_;
    TMemoryLevelWindows windows_;
};
