// One frame of a running level as the level's rules see it: the time, the step since the
// previous frame, what the screen is doing with the level, and which screen it is on.
#pragma once

#include <cstdint>

// The screen the level is on; the application maps it to its screen modes.
enum class TLevelScreen : uint8_t {
    Level,          // the level is played
    Dialog,         // a dialog or a pop-up hint plays over the paused level
    GameMenu,       // a window over the paused level (before the level, the unlock window)
    LevelComplete,  // the end animation and the results
    LevelFailed,
};

// What the level's screen mode means for the level's rules.
enum class TLevelMode : uint8_t {
    Playing,  // the level or its demo runs: belts move, pieces are born
    Dialog,   // a dialog plays over the level: nothing moves and money bags do not age
    Halted,   // any other screen over the level: nothing moves
};

struct TLevelFrame {
    int64_t Now = 0;  // the frame's time on the game clock
    int64_t Dt = 0;   // ms since the previous frame
    TLevelMode Mode = TLevelMode::Playing;
    bool HintsOn = false;  // the player wants pop-up hints
};
