// The bots that play a day.
#include "gameplay/LevelBots.h"

#include "foundation/Geometry.h"
#include "foundation/Random.h"
#include "gameplay/Combining.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelInput.h"
#include "gameplay/LevelSession.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace {

constexpr int64_t kThinkTime = 350;        // ms the greedy bot takes for each click
constexpr int32_t kRandomMin = 250;        // ms between the random bot's clicks
constexpr int32_t kRandomMax = 1000;
constexpr int32_t kCrowdedFill = 70;       // percent: the greedy bot clears the belt beyond this
// How the greedy bot weighs a drop: an outfit a customer waits for, a finished outfit, and
// each equal half finished with it (a combo pays every outfit one more and leaves a bag).
constexpr int32_t kWantedWorth = 4000;
constexpr int32_t kFinishedWorth = 2000;
constexpr int32_t kComboPieceWorth = 1500;
constexpr int32_t kPositionShare = 10;  // path units per point: the piece nearest the hatch first
constexpr uint32_t kBotSeedSalt = 0x9E3779B9u;  // the bots draw from their own stream
const TPoint kEmptySpot{5, 5};
constexpr int32_t kScreenWide = 800;  // a right click here lets go of the selection

// The mouse of a bot: a move to the point, then the press.
void Click(ILevelMouse& mouse, TPoint p, TLevelMouseButton button = TLevelMouseButton::Left)
{
    mouse.Move(p.X, p.Y);
    mouse.Press(button, p.X, p.Y);
}

// A point of the piece's picture where a click takes that piece, if there is one now.
std::optional<TPoint> PointOn(const tLevel& level, TLevelGame& game, int32_t index)
{
    const TFish& fish = level.Belt.Fishes[static_cast<size_t>(index)];
    if (fish.Width <= 0 || fish.Height <= 0)
        return std::nullopt;
    const int32_t cx = static_cast<int32_t>(fish.X + fish.Width / 2);
    for (double share : {0.5, 0.7, 0.3}) {
        TPoint p{cx, static_cast<int32_t>(fish.Y + fish.Height * share)};
        if (FindFishAt(level, game, p.X, p.Y) == index)
            return p;
    }
    return std::nullopt;
}

// The bonus box: the swap collecting the most, once the box has settled. A click selects
// the first cell, a click on its neighbour swaps; a selection elsewhere is let go first.
void PlayBox(TLevelSession& day, ILevelMouse& mouse)
{
    const tLevel& level = day.Level();
    const TBonusBox& box = day.Box();
    if (box.ResolveAt > 0)
        return;
    for (const TBoxCell& cell : box.Cells)
        if (cell.Falling || cell.RemoveAt >= 0 || cell.LockedUntil > day.Now())
            return;
    TCellPos a, b;
    if (!BestMove(box, a, b))
        return;
    auto centre = [&](TCellPos cell) {
        const TPoint p = BoxCellPos(level, cell);
        return TPoint{p.X + level.Box.CellWidth / 2, p.Y + level.Box.CellHeght / 2};
    };
    if (box.SelectedCell == a)
        Click(mouse, centre(b));
    else if (box.SelectedCell == b)
        Click(mouse, centre(a));
    else if (box.SelectedCell.Valid())
        Click(mouse, kEmptySpot, TLevelMouseButton::Right);
    else
        Click(mouse, centre(a));
}

// A point of the heap picture where a click takes that heap: the middle first, then the
// rest of the picture row by row (another picture may lie over part of it).
std::optional<TPoint> PointOnHeap(const tLevel& level, TLevelGame& game, const TPixelSearch& search, int32_t index)
{
    constexpr int32_t kProbeStep = 4;
    const TPixelHeap& heap = search.Heaps[static_cast<size_t>(index)];
    const TPoint c{heap.Pos.X + heap.Width / 2, heap.Pos.Y + heap.Height / 2};
    auto takes = [&](TPoint p) { return p.Y < search.PanelTop && HeapAt(level, game, search, p.X, p.Y) == index; };
    if (takes(c))
        return c;
    for (int32_t y = heap.Pos.Y + kProbeStep / 2; y < heap.Pos.Y + heap.Height; y += kProbeStep)
        for (int32_t x = heap.Pos.X + kProbeStep / 2; x < heap.Pos.X + heap.Width; x += kProbeStep)
            if (takes({x, y}))
                return TPoint{x, y};
    return std::nullopt;
}

