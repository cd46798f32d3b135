// A standard level on the shipped data, headless: one composed frame of a busy day (the
// background restored by the redraw grid, customers, pieces, extra pictures, effects and
// the clock panel, then the changed rectangles copied to a memory display), and loading
// and starting the busiest day with its coloured piece pictures.
#include "effects/QelAnime.h"
#include "effects/QelScreenEffects.h"
#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "gameplay/LevelPainter.h"
#include "gameplay/LevelSession.h"
#include "gameplay/LevelWindows.h"
#include "gameplay/ScreenLevelEffects.h"
#include "gameplay/SurfLevelPictures.h"
#include "gameplay/SurfPictureMaker.h"
#include "graphics/Display.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "metagame/Player.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int64_t kStepMs = 16;
// The last day of the first shop: the fastest belt and the shortest birth period it has.
constexpr int32_t kBusiestDay = 6;  // in the episode's list, the bonus day counted
constexpr int32_t kOutfitStage = 2;  // every wear at its three-part outfit
// How busy the measured frame is.
constexpr size_t kCustomers = 3;
constexpr size_t kPieces = 15;
constexpr int64_t kMostWarmUpMs = 120000;
// The day must not end while it is measured.
constexpr int32_t kLongDayMs = 3600000;
constexpr const char* kFrame = "MemorySurface";

// The shipped game data beside the program, read once for all benchmarks.
struct TShippedData {
    TShippedData()
    {
        const fs::path program = GLIM_BENCH_PROGRAM_FOLDER;
        if (!fs::exists(program / "game.zxc"))
            return;
        Data = std::make_unique<TDataSource>(std::make_unique<TFileFolder>(program / "game.zxc"));
        Tables.LoadGameTables(*Data, false, Log);
        Params = LoadGameParams(program / "GameParams.xml", Log);
    }
    TManualClock LogClock;
    TGameLog Log{fs::path(), LogClock};
    std::unique_ptr<TDataSource> Data;
    TGameTables Tables;
    TGameParams Params;
};

const TShippedData& Shipped()
{
    static const TShippedData data;
    return data;
}

// A new player at the first shop with every outfit bought: the most piece pictures a day
// of that shop makes.
void PlacePlayer(TPlayer& player)
{
    ResetPlayerState(player, false);
    player.Name = "Bench";
    player.CurrentEpisod = player.MaxEpisod = 0;
    ResetOutfits(player);
    player.Kostums.fill(kOutfitStage);
    player.Cur = kOutfitStage;
}

// One level screen without a window: the engines it draws with and the day played on them.
struct TLevelScreenRig {
    explicit TLevelScreenRig(const TShippedData& shipped)
        : surfaces(TDisplayFormat::Bgr32()),
          effects(surfaces, *shipped.Data, clock, cosmetic),
          pictures(surfaces, *shipped.Data),
          maker(surfaces, *shipped.Data, nullptr),
          levelEffects(effects, levelList),
          painter(surfaces, grid, *shipped.Data, log)
    {
        surfaces.SetGameLog(&log);
        log.Listener = [this](const std::string&, const std::string&) { ++logLines; };
        for (const char* name : {kFrame, "BackGround", "MainBackGround", "MemoryBuferAdd"})
            surfaces.NewSurface(name, kScreenWidth, kScreenHeight);
        effects.Grid = &grid;
        effects.Log = &log;
        effects.Level = &levelList;
        effects.LoadGameEffects();
        windows.ShowModal("WGame");
        PlacePlayer(player);

        TLevelSessionServices services;
        services.Data = shipped.Data.get();
        services.Clock = &clock;
        services.Log = &log;
        services.Gameplay = &gameplay;
        services.Cosmetic = &cosmetic;
        services.Pictures = &pictures;
        services.PictureMaker = &maker;
        services.Effects = &levelEffects;
        services.Windows = &windows;
        services.Host = &host;
        const TDataSource& data = *shipped.Data;
        services.AnimeLoader = [this, &data](const std::string& file) { return LoadAnime(surfaces, data, file, false); };
        session = std::make_unique<TLevelSession>(shipped.Tables, shipped.Params, player, flags,
                                                  TLevelDay{0, kBusiestDay, {}, {}}, services);
    }

    // Loads and starts the day and builds its scene, as the level screen does when it opens.
    bool Open()
    {
        if (!session->Load())
            return false;
        session->Start();
        tLevel& level = session->Level();
        painter.MakeBackgroundInGame(level, session->Game());
        painter.MakeMainBackground(level, session->Game());
        surfaces.DrawSurface("MainBackGround", "BackGround", 0, 0);
        return true;
    }

    // One frame of the game: the clock, the day and the effects move on.
    void Tick()
    {
        clock.Advance(kStepMs);
        session->Tick();
        effects.TickEffectsTimer(clock.NowMs());
    }

