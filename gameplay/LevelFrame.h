// One frame of a running level as the level's rules see it: the time, the step since the
// previous frame and what the screen is doing with the level.
#pragma once

#include <cstdint>

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
