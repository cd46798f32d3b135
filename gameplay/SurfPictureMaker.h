// The pictures a level makes, on the surface engine: each piece type's part combinations in
// the type's colours with their halos, the order pictures, the bonus money tag and the
// shrunk outfit pictures of the results.
#pragma once

#include "gameplay/LevelServices.h"

#include <cstdint>
#include <string>

class TDataSource;
class TQelFontEngine;
class TSurfEngine;
struct TFishkaType;

class TSurfPictureMaker final : public ILevelPictureMaker {
public:
    // fonts may be missing (no money tag is written then).
    TSurfPictureMaker(TSurfEngine& surfaces, const TDataSource& data, TQelFontEngine* fonts);

    void MakeColorFishesSurfaces(tLevel& level) override;
    void MakeBonusMoneyPicture(const std::string& text) override;
    void MakeScaledPicture(const std::string& source, const std::string& name, double divisor) override;

private:
    // Loads a type's picture file under a new name in the type's colours; false when the
    // file is missing (the name is left without a picture).
    bool LoadAdjusted(const std::string& file, const std::string& name, const TFishkaType& type);
    void MakeHalo(const std::string& source, const std::string& halo);
    void MakePiece(const tLevel& level, int32_t t, const TFishkaType& type, const std::string& digits);
    void MakeType(const tLevel& level, int32_t t, const TFishkaType& type);

    TSurfEngine& surfaces_;
    const TDataSource& data_;
    TQelFontEngine* fonts_;
};
