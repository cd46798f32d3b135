// The XML reader and writer.
#include "foundation/QelParser.h"

#include "foundation/Files.h"
#include "foundation/Text.h"

#include <charconv>
#include <cmath>

namespace {

constexpr std::string_view kCrLf = "\r\n";

void ReplaceAll(std::string& s, std::string_view from, std::string_view to)
{
    std::string out;
    out.reserve(s.size());
    size_t start = 0;
    for (size_t p; (p = s.find(from, start)) != std::string::npos; start = p + from.size()) {
        out.append(s, start, p - start);
        out.append(to);
    }
    out.append(s, start, std::string::npos);
    s = std::move(out);
}

// The 1-based substring from..to inclusive; empty when the range is empty.
std::string_view Sub(std::string_view s, size_t from, size_t to)
{
    if (from < 1 || to < from || from > s.size())
        return {};
    if (to > s.size())
        to = s.size();
    return s.substr(from - 1, to - from + 1);
}

// Removes the first occurrence of part from s.
std::string RemoveFirst(std::string_view s, std::string_view part)
{
    std::string out(s);
    size_t p = out.find(part);
    if (p != std::string::npos)
        out.erase(p, part.size());
    return out;
}

// Splits raw file bytes into lines the way the reader sees them: a line ends at CR, LF
// or CR LF, and the text ends at the first NUL.
std::vector<std::string> SplitRawLines(std::string_view raw)
{
    size_t nul = raw.find('\0');
    if (nul != std::string_view::npos)
        raw = raw.substr(0, nul);
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < raw.size()) {
        size_t e = raw.find_first_of("\r\n", i);
        if (e == std::string_view::npos) {
            lines.emplace_back(raw.substr(i));
            break;
        }
        lines.emplace_back(raw.substr(i, e - i));
        i = e + 1;
        if (raw[e] == '\r' && i < raw.size() && raw[i] == '\n')
            ++i;
    }
    return lines;
}

struct Selector {
    std::string name, index, text, attribute;
};

Selector ParseSelector(std::string_view selector, bool withAttribute)
{
    Selector sel;
    std::string rest(selector);
    if (withAttribute) {
        sel.attribute = ExtractBetween(rest, "(", ")", 1);
        if (!sel.attribute.empty())
            rest = RemoveFirst(rest, "(" + sel.attribute + ")");
    }
    sel.index = ExtractBetween(rest, "[", "]", 1);
    if (!sel.index.empty())
        rest = RemoveFirst(rest, "[" + sel.index + "]");
    sel.text = ExtractBetween(rest, "\"", "\"", 1);
    if (!sel.text.empty())
        rest = RemoveFirst(rest, "\"" + sel.text + "\"");
    sel.name = std::move(rest);
    return sel;
}

// The index of a selector when it names a valid position, else -1 (search everything).
long SelectorIndex(const std::string& index, size_t count)
{
    auto value = StrictInt(index);
    if (!value || *value < 0 || *value >= static_cast<int64_t>(count))
        return -1;
    return static_cast<long>(*value);
}

}  // namespace

size_t PosFrom(std::string_view sub, std::string_view s, size_t offset)
{
    if (offset < 1)
        offset = 1;
    if (sub.empty() || offset > s.size() || s.size() - (offset - 1) < sub.size())
        return 0;
    size_t p = s.find(sub, offset - 1);
    return p == std::string_view::npos ? 0 : p + 1;
}

std::string ExtractBetween(std::string_view s, std::string_view open, std::string_view close, size_t offset)
{
    size_t a = PosFrom(open, s, offset);
    if (a == 0)
        return {};
    size_t b = PosFrom(close, s, a + 1);
    if (b == 0)
        return {};
    size_t from = a + open.size();
    if (b <= from)
        return {};
    return std::string(Sub(s, from, b - 1));
}

std::string NormalizeSpaces(std::string_view s)
{
    std::string out(s);
    ReplaceAll(out, "\r\n", " ");
    for (char& c : out)
        if (c == '\t')
            c = ' ';
    return out;
}

std::string DecodeEntities(std::string_view s)
{
    std::string out(s);
    ReplaceAll(out, "&lt;", "<");
    ReplaceAll(out, "&gt;", ">");
    ReplaceAll(out, "&amp;", "&");
    ReplaceAll(out, "&apos;", "'");
    ReplaceAll(out, "&quot;", "\"");
    return out;
}

