// SSE2 pixel routines (every x86-64 processor): four 32-bit or eight 16-bit pixels at a
// time, channels widened to 16-bit lanes. They give exactly the pixels of the scalar set.
//
// Two identities keep every product inside 16 bits:
//   (o * s + (255 - o) * d) >> 8  ==  (255 * d + o * (s - d)) >> 8, evaluated modulo 2^16
//     (the true value lies in 0..65025, so the wrapped sum is exact);
//   t + ((s - t) * tint div 256)  ==  (t * (256 - tint) + s * tint) >> 8 (at most 65280).
// A 16-bit channel blended in place, (((255 - o) * (d AND m) + o * (s AND m)) >> 8) AND m,
// equals the same blend of the shifted-down field values, shifted back.
#include "graphics/BlendKernels.h"

#include <emmintrin.h>

#include <cstring>

namespace {

inline uint32_t Load4(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline uint64_t Load8(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline __m128i Select(__m128i mask, __m128i ifSet, __m128i otherwise)
{
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, otherwise));
}

// (255 * d + o * (s - d)) >> 8 on 16-bit lanes.
inline __m128i Mix(__m128i d, __m128i s, __m128i o)
{
    return _mm_srli_epi16(_mm_add_epi16(_mm_sub_epi16(_mm_slli_epi16(d, 8), d), _mm_mullo_epi16(o, _mm_sub_epi16(s, d))),
                          8);
}

// Four alpha bytes as one 32-bit lane per pixel.
inline __m128i AlphaPerPixel(uint32_t a4)
{
    const __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(a4)), zero), zero);
}

// o = (opacity * alpha) >> 8 repeated over the four channel lanes of pixels 0, 1 (lo)
// and 2, 3 (hi).
inline void OpacityLanes(__m128i a32, __m128i opacity, __m128i& lo, __m128i& hi)
{
    const __m128i o = _mm_srli_epi16(_mm_mullo_epi16(a32, opacity), 8);  // u16 o, u16 0 per pixel
    const __m128i both = _mm_or_si128(o, _mm_slli_epi32(o, 16));
    lo = _mm_unpacklo_epi32(both, both);
    hi = _mm_unpackhi_epi32(both, both);
}

// Four 32-bit pixels blended by the opacity lanes; byte 3 is computed but not kept.
inline __m128i Blend4(__m128i s, __m128i d, __m128i olo, __m128i ohi)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = Mix(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero), olo);
    const __m128i hi = Mix(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero), ohi);
    return _mm_packus_epi16(lo, hi);
}

void Alpha32(uint32_t* dst, const uint32_t* src, const uint8_t* alpha, int count, uint8_t opacity)
{
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i opacityLanes = _mm_set1_epi32(opacity);
    const __m128i opaque = _mm_set1_epi32(255);
    const bool full = opacity == 255;
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const uint32_t a4 = Load4(alpha + i);
        if (a4 == 0)
            continue;
        auto* dp = reinterpret_cast<__m128i*>(dst + i);
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i d = _mm_loadu_si128(dp);
        if (full && a4 == 0xFFFFFFFFu) {
            _mm_storeu_si128(dp, Select(rgb, s, d));
            continue;
        }
        const __m128i a = AlphaPerPixel(a4);
        __m128i olo, ohi;
        OpacityLanes(a, opacityLanes, olo, ohi);
        __m128i r = Blend4(s, d, olo, ohi);
        if (full)
            r = Select(_mm_cmpeq_epi32(a, opaque), s, r);
        r = Select(_mm_cmpeq_epi32(a, _mm_setzero_si128()), d, r);
        _mm_storeu_si128(dp, Select(rgb, r, d));
    }
    ScalarKernels().Alpha32(dst + i, src + i, alpha + i, count - i, opacity);
}

// t * (256 - tint) per channel lane of one pixel, for bytes 0, 1, 2 (blue, green, red in
// the usual layout) and 0 for byte 3, over two pixels.
inline __m128i TintBase(uint8_t tint, uint32_t color)
{
    const int k = 256 - tint;
    const short b0 = static_cast<short>(((color >> 16) & 0xFF) * k);
    const short b1 = static_cast<short>(((color >> 8) & 0xFF) * k);
    const short b2 = static_cast<short>((color & 0xFF) * k);
    return _mm_setr_epi16(b0, b1, b2, 0, b0, b1, b2, 0);
}

