// The shipped "Shop.xml" and "Episods.xml", read from content/data/ exactly as the game
// reads them: not one error line, every name resolved, and the naming and shape rules
// that the level, the shop and the pictures rely on.
#include "MetagameTestKit.h"

#include "foundation/DataSource.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "metagame/Episods.h"
#include "metagame/GameTables.h"
#include "metagame/Shop.h"

#include <set>

namespace fs = std::filesystem;

namespace {

const fs::path kContent = GLIM_CONTENT_DATA;

// The customer types and music entries the casts and levels name; the files that define
// them are checked against this list when they exist.
const std::vector<std::string> kCustomerTypes = {"Girl", "Lady", "Granny", "Boy", "Gentleman", "Student"};
const std::vector<std::string> kMusicIds = {"Busy", "Bossa", "Rush"};

// The children of the first element called list, with one attribute each.
std::vector<std::pair<std::string, std::string>> ReadPairs(const TDataSource& data, const char* file,
                                                           const char* list, const char* first,
                                                           const char* second)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    auto bytes = data.Read(file);
    if (!bytes)
        return pairs;
    TQelParser document;
    document.LoadFromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    if (const TQelXMLTag* root = document.FindChildByName(list))
        for (const auto& child : root->Children)
            pairs.emplace_back(child->AttributeValue(first), child->AttributeValue(second));
    return pairs;
}

// The tables the game would have: from FishkaTypes.xml, Mans.xml and MusicPattern.xml when
// they exist, else from the names these records were written with (a garment's part count
// is the digit its name ends in).
TListedGameTables ShippedTables(const TDataSource& data, const TShop& shop)
{
    TListedGameTables tables;
    for (const auto& [name, pieces] : ReadPairs(data, "FishkaTypes.xml", "FishkaTypes", "Name", "PieceCount"))
        tables.FishkaTypes.push_back({name, LeadingInt(pieces)});
    if (tables.FishkaTypes.empty())
        for (const TShopKostum& kind : shop.Kostums)
            tables.FishkaTypes.push_back({kind.ID, kind.ID.back() - '0'});
    for (const auto& [name, picture] : ReadPairs(data, "Mans.xml", "ManTypes", "Name", "Pict"))
        tables.ManTypes.push_back(name);
    if (tables.ManTypes.empty())
        tables.ManTypes = kCustomerTypes;
    for (const auto& [file, id] : ReadPairs(data, "MusicPattern.xml", "MusicPattern", "Name", "ID"))
        tables.Music.emplace_back(id, file);
    if (tables.Music.empty())
        for (const std::string& id : kMusicIds)
            tables.Music.emplace_back(id, id + ".mo3");
    return tables;
}

class ShippedRecords : public ::testing::Test {
protected:
    ShippedRecords() : data(kContent)
    {
        shopLoaded = shop.LoadShop(data, "Shop.xml", logs.game);
        tables = ShippedTables(data, shop);
        episodsLoaded = episods.LoadEpisods(data, "Episods.xml", tables, shop, false, logs.game);
    }

    TCapturedLogs logs;
    TDataSource data;
    TShop shop;
    TListedGameTables tables;
    TEpisods episods;
    bool shopLoaded = false;
    bool episodsLoaded = false;
};

TEST_F(ShippedRecords, LoadWithoutASingleErrorLineAndEveryNameResolves)
{
    EXPECT_TRUE(shopLoaded);
    EXPECT_TRUE(episodsLoaded);
    EXPECT_TRUE(logs.GameLines.empty()) << logs.GameLines.front();
    EXPECT_TRUE(logs.EngineLines.empty());
    EXPECT_TRUE(tables.Misses.empty()) << "not found: " << tables.Misses.front();
}

TEST_F(ShippedRecords, PieceTypeNamesFollowTheNamingRules)
{
    std::set<std::string> ids;
    for (const TShopKostum& kind : shop.Kostums) {
        const std::string& id = kind.ID;
        EXPECT_TRUE(ids.insert(AsciiLower(id)).second) << "twice: " << id;
        EXPECT_LE(id.size(), 15u) << id;  // "SmallInShop" + name + "_1234.png" fits an archive name
        EXPECT_EQ(std::count(id.begin(), id.end(), '_'), 1) << id;
        EXPECT_NE(id.front(), '_');
        EXPECT_NE(id.back(), '_');
        EXPECT_NE(id.back(), 's') << id;
        EXPECT_NE(id.back(), 'S') << id;
        EXPECT_EQ(kind.FileName, id);
    }
}

