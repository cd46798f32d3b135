// AVX2 pixel routines, used when the processor has AVX2: eight 32-bit or sixteen 16-bit
// pixels at a time, with the same 16-bit lane arithmetic as the SSE2 set (see there).
// Only these functions are compiled for AVX2, so nothing else of the program can end
// up using instructions the processor lacks.
#include "graphics/BlendKernels.h"

#include <immintrin.h>

#include <cstring>

#define GLIM_AVX2 __attribute__((target("avx2")))

namespace {

inline uint64_t Load8(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

GLIM_AVX2 inline __m256i Select(__m256i mask, __m256i ifSet, __m256i otherwise)
{
    return _mm256_blendv_epi8(otherwise, ifSet, mask);
}

GLIM_AVX2 inline __m256i Mix(__m256i d, __m256i s, __m256i o)
{
    return _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_sub_epi16(_mm256_slli_epi16(d, 8), d), _mm256_mullo_epi16(o, _mm256_sub_epi16(s, d))),
        8);
}

GLIM_AVX2 inline __m256i Load(const void* p)
{
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

GLIM_AVX2 inline void Store(void* p, __m256i v)
{
    _mm256_storeu_si256(static_cast<__m256i*>(p), v);
}

// o = (opacity * alpha) >> 8 over the channel lanes of the pixels that unpacklo (0, 1,
// 4, 5) and unpackhi (2, 3, 6, 7) widen.
GLIM_AVX2 inline void OpacityLanes(__m256i a32, __m256i opacity, __m256i& lo, __m256i& hi)
{
    const __m256i o = _mm256_srli_epi16(_mm256_mullo_epi16(a32, opacity), 8);
    const __m256i both = _mm256_or_si256(o, _mm256_slli_epi32(o, 16));
    lo = _mm256_unpacklo_epi32(both, both);
    hi = _mm256_unpackhi_epi32(both, both);
}

GLIM_AVX2 void Alpha32(uint32_t* dst, const uint32_t* src, const uint8_t* alpha, int count, uint8_t opacity)
{
    const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i opacityLanes = _mm256_set1_epi32(opacity);
    const __m256i opaque = _mm256_set1_epi32(255);
    const __m256i zero = _mm256_setzero_si256();
    const bool full = opacity == 255;
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint64_t a8 = Load8(alpha + i);
        if (a8 == 0)
            continue;
        const __m256i s = Load(src + i);
        const __m256i d = Load(dst + i);
        if (full && a8 == ~uint64_t{0}) {
            Store(dst + i, Select(rgb, s, d));
            continue;
        }
        const __m256i a = _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(static_cast<long long>(a8)));
        __m256i olo, ohi;
        OpacityLanes(a, opacityLanes, olo, ohi);
        const __m256i lo = Mix(_mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(s, zero), olo);
        const __m256i hi = Mix(_mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(s, zero), ohi);
        __m256i r = _mm256_packus_epi16(lo, hi);
        if (full)
            r = Select(_mm256_cmpeq_epi32(a, opaque), s, r);
        r = Select(_mm256_cmpeq_epi32(a, zero), d, r);
        Store(dst + i, Select(rgb, r, d));
    }
    Sse2Kernels().Alpha32(dst + i, src + i, alpha + i, count - i, opacity);
}

