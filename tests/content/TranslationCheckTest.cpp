// The translation check: the shipped translations give every caption in letters their
// fonts draw, and a translation that misses a caption or uses a letter its font lacks is
// refused with a line naming the widget.
#include "tools/contentcheck/CheckContext.h"
#include "tools/contentcheck/ContentCheck.h"
#include "tools/contentcheck/LoaderChecks.h"

#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> CheckOne(const TDataSource& source, const std::string& name, const std::string& text)
{
    TCheckContext context(source);
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    TCheckReport report;
    CheckTranslation(TCheckedFile{name, bytes, source, context, ""}, report);
    return report.Errors;
}

TEST(TranslationCheck, TheShippedTranslationsAreWholeAndDrawable)
{
    const TDataSource archive(std::make_unique<TFileFolder>(GLIM_ARCHIVE));
    const fs::path folder = fs::path(GLIM_PROGRAM_DIR) / "lng";
    int checked = 0;
    for (const char* name : {"deu.lng", "rus.lng"}) {
        std::ifstream in(folder / name, std::ios::binary);
        ASSERT_TRUE(in) << name << " is not beside the program";
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        for (const std::string& error : CheckOne(archive, name, text))
            ADD_FAILURE() << error;
        ++checked;
    }
    EXPECT_EQ(checked, 2);
}

class TranslationFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("glimmora-translation-check-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        // The smallest font of the game, with its picture, from the built archive.
        const TDataSource archive(std::make_unique<TFileFolder>(GLIM_ARCHIVE));
        for (const char* entry : {"QelUnicode.xml", "QelUnicode.png"}) {
            const auto bytes = archive.Read(entry);
            ASSERT_TRUE(bytes.has_value()) << entry;
            std::ofstream(folder_ / entry, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
        }
        std::ofstream(folder_ / "Glimmora.li") << R"(<QelInterface>
  <o c="TQelForm"><p n="Name">WTitle</p><p n="ParentName">none</p></o>
  <o c="TQelLabel"><p n="Name">WTitle_BPlay</p><p n="ParentName">WTitle</p><p n="FontName">QelUnicode</p><p n="Caption">Play</p></o>
  <o c="TQelLabel"><p n="Name">WTitle_BQuit</p><p n="ParentName">WTitle</p><p n="FontName">QelUnicode</p><p n="Caption">Quit</p></o>
  <o c="TQelLabel"><p n="Name">WTitle_LScore</p><p n="ParentName">WTitle</p><p n="FontName">QelUnicode</p><p n="Caption">1 000</p></o>
  <o c="TQelLabel"><p n="Name">WTitle_LCount</p><p n="ParentName">WTitle</p><p n="Caption">3</p></o>
  <o c="TQelLabel"><p n="Name">WTitle_LBags</p><p n="ParentName">WTitle</p><p n="FontName">QelUnicode</p>
    <p n="SourcesList">WTitle_LCount</p><p n="FormatCaption">Bags: %s1</p></o>
  <o c="TQelRadioButton"><p n="Name">WLanguage_RBENU</p><p n="ParentName">WTitle</p><p n="FontName">QelUnicode</p><p n="Caption">English</p></o>
</QelInterface>)";
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<std::string> Check(const std::string& name, const std::string& objects)
    {
        const TDataSource source(folder_);
        return CheckOne(source, name, "<QelModificator>" + objects + "</QelModificator>");
    }
    static std::string Caption(const std::string& widget, const std::string& text)
    {
        return "<o><p n=\"Name\">" + widget + "</p><p n=\"Caption\">" + text + "</p></o>";
    }

    fs::path folder_;
};

TEST_F(TranslationFixture, EveryCaptionWithWordsMustBeTranslated)
{
    // Numbers and the language buttons' own names need no translation.
    // A caption made from a format is translated through the format.
    const std::string bags = "<o><p n=\"Name\">WTitle_LBags</p><p n=\"FormatCaption\">Beutel: %s1</p></o>";
    EXPECT_TRUE(
        Check("deu.lng", Caption("WTitle_BPlay", "Spielen") + Caption("WTitle_BQuit", "Beenden") + bags).empty());
    const std::vector<std::string> errors = Check("deu.lng", Caption("WTitle_BPlay", "Spielen"));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("WTitle_BQuit"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("WTitle_LBags"), std::string::npos) << errors[1];
    // A file of level texts is no translation of the windows.
    EXPECT_TRUE(Check("deu_levels.lng", Caption("WTitle_BPlay", "Spielen")).empty());
}

TEST_F(TranslationFixture, ALetterTheFontLacksIsNamed)
{
    // Cyrillic and Latin Extended-A are in the font; Thai is not.
    const std::string bags = "<o><p n=\"Name\">WTitle_LBags</p><p n=\"FormatCaption\">Мешки: %s1</p></o>";
    EXPECT_TRUE(Check("rus.lng", Caption("WTitle_BPlay", "Играть") + Caption("WTitle_BQuit", "Wyjść") + bags).empty());
    const std::vector<std::string> errors =
        Check("tha.lng", Caption("WTitle_BPlay", "เล่น") + Caption("WTitle_BQuit", "Quit") +
                             "<o><p n=\"Name\">WTitle_LBags</p><p n=\"FormatCaption\">%s1</p></o>");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("WTitle_BPlay"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("QelUnicode"), std::string::npos) << errors[0];
}

}  // namespace
