// How long a standard level lasts for this player: the time the player would need to earn
// most of the expert goal at the speed shown in the last won level, stretched for new
// outfits, a new episode, a new game or a won level, capped, and shortened for visits to
// the shop that bought nothing.
#pragma once

#include "gameplay/LevelGame.h"

#include <array>
#include <cstdint>
#include <vector>

// The longest a level may last.
inline constexpr int32_t kMaxLevelTime = 300000;  // ms
// However often the player leaves the shop without buying, this much time stays.
inline constexpr double kMaxDeduction = 0.8;

struct TLevelTimeInput {
    int32_t LevelTime = 0;  // the episode's time of the level, ms
    int32_t ExGoal = 0;
    double SpeedPlay = 0;                // outfits per second in the last won level
    std::vector<int32_t> OutfitValues;   // value + shop bonus of each outfit of the level
    int32_t NewOutfits = 0;              // bought in the shop since the last level
    bool FirstLevelOfEpisode = false;
    bool NoLevelWonYet = false;
    bool PreviousLevelWon = false;
    std::array<int32_t, 3> Kostums{};    // the player's outfit list
    int32_t NoBy = 0;                    // shop visits left without buying
};

// The level's time in ms.
int32_t AdaptiveLevelTime(const TLevelTimeInput& input, const TLevelTimeParams& params);

// The share of the time taken away for shop visits without a purchase (0 to 0.8).
double TimeDeduction(const std::array<int32_t, 3>& kostums, int32_t noBy, const TLevelTimeParams& params);
