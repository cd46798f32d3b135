// Rotation and resizing: bilinear sampling for rotation and enlarging, weighted means for
// shrinking. Both build 24-bit rows and put a new surface in place of the old one.
#include "graphics/SurfEngine.h"

#include "foundation/Text.h"

#include <algorithm>
#include <cmath>

namespace {

// A surface read back as 8-bit channels (GetPixelRgb), with its alpha plane if any.
struct TRgbPicture {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Bgr;
    std::vector<uint8_t> Alpha;

    TRgbPicture(const TSurface& s, const TPixelFormat& f) : Width(s.Width), Height(s.Height)
    {
        Bgr.resize(static_cast<size_t>(Width) * Height * 3);
        if (s.HasPixels())
            for (int y = 0; y < Height; ++y)
                PixelsToBgrRow(f, s.Row(y), Bgr.data() + static_cast<size_t>(y) * Width * 3, Width);
        if (s.HasAlpha())
            Alpha = s.Alpha;
    }
    bool HasAlpha() const { return !Alpha.empty(); }
};

// Bilinear sample at (sx, sy), 0 <= sx <= W - 1 and 0 <= sy <= H - 1; samples past the
// last column or row repeat it. Gives blue, green, red and alpha, clamped and rounded.
void Sample(const TRgbPicture& p, double sx, double sy, int out[4])
{
    const int ix = TruncSafe(sx), iy = TruncSafe(sy);
    const double fx = sx - ix, fy = sy - iy;
    const int ix1 = std::min(ix + 1, p.Width - 1), iy1 = std::min(iy + 1, p.Height - 1);
    const size_t i00 = static_cast<size_t>(iy) * p.Width + ix, i10 = static_cast<size_t>(iy) * p.Width + ix1;
    const size_t i01 = static_cast<size_t>(iy1) * p.Width + ix, i11 = static_cast<size_t>(iy1) * p.Width + ix1;
    auto mix = [&](double s00, double s10, double s01, double s11) {
        const double left = s00 + (s01 - s00) * fy;
        const double right = s10 + (s11 - s10) * fy;
        return std::clamp(RoundHalfEven(left + (right - left) * fx), 0, 255);
    };
    for (int k = 0; k < 3; ++k)
        out[k] = mix(p.Bgr[i00 * 3 + k], p.Bgr[i10 * 3 + k], p.Bgr[i01 * 3 + k], p.Bgr[i11 * 3 + k]);
    out[3] = p.HasAlpha() ? mix(p.Alpha[i00], p.Alpha[i10], p.Alpha[i01], p.Alpha[i11]) : 0;
}

}  // namespace

void TSurfEngine::ReplaceSurface(std::string_view name, int width, int height, std::span<const uint8_t> bgr,
                                 std::span<const uint8_t> alpha)
{
    std::unique_ptr<TSurface> fresh;
    try {
        fresh = MakeSurface(name, {}, width, height, bgr, alpha);
    } catch (const EImageError&) {
        return;
    }
    DeleteSurface(name);
    AddSurface(std::move(fresh));
}

void TSurfEngine::RotateSurface(std::string_view name, double centerX, double angle, double centerY)
{
    const TSurface* s = FindSurface(name);
    if (!s)
        return;
    const TRgbPicture p(*s, format_);
    const int w = p.Width, h = p.Height;
    std::vector<uint8_t> bgr(static_cast<size_t>(w) * h * 3, 0);
    std::vector<uint8_t> alpha(p.HasAlpha() ? static_cast<size_t>(w) * h : 0, 0);
    const double c = std::cos(angle), sn = std::sin(angle);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double sx = (x - centerX) * c - (y - centerY) * sn + centerX;
            const double sy = (x - centerX) * sn + (y - centerY) * c + centerY;
            if (!(sx >= 0 && sx <= w - 1 && sy >= 0 && sy <= h - 1))
                continue;
            int v[4];
            Sample(p, sx, sy, v);
            const size_t i = static_cast<size_t>(y) * w + x;
            for (int k = 0; k < 3; ++k)
                bgr[i * 3 + k] = static_cast<uint8_t>(v[k]);
            if (p.HasAlpha())
                alpha[i] = static_cast<uint8_t>(v[3]);
        }
    ReplaceSurface(name, w, h, bgr, alpha);
}

