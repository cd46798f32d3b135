// The belt's frame: spacing, speed from the fill, reverse and pause bonuses, the hatch,
// placement, pending parts, fades, and a belt without a usable path.
#include "GameplayTestKit.h"

#include "gameplay/BeltMotion.h"
#include "gameplay/FishList.h"

namespace {

constexpr int64_t kNow = 100000;

class BeltMotionTest : public TBeltFixture {
protected:
    BeltMotionTest()
    {
        level->Belt.RuleBirths = false;  // only the pieces a test puts on the belt
    }

    void UseSpeedTables()
    {
        level->Tuning.SpeedIntervals = {{30, 3.0}, {55, 2.0}, {80, 1.4}, {101, 1.0}};
        level->Tuning.SpeedIntervalsAfterGoal = {{50, 5.0}};
    }

    // Ticks frames of 20 ms; the belt runs at 40 pixels a second, 20 path units a frame.
    void Run(int frames, TLevelMode mode = TLevelMode::Playing)
    {
        for (int i = 0; i < frames; ++i) {
            now += 20;
            level->Lentas[0].SpeedKoeff = 1.0;
            TickFishes(*level, Frame(now, 20, mode));
        }
    }

    int64_t now = kNow;
};

TEST_F(BeltMotionTest, PiecesPushWaitAndRunIntoTheHatch)
{
    struct TCase {
        const char* What;
        std::vector<int32_t> Before, After;
    };
    const TCase cases[] = {
        {"an overlapping piece is pushed forward", {5000, 4200}, {6220, 4220}},
        {"a piece with room behind it waits", {6000, 1000}, {6001, 1020}},
        {"packed pieces move together", {6000, 4000, 2000}, {6020, 4020, 2020}},
        {"in the hatch zone a piece runs on", {9700, 1000}, {9720, 1020}},
        {"a lone piece stops just past its own length", {1995}, {2010}},
        {"and stays where it is further on", {5000}, {5000}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        level->Belt.Fishes.clear();
        for (int32_t p : c.Before)
            Put(p);
        Run(1);
        EXPECT_EQ(Positions(), c.After);
    }
}

TEST_F(BeltMotionTest, TheSpeedCoefficientFollowsTheFill)
{
    UseSpeedTables();
    struct TCase {
        std::vector<int32_t> Pieces;
        int32_t Fill;
        double Target;
    };
    const TCase cases[] = {
        {{2000}, 20, 3.0},
        {{6000, 1000}, 30, 2.0},  // a gap is free room
        {{6000, 4000}, 60, 1.4},
        {{9000}, 90, 1.0},
        {{10500}, 105, 1.0},  // beyond the table
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Fill);
        level->Belt.Fishes.clear();
        for (int32_t p : c.Pieces)
            Put(p);
        EXPECT_EQ(BeltFill(*level), c.Fill);
        EXPECT_DOUBLE_EQ(SpeedTarget(*level, kNow), c.Target);
    }

    level->Belt.Fishes.clear();
    Put(6000);
    Put(4000);
    level->Demo.Playback = true;
    EXPECT_DOUBLE_EQ(SpeedTarget(*level, kNow), 1.0);  // the other table: nothing above 60
    level->Demo.Playback = false;
    level->Belt.ReverseEnd = kNow - 4999;
    EXPECT_DOUBLE_EQ(SpeedTarget(*level, kNow), 1.4 / 4);  // calm after a reverse
    level->Belt.ReverseEnd = kNow - 5000;
    EXPECT_DOUBLE_EQ(SpeedTarget(*level, kNow), 1.4);
}

TEST_F(BeltMotionTest, TheCoefficientStepsTowardItsTargetWithoutOvershooting)
{
    UseSpeedTables();
    TLenta& lenta = level->Lentas[0];
    TickFishes(*level, Frame(kNow, 0, TLevelMode::Halted));
    EXPECT_DOUBLE_EQ(lenta.SpeedKoeff, 10.0);  // an empty belt

    Put(6000);
    Put(4000);  // fill 60: target 1.4
    std::vector<double> seen;
    for (int i = 0; i < 10; ++i) {
        TickFishes(*level, Frame(kNow, 0, TLevelMode::Halted));
        seen.push_back(lenta.SpeedKoeff);
    }
    EXPECT_EQ(seen, (std::vector<double>{9, 8, 7, 6, 5, 4, 3, 2, 1.4, 1.4}));
}

TEST_F(BeltMotionTest, AReverseRunsBackUntilTheFillIsLowAndTheSelectionFollowsItsPiece)
{
    for (int32_t p : {8000, 6000, 4000, 2000})
        Put(p);
    level->Belt.SelectedIndex = 3;
    level->Belt.ReverseStart = now + 20;  // starts with the next frame
    Run(1);
    EXPECT_EQ(Positions(), (std::vector<int32_t>{7990, 5990, 3990, 1990}));  // age 0: 10 units
    level->Belt.ReverseStart = now - 1000;  // at full speed from here on
    int frames = 0;
    while (level->Belt.ReverseStart != -1 && frames < 100) {
        Run(1);
        ++frames;
        EXPECT_EQ(level->Belt.Fishes.front().Position, 7990 - 200 * frames);
    }
    EXPECT_EQ(frames, 25);  // the front piece at 2990: fill 30
    EXPECT_EQ(level->Belt.ReverseEnd, now);
    EXPECT_EQ(Positions(), (std::vector<int32_t>{2990, 990}));  // the others went below -100
    EXPECT_EQ(level->Belt.SelectedIndex, -1);

    Run(1);
    EXPECT_EQ(Positions(), (std::vector<int32_t>{2995, 995}));  // forward again, at a quarter speed
}

TEST_F(BeltMotionTest, APauseHoldsTheBeltForItsDuration)
{
    Put(6000);
    Put(4000);
    level->Tuning.PauseDuration = 90;
    level->Belt.PauseStart = now + 41;
    Run(2);
    EXPECT_EQ(Positions(), (std::vector<int32_t>{6040, 4040}));  // not yet
    Run(5);
    EXPECT_EQ(Positions(), (std::vector<int32_t>{6040, 4040}));
    EXPECT_EQ(level->Belt.PauseStart, -1);  // over once its time has passed
    Run(1);
    EXPECT_EQ(Positions(), (std::vector<int32_t>{6060, 4060}));
}

TEST_F(BeltMotionTest, AGarmentInTheHatchCostsOnceAndLeavesAtTheEnd)
{
    Put(9400);
    Put(7400).Kind = TFishKind::Pause;
    Put(5400, 1);
    level->Belt.SelectedIndex = 0;
    level->Belt.Fishes[0].Selected = true;
    Run(120);  // the first two pass 9500 and stay in the hatch zone for many frames
    EXPECT_EQ(events.Lost, (std::vector<int32_t>{0}));
    EXPECT_EQ(std::count(sounds.Events.begin(), sounds.Events.end(), "DropInLuk"), 2);
    EXPECT_EQ(effects.Count("efBonus10Minus.xml"), 1);
    EXPECT_EQ(effects.Flights, (std::vector<std::string>{"FallOutfits"}));
    EXPECT_EQ(level->Belt.SelectedIndex, -1);
    Run(40);
    EXPECT_EQ(Positions(), (std::vector<int32_t>{8020}));  // both went past the end; the last waits alone
    EXPECT_EQ(events.Lost.size(), 1u);

    level->Demo.Playback = true;
    level->Belt.Fishes.clear();
    Put(9495);
    Put(7495);
    Run(2);
    EXPECT_EQ(events.Lost.size(), 1u);  // demos lose nothing
}

// A served outfit crept on into the hatch while it waited to fly to its customer, and was
// charged and deleted as a lost garment.
TEST_F(BeltMotionTest, AServedOutfitWasChargedAsLost_ALeavingPieceIsNeverLostAndStaysUntilItLeaves)
{
    level->Times.TimeLeft = 30000;  // the falling hint may show
    TFish& served = Put(9520);
    served.LeaveAt = now + 800;
    Put(3000);
    Run(30);  // past the end of the belt, still waiting to leave
    ASSERT_EQ(level->Belt.Fishes.size(), 2u);
    EXPECT_GT(level->Belt.Fishes[0].Position, 10000);
    EXPECT_FALSE(level->Belt.Fishes[0].Dropped);
    EXPECT_TRUE(events.Lost.empty());
    EXPECT_TRUE(events.Hints.empty());
    EXPECT_EQ(std::count(sounds.Events.begin(), sounds.Events.end(), "DropInLuk"), 0);
    EXPECT_EQ(effects.Count("efBonus10Minus.xml"), 0);
    Run(10);
    EXPECT_EQ(events.Left.size(), 1u);  // it flew to its customer
    EXPECT_EQ(level->Belt.Fishes.size(), 1u);
}

TEST_F(BeltMotionTest, PiecesRiseOutOfTheFirstHatchAndSinkIntoTheSecond)
{
    pictures.Sizes["FishkaTypes0_1.png"] = {60, 80};
    pictures.Sizes["MoneyBonus.png"] = {40, 50};
    level->Scene.ShiftLentaY = 5;
    struct TCase {
        TFishKind Kind;
        int32_t Position;
        double PathX, PathY, Y;
    };
    const TCase cases[] = {
        {TFishKind::Garment, 250, 120, 425, 325},   // 125 below the belt, under the hatch lip
        {TFishKind::Garment, 5000, 300, 300, 200},
        {TFishKind::Garment, 9800, 480, 450, 350},
        {TFishKind::Reverse, 5000, 300, 300, 175},  // bonuses stand higher
        {TFishKind::MoneyBag, 5000, 300, 300, 250},  // a bag stands on the belt
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Position);
        level->Belt.Fishes.clear();
        TFish& fish = Put(c.Position);
        fish.Kind = c.Kind;
        fish.Width = 60;
        fish.Height = 50;
        fish.AppearTime = kNow;
        TickFishes(*level, Frame(kNow, 0, TLevelMode::Halted));
        EXPECT_DOUBLE_EQ(fish.PathX, c.PathX);
        EXPECT_DOUBLE_EQ(fish.PathY, c.PathY);
        EXPECT_DOUBLE_EQ(fish.X, c.PathX - 30);
        EXPECT_DOUBLE_EQ(fish.Y, c.Y);
        EXPECT_DOUBLE_EQ(fish.StandX, c.PathX - 30);
        EXPECT_DOUBLE_EQ(fish.StandY, c.PathY - 100);
    }
}