TEST_F(ShippedRecords, EightEpisodesOfEightDaysWithSixUpgrades)
{
    ASSERT_EQ(episods.Count(), 8);
    std::set<std::string> levelFiles;
    std::set<int32_t> upgradesSold;
    for (int32_t e = 0; e < episods.Count(); ++e) {
        const TEpisod& episod = *episods.Episod(e);
        SCOPED_TRACE("episode " + std::to_string(e + 1));
        EXPECT_FALSE(episod.Name.empty());
        EXPECT_EQ(episod.DialogList.size(), 1u);
        EXPECT_EQ(episod.Effects.size(), 1u);
        ASSERT_EQ(episod.Upgrades.size(), 6u);
        EXPECT_EQ(episod.UpgradeItems.size(), 6u);
        for (int32_t u : episod.Upgrades)
            EXPECT_TRUE(upgradesSold.insert(u).second) << "sold twice: " << shop.Upgrade(u)->ID;

        // Stages 1 and 2 in the first two episodes, 1 to 3 from the third on; one piece type
        // per wear column, with 2, 3 and 4 parts, each priced and valued by the shop.
        ASSERT_EQ(episod.LevelFishes.size(), e < 2 ? 2u : 3u);
        for (size_t s = 0; s < episod.LevelFishes.size(); ++s) {
            ASSERT_EQ(episod.LevelFishes[s].size(), 3u);
            for (int32_t type : episod.LevelFishes[s]) {
                auto info = tables.FishkaType(type);
                ASSERT_TRUE(info);
                EXPECT_EQ(info->PieceCount, static_cast<int32_t>(s) + 2) << info->Name;
                EXPECT_GT(shop.GetValueByFishkaTypes(info->Name, info->PieceCount), 0) << info->Name;
                EXPECT_GT(shop.GetCostByFishkaTypes(info->Name, info->PieceCount), 0) << info->Name;
            }
        }

        ASSERT_EQ(episod.Levels.size(), 8u);
        for (size_t l = 0; l < episod.Levels.size(); ++l) {
            const TLevelInEpisod& level = episod.Levels[l];
            SCOPED_TRACE(level.Name);
            EXPECT_TRUE(levelFiles.insert(AsciiLower(level.Name)).second);
            EXPECT_LE(level.Name.size(), 35u);
            EXPECT_FALSE(level.Music.empty());
            EXPECT_GT(level.LevelTime, 0);
            EXPECT_GT(level.Goal, 0);
            EXPECT_LE(level.Goal, level.GreatGoal);
            EXPECT_LE(level.GreatGoal, level.ExGoal);
            if (l == 3) {
                EXPECT_TRUE(level.Bonus);
                EXPECT_FALSE(level.IsPixel());
                EXPECT_GE(level.CompleteNeed, level.ExGoal);
                EXPECT_GT(level.Prize, 0);
            } else if (l == 7) {
                EXPECT_TRUE(level.IsPixel());
                EXPECT_FALSE(level.Bonus);
                EXPECT_GT(level.CompleteNeed, 0);
                EXPECT_GT(level.Prize, 0);
            } else {
                EXPECT_TRUE(level.IsStandard());
                EXPECT_GT(level.SpeedLenta, 0);
                EXPECT_GT(level.BornPeriod, 0);
                EXPECT_EQ(level.Probabilities.Normal, 100);
                EXPECT_GT(level.PersCount, 0);
                // Two customers in the shop never share a type, so a cast needs three or more.
                std::set<int32_t> types;
                for (const TCastEntry& entry : level.Cast) {
                    types.insert(entry.ManType);
                    ASSERT_FALSE(entry.Groups.empty());
                    for (int32_t count : entry.Groups[0])
                        EXPECT_TRUE(count >= 1 && count <= 5) << count;
                }
                EXPECT_GE(types.size(), 3u);
            }
        }
    }
}

TEST_F(ShippedRecords, UpgradesEachDoSomethingAndCanBeUnlocked)
{
    std::set<std::string> ids;
    for (const TShopUpgrade& upgrade : shop.Upgrades) {
        SCOPED_TRACE(upgrade.ID);
        EXPECT_TRUE(ids.insert(upgrade.ID).second);
        EXPECT_GT(upgrade.Cost, 0);
        EXPECT_TRUE(upgrade.IsValueBonus() || (upgrade.BT >= 128 && upgrade.BT <= 131));
        EXPECT_LE(upgrade.FileName.size(), 35u);
        EXPECT_TRUE(upgrade.ComboCount == 0 || (upgrade.ComboKind >= 2 && upgrade.ComboKind <= 64));
        EXPECT_TRUE(upgrade.Pos.X >= 0 && upgrade.Pos.X < 800 && upgrade.Pos.Y >= 0 && upgrade.Pos.Y < 600);
    }
}

}  // namespace
