// The vector pixel routines against the scalar reference, pixel for pixel, on random
// rows of every length around the vector widths and every kind of parameter.
#include "GraphicsTestKit.h"

#include "graphics/BlendKernels.h"

namespace {

std::vector<const TBlendKernels*> VectorSets()
{
    std::vector<const TBlendKernels*> sets = {&Sse2Kernels()};
    if (Avx2Kernels())
        sets.push_back(Avx2Kernels());
    return sets;
}

struct TRows {
    std::vector<uint32_t> Src32, Src32b, Dst32;
    std::vector<uint16_t> Src16, Src16b, Dst16;
    std::vector<uint8_t> Alpha, Alpha2;

    TRows(int n, std::mt19937& rng)
    {
        auto fill = [&](auto& v) {
            v.resize(static_cast<size_t>(n) + 1);
            for (auto& x : v)
                x = static_cast<std::remove_reference_t<decltype(x)>>(rng());
        };
        fill(Src32), fill(Src32b), fill(Dst32), fill(Src16), fill(Src16b), fill(Dst16);
        for (auto* a : {&Alpha, &Alpha2}) {
            a->resize(static_cast<size_t>(n) + 1);
            // Runs of 0 and 255 as sprites have, with values between.
            for (size_t i = 0; i < a->size();) {
                const int kind = static_cast<int>(rng() % 3);
                for (size_t k = 1 + rng() % 9; k > 0 && i < a->size(); --k, ++i)
                    (*a)[i] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(rng());
            }
        }
    }
};

const uint8_t kBytes[] = {0, 1, 2, 127, 128, 200, 254, 255};

}  // namespace

TEST(BlendKernels, VectorRoutinesMatchTheScalarReference)
{
    const TBlendKernels& ref = ScalarKernels();
    const TPixelFormat f16 = TPixelFormat::Analyse(TDisplayFormat::Rgb565());
    std::mt19937 rng(1234);
    for (const TBlendKernels* k : VectorSets()) {
        SCOPED_TRACE(k->Name);
        for (int n = 0; n <= 70; ++n)
            for (int trial = 0; trial < 12; ++trial) {
                SCOPED_TRACE(n);
                const TRows rows(n, rng);
                const uint8_t opacity = trial < 8 ? kBytes[trial] : static_cast<uint8_t>(rng());
                const uint8_t tint = trial < 8 ? kBytes[7 - trial] : static_cast<uint8_t>(rng());
                const uint8_t tintOn = tint == 0 ? 1 : tint;
                const uint32_t color = rng() & 0xFFFFFF;
                const uint16_t color16 = ColorTo16(color, f16);
                auto check32 = [&](const char* what, auto call) {
                    std::vector<uint32_t> a = rows.Dst32, b = rows.Dst32;
                    call(ref, a.data());
                    call(*k, b.data());
                    EXPECT_EQ(a, b) << what << " opacity " << int(opacity) << " tint " << int(tintOn);
                };
                auto check16 = [&](const char* what, auto call) {
                    std::vector<uint16_t> a = rows.Dst16, b = rows.Dst16;
                    call(ref, a.data());
                    call(*k, b.data());
                    EXPECT_EQ(a, b) << what << " opacity " << int(opacity) << " tint " << int(tintOn);
                };
                check32("Alpha32", [&](const TBlendKernels& s, uint32_t* d) {
                    s.Alpha32(d, rows.Src32.data(), rows.Alpha.data(), n, opacity);
                });
                check32("Tint32", [&](const TBlendKernels& s, uint32_t* d) {
                    s.Tint32(d, rows.Src32.data(), rows.Alpha.data(), n, opacity, tintOn, color);
                });
                check32("Fill32", [&](const TBlendKernels& s, uint32_t* d) { s.Fill32(d, n, opacity, color); });
                check32("Add32", [&](const TBlendKernels& s, uint32_t* d) {
                    s.Add32(d, rows.Src32.data(), rows.Src32b.data(), n);
                });
                check16("Alpha16", [&](const TBlendKernels& s, uint16_t* d) {
                    s.Alpha16(d, rows.Src16.data(), rows.Alpha.data(), n, opacity, f16);
                });
                check16("Tint16", [&](const TBlendKernels& s, uint16_t* d) {
                    s.Tint16(d, rows.Src16.data(), rows.Alpha.data(), n, opacity, tintOn, color16, f16);
                });
                check16("Fill16", [&](const TBlendKernels& s, uint16_t* d) { s.Fill16(d, n, opacity, color16, f16); });
                check16("Add16", [&](const TBlendKernels& s, uint16_t* d) {
                    s.Add16(d, rows.Src16.data(), rows.Src16b.data(), n, f16);
                });
                const TBilinearWeights w{static_cast<int32_t>(rng() % 64), static_cast<int32_t>(rng() % 64),
                                         static_cast<int32_t>(rng() % 64), static_cast<int32_t>(rng() % 64)};
                check32("Real32", [&](const TBlendKernels& s, uint32_t* d) {
                    s.Real32(d, rows.Src32.data(), rows.Src32b.data(), rows.Alpha.data(), rows.Alpha2.data(), n, w,
                             opacity, tint, color);
                });
                check16("Real16", [&](const TBlendKernels& s, uint16_t* d) {
                    s.Real16(d, rows.Src16.data(), rows.Src16b.data(), rows.Alpha.data(), rows.Alpha2.data(), n, w,
                             opacity, tint, color16, f16);
                });
            }
    }
}

// Whole draws through the engine: the fast engine and one switched to the scalar
// routines produce the same surfaces for random pictures at random places.
class TKernelDepths : public TBothDepths {};

TEST_P(TKernelDepths, EngineDrawsMatchTheScalarEngine)
{
    auto fast = MakeEngine(Bits());
    auto slow = MakeEngine(Bits());
    slow->UseKernels(ScalarKernels());
    for (auto* e : {fast.get(), slow.get()}) {
        std::mt19937 rng(99);
        MakeRandom(*e, "pic", 57, 33, rng);
        MakeRandom(*e, "frame", 200, 120, rng, false);
        MakeRandom(*e, "layer", 200, 120, rng, false);
        for (int i = 0; i < 40; ++i) {
            const int x = static_cast<int>(rng() % 240) - 40, y = static_cast<int>(rng() % 160) - 40;
            const auto opacity = static_cast<uint8_t>(i % 4 == 0 ? 255 : rng());
            const auto tint = static_cast<uint8_t>(i % 3 == 0 ? 0 : rng());
            e->DrawWithAlphaChannel("pic", "frame", x, y, opacity, std::nullopt, rng(), tint);
            e->DrawWithAlphaChannelInReal("pic", "frame", x + 0.3, y + 0.7, opacity, std::nullopt, rng(), tint);
            e->FillRectAlpha("frame", MakeRect(x, y, 31, 17), opacity, rng());
        }
        e->AddSurfaces("frame", "layer", TRect{0, 0, 200, 120}, std::nullopt, std::nullopt, "frame");
    }
    EXPECT_EQ(Pixels(*fast, "frame"), Pixels(*slow, "frame"));
}

INSTANTIATE_TEST_SUITE_P(Depths, TKernelDepths, ::testing::Values(16, 32), DepthName);
