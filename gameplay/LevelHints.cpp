// Pop-up hint balloons.
#include "foundation/QelLog.h"
#include "gameplay/LevelHints.h"

#include "gameplay/Level.h"
#include "gameplay/FishkaType.h"
#include "gameplay/LevelFlow.h"

#include <algorithm>

#include <exception>

namespace {

constexpr int32_t kScreenWidth = 800;
constexpr int32_t kScreenHeight = 600;
constexpr int32_t kLostGarmentHint = 0;  // its dialog points at no customer

// A balloon's tail tip lies Anchor.X right of its left edge, at the point's x; a bottom
// balloon stands above the point (its top Anchor.Y above it), a top balloon below it.
struct TBalloon {
    const char* Picture;
    const char* Window;
    TPoint Anchor;      // the balloon's left is point.X - Anchor.X, its top point.Y + Anchor.Y
    int32_t PieceDrop;  // further down when it shows a piece
};
// Over a piece a bottom balloon keeps its tail on the garment's top: lowered any further it
// would hide the garment it talks about.
constexpr int32_t kBottomPieceDrop = 0;
constexpr int32_t kTopPieceDrop = 40;
constexpr TBalloon kBalloons[] = {
    {"PopUpHintLeftBottom.png", "WGame_RLPopUpHint_LeftBottom", {42, -86}, kBottomPieceDrop},
    {"PopUpHintLeftTop.png", "WGame_RLPopUpHint_LeftTop", {42, 27}, kTopPieceDrop},
    {"PopUpHintRightBottom.png", "WGame_RLPopUpHint_RightBottom", {148, -86}, kBottomPieceDrop},
    {"PopUpHintRightTop.png", "WGame_RLPopUpHint_RightTop", {148, 27}, kTopPieceDrop},
};

// The recipe rows: where each starts for one, two or three rows, and the spacing of parts.
constexpr TPoint kRowOrigins[3][3] = {{{320, 200}}, {{320, 100}, {320, 250}}, {{160, 70}, {250, 180}, {340, 260}}};
constexpr int32_t kPartStep = 100;
constexpr int32_t kPlusOffset = 50;          // from a part to the plus after it
constexpr int32_t kPlusRise = 30;            // signs stand this far above the stand's middle
constexpr int32_t kFourPartPlusRise = 40;
constexpr int32_t kEqualsDrop = 5;
constexpr int32_t kOutfitGap = 10;           // between the last part's slot and the outfit
constexpr int32_t kEqualsOffset = 60;        // from the last part to the equals sign
constexpr int32_t kFourPartOutfitX = 210;
constexpr int32_t kFourPartEqualsX = 160;
constexpr int32_t kThreePartMarkShrink = 5;  // the sparkle's frame is a little tighter
constexpr size_t kMostRows = 3;
constexpr const char* kPlus = "signPlus.png";
constexpr const char* kEquals = "ravno.png";

TRecipeEntry Entry(tLevel& level, const std::string& picture, int32_t x, int32_t y, bool sign, int32_t shiftX = 0,
                   int32_t shiftY = 0)
{
    TRecipeEntry e;
    e.Picture = picture;
    level.Pictures().LoadPicture(picture);
    level.Pictures().PictureSize(picture, e.Width, e.Height);
    e.X = x;
    e.Y = y;
    e.ShiftX = shiftX;
    e.ShiftY = shiftY;
    e.Sign = sign;
    return e;
}

const TFishPiece* PieceOf(const TFishkaType& type, const std::string& hierarchy)
{
    for (const TFishPiece& piece : type.Pieces)
        if (piece.Hierarchy == hierarchy)
            return &piece;
    return nullptr;
}

}  // namespace

TRecipeDisplay BuildRecipeDisplay(tLevel& level)
{
    TRecipeDisplay display;
    const TLevelHints& hints = level.Scene.Hints;
    const size_t rows = std::min(hints.HintFishes.size(), kMostRows);
    if (!hints.HasHintFishes || rows == 0)
        return display;
    display.Stand = level.Scene.Stoika;
    if (!display.Stand.Name.empty()) {
        level.Pictures().LoadPicture(display.Stand.Name);
        level.Pictures().PictureSize(display.Stand.Name, display.Stand.Width, display.Stand.Height);
    }
    const int32_t standMiddle = display.Stand.Height / 2;
    for (size_t row = 0; row < rows; ++row) {
        const TFishkaType* type = level.Types().Type(hints.HintFishes[row]);
        if (!type || type->PieceCount < 2)
            continue;
        const TPoint origin = row < hints.HintPoints.size() ? hints.HintPoints[row] : kRowOrigins[rows - 1][row];
        const int32_t x0 = origin.X, y0 = origin.Y;
        const std::string stem = type->FileName + "_";
        std::vector<TRecipeEntry>& e = display.Entries;
        if (type->PieceCount == 4) {
            const int32_t plusY = y0 + standMiddle - kFourPartPlusRise;
            e.push_back(Entry(level, stem + "123.png", x0, y0, false));
            e.push_back(Entry(level, kPlus, x0 + kPlusOffset, plusY, true));
            e.push_back(Entry(level, stem + "4.png", x0 + kPartStep, y0, false));
            e.push_back(Entry(level, stem + "1234.png", x0 + kFourPartOutfitX, y0, false));
            e.push_back(Entry(level, kEquals, x0 + kFourPartEqualsX, plusY + kEqualsDrop, true));
            if (hints.HintEffect) {
                const TRecipeEntry& last = e[e.size() - 3];
                display.Marks.push_back({{last.X, y0 + last.Height / 2}, {last.Width / 2, last.Height / 2}});
            }
            continue;
        }
        const int32_t signY = y0 + standMiddle - kPlusRise;
        const int32_t count = type->PieceCount;
        for (int32_t j = 1; j <= count; ++j) {
            const std::string digit = std::to_string(j);
            const TFishPiece* piece = PieceOf(*type, digit);
            const int32_t x = x0 + (j - 1) * kPartStep;
            e.push_back(Entry(level, stem + digit + ".png", x, y0, false, piece ? piece->ShiftX : 0,
                              piece ? piece->ShiftY : 0));
            if (j < count)
                e.push_back(Entry(level, kPlus, x + kPlusOffset, signY, true));
        }
        const TRecipeEntry lastPart = e[e.size() - 1];
        e.push_back(Entry(level, stem + (count == 2 ? "12.png" : "123.png"), x0 + count * kPartStep + kOutfitGap, y0,
                          false));
        e.push_back(Entry(level, kEquals, x0 + (count - 1) * kPartStep + kEqualsOffset, signY + kEqualsDrop, true));
        if (hints.HintEffect && count == 3)
            display.Marks.push_back({{lastPart.X, y0 + lastPart.Height / 2},
                                     {lastPart.Width / 2 - kThreePartMarkShrink, lastPart.Height / 2 - kThreePartMarkShrink}});
    }
    return display;
}

std::optional<THintPlacement> PlaceHintBalloon(tLevel& level, TPoint point, bool atPiece)
{
    for (const TBalloon& balloon : kBalloons) {
        int32_t w = 0, h = 0;
        level.Pictures().PictureSize(balloon.Picture, w, h);
        TPoint pos{point.X - balloon.Anchor.X, point.Y + balloon.Anchor.Y + (atPiece ? balloon.PieceDrop : 0)};
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
