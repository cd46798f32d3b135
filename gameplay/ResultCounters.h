// Counting labels of the result windows: a caption that counts from one value to another
// over a while, shaking while it counts, with a sound per step and one at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ISoundEvents;
class TLevelGame;

struct TCounter {
    std::string Label;
    int32_t StartValue = 0;
    int32_t Value = 0;
    int32_t Target = 0;
    int64_t StartTime = 0;
    int32_t Duration = 0;  // ms
    int32_t Step = 100;    // ms between step sounds
    int64_t NextStepAt = 0;
    std::string Prefix;
    std::string StepSound;
    std::string EndSound;
    std::vector<std::string> ShowAtStart;  // labels made visible when the counter starts
    bool Started = false;
    bool Running = true;
    int32_t Left = 0;  // the label's own place, it returns there
    int32_t Top = 0;
    bool TimeFormat = false;  // the value is ms shown as "m:ss"
};

struct TResultCounters {
    std::vector<TCounter> Items;
};

// Adds a counter; the label's place is read now.
void AddCounter(TResultCounters& counters, TLevelGame& game, TCounter counter);
// One step of every counter, each frame of the result screens.
void TickCounters(TResultCounters& counters, TLevelGame& game, ISoundEvents& sounds, int64_t now);
