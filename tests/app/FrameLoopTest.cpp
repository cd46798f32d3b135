// The frame loop: the display set-up at the first activation, what each frame ticks,
// draws and copies, the shell's deadlines, the screen dispatch and the input handlers.
#include "AppDoubles.h"
#include "graphics/SurfEngine.h"
#include "platform/KeyCodes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr int64_t kStepMs = 16;

// Records what the main window asks of it.
class TRecordingScreen final : public IScreen {
public:
    void Tick(int64_t now) override { Calls.push_back("Tick " + std::to_string(now)); }
    void Draw() override { Calls.push_back("Draw"); }
    void Enter(TScreenMode from) override { Calls.push_back("Enter " + std::string(ScreenModeName(from))); }
    void Leave(TScreenMode to) override { Calls.push_back("Leave " + std::string(ScreenModeName(to))); }
    void MouseDown(const TQelMouseEvent& e) override
    {
        Calls.push_back("Down " + std::to_string(int(e.Button)) + " " + std::to_string(e.Shift) + " " +
                        std::to_string(e.X) + "," + std::to_string(e.Y));
    }
    void MouseUp(const TQelMouseEvent& e) override
    {
        Calls.push_back("Up " + std::to_string(e.X) + "," + std::to_string(e.Y));
    }
    void MouseMove(const TQelMouseEvent& e) override
    {
        Calls.push_back("Move " + std::to_string(e.X) + "," + std::to_string(e.Y));
    }
    bool KeyDown(const TQelKeyEvent& e) override
    {
        Calls.push_back("Key " + std::to_string(e.Key));
        return true;
    }
    std::vector<std::string> Calls;
};

class FrameLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine = rig.Start();
        engine->FormActivate();
    }
    void Frame()
    {
        rig.Clock.Advance(kStepMs);
        engine->AppIdle();
    }

    TShellRig rig;
    std::unique_ptr<TQelGameEngine> engine;
};

TEST_F(FrameLoop, FirstActivationSetsUpTheDisplayAndStartsTheSplash)
{
    ASSERT_EQ(rig.Display.Modes.size(), 1u);
    EXPECT_FALSE(rig.Display.Modes[0].FullScreen);
    EXPECT_EQ(rig.Display.Modes[0].Bits, 32);
    EXPECT_EQ(engine->Shell.SplashStartTime, rig.Clock.NowMs());
    // The loading asks for the splash; it begins with the first frame.
    engine->AppIdle();
    EXPECT_EQ(engine->Shell.ScreenMode, TScreenMode::smSplash);
    for (const char* name : {"MemorySurface", "BackGround", "MainBackGround", "MemoryBuferAdd"})
        EXPECT_GE(engine->SurfEngine().IndexOfSurface(name), 0) << name;
    // A second activation sets nothing up again.
    engine->FormActivate();
    EXPECT_EQ(rig.Display.Modes.size(), 1u);
}

TEST_F(FrameLoop, NoFrameRunsBeforeTheDisplayExists)
{
    TShellRig other;
    auto idle = other.Start();
    other.Clock.Advance(100);
    idle->AppIdle();
    EXPECT_EQ(idle->Shell.FrameTime, other.Clock.NowMs());
    EXPECT_EQ(other.Display.Memory.Presents, 0);
    EXPECT_EQ(idle->Stats.FrameCounter, 0);
}

TEST_F(FrameLoop, MarkedCellsAreCopiedInTwoFramesThenNothing)
{
    Frame();
    Frame();
    Frame();
    ASSERT_EQ(rig.Display.Memory.Presents, 3);
    // The whole screen is marked at set-up: its rows reach the display in the first two
    // frames, and the third frame shows the frame without copying anything.
    ASSERT_FALSE(rig.Display.Memory.Copied.empty());
    int64_t area = 0;
    for (const TRect& r : rig.Display.Memory.Copied)
        area += int64_t(r.Width()) * r.Height();
    EXPECT_EQ(area, 2 * 800 * 600);

    rig.Display.Memory.Copied.clear();
    engine->RedrawGrid().FillRedrawGrid(TRect{100, 100, 119, 119}, 2);
    Frame();
    EXPECT_FALSE(rig.Display.Memory.Copied.empty());
    for (const TRect& r : rig.Display.Memory.Copied)
        EXPECT_LE(r.Right, 160);
}

