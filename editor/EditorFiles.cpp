// Saving the edited level and episode into the data folder.
#include "editor/EditorFiles.h"

#include "editor/EpisodWriter.h"
#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "gameplay/GameTables.h"
#include "gameplay/Level.h"
#include "gameplay/LevelWriter.h"
#include "screens/ScreenContext.h"

#include <functional>
#include <optional>

namespace {

const char kEpisodsFile[] = "Episods.xml";

// The file of that name in the data folder, as it is spelled there when it exists.
std::optional<std::filesystem::path> DataFile(const TDataSource& data, const std::string& name, std::string& error)
{
    if (data.IsArchive()) {
        error = "the game data is an archive, not a folder";
        return std::nullopt;
    }
    if (!IsBareFileName(name)) {
        error = "\"" + name + "\" is not a bare file name";
        return std::nullopt;
    }
    if (auto path = ResolveFileNoCase(data.Folder(), name))
        return path;
    return data.Folder() / name;
}

// Reads the file, lets write make the new text of it and puts that in its place.
bool Rewrite(TScreenContext& c, const std::string& name, const std::string& errorLine,
    const std::function<std::optional<std::string>(const std::string&)>& write)
{
    std::string error;
    std::optional<std::filesystem::path> path = DataFile(c.Data, name, error);
    std::optional<std::vector<uint8_t>> bytes;
    if (path) {
        bytes = ReadFileBytes(*path, &error);
        if (!bytes)
            path.reset();
    }
    std::optional<std::string> text;
    if (path) {
        text = write(std::string(bytes->begin(), bytes->end()));
        if (!text)
            error = name + " holds nothing to write into";
    }
    if (!text || !WriteFileAtomic(*path, *text, &error)) {
        c.Log.WriteLog(errorLine + ": " + error);
        return false;
    }
    c.Trace.Event("save", name);
    return true;
}

} // namespace

bool SaveLevelFile(TScreenContext& context, const tLevel& level)
{
    return Rewrite(context, level.FileName, "Error SaveLevel",
        [&](const std::string& original) { return WriteLevelText(original, level); });
}

bool SaveEpisodFile(TScreenContext& context, int32_t episod, int32_t levelIndex)
{
    const TEpisod* episode = context.Tables.Episods.Episod(episod);
    if (!episode) {
        context.Log.WriteLog("Error Level.SaveEpisod: no episode " + std::to_string(episod));
        return false;
    }
    return Rewrite(context, kEpisodsFile, "Error Level.SaveEpisod",
        [&](const std::string& original) { return WriteEpisodText(original, episod, *episode, levelIndex); });
}
