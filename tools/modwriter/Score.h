// A tune as the module writer reads it: instruments, patterns of note cells, and the order.
#pragma once

#include "tools/synth/SynthVoice.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TScoreInstrument {
    std::string Name;
    bool Tone = true;         // looped tone with an envelope; false = a one-shot hit
    int Volume = 48;          // 0..64
    int Pan = 128;            // 0..255
    double Attack = 0.01, Decay = 0.2, Sustain = 0.7, Release = 0.3;  // seconds, tones only
    int BaseNote = 48;        // hits: the note (0-based, C4 = 48) at which the hit plays as rendered
    int VibratoDepth = 0, VibratoRate = 0;
    TVoice Voice;
};

// One cell of a pattern, as stored in the module: 0 = nothing.
struct TCell {
    uint8_t Note = 0;        // 1..96, 97 = note off
    uint8_t Instrument = 0;  // 1-based
    uint8_t Volume = 0;      // volume column (0x10..0x50 sets 0..64)
    uint8_t Effect = 0, Param = 0;
};

struct TPattern {
    std::string Name;
    int Rows = 64;
    std::vector<std::vector<TCell>> Cells;  // [row][channel]
};

struct TScore {
    std::string Name;
    int Speed = 6, Bpm = 125, Rows = 64, Restart = 0, Channels = 0;
    std::vector<TScoreInstrument> Instruments;
    std::vector<TPattern> Patterns;
    std::vector<int> Order;  // pattern indices
};

// Reads a score; false with error ("file:line: why") on the first mistake.
bool ReadScore(const std::string& path, TScore& score, std::string& error);
