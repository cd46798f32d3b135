// One customer in the shop: where it stands or walks, what it ordered, how patient it
// still is, and the frame of its animation.
#pragma once

#include "foundation/Geometry.h"

#include <cstdint>
#include <string>
#include <vector>

// Customers wait this long before they give up: in practice never within a level.
inline constexpr int32_t kPersonPatience = 1000000;

// What a customer wants: outfits of one piece type.
struct TOrder {
    int32_t TypeIndex = -1;
    uint8_t Shown = 0;      // the count the bubble shows; catches up with Remaining at ShowAt
    uint8_t Remaining = 0;  // still wanted
    uint8_t Initial = 0;
    std::string OrderPicture;  // "PFishkaTypes" + type + "_all.png"
    int32_t OrderWidth = 0;
    int32_t OrderHeight = 0;
    int64_t ShowAt = 0;  // 0 none
};

struct TPerson {
    uint8_t ManType = 0;  // into the customer type table
    std::string Picture;  // the current frame of its animation
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t X = 0;  // bottom centre of the picture
    int32_t Y = 0;
    std::string Bubble;
    int32_t BubbleX = 0;
    int32_t BubbleY = 0;
    int32_t BubbleWidth = 0;
    int32_t BubbleHeight = 0;
    std::vector<TOrder> Orders;  // always one
    uint8_t Wanted = 0;          // outfits still wanted over all orders
    int32_t Patience = kPersonPatience;  // ms left before it gives up
    int64_t StartTime = 0;
    int64_t Deadline = 0;
    int32_t PatiencePercent = 100;
    int64_t LastReceive = 0;  // arrival, then the last outfit that reached it
    int32_t AnimeIndex = 0;
    int64_t NextAnimeAt = 0;
    bool Moving = false;
    TPoint MoveFrom;
    TPoint MoveTo;
    int64_t MoveStart = 0;
    int64_t MoveEnd = 0;
    int32_t PlaceIndex = -1;
    bool Leaving = false;
    int64_t LeaveAt = 0;   // 0 none
    int64_t RemoveAt = 0;  // 0 none
    bool Redraw = false;

    // Starts a walk to target that ends duration ms from now.
    void StartMove(TPoint target, int64_t now, int32_t duration);
    // One step of a walk in progress.
    void Move(int64_t now);
    // Patience from the deadline, and its share of the whole wait.
    void UpdatePatience(int64_t now);
};
