// Whole-surface filters on alpha planes and colours: blur, the glow frame, alpha union,
// alpha from a colour channel, the mirror and the hue/saturation/lightness adjustment.
#include "graphics/SurfEngine.h"

#include "foundation/QelBaseClasses.h"
#include "foundation/Text.h"
#include "graphics/Clipping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

constexpr const char* kBlurSource = "__TempForBlurSrc";
constexpr const char* kBlurWork = "__TempForBlurProc";
constexpr const char* kGlowFrame = "__TempForBlurFrame";
constexpr const char* kGlowFrom = "__TempForBlurFrameFrom";

void EnsureAlpha(TSurface& s)
{
    if (!s.HasAlpha()) {
        s.Alpha.assign(static_cast<size_t>(s.Width) * s.Height, 0);
        s.AlphaPitch = s.Width;
    }
}

// One pass: each value becomes the mean of its four direct neighbours, a neighbour
// outside the plane counting as the value itself; the value's own weight is 0.
void BlurPass(const std::vector<uint8_t>& a, std::vector<uint8_t>& r, int w, int h)
{
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = a.data() + static_cast<size_t>(y) * w;
        const uint8_t* up = y > 0 ? row - w : row;
        const uint8_t* down = y < h - 1 ? row + w : row;
        uint8_t* out = r.data() + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            const int left = x > 0 ? row[x - 1] : row[x];
            const int right = x < w - 1 ? row[x + 1] : row[x];
            out[x] = static_cast<uint8_t>((left + right + up[x] + down[x]) >> 2);
        }
    }
}

}  // namespace

void TSurfEngine::BlurAlphaChannel(std::string_view source, std::string_view destination, int passes)
{
    const TSurface* src = FindSurface(source);
    if (!src)
        return;
    const std::string message = "Exception Error in TSurfEngine.BlurAlphaChannel.  naSource: " + std::string(source) +
                                " naDest: " + std::string(destination);
    QelGuardMessage(message, [&] {
        const int w = src->Width, h = src->Height;
        if (!NewSurface(kBlurSource, w, h) || !NewSurface(kBlurWork, w, h))
            throw std::runtime_error("no work surface");
        CopySurfaceWithAlpha(source, kBlurSource, std::nullopt, 0, 0);
        TSurface* work = FindSurface(kBlurSource);
        TSurface* proc = FindSurface(kBlurWork);
        EnsureAlpha(*work);
        CreateAlphaChannel(kBlurWork, 0);
        for (int pass = 0; pass < passes; ++pass) {
            BlurPass(work->Alpha, proc->Alpha, w, h);
            work->Alpha = proc->Alpha;
        }
        CopySurfaceWithAlpha(kBlurWork, destination, std::nullopt, 0, 0);
        DeleteSurface(kBlurSource);
        DeleteSurface(kBlurWork);
    });
}

std::array<uint8_t, 256> TSurfEngine::GlowTable(int a, int b, int c, int d)
{
    // Blurred coverage through a tent: faint blur around the shape becomes strong glow,
    // the solid inside fades out. A ramp of no width is a step to a.
    std::array<uint8_t, 256> table{};
    for (int q = 0; q < 256; ++q) {
        int v = 0;
        if (q < d || q > b)
            v = 0;
        else if (q <= c)
            v = c == d ? a : RoundHalfEven(double(a) * (q - d) / (c - d));
        else
            v = b == c ? a : RoundHalfEven(double(a) * (b - q) / (b - c));
        table[static_cast<size_t>(q)] = static_cast<uint8_t>(std::clamp(v, 0, 255));
    }
    return table;
}

void TSurfEngine::MakeGlowFrame(std::string_view source, std::string_view destination, bool keep, int a, int b,
                                int c, int d, int e, uint32_t color)
{
    const TSurface* src = FindSurface(source);
    if (!src || !src->HasAlpha())
        return;
    const int64_t frameWidth = int64_t(src->Width) + 2 * int64_t(e) + 2;
    const int64_t frameHeight = int64_t(src->Height) + 2 * int64_t(e) + 2;
    if (e < 0 || frameWidth > TDeviceSurface::kMaxSide || frameHeight > TDeviceSurface::kMaxSide)
        return;
    const int fw = static_cast<int>(frameWidth), fh = static_cast<int>(frameHeight);
    if (!NewSurface(kGlowFrame, fw, fh))
        return;
    CreateAlphaChannel(kGlowFrame, 0);
    if (!NewSurface(kGlowFrom, fw, fh)) {
        DeleteSurface(kGlowFrame);
        return;
    }
    CopySurfaceWithAlpha(source, kGlowFrom, std::nullopt, e + 1, e + 1);
    BlurAlphaChannel(kGlowFrom, kGlowFrame, e);

    TSurface* dst = FindSurface(destination);
    if (dst) {
        FillRectAlpha(destination, TRect{0, 0, fw - 1, fh - 1}, 255, color);

        const std::array<uint8_t, 256> table = GlowTable(a, b, c, d);
        const TSurface* blurred = FindSurface(kGlowFrame);
        const TSurface* from = FindSurface(kGlowFrom);
        EnsureAlpha(*dst);
        const int w = std::min(fw, dst->Width), h = std::min(fh, dst->Height);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t v = table[blurred->AlphaRow(y)[x]];
                if (keep && from->HasAlpha())
                    v = std::max(v, from->AlphaRow(y)[x]);
                dst->AlphaRow(y)[x] = v;
            }
    }
    DeleteSurface(kGlowFrame);
    DeleteSurface(kGlowFrom);
    if (dst && keep)
        DrawWithAlphaChannel(source, destination, e + 1, e + 1, 255, std::nullopt, 0, 0);
}

