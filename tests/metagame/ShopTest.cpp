// The catalogue: values and prices by piece type, unlock conditions, what is offered,
// purchases and what they do in the levels.
#include "MetagameTestKit.h"

#include "metagame/Episods.h"
#include "metagame/GameTables.h"
#include "metagame/Player.h"
#include "metagame/Shop.h"
#include "metagame/ShopCaptions.h"
#include "metagame/ShopRules.h"

#include <functional>
#include <optional>

namespace {

constexpr const char* kShop = R"(<Data><ShopItems>
  <Kostums>
    <K ID="Gown" FileName="d" Cost1="100" Cost2="200" Cost3="300" Value1="10" Value2="20" Value3="30" />
    <K ID="SUIT" Cost1="110" Cost2="210x" Value1="11" Value2="21" />
    <K ID="Gown" Cost1="999" Value1="999" />
  </Kostums>
  <Upgrads>
    <U ID="Lamp" FileName="Upgrade_Lamp.png" Cost="120" Pos="40,40" BT="5" FileName2="l2.png" Pos2="1,2" />
    <U ID="Mirror" Cost="200" BT="129" BagsCount="2" />
    <U ID="Plant" Cost="280" BT="5" ExtraExpertGoal="15" />
    <U ID="Rack" Cost="340" BT="128" Combo="3,2" />
    <U ID="Clock" Cost="400" BT="130" NoMinus10="TRUE" />
    <U ID="Sign" Cost="460" BT="131" WinGame="true" />
    <U ID="Sofa" Cost="10" BT="2" BagsCount="9" Combo="1,5" />
  </Upgrads>
</ShopItems></Data>)";

class ShopTest : public ::testing::Test {
protected:
    ShopTest()
    {
        EXPECT_TRUE(shop.LoadShopText(kShop, logs.game));
        tables.FishkaTypes = {{"Gown", 2}, {"Suit", 2}, {"Coat", 2}, {"Gowns", 3}, {"suits", 3}, {"Coat_3", 3}};
        episod.Upgrades = {0, 1, 2, 3, 4, 5};
        episod.LevelFishes = {{0, 1, 2}, {3, 4, 5}};
        player.ShopWearTypes = {0, 1, 2, 3, 4, 5};
    }

    TCapturedLogs logs;
    TShop shop;
    TListedGameTables tables;
    TEpisod episod;
    TPlayer player;
};

TEST_F(ShopTest, Loading)
{
    ASSERT_EQ(shop.Kostums.size(), 3u);
    EXPECT_EQ(shop.Kostums[0].FileName, "d");
    EXPECT_EQ(shop.Kostums[1].Cost, (std::array<int32_t, 3>{110, 210, 0}));
    ASSERT_EQ(shop.Upgrades.size(), 7u);
    const TShopUpgrade& lamp = shop.Upgrades[0];
    EXPECT_EQ(lamp.FileName, "Upgrade_Lamp.png");
    EXPECT_EQ(lamp.Pos, (TPoint{40, 40}));
    EXPECT_EQ(lamp.FileName2, "l2.png");
    EXPECT_EQ(lamp.Pos2, (TPoint{1, 2}));
    EXPECT_EQ(shop.Upgrades[3].ComboCount, 3);
    EXPECT_EQ(shop.Upgrades[3].ComboKind, 2);
    EXPECT_TRUE(shop.Upgrades[4].NoMinus10);
    EXPECT_TRUE(shop.Upgrades[5].WinGame);
    EXPECT_EQ(shop.FindUpgrade("Rack"), 3);
    EXPECT_EQ(shop.FindUpgrade("rack"), -1);
    EXPECT_EQ(shop.Upgrade(7), nullptr);
    EXPECT_TRUE(logs.GameLines.empty());
}

TEST_F(ShopTest, ConditionFlagThatIsNoBooleanStopsLoading)
{
    TShop broken;
    EXPECT_FALSE(broken.LoadShopText("<ShopItems><Upgrads><U ID=\"a\" /><U ID=\"b\" WinGame=\"1\" /><U ID=\"c\" />"
                                     "</Upgrads></ShopItems>",
                                     logs.game));
    ASSERT_EQ(broken.Upgrades.size(), 1u);
    ASSERT_EQ(logs.GameLines.size(), 1u);
    EXPECT_EQ(logs.GameLines[0], "Error LoadShop: upgrade 2: WinGame \"1\" is not true or false");
}

