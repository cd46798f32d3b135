// The level's effects and flights on the game's screen effect manager: the main screen list,
// the level's own list, the flight templates, and the particle effects that follow pieces.
#pragma once

#include "gameplay/LevelServices.h"

class TQelScreenEffectManager;
class TScreenEffects;

class TScreenLevelEffects final : public ILevelEffects {
public:
    // levelList is the running level's own effect list.
    TScreenLevelEffects(TQelScreenEffectManager& manager, TScreenEffects& levelList);

    void CreateEffect(TEffectList list, const std::string& file, int32_t x, int32_t y, int64_t startTime,
                      const std::string& picture) override;
    void CreateMoveEffect(const std::string& name, const std::string& picture, TPoint from, TPoint to,
                          int32_t durationMs, int64_t startTime) override;
    void CreateBallisticMoveEffect(const std::string& name, const std::string& picture, TPoint from, TPoint to) override;
    void DeleteAllEffects(TEffectList list) override;
    std::unique_ptr<TQelParticleEffect> LoadPieceEffect(const std::string& file, int64_t startTime) override;

private:
    TScreenEffects& List(TEffectList list);

    TQelScreenEffectManager& manager_;
    TScreenEffects& levelList_;
};
