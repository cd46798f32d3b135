// What the surface engine needs of the screen: the pixel format frames are composed in,
// and a way to show the 800 x 600 frame, whole or by changed rectangles. The SDL window
// implements it; tests use TMemoryDisplay.
#pragma once

#include "foundation/Geometry.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

class IQelDisplay {
public:
    virtual ~IQelDisplay() = default;

    // Sets up the 800 x 600 display in a window or full screen at 16 or 32 bits per pixel.
    // False (error says why, for the game log) when it cannot be done.
    virtual bool SetMode(bool fullScreen, int bitsPerPixel, std::string* error) = 0;
    // 16 (5-6-5) or 32 (8-8-8 in the low three bytes, blue lowest) once a mode is set.
    virtual int BitsPerPixel() const = 0;
    virtual bool IsFullScreen() const = 0;

    // Copies the given rectangles of an 800 x 600 frame in the display's pixel format
    // (pixels and row pitch in bytes) and shows the result.
    virtual void PresentRects(const uint8_t* pixels, int pitch, std::span<const TRect> rects) = 0;
    // Copies and shows the whole frame.
    virtual void PresentAll(const uint8_t* pixels, int pitch) = 0;
};

// A display in memory: keeps the last presented frame and what was copied.
class TMemoryDisplay final : public IQelDisplay {
public:
    explicit TMemoryDisplay(int bitsPerPixel = 32) : bits_(bitsPerPixel) {}

    bool SetMode(bool fullScreen, int bitsPerPixel, std::string*) override
    {
        fullScreen_ = fullScreen;
        bits_ = bitsPerPixel == 16 ? 16 : 32;
        Frame.assign(static_cast<size_t>(kScreenWidth) * kScreenHeight * (bits_ / 8), 0);
        return true;
    }
    int BitsPerPixel() const override { return bits_; }
    bool IsFullScreen() const override { return fullScreen_; }

    void PresentRects(const uint8_t* pixels, int pitch, std::span<const TRect> rects) override
    {
        EnsureFrame();
        for (const TRect& r : rects) {
            TRect c = Intersect(r, {0, 0, kScreenWidth, kScreenHeight});
            if (c.IsEmpty())
                continue;
            CopyRect(pixels, pitch, c);
            Copied.push_back(c);
        }
        ++Presents;
    }
    void PresentAll(const uint8_t* pixels, int pitch) override
    {
        EnsureFrame();
        CopyRect(pixels, pitch, {0, 0, kScreenWidth, kScreenHeight});
        Copied.push_back({0, 0, kScreenWidth, kScreenHeight});
        ++Presents;
    }

    std::vector<uint8_t> Frame;  // 800 x 600, tightly packed rows
    std::vector<TRect> Copied;   // every rectangle copied, in order
    int Presents = 0;

private:
    void EnsureFrame()
    {
        if (Frame.empty())
            Frame.assign(static_cast<size_t>(kScreenWidth) * kScreenHeight * (bits_ / 8), 0);
    }
    void CopyRect(const uint8_t* pixels, int pitch, const TRect& r)
    {
        const int bpp = bits_ / 8;
        for (int y = r.Top; y < r.Bottom; ++y) {
            const uint8_t* src = pixels + static_cast<ptrdiff_t>(y) * pitch + r.Left * bpp;
            uint8_t* dst = Frame.data() + (static_cast<size_t>(y) * kScreenWidth + r.Left) * bpp;
            std::copy(src, src + static_cast<size_t>(r.Width()) * bpp, dst);
        }
    }

    int bits_;
    bool fullScreen_ = false;
};
