// The resource archive: opening checks, lookup, reading entries, and the writer.
#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"

#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::vector<uint8_t> Bytes(std::string_view s)
{
    return {s.begin(), s.end()};
}

std::string Header(uint16_t label, uint16_t version, uint16_t count, uint16_t check)
{
    std::string h;
    for (uint16_t v : {label, version, count, check}) {
        h.push_back(static_cast<char>(v & 0xFF));
        h.push_back(static_cast<char>(v >> 8));
    }
    return h;
}

// One raw directory entry.
std::string Entry(std::string_view name, int32_t offset, int32_t size, uint8_t lengthByte = 0)
{
    std::string e(48, '\0');
    e[0] = static_cast<char>(lengthByte ? lengthByte : name.size());
    std::copy(name.begin(), name.end(), e.begin() + 1);
    for (int i = 0; i < 4; ++i) {
        e[36 + i] = static_cast<char>(static_cast<uint32_t>(offset) >> (8 * i));
        e[40 + i] = static_cast<char>(static_cast<uint32_t>(size) >> (8 * i));
    }
    return e;
}

std::string OpenError(const std::filesystem::path& path)
{
    try {
        TFileFolder archive(path);
    } catch (const EFileFolderError& e) {
        return e.what();
    }
    return "opened";
}

TEST(FileFolderOpen, HeaderAndDirectoryChecks)
{
    TTempFolder folder;
    const std::pair<std::string, const char*> cases[] = {
        {"90\0\0", "Cannot open FileFolder (wrong file size)"},
        {Header(0x3930, 0, 0, 0xFFFF), "Cannot open FileFolder (broked label)"},  // "09"
        {Header(0x3039, 1, 0, 0xFFFF), "Cannot open FileFolder (wrong version)"},
        {Header(0x3039, 0, 3, 0x0003), "Cannot open FileFolder (wrong sizing)"},
        {Header(0x3039, 0, 3, 0xFFFC) + Entry("a", 0, 0), "Cannot open Dir (wrong size)"},
        {Header(0x3039, 0, 0, 0xFFFF), "opened"},
    };
    for (const auto& [bytes, message] : cases) {
        auto path = folder.Write("game.zxc", bytes);
        EXPECT_EQ(OpenError(path), message);
    }
    EXPECT_THROW(TFileFolder(folder / "missing.zxc"), std::system_error);
}

TEST(FileFolderOpen, EmptyArchiveFindsNothing)
{
    TTempFolder folder;
    TFileFolder archive(folder.Write("game.zxc", Header(0x3039, 0, 0, 0xFFFF)));
    EXPECT_EQ(archive.FindFile("efMove.xml"), -1);
    EXPECT_EQ(archive.GetFileStream("efMove.xml"), nullptr);
    EXPECT_THROW(archive.LoadFile("efMove.xml"), EFileFolderError);
}

class FileFolderRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFileFolder(folder_ / "game.zxc", {{"efMove.xml", Bytes("<move/>")},
                                               {"Empty.txt", {}},
                                               {"\xC3\x89t\xC3\xA9.png", Bytes("accented")},
                                               {"Last.bin", Bytes("0123456789")}});
    }
    TTempFolder folder_;
};

TEST_F(FileFolderRead, LookupIgnoresAsciiCaseOnly)
{
    TFileFolder archive(folder_ / "game.zxc");
    EXPECT_EQ(archive.Count(), 4);
    EXPECT_EQ(archive.FindFile("efMove.xml"), 0);
    EXPECT_EQ(archive.FindFile("EFMOVE.XML"), 0);
    EXPECT_EQ(archive.FindFile("efmove.xml"), 0);
    EXPECT_EQ(archive.FindFile("\xC3\x89T\xC3\xA9.PNG"), 2);
    EXPECT_EQ(archive.FindFile("\xC3\xA9t\xC3\xA9.png"), -1);  // bytes above 127 must match
    EXPECT_EQ(archive.FindFile("efMove.xm"), -1);
    EXPECT_EQ(archive.FindFile(std::string(36, 'a')), -1);
}

