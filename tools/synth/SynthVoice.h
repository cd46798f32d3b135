// The synthesiser's voices: oscillators, noise, envelopes and filters, rendered to samples.
// Shared by the sound builder (effects) and the module writer (instrument samples).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One voice: a waveform shaped by an envelope and filters. Times in seconds.
struct TVoice {
    std::string Wave = "sine";  // sine, triangle, saw, square, noise, fm, pluck
    double At = 0;              // start within the sound
    double Dur = 0.1;           // from the start until the release begins
    double Freq = 440, To = 0;  // pitch and optional glide target (0 = none)
    double Glide = 0;           // glide time (0 = the whole voice)
    double Attack = 0.003, Decay = 0, Sustain = 1, Release = 0.02;
    double Gain = 0.5;
    double Duty = 0.5;                        // square pulse width
    double Ratio = 2, Index = 0, IndexTo = -1;  // fm: modulator ratio and index (index glides to IndexTo)
    double VibRate = 0, VibDepth = 0;         // vibrato in Hz and semitones
    double Lowpass = 0, LowpassTo = 0, Highpass = 0, Q = 0.7;
    double Drive = 0;  // soft saturation amount
    int Repeat = 1;
    double Every = 0;  // repeat period
    double Detune = 0;  // second oscillator detuned by this many cents, mixed in

    double End() const { return At + (Repeat - 1) * Every + Dur + Release; }
};

// Reads "key value" pairs after the wave name into a voice; note names (C4, F#5, Bb3) are
// accepted wherever a frequency is. False with error set on an unknown key or bad value.
bool ParseVoice(const std::vector<std::string>& words, size_t first, TVoice& voice, std::string& error);
// Frequency of a note name such as "A4" (440) or "C#5"; 0 when it is no note name.
double NoteFrequency(const std::string& name);

// Adds the voice into out (mono, rate samples a second). Noise comes from seed, so the
// same voice always gives the same samples.
void RenderVoice(const TVoice& voice, double rate, uint32_t seed, std::vector<float>& out);
// Renders the voice with a held envelope (no attack, no release) for exactly `periods`
// whole cycles once the filters have settled: a seamless loop.
std::vector<float> RenderLoop(const TVoice& voice, double rate, int periodSamples, int periods);
