#include "screens/MapScreen.h"

#include "effects/QelFXParticles.h"
#include "effects/QelScreenEffects.h"
#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "gameplay/LevelFile.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"
#include "metagame/EpisodProgress.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "metagame/PlayersFile.h"
#include "screens/DialogScreen.h"
#include "screens/Journey.h"
#include "screens/TitleScreen.h"
#include "audio/SoundEngine.h"
#include "screens/ScreenLayout.h"

#include <algorithm>
#include <array>

namespace {

constexpr const char* kMapWindow = "WMap";
constexpr const char* kPlayPanel = "WMap_TFPlay";
constexpr const char* kMapPicture = "map.jpg";
constexpr const char* kMapTop = "MapTop.png";
constexpr const char* kCursorEffect = "efCursorOnMap.xml";
constexpr const char* kCursorPicture = "CursorOnMap.png";
constexpr const char* kWalker = "anime_women2.xml";
constexpr double kWalkerScale = 2.5;
constexpr const char* kClickEffect = "efMap_ClickOnShop.xml";
constexpr const char* kShowEffect = "efShow.xml";
constexpr int32_t kMusicFadeMs = 1000;
constexpr int64_t kFullRedrawMs = 1000;
constexpr int64_t kShowBeforeZoomEnds = 150;  // the day's scene starts to show this early
constexpr int64_t kDayAfterZoom = 1750;       // the day starts this long after the zoom
constexpr int64_t kReplayShowEarly = 100;
constexpr int64_t kZoomWithoutEffect = 600;   // when the click effect tells no length
constexpr int32_t kZoomSteps = 8;             // frames "maptest2.png" to "maptest9.png"
constexpr uint8_t kRedrawMark = 2;

// The map's own decorations, drawn for every visit wherever the shops stand.
constexpr std::array kSkyEffects{"efMap_Samolet.xml", "efMap-Oblaka.xml", "efMap_Bee.xml", "efMap_Svetofor.xml",
                                 "efMap_Bird.xml",    "efMap_Birds.xml",  "efMap_ManWithBalloons.xml"};
constexpr std::array kStreetEffects{"efMap_Car.xml", "efMap_Fontan.xml"};

constexpr std::array<TScreenMethod<TMapScreen>, 8> kMethods{{
    {"WMap_BPlay_MouseUp", &TMapScreen::WMap_BPlay_MouseUp},
    {"WMap_BQuit_MouseUp", &TMapScreen::WMap_BQuit_MouseUp},
    {"WMap_TFOk_BOk_MouseUp", &TMapScreen::WMap_TFOk_BOk_MouseUp},
    {"WReplayShop_BOk_MouseUp", &TMapScreen::WReplayShop_BOk_MouseUp},
    {"WReplayShop_BCancel_MouseUp", &TMapScreen::WReplayShop_BCancel_MouseUp},
    {"WHintGreenArrow_BOk_MouseUp", &TMapScreen::WHintGreenArrow_BOk_MouseUp},
    {"WSelectMode_BCancel_MouseUp", &TMapScreen::WSelectMode_BCancel_MouseUp},
    {"WPractice_BQuitToMainMenu_MouseUp", &TMapScreen::WPractice_BQuitToMainMenu_MouseUp},
}};

std::string ShopPicture(int32_t episod) { return "map_shop" + std::to_string(episod + 1) + ".png"; }
std::string ZoomPicture(int32_t n) { return "maptest" + std::to_string(n) + ".png"; }

void CreateEffectAt(TScreenContext& c, const std::string& file, TPoint at, int64_t startTime = -1)
{
    TQelEffectParams params;
    params.File = file;
    params.X = at.X;
    params.Y = at.Y;
    params.StartTime = startTime;
    c.Effects.CreateQelEffectFromFile(c.Effects.Main, file, params);
}

}  // namespace

