// The game's host of the interface on a real surface engine: where pictures and glyph
// parts land, what a missing picture does, and where sounds go.
#include "interface/GameInterfaceHost.h"

#include "audio/SoundEvents.h"
#include "foundation/Clock.h"
#include "graphics/SurfEngine.h"

#include <gtest/gtest.h>

namespace {

class GameInterfaceHostTest : public ::testing::Test {
protected:
    GameInterfaceHostTest()
    {
        EXPECT_TRUE(surfaces.NewSurface("MemorySurface", 800, 600));
        // A 4 x 3 opaque white picture.
        EXPECT_TRUE(surfaces.NewSurface("Box.png", 4, 3));
        surfaces.FillRectAlpha("Box.png", {0, 0, 4, 3}, 255, 0xFFFFFF);
        surfaces.CreateAlphaChannel("Box.png", 255);
    }

    // The white pixels of the frame's top-left 20 x 20, as a box (right and bottom
    // exclusive); empty when there are none.
    TRect Drawn() const
    {
        TRect box{100, 100, -1, -1};
        const TSurface* frame = surfaces.FindSurface("MemorySurface");
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                if ((reinterpret_cast<const uint32_t*>(frame->Row(y))[x] & 0xFFFFFF) != 0) {
                    box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                           std::max(box.Bottom, y + 1)};
                }
        return box.Right < 0 ? TRect{0, 0, 0, 0} : box;
    }

    TSurfEngine surfaces{TDisplayFormat::Bgr32()};
    TManualClock clock;
    TRecordingSounds sounds;
    TGameInterfaceHost host{surfaces, clock, &sounds, nullptr};
};

TEST_F(GameInterfaceHostTest, PicturesAndTheirPartsLandWhereTheWidgetSays)
{
    const TRect part{1, 0, 3, 2};  // two columns, two rows
    struct TCase {
        const char* What;
        uint8_t Opacity;
        const TRect* Source;
        TRect Expected;
    };
    for (TCase c : {TCase{"whole", 255, nullptr, {5, 6, 9, 9}}, TCase{"a part", 255, &part, {5, 6, 7, 8}},
                    TCase{"opacity 0", 0, nullptr, {0, 0, 0, 0}}}) {
        surfaces.FillRectAlpha("MemorySurface", {0, 0, 800, 600}, 255, 0);
        host.Draw("Box.png", "Bump.png", TBlendingMode::bmAddBlend, 5, 6, c.Opacity, c.Source);
        EXPECT_EQ(Drawn(), c.Expected) << c.What;
    }

    surfaces.FillRectAlpha("MemorySurface", {0, 0, 800, 600}, 255, 0);
    const TQelGlyphRect glyph{{0, 0, 2, 3}, 10, 1, 0xFFFFFF, 255};
    host.ExtDraw("Box.png", std::span(&glyph, 1));
    EXPECT_EQ(Drawn(), (TRect{10, 1, 12, 4}));

    // The game fills even when a frame is asked for.
    surfaces.FillRectAlpha("MemorySurface", {0, 0, 800, 600}, 255, 0);
    host.DrawRect("", {2, 2, 6, 5}, 0xFFFFFF, 255, false);
    EXPECT_EQ(Drawn(), (TRect{2, 2, 6, 5}));
    EXPECT_EQ(host.GetPictureSize("Box.png"), (TQelSize{4, 3}));
    EXPECT_EQ(host.GetScreenSize(), (TQelSize{800, 600}));
}

TEST_F(GameInterfaceHostTest, AMissingPictureDrawsNothingUnlessItCanBeLoaded)
{
    surfaces.FillRectAlpha("MemorySurface", {0, 0, 800, 600}, 255, 0);
    host.Draw("Missing.png", "", TBlendingMode::bmNormal, 0, 0, 255, nullptr);
    EXPECT_EQ(host.GetPictureSize("Missing.png"), (TQelSize{0, 0}));
    EXPECT_EQ(Drawn(), (TRect{0, 0, 0, 0}));

    std::vector<std::string> asked;
    host.LoadMissingPicture = [&](const std::string& name) {
        asked.push_back(name);
        return name == "Late.png" && surfaces.NewSurface(name, 7, 2);
    };
    EXPECT_EQ(host.GetPictureSize("Late.png"), (TQelSize{7, 2}));
    EXPECT_EQ(host.GetPictureSize("Late.png"), (TQelSize{7, 2}));
    EXPECT_EQ(host.GetPictureSize("Missing.png"), (TQelSize{0, 0}));
    EXPECT_EQ(asked, (std::vector<std::string>{"Late.png", "Missing.png"}));
}

TEST_F(GameInterfaceHostTest, SoundsGoStraightToTheSoundList)
{
    host.PlaySound("click.ogg", 100);
    EXPECT_EQ(sounds.Sounds, std::vector<std::string>{"click.ogg"});
    EXPECT_TRUE(sounds.Events.empty());
    TGameInterfaceHost silent(surfaces, clock, nullptr, nullptr);
    silent.PlaySound("click.ogg", 100);  // no sound engine: nothing, and no crash
}

}  // namespace
