// Sliders: the thumb's place on the track, the arrow buttons' layout, mouse steps and
// dragging, and the link to a scrolled grid or tree.
#include "interface/QelSlider.h"

#include "foundation/Text.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelLabel.h"
#include "interface/QelScrollLink.h"

#include <algorithm>
#include <limits>

const std::vector<std::string> kTrackBarOrientationNames = {"trHorizontal", "trVertical"};

namespace {

int32_t Clamp32(int64_t v)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

// An arrow button: a label the slider owns, places and presses itself.
class TQelSliderButton final : public TQelLabel {
public:
    void Release() { pressed_ = false; }
    void LeaveMouse() { mouseOver_ = false; }
    // At (left, top) inside the slider, as large as its picture.
    void Place(int32_t left, int32_t top, TQelSize size)
    {
        left_ = left;
        top_ = top;
        width_ = size.Width;
        height_ = size.Height;
        UpdatePosition();
        UpdatePictureOffset();
    }
};

TQelSlider::TQelSlider()
{
    for (auto& button : buttons_) {
        button = std::make_unique<TQelSliderButton>();
        button->ParentObject = this;
        // Until a picture gives it a size a button must not catch clicks.
        button->Place(0, 0, {});
    }
}

TQelSlider::~TQelSlider() = default;

const TQelPropTable& TQelSlider::StaticProperties()
{
    using C = TQelSlider;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelInterfaceObject::StaticProperties());
        TQelPropsOf<C>(t)
            .String("LinkedObjectName", &C::LinkedObjectName, &C::SetLinkedObjectName)
            .Field("BarPicture", &C::BarPicture)
            .Field("MouseOverBarPicture", &C::MouseOverBarPicture)
            .Field("BarShiftLeft", &C::BarShiftLeft)
            .Field("BarShiftTop", &C::BarShiftTop)
            .Integer("Max", &C::Max, &C::SetMax)
            .Field("Min", &C::Min)
            .Field("Step", &C::Step)
            .Field("BigStep", &C::BigStep)
            .Enumeration("Orientation", kTrackBarOrientationNames, &C::Orientation, &C::SetOrientation)
            .Integer("Position", &C::Position, &C::SetPosition)
            .String("UpPicture", &C::UpPicture, &C::SetUpPicture)
            .String("UpMouseOverPicture", &C::UpMouseOverPicture, &C::SetUpMouseOverPicture)
            .String("UpMouseDownPicture", &C::UpMouseDownPicture, &C::SetUpMouseDownPicture)
            .String("DownPicture", &C::DownPicture, &C::SetDownPicture)
            .String("DownMouseOverPicture", &C::DownMouseOverPicture, &C::SetDownMouseOverPicture)
            .String("DownMouseDownPicture", &C::DownMouseDownPicture, &C::SetDownMouseDownPicture)
            .Field("ButtonsSound", &C::ButtonsSound)
            .Field("OnChange", &C::OnChange);
        return t;
    }();
    return table;
}

TQelSliderButton& TQelSlider::Button(int index) const
{
    TQelSliderButton& button = *buttons_[index];
    button.Engine = Engine;
    // The engine clears the marks of its own objects after each drawing pass; a button's
    // mark goes with the slider's, so the next change of the button reaches the slider.
    if (!Invalidated)
        button.Invalidated = false;
    // PictureAlpha's writer cannot be extended, so the buttons take the slider's value
    // whenever they are used.
    if (button.PictureAlpha() != PictureAlpha())
        button.SetPictureAlpha(PictureAlpha());
    return button;
}

const TQelLabel& TQelSlider::UpButton() const { return Button(0); }
const TQelLabel& TQelSlider::DownButton() const { return Button(1); }

IQelScrollable* TQelSlider::Scrollable() const
{
    return dynamic_cast<IQelScrollable*>(linkedTree_);
}

// ---------------------------------------------------------------------------------------
// Writers

void TQelSlider::SetPosition(int32_t value)
{
    int32_t stored = value;
    if (value < Min)
        stored = Min;
    if (value > max_)
        stored = max_;
    const bool changed = stored != position_;
    position_ = stored;
    TQelInterfaceEngine* engine = InterfaceEngine();
    // A value read from an interface file is where the slider starts, not a change the
    // player made: nothing is queued for it.
    if (changed && engine && engine->ReadingState() != kReadingState)
        engine->AddScript(Name(), OnChange);
    if (IQelScrollable* scrolled = Scrollable())
        scrolled->FollowSlider(position_);
    Invalidate();
}

void TQelSlider::SetMax(int32_t value)
{
    max_ = value;
    if (IQelScrollable* scrolled = Scrollable())
        if (auto rows = scrolled->MaxOnWrite())
            max_ = *rows;
    Invalidate();
}