TEST_F(FrameLoop, FullRedrawUntilMarksTheScreenEveryFrameTillThen)
{
    Frame();
    Frame();
    engine->Shell.FullRedrawUntil = rig.Clock.NowMs() + 2 * kStepMs;
    rig.Display.Memory.Copied.clear();
    Frame();  // marks at FrameTime < deadline; copied from the next frame on
    Frame();
    EXPECT_FALSE(rig.Display.Memory.Copied.empty());
    Frame();
    Frame();
    Frame();
    rig.Display.Memory.Copied.clear();
    Frame();
    EXPECT_TRUE(rig.Display.Memory.Copied.empty());
}

TEST_F(FrameLoop, AScreenChangeIsAppliedAtTheTopOfTheNextFrameTheLastRequestWinning)
{
    TRecordingScreen map, shop;
    engine->Screens().Set(TScreenMode::smMap, &map);
    engine->Screens().Set(TScreenMode::smShop, &shop);
    Frame();
    engine->Request(TScreenMode::smShop);
    engine->Request(TScreenMode::smMap);
    EXPECT_EQ(engine->Shell.ScreenMode, TScreenMode::smSplash) << "the frame that asked ends in its mode";
    Frame();
    EXPECT_EQ(engine->Shell.ScreenMode, TScreenMode::smMap);
    EXPECT_EQ(map.Calls, (std::vector<std::string>{"Enter smSplash", "Tick " + std::to_string(rig.Clock.NowMs()), "Draw"}));
    EXPECT_TRUE(shop.Calls.empty());

    map.Calls.clear();
    engine->Request(TScreenMode::smMap);
    Frame();
    EXPECT_EQ(map.Calls.size(), 2u) << "asking for the current mode enters nothing";

    map.Calls.clear();
    engine->Request(TScreenMode::smShop);
    Frame();
    EXPECT_EQ(map.Calls, (std::vector<std::string>{"Leave smShop"}));
    EXPECT_EQ(shop.Calls.front(), "Enter smMap");
}

TEST_F(FrameLoop, DelayedLabelsLeaveTheListOnceTheirTimeHasPassed)
{
    const int64_t now = rig.Clock.NowMs();
    engine->Shell.DelayedLabels = {{"WGame_LFirst", now + 10}, {"WGame_LSecond", now + 50}, {"WGame_LThird", now + 5}};
    Frame();
    ASSERT_EQ(engine->Shell.DelayedLabels.size(), 1u);
    EXPECT_EQ(engine->Shell.DelayedLabels[0].Name, "WGame_LSecond");
    Frame();
    Frame();
    Frame();
    EXPECT_TRUE(engine->Shell.DelayedLabels.empty());
}

TEST_F(FrameLoop, ScreensGetTheFramesAndInputOfTheirModesOnly)
{
    TRecordingScreen map;
    engine->Screens().Set({TScreenMode::smMap, TScreenMode::smDialog}, &map);
    Frame();
    EXPECT_TRUE(map.Calls.empty());

    engine->Request(TScreenMode::smMap);
    Frame();
    map.Calls.erase(map.Calls.begin());  // its Enter
    EXPECT_EQ(map.Calls, (std::vector<std::string>{"Tick " + std::to_string(rig.Clock.NowMs()), "Draw"}));

    map.Calls.clear();
    TInputEvent down;
    down.Kind = TInputKind::MouseDown;
    down.Button = TMouseButton::Right;
    down.Shift = ShiftState::Right;
    down.X = 40;
    down.Y = 50;
    engine->HandleInput(down);
    TInputEvent move;
    move.Kind = TInputKind::MouseMove;
    move.X = 41;
    move.Y = 52;
    engine->HandleInput(move);
    TInputEvent key;
    key.Kind = TInputKind::KeyDown;
    key.Key = KeyCode::Esc;
    engine->HandleInput(key);
    EXPECT_EQ(map.Calls, (std::vector<std::string>{"Down 1 16 40,50", "Move 41,52", "Key 27"}));
    EXPECT_EQ(engine->Shell.MouseX, 41);
    EXPECT_EQ(engine->Shell.MouseY, 52);
    Frame();
    EXPECT_EQ(engine->PrevMouseX, 41) << "the frame takes the position over as the previous one";

    engine->Request(TScreenMode::smDialog);
    map.Calls.clear();
    Frame();
    EXPECT_EQ(map.Calls.size(), 2u) << "one screen serves two modes";
    engine->Request(TScreenMode::smShop);
    map.Calls.clear();
    Frame();
    engine->HandleInput(down);
    EXPECT_EQ(map.Calls, (std::vector<std::string>{"Leave smShop"}));
}

