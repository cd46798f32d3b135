// Mouse input of a standard level and the window before a level.
#include "foundation/QelLog.h"
#include "gameplay/LevelInput.h"

#include "audio/SoundEvents.h"
#include "foundation/Text.h"
#include "gameplay/Bonuses.h"
#include "gameplay/Combining.h"
#include "gameplay/FishList.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelGame.h"
#include "metagame/Episods.h"

#include <algorithm>
#include <exception>

namespace {

constexpr int32_t kOpaque = 150;       // alpha above this counts as the picture
constexpr int32_t kPairMargin = 10;    // pixels around a pair of equal pieces
constexpr int32_t kTipsPerEpisode = 6;  // odd episodes show the second set of tips
constexpr int32_t kBonusLevelIndex = 3;
// Clicks that take nothing, one after another, mean the player is guessing: a hint says
// how picking works, once per player.
constexpr int32_t kOverClickingHint = 2;       // hint number in the player's shown hints
constexpr size_t kOverClicks = 5;              // fruitless clicks...
constexpr int64_t kOverClickingWindow = 3000;  // ...within this many ms

bool UsedByClick(TFishKind kind)
{
    return kind == TFishKind::Reverse || kind == TFishKind::Pause || kind == TFishKind::Transform ||
           kind == TFishKind::MoneyBag;
}

bool Inside(const TFish& fish, int32_t x, int32_t y)
{
    return x >= fish.X && x < fish.X + fish.Width && y >= fish.Y && y < fish.Y + fish.Height;
}

// Not in the hatch and not on its way out: pieces the player can take.
bool Takeable(const tLevel& level, const TFish& fish)
{
    const TLenta* lenta = level.FirstLenta();
    return !fish.InHatchZone(lenta ? lenta->PathLength : 0) && fish.LeaveAt == 0;
}

void RecordMouse(tLevel& level, const char* what, int32_t x, int32_t y, int64_t now)
{
    if (!level.Demo.Recording)
        return;
    level.Demo.Lines.push_back(std::string("<") + what + " x=\"" + std::to_string(x) + "\" y=\"" +
                               std::to_string(y) + "\" time=\"" + std::to_string(now - level.Demo.RecordStart) +
                               "\" />");
}

// A piece taken from the belt sounds as what it is; sound overrides that.
void Select(tLevel& level, int32_t index, const char* sound = nullptr)
{
    ClearSelection(level);
    TFish& fish = level.Belt.Fishes[static_cast<size_t>(index)];
    fish.Selected = true;
    level.Belt.SelectedIndex = index;
    if (!sound)
        sound = fish.Kind == TFishKind::PlusOne ? "BonusPlus1" : "SelectDress";
    level.Sounds().AddSoundEffect(sound);
}

// True when the click took a piece or used one.
bool ClickWithoutSelection(tLevel& level, TLevelGame& game, int32_t x, int32_t y, int64_t now)
{
    ClearSelection(level);
    int32_t a = FindFishAt(level, game, x, y);
    if (a < 0)
        return false;
    if (UsedByClick(level.Belt.Fishes[static_cast<size_t>(a)].Kind)) {
        GiveBonus(level, game, a, now);
        return true;
    }
    Select(level, a);
    return true;
}

// True when the click joined pieces or used one; a click that only moves the selection
// or finds nothing is fruitless.
bool ClickWithSelection(tLevel& level, TLevelGame& game, int32_t x, int32_t y, int64_t now)
{
    TBelt& belt = level.Belt;
    const int32_t selected = belt.SelectedIndex;
    int32_t b = FindFishAt(level, game, x, y);
    if (b < 0)
        b = FindPairAt(level, x, y);
    if (b < 0 || b == selected)
        return false;
    if (UsedByClick(belt.Fishes[static_cast<size_t>(b)].Kind)) {
        GiveBonus(level, game, b, now);
        ClearSelection(level);
        return true;
    }
    belt.NextSelection = -1;
    if (PutFishInsideFish(level, game, selected, b, now)) {
        DeleteFishes(level, selected);  // the proposed selection follows its piece
        belt.SelectedIndex = belt.NextSelection;
        belt.NextSelection = -1;
        if (belt.SelectedIndex < 0)
            ClearSelection(level);
        return true;
    }
    Select(level, b, "SelectDress");  // the selection moves, whatever it moves to
    return false;
}

void NoteFruitlessClick(tLevel& level, int64_t now)
{
    TBelt& belt = level.Belt;
    auto& clicks = belt.FruitlessClicks;
    clicks.erase(std::remove_if(clicks.begin(), clicks.end(),
                                [now](int64_t t) { return now - t > kOverClickingWindow; }),
                 clicks.end());
    clicks.push_back(now);
    if (clicks.size() < kOverClicks || belt.OverClickingHintShown)
        return;
    clicks.clear();
    belt.OverClickingHintShown = level.Events().ShowHints(level, "Script_HintOverClicking.xml", kOverClickingHint, -1);
}

// The pieces a click at the mouse would take together with the selected piece.
void HighlightDrop(tLevel& level, TLevelGame& game, int32_t selected)
{
    auto& fishes = level.Belt.Fishes;
    const int32_t mx = game.Mouse.X, my = game.Mouse.Y;
    int32_t target = FindFishAt(level, game, mx, my);
    if (target < 0)
        target = FindPairAt(level, mx, my);
    if (target < 0 || target == selected)
        return;
    const TFish& sel = fishes[static_cast<size_t>(selected)];
    const TFish& tgt = fishes[static_cast<size_t>(target)];
    const bool selPlus = sel.Kind == TFishKind::PlusOne;
    const bool tgtPlus = tgt.Kind == TFishKind::PlusOne;
    const bool sameType = sel.IsGarment() && tgt.IsGarment() && sel.TypeIndex == tgt.TypeIndex;
    if (!sameType && selPlus == tgtPlus)
        return;
    TFishParts merged{};
    if (!CanInsert(level, sel, tgt, &merged))
        return;
    const TFish& garment = tgtPlus ? sel : tgt;
    const TFishkaType* type = level.TypeOf(garment);
    const bool complete = type && PartCount(merged) == type->PieceCount;
    std::vector<int32_t> group;
    if (tgtPlus)
        group.push_back(target);
    else
        FullDress(level, target, group, complete);  // the pieces equal to the target now
    if (!complete && group.size() > 1)
        group.erase(group.begin() + 1, group.end());  // only the target itself
    for (int32_t i : group)
        fishes[static_cast<size_t>(i)].Highlighted = true;
}

}  // namespace

