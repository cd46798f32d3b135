// The bonus day's box: filling, lines, swaps, collecting, falling and the day's end.
#include "gameplay/BonusBox.h"

#include "audio/SoundEvents.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelFrame.h"
#include "gameplay/LevelGame.h"
#include "gameplay/LevelResults.h"
#include "gameplay/PixelSearch.h"
#include "gameplay/Scoring.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

constexpr int32_t kMinLine = 3;
// A filling that keeps making lines is given up after this many repairs: few types in a
// big box may never come out clean, and the box is played as it stands.
constexpr int32_t kMaxFillRepairs = 10000;
// A cascade that keeps finding lines (a box of one kind) stops after this many steps; the
// lines left wait for the next swap.
constexpr int32_t kMaxCascadeSteps = 64;
constexpr int32_t kFlightMs = 400;      // a swap's flight
constexpr int32_t kRefusedLockMs = 800;  // there and back
constexpr int32_t kCollectDelay = 400;   // the line shines, then the cells empty
constexpr int32_t kCascadeDelay = 800;   // the fall, then the next check
constexpr int32_t kFallWait = 100;       // a check waits while pieces still fall
constexpr int32_t kCoinGap = 100;        // between the coins of one step
constexpr int32_t kCoinFlight = 500;
constexpr int32_t kCashDelay = 1000;     // the register follows the coins
constexpr int32_t kCompleteDelay = 1000;
constexpr int32_t kHalfVolume = 50;
constexpr double kFallGravity = 70.0;  // speed gained per second of the frame, in pixels per frame
constexpr int32_t kAlertWindow = 30000;
constexpr int32_t kAlertRepeat = 5000;
constexpr int32_t kComboEffectDelay = 400;
constexpr int32_t kScreenWidth = 800;
constexpr int32_t kMaxBigCombo = 100;
const TPoint kGoalFlightEnd{400, 300};
constexpr int32_t kGoalFlightMs = 250;

struct TComboRow {
    int32_t Cells;  // at least
    const char* Effect;
    const char* Sound;
    const char* Picture;
};
constexpr TComboRow kCombos[] = {
    {6, "efBonusIncredible.xml", "GBonusIncredible", "BonusIncredible.png"},
    {5, "efBonusExcellent.xml", "GBonusExcellent", "BonusExcellent.png"},
    {4, "efBonusGreat.xml", "GBonusGreat", "BonusGreat.png"},
};

struct TGoalRow {
    const char* Marker;
    const char* FloatName;
    const char* Flight;
    const char* Sound;
};
// Basic, great, excellent.
constexpr TGoalRow kGoalRows[kBoxGoals] = {
    {"CashRegisterBasic.png", "BasicGoal", "efMach3_Basic.xml", "Mach3_Basic"},
    {"CashRegisterGreat.png", "GreatGoal", "efMach3_Great.xml", "Mach3_Great"},
    {"CashRegisterExcellent.png", "ExcellentGoal", "efMach3_Excellent.xml", "Mach3_Excellent"},
};

size_t CellIndex(const TBonusBox& box, TCellPos pos)
{
    return static_cast<size_t>(pos.Col - 1) * static_cast<size_t>(box.Height) + static_cast<size_t>(pos.Row - 1);
}

bool InBox(const TBonusBox& box, TCellPos pos)
{
    return pos.Col >= 1 && pos.Col <= box.Width && pos.Row >= 1 && pos.Row <= box.Height;
}

bool SameKind(const TBoxCell* a, const TBoxCell* b)
{
    return a && b && !a->Empty() && !b->Empty() && a->TypeIndex == b->TypeIndex && a->Parts == b->Parts;
}

std::string TokenPicture(int32_t type) { return "FishkaTypes" + std::to_string(type) + ".png"; }

void SetToken(TBoxCell& cell, int32_t type, int32_t part)
{
    cell.TypeIndex = type;
    cell.Parts = SinglePart(part);
    cell.PictureName = TokenPicture(type);
}

