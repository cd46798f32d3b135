// Customers: the customer type file, arrivals and places, orders of different types, the
// serving order, animation by patience, leaving, and what drawing them shows.
#include "LevelPlayTestKit.h"

#include "gameplay/Combining.h"
#include "gameplay/Customers.h"

#include <set>

namespace {

class CustomersTest : public TPlayFixture {};

TEST_F(CustomersTest, TheCustomerTypeFileGivesNamesAnimationsAndBubbles)
{
    ASSERT_EQ(mans.Count(), 3);
    const TManTypes& girl = mans.Items[0];
    EXPECT_EQ(girl.Name, "Girl");
    EXPECT_EQ(girl.Pict, "Girl.png");
    EXPECT_EQ(girl.TimeLeft, 60000);
    EXPECT_EQ(girl.TimeChangeAnime, 500);
    ASSERT_EQ(girl.Animes.size(), 2u);  // the last child is the bubble, not an animation
    EXPECT_EQ(girl.Animes[1].Begin, 41);
    EXPECT_EQ(girl.Animes[1].AnimeFiles, "GirlCalm.xml");
    EXPECT_EQ(girl.Oblako, "Oblako.png");
    EXPECT_EQ(girl.OblakoPos, (TPoint{20, -230}));
    EXPECT_EQ(mans.IndexByName("Granny"), 2);
    EXPECT_EQ(mans.IndexByName("granny"), -1);

    TManTypeTable broken;
    EXPECT_FALSE(broken.LoadMansText("<Nothing />", testLog.log));
    EXPECT_EQ(testLog.Lines.back(), "Error LoadMans");
}

TEST_F(CustomersTest, CustomersArriveAfterHalfASecondThenThreeThenSixAndTakeTheFirstFreePlaces)
{
    Run();
    const int64_t start = clock.NowMs();
    Play(20);  // the first frame decides: nobody is there, one comes 500 ms later
    EXPECT_EQ(level->Play.Customers.NextArrivalAt, start + 20 + 500);
    Play(480);
    EXPECT_TRUE(level->Play.Customers.Persons.empty());
    Play(20);
    ASSERT_EQ(level->Play.Customers.Persons.size(), 1u);
    EXPECT_EQ(sounds.Events.back(), "NewPerson");
    // It walks in from off screen to the first place in 300 ms.
    EXPECT_EQ(Customer(0).PlaceIndex, 0);
    EXPECT_EQ(Customer(0).MoveFrom, (TPoint{-100, 400}));
    Play(300);
    EXPECT_EQ(Customer(0).X, 600);
    EXPECT_FALSE(Customer(0).Moving);

    const int64_t second = level->Play.Customers.NextArrivalAt;
    EXPECT_EQ(second, start + 520 + 3000);
    clock.Set(second - 20);
    Play(20);
    ASSERT_EQ(level->Play.Customers.Persons.size(), 2u);
    EXPECT_EQ(Customer(1).PlaceIndex, 1);
    // With two present and three allowed, the third comes 6000 ms after the decision.
    EXPECT_EQ(level->Play.Customers.NextArrivalAt, second + 6000);
    Play(5980);
    EXPECT_EQ(level->Play.Customers.Persons.size(), 2u);
    Play(20);
    ASSERT_EQ(level->Play.Customers.Persons.size(), 3u);
    EXPECT_EQ(Customer(2).PlaceIndex, 2);
    // Nobody else comes while three stand in the shop.
    Play(10000);
    EXPECT_EQ(level->Play.Customers.Persons.size(), 3u);
    EXPECT_EQ(level->Play.Customers.NextArrivalAt, 0);
}

TEST_F(CustomersTest, TwoCustomersNeverWantTheSamePieceType)
{
    Run();
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        SCOPED_TRACE(seed);
        random.Seed(seed);
        level->Play.Customers.Persons.clear();
        for (TPersPlace& place : level->Scene.PersPosition)
            place.Occupied = false;
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(AddPerson(*level, game, -1, clock.NowMs()));
        std::set<int32_t> wanted;
        for (const TPerson& person : level->Play.Customers.Persons)
            wanted.insert(person.Orders.at(0).TypeIndex);
        EXPECT_EQ(wanted.size(), 3u);
    }
}

