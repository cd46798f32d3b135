// Profiles in "players.dat": creating, selecting, renaming, deleting, saving and loading,
// with damaged, hand-edited and hostile files.
#include "MetagameTestKit.h"

#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"
#include "metagame/Episods.h"
#include "metagame/GameTables.h"
#include "metagame/Player.h"
#include "metagame/PlayersFile.h"
#include "metagame/Shop.h"

#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& path)
{
    auto bytes = ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

void WriteText(const fs::path& path, std::string_view text)
{
    ASSERT_TRUE(WriteFileAtomic(path, text));
}

class PlayersFileTest : public ::testing::Test {
protected:
    PlayersFileTest() : file(folder.Path, logs.game, widgets, episods, shop)
    {
        widgets.Captions["WResource_LWelcome"] = "Welcome,";
        widgets.Captions["WResource_LShopName"] = "Shop ";
        widgets.Captions["WResource_LShopName1"] = "The first shop";
        widgets.Captions["WResource_LCurrency"] = "$";
        for (int day = 1; day <= 7; ++day)
            widgets.Captions["WResource_LDay" + std::to_string(day)] = "Day " + std::to_string(day);
        widgets.Captions["WResource_LDay3Long"] = "Wednesday";
        file.DateStamp = [] { return std::string("20240102-030405"); };
    }

    fs::path PlayersPath() const { return folder.Path / "players.dat"; }

    // A fresh player as the name prompt makes one, then a second added and selected.
    void CreateTwo()
    {
        player.Name = "Anna";
        ResetPlayerState(player, false);
        ASSERT_EQ(file.MakeNewPlayersFile(player), TProfileResult::Done);
        ASSERT_EQ(file.AddNewPlayer("Boris"), TProfileResult::Done);
    }

    // The profile file as text, unscrambled when it is stored scrambled.
    std::string PlainText()
    {
        TMemoryStream stored(ReadText(PlayersPath())), plain;
        if (IsPlainText(stored))
            return std::string(stored.View());
        ScrambleStream(stored, plain, kDataKey);
        return std::string(plain.View());
    }

    TScratchFolder folder;
    TCapturedLogs logs;
    TRecordingWidgets widgets;
    TEpisods episods;
    TShop shop;
    TPlayersFile file;
    TPlayer player;
};

TEST_F(PlayersFileTest, WithoutAFileTheTitleAsksForAName)
{
    player.Name = "Ghost";
    EXPECT_EQ(file.LoadPlayer(player), TLoadResult::NoFile);
    EXPECT_TRUE(player.Name.empty());
    EXPECT_TRUE(player.NoPlayersFile);
    EXPECT_EQ(file.AddNewPlayer("Anna"), TProfileResult::NoFile);
    EXPECT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::NoFile);
    // Renaming without a file changes nothing and says so.
    EXPECT_EQ(file.RenamePlayer(player, "Bob"), TProfileResult::NoFile);
    EXPECT_TRUE(folder.Files().empty());
}

TEST_F(PlayersFileTest, FirstProfileLoadsWithEveryDefault)
{
    player.Name = "Anna";
    player.Cur = 3;
    ASSERT_EQ(file.MakeNewPlayersFile(player), TProfileResult::Done);
    player = TPlayer{};
    player.Cur = 3;
    player.CurrentScore = 999;
    player.ShowInstructions = false;
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.Name, "Anna");
    EXPECT_EQ(player.CurrentScore, 0);
    EXPECT_EQ(player.CurrentEpisod, 0);
    EXPECT_EQ(player.CurrentLevel, 0);
    EXPECT_DOUBLE_EQ(player.SpeedPlay, 0.2);
    EXPECT_EQ(player.Kostums, (std::array<int32_t, 3>{1, 1, 0}));
    EXPECT_EQ(player.Cur, 3);  // a missing Kostums leaves the outfit number alone
    EXPECT_TRUE(player.ShowInstructions);
    EXPECT_TRUE(player.ShowInHighScores);
    EXPECT_EQ(widgets.Last("WTitle_LWelcome", "Caption"), "Welcome, Anna");
}

