// glimmora-tool replay: plays a recorded demo headless on its demo level at 16 ms a frame
// and prints the day's result line with a fingerprint of the day as the demo ends; with
// --record, the greedy bot plays the demo level and its game is written as a demo.
#include "tools/glimmora-tool/ToolCommand.h"

#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "gameplay/DemoReplay.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "gameplay/Level.h"
#include "gameplay/LevelBots.h"
#include "gameplay/LevelSession.h"
#include "gameplay/SurfPictureMaker.h"
#include "graphics/SurfEngine.h"
#include "metagame/Player.h"

#include <iomanip>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace {

constexpr int64_t kStep = 16;               // ms per frame
constexpr int64_t kLongestDemo = 600000;    // ms; a demo whose times run further is cut there
constexpr int64_t kDefaultRecording = 40000;

struct TReplayOptions {
    std::string Demo;
    std::string Archive = "game.zxc";
    std::string Params;
    std::string RecordLevel;  // --record: the demo level to play
    int Seconds = static_cast<int>(kDefaultRecording / 1000);
    bool Record = false;
};

// Everything a demo day needs, headless, on a manual clock.
struct TReplayWorld {
    TReplayWorld(const TReplayOptions& o, TGameLog& log) : data(std::make_unique<TFileFolder>(o.Archive)), log_(log)
    {
        tables.LoadGameTables(data, false, log);
        std::filesystem::path params =
            o.Params.empty() ? std::filesystem::path(o.Archive).parent_path() / "GameParams.xml" : std::filesystem::path(o.Params);
        if (std::filesystem::exists(params))
            this->params = LoadGameParams(params, log);
        surfaces.SetGameLog(&log);
        player.Name = "Demo";
        ResetOutfits(player);
    }

    std::unique_ptr<TLevelSession> Day(const std::string& levelFile, bool demo)
    {
        TLevelDay day;
        day.FileName = levelFile;
        day.Demo = demo;
        TLevelOptions options;
        options.CustomLevel = true;  // the player's progress is not the demo's
        return std::make_unique<TLevelSession>(tables, params, player, flags, day, headless.Services(nullptr, &maker),
                                               options);
    }

    TDataSource data;
    TGameLog& log_;
    TGameTables tables;
    TGameParams params;
    TManualClock clock;
    TRandom gameplay{kDemoSeed};
    TRandom cosmetic{kDemoCosmeticSeed};
    TSurfEngine surfaces{TDisplayFormat::Bgr32()};
    // The pieces get their pictures, so the demo's clicks find them as in the game.
    TSurfPictureMaker maker{surfaces, data, nullptr};
    THeadlessDay headless{data, surfaces, clock, log_, gameplay, cosmetic};
    TPlayer player;
    TSessionFlags flags{};
};

std::string KindOf(const tLevel& level)
{
    return level.IsBonusLevel() ? "bonus" : level.IsPixelLevel() ? "pixel" : "standard";
}

std::string LevelFileOf(const std::vector<std::string>& lines)
{
    const std::string key = "FileName=";
    if (lines.size() > 2 && lines[2].rfind(key, 0) == 0)
        return lines[2].substr(key.size());
    return {};
}

int Replay(const TReplayOptions& o, TGameLog& log)
{
    const std::vector<std::string> lines = ReadDemoLines(o.Demo);
    const std::string levelFile = LevelFileOf(lines);
    if (levelFile.empty())
        return ToolFail(o.Demo + ": not a demo (no FileName= line)");
    TReplayWorld world(o, log);
    std::unique_ptr<TLevelSession> day = world.Day(levelFile, true);
    if (!day->Load())
        return ToolFail(o.Demo + ": its level " + levelFile + " cannot be played");
    day->Start();
    TDemoReplay replay(*day, lines);
    replay.Restart();
    const int64_t limit = world.clock.NowMs() + kLongestDemo;
    int64_t frames = 0;
    while (world.clock.NowMs() < limit) {
        world.clock.Advance(kStep);
        ++frames;
        const bool ended = replay.Step();
        day->Tick();
        if (ended)
            break;
    }
    const TLevelResult r = day->Result();
    const char* phase = r.Phase == TLevelPhase::Complete ? "complete" : r.Phase == TLevelPhase::Failed ? "failed" : "playing";
    std::ostringstream hash;
    hash << std::hex << std::setw(16) << std::setfill('0') << DemoStateHash(*day);
    std::cout << "demo=" << std::filesystem::path(o.Demo).filename().string() << " level=" << levelFile
              << " day=" << KindOf(day->Level()) << " frames=" << frames << " score=" << r.Score
              << " result=" << phase << " served=" << r.Served << " lost=" << r.Lost << " combos=" << r.Combos[0]
              << "/" << r.Combos[1] << "/" << r.Combos[2] << "/" << r.Combos[3] << " bags=" << r.Bags
              << " collected=" << day->Box().Collected << " skipped=" << replay.Skipped() << " hash=" << hash.str() << "\n";
    return 0;
}

