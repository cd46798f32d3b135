// Shaders: kernels computed from shader pictures of the archive, and their application
// to a surface (the per-particle distortion effects).
#include "graphics/SurfEngine.h"

#include "foundation/DataSource.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/Text.h"
#include "graphics/Clipping.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

TShaderKernel TSurfaceShader::KernelFor(uint8_t red, uint8_t green, uint8_t blue)
{
    static constexpr int kPlaces[3] = {0, 128, 255};
    double raw[9];
    double total = 0;
    const double slope = std::tan(blue * std::numbers::pi / 512 + std::numbers::pi / 2);
    for (int py = 0; py < 3; ++py)
        for (int px = 0; px < 3; ++px) {
            const int distance = (std::abs(kPlaces[px] - red) + std::abs(kPlaces[py] - green)) / 2;
            double g = 1 + (distance / 128.0) / slope;
            if (g < 0)
                g = 0;
            const double weight = RoundHalfEven(g * 255);
            raw[py * 3 + px] = weight;
            total += weight;
        }
    TShaderKernel kernel{};
    if (total <= 0.1) {
        kernel[4] = 255;
        return kernel;
    }
    for (int k = 0; k < 9; ++k)
        kernel[static_cast<size_t>(k)] = static_cast<uint8_t>(std::clamp(RoundHalfEven(raw[k] * 255 / total), 0, 255));
    return kernel;
}

bool TSurfEngine::LoadShader(const TDataSource& archive, std::string_view entryName)
{
    if (!archive.Exists(entryName))
        return false;
    auto bytes = archive.Read(entryName);
    if (!bytes || !IsPng(*bytes))
        return false;
    const TDecodedImage image = DecodePng(*bytes);
    TSurfaceShader shader;
    shader.Name = std::string(entryName);
    shader.Width = image.Width;
    shader.Height = image.Height;
    shader.Kernels.resize(static_cast<size_t>(image.Width) * image.Height);
    for (size_t i = 0; i < shader.Kernels.size(); ++i)
        shader.Kernels[i] = TSurfaceShader::KernelFor(image.Bgr[i * 3 + 2], image.Bgr[i * 3 + 1], image.Bgr[i * 3]);
    shaders_.push_back(std::move(shader));
    return true;
}

void TSurfEngine::LoadAllShadersFromFolder(const TDataSource* archive)
{
    if (!archive || !archive->IsArchive())
        return;
    try {
        for (const std::string& name : archive->Names())
            if (name.starts_with("Shader") && name.size() >= 4 && name.ends_with(".png"))
                LoadShader(*archive, name);
    } catch (...) {
        throw std::runtime_error("Exception error in TSurfEngine.LoadAllShadersFromFolder");
    }
}

int TSurfEngine::IndexOfShader(std::string_view name) const
{
    for (size_t i = 0; i < shaders_.size(); ++i)
        if (shaders_[i].Name == name)
            return static_cast<int>(i);
    return -1;
}

const TSurfaceShader* TSurfEngine::ShaderAt(int index) const
{
    return index >= 0 && index < ShaderCount() ? &shaders_[static_cast<size_t>(index)] : nullptr;
}

void TSurfEngine::DrawShader(std::string_view destination, std::string_view shader, std::optional<TRect> shaderRect,
                             int x, int y, std::string_view source)
{
    const std::string message = "Exception Error in TSurfEngine.DrawShader.  stShader: " + std::string(shader) +
                                " stDest: " + std::string(destination) + " stSrc: " + std::string(source) +
                                " x: " + IntToStr(x) + " y: " + IntToStr(y);
    QelGuardMessage(message, [&] {
        if (x > screenWidth_ || y > screenHeight_)
            return;
        const TSurfaceShader* sh = ShaderAt(IndexOfShader(shader));
        TSurface* dst = FindSurface(destination);
        const TSurface* src = FindSurface(source);
        if (!sh || !dst || !src || !dst->HasPixels() || !src->HasPixels())
            return;
        x = Bounded(x);
        y = Bounded(y);
        TRect r = Bounded(shaderRect.value_or(TRect{0, 0, sh->Width - 1, sh->Height - 1}));
        if (int64_t(x) + r.Right - r.Left >= screenWidth_)
            r.Right = r.Left + screenWidth_ - x - 1;
        if (int64_t(y) + r.Bottom - r.Top >= screenHeight_)
            r.Bottom = r.Top + screenHeight_ - y - 1;
        if (x < 0 || y < 0)
            return;
        // Kernels are read only from the shader picture; the 3 x 3 neighbourhood only
        // from the source and the result only into the destination.
        const int left = r.Left, top = r.Top;
        const int firstColumn = std::max(left + 1, 0), firstRow = std::max(top + 1, 0);
        const int64_t lastColumn = std::min<int64_t>({int64_t(r.Right) - 2, sh->Width - 1,
                                                      int64_t(left) + dst->Width - 1 - x,
                                                      int64_t(left) + src->Width - 2 - x});
        const int64_t lastRow = std::min<int64_t>({int64_t(r.Bottom) - 2, sh->Height - 1,
                                                   int64_t(top) + dst->Height - 1 - y,
                                                   int64_t(top) + src->Height - 2 - y});
        const TPixelChannel* fields[3] = {&format_.Red, &format_.Green, &format_.Blue};
        for (int row = firstRow; row <= lastRow; ++row) {
            const int ty = y + row - top;
            for (int col = firstColumn; col <= lastColumn; ++col) {
                const TShaderKernel& w = sh->Kernels[static_cast<size_t>(row) * sh->Width + col];
                if (w[4] >= TSurfaceShader::kKeepCentre)
                    continue;
                const int tx = x + col - left;
                if (format_.BitCount == 32) {
                    int sums[3] = {0, 0, 0};
                    for (int k = 0; k < 9; ++k) {
                        const uint8_t* p = src->Row(ty - 1 + k / 3) + (tx - 1 + k % 3) * 4;
                        for (int b = 0; b < 3; ++b)
                            sums[b] += w[static_cast<size_t>(k)] * p[b];
                    }
                    // Weights rounded one by one can sum past 255; a bright pixel then
                    // saturates instead of wrapping to black.
                    uint8_t* out = dst->Row(ty) + tx * 4;
                    for (int b = 0; b < 3; ++b)
                        out[b] = static_cast<uint8_t>(std::min(sums[b] >> 8, 255));
                } else if (format_.BitCount == 16) {
                    uint32_t result = 0;
                    for (const TPixelChannel* f : fields) {
                        uint32_t s = 0;
                        for (int k = 0; k < 9; ++k) {
                            const uint16_t p = reinterpret_cast<const uint16_t*>(src->Row(ty - 1 + k / 3))[tx - 1 + k % 3];
                            s += w[static_cast<size_t>(k)] * ((p & f->Mask) >> f->Shift);
                        }
                        const uint32_t max = f->Mask >> f->Shift;
                        result |= (std::min(s >> 8, max) << f->Shift) & f->Mask;
                    }
                    reinterpret_cast<uint16_t*>(dst->Row(ty))[tx] = static_cast<uint16_t>(result);
                }
            }
        }
    });
}
