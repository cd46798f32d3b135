// The money of a level: the score with its goal floors and the display queue, what an
// outfit is worth, the combo counts and the countdowns that unlock shop upgrades, and the
// achievements a completed level leaves in the player's record.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class TLevelGame;
class tLevel;

// Outfits served are counted per piece type for this many of the level's types.
inline constexpr int kServedTypes = 4;

struct TScoreEntry {
    int64_t ShowAt = 0;
    int32_t Score = 0;
};

struct TLevelScoring {
    int32_t LevelScore = 0;
    std::vector<TScoreEntry> ScoreQueue;  // the score shown on screen follows this
    std::array<int32_t, kServedTypes> LevelServed{};  // by position in the level's piece types
    bool NoLossFlag = true;  // no garment fell into the hatch
    int32_t GreatCount = 0;  // served in groups of 2, 3, 4, 5 or more
    int32_t ExelentCount = 0;
    int32_t IncredibleCount = 0;
    int32_t FantasticCount = 0;
    int32_t BagsCount = 0;  // money bags emptied
    // For the statistics of a run.
    int32_t OutfitsServed = 0;  // outfits that reached a customer who wanted them
    int32_t GarmentsLost = 0;
};

// Changes the level's score and the player's money by amount; the score never falls
// below a goal it has reached. The display follows delay ms later. True when the score
// changed (always true while a demo plays, which changes nothing).
bool AddScore(tLevel& level, TLevelGame& game, int32_t amount, int32_t delay, int64_t now);

// A garment fell into the hatch.
void ChargeLostGarment(tLevel& level, TLevelGame& game, int64_t now);

// What a customer pays for an outfit of a piece type, the shop bonus included.
int32_t OutfitValue(const tLevel& level, TLevelGame& game, int32_t typeIndex);

// A group of n outfits was completed: the level's combo counts and the unlock countdowns.
void CountCombo(tLevel& level, TLevelGame& game, int32_t n, int64_t now);
// A money bag was emptied: the level's count and the bag countdown.
void CountEmptiedBag(tLevel& level, TLevelGame& game, int64_t now);

// Marks the upgrade of an interior slot (1 to 6) unlocked; its window appears 2000 ms later.
void UnlockShopItem(tLevel& level, TLevelGame& game, int32_t slot, int64_t now);

// At a completed level: the player's best counts, the no-loss flag and the best percentage
// above the expert goal.
void UpdateAchievements(tLevel& level, TLevelGame& game, int64_t now);

// Whether the level is a standard level after the first level of its episode: only those
// count towards unlocking upgrades.
bool CountsForUnlocks(const tLevel& level);
