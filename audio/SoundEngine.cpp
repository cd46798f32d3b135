// The sound queue, ducking and music changes.
#include "audio/SoundEngine.h"

#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"

#include <algorithm>
#include <exception>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSoundsFolder = "Sounds";
constexpr const char* kEventFile = "Sounds.xml";
constexpr const char* kMusicFile = "MusicPattern.xml";
constexpr int kEventFadeMs = 1000;
constexpr int kPlaySoundFadeMs = 1000;

// A table may hold any number: computed in reals, then held to the library's range.
int Percent(int value, int percent)
{
    return std::clamp(RoundHalfEven(static_cast<double>(value) * percent / 100.0), 0, 100);
}

}  // namespace

TSoundEngine::TSoundEngine(IAudioLibrary& audio, const IClock& clock, TRandom& random, TGameLog& log)
    : audio_(audio), clock_(clock), random_(random), log_(log), list_(audio)
{
}

void TSoundEngine::LoadOwnSamples(const fs::path& programFolder) { list_.LoadSampleFolder(programFolder / kSoundsFolder); }

void TSoundEngine::LoadDataSounds(const TDataSource& data)
{
    if (data.IsArchive()) {
        list_.LoadSoundsFromArchive(data);
    } else {
        list_.LoadMusicFolder(data.Folder());
        list_.LoadSampleFolder(data.Folder());
    }
}

void TSoundEngine::LoadSoundsEvents(const fs::path& programFolder, const TDataSource& data)
{
    try {
        events_.LoadSoundsEvents(kEventFile, programFolder, data);
    } catch (const std::exception& e) {
        log_.WriteLog(e.what());
    }
}

void TSoundEngine::LoadMusicPattern(const TDataSource& data) { music_.LoadMusicPattern(data, kMusicFile, log_); }

void TSoundEngine::SetGlobalVolumes(int duck)
{
    audio_.SetGlobalVolumes(std::max(musicVolume_ - duck, 0), soundVolume_, 0);
}

void TSoundEngine::ApplyVolumes(int musicVolume, int soundVolume)
{
    const int previousMusic = musicVolume_;
    musicVolume_ = std::clamp(musicVolume, 0, 100);
    soundVolume_ = std::clamp(soundVolume, 0, 100);
    SetGlobalVolumes(musicDuckUntil_ > 0 ? musicDuck_ : 0);
    if (previousMusic == 0 && musicVolume_ > 0) {
        // A module chosen while the music was off never started; it does now.
        const int index = list_.FindMusic(list_.CurrentMusic);
        if (index >= 0 && list_.Entries()[static_cast<size_t>(index)].Kind == TSoundKind::Module)
            audio_.MusicPlayEx(list_.Entries()[static_cast<size_t>(index)].Handle, 0);
    }
}

void TSoundEngine::AddSoundEffect(const std::string& event, int /*volume*/, int64_t startTime)
{
    TSoundEffect effect;
    effect.Info = events_.Event(event);
    effect.SoundName = effect.Info.SoundName;
    effect.StartTime = startTime == -1 ? frameTime_ : startTime;
    queue_.push_back(std::move(effect));
}

void TSoundEngine::PlaySound(const std::string& soundName, int /*volume*/)
{
    list_.PlayMusic(soundName, musicVolume_, 0, kPlaySoundFadeMs, 0, soundVolume_);
}

void TSoundEngine::ChangeMusic(const std::string& music, int fadeOutMs, int delayMs, int position, int fadeInMs)
{
    const TAudioHandle current = list_.GetMusicHandle(list_.CurrentMusic);
    if (current != 0)
        audio_.ChannelSlideAttributes(current, 0, IAudioLibrary::kPanUnchanged, fadeOutMs);
    pendingMusic_ = music;
    pendingStart_ = clock_.NowMs() + fadeOutMs + delayMs;
    if (OnMusicChange)
        OnMusicChange(music);
    pendingFadeIn_ = fadeInMs;
    pendingPosition_ = position;
}

int32_t TSoundEngine::MusicStartOrder(const std::string& music, const std::string& pattern)
{
    return GetMusicPattern(music, list_, audio_, pattern, random_, &log_);
}

void TSoundEngine::TickMusicTimer(int64_t now)
{
    if (musicDuckUntil_ > 0 && musicDuckUntil_ < now) {
        musicDuckUntil_ = 0;
        musicDuck_ = 0;
        SetGlobalVolumes(0);
    }

    if (pendingStart_ >= 0 && pendingStart_ < now) {
        pendingStart_ = -1;
        list_.StopMusic(false);
        list_.PlayMusic(pendingMusic_, musicVolume_, 0, pendingFadeIn_, pendingPosition_, soundVolume_);
    }

    // Events whose time has not come keep their places and order.
    std::vector<TSoundEffect> playing, waiting;
    for (TSoundEffect& e : queue_)
        (e.StartTime < frameTime_ ? playing : waiting).push_back(std::move(e));
    queue_ = std::move(waiting);
    for (const TSoundEffect& e : playing) {
        const TSoundEventInfo& info = e.Info;
        const int pan = std::clamp(info.Pan, -100, 100);
        list_.PlayMusic(e.SoundName, Percent(info.Volume, musicVolume_), pan, kEventFadeMs, 0,
                        Percent(info.Volume, soundVolume_));
        if (info.ChangeMusicPercent > 0) {
            musicDuck_ = Percent(musicVolume_, std::min(info.ChangeMusicPercent, 100));
            SetGlobalVolumes(musicDuck_);
            musicDuckUntil_ = now + std::max(info.ChangeMusicDuration, 0);
        }
    }
}
