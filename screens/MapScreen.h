// The town map between the shops: the shops reached so far, the decorations, the cursor
// over the current shop and a figure walking in front of it, the episode's story
// dialogs, and the click on a shop that zooms into it and starts its next day (or asks to
// play an earlier shop again).
#pragma once

#include "effects/QelAnime.h"
#include "foundation/Geometry.h"
#include "metagame/WidgetAccess.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

#include <cstdint>
#include <optional>
#include <string>

class IJourney;
class TDialogScreen;
class TPlayersFile;
struct TEpisod;

// The shop of the map under a point: the first of the episodes 0 to maxEpisod whose
// picture, placed and measured when the map was drawn, holds it.
std::optional<int32_t> ShopAt(const class TEpisods& episods, int32_t maxEpisod, TPoint point);

// The rectangle of zoom frame (9 - step), step 0 to 7, around a shop picture at pos of
// size: the shop alone at step 0, growing evenly toward the screen's edges.
TRect ZoomCut(TPoint pos, TPoint size, int32_t step);

class TMapScreen final : public IScreen {
public:
    TMapScreen(TScreenContext& context, TPlayersFile& players, IJourney& journey);

    // The screen that plays the episodes' story dialogs over the map.
    void SetDialogs(TDialogScreen* dialogs) { dialogs_ = dialogs; }

    // Shows the map on the player's furthest shop. full: with the walking figure, the
    // cursor and the zoom frames. fromFirstDialog: the episode's story from its start.
    void OpenMap(bool full, bool fromFirstDialog);
    // Whether a shop was clicked and its day starts soon.
    bool StartPending() const { return nextDayAt_ != 0; }
    int64_t NextDayAt() const { return nextDayAt_; }

    void Tick(int64_t now) override;
    void Draw() override;
    void MouseUp(const TQelMouseEvent& event) override;

    void WMap_BPlay_MouseUp();
    void WMap_BQuit_MouseUp();
    void WMap_TFOk_BOk_MouseUp();
    void WReplayShop_BOk_MouseUp();
    void WReplayShop_BCancel_MouseUp();
    void WHintGreenArrow_BOk_MouseUp();
    void WSelectMode_BCancel_MouseUp();
    void WPractice_BQuitToMainMenu_MouseUp();

private:
    void CreateMapEffects(bool full);
    void DrawMapBackground();
    void CreateMapEffectSurface();
    void PreloadDayScene();
    void BringInDayScene(int64_t showAt);
    void StartNextDialog();
    void TickWalker(int64_t now);
    const TEpisod* Episod(int32_t index) const;
    void SavePlayer();

    TScreenContext& c_;
    TPlayersFile& players_;
    IJourney& journey_;
    TEngineWidgetAccess widgets_;
    TDialogScreen* dialogs_ = nullptr;

    int32_t episodToPlay_ = 0;
    int64_t nextDayAt_ = 0;    // 0: no day is about to start
    int64_t zoomStart_ = 0;    // the zoom into the clicked shop runs from here to zoomEnd_
    int64_t zoomEnd_ = 0;
    std::string dayScene_;     // the scene picture of the day the map leads to
    bool cursorShown_ = false;
    TAnime walker_;
    size_t walkerFrame_ = 0;
    int64_t walkerFrameEnds_ = 0;
    TRect walkerArea_{};
    TScreenMethods methods_;
};
