// The dialog-script check on a small data folder: a clean script passes, and each kind of
// fault a script can carry into the game is refused with a line naming it.
#include "tools/contentcheck/CheckContext.h"
#include "tools/contentcheck/ContentCheck.h"
#include "tools/contentcheck/LoaderChecks.h"

#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kInterface = R"(<QelInterface>
  <o c="TQelForm"><p n="Name">WGame</p><p n="ParentName">none</p></o>
  <o c="TQelEffectLabel"><p n="Name">WGame_TFDialog_LText</p><p n="ParentName">WGame</p></o>
  <o c="TQelLabel"><p n="Name">WGame_BSkip</p><p n="ParentName">WGame</p></o>
  <o c="TQelLabel"><p n="Name">WDialogText_Hello</p><p n="ParentName">WGame</p></o>
  <o c="TQelForm"><p n="Name">WGame_RLPopUpHint_LeftBottom</p><p n="ParentName">WGame</p></o>
  <o c="TQelLabel"><p n="Name">WGame_RLPopUpHint_LeftBottom_LText</p><p n="ParentName">WGame</p></o>
  <o c="TQelForm"><p n="Name">WGame_RLPopUpHint_LeftTop</p><p n="ParentName">WGame</p></o>
  <o c="TQelLabel"><p n="Name">WGame_RLPopUpHint_LeftTop_LText</p><p n="ParentName">WGame</p></o>
  <o c="TQelForm"><p n="Name">WGame_RLPopUpHint_RightBottom</p><p n="ParentName">WGame</p></o>
  <o c="TQelLabel"><p n="Name">WGame_RLPopUpHint_RightBottom_LText</p><p n="ParentName">WGame</p></o>
  <o c="TQelForm"><p n="Name">WGame_RLPopUpHint_RightTop</p><p n="ParentName">WGame</p></o>
</QelInterface>)";

constexpr const char* kSounds = "<Sounds><Interface><Click>click.ogg</Click></Interface></Sounds>";

class DialogCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("glimmora-dialog-check-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        Write("Glimmora.li", kInterface);
        Write("Sounds.xml", kSounds);
        Write("efSpark.xml", "<ParticleEffect />");
        TDataSource archive(std::make_unique<TFileFolder>(GLIM_ARCHIVE));
        const auto picture = archive.Read("Keeper_Smile.png");
        ASSERT_TRUE(picture.has_value());
        std::ofstream(folder_ / "Keeper_Smile.png", std::ios::binary)
            .write(reinterpret_cast<const char*>(picture->data()), static_cast<std::streamsize>(picture->size()));
    }
    void TearDown() override { fs::remove_all(folder_); }
    void Write(const std::string& name, const std::string& text) { std::ofstream(folder_ / name) << text; }

    // The error lines of the check of one script.
    std::vector<std::string> Check(const std::string& lines)
    {
        const std::string text = "<Dialog>" + lines + "</Dialog>";
        const std::vector<uint8_t> bytes(text.begin(), text.end());
        TDataSource source(folder_);
        TCheckContext context(source);
        const TCheckedFile file{"Script_Test.xml", bytes, source, context, {}};
        TCheckReport report;
        CheckDialogScript(file, report);
        return report.Errors;
    }

    fs::path folder_;
};

TEST_F(DialogCheck, EveryNameAScriptReachesMustBeThere)
{
    const std::string clean =
        R"(<CreatePicture ID="K" FileName="Keeper_Smile.png" Visible="true" />)"
        R"(<ChangeInterfaceObject InterfaceObject="WGame_TFDialog_LText" Caption="WDialogText_Hello" />)"
        R"(<PlaySound FileName="Click" /><CreateEffect FileName="efSpark.xml" />)"
        R"(<CreateButton InterfaceObject="WGame_BSkip" /><Pause Mouse="Left" /><StopSound /><EndForSkip />)";
    EXPECT_EQ(Check(clean), std::vector<std::string>{});

    struct TCase {
        const char* Title;
        std::string Lines;
        const char* Expected;  // part of the one error line
    };
    const TCase cases[] = {
        {"unknown command", R"(<ShowPicture ID="K" />)", "unknown command"},
        {"missing picture", R"(<CreatePicture ID="K" FileName="Nobody.png" />)",
         "the picture \"Nobody.png\" is not in the archive"},
        {"missing effect", R"(<CreateEffect FileName="efNone.xml" />)", "the effect \"efNone.xml\" is not in the archive"},
        {"unknown sound event", R"(<PlaySound FileName="Bang" />)", "the sound event \"Bang\" has no sound"},
        {"missing widget", R"(<ChangeInterfaceObject InterfaceObject="WGame_LNone" Visible="true" />)",
         "the widget \"WGame_LNone\" is not a widget"},
        {"missing caption source", R"(<ChangeInterfaceObject InterfaceObject="WGame_TFDialog_LText" Caption="WNone" />)",
         "the caption source \"WNone\""},
        {"hint balloon text missing on one balloon",
         R"(<ChangeInterfaceObject InterfaceObject="WGame_RLPopUpHint_LText" Caption="" />)",
         "\"WGame_RLPopUpHint_RightTop_LText\" is not a widget"},
        {"skip without EndForSkip", R"(<CreateButton InterfaceObject="WGame_BSkip" />)", "no EndForSkip line"},
        {"pause nothing can end", R"(<Pause />)", "a pause with Time 0 that no press or key can end"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Title);
        const std::vector<std::string> errors = Check(c.Lines);
        ASSERT_EQ(errors.size(), 1U) << ::testing::PrintToString(errors);
        EXPECT_NE(errors[0].find(c.Expected), std::string::npos) << errors[0];
    }
}

}  // namespace
