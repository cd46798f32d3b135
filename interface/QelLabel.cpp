// Labels: caption layout in lines, drawing by mouse state (plain, justified, slanted),
// button mouse and hot keys.
#include "interface/QelLabel.h"

#include "foundation/Text.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

const std::vector<std::string> kTextAlignmentNames = {"taLeft", "taCenter", "taRight", "taJustify"};
const std::vector<std::string> kTextLayoutNames = {"tlTop", "tlCenter", "tlBottom"};
const std::vector<std::string> kBoxPlaceNames = {"bpLeft", "bpRight"};

static int32_t CharWidth(const IQelTextFont& font, char16_t c)
{
    return font.GetTextWidth(std::u16string_view(&c, 1));
}

// ---------------------------------------------------------------------------------------

TQelLabel::TQelLabel()
{
    width_ = 200;
    height_ = 30;
}

const TQelPropTable& TQelLabel::StaticProperties()
{
    using C = TQelLabel;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelInterfaceObject::StaticProperties());
        TQelPropsOf<C>(t)
            .Field("MakeTB", &C::MakeTB)
            .String("MouseOverPicture", &C::MouseOverPicture, &C::SetMouseOverPicture)
            .Field("MouseDownPicture", &C::MouseDownPicture)
            .Field("MouseDownBumpMapPicture", &C::MouseDownBumpMapPicture)
            .String("SourcesList", &C::SourcesList, &C::SetSourcesList)
            .String("FontName", &C::FontName, &C::SetFontName)
            .WideString("Caption", &C::Caption, &C::SetCaption)
            .WideString("FormatCaption", &C::FormatCaption, &C::SetFormatCaption)
            .Byte("Alpha", &C::Alpha, &C::SetAlpha)
            .Field("Color", &C::Color)
            .Field("MouseOverColor", &C::MouseOverColor)
            .Enumeration("Alignment", kTextAlignmentNames, &C::Alignment, &C::SetAlignment)
            .Enumeration("Layout", kTextLayoutNames, &C::Layout, &C::SetLayout)
            .Integer("TextShiftLeft", &C::TextShiftLeft, &C::SetTextShiftLeft)
            .Integer("TextShiftTop", &C::TextShiftTop, &C::SetTextShiftTop)
            .Integer("LineSpace", &C::LineSpace, &C::SetLineSpace)
            .Field("TextDownShiftLeft", &C::TextDownShiftLeft)
            .Field("TextDownShiftTop", &C::TextDownShiftTop)
            .Boolean("Floating", &C::Floating, &C::SetFloating)
            .Integer("CharShiftAngle", &C::CharShiftAngle, &C::SetCharShiftAngle)
            .Field("Enabled", &C::Enabled)
            .Field("DisabledColor", &C::DisabledColor)
            .WideString("Delimiter", &C::Delimiter, &C::SetDelimiter)
            .Field("Hint", &C::Hint);
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------------------
// Writers

void TQelLabel::Relayout()
{
    MakeTextBlocks();
    PositionBlocks();
}

void TQelLabel::SetWidth(int32_t value)
{
    TQelInterfaceObject::SetWidth(value);
    Relayout();
    Invalidate();
}

void TQelLabel::SetPicture(const std::string& value)
{
    TQelInterfaceObject::SetPicture(value);
    if (width_ > 0 && height_ > 0) {
        Relayout();
        Invalidate();
    }
}

void TQelLabel::SetCaption(const std::u16string& value)
{
    caption_ = value;
    shown_ = delimiter_.empty() ? caption_ : GroupDigits(caption_, delimiter_);
    if (width_ > 0 && height_ > 0) {
        MakeTextBlocks();
        if (!MakeTB)
            PositionBlocks();
        Invalidate();
    }
    UpdateDestinations();
}

void TQelLabel::SetDelimiter(const std::u16string& value)
{
    delimiter_ = value;
    shown_ = delimiter_.empty() ? caption_ : GroupDigits(caption_, delimiter_);
    if (width_ > 0 && height_ > 0) {
        Relayout();
        Invalidate();
    }
}

void TQelLabel::SetFontName(const std::string& value)
{
    fontName_ = value;
    if (width_ > 0 && height_ > 0)
        Relayout();
}

