// Straight-alpha RGBA pictures and their PNG and JPEG forms, for the content tools.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TRgbaImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;  // rows top to bottom, 4 bytes a pixel: R G B A, not premultiplied

    TRgbaImage() = default;
    TRgbaImage(int width, int height) : Width(width), Height(height), Pixels(size_t(width) * height * 4, 0) {}
    uint8_t* At(int x, int y) { return &Pixels[(size_t(y) * Width + x) * 4]; }
    const uint8_t* At(int x, int y) const { return &Pixels[(size_t(y) * Width + x) * 4]; }
    bool HasTransparency() const;
};

// Decoders give nothing on damaged data and say why in error. Any PNG colour type and bit
// depth is accepted; a JPEG comes back opaque.
std::optional<TRgbaImage> ReadPngRgba(const std::vector<uint8_t>& bytes, std::string* error = nullptr);
std::optional<TRgbaImage> ReadJpegRgba(const std::vector<uint8_t>& bytes, std::string* error = nullptr);
// By the bytes' signature, whatever the file is called.
std::optional<TRgbaImage> ReadPictureRgba(const std::vector<uint8_t>& bytes, std::string* error = nullptr);

// Encoders write the same bytes for the same picture on every run: no time chunks, fixed
// compression settings. PNG is 8-bit RGBA (RGB when every pixel is opaque).
std::vector<uint8_t> WritePngRgba(const TRgbaImage& image);
// The alpha channel is ignored; quality 1..100.
std::vector<uint8_t> WriteJpegRgba(const TRgbaImage& image, int quality);
