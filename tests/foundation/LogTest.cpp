// Log lines: the stamp format, fresh engine logs, appending game logs and side files.
#include "foundation/QelLog.h"
#include "foundation/Services.h"

#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(LogStamp, MinutesSecondsMillisecondsWithoutPadding)
{
    const std::pair<int64_t, const char*> cases[] = {
        {0, "{0:0:0} "},          {83456, "{1:23:456} "},     {59999, "{0:59:999} "},
        {60000, "{1:0:0} "},      {3600000, "{60:0:0} "},     {-5, "{0:0:0} "},
    };
    for (const auto& [ms, stamp] : cases)
        EXPECT_EQ(FormatLogStamp(ms), stamp) << ms;
}

TEST(EngineLog, StartsFreshAndAppendsStampedLines)
{
    TTempFolder folder;
    folder.Write("QelInterface.log", "old run\r\n");
    TManualClock clock(50000);
    TQelLog log(folder / "QelInterface.log", clock, true);
    EXPECT_FALSE(std::filesystem::exists(folder / "QelInterface.log"));
    log.Add("not enabled yet");
    EXPECT_FALSE(std::filesystem::exists(folder / "QelInterface.log"));
    log.Enabled = true;
    clock.Advance(83456);
    log.Add("first");
    clock.Advance(1);
    log.Add("second");
    EXPECT_EQ(folder.Read("QelInterface.log"), "{1:23:456} first\r\n{1:23:457} second\r\n");
}

TEST(EngineLog, AddAndShowShowsTheMessage)
{
    TManualClock clock;
    TQelLog log("", clock, false);
    log.Enabled = true;
    TRecordingMessageBox box;
    log.AddAndShow("look", &box);
    ASSERT_EQ(box.Boxes.size(), 1u);
    EXPECT_EQ(box.Boxes[0].Text, "look");
}

TEST(EngineLog, UnwritableFolderDoesNotFailTheCaller)
{
    TManualClock clock;
    TQelLog log("/nonexistent-folder/QelInterface.log", clock, true);
    log.Enabled = true;
    EXPECT_NO_THROW(log.Add("lost quietly"));
}

TEST(GameLog, GrowsAcrossRunsAndWritesSideFilesUnstamped)
{
    TTempFolder folder;
    TManualClock clock;
    {
        TGameLog log(folder.Path(), clock);
        log.WriteLog("run one");
    }
    clock.Advance(1500);
    TGameLog log(folder.Path(), clock);
    clock.Advance(2);
    log.WriteLog("run two");
    log.WriteLog("1;2;3", "Stat.log");
    log.WriteLog("escape attempt", "../outside.log");
    EXPECT_EQ(folder.Read("Glimmora.log"), "{0:0:0} run one\r\n{0:0:2} run two\r\n");
    EXPECT_EQ(folder.Read("Stat.log"), "1;2;3\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path().parent_path() / "outside.log"));
}

TEST(GameLog, DebugBoxOnlyForMessagesStartingWithError)
{
    TManualClock clock;
    TGameLog log("", clock);
    TRecordingMessageBox box;
    log.WriteLog("Error LoadShop");  // no box installed: debug mode off
    log.SetDebugBox(&box);
    log.WriteLog("Error LoadShop");
    log.WriteLog("error lower case");
    log.WriteLog("Bass init Ok...");
    ASSERT_EQ(box.Boxes.size(), 1u);
    EXPECT_EQ(box.Boxes[0].Text, "Error LoadShop");
}

// A log file that cannot be written (a read-only user folder, a pipe or a folder in its
// place) must not make a failing save silent: the first "Error" line is shown once.
TEST(GameLog, AnUnwritableLogShowsTheFirstErrorOnce)
{
    struct TCase {
        const char* What;
        void (*Spoil)(const std::filesystem::path& log);
    };
    const TCase cases[] = {
        {"a folder", [](const std::filesystem::path& log) { std::filesystem::create_directory(log); }},
        {"a pipe", [](const std::filesystem::path& log) { ASSERT_EQ(::mkfifo(log.c_str(), 0644), 0); }},
    };
    for (const TCase& c : cases) {
        TTempFolder folder;
        c.Spoil(folder / "Glimmora.log");
        TManualClock clock;
        TGameLog log(folder.Path(), clock);
        TRecordingMessageBox box;
        log.SetUnwritableBox(&box);
        log.WriteLog("Bass init Ok...");
        log.WriteLog("Error SaveOptions: Cannot create \"options.cfg\"");
        log.WriteLog("Error SavePlayerState");
        ASSERT_EQ(box.Boxes.size(), 1u) << c.What;
        EXPECT_TRUE(box.Boxes[0].Text.starts_with("Error SaveOptions: Cannot create \"options.cfg\"\n\n"
                                                  "The game log cannot be written either: "))
            << box.Boxes[0].Text;
    }

    // A log that takes its lines shows nothing.
    TTempFolder folder;
    TManualClock clock;
    TGameLog log(folder.Path(), clock);
    TRecordingMessageBox box;
    log.SetUnwritableBox(&box);
    log.WriteLog("Error SaveOptions");
    EXPECT_TRUE(box.Boxes.empty());
    EXPECT_EQ(folder.Read("Glimmora.log"), "{0:0:0} Error SaveOptions\r\n");
}

}  // namespace
