// Combining pieces: which drops are allowed and what parts they make, the group a finished
// outfit takes along, combos of 2, 3, 4 and 5 or more, and serving and paying.
#include "LevelPlayTestKit.h"

#include "gameplay/Combining.h"
#include "gameplay/Customers.h"
#include "gameplay/Scoring.h"

namespace {

class CombiningTest : public TPlayFixture {
protected:
    CombiningTest() { Run(); }

    // A customer standing at its place who wants count outfits of a type.
    TPerson& Wants(int32_t type, int count)
    {
        TPerson person;
        person.X = 600;
        person.Y = 400;
        person.StartTime = clock.NowMs();
        person.Deadline = person.StartTime + kPersonPatience;
        TOrder order;
        order.TypeIndex = type;
        order.Remaining = order.Shown = order.Initial = static_cast<uint8_t>(count);
        person.Orders = {order};
        person.Wanted = static_cast<uint8_t>(count);
        level->Play.Customers.Persons.push_back(person);
        CreatePersonsServeOrder(*level);
        return level->Play.Customers.Persons.back();
    }

    TFish Piece(TFishKind kind, int32_t type, const char* parts)
    {
        TFish fish;
        fish.Kind = kind;
        fish.TypeIndex = type;
        fish.Parts = PartsFromDigits(parts);
        return fish;
    }

    // halves (part 1) of type 0 in front, then part 1 (the target) and part 2 (the
    // selected source) behind them; the source is dropped on the target, and the equal
    // halves beside it are completed with it.
    bool DropCompleting(int halves)
    {
        level->Belt.Fishes.clear();
        for (int i = 0; i < halves; ++i)
            PutGarment(9000 - 1000 * i, 0, "1");
        int32_t target = halves;
        PutGarment(9000 - 1000 * halves, 0, "1");
        PutGarment(8000 - 1000 * halves, 0, "2");
        level->Belt.SelectedIndex = target + 1;
        return PutFishInsideFish(*level, game, target + 1, target, clock.NowMs());
    }

