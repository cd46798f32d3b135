// The tree: its shown lines walked from the items, expanding, collapsing and selecting
// by clicks, scrolling by the wheel and a linked slider, and drawing.
#include "interface/QelTree.h"

#include "foundation/Text.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelSlider.h"

#include <algorithm>

namespace {

// No screen shows more lines than this; only a broken Height asks for more.
constexpr int32_t kMaxShownLines = 10000;

bool ReadsTrue(const TQelXMLTag& item, std::string_view attribute)
{
    const TQelParserAttribute* a = item.GetAttributeByName(attribute);
    return a && StrictBool(a->Value).value_or(false);
}

}  // namespace

TQelTree::TQelTree() : document_(std::make_unique<TQelParser>()) {}

const TQelPropTable& TQelTree::StaticProperties()
{
    using C = TQelTree;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelInterfaceObject::StaticProperties());
        TQelPropsOf<C>(t)
            .String("FontName", &C::FontName, &C::SetFontName)
            .Field("Alpha", &C::Alpha)
            .Field("Color", &C::Color)
            .Field("ColorSelected", &C::ColorSelected)
            .Integer("DeepIndent", &C::DeepIndent, &C::SetDeepIndent)
            .Integer("PicIndent", &C::PicIndent, &C::SetPicIndent)
            .Integer("TextIndent", &C::TextIndent, &C::SetTextIndent)
            .Integer("LineSpace", &C::LineSpace, &C::SetLineSpace)
            .Field("CollapsedImage", &C::CollapsedImage)
            .String("ExpandedImage", &C::ExpandedImage, &C::SetExpandedImage)
            .Field("CursorColor", &C::CursorColor)
            .Field("CursorAlpha", &C::CursorAlpha)
            .String("Text", &C::Text, &C::SetText)
            .String("LinkedObjectName", &C::LinkedObjectName, &C::SetLinkedObjectName);
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------------------
// Writers

TQelXMLTag* TQelTree::Items() const
{
    return document_->GetChildByName("Items");
}

int32_t TQelTree::LineHeight() const
{
    // Sizes arrive before the font while a window loads: no name, nothing to look up.
    if (fontName_.empty())
        return 0;
    IQelTextFont* font = FindFont(fontName_);
    return font ? font->Height() + lineSpace_ : 0;
}

void TQelTree::RebuildAfterChange()
{
    const int32_t before = shownCount_;
    Rebuild();
    if (visibleLines_ >= shownCount_ && visibleLines_ < before) {
        topLine_ = 0;
        Rebuild();
    }
}

void TQelTree::SetText(const std::string& value)
{
    if (value.empty())
        return;
    auto document = std::make_unique<TQelParser>();
    document->LoadFromText(value);
    // The lines still point into the old items until the rebuild.
    lines_.clear();
    selectedNode_ = nullptr;
    document_ = std::move(document);
    RebuildAfterChange();
    Invalidate();
}

std::string TQelTree::Text() const
{
    const TQelXMLTag* items = Items();
    return items ? items->GetXMLText(0) : std::string();
}

void TQelTree::UpdateVisibleLines()
{
    const int32_t lineHeight = LineHeight();
    // A line height of 0 or less (a negative LineSpace) gives no lines at all.
    if (lineHeight <= 0 || height_ <= 0)
        return;
    visibleLines_ = std::min(height_ / lineHeight, kMaxShownLines);
    Rebuild();
}

void TQelTree::SetFontName(const std::string& value)
{
    fontName_ = value;
    UpdateVisibleLines();
}

void TQelTree::SetHeight(int32_t value)
{
    TQelInterfaceObject::SetHeight(value);
    UpdateVisibleLines();
}

void TQelTree::SetLineSpace(int32_t value)
{
    lineSpace_ = value;
    UpdateVisibleLines();
}

void TQelTree::SetDeepIndent(int32_t value)
{
    deepIndent_ = value;
    Rebuild();
}

void TQelTree::SetPicIndent(int32_t value)
{
    picIndent_ = value;
    Rebuild();
}

void TQelTree::SetTextIndent(int32_t value)
{
    textIndent_ = value;
    Rebuild();
}

void TQelTree::SetExpandedImage(const std::string& value)
{
    expandedImage_ = value;
    const TQelSize size = PictureSize(value);
    expandWidth_ = size.Width;
    expandHeight_ = size.Height;
}

void TQelTree::Refresh()
{
    TQelInterfaceObject::Refresh();
    SetExpandedImage(expandedImage_);
    Rebuild();
}

void TQelTree::SetLinkedObjectName(const std::string& value)
{
    linkedObjectName_ = value;
    TQelObject* target = Engine && !value.empty() ? Engine->GetObjectByName(value) : nullptr;
    linkedSlider_ = dynamic_cast<TQelSlider*>(target);
    if (linkedSlider_) {
        linkedSlider_->StoreMax(MaxOnLink());
        linkedSlider_->StoreLinkedTree(this);
        linkedSlider_->StoreLinkedObjectName(Name());
    }
    Invalidate();
}

