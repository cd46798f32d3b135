// Animated pictures: reading the list of animations, choosing the frame for a time, and
// drawing it.
#include "interface/QelMoving.h"

#include "foundation/Text.h"

#include <algorithm>
#include <stdexcept>

namespace {

// A sheet with more cells than this comes only from broken Rows or Cols values.
constexpr int64_t kMaxFrames = 10000;
// Cycle times are kept well inside 64 bits, so sums of broken values cannot overflow.
constexpr int64_t kTimeLimit = int64_t {1} << 61;

int64_t LimitTime(int64_t v) { return std::clamp(v, -kTimeLimit, kTimeLimit); }

int32_t FieldValue(std::string_view field)
{
    auto value = StrictInt(field);
    if (!value || *value < INT32_MIN || *value > INT32_MAX)
        throw std::runtime_error("'" + std::string(field) + "' is not a valid integer value");
    return static_cast<int32_t>(*value);
}

TMovingPic ParseOne(std::string_view text)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t colon; (colon = text.find(':', start)) != std::string_view::npos; start = colon + 1)
        fields.push_back(text.substr(start, colon - start));
    fields.push_back(text.substr(start));
    if (fields.size() < 7)
        throw std::runtime_error("'" + std::string(text) + "' does not name a picture and six numbers");
    TMovingPic pic;
    pic.Picture = Trim(fields[0]);
    // A sheet has at least one row and one column, and the still frame is one of its
    // frames (the first when it has none).
    pic.Rows = std::max(1, FieldValue(fields[1]));
    pic.Cols = std::max(1, FieldValue(fields[2]));
    pic.FrameCount = std::max(0, FieldValue(fields[3]));
    pic.StillFrame = std::clamp(FieldValue(fields[4]), 0, std::max(0, pic.FrameCount - 1));
    pic.FrameTime = FieldValue(fields[5]);
    pic.Pause = FieldValue(fields[6]);
    return pic;
}

}  // namespace

TMovingPics ParseMovingPics(std::string_view text, const std::function<TQelSize(const std::string&)>& pictureSize)
{
    TMovingPics pics;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view piece = text.substr(start, end - start);
        start = end + 1;
        if (!TrimView(piece).empty())
            pics.push_back(ParseOne(piece));
    }
    int64_t previousEnd = 0;
    for (TMovingPic& pic : pics) {
        pic.EndTime = LimitTime(LimitTime(int64_t {pic.Pause} + int64_t {pic.FrameCount} * pic.FrameTime) + previousEnd);
        previousEnd = pic.EndTime;
        const TQelSize sheet = pictureSize ? pictureSize(pic.Picture) : TQelSize {};
        pic.FrameSize = {sheet.Width / pic.Cols, sheet.Height / pic.Rows};
        const int64_t count = std::min({int64_t {pic.FrameCount}, int64_t {pic.Rows} * pic.Cols, kMaxFrames});
        for (int64_t i = 0; i < count; ++i) {
            const int32_t x = static_cast<int32_t>(i % pic.Cols) * pic.FrameSize.Width;
            const int32_t y = static_cast<int32_t>(i / pic.Cols) * pic.FrameSize.Height;
            pic.Frames.push_back(MakeRect(x, y, pic.FrameSize.Width, pic.FrameSize.Height));
        }
    }
    return pics;
}

std::optional<TMovingFrame> MovingFrameAt(const TMovingPics& pics, int64_t time)
{
    if (pics.empty())
        return std::nullopt;
    const TMovingPic& last = pics.back();
    const int64_t cycle = last.EndTime;
    if (cycle < 1) {
        // A cycle without length moves nothing; a still last animation shows its frame.
        if (last.FrameTime <= 0)
            return TMovingFrame {pics.size() - 1, last.StillFrame};
        return std::nullopt;
    }
    const int64_t t = (time % cycle + cycle) % cycle;
    size_t shown = 0;
    while (pics[shown].EndTime < t)
        ++shown;  // ends at the last animation at the latest: its EndTime is the cycle
    const TMovingPic& pic = pics[shown];
    // The frame counts from the start of the cycle, not from the animation's own start.
    const int64_t loop = int64_t {pic.FrameTime} * pic.FrameCount;
    if (pic.FrameTime <= 0 || loop <= 0)
        return TMovingFrame {shown, pic.StillFrame};
    return TMovingFrame {shown, static_cast<int32_t>(t % loop / pic.FrameTime)};
}