std::optional<int32_t> ShopAt(const TEpisods& episods, int32_t maxEpisod, TPoint point)
{
    for (int32_t i = 0; i <= maxEpisod; ++i) {
        const TEpisod* episod = episods.Episod(i);
        if (!episod)
            break;
        const TPoint pos = episod->PosEpisodInMap;
        const TPoint size = episod->ShopPictureSize;
        if (point.X >= pos.X && point.X < pos.X + size.X && point.Y >= pos.Y && point.Y < pos.Y + size.Y)
            return i;
    }
    return std::nullopt;
}

TRect ZoomCut(TPoint pos, TPoint size, int32_t step)
{
    const int32_t centerX = pos.X + size.X / 2;
    const int32_t centerY = pos.Y + size.Y / 2;
    const int32_t left = pos.X / kZoomSteps;
    const int32_t top = pos.Y / kZoomSteps;
    const int32_t right = (kScreenWidth - pos.X - size.X) / kZoomSteps;
    const int32_t bottom = (kScreenHeight - pos.Y - size.Y) / kZoomSteps;
    return TRect{centerX - size.X / 2 - step * left, centerY - size.Y / 2 - step * top,
                 centerX + size.X / 2 + step * right, centerY + size.Y / 2 + step * bottom};
}

TMapScreen::TMapScreen(TScreenContext& context, TPlayersFile& players, IJourney& journey)
    : c_(context),
      players_(players),
      journey_(journey),
      widgets_(context.Interface),
      methods_(context.Methods, *this, std::span<const TScreenMethod<TMapScreen>>(kMethods))
{
}

const TEpisod* TMapScreen::Episod(int32_t index) const { return c_.Tables.Episods.Episod(index); }

void TMapScreen::SavePlayer()
{
    if (players_.SavePlayerState(c_.Player, TSaveMode::Full) == TProfileResult::Done)
        c_.Trace.Event("save", TPlayersFile::kFileName);
}

// ---- Opening ---------------------------------------------------------------------------

void TMapScreen::OpenMap(bool full, bool fromFirstDialog)
{
    LogAndCarryOn(c_.Log, "Error OpenMap", [&] {
        TPlayer& player = c_.Player;
        player.CurrentEpisod = player.MaxEpisod;
        episodToPlay_ = player.MaxEpisod;
        zoomStart_ = zoomEnd_ = 0;
        c_.Effects.DeleteAllEffects(c_.Effects.Main);
        c_.Effects.DeleteAllEffects(c_.Effects.Second);
        if (TEpisod* episod = c_.Tables.Episods.Episod(player.CurrentEpisod))
            episod->DialogCounter = fromFirstDialog ? 0 : 1;

        const TScreenMusic& music = c_.Params.MusicInMap;
        if (!music.Music.empty())
            c_.Sounds.ChangeMusic(music.Music, kMusicFadeMs, 0,
                                  c_.Sounds.MusicStartOrder(music.Music, music.StartPattern), kMusicFadeMs);

        c_.Shell.PreviousScreenMode = c_.Shell.ScreenMode;
        c_.Switch.Request(TScreenMode::smMap);
        c_.Shell.FullRedrawUntil = c_.Clock.NowMs() + kFullRedrawMs;
        c_.Interface.HideModalList();
        c_.Interface.ShowModal(kMapWindow);
        const TEpisod* current = Episod(player.CurrentEpisod);
        const bool story = current && static_cast<size_t>(current->DialogCounter) < current->DialogList.size();
        widgets_.SetObjectProperty(kPlayPanel, "Visible", story && dialogs_ ? "False" : "True");

        CreateMapEffects(full);
        walker_.clear();
        walkerFrame_ = 0;
        walkerFrameEnds_ = 0;
        dayScene_.clear();
        if (full) {
            walker_ = LoadAnime(c_.Surfaces, c_.Data, kWalker, true, {}, kWalkerScale);
            PreloadDayScene();
        }
        DrawMapBackground();
        if (full)
            CreateMapEffectSurface();
        nextDayAt_ = 0;
        c_.Commands.MarkWholeScreen();
    });
}

