// The editor as a content author uses it, on a copy of the data folder: a day opened in
// the editor, a customer place moved and the goal typed, saved; the files differ from what
// they were only there, the content check takes them and the simulator plays the day with
// its new goal. Then the same day reached from the title's day list.
#include "foundation/DataSource.h"
#include "foundation/FileFolder.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"
#include "tests/common/RunCommand.h"
#include "tests/common/TempFolder.h"
#include "tests/editor/EditorTestKit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const fs::path kProgramFolder = fs::path(GLIMMORA_PROGRAM).parent_path();

// A level's text without its dialog list (and the lines it stood on).
std::string WithoutDialogs(std::string text)
{
    const size_t open = text.find("<DialogList>");
    const size_t close = text.find("</DialogList>");
    if (open == std::string::npos || close == std::string::npos)
        return text;
    const size_t from = text.rfind('\n', open) + 1;
    const size_t to = text.find('\n', close);
    text.erase(from, to == std::string::npos ? std::string::npos : to + 1 - from);
    return text;
}

class EditorSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The data folder a developer works in: the archive's files side by side.
        fs::create_directories(data());
        TDataSource archive(std::make_unique<TFileFolder>((kProgramFolder / "game.zxc").string()));
        for (const std::string& name : archive.Names()) {
            auto bytes = archive.Read(name);
            ASSERT_TRUE(bytes) << name;
            std::string text(bytes->begin(), bytes->end());
            // The first day opens in the editor's tests without its story, whether or not
            // the story would play: the window before the day comes first either way.
            if (name == "Level_1_1.xml")
                text = WithoutDialogs(text);
            ASSERT_TRUE(WriteFileAtomic(data() / name, text));
        }
        fs::create_directories(user());
        std::string options = ReadText(kProgramFolder / "options.cfg");
        const size_t debug = options.find("DebugMode=0");
        ASSERT_NE(debug, std::string::npos);
        options.replace(debug, 11, "DebugMode=863");
        ASSERT_TRUE(WriteFileAtomic(user() / "options.cfg", options));
    }

    fs::path data() const { return scratch.Path() / "data"; }
    fs::path user() const { return scratch.Path() / "user"; }

    // Runs the game on the data folder with the input script; the trace comes back.
    std::string Play(const std::string& script, const std::string& extra, int frames)
    {
        scratch.Write("script.txt", script);
        const std::string command = "timeout -s KILL 300 '" GLIMMORA_PROGRAM "' --headless --uncapped --fixed-step 16 "
                                    "--seed 1 --user-dir '"
            + user().string() + "' --data '" + data().string() + "' --trace '" + (scratch / "trace.txt").string()
            + "' --input '" + (scratch / "script.txt").string() + "' --frames " + std::to_string(frames) + " " + extra
            + " 2>&1";
        TCommandRun run = RunCommand(command);
        EXPECT_EQ(run.Status, 0) << run.Out;
        return scratch.Read("trace.txt");
    }

    TTempFolder scratch;
};

// The editor on the first day, once its window is closed: the second customer place 11 pixels right (Ctrl takes
// ten), the goal 250, saved; then tried and edited again.
const char kEditScript[] = R"(+5 wait WBeforeLevel_BPlay
+2 click WBeforeLevel_BPlay
+5 wait WGame_BEdit
+5 click WGame_BEdit
+5 wait WEditor_TFPanel_RBPerson
+2 click WEditor_TFPanel_RBPerson
+2 key Space
+2 key Space
+2 key ctrl+Right
+2 key Right
+2 click WEditor_TFPanel_EGoal
+2 key End
+2 key Backspace
+2 key Backspace
+2 key Backspace
+2 char 2
+2 char 5
+2 char 0
+2 click WEditor_TFPanel_BSave
+5 click WEditor_TFPanel_BTry
+30 click WGame_BEdit
)";

