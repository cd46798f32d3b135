// Leaving pieces and money bags.
#include "gameplay/MoneyBags.h"

#include "audio/SoundEvents.h"
#include "gameplay/FishList.h"
#include "gameplay/FishPictures.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFrame.h"

#include <numeric>

namespace {

constexpr int kBagFromGroup = 3;           // a group of this many or more leaves a bag
constexpr int32_t kBagBlinkDelay = 600;    // ms before a new bag shows
constexpr int32_t kBagWarning = 2000;      // ms before its end a bag changes its effect
const std::string kBagEffect = "efMoneyBonus.xml";
const std::string kBagEndingEffect = "efMoneyBonusClick.xml";

TPoint Centre(const TFish& fish)
{
    return {static_cast<int32_t>(fish.X + fish.Width / 2), static_cast<int32_t>(fish.Y + fish.Height / 2)};
}

}  // namespace

TLeftGroup RemoveLeavingFishes(tLevel& level, int64_t now)
{
    TLeftGroup group;
    bool coinSound = false;
    auto& fishes = level.Belt.Fishes;
    for (int32_t i = 0; i < static_cast<int32_t>(fishes.size());) {
        TFish& fish = fishes[static_cast<size_t>(i)];
        if (fish.LeaveAt <= 0 || fish.LeaveAt > now) {
            ++i;
            continue;
        }
        if (fish.HasCoin) {
            TPoint c = Centre(fish);
            level.Effects().CreateEffect(TEffectList::Screen, "efCoin1.xml", c.X, c.Y, -1, "CoinSmall.png");
            coinSound = true;
        }
        level.Events().PieceLeft(level, fish);
        group.Positions.push_back(fish.Position);
        group.LastIndex = i;
        DeleteFishes(level, i);
    }
    if (coinSound)
        level.Sounds().AddSoundEffect("ClickOnMoneyBag");
    return group;
}

bool AddMoneyBag(tLevel& level, const TLeftGroup& group, int64_t now)
{
    int count = static_cast<int>(group.Positions.size());
    if (count < kBagFromGroup)
        return false;
    int64_t sum = std::accumulate(group.Positions.begin(), group.Positions.end(), int64_t{0});
    TFish bag;
    bag.Kind = TFishKind::MoneyBag;
    bag.TypeIndex = 0;
    bag.BagCount = count;
    bag.Position = static_cast<int32_t>(sum / count);
    bag.AppearTime = now;
    bag.BlinkAt = now + kBagBlinkDelay;
    MakeFishSurfName(level, bag);
    bag.EffectFile = kBagEffect;
    bag.Effect = level.Effects().LoadPieceEffect(kBagEffect, now);
    InsertFish(level, group.LastIndex, std::move(bag));
    level.Sounds().AddSoundEffect("MoneyBag");
    return true;
}

void TickMoneyBags(tLevel& level, const TLevelFrame& frame)
{
    auto& fishes = level.Belt.Fishes;
    const int32_t lifetime = level.Tuning.TimeShowMoneyBag;
    for (int32_t i = 0; i < static_cast<int32_t>(fishes.size());) {
        TFish& bag = fishes[static_cast<size_t>(i)];
        if (bag.Kind != TFishKind::MoneyBag) {
            ++i;
            continue;
        }
        if (frame.Mode == TLevelMode::Dialog)
            bag.AppearTime += frame.Dt;
        int64_t age = frame.Now - bag.AppearTime;
        if (age > lifetime) {
            DeleteFishes(level, i);
            continue;
        }
        if (age > lifetime - kBagWarning && bag.EffectFile != kBagEndingEffect) {
            bag.EffectFile = kBagEndingEffect;
            bag.EffectX = bag.Width / 2;
            bag.EffectY = bag.Height / 2;
            bag.Effect = level.Effects().LoadPieceEffect(kBagEndingEffect, frame.Now);
        }
        ++i;
    }
}
