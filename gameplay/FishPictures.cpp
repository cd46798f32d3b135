// Naming the pictures of a piece from its kind, type and parts.
#include "gameplay/FishPictures.h"

#include "gameplay/Level.h"

namespace {

struct TKindPictures {
    TFishKind Kind;
    const char* Picture;
    const char* Halo;
};
// Only garments and the plus-one bonus are ever drawn with a halo.
constexpr TKindPictures kBonusPictures[] = {
    {TFishKind::Reverse, "reverce.png", ""},
    {TFishKind::PlusOne, "plus1.png", "plus1Oreol.png"},
    {TFishKind::Pause, "pause.png", ""},
    {TFishKind::Transform, "transform.png", ""},
};

constexpr int kSmallBagCount = 3;  // the smallest bag a served group leaves

}  // namespace

std::string MoneyBagPicture(int bagCount)
{
    return bagCount <= kSmallBagCount ? "MoneyBonusSmall.png" : "MoneyBonus.png";
}

void MakeFishSurfName(tLevel& level, TFish& fish)
{
    const TFishkaType* type = level.TypeOf(fish);
    fish.HalfLength = kFishHalfLength;
    fish.ShiftX = fish.ShiftY = 0;
    std::string prefix = "FishkaTypes" + std::to_string(fish.TypeIndex);
    if (level.IsBonusLevel()) {
        fish.PictureName = prefix + ".png";
        fish.HaloName.clear();
    } else if (fish.Kind == TFishKind::Garment) {
        if (!type) {
            level.WriteLog("Exception error in TQelGameEngine.MakeFishSurfName!");
            return;
        }
        std::string digits = PartDigits(fish.Parts);
        fish.PictureName = prefix + "_" + digits + ".png";
        fish.HaloName = prefix + "Oreol_" + digits + ".png";
        int32_t piece = FindHierarchy(*type, fish.Parts);
        if (piece >= 0) {
            fish.ShiftX = type->Pieces[static_cast<size_t>(piece)].ShiftX;
            fish.ShiftY = type->Pieces[static_cast<size_t>(piece)].ShiftY;
        }
    } else if (fish.Kind == TFishKind::MoneyBag) {
        fish.PictureName = MoneyBagPicture(fish.BagCount);
        fish.HaloName.clear();
    } else {
        for (const TKindPictures& row : kBonusPictures)
            if (row.Kind == fish.Kind) {
                fish.PictureName = row.Picture;
                fish.HaloName = row.Halo;
            }
    }
    level.Pictures().PictureSize(fish.PictureName, fish.Width, fish.Height);
    bool garment = fish.Kind == TFishKind::Garment && type;
    fish.CenterX = garment ? type->CenterX : fish.Width / 2;
}