TEST_F(EditorSessionTest, MovedPlaceAndGoalAreSavedAndNothingElse)
{
    const std::string level = ReadText(data() / "Level_1_1.xml");
    const std::string episods = ReadText(data() / "Episods.xml");
    const std::string trace = Play(kEditScript, "--level 1,1", 200);
    EXPECT_NE(trace.find("mode smEditor"), std::string::npos) << trace;
    EXPECT_NE(trace.find("save Level_1_1.xml"), std::string::npos) << trace;
    EXPECT_NE(trace.find("save Episods.xml"), std::string::npos) << trace;
    // Tried from the editor and edited again.
    EXPECT_LT(
        trace.find("mode smLevel", trace.find("exec WEditor_TFPanel_BTry_MouseUp")), trace.rfind("mode smEditor"));

    // A line diff against the files as they were: the moved place and the goal, nothing else.
    EXPECT_EQ(LineDiff(level, ReadText(data() / "Level_1_1.xml")),
        (std::vector<std::string> {
            "-    <Position X=\"580\" Y=\"592\" />", "+    <Position X=\"591\" Y=\"592\" />" }));
    const std::vector<std::string> episodChanges = LineDiff(episods, ReadText(data() / "Episods.xml"));
    ASSERT_EQ(episodChanges.size(), 2u);
    std::string goalLine = episodChanges[0];
    const size_t goal = goalLine.find(" Goal=\"200\" ExGoal=\"320\" GreatGoal=\"260\" />");
    ASSERT_TRUE(goalLine.starts_with("-") && goal != std::string::npos) << goalLine;
    goalLine.replace(0, 1, "+").replace(goal + 7, 3, "250");
    EXPECT_EQ(episodChanges[1], goalLine);
    // No temporary file of the saves is left beside them.
    for (const std::string& name : ListFolder(data()))
        EXPECT_FALSE(IsAtomicTemporaryName(name)) << name;

    // The content check takes the saved files, and the simulator plays the day to its new goal.
    const std::string archive = (scratch / "edited.zxc").string();
    TCommandRun pack = RunCommand("cd '" + data().string() + "' && '" GLIMMORA_TOOL "' pack '" + archive + "' * 2>&1");
    ASSERT_EQ(pack.Status, 0) << pack.Out;
    const std::string params = (kProgramFolder / "GameParams.xml").string();
    TCommandRun check = RunCommand("'" GLIMMORA_TOOL "' check '" + archive + "' '" + params + "' 2>&1");
    EXPECT_EQ(check.Status, 0) << check.Out;
    EXPECT_NE(check.Out.find(" 0 errors"), std::string::npos) << check.Out;
    TCommandRun sim = RunCommand(
        "'" GLIMMORA_TOOL "' sim --episode 1 --level 1 --archive '" + archive + "' --params '" + params + "' 2>&1");
    EXPECT_EQ(sim.Status, 0) << sim.Out;
    EXPECT_NE(sim.Out.find("goal=250 "), std::string::npos) << sim.Out;
}

TEST_F(EditorSessionTest, TheDayListOpensADayInTheEditor)
{
    // The second line of the open tree is the first shop's second day.
    const std::string trace = Play("+5 wait WTitle_BEdit\n+5 click WTitle_BEdit\n+5 wait WLoadCustom_Tree\n"
                                   "+5 down 215 201\n+1 up 215 201\n+3 click WLoadCustom_BEdit\n+20 click "
                                   "WEditor_TFPanel_BQuit\n+5 wait WLoadCustom_BCancel\n+2 click WLoadCustom_BCancel\n",
        "", 400);
    EXPECT_NE(trace.find("level Level_1_2.xml"), std::string::npos) << trace;
    EXPECT_NE(trace.find("mode smEditor"), std::string::npos) << trace;
    // Quitting the editor leads back to the list over the title, and its Back to the title.
    const size_t quit = trace.find("exec WEditor_TFPanel_BQuit_MouseUp");
    ASSERT_NE(quit, std::string::npos) << trace;
    EXPECT_NE(trace.find("show WLoadCustom", quit), std::string::npos) << trace;
    EXPECT_NE(trace.find("end smTitle"), std::string::npos) << trace;
}

} // namespace

