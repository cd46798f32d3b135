// The main window's input: mouse and keyboard handlers, the shell's own key commands,
// window events, and the switch between full screen and window.
#include "app/QelGameEngine.h"

#include "foundation/Clock.h"
#include "platform/GameWindow.h"
#include "platform/KeyCodes.h"

#include <array>

namespace {

// The shell's key commands; a row applies when its modifiers are held (others may be too).
struct TKeyCommand {
    int32_t Key;
    uint32_t Modifiers;
    bool DebugOnly;
    void (*Run)(TQelGameEngine& engine);
};

const std::array kKeyCommands{
    TKeyCommand{KeyCode::Enter, ShiftState::Alt, false, [](TQelGameEngine& e) { e.ChangewindowMode(); }},
    TKeyCommand{KeyCode::LetterA + ('F' - 'A'), 0, true, [](TQelGameEngine& e) { e.FpsOverlay = !e.FpsOverlay; }},
    TKeyCommand{KeyCode::Numpad0 + 6, 0, true, [](TQelGameEngine& e) { e.FpsOverlay = !e.FpsOverlay; }},
    TKeyCommand{KeyCode::LetterA + ('G' - 'A'), 0, true,
                [](TQelGameEngine& e) {
                    e.GridOverlay = !e.GridOverlay;
                    if (!e.GridOverlay)
                        e.MarkWholeScreen();
                }},
    TKeyCommand{KeyCode::LetterA + ('E' - 'A'), ShiftState::Ctrl, true,
                [](TQelGameEngine& e) { e.Deadlines.SplashStartTime = e.FrameTime; }},
    // Ctrl+P (screenshot), Esc (game menu), and the debug keys of the shop, the
    // interface reload, the level and the editors join this table with their engines.
};

}  // namespace

void TQelGameEngine::HandleInput(const TInputEvent& event)
{
    switch (event.Kind) {
    case TInputKind::MouseMove:
        FormMouseMove(event.Shift, event.X, event.Y);
        break;
    case TInputKind::MouseDown:
        FormMouseDown(event.Button, event.Shift, event.X, event.Y);
        break;
    case TInputKind::MouseUp:
        FormMouseUp(event.Button, event.Shift, event.X, event.Y);
        break;
    case TInputKind::MouseWheel:
        FormMouseWheel(event.WheelDelta, event.Shift, event.X, event.Y);
        break;
    case TInputKind::KeyDown:
        FormKeyDown(event.Key, event.Shift);
        break;
    case TInputKind::KeyPress:
        FormKeyPress(event.Char);
        break;
    }
}

void TQelGameEngine::HandleWindowEvent(TWindowEvent event)
{
    switch (event) {
    case TWindowEvent::Close:
        FormClose();
        break;
    case TWindowEvent::FocusGained:
        FormActivate();
        break;
    case TWindowEvent::FocusLost:
        FormDeactivate();
        break;
    case TWindowEvent::Exposed:
        FormPaint();
        break;
    case TWindowEvent::Moved:
        // Moving the window changes no option.
        break;
    }
}

void TQelGameEngine::FormMouseDown(TMouseButton button, uint32_t shift, int x, int y)
{
    Mouse.X = x;
    Mouse.Y = y;
    // The interface engine sees the press first, once it exists.
    if (IScreen* screen = screens_.Find(ScreenMode))
        screen->MouseDown(button, shift, x, y);
}

void TQelGameEngine::FormMouseUp(TMouseButton button, uint32_t shift, int x, int y)
{
    Mouse.X = x;
    Mouse.Y = y;
    if (IScreen* screen = screens_.Find(ScreenMode))
        screen->MouseUp(button, shift, x, y);
}

void TQelGameEngine::FormMouseMove(uint32_t shift, int x, int y)
{
    Mouse.X = x;
    Mouse.Y = y;
    if (IScreen* screen = screens_.Find(ScreenMode))
        screen->MouseMove(shift, x, y);
}

void TQelGameEngine::FormMouseWheel(int /*delta*/, uint32_t /*shift*/, int x, int y)
{
    Mouse.X = x;
    Mouse.Y = y;
    // The interface engine scrolls grids and trees with the wheel, once it exists.
}

void TQelGameEngine::FormKeyDown(int32_t key, uint32_t shift)
{
    constexpr uint32_t kModifiers = ShiftState::Shift | ShiftState::Alt | ShiftState::Ctrl;
    for (const TKeyCommand& command : kKeyCommands) {
        if (command.Key != key || (shift & kModifiers & command.Modifiers) != command.Modifiers)
            continue;
        if (command.DebugOnly && !Options.IsDebugMode())
            continue;
        command.Run(*this);
        return;
    }
    if (IScreen* screen = screens_.Find(ScreenMode); screen && screen->KeyDown(key, shift))
        return;
    // Otherwise the key goes to the dialog or the interface engine, once they exist.
}

void TQelGameEngine::FormKeyPress(char16_t /*key*/)
{
    // Typed characters go to the interface engine (edits, memos), once it exists.
}

void TQelGameEngine::ChangewindowMode()
{
    try {
        window_->ShowSystemCursor(true);
        systemCursorShown_.reset();
        // The running level pauses here, once levels exist.
        Options.FullScreenMode = Options.IsFullScreen() ? 0 : 1;
        SaveOptions();
        ApplyWindowStyle();
        if (!SetUpDisplay())
            return;
        // The pictures survive the switch (they live in memory, not on the display): only
        // a change of depth would load them again. The background of the current screen
        // is rebuilt here once screens have one.
        FormPaint();
    } catch (...) {
        WriteLog("Exception Error in TQelGameEngine.ChangewindowMode.");
    }
}
