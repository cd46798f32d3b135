// A completed outfit and the identical outfits beside it leave the belt together: the
// combo they make, the customer who gets them and what the customer pays.
#pragma once

#include <cstdint>
#include <vector>

class TLevelGame;
class tLevel;

// The sizes of a group that make a combo (a bigger group only plays the plain sound).
inline constexpr int32_t kMaxCombo = 64;

// Serves the group of complete outfits (target, the piece just completed, among them)
// that the drop of source completed.
void ServeGroup(tLevel& level, TLevelGame& game, int32_t source, int32_t target, const std::vector<int32_t>& group,
                int64_t now);
