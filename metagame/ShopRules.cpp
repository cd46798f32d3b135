// Catalogue rules: locks, countdowns, the catalogue's content and purchases.
#include "metagame/ShopRules.h"

#include "metagame/Episods.h"
#include "metagame/GameTables.h"
#include "metagame/Shop.h"

#include <algorithm>

namespace {

constexpr int32_t kComboGreat = 2;
constexpr int32_t kComboExcellent = 3;
constexpr int32_t kComboIncredible = 4;
constexpr int32_t kComboFantasticMin = 5;
constexpr int32_t kComboFantasticMax = 64;

TUnlockCountdown* CountdownOfKind(TUnlockCountdowns& c, int32_t kind)
{
    if (kind == kComboGreat)
        return &c.Great;
    if (kind == kComboExcellent)
        return &c.Excellent;
    if (kind == kComboIncredible)
        return &c.Incredible;
    if (kind >= kComboFantasticMin && kind <= kComboFantasticMax)
        return &c.Fantastic;
    return nullptr;
}

bool HasCombo(const TShopUpgrade& upgrade)
{
    return upgrade.ComboCount > 0;
}

}  // namespace

std::optional<int32_t> ComboCounter(const TPlayer& player, int32_t comboKind)
{
    if (comboKind == kComboGreat)
        return player.GreatCount;
    if (comboKind == kComboExcellent)
        return player.ExelentCount;
    if (comboKind == kComboIncredible)
        return player.IncredibleCount;
    if (comboKind >= kComboFantasticMin && comboKind <= kComboFantasticMax)
        return player.FantasticCount;
    return std::nullopt;
}

TUnlockCountdowns ComputeUnlockCountdowns(const TPlayer& player, const TEpisod* episod, const TShop& shop)
{
    TUnlockCountdowns c;
    if (!episod)
        return c;
    for (size_t i = 0; i < episod->Upgrades.size(); ++i) {
        const TShopUpgrade* upgrade = shop.Upgrade(episod->Upgrades[i]);
        if (!upgrade)
            continue;
        const int32_t slot = static_cast<int32_t>(i) + 1;
        if (upgrade->NoMinus10 && !player.NoMinus10)
            c.NoMinus10Slot = slot;
        // A condition of 0 is no condition, whatever a damaged profile holds.
        if (upgrade->ExtraExpertGoal > 0 && player.ExtraExpertGoal < upgrade->ExtraExpertGoal)
            c.ExtraExpertGoal = {upgrade->ExtraExpertGoal, slot};
        if (upgrade->BagsCount > 0 && player.BagsCount < upgrade->BagsCount)
            c.BagsCount = {upgrade->BagsCount, slot};
        if (HasCombo(*upgrade)) {
            TUnlockCountdown* countdown = CountdownOfKind(c, upgrade->ComboKind);
            auto counter = ComboCounter(player, upgrade->ComboKind);
            if (countdown && counter && *counter < upgrade->ComboCount)
                *countdown = {upgrade->ComboCount, slot};
        }
    }
    return c;
}

std::optional<TLockReason> UpgradeLockReason(const TPlayer& player, const TShopUpgrade& upgrade)
{
    std::optional<TLockReason> reason;
    const bool episodWon = player.CurrentEpisod >= 0 && player.CurrentEpisod < kEpisodSlots &&
                           player.WinEpisode[static_cast<size_t>(player.CurrentEpisod)];
    if (upgrade.WinGame && !episodWon)
        reason = TLockReason::GameNotComplete;
    else if (upgrade.BagsCount > 0 && player.BagsCount < upgrade.BagsCount)
        reason = TLockReason::MoneyBags;
    else if (upgrade.ExtraExpertGoal > 0 && player.ExtraExpertGoal < upgrade.ExtraExpertGoal)
        reason = TLockReason::ExpertGoal;
    else if (upgrade.NoMinus10 && !player.NoMinus10)
        reason = TLockReason::NoMinus10;
    if (HasCombo(upgrade)) {
        auto counter = ComboCounter(player, upgrade.ComboKind);
        if (counter) {
            if (*counter < upgrade.ComboCount)
                return TLockReason::Combo;
            return std::nullopt;
        }
    }
    return reason;
}

TUpgradeEffects UpgradeEffectsFor(const TPlayer& player, const TShop& shop)
{
    TUpgradeEffects effects;
    for (int32_t number : player.UpgradesOf(player.CurrentEpisod)) {
        const TShopUpgrade* upgrade = shop.Upgrade(number);
        if (!upgrade)
            continue;
        if (upgrade->IsValueBonus())
            effects.ShopBonus += upgrade->BT;
        else if (upgrade->BT == kBtReverse)
            effects.Reverse = true;
        else if (upgrade->BT == kBtPlus)
            effects.Plus = true;
        else if (upgrade->BT == kBtPause)
            effects.Pause = true;
        else if (upgrade->BT == kBtTransformer)
            effects.Transformer = true;
    }
    return effects;
}

bool WearSlotForSale(const TPlayer& player, int32_t slot)
{
    if (slot < 0 || slot >= kWearSlots)
        return false;
    const int32_t b = WearBase(player);
    const int32_t stage = player.Kostums[static_cast<size_t>(slot % kWearColumns)];
    return slot < kWearColumns ? stage == b : stage == b + 1;
}

static std::optional<TPieceTypeInfo> WearSlotType(const TPlayer& player, const IGameTables& tables, int32_t slot)
{
    if (slot < 0 || slot >= kWearSlots)
        return std::nullopt;
    return tables.FishkaType(player.ShopWearTypes[static_cast<size_t>(slot)]);
}

