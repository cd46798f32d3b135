// A shader: one 3 x 3 convolution kernel per pixel of a shader picture, computed once
// when the picture is loaded.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Weights of the 3 x 3 neighbourhood in row order (0 top-left, 4 centre, 8 bottom-right).
using TShaderKernel = std::array<uint8_t, 9>;

struct TSurfaceShader {
    std::string Name;  // the archive entry it came from
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<TShaderKernel> Kernels;  // Width x Height, row after row

    // A centre weight this high leaves the pixel as it is.
    static constexpr uint8_t kKeepCentre = 250;

    // The kernel of a shader pixel with 8-bit red, green and blue: red and green place
    // the sampling point in the neighbourhood, blue sets how sharply weights fall off.
    static TShaderKernel KernelFor(uint8_t red, uint8_t green, uint8_t blue);
};
