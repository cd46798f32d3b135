// Taking pieces off the belt and putting them on it, with the selection kept on the piece
// it names whatever moves around it.
#pragma once

#include <cstdint>

class tLevel;
struct TFish;

// Removes the piece at index (nothing outside the list). The selection follows its piece:
// it moves down with an earlier removal and is cleared with its own piece.
void DeleteFishes(tLevel& level, int32_t index);

// Inserts a piece at index (held within the list); a selection at or beyond it moves up.
void InsertFish(tLevel& level, int32_t index, TFish fish);

// Clears the selection and every piece's Selected flag.
void ClearSelection(tLevel& level);
