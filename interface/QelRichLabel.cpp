// Rich labels: the caption laid out in word blocks, drawn by mouse state, and the link
// labels that run a script when pressed.
#include "interface/QelRichLabel.h"

#include "interface/QelInterfaceEngine.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace {

int32_t ClampToInt32(int64_t v)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

// ---------------------------------------------------------------------------------------

TQelRichLabel::TQelRichLabel() = default;
TQelRichLabel::~TQelRichLabel() = default;

const TQelPropTable& TQelRichLabel::StaticProperties()
{
    using C = TQelRichLabel;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelLabel::StaticProperties());
        // The label's rows for these are replaced: each of them changes the layout.
        TQelPropsOf<C>(t)
            .WideString("Caption", &C::Caption, &C::SetCaption)
            .Byte("Alpha", &C::Alpha, &C::SetAlpha)
            .Enumeration("Alignment", kTextAlignmentNames, &C::Alignment, &C::SetAlignment)
            .Integer("TextShiftLeft", &C::TextShiftLeft, &C::SetTextShiftLeft)
            .Field("LinkColor", &C::LinkColor)
            .Integer("LinkMouseOverColor", &C::LinkMouseOverColor, &C::SetLinkMouseOverColor);
        return t;
    }();
    return table;
}

void TQelRichLabel::SetCaption(const std::u16string& value)
{
    std::u16string text;
    text.reserve(value.size());
    for (size_t k = 0; k < value.size(); ++k) {
        if (value[k] == u'\r' && k + 1 < value.size() && value[k + 1] == u'\n') {
            text += u' ';
            ++k;
        } else {
            text += value[k] == u'\t' ? u' ' : value[k];
        }
    }
    layoutError_.clear();
    TQelLabel::SetCaption(text);
    if (!layoutError_.empty())
        throw std::runtime_error(layoutError_);
}

void TQelRichLabel::SetAlpha(uint8_t value)
{
    TQelLabel::SetAlpha(value);
    MakeTextBlocks();
}

void TQelRichLabel::SetAlignment(TTextAlignment value)
{
    TQelLabel::SetAlignment(value);
    MakeTextBlocks();
}

void TQelRichLabel::SetTextShiftLeft(int32_t value)
{
    TQelLabel::SetTextShiftLeft(value);
    MakeTextBlocks();
}

void TQelRichLabel::SetLinkMouseOverColor(int32_t value)
{
    linkMouseOverColor_ = value;
    MakeTextBlocks();
    Invalidate();
}

void TQelRichLabel::MakeTextBlocks()
{
    lines_.clear();  // the label's own lines stay empty, so its positioning has nothing to move
    blocks_.clear();
    links_.clear();
    layoutError_.clear();
    const std::u16string& text = DisplayedCaption();
    if (Font() && !text.empty() && width_ != 0 && height_ != 0) {
        TRichTextStart start;
        start.Width = int64_t {width_} - TextShiftLeft();
        start.Color = Color;
        start.MouseOverColor = MouseOverColor;
        start.DisabledColor = DisabledColor;
        start.FontName = FontName();
        start.Alignment = Alignment();
        start.Alpha = Alpha();
        TRichText layout;
        try {
            layout = LayoutRichText(text, start, [this](const std::string& name) { return BlockFont(name); });
            blocks_ = std::move(layout.Blocks);
        } catch (const std::exception& e) {
            layoutError_ = e.what();
        }
        for (TRichLink& link : layout.Links) {
            auto label = std::make_unique<TQelLabel>();
            label->Engine = Engine;
            label->SetFontName(link.FontName);
            IQelTextFont* font = BlockFont(link.FontName);
            label->SetHeight(font ? font->Height() : 0);
            label->SetAlpha(Alpha());
            label->Color = LinkColor;
            label->MouseOverColor = linkMouseOverColor_;
            label->OnMouseDown = link.Script;
            label->SetCaption(link.Caption);
            links_.push_back({std::move(label), link.Block});
        }
        PlaceLinks();
    }
    Invalidate();
    LayoutChanged();
}

std::optional<TTextBlock> TQelRichLabel::GetTextBlock(int32_t index) const
{
    if (blocks_.empty())
        return std::nullopt;
    const size_t k = std::min(static_cast<size_t>(std::max(index, 0)), blocks_.size() - 1);
    return static_cast<const TTextBlock&>(blocks_[k]);
}

IQelTextFont* TQelRichLabel::BlockFont(const std::string& name) const
{
    IQelTextFont* font = name.empty() ? nullptr : FindFont(name);
    return font ? font : Font();
}

int32_t TQelRichLabel::LayoutShift() const
{
    if (blocks_.empty())
        return 0;
    const IQelTextFont* font = BlockFont(blocks_.back().FontName);
    const int64_t t = int64_t {blocks_.back().Y} + (font ? font->Height() : 0);
    switch (Layout()) {
    case TTextLayout::tlTop: return 0;
    case TTextLayout::tlCenter: return ClampToInt32(std::llabs(int64_t {height_} / 2 - t / 2));
    case TTextLayout::tlBottom: return ClampToInt32(std::llabs(int64_t {height_} - t));
    }
    return 0;
}

// Links sit where their words are drawn, Layout's shift included, so a press on the text
// is a press on the link.
void TQelRichLabel::PlaceLinks()
{
    const int32_t v = LayoutShift();
    for (TLinkLabel& link : links_) {
        if (link.Block < 0)
            continue;
        const TRichTextBlock& b = blocks_[static_cast<size_t>(link.Block)];
        TQelLabel& label = *link.Label;
        if (label.Width() != b.Width)
            label.SetWidth(b.Width);
        const int32_t left = ClampToInt32(int64_t {AbsLeft} + TextShiftLeft() + b.X);
        const int32_t top = ClampToInt32(int64_t {AbsTop} + TextShiftTop() + b.Y + v);
        if (label.Left() != left)
            label.SetLeft(left);
        if (label.Top() != top)
            label.SetTop(top);
    }
}

void TQelRichLabel::DrawBlocks()
{
    const int32_t v = LayoutShift();
    for (const TRichTextBlock& b : blocks_) {
        if (b.Text.empty())
            continue;
        IQelTextFont* font = BlockFont(b.FontName);
        if (!font)
            continue;
        const int32_t colour = !Enabled ? b.DisabledColor : mouseOver_ ? b.MouseOverColor : b.Color;
        font->DrawText(AbsLeft + TextShiftLeft() + b.X, AbsTop + TextShiftTop() + b.Y + v, colour, b.Alpha, b.Text,
                       0);
    }
}

void TQelRichLabel::DrawLinks()
{
    PlaceLinks();
    for (TLinkLabel& link : links_)
        if (link.Block >= 0)
            link.Label->Draw();
}

void TQelRichLabel::Draw()
{
    DrawBasePicture();
    DrawBlocks();
    DrawLinks();
}

void TQelRichLabel::MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y)
{
    TQelLabel::MouseDown(button, shift, x, y);
    PlaceLinks();
    for (TLinkLabel& link : links_)
        if (link.Block >= 0)
            link.Label->MouseDown(button, shift, x, y);
    Invalidate();
}

void TQelRichLabel::MouseMove(uint32_t shift, int32_t x, int32_t y)
{
    TQelLabel::MouseMove(shift, x, y);
    PlaceLinks();
    for (TLinkLabel& link : links_)
        if (link.Block >= 0)
            link.Label->MouseMove(shift, x, y);
    Invalidate();
}