void TSurfEngine::ResizeSurface(std::string_view name, int newWidth, int newHeight, bool flag)
{
    const TSurface* s = FindSurface(name);
    if (!s || newWidth < 1 || newHeight < 1 || newWidth > TDeviceSurface::kMaxSide ||
        newHeight > TDeviceSurface::kMaxSide)
        return;
    const TRgbPicture p(*s, format_);
    const int w = p.Width, h = p.Height;
    const double kx = double(newWidth) / w, ky = double(newHeight) / h;
    std::vector<uint8_t> bgr(static_cast<size_t>(newWidth) * newHeight * 3, 0);
    std::vector<uint8_t> alpha(p.HasAlpha() ? static_cast<size_t>(newWidth) * newHeight : 0, 0);

    if (kx >= 1 && ky >= 1) {
        // The last column of each row is left black (and transparent).
        for (int i = 0; i < newHeight; ++i)
            for (int j = 0; j < newWidth - 1; ++j) {
                int v[4];
                Sample(p, j / kx, i / ky, v);
                if (flag)
                    std::swap(v[0], v[2]);
                const size_t o = static_cast<size_t>(i) * newWidth + j;
                for (int k = 0; k < 3; ++k)
                    bgr[o * 3 + k] = static_cast<uint8_t>(v[k]);
                if (p.HasAlpha())
                    alpha[o] = static_cast<uint8_t>(v[3]);
            }
        ReplaceSurface(name, newWidth, newHeight, bgr, alpha);
        return;
    }

    // Shrinking: every source column and row belongs to the result column or row it
    // rounds to, weighted by how far it lies from it.
    std::vector<int> columnOf(static_cast<size_t>(w)), columnWeight(static_cast<size_t>(w));
    for (int c = 0; c < w; ++c) {
        const int j = RoundHalfEven(c * kx);
        columnOf[static_cast<size_t>(c)] = j;
        const int wc = RoundHalfEven(std::fabs(c * kx - j) * 100);
        columnWeight[static_cast<size_t>(c)] = wc == 0 ? 100 : wc;
    }
    const size_t cells = static_cast<size_t>(newWidth) * 4;
    std::vector<double> rowSum(cells), rowWeights(static_cast<size_t>(newWidth));
    std::vector<double> sum(cells), weights(static_cast<size_t>(newWidth));
    int current = 0;
    auto flush = [&](int i) {
        if (i < 0 || i >= newHeight)
            return;
        for (int j = 0; j < newWidth; ++j) {
            const double total = weights[static_cast<size_t>(j)];
            if (total <= 0)
                continue;
            const size_t o = static_cast<size_t>(i) * newWidth + j;
            for (int k = 0; k < 3; ++k)
                bgr[o * 3 + k] = static_cast<uint8_t>(std::clamp(RoundHalfEven(sum[static_cast<size_t>(j) * 4 + k] / total), 0, 255));
            if (p.HasAlpha())
                alpha[o] = static_cast<uint8_t>(std::clamp(RoundHalfEven(sum[static_cast<size_t>(j) * 4 + 3] / total), 0, 255));
        }
    };
    for (int r = 0; r < h; ++r) {
        const int i = RoundHalfEven(r * ky);
        if (i != current) {
            flush(current);
            std::fill(sum.begin(), sum.end(), 0.0);
            std::fill(weights.begin(), weights.end(), 0.0);
            current = i;
        }
        const int wr0 = RoundHalfEven(std::fabs(r * ky - i) * 100);
        const int wr = wr0 == 0 ? 1 : wr0;
        std::fill(rowSum.begin(), rowSum.end(), 0.0);
        std::fill(rowWeights.begin(), rowWeights.end(), 0.0);
        for (int c = 0; c < w; ++c) {
            const int j = columnOf[static_cast<size_t>(c)];
            if (j < 0 || j >= newWidth)
                continue;
            const double wc = columnWeight[static_cast<size_t>(c)];
            const size_t src = static_cast<size_t>(r) * w + c;
            for (int k = 0; k < 3; ++k)
                rowSum[static_cast<size_t>(j) * 4 + k] += wc * p.Bgr[src * 3 + k];
            if (p.HasAlpha())
                rowSum[static_cast<size_t>(j) * 4 + 3] += wc * p.Alpha[src];
            rowWeights[static_cast<size_t>(j)] += wc;
        }
        for (int j = 0; j < newWidth; ++j) {
            const double total = rowWeights[static_cast<size_t>(j)];
            if (total <= 0)
                continue;
            for (int k = 0; k < 4; ++k)
                sum[static_cast<size_t>(j) * 4 + k] += wr * double(RoundHalfEven(rowSum[static_cast<size_t>(j) * 4 + k] / total));
            weights[static_cast<size_t>(j)] += wr;
        }
    }
    // The last result row is written only when a later source row follows it, which
    // the scan never meets: it stays black and transparent.
    ReplaceSurface(name, newWidth, newHeight, bgr, alpha);
}
