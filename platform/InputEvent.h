// Input as plain values: what the window delivers and what scripts and demo playback feed
// into the same handlers. Coordinates are pixels of the 800 x 600 frame; points in the
// black bars around a scaled frame lie outside it and are passed on as they are.
#pragma once

#include "foundation/Input.h"

#include <cstdint>

enum class TInputKind : uint8_t { MouseMove, MouseDown, MouseUp, MouseWheel, KeyDown, KeyPress };

struct TInputEvent {
    TInputKind Kind = TInputKind::MouseMove;
    int32_t X = 0, Y = 0;
    uint32_t Shift = 0;
    TMouseButton Button = TMouseButton::Left;  // MouseDown, MouseUp
    int32_t WheelDelta = 0;                    // MouseWheel: 120 per notch, positive away from the player
    int32_t Key = 0;                           // KeyDown: a key code of KeyCodes.h
    char16_t Char = 0;                         // KeyPress: one UTF-16 code unit
};

// What happens to the window itself.
enum class TWindowEvent : uint8_t { Close, FocusGained, FocusLost, Exposed, Moved };

// Tracks which buttons are held, so every producer of events sets the held bits alike.
class TMouseButtons {
public:
    void Press(TMouseButton b) { held_ |= ButtonBit(b); }
    void Release(TMouseButton b) { held_ &= ~ButtonBit(b); }
    uint32_t Held() const { return held_; }

private:
    uint32_t held_ = 0;
};
