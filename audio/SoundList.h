// The one list of loaded sounds: short samples and tracker modules, each under the file
// name it was found by. Every sound the game plays is looked up here by that exact name
// (letter case matters), and a name that is missing, or whose load failed, plays nothing.
#pragma once

#include "audio/AudioLibrary.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class TDataSource;

enum class TSoundKind : uint8_t { Sample = 0, Module = 1 };

struct TOneMusic {
    std::string Name;
    TSoundKind Kind = TSoundKind::Sample;
    TAudioHandle Handle = 0;  // 0: the library refused it
};

// A sample plays at most this many times at once; a new playback replaces the oldest.
constexpr int kSamplePlaybacks = 5;

// Whether a file of that name is loaded as a sample or as a module. Folder scans compare the
// lower-cased name, the archive the name as stored.
bool IsSampleName(std::string_view name);
bool IsModuleName(std::string_view name);

class TMusicList {
public:
    explicit TMusicList(IAudioLibrary& audio) : audio_(audio) {}
    // Frees every loaded sound in the library.
    ~TMusicList();
    TMusicList(const TMusicList&) = delete;
    TMusicList& operator=(const TMusicList&) = delete;

    // The entry of that name, appended when new; an existing one is freed so that it can be
    // loaded again.
    int AddMusicEntry(const std::string& name);
    int FindMusic(std::string_view name) const;
    TAudioHandle GetMusicHandle(std::string_view name) const;
    void FreeMusic(int index);
    void DeleteMusic(int index);
    void LoadMusicFromStream(std::span<const uint8_t> bytes, const std::string& name, TSoundKind kind);

    // Every sample file of the folder ("ogg", "wav"), in name order; a missing folder is
    // no error.
    void LoadSampleFolder(const std::filesystem::path& folder);
    // Every module file of the folder, in name order.
    void LoadMusicFolder(const std::filesystem::path& folder);
    // Every sample of the archive not in the list yet (so the "Sounds" folder's own
    // samples stay), and every module, in the archive's order. An entry that cannot be
    // read stays in the list silent, with a line naming it and the cause in the engine log.
    void LoadSoundsFromArchive(const TDataSource& archive);

    // A module starts silently at the order and glides to musicVolume over fadeMs, and
    // becomes CurrentMusic even when musicVolume is 0 (then it does not start). A sample
    // plays once at sampleVolume and pan, unless sampleVolume is 0.
    void PlayMusic(const std::string& name, int musicVolume, int pan, int fadeMs, int position, int sampleVolume);
    // Stops every module; the samples' playbacks too when asked.
    void StopMusic(bool samplesToo);

    const std::vector<TOneMusic>& Entries() const { return items_; }
    // The module started last.
    std::string CurrentMusic;

private:
    void LoadFolder(const std::filesystem::path& folder, TSoundKind kind);

    IAudioLibrary& audio_;
    std::vector<TOneMusic> items_;
};
