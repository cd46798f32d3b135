// A small seeded random source. The game keeps two: a gameplay stream that demos replay
// and a cosmetic stream (particles, jitter) that may be drawn from freely.
#pragma once

#include <cstdint>

class TRandom {
public:
    explicit TRandom(uint32_t seed = 1) : state_(seed) {}

    void Seed(uint32_t seed) { state_ = seed; }
    uint32_t State() const { return state_; }

    // One linear congruential step (the same generator as the hash permutation).
    uint32_t Next()
    {
        state_ = state_ * 134775813u + 1u;
        return state_;
    }
    // An integer in 0..n-1; 0 when n is 0 or less.
    int32_t Below(int32_t n)
    {
        uint32_t s = Next();
        if (n <= 0)
            return 0;
        return static_cast<int32_t>((static_cast<uint64_t>(s) * static_cast<uint32_t>(n)) >> 32);
    }
    // An integer in lo..hi inclusive.
    int32_t Between(int32_t lo, int32_t hi) { return hi < lo ? lo : lo + Below(hi - lo + 1); }
    // A real in [0, 1).
    double Real() { return Next() / 4294967296.0; }

private:
    uint32_t state_;
};