void TQelTree::AttachSlider(TQelSlider& slider)
{
    linkedSlider_ = &slider;
    linkedObjectName_ = slider.Name();
}

void TQelTree::ForgetObject(const TQelObject* dying)
{
    TQelInterfaceObject::ForgetObject(dying);
    if (linkedSlider_ == dying)
        linkedSlider_ = nullptr;
}

std::vector<std::string> TQelTree::GetPictures() const
{
    std::vector<std::string> pictures = {picture_, CollapsedImage, expandedImage_};
    // Pre-order, collapsed branches included.
    auto add = [&](auto&& self, const TQelXMLTag& item) -> void {
        pictures.push_back(item.AttributeValue("p"));
        for (const auto& child : item.Children)
            self(self, *child);
    };
    if (const TQelXMLTag* items = Items())
        for (const auto& child : items->Children)
            add(add, *child);
    return pictures;
}

// ---------------------------------------------------------------------------------------
// Lines

int32_t TQelTree::CountShown(const TQelXMLTag* item) const
{
    int32_t count = 1;
    const TQelParserAttribute* c = item->GetAttributeByName("c");
    if (!item->Children.empty() && c && StrictBool(c->Value) == false)
        for (const auto& child : item->Children)
            count += CountShown(child.get());
    return count;
}

void TQelTree::Walk(TQelXMLTag* item, int32_t depth, int32_t& counter, int32_t limit)
{
    if (counter >= limit - 1)
        return;
    ++counter;
    TTreeItem* line = nullptr;
    if (counter >= topLine_ && counter - topLine_ < static_cast<int32_t>(lines_.size())) {
        line = &lines_[static_cast<size_t>(counter - topLine_)];
        IQelTextFont* font = FindFont(fontName_);
        line->Item = item;
        line->X = depth * deepIndent_;
        line->Y = (counter - topLine_) * LineHeight();
        line->Text = Utf8ToUtf16(item->AttributeValue("t"));
        line->TextWidth = font ? font->GetTextWidth(line->Text) : 0;
        line->Picture = item->AttributeValue("p");
        const TQelSize size = PictureSize(line->Picture);
        line->PictureWidth = size.Width;
        line->PictureHeight = size.Height;
        ++filled_;
    }
    if (item->Children.empty())
        return;
    const TQelParserAttribute* c = item->GetAttributeByName("c");
    if (line) {
        line->HasChildren = true;
        line->Collapsed = !c || StrictBool(c->Value).value_or(false);
    }
    if (c && StrictBool(c->Value) == false)
        for (const auto& child : item->Children)
            Walk(child.get(), depth + 1, counter, limit);
}

void TQelTree::Rebuild()
{
    if (LineHeight() <= 0)
        return;
    lines_.assign(static_cast<size_t>(std::max(visibleLines_, 0)), TTreeItem {});
    filled_ = 0;
    shownCount_ = 0;
    if (TQelXMLTag* items = Items()) {
        int32_t counter = -1;
        const int64_t limit = std::min<int64_t>(int64_t {visibleLines_} + topLine_, INT32_MAX);
        for (const auto& child : items->Children)
            Walk(child.get(), 0, counter, static_cast<int32_t>(limit));
        for (const auto& child : items->Children)
            shownCount_ += CountShown(child.get());
    }
    if (linkedSlider_) {
        linkedSlider_->StoreMax(MaxOnLink());
        linkedSlider_->StorePosition(std::min(linkedSlider_->Position(), linkedSlider_->Max()));
    }
    Invalidate();
}

// ---------------------------------------------------------------------------------------
// Selection

void TQelTree::SelectNode(TQelXMLTag* item)
{
    auto clear = [](auto&& self, TQelXMLTag& tag) -> void {
        tag.DeleteAttributeByName("s");
        for (const auto& child : tag.Children)
            self(self, *child);
    };
    if (TQelXMLTag* items = Items())
        for (const auto& child : items->Children)
            clear(clear, *child);
    if (!item)
        return;
    item->AddAttribute("s", "True");
    selectedNode_ = item;
}

void TQelTree::ToggleNode(TQelXMLTag* item)
{
    if (TQelParserAttribute* c = item->GetAttributeByName("c"))
        c->SetValue(StrictBool(c->Value).value_or(false) ? "False" : "True");
    else
        item->AddAttribute("c", "False");
}

