// Piece births: weighted choices, the part weights, bonus kinds, the forced pieces of a
// level, the special piece, and what a new piece carries.
#include "GameplayTestKit.h"

#include "gameplay/FishBirth.h"

#include <map>

namespace {

class FishBirthTest : public TBeltFixture {
protected:
    // Births n pieces, each on an otherwise unchanged belt, and counts "type:part" (or
    // the kind number of a bonus).
    std::map<std::string, int> Births(int n)
    {
        std::map<std::string, int> seen;
        for (int i = 0; i < n; ++i) {
            size_t before = level->Belt.Fishes.size();
            if (!AddFishes(*level, 1000))
                continue;
            const TFish& fish = level->Belt.Fishes.back();
            ++seen[fish.IsGarment() ? std::to_string(fish.TypeIndex) + ":" + PartDigits(fish.Parts)
                                    : "kind" + std::to_string(static_cast<int>(fish.Kind))];
            level->Belt.Fishes.resize(before);
        }
        return seen;
    }
};

TEST(ChooseWeightedTest, PicksByWeightAndNothingWhenAllAreZero)
{
    TRandom random(7);
    EXPECT_EQ(ChooseWeighted(random, {}), -1);
    EXPECT_EQ(ChooseWeighted(random, {0, 0, 0}), -1);
    EXPECT_EQ(ChooseWeighted(random, {0, -5}), -1);
    uint32_t state = random.State();
    EXPECT_EQ(ChooseWeighted(random, {0, 0}), -1);
    EXPECT_EQ(random.State(), state);  // nothing drawn
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(ChooseWeighted(random, {0, 7, 0}), 1);
    int first = 0;
    for (int i = 0; i < 4000; ++i)
        first += ChooseWeighted(random, {1, 3}) == 0;
    EXPECT_NEAR(first / 4000.0, 0.25, 0.03);
}

TEST_F(FishBirthTest, OnlyPartsATypeHasAreBornAndCopiesOnTheBeltHalveAPartsChance)
{
    level->LevelFishes = {1, 3};  // Suit_2, Hat_3
    auto seen = Births(2000);
    EXPECT_EQ(seen.size(), 5u);  // 1:1 1:2 3:1 3:2 3:3
    EXPECT_EQ(seen.count("1:3") + seen.count("1:4") + seen.count("3:4"), 0u);
    for (const auto& [piece, count] : seen)
        EXPECT_NEAR(count / 2000.0, 0.2, 0.04) << piece;

    level->LevelFishes = {1};
    Put(5000, 1, 1);  // one copy of part 1: 50000 against 100000
    seen = Births(3000);
    EXPECT_NEAR(seen["1:1"] / 3000.0, 1.0 / 3, 0.04);
    for (int i = 0; i < 16; ++i)
        Put(5000, 1, 1);  // seventeen copies: the weight halves to nothing
    seen = Births(200);
    EXPECT_EQ(seen["1:2"], 200);
}

TEST_F(FishBirthTest, NoPieceWhenThereIsNothingToChooseFrom)
{
    struct TCase {
        const char* What;
        std::vector<int32_t> Types;
        bool Special;
    };
    const TCase cases[] = {{"no piece types", {}, false}, {"only the special type", {2}, true}, {"unknown type", {77}, false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        level->Belt.Fishes.clear();
        level->LevelFishes = c.Types;
        level->Scene.SpecialFish = c.Special;
        level->Belt.SpecialCountdown = -1;
        EXPECT_FALSE(AddFishes(*level, 1000));
        EXPECT_TRUE(level->Belt.Fishes.empty());
    }
}

TEST_F(FishBirthTest, BonusesAreBornOnlyWhenEnabledAndNeverTwiceOnTheBelt)
{
    auto seen = Births(500);
    EXPECT_EQ(seen.count("kind1") + seen.count("kind2") + seen.count("kind3") + seen.count("kind4"), 0u);

    level->Belt.Bonuses = {true, true, true, true};
    seen = Births(5800);  // each bonus weighs 4 against 100 for a garment
    for (const char* kind : {"kind1", "kind2", "kind3", "kind4"})
        EXPECT_NEAR(seen[kind] / 5800.0, 4.0 / 116, 0.012) << kind;

    TFish plus;
    plus.Kind = TFishKind::PlusOne;
    level->Belt.Fishes.push_back(std::move(plus));
    seen = Births(2000);
    EXPECT_EQ(seen.count("kind2"), 0u);
    EXPECT_GT(seen["kind1"], 0);
}

TEST_F(FishBirthTest, TheForcedPiecesComeFirstThenRandomOnes)
{
    level->LevelFishes = {0, 1, 3};
    level->Scene.AddFishesList = {{TFishKind::PlusOne, 0, 0, -1},
                                  {TFishKind::Garment, 3, 2, -1},
                                  {TFishKind::Garment, 9, 1, -1},  // past the types: the last
                                  {TFishKind::Garment, 0, 1, -1},  // before them: the first
                                  {TFishKind::Garment, 0, 0, 4},   // by name: a part of that type
                                  {TFishKind::Garment, 1, 3, -1}};  // a part the type lacks
    auto& fishes = level->Belt.Fishes;
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(AddFishes(*level, 1000));
        fishes.back().Position = 0;
    }
    EXPECT_EQ(fishes[0].Kind, TFishKind::PlusOne);
    EXPECT_EQ(fishes[1].TypeIndex, 3);
    EXPECT_EQ(PartDigits(fishes[1].Parts), "2");
    EXPECT_EQ(fishes[2].TypeIndex, 3);
    EXPECT_EQ(PartDigits(fishes[2].Parts), "1");
    EXPECT_EQ(fishes[3].TypeIndex, 0);
    EXPECT_EQ(fishes[4].TypeIndex, 4);
    EXPECT_EQ(PartCount(fishes[4].Parts), 1);
    EXPECT_EQ(testLog.Lines, (std::vector<std::string>{"Error TLevel.AddFishes"}));
    EXPECT_TRUE(fishes[5].IsGarment());  // the bad entry gave a random piece
    EXPECT_EQ(level->Belt.AddFishesIndex, 6);
    EXPECT_TRUE(fishes[6].IsGarment());
}

TEST_F(FishBirthTest, TheSpecialPieceBringsTheMissingPartsThenWaitsForItsPeriod)
{
    level->LevelFishes = {0, 1, 3};  // Hat_3, the last, is special
    level->Scene.SpecialFish = true;
    level->Scene.SpecialFishPeriod = 3;
    level->Belt.SpecialCountdown = 0;
    auto& fishes = level->Belt.Fishes;

    ASSERT_TRUE(AddFishes(*level, 1000));
    EXPECT_EQ(fishes.back().TypeIndex, 3);
    EXPECT_EQ(level->Belt.SpecialCountdown, -1);  // none was on the belt
    std::string first = PartDigits(fishes.back().Parts);

    level->Belt.SpecialCountdown = 0;
    ASSERT_TRUE(AddFishes(*level, 1000));
    EXPECT_EQ(fishes.back().TypeIndex, 3);
    EXPECT_NE(PartDigits(fishes.back().Parts), first);
    EXPECT_EQ(level->Belt.SpecialCountdown, 3);

    for (int left : {2, 1, 0}) {
        ASSERT_TRUE(AddFishes(*level, 1000));
        EXPECT_NE(fishes.back().TypeIndex, 3);
        EXPECT_EQ(level->Belt.SpecialCountdown, left);
    }
    ASSERT_TRUE(AddFishes(*level, 1000));  // the third part
    EXPECT_EQ(fishes.back().TypeIndex, 3);
    size_t count = fishes.size();
    level->Belt.SpecialCountdown = 0;
    EXPECT_FALSE(AddFishesSpecial(*level, 1000));  // every part is on the belt
    EXPECT_EQ(fishes.size(), count);
    EXPECT_EQ(level->Belt.SpecialCountdown, -1);
}

TEST_F(FishBirthTest, ANewPieceStandsBehindTheNewestWithItsPicturesAndEffect)
{
    pictures.Sizes["FishkaTypes0_2.png"] = {64, 90};
    level->Demo.Recording = true;
    level->Demo.RecordStart = 500;
    ASSERT_TRUE(AddFishes(*level, 1000, 0, 2));
    const TFish& fish = level->Belt.Fishes.back();
    EXPECT_EQ(fish.Position, 0);
    EXPECT_EQ(fish.PictureName, "FishkaTypes0_2.png");
    EXPECT_EQ(fish.HaloName, "FishkaTypes0Oreol_2.png");
    EXPECT_EQ(fish.Width, 64);
    EXPECT_EQ(fish.CenterX, 30);
    EXPECT_EQ(fish.HalfLength, 1000);
    EXPECT_EQ(fish.EffectFile, "efSparkle.xml");
    EXPECT_EQ(fish.EffectX, 5);
    EXPECT_EQ(fish.CustomerIndex, -1);
    EXPECT_EQ(effects.PieceEffects, (std::vector<std::string>{"efSparkle.xml"}));
    EXPECT_EQ(level->Demo.Lines, (std::vector<std::string>{R"(<AddFishes FT="0" H="2" time="500" />)"}));

    level->Belt.Fishes.back().Position = 2500;
    ASSERT_TRUE(AddFishes(*level, 1000, 1, 1));
    EXPECT_EQ(level->Belt.Fishes.back().Position, 0);
    level->Belt.Fishes.back().Position = 600;
    ASSERT_TRUE(AddFishes(*level, 1000, 1, 1));
    EXPECT_EQ(level->Belt.Fishes.back().Position, -400);

    // A recorded piece the table does not have is refused.
    EXPECT_FALSE(AddFishes(*level, 1000, 1, 3));
    EXPECT_FALSE(AddFishes(*level, 1000, 42, 1));
    EXPECT_EQ(testLog.Lines.size(), 2u);
}

TEST_F(FishBirthTest, ABirthIsDueOnAnEmptyBeltOrOnceTheNewestPieceHasMovedOn)
{
    EXPECT_TRUE(BirthDue(*level));
    Put(2000);
    EXPECT_FALSE(BirthDue(*level));
    level->Belt.Fishes.back().Position = 2001;
    EXPECT_TRUE(BirthDue(*level));

    level->Lentas.clear();
    EXPECT_FALSE(AddFishes(*level, 1000));  // no belt, no pieces
}

}  // namespace
