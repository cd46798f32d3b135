// The bonus box: lines, swaps refused and made, what a step collects and pays, cascades
// and refills (a box of one kind among them), a box with no move left, and clicks and drags
// that land outside the grid.
#include "LevelPlayTestKit.h"

#include "gameplay/BonusBox.h"
#include "gameplay/LevelFrame.h"
#include "gameplay/LevelResults.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kCell = 50;
const TPoint kShift{100, 100};

class BonusBoxTest : public TPlayFixture {
protected:
    BonusBoxTest()
    {
        level->Lentas.clear();
        level->Scene.Bonus = true;
        level->LevelFishes = {0, 1, 2};
        level->Box.CellWidth = kCell;
        level->Box.CellHeght = kCell;
        level->Box.BoxShift = kShift;
        level->Goals = {0, 10, 30, 20};
        level->Play.Flow.CompleteNeed = 100;
        windows.ShowModal("WGame");
    }

    // The box from rows of letters: A, B, C... are the level's types (part 1), '.' empty.
    void Grid(const std::vector<std::string>& rows)
    {
        box = TBonusBox{};
        box.Height = static_cast<int32_t>(rows.size());
        box.Width = static_cast<int32_t>(rows.front().size());
        level->Box.BoxWidth = static_cast<uint8_t>(box.Width);
        level->Box.BoxHeght = static_cast<uint8_t>(box.Height);
        box.Cells.assign(static_cast<size_t>(box.Width * box.Height), TBoxCell{});
        for (int32_t r = 1; r <= box.Height; ++r)
            for (int32_t c = 1; c <= box.Width; ++c) {
                const char k = rows[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)];
                TBoxCell& cell = *box.Cell({c, r});
                if (k == '.')
                    continue;
                cell.TypeIndex = k - 'A';
                cell.Parts = SinglePart(1);
                cell.PictureName = "FishkaTypes" + std::to_string(cell.TypeIndex) + ".png";
                cell.FallY = BoxCellPos(*level, {c, r}).Y;
            }
        box.Filled = true;
    }

    std::string Row(int32_t r) const
    {
        std::string row;
        for (int32_t c = 1; c <= box.Width; ++c) {
            const TBoxCell& cell = *box.Cell({c, r});
            row += cell.Empty() ? '.' : static_cast<char>('A' + cell.TypeIndex);
        }
        return row;
    }

    void Running(int32_t levelTime = 60000)
    {
        TLevelFlow& flow = level->Play.Flow;
        flow.Phase = TLevelPhase::Running;
        flow.InputEnabled = true;
        flow.Paused = false;
        level->Times.LevelTime = level->Times.TimeLeft = levelTime;
        level->Times.LevelStart = clock.NowMs();
        level->Times.CompleteAt = level->Times.FailAt = 0;
    }

    // Frames of 20 ms of the bonus day.
    void Play(int64_t ms)
    {
        for (int64_t t = 0; t < ms; t += 20) {
            clock.Advance(20);
            TickBoxMovePiecesTimer(*level, game, box, Frame(clock.NowMs(), 20));
        }
    }

    TPoint Centre(TCellPos cell) const
    {
        const TPoint p = BoxCellPos(*level, cell);
        return {p.X + kCell / 2, p.Y + kCell / 2};
    }

    TBonusBox box;
};

struct TLineCase {
    const char* Name;
    std::vector<std::string> Rows;
    TCellPos Cell;
    size_t Expected;  // cells of FindLine, the cell itself included
};

TEST_F(BonusBoxTest, FindLineCountsRunsOfThreeOrMoreThroughTheCell)
{
    const TLineCase cases[] = {
        {"a pair is no line", {"AAB", "BCC", "CBA"}, {1, 1}, 1},
        {"three in a row", {"AAA", "BCB", "CBC"}, {2, 1}, 3},
        {"three in a column", {"ABC", "ACB", "ABB"}, {1, 3}, 3},
        {"four in a row from its end", {"AAAA", "BCBC"}, {4, 1}, 4},
        {"a cross of two threes", {"BAB", "AAA", "BAB"}, {2, 2}, 5},
        {"an L counts both arms", {"ABB", "ACB", "AAA"}, {1, 3}, 5},
        {"an empty cell is no line", {"A.A", "BCB"}, {2, 1}, 1},
        {"outside the box is no line", {"AAA"}, {9, 9}, 1},
    };
    for (const TLineCase& c : cases) {
        Grid(c.Rows);
        EXPECT_EQ(FindLine(box, c.Cell).size(), c.Expected) << c.Name;
    }
}

