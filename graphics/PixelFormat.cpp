// Pixel-format analysis and the row conversions used when pictures are loaded and saved.
#include "graphics/PixelFormat.h"

#include <algorithm>
#include <bit>

namespace {

TPixelChannel AnalyseChannel(uint32_t mask, int bitCount)
{
    TPixelChannel c;
    c.Mask = mask;
    const int highestBit = bitCount == 16 ? 14 : 31;
    for (int bit = 0; bit <= highestBit; ++bit)
        if (mask & (1u << bit)) {
            c.Shift = bit;
            break;
        }
    c.Bits = bitCount == 16 ? std::popcount(mask & 0xFFFFu) : 8;
    return c;
}

}  // namespace

TPixelFormat TPixelFormat::Analyse(const TDisplayFormat& display)
{
    TPixelFormat f;
    f.BitCount = display.BitCount;
    f.Red = AnalyseChannel(display.RedMask, display.BitCount);
    f.Green = AnalyseChannel(display.GreenMask, display.BitCount);
    f.Blue = AnalyseChannel(display.BlueMask, display.BitCount);
    struct Letter {
        char Name;
        const TPixelChannel* Channel;
    };
    Letter letters[3] = {{'R', &f.Red}, {'G', &f.Green}, {'B', &f.Blue}};
    std::stable_sort(std::begin(letters), std::end(letters),
                     [](const Letter& a, const Letter& b) { return a.Channel->Shift < b.Channel->Shift; });
    for (const Letter& l : letters) {
        f.Name += l.Name;
        f.Name += static_cast<char>('0' + std::clamp(l.Channel->Bits, 0, 9));
    }
    return f;
}

void ConvertBgrRow(const TPixelFormat& f, const uint8_t* bgr, uint8_t* pixels, int count)
{
    if (f.BitCount == 16) {
        auto* out = reinterpret_cast<uint16_t*>(pixels);
        for (int i = 0; i < count; ++i, bgr += 3)
            out[i] = static_cast<uint16_t>(RgbToPixel(f, bgr[2], bgr[1], bgr[0]));
    } else if (f.BitCount == 32) {
        auto* out = reinterpret_cast<uint32_t*>(pixels);
        for (int i = 0; i < count; ++i, bgr += 3)
            out[i] = RgbToPixel(f, bgr[2], bgr[1], bgr[0]);
    }
}

void PixelsToBgrRow(const TPixelFormat& f, const uint8_t* pixels, uint8_t* bgr, int count)
{
    for (int i = 0; i < count; ++i, bgr += 3) {
        uint32_t p = 0;
        if (f.BitCount == 16)
            p = reinterpret_cast<const uint16_t*>(pixels)[i];
        else if (f.BitCount == 32)
            p = reinterpret_cast<const uint32_t*>(pixels)[i];
        TRgb c = GetPixelRgb(f, p);
        bgr[0] = c.B;
        bgr[1] = c.G;
        bgr[2] = c.R;
    }
}