TEST_F(PlayersFileTest, FullSaveRoundTripsEveryValue)
{
    CreateTwo();
    TPlayer saved;
    saved.Name = "Anna";
    saved.WinGame = true;
    saved.CurrentScore = 1234;
    saved.TotalScore = -5;
    saved.EpisodeScore = {1, 2, 3, 4, 5, 6, 7, 8};
    saved.WinEpisode = {true, false, true, false, false, false, false, true};
    saved.BagsCount = 3;
    saved.GreatCount = 4;
    saved.ExelentCount = 5;
    saved.IncredibleCount = 6;
    saved.FantasticCount = 7;
    saved.NoMinus10 = true;
    saved.ExtraExpertGoal = 17;
    saved.NoBy = -1;
    saved.ChooseInterior = 1;
    saved.PrevScore = 1000;
    saved.ShowInHighScores = false;
    saved.ShowInstructions = false;
    saved.MaxEpisod = 1;
    saved.CurrentEpisod = 2;  // a full save raises MaxEpisod to it
    saved.CurrentLevel = 5;
    saved.HintsShown = {0, 4, 6};
    saved.SpeedPlay = 0.4567;
    saved.Kostums = {2, 1, 1};
    saved.Cur = 2;
    saved.UpdateObjects = {{0, 3}, {}, {7}};
    ASSERT_EQ(file.SavePlayerState(saved, TSaveMode::Full), TProfileResult::Done);
    EXPECT_EQ(saved.MaxEpisod, 2);
    // The file is scrambled, with lists ending in a space and "." in the real.
    EXPECT_FALSE(ReadText(PlayersPath()).starts_with("<PlayersListXML"));
    const std::string plain = PlainText();
    EXPECT_NE(plain.find("<EpisodeScore>1 2 3 4 5 6 7 8 </EpisodeScore>"), std::string::npos) << plain;
    EXPECT_NE(plain.find("<SpeedPlay>0.46</SpeedPlay>"), std::string::npos);
    EXPECT_NE(plain.find("<Kostums Cur=\"2\">2 1 1 </Kostums>"), std::string::npos);
    // The other profile is untouched.
    EXPECT_NE(plain.find("<Player Name=\"Boris\" />"), std::string::npos);

    TPlayer loaded;
    ASSERT_EQ(file.SelectPlayer(loaded, "Anna"), TProfileResult::Done);
    EXPECT_EQ(loaded.Name, "Anna");
    EXPECT_EQ(loaded.WinGame, saved.WinGame);
    EXPECT_EQ(loaded.CurrentScore, saved.CurrentScore);
    EXPECT_EQ(loaded.TotalScore, saved.TotalScore);
    EXPECT_EQ(loaded.EpisodeScore, saved.EpisodeScore);
    EXPECT_EQ(loaded.WinEpisode, saved.WinEpisode);
    EXPECT_EQ(loaded.BagsCount, 3);
    EXPECT_EQ(loaded.GreatCount, 4);
    EXPECT_EQ(loaded.ExelentCount, 5);
    EXPECT_EQ(loaded.IncredibleCount, 6);
    EXPECT_EQ(loaded.FantasticCount, 7);
    EXPECT_TRUE(loaded.NoMinus10);
    EXPECT_EQ(loaded.ExtraExpertGoal, 17);
    EXPECT_EQ(loaded.NoBy, -1);
    EXPECT_EQ(loaded.ChooseInterior, 1);
    EXPECT_EQ(loaded.PrevScore, 1000);
    EXPECT_FALSE(loaded.ShowInHighScores);
    EXPECT_FALSE(loaded.ShowInstructions);
    EXPECT_EQ(loaded.MaxEpisod, 2);
    EXPECT_EQ(loaded.CurrentEpisod, 2);
    EXPECT_EQ(loaded.CurrentLevel, 5);
    EXPECT_EQ(loaded.HintsShown, saved.HintsShown);
    EXPECT_DOUBLE_EQ(loaded.SpeedPlay, 0.46);  // two decimals
    EXPECT_EQ(loaded.Kostums, saved.Kostums);
    EXPECT_EQ(loaded.Cur, 2);
    EXPECT_EQ(loaded.UpdateObjects, saved.UpdateObjects);

}

TEST_F(PlayersFileTest, DebugModeWritesPlainTextAndBothFormsLoad)
{
    file.WritePlain = true;
    CreateTwo();
    const std::string text = ReadText(PlayersPath());
    EXPECT_TRUE(text.starts_with("<PlayersListXML CurrentPlayer=\"0\">\r\n")) << text;
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.Name, "Anna");

    file.WritePlain = false;
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Rewrite), TProfileResult::Done);
    EXPECT_NE(ReadText(PlayersPath()), text);
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.Name, "Anna");
}

