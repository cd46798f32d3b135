// The bonus day as it is seen: the box with its cells, the tokens at their fall positions,
// the cursor over the chosen cell and the hover, and the cash register on the bonus panel
// with its coins, goal rings and goal badges. Drawn into the frame each frame, with their
// areas marked in the redraw grid.
#pragma once

#include <cstdint>
#include <string>

class TGameLog;
class TRedrawGrid;
class TSurfEngine;
class tLevel;
struct TBonusBox;

class TBonusBoxPainter {
public:
    TBonusBoxPainter(TSurfEngine& surfaces, TRedrawGrid& grid, TGameLog& log);

    void DrawLevelBox(const tLevel& level, const TBonusBox& box, const std::string& target, int64_t now);
    // The register goes over the bonus panel, so after the interface. A goal not yet
    // reached floats gently by its ring.
    void DrawProgressBarInBonus(const tLevel& level, const TBonusBox& box, const std::string& target,
                                int64_t now = 0);

private:
    TSurfEngine& surfaces_;
    TRedrawGrid& grid_;
    TGameLog& log_;
};
