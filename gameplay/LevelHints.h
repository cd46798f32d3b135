// Pop-up hints in a level: a short dialog in a balloon beside a piece or the mouse, shown
// once per player, with the level paused while it plays.
#pragma once

#include "gameplay/LevelGame.h"

#include <cstdint>
#include <optional>
#include <string>

class tLevel;

// Where the balloon goes for a point: the first of the four placements that fits on the
// screen (left-bottom, left-top, right-bottom, right-top); nothing when none fits.
// atPiece lowers the balloon below the piece's top.
std::optional<THintPlacement> PlaceHintBalloon(tLevel& level, TPoint point, bool atPiece);

// Shows the hint script in its balloon at the piece (pieceIndex >= 0) or at the mouse.
// False when hints are off, the player has seen this hint, or no balloon fits.
bool ShowHints(tLevel& level, TLevelGame& game, const std::string& scriptFile, int32_t hintNumber, bool atMouse,
               int32_t customerIndex, int32_t pieceIndex);
