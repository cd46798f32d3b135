// Helpers of the graphics tests: engines at both depths, surfaces filled pixel by pixel,
// and pixels read back.
#pragma once

#include "graphics/SurfEngine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

inline std::unique_ptr<TSurfEngine> MakeEngine(int bits)
{
    return std::make_unique<TSurfEngine>(TDisplayFormat::ForDepth(bits));
}

inline uint32_t PixelAt(const TSurfEngine& e, std::string_view name, int x, int y)
{
    const TSurface* s = e.FindSurface(name);
    if (e.Format().BitCount == 16)
        return reinterpret_cast<const uint16_t*>(s->Row(y))[x];
    return reinterpret_cast<const uint32_t*>(s->Row(y))[x];
}

inline void SetPixel(TSurfEngine& e, std::string_view name, int x, int y, uint32_t value)
{
    TSurface* s = e.FindSurface(name);
    if (e.Format().BitCount == 16)
        reinterpret_cast<uint16_t*>(s->Row(y))[x] = static_cast<uint16_t>(value);
    else
        reinterpret_cast<uint32_t*>(s->Row(y))[x] = value;
}

// A surface of one pixel value everywhere, with an alpha plane of one value when alpha >= 0.
inline void MakeFilled(TSurfEngine& e, const std::string& name, int w, int h, uint32_t pixel, int alpha = -1)
{
    ASSERT_TRUE(e.NewSurface(name, w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetPixel(e, name, x, y, pixel);
    if (alpha >= 0)
        e.CreateAlphaChannel(name, static_cast<uint8_t>(alpha));
}

// Random pixels and alpha; the alpha mixes runs of 0, runs of 255 and values between.
inline void MakeRandom(TSurfEngine& e, const std::string& name, int w, int h, std::mt19937& rng, bool withAlpha = true)
{
    ASSERT_TRUE(e.NewSurface(name, w, h));
    TSurface* s = e.FindSurface(name);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < s->Pitch; ++x)
            s->Row(y)[x] = static_cast<uint8_t>(rng());
    if (!withAlpha)
        return;
    e.CreateAlphaChannel(name, 0);
    size_t i = 0;
    while (i < s->Alpha.size()) {
        const size_t run = 1 + rng() % 12;
        const int kind = static_cast<int>(rng() % 3);
        for (size_t k = 0; k < run && i < s->Alpha.size(); ++k, ++i)
            s->Alpha[i] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(rng());
    }
}

// All pixels of a surface, row after row, as 32-bit values.
inline std::vector<uint32_t> Pixels(const TSurfEngine& e, std::string_view name)
{
    const TSurface* s = e.FindSurface(name);
    std::vector<uint32_t> out;
    for (int y = 0; y < s->Height; ++y)
        for (int x = 0; x < s->Width; ++x)
            out.push_back(PixelAt(e, name, x, y));
    return out;
}

// Both depths, for tests that hold at each.
class TBothDepths : public ::testing::TestWithParam<int> {
protected:
    int Bits() const { return GetParam(); }
    std::unique_ptr<TSurfEngine> engine_ = MakeEngine(GetParam());
    TSurfEngine& E() { return *engine_; }
    // A grey-ish pixel value of the depth from 8-bit channels.
    uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) const { return RgbToPixel(engine_->Format(), r, g, b); }
};

inline std::string DepthName(const ::testing::TestParamInfo<int>& info)
{
    return "Bits" + std::to_string(info.param);
}
