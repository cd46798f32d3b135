// Rich captions: the markup and its layout in word blocks, apart from any widget.
//
// Markup, as captions write it ("{{" and "}}" stand for literal braces):
//   {$0000FF} ... {/$}        text colour and mouse-over colour (0xBBGGRR, hexadecimal)
//   {MO$FF} ... {/MO$}        mouse-over colour only;  {D$808080} ... {/D$}  disabled colour
//   {Font Name x} ... {/F}    another font (the name ends at the second space)
//   {Link Action script}text{/Link}   text that queues the script when pressed
//   {BR/} {BR n/}             line break (by the font height, or n pixels)
//   {HR n/}                   an n-pixel gap after the last word
//   {Left} {Center} {Right} {Justify} and their closing tags
//   {Table} {TLeft n/} {TCenter n/} {TRight n/} {/Table}   cells anchored at x = n
// Closing tags never remove the label's own colours, font or alignment; unknown tags are
// ignored; a number that does not read makes the caption write fail.
#pragma once

#include "interface/QelLabel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One word of a rich caption. X and Y are relative to the text origin (the label's
// corner plus TextShiftLeft / TextShiftTop); a link's block has no text and its Color
// holds the index of its link label.
struct TRichTextBlock : TTextBlock {
    int32_t SpaceWidth = 0;  // the spaces after the word, and the gaps of HR tags
    bool IsLink = false;
};

// A link of the caption: the plain label made for it takes these.
struct TRichLink {
    std::string FontName;
    std::u16string Caption;
    std::string Script;
    int32_t Block = -1;  // its word block; -1 when the link has no text
};

// Where a layout starts: the label's own values, the bottom entries of its stacks.
struct TRichTextStart {
    int64_t Width = 0;  // the width the words may use
    int32_t Color = 0;
    int32_t MouseOverColor = 0;
    int32_t DisabledColor = 0;
    std::string FontName;
    TTextAlignment Alignment = TTextAlignment::taLeft;
    uint8_t Alpha = 255;
};

struct TRichText {
    std::vector<TRichTextBlock> Blocks;
    std::vector<TRichLink> Links;
};

// Lays text out from the pen at (0, 0). fonts finds a font by name; it must find one for
// start.FontName (it is asked for every font a tag names, and may answer with that one).
// Throws std::runtime_error when a number in a tag does not read.
TRichText LayoutRichText(std::u16string_view text, const TRichTextStart& start,
                         const std::function<IQelTextFont*(const std::string&)>& fonts);

// The text of a rich caption without its tags, literal braces resolved.
std::u16string StripRichMarkup(std::u16string_view text);
