// Reading "Mans.xml" into the customer type table.
#include "gameplay/ManTypes.h"

#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"

#include <algorithm>
#include <exception>
#include <set>

namespace {

const char kLoadError[] = "Error LoadMans";
constexpr int32_t kMsPerSecond = 1000;

int32_t IntAttribute(const TQelXMLTag& tag, std::string_view name) { return LeadingInt(tag.AttributeValue(name)); }

// "x,y"; a missing half reads as 0.
TPoint ReadPoint(std::string_view text)
{
    size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return {LeadingInt(text), 0};
    return {LeadingInt(text.substr(0, comma)), LeadingInt(text.substr(comma + 1))};
}

TManTypes ReadType(const TQelXMLTag& tag)
{
    TManTypes type;
    type.Name = tag.AttributeValue("Name");
    type.Pict = tag.AttributeValue("Pict");
    if (const TQelXMLTag* timers = tag.GetChildByName("Timers"))
        type.TimeLeft = IntAttribute(*timers, "TimeLeft") * kMsPerSecond;
    if (const TQelXMLTag* animes = tag.GetChildByName("Animes")) {
        type.TimeChangeAnime = IntAttribute(*animes, "TimeChangeAnime");
        // Every child but the last is an animation; the last one is the bubble.
        const auto& children = animes->Children;
        for (size_t i = 0; i + 1 < children.size(); ++i) {
            TManAnime anime;
            anime.Begin = IntAttribute(*children[i], "Begin");
            anime.End = IntAttribute(*children[i], "End");
            anime.AnimeFiles = children[i]->AttributeValue("AnimeFiles");
            type.Animes.push_back(std::move(anime));
        }
        if (!children.empty()) {
            const TQelXMLTag& bubble = *children.back();
            type.Oblako = bubble.AttributeValue("Name");
            type.OblakoPos = ReadPoint(bubble.AttributeValue("Pos"));
        }
    }
    return type;
}

}  // namespace

bool TManTypeTable::LoadMans(const TDataSource& data, std::string_view fileName, TGameLog& log)
{
    if (data.IsArchive() && !data.Exists(fileName)) {
        Items.clear();
        return true;
    }
    auto bytes = data.Read(fileName);
    if (!bytes) {
        Items.clear();
        log.WriteLog(kLoadError);
        return false;
    }
    return LoadMansText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), log);
}

bool TManTypeTable::LoadMansText(std::string_view text, TGameLog& log)
{
    Items.clear();
    return LogAndCarryOn(&log, kLoadError, false, [&] {
        TQelParser document;
        document.LoadFromText(text);
        const TQelXMLTag* list = document.FindChildByName("ManTypes");
        if (!list) {
            log.WriteLog(kLoadError);
            return false;
        }
        for (const auto& child : list->Children)
            Items.push_back(ReadType(*child));
        return true;
    });
}

void TManTypeTable::LoadAnimations(const std::vector<int32_t>& typeIndices, const TAnimeLoader& loader)
{
    std::set<int32_t> done;
    for (int32_t index : typeIndices) {
        if (index < 0 || index >= Count() || !done.insert(index).second)
            continue;
        for (TManAnime& anime : Items[static_cast<size_t>(index)].Animes)
            anime.Frames = loader ? loader(anime.AnimeFiles) : TAnime{};
    }
}

int32_t TManTypeTable::IndexByName(std::string_view name) const
{
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Name == name)
            return static_cast<int32_t>(i);
    return -1;
}

const TManTypes* TManTypeTable::Type(int32_t index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return &Items[static_cast<size_t>(index)];
}
