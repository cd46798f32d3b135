// Hints: a rich label over a translucent box that fits itself to its text, and hides
// itself a while after it appeared.
#pragma once

#include "interface/QelRichLabel.h"

#include <cstdint>

class TQelHint : public TQelRichLabel {
public:
    TQelHint() { maxWidth_ = width_; }

    const char* ClassName() const override { return "TQelHint"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // The width written last is the most the hint may grow to.
    void SetWidth(int32_t value) override;
    int32_t MaxWidth() const { return maxWidth_; }
    // Lays the text out at the most width, then narrows the hint to a text that needs
    // less and sets the height to the text's.
    void SetCaption(const std::u16string& value);
    void SetLeft(int32_t value) override;
    void SetTop(int32_t value) override;
    void SetVisible(bool value) override;

    // The box drawn behind the text (without a picture).
    TRect BoxRect() const;
    // When the hint appeared (the first animation step while it was visible); 0 while
    // hidden or not yet seen.
    int64_t ShownAt() const { return shownAt_; }

    void TopFormTick(int64_t time) override;
    void Draw() override;

    int32_t ShowTime = 0;  // ms the hint stays; 0 or less: until it is hidden
    int32_t BackGroundColor = 0;
    uint8_t BackGroundAlpha = 0;

private:
    // The area the hint covers before it moves: the box, or its picture.
    void InvalidateArea();

    int32_t maxWidth_ = 0;
    int64_t shownAt_ = 0;
};
