// The standard level's scene and pieces on the surface engine.
#include "gameplay/LevelPainter.h"

#include "effects/QelFXDraw.h"
#include "effects/QelFXParticles.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "gameplay/Customers.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelGame.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "metagame/Player.h"
#include "metagame/Shop.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <numeric>
#include <vector>

namespace {

constexpr const char* kFrame = "MemorySurface";
constexpr const char* kBackground = "BackGround";
constexpr uint8_t kRedrawMark = 2;  // this frame and the next

// The demo scenes sit in the instructions window, inside its frame.
constexpr const char* kInstructionsPicture = "WInstructions.jpg";
constexpr TPoint kDemoScenePos{7, 10};
constexpr TPoint kDemoBonusScenePos{7, 0};

// A demo scene on the instructions canvas, cut where the canvas ends: a scene as large as
// the screen would otherwise reach past it and not be drawn at all.
void DrawDemoScene(TSurfEngine& surfaces, const std::string& scene, const std::string& canvas, TPoint at)
{
    int32_t w = 0, h = 0, cw = 0, ch = 0;
    if (!surfaces.GetSurfaceSize(scene, w, h) || !surfaces.GetSurfaceSize(canvas, cw, ch))
        return;
    const int32_t right = std::min(w, cw - at.X) - 1;
    const int32_t bottom = std::min(h, ch - at.Y) - 1;
    if (right >= 0 && bottom >= 0)
        surfaces.DrawWithAlphaChannel(scene, canvas, at.X, at.Y, 255, TRect{0, 0, right, bottom});
}

// The conveyor track: a stamp of the belt picture every few pixels along the path, each
// adding a little coverage, so the texture shows only where the belt runs.
constexpr const char* kTrackTexture = "BackForLenta.jpg";
constexpr const char* kTrackMask = "__LentaTrackMask";
constexpr const char* kTrackStamp = "__LentaTrackStamp";
constexpr int kTrackStampWidth = 42;
constexpr int kTrackStampHeight = 24;
constexpr uint8_t kWorkAlpha = 120;     // the alpha plane the work pictures start with
constexpr int kTrackStep = 100;         // path units between stamps (4 pixels at the authored timing)
constexpr int kTrackFirstStamp = 10;    // in steps: the track starts under the first hatch
constexpr uint8_t kTrackStampOpacity = 20;

constexpr const char* kHatchPicture = "CellarPortal.png";
constexpr const char* kHatchMask = "CellarPortalMask.png";
constexpr const char* kStartLip = "CellarPortalMaskDraw.png";
constexpr const char* kEndLip = "CellarPortalMaskDraw2.png";
// How far below a hatch's top edge a rising or sinking piece is cut off.
constexpr int kHatchCutLine = 38;
constexpr int kNoCutLine = INT32_MAX;  // pieces between the hatches show whole
// The area the lip covers over a piece; marked each time it is drawn.
constexpr int kLipRedrawWidth = 40;
constexpr int kLipRedrawHeight = 80;

constexpr int kHaloMargin = 26;  // the halo reaches this far beyond its piece
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint8_t kHighlightTint = 200;

constexpr const char* kStandShadow = "ShadowStoika.png";
constexpr TPoint kStandShadowShift{8, 75};
constexpr uint8_t kStandShadowOpacity = 100;

constexpr int kBubbleCountNear = 10;  // a customer is marked this much above its picture

constexpr int kClockPanelSize = 60;
constexpr TPoint kClockPanelPos{1, 428};
constexpr TPoint kPixelClockPanelPos{639, 473};

constexpr const char* kHatSuffix = "_shlyapa.png";
constexpr const char* kHangerSuffix = "_veshalka.png";

int Round(double v) { return RoundHalfEven(v); }

TRect Area(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

}  // namespace

TLevelPainter::TLevelPainter(TSurfEngine& surfaces, TRedrawGrid& grid, const TDataSource& data, TGameLog& log)
    : surfaces_(surfaces), grid_(grid), data_(data), log_(log)
{
}

// ---- Helpers ------------------------------------------------------------------------------

namespace {

// The well-known work surfaces are made at start-up; a painter used on its own makes them
// when they are missing.
void EnsureScreenSurface(TSurfEngine& surfaces, const std::string& name)
{
    if (!surfaces.FindSurface(name))
        surfaces.NewSurface(name, surfaces.ScreenWidth(), surfaces.ScreenHeight());
}

// An opaque copy of as much of the source as fits the destination at (x, y).
void CopyOpaque(TSurfEngine& surfaces, const std::string& source, const std::string& destination, int x = 0,
                int y = 0)
{
    int32_t sw = 0, sh = 0, dw = 0, dh = 0;
    if (!surfaces.GetSurfaceSize(source, sw, sh) || !surfaces.GetSurfaceSize(destination, dw, dh))
        return;
    TRect part{std::max(0, -x), std::max(0, -y), std::min(sw, dw - x), std::min(sh, dh - y)};
    if (part.IsEmpty())
        return;
    surfaces.DrawSurface(source, destination, x + part.Left, y + part.Top, part);
}

// Marks an area given with right and bottom outside it (the grid takes them as inside).
void Mark(TRedrawGrid& grid, const TRect& area)
{
    grid.FillRedrawGrid(area.Left, area.Top, area.Right - 1, area.Bottom - 1, kRedrawMark);
}

}  // namespace

void TLevelPainter::LoadPicture(const std::string& name)
{
    if (!name.empty())
        surfaces_.LoadSurfFromFileOrFileFolder(data_, name);
}

void TLevelPainter::DrawPart(const std::string& picture, const std::string& target, int x, int y, uint8_t opacity,
                             int cutLine, uint8_t tint)
{
    int32_t w = 0, h = 0;
    if (!surfaces_.GetSurfaceSize(picture, w, h))
        return;
    // Only the rows above the cut line; a picture wholly below it shows nothing (and no
    // rectangle reaches outside the picture).
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(cutLine) - y, h - 1);
    if (bottom < 0)
        return;
    surfaces_.DrawWithAlphaChannel(picture, target, x, y, opacity, TRect{0, 0, w - 1, static_cast<int32_t>(bottom)},
                                   kWhite, tint);
}

