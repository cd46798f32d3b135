// Between the days: the town map (which shop a click finds, the zoom into it, a start
// that cannot be doubled, an earlier shop played again), the catalogue (one item in
// question at a time, the second stage of a column appearing later, a catalogue with
// nothing to offer), the continue window, and a whole journey from a new name to the
// second day played by the program itself.
#include "GameRig.h"
#include "app/ScreenSet.h"
#include "gameplay/LevelGame.h"
#include "gameplay/LevelSession.h"
#include "gameplay/GameTables.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "metagame/PlayersFile.h"
#include "metagame/ShopRules.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <tuple>

namespace fs = std::filesystem;

namespace {

constexpr int kLoadFrames = 600;

// ---- Which shop a click finds, and the zoom's frames ------------------------------------------

TEST(MapClicks, TheFirstShopWhosePictureHoldsThePointCounts)
{
    TEpisods episods;
    episods.Items.resize(3);
    episods.Items[0].PosEpisodInMap = {100, 100};
    episods.Items[0].ShopPictureSize = {50, 40};
    episods.Items[1].PosEpisodInMap = {130, 120};  // overlaps the first shop's corner
    episods.Items[1].ShopPictureSize = {50, 40};
    episods.Items[2].PosEpisodInMap = {400, 300};
    episods.Items[2].ShopPictureSize = {0, 0};  // its picture is missing: nothing to click

    const struct {
        TPoint Point;
        int32_t MaxEpisod;
        std::optional<int32_t> Shop;
    } cases[] = {
        {{100, 100}, 2, 0},             // top left corner is inside
        {{149, 139}, 2, 0},             // so is the last pixel
        {{150, 100}, 2, std::nullopt},  // right edge is outside
        {{140, 130}, 2, 0},             // in both: the first wins
        {{170, 150}, 2, 1},
        {{170, 150}, 0, std::nullopt},  // a shop not reached yet is not on the map
        {{400, 300}, 2, std::nullopt},
        {{-5, -5}, 2, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShopAt(episods, c.MaxEpisod, c.Point), c.Shop) << c.Point.X << "," << c.Point.Y;
}

TEST(MapZoom, TheFramesGrowFromTheShopTowardTheScreensEdges)
{
    const TPoint pos{160, 80};
    const TPoint size{80, 64};
    const struct {
        int32_t Step;
        TRect Cut;
    } cases[] = {
        {0, {160, 80, 240, 144}},
        // a step is an eighth of the way to each edge: 20 left, 10 up, 70 right, 57 down
        {1, {140, 70, 310, 201}},
        {7, {20, 10, 730, 543}},
    };
    for (const auto& c : cases) {
        const TRect cut = ZoomCut(pos, size, c.Step);
        EXPECT_EQ(std::tie(cut.Left, cut.Top, cut.Right, cut.Bottom),
                  std::tie(c.Cut.Left, c.Cut.Top, c.Cut.Right, c.Cut.Bottom))
            << "step " << c.Step;
    }
}

// ---- The game on the rig, from the title -----------------------------------------------------

// The title with a player named, ready to play.
class TJourneyRig : public TGameRig {
public:
    TJourneyRig()
    {
        EXPECT_TRUE(RunUntil([this] { return TopWindow() == "WYourName"; }, kLoadFrames)) << TopWindow();
        Engine->Interface()->SetObjectProperty("WYourName_EYourName", "Text", "Ann");
        Click("WYourName_BOk");
        Frames(2);
    }
    TScreenSet& Screens() { return *Engine->AllScreens(); }
    TPlayer& Player() { return Screens().Context.Player; }
    TEpisods& Episods() { return Screens().Context.Tables.Episods; }
    // The map of the player's furthest shop, with its story already told.
    void OpenMapWithoutStory()
    {
        Screens().Map.OpenMap(true, false);
        if (TEpisod* episod = Episods().Episod(Player().MaxEpisod))
            episod->DialogCounter = static_cast<int32_t>(episod->DialogList.size());
        Frames(2);
    }
    // The record as it stands becomes the saved game.
    void SavePlayer() { ASSERT_EQ(Engine->Players()->SavePlayerState(Player(), TSaveMode::Full), TProfileResult::Done); }
    TPoint ShopCentre(int32_t episod)
    {
        const TEpisod& shop = *Episods().Episod(episod);
        return {shop.PosEpisodInMap.X + shop.ShopPictureSize.X / 2, shop.PosEpisodInMap.Y + shop.ShopPictureSize.Y / 2};
    }
};

TEST(Journey, ANewGameOpensTheMapAndAClickOnTheShopStartsItsFirstDayOnce)
{
    TJourneyRig rig;
    rig.Click("WTitle_BPlay");
    rig.Frames(2);
    EXPECT_TRUE(rig.Trace.Has("mode smMap"));
    EXPECT_TRUE(rig.Trace.Has("show WMap"));

    rig.OpenMapWithoutStory();
    ASSERT_EQ(rig.TopWindow(), "WMap");
    ASSERT_GT(rig.Episods().Episod(0)->ShopPictureSize.X, 0) << "the first shop's picture is on the map";
    const int64_t clicked = rig.Now();
    rig.ClickAt(rig.ShopCentre(0));
    ASSERT_TRUE(rig.Screens().Map.StartPending());
    const int64_t startAt = rig.Screens().Map.NextDayAt();
    EXPECT_GE(startAt, clicked + 1750);

    rig.Frames(10);
    rig.ClickAt(rig.ShopCentre(0));
    rig.Screens().Map.WMap_BPlay_MouseUp();
    EXPECT_EQ(rig.Screens().Map.NextDayAt(), startAt) << "a second click while the start is pending does nothing";

    ASSERT_TRUE(rig.RunUntil([&] { return rig.Trace.Has("level Level_1_1.xml"); }, 400));
    EXPECT_GE(rig.Now(), startAt);
    EXPECT_EQ(std::count(rig.Trace.Lines.begin(), rig.Trace.Lines.end(), "level Level_1_1.xml"), 1);
}

TEST(Journey, AnEarlierShopAsksFirstAndIsPlayedAgainWithoutItsPurchases)
{
    TJourneyRig rig;
    rig.Player().MaxEpisod = 1;
    rig.Player().UpdateObjects = {{0, 1}, {}};
    rig.OpenMapWithoutStory();
    ASSERT_GT(rig.Episods().Episod(0)->ShopPictureSize.X, 0);

    rig.ClickAt(rig.ShopCentre(0));
    rig.Frame();
    ASSERT_EQ(rig.TopWindow(), "WReplayShop");
    rig.Click("WReplayShop_BCancel");
    rig.Frame();
    EXPECT_EQ(rig.TopWindow(), "WMap");
    EXPECT_FALSE(rig.Screens().Map.StartPending());

    rig.ClickAt(rig.ShopCentre(0));
    rig.Frame();
    rig.Click("WReplayShop_BOk");
    EXPECT_TRUE(rig.Screens().Map.StartPending());
    EXPECT_EQ(rig.Player().CurrentEpisod, 0);
    EXPECT_EQ(rig.Player().CurrentLevel, 0);
    ASSERT_FALSE(rig.Player().UpdateObjects.empty());
    EXPECT_TRUE(rig.Player().UpdateObjects[0].empty());
    EXPECT_TRUE(rig.RunUntil([&] { return rig.Trace.Has("level Level_1_1.xml"); }, 400));
}

// ---- The catalogue ---------------------------------------------------------------------------

class TShopRig : public TJourneyRig {
public:
    explicit TShopRig(int32_t money = 5000)
    {
        Player().CurrentEpisod = 0;
        Player().CurrentLevel = 1;
        Player().CurrentScore = money;
        Screens().Shop.CreateAndShowShop(false);
        Frames(2);
    }
    // The first interior slot (1 to 6) with an upgrade for sale, or 0.
    int32_t UpgradeForSale()
    {
        const TCataloguePlan plan =
            PlanCatalogue(Player(), Episods().Episod(0), Screens().Context.Tables.Shop);
        for (const TInteriorSlot& slot : plan.Interior)
            if (slot.State == TSlotState::ForSale)
                return slot.Slot;
        return 0;
    }
    size_t UpgradesBought()
    {
        return Player().UpdateObjects.empty() ? 0 : Player().UpdateObjects[0].size();
    }
};

TEST(Shop, OpensOnTheWearPageWithTheMoneyAndTheColumnsStages)
{
    TShopRig rig(1234);
    EXPECT_EQ(rig.Mode(), TScreenMode::smShop);
    EXPECT_EQ(rig.TopWindow(), "WShop");
    EXPECT_EQ(rig.Value("WShop_TFWear", "Visible"), "True");
    EXPECT_EQ(rig.Value("WShop_LTotalMoneyCount"), rig.Value("WResource_LCurrency") + "1234");
    // A new player has the first stage of two columns: their second stages and the
    // third column's first are on sale, the third column's second is locked.
    for (int32_t slot : {3, 4, 5})
        EXPECT_EQ(rig.Value("WShop_TFWear_LPic" + std::to_string(slot), "Enabled"), "True") << slot;
    for (int32_t slot : {1, 2, 6})
        EXPECT_EQ(rig.Value("WShop_TFWear_LPic" + std::to_string(slot), "Enabled"), "False") << slot;
    EXPECT_EQ(rig.Value("WShop_TFWear_LItem6"), rig.Value("WResource_LUnlockItem"));
}

// The purchase question acts only on the item it shows: a choice left on the other page
// (asked about, then cancelled or passed over) must never be charged with it.
TEST(Shop, TheBuyButtonBuysOnlyTheItemInQuestion)
{
    enum class TStep { AskUpgrade, AskWear, Cancel, Buy };
    const struct {
        const char* Name;
        std::vector<TStep> Steps;
        bool WearBought;
        bool UpgradeBought;
    } cases[] = {
        {"upgrade cancelled, then wear bought", {TStep::AskUpgrade, TStep::Cancel, TStep::AskWear, TStep::Buy}, true, false},
        {"upgrade passed over for wear", {TStep::AskUpgrade, TStep::AskWear, TStep::Buy}, true, false},
        {"wear passed over for an upgrade", {TStep::AskWear, TStep::AskUpgrade, TStep::Buy}, false, true},
        {"a cancelled question buys nothing", {TStep::AskWear, TStep::Cancel, TStep::Buy}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TShopRig rig;
        const int32_t upgradeSlot = rig.UpgradeForSale();
        ASSERT_GT(upgradeSlot, 0) << "episode 1 offers an upgrade";
        const int32_t kostum = rig.Player().Kostums[2];
        const int32_t money = rig.Player().CurrentScore;
        TShopScreen& shop = rig.Screens().Shop;
        for (TStep step : c.Steps) {
            switch (step) {
            case TStep::AskUpgrade:
                shop.InteriorClick(upgradeSlot);
                break;
            case TStep::AskWear:
                shop.WearClick(3);
                break;
            case TStep::Cancel:
                shop.WBuyQuestion_BCancel_MouseUp();
                break;
            case TStep::Buy:
                shop.WBuyQuestion_BBuy_MouseUp();
                break;
            }
        }
        EXPECT_EQ(rig.Player().Kostums[2] == kostum + 1, c.WearBought);
        EXPECT_EQ(rig.UpgradesBought() == 1, c.UpgradeBought);
        EXPECT_EQ(rig.Player().CurrentScore < money, c.WearBought || c.UpgradeBought);
        EXPECT_EQ(shop.Visit().SelectedUpgradeSlot, -1);
        EXPECT_EQ(shop.Visit().SelectedWearSlot, -1);
    }
}

// The same through the windows, as a player clicks: an upgrade asked about and cancelled
// on the interior page is not charged with the outfit bought on the wear page.
TEST(Shop, ACancelledUpgradeIsNotChargedWithTheOutfitBoughtNext)
{
    TShopRig rig;
    const int32_t upgradeSlot = rig.UpgradeForSale();
    ASSERT_GT(upgradeSlot, 0);
    const int32_t money = rig.Player().CurrentScore;
    const int32_t price = WearSlotPrice(rig.Player(), rig.Screens().Context.Tables.Shop, rig.Screens().Context.Tables, 2);
    rig.Click("WShop_TFWear_BInteriorPage");
    rig.Frame();
    rig.Click("WShop_TFInterior_LPic" + std::to_string(upgradeSlot));
    rig.Frame();
    ASSERT_EQ(rig.TopWindow(), "WBuyQuestion");
    rig.Click("WBuyQuestion_BCancel");
    rig.Frame();
    rig.Click("WShop_TFInterior_BWearPage");
    rig.Frame();
    rig.Click("WShop_TFWear_LPic3");
    rig.Frame();
    rig.Click("WBuyQuestion_BBuy");
    EXPECT_EQ(rig.Player().Kostums[2], 1);
    EXPECT_EQ(rig.UpgradesBought(), 0u);
    EXPECT_EQ(money - rig.Player().CurrentScore, price);
}

// The game's first furniture is introduced on the day that shows it, over the day's start
// (after a won day, as a day's introductions are); furniture bought when some was bought
// before comes without it.
TEST(Shop, TheFirstFurnitureBoughtIsIntroducedOnTheNextDay)
{
    for (const bool ownedBefore : {false, true}) {
        SCOPED_TRACE(ownedBefore ? "furniture owned before" : "the first furniture");
        TShopRig rig;
        if (ownedBefore) {
            rig.Player().UpdateObjects = {{0}};
            rig.Screens().Shop.CreateAndShowShop(false);
            rig.Frames(2);
        }
        const int32_t upgradeSlot = rig.UpgradeForSale();
        ASSERT_GT(upgradeSlot, 0);
        rig.Screens().Level.NewGame();
        rig.Click("WShop_TFWear_BInteriorPage");
        rig.Frame();
        rig.Click("WShop_TFInterior_LPic" + std::to_string(upgradeSlot));
        rig.Frame();
        ASSERT_EQ(rig.TopWindow(), "WBuyQuestion");
        rig.Click("WBuyQuestion_BBuy");
        rig.Frame();
        rig.Click("WShop_BPlay");
        ASSERT_TRUE(rig.RunUntil([&] { return rig.Trace.Has("level Level_1_2.xml"); }, 400));
        rig.Frames(20);
        EXPECT_EQ(rig.Trace.Has("dialog Script_Dialog_Upgrade.xml"), !ownedBefore);
        EXPECT_EQ(rig.Mode() == TScreenMode::smDialog, !ownedBefore);
    }
}

TEST(Shop, BuyingByClicksPaysThePriceSavesAndShowsTheColumnsSecondStageLater)
{
    TShopRig rig;
    const int32_t money = rig.Player().CurrentScore;
    const std::string price = rig.Value("WShop_TFWear_LPriceCount3");
    rig.Click("WShop_TFWear_LPic3");
    rig.Frame();
    ASSERT_EQ(rig.TopWindow(), "WBuyQuestion");
    EXPECT_EQ(rig.Value("WBuyQuestion_LPriceCount"), price);
    rig.Click("WBuyQuestion_BBuy");
    const int64_t bought = rig.Now();
    const int32_t paid = money - rig.Player().CurrentScore;
    EXPECT_GT(paid, 0);
    EXPECT_EQ(price, rig.Value("WResource_LCurrency") + std::to_string(paid));
    EXPECT_EQ(rig.Player().Kostums[2], 1);
    EXPECT_TRUE(rig.Trace.Has("save players.dat"));
    EXPECT_EQ(rig.Value("WShop_LTotalMoneyCount"), rig.Value("WResource_LCurrency") + std::to_string(money - paid));

    // The third column's second stage comes out of its box after 1900 ms.
    EXPECT_EQ(rig.Value("WShop_TFWear_LPic6", "Visible"), "False");
    rig.RunUntil([&] { return rig.Now() >= bought + 1890; }, 200);
    EXPECT_EQ(rig.Value("WShop_TFWear_LPic6", "Visible"), "False");
    rig.RunUntil([&] { return rig.Now() > bought + 1900 + kRigStep; }, 10);
    EXPECT_EQ(rig.Value("WShop_TFWear_LPic6", "Visible"), "True");
    EXPECT_EQ(rig.Value("WShop_TFWear_LPic6", "Enabled"), "True");
}

TEST(Shop, TooLittleMoneyLeavesTheBuyButtonDisabled)
{
    TShopRig rig(0);
    rig.Screens().Shop.WearClick(3);
    EXPECT_EQ(rig.Value("WBuyQuestion_BBuy", "Enabled"), "False");
    rig.Screens().Shop.WBuyQuestion_BBuy_MouseUp();
    EXPECT_EQ(rig.Player().Kostums[2], 0);
    EXPECT_EQ(rig.Player().CurrentScore, 0);
}

TEST(Shop, ACatalogueWithNothingToOfferGoesStraightOnToTheDay)
{
    TJourneyRig rig;
    TPlayer& player = rig.Player();
    player.CurrentEpisod = 0;
    player.CurrentLevel = 1;
    player.Kostums = {2, 2, 2};
    player.UpdateObjects = {rig.Episods().Episod(0)->Upgrades};
    rig.Screens().Shop.CreateAndShowShop(false);
    EXPECT_TRUE(rig.Screens().Shop.DayPending());
    EXPECT_NE(rig.TopWindow(), "WShop");
    EXPECT_TRUE(rig.RunUntil([&] { return rig.Trace.Has("level Level_1_2.xml"); }, 100));
}

// An upgrade unlocked during a day shows in its own window over the paused day; the first
// day of a shop shows none (its catalogue comes right after it).
TEST(Shop, AnUpgradeUnlockedInADayOpensItsBoxOverThePausedDay)
{
    for (const int32_t day : {1, 0}) {
        SCOPED_TRACE(day);
        TGameRig rig(std::pair{0, day});
        TStandardLevelScreen& level = *rig.Engine->LevelScreen();
        // The first day opens with its story, the others under the window before them.
        ASSERT_TRUE(rig.RunUntil([&] { return level.Session() && (day == 0 || rig.Visible("WBeforeLevel_BPlay")); },
                                 kLoadFrames));
        if (day != 0)
            rig.Click("WBeforeLevel_BPlay");
        rig.Frames(5);
        level.Session()->Game().TheHost().ShowUnlockWindow(2);
        rig.Frame();
        if (day == 0) {
            EXPECT_NE(rig.TopWindow(), "WUnlockItem");
            continue;
        }
        ASSERT_EQ(rig.TopWindow(), "WUnlockItem");
        EXPECT_EQ(rig.Mode(), TScreenMode::smGameMenu);
        EXPECT_TRUE(level.Session()->Paused());
        EXPECT_TRUE(rig.Engine->AllScreens()->Context.Player.NewlyUnlocked[1]);
        EXPECT_FALSE(rig.Value("WUnlockItem_LDescription").empty());
        rig.Click("WUnlockItem_BOK");
        rig.Frame();
        EXPECT_NE(rig.TopWindow(), "WUnlockItem");
        EXPECT_EQ(rig.Mode(), TScreenMode::smLevel);
        EXPECT_FALSE(level.Session()->Paused());
    }
}

// ---- The continue window ---------------------------------------------------------------------

TEST(Continue, ASavedGameOffersItsDayAndANewGameStartsAgainKeepingTheProfile)
{
    {
        TJourneyRig rig;
        rig.Player().CurrentLevel = 2;
        rig.Player().CurrentScore = 321;
        rig.SavePlayer();
        rig.Click("WTitle_BPlay");
        rig.Frame();
        ASSERT_EQ(rig.TopWindow(), "WContinue");
        EXPECT_EQ(rig.Value("WContinue_LScoreCount"), rig.Value("WResource_LCurrency") + "321");
        EXPECT_EQ(rig.Value("WContinue_LShopName"), rig.Value("WResource_LShopName1"));
        rig.Click("WContinue_BPlaySaved");
        EXPECT_TRUE(rig.RunUntil([&] { return rig.Trace.Has("level Level_1_3.xml"); }, 100));
    }
    {
        TJourneyRig rig;
        rig.Player().CurrentLevel = 2;
        rig.SavePlayer();
        rig.Click("WTitle_BPlay");
        rig.Frame();
        ASSERT_EQ(rig.TopWindow(), "WContinue");
        rig.Click("WContinue_BNewGame");
        rig.Frames(2);
        EXPECT_TRUE(rig.Trace.Has("mode smMap"));
        EXPECT_EQ(rig.Player().CurrentLevel, 0);
        EXPECT_EQ(rig.Player().Name, "Ann");
        EXPECT_TRUE(rig.Trace.Has("save players.dat"));
    }
}

// ---- A whole journey, as a player plays it ----------------------------------------------------

std::string RunJourney(const fs::path& folder)
{
    const fs::path script = folder / "script.txt";
    {
        std::ofstream out(script);
        out << "+1 wait WYourName_EYourName\n+1 char A\n+1 char n\n+1 char n\n+2 click WYourName_BOk\n"
               "+2 wait WTitle_BPlay\n+2 click WTitle_BPlay\n"
               "+2 wait WMap_BSkip\n+2 click WMap_BSkip\n+2 wait WMap_BPlay\n+2 click WMap_BPlay\n"
               "+2 wait WLevelComplete_BOk\n+2 click WLevelComplete_BOk\n"
               "+2 wait WShop_TFWear_LPic3\n+2 click WShop_TFWear_LPic3\n"
               "+2 wait WBuyQuestion_BBuy\n+2 click WBuyQuestion_BBuy\n"
               "+2 wait WShop_BPlay\n+2 click WShop_BPlay\n";
    }
    const fs::path trace = folder / "trace.txt";
    const std::string command = std::string("'") + GLIMMORA_PROGRAM +
                                "' --headless --uncapped --fixed-step 16 --seed 4 --frames 16000 --bot greedy"
                                " --user-dir '" + (folder / "user").string() + "' --trace '" + trace.string() +
                                "' --input '" + script.string() + "' > '" + (folder / "out.txt").string() + "' 2>&1";
    const int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << command;
    std::ifstream in(trace);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Journey, FromANewNameThroughTheMapTheFirstDayAndTheCatalogueToTheSecondDay)
{
    TTempFolder first, second;
    const std::string trace = RunJourney(first.Path());
    for (const char* line : {"mode smMap", "level Level_1_1.xml", "show WLevelComplete", "mode smShop",
                             "exec WBuyQuestion_BBuy_MouseUp", "level Level_1_2.xml"})
        EXPECT_NE(trace.find(line), std::string::npos) << line << "\n" << trace;
    EXPECT_LT(trace.find("level Level_1_1.xml"), trace.find("mode smShop"));
    EXPECT_LT(trace.find("exec WBuyQuestion_BBuy_MouseUp"), trace.find("level Level_1_2.xml"));
    EXPECT_EQ(RunJourney(second.Path()), trace) << "the same script gives the same trace";
}

}  // namespace
