// The game's loading behind the "WGameLoading" window and its progress bar, then the
// splash: the title composed into the background while "efShow.xml" plays over it, until
// the title takes over.
#pragma once

#include "screens/ProfileWindows.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"

#include <cstdint>
#include <string>
#include <vector>

class TLoadingScreen final : public IScreen {
public:
    TLoadingScreen(TScreenContext& context, TProfileWindows& profiles);

    // Loads every picture, table and window of the game in its order, showing the
    // progress, and ends in the splash. Runs once, at the first activation, after the
    // display is set up. A loader that fails logs its line and the loading goes on.
    void LoadGame();
    // The surface engine's progress while the pictures load: the bar moves and the
    // loading window is copied to the screen at once, since the loading holds the loop.
    void ShowGameProgress(int percent);

    // smSplash
    void Tick(int64_t now) override;
    void Draw() override;
    bool ComposesWholeFrame() const override { return true; }

private:
    void LoadPermanentPictures(const std::string& listName);
    void LoadPictures(const std::vector<std::string>& names, int firstPercent);
    void StartTitleMusic();
    void StartSplash();

    TScreenContext& c_;
    TProfileWindows& profiles_;
    int lastProgress_ = -1;
};
