// Player names: cleaning typed text, and the escaping that lets any name survive the files.
#include "foundation/QelParser.h"
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
