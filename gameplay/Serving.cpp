// Serving a group of completed outfits.
#include "gameplay/Serving.h"

#include "audio/SoundEvents.h"
#include "foundation/Text.h"
#include "gameplay/Combining.h"
#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"

#include <algorithm>
#include <climits>

namespace {

// The combo's caption, effect and sound appear a little after the outfits start to leave,
// later for bigger groups.
constexpr int32_t kComboDelay = 600;      // ms
constexpr int32_t kComboDelayStep = 100;  // ms per outfit beyond the first
constexpr int32_t kScoreDisplayDelay = 1300;  // ms until the score shows the payment
constexpr int32_t kBonusLabelDelay = 1200;    // ms until the group's bonus shows at the bubble
constexpr int32_t kBubbleCountDelay = 1400;   // ms until the bubble shows the new count
constexpr int32_t kCustomerLeaveDelay = 1500;  // ms after the last outfit a customer wanted
constexpr int32_t kGroupLeaveDelay = 900;      // ms until served outfits leave the belt
constexpr int32_t kCombinedEffectDelay = 400;  // ms: the sparkle of a served outfit
constexpr int32_t kDropFlight = 400;           // ms
constexpr int32_t kCoinGroup = 3;              // groups this big drop coins as they leave

struct TComboRow {
    int32_t From;
    int32_t To;
    const char* Picture;
    const char* Effect;
    const char* Sound;
};
constexpr TComboRow kCombos[] = {
    {2, 2, "BonusGreat.png", "efBonusGreat.xml", "GBonusGreat"},
    {3, 3, "BonusExcellent.png", "efBonusExcellent.xml", "GBonusExcellent"},
    {4, 4, "BonusIncredible.png", "efBonusIncredible.xml", "GBonusIncredible"},
    {5, kMaxCombo, "BonusFantastic.png", "efBonusFantastic.xml", "GBonusIncredible"},
};

const TComboRow* ComboFor(int32_t n)
{
    for (const TComboRow& row : kCombos)
        if (n >= row.From && n <= row.To)
            return &row;
    return nullptr;
}

TPoint Centre(const TFish& fish)
{
    return {static_cast<int32_t>(fish.X + fish.Width / 2), static_cast<int32_t>(fish.Y + fish.Height / 2)};
}

// The middle of the group's pictures.
TPoint GroupMiddle(const tLevel& level, const std::vector<int32_t>& group)
{
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    for (int32_t i : group) {
        const TFish& f = level.Belt.Fishes[static_cast<size_t>(i)];
        left = std::min(left, f.X);
        top = std::min(top, f.Y);
        right = std::max(right, f.X + f.Width);
        bottom = std::max(bottom, f.Y + f.Height);
    }
    return {RoundHalfEven((left + right) / 2), RoundHalfEven((top + bottom) / 2)};
}

void ShowCombo(tLevel& level, TLevelGame& game, const std::vector<int32_t>& group, int64_t now)
{
    const int32_t n = static_cast<int32_t>(group.size());
    const TComboRow* combo = ComboFor(n);
    if (!combo) {
        level.Sounds().AddSoundEffect("FullDress");
        return;
    }
    const int64_t at = now + static_cast<int64_t>(n - 1) * kComboDelayStep + kComboDelay;
    TPoint middle = GroupMiddle(level, group);
    int32_t w = 0, h = 0;
    level.Pictures().PictureSize(combo->Picture, w, h);
    level.Effects().CreateEffect(TEffectList::Screen, combo->Effect, middle.X - w / 2, middle.Y - h / 2, at,
                                 combo->Picture);
    level.Sounds().AddSoundEffect(combo->Sound, 100, at);
    CountCombo(level, game, n, now);
}

// The pieces show the complete outfit's effect and drop coins when the group is big.
void DressGroup(tLevel& level, const std::vector<int32_t>& group, int64_t now)
{
    const bool coins = static_cast<int32_t>(group.size()) >= kCoinGroup;
    for (int32_t i : group) {
        TFish& fish = level.Belt.Fishes[static_cast<size_t>(i)];
        fish.HasCoin = coins;
        const TFishkaType* type = level.TypeOf(fish);
        if (!type || type->Pieces.empty())
            continue;
        const TFishPiece& complete = type->Pieces.back();
        fish.EffectFile = complete.Effect;
        fish.EffectX = complete.EffectX;
        fish.EffectY = complete.EffectY;
        fish.Effect = complete.Effect.empty() ? nullptr : level.Effects().LoadPieceEffect(complete.Effect, now);
    }
}

int32_t ServedSlot(const tLevel& level, int32_t typeIndex)
{
    for (size_t i = 0; i < level.LevelFishes.size() && i < static_cast<size_t>(kServedTypes); ++i)
        if (level.LevelFishes[i] == typeIndex)
            return static_cast<int32_t>(i);
    return -1;
}

bool AnyoneWaits(const TCustomers& customers)
{
    return std::any_of(customers.Persons.begin(), customers.Persons.end(),
                       [](const TPerson& p) { return !p.Leaving && p.Wanted > 0; });
}

// The first customer, least patient first, with an open order of the type gets what the
// group holds. Answers that customer, or -1.
int32_t ServeCustomer(tLevel& level, TLevelGame& game, int32_t typeIndex, int32_t n, int64_t now)
{
    TCustomers& customers = level.Play.Customers;
    for (int32_t index : customers.ServeOrder) {
        if (index < 0 || index >= static_cast<int32_t>(customers.Persons.size()))
            continue;
        TPerson& person = customers.Persons[static_cast<size_t>(index)];
        if (person.Leaving)
            continue;
        for (TOrder& order : person.Orders) {
            if (order.TypeIndex != typeIndex || order.Remaining == 0)
                continue;
            const int32_t served = std::min<int32_t>(order.Remaining, n);
            if (int32_t slot = ServedSlot(level, typeIndex); slot >= 0)
                level.Play.Score.LevelServed[static_cast<size_t>(slot)] += n;
            const int32_t each = OutfitValue(level, game, typeIndex) + (n > 1 ? 1 : 0);
            AddScore(level, game, each * n, kScoreDisplayDelay, now);
            if (n > 1) {
                game.ThePictureMaker().MakeBonusMoneyPicture("+" + game.Currency() + IntToStr(static_cast<int64_t>(each) * n));
                level.Effects().CreateEffect(TEffectList::Screen, "efBonus.xml", person.X + person.BubbleX,
                                             person.Y + person.BubbleY, now + kBonusLabelDelay, "BonusMoney.png");
            }
            order.Remaining = static_cast<uint8_t>(order.Remaining - served);
            order.ShowAt = now + kBubbleCountDelay;
            person.Wanted = static_cast<uint8_t>(std::max(0, person.Wanted - served));
            level.Play.Score.OutfitsServed += served;
            if (person.Wanted == 0) {
                person.LeaveAt = now + kCustomerLeaveDelay;
                --customers.ExpectedCount;
            }
            return index;
        }
    }
    return -1;
}

}  // namespace

