// Progress bars: how many step pictures a position fills, and where each one goes.
#include "interface/QelProgressBar.h"

#include "foundation/Text.h"

#include <algorithm>

const std::vector<std::string> kProgressBarOrientationNames = {"prHorizontal", "prVertical"};

// More copies than this fit on no screen; only a broken Width or StepWidth asks for them.
constexpr int32_t kMaxStepCopies = 10000;

const TQelPropTable& TQelProgressBar::StaticProperties()
{
    using C = TQelProgressBar;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelInterfaceObject::StaticProperties());
        TQelPropsOf<C>(t)
            .Field("BarPicture", &C::BarPicture)
            .Field("BarShiftLeft", &C::BarShiftLeft)
            .Field("BarShiftTop", &C::BarShiftTop)
            .Field("Min", &C::Min)
            .Field("Max", &C::Max)
            .Integer("Position", &C::Position, &C::SetPosition)
            .Field("StepWidth", &C::StepWidth)
            .Field("Orientation", &C::Orientation, kProgressBarOrientationNames);
        return t;
    }();
    return table;
}

void TQelProgressBar::SetPosition(int32_t value)
{
    position_ = value;
    Invalidate();
}

int32_t TQelProgressBar::StepCount() const
{
    if (StepWidth <= 0 || Max == Min)
        return 0;
    const bool vertical = Orientation == TProgressBarOrientation::prVertical;
    const double length = vertical ? static_cast<double>(height_) - 2.0 * BarShiftTop
                                   : static_cast<double>(width_) - 2.0 * BarShiftLeft;
    // A position outside Min..Max shows an empty or a full bar, never one that runs out
    // of its box.
    const double filled = std::clamp((static_cast<double>(position_) - Min) / (static_cast<double>(Max) - Min), 0.0, 1.0);
    return std::clamp(RoundHalfEven(length / StepWidth * filled), 0, kMaxStepCopies);
}

std::vector<std::string> TQelProgressBar::GetPictures() const
{
    return {picture_, BarPicture};
}

void TQelProgressBar::Draw()
{
    DrawBasePicture();
    IQelGraphic4* host = Host();
    if (!host || BarPicture.empty())
        return;
    const int32_t count = StepCount();
    const bool vertical = Orientation == TProgressBarOrientation::prVertical;
    for (int32_t k = 0; k < count; ++k) {
        const int64_t x = int64_t {AbsLeft} + BarShiftLeft + (vertical ? 0 : int64_t {k} * StepWidth);
        const int64_t y = int64_t {AbsTop} + BarShiftTop + (vertical ? height_ - (k + int64_t {1}) * StepWidth : 0);
        host->Draw(BarPicture, {}, BlendingMode, static_cast<int32_t>(x), static_cast<int32_t>(y), PictureAlpha(),
                   nullptr);
    }
}
