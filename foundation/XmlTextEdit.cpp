// Splicing the changes of a document into the text it was read from.
#include "foundation/XmlTextEdit.h"

#include "foundation/Text.h"

#include <memory>

namespace {

constexpr size_t kNone = std::string::npos;
// Texts this long stand on a line of their own in the fixed layout; new elements follow it.
constexpr size_t kShortText = 80;

// An element read from the original text; the splicer knows it by its span.
class TSourceTag : public TQelXMLTag {
public:
    TSourceTag(std::string name, TQelXMLTag* parent, std::string text, size_t span)
        : TQelXMLTag(std::move(name), parent, std::move(text))
        , Span(span)
    {
    }
    size_t Span;
};

bool IsBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Whether two documents read the same: names, texts, attributes in order, children.
bool SameTag(const TQelXMLTag& a, const TQelXMLTag& b, bool compareText)
{
    if (a.Name != b.Name || (compareText && a.Text != b.Text) || a.Attributes.size() != b.Attributes.size()
        || a.Children.size() != b.Children.size())
        return false;
    for (size_t i = 0; i < a.Attributes.size(); ++i)
        if (a.Attributes[i]->Name != b.Attributes[i]->Name || a.Attributes[i]->Value != b.Attributes[i]->Value)
            return false;
    for (size_t i = 0; i < a.Children.size(); ++i)
        if (!SameTag(*a.Children[i], *b.Children[i], true))
            return false;
    return true;
}

bool ReadsTheSame(std::string_view a, std::string_view b)
{
    TQelParser x, y;
    x.LoadFromText(a);
    y.LoadFromText(b);
    // The document's own text is never written, so it does not count.
    return x.LastError.empty() && y.LastError.empty() && SameTag(x, y, false);
}

// Writes the changed document into the original text.
class TSplicer {
public:
    TSplicer(const std::string& raw, const std::vector<TXmlTextEdit::TElementSpan>& spans, const std::string& eol,
        const std::string& unit)
        : raw_(raw)
        , spans_(spans)
        , eol_(eol)
        , unit_(unit)
    {
    }

    std::string Document(const TQelXMLTag& document)
    {
        const TXmlTextEdit::TElementSpan& root = spans_[0];
        Content(document, 0, root.StartEnd, root.CloseOpen, "", nullptr);
        Copy(cursor_, raw_.size());
        return std::move(out_);
    }

private:
    void Copy(size_t from, size_t to)
    {
        if (to > from)
            out_.append(raw_, from, to - from);
    }

    // Copies the content between from and to, with the element's changed text in place of its text run.
    void CopyContent(size_t from, size_t to, const std::string* text, const TXmlTextEdit::TElementSpan& span)
    {
        if (text && span.TextStart != kNone && span.TextStart >= from && span.TextEnd <= to) {
            Copy(from, span.TextStart);
            out_ += EncodeEntities(*text);
            Copy(span.TextEnd, to);
            return;
        }
        Copy(from, to);
    }

    // The start of the line at, or kNone when something other than spacing precedes it there.
    size_t OwnLineStart(size_t at) const
    {
        size_t p = at;
        while (p > 0 && (raw_[p - 1] == ' ' || raw_[p - 1] == '\t'))
            --p;
        return p == 0 || IsBreak(raw_[p - 1]) ? p : kNone;
    }

    std::string IndentOf(size_t at) const
    {
        size_t p = at;
        while (p > 0 && !IsBreak(raw_[p - 1]))
            --p;
        size_t e = p;
        while (e < raw_.size() && (raw_[e] == ' ' || raw_[e] == '\t'))
            ++e;
        return raw_.substr(p, e - p);
    }

    // The indentation of an element's children: as its first child on its own line, else one step in.
    std::string ChildIndent(size_t spanIndex) const
    {
        const TXmlTextEdit::TElementSpan& span = spans_[spanIndex];
        for (size_t child : span.Children)
            if (OwnLineStart(spans_[child].Open) != kNone)
                return IndentOf(spans_[child].Open);
        return spanIndex == 0 ? std::string() : IndentOf(span.Open) + unit_;
    }

