// The player's record and its resets.
#include "metagame/Player.h"

#include <algorithm>

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
