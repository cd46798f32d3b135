// A named surface of the store: pixels in the display format in a system-memory buffer
// (the "device surface") and an optional separate 8-bit alpha plane.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The memory that holds a surface's pixels. Its address and pitch never change while it
// lives, so drawing code may keep raw pointers for the duration of an operation.
class TDeviceSurface {
public:
    // Answers null when the size is not positive, too large, or memory runs out.
    static std::unique_ptr<TDeviceSurface> Create(int width, int height, int bytesPerPixel);
    ~TDeviceSurface();
    TDeviceSurface(const TDeviceSurface&) = delete;
    TDeviceSurface& operator=(const TDeviceSurface&) = delete;

    uint8_t* Pixels() const { return pixels_; }
    int32_t Pitch() const { return pitch_; }
    size_t SizeBytes() const { return static_cast<size_t>(pitch_) * height_; }

    // Largest side a surface may have; pictures beyond it are refused when loaded.
    static constexpr int kMaxSide = 8192;

private:
    TDeviceSurface(uint8_t* pixels, int32_t pitch, int32_t height) : pixels_(pixels), pitch_(pitch), height_(height) {}
    uint8_t* pixels_;
    int32_t pitch_;
    int32_t height_;
};

// Field order as the store keeps it.
struct TSurface {
    std::string Name;    // key of the store, case-sensitive
    std::string Source;  // archive entry name or full file path; empty when made in memory
    int32_t AlphaPitch = -1;  // -1 without alpha plane, otherwise the width
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Alpha;  // Width x Height bytes, 0 transparent .. 255 opaque
    std::unique_ptr<TDeviceSurface> Device;  // empty after the display format changed
    uint8_t* Pixels = nullptr;
    int32_t Pitch = 0;

    bool HasAlpha() const { return AlphaPitch >= 0 && !Alpha.empty(); }
    bool HasPixels() const { return Device != nullptr && Pixels != nullptr; }
    uint8_t* Row(int y) const { return Pixels + static_cast<ptrdiff_t>(y) * Pitch; }
    uint8_t* AlphaRow(int y) { return Alpha.data() + static_cast<ptrdiff_t>(y) * AlphaPitch; }
    const uint8_t* AlphaRow(int y) const { return Alpha.data() + static_cast<ptrdiff_t>(y) * AlphaPitch; }
};
