// Where the game's own files are. In a build tree they lie beside the program; an
// installation puts the program in <prefix>/bin (or games) and its files in
// <prefix>/share/glimmora (or share/games/glimmora), as Linux systems expect.
#pragma once

#include <filesystem>

// The folder holding the game's archive for a program in programFolder: that folder when
// the archive is there, else the first installed data folder beside it that has it, else
// programFolder itself (the start-up then reports the missing archive there).
std::filesystem::path GameFilesFolder(const std::filesystem::path& programFolder);
