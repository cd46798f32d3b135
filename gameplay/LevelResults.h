// The end of a level: won (the end animation, then the invoice with its counting lines) or
// failed (the money of the level is taken back), and what the player's record keeps.
#pragma once

#include <cstdint>

class TLevelGame;
class tLevel;

// The level is won: the player's record is updated and saved, the end animation plays and
// the results follow 3500 ms later.
void LevelComplete(tLevel& level, TLevelGame& game, int64_t now);
// The results window with its counting lines (at once on a click during the animation).
void ShowResults(tLevel& level, TLevelGame& game, int64_t now);
void CreateLevelCompleteCaptions(tLevel& level, TLevelGame& game, int64_t now);
// The level is lost.
void LevelFaled(tLevel& level, TLevelGame& game, int64_t now);

// Each frame after the level is won: the results when their time comes, and the counters.
void TickLevelComplete(tLevel& level, TLevelGame& game, int64_t now);