// ---- The scene picture --------------------------------------------------------------------

void TLevelPainter::DrawUpgrade(const tLevel& level, const TLevelGame& game, const std::string& target)
{
    LogAndCarryOn(log_, "Error tLevel.DrawUpgrade", [&] {
        if (level.Demo.Playback || !IsStandardLevel(level) || !game.Shop)
            return;
        const TPlayer& player = game.ThePlayer();
        for (int32_t number : player.UpgradesOf(player.CurrentEpisod)) {
            const TShopUpgrade* upgrade = game.Shop->Upgrade(number);
            if (!upgrade)
                continue;
            LoadPicture(upgrade->FileName);
            surfaces_.DrawWithAlphaChannel(upgrade->FileName, target, upgrade->Pos.X, upgrade->Pos.Y);
            if (!upgrade->FileName2.empty()) {
                LoadPicture(upgrade->FileName2);
                surfaces_.DrawWithAlphaChannel(upgrade->FileName2, target, upgrade->Pos2.X, upgrade->Pos2.Y);
            }
        }
    });
}

void TLevelPainter::MakeBackgroundInGame(tLevel& level, const TLevelGame& game)
{
    LogAndCarryOn(log_, "Error MakeBackgroundInGame", [&] {
        grid_.SetRedrawGrid(kRedrawMark);
        EnsureScreenSurface(surfaces_, kBackground);
        LoadPicture(level.Scene.BackPicture);
        CopyOpaque(surfaces_, level.Scene.BackPicture, kBackground);
        DrawUpgrade(level, game, kBackground);
        if (!level.Scene.AddPictures.empty()) {
            const TAddPicture& first = level.Scene.AddPictures.front();
            LoadPicture(first.FileName);
            surfaces_.DrawWithAlphaChannel(first.FileName, kBackground, first.X + first.Left, first.Y + first.Top);
        }
    });
}

void TLevelPainter::MakeBackgroundInBonusGame(tLevel& level, bool demoPlayback)
{
    LogAndCarryOn(log_, "Error MakeBackgroundInBonusGame", [&] {
        grid_.SetRedrawGrid(kRedrawMark);
        EnsureScreenSurface(surfaces_, kBackground);
        LoadPicture(level.Scene.BackPicture);
        if (demoPlayback) {
            LoadPicture(kInstructionsPicture);
            CopyOpaque(surfaces_, kInstructionsPicture, kBackground);
            DrawDemoScene(surfaces_, level.Scene.BackPicture, kBackground, kDemoBonusScenePos);
        } else {
            CopyOpaque(surfaces_, level.Scene.BackPicture, kBackground);
        }
    });
}

