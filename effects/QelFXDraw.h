// Drawing a particle effect onto a surface: blended, additive through "MemoryBuferAdd",
// through a shader, or into an alpha plane, clipped to a rectangle, with every drawn
// rectangle marked in the redraw grid.
#pragma once

#include "foundation/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TQelParticleEffect;
class TRedrawGrid;
class TSurfEngine;

// The scratch layer of additive and shader effects.
inline constexpr const char* kEffectLayer = "MemoryBuferAdd";
// The whole 800 x 600 frame as a clip, right and bottom being the last column and row drawn.
inline constexpr TRect kWholeFrameClip{0, 0, 799, 599};

struct TQelFXDrawParams {
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
    // Right and bottom are the last columns and rows drawn.
    TRect Clip = kWholeFrameClip;
    // Scales every particle's opacity when not 255 (interface effects).
    uint8_t Opacity = 255;
    // A tint other than 0 replaces every particle's colour and tint.
    uint8_t OverrideTint = 0;
    uint32_t OverrideColor = 0;
    // Replaces every system's Resource when not empty.
    std::string Picture;
    // The screen list's rules: output mode 0 draws at whole pixels, opacity is truncated,
    // no call opacity, and an effect starting right now is drawn.
    bool ScreenRules = false;
    // Single pictures of output mode 0 add their alpha plane into the destination's
    // instead of being drawn (revealing or masking a background).
    bool OnAlpha = false;
};

// Draws every system of the effect, particle by particle, when its start time has come.
// Missing resources are skipped; a failure in one particle skips only that particle.
void DrawQelParticleEffect(TSurfEngine& surfaces, TQelParticleEffect& effect, std::string_view destination,
    const TQelFXDrawParams& params, TRedrawGrid* grid, uint32_t now);

// The clipped draws effects use: the source rectangle (right and bottom inclusive; the
// whole picture when absent) is cut to the clip rectangle first.
void DrawwithClipperInReal(TSurfEngine& surfaces, std::string_view source, std::string_view destination, double x,
    double y, uint8_t opacity, std::optional<TRect> rect, const TRect& clip, uint32_t color, uint8_t tint);
void DrawwithClipper(TSurfEngine& surfaces, std::string_view source, std::string_view destination, int32_t x,
    int32_t y, uint8_t opacity, std::optional<TRect> rect, const TRect& clip, uint32_t color, uint8_t tint);
