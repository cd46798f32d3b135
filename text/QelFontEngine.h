// Bitmap fonts: the font engine owns the fonts as named objects and the one glyph list
// they fill when drawing; a host (the game's drawing interface) blits that list.
//
// Font files are XML documents whose first element carries a font's published properties
// as attributes: Name, Height, Picture and Metrics.
#pragma once

#include "foundation/QelBaseClasses.h"
#include "graphics/SurfEngine.h"
#include "text/QelFont.h"

#include <array>
#include <string>
#include <string_view>

class TDataSource;
class TMemoryStream;
class TQelXMLTag;

// What the fonts need of the game's drawing interface: draw the first count entries of
// the font engine's glyph list from the glyph picture. The interface engine's host
// interface extends it.
class IQelFontHost {
public:
    virtual ~IQelFontHost() = default;
    virtual void ExtDraw(const std::string& picture, int count) = 0;
};

// Makes "TQelFont" known to the class registry, so fonts can be created by name.
void RegisterFontClasses(TQelClassReg& classes);

class TQelFontEngine : public TQelEngine {
public:
    // One DrawText call fills at most this many entries before the host draws them.
    static constexpr int kGlyphListSize = 3000;

    explicit TQelFontEngine(const TQelClassReg& classes) : TQelEngine(classes) {}

    // Each reads the document and adds a font from its first element. Failures (an
    // unreadable file, a document without elements, a property value that does not
    // convert, a name already taken) raise TQelException after logging their chain.
    TQelFont* LoadFont(const std::string& fileName);
    TQelFont* LoadFontFromStream(TMemoryStream& stream);
    // From the archive or the data folder, by bare name.
    TQelFont* LoadFontFromData(const TDataSource& data, const std::string& name);
    // Creates a TQelFont through the class registry, appends it, links it to the engine,
    // then sets each attribute of the element, in order, as the property of that name.
    TQelFont* AddFont(const TQelXMLTag& element);

    // The Picture names of all fonts that have one, CR LF separated, in font order.
    std::string GetPictures() const;
    TQelFont* GetFontByName(const std::string& name) const;
    TQelFont* FontAt(int index) const;
    int FontCount() const { return static_cast<int>(Objects.size()); }

    // Assigned by the game before any text is drawn; nothing is drawn without it.
    IQelFontHost* Host = nullptr;
    std::array<TCharsRect, kGlyphListSize> CharsRects {};
};

// The host the game uses: draws the glyph list with the surface engine onto one surface
// ("MemorySurface" in the game).
class TSurfFontHost final : public IQelFontHost {
public:
    TSurfFontHost(TSurfEngine& surfaces, const TQelFontEngine& fonts, std::string destination)
        : surfaces_(surfaces), fonts_(fonts), destination_(std::move(destination))
    {
    }
    void ExtDraw(const std::string& picture, int count) override;
    void SetDestination(std::string destination) { destination_ = std::move(destination); }

private:
    TSurfEngine& surfaces_;
    const TQelFontEngine& fonts_;
    std::string destination_;
};
