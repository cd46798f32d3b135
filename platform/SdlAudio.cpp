// The SDL audio device behind the mixer.
#include "platform/SdlAudio.h"

#include "foundation/QelLog.h"

#include <SDL.h>

namespace {

// Frames per device callback: about 23 ms at 44100 Hz, short enough that a sound starts
// with the frame that asked for it.
constexpr Uint16 kDeviceFrames = 1024;

void LogAudio(const std::string& message)
{
    if (TQelLog* log = EngineLog())
        log->Add(message);
}

}  // namespace

void TSdlAudioLibrary::TDeviceLock::Lock()
{
    if (device_)
        SDL_LockAudioDevice(device_);
}

void TSdlAudioLibrary::TDeviceLock::Unlock()
{
    if (device_)
        SDL_UnlockAudioDevice(device_);
}

TSdlAudioLibrary::TSdlAudioLibrary() = default;

TSdlAudioLibrary::~TSdlAudioLibrary()
{
    Free();
}

void TSdlAudioLibrary::Pull(void* self, uint8_t* stream, int bytes)
{
    auto* library = static_cast<TSdlAudioLibrary*>(self);
    library->mixer_.Render(reinterpret_cast<float*>(stream), bytes / static_cast<int>(2 * sizeof(float)));
}

bool TSdlAudioLibrary::Init(int frequency)
{
    if (device_)
        return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        LogAudio(std::string("Audio: no audio system: ") + SDL_GetError());
        return false;
    }
    subsystemStarted_ = true;
    SDL_AudioSpec want{};
    want.freq = frequency;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kDeviceFrames;
    want.callback = Pull;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware wants, so the mixer always
    // renders float stereo at the asked rate.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        LogAudio(std::string("Audio: cannot open the output device: ") + SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted_ = false;
        return false;
    }
    if (!mixer_.Init(have.freq)) {
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted_ = false;
        return false;
    }
    device_ = device;
    return true;
}

bool TSdlAudioLibrary::Start()
{
    if (!device_)
        return false;
    mixer_.Start();
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

bool TSdlAudioLibrary::Pause()
{
    if (!device_)
        return false;
    SDL_PauseAudioDevice(device_, 1);
    return mixer_.Pause();
}

bool TSdlAudioLibrary::Stop()
{
    if (!device_)
        return false;
    SDL_PauseAudioDevice(device_, 1);
    return mixer_.Stop();
}

void TSdlAudioLibrary::Free()
{
    if (device_) {
        // Closing waits for the callback to finish; after it the mixer is ours alone.
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    mixer_.Free();
    if (subsystemStarted_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted_ = false;
    }
}

TAudioHandle TSdlAudioLibrary::SampleLoad(std::span<const uint8_t> bytes, int maxPlaybacks)
{
    TAudioHandle handle = mixer_.SampleLoad(bytes, maxPlaybacks);
    if (!handle && device_)
        LogAudio("Audio: sample not loaded: " + mixer_.LastError());
    return handle;
}

TAudioHandle TSdlAudioLibrary::MusicLoad(std::span<const uint8_t> bytes)
{
    TAudioHandle handle = mixer_.MusicLoad(bytes);
    if (!handle && device_)
        LogAudio("Audio: module not loaded: " + mixer_.LastError());
    return handle;
}
