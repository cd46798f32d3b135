// Sound files made on the spot for the mixer tests: WAV files, Ogg Vorbis streams, and a
// small XM module whose orders can be told apart by ear (one silent pattern, one tone).
#pragma once

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace fixture {

inline void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
inline void PutText(std::vector<uint8_t>& out, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

// A RIFF WAVE file; sample(frame, channel) gives each value in -1..1.
struct TWavShape {
    int Rate = 44100;
    int Channels = 1;
    int Bits = 16;       // 8, 16, 24, 32
    bool Float = false;  // with Bits 32
    size_t Frames = 4410;
    std::function<double(size_t frame, int channel)> Sample = [](size_t, int) { return 0.5; };
};

inline std::vector<uint8_t> MakeWav(const TWavShape& shape)
{
    std::vector<uint8_t> data;
    for (size_t f = 0; f < shape.Frames; ++f)
        for (int c = 0; c < shape.Channels; ++c) {
            double v = shape.Sample(f, c);
            if (shape.Float) {
                float x = static_cast<float>(v);
                uint32_t u;
                std::memcpy(&u, &x, 4);
                Put32(data, u);
            } else if (shape.Bits == 8) {
                data.push_back(static_cast<uint8_t>(std::lround(v * 127.0) + 128));
            } else if (shape.Bits == 16) {
                Put16(data, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767.0))));
            } else if (shape.Bits == 24) {
                uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 8388607.0)));
                data.push_back(static_cast<uint8_t>(u));
                data.push_back(static_cast<uint8_t>(u >> 8));
                data.push_back(static_cast<uint8_t>(u >> 16));
            } else {
                Put32(data, static_cast<uint32_t>(static_cast<int32_t>(std::llround(v * 2147483647.0))));
            }
        }
    std::vector<uint8_t> out;
    PutText(out, "RIFF", 4);
    Put32(out, static_cast<uint32_t>(4 + 8 + 16 + 8 + data.size()));
    PutText(out, "WAVE", 4);
    PutText(out, "fmt ", 4);
    Put32(out, 16);
    Put16(out, shape.Float ? 3 : 1);
    Put16(out, static_cast<uint32_t>(shape.Channels));
    Put32(out, static_cast<uint32_t>(shape.Rate));
    const uint32_t blockAlign = static_cast<uint32_t>(shape.Channels * shape.Bits / 8);
    Put32(out, static_cast<uint32_t>(shape.Rate) * blockAlign);
    Put16(out, blockAlign);
    Put16(out, static_cast<uint32_t>(shape.Bits));
    PutText(out, "data", 4);
    Put32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A mono Ogg Vorbis stream of a sine tone.
inline std::vector<uint8_t> MakeOggSine(int rate, size_t frames, double frequency, double amplitude)
{
    std::vector<uint8_t> out;
    auto append = [&](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, 1, rate, 0.4f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page))
        append(page);

    float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(frames));
    for (size_t i = 0; i < frames; ++i)
        buffer[0][i] = static_cast<float>(amplitude * std::sin(2 * M_PI * frequency * static_cast<double>(i) / rate));
    vorbis_analysis_wrote(&dsp, static_cast<int>(frames));
    vorbis_analysis_wrote(&dsp, 0);
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page))
                append(page);
        }
    }
    while (ogg_stream_flush(&stream, &page))
        append(page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

// An XM module of one channel and one instrument (a looping square wave). Pattern 0 is
// silent: it releases and mutes whatever plays. Pattern 1 starts a tone on its first row.
// Each pattern lasts kXmPatternMs. The order list is the given one.
constexpr int kXmRows = 8;
constexpr int kXmSpeed = 3;      // ticks per row
constexpr int kXmTempo = 125;    // 20 ms per tick
constexpr int kXmPatternMs = kXmRows * kXmSpeed * 20;

inline std::vector<uint8_t> MakeXm(const std::vector<uint8_t>& orders)
{
    std::vector<uint8_t> out;
    PutText(out, "Extended Module: ", 17);
    PutText(out, "fixture", 20);
    out.push_back(0x1A);
    PutText(out, "glimmora tests", 20);
    Put16(out, 0x0104);
    Put32(out, 276);
    Put16(out, static_cast<uint32_t>(orders.size()));
    Put16(out, 0);  // restart position
    Put16(out, 1);  // channels
    Put16(out, 2);  // patterns
    Put16(out, 1);  // instruments
    Put16(out, 1);  // linear frequency table
    Put16(out, kXmSpeed);
    Put16(out, kXmTempo);
    for (size_t i = 0; i < 256; ++i)
        out.push_back(i < orders.size() ? orders[i] : 0);

    // Rows are stored unpacked: note, instrument, volume, effect, parameter.
    auto pattern = [&](uint8_t note, uint8_t instrument, uint8_t effect, uint8_t parameter) {
        std::vector<uint8_t> rows;
        for (int r = 0; r < kXmRows; ++r) {
            if (r == 0) {
                rows.insert(rows.end(), {note, instrument, 0, effect, parameter});
            } else {
                rows.push_back(0x80);  // packed, nothing in it
            }
        }
        Put32(out, 9);
        out.push_back(0);
        Put16(out, kXmRows);
        Put16(out, static_cast<uint32_t>(rows.size()));
        out.insert(out.end(), rows.begin(), rows.end());
    };
    constexpr uint8_t kKeyOff = 97;
    constexpr uint8_t kMiddleC = 49;
    constexpr uint8_t kSetVolume = 0x0C;
    pattern(kKeyOff, 0, kSetVolume, 0);
    pattern(kMiddleC, 1, 0, 0);

    // The instrument with one sample.
    const size_t start = out.size();
    Put32(out, 263);
    PutText(out, "square", 22);
    out.push_back(0);
    Put16(out, 1);
    Put32(out, 40);
    for (int i = 0; i < 96; ++i)
        out.push_back(0);  // every note plays sample 0
    out.resize(start + 263, 0);  // envelopes off, no vibrato, no fadeout

    constexpr int kPeriod = 32;
    constexpr int kLevel = 64;
    std::vector<int8_t> wave;
    for (int i = 0; i < kPeriod; ++i)
        wave.push_back(static_cast<int8_t>(i < kPeriod / 2 ? kLevel : -kLevel));
    Put32(out, kPeriod);  // length in bytes
    Put32(out, 0);        // loop start
    Put32(out, kPeriod);  // loop length
    out.push_back(64);    // volume
    out.push_back(0);     // finetune
    out.push_back(1);     // forward loop, 8-bit
    out.push_back(128);   // panning
    out.push_back(0);     // relative note
    out.push_back(0);
    PutText(out, "square", 22);
    int8_t previous = 0;
    for (int8_t v : wave) {
        out.push_back(static_cast<uint8_t>(static_cast<int8_t>(v - previous)));
        previous = v;
    }
    return out;
}

}  // namespace fixture
