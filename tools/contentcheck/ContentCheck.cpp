// The content check rows, the run over an archive, the checkers of the sound tables and of
// the game parameters, and the stand-in checkers of the files the game reads without a loader
// of its own here (the preload list, the options).
#include "tools/contentcheck/ContentCheck.h"

#include "tools/contentcheck/CheckContext.h"
#include "tools/contentcheck/LoaderChecks.h"

#include "audio/MusicPatterns.h"
#include "audio/SoundEventTable.h"
#include "audio/SoundList.h"
#include "gameplay/GameParams.h"
#include "graphics/ImageCodec.h"

#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"

#include <filesystem>
#include <set>
#include <sstream>

namespace {

bool EndsWithNoCase(const std::string& name, std::string_view tail)
{
    return name.size() >= tail.size() && EqualsNoCase(std::string_view(name).substr(name.size() - tail.size()), tail);
}

using TMatch = std::function<bool(const TCheckedFile&)>;

TMatch Named(std::string wanted)
{
    return [wanted](const TCheckedFile& file) { return EqualsNoCase(file.Name, wanted); };
}

TMatch Ending(std::vector<std::string> tails)
{
    return [tails](const TCheckedFile& file) {
        for (const std::string& t : tails)
            if (EndsWithNoCase(file.Name, t))
                return true;
        return false;
    };
}

// Reads a document strictly: it must parse to at least one element, without the
// constructs the game's reader does not understand.
TQelXMLTag* ReadXml(const TCheckedFile& file, TQelParser& doc, TCheckReport& report)
{
    std::string text(file.Bytes.begin(), file.Bytes.end());
    if (text.find("&#") != std::string::npos)
        report.Error(file.Name, "numeric character references (&#...;) are not decoded by the game; write UTF-8");
    if (text.find("<![CDATA[") != std::string::npos || text.find("<!DOCTYPE") != std::string::npos)
        report.Error(file.Name, "CDATA and DOCTYPE are not part of the game's XML");
    doc.LoadFromText(text);
    if (!doc.LastError.empty())
        report.Error(file.Name, "XML: " + doc.LastError);
    if (doc.ChildCount() == 0) {
        report.Error(file.Name, "XML file does not has tags!");
        return nullptr;
    }
    return doc.GetChild(0);
}

// Depth-first search for the first element of that name.
const TQelXMLTag* FindDeep(const TQelXMLTag* tag, std::string_view name)
{
    if (tag->Name == name)
        return tag;
    for (const auto& child : tag->Children)
        if (const TQelXMLTag* found = FindDeep(child.get(), name))
            return found;
    return nullptr;
}

void CheckXmlOnly(const TCheckedFile& file, TCheckReport& report)
{
    TQelParser doc;
    ReadXml(file, doc, report);
}

// The game's own decoders, chosen by the name as the surface engine chooses them.
void CheckPicture(const TCheckedFile& file, TCheckReport& report)
{
    const bool jpeg = EndsWithNoCase(file.Name, ".jpg") || EndsWithNoCase(file.Name, "._jpg") ||
                      EndsWithNoCase(file.Name, ".jpeg");
    try {
        TDecodedImage image = jpeg ? DecodeJpeg(std::span<const uint8_t>(file.Bytes)) : DecodePng(std::span<const uint8_t>(file.Bytes));
        if (image.Width <= 0 || image.Height <= 0)
            report.Error(file.Name, "the picture is empty");
    } catch (const EImageError& e) {
        report.Error(file.Name, e.what());
    }
}

void CheckSample(const TCheckedFile& file, TCheckReport& report)
{
    std::string why;
    bool ok = EndsWithNoCase(file.Name, ".ogg") ? DecodesAsOgg(file.Bytes, why) : DecodesAsWav(file.Bytes, why);
    if (!ok)
        report.Error(file.Name, why);
    if (!file.Name.ends_with(".ogg") && !file.Name.ends_with(".wav"))
        report.Error(file.Name, "the game loads samples only when the name ends in lower-case \"ogg\" or \"wav\"");
}

void CheckModule(const TCheckedFile& file, TCheckReport& report)
{
    std::string why;
    int orders = 0;
    if (!OpensAsModule(file.Bytes, why, &orders))
        report.Error(file.Name, why);
}

void CheckSoundEvents(const TCheckedFile& file, TCheckReport& report)
{
    TSoundEventTable table;
    ReportLoaderLines(file, file.Context.Capture([&] { table.LoadSoundsEventsText(file.Text()); }), report);
    TQelParser doc;
    if (!table.Loaded() || !ReadXml(file, doc, report))
        return;
    for (const std::string& event : FixedSoundEvents()) {
        const TQelXMLTag* tag = FindDeep(&doc, event);
        if (!tag) {
            report.Error(file.Name, "no element for the sound event \"" + event + "\"");
            continue;
        }
        const std::string sound = table.GetEventSoundName(event);
        if (sound.empty() || !file.Source.Exists(sound))
            report.Error(file.Name, event + ": the sound \"" + sound + "\" is not in the archive");
        struct TRange {
            const char* Name;
            int Low, High;
        };
        for (TRange r : {TRange{"Volume", 0, 100}, TRange{"Pan", -100, 100}, TRange{"ChangeMusicPercent", 0, 100},
                         TRange{"ChangeMusicDuration", 0, 60000}}) {
            const TQelParserAttribute* a = tag->GetAttributeByName(r.Name);
            if (!a)
                continue;
            auto v = StrictInt(a->Value);
            if (!v || *v < r.Low || *v > r.High)
                report.Error(file.Name, event + ": " + r.Name + "=\"" + a->Value + "\" is not an integer " +
                                            std::to_string(r.Low) + ".." + std::to_string(r.High));
        }
    }
}

bool ValidPatternSpec(const std::string& pattern)
{
    std::string s(Trim(pattern));
    if (s.empty())
        return true;
    if (s.back() == '%')
        return StrictInt(s.substr(0, s.size() - 1)).has_value();
    size_t comma = s.find(',');
    if (comma == std::string::npos)
        return StrictInt(s).has_value();
    auto a = StrictInt(s.substr(0, comma)), b = StrictInt(s.substr(comma + 1));
    return a && b && *a <= *b;
}

void CheckMusicPattern(const TCheckedFile& file, TCheckReport& report)
{
    TMusicPatternTable table;
    ReportLoaderLines(file, file.Context.Capture([&] { table.LoadMusicPatternText(file.Text(), file.Context.GameLog); }),
                      report);
    std::set<std::string> ids;
    for (const TMusicPatterns& entry : table.Items) {
        if (entry.ID.empty())
            report.Error(file.Name, "an entry without ID");
        else if (!ids.insert(entry.ID).second)
            report.Error(file.Name, "the ID \"" + entry.ID + "\" is given twice (the first one wins)");
        if (!IsModuleName(entry.Name) || !file.Source.Exists(entry.Name))
            report.Error(file.Name, "the module \"" + entry.Name + "\" of ID \"" + entry.ID + "\" is not in the archive");
        for (const auto* inserts : {&entry.Negative, &entry.Positive})
            for (const TMusicInsert& insert : *inserts)
                if (!file.Source.Exists(insert.File))
                    report.Error(file.Name, "the insert \"" + insert.File + "\" of ID \"" + entry.ID + "\" is not in the archive");
    }
}

// The value of an entry as the game reads it: the attribute, or a child element's text.
std::string EntryValue(const TQelXMLTag& tag, std::string_view name)
{
    if (const TQelParserAttribute* attribute = tag.GetAttributeByName(name))
        return attribute->Value;
    const TQelXMLTag* child = tag.GetChildByName(name);
    return child ? child->Text : std::string();
}

void CheckGameParams(const TCheckedFile& file, TCheckReport& report)
{
    const std::string text = GameParamsText(file.Bytes);
    TGameParams params;
    const TCaptured captured =
        file.Context.Capture([&] { params = ReadGameParamsText(text, file.Name, file.Context.GameLog); });
    ReportLoaderLines(file, captured, report);
    if (!captured.Lines.empty() || !captured.Escaped.empty()) {
        TMemoryStream raw{std::vector<uint8_t>(file.Bytes)};
        if (!IsPlainText(raw) && TrimView(file.Text()).substr(0, 1) == "<")
            report.Error(file.Name, "a plain file needs CR LF line ends; the game takes this one for scrambled");
        return;
    }

    // What the game reads without a word but plays wrongly: silent screens, missing modules,
    // numbers it reads as 0 or cuts short.
    const std::vector<uint8_t> plain(text.begin(), text.end());
    TQelParser doc;
    const TQelXMLTag* root = ReadXml(TCheckedFile{file.Name, plain, file.Source, file.Context, file.Path}, doc, report);
    if (!root)
        return;
    const std::pair<const char*, const TScreenMusic*> musics[] = {
        {"MusicInTitle", &params.MusicInTitle}, {"MusicInMap", &params.MusicInMap}, {"MusicInCatalog", &params.MusicInCatalog}};
    for (const auto& [name, music] : musics) {
        if (music->Music.empty()) {
            report.Error(file.Name, std::string("no ") + name + ": that screen stays silent");
            continue;
        }
        if (!file.Source.Exists(music->Music))
            report.Error(file.Name, std::string(name) + ": the module \"" + music->Music + "\" is not in the archive");
        if (!ValidPatternSpec(music->StartPattern))
            report.Error(file.Name, std::string(name) + ": StartPattern is not n, a,b or p%");
    }
    for (const char* number : {"ParamReverceLenta", "ParamPauseLenta", "HintButtonDuration", "TimeShowMoneyBag"}) {
        const TQelXMLTag* tag = root->GetChildByName(number);
        if (tag && !StrictInt(tag->Text))
            report.Error(file.Name, std::string(number) + " is not an integer");
    }
    for (const char* list : {"SpeedIntervals", "SpeedIntervalsAfterGoal"})
        if (const TQelXMLTag* tag = root->GetChildByName(list))
            for (const auto& item : tag->Children)
                if (!StrictInt(EntryValue(*item, "Value")) || !StrictReal(EntryValue(*item, "KoeffSpeed")))
                    report.Error(file.Name, std::string(list) + ": every entry needs Value (integer) and KoeffSpeed (real)");
    if (const TQelXMLTag* timers = root->GetChildByName("BonusTimers")) {
        for (const auto& a : timers->Attributes)
            if (!StrictReal(a->Value))
                report.Error(file.Name, "BonusTimers " + a->Name + " is not a real");
        for (const auto& child : timers->Children)
            if (!StrictReal(child->Text))
                report.Error(file.Name, "BonusTimers " + child->Name + " is not a real");
    }
}

void CheckSurfaceList(const TCheckedFile& file, TCheckReport& report)
{
    std::string text(file.Bytes.begin(), file.Bytes.end());
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        std::string name(Trim(line));
        if (name.empty())
            continue;
        ++count;
        if (count == 1 && name != "Cursor.png")
            report.Error(file.Name, "Cursor.png should come first: the progress screen waits for it");
        if (!file.Source.Exists(name))
            report.Error(file.Name, "the picture \"" + name + "\" is not in the archive");
    }
    if (count == 0)
        report.Error(file.Name, "the list is empty");
}