void TQelSlider::SetLinkedObjectName(const std::string& value)
{
    linkedObjectName_ = value;
    TQelObject* target = Engine && !value.empty() ? Engine->GetObjectByName(value) : nullptr;
    // A name that finds nothing (any more) must not leave the old link behind it.
    linkedTree_ = target == this ? nullptr : target;
    if (IQelScrollable* scrolled = Scrollable()) {
        scrolled->AttachSlider(*this);
        max_ = scrolled->MaxOnLink();
    }
    Invalidate();
}

void TQelSlider::SetOrientation(TTrackBarOrientation value)
{
    orientation_ = value;
    LayOutButtons();
    Invalidate();
}

void TQelSlider::SetUpPicture(const std::string& value)
{
    Button(0).SetPicture(value);
    LayOutButtons();
    Invalidate();
}

void TQelSlider::SetDownPicture(const std::string& value)
{
    Button(1).SetPicture(value);
    LayOutButtons();
    Invalidate();
}

void TQelSlider::SetUpMouseOverPicture(const std::string& value)
{
    Button(0).SetMouseOverPicture(value);
    Invalidate();
}

void TQelSlider::SetDownMouseOverPicture(const std::string& value)
{
    Button(1).SetMouseOverPicture(value);
    Invalidate();
}

void TQelSlider::SetUpMouseDownPicture(const std::string& value)
{
    Button(0).MouseDownPicture = value;
    Invalidate();
}

void TQelSlider::SetDownMouseDownPicture(const std::string& value)
{
    Button(1).MouseDownPicture = value;
    Invalidate();
}

const std::string& TQelSlider::UpPicture() const { return Button(0).Picture(); }
const std::string& TQelSlider::UpMouseOverPicture() const { return Button(0).MouseOverPicture(); }
const std::string& TQelSlider::UpMouseDownPicture() const { return Button(0).MouseDownPicture; }
const std::string& TQelSlider::DownPicture() const { return Button(1).Picture(); }
const std::string& TQelSlider::DownMouseOverPicture() const { return Button(1).MouseOverPicture(); }
const std::string& TQelSlider::DownMouseDownPicture() const { return Button(1).MouseDownPicture; }

// ---------------------------------------------------------------------------------------
// Layout

void TQelSlider::UpdatePosition()
{
    TQelInterfaceObject::UpdatePosition();
    LayOutButtons();
}

void TQelSlider::LayOutButtons()
{
    for (int i = 0; i < 2; ++i) {
        TQelSliderButton& button = Button(i);
        const TQelSize size = PictureSize(button.Picture());
        // The first button at the top or left end, the second at the other, both centred
        // across the slider.
        if (Vertical())
            button.Place((width_ - size.Width) / 2, i == 0 ? 0 : height_ - size.Height, size);
        else
            button.Place(i == 0 ? 0 : width_ - size.Width, (height_ - size.Height) / 2, size);
    }
}

int32_t TQelSlider::ThumbOffset() const
{
    if (max_ == Min)
        return 0;
    const TQelSize picture = PictureSize(picture_);
    const TQelSize bar = PictureSize(BarPicture);
    const double fraction = (static_cast<double>(position_) - Min) / (static_cast<double>(max_) - Min);
    const double track = Vertical() ? static_cast<double>(picture.Height) - 2.0 * BarShiftTop - bar.Height
                                    : static_cast<double>(picture.Width) - 2.0 * BarShiftLeft - bar.Width;
    return Clamp32(static_cast<int64_t>(RoundHalfEven(fraction * track)) + (Vertical() ? BarShiftTop : BarShiftLeft));
}

std::vector<std::string> TQelSlider::GetPictures() const
{
    return {picture_,
            BarPicture,
            MouseOverBarPicture,
            UpPicture(),
            UpMouseOverPicture(),
            UpMouseDownPicture(),
            DownPicture(),
            DownMouseOverPicture(),
            DownMouseDownPicture()};
}

void TQelSlider::ForgetObject(const TQelObject* dying)
{
    TQelInterfaceObject::ForgetObject(dying);
    if (linkedTree_ == dying)
        linkedTree_ = nullptr;
}

// ---------------------------------------------------------------------------------------
// Mouse

