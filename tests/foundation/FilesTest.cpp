// Plain files: crash-safe replacement, case-insensitive lookup and bare names.
#include "foundation/Files.h"

#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace {

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
