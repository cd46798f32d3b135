// The score and its goal floors, lost garments, bonus pieces used by a click, money bags,
// and the countdowns and achievements that unlock shop upgrades.
#include "LevelPlayTestKit.h"

#include "gameplay/Bonuses.h"
#include "gameplay/Combining.h"
#include "gameplay/Scoring.h"

namespace {

class ScoringTest : public TPlayFixture {
protected:
    ScoringTest()
    {
        Run();
        pictures.Sizes["MoneyBonusSmall.png"] = {40, 44};
        pictures.Sizes["MoneyBonus.png"] = {50, 54};
    }

    TFish& PutKind(int32_t position, TFishKind kind, int bagCount = 0)
    {
        TFish fish;
        fish.Kind = kind;
        fish.Position = position;
        fish.BagCount = bagCount;
        fish.AppearTime = clock.NowMs();
        MakeFishSurfName(*level, fish);
        level->Belt.Fishes.push_back(std::move(fish));
        return level->Belt.Fishes.back();
    }
};

TEST_F(ScoringTest, TheScoreNeverFallsBelowAGoalItHasReached)
{
    struct TCase {
        int32_t Before, Amount, After;
    };
    // Goal 100, expert goal 200.
    const TCase cases[] = {{50, -10, 40}, {5, -10, 0}, {100, -10, 100}, {150, -60, 100}, {200, -10, 200},
                           {190, 20, 210}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Before);
        level->Play.Score.LevelScore = c.Before;
        player.CurrentScore = 1000;
        AddScore(*level, game, c.Amount, 0, clock.NowMs());
        EXPECT_EQ(level->Play.Score.LevelScore, c.After);
        EXPECT_EQ(player.CurrentScore, 1000 + c.After - c.Before);  // the money moves with it
    }
}

TEST_F(ScoringTest, ALostGarmentCostsTenOnceAndTheLevelIsNoLongerWithoutLoss)
{
    level->Play.Score.LevelScore = 100;  // the goal: it stays there
    PutGarment(9400, 0, "1");
    Place();
    clock.Advance(20);
    level->Belt.Fishes[0].Position = 9600;  // into the hatch
    for (int i = 0; i < 5; ++i)
        Place();
    EXPECT_EQ(level->Play.Score.LevelScore, 100);
    EXPECT_FALSE(level->Play.Score.NoLossFlag);
    EXPECT_EQ(level->Play.Score.GarmentsLost, 1);
    level->Play.Score.LevelScore = 50;
    level->Belt.Fishes.clear();
    PutGarment(9600, 0, "1");
    Place();
    Place();
    EXPECT_EQ(level->Play.Score.LevelScore, 40);
}

TEST_F(ScoringTest, AMoneyBagOfThreePaysFourThreeTimesAndThenDisappears)
{
    PutKind(5000, TFishKind::MoneyBag, 3);
    for (int click = 1; click <= 3; ++click) {
        SCOPED_TRACE(click);
        ASSERT_TRUE(GiveBonus(*level, game, 0, clock.NowMs()));
        EXPECT_EQ(level->Play.Score.LevelScore, 4 * click);
        EXPECT_EQ(sounds.Events.back(), "ClickOnMoneyBag");
        clock.Advance(100);
    }
    EXPECT_TRUE(level->Belt.Fishes.empty());
    EXPECT_EQ(level->Play.Score.BagsCount, 1);
    EXPECT_EQ(effects.Count("efMoneyBonusDisappear.xml"), 1);
    EXPECT_EQ(effects.Count("ef4BaksUp.xml"), 3);
}

TEST_F(ScoringTest, ABagOfFourShrinksToTheSmallBagPicture)
{
    PutKind(5000, TFishKind::MoneyBag, 4);
    EXPECT_EQ(level->Belt.Fishes[0].PictureName, "MoneyBonus.png");
    GiveBonus(*level, game, 0, clock.NowMs());
    EXPECT_EQ(level->Belt.Fishes[0].BagCount, 3);
    EXPECT_EQ(level->Belt.Fishes[0].PictureName, "MoneyBonusSmall.png");
    EXPECT_EQ(level->Belt.Fishes[0].AppearTime, clock.NowMs());
}

TEST_F(ScoringTest, BagsLeftWhenTheTimeIsUpPayEightEach)
{
    PutKind(6000, TFishKind::MoneyBag, 3);
    PutKind(3000, TFishKind::MoneyBag, 5);
    EXPECT_EQ(CollectMoneyBags(*level, game, clock.NowMs()), 2);
    EXPECT_EQ(level->Play.Score.LevelScore, 16);
    EXPECT_EQ(effects.Count("efCoin.xml"), 4);
}

TEST_F(ScoringTest, ReverseAndPauseBonusesStartAfterAMomentAndAPauseEndsAReverse)
{
    PutKind(6000, TFishKind::Reverse);
    PutKind(3000, TFishKind::Pause);
    const int64_t now = clock.NowMs();
    ASSERT_TRUE(GiveBonus(*level, game, 0, now));
    EXPECT_EQ(level->Belt.ReverseStart, now + 300);
    EXPECT_EQ(sounds.Events.back(), "BonusReverce");
    ASSERT_EQ(level->Belt.Fishes.size(), 1u);
    ASSERT_TRUE(GiveBonus(*level, game, 0, now + 500));
    EXPECT_EQ(level->Belt.PauseStart, now + 800);
    EXPECT_EQ(level->Belt.ReverseStart, -1);
    EXPECT_EQ(level->Belt.ReverseEnd, now + 500);
    EXPECT_TRUE(level->Belt.Fishes.empty());
}

