// The pixel search: which heap pictures can be found, the slots of the panel, a find
// completing an outfit and the day, clicks on the panel, and the penalty for misses in a
// hurry with its window shown once.
#include "LevelPlayTestKit.h"

#include "gameplay/LevelFrame.h"
#include "gameplay/PixelSearch.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kHeapSize = 60;

class PixelSearchTest : public TPlayFixture {
protected:
    PixelSearchTest()
    {
        level->Lentas.clear();
        level->Scene.LevelState = TLevelState::lsPixel;
        level->LevelFishes = {0, 3};  // Dress_2 (two parts), Hat_3 (three parts)
        level->CountCompleteFishes = {1, 2};
        level->Play.Flow.CompleteNeed = 3;
        windows.ShowModal("WGame");
    }

    void AddHeap(const std::string& file, TPoint pos)
    {
        tHeapRec heap;
        heap.FileName = file;
        heap.Pos = pos;
        level->Scene.HeapPictures.push_back(heap);
        pictures.Sizes[file] = {kHeapSize, kHeapSize};
    }

    void Prepare()
    {
        PrepareHeaps(*level, game, search);
        TLevelFlow& flow = level->Play.Flow;
        flow.Phase = TLevelPhase::Running;
        flow.InputEnabled = true;
        flow.Paused = false;
        level->Times.LevelTime = level->Times.TimeLeft = 60000;
        level->Times.LevelStart = clock.NowMs();
    }

    void Play(int64_t ms)
    {
        for (int64_t t = 0; t < ms; t += 20) {
            clock.Advance(20);
            TickPixel(*level, game, search, Frame(clock.NowMs(), 20));
        }
    }

    TPoint Centre(size_t heap) const
    {
        const tHeapRec& h = level->Scene.HeapPictures[heap];
        return {h.Pos.X + kHeapSize / 2, h.Pos.Y + kHeapSize / 2};
    }

    int Count(const std::vector<std::string>& list, const std::string& name) const
    {
        return static_cast<int>(std::count(list.begin(), list.end(), name));
    }

    TPixelSearch search;
};

struct TFindableCase {
    const char* File;
    bool Findable;
    int32_t Type;
    int32_t Part;
};

TEST_F(PixelSearchTest, AHeapIsFindableWhenItsNameEndsInATypeAndOnePartDigit)
{
    const TFindableCase cases[] = {
        {"Dress_2_1.png", true, 0, 1},  {"Hat_3_3.png", true, 3, 3},    {"Gown_4_8.png", true, 4, 8},
        {"Dress_2_12.png", false, 0, 0}, {"Dress_2_0.png", false, 0, 0}, {"Dress_2_9.png", false, 0, 0},
        {"Dress_2.png", false, 0, 0},    {"Nope_2_1.png", false, 0, 0},  {"Dress_2_.png", false, 0, 0},
        {"Shelf.png", false, 0, 0},
    };
    for (const TFindableCase& c : cases) {
        int32_t type = -1, part = 0;
        EXPECT_EQ(ParseFindable(*level, c.File, type, part), c.Findable) << c.File;
        if (c.Findable) {
            EXPECT_EQ(type, c.Type) << c.File;
            EXPECT_EQ(part, c.Part) << c.File;
        }
    }
}

TEST_F(PixelSearchTest, SlotsStandAcrossThePanelEachLaterTypeOffScreen)
{
    Prepare();
    ASSERT_EQ(search.Targets.size(), 3u);
    const int32_t spacing = (615 - 185) / 2;
    EXPECT_EQ(search.Spacing, spacing);
    EXPECT_EQ(search.Targets[0].X, 185 + spacing / 2);
    EXPECT_EQ(search.Targets[1].X, 185 + spacing / 2 + 800);
    EXPECT_EQ(search.Targets[2].X, 185 + spacing / 2 + spacing + 800);
    EXPECT_EQ(search.Targets[0].Y, 463 + 20);
    EXPECT_EQ(search.Targets[2].Guide, "PPanel2");
    EXPECT_EQ(Count(maker.Scaled, "Hat_3_123.png>PPanel1"), 1);
    EXPECT_EQ(search.Remaining, 3);
    EXPECT_EQ(windows.Value("WGame_TFPixel", "Top"), "463");
}

