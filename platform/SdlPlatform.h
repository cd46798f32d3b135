// Starts SDL and owns everything of the platform the game runs on: the window, the audio
// device, the desktop services and the event queue.
#pragma once

#include "platform/InputEvent.h"
#include "platform/Platform.h"
#include "platform/SdlInput.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class TSdlWindow;
class TSdlAudioLibrary;

struct TSdlPlatformSettings {
    // SDL's dummy video and audio drivers: no desktop and no sound card needed, message
    // boxes go to the standard error stream, the clipboard stays inside the program and
    // addresses are never opened.
    bool Headless = false;
    bool VSync = true;
};

class IPlatformEvents {
public:
    virtual ~IPlatformEvents() = default;
    virtual void OnInput(const TInputEvent& event) = 0;
    virtual void OnWindow(TWindowEvent event) = 0;
};

class TSdlPlatform {
public:
    // Throws std::runtime_error when SDL or its window cannot be started.
    explicit TSdlPlatform(const TSdlPlatformSettings& settings);
    ~TSdlPlatform();
    TSdlPlatform(const TSdlPlatform&) = delete;
    TSdlPlatform& operator=(const TSdlPlatform&) = delete;

    TPlatformServices Services(const IClock& clock);
    TSdlWindow& Window() { return *window_; }
    TSdlAudioLibrary& Audio() { return *audio_; }

    // Hands every queued event to the sink.
    void PollEvents(IPlatformEvents& sink);
    // Waits up to timeoutMs for an event, then hands over what is queued.
    void WaitEvents(IPlatformEvents& sink, int timeoutMs);
    // Microseconds on a steady clock, and a pause of the calling thread (frame pacing).
    static int64_t SteadyMicroseconds();
    static void SleepMicroseconds(int64_t us);

    // The folder the program file lies in (with a trailing separator), or the current
    // folder when SDL cannot tell.
    static std::filesystem::path ProgramFolder();
    // The player's own folder for "Orvanta"/"Glimmora" (created). Empty when the system
    // has none (no home folder); empty with error set when the system names one that
    // cannot be made, which the caller must not take for "none".
    static std::filesystem::path PreferenceFolder(std::string* error = nullptr);

private:
    void Dispatch(const union SDL_Event& event, IPlatformEvents& sink);

    std::unique_ptr<TSdlAudioLibrary> audio_;
    std::unique_ptr<TSdlWindow> window_;
    std::unique_ptr<IMessageBox> messageBox_;
    std::unique_ptr<IClipboard> clipboard_;
    std::unique_ptr<IUrlOpener> urlOpener_;
    TSdlInput input_;
    std::vector<TInputEvent> pending_;
};
