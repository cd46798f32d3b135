// One piece on a belt: a garment carrying some parts of its type, a bonus piece, or a
// money bag left by a served group. Also a cell of the bonus box.
#pragma once

#include "effects/QelFXParticles.h"
#include "gameplay/FishkaType.h"
#include "gameplay/PathUnits.h"

#include <cstdint>
#include <memory>
#include <string>

enum class TFishKind : uint8_t {
    Garment = 0,
    Reverse = 1,    // the belt runs backwards
    PlusOne = 2,    // dropped on a garment, adds its lowest missing part
    Pause = 3,      // the belt stops for a while
    Transform = 4,  // every garment on the belt changes type
    MoneyBag = 5,
};

inline bool IsBonusKind(TFishKind kind) { return kind >= TFishKind::Reverse && kind <= TFishKind::Transform; }

// An opacity change in progress.
struct TFishFade {
    bool Running = false;
    int32_t From = 0;
    int32_t To = 255;
    int64_t Start = 0;
    int32_t Duration = 0;  // ms
};

struct TFish {
    TFishKind Kind = TFishKind::Garment;
    int32_t TypeIndex = 0;  // into the piece type table; 0 for a money bag
    TFishParts Parts{};
    TFishParts TargetParts{};  // applied at ApplyPartsAt (after a combination)
    int64_t ApplyPartsAt = -1;

    int32_t Position = 0;  // path units from the start of the belt
    int32_t HalfLength = kFishHalfLength;
    double PathX = 0;  // the belt's point at Position (with the rise and sink at the hatches)
    double PathY = 0;
    double X = 0;  // top left of the picture
    double Y = 0;

    std::string PictureName;
    std::string HaloName;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t CenterX = 0;
    int32_t ShiftX = 0;  // of the part combination's picture
    int32_t ShiftY = 0;

    // The particle effect that follows the piece.
    std::string EffectFile;
    int32_t EffectX = 0;
    int32_t EffectY = 0;
    std::unique_ptr<TQelParticleEffect> Effect;
    bool EffectShown = false;  // drawn even while the picture is not

    int32_t Alpha = 255;
    TFishFade Fade;
    // The picture shown before a fade began, for the cross-fade.
    std::string PreviousPicture;
    double PreviousX = 0;
    double PreviousY = 0;
    int32_t PreviousEffectX = 0;
    int32_t PreviousEffectY = 0;

    bool Selected = false;
    bool Highlighted = false;
    bool Dropped = false;  // has passed into the hatch
    int32_t CustomerIndex = -1;
    int64_t LeaveAt = 0;  // served or collected: leaves the belt then; 0 none
    bool HasCoin = false;

    int32_t BagCount = 0;     // money bag: the pieces it stands for
    int64_t AppearTime = 0;   // money bag: when it appeared (it ages from then)
    int64_t BlinkAt = 0;      // not drawn before this (0: at once)

    double StandX = 0;  // top left of the piece's stand
    double StandY = 0;

    bool IsGarment() const { return Kind == TFishKind::Garment; }
    bool IsLeaving() const { return LeaveAt > 0; }
    bool InHatchZone(int32_t pathLength) const { return Position > pathLength - kHatchZone; }
};
