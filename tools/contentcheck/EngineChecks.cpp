// Engine files through the engine's loaders: effect files (read, their pictures loaded by
// the screen effect manager, started as the game starts them), anime files, fonts, the
// interface file and its translations (on a drawing host that loads every picture).
#include "tools/contentcheck/CheckContext.h"
#include "tools/contentcheck/LoaderChecks.h"

#include "effects/QelAnime.h"
#include "effects/QelFXParticles.h"
#include "effects/QelScreenEffects.h"
#include "foundation/Files.h"
#include "foundation/MemoryStream.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelLabel.h"
#include "text/QelFont.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>

namespace {

// The game clock starts at 10 s and a system's first burst waits until the clock has run
// one EmissionInterval from 0: a longer interval delays the first burst of effects that
// start early.
constexpr uint32_t kMaxEmissionInterval = 9000;  // ms

bool EndsWithNoCase(const std::string& name, std::string_view tail)
{
    return name.size() >= tail.size() && EqualsNoCase(std::string_view(name).substr(name.size() - tail.size()), tail);
}

bool HasLetters(std::string_view text)
{
    for (unsigned char ch : text)
        if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch >= 0x80)
            return true;
    return false;
}

bool StartsWithNoCase(const std::string& name, std::string_view head)
{
    return name.size() >= head.size() && EqualsNoCase(std::string_view(name).substr(0, head.size()), head);
}

// A drawing host that draws nothing and loads every picture a widget asks about; what the
// archive lacks is remembered.
class TCheckHost final : public IQelGraphic4 {
public:
    explicit TCheckHost(TCheckContext& context) : context_(context) {}
    void DrawQelInterfaceEffect(TQelParticleEffect*, int32_t, int32_t, const TRect*, uint8_t, int32_t, int32_t) override
    {
    }
    void Draw(const std::string& picture, const std::string&, TBlendingMode, int32_t, int32_t, uint8_t,
              const TRect*) override
    {
        Need(picture);
    }
    void DrawBumpMap(const std::string& picture, const std::string& bumpMap, int32_t, int32_t) override
    {
        Need(picture);
        Need(bumpMap);
    }
    void DrawRect(const std::string&, const TRect&, int32_t, uint8_t, bool) override {}
    void DrawLine(const std::string&, int32_t, int32_t, int32_t, int32_t, int32_t, uint8_t) override {}
    void ExtDraw(const std::string& picture, std::span<const TQelGlyphRect>) override { Need(picture); }
    void DrawColoredAlpha(const std::string& picture, const std::string&, int32_t, int32_t, int32_t, uint8_t) override
    {
        Need(picture);
    }
    TQelSize GetPictureSize(const std::string& picture) override
    {
        TQelSize size;
        if (Need(picture))
            context_.Surfaces.GetSurfaceSize(picture, size.Width, size.Height);
        return size;
    }
    TQelSize GetScreenSize() override { return {kScreenWidth, kScreenHeight}; }
    void PlaySound(const std::string&, int32_t) override {}

    bool Need(const std::string& picture)
    {
        if (picture.empty())
            return false;
        if (context_.LoadPicture(picture))
            return true;
        Missing.insert(picture);
        return false;
    }

    std::set<std::string> Missing;

private:
    TCheckContext& context_;
};

// The font engine's fonts as widgets see them; names no font has are remembered.
class TCheckFontSource final : public IQelFontSource {
public:
    explicit TCheckFontSource(TQelFontEngine& fonts) : fonts_(fonts) {}
    IQelTextFont* FindFont(const std::string& name) override
    {
        TQelFont* font = fonts_.GetFontByName(name);
        if (!font) {
            Missing.insert(name);
            return nullptr;
        }
        auto& adapter = adapters_[font];
        if (!adapter)
            adapter = std::make_unique<TAdapter>(*font);
        return adapter.get();
    }

