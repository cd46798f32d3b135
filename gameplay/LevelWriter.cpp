// Writing a level into the document of its file, and comparing two levels as read.
#include "gameplay/LevelWriter.h"

#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "foundation/XmlTextEdit.h"
#include "gameplay/Level.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <sstream>

namespace {

// Belts step along their path at this rate (path units per millisecond).
const char kBeltTiming[] = "Set Timing +0.04; Path";
const char kBeltEnding[] = "; Ending Loop;";

// Halves to even, as every rounding of the game's numbers.
long long Rounded(double value)
{
    return std::llrint(value);
}

std::string IntText(long long value)
{
    return std::to_string(value);
}

std::string PointText(TPoint p)
{
    return IntText(p.X) + "," + IntText(p.Y);
}

TPoint ReadPoint(std::string_view text)
{
    size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return { LeadingInt(text), 0 };
    return { LeadingInt(text.substr(0, comma)), LeadingInt(text.substr(comma + 1)) };
}

// A real of the path script: "." as separator, malformed text is 0.
double ReadReal(std::string_view text)
{
    return XMLStrToFloat(text);
}

bool Enclosed(std::string_view text, char open, char close, std::string_view& inside)
{
    size_t a = text.find(open);
    if (a == std::string_view::npos)
        return false;
    size_t b = text.find(close, a + 1);
    if (b == std::string_view::npos)
        return false;
    inside = text.substr(a + 1, b - a - 1);
    return true;
}

void ReadPair(std::string_view text, double& first, double& second)
{
    size_t comma = text.find(',');
    first = ReadReal(text.substr(0, comma));
    if (comma != std::string_view::npos)
        second = ReadReal(text.substr(comma + 1));
}

TPathNode ReadNode(std::string_view text)
{
    TPathNode node;
    std::string_view inside;
    if (Enclosed(text, '(', ')', inside)) {
        double y = 0;
        ReadPair(inside, node.X, y);
        node.Y = y;
    }
    if (Enclosed(text, '[', ']', inside))
        ReadPair(inside, node.FirstAngle, node.SecondAngle);
    if (Enclosed(text, '{', '}', inside))
        ReadPair(inside, node.FirstCorrection, node.SecondCorrection);
    return node;
}

// --- writing attributes: a value that already reads right keeps its spelling ---

void SetPoint(TQelXMLTag& tag, std::string_view name, TPoint value)
{
    TQelParserAttribute* attribute = tag.GetAttributeByName(name);
    if (attribute && ReadPoint(attribute->Value) == value)
        return;
    SetAttributeText(tag, name, PointText(value));
}

// An attribute written only when it differs from what its absence means.
void SetOptionalInt(TQelXMLTag& tag, std::string_view name, int32_t value, int32_t absent)
{
    if (!tag.GetAttributeByName(name) && value == absent)
        return;
    SetAttributeInt(tag, name, value);
}

void SetOptionalBool(TQelXMLTag& tag, std::string_view name, bool value)
{
    TQelParserAttribute* attribute = tag.GetAttributeByName(name);
    if (!attribute) {
        if (value)
            tag.AddAttribute(std::string(name), "True");
        return;
    }
    if (StrictBool(attribute->Value).value_or(false) != value)
        attribute->SetValue(value ? "True" : "False");
}

void SetOptionalText(TQelXMLTag& tag, std::string_view name, const std::string& value)
{
    if (!tag.GetAttributeByName(name) && value.empty())
        return;
    SetAttributeText(tag, name, value);
}

// Makes the children of a list element one per item, new ones named as the list's
// children are (or newName). Children that already hold an item, in the items' order,
// stay; between two of them the children there take the items there in turn and the
// surplus goes or comes. So a moved item keeps its element, and an item removed or added
// anywhere takes or adds only its own.
template <class T, class Holds>
void MatchChildren(TQelXMLTag& list, const std::vector<T>& items, const std::string& newName, Holds holds)
{
    const size_t n = list.Children.size(), m = items.size();
    const std::string name = n == 0 ? newName : list.Children.front()->Name;
    std::vector<std::unique_ptr<TQelXMLTag>> old = std::move(list.Children);
    list.Children.clear();
    // The children that hold their items at either end stay without a search: an edit
    // usually touches one item.
    size_t head = 0, tail = 0;
    while (head < n && head < m && holds(*old[head], items[head]))
        ++head;
    while (tail < n - head && tail < m - head && holds(*old[n - 1 - tail], items[m - 1 - tail]))
        ++tail;
    const size_t rows = n - head - tail, columns = m - head - tail;
    // Between them: the longest run of children holding items in order, counted from each
    // pair of places onwards.
    std::vector<uint32_t> common((rows + 1) * (columns + 1), 0);
    auto at = [&](size_t i, size_t j) -> uint32_t& { return common[i * (columns + 1) + j]; };
    for (size_t i = rows; i-- > 0;)
        for (size_t j = columns; j-- > 0;)
            at(i, j)
                = holds(*old[head + i], items[head + j]) ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));

    for (size_t k = 0; k < head; ++k)
        list.Children.push_back(std::move(old[k]));
    std::vector<std::unique_ptr<TQelXMLTag>> spare;
    size_t wanted = 0;
    auto settle = [&] {
        for (size_t k = 0; k < wanted; ++k)
            list.Children.push_back(
                k < spare.size() ? std::move(spare[k]) : std::make_unique<TQelXMLTag>(name, &list, std::string()));
        spare.clear();
        wanted = 0;
    };
    size_t i = 0, j = 0;
    while (i < rows || j < columns) {
        if (i < rows && j < columns && holds(*old[head + i], items[head + j]) && at(i, j) == at(i + 1, j + 1) + 1) {
            settle();
            list.Children.push_back(std::move(old[head + i++]));
            ++j;
        } else if (i < rows && (j == columns || at(i + 1, j) >= at(i, j + 1)))
            spare.push_back(std::move(old[head + i++]));
        else {
            ++wanted;
            ++j;
        }
    }
    settle();
    for (size_t k = n - tail; k < n; ++k)
        list.Children.push_back(std::move(old[k]));
}

