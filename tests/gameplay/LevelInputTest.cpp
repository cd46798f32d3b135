// The mouse in a level: selecting, dropping, clicking between a pair, bonuses and money
// bags, the right click, overlapping pieces, the hover highlight and pop-up hint balloons.
#include "LevelPlayTestKit.h"

#include "gameplay/Customers.h"
#include "gameplay/LevelHints.h"
#include "gameplay/LevelInput.h"

namespace {

// On the straight test belt a piece at position p stands with its picture's top left at
// (70 + p / 25, 200); the pictures are 60 x 80.
TPoint At(int32_t position) { return {100 + position / 25, 240}; }

class LevelInputTest : public TPlayFixture {
protected:
    LevelInputTest()
    {
        for (const char* name : {"FishkaTypes1_1.png", "FishkaTypes1_2.png", "FishkaTypes1_12.png", "pause.png",
                                 "MoneyBonusSmall.png"})
            pictures.Sizes[name] = {60, 80};
        Run();
        windows.ShowModal("WGame");
        level->Play.Customers.NextArrivalAt = -1;
    }

    void Click(TPoint p, TLevelMouseButton button = TLevelMouseButton::Left)
    {
        LevelMouseDown(*level, game, button, p.X, p.Y);
    }

    TFish& PutKind(int32_t position, TFishKind kind)
    {
        TFish fish;
        fish.Kind = kind;
        fish.Position = position;
        fish.BagCount = kind == TFishKind::MoneyBag ? 3 : 0;
        fish.AppearTime = clock.NowMs();
        MakeFishSurfName(*level, fish);
        level->Belt.Fishes.push_back(std::move(fish));
        return level->Belt.Fishes.back();
    }
};

TEST_F(LevelInputTest, AClickSelectsAPieceAndClickingItAgainChangesNothing)
{
    PutGarment(6000, 0, "1");
    PutGarment(3000, 1, "1");
    Place();
    Click(At(6000));
    EXPECT_EQ(level->Belt.SelectedIndex, 0);
    EXPECT_TRUE(level->Belt.Fishes[0].Selected);
    EXPECT_EQ(sounds.Events.back(), "SelectDress");
    const size_t soundsBefore = sounds.Events.size();
    Click(At(6000));
    EXPECT_EQ(level->Belt.SelectedIndex, 0);
    EXPECT_EQ(sounds.Events.size(), soundsBefore);
    // A piece it cannot be dropped on takes the selection.
    Click(At(3000));
    EXPECT_EQ(level->Belt.SelectedIndex, 1);
    EXPECT_FALSE(level->Belt.Fishes[0].Selected);
    EXPECT_TRUE(level->Belt.Fishes[1].Selected);
}

TEST_F(LevelInputTest, ASecondClickDropsTheSelectedPieceAndItLeavesTheBelt)
{
    ASSERT_TRUE(AddPerson(*level, game, 0, clock.NowMs()));
    const int32_t wanted = Customer(0).Orders[0].TypeIndex;
    PutGarment(6000, wanted, "1");
    PutGarment(3000, wanted, "2");
    for (int32_t type = 0; type < 3; ++type)
        for (const char* d : {"1", "2", "12"})
            pictures.Sizes["FishkaTypes" + std::to_string(type) + "_" + d + ".png"] = {60, 80};
    for (TFish& fish : level->Belt.Fishes)
        MakeFishSurfName(*level, fish);
    Place();
    Click(At(3000));
    Click(At(6000));
    ASSERT_EQ(level->Belt.Fishes.size(), 1u);
    EXPECT_EQ(level->Belt.SelectedIndex, -1);
    EXPECT_EQ(PartDigits(level->Belt.Fishes[0].TargetParts), "12");
    EXPECT_GT(level->Play.Score.LevelScore, 0);
    EXPECT_EQ(Customer(0).Wanted, 0);
}

TEST_F(LevelInputTest, AnUnfinishedDropKeepsTheTargetSelected)
{
    PutGarment(6000, 3, "1");
    PutGarment(3000, 3, "3");
    pictures.Sizes["FishkaTypes3_1.png"] = pictures.Sizes["FishkaTypes3_3.png"] = {60, 80};
    for (TFish& fish : level->Belt.Fishes)
        MakeFishSurfName(*level, fish);
    Place();
    Click(At(3000));
    Click(At(6000));
    ASSERT_EQ(level->Belt.Fishes.size(), 1u);
    EXPECT_EQ(level->Belt.SelectedIndex, 0);
    EXPECT_TRUE(level->Belt.Fishes[0].Selected);
}

TEST_F(LevelInputTest, AClickBetweenTwoEqualPiecesDropsOnTheFirstOfThePair)
{
    // A three-part type, so that the drop finishes nothing and only its target changes.
    pictures.Sizes["FishkaTypes3_1.png"] = pictures.Sizes["FishkaTypes3_2.png"] = {60, 80};
    PutGarment(6000, 3, "1");
    PutGarment(4000, 3, "1");
    PutGarment(1000, 3, "2");
    Place();
    Click(At(1000));
    ASSERT_EQ(level->Belt.SelectedIndex, 2);
    Click({300, 240});  // between the pictures of the pair (230..290 and 310..370)
    ASSERT_EQ(level->Belt.Fishes.size(), 2u);
    EXPECT_EQ(PartDigits(level->Belt.Fishes[0].TargetParts), "12");
    EXPECT_EQ(level->Belt.Fishes[1].ApplyPartsAt, -1);
    EXPECT_EQ(level->Belt.SelectedIndex, 0);
}

TEST_F(LevelInputTest, AFailedDropOnAPlusOneSelectsItWithTheSelectionSound)
{
    pictures.Sizes["plus1.png"] = {60, 80};
    PutKind(6000, TFishKind::PlusOne);
    PutKind(3000, TFishKind::PlusOne);  // two plus-ones cannot combine
    Place();
    Click(At(3000));
    ASSERT_EQ(level->Belt.SelectedIndex, 1);
    EXPECT_EQ(sounds.Events.back(), "BonusPlus1");
    Click(At(6000));
    EXPECT_EQ(level->Belt.SelectedIndex, 0);
    EXPECT_EQ(level->Belt.Fishes.size(), 2u);
    EXPECT_EQ(sounds.Events.back(), "SelectDress");
}

TEST_F(LevelInputTest, ClicksUseBonusesAndBagsAndTheRightClickThrowsOnlyBonusesAway)
{
    PutKind(6000, TFishKind::MoneyBag);
    PutKind(3000, TFishKind::Pause);
    Place();
    Click(At(6000), TLevelMouseButton::Right);
    EXPECT_EQ(level->Belt.Fishes.size(), 2u);  // a money bag stays
    Click(At(3000), TLevelMouseButton::Right);
    ASSERT_EQ(level->Belt.Fishes.size(), 1u);  // a pause bonus goes
    EXPECT_EQ(level->Belt.PauseStart, -1);

    Click(At(6000));
    EXPECT_EQ(level->Play.Score.LevelScore, 4);
    EXPECT_EQ(level->Belt.SelectedIndex, -1);
    PutKind(3000, TFishKind::Pause);
    Place();
    Click(At(3000));
    EXPECT_EQ(level->Belt.PauseStart, clock.NowMs() + 300);
}

TEST_F(LevelInputTest, TheRightClickLetsGoOfTheSelection)
{
    PutGarment(6000, 0, "1");
    Place();
    Click(At(6000));
    ASSERT_EQ(level->Belt.SelectedIndex, 0);
    Click({50, 50}, TLevelMouseButton::Right);
    EXPECT_EQ(level->Belt.SelectedIndex, -1);
    EXPECT_FALSE(level->Belt.Fishes[0].Selected);
}

TEST_F(LevelInputTest, AmongOverlappingPiecesTheOneOpaqueAtThePointIsTaken)
{
    PutGarment(6000, 0, "1");  // picture 310..370
    PutGarment(5500, 1, "1");  // picture 290..350
    Place();
    host.AlphaOf = [](const std::string& picture, int32_t, int32_t) {
        return picture == "FishkaTypes0_1.png" ? 0 : 255;
    };
    EXPECT_EQ(FindFishAt(*level, game, 320, 240), 1);
    host.AlphaOf = [](const std::string&, int32_t, int32_t) { return 255; };
    EXPECT_EQ(FindFishAt(*level, game, 320, 240), 0);
    EXPECT_EQ(FindFishAt(*level, game, 360, 240), 0);  // only one there
    EXPECT_EQ(FindFishAt(*level, game, 360, 100), -1);
}

TEST_F(LevelInputTest, NothingIsTakenWhileTheLevelDoesNotAcceptInput)
{
    PutGarment(6000, 0, "1");
    Place();
    level->Play.Flow.InputEnabled = false;
    Click(At(6000));
    EXPECT_EQ(level->Belt.SelectedIndex, -1);
}

TEST_F(LevelInputTest, TheHoverHighlightShowsWhatAClickWouldTake)
{
    PutGarment(8000, 0, "1");
    PutGarment(6000, 0, "1");
    PutGarment(3000, 0, "2");
    PutGarment(1000, 3, "1");
    pictures.Sizes["FishkaTypes3_1.png"] = {60, 80};
    MakeFishSurfName(*level, level->Belt.Fishes[3]);
    Place();
    LevelMouseMove(*level, game, At(6000).X, At(6000).Y);
    EXPECT_TRUE(level->Belt.Fishes[1].Highlighted);
    EXPECT_FALSE(level->Belt.Fishes[0].Highlighted);

    Click(At(3000));
    LevelMouseMove(*level, game, At(6000).X, At(6000).Y);
    // The drop would finish the dress, and the equal half in front is finished with it.
    EXPECT_TRUE(level->Belt.Fishes[0].Highlighted);
    EXPECT_TRUE(level->Belt.Fishes[1].Highlighted);
    EXPECT_FALSE(level->Belt.Fishes[2].Highlighted);
    EXPECT_EQ(PartDigits(level->Belt.Fishes[1].Parts), "1");  // hovering changes nothing
    LevelMouseMove(*level, game, At(1000).X, At(1000).Y);
    for (const TFish& fish : level->Belt.Fishes)
        EXPECT_FALSE(fish.Highlighted);  // another garment: nothing to take
}

TEST_F(LevelInputTest, APopUpHintNearTheRightEdgeTakesARightHandBalloon)
{
    for (const char* balloon :
         {"PopUpHintLeftBottom.png", "PopUpHintLeftTop.png", "PopUpHintRightBottom.png", "PopUpHintRightTop.png"})
        pictures.Sizes[balloon] = {200, 120};
    auto left = PlaceHintBalloon(*level, {300, 300}, false);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->Window, "WGame_RLPopUpHint_LeftBottom");
    EXPECT_EQ(left->Pos, (TPoint{258, 214}));  // above the point, its tail's tip just below it
    auto right = PlaceHintBalloon(*level, {700, 300}, false);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->Window, "WGame_RLPopUpHint_RightBottom");
    EXPECT_FALSE(PlaceHintBalloon(*level, {900, 300}, false));

    // Once seen, a hint does not show again.
    game.Options.HintsOn = true;
    PutGarment(6000, 0, "1");
    Place();
    EXPECT_TRUE(ShowHints(*level, game, "Script_HintMoneyBag.xml", 4, false, -1, 0));
    EXPECT_EQ(host.Hints.back(), "Script_HintMoneyBag.xml@WGame_RLPopUpHint_LeftBottom");
    EXPECT_FALSE(level->Play.Flow.Paused);  // the test host plays no dialog: the level goes on
    EXPECT_FALSE(ShowHints(*level, game, "Script_HintMoneyBag.xml", 4, false, -1, 0));
}

