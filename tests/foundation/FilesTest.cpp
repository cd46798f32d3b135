// Plain files: crash-safe replacement, case-insensitive lookup and bare names, and what
// stands in a file's place (a pipe, a folder) or is left behind by a killed save.
#include "foundation/Files.h"

#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fcntl.h>
#include <mutex>
#include <thread>

namespace {

// A pipe opened the blocking way holds its opener for ever: the alarm ends the test binary
// instead, as a failure, rather than hanging the run.
constexpr unsigned kHangGuardSeconds = 60;
struct THangGuard {
    THangGuard() { ::alarm(kHangGuardSeconds); }
    ~THangGuard() { ::alarm(0); }
};

// A process id that no process has any more: a child that has ended and been reaped.
pid_t GonePid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

std::vector<std::string> AllNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Files, AtomicWriteReplacesAndLeavesNoTemporary)
{
    TTempFolder folder;
    folder.Write("options.cfg", "old");
    ASSERT_TRUE(WriteFileAtomic(folder / "options.cfg", std::string_view("new")));
    EXPECT_EQ(folder.Read("options.cfg"), "new");
    EXPECT_FALSE(std::filesystem::exists(folder / "options.cfg.tmp"));
    std::string error;
    EXPECT_FALSE(WriteFileAtomic("/nonexistent-folder/x.cfg", std::string_view("x"), &error));
    EXPECT_FALSE(error.empty());
}

// Our own files (options, logs, profiles, scores) are read and appended only as regular
// files: anything else in their place is refused at once, never waited on.
TEST(Files, OnlyRegularFilesAreReadOrAppended)
{
    THangGuard guard;
    TTempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0644), 0);
    std::filesystem::create_directory(folder / "folder");
    for (const char* name : {"pipe", "folder"}) {
        std::string error;
        EXPECT_FALSE(ReadFileBytes(folder / name, &error)) << name;
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
        EXPECT_EQ(OpenRegularFile(folder / name), -1) << name;
        EXPECT_FALSE(AppendToFile(folder / name, "line\r\n")) << name;
    }
    // A pipe with a reader waiting is no log either: nothing is written into it.
    const int reader = ::open((folder / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_FALSE(AppendToFile(folder / "pipe", "line\r\n"));
    char byte;
    EXPECT_LE(::read(reader, &byte, 1), 0);
    ::close(reader);

    EXPECT_TRUE(AppendToFile(folder / "Glimmora.log", "one\r\n"));
    EXPECT_TRUE(AppendToFile(folder / "Glimmora.log", "two\r\n"));
    auto bytes = ReadFileBytes(folder / "Glimmora.log");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "one\r\ntwo\r\n");
}

// Two savers of one file at once: each has a temporary file of its own, so neither fails
// for the other's sake, and the file always holds one whole save.
TEST(Files, ConcurrentAtomicWritersNeverFailOrTear)
{
    TTempFolder folder;
    constexpr int kWriters = 4;
    constexpr int kSaves = 40;
    // Large enough that a shared temporary file would be caught half rewritten.
    constexpr size_t kSaveSize = 256 * 1024;
    std::vector<std::string> contents;
    for (int w = 0; w < kWriters; ++w)
        contents.push_back(std::string(kSaveSize, static_cast<char>('a' + w)));
    std::vector<int> failures(kWriters, 0);
    std::vector<std::string> torn;
    std::mutex tornLock;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < kSaves; ++i) {
                std::string error;
                if (!WriteFileAtomic(folder / "players.dat", contents[static_cast<size_t>(w)], &error))
                    ++failures[static_cast<size_t>(w)];
                auto now = ReadFileBytes(folder / "players.dat");
                const std::string seen = now ? std::string(now->begin(), now->end()) : "";
                if (std::find(contents.begin(), contents.end(), seen) == contents.end()) {
                    std::lock_guard lock(tornLock);
                    torn.push_back(seen.substr(0, 16));
                }
            }
        });
    for (std::thread& t : writers)
        t.join();
    EXPECT_EQ(failures, std::vector<int>(kWriters, 0));
    EXPECT_TRUE(torn.empty()) << torn.size() << " torn reads, first " << torn.front();
    EXPECT_EQ(AllNames(folder.Path()), std::vector<std::string>{"players.dat"});

    // And from two processes: the child saves while the parent does.
    const pid_t child = ::fork();
    if (child == 0) {
        bool ok = true;
        for (int i = 0; i < kSaves; ++i)
            ok = WriteFileAtomic(folder / "players.dat", contents[0]) && ok;
        ::_exit(ok ? 0 : 1);
    }
    int parentFailures = 0;
    for (int i = 0; i < kSaves; ++i)
        parentFailures += WriteFileAtomic(folder / "players.dat", contents[1]) ? 0 : 1;
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(parentFailures, 0);
    auto last = ReadFileBytes(folder / "players.dat");
    ASSERT_TRUE(last);
    const std::string lastText(last->begin(), last->end());
    EXPECT_TRUE(lastText == contents[0] || lastText == contents[1]);
    EXPECT_EQ(AllNames(folder.Path()), std::vector<std::string>{"players.dat"});
}