    std::set<std::string> Missing;

private:
    class TAdapter final : public IQelTextFont {
    public:
        explicit TAdapter(TQelFont& font) : font_(font) {}
        int32_t Height() const override { return font_.Height; }
        int32_t GetTextWidth(std::u16string_view text) const override { return font_.GetTextWidth(text); }
        bool IsCharPresent(char16_t c) const override { return font_.IsCharPresent(c); }
        void DrawText(int32_t, int32_t, int32_t, uint8_t, std::u16string_view, int32_t) override {}

    private:
        TQelFont& font_;
    };

    TQelFontEngine& fonts_;
    std::map<const TQelFont*, std::unique_ptr<TAdapter>> adapters_;
};

// An interface engine as the game sets it up, on the checking host and the run's fonts.
struct TCheckInterface {
    explicit TCheckInterface(TCheckContext& context)
        : Host(context), Fonts(context.Fonts()), Engine(context.Classes())
    {
        Engine.Host = &Host;
        Engine.FontEngine = &Fonts;
        Engine.InterfaceFolder = &context.Source;
        Engine.MessageBox = &context.Boxes;
    }

    // Asks for every picture and font the loaded widgets name, so the misses are known.
    void Collect()
    {
        for (const std::string& picture : Engine.GetPicturesList())
            Host.Need(picture);
        for (const auto& object : Engine.Objects)
            if (const auto* label = dynamic_cast<const TQelLabel*>(object.get()))
                if (!label->FontName().empty())
                    Fonts.FindFont(label->FontName());
    }

    // What the widgets name and the archive or the fonts lack, apart from what was already
    // missing before (known) and pictures that lie beside the file (a translation's own).
    void ReportMissing(const TCheckedFile& file, TCheckReport& report, const TCheckInterface* known = nullptr)
    {
        Collect();
        const std::filesystem::path folder = std::filesystem::path(file.Path).parent_path();
        for (const std::string& picture : Host.Missing)
            if ((!known || !known->Host.Missing.count(picture)) &&
                (file.Path.empty() || !ResolveFileNoCase(folder.empty() ? "." : folder, picture)))
                report.Error(file.Name, "the picture \"" + picture + "\" is not in the archive or does not load");
        for (const std::string& font : Fonts.Missing)
            if (!known || !known->Fonts.Missing.count(font))
                report.Error(file.Name, "no font named \"" + font + "\" among the game's font files");
    }

    TCheckHost Host;
    TCheckFontSource Fonts;
    TQelInterfaceEngine Engine;
};

// The picture a system draws, unless a shader draws it.
bool DrawsResource(const TQelParticleSystem& system) { return !system.Resource.empty() && system.OutputMode != 2; }

}  // namespace

std::string FirstElementName(const std::vector<uint8_t>& bytes)
{
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        std::string_view rest = text.substr(at);
        if (rest.starts_with("<?") || rest.starts_with("<!--")) {
            size_t end = text.find(rest.starts_with("<?") ? "?>" : "-->", at);
            if (end == std::string_view::npos)
                return {};
            at = end;
            continue;
        }
        size_t end = rest.find_first_of(" \t\r\n/>", 1);
        return std::string(rest.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1));
    }
    return {};
}

void ReportLoaderLines(const TCheckedFile& file, const TCaptured& captured, TCheckReport& report)
{
    for (const std::string& line : captured.Lines)
        report.Error(file.Name, "the loader logged \"" + line + "\"");
    if (!captured.Escaped.empty())
        report.Error(file.Name, "the loader let an exception escape: " + captured.Escaped);
}

bool IsEffectFile(const TCheckedFile& file)
{
    // The game names its effects "ef..." ("efGoal.xml").
    return EndsWithNoCase(file.Name, ".xml") &&
           (file.Name.starts_with("ef") || FirstElementName(file.Bytes) == "ParticleEffect");
}

bool IsAnimeFile(const TCheckedFile& file)
{
    return EndsWithNoCase(file.Name, ".xml") &&
           (file.Context.AnimeFiles.count(AsciiLower(file.Name)) || StartsWithNoCase(file.Name, "anime_"));
}

