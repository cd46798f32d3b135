// The rules of the catalogue: which upgrades are locked and why, the countdowns that unlock
// them during a level, what the catalogue shows after a level, the purchases, and what
// the bought upgrades do in the levels of their episode.
#pragma once

#include "metagame/Player.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class IGameTables;
class TShop;
struct TEpisod;
struct TShopUpgrade;

// Why an upgrade cannot be bought yet (the number is the reason the captions use).
enum class TLockReason { GameNotComplete = 0, MoneyBags = 1, ExpertGoal = 2, NoMinus10 = 3, Combo = 4 };

// The countdowns of the current episode's upgrades whose conditions the player has not
// met, worked out when a profile loads (that is, at the start of every level).
TUnlockCountdowns ComputeUnlockCountdowns(const TPlayer& player, const TEpisod* episod, const TShop& shop);

// Nothing when the player may buy the upgrade. A combo condition, when the upgrade has
// one, decides alone.
std::optional<TLockReason> UpgradeLockReason(const TPlayer& player, const TShopUpgrade& upgrade);

// The player's counter for a combo kind (2 Great, 3 Excellent, 4 Incredible, 5 to 64
// Fantastic); nothing for other kinds.
std::optional<int32_t> ComboCounter(const TPlayer& player, int32_t comboKind);

// What the upgrades bought in the current episode do in its levels.
struct TUpgradeEffects {
    int32_t ShopBonus = 0;  // added to the value of every outfit sold
    bool Reverse = false;
    bool Plus = false;
    bool Pause = false;
    bool Transformer = false;
    friend bool operator==(const TUpgradeEffects&, const TUpgradeEffects&) = default;
};
TUpgradeEffects UpgradeEffectsFor(const TPlayer& player, const TShop& shop);

enum class TSlotState { Hidden, ForSale, Bought, Locked };

struct TInteriorSlot {
    int32_t Slot = 0;     // widget number, 1 to 6
    int32_t Upgrade = 0;  // upgrade number of the shop
    TSlotState State = TSlotState::Hidden;
    TLockReason Reason = TLockReason::GameNotComplete;  // when Locked
};

// What the catalogue shows after a level.
struct TCataloguePlan {
    std::vector<TInteriorSlot> Interior;
    std::vector<int32_t> ShownUpgrades;                 // by slot index (widget number - 1)
    std::array<TSlotState, kWearSlots> Wear{};          // slot index 0 to 5
    bool SkipShop = false;                              // nothing left to offer
};
TCataloguePlan PlanCatalogue(const TPlayer& player, const TEpisod* episod, const TShop& shop);

// Whether wear slot 0 to 5 is on sale with the player's outfit stages.
bool WearSlotForSale(const TPlayer& player, int32_t slot);
// Price and value of the outfit offered in wear slot 0 to 5; 0 when it has no piece type.
int32_t WearSlotPrice(const TPlayer& player, const TShop& shop, const IGameTables& tables, int32_t slot);
int32_t WearSlotValue(const TPlayer& player, const TShop& shop, const IGameTables& tables, int32_t slot);

// The catalogue between two levels: what it shows, what is selected, what was bought.
class TShopVisit {
public:
    // Opening the catalogue: nothing selected or bought yet.
    void Begin(TPlayer& player, const TCataloguePlan& plan);

    std::vector<int32_t> ShownUpgrades;
    int32_t SelectedUpgradeSlot = -1;
    int32_t SelectedWearSlot = -1;
    std::vector<int32_t> BoughtThisVisit;
};

// The selected upgrade is bought: its price is paid, it joins the episode's purchases and a
// value bonus raises ShopBonus at once. Nothing happens (false) when nothing valid is
// selected, the upgrade is bought or locked already, or the money does not reach its
// price. The caller saves the profile in full afterwards.
bool BuyUpgrade(TPlayer& player, TShopVisit& visit, const TShop& shop);
// The selected outfit stage is bought: the column's stage counter rises, the price is
// paid, Cur becomes the stage bought. Same refusals as above. The caller saves the
// outfits afterwards.
bool BuyWear(TPlayer& player, TShopVisit& visit, const TShop& shop, const IGameTables& tables);
// Leaving the catalogue with its play button; the caller saves the profile in full.
void LeaveShop(TPlayer& player);