// A save killed between writing and renaming leaves its temporary file; the next start
// removes those of ended processes, and nothing else.
TEST(Files, LeftoverTemporariesOfEndedSavesAreRemoved)
{
    TTempFolder folder;
    const std::string gone = std::to_string(GonePid());
    const std::string alive = std::to_string(::getpid());
    struct TCase {
        std::string Name;
        bool Ours;     // a name our writer makes
        bool Removed;  // and its process is gone
    };
    const TCase cases[] = {
        {"options.cfg.tmp-" + gone + "-Ab3xZ9", true, true},
        {"players.dat.tmp-" + gone + "-000000", true, true},
        {"HighScores.dat.tmp-" + alive + "-Ab3xZ9", true, false},  // a save in flight
        {"options.cfg.tmp", false, false},                         // the old fixed name is not ours
        {"notes.tmp-" + gone + "-Ab3xZ", false, false},            // tag too short
        {"notes.tmp-" + gone + "-Ab3x_9", false, false},
        {"notes.tmp--Ab3xZ9", false, false},                       // no process id
        {".tmp-" + gone + "-Ab3xZ9", false, false},                // no target name
        {"options.cfg", false, false},
    };
    for (const TCase& c : cases) {
        folder.Write(c.Name, "x");
        EXPECT_EQ(IsAtomicTemporaryName(c.Name), c.Ours) << c.Name;
    }
    std::filesystem::create_directory(folder / ("Shots.tmp-" + gone + "-Ab3xZ9"));  // a folder: not ours
    EXPECT_EQ(RemoveLeftoverTemporaries(folder.Path()), 2);
    for (const TCase& c : cases)
        EXPECT_EQ(std::filesystem::exists(folder / c.Name), !c.Removed) << c.Name;
    EXPECT_TRUE(std::filesystem::is_directory(folder / ("Shots.tmp-" + gone + "-Ab3xZ9")));
    EXPECT_EQ(RemoveLeftoverTemporaries(folder / "missing"), 0);
}

TEST(Files, BareNames)
{
    for (const char* good : {"Cursor.png", "a", "..x", "name with space.xml"})
        EXPECT_TRUE(IsBareFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "../x", "a/b", "a\\b", "C:x", "/etc/passwd"})
        EXPECT_FALSE(IsBareFileName(bad)) << bad;
}

TEST(Files, ResolveIgnoresAsciiCase)
{
    TTempFolder folder;
    folder.Write("Cursor.png", "c");
    folder.Write("LevelComplete.PNG", "l");
    EXPECT_EQ(ResolveFileNoCase(folder.Path(), "Cursor.png"), folder / "Cursor.png");
    EXPECT_EQ(ResolveFileNoCase(folder.Path(), "cursor.png"), folder / "Cursor.png");
    EXPECT_EQ(ResolveFileNoCase(folder.Path(), "LevelComplete.png"), folder / "LevelComplete.PNG");
    EXPECT_FALSE(ResolveFileNoCase(folder.Path(), "missing.png"));
    EXPECT_FALSE(ResolveFileNoCase(folder.Path(), "../Cursor.png"));
    EXPECT_EQ(ListFolder(folder.Path()), (std::vector<std::string>{"Cursor.png", "LevelComplete.PNG"}));
}

}  // namespace
