// Where game data is read from: the archive in the program folder, or (in debug mode) a
// plain folder holding the same bare file names. Every consumer asks this one object.
#pragma once

#include "foundation/FileFolder.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TDataSource {
public:
    // Archive mode; the archive is owned from here on.
    explicit TDataSource(std::unique_ptr<TFileFolder> archive);
    // Folder mode: names are looked up in folder, ignoring ASCII letter case.
    explicit TDataSource(std::filesystem::path folder);

    bool IsArchive() const { return archive_ != nullptr; }
    TFileFolder* Archive() const { return archive_.get(); }
    const std::filesystem::path& Folder() const { return folder_; }

    // Whether a resource of that bare name exists.
    bool Exists(std::string_view name) const;
    // A copy of the resource's bytes, or nothing when it is absent or cannot be read (a
    // damaged archive entry, a name that is not a bare file name); error says why, naming
    // the resource.
    std::optional<std::vector<uint8_t>> Read(std::string_view name, std::string* error = nullptr) const;
    // Every resource name: the archive's directory in stored order, or the folder's files
    // sorted ignoring case.
    std::vector<std::string> Names() const;

    // Opens the archive file again (dropping every buffer it held) and checks that every
    // entry still lies inside it; archive mode only. Throws as opening does, keeping the
    // old archive.
    void Reopen();

private:
    std::unique_ptr<TFileFolder> archive_;
    std::filesystem::path folder_;
};