// A random token of the level's types with a random single part.
void RandomToken(tLevel& level, TBoxCell& cell)
{
    const auto& types = level.LevelFishes;
    if (types.empty()) {
        cell = TBoxCell{};
        return;
    }
    const int32_t type = types[static_cast<size_t>(level.Random().Below(static_cast<uint32_t>(types.size())))];
    const TFishkaType* t = level.Types().Type(type);
    const int32_t pieces = t ? std::clamp<int32_t>(t->PieceCount, 1, kMaxPieceCount) : 1;
    SetToken(cell, type, level.Random().Between(1, pieces));
}

bool AnyLine(const TBonusBox& box, TCellPos& at)
{
    for (int32_t c = 1; c <= box.Width; ++c)
        for (int32_t r = 1; r <= box.Height; ++r)
            if (FindLine(box, {c, r}).size() > 1) {
                at = {c, r};
                return true;
            }
    return false;
}

int32_t DistinctTypes(const std::vector<int32_t>& types)
{
    return static_cast<int32_t>(std::set<int32_t>(types.begin(), types.end()).size());
}

void Exchange(TBonusBox& box, TCellPos a, TCellPos b)
{
    TBoxCell* x = box.Cell(a);
    TBoxCell* y = box.Cell(b);
    if (x && y)
        std::swap(*x, *y);
}

TPoint CellCentre(const tLevel& level, TCellPos cell)
{
    const TPoint p = BoxCellPos(level, cell);
    return {p.X + level.Box.CellWidth / 2, p.Y + level.Box.CellHeght / 2};
}

void Fly(tLevel& level, const char* name, const TBoxCell& cell, TPoint from, TPoint to, int32_t ms, int64_t start)
{
    if (!cell.PictureName.empty())
        level.Effects().CreateMoveEffect(name, cell.PictureName, from, to, ms, start);
}

int32_t CashPercent(const tLevel& level, const TBonusBox& box)
{
    const int32_t need = level.Play.Flow.CompleteNeed;
    if (need <= 0)
        return 100;
    return static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(box.Collected) * 100 / need, 100));
}

bool EndScheduled(const tLevel& level) { return level.Times.CompleteAt > 0 || level.Times.FailAt > 0; }

bool BoxSettled(const TBonusBox& box)
{
    if (box.ResolveAt > 0)
        return false;
    for (const TBoxCell& cell : box.Cells)
        if (cell.Falling || cell.RemoveAt >= 0 || cell.Empty())
            return false;
    return true;
}

// The play of the combo effect over the collected cells, moved left where its picture
// would leave the screen.
void ComboEffect(tLevel& level, const std::vector<TCellPos>& cells, int64_t now)
{
    const int32_t n = static_cast<int32_t>(cells.size());
    if (n == kMinLine) {
        level.Sounds().AddSoundEffect("Swap");
        return;
    }
    if (n < kMinLine || n > kMaxBigCombo)
        return;
    for (const TComboRow& row : kCombos) {
        if (n < row.Cells)
            continue;
        int64_t sx = 0, sy = 0;
        for (TCellPos cell : cells) {
            const TPoint c = CellCentre(level, cell);
            sx += c.X;
            sy += c.Y;
        }
        int32_t x = static_cast<int32_t>(sx / n);
        const int32_t y = static_cast<int32_t>(sy / n);
        int32_t w = 0, h = 0;
        if (level.Pictures().PictureSize(row.Picture, w, h) && x + w > kScreenWidth)
            x = kScreenWidth - w;
        level.Effects().CreateEffect(TEffectList::Screen, row.Effect, x, y, now + kComboEffectDelay);
        level.Sounds().AddSoundEffect(row.Sound);
        return;
    }
}

