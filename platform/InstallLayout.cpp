#include "platform/InstallLayout.h"

#include <array>
#include <system_error>

namespace {

constexpr const char* kArchive = "game.zxc";
constexpr std::array kInstalledData{"../share/glimmora", "../share/games/glimmora"};

bool HasArchive(const std::filesystem::path& folder)
{
    std::error_code error;
    return std::filesystem::is_regular_file(folder / kArchive, error);
}

}  // namespace

std::filesystem::path GameFilesFolder(const std::filesystem::path& programFolder)
{
    if (HasArchive(programFolder))
        return programFolder;
    for (const char* relative : kInstalledData) {
        const std::filesystem::path candidate = (programFolder / relative).lexically_normal();
        if (HasArchive(candidate))
            return candidate;
    }
    return programFolder;
}
