// Figures: a line across the widget's box, or a framed or filled rectangle.
#pragma once

#include "interface/QelInterfaceObject.h"

#include <string>
#include <vector>

enum class TFigureType { fLine, fRectangle };
extern const std::vector<std::string> kFigureTypeNames;

class TQelFigure : public TQelInterfaceObject {
public:
    const char* ClassName() const override { return "TQelFigure"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    void Draw() override;

    // Published, stored only.
    TFigureType FigureType = TFigureType::fLine;
    int32_t LineColor = 0;  // 0xBBGGRR
    uint8_t LineAlpha = 255;
    bool Fill = false;
};
