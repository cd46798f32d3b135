// Picks the pixel routines the processor runs best, once.
#include "graphics/BlendKernels.h"

const TBlendKernels& BestKernels()
{
    static const TBlendKernels& best = Avx2Kernels() ? *Avx2Kernels() : Sse2Kernels();
    return best;
}
