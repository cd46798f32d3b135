// The title screen "WTitle": its buttons, the glow that follows the pointer over the four
// main buttons, and the quit question "WQuit".
#pragma once

#include "screens/OptionsWindow.h"
#include "screens/ProfileWindows.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

#include <array>
#include <cstdint>
#include <functional>

class IJourney;
class TPlayersFile;

// Shows the title: the interface is reset to "WTitle" over "Title.jpg", the title's air
// effect runs, and smTitle follows.
void GoInTitle(TScreenContext& context);
// Takes the glow of the main buttons away, so none stays lit behind a window that opens
// over the title (the glow follows the pointer only while the title is on top).
void RemoveTitleHover(TScreenContext& context);

class TTitleScreen final : public IScreen {
public:
    TTitleScreen(TScreenContext& context, TOptionsWindow& options, TProfileWindows& profiles, TPlayersFile& players);

    // Where Play leads: the map or the saved day.
    void SetJourney(IJourney* journey) { journey_ = journey; }
    // What the developers' button opens: the day list of the editor.
    void SetCustomLevels(std::function<void()> open) { openCustomLevels_ = std::move(open); }

    void Tick(int64_t now) override;

    void WTitle_BPlay_MouseUp();
    void WTitle_BEdit_MouseUp();
    void WTitle_BQuit_MouseUp();
    void WTitle_BPlayLevel_MouseUp();
    void WTitle_BOptions_MouseUp();
    void WQuit_BOk_MouseUp();
    void WQuit_BQuit_MouseUp();
    void WContinue_BCancel_MouseUp();
    void WContinue_BNewGame_MouseUp();
    void WContinue_BPlaySaved_MouseUp();

private:
    void TickHover();
    void NotAvailableYet(const char* handler);

    TScreenContext& c_;
    TOptionsWindow& options_;
    TProfileWindows& profiles_;
    TPlayersFile& players_;
    IJourney* journey_ = nullptr;
    std::function<void()> openCustomLevels_;
    TScreenMethods methods_;
};