std::string EncodeEntities(std::string_view s)
{
    std::string out(s);
    ReplaceAll(out, "&", "&amp;");
    ReplaceAll(out, "<", "&lt;");
    ReplaceAll(out, ">", "&gt;");
    ReplaceAll(out, "'", "&apos;");
    ReplaceAll(out, "\"", "&quot;");
    return out;
}

double XMLStrToFloat(std::string_view s)
{
    s = TrimView(s);
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
        return 0;
    return v;
}

std::string TQelParserAttribute::Text() const
{
    return " " + Name + "=\"" + Value + "\"";
}

TQelXMLTag::TQelXMLTag(std::string name, TQelXMLTag* parent, std::string text)
    : Name(std::move(name)), Text(std::move(text)), Parent(parent)
{
}

TQelXMLTag::~TQelXMLTag() = default;

TQelParserAttribute* TQelXMLTag::AddAttribute(std::string name, std::string value)
{
    Attributes.push_back(std::make_unique<TQelParserAttribute>(std::move(name), std::move(value)));
    return Attributes.back().get();
}

TQelXMLTag* TQelXMLTag::AddChild(std::string name, std::string text)
{
    Children.push_back(std::make_unique<TQelXMLTag>(std::move(name), this, std::move(text)));
    return Children.back().get();
}

TQelXMLTag* TQelXMLTag::LastChild() const
{
    if (Children.empty())
        throw EQelXmlError("List index out of bounds (-1)");
    return Children.back().get();
}

TQelXMLTag* TQelXMLTag::AddTagByString(std::string_view s)
{
    TQelXMLTag* child = AddChild({}, {});
    size_t p = PosFrom(" ", s, 1);
    if (p == 0) {
        child->Name = std::string(s);
        return child;
    }
    child->Name = std::string(Sub(s, 1, p - 1));
    size_t pos = p;
    // A malformed attribute ends the tag quietly: the element keeps what was read so far.
    do {
        size_t e = PosFrom("=", s, pos);
        if (e == 0)
            break;
        std::string name = Trim(Sub(s, pos, e - 1));
        size_t q1 = PosFrom("\"", s, e);
        if (q1 == 0)
            break;
        size_t q2 = PosFrom("\"", s, q1 + 1);
        if (q2 == 0)
            break;
        child->AddAttribute(std::move(name), std::string(Sub(s, q1 + 1, q2 - 1)));
        pos = q2 + 1;
    } while (pos <= s.size());
    return child;
}

TQelXMLTag* TQelXMLTag::GetChild(long index) const
{
    if (index < 0 || index >= static_cast<long>(Children.size()))
        return nullptr;
    return Children[index].get();
}

TQelParserAttribute* TQelXMLTag::GetAttribute(long index) const
{
    if (index < 0 || index >= static_cast<long>(Attributes.size()))
        return nullptr;
    return Attributes[index].get();
}

TQelXMLTag* TQelXMLTag::GetChildByName(std::string_view name) const
{
    for (const auto& child : Children)
        if (child->Name == name)
            return child.get();
    return nullptr;
}

TQelParserAttribute* TQelXMLTag::GetAttributeByName(std::string_view name) const
{
    for (const auto& attribute : Attributes)
        if (attribute->Name == name)
            return attribute.get();
    return nullptr;
}

std::string TQelXMLTag::AttributeValue(std::string_view name, std::string_view fallback) const
{
    const TQelParserAttribute* attribute = GetAttributeByName(name);
    return attribute ? attribute->Value : std::string(fallback);
}

TQelXMLTag* TQelXMLTag::FindChildByName(std::string_view name) const
{
    for (const auto& child : Children) {
        if (child->Name == name)
            return child.get();
        if (TQelXMLTag* found = child->FindChildByName(name))
            return found;
    }
    return nullptr;
}

