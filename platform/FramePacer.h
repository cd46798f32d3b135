// Holds the frame loop to a steady rate: several per-frame steps of the game (belt speed
// changes, reverse steps, falling cells) were tuned at about 60 frames per second.
#pragma once

#include <algorithm>
#include <cstdint>

class TFramePacer {
public:
    explicit TFramePacer(int framesPerSecond = 60) : periodUs_(1000000 / std::max(1, framesPerSecond)) {}

    // Given the time the frame ended (microseconds on any steady clock), how long to wait
    // before the next one starts. Slots follow each other exactly, so rounding never
    // drifts; a loop that fell more than a frame behind starts counting afresh instead of
    // rushing to catch up.
    int64_t WaitUs(int64_t nowUs)
    {
        if (!started_) {
            started_ = true;
            next_ = nowUs + periodUs_;
            return 0;
        }
        if (nowUs >= next_ + periodUs_) {
            next_ = nowUs + periodUs_;
            return 0;
        }
        const int64_t wait = std::max<int64_t>(0, next_ - nowUs);
        next_ += periodUs_;
        return wait;
    }

    int64_t PeriodUs() const { return periodUs_; }

private:
    int64_t periodUs_;
    int64_t next_ = 0;
    bool started_ = false;
};