void TQelSlider::MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y)
{
    dragging_ = false;
    Button(0).Release();
    Button(1).Release();
    if (!Inside(x, y))
        return;
    if (shift & QelShift::kLeft) {
        Button(0).MouseDown(button, shift, x, y);
        Button(1).MouseDown(button, shift, x, y);
        // Everything along the slider's direction: the pointer, the picture's edge, the
        // thumb, the track's margin and the slider's own ends.
        const bool vertical = Vertical();
        const int64_t at = vertical ? y : x;
        const int64_t origin = vertical ? int64_t {AbsTop} + PictureY : int64_t {AbsLeft} + PictureX;
        const int64_t margin = vertical ? BarShiftTop : BarShiftLeft;
        const TQelSize bar = PictureSize(BarPicture);
        const TQelSize picture = PictureSize(picture_);
        const int64_t barLength = vertical ? bar.Height : bar.Width;
        const int64_t pictureLength = vertical ? picture.Height : picture.Width;
        const int64_t thumb = origin + ThumbOffset();
        const int64_t start = vertical ? AbsTop : AbsLeft;
        const int64_t end = start + (vertical ? height_ : width_);
        const int64_t first = vertical ? Button(0).Height() : Button(0).Width();
        const int64_t second = vertical ? Button(1).Height() : Button(1).Width();
        auto stepBy = [this](int64_t delta) { SetPosition(Clamp32(int64_t {position_} + delta)); };
        if (thumb <= at && at <= thumb + barLength)
            dragging_ = true;
        else if (origin + margin <= at && at < thumb)
            stepBy(-int64_t {BigStep});
        else if (thumb + barLength < at && at <= origin + pictureLength - margin)
            stepBy(BigStep);
        else if (first > 0 && start <= at && at <= start + first)
            stepBy(-int64_t {Step});
        else if (second > 0 && end - second < at && at < end)
            stepBy(Step);
    }
    Invalidate();
}

void TQelSlider::DragTo(int32_t along)
{
    const bool vertical = Vertical();
    const TQelSize bar = PictureSize(BarPicture);
    const TQelSize picture = PictureSize(picture_);
    const int32_t barLength = vertical ? bar.Height : bar.Width;
    const double margin = vertical ? BarShiftTop : BarShiftLeft;
    const double track = (vertical ? picture.Height : picture.Width) - 2.0 * margin - barLength;
    const double range = static_cast<double>(max_) - Min;
    // No range or no track to move along: the thumb has one place only.
    if (range == 0 || track == 0) {
        SetPosition(Min);
        return;
    }
    const double origin = vertical ? static_cast<double>(AbsTop) + PictureY : static_cast<double>(AbsLeft) + PictureX;
    const double pointer = along - origin - barLength / 2 - margin;
    int64_t value = int64_t {RoundHalfEven(pointer / (track / range))} + Min;
    // A slider without a step moves by single values.
    if (Step > 0)
        value = int64_t {RoundHalfEven(static_cast<double>(value) / Step)} * Step;
    SetPosition(Clamp32(value));
}

void TQelSlider::MouseMove(uint32_t shift, int32_t x, int32_t y)
{
    TQelInterfaceObject::MouseMove(shift, x, y);
    Button(0).LeaveMouse();
    Button(1).LeaveMouse();
    if (!dragging_ && !Inside(x, y)) {
        if (mouseOver_) {
            mouseOver_ = false;
            Invalidate();
        }
        return;
    }
    mouseOver_ = true;
    Button(0).MouseMove(shift, x, y);
    Button(1).MouseMove(shift, x, y);
    if (dragging_ && (shift & QelShift::kLeft))
        DragTo(Vertical() ? y : x);
    Invalidate();
}

void TQelSlider::MouseUp(TQelMouseButton, uint32_t, int32_t, int32_t)
{
    dragging_ = false;
    Button(0).Release();
    Button(1).Release();
    Invalidate();
}

// ---------------------------------------------------------------------------------------
// Drawing

void TQelSlider::Draw()
{
    DrawBasePicture();
    if (IQelGraphic4* host = Host()) {
        // Without a hover picture the thumb keeps its own rather than vanishing.
        const std::string& thumb = mouseOver_ && !MouseOverBarPicture.empty() ? MouseOverBarPicture : BarPicture;
        if (!thumb.empty()) {
            const TQelSize bar = PictureSize(BarPicture);
            const int32_t offset = ThumbOffset();
            const int32_t x = Vertical() ? AbsLeft + (width_ - bar.Width) / 2 + BarShiftLeft : AbsLeft + PictureX + offset;
            const int32_t y = Vertical() ? AbsTop + PictureY + offset : AbsTop + (height_ - bar.Height) / 2 + BarShiftTop;
            host->Draw(thumb, {}, BlendingMode, x, y, PictureAlpha(), nullptr);
        }
    }
    for (int i = 0; i < 2; ++i)
        if (!Button(i).Picture().empty())
            Button(i).Draw();
}
