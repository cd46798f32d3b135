// Translating SDL's mouse, keyboard and window events.
#include "platform/SdlInput.h"

#include "foundation/Text.h"
#include "platform/KeyCodes.h"

#include <SDL.h>

#include <array>

namespace {

struct TSdlKeyRow {
    SDL_Keycode Sdl;
    int32_t Code;
};

constexpr std::array kSdlKeys{
    TSdlKeyRow{SDLK_BACKSPACE, KeyCode::Backspace}, TSdlKeyRow{SDLK_TAB, KeyCode::Tab},
    TSdlKeyRow{SDLK_RETURN, KeyCode::Enter},        TSdlKeyRow{SDLK_KP_ENTER, KeyCode::Enter},
    TSdlKeyRow{SDLK_LSHIFT, KeyCode::Shift},        TSdlKeyRow{SDLK_RSHIFT, KeyCode::Shift},
    TSdlKeyRow{SDLK_LCTRL, KeyCode::Ctrl},          TSdlKeyRow{SDLK_RCTRL, KeyCode::Ctrl},
    TSdlKeyRow{SDLK_LALT, KeyCode::Alt},            TSdlKeyRow{SDLK_RALT, KeyCode::Alt},
    TSdlKeyRow{SDLK_ESCAPE, KeyCode::Esc},          TSdlKeyRow{SDLK_SPACE, KeyCode::Space},
    TSdlKeyRow{SDLK_PAGEUP, KeyCode::PageUp},       TSdlKeyRow{SDLK_PAGEDOWN, KeyCode::PageDown},
    TSdlKeyRow{SDLK_END, KeyCode::End},             TSdlKeyRow{SDLK_HOME, KeyCode::Home},
    TSdlKeyRow{SDLK_LEFT, KeyCode::Left},           TSdlKeyRow{SDLK_UP, KeyCode::Up},
    TSdlKeyRow{SDLK_RIGHT, KeyCode::Right},         TSdlKeyRow{SDLK_DOWN, KeyCode::Down},
    TSdlKeyRow{SDLK_INSERT, KeyCode::Insert},       TSdlKeyRow{SDLK_DELETE, KeyCode::Delete},
    TSdlKeyRow{SDLK_KP_0, KeyCode::Numpad0},        TSdlKeyRow{SDLK_KP_1, KeyCode::Numpad0 + 1},
    TSdlKeyRow{SDLK_KP_2, KeyCode::Numpad0 + 2},    TSdlKeyRow{SDLK_KP_3, KeyCode::Numpad0 + 3},
    TSdlKeyRow{SDLK_KP_4, KeyCode::Numpad0 + 4},    TSdlKeyRow{SDLK_KP_5, KeyCode::Numpad0 + 5},
    TSdlKeyRow{SDLK_KP_6, KeyCode::Numpad0 + 6},    TSdlKeyRow{SDLK_KP_7, KeyCode::Numpad0 + 7},
    TSdlKeyRow{SDLK_KP_8, KeyCode::Numpad0 + 8},    TSdlKeyRow{SDLK_KP_9, KeyCode::Numpad0 + 9},
};

uint32_t ModifierBits(Uint16 mod)
{
    return ((mod & KMOD_SHIFT) ? ShiftState::Shift : 0u) | ((mod & KMOD_ALT) ? ShiftState::Alt : 0u) |
           ((mod & KMOD_CTRL) ? ShiftState::Ctrl : 0u);
}

std::optional<TMouseButton> ButtonFromSdl(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT:
        return TMouseButton::Left;
    case SDL_BUTTON_RIGHT:
        return TMouseButton::Right;
    case SDL_BUTTON_MIDDLE:
        return TMouseButton::Middle;
    default:
        return std::nullopt;
    }
}

}  // namespace

int32_t KeyCodeFromSdl(int32_t sdlKey)
{
    for (const TSdlKeyRow& row : kSdlKeys)
        if (row.Sdl == sdlKey)
            return row.Code;
    if (sdlKey >= SDLK_0 && sdlKey <= SDLK_9)
        return KeyCode::Digit0 + (sdlKey - SDLK_0);
    if (sdlKey >= SDLK_a && sdlKey <= SDLK_z)
        return KeyCode::LetterA + (sdlKey - SDLK_a);
    if (sdlKey >= SDLK_F1 && sdlKey <= SDLK_F12)
        return KeyCode::F1 + (sdlKey - SDLK_F1);
    return 0;
}

std::optional<TWindowEvent> TSdlInput::Translate(const SDL_Event& event, std::vector<TInputEvent>& out)
{
    TInputEvent input;
    switch (event.type) {
    case SDL_QUIT:
        return TWindowEvent::Close;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            return TWindowEvent::Close;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return TWindowEvent::FocusGained;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return TWindowEvent::FocusLost;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            return TWindowEvent::Exposed;
        case SDL_WINDOWEVENT_MOVED:
            return TWindowEvent::Moved;
        default:
            return std::nullopt;
        }
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        // The texture may have lost the frame: show it whole again.
        return TWindowEvent::Exposed;
    case SDL_MOUSEMOTION:
        lastX_ = event.motion.x;
        lastY_ = event.motion.y;
        input.Kind = TInputKind::MouseMove;
        input.X = lastX_;
        input.Y = lastY_;
        input.Shift = ModifierBits(SDL_GetModState()) | buttons_.Held();
        out.push_back(input);
        return std::nullopt;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        auto button = ButtonFromSdl(event.button.button);
        if (!button)
            return std::nullopt;
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        if (down)
            buttons_.Press(*button);
        else
            buttons_.Release(*button);
        lastX_ = event.button.x;
        lastY_ = event.button.y;
        input.Kind = down ? TInputKind::MouseDown : TInputKind::MouseUp;
        input.Button = *button;
        input.X = lastX_;
        input.Y = lastY_;
        input.Shift = ModifierBits(SDL_GetModState()) | buttons_.Held() |
                      (down && event.button.clicks >= 2 ? ShiftState::Double : 0u);
        out.push_back(input);
        return std::nullopt;
    }
    case SDL_MOUSEWHEEL: {
        constexpr int32_t kWheelNotch = 120;
        int32_t notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        if (notches == 0)
            return std::nullopt;
        input.Kind = TInputKind::MouseWheel;
        input.WheelDelta = notches * kWheelNotch;
        input.X = lastX_;
        input.Y = lastY_;
        input.Shift = ModifierBits(SDL_GetModState()) | buttons_.Held();
        out.push_back(input);
        return std::nullopt;
    }
    case SDL_KEYDOWN: {
        const int32_t code = KeyCodeFromSdl(event.key.keysym.sym);
        if (code == 0)
            return std::nullopt;
        const uint32_t mods = ModifierBits(event.key.keysym.mod);
        input.Kind = TInputKind::KeyDown;
        input.Key = code;
        input.Shift = mods;
        out.push_back(input);
        if (char16_t c = ControlCharacterOfKey(code, mods)) {
            TInputEvent press;
            press.Kind = TInputKind::KeyPress;
            press.Char = c;
            press.Shift = mods;
            out.push_back(press);
        }
        return std::nullopt;
    }
    case SDL_TEXTINPUT:
        for (char16_t c : Utf8ToUtf16(event.text.text)) {
            TInputEvent press;
            press.Kind = TInputKind::KeyPress;
            press.Char = c;
            out.push_back(press);
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}
