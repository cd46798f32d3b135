// Pop-up hint balloons.
#include "foundation/QelLog.h"
#include "gameplay/LevelHints.h"

#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"

#include <exception>

namespace {

constexpr int32_t kScreenWidth = 800;
constexpr int32_t kScreenHeight = 600;
constexpr int32_t kLostGarmentHint = 0;  // its dialog points at no customer

struct TBalloon {
    const char* Picture;
    const char* Window;
    TPoint Anchor;      // from the balloon's top left to the point it shows
    int32_t PieceDrop;  // further down when it shows a piece
};
constexpr TBalloon kBalloons[] = {
    {"PopUpHintLeftBottom.png", "WGame_RLPopUpHint_LeftBottom", {42, -86}, 110},
    {"PopUpHintLeftTop.png", "WGame_RLPopUpHint_LeftTop", {42, 27}, 40},
    {"PopUpHintRightBottom.png", "WGame_RLPopUpHint_RightBottom", {148, -86}, 110},
    {"PopUpHintRightTop.png", "WGame_RLPopUpHint_RightTop", {148, 27}, 40},
};

}  // namespace

std::optional<THintPlacement> PlaceHintBalloon(tLevel& level, TPoint point, bool atPiece)
{
    for (const TBalloon& balloon : kBalloons) {
        int32_t w = 0, h = 0;
        level.Pictures().PictureSize(balloon.Picture, w, h);
        TPoint pos{point.X - balloon.Anchor.X, point.Y - balloon.Anchor.Y + (atPiece ? balloon.PieceDrop : 0)};
        if (pos.X >= 0 && pos.Y >= 0 && pos.X + w <= kScreenWidth && pos.Y + h <= kScreenHeight)
            return THintPlacement{balloon.Window, balloon.Picture, pos};
    }
    return std::nullopt;
}

bool ShowHints(tLevel& level, TLevelGame& game, const std::string& scriptFile, int32_t hintNumber, bool atMouse,
               int32_t customerIndex, int32_t pieceIndex)
{
    return LogAndCarryOn(level.Links.Log, "Error tLevel.ShowHints", false, [&]() -> bool {
        TPlayer& player = game.ThePlayer();
        if (!game.Options.HintsOn || player.HintShown(hintNumber))
            return false;
        const auto& fishes = level.Belt.Fishes;
        const bool atPiece = !atMouse && pieceIndex >= 0 && pieceIndex < static_cast<int32_t>(fishes.size());
        TPoint point = game.Mouse;
        if (atPiece) {
            const TFish& fish = fishes[static_cast<size_t>(pieceIndex)];
            point = {static_cast<int32_t>(fish.X + fish.Width / 2), static_cast<int32_t>(fish.Y)};
        }
        std::optional<THintPlacement> placement = PlaceHintBalloon(level, point, atPiece);
        if (!placement)
            return false;
        const int64_t now = game.Now();
        ILevelHost& host = game.TheHost();
        level.Play.Flow.BeforeLevelScreen = host.Screen();
        PauseLevel(level, now);
        host.EnterScreen(TLevelScreen::Dialog);
        player.HintsShown.push_back(hintNumber);
        level.Play.Flow.DialogPlaying = scriptFile;
        const int32_t customer = hintNumber == kLostGarmentHint ? -1 : customerIndex;
        if (!host.StartHint(scriptFile, *placement, atPiece ? pieceIndex : -1, customer, now))
            DialogEnded(level, game, now);
        return true;
    });
}