TEST_F(ScoringTest, TheTransformBonusRepaintsGarmentsKeepingTheirParts)
{
    PutKind(8000, TFishKind::Transform);
    for (int i = 0; i < 6; ++i)
        PutGarment(7000 - 1000 * i, 0, i % 2 ? "1" : "2");
    random.Seed(3);
    ASSERT_TRUE(GiveBonus(*level, game, 0, clock.NowMs()));
    int changed = 0;
    for (const TFish& fish : level->Belt.Fishes) {
        EXPECT_TRUE(fish.TypeIndex >= 0 && fish.TypeIndex <= 2);
        EXPECT_EQ(PartCount(fish.Parts), 1);
        if (fish.TypeIndex != 0) {
            ++changed;
            EXPECT_EQ(fish.BlinkAt, clock.NowMs() + 700);
            EXPECT_EQ(fish.EffectFile, "efBonusRepaintOnWear.xml");
            EXPECT_EQ(fish.PictureName.rfind("FishkaTypes" + std::to_string(fish.TypeIndex) + "_", 0), 0u);
        }
    }
    EXPECT_GT(changed, 0);
    EXPECT_EQ(level->Belt.Fishes.size(), 6u);
    EXPECT_EQ(sounds.Events.back(), "BonusTransform");
}

// A repainted half of a three-part hat could become a finished two-part dress, which
// nothing can be dropped on and nobody is served: it could only fall into the hatch.
TEST_F(ScoringTest, TheTransformBonusNeverFinishesAnOutfit)
{
    level->LevelFishes = {3, 0, 4};
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        level->Belt.Fishes.clear();
        PutKind(8000, TFishKind::Transform);
        for (int i = 0; i < 6; ++i)
            PutGarment(7000 - 1000 * i, 3, "12");
        random.Seed(seed);
        ASSERT_TRUE(GiveBonus(*level, game, 0, clock.NowMs()));
        for (const TFish& fish : level->Belt.Fishes) {
            EXPECT_FALSE(FullMakeFishka(*level, fish)) << fish.TypeIndex;
            EXPECT_EQ(PartDigits(fish.Parts), "12");
        }
    }
}

TEST_F(ScoringTest, CountdownsUnlockTheirUpgradeAndItsWindowFollows)
{
    player.Unlock.Great = {2, 3};
    player.Unlock.BagsCount = {1, 5};
    CountCombo(*level, game, 2, clock.NowMs());
    EXPECT_FALSE(player.NewlyUnlocked[2]);
    CountCombo(*level, game, 3, clock.NowMs());
    EXPECT_TRUE(player.NewlyUnlocked[2]);
    EXPECT_EQ(player.Unlock.Great.Value, 10000);
    EXPECT_EQ(level->Play.Flow.UnlockShowAt, clock.NowMs() + 2000);
    CountEmptiedBag(*level, game, clock.NowMs());
    EXPECT_TRUE(player.NewlyUnlocked[4]);
    Play(2000);
    EXPECT_EQ(host.Unlocks, (std::vector<int32_t>{5}));

    // The first level of an episode unlocks nothing with bags.
    player.NewlyUnlocked.fill(false);
    player.Unlock.BagsCount = {1, 5};
    level->LevelIndex = 0;
    CountEmptiedBag(*level, game, clock.NowMs());
    EXPECT_FALSE(player.NewlyUnlocked[4]);
}

TEST_F(ScoringTest, AScoreFarAboveTheExpertGoalUnlocksTheExtraExpertUpgrade)
{
    player.Unlock.ExtraExpertGoal = {20, 2};
    AddScore(*level, game, 230, 0, clock.NowMs());  // 15 % above
    EXPECT_FALSE(player.NewlyUnlocked[1]);
    AddScore(*level, game, 10, 0, clock.NowMs());  // 20 %
    EXPECT_TRUE(player.NewlyUnlocked[1]);
    EXPECT_EQ(player.Unlock.ExtraExpertGoal.Value, 1000000);
}

TEST_F(ScoringTest, ACompletedLevelKeepsTheBestCountsAndTheNoLossFlag)
{
    player.GreatCount = 5;
    player.BagsCount = 1;
    player.Unlock.NoMinus10Slot = 6;
    level->Play.Score.GreatCount = 3;
    level->Play.Score.BagsCount = 4;
    level->Play.Score.LevelScore = 250;  // 25 % above the expert goal
    UpdateAchievements(*level, game, clock.NowMs());
    EXPECT_EQ(player.GreatCount, 5);
    EXPECT_EQ(player.BagsCount, 4);
    EXPECT_TRUE(player.NoMinus10);
    EXPECT_TRUE(player.NewlyUnlocked[5]);
    EXPECT_EQ(player.ExtraExpertGoal, 25);
}

}  // namespace
