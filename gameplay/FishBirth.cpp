// The birth rules of belt pieces.
#include "foundation/QelLog.h"
#include "gameplay/FishBirth.h"

#include "foundation/Random.h"
#include "gameplay/FishPictures.h"
#include "gameplay/Level.h"

#include <algorithm>
#include <cstdint>
#include <exception>

namespace {

// Weights of a birth's kind: a garment against each enabled bonus.
constexpr int32_t kGarmentWeight = 100;
constexpr int32_t kBonusWeight = 4;
// Every part of every type starts equal; each copy of it on the belt halves its chance.
constexpr int32_t kPartWeight = 100000;
constexpr int32_t kSpecialPartWeight = 100;
constexpr int kWeightsPerType = kMaxPieceCount;

bool OnBelt(const tLevel& level, TFishKind kind)
{
    return std::any_of(level.Belt.Fishes.begin(), level.Belt.Fishes.end(),
                       [&](const TFish& fish) { return fish.Kind == kind; });
}

// The kind of the next piece: a garment, or a bonus the shop has enabled that is not on
// the belt already.
TFishKind ChooseKind(tLevel& level)
{
    const TBonusEnables& on = level.Belt.Bonuses;
    struct TRow {
        TFishKind Kind;
        bool Enabled;
    };
    const TRow rows[] = {{TFishKind::Garment, true},
                         {TFishKind::PlusOne, on.PlusOne},
                         {TFishKind::Reverse, on.Reverse},
                         {TFishKind::Pause, on.Pause},
                         {TFishKind::Transform, on.Transform}};
    std::vector<int32_t> weights;
    for (const TRow& row : rows) {
        if (row.Kind == TFishKind::Garment)
            weights.push_back(kGarmentWeight);
        else
            weights.push_back(row.Enabled && !OnBelt(level, row.Kind) ? kBonusWeight : 0);
    }
    int32_t pick = ChooseWeighted(level.Random(), weights);
    return pick < 0 ? TFishKind::Garment : rows[pick].Kind;
}

// How many of the level's piece types are chosen at random (the special type, the last,
// is born by its own rule).
size_t NormalTypeCount(const tLevel& level)
{
    size_t n = level.LevelFishes.size();
    if (level.Scene.SpecialFish && n > 0)
        --n;
    return n;
}

// Weights of the four parts of one type: parts the type has start equal and halve for
// each copy on the belt.
void AddPartWeights(const tLevel& level, int32_t typeIndex, std::vector<int32_t>& weights)
{
    const TFishkaType* type = level.Types().Type(typeIndex);
    size_t base = weights.size();
    for (int p = 1; p <= kWeightsPerType; ++p)
        weights.push_back(type && p <= type->PieceCount ? kPartWeight : 0);
    for (const TFish& fish : level.Belt.Fishes) {
        if (!fish.IsGarment() || fish.TypeIndex != typeIndex)
            continue;
        for (int p = 1; p <= kWeightsPerType; ++p)
            if (fish.Parts[static_cast<size_t>(p - 1)])
                weights[base + static_cast<size_t>(p - 1)] /= 2;
    }
}

struct TChoice {
    int32_t Type = -1;
    int32_t Part = 0;
};

TChoice ChooseGarment(tLevel& level)
{
    std::vector<int32_t> weights;
    size_t n = NormalTypeCount(level);
    for (size_t i = 0; i < n; ++i)
        AddPartWeights(level, level.LevelFishes[i], weights);
    int32_t pick = ChooseWeighted(level.Random(), weights);
    if (pick < 0)
        return {};
    return {level.LevelFishes[static_cast<size_t>(pick / kWeightsPerType)], pick % kWeightsPerType + 1};
}

TChoice ChoosePartOf(tLevel& level, int32_t typeIndex)
{
    std::vector<int32_t> weights;
    AddPartWeights(level, typeIndex, weights);
    int32_t pick = ChooseWeighted(level.Random(), weights);
    if (pick < 0)
        return {};
    return {typeIndex, pick + 1};
}

bool IsValidPart(const tLevel& level, int32_t typeIndex, int32_t part)
{
    const TFishkaType* type = level.Types().Type(typeIndex);
    return type && part >= 1 && part <= type->PieceCount;
}

// A garment a forced entry asks for; a part the type does not have gives a random piece.
TChoice ChooseForced(tLevel& level, const TAddFishEntry& entry)
{
    if (entry.TypeIndex >= 0)
        return ChoosePartOf(level, entry.TypeIndex);
    if (level.LevelFishes.empty())
        return {};
    size_t slot = static_cast<size_t>(std::clamp<int32_t>(entry.TypeDigit - 1, 0,
                                                          static_cast<int32_t>(level.LevelFishes.size()) - 1));
    TChoice choice{level.LevelFishes[slot], entry.Part};
    if (!IsValidPart(level, choice.Type, choice.Part)) {
        level.WriteLog("Error TLevel.AddFishes");
        return ChooseGarment(level);
    }
    return choice;
}

// Puts a piece behind the newest one and gives it its pictures and effect.
void AppendFish(tLevel& level, TFish fish, int64_t now)
{
    auto& fishes = level.Belt.Fishes;
    fish.Position = fishes.empty() ? 0 : std::min(0, fishes.back().Position - fishes.back().HalfLength);
    MakeFishSurfName(level, fish);
    if (const TFishkaType* type = level.TypeOf(fish); type && fish.IsGarment()) {
        int32_t piece = FindHierarchy(*type, fish.Parts);
        if (piece >= 0) {
            const TFishPiece& entry = type->Pieces[static_cast<size_t>(piece)];
            fish.EffectFile = entry.Effect;
            fish.EffectX = entry.EffectX;
            fish.EffectY = entry.EffectY;
        }
    }
    fish.CustomerIndex = -1;
    if (!fish.EffectFile.empty())
        fish.Effect = level.Effects().LoadPieceEffect(fish.EffectFile, now);
    fishes.push_back(std::move(fish));
}

void RecordBirth(tLevel& level, const TFish& fish, int64_t now)
{
    if (!level.Demo.Recording)
        return;
    std::string parts = PartDigits(fish.Parts);
    level.Demo.Lines.push_back("<AddFishes FT=\"" + std::to_string(fish.TypeIndex) + "\" H=\"" +
                               (parts.empty() ? std::string("0") : parts) + "\" time=\"" +
                               std::to_string(now - level.Demo.RecordStart) + "\" />");
}

TFish NewGarment(int32_t type, int32_t part)
{
    TFish fish;
    fish.Kind = TFishKind::Garment;
    fish.TypeIndex = type;
    fish.Parts = SinglePart(part);
    return fish;
}

bool AddChosen(tLevel& level, int64_t now, int32_t type, int32_t part)
{
    TFish fish;
    if (type >= 0) {
        if (!IsValidPart(level, type, part)) {
            level.WriteLog("Error TLevel.AddFishes");
            return false;
        }
        fish = NewGarment(type, part);
    } else {
        if (level.Scene.SpecialFish && level.Belt.SpecialCountdown == 0)
            return AddFishesSpecial(level, now);
        fish.Kind = ChooseKind(level);
        const TAddFishEntry* forced = nullptr;
        auto& list = level.Scene.AddFishesList;
        if (level.Belt.AddFishesIndex >= 0 && level.Belt.AddFishesIndex < static_cast<int32_t>(list.size())) {
            forced = &list[static_cast<size_t>(level.Belt.AddFishesIndex)];
            fish.Kind = forced->Kind;
            ++level.Belt.AddFishesIndex;
        }
        if (fish.Kind == TFishKind::Garment) {
            TChoice choice = forced ? ChooseForced(level, *forced) : ChooseGarment(level);
            if (choice.Type < 0)
                return false;
            fish = NewGarment(choice.Type, choice.Part);
        }
    }
    RecordBirth(level, fish, now);
    AppendFish(level, std::move(fish), now);
    if (level.Belt.SpecialCountdown > 0)
        --level.Belt.SpecialCountdown;
    return true;
}

}  // namespace

