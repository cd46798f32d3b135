// The pixel day's search: heaps, slots, finds, misses and the day's end.
#include "gameplay/PixelSearch.h"

#include "audio/SoundEvents.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelFrame.h"
#include "gameplay/LevelGame.h"
#include "gameplay/LevelResults.h"
#include "gameplay/Scoring.h"
#include "metagame/Player.h"

#include <algorithm>

namespace {

constexpr int32_t kOpaqueAlpha = 150;   // a click takes a picture only where it is this solid
constexpr int32_t kScreenWidth = 800;
constexpr int32_t kTypeShift = 800;     // the slots of each later type wait this far right
constexpr int32_t kNearClick = 4;       // pixels around a click that still find
constexpr int32_t kFlightMs = 500;      // a found part flies to its slot
constexpr int32_t kCheckDelay = 400;    // the slot looks at its parts once the part arrived
constexpr int32_t kRemoveDelay = 500;   // a done slot leaves
constexpr int32_t kSlideDelay = 800;    // the next outfits come in
constexpr int32_t kLastOutfitDelay = 1500;
constexpr int32_t kTimeOutDelay = 2000;
constexpr int32_t kIdleHintMs = 10000;  // the hint label shows after this long without a find
constexpr int32_t kHintEpisodes = 2;
constexpr int32_t kAlertWindow = 30000;
constexpr int32_t kAlertRepeat = 5000;
const TPoint kAlertPos{638, 45};
constexpr int32_t kHintTries = 1000;
constexpr double kGuideScale = 1.5;
// More outfits of one kind than this would only be slots nobody can see or finish.
constexpr int32_t kMaxSlotsPerType = 64;

void SetVisible(ILevelWindows& windows, const std::string& name, bool visible)
{
    windows.SetObjectProperty(name, "Visible", visible ? "True" : "False");
}

std::string GuideSuffix(const TFishkaType* type)
{
    const int32_t pieces = type ? type->PieceCount : 0;
    return pieces >= 4 ? "_1234.png" : pieces == 3 ? "_123.png" : pieces == 2 ? "_12.png" : "_1.png";
}

bool TargetVisible(const TPixelTarget& t) { return !t.Removed && t.X < kScreenWidth; }

// Whether every part of the slot's type is there.
bool Whole(const tLevel& level, const TPixelTarget& t)
{
    const TFishkaType* type = level.Types().Type(t.TypeIndex);
    const int32_t pieces = type ? std::clamp<int32_t>(type->PieceCount, 1, kPartSlots) : 1;
    for (int32_t p = 1; p <= pieces; ++p)
        if (!t.Parts[static_cast<size_t>(p - 1)])
            return false;
    return true;
}

TPoint HeapCentre(const TPixelHeap& heap) { return {heap.Pos.X + heap.Width / 2, heap.Pos.Y + heap.Height / 2}; }

void LayOutTargets(tLevel& level, TLevelGame& game, TPixelSearch& search)
{
    search.Targets.clear();
    int32_t most = 0;
    for (int32_t count : level.CountCompleteFishes)
        most = std::max(most, std::min(count, kMaxSlotsPerType));
    // With no slots to show, there is nothing to lay out.
    if (most < 1)
        return;
    search.Spacing = (kPixelSlotsRight - kPixelSlotsLeft) / most;
    const int32_t y = search.PanelTop + kPixelSlotsBelowTop;
    int32_t number = 0;
    const size_t types = std::min(level.LevelFishes.size(), level.CountCompleteFishes.size());
    for (size_t i = 0; i < types; ++i) {
        const int32_t type = level.LevelFishes[i];
        const TFishkaType* t = level.Types().Type(type);
        const int32_t count = std::min(level.CountCompleteFishes[i], kMaxSlotsPerType);
        if (count < level.CountCompleteFishes[i])
            level.WriteLog("Error PrepareHeaps: " + std::to_string(level.CountCompleteFishes[i]) +
                           " outfits of one kind; the panel takes " + std::to_string(kMaxSlotsPerType));
        for (int32_t k = 0; k < count; ++k) {
            TPixelTarget target;
            target.TypeIndex = type;
            target.Number = number;
            target.X = kPixelSlotsLeft + search.Spacing / 2 + k * search.Spacing + static_cast<int32_t>(i) * kTypeShift;
            target.Y = y;
            target.Guide = "PPanel" + std::to_string(number);
            if (t)
                game.ThePictureMaker().MakeScaledPicture(t->FileName + GuideSuffix(t), target.Guide, kGuideScale);
            search.Targets.push_back(std::move(target));
            ++number;
        }
    }
    search.TargetIndex = 0;
}

void OpenPenalty(tLevel& level, TLevelGame& game, int64_t now)
{
    TPlayer& player = game.ThePlayer();
    if (level.Demo.Playback || player.HintShown(kPenaltyHint))
        return;
    player.HintsShown.push_back(kPenaltyHint);
    game.TheWindows().ShowModal("WPenalty");
    game.TheHost().EnterScreen(TLevelScreen::GameMenu);
    PauseLevel(level, now);
}

void TickTargets(tLevel& level, TLevelGame& game, TPixelSearch& search, int64_t now)
{
    for (TPixelTarget& t : search.Targets) {
        if (t.CheckAt > 0 && t.CheckAt <= now) {
            t.CheckAt = 0;
            if (!t.Done && Whole(level, t)) {
                t.Done = true;
                level.Effects().CreateEffect(TEffectList::Screen, "efFishkaCombined.xml", t.X, t.Y);
                level.Sounds().AddSoundEffect("FullDress");
                search.Remaining = std::max(0, search.Remaining - 1);
                SetCaption(game.TheWindows(), "WGame_TFPixel_LCountValue", IntToStr(search.Remaining));
                if (search.Remaining == 0 && !level.Demo.Playback && level.Times.CompleteAt == 0)
                    level.Times.CompleteAt = now + kLastOutfitDelay;
                t.RemoveAt = now + kRemoveDelay;
                search.SceneChanged = true;
            }
        }
        if (t.RemoveAt > 0 && t.RemoveAt <= now) {
            t.RemoveAt = 0;
            t.Removed = true;
            search.SceneChanged = true;
        }
    }
    // When the panel's outfits are all done, the next type's slide in.
    bool panelDone = true;
    bool more = false;
    for (const TPixelTarget& t : search.Targets) {
        if (t.X < kScreenWidth && !t.Removed)
            panelDone = false;
        if (t.X >= kScreenWidth)
            more = true;
    }
    if (panelDone && more && search.SlideAt == 0)
        search.SlideAt = now + kSlideDelay;
    if (search.SlideAt > 0 && search.SlideAt <= now) {
        search.SlideAt = 0;
        level.Sounds().AddSoundEffect("PixelDressComplete");
        for (TPixelTarget& t : search.Targets)
            if (!t.Removed)
                t.X -= kTypeShift;
        ++search.TargetIndex;
        search.SceneChanged = true;
    }
}

void TickClock(tLevel& level, TLevelGame& game, TPixelSearch& search, int64_t now)
{
    TLevelFlow& flow = level.Play.Flow;
    const int64_t left = level.Times.LevelTime + level.Times.LevelStart - now;
    level.Times.TimeLeft = static_cast<int32_t>(std::clamp<int64_t>(left, 0, INT32_MAX));
    if (left > 0 && left <= kAlertWindow && flow.AlertAt <= now) {
        level.Sounds().AddSoundEffect("AlertTime");
        level.Effects().CreateEffect(TEffectList::Screen, "efTimeEnd.xml", kAlertPos.X, kAlertPos.Y);
        flow.AlertAt = now + kAlertRepeat;
    }
    SetCaption(game.TheWindows(), "WGame_TFPixel_LTimeValue", FormatMinutes(level.Times.TimeLeft));
    if (left < 1 && level.Times.CompleteAt == 0) {
        game.TheHost().DeleteScreenEffect("efTimeEnd.xml");
        if (search.Remaining > 0)
            LevelFaled(level, game, now);
        else
            level.Times.CompleteAt = now + kTimeOutDelay;
    }
}

void TickHintButton(TLevelGame& game, TPixelSearch& search, int64_t now)
{
    if (search.HintButtonReady || now < search.HintUsedAt + search.HintButtonDuration)
        return;
    search.HintButtonReady = true;
    ILevelWindows& windows = game.TheWindows();
    SetEnabled(windows, "WGame_TFPixel_BHint", true);
    windows.SetObjectProperty("WGame_TFPixel_BHint", "Picture", "Button.png");
    windows.SetObjectProperty("WGame_TFPixel_BHint", "MouseOverPicture", "ButtonOn.png");
    windows.SetObjectProperty("WGame_TFPixel_BHint", "MouseDownPicture", "ButtonDown.png");
    SetVisible(windows, "WGame_TFPixel_EfOnHintButton", true);
}

void TickSteps(tLevel& level, TLevelGame& game, TPixelSearch& search, const TLevelFrame& frame)
{
    const int64_t now = frame.Now;
    TLevelFlow& flow = level.Play.Flow;
    if (flow.Phase != TLevelPhase::Running || flow.Paused)
        return;
    // The first shops show the way when the player has found nothing for a while; the
    // day waits under the label until the next click.
    if (level.Episod < kHintEpisodes && !level.Demo.Playback && game.Options.HintsOn && !search.HintLabelShown &&
        now - search.LastFindAt >= kIdleHintMs) {
        search.HintLabelShown = true;
        SetVisible(game.TheWindows(), "WGame_TFPixel_LHint", true);
        PauseLevel(level, now);
        return;
    }
    if (PlayDueDialog(level, game, now))
        return;
    search.Misses.erase(std::remove_if(search.Misses.begin(), search.Misses.end(),
                                       [now](int64_t t) { return now - t > kMissWindowMs; }),
                        search.Misses.end());
    TickHintButton(game, search, now);
    TickClock(level, game, search, now);
    if (flow.Phase != TLevelPhase::Running)
        return;
    TickTargets(level, game, search, now);
    PayDayPrize(level, game, search.PrizePaid, now);
    TickGameCompleteTimer(level, game, now);
    // The results stand over a panel without its buttons.
    if (flow.Phase == TLevelPhase::Complete)
        for (const char* button : {"WGame_TFPixel_BHint", "WGame_TFPixel_EfOnHintButton", "WGame_TFPixel_BMenu",
                                   "WGame_TFPixel_BSkip"})
            SetVisible(game.TheWindows(), button, false);
}

}  // namespace