void TLevelPainter::DrawFuncOnAlpha(const TLenta& lenta, const std::string& scene, const std::string& beltPicture)
{
    LogAndCarryOn(log_, "Error DrawFuncOnAlpha", [&] {
        surfaces_.DeleteSurface(kTrackMask);
        surfaces_.DeleteSurface(kTrackStamp);
        surfaces_.NewSurface(kTrackMask, surfaces_.ScreenWidth(), surfaces_.ScreenHeight());
        surfaces_.CreateAlphaChannel(kTrackMask, kWorkAlpha);
        surfaces_.NewSurface(kTrackStamp, kTrackStampWidth, kTrackStampHeight);
        surfaces_.CreateAlphaChannel(kTrackStamp, kWorkAlpha);
        surfaces_.DrawWithAlphaChannel(beltPicture, kTrackStamp, 0, 0);
        surfaces_.AlphaFromColorChannel(beltPicture, kTrackStamp, 0);

        int32_t bw = 0, bh = 0;
        surfaces_.GetSurfaceSize(beltPicture, bw, bh);
        bool first = true;
        TPoint previous;
        for (int k = kTrackFirstStamp; k <= lenta.PathLength / kTrackStep; ++k) {
            const TLentaPoint p = lenta.PointAt(k * kTrackStep);
            const TPoint point{Round(p.X), Round(p.Y)};
            if (!first && point == previous)
                continue;
            first = false;
            previous = point;
            surfaces_.DrawWithAlphaChannel(kTrackStamp, kTrackMask, point.X - bw / 2, point.Y - bh / 2,
                                           kTrackStampOpacity);
        }
        surfaces_.AlphaFromColorChannel(kTrackMask, kTrackTexture, 0);
        surfaces_.DrawWithAlphaChannel(kTrackTexture, scene, 0, 0);
    });
    // The work pictures go whether the track was drawn or not.
    surfaces_.DeleteSurface(kTrackMask);
    surfaces_.DeleteSurface(kTrackStamp);
}

TPoint TLevelPainter::DrawHatch(const TLenta& lenta, int32_t position, const std::string& scene,
                                const std::string& lip)
{
    int32_t w = 0, h = 0;
    surfaces_.GetSurfaceSize(kHatchPicture, w, h);
    const TLentaPoint p = lenta.PointAt(position);
    const TPoint topLeft{Round(p.X - w / 2.0), Round(p.Y - h / 2.0)};
    surfaces_.DrawWithAlphaChannel(kHatchPicture, scene, topLeft.X, topLeft.Y);

    // The lip: the scene under the hatch (the hatch drawn in it), seen through the mask,
    // drawn later over the pieces that rise out of the hatch or sink into it.
    surfaces_.DeleteSurface(lip);
    if (w > 0 && h > 0 && surfaces_.NewSurface(lip, w, h)) {
        surfaces_.CreateAlphaChannel(lip, kWorkAlpha);
        const TRect under{std::max(0, topLeft.X), std::max(0, topLeft.Y), topLeft.X + w, topLeft.Y + h};
        surfaces_.CopySurfaceWithAlpha(scene, lip, under, under.Left - topLeft.X, under.Top - topLeft.Y);
        surfaces_.AlphaFromColorChannel(kHatchMask, lip, 0);
    }
    return topLeft;
}

void TLevelPainter::MakeMainBackground(tLevel& level, const TLevelGame& game, const std::string& scenePicture)
{
    LogAndCarryOn(log_, "Error MakeMainBackground", [&] {
        LoadPicture(level.Scene.BackPicture);
        if (level.Demo.Playback) {
            surfaces_.DeleteSurface(scenePicture);
            surfaces_.NewSurface(scenePicture, surfaces_.ScreenWidth(), surfaces_.ScreenHeight());
            LoadPicture(kInstructionsPicture);
            CopyOpaque(surfaces_, kInstructionsPicture, scenePicture);
            DrawDemoScene(surfaces_, level.Scene.BackPicture, scenePicture, kDemoScenePos);
        } else {
            EnsureScreenSurface(surfaces_, scenePicture);
            CopyOpaque(surfaces_, level.Scene.BackPicture, scenePicture);
            DrawUpgrade(level, game, scenePicture);
        }

        const TLenta* lenta = level.FirstLenta();
        if (!level.IsBonusLevel() && lenta && lenta->Active()) {
            LoadPicture(kTrackTexture);
            surfaces_.CreateAlphaChannel(kTrackTexture, 255);
            LoadPicture(level.Scene.LentaImage);
            LoadPicture(kHatchMask);
            LoadPicture(kHatchPicture);
            DrawFuncOnAlpha(*lenta, scenePicture, level.Scene.LentaImage);
            startHatch_ = DrawHatch(*lenta, kHatchZone, scenePicture, kStartLip);
            endHatch_ = DrawHatch(*lenta, lenta->PathLength - kHatchZone, scenePicture, kEndLip);
        }
        grid_.SetRedrawGrid(kRedrawMark);
    });
}

