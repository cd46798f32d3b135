// The game's own mixer: samples with a few playbacks each and looping tracker modules,
// each channel with a volume that can glide, under global music and sample volumes. It
// knows no audio device: the device pulls frames with Render, and tests render offline.
#pragma once

#include "audio/AudioLibrary.h"

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

class TTrackerModule;
struct TPcmSound;

// The device's lock, held by the game while it changes the mixer; the device holds it
// while it calls Render.
class IAudioLock {
public:
    virtual ~IAudioLock() = default;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};

// Volumes are linear amplitudes (volume / 100). Pan is a balance: the far side fades, the
// near side stays whole: left x min(1, (100 - pan) / 100), right x min(1, (100 + pan) / 100).
class TAudioMixer final : public IAudioLibrary {
public:
    explicit TAudioMixer(IAudioLock* lock = nullptr);
    ~TAudioMixer() override;

    uint32_t GetVersion() override;
    bool Init(int frequency) override;
    bool Start() override;
    bool Pause() override;
    bool Stop() override;
    void Free() override;
    void SetGlobalVolumes(int music, int sample, int stream) override;

    TAudioHandle SampleLoad(std::span<const uint8_t> bytes, int maxPlaybacks) override;
    void SampleFree(TAudioHandle sample) override;
    TAudioHandle SamplePlayEx(TAudioHandle sample, int volume, int pan) override;
    void SampleStop(TAudioHandle sample) override;

    TAudioHandle MusicLoad(std::span<const uint8_t> bytes) override;
    void MusicFree(TAudioHandle music) override;
    bool MusicPlayEx(TAudioHandle music, int order) override;
    int MusicGetLength(TAudioHandle music) override;

    // A volume below 0 leaves the volume as it is.
    void ChannelSetAttributes(TAudioHandle channel, int volume, int pan) override;
    void ChannelSlideAttributes(TAudioHandle channel, int volume, int pan, int timeMs) override;
    void ChannelStop(TAudioHandle channel) override;

    // Mixes the next frames (interleaved left, right, clamped to -1..1). Silence while not
    // started or paused; slides and positions only move while output runs.
    void Render(float* out, int frames);

    int Frequency() const { return frequency_; }
    // What a channel is doing now; for diagnostics and tests.
    bool IsChannelPlaying(TAudioHandle channel) const;
    double ChannelVolume(TAudioHandle channel) const;  // -1 for an unknown channel
    int MusicCurrentOrder(TAudioHandle music) const;   // -1 for an unknown module
    int SamplePlaybacks(TAudioHandle sample) const;
    // Why the last load failed.
    const std::string& LastError() const { return lastError_; }

private:
    struct TGain {
        double Volume = 100, Pan = 0;
        double TargetVolume = 100, TargetPan = 0;
        double VolumeStep = 0, PanStep = 0;
        int64_t FramesLeft = 0;

        void Set(int volume, int pan);
        void Slide(int volume, int pan, int64_t frames);
        void Step();
    };
    struct TSample;
    struct TVoice {
        TAudioHandle Channel = 0;
        TAudioHandle Sample = 0;
        const TPcmSound* Pcm = nullptr;
        size_t Position = 0;
        TGain Gain;
    };
    struct TMusic;
    class TLockGuard;

    TAudioHandle NewHandle(uint32_t kind);
    TGain* FindGain(TAudioHandle channel);
    const TGain* FindGain(TAudioHandle channel) const;
    void MixVoice(TVoice& voice, float* out, int frames);
    void MixMusic(TMusic& music, float* out, int frames);
    void AddWithGain(TGain& gain, double global, const float* in, float* out, int frames);

    IAudioLock* lock_;
    int frequency_ = 0;
    bool initialized_ = false;
    bool running_ = false;
    int musicVolume_ = 100;
    int sampleVolume_ = 100;
    uint32_t serial_ = 0;
    std::unordered_map<TAudioHandle, std::unique_ptr<TSample>> samples_;
    std::unordered_map<TAudioHandle, std::unique_ptr<TMusic>> musics_;
    std::vector<TVoice> voices_;  // in the order they were started
    std::vector<float> scratch_;
    std::string lastError_;
};
