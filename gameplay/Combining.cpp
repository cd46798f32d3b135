// Combining pieces into outfits.
#include "foundation/QelLog.h"
#include "gameplay/Combining.h"

#include "audio/SoundEvents.h"
#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"
#include "gameplay/Serving.h"

#include <algorithm>
#include <exception>

namespace {

// The flight of a dropped piece lands after this; the target shows its new picture while
// the flight ends.
constexpr int32_t kDropFlight = 400;  // ms
constexpr int32_t kFadeInFrom = 266;  // ms after the drop
constexpr int32_t kFadeInUntil = 399;

bool IsPlusOne(const TFish& fish) { return fish.Kind == TFishKind::PlusOne; }

// The lowest part of the type the piece lacks added to its parts.
TFishParts WithLowestMissing(const tLevel& level, const TFish& fish)
{
    TFishParts parts = EffectiveParts(fish);
    const TFishkaType* type = level.TypeOf(fish);
    if (!type)
        return parts;
    for (int p = 0; p < type->PieceCount && p < kPartSlots; ++p)
        if (!parts[static_cast<size_t>(p)]) {
            parts[static_cast<size_t>(p)] = true;
            break;
        }
    return parts;
}

bool Overlap(const TFishkaType& type, const TFishParts& a, const TFishParts& b)
{
    for (int p = 0; p < type.PieceCount && p < kPartSlots; ++p)
        if (a[static_cast<size_t>(p)] && b[static_cast<size_t>(p)])
            return true;
    return false;
}

bool Contains(const std::vector<int32_t>& list, int32_t index)
{
    return std::find(list.begin(), list.end(), index) != list.end();
}

// Starts the target's fade from nothing to its new picture as the flight lands.
void FadeIn(TFish& fish, int64_t now)
{
    fish.PreviousPicture = fish.PictureName;
    fish.PreviousX = fish.X;
    fish.PreviousY = fish.Y;
    fish.PreviousEffectX = fish.EffectX;
    fish.PreviousEffectY = fish.EffectY;
    fish.Fade = {true, 0, 255, now + kFadeInFrom, kFadeInUntil - kFadeInFrom};
}

TPoint TopLeft(const TFish& fish) { return {static_cast<int32_t>(fish.X), static_cast<int32_t>(fish.Y)}; }

}  // namespace

TFishParts EffectiveParts(const TFish& fish) { return fish.ApplyPartsAt >= 0 ? fish.TargetParts : fish.Parts; }

TFishParts MergeParts(const tLevel& level, const TFish& a, const TFish& b)
{
    if (IsPlusOne(a))
        return WithLowestMissing(level, b);
    if (IsPlusOne(b))
        return WithLowestMissing(level, a);
    TFishParts merged{};
    const TFishParts pa = EffectiveParts(a);
    const TFishParts pb = EffectiveParts(b);
    const TFishkaType* type = level.TypeOf(a);
    const int count = type ? std::min<int>(type->PieceCount, kPartSlots) : 0;
    for (int p = 0; p < count; ++p)
        merged[static_cast<size_t>(p)] = pa[static_cast<size_t>(p)] || pb[static_cast<size_t>(p)];
    return merged;
}

bool CanInsert(const tLevel& level, const TFish& source, const TFish& target, TFishParts* merged,
               std::string* effectFile)
{
    auto usable = [](const TFish& f) { return f.IsGarment() || IsPlusOne(f); };
    if (!usable(source) || !usable(target))
        return false;
    if (source.IsGarment() && target.IsGarment() && source.TypeIndex != target.TypeIndex)
        return false;
    if (IsPlusOne(source) && IsPlusOne(target))
        return false;
    // The garment the result will be: the target, unless the target is the plus-one.
    const TFish& garment = IsPlusOne(target) ? source : target;
    const TFishkaType* type = level.TypeOf(garment);
    if (!type)
        return false;
    if (IsPlusOne(source) == IsPlusOne(target) && Overlap(*type, EffectiveParts(source), EffectiveParts(target)))
        return false;
    TFishParts parts = MergeParts(level, source, target);
    if (merged)
        *merged = parts;
    if (effectFile) {
        int32_t piece = FindHierarchy(*type, parts);
        *effectFile = piece >= 0 ? type->Pieces[static_cast<size_t>(piece)].Effect : std::string();
    }
    return true;
}

bool FullMakeFishka(const tLevel& level, int32_t typeIndex, const TFishParts& parts)
{
    const TFishkaType* type = level.Types().Type(typeIndex);
    if (!type)
        return false;
    if (type->Style > TFishkaStyle::Him)
        return true;
    for (int p = 0; p < type->PieceCount && p < kPartSlots; ++p)
        if (!parts[static_cast<size_t>(p)])
            return false;
    return type->PieceCount > 0;
}

