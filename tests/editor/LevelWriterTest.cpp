// The editor's level writer: every shipped level survives a write unchanged, what the
// editor does not edit stays in the file, the belt path text is the same whatever the
// locale, and a save killed half way leaves a whole file.
#include "gameplay/LevelWriter.h"
#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "gameplay/FishkaType.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFile.h"
#include "tests/common/TempFolder.h"
#include "tests/editor/EditorTestKit.h"

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <locale>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path kContent = GLIM_CONTENT_DIR;

class LevelWriterTest : public ::testing::Test {
protected:
    LevelWriterTest()
        : log({}, clock)
    {
        TDataSource data(kContent / "data");
        types.LoadFishkaTypes(data, "FishkaTypes.xml", log);
        links.Types = &types;
    }

    std::unique_ptr<tLevel> Read(const std::string& text)
    {
        auto level = std::make_unique<tLevel>(links);
        TLevelLoadContext context;
        EXPECT_TRUE(LoadLevelText(*level, text, false, false, context));
        return level;
    }

    TManualClock clock;
    TGameLog log;
    TFishkaTypes types;
    TLevelLinks links;
};

TEST_F(LevelWriterTest, EveryShippedLevelReadsBackTheSameAfterWriting)
{
    int levels = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kContent / "data" / "levels")) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("Level_"))
            continue;
        ++levels;
        const std::string original = ReadText(entry.path());
        auto first = Read(original);
        std::optional<std::string> written = WriteLevelText(original, *first);
        ASSERT_TRUE(written) << name;
        // Written as it was read, the file is the same to the byte.
        EXPECT_EQ(*written, original) << name;
        auto second = Read(*written);
        EXPECT_EQ(FirstLevelDifference(*first, *second), "") << name;
        // A second save of an unchanged level changes nothing more.
        EXPECT_EQ(WriteLevelText(*written, *second), written) << name;
    }
    EXPECT_GT(levels, 0);
}

TEST_F(LevelWriterTest, EditsChangeOnlyTheirOwnValuesAndKeepEverythingElse)
{
    const std::string original = Fixture("TwoBelts.xml");
    struct TCase {
        const char* What;
        std::function<void(tLevel&)> Edit;
        std::vector<std::string> Changed;
    };
    const TCase cases[] = {
        { "nothing", [](tLevel&) {}, {} },
        { "a customer place", [](tLevel& l) { l.Scene.PersPosition[1].X = 591; },
            { "-\t\t<Position X=\"580\" Y=\"0592\" />", "+\t\t<Position X=\"591\" Y=\"0592\" />" } },
        { "a heap picture turned and mirrored",
            [](tLevel& l) {
                l.Scene.HeapPictures[0].Angle = 15;
                l.Scene.HeapPictures[0].Flip = true;
            },
            { "-\t\t<Heap FileName=\"Box.png\" Pos=\"5,6\" Angle=\"0\" Flip=\"false\" Shade=\"2\" />",
                "+\t\t<Heap FileName=\"Box.png\" Pos=\"5,6\" Angle=\"15\" Flip=\"True\" Shade=\"2\" />" } },
        { "the first belt's path",
            [](tLevel& l) {
                std::vector<TPathNode> nodes = ReadPathNodes(l.Lentas[0].PathScript);
                nodes[0].X = 12;
                l.Lentas[0].SetPathScript(BeltPathScript(nodes));
            },
            { "-\t\t\t<Path>Set Timing +0.04; Path (10,20) (100,20)[0.500,0.000] (200,80){2,1}; Ending Loop;</Path>",
                "+\t\t\t<Path>Set Timing +0.04; Path (12,20) (100,20)[0.500,0.000] (200,80){2,1}; Ending "
                "Loop;</Path>" } },
    };
    for (const TCase& c : cases) {
        auto level = Read(original);
        c.Edit(*level);
        std::optional<std::string> written = WriteLevelText(original, *level);
        ASSERT_TRUE(written) << c.What;
        EXPECT_EQ(LineDiff(original, *written), c.Changed) << c.What;
        EXPECT_EQ(FirstLevelDifference(*level, *Read(*written)), "") << c.What;
    }
}

