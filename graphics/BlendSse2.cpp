// SSE2 pixel routines (every x86-64 processor).
#include "graphics/BlendKernels.h"

const TBlendKernels& Sse2Kernels()
{
    return ScalarKernels();
}
