// Check boxes and radio buttons: a box picture beside the label text, toggled or
// checked by a click.
#include "interface/QelForm.h"
#include "interface/QelLabel.h"

const TQelPropTable& TQelCheckBox::StaticProperties()
{
    using C = TQelCheckBox;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelLabel::StaticProperties());
        TQelPropsOf<C>(t)
            .Field("BoxPlace", &C::BoxPlace, kBoxPlaceNames)
            .Boolean("Checked", &C::Checked, &C::SetChecked);
        return t;
    }();
    return table;
}

void TQelCheckBox::SetChecked(bool value)
{
    checked_ = value;
    Invalidate();
    UpdatePictureOffset();
}

int32_t TQelCheckBox::GetTextWidth() const
{
    return width_ - PictureSize(picture_).Width;
}

void TQelCheckBox::MouseDown(TQelMouseButton button, uint32_t, int32_t x, int32_t y)
{
    if (!Enabled)
        return;
    pressed_ = button == TQelMouseButton::Left && Inside(x, y);
    if (!pressed_)
        return;
    QueueEvent(SoundMouseDown, OnMouseDown);
    Invalidate();
}

void TQelCheckBox::MouseUp(TQelMouseButton button, uint32_t, int32_t x, int32_t y)
{
    if (!Enabled || button != TQelMouseButton::Left)
        return;
    const bool click = pressed_ && Inside(x, y);
    // A press released outside must not toggle the box on a later release.
    pressed_ = false;
    if (!click)
        return;
    SetChecked(!checked_);
    QueueEvent(SoundMouseUp, OnMouseUp);
    Invalidate();
}

void TQelCheckBox::Draw()
{
    const std::string& box = checked_ ? MouseDownPicture : picture_;
    const int32_t boxWidth = PictureSize(picture_).Width;
    const bool left = BoxPlace == TBoxPlace::bpLeft;
    IQelGraphic4* host = Host();
    if (host && !box.empty())
        host->Draw(box, BumpMapPicture(), BlendingMode, AbsLeft + (left ? 0 : width_ - boxWidth), AbsTop,
                   PictureAlpha(), nullptr);
    int32_t colour = mouseOver_ ? MouseOverColor : Color;
    if (!Enabled)
        colour = DisabledColor;
    DrawLines(colour, left ? boxWidth : 0, 0, false);
}

// ---------------------------------------------------------------------------------------

const TQelPropTable& TQelRadioButton::StaticProperties()
{
    using C = TQelRadioButton;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelLabel::StaticProperties());
        TQelPropsOf<C>(t)
            .Field("CheckedColor", &C::CheckedColor)
            .Field("BoxPlace", &C::BoxPlace, kBoxPlaceNames)
            .Boolean("Checked", &C::Checked, &C::SetChecked)
            .Field("RadioGroup", &C::RadioGroup);
        return t;
    }();
    return table;
}

void TQelRadioButton::SetChecked(bool value)
{
    if (value)
        if (TQelForm* form = ParentForm())
            for (TQelInterfaceObject* child : form->Childs) {
                auto* other = dynamic_cast<TQelRadioButton*>(child);
                if (other && other != this && other->RadioGroup == RadioGroup && other->checked_) {
                    other->checked_ = false;
                    other->Invalidate();
                }
            }
    checked_ = value;
    Invalidate();
    UpdatePictureOffset();
}

void TQelRadioButton::UpdatePictureOffset()
{
    if (picture_.empty() || MouseDownPicture.empty())
        return;
    TQelSize size = PictureSize(checked_ ? MouseDownPicture : picture_);
    if (size.Width < 1 || size.Height < 1)
        return;
    TPoint p = AlignedPictureOffset(size.Width, size.Height);
    PictureX = p.X;
    PictureY = p.Y;
    mouseOverOffset_ = p;
}

void TQelRadioButton::MouseDown(TQelMouseButton button, uint32_t, int32_t x, int32_t y)
{
    if (checked_)
        return;
    pressed_ = button == TQelMouseButton::Left && Inside(x, y);
    if (!pressed_)
        return;
    QueueEvent(SoundMouseDown, OnMouseDown);
    Invalidate();
}

void TQelRadioButton::MouseUp(TQelMouseButton button, uint32_t, int32_t x, int32_t y)
{
    if (checked_ || button != TQelMouseButton::Left)
        return;
    const bool click = pressed_ && Inside(x, y);
    pressed_ = false;
    if (!click)
        return;
    SetChecked(true);
    QueueEvent(SoundMouseUp, OnMouseUp);
    Invalidate();
}

void TQelRadioButton::Draw()
{
    const std::string& box = checked_ ? MouseDownPicture : picture_;
    const int32_t boxWidth = PictureSize(MouseDownPicture).Width;
    const int32_t bx = BoxPlace == TBoxPlace::bpLeft ? 0 : width_ - boxWidth;
    IQelGraphic4* host = Host();
    if (host && !box.empty())
        host->Draw(box, BumpMapPicture(), BlendingMode, AbsLeft + bx + PictureX, AbsTop + PictureY, PictureAlpha(),
                   nullptr);
    int32_t colour = CheckedColor;
    if (!checked_)
        colour = !Enabled ? DisabledColor : mouseOver_ ? MouseOverColor : Color;
    DrawLines(colour, TextShiftLeft(), TextShiftTop() + (checked_ ? TextDownShiftTop : 0), false);
}
