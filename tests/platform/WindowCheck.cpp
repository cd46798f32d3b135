// Opens the real window on an X display: windowed, full screen and back, at both depths,
// checking what reaches the screen; then closes it. Run by scripts/xvfb-window-test.
//
// What was shown is read back from the renderer after the present, which only the
// software renderer keeps; with another renderer ("--no-readback") only the window's
// modes and sizes are checked.
#include "graphics/Display.h"
#include "platform/SdlWindow.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int failures = 0;
bool readBack = true;

void Check(bool ok, const std::string& what)
{
    if (what.starts_with("shown: ") && !readBack)
        return;
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok)
        ++failures;
}

void Settle()
{
    // The X server and SDL exchange a few events before a mode change is complete.
    for (int i = 0; i < 20; ++i) {
        SDL_PumpEvents();
        SDL_Delay(10);
    }
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

// A frame of one colour in the display's format, with its centre pixel white.
std::vector<uint8_t> Frame(int bits, uint32_t colour32, uint16_t colour16)
{
    const int bpp = bits / 8;
    std::vector<uint8_t> pixels(static_cast<size_t>(kScreenWidth) * kScreenHeight * bpp);
    for (size_t i = 0; i < pixels.size(); i += bpp) {
        if (bits == 32) {
            std::memcpy(&pixels[i], &colour32, 4);
        } else {
            std::memcpy(&pixels[i], &colour16, 2);
        }
    }
    return pixels;
}

// The colour of a point of the window as shown, 0xRRGGBB.
uint32_t ShownPixel(TSdlWindow& window, int x, int y)
{
    SDL_Renderer* renderer = SDL_GetRenderer(window.Handle());
    // The logical size maps reads too; read in output pixels instead.
    SDL_RenderSetLogicalSize(renderer, 0, 0);
    uint32_t pixel = 0;
    SDL_Rect at{x, y, 1, 1};
    SDL_RenderReadPixels(renderer, &at, SDL_PIXELFORMAT_RGB888, &pixel, 4);
    SDL_RenderSetLogicalSize(renderer, kScreenWidth, kScreenHeight);
    return pixel & 0xFFFFFF;
}

// Colours through a 16-bit frame lose their low bits, and renderers widen them back
// differently.
bool Near(uint32_t shown, uint32_t expected)
{
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((shown >> shift) & 0xFF);
        const int b = static_cast<int>((expected >> shift) & 0xFF);
        if (a - b > 8 || b - a > 8)
            return false;
    }
    return true;
}

void Present(TSdlWindow& window, const std::vector<uint8_t>& frame, int bits)
{
    window.PresentAll(frame.data(), kScreenWidth * bits / 8);
}

}  // namespace

int main(int argc, char** argv)
{
    readBack = !(argc > 1 && std::string(argv[1]) == "--no-readback");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::printf("FAIL SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    std::printf("video driver %s%s\n", SDL_GetCurrentVideoDriver(), readBack ? "" : ", frames not read back");
    SDL_Rect desktop{};
    SDL_GetDisplayBounds(0, &desktop);
    {
        TSdlWindow window("Glimmora", false);
        std::string error;
        Check(window.SetMode(false, 32, &error), "windowed at 32 bits " + error);
        window.PlaceWindow(200, 200);
        Settle();
        int w = 0, h = 0;
        window.WindowSize(&w, &h);
        Check(w == 800 && h == 600, "the window is 800 x 600 (" + std::to_string(w) + " x " + std::to_string(h) + ")");
        Check((SDL_GetWindowFlags(window.Handle()) & SDL_WINDOW_SHOWN) != 0, "the window is shown");
        auto red = Frame(32, 0xFF0000, 0);
        Present(window, red, 32);
        Check(ShownPixel(window, 400, 300) == 0xFF0000, "shown: the frame reaches the window");

        Check(window.SetMode(true, 32, &error), "full screen " + error);
        Settle();
        window.WindowSize(&w, &h);
        Check((SDL_GetWindowFlags(window.Handle()) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP,
              "the window is full screen");
        Check(w == desktop.w && h == desktop.h, "it covers the desktop (" + std::to_string(w) + " x " +
                                                    std::to_string(h) + " of " + std::to_string(desktop.w) + " x " +
                                                    std::to_string(desktop.h) + ")");
        Present(window, red, 32);
        Check(ShownPixel(window, w / 2, h / 2) == 0xFF0000, "shown: the frame fills the middle of the screen");
        // Whichever way the aspects differ, a corner of the screen lies in a black bar.
        const bool bars = w * 600 != h * 800;
        if (bars)
            Check(ShownPixel(window, 1, 1) == 0, "shown: the bars around the scaled frame are black");

        Check(window.SetMode(false, 16, &error), "back to a window at 16 bits " + error);
        Settle();
        window.WindowSize(&w, &h);
        Check((SDL_GetWindowFlags(window.Handle()) & SDL_WINDOW_FULLSCREEN) == 0, "the window left full screen");
        Check(w == 800 && h == 600, "the window is 800 x 600 again (" + std::to_string(w) + " x " + std::to_string(h) +
                                        ")");
        auto green = Frame(16, 0, 0x07E0);
        Present(window, green, 16);
        Check(Near(ShownPixel(window, 400, 300), 0x00FF00), "shown: a 16-bit frame reaches the window");
        const TRect part{0, 0, 100, 100};
        auto blue = Frame(16, 0, 0x001F);
        window.PresentRects(blue.data(), 800 * 2, std::span<const TRect>(&part, 1));
        Check(Near(ShownPixel(window, 50, 50), 0x0000FF) && Near(ShownPixel(window, 400, 300), 0x00FF00),
              "shown: a changed rectangle replaces only its part of the frame");
    }
    SDL_Quit();
    std::printf("%s\n", failures ? "window check FAILED" : "window check passed");
    return failures ? 1 : 0;
}