void TQelLabel::SetMouseOverPicture(const std::string& value)
{
    mouseOverPicture_ = value;
    TQelSize size = PictureSize(value);
    if (size.Width >= 1 && size.Height >= 1)
        mouseOverOffset_ = AlignedPictureOffset(size.Width, size.Height);
}

void TQelLabel::SetAlpha(uint8_t value)
{
    alpha_ = value;
    Invalidate();
}

void TQelLabel::SetCharShiftAngle(int32_t value)
{
    charShiftAngle_ = value;
    Invalidate();
}

void TQelLabel::SetAlignment(TTextAlignment value)
{
    alignment_ = value;
    PositionBlocks();
    Invalidate();
}

void TQelLabel::SetLayout(TTextLayout value)
{
    layout_ = value;
    PositionBlocks();
    Invalidate();
}

void TQelLabel::SetLineSpace(int32_t value)
{
    lineSpace_ = value;
    PositionBlocks();
    Invalidate();
}

void TQelLabel::SetTextShiftLeft(int32_t value)
{
    textShiftLeft_ = value;
    PositionBlocks();
    Invalidate();
}

void TQelLabel::SetTextShiftTop(int32_t value)
{
    textShiftTop_ = value;
    PositionBlocks();
    Invalidate();
}

void TQelLabel::SetFloating(bool value)
{
    floating_ = value;
    Refresh();
}

std::string TQelLabel::MeasuredPicture() const
{
    if (!picture_.empty())
        return picture_;
    if (!mouseOverPicture_.empty())
        return mouseOverPicture_;
    return MouseDownPicture;
}

void TQelLabel::UpdatePictureOffset()
{
    std::string picture = MeasuredPicture();
    if (picture.empty())
        return;
    TQelSize size = PictureSize(picture);
    if (size.Width < 1 || size.Height < 1)
        return;
    TPoint p = AlignedPictureOffset(size.Width, size.Height);
    PictureX = p.X;
    PictureY = p.Y;
    mouseOverOffset_ = p;
}

std::vector<std::string> TQelLabel::GetPictures() const
{
    return {picture_, mouseOverPicture_, MouseDownPicture};
}

void TQelLabel::Refresh()
{
    TQelInterfaceObject::Refresh();
    Relayout();
}

IQelTextFont* TQelLabel::Font() const
{
    return fontName_.empty() ? nullptr : FindFont(fontName_);
}

int32_t TQelLabel::GetTextWidth() const
{
    return width_;
}

// ---------------------------------------------------------------------------------------
// Lines

void TQelLabel::MakeTextBlocks()
{
    lines_.clear();
    IQelTextFont* font = Font();
    if (!font || shown_.empty() || width_ == 0 || height_ == 0)
        return;

    // The picture's band, beside which floating lines are indented.
    int32_t pictureW = 0, pictureTop = 0, pictureBottom = 0;
    if (!picture_.empty()) {
        TQelSize size = PictureSize(picture_);
        pictureW = size.Width;
        pictureTop = PictureY;
        pictureBottom = PictureY + size.Height;
    }

    std::u16string text = shown_;
    while (!text.empty() && text.back() <= 32)
        text.pop_back();
    std::u16string joined;
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] == u'\r' && k + 1 < text.size() && text[k + 1] == u'\n') {
            joined += u' ';
            ++k;
        } else {
            joined += text[k] == u'\t' ? u' ' : text[k];
        }
    }
    text = std::move(joined);

    const int32_t h = font->Height();
    const int64_t available = GetTextWidth();
    const size_t n = text.size();
    int32_t indent = 0;
    auto addLine = [&](size_t from, size_t to) {
        TTextBlock line;
        line.Text = text.substr(from, to - from);
        line.Floating = indent != 0;
        lines_.push_back(std::move(line));
    };

    // Greedy wrapping: a full line breaks after the last space seen, or before the
    // character that overflows when the line has no space. The first character of a
    // continuation line is not counted toward its fullness.
    size_t start = 0, brk = 0, i = 0;
    int64_t w = 0;
    while (i < n) {
        w += CharWidth(*font, text[i]);
        if (available - indent < w) {
            if (brk == start) {
                addLine(start, i);
                start = brk = i;
            } else {
                addLine(start, brk);
                while (brk < n && text[brk] == u' ')
                    ++brk;
                start = brk;
            }
            w = 0;
            i = start + 1;
        } else {
            if (i + 1 < n && text[i + 1] == u' ')
                brk = i + 1;
            ++i;
        }
        if (floating_) {
            int64_t last = lines_.empty() ? 0 : static_cast<int64_t>(lines_.size()) - 1;
            int64_t y = static_cast<int64_t>(h) * last;
            indent = (pictureTop - 2 * h <= y && y < pictureBottom - h) ? pictureW : 0;
        }
    }
    addLine(std::min(start, n), n);

    for (TTextBlock& line : lines_) {
        int32_t spaces = 0;
        for (size_t k = 0; k < line.Text.size(); ++k)
            if (line.Text[k] == u' ' && k + 1 < line.Text.size())
                ++spaces;
        line.SpaceCount = spaces;
        line.Width = font->GetTextWidth(line.Text);
        line.FontName = fontName_;
        line.Alpha = alpha_;
    }
    ApplyBlockColors();
}

