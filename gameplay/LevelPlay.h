// The state a level keeps while it is played beyond its belt: the customers, the score,
// the flow of the level and the counters of its results.
#pragma once

#include "gameplay/Customers.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/ResultCounters.h"
#include "gameplay/Scoring.h"

struct TLevelPlay {
    TCustomers Customers;
    TLevelScoring Score;
    TLevelFlow Flow;
    TResultCounters Counters;
};
