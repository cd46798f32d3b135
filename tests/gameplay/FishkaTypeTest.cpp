// The piece type file: its fields, the part combinations and what the table cannot hold.
#include "GameplayTestKit.h"

namespace {

TEST(FishkaTypeTest, ATypeKeepsItsPartsPicturesAndColours)
{
    TTestLog t;
    TFishkaTypes types;
    ASSERT_TRUE(types.LoadFishkaTypesText(R"(<FishkaTypes>
      <Other Name="ignored" />
      <FishkaType Name="Gown_4" FileName="Gown_4" PieceCount="4" Style="Him" FrameCount="3" MakeImages="FALSE"
                  CenterX="41" efCrem="efCrem.xml" efCremX="7" efCremY="-8">
        <Pieces>
          <Piece Hierarchy="12" FileName="Gown_4_12.png" ShiftX="3" />
          <Piece Hierarchy="4" FileName="Gown_4_shlyapa.png" ShiftX="-4" ShiftY="-20" />
          <Piece Hierarchy="1234" FileName="Gown_4_veshalka.png" ShiftX="2" ShiftY="9" Effect="efDone.xml" />
        </Pieces>
        <Colors>
          <Color Hue="120" Saturation="-10" Lightnes="5" ImagePostFix="blue" />
          <Color Hue="60" />
        </Colors>
      </FishkaType>
      <FishkaType Name="Box_Bow" FileName="Box_Bow" PieceCount="1" Style="bonus" MakeImages="no" />
      <FishkaType Name="Odd" Style="marble" />
    </FishkaTypes>)",
                                          t.log));
    EXPECT_TRUE(t.Lines.empty());
    ASSERT_EQ(types.Count(), 3);
    const TFishkaType& gown = *types.Type(0);
    EXPECT_EQ(gown.Style, TFishkaStyle::Him);
    EXPECT_EQ(gown.PieceCount, 4);
    EXPECT_EQ(gown.FrameCount, 3);
    EXPECT_FALSE(gown.MakeImages);
    EXPECT_EQ(gown.CenterX, 41);
    EXPECT_EQ(gown.efCrem, "efCrem.xml");
    EXPECT_EQ(gown.efCremY, -8);
    ASSERT_EQ(gown.Pieces.size(), 3u);
    EXPECT_EQ(gown.HierarchyLength, 2);
    EXPECT_EQ(gown.HatShift, (TPoint{-4, -20}));
    EXPECT_EQ(gown.HangerShift, (TPoint{2, 9}));
    EXPECT_EQ(gown.ColorCount, 2);
    EXPECT_EQ(gown.Colors[0].Hue, 120);
    EXPECT_EQ(gown.Colors[0].Saturation, -10);
    EXPECT_EQ(gown.Colors[0].ImagePostFix, "blue");
    EXPECT_EQ(gown.Colors[1].ImagePostFix, "");
    EXPECT_TRUE(types.Type(1)->MakeImages);  // only "false" turns it off
    EXPECT_TRUE(types.Type(1)->IsBonusStyle());
    EXPECT_EQ(types.Type(2)->Style, TFishkaStyle::Standart);
    EXPECT_EQ(types.IndexByName("Box_Bow"), 1);
    EXPECT_EQ(types.IndexByFileName("Gown_4"), 0);
    EXPECT_EQ(types.IndexByName("box_bow"), -1);
    EXPECT_EQ(types.Type(3), nullptr);
    EXPECT_EQ(types.Type(-1), nullptr);
}

TEST(FishkaTypeTest, FindHierarchyMatchesTheSetOfParts)
{
    TFishkaType type;
    for (const char* h : {"1", "2", "12", "13", "123"})
        type.Pieces.push_back({h, {}, {}, 0, 0, 0, 0});
    struct TCase {
        const char* Parts;
        int32_t Index;
    };
    for (const TCase& c : {TCase{"1", 0}, TCase{"12", 2}, TCase{"21", 2}, TCase{"31", 3}, TCase{"123", 4},
                           TCase{"3", -1}, TCase{"", -1}, TCase{"1234", -1}}) {
        SCOPED_TRACE(c.Parts);
        EXPECT_EQ(FindHierarchy(type, PartsFromDigits(c.Parts)), c.Index);
    }
    EXPECT_EQ(PartDigits(PartsFromDigits("4x1")), "14");
    EXPECT_EQ(PartCount(PartsFromDigits("1248")), 4);
    EXPECT_EQ(PartDigits(SinglePart(9)), "");
}

TEST(FishkaTypeTest, WhatTheTableCannotHoldIsCutAndLogged)
{
    struct TCase {
        const char* Text;
        int Types;
        bool Clean;
    };
    std::string nineColours = "<FishkaTypes><FishkaType Name=\"A\"><Colors>";
    for (int i = 0; i < 9; ++i)
        nineColours += "<Color Hue=\"" + std::to_string(i) + "\" />";
    nineColours += "</Colors></FishkaType></FishkaTypes>";
    const TCase cases[] = {
        {"<FishkaTypes><FishkaType Name=\"A\" PieceCount=\"9\" /></FishkaTypes>", 1, false},
        {"<FishkaTypes><FishkaType Name=\"A\" PieceCount=\"-2\" /></FishkaTypes>", 1, false},
        {nineColours.c_str(), 1, false},
        {"<Types><FishkaType Name=\"A\" /></Types>", 0, false},
        {"", 0, false},
        {"<FishkaTypes />", 0, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TTestLog t;
        TFishkaTypes types;
        EXPECT_EQ(types.LoadFishkaTypesText(c.Text, t.log), c.Clean);
        EXPECT_EQ(types.Count(), c.Types);
        EXPECT_EQ(t.Lines, c.Clean ? std::vector<std::string>{} : std::vector<std::string>{"Error  LoadFishkaTypes"});
        for (const TFishkaType& type : types.Items) {
            EXPECT_LE(type.PieceCount, kMaxPieceCount);
            EXPECT_LE(type.ColorCount, kMaxFishColors);
        }
    }
}

}  // namespace