bool FullMakeFishka(const tLevel& level, const TFish& fish)
{
    return fish.IsGarment() && FullMakeFishka(level, fish.TypeIndex, EffectiveParts(fish));
}

void FullDressAs(const tLevel& level, int32_t index, const TFishParts& parts, std::vector<int32_t>& list,
                 bool complete)
{
    const auto& fishes = level.Belt.Fishes;
    const int32_t n = static_cast<int32_t>(fishes.size());
    if (index < 0 || index >= n)
        return;
    const TLenta* lenta = level.FirstLenta();
    const int32_t length = lenta ? lenta->PathLength : 0;
    const int32_t ref = list.empty() ? index : list.front();
    const int32_t type = fishes[static_cast<size_t>(ref)].TypeIndex;
    const TFishParts pattern = ref == index ? parts : EffectiveParts(fishes[static_cast<size_t>(ref)]);

    auto matches = [&](int32_t i) {
        if (i < 0 || i >= n)
            return false;
        const TFish& f = fishes[static_cast<size_t>(i)];
        const TFishParts own = i == index ? parts : EffectiveParts(f);
        return f.IsGarment() && f.TypeIndex == type && own == pattern && !f.InHatchZone(length) && f.LeaveAt == 0;
    };
    auto run = [&](int32_t from, int32_t step) {
        int32_t i = from;
        for (; matches(i); i += step)
            if (!Contains(list, i))
                list.push_back(i);
        return i;  // the first piece that does not match
    };

    int32_t frontStop = run(index, -1);
    int32_t backStop = run(index + 1, +1);
    const int32_t selected = level.Belt.SelectedIndex;
    if (complete && selected >= 0) {
        if (frontStop == selected)
            run(selected - 1, -1);
        if (backStop == selected)
            run(selected + 1, +1);
    }
}

void FullDress(const tLevel& level, int32_t index, std::vector<int32_t>& list, bool complete)
{
    if (index < 0 || index >= static_cast<int32_t>(level.Belt.Fishes.size()))
        return;
    FullDressAs(level, index, EffectiveParts(level.Belt.Fishes[static_cast<size_t>(index)]), list, complete);
}

bool PutFishInsideFish(tLevel& level, TLevelGame& game, int32_t source, int32_t target, int64_t now)
{
    return LogAndCarryOn(level.Links.Log, "Error TLevel.PutFishInsideFish", false, [&]() -> bool {
        auto& fishes = level.Belt.Fishes;
        const int32_t n = static_cast<int32_t>(fishes.size());
        if (source < 0 || source >= n || target < 0 || target >= n || source == target)
            return false;
        TFish& src = fishes[static_cast<size_t>(source)];
        TFish& tgt = fishes[static_cast<size_t>(target)];
        TFishParts merged{};
        std::string effectFile;
        if (!CanInsert(level, src, tgt, &merged, &effectFile))
            return false;
        // The group is the run of pieces equal to the target as it was: the drop completes
        // them all, each with its own copy of the source's parts.
        const TFishParts before = EffectiveParts(tgt);

        if (IsPlusOne(tgt)) {
            tgt.TypeIndex = src.TypeIndex;
            tgt.Kind = TFishKind::Garment;
        }
        tgt.TargetParts = merged;
        tgt.ApplyPartsAt = now;
        level.Effects().CreateMoveEffect("Move", src.PictureName, TopLeft(src), TopLeft(tgt), kDropFlight);
        if (!effectFile.empty()) {
            if (tgt.EffectFile.empty()) {
                tgt.EffectFile = effectFile;
                tgt.Effect = level.Effects().LoadPieceEffect(effectFile, now);
            }
            if (const TFishkaType* type = level.TypeOf(tgt)) {
                int32_t piece = FindHierarchy(*type, merged);
                if (piece >= 0) {
                    tgt.EffectX = type->Pieces[static_cast<size_t>(piece)].EffectX;
                    tgt.EffectY = type->Pieces[static_cast<size_t>(piece)].EffectY;
                }
            }
        }
        FadeIn(tgt, now);

        if (!FullMakeFishka(level, tgt.TypeIndex, merged)) {
            level.Sounds().AddSoundEffect("InsertDress", 100, now + kDropFlight);
            if (game.Options.StaySelect == 1) {
                level.Belt.NextSelection = -1;
            } else {
                tgt.Selected = true;
                level.Belt.NextSelection = target;
            }
            return true;
        }

        level.Belt.NextSelection = -1;
        for (TFish& fish : fishes)
            fish.Selected = false;
        std::vector<int32_t> group;
        FullDressAs(level, target, before, group, true);
        ServeGroup(level, game, source, target, group, now);
        return true;
    });
}
