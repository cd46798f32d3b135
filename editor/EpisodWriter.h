// Writing what the editor changes in the episode file: an episode's upgrade pictures and
// the numbers of one of its days. Everything else the file holds stays as it was read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TQelXMLTag;
struct TEpisod;

// Writes the episode's upgrade placements (each with its own kind) and the numbers of
// its day levelIndex (-1: none) into the episode element at episodIndex of the list.
// Values that already read as the episode holds them are left as written. False when the
// document has no such episode.
bool WriteEpisodToDocument(TQelXMLTag& document, int32_t episodIndex, const TEpisod& episod, int32_t levelIndex);

// The file text after writing, the changes spliced into the original text; nothing when
// the original has no such episode.
std::optional<std::string> WriteEpisodText(
    std::string_view original, int32_t episodIndex, const TEpisod& episod, int32_t levelIndex);
