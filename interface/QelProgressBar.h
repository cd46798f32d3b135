// Progress bars: a bar built of copies of one step picture, growing from the left or,
// standing, from the bottom.
#pragma once

#include "interface/QelInterfaceObject.h"

#include <string>
#include <vector>

enum class TProgressBarOrientation { prHorizontal, prVertical };
extern const std::vector<std::string> kProgressBarOrientationNames;

class TQelProgressBar : public TQelInterfaceObject {
public:
    const char* ClassName() const override { return "TQelProgressBar"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    void SetPosition(int32_t value);
    int32_t Position() const { return position_; }
    // How many step pictures the bar shows for its Position.
    int32_t StepCount() const;

    std::vector<std::string> GetPictures() const override;
    void Draw() override;

    // Published, stored only.
    std::string BarPicture;
    int32_t BarShiftLeft = 0;
    int32_t BarShiftTop = 0;
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t StepWidth = 0;
    TProgressBarOrientation Orientation = TProgressBarOrientation::prHorizontal;

private:
    int32_t position_ = 0;
};
