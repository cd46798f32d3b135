// The recipe display a dialog shows over a level: one row per hint type, its single parts
// joined by plus signs, then the equals sign and the whole outfit; four-part types join the
// first three parts with the fourth; marked points for the sparkle of a new part.
#include "GameplayTestKit.h"

#include "gameplay/Level.h"
#include "gameplay/LevelHints.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kDressType = 0;  // two parts, the first shifted by (1, 2)
constexpr int32_t kHatType = 3;    // three parts
constexpr int32_t kGownType = 4;   // four parts

// "picture@x,y" for each entry, signs marked with a "+".
std::vector<std::string> Placed(const TRecipeDisplay& display)
{
    std::vector<std::string> out;
    for (const TRecipeEntry& e : display.Entries)
        out.push_back((e.Sign ? "+" : "") + e.Picture + "@" + std::to_string(e.X + e.ShiftX) + "," +
                      std::to_string(e.Y + e.ShiftY));
    return out;
}

class RecipeDisplayTest : public TBeltFixture {
protected:
    RecipeDisplayTest()
    {
        for (const char* name : {"Dress_2_1.png", "Dress_2_2.png", "Dress_2_12.png", "Hat_3_1.png", "Hat_3_2.png",
                                 "Hat_3_3.png", "Hat_3_123.png", "Gown_4_123.png", "Gown_4_4.png", "Gown_4_1234.png"})
            pictures.Sizes[name] = {50, 80};
        pictures.Sizes["signPlus.png"] = {40, 40};
        pictures.Sizes["ravno.png"] = {40, 40};
        pictures.Sizes["Stoika.png"] = {60, 100};
    }
    void Hints(std::vector<int32_t> types, std::vector<TPoint> points = {}, bool effect = true)
    {
        TLevelHints& hints = level->Scene.Hints;
        hints.HasHintFishes = true;
        hints.HintFishes = std::move(types);
        hints.HintPoints = std::move(points);
        hints.HintEffect = effect;
    }
};

TEST_F(RecipeDisplayTest, RowsStartAtTheBuiltInOriginsForTheirCount)
{
    struct TCase {
        std::vector<int32_t> Types;
        std::vector<std::string> Expected;
    };
    // The stand is 100 high: signs stand at the row's top + 50 - 30, equals 5 lower.
    const TCase cases[] = {
        {{kDressType},
         {"Dress_2_1.png@321,202", "+signPlus.png@370,220", "Dress_2_2.png@420,200", "Dress_2_12.png@530,200",
          "+ravno.png@480,225"}},
        {{kDressType, kHatType},
         {"Dress_2_1.png@321,102", "+signPlus.png@370,120", "Dress_2_2.png@420,100", "Dress_2_12.png@530,100",
          "+ravno.png@480,125", "Hat_3_1.png@320,250", "+signPlus.png@370,270", "Hat_3_2.png@420,250",
          "+signPlus.png@470,270", "Hat_3_3.png@520,250", "Hat_3_123.png@630,250", "+ravno.png@580,275"}},
        {{kGownType},
         {"Gown_4_123.png@320,200", "+signPlus.png@370,210", "Gown_4_4.png@420,200", "Gown_4_1234.png@530,200",
          "+ravno.png@480,215"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Types.size());
        Hints(c.Types);
        EXPECT_EQ(Placed(BuildRecipeDisplay(*level)), c.Expected);
    }
}

TEST_F(RecipeDisplayTest, GivenOriginsWinAndThreeRowsUseTheirOwnPlaces)
{
    Hints({kDressType, kDressType, kDressType}, {{10, 20}});
    const std::vector<std::string> placed = Placed(BuildRecipeDisplay(*level));
    ASSERT_EQ(placed.size(), 15U);
    EXPECT_EQ(placed[0], "Dress_2_1.png@11,22");
    EXPECT_EQ(placed[5], "Dress_2_1.png@251,182");
    EXPECT_EQ(placed[10], "Dress_2_1.png@341,262");
}

TEST_F(RecipeDisplayTest, TheNewPartOfThreeAndFourPartRowsIsMarkedWhenAsked)
{
    Hints({kDressType, kHatType, kGownType});
    const TRecipeDisplay marked = BuildRecipeDisplay(*level);
    ASSERT_EQ(marked.Marks.size(), 2U);
    EXPECT_EQ(marked.Marks[0].Point, (TPoint{450, 220}));  // the hat's third part, its middle
    EXPECT_EQ(marked.Marks[0].Half, (TPoint{20, 35}));
    EXPECT_EQ(marked.Marks[1].Point, (TPoint{440, 300}));  // the gown's fourth part
    EXPECT_EQ(marked.Marks[1].Half, (TPoint{25, 40}));
    EXPECT_EQ(marked.Stand.Name, "Stoika.png");

    Hints({kHatType}, {}, false);
    EXPECT_TRUE(BuildRecipeDisplay(*level).Marks.empty());
}

TEST_F(RecipeDisplayTest, NothingWithoutHintTypesAndUnknownTypesAreLeftOut)
{
    EXPECT_TRUE(BuildRecipeDisplay(*level).Entries.empty());
    Hints({99, kDressType});
    const std::vector<std::string> placed = Placed(BuildRecipeDisplay(*level));
    ASSERT_EQ(placed.size(), 5U);
    EXPECT_EQ(placed[0], "Dress_2_1.png@321,252") << "the second of two rows";
}

}  // namespace
