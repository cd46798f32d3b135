// The bots that play a day: they see the level as the screen shows it and act only through
// a mouse, so the simulator and the game (where the bot's clicks take the player's path
// through the interface) play alike.
#pragma once

#include "gameplay/LevelInput.h"

#include <cstdint>
#include <memory>
#include <string>

class TLevelSession;

// The mouse a bot plays with.
class ILevelMouse {
public:
    virtual ~ILevelMouse() = default;
    virtual void Move(int32_t x, int32_t y) = 0;
    // A press is the button going down and up again at (x, y).
    virtual void Press(TLevelMouseButton button, int32_t x, int32_t y) = 0;
};

// The day's own mouse entry points, with no window in between (the simulator).
class TSessionMouse final : public ILevelMouse {
public:
    explicit TSessionMouse(TLevelSession& day) : day_(day) {}
    void Move(int32_t x, int32_t y) override;
    void Press(TLevelMouseButton button, int32_t x, int32_t y) override;

private:
    TLevelSession& day_;
};

class TLevelBot {
public:
    virtual ~TLevelBot() = default;
    // Called before every frame while the day is played and not paused.
    virtual void Act(TLevelSession& day, ILevelMouse& mouse, int64_t now) = 0;
};

// "greedy" builds and serves what the customers want, "random" clicks random pieces at
// random moments (from its own stream, seeded from seed), "idle" does nothing. Nothing for
// another name.
std::unique_ptr<TLevelBot> MakeLevelBot(const std::string& name, uint32_t seed);