int32_t ChooseWeighted(TRandom& random, const std::vector<int32_t>& weights)
{
    int64_t sum = 0;
    for (int32_t w : weights)
        sum += std::max(w, 0);
    if (sum <= 0)
        return -1;
    sum = std::min<int64_t>(sum, INT32_MAX);
    int64_t r = random.Between(1, static_cast<int32_t>(sum));
    int64_t running = 0;
    for (size_t i = 0; i < weights.size(); ++i) {
        running += std::max(weights[i], 0);
        if (running >= r)
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool BirthDue(const tLevel& level)
{
    const auto& fishes = level.Belt.Fishes;
    return fishes.empty() || fishes.back().Position > 2 * fishes.back().HalfLength;
}

bool AddFishes(tLevel& level, int64_t now, int32_t type, int32_t part)
{
    return LogAndCarryOn(level.Links.Log, "Error TLevel.AddFishes", false, [&]() -> bool {
        if (!level.FirstLenta())
            return false;
        return AddChosen(level, now, type, part);
    });
}

bool AddFishesSpecial(tLevel& level, int64_t now)
{
    return LogAndCarryOn(level.Links.Log, "Error TLevel.AddFishesSpecial", false, [&]() -> bool {
        if (level.LevelFishes.empty() || !level.FirstLenta())
            return false;
        int32_t special = level.LevelFishes.back();
        const TFishkaType* type = level.Types().Type(special);
        std::vector<int32_t> weights;
        for (int p = 1; type && p <= type->PieceCount; ++p)
            weights.push_back(kSpecialPartWeight);
        for (const TFish& fish : level.Belt.Fishes)
            if (fish.IsGarment() && fish.TypeIndex == special)
                for (size_t p = 0; p < weights.size(); ++p)
                    if (fish.Parts[p])
                        weights[p] = 0;
        bool noneOnBelt = std::all_of(weights.begin(), weights.end(), [](int32_t w) { return w == kSpecialPartWeight; });
        int32_t pick = ChooseWeighted(level.Random(), weights);
        if (pick < 0) {
            level.Belt.SpecialCountdown = -1;
            return false;
        }
        AppendFish(level, NewGarment(special, pick + 1), now);
        level.Belt.SpecialCountdown = noneOnBelt ? -1 : level.Scene.SpecialFishPeriod;
        return true;
    });
}
