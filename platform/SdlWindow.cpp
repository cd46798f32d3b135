// The SDL window, renderer and frame texture.
#include "platform/SdlWindow.h"

#include <SDL.h>

#include <stdexcept>

namespace {

// Where the game's windowed frame goes when no option says otherwise.
constexpr int kDefaultWindowPos = 200;

bool Fail(std::string* error, const std::string& what)
{
    if (error)
        *error = what + ": " + SDL_GetError();
    return false;
}

SDL_Rect ToSdl(const TRect& r)
{
    return SDL_Rect{r.Left, r.Top, r.Width(), r.Height()};
}

}  // namespace

TSdlWindow::TSdlWindow(const std::string& title, bool vsync) : vsync_(vsync)
{
    window_ = SDL_CreateWindow(title.c_str(), kDefaultWindowPos, kDefaultWindowPos, kScreenWidth, kScreenHeight,
                               SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!window_)
        throw std::runtime_error(std::string("Cannot create the window: ") + SDL_GetError());
    SDL_SetWindowMinimumSize(window_, kScreenWidth / 4, kScreenHeight / 4);
}

TSdlWindow::~TSdlWindow()
{
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    SDL_DestroyWindow(window_);
}

bool TSdlWindow::CreateRenderer(std::string* error)
{
    // Smooth scaling when the frame is stretched to a full screen; at 1:1 it changes nothing.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    Uint32 flags = SDL_RENDERER_ACCELERATED | (vsync_ ? SDL_RENDERER_PRESENTVSYNC : 0);
    renderer_ = SDL_CreateRenderer(window_, -1, flags);
    if (!renderer_)
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_)
        return Fail(error, "Cannot create the renderer");
    if (SDL_RenderSetLogicalSize(renderer_, kScreenWidth, kScreenHeight) != 0)
        return Fail(error, "Cannot set the logical size");
    return true;
}

bool TSdlWindow::CreateTexture(int bits, std::string* error)
{
    if (texture_ && textureBits_ == bits)
        return true;
    if (texture_) {
        SDL_DestroyTexture(texture_);
        texture_ = nullptr;
        textureBits_ = 0;
    }
    // Byte 3 of a 32-bit frame pixel is not colour: the X of XRGB ignores it.
    Uint32 format = bits == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, kScreenWidth, kScreenHeight);
    if (!texture_)
        return Fail(error, bits == 16 ? "Cannot create a 16-bit frame texture" : "Cannot create a 32-bit frame texture");
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
    textureBits_ = bits;
    return true;
}

bool TSdlWindow::SetMode(bool fullScreen, int bitsPerPixel, std::string* error)
{
    const int bits = bitsPerPixel == 16 ? 16 : 32;
    if (!renderer_ && !CreateRenderer(error))
        return false;
    if (!CreateTexture(bits, error))
        return false;
    const bool wasFullScreen = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
    if (fullScreen && !wasFullScreen)
        SDL_GetWindowSize(window_, &windowedWidth_, &windowedHeight_);
    if (SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        return Fail(error, fullScreen ? "Cannot switch to full screen" : "Cannot leave full screen");
    // The window comes back at the size it had; without a window manager nobody else
    // would shrink it again.
    if (!fullScreen && wasFullScreen)
        SDL_SetWindowSize(window_, windowedWidth_, windowedHeight_);
    fullScreen_ = fullScreen;
    bits_ = bits;
    Show();
    return true;
}

void TSdlWindow::Show()
{
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
}

void TSdlWindow::PresentRects(const uint8_t* pixels, int pitch, std::span<const TRect> rects)
{
    if (!texture_)
        throw std::runtime_error("No display mode is set");
    const int bytesPerPixel = bits_ / 8;
    const TRect screen{0, 0, kScreenWidth, kScreenHeight};
    for (const TRect& rect : rects) {
        TRect r = Intersect(rect, screen);
        if (r.IsEmpty())
            continue;
        // Only the changed rectangles travel; the texture keeps the rest of the frame.
        SDL_Rect area = ToSdl(r);
        const uint8_t* first = pixels + static_cast<ptrdiff_t>(r.Top) * pitch + r.Left * bytesPerPixel;
        if (SDL_UpdateTexture(texture_, &area, first, pitch) != 0)
            throw std::runtime_error(std::string("Cannot update the frame texture: ") + SDL_GetError());
    }
    // The renderer's back buffer does not survive a present, so the whole texture is drawn.
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (SDL_RenderCopy(renderer_, texture_, nullptr, nullptr) != 0)
        throw std::runtime_error(std::string("Cannot draw the frame: ") + SDL_GetError());
    SDL_RenderPresent(renderer_);
}

void TSdlWindow::PresentAll(const uint8_t* pixels, int pitch)
{
    const TRect all{0, 0, kScreenWidth, kScreenHeight};
    PresentRects(pixels, pitch, std::span<const TRect>(&all, 1));
}

void TSdlWindow::PlaceWindow(int left, int top)
{
    const SDL_Rect wanted{left, top, kScreenWidth, kScreenHeight};
    bool reachable = false;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds;
        SDL_Rect overlap;
        // Enough of the window (its caption included) must be on some display to grab it.
        if (SDL_GetDisplayUsableBounds(i, &bounds) == 0 && SDL_IntersectRect(&wanted, &bounds, &overlap) &&
            overlap.w >= 100 && overlap.h >= 50 && top >= bounds.y)
            reachable = true;
    }
    if (reachable)
        SDL_SetWindowPosition(window_, left, top);
    else
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void TSdlWindow::ShowSystemCursor(bool show)
{
    if (show)
        SDL_SetCursor(SDL_GetDefaultCursor());
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void TSdlWindow::Minimize()
{
    SDL_MinimizeWindow(window_);
}

void TSdlWindow::WindowSize(int* width, int* height) const
{
    SDL_GetWindowSize(window_, width, height);
}
