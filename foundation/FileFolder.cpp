// The resource archive.
#include "foundation/FileFolder.h"

#include "foundation/Files.h"
#include "foundation/Text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <unistd.h>

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Read-only, and only a regular file: a pipe in the archive's place must not hold the
// start-up for ever.
File OpenForReading(const std::filesystem::path& path)
{
    std::string error;
    int fd = OpenRegularFile(path, &error);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), error);
    File f(::fdopen(fd, "rb"));
    if (!f) {
        const int e = errno;
        ::close(fd);
        throw std::system_error(e, std::generic_category(), "Cannot open file \"" + path.string() + "\"");
    }
    return f;
}

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

int32_t I32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutI32(std::vector<uint8_t>& out, int32_t v)
{
    auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

}  // namespace

std::string TDirEntry::FileName() const
{
    // A length byte above the field's size is cut to the field.
    size_t length = std::min<size_t>(Name[0], TFileFolder::kMaxNameLength);
    return std::string(reinterpret_cast<const char*>(Name.data() + 1), length);
}

TFileFolder::TFileFolder(std::filesystem::path path) : path_(std::move(path))
{
    File f = OpenForReading(path_);
    if (std::fread(header_.data(), 1, header_.size(), f.get()) < header_.size())
        throw EFileFolderError("Cannot open FileFolder (wrong file size)");
    if (U16(&header_[0]) != kLabel)
        throw EFileFolderError("Cannot open FileFolder (broked label)");
    if (U16(&header_[2]) > kVersion)
        throw EFileFolderError("Cannot open FileFolder (wrong version)");
    uint16_t count = U16(&header_[4]);
    if (count != static_cast<uint16_t>(~U16(&header_[6])))
        throw EFileFolderError("Cannot open FileFolder (wrong sizing)");

    std::vector<uint8_t> raw(kEntrySize * count);
    if (std::fread(raw.data(), 1, raw.size(), f.get()) < raw.size())
        throw EFileFolderError("Cannot open Dir (wrong size)");
    dir_.resize(count);
    files_.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &raw[i * kEntrySize];
        std::memcpy(dir_[i].Name.data(), p, dir_[i].Name.size());
        dir_[i].Offset = I32(p + 36);
        dir_[i].Size = I32(p + 40);
        dir_[i].Reserved = I32(p + 44);
    }
    dataBase_ = static_cast<uint32_t>(kHeaderSize + kEntrySize * count);
}

void TFileFolder::CheckEntries() const
{
    std::error_code ec;
    const uint64_t fileSize = std::filesystem::file_size(path_, ec);
    if (ec)
        throw EFileFolderError("Cannot open FileFolder (" + ec.message() + ")");
    for (const TDirEntry& entry : dir_) {
        if (entry.Offset < 0 || entry.Size < 0)
            throw EFileFolderError("Cannot open FileFolder (entry \"" + entry.FileName() +
                                   "\" has a negative offset or size)");
        const uint64_t end = uint64_t{dataBase_} + static_cast<uint64_t>(entry.Offset) + static_cast<uint64_t>(entry.Size);
        if (end > fileSize)
            throw EFileFolderError("Cannot open FileFolder (entry \"" + entry.FileName() + "\" ends at byte " +
                                   std::to_string(end) + " of a file of " + std::to_string(fileSize) + " bytes)");
    }
}

int TFileFolder::FindFile(std::string_view name) const
{
    if (name.size() > kMaxNameLength)
        return -1;
    for (size_t i = 0; i < dir_.size(); ++i)
        if (EqualsNoCase(dir_[i].FileName(), name))
            return static_cast<int>(i);
    return -1;
}

void TFileFolder::LoadFile(std::string_view name)
{
    int index = FindFile(name);
    if (index < 0)
        throw EFileFolderError("Cannot load file (wrong file name)");
    LoadIndex(index);
}

void TFileFolder::LoadIndex(int index)
{
    File f = OpenForReading(path_);
    const TDirEntry& entry = dir_[index];
    TMemoryStream& stream = files_[index].Stream;
    stream.Clear();

    // Positions in 64 bits, and the entry checked against the real file size before
    // anything is allocated: a damaged directory can neither seek before the data area
    // nor make us allocate gigabytes.
    std::error_code ec;
    const uint64_t fileSize = std::filesystem::file_size(path_, ec);
    const int64_t start = static_cast<int64_t>(dataBase_) + entry.Offset;
    if (ec || entry.Offset < 0 || entry.Size < 0 ||
        static_cast<uint64_t>(start) + static_cast<uint64_t>(entry.Size) > fileSize)
        throw EFileFolderError("Cannot load file (wrong file size)");

    stream.SetSize(static_cast<size_t>(entry.Size));
    if (std::fseek(f.get(), static_cast<long>(start), SEEK_SET) != 0)
        throw std::system_error(errno, std::generic_category(), "Cannot seek in \"" + path_.string() + "\"");
    if (std::fread(stream.Data(), 1, stream.Size(), f.get()) < stream.Size()) {
        stream.Clear();
        throw EFileFolderError("Cannot load file (wrong file size)");
    }
    stream.SetPosition(0);
    files_[index].State = 0;
}

TMemoryStream* TFileFolder::GetFileStream(std::string_view name)
{
    int index = FindFile(name);
    if (index < 0)
        return nullptr;
    LoadIndex(index);
    return &files_[index].Stream;
}

void WriteFileFolder(const std::filesystem::path& path, const std::vector<TArchiveEntry>& entries)
{
    if (entries.size() > 0xFFFF)
        throw EFileFolderError("Too many files for one archive: " + std::to_string(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].Name;
        if (name.empty() || name.size() > TFileFolder::kMaxNameLength)
            throw EFileFolderError("File name \"" + name + "\" is empty or longer than 35 bytes");
        if (!IsBareFileName(name))
            throw EFileFolderError("File name \"" + name + "\" must not contain a folder");
        for (size_t j = 0; j < i; ++j)
            if (EqualsNoCase(entries[j].Name, name))
                throw EFileFolderError("File names \"" + entries[j].Name + "\" and \"" + name +
                                       "\" differ only in letter case");
    }

    const auto count = static_cast<uint16_t>(entries.size());
    std::vector<uint8_t> out;
    PutU16(out, TFileFolder::kLabel);
    PutU16(out, TFileFolder::kVersion);
    PutU16(out, count);
    PutU16(out, static_cast<uint16_t>(~count));
    int64_t offset = 0;
    for (const TArchiveEntry& entry : entries) {
        if (offset + static_cast<int64_t>(entry.Bytes.size()) > INT32_MAX)
            throw EFileFolderError("Archive too large");
        out.push_back(static_cast<uint8_t>(entry.Name.size()));
        out.insert(out.end(), entry.Name.begin(), entry.Name.end());
        out.insert(out.end(), TFileFolder::kMaxNameLength - entry.Name.size(), 0);
        PutI32(out, static_cast<int32_t>(offset));
        PutI32(out, static_cast<int32_t>(entry.Bytes.size()));
        PutI32(out, 0);
        offset += static_cast<int64_t>(entry.Bytes.size());
    }
    for (const TArchiveEntry& entry : entries)
        out.insert(out.end(), entry.Bytes.begin(), entry.Bytes.end());

    std::string error;
    if (!WriteFileAtomic(path, out, &error))
        throw std::runtime_error(error);
}
