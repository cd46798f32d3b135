// The shipped piece types and the first shop's level files, read from content/ exactly as
// the game reads them: not one log line, every name resolved, and the shape the belt rules
// and the level screens rely on.
#include "GameplayTestKit.h"

#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"
#include "foundation/Text.h"
#include "gameplay/LevelFile.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path kContent = GLIM_CONTENT_DIR;

// Every picture the content build makes.
std::set<std::string> ManifestPictures()
{
    std::set<std::string> names;
    std::ifstream manifest(kContent / "pictures" / "manifest.txt");
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream words(line);
        std::string first;
        if (words >> first && first[0] != '#')
            names.insert(first);
    }
    return names;
}

// Every data file, by base name, wherever it lies below data/.
std::set<std::string> DataFiles()
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(kContent / "data"))
        if (entry.is_regular_file())
            names.insert(entry.path().filename().string());
    return names;
}

std::unique_ptr<TQelParser> ReadXml(const fs::path& path)
{
    auto document = std::make_unique<TQelParser>();
    auto bytes = ReadFileBytes(path);
    if (bytes)
        document->LoadFromText(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    return document;
}

// The outfit stages of an episode of "Episods.xml": the piece type names of each stage.
std::vector<std::vector<std::string>> EpisodeStages(const TQelXMLTag& episod)
{
    std::vector<std::vector<std::string>> stages;
    if (const TQelXMLTag* list = episod.GetChildByName("LevelFishes"))
        for (const auto& stage : list->Children) {
            stages.emplace_back();
            std::string text = stage->Text;
            for (size_t start = 0, end; (end = text.find(';', start)) != std::string::npos; start = end + 1)
                stages.back().push_back(Trim(std::string_view(text).substr(start, end - start)));
        }
    return stages;
}

class ShippedContentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TDataSource data(kContent / "data");
        ASSERT_TRUE(types.LoadFishkaTypes(data, "FishkaTypes.xml", log.log));
        episods = ReadXml(kContent / "data" / "Episods.xml");
        ASSERT_GT(episods->ChildCount(), 0u);
    }
    const TQelXMLTag& Episod(size_t index) { return *episods->GetChild(0)->Children.at(index); }

    TTestLog log;
    TFishkaTypes types;
    std::unique_ptr<TQelParser> episods;
};

TEST_F(ShippedContentTest, EveryOutfitStageOfTheEightShopsIsAGarmentTypeOfItsPartCount)
{
    EXPECT_TRUE(log.Lines.empty());
    ASSERT_EQ(episods->GetChild(0)->ChildCount(), 8u);
    int garments = 0;
    for (size_t e = 0; e < 8; ++e)
        for (const auto& stage : EpisodeStages(Episod(e)))
            for (const std::string& name : stage) {
                SCOPED_TRACE(name);
                const TFishkaType* type = types.Type(types.IndexByName(name));
                ASSERT_NE(type, nullptr);
                ++garments;
                EXPECT_EQ(type->FileName, name);
                EXPECT_EQ(type->Style, TFishkaStyle::Standart);
                EXPECT_EQ(type->PieceCount, name.back() - '0');
                ASSERT_FALSE(type->Pieces.empty());
                // The last combination is the complete outfit, whose effect follows served pieces.
                EXPECT_EQ(PartCount(PartsFromDigits(type->Pieces.back().Hierarchy)), type->PieceCount);
                for (const TFishPiece& piece : type->Pieces)
                    EXPECT_EQ(piece.FileName, name + "_" + piece.Hierarchy + ".png");
                EXPECT_GE(type->ColorCount, 1);
            }
    EXPECT_EQ(garments, 66);
}

