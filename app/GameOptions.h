// The player's options as options.cfg keeps them: section "Options", the defaults used for
// missing keys, and the order keys are written in.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class TIniFile;

constexpr std::string_view kOptionsFileName = "options.cfg";
constexpr std::string_view kOptionsSection = "Options";
// The game's version, which is also the version of the options file it writes: a file of
// any other version is replaced by the options shipped beside the program.
constexpr std::string_view kGameVersion = "1.38";
// The DebugMode value that switches the debug mode on.
constexpr int kDebugModeCode = 863;

struct TGameOptions {
    int ScreenWidth = 800;   // read only: never written back
    int ScreenHeight = 600;  // read only: never written back
    int WindowModeX = 200;
    int WindowModeY = 200;
    int SoundVolume = 100;
    int MusicVolume = 100;
    int DebugMode = 0;
    int FullScreenMode = 0;
    int BitsPerPixel = 32;
    std::string GameFolderDir;
    int HintsMode = 0;
    bool FromFileFolder = true;
    int StaySelect = 0;
    std::string Version;

    bool IsDebugMode() const { return DebugMode == kDebugModeCode; }
    bool IsFullScreen() const { return FullScreenMode == 1; }
    // The plain data folder below the program folder; GameFolderDir was written with "\"
    // as separator and may lack the final one.
    std::filesystem::path DataFolder(const std::filesystem::path& programFolder) const;
};

// Every option from the document, each missing or malformed one at its default. Volumes
// are held to 0..100 and any depth but 16 is 32, so no stored value can reach the mixer or
// the display out of range; outside the debug mode the game always reads the archive.
TGameOptions ReadGameOptions(const TIniFile& ini);
// Writes every written key, in their order, into the document; other content stays.
void WriteGameOptions(const TGameOptions& options, TIniFile& ini);
