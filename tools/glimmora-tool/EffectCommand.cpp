// glimmora-tool effect: runs one effect file on the fixed clock, as the game's screen list
// would, and writes the 800 x 600 frame (or a contact sheet of frames) as PNG over a
// checkerboard, so effects can be authored without the game.
#include "tools/glimmora-tool/ToolCommand.h"

#include "tools/imageio/ImageIo.h"

#include "effects/QelScreenEffects.h"
#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "foundation/Text.h"
#include "graphics/SurfEngine.h"
#include "text/QelFontEngine.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

constexpr const char* kFrame = "MemorySurface";
constexpr int kWidth = 800, kHeight = 600;
constexpr int kSheetColumns = 4, kSheetScale = 4, kSheetGap = 4;  // thumbnails of 200 x 150
constexpr uint32_t kCosmeticSeed = 20260101;  // one fixed stream: every run draws the same frames
const char* const kFontFiles[] = {"QelUnicode.xml", "Artistik.xml", "ArtistikDigits.xml", "ComicSansMS_24.xml",
    "ComicSansMS_29.xml"};

struct TOptions {
    std::string File;
    std::string DataFolder;
    std::string Archive;
    int Frames = 30;
    int Step = 16;
    std::string Out;
    int Sheet = 0;
    int X = 0, Y = 0;
    std::string Picture, Text, Font = "QelUnicode", Script;
};

bool ParseOptions(const std::vector<std::string>& args, TOptions& o, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](std::string& target) { return ToolNextValue(args, i, target); };
        std::string v;
        bool ok = true;
        if (a == "--data")
            ok = next(o.DataFolder);
        else if (a == "--archive")
            ok = next(o.Archive);
        else if (a == "--out")
            ok = next(o.Out);
        else if (a == "--frames")
            ok = next(v) && ToolReadInt(v, o.Frames, 0, 1000000);
        else if (a == "--step")
            ok = next(v) && ToolReadInt(v, o.Step, 1, 1000000);
        else if (a == "--sheet")
            ok = next(v) && ToolReadInt(v, o.Sheet, 1, 1000000);
        else if (a == "--at") {
            ok = next(v);
            size_t comma = v.find(',');
            ok = ok && comma != std::string::npos && ToolReadInt(v.substr(0, comma), o.X, -100000, 1000000) &&
                ToolReadInt(v.substr(comma + 1), o.Y, -100000, 1000000);
        } else if (a == "--picture")
            ok = next(o.Picture);
        else if (a == "--text")
            ok = next(o.Text);
        else if (a == "--font")
            ok = next(o.Font);
        else if (a == "--script")
            ok = next(o.Script);
        else if (!a.empty() && a[0] != '-' && o.File.empty())
            o.File = a;
        else
            ok = false;
        if (!ok) {
            error = "bad argument \"" + a + "\"";
            return false;
        }
    }
    if (o.File.empty() || o.Out.empty()) {
        error = "an effect file and --out are needed";
        return false;
    }
    if (!o.DataFolder.empty() && !o.Archive.empty()) {
        error = "give --data or --archive, not both";
        return false;
    }
    return true;
}

void Checkerboard(TSurfEngine& surfaces)
{
    TSurface* s = surfaces.FindSurface(kFrame);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(s->Row(y));
        for (int x = 0; x < kWidth; ++x)
            row[x] = ((x / 16 + y / 16) % 2) ? 0x5C5660u : 0x46414Au;
    }
}

TRgbaImage Snapshot(const TSurfEngine& surfaces)
{
    const TSurface* s = surfaces.FindSurface(kFrame);
    TRgbaImage image(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* row = s->Row(y);
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* d = image.At(x, y);
            d[0] = row[x * 4 + 2];
            d[1] = row[x * 4 + 1];
            d[2] = row[x * 4 + 0];
            d[3] = 255;
        }
    }
    return image;
}

// Each frame shrunk by kSheetScale (box average), kSheetColumns to a row.
TRgbaImage ContactSheet(const std::vector<TRgbaImage>& frames)
{
    const int tw = kWidth / kSheetScale, th = kHeight / kSheetScale;
    const int columns = std::min<int>(kSheetColumns, static_cast<int>(frames.size()));
    const int rows = (static_cast<int>(frames.size()) + kSheetColumns - 1) / kSheetColumns;
    TRgbaImage sheet(columns * (tw + kSheetGap) + kSheetGap, rows * (th + kSheetGap) + kSheetGap);
    for (uint8_t* p = sheet.Pixels.data(); p < sheet.Pixels.data() + sheet.Pixels.size(); p += 4)
        p[0] = p[1] = p[2] = 24, p[3] = 255;
    for (size_t f = 0; f < frames.size(); ++f) {
        const int ox = kSheetGap + static_cast<int>(f % kSheetColumns) * (tw + kSheetGap);
        const int oy = kSheetGap + static_cast<int>(f / kSheetColumns) * (th + kSheetGap);
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x) {
                int sum[3] = {0, 0, 0};
                for (int sy = 0; sy < kSheetScale; ++sy)
                    for (int sx = 0; sx < kSheetScale; ++sx) {
                        const uint8_t* p = frames[f].At(x * kSheetScale + sx, y * kSheetScale + sy);
                        for (int c = 0; c < 3; ++c)
                            sum[c] += p[c];
                    }
                uint8_t* d = sheet.At(ox + x, oy + y);
                for (int c = 0; c < 3; ++c)
                    d[c] = static_cast<uint8_t>(sum[c] / (kSheetScale * kSheetScale));
            }
    }
    return sheet;
}