TEST_F(BonusBoxTest, SameTypeWithOtherPartsIsNoLine)
{
    Grid({"AAA", "BCB"});
    box.Cell({2, 1})->Parts = SinglePart(2);
    EXPECT_EQ(FindLine(box, {1, 1}).size(), 1u);
}

TEST_F(BonusBoxTest, ARefusedSwapFliesBackAndLocksBothCellsFor800Ms)
{
    Grid({"ABC", "CAB", "BCA"});
    Running();
    const int64_t now = clock.NowMs();
    box.SelectedCell = {1, 1};
    EXPECT_FALSE(TryMove(*level, game, box, {1, 1}, {2, 1}, now));
    EXPECT_EQ(Row(1), "ABC");
    EXPECT_EQ(box.Cell({1, 1})->LockedUntil, now + 800);
    EXPECT_EQ(box.Cell({2, 1})->LockedUntil, now + 800);
    EXPECT_FALSE(box.SelectedCell.Valid());
    EXPECT_EQ(box.ResolveAt, 0);
    EXPECT_EQ(effects.Flights, (std::vector<std::string>{"Move1", "Move2", "Move3", "Move4"}));
    // Locked cells cannot be tried again until the pieces are back.
    EXPECT_FALSE(TryMove(*level, game, box, {1, 2}, {1, 1}, now + 500));
    EXPECT_EQ(Row(2), "CAB");
}

TEST_F(BonusBoxTest, AValidSwapExchangesTheCellsAndResolves400MsLater)
{
    Grid({"ABA", "CAB", "BCC"});
    Running();
    const int64_t now = clock.NowMs();
    ASSERT_TRUE(TryMove(*level, game, box, {2, 1}, {2, 2}, now));
    EXPECT_EQ(Row(1), "AAA");
    EXPECT_EQ(Row(2), "CBB");
    EXPECT_EQ(box.ResolveAt, now + 400);
    EXPECT_EQ(box.SelectedCell, (TCellPos{2, 2}));
    Play(420);
    EXPECT_EQ(box.Collected, 3);
    EXPECT_EQ(level->Play.Score.LevelScore, 3);
}

struct TCollectCase {
    const char* Name;
    std::vector<std::string> Rows;
    TCellPos A, B;
    int32_t Collected;
    const char* Sound;
    const char* Effect;  // nullptr: none
};

TEST_F(BonusBoxTest, AStepPaysOnePointPerPieceAndCelebratesBySize)
{
    const TCollectCase cases[] = {
        {"three: a swap sound", {"ABAC", "CABC", "BCCA"}, {2, 1}, {2, 2}, 3, "Swap", nullptr},
        {"four: great", {"AABA", "CCAB", "BBCC"}, {3, 1}, {3, 2}, 4, "GBonusGreat", "efBonusGreat.xml"},
        {"two threes crossing: excellent",
         {"BCAC", "AABA", "BCAB", "CBCA"},
         {3, 2},
         {4, 2},
         5,
         "GBonusExcellent",
         "efBonusExcellent.xml"},
    };
    for (const TCollectCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Grid(c.Rows);
        level->Play.Score = TLevelScoring{};
        sounds.Events.clear();
        effects.Effects.clear();
        Running();
        ASSERT_TRUE(TryMove(*level, game, box, c.A, c.B, clock.NowMs()));
        clock.Advance(400);
        ResolveSwap(*level, game, box, clock.NowMs());
        EXPECT_EQ(box.Collected, c.Collected);
        EXPECT_EQ(level->Play.Score.LevelScore, c.Collected);
        EXPECT_NE(std::find(sounds.Events.begin(), sounds.Events.end(), c.Sound), sounds.Events.end());
        if (c.Effect) {
            EXPECT_EQ(effects.Count(c.Effect), 1);
        }
        EXPECT_EQ(effects.Count("efBlickOnCombinedFishkas.xml"), c.Collected);
    }
}

