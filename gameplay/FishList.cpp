// Removing and inserting belt pieces while keeping the selection indices on their pieces.
#include "gameplay/FishList.h"

#include "gameplay/Level.h"

#include <algorithm>

namespace {

// An index into the piece list after the piece at `removed` left it.
int32_t AfterRemoval(int32_t index, int32_t removed)
{
    if (index < 0 || index == removed)
        return -1;
    return index > removed ? index - 1 : index;
}

}  // namespace

void DeleteFishes(tLevel& level, int32_t index)
{
    auto& fishes = level.Belt.Fishes;
    if (index < 0 || index >= static_cast<int32_t>(fishes.size())) {
        level.WriteLog("Error TLevel.DeleteFishes");
        return;
    }
    fishes.erase(fishes.begin() + index);
    level.Belt.SelectedIndex = AfterRemoval(level.Belt.SelectedIndex, index);
    level.Belt.NextSelection = AfterRemoval(level.Belt.NextSelection, index);
}

void InsertFish(tLevel& level, int32_t index, TFish fish)
{
    auto& fishes = level.Belt.Fishes;
    index = std::clamp(index, 0, static_cast<int32_t>(fishes.size()));
    fishes.insert(fishes.begin() + index, std::move(fish));
    if (level.Belt.SelectedIndex >= index)
        ++level.Belt.SelectedIndex;
    if (level.Belt.NextSelection >= index)
        ++level.Belt.NextSelection;
}

void ClearSelection(tLevel& level)
{
    level.Belt.SelectedIndex = -1;
    for (TFish& fish : level.Belt.Fishes)
        fish.Selected = false;
}
