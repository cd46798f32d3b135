// The catalogue of "Shop.xml": the wear kinds with the price and the value of their outfit
// stages, and the upgrades (shop furniture) with their price, effect and unlock condition.
#pragma once

#include "foundation/Geometry.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDataSource;
class TGameLog;

// Upgrade effects: 1 to 127 is a value bonus on every outfit sold; these switch on a bonus
// piece on the belt.
inline constexpr int32_t kBtMaxValueBonus = 127;
inline constexpr int32_t kBtReverse = 128;
inline constexpr int32_t kBtPlus = 129;
inline constexpr int32_t kBtPause = 130;
inline constexpr int32_t kBtTransformer = 131;

// One garment kind; index 0, 1, 2 of Cost and Value are the outfits of 2, 3 and 4 pieces.
struct TShopKostum {
    std::string ID;
    std::string FileName;
    std::array<int32_t, 3> Cost{};
    std::array<int32_t, 3> Value{};
};

struct TShopUpgrade {
    std::string ID;
    std::string FileName;
    int32_t Cost = 0;
    TPoint Pos;
    int32_t BT = 0;
    std::string FileName2;
    TPoint Pos2;
    // Unlock conditions; 0 or false means none.
    int32_t ExtraExpertGoal = 0;
    bool NoMinus10 = false;
    int32_t BagsCount = 0;
    int32_t ComboCount = 0;
    int32_t ComboKind = 0;  // 2 Great, 3 Excellent, 4 Incredible, 5 to 64 Fantastic
    bool WinGame = false;

    bool IsValueBonus() const { return BT >= 1 && BT <= kBtMaxValueBonus; }
};

class TShop {
public:
    // Reads the catalogue from the game data; problems are logged as "Error LoadShop" and
    // leave the entries read before them. False when anything was wrong.
    bool LoadShop(const TDataSource& data, std::string_view fileName, TGameLog& log);
    bool LoadShopText(std::string_view text, TGameLog& log);

    // The wear kind of a piece type: its name without trailing "s", compared ignoring
    // letter case with each ID. Nothing when none matches.
    const TShopKostum* FindKostum(std::string_view fishkaTypeName) const;
    // Value (what a customer pays) and price of the outfit of a piece type with that many
    // pieces (2, 3 or 4); 0 when the kind is unknown or the count is another.
    int32_t GetValueByFishkaTypes(std::string_view fishkaTypeName, int32_t pieceCount) const;
    int32_t GetCostByFishkaTypes(std::string_view fishkaTypeName, int32_t pieceCount) const;

    // The number of the upgrade with that ID (exact), or -1.
    int32_t FindUpgrade(std::string_view id) const;
    // Nothing for a number outside the list.
    const TShopUpgrade* Upgrade(int32_t number) const;

    std::vector<TShopKostum> Kostums;
    std::vector<TShopUpgrade> Upgrades;
};