void Tint32(uint32_t* dst, const uint32_t* src, const uint8_t* alpha, int count, uint8_t opacity, uint8_t tint,
            uint32_t color)
{
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i opacityLanes = _mm_set1_epi32(opacity);
    const __m128i base = TintBase(tint, color);
    const __m128i tintLanes = _mm_set1_epi16(tint);
    const __m128i zero = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const uint32_t a4 = Load4(alpha + i);
        if (a4 == 0)
            continue;
        auto* dp = reinterpret_cast<__m128i*>(dst + i);
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i d = _mm_loadu_si128(dp);
        const __m128i a = AlphaPerPixel(a4);
        __m128i olo, ohi;
        OpacityLanes(a, opacityLanes, olo, ohi);
        const __m128i mlo = _mm_srli_epi16(_mm_add_epi16(base, _mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), tintLanes)), 8);
        const __m128i mhi = _mm_srli_epi16(_mm_add_epi16(base, _mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), tintLanes)), 8);
        const __m128i lo = Mix(_mm_unpacklo_epi8(d, zero), mlo, olo);
        const __m128i hi = Mix(_mm_unpackhi_epi8(d, zero), mhi, ohi);
        __m128i r = _mm_packus_epi16(lo, hi);
        r = Select(_mm_cmpeq_epi32(a, zero), d, r);
        _mm_storeu_si128(dp, Select(rgb, r, d));
    }
    ScalarKernels().Tint32(dst + i, src + i, alpha + i, count - i, opacity, tint, color);
}

void Fill32(uint32_t* dst, int count, uint8_t a, uint32_t color)
{
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i o = _mm_set1_epi16(a);
    const __m128i zero = _mm_setzero_si128();
    // The colour as a pixel: blue in byte 0.
    const uint32_t pixel = ((color >> 16) & 0xFF) | (color & 0xFF00) | ((color & 0xFF) << 16);
    const __m128i c = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(pixel)), zero);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        auto* dp = reinterpret_cast<__m128i*>(dst + i);
        const __m128i d = _mm_loadu_si128(dp);
        const __m128i lo = Mix(_mm_unpacklo_epi8(d, zero), c, o);
        const __m128i hi = Mix(_mm_unpackhi_epi8(d, zero), c, o);
        _mm_storeu_si128(dp, Select(rgb, _mm_packus_epi16(lo, hi), d));
    }
    ScalarKernels().Fill32(dst + i, count - i, a, color);
}

void Add32(uint32_t* dst, const uint32_t* first, const uint32_t* second, int count)
{
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_adds_epu8(f, s));
    }
    ScalarKernels().Add32(dst + i, first + i, second + i, count - i);
}

// ---- 5-6-5 -----------------------------------------------------------------------------

struct TFields {
    __m128i R, G, B;
};

inline TFields Split(__m128i p)
{
    const __m128i m6 = _mm_set1_epi16(63), m5 = _mm_set1_epi16(31);
    return {_mm_srli_epi16(p, 11), _mm_and_si128(_mm_srli_epi16(p, 5), m6), _mm_and_si128(p, m5)};
}

inline __m128i Join(const TFields& f)
{
    return _mm_or_si128(_mm_slli_epi16(f.R, 11), _mm_or_si128(_mm_slli_epi16(f.G, 5), f.B));
}

inline __m128i Blend8(__m128i s, __m128i d, __m128i o)
{
    const TFields fs = Split(s), fd = Split(d);
    return Join({Mix(fd.R, fs.R, o), Mix(fd.G, fs.G, o), Mix(fd.B, fs.B, o)});
}

// Field-wise (t * (256 - tint) + s * tint) >> 8.
inline __m128i Tint8(__m128i s, const TFields& base, __m128i tint)
{
    const TFields f = Split(s);
    return Join({_mm_srli_epi16(_mm_add_epi16(base.R, _mm_mullo_epi16(f.R, tint)), 8),
                 _mm_srli_epi16(_mm_add_epi16(base.G, _mm_mullo_epi16(f.G, tint)), 8),
                 _mm_srli_epi16(_mm_add_epi16(base.B, _mm_mullo_epi16(f.B, tint)), 8)});
}

