// Particles onto surfaces: opacity and tint from the particle's parameters, single
// pictures and frame sheets, and the three output modes.
#include "effects/QelFXDraw.h"

#include "effects/QelFXParticles.h"
#include "foundation/Text.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint8_t kRedrawMark = 2;  // marked cells are drawn in this frame and the next
constexpr double kFarAway = 1 << 24;  // pixels from the frame's corner


uint8_t ClampByte(int64_t v) { return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255)); }

// Cuts the inclusive source rectangle r at (x, y) to the clip rectangle; false when
// nothing is left. T is double for real positions, int32_t for whole ones.
template <class T>
bool ClipSource(T& x, T& y, TRect& r, const TRect& c)
{
    const T height = static_cast<T>(r.Bottom - r.Top);
    const T width = static_cast<T>(r.Right - r.Left);
    auto whole = [](T v) { return static_cast<int32_t>(TruncSafe(static_cast<double>(v))); };
    if (c.Top > y) {
        if (c.Top >= y + height)
            return false;
        if (y + height > c.Bottom)
            r.Bottom -= whole(y) + whole(height) - c.Bottom;
        r.Top += c.Top - whole(y);
        y = static_cast<T>(c.Top);
    } else {
        if (y >= c.Bottom)
            return false;
        if (y + height >= c.Bottom)
            r.Bottom -= whole(y) + whole(height) - c.Bottom;
    }
    if (c.Left > x) {
        if (c.Left >= x + width)
            return false;
        r.Left += c.Left - whole(x);
        x = static_cast<T>(c.Left);
    } else {
        if (x >= c.Right)
            return false;
        if (x + width > c.Right)
            r.Right -= whole(x) + whole(width) - c.Right;
    }
    return r.Right >= r.Left && r.Bottom >= r.Top;
}

std::optional<TRect> WholePicture(const TSurfEngine& surfaces, std::string_view name)
{
    int32_t w = 0, h = 0;
    if (!surfaces.GetSurfaceSize(name, w, h))
        return std::nullopt;
    return TRect {0, 0, w - 1, h - 1};
}

struct TResource {
    std::string Name;
    bool Shader = false;
    int32_t Width = 0;
    int32_t Height = 0;
};

std::optional<TResource> FindResource(const TSurfEngine& surfaces, const TQelParticleSystem& system,
    const std::string& picture)
{
    TResource r;
    r.Name = picture.empty() ? system.Resource : picture;
    if (system.OutputMode == omShader) {
        const TSurfaceShader* shader = surfaces.ShaderAt(surfaces.IndexOfShader(r.Name));
        if (!shader)
            return std::nullopt;
        r.Shader = true;
        r.Width = shader->Width;
        r.Height = shader->Height;
        return r;
    }
    if (!surfaces.GetSurfaceSize(r.Name, r.Width, r.Height))
        return std::nullopt;
    return r;
}

// One particle's picture (or frame) at a real position, by the system's output mode.
struct TParticleDraw {
    TSurfEngine& Surfaces;
    std::string_view Destination;
    const TQelFXDrawParams& Params;
    const TResource& Resource;
    int32_t OutputMode;
    uint8_t Opacity;
    uint32_t Color;
    uint8_t Tint;

    void Blended(std::string_view target, double x, double y, std::optional<TRect> source, bool whole) const
    {
        if (whole) {
            DrawwithClipper(Surfaces, Resource.Name, target, RoundHalfEven(x), RoundHalfEven(y), Opacity, source,
                Params.Clip, Color, Tint);
        } else {
            DrawwithClipperInReal(Surfaces, Resource.Name, target, x, y, Opacity, source, Params.Clip, Color, Tint);
        }
    }

    // frameW x frameH is the picture's (or frame's) size on the destination.
    void Draw(double x, double y, std::optional<TRect> source, int32_t frameW, int32_t frameH, bool shaderClipTest) const
    {
        const int32_t rx = RoundHalfEven(x), ry = RoundHalfEven(y);
        const TRect layerRect {rx, ry, rx + frameW, ry + frameH};
        switch (OutputMode) {
        case omAdditive: {
            // The picture is drawn alone on the effect layer, then added onto the target.
            Surfaces.FillSurfaceRect(kEffectLayer, 0, layerRect);
            Blended(kEffectLayer, x, y, source, false);
            TRect limit {Params.Clip.Left, Params.Clip.Top, Params.Clip.Right + 1, Params.Clip.Bottom + 1};
            Surfaces.AddSurfaces(Destination, kEffectLayer, limit, layerRect, layerRect, Destination);
            return;
        }
        case omShader: {
            Surfaces.DrawSurface(Destination, kEffectLayer, rx, ry, layerRect);
            if (shaderClipTest &&
                !(x + Resource.Width < Params.Clip.Right && y + Resource.Height < Params.Clip.Bottom))
                return;
            Surfaces.DrawShader(Destination, Resource.Name, std::nullopt, rx, ry, kEffectLayer);
            return;
        }
        default:
            if (Params.OnAlpha && OutputMode == omBlended && !source) {
                AddAlpha(RoundHalfEven(x), RoundHalfEven(y));
                return;
            }
            Blended(Destination, x, y, source, Params.ScreenRules && OutputMode == omBlended);
            return;
        }
    }

