// Animated pictures: animations cut from sprite sheets, played one after another in a
// cycle that the clock drives, so every copy of a screen shows the same frame at once.
#pragma once

#include "interface/QelInterfaceObject.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One animation: FrameCount cells of a sheet of Rows x Cols, FrameTime ms each, then
// Pause ms of the cycle more.
struct TMovingPic {
    std::string Picture;
    int32_t Rows = 1;
    int32_t Cols = 1;
    int32_t FrameCount = 0;
    int32_t StillFrame = 0;  // shown while the animation does not move
    int32_t FrameTime = 0;   // ms per frame; 0 or less shows the still frame only
    int32_t Pause = 0;
    TQelSize FrameSize;         // one cell of the sheet
    std::vector<TRect> Frames;  // the cells in picture coordinates, row by row
    int64_t EndTime = 0;        // where this animation ends in the cycle, ms
};
using TMovingPics = std::vector<TMovingPic>;

// "Fish.png:2:4:8:0:100:500;" per animation: picture, Rows, Cols, FrameCount, StillFrame,
// FrameTime, Pause. The cells are measured with pictureSize. Throws std::runtime_error
// for a field that is missing or not a number.
TMovingPics ParseMovingPics(std::string_view text, const std::function<TQelSize(const std::string&)>& pictureSize);

struct TMovingFrame {
    size_t Animation = 0;
    int32_t Frame = 0;
    friend bool operator==(const TMovingFrame&, const TMovingFrame&) = default;
};

// The animation and frame shown at a time (ms); nothing when the picture stays as it is.
std::optional<TMovingFrame> MovingFrameAt(const TMovingPics& pics, int64_t time);

class TQelMoving : public TQelInterfaceObject {
public:
    const char* ClassName() const override { return "TQelMoving"; }

    // Picture holds the list of animations; a malformed list fails the write and the old
    // one stays.
    void SetPicture(const std::string& value) override;
    void ApplyAutoSize() override;
    // Placed by the first frame's size; the picture shifts are not added.
    void UpdatePictureOffset() override;
    // Measures the sheets again: they may have been loaded since.
    void Refresh() override;
    // A copy made by a form's Assign gets the list text; it shows it at once.
    void Assign(const TQelObject& source) override;
    std::vector<std::string> GetPictures() const override;
    void AnimationTick(int64_t time) override;
    void Draw() override;

    const TMovingPics& Animations() const { return pics_; }
    TMovingFrame Current() const { return current_; }

private:
    TQelSize FirstFrameSize() const { return pics_.empty() ? TQelSize {} : pics_.front().FrameSize; }
    TMovingPics Parse(const std::string& text) const;
    void LayOut();

    TMovingPics pics_;
    TMovingFrame current_;
};
