// The font engine: loading fonts from files, streams and the game data, and the surface
// host that draws the glyph list.
#include "text/QelFontEngine.h"

#include "foundation/DataSource.h"
#include "foundation/MemoryStream.h"
#include "foundation/QelParser.h"

#include <span>

void RegisterFontClasses(TQelClassReg& classes)
{
    classes.Register<TQelFont>("TQelFont");
}

namespace {

const TQelXMLTag& FirstElement(const TQelParser& document)
{
    if (document.Children.empty())
        throw std::runtime_error("XML file does not has tags!");
    return *document.Children.front();
}

}  // namespace

TQelFont* TQelFontEngine::AddFont(const TQelXMLTag& element)
{
    return QelGuard("TQelFontEngine.AddFont", [&] {
        const TQelClass* cls = Classes().GetClassByName("TQelFont");
        if (!cls)
            throw std::runtime_error("Class TQelFont is not registered");
        std::unique_ptr<TQelObject> made = cls->Create();
        auto* font = dynamic_cast<TQelFont*>(made.get());
        if (!font)
            throw std::runtime_error("Class TQelFont does not make fonts");
        AddObject(std::move(made));
        font->Engine = this;
        for (const auto& attribute : element.Attributes) {
            const TQelPropInfo* property = font->Properties().Find(attribute->Name);
            if (!property)
                throw std::runtime_error("Unknown property: \"" + attribute->Name + "\"");
            SetPropValue(*font, *property, attribute->Value);
        }
        return font;
    });
}

TQelFont* TQelFontEngine::LoadFont(const std::string& fileName)
{
    return QelGuard("TQelFontEngine.LoadFont", [&] {
        TQelParser document;
        document.LoadFromFile(fileName);
        return AddFont(FirstElement(document));
    });
}

TQelFont* TQelFontEngine::LoadFontFromStream(TMemoryStream& stream)
{
    return QelGuard("TQelFontEngine.LoadFontFromStream", [&] {
        TQelParser document;
        document.LoadFromStream(stream);
        return AddFont(FirstElement(document));
    });
}

TQelFont* TQelFontEngine::LoadFontFromData(const TDataSource& data, const std::string& name)
{
    return QelGuard("TQelFontEngine.LoadFontFromData", [&] {
        std::string error;
        auto bytes = data.Read(name, &error);
        if (!bytes)
            throw std::runtime_error("Can not read font " + name + (error.empty() ? "" : ": " + error));
        TMemoryStream stream(std::move(*bytes));
        return LoadFontFromStream(stream);
    });
}

std::string TQelFontEngine::GetPictures() const
{
    std::string out;
    for (const auto& object : Objects)
        if (const auto* font = dynamic_cast<const TQelFont*>(object.get()); font && !font->Picture.empty()) {
            if (!out.empty())
                out += "\r\n";
            out += font->Picture;
        }
    return out;
}

TQelFont* TQelFontEngine::GetFontByName(const std::string& name) const
{
    return dynamic_cast<TQelFont*>(GetObjectByName(name));
}

TQelFont* TQelFontEngine::FontAt(int index) const
{
    return index >= 0 && index < FontCount() ? dynamic_cast<TQelFont*>(Objects[static_cast<size_t>(index)].get()) : nullptr;
}

void TSurfFontHost::ExtDraw(const std::string& picture, int count)
{
    if (count <= 0)
        return;
    surfaces_.DrawCharList(picture, destination_, count, std::span<const TCharsRect>(fonts_.CharsRects));
}
