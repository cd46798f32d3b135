// Building outfits on the belt: which pieces may be dropped on which, how their parts
// merge, the group of identical complete outfits a finished one takes along, and serving
// that group to the customer who wants it.
#pragma once

#include "gameplay/FishkaType.h"

#include <cstdint>
#include <string>
#include <vector>

class TLevelGame;
class tLevel;
struct TFish;

// The parts a piece has once a merge waiting for the next frame has applied.
TFishParts EffectiveParts(const TFish& fish);

// The parts of two pieces together: a plus-one bonus adds the lowest part the other piece
// lacks; two garments give every part either has.
TFishParts MergeParts(const tLevel& level, const TFish& a, const TFish& b);

// Whether source may be dropped on target, and if so the parts they make and the effect
// file of that part combination (empty when it has none).
bool CanInsert(const tLevel& level, const TFish& source, const TFish& target, TFishParts* merged = nullptr,
               std::string* effectFile = nullptr);

// Every part of the type is present (pieces of other styles than the garments' are
// always complete).
bool FullMakeFishka(const tLevel& level, int32_t typeIndex, const TFishParts& parts);
bool FullMakeFishka(const tLevel& level, const TFish& fish);

// The run of identical pieces around index (same type, same parts, not in the hatch and
// not leaving already), added to list. The pattern is the first piece of the list, or the
// piece at index. With complete set, a run that ends at the selected piece goes on beyond
// it, since the selected piece leaves the belt.
void FullDress(const tLevel& level, int32_t index, std::vector<int32_t>& list, bool complete);
// The same with the piece at index counted as carrying parts (its parts before the drop
// that has just changed it).
void FullDressAs(const tLevel& level, int32_t index, const TFishParts& parts, std::vector<int32_t>& list,
                 bool complete);

// Drops the selected piece source on target. True when they combined; the caller then
// deletes source. A complete outfit is served with the identical outfits beside it.
bool PutFishInsideFish(tLevel& level, TLevelGame& game, int32_t source, int32_t target, int64_t now);
