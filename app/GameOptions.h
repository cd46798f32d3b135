// The options as options.cfg keeps them: section "Options", the defaults used for missing
// keys, and the order keys are written in.
#pragma once

#include "screens/GameOptions.h"

#include <string_view>

class TIniFile;

constexpr std::string_view kOptionsFileName = "options.cfg";
constexpr std::string_view kOptionsSection = "Options";

// Every option from the document, each missing or malformed one from fallback: the
// built-in defaults, or the options shipped beside the program for a player's file. The
// version is never filled in, since a file without one is of another version. Volumes are
// held to 0..100 and any depth but 16 is 32, so no stored value can reach the mixer or the
// display out of range; outside the debug mode the game always reads the archive.
TGameOptions ReadGameOptions(const TIniFile& ini, const TGameOptions& fallback = TGameOptions{});
// Writes every written key, in their order, into the document; other content stays.
void WriteGameOptions(const TGameOptions& options, TIniFile& ini);
// The whole options file as the game saves it: the "Options" section alone with every
// written key in order, then the read-only screen size where the player's own file
// (previous) holds it. Whatever else previous holds, junk included, is left behind.
TIniFile CleanGameOptions(const TGameOptions& options, const TIniFile& previous);
