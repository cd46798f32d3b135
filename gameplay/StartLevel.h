// Starting a level: the one entry every screen that starts a level goes through.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class IClock;
class ILevelLoadProgress;
class TDataSource;
class TEpisods;
class tLevel;

// The steps of a level start that belong to the screens and the other parts of the level.
class ILevelStartSteps {
public:
    virtual ~ILevelStartSteps() = default;
    // The level's screen mode becomes current.
    virtual void EnterLevelScreen() = 0;
    // The current player's record is read again from the profile file.
    virtual void ReloadPlayer() = 0;
    virtual void LoadCustomerAnimations(tLevel& level) = 0;
    // Initialises the loaded level (goals, time, belt speed, panels, music).
    virtual void RunLevel(tLevel& level) = 0;
};

struct TLevelStartRequest {
    std::string FileName;
    int32_t Episod = 0;
    std::string Folder;  // custom levels of the editor; empty for the game data
    int32_t LevelIndex = 0;
    std::string Introduction{};  // a dialog played at the start before the level's own
};

struct TLevelStartContext {
    const TDataSource* Data = nullptr;
    const IClock* Clock = nullptr;
    // The episodes give the player's outfits for a standard level (the player comes
    // from the level's links).
    const TEpisods* Episods = nullptr;
    ILevelLoadProgress* Progress = nullptr;
    std::vector<std::string>* PreviousPictures = nullptr;
    std::function<void(tLevel&)> PrepareHeaps;
};

// Enters the level screen, reloads the player, clears every screen effect and the
// level's own, loads the level file with its heaps and the loading screen, and when that
// succeeds loads the customers' animations, runs the level and takes its start time.
// False when the level file could not be loaded.
bool StartLevel(tLevel& level, const TLevelStartRequest& request, const TLevelStartContext& context,
                ILevelStartSteps& steps);
