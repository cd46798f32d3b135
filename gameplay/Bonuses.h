// Bonus pieces and money bags used by a click: the belt runs backwards, stands still or
// changes every garment's type, and a bag pays out a coin at a time.
#pragma once

#include <cstdint>

class TLevelGame;
class tLevel;

// Uses the bonus or money bag at index (the plus-one bonus is dropped, never used this
// way). True when something happened.
bool GiveBonus(tLevel& level, TLevelGame& game, int32_t index, int64_t now);

// When the time is up with the goal reached and nobody waiting, every bag still on the
// belt pays out at once. Answers how many bags paid.
int32_t CollectMoneyBags(tLevel& level, TLevelGame& game, int64_t now);