bool HoldsHeap(const TQelXMLTag& tag, const tHeapRec& heap)
{
    const TQelParserAttribute* flip = tag.GetAttributeByName("Flip");
    return tag.AttributeValue("FileName") == heap.FileName && ReadPoint(tag.AttributeValue("Pos")) == heap.Pos
        && LeadingInt(tag.AttributeValue("Angle")) == heap.Angle && tag.AttributeValue("AnimeFiles") == heap.AnimeFiles
        && (flip && StrictBool(flip->Value).value_or(false)) == heap.Flip;
}

bool HoldsPlace(const TQelXMLTag& tag, const TPersPlace& place)
{
    return LeadingInt(tag.AttributeValue("X")) == place.X && LeadingInt(tag.AttributeValue("Y")) == place.Y;
}

TQelXMLTag& DirectChild(TQelXMLTag& root, std::string_view name)
{
    if (TQelXMLTag* tag = root.GetChildByName(name))
        return *tag;
    return *root.AddChild(std::string(name));
}

TQelXMLTag& DeepChild(TQelXMLTag& root, std::string_view name)
{
    if (TQelXMLTag* tag = root.FindChildByName(name))
        return *tag;
    return *root.AddChild(std::string(name));
}

void WriteLentas(TQelXMLTag& root, const tLevel& level)
{
    if (level.Lentas.empty())
        return;
    TQelXMLTag& lentas = DirectChild(root, "Lentas");
    SetOptionalText(lentas, "Image", level.Scene.LentaImage);
    SetOptionalInt(lentas, "Frequency", level.Scene.LentaFrequency, 0);
    // Belts the file has beyond the level's stay; the level has one per child it read.
    while (lentas.Children.size() < level.Lentas.size())
        lentas.AddChild("Lenta");
    for (size_t i = 0; i < level.Lentas.size(); ++i) {
        TQelXMLTag& belt = *lentas.Children[i];
        const TLenta& lenta = level.Lentas[i];
        SetOptionalInt(belt, "BornPeriod", lenta.BornPeriod, 0);
        TQelXMLTag* path = belt.GetChildByName("Path");
        if (!path) {
            if (lenta.PathScript.empty())
                continue;
            path = belt.AddChild("Path");
        }
        if (path->Text != lenta.PathScript)
            path->SetText(lenta.PathScript);
    }
}