TEST_F(PlayersFileTest, HandEditedPlainFileLoadsAndIsWrittenBackScrambled)
{
    WriteText(PlayersPath(),
              "<PlayersListXML CurrentPlayer=\"1\">\r\n"
              "\t<Player Name=\"Anna\" />\r\n"
              "\t<Player Name=\"Zo\xC3\xAB\">\r\n"
              "\t\t<CurrentState>\r\n"
              "\t\t\t<CurrentScore>350</CurrentScore>\r\n"
              "\t\t\t<SpeedPlay>1,50</SpeedPlay>\r\n"
              "\t\t\t<EpisodeScore>1 2 3 4 5 6 7 8 9 10 </EpisodeScore>\r\n"
              "\t\t\t<Kostums>2 2 2 2</Kostums>\r\n"
              "\t\t\t<CurrentLevel>3abc</CurrentLevel>\r\n"
              "\t\t\t<WinGame>true</WinGame>\r\n"
              "\t\t</CurrentState>\r\n"
              "\t</Player>\r\n"
              "</PlayersListXML>\r\n");
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.Name, "Zo\xC3\xAB");
    EXPECT_EQ(player.CurrentScore, 350);
    EXPECT_DOUBLE_EQ(player.SpeedPlay, 1.5);  // a comma from another number format
    EXPECT_EQ(player.EpisodeScore, (std::array<int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(player.Kostums, (std::array<int32_t, 3>{2, 2, 2}));
    EXPECT_EQ(player.Cur, 1);  // Kostums without Cur
    EXPECT_EQ(player.CurrentLevel, 3);
    EXPECT_TRUE(player.WinGame);
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);
    EXPECT_FALSE(ReadText(PlayersPath()).starts_with("<PlayersListXML"));
}

TEST_F(PlayersFileTest, SpeedPlayIsNeverBelowItsMinimum)
{
    struct TCase {
        const char* Stored;
        double Loaded;
    } cases[] = {{"0.05", 0.2}, {"1.50", 1.5}, {"0,35", 0.35}, {"abc", 0.2}, {"-3", 0.2}, {"2.5x", 2.5}, {"nan", 0.2},
                   {"5000", 100}, {"1e400", 1}};
    for (const TCase& c : cases) {
        WriteText(PlayersPath(), std::string("<PlayersListXML CurrentPlayer=\"0\">\r\n<Player Name=\"A\">"
                                             "<CurrentState><SpeedPlay>") +
                                     c.Stored + "</SpeedPlay></CurrentState></Player></PlayersListXML>\r\n");
        ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded) << c.Stored;
        EXPECT_DOUBLE_EQ(player.SpeedPlay, c.Loaded) << c.Stored;
    }
}

TEST_F(PlayersFileTest, CurrentPlayerIndexIsChecked)
{
    struct TCase {
        const char* Attribute;
        TLoadResult Result;
        const char* Name;
    } cases[] = {
        {" CurrentPlayer=\"5\"", TLoadResult::Loaded, "A"},   // beyond the list: the first profile
        {" CurrentPlayer=\"1\"", TLoadResult::Loaded, "B"},
        {" CurrentPlayer=\"-7\"", TLoadResult::Loaded, "A"},  // nonsense below -1 as well
        {" CurrentPlayer=\"-1\"", TLoadResult::AskName, ""},
        {"", TLoadResult::AskName, ""},
    };
    for (const TCase& c : cases) {
        WriteText(PlayersPath(), std::string("<PlayersListXML") + c.Attribute +
                                     ">\r\n<Player Name=\"A\" />\r\n<Player Name=\"B\" />\r\n</PlayersListXML>\r\n");
        player.Name = "old";
        EXPECT_EQ(file.LoadPlayer(player), c.Result) << c.Attribute;
        EXPECT_EQ(player.Name, c.Name) << c.Attribute;
    }
    EXPECT_EQ(widgets.Last("WYourName_EYourName", "Caption"), "");
}

