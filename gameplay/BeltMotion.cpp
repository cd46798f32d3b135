// The belt's frame, step by step.
#include "foundation/QelLog.h"
#include "gameplay/BeltMotion.h"

#include "audio/SoundEvents.h"
#include "foundation/Text.h"
#include "gameplay/FishBirth.h"
#include "gameplay/FishList.h"
#include "gameplay/FishPictures.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFrame.h"
#include "gameplay/MoneyBags.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

constexpr double kEmptyBeltKoeff = 10.0;   // an empty belt hurries the first pieces in
constexpr double kKoeffStep = 1.0;         // the coefficient's largest change in one frame
constexpr int64_t kCalmAfterReverse = 5000;  // ms after a reverse the belt runs slower...
constexpr double kCalmDivisor = 4.0;         // ... by this much
constexpr int64_t kReverseRampTime = 999;  // ms a reverse takes to reach full speed
constexpr int64_t kReverseRampDivisor = 5;
constexpr int32_t kReverseRampBase = 10;
constexpr int32_t kReverseTextureStep = 10;  // the texture runs back this far each frame
constexpr int32_t kLonePieceMargin = 10;     // a lone piece waits just past its own length
constexpr int32_t kBonusRaise = 20;          // bonus pieces stand higher than garments
constexpr int32_t kLostGarmentHint = 0;      // hint numbers of the pop-up hints
constexpr int32_t kMoneyBagHint = 4;

TPoint Centre(const TFish& fish)
{
    return {static_cast<int32_t>(fish.X + fish.Width / 2), static_cast<int32_t>(fish.Y + fish.Height / 2)};
}

void TickFades(tLevel& level, int64_t now)
{
    for (TFish& fish : level.Belt.Fishes) {
        TFishFade& fade = fish.Fade;
        if (!fade.Running)
            continue;
        if (fade.Duration <= 0 || now >= fade.Start + fade.Duration) {
            fish.Alpha = std::clamp(fade.To, 0, 255);
            fade.Running = false;
            continue;
        }
        double d = fade.Duration;
        double alpha = static_cast<double>(fade.Start + fade.Duration - now) * fade.From / d +
                       static_cast<double>(now - fade.Start) * fade.To / d;
        fish.Alpha = std::clamp(RoundHalfEven(alpha), 0, 255);
    }
}

void TickSpeed(tLevel& level, TLenta& lenta, int64_t now)
{
    if (level.Belt.Fishes.empty()) {
        lenta.SpeedKoeff = kEmptyBeltKoeff;
        return;
    }
    double target = SpeedTarget(level, now);
    double step = std::min(kKoeffStep, std::fabs(target - lenta.SpeedKoeff));
    lenta.SpeedKoeff += lenta.SpeedKoeff < target ? step : -step;
}

void ApplyPendingParts(tLevel& level, int64_t now)
{
    bool changed = false;
    for (TFish& fish : level.Belt.Fishes) {
        if (fish.ApplyPartsAt < 0 || fish.ApplyPartsAt > now)
            continue;
        fish.ApplyPartsAt = -1;
        fish.Parts = fish.TargetParts;
        MakeFishSurfName(level, fish);
        changed = true;
    }
    if (changed)
        level.Events().CheckSelect(level);
}

// Births, then the belt's movement of this frame. Answers how far the belt moved forward
// (0 while it stands or runs backwards).
int32_t Advance(tLevel& level, TLenta& lenta, const TLevelFrame& frame)
{
    TBelt& belt = level.Belt;
    if (belt.RuleBirths && BirthDue(level))
        AddFishes(level, frame.Now);

    int32_t advance = 0;
    if (ReverseRuns(level, frame.Now)) {
        int64_t age = frame.Now - belt.ReverseStart;
        int32_t step = age > kReverseRampTime ? kReverseFullStep
                                              : static_cast<int32_t>(age / kReverseRampDivisor) + kReverseRampBase;
        for (TFish& fish : belt.Fishes)
            fish.Position -= step;
        for (int32_t i = static_cast<int32_t>(belt.Fishes.size()) - 1; i >= 0; --i)
            if (belt.Fishes[static_cast<size_t>(i)].Position < kReverseRemoveBelow)
                DeleteFishes(level, i);
        belt.TextureOffset -= kReverseTextureStep;
        double freePercent = static_cast<double>(BeltFree(level)) * 100.0 / lenta.PathLength;
        if (level.Tuning.ReverseParam >= 100.0 - freePercent) {
            belt.ReverseStart = -1;
            belt.ReverseEnd = frame.Now;
        }
    } else if (!PauseRuns(level, frame.Now)) {
        double exact = lenta.Speed * lenta.SpeedKoeff * static_cast<double>(frame.Dt) / 1000.0 * lenta.UnitsPerPixel() +
                       belt.AdvanceCarry;
        double whole = std::floor(exact);
        if (!std::isfinite(whole) || whole < 0 || whole > INT32_MAX / 4) {
            whole = 0;
            exact = 0;
        }
        advance = static_cast<int32_t>(whole);
        belt.AdvanceCarry = exact - whole;
        for (TFish& fish : belt.Fishes)
            fish.Position += advance;
        belt.TextureOffset += advance;
    }
    if (belt.PauseStart >= 0 && frame.Now >= belt.PauseStart + level.Tuning.PauseDuration)
        belt.PauseStart = -1;
    return advance;
}

