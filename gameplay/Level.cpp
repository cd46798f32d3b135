// The level object's links to its services and the stand-ins used when one is missing.
#include "gameplay/Level.h"

#include "audio/SoundEvents.h"
#include "foundation/QelLog.h"

namespace {

class TNoSounds final : public ISoundEvents {
public:
    void AddSoundEffect(const std::string&, int, int64_t) override {}
    void PlaySound(const std::string&, int) override {}
    void ChangeMusic(const std::string&, int, int, int, int) override {}
    int32_t MusicStartOrder(const std::string&, const std::string&) override { return 0; }
};

const TFishkaTypes kNoTypes;

}  // namespace

struct tLevel::TStandIns {
    TNoPictures Pictures;
    TNoEffects Effects;
    TNoSounds Sounds;
    TNoBeltEvents Events;
};

std::unique_ptr<TQelParticleEffect> TNoEffects::LoadPieceEffect(const std::string&, int64_t) { return nullptr; }

const TPutFish* TBoxGrid::Cell(int32_t column, int32_t row) const
{
    if (column < 1 || row < 1 || column >= static_cast<int32_t>(PutFishes.size()))
        return nullptr;
    const auto& cells = PutFishes[static_cast<size_t>(column)];
    if (row >= static_cast<int32_t>(cells.size()))
        return nullptr;
    return &cells[static_cast<size_t>(row)];
}

tLevel::tLevel(TLevelLinks links) : Links(links), standIns_(std::make_unique<TStandIns>()) {}
tLevel::~tLevel() = default;

const TFishkaTypes& tLevel::Types() const { return Links.Types ? *Links.Types : kNoTypes; }
TRandom& tLevel::Random() { return Links.Random ? *Links.Random : fallbackRandom_; }
ILevelPictures& tLevel::Pictures() { return Links.Pictures ? *Links.Pictures : standIns_->Pictures; }
ILevelEffects& tLevel::Effects() { return Links.Effects ? *Links.Effects : standIns_->Effects; }
ISoundEvents& tLevel::Sounds() { return Links.Sounds ? *Links.Sounds : standIns_->Sounds; }
IBeltEvents& tLevel::Events() { return Links.Events ? *Links.Events : standIns_->Events; }

void tLevel::WriteLog(const std::string& message) const
{
    if (Links.Log)
        Links.Log->WriteLog(message);
}

TLenta* tLevel::FirstLenta()
{
    if (Lentas.empty() || !Lentas.front().Active())
        return nullptr;
    return &Lentas.front();
}

const TLenta* tLevel::FirstLenta() const
{
    if (Lentas.empty() || !Lentas.front().Active())
        return nullptr;
    return &Lentas.front();
}