// A damaged file must never cost the player their profiles: it is kept under a dated
// name, the game goes on as if there were no file, and the next profile starts a new one.
TEST_F(PlayersFileTest, DamagedFileIsMovedAsideNeverDeleted)
{
    const std::string damaged[] = {
        std::string("\x01\x02garbage\x00\xFF", 12),                                       // scrambled noise
        "<PlayersListXML CurrentPlayer=\"0\">\n<Player Name=\"A\" />\n</PlayersListXML>\n",  // LF line ends
        "",                                                                                 // truncated to nothing
        "<Something>\r\n</Something>\r\n",                                                  // a foreign file
    };
    for (const std::string& text : damaged) {
        TScratchFolder scratch;
        TCapturedLogs captured;
        TPlayersFile profiles(scratch.Path, captured.game, widgets, episods, shop);
        profiles.DateStamp = [] { return std::string("20240102-030405"); };
        WriteText(scratch.Path / "players.dat", text);
        TPlayer p;
        p.Name = "Anna";
        EXPECT_EQ(profiles.LoadPlayer(p), TLoadResult::SetAside);
        EXPECT_TRUE(p.Name.empty());
        EXPECT_TRUE(p.NoPlayersFile);
        EXPECT_EQ(scratch.Files(), std::vector<std::string>{"players.dat.bad-20240102-030405"});
        EXPECT_EQ(ReadText(scratch.Path / "players.dat.bad-20240102-030405"), text);
        ASSERT_EQ(captured.GameLines.size(), 1u);
        EXPECT_TRUE(captured.GameLines[0].starts_with("Error LoadPlayer: \"players.dat\" "));
        EXPECT_NE(captured.GameLines[0].find("players.dat.bad-20240102-030405"), std::string::npos);

        // A second damaged file on the same second gets a name of its own.
        WriteText(scratch.Path / "players.dat", text);
        EXPECT_EQ(profiles.LoadPlayer(p), TLoadResult::SetAside);
        EXPECT_EQ(scratch.Files(), (std::vector<std::string>{"players.dat.bad-20240102-030405",
                                                            "players.dat.bad-20240102-030405-2"}));
    }
}

TEST_F(PlayersFileTest, OtherOperationsOnADamagedFileFailWithTheErrorChain)
{
    WriteText(PlayersPath(), "");
    EXPECT_EQ(file.AddNewPlayer("Anna"), TProfileResult::Failed);
    EXPECT_EQ(logs.EngineLines,
              (std::vector<std::string>{" XML file does not has tags!", "Exception error in TQelGameEngine.AddNewPlayer!"}));
    EXPECT_EQ(ReadText(PlayersPath()), "");
}

TEST_F(PlayersFileTest, NamesFullOfXmlCharactersSurviveEveryOperation)
{
    // Every character the XML writer must escape, within the 20 the name edit takes.
    const std::string nasty = "Q\"o<t> & \"C\" &amp; ;";
    const std::string renamed = "Z\xC3\xAB>\"";
    player.Name = nasty;
    ASSERT_EQ(file.MakeNewPlayersFile(player), TProfileResult::Done);
    ASSERT_EQ(file.AddNewPlayer("Other"), TProfileResult::Done);
    EXPECT_EQ(file.AddNewPlayer(nasty), TProfileResult::NameTaken);

    player = TPlayer{};
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.Name, nasty);
    player.CurrentScore = 77;
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);  // found by its name
    ASSERT_EQ(file.SelectPlayer(player, "Other"), TProfileResult::Done);
    ASSERT_EQ(file.SelectPlayer(player, nasty), TProfileResult::Done);
    EXPECT_EQ(player.CurrentScore, 77);

    ASSERT_EQ(file.RenamePlayer(player, renamed), TProfileResult::Done);
    EXPECT_EQ(player.Name, renamed);
    EXPECT_EQ(player.CurrentScore, 77);
    TPlayersGrid grid = file.FillPlayersGrid();
    ASSERT_EQ(grid.Rows.size(), 2u);
    EXPECT_EQ(grid.Rows[0].Name, renamed);
    EXPECT_EQ(grid.Rows[0].Cell, "Text=\"Z\xC3\xAB>''\";");
    ASSERT_EQ(file.DeletePlayer(player, renamed), TProfileResult::Done);
    EXPECT_EQ(file.FillPlayersGrid().Rows.size(), 1u);
}

