// Putting one surface onto another: the opaque copy, the alpha-blended draw at integer
// and real positions, filled and tinted rectangles, the additive composition and the
// batch draw of glyphs. Clipping happens here; the pixel work is in the row kernels.
#include "graphics/SurfEngine.h"

#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "graphics/BlendKernels.h"
#include "graphics/Clipping.h"

#include <algorithm>
#include <cstring>

namespace {

std::string RectText(const TRect& r)
{
    return " Rect (l:" + IntToStr(r.Left) + " t:" + IntToStr(r.Top) + " r:" + IntToStr(r.Right) +
           " b:" + IntToStr(r.Bottom) + ")";
}

uint32_t* Row32(const TSurface& s, int y, int x)
{
    return reinterpret_cast<uint32_t*>(s.Row(y)) + x;
}

uint16_t* Row16(const TSurface& s, int y, int x)
{
    return reinterpret_cast<uint16_t*>(s.Row(y)) + x;
}

// An inclusive source rectangle drawn with its left-top at (x, y): cut to the source
// picture and to the destination, keeping every drawn pixel where it was. extra is 1
// when each drawn pixel also reads its right and lower neighbour. False: nothing left.
bool ClipInclusive(TRect& r, int& x, int& y, const TSurface& src, int dstWidth, int dstHeight, int extra)
{
    if (r.Left < 0) {
        x -= r.Left;
        r.Left = 0;
    }
    if (r.Top < 0) {
        y -= r.Top;
        r.Top = 0;
    }
    if (x < 0) {
        r.Left -= x;
        x = 0;
    }
    if (y < 0) {
        r.Top -= y;
        y = 0;
    }
    r.Right = std::min(r.Right, src.Width - 1);
    r.Bottom = std::min(r.Bottom, src.Height - 1);
    if (x >= dstWidth || y >= dstHeight)
        return false;
    r.Right = std::min<int64_t>(r.Right, int64_t(r.Left) + dstWidth - 1 - x + extra);
    r.Bottom = std::min<int64_t>(r.Bottom, int64_t(r.Top) + dstHeight - 1 - y + extra);
    return r.Right - extra >= r.Left && r.Bottom - extra >= r.Top;
}

}  // namespace

// ---- Opaque copy -------------------------------------------------------------------------

void TSurfEngine::DrawSurfaceChecked(const TSurface& source, TSurface& destination, int x, int y,
                                     std::optional<TRect> rect, const char* operation)
{
    x = Bounded(x);
    y = Bounded(y);
    TRect r = Bounded(rect.value_or(TRect{0, 0, source.Width, source.Height}));
    if (rect) {
        if (int64_t(x) + r.Right - r.Left >= screenWidth_)
            r.Right = r.Left + screenWidth_ - x;
        if (int64_t(y) + r.Bottom - r.Top >= screenHeight_)
            r.Bottom = r.Top + screenHeight_ - y;
        r.Left = std::max(r.Left, 0);
        r.Top = std::max(r.Top, 0);
        r.Right = std::max(r.Right, 0);
        r.Bottom = std::max(r.Bottom, 0);
    }
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (x > screenWidth_ || y > screenHeight_ || r.IsEmpty())
        return;
    // The platform blitter refused a copy that reaches outside either surface; so does
    // this one, with the same message, rather than touching memory it does not own.
    const bool fits = r.Right <= source.Width && r.Bottom <= source.Height &&
                      int64_t(x) + r.Width() <= destination.Width && int64_t(y) + r.Height() <= destination.Height;
    if (!fits)
        throw TQelException(std::string("Exception Error in TSurfEngine.") + operation + ".  naSource: " +
                            source.Name + " naDest: " + destination.Name);
    if (!source.HasPixels() || !destination.HasPixels() || !format_.IsDrawable())
        return;
    const int bpp = format_.BytesPerPixel();
    const size_t bytes = static_cast<size_t>(r.Width()) * bpp;
    for (int row = 0; row < r.Height(); ++row)
        std::memmove(destination.Row(y + row) + static_cast<ptrdiff_t>(x) * bpp,
                     source.Row(r.Top + row) + static_cast<ptrdiff_t>(r.Left) * bpp, bytes);
}

