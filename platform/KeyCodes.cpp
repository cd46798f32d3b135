// The names of the key codes.
#include "platform/KeyCodes.h"

#include "foundation/Text.h"
#include "platform/InputEvent.h"

#include <array>

namespace {

struct TKeyNameRow {
    std::string_view Name;
    int32_t Code;
};

constexpr std::array kNamedKeys{
    TKeyNameRow{"Backspace", KeyCode::Backspace}, TKeyNameRow{"Tab", KeyCode::Tab},
    TKeyNameRow{"Enter", KeyCode::Enter},         TKeyNameRow{"Shift", KeyCode::Shift},
    TKeyNameRow{"Ctrl", KeyCode::Ctrl},           TKeyNameRow{"Alt", KeyCode::Alt},
    TKeyNameRow{"Esc", KeyCode::Esc},             TKeyNameRow{"Space", KeyCode::Space},
    TKeyNameRow{"PageUp", KeyCode::PageUp},       TKeyNameRow{"PageDown", KeyCode::PageDown},
    TKeyNameRow{"End", KeyCode::End},             TKeyNameRow{"Home", KeyCode::Home},
    TKeyNameRow{"Left", KeyCode::Left},           TKeyNameRow{"Up", KeyCode::Up},
    TKeyNameRow{"Right", KeyCode::Right},         TKeyNameRow{"Down", KeyCode::Down},
    TKeyNameRow{"Insert", KeyCode::Insert},       TKeyNameRow{"Delete", KeyCode::Delete},
};

}  // namespace

std::optional<int32_t> KeyCodeFromName(std::string_view name)
{
    for (const TKeyNameRow& row : kNamedKeys)
        if (EqualsNoCase(row.Name, name))
            return row.Code;
    if (name.size() == 1) {
        char c = name[0];
        if (c >= '0' && c <= '9')
            return KeyCode::Digit0 + (c - '0');
        if (c >= 'a' && c <= 'z')
            return KeyCode::LetterA + (c - 'a');
        if (c >= 'A' && c <= 'Z')
            return KeyCode::LetterA + (c - 'A');
    }
    if (StartsWithNoCase(name, "Num") && name.size() == 4 && name[3] >= '0' && name[3] <= '9')
        return KeyCode::Numpad0 + (name[3] - '0');
    if ((name.size() == 2 || name.size() == 3) && (name[0] == 'F' || name[0] == 'f') && name[1] >= '1' &&
        name[1] <= '9') {
        auto n = StrictInt(name.substr(1));
        if (n && *n >= 1 && *n <= 12)
            return KeyCode::F1 + static_cast<int32_t>(*n) - 1;
    }
    if (name.size() > 1 && name[0] == '#' && name[1] >= '0' && name[1] <= '9') {
        auto n = StrictInt(name.substr(1));
        if (n && *n >= 1 && *n <= 255)
            return static_cast<int32_t>(*n);
    }
    return std::nullopt;
}

std::string KeyName(int32_t code)
{
    for (const TKeyNameRow& row : kNamedKeys)
        if (row.Code == code)
            return std::string(row.Name);
    if (code >= KeyCode::Digit0 && code <= KeyCode::Digit0 + 9)
        return std::string(1, static_cast<char>('0' + code - KeyCode::Digit0));
    if (code >= KeyCode::LetterA && code <= KeyCode::LetterA + 25)
        return std::string(1, static_cast<char>('A' + code - KeyCode::LetterA));
    if (code >= KeyCode::Numpad0 && code <= KeyCode::Numpad0 + 9)
        return "Num" + std::to_string(code - KeyCode::Numpad0);
    if (code >= KeyCode::F1 && code <= KeyCode::F1 + 11)
        return "F" + std::to_string(code - KeyCode::F1 + 1);
    return "#" + std::to_string(code);
}

char16_t ControlCharacterOfKey(int32_t code, uint32_t shift)
{
    if (shift & ShiftState::Alt)
        return 0;
    switch (code) {
    case KeyCode::Backspace:
    case KeyCode::Tab:
    case KeyCode::Enter:
    case KeyCode::Esc:
        return static_cast<char16_t>(code);
    default:
        break;
    }
    if ((shift & ShiftState::Ctrl) && code >= KeyCode::LetterA && code <= KeyCode::LetterA + 25)
        return static_cast<char16_t>(code - KeyCode::LetterA + 1);
    return 0;
}
