// Writes a score as an Extended Module (XM) with synthesised instrument samples.
#include "tools/modwriter/Score.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kRate = 44100;
constexpr int kLoopPeriod = 128;  // samples in one cycle of a looped tone
constexpr int kLoopCycles = 16;

void Put8(std::vector<uint8_t>& out, int v) { out.push_back(uint8_t(v)); }
void Put16(std::vector<uint8_t>& out, int v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}
void PutText(std::vector<uint8_t>& out, const std::string& text, size_t width)
{
    for (size_t i = 0; i < width; ++i)
        out.push_back(i < text.size() ? uint8_t(text[i]) : 0);
}

// Relative note and finetune that make XM note C-4 play a sample so that its content at
// `pitch` Hz (when played at kRate) sounds at `target` Hz.
void Tuning(double pitch, double target, int& relNote, int& fineTune)
{
    double semis = 12 * std::log2(kRate * target / pitch / 8363.0);
    relNote = int(std::lround(semis));
    fineTune = std::clamp(int(std::lround((semis - relNote) * 128)), -128, 127);
}

struct TSample {
    std::vector<int16_t> Data;
    bool Loop = false;
    int RelNote = 0, FineTune = 0;
};

TSample MakeSample(const TScoreInstrument& ins)
{
    TSample sample;
    std::vector<float> wave;
    const double c4 = 261.6256;
    if (ins.Tone) {
        wave = RenderLoop(ins.Voice, kRate, kLoopPeriod, kLoopCycles);
        sample.Loop = true;
        Tuning(kRate / kLoopPeriod, c4, sample.RelNote, sample.FineTune);
    } else {
        TVoice v = ins.Voice;
        v.At = 0;
        RenderVoice(v, kRate, 7, wave);
        // Played at C-4 the hit sounds as rendered at its base note.
        Tuning(c4 * std::pow(2.0, (ins.BaseNote - 48) / 12.0), c4, sample.RelNote, sample.FineTune);
    }
    float loudest = 0;
    for (float s : wave)
        loudest = std::max(loudest, std::abs(s));
    const float scale = loudest > 0 ? 0.95f / loudest : 0;
    for (float s : wave)
        sample.Data.push_back(int16_t(std::lround(s * scale * 32767)));
    return sample;
}

void WritePattern(std::vector<uint8_t>& out, const TPattern& p, int channels)
{
    std::vector<uint8_t> packed;
    for (int row = 0; row < p.Rows; ++row)
        for (int c = 0; c < channels; ++c) {
            const TCell& cell = p.Cells[size_t(row)][size_t(c)];
            uint8_t flags = 0x80;
            if (cell.Note)
                flags |= 1;
            if (cell.Instrument)
                flags |= 2;
            if (cell.Volume)
                flags |= 4;
            if (cell.Effect)
                flags |= 8;
            if (cell.Param)
                flags |= 16;
            packed.push_back(flags);
            for (uint8_t v : {cell.Note, cell.Instrument, cell.Volume, cell.Effect, cell.Param})
                if (v)
                    packed.push_back(v);
        }
    Put32(out, 9);
    Put8(out, 0);
    Put16(out, p.Rows);
    Put16(out, int(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
}

void WriteInstrument(std::vector<uint8_t>& out, const TScoreInstrument& ins, double ticksPerSecond)
{
    TSample sample = MakeSample(ins);
    const size_t start = out.size();
    Put32(out, 263);
    PutText(out, ins.Name, 22);
    Put8(out, 0);
    Put16(out, 1);   // one sample
    Put32(out, 40);  // sample header size
    for (int i = 0; i < 96; ++i)
        Put8(out, 0);  // every note plays sample 0
    // Volume envelope of a tone: attack, decay to the sustain point, release after note off.
    std::vector<std::pair<int, int>> points;
    if (ins.Tone) {
        int a = std::max(0, int(std::lround(ins.Attack * ticksPerSecond)));
        int d = std::max(1, int(std::lround(ins.Decay * ticksPerSecond)));
        int r = std::max(1, int(std::lround(ins.Release * ticksPerSecond)));
        int s = std::clamp(int(std::lround(ins.Sustain * 64)), 0, 64);
        points = {{0, a > 0 ? 0 : 64}, {std::max(a, 1), 64}, {std::max(a, 1) + d, s}, {std::max(a, 1) + d + r, 0}};
    }
    for (int i = 0; i < 12; ++i) {
        Put16(out, i < int(points.size()) ? points[size_t(i)].first : 0);
        Put16(out, i < int(points.size()) ? points[size_t(i)].second : 0);
    }
    for (int i = 0; i < 12; ++i) {
        Put16(out, 0);
        Put16(out, 0);
    }
    Put8(out, int(points.size()));
    Put8(out, 0);
    Put8(out, 2);  // sustain at the end of the decay
    Put8(out, 0);
    Put8(out, 0);
    Put8(out, 0);
    Put8(out, 0);
    Put8(out, 0);
    Put8(out, ins.Tone ? 1 | 2 : 0);  // envelope on, with sustain
    Put8(out, 0);
    Put8(out, 0);                     // vibrato: sine
    Put8(out, ins.VibratoDepth ? 24 : 0);
    Put8(out, ins.VibratoDepth);
    Put8(out, ins.VibratoRate);
    Put16(out, ins.Tone ? 0 : 0);  // no extra fade: the envelope ends the note
    while (out.size() < start + 263)
        Put8(out, 0);

    const uint32_t bytes = uint32_t(sample.Data.size() * 2);
    Put32(out, bytes);
    Put32(out, 0);
    Put32(out, sample.Loop ? bytes : 0);
    Put8(out, ins.Volume);
    Put8(out, sample.FineTune);
    Put8(out, (sample.Loop ? 1 : 0) | 16);  // forward loop, 16-bit
    Put8(out, ins.Pan);
    Put8(out, sample.RelNote);
    Put8(out, 0);
    PutText(out, ins.Name, 22);
    int16_t previous = 0;
    for (int16_t s : sample.Data) {
        Put16(out, int16_t(s - previous));
        previous = s;
    }
}

}  // namespace

std::vector<uint8_t> WriteXm(const TScore& score)
{
    std::vector<uint8_t> out;
    PutText(out, "Extended Module: ", 17);
    PutText(out, score.Name, 20);
    Put8(out, 0x1A);
    PutText(out, "Glimmora modwriter", 20);
    Put16(out, 0x0104);
    Put32(out, 276);
    Put16(out, int(score.Order.size()));
    Put16(out, score.Restart);
    Put16(out, score.Channels);
    Put16(out, int(score.Patterns.size()));
    Put16(out, int(score.Instruments.size()));
    Put16(out, 1);  // linear frequency table
    Put16(out, score.Speed);
    Put16(out, score.Bpm);
    for (int i = 0; i < 256; ++i)
        Put8(out, i < int(score.Order.size()) ? score.Order[size_t(i)] : 0);
    for (const TPattern& p : score.Patterns)
        WritePattern(out, p, score.Channels);
    const double ticksPerSecond = score.Bpm * 0.4;
    for (const TScoreInstrument& ins : score.Instruments)
        WriteInstrument(out, ins, ticksPerSecond);
    return out;
}