TEST_F(PixelSearchTest, WithoutOutfitCountsThereAreNoSlots)
{
    level->CountCompleteFishes = {0, 0};
    Prepare();
    EXPECT_TRUE(search.Targets.empty());
    level->CountCompleteFishes = {-3};
    Prepare();
    EXPECT_TRUE(search.Targets.empty());
}

TEST_F(PixelSearchTest, AnOutfitCountBeyondAnyPanelIsCutWithALogLine)
{
    level->CountCompleteFishes = {2000000000, 1};
    Prepare();
    EXPECT_EQ(search.Targets.size(), 64u + 1u);
    ASSERT_FALSE(testLog.Lines.empty());
    EXPECT_NE(testLog.Lines.front().find("Error PrepareHeaps"), std::string::npos);
}

TEST_F(PixelSearchTest, FindingBothPartsCompletesTheOutfitAndTheLastOneTheDay)
{
    AddHeap("Shelf.png", {0, 0});
    AddHeap("Dress_2_1.png", {100, 100});
    AddHeap("Dress_2_2.png", {200, 100});
    level->CountCompleteFishes = {1, 0};
    level->Play.Flow.CompleteNeed = 1;
    level->Goals.Prize = 200;
    Prepare();
    PixelClick(*level, game, search, Centre(1).X, Centre(1).Y);
    EXPECT_FALSE(search.Heaps[1].Active);
    EXPECT_EQ(search.Targets[0].Picture, "smallFishkaTypes0_1.png");
    EXPECT_EQ(Count(sounds.Events, "DressFound"), 1);
    PixelClick(*level, game, search, Centre(2).X, Centre(2).Y);
    EXPECT_EQ(search.Targets[0].Picture, "smallFishkaTypes0_12.png");
    Play(400);
    EXPECT_TRUE(search.Targets[0].Done);
    EXPECT_EQ(search.Remaining, 0);
    EXPECT_EQ(windows.Value("WGame_TFPixel_LCountValue", "Caption"), "0");
    EXPECT_EQ(Count(sounds.Events, "FullDress"), 1);
    Play(1600);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Complete);
    // Finds pay nothing; the won day pays its prize.
    EXPECT_EQ(level->Play.Score.LevelScore, 200);
    EXPECT_EQ(windows.Value("WGame_TFPixel_BHint", "Visible"), "False");
    EXPECT_EQ(windows.Value("WGame_TFPixel_BMenu", "Visible"), "False");
}

TEST_F(PixelSearchTest, APartAlreadyInItsSlotOrOfATypeNotOnThePanelIsAMiss)
{
    AddHeap("Dress_2_1.png", {100, 100});
    AddHeap("Dress_2_1.png", {200, 100});
    AddHeap("Hat_3_1.png", {300, 100});
    level->CountCompleteFishes = {1, 1};
    Prepare();
    PixelClick(*level, game, search, Centre(0).X, Centre(0).Y);
    PixelClick(*level, game, search, Centre(1).X, Centre(1).Y);
    PixelClick(*level, game, search, Centre(2).X, Centre(2).Y);
    EXPECT_TRUE(search.Heaps[1].Active);
    EXPECT_TRUE(search.Heaps[2].Active);
    EXPECT_EQ(search.Misses.size(), 2u);
}

TEST_F(PixelSearchTest, AClickNearAPictureStillFindsIt)
{
    AddHeap("Dress_2_1.png", {100, 100});
    Prepare();
    // Opaque only in the picture's middle; the click falls three pixels beside it.
    host.AlphaOf = [](const std::string&, int32_t x, int32_t y) { return x >= 20 && y >= 20 ? 255 : 0; };
    PixelClick(*level, game, search, 100 + 17, 100 + 17);
    EXPECT_FALSE(search.Heaps[0].Active);
    EXPECT_TRUE(search.Misses.empty());
}

TEST_F(PixelSearchTest, ClicksOnThePanelAreNoMisses)
{
    Prepare();
    for (TPoint p : {TPoint{400, 463}, TPoint{799, 599}, TPoint{0, 599}})
        PixelClick(*level, game, search, p.X, p.Y);
    EXPECT_TRUE(search.Misses.empty());
    EXPECT_EQ(Count(sounds.Events, "Error"), 0);
}