void TSurfEngine::AddAlphaChannel(std::string_view source, std::string_view destination, int x, int y,
                                  std::optional<TRect> rect, uint8_t factor)
{
    const TSurface* src = FindSurface(source);
    TSurface* dst = FindSurface(destination);
    if (!src || !dst || !src->HasAlpha())
        return;
    EnsureAlpha(*dst);
    x = Bounded(x);
    y = Bounded(y);
    TRect r = Bounded(rect.value_or(TRect{0, 0, src->Width - 1, src->Height - 1}));
    if (x < 0) {
        r.Left -= x;
        x = 0;
    }
    if (y < 0) {
        r.Top -= y;
        y = 0;
    }
    r.Right = std::min<int64_t>(r.Right, int64_t(r.Left) + dst->Width - 1 - x);
    r.Bottom = std::min<int64_t>(r.Bottom, int64_t(r.Top) + dst->Height - 1 - y);
    if (r.Left < 0 || r.Left >= r.Right)
        return;
    // The rectangle is read only inside the source.
    if (r.Top < 0) {
        y -= r.Top;
        r.Top = 0;
    }
    r.Right = std::min(r.Right, src->Width - 1);
    r.Bottom = std::min<int64_t>({r.Bottom, src->Height - 1, int64_t(r.Top) + dst->Height - 1 - y});
    for (int row = r.Top; row <= r.Bottom; ++row) {
        const uint8_t* s = src->AlphaRow(row) + r.Left;
        uint8_t* t = dst->AlphaRow(y + row - r.Top) + x;
        for (int i = 0; i <= r.Right - r.Left; ++i)
            if (t[i] != 255)
                t[i] = static_cast<uint8_t>(255 - (((255 - (s[i] * factor) / 256) * (255 - t[i])) >> 8));
    }
}

void TSurfEngine::AlphaFromColorChannel(std::string_view source, std::string_view target, int channelOffset,
                                        std::optional<TRect> rect)
{
    const TSurface* src = FindSurface(source);
    TSurface* dst = FindSurface(target);
    if (!src || !dst || !src->HasPixels() || channelOffset < 0 || channelOffset > 3)
        return;
    EnsureAlpha(*dst);
    TRect r = rect.value_or(TRect{0, 0, src->Width - 1, src->Height - 1});
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min({r.Right, src->Width - 1, dst->Width - 1});
    r.Bottom = std::min({r.Bottom, src->Height - 1, dst->Height - 1});
    for (int y = r.Top; y <= r.Bottom; ++y)
        for (int x = r.Left; x <= r.Right; ++x) {
            uint8_t v = 0;
            if (format_.BitCount == 32) {
                v = src->Row(y)[x * 4 + channelOffset];
            } else if (format_.BitCount == 16) {
                // A grey mask gives the same alpha at both depths: the channel that byte
                // would hold in the usual 32-bit layout (blue, green, red), widened.
                const TRgb c = GetPixelRgb(format_, reinterpret_cast<const uint16_t*>(src->Row(y))[x]);
                const uint8_t channels[4] = {c.B, c.G, c.R, 0};
                v = channels[channelOffset];
            }
            dst->AlphaRow(y)[x] = v;
        }
}

void TSurfEngine::MirrorSurface(std::string_view name)
{
    TSurface* s = FindSurface(name);
    if (!s)
        return;
    const int w = s->Width;
    for (int y = 0; y < s->Height; ++y) {
        if (s->HasPixels() && format_.BitCount == 32) {
            auto* row = reinterpret_cast<uint32_t*>(s->Row(y));
            std::reverse(row, row + w);
        } else if (s->HasPixels() && format_.BitCount == 16) {
            auto* row = reinterpret_cast<uint16_t*>(s->Row(y));
            std::reverse(row, row + w);
        }
        if (s->HasAlpha())
            std::reverse(s->AlphaRow(y), s->AlphaRow(y) + w);
    }
}

// ---- Hue, saturation, lightness ----------------------------------------------------------

