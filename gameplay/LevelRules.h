// The rules of a standard level as the belt and the level start see them: the belt's
// events (hover, lost garments, served pieces reaching their customer, pop-up hints) go to
// the customers, the score and the input, and the level start loads the customers'
// animations and runs the level. One object for the game; a level links it as its events.
#pragma once

#include "gameplay/LevelServices.h"
#include "gameplay/ManTypes.h"
#include "gameplay/StartLevel.h"

#include <functional>

class TLevelGame;

class TLevelRules final : public IBeltEvents, public ILevelStartSteps {
public:
    explicit TLevelRules(TLevelGame& game) : game_(game) {}

    // The customer types whose animations a level start loads, and how an animation file
    // is read (the game loads the frame pictures with it).
    TManTypeTable* Mans = nullptr;
    TAnimeLoader AnimeLoader;
    // Reads the current player's record from the profile file again.
    std::function<void()> ReloadPlayerRecord;

    // IBeltEvents
    void CheckSelect(tLevel& level) override;
    void GarmentLost(tLevel& level, const TFish& fish) override;
    void PieceLeft(tLevel& level, const TFish& fish) override;
    bool ShowHints(tLevel& level, const std::string& scriptFile, int32_t hintNumber, int32_t pieceIndex) override;

    // ILevelStartSteps
    void EnterLevelScreen() override;
    void ReloadPlayer() override;
    void LoadCustomerAnimations(tLevel& level) override;
    void RunLevel(tLevel& level) override;

private:
    TLevelGame& game_;
};
