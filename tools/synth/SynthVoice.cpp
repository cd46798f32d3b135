// Oscillators, envelopes and filters of the synthesiser voices.
#include "tools/synth/SynthVoice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

constexpr double kTau = 2 * std::numbers::pi;

// A small deterministic noise source (xorshift), independent of the C library.
struct TNoise {
    uint32_t State;
    explicit TNoise(uint32_t seed) : State(seed ? seed : 0x9E3779B9u) {}
    float Next()
    {
        State ^= State << 13;
        State ^= State >> 17;
        State ^= State << 5;
        return float(State) / 2147483648.0f - 1.0f;
    }
};

// Chamberlin state-variable filter: one low-pass and one high-pass stage.
struct TSvf {
    double Low = 0, Band = 0;
    double Run(double in, double cutoff, double q, double rate, bool high)
    {
        double f = 2 * std::sin(std::numbers::pi * std::min(cutoff, rate / 6) / rate);
        double damp = 1 / std::max(q, 0.5);
        Low += f * Band;
        double hi = in - Low - damp * Band;
        Band += f * hi;
        return high ? hi : Low;
    }
};

double Oscillator(const std::string& wave, double phase, double duty)
{
    double p = phase - std::floor(phase);
    if (wave == "sine")
        return std::sin(kTau * p);
    if (wave == "triangle")
        return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    if (wave == "saw")
        return 2 * p - 1;
    if (wave == "square")
        return p < duty ? 1 : -1;
    return 0;
}

bool ParseNumber(const std::string& text, double& value)
{
    if (double f = NoteFrequency(text); f > 0) {
        value = f;
        return true;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == 0 && end != text.c_str();
}

}  // namespace

