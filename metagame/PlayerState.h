// The profile values of "players.dat": the children of a profile's CurrentState element,
// written in a fixed order and read back with a default for every missing one.
#pragma once

#include <string_view>

class TQelXMLTag;
struct TPlayer;

// Appends every value of the player as a child of currentState (a full save).
void WritePlayerState(TQelXMLTag& currentState, const TPlayer& player);
// Reads the values of currentState into the player; a missing value gives its default.
// Numbers are read from their leading digits and held to their ranges (HoldPlayerInRange);
// SpeedPlay accepts "," as well as "." and is held to its range too.
void ReadPlayerState(const TQelXMLTag& currentState, TPlayer& player);

// A flag value: "true"/"false" in any case, or a number (non-zero is true); fallback when
// the value is missing.
bool StateFlag(const TQelXMLTag& currentState, std::string_view name, bool fallback);

// The separate writers of the partial saves.
void WriteShowInstructions(TQelXMLTag& currentState, const TPlayer& player);
void WriteKostums(TQelXMLTag& currentState, const TPlayer& player);
void WriteShowHints(TQelXMLTag& currentState, const TPlayer& player);