int32_t WearSlotPrice(const TPlayer& player, const TShop& shop, const IGameTables& tables, int32_t slot)
{
    auto type = WearSlotType(player, tables, slot);
    return type ? shop.GetCostByFishkaTypes(type->Name, type->PieceCount) : 0;
}

int32_t WearSlotValue(const TPlayer& player, const TShop& shop, const IGameTables& tables, int32_t slot)
{
    auto type = WearSlotType(player, tables, slot);
    return type ? shop.GetValueByFishkaTypes(type->Name, type->PieceCount) : 0;
}

TCataloguePlan PlanCatalogue(const TPlayer& player, const TEpisod* episod, const TShop& shop)
{
    TCataloguePlan plan;
    int32_t placed = 0;  // upgrades not bought yet, for sale or locked
    if (episod)
        for (size_t i = 0; i < episod->Upgrades.size() && placed < kUpgradeSlots; ++i) {
            const int32_t number = episod->Upgrades[i];
            const TShopUpgrade* upgrade = shop.Upgrade(number);
            if (!upgrade)
                continue;
            TInteriorSlot slot;
            slot.Slot = static_cast<int32_t>(i) + 1;
            slot.Upgrade = number;
            if (player.HasUpgrade(player.CurrentEpisod, number)) {
                slot.State = TSlotState::Bought;
            } else {
                auto reason = UpgradeLockReason(player, *upgrade);
                slot.State = reason ? TSlotState::Locked : TSlotState::ForSale;
                slot.Reason = reason.value_or(TLockReason::GameNotComplete);
                ++placed;
            }
            plan.Interior.push_back(slot);
            plan.ShownUpgrades.push_back(number);
        }

    const int32_t b = WearBase(player);
    bool wearOffers = false;
    for (int32_t c = 0; c < kWearColumns; ++c) {
        const int32_t k = player.Kostums[static_cast<size_t>(c)];
        TSlotState& first = plan.Wear[static_cast<size_t>(c)];
        TSlotState& second = plan.Wear[static_cast<size_t>(c + kWearColumns)];
        if (k == b) {
            first = TSlotState::ForSale;
            second = TSlotState::Locked;
        } else if (k == b + 1) {
            first = TSlotState::Bought;
            second = TSlotState::ForSale;
        } else if (k == b + 2) {
            first = second = TSlotState::Bought;
        }
        // A slot without a piece type has nothing to show.
        for (int32_t s : {c, c + kWearColumns})
            if (player.ShopWearTypes[static_cast<size_t>(s)] < 0)
                plan.Wear[static_cast<size_t>(s)] = TSlotState::Hidden;
        if (first == TSlotState::ForSale || second == TSlotState::ForSale)
            wearOffers = true;
    }
    plan.SkipShop = placed == 0 && !wearOffers;
    return plan;
}

void TShopVisit::Begin(TPlayer& player, const TCataloguePlan& plan)
{
    player.OutfitsBoughtThisVisit = 0;
    ShownUpgrades = plan.ShownUpgrades;
    SelectedUpgradeSlot = -1;
    SelectedWearSlot = -1;
    BoughtThisVisit.clear();
}

bool BuyUpgrade(TPlayer& player, TShopVisit& visit, const TShop& shop)
{
    const int32_t slot = visit.SelectedUpgradeSlot;
    visit.SelectedUpgradeSlot = -1;
    visit.SelectedWearSlot = -1;
    if (slot < 0 || slot >= static_cast<int32_t>(visit.ShownUpgrades.size()) || player.CurrentEpisod < 0)
        return false;
    const int32_t number = visit.ShownUpgrades[static_cast<size_t>(slot)];
    const TShopUpgrade* upgrade = shop.Upgrade(number);
    if (!upgrade || player.HasUpgrade(player.CurrentEpisod, number) || UpgradeLockReason(player, *upgrade) ||
        player.CurrentScore < upgrade->Cost)
        return false;
    if (player.UpdateObjects.size() <= static_cast<size_t>(player.CurrentEpisod))
        player.UpdateObjects.resize(static_cast<size_t>(player.CurrentEpisod) + 1);
    player.UpdateObjects[static_cast<size_t>(player.CurrentEpisod)].push_back(number);
    player.CurrentScore -= upgrade->Cost;
    if (upgrade->IsValueBonus())
        player.ShopBonus += upgrade->BT;
    visit.BoughtThisVisit.push_back(number);
    return true;
}

bool BuyWear(TPlayer& player, TShopVisit& visit, const TShop& shop, const IGameTables& tables)
{
    const int32_t w = visit.SelectedWearSlot;
    visit.SelectedUpgradeSlot = -1;
    visit.SelectedWearSlot = -1;
    if (!WearSlotForSale(player, w) || !tables.FishkaType(player.ShopWearTypes[static_cast<size_t>(w)]))
        return false;
    const int32_t price = WearSlotPrice(player, shop, tables, w);
    if (player.CurrentScore < price)
        return false;
    player.OutfitsBoughtThisVisit += 1;
    player.NoBy = -1;
    player.Kostums[static_cast<size_t>(w % kWearColumns)] += 1;
    player.CurrentScore -= price;
    player.Cur = w / kWearColumns + WearBase(player) + 1;
    return true;
}

void LeaveShop(TPlayer& player)
{
    player.NoBy += 1;
}
