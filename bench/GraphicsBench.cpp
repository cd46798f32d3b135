// Surface engine speed: the alpha blits paired with pixman on the same data, and the
// other per-frame operations on their own.
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <random>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// Alpha as sprites have it: runs of transparent, opaque and edge pixels, about 40/40/20.
void FillSpriteAlpha(std::vector<uint8_t>& alpha, std::mt19937& rng)
{
    for (size_t i = 0; i < alpha.size();) {
        const unsigned pick = rng() % 10;
        const int kind = pick < 4 ? 0 : pick < 8 ? 1 : 2;
        // Edges are short; transparent and opaque runs are longer.
        const size_t run = kind == 2 ? 1 + rng() % 6 : 4 + rng() % 40;
        for (size_t k = 0; k < run && i < alpha.size(); ++k, ++i)
            alpha[i] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(1 + rng() % 254);
    }
}

// A picture of random colours with sprite alpha.
void MakeSprite(TSurfEngine& e, const std::string& name, int w, int h, std::mt19937& rng)
{
    e.NewSurface(name, w, h);
    TSurface* s = e.FindSurface(name);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < s->Pitch; ++x)
            s->Row(y)[x] = static_cast<uint8_t>(rng());
    e.CreateAlphaChannel(name, 0);
    FillSpriteAlpha(s->Alpha, rng);
}

struct TScene {
    std::unique_ptr<TSurfEngine> Engine;
    explicit TScene(int bits, uint8_t maskScale = 255) : Engine(std::make_unique<TSurfEngine>(TDisplayFormat::ForDepth(bits)))
    {
        std::mt19937 rng(2024);
        MakeSprite(*Engine, "Picture", kWidth, kHeight, rng);
        Engine->NewSurface("MemorySurface", kWidth, kHeight);
        Engine->FillSurface("MemorySurface", 0x40);
        // pixman's inputs: the same pixels as 32-bit x8r8g8b8 and the alpha plane as a8 mask
        // (scaled by the opacity the engine is given, as the engine scales it).
        const TSurface* pic = Engine->FindSurface("Picture");
        Source32.resize(static_cast<size_t>(kWidth) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t p = bits == 16 ? reinterpret_cast<const uint16_t*>(pic->Row(y))[x]
                                              : reinterpret_cast<const uint32_t*>(pic->Row(y))[x];
                const TRgb c = GetPixelRgb(Engine->Format(), p);
                Source32[static_cast<size_t>(y) * kWidth + x] = (uint32_t(c.R) << 16) | (uint32_t(c.G) << 8) | c.B;
            }
        Mask = pic->Alpha;
        if (maskScale != 255)
            for (uint8_t& m : Mask)
                m = static_cast<uint8_t>((m * maskScale) >> 8);
        Dest.assign(static_cast<size_t>(kWidth) * kHeight * (bits / 8), 0x40);
        src_ = pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, Source32.data(), kWidth * 4);
        src565_ = bits == 16 ? pixman_image_create_bits(PIXMAN_r5g6b5, kWidth, kHeight,
                                                        reinterpret_cast<uint32_t*>(pic->Pixels), pic->Pitch)
                             : nullptr;
        mask_ = pixman_image_create_bits(PIXMAN_a8, kWidth, kHeight, reinterpret_cast<uint32_t*>(Mask.data()), kWidth);
        dst_ = pixman_image_create_bits(bits == 16 ? PIXMAN_r5g6b5 : PIXMAN_x8r8g8b8, kWidth, kHeight,
                                        reinterpret_cast<uint32_t*>(Dest.data()), kWidth * (bits / 8));
    }
    ~TScene()
    {
        for (pixman_image_t* i : {src_, src565_, mask_, dst_})
            if (i)
                pixman_image_unref(i);
    }
    void PixmanOver(bool from565 = false)
    {
        pixman_image_composite32(PIXMAN_OP_OVER, from565 ? src565_ : src_, mask_, dst_, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
    }

    std::vector<uint32_t> Source32;
    std::vector<uint8_t> Mask;
    std::vector<uint8_t> Dest;

private:
    pixman_image_t* src_ = nullptr;
    pixman_image_t* src565_ = nullptr;
    pixman_image_t* mask_ = nullptr;
    pixman_image_t* dst_ = nullptr;
};

void SetPixelsProcessed(benchmark::State& state, int64_t perIteration)
{
    state.SetItemsProcessed(state.iterations() * perIteration);
}

// ---- The pairs ---------------------------------------------------------------------------

void AlphaBlit32_Ours(benchmark::State& state)
{
    TScene scene(32);
    for (auto _ : state) {
        scene.Engine->DrawWithAlphaChannel("Picture", "MemorySurface", 0, 0);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kWidth * kHeight);
}

void AlphaBlit32_Pixman(benchmark::State& state)
{
    TScene scene(32);
    for (auto _ : state) {
        scene.PixmanOver();
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kWidth * kHeight);
}

void AlphaBlit32Opacity128_Ours(benchmark::State& state)
{
    TScene scene(32);
    for (auto _ : state) {
        scene.Engine->DrawWithAlphaChannel("Picture", "MemorySurface", 0, 0, 128);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kWidth * kHeight);
}

void AlphaBlit32Opacity128_Pixman(benchmark::State& state)
{
    TScene scene(32, 128);
    for (auto _ : state) {
        scene.PixmanOver();
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kWidth * kHeight);
}

void AlphaBlit16_Ours(benchmark::State& state)
{
    TScene scene(16);
    for (auto _ : state) {
        scene.Engine->DrawWithAlphaChannel("Picture", "MemorySurface", 0, 0);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kWidth * kHeight);
}