TEST_F(BonusBoxTest, CollectedCellsEmptyFallAndRefillAndTheRegisterFollows)
{
    Grid({"BCB", "ABA", "CAC", "BCB"});
    Running();
    ASSERT_TRUE(TryMove(*level, game, box, {2, 2}, {2, 3}, clock.NowMs()));
    EXPECT_EQ(Row(2), "AAA");
    Play(400);  // resolved: the line shines
    EXPECT_EQ(box.Collected, 3);
    EXPECT_EQ(box.CashPercent, 0);
    Play(1600);  // emptied, fallen, refilled; the register shows 3 of 100
    for (int32_t r = 1; r <= box.Height; ++r)
        for (int32_t c = 1; c <= box.Width; ++c) {
            EXPECT_FALSE(box.Cell({c, r})->Empty()) << c << "," << r;
            EXPECT_FALSE(box.Cell({c, r})->Falling) << c << "," << r;
        }
    // The row above the line fell into it.
    EXPECT_EQ(Row(2), "BCB");
    EXPECT_EQ(box.CashPercent, 3);
    EXPECT_NE(std::find(sounds.Events.begin(), sounds.Events.end(), "Fall"), sounds.Events.end());
}

TEST_F(BonusBoxTest, ReachingTheCountCompletesTheDayOneSecondLaterWithItsPrize)
{
    level->Play.Flow.CompleteNeed = 3;
    Grid({"ABAC", "CABC", "BCCA"});
    Running();
    ASSERT_TRUE(TryMove(*level, game, box, {2, 1}, {2, 2}, clock.NowMs()));
    clock.Advance(400);
    ResolveSwap(*level, game, box, clock.NowMs());
    EXPECT_EQ(level->Times.CompleteAt, clock.NowMs() + 1000);
    EXPECT_EQ(box.CashQueue.back().Percent, 100);
    // The prize goes into the till as the day is won, beside the pieces' points.
    level->Goals.Prize = 150;
    Play(1020);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Complete);
    EXPECT_EQ(level->Play.Score.LevelScore, 3 + 150);
}

TEST_F(BonusBoxTest, WithoutACountTheRegisterIsFullAndOnlyTheTimeEndsTheDay)
{
    level->Play.Flow.CompleteNeed = 0;
    Grid({"ABAC", "CABC", "BCCA"});
    Running();
    ASSERT_TRUE(TryMove(*level, game, box, {2, 1}, {2, 2}, clock.NowMs()));
    clock.Advance(400);
    ResolveSwap(*level, game, box, clock.NowMs());
    EXPECT_EQ(level->Times.CompleteAt, 0);
    EXPECT_EQ(box.CashQueue.back().Percent, 100);
}

TEST_F(BonusBoxTest, ABoxOfOneKindFillsEndsItsCascadesAndTheDayEndsAtTheTime)
{
    // A token type of one part: every new token is the same kind.
    std::string withToken = kTestTypes;
    withToken.insert(withToken.rfind("</FishkaTypes>"),
                     R"(<FishkaType Name="Box_Bow" FileName="Box_Bow" PieceCount="1" Style="bonus" />)");
    types.LoadFishkaTypesText(withToken, testLog.log);
    level->LevelFishes = {5};
    level->Box.BoxWidth = 6;
    level->Box.BoxHeght = 6;
    level->Play.Flow.CompleteNeed = 0;  // only the time ends this day
    FillBoxByFishes(*level, box);
    ASSERT_TRUE(box.Filled);
    for (const TBoxCell& cell : box.Cells)
        EXPECT_EQ(cell.TypeIndex, 5);
    Running(400000);
    Play(2000);  // everything landed; a box of lines still has moves
    ASSERT_EQ(level->Play.Flow.Phase, TLevelPhase::Running);
    ASSERT_TRUE(TryMove(*level, game, box, {1, 1}, {2, 1}, clock.NowMs()));
    // Every refill makes new lines, yet the cascade stops and the box comes to rest.
    Play(150000);
    EXPECT_EQ(box.CascadeSteps, 64);
    EXPECT_EQ(box.ResolveAt, 0);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Running);
    Play(300000);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Complete);
}

