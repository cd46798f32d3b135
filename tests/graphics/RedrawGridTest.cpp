// The redraw grid, the background restore under marked cells, and the rectangle copies
// that present a frame.
#include "GraphicsTestKit.h"

#include "foundation/QelLog.h"
#include "graphics/RedrawGrid.h"

namespace {

std::vector<std::pair<int, int>> MarkedCells(const TRedrawGrid& g)
{
    std::vector<std::pair<int, int>> cells;
    for (int r = 1; r <= TRedrawGrid::kRows; ++r)
        for (int c = 1; c <= TRedrawGrid::kColumns; ++c)
            if (g.Count(c, r) != 0)
                cells.emplace_back(c, r);
    return cells;
}

class TFakeInterface final : public IRedrawRectSource {
public:
    std::vector<TRect> All, Changed;
    void GetAllRects(std::vector<TRect>& rects) override { rects.insert(rects.end(), All.begin(), All.end()); }
    void GetChangedRects(std::vector<TRect>& rects) override
    {
        rects.insert(rects.end(), Changed.begin(), Changed.end());
    }
};

}  // namespace

TEST(RedrawGrid, MarksCoverCellsWithRightAndBottomInsideAndClampToTheGrid)
{
    struct Case {
        TRect Rect;
        size_t Cells;
        std::pair<int, int> First, Last;
    };
    const Case cases[] = {
        {{0, 0, 20, 20}, 4, {1, 1}, {2, 2}},
        {{-50, -50, -5, -5}, 1, {1, 1}, {1, 1}},
        {{0, 0, 799, 599}, 1200, {1, 1}, {40, 30}},
        {{0, 0, 800, 600}, 1200, {1, 1}, {40, 30}},
        {{790, 590, 5000, 5000}, 1, {40, 30}, {40, 30}},
        {{30, 10, 10, 30}, 0, {}, {}},
    };
    for (const Case& c : cases) {
        TRedrawGrid g;
        g.FillRedrawGrid(c.Rect, 2);
        const auto cells = MarkedCells(g);
        ASSERT_EQ(cells.size(), c.Cells) << c.Rect.Left << "," << c.Rect.Top;
        if (!cells.empty()) {
            EXPECT_EQ(cells.front(), c.First);
            EXPECT_EQ(cells.back(), c.Last);
        }
    }
}

TEST(RedrawGrid, ALaterSmallerMarkLowersTheCount)
{
    TRedrawGrid g;
    g.FillRedrawGrid(100, 100, 110, 110, 2);
    g.FillRedrawGrid(100, 100, 110, 110, 1);
    EXPECT_EQ(g.Count(6, 6), 1u);
    g.SetRedrawGrid(2);
    EXPECT_EQ(MarkedCells(g).size(), 1200u);
}

TEST(RedrawGrid, RectanglesFollowRunsOfMarkedCellsAndCountDown)
{
    TRedrawGrid g;
    g.SetRedrawGrid(2);
    auto rects = g.MakeRedrawRectsFromGrid();
    ASSERT_EQ(rects.size(), 30u);
    EXPECT_EQ(rects[0], (TRect{0, 0, 800, 20}));
    EXPECT_EQ(rects[29], (TRect{0, 580, 800, 600}));
    EXPECT_EQ(g.Count(17, 9), 1u);
    rects = g.MakeRedrawRectsFromGrid();
    EXPECT_EQ(rects.size(), 30u);
    EXPECT_TRUE(MarkedCells(g).empty());
    EXPECT_TRUE(g.MakeRedrawRectsFromGrid().empty());

    // Every other cell of every row: 600 rectangles, the list's capacity.
    for (int r = 1; r <= 30; ++r)
        for (int c = 1; c <= 40; c += 2)
            g.SetCount(c, r, 1);
    EXPECT_EQ(g.MakeRedrawRectsFromGrid().size(), static_cast<size_t>(TRedrawGrid::kMaxRects));
    g.SetCount(3, 2, 1);
    g.SetCount(4, 2, 1);
    g.SetCount(40, 2, 1);
    rects = g.MakeRedrawRectsFromGrid();
    EXPECT_EQ(rects, (std::vector<TRect>{{40, 20, 80, 40}, {780, 20, 800, 40}}));
    g.ClearFrameLists();
    EXPECT_TRUE(g.RedrawRects().empty());
}