TEST_F(LevelWriterTest, ListsThatGrowOrShrinkKeepTheirOtherItemsAndElementNames)
{
    const std::string original = Fixture("TwoBelts.xml");
    auto level = Read(original);
    tHeapRec added;
    added.FileName = "Shoe.png";
    added.Pos = { 400, 300 };
    level->Scene.HeapPictures.erase(level->Scene.HeapPictures.begin());
    level->Scene.HeapPictures.push_back(added);
    level->Scene.PersPosition.push_back({ 720, 592, false });
    std::optional<std::string> written = WriteLevelText(original, *level);
    ASSERT_TRUE(written);
    auto back = Read(*written);
    EXPECT_EQ(FirstLevelDifference(*level, *back), "");
    ASSERT_EQ(back->Scene.HeapPictures.size(), 2u);
    EXPECT_EQ(back->Scene.HeapPictures[1].FileName, "Shoe.png");
    EXPECT_NE(written->find("<Heap FileName=\"Shoe.png\" Pos=\"400,300\" />"), std::string::npos) << *written;
    EXPECT_NE(written->find("<Position X=\"720\" Y=\"592\" />"), std::string::npos);
    // The deleted box's own attribute went with it, not to the picture now in its place.
    EXPECT_EQ(written->find("Shade"), std::string::npos) << *written;
    // The second belt, the first belt's spacing and what the editor never reads stay.
    EXPECT_EQ(back->Lentas.size(), 2u);
    EXPECT_EQ(back->Lentas[0].BornPeriod, 1500);
    EXPECT_EQ(back->Lentas[1].BornPeriod, 900);
    for (const char* kept : { "Author=\"kept\"", "Speed=\"fast\"", "Note=\"kept\"", "Mood=\"calm\"",
             "<Unknown Anything=\"at all\">text the editor never reads</Unknown>" })
        EXPECT_NE(written->find(kept), std::string::npos) << kept;
}

TEST(PathNodes, TextOfNodes)
{
    struct TCase {
        std::vector<TPathNode> Nodes;
        std::string Text;
    };
    const TCase cases[] = {
        { {}, "" },
        { { { 56, 372 }, { 190.5, 309.5 } }, " (56,372) (190,310)" }, // halves to even
        { { { 10, 20, 0.1, 0 } }, " (10,20)[0.100,0.000]" },
        { { { 10, 20, 0, -0.25 } }, " (10,20)[0.000,-0.250]" },
        { { { 10, 20, 0, 0, 2, 1 } }, " (10,20){2,1}" },
        { { { 10, 20, 1.5, 0, 1, 3.4 } }, " (10,20)[1.500,0.000]{1,3}" },
    };
    for (const TCase& c : cases)
        EXPECT_EQ(PathNodesText(c.Nodes), c.Text);
    EXPECT_EQ(BeltPathScript({ { 1, 2 }, { 3, 4 } }), "Set Timing +0.04; Path (1,2) (3,4); Ending Loop;");
}

TEST(PathNodes, ReadsTheNodesOfThePathCommandOnly)
{
    const std::vector<TPathNode> nodes
        = ReadPathNodes("Set Timing +0.04; path (56,372) (190,310)[0.5,-1]{2,3} (400,288); Ending Stop (1,1);");
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[1], (TPathNode { 190, 310, 0.5, -1, 2, 3 }));
    EXPECT_EQ(nodes[2], (TPathNode { 400, 288 }));
    EXPECT_TRUE(ReadPathNodes("Set Linear; Ending Loop;").empty());
    // What the writer makes reads back as the nodes it was made of.
    const std::vector<TPathNode> written { { 1, 2, 0.1, 0.2 }, { 3, 4, 0, 0, 2, 2 } };
    EXPECT_EQ(ReadPathNodes(BeltPathScript(written)), written);
}

// A decimal comma, as a German system has: numbers must still be written with ".".
struct TCommaPoint : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(PathNodes, NumbersAreWrittenWithAPointWhateverTheLocale)
{
    const std::locale before = std::locale::global(std::locale(std::locale::classic(), new TCommaPoint));
    const std::string cBefore = std::setlocale(LC_ALL, nullptr);
    // The system's own German locale too, where it is installed.
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    const std::string text = PathNodesText({ { 1234, 20, 0.1, -2.5 }, { 10, 20, 0, 0, 2, 1 } });
    const std::string fixed = FormatFixed3(1234.5);
    std::setlocale(LC_ALL, cBefore.c_str());
    std::locale::global(before);
    EXPECT_EQ(text, " (1234,20)[0.100,-2.500] (10,20){2,1}") << "German C locale: " << german;
    EXPECT_EQ(fixed, "1234.500");
}

