// Reading "Episods.xml": episodes cut and padded, names resolved, level tuning, casts,
// and the day captions.
#include "MetagameTestKit.h"

#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "metagame/Episods.h"
#include "metagame/GameTables.h"
#include "metagame/Shop.h"

namespace {

class EpisodsTest : public ::testing::Test {
protected:
    EpisodsTest()
    {
        tables.FishkaTypes = {{"Dress_2", 2}, {"Suit_2", 2}, {"Coat_2", 2}, {"Dress_3", 3}};
        tables.ManTypes = {"Girl", "Boy", "Lady"};
        tables.Music = {{"Day1", "day1.mo3"}};
        shop.Upgrades.resize(3);
        shop.Upgrades[0].ID = "Lamp";
        shop.Upgrades[1].ID = "Mirror";
        shop.Upgrades[2].ID = "Sofa";
    }

    bool Load(const std::string& body, bool debugMode = false)
    {
        return episods.LoadEpisodsText("<?xml version=\"1.0\"?>\r\n<Game><Episods>" + body + "</Episods></Game>",
                                       tables, shop, debugMode, logs.game);
    }

    static std::string Episodes(int count)
    {
        std::string body;
        for (int i = 0; i < count; ++i)
            body += "<E Name=\"E" + std::to_string(i) + "\"><Levels><L Name=\"l" + std::to_string(i) +
                    ".xml\" /></Levels></E>";
        return body;
    }

