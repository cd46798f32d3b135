// The single decoder checks: pictures through the game's own decoders, samples through
// libvorbisfile or the RIFF layout, modules through libopenmpt, and the fields of a font file.
#include "tools/contentcheck/ContentCheck.h"

#include "tools/imageio/ImageIo.h"

#include "graphics/ImageCodec.h"

#include "foundation/QelParser.h"
#include "foundation/Text.h"

#include <libopenmpt/libopenmpt.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <sstream>

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
