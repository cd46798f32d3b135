// The interface's languages and the logo links: which files make the language list and a
// translation, where the buttons stand, the stored choice, switching the shipped game to
// German and back, and which logo links reach the desktop's opener.
#include "AppDoubles.h"
#include "GameRig.h"
#include "app/ScreenSet.h"
#include "graphics/SurfEngine.h"
#include "interface/QelLabel.h"
#include "screens/LanguageWindow.h"
#include "screens/LogoLinks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kLoadFrames = 600;

// The file with its folders made first.
void WriteFile(const fs::path& file, std::string_view text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string ReadText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// ---- The language files ------------------------------------------------------------------

TEST(LanguageFiles, TheListIsOrderedByTheNumberAfterTheCode)
{
    struct TCase {
        const char* What;
        std::vector<std::string> Names;  // in scan order
        std::vector<std::string> Codes;
    };
    const TCase cases[] = {
        {"numbers order the buttons", {"deu_2.lng", "fra_1.lng"}, {"fra", "deu"}},
        {"no number counts as 0", {"deu_1.lng", "rus.lng"}, {"rus", "deu"}},
        {"equal numbers keep the scan order", {"deu.lng", "fra.lng", "rus.lng"}, {"deu", "fra", "rus"}},
        {"a word after the code is not a number", {"deu_levels.lng", "fra_1.lng"}, {"deu", "fra"}},
        {"scene files are not listed", {"deu_scn.lng", "fra.lng"}, {"fra"}},
        {"codes are lower-cased", {"DEU.LNG"}, {"deu"}},
        {"a name shorter than a code is no language", {"ab.lng"}, {}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ListedLanguages(c.Names), c.Codes) << c.What;
}

TEST(LanguageFiles, LevelsFilesAreListedButNotApplied)
{
    const std::vector<std::string> names = {"DEU_2.lng", "deu_levels.lng", "deu_pictures.lng", "fra.lng"};
    EXPECT_EQ(TranslationFiles(names, "deu"), (std::vector<std::string>{"DEU_2.lng", "deu_pictures.lng"}));
    EXPECT_EQ(TranslationFiles(names, "FRA"), std::vector<std::string>{"fra.lng"});
    EXPECT_TRUE(TranslationFiles(names, "rus").empty());
}

TEST(LanguageFiles, TheFolderGivesOnlyFilesEndingInLng)
{
    TTempFolder folder;
    for (const char* name : {"rus.lng", "Deu.LNG", "readme.txt", "fra.lng.bak"})
        folder.Write(name, "<QelModificator/>");
    EXPECT_EQ(LanguageFileNames(folder.Path()), (std::vector<std::string>{"Deu.LNG", "rus.lng"}));
    EXPECT_TRUE(LanguageFileNames(folder.Path() / "missing").empty());
}

TEST(LanguageSetting, IsWrittenAsItsOwnKeyAndKeepsTheOtherLines)
{
    TTempFolder folder;
    const fs::path file = folder.Write("settings.cfg", "; kept\r\n[Other]\r\nLangStr=xxx\r\n");
    EXPECT_EQ(ReadSettingValue(file, kSettingsSection, "LangStr"), std::nullopt);
    ASSERT_TRUE(WriteSettingValue(file, kSettingsSection, "LangStr", "deu"));
    ASSERT_TRUE(WriteSettingValue(file, kSettingsSection, "LangStr", "rus"));
    EXPECT_EQ(ReadSettingValue(file, "software\\orvanta\\GLIMMORA", "langstr"), "rus");
    EXPECT_EQ(ReadSettingValue(file, "Other", "LangStr"), "xxx");
    EXPECT_EQ(folder.Read("settings.cfg"), "; kept\r\n[Other]\r\nLangStr=xxx\r\n[Software\\Orvanta\\Glimmora]\r\nLangStr=rus\r\n");
}

// ---- The language window on a small interface ----------------------------------------------

// The language window alone, with the translations the test writes beside the program.
class TLanguageRig {
public:
    explicit TLanguageRig(const std::vector<std::string>& files, const std::string& stored = {})
    {
        rig.Program.Write("data/Glimmora.li", R"(<QelInterface Version="1.0">
  <o c="TQelForm"><p n="Name">WLanguage</p><p n="ParentName">none</p><p n="Width">480</p><p n="Height">380</p></o>
  <o c="TQelForm"><p n="Name">WLanguage_TFNames</p><p n="ParentName">WLanguage</p><p n="Width">440</p><p n="Height">150</p></o>
  <o c="TQelRadioButton"><p n="Name">WLanguage_RBENU</p><p n="ParentName">WLanguage_TFNames</p>
    <p n="Left">30</p><p n="Top">4</p><p n="Width">180</p><p n="Height">24</p><p n="RadioGroup">1</p>
    <p n="Caption">English</p></o>
  <o c="TQelLabel"><p n="Name">WLanguage_LTitle</p><p n="ParentName">WLanguage</p><p n="Caption">Language</p></o>
  <o c="TQelLabel"><p n="Name">WLanguage_BOk</p><p n="ParentName">WLanguage</p><p n="Picture">Ok.png</p>
    <p n="OnMouseUp">ExecMethod Method="WLanguage_BOk_MouseUp";</p></o>
</QelInterface>)");
        for (const std::string& name : files)
            WriteFile(rig.Program.Path() / "lng" / name, Translation(name.substr(0, 3)));
        fs::create_directories(rig.UserFolder());
        if (!stored.empty())
            WriteSettingValue(rig.UserFolder() / "settings.cfg", kSettingsSection, "LangStr", stored);
        Engine = rig.Start();
        Engine->FormActivate();
    }
    // A translation whose title names its own code.
    static std::string Translation(const std::string& code)
    {
        return "<QelModificator><o><p n=\"Name\">WLanguage_LTitle</p><p n=\"Caption\">Title " + code +
               "</p></o></QelModificator>";
    }
    TLanguageWindow& Window() { return Engine->AllScreens()->Language; }
    std::string Value(const std::string& widget, const std::string& property) const
    {
        return VariantToString(Engine->Interface()->GetObjectValue(widget, property));
    }
    std::string Stored() const { return rig.UserFile("settings.cfg"); }
    bool Shown(const std::string& window) const
    {
        const auto* form = dynamic_cast<const TQelForm*>(Engine->Interface()->GetObjectByName(window));
        return form && Engine->Interface()->IsShown(form);
    }

    TShellRig rig;
    std::unique_ptr<TQelGameEngine> Engine;
};

TEST(LanguageWindow, ButtonsStandInColumnsOfFiveBesideEnglish)
{
    const std::vector<std::string> codes = {"aaa", "bbb", "ccc", "ddd", "eee", "fff", "ggg", "hhh"};
    std::vector<std::string> files;
    for (size_t i = 0; i < codes.size(); ++i)
        files.push_back(codes[i] + "_" + std::to_string(i + 1) + ".lng");
    TLanguageRig rig(files);
    struct TPlace {
        const char* Button;
        int Left;
        int Top;
    };
    // English stands at 30, 4; five below it, then a column 200 to the right level with it.
    const TPlace places[] = {
        {"WLanguage_RBENU", 30, 4},   {"WLanguage_RBAAA", 30, 28},  {"WLanguage_RBBBB", 30, 52},
        {"WLanguage_RBCCC", 30, 76},  {"WLanguage_RBDDD", 30, 100}, {"WLanguage_RBEEE", 30, 124},
        {"WLanguage_RBFFF", 230, 4},  {"WLanguage_RBGGG", 230, 28}, {"WLanguage_RBHHH", 230, 52},
    };
    for (const TPlace& p : places) {
        EXPECT_EQ(rig.Value(p.Button, "Left"), std::to_string(p.Left)) << p.Button;
        EXPECT_EQ(rig.Value(p.Button, "Top"), std::to_string(p.Top)) << p.Button;
        EXPECT_EQ(rig.Value(p.Button, "Width"), "180") << p.Button;
        EXPECT_EQ(rig.Value(p.Button, "Visible"), "True") << p.Button;
    }
    // A copy of English with its own name: German would read "Deutsch", unknown codes their code.
    EXPECT_EQ(rig.Value("WLanguage_RBAAA", "Caption"), "AAA");
    EXPECT_EQ(rig.Value("WLanguage_RBAAA", "RadioGroup"), "1");
}

TEST(LanguageWindow, TheStoredCodeIsAppliedAndAnUnknownOneFallsBackToEnglish)
{
    {
        TLanguageRig rig({"deu.lng", "rus.lng"}, "RUS");
        EXPECT_EQ(rig.Window().LanguageCode, "rus");
        EXPECT_EQ(rig.Value("WLanguage_LTitle", "Caption"), "Title rus");
        EXPECT_EQ(rig.Value("WLanguage_RBRUS", "Checked"), "True");
        EXPECT_EQ(rig.Engine->Shell.Language, "RUS");
    }
    {
        TLanguageRig rig({"deu.lng"}, "xyz");
        EXPECT_EQ(rig.Window().LanguageCode, "enu");
        EXPECT_EQ(rig.Value("WLanguage_LTitle", "Caption"), "Language");
        EXPECT_EQ(rig.Value("WLanguage_RBENU", "Checked"), "True");
        EXPECT_NE(rig.Stored().find("LangStr=enu"), std::string::npos) << rig.Stored();
    }
}

TEST(LanguageWindow, ALevelsFileIsListedButNeverApplied)
{
    TLanguageRig rig({"deu_levels.lng"}, "deu");
    EXPECT_EQ(rig.Value("WLanguage_RBDEU", "Visible"), "True");
    EXPECT_EQ(rig.Value("WLanguage_LTitle", "Caption"), "Language");
    EXPECT_EQ(rig.Window().LanguageCode, "enu");
}

TEST(LanguageWindow, OkSwitchesAndStoresAndTheSameLanguageOnlyCloses)
{
    TLanguageRig rig({"deu.lng", "rus.lng"});
    TQelInterfaceEngine& ui = *rig.Engine->Interface();
    ui.ShowModal("WLanguage");
    ui.SetObjectProperty("WLanguage_RBDEU", "Checked", "True");
    rig.Window().WLanguage_BOk_MouseUp();
    EXPECT_EQ(rig.Value("WLanguage_LTitle", "Caption"), "Title deu");
    EXPECT_NE(rig.Stored().find("LangStr=deu"), std::string::npos) << rig.Stored();
    EXPECT_FALSE(rig.Shown("WLanguage"));

    // Back to English: the interface file's captions come back.
    ui.ShowModal("WLanguage");
    ui.SetObjectProperty("WLanguage_RBENU", "Checked", "True");
    rig.Window().WLanguage_BOk_MouseUp();
    EXPECT_EQ(rig.Value("WLanguage_LTitle", "Caption"), "Language");
    EXPECT_NE(rig.Stored().find("LangStr=enu"), std::string::npos) << rig.Stored();

    // Nothing to change: the setting file is not written again.
    fs::remove(rig.rig.UserFolder() / "settings.cfg");
    ui.ShowModal("WLanguage");
    rig.Window().WLanguage_BOk_MouseUp();
    EXPECT_FALSE(fs::exists(rig.rig.UserFolder() / "settings.cfg"));
    EXPECT_FALSE(rig.Shown("WLanguage"));
}

TEST(LanguageWindow, TranslatedPicturesLoadUnderTheirOwnNamesFromBareNamesOnly)
{
    TLanguageRig rig(std::vector<std::string>{});
    const fs::path lng = rig.rig.Program.Path() / "lng";
    // A real picture: a small PNG made by the surface engine itself.
    TSurfEngine& surfaces = rig.Engine->SurfEngine();
    surfaces.NewSurface("Tiny", 2, 2);
    std::vector<uint8_t> png;
    ASSERT_TRUE(surfaces.SaveSurfaceToPng("Tiny", png));
    WriteFile(lng / "Ok_deu.png", std::string(png.begin(), png.end()));
    rig.rig.Program.Write("outside.png", std::string(png.begin(), png.end()));
    surfaces.NewSurface("Ok.png", 2, 2);
    const std::string file = R"(<QelModificator><o><p n="Name">WLanguage_BOk</p><p n="Picture">Ok_deu.png</p></o></QelModificator>
<QelInterface>
  <o c="TQelDefaults"><p n="DefLine">TQelLabel;Picture;First.png</p></o>
  <o c="TQelLabel"><p n="Name">WLanguage_BOk</p><p n="Picture">Ok_deu.png</p>
    <p n="MouseOverPicture">../outside.png</p><p n="MouseDownPicture">/etc/passwd</p></o>
</QelInterface>)";
    WriteFile(lng / "deu.lng", file);
    rig.Window().LanguageCode = "deu";
    rig.Window().ApplyLanguage();
    EXPECT_GE(surfaces.IndexOfSurface("Ok_deu.png"), 0);
    // The English picture stays for whoever still shows it.
    EXPECT_GE(surfaces.IndexOfSurface("Ok.png"), 0);
    EXPECT_LT(surfaces.IndexOfSurface("../outside.png"), 0);
    EXPECT_EQ(rig.Value("WLanguage_BOk", "Picture"), "Ok_deu.png");
    rig.Window().LanguageCode = "enu";
    rig.Window().ApplyLanguage();
    EXPECT_EQ(rig.Value("WLanguage_BOk", "Picture"), "Ok.png");
}

// ---- The shipped game in German -------------------------------------------------------------

TEST(LanguageGame, GermanFromTheTitleWritesTheSettingAndEnglishComesBackWhole)
{
    TGameRig game;
    ASSERT_TRUE(game.RunUntil([&] { return game.TopWindow() == "WYourName"; }, kLoadFrames)) << game.TopWindow();
    game.Engine->Interface()->SetObjectProperty("WYourName_EYourName", "Text", "Ann");
    game.Click("WYourName_BOk");
    game.Frames(2);
    const std::string englishPlay = game.Value("WTitle_BPlay");
    auto missingPictures = [&] {
        std::vector<std::string> missing;
        for (const std::string& picture : game.Engine->Interface()->GetPicturesList())
            if (game.Engine->SurfEngine().IndexOfSurface(picture) < 0)
                missing.push_back(picture);
        return missing;
    };
    const std::vector<std::string> missingInEnglish = missingPictures();

    game.Click("WTitle_BLanguage");
    game.Frames(2);
    ASSERT_EQ(game.TopWindow(), "WLanguage");
    game.Click("WLanguage_RBDEU");
    game.Click("WLanguage_BOk");
    game.Frames(2);
    EXPECT_NE(game.Trace.Lines.end(),
              std::find(game.Trace.Lines.begin(), game.Trace.Lines.end(), "exec WLanguage_BOk_MouseUp"));
    const std::string settings = ReadText(game.UserFolder() / "settings.cfg");
    EXPECT_NE(settings.find("LangStr=deu"), std::string::npos) << settings;
    EXPECT_EQ(game.Value("WTitle_BPlay"), "Spielen");
    EXPECT_EQ(game.Value("WTitle_BOptions"), "Optionen");
    // The welcome line the game wrote for the player is written again in German.
    EXPECT_EQ(game.Value("WTitle_LWelcome"), "Willkommen, Ann");
    EXPECT_EQ(game.Value("WDialogText_1_1_1").rfind("Willkommen bei Glimmora!", 0), 0u);

    game.Click("WTitle_BLanguage");
    game.Frames(2);
    game.Click("WLanguage_RBENU");
    game.Click("WLanguage_BOk");
    game.Frames(2);
    EXPECT_EQ(game.Value("WTitle_BPlay"), englishPlay);
    EXPECT_EQ(game.Value("WTitle_LWelcome"), "Welcome, Ann");
    // Every picture a window named before is still there to be drawn.
    EXPECT_EQ(missingPictures(), missingInEnglish);
}

// ---- Logo links ----------------------------------------------------------------------------

TEST(LogoLinks, OnlyWebAddressesAndDocumentsOfTheProgramFolderOpen)
{
    TShellRig rig;
    rig.Program.Write("data/Glimmora.li", R"(<QelInterface Version="1.0">
  <o c="TQelForm"><p n="Name">WTitle</p><p n="ParentName">none</p><p n="Width">800</p><p n="Height">600</p></o>
</QelInterface>)");
    rig.Program.Write("about.html", "<html></html>");
    rig.Program.Write("glimmora.desktop", "[Desktop Entry]\nExec=sh\n");
    rig.Program.Write("AddLogo.xml", R"(<Logos>
  <Logo><URL Source="web">https://orvanta.example/glimmora</URL><Position x="10" y="20"/><Parent>WTitle</Parent><Caption>Orvanta</Caption></Logo>
  <Logo><URL>about.html</URL><Position x="10" y="40"/><Parent>WTitle</Parent><Caption>About</Caption></Logo>
  <Logo><URL>../../bin/sh</URL><Position x="10" y="60"/><Parent>WTitle</Parent><Caption>a</Caption></Logo>
  <Logo><URL Source="web">/etc/passwd</URL><Position x="10" y="80"/><Parent>WTitle</Parent><Caption>b</Caption></Logo>
  <Logo><URL Source="web">file:///</URL><Position x="10" y="100"/><Parent>WTitle</Parent><Caption>c</Caption></Logo>
  <Logo><URL Source="web">javascript:alert(1)</URL><Position x="10" y="120"/><Parent>WTitle</Parent><Caption>d</Caption></Logo>
  <Logo><URL>glimmora.desktop</URL><Position x="10" y="140"/><Parent>WTitle</Parent><Caption>e</Caption></Logo>
  <Logo><URL>/etc/passwd</URL><Position x="10" y="160"/><Parent>WTitle</Parent><Caption>f</Caption></Logo>
  <Logo><URL Source="registry">HKEY_CURRENT_USER\Software\Orvanta\Glimmora.NoSuchValue</URL><Position x="10" y="180"/><Parent>WTitle</Parent><Caption>g</Caption></Logo>
  <Logo><URL>about.html</URL><Position x="10"/><Parent>WTitle</Parent></Logo>
  <Logo><URL>about.html</URL><Position x="10" y="10"/><Parent>WNoSuchForm</Parent></Logo>
</Logos>)");
    std::unique_ptr<TQelGameEngine> engine = rig.Start();
    engine->FormActivate();
    TQelInterfaceEngine& ui = *engine->Interface();
    EXPECT_EQ(VariantToString(ui.GetObjectValue("AddLogo0", "Top")), "20");
    EXPECT_EQ(VariantToString(ui.GetObjectValue("AddLogo1", "Caption")), "About");
    EXPECT_EQ(ui.GetObjectByName("AddLogo9"), nullptr) << "no y";
    EXPECT_EQ(ui.GetObjectByName("AddLogo10"), nullptr) << "no such parent";
    // Only the labels that exist can be clicked.
    for (int i = 0; i <= 8; ++i) {
        ui.AddScript("AddLogo" + std::to_string(i), "ExecMethod Method=\"AddLogoMouseUp\";");
        ui.RunScripts();
    }
    const std::string page = "file://" + (fs::absolute(rig.Program.Path()) / "about.html").lexically_normal().string();
    EXPECT_EQ(rig.Urls.Opened, (std::vector<std::string>{"https://orvanta.example/glimmora", page}));

    // Read again after a display change: the labels are reused.
    const size_t objects = ui.Objects.size();
    engine->AllScreens()->Logos.LoadLogoLinks();
    EXPECT_EQ(ui.Objects.size(), objects);
}

TEST(LogoLinks, TheSafetyTestByKindOfTarget)
{
    TTempFolder program;
    program.Write("page.htm", "x");
    program.Write("run.sh", "x");
    program.Write("good.url", "[InternetShortcut]\r\nURL=https://example.org/\r\n");
    program.Write("bad.url", "[InternetShortcut]\r\nURL=file:///bin/sh\r\n");
    struct TCase {
        TLogoLink Link;
        bool Opens;
    };
    const TCase cases[] = {
        {{"http://example.org/a b", false}, false},  // a space ends an address early
        {{"HTTPS://example.org/", false}, true},
        {{"mailto:shop@example.org", false}, true},
        {{"ftp://example.org/", false}, false},
        {{"", false}, false},
        {{"page.htm", true}, true},
        {{"missing.htm", true}, false},
        {{"run.sh", true}, false},
        {{"sub/page.htm", true}, false},
        {{"..", true}, false},
        {{"good.url", true}, true},
        {{"bad.url", true}, false},
        {{"https://example.org/", true}, false},  // a name of the program folder, not an address
    };
    for (const TCase& c : cases) {
        std::string why;
        EXPECT_EQ(SafeLinkTarget(c.Link, program.Path(), &why).has_value(), c.Opens) << c.Link.Target << ": " << why;
    }
    EXPECT_EQ(SafeLinkTarget({"good.url", true}, program.Path()), "https://example.org/");
}

}  // namespace
