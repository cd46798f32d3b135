// The statistics line every finished level leaves in "Stat.log", and the player's speed a
// won level measures.
#pragma once

#include <cstdint>
#include <string>

class TLevelGame;
class tLevel;

// "Player: <name>, <level>, Time:mm:ss Score = n", with " LOSE" for a lost level; names
// are right-aligned in 25 characters.
std::string StatLine(const std::string& playerName, const std::string& levelName, int64_t playedMs, int32_t score,
                     bool won);

// Writes the line, measures the player's speed after a won standard level, and records
// whether the level was won.
void WriteStat(tLevel& level, TLevelGame& game, bool won, int64_t now);
