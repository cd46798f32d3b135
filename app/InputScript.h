// Timed input for test and demonstration runs: one event per line, played into the same
// handlers the window's events reach, at the start of the frame it names.
//
//   F mouse X Y    F down X Y    F up X Y    F rdown X Y    F rup X Y
//   F wheel D      F key NAME    F char C
//
// F is the frame number (the first frame is 0), X Y a point of the 800 x 600 frame, D
// wheel notches (positive away from the player), NAME a key name of KeyCodes.h with any
// of the prefixes "ctrl+", "alt+", "shift+", and C one character. Blank lines and lines
// starting with "#" are skipped.
#pragma once

#include "platform/InputEvent.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TScriptedInput {
    int64_t Frame = 0;
    TInputEvent Event;
};

struct TInputScriptError {
    int Line = 0;
    std::string Message;
};

// The events in the order they are played (by frame, then by line); false with the first
// malformed line otherwise.
bool ParseInputScript(std::string_view text, std::vector<TScriptedInput>& events, TInputScriptError& error);

// Hands out the events of each frame in turn.
class TInputScriptPlayer {
public:
    explicit TInputScriptPlayer(std::vector<TScriptedInput> events) : events_(std::move(events)) {}
    // The events due at or before the frame not handed out yet.
    std::vector<TInputEvent> EventsFor(int64_t frame);
    bool Finished() const { return next_ >= events_.size(); }

private:
    std::vector<TScriptedInput> events_;
    size_t next_ = 0;
};