void TSurfEngine::DrawSurface(std::string_view source, std::string_view destination, int x, int y,
                              std::optional<TRect> sourceRect)
{
    TSurface* src = FindSurface(source);
    TSurface* dst = FindSurface(destination);
    if (src && dst)
        DrawSurfaceChecked(*src, *dst, x, y, sourceRect, "DrawSurface");
}

void TSurfEngine::DrawSurfaceInd(int source, int destination, int x, int y, std::optional<TRect> sourceRect)
{
    TSurface* src = SurfaceAt(source);
    TSurface* dst = SurfaceAt(destination);
    if (src && dst)
        DrawSurfaceChecked(*src, *dst, x, y, sourceRect, "DrawSurfaceInd");
}

// ---- Alpha-blended draw ------------------------------------------------------------------

void TSurfEngine::DrawWithAlphaChannel(std::string_view source, std::string_view destination, int x, int y,
                                       uint8_t opacity, std::optional<TRect> sourceRect, uint32_t color, uint8_t tint)
{
    if (opacity == 0)
        return;
    TSurface* src = FindSurface(source);
    if (!src)
        return;
    x = Bounded(x);
    y = Bounded(y);
    TRect r = Bounded(sourceRect.value_or(TRect{0, 0, src->Width - 1, src->Height - 1}));
    try {
        if (!src->HasAlpha()) {
            std::optional<TRect> exclusive = sourceRect;
            if (exclusive) {
                exclusive->Right += 1;
                exclusive->Bottom += 1;
                r = *exclusive;
            }
            DrawSurface(source, destination, x, y, exclusive);
            return;
        }
        TSurface* dst = FindSurface(destination);
        if (!dst)
            return;
        if (x < 0) {
            r.Left -= x;
            x = 0;
        }
        if (y < 0) {
            r.Top -= y;
            y = 0;
        }
        if (!sourceRect) {
            if (int64_t(x) + src->Width - 1 > dst->Width - 1)
                r.Right -= x + src->Width - dst->Width;
            if (int64_t(y) + src->Height - 1 > dst->Height - 1)
                r.Bottom -= y + src->Height - dst->Height;
        }
        DrawAlpha(*src, *dst, x, y, opacity, r, color, tint);
    } catch (...) {
        throw TQelException("Exception Error in TSurfEngine.DrawWithAlphaChannel.  naSource: " + std::string(source) +
                            " naDest: " + std::string(destination) + " x: " + IntToStr(x) + " y: " + IntToStr(y) +
                            RectText(r));
    }
}

void TSurfEngine::DrawWithAlphaChannelInd(int source, int destination, int x, int y, uint8_t opacity,
                                          std::optional<TRect> sourceRect, uint32_t color, uint8_t tint)
{
    const TSurface* src = SurfaceAt(source);
    const TSurface* dst = SurfaceAt(destination);
    if (src && dst)
        DrawWithAlphaChannel(src->Name, dst->Name, x, y, opacity, sourceRect, color, tint);
}

// Draws the inclusive rectangle r of src at (x, y) of dst, both already non-negative
// from the caller's clipping; what still reaches outside either surface is cut here.
void TSurfEngine::DrawAlpha(TSurface& src, TSurface& dst, int x, int y, uint8_t opacity, TRect r, uint32_t color,
                            uint8_t tint)
{
    if (!ClipInclusive(r, x, y, src, dst.Width, dst.Height, 0))
        return;
    if (!src.HasPixels() || !dst.HasPixels() || !src.HasAlpha())
        return;
    const int count = r.Right - r.Left + 1;
    if (format_.BitCount == 32) {
        const TBlendKernels& k = *kernels_;
        for (int row = r.Top; row <= r.Bottom; ++row) {
            uint32_t* d = Row32(dst, y + row - r.Top, x);
            const uint32_t* s = Row32(src, row, r.Left);
            const uint8_t* a = src.AlphaRow(row) + r.Left;
            if (tint == 0)
                k.Alpha32(d, s, a, count, opacity);
            else
                k.Tint32(d, s, a, count, opacity, tint, color);
        }
    } else if (format_.BitCount == 16) {
        const TBlendKernels& k = format_.Is565() ? *kernels_ : ScalarKernels();
        const uint16_t color16 = ColorTo16(color, format_);
        for (int row = r.Top; row <= r.Bottom; ++row) {
            uint16_t* d = Row16(dst, y + row - r.Top, x);
            const uint16_t* s = Row16(src, row, r.Left);
            const uint8_t* a = src.AlphaRow(row) + r.Left;
            if (tint == 0)
                k.Alpha16(d, s, a, count, opacity, format_);
            else
                k.Tint16(d, s, a, count, opacity, tint, color16, format_);
        }
    }
}

