// Input scripts and the developer options: every line form, and the mistakes a script
// writer makes reported with their line numbers.
#include "app/DevOptions.h"
#include "app/InputScript.h"
#include "platform/KeyCodes.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct TFlatEvent {
    int64_t Frame;
    TInputEvent Event;
};

// Every event of the input lines, with its line's frame.
std::vector<TFlatEvent> Parse(const std::string& text)
{
    std::vector<TScriptedInput> lines;
    TInputScriptError error;
    EXPECT_TRUE(ParseInputScript(text, lines, error)) << "line " << error.Line << ": " << error.Message;
    std::vector<TFlatEvent> events;
    for (const TScriptedInput& line : lines)
        for (const TInputEvent& e : line.Events)
            events.push_back({line.Frame, e});
    return events;
}

// Widgets that become visible at a chosen frame.
class TFakeWidgets final : public IWidgetLocator {
public:
    std::optional<TPoint> VisibleWidgetCentre(const std::string& name) const override
    {
        auto it = VisibleFrom.find(name);
        if (it == VisibleFrom.end() || Frame < it->second)
            return std::nullopt;
        return TPoint{100, 200};
    }
    std::map<std::string, int64_t> VisibleFrom;
    int64_t Frame = 0;
};

struct TPlayed {
    int64_t Frame;
    std::string What;
};

// Plays the script frame by frame to the given frame, or to its first failure.
std::vector<TPlayed> Play(const std::string& text, TFakeWidgets& widgets, int64_t lastFrame, std::string& failure)
{
    std::vector<TScriptedInput> lines;
    TInputScriptError error;
    EXPECT_TRUE(ParseInputScript(text, lines, error)) << error.Message;
    TInputScriptPlayer player(lines, &widgets);
    std::vector<TPlayed> played;
    std::vector<TInputEvent> events;
    for (int64_t frame = 0; frame <= lastFrame; ++frame) {
        widgets.Frame = frame;
        if (!player.EventsFor(frame, events, failure))
            break;
        for (const TInputEvent& e : events) {
            std::string what = e.Kind == TInputKind::KeyDown     ? KeyName(e.Key)
                               : e.Kind == TInputKind::MouseDown ? "down"
                               : e.Kind == TInputKind::MouseUp   ? "up"
                               : e.Kind == TInputKind::MouseMove ? "move"
                                                                 : "other";
            if (e.Kind != TInputKind::KeyDown && e.Kind != TInputKind::KeyPress)
                what += " " + std::to_string(e.X) + "," + std::to_string(e.Y);
            if (e.Kind != TInputKind::KeyPress)
                played.push_back({frame, what});
        }
    }
    return played;
}

TEST(InputScript, EveryLineFormBecomesTheEventsTheWindowWouldSend)
{
    auto events = Parse("# a click and a drag\n"
                        "3 mouse 10 20\n"
                        "4 down 11 21\n"
                        "5 mouse 30 40\r\n"
                        "6 up 31 41\n"
                        "\n"
                        "7 rdown 1 2\n"
                        "7 rup 1 2\n"
                        "8 wheel -2\n"
                        "9 key ctrl+alt+Enter\n"
                        "9 key Enter\n"
                        "10 key shift+a\n"
                        "11 char \xC3\xA9\n"
                        "12 char  \n");
    ASSERT_EQ(events.size(), 13u);
    const TInputEvent& move = events[0].Event;
    EXPECT_EQ(events[0].Frame, 3);
    EXPECT_EQ(move.Kind, TInputKind::MouseMove);
    EXPECT_EQ(move.X, 10);
    EXPECT_EQ(move.Y, 20);
    EXPECT_EQ(move.Shift, 0u);

    EXPECT_EQ(events[1].Event.Kind, TInputKind::MouseDown);
    EXPECT_EQ(events[1].Event.Shift, ShiftState::Left);
    EXPECT_EQ(events[2].Event.Shift, ShiftState::Left) << "a move while the button is held drags";
    EXPECT_EQ(events[3].Event.Kind, TInputKind::MouseUp);
    EXPECT_EQ(events[3].Event.Shift, 0u);
    EXPECT_EQ(events[4].Event.Button, TMouseButton::Right);
    EXPECT_EQ(events[5].Event.Kind, TInputKind::MouseUp);

    EXPECT_EQ(events[6].Event.Kind, TInputKind::MouseWheel);
    EXPECT_EQ(events[6].Event.WheelDelta, -240);
    EXPECT_EQ(events[6].Event.X, 1);

    EXPECT_EQ(events[7].Event.Kind, TInputKind::KeyDown);
    EXPECT_EQ(events[7].Event.Key, KeyCode::Enter);
    EXPECT_EQ(events[7].Event.Shift, ShiftState::Ctrl | ShiftState::Alt);
    // Enter alone also types its character, as a real key does.
    EXPECT_EQ(events[8].Event.Key, KeyCode::Enter);
    EXPECT_EQ(events[9].Event.Kind, TInputKind::KeyPress);
    EXPECT_EQ(events[9].Event.Char, u'\r');
    EXPECT_EQ(events[10].Event.Key, KeyCode::LetterA);
    EXPECT_EQ(events[10].Event.Shift, ShiftState::Shift);

    EXPECT_EQ(events[11].Event.Kind, TInputKind::KeyPress);
    EXPECT_EQ(events[11].Event.Char, u'\u00E9');
    EXPECT_EQ(events[12].Event.Char, u' ');
}

