// Served pieces leaving the belt, the money bag a served group of three or more leaves
// behind, and the bags ageing until they vanish.
#pragma once

#include <cstdint>
#include <vector>

class tLevel;
struct TLevelFrame;

// The pieces that left the belt together in one frame.
struct TLeftGroup {
    std::vector<int32_t> Positions;
    int32_t LastIndex = -1;  // where the last of them stood once the others had left
};

// Removes every piece whose leave time has passed: a coin flies from those that carry
// one, and served pieces go on to their customer.
TLeftGroup RemoveLeavingFishes(tLevel& level, int64_t now);

// More than two pieces leaving together leave one money bag in their place, standing for
// all of them; fewer leave none. True when a bag was added.
bool AddMoneyBag(tLevel& level, const TLeftGroup& group, int64_t now);

// Bags do not age while a dialog plays; near the end of their time they change their
// effect, and at the end they vanish.
void TickMoneyBags(tLevel& level, const TLevelFrame& frame);
