// The mouse buttons and the shift state, one set for every layer: the window's events, the
// interface's widgets, input scripts, demo playback and the level all speak these.
#pragma once

#include <cstdint>

enum class TMouseButton : uint8_t { Left, Right, Middle };

// Modifier and button bits of an input event's shift state.
namespace ShiftState {
constexpr uint32_t Shift = 1;
constexpr uint32_t Alt = 2;
constexpr uint32_t Ctrl = 4;
constexpr uint32_t Left = 8;
constexpr uint32_t Right = 16;
constexpr uint32_t Middle = 32;
constexpr uint32_t Double = 64;  // the second press of a double click
}  // namespace ShiftState

// The bit a held button adds to the shift state.
constexpr uint32_t ButtonBit(TMouseButton button)
{
    return button == TMouseButton::Left ? ShiftState::Left : button == TMouseButton::Right ? ShiftState::Right
                                                                                         : ShiftState::Middle;
}
