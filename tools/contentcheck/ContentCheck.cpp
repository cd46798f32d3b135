// The content check rows and the stand-in checkers used until the game's loaders exist.
#include "tools/contentcheck/ContentCheck.h"

#include "tools/imageio/ImageIo.h"

#include "graphics/ImageCodec.h"
#include "text/QelFontEngine.h"

#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"

#include <libopenmpt/libopenmpt.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>

namespace {

bool EndsWithNoCase(const std::string& name, std::string_view tail)
{
    return name.size() >= tail.size() && EqualsNoCase(std::string_view(name).substr(name.size() - tail.size()), tail);
}

std::function<bool(const std::string&, const std::vector<uint8_t>&)> Named(std::string wanted)
{
    return [wanted](const std::string& name, const std::vector<uint8_t>&) { return EqualsNoCase(name, wanted); };
}

std::function<bool(const std::string&, const std::vector<uint8_t>&)> Ending(std::vector<std::string> tails)
{
    return [tails](const std::string& name, const std::vector<uint8_t>&) {
        for (const std::string& t : tails)
            if (EndsWithNoCase(name, t))
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

// The game's font loader first, then the stricter checks of glyph boxes and the picture.
void CheckFont(const TCheckedFile& file, TCheckReport& report)
{
    TQelClassReg classes;
    RegisterFontClasses(classes);
    TQelFontEngine engine(classes);
    TMemoryStream stream{std::vector<uint8_t>(file.Bytes)};
    try {
        if (!engine.LoadFontFromStream(stream))
            report.Error(file.Name, "the font engine made no font of it");
    } catch (const std::exception& e) {
        report.Error(file.Name, e.what());
    }
    std::string why;
    if (!ParsesAsFont(file.Bytes, &file.Source, why))
        report.Error(file.Name, why);
}

void CheckSoundEvents(const TCheckedFile& file, TCheckReport& report)
{
    TQelParser doc;
    if (!ReadXml(file, doc, report))
        return;
    for (const std::string& event : FixedSoundEvents()) {
        const TQelXMLTag* tag = FindDeep(&doc, event);
        if (!tag) {
            report.Error(file.Name, "no element for the sound event \"" + event + "\"");
            continue;
        }
        std::string sound(Trim(tag->Text));
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
    TQelParser doc;
    if (!ReadXml(file, doc, report))
        return;
    const TQelXMLTag* root = FindDeep(&doc, "MusicPattern");
    if (!root) {
        report.Error(file.Name, "no MusicPattern element");
        return;
    }
    std::set<std::string> ids;
    for (const auto& entry : root->Children) {
        std::string name = entry->AttributeValue("Name"), id = entry->AttributeValue("ID");
        if (id.empty())
            report.Error(file.Name, "an entry without ID");
        else if (!ids.insert(id).second)
            report.Error(file.Name, "the ID \"" + id + "\" is given twice (the first one wins)");
        if (!file.Source.Exists(name))
            report.Error(file.Name, "the module \"" + name + "\" of ID \"" + id + "\" is not in the archive");
    }
}

void CheckGameParams(const TCheckedFile& file, TCheckReport& report)
{
    TMemoryStream loaded{std::vector<uint8_t>(file.Bytes)};
    std::vector<uint8_t> plain = file.Bytes;
    if (!IsPlainText(loaded)) {
        TMemoryStream work;
        ScrambleStream(loaded, work, kDataKey);
        plain = work.Bytes();
    }
    TCheckedFile decoded{file.Name, plain, file.Source};
    TQelParser doc;
    const TQelXMLTag* root = ReadXml(decoded, doc, report);
    if (!root)
        return;
    if (root->Name != "GamePlayParams") {
        report.Error(file.Name, "the first element must be GamePlayParams (a plain file needs CR LF line ends)");
        return;
    }
    for (const char* music : {"MusicInTitle", "MusicInMap", "MusicInCatalog"}) {
        const TQelXMLTag* tag = root->GetChildByName(music);
        if (!tag) {
            report.Error(file.Name, std::string("no ") + music + ": that screen stays silent");
            continue;
        }
        std::string module(Trim(tag->Text));
        if (!file.Source.Exists(module))
            report.Error(file.Name, std::string(music) + ": the module \"" + module + "\" is not in the archive");
        if (!ValidPatternSpec(tag->AttributeValue("StartPattern")))
            report.Error(file.Name, std::string(music) + ": StartPattern is not n, a,b or p%");
    }
    for (const char* number : {"ParamReverceLenta", "ParamPauseLenta", "HintButtonDuration", "TimeShowMoneyBag"}) {
        const TQelXMLTag* tag = root->GetChildByName(number);
        if (tag && !StrictInt(tag->Text))
            report.Error(file.Name, std::string(number) + " is not an integer");
    }
    for (const char* list : {"SpeedIntervals", "SpeedIntervalsAfterGoal"})
        if (const TQelXMLTag* tag = root->GetChildByName(list))
            for (const auto& item : tag->Children)
                if (!StrictInt(item->AttributeValue("Value")) || !StrictReal(item->AttributeValue("KoeffSpeed")))
                    report.Error(file.Name, std::string(list) + ": every entry needs Value (integer) and KoeffSpeed (real)");
    if (const TQelXMLTag* timers = root->GetChildByName("BonusTimers"))
        for (const auto& a : timers->Attributes)
            if (!StrictReal(a->Value))
                report.Error(file.Name, "BonusTimers " + a->Name + " is not a real");
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

bool IsFontDocument(const std::vector<uint8_t>& bytes)
{
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), std::min<size_t>(bytes.size(), 400));
    return text.find("Metrics=\"") != std::string_view::npos;
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
    // Each row names who checks its files today. When a game loader lands, its row calls it
    // (in strict mode, collecting the error lines it writes) instead of the stand-in.
    static const std::vector<TCheckRow> rows = {
        {"sound events", Named("Sounds.xml"), CheckSoundEvents, "stand-in: XML + event names + files"},
        {"music table", Named("MusicPattern.xml"), CheckMusicPattern, "stand-in: XML + module names"},
        {"game parameters", Named("GameParams.xml"), CheckGameParams, "stand-in: plain/scrambled XML + values"},
        {"preload list", Named("surfaces.dat"), CheckSurfaceList, "stand-in: every line names a picture"},
        {"options", Named("options.cfg"), CheckOptions, "stand-in: section and version"},
        {"font files", [](const std::string& name, const std::vector<uint8_t>& bytes) {
             return EndsWithNoCase(name, ".xml") && IsFontDocument(bytes);
         },
         CheckFont, "game: text/QelFontEngine LoadFontFromStream, then glyph boxes"},
        {"pictures", Ending({".png", ".jpg", "._png", "._jpg", ".jpeg"}), CheckPicture, "game: graphics/ImageCodec DecodePng, DecodeJpeg"},
        {"samples", Ending({".ogg", ".wav"}), CheckSample, "stand-in: libvorbisfile / RIFF PCM"},
        {"music modules", Ending({".xm", ".it", ".mo3", ".mod", ".s3m"}), CheckModule, "stand-in: libopenmpt"},
        {"XML data", Ending({".xml", ".li", ".lng"}), CheckXmlOnly, "stand-in: the game's XML reader"},
    };
    return rows;
}

TCheckReport CheckContent(const TDataSource& source, const std::vector<std::string>& extraFiles)
{
    TCheckReport report;
    auto checkOne = [&](const std::string& name, const std::vector<uint8_t>& bytes, const std::string& shown) {
        for (const TCheckRow& row : CheckRows())
            if (row.Matches(name, bytes)) {
                TCheckReport one;
                row.Check(TCheckedFile{name, bytes, source}, one);
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

bool DecodesAsPicture(const std::vector<uint8_t>& bytes, std::string& why)
{
    try {
        TDecodedImage image = IsPng(bytes) ? DecodePng(std::span<const uint8_t>(bytes)) : DecodeJpeg(std::span<const uint8_t>(bytes));
        return image.Width > 0 && image.Height > 0;
    } catch (const EImageError& e) {
        why = e.what();
        return false;
    }
}

namespace {

struct TOggMemory {
    const std::vector<uint8_t>* Bytes;
    size_t Pos = 0;
};

size_t OggRead(void* out, size_t size, size_t count, void* source)
{
    auto* m = static_cast<TOggMemory*>(source);
    size_t n = std::min(size * count, m->Bytes->size() - m->Pos);
    std::memcpy(out, m->Bytes->data() + m->Pos, n);
    m->Pos += n;
    return size ? n / size : 0;
}

int OggSeek(void* source, ogg_int64_t offset, int whence)
{
    auto* m = static_cast<TOggMemory*>(source);
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? int64_t(m->Pos) : int64_t(m->Bytes->size());
    int64_t pos = base + offset;
    if (pos < 0 || pos > int64_t(m->Bytes->size()))
        return -1;
    m->Pos = size_t(pos);
    return 0;
}

long OggTell(void* source) { return long(static_cast<TOggMemory*>(source)->Pos); }

}  // namespace

bool DecodesAsOgg(const std::vector<uint8_t>& bytes, std::string& why, double* seconds)
{
    TOggMemory memory{&bytes};
    OggVorbis_File file;
    ov_callbacks callbacks{OggRead, OggSeek, nullptr, OggTell};
    if (ov_open_callbacks(&memory, &file, nullptr, 0, callbacks) != 0) {
        why = "not an Ogg Vorbis stream";
        return false;
    }
    char buffer[8192];
    int section = 0;
    long total = 0, got = 0;
    while ((got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0)
        total += got;
    const vorbis_info* info = ov_info(&file, -1);
    const int channels = info ? info->channels : 1, rate = info ? int(info->rate) : 44100;
    ov_clear(&file);
    if (got < 0) {
        why = "damaged Ogg Vorbis data";
        return false;
    }
    if (total == 0) {
        why = "the sample holds no sound";
        return false;
    }
    if (seconds)
        *seconds = double(total) / 2 / channels / rate;
    return true;
}

bool DecodesAsWav(const std::vector<uint8_t>& bytes, std::string& why, double* seconds)
{
    auto u32 = [&](size_t at) {
        return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
               uint32_t(bytes[at + 3]) << 24;
    };
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        why = "not a RIFF WAVE file";
        return false;
    }
    uint32_t byteRate = 0;
    bool pcm = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        uint32_t size = u32(at + 4);
        if (size > bytes.size() - at - 8) {
            why = "a chunk runs past the end of the file";
            return false;
        }
        if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && size >= 16) {
            pcm = (bytes[at + 8] | bytes[at + 9] << 8) == 1;
            byteRate = u32(at + 16);
        } else if (std::memcmp(bytes.data() + at, "data", 4) == 0) {
            if (!pcm || byteRate == 0) {
                why = "only PCM samples are supported";
                return false;
            }
            if (size == 0) {
                why = "the sample holds no sound";
                return false;
            }
            if (seconds)
                *seconds = double(size) / byteRate;
            return true;
        }
        at += 8 + size + (size & 1);
    }
    why = "no data chunk";
    return false;
}

bool OpensAsModule(const std::vector<uint8_t>& bytes, std::string& why, int* orders, double* seconds)
{
    int error = 0;
    const char* message = nullptr;
    openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                                nullptr, &error, &message, nullptr);
    if (!module) {
        why = std::string("libopenmpt cannot open it") + (message ? std::string(": ") + message : "");
        openmpt_free_string(message);
        return false;
    }
    openmpt_free_string(message);
    const int count = openmpt_module_get_num_orders(module);
    const double duration = openmpt_module_get_duration_seconds(module);
    std::vector<int16_t> buffer(2 * 4410);
    size_t rendered = openmpt_module_read_interleaved_stereo(module, 44100, 4410, buffer.data());
    openmpt_module_destroy(module);
    if (count <= 0 || duration <= 0 || rendered == 0) {
        why = "the module holds no music";
        return false;
    }
    if (orders)
        *orders = count;
    if (seconds)
        *seconds = duration;
    return true;
}

bool ParsesAsFont(const std::vector<uint8_t>& bytes, const TDataSource* source, std::string& why)
{
    TQelParser doc;
    doc.LoadFromText(std::string(bytes.begin(), bytes.end()));
    if (doc.ChildCount() == 0) {
        why = "XML file does not has tags!";
        return false;
    }
    const TQelXMLTag* font = doc.GetChild(0);
    for (const char* needed : {"Name", "Height", "Picture", "Metrics"})
        if (!font->GetAttributeByName(needed)) {
            why = std::string("the font has no ") + needed;
            return false;
        }
    auto height = StrictInt(font->AttributeValue("Height"));
    if (!height || *height <= 0) {
        why = "Height is not a positive integer";
        return false;
    }
    std::optional<TRgbaImage> picture;
    const std::string pictureName = font->AttributeValue("Picture");
    if (source) {
        auto pictureBytes = source->Read(pictureName);
        if (!pictureBytes) {
            why = "the glyph picture \"" + pictureName + "\" is not in the archive";
            return false;
        }
        std::string pictureWhy;
        picture = ReadPngRgba(*pictureBytes, &pictureWhy);
        if (!picture || !picture->HasTransparency()) {
            why = "the glyph picture must be a PNG with alpha " + pictureWhy;
            return false;
        }
    }
    std::string metrics = font->AttributeValue("Metrics");
    std::stringstream entries(metrics);
    int index = 0;
    bool firstIsSpace = false;
    for (std::string entry; std::getline(entries, entry, ',');) {
        std::stringstream fields(entry);
        std::vector<int64_t> v;
        for (std::string field; std::getline(fields, field, ':');) {
            auto n = StrictInt(field);
            if (!n) {
                why = "Metrics entry " + std::to_string(index) + " \"" + entry + "\" holds a field that is no integer";
                return false;
            }
            v.push_back(*n);
        }
        if (v.empty() || v.size() > 6 || v[0] < 0 || v[0] > 65535) {
            why = "Metrics entry " + std::to_string(index) + " \"" + entry + "\" is malformed";
            return false;
        }
        v.resize(6, 0);
        if (index == 0)
            firstIsSpace = v[0] == 32;
        if (picture && (v[1] < 0 || v[2] < 0 || v[4] < 0 || v[1] + v[4] > picture->Width ||
                        v[2] + *height > picture->Height)) {
            why = "the glyph of code " + std::to_string(v[0]) + " lies outside the glyph picture";
            return false;
        }
        ++index;
    }
    if (!metrics.empty() && metrics.back() == ',') {
        why = "Metrics ends with \",\"";
        return false;
    }
    if (!firstIsSpace) {
        why = "the first Metrics entry should be the space: it is drawn for every missing character";
        return false;
    }
    return true;
}
