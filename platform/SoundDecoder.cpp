// WAV parsing, Vorbis decoding through libvorbisfile, and rate conversion.
#include "platform/SoundDecoder.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

bool Fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return false;
}

uint32_t U32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

constexpr uint16_t kWavePcm = 1;
constexpr uint16_t kWaveFloat = 3;
constexpr uint16_t kWaveExtensible = 0xFFFE;

// One frame's first two channels as floats in -1..1.
float ReadWaveSample(const uint8_t* p, int bits, bool isFloat)
{
    if (isFloat) {
        if (bits == 32) {
            float f;
            uint32_t u = U32(p);
            std::memcpy(&f, &u, 4);
            return std::isfinite(f) ? f : 0.0f;
        }
        uint64_t u = U32(p) | (static_cast<uint64_t>(U32(p + 4)) << 32);
        double d;
        std::memcpy(&d, &u, 8);
        return std::isfinite(d) ? static_cast<float>(d) : 0.0f;
    }
    switch (bits) {
    case 8:
        return (p[0] - 128) / 128.0f;
    case 16:
        return static_cast<int16_t>(U16(p)) / 32768.0f;
    case 24: {
        int32_t v = static_cast<int32_t>((p[0] << 8) | (p[1] << 16) | (static_cast<uint32_t>(p[2]) << 24)) >> 8;
        return v / 8388608.0f;
    }
    default:
        return static_cast<int32_t>(U32(p)) / 2147483648.0f;
    }
}

bool DecodeWav(std::span<const uint8_t> bytes, std::vector<float>& out, int& rate, std::string* error)
{
    const uint8_t* data = bytes.data();
    const size_t size = bytes.size();
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return Fail(error, "not a RIFF WAVE file");

    bool haveFormat = false;
    uint16_t format = 0, channels = 0, bits = 0;
    uint32_t sampleRate = 0;
    size_t pos = 12;
    while (pos + 8 <= size) {
        const uint8_t* chunk = data + pos;
        uint64_t chunkSize = U32(chunk + 4);
        size_t body = pos + 8;
        size_t available = size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (chunkSize < 16 || available < 16)
                return Fail(error, "WAV format chunk too short");
            format = U16(data + body);
            channels = U16(data + body + 2);
            sampleRate = U32(data + body + 4);
            bits = U16(data + body + 14);
            if (format == kWaveExtensible) {
                if (chunkSize < 40 || available < 40)
                    return Fail(error, "WAV extensible format chunk too short");
                format = U16(data + body + 24);
            }
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return Fail(error, "WAV data before its format");
            const bool isFloat = format == kWaveFloat;
            if (format != kWavePcm && !isFloat)
                return Fail(error, "WAV encoding " + std::to_string(format) + " is not supported");
            const bool bitsOk = isFloat ? (bits == 32 || bits == 64) : (bits == 8 || bits == 16 || bits == 24 || bits == 32);
            if (!bitsOk)
                return Fail(error, "WAV sample size of " + std::to_string(bits) + " bits is not supported");
            if (channels < 1 || channels > 32)
                return Fail(error, "WAV channel count " + std::to_string(channels) + " is not supported");
            if (sampleRate < 1000 || sampleRate > 384000)
                return Fail(error, "WAV rate " + std::to_string(sampleRate) + " is not supported");
            // A size larger than the file is common in files written by streaming
            // recorders; what is there is played.
            size_t length = static_cast<size_t>(std::min<uint64_t>(chunkSize, available));
            const size_t sampleBytes = bits / 8;
            const size_t frameBytes = sampleBytes * channels;
            const size_t frames = length / frameBytes;
            if (frames > static_cast<size_t>(kMaxSoundSeconds) * sampleRate)
                return Fail(error, "WAV sound longer than " + std::to_string(kMaxSoundSeconds) + " seconds");
            out.resize(frames * 2);
            for (size_t i = 0; i < frames; ++i) {
                const uint8_t* frame = data + body + i * frameBytes;
                float left = ReadWaveSample(frame, bits, isFloat);
                float right = channels > 1 ? ReadWaveSample(frame + sampleBytes, bits, isFloat) : left;
                out[2 * i] = left;
                out[2 * i + 1] = right;
            }
            rate = static_cast<int>(sampleRate);
            return true;
        }
        pos = body + static_cast<size_t>(std::min<uint64_t>(chunkSize + (chunkSize & 1), available));
        if (chunkSize + (chunkSize & 1) > available)
            break;
    }
    return Fail(error, haveFormat ? "WAV file without data" : "WAV file without format");
}

