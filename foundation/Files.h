// Plain-file access: whole-file reads, crash-safe writes, and names looked up the way the
// game's data was authored (ASCII letter case ignored).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The whole file, or nothing when it cannot be read (error says why).
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::filesystem::path& path, std::string* error = nullptr);

// Writes a temporary file beside the target, flushes it to disk and renames it over the
// target, so an interrupted save leaves either the old file or the new one, never half.
bool WriteFileAtomic(const std::filesystem::path& target, std::span<const uint8_t> bytes, std::string* error = nullptr);
bool WriteFileAtomic(const std::filesystem::path& target, std::string_view text, std::string* error = nullptr);

// Appends text to a file (created when missing); false when it cannot be written.
bool AppendToFile(const std::filesystem::path& path, std::string_view text);

// A name taken from data may only name a file directly inside the folder it is looked up
// in: no separators, no drive or root prefix, no "." or "..".
bool IsBareFileName(std::string_view name);

// The file called name inside folder: the exact name when it exists, else the one entry
// whose name equals it ignoring ASCII letter case. Nothing when the name is not bare or
// no entry matches.
std::optional<std::filesystem::path> ResolveFileNoCase(const std::filesystem::path& folder, std::string_view name);

// Names of the regular files in a folder, sorted ignoring ASCII case (ties by bytes), so
// every scan of a folder sees the same order.
std::vector<std::string> ListFolder(const std::filesystem::path& folder);
