// Where the options point.
#include "screens/GameOptions.h"

#include <algorithm>

std::filesystem::path TGameOptions::DataFolder(const std::filesystem::path& programFolder) const
{
    std::string folder = GameFolderDir;
    std::replace(folder.begin(), folder.end(), '\\', '/');
    while (!folder.empty() && folder.front() == '/')
        folder.erase(folder.begin());
    return (programFolder / folder) / "";
}