bool IsLevelFile(const TCheckedFile& file)
{
    return EndsWithNoCase(file.Name, ".xml") &&
           (file.Context.LevelFiles.count(AsciiLower(file.Name)) || StartsWithNoCase(file.Name, "Level_") ||
            FirstElementName(file.Bytes) == "Level");
}

bool IsFontFile(const TCheckedFile& file)
{
    if (!EndsWithNoCase(file.Name, ".xml"))
        return false;
    std::string_view head = file.Text().substr(0, 400);
    return head.find("Metrics=\"") != std::string_view::npos;
}

void CheckEffect(const TCheckedFile& file, TCheckReport& report)
{
    TCheckContext& context = file.Context;
    TQelScreenEffectManager manager(context.Surfaces, file.Source, context.Clock, context.Random);
    manager.Log = &context.GameLog;
    auto effect = std::make_unique<TQelParticleEffect>();
    effect->SetName(file.Name);
    effect->Random = &context.Random;
    bool loaded = false;
    ReportLoaderLines(file, context.Capture([&] {
        TMemoryStream stream{std::vector<uint8_t>(file.Bytes)};
        try {
            effect->LoadFromStream(&stream);
        } catch (const EQelFXError& e) {
            report.Error(file.Name, e.what());
            return;
        }
        loaded = true;
        manager.LoadEffectResources(*effect);
        // As the manager starts a record: the start time, then the initial particles.
        effect->Start(static_cast<uint32_t>(context.Clock.NowMs()));
        effect->Validate();
    }),
                      report);
    if (!loaded)
        return;
    if (effect->SystemCount() == 0)
        report.Error(file.Name, "the effect has no particle systems");
    for (int i = 0; i < effect->SystemCount(); ++i) {
        const TQelParticleSystem& system = *effect->System(i);
        const std::string what = "system \"" + system.Name() + "\"";
        if (DrawsResource(system) && !context.LoadPicture(system.Resource))
            report.Error(file.Name, what + ": the picture \"" + system.Resource + "\" is not in the archive or does not load");
        if (system.EmissionInterval > kMaxEmissionInterval)
            report.Error(file.Name, what + ": EmissionInterval " + FormatFixed(system.EmissionInterval / 1000.0, 3) +
                                        " s is over 9 s; the first burst of an effect started early would wait");
    }
}

void CheckAnime(const TCheckedFile& file, TCheckReport& report)
{
    TCheckContext& context = file.Context;
    TAnime frames;
    ReportLoaderLines(file, context.Capture([&] { frames = LoadAnime(context.Surfaces, file.Source, file.Name, false); }),
                      report);
    if (frames.empty())
        report.Error(file.Name, "no frames (the loader reads each child of the first element as one)");
    for (size_t i = 0; i < frames.size(); ++i) {
        const std::string what = "frame " + std::to_string(i + 1);
        if (frames[i].Picture.empty())
            report.Error(file.Name, what + " names no picture (Pict)");
        else if (!context.LoadPicture(frames[i].Picture))
            report.Error(file.Name, what + ": the picture \"" + frames[i].Picture + "\" is not in the archive or does not load");
        if (frames[i].Time <= 0)
            report.Error(file.Name, what + " lasts " + std::to_string(frames[i].Time) + " ms");
    }
}

void CheckFont(const TCheckedFile& file, TCheckReport& report)
{
    TQelFontEngine engine(file.Context.Classes());
    bool made = false;
    std::string failure;
    TCaptured captured = file.Context.Capture([&] {
        TMemoryStream stream{std::vector<uint8_t>(file.Bytes)};
        try {
            made = engine.LoadFontFromStream(stream) != nullptr;
        } catch (const std::exception& e) {
            failure = e.what();
        }
    });
    ReportLoaderLines(file, captured, report);
    if (!failure.empty() && captured.Lines.empty())
        report.Error(file.Name, failure);
    else if (failure.empty() && !made)
        report.Error(file.Name, "the font engine made no font of it");
    // Then the glyph boxes against the picture, which the engine trusts.
    std::string why;
    if (!ParsesAsFont(file.Bytes, &file.Source, why))
        report.Error(file.Name, why);
}

