// Dialogs over the first shop's days on the shipped game data (day 1 carries its story and
// tutorial in its dialog list): the story plays in smDialog and
// hands the day back through smDialogEnded, the skip button continues at the EndForSkip
// line, a press while a text is typed completes it, the tutorial's pause lets only a click
// on its piece through (and that click picks the piece up), and with hints on a garment
// nearing the hatch opens its balloon once, remembered in the profile.
#include "AppDoubles.h"
#include "app/GameWidgets.h"
#include "foundation/DataScramble.h"
#include "foundation/QelParser.h"
#include "gameplay/Level.h"
#include "gameplay/LevelInput.h"
#include "gameplay/LevelSession.h"
#include "interface/QelEffectLabel.h"
#include "interface/QelInterfaceEngine.h"
#include "screens/level/LevelScreen.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int64_t kStep = 16;
constexpr int kDayFrames = 9000;

fs::path ProgramFolder() { return fs::path(GLIMMORA_PROGRAM).parent_path(); }

class TTrace final : public IScreenTrace {
public:
    void Event(std::string_view kind, std::string_view detail) override
    {
        Lines.push_back(std::string(kind) + " " + std::string(detail));
    }
    bool Has(const std::string& line) const { return std::find(Lines.begin(), Lines.end(), line) != Lines.end(); }
    size_t Count(const std::string& line) const
    {
        return static_cast<size_t>(std::count(Lines.begin(), Lines.end(), line));
    }
    // The lines of these kinds, in order.
    std::vector<std::string> Of(std::initializer_list<std::string_view> kinds) const
    {
        std::vector<std::string> out;
        for (const std::string& line : Lines)
            for (std::string_view kind : kinds)
                if (line.starts_with(std::string(kind) + " "))
                    out.push_back(line);
        return out;
    }
    std::vector<std::string> Lines;
};

// The game on the rig after its loading, with the first day started by the test.
class TDialogRig {
    TShellRig rig;

public:
    TDialogRig()
    {
        TQelGameEngine::TSetup setup;
        setup.ProgramFolder = ProgramFolder();
        setup.UserFolder = rig.UserFolder();
        setup.Seed = 1;
        setup.Trace = &Trace;
        Engine = std::make_unique<TQelGameEngine>(rig.Services, setup);
        widgets_ = std::make_unique<TGameWidgets>(*Engine);
        Engine->FormActivate();
    }

    // The first day, as a new game (its story plays) or as a day like any other.
    void StartFirstDay(bool newGame) { StartDay(0, newGame); }
    // A day of the first shop; a new game's day plays its story first.
    void StartDay(int32_t day, bool newGame)
    {
        TStandardLevelScreen& level = *Engine->LevelScreen();
        if (newGame)
            level.NewGame();
        ASSERT_TRUE(level.StartDeveloperDay(0, day));
        Engine->Player.ShowInstructions = Instructions;
    }

    void Frame()
    {
        Engine->AppIdle();
        rig.Clock.Advance(kStep);
    }
    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            Frame();
    }
    bool RunUntil(const std::function<bool()>& done, int most = kDayFrames)
    {
        for (int i = 0; i < most && !done(); ++i)
            Frame();
        return done();
    }

    void Press(int32_t x, int32_t y)
    {
        for (TInputKind kind : {TInputKind::MouseMove, TInputKind::MouseDown, TInputKind::MouseUp}) {
            TInputEvent event;
            event.Kind = kind;
            event.X = x;
            event.Y = y;
            Engine->HandleInput(event);
        }
    }
    void Click(const std::string& widget)
    {
        std::optional<TPoint> at = widgets_->VisibleWidgetCentre(widget);
        ASSERT_TRUE(at.has_value()) << widget << " is not visible";
        Press(at->X, at->Y);
    }
    bool Visible(const std::string& widget) const { return widgets_->VisibleWidgetCentre(widget).has_value(); }
    std::string Caption(const std::string& widget) const
    {
        return VariantToString(Engine->Interface()->GetObjectValue(widget, "Caption"));
    }
    // A text is being typed into the label while a dialog plays.
    bool Printing(const std::string& label) const
    {
        return Mode() == TScreenMode::smDialog && !Caption(label).empty() && Typing(label);
    }
    bool Typing(const std::string& label) const
    {
        const auto* l = dynamic_cast<const TQelEffectLabel*>(Engine->Interface()->GetObjectByName(label));
        return l && l->Typing();
    }
    TScreenMode Mode() const { return Engine->Shell.ScreenMode; }
    TLevelSession* Day() const { return Engine->LevelScreen()->Session(); }
    bool Playing(const std::string& script) const { return Trace.Has("dialog " + script); }
    fs::path UserFolder() { return rig.UserFolder(); }

    TTrace Trace;
    std::unique_ptr<TQelGameEngine> Engine;
    // The instruction pages after the first introductions have tests of their own.
    bool Instructions = false;

