// Points and rectangles in screen pixels (origin top left, right and bottom exclusive).
#pragma once

#include <algorithm>
#include <cstdint>

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int32_t x, int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect MakeRect(int32_t left, int32_t top, int32_t width, int32_t height)
{
    return {left, top, left + width, top + height};
}

// The overlap of two rectangles; empty (IsEmpty) when they do not meet.
inline TRect Intersect(const TRect& a, const TRect& b)
{
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}
