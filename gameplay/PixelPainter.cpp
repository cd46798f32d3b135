// Drawing the pixel day's search picture.
#include "gameplay/PixelPainter.h"

#include "foundation/QelLog.h"
#include "gameplay/Level.h"
#include "gameplay/PixelSearch.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"

#include <algorithm>

namespace {

constexpr uint8_t kRedrawMark = 2;
constexpr uint8_t kGuideOpacity = 100;
// The angle of a heap is turned with this value of pi, as the scenes were laid out with it.
constexpr double kHeapPi = 3.14;
constexpr const char* kPanel = "MenuPanel.png";
constexpr const char* kShelf = "UnderOutfits.png";
constexpr const char* kTick = "GreenTick.png";
constexpr const char* kVeil = "setka.png";

}  // namespace

TPixelPainter::TPixelPainter(TSurfEngine& surfaces, TRedrawGrid& grid, const TDataSource& data, TGameLog& log)
    : surfaces_(surfaces), grid_(grid), data_(data), log_(log)
{
}

void TPixelPainter::Load(const std::string& name)
{
    if (!name.empty() && surfaces_.IndexOfSurface(name) < 0)
        surfaces_.LoadSurfFromFileOrFileFolder(data_, name, name);
}

void TPixelPainter::MakeHeapPictures(tLevel& level)
{
    LogAndCarryOn(log_, "Error PrepareHeaps", [&] {
        const auto& heaps = level.Scene.HeapPictures;
        for (size_t i = 0; i < heaps.size(); ++i) {
            const tHeapRec& heap = heaps[i];
            const std::string working = "Heap" + std::to_string(i);
            surfaces_.DeleteSurface(working);
            Load(heap.FileName);
            int32_t w = 0, h = 0;
            if (!surfaces_.GetSurfaceSize(heap.FileName, w, h) || w <= 0 || h <= 0)
                continue;
            if (heap.Angle != 0) {
                const int32_t side = std::max(w, h);
                surfaces_.NewSurface(working, side, side);
                surfaces_.CreateAlphaChannel(working, 0);
                surfaces_.CopySurfaceWithAlpha(heap.FileName, working, std::nullopt, (side - w) / 2, (side - h) / 2);
                surfaces_.RotateSurface(working, side / 2.0, heap.Angle * kHeapPi / 180.0, side / 2.0);
            } else {
                surfaces_.NewSurface(working, w, h);
                surfaces_.CreateAlphaChannel(working, 0);
                surfaces_.CopySurfaceWithAlpha(heap.FileName, working, std::nullopt, 0, 0);
            }
            if (heap.Flip)
                surfaces_.MirrorSurface(working);
        }
    });
}

void TPixelPainter::MakePixelBackground(const tLevel& level, const TPixelSearch& search, const std::string& target)
{
    LogAndCarryOn(log_, "Error MakePixelBackground", [&] {
        grid_.SetRedrawGrid(kRedrawMark);
        if (surfaces_.IndexOfSurface(target) < 0)
            surfaces_.NewSurface(target, surfaces_.ScreenWidth(), surfaces_.ScreenHeight());
        Load(level.Scene.BackPicture);
        if (surfaces_.IndexOfSurface(level.Scene.BackPicture) >= 0)
            surfaces_.DrawSurface(level.Scene.BackPicture, target, 0, 0);
        for (const TAddPicture& add : level.Scene.AddPictures) {
            Load(add.FileName);
            surfaces_.DrawWithAlphaChannel(add.FileName, target, add.X, add.Y);
        }
        for (const TPixelHeap& heap : search.Heaps)
            if (heap.Active && surfaces_.IndexOfSurface(heap.Picture) >= 0)
                surfaces_.DrawWithAlphaChannel(heap.Picture, target, heap.Pos.X, heap.Pos.Y);
        for (const char* name : {kPanel, kShelf, kTick})
            Load(name);
        surfaces_.DrawWithAlphaChannel(kPanel, target, 0, search.PanelTop);
        surfaces_.DrawWithAlphaChannel(kShelf, target, kPixelSlotsLeft, search.PanelTop + kPixelSlotsBelowTop);
        for (const TPixelTarget& slot : search.Targets) {
            if (slot.Removed || slot.X >= kScreenWidth)
                continue;
            int32_t w = 0, h = 0;
            if (surfaces_.GetSurfaceSize(slot.Guide, w, h))
                surfaces_.DrawWithAlphaChannel(slot.Guide, target, slot.X - w / 2, slot.Y + 4, kGuideOpacity);
            if (!slot.Picture.empty()) {
                Load(slot.Picture);
                if (surfaces_.GetSurfaceSize(slot.Picture, w, h))
                    surfaces_.DrawWithAlphaChannel(slot.Picture, target, slot.X - w / 2, slot.Y);
            }
            if (slot.Done && surfaces_.GetSurfaceSize(kTick, w, h))
                surfaces_.DrawWithAlphaChannel(kTick, target, slot.X - w / 2, slot.Y + h);
        }
    });
}

void TPixelPainter::CoverPicture(const std::string& target)
{
    LogAndCarryOn(log_, "Error CoverPicture", [&] {
        Load(kVeil);
        surfaces_.DrawWithAlphaChannel(kVeil, target, 0, 0);
        grid_.SetRedrawGrid(kRedrawMark);
    });
}