void CollectLine(tLevel& level, TLevelGame& game, TBonusBox& box, const std::vector<TCellPos>& line,
                 std::set<std::pair<int32_t, int32_t>>& collected, int64_t now)
{
    for (TCellPos pos : line) {
        TBoxCell* cell = box.Cell(pos);
        if (!cell || cell->RemoveAt >= 0)
            continue;
        collected.insert({pos.Col, pos.Row});
        cell->RemoveAt = now + kCollectDelay;
        const TPoint c = CellCentre(level, pos);
        level.Effects().CreateEffect(TEffectList::Level, "efBlickOnCombinedFishkas.xml", c.X, c.Y);
        const int64_t coinAt = now + static_cast<int64_t>(collected.size() - 1) * kCoinGap;
        level.Effects().CreateMoveEffect("MoveCoin", "CoinSmall.png", c, kCashRegisterSlot, kCoinFlight, coinAt);
        box.Sounds.push_back({coinAt + kCoinFlight, "ClickOnMoneyBag", kHalfVolume});
    }
    const int32_t length = static_cast<int32_t>(line.size());
    box.Collected += length;
    // One point for each piece of the line.
    AddScore(level, game, length, 0, now);
    box.CashQueue.push_back({now + kCashDelay, CashPercent(level, box)});
    const int32_t need = level.Play.Flow.CompleteNeed;
    if (need > 0 && box.Collected >= need && level.Times.CompleteAt == 0)
        level.Times.CompleteAt = now + kCompleteDelay;
}

// The register's goals as the collected count passes them.
void PassGoals(tLevel& level, TLevelGame& game, TBonusBox& box)
{
    const std::array<int32_t, kBoxGoals> goals{level.Goals.Goal, level.Goals.GreatGoal, level.Goals.ExGoal};
    for (int g = 0; g < kBoxGoals; ++g) {
        if (box.GoalPassed[g] || box.Collected < goals[g])
            continue;
        box.GoalPassed[g] = true;
        box.CashChanged = true;
        const TGoalRow& row = kGoalRows[g];
        game.TheHost().DeleteScreenEffect(row.FloatName);
        // The goal's badge flies from its ring to the middle of the screen.
        level.Effects().CreateMoveEffect(row.Flight, row.Marker, {kCashColumnX, box.RingY[g]}, kGoalFlightEnd,
                                         kGoalFlightMs);
        level.Sounds().AddSoundEffect(row.Sound);
    }
    ILevelWindows& windows = game.TheWindows();
    const bool excellent = box.Collected > level.Goals.GreatGoal;
    const bool great = !excellent && box.Collected > level.Goals.Goal;
    windows.SetObjectProperty("WGame_TFBonus_TFExcellent", "Visible", excellent ? "True" : "False");
    windows.SetObjectProperty("WGame_TFBonus_TFGreat", "Visible", great ? "True" : "False");
    windows.SetObjectProperty("WGame_TFBonus_TFBasic", "Visible", !excellent && !great ? "True" : "False");
}

void TickClock(tLevel& level, TLevelGame& game, TBonusBox& box, int64_t now)
{
    TLevelFlow& flow = level.Play.Flow;
    const int64_t left = level.Times.LevelTime + level.Times.LevelStart - now;
    level.Times.TimeLeft = static_cast<int32_t>(std::clamp<int64_t>(left, 0, INT32_MAX));
    if (left > 0 && left <= kAlertWindow && flow.AlertAt <= now) {
        level.Sounds().AddSoundEffect("AlertTime");
        level.Effects().CreateEffect(TEffectList::Screen, "efTimeEnd.xml", 0, 0);
        flow.AlertAt = now + kAlertRepeat;
    }
    const std::string time = FormatMinutes(level.Times.TimeLeft);
    SetCaption(game.TheWindows(), "WGame_TFBonus_LTimeCount", time);
    SetCaption(game.TheWindows(), "WGame_TFStandart_LTimeCount", time);
    SetCaption(game.TheWindows(), "WGame_TFStandart_LTimeValue", time);
    if (left < 1 && level.Times.CompleteAt == 0) {
        game.TheHost().DeleteScreenEffect("efTimeEnd.xml");
        if (box.Collected < level.Goals.Goal)
            LevelFaled(level, game, now);
        else
            level.Times.CompleteAt = now;
    }
}