GLIM_AVX2 void Tint32(uint32_t* dst, const uint32_t* src, const uint8_t* alpha, int count, uint8_t opacity,
                      uint8_t tint, uint32_t color)
{
    const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i opacityLanes = _mm256_set1_epi32(opacity);
    const __m256i zero = _mm256_setzero_si256();
    const int k = 256 - tint;
    const short b0 = static_cast<short>(((color >> 16) & 0xFF) * k);
    const short b1 = static_cast<short>(((color >> 8) & 0xFF) * k);
    const short b2 = static_cast<short>((color & 0xFF) * k);
    const __m256i base = _mm256_setr_epi16(b0, b1, b2, 0, b0, b1, b2, 0, b0, b1, b2, 0, b0, b1, b2, 0);
    const __m256i tintLanes = _mm256_set1_epi16(tint);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint64_t a8 = Load8(alpha + i);
        if (a8 == 0)
            continue;
        const __m256i s = Load(src + i);
        const __m256i d = Load(dst + i);
        const __m256i a = _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(static_cast<long long>(a8)));
        __m256i olo, ohi;
        OpacityLanes(a, opacityLanes, olo, ohi);
        const __m256i mlo =
            _mm256_srli_epi16(_mm256_add_epi16(base, _mm256_mullo_epi16(_mm256_unpacklo_epi8(s, zero), tintLanes)), 8);
        const __m256i mhi =
            _mm256_srli_epi16(_mm256_add_epi16(base, _mm256_mullo_epi16(_mm256_unpackhi_epi8(s, zero), tintLanes)), 8);
        const __m256i lo = Mix(_mm256_unpacklo_epi8(d, zero), mlo, olo);
        const __m256i hi = Mix(_mm256_unpackhi_epi8(d, zero), mhi, ohi);
        __m256i r = _mm256_packus_epi16(lo, hi);
        r = Select(_mm256_cmpeq_epi32(a, zero), d, r);
        Store(dst + i, Select(rgb, r, d));
    }
    Sse2Kernels().Tint32(dst + i, src + i, alpha + i, count - i, opacity, tint, color);
}

GLIM_AVX2 void Fill32(uint32_t* dst, int count, uint8_t a, uint32_t color)
{
    const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i o = _mm256_set1_epi16(a);
    const __m256i zero = _mm256_setzero_si256();
    const uint32_t pixel = ((color >> 16) & 0xFF) | (color & 0xFF00) | ((color & 0xFF) << 16);
    const __m256i c = _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(pixel)), zero);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i d = Load(dst + i);
        const __m256i lo = Mix(_mm256_unpacklo_epi8(d, zero), c, o);
        const __m256i hi = Mix(_mm256_unpackhi_epi8(d, zero), c, o);
        Store(dst + i, Select(rgb, _mm256_packus_epi16(lo, hi), d));
    }
    Sse2Kernels().Fill32(dst + i, count - i, a, color);
}

GLIM_AVX2 void Add32(uint32_t* dst, const uint32_t* first, const uint32_t* second, int count)
{
    int i = 0;
    for (; i + 8 <= count; i += 8)
        Store(dst + i, _mm256_adds_epu8(Load(first + i), Load(second + i)));
    Sse2Kernels().Add32(dst + i, first + i, second + i, count - i);
}

// ---- 5-6-5 -----------------------------------------------------------------------------

struct TFields {
    __m256i R, G, B;
};

GLIM_AVX2 inline TFields Split(__m256i p)
{
    const __m256i m6 = _mm256_set1_epi16(63), m5 = _mm256_set1_epi16(31);
    return {_mm256_srli_epi16(p, 11), _mm256_and_si256(_mm256_srli_epi16(p, 5), m6), _mm256_and_si256(p, m5)};
}

GLIM_AVX2 inline __m256i Join(const TFields& f)
{
    return _mm256_or_si256(_mm256_slli_epi16(f.R, 11), _mm256_or_si256(_mm256_slli_epi16(f.G, 5), f.B));
}

GLIM_AVX2 inline __m256i Blend16(__m256i s, __m256i d, __m256i o)
{
    const TFields fs = Split(s), fd = Split(d);
    return Join({Mix(fd.R, fs.R, o), Mix(fd.G, fs.G, o), Mix(fd.B, fs.B, o)});
}