TEST_F(ShopTest, ValuesAndPricesByPieceTypeName)
{
    struct TCase {
        const char* Name;
        int32_t Pieces;
        int32_t Value, Cost;
    } cases[] = {
        {"Gown", 2, 10, 100},    {"Gown", 3, 20, 200},  {"Gown", 4, 30, 300},
        {"Gownss", 2, 10, 100},  // every trailing "s" goes
        {"gOWNs", 3, 20, 200},   // letter case of either side does not matter
        {"Suit", 2, 11, 110},    {"suits", 3, 21, 210}, {"Suit", 4, 0, 0},
        {"Gown", 1, 0, 0},       {"Gown", 5, 0, 0},     {"Coat", 2, 0, 0},
        {"Gownes", 3, 0, 0},     {"", 2, 0, 0},         {"sss", 2, 0, 0},
        {"Dress", 2, 0, 0},      // a name ending in "s" of its own never matches
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(shop.GetValueByFishkaTypes(c.Name, c.Pieces), c.Value) << c.Name << " " << c.Pieces;
        EXPECT_EQ(shop.GetCostByFishkaTypes(c.Name, c.Pieces), c.Cost) << c.Name << " " << c.Pieces;
    }
    EXPECT_EQ(WearSlotPrice(player, shop, tables, 1), 110);
    EXPECT_EQ(WearSlotValue(player, shop, tables, 4), 21);
    EXPECT_EQ(WearSlotPrice(player, shop, tables, 6), 0);
}

TEST_F(ShopTest, EachUnlockCondition)
{
    struct TCase {
        const char* What;
        std::function<void(TPlayer&)> Set;
        const char* Upgrade;
        std::optional<TLockReason> Reason;
    } cases[] = {
        {"no condition", [](TPlayer&) {}, "Lamp", std::nullopt},
        {"bags missing", [](TPlayer& p) { p.BagsCount = 1; }, "Mirror", TLockReason::MoneyBags},
        {"bags reached", [](TPlayer& p) { p.BagsCount = 2; }, "Mirror", std::nullopt},
        {"expert missing", [](TPlayer& p) { p.ExtraExpertGoal = 14; }, "Plant", TLockReason::ExpertGoal},
        {"expert reached", [](TPlayer& p) { p.ExtraExpertGoal = 15; }, "Plant", std::nullopt},
        {"combo missing", [](TPlayer& p) { p.GreatCount = 2; }, "Rack", TLockReason::Combo},
        {"combo reached", [](TPlayer& p) { p.GreatCount = 3; }, "Rack", std::nullopt},
        {"combo of another kind", [](TPlayer& p) { p.ExelentCount = 9; }, "Rack", TLockReason::Combo},
        {"no loss missing", [](TPlayer&) {}, "Clock", TLockReason::NoMinus10},
        {"no loss reached", [](TPlayer& p) { p.NoMinus10 = true; }, "Clock", std::nullopt},
        {"episode not won", [](TPlayer& p) { p.CurrentEpisod = 3; }, "Sign", TLockReason::GameNotComplete},
        {"episode won", [](TPlayer& p) { p.CurrentEpisod = 3; p.WinEpisode[3] = true; }, "Sign", std::nullopt},
        // A combo condition, when met, decides alone: the bags condition does not lock it.
        {"combo met, bags not", [](TPlayer& p) { p.FantasticCount = 1; }, "Sofa", std::nullopt},
        {"bags met, combo not", [](TPlayer& p) { p.BagsCount = 9; }, "Sofa", TLockReason::Combo},
    };
    for (const TCase& c : cases) {
        TPlayer p;
        c.Set(p);
        EXPECT_EQ(UpgradeLockReason(p, *shop.Upgrade(shop.FindUpgrade(c.Upgrade))), c.Reason) << c.What;
    }
}

TEST_F(ShopTest, CountdownsOfTheUnmetConditions)
{
    TUnlockCountdowns c = ComputeUnlockCountdowns(player, &episod, shop);
    EXPECT_EQ(c.BagsCount, (TUnlockCountdown{2, 2}));
    EXPECT_EQ(c.ExtraExpertGoal, (TUnlockCountdown{15, 3}));
    EXPECT_EQ(c.Great, (TUnlockCountdown{3, 4}));
    EXPECT_EQ(c.NoMinus10Slot, 5);
    EXPECT_EQ(c.Excellent, (TUnlockCountdown{kNoCountdown, 0}));
    EXPECT_EQ(c.Fantastic, (TUnlockCountdown{kNoCountdown, 0}));

    player.BagsCount = 2;
    player.ExtraExpertGoal = 20;
    player.GreatCount = 3;
    player.NoMinus10 = true;
    EXPECT_EQ(ComputeUnlockCountdowns(player, &episod, shop), TUnlockCountdowns{});
    EXPECT_EQ(ComputeUnlockCountdowns(player, nullptr, shop), TUnlockCountdowns{});

    // A later upgrade of the same condition wins; kinds 5 to 64 count as Fantastic.
    episod.Upgrades = {1, 6};
    player.BagsCount = 0;
    c = ComputeUnlockCountdowns(player, &episod, shop);
    EXPECT_EQ(c.BagsCount, (TUnlockCountdown{9, 2}));
    EXPECT_EQ(c.Fantastic, (TUnlockCountdown{1, 2}));
}

