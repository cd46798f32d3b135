// The customers of a level: when they arrive and where they stand, what each one orders,
// their animation by patience, their walk out, and the orders in which they are drawn and
// served.
#pragma once

#include "gameplay/Person.h"

#include <cstdint>
#include <string>
#include <vector>

class TLevelGame;
class tLevel;

struct TCustomers {
    std::vector<TPerson> Persons;
    int64_t NextArrivalAt = 0;  // 0 none planned
    int32_t CastIndex = 0;      // next cast entry to try
    std::vector<int32_t> DrawOrder;   // customer indices by place y, rising
    std::vector<int32_t> ServeOrder;  // customer indices by patience, least first
    int64_t JustLeftUntil = 0;  // a customer has just left; 0 none
    int32_t ExpectedCount = 0;  // customers the level still expects
    int32_t OrderWidth = 0;     // order pictures are made to this size
    int32_t OrderHeight = 0;
};

// How many customers may stand in the shop at once.
int32_t AllowedPersons(const tLevel& level, const TLevelGame& game);

// A new customer from the level's cast: castIndex -1 lets the level choose. False when
// nobody came (time over, enough customers, no cast entry of another type, no free place,
// no piece type left to order).
bool AddPerson(tLevel& level, TLevelGame& game, int32_t castIndex, int64_t now);

// One step of every customer, each frame while the level is played (not while it is
// paused).
void TickPersonTimer(tLevel& level, TLevelGame& game, int64_t now);

// The drawing order (by place y) and the serving order (least patience first).
void CreatePersonsOrderY(tLevel& level);
void CreatePersonsServeOrder(tLevel& level);

// Removes the customer at index: frees its place and keeps the pieces that fly to
// customers pointing at the right ones.
void RemovePerson(tLevel& level, int32_t index);

// The customer begins to walk out.
void StartPersonLeaving(tLevel& level, TPerson& person, int64_t now);

// What drawing the customers puts on the screen, back to front: each customer's frame,
// then its bubble, order picture and count.
struct TPersonPicture {
    std::string Picture;
    int32_t X = 0;  // top left
    int32_t Y = 0;
};
std::vector<TPersonPicture> PersonPictures(const tLevel& level);
