// Log lines: the stamp format, fresh engine logs, appending game logs and side files.
#include "foundation/QelLog.h"
#include "foundation/Services.h"

#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

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

}  // namespace
