// The desktop services through SDL: message boxes, the clipboard, opening addresses; and
// the message box of runs without a desktop.
#pragma once

#include "foundation/Services.h"

struct SDL_Window;

// A modal box with an OK button over the game window (or alone before it exists). When
// SDL cannot show one the text goes to the standard error stream instead.
class TSdlMessageBox final : public IMessageBox {
public:
    explicit TSdlMessageBox(SDL_Window* parent = nullptr) : parent_(parent) {}
    void SetParent(SDL_Window* parent) { parent_ = parent; }
    void Show(const std::string& title, const std::string& text) override;

private:
    SDL_Window* parent_;
};

// Headless runs: the text goes to the standard error stream and nothing waits.
class TConsoleMessageBox final : public IMessageBox {
public:
    void Show(const std::string& title, const std::string& text) override;
};

class TSdlClipboard final : public IClipboard {
public:
    std::string GetText() override;
    void SetText(const std::string& text) override;
};

class TSdlUrlOpener final : public IUrlOpener {
public:
    bool Open(const std::string& url) override;
};
