// Reading anime files and loading their pictures.
#include "effects/QelAnime.h"

#include "foundation/DataSource.h"
#include "foundation/MemoryStream.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "graphics/SurfEngine.h"

#include <algorithm>

namespace {

// An attribute, or a child element of that name, or nothing.
const std::string* Field(const TQelXMLTag& tag, const char* name)
{
    if (const TQelParserAttribute* a = tag.GetAttributeByName(name))
        return &a->Value;
    if (const TQelXMLTag* child = tag.GetChildByName(name))
        return &child->Text;
    return nullptr;
}

}  // namespace

TAnime LoadAnime(TSurfEngine& surfaces, const TDataSource& data, const std::string& file, bool reload,
    const std::function<void(int percent)>& progress, double scale)
{
    TAnime anime;
    auto bytes = data.Read(file);
    if (!bytes)
        return anime;
    TQelParser document;
    TMemoryStream stream(std::move(*bytes));
    document.LoadFromStream(stream);
    if (document.Children.empty())
        return anime;
    const TQelXMLTag& root = *document.Children.front();
    const std::string* plusText = Field(root, "Plus");
    const std::string* multText = Field(root, "Mult");
    const int64_t plus = plusText ? LeadingInt(*plusText) : 0;
    const double mult = multText ? XMLStrToFloat(*multText) : 1.0;

    const size_t count = root.Children.size();
    for (size_t i = 0; i < count; ++i) {
        const TQelXMLTag& frame = *root.Children[i];
        const std::string* time = Field(frame, "Time");
        const std::string* pict = Field(frame, "Pict");
        TOneAnime one;
        one.Picture = pict ? Trim(*pict) : std::string();
        one.Time = RoundHalfEven(static_cast<double>(plus + (time ? LeadingInt(*time) : 0)) * mult);
        if (!one.Picture.empty()) {
            if (reload)
                surfaces.DeleteSurface(one.Picture);
            surfaces.LoadSurfFromFileOrFileFolder(data, one.Picture, one.Picture, scale);
        }
        if (progress)
            progress(std::min(RoundHalfEven(static_cast<double>(i + 1) * 100.0 / static_cast<double>(count)), 100));
        anime.push_back(std::move(one));
    }
    return anime;
}
