// The episodes of "Episods.xml": per episode its place on the town map, map dialogs and
// decorations, the upgrades its catalogue sells, the piece types of its outfit stages,
// and per level the level file and every tuning number of that level.
#pragma once

#include "foundation/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IGameTables;
class IWidgetAccess;
class TDataSource;
class TGameLog;
class TShop;

inline constexpr int kEpisodCount = 8;  // the game always has this many outside debug mode

struct TEpisodDialog {
    std::string FileName;
    int32_t TimeStart = 0;
};

struct TEpisodEffect {
    std::string FileName;
    TPoint Pos;
};

enum class TUpgradeItemKind { Picture, Effect };

// A picture or effect placed in the shop scene for the episode's upgrades.
struct TUpgradeItem {
    TUpgradeItemKind Kind = TUpgradeItemKind::Picture;
    TPoint Pos;
    std::string FileName;
};

// One entry of a level's cast: a customer type and its groups of numbers (the first group
// lists the order sizes a customer of that type may ask for).
struct TCastEntry {
    int32_t ManType = -1;
    std::string ManName;
    std::vector<std::vector<int32_t>> Groups;
    friend bool operator==(const TCastEntry&, const TCastEntry&) = default;
};

// Weights of the piece kinds on the belt.
struct TLevelProbabilities {
    int32_t Normal = 0;
    int32_t Reverce = 0;
    int32_t Plus1 = 0;
    int32_t Pause = 0;
    int32_t Transform = 0;
};

struct TLevelInEpisod {
    std::string Name;      // level file, ".xml" included
    std::string MusicId;   // as written
    std::string Music;     // the module file of that music entry; empty when none
    std::string MusicPattern = "0";
    bool Bonus = false;
    int32_t BornPeriod = 0;
    int32_t SpeedLenta = 0;
    std::vector<int32_t> AddUpgrage;
    int32_t AddPersonTimeInLevel = 0;
    TLevelProbabilities Probabilities;
    int32_t LevelTime = 0;  // milliseconds
    int32_t CompleteNeed = 0;
    int32_t PersCount = 0;
    int32_t Prize = 0;
    int32_t Goal = 0;
    int32_t ExGoal = 0;
    int32_t GreatGoal = 0;
    double PersonsFactor = 0;
    std::string PersonsText;
    int32_t PersonsCount = 0;
    std::vector<TCastEntry> Cast;

    // A pixel level is told by its file name, which holds "PIXEL" in any letter case.
    bool IsPixel() const;
    bool IsStandard() const { return !Bonus && !IsPixel(); }
};

struct TEpisod {
    std::string Name;
    std::string BackPicture;
    TPoint PosJInMap;       // where the walking figure stands (bottom centre)
    TPoint CursorInMap;     // the cursor effect over the current shop
    TPoint PosEpisodInMap;  // top left of the shop picture on the map
    TPoint ShopPictureSize;  // width and height of that picture, once the map has drawn it
    std::vector<TEpisodDialog> DialogList;
    int32_t DialogCounter = 0;
    std::vector<TEpisodEffect> Effects;
    std::vector<int32_t> Upgrades;  // upgrade numbers of the shop, in catalogue order
    std::vector<TUpgradeItem> UpgradeItems;
    // Entry k holds the piece types of outfit stage k + 1, one per wear column.
    std::vector<std::vector<int32_t>> LevelFishes;
    std::vector<TLevelInEpisod> Levels;

    // The piece type of a wear column at an outfit stage (1-based); -1 when the episode
    // has none there.
    int32_t StageType(int32_t stage, int32_t column) const;
};

struct TLevelRef {
    int32_t Episod = 0;
    int32_t Level = 0;
    friend bool operator==(const TLevelRef&, const TLevelRef&) = default;
};

class TEpisods {
public:
    // Reads the episode file from the game data. Names are resolved through the tables
    // and the shop, which must be loaded first. Outside debug mode the list is cut or
    // padded to eight episodes. Problems are logged as "Error LoadEpisods"; what was read
    // before a problem stays. False when anything was wrong.
    bool LoadEpisods(const TDataSource& data, std::string_view fileName, const IGameTables& tables,
                     const TShop& shop, bool debugMode, TGameLog& log);
    bool LoadEpisodsText(std::string_view text, const IGameTables& tables, const TShop& shop, bool debugMode,
                         TGameLog& log);

    // The first level with that file name, scanning episodes and their levels in order.
    std::optional<TLevelRef> FindLevelInEpisod(std::string_view levelFileName) const;

    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    // Nothing for an index outside the list.
    const TEpisod* Episod(int32_t index) const;
    TEpisod* Episod(int32_t index);
    const TLevelInEpisod* Level(int32_t episod, int32_t level) const;
    // Whether the episode exists and has levels to play; padding episodes have none.
    bool IsPlayable(int32_t episod) const;

    std::vector<TEpisod> Items;
};

// "Girl(1:2,3);Boy(4)" into its entries; entries of unknown customer types are skipped.
std::vector<TCastEntry> ParseCast(std::string_view cast, const IGameTables& tables);

// The day caption of a level: indices 0 to 8 give days 1, 2, 3, 4, 4, 5, 6, 7, 7 (the
// bonus level at index 3 shares day 4), read from "WResource_LDay" + day, or for day 3 in
// the long form from "WResource_LDay3Long".
std::string GetLevelLabel(const IWidgetAccess& widgets, int32_t levelIndex, bool longForm);
