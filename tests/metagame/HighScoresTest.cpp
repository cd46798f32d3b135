// The high-score table: ordering, the rotated file, running money of the profiles, clearing.
#include "MetagameTestKit.h"

#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "metagame/Episods.h"
#include "metagame/HighScores.h"
#include "metagame/Player.h"
#include "metagame/PlayersFile.h"
#include "metagame/Shop.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path)
{
    auto bytes = ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

TEST(HighScoreList, InsertsAfterEveryHigherOrEqualScore)
{
    THighScoreList list;
    EXPECT_EQ(list.AddHighScore("a", 300), 0u);
    EXPECT_EQ(list.AddHighScore("b", 500), 0u);
    EXPECT_EQ(list.AddHighScore("c", 300), 2u);  // equal scores keep their arrival order
    EXPECT_EQ(list.AddHighScore("d", 100), 3u);
    EXPECT_EQ(list.AddHighScore("e", 400), 1u);
    std::vector<std::string> names;
    for (const auto& entry : list.Entries)
        names.push_back(entry.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "e", "a", "c", "d"}));
}

TEST(HighScoreList, FileIsOneRotatedLinePerFinishedGame)
{
    TScratchFolder folder;
    const fs::path path = folder.Path / "HighScores.dat";
    THighScoreList list;
    list.AddHighScore("Ann", 1200);
    list.Entries.push_back({"Running", 50, true});
    list.AddHighScore("Zo\xC3\xAB \"Z\" & <co>", -7);
    list.AddHighScore("my score=", -9);  // the score is not read from inside the name
    ASSERT_TRUE(list.SaveHighScores(path));

    const std::string text = ReadText(path);
    EXPECT_EQ(text, ShiftTextUp("<High name=\"Ann\" score=\"1200\" />") + "\r\n" +
                        ShiftTextUp("<High name=\"Zo\xC3\xAB &quot;Z&quot; &amp; &lt;co&gt;\" score=\"-7\" />") +
                        "\r\n" + ShiftTextUp("<High name=\"my score=\" score=\"-9\" />") + "\r\n");

    THighScoreList loaded;
    loaded.LoadHighScores(path);
    ASSERT_EQ(loaded.Entries.size(), 3u);
    EXPECT_EQ(loaded.Entries[0], (THighScore{"Ann", 1200, false}));
    EXPECT_EQ(loaded.Entries[1], (THighScore{"Zo\xC3\xAB \"Z\" & <co>", -7, false}));
    EXPECT_EQ(loaded.Entries[2], (THighScore{"my score=", -9, false}));

    // An empty table writes an empty file.
    ASSERT_TRUE(THighScoreList{}.SaveHighScores(path));
    EXPECT_EQ(ReadText(path), "");
}

TEST(HighScoreList, LinesThatAreNoEntryAreSkipped)
{
    TScratchFolder folder;
    const fs::path path = folder.Path / "HighScores.dat";
    std::string text;
    for (const char* line : {"<High name=\"A\" score=\"10\" />", "<High name=\"B\" score=\"ten\" />",
                             "<High name=\"C\" />", "<High score=\"5\" />", "", "junk",
                             "<High name=\"D\" score=\"99999999999\" />", "<High name=\"E\" score=\"20\""})
        text += ShiftTextUp(line) + "\n";
    ASSERT_TRUE(WriteFileAtomic(path, text));
    THighScoreList list;
    list.Entries.push_back({"old", 1, false});
    list.LoadHighScores(path);
    ASSERT_EQ(list.Entries.size(), 2u);
    EXPECT_EQ(list.Entries[0].Name, "A");
    EXPECT_EQ(list.Entries[1].Name, "E");

    list.LoadHighScores(folder.Path / "missing.dat");
    EXPECT_TRUE(list.Entries.empty());
}

// Whatever a caller or a hand-edited file brings, an entry has a name the edits could
// have taken and a score in the money range, so totals never overflow.
TEST(HighScoreList, EntriesAreHeldToTheNameLengthAndTheMoneyRange)
{
    const std::string twenty(kMaxPlayerNameLength, 'n');
    struct TCase {
        const char* Why;
        std::string Name;
        int64_t Score;
        THighScore Kept;
    } cases[] = {
        {"as given", "Ann", 1200, {"Ann", 1200, false}},
        {"a long name is cut", twenty + "tail", 5, {twenty, 5, false}},
        {"beyond the money range", "Big", int64_t{INT32_MAX} + 10, {"Big", kMaxMoney, false}},
        {"below it", "Debt", INT64_MIN, {"Debt", -kMaxMoney, false}},
    };
    TScratchFolder folder;
    const fs::path path = folder.Path / "HighScores.dat";
    for (const TCase& c : cases) {
        THighScoreList list;
        EXPECT_EQ(list.Entries[list.AddHighScore(c.Name, c.Score)], c.Kept) << c.Why;
        // A line written by hand with the same values reads back held the same way.
        if (c.Score >= INT32_MIN && c.Score <= INT32_MAX) {
            ASSERT_TRUE(WriteFileAtomic(
                path, ShiftTextUp("<High name=\"" + c.Name + "\" score=\"" + std::to_string(c.Score) + "\" />")));
            list.LoadHighScores(path);
            ASSERT_EQ(list.Entries.size(), 1u) << c.Why;
            EXPECT_EQ(list.Entries[0], c.Kept) << c.Why;
        }
    }
}

