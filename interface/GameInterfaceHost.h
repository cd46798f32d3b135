// The game's side of the interface: widgets draw onto "MemorySurface" through the surface
// engine, interface effects through the effect drawing, sounds through the sound list, and
// text through the font engine's fonts.
#pragma once

#include "interface/QelInterfaceHost.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class IClock;
class ISoundEvents;
class TQelFont;
class TQelFontEngine;
class TRedrawGrid;
class TSurfEngine;

class TGameInterfaceHost final : public IQelGraphic4 {
public:
    // sounds and grid may be null: no sound, and no redraw marks for interface effects.
    TGameInterfaceHost(TSurfEngine& surfaces, const IClock& clock, ISoundEvents* sounds, TRedrawGrid* grid)
        : surfaces_(surfaces), clock_(clock), sounds_(sounds), grid_(grid)
    {
    }

    // Asked for a picture the store does not hold before it is drawn or measured; true when
    // it holds it now. The game loads its pictures beforehand and leaves this empty; the
    // window viewer loads them on demand.
    std::function<bool(const std::string& picture)> LoadMissingPicture;

    void DrawQelInterfaceEffect(TQelParticleEffect* effect, int32_t x, int32_t y, const TRect* clip, uint8_t opacity,
                                int32_t colour, int32_t flag) override;
    // The bump map and the blending mode are not the game's: pictures blend by their alpha.
    void Draw(const std::string& picture, const std::string& bumpMap, TBlendingMode mode, int32_t x, int32_t y,
              uint8_t opacity, const TRect* source) override;
    // The bump layer is never made, so nothing shows.
    void DrawBumpMap(const std::string&, const std::string&, int32_t, int32_t) override {}
    // Always filled, whatever the flag says: the game's windows rely on filled rectangles.
    void DrawRect(const std::string& target, const TRect& rect, int32_t colour, uint8_t opacity, bool fill) override;
    void ExtDraw(const std::string& picture, std::span<const TQelGlyphRect> glyphs) override;
    void DrawColoredAlpha(const std::string& picture, const std::string& second, int32_t x, int32_t y,
                          int32_t colour, uint8_t opacity) override;
    TQelSize GetPictureSize(const std::string& picture) override;
    TQelSize GetScreenSize() override;
    // The sound of that exact name, straight from the sound list; the volume is not used.
    void PlaySound(const std::string& sound, int32_t volume) override;
    void LowExtDraw(const std::string& picture, const TRect& source, int32_t colour, uint8_t opacity) override;

private:
    bool Has(const std::string& picture);

    TSurfEngine& surfaces_;
    const IClock& clock_;
    ISoundEvents* sounds_;
    TRedrawGrid* grid_;
};

// The font engine's fonts as text widgets use them.
class TGameFontSource final : public IQelFontSource {
public:
    explicit TGameFontSource(TQelFontEngine& fonts);
    ~TGameFontSource() override;
    IQelTextFont* FindFont(const std::string& name) override;

private:
    TQelFontEngine& fonts_;
    std::map<const TQelFont*, std::unique_ptr<IQelTextFont>> adapters_;
};
