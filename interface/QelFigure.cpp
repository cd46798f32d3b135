// Figures: drawn through the host's line and rectangle calls.
#include "interface/QelFigure.h"

const std::vector<std::string> kFigureTypeNames = {"fLine", "fRectangle"};

const TQelPropTable& TQelFigure::StaticProperties()
{
    using C = TQelFigure;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelInterfaceObject::StaticProperties());
        TQelPropsOf<C>(t)
            .Field("FigureType", &C::FigureType, kFigureTypeNames)
            .Field("LineColor", &C::LineColor)
            .Field("LineAlpha", &C::LineAlpha)
            .Field("Fill", &C::Fill);
        return t;
    }();
    return table;
}

void TQelFigure::Draw()
{
    DrawBasePicture();
    IQelGraphic4* host = Host();
    if (!host)
        return;
    // Both figures end on the box's last pixel column and row.
    const int32_t right = AbsLeft + width_ - 1;
    const int32_t bottom = AbsTop + height_ - 1;
    if (FigureType == TFigureType::fLine)
        host->DrawLine({}, AbsLeft, AbsTop, right, bottom, LineColor, LineAlpha);
    else
        host->DrawRect({}, TRect {AbsLeft, AbsTop, right, bottom}, LineColor, LineAlpha, Fill);
}