void CheckOptions(const TCheckedFile& file, TCheckReport& report)
{
    std::string text(file.Bytes.begin(), file.Bytes.end());
    if (text.find("[Options]") == std::string::npos)
        report.Error(file.Name, "no [Options] section");
    if (text.find("Version=1.38") == std::string::npos)
        report.Error(file.Name, "Version must be 1.38, or the game replaces the file");
}

}  // namespace

const std::vector<std::string>& FixedSoundEvents()
{
    static const std::vector<std::string> events = {
        "Click",       "StartGoal",    "SelectDress",     "BonusPlus1",      "NewPerson",         "MoneyBag",
        "ClickOnMoneyBag", "InsertDress", "FullDress",    "GBonusGreat",     "GBonusExcellent",   "GBonusIncredible",
        "BonusReverce", "BonusPause",  "BonusTransform",  "DropInLuk",       "Goal",              "ExGoal",
        "AlertTime",   "ScoreCounting", "CountingDown",   "GameOver",        "Swap",              "Error",
        "Fall",        "Mach3_Excellent", "Mach3_Great",  "Mach3_Basic",     "DressFound",        "PixelDressComplete",
        "UnlockItem",  "BuyItem",      "NewElement",      "BoxOpen"};
    return events;
}

const std::vector<TCheckRow>& CheckRows()
{
    // Each row names who checks its files: the game's loader, run strictly (every line it
    // logs is an error), or a stand-in for a loader that is not built yet.
    static const std::vector<TCheckRow> rows = {
        {"sound events", Named("Sounds.xml"), CheckSoundEvents, "game: audio/SoundEventTable LoadSoundsEventsText"},
        {"music table", Named("MusicPattern.xml"), CheckMusicPattern, "game: audio/MusicPatterns LoadMusicPatternText"},
        {"game parameters", Named("GameParams.xml"), CheckGameParams,
         "game: gameplay/GameParams GameParamsText, ReadGameParamsText; then modules, patterns, number forms"},
        {"preload list", Named("surfaces.dat"), CheckSurfaceList, "stand-in: every line names a picture"},
        {"options", Named("options.cfg"), CheckOptions, "stand-in: section and version"},
        {"piece types", Named("FishkaTypes.xml"), CheckPieceTypes, "game: gameplay/FishkaType LoadFishkaTypesText"},
        {"customers", Named("Mans.xml"), CheckCustomers, "game: gameplay/ManTypes TManTypeTable::LoadMansText"},
        {"shop", Named("Shop.xml"), CheckShop, "game: metagame/Shop LoadShopText"},
        {"episodes", Named("Episods.xml"), CheckEpisodes,
         "game: metagame/Episods LoadEpisodsText on the piece type, customer and music tables and the shop"},
        {"interface file", Ending({".li"}), CheckInterfaceFile,
         "game: interface/QelInterfaceEngine LoadFromText with the fonts and pictures"},
        {"translations", Ending({"lng"}), CheckTranslation,
         "game: interface/QelInterfaceEngine LoadModificatorFromText after Glimmora.li"},
        {"font files", IsFontFile, CheckFont, "game: text/QelFontEngine LoadFontFromStream, then glyph boxes"},
        {"effect files", IsEffectFile, CheckEffect,
         "game: effects/QelFXParticles LoadFromStream, QelScreenEffects LoadEffectResources, Start, Validate"},
        {"anime files", IsAnimeFile, CheckAnime, "game: effects/QelAnime LoadAnime"},
        {"dialog scripts", IsDialogScript, CheckDialogScript,
         "game: metagame/DialogScript ReadDialogScript, strict; then pictures, effects, sounds, widgets"},
        {"level files", IsLevelFile, CheckLevel, "game: gameplay/LevelFile LoadLevelText on the piece type table"},
        {"pictures", Ending({".png", ".jpg", "._png", "._jpg", ".jpeg"}), CheckPicture, "game: graphics/ImageCodec DecodePng, DecodeJpeg"},
        {"samples", Ending({".ogg", ".wav"}), CheckSample, "stand-in: libvorbisfile / RIFF PCM"},
        {"music modules", Ending({".xm", ".it", ".mo3", ".mod", ".s3m"}), CheckModule, "stand-in: libopenmpt"},
        {"XML data", Ending({".xml"}), CheckXmlOnly, "stand-in: the game's XML reader"},
    };
    return rows;
}

