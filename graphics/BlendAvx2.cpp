// AVX2 pixel routines, used when the processor has AVX2.
#include "graphics/BlendKernels.h"

const TBlendKernels* Avx2Kernels()
{
    return nullptr;
}