class TGridDepths : public TBothDepths {
protected:
    void SetUp() override
    {
        MakeFilled(E(), "BackGround", 800, 600, 5);
        MakeFilled(E(), "MemorySurface", 800, 600, 9);
    }
};

TEST_P(TGridDepths, BackgroundIsRestoredUnderMarksAndInterfaceAndTheNextColumnIsMarked)
{
    TRedrawGrid g;
    TFakeInterface ui;
    ui.All = {{400, 300, 410, 305}};
    ui.Changed = {{0, 580, 5, 585}};
    for (int c = 3; c <= 5; ++c)
        g.SetCount(c, 1, 2);
    for (int c = 38; c <= 40; ++c)
        g.SetCount(c, 2, 2);
    g.DrawBackgroundByGrid(E(), &ui);
    EXPECT_EQ(g.Count(6, 1), 1u);   // right of the run 3..5
    EXPECT_EQ(g.Count(5, 1), 2u);   // not counted down
    EXPECT_EQ(g.Count(40, 2), 1u);  // a run reaching the last column leaves it at 1
    EXPECT_EQ(g.Count(39, 2), 2u);
    EXPECT_EQ(g.Count(1, 30), 2u);  // changed interface rectangles are marked
    EXPECT_EQ(PixelAt(E(), "MemorySurface", 40, 0), 5u);
    EXPECT_EQ(PixelAt(E(), "MemorySurface", 99, 19), 5u);
    EXPECT_EQ(PixelAt(E(), "MemorySurface", 100, 0), 9u);
    EXPECT_EQ(PixelAt(E(), "MemorySurface", 799, 39), 5u);
    EXPECT_EQ(PixelAt(E(), "MemorySurface", 405, 302), 5u);
    EXPECT_EQ(PixelAt(E(), "MemorySurface", 410, 302), 9u);
    EXPECT_EQ(PixelAt(E(), "MemorySurface", 0, 590), 5u);
}

TEST_P(TGridDepths, BlitRectsDropsRectanglesOutsideTheScreenAndCopiesTheRest)
{
    MakeFilled(E(), "Back", 800, 600, 0);
    const std::vector<TRect> rects = {{-1, 0, 10, 10}, {0, 0, 801, 10}, {20, 30, 40, 50}, {0, 590, 3, 601}};
    E().BlitRects(*E().FindSurface("Back"), *E().FindSurface("MemorySurface"), rects);
    EXPECT_EQ(PixelAt(E(), "Back", 0, 0), 0u);
    EXPECT_EQ(PixelAt(E(), "Back", 20, 30), 9u);
    EXPECT_EQ(PixelAt(E(), "Back", 39, 49), 9u);
    EXPECT_EQ(PixelAt(E(), "Back", 40, 49), 0u);
    EXPECT_EQ(PixelAt(E(), "Back", 0, 595), 0u);

    TMemoryDisplay display(Bits());
    E().BlitRects(display, "MemorySurface", rects);
    EXPECT_EQ(display.Copied, (std::vector<TRect>{{20, 30, 40, 50}}));
    EXPECT_EQ(display.Presents, 1);
    const int bpp = Bits() / 8;
    EXPECT_EQ(display.Frame[static_cast<size_t>((30 * 800 + 20) * bpp)], 9);
    EXPECT_EQ(display.Frame[0], 0);
}

TEST_P(TGridDepths, CopyToScreenShowsTheWholeFrameOrLogsWithoutOne)
{
    TManualClock clock;
    TGameLog log({}, clock);
    std::vector<std::string> lines;
    log.Listener = [&](const std::string& m, const std::string&) { lines.push_back(m); };
    E().SetGameLog(&log);
    TMemoryDisplay display(Bits());
    CopyMemorySurfaceToScreen(E(), display, &log);
    EXPECT_EQ(display.Copied, (std::vector<TRect>{{0, 0, 800, 600}}));
    EXPECT_EQ(display.Frame[0], 9);
    E().DeleteSurface("MemorySurface");
    CopyMemorySurfaceToScreen(E(), display, &log);
    E().BlitRects(display, "MemorySurface", std::vector<TRect>{});
    EXPECT_EQ(lines, (std::vector<std::string>{"TQelGameEngine.CopyMemorySurfaceToScreen ind=-1",
                                               "Error TSurfEngine.BlitRects"}));
    EXPECT_EQ(display.Presents, 1);
}

INSTANTIATE_TEST_SUITE_P(Depths, TGridDepths, ::testing::Values(16, 32), DepthName);