struct TMemoryReader {
    const uint8_t* Data;
    size_t Size;
    size_t Pos;
};

size_t ReadFromMemory(void* dst, size_t size, size_t count, void* source)
{
    auto* r = static_cast<TMemoryReader*>(source);
    if (size == 0)
        return 0;
    size_t items = std::min(count, (r->Size - r->Pos) / size);
    std::memcpy(dst, r->Data + r->Pos, items * size);
    r->Pos += items * size;
    return items;
}

int SeekInMemory(void* source, ogg_int64_t offset, int whence)
{
    auto* r = static_cast<TMemoryReader*>(source);
    ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(r->Pos)
                                                                    : static_cast<ogg_int64_t>(r->Size);
    ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(r->Size))
        return -1;
    r->Pos = static_cast<size_t>(target);
    return 0;
}

long TellInMemory(void* source)
{
    return static_cast<long>(static_cast<TMemoryReader*>(source)->Pos);
}

bool DecodeVorbis(std::span<const uint8_t> bytes, std::vector<float>& out, int& rate, std::string* error)
{
    TMemoryReader reader{bytes.data(), bytes.size(), 0};
    ov_callbacks callbacks{ReadFromMemory, SeekInMemory, nullptr, TellInMemory};
    OggVorbis_File file;
    if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0)
        return Fail(error, "not an Ogg Vorbis stream");

    const vorbis_info* info = ov_info(&file, -1);
    if (!info || info->channels < 1 || info->rate < 1000 || info->rate > 384000) {
        ov_clear(&file);
        return Fail(error, "Ogg Vorbis stream with an unusable format");
    }
    rate = static_cast<int>(info->rate);
    const size_t maxFrames = static_cast<size_t>(kMaxSoundSeconds) * static_cast<size_t>(rate);
    bool ok = true;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        long frames = ov_read_float(&file, &pcm, 4096, &section);
        if (frames == 0)
            break;
        if (frames < 0) {
            // A damaged page: keep what decoded and go on with the next one.
            if (frames == OV_HOLE)
                continue;
            break;
        }
        const vorbis_info* link = ov_info(&file, section);
        if (!link || link->rate != rate)
            break;  // a chained stream at another rate: the first part is the sound
        if (out.size() / 2 + static_cast<size_t>(frames) > maxFrames) {
            ok = Fail(error, "Ogg Vorbis sound longer than " + std::to_string(kMaxSoundSeconds) + " seconds");
            break;
        }
        const int channels = link->channels;
        for (long i = 0; i < frames; ++i) {
            float left = pcm[0][i];
            float right = channels > 1 ? pcm[1][i] : left;
            out.push_back(left);
            out.push_back(right);
        }
    }
    ov_clear(&file);
    return ok;
}

}  // namespace

std::vector<float> ResampleStereo(const std::vector<float>& samples, int fromRate, int toRate)
{
    const size_t frames = samples.size() / 2;
    if (fromRate == toRate || frames == 0 || fromRate <= 0 || toRate <= 0)
        return samples;
    const size_t outFrames = static_cast<size_t>(static_cast<uint64_t>(frames) * toRate / fromRate);
    std::vector<float> out(outFrames * 2);
    const double step = static_cast<double>(fromRate) / toRate;
    for (size_t i = 0; i < outFrames; ++i) {
        double at = i * step;
        size_t a = static_cast<size_t>(at);
        size_t b = std::min(a + 1, frames - 1);
        float t = static_cast<float>(at - a);
        out[2 * i] = samples[2 * a] + (samples[2 * b] - samples[2 * a]) * t;
        out[2 * i + 1] = samples[2 * a + 1] + (samples[2 * b + 1] - samples[2 * a + 1]) * t;
    }
    return out;
}

std::optional<TPcmSound> DecodeSound(std::span<const uint8_t> bytes, int outputRate, std::string* error)
{
    std::vector<float> samples;
    int rate = 0;
    bool ok = false;
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0)
        ok = DecodeWav(bytes, samples, rate, error);
    else if (bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0)
        ok = DecodeVorbis(bytes, samples, rate, error);
    else
        Fail(error, "neither a WAV file nor an Ogg Vorbis stream");
    if (!ok)
        return std::nullopt;
    TPcmSound sound;
    sound.Samples = ResampleStereo(samples, rate, outputRate);
    return sound;
}
