// The pixel day's screen (smPixelLevel): the search picture clicked with the mouse, the
// picture composed again whenever a find or a slot changes it, the hint button, the penalty
// note, and the picture covered while the menu is open. The day itself (its session,
// loading, menus and results) belongs to the level screen.
#pragma once

#include "gameplay/PixelPainter.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"
#include "screens/level/DayVariant.h"

class TStandardLevelScreen;

class TPixelLevelScreen final : public IScreen, public IDayVariant {
public:
    TPixelLevelScreen(TScreenContext& context, TStandardLevelScreen& day);

    // IScreen
    void Tick(int64_t now) override;
    void Draw() override;
    void DrawOverInterface() override;
    void MouseDown(const TQelMouseEvent& event) override;
    void MouseMove(const TQelMouseEvent& event) override;
    bool KeyDown(const TQelKeyEvent& event) override;

    // IDayVariant
    void PrepareHeaps(tLevel& level) override;
    void MakeBackground(TLevelSession& day) override;
    void DrawLayers(TLevelSession& day) override;
    void MenuOpened(TLevelSession& day) override;
    void MenuClosed(TLevelSession& day) override;

    void WGame_TFPixel_BHint_MouseUp();
    void WGame_TFPixel_BSkip_MouseUp();
    void WPenalty_BOk_MouseUp();

private:
    TScreenContext& c_;
    TStandardLevelScreen& day_;
    TPixelPainter painter_;
    TScreenMethods methods_;
};
