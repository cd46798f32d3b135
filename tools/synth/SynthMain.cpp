// synth: renders a sound recipe (voices with envelopes and filters) to a WAV or OGG sample.
#include "tools/synth/SynthVoice.h"

#include "foundation/Files.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

static const char* kHelp =
    "usage: synth RECIPE OUT.wav|OUT.ogg\n"
    "\n"
    "Renders a sound recipe to a 44100 Hz mono sample. Recipe lines ('#' at the start of a word begins a comment):\n"
    "  voice WAVE key value ...   one voice; WAVE is sine, triangle, saw, square, noise, fm or pluck.\n"
    "      at dur          start and held time (s)      freq to glide   pitch (Hz or C4, F#5), glide target\n"
    "      attack decay sustain release   envelope      gain            loudness 0..1\n"
    "      duty            square width                 ratio index indexto   fm modulator\n"
    "      vibrate vibdepth  vibrato Hz and semitones   lowpass lowpassto highpass q   filters\n"
    "      drive           soft saturation              detune          second oscillator, cents\n"
    "      repeat every    play the voice N times, every S seconds\n"
    "  peak LEVEL        normalise the loudest sample to LEVEL (default 0.85)\n"
    "  echo DELAY FEEDBACK MIX   a simple echo\n"
    "  tail SECONDS      silence kept after the last voice (default 0.02)\n"
    "  quality Q         OGG quality -0.1..1 (default 0.5)\n"
    "  seed N            noise seed (default 1)\n"
    "The same recipe always gives the same bytes.\n";

namespace {

struct TRecipe {
    std::vector<TVoice> Voices;
    double Peak = 0.85, EchoDelay = 0, EchoFeedback = 0, EchoMix = 0, Tail = 0.02, Quality = 0.5;
    uint32_t Seed = 1;
};

bool ReadRecipe(const std::string& path, TRecipe& recipe, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        // A comment starts at a '#' that begins a word, so note names like F#4 stay whole.
        for (size_t hash = line.find('#'); hash != std::string::npos; hash = line.find('#', hash + 1))
            if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
                line.erase(hash);
                break;
            }
        std::istringstream stream(line);
        std::vector<std::string> words;
        for (std::string w; stream >> w;)
            words.push_back(w);
        if (words.empty())
            continue;
        std::string why;
        auto number = [&](size_t i, double& value) {
            if (i >= words.size())
                return false;
            char* end = nullptr;
            value = std::strtod(words[i].c_str(), &end);
            return *end == 0;
        };
        bool ok = true;
        double seed = 1;
        if (words[0] == "voice") {
            TVoice v;
            ok = ParseVoice(words, 1, v, why);
            recipe.Voices.push_back(v);
        } else if (words[0] == "peak") {
            ok = number(1, recipe.Peak);
        } else if (words[0] == "echo") {
            ok = number(1, recipe.EchoDelay) && number(2, recipe.EchoFeedback) && number(3, recipe.EchoMix);
        } else if (words[0] == "tail") {
            ok = number(1, recipe.Tail);
        } else if (words[0] == "quality") {
            ok = number(1, recipe.Quality);
        } else if (words[0] == "seed") {
            ok = number(1, seed);
            recipe.Seed = uint32_t(seed);
        } else {
            why = "unknown line \"" + words[0] + "\"";
            ok = false;
        }
        if (!ok) {
            error = path + ":" + std::to_string(lineNo) + ": " + (why.empty() ? "bad value" : why);
            return false;
        }
    }
    if (recipe.Voices.empty()) {
        error = path + ": no voice";
        return false;
    }
    return true;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

std::vector<uint8_t> EncodeWav(const std::vector<float>& samples, int rate)
{
    std::vector<uint8_t> out;
    const uint32_t dataSize = uint32_t(samples.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutU32(out, 36 + dataSize);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutU32(out, 16);
    PutU16(out, 1);  // PCM
    PutU16(out, 1);  // mono
    PutU32(out, uint32_t(rate));
    PutU32(out, uint32_t(rate * 2));
    PutU16(out, 2);
    PutU16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutU32(out, dataSize);
    for (float s : samples)
        PutU16(out, uint16_t(int16_t(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767))));
    return out;
}

