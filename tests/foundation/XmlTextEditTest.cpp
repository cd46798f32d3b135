// Changes spliced into a hand-written file: the text differs from the original only where
// the document changed, in the file's own line ends and indentation.
#include "foundation/XmlTextEdit.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Comments, a head, two-space indentation, odd spacing and an entity.
const char kShop[] = "<?xml version=\"1.0\"?>\n"
                     "<!-- the corner shop -->\n"
                     "<Shop Name=\"Corner\"   Open=\"9\">\n"
                     "  <!-- shelves, left to right -->\n"
                     "  <Shelf X=\"10\" Y = \"20\"/>\n"
                     "  <Shelf X=\"30\" Y=\"40\" />\n"
                     "  <Note>kept &amp; read</Note>\n"
                     "</Shop>\n";

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(XmlTextEdit, ChangesAreSplicedIntoTheOriginalText)
{
    struct TCase {
        const char* What;
        std::function<void(TQelXMLTag& shop)> Edit;
        std::string From, To; // the one piece of text that changes
    };
    const TCase cases[] = {
        { "nothing", [](TQelXMLTag&) {}, "", "" },
        { "a value", [](TQelXMLTag& s) { s.GetChild(1)->Attributes[1]->SetValue("41"); }, "Y=\"40\"", "Y=\"41\"" },
        { "a value with spacing around its sign", [](TQelXMLTag& s) { s.GetChild(0)->Attributes[1]->SetValue("-5"); },
            "Y = \"20\"", "Y = \"-5\"" },
        { "an attribute added", [](TQelXMLTag& s) { s.GetChild(0)->AddAttribute("Z", "1"); }, "Y = \"20\"/>",
            "Y = \"20\" Z=\"1\"/>" },
        { "an attribute removed", [](TQelXMLTag& s) { s.DeleteAttributeByName("Open"); }, "\"Corner\"   Open=\"9\">",
            "\"Corner\">" },
        { "the first attribute removed", [](TQelXMLTag& s) { s.GetChild(1)->DeleteAttribute(0); },
            "<Shelf X=\"30\" Y=", "<Shelf Y=" },
        { "an element removed with its line", [](TQelXMLTag& s) { s.DeleteChild(0); },
            "  <Shelf X=\"10\" Y = \"20\"/>\n", "" },
        { "an element added after its siblings", [](TQelXMLTag& s) { s.AddChild("Shelf")->AddAttribute("X", "50"); },
            "</Note>\n", "</Note>\n  <Shelf X=\"50\" />\n" },
        { "an element put first",
            [](TQelXMLTag& s) {
                s.Children.insert(s.Children.begin(), std::make_unique<TQelXMLTag>("Door", &s, "front"));
            },
            "  <Shelf X=\"10\"", "  <Door>front</Door>\n  <Shelf X=\"10\"" },
        { "a text with an entity", [](TQelXMLTag& s) { s.GetChild(2)->SetText("a < b"); }, "kept &amp; read",
            "a &lt; b" },
        { "an element given a child", [](TQelXMLTag& s) { s.GetChild(1)->AddChild("Item")->AddAttribute("Size", "M"); },
            "<Shelf X=\"30\" Y=\"40\" />", "<Shelf X=\"30\" Y=\"40\">\n    <Item Size=\"M\" />\n  </Shelf>" },
        { "an element made anew in the place of another",
            [](TQelXMLTag& s) {
                s.Children[0] = std::make_unique<TQelXMLTag>("Shelf", &s, "");
                s.Children[0]->AddAttribute("X", "10");
            },
            "  <Shelf X=\"10\" Y = \"20\"/>\n", "  <Shelf X=\"10\" />\n" },
    };
    for (const TCase& c : cases) {
        TXmlTextEdit edit(kShop);
        c.Edit(*edit.Document().GetChild(0));
        const std::string expected = c.From.empty() ? std::string(kShop) : Replace(kShop, c.From, c.To);
        EXPECT_TRUE(edit.KeepsText()) << c.What;
        EXPECT_EQ(edit.Text(), expected) << c.What;
    }
}

TEST(XmlTextEdit, NewLinesTakeTheFilesLineEndsAndIndentation)
{
    const std::string original = "<List>\r\n\t<!-- none yet -->\r\n</List>\r\n";
    TXmlTextEdit edit(original);
    TQelXMLTag& list = *edit.Document().GetChild(0);
    list.AddChild("Item")->AddChild(
        "Part", "a text long enough to stand on a line of its own in the layout of the whole file");
    list.AddChild("Item");
    EXPECT_EQ(edit.Text(),
        "<List>\r\n\t<!-- none yet -->\r\n\t<Item>\r\n\t\t<Part>\r\n\t\ta text long enough to stand on a line of its "
        "own "
        "in the layout of the whole file\r\n\t\t</Part>\r\n\t</Item>\r\n\t<Item />\r\n</List>\r\n");
}

TEST(XmlTextEdit, AFileTheSplicerCannotKeepIsWrittenInTheFixedLayout)
{
    // An unterminated comment: the reader takes nothing from such a file.
    TXmlTextEdit broken("<A>\n<!-- open\n</A>\n");
    EXPECT_FALSE(broken.KeepsText());
    EXPECT_EQ(broken.Text(), "");
    // An element left open holds everything after it: a new sibling of it cannot go at
    // the end without becoming its child, so the whole file is written anew.
    TXmlTextEdit open("<A>\n  <B>\n");
    open.Document().AddChild("C");
    EXPECT_FALSE(open.KeepsText());
    EXPECT_EQ(open.Text(), "<A>\r\n\t<B />\r\n</A>\r\n<C />\r\n");
}

} // namespace