// The pixel search: the next part a slot of the panel still lacks.
void PlayPixel(TLevelSession& day, ILevelMouse& mouse)
{
    const TPixelSearch& search = day.Pixel();
    for (int32_t i = 0; i < static_cast<int32_t>(search.Heaps.size()); ++i) {
        if (TargetFor(search, search.Heaps[static_cast<size_t>(i)]) < 0)
            continue;
        if (auto p = PointOnHeap(day.Level(), day.Game(), search, i)) {
            Click(mouse, *p);
            return;
        }
    }
}

class TIdleBot final : public TLevelBot {
public:
    void Act(TLevelSession&, ILevelMouse&, int64_t) override {}
};

// Clicks a random piece now and then.
class TRandomBot final : public TLevelBot {
public:
    explicit TRandomBot(uint32_t seed) : random_(seed) {}
    void Act(TLevelSession& day, ILevelMouse& mouse, int64_t now) override
    {
        tLevel& level = day.Level();
        TLevelGame& game = day.Game();
        if (now < nextAt_ || !LevelAcceptsInput(level))
            return;
        nextAt_ = now + random_.Between(kRandomMin, kRandomMax);
        if (level.IsBonusLevel() || level.IsPixelLevel()) {
            // Anywhere over the box or the picture.
            const TRect area = level.IsBonusLevel() ? BoxRect(level, day.Box())
                                                    : TRect{0, 0, kScreenWide, day.Pixel().PanelTop};
            if (area.IsEmpty())
                return;
            Click(mouse, {area.Left + random_.Below(static_cast<uint32_t>(area.Width())),
                          area.Top + random_.Below(static_cast<uint32_t>(area.Height()))});
            return;
        }
        const int32_t n = static_cast<int32_t>(level.Belt.Fishes.size());
        if (n == 0)
            return;
        if (auto p = PointOn(level, game, random_.Below(n)))
            Click(mouse, *p);
    }

private:
    TRandom random_;
    int64_t nextAt_ = 0;
};

// Builds the outfits the customers want: drops a piece on its missing half, the most urgent
// first; collects money bags; clears the belt of unwanted outfits when it gets crowded.
class TGreedyBot final : public TLevelBot {
public:
    void Act(TLevelSession& day, ILevelMouse& mouse, int64_t now) override
    {
        tLevel& level = day.Level();
        TLevelGame& game = day.Game();
        if (now < nextAt_ || !LevelAcceptsInput(level))
            return;
        if (level.IsBonusLevel() || level.IsPixelLevel()) {
            if (level.IsBonusLevel())
                PlayBox(day, mouse);
            else
                PlayPixel(day, mouse);
            nextAt_ = now + kThinkTime;
            return;
        }
        Wanted(level);
        const auto& fishes = level.Belt.Fishes;
        const int32_t selected = level.Belt.SelectedIndex;
        if (selected >= 0 && selected < static_cast<int32_t>(fishes.size())) {
            int32_t target = BestPartner(level, game, selected, nullptr);
            if (target >= 0)
                Click(mouse, *PointOn(level, game, target));
            else
                Click(mouse, kEmptySpot, TLevelMouseButton::Right);
            nextAt_ = now + kThinkTime;
            return;
        }
        for (int32_t i = 0; i < static_cast<int32_t>(fishes.size()); ++i)
            if (fishes[static_cast<size_t>(i)].Kind == TFishKind::MoneyBag && Takeable(level, game, i, now)) {
                Click(mouse, *PointOn(level, game, i));
                nextAt_ = now + kThinkTime;
                return;
            }
        int32_t bestSource = -1;
        int32_t bestScore = 0;
        for (int32_t i = 0; i < static_cast<int32_t>(fishes.size()); ++i) {
            if (!Takeable(level, game, i, now))
                continue;
            int32_t score = 0;
            if (BestPartner(level, game, i, &score) >= 0 && score > bestScore) {
                bestScore = score;
                bestSource = i;
            }
        }
        if (bestSource >= 0) {
            Click(mouse, *PointOn(level, game, bestSource));
            nextAt_ = now + kThinkTime;
        }
    }

private:
    void Wanted(const tLevel& level)
    {
        wanted_.clear();
        for (const TPerson& person : level.Play.Customers.Persons)
            if (!person.Leaving)
                for (const TOrder& order : person.Orders)
                    wanted_[order.TypeIndex] += order.Remaining;
    }

