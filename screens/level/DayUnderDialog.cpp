// The running day under a dialog script.
#include "screens/level/DayUnderDialog.h"

#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelInput.h"
#include "gameplay/LevelSession.h"
#include "effects/QelFXParticles.h"
#include "effects/QelScreenEffects.h"
#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenLayout.h"

#include <algorithm>

namespace {

// The pointer a tutorial puts on the piece it talks about.
constexpr const char* kCursorEffect = "efCursorOnClothes.xml";
// The recipes fade in over this long after a script shows them.
constexpr int64_t kThingsFadeMs = 600;
constexpr const char* kStandShadow = "ShadowStoika.png";
constexpr int32_t kShadowX = 8;  // the shadow under a stand, from the stand's left and top
constexpr int32_t kShadowY = 75;
constexpr uint8_t kShadowOpacity = 100;
// The sparkle that marks a new part of a recipe, one per marked point.
constexpr const char* kMarkEffect = "efNoveltyWear.xml";

const TFish* Piece(const tLevel& level, int32_t index)
{
    const auto& fishes = level.Belt.Fishes;
    if (index < 0 || index >= static_cast<int32_t>(fishes.size()))
        return nullptr;
    return &fishes[static_cast<size_t>(index)];
}

}  // namespace

bool TDayUnderDialog::AcceptsMessages() const
{
    return session_() != nullptr;
}

void TDayUnderDialog::ShowThings()
{
    TLevelSession* s = session_();
    if (!s)
        return;
    thingsShown_ = true;
    thingsSince_ = c_.Clock.NowMs();
    things_ = BuildRecipeDisplay(s->Level());
}

void TDayUnderDialog::HideThings()
{
    thingsShown_ = false;
    things_ = {};
    if (TLevelSession* s = session_())
        s->Level().Effects().DeleteAllEffects(TEffectList::Screen);
}

std::optional<TPoint> TDayUnderDialog::PiecePoint(int32_t index, bool forEffect) const
{
    TLevelSession* s = session_();
    if (!s)
        return std::nullopt;
    const TFish* fish = Piece(s->Level(), index);
    if (!fish)
        return std::nullopt;
    if (forEffect)
        return TPoint{fish->EffectX, fish->EffectY};
    return TPoint{static_cast<int32_t>(fish->X), static_cast<int32_t>(fish->Y)};
}

int32_t TDayUnderDialog::PieceAt(int32_t x, int32_t y) const
{
    TLevelSession* s = session_();
    return s ? FindFishAt(s->Level(), s->Game(), x, y) : -1;
}

// The day is paused under the dialog; the one press the tutorial asked for is played as
// if it were not, and the pause goes on after it.
void TDayUnderDialog::TutorialPress(int32_t x, int32_t y)
{
    TLevelSession* s = session_();
    if (!s)
        return;
    TLevelFlow& flow = s->Level().Play.Flow;
    const bool paused = flow.Paused;
    const bool input = flow.InputEnabled;
    flow.Paused = false;
    flow.InputEnabled = true;
    LeftMouseDownInGame(s->Level(), s->Game(), x, y);
    flow.Paused = paused;
    flow.InputEnabled = input;
}

void TDayUnderDialog::ClearHintMarks()
{
    TLevelSession* s = session_();
    if (!s)
        return;
    for (TFish& fish : s->Level().Belt.Fishes)
        if (fish.EffectFile == kCursorEffect) {
            fish.EffectFile.clear();
            fish.Effect.reset();
        }
}

void TDayUnderDialog::ShowCursorOnPiece(int32_t index, int64_t now)
{
    TLevelSession* s = session_();
    if (!s || !Piece(s->Level(), index))
        return;
    ClearHintMarks();
    TFish& fish = s->Level().Belt.Fishes[static_cast<size_t>(index)];
    fish.EffectFile = kCursorEffect;
    fish.Effect = s->Level().Effects().LoadPieceEffect(kCursorEffect, now);
}

void TDayUnderDialog::DrawThings()
{
    if (!thingsShown_ || !session_())
        return;
    const int64_t elapsed = std::clamp<int64_t>(c_.Clock.NowMs() - thingsSince_, 0, kThingsFadeMs);
    const auto opacity = static_cast<uint8_t>(RoundHalfEven(255.0 * static_cast<double>(elapsed) / kThingsFadeMs));
    TSurfEngine& surfaces = c_.Surfaces;
    auto draw = [&](const std::string& picture, int32_t x, int32_t y, uint8_t alpha) {
        int32_t w = 0, h = 0;
        if (picture.empty() || !surfaces.GetSurfaceSize(picture, w, h))
            return;
        surfaces.DrawWithAlphaChannel(picture, kFrame, x, y, alpha);
        c_.Grid.FillRedrawGrid(TRect{x, y, x + w, y + h}, 2);
    };
    const int32_t halfStand = things_.Stand.Width / 2;
    for (const TRecipeEntry& e : things_.Entries) {
        if (!e.Sign) {
            draw(kStandShadow, e.X - halfStand + kShadowX, e.Y + kShadowY, kShadowOpacity);
            draw(things_.Stand.Name, e.X - halfStand, e.Y, opacity);
        }
        draw(e.Picture, e.X + e.ShiftX - e.Width / 2, e.Y + e.ShiftY, opacity);
    }
    for (size_t i = 0; i < things_.Marks.size(); ++i) {
        const std::string name = kMarkEffect + IntToStr(static_cast<int64_t>(i + 1));
        if (c_.Effects.Main.Find(name))
            continue;
        TQelEffectParams params;
        params.File = kMarkEffect;
        params.X = things_.Marks[i].Point.X;
        params.Y = things_.Marks[i].Point.Y;
        LogAndCarryOn(c_.Log, "Error DrawThings", [&] { c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, name, params); });
    }
}
