// The redraw grid: marks, this frame's rectangles, the background restore under marked
// cells, and the whole-frame copy of the loading screens.
#include "graphics/RedrawGrid.h"

#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "graphics/SurfEngine.h"

#include <algorithm>

namespace {
constexpr int kCell = TRedrawGrid::kCellSize;
}

uint32_t TRedrawGrid::Count(int column, int row) const
{
    if (column < 1 || column > kColumns || row < 1 || row > kRows)
        return 0;
    return cells_[static_cast<size_t>((row - 1) * kColumns + column - 1)];
}

void TRedrawGrid::SetCount(int column, int row, uint32_t count)
{
    if (column >= 1 && column <= kColumns && row >= 1 && row <= kRows)
        cells_[static_cast<size_t>((row - 1) * kColumns + column - 1)] = count;
}

void TRedrawGrid::FillRedrawGrid(const TRect& rect, uint8_t mark)
{
    QelGuardMessage("Exception error in TQelGameEngine.FillRedrawRect!", [&] {
        // Integer division truncates toward zero, so anything left of or above the
        // screen lands in the first column or row.
        const int firstColumn = std::max(1, rect.Left / kCell + 1);
        const int lastColumn = std::min(kColumns, rect.Right / kCell + 1);
        const int firstRow = std::max(1, rect.Top / kCell + 1);
        const int lastRow = std::min(kRows, rect.Bottom / kCell + 1);
        for (int row = firstRow; row <= lastRow; ++row)
            for (int column = firstColumn; column <= lastColumn; ++column)
                SetCount(column, row, mark);
    });
}

void TRedrawGrid::SetRedrawGrid(uint8_t mark)
{
    cells_.fill(mark);
}

template <class OnRun>
void TRedrawGrid::ScanRow(int row, OnRun&& onRun) const
{
    int start = 0;
    for (int column = 1; column <= kColumns; ++column) {
        if (Count(column, row) != 0) {
            if (start == 0)
                start = column;
            if (column == kColumns)
                onRun(start, kColumns + 1);
        } else if (start != 0) {
            onRun(start, column);
            start = 0;
        }
    }
}

const std::vector<TRect>& TRedrawGrid::MakeRedrawRectsFromGrid()
{
    return QelGuardMessage("Exception error in TQelGameEngine.MakeRedrawRectsFromGrid!",
                           [&]() -> const std::vector<TRect>& {
                               redrawList_.clear();
                               redrawList_.reserve(kMaxRects);
                               for (int row = 1; row <= kRows; ++row) {
                                   ScanRow(row, [&](int start, int end) {
                                       redrawList_.push_back(
                                           {(start - 1) * kCell, (row - 1) * kCell, (end - 1) * kCell, row * kCell});
                                   });
                                   for (int column = 1; column <= kColumns; ++column)
                                       if (uint32_t n = Count(column, row))
                                           SetCount(column, row, n - 1);
                               }
                               return redrawList_;
                           });
}

void TRedrawGrid::DrawBackgroundByGrid(TSurfEngine& engine, IRedrawRectSource* interfaceRects)
{
    QelGuardMessage("Exception error in TQelGameEngine.DrawBackgroundByGrid!", [&] {
        const int background = engine.IndexOfSurface("BackGround");
        const int memory = engine.IndexOfSurface("MemorySurface");

        // The interface is drawn anew every frame, so its whole area gets a clean
        // background every frame.
        interfaceList_.clear();
        if (interfaceRects)
            interfaceRects->GetAllRects(interfaceList_);
        for (const TRect& r : interfaceList_)
            engine.DrawSurfaceInd(background, memory, r.Left, r.Top, r);

        interfaceList_.clear();
        if (interfaceRects)
            interfaceRects->GetChangedRects(interfaceList_);
        for (const TRect& r : interfaceList_)
            FillRedrawGrid(r, 2);
        interfaceList_.clear();

        for (int row = 1; row <= kRows; ++row) {
            std::vector<std::pair<int, int>> runs;
            ScanRow(row, [&](int start, int end) { runs.emplace_back(start, end); });
            for (auto [start, end] : runs) {
                const TRect r{(start - 1) * kCell, (row - 1) * kCell, (end - 1) * kCell, row * kCell};
                engine.DrawSurfaceInd(background, memory, r.Left, r.Top, r);
                // The column right of the run (or the last one) goes to the display once
                // more in the next frame.
                SetCount(std::min(end, kColumns), row, 1);
            }
        }
    });
}

void TRedrawGrid::ClearFrameLists()
{
    redrawList_.clear();
    interfaceList_.clear();
}

void CopyMemorySurfaceToScreen(TSurfEngine& engine, IQelDisplay& display, TGameLog* log)
{
    const TSurface* s = engine.FindSurface("MemorySurface");
    if (!s || !s->HasPixels() || s->Width < kScreenWidth || s->Height < kScreenHeight) {
        if (log)
            log->WriteLog("TQelGameEngine.CopyMemorySurfaceToScreen ind=-1");
        return;
    }
    display.PresentAll(s->Pixels, s->Pitch);
}
