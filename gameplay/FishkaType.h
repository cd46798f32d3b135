// Piece types of "FishkaTypes.xml": the garments (up to four parts each, with the picture
// of every part combination) and the pieces of the bonus box; the table is one object the
// application owns and hands to every level.
#pragma once

#include "foundation/Geometry.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDataSource;
class TGameLog;

enum class TFishkaStyle : uint8_t { Standart = 0, Tort = 1, People = 2, Him = 3, Bonus = 4 };

inline constexpr int kMaxFishColors = 8;  // colour variants a type keeps
inline constexpr int kMaxPieceCount = 4;  // parts of a garment: top, bottom, shoes, accessory
inline constexpr int kPartSlots = 8;      // part flags a piece keeps (the file format's width)

// Which parts a piece carries: part k at index k - 1.
using TFishParts = std::array<bool, kPartSlots>;

// The part numbers in rising order, e.g. "13".
std::string PartDigits(const TFishParts& parts);
// The parts named by the digits 1 to 8 of a text; other characters are ignored.
TFishParts PartsFromDigits(std::string_view digits);
int PartCount(const TFishParts& parts);
// Only part `part` (1-based); nothing for a number outside the slots.
TFishParts SinglePart(int part);

struct TFishColor {
    std::string ImagePostFix;
    int32_t Hue = 0;  // offsets on the 0..240 scale of the colour adjustment
    int32_t Saturation = 0;
    int32_t Lightnes = 0;
};

// One part combination of a type and what goes with it.
struct TFishPiece {
    std::string Hierarchy;  // the part digits, e.g. "12"
    std::string FileName;
    std::string Effect;     // particle effect that follows a piece carrying these parts
    int32_t EffectX = 0;
    int32_t EffectY = 0;
    int32_t ShiftX = 0;     // shift of this combination's picture
    int32_t ShiftY = 0;
};

struct TFishkaType {
    TFishkaStyle Style = TFishkaStyle::Standart;
    std::string Name;      // as level and episode files name it
    std::string FileName;  // picture stem: FileName + "_12.png" ...
    std::string ImageName;  // combined picture prepared for a level
    uint8_t PieceCount = 0;
    uint8_t HierarchyLength = 0;  // length of the first combination's Hierarchy
    uint8_t ColorCount = 0;
    std::array<TFishColor, kMaxFishColors> Colors{};
    std::vector<std::string> Images;  // prepared pictures
    bool MakeImages = true;
    int32_t FrameCount = 0;
    TPoint HatShift;     // of the combination whose picture is a hat ("shlyapa")
    TPoint HangerShift;  // of the combination whose picture is a hanger ("veshalka")
    std::vector<TFishPiece> Pieces;  // the last one is the complete outfit
    std::string efCrem;  // effect of a completed outfit
    int32_t efCremX = 0;
    int32_t efCremY = 0;
    std::string HatPicture;     // prepared for levels that hang outfits on hangers
    std::string HangerPicture;
    int32_t CenterX = 0;

    bool IsBonusStyle() const { return Style == TFishkaStyle::Bonus; }
};

// The piece type table. Indices are the order of the file, from 0.
class TFishkaTypes {
public:
    // Reads the table (replacing it) from the game data. Problems are logged as
    // "Error  LoadFishkaTypes"; the types read before a problem stay. False when anything
    // was wrong.
    bool LoadFishkaTypes(const TDataSource& data, std::string_view fileName, TGameLog& log);
    bool LoadFishkaTypesText(std::string_view text, TGameLog& log);

    // -1 when no type has that Name (or FileName); names are compared exactly.
    int32_t IndexByName(std::string_view name) const;
    int32_t IndexByFileName(std::string_view fileName) const;
    // Nothing for an index outside the table.
    const TFishkaType* Type(int32_t index) const;
    TFishkaType* Type(int32_t index);
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }

    std::vector<TFishkaType> Items;
};

// The index of the type's combination whose Hierarchy names exactly the parts that are set,
// or -1.
int32_t FindHierarchy(const TFishkaType& type, const TFishParts& parts);
