// Level pictures made on the surface engine.
#include "gameplay/SurfPictureMaker.h"

#include "gameplay/Level.h"
#include "graphics/SurfEngine.h"

TSurfPictureMaker::TSurfPictureMaker(TSurfEngine& surfaces, const TDataSource& data, TQelFontEngine* fonts)
    : surfaces_(surfaces), data_(data), fonts_(fonts)
{
}

void TSurfPictureMaker::MakeColorFishesSurfaces(tLevel&) {}
void TSurfPictureMaker::MakeBonusMoneyPicture(const std::string&) {}
void TSurfPictureMaker::MakeScaledPicture(const std::string&, const std::string&, double) {}
