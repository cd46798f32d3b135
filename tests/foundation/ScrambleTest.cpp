// The scrambling codec, the plain-text test, the character rotation and the data files.
#include "foundation/DataScramble.h"
#include "foundation/QelParser.h"

#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<uint8_t> Scrambled(std::vector<uint8_t> bytes, std::string_view key)
{
    TMemoryStream source(std::move(bytes)), target;
    ScrambleStream(source, target, key);
    EXPECT_EQ(source.Size(), 0u);
    EXPECT_EQ(target.Position(), 0u);
    return target.Bytes();
}

std::vector<uint8_t> Xor(std::vector<uint8_t> bytes, std::string_view key8)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] ^= static_cast<uint8_t>(key8[i % 8]);
    return bytes;
}

TEST(ScrambleStream, TranspositionOfOneBlock)
{
    // With a key of zero bytes only the bit transposition is left.
    const std::string zeros(8, '\0');
    EXPECT_EQ(Scrambled({0xFF, 0, 0, 0, 0, 0, 0, 0}, zeros), (std::vector<uint8_t>(8, 0x01)));
    EXPECT_EQ(Scrambled({0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}, zeros),
              (std::vector<uint8_t>{0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80}));
}

TEST(ScrambleStream, TailBlockIsOnlyXored)
{
    std::vector<uint8_t> seven = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(Scrambled(seven, kDataKey), Xor(seven, kDataKey));

    std::vector<uint8_t> nine = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::vector<uint8_t> out = Scrambled(nine, kDataKey);
    ASSERT_EQ(out.size(), 9u);
    EXPECT_EQ(out[8], 9 ^ static_cast<uint8_t>(kDataKey[0]));
    EXPECT_EQ(Scrambled({}, kDataKey), std::vector<uint8_t>{});
}

TEST(ScrambleStream, ItsOwnInverseForEveryLength)
{
    for (size_t length = 0; length <= 33; ++length) {
        std::vector<uint8_t> bytes(length);
        for (size_t i = 0; i < length; ++i)
            bytes[i] = static_cast<uint8_t>(i * 37 + 11);
        EXPECT_EQ(Scrambled(Scrambled(bytes, kDataKey), kDataKey), bytes) << length;
    }
}

TEST(ScrambleStream, KeyLengths)
{
    std::vector<uint8_t> block = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    EXPECT_EQ(Scrambled(block, "abcdefghXYZW"), Scrambled(block, "abcdefgh"));
    EXPECT_EQ(Scrambled(block, ""), Scrambled(block, "11111111"));
    EXPECT_EQ(Scrambled(block, "ab"), Scrambled(block, "abababab"));
}

TEST(IsPlainText, Cases)
{
    const std::pair<std::string_view, bool> cases[] = {
        {"", true},
        {"a\r\nb", true},
        {"a\nb", false},
        {"\nstarts with LF", false},
        {std::string_view("\0", 1), false},
        {"\xC3\xA9", true},
        {"tab\there\r", true},
        {"bell\a", false},
    };
    for (const auto& [text, plain] : cases) {
        TMemoryStream stream(text);
        stream.SetPosition(text.size() / 2);
        EXPECT_EQ(IsPlainText(stream), plain) << testing::PrintToString(std::string(text));
        EXPECT_EQ(stream.Position(), text.size() / 2);
    }
}

TEST(ShiftText, RotationAndItsInverse)
{
    EXPECT_EQ(ShiftTextUp("abc"), "\x94\x95\x96");
    EXPECT_EQ(ShiftTextUp(" "), "S");
    EXPECT_EQ(ShiftTextUp("A"), "t");
    EXPECT_EQ(ShiftTextUp("\xCD"), " ");  // 205 wraps to 32
    EXPECT_EQ(ShiftTextDown("S"), " ");
    std::string all;
    for (int c = 0; c < 256; ++c)
        all.push_back(static_cast<char>(c));
    EXPECT_EQ(ShiftTextDown(ShiftTextUp(all)), all);
    EXPECT_EQ(ShiftTextUp("\t\r\n"), "\t\r\n");
}

TEST(DataXml, DebugModeWritesPlainOtherwiseScrambled)
{
    TTempFolder folder;
    TQelParser document;
    document.AddChild("PlayersListXML")->AddAttribute("CurrentPlayer", "0");
    ASSERT_TRUE(SaveDataXml(document, folder / "plain.dat", kDataKey, true));
    ASSERT_TRUE(SaveDataXml(document, folder / "scrambled.dat", kDataKey, false));
    EXPECT_EQ(folder.Read("plain.dat"), "<PlayersListXML CurrentPlayer=\"0\" />\r\n");
    EXPECT_NE(folder.Read("scrambled.dat"), folder.Read("plain.dat"));
    EXPECT_FALSE(IsPlainText(TMemoryStream(folder.Read("scrambled.dat"))));

    for (const char* name : {"plain.dat", "scrambled.dat"}) {
        TQelParser read;
        ASSERT_TRUE(LoadDataXml(folder / name, kDataKey, read));
        ASSERT_EQ(read.ChildCount(), 1u) << name;
        EXPECT_EQ(read.GetChild(0)->AttributeValue("CurrentPlayer"), "0");
    }
}

TEST(DataXml, WrongKeyOrMissingFile)
{
    TTempFolder folder;
    TQelParser document;
    document.AddChild("GamePlayParams")->AddChild("Speed", "1");
    ASSERT_TRUE(SaveDataXml(document, folder / "GameParams.xml", kDataKey, false));
    TQelParser read;
    ASSERT_TRUE(LoadDataXml(folder / "GameParams.xml", "otherkey", read));
    EXPECT_EQ(read.FindChildByName("GamePlayParams"), nullptr);
    std::string error;
    EXPECT_FALSE(LoadDataXml(folder / "missing.xml", kDataKey, read, &error));
    EXPECT_NE(error.find("missing.xml"), std::string::npos);
}

TEST(DataXml, FailedSaveKeepsTheOldFile)
{
    TTempFolder folder;
    folder.Write("players.dat", "old content");
    // Every temporary file has a name of its own, so none can be blocked in advance: the
    // folder refuses new files instead, and root, whom that does not stop, finds the old
    // file immutable (it cannot be replaced).
    ::chmod(folder.Path().c_str(), 0555);
    const int old = ::open((folder / "players.dat").c_str(), O_RDONLY);
    int flags = 0;
    const bool immutable = ::geteuid() == 0 && ::ioctl(old, FS_IOC_GETFLAGS, &flags) == 0 &&
                           (flags |= FS_IMMUTABLE_FL, ::ioctl(old, FS_IOC_SETFLAGS, &flags) == 0);
    if (::geteuid() == 0 && !immutable) {
        ::close(old);
        ::chmod(folder.Path().c_str(), 0755);
        GTEST_SKIP() << "root writes into a read-only folder, and this file system has no immutable files";
    }
    TQelParser document;
    document.AddChild("PlayersListXML");
    std::string error;
    EXPECT_FALSE(SaveDataXml(document, folder / "players.dat", kDataKey, false, &error));
    if (immutable) {
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(old, FS_IOC_SETFLAGS, &flags);
    }
    ::close(old);
    ::chmod(folder.Path().c_str(), 0755);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(folder.Read("players.dat"), "old content");
    // Nor is a temporary file left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

}  // namespace
