// The built game.zxc against the names the game loads by fixed name: present and decodable.
#include "tools/contentcheck/ContentCheck.h"

#include "foundation/Clock.h"
#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "foundation/Services.h"
#include "foundation/Text.h"
#include "interface/QelInterfaceClasses.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelRecordingHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

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
                                      "MPanelClosed.png",  "TimeLine.png",     "UnderBonusMoney.png"};
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

// ---- The interface file joined from the window fragments ---------------------------------

// Glimmora.li as the game loads it, on a recording host; the names ExecMethod calls and the
// engine's log lines are kept.
struct TShippedInterface {
    explicit TShippedInterface(const TDataSource& source) : Log("", Clock, false)
    {
        Log.Enabled = true;
        Log.Listener = [this](const std::string& line) { LogLines.push_back(line); };
        SetEngineLog(&Log);
        RegisterInterfaceClasses(Classes);
        Methods.OnCall = [this](const std::string& name) { Called.push_back(name); };
        Engine.Host = &Host;
        Engine.FontEngine = &Fonts;
        Engine.HostForm = &Methods;
        Engine.MessageBox = &Boxes;
        // As in the game: effect widgets read their effect files from the same data.
        Engine.InterfaceFolder = &source;
        Engine.LoadFromSource(source, "Glimmora.li");
    }
    ~TShippedInterface() { SetEngineLog(nullptr); }

    // The left button pressed and released over the middle of the widget, then the scripts
    // that queued.
    void Click(const std::string& widget)
    {
        auto* object = dynamic_cast<TQelInterfaceObject*>(Engine.GetObjectByName(widget));
        ASSERT_NE(object, nullptr) << widget;
        const int32_t x = object->AbsLeft + object->Width() / 2, y = object->AbsTop + object->Height() / 2;
        Engine.MouseMove({TQelMouseButton::Left, 0, x, y});
        Engine.MouseDown({TQelMouseButton::Left, QelShift::kLeft, x, y});
        Engine.MouseUp({TQelMouseButton::Left, 0, x, y});
        Engine.RunScripts();
    }
    std::string Value(const std::string& object, const std::string& prop) const
    {
        return VariantToString(Engine.GetObjectValue(object, prop));
    }
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> names;
        for (const TQelForm* form : Engine.ModalList)
            names.push_back(form->Name());
        return names;
    }

    TManualClock Clock;
    TQelLog Log;
    TQelClassReg Classes;
    TQelRecordingHost Host;
    TQelFontList Fonts;
    TQelMethodTable Methods;
    TRecordingMessageBox Boxes;
    TQelInterfaceEngine Engine{Classes};
    std::vector<std::string> Called, LogLines;
};

TEST_F(ContentTest, InterfaceFileOpensWithTheDefaultLinesAndLoadsWithoutALogLine)
{
    // The engine takes the file's first object for the defaults and skips it when applying
    // values; a window joined before Defaults.xml would lose its first object's values.
    TQelParser doc;
    TQelXMLTag* root = Parse("Glimmora.li", doc);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->Name, "QelInterface");
    ASSERT_FALSE(root->Children.empty());
    EXPECT_EQ(root->Children.front()->AttributeValue("c"), "TQelDefaults");

    TShippedInterface ui(*source_);
    EXPECT_TRUE(ui.LogLines.empty()) << ui.LogLines.front();
    EXPECT_TRUE(ui.Boxes.Boxes.empty());
}

