// Served groups leaving the belt and the money bags they leave, ageing until they vanish.
#include "GameplayTestKit.h"

#include "gameplay/BeltMotion.h"

namespace {

constexpr int64_t kNow = 100000;

class MoneyBagTest : public TBeltFixture {
protected:
    MoneyBagTest()
    {
        level->Belt.RuleBirths = false;
        pictures.Sizes["MoneyBonusSmall.png"] = {40, 44};
        pictures.Sizes["MoneyBonus.png"] = {50, 54};
    }
    // Ticks without moving the belt, so positions stay as put.
    void Tick(int64_t now, TLevelMode mode = TLevelMode::Halted, int64_t dt = 20)
    {
        TickFishes(*level, Frame(now, dt, mode));
    }
};

TEST_F(MoneyBagTest, ThreeOrMoreServedTogetherLeaveOneBagAndTwoLeaveNone)
{
    struct TCase {
        int Served;
        bool Bag;
        const char* Picture;
    };
    for (const TCase& c : {TCase{2, false, ""}, TCase{3, true, "MoneyBonusSmall.png"}, TCase{4, true, "MoneyBonus.png"}}) {
        SCOPED_TRACE(c.Served);
        level->Belt.Fishes.clear();
        sounds.Events.clear();
        effects.Effects.clear();
        events.Left.clear();
        Put(9000);
        for (int i = 0; i < c.Served; ++i) {
            TFish& served = Put(7000 - 2000 * i);
            served.LeaveAt = kNow;
            served.HasCoin = c.Served > 2;
        }
        Put(500);
        level->Belt.SelectedIndex = c.Served + 1;  // the last piece
        Tick(kNow);
        const auto& fishes = level->Belt.Fishes;
        ASSERT_EQ(fishes.size(), c.Bag ? 3u : 2u);
        EXPECT_EQ(events.Left.size(), static_cast<size_t>(c.Served));  // each went on to its customer
        if (!c.Bag) {
            EXPECT_EQ(level->Belt.SelectedIndex, 1);
            continue;
        }
        const TFish& bag = fishes[1];
        EXPECT_EQ(bag.Kind, TFishKind::MoneyBag);
        EXPECT_EQ(bag.BagCount, c.Served);
        EXPECT_EQ(bag.Position, 7000 - 1000 * (c.Served - 1));  // the group's average
        EXPECT_EQ(bag.PictureName, c.Picture);
        EXPECT_EQ(bag.AppearTime, kNow);
        EXPECT_EQ(bag.BlinkAt, kNow + 600);
        EXPECT_EQ(bag.EffectFile, "efMoneyBonus.xml");
        EXPECT_EQ(level->Belt.SelectedIndex, 2);  // moved up past the bag
        EXPECT_EQ(effects.Count("efCoin1.xml"), c.Served);
        EXPECT_EQ(std::count(sounds.Events.begin(), sounds.Events.end(), "ClickOnMoneyBag"), 1);
        EXPECT_EQ(std::count(sounds.Events.begin(), sounds.Events.end(), "MoneyBag"), 1);
    }
}

TEST_F(MoneyBagTest, ABagWarnsBeforeItsTimeAndVanishesAfterItButNotDuringADialog)
{
    level->Tuning.TimeShowMoneyBag = 5000;
    TFish& bag = Put(5000);
    bag.Kind = TFishKind::MoneyBag;
    bag.BagCount = 3;
    bag.AppearTime = kNow;
    bag.EffectFile = "efMoneyBonus.xml";

    Tick(kNow + 3000);
    EXPECT_EQ(level->Belt.Fishes[0].EffectFile, "efMoneyBonus.xml");
    Tick(kNow + 3001);
    EXPECT_EQ(level->Belt.Fishes[0].EffectFile, "efMoneyBonusClick.xml");
    Tick(kNow + 3500);
    EXPECT_EQ(effects.PieceEffects, (std::vector<std::string>{"efMoneyBonusClick.xml"}));  // changed once

    for (int i = 1; i <= 100; ++i)  // ten seconds of dialog: the bag does not age
        Tick(kNow + 3500 + 100 * i, TLevelMode::Dialog, 100);
    ASSERT_EQ(level->Belt.Fishes.size(), 1u);
    EXPECT_EQ(level->Belt.Fishes[0].AppearTime, kNow + 10000);
    Tick(kNow + 15000);
    ASSERT_EQ(level->Belt.Fishes.size(), 1u);
    Tick(kNow + 15001);
    EXPECT_TRUE(level->Belt.Fishes.empty());
}

}  // namespace
