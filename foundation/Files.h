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

// Opens a regular file for reading without ever waiting on it: a pipe, a device or a
// folder put in a file's place is refused (error says why) instead of holding the game
// up. The descriptor, or -1; the caller closes it.
int OpenRegularFile(const std::filesystem::path& path, std::string* error = nullptr);

// The whole file, or nothing when it cannot be read or is no regular file (error says why).
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::filesystem::path& path, std::string* error = nullptr);

// Writes a temporary file of a name of its own beside the target, flushes it to disk,
// renames it over the target and flushes the folder, so an interrupted save leaves either
// the old file or the new one, never half, and two writers of one file never share a
// temporary file: the last rename wins whole.
bool WriteFileAtomic(const std::filesystem::path& target, std::span<const uint8_t> bytes, std::string* error = nullptr);
bool WriteFileAtomic(const std::filesystem::path& target, std::string_view text, std::string* error = nullptr);

// Whether a file name is one WriteFileAtomic gives its temporary files:
// "<target>.tmp-<process id>-<six letters or digits>".
bool IsAtomicTemporaryName(std::string_view name);
// Removes the temporary files a killed save left in the folder: only names of the form
// above whose process is gone (a running program's save in flight is left alone). The
// number removed.
int RemoveLeftoverTemporaries(const std::filesystem::path& folder);

// Appends text to a regular file (created when missing); false when it cannot be written
// or something else (a pipe, a folder) stands in its place.
bool AppendToFile(const std::filesystem::path& path, std::string_view text, std::string* error = nullptr);

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
