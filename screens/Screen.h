// One screen of the game (loading, title, map, shop, level, dialog, demo, editor...): the
// work of its frame, its own layers of the picture and its input. The main window finds
// the screen of the current mode in its table and calls it; a mode with no screen does
// nothing there.
#pragma once

#include "interface/QelInput.h"
#include "screens/ScreenMode.h"

#include <array>
#include <cstdint>
#include <initializer_list>

class IScreen {
public:
    virtual ~IScreen() = default;
    // The screen's mode has become current; from is the mode that was.
    virtual void Enter(TScreenMode /*from*/) {}
    // Another mode is about to become current.
    virtual void Leave(TScreenMode /*to*/) {}
    // The mode's work of the frame, after the interface, the effects and the music.
    virtual void Tick(int64_t /*now*/) {}
    // The mode's own layers, back to front, into the frame being composed; the interface
    // and the effects are drawn over them by the main window.
    virtual void Draw() {}
    // Layers over the interface and the screen effects (the level's clock panel).
    virtual void DrawOverInterface() {}
    // True when Draw composes the whole frame itself, with no interface or screen effects
    // drawn over it by the main window (the splash shows a picture of the title).
    virtual bool ComposesWholeFrame() const { return false; }
    // After the interface has seen the event.
    virtual void MouseDown(const TQelMouseEvent& /*event*/) {}
    virtual void MouseUp(const TQelMouseEvent& /*event*/) {}
    virtual void MouseMove(const TQelMouseEvent& /*event*/) {}
    virtual void MouseWheel(const TQelWheelEvent& /*event*/) {}
    // True when the screen used the key, so it goes no further.
    virtual bool KeyDown(const TQelKeyEvent& /*event*/) { return false; }
};

// Screens by mode; one screen may serve several modes (a level and its demo playback).
// The table links screens, the main window owns them.
class TScreenTable {
public:
    void Set(TScreenMode mode, IScreen* screen) { screens_[static_cast<uint8_t>(mode)] = screen; }
    void Set(std::initializer_list<TScreenMode> modes, IScreen* screen)
    {
        for (TScreenMode mode : modes)
            Set(mode, screen);
    }
    IScreen* Find(TScreenMode mode) const { return screens_[static_cast<uint8_t>(mode)]; }

private:
    std::array<IScreen*, 256> screens_{};
};

// Screens change only through this: a request is applied once, at the top of the next
// frame's tick, so the frame that asked finishes in the mode it started in. The last
// request of a frame wins.
class IScreenSwitch {
public:
    virtual ~IScreenSwitch() = default;
    virtual void Request(TScreenMode mode) = 0;
};
