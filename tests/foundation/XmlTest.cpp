// The XML dialect: reading passes, the writer's layout, selectors and the text helpers.
#include "foundation/QelParser.h"

#include "tests/common/TempFolder.h"

#include <clocale>
#include <gtest/gtest.h>

namespace {

// A compact picture of a tree: name{attr="v"...}"text"[child child].
std::string Dump(const TQelXMLTag& tag)
{
    std::string out = tag.Name;
    if (!tag.Attributes.empty()) {
        out += "{";
        for (size_t i = 0; i < tag.Attributes.size(); ++i)
            out += (i ? " " : "") + tag.Attributes[i]->Name + "=\"" + tag.Attributes[i]->Value + "\"";
        out += "}";
    }
    if (!tag.Text.empty())
        out += "\"" + tag.Text + "\"";
    if (!tag.Children.empty()) {
        out += "[";
        for (size_t i = 0; i < tag.Children.size(); ++i)
            out += (i ? " " : "") + Dump(*tag.Children[i]);
        out += "]";
    }
    return out;
}

std::string Read(std::string_view text)
{
    TQelParser document;
    document.LoadFromText(text);
    return Dump(document);
}

struct ReadCase {
    const char* name;
    const char* text;
    const char* tree;
};

class XmlReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(XmlReading, BuildsTheTree)
{
    EXPECT_EQ(Read(GetParam().text), GetParam().tree) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XmlReading,
    ::testing::Values(
        ReadCase{"EmptyElementNoSpace", "<a b=\"1\"/>", "root[a{b=\"1\"}]"},
        ReadCase{"EmptyElementSpace", "<a b=\"1\" />", "root[a{b=\"1\"}]"},
        ReadCase{"EntitiesDecodedOncePerKind", "<a>x &amp;lt; y</a>", "root[a\"x &lt; y\"]"},
        ReadCase{"AmpQuotBecomesQuote", "<a>&amp;quot;</a>", "root[a\"\"\"]"},
        ReadCase{"LastTextRunWins", "<a>one<b/>two</a>", "root[a\"two\"[b]]"},
        ReadCase{"LineBreaksAndTabsBecomeSpaces", "<a>\r\n\thello\r\n\tworld\r\n</a>", "root[a\"hello  world\"]"},
        ReadCase{"LoneLfIsALineBreakToo", "<a>hello\nworld</a>", "root[a\"hello world\"]"},
        ReadCase{"FirstGreaterThanEndsTag", "<a v=\"x>y\"/>", "root[a\"y\"/>\"]"},
        ReadCase{"CommentBetweenElements", "<a/><!-- c --><b/>", "root[a b]"},
        ReadCase{"CommentInsideTextSplitsRuns", "<a>one<!-- c -->two</a>", "root[a\"two\"]"},
        ReadCase{"TextAfterLastTagGoesToOpenElement", "<a/>tail", "root\"tail\"[a]"},
        ReadCase{"ClosingNamesNotChecked", "<a><b></a></b>", "root[a[b]]"},
        ReadCase{"SurplusClosingTagIgnored", "</x><a/></y></z><b/>", "root[a b]"},
        ReadCase{"AttributesNeedNoSpace", "<a x=\"1\"y=\"2\"/>", "root[a{x=\"1\" y=\"2\"}]"},
        ReadCase{"DuplicateAttributesKept", "<a x=\"1\" x=\"2\"/>", "root[a{x=\"1\" x=\"2\"}]"},
        ReadCase{"JunkBeforeOpeningQuoteSkipped", "<a x= junk\"1\"/>", "root[a{x=\"1\"}]"},
        ReadCase{"AttributeValuesNotDecoded", "<a x=\"&amp;\"/>", "root[a{x=\"&amp;\"}]"},
        ReadCase{"MissingEqualsKeepsName", "<a x y=\"1\"/>", "root[a{x y=\"1\"}]"},
        ReadCase{"NoEqualsAtAllKeepsBareName", "<a broken/>", "root[a]"},
        ReadCase{"MissingClosingQuoteKeepsEarlierAttributes", "<a x=\"1\" y=\"2/>", "root[a{x=\"1\"}]"},
        ReadCase{"UnclosedLessThanReadAsText", "<a>1 < 2", "root[a\"2\"]"},
        ReadCase{"HeadBecomesDocument", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<a/>",
                 "xml{version=\"1.0\" encoding=\"utf-8\"}[a]"},
        ReadCase{"HeadDiscardsEarlierContent", "<x/><?xml v=\"1\"?><a/>", "xml{v=\"1\"}[a]"},
        ReadCase{"ElementsLeftOpenAreKept", "<a><b>", "root[a[b]]"},
        ReadCase{"UnterminatedCommentGivesEmptyDocument", "<a/><!-- no end", "root"},
        ReadCase{"UnterminatedHeadGivesEmptyDocument", "<?xml <a/>", "root"},
        ReadCase{"EmptyTagGivesEmptyDocument", "<a/><>", "root"},
        ReadCase{"BlankTextGivesEmptyDocument", " \r\n\t ", "root"},
        ReadCase{"EmptyTextGivesEmptyDocument", "", "root"}),
    [](const auto& c) { return std::string(c.param.name); });

struct WriteCase {
    const char* name;
    const char* input;
    const char* output;
};

class XmlWriting : public ::testing::TestWithParam<WriteCase> {};

TEST_P(XmlWriting, WritesTheFixedLayout)
{
    TQelParser document;
    document.LoadFromText(GetParam().input);
    EXPECT_EQ(document.SaveToString(), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, XmlWriting,
    ::testing::Values(
        WriteCase{"EmptyElement", "<a b=\"1\"/>", "<a b=\"1\" />\r\n"},
        WriteCase{"ShortTextOnTagLine", "<p n=\"Visible\">True</p>", "<p n=\"Visible\">True</p>\r\n"},
        WriteCase{"TextEncodedOnWrite", "<a>x &amp;lt; y</a>", "<a>x &amp;lt; y</a>\r\n"},
        WriteCase{"ChildrenIndentedByTabs", "<a><b><c/></b></a>", "<a>\r\n\t<b>\r\n\t\t<c />\r\n\t</b>\r\n</a>\r\n"},
        WriteCase{"ShortTextWithChildren", "<a>t<b/></a>", "<a>t\t<b />\r\n</a>\r\n"},
        WriteCase{"HeadRegenerated", "<?xml version=\"1.0\"?><a/>", "<?xml version=\"1.0\"?>\r\n<a />\r\n"},
        WriteCase{"NoHeadNoHeadLine", "<a/>", "<a />\r\n"},
        WriteCase{"DocumentTextNeverWritten", "<a/>tail", "<a />\r\n"},
        WriteCase{"DuplicateAttributesBothWritten", "<a x=\"1\" x=\"2\"/>", "<a x=\"1\" x=\"2\" />\r\n"}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(XmlWriting, TextOf79CharactersStaysOnTheTagLineAnd80GoesOnItsOwn)
{
    for (size_t length : {79u, 80u}) {
        TQelParser document;
        TQelXMLTag* a = document.AddChild("a");
        a->AddChild("b", std::string(length, 'x'));
        const std::string text(length, 'x');
        const std::string expected = length == 79 ? "<a>\r\n\t<b>" + text + "</b>\r\n</a>\r\n"
                                                  : "<a>\r\n\t<b>\r\n\t" + text + "\r\n\t</b>\r\n</a>\r\n";
        EXPECT_EQ(document.SaveToString(), expected) << length;
    }
}

TEST(XmlWriting, LengthLimitCountsTextBeforeEncoding)
{
    TQelParser document;
    document.AddChild("a", std::string(70, '&'));  // 350 bytes once encoded, 70 before
    EXPECT_EQ(document.SaveToString().find("<a>&amp;"), 0u);
}

TEST(XmlWriting, FileRoundTripKeepsHeadAttributesInOrder)
{
    TTempFolder folder;
    folder.Write("in.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<r><e k=\"v\">t</e></r>\r\n");
    TQelParser document;
    document.LoadFromFile(folder / "in.xml");
    document.SaveToFile(folder / "out.xml");
    EXPECT_EQ(folder.Read("out.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<r>\r\n\t<e k=\"v\">t</e>\r\n</r>\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder / "out.xml.tmp"));
}

TEST(XmlReading, TextEndsAtTheFirstNul)
{
    EXPECT_EQ(Read(std::string_view("<a/>\0<b/>", 9)), "root[a]");
}

TEST(XmlReading, LoadFromStreamReadsFromThePosition)
{
    TMemoryStream stream(std::string_view("junk<a/>"));
    stream.SetPosition(4);
    TQelParser document;
    document.LoadFromStream(stream);
    EXPECT_EQ(Dump(document), "root[a]");
}

TEST(XmlReading, MissingFileThrows)
{
    TQelParser document;
    EXPECT_THROW(document.LoadFromFile("/nonexistent/glimmora.xml"), std::runtime_error);
}

TEST(XmlReading, BuildTreeAgainDiscardsChanges)
{
    TQelParser document;
    document.LoadFromText("<a><b/></a>");
    document.GetChild(0)->AddChild("c");
    document.BuildTree();
    EXPECT_EQ(Dump(document), "root[a[b]]");
}

TEST(XmlElements, LookupsAndDeletion)
{
    TQelParser document;
    document.LoadFromText("<r><a x=\"1\" x=\"2\"/><b><c/></b><c y=\"3\"/></r>");
    TQelXMLTag* r = document.GetChild(0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(document.GetChild(1), nullptr);
    EXPECT_EQ(document.GetChild(-1), nullptr);
    EXPECT_EQ(r->GetChildByName("a")->GetAttributeByName("x")->Value, "1");
    // Depth first: b's child c is found before r's own c.
    EXPECT_EQ(r->FindChildByName("c")->Parent->Name, "b");
    EXPECT_EQ(document.FindChildByName("r"), r);
    EXPECT_EQ(r->FindChildByName("r"), nullptr);

    r->DeleteChild(7);
    r->DeleteChild(-1);
    r->DeleteChildByName("b");
    EXPECT_EQ(Dump(*r), "r[a{x=\"1\" x=\"2\"} c{y=\"3\"}]");
    r->GetChild(0)->DeleteAttributeByName("x");
    EXPECT_EQ(r->GetChild(0)->GetAttributeByName("x")->Value, "2");
    EXPECT_EQ(r->LastChild()->Name, "c");
    r->ClearChildren();
    EXPECT_THROW(r->LastChild(), EQelXmlError);
}

TEST(XmlElements, AssignCopiesDeeply)
{
    TQelParser source;
    source.LoadFromText("<a k=\"v\">t<b><c/></b></a>");
    TQelXMLTag target("old", nullptr, "old");
    target.AddChild("gone");
    target.Assign(source.GetChild(0));
    EXPECT_EQ(Dump(target), "a{k=\"v\"}\"t\"[b[c]]");
    EXPECT_EQ(target.GetChild(0)->Parent, &target);
    target.Assign(nullptr);
    EXPECT_EQ(Dump(target), "a{k=\"v\"}\"t\"[b[c]]");
}

struct SelectorCase {
    const char* selector;
    int found;  // index of the child found, -1 for none
};

TEST(XmlSelectors, FindChild)
{
    TQelParser document;
    document.LoadFromText("<x n=\"0\">a</x><x n=\"1\">b</x><o c=\"TQelDefaults\"/>");
    const SelectorCase cases[] = {
        {"x", 0},
        {"x[1]", 1},          // only the second child is tested
        {"x[7]", 0},          // out of range: every child is tested
        {"x[z]", 0},          // not a number: every child is tested
        {"o[1]", -1},         // the child at 1 is not an "o"
        {"x\"b\"", 1},
        {"x(n\"1\")", 1},
        {"o(c\"TQelDefaults\")", 2},
        {"(c\"TQelDefaults\")", 2},
        {"o(c\"Other\")", -1},
        {"y", -1},
        {"", 0},
    };
    for (const SelectorCase& c : cases) {
        TQelXMLTag* found = document.FindChild(c.selector);
        EXPECT_EQ(found ? static_cast<int>(std::find_if(document.Children.begin(), document.Children.end(),
                                                        [&](const auto& p) { return p.get() == found; }) -
                                           document.Children.begin())
                        : -1,
                  c.found)
            << c.selector;
    }
    TQelXMLTag empty("e", nullptr, {});
    EXPECT_EQ(empty.FindChild("x"), nullptr);
}

TEST(XmlSelectors, FindAttribute)
{
    TQelParser document;
    document.LoadFromText("<a x=\"1\" y=\"2\" x=\"3\"/><b/>");
    TQelXMLTag* a = document.GetChild(0);
    EXPECT_EQ(a->FindAttribute("x")->Value, "1");
    EXPECT_EQ(a->FindAttribute("x\"3\"")->Value, "3");
    EXPECT_EQ(a->FindAttribute("[1]")->Name, "y");
    EXPECT_EQ(a->FindAttribute("x[1]"), nullptr);
    EXPECT_EQ(document.GetChild(1)->FindAttribute("x"), nullptr);
}

TEST(XmlHelpers, PositionsAndExtraction)
{
    EXPECT_EQ(PosFrom("b", "abcb", 1), 2u);
    EXPECT_EQ(PosFrom("b", "abcb", 3), 4u);
    EXPECT_EQ(PosFrom("b", "abcb", 5), 0u);
    EXPECT_EQ(PosFrom("cbx", "abcb", 1), 0u);
    EXPECT_EQ(ExtractBetween("f(a)b(c)", "(", ")", 1), "a");
    EXPECT_EQ(ExtractBetween("f(a)b(c)", "(", ")", 3), "c");
    EXPECT_EQ(ExtractBetween("\"x\"", "\"", "\"", 1), "x");
    EXPECT_EQ(ExtractBetween("no brackets", "(", ")", 1), "");
    EXPECT_EQ(NormalizeSpaces("a\r\nb\tc\rd  e"), "a b c\rd  e");
    EXPECT_EQ(DecodeEntities("&lt;&gt;&amp;&apos;&quot;&amp;lt;"), "<>&'\"&lt;");
    EXPECT_EQ(EncodeEntities("<>&'\""), "&lt;&gt;&amp;&apos;&quot;");
}

TEST(XmlHelpers, XMLStrToFloatIgnoresTheLocale)
{
    // A locale with a decimal comma, where one is installed, must not change the reading.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    for (const char* locale : {"de_DE.UTF-8", "fr_FR.UTF-8", "C"})
        if (std::setlocale(LC_NUMERIC, locale))
            break;
    EXPECT_DOUBLE_EQ(XMLStrToFloat(" 0.25 "), 0.25);
    EXPECT_DOUBLE_EQ(XMLStrToFloat("-3.5"), -3.5);
    EXPECT_DOUBLE_EQ(XMLStrToFloat("+2"), 2.0);
    EXPECT_DOUBLE_EQ(XMLStrToFloat("1e2"), 100.0);
    EXPECT_DOUBLE_EQ(XMLStrToFloat("0,25"), 0.0);
    EXPECT_DOUBLE_EQ(XMLStrToFloat(""), 0.0);
    EXPECT_DOUBLE_EQ(XMLStrToFloat("abc"), 0.0);
    EXPECT_DOUBLE_EQ(XMLStrToFloat("nan"), 0.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
