// Input as the interface receives it: plain mouse, key, character and wheel events in
// screen pixels, with the modifier and button flags of the shift state.
#pragma once

#include <cstdint>

// Shift-state bits. Widgets test Shift, Ctrl, the left button held and double click.
namespace QelShift {
constexpr uint32_t kShift = 1;
constexpr uint32_t kAlt = 2;
constexpr uint32_t kCtrl = 4;
constexpr uint32_t kLeft = 8;
constexpr uint32_t kRight = 16;
constexpr uint32_t kMiddle = 32;
constexpr uint32_t kDouble = 64;
}  // namespace QelShift

// Key codes the widgets know (virtual-key codes, as hot-key lists in files write them).
namespace QelKey {
constexpr uint16_t kBackspace = 8;
constexpr uint16_t kTab = 9;
constexpr uint16_t kEnter = 13;
constexpr uint16_t kEscape = 27;
}  // namespace QelKey

enum class TQelMouseButton { Left, Right, Middle };

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
