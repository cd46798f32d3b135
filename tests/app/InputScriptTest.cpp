// Input scripts and the developer options: every line form, and the mistakes a script
// writer makes reported with their line numbers.
#include "app/DevOptions.h"
#include "app/InputScript.h"
#include "platform/KeyCodes.h"

#include <gtest/gtest.h>

namespace {

std::vector<TScriptedInput> Parse(const std::string& text)
{
    std::vector<TScriptedInput> events;
    TInputScriptError error;
    EXPECT_TRUE(ParseInputScript(text, events, error)) << "line " << error.Line << ": " << error.Message;
    return events;
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

TEST(InputScript, EventsPlayByFrameThenByLine)
{
    auto events = Parse("5 key A\n2 key B\n5 key C\n0 key D\n");
    std::string order;
    for (const auto& e : events)
        order += KeyName(e.Event.Key);
    EXPECT_EQ(order, "DBAC");

    TInputScriptPlayer player(events);
    EXPECT_EQ(player.EventsFor(0).size(), 1u);
    EXPECT_EQ(player.EventsFor(1).size(), 0u);
    EXPECT_EQ(player.EventsFor(4).size(), 1u);
    EXPECT_EQ(player.EventsFor(9).size(), 2u);
    EXPECT_TRUE(player.Finished());
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
        {"+3 mouse 1 2\n", 1, "frame number"},
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