namespace {

TEST(LevelRoundtripCommand, EveryShippedLevelPassesWithTheSameBytesInEveryLocale)
{
    TTempFolder scratch;
    const fs::path content = GLIM_CONTENT_DIR;
    int levels = 0;
    for (const auto& entry : fs::directory_iterator(content / "data" / "levels")) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("Level_"))
            continue;
        ++levels;
        std::string written[2];
        const char* locales[2] = { "C", "de_DE.UTF-8" };
        for (int i = 0; i < 2; ++i) {
            const std::string out = (scratch / (std::to_string(i) + name)).string();
            TCommandRun run = RunCommand(std::string("LC_ALL=") + locales[i] + " '" GLIMMORA_TOOL "' level-roundtrip '"
                + entry.path().string() + "' --data '" + (content / "data").string() + "' --out '" + out + "' 2>&1");
            EXPECT_EQ(run.Status, 0) << name << ": " << run.Out;
            written[i] = ReadText(out);
        }
        EXPECT_FALSE(written[0].empty()) << name;
        EXPECT_EQ(written[0], written[1]) << name;
    }
    EXPECT_GT(levels, 0);
}

TEST(LevelRoundtripCommand, AFileWithoutALevelFails)
{
    TTempFolder scratch;
    scratch.Write("Empty.xml", "just text, no element");
    const std::string out = (scratch / "out.xml").string();
    for (const std::string& level : { (scratch / "Empty.xml").string(), (scratch / "Missing.xml").string() }) {
        TCommandRun run = RunCommand("'" GLIMMORA_TOOL "' level-roundtrip '" + level + "' --out '" + out + "' 2>&1");
        EXPECT_EQ(run.Status, 1) << level << ": " << run.Out;
        EXPECT_NE(run.Out.find("glimmora-tool: "), std::string::npos) << run.Out;
    }
    EXPECT_FALSE(fs::exists(out));
}

} // namespace

namespace {

TEST_F(EditorSessionTest, InterfaceReloadShowsEveryWindowAgainWithWhatTheGameSet)
{
    // The game menu over the day, reloaded: both windows come back, the menu on top, and
    // the debug mode's editor button the day showed is still there after the menu closes.
    const std::string trace = Play("+5 wait WBeforeLevel_BPlay\n+2 click WBeforeLevel_BPlay\n+5 wait WGame_BMenu\n+5 "
                                   "click WGame_BMenu\n+5 wait WGameMenu_BResume\n"
                                   "+5 key ctrl+I\n+5 click WGameMenu_BResume\n+10 click WGame_BEdit\n"
                                   "+5 key ctrl+I\n+5 click WEditor_TFPanel_BTry\n",
        "--level 1,1", 120);
    const size_t reload = trace.find("\n27 show WGame\n27 show WGameMenu\n");
    EXPECT_NE(reload, std::string::npos) << trace;
    EXPECT_NE(trace.find("exec WGameMenu_BResume_MouseUp", reload), std::string::npos) << trace;
    EXPECT_NE(trace.find("exec WEditor_TFPanel_BTry_MouseUp"), std::string::npos) << trace;
}

} // namespace