TEST_F(ContentTest, EveryButtonOfTheFirstScreensCallsItsHandlerAndOpensOrClosesItsWindow)
{
    struct TCase {
        std::vector<std::string> Open;  // the windows shown first, bottom to top
        std::string Widget;
        std::vector<std::string> Calls;
        std::vector<std::string> ShownAfter;
    };
    const std::vector<TCase> cases = {
        {{"WTitle"}, "WTitle_BPlay", {"WTitle_BPlay_MouseUp"}, {"WTitle"}},
        {{"WTitle"}, "WTitle_BInstructions", {"WTitle_BInstructions_MouseUp"}, {"WTitle"}},
        {{"WTitle"}, "WTitle_BOptions", {"WTitle_BOptions_MouseUp"}, {"WTitle", "WOptions"}},
        {{"WTitle"}, "WTitle_BHighScores", {"WTitle_BHighScores_MouseUp"}, {"WTitle", "WHighScores"}},
        {{"WTitle"}, "WTitle_BQuit", {"WTitle_BQuit_MouseUp"}, {"WTitle"}},
        {{"WTitle"}, "WTitle_BChangePlayer", {"WTitle_BChangePlayer_MouseUp"}, {"WTitle", "WChangePlayer"}},
        {{"WTitle"}, "WTitle_BEdit", {"WTitle_BEdit_MouseUp"}, {"WTitle"}},
        {{"WTitle", "WOptions"}, "WOptions_BOk", {"WOptions_BOk_MouseUp"}, {"WTitle", "WOptions"}},
        {{"WTitle", "WOptions"}, "WOptions_BCancel", {"WOptions_BCancel_MouseUp"}, {"WTitle"}},
        {{"WTitle", "WOptions"}, "WOptions_CBFullScreen", {"WOptions_CBFullScreen_MouseUp"}, {"WTitle", "WOptions"}},
        {{"WTitle", "WOptions"}, "WOptions_CB32bitColor", {"WOptions_CB32bitColor_MouseUp"}, {"WTitle", "WOptions"}},
        {{"WTitle", "WOptions"}, "WOptions_CBHintsOff", {}, {"WTitle", "WOptions"}},
        {{"WTitle", "WOptions"}, "WOptions_CBStaySelect", {}, {"WTitle", "WOptions"}},
        {{"WTitle", "WQuit"}, "WQuit_BOk", {"WQuit_BOk_MouseUp"}, {"WTitle", "WQuit"}},
        {{"WTitle", "WQuit"}, "WQuit_BQuit", {"WQuit_BQuit_MouseUp"}, {"WTitle", "WQuit"}},
        {{"WTitle", "WQuit"}, "WQuit_BCancel", {}, {"WTitle"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Widget);
        TShippedInterface ui(*source_);
        for (const std::string& window : c.Open)
            ui.Engine.ShowModal(window);
        ui.Click(c.Widget);
        EXPECT_EQ(ui.Called, c.Calls);
        EXPECT_EQ(ui.Shown(), c.ShownAfter);
        EXPECT_TRUE(ui.Boxes.Boxes.empty());
    }
    // A check box click also flips the box the code reads.
    TShippedInterface ui(*source_);
    ui.Engine.ShowModal("WOptions");
    ui.Click("WOptions_CBHintsOff");
    EXPECT_EQ(ui.Value("WOptions_CBHintsOff", "Checked"), "True");
}

TEST_F(ContentTest, VolumeSlidersReportTheirChangesAndKeepToTheirRange)
{
    for (const std::string slider : {"WOptions_SMusicVolume", "WOptions_SSoundVolume"}) {
        SCOPED_TRACE(slider);
        TShippedInterface ui(*source_);
        ui.Engine.ShowModal("WOptions");
        ui.Engine.SetObjectProperty(slider, "Position", "150");
        ui.Engine.RunScripts();
        EXPECT_EQ(ui.Value(slider, "Position"), "100");
        EXPECT_EQ(ui.Called, std::vector<std::string>{slider + "_Change"});
        EXPECT_EQ(ui.Value(slider, "Min"), "0");
    }
}

TEST_F(ContentTest, TheWidgetsAndCaptionsTheCodeAsksForByNameExist)
{
    TShippedInterface ui(*source_);
    const std::pair<const char*, const char*> widgets[] = {
        {"WGameLoading", "TQelForm"},         {"WGameLoading_PBLoadGame", "TQelProgressBar"},
        {"WLoadLevel", "TQelForm"},           {"WLoadLevel_PBLoadLevel", "TQelProgressBar"},
        {"WLoadLevel_TFLoadingLevel", "TQelTabForm"}, {"WLoadLevel_TFLoadingMap", "TQelTabForm"},
        {"WLoadLevel_TFLoadingCatalog", "TQelTabForm"}, {"WTitle_LWelcome", "TQelLabel"},
        {"WOptions_SMusicVolume", "TQelSlider"}, {"WOptions_SSoundVolume", "TQelSlider"},
        {"WOptions_CBFullScreen", "TQelCheckBox"}, {"WOptions_CB32bitColor", "TQelCheckBox"},
        {"WOptions_CBHintsOff", "TQelCheckBox"},  {"WOptions_CBStaySelect", "TQelCheckBox"},
    };
    for (auto [name, className] : widgets) {
        TQelObject* object = ui.Engine.GetObjectByName(name);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_STREQ(object->ClassName(), className) << name;
    }
    for (int n = 1; n <= 7; ++n) {
        const std::string mark = "WLoadLevel_LMark" + std::to_string(n);
        EXPECT_EQ(ui.Value(mark, "Visible"), "False") << mark << " must wait for the code to light it";
    }
    // Read by the code and joined with numbers and names: each must hold text.
    std::vector<std::string> captions = {"WResource_LWelcome", "WResource_LCurrency", "WResource_LShopName",
                                         "WResource_LEach", "WResource_LDay3Long", "WResource_LUnlockItem",
                                         "WResource_LUnlockAfterGameComplete", "WResource_LUnlock-10",
                                         "WResource2_ToValue", "WResource2_EnablesReverse", "WResource2_EnablesPlus",
                                         "WResource2_EnablesPause", "WResource2_EnablesTransformer"};
    for (int n = 1; n <= 8; ++n)
        captions.push_back("WResource_LShopName" + std::to_string(n));
    for (int n = 1; n <= 7; ++n)
        captions.push_back("WResource_LDay" + std::to_string(n));
    for (int n = 1; n <= 12; ++n)
        captions.push_back("WResource2_LTip" + std::to_string(n));
    for (const std::string& name : captions)
        EXPECT_NE(ui.Value(name, "Caption"), "") << name;
    // The unlock reasons rebuild from the numbers the code writes.
    ui.Engine.SetObjectProperty("WResource_LUnlockComboCount", "Caption", "4");
    ui.Engine.SetObjectProperty("WResource_LUnlockComboItemsCount", "Caption", "3");
    EXPECT_EQ(ui.Value("WResource_LUnlockCombo", "Caption"), "Combos of 3 outfits to serve: 4");
    ui.Engine.SetObjectProperty("WResource_LUnlockExpertGoalPerCent", "Caption", "15");
    EXPECT_EQ(ui.Value("WResource_LUnlockExpertGoal", "Caption"), "Beat the expert goal by 15%");
    ui.Engine.SetObjectProperty("WResource_LUnlockMoneyBagCount", "Caption", "2");
    EXPECT_EQ(ui.Value("WResource_LUnlockMoneyBag", "Caption"), "Money bags to catch: 2");
}

// ---- A damaged file of each kind the game's loaders read --------------------------------

// A small archive whose files agree with each other: one piece type, one customer with its
// animation, a shop, an episode, a level with its scene effect, the pictures they name.
std::map<std::string, std::string> SmallContent()
{
    return {
        {"FishkaTypes.xml",
         R"(<FishkaTypes><FishkaType Name="Tee" FileName="Tee" PieceCount="2" Style="standart"><Pieces>)"
         R"(<Piece Hierarchy="1" FileName="Tee_1.png" /><Piece Hierarchy="2" FileName="Tee_2.png" />)"
         R"(<Piece Hierarchy="12" FileName="Tee_12.png" /></Pieces></FishkaType></FishkaTypes>)"},
        {"Mans.xml",
         R"(<Mans><ManTypes><Man Name="Girl" Pict="Pic.png"><Timers TimeLeft="120" />)"
         R"(<Animes TimeChangeAnime="400"><Anime Begin="0" End="100" AnimeFiles="anime_Girl.xml" />)"
         R"(<Oblako Name="Pic.png" Pos="-60,-290" /></Animes></Man></ManTypes></Mans>)"},
        {"anime_Girl.xml", R"(<Anime><Frame Time="500" Pict="Pic.png" /><Frame Time="300" Pict="Tee_1.png" /></Anime>)"},
        {"Shop.xml",
         R"(<ShopItems><Kostums><Kostum ID="Tee" FileName="Tee" Cost1="100" Cost2="200" Cost3="300" Value1="10")"
         R"( Value2="15" Value3="21" /></Kostums><Upgrads><Upgrade ID="Lamp" FileName="Pic.png" Cost="120")"
         R"( Pos="40,40" BT="1" /></Upgrads></ShopItems>)"},
        {"Episods.xml",
         R"(<Episods><Episod Name="Corner"><UpgradeList IDList="Lamp;" /><LevelFishes><Stage>Tee;</Stage>)"
         R"(</LevelFishes><Levels><Level Name="Level_1_1.xml" Bonus="false" BornPeriod="2000" SpeedLenta="36">)"
         R"(<Param LevelTime="120" Goal="200" ExGoal="320" GreatGoal="260" />)"
         R"(<Persons factor="1.00" Count="4" Cast="Girl(1:1:2);" /></Level></Levels></Episod></Episods>)"},
        {"Level_1_1.xml",
         R"(<Level Name="day 1"><Lentas Image="Pic.png" Frequency="0"><Lenta BornPeriod="2000"><Path>)"
         R"(Set Timing +0.04; Path (56,372) (400,288) (744,372); Ending Loop;</Path></Lenta></Lentas>)"
         R"(<BackGround BackPicture="Pic.png" /><LevelFishes>Tee;</LevelFishes>)"
         R"(<Params LevelState="lsAero" Stoika="Pic.png" />)"
         R"(<Effects><Effect FileName="efSpark.xml" ShiftX="0" ShiftY="0" /></Effects></Level>)"},
        {"efSpark.xml",
         R"(<ParticleEffect Name="efSpark"><Functions><Function Name="FHere" Dim="2" Type="constant">)"
         R"(<Value>(0,0)</Value></Function></Functions><Morphs><Morph Name="MHere" Dim="2"><Functions>)"
         R"(<Function Name="FHere"/></Functions></Morph></Morphs><Particles><Particle Name="PDot">)"
         R"(<Parameter Name="Position" Dim="2" Morph="MHere"/></Particle></Particles><ParticleSystems>)"
         R"(<ParticleSystem Name="SDot" Template="PDot"><InitParticles>1</InitParticles>)"
         R"(<Resource>Pic.png</Resource></ParticleSystem></ParticleSystems></ParticleEffect>)"},
    };
}

struct TToolRun {
    int Exit = -1;
    std::vector<std::string> Lines;
};

TToolRun RunTool(const std::string& arguments, const std::filesystem::path& folder)
{
    const std::filesystem::path output = folder / "tool-output.txt";
    const std::string command = std::string("'") + GLIM_TOOL + "' " + arguments + " > '" + output.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    TToolRun run;
    run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(output);
    for (std::string line; std::getline(in, line);)
        run.Lines.push_back(line);
    return run;
}

// Writes the files into a fresh folder, packs them and checks the archive.
TToolRun PackAndCheck(const std::filesystem::path& folder, const std::map<std::string, std::string>& texts,
                      const std::vector<uint8_t>& picture)
{
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "files");
    std::string files;
    auto write = [&](const std::string& name, const char* data, size_t size) {
        std::ofstream(folder / "files" / name, std::ios::binary).write(data, static_cast<std::streamsize>(size));
        files += " '" + (folder / "files" / name).string() + "'";
    };
    for (const auto& [name, text] : texts)
        write(name, text.data(), text.size());
    for (const char* name : {"Pic.png", "Tee_1.png", "Tee_2.png", "Tee_12.png"})
        write(name, reinterpret_cast<const char*>(picture.data()), picture.size());
    const std::string archive = "'" + (folder / "game.zxc").string() + "'";
    TToolRun pack = RunTool("pack " + archive + files, folder);
    if (pack.Exit != 0)
        return pack;
    return RunTool("check " + archive, folder);
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

TEST_F(ContentTest, ADamagedFileOfEachLoadedKindFailsTheCheckWithALineNamingIt)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("glimmora-content-check-" + std::to_string(::getpid()));
    const std::vector<uint8_t> picture = Entry("Cursor.png");
    ASSERT_FALSE(picture.empty());

    TToolRun clean = PackAndCheck(folder, SmallContent(), picture);
    ASSERT_EQ(clean.Exit, 0) << "the undamaged archive must pass:\n" << Joined(clean.Lines);

    struct TCase {
        const char* File;
        std::string From, To;  // the damage: From replaced by To; From empty: To is the whole file
        const char* Expected;  // part of the error line after "Error FILE: "
    };
    const TCase cases[] = {
        {"Level_1_1.xml", "(400,288)", "(400,2x88)", "the loader logged \"Error LoadLevel\""},
        {"Level_1_1.xml", "(400,288)", "(400,2x88)", "belt 1: Path: '2x88' is not a valid floating point value"},
        {"FishkaTypes.xml", "FishkaTypes>", "PieceTypes>", "the loader logged \"Error  LoadFishkaTypes\""},
        {"efSpark.xml", "<Value>(0,0)</Value>", "<Value>(0,zero)</Value>", "string-to-vector convertation failed"},
        {"Mans.xml", "ManTypes>", "Customers>", "the loader logged \"Error LoadMans\""},
        {"Shop.xml", "ShopItems>", "Catalogue>", "the loader logged \"Error LoadShop: no ShopItems element\""},
        {"Episods.xml", "Bonus=\"false\"", "Bonus=\"maybe\"", "the loader logged \"Error LoadEpisods: episode 1, level 1"},
        {"Episods.xml", "Girl(", "Gril(", "no customer type \"Gril\" in Mans.xml"},
        {"anime_Girl.xml", "Tee_1.png", "Nobody.png", "frame 2: the picture \"Nobody.png\" is not in the archive"},
        {"Glimmora.li", "", "<QelInterface><x /></QelInterface>", "QelInterface XML file contains wrong tag!"},
        {"Sounds.xml", "", "<Sounds><!-- never closed",
         "the loader logged \"Exception error in TQelGameEngine.LoadSoundsEvents!\""},
        {"MusicPattern.xml", "", "<Music><M ID=\"Day\" Name=\"day.xm\" /></Music>",
         "the loader logged \"Error LoadMusicPattern\""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.File) + ": " + c.Expected);
        std::map<std::string, std::string> texts = SmallContent();
        std::string& text = texts[c.File];
        if (c.From.empty()) {
            text = c.To;
        } else {
            size_t at = text.find(c.From);
            ASSERT_NE(at, std::string::npos);
            text.replace(at, c.From.size(), c.To);
        }
        TToolRun run = PackAndCheck(folder, texts, picture);
        EXPECT_EQ(run.Exit, 1) << Joined(run.Lines);
        const std::string head = std::string("Error ") + c.File + ": ";
        bool found = false;
        for (const std::string& line : run.Lines)
            found = found || (line.starts_with(head) && line.find(c.Expected) != std::string::npos);
        EXPECT_TRUE(found) << Joined(run.Lines);
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