private:
    std::unique_ptr<TGameWidgets> widgets_;
};

// The hint numbers the current profile of "players.dat" keeps as seen.
std::string SavedHints(const fs::path& file)
{
    TQelParser document;
    if (!LoadDataXml(file, kDataKey, document) || document.ChildCount() == 0)
        return "(unreadable)";
    const TQelXMLTag* list = document.GetChild(0);
    const long current = std::stol("0" + list->AttributeValue("CurrentPlayer"));
    long index = 0;
    for (size_t i = 0; i < list->ChildCount(); ++i) {
        const TQelXMLTag* profile = list->GetChild(static_cast<long>(i));
        if (profile->Name != "Player" || index++ != current)
            continue;
        const TQelXMLTag* state = profile->GetChildByName("CurrentState");
        const TQelXMLTag* hints = state ? state->GetChildByName("ShowHints") : nullptr;
        return hints ? hints->Text : "(none)";
    }
    return "(no profile)";
}

}  // namespace

TEST(DialogScreen, TheFirstDaysStoryPlaysOverTheDayAndSkipEndsItBackInTheDay)
{
    TDialogRig rig;
    rig.StartFirstDay(true);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == TScreenMode::smDialog; }, 200));
    EXPECT_TRUE(rig.Playing("Script_Dialog_1_1.xml"));
    EXPECT_TRUE(rig.Day()->Paused());
    rig.Frames(30);
    EXPECT_TRUE(rig.Visible("WGame_TFDialog"));
    EXPECT_TRUE(rig.Visible("WGame_BSkip"));
    EXPECT_FALSE(rig.Visible("WGame_BNext")) << "Next waits for the text";
    EXPECT_FALSE(rig.Visible("WGame_TFStandart")) << "the shopkeeper stands where the day's panel is";

    rig.Click("WGame_BSkip");
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == TScreenMode::smLevel; }, 200));
    EXPECT_FALSE(rig.Visible("WGame_TFDialog"));
    EXPECT_FALSE(rig.Visible("WGame_BSkip"));
    EXPECT_TRUE(rig.Visible("WGame_TFStandart"));
    EXPECT_TRUE(rig.Visible("WGame_BMenu"));
    EXPECT_FALSE(rig.Day()->Paused());
    const std::vector<std::string> modes = rig.Trace.Of({"mode", "dialog"});
    const std::vector<std::string> tail(modes.end() - 4, modes.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"dialog Script_Dialog_1_1.xml", "mode smDialog", "mode smDialogEnded",
                                              "mode smLevel"}));
}

TEST(DialogScreen, APressCompletesTheTypedTextAndNextFollowsItUntilThePauseIsPassed)
{
    TDialogRig rig;
    rig.StartFirstDay(true);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Printing("WGame_TFDialog_LText"); }, 300));
    const std::string first = rig.Caption("WGame_TFDialog_LText");
    rig.Press(400, 300);
    rig.Frame();
    EXPECT_FALSE(rig.Typing("WGame_TFDialog_LText"));
    EXPECT_EQ(rig.Caption("WGame_TFDialog_LText"), first) << "the press only completed the text";
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Visible("WGame_BNext"); }, 100));

    rig.Click("WGame_BNext");
    rig.Frames(3);
    EXPECT_NE(rig.Caption("WGame_TFDialog_LText"), first);
    EXPECT_FALSE(rig.Visible("WGame_BNext"));
    EXPECT_EQ(rig.Mode(), TScreenMode::smDialog);
}