TEST_F(FrameLoop, FramesPerSecondAreCountedOverEachSecond)
{
    // Frames of 16 ms: the sample is taken on the first frame more than 1000 ms after
    // the last one, the 63rd, which is counted in it.
    for (int i = 0; i < 62; ++i)
        Frame();
    EXPECT_EQ(engine->Stats.CurrentFPS, 0);
    EXPECT_EQ(engine->Stats.FrameCounter, 62);
    Frame();
    EXPECT_EQ(engine->Stats.CurrentFPS, 63);
    EXPECT_EQ(engine->Stats.FrameCounter, 0);
    Frame();
    EXPECT_EQ(engine->Stats.FrameCounter, 1);
}

TEST_F(FrameLoop, ErrorsInAScreenAreLoggedAndTheNextFrameRuns)
{
    class TFailingScreen final : public IScreen {
    public:
        void Tick(int64_t) override { throw std::runtime_error("broken tick"); }
        void Draw() override { throw std::runtime_error("broken draw"); }
    } failing;
    engine->Screens().Set(TScreenMode::smSplash, &failing);
    Frame();
    Frame();
    const std::string log = rig.UserFile("Glimmora.log");
    EXPECT_NE(log.find("} Error TickTaimer: broken tick\r\n"), std::string::npos);
    EXPECT_NE(log.find("} Error DrawMemorySurface: broken draw\r\n"), std::string::npos);
    EXPECT_EQ(rig.Display.Memory.Presents, 2);
}

TEST_F(FrameLoop, AltEnterSwitchesFullScreenAndBack)
{
    TInputEvent altEnter;
    altEnter.Kind = TInputKind::KeyDown;
    altEnter.Key = KeyCode::Enter;
    altEnter.Shift = ShiftState::Alt;
    engine->HandleInput(altEnter);
    ASSERT_EQ(rig.Display.Modes.size(), 2u);
    EXPECT_TRUE(rig.Display.Modes[1].FullScreen);
    EXPECT_TRUE(rig.Display.IsFullScreen());
    EXPECT_NE(rig.UserFile("options.cfg").find("FullScreenMode=1\r\n"), std::string::npos);
    EXPECT_GE(rig.Display.Memory.Presents, 1) << "the new mode shows a frame at once";

    engine->HandleInput(altEnter);
    ASSERT_EQ(rig.Display.Modes.size(), 3u);
    EXPECT_FALSE(rig.Display.IsFullScreen());
    EXPECT_NE(rig.UserFile("options.cfg").find("FullScreenMode=0\r\n"), std::string::npos);
    EXPECT_EQ(rig.Window.Placed, 2) << "back in a window at the options' place";

    // Enter alone is no command.
    TInputEvent enter = altEnter;
    enter.Shift = 0;
    engine->HandleInput(enter);
    EXPECT_EQ(rig.Display.Modes.size(), 3u);
}

TEST(Cursor, FullScreenDrawsTheCursorPictureOnceTheSplashHasRun)
{
    TShellRig rig;
    rig.Program.Write("options.cfg", "[Options]\nFullScreenMode=1\nVersion=1.38\n");
    auto engine = rig.Start();
    engine->FormActivate();
    TInputEvent move;
    move.Kind = TInputKind::MouseMove;
    move.X = 300;
    move.Y = 200;
    engine->HandleInput(move);

    // Without its picture the system's arrow stays.
    rig.Clock.Advance(1400);
    engine->AppIdle();
    EXPECT_TRUE(rig.Window.CursorShown);

    TSurfEngine& surfaces = engine->SurfEngine();
    ASSERT_TRUE(surfaces.NewSurface("Cursor.png", 16, 16));
    surfaces.FillSurface("Cursor.png", 0xFF);
    surfaces.CreateAlphaChannel("Cursor.png", 255);
    rig.Clock.Advance(kStepMs);
    engine->AppIdle();
    rig.Clock.Advance(kStepMs);
    engine->AppIdle();
    EXPECT_FALSE(rig.Window.CursorShown);
    // The picture's top left is 5 left of and 3 above the mouse, and it reached the display.
    const auto pixel = [&](int x, int y) {
        uint32_t v;
        std::memcpy(&v, rig.Display.Memory.Frame.data() + (static_cast<size_t>(y) * 800 + x) * 4, 4);
        return v & 0xFFFFFF;
    };
    EXPECT_EQ(pixel(295, 197), 0xFFFFFFu);
    EXPECT_EQ(pixel(310, 212), 0xFFFFFFu);
    EXPECT_EQ(pixel(294, 197), 0u);
    EXPECT_EQ(pixel(311, 212), 0u);

    // Leaving full screen brings the system's arrow back.
    TInputEvent altEnter;
    altEnter.Kind = TInputKind::KeyDown;
    altEnter.Key = KeyCode::Enter;
    altEnter.Shift = ShiftState::Alt;
    engine->HandleInput(altEnter);
    rig.Clock.Advance(kStepMs);
    engine->AppIdle();
    EXPECT_TRUE(rig.Window.CursorShown);
}

