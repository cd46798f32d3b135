// An audio library that plays nothing and writes down every call, for the sound code's
// tests. Loads succeed unless the bytes are empty or say "bad"; a module's length is its
// byte count.
#pragma once

#include "audio/AudioLibrary.h"

#include <string>
#include <utility>
#include <vector>

class TRecordingAudioLibrary final : public IAudioLibrary {
public:
    uint32_t GetVersion() override { return kAudioLibraryVersion; }
    bool Init(int) override { return true; }
    bool Start() override { return true; }
    bool Pause() override { return true; }
    bool Stop() override { return true; }
    void Free() override {}
    void SetGlobalVolumes(int music, int sample, int stream) override
    {
        Log("global " + std::to_string(music) + " " + std::to_string(sample) + " " + std::to_string(stream));
    }
    TAudioHandle SampleLoad(std::span<const uint8_t> bytes, int maxPlaybacks) override
    {
        return Load("sample", bytes, maxPlaybacks);
    }
    void SampleFree(TAudioHandle h) override { Log("free sample " + std::to_string(h)); }
    TAudioHandle SamplePlayEx(TAudioHandle h, int volume, int pan) override
    {
        Log("play sample " + std::to_string(h) + " vol " + std::to_string(volume) + " pan " + std::to_string(pan));
        return h;
    }
    void SampleStop(TAudioHandle h) override { Log("stop sample " + std::to_string(h)); }
    TAudioHandle MusicLoad(std::span<const uint8_t> bytes) override { return Load("module", bytes, 0); }
    void MusicFree(TAudioHandle h) override { Log("free module " + std::to_string(h)); }
    bool MusicPlayEx(TAudioHandle h, int order) override
    {
        Log("play module " + std::to_string(h) + " at " + std::to_string(order));
        return h != 0;
    }
    int MusicGetLength(TAudioHandle h) override { return h != 0 && h <= lengths_.size() ? lengths_[h - 1] : 0; }
    void ChannelSetAttributes(TAudioHandle h, int volume, int pan) override
    {
        Log("set " + std::to_string(h) + " vol " + std::to_string(volume) + " pan " + std::to_string(pan));
    }
    void ChannelSlideAttributes(TAudioHandle h, int volume, int pan, int timeMs) override
    {
        Log("slide " + std::to_string(h) + " to " + std::to_string(volume) + " pan " + std::to_string(pan) + " in " +
            std::to_string(timeMs));
    }
    void ChannelStop(TAudioHandle h) override { Log("stop module " + std::to_string(h)); }

    // The calls since the last Take, and forgets them.
    std::vector<std::string> Take() { return std::exchange(calls_, {}); }

private:
    TAudioHandle Load(const std::string& what, std::span<const uint8_t> bytes, int maxPlaybacks)
    {
        std::string text(bytes.begin(), bytes.end());
        if (text.empty() || text == "bad") {
            Log("refused " + what);
            return 0;
        }
        lengths_.push_back(static_cast<int>(bytes.size()));
        const auto handle = static_cast<TAudioHandle>(lengths_.size());
        Log("load " + what + " " + text + (maxPlaybacks ? " x" + std::to_string(maxPlaybacks) : "") + " = " +
            std::to_string(handle));
        return handle;
    }
    void Log(std::string call) { calls_.push_back(std::move(call)); }

    std::vector<int> lengths_;
    std::vector<std::string> calls_;
};
