// The surface engine's store: construction, the named surfaces and their alpha planes.
#include "graphics/SurfEngine.h"

#include "foundation/QelLog.h"
#include "graphics/BlendKernels.h"
#include "graphics/Clipping.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

// ---- TDeviceSurface ----------------------------------------------------------------------

namespace {
// Rows start on cache-line boundaries only when the width allows; the buffer itself is
// aligned so vector code never splits a line at the start of a surface.
constexpr size_t kSurfaceAlignment = 64;
}  // namespace

std::unique_ptr<TDeviceSurface> TDeviceSurface::Create(int width, int height, int bytesPerPixel)
{
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return nullptr;
    const int32_t pitch = width * bytesPerPixel;
    const size_t size = static_cast<size_t>(pitch) * height;
    const size_t rounded = (size + kSurfaceAlignment - 1) / kSurfaceAlignment * kSurfaceAlignment;
    void* memory = std::aligned_alloc(kSurfaceAlignment, rounded);
    if (!memory)
        return nullptr;
    std::memset(memory, 0, rounded);
    return std::unique_ptr<TDeviceSurface>(new TDeviceSurface(static_cast<uint8_t*>(memory), pitch, height));
}

TDeviceSurface::~TDeviceSurface()
{
    std::free(pixels_);
}

// ---- Construction ------------------------------------------------------------------------

TSurfEngine::TSurfEngine(const TDisplayFormat& display, int height, int width)
    : format_(TPixelFormat::Analyse(display)),
      screenWidth_(width),
      screenHeight_(height),
      kernels_(&BestKernels())
{
}

TSurfEngine::~TSurfEngine() = default;

void TSurfEngine::Log(const std::string& message) const
{
    if (log_)
        log_->WriteLog(message);
}

// ---- Store -------------------------------------------------------------------------------

int TSurfEngine::AddSurface(std::unique_ptr<TSurface> surface)
{
    const int index = SurfaceCount();
    index_.Put(surface->Name, index);
    surfaces_.push_back(std::move(surface));
    return index;
}

int TSurfEngine::IndexOfSurface(std::string_view name) const
{
    return index_.Get(name, -1);
}

TSurface* TSurfEngine::FindSurface(std::string_view name) const
{
    return SurfaceAt(IndexOfSurface(name));
}

TSurface* TSurfEngine::SurfaceAt(int index) const
{
    if (index < 0 || index >= SurfaceCount())
        return nullptr;
    return surfaces_[static_cast<size_t>(index)].get();
}

bool TSurfEngine::GetSurfaceSize(std::string_view name, int32_t& width, int32_t& height) const
{
    const TSurface* s = FindSurface(name);
    width = s ? s->Width : 0;
    height = s ? s->Height : 0;
    return s != nullptr;
}

void TSurfEngine::DeleteSurface(std::string_view name)
{
    const int index = IndexOfSurface(name);
    if (index < 0)
        return;
    index_.Remove(name);
    const int last = SurfaceCount() - 1;
    surfaces_[static_cast<size_t>(index)] = std::move(surfaces_.back());
    surfaces_.pop_back();
    if (index != last) {
        // Only a name that still leads to the moved record follows it; an older record
        // hidden behind a newer one of the same name stays hidden.
        const std::string& moved = surfaces_[static_cast<size_t>(index)]->Name;
        if (index_.Get(moved, -1) == last)
            index_.Put(moved, index);
    }
}

void TSurfEngine::Rehash()
{
    index_.Clear();
    for (int i = 0; i < SurfaceCount(); ++i)
        index_.Put(surfaces_[static_cast<size_t>(i)]->Name, i);
}

std::unique_ptr<TDeviceSurface> TSurfEngine::CreateSurface(int width, int height) const
{
    return TDeviceSurface::Create(width, height, format_.BitCount == 16 ? 2 : 4);
}

bool TSurfEngine::NewSurface(std::string_view name, int width, int height)
{
    auto device = CreateSurface(width, height);
    if (!device)
        return false;
    auto s = std::make_unique<TSurface>();
    s->Name = std::string(name);
    s->Width = width;
    s->Height = height;
    s->Pixels = device->Pixels();
    s->Pitch = device->Pitch();
    s->Device = std::move(device);
    AddSurface(std::move(s));
    return true;
}

void TSurfEngine::FillSurface(std::string_view name, uint8_t value)
{
    TSurface* s = FindSurface(name);
    if (s && s->HasPixels())
        std::memset(s->Pixels, value, s->Device->SizeBytes());
}

void TSurfEngine::CreateAlphaChannel(std::string_view name, uint8_t value)
{
    TSurface* s = FindSurface(name);
    if (!s)
        return;
    s->Alpha.assign(static_cast<size_t>(s->Width) * s->Height, value);
    s->AlphaPitch = s->Width;
}

void TSurfEngine::FillAlphaChannel(std::string_view name, uint8_t value)
{
    TSurface* s = FindSurface(name);
    if (s && s->HasAlpha())
        std::fill(s->Alpha.begin(), s->Alpha.end(), value);
}

void TSurfEngine::CopySurfaceWithAlpha(std::string_view source, std::string_view destination,
                                       std::optional<TRect> rect, int x, int y)
{
    TSurface* src = FindSurface(source);
    TSurface* dst = FindSurface(destination);
    if (!src || !dst)
        return;
    x = Bounded(x);
    y = Bounded(y);
    TRect r = Intersect(rect.value_or(TRect{0, 0, src->Width, src->Height}), TRect{0, 0, src->Width, src->Height});
    // Placed at (x, y), the rectangle is cut to the destination, moving its source edge
    // along with any cut on the left or top.
    if (x < 0) {
        r.Left -= x;
        x = 0;
    }
    if (y < 0) {
        r.Top -= y;
        y = 0;
    }
    r.Right = std::min(r.Right, r.Left + (dst->Width - x));
    r.Bottom = std::min(r.Bottom, r.Top + (dst->Height - y));
    if (r.IsEmpty())
        return;
    if (src->HasPixels() && dst->HasPixels() && format_.IsDrawable()) {
        const int bpp = format_.BytesPerPixel();
        for (int row = r.Top; row < r.Bottom; ++row)
            std::memmove(dst->Row(y + row - r.Top) + static_cast<ptrdiff_t>(x) * bpp,
                         src->Row(row) + static_cast<ptrdiff_t>(r.Left) * bpp, static_cast<size_t>(r.Width()) * bpp);
    }
    if (!src->HasAlpha())
        return;
    if (!dst->HasAlpha()) {
        dst->Alpha.assign(static_cast<size_t>(dst->Width) * dst->Height, 0);
        dst->AlphaPitch = dst->Width;
    }
    for (int row = r.Top; row < r.Bottom; ++row)
        std::memmove(dst->AlphaRow(y + row - r.Top) + x, src->AlphaRow(row) + r.Left, static_cast<size_t>(r.Width()));
}

uint8_t TSurfEngine::GetAlhpaFromSurf(std::string_view name, int x, int y) const
{
    const TSurface* s = FindSurface(name);
    if (!s || !s->HasAlpha())
        return 0;
    if (x < 0 || y < 0 || x > s->Width - 1 || y > s->Height - 1 || x >= s->AlphaPitch)
        return 0;
    return s->AlphaRow(y)[x];
}
