// The pictures a level makes, on the surface engine: each piece type's part combinations in
// the type's colours with their halos, the order pictures, the bonus money tag and the
// shrunk outfit pictures of the results.
#pragma once

#include "gameplay/LevelServices.h"

class TDataSource;
class TQelFontEngine;
class TSurfEngine;

class TSurfPictureMaker final : public ILevelPictureMaker {
public:
    // fonts may be missing (no money tag is written then).
    TSurfPictureMaker(TSurfEngine& surfaces, const TDataSource& data, TQelFontEngine* fonts);

    void MakeColorFishesSurfaces(tLevel& level) override;
    void MakeBonusMoneyPicture(const std::string& text) override;
    void MakeScaledPicture(const std::string& source, const std::string& name, double divisor) override;

private:
    TSurfEngine& surfaces_;
    const TDataSource& data_;
    TQelFontEngine* fonts_;
};
