// Input as the interface receives it: plain mouse, key, character and wheel events in
// screen pixels, with the modifier and button flags of the shift state.
#pragma once

#include "foundation/Input.h"

#include <cstdint>

// The shift-state bits under the names the widgets use: Shift, Ctrl, the left button held
// and double click.
namespace QelShift {
constexpr uint32_t kShift = ShiftState::Shift;
constexpr uint32_t kAlt = ShiftState::Alt;
constexpr uint32_t kCtrl = ShiftState::Ctrl;
constexpr uint32_t kLeft = ShiftState::Left;
constexpr uint32_t kRight = ShiftState::Right;
constexpr uint32_t kMiddle = ShiftState::Middle;
constexpr uint32_t kDouble = ShiftState::Double;
}  // namespace QelShift

// Key codes the widgets know (virtual-key codes, as hot-key lists in files write them).
namespace QelKey {
constexpr uint16_t kBackspace = 8;
constexpr uint16_t kTab = 9;
constexpr uint16_t kEnter = 13;
constexpr uint16_t kEscape = 27;
}  // namespace QelKey

using TQelMouseButton = TMouseButton;

struct TQelMouseEvent {
    TQelMouseButton Button = TQelMouseButton::Left;  // ignored for moves
    uint32_t Shift = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

// A key code may be changed by the widget that handles it.
struct TQelKeyEvent {
    uint16_t Key = 0;
    uint32_t Shift = 0;
};

struct TQelWheelEvent {
    uint32_t Shift = 0;
    int32_t Delta = 0;  // 120 per notch, positive away from the player
    int32_t X = 0;
    int32_t Y = 0;
};