TEST(DisplaySetUp, FallsBackToSixteenBitsThenEndsTheProgram)
{
    {
        TShellRig rig;
        rig.Display.Refused = {32};
        auto engine = rig.Start();
        engine->FormActivate();
        ASSERT_EQ(rig.Display.Modes.size(), 2u);
        EXPECT_EQ(rig.Display.Modes[1].Bits, 16);
        EXPECT_FALSE(engine->Terminated());
        EXPECT_EQ(engine->SurfEngine().Format().BitCount, 16) << "frames are composed in the display's format";
        EXPECT_NE(rig.UserFile("Glimmora.log").find("no 32-bit mode here"), std::string::npos);
    }
    {
        TShellRig rig;
        rig.Display.Refused = {16, 32};
        auto engine = rig.Start();
        engine->FormActivate();
        EXPECT_TRUE(engine->Terminated());
        EXPECT_EQ(engine->ExitCode(), 1);
        EXPECT_NE(rig.UserFile("Glimmora.log").find("} Error in init DirectX mode FullScreen=0\r\n"), std::string::npos);
        engine->AppIdle();
        EXPECT_EQ(rig.Display.Memory.Presents, 0);
    }
}

TEST(DisplaySetUp, FullScreenFromTheOptions)
{
    TShellRig rig;
    rig.Program.Write("options.cfg", "[Options]\nFullScreenMode=1\nBitsPerPixel=16\nVersion=1.38\n");
    auto engine = rig.Start();
    engine->FormActivate();
    ASSERT_EQ(rig.Display.Modes.size(), 1u);
    EXPECT_TRUE(rig.Display.Modes[0].FullScreen);
    EXPECT_EQ(rig.Display.Modes[0].Bits, 16);
    EXPECT_EQ(rig.Window.Placed, 0) << "a full screen has no window place";
}

TEST(Activation, LosingTheFocusPausesSoundUntilItComesBack)
{
    TShellRig rig;
    auto engine = rig.Start();
    engine->FormActivate();
    rig.Audio.Calls.clear();
    rig.Clock.Advance(500);
    engine->HandleWindowEvent(TWindowEvent::FocusLost);
    EXPECT_FALSE(engine->IsActive());
    EXPECT_EQ(engine->DeactivatedAt, rig.Clock.NowMs());
    rig.Clock.Advance(500);
    engine->HandleWindowEvent(TWindowEvent::FocusGained);
    EXPECT_TRUE(engine->IsActive());
    EXPECT_EQ(rig.Audio.Calls, (std::vector<std::string>{"Pause", "Start"}));
    const std::string log = rig.UserFile("Glimmora.log");
    EXPECT_NE(log.find("} TimeDeActivate 10500\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("} TimeActivate 11000\r\n"), std::string::npos) << log;
}

TEST(Screenshot, SavesTheComposedFrameAsPng)
{
    TShellRig rig;
    auto engine = rig.Start();
    std::string error;
    EXPECT_FALSE(engine->SaveMemorySurfacePng(rig.User / "before.png", &error)) << "no frame before the display";
    engine->FormActivate();
    engine->AppIdle();
    ASSERT_TRUE(engine->SaveMemorySurfacePng(rig.User / "frame.png", &error)) << error;
    EXPECT_TRUE(rig.User.Read("frame.png").starts_with("\x89PNG\r\n\x1a\n"));
}

}  // namespace
