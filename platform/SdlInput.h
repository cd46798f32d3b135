// SDL's events turned into the game's plain input values and window events.
#pragma once

#include "platform/InputEvent.h"

#include <optional>
#include <vector>

union SDL_Event;

class TSdlInput {
public:
    // Appends the input values the event stands for (a key can give a key code and a
    // character) and gives the window event it is, if any.
    std::optional<TWindowEvent> Translate(const SDL_Event& event, std::vector<TInputEvent>& out);

private:
    TMouseButtons buttons_;
    int32_t lastX_ = 0, lastY_ = 0;
};

// The key code of an SDL key (layout-aware), or 0 for a key the game has no code for.
int32_t KeyCodeFromSdl(int32_t sdlKey);
