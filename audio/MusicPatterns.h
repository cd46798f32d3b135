// "MusicPattern.xml": the music of the episodes by identifier, and the start positions of
// modules given as start patterns ("12", "4,6", "50%").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDataSource;
class TGameLog;
class TMusicList;
class IAudioLibrary;
class TRandom;

struct TMusicInsert {
    std::string File;
    int32_t StartPattern = 0;
    int32_t StopPattern = 0;
};

struct TMusicPatterns {
    std::string Name;  // the module file, as in the sound list
    std::string ID;    // what a level's Music names
    // Read and kept; no screen plays them.
    std::vector<TMusicInsert> Negative;
    std::vector<TMusicInsert> Positive;
};

class TMusicPatternTable {
public:
    // Fills the table from the game data; problems are logged as "Error LoadMusicPattern"
    // and leave what was read before them. An archive without the file has no music.
    bool LoadMusicPattern(const TDataSource& data, std::string_view fileName, TGameLog& log);
    bool LoadMusicPatternText(std::string_view text, TGameLog& log);

    // The module of the first entry with that identifier; empty when none.
    std::string GetMusicNameByID(std::string_view id) const;

    std::vector<TMusicPatterns> Items;
};

// The order a module starts at: "n" is order n, "a,b" a random order from a to b, "p%" p
// percent of the module's length in orders. Never outside the module; 0 for an empty
// pattern, and 0 with "Error GetMusicPattern" logged for one that is not a number.
int32_t GetMusicPattern(std::string_view music, const TMusicList& list, IAudioLibrary& audio,
                        std::string_view pattern, TRandom& random, TGameLog* log);
