// The belt's frame: its speed following its fill, pieces moving, waiting and pushing one
// another, running backwards or standing still under a bonus, rising out of the first
// hatch and sinking into the second.
#pragma once

#include <cstdint>

class tLevel;
struct TLevelFrame;

// One step of the belt, every frame of the level.
void TickFishes(tLevel& level, const TLevelFrame& frame);

// Removes the front piece once it is past the end of the belt.
void CheckLoseLevel(tLevel& level);

// The free room of the first belt (path units): what lies beyond the front piece plus
// the gaps between the pieces.
int32_t BeltFree(const tLevel& level);
// How full the first belt is, in percent (0 for a level without a usable belt).
int32_t BeltFill(const tLevel& level);
// The speed coefficient the belt is heading for at its current fill.
double SpeedTarget(const tLevel& level, int64_t now);

bool ReverseRuns(const tLevel& level, int64_t now);
bool PauseRuns(const tLevel& level, int64_t now);
