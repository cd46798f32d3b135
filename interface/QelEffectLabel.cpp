// Typing labels: the characters of the laid-out words, when each is due, its fading
// colour, the press that completes the text, and the typing sound.
#include "interface/QelEffectLabel.h"

#include "foundation/Text.h"

#include <algorithm>
#include <limits>

namespace {

// Labels with different names clatter differently, each the same in every run.
uint32_t NameSeed(const std::string& name)
{
    uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

constexpr int32_t kPercent = 100;

// own x (1 - x) + start x, per channel (red in bits 0-7, green 8-15, blue 16-23).
int32_t MixColour(int32_t own, int32_t start, double x)
{
    int32_t mixed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double a = (own >> shift) & 0xFF;
        const double b = (start >> shift) & 0xFF;
        mixed |= std::clamp(RoundHalfEven(a * (1.0 - x) + b * x), 0, 255) << shift;
    }
    return mixed;
}

}  // namespace

const TQelPropTable& TQelEffectLabel::StaticProperties()
{
    using C = TQelEffectLabel;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelRichLabel::StaticProperties());
        TQelPropsOf<C>(t)
            .WideString("Caption", &C::Caption, &C::SetCaption)
            .Field("OutputDelayTime", &C::OutputDelayTime)
            .Field("CharColorStart", &C::CharColorStart)
            .Field("CharTransTime", &C::CharTransTime)
            .Field("PlaySoundDelay", &C::PlaySoundDelay)
            .Field("PlaySoundProbability", &C::PlaySoundProbability);
        return t;
    }();
    return table;
}

void TQelEffectLabel::SetCaption(const std::u16string& value)
{
    try {
        TQelRichLabel::SetCaption(value);
    } catch (...) {
        Restart();
        throw;
    }
    Restart();
}

void TQelEffectLabel::SetVisible(bool value)
{
    TQelRichLabel::SetVisible(value);
    Restart();
}

// A caption written while the label shows runs its typing, so a press can complete it,
// also after an earlier caption of the same label was completed by a press.
void TQelEffectLabel::Restart()
{
    started_ = visible_;
    skipped_ = false;
    lastOutput_ = -1;
    startPending_ = true;
    Invalidate();
}

void TQelEffectLabel::StartAt(int64_t time)
{
    startPending_ = false;
    startTime_ = time;
    endTime_ = time + PrintDuration();
    nextSoundTime_ = time + PlaySoundDelay;
}

bool TQelEffectLabel::Typing() const
{
    return started_ && !skipped_ && (startPending_ || now_ < endTime_);
}

void TQelEffectLabel::LayoutChanged()
{
    chars_.clear();
    for (const TRichTextBlock& b : Blocks()) {
        const IQelTextFont* font = BlockFont(b.FontName);
        if (!font)
            continue;
        int64_t x = b.X;
        for (char16_t c : b.Text) {
            TLEChars ch;
            ch.Char = c;
            ch.X = static_cast<int32_t>(std::clamp<int64_t>(x, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
            ch.Y = b.Y;
            ch.Color = b.Color;
            ch.Opacity = b.Alpha;
            ch.Width = font->GetTextWidth(std::u16string_view(&c, 1));
            ch.FontName = b.FontName;
            x += ch.Width;
            chars_.push_back(std::move(ch));
        }
    }
}

std::optional<int32_t> TQelEffectLabel::CharColorAt(size_t i, int64_t now) const
{
    if (startPending_ || i >= chars_.size())
        return std::nullopt;
    const int64_t due = startTime_ + static_cast<int64_t>(i) * OutputDelayTime;
    int64_t age = 0;
    if (skipped_ && static_cast<int64_t>(i) > lastOutput_) {
        age = now - skipTime_;
    } else {
        if (!skipped_ && now < due)
            return std::nullopt;
        age = now - due;
    }
    const TLEChars& c = chars_[i];
    // Without a fade time a character shows in its own colour at once.
    if (CharTransTime == 0 || age > static_cast<int64_t>(CharTransTime))
        return c.Color;
    const double x = static_cast<double>(int64_t {CharTransTime} - std::max<int64_t>(age, 0)) / CharTransTime;
    return MixColour(c.Color, CharColorStart, x);
}

void TQelEffectLabel::AnimationTick(int64_t time)
{
    now_ = time;
    if (startPending_)
        StartAt(time);
    // Characters keep appearing and fading until the last one has its own colour.
    if (visible_ && time <= endTime_ + int64_t {CharTransTime})
        Invalidate();
}

void TQelEffectLabel::TopFormTick(int64_t time)
{
    now_ = time;
    if (!visible_ || startPending_ || time < nextSoundTime_ || time >= endTime_)
        return;
    if (!seeded_) {
        random_.Seed(NameSeed(Name()));
        seeded_ = true;
    }
    if (random_.Below(kPercent) < PlaySoundProbability && !SoundMouseWheel.empty())
        if (IQelGraphic4* host = Host())
            host->PlaySound(SoundMouseWheel, kPercent);
    nextSoundTime_ += PlaySoundDelay;
}

void TQelEffectLabel::MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y)
{
    if (!Typing()) {
        TQelRichLabel::MouseDown(button, shift, x, y);
        return;
    }
    if (startPending_)
        StartAt(now_);
    // The characters already out keep their fade; the rest fade in together from now.
    int64_t due = static_cast<int64_t>(chars_.size());
    if (OutputDelayTime > 0)
        due = now_ < startTime_ ? 0 : std::min(due, (now_ - startTime_) / OutputDelayTime + 1);
    lastOutput_ = due - 1;
    skipTime_ = now_;
    skipped_ = true;
    started_ = false;
    endTime_ = now_ + CharTransTime;
    Invalidate();
}

void TQelEffectLabel::Draw()
{
    DrawBasePicture();
    const int32_t v = LayoutShift();
    for (size_t i = 0; i < chars_.size(); ++i) {
        const std::optional<int32_t> colour = CharColorAt(i, now_);
        if (!colour)
            break;  // the first character not yet due ends the pass
        const TLEChars& c = chars_[i];
        IQelTextFont* font = BlockFont(c.FontName);
        if (!font)
            continue;
        font->DrawText(AbsLeft + TextShiftLeft() + c.X, AbsTop + TextShiftTop() + c.Y + v, *colour, c.Opacity,
                       std::u16string_view(&c.Char, 1), 0);
    }
}