void TickSteps(tLevel& level, TLevelGame& game, TBonusBox& box, const TLevelFrame& frame)
{
    const int64_t now = frame.Now;
    TLevelFlow& flow = level.Play.Flow;
    if (flow.Phase != TLevelPhase::Running)
        return;
    // Under a dialog the pieces still settle into the box, so the player sees what the
    // dialog talks about; nothing else moves until the day goes on.
    if (flow.Paused) {
        if (TickFallFishes(level, box, frame.Dt))
            level.Sounds().AddSoundEffect("Fall");
        return;
    }
    if (box.ResolveAt > 0 && box.ResolveAt <= now)
        ResolveSwap(level, game, box, now);
    PayDayPrize(level, game, box.PrizePaid, now);
    TickGameCompleteTimer(level, game, now);
    if (flow.Phase != TLevelPhase::Running || PlayDueDialog(level, game, now))
        return;

    auto& queue = level.Play.Score.ScoreQueue;
    while (!queue.empty() && queue.front().ShowAt <= now) {
        SetCaption(game.TheWindows(), "WGame_TFStandart_LScoreCount", game.Currency() + IntToStr(queue.front().Score));
        queue.erase(queue.begin());
    }
    while (!box.CashQueue.empty() && box.CashQueue.front().At <= now) {
        box.CashPercent = box.CashQueue.front().Percent;
        box.CashChanged = true;
        box.CashQueue.erase(box.CashQueue.begin());
    }
    PassGoals(level, game, box);
    for (auto it = box.Sounds.begin(); it != box.Sounds.end();) {
        if (it->At <= now) {
            level.Sounds().AddSoundEffect(it->Event, it->Volume);
            it = box.Sounds.erase(it);
        } else {
            ++it;
        }
    }

    TickClock(level, game, box, now);
    if (flow.Phase != TLevelPhase::Running)
        return;

    std::set<int32_t> columns;
    for (int32_t c = 1; c <= box.Width; ++c)
        for (int32_t r = 1; r <= box.Height; ++r) {
            TBoxCell& cell = *box.Cell({c, r});
            if (cell.RemoveAt >= 0 && cell.RemoveAt <= now) {
                cell = TBoxCell{};
                columns.insert(c);
                if (box.SelectedCell == TCellPos{c, r})
                    box.SelectedCell = {};
            }
        }
    for (int32_t c : columns)
        MakeDownFallCow(level, box, c);
    if (TickFallFishes(level, box, frame.Dt))
        level.Sounds().AddSoundEffect("Fall");

    if (!level.Demo.Playback && !EndScheduled(level))
        TickBoxLevelFaled(level, game, box, now);
}

}  // namespace

bool AreNeighbours(TCellPos a, TCellPos b)
{
    return a.Valid() && b.Valid() && std::abs(a.Col - b.Col) + std::abs(a.Row - b.Row) == 1;
}

TBoxCell* TBonusBox::Cell(TCellPos pos)
{
    return InBox(*this, pos) && CellIndex(*this, pos) < Cells.size() ? &Cells[CellIndex(*this, pos)] : nullptr;
}

const TBoxCell* TBonusBox::Cell(TCellPos pos) const
{
    return InBox(*this, pos) && CellIndex(*this, pos) < Cells.size() ? &Cells[CellIndex(*this, pos)] : nullptr;
}

void FillBoxByFishes(tLevel& level, TBonusBox& box)
{
    LogAndCarryOn(level.Links.Log, "Error FillBoxByFishes", [&] {
        const TBoxGrid& grid = level.Box;
        box = TBonusBox{};
        box.Width = grid.BoxWidth;
        box.Height = grid.BoxHeght;
        box.Cells.assign(static_cast<size_t>(box.Width) * static_cast<size_t>(box.Height), TBoxCell{});
        const int32_t types = static_cast<int32_t>(level.LevelFishes.size());
        for (int32_t c = 1; c <= box.Width; ++c)
            for (int32_t r = 1; r <= box.Height; ++r) {
                TBoxCell& cell = *box.Cell({c, r});
                const TPutFish* put = grid.Cell(c, r);
                // A digit names a type of the level from 1; a cell the rows left out, or a
                // digit with no type, is filled at random.
                if (put && put->Filled && put->Digit >= 1 && put->Digit <= types)
                    SetToken(cell, level.LevelFishes[static_cast<size_t>(put->Digit - 1)], 1);
                else
                    RandomToken(level, cell);
                const TPoint p = BoxCellPos(level, {c, r});
                cell.FallY = p.Y - box.Height * grid.CellHeght;
                cell.Falling = true;
            }
        // With one kind there is nothing to change a token to.
        if (DistinctTypes(level.LevelFishes) >= 2) {
            int32_t repairs = 0;
            TCellPos at;
            while (AnyLine(box, at)) {
                if (++repairs > kMaxFillRepairs) {
                    level.WriteLog("Error FillBoxByFishes: the box keeps lines after " +
                                   std::to_string(kMaxFillRepairs) + " changes");
                    break;
                }
                const std::vector<TCellPos> line = FindLine(box, at);
                TBoxCell& cell = *box.Cell(line[static_cast<size_t>(level.Random().Below(
                    static_cast<uint32_t>(line.size())))]);
                const int32_t old = cell.TypeIndex;
                while (cell.TypeIndex == old)
                    RandomToken(level, cell);
            }
        }
        box.Filled = true;
    });
}