    // A new element in the fixed layout, starting at its "<" and ending at its last ">".
    std::string Fresh(const TQelXMLTag& tag, const std::string& indent) const
    {
        std::string out = "<" + tag.Name;
        for (const auto& attribute : tag.Attributes)
            out += attribute->Text();
        if (tag.Children.empty() && tag.Text.empty())
            return out + " />";
        out += ">";
        const bool shortText = !tag.Text.empty() && tag.Text.size() < kShortText;
        if (shortText)
            out += EncodeEntities(tag.Text);
        else if (!tag.Text.empty())
            out += eol_ + indent + EncodeEntities(tag.Text);
        for (const auto& child : tag.Children)
            out += eol_ + indent + unit_ + Fresh(*child, indent + unit_);
        if (!shortText || !tag.Children.empty())
            out += eol_ + indent;
        return out + "</" + tag.Name + ">";
    }

    // The original element of the same parent that tag is, or kNone for a new one.
    size_t SourceOf(const TQelXMLTag& tag, size_t parentSpan) const
    {
        const auto* source = dynamic_cast<const TSourceTag*>(&tag);
        if (!source || source->Span >= spans_.size() || spans_[source->Span].Parent != parentSpan || source->Span == 0)
            return kNone;
        return source->Span;
    }

    // Removes an original child: alone on its line, the line goes with it.
    void Delete(
        const TXmlTextEdit::TElementSpan& child, const std::string* text, const TXmlTextEdit::TElementSpan& parent)
    {
        size_t from = child.Open, to = child.End;
        const size_t lineStart = OwnLineStart(child.Open);
        size_t after = child.End;
        while (after < raw_.size() && (raw_[after] == ' ' || raw_[after] == '\t'))
            ++after;
        if (lineStart != kNone && lineStart >= cursor_ && (after == raw_.size() || IsBreak(raw_[after]))) {
            from = lineStart;
            to = after;
            if (to < raw_.size())
                to += raw_[to] == '\r' && to + 1 < raw_.size() && raw_[to + 1] == '\n' ? 2 : 1;
        }
        CopyContent(cursor_, from, text, parent);
        cursor_ = to;
    }

    // New children before the original child at: each on its own line before it.
    void InsertBefore(size_t at, const std::vector<const TQelXMLTag*>& tags, const std::string& indent,
        const std::string* text, const TXmlTextEdit::TElementSpan& parent)
    {
        const size_t lineStart = OwnLineStart(at);
        if (lineStart != kNone && lineStart >= cursor_) {
            CopyContent(cursor_, lineStart, text, parent);
            for (const TQelXMLTag* tag : tags)
                out_ += indent + Fresh(*tag, indent) + eol_;
            cursor_ = lineStart;
            return;
        }
        CopyContent(cursor_, at, text, parent);
        for (const TQelXMLTag* tag : tags)
            out_ += Fresh(*tag, indent);
        cursor_ = at;
    }