void TMapScreen::CreateMapEffects(bool full)
{
    for (const char* file : kSkyEffects)
        CreateEffectAt(c_, file, {0, 0});
    cursorShown_ = false;
    const int32_t maxEpisod = c_.Player.MaxEpisod;
    if (full) {
        if (const TEpisod* furthest = Episod(maxEpisod)) {
            c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, kCursorPicture);
            CreateEffectAt(c_, kCursorEffect, furthest->CursorInMap, c_.Shell.FrameTime);
            cursorShown_ = true;
        }
    }
    for (int32_t i = 0; i <= maxEpisod; ++i)
        if (const TEpisod* episod = Episod(i))
            for (const TEpisodEffect& effect : episod->Effects)
                CreateEffectAt(c_, effect.FileName, effect.Pos);
    for (const char* file : kStreetEffects)
        CreateEffectAt(c_, file, {0, 0});
}

void TMapScreen::PreloadDayScene()
{
    const TLevelInEpisod* day = c_.Tables.Episods.Level(c_.Player.CurrentEpisod, c_.Player.CurrentLevel);
    if (!day)
        return;
    dayScene_ = LevelScenePicture(c_.Data, day->Name);
    if (!dayScene_.empty() && !c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, dayScene_))
        dayScene_.clear();
}

void TMapScreen::DrawMapBackground()
{
    if (!c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, kMapPicture))
        return;
    c_.Surfaces.DrawSurface(kMapPicture, kBackground, 0, 0);
    for (int32_t i = 0; i <= c_.Player.CurrentEpisod; ++i) {
        TEpisod* episod = c_.Tables.Episods.Episod(i);
        if (!episod)
            break;
        const std::string picture = ShopPicture(i);
        int32_t width = 0, height = 0;
        if (!c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, picture) ||
            !c_.Surfaces.GetSurfaceSize(picture, width, height)) {
            episod->ShopPictureSize = {};
            continue;
        }
        c_.Surfaces.DrawWithAlphaChannel(picture, kBackground, episod->PosEpisodInMap.X, episod->PosEpisodInMap.Y);
        episod->ShopPictureSize = {width, height};
    }
}

void TMapScreen::CreateMapEffectSurface()
{
    LogAndCarryOn(c_.Log, "Error CreateMapEffectSurface", [&] {
        const TEpisod* episod = Episod(c_.Player.CurrentEpisod);
        if (!episod)
            return;
        const std::string whole = ZoomPicture(1);
        c_.Surfaces.DeleteSurface(whole);
        c_.Surfaces.NewSurface(whole, kScreenWidth, kScreenHeight);
        c_.Surfaces.DrawSurface(kBackground, whole, 0, 0);
        if (c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, kMapTop))
            c_.Surfaces.DrawWithAlphaChannel(kMapTop, whole, 0, 0);
        for (int32_t step = 0; step < kZoomSteps; ++step) {
            const std::string frame = ZoomPicture(9 - step);
            c_.Surfaces.DeleteSurface(frame);
            TRect cut = ZoomCut(episod->PosEpisodInMap, episod->ShopPictureSize, step);
            cut.Left = std::max(cut.Left, 0);
            cut.Top = std::max(cut.Top, 0);
            cut.Right = std::min(cut.Right, kScreenWidth);
            cut.Bottom = std::min(cut.Bottom, kScreenHeight);
            // A shop without its picture has nothing to zoom into.
            if (cut.Right <= cut.Left || cut.Bottom <= cut.Top)
                continue;
            c_.Surfaces.NewSurface(frame, cut.Right - cut.Left, cut.Bottom - cut.Top);
            c_.Surfaces.DrawSurface(whole, frame, 0, 0, cut);
            c_.Surfaces.ResizeSurface(frame, kScreenWidth, kScreenHeight, false);
        }
    });
}

// ---- The frame ---------------------------------------------------------------------------

