// Mixing samples and modules into one stereo stream.
#include "platform/AudioMixer.h"

#include "platform/SoundDecoder.h"
#include "platform/TrackerModule.h"

#include <algorithm>
#include <utility>

namespace {

constexpr uint32_t kSampleKind = 1;
constexpr uint32_t kMusicKind = 2;
constexpr uint32_t kPlaybackKind = 3;
constexpr int kKindShift = 28;
constexpr uint32_t kSerialMask = (1u << kKindShift) - 1;

// Modules are rendered in pieces of this many frames, so the scratch buffer never grows
// inside the device's callback.
constexpr int kChunkFrames = 1024;

uint32_t KindOf(TAudioHandle handle)
{
    return handle >> kKindShift;
}

}  // namespace

struct TAudioMixer::TSample {
    TPcmSound Pcm;
    int MaxPlaybacks = 1;
};

struct TAudioMixer::TMusic {
    std::unique_ptr<TTrackerModule> Module;
    bool Playing = false;
    TGain Gain;
};

class TAudioMixer::TLockGuard {
public:
    explicit TLockGuard(IAudioLock* lock) : lock_(lock)
    {
        if (lock_)
            lock_->Lock();
    }
    ~TLockGuard()
    {
        if (lock_)
            lock_->Unlock();
    }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    IAudioLock* lock_;
};

void TAudioMixer::TGain::Set(int volume, int pan)
{
    if (volume >= 0) {
        Volume = TargetVolume = std::min(volume, 100);
        VolumeStep = 0;
    }
    if (pan != kPanUnchanged) {
        Pan = TargetPan = std::clamp(pan, -100, 100);
        PanStep = 0;
    }
}

void TAudioMixer::TGain::Slide(int volume, int pan, int64_t frames)
{
    // A new slide replaces the one running; an attribute left unchanged stops where it is.
    TargetVolume = volume >= 0 ? std::min(volume, 100) : Volume;
    TargetPan = pan != kPanUnchanged ? std::clamp(pan, -100, 100) : Pan;
    if (frames <= 0) {
        Volume = TargetVolume;
        Pan = TargetPan;
        VolumeStep = PanStep = 0;
        FramesLeft = 0;
        return;
    }
    VolumeStep = (TargetVolume - Volume) / static_cast<double>(frames);
    PanStep = (TargetPan - Pan) / static_cast<double>(frames);
    FramesLeft = frames;
}

void TAudioMixer::TGain::Step()
{
    if (FramesLeft <= 0)
        return;
    Volume += VolumeStep;
    Pan += PanStep;
    if (--FramesLeft == 0) {
        // Land exactly on the target, whatever the rounding of the steps.
        Volume = TargetVolume;
        Pan = TargetPan;
        VolumeStep = PanStep = 0;
    }
}

TAudioMixer::TAudioMixer(IAudioLock* lock) : lock_(lock)
{
    scratch_.resize(static_cast<size_t>(kChunkFrames) * 2);
    voices_.reserve(64);
}

TAudioMixer::~TAudioMixer() = default;

uint32_t TAudioMixer::GetVersion()
{
    return kAudioLibraryVersion;
}

bool TAudioMixer::Init(int frequency)
{
    if (initialized_ || frequency < 8000 || frequency > 192000)
        return false;
    TLockGuard guard(lock_);
    frequency_ = frequency;
    initialized_ = true;
    running_ = false;
    return true;
}

bool TAudioMixer::Start()
{
    TLockGuard guard(lock_);
    running_ = initialized_;
    return initialized_;
}

bool TAudioMixer::Pause()
{
    TLockGuard guard(lock_);
    running_ = false;
    return initialized_;
}

bool TAudioMixer::Stop()
{
    TLockGuard guard(lock_);
    running_ = false;
    voices_.clear();
    for (auto& [handle, music] : musics_)
        music->Playing = false;
    return initialized_;
}

void TAudioMixer::Free()
{
    std::unordered_map<TAudioHandle, std::unique_ptr<TSample>> samples;
    std::unordered_map<TAudioHandle, std::unique_ptr<TMusic>> musics;
    {
        TLockGuard guard(lock_);
        running_ = false;
        initialized_ = false;
        voices_.clear();
        samples.swap(samples_);
        musics.swap(musics_);
    }
    // Modules and sounds are destroyed here, outside the device's lock.
}

void TAudioMixer::SetGlobalVolumes(int music, int sample, int /*stream*/)
{
    TLockGuard guard(lock_);
    if (music >= 0)
        musicVolume_ = std::min(music, 100);
    if (sample >= 0)
        sampleVolume_ = std::min(sample, 100);
}