    // The content of an element between its start tag and its closing tag.
    void Content(const TQelXMLTag& tag, size_t spanIndex, size_t from, size_t closeOpen, const std::string& ownIndent,
        const std::string* text)
    {
        const TXmlTextEdit::TElementSpan& span = spans_[spanIndex];
        const std::string indent = ChildIndent(spanIndex);
        cursor_ = from;
        size_t next = 0; // the next original child not yet kept or removed
        std::vector<const TQelXMLTag*> waiting;
        bool anyKept = false;
        for (const auto& child : tag.Children) {
            size_t source = SourceOf(*child, spanIndex);
            size_t order = kNone;
            for (size_t k = next; source != kNone && k < span.Children.size(); ++k)
                if (span.Children[k] == source)
                    order = k;
            if (order == kNone) {
                // A new element (or one moved out of its order) follows the last kept one.
                if (anyKept)
                    out_ += eol_ + indent + Fresh(*child, indent);
                else
                    waiting.push_back(child.get());
                continue;
            }
            for (; next < order; ++next)
                Delete(spans_[span.Children[next]], text, span);
            const TXmlTextEdit::TElementSpan& kept = spans_[source];
            if (!waiting.empty()) {
                InsertBefore(kept.Open, waiting, indent, text, span);
                waiting.clear();
            }
            CopyContent(cursor_, kept.Open, text, span);
            Element(*child, source);
            cursor_ = kept.End;
            next = order + 1;
            anyKept = true;
        }
        for (; next < span.Children.size(); ++next)
            Delete(spans_[span.Children[next]], text, span);

        const bool newText = text && span.TextStart == kNone && !text->empty() && spanIndex != 0;
        if (waiting.empty() && !newText) {
            CopyContent(cursor_, closeOpen, text, span);
            cursor_ = closeOpen;
            return;
        }
        const size_t lineStart = OwnLineStart(closeOpen);
        if (lineStart != kNone && lineStart >= cursor_ && !waiting.empty()) {
            CopyContent(cursor_, lineStart, text, span);
            for (const TQelXMLTag* w : waiting)
                out_ += indent + Fresh(*w, indent) + eol_;
            cursor_ = lineStart;
            CopyContent(cursor_, closeOpen, text, span);
        } else {
            CopyContent(cursor_, closeOpen, text, span);
            for (const TQelXMLTag* w : waiting)
                out_ += eol_ + indent + Fresh(*w, indent);
            if (!waiting.empty())
                out_ += eol_ + ownIndent;
        }
        if (newText)
            out_ += EncodeEntities(*text);
        cursor_ = closeOpen;
    }

    // An original element, with its changes.
    void Element(const TQelXMLTag& tag, size_t spanIndex)
    {
        const TXmlTextEdit::TElementSpan& span = spans_[spanIndex];
        if (tag.Name != span.Name) {
            out_ += Fresh(tag, IndentOf(span.Open));
            return;
        }
        Copy(span.Open, span.NameEnd);
        size_t at = span.NameEnd;
        std::vector<bool> used(tag.Attributes.size(), false);
        for (size_t k = 0; k < span.Attributes.size(); ++k) {
            // The n-th attribute of a name stays the n-th of that name.
            const std::string& name = span.Values[k].first;
            size_t occurrence = 0;
            for (size_t j = 0; j < k; ++j)
                occurrence += span.Values[j].first == name;
            size_t match = kNone;
            for (size_t j = 0; j < tag.Attributes.size() && match == kNone; ++j)
                if (tag.Attributes[j]->Name == name && occurrence-- == 0)
                    match = j;
            const TXmlTextEdit::TAttributeSpan& a = span.Attributes[k];
            if (match == kNone) {
                Copy(at, a.Start);
                at = a.End;
                continue;
            }
            used[match] = true;
            if (tag.Attributes[match]->Value != span.Values[k].second) {
                Copy(at, a.ValueStart);
                out_ += tag.Attributes[match]->Value;
                at = a.ValueEnd;
            }
        }
        Copy(at, span.AttributesEnd);
        at = span.AttributesEnd;
        for (size_t j = 0; j < tag.Attributes.size(); ++j)
            if (!used[j])
                out_ += tag.Attributes[j]->Text();

        const std::string* text = tag.Text != span.Text ? &tag.Text : nullptr;
        const std::string ownIndent = IndentOf(span.Open);
        if (span.SelfClosing) {
            if (tag.Children.empty() && tag.Text.empty()) {
                Copy(at, span.End);
                return;
            }
            Copy(at, span.SlashStart);
            const std::string indent = ownIndent + unit_;
            out_ += ">" + EncodeEntities(tag.Text);
            for (const auto& child : tag.Children)
                out_ += eol_ + indent + Fresh(*child, indent);
            if (!tag.Children.empty())
                out_ += eol_ + ownIndent;
            out_ += "</" + tag.Name + ">";
            return;
        }
        Copy(at, span.StartEnd);
        Content(tag, spanIndex, span.StartEnd, span.CloseOpen, ownIndent, text);
        Copy(span.CloseOpen, span.End);
        cursor_ = span.End;
    }

    const std::string& raw_;
    const std::vector<TXmlTextEdit::TElementSpan>& spans_;
    const std::string& eol_;
    const std::string& unit_;
    std::string out_;
    size_t cursor_ = 0;
};

} // namespace