TEST_F(ShippedContentTest, TheFixedIndicesOfTheDemoScenesHoldTheKindsTheyNeed)
{
    ASSERT_GE(types.Count(), 75);
    for (int32_t t = 9; t <= 12; ++t)
        EXPECT_TRUE(types.Type(t)->IsBonusStyle()) << t;
    for (int32_t t : {68, 69, 70}) {
        const TFishkaType& type = *types.Type(t);
        EXPECT_EQ(type.Style, TFishkaStyle::Standart) << t;
        EXPECT_GE(type.PieceCount, 3) << t;  // a pixel level shows a three- or four-part guide
        EXPECT_NE(type.FileName.find('_'), std::string::npos) << t;
    }
    for (int32_t t : {73, 74})
        EXPECT_EQ(types.Type(t)->Style, TFishkaStyle::Standart) << t;
}

TEST_F(ShippedContentTest, TheFirstShopsPiecesHaveEveryPictureTheirPartsNeed)
{
    std::set<std::string> pictures = ManifestPictures();
    for (const auto& stage : EpisodeStages(Episod(0)))
        for (const std::string& name : stage)
            for (const TFishPiece& piece : types.Type(types.IndexByName(name))->Pieces) {
                EXPECT_TRUE(pictures.count(piece.FileName)) << piece.FileName;
                EXPECT_TRUE(pictures.count(name + "Oreol_" + piece.Hierarchy + ".png")) << name << piece.Hierarchy;
            }
    for (const char* name : {"reverce.png", "plus1.png", "plus1Oreol.png", "pause.png", "transform.png",
                             "MoneyBonusSmall.png", "MoneyBonus.png", "CoinSmall.png"})
        EXPECT_TRUE(pictures.count(name)) << name;
}

TEST_F(ShippedContentTest, TheFirstShopsStandardLevelsLoadCleanAndFitTheScreen)
{
    std::set<std::string> pictures = ManifestPictures();
    std::set<std::string> dataFiles = DataFiles();
    TDataSource levels(kContent / "data" / "levels");
    int checked = 0;
    for (const auto& entry : Episod(0).GetChildByName("Levels")->Children) {
        std::string name = entry->AttributeValue("Name");
        if (EqualsNoCase(entry->AttributeValue("Bonus"), "true") || AsciiLower(name).find("pixel") != std::string::npos)
            continue;
        SCOPED_TRACE(name);
        ++checked;
        TFakePictures loaded;
        TRandom random(1);
        TLevelLinks links;
        links.Types = &types;
        links.Random = &random;
        links.Log = &log.log;
        links.Pictures = &loaded;
        tLevel level(links);
        TLevelLoadContext context;
        context.Data = &levels;
        ASSERT_TRUE(LoadLevel(level, name, "", true, false, false, context));
        EXPECT_TRUE(log.Lines.empty()) << log.Lines.front();

        const TLenta* lenta = level.FirstLenta();
        ASSERT_NE(lenta, nullptr);
        EXPECT_GE(lenta->PathLength, 8 * 2 * kFishHalfLength);  // room for eight pieces at least
        EXPECT_NEAR(lenta->UnitsPerPixel(), 25.0, 0.5);         // the authored timing
        for (int32_t p = 0; p <= lenta->PathLength; p += 250) {
            TLentaPoint point = lenta->PointAt(p);
            // The stands stay on the screen, above the customers and clear of the clock panel.
            EXPECT_GE(point.X, 36);
            EXPECT_LE(point.X, 764);
            EXPECT_GE(point.Y, 240);
            EXPECT_LE(point.Y, 400);
        }
        EXPECT_EQ(level.Scene.LevelState, TLevelState::lsAero);
        EXPECT_FALSE(level.IsBonusLevel());
        EXPECT_GE(level.Scene.PersPosition.size(), 3u);
        EXPECT_FALSE(level.LevelFishes.empty());
        for (const std::string& picture : level.LoadedPictures)
            EXPECT_TRUE(pictures.count(picture)) << picture;
        EXPECT_FALSE(level.Scene.Effects.empty());
        for (const TSceneEffect& effect : level.Scene.Effects)
            EXPECT_TRUE(dataFiles.count(effect.FileName)) << effect.FileName;
    }
    EXPECT_EQ(checked, 6);
}

}  // namespace