void TSurfEngine::DrawWithAlphaChannelInReal(std::string_view source, std::string_view destination, double x,
                                             double y, uint8_t opacity, std::optional<TRect> sourceRect,
                                             uint32_t color, uint8_t tint)
{
    if (opacity == 0)
        return;
    TSurface* src = FindSurface(source);
    if (!src)
        return;
    if (!(x >= -kFar && x <= kFar && y >= -kFar && y <= kFar))
        return;  // nowhere near any surface (or not a number)
    int ix = TruncSafe(x);
    int iy = TruncSafe(y);
    TRect r = Bounded(sourceRect.value_or(TRect{0, 0, src->Width - 1, src->Height - 1}));
    try {
        if (!src->HasAlpha()) {
            std::optional<TRect> exclusive = sourceRect;
            if (exclusive) {
                exclusive->Right += 1;
                exclusive->Bottom += 1;
                r = *exclusive;
            }
            DrawSurface(source, destination, ix, iy, exclusive);
            return;
        }
        TSurface* dst = FindSurface(destination);
        if (!dst)
            return;
        if (x < 0) {
            r.Left -= ix;
            x = x - ix + 1;
            ix = 0;
        }
        if (y < 0) {
            r.Top -= iy;
            y = y - iy + 1;
            iy = 0;
        }
        if (!sourceRect) {
            if (int64_t(ix) + src->Width - 1 > dst->Width - 1)
                r.Right -= ix + src->Width - dst->Width;
            if (int64_t(iy) + src->Height - 1 > dst->Height - 1)
                r.Bottom -= iy + src->Height - dst->Height;
        }
        const double fx = 1 - (x - ix);
        const double fy = 1 - (y - iy);
        TBilinearWeights w;
        w.W00 = TruncSafe((1 - fx) * 255 * (1 - fy));
        w.W10 = TruncSafe(fx * 255 * (1 - fy));
        w.W01 = TruncSafe((1 - fx) * 255 * fy);
        w.W11 = TruncSafe(fx * 255 * fy);

        // Rows top .. bottom - 1 and columns left .. right - 1 are drawn; the last row and
        // column of the rectangle only serve as neighbours.
        TRect c = r;
        int cx = ix, cy = iy;
        if (!ClipInclusive(c, cx, cy, *src, dst->Width, dst->Height, 1))
            return;
        if (!src->HasPixels() || !dst->HasPixels())
            return;
        const int count = c.Right - c.Left;
        if (format_.BitCount == 32) {
            for (int j = c.Top; j < c.Bottom; ++j)
                kernels_->Real32(Row32(*dst, cy + j - c.Top, cx), Row32(*src, j, c.Left), Row32(*src, j + 1, c.Left),
                                 src->AlphaRow(j) + c.Left, src->AlphaRow(j + 1) + c.Left, count, w, opacity, tint,
                                 color);
        } else if (format_.BitCount == 16) {
            const TBlendKernels& k = format_.Is565() ? *kernels_ : ScalarKernels();
            const uint16_t color16 = ColorTo16(color, format_);
            for (int j = c.Top; j < c.Bottom; ++j)
                k.Real16(Row16(*dst, cy + j - c.Top, cx), Row16(*src, j, c.Left), Row16(*src, j + 1, c.Left),
                         src->AlphaRow(j) + c.Left, src->AlphaRow(j + 1) + c.Left, count, w, opacity, tint, color16,
                         format_);
        }
    } catch (...) {
        throw TQelException("Exception Error in TSurfEngine.DrawWithAlphaChannelInReal.  naSource: " +
                            std::string(source) + " naDest: " + std::string(destination) + " x: " + IntToStr(ix) +
                            " y: " + IntToStr(iy) + RectText(r));
    }
}

// ---- Rectangles --------------------------------------------------------------------------

