// The per-row pixel routines every blit is built from, as a table of function pointers:
// the plain scalar set is the reference, the vector sets (SSE2, AVX2) must give the same
// pixels, and the engine picks the best the processor runs.
#pragma once

#include "graphics/PixelFormat.h"

#include <cstdint>

// Weights of the four samples of the real-position draw; they sum to at most 255.
struct TBilinearWeights {
    int32_t W00 = 0, W10 = 0, W01 = 0, W11 = 0;
};

struct TBlendKernels {
    const char* Name;

    // Alpha-blended draw of one row at tint 0: alpha 0 leaves the pixel, alpha 255 at
    // opacity 255 copies it, otherwise o = (opacity * alpha) >> 8 blends it (32 bits:
    // bytes 0-2 only, also at o = 0; 16 bits: only when o is not 0).
    void (*Alpha32)(uint32_t* dst, const uint32_t* src, const uint8_t* alpha, int count, uint8_t opacity);
    void (*Alpha16)(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int count, uint8_t opacity,
                    const TPixelFormat& format);
    // The same with the source pulled toward a colour first (tint 1..255). color16 is
    // the colour converted with ColorTo16.
    void (*Tint32)(uint32_t* dst, const uint32_t* src, const uint8_t* alpha, int count, uint8_t opacity,
                   uint8_t tint, uint32_t color);
    void (*Tint16)(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int count, uint8_t opacity,
                   uint8_t tint, uint16_t color16, const TPixelFormat& format);
    // Blends a row toward a solid colour by a.
    void (*Fill32)(uint32_t* dst, int count, uint8_t a, uint32_t color);
    void (*Fill16)(uint16_t* dst, int count, uint8_t a, uint16_t color16, const TPixelFormat& format);
    // dst := first + second, saturating per channel (32 bits: all four bytes).
    void (*Add32)(uint32_t* dst, const uint32_t* first, const uint32_t* second, int count);
    void (*Add16)(uint16_t* dst, const uint16_t* first, const uint16_t* second, int count, const TPixelFormat& format);
    // Real-position draw of one destination row from two source rows (row j and j + 1,
    // each with count + 1 pixels and alpha bytes).
    void (*Real32)(uint32_t* dst, const uint32_t* src0, const uint32_t* src1, const uint8_t* alpha0,
                   const uint8_t* alpha1, int count, const TBilinearWeights& w, uint8_t opacity, uint8_t tint,
                   uint32_t color);
    void (*Real16)(uint16_t* dst, const uint16_t* src0, const uint16_t* src1, const uint8_t* alpha0,
                   const uint8_t* alpha1, int count, const TBilinearWeights& w, uint8_t opacity, uint8_t tint,
                   uint16_t color16, const TPixelFormat& format);
};

// The reference routines, written straight from the formulas.
const TBlendKernels& ScalarKernels();
// SSE2 routines (every x86-64 processor); the 16-bit ones assume 5-6-5.
const TBlendKernels& Sse2Kernels();
// AVX2 routines, or null when the processor lacks AVX2.
const TBlendKernels* Avx2Kernels();
// The fastest set the processor runs.
const TBlendKernels& BestKernels();
