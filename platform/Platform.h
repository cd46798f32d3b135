// The platform layer: the window and its display, the audio device, input, the clock and
// the desktop services, each behind a small interface with no SDL type in it. Only this
// folder and app/ include SDL; the rest of the game sees these interfaces, so every
// subsystem builds and tests without a display or a sound card.
#pragma once

class IClock;
class IQelDisplay;
class IGameWindow;
class IAudioLibrary;
class IMessageBox;
class IClipboard;
class IUrlOpener;

// What the main window is given to live on. Nothing here is owned: the program entry
// (or a test) owns the implementations and outlives the window.
struct TPlatformServices {
    const IClock* Clock = nullptr;
    IQelDisplay* Display = nullptr;
    IGameWindow* Window = nullptr;
    IAudioLibrary* Audio = nullptr;
    IMessageBox* MessageBox = nullptr;
    IClipboard* Clipboard = nullptr;
    IUrlOpener* UrlOpener = nullptr;
};