// ---------------------------------------------------------------------------------------

TMovingPics TQelMoving::Parse(const std::string& text) const
{
    return ParseMovingPics(text, [this](const std::string& picture) { return PictureSize(picture); });
}

void TQelMoving::SetPicture(const std::string& value)
{
    TMovingPics pics = Parse(value);
    picture_ = value;
    pics_ = std::move(pics);
    current_ = {0, pics_.empty() ? 0 : pics_.front().StillFrame};
    if (autoSize_ == TAutoSizeType::asCaption)
        return;
    Invalidate();
    LayOut();
}

void TQelMoving::LayOut()
{
    ApplyAutoSize();
    ApplyAlign();
    UpdatePosition();
    UpdatePictureOffset();
    PictureWidth = FirstFrameSize().Width;
    PictureHeight = FirstFrameSize().Height;
}

void TQelMoving::ApplyAutoSize()
{
    const TQelSize frame = FirstFrameSize();
    if (autoSize_ == TAutoSizeType::asPicture && frame.Width > 0 && frame.Height > 0) {
        width_ = frame.Width;
        height_ = frame.Height;
    }
}

void TQelMoving::UpdatePictureOffset()
{
    const TQelSize frame = FirstFrameSize();
    if (frame.Width < 1 || frame.Height < 1)
        return;
    switch (PictureHAlign()) {
    case TPictureHAlignType::phaLeft: PictureX = 0; break;
    case TPictureHAlignType::phaCenter: PictureX = width_ / 2 - frame.Width / 2; break;
    case TPictureHAlignType::phaRight: PictureX = width_ - frame.Width; break;
    }
    switch (PictureVAlign()) {
    case TPictureVAlignType::pvaTop: PictureY = 0; break;
    case TPictureVAlignType::pvaCenter: PictureY = height_ / 2 - frame.Height / 2; break;
    case TPictureVAlignType::pvaBottom: PictureY = height_ - frame.Height; break;
    }
}

void TQelMoving::Refresh()
{
    // The list parsed once already, so reading it again cannot fail.
    pics_ = Parse(picture_);
    if (current_.Animation >= pics_.size())
        current_ = {};
    LayOut();
}

void TQelMoving::Assign(const TQelObject& source)
{
    TQelInterfaceObject::Assign(source);
    if (const auto* moving = dynamic_cast<const TQelMoving*>(&source)) {
        pics_ = moving->pics_;
        current_ = moving->current_;
    }
}

std::vector<std::string> TQelMoving::GetPictures() const
{
    std::vector<std::string> pictures;
    for (const TMovingPic& pic : pics_)
        pictures.push_back(pic.Picture);
    return pictures;
}

void TQelMoving::AnimationTick(int64_t time)
{
    std::optional<TMovingFrame> next = MovingFrameAt(pics_, time);
    if (!next || *next == current_)
        return;
    current_ = *next;
    Invalidate();
}

void TQelMoving::Draw()
{
    IQelGraphic4* host = Host();
    if (!host || current_.Animation >= pics_.size())
        return;
    const TMovingPic& pic = pics_[current_.Animation];
    // A frame the sheet does not have (no frames, or an unknown picture) draws nothing.
    if (current_.Frame < 0 || static_cast<size_t>(current_.Frame) >= pic.Frames.size())
        return;
    const TRect& frame = pic.Frames[static_cast<size_t>(current_.Frame)];
    if (frame.Right <= frame.Left || frame.Bottom <= frame.Top)
        return;
    host->Draw(pic.Picture, {}, BlendingMode, AbsLeft + PictureX, AbsTop + PictureY, 255, &frame);
}
