// Opens arbitrary bytes as a resource archive and reads every entry it lists.
#include "foundation/FileFolder.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glimmora-fuzz-archive-" + std::to_string(getpid()) + ".zxc");
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    try {
        TFileFolder archive(path);
        for (int i = 0; i < archive.Count(); ++i) {
            std::string name = archive.Entry(i).FileName();
            try {
                archive.GetFileStream(name);
            } catch (const EFileFolderError&) {
            }
        }
        archive.FindFile("efMove.xml");
    } catch (const std::exception&) {
    }
    return 0;
}
