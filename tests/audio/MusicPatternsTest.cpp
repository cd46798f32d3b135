// The music table and the start orders of start patterns.
#include "audio/MusicPatterns.h"

#include "audio/SoundList.h"
#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "tests/audio/RecordingAudioLibrary.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct TLoggedLines {
    TLoggedLines() { Log.Listener = [this](const std::string& l, const std::string&) { Lines.push_back(l); }; }
    TManualClock Clock;
    TGameLog Log{{}, Clock};
    std::vector<std::string> Lines;
};

}  // namespace

TEST(MusicPatterns, StartOrders)
{
    TRecordingAudioLibrary audio;
    TMusicList list(audio);
    // The recording library makes a module as many orders long as it has bytes.
    list.LoadMusicFromStream(std::vector<uint8_t>(30, 'x'), "thirty.xm", TSoundKind::Module);
    list.LoadMusicFromStream(std::vector<uint8_t>(10, 'x'), "ten.xm", TSoundKind::Module);
    struct TCase {
        const char* Music;
        const char* Pattern;
        int32_t Order;
        bool Logged;
    };
    for (TCase c : {TCase{"thirty.xm", "12", 12, false},
                    {"thirty.xm", "50%", 15, false},
                    {"ten.xm", "33%", 3, false},
                    {"ten.xm", "0%", 0, false},
                    {"thirty.xm", " 7 ", 7, false},
                    {"thirty.xm", "", 0, false},
                    {"thirty.xm", "6,4", 6, false},   // backwards: its first order
                    {"thirty.xm", "150%", 29, false},  // never past the module
                    {"thirty.xm", "40", 29, false},
                    {"thirty.xm", "-5", 0, false},
                    {"missing.xm", "50%", 0, false},  // no module, no length
                    {"missing.xm", "12", 12, false},
                    {"thirty.xm", "abc", 0, true},
                    {"thirty.xm", "x%", 0, true},
                    {"thirty.xm", "4,z", 0, true}}) {
        TLoggedLines logged;
        TRandom random(1);
        EXPECT_EQ(GetMusicPattern(c.Music, list, audio, c.Pattern, random, &logged.Log), c.Order)
            << c.Music << " \"" << c.Pattern << "\"";
        EXPECT_EQ(logged.Lines, c.Logged ? std::vector<std::string>{"Error GetMusicPattern"} : std::vector<std::string>{})
            << c.Pattern;
    }
}

TEST(MusicPatterns, ARangeDrawsEveryOrderOfItAndNoOther)
{
    TRecordingAudioLibrary audio;
    TMusicList list(audio);
    list.LoadMusicFromStream(std::vector<uint8_t>(30, 'x'), "thirty.xm", TSoundKind::Module);
    TRandom random(7);
    std::set<int32_t> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(GetMusicPattern("thirty.xm", list, audio, "4,6", random, nullptr));
    EXPECT_EQ(seen, (std::set<int32_t>{4, 5, 6}));
}

TEST(MusicPatterns, TheTableByIdentifierWithItsInserts)
{
    TLoggedLines logged;
    TMusicPatternTable table;
    ASSERT_TRUE(table.LoadMusicPatternText(R"(<Root><MusicPattern>
      <M Name="day.xm" ID="Day"><Inserts>
        <I Type="negativ" File="sad.xm" StartPattern="2" StopPattern="4"/>
        <I Type="positiv" File="glad.xm" StartPattern="1" StopPattern="3"/>
        <I Type="neutral" File="meh.xm"/>
      </Inserts></M>
      <M Name="night.xm" ID="Night"/>
      <M Name="second.xm" ID="Day"/>
    </MusicPattern></Root>)",
                                           logged.Log));
    ASSERT_EQ(table.Items.size(), 3u);
    EXPECT_EQ(table.GetMusicNameByID("Day"), "day.xm");
    EXPECT_EQ(table.GetMusicNameByID("Night"), "night.xm");
    EXPECT_EQ(table.GetMusicNameByID("night"), "");
    ASSERT_EQ(table.Items[0].Negative.size(), 1u);
    EXPECT_EQ(table.Items[0].Negative[0].File, "sad.xm");
    EXPECT_EQ(table.Items[0].Negative[0].StopPattern, 4);
    ASSERT_EQ(table.Items[0].Positive.size(), 1u);
    EXPECT_EQ(table.Items[0].Positive[0].StartPattern, 1);
    EXPECT_TRUE(logged.Lines.empty());

    EXPECT_FALSE(table.LoadMusicPatternText("<Music><M Name=\"a.xm\" ID=\"A\"/></Music>", logged.Log));
    EXPECT_TRUE(table.Items.empty());
    EXPECT_EQ(logged.Lines, std::vector<std::string>{"Error LoadMusicPattern"});
}