TAudioHandle TAudioMixer::NewHandle(uint32_t kind)
{
    serial_ = (serial_ + 1) & kSerialMask;
    if (serial_ == 0)
        serial_ = 1;
    return (kind << kKindShift) | serial_;
}

TAudioHandle TAudioMixer::SampleLoad(std::span<const uint8_t> bytes, int maxPlaybacks)
{
    if (!initialized_)
        return 0;
    // Decoding happens before the lock is taken: the device keeps playing meanwhile.
    auto sample = std::make_unique<TSample>();
    auto pcm = DecodeSound(bytes, frequency_, &lastError_);
    if (!pcm)
        return 0;
    sample->Pcm = std::move(*pcm);
    sample->MaxPlaybacks = std::max(1, maxPlaybacks);
    TLockGuard guard(lock_);
    TAudioHandle handle = NewHandle(kSampleKind);
    samples_.emplace(handle, std::move(sample));
    return handle;
}

void TAudioMixer::SampleFree(TAudioHandle sample)
{
    std::unique_ptr<TSample> doomed;
    TLockGuard guard(lock_);
    auto it = samples_.find(sample);
    if (it == samples_.end())
        return;
    std::erase_if(voices_, [&](const TVoice& v) { return v.Sample == sample; });
    doomed = std::move(it->second);
    samples_.erase(it);
}

TAudioHandle TAudioMixer::SamplePlayEx(TAudioHandle sample, int volume, int pan)
{
    TLockGuard guard(lock_);
    auto it = samples_.find(sample);
    if (it == samples_.end())
        return 0;
    int playing = 0;
    for (const TVoice& v : voices_)
        playing += v.Sample == sample;
    if (playing >= it->second->MaxPlaybacks) {
        // The oldest playback gives way to the new one.
        auto oldest = std::find_if(voices_.begin(), voices_.end(), [&](const TVoice& v) { return v.Sample == sample; });
        voices_.erase(oldest);
    }
    TVoice voice;
    voice.Channel = NewHandle(kPlaybackKind);
    voice.Sample = sample;
    voice.Pcm = &it->second->Pcm;
    voice.Gain.Set(std::clamp(volume, 0, 100), std::clamp(pan, -100, 100));
    voices_.push_back(voice);
    return voice.Channel;
}

void TAudioMixer::SampleStop(TAudioHandle sample)
{
    TLockGuard guard(lock_);
    std::erase_if(voices_, [&](const TVoice& v) { return v.Sample == sample; });
}

TAudioHandle TAudioMixer::MusicLoad(std::span<const uint8_t> bytes)
{
    if (!initialized_)
        return 0;
    auto music = std::make_unique<TMusic>();
    music->Module = TTrackerModule::Load(bytes, &lastError_);
    if (!music->Module)
        return 0;
    TLockGuard guard(lock_);
    TAudioHandle handle = NewHandle(kMusicKind);
    musics_.emplace(handle, std::move(music));
    return handle;
}

void TAudioMixer::MusicFree(TAudioHandle music)
{
    std::unique_ptr<TMusic> doomed;
    {
        TLockGuard guard(lock_);
        auto it = musics_.find(music);
        if (it == musics_.end())
            return;
        doomed = std::move(it->second);
        musics_.erase(it);
    }
}

bool TAudioMixer::MusicPlayEx(TAudioHandle music, int order)
{
    TLockGuard guard(lock_);
    auto it = musics_.find(music);
    if (it == musics_.end())
        return false;
    it->second->Module->PlayFrom(order);
    it->second->Playing = true;
    return true;
}

int TAudioMixer::MusicGetLength(TAudioHandle music)
{
    TLockGuard guard(lock_);
    auto it = musics_.find(music);
    return it == musics_.end() ? 0 : it->second->Module->NumOrders();
}

TAudioMixer::TGain* TAudioMixer::FindGain(TAudioHandle channel)
{
    return const_cast<TGain*>(std::as_const(*this).FindGain(channel));
}

const TAudioMixer::TGain* TAudioMixer::FindGain(TAudioHandle channel) const
{
    if (KindOf(channel) == kMusicKind) {
        auto it = musics_.find(channel);
        return it == musics_.end() ? nullptr : &it->second->Gain;
    }
    if (KindOf(channel) == kPlaybackKind) {
        for (const TVoice& v : voices_)
            if (v.Channel == channel)
                return &v.Gain;
    }
    return nullptr;
}

