// SDL start-up and shutdown, the event queue, and the program's folders.
#include "platform/SdlPlatform.h"

#include "platform/InstallLayout.h"
#include "platform/SdlAudio.h"
#include "platform/SdlServices.h"
#include "platform/SdlWindow.h"

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

TSdlPlatform::TSdlPlatform(const TSdlPlatformSettings& settings)
{
    if (settings.Headless) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        throw std::runtime_error(std::string("Cannot start SDL: ") + SDL_GetError());
    try {
        window_ = std::make_unique<TSdlWindow>("Glimmora", settings.VSync);
    } catch (...) {
        SDL_Quit();
        throw;
    }
    audio_ = std::make_unique<TSdlAudioLibrary>();
    if (settings.Headless) {
        messageBox_ = std::make_unique<TConsoleMessageBox>();
        clipboard_ = std::make_unique<TMemoryClipboard>();
        urlOpener_ = std::make_unique<TRecordingUrlOpener>();
    } else {
        messageBox_ = std::make_unique<TSdlMessageBox>(window_->Handle());
        clipboard_ = std::make_unique<TSdlClipboard>();
        urlOpener_ = std::make_unique<TSdlUrlOpener>();
    }
}

TSdlPlatform::~TSdlPlatform()
{
    audio_.reset();
    window_.reset();
    SDL_Quit();
}

TPlatformServices TSdlPlatform::Services(const IClock& clock)
{
    TPlatformServices services;
    services.Clock = &clock;
    services.Display = window_.get();
    services.Window = window_.get();
    services.Audio = audio_.get();
    services.MessageBox = messageBox_.get();
    services.Clipboard = clipboard_.get();
    services.UrlOpener = urlOpener_.get();
    return services;
}

void TSdlPlatform::Dispatch(const SDL_Event& event, IPlatformEvents& sink)
{
    pending_.clear();
    auto windowEvent = input_.Translate(event, pending_);
    for (const TInputEvent& input : pending_)
        sink.OnInput(input);
    if (windowEvent)
        sink.OnWindow(*windowEvent);
}

void TSdlPlatform::PollEvents(IPlatformEvents& sink)
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        Dispatch(event, sink);
}

void TSdlPlatform::WaitEvents(IPlatformEvents& sink, int timeoutMs)
{
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, timeoutMs))
        Dispatch(event, sink);
    PollEvents(sink);
}

int64_t TSdlPlatform::SteadyMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void TSdlPlatform::SleepMicroseconds(int64_t us)
{
    if (us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

std::filesystem::path TSdlPlatform::ProgramFolder()
{
    char* base = SDL_GetBasePath();
    if (!base)
        return std::filesystem::current_path();
    std::filesystem::path folder(base);
    SDL_free(base);
    return GameFilesFolder(folder);
}

std::filesystem::path TSdlPlatform::PreferenceFolder(std::string* error)
{
    char* pref = SDL_GetPrefPath("Orvanta", "Glimmora");
    if (!pref) {
        // SDL names the folder from these two; without either the system has no place of
        // the player's own, and the program folder serves.
        if (error && (std::getenv("XDG_DATA_HOME") || std::getenv("HOME")))
            *error = std::string("The user folder cannot be made: ") + SDL_GetError();
        return {};
    }
    std::filesystem::path folder(pref);
    SDL_free(pref);
    return folder;
}
