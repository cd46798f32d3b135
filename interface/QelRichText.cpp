// Rich captions: reading the markup into word blocks, and aligning lines and table cells.
#include "interface/QelRichText.h"

#include "foundation/Text.h"

#include <algorithm>
#include <limits>
#include <set>
#include <stdexcept>

namespace {

enum class TRichAlign { Left, Center, Right, Justify };

TRichAlign FromAlignment(TTextAlignment alignment)
{
    switch (alignment) {
    case TTextAlignment::taCenter: return TRichAlign::Center;
    case TTextAlignment::taRight: return TRichAlign::Right;
    case TTextAlignment::taJustify: return TRichAlign::Justify;
    case TTextAlignment::taLeft: break;
    }
    return TRichAlign::Left;
}

int32_t ClampToInt32(int64_t v)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A number in a tag: decimal with an optional sign, or hexadecimal after "$" (eight
// digits at most, so "$FFFFFFFF" is -1 as a colour value). Anything else fails the
// caption write.
int32_t TagNumber(std::u16string_view text)
{
    const std::string s = Trim(Utf16ToUtf8(text));
    if (!s.empty() && s[0] == '$') {
        const std::string digits = s.substr(1);
        if (digits.empty() || digits.size() > 8)
            throw std::runtime_error("\"" + s + "\" is not a number");
        uint32_t value = 0;
        for (char c : digits) {
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            if (d < 0)
                throw std::runtime_error("\"" + s + "\" is not a number");
            value = value * 16 + static_cast<uint32_t>(d);
        }
        return static_cast<int32_t>(value);
    }
    const std::optional<int64_t> v = StrictInt(s);
    if (!v || *v < std::numeric_limits<int32_t>::min() || *v > std::numeric_limits<int32_t>::max())
        throw std::runtime_error("\"" + s + "\" is not a number");
    return static_cast<int32_t>(*v);
}

using TFontFinder = std::function<IQelTextFont*(const std::string&)>;

// One pass over a rich caption. The label's own colours, font and alignment are the
// bottom entries of the stacks, which closing tags never remove.
class TRichLayout {
public:
    TRichLayout(const TRichTextStart& start, TFontFinder fonts)
        : width_(start.Width),
          alpha_(start.Alpha),
          fonts_(std::move(fonts)),
          colour_{start.Color},
          mouseOver_{start.MouseOverColor},
          disabled_{start.DisabledColor},
          font_{start.FontName},
          align_{FromAlignment(start.Alignment)}
    {
    }

    void Run(std::u16string_view text);

    std::vector<TRichTextBlock> Blocks;
    std::vector<TRichLink> Links;

private:
    enum class TMatch { Exact, Prefix, Number };  // Number: prefix + n + "/"
    using THandler = void (TRichLayout::*)(std::u16string_view tag, std::u16string_view arg, int param);
    struct TTagRow {
        std::u16string_view Text;
        TMatch Match;
        THandler Apply;
        int Param = 0;
    };
    static const std::vector<TTagRow>& Tags();

    IQelTextFont& Font() const
    {
        IQelTextFont* f = fonts_(font_.back());
        return f ? *f : *fonts_(font_.front());
    }
    int32_t FontHeight() const { return Font().Height(); }

    void ApplyTag(std::u16string_view tag);
    void AddWord(std::u16string word, int64_t wordWidth, int32_t spaces);
    void NewLine(int64_t height);
    void EndLine(int64_t height);
    int64_t RangeWidth(size_t from) const;
    void Follow(size_t from, const std::vector<int64_t>& extra);
    void AlignLine(bool closing);
    void Justify(size_t from, int64_t free);
    void AlignCell();

    void PushColour(std::u16string_view tag, std::u16string_view, int);
    void PopColour(std::u16string_view, std::u16string_view, int);
    void PushMouseOver(std::u16string_view tag, std::u16string_view, int);
    void PopMouseOver(std::u16string_view, std::u16string_view, int);
    void PushDisabled(std::u16string_view tag, std::u16string_view, int);
    void PopDisabled(std::u16string_view, std::u16string_view, int);
    void PushFont(std::u16string_view tag, std::u16string_view, int);
    void PopFont(std::u16string_view, std::u16string_view, int);
    void StartLink(std::u16string_view, std::u16string_view script, int);
    void EndLink(std::u16string_view, std::u16string_view, int);
    void Break(std::u16string_view, std::u16string_view, int);
    void BreakBy(std::u16string_view, std::u16string_view n, int);
    void Gap(std::u16string_view, std::u16string_view n, int);
    void PushAlign(std::u16string_view, std::u16string_view, int align);
    void CloseAlign(std::u16string_view, std::u16string_view, int);
    void CloseJustify(std::u16string_view, std::u16string_view, int);
    void StartTable(std::u16string_view, std::u16string_view, int);
    void StartCell(std::u16string_view, std::u16string_view n, int align);
    void EndTable(std::u16string_view, std::u16string_view, int);

    const int64_t width_;
    const uint8_t alpha_;
    TFontFinder fonts_;
    std::vector<int32_t> colour_, mouseOver_, disabled_;
    std::vector<std::string> font_;
    std::vector<TRichAlign> align_;

    int64_t x_ = 0, y_ = 0;
    size_t lineStart_ = 0;
    std::u16string_view text_;
    size_t textPos_ = 0;  // where the text after the tag being applied begins
    bool inLink_ = false;
    size_t linkFirstBlock_ = 0;
    bool table_ = false;
    bool cellOpen_ = false;
    size_t cellStart_ = 0;
    int64_t cellAnchor_ = 0;
    TRichAlign cellAlign_ = TRichAlign::Left;
};

const std::vector<TRichLayout::TTagRow>& TRichLayout::Tags()
{
    using L = TRichLayout;
    // The first row that matches wins, so longer prefixes come before shorter ones.
    static const std::vector<TTagRow> rows = {
        {u"/MO$", TMatch::Prefix, &L::PopMouseOver},
        {u"/D$", TMatch::Prefix, &L::PopDisabled},
        {u"/$", TMatch::Prefix, &L::PopColour},
        {u"/F", TMatch::Prefix, &L::PopFont},
        {u"/Link", TMatch::Exact, &L::EndLink},
        {u"/Left", TMatch::Exact, &L::CloseAlign},
        {u"/Center", TMatch::Exact, &L::CloseAlign},
        {u"/Right", TMatch::Exact, &L::CloseAlign},
        {u"/Justify", TMatch::Exact, &L::CloseJustify},
        {u"/Table", TMatch::Exact, &L::EndTable},
        {u"MO$", TMatch::Prefix, &L::PushMouseOver},
        {u"D$", TMatch::Prefix, &L::PushDisabled},
        {u"$", TMatch::Prefix, &L::PushColour},
        {u"Link Action ", TMatch::Prefix, &L::StartLink},
        {u"F", TMatch::Prefix, &L::PushFont},
        {u"BR/", TMatch::Exact, &L::Break},
        {u"BR ", TMatch::Number, &L::BreakBy},
        {u"HR ", TMatch::Number, &L::Gap},
        {u"Left", TMatch::Exact, &L::PushAlign, static_cast<int>(TRichAlign::Left)},
        {u"Center", TMatch::Exact, &L::PushAlign, static_cast<int>(TRichAlign::Center)},
        {u"Right", TMatch::Exact, &L::PushAlign, static_cast<int>(TRichAlign::Right)},
        {u"Justify", TMatch::Exact, &L::PushAlign, static_cast<int>(TRichAlign::Justify)},
        {u"Table", TMatch::Exact, &L::StartTable},
        {u"TLeft ", TMatch::Number, &L::StartCell, static_cast<int>(TRichAlign::Left)},
        {u"TCenter ", TMatch::Number, &L::StartCell, static_cast<int>(TRichAlign::Center)},
        {u"TRight ", TMatch::Number, &L::StartCell, static_cast<int>(TRichAlign::Right)},
    };
    return rows;
}

void TRichLayout::ApplyTag(std::u16string_view tag)
{
    for (const TTagRow& row : Tags()) {
        switch (row.Match) {
        case TMatch::Exact:
            if (tag == row.Text)
                return (this->*row.Apply)(tag, {}, row.Param);
            break;
        case TMatch::Prefix:
            if (tag.starts_with(row.Text))
                return (this->*row.Apply)(tag, tag.substr(row.Text.size()), row.Param);
            break;
        case TMatch::Number:
            if (tag.size() > row.Text.size() && tag.starts_with(row.Text) && tag.ends_with(u'/'))
                return (this->*row.Apply)(tag, tag.substr(row.Text.size(), tag.size() - row.Text.size() - 1),
                                          row.Param);
            break;
        }
    }
    // Unknown tags are ignored.
}

void TRichLayout::Run(std::u16string_view text)
{
    text_ = text;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        // The word: up to a space (outside a link), a tag, or the character that would
        // make it wider than the line. A word always takes one character, however wide.
        std::u16string word;
        int64_t wordWidth = 0;
        IQelTextFont& font = Font();
        while (i < n) {
            const char16_t c = text[i];
            size_t step = 1;
            if (c == u'{') {
                if (i + 1 < n && text[i + 1] == u'{')
                    step = 2;
                else
                    break;
            } else if (c == u'}' && i + 1 < n && text[i + 1] == u'}') {
                step = 2;
            } else if (c == u' ' && !inLink_) {
                break;
            }
            const int32_t w = font.GetTextWidth(std::u16string_view(&c, 1));
            if (!word.empty() && wordWidth + w > width_)
                break;
            word += c;
            wordWidth += w;
            i += step;
        }
        // The spaces and tags that follow belong to this word; the text after a link's
        // opening tag belongs to the link, spaces included.
        int32_t spaces = 0;
        std::vector<std::u16string_view> tags;
        bool linkOpen = inLink_;
        while (i < n) {
            if (text[i] == u' ') {
                if (linkOpen)
                    break;
                ++spaces;
                ++i;
                continue;
            }
            if (text[i] != u'{' || (i + 1 < n && text[i + 1] == u'{'))
                break;
            size_t close = text.find(u'}', i + 1);
            if (close == std::u16string_view::npos)
                close = n;
            const std::u16string_view tag = text.substr(i + 1, close - i - 1);
            i = std::min(close + 1, n);
            tags.push_back(tag);
            if (tag == u"/Link") {
                linkOpen = false;
            } else if (tag.starts_with(u"Link Action ")) {
                linkOpen = true;
                break;
            }
        }
        AddWord(std::move(word), wordWidth, spaces);
        textPos_ = i;
        for (std::u16string_view tag : tags)
            ApplyTag(tag);
    }
    // The last line is aligned as a closing tag aligns it.
    if (table_)
        AlignCell();
    else
        AlignLine(true);
}

void TRichLayout::AddWord(std::u16string word, int64_t wordWidth, int32_t spaces)
{
    if (word.empty())
        return;
    if (x_ > 0 && x_ + wordWidth > width_)
        EndLine(FontHeight());
    TRichTextBlock b;
    b.Text = std::move(word);
    b.X = ClampToInt32(x_);
    b.Y = ClampToInt32(y_);
    b.Color = colour_.back();
    b.BlockColor = colour_.back();
    b.MouseOverColor = mouseOver_.back();
    b.DisabledColor = disabled_.back();
    b.Alpha = alpha_;
    b.FontName = font_.back();
    b.Width = ClampToInt32(wordWidth);
    b.SpaceCount = spaces;
    b.SpaceWidth = ClampToInt32(int64_t {spaces} * Font().GetTextWidth(u" "));
    x_ += int64_t {b.Width} + b.SpaceWidth;
    Blocks.push_back(std::move(b));
}

void TRichLayout::NewLine(int64_t height)
{
    y_ += height;
    x_ = 0;
    lineStart_ = Blocks.size();
    if (table_)
        cellStart_ = Blocks.size();
}

void TRichLayout::EndLine(int64_t height)
{
    if (table_)
        AlignCell();
    else
        AlignLine(false);
    NewLine(height);
}

// Width + space width of every block from from on but the last, plus the last one's width.
int64_t TRichLayout::RangeWidth(size_t from) const
{
    int64_t w = 0;
    for (size_t k = from; k < Blocks.size(); ++k)
        w += Blocks[k].Width + (k + 1 < Blocks.size() ? int64_t {Blocks[k].SpaceWidth} : 0);
    return w;
}

// Every block after the first follows the one before it.
void TRichLayout::Follow(size_t from, const std::vector<int64_t>& extra)
{
    for (size_t k = from + 1; k < Blocks.size(); ++k) {
        const TRichTextBlock& prev = Blocks[k - 1];
        const int64_t more = k - 1 - from < extra.size() ? extra[k - 1 - from] : 0;
        Blocks[k].X = ClampToInt32(int64_t {prev.X} + prev.Width + prev.SpaceWidth + more);
    }
}

// closing: the line ends at a closing tag or with the text, where a justified line stays
// as it is.
void TRichLayout::AlignLine(bool closing)
{
    const size_t from = lineStart_;
    if (from >= Blocks.size())
        return;
    const int64_t free = width_ - RangeWidth(from);
    switch (align_.back()) {
    case TRichAlign::Left: return;
    case TRichAlign::Center: Blocks[from].X = ClampToInt32(free / 2); break;
    case TRichAlign::Right: Blocks[from].X = ClampToInt32(free); break;
    case TRichAlign::Justify:
        if (!closing)
            Justify(from, free);
        return;
    }
    Follow(from, {});
}

void TRichLayout::Justify(size_t from, int64_t free)
{
    int64_t spaces = 0;
    for (size_t k = from; k + 1 < Blocks.size(); ++k)
        spaces += std::max(Blocks[k].SpaceCount, 0);
    // A line of one word, or of words without spaces between them, has nothing to widen.
    if (spaces <= 0 || free <= 0)
        return;
    const int64_t each = free / spaces;
    const int64_t rest = free - spaces * each;
    // The spaces numbered round(c/r), round(2c/r), ... take the pixels left over.
    std::set<int64_t> lucky;
    for (int64_t j = 1; j <= rest; ++j)
        lucky.insert(RoundHalfEven(static_cast<double>(j) * spaces / rest));
    std::vector<int64_t> extra;
    int64_t number = 0;
    for (size_t k = from; k + 1 < Blocks.size(); ++k) {
        int64_t e = 0;
        for (int32_t s = 0; s < Blocks[k].SpaceCount; ++s)
            e += each + (lucky.count(++number) ? 1 : 0);
        extra.push_back(e);
    }
    Follow(from, extra);
}

void TRichLayout::AlignCell()
{
    if (!cellOpen_ || cellStart_ >= Blocks.size())
        return;
    const int64_t a = RangeWidth(cellStart_);
    TRichTextBlock& first = Blocks[cellStart_];
    switch (cellAlign_) {
    case TRichAlign::Left:
    case TRichAlign::Justify: first.X = ClampToInt32(first.X + cellAnchor_); break;
    case TRichAlign::Right: first.X = ClampToInt32(cellAnchor_ - a); break;
    case TRichAlign::Center: first.X = ClampToInt32(cellAnchor_ - a / 2); break;
    }
    Follow(cellStart_, {});
}

// ---- Tags

void TRichLayout::PushColour(std::u16string_view tag, std::u16string_view, int)
{
    const int32_t v = TagNumber(tag);
    colour_.push_back(v);
    mouseOver_.push_back(v);
}

void TRichLayout::PopColour(std::u16string_view, std::u16string_view, int)
{
    if (colour_.size() > 1)
        colour_.pop_back();
    if (mouseOver_.size() > 1)
        mouseOver_.pop_back();
}

void TRichLayout::PushMouseOver(std::u16string_view tag, std::u16string_view, int)
{
    mouseOver_.push_back(TagNumber(tag.substr(2)));
}

void TRichLayout::PopMouseOver(std::u16string_view, std::u16string_view, int)
{
    if (mouseOver_.size() > 1)
        mouseOver_.pop_back();
}

void TRichLayout::PushDisabled(std::u16string_view tag, std::u16string_view, int)
{
    disabled_.push_back(TagNumber(tag.substr(1)));
}

void TRichLayout::PopDisabled(std::u16string_view, std::u16string_view, int)
{
    if (disabled_.size() > 1)
        disabled_.pop_back();
}

// {Font Artistik 1}: the name runs from the sixth character to the next space. Without
// that space the current font is pushed again, so the closing tag still matches.
void TRichLayout::PushFont(std::u16string_view tag, std::u16string_view, int)
{
    constexpr size_t kNameStart = 5;  // after "Font "
    const size_t end = tag.size() > kNameStart ? tag.find(u' ', kNameStart) : std::u16string_view::npos;
    if (end == std::u16string_view::npos)
        font_.push_back(font_.back());
    else
        font_.push_back(Utf16ToUtf8(tag.substr(kNameStart, end - kNameStart)));
}

void TRichLayout::PopFont(std::u16string_view, std::u16string_view, int)
{
    if (font_.size() > 1)
        font_.pop_back();
}

void TRichLayout::StartLink(std::u16string_view, std::u16string_view script, int)
{
    const size_t end = std::min(text_.find(u'{', textPos_), text_.size());
    TRichLink link;
    link.FontName = font_.back();
    link.Caption = std::u16string(text_.substr(textPos_, end - textPos_));
    link.Script = Utf16ToUtf8(script);
    Links.push_back(std::move(link));
    inLink_ = true;
    linkFirstBlock_ = Blocks.size();
}

void TRichLayout::EndLink(std::u16string_view, std::u16string_view, int)
{
    if (!inLink_)
        return;
    inLink_ = false;
    // A link without text has no block; an earlier word must not become the link.
    if (Blocks.size() <= linkFirstBlock_ || Links.empty())
        return;
    TRichTextBlock& b = Blocks.back();
    b.Text.clear();
    b.IsLink = true;
    b.Color = static_cast<int32_t>(Links.size() - 1);
    Links.back().Block = static_cast<int32_t>(Blocks.size() - 1);
}

void TRichLayout::Break(std::u16string_view, std::u16string_view, int)
{
    EndLine(FontHeight());
}

void TRichLayout::BreakBy(std::u16string_view, std::u16string_view n, int)
{
    EndLine(TagNumber(n));
}

void TRichLayout::Gap(std::u16string_view, std::u16string_view n, int)
{
    const int32_t gap = TagNumber(n);
    if (!Blocks.empty())
        Blocks.back().SpaceWidth = ClampToInt32(int64_t {Blocks.back().SpaceWidth} + gap);
    x_ += gap;
}

void TRichLayout::PushAlign(std::u16string_view, std::u16string_view, int align)
{
    align_.push_back(static_cast<TRichAlign>(align));
}

void TRichLayout::CloseAlign(std::u16string_view, std::u16string_view, int)
{
    if (align_.size() <= 1)
        return;
    AlignLine(true);
    align_.pop_back();
    NewLine(FontHeight());
}

void TRichLayout::CloseJustify(std::u16string_view, std::u16string_view, int)
{
    if (align_.size() <= 1)
        return;
    align_.pop_back();
    NewLine(FontHeight());
}

void TRichLayout::StartTable(std::u16string_view, std::u16string_view, int)
{
    EndLine(FontHeight());
    table_ = true;
    cellOpen_ = false;
    cellStart_ = Blocks.size();
}

void TRichLayout::StartCell(std::u16string_view, std::u16string_view n, int align)
{
    const int32_t anchor = TagNumber(n);
    AlignCell();
    cellOpen_ = true;
    cellStart_ = Blocks.size();
    cellAnchor_ = anchor;
    cellAlign_ = static_cast<TRichAlign>(align);
    x_ = 0;
}

void TRichLayout::EndTable(std::u16string_view, std::u16string_view, int)
{
    if (!table_)
        return;
    AlignCell();
    table_ = false;
    cellOpen_ = false;
    NewLine(FontHeight());
}

}  // namespace

TRichText LayoutRichText(std::u16string_view text, const TRichTextStart& start, const TFontFinder& fonts)
{
    TRichLayout layout(start, fonts);
    layout.Run(text);
    return {std::move(layout.Blocks), std::move(layout.Links)};
}

std::u16string StripRichMarkup(std::u16string_view text)
{
    std::u16string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if ((c == u'{' || c == u'}') && i + 1 < text.size() && text[i + 1] == c) {
            plain += c;
            ++i;
        } else if (c == u'{') {
            const size_t close = text.find(u'}', i + 1);
            if (close == std::u16string_view::npos)
                break;
            i = close;
        } else {
            plain += c;
        }
    }
    return plain;
}

