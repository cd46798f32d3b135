// The options as options.cfg keeps them: section "Options", the defaults used for missing
// keys, and the order keys are written in.
#pragma once

#include "screens/GameOptions.h"

#include <string_view>

class TIniFile;

constexpr std::string_view kOptionsFileName = "options.cfg";
constexpr std::string_view kOptionsSection = "Options";

// Every option from the document, each missing or malformed one at its default. Volumes
// are held to 0..100 and any depth but 16 is 32, so no stored value can reach the mixer or
// the display out of range; outside the debug mode the game always reads the archive.
TGameOptions ReadGameOptions(const TIniFile& ini);
// Writes every written key, in their order, into the document; other content stays.
void WriteGameOptions(const TGameOptions& options, TIniFile& ini);