TEST_F(BeltMotionTest, PendingPartsFadesAndHintsArriveOnTime)
{
    TFish& fish = Put(5000);
    fish.TargetParts = PartsFromDigits("12");
    fish.ApplyPartsAt = kNow + 10;
    fish.Fade = {true, 0, 255, kNow - 50, 100};
    TFish& instant = Put(3000);
    instant.Fade = {true, 0, 255, kNow, 0};

    TickFishes(*level, Frame(kNow, 0, TLevelMode::Halted));
    EXPECT_EQ(PartDigits(level->Belt.Fishes[0].Parts), "1");
    EXPECT_EQ(level->Belt.Fishes[0].Alpha, 128);
    EXPECT_EQ(level->Belt.Fishes[1].Alpha, 255);
    EXPECT_FALSE(level->Belt.Fishes[1].Fade.Running);
    EXPECT_EQ(events.Selects, 1);

    TickFishes(*level, Frame(kNow + 10, 0, TLevelMode::Halted));
    EXPECT_EQ(PartDigits(level->Belt.Fishes[0].Parts), "12");
    EXPECT_EQ(level->Belt.Fishes[0].PictureName, "FishkaTypes0_12.png");
    EXPECT_EQ(level->Belt.Fishes[0].ApplyPartsAt, -1);
    EXPECT_EQ(events.Selects, 3);  // each frame, and once more for the changed piece

    level->Times.TimeLeft = 30000;
    level->Belt.Fishes.clear();
    Put(9600);
    TFish& bag = Put(4000);
    bag.Kind = TFishKind::MoneyBag;
    bag.AppearTime = now;
    bag.BlinkAt = now + 10;
    Run(3);
    EXPECT_EQ(events.Hints, (std::vector<std::string>{"Script_HintFallKostum.xml", "Script_HintMoneyBag.xml"}));
}

