// Reading the music table, and where a module starts.
#include "audio/MusicPatterns.h"

#include "audio/AudioLibrary.h"
#include "audio/SoundList.h"
#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Random.h"
#include "foundation/Text.h"

#include <algorithm>
#include <limits>

namespace {

const char kLoadError[] = "Error LoadMusicPattern";
const char kPatternError[] = "Error GetMusicPattern";

TMusicInsert ReadInsert(const TQelXMLTag& tag)
{
    return TMusicInsert{tag.AttributeValue("File"), LeadingInt(tag.AttributeValue("StartPattern")),
                        LeadingInt(tag.AttributeValue("StopPattern"))};
}

TMusicPatterns ReadEntry(const TQelXMLTag& tag)
{
    TMusicPatterns entry;
    entry.Name = tag.AttributeValue("Name");
    entry.ID = tag.AttributeValue("ID");
    if (const TQelXMLTag* inserts = tag.GetChildByName("Inserts")) {
        for (const auto& insert : inserts->Children) {
            const std::string type = insert->AttributeValue("Type");
            if (type == "negativ")
                entry.Negative.push_back(ReadInsert(*insert));
            else if (type == "positiv")
                entry.Positive.push_back(ReadInsert(*insert));
        }
    }
    return entry;
}

int32_t ClampOrder(int64_t order, int32_t length)
{
    if (order < 0 || length <= 0)
        return 0;
    return static_cast<int32_t>(std::min<int64_t>(order, length - 1));
}

}  // namespace

bool TMusicPatternTable::LoadMusicPattern(const TDataSource& data, std::string_view fileName, TGameLog& log)
{
    Items.clear();
    if (data.IsArchive() && !data.Exists(fileName))
        return true;
    auto bytes = data.Read(fileName);
    if (!bytes) {
        log.WriteLog(kLoadError);
        return false;
    }
    return LoadMusicPatternText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), log);
}

bool TMusicPatternTable::LoadMusicPatternText(std::string_view text, TGameLog& log)
{
    Items.clear();
    TQelParser document;
    document.LoadFromText(text);
    const TQelXMLTag* root = document.LastError.empty() ? document.FindChildByName("MusicPattern") : nullptr;
    if (!root) {
        log.WriteLog(kLoadError);
        return false;
    }
    for (const auto& child : root->Children)
        Items.push_back(ReadEntry(*child));
    return true;
}

std::string TMusicPatternTable::GetMusicNameByID(std::string_view id) const
{
    for (const TMusicPatterns& entry : Items)
        if (entry.ID == id)
            return entry.Name;
    return {};
}

int32_t GetMusicPattern(std::string_view music, const TMusicList& list, IAudioLibrary& audio, std::string_view pattern,
                        TRandom& random, TGameLog* log)
{
    const std::string text = Trim(pattern);
    if (text.empty())
        return 0;
    auto fail = [&] {
        if (log)
            log->WriteLog(kPatternError);
        return 0;
    };
    const int32_t length = audio.MusicGetLength(list.GetMusicHandle(music));
    const size_t percent = text.find('%');
    if (percent != std::string::npos) {
        auto p = StrictInt(std::string_view(text).substr(0, percent));
        if (!p)
            return fail();
        return ClampOrder(RoundHalfEven(static_cast<double>(*p) * length / 100.0), length);
    }
    const size_t comma = text.find(',');
    if (comma == std::string::npos) {
        auto n = StrictInt(text);
        if (!n)
            return fail();
        // A module whose length is unknown (not loaded) keeps the order as written.
        return length > 0 ? ClampOrder(*n, length) : ClampOrder(*n, std::numeric_limits<int16_t>::max() + 1);
    }
    auto a = StrictInt(std::string_view(text).substr(0, comma));
    auto b = StrictInt(std::string_view(text).substr(comma + 1));
    if (!a || !b)
        return fail();
    const int64_t low = std::clamp<int64_t>(*a, 0, std::numeric_limits<int16_t>::max());
    const int64_t high = std::clamp<int64_t>(*b, 0, std::numeric_limits<int16_t>::max());
    // A range written backwards starts at its first order.
    const int64_t order = high < low ? low : low + random.Below(static_cast<int32_t>(high - low + 1));
    return length > 0 ? ClampOrder(order, length) : static_cast<int32_t>(order);
}
