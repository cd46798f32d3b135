// The game's side of sound: the sound list, the event table and the music table, the queue
// of sound events the frame plays when their time comes, the music stepping back while an
// event sounds, and music changes as a fade out, a pause and a fade in.
#pragma once

#include "audio/MusicPatterns.h"
#include "audio/SoundEventTable.h"
#include "audio/SoundEvents.h"
#include "audio/SoundList.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class IClock;
class TDataSource;
class TGameLog;
class TRandom;

// One queued sound event, with the event's table values taken when it was queued.
struct TSoundEffect {
    std::string SoundName;
    int64_t StartTime = 0;
    TSoundEventInfo Info;
};

class TSoundEngine final : public ISoundEvents {
public:
    // random draws the start orders of "a,b" music patterns.
    TSoundEngine(IAudioLibrary& audio, const IClock& clock, TRandom& random, TGameLog& log);

    // The start-up's sound step, in two halves: the samples of programFolder/"Sounds",
    // then the game data's samples and modules (a "Sounds" sample takes the place of an
    // archive sample of the same name; a data folder's file replaces it).
    void LoadOwnSamples(const std::filesystem::path& programFolder);
    void LoadDataSounds(const TDataSource& data);
    // "Sounds.xml", from programFolder/"Sounds" when it is there, else from the data. A
    // damaged table is logged and leaves every event silent; it never stops the loading.
    void LoadSoundsEvents(const std::filesystem::path& programFolder, const TDataSource& data);
    // "MusicPattern.xml" from the data.
    void LoadMusicPattern(const TDataSource& data);

    // The options' volumes (0..100). A change sets the library's global volumes; music
    // raised from 0 starts the current module again from its first order.
    void ApplyVolumes(int musicVolume, int soundVolume);
    int MusicVolume() const { return musicVolume_; }
    int SoundVolume() const { return soundVolume_; }

    // The time of the frame being made: events queued "now" sound in the next frame.
    void SetFrameTime(int64_t frameTime) { frameTime_ = frameTime; }
    // The frame's sound work: the music comes back up, a pending module starts, due
    // events play.
    void TickMusicTimer(int64_t now);

    // ISoundEvents
    void AddSoundEffect(const std::string& event, int volume = 100, int64_t startTime = -1) override;
    void PlaySound(const std::string& soundName, int volume = 100) override;
    void ChangeMusic(const std::string& music, int fadeOutMs, int delayMs, int position, int fadeInMs) override;
    int32_t MusicStartOrder(const std::string& music, const std::string& pattern) override;

    // Every module stops; samples too when asked (a level's end, the catalogue).
    void StopMusic(bool samplesToo) { list_.StopMusic(samplesToo); }

    // Told of every change of music asked for (developer traces).
    std::function<void(const std::string& music)> OnMusicChange;

    TMusicList& List() { return list_; }
    const TSoundEventTable& Events() const { return events_; }
    const TMusicPatternTable& Music() const { return music_; }
    const std::vector<TSoundEffect>& Queue() const { return queue_; }

private:
    void SetGlobalVolumes(int duck);

    IAudioLibrary& audio_;
    const IClock& clock_;
    TRandom& random_;
    TGameLog& log_;
    TMusicList list_;
    TSoundEventTable events_;
    TMusicPatternTable music_;
    std::vector<TSoundEffect> queue_;

    int musicVolume_ = 100;
    int soundVolume_ = 100;
    int64_t frameTime_ = 0;
    int musicDuck_ = 0;
    int64_t musicDuckUntil_ = 0;  // 0: the music is not stepped back

    std::string pendingMusic_;
    int64_t pendingStart_ = -1;  // -1: no music waits
    int pendingFadeIn_ = 1000;
    int pendingPosition_ = 0;
};
