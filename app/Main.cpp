// The program entry: developer options, the platform, the main window and the message
// loop that gives every idle moment to a frame.
#include "app/Main.h"

#include "app/DevOptions.h"
#include "app/GameTrace.h"
#include "app/GameWidgets.h"
#include "app/InputScript.h"
#include "app/LevelBotPlayer.h"
#include "app/QelGameEngine.h"
#include "foundation/Clock.h"
#include "foundation/Files.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"
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
constexpr int kExitScript = 3;
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
            // A failing handler is the player's to see; the game stays where it was.
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
    // A user folder the system names but cannot make is no reason to write the player's
    // files into the program folder instead.
    std::string folderError;
    const fs::path userFolder = dev.UserDir ? *dev.UserDir : TSdlPlatform::PreferenceFolder(&folderError);
    if (!folderError.empty()) {
        std::cerr << "glimmora: " << folderError << "\n";
        return kExitFailure;
    }

    TSdlPlatformSettings settings;
    settings.Headless = dev.Headless;
    settings.VSync = !dev.Uncapped;
    TSdlPlatform platform(settings);

    TSteadyClock realClock;
    TManualClock steppedClock;
    const IClock& clock = dev.FixedStepMs ? static_cast<const IClock&>(steppedClock) : realClock;

    TQelGameEngine::TSetup setup;
    setup.ProgramFolder = TSdlPlatform::ProgramFolder();
    setup.UserFolder = userFolder;
    setup.DataFolder = dev.DataDir;
    setup.Seed = dev.Seed ? *dev.Seed : SeedFromWallClock();
    if (dev.Level)
        setup.StartDay = std::pair{dev.Level->first - 1, dev.Level->second - 1};
    setup.BotPlays = dev.Bot.has_value();
    TGameTrace trace;
    if (dev.Trace) {
        std::string error;
        if (!trace.Open(*dev.Trace, &error)) {
            std::cerr << "glimmora: " << error << "\n";
            return kExitUsage;
        }
        setup.Trace = &trace;
    }

    TQelGameEngine engine(platform.Services(clock), setup);
    TEventRouter router(engine, dev.IsScripted());
    TGameWidgets widgets(engine);
    TInputScriptPlayer player(std::move(script), &widgets);
    std::unique_ptr<TLevelBotPlayer> bot;
    if (dev.Bot)
        bot = std::make_unique<TLevelBotPlayer>(engine, widgets, MakeLevelBot(*dev.Bot, setup.Seed),
                                                [&router](const TInputEvent& event) { router.OnInput(event); });
    TFramePacer pacer;
    int status = kExitOk;

    // The window is shown with the focus: its first activation sets up the display.
    router.Guard([&] { engine.FormActivate(); });
    int64_t frame = 0;
    std::vector<TInputEvent> events;
    while (!engine.Terminated()) {
        trace.SetFrame(frame);
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
        std::string failure;
        if (!player.EventsFor(frame, events, failure)) {
            std::cerr << dev.InputScript->string() << ": " << failure << "\n";
            status = kExitScript;
            engine.FormClose();
            break;
        }
        for (const TInputEvent& event : events)
            router.OnInput(event);
        if (bot)
            router.Guard([&] { bot->Frame(); });
        engine.AppIdle();
        ++frame;
        if (dev.FixedStepMs)
            steppedClock.Advance(*dev.FixedStepMs);
        if (!dev.Uncapped)
            TSdlPlatform::SleepMicroseconds(pacer.WaitUs(TSdlPlatform::SteadyMicroseconds()));
    }

    if (status == kExitOk)
        status = engine.ExitCode();
    trace.SetFrame(frame);
    const TPlayer& record = engine.Player;
    trace.Event("end", std::string(ScreenModeName(engine.Shell.ScreenMode)) + " " +
                           (record.Name.empty() ? std::string("-") : record.Name) + " " +
                           std::to_string(record.CurrentEpisod) + " " + std::to_string(record.CurrentLevel) + " " +
                           std::to_string(record.CurrentScore));
    trace.Close();
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
        // Nothing is left to carry on with: say why and end with a failure status.
        std::cerr << "glimmora: " << e.what() << "\n";
        return kExitFailure;
    }
}