void TMapScreen::Tick(int64_t now)
{
    LogAndCarryOn(c_.Log, "Error TickMap", [&] {
        TickWalker(now);
        if (nextDayAt_ == 0)
            StartNextDialog();
        if (nextDayAt_ != 0 && nextDayAt_ <= now) {
            nextDayAt_ = 0;
            journey_.StartDay(c_.Player.CurrentEpisod, c_.Player.CurrentLevel);
        }
    });
}

void TMapScreen::StartNextDialog()
{
    TEpisod* episod = c_.Tables.Episods.Episod(c_.Player.CurrentEpisod);
    if (!episod || (dialogs_ && dialogs_->Running()))
        return;
    if (static_cast<size_t>(episod->DialogCounter) >= episod->DialogList.size()) {
        widgets_.SetObjectProperty(kPlayPanel, "Visible", "True");
        return;
    }
    const std::string script = episod->DialogList[static_cast<size_t>(episod->DialogCounter)].FileName;
    ++episod->DialogCounter;
    // A script that cannot play ends at once: the next one (or the play button) follows.
    if (dialogs_)
        dialogs_->StartStory(script, kDialogOnMap, TScreenMode::smMap, this);
}

void TMapScreen::TickWalker(int64_t now)
{
    if (walker_.empty())
        return;
    if (walkerFrameEnds_ == 0) {
        walkerFrameEnds_ = now + walker_[walkerFrame_].Time;
        return;
    }
    // One frame per tick at most: a long stall shows the next frame, not a skipped run.
    if (now >= walkerFrameEnds_) {
        walkerFrame_ = (walkerFrame_ + 1) % walker_.size();
        walkerFrameEnds_ = now + std::max(1, walker_[walkerFrame_].Time);
    }
}

void TMapScreen::Draw()
{
    const int64_t now = c_.Shell.FrameTime;
    if (zoomEnd_ != 0 && now >= zoomStart_ && now < zoomEnd_) {
        const int64_t step = (now - zoomStart_) * kZoomSteps / std::max<int64_t>(1, zoomEnd_ - zoomStart_);
        const std::string frame = ZoomPicture(2 + static_cast<int32_t>(std::clamp<int64_t>(step, 0, kZoomSteps - 1)));
        if (c_.Surfaces.IndexOfSurface(frame) >= 0) {
            c_.Surfaces.DrawSurface(frame, kFrame, 0, 0);
            c_.Grid.SetRedrawGrid(kRedrawMark);
        }
        return;
    }
    if (walker_.empty() || nextDayAt_ != 0)
        return;
    const TEpisod* furthest = Episod(c_.Player.MaxEpisod);
    const std::string& picture = walker_[walkerFrame_].Picture;
    int32_t width = 0, height = 0;
    if (!furthest || !c_.Surfaces.GetSurfaceSize(picture, width, height))
        return;
    const int32_t x = furthest->PosJInMap.X - width / 2;
    const int32_t y = furthest->PosJInMap.Y - height;
    c_.Surfaces.DrawWithAlphaChannel(picture, kFrame, x, y);
    c_.Grid.FillRedrawGrid(x, y, x + width - 1, y + height - 1, kRedrawMark);
}

// ---- Clicks ------------------------------------------------------------------------------

void TMapScreen::MouseUp(const TQelMouseEvent& event)
{
    const TQelForm* top = c_.Interface.TopModal();
    if (!top || top->Name() != kMapWindow || nextDayAt_ != 0)
        return;
    const std::optional<int32_t> shop = ShopAt(c_.Tables.Episods, c_.Player.MaxEpisod, {event.X, event.Y});
    if (!shop)
        return;
    episodToPlay_ = *shop;
    if (*shop == c_.Player.MaxEpisod)
        WMap_BPlay_MouseUp();
    else
        c_.Interface.ShowModal("WReplayShop");
}