int32_t FindFishAt(const tLevel& level, TLevelGame& game, int32_t x, int32_t y)
{
    const auto& fishes = level.Belt.Fishes;
    std::vector<int32_t> hits;
    for (size_t i = 0; i < fishes.size(); ++i)
        if (Inside(fishes[i], x, y) && Takeable(level, fishes[i]))
            hits.push_back(static_cast<int32_t>(i));
    if (hits.size() == 1)
        return hits.front();
    for (int32_t i : hits) {
        const TFish& fish = fishes[static_cast<size_t>(i)];
        int32_t alpha = game.TheHost().PictureAlpha(fish.PictureName, x - static_cast<int32_t>(fish.X),
                                                    y - static_cast<int32_t>(fish.Y));
        if (alpha < 0 || alpha > kOpaque)
            return i;
    }
    return -1;
}

int32_t FindPairAt(const tLevel& level, int32_t x, int32_t y)
{
    const auto& fishes = level.Belt.Fishes;
    for (size_t i = 0; i + 1 < fishes.size(); ++i) {
        const TFish& a = fishes[i];
        const TFish& b = fishes[i + 1];
        if (!a.IsGarment() || !b.IsGarment() || a.TypeIndex != b.TypeIndex ||
            EffectiveParts(a) != EffectiveParts(b) || !Takeable(level, a) || !Takeable(level, b))
            continue;
        const double left = std::min(a.X, b.X) - kPairMargin;
        const double top = std::min(a.Y, b.Y) - kPairMargin;
        const double right = std::max(a.X + a.Width, b.X + b.Width) + kPairMargin;
        const double bottom = std::max(a.Y + a.Height, b.Y + b.Height) + kPairMargin;
        if (x >= left && x < right && y >= top && y < bottom)
            return static_cast<int32_t>(i);
    }
    return -1;
}

void LevelMouseDown(tLevel& level, TLevelGame& game, TLevelMouseButton button, int32_t x, int32_t y)
{
    game.Mouse = {x, y};
    if (button == TLevelMouseButton::Left)
        LeftMouseDownInGame(level, game, x, y);
    else if (button == TLevelMouseButton::Right)
        RightMouseDownInGame(level, game, x, y);
}

void LevelMouseMove(tLevel& level, TLevelGame& game, int32_t x, int32_t y)
{
    LogAndCarryOn(level.Links.Log, "Error FormMouseMove", [&] {
        game.Mouse = {x, y};
        RecordMouse(level, "MouseMove", x, y, game.Now());
        if (game.TheHost().Screen() == TLevelScreen::Level)
            CheckSelect(level, game);
    });
}

