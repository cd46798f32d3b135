// Coordinates from callers, bounded before any clipping arithmetic: no surface is wider
// than TDeviceSurface::kMaxSide, so a position or rectangle edge further out than kFar
// draws nothing either way, and bounding it keeps every sum inside 32 bits.
#pragma once

#include "foundation/Geometry.h"

#include <algorithm>

constexpr int kFar = 1 << 24;

constexpr int Bounded(int v)
{
    return std::clamp(v, -kFar, kFar);
}

constexpr TRect Bounded(const TRect& r)
{
    return {Bounded(r.Left), Bounded(r.Top), Bounded(r.Right), Bounded(r.Bottom)};
}