std::vector<TCellPos> FindLine(const TBonusBox& box, TCellPos cell)
{
    std::vector<TCellPos> result{cell};
    const TBoxCell* start = box.Cell(cell);
    if (!start || start->Empty())
        return result;
    auto run = [&](int32_t dc, int32_t dr) {
        std::vector<TCellPos> found;
        for (int sign : {1, -1}) {
            TCellPos p{cell.Col + sign * dc, cell.Row + sign * dr};
            while (SameKind(start, box.Cell(p))) {
                found.push_back(p);
                p = {p.Col + sign * dc, p.Row + sign * dr};
            }
        }
        if (static_cast<int32_t>(found.size()) + 1 >= kMinLine)
            result.insert(result.end(), found.begin(), found.end());
    };
    run(1, 0);
    run(0, 1);
    return result;
}

TCellPos BoxCellAt(const tLevel& level, const TBonusBox& box, int32_t x, int32_t y)
{
    const TBoxGrid& grid = level.Box;
    if (grid.CellWidth <= 0 || grid.CellHeght <= 0)
        return {};
    const int32_t dx = x - grid.BoxShift.X;
    const int32_t dy = y - grid.BoxShift.Y;
    if (dx < 0 || dy < 0)
        return {};
    const TCellPos pos{dx / grid.CellWidth + 1, dy / grid.CellHeght + 1};
    return InBox(box, pos) ? pos : TCellPos{};
}

TPoint BoxCellPos(const tLevel& level, TCellPos cell)
{
    const TBoxGrid& grid = level.Box;
    return {grid.BoxShift.X + (cell.Col - 1) * grid.CellWidth, grid.BoxShift.Y + (cell.Row - 1) * grid.CellHeght};
}

TRect BoxRect(const tLevel& level, const TBonusBox& box)
{
    const TBoxGrid& grid = level.Box;
    return {grid.BoxShift.X, grid.BoxShift.Y, grid.BoxShift.X + box.Width * grid.CellWidth,
            grid.BoxShift.Y + box.Height * grid.CellHeght};
}

namespace {

// The cells a swap of a and b would collect (0 when it makes no line).
int32_t SwapGain(TBonusBox& box, TCellPos a, TCellPos b)
{
    const TBoxCell* x = box.Cell(a);
    const TBoxCell* y = box.Cell(b);
    if (!x || !y || x->Empty() || y->Empty())
        return 0;
    Exchange(box, a, b);
    std::set<std::pair<int32_t, int32_t>> cells;
    for (TCellPos p : {a, b}) {
        const std::vector<TCellPos> line = FindLine(box, p);
        if (line.size() > 1)
            for (TCellPos q : line)
                cells.insert({q.Col, q.Row});
    }
    Exchange(box, a, b);
    return static_cast<int32_t>(cells.size());
}

}  // namespace

bool HasPossibleMove(const TBonusBox& box)
{
    TCellPos a, b;
    return BestMove(box, a, b);
}