std::string TargetPicture(int32_t typeIndex, const TFishParts& parts)
{
    return "smallFishkaTypes" + std::to_string(typeIndex) + "_" + PartDigits(parts) + ".png";
}

bool ParseFindable(const tLevel& level, const std::string& fileName, int32_t& typeIndex, int32_t& part)
{
    if (std::count(fileName.begin(), fileName.end(), '_') < 2)
        return false;
    const size_t last = fileName.rfind('_');
    const std::string stem = fileName.substr(0, last);
    const size_t dot = fileName.find('.', last);
    const std::string digit = fileName.substr(last + 1, dot == std::string::npos ? std::string::npos : dot - last - 1);
    if (digit.size() != 1 || digit[0] < '1' || digit[0] > '8')
        return false;
    const int32_t type = level.Types().IndexByFileName(stem);
    if (type < 0)
        return false;
    typeIndex = type;
    part = digit[0] - '0';
    return true;
}

void PrepareHeaps(tLevel& level, TLevelGame& game, TPixelSearch& search)
{
    LogAndCarryOn(level.Links.Log, "Error PrepareHeaps", [&] {
        const int32_t hintDuration = search.HintButtonDuration;
        search = TPixelSearch{};
        search.HintButtonDuration = hintDuration;
        ILevelPictures& pictures = level.Pictures();
        const auto& heaps = level.Scene.HeapPictures;
        for (size_t i = 0; i < heaps.size(); ++i) {
            TPixelHeap heap;
            const std::string working = "Heap" + std::to_string(i);
            heap.Picture = pictures.HasPicture(working) ? working : heaps[i].FileName;
            heap.Pos = heaps[i].Pos;
            if (!pictures.PictureSize(heap.Picture, heap.Width, heap.Height)) {
                pictures.LoadPicture(heap.Picture);
                pictures.PictureSize(heap.Picture, heap.Width, heap.Height);
            }
            heap.Findable = ParseFindable(level, heaps[i].FileName, heap.TypeIndex, heap.Part);
            search.Heaps.push_back(std::move(heap));
        }
        search.PanelTop = kPixelPanelTop;
        game.TheWindows().SetObjectProperty("WGame_TFPixel", "Top", IntToStr(search.PanelTop));
        LayOutTargets(level, game, search);
        search.Remaining = level.Play.Flow.CompleteNeed;
        SetCaption(game.TheWindows(), "WGame_TFPixel_LCountValue", IntToStr(search.Remaining));
        SetVisible(game.TheWindows(), "WGame_TFPixel_LCount", true);
        SetVisible(game.TheWindows(), "WGame_TFPixel_LHint", false);
        // The search panel takes the place of the standard one.
        SetVisible(game.TheWindows(), "WGame_TFStandart", false);
        // A day before may have left the panel without its buttons.
        for (const char* button : {"WGame_TFPixel_BHint", "WGame_TFPixel_EfOnHintButton", "WGame_TFPixel_BMenu"})
            SetVisible(game.TheWindows(), button, true);
        search.LastFindAt = game.Now();
        search.SceneChanged = true;
    });
}