// ---- Customers ----------------------------------------------------------------------------

void TLevelPainter::DrawPersons(const tLevel& level, const std::string& target)
{
    LogAndCarryOn(log_, "Error TLevel.DrawPersons", [&] {
        for (const TPersonPicture& p : PersonPictures(level))
            surfaces_.DrawWithAlphaChannel(p.Picture, target, p.X, p.Y);
        // A customer's area reaches a little above its frame; the bubble stands apart from
        // it, and its count changes while the customer stands still.
        const TCustomers& customers = level.Play.Customers;
        for (const TPerson& p : customers.Persons) {
            Mark(grid_, TRect{p.X - p.Width / 2, p.Y - p.Height - kBubbleCountNear, p.X - p.Width / 2 + p.Width, p.Y});
            for (const TOrder& order : p.Orders)
                if (order.Shown > 0)
                    Mark(grid_, Area(p.X + p.BubbleX, p.Y + p.BubbleY, p.BubbleWidth, p.BubbleHeight));
        }
    });
}

// ---- Pieces -------------------------------------------------------------------------------

void TLevelPainter::DrawFishes(tLevel& level, const std::string& target, const TLevelSceneView& view)
{
    LogAndCarryOn(log_, "Error DrawFishes", [&] {
        if (level.Play.Flow.Phase != TLevelPhase::Running || view.UpgradeDialog)
            return;
        const TLenta* lenta = level.FirstLenta();
        const int32_t length = lenta ? lenta->PathLength : 0;
        std::vector<TFish>& fishes = level.Belt.Fishes;

        // Lower on the screen is nearer: drawn later. Pieces in a hatch count as higher
        // the deeper they are, so a rising piece goes behind the one that left the hatch.
        auto key = [&](const TFish& f) {
            int k = Round(f.PathY);
            if (f.Position < kHatchZone)
                k -= Round((kHatchZone - f.Position) / 2.0);
            if (f.Position > length - kHatchZone)
                k -= Round((f.Position - (length - kHatchZone)) / 2.0);
            return k;
        };
        order_.resize(fishes.size());
        keys_.resize(fishes.size());
        std::iota(order_.begin(), order_.end(), 0);
        for (size_t i = 0; i < fishes.size(); ++i)
            keys_[i] = key(fishes[i]);
        std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) { return keys_[a] < keys_[b]; });

        for (size_t i : order_)
            FishDraw(level, fishes[i], target, view);
        if (level.Scene.LevelState == TLevelState::lsHim)
            for (size_t i : order_)
                DrawHatOrHanger(level, fishes[i], target);
    });
}

bool TLevelPainter::Highlit(const tLevel& level, const TFish& fish) const
{
    return fish.Highlighted && level.Belt.SelectedIndex < 0;
}

void TLevelPainter::DrawHatOrHanger(const tLevel& level, const TFish& fish, const std::string& target)
{
    const TFishkaType* type = level.TypeOf(fish);
    if (!fish.IsGarment() || !type || type->PieceCount < 1 || type->PieceCount > kPartSlots)
        return;
    const std::string prefix = "PFishkaTypes" + std::to_string(fish.TypeIndex);
    const std::string hat = prefix + kHatSuffix;
    const std::string hanger = prefix + kHangerSuffix;
    if (!surfaces_.FindSurface(hat) || !surfaces_.FindSurface(hanger))
        return;
    const bool topped = fish.Parts[static_cast<size_t>(type->PieceCount - 1)];
    const TPoint shift = topped ? type->HatShift : type->HangerShift;
    const uint8_t tint = Highlit(level, fish) ? kHighlightTint : 0;
    surfaces_.DrawWithAlphaChannel(topped ? hat : hanger, target, Round(fish.X) + shift.X, Round(fish.Y) + shift.Y,
                                   255, std::nullopt, kWhite, tint);
}

