// The redraw grid: which 20 x 20 cells of the 800 x 600 screen must be restored, drawn
// and copied to the display this frame, and the frame's background restore from it.
//
// The main window owns one grid. A frame runs:
//   grid.MakeRedrawRectsFromGrid();                       // this frame's rectangles
//   grid.DrawBackgroundByGrid(engine, &interfaceRects);  // then draw the layers
//   engine.BlitRects(display, "MemorySurface", grid.RedrawRects());
//   grid.ClearFrameLists();
// and everything that changes something visible calls FillRedrawGrid(rect, 2).
#pragma once

#include "foundation/Geometry.h"

#include <array>
#include <cstdint>
#include <vector>

class IQelDisplay;
class TGameLog;
class TSurfEngine;

// What the interface engine tells the grid: the rectangles of every shown form and its
// visible children, and those that changed since its last drawing pass. Rectangles are
// right and bottom exclusive and are appended to the given list.
class IRedrawRectSource {
public:
    virtual ~IRedrawRectSource() = default;
    virtual void GetAllRects(std::vector<TRect>& rects) = 0;
    virtual void GetChangedRects(std::vector<TRect>& rects) = 0;
};

class TRedrawGrid {
public:
    static constexpr int kCellSize = 20;
    static constexpr int kColumns = 40;
    static constexpr int kRows = 30;
    static constexpr int kMaxRects = kRows * kColumns / 2;  // every other cell of every row

    // Sets every cell under the rectangle to the mark (not added, not maximised: a later
    // smaller mark lowers a cell). Right and bottom count as inside the rectangle, so
    // (0, 0, 799, 599) is the whole screen. Coordinates beyond the screen are clamped.
    void FillRedrawGrid(const TRect& rect, uint8_t mark);
    void FillRedrawGrid(int left, int top, int right, int bottom, uint8_t mark)
    {
        FillRedrawGrid(TRect{left, top, right, bottom}, mark);
    }
    void SetRedrawGrid(uint8_t mark);
    // Builds this frame's rectangles (runs of marked cells per row, right and bottom
    // exclusive, row order) and counts every marked cell down by one.
    const std::vector<TRect>& MakeRedrawRectsFromGrid();
    // Restores "BackGround" into "MemorySurface" under the interface (interfaceRects may
    // be null) and under every marked cell; the cell right of each run is marked 1.
    void DrawBackgroundByGrid(TSurfEngine& engine, IRedrawRectSource* interfaceRects);

    const std::vector<TRect>& RedrawRects() const { return redrawList_; }
    // Empties the redraw list and the interface list once the frame is presented.
    void ClearFrameLists();

    // The count of a cell; column 1..40, row 1..30 (0 outside).
    uint32_t Count(int column, int row) const;
    void SetCount(int column, int row, uint32_t count);

private:
    // Appends a rectangle for each run of non-zero cells of a row; afterRun is called
    // with the column just right of the run (kColumns + 1 when the run reaches the end).
    template <class OnRun>
    void ScanRow(int row, OnRun&& onRun) const;

    std::array<uint32_t, kColumns * kRows> cells_{};
    std::vector<TRect> redrawList_;
    std::vector<TRect> interfaceList_;
};

// Shows the whole "MemorySurface" at once (loading screens). Without it the line
// "TQelGameEngine.CopyMemorySurfaceToScreen ind=-1" goes to the game log.
void CopyMemorySurfaceToScreen(TSurfEngine& engine, IQelDisplay& display, TGameLog* log);
