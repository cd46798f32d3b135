// The level's score and the player's achievements.
#include "gameplay/Scoring.h"

#include "foundation/Text.h"
#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"
#include "gameplay/Serving.h"

#include <algorithm>

namespace {

constexpr int32_t kLostGarmentPenalty = 10;
constexpr int32_t kUnlockWindowDelay = 2000;  // ms after the unlock
// A countdown that has done its work cannot be reached again in this level.
constexpr int32_t kSpentCountdown = 10000;
constexpr int32_t kSpentExpertCountdown = 1000000;

// The score never falls below a goal it has reached.
int32_t ScoreFloor(const tLevel& level, int32_t score)
{
    int32_t floor = 0;
    if (score >= level.Goals.Goal)
        floor = level.Goals.Goal;
    if (score >= level.Goals.ExGoal)
        floor = std::max(floor, level.Goals.ExGoal);
    return std::max(floor, 0);
}

// One countdown step: below 1 it unlocks its item and is spent.
void CountDown(tLevel& level, TLevelGame& game, TUnlockCountdown& countdown, int64_t now)
{
    --countdown.Value;
    if (countdown.Value < 1) {
        UnlockShopItem(level, game, countdown.Slot, now);
        countdown.Value = kSpentCountdown;
    }
}

void CheckExtraExpert(tLevel& level, TLevelGame& game, int64_t now)
{
    const int32_t exGoal = level.Goals.ExGoal;
    const int32_t score = level.Play.Score.LevelScore;
    if (!CountsForUnlocks(level) || exGoal <= 0 || score < exGoal)
        return;
    TUnlockCountdown& threshold = game.ThePlayer().Unlock.ExtraExpertGoal;
    const int64_t percent = (static_cast<int64_t>(score) - exGoal) * 100 / exGoal;
    if (percent >= threshold.Value) {
        UnlockShopItem(level, game, threshold.Slot, now);
        threshold.Value = kSpentExpertCountdown;
    }
}

}  // namespace

bool CountsForUnlocks(const tLevel& level)
{
    return IsStandardLevel(level) && level.LevelIndex > 0 && !level.Demo.Playback;
}

bool AddScore(tLevel& level, TLevelGame& game, int32_t amount, int32_t delay, int64_t now)
{
    if (level.Demo.Playback)
        return true;
    TLevelScoring& score = level.Play.Score;
    const int32_t before = score.LevelScore;
    const int32_t floor = ScoreFloor(level, before);
    const int64_t raw = static_cast<int64_t>(before) + amount;
    score.LevelScore = static_cast<int32_t>(std::clamp<int64_t>(raw, floor, INT32_MAX));
    // The money moves with the score, so a loss the floor absorbs costs no money either.
    game.ThePlayer().CurrentScore += score.LevelScore - before;
    score.ScoreQueue.push_back({now + delay, score.LevelScore});
    CheckExtraExpert(level, game, now);
    return score.LevelScore != before;
}

void ChargeLostGarment(tLevel& level, TLevelGame& game, int64_t now)
{
    AddScore(level, game, -kLostGarmentPenalty, 0, now);
    level.Play.Score.NoLossFlag = false;
    ++level.Play.Score.GarmentsLost;
}

int32_t OutfitValue(const tLevel& level, TLevelGame& game, int32_t typeIndex)
{
    return game.TypeValue(level, typeIndex) + game.ThePlayer().ShopBonus;
}

void CountCombo(tLevel& level, TLevelGame& game, int32_t n, int64_t now)
{
    if (n < 2 || n > kMaxCombo)
        return;
    TLevelScoring& score = level.Play.Score;
    TUnlockCountdowns& unlock = game.ThePlayer().Unlock;
    switch (n) {
    case 2: ++score.GreatCount; break;
    case 3: ++score.ExelentCount; break;
    case 4: ++score.IncredibleCount; break;
    default: ++score.FantasticCount; break;
    }
    CountDown(level, game, unlock.Great, now);
    if (n >= 3)
        CountDown(level, game, unlock.Excellent, now);
    if (n >= 4)
        CountDown(level, game, unlock.Incredible, now);
    if (n >= 5)
        CountDown(level, game, unlock.Fantastic, now);
}

void CountEmptiedBag(tLevel& level, TLevelGame& game, int64_t now)
{
    TLevelScoring& score = level.Play.Score;
    ++score.BagsCount;
    TUnlockCountdown& threshold = game.ThePlayer().Unlock.BagsCount;
    if (CountsForUnlocks(level) && score.BagsCount >= threshold.Value) {
        UnlockShopItem(level, game, threshold.Slot, now);
        threshold.Value = kSpentCountdown;
    }
}

void UnlockShopItem(tLevel& level, TLevelGame& game, int32_t slot, int64_t now)
{
    if (slot < 1 || slot > kUpgradeSlots)
        return;
    game.ThePlayer().NewlyUnlocked[static_cast<size_t>(slot - 1)] = true;
    level.Play.Flow.UnlockShowAt = now + kUnlockWindowDelay;
    level.Play.Flow.UnlockSlot = slot;
}

void UpdateAchievements(tLevel& level, TLevelGame& game, int64_t now)
{
    if (!CountsForUnlocks(level))
        return;
    TPlayer& player = game.ThePlayer();
    const TLevelScoring& score = level.Play.Score;
    player.BagsCount = std::max(player.BagsCount, score.BagsCount);
    player.GreatCount = std::max(player.GreatCount, score.GreatCount);
    player.ExelentCount = std::max(player.ExelentCount, score.ExelentCount);
    player.IncredibleCount = std::max(player.IncredibleCount, score.IncredibleCount);
    player.FantasticCount = std::max(player.FantasticCount, score.FantasticCount);
    if (!player.NoMinus10 && score.NoLossFlag)
        UnlockShopItem(level, game, player.Unlock.NoMinus10Slot, now);
    player.NoMinus10 = player.NoMinus10 || score.NoLossFlag;
    const int32_t exGoal = level.Goals.ExGoal;
    if (exGoal > 0 && score.LevelScore > exGoal) {
        double percent = static_cast<double>(score.LevelScore - exGoal) / exGoal * 100.0;
        player.ExtraExpertGoal = std::max(player.ExtraExpertGoal, RoundHalfEven(percent));
    }
}