namespace {

TEST_F(EditorSessionTest, PixelDayGetsANewHeapPictureAndItsClone)
{
    const std::string before = ReadText(data() / "Level_1_Pixel.xml");
    // The first shop's picture day, once its window before the day is closed: a new
    // picture from the first cell of the picker, a clone of it (a press on the bar's button takes no picture under the
    // bar), saved, then played on.
    const std::string trace
        = Play("+5 wait WBeforeLevel_BPlay\n+2 click WBeforeLevel_BPlay\n+5 wait WGame_TFPixel_BEdit\n"
               "+5 click WGame_TFPixel_BEdit\n"
               "+5 wait WEditor_TFPanel2_BNew\n+3 click WEditor_TFPanel2_BNew\n"
               "+5 down 48 96\n+1 up 48 96\n+5 click WEditor_TFPanel2_BClone\n"
               "+3 click WEditor_TFPanel2_BSave\n+3 click WEditor_TFPanel2_BQuit\n",
            "--level 1,8", 120);
    EXPECT_NE(trace.find("mode smSelectElements"), std::string::npos) << trace;
    EXPECT_NE(trace.find("save Level_1_Pixel.xml"), std::string::npos) << trace;
    EXPECT_NE(trace.find("mode smPixelLevel", trace.find("exec WEditor_TFPanel2_BQuit_MouseUp")), std::string::npos)
        << trace;

    TQelParser was, is;
    was.LoadFromText(before);
    is.LoadFromText(ReadText(data() / "Level_1_Pixel.xml"));
    const TQelXMLTag* old = was.GetChild(0)->GetChildByName("HeapPictures");
    const TQelXMLTag* heaps = is.GetChild(0)->GetChildByName("HeapPictures");
    ASSERT_TRUE(old && heaps);
    ASSERT_EQ(heaps->ChildCount(), old->ChildCount() + 2);
    const std::string first = old->GetChild(0)->AttributeValue("FileName");
    const TQelXMLTag& added = *heaps->GetChild(static_cast<long>(old->ChildCount()));
    const TQelXMLTag& clone = *heaps->GetChild(static_cast<long>(old->ChildCount()) + 1);
    EXPECT_EQ(added.AttributeValue("FileName"), first);
    EXPECT_EQ(added.AttributeValue("Pos"), "400,300");
    EXPECT_EQ(clone.AttributeValue("FileName"), first);
    EXPECT_EQ(clone.AttributeValue("Pos"), "410,310");
    for (size_t i = 0; i < old->ChildCount(); ++i)
        EXPECT_EQ(heaps->GetChild(static_cast<long>(i))->AttributeValue("Pos"),
            old->GetChild(static_cast<long>(i))->AttributeValue("Pos"));
}

} // namespace

namespace {

TEST_F(EditorSessionTest, UpgradePictureAndBeltNodeAreSaved)
{
    const std::string level = ReadText(data() / "Level_1_1.xml");
    const std::string episods = ReadText(data() / "Episods.xml");
    // The first upgrade picture 10 down (Ctrl), the belt's second node 1 up and its first
    // angle raised once.
    Play("+5 wait WBeforeLevel_BPlay\n+2 click WBeforeLevel_BPlay\n+5 wait WGame_BEdit\n+5 click WGame_BEdit\n"
         "+5 wait WEditor_TFPanel_RBUpgrade\n"
         "+2 click WEditor_TFPanel_RBUpgrade\n+2 key Space\n+2 key ctrl+Down\n"
         "+2 click WEditor_TFPanel_RBLenta\n+2 key Space\n+2 key Space\n+2 key Up\n+2 key X\n"
         "+2 click WEditor_TFPanel_BSave\n",
        "--level 1,1", 120);
    const std::vector<std::string> levelChanges = LineDiff(level, ReadText(data() / "Level_1_1.xml"));
    ASSERT_EQ(levelChanges.size(), 2u);
    EXPECT_EQ(levelChanges[1],
        "+      <Path>Set Timing +0.04; Path (56,372) (190,309)[0.100,0.000] (400,288) (610,310) (744,372); Ending "
        "Loop;</Path>");
    const std::vector<std::string> episodChanges = LineDiff(episods, ReadText(data() / "Episods.xml"));
    ASSERT_EQ(episodChanges.size(), 2u);
    EXPECT_EQ(episodChanges[1], "+\t\t\t<UpgradeItem Type=\"Picture\" FileName=\"Upgrade_Lamp1.png\" Pos=\"40,50\" />");
}

} // namespace