TEST(InputScript, LinesPlayInTheirOrderRelativeFramesCountFromThePreviousLine)
{
    TFakeWidgets widgets;
    std::string failure;
    auto played = Play("5 key A\n+2 key B\n2 key C\n+0 key D\n+3 key E\n", widgets, 20, failure);
    const std::vector<std::pair<int64_t, std::string>> expected{{5, "A"}, {7, "B"}, {7, "C"}, {7, "D"}, {10, "E"}};
    ASSERT_EQ(played.size(), expected.size()) << failure;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(played[i].Frame, expected[i].first) << i;
        EXPECT_EQ(played[i].What, expected[i].second) << i;
    }
}

TEST(InputScript, WaitHoldsTheScriptAndClickPressesTheWidgetCentre)
{
    TFakeWidgets widgets;
    widgets.VisibleFrom = {{"WTitle_BOptions", 40}};
    std::string failure;
    auto played = Play("3 wait WTitle_BOptions\n+2 click WTitle_BOptions\n+1 key X\n", widgets, 60, failure);
    EXPECT_TRUE(failure.empty()) << failure;
    const std::vector<std::pair<int64_t, std::string>> expected{
        {42, "move 100,200"}, {42, "down 100,200"}, {43, "up 100,200"}, {43, "X"}};
    ASSERT_EQ(played.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(played[i].Frame, expected[i].first) << i;
        EXPECT_EQ(played[i].What, expected[i].second) << i;
    }
}

TEST(InputScript, AHiddenClickOrAWaitThatNeverEndsStopsTheRunNamingLineWidgetAndFrame)
{
    struct Row {
        const char* Text;
        int64_t Frames;
        const char* Says;
    };
    const Row rows[] = {
        {"# nothing shows it\n4 click WQuit_BOk\n", 10, "line 2: cannot click the hidden widget WQuit_BOk at frame 4"},
        {"1 wait WNever\n", kLongestWaitFrames + 5, "line 1: waited 20000 frames for WNever at frame 20002"},
    };
    for (const Row& row : rows) {
        TFakeWidgets widgets;
        std::string failure;
        Play(row.Text, widgets, row.Frames, failure);
        EXPECT_EQ(failure, row.Says) << row.Text;
    }
}

TEST(InputScript, MalformedLinesAreReportedWithTheirNumbers)
{
    struct Row {
        const char* Text;
        int Line;
        const char* Says;
    };
    const Row rows[] = {
        {"1 mouse 10 20\nfoo\n", 2, "frame"},
        {"x mouse 1 2\n", 1, "frame number"},
        {"-1 mouse 1 2\n", 1, "frame number"},
        {"+ mouse 1 2\n", 1, "frame number"},
        {"+-3 mouse 1 2\n", 1, "frame number"},
        {"1 click\n", 1, "click WIDGET"},
        {"1 wait WA WB\n", 1, "wait WIDGET"},
        {"1 jump 1 2\n", 1, "unknown event"},
        {"1 mouse 1\n", 1, "X Y"},
        {"1 down 800 10\n", 1, "800 x 600"},
        {"1 up 10 -1\n", 1, "800 x 600"},
        {"\n\n1 mouse 1.5 2\n", 3, "800 x 600"},
        {"1 wheel\n", 1, "wheel D"},
        {"1 wheel 0\n", 1, "wheel D"},
        {"1 key\n", 1, "key NAME"},
        {"1 key Hyper\n", 1, "unknown key"},
        {"1 key ctrl+\n", 1, "unknown key"},
        {"1 char\n", 1, "one character"},
        {"1 char ab\n", 1, "one character"},
        {"1\n", 1, "frame number and an event"},
    };
    for (const Row& row : rows) {
        std::vector<TScriptedInput> events;
        TInputScriptError error;
        EXPECT_FALSE(ParseInputScript(row.Text, events, error)) << row.Text;
        EXPECT_EQ(error.Line, row.Line) << row.Text;
        EXPECT_NE(error.Message.find(row.Says), std::string::npos) << row.Text << " -> " << error.Message;
    }
}

TEST(DevOptions, ReadsEveryOption)
{
    TDevOptions o;
    std::string error;
    ASSERT_TRUE(ParseDevOptions({"--frames", "120", "--screenshot=shot.png", "--user-dir", "u", "--data", "d",
                                 "--fixed-step", "16", "--seed", "4294967295", "--uncapped", "--headless", "--input",
                                 "in.txt"},
                                o, error))
        << error;
    EXPECT_EQ(o.Frames, 120);
    EXPECT_EQ(o.Screenshot, std::filesystem::path("shot.png"));
    EXPECT_EQ(o.UserDir, std::filesystem::path("u"));
    EXPECT_EQ(o.DataDir, std::filesystem::path("d"));
    EXPECT_EQ(o.FixedStepMs, 16);
    EXPECT_EQ(o.Seed, 4294967295u);
    EXPECT_TRUE(o.Uncapped);
    EXPECT_TRUE(o.Headless);
    EXPECT_EQ(o.InputScript, std::filesystem::path("in.txt"));
    EXPECT_TRUE(o.IsScripted());
    EXPECT_FALSE(TDevOptions().IsScripted());
}

TEST(DevOptions, RefusesWhatItDoesNotKnow)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--frame", "3"}, {"--frames"},      {"--frames", "-1"},  {"--frames", "ten"}, {"--seed", "4294967296"},
        {"--fixed-step", "0"}, {"--headless=yes"}, {"play"}, {"--user-dir="},
    };
    for (const auto& args : bad) {
        TDevOptions o;
        std::string error;
        EXPECT_FALSE(ParseDevOptions(args, o, error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(DevOptions, HelpListsEveryOption)
{
    const std::string help = DevOptionsHelp();
    for (const char* name : {"--frames", "--screenshot", "--user-dir", "--data", "--fixed-step", "--seed", "--uncapped",
                             "--headless", "--input", "--help", "F mouse X Y", "F key NAME", "F char C", "F wheel D"})
        EXPECT_NE(help.find(name), std::string::npos) << name;
}

}  // namespace