TEST_F(PlayersFileTest, AddingSelectingAndRenaming)
{
    CreateTwo();
    EXPECT_EQ(file.AddNewPlayer("Anna"), TProfileResult::NameTaken);
    EXPECT_EQ(file.AddNewPlayer(""), TProfileResult::EmptyName);
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.Name, "Anna");  // adding does not change the current profile

    ASSERT_EQ(file.SelectPlayer(player, "Boris"), TProfileResult::Done);
    EXPECT_EQ(player.Name, "Boris");
    EXPECT_NE(PlainText().find("CurrentPlayer=\"1\""), std::string::npos);
    EXPECT_EQ(widgets.Last("WTitle_LWelcome", "Caption"), "Welcome, Boris");

    // An unknown name leaves the current profile as it was.
    EXPECT_EQ(file.SelectPlayer(player, "Nobody"), TProfileResult::NoProfile);
    EXPECT_EQ(player.Name, "Boris");

    const std::string before = ReadText(PlayersPath());
    EXPECT_EQ(file.RenamePlayer(player, "Anna"), TProfileResult::NameTaken);
    EXPECT_EQ(ReadText(PlayersPath()), before);
    EXPECT_EQ(file.RenamePlayer(player, "Bob"), TProfileResult::Done);
    EXPECT_EQ(player.Name, "Bob");
    EXPECT_EQ(file.FillPlayersGrid().Rows[1].Name, "Bob");
}

TEST_F(PlayersFileTest, Deleting)
{
    CreateTwo();
    ASSERT_EQ(file.SelectPlayer(player, "Boris"), TProfileResult::Done);
    // Deleting another profile keeps the current name; the first profile becomes current.
    ASSERT_EQ(file.DeletePlayer(player, "Anna"), TProfileResult::Done);
    EXPECT_EQ(player.Name, "Boris");
    EXPECT_NE(PlainText().find("CurrentPlayer=\"0\""), std::string::npos);
    EXPECT_EQ(file.DeletePlayer(player, "Nobody"), TProfileResult::NoProfile);
    // Deleting the only profile clears the name; the title then asks for one.
    ASSERT_EQ(file.DeletePlayer(player, "Boris"), TProfileResult::Done);
    EXPECT_TRUE(player.Name.empty());
    EXPECT_EQ(file.LoadPlayer(player), TLoadResult::AskName);
}

TEST_F(PlayersFileTest, PartialSavesTouchOnlyTheirValue)
{
    CreateTwo();
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    player.CurrentScore = 500;
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);

    player.CurrentScore = 1;  // not saved by the partial modes
    player.ShowInstructions = false;
    player.Kostums = {2, 1, 1};
    player.Cur = 2;
    player.HintsShown = {0, 4};
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Instructions), TProfileResult::Done);
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Outfits), TProfileResult::Done);
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Hints), TProfileResult::Done);
    TPlayer loaded;
    ASSERT_EQ(file.LoadPlayer(loaded), TLoadResult::Loaded);
    EXPECT_EQ(loaded.CurrentScore, 500);
    EXPECT_FALSE(loaded.ShowInstructions);
    EXPECT_EQ(loaded.Kostums, player.Kostums);
    EXPECT_EQ(loaded.Cur, 2);
    EXPECT_EQ(loaded.HintsShown, player.HintsShown);

    // A name the file does not hold only rewrites it.
    TPlayer stranger;
    stranger.Name = "Stranger";
    EXPECT_EQ(file.SavePlayerState(stranger, TSaveMode::Full), TProfileResult::NoProfile);
    EXPECT_EQ(PlainText().find("Stranger"), std::string::npos);
}

// A file edited by hand may hold one name twice: a save goes to the profile that was loaded.
TEST_F(PlayersFileTest, SaveWritesTheProfileThatWasLoaded)
{
    WriteText(PlayersPath(), "<PlayersListXML CurrentPlayer=\"1\">\r\n"
                             "<Player Name=\"Twin\"><CurrentState><CurrentScore>1</CurrentScore></CurrentState></Player>\r\n"
                             "<Player Name=\"Twin\"><CurrentState><CurrentScore>2</CurrentScore></CurrentState>"
                             "<CurrentState><CurrentScore>3</CurrentScore></CurrentState></Player>\r\n"
                             "</PlayersListXML>\r\n");
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.CurrentScore, 2);
    player.CurrentScore = 40;
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);
    TPlayer loaded;
    ASSERT_EQ(file.LoadPlayer(loaded), TLoadResult::Loaded);
    EXPECT_EQ(loaded.CurrentScore, 40);
    EXPECT_NE(PlainText().find("<CurrentScore>1</CurrentScore>"), std::string::npos);
}

