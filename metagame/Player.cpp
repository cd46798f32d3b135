// The player's record and its resets.
#include "metagame/Player.h"

#include <algorithm>
#include <cstdint>

namespace {

// Buying an outfit sets the count of shop visits without a purchase one below zero.
constexpr int32_t kMinNoBy = -1;

bool IsUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

int32_t HoldMoney(int64_t money)
{
    return static_cast<int32_t>(std::clamp<int64_t>(money, -kMaxMoney, kMaxMoney));
}

int32_t AddMoney(int32_t money, int64_t amount)
{
    // An amount beyond 32 bits is beyond any money; held to them first, the sum cannot
    // overflow before it is held itself.
    return HoldMoney(int64_t{money} + std::clamp<int64_t>(amount, INT32_MIN, INT32_MAX));
}

std::string CutPlayerName(std::string_view name)
{
    size_t characters = 0;
    for (size_t i = 0; i < name.size(); ++i)
        if (!IsUtf8Continuation(name[i]) && ++characters > kMaxPlayerNameLength)
            return std::string(name.substr(0, i));
    return std::string(name);
}

void HoldPlayerInRange(TPlayer& player)
{
    player.Name = CutPlayerName(player.Name);
    for (int32_t* money : {&player.CurrentScore, &player.TotalScore, &player.PrevScore})
        *money = HoldMoney(*money);
    for (int32_t& score : player.EpisodeScore)
        score = HoldMoney(score);
    for (int32_t* counter : {&player.BagsCount, &player.GreatCount, &player.ExelentCount, &player.IncredibleCount,
                             &player.FantasticCount, &player.ExtraExpertGoal, &player.ChooseInterior,
                             &player.MaxEpisod, &player.CurrentEpisod, &player.CurrentLevel, &player.Cur})
        *counter = std::clamp(*counter, 0, kMaxCounter);
    player.NoBy = std::clamp(player.NoBy, kMinNoBy, kMaxCounter);
    for (int32_t& stage : player.Kostums)
        stage = std::clamp(stage, 0, kMaxCounter);
}

const std::vector<int32_t>& TPlayer::UpgradesOf(int32_t episod) const
{
    static const std::vector<int32_t> none;
    if (episod < 0 || episod >= static_cast<int32_t>(UpdateObjects.size()))
        return none;
    return UpdateObjects[static_cast<size_t>(episod)];
}

bool TPlayer::HasUpgrade(int32_t episod, int32_t upgrade) const
{
    const auto& bought = UpgradesOf(episod);
    return std::find(bought.begin(), bought.end(), upgrade) != bought.end();
}

bool TPlayer::HintShown(int32_t hint) const
{
    return std::find(HintsShown.begin(), HintsShown.end(), hint) != HintsShown.end();
}

void ResetPlayerState(TPlayer& player, bool keepProgress)
{
    player.ChooseInterior = 0;
    player.TotalScore = 0;
    player.CurrentScore = 0;
    player.PrevScore = 0;
    player.NoBy = 0;
    player.BagsCount = 0;
    player.GreatCount = 0;
    player.ExelentCount = 0;
    player.IncredibleCount = 0;
    player.FantasticCount = 0;
    player.NoMinus10 = false;
    player.ExtraExpertGoal = 0;
    player.EpisodeScore.fill(0);
    player.WinEpisode.fill(false);
    player.Kostums = {1, 1, 0};
    player.Cur = 1;
    player.UpdateObjects.clear();
    player.OutfitsBoughtThisVisit = 0;
    if (keepProgress)
        return;
    player.WinGame = false;
    player.CurrentEpisod = 0;
    player.MaxEpisod = 0;
    player.CurrentLevel = 0;
    player.ShowInHighScores = true;
    player.HintsShown.clear();
}

int32_t WearBase(const TPlayer& player)
{
    return player.CurrentEpisod > 1 ? 1 : 0;
}

void ResetOutfits(TPlayer& player)
{
    player.Kostums = {1, 1, WearBase(player)};
    player.OutfitsBoughtThisVisit = 0;
    player.Cur = 1;
}