TCheckReport CheckContent(const TDataSource& source, const std::vector<std::string>& extraFiles)
{
    TCheckReport report;
    TCheckContext context(source);
    auto checkOne = [&](const std::string& name, const std::vector<uint8_t>& bytes, const std::string& shown) {
        const TCheckedFile file{name, bytes, source, context, shown == name ? std::string() : shown};
        for (const TCheckRow& row : CheckRows())
            if (row.Matches(file)) {
                TCheckReport one;
                row.Check(file, one);
                for (std::string& e : one.Errors)
                    report.Errors.push_back(shown == name ? e : shown + " (" + e + ")");
                report.Notes.push_back(shown + "\t" + row.What);
                return;
            }
        report.Notes.push_back(shown + "\tno check for this kind of file");
    };
    for (const std::string& name : source.Names()) {
        std::string why;
        auto bytes = source.Read(name, &why);
        if (!bytes) {
            report.Error(name, "cannot be read: " + why);
            continue;
        }
        checkOne(name, *bytes, name);
    }
    for (const std::string& path : extraFiles) {
        std::string why;
        auto bytes = ReadFileBytes(path, &why);
        if (!bytes) {
            report.Error(path, why);
            continue;
        }
        checkOne(std::filesystem::path(path).filename().string(), *bytes, path);
    }
    return report;
}