bool BestMove(const TBonusBox& box, TCellPos& a, TCellPos& b)
{
    TBonusBox& scratch = const_cast<TBonusBox&>(box);  // every trial swap is put back
    int32_t best = 0;
    for (int32_t c = 1; c <= box.Width; ++c)
        for (int32_t r = 1; r <= box.Height; ++r)
            for (TCellPos other : {TCellPos{c + 1, r}, TCellPos{c, r + 1}}) {
                const int32_t gain = SwapGain(scratch, {c, r}, other);
                if (gain > best) {
                    best = gain;
                    a = {c, r};
                    b = other;
                }
            }
    return best > 0;
}

bool TryMove(tLevel& level, TLevelGame& /*game*/, TBonusBox& box, TCellPos a, TCellPos b, int64_t now)
{
    TBoxCell* x = box.Cell(a);
    TBoxCell* y = box.Cell(b);
    if (!x || !y || !AreNeighbours(a, b))
        return false;
    auto busy = [now](const TBoxCell& cell) {
        return cell.Empty() || cell.Falling || cell.RemoveAt >= 0 || cell.LockedUntil > now;
    };
    if (busy(*x) || busy(*y))
        return false;
    // Flights carry a picture by its middle.
    const TPoint pa = CellCentre(level, a);
    const TPoint pb = CellCentre(level, b);
    Fly(level, "Move1", *x, pa, pb, kFlightMs, now);
    Fly(level, "Move2", *y, pb, pa, kFlightMs, now);
    Exchange(box, a, b);
    const bool valid = FindLine(box, a).size() > 1 || FindLine(box, b).size() > 1;
    Exchange(box, a, b);
    if (!valid) {
        Fly(level, "Move3", *y, pa, pb, kFlightMs, now + kFlightMs);
        Fly(level, "Move4", *x, pb, pa, kFlightMs, now + kFlightMs);
        for (TBoxCell* cell : {x, y}) {
            cell->LockedUntil = now + kRefusedLockMs;
            cell->BlinkAt = now + kRefusedLockMs;
        }
        box.SelectedCell = {};
        return false;
    }
    Exchange(box, a, b);
    for (TBoxCell* cell : {x, y}) {
        cell->LockedUntil = now + kFlightMs;
        cell->BlinkAt = now + kFlightMs;
    }
    box.ResolveAt = now + kFlightMs;
    box.ResolveList = {a, b};
    box.SwapCells = {a, b};
    box.Cascade = false;
    box.CascadeSteps = 0;
    box.SelectedCell = b;
    return true;
}

void ResolveSwap(tLevel& level, TLevelGame& game, TBonusBox& box, int64_t now)
{
    LogAndCarryOn(level.Links.Log, "Error ResolveSwap", [&] {
        // Lines are checked on settled pieces.
        for (TCellPos pos : box.ResolveList)
            if (const TBoxCell* cell = box.Cell(pos); cell && cell->Falling) {
                box.ResolveAt = now + kFallWait;
                return;
            }
        box.ResolveAt = 0;
        const bool fromSwap = box.SwapCells[0].Valid();
        bool good = false;
        std::set<std::pair<int32_t, int32_t>> collected;
        for (TCellPos pos : box.ResolveList) {
            const TBoxCell* cell = box.Cell(pos);
            if (!cell || cell->RemoveAt >= 0)
                continue;
            const std::vector<TCellPos> line = FindLine(box, pos);
            if (line.size() < 2)
                continue;
            for (TCellPos p : line)
                good = good || p == box.SwapCells[0] || p == box.SwapCells[1];
            CollectLine(level, game, box, line, collected, now);
        }
        std::vector<TCellPos> cells;
        for (const auto& [c, r] : collected)
            cells.push_back({c, r});
        ComboEffect(level, cells, now);

        const bool found = !cells.empty();
        if (found && (good || box.Cascade) && box.CascadeSteps < kMaxCascadeSteps) {
            std::map<int32_t, int32_t> lowest;  // column: the lowest collected row
            for (TCellPos p : cells)
                lowest[p.Col] = std::max(lowest[p.Col], p.Row);
            box.ResolveList.clear();
            for (const auto& [c, bottom] : lowest)
                for (int32_t r = 1; r <= bottom; ++r)
                    box.ResolveList.push_back({c, r});
            box.ResolveAt = now + kCascadeDelay;
            box.Cascade = true;
            ++box.CascadeSteps;
        } else {
            box.Cascade = false;
            box.ResolveList.clear();
        }
        const std::array<TCellPos, 2> swapped = box.SwapCells;
        box.SwapCells = {};
        if (fromSwap && !good) {
            TBoxCell* x = box.Cell(swapped[0]);
            TBoxCell* y = box.Cell(swapped[1]);
            if (!x || !y)
                return;
            const TPoint pa = CellCentre(level, swapped[0]);
            const TPoint pb = CellCentre(level, swapped[1]);
            Fly(level, "Move", *x, pa, pb, kFlightMs, now);
            Fly(level, "Move", *y, pb, pa, kFlightMs, now);
            Exchange(box, swapped[0], swapped[1]);
            x->BlinkAt = y->BlinkAt = now + kFlightMs;
            level.Sounds().AddSoundEffect("Error");
            box.SelectedCell = swapped[0];
        }
    });
}

