// Drawing the bonus box and its cash register.
#include "gameplay/BonusBoxPainter.h"

#include "foundation/QelLog.h"
#include "gameplay/BonusBox.h"
#include "gameplay/Level.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr uint8_t kRedrawMark = 2;
constexpr uint8_t kHoverOpacity = 110;
// The register's parts on the bonus panel: the glass over the coin column, the rings
// centred on the column, the badges beside the rings.
constexpr int32_t kTubeX = 16;
constexpr int32_t kTubeY = kCashScaleTop - 6;
constexpr int32_t kRingX = kCashColumnX - 10;
constexpr int32_t kRingHalf = 8;
constexpr int32_t kBadgeX = 72;
constexpr int32_t kBadgeHalf = 20;
constexpr double kBobPixels = 3.0;  // how far a waiting badge floats up and down
constexpr double kBobMs = 260.0;    // the float's pace: a full swing in about 1.6 s
const TRect kRegisterArea{0, kCashScaleTop - 30, 120, kCashScaleTop + kCashScaleHeight + 60};
constexpr std::array<const char*, kBoxGoals> kBadges = {"CashRegisterBasic.png", "CashRegisterGreat.png",
                                                        "CashRegisterExcellent.png"};

}  // namespace

TBonusBoxPainter::TBonusBoxPainter(TSurfEngine& surfaces, TRedrawGrid& grid, TGameLog& log)
    : surfaces_(surfaces), grid_(grid), log_(log)
{
}

void TBonusBoxPainter::DrawLevelBox(const tLevel& level, const TBonusBox& box, const std::string& target, int64_t now)
{
    LogAndCarryOn(log_, "Error DrawLevelBox", [&] {
        const TBoxGrid& grid = level.Box;
        const TRect area = BoxRect(level, box);
        if (area.IsEmpty())
            return;
        // Pieces fall in from above the box: the strip above it is drawn too.
        grid_.FillRedrawGrid(TRect{area.Left, std::max(0, area.Top - grid.CellHeght), area.Right, area.Bottom},
                             kRedrawMark);
        const std::string& frame = grid.CellFrame.Name;
        const std::string& cursor = level.Scene.Cursor.Name;
        const bool frames = grid.DrawBoxCells && !frame.empty() && surfaces_.IndexOfSurface(frame) >= 0;
        const bool hasCursor = !cursor.empty() && surfaces_.IndexOfSurface(cursor) >= 0;
        for (int32_t c = 1; c <= box.Width; ++c)
            for (int32_t r = 1; r <= box.Height; ++r) {
                const TPoint p = BoxCellPos(level, {c, r});
                if (frames)
                    surfaces_.DrawWithAlphaChannel(frame, target, p.X, p.Y);
                const TBoxCell& cell = *box.Cell({c, r});
                if (hasCursor && cell.Highlighted && !(box.SelectedCell == TCellPos{c, r}))
                    surfaces_.DrawWithAlphaChannel(cursor, target, p.X, p.Y, kHoverOpacity);
            }
        for (int32_t c = 1; c <= box.Width; ++c)
            for (int32_t r = 1; r <= box.Height; ++r) {
                const TBoxCell& cell = *box.Cell({c, r});
                if (cell.Empty() || cell.BlinkAt > now || cell.PictureName.empty())
                    continue;
                int32_t w = 0, h = 0;
                if (!surfaces_.GetSurfaceSize(cell.PictureName, w, h))
                    continue;
                const TPoint p = BoxCellPos(level, {c, r});
                const int32_t y = (cell.Falling ? cell.FallY : p.Y) + (grid.CellHeght - h) / 2;
                // Above the box a falling piece is not yet seen.
                if (y + h <= area.Top)
                    continue;
                const int32_t cut = std::max(0, area.Top - y);
                surfaces_.DrawWithAlphaChannel(cell.PictureName, target, p.X + (grid.CellWidth - w) / 2, y + cut, 255,
                                               TRect{0, cut, w - 1, h - 1});
            }
        if (hasCursor && box.SelectedCell.Valid()) {
            const TPoint p = BoxCellPos(level, box.SelectedCell);
            surfaces_.DrawWithAlphaChannel(cursor, target, p.X, p.Y);
        }
    });
}

void TBonusBoxPainter::DrawProgressBarInBonus(const tLevel& level, const TBonusBox& box, const std::string& target,
                                              int64_t now)
{
    LogAndCarryOn(log_, "Error TLevel.DrawProgressBarInBonus", [&] {
        grid_.FillRedrawGrid(kRegisterArea, kRedrawMark);
        const int32_t percent = std::clamp(box.CashPercent, 0, 100);
        const int32_t filled = kCashScaleHeight * percent / 100;
        const int32_t bottom = kCashScaleTop + kCashScaleHeight;
        for (int g = 0; g < kBoxGoals; ++g)
            surfaces_.DrawWithAlphaChannel("CashRegisterRingB.png", target, kRingX, box.RingY[g] - kRingHalf);
        if (filled > 0)
            surfaces_.DrawWithAlphaChannel("CashRegisterCoins.png", target, kCashColumnX, bottom - filled, 255,
                                           TRect{0, kCashScaleHeight - filled, 63, kCashScaleHeight - 1});
        surfaces_.DrawWithAlphaChannel("CashRegisterTop.png", target, kTubeX, kTubeY);
        for (int g = 0; g < kBoxGoals; ++g) {
            surfaces_.DrawWithAlphaChannel("CashRegisterRingT.png", target, kRingX, box.RingY[g] - kRingHalf);
            // A goal still ahead floats faintly by its ring, each at its own phase; a passed
            // one stands fixed in full.
            const bool passed = box.GoalPassed[static_cast<size_t>(g)];
            const int32_t bob =
                passed ? 0 : static_cast<int32_t>(std::lround(kBobPixels * std::sin(static_cast<double>(now) / kBobMs + g)));
            surfaces_.DrawWithAlphaChannel(kBadges[static_cast<size_t>(g)], target, kBadgeX,
                                           box.RingY[g] - kBadgeHalf + bob, passed ? 255 : 150);
        }
        (void)level;
    });
}