TEST_F(CustomersTest, NobodyComesWithoutAPieceTypeLeftToOrderOrAFreePlaceOrAnotherCustomerType)
{
    Run();
    struct TCase {
        const char* What;
        std::vector<int32_t> Types;
        size_t Places;
        std::vector<TCastEntry> Cast;
        size_t Expected;
    };
    const TCase cases[] = {
        {"two types for three customers", {0, 1}, 3, {{0, "Girl", {{1}}}, {1, "Boy", {{1}}}, {2, "Granny", {{1}}}}, 2},
        {"two places", {0, 1, 2}, 2, {{0, "Girl", {{1}}}, {1, "Boy", {{1}}}, {2, "Granny", {{1}}}}, 2},
        {"a cast of one customer type", {0, 1, 2}, 3, {{0, "Girl", {{1}}}, {0, "Girl", {{2}}}}, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        level->Play.Customers = TCustomers{};
        level->LevelFishes = c.Types;
        level->Scene.PersPosition.resize(c.Places);
        for (TPersPlace& place : level->Scene.PersPosition)
            place.Occupied = false;
        episods.Items[0].Levels[1].Cast = c.Cast;
        for (int i = 0; i < 3; ++i)
            AddPerson(*level, game, -1, clock.NowMs());
        EXPECT_EQ(level->Play.Customers.Persons.size(), c.Expected);
        // A customer who could not come leaves its place free.
        size_t occupied = 0;
        for (const TPersPlace& place : level->Scene.PersPosition)
            occupied += place.Occupied;
        EXPECT_EQ(occupied, c.Expected);
    }
}

TEST_F(CustomersTest, AnOrderIsACountFromTheCastAndShowsInTheBubble)
{
    Run();
    ASSERT_TRUE(AddPerson(*level, game, 2, clock.NowMs()));  // Granny orders 3
    const TPerson& granny = Customer(0);
    ASSERT_EQ(granny.Orders.size(), 1u);
    const TOrder& order = granny.Orders[0];
    EXPECT_EQ(order.Remaining, 3);
    EXPECT_EQ(order.Shown, 3);
    EXPECT_EQ(order.Initial, 3);
    EXPECT_EQ(granny.Wanted, 3);
    EXPECT_EQ(order.OrderPicture, "PFishkaTypes" + std::to_string(order.TypeIndex) + "_all.png");
    EXPECT_EQ(granny.Patience, 1000000);
    EXPECT_EQ(granny.Deadline, clock.NowMs() + 1000000);
    EXPECT_EQ(granny.Bubble, "Oblako.png");
}

TEST_F(CustomersTest, ACountOfTwelveShowsItsPictureSixPixelsFurtherLeft)
{
    for (int shown : {9, 12}) {
        SCOPED_TRACE(shown);
        TPerson person;
        person.X = 300;
        person.Y = 500;
        person.BubbleX = 20;
        person.BubbleY = -230;
        person.Bubble = "Oblako.png";
        TOrder order;
        order.Shown = static_cast<uint8_t>(shown);
        person.Orders = {order};
        level->Play.Customers.Persons = {person};
        CreatePersonsOrderY(*level);
        auto drawn = PersonPictures(*level);
        ASSERT_EQ(drawn.size(), 4u);
        EXPECT_EQ(drawn[3].Picture, std::to_string(shown) + ".png");
        EXPECT_EQ(drawn[3].X, 300 + 20 + 10 - (shown > 9 ? 6 : 0));
        EXPECT_EQ(drawn[3].Y, 500 - 230 + 25);
    }
}

TEST_F(CustomersTest, TheServingOrderPutsTheLeastPatientFirst)
{
    Run();
    // Two customers with the same open order (as after a repaint) and different patience.
    for (int i = 0; i < 2; ++i) {
        TPerson person;
        person.PlaceIndex = i;
        person.StartTime = clock.NowMs() - (i == 0 ? 1000 : 400000);
        person.Deadline = person.StartTime + 1000000;
        person.UpdatePatience(clock.NowMs());
        TOrder order;
        order.TypeIndex = 0;
        order.Remaining = order.Shown = 2;
        person.Orders = {order};
        person.Wanted = 2;
        level->Play.Customers.Persons.push_back(person);
    }
    CreatePersonsServeOrder(*level);
    EXPECT_EQ(level->Play.Customers.ServeOrder, (std::vector<int32_t>{1, 0}));

    PutGarment(6000, 0, "1");
    PutGarment(4000, 0, "1");
    PutGarment(2000, 0, "2");
    Place();
    level->Belt.SelectedIndex = 2;
    ASSERT_TRUE(PutFishInsideFish(*level, game, 2, 1, clock.NowMs()));
    // Two outfits: the impatient customer gets both.
    EXPECT_EQ(Customer(1).Orders[0].Remaining, 0);
    EXPECT_EQ(Customer(0).Orders[0].Remaining, 2);
    EXPECT_EQ(level->Belt.Fishes[1].CustomerIndex, 1);
}

TEST_F(CustomersTest, AnimationFollowsPatienceAndFramesChangeOnTime)
{
    Run();
    ASSERT_TRUE(AddPerson(*level, game, 0, clock.NowMs()));
    Play(20);
    EXPECT_EQ(Customer(0).Picture, "GirlCalm_1.png");
    Play(220);
    EXPECT_EQ(Customer(0).Picture, "GirlCalm_2.png");
    Play(220);
    EXPECT_EQ(Customer(0).Picture, "GirlCalm_1.png");
    // Below 41 percent of patience the cross animation plays.
    Customer(0).StartTime = clock.NowMs() - 700000;
    Customer(0).Deadline = Customer(0).StartTime + 1000000;
    Play(220);
    EXPECT_EQ(Customer(0).PatiencePercent, 30);
    EXPECT_EQ(Customer(0).Picture.rfind("GirlCross_", 0), 0u);
}

TEST_F(CustomersTest, ALeavingCustomerIsRemovedAndPiecesOnTheirWayFollowTheList)
{
    Run();
    ASSERT_TRUE(AddPerson(*level, game, 0, clock.NowMs()));
    ASSERT_TRUE(AddPerson(*level, game, 1, clock.NowMs()));
    TFish& toFirst = PutGarment(6000, 0, "12");
    toFirst.CustomerIndex = 0;
    TFish& toSecond = PutGarment(4000, 0, "12");
    toSecond.CustomerIndex = 1;
    Customer(0).LeaveAt = clock.NowMs() + 10;
    Play(20);
    EXPECT_TRUE(Customer(0).Leaving);
    EXPECT_EQ(Customer(0).MoveTo.X, -100);
    EXPECT_EQ(level->Play.Customers.JustLeftUntil, clock.NowMs() + 2500);
    Play(500);
    ASSERT_EQ(level->Play.Customers.Persons.size(), 1u);
    EXPECT_FALSE(level->Scene.PersPosition[0].Occupied);
    EXPECT_EQ(level->Belt.Fishes[0].CustomerIndex, -1);
    EXPECT_EQ(level->Belt.Fishes[1].CustomerIndex, 0);  // still the second customer
    EXPECT_EQ(level->Play.Customers.ServeOrder, (std::vector<int32_t>{0}));
}

TEST_F(CustomersTest, WhenTheTimeIsOverCustomersLeaveThirtySecondsAfterTheirLastDelivery)
{
    Run();
    ASSERT_TRUE(AddPerson(*level, game, 0, clock.NowMs()));
    Customer(0).LastReceive = clock.NowMs();
    level->Times.LevelTime = 1000;
    Play(1000);
    EXPECT_TRUE(LevelTimeOver(*level));
    EXPECT_FALSE(Customer(0).Leaving);
    Play(28980);
    EXPECT_FALSE(Customer(0).Leaving);
    Play(40);
    EXPECT_TRUE(Customer(0).Leaving);
    EXPECT_FALSE(AddPerson(*level, game, 1, clock.NowMs()));  // nobody new after the time
}

}  // namespace
