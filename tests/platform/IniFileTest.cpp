// The INI reader and writer behind options.cfg: lenient reading, writes that touch only
// their own keys.
#include "platform/IniFile.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(IniFile, ReadsNamesWithoutCaseAndValuesTrimmed)
{
    TIniFile ini("; comment\r\n[options]\r\n  SoundVolume =  40 \nmusicvolume=7\r[Other]\rSoundVolume=1\r\n");
    EXPECT_EQ(ini.ReadInteger("Options", "SoundVolume", 100), 40);
    EXPECT_EQ(ini.ReadInteger("OPTIONS", "MusicVolume", 100), 7);
    EXPECT_EQ(ini.ReadInteger("Other", "SoundVolume", 100), 1);
    EXPECT_EQ(ini.ReadInteger("Options", "Missing", 100), 100);
    EXPECT_EQ(ini.ReadInteger("Nowhere", "SoundVolume", 3), 3);
}

TEST(IniFile, MalformedValuesGiveTheFallback)
{
    struct Row {
        const char* Value;
        int Integer;
        bool Bool;
    };
    const Row rows[] = {
        {"12", 12, true},        {"-3", -3, true},      {"12abc", 99, true},   {"", 99, true},
        {"true", 99, true},      {"FALSE", 99, false},  {"1", 1, true},        {"0", 0, false},
        {"99999999999", 99, true}, {"yes", 99, true},
    };
    for (const Row& row : rows) {
        TIniFile ini(std::string("[S]\nK=") + row.Value + "\n");
        EXPECT_EQ(ini.ReadInteger("S", "K", 99), row.Integer) << row.Value;
        EXPECT_EQ(ini.ReadBool("S", "K", true), row.Bool) << row.Value;
    }
}

TEST(IniFile, FirstOfTwoEqualKeysCounts)
{
    TIniFile ini("[S]\nK=1\nK=2\n");
    EXPECT_EQ(ini.ReadInteger("S", "K", 0), 1);
    ini.Write("S", "k", "5");
    EXPECT_EQ(ini.Text(), "[S]\r\nK=5\r\nK=2\r\n");
}

TEST(IniFile, WritesChangeOnlyTheirKeys)
{
    TIniFile ini("; kept\n[Options]\nVersion=1.0\nUnknown=x\n\n[Other]\nA=1\n");
    ini.Write("Options", "SoundVolume", "50");
    ini.Write("Options", "Version", "1.38");
    ini.Write("Other", "B", "2");
    ini.Write("New", "C", "3");
    EXPECT_EQ(ini.Text(),
              "; kept\r\n[Options]\r\nVersion=1.38\r\nUnknown=x\r\nSoundVolume=50\r\n\r\n"
              "[Other]\r\nA=1\r\nB=2\r\n[New]\r\nC=3\r\n");
}

TEST(IniFile, SavesThroughATemporaryFileAndLoadsBack)
{
    TTempFolder folder;
    TIniFile ini;
    ini.Write("Options", "GameFolderDir", "data\\");
    std::string error;
    ASSERT_TRUE(ini.Save(folder / "options.cfg", &error)) << error;
    EXPECT_FALSE(std::filesystem::exists(folder / "options.cfg.tmp"));
    EXPECT_EQ(TIniFile::Load(folder / "options.cfg").ReadString("options", "gamefolderdir", "?"), "data\\");
    EXPECT_EQ(TIniFile::Load(folder / "missing.cfg").Text(), "");
    EXPECT_FALSE(ini.Save(folder / "no" / "such" / "options.cfg", &error));
}

// options.cfg is read only as a regular file: a pipe in its place (which would hold the
// start-up for ever) or a folder reads as an empty document and says why; a missing
// file is a first run and no error.
TEST(IniFile, LoadsOnlyARegularFile)
{
    // A pipe opened the blocking way never returns: the alarm fails the binary instead.
    ::alarm(60);
    TTempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe.cfg").c_str(), 0644), 0);
    std::filesystem::create_directory(folder / "folder.cfg");
    folder.Write("options.cfg", "[Options]\nSoundVolume=40\n");
    struct TCase {
        const char* Name;
        int Volume;
        bool Error;
    };
    for (const TCase c : {TCase{"pipe.cfg", 100, true}, {"folder.cfg", 100, true}, {"missing.cfg", 100, false},
                          {"options.cfg", 40, false}}) {
        std::string error;
        const TIniFile ini = TIniFile::Load(folder / c.Name, &error);
        EXPECT_EQ(ini.ReadInteger("Options", "SoundVolume", 100), c.Volume) << c.Name;
        EXPECT_EQ(!error.empty(), c.Error) << c.Name << ": " << error;
    }
    ::alarm(0);
}

}  // namespace