// Junk that the reader turned into element names ("junk/") would read back as something
// else (a self-closing tag) and move the saved values out of the profile.
TEST_F(PlayersFileTest, JunkElementsOfADamagedFileAreNotWrittenBack)
{
    WriteText(PlayersPath(), "<PlayersListXML CurrentPlayer=\"0\">\r\n<Player Name=\"A\"><junk/ ><CurrentState>"
                             "<CurrentScore>5</CurrentScore></CurrentState></junk/>\r\n</Player>\r\n"
                             "</PlayersListXML>\r\n");
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    player.CurrentScore = 9;
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);
    EXPECT_EQ(PlainText().find("junk"), std::string::npos);
    TPlayer loaded;
    ASSERT_EQ(file.LoadPlayer(loaded), TLoadResult::Loaded);
    EXPECT_EQ(loaded.CurrentScore, 9);
}

// A control character in a hand-edited file would make the debug mode's plain file read
// back as scrambled, and lose it.
TEST_F(PlayersFileTest, ControlCharactersNeverReachAPlainFile)
{
    file.WritePlain = true;
    player.Name = "Seed";
    ASSERT_EQ(file.MakeNewPlayersFile(player), TProfileResult::Done);
    TQelParser document;
    ASSERT_TRUE(LoadDataXml(PlayersPath(), kDataKey, document));
    TQelXMLTag* profile = document.GetChild(0)->GetChild(0);
    profile->GetAttributeByName("Name")->SetValue("A\x01" "B");
    profile->AddChild("Note", "x\x02y");
    ASSERT_TRUE(SaveDataXml(document, PlayersPath(), kDataKey, false));  // scrambled: any byte goes

    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.Name, "A\x01" "B");
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);
    TMemoryStream written(ReadText(PlayersPath()));
    EXPECT_TRUE(IsPlainText(written));
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.Name, "A\x01" "B");
    EXPECT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);
}

TEST_F(PlayersFileTest, NewProfileFileNeverReplacesExistingProfiles)
{
    CreateTwo();
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);
    TPlayer newcomer;
    newcomer.Name = "Carla";
    ASSERT_EQ(file.MakeNewPlayersFile(newcomer), TProfileResult::Done);
    TPlayersGrid grid = file.FillPlayersGrid();
    ASSERT_EQ(grid.Rows.size(), 3u);
    EXPECT_EQ(grid.Selected, 2);
    newcomer.Name = "Anna";
    ASSERT_EQ(file.MakeNewPlayersFile(newcomer), TProfileResult::Done);
    EXPECT_EQ(file.FillPlayersGrid().Rows.size(), 3u);
    EXPECT_EQ(file.FillPlayersGrid().Selected, 0);
}

TEST_F(PlayersFileTest, OneFileWhateverLetterCaseItWasWrittenIn)
{
    // A profile file copied from a system that wrote "Players.dat".
    player.Name = "Anna";
    ASSERT_EQ(file.MakeNewPlayersFile(player), TProfileResult::Done);
    fs::rename(PlayersPath(), folder.Path / "Players.dat");
    ASSERT_EQ(file.AddNewPlayer("Boris"), TProfileResult::Done);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"Players.dat"});
    EXPECT_EQ(file.FillPlayersGrid().Rows.size(), 2u);
}

TEST_F(PlayersFileTest, GridRowsAndTheirLabels)
{
    WriteText(PlayersPath(), "<PlayersListXML CurrentPlayer=\"1\">\r\n"
                             "<Player Name=\"A\"><CurrentState><CurrentLevel>2</CurrentLevel>"
                             "<CurrentEpisod>4</CurrentEpisod><CurrentScore>310</CurrentScore></CurrentState></Player>\r\n"
                             "<Player Name=\"B\" />\r\n"
                             "<Player Name=\"C\"><CurrentState><CurrentLevel>5</CurrentLevel></CurrentState></Player>\r\n"
                             "</PlayersListXML>\r\n");
    TPlayersGrid grid = file.FillPlayersGrid();
    ASSERT_EQ(grid.Rows.size(), 3u);
    EXPECT_EQ(grid.Selected, 1);
    EXPECT_EQ(grid.Rows[0].DayCaption, "Wednesday");
    EXPECT_EQ(grid.Rows[0].ShopName, "Shop 5");
    EXPECT_EQ(grid.Rows[0].Score, "310");
    EXPECT_EQ(grid.Rows[1].DayCaption, "Day 1");
    EXPECT_EQ(grid.Rows[1].ShopName, "The first shop");
    EXPECT_EQ(grid.Rows[1].Score, "0");
    EXPECT_EQ(grid.Rows[2].ShopName, "The first shop");  // without its episode

    file.ShowPlayerRow(grid.Rows[0]);
    EXPECT_EQ(widgets.Last("WChangePlayer_LLevelCount", "Caption"), "Wednesday");
    EXPECT_EQ(widgets.Last("WChangePlayer_LShopName", "Caption"), "Shop 5");
    EXPECT_EQ(widgets.Last("WChangePlayer_LScoreCount", "Caption"), "$310");
}