int32_t HeapAt(const tLevel& level, TLevelGame& game, const TPixelSearch& search, int32_t x, int32_t y)
{
    (void)level;
    for (int32_t i = static_cast<int32_t>(search.Heaps.size()) - 1; i >= 0; --i) {
        const TPixelHeap& heap = search.Heaps[static_cast<size_t>(i)];
        if (!heap.Active)
            continue;
        const TRect r{heap.Pos.X, heap.Pos.Y, heap.Pos.X + heap.Width, heap.Pos.Y + heap.Height};
        if (!r.Contains(x, y))
            continue;
        const int32_t alpha = game.TheHost().PictureAlpha(heap.Picture, x - heap.Pos.X, y - heap.Pos.Y);
        if (alpha < 0 || alpha > kOpaqueAlpha)
            return i;
    }
    return -1;
}

int32_t TargetFor(const TPixelSearch& search, const TPixelHeap& heap)
{
    if (!heap.Active || !heap.Findable || heap.Part < 1 || heap.Part > kPartSlots)
        return -1;
    for (size_t i = 0; i < search.Targets.size(); ++i) {
        const TPixelTarget& t = search.Targets[i];
        if (TargetVisible(t) && !t.Done && t.TypeIndex == heap.TypeIndex && !t.Parts[static_cast<size_t>(heap.Part - 1)])
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool LeftMouseDownInPixelGame(tLevel& level, TLevelGame& game, TPixelSearch& search, int32_t x, int32_t y)
{
    return LogAndCarryOn(level.Links.Log, "Error LeftMouseDownInPixelGame", true, [&]() -> bool {
        if (y >= search.PanelTop)
            return true;
        const int32_t index = HeapAt(level, game, search, x, y);
        if (index < 0)
            return false;
        TPixelHeap& heap = search.Heaps[static_cast<size_t>(index)];
        const int32_t slot = TargetFor(search, heap);
        if (slot < 0)
            return false;
        const int64_t now = game.Now();
        TPixelTarget& target = search.Targets[static_cast<size_t>(slot)];
        heap.Active = false;
        target.Parts[static_cast<size_t>(heap.Part - 1)] = true;
        target.Picture = TargetPicture(target.TypeIndex, target.Parts);
        level.Pictures().LoadPicture(target.Picture);
        target.CheckAt = now + kCheckDelay;
        level.Effects().CreateEffect(TEffectList::Screen, "efBlickOnCombinedFishkas.xml", x, y);
        level.Effects().CreateMoveEffect("Move", heap.Picture, HeapCentre(heap), {target.X, target.Y + heap.Height / 2},
                                         kFlightMs);
        level.Sounds().AddSoundEffect("DressFound");
        search.LastFindAt = now;
        search.SceneChanged = true;
        return true;
    });
}

void PixelClick(tLevel& level, TLevelGame& game, TPixelSearch& search, int32_t x, int32_t y)
{
    if (!LevelAcceptsInput(level))
        return;
    for (int32_t d = 1; d <= kNearClick; ++d)
        for (TPoint step : {TPoint{-1, -1}, TPoint{1, -1}, TPoint{-1, 1}, TPoint{1, 1}}) {
            const int32_t px = x + step.X * d, py = y + step.Y * d;
            if (py < search.PanelTop && HeapAt(level, game, search, px, py) >= 0 &&
                LeftMouseDownInPixelGame(level, game, search, px, py))
                return;
        }
    if (!LeftMouseDownInPixelGame(level, game, search, x, y))
        PixelMiss(level, game, search, x, y);
}

void PixelMiss(tLevel& level, TLevelGame& game, TPixelSearch& search, int32_t x, int32_t y)
{
    const int64_t now = game.Now();
    level.Sounds().AddSoundEffect("Error");
    level.Effects().CreateEffect(TEffectList::Screen, "efError.xml", x, y);
    search.Misses.erase(std::remove_if(search.Misses.begin(), search.Misses.end(),
                                       [now](int64_t t) { return now - t > kMissWindowMs; }),
                        search.Misses.end());
    search.Misses.push_back(now);
    if (static_cast<int32_t>(search.Misses.size()) <= kForgivenMisses)
        return;
    search.Misses.clear();
    level.Times.LevelStart -= kMissPenaltyMs;
    ++search.Penalties;
    OpenPenalty(level, game, now);
}

void PayDayPrize(tLevel& level, TLevelGame& game, bool& paid, int64_t now)
{
    const int64_t at = level.Times.CompleteAt;
    if (paid || at <= 0 || at > now || level.Play.Flow.Phase != TLevelPhase::Running || level.Play.Flow.Paused)
        return;
    paid = true;
    if (level.Goals.Prize > 0)
        AddScore(level, game, level.Goals.Prize, 0, now);
}

void TickPixel(tLevel& level, TLevelGame& game, TPixelSearch& search, const TLevelFrame& frame)
{
    LogAndCarryOn(level.Links.Log, "Error TickPixel", [&] { TickSteps(level, game, search, frame); });
}

void WGame_TFPixel_BHint_MouseUp(tLevel& level, TLevelGame& game, TPixelSearch& search)
{
    LogAndCarryOn(level.Links.Log, "Error WGame_TFPixel_BHint_MouseUp", [&] {
        const int64_t now = game.Now();
        search.LastFindAt = now;
        if (!search.HintButtonReady || search.Heaps.empty() || !LevelAcceptsInput(level))
            return;
        const TPixelTarget* first = nullptr;
        for (const TPixelTarget& t : search.Targets)
            if (TargetVisible(t) && !t.Done) {
                first = &t;
                break;
            }
        if (!first)
            return;
        for (int i = 0; i < kHintTries; ++i) {
            const TPixelHeap& heap =
                search.Heaps[static_cast<size_t>(level.Random().Below(static_cast<uint32_t>(search.Heaps.size())))];
            if (!heap.Active || !heap.Findable || heap.TypeIndex != first->TypeIndex ||
                first->Parts[static_cast<size_t>(heap.Part - 1)])
                continue;
            const TPoint c = HeapCentre(heap);
            level.Effects().CreateEffect(TEffectList::Screen, "efHintFishka.xml", c.X, c.Y);
            search.HintUsedAt = now;
            search.HintButtonReady = false;
            ILevelWindows& windows = game.TheWindows();
            windows.SetObjectProperty("WGame_TFPixel_BHint", "Picture", "ButtonDisabled.png");
            SetEnabled(windows, "WGame_TFPixel_BHint", false);
            SetVisible(windows, "WGame_TFPixel_EfOnHintButton", false);
            return;
        }
    });
}

void HidePixelHintLabel(TLevelGame& game, TPixelSearch& search)
{
    search.HintLabelShown = false;
    SetVisible(game.TheWindows(), "WGame_TFPixel_LHint", false);
}

void ShiftPixel(TPixelSearch& search, int64_t by)
{
    auto shift = [by](int64_t& t) {
        if (t > 0)
            t += by;
    };
    for (TPixelTarget& t : search.Targets) {
        shift(t.CheckAt);
        shift(t.RemoveAt);
    }
    for (int64_t& miss : search.Misses)
        miss += by;
    shift(search.HintUsedAt);
    shift(search.LastFindAt);
    shift(search.SlideAt);
}
