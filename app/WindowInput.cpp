// The main window's input: mouse and keyboard handlers, the shell's own key commands,
// window events, and the switch between full screen and window.
#include "app/QelGameEngine.h"

#include "app/ScreenSet.h"
#include "foundation/Clock.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "platform/GameWindow.h"
#include "platform/KeyCodes.h"

#include <array>
#include <cstdio>

namespace fs = std::filesystem;

namespace {

constexpr const char* kFrameSurface = "MemorySurface";

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
                [](TQelGameEngine& e) { e.Shell.SplashStartTime = e.Shell.FrameTime; }},
    TKeyCommand{KeyCode::LetterA + ('P' - 'A'), ShiftState::Ctrl, false, [](TQelGameEngine& e) { e.SaveScreenshot(); }},
    TKeyCommand{KeyCode::LetterA + ('I' - 'A'), ShiftState::Ctrl, true, [](TQelGameEngine& e) { e.ReloadInterface(); }},
    TKeyCommand{KeyCode::LetterA + ('D' - 'A'), ShiftState::Ctrl, true,
                [](TQelGameEngine& e) {
                    if (TStandardLevelScreen* level = e.LevelScreen())
                        level->ToggleDemoRecording();
                }},
    // Esc and the keys of the levels, the shop and the editors belong to their screens.
};

constexpr const char* kShotsFolder = "Shots";
constexpr int kLastShotNumber = 9999;

TQelMouseButton QelButton(TMouseButton button)
{
    return button == TMouseButton::Left ? TQelMouseButton::Left : button == TMouseButton::Right ? TQelMouseButton::Right
                                                                                             : TQelMouseButton::Middle;
}

TQelMouseEvent QelMouse(TMouseButton button, uint32_t shift, int x, int y)
{
    return TQelMouseEvent{QelButton(button), shift, x, y};
}

