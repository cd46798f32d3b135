// Pop-up hints in a level: a short dialog in a balloon beside a piece or the mouse, shown
// once per player, with the level paused while it plays.
#pragma once

#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class tLevel;

// The recipe display a dialog shows over a level: for each of the level's hint types a row
// of its single parts joined by plus signs, an equals sign and the whole outfit, each part
// on a stand.
struct TRecipeEntry {
    std::string Picture;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t X = 0;  // the centre
    int32_t Y = 0;  // the top
    int32_t ShiftX = 0;
    int32_t ShiftY = 0;
    bool Sign = false;  // drawn without a stand
};

// A point the sparkle of a new part goes around, with half the size of its frame.
struct TRecipeMark {
    TPoint Point;
    TPoint Half;
};

struct TRecipeDisplay {
    std::vector<TRecipeEntry> Entries;
    std::vector<TRecipeMark> Marks;
    TPictureRef Stand;
};

// The recipe rows of the level's HintFishes, their pictures loaded; empty when the level
// names no hint types.
TRecipeDisplay BuildRecipeDisplay(tLevel& level);

// Where the balloon goes for a point: the first of the four placements that fits on the
// screen (left-bottom, left-top, right-bottom, right-top); nothing when none fits.
// atPiece lowers the balloon below the piece's top.
std::optional<THintPlacement> PlaceHintBalloon(tLevel& level, TPoint point, bool atPiece);

// Shows the hint script in its balloon at the piece (pieceIndex >= 0) or at the mouse.
// False when hints are off, the player has seen this hint, or no balloon fits.
bool ShowHints(tLevel& level, TLevelGame& game, const std::string& scriptFile, int32_t hintNumber, bool atMouse,
               int32_t customerIndex, int32_t pieceIndex);
