// The game's one window: the 800 x 600 frame shown through an SDL streaming texture with
// an 800 x 600 logical size, so the window can be resized and full screen scales the frame
// to the desktop with black bars.
#pragma once

#include "graphics/Display.h"
#include "platform/GameWindow.h"

#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

class TSdlWindow final : public IQelDisplay, public IGameWindow {
public:
    // Creates the window hidden; the first SetMode shows it. Needs SDL's video subsystem.
    // Throws std::runtime_error when SDL cannot make a window at all.
    TSdlWindow(const std::string& title, bool vsync);
    ~TSdlWindow() override;
    TSdlWindow(const TSdlWindow&) = delete;
    TSdlWindow& operator=(const TSdlWindow&) = delete;

    // Full screen is the desktop's own mode; the depth picks the frame's pixel format
    // (32: 8-8-8 with blue lowest, 16: 5-6-5).
    bool SetMode(bool fullScreen, int bitsPerPixel, std::string* error) override;
    int BitsPerPixel() const override { return bits_; }
    bool IsFullScreen() const override { return fullScreen_; }
    // Throw std::runtime_error when the frame cannot be shown.
    void PresentRects(const uint8_t* pixels, int pitch, std::span<const TRect> rects) override;
    void PresentAll(const uint8_t* pixels, int pitch) override;

    void PlaceWindow(int left, int top) override;
    void ShowSystemCursor(bool show) override;
    void Minimize() override;

    // The window's size on the desktop, in screen pixels (tests of the full-screen switch).
    void WindowSize(int* width, int* height) const;
    SDL_Window* Handle() const { return window_; }

private:
    bool CreateRenderer(std::string* error);
    bool CreateTexture(int bits, std::string* error);
    void Show();

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool vsync_;
    bool fullScreen_ = false;
    int bits_ = 32;
    int textureBits_ = 0;
    int windowedWidth_ = kScreenWidth;
    int windowedHeight_ = kScreenHeight;
};
