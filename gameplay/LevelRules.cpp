// The belt's events and the level start steps of a standard level.
#include "gameplay/LevelRules.h"

#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelGame.h"
#include "gameplay/LevelHints.h"
#include "gameplay/LevelInput.h"
#include "gameplay/Scoring.h"
#include "metagame/Episods.h"

namespace {

constexpr int32_t kFlightToCustomer = 300;  // ms

}  // namespace

void TLevelRules::CheckSelect(tLevel& level) { ::CheckSelect(level, game_); }

void TLevelRules::GarmentLost(tLevel& level, const TFish&) { ChargeLostGarment(level, game_, game_.Now()); }

void TLevelRules::PieceLeft(tLevel& level, const TFish& fish)
{
    auto& persons = level.Play.Customers.Persons;
    if (fish.CustomerIndex < 0 || fish.CustomerIndex >= static_cast<int32_t>(persons.size()))
        return;
    TPerson& person = persons[static_cast<size_t>(fish.CustomerIndex)];
    if (person.RemoveAt > 0 && person.RemoveAt <= game_.Now())
        return;
    const TPoint from{static_cast<int32_t>(fish.X), static_cast<int32_t>(fish.Y)};
    const TPoint hands{person.X, person.Y - person.Height / 2};
    level.Effects().CreateMoveEffect("Move", "PFishkaTypes" + std::to_string(fish.TypeIndex) + "_all.png", from, hands,
                                     kFlightToCustomer);
    person.LastReceive = game_.Now();
}

bool TLevelRules::ShowHints(tLevel& level, const std::string& scriptFile, int32_t hintNumber, int32_t pieceIndex)
{
    int32_t customer = -1;
    if (pieceIndex >= 0 && pieceIndex < static_cast<int32_t>(level.Belt.Fishes.size()))
        customer = level.Belt.Fishes[static_cast<size_t>(pieceIndex)].CustomerIndex;
    return ::ShowHints(level, game_, scriptFile, hintNumber, false, customer, pieceIndex);
}

void TLevelRules::EnterLevelScreen() { game_.TheHost().EnterScreen(TLevelScreen::Level); }

void TLevelRules::ReloadPlayer()
{
    if (ReloadPlayerRecord)
        ReloadPlayerRecord();
}

void TLevelRules::LoadCustomerAnimations(tLevel& level)
{
    const TLevelInEpisod* entry = game_.LevelEntry(level);
    if (!Mans || !entry)
        return;
    std::vector<int32_t> types;
    for (const TCastEntry& cast : entry->Cast)
        types.push_back(cast.ManType);
    Mans->LoadAnimations(types, AnimeLoader);
}

void TLevelRules::RunLevel(tLevel& level) { ::RunLevel(level, game_); }
