// The anti-aliased line of Xiaolin Wu, blended toward a colour (or darkening, colour 0).
#include "graphics/SurfEngine.h"

#include "foundation/Text.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

struct TLineTarget {
    TSurface* Surface;
    const TPixelFormat* Format;
    int Width, Height;  // the frame pixels may be written in
    uint8_t Intensity;
    uint8_t Bytes[3];   // 32 bits: the colour in pixel byte order
    uint16_t Color16;

    void Blend(int x, int y, double coverage) const
    {
        const int w = TruncSafe(coverage * Intensity);
        if (w <= 0)
            return;
        if (Format->BitCount == 32) {
            uint8_t* p = Surface->Row(y) + x * 4;
            for (int k = 0; k < 3; ++k)
                p[k] = static_cast<uint8_t>((Bytes[k] * w + (255 - w) * p[k]) >> 8);
        } else if (Format->BitCount == 16) {
            uint16_t& p = reinterpret_cast<uint16_t*>(Surface->Row(y))[x];
            uint32_t r = 0;
            for (uint32_t m : {Format->Red.Mask, Format->Green.Mask, Format->Blue.Mask})
                r |= ((static_cast<uint32_t>(255 - w) * (p & m) + static_cast<uint32_t>(w) * (Color16 & m)) >> 8) & m;
            p = static_cast<uint16_t>(r);
        }
    }

    // A pair of pixels across the line: (major, minor) and (major, minor + 1). The pair
    // is drawn only when both lie inside the frame, away from its first column and row.
    void Pair(bool steep, double major, double minor, double c0, double c1) const
    {
        const double lo = std::floor(minor);
        if (!(major >= 0 && lo >= 0 && major < 16384 && lo < 16384))
            return;
        const int a = static_cast<int>(major), b = static_cast<int>(lo);
        const int x = steep ? b : a, y = steep ? a : b;
        const int x2 = steep ? b + 1 : a, y2 = steep ? a : b + 1;
        if (x < (steep ? 0 : 1) || y < (steep ? 1 : 0) || x2 >= Width || y2 >= Height)
            return;
        Blend(x, y, c0);
        Blend(x2, y2, c1);
    }
};

double FracPart(double v)
{
    return v - std::floor(v);
}

}  // namespace

void TSurfEngine::DrawWuLine(std::string_view surface, uint32_t color, uint8_t intensity, double x1, double y1,
                             double x2, double y2)
{
    TSurface* s = FindSurface(surface);
    if (!s || !s->HasPixels() || !format_.IsDrawable())
        return;
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return;
    TLineTarget t{s, &format_, std::min(screenWidth_, s->Width), std::min(screenHeight_, s->Height), intensity, {0, 0, 0}, 0};
    if (format_.BitCount == 32 && color != 0) {
        if (format_.Name == "B8G8R8") {
            t.Bytes[0] = ColorBlue(color), t.Bytes[1] = ColorGreen(color), t.Bytes[2] = ColorRed(color);
        } else if (format_.Name == "R8G8B8") {
            t.Bytes[0] = ColorRed(color), t.Bytes[1] = ColorGreen(color), t.Bytes[2] = ColorBlue(color);
        }
    }
    t.Color16 = format_.BitCount == 16 ? ColorTo16(color, format_) : 0;

    const bool steep = std::fabs(y2 - y1) > std::fabs(x2 - x1);
    if (steep) {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const double dx = x2 - x1;
    const double gradient = dx == 0 ? 1 : (y2 - y1) / dx;

    // End points: coverage scaled by how much of the end pixel the line covers.
    const double xEnd1 = std::floor(x1 + 0.5);
    const double yEnd1 = y1 + gradient * (xEnd1 - x1);
    const double gap1 = 1 - FracPart(x1 + 0.5);
    t.Pair(steep, xEnd1, yEnd1, (1 - FracPart(yEnd1)) * gap1, FracPart(yEnd1) * gap1);
    const double xEnd2 = std::floor(x2 + 0.5);
    const double yEnd2 = y2 + gradient * (xEnd2 - x2);
    const double gap2 = FracPart(x2 + 0.5);
    t.Pair(steep, xEnd2, yEnd2, (1 - FracPart(yEnd2)) * gap2, FracPart(yEnd2) * gap2);

    // Only the part of the span that can touch the frame is walked.
    const int limit = steep ? t.Height : t.Width;
    const double from = std::max(xEnd1 + 1, 0.0);
    const double to = std::min(xEnd2 - 1, double(limit));
    for (double x = from; x <= to; x += 1) {
        const double y = yEnd1 + gradient * (x - xEnd1);
        t.Pair(steep, x, y, 1 - FracPart(y), FracPart(y));
    }
}
