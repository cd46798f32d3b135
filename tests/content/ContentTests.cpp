// The built game.zxc against the names the game loads by fixed name: present and decodable.
#include "tools/contentcheck/ContentCheck.h"

#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

class ContentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { source_ = new TDataSource(std::make_unique<TFileFolder>(GLIM_ARCHIVE)); }
    static void TearDownTestSuite()
    {
        delete source_;
        source_ = nullptr;
    }
    static std::vector<uint8_t> Entry(const std::string& name)
    {
        auto bytes = source_->Read(name);
        return bytes ? *bytes : std::vector<uint8_t>{};
    }
    static TQelXMLTag* Parse(const std::string& name, TQelParser& doc)
    {
        std::vector<uint8_t> bytes = Entry(name);
        doc.LoadFromText(std::string(bytes.begin(), bytes.end()));
        return doc.ChildCount() ? doc.GetChild(0) : nullptr;
    }
    static TDataSource* source_;
};

TDataSource* ContentTest::source_ = nullptr;

std::vector<std::string> FixedPictures()
{
    std::vector<std::string> names = {"LoadingScreen.jpg", "ProgressLine.png", "ProgressBar.png",
                                      "ProgressWindowH.png", "ProgressCards.png", "Cursor.png",
                                      "Title.jpg",         "QelUnicode.png",   "ComicSansMS_29.png",
                                      "MPanelClosed.png",  "TimeLine.png"};
    for (int n = 0; n <= 12; ++n)
        names.push_back("MPanel_" + std::to_string(n) + ".png");
    for (int n = 1; n <= 12; ++n)
        names.push_back(std::to_string(n) + ".png");
    return names;
}

TEST_F(ContentTest, EveryFixedPictureIsPresentUnderItsExactNameAndDecodes)
{
    std::vector<std::string> stored = source_->Names();
    for (const std::string& name : FixedPictures()) {
        SCOPED_TRACE(name);
        // The archive finds names ignoring case, the surface store does not: the stored
        // spelling must be the one the code asks for.
        EXPECT_NE(std::find(stored.begin(), stored.end(), name), stored.end());
        std::string why;
        EXPECT_TRUE(DecodesAsPicture(Entry(name), why)) << why;
    }
}

TEST_F(ContentTest, ClockPicturesAreSixtyPixelsSquareAndTheScreensFillTheDisplay)
{
    struct TSize {
        std::string Name;
        int Width, Height;
    };
    std::vector<TSize> sizes = {{"LoadingScreen.jpg", 800, 600}, {"Title.jpg", 800, 600}, {"MPanelClosed.png", 60, 60}};
    for (int n = 0; n <= 12; ++n)
        sizes.push_back({"MPanel_" + std::to_string(n) + ".png", 60, 60});
    for (const TSize& s : sizes) {
        SCOPED_TRACE(s.Name);
        std::vector<uint8_t> bytes = Entry(s.Name);
        ASSERT_GE(bytes.size(), 24u);
        if (bytes[0] == 0x89) {  // PNG: the size sits in the header chunk
            EXPECT_EQ((bytes[18] << 8) | bytes[19], s.Width);
            EXPECT_EQ((bytes[22] << 8) | bytes[23], s.Height);
        }
    }
}

TEST_F(ContentTest, TheFiveFontsParseAndNameThemselvesAsTheWidgetsExpect)
{
    const std::pair<const char*, const char*> fonts[] = {{"QelUnicode.xml", "QelUnicode"},
                                                         {"Artistik.xml", "Artistik"},
                                                         {"ArtistikDigits.xml", "ArtistikDigits"},
                                                         {"ComicSansMS_24.xml", "ComicSansMS_24"},
                                                         {"ComicSansMS_29.xml", "ComicSansMS_29"}};
    for (auto [file, name] : fonts) {
        SCOPED_TRACE(file);
        std::string why;
        EXPECT_TRUE(ParsesAsFont(Entry(file), source_, why)) << why;
        TQelParser doc;
        TQelXMLTag* font = Parse(file, doc);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->AttributeValue("Name"), name);
    }
    TQelParser doc;
    EXPECT_EQ(Parse("QelUnicode.xml", doc)->AttributeValue("Picture"), "QelUnicode.png");
    TQelParser doc29;
    EXPECT_EQ(Parse("ComicSansMS_29.xml", doc29)->AttributeValue("Picture"), "ComicSansMS_29.png");
}