// pixman's best route onto r5g6b5: an x8r8g8b8 source through the a8 mask.
void AlphaBlit16_Pixman(benchmark::State& state)
{
    TScene scene(16);
    for (auto _ : state) {
        scene.PixmanOver();
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kWidth * kHeight);
}

// The same with the very same r5g6b5 pixels as source.
void AlphaBlit16From565_Pixman(benchmark::State& state)
{
    TScene scene(16);
    for (auto _ : state) {
        scene.PixmanOver(true);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kWidth * kHeight);
}

// ---- On their own ------------------------------------------------------------------------

void DrawWithAlphaChannelInReal128(benchmark::State& state)
{
    TScene scene(static_cast<int>(state.range(0)));
    std::mt19937 rng(7);
    MakeSprite(*scene.Engine, "Sprite", 128, 128, rng);
    for (auto _ : state) {
        scene.Engine->DrawWithAlphaChannelInReal("Sprite", "MemorySurface", 300.37, 200.71);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, 127 * 127);
}

// 200 glyphs of 12 x 20 from a glyph picture, in colour.
std::vector<TCharsRect> MakeGlyphs(TSurfEngine& e)
{
    std::mt19937 rng(11);
    MakeSprite(e, "Font.png", 16 * 12, 4 * 20, rng);
    std::vector<TCharsRect> glyphs;
    for (int i = 0; i < 200; ++i) {
        const int g = static_cast<int>(rng() % 64);
        const int left = (g % 16) * 12, top = (g / 16) * 20;
        glyphs.push_back({{left, top, left + 11, top + 19}, 20 + (i % 50) * 15, 40 + (i / 50) * 120,
                          static_cast<uint32_t>(rng() & 0xFFFFFF), 255});
    }
    return glyphs;
}

void TintedGlyphs(benchmark::State& state)
{
    TScene scene(static_cast<int>(state.range(0)));
    const std::vector<TCharsRect> glyphs = MakeGlyphs(*scene.Engine);
    for (auto _ : state) {
        scene.Engine->DrawCharList("Font.png", "MemorySurface", 200, glyphs);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, 200 * 12 * 20);
}

void AddSurfacesFullFrame(benchmark::State& state)
{
    TScene scene(static_cast<int>(state.range(0)));
    scene.Engine->NewSurface("MemoryBuferAdd", kWidth, kHeight);
    scene.Engine->FillSurface("MemoryBuferAdd", 3);
    for (auto _ : state) {
        scene.Engine->AddSurfaces("MemorySurface", "MemoryBuferAdd", TRect{0, 0, kWidth, kHeight}, std::nullopt,
                                  std::nullopt, "MemorySurface");
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kWidth * kHeight);
}

void BlitRectsFullGrid(benchmark::State& state)
{
    TScene scene(static_cast<int>(state.range(0)));
    scene.Engine->NewSurface("Back", kWidth, kHeight);
    TRedrawGrid grid;
    grid.SetRedrawGrid(2);
    const std::vector<TRect> rects = grid.MakeRedrawRectsFromGrid();
    TSurface& back = *scene.Engine->FindSurface("Back");
    const TSurface& frame = *scene.Engine->FindSurface("MemorySurface");
    for (auto _ : state) {
        scene.Engine->BlitRects(back, frame, rects);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(state, kWidth * kHeight);
}

// One frame as the game composes it: the background restored under the marked cells,
// 30 sprites of 100 x 150, 200 glyphs, and the dirty rectangles copied for presentation.
void TypicalFrame(benchmark::State& state)
{
    TScene scene(static_cast<int>(state.range(0)));
    TSurfEngine& e = *scene.Engine;
    std::mt19937 rng(5);
    e.NewSurface("BackGround", kWidth, kHeight);
    e.FillSurface("BackGround", 0x55);
    e.NewSurface("Back", kWidth, kHeight);
    for (int i = 0; i < 30; ++i)
        MakeSprite(e, "Sprite" + std::to_string(i), 100, 150, rng);
    struct TPlace {
        int X, Y;
    };
    std::vector<TPlace> places;
    for (int i = 0; i < 30; ++i)
        places.push_back({static_cast<int>(rng() % 760) - 30, static_cast<int>(rng() % 520) - 40});
    const std::vector<TCharsRect> glyphs = MakeGlyphs(e);
    TRedrawGrid grid;
    TSurface& back = *e.FindSurface("Back");
    const TSurface& frame = *e.FindSurface("MemorySurface");
    for (auto _ : state) {
        grid.MakeRedrawRectsFromGrid();
        grid.DrawBackgroundByGrid(e, nullptr);
        for (int i = 0; i < 30; ++i) {
            e.DrawWithAlphaChannel("Sprite" + std::to_string(i), "MemorySurface", places[i].X, places[i].Y);
            grid.FillRedrawGrid(MakeRect(places[i].X, places[i].Y, 100, 150), 2);
        }
        e.DrawCharList("Font.png", "MemorySurface", 200, glyphs);
        grid.FillRedrawGrid(TRect{20, 40, 780, 420}, 2);
        e.BlitRects(back, frame, grid.RedrawRects());
        grid.ClearFrameLists();
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(AlphaBlit32_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlphaBlit32_Pixman)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlphaBlit32Opacity128_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlphaBlit32Opacity128_Pixman)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlphaBlit16_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlphaBlit16_Pixman)->Unit(benchmark::kMicrosecond);
BENCHMARK(AlphaBlit16From565_Pixman)->Unit(benchmark::kMicrosecond);
BENCHMARK(DrawWithAlphaChannelInReal128)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);
BENCHMARK(TintedGlyphs)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);
BENCHMARK(AddSurfacesFullFrame)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);
BENCHMARK(BlitRectsFullGrid)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);
BENCHMARK(TypicalFrame)->Arg(32)->Arg(16)->Unit(benchmark::kMicrosecond);