void ServeGroup(tLevel& level, TLevelGame& game, int32_t source, int32_t target, const std::vector<int32_t>& group,
                int64_t now)
{
    auto& fishes = level.Belt.Fishes;
    const TFish& src = fishes[static_cast<size_t>(source)];
    const int32_t typeIndex = fishes[static_cast<size_t>(target)].TypeIndex;
    const int32_t n = static_cast<int32_t>(group.size());

    ShowCombo(level, game, group, now);
    DressGroup(level, group, now);

    int32_t customer = ServeCustomer(level, game, typeIndex, n, now);
    if (!AnyoneWaits(level.Play.Customers) && LevelTimeOver(level))
        level.Play.Flow.InputEnabled = false;

    const std::string typePicture = "PFishkaTypes" + std::to_string(typeIndex) + "_all.png";
    const TPoint from{static_cast<int32_t>(src.X), static_cast<int32_t>(src.Y)};
    for (int32_t i : group) {
        TFish& fish = fishes[static_cast<size_t>(i)];
        fish.CustomerIndex = customer;
        fish.LeaveAt = now + kGroupLeaveDelay;
        TPoint c = Centre(fish);
        level.Effects().CreateEffect(TEffectList::Screen, "efFishkaCombined.xml", c.X, c.Y,
                                     now + kCombinedEffectDelay, typePicture);
        if (i == target)
            continue;
        level.Effects().CreateMoveEffect("Move", src.PictureName, from,
                                         {static_cast<int32_t>(fish.X), static_cast<int32_t>(fish.Y)}, kDropFlight);
        fish.TargetParts = MergeParts(level, src, fish);
        fish.ApplyPartsAt = now;
        fish.PreviousPicture = fish.PictureName;
        fish.PreviousX = fish.X;
        fish.PreviousY = fish.Y;
        fish.Fade = fishes[static_cast<size_t>(target)].Fade;
    }
}
