// Player names on their way into the files and the grids: typed text cleaned once, and
// names escaped where they become a double-quoted value, so every name the player can
// type comes back unchanged.
#pragma once

#include <string>
#include <string_view>

// A typed name as the game keeps it: control characters (line ends, tabs, NUL) removed,
// everything else, non-ASCII UTF-8 included, kept. An empty result means "no name".
std::string SanitizePlayerName(std::string_view typed);

// The name a name edit gives the game: cleaned as above, the spaces around it trimmed
// (so " Ann" and "Ann" are one player) and cut to kMaxPlayerNameLength characters, the
// edits' limit, which a paste may have passed. Empty when nothing is left.
std::string TypedPlayerName(std::string_view caption);

// The name as it is stored inside a double-quoted value ("players.dat" Name attribute,
// "HighScores.dat" lines). The XML reader takes attribute values as written, so the
// characters that would end the value or the tag are written as entities here and turned
// back by DecodeNameValue: "&" "&amp;", "\"" "&quot;", "<" "&lt;", ">" "&gt;", control
// characters "&#n;".
std::string EncodeNameValue(std::string_view name);
// The inverse, in one pass. Text that is not one of those entities stays as it is, so
// names stored without escaping (older files) read as before.
std::string DecodeNameValue(std::string_view stored);

// A grid cell entry showing the name: Text="name"; with any double quote shown as two
// apostrophes, since a cell value cannot hold one.
std::string NameCellText(std::string_view name);
