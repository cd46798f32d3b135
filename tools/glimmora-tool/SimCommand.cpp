// glimmora-tool sim: plays the days of the shipped data headless, at a fixed 16 ms
// step on the manual clock, each day as the game's level session with headless services,
// and a bot that clicks pieces at their screen positions through the session's mouse.
// One line per level, the same line for the same arguments.
#include "tools/glimmora-tool/ToolCommand.h"

#include "gameplay/LevelBots.h"

#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "foundation/Text.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "gameplay/Level.h"
#include "gameplay/LevelSession.h"
#include "gameplay/ManTypes.h"
#include "gameplay/SurfLevelPictures.h"
#include "graphics/SurfEngine.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

#include <unistd.h>

namespace {

constexpr int64_t kStep = 16;              // ms per frame
constexpr int64_t kTraceEvery = 5000;     // ms between trace lines
constexpr int64_t kOvertime = 600000;      // ms a level may run past its time (customers leaving)
constexpr uint32_t kCosmeticSeed = 20260101;
// Pieces whose pictures the data does not hold are hit where a piece would stand.
constexpr int32_t kDefaultPieceWidth = 72;
constexpr int32_t kDefaultPieceHeight = 96;

struct TOptions {
    int Episode = 0;
    int Level = 0;
    uint32_t Seed = 1;
    std::string Bot = "greedy";
    std::string DataFolder;
    std::string Archive;
    std::string Params;
    bool All = false;
    bool Trace = false;
};

// ---- The game's tables ------------------------------------------------------------------

// A data folder whose files sit in subfolders (the content sources) is seen flat, as the
// archive would hold it: links to its files in a scratch folder, removed afterwards.
class TFlatFolder {
public:
    explicit TFlatFolder(const std::filesystem::path& folder) : path_(folder)
    {
        namespace fs = std::filesystem;
        bool nested = false;
        for (const auto& entry : fs::directory_iterator(folder))
            nested = nested || entry.is_directory();
        if (!nested)
            return;
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(fs::absolute(entry.path()));
        std::sort(files.begin(), files.end());
        scratch_ = fs::temp_directory_path() / ("glimmora-sim-" + std::to_string(::getpid()));
        fs::remove_all(scratch_);
        fs::create_directories(scratch_);
        for (const fs::path& file : files)
            if (!fs::exists(scratch_ / file.filename()))
                fs::create_symlink(file, scratch_ / file.filename());
        path_ = scratch_;
    }
    ~TFlatFolder()
    {
        std::error_code ignored;
        if (!scratch_.empty())
            std::filesystem::remove_all(scratch_, ignored);
    }
    TFlatFolder(const TFlatFolder&) = delete;
    TFlatFolder& operator=(const TFlatFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path scratch_;
};

// Picture sizes by name.
using TPictureSizes = std::map<std::string, std::pair<int32_t, int32_t>>;

struct TSimData {
    std::unique_ptr<TFlatFolder> Flat;
    std::unique_ptr<TDataSource> Data;
    // The content sources hold no pictures, only the lines they are drawn from; their
    // sizes let the search picture be played as rectangles.
    TPictureSizes ManifestSizes;
    TGameTables Tables;
    TGameParams Params;
};

// Where "GameParams.xml" lives: given, beside the archive, or in the content's program folder.
std::filesystem::path ParamsPath(const TOptions& o)
{
    namespace fs = std::filesystem;
    if (!o.Params.empty())
        return o.Params;
    std::vector<fs::path> candidates;
    if (!o.Archive.empty())
        candidates.push_back(fs::path(o.Archive).parent_path() / "GameParams.xml");
    else {
        fs::path folder = o.DataFolder;
        candidates.push_back(folder / "GameParams.xml");
        candidates.push_back(folder.parent_path() / "program" / "GameParams.xml");
    }
    for (const fs::path& p : candidates)
        if (fs::exists(p))
            return p;
    return candidates.front();
}

// The game's reading of the parameters. The content sources keep the plain file with bare
// line feeds (the build gives it CR LF), which the game would take for scrambled; such a
// file is read as the text it is.
TGameParams ReadParams(const std::filesystem::path& path, TGameLog& log)
{
    auto bytes = ReadFileBytes(path);
    if (bytes) {
        std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        if (TrimView(text).substr(0, 1) == "<")
            return ReadGameParamsText(text, path.string(), log);
    }
    return LoadGameParams(path, log);
}

// "OUTPUT WIDTH HEIGHT SOURCE ..." lines of the picture manifests beside the data folder.
TPictureSizes ReadManifestSizes(const std::filesystem::path& pictures)
{
    namespace fs = std::filesystem;
    TPictureSizes sizes;
    std::vector<fs::path> files{pictures / "manifest.txt"};
    std::error_code ignored;
    if (fs::is_directory(pictures / "manifest.d", ignored))
        for (const auto& entry : fs::directory_iterator(pictures / "manifest.d", ignored))
            files.push_back(entry.path());
    for (const fs::path& file : files) {
        auto bytes = ReadFileBytes(file);
        if (!bytes)
            continue;
        std::istringstream lines(std::string(bytes->begin(), bytes->end()));
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string name;
            int32_t w = 0, h = 0;
            if (words >> name >> w >> h && name[0] != '#' && w > 0 && h > 0)
                sizes[name] = {w, h};
        }
    }
    return sizes;
}

std::optional<std::string> LoadTables(const TOptions& o, TSimData& sim, TGameLog& log)
{
    try {
        if (!o.Archive.empty()) {
            sim.Data = std::make_unique<TDataSource>(std::make_unique<TFileFolder>(o.Archive));
        } else {
            sim.Flat = std::make_unique<TFlatFolder>(o.DataFolder);
            sim.Data = std::make_unique<TDataSource>(sim.Flat->Path());
        }
    } catch (const std::exception& e) {
        return "cannot open " + (o.Archive.empty() ? o.DataFolder : o.Archive) + ": " + e.what();
    }
    if (!o.DataFolder.empty())
        sim.ManifestSizes = ReadManifestSizes(std::filesystem::path(o.DataFolder).parent_path() / "pictures");
    sim.Tables.LoadGameTables(*sim.Data, false, log);
    if (sim.Tables.Episods.Count() == 0)
        return std::string("no episodes in Episods.xml");
    sim.Params = ReadParams(ParamsPath(o), log);
    return std::nullopt;
}

// ---- Pictures and the application's side --------------------------------------------------

// The level's pictures from the data; a piece whose picture is missing keeps a standard
// size, so that it can still be hit.
class TSimPictures final : public ILevelPictures {
public:
    TSimPictures(TSurfEngine& surfaces, const TDataSource& data, const TPictureSizes& manifest)
        : inner_(surfaces, data), manifest_(manifest)
    {
    }
    bool HasPicture(std::string_view name) const override { return inner_.HasPicture(name); }
    bool PictureSize(std::string_view name, int32_t& width, int32_t& height) const override
    {
        if (inner_.PictureSize(name, width, height))
            return true;
        if (auto it = manifest_.find(std::string(name)); it != manifest_.end()) {
            width = it->second.first;
            height = it->second.second;
            return true;
        }
        for (std::string_view piece : {"FishkaTypes", "MoneyBonus", "plus1", "reverce", "pause", "transform"})
            if (name.substr(0, piece.size()) == piece) {
                width = kDefaultPieceWidth;
                height = kDefaultPieceHeight;
                return true;
            }
        return false;
    }
    void LoadPicture(std::string_view name) override { inner_.LoadPicture(name); }
    void ReleasePicture(std::string_view name) override { inner_.ReleasePicture(name); }
    bool IsPermanent(std::string_view name) const override { return inner_.IsPermanent(name); }

private:
    TSurfLevelPictures inner_;
    const TPictureSizes& manifest_;
};

// The piece pictures under their level names, as the type's files (the colours do not
// matter to a bot); nothing else is made.
class TSimPictureMaker final : public ILevelPictureMaker {
public:
    TSimPictureMaker(TSurfEngine& surfaces, const TDataSource& data) : surfaces_(surfaces), data_(data) {}
    void MakeColorFishesSurfaces(tLevel& level) override
    {
        static const char* const kDigits[] = {"1",  "2",  "3",   "12",  "13",  "23",  "123", "4",
                                              "14", "24", "34", "124", "134", "234", "1234"};
        for (int32_t t : level.LevelFishes) {
            const TFishkaType* type = level.Types().Type(t);
            if (!type)
                continue;
            for (const char* d : kDigits)
                surfaces_.LoadSurfFromFileOrFileFolder(data_, type->FileName + "_" + d + ".png",
                                                       "FishkaTypes" + std::to_string(t) + "_" + d + ".png");
        }
    }
    void MakeBonusMoneyPicture(const std::string&) override {}
    void MakeScaledPicture(const std::string&, const std::string&, double) override {}

private:
    TSurfEngine& surfaces_;
    const TDataSource& data_;
};

// ---- One level ---------------------------------------------------------------------------

struct TSimResult {
    std::string Result;  // "complete", "failed", "unfinished", "missing", "broken"
    TLevelResult Day;
    std::string File;
    std::string Kind = "standard";  // "bonus", "pixel"
};

// A new profile at the start of the episode: the episode's first outfits, no upgrades,
// the slowest speed a player can have.
void PlaceNewPlayer(TPlayer& player, int32_t episod)
{
    ResetPlayerState(player, false);
    player.Name = "Simulator";
    player.CurrentEpisod = player.MaxEpisod = episod;
    player.CurrentLevel = 0;
    ResetOutfits(player);
    player.SpeedPlay = kMinSpeedPlay;
}

// Every few seconds of a level: its time, score, customers and belt (the box's count, the
// outfits still to find), on standard error.
void TraceLevel(const TLevelSession& day, int64_t now)
{
    const tLevel& level = day.Level();
    std::cerr << "  t=" << (now - level.Times.LevelStart) / 1000 << "s left=" << level.Times.TimeLeft / 1000
              << "s score=" << level.Play.Score.LevelScore;
    if (level.IsBonusLevel()) {
        std::cerr << " collected=" << day.Box().Collected << "\n";
        return;
    }
    if (level.IsPixelLevel()) {
        int32_t found = 0;
        for (const TPixelHeap& heap : day.Pixel().Heaps)
            found += heap.Findable && !heap.Active ? 1 : 0;
        std::cerr << " outfits-left=" << day.Pixel().Remaining << " found=" << found
                  << " misses=" << day.Pixel().Penalties << "\n";
        return;
    }
    std::cerr << " pieces=" << level.Belt.Fishes.size() << " customers=";
    for (const TPerson& person : level.Play.Customers.Persons)
        for (const TOrder& order : person.Orders)
            std::cerr << "[" << order.TypeIndex << "x" << int(order.Remaining) << (person.Leaving ? " leaving" : "")
                      << "]";
    std::cerr << "\n";
}

// Plays one level with the player as the previous levels left it; the player's record and
// the session's flags go on to the next level.
TSimResult RunLevelWithBot(const TSimData& sim, int32_t episod, int32_t levelIndex, uint32_t seed,
                           const std::string& botName, TPlayer& player, TSessionFlags& flags, TGameLog& log,
                           bool trace)
{
    TSimResult result;
    const TLevelInEpisod* entry = sim.Tables.Episods.Level(episod, levelIndex);
    result.File = entry ? entry->Name : std::string();
    if (entry)
        result.Kind = entry->Bonus ? "bonus" : entry->IsPixel() ? "pixel" : "standard";
    if (!entry || !sim.Data->Exists(entry->Name)) {
        result.Result = "missing";
        return result;
    }

    TManualClock clock;
    TRandom gameplay(seed);
    TRandom cosmetic(kCosmeticSeed);
    TSurfEngine surfaces(TDisplayFormat::Bgr32());
    surfaces.SetGameLog(&log);
    TSimPictures pictures(surfaces, *sim.Data, sim.ManifestSizes);
    TSimPictureMaker maker(surfaces, *sim.Data);
    THeadlessDay headless(*sim.Data, surfaces, clock, log, gameplay, cosmetic);
    TLevelSession day(sim.Tables, sim.Params, player, flags, TLevelDay{episod, levelIndex, {}, {}},
                      headless.Services(&pictures, &maker));
    if (!day.Load()) {
        result.Result = "broken";
        return result;
    }
    day.Start();

    std::unique_ptr<TLevelBot> bot = MakeLevelBot(botName, seed);
    TSessionMouse mouse(day);
    const int64_t limit = clock.NowMs() + day.Level().Times.LevelTime + kOvertime;
    while (day.Phase() == TLevelPhase::Running && clock.NowMs() < limit) {
        clock.Advance(kStep);
        const int64_t now = clock.NowMs();
        headless.ClosePenaltyNote(day);
        if (!day.Paused())
            bot->Act(day, mouse, now);
        day.Tick();
        if (trace && (now - day.Level().Times.LevelStart) % kTraceEvery < kStep)
            TraceLevel(day, now);
    }
    result.Day = day.Result();
    result.Result = result.Day.Phase == TLevelPhase::Complete ? "complete"
                    : result.Day.Phase == TLevelPhase::Failed ? "failed"
                                                              : "unfinished";
    return result;
}

std::string ResultLine(int episode, int level, const TOptions& o, const TSimResult& r)
{
    std::ostringstream line;
    line << "episode=" << episode << " level=" << level << " day=" << r.Kind << " seed=" << o.Seed << " bot=" << o.Bot;
    if (r.Result == "missing" || r.Result == "broken")
        line << " result=" << r.Result << " file=" << (r.File.empty() ? "-" : r.File);
    else
        line << " score=" << r.Day.Score << " goal=" << r.Day.Goal << " exgoal=" << r.Day.ExGoal
             << " result=" << r.Result << " served=" << r.Day.Served << " lost=" << r.Day.Lost
             << " combos=" << r.Day.Combos[0] << "/" << r.Day.Combos[1] << "/" << r.Day.Combos[2] << "/"
             << r.Day.Combos[3] << " bags=" << r.Day.Bags;
    return line.str();
}

// The episode's days, bonus and pixel days among them, in play order (their level indices).
std::vector<int32_t> EpisodeDays(const TEpisod& episod)
{
    std::vector<int32_t> levels;
    for (size_t i = 0; i < episod.Levels.size(); ++i)
        levels.push_back(static_cast<int32_t>(i));
    return levels;
}

bool ParseOptions(const std::vector<std::string>& args, TOptions& o, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](std::string& target) { return ToolNextValue(args, i, target); };
        std::string v;
        int seed = 0;
        bool ok = true;
        if (a == "--episode")
            ok = next(v) && ToolReadInt(v, o.Episode, 1, 1000000000);
        else if (a == "--level")
            ok = next(v) && ToolReadInt(v, o.Level, 1, 1000000000);
        else if (a == "--seed") {
            ok = next(v) && ToolReadInt(v, seed, 0, 1000000000);
            o.Seed = static_cast<uint32_t>(seed);
        } else if (a == "--bot")
            ok = next(o.Bot) && MakeLevelBot(o.Bot, 0) != nullptr;
        else if (a == "--data")
            ok = next(o.DataFolder);
        else if (a == "--archive")
            ok = next(o.Archive);
        else if (a == "--params")
            ok = next(o.Params);
        else if (a == "--all")
            o.All = true;
        else if (a == "--trace")
            o.Trace = true;
        else
            ok = false;
        if (!ok) {
            error = "bad argument \"" + a + "\"";
            return false;
        }
    }
    if (!o.DataFolder.empty() && !o.Archive.empty()) {
        error = "give --data or --archive, not both";
        return false;
    }
    if (!o.All && (o.Episode == 0 || o.Level == 0)) {
        error = "--episode and --level, or --all, are needed";
        return false;
    }
    return true;
}

