// Reading the sound-event table and looking events up in it.
#include "audio/SoundEventTable.h"

#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/Text.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kLoadError = "Exception error in TQelGameEngine.LoadSoundsEvents!";

int IntAttribute(const TQelXMLTag& tag, std::string_view name, int missing)
{
    const TQelParserAttribute* attribute = tag.GetAttributeByName(name);
    return attribute ? LeadingInt(attribute->Value) : missing;
}

}  // namespace

void TSoundEventTable::LoadSoundsEvents(const std::string& fileName, const fs::path& programFolder,
                                        const TDataSource& data)
{
    std::error_code ec;
    const fs::path own = programFolder / "Sounds" / fileName;
    std::optional<std::vector<uint8_t>> bytes;
    if (fs::is_regular_file(own, ec))
        bytes = ReadFileBytes(own);
    else if (data.Exists(fileName))
        bytes = data.Read(fileName);
    else
        return;
    if (!bytes)
        throw TQelException(kLoadError);
    LoadSoundsEventsText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

void TSoundEventTable::LoadSoundsEventsText(std::string_view text)
{
    auto document = std::make_unique<TQelParser>();
    document->LoadFromText(text);
    if (!document->LastError.empty() || document->ChildCount() == 0) {
        // A damaged table must not leave the previous one half in place.
        document_.reset();
        throw TQelException(kLoadError);
    }
    document_ = std::move(document);
}

const TQelXMLTag* TSoundEventTable::Find(std::string_view event) const
{
    if (!document_ || event.empty())
        return nullptr;
    return document_->FindChildByName(event);
}

TSoundEventInfo TSoundEventTable::Event(std::string_view event) const
{
    // One search of the document for all five values: events are queued during play.
    const TQelXMLTag* tag = Find(event);
    if (!tag)
        return {};
    return TSoundEventInfo{Trim(tag->Text), IntAttribute(*tag, "Volume", 100), IntAttribute(*tag, "Pan", 0),
                           IntAttribute(*tag, "ChangeMusicPercent", 0), IntAttribute(*tag, "ChangeMusicDuration", 0)};
}

std::string TSoundEventTable::GetEventSoundName(std::string_view event) const { return Event(event).SoundName; }

int TSoundEventTable::GetEventSoundVolume(std::string_view event) const { return Event(event).Volume; }

int TSoundEventTable::GetEventChangeMusicPercent(std::string_view event) const
{
    return Event(event).ChangeMusicPercent;
}

int TSoundEventTable::GetEventChangeMusicDuration(std::string_view event) const
{
    return Event(event).ChangeMusicDuration;
}

int TSoundEventTable::GetEventSoundPan(std::string_view event) const { return Event(event).Pan; }
