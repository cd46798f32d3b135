// The options window "WOptions", opened from the title and from the game menu: volumes
// that change as the sliders move, the display mode and depth, hints and the selection
// rule. OK keeps the choices and writes options.cfg; Cancel puts everything back.
#pragma once

#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

class TOptionsWindow {
public:
    explicit TOptionsWindow(TScreenContext& context);

    // Fills the window from the current settings and shows it.
    void Open();
    // A mouse release anywhere while the window is on top: the sound slider's second click.
    void MouseUp();

    void WOptions_CBFullScreen_MouseUp();
    void WOptions_CB32bitColor_MouseUp();
    void WOptions_SMusicVolume_Change();
    void WOptions_SSoundVolume_Change();
    void WOptions_BOk_MouseUp();
    void WOptions_BCancel_MouseUp();

private:
    void Fill();
    void Close();
    bool Checked(const char* box) const;
    int Position(const char* slider) const;

    TScreenContext& c_;
    int pendingFullScreen_ = 0;
    int pendingBits_ = 32;
    // The volumes when the window opened: Cancel returns to them.
    int openMusicVolume_ = 100;
    int openSoundVolume_ = 100;
    bool clickOnRelease_ = false;
    bool filling_ = false;
    TScreenMethods methods_;
};