TEST(DialogScreen, TheTutorialPauseLetsOnlyAClickOnItsPieceThroughAndThatClickPicksItUp)
{
    TDialogRig rig;
    rig.StartFirstDay(true);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == TScreenMode::smDialog; }, 200));
    rig.Frames(10);
    rig.Click("WGame_BSkip");
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Playing("Script_Dialog_BeginLevel.xml"); }));
    // The text is out before the pause is tried.
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.Typing("WGame_TFDialog_LText"); }, 400));
    rig.Frames(5);
    const std::string asked = rig.Caption("WGame_TFDialog_LText");

    tLevel& level = rig.Day()->Level();
    ASSERT_FALSE(level.Belt.Fishes.empty());
    const TFish& first = level.Belt.Fishes[0];
    const TPoint onFirst{static_cast<int32_t>(first.X + first.Width / 2), static_cast<int32_t>(first.Y + first.Height / 2)};
    ASSERT_EQ(FindFishAt(level, rig.Day()->Game(), onFirst.X, onFirst.Y), 0);

    std::vector<TPoint> elsewhere{{400, 560}, {20, 20}};
    if (level.Belt.Fishes.size() > 1) {
        const TFish& second = level.Belt.Fishes[1];
        const TPoint p{static_cast<int32_t>(second.X + second.Width / 2), static_cast<int32_t>(second.Y + second.Height / 2)};
        if (FindFishAt(level, rig.Day()->Game(), p.X, p.Y) == 1)
            elsewhere.push_back(p);
    }
    for (TPoint p : elsewhere) {
        rig.Press(p.X, p.Y);
        rig.Frames(3);
        EXPECT_EQ(rig.Mode(), TScreenMode::smDialog) << p.X << "," << p.Y;
        EXPECT_EQ(rig.Caption("WGame_TFDialog_LText"), asked) << p.X << "," << p.Y;
        EXPECT_EQ(level.Belt.SelectedIndex, -1) << p.X << "," << p.Y;
    }

    rig.Press(onFirst.X, onFirst.Y);
    rig.Frames(3);
    EXPECT_NE(rig.Caption("WGame_TFDialog_LText"), asked);
    EXPECT_EQ(level.Belt.SelectedIndex, 0);
    EXPECT_TRUE(level.Belt.Fishes[0].Selected);

    // The last words, then the day goes on with the piece in hand.
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.Typing("WGame_TFDialog_LText"); }, 400));
    rig.Frames(5);
    rig.Press(400, 560);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == TScreenMode::smLevel; }, 100));
    EXPECT_EQ(level.Belt.SelectedIndex, 0);
    EXPECT_FALSE(rig.Visible("WGame_TFDialog"));
}

TEST(DialogScreen, AGarmentNearingTheHatchOpensItsBalloonOnceAndTheProfileRemembersIt)
{
    TDialogRig rig;
    // The second day: the first one teaches before it is played.
    rig.StartDay(1, false);
    ASSERT_EQ(rig.Engine->Options.HintsMode, 1);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Visible("WBeforeLevel_BPlay"); }, 100));
    rig.Click("WBeforeLevel_BPlay");
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Playing("Script_HintFallKostum.xml"); }));
    rig.Frame();
    EXPECT_EQ(rig.Mode(), TScreenMode::smDialog);
    EXPECT_TRUE(rig.Engine->Player.HintShown(0));
    std::vector<std::string> shown;
    for (const char* b : {"WGame_RLPopUpHint_LeftBottom", "WGame_RLPopUpHint_LeftTop", "WGame_RLPopUpHint_RightBottom",
                          "WGame_RLPopUpHint_RightTop"})
        if (rig.Visible(b))
            shown.push_back(b);
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(SavedHints(rig.UserFolder() / "players.dat"), "0");

    const std::string text = shown[0] + "_LText";
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.Caption(text).empty() && !rig.Typing(text); }, 400));
    rig.Frames(5);
    rig.Press(400, 560);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == TScreenMode::smLevel; }, 100));
    // The rest of the day: more garments reach the hatch, the balloon stays away.
    rig.RunUntil([&] { return rig.Day()->Phase() != TLevelPhase::Running; });
    EXPECT_EQ(rig.Trace.Count("dialog Script_HintFallKostum.xml"), 1U);
}

// The program itself: a new player's first Play opens the map, whose story plays over it in
// smDialog; its skip button goes on at the EndForSkip line, the story fades and the map is
// back through smDialogEnded.
TEST(DialogScreen, ANewGamesMapStoryIsSkippedBackToTheMap)
{
    TTempFolder folder;
    const fs::path script = folder.Path() / "script.txt";
    std::ofstream(script) << "+1 wait WYourName_EYourName\n+1 char A\n+1 char n\n+1 char n\n+2 click WYourName_BOk\n"
                             "+2 wait WTitle_BPlay\n+2 click WTitle_BPlay\n+2 wait WMap_BSkip\n+60 click WMap_BSkip\n";
    const fs::path trace = folder.Path() / "trace.txt";
    const std::string command = std::string("'") + GLIMMORA_PROGRAM +
                                "' --headless --uncapped --fixed-step 16 --seed 1 --frames 700 --user-dir '" +
                                (folder.Path() / "user").string() + "' --trace '" + trace.string() + "' --input '" +
                                script.string() + "' > '" + (folder.Path() / "out.txt").string() + "' 2>&1";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << command;
    std::ifstream in(trace);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        const size_t kind = line.find(' ');
        const std::string rest = kind == std::string::npos ? line : line.substr(kind + 1);
        if (rest.starts_with("mode ") || rest.starts_with("dialog "))
            lines.push_back(rest);
    }
    const auto story = std::find(lines.begin(), lines.end(), "dialog Script_Map_1.xml");
    ASSERT_NE(story, lines.end());
    EXPECT_EQ(std::vector<std::string>(story, lines.end()),
              (std::vector<std::string>{"dialog Script_Map_1.xml", "mode smDialog", "mode smDialogEnded",
                                        "mode smMap"}));
}