void MakeDownFallCow(tLevel& level, TBonusBox& box, int32_t column)
{
    if (column < 1 || column > box.Width)
        return;
    const TBoxGrid& grid = level.Box;
    auto at = [&](int32_t row) -> TBoxCell& { return *box.Cell({column, row}); };
    auto pending = [&](int32_t row) { return !at(row).Empty() && at(row).RemoveAt >= 0; };
    // A cell still shining before it empties holds what stands on it; the pieces between
    // two such cells settle on the lower one, and it falls when it has emptied.
    int32_t bottom = box.Height;
    while (bottom >= 1) {
        int32_t top = bottom;
        while (top >= 1 && !pending(top))
            --top;
        int32_t write = bottom;
        for (int32_t read = bottom; read > top; --read) {
            if (at(read).Empty())
                continue;
            if (read != write) {
                TBoxCell& source = at(read);
                const int32_t fromY = source.Falling ? source.FallY : BoxCellPos(level, {column, read}).Y;
                TBoxCell& dest = at(write);
                dest = source;
                dest.FallY = fromY;
                dest.Falling = true;
                dest.Highlighted = false;
                source = TBoxCell{};
            }
            --write;
        }
        if (top < 1) {
            // The top cells left empty get new pieces, falling in from above the box.
            for (int32_t r = write; r >= 1; --r) {
                TBoxCell& cell = at(r);
                RandomToken(level, cell);
                cell.FallY = grid.BoxShift.Y - (write - r + 1) * grid.CellHeght;
                cell.FallSpeed = 0;
                cell.Falling = true;
            }
        }
        bottom = top - 1;
    }
}

bool TickFallFishes(tLevel& level, TBonusBox& box, int64_t dt)
{
    bool landed = false;
    LogAndCarryOn(level.Links.Log, "Exception error in TQelGameEngine.TickFallFishes!", [&] {
        for (int32_t c = 1; c <= box.Width; ++c)
            for (int32_t r = 1; r <= box.Height; ++r) {
                TBoxCell& cell = *box.Cell({c, r});
                if (!cell.Falling)
                    continue;
                const int32_t target = BoxCellPos(level, {c, r}).Y;
                cell.FallSpeed += static_cast<double>(std::max<int64_t>(dt, 0)) * kFallGravity / 1000.0;
                cell.FallY += std::max(1, RoundHalfEven(cell.FallSpeed));
                if (cell.FallY >= target) {
                    cell.FallY = target;
                    cell.FallSpeed = 0;
                    cell.Falling = false;
                    landed = true;
                }
            }
    });
    return landed;
}

void TickBoxLevelFaled(tLevel& level, TLevelGame& game, TBonusBox& box, int64_t now)
{
    LogAndCarryOn(level.Links.Log, "Error TLevel.TickBoxLevelFaled", [&] {
        // The box is judged once everything has landed and been checked.
        if (!BoxSettled(box) || HasPossibleMove(box))
            return;
        LevelFaled(level, game, now);
    });
}

