// The high-score file and table.
#include "metagame/HighScores.h"

#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "metagame/Player.h"
#include "metagame/PlayerName.h"
#include "metagame/PlayersFile.h"
#include "metagame/WidgetAccess.h"

#include <limits>
#include <optional>

namespace fs = std::filesystem;

namespace {

// The text after the first `key` at or after `from` up to the next double quote, and the
// position of that quote.
std::optional<std::string_view> QuotedAfter(std::string_view line, std::string_view key, size_t from, size_t& end)
{
    size_t start = line.find(key, from);
    if (start == std::string_view::npos)
        return std::nullopt;
    start += key.size();
    end = line.find('"', start);
    if (end == std::string_view::npos)
        return std::nullopt;
    return line.substr(start, end - start);
}

}  // namespace

std::string HighScoreLine(const THighScore& entry)
{
    return "<High name=\"" + EncodeNameValue(entry.Name) + "\" score=\"" + IntToStr(entry.Score) + "\" />";
}

bool ParseHighScoreLine(std::string_view line, THighScore& entry)
{
    // The score is looked for after the name, so a name that reads "... score=" cannot
    // stand in for it.
    size_t nameEnd = 0, scoreEnd = 0;
    auto name = QuotedAfter(line, "name=\"", 0, nameEnd);
    if (!name)
        return false;
    auto score = QuotedAfter(line, "score=\"", nameEnd + 1, scoreEnd);
    if (!score)
        return false;
    auto value = StrictInt(*score);
    if (!value || *value < std::numeric_limits<int32_t>::min() || *value > std::numeric_limits<int32_t>::max())
        return false;
    entry.Name = CutPlayerName(DecodeNameValue(*name));
    entry.Score = HoldMoney(*value);
    entry.Running = false;
    return true;
}

void THighScoreList::LoadHighScores(const fs::path& path)
{
    Entries.clear();
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return;
    std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of("\r\n", i);
        if (end == std::string_view::npos)
            end = text.size();
        THighScore entry;
        if (end > i && ParseHighScoreLine(ShiftTextDown(text.substr(i, end - i)), entry))
            Entries.push_back(std::move(entry));
        i = end + 1;
    }
}

bool THighScoreList::SaveHighScores(const fs::path& path, std::string* error) const
{
    std::string text;
    for (const THighScore& entry : Entries)
        if (!entry.Running) {
            text += ShiftTextUp(HighScoreLine(entry));
            text += "\r\n";
        }
    return WriteFileAtomic(path, text, error);
}

size_t THighScoreList::AddHighScore(const std::string& name, int64_t added)
{
    const int32_t score = HoldMoney(added);
    size_t index = 0;
    while (index < Entries.size() && Entries[index].Score >= score)
        ++index;
    Entries.insert(Entries.begin() + static_cast<std::ptrdiff_t>(index), THighScore{CutPlayerName(name), score, false});
    return index;
}

THighScores::THighScores(fs::path userFolder, TPlayersFile& players, IWidgetAccess& widgets, TGameLog& log)
    : folder_(std::move(userFolder)), players_(players), widgets_(widgets), log_(log)
{
}

fs::path THighScores::Path() const
{
    if (auto existing = ResolveFileNoCase(folder_, kFileName))
        return *existing;
    return folder_ / std::string(kFileName);
}

bool THighScores::Save()
{
    std::string error;
    if (List.SaveHighScores(Path(), &error))
        return true;
    log_.WriteLog("Error SaveHighScores: " + error);
    return false;
}

bool THighScores::MakeHighScores(TPlayer& player)
{
    Load();
    auto running = players_.RunningScores();
    if (!running) {
        player.Name.clear();
        SetCaption(widgets_, "WYourName_EYourName", "");
        return false;
    }
    for (const TRunningScore& profile : *running) {
        size_t index = List.AddHighScore(profile.Name, profile.Score);
        List.Entries[index].Running = true;
    }
    return true;
}

std::vector<THighScoreRow> THighScores::FillHighScores(TPlayer& player)
{
    MakeHighScores(player);
    const std::string currency = GetCaption(widgets_, "WResource_LCurrency");
    std::vector<THighScoreRow> rows;
    for (size_t i = 0; i < List.Entries.size(); ++i) {
        const THighScore& entry = List.Entries[i];
        rows.push_back({"Text=\"" + IntToStr(static_cast<int64_t>(i) + 1) + "\";" + NameCellText(entry.Name) +
                        "Text=\"" + currency + IntToStr(entry.Score) + "\";"});
    }
    SetEnabled(widgets_, "WHighScores_BClear", !rows.empty());
    return rows;
}

bool THighScores::ClearRunningScores(TPlayer& player)
{
    Load();
    TProfileResult result = players_.HideFromHighScores();
    if (result == TProfileResult::NoFile) {
        player.Name.clear();
        SetCaption(widgets_, "WYourName_EYourName", "");
    }
    return result == TProfileResult::Done;
}

THighScores::TCleared THighScores::ClearHighScores(TPlayer& player)
{
    TCleared cleared;
    cleared.ProfilesHidden = ClearRunningScores(player);
    List.Entries.clear();
    cleared.Saved = Save();
    SetEnabled(widgets_, "WHighScores_BClear", false);
    return cleared;
}

bool THighScores::AddFinishedGame(const std::string& name, int64_t totalScore)
{
    List.AddHighScore(name, totalScore);
    return Save();
}