void TAudioMixer::ChannelSetAttributes(TAudioHandle channel, int volume, int pan)
{
    TLockGuard guard(lock_);
    if (TGain* gain = FindGain(channel))
        gain->Set(volume, pan);
}

void TAudioMixer::ChannelSlideAttributes(TAudioHandle channel, int volume, int pan, int timeMs)
{
    TLockGuard guard(lock_);
    if (TGain* gain = FindGain(channel))
        gain->Slide(volume, pan, static_cast<int64_t>(std::max(timeMs, 0)) * frequency_ / 1000);
}

void TAudioMixer::ChannelStop(TAudioHandle channel)
{
    TLockGuard guard(lock_);
    switch (KindOf(channel)) {
    case kMusicKind:
        if (auto it = musics_.find(channel); it != musics_.end())
            it->second->Playing = false;
        break;
    case kPlaybackKind:
        std::erase_if(voices_, [&](const TVoice& v) { return v.Channel == channel; });
        break;
    case kSampleKind:
        std::erase_if(voices_, [&](const TVoice& v) { return v.Sample == channel; });
        break;
    default:
        break;
    }
}

void TAudioMixer::AddWithGain(TGain& gain, double global, const float* in, float* out, int frames)
{
    auto leftRight = [&](float& left, float& right) {
        const double level = gain.Volume / 100.0 * global / 100.0;
        left = static_cast<float>(level * std::min(1.0, (100.0 - gain.Pan) / 100.0));
        right = static_cast<float>(level * std::min(1.0, (100.0 + gain.Pan) / 100.0));
    };
    float left, right;
    leftRight(left, right);
    for (int i = 0; i < frames; ++i) {
        out[2 * i] += in[2 * i] * left;
        out[2 * i + 1] += in[2 * i + 1] * right;
        if (gain.FramesLeft > 0) {
            gain.Step();
            leftRight(left, right);
        }
    }
}

void TAudioMixer::MixVoice(TVoice& voice, float* out, int frames)
{
    const size_t left = voice.Pcm->FrameCount() - std::min(voice.Position, voice.Pcm->FrameCount());
    const int n = static_cast<int>(std::min<size_t>(left, static_cast<size_t>(frames)));
    AddWithGain(voice.Gain, sampleVolume_, voice.Pcm->Samples.data() + 2 * voice.Position, out, n);
    voice.Position += static_cast<size_t>(n);
}

void TAudioMixer::MixMusic(TMusic& music, float* out, int frames)
{
    int done = 0;
    while (done < frames && music.Playing) {
        const int want = std::min(kChunkFrames, frames - done);
        const int got = static_cast<int>(music.Module->Render(frequency_, scratch_.data(), static_cast<size_t>(want)));
        AddWithGain(music.Gain, musicVolume_, scratch_.data(), out + 2 * done, got);
        done += got;
        if (got < want)
            music.Playing = false;  // nothing more to play
    }
}

void TAudioMixer::Render(float* out, int frames)
{
    std::fill(out, out + 2 * static_cast<ptrdiff_t>(std::max(frames, 0)), 0.0f);
    if (!running_ || frames <= 0)
        return;
    for (TVoice& voice : voices_)
        MixVoice(voice, out, frames);
    std::erase_if(voices_, [](const TVoice& v) { return v.Position >= v.Pcm->FrameCount(); });
    for (auto& [handle, music] : musics_)
        if (music->Playing)
            MixMusic(*music, out, frames);
    for (int i = 0; i < 2 * frames; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

bool TAudioMixer::IsChannelPlaying(TAudioHandle channel) const
{
    TLockGuard guard(lock_);
    if (KindOf(channel) == kMusicKind) {
        auto it = musics_.find(channel);
        return it != musics_.end() && it->second->Playing;
    }
    return KindOf(channel) == kPlaybackKind && FindGain(channel) != nullptr;
}

double TAudioMixer::ChannelVolume(TAudioHandle channel) const
{
    TLockGuard guard(lock_);
    const TGain* gain = FindGain(channel);
    return gain ? gain->Volume : -1.0;
}

int TAudioMixer::MusicCurrentOrder(TAudioHandle music) const
{
    TLockGuard guard(lock_);
    auto it = musics_.find(music);
    return it == musics_.end() ? -1 : it->second->Module->CurrentOrder();
}

int TAudioMixer::SamplePlaybacks(TAudioHandle sample) const
{
    TLockGuard guard(lock_);
    return static_cast<int>(std::count_if(voices_.begin(), voices_.end(), [&](const TVoice& v) { return v.Sample == sample; }));
}
