// Drawing particles: colour and tint from the parameters, frame sheets, the additive
// layer, clipping, and the alpha-plane reveal.
#include "effects/QelFXDraw.h"
#include "effects/QelFXParticles.h"

#include "foundation/Random.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"

#include <gtest/gtest.h>

namespace {

// One particle at (at) with the given extra parameters and system settings.
std::string OneParticle(const std::string& at, const std::string& parameters, const std::string& system)
{
    return "<ParticleEffect Name=\"efDraw\"><Functions><Function Name=\"FAt\" Dim=\"2\" Type=\"constant\"><Value>(" + at +
        ")</Value></Function><Function Name=\"FOne\" Dim=\"1\" Type=\"constant\"><Value>(1)</Value></Function>"
        "<Function Name=\"FHalf\" Dim=\"1\" Type=\"constant\"><Value>(0.5)</Value></Function>"
        "<Function Name=\"FTwo\" Dim=\"1\" Type=\"constant\"><Value>(2)</Value></Function>"
        "<Function Name=\"FNine\" Dim=\"1\" Type=\"constant\"><Value>(9)</Value></Function>"
        "<Function Name=\"FBlue\" Dim=\"3\" Type=\"constant\"><Value>(0,0,255)</Value></Function></Functions>"
        "<Morphs><Morph Name=\"MAt\" Dim=\"2\"><Functions><Function Name=\"FAt\"/></Functions></Morph>"
        "<Morph Name=\"MOne\" Dim=\"1\"><Functions><Function Name=\"FOne\"/></Functions></Morph>"
        "<Morph Name=\"MHalf\" Dim=\"1\"><Functions><Function Name=\"FHalf\"/></Functions></Morph>"
        "<Morph Name=\"MTwo\" Dim=\"1\"><Functions><Function Name=\"FTwo\"/></Functions></Morph>"
        "<Morph Name=\"MNine\" Dim=\"1\"><Functions><Function Name=\"FNine\"/></Functions></Morph>"
        "<Morph Name=\"MBlue\" Dim=\"3\"><Functions><Function Name=\"FBlue\"/></Functions></Morph></Morphs>"
        "<Particles><Particle Name=\"P\"><Parameter Name=\"Position\" Dim=\"2\" Morph=\"MAt\"/>" +
        parameters +
        "</Particle></Particles><ParticleSystems><ParticleSystem Name=\"S\" Template=\"P\"><InitParticles>1</InitParticles>" +
        system + "</ParticleSystem></ParticleSystems></ParticleEffect>";
}

struct TDrawFixture : ::testing::Test {
    TSurfEngine surfaces {TDisplayFormat::Bgr32()};
    TRandom random;
    TRedrawGrid grid;

    void SetUp() override
    {
        ASSERT_TRUE(surfaces.NewSurface("Frame", 800, 600));
        ASSERT_TRUE(surfaces.NewSurface(kEffectLayer, 800, 600));
        // A 4 x 4 white square, and a sheet of three 4 x 4 frames: red, green, blue.
        MakePicture("White.png", 4, [](int) { return 0xFFFFFFu; });
        MakePicture("Sheet.png", 12, [](int x) { return x < 4 ? 0xFF0000u : x < 8 ? 0x00FF00u : 0x0000FFu; });
    }
    template <class F>
    void MakePicture(const std::string& name, int width, F colourAt)
    {
        ASSERT_TRUE(surfaces.NewSurface(name, width, 4));
        TSurface* s = surfaces.FindSurface(name);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < width; ++x)
                reinterpret_cast<uint32_t*>(s->Row(y))[x] = colourAt(x);
        surfaces.CreateAlphaChannel(name, 255);
    }
    uint32_t Pixel(int x, int y, const char* surface = "Frame") const
    {
        return reinterpret_cast<const uint32_t*>(surfaces.FindSurface(surface)->Row(y))[x] & 0xFFFFFF;
    }
    void Draw(const std::string& xml, TQelFXDrawParams params = {})
    {
        TQelParticleEffect e;
        e.Random = &random;
        e.LoadFromText(xml);
        e.Start(100);
        e.Validate();
        e.Tick(200);
        params.ScreenRules = true;
        DrawQelParticleEffect(surfaces, e, "Frame", params, &grid, 200);
    }
};

TEST_F(TDrawFixture, ColourValuePaintsThePictureInTheParticlesColour)
{
    Draw(OneParticle("50,50", "<Parameter Name=\"Color\" Dim=\"3\" Morph=\"MBlue\"/><Parameter Name=\"ColorValue\" Dim=\"1\" Morph=\"MOne\"/>",
        "<Resource>White.png</Resource>"));
    // Blue in the engine's blue-lowest layout, nearly pure.
    EXPECT_GT(Pixel(49, 49) & 0xFF, 0xF0u);
    EXPECT_LT((Pixel(49, 49) >> 8) & 0xFF, 0x08u);
    EXPECT_LT(Pixel(49, 49) >> 16, 0x08u);
}

