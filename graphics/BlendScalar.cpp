// The reference pixel routines: each formula written out pixel by pixel, byte by byte
// and channel by channel, as the vector routines must reproduce it.
#include "graphics/BlendKernels.h"

namespace {

// Byte k (0..2) of a 32-bit pixel pairs with colour bits 16-23, 8-15 and 0-7.
constexpr int ColorByteFor(uint32_t color, int k)
{
    return static_cast<int>((color >> (16 - 8 * k)) & 0xFF);
}

constexpr int Byte(uint32_t pixel, int k)
{
    return static_cast<int>((pixel >> (8 * k)) & 0xFF);
}

constexpr uint32_t WithByte(uint32_t pixel, int k, int value)
{
    return (pixel & ~(0xFFu << (8 * k))) | (static_cast<uint32_t>(value & 0xFF) << (8 * k));
}

// (o * s + (255 - o) * d) >> 8 on bytes 0-2; byte 3 stays.
constexpr uint32_t Blend32(uint32_t d, uint32_t s, int o)
{
    for (int k = 0; k < 3; ++k)
        d = WithByte(d, k, (o * Byte(s, k) + (255 - o) * Byte(d, k)) >> 8);
    return d;
}

// The source pulled toward the colour: t + (s - t) * tint div 256, div rounding down.
constexpr uint32_t Tint32Pixel(uint32_t s, uint8_t tint, uint32_t color)
{
    for (int k = 0; k < 3; ++k) {
        int t = ColorByteFor(color, k);
        s = WithByte(s, k, (t + (((Byte(s, k) - t) * tint) >> 8)) & 0xFF);
    }
    return s;
}

const uint32_t* Masks(const TPixelFormat& f, uint32_t (&m)[3])
{
    m[0] = f.Red.Mask;
    m[1] = f.Green.Mask;
    m[2] = f.Blue.Mask;
    return m;
}

// Each channel in place: (((255 - o) * (d AND mask) + o * (s AND mask)) >> 8) AND mask.
uint16_t Blend16(uint16_t d, uint16_t s, int o, const uint32_t (&masks)[3])
{
    uint32_t r = 0;
    for (uint32_t m : masks)
        r |= ((static_cast<uint32_t>(255 - o) * (d & m) + static_cast<uint32_t>(o) * (s & m)) >> 8) & m;
    return static_cast<uint16_t>(r);
}

uint16_t Tint16Pixel(uint16_t s, uint8_t tint, uint16_t color16, const uint32_t (&masks)[3])
{
    if (tint == 255)
        return s;
    uint32_t r = 0;
    for (uint32_t m : masks) {
        int t = static_cast<int>(color16 & m);
        int v = static_cast<int>(s & m);
        r |= static_cast<uint32_t>(((tint * (v - t)) >> 8) + t) & m;
    }
    return static_cast<uint16_t>(r);
}

void Alpha32(uint32_t* dst, const uint32_t* src, const uint8_t* alpha, int count, uint8_t opacity)
{
    for (int i = 0; i < count; ++i) {
        int l = alpha[i];
        if (l == 0)
            continue;
        if (l == 255 && opacity == 255) {
            dst[i] = (dst[i] & 0xFF000000u) | (src[i] & 0x00FFFFFFu);
            continue;
        }
        dst[i] = Blend32(dst[i], src[i], (opacity * l) >> 8);
    }
}

void Tint32(uint32_t* dst, const uint32_t* src, const uint8_t* alpha, int count, uint8_t opacity, uint8_t tint,
            uint32_t color)
{
    for (int i = 0; i < count; ++i) {
        int l = alpha[i];
        if (l == 0)
            continue;
        dst[i] = Blend32(dst[i], Tint32Pixel(src[i], tint, color), (opacity * l) >> 8);
    }
}

void Alpha16(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int count, uint8_t opacity,
             const TPixelFormat& format)
{
    uint32_t masks[3];
    Masks(format, masks);
    for (int i = 0; i < count; ++i) {
        int l = alpha[i];
        if (l == 0)
            continue;
        if (l == 255 && opacity == 255) {
            dst[i] = src[i];
            continue;
        }
        int o = (opacity * l) >> 8;
        if (o != 0)
            dst[i] = Blend16(dst[i], src[i], o, masks);
    }
}

void Tint16(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int count, uint8_t opacity, uint8_t tint,
            uint16_t color16, const TPixelFormat& format)
{
    uint32_t masks[3];
    Masks(format, masks);
    for (int i = 0; i < count; ++i) {
        int l = alpha[i];
        if (l == 0)
            continue;
        int o = (opacity * l) >> 8;
        if (o != 0)
            dst[i] = Blend16(dst[i], Tint16Pixel(src[i], tint, color16, masks), o, masks);
    }
}

void Fill32(uint32_t* dst, int count, uint8_t a, uint32_t color)
{
    for (int i = 0; i < count; ++i) {
        uint32_t d = dst[i];
        for (int k = 0; k < 3; ++k)
            d = WithByte(d, k, (ColorByteFor(color, k) * a + (255 - a) * Byte(d, k)) >> 8);
        dst[i] = d;
    }
}

void Fill16(uint16_t* dst, int count, uint8_t a, uint16_t color16, const TPixelFormat& format)
{
    uint32_t masks[3];
    Masks(format, masks);
    for (int i = 0; i < count; ++i)
        dst[i] = Blend16(dst[i], color16, a, masks);
}

void Add32(uint32_t* dst, const uint32_t* first, const uint32_t* second, int count)
{
    for (int i = 0; i < count; ++i) {
        uint32_t r = 0;
        for (int k = 0; k < 4; ++k) {
            int sum = Byte(first[i], k) + Byte(second[i], k);
            r |= static_cast<uint32_t>(sum > 255 ? 255 : sum) << (8 * k);
        }
        dst[i] = r;
    }
}

void Add16(uint16_t* dst, const uint16_t* first, const uint16_t* second, int count, const TPixelFormat& format)
{
    uint32_t masks[3];
    Masks(format, masks);
    for (int i = 0; i < count; ++i) {
        uint32_t r = 0;
        for (uint32_t m : masks) {
            uint32_t sum = (first[i] & m) + (second[i] & m);
            r |= sum > m ? m : sum;
        }
        dst[i] = static_cast<uint16_t>(r);
    }
}

int Bilinear(const TBilinearWeights& w, int v00, int v10, int v01, int v11)
{
    return w.W00 * v00 + w.W10 * v10 + w.W01 * v01 + w.W11 * v11;
}

void Real32(uint32_t* dst, const uint32_t* src0, const uint32_t* src1, const uint8_t* alpha0, const uint8_t* alpha1,
            int count, const TBilinearWeights& w, uint8_t opacity, uint8_t tint, uint32_t color)
{
    for (int i = 0; i < count; ++i) {
        int a = Bilinear(w, alpha0[i], alpha0[i + 1], alpha1[i], alpha1[i + 1]) >> 8;
        if (a == 0)
            continue;
        uint32_t c = 0;
        for (int k = 0; k < 3; ++k)
            c = WithByte(c, k,
                         Bilinear(w, Byte(src0[i], k), Byte(src0[i + 1], k), Byte(src1[i], k), Byte(src1[i + 1], k)) >>
                             8);
        int o = opacity == 255 ? a : (opacity * a) >> 8;
        if (tint != 0)
            c = Tint32Pixel(c, tint, color);
        dst[i] = Blend32(dst[i], c, o);
    }
}

void Real16(uint16_t* dst, const uint16_t* src0, const uint16_t* src1, const uint8_t* alpha0, const uint8_t* alpha1,
            int count, const TBilinearWeights& w, uint8_t opacity, uint8_t tint, uint16_t color16,
            const TPixelFormat& format)
{
    uint32_t masks[3];
    Masks(format, masks);
    const int shifts[3] = {format.Red.Shift, format.Green.Shift, format.Blue.Shift};
    for (int i = 0; i < count; ++i) {
        int a = Bilinear(w, alpha0[i], alpha0[i + 1], alpha1[i], alpha1[i + 1]) >> 8;
        if (a == 0)
            continue;
        uint32_t c = 0;
        for (int k = 0; k < 3; ++k) {
            uint32_t m = masks[k];
            uint32_t sum = static_cast<uint32_t>(w.W00) * (src0[i] & m) + static_cast<uint32_t>(w.W10) * (src0[i + 1] & m) +
                           static_cast<uint32_t>(w.W01) * (src1[i] & m) + static_cast<uint32_t>(w.W11) * (src1[i + 1] & m);
            c |= ((sum >> (shifts[k] + 8)) << shifts[k]) & m;
        }
        int o = opacity == 255 ? a : (opacity * a) >> 8;
        uint16_t v = static_cast<uint16_t>(c);
        if (tint != 0)
            v = Tint16Pixel(v, tint, color16, masks);
        if (o != 0)
            dst[i] = Blend16(dst[i], v, o, masks);
    }
}

const TBlendKernels kScalar = {"scalar", Alpha32, Alpha16, Tint32, Tint16, Fill32, Fill16, Add32, Add16, Real32, Real16};

}  // namespace

const TBlendKernels& ScalarKernels()
{
    return kScalar;
}