TEST_F(FileFolderRead, StreamsAreReReadAndReused)
{
    TFileFolder archive(folder_ / "game.zxc");
    TMemoryStream* first = archive.GetFileStream("EFMOVE.xml");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->View(), "<move/>");
    first->SetPosition(3);
    first->Write("XX", 2);
    TMemoryStream* second = archive.GetFileStream("efMove.xml");
    EXPECT_EQ(second, first);
    EXPECT_EQ(second->Position(), 0u);
    EXPECT_EQ(second->View(), "<move/>");
    TMemoryStream* empty = archive.GetFileStream("Empty.txt");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Size(), 0u);
    EXPECT_EQ(archive.GetFileStream("Last.bin")->View(), "0123456789");
}

TEST_F(FileFolderRead, FirstOfTwoEqualNamesWins)
{
    std::string raw = Header(0x3039, 0, 2, 0xFFFD) + Entry("A.txt", 0, 1) + Entry("a.TXT", 1, 1) + "12";
    TFileFolder archive(folder_.Write("dup.zxc", raw));
    EXPECT_EQ(archive.FindFile("a.txt"), 0);
    EXPECT_EQ(archive.GetFileStream("A.TXT")->View(), "1");
}

TEST_F(FileFolderRead, DamagedEntriesFailWithoutReadingOutside)
{
    // Each entry is broken in its own way; the data area holds 4 bytes.
    std::string raw = Header(0x3039, 0, 5, 0xFFFA) + Entry("past.end", 2, 3) + Entry("negative.size", 0, -1) +
                      Entry("negative.offset", -300, 2) + Entry("huge.size", 0, 0x7FFFFFFF) +
                      Entry("longname", 0, 4, 200) + "abcd";
    TFileFolder archive(folder_.Write("bad.zxc", raw));
    for (const char* name : {"past.end", "negative.size", "negative.offset", "huge.size"}) {
        try {
            archive.LoadFile(name);
            ADD_FAILURE() << name << " loaded";
        } catch (const EFileFolderError& e) {
            EXPECT_STREQ(e.what(), "Cannot load file (wrong file size)") << name;
        }
    }
    // A length byte beyond the field is cut to the field's 35 bytes.
    EXPECT_EQ(archive.Entry(4).FileName().size(), 35u);
    EXPECT_THROW(archive.LoadFile("nothing.here"), EFileFolderError);
}

TEST_F(FileFolderRead, TruncatedArchiveLeavesTheBufferEmpty)
{
    std::string raw = Header(0x3039, 0, 1, 0xFFFE) + Entry("cut.bin", 0, 10) + "abc";
    TFileFolder archive(folder_.Write("cut.zxc", raw));
    EXPECT_THROW(archive.GetFileStream("cut.bin"), EFileFolderError);
}

// What opening lets through, because whole entries of such an archive still read, the
// entry check refuses: the game asks for it before it trusts the archive with start-up.
TEST(FileFolderCheck, EveryEntryMustLieInsideTheFile)
{
    TTempFolder folder;
    const std::string whole = Header(0x3039, 0, 2, 0xFFFD) + Entry("a.xml", 0, 3) + Entry("b.ogg", 3, 4) + "abcdefg";
    struct TCase {
        const char* What;
        std::string Bytes;
        const char* Error;  // nullptr: the check passes
    };
    const TCase cases[] = {
        {"whole", whole, nullptr},
        {"trailing bytes", whole + "zz", nullptr},
        {"data cut short", whole.substr(0, whole.size() - 2),
         "Cannot open FileFolder (entry \"b.ogg\" ends at byte 111 of a file of 109 bytes)"},
        {"no data at all", whole.substr(0, 8 + 2 * 48),
         "Cannot open FileFolder (entry \"a.xml\" ends at byte 107 of a file of 104 bytes)"},
        {"negative size", Header(0x3039, 0, 1, 0xFFFE) + Entry("n.png", 0, -1),
         "Cannot open FileFolder (entry \"n.png\" has a negative offset or size)"},
        {"negative offset", Header(0x3039, 0, 1, 0xFFFE) + Entry("n.png", -56, 4) + "abcd",
         "Cannot open FileFolder (entry \"n.png\" has a negative offset or size)"},
        {"offset beyond 2 GiB", Header(0x3039, 0, 1, 0xFFFE) + Entry("big.bin", 0x7FFFFFF0, 0x7FFFFFF0),
         "Cannot open FileFolder (entry \"big.bin\" ends at byte 4294967320 of a file of 56 bytes)"},
    };
    for (const TCase& c : cases) {
        TFileFolder archive(folder.Write("game.zxc", c.Bytes));
        if (!c.Error) {
            EXPECT_NO_THROW(archive.CheckEntries()) << c.What;
            continue;
        }
        try {
            archive.CheckEntries();
            ADD_FAILURE() << c.What << " passed";
        } catch (const EFileFolderError& e) {
            EXPECT_STREQ(e.what(), c.Error) << c.What;
        }
    }
}

