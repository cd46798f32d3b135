// PNG and JPEG pictures in memory: decoding into 24-bit blue, green, red rows with a
// separate alpha plane, and encoding such rows back. Damaged data raises EImageError;
// nothing in here ever exits the process or reads outside the given bytes.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

// A picture that could not be decoded or encoded: damaged, not a picture at all, or
// larger than kMaxImageSide on a side.
class EImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// No picture the game uses comes near this; it keeps damaged headers from asking for
// gigabytes.
constexpr int kMaxImageSide = 8192;

struct TDecodedImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Bgr;    // Width x Height x 3 bytes: blue, green, red
    std::vector<uint8_t> Alpha;  // Width x Height bytes when HasAlpha, else empty
    bool HasAlpha = false;       // grey-with-alpha, RGBA, or a transparency chunk
};

// Whether the bytes begin with the PNG signature.
bool IsPng(std::span<const uint8_t> bytes);
// Grey, palette or RGB, 1 to 16 bits, with or without alpha, interlaced or not.
TDecodedImage DecodePng(std::span<const uint8_t> bytes);
// Colour or grey JPEG.
TDecodedImage DecodeJpeg(std::span<const uint8_t> bytes);

// A 24-bit PNG from blue, green, red rows; with alpha (Width x Height bytes, or empty
// for none) a 32-bit one.
std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> bgr, std::span<const uint8_t> alpha);
// A JPEG at the library's default quality.
std::vector<uint8_t> EncodeJpeg(int width, int height, std::span<const uint8_t> bgr);