class HighScoresTest : public ::testing::Test {
protected:
    HighScoresTest()
        : profiles(folder.Path, logs.game, widgets, episods, shop), scores(folder.Path, profiles, widgets, logs.game)
    {
        widgets.Captions["WResource_LCurrency"] = "$";
    }

    // Profiles with money 300 and 0, and a file with one finished game of 500.
    void MakeTwoProfilesAndOneGame()
    {
        TPlayer p;
        p.Name = "Rich";
        ASSERT_EQ(profiles.MakeNewPlayersFile(p), TProfileResult::Done);
        p.CurrentScore = 300;
        ASSERT_EQ(profiles.SavePlayerState(p, TSaveMode::Full), TProfileResult::Done);
        ASSERT_EQ(profiles.AddNewPlayer("Poor"), TProfileResult::Done);
        TPlayer poor;
        poor.Name = "Poor";
        ASSERT_EQ(profiles.SavePlayerState(poor, TSaveMode::Full), TProfileResult::Done);
        scores.AddFinishedGame("Champion", 500);
        scores.List.Entries.clear();
    }

    TScratchFolder folder;
    TCapturedLogs logs;
    TRecordingWidgets widgets;
    TEpisods episods;
    TShop shop;
    TPlayersFile profiles;
    THighScores scores;
    TPlayer player;
};

TEST_F(HighScoresTest, TableShowsFinishedGamesAndTheMoneyOfPlayingProfiles)
{
    MakeTwoProfilesAndOneGame();
    auto rows = scores.FillHighScores(player);
    ASSERT_EQ(scores.List.Entries.size(), 2u);
    EXPECT_EQ(scores.List.Entries[0], (THighScore{"Champion", 500, false}));
    EXPECT_EQ(scores.List.Entries[1], (THighScore{"Rich", 300, true}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Cells, "Text=\"1\";Text=\"Champion\";Text=\"$500\";");
    EXPECT_EQ(rows[1].Cells, "Text=\"2\";Text=\"Rich\";Text=\"$300\";");
    EXPECT_EQ(widgets.Last("WHighScores_BClear", "Enabled"), "True");

    // A new finished game in front of a running entry is saved; the running one is not.
    EXPECT_TRUE(scores.AddFinishedGame("Newcomer", 400));
    THighScoreList file;
    file.LoadHighScores(scores.Path());
    ASSERT_EQ(file.Entries.size(), 2u);
    EXPECT_EQ(file.Entries[1].Name, "Newcomer");
}

TEST_F(HighScoresTest, ClearingEmptiesTheFileAndHidesEveryProfile)
{
    MakeTwoProfilesAndOneGame();
    scores.FillHighScores(player);
    const THighScores::TCleared cleared = scores.ClearHighScores(player);
    EXPECT_TRUE(cleared.ProfilesHidden);
    EXPECT_TRUE(cleared.Saved);
    EXPECT_TRUE(scores.List.Entries.empty());
    EXPECT_EQ(ReadText(scores.Path()), "");
    EXPECT_EQ(widgets.Last("WHighScores_BClear", "Enabled"), "False");
    EXPECT_TRUE(scores.FillHighScores(player).empty());
    EXPECT_EQ(widgets.Last("WHighScores_BClear", "Enabled"), "False");

    // A profile's next full save lists it again with its own flag.
    TPlayer rich;
    ASSERT_EQ(profiles.SelectPlayer(rich, "Rich"), TProfileResult::Done);
    EXPECT_FALSE(rich.ShowInHighScores);
    rich.ShowInHighScores = true;
    ASSERT_EQ(profiles.SavePlayerState(rich, TSaveMode::Full), TProfileResult::Done);
    EXPECT_EQ(scores.FillHighScores(player).size(), 1u);
}

TEST_F(HighScoresTest, WithoutProfilesTheNameIsForgotten)
{
    player.Name = "Ghost";
    scores.FillHighScores(player);
    EXPECT_TRUE(player.Name.empty());
    EXPECT_EQ(widgets.Last("WYourName_EYourName", "Caption"), "");
    player.Name = "Ghost";
    EXPECT_FALSE(scores.ClearRunningScores(player));
    EXPECT_TRUE(player.Name.empty());
}

}  // namespace