    void AddAlpha(int32_t x, int32_t y) const
    {
        std::optional<TRect> r = WholePicture(Surfaces, Resource.Name);
        if (!r || !ClipSource(x, y, *r, Params.Clip))
            return;
        Surfaces.AddAlphaChannel(Resource.Name, Destination, x, y, *r, 255);
    }
};

}  // namespace

void DrawwithClipperInReal(TSurfEngine& surfaces, std::string_view source, std::string_view destination, double x,
    double y, uint8_t opacity, std::optional<TRect> rect, const TRect& clip, uint32_t color, uint8_t tint)
{
    std::optional<TRect> r = rect ? rect : WholePicture(surfaces, source);
    if (!r || !ClipSource(x, y, *r, clip))
        return;
    surfaces.DrawWithAlphaChannelInReal(source, destination, x, y, opacity, *r, color, tint);
}

void DrawwithClipper(TSurfEngine& surfaces, std::string_view source, std::string_view destination, int32_t x,
    int32_t y, uint8_t opacity, std::optional<TRect> rect, const TRect& clip, uint32_t color, uint8_t tint)
{
    std::optional<TRect> r = rect ? rect : WholePicture(surfaces, source);
    if (!r || !ClipSource(x, y, *r, clip))
        return;
    surfaces.DrawWithAlphaChannel(source, destination, x, y, opacity, *r, color, tint);
}

void DrawQelParticleEffect(TSurfEngine& surfaces, TQelParticleEffect& effect, std::string_view destination,
    const TQelFXDrawParams& params, TRedrawGrid* grid, uint32_t now)
{
    const uint32_t start = effect.StartTime();
    if (params.ScreenRules ? start > now : start >= now)
        return;
    for (int s = 0; s < effect.SystemCount(); ++s) {
        TQelParticleSystem& system = *effect.System(s);
        if (!system.Template)
            continue;
        std::optional<TResource> resource = FindResource(surfaces, system, params.Picture);
        if (!resource)
            continue;
        const bool animated = system.FrameCount >= 2;
        const int32_t framePerLine = system.Template->ParamIndex("FramePerLine");

        for (const auto& particle : system.Particles) {
            if (particle->Hidden)
                continue;
            try {
                const TQelVector& position = particle->Value(ppPosition);
                const double alpha = particle->Value(ppAlpha).X;
                int64_t o = params.ScreenRules ? TruncSafe(alpha * 255) : RoundHalfEven(alpha * 255);
                o = ClampByte(o);
                if (!params.ScreenRules && params.Opacity != 255)
                    o = (params.Opacity * o) >> 8;
                const TQelVector& c = particle->Value(ppColor);
                uint32_t color = ClampByte(TruncSafe(c.X)) | ClampByte(TruncSafe(c.Y)) << 8 | ClampByte(TruncSafe(c.Z)) << 16;
                const float colorValue = particle->Value(ppColorValue).X;
                uint8_t tint = colorValue != 0 ? std::max<uint8_t>(1, ClampByte(RoundHalfEven((1 - colorValue) * 255.0))) : 0;
                if (params.OverrideTint != 0) {
                    tint = params.OverrideTint;
                    color = params.OverrideColor;
                }
                TParticleDraw draw {surfaces, destination, params, *resource, system.OutputMode, ClampByte(o), color, tint};

                int32_t frameW = resource->Width, frameH = resource->Height;
                std::optional<TRect> source;
                if (animated) {
                    const int32_t k = RoundHalfEven(particle->Value(ppFrame).X);
                    if (k < 0 || k >= system.FrameCount)
                        continue;  // a frame the sheet does not have
                    const int32_t perLine = framePerLine >= 0 ? TruncSafe(particle->Value(framePerLine).X) : 0;
                    if (perLine >= 1) {
                        const int32_t rows = system.FrameCount / perLine + (system.FrameCount % perLine ? 1 : 0);
                        frameW = resource->Width / perLine;
                        frameH = resource->Height / rows;
                        const int32_t col = k % perLine, row = k / perLine;
                        source = TRect {col * frameW, row * frameH, (col + 1) * frameW - 1, (row + 1) * frameH - 1};
                    } else {
                        frameW = resource->Width / system.FrameCount;
                        source = TRect {k * frameW, 0, (k + 1) * frameW - 1, resource->Height - 1};
                    }
                    if (frameW <= 0 || frameH <= 0)
                        continue;
                }
                const int32_t halfW = frameW / 2, halfH = frameH / 2;
                const double x = params.OffsetX + static_cast<double>(position.X) - halfW;
                const double y = params.OffsetY + static_cast<double>(position.Y) - halfH;
                // A particle flung this far can never reach the frame, and its pixel
                // arithmetic would leave the integer range.
                if (!(std::abs(x) < kFarAway && std::abs(y) < kFarAway))
                    continue;
                if (grid) {
                    const int32_t tx = TruncSafe(x), ty = TruncSafe(y);
                    if (animated)
                        grid->FillRedrawGrid(tx, ty, tx + frameW, ty + resource->Height - 1, kRedrawMark);
                    else
                        grid->FillRedrawGrid(tx, ty, tx + 2 * halfW, ty + 2 * halfH, kRedrawMark);
                }
                draw.Draw(x, y, source, animated ? frameW : 2 * halfW, animated ? frameH : 2 * halfH, !animated);
            } catch (const std::exception&) {
                // One particle that cannot be drawn does not stop the others.
            }
        }
    }
}
