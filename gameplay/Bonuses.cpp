// Using bonus pieces and money bags.
#include "foundation/QelLog.h"
#include "gameplay/Bonuses.h"

#include "audio/SoundEvents.h"
#include "gameplay/Combining.h"
#include "gameplay/FishList.h"
#include "gameplay/FishPictures.h"
#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"
#include "gameplay/Scoring.h"

#include <exception>

namespace {

constexpr int32_t kBonusStartDelay = 300;   // ms before the belt obeys a reverse or pause
constexpr int32_t kRepaintBlink = 700;      // ms a repainted garment stays hidden
constexpr int32_t kBagCoin = 4;             // money a click on a bag pays
constexpr int32_t kPlusFourDelay = 100;     // ms after the coin
constexpr int32_t kBagClickBlink = 150;     // ms
constexpr int32_t kCollectedBagPays = 8;    // a bag collected at the end of the level
constexpr int32_t kCollectCoinDelays[] = {100, 400};  // ms
constexpr int32_t kCollectSoundDelays[] = {0, 300, 600};  // ms

TPoint Centre(const TFish& fish)
{
    return {static_cast<int32_t>(fish.X + fish.Width / 2), static_cast<int32_t>(fish.Y + fish.Height / 2)};
}

TPoint TopLeft(const TFish& fish) { return {static_cast<int32_t>(fish.X), static_cast<int32_t>(fish.Y)}; }

void UseReverse(tLevel& level, TLevelGame&, int32_t index, int64_t now)
{
    TPoint at = TopLeft(level.Belt.Fishes[static_cast<size_t>(index)]);
    level.Effects().CreateEffect(TEffectList::Screen, "efBonusReverce.xml", at.X, at.Y);
    level.Sounds().AddSoundEffect("BonusReverce");
    level.Belt.ReverseStart = now + kBonusStartDelay;
    DeleteFishes(level, index);
}

void UsePause(tLevel& level, TLevelGame&, int32_t index, int64_t now)
{
    TPoint at = TopLeft(level.Belt.Fishes[static_cast<size_t>(index)]);
    level.Effects().CreateEffect(TEffectList::Screen, "efBonusPause.xml", at.X, at.Y);
    level.Sounds().AddSoundEffect("BonusPause");
    level.Belt.PauseStart = now + kBonusStartDelay;
    if (level.Belt.ReverseStart >= 0) {
        level.Belt.ReverseStart = -1;
        level.Belt.ReverseEnd = now;
    }
    DeleteFishes(level, index);
}

// The highest of the parts.
int HighestPart(const TFishParts& parts)
{
    int highest = 0;
    for (int p = 0; p < kPartSlots; ++p)
        if (parts[static_cast<size_t>(p)])
            highest = p + 1;
    return highest;
}

// Every garment on the belt takes a random type of the level that has its parts. A type
// those parts would finish is left out: a finished outfit on the belt takes no drop and is
// never served, it could only fall into the hatch.
void UseTransform(tLevel& level, TLevelGame&, int32_t index, int64_t now)
{
    TPoint at = TopLeft(level.Belt.Fishes[static_cast<size_t>(index)]);
    level.Effects().CreateEffect(TEffectList::Screen, "efBonusRepaint.xml", at.X, at.Y);
    level.Sounds().AddSoundEffect("BonusTransform");
    DeleteFishes(level, index);
    level.Pictures().LoadPicture("ptOneStarSmall2.png");
    for (TFish& fish : level.Belt.Fishes) {
        if (!fish.IsGarment() || fish.LeaveAt > 0)
            continue;
        const TFishParts parts = EffectiveParts(fish);
        std::vector<int32_t> candidates;
        for (int32_t type : level.LevelFishes)
            if (const TFishkaType* t = level.Types().Type(type);
                t && t->PieceCount >= HighestPart(parts) && !FullMakeFishka(level, type, parts))
                candidates.push_back(type);
        if (candidates.empty())
            continue;
        int32_t type = candidates[static_cast<size_t>(level.Random().Below(static_cast<int32_t>(candidates.size())))];
        if (type == fish.TypeIndex)
            continue;
        fish.TypeIndex = type;
        MakeFishSurfName(level, fish);
        fish.BlinkAt = now + kRepaintBlink;
        fish.EffectFile = "efBonusRepaintOnWear.xml";
        fish.Effect = level.Effects().LoadPieceEffect(fish.EffectFile, now);
        fish.EffectShown = true;
    }
}

void UseMoneyBag(tLevel& level, TLevelGame& game, int32_t index, int64_t now)
{
    TFish& bag = level.Belt.Fishes[static_cast<size_t>(index)];
    TPoint c = Centre(bag);
    level.Effects().CreateEffect(TEffectList::Screen, "efCoin.xml", c.X, c.Y, -1, "CoinSmall.png");
    level.Effects().CreateEffect(TEffectList::Screen, "ef4BaksUp.xml", c.X, c.Y, now + kPlusFourDelay, "plusbaks.png");
    level.Sounds().AddSoundEffect("ClickOnMoneyBag");
    AddScore(level, game, kBagCoin, 0, now);
    bag.EffectFile = "efMoneyBonusClick.xml";
    bag.Effect = level.Effects().LoadPieceEffect(bag.EffectFile, now);
    bag.BlinkAt = now + kBagClickBlink;
    --bag.BagCount;
    bag.AppearTime = now;
    if (bag.BagCount > 0) {
        MakeFishSurfName(level, bag);
        return;
    }
    level.Effects().CreateEffect(TEffectList::Screen, "efMoneyBonusDisappear.xml", c.X, c.Y);
    DeleteFishes(level, index);
    CountEmptiedBag(level, game, now);
}

struct TBonusRow {
    TFishKind Kind;
    void (*Use)(tLevel&, TLevelGame&, int32_t, int64_t);
};
constexpr TBonusRow kBonusRows[] = {
    {TFishKind::Reverse, UseReverse},
    {TFishKind::Pause, UsePause},
    {TFishKind::Transform, UseTransform},
    {TFishKind::MoneyBag, UseMoneyBag},
};

}  // namespace

bool GiveBonus(tLevel& level, TLevelGame& game, int32_t index, int64_t now)
{
    return LogAndCarryOn(level.Links.Log, "Error TLevel.GiveBonus", false, [&] {
        if (index < 0 || index >= static_cast<int32_t>(level.Belt.Fishes.size()))
            return false;
        const TFishKind kind = level.Belt.Fishes[static_cast<size_t>(index)].Kind;
        for (const TBonusRow& row : kBonusRows)
            if (row.Kind == kind) {
                row.Use(level, game, index, now);
                return true;
            }
        return false;
    });
}

int32_t CollectMoneyBags(tLevel& level, TLevelGame& game, int64_t now)
{
    int32_t bags = 0;
    for (const TFish& fish : level.Belt.Fishes) {
        if (fish.Kind != TFishKind::MoneyBag)
            continue;
        ++bags;
        AddScore(level, game, kCollectedBagPays, 0, now);
        TPoint c = Centre(fish);
        for (int32_t delay : kCollectCoinDelays) {
            level.Effects().CreateEffect(TEffectList::Screen, "efCoin.xml", c.X, c.Y, now + delay, "CoinSmall.png");
            level.Effects().CreateEffect(TEffectList::Screen, "ef4BaksUp.xml", c.X, c.Y, now + delay + kPlusFourDelay,
                                         "plusbaks.png");
        }
    }
    if (bags > 0)
        for (int32_t delay : kCollectSoundDelays)
            level.Sounds().AddSoundEffect("ClickOnMoneyBag", 100, now + delay);
    return bags;
}