void WriteHeapPictures(TQelXMLTag& root, const tLevel& level)
{
    const std::vector<tHeapRec>& heaps = level.Scene.HeapPictures;
    if (heaps.empty() && !root.GetChildByName("HeapPictures"))
        return;
    TQelXMLTag& list = DirectChild(root, "HeapPictures");
    MatchChildren(list, heaps, "Pict", HoldsHeap);
    for (size_t i = 0; i < heaps.size(); ++i) {
        const tHeapRec& heap = heaps[i];
        // Pictures are added, removed and reordered: an element that held another picture
        // starts afresh, so that no attribute of that picture sticks to this one.
        if (list.Children[i]->AttributeValue("FileName") != heap.FileName) {
            const std::string name = list.Children[i]->Name;
            list.Children[i] = std::make_unique<TQelXMLTag>(name, &list, std::string());
        }
        TQelXMLTag& pict = *list.Children[i];
        SetAttributeText(pict, "FileName", heap.FileName);
        SetPoint(pict, "Pos", heap.Pos);
        SetOptionalInt(pict, "Angle", heap.Angle, 0);
        SetOptionalText(pict, "AnimeFiles", heap.AnimeFiles);
        SetOptionalBool(pict, "Flip", heap.Flip);
    }
}

void WritePersPosition(TQelXMLTag& root, const tLevel& level)
{
    const std::vector<TPersPlace>& places = level.Scene.PersPosition;
    if (places.empty())
        return;
    TQelXMLTag& list = DeepChild(root, "PersPosition");
    MatchChildren(list, places, "Position", HoldsPlace);
    for (size_t i = 0; i < places.size(); ++i) {
        SetAttributeInt(*list.Children[i], "X", places[i].X);
        SetAttributeInt(*list.Children[i], "Y", places[i].Y);
    }
}

// --- comparing ---

class TCompare {
public:
    template <class T> void Field(const std::string& name, const T& a, const T& b)
    {
        if (!Difference.empty() || a == b)
            return;
        std::ostringstream text;
        text << name << ": " << Show(a) << " != " << Show(b);
        Difference = text.str();
    }

    template <class T, class F>
    void List(const std::string& name, const std::vector<T>& a, const std::vector<T>& b, F each)
    {
        Field(name + ".size", a.size(), b.size());
        for (size_t i = 0; i < a.size() && i < b.size() && Difference.empty(); ++i)
            each(name + "[" + std::to_string(i) + "]", a[i], b[i]);
    }

    std::string Difference;

private:
    template <class T> static std::string Show(const T& value)
    {
        if constexpr (std::is_same_v<T, std::string>)
            return "\"" + value + "\"";
        else if constexpr (std::is_same_v<T, TPoint>)
            return "(" + PointText(value) + ")";
        else if constexpr (std::is_same_v<T, bool>)
            return value ? "true" : "false";
        else if constexpr (std::is_enum_v<T>)
            return std::to_string(static_cast<int>(value));
        else if constexpr (std::is_same_v<T, uint8_t>)
            return std::to_string(static_cast<int>(value));
        else
            return std::to_string(value);
    }
};