    int32_t Leaving() const
    {
        int32_t n = 0;
        for (const TFish& fish : level->Belt.Fishes)
            n += fish.LeaveAt > 0;
        return n;
    }
};

TEST_F(CombiningTest, WhichPiecesCombineAndThePartsTheyMake)
{
    struct TCase {
        const char* What;
        TFish Source, Target;
        bool Allowed;
        const char* Merged;
    };
    const TCase cases[] = {
        {"part 1 on part 2 of a dress", Piece(TFishKind::Garment, 0, "1"), Piece(TFishKind::Garment, 0, "2"), true, "12"},
        {"part 1 on part 1", Piece(TFishKind::Garment, 0, "1"), Piece(TFishKind::Garment, 0, "1"), false, ""},
        {"different garments", Piece(TFishKind::Garment, 0, "1"), Piece(TFishKind::Garment, 1, "2"), false, ""},
        {"plus one on parts 1 and 3 of four", Piece(TFishKind::PlusOne, 0, ""), Piece(TFishKind::Garment, 4, "13"),
         true, "123"},
        {"a garment on a plus one", Piece(TFishKind::Garment, 4, "13"), Piece(TFishKind::PlusOne, 0, ""), true,
         "123"},
        {"two plus ones", Piece(TFishKind::PlusOne, 0, ""), Piece(TFishKind::PlusOne, 0, ""), false, ""},
        {"a garment on a money bag", Piece(TFishKind::Garment, 0, "1"), Piece(TFishKind::MoneyBag, 0, ""), false, ""},
        {"three parts of four", Piece(TFishKind::Garment, 4, "24"), Piece(TFishKind::Garment, 4, "1"), true, "124"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TFishParts merged{};
        EXPECT_EQ(CanInsert(*level, c.Source, c.Target, &merged), c.Allowed);
        if (c.Allowed) {
            EXPECT_EQ(PartDigits(merged), c.Merged);
        }
    }
}

TEST_F(CombiningTest, DroppingPartOneOnPartTwoCompletesTheDressAndPartOneOnPartOneDoesNothing)
{
    PutGarment(6000, 0, "1");
    PutGarment(4000, 0, "1");
    level->Belt.SelectedIndex = 1;
    EXPECT_FALSE(PutFishInsideFish(*level, game, 1, 0, clock.NowMs()));
    EXPECT_EQ(level->Belt.Fishes[0].ApplyPartsAt, -1);

    Wants(0, 1);
    EXPECT_TRUE(DropCompleting(0));
    const TFish& dress = level->Belt.Fishes[0];
    EXPECT_EQ(PartDigits(dress.TargetParts), "12");
    EXPECT_EQ(dress.ApplyPartsAt, clock.NowMs());
    EXPECT_EQ(dress.LeaveAt, clock.NowMs() + 900);
    EXPECT_EQ(effects.Flights.back(), "Move");
    EXPECT_EQ(sounds.Events.back(), "FullDress");
    EXPECT_EQ(level->Play.Score.LevelScore, 10);
    EXPECT_EQ(Customer(0).Wanted, 0);
    EXPECT_EQ(Customer(0).LeaveAt, clock.NowMs() + 1500);
    // The bubble shows the new count 1400 ms later.
    EXPECT_EQ(Customer(0).Orders[0].Shown, 1);
    EXPECT_EQ(Customer(0).Orders[0].ShowAt, clock.NowMs() + 1400);
}

TEST_F(CombiningTest, CombosOfTwoThreeFourAndFiveOrMore)
{
    using TScoring = TLevelScoring;
    struct TCase {
        int Group;
        const char* Effect;
        const char* Sound;
        int32_t TScoring::*Count;
    };
    const TCase cases[] = {
        {1, nullptr, "FullDress", nullptr},
        {2, "efBonusGreat.xml", "GBonusGreat", &TScoring::GreatCount},
        {3, "efBonusExcellent.xml", "GBonusExcellent", &TScoring::ExelentCount},
        {4, "efBonusIncredible.xml", "GBonusIncredible", &TScoring::IncredibleCount},
        {5, "efBonusFantastic.xml", "GBonusIncredible", &TScoring::FantasticCount},
        {7, "efBonusFantastic.xml", "GBonusIncredible", &TScoring::FantasticCount},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Group);
        level->Play.Customers = TCustomers{};
        level->Play.Score = TLevelScoring{};
        effects.Effects.clear();
        sounds.Events.clear();
        player.CurrentScore = 500;
        player.Unlock.Great.Value = 100;
        player.Unlock.Fantastic.Value = 100;
        Wants(0, 9);
        ASSERT_TRUE(DropCompleting(c.Group - 1));
        EXPECT_EQ(Leaving(), c.Group);
        EXPECT_EQ(sounds.Events.back(), c.Sound);
        if (c.Effect) {
            EXPECT_EQ(effects.Count(c.Effect), 1);
        }
        if (c.Count) {
            EXPECT_EQ(level->Play.Score.*c.Count, 1);
        }
        // Each outfit of a group pays its value and one more.
        const int32_t paid = c.Group > 1 ? 11 * c.Group : 10;
        EXPECT_EQ(level->Play.Score.LevelScore, paid);
        EXPECT_EQ(player.CurrentScore, 500 + paid);
        EXPECT_EQ(Customer(0).Orders[0].Remaining, 9 - c.Group);
        EXPECT_EQ(level->Play.Score.LevelServed[0], c.Group);
        EXPECT_EQ(player.Unlock.Great.Value, c.Group >= 2 ? 99 : 100);
        EXPECT_EQ(player.Unlock.Fantastic.Value, c.Group >= 5 ? 99 : 100);
        for (const TFish& fish : level->Belt.Fishes)
            if (fish.LeaveAt > 0) {
                EXPECT_EQ(fish.HasCoin, c.Group > 2);
                EXPECT_EQ(fish.CustomerIndex, 0);
            }
    }
}

// The group was once matched against the target's parts after the drop, so only complete
// outfits could join it, and play never leaves those on the belt.
TEST_F(CombiningTest, CombosNeverHappened_APartOnTheMiddleOfThreeEqualHalvesServesAllThree)
{
    Wants(0, 3);
    PutGarment(9000, 0, "1");
    PutGarment(8000, 0, "1");  // the target
    PutGarment(7000, 0, "1");
    PutGarment(6000, 1, "1");  // another garment ends the run
    PutGarment(4000, 0, "2");  // the selected source
    PutGarment(2000, 0, "1");  // equal, but not beside the others
    level->Belt.SelectedIndex = 4;
    ASSERT_TRUE(PutFishInsideFish(*level, game, 4, 1, clock.NowMs()));
    EXPECT_EQ(Leaving(), 3);
    for (int i : {0, 1, 2}) {
        SCOPED_TRACE(i);
        const TFish& fish = level->Belt.Fishes[static_cast<size_t>(i)];
        EXPECT_EQ(PartDigits(fish.TargetParts), "12");
        EXPECT_EQ(fish.ApplyPartsAt, clock.NowMs());
        EXPECT_TRUE(fish.HasCoin);
    }
    EXPECT_EQ(level->Belt.Fishes[5].LeaveAt, 0);
    EXPECT_EQ(level->Play.Score.ExelentCount, 1);
    EXPECT_EQ(effects.Count("efBonusExcellent.xml"), 1);
    EXPECT_EQ(level->Play.Score.LevelScore, (10 + 1) * 3);
    EXPECT_EQ(Customer(0).Orders[0].Remaining, 0);
    ASSERT_FALSE(maker.BonusTexts.empty());
    EXPECT_EQ(maker.BonusTexts.back(), "+$33");
}

TEST_F(CombiningTest, AGroupPaysForEveryOutfitEvenWhenTheCustomerWantedFewer)
{
    player.ShopBonus = 5;
    Wants(0, 2);
    ASSERT_TRUE(DropCompleting(2));
    EXPECT_EQ(level->Play.Score.LevelScore, (10 + 5 + 1) * 3);
    EXPECT_EQ(Customer(0).Orders[0].Remaining, 0);
    EXPECT_EQ(level->Play.Score.OutfitsServed, 2);
    ASSERT_FALSE(maker.BonusTexts.empty());
    EXPECT_EQ(maker.BonusTexts.back(), "+$48");
    EXPECT_EQ(effects.Count("efBonus.xml"), 1);
}

TEST_F(CombiningTest, AnOutfitNobodyWantsLeavesWithoutPayAndAGroupOfThreeLeavesABag)
{
    pictures.Sizes["MoneyBonusSmall.png"] = {40, 44};
    ASSERT_TRUE(DropCompleting(2));
    EXPECT_EQ(level->Play.Score.LevelScore, 0);
    EXPECT_EQ(Leaving(), 3);
    for (const TFish& fish : level->Belt.Fishes) {
        if (fish.LeaveAt > 0) {
            EXPECT_EQ(fish.CustomerIndex, -1);
        }
    }
    // The source leaves the belt with the drop; the group leaves 900 ms later.
    level->Belt.Fishes.erase(level->Belt.Fishes.begin() + 3);
    clock.Advance(900);
    Place();
    ASSERT_EQ(level->Belt.Fishes.size(), 1u);
    EXPECT_EQ(level->Belt.Fishes[0].Kind, TFishKind::MoneyBag);
    EXPECT_EQ(level->Belt.Fishes[0].BagCount, 3);
}

TEST_F(CombiningTest, TheGroupGoesOnBeyondTheSelectedPieceButNotIntoTheHatchOrALeavingGroup)
{
    PutGarment(8000, 0, "1");  // 0
    PutGarment(7000, 0, "2");  // 1: the selected source
    PutGarment(6000, 0, "1");  // 2: the target
    PutGarment(5000, 0, "1");  // 3
    PutGarment(4000, 0, "1");  // 4: already leaving
    level->Belt.Fishes[4].LeaveAt = clock.NowMs() + 500;
    level->Belt.SelectedIndex = 1;
    ASSERT_TRUE(PutFishInsideFish(*level, game, 1, 2, clock.NowMs()));
    EXPECT_EQ(level->Play.Score.ExelentCount, 1);
    EXPECT_EQ(Leaving(), 4);  // 0, 2, 3 and the one that left before
    EXPECT_GT(level->Belt.Fishes[0].LeaveAt, 0);
    EXPECT_EQ(level->Belt.Fishes[4].LeaveAt, clock.NowMs() + 500);

    std::vector<int32_t> group;
    level->Belt.Fishes.clear();
    PutGarment(9800, 0, "12");  // in the hatch
    PutGarment(8000, 0, "12");
    PutGarment(6000, 0, "12");
    level->Belt.SelectedIndex = -1;
    FullDress(*level, 2, group, true);
    EXPECT_EQ(group, (std::vector<int32_t>{2, 1}));
}

TEST_F(CombiningTest, AnUnfinishedOutfitStaysSelectedUnlessStaySelectIsOn)
{
    for (int staySelect : {0, 1}) {
        SCOPED_TRACE(staySelect);
        game.Options.StaySelect = staySelect;
        level->Belt.Fishes.clear();
        PutGarment(6000, 3, "1");
        PutGarment(4000, 3, "2");
        level->Belt.SelectedIndex = 1;
        level->Belt.NextSelection = -1;
        ASSERT_TRUE(PutFishInsideFish(*level, game, 1, 0, clock.NowMs()));
        EXPECT_EQ(sounds.Events.back(), "InsertDress");
        EXPECT_EQ(level->Belt.NextSelection, staySelect ? -1 : 0);
        EXPECT_EQ(level->Belt.Fishes[0].Selected, staySelect == 0);
        EXPECT_EQ(level->Belt.Fishes[0].LeaveAt, 0);
    }
}

TEST_F(CombiningTest, APlusOneDroppedOnAGarmentBecomesThatGarment)
{
    TFish plus;
    plus.Kind = TFishKind::PlusOne;
    plus.Position = 6000;
    level->Belt.Fishes.push_back(std::move(plus));
    PutGarment(4000, 4, "13");
    level->Belt.SelectedIndex = 1;
    ASSERT_TRUE(PutFishInsideFish(*level, game, 1, 0, clock.NowMs()));
    const TFish& target = level->Belt.Fishes[0];
    EXPECT_EQ(target.Kind, TFishKind::Garment);
    EXPECT_EQ(target.TypeIndex, 4);
    EXPECT_EQ(PartDigits(target.TargetParts), "123");
}

}  // namespace
