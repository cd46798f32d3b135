// The current player's record: progress through the episodes, money, outfit stages,
// upgrades bought and the achievement counters that unlock upgrades. One object, owned by
// the application and passed to the level, the map and the shop.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kEpisodSlots = 8;    // episode scores and completion flags kept per profile
inline constexpr int kWearColumns = 3;    // outfit stage counters, one per wear column
inline constexpr int kWearSlots = 6;      // two stages of each column on the catalogue's wear page
inline constexpr int kUpgradeSlots = 6;   // upgrades of one episode on the interior page
inline constexpr double kMinSpeedPlay = 0.2;  // outfits per second assumed for a new player
inline constexpr double kMaxSpeedPlay = 100.0;  // beyond any hand: a larger stored value is damage

// Money and scores are held to plus or minus this: eight digits, far beyond what a whole
// game earns, and the eight episode scores together still fit a 32-bit sum. A stored
// value outside is damage.
inline constexpr int32_t kMaxMoney = 99'999'999;
// Achievement counters, outfit stages, progress indices and shop visits: beyond any play,
// and far from overflow when a level adds to them.
inline constexpr int32_t kMaxCounter = 1'000'000;
// The longest player name, in characters (UTF-8 code points): what the name edits of the
// interface take (their MaxLength). A longer name read from a file is cut to it.
inline constexpr size_t kMaxPlayerNameLength = 20;

// One countdown towards unlocking an upgrade during a level, and the interior slot (1 to 6,
// 0 = none) of the upgrade it opens.
struct TUnlockCountdown {
    int32_t Value = 0;
    int32_t Slot = 0;
    friend bool operator==(const TUnlockCountdown&, const TUnlockCountdown&) = default;
};

// "Nothing to unlock" leaves a countdown too large to reach in one level.
inline constexpr int32_t kNoExpertCountdown = 100000;
inline constexpr int32_t kNoCountdown = 10000;

struct TUnlockCountdowns {
    TUnlockCountdown ExtraExpertGoal{kNoExpertCountdown, 0};
    TUnlockCountdown BagsCount{kNoCountdown, 0};
    TUnlockCountdown Great{kNoCountdown, 0};
    TUnlockCountdown Excellent{kNoCountdown, 0};
    TUnlockCountdown Incredible{kNoCountdown, 0};
    TUnlockCountdown Fantastic{kNoCountdown, 0};
    int32_t NoMinus10Slot = 0;
    friend bool operator==(const TUnlockCountdowns&, const TUnlockCountdowns&) = default;
};

struct TPlayer {
    // The current profile's name, UTF-8; empty when no profile is current.
    std::string Name;

    // Saved in the profile, in the order of a full save.
    bool WinGame = false;
    int32_t CurrentScore = 0;  // money now
    int32_t TotalScore = 0;    // score of the finished game
    std::array<int32_t, kEpisodSlots> EpisodeScore{};
    std::array<bool, kEpisodSlots> WinEpisode{};
    int32_t BagsCount = 0;  // best counts in one level of the current episode
    int32_t GreatCount = 0;
    int32_t ExelentCount = 0;
    int32_t IncredibleCount = 0;
    int32_t FantasticCount = 0;
    bool NoMinus10 = false;
    int32_t ExtraExpertGoal = 0;  // best percentage above a level's expert goal
    int32_t NoBy = 0;             // shop visits left without buying an outfit
    int32_t ChooseInterior = 0;
    int32_t PrevScore = 0;  // money at the start of the current level
    bool ShowInHighScores = true;
    bool ShowInstructions = true;
    int32_t MaxEpisod = 0;
    int32_t CurrentEpisod = 0;
    int32_t CurrentLevel = 0;
    std::vector<int32_t> HintsShown;
    double SpeedPlay = kMinSpeedPlay;
    std::array<int32_t, kWearColumns> Kostums{1, 1, 0};  // outfit stage bought per wear column
    int32_t Cur = 1;                                      // stage of the outfit bought last
    std::vector<std::vector<int32_t>> UpdateObjects;      // upgrade numbers bought, per episode

    // Worked out from the values above and the game tables each time the profile loads.
    int32_t MaxKostum = 1;
    std::array<int32_t, kWearSlots> ShopWearTypes{-1, -1, -1, -1, -1, -1};  // piece types; -1 none
    TUnlockCountdowns Unlock;

    // This session only, never saved.
    bool NoPlayersFile = false;       // no profile file: the title asks for a name
    int32_t OutfitsBoughtThisVisit = 0;  // outfits bought since the last level
    int32_t ShopBonus = 0;               // value added to every outfit sold in the level
    std::array<bool, kUpgradeSlots> NewlyUnlocked{};

    // The upgrades bought in an episode (empty for one without purchases).
    const std::vector<int32_t>& UpgradesOf(int32_t episod) const;
    bool HasUpgrade(int32_t episod, int32_t upgrade) const;
    bool HintShown(int32_t hint) const;
};

// A sum of money or score held to plus or minus kMaxMoney. AddMoney is the way play adds
// a score or money to the record (the level's money, an episode's score): no overflow.
int32_t HoldMoney(int64_t money);
int32_t AddMoney(int32_t money, int64_t amount);
// The name cut to kMaxPlayerNameLength characters, never inside a UTF-8 sequence.
std::string CutPlayerName(std::string_view name);
// Every saved value held to its range, the name cut: what a profile holds once loaded, so
// a damaged or hand-edited file neither overflows in play nor is saved back as it was.
void HoldPlayerInRange(TPlayer& player);

// New-game values in memory. With keepProgress the episode reached, the completed game,
// the high-score flag and the hints seen stay. SpeedPlay and ShowInstructions never change.
void ResetPlayerState(TPlayer& player, bool keepProgress);

// The outfits a player starts an episode with: the first stage of the first two columns,
// and of the third too from the third episode on.
void ResetOutfits(TPlayer& player);

// 1 from the third episode on (the first stage of every column is owned from the start,
// and the catalogue offers stages two and three), else 0.
int32_t WearBase(const TPlayer& player);