// Pieces keep their distance: one that overlaps the piece behind it is pushed forward;
// while the belt runs forward, one with room behind it waits for the pieces behind to
// close up, except in the hatch zone, where pieces run on into the hatch.
void KeepSpacing(tLevel& level, const TLenta& lenta, int32_t advance, int64_t now)
{
    auto& fishes = level.Belt.Fishes;
    bool paused = PauseRuns(level, now);
    bool forward = !paused && !ReverseRuns(level, now);
    bool waited = false;
    for (size_t i = 0; i + 1 < fishes.size(); ++i) {
        TFish& front = fishes[i];
        const TFish& back = fishes[i + 1];
        int32_t kept = front.HalfLength + back.HalfLength;
        if (front.Position - back.Position <= kept) {
            if (!paused)
                front.Position = back.Position + kept;
        } else if (forward && !front.InHatchZone(lenta.PathLength)) {
            front.Position = std::max(back.Position + kept, front.Position + 1 - advance);
            waited = true;
        }
    }
    if (waited)
        level.Belt.TextureOffset -= advance / 3;
    if (fishes.size() == 1 && forward) {
        TFish& lone = fishes.front();
        int32_t hold = 2 * lone.HalfLength + kLonePieceMargin;
        if (lone.Position > hold && !lone.InHatchZone(lenta.PathLength))
            lone.Position = std::max(hold, lone.Position - advance);
    }
}

// Where each piece is drawn: on the track, rising out of the first hatch, sinking into
// the second.
void PlaceFishes(tLevel& level, const TLenta& lenta)
{
    const int32_t length = lenta.PathLength;
    const TPictureRef& stand = level.Scene.Stoika;
    const bool onCounter = level.Scene.LevelState <= TLevelState::lsHim;
    for (TFish& fish : level.Belt.Fishes) {
        TLentaPoint point;
        double sink = 0;
        if (fish.Position < kHatchZone) {
            point = lenta.PointAt(kHatchZone);
            sink = (kHatchZone - fish.Position) / 2.0;
        } else if (fish.Position > length - kHatchZone) {
            point = lenta.PointAt(length - kHatchZone);
            sink = (fish.Position - (length - kHatchZone)) / 2.0;
        } else {
            point = lenta.PointAt(std::min(fish.Position, length));
        }
        fish.PathX = point.X;
        fish.PathY = point.Y + sink;
        if (!fish.Fade.Running)
            fish.Alpha = 255;
        fish.X = fish.PathX - fish.Width / 2;
        if (fish.Kind == TFishKind::MoneyBag)
            fish.Y = fish.PathY - fish.Height;
        else {
            fish.Y = onCounter ? fish.PathY - stand.Height : fish.PathY;
            if (IsBonusKind(fish.Kind))
                fish.Y -= level.Scene.ShiftLentaY + kBonusRaise;
        }
        fish.StandX = fish.PathX - stand.Width / 2;
        fish.StandY = fish.PathY - stand.Height;
    }
}

// A piece passing into the hatch: once per piece, and a lost garment costs points. A
// served piece may creep on into the hatch while it waits to fly to its customer; it is
// not lost.
void CheckHatch(tLevel& level, const TLenta& lenta)
{
    auto& fishes = level.Belt.Fishes;
    for (size_t i = 0; i < fishes.size(); ++i) {
        TFish& fish = fishes[i];
        if (fish.Dropped || fish.IsLeaving() || !fish.InHatchZone(lenta.PathLength))
            continue;
        fish.Dropped = true;
        if (level.Belt.SelectedIndex == static_cast<int32_t>(i))
            ClearSelection(level);
        level.Sounds().AddSoundEffect("DropInLuk");
        if (fish.IsGarment() && !level.Demo.Playback) {
            level.Events().GarmentLost(level, fish);
            TPoint c = Centre(fish);
            level.Effects().CreateBallisticMoveEffect("FallOutfits", "CoinSmall.png", c, level.Tuning.ScorePanel);
            level.Effects().CreateEffect(TEffectList::Screen, "efBonus10Minus.xml", c.X, c.Y);
        }
    }
    CheckLoseLevel(level);
}