TEST_F(BonusBoxTest, FillingWithTwoTypesEndsWithoutReadyMadeLines)
{
    level->Box.BoxWidth = 8;
    level->Box.BoxHeght = 8;
    level->LevelFishes = {0, 1};
    FillBoxByFishes(*level, box);
    for (int32_t c = 1; c <= box.Width; ++c)
        for (int32_t r = 1; r <= box.Height; ++r) {
            EXPECT_TRUE(box.Cell({c, r})->TypeIndex == 0 || box.Cell({c, r})->TypeIndex == 1);
            EXPECT_EQ(FindLine(box, {c, r}).size(), 1u) << c << "," << r;
        }
}

TEST_F(BonusBoxTest, PutFishesDigitsNameTheLevelsTypesAndBadDigitsFallBackToRandom)
{
    level->Box.BoxWidth = 3;
    level->Box.BoxHeght = 1;
    level->Box.PutFishes.assign(4, std::vector<TPutFish>(2));
    level->Box.PutFishes[1][1] = {2, true};  // "12" keeps its last digit: the second type
    level->Box.PutFishes[2][1] = {0, true};  // no type 0
    level->Box.PutFishes[3][1] = {9, true};  // beyond the level's three types
    FillBoxByFishes(*level, box);
    EXPECT_EQ(box.Cell({1, 1})->TypeIndex, 1);
    EXPECT_EQ(box.Cell({1, 1})->Parts, SinglePart(1));
    for (int32_t c : {2, 3}) {
        const int32_t type = box.Cell({c, 1})->TypeIndex;
        EXPECT_TRUE(type >= 0 && type <= 2) << c;
    }
}

TEST_F(BonusBoxTest, ABoxWithoutAMoveFailsTheDayAtOnceWithTheNoMoveNote)
{
    Grid({"AAB", "AAB", "BCC"});
    ASSERT_FALSE(HasPossibleMove(box));
    Running();
    Play(20);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Failed);
    EXPECT_EQ(windows.Value("WBonusLevelFailed_LNoMove", "Visible"), "True");
    EXPECT_EQ(windows.Value("WBonusLevelFailed_LNoTime", "Visible"), "False");
}

TEST_F(BonusBoxTest, ABoxWithAMoveIsNotFailed)
{
    Grid({"ABA", "CAB", "BCC"});
    ASSERT_TRUE(HasPossibleMove(box));
    TCellPos a, b;
    ASSERT_TRUE(BestMove(box, a, b));
    EXPECT_TRUE(AreNeighbours(a, b));
    Running();
    Play(20);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Running);
}

struct TTimeOutCase {
    int32_t Collected;
    TLevelPhase Expected;
};

TEST_F(BonusBoxTest, AtTheTimeTheDayIsWonFromTheBasicGoal)
{
    for (const TTimeOutCase& c : {TTimeOutCase{9, TLevelPhase::Failed}, TTimeOutCase{10, TLevelPhase::Complete}}) {
        Grid({"ABA", "CAB", "BCC"});
        box.Collected = c.Collected;
        level->Play.Score.LevelScore = c.Collected;
        level->Goals.Prize = 150;
        Running(1000);
        Play(1100);
        EXPECT_EQ(level->Play.Flow.Phase, c.Expected) << c.Collected;
        // A lost day earns its pieces but not the prize.
        EXPECT_EQ(level->Play.Score.LevelScore, c.Collected + (c.Expected == TLevelPhase::Complete ? 150 : 0));
    }
}

TEST_F(BonusBoxTest, ClicksAndDragsOutsideTheGridChangeNothing)
{
    Grid({"ABA", "CAB", "BCC"});
    Running();
    const TRect r = BoxRect(*level, box);
    const TPoint outside[] = {{0, 0}, {799, 599}, {r.Left - 1, r.Top}, {r.Left, r.Top - 1}, {r.Right, r.Top},
                              {r.Left, r.Bottom}, {-5, -5}, {r.Right + 1000, r.Bottom + 1000}};
    for (TPoint p : outside) {
        EXPECT_FALSE(BoxCellAt(*level, box, p.X, p.Y).Valid()) << p.X << "," << p.Y;
        LeftMouseDownInGamePlayBox(*level, game, box, p.X, p.Y);
        BoxMouseMove(*level, game, box, p.X, p.Y);
        LeftMouseUpInGame(*level, game, box, p.X, p.Y);
        EXPECT_FALSE(box.SelectedCell.Valid());
    }
    // A drag from a cell out of the box, and from outside into it.
    const TPoint a = Centre({2, 1});
    LeftMouseDownInGamePlayBox(*level, game, box, a.X, a.Y);
    BoxMouseMove(*level, game, box, 0, 0);
    LeftMouseUpInGame(*level, game, box, 799, 599);
    LeftMouseDownInGamePlayBox(*level, game, box, 799, 599);
    BoxMouseMove(*level, game, box, Centre({2, 2}).X, Centre({2, 2}).Y);
    EXPECT_EQ(Row(1), "ABA");
    EXPECT_EQ(Row(2), "CAB");
    EXPECT_EQ(box.ResolveAt, 0);
}

