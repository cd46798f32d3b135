// Where the editor writes: the level file and the episode file of the plain data folder,
// each replaced whole or not at all.
#pragma once

#include <cstdint>
#include <string>

struct TScreenContext;
class tLevel;

// Writes the level's editable parts into its file in the data folder. False (with a log
// line "Error SaveLevel ...") when the data is an archive, the name is not a bare file
// name, or the file cannot be read or written; the old file then stays.
bool SaveLevelFile(TScreenContext& context, const tLevel& level);
// Writes the episode's upgrade pictures and the numbers of its day levelIndex (-1: none)
// into "Episods.xml" of the data folder. False (logged as "Error Level.SaveEpisod ...")
// when it cannot.
bool SaveEpisodFile(TScreenContext& context, int32_t episod, int32_t levelIndex);
