// The pixel day's search picture: garment parts hidden among the heap pictures of the
// scene, found by a click and carried to the outfit slots of the panel; a slot whose
// outfit is whole is done, and the day is won when every outfit asked for is done. Wrong
// clicks in a hurry cost time. The search is the day's own state beside the level; the
// session owns it.
#pragma once

#include "foundation/Geometry.h"
#include "gameplay/FishkaType.h"

#include <cstdint>
#include <string>
#include <vector>

class TLevelGame;
class tLevel;
struct TLevelFrame;

// One heap picture as the search sees it.
struct TPixelHeap {
    std::string Picture;  // the picture drawn and hit-tested
    TPoint Pos;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Findable = false;
    int32_t TypeIndex = -1;
    int32_t Part = 0;  // 1..8
    bool Active = true;  // not yet found
};

// An outfit slot of the panel.
struct TPixelTarget {
    int32_t TypeIndex = -1;
    int32_t Number = 0;  // counted over every type's slots, from 0
    TFishParts Parts{};  // found so far
    std::string Picture;  // the found parts, small; empty while none is found
    std::string Guide;    // the whole outfit, faint
    int32_t X = 0;        // the slot's centre
    int32_t Y = 0;        // the slot's top
    bool Done = false;
    bool Removed = false;
    int64_t CheckAt = 0;   // 0 none
    int64_t RemoveAt = 0;  // 0 none
};

struct TPixelSearch {
    std::vector<TPixelHeap> Heaps;
    std::vector<TPixelTarget> Targets;
    int32_t TargetIndex = 0;  // the piece type of the level whose slots are on the panel
    int32_t Remaining = 0;    // outfits still to complete
    std::vector<int64_t> Misses;
    int32_t Penalties = 0;
    int64_t HintUsedAt = 0;  // 0: never
    int32_t HintButtonDuration = 0;
    bool HintButtonReady = true;
    int64_t LastFindAt = 0;
    bool HintLabelShown = false;
    int64_t SlideAt = 0;  // the panel moves on to the next type; 0 none
    int32_t PanelTop = 463;
    int32_t Spacing = 0;
    bool PrizePaid = false;  // the day's prize went into the till as it was won
    // The scene or the panel changed: the background is composed again.
    bool SceneChanged = true;
};

// The panel's place and the slot area across it.
inline constexpr int32_t kPixelPanelTop = 463;
inline constexpr int32_t kPixelSlotsLeft = 185;
inline constexpr int32_t kPixelSlotsRight = 615;
inline constexpr int32_t kPixelSlotsBelowTop = 20;

// Whether a heap picture's file names a part of a piece type: "<type file name>_<digit>.png".
// Gives the type and the part, or false.
bool ParseFindable(const tLevel& level, const std::string& fileName, int32_t& typeIndex, int32_t& part);

// The search of a loaded pixel level: its heaps (by their working pictures when the game
// made them), its slots on the panel and the outfits to complete.
void PrepareHeaps(tLevel& level, TLevelGame& game, TPixelSearch& search);

// The heap picture under a point: the last one whose rectangle holds it where it is opaque
// enough. -1 none.
int32_t HeapAt(const tLevel& level, TLevelGame& game, const TPixelSearch& search, int32_t x, int32_t y);
// The slot a found part of that heap would go to; -1 none.
int32_t TargetFor(const TPixelSearch& search, const TPixelHeap& heap);

// A left click in the picture at (x, y). True when it was handled (a find, or a click on
// the panel); a miss costs nothing here.
bool LeftMouseDownInPixelGame(tLevel& level, TLevelGame& game, TPixelSearch& search, int32_t x, int32_t y);
// The level's click: the points around the click first, then a miss.
void PixelClick(tLevel& level, TLevelGame& game, TPixelSearch& search, int32_t x, int32_t y);
// A wrong click; the fourth within the miss window costs time.
void PixelMiss(tLevel& level, TLevelGame& game, TPixelSearch& search, int32_t x, int32_t y);

// One frame of the pixel day.
void TickPixel(tLevel& level, TLevelGame& game, TPixelSearch& search, const TLevelFrame& frame);

// The hint button: marks a heap that fits the first slot.
void WGame_TFPixel_BHint_MouseUp(tLevel& level, TLevelGame& game, TPixelSearch& search);
// The hint label has had its click (the day is resumed by the caller).
void HidePixelHintLabel(TLevelGame& game, TPixelSearch& search);

// The day's prize goes into the till once, as the day is won (its results count it).
void PayDayPrize(tLevel& level, TLevelGame& game, bool& paid, int64_t now);

// A paused day resumes: every pending time of the search moves on by the pause.
void ShiftPixel(TPixelSearch& search, int64_t by);

// The picture names of a slot's parts.
std::string TargetPicture(int32_t typeIndex, const TFishParts& parts);

// The time misses count for, how many are forgiven in it, and what the next one costs.
inline constexpr int64_t kMissWindowMs = 3000;
inline constexpr int32_t kForgivenMisses = 3;
inline constexpr int64_t kMissPenaltyMs = 5000;
inline constexpr int32_t kPenaltyHint = 6;