void LeftMouseDownInGamePlayBox(tLevel& level, TLevelGame& game, TBonusBox& box, int32_t x, int32_t y)
{
    LogAndCarryOn(level.Links.Log, "Exception error in TQelGameEngine.LeftMouseDownInGamePlayBox!", [&] {
        if (!LevelAcceptsInput(level) || !game.TheWindows().IsTopWindow("WGame") || EndScheduled(level))
            return;
        const TCellPos cell = BoxCellAt(level, box, x, y);
        if (!cell.Valid())
            return;
        box.LeftDown = true;
        const int64_t now = game.Now();
        if (AreNeighbours(box.SelectedCell, cell)) {
            TryMove(level, game, box, box.SelectedCell, cell, now);
            return;
        }
        const TBoxCell* target = box.Cell(cell);
        if (!target || target->Empty())
            return;
        box.SelectedCell = cell;
        level.Sounds().AddSoundEffect("SelectDress");
    });
}

void LeftMouseUpInGame(tLevel& level, TLevelGame& game, TBonusBox& box, int32_t x, int32_t y)
{
    LogAndCarryOn(level.Links.Log, "Error LeftMouseUpInGame", [&] {
        const bool held = box.LeftDown;
        box.LeftDown = false;
        if (!held || !LevelAcceptsInput(level) || !game.TheWindows().IsTopWindow("WGame") || EndScheduled(level))
            return;
        const TCellPos cell = BoxCellAt(level, box, x, y);
        if (AreNeighbours(box.SelectedCell, cell))
            TryMove(level, game, box, box.SelectedCell, cell, game.Now());
    });
}

void BoxMouseMove(tLevel& level, TLevelGame& game, TBonusBox& box, int32_t x, int32_t y)
{
    LogAndCarryOn(level.Links.Log, "Exception error in TQelGameEngine.LeftMouseDownInGamePlayBox!", [&] {
        for (TBoxCell& cell : box.Cells)
            cell.Highlighted = false;
        const TCellPos cell = BoxCellAt(level, box, x, y);
        if (TBoxCell* under = box.Cell(cell))
            under->Highlighted = true;
        if (!box.LeftDown || !LevelAcceptsInput(level) || !game.TheWindows().IsTopWindow("WGame") ||
            EndScheduled(level))
            return;
        if (!AreNeighbours(box.SelectedCell, cell))
            return;
        // A drag tries its move once; the button has done its work.
        box.LeftDown = false;
        if (!TryMove(level, game, box, box.SelectedCell, cell, game.Now()))
            box.SelectedCell = {};
    });
}

void ClearBoxSelection(TBonusBox& box)
{
    box.SelectedCell = {};
    box.LeftDown = false;
}

void SetCashRegisterGoals(tLevel& level, TBonusBox& box, int32_t base, int32_t height)
{
    const int32_t need = level.Play.Flow.CompleteNeed;
    const std::array<int32_t, kBoxGoals> goals{level.Goals.Goal, level.Goals.GreatGoal, level.Goals.ExGoal};
    for (int g = 0; g < kBoxGoals; ++g) {
        const double share = need > 0 ? std::clamp(static_cast<double>(goals[g]) / need, 0.0, 1.0) : 1.0;
        box.RingY[g] = base + height - RoundHalfEven(share * height);
        box.GoalPassed[g] = false;
    }
    box.CashPercent = 0;
    box.CashChanged = true;
}

void TickBoxMovePiecesTimer(tLevel& level, TLevelGame& game, TBonusBox& box, const TLevelFrame& frame)
{
    LogAndCarryOn(level.Links.Log, "Error TickBoxMovePiecesTimer", [&] { TickSteps(level, game, box, frame); });
}

void ShiftBox(TBonusBox& box, int64_t by)
{
    auto shift = [by](int64_t& t, int64_t unset) {
        if (t > unset)
            t += by;
    };
    for (TBoxCell& cell : box.Cells) {
        shift(cell.RemoveAt, -1);
        shift(cell.LockedUntil, 0);
        shift(cell.BlinkAt, 0);
    }
    shift(box.ResolveAt, 0);
    for (TCashUpdate& update : box.CashQueue)
        update.At += by;
    for (TDelayedSound& sound : box.Sounds)
        sound.At += by;
}