TEST_F(TDrawFixture, AlphaBeyondOneDoesNotWrap)
{
    Draw(OneParticle("50,50", "<Parameter Name=\"Alpha\" Dim=\"1\" Morph=\"MTwo\"/>", "<Resource>White.png</Resource>"));
    EXPECT_EQ(Pixel(49, 49), 0xFFFFFFu);
}

TEST_F(TDrawFixture, FramesComeFromTheSheet)
{
    Draw(OneParticle("20,20", "<Parameter Name=\"Frame\" Dim=\"1\" Morph=\"MTwo\"/>",
        "<FrameCount>3</FrameCount><Resource>Sheet.png</Resource>"));
    EXPECT_EQ(Pixel(19, 19), 0x0000FFu);
    EXPECT_EQ(Pixel(22, 19), 0u);  // one frame wide, not the whole sheet

    // A frame the sheet does not have draws nothing.
    Draw(OneParticle("60,60", "<Parameter Name=\"Frame\" Dim=\"1\" Morph=\"MNine\"/>",
        "<FrameCount>3</FrameCount><Resource>Sheet.png</Resource>"));
    EXPECT_EQ(Pixel(59, 59), 0u);
}

TEST_F(TDrawFixture, AdditiveParticlesAddOntoTheFrame)
{
    TSurface* frame = surfaces.FindSurface("Frame");
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            reinterpret_cast<uint32_t*>(frame->Row(y))[x] = 0x404040;
    Draw(OneParticle("100,100", "<Parameter Name=\"Alpha\" Dim=\"1\" Morph=\"MHalf\"/>",
        "<OutputMode>1</OutputMode><Resource>White.png</Resource>"));
    // The real-position draw puts the picture one pixel up and left, at half strength.
    const uint32_t lit = Pixel(98, 98);
    EXPECT_GT(lit & 0xFF, 0x40u + 0x60u);
    EXPECT_EQ(lit & 0xFF, (lit >> 8) & 0xFF);
    EXPECT_EQ(Pixel(120, 120), 0x404040u);
}

TEST_F(TDrawFixture, TheClipRectangleCutsPictures)
{
    TQelFXDrawParams params;
    params.Clip = {0, 0, 50, 50};
    Draw(OneParticle("50,50", "", "<Resource>White.png</Resource>"), params);
    EXPECT_EQ(Pixel(50, 50), 0xFFFFFFu);
    EXPECT_EQ(Pixel(51, 50), 0u);
    EXPECT_EQ(Pixel(48, 48), 0xFFFFFFu);
}

TEST_F(TDrawFixture, OnAlphaRevealsInsteadOfDrawing)
{
    ASSERT_TRUE(surfaces.NewSurface("BackGround", 800, 600));
    surfaces.CreateAlphaChannel("BackGround", 0);
    TQelParticleEffect e;
    e.Random = &random;
    e.LoadFromText(OneParticle("30,30", "", "<Resource>White.png</Resource>"));
    e.Start(100);
    e.Validate();
    e.Tick(200);
    TQelFXDrawParams params;
    params.ScreenRules = true;
    params.OnAlpha = true;
    DrawQelParticleEffect(surfaces, e, "BackGround", params, nullptr, 200);
    EXPECT_EQ(surfaces.GetAlhpaFromSurf("BackGround", 29, 29), 255);
    EXPECT_EQ(surfaces.GetAlhpaFromSurf("BackGround", 40, 40), 0);
    EXPECT_EQ(Pixel(29, 29, "BackGround"), 0u);  // no colour drawn
}

// A particle flung beyond the integer range: its redraw area is worked out without
// overflowing (the sanitizer build stops on it) and nothing is drawn.
TEST_F(TDrawFixture, AParticleFarOffTheScreenDrawsNothing)
{
    Draw(OneParticle("3000000000,3000000000", "", "<Resource>White.png</Resource>"));
    EXPECT_EQ(Pixel(799, 599), 0u);
    EXPECT_EQ(Pixel(0, 0), 0u);
}

TEST_F(TDrawFixture, NothingBeforeTheStartAndMarksWhatIsDrawn)
{
    TQelParticleEffect e;
    e.Random = &random;
    e.LoadFromText(OneParticle("300,300", "", "<Resource>White.png</Resource>"));
    e.Start(500);
    e.Validate();
    TQelFXDrawParams params;
    DrawQelParticleEffect(surfaces, e, "Frame", params, &grid, 500);  // a list effect waits until its start has passed
    EXPECT_EQ(Pixel(299, 299), 0u);
    EXPECT_EQ(grid.Count(15, 15), 0u);
    DrawQelParticleEffect(surfaces, e, "Frame", params, &grid, 501);
    EXPECT_NE(Pixel(299, 299), 0u);
    EXPECT_EQ(grid.Count(15, 15), 2u);
}

}  // namespace
