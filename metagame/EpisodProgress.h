// The player's way through the episodes: the values worked out when a profile loads, the
// outfits a level is played with, and the step to the next level or episode.
#pragma once

#include <cstdint>
#include <vector>

class TEpisods;
class TShop;
struct TEpisod;
struct TPlayer;

// After a profile has been read: progress indices kept inside the episodes and levels that
// exist (only once episodes are loaded), MaxKostum, the six piece types of the wear page,
// and the unlock countdowns of the current episode's upgrades.
void RefreshPlayerDerived(TPlayer& player, const TEpisods& episods, const TShop& shop);

// The piece types a standard level is played with: for each wear column whose stage is at
// least the stage bought last (Cur), the episode's piece type of that column and stage.
std::vector<int32_t> LevelOutfitTypes(const TPlayer& player, const TEpisod* episod);
// How many customers may stand in the shop at once: the columns counted above.
int32_t AllowedCustomers(const TPlayer& player);
// The columns with any stage at all.
int32_t OwnedOutfitCount(const TPlayer& player);

enum class TProgress {
    NextLevel,     // the next level of the same episode starts at once
    NextEpisode,   // the map opens on the new episode
    GameComplete,  // no episode is left: the map shows the game-complete window
};

// A won level, and the player continues: the next level, or the next episode with its
// achievement counters and outfits reset. The caller saves the profile in full. Episodes
// without levels (padding) count as not existing.
TProgress AdvanceAfterLevel(TPlayer& player, const TEpisods& episods);

// Replaying an earlier shop from the map starts it without its purchases.
void ForgetEpisodUpgrades(TPlayer& player, int32_t episod);