    // One composed and presented frame.
    void Draw()
    {
        tLevel& level = session->Level();
        TLevelSceneView view;
        view.Now = clock.NowMs();
        grid.MakeRedrawRectsFromGrid();
        grid.DrawBackgroundByGrid(surfaces, nullptr);
        painter.DrawPersons(level, kFrame);
        painter.DrawFishes(level, kFrame, view);
        painter.DrawAddBackPicture(level, kFrame, view);
        effects.DrawQelScreenEffects(kFrame, levelList);
        effects.DrawQelScreenEffects(kFrame, effects.Main);
        painter.DrawCifirblat(level, kFrame, view);
        surfaces.BlitRects(display, kFrame, grid.RedrawRects());
        grid.ClearFrameLists();
    }

    // Keeps the frame busy: a piece selected (its halo) and one highlighted, a flight in
    // the air.
    void KeepBusy()
    {
        tLevel& level = session->Level();
        std::vector<TFish>& fishes = level.Belt.Fishes;
        if (level.Belt.SelectedIndex < 0 && fishes.size() > 4) {
            level.Belt.SelectedIndex = 2;
            fishes[2].Selected = true;
            fishes[4].Highlighted = true;
        }
        if (effects.Main.Count() == 0) {
            TQelFlight flight;
            flight.Duration = 2000;
            flight.X1 = 100;
            flight.Y1 = 500;
            flight.X2 = 600;
            flight.Y2 = 200;
            flight.Picture = "MoneyBonus.png";
            effects.CreateMoveEffect(flight);
        }
        display.Copied.clear();
    }

    TManualClock clock;
    TRandom gameplay{1};
    TRandom cosmetic{2};
    TGameLog log{fs::path(), clock};
    TSurfEngine surfaces;
    TRedrawGrid grid;
    TQelScreenEffectManager effects;
    TScreenEffects levelList;
    TSurfLevelPictures pictures;
    TSurfPictureMaker maker;
    TScreenLevelEffects levelEffects;
    TMemoryLevelWindows windows;
    TNoLevelHost host;
    TPlayer player;
    TSessionFlags flags;
    TMemoryDisplay display{32};
    TLevelPainter painter;
    std::unique_ptr<TLevelSession> session;
    int logLines = 0;  // a quiet run writes none

    // The piece pictures the day made (pieces, halos, order pictures).
    int PiecePictures() const
    {
        int count = 0;
        for (int i = 0; i < surfaces.SurfaceCount(); ++i) {
            const std::string& name = surfaces.SurfaceAt(i)->Name;
            count += name.rfind("FishkaTypes", 0) == 0 || name.rfind("PFishkaTypes", 0) == 0;
        }
        return count;
    }
};

void LevelFrame(benchmark::State& state)
{
    const TShippedData& shipped = Shipped();
    if (!shipped.Data) {
        state.SkipWithError("no game data beside the program: build with the content");
        return;
    }
    TLevelScreenRig screen(shipped);
    if (!screen.Open()) {
        state.SkipWithError("the day did not load");
        return;
    }
    tLevel& level = screen.session->Level();
    // Played until the shop is full: customers at the counter and the belt loaded.
    for (int64_t t = 0; t < kMostWarmUpMs; t += kStepMs) {
        screen.Tick();
        screen.Draw();
        if (level.Play.Customers.Persons.size() >= kCustomers && level.Belt.Fishes.size() >= kPieces)
            break;
    }
    level.Times.LevelTime = kLongDayMs;
    for (auto _ : state) {
        state.PauseTiming();
        screen.KeepBusy();
        screen.Tick();
        state.ResumeTiming();
        screen.Draw();
        benchmark::ClobberMemory();
    }
    state.counters["customers"] = static_cast<double>(level.Play.Customers.Persons.size());
    state.counters["pieces"] = static_cast<double>(level.Belt.Fishes.size());
    state.counters["effects"] = static_cast<double>(screen.effects.Main.Count() + screen.levelList.Count());
    state.counters["log_lines"] = screen.logLines;
}

void LevelLoad(benchmark::State& state)
{
    const TShippedData& shipped = Shipped();
    if (!shipped.Data) {
        state.SkipWithError("no game data beside the program: build with the content");
        return;
    }
    int pictures = 0;
    int logLines = 0;
    for (auto _ : state) {
        TLevelScreenRig screen(shipped);
        if (!screen.Open()) {
            state.SkipWithError("the day did not load");
            return;
        }
        pictures = screen.PiecePictures();
        logLines = screen.logLines;
    }
    state.counters["piece_pictures"] = pictures;
    state.counters["log_lines"] = logLines;
}

}  // namespace

BENCHMARK(LevelFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(LevelLoad)->Unit(benchmark::kMillisecond);