TXmlTextEdit::TXmlTextEdit(std::string_view original)
    : original_(original)
{
    document_.LoadFromText(original_);
    scanned_ = document_.LastError.empty() && Scan() && Adopt(document_, 0);
}

TXmlTextEdit::~TXmlTextEdit() = default;

// Reads the text as the document's reader does, noting where each element stands. The
// reader sees every line end as one space and a tab as a space; offsets map back.
bool TXmlTextEdit::Scan()
{
    const std::string& raw = original_;
    size_t limit = raw.find('\0');
    if (limit == kNone)
        limit = raw.size();
    std::string n;
    std::vector<size_t> at;
    for (size_t i = 0; i < limit; ++i) {
        const char c = raw[i];
        at.push_back(i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < limit && raw[i + 1] == '\n')
                ++i;
            n += ' ';
        } else
            n += c == '\t' ? ' ' : c;
    }
    if (limit > 0 && !IsBreak(raw[limit - 1])) {
        n += ' ';
        at.push_back(limit);
    }
    at.push_back(limit);

    // The file's own line end and indentation step, for what is added.
    size_t firstBreak = raw.find_first_of("\r\n");
    if (firstBreak != kNone && firstBreak < limit)
        eol_ = raw[firstBreak] == '\n' ? "\n" : (firstBreak + 1 < limit && raw[firstBreak + 1] == '\n' ? "\r\n" : "\r");

    spans_.assign(1, TElementSpan {});
    spans_[0].StartEnd = 0;
    spans_[0].CloseOpen = limit;
    spans_[0].End = raw.size();
    size_t current = 0;

    auto addText = [&](size_t from, size_t to) {
        while (from < to && static_cast<unsigned char>(n[from]) <= 32)
            ++from;
        while (to > from && static_cast<unsigned char>(n[to - 1]) <= 32)
            --to;
        if (from == to)
            return;
        TElementSpan& span = spans_[current];
        span.Text = DecodeEntities(std::string_view(n).substr(from, to - from));
        span.TextStart = at[from];
        span.TextEnd = at[to];
    };
    // The name and attributes of a tag whose trimmed content is n[from, to).
    auto readTag = [&](TElementSpan& span, size_t from, size_t to) {
        const std::string_view s = std::string_view(n).substr(from, to - from);
        size_t space = s.find(' ');
        span.Name = std::string(s.substr(0, space));
        size_t pos = space == kNone ? s.size() : space;
        span.NameEnd = at[from + pos];
        span.AttributesEnd = span.NameEnd;
        while (space != kNone && pos < s.size()) {
            size_t e = s.find('=', pos);
            if (e == kNone)
                break;
            size_t q1 = s.find('"', e);
            if (q1 == kNone)
                break;
            size_t q2 = s.find('"', q1 + 1);
            if (q2 == kNone)
                break;
            span.Values.emplace_back(Trim(s.substr(pos, e - pos)), std::string(s.substr(q1 + 1, q2 - q1 - 1)));
            span.Attributes.push_back({ at[from + pos], at[from + q1 + 1], at[from + q2], at[from + q2 + 1] });
            span.AttributesEnd = at[from + q2 + 1];
            pos = q2 + 1;
        }
    };
    auto trimmed = [&](size_t& from, size_t& to) {
        while (from < to && static_cast<unsigned char>(n[from]) <= 32)
            ++from;
        while (to > from && static_cast<unsigned char>(n[to - 1]) <= 32)
            --to;
    };

    size_t i = 0;
    while (i < n.size()) {
        size_t a = n.find('<', i);
        if (a == kNone) {
            addText(i, n.size());
            break;
        }
        addText(i, a);
        i = a;
        if (n.compare(i, 4, "<!--") == 0) {
            size_t b = n.find("-->", i + 4);
            if (b == kNone)
                return false;
            i = b + 3;
            continue;
        }
        if (n.compare(i, 2, "<?") == 0) {
            size_t b = n.find("?>", i + 2);
            if (b == kNone)
                return false;
            // A head starts the document afresh.
            TElementSpan head;
            readTag(head, i + 2, b);
            spans_[0].Name = head.Name;
            spans_[0].Values = head.Values;
            spans_[0].Children.clear();
            spans_[0].Text.clear();
            spans_[0].TextStart = spans_[0].TextEnd = kNone;
            current = 0;
            i = b + 2;
            continue;
        }
        size_t b = n.find('>', i);
        if (b == kNone) {
            // A "<" that no ">" follows is dropped; what follows reads as text.
            i = i + 1;
            continue;
        }
        size_t from = i + 1, to = b;
        const size_t open = i;
        i = b + 1;
        if (from == to)
            return false;
        if (n[from] == '/') {
            if (current != 0) {
                spans_[current].CloseOpen = at[open];
                spans_[current].End = at[b] + 1;
                current = spans_[current].Parent;
            }
            continue;
        }
        const bool selfClosing = n[to - 1] == '/';
        if (selfClosing)
            --to;
        trimmed(from, to);
        TElementSpan span;
        span.Parent = current;
        span.Open = at[open];
        span.StartEnd = at[b] + 1;
        readTag(span, from, to);
        span.SelfClosing = selfClosing;
        if (selfClosing) {
            span.SlashStart = at[to];
            span.CloseOpen = span.End = span.StartEnd;
        } else {
            // Until its closing tag comes, an element reaches to the end of the text.
            span.CloseOpen = limit;
            span.End = limit;
        }
        spans_.push_back(std::move(span));
        const size_t index = spans_.size() - 1;
        spans_[current].Children.push_back(index);
        if (!selfClosing)
            current = index;
    }

    // The indentation step: the first child on its own line deeper than its parent.
    for (size_t s = 1; s < spans_.size(); ++s) {
        const TElementSpan& span = spans_[s];
        if (span.Parent == 0)
            continue;
        auto indentAt = [&](size_t pos, std::string& indent) {
            size_t p = pos;
            while (p > 0 && (raw[p - 1] == ' ' || raw[p - 1] == '\t'))
                --p;
            if (p > 0 && !IsBreak(raw[p - 1]))
                return false;
            indent = raw.substr(p, pos - p);
            return true;
        };
        std::string mine, parents;
        if (indentAt(span.Open, mine) && indentAt(spans_[span.Parent].Open, parents) && mine.size() > parents.size()
            && mine.starts_with(parents)) {
            unit_ = mine.substr(parents.size());
            break;
        }
    }
    return true;
}

