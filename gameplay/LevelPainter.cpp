// The standard level's scene and pieces on the surface engine.
#include "gameplay/LevelPainter.h"

#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"

TLevelPainter::TLevelPainter(TSurfEngine& surfaces, TRedrawGrid& grid, const TDataSource& data, TGameLog& log)
    : surfaces_(surfaces), grid_(grid), data_(data), log_(log)
{
}

void TLevelPainter::MakeMainBackground(tLevel&, const TLevelGame&, const std::string&) {}
void TLevelPainter::MakeBackgroundInGame(tLevel&, const TLevelGame&) {}
void TLevelPainter::MakeBackgroundInBonusGame(tLevel&, bool) {}
void TLevelPainter::DrawUpgrade(const tLevel&, const TLevelGame&, const std::string&) {}
void TLevelPainter::DrawPersons(const tLevel&, const std::string&) {}
void TLevelPainter::DrawFishes(tLevel&, const std::string&, const TLevelSceneView&) {}
void TLevelPainter::FishDraw(tLevel&, TFish&, const std::string&, const TLevelSceneView&) {}
void TLevelPainter::DrawAddBackPicture(const tLevel&, const std::string&, const TLevelSceneView&) {}
void TLevelPainter::DrawHeaps(tLevel&, const std::string&, const TLevelSceneView&) {}
void TLevelPainter::DrawCifirblat(const tLevel&, const std::string&, const TLevelSceneView&) {}
