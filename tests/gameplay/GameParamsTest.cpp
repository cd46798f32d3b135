// The game parameters file (defaults inside a GamePlayParams document, zeros without one,
// lenient numbers, scrambled or plain) and the game's tables loaded in order from the data.
#include "GameplayTestKit.h"

#include "tests/common/TempFolder.h"

#include "audio/MusicPatterns.h"
#include "foundation/DataScramble.h"
#include "foundation/DataSource.h"
#include "foundation/MemoryStream.h"
#include "gameplay/BeltMotion.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"

#include <optional>
#include <sstream>

namespace {

std::string Intervals(const std::vector<TSpeedInterval>& intervals)
{
    std::ostringstream s;
    s << "[";
    for (const TSpeedInterval& i : intervals)
        s << (&i == intervals.data() ? "" : " ") << i.Value << ":" << i.KoeffSpeed;
    s << "]";
    return s.str();
}

// Every value on one line, so that a row of cases states the whole outcome.
std::string Summary(const TGameParams& p)
{
    const TLevelTimeParams& t = p.BonusTimers;
    std::ostringstream s;
    s << "reverse=" << p.ParamReverceLenta << " pause=" << p.ParamPauseLenta << " hint=" << p.HintButtonDuration
      << " bag=" << p.TimeShowMoneyBag << " speeds=" << Intervals(p.SpeedIntervals)
      << " after=" << Intervals(p.SpeedIntervalsAfterGoal) << " title=" << p.MusicInTitle.Music << "@"
      << p.MusicInTitle.StartPattern << " map=" << p.MusicInMap.Music << "@" << p.MusicInMap.StartPattern
      << " shop=" << p.MusicInCatalog.Music << "@" << p.MusicInCatalog.StartPattern << " timers=" << t.NewKostum
      << "," << t.NewLevel << "," << t.NewEpisod << "," << t.NewStartGame << "," << t.LoseLevel << ","
      << t.Deduction1 << "," << t.Deduction2 << "," << t.Deduction3;
    return s.str();
}

const std::string kZeros = Summary(TGameParams{});

// A complete file, with every value away from its default, as the game ships it (CR LF).
const char* kFullFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<GamePlayParams>\r\n"
    "  <ParamReverceLenta>25</ParamReverceLenta>\r\n"
    "  <ParamPauseLenta>4000</ParamPauseLenta>\r\n"
    "  <HintButtonDuration>8000</HintButtonDuration>\r\n"
    "  <MusicInTitle StartPattern=\"0\">title.xm</MusicInTitle>\r\n"
    "  <MusicInMap StartPattern=\"1,4\">map.xm</MusicInMap>\r\n"
    "  <MusicInCatalog StartPattern=\"50%\">shop.xm</MusicInCatalog>\r\n"
    "  <SpeedIntervals>\r\n"
    "    <Interval Value=\"30\" KoeffSpeed=\"3.0\" />\r\n"
    "    <Interval Value=\"101\" KoeffSpeed=\"1.25\" />\r\n"
    "  </SpeedIntervals>\r\n"
    "  <SpeedIntervalsAfterGoal>\r\n"
    "    <Interval Value=\"60\" KoeffSpeed=\"2\" />\r\n"
    "  </SpeedIntervalsAfterGoal>\r\n"
    "  <TimeShowMoneyBag>6000</TimeShowMoneyBag>\r\n"
    "  <BonusTimers NewKostum=\"0.05\" NewLevel=\"0.5\" NewEpisod=\"0.1\" NewStartGame=\"0.15\" LoseLevel=\"0.2\" "
    "Deduction1=\"0.01\" Deduction2=\"0.02\" Deduction3=\"0.03\" />\r\n"
    "</GamePlayParams>\r\n";
const char* kFullSummary =
    "reverse=25 pause=4000 hint=8000 bag=6000 speeds=[30:3 101:1.25] after=[60:2] title=title.xm@0 map=map.xm@1,4 "
    "shop=shop.xm@50% timers=0.05,0.5,0.1,0.15,0.2,0.01,0.02,0.03";

std::string Scrambled(std::string_view plain, std::string_view key = kDataKey)
{
    TMemoryStream source(plain);
    TMemoryStream target;
    ScrambleStream(source, target, key);
    return std::string(target.View());
}

TEST(GameParams, MissingElementsTakeTheirDefaultsAndNumbersAreReadLeniently)
{
    struct TCase {
        const char* What;
        const char* Body;  // inside <GamePlayParams>
        const char* Expected;
    };
    const TCase cases[] = {
        {"only the money bag time", "<TimeShowMoneyBag>7000</TimeShowMoneyBag>",
         "reverse=30 pause=2000 hint=2000 bag=7000 speeds=[] after=[] title=@ map=@ shop=@ timers=0,0,0,0,0,0,0,0"},
        {"no element at all", "",
         "reverse=30 pause=2000 hint=2000 bag=5000 speeds=[] after=[] title=@ map=@ shop=@ timers=0,0,0,0,0,0,0,0"},
        {"an element without text is 0, not its default",
         "<ParamReverceLenta></ParamReverceLenta><ParamPauseLenta>abc</ParamPauseLenta>"
         "<HintButtonDuration> 45s</HintButtonDuration><TimeShowMoneyBag>-5</TimeShowMoneyBag>",
         "reverse=0 pause=0 hint=45 bag=-5 speeds=[] after=[] title=@ map=@ shop=@ timers=0,0,0,0,0,0,0,0"},
        {"malformed, comma-decimal and missing reals are 0",
         "<SpeedIntervals><I Value=\"40.5\" KoeffSpeed=\"x\" /><I Value=\"50\" /><I KoeffSpeed=\"2,5\" /></SpeedIntervals>"
         "<BonusTimers NewKostum=\"0,5\" NewLevel=\"\" Deduction3=\"0.3\" />",
         "reverse=30 pause=2000 hint=2000 bag=5000 speeds=[40:0 50:0 0:0] after=[] title=@ map=@ shop=@ "
         "timers=0,0,0,0,0,0,0,0.3"},
        {"list entries and timers as child elements",
         "<SpeedIntervalsAfterGoal><Interval><Value>40</Value><KoeffSpeed>2.5</KoeffSpeed></Interval>"
         "</SpeedIntervalsAfterGoal><BonusTimers><NewLevel>0.2</NewLevel></BonusTimers>",
         "reverse=30 pause=2000 hint=2000 bag=5000 speeds=[] after=[40:2.5] title=@ map=@ shop=@ "
         "timers=0,0.2,0,0,0,0,0,0"},
        {"music without a start pattern", "<MusicInMap>map.xm</MusicInMap>",
         "reverse=30 pause=2000 hint=2000 bag=5000 speeds=[] after=[] title=@ map=map.xm@ shop=@ "
         "timers=0,0,0,0,0,0,0,0"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TTestLog t;
        const std::string text = std::string("<GamePlayParams>") + c.Body + "</GamePlayParams>";
        EXPECT_EQ(Summary(ReadGameParamsText(text, "GameParams.xml", t.log)), c.Expected);
        EXPECT_TRUE(t.Lines.empty());
    }
}

TEST(GameParams, AFileTheGameCannotUseLeavesEveryValueZeroAndLogsOneLine)
{
    TTempFolder folder;
    const std::string noTags = (folder / "GameParams.xml").string() + "XML file does not has tags!";
    struct TCase {
        const char* What;
        std::optional<std::string> Bytes;  // nothing: no file
        std::string Line;                  // the whole line, or its start when it ends in "..."
    };
    const TCase cases[] = {
        {"no file", std::nullopt, "Error LoadGameParams: Cannot open file ..."},
        {"another first element, even around a GamePlayParams one",
         "<Params>\r\n<GamePlayParams><TimeShowMoneyBag>1</TimeShowMoneyBag></GamePlayParams>\r\n</Params>\r\n",
         "Error LoadGameParams: " + (folder / "GameParams.xml").string() +
             ": the first element is Params, not GamePlayParams; every game parameter is 0"},
        {"an empty file", "", noTags},
        {"only a head and a comment", "<?xml version=\"1.0\"?>\r\n<!-- none -->\r\n", noTags},
        // Bare line feeds make a file not plain, so it is unscrambled into no XML at all.
        {"a plain file with bare line feeds", "<GamePlayParams>\n<ParamPauseLenta>9</ParamPauseLenta>\n</GamePlayParams>\n",
         noTags},
        {"a file scrambled with another key", Scrambled(kFullFile, "otherkey"), noTags},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        std::filesystem::remove(folder / "GameParams.xml");
        if (c.Bytes)
            folder.Write("GameParams.xml", *c.Bytes);
        TTestLog t;
        EXPECT_EQ(Summary(LoadGameParams(folder / "GameParams.xml", t.log)), kZeros);
        ASSERT_EQ(t.Lines.size(), 1u);
        if (c.Line.ends_with("..."))
            EXPECT_TRUE(t.Lines[0].starts_with(c.Line.substr(0, c.Line.size() - 3))) << t.Lines[0];
        else
            EXPECT_EQ(t.Lines[0], c.Line);
    }
}

TEST(GameParams, AScrambledFileReadsAsItsPlainText)
{
    TTempFolder folder;
    TTestLog t;
    const TGameParams plain = LoadGameParams(folder.Write("plain.xml", kFullFile), t.log);
    const TGameParams scrambled = LoadGameParams(folder.Write("scrambled.xml", Scrambled(kFullFile)), t.log);
    EXPECT_EQ(Summary(plain), kFullSummary);
    EXPECT_EQ(Summary(scrambled), kFullSummary);
    EXPECT_TRUE(t.Lines.empty());

    // What the belt and the level time are handed.
    const TBeltTuning belt = scrambled.BeltTuning();
    EXPECT_EQ(belt.ReverseParam, 25);
    EXPECT_EQ(belt.PauseDuration, 4000);
    EXPECT_EQ(belt.TimeShowMoneyBag, 6000);
    EXPECT_EQ(Intervals(belt.SpeedIntervals), "[30:3 101:1.25]");
    EXPECT_EQ(Intervals(belt.SpeedIntervalsAfterGoal), "[60:2]");
    EXPECT_DOUBLE_EQ(scrambled.LevelTimeParams().NewLevel, 0.5);
    EXPECT_DOUBLE_EQ(scrambled.LevelTimeParams().Deduction3, 0.03);
}

class GameParamsBeltTest : public TBeltFixture {};

TEST_F(GameParamsBeltTest, EmptySpeedListsLeaveTheBeltAtItsOwnSpeedAtEveryFill)
{
    TTestLog t;
    const TGameParams params = ReadGameParamsText(
        "<GamePlayParams><SpeedIntervals></SpeedIntervals><SpeedIntervalsAfterGoal /></GamePlayParams>",
        "GameParams.xml", t.log);
    level->Belt.RuleBirths = false;
    level->Tuning = params.BeltTuning();
    const std::vector<std::vector<int32_t>> fills = {{2000}, {6000, 4000}, {9000}, {10500}};
    for (bool demo : {false, true})
        for (const auto& pieces : fills) {
            level->Demo.Playback = demo;
            level->Belt.Fishes.clear();
            for (int32_t p : pieces)
                Put(p);
            SCOPED_TRACE(BeltFill(*level));
            EXPECT_DOUBLE_EQ(SpeedTarget(*level, 100000), 1.0);
        }
    EXPECT_TRUE(t.Lines.empty());
}

// ---- The game's tables ------------------------------------------------------------------

// Each table names what the next ones resolve: the episode takes piece types, an upgrade,
// a music entry and a customer type from the other four.
class GameTablesTest : public ::testing::Test {
protected:
    GameTablesTest()
    {
        folder.Write("FishkaTypes.xml", kTestTypes);
        folder.Write("Mans.xml", "<Mans><ManTypes><Man Name=\"Girl\" /><Man Name=\"Boy\" /></ManTypes></Mans>");
        folder.Write("MusicPattern.xml", "<MusicPattern><Music ID=\"Day\" Name=\"day.xm\" /></MusicPattern>");
        folder.Write("Shop.xml", "<Data><ShopItems><Upgrads><U ID=\"Sofa\" Cost=\"10\" /><U ID=\"Lamp\" Cost=\"20\" />"
                                 "</Upgrads></ShopItems></Data>");
        folder.Write("Episods.xml",
                     "<Episods><Episod Name=\"Corner\"><UpgradeList IDList=\"Lamp;\" />"
                     "<LevelFishes><Stage>Coat_2;Dress_2;</Stage></LevelFishes>"
                     "<Levels><Level Name=\"l1.xml\" Music=\"Day\"><Persons Cast=\"Boy(1:2);\" /></Level></Levels>"
                     "</Episod></Episods>");
    }

    // What was loaded, and what the episode resolved through the other tables.
    std::string Loaded() const
    {
        std::ostringstream s;
        s << "types=" << tables.FishkaTypes.Count() << " mans=" << tables.Mans.Count()
          << " music=" << tables.Music().Items.size() << " upgrades=" << tables.Shop.Upgrades.size()
          << " episodes=" << tables.Episods.Count();
        const TEpisod* episod = tables.Episods.Episod(0);
        if (episod && !episod->Levels.empty()) {
            s << " stage=";
            for (int32_t type : episod->LevelFishes.at(0))
                s << type << ";";
            s << " shop=";
            for (int32_t upgrade : episod->Upgrades)
                s << upgrade << ";";
            const TLevelInEpisod& level = episod->Levels[0];
            s << " module=" << level.Music << " cast=";
            for (const TCastEntry& entry : level.Cast)
                s << entry.ManType << ";";
        }
        return s.str();
    }

    TTempFolder folder;
    TDataSource data{folder.Path()};
    TTestLog t;
    TGameTables tables;
};

TEST_F(GameTablesTest, EveryTableLoadsBeforeTheEpisodesThatNameThem)
{
    tables.LoadGameTables(data, false, t.log);
    EXPECT_TRUE(t.Lines.empty());
    // Outside debug mode the episode list is padded to eight.
    EXPECT_EQ(Loaded(), "types=5 mans=2 music=1 upgrades=2 episodes=8 stage=2;0; shop=1; module=day.xm cast=1;");

    const IGameTables& view = tables;
    EXPECT_EQ(view.FishkaTypeIndex("Hat_3"), 3);
    EXPECT_EQ(view.FishkaTypeIndex("hat_3"), -1);  // names are exact
    ASSERT_TRUE(view.FishkaType(4).has_value());
    EXPECT_EQ(view.FishkaType(4)->Name, "Gown_4");
    EXPECT_EQ(view.FishkaType(4)->PieceCount, 4);
    EXPECT_FALSE(view.FishkaType(5).has_value());
    EXPECT_EQ(view.ManTypeIndex("Girl"), 0);
    EXPECT_EQ(view.MusicFileById("Day"), std::optional<std::string>("day.xm"));
    EXPECT_FALSE(view.MusicFileById("Night").has_value());
}

TEST_F(GameTablesTest, AMissingTableIsLoggedAndTheOthersStillLoad)
{
    struct TCase {
        const char* File;
        const char* Line;  // the start of the one line logged
        const char* Loaded;
    };
    const TCase cases[] = {
        {"FishkaTypes.xml", "Error  LoadFishkaTypes",
         "types=0 mans=2 music=1 upgrades=2 episodes=8 stage= shop=1; module=day.xm cast=1;"},
        {"Mans.xml", "Error LoadMans", "types=5 mans=0 music=1 upgrades=2 episodes=8 stage=2;0; shop=1; module=day.xm cast="},
        {"MusicPattern.xml", "Error LoadMusicPattern",
         "types=5 mans=2 music=0 upgrades=2 episodes=8 stage=2;0; shop=1; module= cast=1;"},
        {"Shop.xml", "Error LoadShop", "types=5 mans=2 music=1 upgrades=0 episodes=8 stage=2;0; shop= module=day.xm cast=1;"},
        {"Episods.xml", "Error LoadEpisods", "types=5 mans=2 music=1 upgrades=2 episodes=8"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        const std::string kept = folder.Read(c.File);
        std::filesystem::remove(folder / c.File);
        t.Lines.clear();
        tables.LoadGameTables(data, false, t.log);
        ASSERT_EQ(t.Lines.size(), 1u);
        EXPECT_TRUE(t.Lines[0].starts_with(c.Line)) << t.Lines[0];
        EXPECT_EQ(Loaded(), c.Loaded);
        folder.Write(c.File, kept);
    }
}

TEST_F(GameTablesTest, AMusicTableReadAlreadyIsUsedInsteadOfTheFile)
{
    // The sound engine has read its table: the data's file is not read a second time.
    std::filesystem::remove(folder / "MusicPattern.xml");
    TMusicPatternTable sounds;
    ASSERT_TRUE(sounds.LoadMusicPatternText("<MusicPattern><Music ID=\"Day\" Name=\"shared.xm\" /></MusicPattern>", t.log));
    tables.LoadGameTables(data, sounds, false, t.log);
    EXPECT_TRUE(t.Lines.empty());
    EXPECT_EQ(&tables.Music(), &sounds);
    EXPECT_EQ(tables.Episods.Level(0, 0)->Music, "shared.xm");
}

}  // namespace
