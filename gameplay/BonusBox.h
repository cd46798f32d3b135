// The bonus day's box: garment tokens in a grid of cells, two neighbours swapped to make
// lines of three or more of a kind, the lines collected into the cash register, the
// columns falling and refilling, and the day's end by its count, its time or a box with
// no move left. The box is the day's own state beside the level; the session owns it.
#pragma once

#include "foundation/Geometry.h"
#include "gameplay/FishkaType.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TLevelGame;
class tLevel;
struct TLevelFrame;

// A cell of the box, columns and rows counted from 1; (-1, -1) is no cell.
struct TCellPos {
    int32_t Col = -1;
    int32_t Row = -1;
    bool Valid() const { return Col > 0 && Row > 0; }
    bool operator==(const TCellPos&) const = default;
};

// Manhattan distance 1.
bool AreNeighbours(TCellPos a, TCellPos b);

struct TBoxCell {
    int32_t TypeIndex = -1;  // -1: empty
    TFishParts Parts{};
    std::string PictureName;
    int32_t FallY = 0;       // the piece's top while it falls (screen y)
    double FallSpeed = 0;    // pixels per frame
    bool Falling = false;
    int64_t RemoveAt = -1;   // the cell empties then; -1 none
    int64_t LockedUntil = 0;
    int64_t BlinkAt = 0;     // not drawn before this (a flight carries the piece meanwhile)
    bool Highlighted = false;

    bool Empty() const { return TypeIndex < 0; }
};

// The goals on the cash register, lowest first.
enum class TBoxGoal : uint8_t { Basic, Great, Excellent };
inline constexpr int kBoxGoals = 3;

struct TCashUpdate {
    int64_t At = 0;
    int32_t Percent = 0;
};

struct TDelayedSound {
    int64_t At = 0;
    std::string Event;
    int32_t Volume = 100;
};

struct TBonusBox {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<TBoxCell> Cells;  // column by column

    TCellPos SelectedCell;
    std::array<TCellPos, 2> SwapCells{};  // the cells of the swap being resolved; none in a cascade
    std::vector<TCellPos> ResolveList;
    int64_t ResolveAt = 0;  // 0 none
    bool Cascade = false;
    int32_t CascadeSteps = 0;  // steps of the running cascade

    int32_t Collected = 0;
    std::array<int32_t, kBoxGoals> RingY{};      // the goals' heights on the register
    std::array<bool, kBoxGoals> GoalPassed{};
    std::vector<TCashUpdate> CashQueue;
    int32_t CashPercent = 0;  // what the register shows
    bool CashChanged = true;  // the register needs drawing again
    std::vector<TDelayedSound> Sounds;

    bool PrizePaid = false;  // the day's prize went into the till as it was won
    bool LeftDown = false;   // the left button went down over the box and is held
    bool Filled = false;

    TBoxCell* Cell(TCellPos pos);
    const TBoxCell* Cell(TCellPos pos) const;
};

// Fills the box at the level start: from the level's PutFishes rows where given, else
// random tokens of the level's types, every piece falling in from above; ready-made
// lines are broken up.
void FillBoxByFishes(tLevel& level, TBonusBox& box);

// The cells of the line through a cell: the cell itself, then a horizontal run of three or
// more and a vertical one, when there are. The cell makes a line when the result holds
// more than the cell.
std::vector<TCellPos> FindLine(const TBonusBox& box, TCellPos cell);

// The cell under a screen point; no cell outside the grid or with cells of no size.
TCellPos BoxCellAt(const tLevel& level, const TBonusBox& box, int32_t x, int32_t y);
// A cell's top left on screen.
TPoint BoxCellPos(const tLevel& level, TCellPos cell);
// The box's rectangle on screen.
TRect BoxRect(const tLevel& level, const TBonusBox& box);

// Whether some swap of two neighbours anywhere would make a line.
bool HasPossibleMove(const TBonusBox& box);
// The swap the greedy player makes: the one collecting the most cells. False when none.
bool BestMove(const TBonusBox& box, TCellPos& a, TCellPos& b);

// Swaps two neighbouring cells when that makes a line; otherwise the pieces fly there and
// back and both cells stay locked meanwhile. True for a valid move.
bool TryMove(tLevel& level, TLevelGame& game, TBonusBox& box, TCellPos a, TCellPos b, int64_t now);
// Collects the lines of the cells waiting to be checked.
void ResolveSwap(tLevel& level, TLevelGame& game, TBonusBox& box, int64_t now);
// The empty cells of a column take the pieces above them; new pieces fill the top.
void MakeDownFallCow(tLevel& level, TBonusBox& box, int32_t column);
// The falling pieces move on; true when one landed.
bool TickFallFishes(tLevel& level, TBonusBox& box, int64_t dt);
// The day is lost when no move is left.
void TickBoxLevelFaled(tLevel& level, TLevelGame& game, TBonusBox& box, int64_t now);

// The mouse over the box (only while the day is played with the game window on top).
void LeftMouseDownInGamePlayBox(tLevel& level, TLevelGame& game, TBonusBox& box, int32_t x, int32_t y);
void LeftMouseUpInGame(tLevel& level, TLevelGame& game, TBonusBox& box, int32_t x, int32_t y);
void BoxMouseMove(tLevel& level, TLevelGame& game, TBonusBox& box, int32_t x, int32_t y);
// The right button lets go of the selection.
void ClearBoxSelection(TBonusBox& box);

// The cash register at the level start: its goal rings on the register's scale, from
// its base (the top of the scale) over its height.
void SetCashRegisterGoals(tLevel& level, TBonusBox& box, int32_t base, int32_t height);

// One frame of the bonus day.
void TickBoxMovePiecesTimer(tLevel& level, TLevelGame& game, TBonusBox& box, const TLevelFrame& frame);

// A paused day resumes: every pending time of the box moves on by the pause.
void ShiftBox(TBonusBox& box, int64_t by);

// The cash register on the bonus panel: the coin column fills upward from the bottom of
// its scale, the goal rings stand at their share of the scale.
inline constexpr int32_t kCashScaleTop = 110;
inline constexpr int32_t kCashScaleHeight = 270;
inline constexpr int32_t kCashColumnX = 24;
inline constexpr TPoint kCashRegisterSlot{56, 120};  // where the coins fly to