// The first bonus and picture days begin with their introductions over the paused day,
// on the panel of their own; the day is then played in its own mode with none of its time
// spent under the dialog.
TEST(DialogScreen, TheFirstBonusAndPictureDaysAreIntroducedThenPlayedInTheirOwnMode)
{
    struct TCase {
        int32_t Day;
        const char* Script;
        TScreenMode Played;
    };
    for (const TCase& c : {TCase{3, "Script_Dialog_Bonus1.xml", TScreenMode::smBonusLevel},
                           TCase{7, "Script_Dialog_Pixel.xml", TScreenMode::smPixelLevel}}) {
        SCOPED_TRACE(c.Script);
        TDialogRig rig;
        rig.StartDay(c.Day, true);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == TScreenMode::smDialog; }, 200));
        EXPECT_TRUE(rig.Playing(c.Script));
        EXPECT_TRUE(rig.Day()->Paused());
        rig.Frames(30);
        EXPECT_TRUE(rig.Visible("WGame_TFDialog2"));
        const int64_t timeLeft = rig.Day()->Level().Times.TimeLeft;

        // Each line: a press completes its text, the next passes its pause.
        int dialogFrames = 30;
        for (int i = 0; i < 20 && rig.Mode() == TScreenMode::smDialog; ++i) {
            rig.Press(400, 300);
            rig.Frames(20);
            dialogFrames += 20;
        }
        ASSERT_GT(dialogFrames * kStep, 1000);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == c.Played; }, 100));
        EXPECT_FALSE(rig.Visible("WGame_TFDialog2"));
        EXPECT_FALSE(rig.Day()->Paused());
        EXPECT_EQ(rig.Day()->Phase(), TLevelPhase::Running);
        // The few frames of the panel fading out are the day's; the dialog's are not.
        EXPECT_GE(rig.Day()->Level().Times.TimeLeft, timeLeft - 400) << "the dialog's time is the day's own";
        rig.Frames(300);
        EXPECT_EQ(rig.Trace.Count(std::string("dialog ") + c.Script), 1U);
    }
}

// A day whose introduction does not play (the day before was not won) opens with its
// window instead, which starts it in its own mode.
TEST(DialogScreen, ABonusDayReachedWithoutAWinOpensWithItsWindowInstead)
{
    TDialogRig rig;
    rig.StartDay(3, false);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Visible("WBeforeLevel_BPlay"); }, 100));
    EXPECT_TRUE(rig.Visible("WBeforeLevel_TFBonus"));
    rig.Click("WBeforeLevel_BPlay");
    ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == TScreenMode::smBonusLevel; }, 100));
    rig.Frames(100);
    EXPECT_FALSE(rig.Playing("Script_Dialog_Bonus1.xml"));
    EXPECT_FALSE(rig.Day()->Paused());
}

// While the player wants the pages, the first shop's introductions lead to the instruction
// page of their day over the paused day; its play button gives the day back.
TEST(DialogScreen, TheFirstShopsIntroductionsLeadToTheirInstructionPage)
{
    struct TCase {
        int32_t Day;
        TScreenMode Page;
        TScreenMode Played;
    };
    for (const TCase& c : {TCase{0, TScreenMode::smDemoLevel, TScreenMode::smLevel},
                           TCase{3, TScreenMode::smDemoBonusLevel, TScreenMode::smBonusLevel},
                           TCase{7, TScreenMode::smDemoPixelLevel, TScreenMode::smPixelLevel}}) {
        SCOPED_TRACE(c.Day);
        TDialogRig rig;
        rig.Instructions = true;
        rig.StartDay(c.Day, true);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == TScreenMode::smDialog; }, 200));
        for (int i = 0; i < 20 && rig.Mode() == TScreenMode::smDialog; ++i) {
            if (rig.Visible("WGame_BSkip"))
                rig.Click("WGame_BSkip");
            else
                rig.Press(400, 300);
            rig.Frames(20);
        }
        ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == c.Page; }, 100));
        EXPECT_TRUE(rig.Day()->Paused());
        ASSERT_TRUE(rig.Visible("WInstructions_TFPlay_BPlay"));
        rig.Click("WInstructions_TFPlay_BPlay");
        ASSERT_TRUE(rig.RunUntil([&] { return rig.Mode() == c.Played; }, 100));
        EXPECT_FALSE(rig.Day()->Paused());
    }
}