namespace {

// The limits of the rectangle operations: negative left or top become 0, a right or
// bottom beyond the surface becomes its last column or row; then right and bottom are
// exclusive. False when nothing is left.
bool LimitRect(TRect& r, const TSurface& s)
{
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    if (r.Right > s.Width)
        r.Right = s.Width - 1;
    if (r.Bottom > s.Height)
        r.Bottom = s.Height - 1;
    return !r.IsEmpty();
}

}  // namespace

void TSurfEngine::FillRectAlpha(std::string_view surface, TRect rect, uint8_t alpha, uint32_t color)
{
    TSurface* s = FindSurface(surface);
    if (!s || !s->HasPixels() || !LimitRect(rect, *s))
        return;
    if (format_.BitCount == 32) {
        for (int y = rect.Top; y < rect.Bottom; ++y)
            kernels_->Fill32(Row32(*s, y, rect.Left), rect.Width(), alpha, color);
    } else if (format_.BitCount == 16) {
        const TBlendKernels& k = format_.Is565() ? *kernels_ : ScalarKernels();
        for (int y = rect.Top; y < rect.Bottom; ++y)
            k.Fill16(Row16(*s, y, rect.Left), rect.Width(), alpha, ColorTo16(color, format_), format_);
    }
}

void TSurfEngine::FillSurfaceRect(std::string_view surface, uint8_t value, TRect rect)
{
    TSurface* s = FindSurface(surface);
    if (!s || !s->HasPixels() || !format_.IsDrawable() || !LimitRect(rect, *s))
        return;
    const int bpp = format_.BytesPerPixel();
    for (int y = rect.Top; y < rect.Bottom; ++y)
        std::memset(s->Row(y) + static_cast<ptrdiff_t>(rect.Left) * bpp, value, static_cast<size_t>(rect.Width()) * bpp);
}

// ---- Additive composition ----------------------------------------------------------------

void TSurfEngine::AddSurfaces(std::string_view destination, std::string_view firstSource, std::optional<TRect> limit,
                              std::optional<TRect> destinationRect, std::optional<TRect> firstSourceRect,
                              std::string_view secondSource)
{
    TSurface* dst = FindSurface(destination);
    TSurface* first = FindSurface(firstSource);
    TSurface* second = FindSurface(secondSource);
    if (!dst || !first || !second)
        return;
    const TRect lim = Bounded(limit.value_or(TRect{0, 0, screenWidth_ - 1, screenHeight_ - 1}));
    TRect d = Bounded(destinationRect.value_or(TRect{0, 0, dst->Width, dst->Height}));
    TRect f = Bounded(firstSourceRect.value_or(TRect{0, 0, second->Width, second->Height}));
    auto cut = [&](TRect& r) {
        r.Left = std::clamp(r.Left, lim.Left, std::max(lim.Left, lim.Right));
        r.Right = std::clamp(r.Right, lim.Left, std::max(lim.Left, lim.Right));
        r.Top = std::clamp(r.Top, lim.Top, std::max(lim.Top, lim.Bottom));
        r.Bottom = std::clamp(r.Bottom, lim.Top, std::max(lim.Top, lim.Bottom));
    };
    cut(d);
    cut(f);
    if (d.IsEmpty() || f.IsEmpty())
        return;
    // Every surface is read or written only inside itself: a negative corner moves both
    // rectangles along, and the extent is the part all three surfaces hold.
    const int skipX = std::max({0, -d.Left, -f.Left});
    const int skipY = std::max({0, -d.Top, -f.Top});
    const int dx = d.Left + skipX, dy = d.Top + skipY;
    const int fx = f.Left + skipX, fy = f.Top + skipY;
    const int width = std::min({d.Width() - skipX, dst->Width - dx, second->Width - dx, first->Width - fx});
    const int height = std::min({d.Height() - skipY, dst->Height - dy, second->Height - dy, first->Height - fy});
    if (width <= 0 || height <= 0 || !dst->HasPixels() || !first->HasPixels() || !second->HasPixels())
        return;
    if (format_.BitCount == 32) {
        for (int row = 0; row < height; ++row)
            kernels_->Add32(Row32(*dst, dy + row, dx), Row32(*first, fy + row, fx), Row32(*second, dy + row, dx), width);
    } else if (format_.BitCount == 16) {
        const TBlendKernels& k = format_.Is565() ? *kernels_ : ScalarKernels();
        for (int row = 0; row < height; ++row)
            k.Add16(Row16(*dst, dy + row, dx), Row16(*first, fy + row, fx), Row16(*second, dy + row, dx), width,
                    format_);
    }
}

