// Sound files held in memory (WAV, Ogg Vorbis) decoded once into stereo frames at the
// mixer's rate, so playing a sample is a plain walk through memory.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct TPcmSound {
    std::vector<float> Samples;  // interleaved left, right
    size_t FrameCount() const { return Samples.size() / 2; }
};

// The longest sound that is decoded; anything longer is refused rather than filling memory.
constexpr int kMaxSoundSeconds = 600;

// WAV (integer PCM of 8, 16, 24 or 32 bits, or float) and Ogg Vorbis; mono is spread to
// both sides, of more channels the first two are kept. Nothing (error says why) for
// anything else.
std::optional<TPcmSound> DecodeSound(std::span<const uint8_t> bytes, int outputRate, std::string* error = nullptr);

// Linear interpolation from one rate to another.
std::vector<float> ResampleStereo(const std::vector<float>& samples, int fromRate, int toRate);
