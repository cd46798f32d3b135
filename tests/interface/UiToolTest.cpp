// glimmora-tool ui on the sample interface: the frame it writes shows the window with
// its picture, label, button and check box, in the real fonts and pictures.
#include "foundation/Geometry.h"
#include "graphics/ImageCodec.h"
#include "tests/common/RunCommand.h"
#include "tests/common/TempFolder.h"

#include <array>
#include <cstdlib>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

TCommandRun Tool(const std::string& arguments)
{
    return RunCommand(std::string(GLIMMORA_TOOL) + " " + arguments + " 2>&1");
}

const std::string kSample = std::string("'") + GLIM_TEST_DATA + "/UiSample.li'";

struct TFrame {
    TDecodedImage Image;
    // "RRGGBB" of the pixel.
    std::string At(int x, int y) const
    {
        size_t i = (static_cast<size_t>(y) * Image.Width + x) * 3;
        char text[8];
        std::snprintf(text, sizeof text, "%02X%02X%02X", Image.Bgr[i + 2], Image.Bgr[i + 1], Image.Bgr[i]);
        return text;
    }
    // Pixels of the rectangle within a few steps of that colour (glyph edges blend).
    int Count(TRect r, uint32_t rgb) const
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) {
                size_t i = (static_cast<size_t>(y) * Image.Width + x) * 3;
                n += std::abs(Image.Bgr[i + 2] - int(rgb >> 16 & 255)) <= 3 &&
                     std::abs(Image.Bgr[i + 1] - int(rgb >> 8 & 255)) <= 3 && std::abs(Image.Bgr[i] - int(rgb & 255)) <= 3;
            }
        return n;
    }
};

TFrame Render(const TTempFolder& folder, const std::string& more)
{
    TCommandRun run = Tool("ui " + kSample + " --show WSample " + more + " --out '" + (folder / "ui.png").string() + "'");
    EXPECT_EQ(run.Status, 0) << run.Out;
    EXPECT_EQ(run.Out, "");
    std::string bytes = folder.Read("ui.png");
    TFrame frame;
    frame.Image = DecodePng(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    return frame;
}

TEST(UiTool, DrawsTheSampleWindow)
{
    TTempFolder folder;
    TFrame frame = Render(folder, "");
    ASSERT_EQ(frame.Image.Width, 800);
    ASSERT_EQ(frame.Image.Height, 600);
    EXPECT_EQ(frame.At(5, 5), "CCCCCC");     // the checkerboard around the window
    EXPECT_EQ(frame.At(230, 240), "FFF7EE");  // the window's picture, centred on the screen
    EXPECT_EQ(frame.At(335, 370), "E0517C");  // the button
    EXPECT_EQ(frame.At(272, 292), "3BA99C");  // the check box, checked
    // Text: plum in the title and beside the box, white on the button.
    EXPECT_GT(frame.Count(MakeRect(240, 204, 320, 30), 0x4E2345), 20);
    EXPECT_GT(frame.Count(MakeRect(284, 280, 100, 24), 0x4E2345), 10);
    EXPECT_GT(frame.Count(MakeRect(330, 350, 140, 40), 0xFFFFFF), 10);
}

TEST(UiTool, ModificatorChangesTheWindow)
{
    TTempFolder folder;
    TFrame frame = Render(folder, std::string("--data '") + GLIM_TEST_DATA + "' --lng '" + GLIM_TEST_DATA +
                                      "/UiSample.lng'");
    EXPECT_EQ(frame.At(272, 292), "FFFFFF");  // unchecked by the translation
}

TEST(UiTool, Failures)
{
    TTempFolder folder;
    const std::string out = " --out '" + (folder / "x.png").string() + "'";
    TCommandRun unknown = Tool("ui " + kSample + " --show WSample,WNope" + out);
    EXPECT_EQ(unknown.Status, 1);
    EXPECT_NE(unknown.Out.find("no window \"WNope\""), std::string::npos) << unknown.Out;
    TCommandRun missing = Tool("ui '" + (folder / "none.li").string() + "' --show W" + out);
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Out.find("Exception error in [TQelInterfaceEngine.LoadFromFile]"), std::string::npos);
    EXPECT_EQ(Tool("ui " + kSample + " --out x.png").Status, 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.png"));
}

}  // namespace
