// What the game asks of its window beyond showing frames: where it sits, the system
// cursor, getting out of the way. The SDL window implements it; tests use TMemoryWindow.
#pragma once

#include <vector>

class IGameWindow {
public:
    virtual ~IGameWindow() = default;
    // The top-left corner of the window on the desktop in windowed mode. A place from
    // which the window could not be reached puts it in the middle of the screen instead.
    virtual void PlaceWindow(int left, int top) = 0;
    virtual void ShowSystemCursor(bool show) = 0;
    virtual void Minimize() = 0;
};

class TMemoryWindow final : public IGameWindow {
public:
    void PlaceWindow(int left, int top) override
    {
        Left = left;
        Top = top;
        ++Placed;
    }
    void ShowSystemCursor(bool show) override { CursorShown = show; }
    void Minimize() override { ++Minimized; }

    int Left = 0, Top = 0, Placed = 0, Minimized = 0;
    bool CursorShown = true;
};