double NoteFrequency(const std::string& name)
{
    static const int kSemis[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G')
        return 0;
    int semi = kSemis[name[0] - 'A'];
    size_t i = 1;
    if (name[i] == '#') {
        ++semi;
        ++i;
    } else if (name[i] == 'b') {
        --semi;
        ++i;
    }
    if (i + 1 != name.size() || name[i] < '0' || name[i] > '9')
        return 0;
    int midi = (name[i] - '0' + 1) * 12 + semi;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

bool ParseVoice(const std::vector<std::string>& words, size_t first, TVoice& v, std::string& error)
{
    static const std::map<std::string, double TVoice::*> kReals = {
        {"at", &TVoice::At},           {"dur", &TVoice::Dur},         {"freq", &TVoice::Freq},
        {"to", &TVoice::To},           {"glide", &TVoice::Glide},     {"attack", &TVoice::Attack},
        {"decay", &TVoice::Decay},     {"sustain", &TVoice::Sustain}, {"release", &TVoice::Release},
        {"gain", &TVoice::Gain},       {"duty", &TVoice::Duty},       {"ratio", &TVoice::Ratio},
        {"index", &TVoice::Index},     {"indexto", &TVoice::IndexTo}, {"vibrate", &TVoice::VibRate},
        {"vibdepth", &TVoice::VibDepth}, {"lowpass", &TVoice::Lowpass}, {"lowpassto", &TVoice::LowpassTo},
        {"highpass", &TVoice::Highpass}, {"q", &TVoice::Q},           {"drive", &TVoice::Drive},
        {"every", &TVoice::Every},     {"detune", &TVoice::Detune}};
    static const char* kWaves[] = {"sine", "triangle", "saw", "square", "noise", "fm", "pluck"};
    if (first >= words.size()) {
        error = "a voice needs a wave";
        return false;
    }
    v.Wave = words[first];
    if (std::find(std::begin(kWaves), std::end(kWaves), v.Wave) == std::end(kWaves)) {
        error = "unknown wave \"" + v.Wave + "\"";
        return false;
    }
    for (size_t i = first + 1; i < words.size(); i += 2) {
        if (i + 1 >= words.size()) {
            error = "\"" + words[i] + "\" needs a value";
            return false;
        }
        double value = 0;
        if (!ParseNumber(words[i + 1], value)) {
            error = "bad value \"" + words[i + 1] + "\" for " + words[i];
            return false;
        }
        if (words[i] == "repeat") {
            v.Repeat = std::max(1, int(value));
            continue;
        }
        auto it = kReals.find(words[i]);
        if (it == kReals.end()) {
            error = "unknown voice key \"" + words[i] + "\"";
            return false;
        }
        v.*(it->second) = value;
    }
    return true;
}

static double Envelope(const TVoice& v, double t)
{
    if (t < 0)
        return 0;
    if (t < v.Dur) {
        if (t < v.Attack)
            return t / v.Attack;
        double d = t - v.Attack;
        if (v.Decay > 0 && d < v.Decay)
            return 1 - (1 - v.Sustain) * (d / v.Decay);
        return v.Decay > 0 ? v.Sustain : 1;
    }
    double held = Envelope(v, std::min(t, v.Dur - 1e-9));
    double r = t - v.Dur;
    return r >= v.Release ? 0 : held * (1 - r / v.Release);
}

static void RenderOne(const TVoice& v, double rate, TNoise& noise, double start, std::vector<float>& out)
{
    const double length = v.Dur + v.Release;
    const size_t first = size_t(std::max(0.0, start * rate));
    const size_t count = size_t(length * rate);
    if (out.size() < first + count)
        out.resize(first + count, 0.0f);
    TSvf lp, hp;
    double phase = 0, phase2 = 0, modPhase = 0;
    // Karplus-Strong string: a noise burst in a delay line, averaged as it circulates.
    std::vector<double> string;
    size_t stringPos = 0;
    if (v.Wave == "pluck") {
        string.resize(std::max<size_t>(2, size_t(rate / v.Freq)));
        for (double& s : string)
            s = noise.Next();
    }
    for (size_t n = 0; n < count; ++n) {
        const double t = n / rate;
        double f = v.Freq;
        if (v.To > 0) {
            double g = v.Glide > 0 ? v.Glide : v.Dur;
            double k = std::min(1.0, t / g);
            f = v.Freq * std::pow(v.To / v.Freq, k);  // exponential: even in pitch
        }
        if (v.VibDepth > 0)
            f *= std::pow(2.0, v.VibDepth * std::sin(kTau * v.VibRate * t) / 12);
        double s = 0;
        if (v.Wave == "noise") {
            s = noise.Next();
        } else if (v.Wave == "pluck") {
            size_t next = (stringPos + 1) % string.size();
            s = string[stringPos];
            string[stringPos] = 0.5 * (string[stringPos] + string[next]) * 0.996;
            stringPos = next;
        } else if (v.Wave == "fm") {
            double index = v.Index;
            if (v.IndexTo >= 0)
                index = v.Index + (v.IndexTo - v.Index) * std::min(1.0, t / std::max(1e-6, length));
            s = std::sin(kTau * phase + index * std::sin(kTau * modPhase));
            modPhase += f * v.Ratio / rate;
        } else {
            s = Oscillator(v.Wave, phase, v.Duty);
            if (v.Detune != 0)
                s = 0.5 * (s + Oscillator(v.Wave, phase2, v.Duty));
        }
        phase += f / rate;
        phase2 += f * std::pow(2.0, v.Detune / 1200) / rate;
        if (v.Lowpass > 0) {
            double cut = v.LowpassTo > 0 ? v.Lowpass * std::pow(v.LowpassTo / v.Lowpass, std::min(1.0, t / length))
                                         : v.Lowpass;
            s = lp.Run(s, cut, v.Q, rate, false);
        }
        if (v.Highpass > 0)
            s = hp.Run(s, v.Highpass, 0.7, rate, true);
        if (v.Drive > 0)
            s = std::tanh(s * (1 + v.Drive)) / std::tanh(1 + v.Drive);
        out[first + n] += float(s * Envelope(v, t) * v.Gain);
    }
}

void RenderVoice(const TVoice& voice, double rate, uint32_t seed, std::vector<float>& out)
{
    TNoise noise(seed);
    for (int i = 0; i < voice.Repeat; ++i)
        RenderOne(voice, rate, noise, voice.At + i * voice.Every, out);
}

std::vector<float> RenderLoop(const TVoice& voice, double rate, int periodSamples, int periods)
{
    TVoice held = voice;
    held.At = 0;
    held.Attack = 1e-6;
    held.Decay = 0;
    held.Sustain = 1;
    held.To = 0;
    held.VibDepth = 0;
    held.LowpassTo = 0;
    held.IndexTo = -1;
    held.Freq = rate / periodSamples;
    // Detuning would break the period; settle 64 cycles, then keep whole cycles.
    held.Detune = 0;
    const int settle = 64 * periodSamples;
    held.Dur = double(settle + periods * periodSamples + 8) / rate;
    held.Release = 1e-6;
    std::vector<float> all;
    TNoise noise(1);
    RenderOne(held, rate, noise, 0, all);
    return std::vector<float>(all.begin() + settle, all.begin() + settle + size_t(periods) * periodSamples);
}