    TCapturedLogs logs;
    TListedGameTables tables;
    TShop shop;
    TEpisods episods;
};

TEST_F(EpisodsTest, ListIsCutOrPaddedToEightOutsideDebugMode)
{
    struct TCase {
        int InFile;
        bool DebugMode;
        int Kept;
        int Playable;
    } cases[] = {{10, false, 8, 8}, {10, true, 10, 10}, {3, false, 8, 3}, {3, true, 3, 3}, {0, false, 8, 0}};
    for (const TCase& c : cases) {
        ASSERT_TRUE(Load(Episodes(c.InFile), c.DebugMode));
        EXPECT_EQ(episods.Count(), c.Kept) << c.InFile << " " << c.DebugMode;
        int playable = 0;
        for (int e = 0; e < episods.Count(); ++e)
            playable += episods.IsPlayable(e) ? 1 : 0;
        EXPECT_EQ(playable, c.Playable) << c.InFile << " " << c.DebugMode;
        if (c.InFile > 0) {
            EXPECT_EQ(episods.Items[0].Name, "E0");
        }
    }
    EXPECT_TRUE(logs.GameLines.empty());
}

TEST_F(EpisodsTest, MissingFileLeavesEightEmptyEpisodesAndALogLine)
{
    TScratchFolder folder;
    TDataSource data(folder.Path);
    EXPECT_FALSE(episods.LoadEpisods(data, "Episods.xml", tables, shop, false, logs.game));
    EXPECT_EQ(episods.Count(), 8);
    EXPECT_FALSE(episods.IsPlayable(0));
    ASSERT_EQ(logs.GameLines.size(), 1u);
    EXPECT_TRUE(logs.GameLines[0].starts_with("Error LoadEpisods"));

    ASSERT_TRUE(WriteFileAtomic(folder.Path / "episods.XML", "<Episods>" + Episodes(2) + "</Episods>"));
    EXPECT_TRUE(episods.LoadEpisods(data, "Episods.xml", tables, shop, true, logs.game));
    EXPECT_EQ(episods.Count(), 2);
}

TEST_F(EpisodsTest, EpisodeAttributesAndChildren)
{
    ASSERT_TRUE(Load("<Shop Name=\"Corner\" BackPicture=\"b.jpg\" PosJInMap=\"120,545\" CursorInMap=\"7\" "
                     "PosEpisodInMap=\"60x,440y\">"
                     "<DialogList><D FileName=\"Script_Map_1.xml\" TimeStart=\"250\" /><D FileName=\"b.xml\" /></DialogList>"
                     "<Effects><F Name=\"efMap_Flag.xml\" Pos=\"1,2\" /></Effects>"
                     "<UpgradeList IDList=\"Sofa;Nothing;Lamp\"><I Type=\"Effect\" FileName=\"e.xml\" Pos=\"3,4\" />"
                     "<I Type=\"Odd\" FileName=\"p.png\" Pos=\"5,6,7\" /></UpgradeList>"
                     "<LevelFishes><S>Dress_2;Suit_2; Unknown ;Coat_2;</S><S>Dress_3</S></LevelFishes>"
                     "</Shop>"));
    const TEpisod& e = episods.Items[0];
    EXPECT_EQ(e.Name, "Corner");
    EXPECT_EQ(e.BackPicture, "b.jpg");
    EXPECT_EQ(e.PosJInMap, (TPoint{120, 545}));
    EXPECT_EQ(e.CursorInMap, (TPoint{7, 0}));
    EXPECT_EQ(e.PosEpisodInMap, (TPoint{60, 440}));
    ASSERT_EQ(e.DialogList.size(), 2u);
    EXPECT_EQ(e.DialogList[0].FileName, "Script_Map_1.xml");
    EXPECT_EQ(e.DialogList[0].TimeStart, 250);
    ASSERT_EQ(e.Effects.size(), 1u);
    EXPECT_EQ(e.Effects[0].Pos, (TPoint{1, 2}));
    EXPECT_EQ(e.Upgrades, (std::vector<int32_t>{2, 0}));  // unknown identifiers are skipped
    ASSERT_EQ(e.UpgradeItems.size(), 2u);
    EXPECT_EQ(e.UpgradeItems[0].Kind, TUpgradeItemKind::Effect);
    EXPECT_EQ(e.UpgradeItems[1].Kind, TUpgradeItemKind::Picture);
    EXPECT_EQ(e.UpgradeItems[1].Pos, (TPoint{5, 6}));
    EXPECT_EQ(e.LevelFishes, (std::vector<std::vector<int32_t>>{{0, 1, 2}, {3}}));
    EXPECT_EQ(e.StageType(1, 2), 2);
    EXPECT_EQ(e.StageType(2, 1), -1);
    EXPECT_EQ(e.StageType(3, 0), -1);
    EXPECT_EQ(e.StageType(0, 0), -1);
    EXPECT_TRUE(logs.GameLines.empty());
}

TEST_F(EpisodsTest, IdListWithOrWithoutFinalSemicolonIsTheSame)
{
    ASSERT_TRUE(Load("<E><UpgradeList IDList=\"Lamp;Mirror;\" /></E><E><UpgradeList IDList=\"Lamp;Mirror\" /></E>"));
    EXPECT_EQ(episods.Items[0].Upgrades, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(episods.Items[1].Upgrades, episods.Items[0].Upgrades);
}

TEST_F(EpisodsTest, LevelTuning)
{
    ASSERT_TRUE(Load("<E><Levels>"
                     "<L Name=\"Level_1_1.xml\" Music=\"Day1\" Bonus=\"FALSE\" MusicPattern=\"3,4\" BornPeriod=\"2000x\" "
                     "SpeedLenta=\"28\" AddUpgrage=\"1,5,\" AddPersonTimeInLevel=\" 3000 \">"
                     "<Probabilities Reverce=\"4\" Plus1=\"5\" Pause=\"6\" Transform=\"7\" />"
                     "<Param LevelTime=\"90\" CompleteNeed=\"12\" PersCount=\"8\" Prize=\"150\" Goal=\"170\" "
                     "ExGoal=\"290\" GreatGoal=\"230\" />"
                     "<Persons factor=\"1.25\" Count=\"9\" Cast=\"Girl(1:2,3);Boy(4)\">crowd</Persons>"
                     "</L>"
                     "<L Name=\"Level_1_Pixel.xml\" Music=\"Unknown\" Bonus=\"true\" />"
                     "</Levels></E>"));
    const TLevelInEpisod& l = episods.Items[0].Levels[0];
    EXPECT_EQ(l.Name, "Level_1_1.xml");
    EXPECT_EQ(l.MusicId, "Day1");
    EXPECT_EQ(l.Music, "day1.mo3");
    EXPECT_FALSE(l.Bonus);
    EXPECT_EQ(l.MusicPattern, "3,4");
    EXPECT_EQ(l.BornPeriod, 2000);
    EXPECT_EQ(l.SpeedLenta, 28);
    EXPECT_EQ(l.AddUpgrage, (std::vector<int32_t>{1, 5}));
    EXPECT_EQ(l.AddPersonTimeInLevel, 3000);
    EXPECT_EQ(l.Probabilities.Normal, 100);  // the child without Normal
    EXPECT_EQ(l.Probabilities.Reverce, 4);
    EXPECT_EQ(l.Probabilities.Plus1, 5);
    EXPECT_EQ(l.Probabilities.Pause, 6);
    EXPECT_EQ(l.Probabilities.Transform, 7);
    EXPECT_EQ(l.LevelTime, 90000);
    EXPECT_EQ(l.CompleteNeed, 12);
    EXPECT_EQ(l.PersCount, 8);
    EXPECT_EQ(l.Prize, 150);
    EXPECT_EQ(l.Goal, 170);
    EXPECT_EQ(l.ExGoal, 290);
    EXPECT_EQ(l.GreatGoal, 230);
    EXPECT_DOUBLE_EQ(l.PersonsFactor, 1.25);
    EXPECT_EQ(l.PersonsCount, 9);
    EXPECT_EQ(l.PersonsText, "crowd");
    ASSERT_EQ(l.Cast.size(), 2u);
    EXPECT_TRUE(l.IsStandard());

    const TLevelInEpisod& p = episods.Items[0].Levels[1];
    EXPECT_EQ(p.Music, "");  // no music entry with that ID
    EXPECT_EQ(p.MusicPattern, "0");
    EXPECT_EQ(p.Probabilities.Normal, 0);  // no Probabilities child at all
    EXPECT_TRUE(p.IsPixel());
    EXPECT_FALSE(p.IsStandard());
    EXPECT_EQ(episods.FindLevelInEpisod("Level_1_Pixel.xml"), (TLevelRef{0, 1}));
    EXPECT_FALSE(episods.FindLevelInEpisod("level_1_pixel.xml"));
}

// A value that must be exact stops the reading where it stands; what was read stays.
TEST_F(EpisodsTest, BadStrictValueStopsLoadingKeepingWhatWasRead)
{
    const char* bad[] = {"<L Name=\"x.xml\" AddPersonTimeInLevel=\"12a\" />", "<L Name=\"x.xml\" Bonus=\"yes\" />",
                         "<L Name=\"x.xml\"><Persons factor=\"1,5\" /></L>"};
    for (const char* level : bad) {
        logs.GameLines.clear();
        EXPECT_FALSE(Load(Episodes(1) + "<E Name=\"second\"><Levels><L Name=\"ok.xml\" />" + level +
                          "<L Name=\"never.xml\" /></Levels></E>" + Episodes(1)))
            << level;
        ASSERT_EQ(episods.Count(), 8);
        EXPECT_EQ(episods.Items[1].Name, "second");
        ASSERT_EQ(episods.Items[1].Levels.size(), 1u) << level;
        EXPECT_EQ(episods.Items[1].Levels[0].Name, "ok.xml");
        EXPECT_FALSE(episods.IsPlayable(2));
        ASSERT_EQ(logs.GameLines.size(), 1u);
        EXPECT_TRUE(logs.GameLines[0].starts_with("Error LoadEpisods: episode 2, level 2: ")) << logs.GameLines[0];
    }
}

TEST_F(EpisodsTest, NoEpisodsElementIsLogged)
{
    EXPECT_FALSE(episods.LoadEpisodsText("<Other />", tables, shop, false, logs.game));
    EXPECT_EQ(episods.Count(), 8);
    EXPECT_EQ(logs.GameLines, std::vector<std::string>{"Error LoadEpisods: no Episods element"});
}

TEST_F(EpisodsTest, CastStrings)
{
    using TGroups = std::vector<std::vector<int32_t>>;
    struct TCase {
        const char* Cast;
        std::vector<TCastEntry> Entries;
    } cases[] = {
        {"Girl(1:2,3);Boy(4)", {{0, "Girl", TGroups{{1, 2}, {3}}}, {1, "Boy", TGroups{{4}}}}},
        {"Girl(1:2,3);Boy(4);", {{0, "Girl", TGroups{{1, 2}, {3}}}, {1, "Boy", TGroups{{4}}}}},
        {"Ghost(1);Lady(2:x:3)", {{2, "Lady", TGroups{{2, 0, 3}}}}},  // unknown type skipped
        {"Girl(1:2", {{0, "Girl", TGroups{{1}}}}},                    // last character dropped unread
        {"Girl()", {{0, "Girl", TGroups{}}}},
        {"Girl", {{0, "Girl", TGroups{}}}},
        {";;", {}},
        {"", {}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ParseCast(c.Cast, tables), c.Entries) << c.Cast;
}

TEST(LevelLabel, DaysOfTheLevelIndices)
{
    TRecordingWidgets widgets;
    for (int day = 1; day <= 7; ++day)
        widgets.Captions["WResource_LDay" + std::to_string(day)] = "Day " + std::to_string(day);
    widgets.Captions["WResource_LDay3Long"] = "Wednesday";
    const char* shortForm[] = {"Day 1", "Day 2", "Day 3", "Day 4", "Day 4", "Day 5", "Day 6", "Day 7", "Day 7"};
    const char* longForm[] = {"Day 1", "Day 2", "Wednesday", "Day 4", "Day 4", "Day 5", "Day 6", "Day 7", "Day 7"};
    for (int index = 0; index <= 8; ++index) {
        EXPECT_EQ(GetLevelLabel(widgets, index, false), shortForm[index]) << index;
        EXPECT_EQ(GetLevelLabel(widgets, index, true), longForm[index]) << index;
    }
    EXPECT_EQ(GetLevelLabel(widgets, -5, false), "");
}

}  // namespace
