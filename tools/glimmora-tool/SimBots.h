// The players of the level simulator: bots that see the level as the screen shows it and
// act only through the day's mouse, as the player's window events do.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TLevelSession;

class TSimBot {
public:
    virtual ~TSimBot() = default;
    // Called before every frame while the day is played and not paused.
    virtual void Act(TLevelSession& day, int64_t now) = 0;
};

// "greedy" builds and serves what the customers want, "random" clicks random pieces at
// random moments (from its own stream, seeded from seed), "idle" does nothing. Nothing for
// another name.
std::unique_ptr<TSimBot> MakeSimBot(const std::string& name, uint32_t seed);
