// Births of new pieces at the start of the belt: which kind (garment or bonus), which
// piece type and part, the forced pieces of a level, and the level's special piece.
#pragma once

#include <cstdint>
#include <vector>

class TRandom;
class tLevel;

// A weighted random choice: a number in 1..sum, and the first entry whose running sum
// reaches it. -1 (and no number drawn) when no weight is above 0.
int32_t ChooseWeighted(TRandom& random, const std::vector<int32_t>& weights);

// Whether the belt wants a new piece: it is empty, or its newest piece has moved more
// than twice its half length from the start.
bool BirthDue(const tLevel& level);

// Adds one piece at the start of the belt. With type and part -1 the birth rules choose
// them; demo playback passes a recorded piece type index and part. False when no piece
// was added (no belt, no piece type to choose from, or a recorded piece the table does
// not have).
bool AddFishes(tLevel& level, int64_t now, int32_t type = -1, int32_t part = -1);

// Adds a part of the level's special piece type (its last type) that no special piece on
// the belt carries yet.
bool AddFishesSpecial(tLevel& level, int64_t now);
