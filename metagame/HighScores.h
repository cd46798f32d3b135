// The high-score table: finished games kept in "HighScores.dat" (one rotated line per
// entry), shown together with the running money of every profile still playing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class IWidgetAccess;
class TGameLog;
class TPlayersFile;
struct TPlayer;

struct THighScore {
    std::string Name;
    int32_t Score = 0;
    bool Running = false;  // a profile's money, shown but never saved
    friend bool operator==(const THighScore&, const THighScore&) = default;
};

// The table alone: ordered by score, highest first.
class THighScoreList {
public:
    // Replaces the entries by the file's; a missing file gives an empty table and a line
    // that cannot be read is skipped.
    void LoadHighScores(const std::filesystem::path& path);
    // Writes the entries that are not running, through a temporary file.
    bool SaveHighScores(const std::filesystem::path& path, std::string* error = nullptr) const;
    // Inserts after every entry with a higher or equal score; gives the new index. The
    // name is cut to the name edits' length and the score held to the money range, so an
    // entry always fits the table's columns and the file.
    size_t AddHighScore(const std::string& name, int64_t score);

    std::vector<THighScore> Entries;
};

// One line of the file before rotation, and back; nothing when the line is no entry. A
// line read back is held like an added entry (name cut, score in the money range).
std::string HighScoreLine(const THighScore& entry);
bool ParseHighScoreLine(std::string_view line, THighScore& entry);

// A row of the high-score grid (rank, name, money).
struct THighScoreRow {
    std::string Cells;
};

// The table as the game shows it, with the file in the user folder.
class THighScores {
public:
    static constexpr std::string_view kFileName = "HighScores.dat";

    THighScores(std::filesystem::path userFolder, TPlayersFile& players, IWidgetAccess& widgets, TGameLog& log);

    std::filesystem::path Path() const;
    void Load() { List.LoadHighScores(Path()); }
    bool Save();

    // The file's entries plus the running money of the profiles listed in the table. Without
    // a profile file the player has no name any more (the screen then asks for one): false.
    bool MakeHighScores(TPlayer& player);
    // The rows for "WHighScores_GHighScores"; "WHighScores_BClear" is enabled exactly when
    // there are rows.
    std::vector<THighScoreRow> FillHighScores(TPlayer& player);
    // Hides every profile's running money until its next full save (the current player's
    // flag in memory is left alone, so its next save lists it again).
    bool ClearRunningScores(TPlayer& player);
    // The table is emptied and saved empty, and its clear button disabled. Says which of
    // the two files were written.
    struct TCleared {
        bool ProfilesHidden = false;  // "players.dat" written with every profile hidden
        bool Saved = false;           // "HighScores.dat" written empty
    };
    TCleared ClearHighScores(TPlayer& player);
    // A finished game enters the table and the file; false when the file could not be
    // written (logged).
    bool AddFinishedGame(const std::string& name, int64_t totalScore);

    THighScoreList List;

private:
    std::filesystem::path folder_;
    TPlayersFile& players_;
    IWidgetAccess& widgets_;
    TGameLog& log_;
};
