// The bonus box, its register and the search picture as drawn: a token falling in is not
// seen above the box, a token under its flight is not drawn, the cursor marks the chosen
// cell, the coins fill the register to its percentage, the search picture leaves found
// heaps out and ticks done slots, and a heap's working picture is turned and mirrored.
#include "GameplayTestKit.h"

#include "foundation/DataSource.h"
#include "gameplay/BonusBox.h"
#include "gameplay/BonusBoxPainter.h"
#include "gameplay/PixelPainter.h"
#include "gameplay/PixelSearch.h"
#include "graphics/RedrawGrid.h"
#include "tests/graphics/GraphicsTestKit.h"

namespace {

constexpr const char* kFrame = "MemorySurface";
constexpr int32_t kCell = 40;

class BonusPixelPainterTest : public ::testing::TestWithParam<int> {
protected:
    BonusPixelPainterTest()
    {
        TLevelLinks links;
        links.Log = &testLog.log;
        level = std::make_unique<tLevel>(links);
        level->Box.BoxWidth = 2;
        level->Box.BoxHeght = 2;
        level->Box.CellWidth = kCell;
        level->Box.CellHeght = kCell;
        level->Box.BoxShift = {100, 100};
        level->Scene.Cursor.Name = "BoxCursor.png";
        box.Width = box.Height = 2;
        box.Cells.assign(4, TBoxCell{});
        MakeFilled(surfaces, kFrame, 800, 600, Black());
        MakeFilled(surfaces, "Token.png", kCell, kCell, Rgb(0, 200, 0), 255);
        MakeFilled(surfaces, "BoxCursor.png", kCell, kCell, Rgb(200, 0, 200), 255);
    }

    uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) const { return RgbToPixel(surfaces.Format(), r, g, b); }
    uint32_t Black() const { return Rgb(0, 0, 0); }
    uint32_t At(int x, int y, const char* surface = kFrame) const { return PixelAt(surfaces, surface, x, y); }

    TBoxCell& Token(TCellPos pos)
    {
        TBoxCell& cell = *box.Cell(pos);
        cell.TypeIndex = 0;
        cell.PictureName = "Token.png";
        cell.FallY = BoxCellPos(*level, pos).Y;
        return cell;
    }

    TTestLog testLog;
    TSurfEngine surfaces{TDisplayFormat::ForDepth(GetParam())};
    TRedrawGrid grid;
    TDataSource data{std::filesystem::path(GLIM_TEST_DATA)};
    std::unique_ptr<tLevel> level;
    TBonusBox box;
};

TEST_P(BonusPixelPainterTest, AFallingTokenIsSeenOnlyInsideTheBox)
{
    TBoxCell& falling = Token({1, 1});
    falling.Falling = true;
    falling.FallY = 100 - kCell / 2;  // half above the box
    TBonusBoxPainter painter(surfaces, grid, testLog.log);
    painter.DrawLevelBox(*level, box, kFrame, 0);
    EXPECT_EQ(At(110, 99), Black());
    EXPECT_EQ(At(110, 100), Rgb(0, 200, 0));
    EXPECT_EQ(At(110, 100 + kCell / 2 - 1), Rgb(0, 200, 0));
    EXPECT_EQ(At(110, 100 + kCell / 2 + 1), Black());
    EXPECT_TRUE(testLog.Lines.empty());
}

TEST_P(BonusPixelPainterTest, ATokenUnderItsFlightIsNotDrawnAndTheCursorMarksTheChosenCell)
{
    Token({1, 1}).BlinkAt = 500;
    Token({2, 2});
    box.SelectedCell = {1, 2};
    TBonusBoxPainter painter(surfaces, grid, testLog.log);
    painter.DrawLevelBox(*level, box, kFrame, 400);
    EXPECT_EQ(At(110, 110), Black());
    EXPECT_EQ(At(150, 150), Rgb(0, 200, 0));
    EXPECT_EQ(At(110, 150), Rgb(200, 0, 200));
    painter.DrawLevelBox(*level, box, kFrame, 500);
    EXPECT_EQ(At(110, 110), Rgb(0, 200, 0));
}

