// The game's drawing and sound host of the interface.
#include "interface/GameInterfaceHost.h"

#include "audio/SoundEvents.h"
#include "effects/QelFXDraw.h"
#include "foundation/Clock.h"
#include "graphics/SurfEngine.h"
#include "text/QelFontEngine.h"

#include <vector>

namespace {

constexpr const char* kFrame = "MemorySurface";

// Interface rectangles exclude their right and bottom edges; the surface engine's picture
// parts include them.
TRect Inclusive(const TRect& r) { return TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1}; }

class TFontAdapter final : public IQelTextFont {
public:
    explicit TFontAdapter(TQelFont& font) : font_(font) {}
    int32_t Height() const override { return font_.Height; }
    int32_t GetTextWidth(std::u16string_view text) const override { return font_.GetTextWidth(text); }
    bool IsCharPresent(char16_t c) const override { return font_.IsCharPresent(c); }
    void DrawText(int32_t x, int32_t y, int32_t colour, uint8_t opacity, std::u16string_view text,
                  int32_t maxWidth) override
    {
        font_.DrawText(x, y, static_cast<uint32_t>(colour), opacity, text, maxWidth);
    }

private:
    TQelFont& font_;
};

}  // namespace

bool TGameInterfaceHost::Has(const std::string& picture)
{
    if (picture.empty())
        return false;
    if (surfaces_.IndexOfSurface(picture) >= 0)
        return true;
    return LoadMissingPicture && LoadMissingPicture(picture);
}

void TGameInterfaceHost::DrawQelInterfaceEffect(TQelParticleEffect* effect, int32_t x, int32_t y, const TRect* clip,
                                                uint8_t opacity, int32_t colour, int32_t flag)
{
    if (!effect)
        return;
    TQelFXDrawParams params;
    params.OffsetX = x;
    params.OffsetY = y;
    if (clip)
        params.Clip = Inclusive(*clip);
    params.Opacity = opacity;
    params.OverrideTint = static_cast<uint8_t>(flag);
    params.OverrideColor = static_cast<uint32_t>(colour);
    DrawQelParticleEffect(surfaces_, *effect, kFrame, params, grid_, static_cast<uint32_t>(clock_.NowMs()));
}

void TGameInterfaceHost::Draw(const std::string& picture, const std::string&, TBlendingMode, int32_t x, int32_t y,
                              uint8_t opacity, const TRect* source)
{
    if (opacity == 0 || !Has(picture))
        return;
    std::optional<TRect> part;
    if (source)
        part = Inclusive(*source);
    surfaces_.DrawWithAlphaChannel(picture, kFrame, x, y, opacity, part);
}

void TGameInterfaceHost::DrawRect(const std::string&, const TRect& rect, int32_t colour, uint8_t opacity, bool)
{
    surfaces_.FillRectAlpha(kFrame, rect, opacity, static_cast<uint32_t>(colour));
}

void TGameInterfaceHost::ExtDraw(const std::string& picture, std::span<const TQelGlyphRect> glyphs)
{
    if (glyphs.empty() || !Has(picture))
        return;
    std::vector<TCharsRect> list;
    list.reserve(glyphs.size());
    for (const TQelGlyphRect& g : glyphs)
        list.push_back({Inclusive(g.Source), g.X, g.Y, static_cast<uint32_t>(g.Colour), g.Opacity});
    surfaces_.DrawCharList(picture, kFrame, static_cast<int>(list.size()), list);
}

void TGameInterfaceHost::DrawColoredAlpha(const std::string& picture, const std::string&, int32_t x, int32_t y,
                                          int32_t colour, uint8_t opacity)
{
    if (Has(picture))
        surfaces_.DrawWithAlphaChannel(picture, kFrame, x, y, opacity, std::nullopt, static_cast<uint32_t>(colour), 1);
}

void TGameInterfaceHost::LowExtDraw(const std::string& picture, const TRect& source, int32_t colour, uint8_t opacity)
{
    // The part goes where it lies in the picture: the call carries no position of its own.
    if (Has(picture))
        surfaces_.DrawWithAlphaChannel(picture, kFrame, source.Left, source.Top, opacity, Inclusive(source),
                                       static_cast<uint32_t>(colour), 1);
}

TQelSize TGameInterfaceHost::GetPictureSize(const std::string& picture)
{
    TQelSize size;
    if (Has(picture))
        surfaces_.GetSurfaceSize(picture, size.Width, size.Height);
    return size;
}

TQelSize TGameInterfaceHost::GetScreenSize() { return {surfaces_.ScreenWidth(), surfaces_.ScreenHeight()}; }

void TGameInterfaceHost::PlaySound(const std::string& sound, int32_t volume)
{
    if (sounds_)
        sounds_->PlaySound(sound, volume);
}

TGameFontSource::TGameFontSource(TQelFontEngine& fonts) : fonts_(fonts) {}

TGameFontSource::~TGameFontSource() = default;

IQelTextFont* TGameFontSource::FindFont(const std::string& name)
{
    TQelFont* font = fonts_.GetFontByName(name);
    if (!font)
        return nullptr;
    auto& adapter = adapters_[font];
    if (!adapter)
        adapter = std::make_unique<TFontAdapter>(*font);
    return adapter.get();
}