TQelXMLTag* TQelXMLTag::FindChild(std::string_view selector) const
{
    if (Children.empty())
        return nullptr;
    Selector sel = ParseSelector(selector, true);
    long only = SelectorIndex(sel.index, Children.size());
    for (size_t i = 0; i < Children.size(); ++i) {
        if (only >= 0 && static_cast<long>(i) != only)
            continue;
        const TQelXMLTag& child = *Children[i];
        if (!sel.name.empty() && child.Name != sel.name)
            continue;
        if (!sel.text.empty() && child.Text != sel.text)
            continue;
        if (!sel.attribute.empty() && !child.FindAttribute(sel.attribute))
            continue;
        return Children[i].get();
    }
    return nullptr;
}

TQelParserAttribute* TQelXMLTag::FindAttribute(std::string_view selector) const
{
    if (Attributes.empty())
        return nullptr;
    Selector sel = ParseSelector(selector, false);
    long only = SelectorIndex(sel.index, Attributes.size());
    for (size_t i = 0; i < Attributes.size(); ++i) {
        if (only >= 0 && static_cast<long>(i) != only)
            continue;
        const TQelParserAttribute& attribute = *Attributes[i];
        if (!sel.name.empty() && attribute.Name != sel.name)
            continue;
        if (!sel.text.empty() && attribute.Value != sel.text)
            continue;
        return Attributes[i].get();
    }
    return nullptr;
}

void TQelXMLTag::DeleteChild(long index)
{
    if (index >= 0 && index < static_cast<long>(Children.size()))
        Children.erase(Children.begin() + index);
}

void TQelXMLTag::DeleteAttribute(long index)
{
    if (index >= 0 && index < static_cast<long>(Attributes.size()))
        Attributes.erase(Attributes.begin() + index);
}

void TQelXMLTag::DeleteChildByName(std::string_view name)
{
    for (size_t i = 0; i < Children.size(); ++i)
        if (Children[i]->Name == name) {
            Children.erase(Children.begin() + static_cast<long>(i));
            return;
        }
}

void TQelXMLTag::DeleteAttributeByName(std::string_view name)
{
    for (size_t i = 0; i < Attributes.size(); ++i)
        if (Attributes[i]->Name == name) {
            Attributes.erase(Attributes.begin() + static_cast<long>(i));
            return;
        }
}

void TQelXMLTag::Assign(const TQelXMLTag* source)
{
    if (!source || source == this)
        return;
    ClearAttributes();
    ClearChildren();
    Name = source->Name;
    Text = source->Text;
    for (const auto& attribute : source->Attributes)
        AddAttribute(attribute->Name, attribute->Value);
    for (const auto& child : source->Children)
        AddChild({}, {})->Assign(child.get());
}

std::string TQelXMLTag::GetXMLText(int depth) const
{
    const std::string ind(static_cast<size_t>(depth), '\t');
    // Short texts stay on the tag's line; long ones (and none) put the content on lines
    // of their own. The limit counts the text before encoding.
    const bool shortText = !Text.empty() && Text.size() < 80;
    const std::string_view sep = shortText ? std::string_view() : kCrLf;
    const std::string_view textInd = shortText ? std::string_view() : std::string_view(ind);

    std::string out = ind + "<" + Name;
    for (const auto& attribute : Attributes)
        out += attribute->Text();
    if (Children.empty() && Text.empty())
        return out + " />" + std::string(kCrLf);
    out += ">";
    out += sep;
    if (!Text.empty()) {
        out += textInd;
        out += EncodeEntities(Text);
        out += sep;
    }
    for (const auto& child : Children)
        out += child->GetXMLText(depth + 1);
    out += textInd;
    out += "</" + Name + ">";
    out += kCrLf;
    return out;
}

TQelParser::TQelParser() : TQelXMLTag("root", nullptr, {}) {}

