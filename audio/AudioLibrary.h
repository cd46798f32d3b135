// The calls the game makes to play sound: samples from memory with a few simultaneous
// playbacks each, and looping tracker modules. One call here for each call the sound
// code was written against, with the same results: a handle of 0 on failure, and a call
// with handle 0 (or any refused call) silently does nothing. Volumes are 0..100, pans
// -100..100; kPanUnchanged leaves the pan as it is.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

using TAudioHandle = uint32_t;

class IAudioLibrary {
public:
    static constexpr int kPanUnchanged = -101;

    virtual ~IAudioLibrary() = default;

    // "1.8" as (major, minor): the game plays sound only with the version it knows.
    virtual uint32_t GetVersion() = 0;
    virtual bool Init(int frequency) = 0;
    virtual bool Start() = 0;
    virtual bool Pause() = 0;
    virtual bool Stop() = 0;
    virtual void Free() = 0;
    virtual void SetGlobalVolumes(int music, int sample, int stream) = 0;

    // A sample (WAV or OGG bytes) with at most maxPlaybacks at once, a new one taking the
    // place of the oldest.
    virtual TAudioHandle SampleLoad(std::span<const uint8_t> bytes, int maxPlaybacks) = 0;
    virtual void SampleFree(TAudioHandle sample) = 0;
    // Starts one more playback; gives the playback's channel, 0 when refused.
    virtual TAudioHandle SamplePlayEx(TAudioHandle sample, int volume, int pan) = 0;
    virtual void SampleStop(TAudioHandle sample) = 0;

    // A tracker module (MO3, IT, XM, S3M, MOD), ramped and looping.
    virtual TAudioHandle MusicLoad(std::span<const uint8_t> bytes) = 0;
    virtual void MusicFree(TAudioHandle music) = 0;
    // Plays the module from the given order, from the start of its state.
    virtual bool MusicPlayEx(TAudioHandle music, int order) = 0;
    // Length in orders; 0 for an unknown handle.
    virtual int MusicGetLength(TAudioHandle music) = 0;

    // On a module or a sample playback: volume at once (pan unless kPanUnchanged).
    virtual void ChannelSetAttributes(TAudioHandle channel, int volume, int pan) = 0;
    // Glides the volume to the target over timeMs, in the background.
    virtual void ChannelSlideAttributes(TAudioHandle channel, int volume, int pan, int timeMs) = 0;
    virtual void ChannelStop(TAudioHandle channel) = 0;
};

constexpr uint32_t kAudioLibraryVersion = 1 | (8u << 16);  // low word 1, high word 8
