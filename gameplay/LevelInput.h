// The player's mouse in a standard level: a left click selects a piece and a second one
// drops it on another, clicks use bonuses and money bags, a right click lets go of the
// selection and throws a bonus away, and moving the mouse highlights what a click would
// take. The application's window events and the level simulator's bots call the same
// entry points. Also the window before a level starts.
#pragma once

#include "foundation/Input.h"

#include <cstdint>

class TLevelGame;
class tLevel;

using TLevelMouseButton = TMouseButton;

// A button pressed over the level screen at (x, y).
void LevelMouseDown(tLevel& level, TLevelGame& game, TLevelMouseButton button, int32_t x, int32_t y);
// The mouse moved to (x, y).
void LevelMouseMove(tLevel& level, TLevelGame& game, int32_t x, int32_t y);

void LeftMouseDownInGame(tLevel& level, TLevelGame& game, int32_t x, int32_t y);
void RightMouseDownInGame(tLevel& level, TLevelGame& game, int32_t x, int32_t y);

// The piece whose picture is under the point (not in the hatch, not leaving): among
// overlapping pieces the first whose picture is opaque there. -1 none.
int32_t FindFishAt(const tLevel& level, TLevelGame& game, int32_t x, int32_t y);
// The first of two neighbouring identical pieces whose pictures, widened a little, hold
// the point: a click between two equal pieces aims at the pair. -1 none.
int32_t FindPairAt(const tLevel& level, int32_t x, int32_t y);

// The hover highlight at the mouse position.
void CheckSelect(tLevel& level, TLevelGame& game);

// The window before a standard, pixel or bonus level; the level waits under it.
void BeforeLevelShow(tLevel& level, TLevelGame& game, int64_t now);
// Its play button.
void WBeforeLevel_BPlay_MouseUp(tLevel& level, TLevelGame& game);
