// The standard level as it is seen: the scene picture composed once per screen change
// (background, bought upgrades, the belt track, the two hatches and their lips), and per
// frame the customers with their bubbles, the pieces on their stands, the extra pictures,
// the heap pictures and the clock panel. Everything drawn marks its cells in the redraw
// grid, so only changed cells are composed and presented.
#pragma once

#include "foundation/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TDataSource;
class TGameLog;
class TLevelGame;
class TRedrawGrid;
class TSurfEngine;
class tLevel;
struct TFish;
struct TLenta;

// What the screen says about the frame being drawn.
struct TLevelSceneView {
    int64_t Now = 0;
    bool LevelComplete = false;   // the results: only the first extra picture, whole
    bool UpgradeDialog = false;   // the upgrade dialog plays: no pieces are drawn
    bool PanelVisible = true;     // the standard panel shows, so the clock panel does
    bool DemoPlayback = false;
};

class TLevelPainter {
public:
    TLevelPainter(TSurfEngine& surfaces, TRedrawGrid& grid, const TDataSource& data, TGameLog& log);

    // The level's scene picture (scenePicture, "MainBackGround" outside the demos):
    // background, upgrades, the belt track and the hatches.
    void MakeMainBackground(tLevel& level, const TLevelGame& game,
                            const std::string& scenePicture = "MainBackGround");
    // "BackGround" for a standard or pixel level screen.
    void MakeBackgroundInGame(tLevel& level, const TLevelGame& game);
    void MakeBackgroundInBonusGame(tLevel& level, bool demoPlayback);
    void DrawUpgrade(const tLevel& level, const TLevelGame& game, const std::string& target);
    // The conveyor track along the belt's path, painted into the scene picture with the
    // belt picture as its texture stamp.
    void DrawFuncOnAlpha(const TLenta& lenta, const std::string& scene, const std::string& beltPicture);

    // One frame's layers, in this order: customers into "BackGround", then pieces, extra
    // pictures into the frame; the clock panel goes over the interface and effects.
    void DrawPersons(const tLevel& level, const std::string& target);
    void DrawFishes(tLevel& level, const std::string& target, const TLevelSceneView& view);
    void FishDraw(tLevel& level, TFish& fish, const std::string& target, const TLevelSceneView& view);
    void DrawAddBackPicture(const tLevel& level, const std::string& target, const TLevelSceneView& view);
    void DrawHeaps(tLevel& level, const std::string& target, const TLevelSceneView& view);
    void DrawCifirblat(const tLevel& level, const std::string& target, const TLevelSceneView& view);

    // Top left of the hatches as last drawn into the scene picture.
    TPoint StartHatch() const { return startHatch_; }
    TPoint EndHatch() const { return endHatch_; }

private:
    void LoadPicture(const std::string& name);
    // The picture at (x, y) without its rows below the cut line.
    void DrawPart(const std::string& picture, const std::string& target, int x, int y, uint8_t opacity, int cutLine,
                  uint8_t tint);
    // Draws a hatch at the path position and makes its lip; answers its top left.
    TPoint DrawHatch(const TLenta& lenta, int32_t position, const std::string& scene, const std::string& lip);
    void DrawStand(const tLevel& level, const TFish& fish, const std::string& target, uint8_t alpha, bool inHatch,
                   int hatchLine);
    void DrawHatOrHanger(const tLevel& level, const TFish& fish, const std::string& target);
    // Highlighted while nothing is selected: the piece is drawn whitened.
    bool Highlit(const tLevel& level, const TFish& fish) const;

    TSurfEngine& surfaces_;
    TRedrawGrid& grid_;
    const TDataSource& data_;
    TGameLog& log_;
    TPoint startHatch_;
    TPoint endHatch_;
    // The drawing order of the pieces, kept between frames to spare the allocations.
    std::vector<size_t> order_;
    std::vector<int> keys_;
};