// Progress read from the file picks episodes and levels; once the episodes are known it
// is kept inside them.
TEST_F(PlayersFileTest, ProgressIndicesAreKeptInsideTheEpisodes)
{
    TListedGameTables tables;
    ASSERT_TRUE(episods.LoadEpisodsText("<Episods><E><Levels><L Name=\"a.xml\" /><L Name=\"b.xml\" /></Levels></E>"
                                        "<E><Levels><L Name=\"c.xml\" /></Levels></E></Episods>",
                                        tables, shop, true, logs.game));
    WriteText(PlayersPath(), "<PlayersListXML CurrentPlayer=\"0\">\r\n<Player Name=\"A\"><CurrentState>"
                             "<MaxEpisod>99</MaxEpisod><CurrentEpisod>-4</CurrentEpisod><CurrentLevel>7</CurrentLevel>"
                             "</CurrentState></Player>\r\n</PlayersListXML>\r\n");
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.MaxEpisod, 1);
    EXPECT_EQ(player.CurrentEpisod, 0);
    EXPECT_EQ(player.CurrentLevel, 1);
}

// A hand-edited or damaged profile with values at the ends of a 32-bit integer: held to
// their ranges when it loads, so play cannot overflow them and a save writes them held.
TEST_F(PlayersFileTest, ValuesAtTheLimitsAreHeldAndSavedBackHeld)
{
    WriteText(PlayersPath(), "<PlayersListXML CurrentPlayer=\"0\">\r\n<Player Name=\"A\"><CurrentState>"
                             "<CurrentScore>2147483647</CurrentScore><TotalScore>-2147483648</TotalScore>"
                             "<PrevScore>99999999999</PrevScore>"
                             "<EpisodeScore>2147483647 -2147483648 350 </EpisodeScore>"
                             "<BagsCount>2147483647</BagsCount><GreatCount>-5</GreatCount>"
                             "<ExelentCount>1000001</ExelentCount><FantasticCount>12</FantasticCount>"
                             "<ExtraExpertGoal>2147483647</ExtraExpertGoal><NoBy>-2147483648</NoBy>"
                             "<ChooseInterior>2147483647</ChooseInterior><CurrentLevel>2147483647</CurrentLevel>"
                             "<Kostums Cur=\"2147483647\">2147483647 -1 3</Kostums>"
                             "</CurrentState></Player>\r\n</PlayersListXML>\r\n");
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    struct TRow {
        const char* Value;
        int32_t Loaded, Held;
    };
    const TRow rows[] = {
        {"CurrentScore", player.CurrentScore, kMaxMoney},
        {"TotalScore", player.TotalScore, -kMaxMoney},
        {"PrevScore", player.PrevScore, kMaxMoney},
        {"EpisodeScore 1", player.EpisodeScore[0], kMaxMoney},
        {"EpisodeScore 2", player.EpisodeScore[1], -kMaxMoney},
        {"EpisodeScore 3", player.EpisodeScore[2], 350},
        {"BagsCount", player.BagsCount, kMaxCounter},
        {"GreatCount", player.GreatCount, 0},
        {"ExelentCount", player.ExelentCount, kMaxCounter},
        {"FantasticCount", player.FantasticCount, 12},
        {"ExtraExpertGoal", player.ExtraExpertGoal, kMaxCounter},
        {"NoBy", player.NoBy, -1},
        {"ChooseInterior", player.ChooseInterior, kMaxCounter},
        {"CurrentLevel", player.CurrentLevel, kMaxCounter},
        {"Kostums 1", player.Kostums[0], kMaxCounter},
        {"Kostums 2", player.Kostums[1], 0},
        {"Kostums 3", player.Kostums[2], 3},
        {"Cur", player.Cur, kMaxCounter},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(row.Loaded, row.Held) << row.Value;

    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);
    const std::string plain = PlainText();
    EXPECT_NE(plain.find("<CurrentScore>99999999</CurrentScore>"), std::string::npos) << plain;
    EXPECT_NE(plain.find("<EpisodeScore>99999999 -99999999 350 0 0 0 0 0 </EpisodeScore>"), std::string::npos);
    EXPECT_EQ(plain.find("2147483"), std::string::npos) << plain;
}

