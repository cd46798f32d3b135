// Recorded games: a text file of timed mouse events and of the level's random events (the
// pieces that came onto the belt, the box's cells), one event a line, after a three-line
// header naming the level. Replaying the events on the same level file plays the game again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TGameLog;

enum class TDemoEventKind { None, MouseMove, MouseLDown, PutFishes, AddFishes };

struct TDemoEvent {
    TDemoEventKind Kind = TDemoEventKind::None;
    int32_t X = 0;     // MouseMove, MouseLDown: the point; PutFishes: the column
    int32_t Y = 0;     // MouseLDown: the point; PutFishes: the row
    int32_t Type = 0;  // PutFishes, AddFishes: the piece type ("FT")
    int32_t Part = 0;  // AddFishes: the part digits ("H")
    int32_t Time = 0;  // ms since the recording started
};

// The value of name="..." in a line as a decimal integer; 0 when missing or not a number
// that fits.
int32_t DemoAttribute(std::string_view line, std::string_view name);
// What a line asks for; anything unrecognised (header lines, button-up lines) is None.
TDemoEvent ParseDemoLine(std::string_view line);

// The three header lines a recording starts with.
std::vector<std::string> DemoHeader(int32_t episod, int32_t levelIndex, const std::string& fileName);
// "Demo.dat", "DemoB.dat" or "DemoP.dat".
std::string DemoFileName(bool bonus, bool pixel);

// The lines of a demo file, CR LF or LF ended; empty when it cannot be read (logged when a
// log is given and the file exists but cannot be read).
std::vector<std::string> ReadDemoLines(const std::filesystem::path& path);
// Writes the lines CR LF ended through a temporary file, so a failed write leaves the
// previous demo whole. False with the reason in error.
bool WriteDemoLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                    std::string* error = nullptr);

// Where a demo stands while it is replayed: the line to act on next and when.
class TDemoCursor {
public:
    TDemoCursor() = default;
    explicit TDemoCursor(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    const std::vector<std::string>& Lines() const { return lines_; }
    // A demo with fewer than two lines has nothing to replay; it stands still.
    bool Playable() const { return lines_.size() >= 2; }

    // From the first line after the header's first, counting time from now.
    void Restart(int64_t now);
    // The events due by now, in order, each handed to act. True when the last line was
    // acted on: the caller puts the level back and calls Restart.
    bool Step(int64_t now, const std::function<void(const TDemoEvent&)>& act);

    // Moved on with the level's clocks while the demo is paused.
    int64_t Offset = 0;
    size_t NextIndex() const { return next_; }
    int64_t Start() const { return start_; }

private:
    std::vector<std::string> lines_;
    size_t next_ = 1;
    int64_t nextTime_ = 0;
    int64_t start_ = 0;
};
