// The adaptive level time.
#include "gameplay/LevelTime.h"

#include "foundation/Text.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr double kExGoalShare = 0.8;  // the time is made for this much of the expert goal
constexpr double kMsPerSecond = 1000.0;

}  // namespace

double TimeDeduction(const std::array<int32_t, 3>& kostums, int32_t noBy, const TLevelTimeParams& params)
{
    const auto k = std::count(kostums.begin(), kostums.end(), kostums[0]);
    const double perVisit = k == 1 ? params.Deduction1 : k == 2 ? params.Deduction2 : params.Deduction3;
    const double d = noBy * perVisit;
    if (!std::isfinite(d))
        return 0;
    return std::clamp(d, 0.0, kMaxDeduction);
}

int32_t AdaptiveLevelTime(const TLevelTimeInput& input, const TLevelTimeParams& params)
{
    // Seconds, so that a level without outfits to judge the player's speed by, or without
    // an expert goal to earn, keeps the episode's time (never a day of no time at all).
    double seconds = input.LevelTime / kMsPerSecond;
    const size_t n = input.OutfitValues.size();
    if (n > 0 && input.ExGoal > 0) {
        const double v = std::accumulate(input.OutfitValues.begin(), input.OutfitValues.end(), 0.0);
        const double earning = input.SpeedPlay * v / static_cast<double>(n);  // money per second
        if (earning != 0 && std::isfinite(earning))
            seconds = input.ExGoal * kExGoalShare / earning;
    }
    double time = (params.NewLevel + 1) * seconds * kMsPerSecond * (input.NewOutfits * params.NewKostum + 1) *
                  (input.FirstLevelOfEpisode ? params.NewEpisod + 1 : 1) *
                  (input.NoLevelWonYet ? params.NewStartGame + 1 : 1) *
                  (input.PreviousLevelWon ? params.LoseLevel + 1 : 1);
    int32_t levelTime = std::min(kMaxLevelTime, RoundHalfEven(time));
    const double d = TimeDeduction(input.Kostums, input.NoBy, params);
    return RoundHalfEven((1 - d) * levelTime);
}
