// The display's pixel format as the surface engine sees it: channel masks, shifts, bit
// counts and format name, and the conversions between 8-bit colour and display pixels.
#pragma once

#include <cstdint>
#include <string>

// What the display reports: bits per pixel and the red, green and blue masks.
struct TDisplayFormat {
    int BitCount = 32;
    uint32_t RedMask = 0xFF0000;
    uint32_t GreenMask = 0x00FF00;
    uint32_t BlueMask = 0x0000FF;

    // The two formats the display offers: 32 bits with blue in the lowest byte, or 5-6-5.
    static constexpr TDisplayFormat Bgr32() { return {32, 0xFF0000, 0x00FF00, 0x0000FF}; }
    static constexpr TDisplayFormat Rgb565() { return {16, 0xF800, 0x07E0, 0x001F}; }
    static constexpr TDisplayFormat ForDepth(int bitsPerPixel) { return bitsPerPixel == 16 ? Rgb565() : Bgr32(); }
};

struct TPixelChannel {
    uint32_t Mask = 0;
    int Shift = 0;
    int Bits = 0;
};

// Everything the drawing code derives from a TDisplayFormat, once.
struct TPixelFormat {
    int BitCount = 32;
    TPixelChannel Red, Green, Blue;
    std::string Name;  // "B8G8R8", "B5G6R5", ...

    int BytesPerPixel() const { return BitCount == 16 ? 2 : 4; }
    // Only 16 and 32 bits per pixel are drawn; other depths leave pixels alone.
    bool IsDrawable() const { return BitCount == 16 || BitCount == 32; }
    // The usual 5-6-5 layout, which the vector code is written for.
    bool Is565() const
    {
        return BitCount == 16 && Red.Mask == 0xF800 && Green.Mask == 0x07E0 && Blue.Mask == 0x001F;
    }

    static TPixelFormat Analyse(const TDisplayFormat& display);
};

// A 32-bit colour value: red in bits 0-7, green 8-15, blue 16-23.
constexpr uint8_t ColorRed(uint32_t colour) { return static_cast<uint8_t>(colour); }
constexpr uint8_t ColorGreen(uint32_t colour) { return static_cast<uint8_t>(colour >> 8); }
constexpr uint8_t ColorBlue(uint32_t colour) { return static_cast<uint8_t>(colour >> 16); }
constexpr uint32_t MakeColor(uint8_t r, uint8_t g, uint8_t b) { return r | (g << 8) | (uint32_t(b) << 16); }

// A colour in the 5-6-5 layout the 16-bit drawing uses (blue in bits 0-4), each field
// limited to the display's mask of that channel.
constexpr uint16_t ColorTo16(uint32_t colour, const TPixelFormat& f)
{
    uint32_t blue = ((colour >> 19) & 31) & f.Blue.Mask;
    uint32_t green = (((colour >> 10) & 63) << 5) & f.Green.Mask;
    uint32_t red = (((colour >> 3) & 31) << 11) & f.Red.Mask;
    return static_cast<uint16_t>(blue | green | red);
}

// 8-bit red, green and blue in display format. The low bits are dropped at 16 bits,
// without rounding or dithering; at 32 bits the fourth byte is 0.
constexpr uint32_t RgbToPixel(const TPixelFormat& f, uint8_t r, uint8_t g, uint8_t b)
{
    if (f.BitCount == 16)
        return static_cast<uint16_t>(((uint32_t(r) >> (8 - f.Red.Bits)) << f.Red.Shift) +
                                     ((uint32_t(g) >> (8 - f.Green.Bits)) << f.Green.Shift) +
                                     ((uint32_t(b) >> (8 - f.Blue.Bits)) << f.Blue.Shift));
    return (uint32_t(r) << f.Red.Shift) + (uint32_t(g) << f.Green.Shift) + (uint32_t(b) << f.Blue.Shift);
}

struct TRgb {
    uint8_t R = 0, G = 0, B = 0;
    friend bool operator==(const TRgb&, const TRgb&) = default;
};

// A display pixel read back as 8-bit channels; at 16 bits a field is widened by shifting
// only, so a 5-bit 31 reads as 248.
constexpr TRgb GetPixelRgb(const TPixelFormat& f, uint32_t pixel)
{
    auto channel = [&](const TPixelChannel& c) -> uint8_t {
        uint32_t v = (pixel & c.Mask) >> c.Shift;
        return static_cast<uint8_t>(f.BitCount == 16 ? v << (8 - c.Bits) : v);
    };
    return {channel(f.Red), channel(f.Green), channel(f.Blue)};
}

// Converts rows of 24-bit blue, green, red bytes into display pixels.
void ConvertBgrRow(const TPixelFormat& f, const uint8_t* bgr, uint8_t* pixels, int count);
// Reads display pixels back into 24-bit blue, green, red bytes (GetPixelRgb per pixel).
void PixelsToBgrRow(const TPixelFormat& f, const uint8_t* pixels, uint8_t* bgr, int count);
