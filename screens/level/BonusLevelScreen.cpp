// The bonus day's frame, input and windows.
#include "screens/level/BonusLevelScreen.h"

#include "foundation/Input.h"
#include "foundation/QelLog.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelFrame.h"
#include "gameplay/LevelPainter.h"
#include "gameplay/LevelSession.h"
#include "interface/QelInterfaceEngine.h"
#include "screens/level/LevelScreen.h"
#include "screens/ScreenLayout.h"

#include <array>

namespace {

constexpr std::array<TScreenMethod<TBonusLevelScreen>, 6> kMethods{{
    {"WHintBeforeBonusLevel_BPlay_MouseUp", &TBonusLevelScreen::WHintBeforeBonusLevel_BPlay_MouseUp},
    {"WGameMenuBonus_BSkipBonusLevel_MouseUp", &TBonusLevelScreen::WGameMenuBonus_BSkipBonusLevel_MouseUp},
    {"WSkip_BOk_MouseUp", &TBonusLevelScreen::WSkip_BOk_MouseUp},
    {"WSkip_BCancel_MouseUp", &TBonusLevelScreen::WSkip_BCancel_MouseUp},
    {"WBonusLevelComplete_BOk_MouseUp", &TBonusLevelScreen::WBonusLevelComplete_BOk_MouseUp},
    {"WBonusLevelFailed_BOk_MouseUp", &TBonusLevelScreen::WBonusLevelFailed_BOk_MouseUp},
}};

}  // namespace

TBonusLevelScreen::TBonusLevelScreen(TScreenContext& context, TStandardLevelScreen& day)
    : c_(context),
      day_(day),
      painter_(context.Surfaces, context.Grid, context.Log),
      methods_(context.Methods, *this, std::span<const TScreenMethod<TBonusLevelScreen>>(kMethods))
{
}

void TBonusLevelScreen::Tick(int64_t)
{
    if (TLevelSession* day = day_.Session())
        day->Tick(TLevelMode::Playing);
}

void TBonusLevelScreen::Draw()
{
    if (TLevelSession* day = day_.Session())
        DrawLayers(*day);
}

void TBonusLevelScreen::DrawLayers(TLevelSession& day)
{
    c_.Effects.DrawQelScreenEffects(kFrame, c_.Effects.Second);
    painter_.DrawLevelBox(day.Level(), day.Box(), kFrame, c_.Clock.NowMs());
}

void TBonusLevelScreen::DrawOverInterface() { day_.DrawOverInterface(); }

void TBonusLevelScreen::DrawOverPanel(TLevelSession& day)
{
    painter_.DrawProgressBarInBonus(day.Level(), day.Box(), kFrame, c_.Clock.NowMs());
}

void TBonusLevelScreen::MakeBackground(TLevelSession& day)
{
    for (const char* name : {"CashRegisterCoins.png", "CashRegisterTop.png", "CashRegisterRingB.png",
                             "CashRegisterRingT.png", "CashRegisterBasic.png", "CashRegisterGreat.png",
                             "CashRegisterExcellent.png"})
        day.Level().Pictures().LoadPicture(name);
    TLevelPainter painter(c_.Surfaces, c_.Grid, c_.Data, c_.Log);
    painter.MakeBackgroundInBonusGame(day.Level(), false);
    c_.Commands.MarkWholeScreen();
}

void TBonusLevelScreen::MouseDown(const TQelMouseEvent& event)
{
    if (TLevelSession* day = day_.Session())
        day->MouseDown(event.Button, event.X, event.Y);
}

void TBonusLevelScreen::MouseUp(const TQelMouseEvent& event)
{
    if (TLevelSession* day = day_.Session())
        day->MouseUp(event.Button, event.X, event.Y);
}

void TBonusLevelScreen::MouseMove(const TQelMouseEvent& event)
{
    TLevelSession* day = day_.Session();
    if (!day)
        return;
    // A button let go where the box did not hear it (over a window, outside the game)
    // ends the drag all the same.
    if ((event.Shift & ShiftState::Left) == 0)
        day->Box().LeftDown = false;
    day->MouseMove(event.X, event.Y);
}

bool TBonusLevelScreen::KeyDown(const TQelKeyEvent& event)
{
    if (event.Key != QelKey::kEscape || !day_.Session())
        return false;
    day_.WGame_BMenu_MouseUp();
    return true;
}

void TBonusLevelScreen::WHintBeforeBonusLevel_BPlay_MouseUp()
{
    c_.Interface.HideModal("WHintBeforeBonusLevel");
    day_.WHintBeforeLevel_BOk_MouseUp();
}

void TBonusLevelScreen::WGameMenuBonus_BSkipBonusLevel_MouseUp()
{
    c_.Shell.PreviousScreenMode = TScreenMode::smGameMenu;
    c_.Interface.ShowModal("WSkip");
}

void TBonusLevelScreen::WSkip_BOk_MouseUp()
{
    // The day is left as it stands; the prize waits for the next visit.
    c_.Interface.HideModal("WSkip");
    day_.GoOnToNextDay();
}

void TBonusLevelScreen::WSkip_BCancel_MouseUp() { c_.Interface.HideModal("WSkip"); }

void TBonusLevelScreen::WBonusLevelComplete_BOk_MouseUp()
{
    c_.Interface.HideModal("WBonusLevelComplete");
    day_.GoOnToNextDay();
}

void TBonusLevelScreen::WBonusLevelFailed_BOk_MouseUp()
{
    // A bonus or picture day that ran out keeps what it earned; the shop goes on.
    c_.Interface.HideModal("WBonusLevelFailed");
    day_.GoOnToNextDay();
}