void Alpha16(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int count, uint8_t opacity,
             const TPixelFormat& format)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i opacityLanes = _mm_set1_epi16(opacity);
    const __m128i opaque = _mm_set1_epi16(255);
    const bool full = opacity == 255;
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint64_t a8 = Load8(alpha + i);
        if (a8 == 0)
            continue;
        auto* dp = reinterpret_cast<__m128i*>(dst + i);
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        if (full && a8 == ~uint64_t{0}) {
            _mm_storeu_si128(dp, s);
            continue;
        }
        const __m128i d = _mm_loadu_si128(dp);
        const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(alpha + i)), zero);
        const __m128i o = _mm_srli_epi16(_mm_mullo_epi16(a, opacityLanes), 8);
        __m128i r = Blend8(s, d, o);
        r = Select(_mm_cmpeq_epi16(o, zero), d, r);
        if (full)
            r = Select(_mm_cmpeq_epi16(a, opaque), s, r);
        _mm_storeu_si128(dp, r);
    }
    ScalarKernels().Alpha16(dst + i, src + i, alpha + i, count - i, opacity, format);
}

void Tint16(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int count, uint8_t opacity, uint8_t tint,
            uint16_t color16, const TPixelFormat& format)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i opacityLanes = _mm_set1_epi16(opacity);
    const __m128i tintLanes = _mm_set1_epi16(tint);
    const __m128i k = _mm_set1_epi16(static_cast<short>(256 - tint));
    const TFields c = Split(_mm_set1_epi16(static_cast<short>(color16)));
    const TFields base = {_mm_mullo_epi16(c.R, k), _mm_mullo_epi16(c.G, k), _mm_mullo_epi16(c.B, k)};
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        if (Load8(alpha + i) == 0)
            continue;
        auto* dp = reinterpret_cast<__m128i*>(dst + i);
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i d = _mm_loadu_si128(dp);
        const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(alpha + i)), zero);
        const __m128i o = _mm_srli_epi16(_mm_mullo_epi16(a, opacityLanes), 8);
        if (tint != 255)
            s = Tint8(s, base, tintLanes);
        __m128i r = Blend8(s, d, o);
        r = Select(_mm_cmpeq_epi16(o, zero), d, r);
        _mm_storeu_si128(dp, r);
    }
    ScalarKernels().Tint16(dst + i, src + i, alpha + i, count - i, opacity, tint, color16, format);
}

void Fill16(uint16_t* dst, int count, uint8_t a, uint16_t color16, const TPixelFormat& format)
{
    const __m128i o = _mm_set1_epi16(a);
    const __m128i c = _mm_set1_epi16(static_cast<short>(color16));
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        auto* dp = reinterpret_cast<__m128i*>(dst + i);
        _mm_storeu_si128(dp, Blend8(c, _mm_loadu_si128(dp), o));
    }
    ScalarKernels().Fill16(dst + i, count - i, a, color16, format);
}

void Add16(uint16_t* dst, const uint16_t* first, const uint16_t* second, int count, const TPixelFormat& format)
{
    const __m128i m6 = _mm_set1_epi16(63), m5 = _mm_set1_epi16(31);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const TFields f = Split(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i)));
        const TFields s = Split(_mm_loadu_si128(reinterpret_cast<const __m128i*>(second + i)));
        const TFields sum = {_mm_min_epi16(_mm_add_epi16(f.R, s.R), m5), _mm_min_epi16(_mm_add_epi16(f.G, s.G), m6),
                             _mm_min_epi16(_mm_add_epi16(f.B, s.B), m5)};
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), Join(sum));
    }
    ScalarKernels().Add16(dst + i, first + i, second + i, count - i, format);
}

}  // namespace

const TBlendKernels& Sse2Kernels()
{
    // The real-position draw has a vector routine in the AVX2 set only; processors
    // without AVX2 use the scalar one.
    static const TBlendKernels kernels = {"sse2",  Alpha32, Alpha16, Tint32, Tint16, Fill32, Fill16, Add32, Add16,
                                          ScalarKernels().Real32, ScalarKernels().Real16};
    return kernels;
}