// Numbers as a German system writes them, for as long as it lives.
class TGermanNumbers {
public:
    TGermanNumbers()
        : before_(std::locale::global(std::locale(std::locale::classic(), new TCommaPoint)))
        , cBefore_(std::setlocale(LC_ALL, nullptr))
    {
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    ~TGermanNumbers()
    {
        std::setlocale(LC_ALL, cBefore_.c_str());
        std::locale::global(before_);
    }

private:
    std::locale before_;
    std::string cBefore_;
};

// A hand-written level (comments, a blank line, two-space indentation, attributes in
// their own order, a belt on one line) saved after one edit is the same text but for
// that edit.
TEST_F(LevelWriterTest, ASavedHandWrittenLevelDiffersOnlyByTheEdit)
{
    const std::string original = Fixture("Commented.xml");
    auto moveNode = [](tLevel& l, size_t index, std::function<void(TPathNode&)> move) {
        std::vector<TPathNode> nodes = ReadPathNodes(l.Lentas[0].PathScript);
        move(nodes[index]);
        l.Lentas[0].SetPathScript(BeltPathScript(nodes));
    };
    struct TCase {
        const char* What;
        std::function<void(tLevel&)> Edit;
        std::string From, To; // the one piece of text that changes
        bool German = false;
    };
    const TCase cases[] = {
        { "nothing", [](tLevel&) {}, "", "" },
        { "a stand moved", [](tLevel& l) { l.Scene.PersPosition[1].X = 591; }, "Y=\"592\" X=\"580\"",
            "Y=\"592\" X=\"591\"" },
        { "a belt node moved", [&](tLevel& l) { moveNode(l, 0, [](TPathNode& n) { n.X = 12; }); }, "Path (10,20)",
            "Path (12,20)" },
        { "a node's angle under a decimal comma",
            [&](tLevel& l) { moveNode(l, 1, [](TPathNode& n) { n.FirstAngle = 0.25; }); }, "[0.500,0.000]",
            "[0.250,0.000]", true },
        { "a place removed from the middle",
            [](tLevel& l) { l.Scene.PersPosition.erase(l.Scene.PersPosition.begin() + 1); },
            "    <Position Y=\"592\" X=\"580\" />\n", "" },
        { "a place added",
            [](tLevel& l) {
                l.Scene.PersPosition.push_back({ 600, 500, false });
            },
            "    <Position X=\"720\"    Y=\"592\" />\n",
            "    <Position X=\"720\"    Y=\"592\" />\n    <Position X=\"600\" Y=\"500\" />\n" },
        { "the belts' picture", [](tLevel& l) { l.Scene.LentaImage = "Belt2.png"; }, "Image=\"Belt.png\"",
            "Image=\"Belt2.png\"" },
        { "a first heap picture",
            [](tLevel& l) {
                tHeapRec heap;
                heap.FileName = "Hat.png";
                heap.Pos = { 1, 2 };
                l.Scene.HeapPictures.push_back(heap);
            },
            "  </PersPosition>\n",
            "  </PersPosition>\n  <HeapPictures>\n    <Pict FileName=\"Hat.png\" Pos=\"1,2\" />\n  "
            "</HeapPictures>\n" },
    };
    for (const TCase& c : cases) {
        std::string expected = original;
        if (!c.From.empty()) {
            const size_t at = expected.find(c.From);
            ASSERT_NE(at, std::string::npos) << c.What;
            expected.replace(at, c.From.size(), c.To);
        }
        auto level = Read(original);
        std::optional<std::string> written;
        {
            std::optional<TGermanNumbers> german;
            if (c.German)
                german.emplace();
            c.Edit(*level);
            written = WriteLevelText(original, *level);
        }
        ASSERT_TRUE(written) << c.What;
        EXPECT_EQ(*written, expected) << c.What;
        auto back = Read(*written);
        EXPECT_EQ(FirstLevelDifference(*level, *back), "") << c.What;
        EXPECT_EQ(WriteLevelText(*written, *back), written) << c.What;
    }
}

// A save killed at any moment leaves the old file or the new one: a process saves two
// versions of a level in turn until it is killed between two of its saves or inside one.
TEST_F(LevelWriterTest, ASaveKilledHalfWayLeavesAWholeFile)
{
    TTempFolder folder;
    const std::string original = Fixture("TwoBelts.xml");
    auto level = Read(original);
    const std::string versionA = *WriteLevelText(original, *level);
    level->Scene.PersPosition[0].X = 1;
    // A long file makes each save take long enough to be caught inside.
    for (int i = 0; i < 2000; ++i)
        level->Scene.PersPosition.push_back({ i, i, false });
    const std::string versionB = *WriteLevelText(original, *level);
    const fs::path target = folder / "Level.xml";
    ASSERT_TRUE(WriteFileAtomic(target, versionA));

    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeEnds[0]);
        for (int n = 0;; ++n) {
            WriteFileAtomic(target, n % 2 ? versionA : versionB);
            char saved = 1;
            if (write(pipeEnds[1], &saved, 1) != 1)
                _exit(1);
        }
    }
    close(pipeEnds[1]);
    // Let it save a few times, then kill it wherever it is.
    char saved = 0;
    for (int n = 0; n < 5; ++n)
        ASSERT_EQ(read(pipeEnds[0], &saved, 1), 1);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(pipeEnds[0]);

    const std::string left = ReadText(target);
    EXPECT_TRUE(left == versionA || left == versionB) << left.size() << " bytes";
    EXPECT_EQ(FirstLevelDifference(*Read(left), *Read(left == versionA ? versionA : versionB)), "");
}

} // namespace
