// The one source of time: milliseconds on a program-relative clock that tests and demo
// playback can drive by hand.
#pragma once

#include <chrono>
#include <cstdint>

// Every time the game computes is on this clock. It starts well above zero so that the
// convention "a deadline of 0 or less is not set" holds for any realistic session, and it
// is 64-bit so it never wraps.
constexpr int64_t kClockStartMs = 10000;

class IClock {
public:
    virtual ~IClock() = default;
    virtual int64_t NowMs() const = 0;
};

// Real time, counted from the moment the clock is made.
class TSteadyClock final : public IClock {
public:
    TSteadyClock() : origin_(std::chrono::steady_clock::now()) {}
    int64_t NowMs() const override
    {
        auto elapsed = std::chrono::steady_clock::now() - origin_;
        return kClockStartMs + std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    }

private:
    std::chrono::steady_clock::time_point origin_;
};

// Time that only moves when told to: tests, fixed-step runs and demo playback.
class TManualClock final : public IClock {
public:
    explicit TManualClock(int64_t start = kClockStartMs) : now_(start) {}
    int64_t NowMs() const override { return now_; }
    void Set(int64_t now) { now_ = now; }
    void Advance(int64_t ms) { now_ += ms; }

private:
    int64_t now_;
};
