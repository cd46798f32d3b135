// Counting labels of the result windows.
#include "gameplay/ResultCounters.h"

#include "audio/SoundEvents.h"
#include "foundation/Text.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelGame.h"

namespace {

constexpr int32_t kShake = 2;  // pixels a counting label jumps either way

std::string Caption(const TCounter& counter)
{
    return counter.Prefix + (counter.TimeFormat ? FormatMinutes(counter.Value) : IntToStr(counter.Value));
}

void Place(ILevelWindows& windows, const std::string& label, int32_t left, int32_t top)
{
    windows.SetObjectProperty(label, "Left", IntToStr(left));
    windows.SetObjectProperty(label, "Top", IntToStr(top));
}

}  // namespace

void AddCounter(TResultCounters& counters, TLevelGame& game, TCounter counter)
{
    ILevelWindows& windows = game.TheWindows();
    counter.Left = static_cast<int32_t>(VariantToInt(windows.GetObjectValue(counter.Label, "Left")));
    counter.Top = static_cast<int32_t>(VariantToInt(windows.GetObjectValue(counter.Label, "Top")));
    counter.Value = counter.StartValue;
    counter.NextStepAt = counter.StartTime;
    counters.Items.push_back(std::move(counter));
}

void TickCounters(TResultCounters& counters, TLevelGame& game, ISoundEvents& sounds, int64_t now)
{
    ILevelWindows& windows = game.TheWindows();
    for (TCounter& c : counters.Items) {
        if (!c.Running || now < c.StartTime)
            continue;
        if (!c.Started) {
            c.Started = true;
            for (const std::string& label : c.ShowAtStart)
                windows.SetObjectProperty(label, "Visible", "True");
        }
        const int64_t elapsed = now - c.StartTime;
        const bool over = c.Duration <= 0 || elapsed >= c.Duration;
        const int32_t value =
            over ? c.Target
                 : RoundHalfEven(static_cast<double>(c.Target - c.StartValue) * static_cast<double>(elapsed) /
                                     c.Duration +
                                 c.StartValue);
        if (over || value == c.Target) {
            c.Value = c.Target;
            c.Running = false;
            Place(windows, c.Label, c.Left, c.Top);
            if (!c.EndSound.empty())
                sounds.AddSoundEffect(c.EndSound);
        } else {
            if (value != c.Value) {
                c.Value = value;
                TRandom& random = game.TheCosmetic();
                Place(windows, c.Label, c.Left + random.Between(-kShake, kShake),
                      c.Top + random.Between(-kShake, kShake));
            }
            if (now >= c.NextStepAt && c.Step > 0) {
                c.NextStepAt = now + c.Step;
                if (!c.StepSound.empty())
                    sounds.AddSoundEffect(c.StepSound);
            }
        }
        SetCaption(windows, c.Label, Caption(c));
    }
}
