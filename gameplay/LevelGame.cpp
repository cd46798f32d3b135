// The links of the level's rules and their stand-ins.
#include "gameplay/LevelGame.h"

#include "foundation/Clock.h"
#include "gameplay/Level.h"
#include "gameplay/LevelWindows.h"
#include "gameplay/ManTypes.h"
#include "metagame/Episods.h"
#include "metagame/Shop.h"

namespace {

const TManTypeTable kNoMans;

}  // namespace

struct TLevelGame::TStandIns {
    TMemoryLevelWindows Windows;
    TNoLevelHost Host;
    TNoPictureMaker PictureMaker;
};

TLevelGame::TLevelGame() : standIns_(std::make_unique<TStandIns>()) {}
TLevelGame::~TLevelGame() = default;

const TManTypeTable& TLevelGame::TheMans() const { return Mans ? *Mans : kNoMans; }
ILevelWindows& TLevelGame::TheWindows() { return Windows ? *Windows : standIns_->Windows; }
ILevelHost& TLevelGame::TheHost() { return Host ? *Host : standIns_->Host; }
ILevelPictureMaker& TLevelGame::ThePictureMaker() { return PictureMaker ? *PictureMaker : standIns_->PictureMaker; }
int64_t TLevelGame::Now() const { return Clock ? Clock->NowMs() : kClockStartMs; }

const TLevelInEpisod* TLevelGame::LevelEntry(const tLevel& level) const
{
    return Episods ? Episods->Level(level.Episod, level.LevelIndex) : nullptr;
}

int32_t TLevelGame::TypeValue(const tLevel& level, int32_t typeIndex) const
{
    const TFishkaType* type = level.Types().Type(typeIndex);
    if (!type || !Shop)
        return 0;
    // The shop knows garments by their picture stem, which is also their name.
    return Shop->GetValueByFishkaTypes(type->FileName, type->PieceCount);
}

std::string TLevelGame::Currency() { return GetCaption(TheWindows(), "WResource_LCurrency"); }

bool IsStandardLevel(const tLevel& level) { return !level.IsBonusLevel() && !level.IsPixelLevel(); }

bool LevelTimeOver(const tLevel& level) { return level.Times.TimeLeft <= 0; }

