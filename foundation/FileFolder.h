// The resource archive "game.zxc": a directory of named entries followed by their bytes,
// stored verbatim. Entries are found by name ignoring ASCII letter case.
#pragma once

#include "foundation/MemoryStream.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The archive's own failures, with their fixed messages ("Cannot open FileFolder (broked
// label)" and the like). A file that cannot be opened at all raises std::system_error.
class EFileFolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One 48-byte directory entry as stored.
struct TDirEntry {
    std::array<uint8_t, 36> Name{};  // length byte, then up to 35 name bytes
    int32_t Offset = 0;             // from the start of the data area
    int32_t Size = 0;
    int32_t Reserved = 0;

    std::string FileName() const;
};

class TFileFolder {
public:
    static constexpr uint16_t kLabel = 0x3039;  // the bytes "9" "0"
    static constexpr uint16_t kVersion = 0;
    static constexpr size_t kHeaderSize = 8;
    static constexpr size_t kEntrySize = 48;
    static constexpr size_t kMaxNameLength = 35;

    // Reads the header and the directory, then closes the file again. Only a regular
    // file opens.
    explicit TFileFolder(std::filesystem::path path);

    // Throws EFileFolderError naming the first entry whose bytes do not lie inside the
    // file: a truncated or damaged archive. Opening alone does not look, since such an
    // archive still serves its whole entries; a game that needs all of its data asks.
    void CheckEntries() const;

    // Index of the first entry whose name equals name ignoring ASCII case, or -1.
    int FindFile(std::string_view name) const;
    // Reads the entry's bytes from disk into its buffer. Throws EFileFolderError.
    void LoadFile(std::string_view name);
    // The entry's buffer, freshly read and at position 0, or nullptr for an unknown name.
    // The archive owns it; it keeps its content until the same entry is read again or
    // the archive is destroyed. Callers that keep the bytes longer take a copy.
    TMemoryStream* GetFileStream(std::string_view name);

    int Count() const { return static_cast<int>(dir_.size()); }
    const TDirEntry& Entry(int index) const { return dir_[index]; }
    const std::filesystem::path& Path() const { return path_; }

private:
    void LoadIndex(int index);

    std::filesystem::path path_;
    std::array<uint8_t, kHeaderSize> header_{};
    uint32_t dataBase_ = 0;
    std::vector<TDirEntry> dir_;
    struct TMemFile {
        TMemoryStream Stream;
        uint8_t State = 1;  // 1 = never read, 0 = read
    };
    std::vector<TMemFile> files_;
};

struct TArchiveEntry {
    std::string Name;
    std::vector<uint8_t> Bytes;
};

// Writes an archive holding the entries in the order given. Throws EFileFolderError for
// an empty name, a name over 35 bytes or containing a folder separator, two names equal
// but for ASCII letter case, or more than 65535 entries; std::runtime_error when the
// file cannot be written.
void WriteFileFolder(const std::filesystem::path& path, const std::vector<TArchiveEntry>& entries);
