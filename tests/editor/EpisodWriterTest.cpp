// The editor's episode writer and the day list: upgrade pictures keep their own kind and
// the identifiers stay as written, a day's numbers change only where they were changed,
// and the tree of days is well formed whatever the names.
#include "editor/EpisodWriter.h"
#include "editor/CustomLevelsWindow.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"
#include "metagame/Episods.h"
#include "tests/editor/EditorTestKit.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The lines a save changed, as they read now; each replaced one for one.
std::vector<std::string> ChangedLines(const std::string& before, const std::string& after)
{
    std::vector<std::string> added;
    size_t removed = 0;
    for (const std::string& line : LineDiff(before, after)) {
        if (line[0] == '+')
            added.push_back(line.substr(1));
        else
            ++removed;
    }
    EXPECT_EQ(removed, added.size());
    return added;
}

// The episode as the game holds it after reading the fixture.
TEpisod FirstEpisod()
{
    TEpisod episod;
    episod.UpgradeItems = { { TUpgradeItemKind::Picture, { 40, 40 }, "Lamp.png" },
        { TUpgradeItemKind::Effect, { 300, 200 }, "efFountain.xml" },
        { TUpgradeItemKind::Picture, { 640, 250 }, "Rack.png" } };
    TLevelInEpisod first;
    first.BornPeriod = 2000;
    first.SpeedLenta = 36;
    first.AddPersonTimeInLevel = 3000;
    first.LevelTime = 120000;
    first.PersCount = 8;
    first.Goal = 200;
    first.ExGoal = 320;
    first.GreatGoal = 260;
    TLevelInEpisod second;
    second.BornPeriod = 1950;
    second.SpeedLenta = 40;
    second.LevelTime = 145000;
    second.Goal = 225;
    episod.Levels = { first, second };
    return episod;
}

TEST(EpisodWriter, ChangesOnlyWhatWasEdited)
{
    const std::string original = Fixture("Episods.xml");
    struct TCase {
        const char* What;
        std::function<void(TEpisod&)> Edit;
        int32_t Level;
        std::vector<std::string> Changed;
    };
    const TCase cases[] = {
        { "nothing", [](TEpisod&) {}, 0, {} },
        { "the day's goal", [](TEpisod& e) { e.Levels[0].Goal = 250; }, 0,
            { "\t\t\t\t\t<Param LevelTime=\"120\" CompleteNeed=\"0\" PersCount=\"8\" Prize=\"0\" Goal=\"250\" "
              "ExGoal=\"320\" "
              "GreatGoal=\"260\" />" } },
        { "the day's time, in seconds", [](TEpisod& e) { e.Levels[1].LevelTime = 90000; }, 1,
            { "\t\t\t\t\t<Param LevelTime=\"90\" Goal=\"225\" CompleteNeed=\"0\" PersCount=\"0\" Prize=\"0\" "
              "ExGoal=\"0\" "
              "GreatGoal=\"0\" />",
                "\t\t\t\t<Level Name=\"Level_1_2.xml\" BornPeriod=\"1950\" SpeedLenta=\"40\" "
                "AddPersonTimeInLevel=\"0\">" } },
        { "an effect moved keeps its kind",
            [](TEpisod& e) {
                e.UpgradeItems[1].Pos = { 310, 190 };
            },
            -1, { "\t\t\t\t<UpgradeItem Type=\"Effect\" FileName=\"efFountain.xml\" Pos=\"310,190\" />" } },
        { "a picture whose kind is spelled otherwise keeps its spelling",
            [](TEpisod& e) {
                e.UpgradeItems[2].Pos = { 600, 250 };
            },
            -1, { "\t\t\t\t<UpgradeItem Type=\"picture\" FileName=\"Rack.png\" Pos=\"600,250\" Layer=\"2\" />" } },
    };
    for (const TCase& c : cases) {
        TEpisod episod = FirstEpisod();
        c.Edit(episod);
        std::optional<std::string> written = WriteEpisodText(original, 0, episod, c.Level);
        ASSERT_TRUE(written) << c.What;
        std::vector<std::string> changed = ChangedLines(original, *written);
        std::sort(changed.begin(), changed.end());
        std::vector<std::string> expected = c.Changed;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(changed, expected) << c.What;
        // The identifiers the shop does not know stay for the catalogue to skip.
        EXPECT_NE(written->find("IDList=\"Lamp1;NoSuchUpgrade;Rack1\""), std::string::npos) << c.What;
    }
}

TEST(EpisodWriter, AnEpisodeTheFileLacksIsRefused)
{
    const TEpisod episod = FirstEpisod();
    EXPECT_FALSE(WriteEpisodText(Fixture("Episods.xml"), 2, episod, 0));
    EXPECT_FALSE(WriteEpisodText(Fixture("Episods.xml"), -1, episod, 0));
    EXPECT_FALSE(WriteEpisodText("<Episods", 0, episod, 0));
    // An episode without upgrades gets its list.
    std::optional<std::string> second = WriteEpisodText(Fixture("Episods.xml"), 1, episod, -1);
    ASSERT_TRUE(second);
    EXPECT_NE(
        second->find("<UpgradeItem Type=\"Effect\" FileName=\"efFountain.xml\" Pos=\"300,200\" />"), std::string::npos);
}

TEST(CustomLevels, TreeOfEpisodesAndTheirDays)
{
    TEpisods episods;
    episods.Items.resize(2);
    episods.Items[0].Name = "Corner \"Boutique\" <1>";
    episods.Items[0].Levels.resize(2);
    episods.Items[0].Levels[0].Name = "Level_1_1.xml";
    episods.Items[0].Levels[1].Name = "Level_1_Pixel.xml";
    episods.Items[1].Name = "Empty";
    const std::string text = CustomLevelsTree(episods);
    EXPECT_EQ(text,
        "<Items><i t=\"Corner Boutique 1\" c=\"False\"><i t=\"Level_1_1\"/><i t=\"Level_1_Pixel\"/></i>"
        "<i t=\"Empty\" c=\"False\"></i></Items>");
    TQelParser document;
    document.LoadFromText(text);
    const TQelXMLTag* items = document.FindChildByName("Items");
    ASSERT_NE(items, nullptr);
    ASSERT_EQ(items->ChildCount(), 2u);
    EXPECT_EQ(items->GetChild(0)->ChildCount(), 2u);
    EXPECT_EQ(items->GetChild(0)->GetChild(1)->Parent->Name, "i");
}

} // namespace
