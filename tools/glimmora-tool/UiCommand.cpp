// glimmora-tool ui: shows windows of an interface file with the real pictures and fonts
// and writes the 800 x 600 frame as PNG, so windows can be laid out without the game.
#include "tools/glimmora-tool/ToolCommand.h"

#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/Services.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "text/QelFontEngine.h"

#include <iostream>
#include <map>
#include <memory>
#include <set>

namespace {

constexpr const char* kFrame = "MemorySurface";
// The fonts the game loads at start-up, in its order; the viewer takes those it finds.
const char* const kFontFiles[] = {"QelUnicode.xml", "Artistik.xml", "ArtistikDigits.xml", "ComicSansMS_24.xml",
                                  "ComicSansMS_29.xml"};

// The drawing host on the surface engine: pictures are loaded from the data source the
// first time a widget asks for them.
class TSurfaceGraphic final : public IQelGraphic4 {
public:
    TSurfaceGraphic(TSurfEngine& surfaces, const TDataSource* data) : surfaces_(surfaces), data_(data) {}

    void DrawQelInterfaceEffect(TQelParticleEffect*, int32_t, int32_t, const TRect*, uint8_t, int32_t,
                                int32_t) override
    {
    }
    void Draw(const std::string& picture, const std::string&, TBlendingMode, int32_t x, int32_t y, uint8_t opacity,
              const TRect* source) override
    {
        if (opacity == 0 || !Ensure(picture))
            return;
        std::optional<TRect> part;
        if (source)
            part = TRect{source->Left, source->Top, source->Right - 1, source->Bottom - 1};
        surfaces_.DrawWithAlphaChannel(picture, kFrame, x, y, opacity, part);
    }
    void DrawBumpMap(const std::string&, const std::string&, int32_t, int32_t) override {}
    void DrawRect(const std::string&, const TRect& rect, int32_t colour, uint8_t opacity, bool fill) override
    {
        const auto c = static_cast<uint32_t>(colour);
        if (fill) {
            surfaces_.FillRectAlpha(kFrame, rect, opacity, c);
            return;
        }
        surfaces_.FillRectAlpha(kFrame, {rect.Left, rect.Top, rect.Right, rect.Top + 1}, opacity, c);
        surfaces_.FillRectAlpha(kFrame, {rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, opacity, c);
        surfaces_.FillRectAlpha(kFrame, {rect.Left, rect.Top + 1, rect.Left + 1, rect.Bottom - 1}, opacity, c);
        surfaces_.FillRectAlpha(kFrame, {rect.Right - 1, rect.Top + 1, rect.Right, rect.Bottom - 1}, opacity, c);
    }
    void DrawLine(const std::string&, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t colour,
                  uint8_t opacity) override
    {
        surfaces_.DrawWuLine(kFrame, static_cast<uint32_t>(colour), opacity, x1, y1, x2, y2);
    }
    void ExtDraw(const std::string& picture, std::span<const TQelGlyphRect> glyphs) override
    {
        std::vector<TCharsRect> list;
        for (const TQelGlyphRect& g : glyphs)
            list.push_back({{g.Source.Left, g.Source.Top, g.Source.Right - 1, g.Source.Bottom - 1},
                            g.X,
                            g.Y,
                            static_cast<uint32_t>(g.Colour),
                            g.Opacity});
        if (Ensure(picture))
            surfaces_.DrawCharList(picture, kFrame, static_cast<int>(list.size()), list);
    }
    void DrawColoredAlpha(const std::string& picture, const std::string&, int32_t x, int32_t y, int32_t colour,
                          uint8_t opacity) override
    {
        if (Ensure(picture))
            surfaces_.DrawWithAlphaChannel(picture, kFrame, x, y, opacity, std::nullopt, static_cast<uint32_t>(colour),
                                           1);
    }
    TQelSize GetPictureSize(const std::string& picture) override
    {
        TQelSize size;
        if (Ensure(picture))
            surfaces_.GetSurfaceSize(picture, size.Width, size.Height);
        return size;
    }
    TQelSize GetScreenSize() override { return {surfaces_.ScreenWidth(), surfaces_.ScreenHeight()}; }
    void PlaySound(const std::string&, int32_t) override {}

    // Loads the picture once; a missing one is reported once and then draws nothing.
    bool Ensure(const std::string& picture)
    {
        if (picture.empty())
            return false;
        if (surfaces_.IndexOfSurface(picture) >= 0)
            return true;
        if (!tried_.insert(picture).second)
            return false;
        bool loaded = false;
        try {
            loaded = data_ && surfaces_.LoadSurfFromFileOrFileFolder(*data_, picture);
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
    const TDataSource* data_;
    std::set<std::string> tried_;
};

// The font engine's fonts as the widgets use them.
class TFontAdapter final : public IQelTextFont {
public:
    explicit TFontAdapter(TQelFont& font) : font_(font) {}
    int32_t Height() const override { return font_.Height; }
    int32_t GetTextWidth(std::u16string_view text) const override { return font_.GetTextWidth(text); }
    bool IsCharPresent(char16_t c) const override { return font_.IsCharPresent(c); }
    void DrawText(int32_t x, int32_t y, int32_t colour, uint8_t opacity, std::u16string_view text,
                  int32_t maxWidth) override
    {
        font_.DrawText(x, y, static_cast<uint32_t>(colour), opacity, text, maxWidth);
    }

private:
    TQelFont& font_;
};

class TFontSource final : public IQelFontSource {
public:
    explicit TFontSource(TQelFontEngine& fonts) : fonts_(fonts) {}
    IQelTextFont* FindFont(const std::string& name) override
    {
        TQelFont* font = fonts_.GetFontByName(name);
        if (!font)
            return nullptr;
        auto& adapter = adapters_[font];
        if (!adapter)
            adapter = std::make_unique<TFontAdapter>(*font);
        return adapter.get();
    }

private:
    TQelFontEngine& fonts_;
    std::map<const TQelFont*, std::unique_ptr<TFontAdapter>> adapters_;
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
    TSurfaceGraphic host(surfaces, data.get());

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
            if (font)
                host.Ensure(font->Picture);
        } catch (const std::exception& e) {
            std::cerr << "glimmora-tool: font " << name << ": " << e.what() << "\n";
        }
    }
    TFontSource fontSource(fonts);

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