TEST(FileFolderOpen, OnlyARegularFileOpens)
{
    TTempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe.zxc").c_str(), 0644), 0);
    std::filesystem::create_directory(folder / "folder.zxc");
    // The pipe has no writer: an open that waited for one would never return.
    for (const char* name : {"pipe.zxc", "folder.zxc"}) {
        try {
            TFileFolder archive(folder / name);
            ADD_FAILURE() << name << " opened";
        } catch (const std::system_error& e) {
            EXPECT_NE(std::string(e.what()).find("not a regular file"), std::string::npos) << e.what();
        }
    }
}

// An entry cut short after the archive was opened: the reader's error names the entry,
// the archive and the cause, which is all a log line has to go on.
TEST(DataSource, ACutEntryIsNamedWithItsCause)
{
    TTempFolder folder;
    WriteFileFolder(folder / "game.zxc", {{"click.ogg", Bytes("click")}, {"Last.ogg", Bytes("0123456789")}});
    TDataSource archive(std::make_unique<TFileFolder>(folder / "game.zxc"));
    std::filesystem::resize_file(folder / "game.zxc", std::filesystem::file_size(folder / "game.zxc") - 4);
    std::string error;
    EXPECT_TRUE(archive.Read("click.ogg", &error));
    EXPECT_FALSE(archive.Read("Last.ogg", &error));
    EXPECT_EQ(error, "Cannot read \"Last.ogg\" from \"" + (folder / "game.zxc").string() +
                         "\": Cannot load file (wrong file size)");
    // Opening it again finds the damage at once, and keeps the old archive.
    EXPECT_THROW(archive.Reopen(), EFileFolderError);
    EXPECT_TRUE(archive.Read("click.ogg"));
}

TEST(FileFolderWrite, RefusesBadNames)
{
    TTempFolder folder;
    const std::vector<std::vector<TArchiveEntry>> refused = {
        {{std::string(36, 'n'), {}}},
        {{"", {}}},
        {{"a.png", {}}, {"A.PNG", {}}},
        {{"sub/a.png", {}}},
    };
    for (const auto& entries : refused)
        EXPECT_THROW(WriteFileFolder(folder / "x.zxc", entries), EFileFolderError) << entries.back().Name;
    EXPECT_NO_THROW(WriteFileFolder(folder / "x.zxc", {{std::string(35, 'n'), {}}}));
}

TEST(DataSource, ArchiveAndFolderFollowOneRule)
{
    TTempFolder folder;
    WriteFileFolder(folder / "game.zxc", {{"Shop.xml", Bytes("<ShopItems/>")}});
    std::filesystem::create_directory(folder / "data");
    folder.Write("data/Shop.xml", "<ShopItems/>");
    folder.Write("secret.txt", "outside");

    TDataSource archive(std::make_unique<TFileFolder>(folder / "game.zxc"));
    TDataSource plain(folder / "data");
    for (TDataSource* source : {&archive, &plain}) {
        EXPECT_TRUE(source->Exists("shop.XML"));
        auto bytes = source->Read("SHOP.xml");
        ASSERT_TRUE(bytes);
        EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "<ShopItems/>");
        std::string error;
        EXPECT_FALSE(source->Read("Missing.xml", &error));
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(source->Read("../secret.txt"));
        EXPECT_EQ(source->Names(), std::vector<std::string>{"Shop.xml"});
    }
    archive.Reopen();
    EXPECT_TRUE(archive.Read("Shop.xml"));
}

}  // namespace