void CompareScene(TCompare& c, const TLevelScene& a, const TLevelScene& b)
{
    c.Field("LentaImage", a.LentaImage, b.LentaImage);
    c.Field("LentaFrequency", a.LentaFrequency, b.LentaFrequency);
    c.Field("LentaParticle", a.LentaParticle.Name, b.LentaParticle.Name);
    c.Field("BackPicture", a.BackPicture, b.BackPicture);
    c.Field("LevelState", a.LevelState, b.LevelState);
    c.Field("ShiftLentaY", a.ShiftLentaY, b.ShiftLentaY);
    c.Field("SpecialFish", a.SpecialFish, b.SpecialFish);
    c.Field("SpecialFishPeriod", a.SpecialFishPeriod, b.SpecialFishPeriod);
    c.Field("Bonus", a.Bonus, b.Bonus);
    c.Field("Stoika", a.Stoika.Name, b.Stoika.Name);
    c.Field("Cursor", a.Cursor.Name, b.Cursor.Name);
    c.List("HeapPictures", a.HeapPictures, b.HeapPictures, [&](const std::string& n, auto& x, auto& y) {
        c.Field(n + ".FileName", x.FileName, y.FileName);
        c.Field(n + ".Pos", x.Pos, y.Pos);
        c.Field(n + ".Angle", x.Angle, y.Angle);
        c.Field(n + ".Flip", x.Flip, y.Flip);
        c.Field(n + ".AnimeFiles", x.AnimeFiles, y.AnimeFiles);
    });
    c.Field("Hints.HasHintFishes", a.Hints.HasHintFishes, b.Hints.HasHintFishes);
    c.Field("Hints.HintEffect", a.Hints.HintEffect, b.Hints.HintEffect);
    c.List("Hints.HintPoints", a.Hints.HintPoints, b.Hints.HintPoints,
        [&](const std::string& n, auto& x, auto& y) { c.Field(n, x, y); });
    c.List("Hints.HintFishes", a.Hints.HintFishes, b.Hints.HintFishes,
        [&](const std::string& n, auto& x, auto& y) { c.Field(n, x, y); });
    c.List("AddFishesList", a.AddFishesList, b.AddFishesList, [&](const std::string& n, auto& x, auto& y) {
        c.Field(n + ".Kind", x.Kind, y.Kind);
        c.Field(n + ".TypeDigit", x.TypeDigit, y.TypeDigit);
        c.Field(n + ".Part", x.Part, y.Part);
        c.Field(n + ".TypeIndex", x.TypeIndex, y.TypeIndex);
    });
    c.List("DialogList", a.DialogList, b.DialogList, [&](const std::string& n, auto& x, auto& y) {
        c.Field(n + ".FileName", x.FileName, y.FileName);
        c.Field(n + ".TimeStart", x.TimeStart, y.TimeStart);
    });
    c.List("PosKabinki", a.PosKabinki, b.PosKabinki, [&](const std::string& n, auto& x, auto& y) {
        c.Field(n + ".X", x.X, y.X);
        c.Field(n + ".Y", x.Y, y.Y);
    });
    c.List("AddPictures", a.AddPictures, b.AddPictures, [&](const std::string& n, auto& x, auto& y) {
        c.Field(n + ".FileName", x.FileName, y.FileName);
        c.Field(n + ".X", x.X, y.X);
        c.Field(n + ".Y", x.Y, y.Y);
        c.Field(n + ".Left", x.Left, y.Left);
        c.Field(n + ".Top", x.Top, y.Top);
        c.Field(n + ".Right", x.Right, y.Right);
        c.Field(n + ".Bottom", x.Bottom, y.Bottom);
    });
    c.List("PersPosition", a.PersPosition, b.PersPosition, [&](const std::string& n, auto& x, auto& y) {
        c.Field(n + ".X", x.X, y.X);
        c.Field(n + ".Y", x.Y, y.Y);
    });
    c.List("Effects", a.Effects, b.Effects, [&](const std::string& n, auto& x, auto& y) {
        c.Field(n + ".FileName", x.FileName, y.FileName);
        c.Field(n + ".ShiftX", x.ShiftX, y.ShiftX);
        c.Field(n + ".ShiftY", x.ShiftY, y.ShiftY);
    });
}

void CompareBox(TCompare& c, const TBoxGrid& a, const TBoxGrid& b)
{
    c.Field("Box.BoxWidth", a.BoxWidth, b.BoxWidth);
    c.Field("Box.BoxHeght", a.BoxHeght, b.BoxHeght);
    c.Field("Box.CellWidth", a.CellWidth, b.CellWidth);
    c.Field("Box.CellHeght", a.CellHeght, b.CellHeght);
    c.Field("Box.BoxShift", a.BoxShift, b.BoxShift);
    c.Field("Box.DrawBoxCells", a.DrawBoxCells, b.DrawBoxCells);
    c.Field("Box.CellFrame", a.CellFrame.Name, b.CellFrame.Name);
    c.List("Box.PutFishes", a.PutFishes, b.PutFishes, [&](const std::string& n, auto& x, auto& y) {
        c.List(n, x, y, [&](const std::string& m, auto& p, auto& q) {
            c.Field(m + ".Digit", p.Digit, q.Digit);
            c.Field(m + ".Filled", p.Filled, q.Filled);
        });
    });
}

} // namespace