    static bool Takeable(const tLevel& level, TLevelGame& game, int32_t i, int64_t now)
    {
        const TFish& fish = level.Belt.Fishes[static_cast<size_t>(i)];
        const TLenta* lenta = level.FirstLenta();
        if (fish.LeaveAt > 0 || !lenta || fish.InHatchZone(lenta->PathLength) || fish.BlinkAt > now)
            return false;
        return PointOn(level, game, i).has_value();
    }

    // The best piece to drop source on, and how good the drop is; -1 when none is worth it.
    int32_t BestPartner(const tLevel& level, TLevelGame& game, int32_t source, int32_t* bestScore)
    {
        const auto& fishes = level.Belt.Fishes;
        const TFish& src = fishes[static_cast<size_t>(source)];
        const bool crowded = BeltFillPercent(level) > kCrowdedFill;
        const int64_t now = game.Now();
        int32_t best = -1, bestValue = 0;
        for (int32_t j = 0; j < static_cast<int32_t>(fishes.size()); ++j) {
            if (j == source || !Takeable(level, game, j, now))
                continue;
            const TFish& dst = fishes[static_cast<size_t>(j)];
            TFishParts merged{};
            if (!CanInsert(level, src, dst, &merged))
                continue;
            const TFish& garment = dst.Kind == TFishKind::PlusOne ? src : dst;
            const bool complete = FullMakeFishka(level, garment.TypeIndex, merged);
            auto it = wanted_.find(garment.TypeIndex);
            const bool wanted = it != wanted_.end() && it->second > 0;
            if (!wanted && !crowded)
                continue;
            std::vector<int32_t> group;
            if (complete && dst.IsGarment())
                FullDress(level, j, group, true);
            const int32_t extra = std::max<int32_t>(0, static_cast<int32_t>(group.size()) - 1);
            // Outfits customers wait for first, finished ones before halves, bigger combos
            // before smaller, the piece nearest the hatch first.
            int32_t value = (wanted ? kWantedWorth : 0) + (complete ? kFinishedWorth : 0) +
                            (wanted ? extra * kComboPieceWorth : 0) +
                            std::max(src.Position, dst.Position) / kPositionShare;
            if (value > bestValue) {
                bestValue = value;
                best = j;
                // Any piece of the run takes the others along; the bot aims at the middle.
                if (group.size() > 2 && Takeable(level, game, Middle(group), now))
                    best = Middle(group);
            }
        }
        if (bestScore)
            *bestScore = bestValue;
        return best;
    }

    // The middle piece of a run of equal pieces.
    static int32_t Middle(std::vector<int32_t> run)
    {
        std::sort(run.begin(), run.end());
        return run[run.size() / 2];
    }

    static int32_t BeltFillPercent(const tLevel& level)
    {
        const TLenta* lenta = level.FirstLenta();
        if (!lenta || lenta->PathLength <= 0)
            return 0;
        int64_t taken = 0;
        for (const TFish& fish : level.Belt.Fishes)
            taken += 2 * fish.HalfLength;
        return static_cast<int32_t>(taken * 100 / lenta->PathLength);
    }

    std::map<int32_t, int32_t> wanted_;
    int64_t nextAt_ = 0;
};

}  // namespace

void TSessionMouse::Move(int32_t x, int32_t y) { day_.MouseMove(x, y); }

void TSessionMouse::Press(TLevelMouseButton button, int32_t x, int32_t y)
{
    day_.MouseDown(button, x, y);
    day_.MouseUp(button, x, y);
}

std::unique_ptr<TLevelBot> MakeLevelBot(const std::string& name, uint32_t seed)
{
    if (name == "greedy")
        return std::make_unique<TGreedyBot>();
    if (name == "random")
        return std::make_unique<TRandomBot>(seed ^ kBotSeedSalt);
    if (name == "idle")
        return std::make_unique<TIdleBot>();
    return nullptr;
}

