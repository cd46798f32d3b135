// Typing labels: a rich label that prints its caption one character at a time, each
// character fading from a start colour to its own, with a typing sound now and then.
// A press while it prints shows the rest at once (still fading in).
//
// Time comes from the form's animation steps: the typing of a new caption (or of a
// label made visible) starts at the next step the label sees, and drawing, the typing
// sound and a press use the time of the last step. The label therefore types only while
// its form is ticked (shown, or a shown form's child form).
#pragma once

#include "foundation/Random.h"
#include "interface/QelRichLabel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One character of the typing, placed from the word blocks.
struct TLEChars {
    char16_t Char = 0;
    int32_t X = 0;  // relative to the text origin, as the blocks are
    int32_t Y = 0;
    int32_t Color = 0;
    uint8_t Opacity = 255;
    int32_t Width = 0;
    std::string FontName;
};

class TQelEffectLabel : public TQelRichLabel {
public:
    const char* ClassName() const override { return "TQelEffectLabel"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // The rich writer, then the typing starts again.
    void SetCaption(const std::u16string& value);
    // Showing the label starts the typing again.
    void SetVisible(bool value) override;

    // How long the typing of the present caption takes, from its start to its end.
    int64_t PrintDuration() const { return static_cast<int64_t>(chars_.size()) * OutputDelayTime; }
    const std::vector<TLEChars>& Chars() const { return chars_; }
    // Whether the typing waits for its first animation step.
    bool StartPending() const { return startPending_; }
    int64_t StartTime() const { return startTime_; }
    int64_t EndTime() const { return endTime_; }
    bool Started() const { return started_; }
    bool Skipped() const { return skipped_; }
    // Started, not skipped and not yet at its end: a press would complete the text.
    bool Typing() const;
    // The colour character i is drawn in at time now; nothing while it is not due.
    std::optional<int32_t> CharColorAt(size_t i, int64_t now) const;

    void AnimationTick(int64_t time) override;
    void TopFormTick(int64_t time) override;
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void Draw() override;

    uint32_t OutputDelayTime = 0;     // ms between two characters
    int32_t CharColorStart = 0;       // the colour a character starts from
    uint32_t CharTransTime = 0;       // ms a character takes to reach its own colour
    uint32_t PlaySoundDelay = 0;      // ms between two chances of the typing sound
    uint8_t PlaySoundProbability = 0; // percent

protected:
    void LayoutChanged() override;

private:
    void Restart();
    void StartAt(int64_t time);

    std::vector<TLEChars> chars_;
    int64_t now_ = 0;  // the time of the last animation step
    bool startPending_ = false;
    int64_t startTime_ = 0;
    int64_t endTime_ = 0;
    int64_t nextSoundTime_ = 0;
    bool started_ = false;
    bool skipped_ = false;
    int64_t skipTime_ = 0;
    int64_t lastOutput_ = -1;  // the last character shown before a skip
    TRandom random_;
    bool seeded_ = false;
};
