// glimmora-tool level-roundtrip: a level read, written with the editor's writer and read
// again must give the same level.
#include "tools/glimmora-tool/ToolCommand.h"

#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "gameplay/FishkaType.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFile.h"
#include "gameplay/LevelWriter.h"

#include <filesystem>
#include <iostream>

namespace {

struct TRoundtripOptions {
    std::string Level;
    std::string Archive;
    std::string Data;
    std::string Out;
};

bool ReadOptions(const std::vector<std::string>& args, TRoundtripOptions& o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool ok = true;
        if (a == "--archive")
            ok = ToolNextValue(args, i, o.Archive);
        else if (a == "--data")
            ok = ToolNextValue(args, i, o.Data);
        else if (a == "--out")
            ok = ToolNextValue(args, i, o.Out);
        else if (o.Level.empty() && !a.starts_with("--"))
            o.Level = a;
        else
            ok = false;
        if (!ok)
            return false;
    }
    return !o.Level.empty() && !o.Out.empty() && (o.Archive.empty() || o.Data.empty());
}

bool ReadLevel(tLevel& level, std::string_view text)
{
    TLevelLoadContext context;
    return LoadLevelText(level, text, false, false, context);
}

int Roundtrip(const TToolCommand& self, const std::vector<std::string>& args)
{
    TRoundtripOptions o;
    if (!ReadOptions(args, o))
        return ToolUsage(self);

    // The level is a file, or else an entry of the game data.
    std::unique_ptr<TDataSource> data;
    if (!o.Archive.empty() || !o.Data.empty()) {
        std::string error;
        data = ToolOpenData(o.Archive, o.Data, error);
        if (!data)
            return ToolFail(error);
    }
    std::optional<std::vector<uint8_t>> bytes;
    if (std::filesystem::is_regular_file(o.Level))
        bytes = ReadFileBytes(o.Level);
    else if (data)
        bytes = data->Read(o.Level);
    if (!bytes)
        return ToolFail("cannot read " + o.Level);
    std::string original(bytes->begin(), bytes->end());

    TManualClock clock;
    TGameLog log({}, clock);
    log.Listener = [](const std::string& message, const std::string&) { std::cerr << message << "\n"; };
    TFishkaTypes types;
    if (data)
        types.LoadFishkaTypes(*data, "FishkaTypes.xml", log);
    TLevelLinks links;
    links.Types = &types;
    links.Log = &log;

    tLevel first(links);
    first.FileName = o.Level;
    if (!ReadLevel(first, original))
        return ToolFail(o.Level + " holds no level");
    std::optional<std::string> written = WriteLevelText(original, first);
    if (!written)
        return ToolFail(o.Level + " holds no level");
    std::string error;
    if (!WriteFileAtomic(o.Out, *written, &error))
        return ToolFail(error);

    std::optional<std::vector<uint8_t>> back = ReadFileBytes(o.Out);
    tLevel second(links);
    second.FileName = o.Out;
    if (!back || !ReadLevel(second, std::string(back->begin(), back->end())))
        return ToolFail("cannot read back " + o.Out);
    std::string difference = FirstLevelDifference(first, second);
    if (!difference.empty())
        return ToolFail(o.Level + " differs after writing: " + difference);
    std::cout << o.Level << ": same level after writing\n";
    return 0;
}

} // namespace

void AddRoundtripCommands(std::vector<TToolCommand>& commands)
{
    commands.push_back({ "level-roundtrip", "LEVEL.xml [--archive FILE | --data DIR] --out OUT.xml",
        "reads a level (a file, or an entry of the data), writes it with the editor's writer to OUT "
        "and reads that back; names the first difference and exits 1 when the levels differ",
        Roundtrip });
}