void TLevelPainter::FishDraw(tLevel& level, TFish& fish, const std::string& target, const TLevelSceneView& view)
{
    LogAndCarryOn(log_, "Error TLevel.FishDraw", [&] {
        const int64_t now = view.Now;
        if (fish.LeaveAt > 0 && fish.LeaveAt <= now)
            return;
        // The piece's effect runs on whether or not the piece shows (a repainted piece
        // sparkles before it reappears).
        if (fish.Effect)
            fish.Effect->Tick(static_cast<uint32_t>(now));
        if (level.Belt.TextureOffset <= 0)
            return;

        const TLenta* lenta = level.FirstLenta();
        const int32_t length = lenta ? lenta->PathLength : 0;
        const bool inStartHatch = fish.Position < kHatchZone;
        const bool inEndHatch = !inStartHatch && fish.Position > length - kHatchZone;
        const int hatchLine = inStartHatch ? startHatch_.Y + kHatchCutLine
                              : inEndHatch ? endHatch_.Y + kHatchCutLine
                                                        : kNoCutLine;
        const int x = Round(fish.X);
        const int y = Round(fish.Y);
        if (target == kFrame)
            Mark(grid_, TRect{x - kHaloMargin, y - kHaloMargin, x + fish.Width + kHaloMargin,
                              y + fish.Height + kHaloMargin});

        const uint8_t tint = Highlit(level, fish) ? kHighlightTint : 0;
        const bool anySelected = level.Belt.SelectedIndex >= 0;
        const bool haloKind = fish.IsGarment() || fish.Kind == TFishKind::PlusOne;
        const bool halo = (fish.Highlighted || fish.Selected) && anySelected && haloKind && !fish.HaloName.empty();
        const std::string& picture = halo ? fish.HaloName : fish.PictureName;
        const int px = halo ? x - kHaloMargin : x;
        const int py = halo ? y - kHaloMargin : y;
        const uint8_t alpha = static_cast<uint8_t>(std::clamp(fish.Alpha, 0, 255));

        const bool shown = fish.BlinkAt <= 0 || fish.BlinkAt <= now;
        bool pictureDrawn = false;
        if (shown) {
            DrawStand(level, fish, target, alpha, inStartHatch || inEndHatch, hatchLine);
            if (fish.Fade.Running) {
                const int prevX = Round(fish.PreviousX);
                const int prevY = Round(fish.PreviousY);
                if (now > fish.Fade.Start) {
                    surfaces_.DrawWithAlphaChannel(fish.PreviousPicture, target, prevX, prevY,
                                                   static_cast<uint8_t>(255 - alpha), std::nullopt, kWhite, tint);
                    surfaces_.DrawWithAlphaChannel(picture, target, px, py, alpha, std::nullopt, kWhite, tint);
                } else {
                    surfaces_.DrawWithAlphaChannel(fish.PreviousPicture, target, prevX, prevY, alpha, std::nullopt,
                                                   kWhite, tint);
                }
            } else {
                DrawPart(picture, target, px, py, alpha, hatchLine, tint);
                pictureDrawn = true;
                if (inStartHatch || inEndHatch) {
                    const TPoint hatch = inStartHatch ? startHatch_ : endHatch_;
                    surfaces_.DrawWithAlphaChannel(inStartHatch ? kStartLip : kEndLip, target, hatch.X, hatch.Y);
                    Mark(grid_, Area(hatch.X, hatch.Y, kLipRedrawWidth, kLipRedrawHeight));
                }
            }
        }

        if (!fish.Effect)
            return;
        TQelFXDrawParams params;
        if (fish.Fade.Running) {
            if (fish.Alpha != 255)
                return;
            params.OffsetX = Round(fish.PreviousX) + fish.PreviousEffectX;
            params.OffsetY = Round(fish.PreviousY) + fish.PreviousEffectY;
        } else {
            if (!pictureDrawn && !fish.EffectShown)
                return;
            params.OffsetX = x + fish.EffectX;
            params.OffsetY = y + fish.EffectY;
        }
        DrawQelParticleEffect(surfaces_, *fish.Effect, target, params, &grid_, static_cast<uint32_t>(now));
    });
}