void TQelLabel::ApplyBlockColors()
{
    for (TTextBlock& line : lines_) {
        line.Color = Color;
        line.MouseOverColor = MouseOverColor;
        line.DisabledColor = DisabledColor;
        line.BlockColor = Color;
    }
}

void TQelLabel::PositionBlocks()
{
    IQelTextFont* font = Font();
    if (!font || lines_.empty())
        return;
    const int32_t h = font->Height();
    const int32_t n = static_cast<int32_t>(lines_.size());
    const int32_t total = h * n + (n - 1) * lineSpace_;
    const int32_t textWidth = GetTextWidth();
    for (int32_t i = 0; i < n; ++i) {
        TTextBlock& line = lines_[static_cast<size_t>(i)];
        switch (alignment_) {
        case TTextAlignment::taLeft:
        case TTextAlignment::taJustify:
            line.X = textShiftLeft_;
            if (line.Floating && floating_ && PictureHAlign() == TPictureHAlignType::phaLeft)
                line.X += PictureWidth;
            break;
        case TTextAlignment::taCenter: line.X = (textWidth - line.Width) / 2 + textShiftLeft_; break;
        case TTextAlignment::taRight: line.X = textWidth + textShiftLeft_ - line.Width; break;
        }
        const int32_t step = i * (h + lineSpace_) + textShiftTop_;
        switch (layout_) {
        case TTextLayout::tlTop: line.Y = step; break;
        case TTextLayout::tlCenter: line.Y = (height_ - total) / 2 + step; break;
        case TTextLayout::tlBottom: line.Y = height_ - total + step; break;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Drawing

void TQelLabel::Draw()
{
    std::string picture = picture_;
    int32_t colour = Color;
    int32_t dx = 0, dy = 0;
    TPoint offset{PictureX, PictureY};
    if (mouseOver_ && pressed_) {
        picture = MouseDownPicture;
        colour = MouseOverColor;
        dx = TextDownShiftLeft;
        dy = TextDownShiftTop;
        offset = mouseOverOffset_;
    } else if (mouseOver_) {
        picture = mouseOverPicture_;
        colour = MouseOverColor;
        offset = mouseOverOffset_;
    }
    if (!Enabled) {
        colour = DisabledColor;
        picture = MouseDownPicture;
    }
    IQelGraphic4* host = Host();
    if (host && !picture.empty())
        host->Draw(picture, BumpMapPicture(), BlendingMode, AbsLeft + offset.X, AbsTop + offset.Y, PictureAlpha(),
                   nullptr);
    DrawLines(colour, dx, dy, true);
}

void TQelLabel::DrawLines(int32_t colour, int32_t dx, int32_t dy, bool allowSlant)
{
    IQelTextFont* font = Font();
    if (!font)
        return;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const TTextBlock& line = lines_[i];
        const int32_t x = AbsLeft + line.X + dx;
        const int32_t y = AbsTop + line.Y + dy;
        const int32_t indent = line.Floating && floating_ ? PictureWidth : 0;
        if (alignment_ == TTextAlignment::taJustify && i + 1 < lines_.size())
            DrawJustified(*font, line, x, y, colour, indent);
        else if (allowSlant && charShiftAngle_ != 0)
            DrawSlanted(*font, line, x, y, colour);
        else
            font->DrawText(x, y, colour, alpha_, line.Text, 0);
    }
}

void TQelLabel::DrawJustified(IQelTextFont& font, const TTextBlock& line, int32_t x, int32_t y, int32_t colour,
                              int32_t indent)
{
    const int32_t spaces = line.SpaceCount;
    if (spaces <= 0) {
        font.DrawText(x, y, colour, alpha_, line.Text, 0);
        return;
    }
    const int32_t extra = GetTextWidth() - indent - line.Width;
    const int32_t each = extra / spaces;
    const int32_t rest = extra % spaces;
    // The one space that takes the pixel left over.
    const int32_t lucky = rest > 0 ? RoundHalfEven(static_cast<double>(spaces) / rest) : -1;
    int32_t drawn = 0, widened = 0, spaceNumber = 0;
    for (size_t k = 0; k < line.Text.size(); ++k) {
        const char16_t c = line.Text[k];
        font.DrawText(x + drawn + widened, y, colour, alpha_, std::u16string_view(&line.Text[k], 1), 0);
        drawn += CharWidth(font, c);
        if (c == u' ' && k + 1 < line.Text.size()) {
            ++spaceNumber;
            widened += each + (spaceNumber == lucky ? 1 : 0);
        }
    }
}

void TQelLabel::DrawSlanted(IQelTextFont& font, const TTextBlock& line, int32_t x, int32_t y, int32_t colour)
{
    if (line.Text.empty())
        return;
    const double t = std::tan(std::abs(charShiftAngle_) * std::numbers::pi / 180.0);
    const bool rises = charShiftAngle_ > 0;
    const int32_t shift = RoundHalfEven(std::fabs(t * line.X));
    const int32_t baseY = rises ? y - shift : y + shift;
    const int32_t first = CharWidth(font, line.Text[0]);
    int32_t before = 0;  // width of the characters drawn so far
    for (size_t k = 0; k < line.Text.size(); ++k) {
        const int32_t w = CharWidth(font, line.Text[k]);
        int32_t dy = rises ? std::abs(RoundHalfEven(first * t)) - std::abs(RoundHalfEven((before + w) * t))
                           : RoundHalfEven(t * before);
        font.DrawText(x + before, baseY + dy, colour, alpha_, std::u16string_view(&line.Text[k], 1), 0);
        before += w;
    }
}

// ---------------------------------------------------------------------------------------
// Mouse and keys: the button

void TQelLabel::MouseDown(TQelMouseButton button, uint32_t, int32_t x, int32_t y)
{
    if (!Enabled || button != TQelMouseButton::Left || !Inside(x, y))
        return;
    QueueEvent(SoundMouseDown, OnMouseDown);
    pressed_ = true;
    Invalidate();
    CurrentBumpMap = MouseDownBumpMapPicture;
    NeedRedraw();
}

void TQelLabel::MouseMove(uint32_t shift, int32_t x, int32_t y)
{
    TQelInterfaceObject::MouseMove(shift, x, y);
    if (!Enabled)
        return;
    const bool inside = Inside(x, y);
    if (!inside && mouseOver_) {
        mouseOver_ = false;
        Invalidate();
        if (!OnMouseGetOut.empty())
            QueueEvent({}, OnMouseGetOut);
    } else if (inside && !mouseOver_) {
        QueueEvent(SoundMouseMove, OnMouseMove);
        mouseOver_ = true;
        Invalidate();
    }
}

void TQelLabel::MouseUp(TQelMouseButton button, uint32_t, int32_t x, int32_t y)
{
    if (!Enabled || button != TQelMouseButton::Left || !pressed_)
        return;
    pressed_ = false;
    if (!Inside(x, y))
        return;
    QueueEvent(SoundMouseUp, OnMouseUp);
    Invalidate();
    CurrentBumpMap = BumpMapPicture();
    NeedRedraw();
}

void TQelLabel::KeyDown(uint16_t& key, uint32_t)
{
    // Entries for any key are looked at first; Enabled is not asked.
    const TQelHotKey* hit = nullptr;
    for (const TQelHotKey& k : HotKeys)
        if (k.Code == 0) {
            hit = &k;
            break;
        }
    if (!hit)
        for (const TQelHotKey& k : HotKeys)
            if (k.Code == key) {
                hit = &k;
                break;
            }
    if (!hit)
        return;
    const bool stop = hit->Stop;
    QueueEvent(SoundMouseUp, OnMouseUp);
    Invalidate();
    if (TQelForm* form = ParentForm())
        form->KeyStop = stop;
}
