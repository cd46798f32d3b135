// Player names: cleaning typed text, and the escaping that lets any name survive the files.
#include "foundation/DataScramble.h"
#include "foundation/QelParser.h"
#include "metagame/HighScores.h"
#include "metagame/Player.h"
#include "metagame/PlayerName.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayerName, SanitizeRemovesOnlyControlCharacters)
{
    struct TCase {
        std::string Typed, Kept;
    } cases[] = {
        {"Anna", "Anna"},
        {"  Anna  ", "  Anna  "},
        {"An\tna\r\n", "Anna"},
        {std::string("A\0B", 3), "AB"},
        {"Zo\xC3\xAB \"Z\" <&>", "Zo\xC3\xAB \"Z\" <&>"},
        {"\x7F\x01", ""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(SanitizePlayerName(c.Typed), c.Kept) << c.Typed;
}

// What a name edit gives, typed or pasted, becomes the name the game keeps.
TEST(PlayerName, TypedNamesAreCleanedTrimmedAndCutToTheEditsLength)
{
    const std::string twenty(kMaxPlayerNameLength, 'x');
    const std::string nineteen(kMaxPlayerNameLength - 1, 'x');
    struct TCase {
        const char* Why;
        std::string Typed, Kept;
    } cases[] = {
        {"plain", "Ann", "Ann"},
        {"spaces around", "  Ann  ", "Ann"},
        {"line ends and tabs", "\tAn\tn\r\n", "Ann"},
        {"a pasted NUL", std::string("An\0n", 4), "Ann"},
        {"control characters inside", "A\x01n\x1Fn\x7F", "Ann"},
        {"spaces around a control character", " \x02 Ann \x03 ", "Ann"},
        {"only spaces", "    ", ""},
        {"nothing", "", ""},
        {"quotes, brackets and ampersands stay", "Say \"hi\" <&>", "Say \"hi\" <&>"},
        {"non-ASCII letters stay", "Zo\xC3\xAB \xE6\x97\xA5", "Zo\xC3\xAB \xE6\x97\xA5"},
        {"too long", twenty + "yyy", twenty},
        {"cut between characters, never inside one", nineteen + "\xC3\xAB\xC3\xAB", nineteen + "\xC3\xAB"},
        {"a cut that ends on a space", "Ann" + std::string(17, ' ') + "Bob", "Ann"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TypedPlayerName(c.Typed), c.Kept) << c.Why;
}

// A typed name in a high-score line: the characters that would end the value or the tag
// never reach the file as they are, and the name reads back as kept.
TEST(PlayerName, TypedNamesSurviveTheHighScoreLine)
{
    const std::string typed[] = {"Say \"hi\"", "a>b<c", "Tom & Jerry", "\" score=\"9", "tab\there", "&quot;"};
    for (const std::string& text : typed) {
        const std::string name = TypedPlayerName(text);
        const std::string line = HighScoreLine({name, 100, false});
        const std::string value = line.substr(12, line.find("\" score=\"") - 12);
        EXPECT_EQ(value.find_first_of("\"<>\t\r\n"), std::string::npos) << line;
        THighScore back;
        ASSERT_TRUE(ParseHighScoreLine(ShiftTextDown(ShiftTextUp(line)), back)) << line;
        EXPECT_EQ(back.Name, name);
        EXPECT_EQ(back.Score, 100);
    }
}

// Every name comes back byte for byte through the attribute of the XML dialect, whose
// reader takes values as written and ends a value at the next quote.
TEST(PlayerName, EveryNameSurvivesTheXmlAttribute)
{
    const std::string names[] = {
        "Plain",
        "Say \"hi\"",
        "a>b",
        "Tom & Jerry",
        "<tag attr=\"x\">",
        "&amp; &quot; &lt; &#9;",  // entity text typed literally
        "Zo\xC3\xAB \xE6\x97\xA5\xE6\x9C\xAC",
        "tab\there",
        "\"\"\"",
        "&",
        "",
    };
    for (const std::string& name : names) {
        TQelParser document;
        document.AddChild("Player")->AddAttribute("Name", EncodeNameValue(name));
        const std::string text = document.SaveToString();
        TQelParser loaded;
        loaded.LoadFromText(text);
        ASSERT_EQ(loaded.ChildCount(), 1u) << text;
        EXPECT_EQ(DecodeNameValue(loaded.GetChild(0)->AttributeValue("Name")), name) << text;
    }
}

TEST(PlayerName, UnescapedNamesOfOlderFilesReadAsWritten)
{
    EXPECT_EQ(DecodeNameValue("Tom & Jerry"), "Tom & Jerry");
    EXPECT_EQ(DecodeNameValue("a&b;c"), "a&b;c");
    EXPECT_EQ(DecodeNameValue("&#65;"), "&#65;");  // only control characters are numbered
    EXPECT_EQ(DecodeNameValue("&#"), "&#");
}

TEST(PlayerName, GridCellNeverEndsEarly)
{
    EXPECT_EQ(NameCellText("Anna"), "Text=\"Anna\";");
    EXPECT_EQ(NameCellText("Say \"hi\"; ok"), "Text=\"Say ''hi''; ok\";");
}

}  // namespace