void TMapScreen::WMap_BPlay_MouseUp()
{
    if (nextDayAt_ != 0)
        return;
    LogAndCarryOn(c_.Log, "Error WMap_BPlay_MouseUp", [&] {
        TPlayer& player = c_.Player;
        const int64_t now = c_.Clock.NowMs();
        player.CurrentEpisod = episodToPlay_;
        widgets_.SetObjectProperty(kPlayPanel, "Visible", "False");
        c_.Effects.DeleteAllEffects(c_.Effects.Main);
        cursorShown_ = false;
        walker_.clear();
        ResetOutfits(player);

        if (episodToPlay_ == player.MaxEpisod) {
            int64_t zoom = kZoomWithoutEffect;
            if (const TEpisod* episod = Episod(episodToPlay_)) {
                TQelEffectParams params;
                params.File = kClickEffect;
                params.X = episod->CursorInMap.X;
                params.Y = episod->CursorInMap.Y;
                if (TPartEffect* click = c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, kClickEffect, params))
                    if (click->Effect && click->Effect->HasLifetime())
                        zoom = click->Effect->Lifetime();
            }
            const int64_t zoomEnds = now + zoom;
            zoomStart_ = now;
            zoomEnd_ = zoomEnds;
            BringInDayScene(zoomEnds - kShowBeforeZoomEnds);
            nextDayAt_ = zoomEnds + kDayAfterZoom;
        } else {
            // An earlier shop is played again from its first purchases.
            ForgetEpisodUpgrades(player, episodToPlay_);
            SavePlayer();
            players_.LoadPlayer(player);
            player.CurrentEpisod = episodToPlay_;
            player.CurrentLevel = 0;
            PreloadDayScene();
            BringInDayScene(now - kReplayShowEarly);
            nextDayAt_ = now + kDayAfterZoom;
        }
        c_.Interface.HideModal(kMapWindow);
    });
}

void TMapScreen::BringInDayScene(int64_t showAt)
{
    if (!dayScene_.empty() && c_.Surfaces.IndexOfSurface(dayScene_) >= 0)
        c_.Surfaces.DrawSurface(dayScene_, kBackground, 0, 0);
    c_.Effects.DeleteAllEffects(c_.Effects.Second);
    c_.Surfaces.CreateAlphaChannel(kBackground, 0);
    TQelEffectParams show;
    show.File = kShowEffect;
    show.StartTime = showAt;
    c_.Effects.CreateQelEffectFromFile(c_.Effects.Second, kShowEffect, show);
    c_.Commands.MarkWholeScreen();
}

void TMapScreen::WMap_BQuit_MouseUp() { c_.Interface.ShowModal("WExitToMainMenu"); }

void TMapScreen::WMap_TFOk_BOk_MouseUp()
{
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    journey_.OpenGameComplete();
}

void TMapScreen::WReplayShop_BOk_MouseUp()
{
    LogAndCarryOn(c_.Log, "Error WReplayShop_BOk_MouseUp", [&] {
        c_.Interface.HideModal("WReplayShop");
        WMap_BPlay_MouseUp();
    });
}

void TMapScreen::WReplayShop_BCancel_MouseUp()
{
    LogAndCarryOn(c_.Log, "Error WReplayShop_BCancel_MouseUp", [&] { c_.Interface.HideModal("WReplayShop"); });
}

void TMapScreen::WHintGreenArrow_BOk_MouseUp()
{
    if (const TQelForm* top = c_.Interface.TopModal())
        c_.Interface.HideModal(top->Name());
    c_.Switch.Request(TScreenMode::smLevel);
    c_.Effects.DeleteQelScreenEffectByName(c_.Effects.Main, "GreenArrow");
}

void TMapScreen::WSelectMode_BCancel_MouseUp()
{
    if (const TQelForm* top = c_.Interface.TopModal())
        c_.Interface.HideModal(top->Name());
    c_.Switch.Request(TScreenMode::smTitle);
}

void TMapScreen::WPractice_BQuitToMainMenu_MouseUp()
{
    if (players_.SavePlayerState(c_.Player, TSaveMode::Rewrite) == TProfileResult::Done)
        c_.Trace.Event("save", TPlayersFile::kFileName);
    GoInTitle(c_);
}