// Puts each element of the document in a tag that knows its span, checking that the
// reading of the text matches the document's.
bool TXmlTextEdit::Adopt(TQelXMLTag& tag, size_t spanIndex)
{
    const TElementSpan& span = spans_[spanIndex];
    if (tag.Children.size() != span.Children.size() || tag.Attributes.size() != span.Values.size())
        return false;
    if (spanIndex != 0 && (tag.Name != span.Name || tag.Text != span.Text))
        return false;
    for (size_t i = 0; i < span.Values.size(); ++i)
        if (tag.Attributes[i]->Name != span.Values[i].first || tag.Attributes[i]->Value != span.Values[i].second)
            return false;
    for (size_t i = 0; i < tag.Children.size(); ++i) {
        std::unique_ptr<TQelXMLTag>& slot = tag.Children[i];
        const size_t childSpan = span.Children[i];
        auto source = std::make_unique<TSourceTag>(slot->Name, &tag, slot->Text, childSpan);
        source->Attributes = std::move(slot->Attributes);
        source->Children = std::move(slot->Children);
        for (auto& grandChild : source->Children)
            grandChild->Parent = source.get();
        slot = std::move(source);
        if (!Adopt(*slot, childSpan))
            return false;
    }
    return true;
}

std::string TXmlTextEdit::Spliced() const
{
    TSplicer splicer(original_, spans_, eol_, unit_);
    return splicer.Document(document_);
}

bool TXmlTextEdit::KeepsText()
{
    return scanned_ && ReadsTheSame(Spliced(), document_.SaveToString());
}

std::string TXmlTextEdit::Text()
{
    std::string fixed = document_.SaveToString();
    if (!scanned_)
        return fixed;
    std::string spliced = Spliced();
    return ReadsTheSame(spliced, fixed) ? spliced : fixed;
}
