// Hints: fitting the box to the caption, drawing the box under the text, and the display
// time.
#include "interface/QelHint.h"

#include <algorithm>

namespace {

// How far the box reaches beyond the text on each side.
constexpr int32_t kBoxMarginX = 16;
constexpr int32_t kBoxMarginY = 10;

TRect Union(const TRect& a, const TRect& b)
{
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

}  // namespace

const TQelPropTable& TQelHint::StaticProperties()
{
    using C = TQelHint;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelRichLabel::StaticProperties());
        TQelPropsOf<C>(t)
            .WideString("Caption", &C::Caption, &C::SetCaption)
            .Field("ShowTime", &C::ShowTime)
            .Field("BackGroundColor", &C::BackGroundColor)
            .Field("BackGroundAlpha", &C::BackGroundAlpha);
        return t;
    }();
    return table;
}

void TQelHint::SetWidth(int32_t value)
{
    TQelRichLabel::SetWidth(value);
    maxWidth_ = value;
}

void TQelHint::SetCaption(const std::u16string& value)
{
    // The label's own writer: the most width stays what was written last.
    TQelRichLabel::SetWidth(maxWidth_);
    TQelRichLabel::SetCaption(value);
    IQelTextFont* font = Font();
    if (Blocks().empty() || !font || !Picture().empty())
        return;
    // The text as it shows, without its tags, so markup does not widen the box.
    const int32_t w = font->GetTextWidth(StripRichMarkup(DisplayedCaption()));
    if (w > 0 && w < maxWidth_)
        TQelRichLabel::SetWidth(w);
    else if (w > maxWidth_)
        TQelRichLabel::SetWidth(maxWidth_);
    if (!Blocks().empty())
        SetHeight(Blocks().back().Y + TextShiftTop() + font->Height());
}

TRect TQelHint::BoxRect() const
{
    return {AbsLeft - kBoxMarginX, AbsTop - kBoxMarginY, AbsLeft + width_ + kBoxMarginX,
            AbsTop + height_ + kBoxMarginY};
}

void TQelHint::InvalidateArea()
{
    const TRect area = picture_.empty() ? BoxRect()
                                        : MakeRect(AbsLeft + PictureX, AbsTop + PictureY, PictureWidth, PictureHeight);
    const bool marked = Invalidated;
    Invalidate();
    OldRect = marked ? Union(OldRect, area) : area;
}

void TQelHint::SetLeft(int32_t value)
{
    InvalidateArea();
    TQelRichLabel::SetLeft(value);
}

void TQelHint::SetTop(int32_t value)
{
    InvalidateArea();
    TQelRichLabel::SetTop(value);
}

void TQelHint::SetVisible(bool value)
{
    TQelRichLabel::SetVisible(value);
    shownAt_ = 0;
}

void TQelHint::TopFormTick(int64_t time)
{
    if (!visible_ || ShowTime <= 0)
        return;
    if (shownAt_ == 0)
        shownAt_ = time;
    else if (time >= shownAt_ + ShowTime)
        SetVisible(false);
}

void TQelHint::Draw()
{
    if (picture_.empty())
        if (IQelGraphic4* host = Host())
            host->DrawRect({}, BoxRect(), BackGroundColor, BackGroundAlpha, true);
    TQelRichLabel::Draw();
}
