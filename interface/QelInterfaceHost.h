// What the interface needs from the program around it: a host that draws pictures and
// plays sounds (IQelGraphic4), and fonts to measure and draw text with. The interface
// never touches pixels itself; the game implements these on its surface engine, fonts,
// screen effects and sound list, tests on recorders.
#pragma once

#include "foundation/Geometry.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TQelParticleEffect;

// How a picture is combined with what lies under it; handed to the host with every
// picture drawn. Identifiers as interface files write them.
enum class TBlendingMode { bmNormal, bmAddBlend, bmMulBlend, bmAvrBlend, bmAddBump, bmMulBump, bmAvrBump };
extern const std::vector<std::string> kBlendingModeNames;

struct TQelSize {
    int32_t Width = 0;
    int32_t Height = 0;
    friend bool operator==(const TQelSize&, const TQelSize&) = default;
};

// One glyph of a prepared text: where it lies in the font picture (right and bottom
// exclusive) and where it goes on the screen.
struct TQelGlyphRect {
    TRect Source;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Colour = 0;  // 0xBBGGRR
    uint8_t Opacity = 255;
};

// The drawing and sound host. Coordinates are screen pixels, colours 0xBBGGRR, opacities
// 0..255. Rectangles follow TRect (right and bottom exclusive) unless a comment says
// otherwise. The host must not change the interface from inside these calls.
class IQelGraphic4 {
public:
    virtual ~IQelGraphic4() = default;

    // A particle effect with its origin at (x, y); clip is null for the whole screen.
    virtual void DrawQelInterfaceEffect(TQelParticleEffect* effect, int32_t x, int32_t y, const TRect* clip,
                                        uint8_t opacity, int32_t colour, int32_t flag) = 0;
    // Picture with its top-left corner at (x, y); only the source part of it when one is
    // given (picture coordinates). Opacity 0 draws nothing; an unknown picture nothing.
    virtual void Draw(const std::string& picture, const std::string& bumpMap, TBlendingMode mode, int32_t x,
                      int32_t y, uint8_t opacity, const TRect* source) = 0;
    // The bump-map layer of an object placed at (x, y).
    virtual void DrawBumpMap(const std::string& picture, const std::string& bumpMap, int32_t x, int32_t y) = 0;
    // Fills (fill true) or frames a screen rectangle, passed exactly as the widget computes it.
    virtual void DrawRect(const std::string& target, const TRect& rect, int32_t colour, uint8_t opacity,
                          bool fill) = 0;
    virtual void DrawLine(const std::string& target, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour,
                          uint8_t opacity)
    {
        (void)target, (void)x1, (void)y1, (void)x2, (void)y2, (void)colour, (void)opacity;
    }
    // Prepared glyphs of a font picture.
    virtual void ExtDraw(const std::string& picture, std::span<const TQelGlyphRect> glyphs) = 0;
    // The picture's shape filled with one colour.
    virtual void DrawColoredAlpha(const std::string& picture, const std::string& second, int32_t x, int32_t y,
                                  int32_t colour, uint8_t opacity) = 0;
    // 0 x 0 for a picture the host does not know.
    virtual TQelSize GetPictureSize(const std::string& picture) = 0;
    // The size the interface is laid out on.
    virtual TQelSize GetScreenSize() = 0;
    // A sound of the sound list by its exact name; the volume is advisory.
    virtual void PlaySound(const std::string& sound, int32_t volume) = 0;
    // Called after a form has been drawn, so the host can draw over it.
    virtual void PostFormDraw(const std::string& formName) { (void)formName; }
    // A coloured part of a picture; nothing in the interface calls it.
    virtual void LowExtDraw(const std::string& picture, const TRect& source, int32_t colour, uint8_t opacity)
    {
        (void)picture, (void)source, (void)colour, (void)opacity;
    }
};

// A bitmap font as text widgets use it: glyph advances and drawing of 16-bit characters.
// The game adapts its font engine's fonts; drawing goes to the same host.
class IQelTextFont {
public:
    virtual ~IQelTextFont() = default;
    virtual int32_t Height() const = 0;
    // Sum of the characters' advances; 0 for an empty text.
    virtual int32_t GetTextWidth(std::u16string_view text) const = 0;
    virtual bool IsCharPresent(char16_t c) const = 0;
    // maxWidth 0 means no limit; the character that would overflow it is not drawn.
    virtual void DrawText(int32_t x, int32_t y, int32_t colour, uint8_t opacity, std::u16string_view text,
                          int32_t maxWidth) = 0;
};

// Fonts by their exact names. Widgets look their font up each time they use it, so the
// fonts may be reloaded between frames without leaving widgets pointing at old ones.
class IQelFontSource {
public:
    virtual ~IQelFontSource() = default;
    virtual IQelTextFont* FindFont(const std::string& name) = 0;
};