int RunEffect(const TToolCommand& self, const std::vector<std::string>& args)
{
    TOptions o;
    std::string error;
    if (!ParseOptions(args, o, error)) {
        ToolFail(error);
        return ToolUsage(self);
    }

    std::string openError;
    std::unique_ptr<TDataSource> data = ToolOpenData(o.Archive, o.DataFolder.empty() ? "." : o.DataFolder, openError);
    if (!data)
        return ToolFail(openError);

    TManualClock clock;
    TRandom cosmetic(kCosmeticSeed);
    TGameLog log({}, clock);
    log.Listener = [](const std::string& message, const std::string&) { std::cerr << message << "\n"; };
    TQelLog engineLog({}, clock, false);
    engineLog.Enabled = true;
    engineLog.Listener = [](const std::string& message) { std::cerr << message << "\n"; };
    SetEngineLog(&engineLog);
    struct TUnset {
        ~TUnset() { SetEngineLog(nullptr); }
    } unset;

    TSurfEngine surfaces(TDisplayFormat::Bgr32());
    surfaces.SetGameLog(&log);
    if (!surfaces.NewSurface(kFrame, kWidth, kHeight) || !surfaces.NewSurface(kEffectLayer, kWidth, kHeight))
        return ToolFail("no memory for the frame");
    surfaces.LoadAllShadersFromFolder(data.get());

    TQelClassReg classes;
    RegisterFontClasses(classes);
    TQelFontEngine fonts(classes);
    for (const char* file : kFontFiles)
        if (data->Exists(file)) {
            try {
                if (TQelFont* font = fonts.LoadFontFromData(*data, file); font && !font->Picture.empty())
                    surfaces.LoadSurfFromFileOrFileFolder(*data, font->Picture);
            } catch (const std::exception&) {
                // Reported through the engine log; text effects then lack that font.
            }
        }

    TQelScreenEffectManager fx(surfaces, *data, clock, cosmetic);
    fx.Fonts = &fonts;
    fx.Log = &log;
    TQelEffectParams params;
    params.File = o.File;
    params.X = o.X;
    params.Y = o.Y;
    params.Script = o.Script;
    params.Picture = o.Text.empty() ? o.Picture : o.Text;
    params.IsText = !o.Text.empty();
    params.FontName = o.Font;
    try {
        if (!fx.CreateQelEffectFromFile(fx.Main, o.File, params))
            return ToolFail("no effect file " + o.File);
    } catch (const std::exception& e) {
        return ToolFail(e.what());
    }

    std::vector<TRgbaImage> sheet;
    int endedAt = -1;
    auto draw = [&] {
        Checkerboard(surfaces);
        fx.DrawQelScreenEffects(kFrame, fx.Main);
        return Snapshot(surfaces);
    };
    for (int frame = 1; frame <= o.Frames; ++frame) {
        clock.Advance(o.Step);
        fx.TickEffectsTimer(clock.NowMs());
        if (endedAt < 0 && fx.Main.Count() == 0)
            endedAt = frame;
        if (o.Sheet > 0 && frame % o.Sheet == 0)
            sheet.push_back(draw());
    }
    if (o.Sheet > 0 && sheet.empty())
        return ToolFail("--sheet " + IntToStr(o.Sheet) + " takes no frame of " + IntToStr(o.Frames));
    TRgbaImage image = o.Sheet > 0 ? ContactSheet(sheet) : draw();
    if (!ToolWriteFile(o.Out, WritePngRgba(image)))
        return 1;

    int particles = 0;
    if (TPartEffect* r = fx.Main.At(0); r && r->Effect)
        particles = r->Effect->ParticleCount();
    std::cout << o.File << ": " << o.Frames << " frames of " << o.Step << " ms";
    if (endedAt >= 0)
        std::cout << ", finished at frame " << endedAt;
    else
        std::cout << ", " << particles << " particles";
    if (o.Sheet > 0)
        std::cout << "; sheet of frames " << o.Sheet << ", " << 2 * o.Sheet << ", ... (" << sheet.size() << ")";
    std::cout << " -> " << o.Out << "\n";
    return 0;
}

}  // namespace

void AddEffectCommands(std::vector<TToolCommand>& commands)
{
    commands.push_back({"effect",
        "NAME.xml [--data DIR | --archive FILE] --frames N --step MS --out OUT.png [--sheet K] [--at X,Y] "
        "[--picture P | --text T [--font F]] [--script S]",
        "Runs an effect file on the fixed clock and writes the 800 x 600 frame after N frames over a checkerboard,\n"
        "      or with --sheet a contact sheet of every K-th frame. --at, --picture, --text and --script give what\n"
        "      the game would pass (position, picture, text, the path script of \"FPath\").",
        RunEffect});
}