int RunSim(const TToolCommand& self, const std::vector<std::string>& args)
{
    TOptions o;
    std::string error;
    if (!ParseOptions(args, o, error)) {
        ToolFail(error);
        return ToolUsage(self);
    }
    if (o.DataFolder.empty() && o.Archive.empty())
        o.Archive = "game.zxc";

    TManualClock logClock;
    TGameLog log({}, logClock);
    std::map<std::string, int> problems;  // log lines of the data, each reported once
    log.Listener = [&](const std::string& message, const std::string& file) {
        if (file.empty())
            ++problems[message];
    };
    TSimData sim;
    if (auto failure = LoadTables(o, sim, log))
        return ToolFail(*failure);

    // A player comes to a level through the levels before it: each episode is played from
    // its first day, with the same bot and seed, and the record goes on.
    // --all with an episode plays every day of that one shop.
    const bool oneEpisode = o.Episode > 0;
    const int32_t firstEpisode = oneEpisode ? o.Episode - 1 : 0;
    const int32_t lastEpisode = oneEpisode ? o.Episode - 1 : sim.Tables.Episods.Count() - 1;
    if (oneEpisode && !sim.Tables.Episods.Episod(firstEpisode))
        return ToolFail("Episods.xml has no episode " + std::to_string(o.Episode));
    for (int32_t e = firstEpisode; e <= lastEpisode; ++e) {
        const TEpisod* episod = sim.Tables.Episods.Episod(e);
        const std::vector<int32_t> levels = episod ? EpisodeDays(*episod) : std::vector<int32_t>{};
        if (!o.All && o.Level > static_cast<int>(levels.size()))
            return ToolFail("episode " + std::to_string(o.Episode) + " has no day " +
                            std::to_string(o.Level));
        const size_t count = o.All ? levels.size() : static_cast<size_t>(o.Level);
        TPlayer player;
        PlaceNewPlayer(player, e);
        TSessionFlags session{e == 0, false, true};  // a new game, or the episode reached by winning
        for (size_t l = 0; l < count; ++l) {
            TSimResult r = RunLevelWithBot(sim, e, levels[l], o.Seed, o.Bot, player, session, log, o.Trace);
            if (o.All || static_cast<int>(l) + 1 == o.Level)
                std::cout << ResultLine(e + 1, static_cast<int>(l) + 1, o, r) << "\n" << std::flush;
        }
    }
    for (const auto& [message, count] : problems)
        std::cerr << "note: the data logged \"" << message << "\"" << (count > 1 ? " x" + std::to_string(count) : "")
                  << "\n";
    return 0;
}

}  // namespace

void AddSimCommands(std::vector<TToolCommand>& commands)
{
    commands.push_back({"sim",
                        "--episode E --level L [--seed S] [--bot greedy|random|idle] [--data DIR | --archive FILE] "
                        "[--params GameParams.xml] [--all] [--trace]",
                        "plays day L (counted from 1 in the order of Episods.xml, bonus and pixel days included) of "
                        "episode E headless at 16 ms a frame with a bot clicking pieces, box cells or the search "
                        "picture; prints one line per level (--all: every day of every episode, or of episode E "
                        "when given; --trace: the level every 5 s on standard error)",
                        RunSim});
}
