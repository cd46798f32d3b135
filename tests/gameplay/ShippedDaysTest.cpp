// The first shop's bonus and picture days as shipped: they load without a log line, the box
// fits between the bonus panel and the screen's edge and has a move, its tokens and the
// register have their pictures, and the search picture hides enough parts for every slot
// its episode entry asks to complete, all above the panel.
#include "GameplayTestKit.h"

#include "foundation/DataSource.h"
#include "gameplay/BonusBox.h"
#include "gameplay/LevelFile.h"
#include "gameplay/PixelSearch.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path kContent = GLIM_CONTENT_DIR;
constexpr int32_t kBonusPanelRight = 112;
constexpr int32_t kPixelOutfits = 8;  // the picture day's CompleteNeed in Episods.xml

// Every picture the content build makes, with its size.
std::map<std::string, std::pair<int32_t, int32_t>> Pictures()
{
    std::map<std::string, std::pair<int32_t, int32_t>> sizes;
    std::vector<fs::path> files{kContent / "pictures" / "manifest.txt"};
    for (const auto& entry : fs::directory_iterator(kContent / "pictures" / "manifest.d"))
        files.push_back(entry.path());
    for (const fs::path& file : files) {
        std::ifstream manifest(file);
        for (std::string line; std::getline(manifest, line);) {
            std::istringstream words(line);
            std::string name;
            int32_t w = 0, h = 0;
            if (words >> name >> w >> h && name[0] != '#')
                sizes[name] = {w, h};
        }
    }
    return sizes;
}

class ShippedDaysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TDataSource data(kContent / "data");
        ASSERT_TRUE(types.LoadFishkaTypes(data, "FishkaTypes.xml", log.log));
        for (const auto& [name, size] : pictures)
            loaded.Sizes[name] = size;
    }

    std::unique_ptr<tLevel> Load(const std::string& file)
    {
        TLevelLinks links;
        links.Types = &types;
        links.Random = &random;
        links.Log = &log.log;
        links.Pictures = &loaded;
        auto level = std::make_unique<tLevel>(links);
        TDataSource levels(kContent / "data" / "levels");
        TLevelLoadContext context;
        context.Data = &levels;
        EXPECT_TRUE(LoadLevel(*level, file, "", true, false, false, context));
        EXPECT_TRUE(log.Lines.empty()) << log.Lines.front();
        for (const std::string& picture : level->LoadedPictures)
            EXPECT_TRUE(pictures.count(picture)) << picture;
        return level;
    }

    TTestLog log;
    TFishkaTypes types;
    TRandom random{1};
    TFakePictures loaded;
    std::map<std::string, std::pair<int32_t, int32_t>> pictures = Pictures();
};

TEST_F(ShippedDaysTest, TheBonusDaysBoxFitsHasAMoveAndEveryPicture)
{
    auto level = Load("Level_1_Bonus.xml");
    ASSERT_TRUE(level->IsBonusLevel());
    EXPECT_GE(level->LevelFishes.size(), 4u);
    for (int32_t t : level->LevelFishes) {
        ASSERT_TRUE(types.Type(t)->IsBonusStyle()) << t;
        EXPECT_TRUE(pictures.count(types.Type(t)->FileName + ".png")) << t;
    }
    for (const char* name : {"CashRegisterCoins.png", "CashRegisterTop.png", "CashRegisterRingB.png",
                             "CashRegisterRingT.png", "CashRegisterBasic.png", "CashRegisterGreat.png",
                             "CashRegisterExcellent.png", "CoinSmall.png", "BonusGreat.png", "BonusExcellent.png",
                             "BonusIncredible.png"})
        EXPECT_TRUE(pictures.count(name)) << name;
    EXPECT_EQ(pictures.at("CashRegisterCoins.png").second, kCashScaleHeight);
    for (int seed = 1; seed <= 5; ++seed) {
        random.Seed(static_cast<uint32_t>(seed));
        TBonusBox box;
        FillBoxByFishes(*level, box);
        ASSERT_EQ(box.Width, 8);
        ASSERT_EQ(box.Height, 8);
        EXPECT_TRUE(HasPossibleMove(box)) << seed;
        const TRect r = BoxRect(*level, box);
        EXPECT_GE(r.Left, kBonusPanelRight);
        EXPECT_LE(r.Right, 800);
        EXPECT_LE(r.Bottom, 600);
        EXPECT_GE(r.Top, level->Box.CellHeght);  // pieces fall in from above it
    }
}

TEST_F(ShippedDaysTest, ThePictureDayHidesEnoughPartsForEverySlotAboveThePanel)
{
    auto level = Load("Level_1_Pixel.xml");
    ASSERT_TRUE(level->IsPixelLevel());
    ASSERT_EQ(level->LevelFishes.size(), level->CountCompleteFishes.size());
    int32_t slots = 0;
    std::map<std::pair<int32_t, int32_t>, int32_t> parts;  // (type, part): findable pictures
    for (const tHeapRec& heap : level->Scene.HeapPictures) {
        ASSERT_TRUE(pictures.count(heap.FileName)) << heap.FileName;
        const auto [w, h] = pictures.at(heap.FileName);
        const int32_t side = heap.Angle != 0 ? std::max(w, h) : 0;
        EXPECT_GE(heap.Pos.X, 0) << heap.FileName;
        EXPECT_LE(heap.Pos.X + std::max(w, side), 800) << heap.FileName;
        EXPECT_LE(heap.Pos.Y + std::max(h, side), kPixelPanelTop) << heap.FileName;
        int32_t type = -1, part = 0;
        if (ParseFindable(*level, heap.FileName, type, part))
            ++parts[{type, part}];
    }
    for (size_t i = 0; i < level->LevelFishes.size(); ++i) {
        const int32_t type = level->LevelFishes[i];
        const int32_t count = level->CountCompleteFishes[i];
        slots += count;
        const TFishkaType& t = *types.Type(type);
        EXPECT_TRUE(pictures.count(t.FileName + (t.PieceCount == 3 ? "_123.png" : "_1234.png"))) << t.Name;
        for (int32_t p = 1; p <= t.PieceCount; ++p)
            EXPECT_GE((parts[{type, p}]), count) << t.Name << " part " << p;
    }
    EXPECT_EQ(slots, kPixelOutfits);
    for (const char* name : {"MenuPanel.png", "UnderOutfits.png", "GreenTick.png", "setka.png"})
        EXPECT_TRUE(pictures.count(name)) << name;
}

}  // namespace