TEST_F(BeltMotionTest, ABeltWithoutAUsablePathDoesNothing)
{
    for (const char* script : {"Set Linear; Path (5,5);", "Set Linear; Path (5,5) (5,5);", "Set Timing 0; Path (0,0) (9,9);"}) {
        SCOPED_TRACE(script);
        level->Lentas[0].SetPathScript(script);
        level->Belt.RuleBirths = true;
        level->Belt.Fishes.clear();
        Run(3);
        EXPECT_TRUE(level->Belt.Fishes.empty());
        EXPECT_EQ(BeltFill(*level), 0);
        Put(500);
        Run(3);
        EXPECT_EQ(Positions(), (std::vector<int32_t>{500}));
    }
    EXPECT_TRUE(testLog.Lines.empty());
}

TEST_F(BeltMotionTest, RemovingAPieceKeepsTheSelectionOnItsPiece)
{
    struct TCase {
        int32_t Selected, Removed, After;
    };
    for (const TCase& c : {TCase{3, 1, 2}, TCase{3, 3, -1}, TCase{1, 3, 1}, TCase{-1, 0, -1}}) {
        level->Belt.Fishes.clear();
        for (int32_t p : {8000, 6000, 4000, 2000})
            Put(p);
        level->Belt.SelectedIndex = c.Selected;
        DeleteFishes(*level, c.Removed);
        EXPECT_EQ(level->Belt.SelectedIndex, c.After) << c.Selected << " " << c.Removed;
    }
    DeleteFishes(*level, 7);
    EXPECT_EQ(testLog.Lines, (std::vector<std::string>{"Error TLevel.DeleteFishes"}));
}

}  // namespace
