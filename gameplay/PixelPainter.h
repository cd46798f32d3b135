// The pixel day as it is seen: the working pictures of the heaps (turned and mirrored as the
// level says), and the search picture composed into the background: the scene, its extra
// pictures, the heaps not yet found, the panel with its slots, found parts, ticks and the
// faint outfit each slot waits for.
#pragma once

#include <string>

class TDataSource;
class TGameLog;
class TRedrawGrid;
class TSurfEngine;
class tLevel;
struct TPixelSearch;

class TPixelPainter {
public:
    TPixelPainter(TSurfEngine& surfaces, TRedrawGrid& grid, const TDataSource& data, TGameLog& log);

    // "Heap" + index for each heap picture of the level.
    void MakeHeapPictures(tLevel& level);
    // The search picture into target ("BackGround"), the whole screen marked.
    void MakePixelBackground(const tLevel& level, const TPixelSearch& search, const std::string& target);
    // The veil over the picture while the game menu is open.
    void CoverPicture(const std::string& target);

private:
    void Load(const std::string& name);

    TSurfEngine& surfaces_;
    TRedrawGrid& grid_;
    const TDataSource& data_;
    TGameLog& log_;
};
