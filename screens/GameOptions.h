// The player's options as the game holds them while it runs; options.cfg is their file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

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
