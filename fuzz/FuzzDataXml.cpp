// Feeds arbitrary bytes to the plain-or-scrambled data file reader.
#include "foundation/DataScramble.h"
#include "foundation/QelParser.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glimmora-fuzz-data-" + std::to_string(getpid()) + ".dat");
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    TQelParser document;
    LoadDataXml(path, kDataKey, document);
    TMemoryStream text(std::string_view(reinterpret_cast<const char*>(data), size)), out;
    ScrambleStream(text, out, kDataKey);
    ShiftTextDown(ShiftTextUp(out.View()));
    return 0;
}
