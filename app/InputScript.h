// Timed input for test and demonstration runs: one event per line, played into the same
// handlers the window's events reach, at the start of the frame it names.
//
//   F mouse X Y    F down X Y    F up X Y    F rdown X Y    F rup X Y
//   F wheel D      F key NAME    F char C
//   F click WIDGET              F wait WIDGET
//
// F is the frame number (the first frame is 0) or "+N", N frames after the frame the
// previous line ran on. X Y is a point of the 800 x 600 frame, D wheel notches (positive
// away from the player), NAME a key name of KeyCodes.h with any of the prefixes "ctrl+",
// "alt+", "shift+", and C one character. "click" moves the mouse to the centre of the
// visible widget and presses the left button there on that frame and releases it on the
// next; "wait" holds the script from its frame until the widget is visible (its window
// shown and nothing above it hidden), and the next "+N" counts from the frame it appeared.
// Lines run in their order: a line whose frame has passed when its turn comes runs at
// once. Blank lines and lines starting with "#" are skipped.
#pragma once

#include "foundation/Geometry.h"
#include "platform/InputEvent.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TScriptAction : uint8_t { Input, Click, Wait };

struct TScriptedInput {
    int Line = 0;             // the line of the file, for messages
    bool Relative = false;    // Frame counts from the previous line's frame
    int64_t Frame = 0;
    TScriptAction Action = TScriptAction::Input;
    std::vector<TInputEvent> Events;  // Input
    std::string Widget;               // Click, Wait
};

struct TInputScriptError {
    int Line = 0;
    std::string Message;
};

// The lines in their order; false with the first malformed line otherwise.
bool ParseInputScript(std::string_view text, std::vector<TScriptedInput>& lines, TInputScriptError& error);

// Where a widget of the game can be clicked: the centre of a visible widget, or nothing.
class IWidgetLocator {
public:
    virtual ~IWidgetLocator() = default;
    virtual std::optional<TPoint> VisibleWidgetCentre(const std::string& name) const = 0;
};

// A "wait" gives up after this many frames (over five minutes of game time at 16 ms).
constexpr int64_t kLongestWaitFrames = 20000;

// Hands out the events of each frame in turn.
class TInputScriptPlayer {
public:
    // locator may be null for scripts without click and wait lines.
    TInputScriptPlayer(std::vector<TScriptedInput> lines, const IWidgetLocator* locator)
        : lines_(std::move(lines)), locator_(locator)
    {
    }
    // The events of this frame; false (failure says which line, widget and frame) when a
    // click finds its widget hidden or a wait runs out.
    bool EventsFor(int64_t frame, std::vector<TInputEvent>& events, std::string& failure);
    bool Finished() const { return next_ >= lines_.size() && releases_.empty(); }

private:
    std::vector<TScriptedInput> lines_;
    const IWidgetLocator* locator_;
    size_t next_ = 0;
    int64_t anchor_ = 0;  // the frame the previous line ran on
    std::vector<std::pair<int64_t, TInputEvent>> releases_;
};