void ShowBeltHints(tLevel& level, const TLenta& lenta, const TLevelFrame& frame)
{
    if (!frame.HintsOn || level.Demo.Playback)
        return;
    TBelt& belt = level.Belt;
    for (int32_t i = 0; i < static_cast<int32_t>(belt.Fishes.size()); ++i) {
        const TFish& fish = belt.Fishes[static_cast<size_t>(i)];
        if (!belt.BagHintShown && fish.Kind == TFishKind::MoneyBag && fish.BlinkAt > 0 && frame.Now > fish.BlinkAt) {
            belt.BagHintShown = level.Events().ShowHints(level, "Script_HintMoneyBag.xml", kMoneyBagHint, i);
            return;
        }
        if (!belt.FallHintShown && fish.IsGarment() && !fish.IsLeaving() && fish.Position > kFallHintPosition &&
            fish.InHatchZone(lenta.PathLength) && level.Times.TimeLeft > 0) {
            belt.FallHintShown = level.Events().ShowHints(level, "Script_HintFallKostum.xml", kLostGarmentHint, i);
            return;
        }
    }
}

void TickBelt(tLevel& level, const TLevelFrame& frame)
{
    level.Events().CheckSelect(level);
    TickFades(level, frame.Now);
    TLenta* lenta = level.FirstLenta();
    if (lenta)
        TickSpeed(level, *lenta, frame.Now);
    TickMoneyBags(level, frame);
    ApplyPendingParts(level, frame.Now);
    TLeftGroup left = RemoveLeavingFishes(level, frame.Now);
    if (lenta) {
        if (frame.Mode == TLevelMode::Playing) {
            int32_t advance = Advance(level, *lenta, frame);
            KeepSpacing(level, *lenta, advance, frame.Now);
        }
        PlaceFishes(level, *lenta);
        CheckHatch(level, *lenta);
        if (frame.Mode == TLevelMode::Playing)
            ShowBeltHints(level, *lenta, frame);
    }
    AddMoneyBag(level, left, frame.Now);
}

}  // namespace

bool ReverseRuns(const tLevel& level, int64_t now)
{
    return level.Belt.ReverseStart >= 0 && now >= level.Belt.ReverseStart;
}

bool PauseRuns(const tLevel& level, int64_t now)
{
    return level.Belt.PauseStart >= 0 && now >= level.Belt.PauseStart;
}

int32_t BeltFree(const tLevel& level)
{
    const TLenta* lenta = level.FirstLenta();
    if (!lenta)
        return 0;
    const auto& fishes = level.Belt.Fishes;
    if (fishes.empty())
        return lenta->PathLength;
    int64_t free = static_cast<int64_t>(lenta->PathLength) - fishes.front().Position;
    for (size_t i = 0; i + 1 < fishes.size(); ++i)
        free += static_cast<int64_t>(fishes[i].Position) - fishes[i + 1].Position - fishes[i].HalfLength -
                fishes[i + 1].HalfLength;
    return static_cast<int32_t>(std::clamp<int64_t>(free, INT32_MIN, INT32_MAX));
}

int32_t BeltFill(const tLevel& level)
{
    const TLenta* lenta = level.FirstLenta();
    if (!lenta)
        return 0;
    return RoundHalfEven(100.0 - static_cast<double>(BeltFree(level)) * 100.0 / lenta->PathLength);
}

double SpeedTarget(const tLevel& level, int64_t now)
{
    const auto& table = level.Demo.Playback ? level.Tuning.SpeedIntervalsAfterGoal : level.Tuning.SpeedIntervals;
    int32_t fill = BeltFill(level);
    double target = 1.0;
    for (const TSpeedInterval& interval : table)
        if (interval.Value > fill) {
            target = interval.KoeffSpeed;
            break;
        }
    if (level.Belt.ReverseEnd > 0 && now - level.Belt.ReverseEnd < kCalmAfterReverse)
        target /= kCalmDivisor;
    return target;
}

void CheckLoseLevel(tLevel& level)
{
    LogAndCarryOn(level.Links.Log, "Error TLevel.CheckLoseLevel", [&] {
        const TLenta* lenta = level.FirstLenta();
        if (!lenta)
            return;
        // From the front, past the end of the belt; a leaving piece stays until it leaves.
        auto& fishes = level.Belt.Fishes;
        for (int32_t i = 0; i < static_cast<int32_t>(fishes.size()) &&
                            fishes[static_cast<size_t>(i)].Position > lenta->PathLength;) {
            if (fishes[static_cast<size_t>(i)].IsLeaving())
                ++i;
            else
                DeleteFishes(level, i);
        }
    });
}

void TickFishes(tLevel& level, const TLevelFrame& frame)
{
    LogAndCarryOn(level.Links.Log, "Error TLevel.TickFishes", [&] {
        TickBelt(level, frame);
    });
}