int Record(const TReplayOptions& o, TGameLog& log)
{
    TReplayWorld world(o, log);
    std::unique_ptr<TLevelSession> day = world.Day(o.RecordLevel, false);
    day->Level().Demo.Recording = true;
    if (!day->Load())
        return ToolFail("the level " + o.RecordLevel + " cannot be played");
    day->Start();
    day->Level().Demo.RecordStart = world.clock.NowMs();
    day->Level().Demo.Lines.clear();
    std::unique_ptr<TLevelBot> bot = MakeLevelBot("greedy", kDemoSeed);
    TSessionMouse mouse(*day);
    const int64_t end = world.clock.NowMs() + static_cast<int64_t>(o.Seconds) * 1000;
    while (world.clock.NowMs() < end && day->Phase() == TLevelPhase::Running) {
        world.clock.Advance(kStep);
        world.headless.ClosePenaltyNote(*day);
        if (!day->Paused())
            bot->Act(*day, mouse, world.clock.NowMs());
        day->Tick();
    }
    std::string error;
    if (!WriteDemoLines(o.Demo, RecordedDemo(day->Level()), &error))
        return ToolFail(error);
    // A replay earns nothing (a demo changes no one's money): the recorded day's score
    // says how well it was played.
    std::cout << "recorded " << day->Level().Demo.Lines.size() << " events of " << o.RecordLevel << " into "
              << o.Demo << " scoring " << day->Result().Score << "\n";
    return 0;
}

int RunReplay(const TToolCommand& self, const std::vector<std::string>& args)
{
    TReplayOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        bool ok = true;
        if (a == "--archive")
            ok = ToolNextValue(args, i, o.Archive);
        else if (a == "--params")
            ok = ToolNextValue(args, i, o.Params);
        else if (a == "--record") {
            o.Record = true;
            ok = ToolNextValue(args, i, o.RecordLevel);
        } else if (a == "--seconds")
            ok = ToolNextValue(args, i, v) && ToolReadInt(v, o.Seconds, 1, 600);
        else if (o.Demo.empty() && !a.empty() && a[0] != '-')
            o.Demo = a;
        else
            ok = false;
        if (!ok) {
            ToolFail("bad argument \"" + a + "\"");
            return ToolUsage(self);
        }
    }
    if (o.Demo.empty())
        return ToolUsage(self);
    TManualClock logClock;
    TGameLog log({}, logClock);
    log.Listener = [](const std::string& message, const std::string& file) {
        if (file.empty())
            std::cerr << "log: " << message << "\n";
    };
    try {
        return o.Record ? Record(o, log) : Replay(o, log);
    } catch (const std::exception& e) {
        return ToolFail(std::string("cannot open ") + o.Archive + ": " + e.what());
    }
}

}  // namespace

void AddReplayCommands(std::vector<TToolCommand>& commands)
{
    commands.push_back({"replay", "FILE.dat [--archive game.zxc] [--params GameParams.xml] [--record LEVEL.xml [--seconds N]]",
                        "plays a demo headless on the level its header names and prints the day's result and a "
                        "fingerprint of the day at the demo's end; --record: the greedy bot plays LEVEL.xml for N "
                        "seconds (40) and its game is written to FILE.dat",
                        RunReplay});
}