std::vector<TPathNode> ReadPathNodes(std::string_view script)
{
    std::vector<TPathNode> nodes;
    size_t start = 0;
    while (start <= script.size()) {
        size_t end = script.find(';', start);
        std::string_view command = TrimView(script.substr(start, end == std::string_view::npos ? end : end - start));
        start = end == std::string_view::npos ? script.size() + 1 : end + 1;
        std::string_view word = command.substr(0, command.find_first_of(" (\t"));
        if (!EqualsNoCase(word, "path"))
            continue;
        for (size_t open = command.find('('); open != std::string_view::npos;) {
            size_t next = command.find('(', open + 1);
            nodes.push_back(ReadNode(command.substr(open, next == std::string_view::npos ? next : next - open)));
            open = next;
        }
        break;
    }
    return nodes;
}

void SetAttributeText(TQelXMLTag& tag, std::string_view name, const std::string& value)
{
    if (TQelParserAttribute* attribute = tag.GetAttributeByName(name)) {
        if (attribute->Value != value)
            attribute->SetValue(value);
        return;
    }
    tag.AddAttribute(std::string(name), value);
}

void SetAttributeInt(TQelXMLTag& tag, std::string_view name, int32_t value)
{
    TQelParserAttribute* attribute = tag.GetAttributeByName(name);
    if (attribute && LeadingInt(attribute->Value) == value)
        return;
    SetAttributeText(tag, name, IntText(value));
}

std::string FormatFixed3(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    std::string text(buffer, result.ptr);
    return text == "-0.000" ? "0.000" : text;
}

std::string PathNodesText(const std::vector<TPathNode>& nodes)
{
    std::string text;
    for (const TPathNode& node : nodes) {
        text += " (" + IntText(Rounded(node.X)) + "," + IntText(Rounded(node.Y)) + ")";
        if (node.FirstAngle != 0 || node.SecondAngle != 0)
            text += "[" + FormatFixed3(node.FirstAngle) + "," + FormatFixed3(node.SecondAngle) + "]";
        if (node.FirstCorrection != 1 || node.SecondCorrection != 1)
            text += "{" + IntText(Rounded(node.FirstCorrection)) + "," + IntText(Rounded(node.SecondCorrection)) + "}";
    }
    return text;
}

std::string BeltPathScript(const std::vector<TPathNode>& nodes)
{
    return kBeltTiming + PathNodesText(nodes) + kBeltEnding;
}

void WriteLevelToDocument(TQelXMLTag& root, const tLevel& level)
{
    WriteLentas(root, level);
    WriteHeapPictures(root, level);
    WritePersPosition(root, level);
}

std::optional<std::string> WriteLevelText(std::string_view original, const tLevel& level)
{
    TXmlTextEdit edit(original);
    if (edit.Document().ChildCount() == 0)
        return std::nullopt;
    WriteLevelToDocument(*edit.Document().GetChild(0), level);
    return edit.Text();
}

std::string FirstLevelDifference(const tLevel& a, const tLevel& b)
{
    TCompare c;
    CompareScene(c, a.Scene, b.Scene);
    c.List("Lentas", a.Lentas, b.Lentas, [&](const std::string& n, auto& x, auto& y) {
        c.Field(n + ".PathScript", x.PathScript, y.PathScript);
        c.Field(n + ".BornPeriod", x.BornPeriod, y.BornPeriod);
        c.Field(n + ".PathLength", x.PathLength, y.PathLength);
    });
    c.List(
        "LevelFishes", a.LevelFishes, b.LevelFishes, [&](const std::string& n, auto& x, auto& y) { c.Field(n, x, y); });
    c.List("CountCompleteFishes", a.CountCompleteFishes, b.CountCompleteFishes,
        [&](const std::string& n, auto& x, auto& y) { c.Field(n, x, y); });
    CompareBox(c, a.Box, b.Box);
    return c.Difference;
}
