// Progress through the episodes and the values derived from it.
#include "metagame/EpisodProgress.h"

#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "metagame/Shop.h"
#include "metagame/ShopRules.h"

#include <algorithm>

void RefreshPlayerDerived(TPlayer& player, const TEpisods& episods, const TShop& shop)
{
    // Indices from the file select episodes and levels; keep them inside what exists. Before
    // the episodes are loaded nothing is known, and nothing is changed.
    if (episods.Count() > 0) {
        const int32_t last = episods.Count() - 1;
        player.MaxEpisod = std::clamp(player.MaxEpisod, 0, last);
        player.CurrentEpisod = std::clamp(player.CurrentEpisod, 0, last);
        const int32_t levels = static_cast<int32_t>(episods.Episod(player.CurrentEpisod)->Levels.size());
        player.CurrentLevel = std::clamp(player.CurrentLevel, 0, std::max(0, levels - 1));
    }

    const TEpisod* episod = episods.Episod(player.CurrentEpisod);
    player.MaxKostum = std::max(1, *std::max_element(player.Kostums.begin(), player.Kostums.end()));
    if (episod)
        player.MaxKostum = std::min(player.MaxKostum, static_cast<int32_t>(episod->LevelFishes.size()) + 1);

    if (episod) {
        // The wear page offers stages 1 and 2, or from the third episode on stages 2 and 3.
        const size_t k = player.CurrentEpisod > 1 ? 1 : 0;
        for (size_t half = 0; half < 2; ++half) {
            if (k + half >= episod->LevelFishes.size())
                continue;
            const auto& types = episod->LevelFishes[k + half];
            for (size_t c = 0; c < kWearColumns && c < types.size(); ++c)
                player.ShopWearTypes[half * kWearColumns + c] = types[c];
        }
    }

    player.Unlock = ComputeUnlockCountdowns(player, episod, shop);
}

int32_t AllowedCustomers(const TPlayer& player)
{
    const int32_t stage = std::max(1, player.Cur);
    return static_cast<int32_t>(
        std::count_if(player.Kostums.begin(), player.Kostums.end(), [stage](int32_t k) { return k >= stage; }));
}

int32_t OwnedOutfitCount(const TPlayer& player)
{
    return static_cast<int32_t>(
        std::count_if(player.Kostums.begin(), player.Kostums.end(), [](int32_t k) { return k > 0; }));
}

std::vector<int32_t> LevelOutfitTypes(const TPlayer& player, const TEpisod* episod)
{
    std::vector<int32_t> types;
    if (!episod)
        return types;
    const int32_t stage = std::max(1, player.Cur);
    for (int32_t c = 0; c < kWearColumns; ++c) {
        const int32_t k = player.Kostums[static_cast<size_t>(c)];
        if (k < stage)
            continue;
        const int32_t type = episod->StageType(k, c);
        if (type >= 0)
            types.push_back(type);
    }
    return types;
}

TProgress AdvanceAfterLevel(TPlayer& player, const TEpisods& episods)
{
    const TEpisod* episod = episods.Episod(player.CurrentEpisod);
    const int32_t levels = episod ? static_cast<int32_t>(episod->Levels.size()) : 0;
    player.CurrentLevel += 1;
    if (player.CurrentLevel < levels)
        return TProgress::NextLevel;

    if (player.CurrentEpisod >= 0 && player.CurrentEpisod < kEpisodSlots)
        player.WinEpisode[static_cast<size_t>(player.CurrentEpisod)] = true;
    player.CurrentEpisod += 1;
    player.CurrentLevel = 0;
    player.BagsCount = 0;
    player.ExtraExpertGoal = 0;
    player.GreatCount = 0;
    player.ExelentCount = 0;
    player.IncredibleCount = 0;
    player.FantasticCount = 0;
    player.NoMinus10 = false;
    player.NoBy = -1;
    ResetOutfits(player);

    if (episods.IsPlayable(player.CurrentEpisod)) {
        player.MaxEpisod = std::max(player.MaxEpisod, player.CurrentEpisod);
        return TProgress::NextEpisode;
    }
    // The last episode that can be played stays the current one on the map.
    int32_t last = 0;
    for (int32_t e = 0; e < episods.Count(); ++e)
        if (episods.IsPlayable(e))
            last = e;
    player.CurrentEpisod = last;
    player.MaxEpisod = last;
    return TProgress::GameComplete;
}

void ForgetEpisodUpgrades(TPlayer& player, int32_t episod)
{
    if (episod >= 0 && episod < static_cast<int32_t>(player.UpdateObjects.size()))
        player.UpdateObjects[static_cast<size_t>(episod)].clear();
}