void LeftMouseDownInGame(tLevel& level, TLevelGame& game, int32_t x, int32_t y)
{
    LogAndCarryOn(level.Links.Log, "Error tLevel.LeftMouseDownInGame", [&] {
        const int64_t now = game.Now();
        RecordMouse(level, "MouseLDown", x, y, now);
        if (!LevelAcceptsInput(level))
            return;
        const bool useful =
            level.Belt.SelectedIndex < 0 || level.Belt.SelectedIndex >= static_cast<int32_t>(level.Belt.Fishes.size())
                ? ClickWithoutSelection(level, game, x, y, now)
                : ClickWithSelection(level, game, x, y, now);
        if (!useful)
            NoteFruitlessClick(level, now);
    });
}

void RightMouseDownInGame(tLevel& level, TLevelGame& game, int32_t x, int32_t y)
{
    LogAndCarryOn(level.Links.Log, "Error tLevel.LeftMouseDownInGame", [&] {
        if (!game.TheWindows().IsTopWindow("WGame") || level.Play.Flow.Phase != TLevelPhase::Running ||
            level.Play.Flow.Paused)
            return;
        ClearSelection(level);
        int32_t index = FindFishAt(level, game, x, y);
        if (index >= 0 && IsBonusKind(level.Belt.Fishes[static_cast<size_t>(index)].Kind))
            DeleteFishes(level, index);
        level.Belt.SelectedIndex = -1;
    });
}

void CheckSelect(tLevel& level, TLevelGame& game)
{
    LogAndCarryOn(level.Links.Log, "Error tLevel.CheckSelect", [&] {
        if (!LevelAcceptsInput(level))
            return;
        auto& fishes = level.Belt.Fishes;
        for (TFish& fish : fishes)
            fish.Highlighted = false;
        const int32_t selected = level.Belt.SelectedIndex;
        if (selected < 0 || selected >= static_cast<int32_t>(fishes.size())) {
            int32_t under = FindFishAt(level, game, game.Mouse.X, game.Mouse.Y);
            if (under >= 0)
                fishes[static_cast<size_t>(under)].Highlighted = true;
            return;
        }
        HighlightDrop(level, game, selected);
    });
}

void BeforeLevelShow(tLevel& level, TLevelGame& game, int64_t now)
{
    LogAndCarryOn(level.Links.Log, "Error TLevel.BeforeLevelShow", [&] {
        ILevelWindows& windows = game.TheWindows();
        TLevelFlow& flow = level.Play.Flow;
        const std::string currency = game.Currency();
        if (level.IsPixelLevel()) {
            windows.SetObjectProperty("WBeforeLevel_TFPixel", "Visible", "True");
        } else if (level.IsBonusLevel()) {
            SetCaption(windows, "WBeforeLevel_TFBonus_LGoalCount", currency + IntToStr(level.Goals.Goal));
            windows.SetObjectProperty("WBeforeLevel_TFBonus", "Visible", "True");
        } else {
            SetCaption(windows, "WBeforeLevel_LDay", GetLevelLabel(windows, level.LevelIndex, false));
            SetCaption(windows, "WBeforeLevel_LGoalCount", currency + IntToStr(level.Goals.Goal));
            windows.SetObjectProperty("WBeforeLevel_TFStandart", "Visible", "True");
            int32_t tip = (level.LevelIndex >= kBonusLevelIndex ? level.LevelIndex - 1 : level.LevelIndex) + 1 +
                          (level.Episod % 2 == 1 ? kTipsPerEpisode : 0);
            SetCaption(windows, "WBeforeLevel_TFStandart_RLTip",
                       GetCaption(windows, "WResource2_LTip" + std::to_string(tip)));
        }
        flow.BeforeLevelScreen = TLevelScreen::Level;
        windows.ShowModal("WBeforeLevel");
        level.Sounds().AddSoundEffect("StartGoal");
        game.TheHost().EnterScreen(TLevelScreen::GameMenu);
        PauseLevel(level, now);
    });
}

void WBeforeLevel_BPlay_MouseUp(tLevel& level, TLevelGame& game)
{
    const int64_t now = game.Now();
    game.TheWindows().HideModal("WBeforeLevel");
    game.TheHost().RedrawAll();
    game.TheHost().EnterScreen(level.Play.Flow.BeforeLevelScreen);
    ResumeLevel(level, now - level.Play.Flow.PausedAt);
    if (level.Demo.Recording)
        level.Demo.RecordStart = now;
}
