// A bot of the simulator playing the game's days: it presses the play button of the window
// before a day and then plays through the window's own mouse events, so its clicks take the
// player's path (the interface first, then the level screen).
#pragma once

#include "gameplay/LevelBots.h"
#include "platform/InputEvent.h"

#include <functional>
#include <memory>

class IWidgetLocator;
class TQelGameEngine;

class TLevelBotPlayer {
public:
    // send delivers one input event as the window would.
    TLevelBotPlayer(TQelGameEngine& engine, const IWidgetLocator& widgets, std::unique_ptr<TLevelBot> bot,
                    std::function<void(const TInputEvent&)> send);
    ~TLevelBotPlayer();

    // Before each frame, as a player's input would come.
    void Frame();

private:
    class TWindowMouse;

    TQelGameEngine& engine_;
    const IWidgetLocator& widgets_;
    std::unique_ptr<TLevelBot> bot_;
    std::unique_ptr<TWindowMouse> mouse_;
};
