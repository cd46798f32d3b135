// A bitmap font: one glyph picture and a metrics table saying where each character's
// glyph lies and how far it advances. Characters are UTF-16 code units; lookups are one
// access into a 65536-entry map.
#pragma once

#include "foundation/QelBaseClasses.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TQelFontEngine;

struct TCharDesc {
    int32_t Code = 0;
    int32_t X = 0;       // top-left corner of the glyph in the picture
    int32_t Y = 0;
    int32_t Before = 0;  // added to the pen before the glyph
    int32_t Width = 0;   // glyph width, also its advance
    int32_t After = 0;   // added after the glyph
};

class TQelFont : public TQelObject {
public:
    TQelFont();
    const char* ClassName() const override { return "TQelFont"; }
    // Height, Picture and the write-only Metrics after the base properties.
    const TQelPropTable& Properties() const override;

    // "Code:X:Y:Before:Width:After" entries separated by ","; missing trailing fields are
    // 0, fields beyond the sixth are ignored. A field that is not an integer, a code
    // outside 0..65535 or more than 65536 entries fail the whole write (std::runtime_error)
    // and leave the font as it was. The character map is not cleared first: a later
    // entry for a code wins, codes of an earlier write keep theirs.
    void SetMetrics(const std::string& metrics);

    // Sum over all characters of Before + Width + After.
    int GetTextWidth(std::u16string_view text) const;
    // The space, and every character with an entry of its own.
    bool IsCharPresent(char16_t c) const;
    // The entry drawn for c: its own, or the first entry for a character the font lacks.
    const TCharDesc* Desc(char16_t c) const;

    // Fills the engine's glyph list and has its host draw it at (x, y); with maxWidth > 0
    // the character that would pass that width and all after it are left out. A text of
    // only spaces, or a single character the font lacks, draws nothing.
    void DrawText(int32_t x, int32_t y, uint32_t color, uint8_t opacity, std::u16string_view text, int32_t maxWidth = 0);

    TQelFontEngine* FontEngine() const;

    int32_t Height = 0;
    std::string Picture;
    std::vector<TCharDesc> CharDescs;
    // For each character code the index of its entry in CharDescs; 0 where the font has
    // no entry of its own.
    std::unique_ptr<uint16_t[]> CharMap;

    static constexpr size_t kCharMapSize = 65536;
};