void TLevelPainter::DrawStand(const tLevel& level, const TFish& fish, const std::string& target, uint8_t alpha,
                              bool inHatch, int hatchLine)
{
    const TPictureRef& stand = level.Scene.Stoika;
    if (stand.Name.empty() || !surfaces_.FindSurface(stand.Name))
        return;
    int32_t w = 0, h = 0;
    surfaces_.GetSurfaceSize(stand.Name, w, h);
    const int x = Round(fish.StandX);
    const int y = Round(fish.StandY);
    if (inHatch) {
        DrawPart(stand.Name, target, x, y, alpha, hatchLine, 0);
        Mark(grid_, Area(x, y, w, h));
        return;
    }
    int32_t sw = 0, sh = 0;
    surfaces_.GetSurfaceSize(kStandShadow, sw, sh);
    const int sx = x + kStandShadowShift.X;
    const int sy = y + kStandShadowShift.Y;
    surfaces_.DrawWithAlphaChannel(kStandShadow, target, sx, sy, kStandShadowOpacity);
    Mark(grid_, Area(sx, sy, sw, sh));
    if (fish.Kind != TFishKind::MoneyBag) {
        surfaces_.DrawWithAlphaChannel(stand.Name, target, x, y, alpha);
        Mark(grid_, Area(x, y, w, h));
    }
}

// ---- Extra pictures, heaps and the clock panel ----------------------------------------------

void TLevelPainter::DrawAddBackPicture(const tLevel& level, const std::string& target, const TLevelSceneView& view)
{
    LogAndCarryOn(log_, "Error TLevel.DrawAddBackPicture", [&] {
        const std::vector<TAddPicture>& pictures = level.Scene.AddPictures;
        for (size_t i = 0; i < pictures.size(); ++i) {
            const TAddPicture& p = pictures[i];
            const int x = p.X + p.Left;
            const int y = p.Y + p.Top;
            if (view.LevelComplete) {
                if (i > 0)
                    break;
                surfaces_.DrawWithAlphaChannel(p.FileName, target, x, y);
            } else if (p.Right != 0 || p.Bottom != 0) {
                surfaces_.DrawWithAlphaChannel(p.FileName, target, x, y, 255, TRect{p.Left, p.Top, p.Right, p.Bottom});
            } else {
                surfaces_.DrawWithAlphaChannel(p.FileName, target, x, y);
            }
            if (target == kFrame) {
                int32_t w = p.Width, h = p.Height;
                if (view.LevelComplete)
                    surfaces_.GetSurfaceSize(p.FileName, w, h);
                Mark(grid_, Area(x, y, w, h));
            }
        }
    });
}

void TLevelPainter::DrawHeaps(tLevel& level, const std::string& target, const TLevelSceneView& view)
{
    LogAndCarryOn(log_, "Error DrawHeaps", [&] {
        // Animated heaps change every frame and go into the frame; the others are part of
        // the scene picture and are drawn into it once.
        const bool frame = target == kFrame;
        for (const tHeapRec& heap : level.Scene.HeapPictures) {
            const bool animated = !heap.Anime.empty();
            if (animated != frame)
                continue;
            std::string picture = heap.FileName;
            if (animated) {
                int64_t total = 0;
                for (const THeapFrame& f : heap.Anime)
                    total += std::max<int32_t>(f.Time, 0);
                int64_t at = total > 0 ? view.Now % total : 0;
                for (const THeapFrame& f : heap.Anime) {
                    picture = f.Picture;
                    at -= std::max<int32_t>(f.Time, 0);
                    if (at < 0)
                        break;
                }
            }
            surfaces_.DrawWithAlphaChannel(picture, target, heap.Pos.X, heap.Pos.Y);
            int32_t w = 0, h = 0;
            surfaces_.GetSurfaceSize(picture, w, h);
            Mark(grid_, Area(heap.Pos.X, heap.Pos.Y, w, h));
        }
    });
}

void TLevelPainter::DrawCifirblat(const tLevel& level, const std::string& target, const TLevelSceneView& view)
{
    LogAndCarryOn(log_, "Error DrawCifirblat", [&] {
        const bool pixel = level.IsPixelLevel();
        if (!pixel && !view.PanelVisible)
            return;
        const TPoint at = pixel ? kPixelClockPanelPos : kClockPanelPos;
        surfaces_.DrawWithAlphaChannel(ClockPanelPicture(level), target, at.X, at.Y);
        Mark(grid_, Area(at.X, at.Y, kClockPanelSize, kClockPanelSize));
    });
}