void CheckInterfaceFile(const TCheckedFile& file, TCheckReport& report)
{
    TCheckInterface ui(file.Context);
    ReportLoaderLines(file, file.Context.Capture([&] {
        try {
            ui.Engine.LoadFromText(file.Text());
        } catch (const std::exception&) {
            // The chain is in the engine log.
        }
    }),
                      report);
    if (ui.Engine.Objects.empty())
        report.Error(file.Name, "the interface file makes no widgets");
    ui.ReportMissing(file, report);
}

void CheckTranslation(const TCheckedFile& file, TCheckReport& report)
{
    TCheckContext& context = file.Context;
    TCheckInterface ui(context);
    // The translation changes the widgets of the interface file; that file's own row
    // reports the file's problems, this one only what the translation adds.
    const bool withInterface = context.Source.Exists("Glimmora.li");
    TCheckInterface before(context);
    std::vector<std::string> captioned;  // widgets of the interface file with words on them
    if (withInterface)
        context.Capture([&] {
            ui.Engine.LoadFromSource(context.Source, "Glimmora.li");
            ui.Collect();
            for (const auto& object : ui.Engine.Objects)
                if (const auto* label = dynamic_cast<const TQelLabel*>(object.get());
                    label && HasLetters(Utf16ToUtf8(label->Caption())))
                    captioned.push_back(label->Name());
        });
    before.Host.Missing = ui.Host.Missing;
    before.Fonts.Missing = ui.Fonts.Missing;
    ReportLoaderLines(file, context.Capture([&] {
        try {
            ui.Engine.LoadModificatorFromText(file.Text());
        } catch (const std::exception&) {
            // The chain is in the engine log.
        }
    }),
                      report);

    TQelParser document;
    document.LoadFromText(file.Text());
    const TQelXMLTag* root = document.GetChildByName("QelModificator");
    if (!root) {
        report.Error(file.Name, "no QelModificator element: the translation changes nothing");
        return;
    }
    if (withInterface)
        for (const auto& o : root->Children) {
            std::string name;
            for (const auto& p : o->Children)
                if (p->AttributeValue("n") == "Name")
                    name = p->Text;
            if (!ui.Engine.GetObjectByName(name))
                report.Error(file.Name, "no widget \"" + name + "\" in Glimmora.li");
        }
    ui.ReportMissing(file, report, &before);
    if (!withInterface)
        return;

    std::set<std::string> translated;
    for (const auto& o : root->Children)
        for (const auto& p : o->Children)
            if (p->AttributeValue("n") == "Name")
                for (const auto& q : o->Children)
                    if (q->AttributeValue("n") == "Caption" || q->AttributeValue("n") == "FormatCaption")
                        translated.insert(Trim(p->Text));
    // A translation gives every caption again; files of level or scene texts carry others,
    // and the language buttons keep each language's own name.
    const std::string lower = AsciiLower(file.Name);
    if (lower.find("levels") == std::string::npos && lower.find("scn") == std::string::npos)
        for (const std::string& name : captioned)
            if (!translated.count(name) && !name.starts_with("WLanguage_RB"))
                report.Error(file.Name, "no caption for \"" + name + "\": it would stay in English");
    // Every letter of a translated caption must be in the widget's font, or it draws as
    // the font's first glyph.
    for (const std::string& name : translated) {
        const auto* label = dynamic_cast<const TQelLabel*>(ui.Engine.GetObjectByName(name));
        if (!label || label->FontName().empty())
            continue;
        const TQelFont* font = context.Fonts().GetFontByName(label->FontName());
        if (!font)
            continue;
        std::string lacking;
        for (char16_t ch : label->Caption())
            if (ch != u' ' && ch != u'\n' && ch != u'\r' && !font->IsCharPresent(ch) &&
                lacking.find(Utf16ToUtf8(std::u16string(1, ch))) == std::string::npos)
                lacking += Utf16ToUtf8(std::u16string(1, ch));
        if (!lacking.empty())
            report.Error(file.Name, "\"" + name + "\": the font " + label->FontName() + " has no glyph for \"" +
                                        lacking + "\"");
    }
}
