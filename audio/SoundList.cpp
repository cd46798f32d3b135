// Loading, playing and freeing the sounds of the sound list.
#include "audio/SoundList.h"

#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"

#include <algorithm>
#include <array>

namespace fs = std::filesystem;

namespace {

bool EndsWith(std::string_view name, std::string_view tail)
{
    return name.size() >= tail.size() && name.substr(name.size() - tail.size()) == tail;
}

}  // namespace

bool IsSampleName(std::string_view name)
{
    // The game's own test: the last three letters, whatever comes before them.
    return EndsWith(name, "ogg") || EndsWith(name, "wav");
}

bool IsModuleName(std::string_view name)
{
    // Our music is in the open tracker formats; they need their dot, since "it" ends many
    // a name that is no module.
    static constexpr std::array<std::string_view, 5> kOpenFormats = {".xm", ".it", ".s3m", ".mod", ".mptm"};
    if (EndsWith(name, "mo3"))
        return true;
    return std::any_of(kOpenFormats.begin(), kOpenFormats.end(), [&](std::string_view ext) { return EndsWith(name, ext); });
}

TMusicList::~TMusicList()
{
    for (int i = 0; i < static_cast<int>(items_.size()); ++i)
        FreeMusic(i);
}

int TMusicList::AddMusicEntry(const std::string& name)
{
    const int index = FindMusic(name);
    if (index >= 0) {
        FreeMusic(index);
        return index;
    }
    items_.push_back(TOneMusic{name, TSoundKind::Sample, 0});
    return static_cast<int>(items_.size()) - 1;
}

int TMusicList::FindMusic(std::string_view name) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].Name == name)
            return static_cast<int>(i);
    return -1;
}

TAudioHandle TMusicList::GetMusicHandle(std::string_view name) const
{
    const int index = FindMusic(name);
    return index < 0 ? 0 : items_[static_cast<size_t>(index)].Handle;
}

void TMusicList::FreeMusic(int index)
{
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return;
    TOneMusic& entry = items_[static_cast<size_t>(index)];
    if (entry.Handle != 0) {
        if (entry.Kind == TSoundKind::Sample)
            audio_.SampleFree(entry.Handle);
        else
            audio_.MusicFree(entry.Handle);
    }
    entry.Handle = 0;
}

void TMusicList::DeleteMusic(int index)
{
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return;
    FreeMusic(index);
    items_.erase(items_.begin() + index);
}

void TMusicList::LoadMusicFromStream(std::span<const uint8_t> bytes, const std::string& name, TSoundKind kind)
{
    const int index = AddMusicEntry(name);
    TOneMusic& entry = items_[static_cast<size_t>(index)];
    entry.Kind = kind;
    entry.Handle = kind == TSoundKind::Sample ? audio_.SampleLoad(bytes, kSamplePlaybacks) : audio_.MusicLoad(bytes);
}

void TMusicList::LoadFolder(const fs::path& folder, TSoundKind kind)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::string name = file.filename().string();
        const std::string lower = AsciiLower(name);
        if (kind == TSoundKind::Sample ? !IsSampleName(lower) : !IsModuleName(lower))
            continue;
        if (auto bytes = ReadFileBytes(file, nullptr))
            LoadMusicFromStream(*bytes, name, kind);
    }
}

void TMusicList::LoadSampleFolder(const fs::path& folder) { LoadFolder(folder, TSoundKind::Sample); }

void TMusicList::LoadMusicFolder(const fs::path& folder) { LoadFolder(folder, TSoundKind::Module); }

void TMusicList::LoadSoundsFromArchive(const TDataSource& archive)
{
    for (const std::string& name : archive.Names()) {
        TSoundKind kind;
        if (IsSampleName(name)) {
            if (FindMusic(name) >= 0)
                continue;
            kind = TSoundKind::Sample;
        } else if (IsModuleName(name)) {
            kind = TSoundKind::Module;
        } else {
            continue;
        }
        // A damaged entry is loaded as nothing: the name stays, silent, and the log says
        // which entry and why (the library alone could only say that nothing loaded).
        std::string error;
        auto bytes = archive.Read(name, &error);
        if (TQelLog* log = EngineLog(); !bytes && log)
            log->Add("Error LoadSound " + name + ": " + error);
        LoadMusicFromStream(bytes ? std::span<const uint8_t>(*bytes) : std::span<const uint8_t>(), name, kind);
    }
}

void TMusicList::PlayMusic(const std::string& name, int musicVolume, int pan, int fadeMs, int position,
                           int sampleVolume)
{
    const int index = FindMusic(name);
    if (index < 0)
        return;
    const TOneMusic& entry = items_[static_cast<size_t>(index)];
    if (entry.Kind == TSoundKind::Module) {
        if (musicVolume != 0) {
            audio_.ChannelSetAttributes(entry.Handle, 0, IAudioLibrary::kPanUnchanged);
            audio_.ChannelSlideAttributes(entry.Handle, musicVolume, IAudioLibrary::kPanUnchanged, fadeMs);
            audio_.MusicPlayEx(entry.Handle, position);
        }
        CurrentMusic = name;
    } else if (sampleVolume != 0) {
        audio_.SamplePlayEx(entry.Handle, sampleVolume, pan);
    }
}

void TMusicList::StopMusic(bool samplesToo)
{
    for (const TOneMusic& entry : items_) {
        if (entry.Kind == TSoundKind::Module)
            audio_.ChannelStop(entry.Handle);
        else if (samplesToo)
            audio_.SampleStop(entry.Handle);
    }
}