void TQelParser::LoadFromFile(const std::filesystem::path& path)
{
    std::string error;
    auto bytes = ReadFileBytes(path, &error);
    if (!bytes)
        throw std::runtime_error(error);
    LoadFromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

void TQelParser::LoadFromStream(TMemoryStream& stream)
{
    std::string_view all = stream.View();
    size_t from = std::min(stream.Position(), all.size());
    stream.SetPosition(all.size());
    LoadFromText(all.substr(from));
}

void TQelParser::LoadFromText(std::string_view text)
{
    Lines = SplitRawLines(text);
    MakeTypifiedLines();
    BuildTree();
}

void TQelParser::MakeTypifiedLines()
{
    std::string t;
    for (const std::string& line : Lines) {
        t += line;
        t += kCrLf;
    }
    LastError.clear();
    std::vector<std::string> typified;
    auto addText = [&](std::string_view run) {
        std::string_view trimmed = TrimView(run);
        if (!trimmed.empty())
            typified.push_back("0" + DecodeEntities(NormalizeSpaces(trimmed)));
    };

    const std::string_view T = t;
    size_t i = 1;
    while (i <= T.size()) {
        size_t a = PosFrom("<", T, i);
        if (a == 0) {
            addText(Sub(T, i, T.size()));
            break;
        }
        addText(Sub(T, i, a - 1));
        i = a;
        if (Sub(T, i, i + 3) == "<!--") {
            size_t b = PosFrom("-->", T, i + 4);
            if (b == 0) {
                LastError = "[TQelXMLTag.MakeTypifiedLines] Comments started, but never ended!";
                break;
            }
            i = b + 3;
        } else if (Sub(T, i, i + 1) == "<?") {
            size_t b = PosFrom("?>", T, i + 2);
            if (b == 0) {
                LastError = "[TQelXMLTag.MakeTypifiedLines] XML Head started, but never ended!";
                break;
            }
            typified.push_back("4" + NormalizeSpaces(Sub(T, i + 2, b - 1)));
            i = b + 2;
        } else {
            size_t b = PosFrom(">", T, i);
            if (b == 0) {
                // A "<" that no ">" follows is dropped; what follows reads as text.
                i = i + 1;
                continue;
            }
            std::string_view d = Sub(T, i + 1, b - 1);
            i = b + 1;
            if (d.empty()) {
                LastError = "[TQelXMLTag.MakeTypifiedLines] Empty tag \"<>\"";
                break;
            }
            if (d.front() == '/')
                typified.push_back("1" + NormalizeSpaces(d.substr(1)));
            else if (d.back() == '/')
                typified.push_back("2" + NormalizeSpaces(TrimView(d.substr(0, d.size() - 1))));
            else
                typified.push_back("3" + NormalizeSpaces(TrimView(d)));
        }
    }
    // A pass that stopped early yields an empty document rather than a tree built from
    // untypified lines; callers report a document without elements in their own words.
    if (LastError.empty())
        Lines = std::move(typified);
    else
        Lines.clear();
}

void TQelParser::BuildTree()
{
    ClearChildren();
    ClearAttributes();
    TQelXMLTag* current = this;
    for (const std::string& line : Lines) {
        if (line.empty())
            continue;
        std::string_view content = std::string_view(line).substr(1);
        switch (line[0]) {
        case '4': {
            TQelXMLTag temp({}, nullptr, {});
            TQelXMLTag* head = temp.AddTagByString(content);
            Assign(head);
            Text.clear();
            ClearChildren();
            current = this;
            break;
        }
        case '3':
            current = current->AddTagByString(content);
            break;
        case '1':
            // Closing names are not compared; a surplus closing tag is ignored.
            if (current->Parent)
                current = current->Parent;
            break;
        case '2':
            current->AddTagByString(content);
            break;
        case '0':
            current->SetText(std::string(content));
            break;
        default:
            break;
        }
    }
}

void TQelParser::MakeLines()
{
    std::string out = SaveToString();
    Lines.clear();
    size_t start = 0;
    for (size_t p; (p = out.find(kCrLf, start)) != std::string::npos; start = p + 2)
        Lines.push_back(out.substr(start, p - start));
}

std::string TQelParser::SaveToString()
{
    std::string out;
    if (Name == "xml") {
        out = "<?xml";
        for (const auto& attribute : Attributes)
            out += attribute->Text();
        out += "?>";
        out += kCrLf;
    }
    for (const auto& child : Children)
        out += child->GetXMLText(0);
    return out;
}

void TQelParser::SaveToFile(const std::filesystem::path& path)
{
    MakeLines();
    std::string text;
    for (const std::string& line : Lines) {
        text += line;
        text += kCrLf;
    }
    std::string error;
    if (!WriteFileAtomic(path, text, &error))
        throw std::runtime_error(error);
}

void TQelParser::SaveToStream(TMemoryStream& stream)
{
    MakeLines();
    for (const std::string& line : Lines) {
        stream.Write(line);
        stream.Write(kCrLf);
    }
}
