// Key codes as the game's data stores them (hot keys of interface files, dialog key lists,
// editor keys): the classic virtual-key numbers. Names are for scripts and logs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace KeyCode {
constexpr int32_t Backspace = 8;
constexpr int32_t Tab = 9;
constexpr int32_t Enter = 13;
constexpr int32_t Shift = 16;
constexpr int32_t Ctrl = 17;
constexpr int32_t Alt = 18;
constexpr int32_t Esc = 27;
constexpr int32_t Space = 32;
constexpr int32_t PageUp = 33;
constexpr int32_t PageDown = 34;
constexpr int32_t End = 35;
constexpr int32_t Home = 36;
constexpr int32_t Left = 37;
constexpr int32_t Up = 38;
constexpr int32_t Right = 39;
constexpr int32_t Down = 40;
constexpr int32_t Insert = 45;
constexpr int32_t Delete = 46;
constexpr int32_t Digit0 = 48;  // to 57
constexpr int32_t LetterA = 65;  // to 90, one code per letter whatever its case
constexpr int32_t Numpad0 = 96;  // to 105
constexpr int32_t F1 = 112;      // to 123
}  // namespace KeyCode

// "Enter", "Esc", "A", "7", "Num6", "F1" ... (any letter case); nothing for an unknown name.
std::optional<int32_t> KeyCodeFromName(std::string_view name);
// The character a key gives besides the typed text: the control keys (Backspace, Tab,
// Enter, Esc give their own codes) and Ctrl with a letter (Ctrl+C is 3, Ctrl+V is 22), which
// edits rely on. 0 for none, and always with Alt held (Alt+Enter types nothing).
char16_t ControlCharacterOfKey(int32_t code, uint32_t shift);
// The name KeyCodeFromName reads back; "#" + number for codes without one.
std::string KeyName(int32_t code);
