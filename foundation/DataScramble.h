// The scrambled form of the game's own data files (profiles, game parameters) and the
// character rotation of the high-score lines.
#pragma once

#include "foundation/MemoryStream.h"

#include <filesystem>
#include <string>
#include <string_view>

class TQelParser;

// The fixed key of "players.dat" and "GameParams.xml".
inline constexpr std::string_view kDataKey = "hkzpa47]";
// DebugMode holding this value writes data files plain.
inline constexpr int kDebugModeValue = 863;

// Converts source into target (position 0) and empties source. Applying it twice with
// one key gives back the original bytes: the same call scrambles and unscrambles.
void ScrambleStream(TMemoryStream& source, TMemoryStream& target, std::string_view key);

// Whether the whole stream is plain text with CR LF line ends. Does not move it.
bool IsPlainText(const TMemoryStream& stream);

std::string ShiftTextUp(std::string_view text);
std::string ShiftTextDown(std::string_view text);

// Reads a plain or scrambled XML file into document. False (error says why) when the
// file cannot be read; a file that decodes to no element gives an empty document.
bool LoadDataXml(const std::filesystem::path& path, std::string_view key, TQelParser& document, std::string* error = nullptr);
// Writes document scrambled, or plain when writePlain (debug mode), through a temporary
// file renamed over the target. False (error says why) when it cannot be written; the
// old file is then left as it was.
bool SaveDataXml(TQelParser& document, const std::filesystem::path& path, std::string_view key, bool writePlain,
                 std::string* error = nullptr);