GLIM_AVX2 void Alpha16(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int count, uint8_t opacity,
                       const TPixelFormat& format)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opacityLanes = _mm256_set1_epi16(opacity);
    const __m256i opaque = _mm256_set1_epi16(255);
    const __m128i none = _mm_setzero_si128();
    const __m128i all = _mm_set1_epi8(-1);
    const bool full = opacity == 255;
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i a16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(a16, none)) == 0xFFFF)
            continue;
        const __m256i s = Load(src + i);
        if (full && _mm_movemask_epi8(_mm_cmpeq_epi8(a16, all)) == 0xFFFF) {
            Store(dst + i, s);
            continue;
        }
        const __m256i d = Load(dst + i);
        const __m256i a = _mm256_cvtepu8_epi16(a16);
        const __m256i o = _mm256_srli_epi16(_mm256_mullo_epi16(a, opacityLanes), 8);
        __m256i r = Blend16(s, d, o);
        r = Select(_mm256_cmpeq_epi16(o, zero), d, r);
        if (full)
            r = Select(_mm256_cmpeq_epi16(a, opaque), s, r);
        Store(dst + i, r);
    }
    Sse2Kernels().Alpha16(dst + i, src + i, alpha + i, count - i, opacity, format);
}

GLIM_AVX2 void Tint16(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int count, uint8_t opacity,
                      uint8_t tint, uint16_t color16, const TPixelFormat& format)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opacityLanes = _mm256_set1_epi16(opacity);
    const __m256i tintLanes = _mm256_set1_epi16(tint);
    const __m256i k = _mm256_set1_epi16(static_cast<short>(256 - tint));
    const TFields c = Split(_mm256_set1_epi16(static_cast<short>(color16)));
    const TFields base = {_mm256_mullo_epi16(c.R, k), _mm256_mullo_epi16(c.G, k), _mm256_mullo_epi16(c.B, k)};
    const __m128i none = _mm_setzero_si128();
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i a16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(a16, none)) == 0xFFFF)
            continue;
        __m256i s = Load(src + i);
        const __m256i d = Load(dst + i);
        const __m256i o = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_cvtepu8_epi16(a16), opacityLanes), 8);
        if (tint != 255) {
            const TFields f = Split(s);
            s = Join({_mm256_srli_epi16(_mm256_add_epi16(base.R, _mm256_mullo_epi16(f.R, tintLanes)), 8),
                      _mm256_srli_epi16(_mm256_add_epi16(base.G, _mm256_mullo_epi16(f.G, tintLanes)), 8),
                      _mm256_srli_epi16(_mm256_add_epi16(base.B, _mm256_mullo_epi16(f.B, tintLanes)), 8)});
        }
        __m256i r = Blend16(s, d, o);
        r = Select(_mm256_cmpeq_epi16(o, zero), d, r);
        Store(dst + i, r);
    }
    Sse2Kernels().Tint16(dst + i, src + i, alpha + i, count - i, opacity, tint, color16, format);
}

GLIM_AVX2 void Fill16(uint16_t* dst, int count, uint8_t a, uint16_t color16, const TPixelFormat& format)
{
    const __m256i o = _mm256_set1_epi16(a);
    const __m256i c = _mm256_set1_epi16(static_cast<short>(color16));
    int i = 0;
    for (; i + 16 <= count; i += 16)
        Store(dst + i, Blend16(c, Load(dst + i), o));
    Sse2Kernels().Fill16(dst + i, count - i, a, color16, format);
}

GLIM_AVX2 void Add16(uint16_t* dst, const uint16_t* first, const uint16_t* second, int count,
                     const TPixelFormat& format)
{
    const __m256i m6 = _mm256_set1_epi16(63), m5 = _mm256_set1_epi16(31);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const TFields f = Split(Load(first + i));
        const TFields s = Split(Load(second + i));
        Store(dst + i, Join({_mm256_min_epi16(_mm256_add_epi16(f.R, s.R), m5),
                             _mm256_min_epi16(_mm256_add_epi16(f.G, s.G), m6),
                             _mm256_min_epi16(_mm256_add_epi16(f.B, s.B), m5)}));
    }
    Sse2Kernels().Add16(dst + i, first + i, second + i, count - i, format);
}

// ---- Real-position draw ------------------------------------------------------------------

