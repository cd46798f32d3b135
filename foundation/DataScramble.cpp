// Scrambled data files.
#include "foundation/DataScramble.h"

#include "foundation/Files.h"
#include "foundation/QelParser.h"

#include <array>

void ScrambleStream(TMemoryStream& source, TMemoryStream& target, std::string_view key)
{
    if (key.empty())
        key = "1";
    std::array<uint8_t, 8> k{};
    for (size_t i = 0; i < 8; ++i)
        k[i] = static_cast<uint8_t>(key[i % key.size()]);

    target.Clear();
    source.SetPosition(0);
    std::array<uint8_t, 8> b{};
    for (;;) {
        b.fill(0);
        size_t n = source.Read(b.data(), b.size());
        for (size_t i = 0; i < 8; ++i)
            b[i] ^= k[i];
        if (n < 8) {
            // The tail block is only XORed, never transposed.
            target.Write(b.data(), n);
            break;
        }
        // Output byte j collects bit j of the eight input bytes, input byte i giving bit i.
        std::array<uint8_t, 8> c{};
        for (size_t j = 0; j < 8; ++j) {
            uint8_t v = 0;
            for (size_t i = 0; i < 8; ++i)
                v |= static_cast<uint8_t>(((b[i] >> j) & 1u) << i);
            c[j] = static_cast<uint8_t>(v ^ k[j]);
        }
        target.Write(c.data(), c.size());
    }
    target.SetPosition(0);
    source.Clear();
}

bool IsPlainText(const TMemoryStream& stream)
{
    bool previousCr = false;
    for (uint8_t c : stream.Bytes()) {
        if (c == 0x0A && !previousCr)
            return false;
        if (c < 0x20 && c != 0x09 && c != 0x0D && c != 0x0A)
            return false;
        previousCr = c == 0x0D;
    }
    return true;
}

static std::string Rotate(std::string_view text, int by)
{
    std::string out(text);
    for (char& ch : out) {
        int c = static_cast<unsigned char>(ch);
        if (c >= 32)
            ch = static_cast<char>(32 + ((c - 32 + by + 224) % 224));
    }
    return out;
}

std::string ShiftTextUp(std::string_view text)
{
    return Rotate(text, 51);
}

std::string ShiftTextDown(std::string_view text)
{
    return Rotate(text, -51);
}

bool LoadDataXml(const std::filesystem::path& path, std::string_view key, TQelParser& document, std::string* error)
{
    auto bytes = ReadFileBytes(path, error);
    if (!bytes)
        return false;
    TMemoryStream loaded(std::move(*bytes));
    if (IsPlainText(loaded)) {
        document.LoadFromStream(loaded);
    } else {
        TMemoryStream work;
        ScrambleStream(loaded, work, key);
        document.LoadFromStream(work);
    }
    return true;
}

bool SaveDataXml(TQelParser& document, const std::filesystem::path& path, std::string_view key, bool writePlain,
                 std::string* error)
{
    TMemoryStream text;
    document.SaveToStream(text);
    if (writePlain)
        return WriteFileAtomic(path, text.Bytes(), error);
    TMemoryStream scrambled;
    ScrambleStream(text, scrambled, key);
    return WriteFileAtomic(path, scrambled.Bytes(), error);
}
