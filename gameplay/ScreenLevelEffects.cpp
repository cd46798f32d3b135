// Level effects through the screen effect manager. The manager logs its own failures (its
// exceptions write their chain to the engine log when they are made), so a failed effect
// only leaves the level without that effect.
#include "gameplay/ScreenLevelEffects.h"

#include "effects/QelScreenEffects.h"
#include "foundation/QelBaseClasses.h"

TScreenLevelEffects::TScreenLevelEffects(TQelScreenEffectManager& manager, TScreenEffects& levelList)
    : manager_(manager), levelList_(levelList)
{
}

TScreenEffects& TScreenLevelEffects::List(TEffectList list)
{
    return list == TEffectList::Level ? levelList_ : manager_.Main;
}

void TScreenLevelEffects::CreateEffect(TEffectList list, const std::string& file, int32_t x, int32_t y,
                                       int64_t startTime, const std::string& picture)
{
    TQelEffectParams params;
    params.File = file;
    params.Picture = picture;
    params.X = x;
    params.Y = y;
    params.StartTime = startTime;
    try {
        manager_.CreateQelEffectFromFile(List(list), file, params);
    } catch (const TQelException&) {
    }
}

void TScreenLevelEffects::CreateMoveEffect(const std::string& name, const std::string& picture, TPoint from, TPoint to,
                                           int32_t durationMs, int64_t startTime)
{
    try {
        manager_.CreateMoveEffect({name, startTime, durationMs, from.X, from.Y, to.X, to.Y, picture});
    } catch (const TQelException&) {
    }
}

void TScreenLevelEffects::CreateBallisticMoveEffect(const std::string& name, const std::string& picture, TPoint from,
                                                    TPoint to)
{
    try {
        manager_.CreateBallisticMoveEffect({name, -1, 0, from.X, from.Y, to.X, to.Y, picture});
    } catch (const TQelException&) {
    }
}

void TScreenLevelEffects::DeleteAllEffects(TEffectList list) { manager_.DeleteAllEffects(List(list)); }

std::unique_ptr<TQelParticleEffect> TScreenLevelEffects::LoadPieceEffect(const std::string& file, int64_t startTime)
{
    try {
        std::unique_ptr<TQelParticleEffect> effect = manager_.LoadEffect(file);
        // Effects keep the game clock's low 32 bits.
        effect->Start(static_cast<uint32_t>(startTime));
        effect->Validate();
        return effect;
    } catch (const TQelException&) {
        return nullptr;
    }
}
