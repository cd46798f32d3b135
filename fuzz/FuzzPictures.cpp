// Feeds damaged PNG and JPEG data to the picture loaders: a picture either loads or is
// skipped with its "Error LoadSurfFromFile" line, and nothing crashes.
//
// The first byte picks the form: a PNG or a JPEG from the data folder, or the split
// colour + mask pair from an archive (the second byte says where the input is cut in
// two), and the pixel depth.
#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "graphics/SurfEngine.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path& Folder()
{
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("glimmora-fuzz-pictures-" + std::to_string(getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

void WriteFile(const fs::path& path, const uint8_t* data, size_t size)
{
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int form = data[0] % 3;
    const int bits = (data[0] & 0x80) ? 16 : 32;
    const size_t cut = 2 + (size - 2) * data[1] / 256;
    data += 2;
    size -= 2;

    TManualClock clock;
    TGameLog log({}, clock);
    std::vector<std::string> lines;
    log.Listener = [&](const std::string& m, const std::string&) { lines.push_back(m); };
    TSurfEngine engine(TDisplayFormat::ForDepth(bits));
    engine.SetGameLog(&log);

    std::string name;
    std::unique_ptr<TDataSource> source;
    if (form == 2) {
        name = "Logo.png";
        std::vector<uint8_t> jpeg(data, data + (cut - 2)), mask(data + (cut - 2), data + size);
        const fs::path archive = Folder() / "game.zxc";
        try {
            WriteFileFolder(archive, {{"Logo._JPG", jpeg}, {"Logo._PNG", mask}});
            source = std::make_unique<TDataSource>(std::make_unique<TFileFolder>(archive));
        } catch (const std::exception&) {
            return 0;
        }
    } else {
        name = form == 0 ? "pic.png" : "pic.jpg";
        WriteFile(Folder() / name, data, size);
        source = std::make_unique<TDataSource>(Folder());
    }

    const bool loaded = engine.LoadSurfFromFileOrFileFolder(*source, name);
    const bool logged = !lines.empty() && lines.back() == "Error LoadSurfFromFile " + name;
    if (!loaded && !logged)
        __builtin_trap();  // skipped without saying so
    if (loaded) {
        // Whatever loaded must be a usable picture.
        engine.NewSurface("MemorySurface", 64, 48);
        // An opaque picture that overhangs its destination is refused with the engine's
        // own error (the copy draws nothing); only memory faults count here.
        try {
            engine.DrawWithAlphaChannel(name, "MemorySurface", -3, -2);
        } catch (const TQelException&) {
        }
        std::vector<uint8_t> png;
        engine.SaveSurfaceToPng(name, png);
    }
    return 0;
}