// A name of megabytes (a damaged or hostile file) is cut to what the name edit takes, and
// the file is written back with the cut name, the other profiles unchanged.
TEST_F(PlayersFileTest, NamesLongerThanTheEditTakesAreCutAndSavedBackCut)
{
    const std::string huge(10 * 1024 * 1024, 'x');
    const std::string cut(kMaxPlayerNameLength, 'x');
    WriteText(PlayersPath(), "<PlayersListXML CurrentPlayer=\"1\">\r\n<Player Name=\"Boris\" />\r\n"
                             "<Player Name=\"" + huge + "\"><CurrentState><CurrentScore>7</CurrentScore>"
                             "</CurrentState></Player>\r\n</PlayersListXML>\r\n");
    ASSERT_EQ(file.LoadPlayer(player), TLoadResult::Loaded);
    EXPECT_EQ(player.Name, cut);
    EXPECT_EQ(widgets.Last("WTitle_LWelcome", "Caption"), "Welcome, " + cut);
    player.CurrentScore = 9;
    ASSERT_EQ(file.SavePlayerState(player, TSaveMode::Full), TProfileResult::Done);
    EXPECT_LT(std::filesystem::file_size(PlayersPath()), 4096u);
    const std::string plain = PlainText();
    EXPECT_NE(plain.find("<Player Name=\"" + cut + "\">"), std::string::npos) << plain;
    EXPECT_NE(plain.find("<Player Name=\"Boris\" />"), std::string::npos);
    TPlayer again;
    ASSERT_EQ(file.LoadPlayer(again), TLoadResult::Loaded);
    EXPECT_EQ(again.Name, cut);
    EXPECT_EQ(again.CurrentScore, 9);

    // Typed names are cut the same way, so a long one finds its cut profile.
    EXPECT_EQ(file.AddNewPlayer(cut + "yyy"), TProfileResult::NameTaken);
    ASSERT_EQ(file.SelectPlayer(again, huge), TProfileResult::Done);
    EXPECT_EQ(again.Name, cut);
    const std::string renamed = std::string(kMaxPlayerNameLength, 'r');
    ASSERT_EQ(file.RenamePlayer(again, renamed + "rrrr"), TProfileResult::Done);
    EXPECT_EQ(again.Name, renamed);
    EXPECT_EQ(file.FillPlayersGrid().Rows[1].Name, renamed);
}

TEST(PlayerRanges, NamesAreCutByCharactersNeverInsideOne)
{
    const std::string e = "\xC3\xA9";                 // two bytes, one character
    const std::string euro = "\xE2\x82\xAC";         // three bytes
    auto times = [](const std::string& s, size_t n) {
        std::string out;
        for (size_t i = 0; i < n; ++i)
            out += s;
        return out;
    };
    const std::pair<std::string, std::string> cases[] = {
        {"Anna", "Anna"},
        {"", ""},
        {times("a", 20), times("a", 20)},
        {times("a", 21), times("a", 20)},
        {times(e, 25), times(e, 20)},
        {times("a", 19) + euro + "b", times("a", 19) + euro},
        {times("a", 19) + "\x82\x82" + "bc", times("a", 19) + "\x82\x82" + "b"},  // stray continuation bytes ride along
    };
    for (const auto& [name, cut] : cases)
        EXPECT_EQ(CutPlayerName(name), cut) << name.size() << " bytes";
}

TEST(PlayerRanges, MoneyAddsWithoutOverflow)
{
    struct TCase {
        int32_t Money;
        int64_t Amount;
        int32_t Sum;
    };
    const TCase cases[] = {
        {5, 10, 15},
        {0, -25, -25},
        {kMaxMoney - 3, 10, kMaxMoney},
        {INT32_MAX, INT32_MAX, kMaxMoney},
        {INT32_MIN, INT32_MIN, -kMaxMoney},
        {100, INT64_MAX, kMaxMoney},
        {100, INT64_MIN, -kMaxMoney},
        {-kMaxMoney, kMaxMoney, 0},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(AddMoney(c.Money, c.Amount), c.Sum) << c.Money << " + " << c.Amount;
}

}  // namespace
