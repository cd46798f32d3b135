// Game data from the archive or a plain folder.
#include "foundation/DataSource.h"

#include "foundation/Files.h"

TDataSource::TDataSource(std::unique_ptr<TFileFolder> archive) : archive_(std::move(archive)) {}

TDataSource::TDataSource(std::filesystem::path folder) : folder_(std::move(folder)) {}

bool TDataSource::Exists(std::string_view name) const
{
    if (archive_)
        return archive_->FindFile(name) >= 0;
    return ResolveFileNoCase(folder_, name).has_value();
}

std::optional<std::vector<uint8_t>> TDataSource::Read(std::string_view name, std::string* error) const
{
    if (archive_) {
        try {
            TMemoryStream* stream = archive_->GetFileStream(name);
            if (!stream) {
                if (error)
                    *error = "File \"" + std::string(name) + "\" is not in the archive";
                return std::nullopt;
            }
            return stream->Bytes();
        } catch (const std::exception& e) {
            // Callers log this text as it stands: it alone has to tell which entry of which
            // archive failed, and why.
            if (error)
                *error = "Cannot read \"" + std::string(name) + "\" from \"" + archive_->Path().string() +
                         "\": " + e.what();
            return std::nullopt;
        }
    }
    auto path = ResolveFileNoCase(folder_, name);
    if (!path) {
        if (error)
            *error = "File \"" + std::string(name) + "\" is not in \"" + folder_.string() + "\"";
        return std::nullopt;
    }
    return ReadFileBytes(*path, error);
}

std::vector<std::string> TDataSource::Names() const
{
    if (!archive_)
        return ListFolder(folder_);
    std::vector<std::string> names;
    for (int i = 0; i < archive_->Count(); ++i)
        names.push_back(archive_->Entry(i).FileName());
    return names;
}

void TDataSource::Reopen()
{
    if (!archive_)
        return;
    auto reopened = std::make_unique<TFileFolder>(archive_->Path());
    reopened->CheckEntries();
    archive_ = std::move(reopened);
}
