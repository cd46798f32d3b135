// One screen of the game (title, map, shop, level, bonus, pixel, dialog, demo, editor...):
// the work of its frame, its own layers of the picture and its input. The main window
// finds the screen of the current mode in its table and calls it; a mode with no screen
// does nothing there.
#pragma once

#include "app/ScreenMode.h"
#include "platform/InputEvent.h"

#include <array>
#include <cstdint>
#include <initializer_list>

class IScreen {
public:
    virtual ~IScreen() = default;
    // The mode's work of the frame, after the interface, the effects and the music.
    virtual void Tick(int64_t /*now*/) {}
    // The mode's own layers, back to front, into the frame being composed.
    virtual void Draw() {}
    // After the interface has seen the event.
    virtual void MouseDown(TMouseButton /*button*/, uint32_t /*shift*/, int /*x*/, int /*y*/) {}
    virtual void MouseUp(TMouseButton /*button*/, uint32_t /*shift*/, int /*x*/, int /*y*/) {}
    virtual void MouseMove(uint32_t /*shift*/, int /*x*/, int /*y*/) {}
    // True when the screen used the key, so it goes no further.
    virtual bool KeyDown(int32_t /*key*/, uint32_t /*shift*/) { return false; }
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
