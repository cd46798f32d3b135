// Stand-ins for the host and the fonts: a host that records every call as a line of text
// and knows picture sizes from a table, and fonts whose characters all advance the same.
// Tests, the fuzzer and headless runs use them.
#pragma once

#include "foundation/Text.h"
#include "interface/QelInterfaceHost.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TQelRecordingHost final : public IQelGraphic4 {
public:
    void DrawQelInterfaceEffect(TQelParticleEffect*, int32_t x, int32_t y, const TRect*, uint8_t opacity, int32_t,
                                int32_t) override
    {
        Add("Effect " + Num(x) + " " + Num(y) + " " + Num(opacity));
    }
    void Draw(const std::string& picture, const std::string&, TBlendingMode, int32_t x, int32_t y, uint8_t opacity,
              const TRect* source) override
    {
        std::string line = "Draw " + picture + " " + Num(x) + " " + Num(y) + " " + Num(opacity);
        if (source)
            line += " [" + Num(source->Left) + " " + Num(source->Top) + " " + Num(source->Right) + " " +
                    Num(source->Bottom) + "]";
        Add(line);
    }
    void DrawBumpMap(const std::string& picture, const std::string& bumpMap, int32_t x, int32_t y) override
    {
        Add("Bump " + picture + " " + bumpMap + " " + Num(x) + " " + Num(y));
    }
    void DrawRect(const std::string&, const TRect& r, int32_t colour, uint8_t opacity, bool fill) override
    {
        Add("Rect " + Num(r.Left) + " " + Num(r.Top) + " " + Num(r.Right) + " " + Num(r.Bottom) + " " + Num(colour) +
            " " + Num(opacity) + (fill ? " fill" : " frame"));
    }
    void DrawLine(const std::string&, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour,
                  uint8_t opacity) override
    {
        Add("Line " + Num(x1) + " " + Num(y1) + " " + Num(x2) + " " + Num(y2) + " " + Num(colour) + " " +
            Num(opacity));
    }
    void ExtDraw(const std::string& picture, std::span<const TQelGlyphRect> glyphs) override
    {
        Add("Glyphs " + picture + " " + Num(static_cast<int64_t>(glyphs.size())));
    }
    void DrawColoredAlpha(const std::string& picture, const std::string&, int32_t x, int32_t y, int32_t colour,
                          uint8_t opacity) override
    {
        Add("Colored " + picture + " " + Num(x) + " " + Num(y) + " " + Num(colour) + " " + Num(opacity));
    }
    TQelSize GetPictureSize(const std::string& picture) override
    {
        auto it = Pictures.find(picture);
        return it == Pictures.end() ? TQelSize{} : it->second;
    }
    TQelSize GetScreenSize() override { return Screen; }
    void PlaySound(const std::string& sound, int32_t volume) override
    {
        Add("Sound " + sound + " " + Num(volume));
    }
    void PostFormDraw(const std::string& formName) override
    {
        if (RecordPostFormDraw)
            Add("Post " + formName);
    }

    // What fonts draw goes to the same record.
    void Add(std::string line) { Calls.push_back(std::move(line)); }
    // The recorded lines that start with prefix.
    std::vector<std::string> CallsStarting(std::string_view prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& c : Calls)
            if (c.starts_with(prefix))
                found.push_back(c);
        return found;
    }

    std::map<std::string, TQelSize> Pictures;
    TQelSize Screen{800, 600};
    bool RecordPostFormDraw = false;
    std::vector<std::string> Calls;

private:
    static std::string Num(int64_t v) { return IntToStr(v); }
};

// Every character is Advance pixels wide; characters in Missing have no glyph. Drawing
// records "Text x y colour opacity 'text'" with the host.
class TQelMonoFont final : public IQelTextFont {
public:
    TQelMonoFont(TQelRecordingHost* host, int32_t advance, int32_t height) : host_(host), Advance(advance), Size(height)
    {
    }
    int32_t Height() const override { return Size; }
    int32_t GetTextWidth(std::u16string_view text) const override
    {
        return static_cast<int32_t>(text.size()) * Advance;
    }
    bool IsCharPresent(char16_t c) const override { return !Missing.count(c); }
    void DrawText(int32_t x, int32_t y, int32_t colour, uint8_t opacity, std::u16string_view text,
                  int32_t) override
    {
        if (host_)
            host_->Add("Text " + IntToStr(x) + " " + IntToStr(y) + " " + IntToStr(colour) + " " + IntToStr(opacity) +
                       " '" + Utf16ToUtf8(text) + "'");
    }

    std::set<char16_t> Missing;

private:
    TQelRecordingHost* host_;

public:
    int32_t Advance;
    int32_t Size;
};

class TQelFontList final : public IQelFontSource {
public:
    IQelTextFont* FindFont(const std::string& name) override
    {
        auto it = Fonts.find(name);
        return it == Fonts.end() ? nullptr : it->second.get();
    }
    std::map<std::string, std::unique_ptr<IQelTextFont>> Fonts;
};
