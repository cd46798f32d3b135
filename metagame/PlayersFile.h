// The profile file "players.dat" in the user folder: one profile per player name, one of
// them current. Every operation reads the whole file, changes it and writes it back
// through a temporary file; a file that cannot be read as profiles is set aside under a
// dated name, never deleted. Names, typed or stored, are cut to the length the name edit
// takes (kMaxPlayerNameLength), and the file is written back with them cut.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IWidgetAccess;
class TEpisods;
class TGameLog;
class TQelParser;
class TQelXMLTag;
class TShop;
struct TPlayer;

enum class TProfileResult {
    Done,
    NoFile,     // there is no profile file: nothing happened
    NameTaken,  // another profile has that name (the screen shows "WPlayerExist")
    NoProfile,  // no profile is current
    EmptyName,
    Failed,     // the file could not be read or written (logged)
};

enum class TLoadResult {
    Loaded,
    NoFile,    // the title asks for a name once the screen is up
    AskName,   // profiles exist but none is current: the title asks for a name now
    SetAside,  // the file was damaged and has been moved aside; as NoFile from here on
    Failed,    // the file could not be read (logged); nothing changed
};

enum class TSaveMode {
    Full,          // every value of the record
    Instructions,  // only ShowInstructions
    Outfits,       // only Kostums with Cur
    Hints,         // only ShowHints: a pop-up hint seen in the middle of a day
    Rewrite,       // nothing changes; the file is written back
};

// One row of the change-player grid and what the labels beside it show.
struct TPlayerRow {
    std::string Name;  // as the player typed it
    std::string Cell;  // the grid's cell entry for the name
    std::string DayCaption;
    std::string ShopName;
    std::string Score;
};

struct TPlayersGrid {
    std::vector<TPlayerRow> Rows;
    int32_t Selected = -1;
};

struct TRunningScore {
    std::string Name;
    int32_t Score = 0;
};

class TPlayersFile {
public:
    static constexpr std::string_view kFileName = "players.dat";

    TPlayersFile(std::filesystem::path userFolder, TGameLog& log, IWidgetAccess& widgets, const TEpisods& episods,
                 const TShop& shop);

    // Debug mode: the file is written as plain text.
    bool WritePlain = false;
    // The date part of the name a damaged file is moved to; local time by default.
    std::function<std::string()> DateStamp;

    // The file read and written: "players.dat", or an existing file of that name in
    // another letter case (all profile operations use this one path).
    std::filesystem::path Path() const;
    bool Exists() const;

    // Appends a profile; it does not become current. NoFile without a profile file.
    TProfileResult AddNewPlayer(const std::string& name);
    // Makes the profile of that name current (when it exists), writes the file and loads it.
    TProfileResult SelectPlayer(TPlayer& player, const std::string& name);
    // Renames the current profile and loads it again.
    TProfileResult RenamePlayer(TPlayer& player, const std::string& newName);
    // Removes the profile of that name; the first profile becomes current.
    TProfileResult DeletePlayer(TPlayer& player, const std::string& name);
    // Reads the current profile into the record and works out its derived values.
    TLoadResult LoadPlayer(TPlayer& player);
    // Writes the record into the profile of the player's name.
    TProfileResult SavePlayerState(TPlayer& player, TSaveMode mode);
    // The first profile: a new file holding it, current. When a file of profiles exists
    // already the profile is added to it (or selected, when the name is there) instead,
    // so no profile is ever lost to a new one.
    TProfileResult MakeNewPlayersFile(const TPlayer& player);

    // The rows of the change-player grid, the current profile selected.
    TPlayersGrid FillPlayersGrid();
    // The labels beside the grid for a selected row.
    void ShowPlayerRow(const TPlayerRow& row);
    // The greeting of the title screen.
    void DrawCat(const std::string& name);

    // The money of every profile still playing that is listed in the high scores; nothing
    // without a profile file.
    std::optional<std::vector<TRunningScore>> RunningScores();
    // Takes every profile out of the high-score table until its next full save.
    TProfileResult HideFromHighScores();

private:
    enum class TOpen { Missing, Ready };
    TOpen Open(TQelParser& document, TQelXMLTag*& list) const;
    void Write(TQelParser& document) const;
    bool SetAside(const std::filesystem::path& path, const std::string& why);

    std::filesystem::path folder_;
    TGameLog& log_;
    IWidgetAccess& widgets_;
    const TEpisods& episods_;
    const TShop& shop_;
};