std::vector<uint8_t> EncodeOgg(const std::vector<float>& samples, int rate, double quality)
{
    std::vector<uint8_t> out;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, rate, float(quality)) != 0) {
        vorbis_info_clear(&info);
        return out;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x476C696D);  // a fixed serial number keeps the bytes reproducible
    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    auto emit = [&](const ogg_page& p) {
        out.insert(out.end(), p.header, p.header + p.header_len);
        out.insert(out.end(), p.body, p.body + p.body_len);
    };
    while (ogg_stream_flush(&stream, &page))
        emit(page);
    size_t pos = 0;
    bool eos = false;
    while (!eos) {
        const size_t chunk = std::min<size_t>(1024, samples.size() - pos);
        if (chunk == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, int(chunk));
            std::memcpy(buffer[0], samples.data() + pos, chunk * sizeof(float));
            vorbis_analysis_wrote(&dsp, int(chunk));
            pos += chunk;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) {
                    emit(page);
                    if (ogg_page_eos(&page))
                        eos = true;
                }
            }
        }
        if (chunk == 0 && !eos) {
            while (ogg_stream_flush(&stream, &page)) {
                emit(page);
                if (ogg_page_eos(&page))
                    eos = true;
            }
            eos = true;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kHelp;
        return 0;
    }
    if (args.size() != 2) {
        std::cerr << kHelp;
        return 1;
    }
    const std::string& out = args[1];
    const bool ogg = out.size() > 4 && out.compare(out.size() - 4, 4, ".ogg") == 0;
    const bool wav = out.size() > 4 && out.compare(out.size() - 4, 4, ".wav") == 0;
    if (!ogg && !wav) {
        std::cerr << "synth: the output must end in .ogg or .wav (lower case: the game's sound list needs it)\n";
        return 1;
    }
    TRecipe recipe;
    std::string error;
    if (!ReadRecipe(args[0], recipe, error)) {
        std::cerr << "synth: " << error << "\n";
        return 1;
    }
    const int rate = 44100;
    std::vector<float> samples;
    uint32_t seed = recipe.Seed;
    double end = 0;
    for (const TVoice& v : recipe.Voices) {
        RenderVoice(v, rate, seed, samples);
        seed = seed * 1664525u + 1013904223u;
        end = std::max(end, v.End());
    }
    samples.resize(size_t((end + recipe.Tail) * rate), 0.0f);
    if (recipe.EchoDelay > 0) {
        const size_t delay = size_t(recipe.EchoDelay * rate);
        samples.resize(samples.size() + size_t(delay * 4), 0.0f);
        std::vector<float> wet(samples.size(), 0.0f);
        for (size_t i = delay; i < samples.size(); ++i)
            wet[i] = float((samples[i - delay] + wet[i - delay]) * recipe.EchoFeedback);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] += float(wet[i] * recipe.EchoMix);
    }
    float loudest = 0;
    for (float s : samples)
        loudest = std::max(loudest, std::abs(s));
    if (loudest > 0)
        for (float& s : samples)
            s = float(s / loudest * recipe.Peak);
    // A short fade at the very end: no click when the sample stops.
    const size_t fade = std::min<size_t>(samples.size(), 220);
    for (size_t i = 0; i < fade; ++i)
        samples[samples.size() - 1 - i] *= float(i) / fade;
    std::vector<uint8_t> bytes = ogg ? EncodeOgg(samples, rate, recipe.Quality) : EncodeWav(samples, rate);
    if (bytes.empty() || !WriteFileAtomic(out, bytes, &error)) {
        std::cerr << "synth: cannot write " << out << " " << error << "\n";
        return 1;
    }
    return 0;
}
