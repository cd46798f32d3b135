// The players of the level simulator: bots that see the level as the screen shows it and
// act only through the level's mouse entry points, as the player's window events do.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TLevelGame;
class tLevel;

class TSimBot {
public:
    virtual ~TSimBot() = default;
    // Called before every frame while the level is played.
    virtual void Act(tLevel& level, TLevelGame& game, int64_t now) = 0;
};

// "greedy" builds and serves what the customers want, "random" clicks random pieces at
// random moments (from its own stream, seeded from seed), "idle" does nothing. Nothing for
// another name.
std::unique_ptr<TSimBot> MakeSimBot(const std::string& name, uint32_t seed);