TEST_F(BonusBoxTest, CellsOfNoSizeTakeNoClick)
{
    Grid({"ABA", "CAB", "BCC"});
    level->Box.CellWidth = 0;
    EXPECT_FALSE(BoxCellAt(*level, box, kShift.X, kShift.Y).Valid());
}

TEST_F(BonusBoxTest, ClickThenNeighbourClickAndADragBothSwap)
{
    Grid({"ABA", "CAB", "BCC"});
    Running();
    LeftMouseDownInGamePlayBox(*level, game, box, Centre({2, 1}).X, Centre({2, 1}).Y);
    LeftMouseUpInGame(*level, game, box, Centre({2, 1}).X, Centre({2, 1}).Y);
    EXPECT_EQ(box.SelectedCell, (TCellPos{2, 1}));
    LeftMouseDownInGamePlayBox(*level, game, box, Centre({2, 2}).X, Centre({2, 2}).Y);
    EXPECT_EQ(Row(1), "AAA");

    Grid({"ABA", "CAB", "BCC"});
    Running();
    LeftMouseDownInGamePlayBox(*level, game, box, Centre({2, 1}).X, Centre({2, 1}).Y);
    BoxMouseMove(*level, game, box, Centre({2, 2}).X, Centre({2, 2}).Y);
    EXPECT_EQ(Row(1), "AAA");
}

TEST_F(BonusBoxTest, ARefusedDragLetsGoOfTheSelection)
{
    Grid({"ABC", "CAB", "BCA"});
    Running();
    LeftMouseDownInGamePlayBox(*level, game, box, Centre({1, 1}).X, Centre({1, 1}).Y);
    BoxMouseMove(*level, game, box, Centre({2, 1}).X, Centre({2, 1}).Y);
    EXPECT_FALSE(box.SelectedCell.Valid());
    EXPECT_EQ(Row(1), "ABC");
}

TEST_F(BonusBoxTest, TheRegisterRingsStandAtTheGoalsShareOfTheScale)
{
    level->Play.Flow.CompleteNeed = 150;
    level->Goals = {0, 65, 125, 95};
    SetCashRegisterGoals(*level, box, 90, 270);
    EXPECT_EQ(box.RingY[0], 90 + 270 - 117);  // 65 of 150
    EXPECT_EQ(box.RingY[1], 90 + 270 - 171);  // 95 of 150
    EXPECT_EQ(box.RingY[2], 90 + 270 - 225);  // 125 of 150
    level->Play.Flow.CompleteNeed = 0;
    SetCashRegisterGoals(*level, box, 90, 270);
    EXPECT_EQ(box.RingY[0], 90);
}

TEST_F(BonusBoxTest, APauseMovesEveryPendingTimeOfTheBox)
{
    Grid({"ABA", "CAB", "BCC"});
    box.ResolveAt = 1000;
    box.Cell({1, 1})->RemoveAt = 2000;
    box.Cell({1, 2})->LockedUntil = 3000;
    box.CashQueue.push_back({4000, 10});
    ShiftBox(box, 500);
    EXPECT_EQ(box.ResolveAt, 1500);
    EXPECT_EQ(box.Cell({1, 1})->RemoveAt, 2500);
    EXPECT_EQ(box.Cell({1, 2})->LockedUntil, 3500);
    EXPECT_EQ(box.Cell({2, 2})->RemoveAt, -1);
    EXPECT_EQ(box.CashQueue.front().At, 4500);
}

}  // namespace
