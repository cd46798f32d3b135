// A recorded game played again on a day of its own: the demo's clicks go through the day's
// mouse, its pieces onto the belt and its box cells into the bonus box, each at its time.
#pragma once

#include "foundation/Geometry.h"
#include "gameplay/DemoFile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TLevelSession;

// A demo plays on random streams of its own, never the game's: the same demo gives the
// same game (and the same frames) whatever the game's seed.
inline constexpr uint32_t kDemoSeed = 20260704;
inline constexpr uint32_t kDemoCosmeticSeed = 20260101;
class tLevel;

// Adds a mouse line to a level that records its demo.
void RecordDemoMouse(tLevel& level, const char* what, int32_t x, int32_t y, int64_t now);
// The lines a level recorded, after the header of its day.
std::vector<std::string> RecordedDemo(const tLevel& level);
// Writes what a recording level recorded beside the program as "Demo.dat", "DemoB.dat" or
// "DemoP.dat" (through a temporary file), logged either way. False when it recorded
// nothing or the file could not be written.
bool SaveRecordedDemo(const tLevel& level, const std::filesystem::path& programFolder);

class TDemoReplay {
public:
    // The day must be loaded with its demo flag set (its belt then takes pieces from the
    // demo only).
    TDemoReplay(TLevelSession& day, std::vector<std::string> lines);

    // Starts the replay from its first line at the day's time.
    void Restart();
    // Acts on the lines due by the day's time; true when the demo's last line was acted on.
    bool Step();

    bool Playable() const { return cursor_.Playable(); }
    TDemoCursor& Cursor() { return cursor_; }
    // Where the demo's mouse is.
    TPoint Mouse() const { return mouse_; }
    // Lines whose values did not fit the level and were passed over.
    int32_t Skipped() const { return skipped_; }

private:
    void Apply(const TDemoEvent& event);

    TLevelSession& day_;
    TDemoCursor cursor_;
    TPoint mouse_{};
    int32_t skipped_ = 0;
};

// A fingerprint of the day as it stands: score, clocks, belt, customers, box and search.
// Two replays of the same demo end with the same value.
uint64_t DemoStateHash(const TLevelSession& day);
