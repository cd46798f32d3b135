// glimmora-tool ui: shows windows of an interface file with the real pictures and fonts
// and writes the 800 x 600 frame as PNG, so windows can be laid out without the game.
#include "tools/glimmora-tool/ToolCommand.h"

#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/Services.h"
#include "graphics/SurfEngine.h"
#include "interface/GameInterfaceHost.h"
#include "interface/QelInterfaceEngine.h"
#include "text/QelFontEngine.h"

#include <iostream>
#include <memory>
#include <set>

namespace {

constexpr const char* kFrame = "MemorySurface";
// The fonts the game loads at start-up, in its order; the viewer takes those it finds.
const char* const kFontFiles[] = {"QelUnicode.xml", "Artistik.xml", "ArtistikDigits.xml", "ComicSansMS_24.xml",
                                  "ComicSansMS_29.xml"};

// Pictures are loaded from the data the first time a widget asks for them; a missing one
// is reported once and then draws nothing.
class TOnDemandPictures {
public:
    TOnDemandPictures(TSurfEngine& surfaces, const TDataSource& data) : surfaces_(surfaces), data_(data) {}

    bool Load(const std::string& picture)
    {
        if (!tried_.insert(picture).second)
            return false;
        bool loaded = false;
        try {
            loaded = surfaces_.LoadSurfFromFileOrFileFolder(data_, picture);
        } catch (const std::exception& e) {
            std::cerr << "glimmora-tool: picture " << picture << ": " << e.what() << "\n";
            return false;
        }
        if (!loaded)
            std::cerr << "glimmora-tool: picture " << picture << " not found\n";
        return loaded;
    }

private:
    TSurfEngine& surfaces_;
    const TDataSource& data_;
    std::set<std::string> tried_;
};

// A grey checkerboard, so transparent parts of a window show.
void FillChecker(TSurfEngine& surfaces)
{
    TSurface* frame = surfaces.FindSurface(kFrame);
    if (!frame || !frame->HasPixels())
        return;
    const TPixelFormat& f = surfaces.Format();
    const uint32_t light = RgbToPixel(f, 204, 204, 204), dark = RgbToPixel(f, 170, 170, 170);
    for (int y = 0; y < frame->Height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(frame->Row(y));
        for (int x = 0; x < frame->Width; ++x)
            row[x] = ((x / 16 + y / 16) % 2) ? dark : light;
    }
}

std::vector<std::string> SplitNames(const std::string& list)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

int RunUi(const TToolCommand& self, const std::vector<std::string>& args)
{
    std::string file, show, dataFolder, archive, lng, out;
    for (size_t i = 0; i < args.size(); ++i) {
        auto value = [&](std::string& target) { return ToolNextValue(args, i, target); };
        bool ok = true;
        if (args[i] == "--show")
            ok = value(show);
        else if (args[i] == "--data")
            ok = value(dataFolder);
        else if (args[i] == "--archive")
            ok = value(archive);
        else if (args[i] == "--lng")
            ok = value(lng);
        else if (args[i] == "--out")
            ok = value(out);
        else if (args[i].starts_with("--") || !file.empty())
            ok = false;
        else
            file = args[i];
        if (!ok)
            return ToolUsage(self);
    }
    if (file.empty() || show.empty() || out.empty() || (!dataFolder.empty() && !archive.empty()))
        return ToolUsage(self);

    // Engine messages go to standard error as they happen.
    TSteadyClock clock;
    TQelLog log("", clock, false);
    log.Enabled = true;
    log.Listener = [](const std::string& line) { std::cerr << "log: " << line << "\n"; };
    SetEngineLog(&log);
    struct TUnset {
        ~TUnset() { SetEngineLog(nullptr); }
    } unset;

    std::string openError;
    std::unique_ptr<TDataSource> data = ToolOpenData(
        archive, dataFolder.empty() ? std::filesystem::path(file).parent_path() : std::filesystem::path(dataFolder),
        openError);
    if (!data)
        return ToolFail(openError);

    TSurfEngine surfaces(TDisplayFormat::Bgr32());
    if (!surfaces.NewSurface(kFrame, kScreenWidth, kScreenHeight))
        return ToolFail("no memory for the frame");
    FillChecker(surfaces);
    TOnDemandPictures pictures(surfaces, *data);
    TManualClock frameClock;
    TGameInterfaceHost host(surfaces, frameClock, nullptr, nullptr);
    host.LoadMissingPicture = [&](const std::string& picture) { return pictures.Load(picture); };

    TQelClassReg classes;
    RegisterFontClasses(classes);
    RegisterInterfaceClasses(classes);
    TQelFontEngine fonts(classes);
    TSurfFontHost fontHost(surfaces, fonts, kFrame);
    fonts.Host = &fontHost;
    for (const char* name : kFontFiles) {
        if (!data->Exists(name))
            continue;
        try {
            TQelFont* font = fonts.LoadFontFromData(*data, name);
            if (font && surfaces.IndexOfSurface(font->Picture) < 0)
                pictures.Load(font->Picture);
        } catch (const std::exception& e) {
            std::cerr << "glimmora-tool: font " << name << ": " << e.what() << "\n";
        }
    }
    TGameFontSource fontSource(fonts);

    TRecordingMessageBox boxes;
    TQelInterfaceEngine engine(classes);
    engine.Host = &host;
    engine.FontEngine = &fontSource;
    engine.InterfaceFolder = data.get();
    engine.MessageBox = &boxes;
    engine.LoadFromFile(file);
    if (!lng.empty())
        engine.LoadModificator(lng);
    for (const std::string& name : SplitNames(show)) {
        if (!dynamic_cast<TQelForm*>(engine.GetObjectByName(name)))
            return ToolFail("no window \"" + name + "\" in " + file);
        engine.ShowModal(name);
    }
    engine.Draw();

    std::vector<uint8_t> png;
    if (!surfaces.SaveSurfaceToPng(kFrame, png))
        return ToolFail("cannot encode the frame");
    return ToolWriteFile(out, png) ? 0 : 1;
}

}  // namespace

void AddUiCommands(std::vector<TToolCommand>& commands)
{
    commands.push_back({"ui", "FILE.li --show WINDOW[,WINDOW...] [--data DIR | --archive FILE] [--lng FILE] --out OUT.png",
                        "shows the windows of an interface file in order (pictures and fonts from the archive, the "
                        "data folder or the file's folder)\n      and writes the 800 x 600 frame as PNG",
                        RunUi});
}
