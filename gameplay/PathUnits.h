// The one unit of positions along a belt, and the belt's distances written in it.
#pragma once

#include <cstdint>

// A "path unit" is one millisecond of the belt path's own time: a piece at position p
// stands where the belt's path script is at time p, and a belt is as long (in path units)
// as its path lasts. Belts are authored with "Set Timing +0.04" (0.04 pixels per
// millisecond), so 25 path units make one pixel of track and the distances below are the
// sizes the scene is drawn for: a piece takes 80 pixels of belt, the hatches open 20
// pixels from either end.
//
// Why this unit and not pixels: the path is evaluated by time, so a position in path
// time maps to a point exactly, with integer positions and no search along the curve; and
// the distances below only make sense at about 25 units a pixel (in pixels a piece would
// need 2000 pixels of belt on an 800-pixel screen). The one quantity given in pixels is a
// belt's speed (pixels per second); the belt converts it with its own units per pixel
// (PathLength / PathPixels), so a belt authored with another timing still runs at the
// speed its level asks for.
inline constexpr int32_t kFishHalfLength = 1000;     // half the belt a piece takes
inline constexpr int32_t kHatchZone = 500;           // pieces rise and sink within this of either end
inline constexpr int32_t kFallHintPosition = 8000;   // past this a falling garment may show its hint
inline constexpr int32_t kReverseFullStep = 200;     // per frame, once a reverse runs at full speed
inline constexpr int32_t kReverseRemoveBelow = -100;  // reversed pieces leave the belt below this