TEST_F(ContentTest, InterfaceFontCoversTranslationsAndDigitFontCoversMoney)
{
    TQelParser doc;
    std::string metrics = Parse("QelUnicode.xml", doc)->AttributeValue("Metrics");
    TQelParser digitsDoc;
    std::string digits = Parse("ArtistikDigits.xml", digitsDoc)->AttributeValue("Metrics");
    auto has = [](const std::string& m, int code) {
        return ("," + m).find("," + std::to_string(code) + ":") != std::string::npos;
    };
    for (int code : {int('A'), int('z'), 0xE9, 0x141, 0x17E, 0x416, 0x44F, 0x20AC})
        EXPECT_TRUE(has(metrics, code)) << "QelUnicode lacks " << code;
    for (int code : {int('0'), int('9'), int(':'), int('+'), int('-'), int('%'), int('$'), int(','), 0x20AC})
        EXPECT_TRUE(has(digits, code)) << "ArtistikDigits lacks " << code;
}

TEST_F(ContentTest, EverySoundEventPlaysASampleThatDecodes)
{
    TQelParser doc;
    ASSERT_NE(Parse("Sounds.xml", doc), nullptr);
    for (const std::string& event : FixedSoundEvents()) {
        SCOPED_TRACE(event);
        std::function<const TQelXMLTag*(const TQelXMLTag*)> find = [&](const TQelXMLTag* t) -> const TQelXMLTag* {
            if (t->Name == event)
                return t;
            for (const auto& c : t->Children)
                if (const TQelXMLTag* f = find(c.get()))
                    return f;
            return nullptr;
        };
        const TQelXMLTag* tag = find(&doc);
        ASSERT_NE(tag, nullptr);
        std::string file(Trim(tag->Text)), why;
        double seconds = 0;
        EXPECT_TRUE(DecodesAsOgg(Entry(file), why, &seconds)) << file << ": " << why;
        EXPECT_GT(seconds, 0.01);
        EXPECT_LT(seconds, 4.0) << file << " is long for an event";
    }
}

TEST_F(ContentTest, TheWinJingleIsAnOggSampleUnderItsFixedName)
{
    std::string why;
    double seconds = 0;
    EXPECT_TRUE(DecodesAsOgg(Entry("tovrel_jingle.ogg"), why, &seconds)) << why;
    EXPECT_GT(seconds, 1.0);
}

TEST_F(ContentTest, EveryModuleOpensAndHasPhrasesToStartFrom)
{
    TQelParser doc;
    ASSERT_NE(Parse("MusicPattern.xml", doc), nullptr);
    std::vector<std::string> modules;
    for (const auto& entry : doc.GetChild(0)->Children)
        modules.push_back(entry->AttributeValue("Name"));
    EXPECT_GE(modules.size(), 6u) << "title, map, catalogue and three level tunes";
    for (const std::string& module : modules) {
        SCOPED_TRACE(module);
        std::string why;
        int orders = 0;
        double seconds = 0;
        EXPECT_TRUE(OpensAsModule(Entry(module), why, &orders, &seconds)) << why;
        EXPECT_GE(orders, 8) << "start patterns need several phrases to choose from";
        EXPECT_GT(seconds, 30.0);
    }
}

TEST_F(ContentTest, GameParamsBesideTheProgramIsPlainWithCrLfAndNamesPackedModules)
{
    auto bytes = ReadFileBytes(std::filesystem::path(GLIM_PROGRAM_DIR) / "GameParams.xml");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(IsPlainText(TMemoryStream(std::vector<uint8_t>(*bytes))))
        << "a plain GameParams.xml needs CR LF line ends, or the game unscrambles it into garbage";
    TQelParser doc;
    doc.LoadFromText(std::string(bytes->begin(), bytes->end()));
    ASSERT_GT(doc.ChildCount(), 0u);
    TQelXMLTag* root = doc.GetChild(0);
    EXPECT_EQ(root->Name, "GamePlayParams");
    for (const char* music : {"MusicInTitle", "MusicInMap", "MusicInCatalog"}) {
        TQelXMLTag* tag = root->GetChildByName(music);
        ASSERT_NE(tag, nullptr) << music;
        EXPECT_TRUE(source_->Exists(Trim(tag->Text))) << music;
    }
}

TEST_F(ContentTest, PreloadListStartsWithTheCursorAndNamesOnlyPackedPictures)
{
    std::vector<uint8_t> bytes = Entry("surfaces.dat");
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(Trim(first), "Cursor.png");
    for (std::string line; std::getline(lines, line);) {
        if (!Trim(line).empty()) {
            EXPECT_TRUE(source_->Exists(Trim(line))) << line;
        }
    }
}

TEST_F(ContentTest, TheStrictCheckOfTheWholeArchiveFindsNothing)
{
    std::filesystem::path program(GLIM_PROGRAM_DIR);
    TCheckReport report =
        CheckContent(*source_, {(program / "GameParams.xml").string(), (program / "options.cfg").string()});
    for (const std::string& error : report.Errors)
        ADD_FAILURE() << error;
    EXPECT_GT(report.Notes.size(), 80u);
}

}  // namespace
