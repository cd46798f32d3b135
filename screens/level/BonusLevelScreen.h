// The bonus day's screen (smBonusLevel): the box played with the mouse, clicks and drags,
// the box and the cash register drawn each frame, and the bonus day's windows: the hint
// before it, the bonus menu with its skip question, the results and the failed note. The
// day itself (its session, loading, menus and results) belongs to the level screen.
#pragma once

#include "gameplay/BonusBoxPainter.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"
#include "screens/level/DayVariant.h"

class TStandardLevelScreen;

class TBonusLevelScreen final : public IScreen, public IDayVariant {
public:
    TBonusLevelScreen(TScreenContext& context, TStandardLevelScreen& day);

    // IScreen
    void Tick(int64_t now) override;
    void Draw() override;
    void DrawOverInterface() override;
    void MouseDown(const TQelMouseEvent& event) override;
    void MouseUp(const TQelMouseEvent& event) override;
    void MouseMove(const TQelMouseEvent& event) override;
    bool KeyDown(const TQelKeyEvent& event) override;

    // IDayVariant
    void MakeBackground(TLevelSession& day) override;
    void DrawLayers(TLevelSession& day) override;
    void DrawOverPanel(TLevelSession& day) override;

    void WHintBeforeBonusLevel_BPlay_MouseUp();
    void WGameMenuBonus_BSkipBonusLevel_MouseUp();
    void WSkip_BOk_MouseUp();
    void WSkip_BCancel_MouseUp();
    void WBonusLevelComplete_BOk_MouseUp();
    void WBonusLevelFailed_BOk_MouseUp();

private:
    TScreenContext& c_;
    TStandardLevelScreen& day_;
    TBonusBoxPainter painter_;
    TScreenMethods methods_;
};
