// The program entry: developer options, the platform, the main window and the message
// loop that gives every idle moment to a frame.
#include "app/Main.h"

#include "app/DevOptions.h"
#include "app/InputScript.h"
#include "app/QelGameEngine.h"
#include "foundation/Clock.h"
#include "foundation/Files.h"
#include "platform/FramePacer.h"
#include "platform/SdlPlatform.h"

#include <chrono>
#include <cstdio>
#include <iostream>

namespace fs = std::filesystem;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// While the window has no focus the loop waits for events this long at a time.
constexpr int kInactiveWaitMs = 100;

// Hands the platform's events to the window's handlers; an error that escapes a handler
// is shown as the application's error and the loop goes on.
class TEventRouter final : public IPlatformEvents {
public:
    TEventRouter(TQelGameEngine& engine, bool scripted) : engine_(engine), scripted_(scripted) {}

    void OnInput(const TInputEvent& event) override
    {
        Guard([&] { engine_.HandleInput(event); });
    }
    void OnWindow(TWindowEvent event) override
    {
        // A scripted run keeps its frames whatever the desktop does with the focus.
        if (scripted_ && (event == TWindowEvent::FocusLost || event == TWindowEvent::FocusGained))
            return;
        Guard([&] { engine_.HandleWindowEvent(event); });
    }
    template <class F>
    void Guard(F&& handler)
    {
        try {
            handler();
        } catch (const std::exception& e) {
            engine_.ShowApplicationError(e.what());
        }
    }

private:
    TQelGameEngine& engine_;
    bool scripted_;
};

std::optional<std::vector<TScriptedInput>> ReadInputScript(const fs::path& file)
{
    std::string error;
    auto bytes = ReadFileBytes(file, &error);
    if (!bytes) {
        std::cerr << "glimmora: " << error << "\n";
        return std::nullopt;
    }
    std::vector<TScriptedInput> events;
    TInputScriptError bad;
    if (!ParseInputScript(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), events, bad)) {
        std::cerr << file.string() << ":" << bad.Line << ": " << bad.Message << "\n";
        return std::nullopt;
    }
    return events;
}

uint32_t SeedFromWallClock()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

int Run(const TDevOptions& dev, std::vector<TScriptedInput> script)
{
    TSdlPlatformSettings settings;
    settings.Headless = dev.Headless;
    settings.VSync = !dev.Uncapped;
    TSdlPlatform platform(settings);

    TSteadyClock realClock;
    TManualClock steppedClock;
    const IClock& clock = dev.FixedStepMs ? static_cast<const IClock&>(steppedClock) : realClock;

    TQelGameEngine::TSetup setup;
    setup.ProgramFolder = TSdlPlatform::ProgramFolder();
    setup.UserFolder = dev.UserDir ? *dev.UserDir : TSdlPlatform::PreferenceFolder();
    setup.DataFolder = dev.DataDir;
    setup.Seed = dev.Seed ? *dev.Seed : SeedFromWallClock();

    TQelGameEngine engine(platform.Services(clock), setup);
    TEventRouter router(engine, dev.IsScripted());
    TInputScriptPlayer player(std::move(script));
    TFramePacer pacer;

    // The window is shown with the focus: its first activation sets up the display.
    router.Guard([&] { engine.FormActivate(); });
    int64_t frame = 0;
    while (!engine.Terminated()) {
        if (dev.Frames && frame >= *dev.Frames) {
            engine.FormClose();
            break;
        }
        platform.PollEvents(router);
        if (engine.Terminated())
            break;
        if (!engine.IsActive() && !dev.IsScripted()) {
            platform.WaitEvents(router, kInactiveWaitMs);
            continue;
        }
        for (const TInputEvent& event : player.EventsFor(frame))
            router.OnInput(event);
        engine.AppIdle();
        ++frame;
        if (dev.FixedStepMs)
            steppedClock.Advance(*dev.FixedStepMs);
        if (!dev.Uncapped)
            TSdlPlatform::SleepMicroseconds(pacer.WaitUs(TSdlPlatform::SteadyMicroseconds()));
    }

    int status = engine.ExitCode();
    if (dev.Screenshot && status == kExitOk) {
        std::string error;
        if (!engine.SaveMemorySurfacePng(*dev.Screenshot, &error)) {
            std::cerr << "glimmora: " << error << "\n";
            status = kExitFailure;
        }
    }
    return status;
}

}  // namespace

int RunGlimmora(int argc, char** argv)
{
    TDevOptions dev;
    std::string error;
    if (!ParseDevOptions(std::vector<std::string>(argv + 1, argv + argc), dev, error)) {
        std::cerr << "glimmora: " << error << "\nTry glimmora --help.\n";
        return kExitUsage;
    }
    if (dev.Help) {
        std::cout << DevOptionsHelp();
        return kExitOk;
    }
    std::vector<TScriptedInput> script;
    if (dev.InputScript) {
        auto events = ReadInputScript(*dev.InputScript);
        if (!events)
            return kExitUsage;
        script = std::move(*events);
    }
    try {
        return Run(dev, std::move(script));
    } catch (const std::exception& e) {
        std::cerr << "glimmora: " << e.what() << "\n";
        return kExitFailure;
    }
}