TEST_P(BonusPixelPainterTest, TheCoinsFillTheRegisterToItsPercentage)
{
    MakeFilled(surfaces, "CashRegisterCoins.png", 64, kCashScaleHeight, Rgb(230, 170, 40), 255);
    for (int percent : {0, 50, 100, 250}) {
        SCOPED_TRACE(percent);
        MakeFilled(surfaces, kFrame, 800, 600, Black());
        box.CashPercent = percent;
        TBonusBoxPainter painter(surfaces, grid, testLog.log);
        painter.DrawProgressBarInBonus(*level, box, kFrame);
        const int filled = kCashScaleHeight * std::min(percent, 100) / 100;
        const int bottom = kCashScaleTop + kCashScaleHeight;
        if (filled > 0) {
            EXPECT_EQ(At(kCashColumnX + 10, bottom - filled), Rgb(230, 170, 40));
        }
        EXPECT_EQ(At(kCashColumnX + 10, bottom - filled - 1), Black());
    }
}

TEST_P(BonusPixelPainterTest, TheSearchPictureLeavesFoundHeapsOutAndTicksDoneSlots)
{
    MakeFilled(surfaces, "Back.jpg", 800, 600, Rgb(90, 90, 90));
    MakeFilled(surfaces, "HeapA.png", 20, 20, Rgb(200, 0, 0), 255);
    MakeFilled(surfaces, "MenuPanel.png", 800, 137, Rgb(0, 0, 120), 255);
    MakeFilled(surfaces, "UnderOutfits.png", 430, 100, Rgb(0, 0, 150), 255);
    MakeFilled(surfaces, "GreenTick.png", 10, 10, Rgb(0, 250, 0), 255);
    level->Scene.BackPicture = "Back.jpg";
    TPixelSearch search;
    search.Heaps = {TPixelHeap{"HeapA.png", {10, 10}, 20, 20, true, 0, 1, true},
                    TPixelHeap{"HeapA.png", {50, 10}, 20, 20, true, 0, 2, false}};
    TPixelTarget done;
    done.X = 300;
    done.Y = kPixelPanelTop + kPixelSlotsBelowTop;
    done.Done = true;
    TPixelTarget offScreen = done;
    offScreen.X = 1100;
    search.Targets = {done, offScreen};
    TPixelPainter painter(surfaces, grid, data, testLog.log);
    painter.MakePixelBackground(*level, search, "BackGround");
    EXPECT_EQ(At(15, 15, "BackGround"), Rgb(200, 0, 0));
    EXPECT_EQ(At(55, 15, "BackGround"), Rgb(90, 90, 90));
    EXPECT_EQ(At(300, done.Y + 12, "BackGround"), Rgb(0, 250, 0));
    EXPECT_EQ(At(5, kPixelPanelTop + 5, "BackGround"), Rgb(0, 0, 120));
}

TEST_P(BonusPixelPainterTest, AHeapsWorkingPictureIsTurnedOnASquareAndMirrored)
{
    MakeFilled(surfaces, "Rail_1.png", 30, 10, Rgb(200, 0, 0), 255);
    SetPixel(surfaces, "Rail_1.png", 0, 0, Rgb(0, 0, 200));
    tHeapRec turned;
    turned.FileName = "Rail_1.png";
    turned.Angle = 90;
    tHeapRec mirrored;
    mirrored.FileName = "Rail_1.png";
    mirrored.Flip = true;
    level->Scene.HeapPictures = {turned, mirrored};
    TPixelPainter painter(surfaces, grid, data, testLog.log);
    painter.MakeHeapPictures(*level);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(surfaces.GetSurfaceSize("Heap0", w, h));
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 30);
    ASSERT_TRUE(surfaces.GetSurfaceSize("Heap1", w, h));
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 10);
    EXPECT_EQ(At(29, 0, "Heap1"), Rgb(0, 0, 200));
    EXPECT_EQ(At(0, 0, "Heap1"), Rgb(200, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(BothDepths, BonusPixelPainterTest, ::testing::Values(16, 32));

}  // namespace
