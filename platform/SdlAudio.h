// The audio library the game plays through: an SDL audio device at the asked rate, in
// stereo, pulling frames from the game's own mixer.
#pragma once

#include "platform/AudioMixer.h"

#include <cstdint>

class TSdlAudioLibrary final : public IAudioLibrary {
public:
    TSdlAudioLibrary();
    ~TSdlAudioLibrary() override;
    TSdlAudioLibrary(const TSdlAudioLibrary&) = delete;
    TSdlAudioLibrary& operator=(const TSdlAudioLibrary&) = delete;

    uint32_t GetVersion() override { return mixer_.GetVersion(); }
    // Opens the default output device; false (the game stays silent) when there is none.
    bool Init(int frequency) override;
    bool Start() override;
    bool Pause() override;
    bool Stop() override;
    void Free() override;
    void SetGlobalVolumes(int music, int sample, int stream) override { mixer_.SetGlobalVolumes(music, sample, stream); }

    TAudioHandle SampleLoad(std::span<const uint8_t> bytes, int maxPlaybacks) override;
    void SampleFree(TAudioHandle sample) override { mixer_.SampleFree(sample); }
    TAudioHandle SamplePlayEx(TAudioHandle sample, int volume, int pan) override
    {
        return mixer_.SamplePlayEx(sample, volume, pan);
    }
    void SampleStop(TAudioHandle sample) override { mixer_.SampleStop(sample); }

    TAudioHandle MusicLoad(std::span<const uint8_t> bytes) override;
    void MusicFree(TAudioHandle music) override { mixer_.MusicFree(music); }
    bool MusicPlayEx(TAudioHandle music, int order) override { return mixer_.MusicPlayEx(music, order); }
    int MusicGetLength(TAudioHandle music) override { return mixer_.MusicGetLength(music); }

    void ChannelSetAttributes(TAudioHandle channel, int volume, int pan) override
    {
        mixer_.ChannelSetAttributes(channel, volume, pan);
    }
    void ChannelSlideAttributes(TAudioHandle channel, int volume, int pan, int timeMs) override
    {
        mixer_.ChannelSlideAttributes(channel, volume, pan, timeMs);
    }
    void ChannelStop(TAudioHandle channel) override { mixer_.ChannelStop(channel); }

    bool IsOpen() const { return device_ != 0; }
    const TAudioMixer& Mixer() const { return mixer_; }

private:
    class TDeviceLock final : public IAudioLock {
    public:
        explicit TDeviceLock(const uint32_t& device) : device_(device) {}
        void Lock() override;
        void Unlock() override;

    private:
        const uint32_t& device_;
    };

    static void Pull(void* self, uint8_t* stream, int bytes);

    uint32_t device_ = 0;
    bool subsystemStarted_ = false;
    TDeviceLock lock_{device_};
    TAudioMixer mixer_{&lock_};
};