struct TPenaltyCase {
    const char* Name;
    std::vector<int64_t> Misses;  // ms after the first
    int32_t Penalties;
};

TEST_F(PixelSearchTest, FourMissesWithinThreeSecondsCostFiveSecondsThreeDoNot)
{
    const TPenaltyCase cases[] = {
        {"four in 1.5 s", {0, 500, 1000, 1500}, 1},
        {"four in exactly 3 s", {0, 1000, 2000, 3000}, 1},
        {"three", {0, 500, 1000}, 0},
        {"the first has gone stale", {0, 1000, 2000, 3001}, 0},
        {"eight in a hurry", {0, 100, 200, 300, 400, 500, 600, 700}, 2},
    };
    for (const TPenaltyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        player.HintsShown = {kPenaltyHint};  // the window is not the point here
        Prepare();
        const int64_t start = clock.NowMs();
        const int64_t levelStart = level->Times.LevelStart;
        for (int64_t at : c.Misses) {
            clock.Set(start + at);
            PixelClick(*level, game, search, 50, 50);
        }
        EXPECT_EQ(search.Penalties, c.Penalties);
        EXPECT_EQ(level->Times.LevelStart, levelStart - 5000 * c.Penalties);
        EXPECT_EQ(Count(sounds.Events, "Error") > 0, true);
        sounds.Events.clear();
        clock.Advance(10000);
    }
}

TEST_F(PixelSearchTest, ThePenaltyWindowOpensOnlyTheFirstTimeForThePlayer)
{
    Prepare();
    for (int i = 0; i < 4; ++i)
        PixelClick(*level, game, search, 50, 50);
    EXPECT_EQ(Count(windows.Shown, "WPenalty"), 1);
    EXPECT_TRUE(level->Play.Flow.Paused);
    EXPECT_EQ(host.Current, TLevelScreen::GameMenu);
    EXPECT_TRUE(player.HintShown(kPenaltyHint));
    windows.HideModal("WPenalty");
    ResumeLevel(*level, 0);
    for (int i = 0; i < 4; ++i)
        PixelClick(*level, game, search, 50, 50);
    EXPECT_EQ(Count(windows.Shown, "WPenalty"), 1);
    EXPECT_EQ(search.Penalties, 2);
}

TEST_F(PixelSearchTest, TheTimeOutFailsTheDayWithOutfitsLeft)
{
    AddHeap("Dress_2_1.png", {100, 100});
    Prepare();
    level->Times.LevelTime = 1000;
    Play(1100);
    EXPECT_EQ(level->Play.Flow.Phase, TLevelPhase::Failed);
    EXPECT_EQ(Count(windows.Shown, "WBonusLevelFailed"), 1);
}

TEST_F(PixelSearchTest, TheHintButtonMarksAFittingHeapAndWaitsItsTime)
{
    AddHeap("Hat_3_1.png", {300, 100});
    AddHeap("Dress_2_2.png", {100, 100});
    search.HintButtonDuration = 2000;
    Prepare();
    search.HintButtonDuration = 2000;
    WGame_TFPixel_BHint_MouseUp(*level, game, search);
    EXPECT_EQ(effects.Effects, (std::vector<std::string>{"efHintFishka.xml@130,130"}));
    EXPECT_EQ(windows.Value("WGame_TFPixel_BHint", "Enabled"), "False");
    WGame_TFPixel_BHint_MouseUp(*level, game, search);
    EXPECT_EQ(effects.Count("efHintFishka.xml"), 1);
    Play(2020);
    EXPECT_EQ(windows.Value("WGame_TFPixel_BHint", "Enabled"), "True");
}

TEST_F(PixelSearchTest, APauseMovesThePendingTimesOfTheSearch)
{
    search.Targets.resize(1);
    search.Targets[0].CheckAt = 1000;
    search.Misses = {200};
    search.SlideAt = 0;
    ShiftPixel(search, 300);
    EXPECT_EQ(search.Targets[0].CheckAt, 1300);
    EXPECT_EQ(search.Misses.front(), 500);
    EXPECT_EQ(search.SlideAt, 0);
}

}  // namespace