TEST_F(ShopTest, CatalogueOfANewEpisode)
{
    player.Kostums = {1, 1, 0};
    player.UpdateObjects = {{0}};
    TCataloguePlan plan = PlanCatalogue(player, &episod, shop);
    ASSERT_EQ(plan.Interior.size(), 6u);
    EXPECT_EQ(plan.Interior[0].State, TSlotState::Bought);
    EXPECT_EQ(plan.Interior[0].Slot, 1);
    EXPECT_EQ(plan.Interior[1].State, TSlotState::Locked);
    EXPECT_EQ(plan.Interior[1].Reason, TLockReason::MoneyBags);
    EXPECT_EQ(plan.Interior[5].Reason, TLockReason::GameNotComplete);
    EXPECT_EQ(plan.ShownUpgrades, (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    using S = TSlotState;
    EXPECT_EQ(plan.Wear, (std::array<S, 6>{S::Bought, S::Bought, S::ForSale, S::ForSale, S::ForSale, S::Locked}));
    EXPECT_FALSE(plan.SkipShop);
}

TEST_F(ShopTest, NothingLeftToOfferSkipsTheShop)
{
    player.UpdateObjects = {{0, 1, 2, 3, 4, 5}};
    player.Kostums = {2, 2, 2};
    TCataloguePlan plan = PlanCatalogue(player, &episod, shop);
    EXPECT_TRUE(plan.SkipShop);
    player.Kostums = {2, 2, 1};
    EXPECT_FALSE(PlanCatalogue(player, &episod, shop).SkipShop);
    // From the third episode on the stages counted start one higher.
    player.CurrentEpisod = 2;
    player.Kostums = {3, 3, 3};
    player.UpdateObjects = {{}, {}, {0, 1, 2, 3, 4, 5}};
    EXPECT_TRUE(PlanCatalogue(player, &episod, shop).SkipShop);
}

TEST_F(ShopTest, BuyingAnOutfitStage)
{
    TShopVisit visit;
    visit.Begin(player, PlanCatalogue(player, &episod, shop));
    player.CurrentScore = 500;
    player.NoBy = 3;
    // The first stage of column 2 (slot 2): two pieces of "Suit".
    player.Kostums = {1, 0, 0};
    visit.SelectedWearSlot = 1;
    ASSERT_TRUE(BuyWear(player, visit, shop, tables));
    EXPECT_EQ(player.Kostums, (std::array<int32_t, 3>{1, 1, 0}));
    EXPECT_EQ(player.Cur, 1);
    EXPECT_EQ(player.CurrentScore, 390);
    EXPECT_EQ(player.NoBy, -1);
    EXPECT_EQ(player.OutfitsBoughtThisVisit, 1);
    EXPECT_EQ(visit.SelectedWearSlot, -1);
    // Its second stage (slot 5) is now for sale, and buying it sets Cur to stage 2.
    EXPECT_TRUE(WearSlotForSale(player, 4));
    visit.SelectedWearSlot = 4;
    ASSERT_TRUE(BuyWear(player, visit, shop, tables));
    EXPECT_EQ(player.Kostums, (std::array<int32_t, 3>{1, 2, 0}));
    EXPECT_EQ(player.Cur, 2);
    EXPECT_EQ(player.CurrentScore, 180);

    // Bought already, not for sale, not selected, no type, or too dear: nothing happens.
    for (int32_t slot : {1, 4, 5, -1, 9}) {
        visit.SelectedWearSlot = slot;
        EXPECT_FALSE(BuyWear(player, visit, shop, tables)) << slot;
    }
    player.CurrentScore = 99;
    visit.SelectedWearSlot = 0;
    player.Kostums = {0, 2, 0};
    EXPECT_FALSE(BuyWear(player, visit, shop, tables));
    EXPECT_EQ(player.CurrentScore, 99);
    EXPECT_EQ(player.OutfitsBoughtThisVisit, 2);
}

TEST_F(ShopTest, BuyingAnUpgrade)
{
    player.CurrentEpisod = 1;
    TShopVisit visit;
    visit.Begin(player, PlanCatalogue(player, &episod, shop));
    player.CurrentScore = 130;
    visit.SelectedUpgradeSlot = 0;
    ASSERT_TRUE(BuyUpgrade(player, visit, shop));
    EXPECT_EQ(player.CurrentScore, 10);
    EXPECT_EQ(player.ShopBonus, 5);
    EXPECT_EQ(player.UpdateObjects, (std::vector<std::vector<int32_t>>{{}, {0}}));
    EXPECT_EQ(visit.BoughtThisVisit, std::vector<int32_t>{0});
    EXPECT_EQ(visit.SelectedUpgradeSlot, -1);

    // Bought already, locked, too dear, or no slot at all.
    player.CurrentScore = 1000;
    for (int32_t slot : {0, 1, 6, -1}) {
        visit.SelectedUpgradeSlot = slot;
        EXPECT_FALSE(BuyUpgrade(player, visit, shop)) << slot;
    }
    player.CurrentScore = 279;
    visit.SelectedUpgradeSlot = 2;
    player.ExtraExpertGoal = 15;
    EXPECT_FALSE(BuyUpgrade(player, visit, shop));
    player.CurrentScore = 280;
    visit.SelectedUpgradeSlot = 2;
    ASSERT_TRUE(BuyUpgrade(player, visit, shop));
    EXPECT_EQ(player.CurrentScore, 0);
    EXPECT_EQ(player.ShopBonus, 10);

    // In the levels of that episode, and of no other.
    EXPECT_EQ(UpgradeEffectsFor(player, shop), (TUpgradeEffects{10, false, false, false, false}));
    player.CurrentEpisod = 0;
    EXPECT_EQ(UpgradeEffectsFor(player, shop), TUpgradeEffects{});
}

TEST_F(ShopTest, BonusPiecesSwitchedOnByUpgrades)
{
    player.UpdateObjects = {{1, 3, 4, 5, 17, -2}};
    EXPECT_EQ(UpgradeEffectsFor(player, shop), (TUpgradeEffects{0, true, true, true, true}));
    player.UpdateObjects = {{0, 0}};
    EXPECT_EQ(UpgradeEffectsFor(player, shop).ShopBonus, 10);
    LeaveShop(player);
    EXPECT_EQ(player.NoBy, 1);
}

TEST_F(ShopTest, CatalogueTexts)
{
    TRecordingWidgets widgets;
    widgets.Captions = {{"WResource_LCurrency", "$"},
                        {"WResource2_ToValue", "to every outfit"},
                        {"WResource2_EnablesPause", "Pause pieces"},
                        {"WResource_LUnlockMoneyBag", "Collect bags"},
                        {"WResource_LUnlockCombo", "Combos"},
                        {"WResource_LUnlock-10", "Lose nothing"},
                        {"WResource2_Gown_3", "Three pieces"}};
    EXPECT_EQ(MoneyText(widgets, 120), "$120");
    EXPECT_EQ(WearValueText(widgets, 20, 0), "$20");
    EXPECT_EQ(WearValueText(widgets, 20, 7), "$20 + 7");
    EXPECT_EQ(UpgradeEffectText(widgets, shop.Upgrades[0]), "+$5 to every outfit");
    EXPECT_EQ(UpgradeEffectText(widgets, shop.Upgrades[4]), "Pause pieces");
    EXPECT_EQ(WearDescription(widgets, "Gown", 3), "Three pieces");
    EXPECT_EQ(WearDescription(widgets, "Gown", 1), "");

    ShowLockReason(widgets, 2, shop.Upgrades[1], TLockReason::MoneyBags);
    EXPECT_EQ(widgets.Last("WResource_LUnlockMoneyBagCount", "Caption"), "2");
    EXPECT_EQ(widgets.Last("WShop_TFInterior_LItem2", "Caption"), "Collect bags");
    ShowLockReason(widgets, 4, shop.Upgrades[3], TLockReason::Combo);
    EXPECT_EQ(widgets.Last("WResource_LUnlockComboCount", "Caption"), "3");
    EXPECT_EQ(widgets.Last("WResource_LUnlockComboItemsCount", "Caption"), "2");
    EXPECT_EQ(widgets.Last("WShop_TFInterior_LItem4", "Caption"), "Combos");
    ShowLockReason(widgets, 5, shop.Upgrades[4], TLockReason::NoMinus10);
    EXPECT_EQ(widgets.Last("WShop_TFInterior_LItem5", "Caption"), "Lose nothing");
}

}  // namespace