// ---- Glyphs ------------------------------------------------------------------------------

void TSurfEngine::DrawCharList(std::string_view glyphPicture, std::string_view destination, int count,
                               std::span<const TCharsRect> list)
{
    TSurface* pic = FindSurface(glyphPicture);
    TSurface* dst = FindSurface(destination);
    if (!pic || !pic->HasAlpha() || !dst || !pic->HasPixels() || !dst->HasPixels())
        return;
    count = std::clamp<int64_t>(count, 0, static_cast<int64_t>(list.size()));
    // Glyphs are kept inside the screen and inside the destination, whichever is smaller.
    const int limitWidth = std::min(screenWidth_, dst->Width);
    const int limitHeight = std::min(screenHeight_, dst->Height);
    const uint8_t tint = 1;
    for (int i = 0; i < count; ++i) {
        const TCharsRect& e = list[static_cast<size_t>(i)];
        TRect r = Bounded(e.Source);
        int x = Bounded(e.X), y = Bounded(e.Y);
        if (!ClipInclusive(r, x, y, *pic, limitWidth, limitHeight, 0))
            continue;
        const int n = r.Right - r.Left + 1;
        if (format_.BitCount == 32) {
            for (int row = r.Top; row <= r.Bottom; ++row)
                kernels_->Tint32(Row32(*dst, y + row - r.Top, x), Row32(*pic, row, r.Left), pic->AlphaRow(row) + r.Left,
                                 n, e.Opacity, tint, e.Color);
        } else if (format_.BitCount == 16) {
            const TBlendKernels& k = format_.Is565() ? *kernels_ : ScalarKernels();
            const uint16_t color16 = ColorTo16(e.Color, format_);
            for (int row = r.Top; row <= r.Bottom; ++row)
                k.Tint16(Row16(*dst, y + row - r.Top, x), Row16(*pic, row, r.Left), pic->AlphaRow(row) + r.Left, n,
                         e.Opacity, tint, color16, format_);
        }
    }
}

// ---- Presentation ------------------------------------------------------------------------

namespace {

bool InsideScreen(const TRect& r, int width, int height)
{
    return r.Left >= 0 && r.Right <= width && r.Top >= 0 && r.Bottom <= height;
}

}  // namespace

void TSurfEngine::BlitRects(TSurface& destination, const TSurface& source, std::span<const TRect> rects)
{
    if (!destination.HasPixels() || !source.HasPixels() || !format_.IsDrawable())
        return;
    const int bpp = format_.BytesPerPixel();
    for (const TRect& r : rects) {
        // Dropped, not clipped: a rectangle outside the screen copies nothing.
        if (!InsideScreen(r, screenWidth_, screenHeight_) || r.IsEmpty())
            continue;
        const int right = std::min({r.Right, destination.Width, source.Width});
        const int bottom = std::min({r.Bottom, destination.Height, source.Height});
        if (right <= r.Left)
            continue;
        for (int y = r.Top; y < bottom; ++y)
            std::memcpy(destination.Row(y) + static_cast<ptrdiff_t>(r.Left) * bpp,
                        source.Row(y) + static_cast<ptrdiff_t>(r.Left) * bpp, static_cast<size_t>(right - r.Left) * bpp);
    }
}

void TSurfEngine::BlitRects(IQelDisplay& display, const TSurface& source, std::span<const TRect> rects)
{
    LogAndCarryOn(log_, "Error TSurfEngine.BlitRects", [&] {
        if (!source.HasPixels() || source.Width < screenWidth_ || source.Height < screenHeight_)
            throw std::runtime_error("no frame");
        std::vector<TRect> kept;
        kept.reserve(rects.size());
        for (const TRect& r : rects)
            if (InsideScreen(r, screenWidth_, screenHeight_) && !r.IsEmpty())
                kept.push_back(r);
        display.PresentRects(source.Pixels, source.Pitch, kept);
    });
}

void TSurfEngine::BlitRects(IQelDisplay& display, std::string_view source, std::span<const TRect> rects)
{
    const TSurface* s = FindSurface(source);
    if (!s) {
        Log("Error TSurfEngine.BlitRects");
        return;
    }
    BlitRects(display, *s, rects);
}
