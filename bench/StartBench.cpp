// From the program's start to the first frame of the title: the start-up, the loading of
// every picture and table of the shipped game, and the splash, headless on the fixed step.
#include "app/QelGameEngine.h"
#include "audio/AudioLibrary.h"
#include "foundation/Clock.h"
#include "foundation/Services.h"
#include "graphics/Display.h"
#include "platform/GameWindow.h"
#include "platform/Platform.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

constexpr int kStepMs = 16;
// The splash and a margin: a run that never reaches the title stops here.
constexpr int kMostFrames = 1000;

// No sound device: the library refuses every load and the game plays on silently.
class TSilentAudio final : public IAudioLibrary {
public:
    uint32_t GetVersion() override { return 0; }
    bool Init(int) override { return false; }
    bool Start() override { return false; }
    bool Pause() override { return false; }
    bool Stop() override { return false; }
    void Free() override {}
    void SetGlobalVolumes(int, int, int) override {}
    TAudioHandle SampleLoad(std::span<const uint8_t>, int) override { return 0; }
    void SampleFree(TAudioHandle) override {}
    TAudioHandle SamplePlayEx(TAudioHandle, int, int) override { return 0; }
    void SampleStop(TAudioHandle) override {}
    TAudioHandle MusicLoad(std::span<const uint8_t>) override { return 0; }
    void MusicFree(TAudioHandle) override {}
    bool MusicPlayEx(TAudioHandle, int) override { return false; }
    int MusicGetLength(TAudioHandle) override { return 0; }
    void ChannelSetAttributes(TAudioHandle, int, int) override {}
    void ChannelSlideAttributes(TAudioHandle, int, int, int) override {}
    void ChannelStop(TAudioHandle) override {}
};

void StartToTitle(benchmark::State& state)
{
    const std::filesystem::path program = GLIM_BENCH_PROGRAM_FOLDER;
    if (!std::filesystem::exists(program / "game.zxc")) {
        state.SkipWithError("no game data beside the program: build with the content");
        return;
    }
    char pattern[] = "/tmp/glimmora-bench-XXXXXX";
    const char* user = ::mkdtemp(pattern);
    if (!user) {
        state.SkipWithError("no temporary folder");
        return;
    }
    int frames = 0;
    for (auto _ : state) {
        TManualClock clock;
        TMemoryDisplay display;
        TMemoryWindow window;
        TSilentAudio audio;
        TRecordingMessageBox boxes;
        TMemoryClipboard clipboard;
        TRecordingUrlOpener urls;
        TPlatformServices services;
        services.Clock = &clock;
        services.Display = &display;
        services.Window = &window;
        services.Audio = &audio;
        services.MessageBox = &boxes;
        services.Clipboard = &clipboard;
        services.UrlOpener = &urls;
        TQelGameEngine::TSetup setup;
        setup.ProgramFolder = program;
        setup.UserFolder = user;
        setup.Seed = 1;
        TQelGameEngine engine(services, setup);
        engine.FormActivate();
        for (frames = 0; frames < kMostFrames; ++frames) {
            engine.AppIdle();
            clock.Advance(kStepMs);
            if (engine.Shell.ScreenMode == TScreenMode::smTitle)
                break;
        }
    }
    state.counters["frames"] = frames;
    std::filesystem::remove_all(user);
}

}  // namespace

BENCHMARK(StartToTitle)->Unit(benchmark::kMillisecond)->Iterations(3);