namespace {

struct THls {
    int H = 0, L = 0, S = 0;
};

// Channel values on a 0..255 scale (a 16-bit field reads 8..256) to H, L, S on 0..240.
THls ToHls(int r, int g, int b)
{
    const int cmax = std::max({r, g, b});
    const int cmin = std::min({r, g, b});
    THls v;
    v.L = RoundHalfEven(((cmax + cmin) * 240.0 + 255) / 510);
    if (cmax == cmin) {
        v.S = 0;
        v.H = 160;
        return v;
    }
    if (v.L <= 120) {
        v.S = RoundHalfEven(((cmax - cmin) * 240.0 + (cmax + cmin) / 2.0) / (cmax + cmin));
    } else {
        const int rest = 510 - cmax - cmin;
        // Widened 16-bit fields can reach 256, leaving no room below 510.
        v.S = rest > 0 ? RoundHalfEven(((cmax - cmin) * 240.0 + rest / 2.0) / rest) : 240;
    }
    const float span = static_cast<float>(cmax - cmin);
    const float dR = ((cmax - r) * 40.0f + span / 2) / span;
    const float dG = ((cmax - g) * 40.0f + span / 2) / span;
    const float dB = ((cmax - b) * 40.0f + span / 2) / span;
    if (r == cmax)
        v.H = RoundHalfEven(dB - dG);
    else if (g == cmax)
        v.H = RoundHalfEven(dR + 80 - dB);
    else
        v.H = RoundHalfEven(dG + 160 - dR);
    if (v.H < 0)
        v.H += 240;
    if (v.H > 240)
        v.H -= 240;
    v.S = std::clamp(v.S, 0, 240);
    v.L = std::clamp(v.L, 0, 240);
    return v;
}

float HueToValue(float m1, float m2, int h)
{
    if (h < 0)
        h += 240;
    if (h > 240)
        h -= 240;
    if (h < 40)
        return m1 + ((m2 - m1) * h + 20) / 40;
    if (h < 120)
        return m2;
    if (h < 160)
        return m1 + ((m2 - m1) * (160 - h) + 20) / 40;
    return m1;
}

std::array<int, 3> FromHls(const THls& v)
{
    if (v.S == 0) {
        const int grey = std::clamp(RoundHalfEven(v.L * 255.0 / 240), 0, 255);
        return {grey, grey, grey};
    }
    const float m2 = v.L <= 120 ? (float(v.L) * float(v.S + 240) + 120) / 240
                                : float(v.L) + float(v.S) - (float(v.L) * float(v.S) + 120) / 240;
    const float m1 = 2 * float(v.L) - m2;
    auto channel = [&](int h) {
        return std::clamp(RoundHalfEven((double(HueToValue(m1, m2, h)) * 255 + 120) / 240), 0, 255);
    };
    return {channel(v.H + 80), channel(v.H), channel(v.H - 80)};
}

}  // namespace

void TSurfEngine::AdjustHls(std::string_view name, int hue, int saturation, int lightness)
{
    TSurface* s = FindSurface(name);
    if (!s || !s->HasPixels())
        return;
    const TPixelChannel* channels[3] = {&format_.Red, &format_.Green, &format_.Blue};
    for (int y = 0; y < s->Height; ++y)
        for (int x = 0; x < s->Width; ++x) {
            int in[3];
            if (format_.BitCount == 16) {
                const uint16_t p = reinterpret_cast<const uint16_t*>(s->Row(y))[x];
                for (int k = 0; k < 3; ++k) {
                    const TPixelChannel& c = *channels[k];
                    const int unit = 1 << (8 - c.Bits);
                    in[k] = static_cast<int>((p & c.Mask) >> c.Shift) * unit + unit;
                }
            } else if (format_.BitCount == 32) {
                // Bytes 0, 1, 2 through the red, green and blue masks in turn: with the
                // usual layout the first value is the blue byte.
                const uint8_t* p = s->Row(y) + x * 4;
                for (int k = 0; k < 3; ++k) {
                    const TPixelChannel& c = *channels[k];
                    in[k] = static_cast<int>(((p[k] * 0x010101u) & c.Mask) >> c.Shift) & 0xFF;
                }
            } else {
                return;
            }
            THls v = ToHls(in[0], in[1], in[2]);
            v.H += hue;
            v.S += saturation;
            v.L += lightness;
            const std::array<int, 3> out = FromHls(v);
            if (format_.BitCount == 16) {
                uint32_t p = 0;
                for (int k = 0; k < 3; ++k) {
                    const TPixelChannel& c = *channels[k];
                    p |= (static_cast<uint32_t>(out[k] >> (8 - c.Bits)) << c.Shift) & c.Mask;
                }
                reinterpret_cast<uint16_t*>(s->Row(y))[x] = static_cast<uint16_t>(p);
            } else {
                uint8_t* p = s->Row(y) + x * 4;
                for (int k = 0; k < 3; ++k)
                    p[k] = static_cast<uint8_t>(out[k]);
            }
        }
}
