// Rich labels: a caption written in a small markup of tags in braces (colours, fonts,
// alignment, line breaks, gaps, tables and clickable links; see QelRichText.h), laid out
// word by word, with a plain label for each link.
#pragma once

#include "interface/QelLabel.h"
#include "interface/QelRichText.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQelRichLabel : public TQelLabel {
public:
    TQelRichLabel();
    ~TQelRichLabel() override;

    const char* ClassName() const override { return "TQelRichLabel"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // The Caption writer: CR LF pairs and TABs become spaces, then the text is laid out.
    // Throws when a number in a tag does not read (the words are then dropped).
    void SetCaption(const std::u16string& value);
    void SetAlpha(uint8_t value);
    void SetAlignment(TTextAlignment value);
    void SetTextShiftLeft(int32_t value);
    void SetLinkMouseOverColor(int32_t value);
    int32_t LinkMouseOverColor() const { return linkMouseOverColor_; }

    // Lays the caption out in word blocks and makes the link labels.
    void MakeTextBlocks() override;
    const std::vector<TRichTextBlock>& Blocks() const { return blocks_; }
    // A copy of word block number index (the last one when index is beyond it); nothing
    // when there are no blocks.
    std::optional<TTextBlock> GetTextBlock(int32_t index) const;
    size_t LinkCount() const { return links_.size(); }
    // Link labels are placed each time they are drawn or given the mouse.
    TQelLabel& Link(size_t index) const { return *links_[index].Label; }
    // Why the last layout dropped its words; empty when it did not.
    const std::string& LayoutError() const { return layoutError_; }

    // How far the text is moved down by Layout.
    int32_t LayoutShift() const;

    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseMove(uint32_t shift, int32_t x, int32_t y) override;
    void Draw() override;

    int32_t LinkColor = 0;

protected:
    // Called after every layout, so derived labels can follow the words.
    virtual void LayoutChanged() {}
    // The font a block names, or the label's own when that one is unknown.
    IQelTextFont* BlockFont(const std::string& name) const;
    void DrawBlocks();
    void DrawLinks();

private:
    struct TLinkLabel {
        std::unique_ptr<TQelLabel> Label;
        int32_t Block = -1;  // its word block; -1 when the link has no text
    };

    void PlaceLinks();

    std::vector<TRichTextBlock> blocks_;
    std::vector<TLinkLabel> links_;
    int32_t linkMouseOverColor_ = 0;
    std::string layoutError_;
};