// The number of a "ShotNNNN.jpg" file name, or 0.
int ShotNumber(const std::string& name)
{
    if (name.size() != 12 || !name.starts_with("Shot") || !name.ends_with(".jpg"))
        return 0;
    int number = 0;
    for (size_t i = 4; i < 8; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

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
    Shell.MouseX = x;
    Shell.MouseY = y;
    const TQelMouseEvent event = QelMouse(button, shift, x, y);
    if (interface_)
        interface_->MouseDown(event);
    if (IScreen* screen = screens_.Find(Shell.ScreenMode))
        screen->MouseDown(event);
}

void TQelGameEngine::FormMouseUp(TMouseButton button, uint32_t shift, int x, int y)
{
    Shell.MouseX = x;
    Shell.MouseY = y;
    const TQelMouseEvent event = QelMouse(button, shift, x, y);
    if (interface_) {
        const TQelForm* top = interface_->TopModal();
        interface_->MouseUp(event);
        if (screenSet_ && top && top->Name() == "WOptions")
            screenSet_->Options.MouseUp();
    }
    if (IScreen* screen = screens_.Find(Shell.ScreenMode))
        screen->MouseUp(event);
}

void TQelGameEngine::FormMouseMove(uint32_t shift, int x, int y)
{
    Shell.MouseX = x;
    Shell.MouseY = y;
    const TQelMouseEvent event = QelMouse(TMouseButton::Left, shift, x, y);
    if (interface_)
        interface_->MouseMove(event);
    if (IScreen* screen = screens_.Find(Shell.ScreenMode))
        screen->MouseMove(event);
}

void TQelGameEngine::FormMouseWheel(int delta, uint32_t shift, int x, int y)
{
    Shell.MouseX = x;
    Shell.MouseY = y;
    const TQelWheelEvent event{shift, delta, x, y};
    if (interface_ && !surfEngine_->Progress)
        interface_->MouseWheel(event);
    if (IScreen* screen = screens_.Find(Shell.ScreenMode))
        screen->MouseWheel(event);
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
    TQelKeyEvent event{static_cast<uint16_t>(key), shift};
    if (IScreen* screen = screens_.Find(Shell.ScreenMode); screen && screen->KeyDown(event))
        return;
    // The interface takes the rest, except while the loading holds the loop.
    if (interface_ && !surfEngine_->Progress)
        interface_->KeyDown(event);
}

void TQelGameEngine::FormKeyPress(char16_t key)
{
    if (interface_ && !surfEngine_->Progress)
        interface_->KeyPress(key);
}

void TQelGameEngine::ReloadInterface()
{
    // The windows are read again from the data, so a window being laid out can be seen
    // without restarting; every window shown comes back in its place, the top one on top
    // (an editor's bar over the scene, a question over its window).
    if (!interface_ || interface_->Dispatching())
        return;
    std::vector<std::string> shown;
    for (const TQelForm* form : interface_->ModalList)
        if (form)
            shown.push_back(form->Name());
    // What the game itself set while it ran stays: which widgets show, their texts and
    // checks (a score, a typed number, a debug button). Places, sizes, pictures and fonts
    // come from the file, which is what a window is reloaded to see.
    struct TKept {
        std::string Object, Property, Value;
    };
    std::vector<TKept> kept;
    for (const auto& object : interface_->Objects)
        for (const char* property : {"Visible", "Enabled", "Checked", "Caption"})
            if (const TQelPropInfo* info = object ? object->Properties().Find(property) : nullptr)
                kept.push_back({object->Name(), property, VariantToString(GetPropValue(*object, *info))});
    LogAndCarryOn(*gameLog_, "Error ReloadInterface", [&] {
        interface_->Clear();
        interface_->LoadFromSource(*data_, "Glimmora.li");
        interface_->RefreshForms();
        for (const TKept& k : kept)
            interface_->SetObjectProperty(k.Object, k.Property, k.Value);
        for (const std::string& name : shown)
            interface_->ShowModal(name);
    });
    MarkWholeScreen();
}

void TQelGameEngine::SaveScreenshot()
{
    // Numbered after the highest shot of any number, so a new shot never replaces an
    // older one, however many there are.
    const fs::path folder = UserFolder / kShotsFolder;
    std::error_code ec;
    fs::create_directories(folder, ec);
    int highest = 0;
    for (const std::string& name : ListFolder(folder))
        highest = std::max(highest, ShotNumber(name));
    if (highest >= kLastShotNumber) {
        WriteLog("Error SaveScreenshot: no free shot number in " + folder.string());
        return;
    }
    char number[16];
    std::snprintf(number, sizeof number, "%04d", highest + 1);
    const std::string name = std::string("Shot") + number + ".jpg";
    std::vector<uint8_t> jpeg;
    std::string error;
    if (!surfEngine_->SaveSurfaceToJpg(kFrameSurface, jpeg) || !WriteFileAtomic(folder / name, jpeg, &error))
        WriteLog("Error SaveScreenshot " + name + (error.empty() ? "" : ": " + error));
}

void TQelGameEngine::ChangewindowMode()
{
    LogAndCarryOn(gameLog_.get(), "Exception Error in TQelGameEngine.ChangewindowMode", [&] {
        window_->ShowSystemCursor(true);
        systemCursorShown_.reset();
        // The running level pauses here, once levels exist.
        Options.FullScreenMode = Options.IsFullScreen() ? 0 : 1;
        SaveOptions();
        ApplyWindowStyle();
        if (!SetUpDisplay())
            return;
        // The pictures survive the switch (they live in memory, not on the display): only
        // a change of depth loads them again.
        FormPaint();
    });
}

void TQelGameEngine::ChangeDepth()
{
    LogAndCarryOn(gameLog_.get(), "Exception Error in TQelGameEngine.ChangeDepth", [&] {
        if (!SetUpDisplay())
            return;
        FormPaint();
    });
}
