// The player's way through the episodes: outfits of a level, derived values, advancing.
#include "MetagameTestKit.h"

#include "metagame/EpisodProgress.h"
#include "metagame/Episods.h"
#include "metagame/GameTables.h"
#include "metagame/Player.h"
#include "metagame/Shop.h"

namespace {

// Episodes with two levels each and outfit stages of three columns; types are numbered
// 10 * episode + 3 * (stage - 1) + column.
TEpisods MakeEpisods(int playable, int total)
{
    TEpisods episods;
    episods.Items.resize(static_cast<size_t>(total));
    for (int e = 0; e < playable; ++e) {
        TEpisod& episod = episods.Items[static_cast<size_t>(e)];
        const int stages = e < 2 ? 2 : 3;
        for (int s = 0; s < stages; ++s)
            episod.LevelFishes.push_back({10 * e + 3 * s, 10 * e + 3 * s + 1, 10 * e + 3 * s + 2});
        episod.Levels.resize(2);
    }
    return episods;
}

TEST(Progress, OutfitsOfALevelFollowTheStagesBought)
{
    TEpisods episods = MakeEpisods(3, 8);
    struct TCase {
        int32_t Episod;
        std::array<int32_t, 3> Kostums;
        int32_t Cur;
        std::vector<int32_t> Types;
        int32_t Allowed;
        int32_t Owned;
    } cases[] = {
        {0, {1, 1, 0}, 1, {0, 1}, 2, 2},        // a new game: two columns, two customers
        {0, {1, 1, 1}, 1, {0, 1, 2}, 3, 3},     // the third column bought
        {0, {2, 1, 1}, 1, {3, 1, 2}, 3, 3},     // column 1 at stage 2, a stage-1 outfit bought last
        {0, {2, 1, 1}, 2, {3}, 1, 3},           // the stage-2 outfit bought last
        {2, {1, 1, 1}, 1, {20, 21, 22}, 3, 3},  // third episode: every column owned
        {2, {3, 2, 1}, 2, {26, 24}, 2, 3},
        {0, {5, 0, 0}, 0, {}, 1, 1},            // no such stage: no type
    };
    for (const TCase& c : cases) {
        TPlayer player;
        player.Kostums = c.Kostums;
        player.Cur = c.Cur;
        EXPECT_EQ(LevelOutfitTypes(player, episods.Episod(c.Episod)), c.Types) << c.Episod << " " << c.Cur;
        EXPECT_EQ(AllowedCustomers(player), c.Allowed);
        EXPECT_EQ(OwnedOutfitCount(player), c.Owned);
    }
    EXPECT_TRUE(LevelOutfitTypes(TPlayer{}, nullptr).empty());
}

TEST(Progress, DerivedValuesOfTheCurrentEpisode)
{
    TEpisods episods = MakeEpisods(3, 8);
    TShop shop;
    TPlayer player;
    player.CurrentEpisod = 0;
    player.Kostums = {1, 4, 0};
    RefreshPlayerDerived(player, episods, shop);
    EXPECT_EQ(player.MaxKostum, 3);  // capped at the episode's stages + 1
    EXPECT_EQ(player.ShopWearTypes, (std::array<int32_t, 6>{0, 1, 2, 3, 4, 5}));

    player.CurrentEpisod = 2;  // stages 2 and 3 on the wear page
    player.Kostums = {0, 0, 0};
    RefreshPlayerDerived(player, episods, shop);
    EXPECT_EQ(player.MaxKostum, 1);
    EXPECT_EQ(player.ShopWearTypes, (std::array<int32_t, 6>{23, 24, 25, 26, 27, 28}));

    // An episode without stages leaves the wear types as they were.
    player.CurrentEpisod = 5;
    RefreshPlayerDerived(player, episods, shop);
    EXPECT_EQ(player.ShopWearTypes, (std::array<int32_t, 6>{23, 24, 25, 26, 27, 28}));

    // Before the episodes are loaded the indices are left alone.
    TPlayer early;
    early.CurrentEpisod = 6;
    early.CurrentLevel = 9;
    RefreshPlayerDerived(early, TEpisods{}, shop);
    EXPECT_EQ(early.CurrentEpisod, 6);
    EXPECT_EQ(early.CurrentLevel, 9);
}

TEST(Progress, NextLevelThenNextEpisodeWithItsResets)
{
    TEpisods episods = MakeEpisods(3, 8);
    TPlayer player;
    player.CurrentEpisod = 1;
    player.MaxEpisod = 1;
    player.BagsCount = 5;
    player.GreatCount = 1;
    player.ExelentCount = 2;
    player.IncredibleCount = 3;
    player.FantasticCount = 4;
    player.ExtraExpertGoal = 30;
    player.NoMinus10 = true;
    player.NoBy = 3;
    player.Kostums = {2, 2, 2};
    player.Cur = 2;
    player.OutfitsBoughtThisVisit = 2;

    EXPECT_EQ(AdvanceAfterLevel(player, episods), TProgress::NextLevel);
    EXPECT_EQ(player.CurrentLevel, 1);
    EXPECT_EQ(player.BagsCount, 5);

    EXPECT_EQ(AdvanceAfterLevel(player, episods), TProgress::NextEpisode);
    EXPECT_TRUE(player.WinEpisode[1]);
    EXPECT_EQ(player.CurrentEpisod, 2);
    EXPECT_EQ(player.MaxEpisod, 2);
    EXPECT_EQ(player.CurrentLevel, 0);
    EXPECT_EQ(player.BagsCount, 0);
    EXPECT_EQ(player.GreatCount + player.ExelentCount + player.IncredibleCount + player.FantasticCount, 0);
    EXPECT_EQ(player.ExtraExpertGoal, 0);
    EXPECT_FALSE(player.NoMinus10);
    EXPECT_EQ(player.NoBy, -1);
    EXPECT_EQ(player.Kostums, (std::array<int32_t, 3>{1, 1, 1}));  // the third episode owns every column
    EXPECT_EQ(player.Cur, 1);
    EXPECT_EQ(player.OutfitsBoughtThisVisit, 0);
}

// Padding episodes have no levels: finishing the last real one completes the game.
TEST(Progress, AfterTheLastPlayableEpisodeTheGameIsComplete)
{
    TEpisods episods = MakeEpisods(3, 8);
    TPlayer player;
    player.CurrentEpisod = 2;
    player.CurrentLevel = 1;
    EXPECT_EQ(AdvanceAfterLevel(player, episods), TProgress::GameComplete);
    EXPECT_TRUE(player.WinEpisode[2]);
    EXPECT_EQ(player.CurrentEpisod, 2);
    EXPECT_EQ(player.MaxEpisod, 2);
    EXPECT_EQ(player.CurrentLevel, 0);
}

TEST(Progress, ResetsOfANewGame)
{
    TPlayer player;
    player.WinGame = true;
    player.CurrentEpisod = player.MaxEpisod = 4;
    player.CurrentLevel = 3;
    player.CurrentScore = 900;
    player.HintsShown = {1};
    player.ShowInHighScores = false;
    player.UpdateObjects = {{1}};
    player.SpeedPlay = 0.9;
    player.ShowInstructions = false;

    TPlayer kept = player;
    ResetPlayerState(kept, true);
    EXPECT_EQ(kept.CurrentScore, 0);
    EXPECT_TRUE(kept.UpdateObjects.empty());
    EXPECT_TRUE(kept.WinGame);
    EXPECT_EQ(kept.MaxEpisod, 4);
    EXPECT_EQ(kept.HintsShown, std::vector<int32_t>{1});

    ResetPlayerState(player, false);
    EXPECT_FALSE(player.WinGame);
    EXPECT_EQ(player.CurrentEpisod + player.MaxEpisod + player.CurrentLevel, 0);
    EXPECT_TRUE(player.HintsShown.empty());
    EXPECT_TRUE(player.ShowInHighScores);
    EXPECT_DOUBLE_EQ(player.SpeedPlay, 0.9);
    EXPECT_FALSE(player.ShowInstructions);

    player.UpdateObjects = {{1}, {2, 3}};
    ForgetEpisodUpgrades(player, 1);
    ForgetEpisodUpgrades(player, 9);
    EXPECT_EQ(player.UpdateObjects, (std::vector<std::vector<int32_t>>{{1}, {}}));
}

}  // namespace