GLIM_AVX2 inline __m256i Weighted(__m256i v00, __m256i v10, __m256i v01, __m256i v11, const __m256i (&w)[4])
{
    // Sum of weights is at most 255, so the weighted sum fits 16 bits.
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(v00, w[0]), _mm256_mullo_epi16(v10, w[1])),
                                              _mm256_add_epi16(_mm256_mullo_epi16(v01, w[2]), _mm256_mullo_epi16(v11, w[3]))),
                             8);
}

GLIM_AVX2 inline __m128i Weighted(__m128i v00, __m128i v10, __m128i v01, __m128i v11, const TBilinearWeights& w)
{
    return _mm_srli_epi16(
        _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(v00, _mm_set1_epi16(static_cast<short>(w.W00))),
                                    _mm_mullo_epi16(v10, _mm_set1_epi16(static_cast<short>(w.W10)))),
                      _mm_add_epi16(_mm_mullo_epi16(v01, _mm_set1_epi16(static_cast<short>(w.W01))),
                                    _mm_mullo_epi16(v11, _mm_set1_epi16(static_cast<short>(w.W11))))),
        8);
}

GLIM_AVX2 inline __m128i Bytes8(const uint8_t* p)
{
    return _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

GLIM_AVX2 inline __m256i Bytes16(const uint8_t* p)
{
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

GLIM_AVX2 void Real32(uint32_t* dst, const uint32_t* src0, const uint32_t* src1, const uint8_t* alpha0,
                      const uint8_t* alpha1, int count, const TBilinearWeights& w, uint8_t opacity, uint8_t tint,
                      uint32_t color)
{
    const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i weights[4] = {_mm256_set1_epi16(static_cast<short>(w.W00)), _mm256_set1_epi16(static_cast<short>(w.W10)),
                                _mm256_set1_epi16(static_cast<short>(w.W01)), _mm256_set1_epi16(static_cast<short>(w.W11))};
    const int k = 256 - tint;
    const short b0 = static_cast<short>(((color >> 16) & 0xFF) * k);
    const short b1 = static_cast<short>(((color >> 8) & 0xFF) * k);
    const short b2 = static_cast<short>((color & 0xFF) * k);
    const __m256i base = _mm256_setr_epi16(b0, b1, b2, 0, b0, b1, b2, 0, b0, b1, b2, 0, b0, b1, b2, 0);
    const __m256i tintLanes = _mm256_set1_epi16(tint);
    const __m128i opacityLanes = _mm_set1_epi16(opacity);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        if ((Load8(alpha0 + i) | Load8(alpha0 + i + 1) | Load8(alpha1 + i) | Load8(alpha1 + i + 1)) == 0)
            continue;
        const __m128i a = Weighted(Bytes8(alpha0 + i), Bytes8(alpha0 + i + 1), Bytes8(alpha1 + i), Bytes8(alpha1 + i + 1), w);
        const __m128i o16 = opacity == 255 ? a : _mm_srli_epi16(_mm_mullo_epi16(a, opacityLanes), 8);
        const __m256i o32 = _mm256_cvtepu16_epi32(o16);
        const __m256i both = _mm256_or_si256(o32, _mm256_slli_epi32(o32, 16));
        const __m256i olo = _mm256_unpacklo_epi32(both, both), ohi = _mm256_unpackhi_epi32(both, both);

        const __m256i s00 = Load(src0 + i), s10 = Load(src0 + i + 1), s01 = Load(src1 + i), s11 = Load(src1 + i + 1);
        __m256i clo = Weighted(_mm256_unpacklo_epi8(s00, zero), _mm256_unpacklo_epi8(s10, zero),
                               _mm256_unpacklo_epi8(s01, zero), _mm256_unpacklo_epi8(s11, zero), weights);
        __m256i chi = Weighted(_mm256_unpackhi_epi8(s00, zero), _mm256_unpackhi_epi8(s10, zero),
                               _mm256_unpackhi_epi8(s01, zero), _mm256_unpackhi_epi8(s11, zero), weights);
        if (tint != 0) {
            clo = _mm256_srli_epi16(_mm256_add_epi16(base, _mm256_mullo_epi16(clo, tintLanes)), 8);
            chi = _mm256_srli_epi16(_mm256_add_epi16(base, _mm256_mullo_epi16(chi, tintLanes)), 8);
        }
        const __m256i d = Load(dst + i);
        __m256i r = _mm256_packus_epi16(Mix(_mm256_unpacklo_epi8(d, zero), clo, olo),
                                        Mix(_mm256_unpackhi_epi8(d, zero), chi, ohi));
        r = Select(_mm256_cmpeq_epi32(_mm256_cvtepu16_epi32(a), zero), d, r);
        Store(dst + i, Select(rgb, r, d));
    }
    ScalarKernels().Real32(dst + i, src0 + i, src1 + i, alpha0 + i, alpha1 + i, count - i, w, opacity, tint, color);
}

GLIM_AVX2 void Real16(uint16_t* dst, const uint16_t* src0, const uint16_t* src1, const uint8_t* alpha0,
                      const uint8_t* alpha1, int count, const TBilinearWeights& w, uint8_t opacity, uint8_t tint,
                      uint16_t color16, const TPixelFormat& format)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i weights[4] = {_mm256_set1_epi16(static_cast<short>(w.W00)), _mm256_set1_epi16(static_cast<short>(w.W10)),
                                _mm256_set1_epi16(static_cast<short>(w.W01)), _mm256_set1_epi16(static_cast<short>(w.W11))};
    const __m256i opacityLanes = _mm256_set1_epi16(opacity);
    const __m256i tintLanes = _mm256_set1_epi16(tint);
    const __m256i k = _mm256_set1_epi16(static_cast<short>(256 - tint));
    const TFields c = Split(_mm256_set1_epi16(static_cast<short>(color16)));
    const TFields base = {_mm256_mullo_epi16(c.R, k), _mm256_mullo_epi16(c.G, k), _mm256_mullo_epi16(c.B, k)};
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m256i a = Weighted(Bytes16(alpha0 + i), Bytes16(alpha0 + i + 1), Bytes16(alpha1 + i),
                                   Bytes16(alpha1 + i + 1), weights);
        if (_mm256_testz_si256(a, a))
            continue;
        const __m256i o = opacity == 255 ? a : _mm256_srli_epi16(_mm256_mullo_epi16(a, opacityLanes), 8);
        const TFields f00 = Split(Load(src0 + i)), f10 = Split(Load(src0 + i + 1));
        const TFields f01 = Split(Load(src1 + i)), f11 = Split(Load(src1 + i + 1));
        TFields v = {Weighted(f00.R, f10.R, f01.R, f11.R, weights), Weighted(f00.G, f10.G, f01.G, f11.G, weights),
                     Weighted(f00.B, f10.B, f01.B, f11.B, weights)};
        if (tint != 0 && tint != 255)
            v = {_mm256_srli_epi16(_mm256_add_epi16(base.R, _mm256_mullo_epi16(v.R, tintLanes)), 8),
                 _mm256_srli_epi16(_mm256_add_epi16(base.G, _mm256_mullo_epi16(v.G, tintLanes)), 8),
                 _mm256_srli_epi16(_mm256_add_epi16(base.B, _mm256_mullo_epi16(v.B, tintLanes)), 8)};
        const __m256i d = Load(dst + i);
        __m256i r = Blend16(Join(v), d, o);
        Store(dst + i, Select(_mm256_cmpeq_epi16(o, zero), d, r));
    }
    ScalarKernels().Real16(dst + i, src0 + i, src1 + i, alpha0 + i, alpha1 + i, count - i, w, opacity, tint, color16,
                           format);
}

}  // namespace

const TBlendKernels* Avx2Kernels()
{
    static const TBlendKernels kernels = {"avx2", Alpha32, Alpha16, Tint32, Tint16, Fill32,
                                          Fill16, Add32,   Add16,   Real32, Real16};
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return supported ? &kernels : nullptr;
}
