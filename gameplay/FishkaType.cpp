// Reading "FishkaTypes.xml" into the piece type table, and the part-set helpers.
#include "gameplay/FishkaType.h"

#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"

#include <algorithm>
#include <utility>

namespace {

const char kLoadError[] = "Error  LoadFishkaTypes";

struct TStyleName {
    std::string_view Name;
    TFishkaStyle Style;
};
constexpr TStyleName kStyles[] = {
    {"standart", TFishkaStyle::Standart}, {"tort", TFishkaStyle::Tort}, {"people", TFishkaStyle::People},
    {"him", TFishkaStyle::Him},           {"bonus", TFishkaStyle::Bonus},
};

TFishkaStyle StyleByName(std::string_view text)
{
    for (const TStyleName& row : kStyles)
        if (EqualsNoCase(row.Name, Trim(text)))
            return row.Style;
    return TFishkaStyle::Standart;
}

int32_t IntAttribute(const TQelXMLTag& tag, std::string_view name) { return LeadingInt(tag.AttributeValue(name)); }

TFishPiece ReadPiece(const TQelXMLTag& tag)
{
    TFishPiece piece;
    piece.Hierarchy = tag.AttributeValue("Hierarchy");
    piece.FileName = tag.AttributeValue("FileName");
    piece.Effect = tag.AttributeValue("Effect");
    piece.EffectX = IntAttribute(tag, "EffectX");
    piece.EffectY = IntAttribute(tag, "EffectY");
    piece.ShiftX = IntAttribute(tag, "ShiftX");
    piece.ShiftY = IntAttribute(tag, "ShiftY");
    return piece;
}

// One FishkaType element. Values the table cannot hold (more parts than a garment has,
// more colours than a type keeps) are cut and reported; the type is still added.
TFishkaType ReadType(const TQelXMLTag& tag, bool& clean)
{
    TFishkaType type;
    type.efCrem = tag.AttributeValue("efCrem");
    type.efCremX = IntAttribute(tag, "efCremX");
    type.efCremY = IntAttribute(tag, "efCremY");
    type.Name = tag.AttributeValue("Name");
    type.FileName = tag.AttributeValue("FileName");
    int32_t pieceCount = IntAttribute(tag, "PieceCount");
    if (pieceCount < 0 || pieceCount > kMaxPieceCount)
        clean = false;
    type.PieceCount = static_cast<uint8_t>(std::clamp(pieceCount, 0, kMaxPieceCount));
    type.FrameCount = IntAttribute(tag, "FrameCount");
    type.MakeImages = !EqualsNoCase(Trim(tag.AttributeValue("MakeImages")), "false");
    type.Style = StyleByName(tag.AttributeValue("Style"));
    type.CenterX = IntAttribute(tag, "CenterX");

    if (const TQelXMLTag* pieces = tag.GetChildByName("Pieces")) {
        for (const auto& child : pieces->Children) {
            TFishPiece piece = ReadPiece(*child);
            if (piece.FileName.find("shlyapa") != std::string::npos)
                type.HatShift = {piece.ShiftX, piece.ShiftY};
            if (piece.FileName.find("veshalka") != std::string::npos)
                type.HangerShift = {piece.ShiftX, piece.ShiftY};
            type.Pieces.push_back(std::move(piece));
        }
        if (!type.Pieces.empty())
            type.HierarchyLength = static_cast<uint8_t>(std::min<size_t>(type.Pieces.front().Hierarchy.size(), 255));
    }
    if (const TQelXMLTag* colors = tag.GetChildByName("Colors")) {
        size_t count = colors->Children.size();
        if (count > static_cast<size_t>(kMaxFishColors))
            clean = false;
        count = std::min(count, static_cast<size_t>(kMaxFishColors));
        type.ColorCount = static_cast<uint8_t>(count);
        for (size_t i = 0; i < count; ++i) {
            const TQelXMLTag& color = *colors->Children[i];
            type.Colors[i].ImagePostFix = color.AttributeValue("ImagePostFix");
            type.Colors[i].Hue = IntAttribute(color, "Hue");
            type.Colors[i].Saturation = IntAttribute(color, "Saturation");
            type.Colors[i].Lightnes = IntAttribute(color, "Lightnes");
        }
    }
    return type;
}

}  // namespace

std::string PartDigits(const TFishParts& parts)
{
    std::string digits;
    for (int k = 0; k < kPartSlots; ++k)
        if (parts[static_cast<size_t>(k)])
            digits += static_cast<char>('1' + k);
    return digits;
}

TFishParts PartsFromDigits(std::string_view digits)
{
    TFishParts parts{};
    for (char c : digits)
        if (c >= '1' && c < '1' + kPartSlots)
            parts[static_cast<size_t>(c - '1')] = true;
    return parts;
}

int PartCount(const TFishParts& parts) { return static_cast<int>(std::count(parts.begin(), parts.end(), true)); }

TFishParts SinglePart(int part)
{
    TFishParts parts{};
    if (part >= 1 && part <= kPartSlots)
        parts[static_cast<size_t>(part - 1)] = true;
    return parts;
}

bool TFishkaTypes::LoadFishkaTypes(const TDataSource& data, std::string_view fileName, TGameLog& log)
{
    auto bytes = data.Read(fileName);
    if (!bytes) {
        Items.clear();
        log.WriteLog(kLoadError);
        return false;
    }
    return LoadFishkaTypesText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), log);
}

bool TFishkaTypes::LoadFishkaTypesText(std::string_view text, TGameLog& log)
{
    Items.clear();
    TQelParser document;
    document.LoadFromText(text);
    const TQelXMLTag* root = document.ChildCount() ? document.GetChild(0) : nullptr;
    if (!root || root->Name != "FishkaTypes") {
        log.WriteLog(kLoadError);
        return false;
    }
    bool clean = true;
    for (const auto& child : root->Children)
        if (child->Name == "FishkaType")
            Items.push_back(ReadType(*child, clean));
    if (!clean)
        log.WriteLog(kLoadError);
    return clean;
}

int32_t TFishkaTypes::IndexByName(std::string_view name) const
{
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Name == name)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t TFishkaTypes::IndexByFileName(std::string_view fileName) const
{
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i].FileName == fileName)
            return static_cast<int32_t>(i);
    return -1;
}

const TFishkaType* TFishkaTypes::Type(int32_t index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return &Items[static_cast<size_t>(index)];
}

TFishkaType* TFishkaTypes::Type(int32_t index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    return &Items[static_cast<size_t>(index)];
}

int32_t FindHierarchy(const TFishkaType& type, const TFishParts& parts)
{
    for (size_t i = 0; i < type.Pieces.size(); ++i)
        if (PartsFromDigits(type.Pieces[i].Hierarchy) == parts)
            return static_cast<int32_t>(i);
    return -1;
}
