// Level files: reading one XML level description into a level (its belts, scene pictures,
// piece types, customer places, box filling) and loading the pictures it names.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ILevelLoadProgress;
class TDataSource;
class tLevel;

// What loading a level needs besides the level itself (whose links give the piece
// types, the random stream, the pictures and the log).
struct TLevelLoadContext {
    const TDataSource* Data = nullptr;  // the game data
    int64_t Now = 0;
    // The piece types of the player's outfits (the current episode's type of every wear
    // column at or above the current stage). When given, a standard level plays these
    // instead of the types its file lists; bonus and pixel levels keep their own.
    std::optional<std::vector<int32_t>> OutfitTypes;
    ILevelLoadProgress* Progress = nullptr;
    // The pictures the previous level loaded: those this level does not use are
    // released, and the list becomes this level's.
    std::vector<std::string>* PreviousPictures = nullptr;
    // Prepares the heap pictures of pixel levels, when loading asks for it.
    std::function<void(tLevel&)> PrepareHeaps;
};

// Reads and applies one level file: from folder/fileName when a folder is given (custom
// levels of the editor; the name must be a bare file name), else from the game data.
// withHeaps prepares the heap pictures, sceneOnly stops after the belts and the
// background, showProgress shows the loading screen. False when the file cannot be read
// or holds no element; any other problem is logged as "Error LoadLevel" and the level
// keeps what was read.
bool LoadLevel(tLevel& level, const std::string& fileName, const std::string& folder, bool withHeaps, bool sceneOnly,
               bool showProgress, const TLevelLoadContext& context);

// The same for a level file already in memory (no loading screen).
bool LoadLevelText(tLevel& level, std::string_view text, bool withHeaps, bool sceneOnly,
                   const TLevelLoadContext& context);

// The scene picture a level file names, read without loading the level (the map and the
// catalogue show the coming day's scene); empty when the file or the name is missing.
std::string LevelScenePicture(const TDataSource& data, const std::string& fileName);
