// The bonus and picture days on the shipped game data: the greedy bot wins the bonus day
// through the window's mouse, clicks in the screen's corners and drags out of the box
// change nothing, the bonus menu pauses the day, and on the picture day four misses in a
// hurry cost five seconds and show the penalty note once.
#include "GameRig.h"
#include "gameplay/Level.h"
#include "gameplay/LevelSession.h"
#include "platform/KeyCodes.h"
#include "screens/level/LevelScreen.h"

#include <gtest/gtest.h>

namespace {

constexpr int kDayFrames = 12000;
constexpr std::pair<int32_t, int32_t> kBonusDay{0, 3};
constexpr std::pair<int32_t, int32_t> kPixelDay{0, 7};

class TVariantRig : public TGameRig {
public:
    TVariantRig(std::pair<int32_t, int32_t> day, const std::string& bot = {}) : TGameRig(day, bot, 1) {}
    TLevelSession* Day() const { return Engine->LevelScreen()->Session(); }
    bool RunUntil(const std::function<bool()>& done, int most = kDayFrames) { return TGameRig::RunUntil(done, most); }
    void Play()
    {
        Frame();
        Click("WBeforeLevel_BPlay");
        Frames(2);
    }
    void Mouse(TInputKind kind, int32_t x, int32_t y)
    {
        TInputEvent event;
        event.Kind = kind;
        event.X = x;
        event.Y = y;
        Engine->HandleInput(event);
    }
    int Shown(const std::string& window) const
    {
        return static_cast<int>(std::count(Trace.Lines.begin(), Trace.Lines.end(), "show " + window));
    }
    std::vector<int32_t> Tokens() const
    {
        std::vector<int32_t> types;
        for (const TBoxCell& cell : Day()->Box().Cells)
            types.push_back(cell.TypeIndex);
        return types;
    }
};

TEST(BonusDay, TheGreedyBotWinsItAndTheResultsShow)
{
    TVariantRig rig(kBonusDay, "greedy");
    ASSERT_TRUE(rig.RunUntil([&] { return rig.TopWindow() == "WBonusLevelComplete"; }));
    EXPECT_EQ(rig.Trace.First("level"), "Level_1_Bonus.xml");
    EXPECT_TRUE(rig.Trace.Has("mode smBonusLevel"));
    const TLevelResult day = rig.Day()->Result();
    EXPECT_EQ(day.Phase, TLevelPhase::Complete);
    EXPECT_EQ(rig.Trace.First("result"), "complete " + std::to_string(day.Score) + " " + std::to_string(day.Goal));
    EXPECT_EQ(rig.Shown("WBonusLevelComplete"), 1);
}

TEST(BonusDay, CornerClicksAndDragsOutOfTheBoxChangeNothing)
{
    TVariantRig rig(kBonusDay);
    rig.Play();
    ASSERT_EQ(rig.Mode(), TScreenMode::smBonusLevel);
    rig.Frames(200);  // the tokens have fallen in
    const std::vector<int32_t> before = rig.Tokens();
    const tLevel& level = rig.Day()->Level();
    const TRect box = BoxRect(level, rig.Day()->Box());
    for (TPoint p : {TPoint{0, 0}, TPoint{799, 599}})
        rig.ClickAt(p);
    // From a cell out to the corners, and from outside along the box's edges.
    const TPoint cell{box.Left + 20, box.Top + 20};
    rig.Mouse(TInputKind::MouseDown, cell.X, cell.Y);
    rig.Mouse(TInputKind::MouseMove, 0, 0);
    rig.Mouse(TInputKind::MouseUp, 799, 599);
    rig.Mouse(TInputKind::MouseDown, box.Right + 5, box.Top + 5);
    rig.Mouse(TInputKind::MouseMove, box.Right - 5, box.Top + 5);
    rig.Mouse(TInputKind::MouseUp, box.Right - 5, box.Top + 5);
    rig.Mouse(TInputKind::MouseDown, box.Left + 5, box.Bottom - 5);
    rig.Mouse(TInputKind::MouseMove, box.Left + 5, box.Bottom + 40);
    rig.Mouse(TInputKind::MouseUp, box.Left + 5, 599);
    rig.Frames(100);
    EXPECT_EQ(rig.Tokens(), before);
    EXPECT_EQ(rig.Day()->Box().Collected, 0);
    EXPECT_EQ(rig.Day()->Phase(), TLevelPhase::Running);
    EXPECT_EQ(rig.Mode(), TScreenMode::smBonusLevel);
}

TEST(BonusDay, EscOpensTheBonusMenuAndResumeGoesBackToTheBox)
{
    TVariantRig rig(kBonusDay);
    rig.Play();
    rig.Key(KeyCode::Esc);
    rig.Frame();
    EXPECT_EQ(rig.TopWindow(), "WGameMenuBonus");
    EXPECT_TRUE(rig.Day()->Paused());
    rig.Click("WGameMenuBonus_BResume");
    rig.Frame();
    EXPECT_EQ(rig.Mode(), TScreenMode::smBonusLevel);
    EXPECT_FALSE(rig.Day()->Paused());
}

TEST(BonusDay, TheMenuSkipsTheDayAfterItsQuestion)
{
    TVariantRig rig(kBonusDay);
    rig.Play();
    rig.Key(KeyCode::Esc);
    rig.Frame();
    rig.Click("WGameMenuBonus_BSkipBonusLevel");
    rig.Frame();
    EXPECT_EQ(rig.TopWindow(), "WSkip");
    rig.Click("WSkip_BCancel");
    rig.Frame();
    EXPECT_EQ(rig.TopWindow(), "WGameMenuBonus");
    rig.Click("WGameMenuBonus_BSkipBonusLevel");
    rig.Frame();
    rig.Click("WSkip_BOk");
    rig.Frames(2);
    // The shop goes on with its next day; the bonus day is gone.
    EXPECT_EQ(rig.Engine->Player.CurrentLevel, kBonusDay.second + 1);
    EXPECT_NE(rig.Mode(), TScreenMode::smBonusLevel);
    EXPECT_NE(rig.Mode(), TScreenMode::smGameMenu);
}

TEST(PixelDay, FourMissesInAHurryCostFiveSecondsAndShowThePenaltyOnce)
{
    TVariantRig rig(kPixelDay);
    rig.Play();
    ASSERT_EQ(rig.Mode(), TScreenMode::smPixelLevel);
    const int32_t before = rig.Day()->Level().Times.TimeLeft;
    for (int i = 0; i < 4; ++i) {
        rig.ClickAt({10, 10});
        rig.Frames(10);
    }
    EXPECT_EQ(rig.Shown("WPenalty"), 1);
    EXPECT_EQ(rig.TopWindow(), "WPenalty");
    EXPECT_EQ(rig.Mode(), TScreenMode::smGameMenu);
    rig.Frames(60);  // the note stays a while: that time is not lost
    rig.Click("WPenalty_BOk");
    rig.Frames(2);  // the frame of the resume plays nothing
    EXPECT_EQ(rig.Mode(), TScreenMode::smPixelLevel);
    // Five seconds were lost, besides the frames played around the note (about 30).
    const int32_t left = rig.Day()->Level().Times.TimeLeft;
    EXPECT_LE(left, before - 5000 - 25 * kRigStep);
    EXPECT_GE(left, before - 5000 - 45 * kRigStep);
    for (int i = 0; i < 4; ++i) {
        rig.ClickAt({10, 10});
        rig.Frames(10);
    }
    EXPECT_EQ(rig.Shown("WPenalty"), 1);
    EXPECT_EQ(rig.Day()->Pixel().Penalties, 2);
    EXPECT_EQ(rig.Mode(), TScreenMode::smPixelLevel);
}

TEST(PixelDay, ThreeMissesCostNothingAndCornerClicksFindNothing)
{
    TVariantRig rig(kPixelDay);
    rig.Play();
    for (int i = 0; i < 3; ++i) {
        rig.ClickAt({10, 10});
        rig.Frames(10);
    }
    rig.ClickAt({799, 599});  // on the panel: no miss
    rig.Frames(10);
    EXPECT_EQ(rig.Day()->Pixel().Penalties, 0);
    EXPECT_EQ(rig.Shown("WPenalty"), 0);
    for (const TPixelHeap& heap : rig.Day()->Pixel().Heaps)
        EXPECT_TRUE(heap.Active);
    EXPECT_EQ(rig.Day()->Phase(), TLevelPhase::Running);
}

TEST(PixelDay, TheGreedyBotCompletesIt)
{
    TVariantRig rig(kPixelDay, "greedy");
    ASSERT_TRUE(rig.RunUntil([&] { return rig.TopWindow() == "WBonusLevelComplete"; }));
    EXPECT_EQ(rig.Trace.First("result"), "complete 8 8");
    EXPECT_EQ(rig.Day()->Pixel().Remaining, 0);
}

}  // namespace