// Clicks that take nothing (empty belt, the selected piece again, a piece it cannot join)
// five times within three seconds bring the over-clicking hint at the pointer, once;
// clicks spread wider apart, or clicks that do something, do not.
TEST_F(LevelInputTest, ManyFruitlessClicksInAFewSecondsBringTheOverClickingHintOnce)
{
    for (const char* balloon :
         {"PopUpHintLeftBottom.png", "PopUpHintLeftTop.png", "PopUpHintRightBottom.png", "PopUpHintRightTop.png"})
        pictures.Sizes[balloon] = {200, 120};
    game.Options.HintsOn = true;
    PutGarment(6000, 0, "1");
    PutGarment(3000, 1, "1");
    Place();
    const TPoint nothing{400, 500};
    auto hints = [&] { return std::count(host.Hints.begin(), host.Hints.end(),
                                         "Script_HintOverClicking.xml@WGame_RLPopUpHint_LeftBottom"); };

    // Four misses, then a pause longer than the window: the count starts again.
    for (int i = 0; i < 4; ++i) {
        Click(nothing);
        clock.Advance(500);
    }
    clock.Advance(3000);
    Click(nothing);
    EXPECT_EQ(hints(), 0);

    // Picking pieces up is no miss; moving the selection between pieces that do not join is.
    Click(At(6000));
    Click(At(6000));
    Click(At(3000));
    Click(nothing);
    EXPECT_EQ(hints(), 0);
    Click(nothing);
    EXPECT_EQ(hints(), 1);
    for (int i = 0; i < 10; ++i)
        Click(nothing);
    EXPECT_EQ(hints(), 1) << "the hint is shown once";
    EXPECT_TRUE(game.ThePlayer().HintShown(2));
}

}  // namespace
