// Feeds arbitrary bytes as "HighScores.dat" to the high-score reader, and checks that
// whatever it reads is written and read back unchanged.
#include "metagame/HighScores.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

// Every input is written to a file and the code under test writes back through fsync:
// a memory file system keeps that from dominating the run.
static fs::path ScratchRoot()
{
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

// The run's scratch folder, removed when the fuzzer exits normally (a crash leaves it to
// be looked at): a folder left in a memory file system holds its memory until reboot.
struct TScratch {
    fs::path Path = ScratchRoot() / ("glimmora-fuzz-scores-" + std::to_string(getpid()));
    ~TScratch()
    {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const TScratch scratch;
    const fs::path& folder = scratch.Path;
    fs::create_directories(folder);
    const fs::path path = folder / "HighScores.dat";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    THighScoreList list;
    list.LoadHighScores(path);
    list.AddHighScore(list.Entries.empty() ? std::string("x") : list.Entries.back().Name + "\"&", 7);
    if (!list.SaveHighScores(path))
        return 0;
    THighScoreList again;
    again.LoadHighScores(path);
    if (again.Entries != list.Entries)
        std::abort();
    return 0;
}