bool TQelTree::IsAncestor(const TQelXMLTag* a, const TQelXMLTag* b) const
{
    const TQelXMLTag* items = Items();
    // Walked upward, so a loop is impossible; the depth of the document bounds it.
    while (items && a && b && b != items && b->Parent != items) {
        if (b->Parent == a)
            return true;
        b = b->Parent;
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// Mouse and scrolling

void TQelTree::MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y)
{
    TQelInterfaceObject::MouseDown(button, shift, x, y);
    if (button != TQelMouseButton::Left || !Inside(x, y))
        return;
    QueueEvent(SoundMouseDown, OnMouseDown);
    const int32_t lineHeight = LineHeight();
    if (lineHeight <= 0)
        return;
    const int32_t line = (y - AbsTop) / lineHeight;
    if (line < 0 || line >= static_cast<int32_t>(lines_.size()) || !lines_[static_cast<size_t>(line)].Item)
        return;
    {
        const TTreeItem& hit = lines_[static_cast<size_t>(line)];
        const int64_t c = int64_t {AbsLeft} + hit.X;
        const bool onExpander = c < x && x < c + expandWidth_;
        const bool onText = c + expandWidth_ < x && x < c + expandWidth_ + hit.TextWidth;
        if (hit.HasChildren && (onExpander || ((shift & QelShift::kDouble) && onText))) {
            TQelXMLTag* item = hit.Item;
            // Collapsing the branch that holds the selection selects the branch.
            if (selectedLine_ >= 0 && line < selectedLine_ && selectedLine_ < static_cast<int32_t>(lines_.size()) &&
                IsAncestor(item, lines_[static_cast<size_t>(selectedLine_)].Item))
                SelectNode(item);
            ToggleNode(item);
            RebuildAfterChange();
        }
    }
    if (line < static_cast<int32_t>(lines_.size()) && lines_[static_cast<size_t>(line)].Item) {
        const TTreeItem& now = lines_[static_cast<size_t>(line)];
        const int64_t c = int64_t {AbsLeft} + now.X;
        if (c + expandWidth_ < x && x < c + expandWidth_ + now.TextWidth) {
            SelectNode(now.Item);
            selectedLine_ = line;
        }
    }
    Invalidate();
}

void TQelTree::ScrollDown()
{
    const int32_t lineHeight = LineHeight();
    if (lineHeight > 0 && filled_ >= height_ / lineHeight && topLine_ + visibleLines_ < shownCount_) {
        ++topLine_;
        Rebuild();
    }
}

void TQelTree::ScrollUp()
{
    if (topLine_ > 0) {
        --topLine_;
        Rebuild();
    }
}

void TQelTree::ScrollTo(int32_t n)
{
    if (topLine_ < n)
        ScrollDown();
    else if (topLine_ > n)
        ScrollUp();
}

void TQelTree::MouseWheel(uint32_t shift, int32_t delta, TPoint pos, bool& handled)
{
    TQelInterfaceObject::MouseWheel(shift, delta, pos, handled);
    if (!Inside(pos.X, pos.Y) || delta == 0)
        return;
    if (delta < 0)
        ScrollDown();
    else
        ScrollUp();
    if (linkedSlider_)
        linkedSlider_->StorePosition(topLine_);
    handled = true;
}

// ---------------------------------------------------------------------------------------
// Drawing

int32_t TQelTree::TextRoom() const
{
    return width_ - expandWidth_ - picIndent_ - textIndent_;
}

void TQelTree::Draw()
{
    IQelGraphic4* host = Host();
    IQelTextFont* font = FindFont(fontName_);
    if (!host || !font)
        return;
    const int32_t lineHeight = font->Height() + lineSpace_;
    const int32_t middle = (font->Height() - expandHeight_) / 2;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const TTreeItem& line = lines_[i];
        if (!line.Item)
            continue;
        const int32_t x = AbsLeft + line.X;
        const int32_t y0 = AbsTop + line.Y;
        if (line.HasChildren) {
            const std::string& expander = line.Collapsed ? CollapsedImage : expandedImage_;
            if (!expander.empty())
                host->Draw(expander, {}, BlendingMode, x, y0 + middle, 255, nullptr);
        }
        int32_t colour = Color;
        const int32_t textLeft = x + expandWidth_ + picIndent_ + line.PictureWidth + textIndent_;
        if (ReadsTrue(*line.Item, "s")) {
            const int32_t barHeight = std::min(lineHeight, font->Height());
            const int32_t barWidth = std::min(line.TextWidth, TextRoom() - line.PictureWidth);
            const int32_t top = AbsTop + static_cast<int32_t>(i) * lineHeight;
            host->DrawRect({}, {textLeft, top, textLeft + barWidth, top + barHeight}, CursorColor, CursorAlpha, true);
            selectedLine_ = static_cast<int32_t>(i);
            colour = ColorSelected;
        }
        if (!line.Picture.empty())
            host->Draw(line.Picture, {}, BlendingMode, x + expandWidth_ + picIndent_, y0 + middle, 255, nullptr);
        font->DrawText(textLeft, y0, colour, Alpha, line.Text, TextRoom() - line.PictureWidth);
    }
}
