// The pixel day's frame, input and windows.
#include "screens/level/PixelLevelScreen.h"

#include "gameplay/LevelFlow.h"
#include "gameplay/LevelFrame.h"
#include "gameplay/LevelPainter.h"
#include "gameplay/LevelSession.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "screens/level/LevelScreen.h"
#include "screens/ScreenLayout.h"

#include <array>

namespace {

constexpr std::array<TScreenMethod<TPixelLevelScreen>, 3> kMethods{{
    {"WGame_TFPixel_BHint_MouseUp", &TPixelLevelScreen::WGame_TFPixel_BHint_MouseUp},
    {"WGame_TFPixel_BSkip_MouseUp", &TPixelLevelScreen::WGame_TFPixel_BSkip_MouseUp},
    {"WPenalty_BOk_MouseUp", &TPixelLevelScreen::WPenalty_BOk_MouseUp},
}};

}  // namespace

TPixelLevelScreen::TPixelLevelScreen(TScreenContext& context, TStandardLevelScreen& day)
    : c_(context),
      day_(day),
      painter_(context.Surfaces, context.Grid, context.Data, context.Log),
      methods_(context.Methods, *this, std::span<const TScreenMethod<TPixelLevelScreen>>(kMethods))
{
}

void TPixelLevelScreen::Tick(int64_t)
{
    if (TLevelSession* day = day_.Session())
        day->Tick(TLevelMode::Playing);
}

void TPixelLevelScreen::Draw()
{
    if (TLevelSession* day = day_.Session())
        DrawLayers(*day);
}

void TPixelLevelScreen::DrawLayers(TLevelSession& day)
{
    // A find or a slot that changed shows in the picture itself.
    if (day.Pixel().SceneChanged) {
        day.Pixel().SceneChanged = false;
        painter_.MakePixelBackground(day.Level(), day.Pixel(), kBackground);
        c_.Surfaces.DrawSurface(kBackground, kFrame, 0, 0);
        c_.Commands.MarkWholeScreen();
    }
    c_.Effects.DrawQelScreenEffects(kFrame, c_.Effects.Second);
}

void TPixelLevelScreen::DrawOverInterface() { day_.DrawOverInterface(); }

void TPixelLevelScreen::PrepareHeaps(tLevel& level) { painter_.MakeHeapPictures(level); }

void TPixelLevelScreen::MakeBackground(TLevelSession& day)
{
    day.Pixel().SceneChanged = false;
    painter_.MakePixelBackground(day.Level(), day.Pixel(), kBackground);
    c_.Commands.MarkWholeScreen();
}

void TPixelLevelScreen::MenuOpened(TLevelSession&)
{
    // The picture is not to be searched while the game stands still.
    c_.Surfaces.DrawSurface(kFrame, kBackground, 0, 0);
    painter_.CoverPicture(kBackground);
    c_.Interface.SetObjectProperty("WGame_TFPixel", "Visible", "False");
    c_.Commands.MarkWholeScreen();
}

void TPixelLevelScreen::MenuClosed(TLevelSession& day)
{
    c_.Interface.SetObjectProperty("WGame_TFPixel", "Visible", "True");
    c_.Interface.SetObjectProperty("WGame_TFStandart", "Visible", "False");
    MakeBackground(day);
}

void TPixelLevelScreen::MouseDown(const TQelMouseEvent& event)
{
    TLevelSession* day = day_.Session();
    if (day && event.Button == TQelMouseButton::Left)
        day->MouseDown(TLevelMouseButton::Left, event.X, event.Y);
}

void TPixelLevelScreen::MouseMove(const TQelMouseEvent& event)
{
    if (TLevelSession* day = day_.Session())
        day->MouseMove(event.X, event.Y);
}

bool TPixelLevelScreen::KeyDown(const TQelKeyEvent& event)
{
    if (event.Key != QelKey::kEscape || !day_.Session())
        return false;
    day_.WGame_BMenu_MouseUp();
    return true;
}

void TPixelLevelScreen::WGame_TFPixel_BHint_MouseUp()
{
    if (TLevelSession* day = day_.Session())
        ::WGame_TFPixel_BHint_MouseUp(day->Level(), day->Game(), day->Pixel());
}

void TPixelLevelScreen::WGame_TFPixel_BSkip_MouseUp() { c_.Interface.ShowModal("WSkip"); }

void TPixelLevelScreen::WPenalty_BOk_MouseUp()
{
    if (TLevelSession* day = day_.Session())
        day->WPenalty_BOk_MouseUp();
    c_.Commands.MarkWholeScreen();
}
