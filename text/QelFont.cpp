// Fonts: the metrics table, text widths and filling the glyph list.
#include "text/QelFont.h"

#include "foundation/Text.h"
#include "text/QelFontEngine.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

TQelFont::TQelFont() : CharMap(new uint16_t[kCharMapSize]())
{
}

const TQelPropTable& TQelFont::Properties() const
{
    static const TQelPropTable table = [this] {
        TQelPropTable t(&TQelObject::Properties());
        TQelPropsOf<TQelFont>(t)
            .Field("Height", &TQelFont::Height)
            .Field("Picture", &TQelFont::Picture)
            // Written only: reading it gives nothing.
            .String("Metrics", [](const TQelFont&) { return std::string(); }, &TQelFont::SetMetrics);
        return t;
    }();
    return table;
}

void TQelFont::SetMetrics(const std::string& metrics)
{
    std::vector<TCharDesc> descs;
    size_t start = 0;
    for (;;) {
        size_t comma = metrics.find(',', start);
        std::string_view entry = std::string_view(metrics).substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (descs.size() >= kCharMapSize)
            throw std::runtime_error("Metrics hold more than 65536 entries");
        TCharDesc d;
        int32_t TCharDesc::*fields[] = {&TCharDesc::Code, &TCharDesc::X, &TCharDesc::Y, &TCharDesc::Before,
            &TCharDesc::Width, &TCharDesc::After};
        size_t from = 0;
        for (int32_t TCharDesc::*field : fields) {
            size_t colon = entry.find(':', from);
            std::string_view text = entry.substr(from, colon == std::string_view::npos ? std::string_view::npos : colon - from);
            auto value = StrictInt(text);
            if (!value || *value < std::numeric_limits<int32_t>::min() || *value > std::numeric_limits<int32_t>::max())
                throw std::runtime_error("'" + std::string(text) + "' is not a valid integer value");
            d.*field = static_cast<int32_t>(*value);
            if (colon == std::string_view::npos)
                break;
            from = colon + 1;
        }
        if (d.Code < 0 || d.Code >= static_cast<int32_t>(kCharMapSize))
            throw std::runtime_error("Character code " + IntToStr(d.Code) + " is outside 0..65535");
        descs.push_back(d);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    CharDescs = std::move(descs);
    for (size_t i = 0; i < CharDescs.size(); ++i)
        CharMap[static_cast<size_t>(CharDescs[i].Code)] = static_cast<uint16_t>(i);
}

const TCharDesc* TQelFont::Desc(char16_t c) const
{
    if (CharDescs.empty())
        return nullptr;
    size_t index = CharMap[c];
    // A map value left from an earlier, longer Metrics write falls back like a missing
    // character.
    return &CharDescs[index < CharDescs.size() ? index : 0];
}

bool TQelFont::IsCharPresent(char16_t c) const
{
    return c == 32 || CharMap[c] != 0;
}

int TQelFont::GetTextWidth(std::u16string_view text) const
{
    int64_t width = 0;
    for (char16_t c : text)
        if (const TCharDesc* d = Desc(c))
            width += static_cast<int64_t>(d->Before) + d->Width + d->After;
    return static_cast<int>(std::clamp<int64_t>(width, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

TQelFontEngine* TQelFont::FontEngine() const
{
    return dynamic_cast<TQelFontEngine*>(Engine);
}

void TQelFont::DrawText(int32_t x, int32_t y, uint32_t color, uint8_t opacity, std::u16string_view text, int32_t maxWidth)
{
    TQelFontEngine* engine = FontEngine();
    if (!engine || !engine->Host || CharDescs.empty())
        return;
    size_t first = 0, last = text.size();
    while (first < last && text[first] <= 32)
        ++first;
    while (last > first && text[last - 1] <= 32)
        --last;
    if (first == last)
        return;
    if (last - first == 1 && !IsCharPresent(text[0]))
        return;

    auto& list = engine->CharsRects;
    int64_t pen = x;
    int64_t used = 0;
    int count = 0;
    for (char16_t c : text) {
        // A full list is drawn and filled again, so texts of any length come out whole.
        if (count == TQelFontEngine::kGlyphListSize) {
            engine->Host->ExtDraw(Picture, count);
            count = 0;
        }
        const TCharDesc& d = *Desc(c);
        pen += d.Before;
        TCharsRect& r = list[static_cast<size_t>(count++)];
        r.Source = {d.X, d.Y, d.X + d.Width - 1, d.Y + Height - 1};
        r.X = static_cast<int32_t>(std::clamp<int64_t>(pen, INT32_MIN, INT32_MAX));
        r.Y = y;
        r.Color = color;
        r.Opacity = opacity;
        pen += static_cast<int64_t>(d.Width) + d.After;
        if (maxWidth > 0) {
            used += static_cast<int64_t>(d.Before) + d.Width + d.After;
            if (maxWidth < used) {
                engine->Host->ExtDraw(Picture, count - 1);
                return;
            }
        }
    }
    engine->Host->ExtDraw(Picture, count);
}
