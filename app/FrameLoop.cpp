// One frame of the main window: tick, compose, present.
#include "app/QelGameEngine.h"

#include "app/ScreenSet.h"
#include "audio/SoundEngine.h"
#include "effects/QelScreenEffects.h"
#include "foundation/Clock.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "graphics/Display.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "platform/GameWindow.h"
#include "text/QelFontEngine.h"

#include <algorithm>

namespace {

// Frames are counted over at least this long before the rate is taken.
constexpr int64_t kFpsSampleMs = 1000;
// The game's own cursor appears this long after the splash screen starts.
constexpr int64_t kCursorDelayMs = 1300;
// The cursor picture's hot spot: the picture is drawn this far up and left of the mouse.
constexpr int kCursorHotX = 5;
constexpr int kCursorHotY = 3;
// The redraw around the cursor reaches this much further up and left.
constexpr int kCursorMargin = 3;
constexpr const char* kCursorPicture = "Cursor.png";
constexpr const char* kFrame = "MemorySurface";
// The debug overlay's lines, in the first font.
constexpr int kOverlayX = 10;
constexpr int kOverlayXLine = 10, kOverlayYLine = 30, kOverlayFpsLine = 50;
constexpr uint32_t kOverlayColour = 0xFFFFFF;
// Marked cells show through this shade while the grid overlay is on.
constexpr uint8_t kGridShadeAlpha = 60;
constexpr uint32_t kGridShadeColour = 0x0000FF;

// Every shown window's areas: the background is restored under them each frame before
// they are drawn again.
class TInterfaceRects final : public IRedrawRectSource {
public:
    explicit TInterfaceRects(const TQelInterfaceEngine& ui) : ui_(ui) {}
    void GetAllRects(std::vector<TRect>& rects) override
    {
        for (const TRect& r : ui_.GetAllRects())
            rects.push_back(r);
    }
    void GetChangedRects(std::vector<TRect>& rects) override
    {
        for (const TRect& r : ui_.GetChangedRects())
            rects.push_back(r);
    }

private:
    const TQelInterfaceEngine& ui_;
};

}  // namespace

void TQelGameEngine::AppIdle()
{
    const int64_t now = Shell.FrameTime = clock_.NowMs();
    if (sounds_)
        sounds_->SetFrameTime(now);
    if (!displayReady_)
        return;
    LogAndCarryOn(gameLog_.get(), "Error AppIdle", [&] {
        TickTaimer(now);
        MakeRedrawRectsFromGrid();
        DrawMemorySurface();
        PresentFrame(Options.IsFullScreen() ? "Exception error in QelGameEngine.AppIdle! Fullscreen mode on."
                                            : "Exception error in QelGameEngine.AppIdle! Fullscreen mode off.");
        PrevMouseX = Shell.MouseX;
        PrevMouseY = Shell.MouseY;
        redrawGrid_.ClearFrameLists();
        if (now - Stats.LastSample > kFpsSampleMs) {
            Stats.CurrentFPS = Stats.FrameCounter;
            Stats.FrameCounter = 0;
            Stats.LastSample = now;
        }
    });
}

void TQelGameEngine::TickTaimer(int64_t now)
{
    LogAndCarryOn(gameLog_.get(), "Error TickTaimer", [&] {
        ApplyScreenRequest();
        if (interface_)
            interface_->Tick(now);
        if (effects_)
            effects_->TickEffectsTimer(now);
        if (sounds_)
            QelGuardMessage("Exception error in TQelGameEngine.TickMusicTimer!", [&] { sounds_->TickMusicTimer(now); });
        std::vector<TDelayedLabel>& delayed = Shell.DelayedLabels;
        for (size_t i = delayed.size(); i-- > 0;) {
            if (delayed[i].Time < now) {
                const std::string name = delayed[i].Name;
                delayed.erase(delayed.begin() + static_cast<ptrdiff_t>(i));
                ShowDelayedLabel(name);
            }
        }
        if (IScreen* screen = screens_.Find(Shell.ScreenMode))
            screen->Tick(now);
        MarkInterfaceChanges();
    });
}

void TQelGameEngine::Request(TScreenMode mode)
{
    requestedMode_ = mode;
}

void TQelGameEngine::ApplyScreenRequest()
{
    if (!requestedMode_)
        return;
    const TScreenMode to = *requestedMode_;
    requestedMode_.reset();
    const TScreenMode from = Shell.ScreenMode;
    if (modeEntered_ && to == from)
        return;
    IScreen* leaving = modeEntered_ ? screens_.Find(from) : nullptr;
    IScreen* entering = screens_.Find(to);
    if (leaving && leaving != entering)
        leaving->Leave(to);
    Shell.ScreenMode = to;
    modeEntered_ = true;
    trace_->Event("mode", ScreenModeName(to));
    if (entering && entering != leaving)
        entering->Enter(from);
}

void TQelGameEngine::ShowDelayedLabel(const std::string& name)
{
    if (interface_ && interface_->GetObjectByName(name))
        interface_->SetObjectProperty(name, "Visible", "True");
}

void TQelGameEngine::MarkInterfaceChanges()
{
    if (!interface_)
        return;
    for (const TRect& r : interface_->GetChangedRects())
        redrawGrid_.FillRedrawGrid(r, 2);
}

void TQelGameEngine::MarkWholeScreen()
{
    // A mark of 2: copied in this frame and the next, like any change.
    redrawGrid_.SetRedrawGrid(2);
}

void TQelGameEngine::MakeRedrawRectsFromGrid()
{
    redrawGrid_.MakeRedrawRectsFromGrid();
}

void TQelGameEngine::DrawMemorySurface()
{
    LogAndCarryOn(gameLog_.get(), "Error DrawMemorySurface", [&] {
        if (Shell.FrameTime < Shell.FullRedrawUntil)
            MarkWholeScreen();
        MarkCursorAreas();
        IScreen* screen = screens_.Find(Shell.ScreenMode);
        if (screen && screen->ComposesWholeFrame()) {
            screen->Draw();
        } else if (!screen && !interface_) {
            // Nothing to compose yet but the background.
            if (surfEngine_->IndexOfSurface("BackGround") >= 0)
                surfEngine_->DrawSurface("BackGround", kFrame, 0, 0);
        } else {
            TInterfaceRects windows(*interface_);
            redrawGrid_.DrawBackgroundByGrid(*surfEngine_, &windows);
            if (screen)
                screen->Draw();
            interface_->Draw();
            effects_->DrawQelScreenEffects(kFrame, effects_->Main);
            if (screen)
                screen->DrawOverInterface();
        }
        DrawOverlays();
        DrawCursor();
        ++Stats.FrameCounter;
    });
}

void TQelGameEngine::MarkCursorAreas()
{
    int32_t width = 0, height = 0;
    if (!surfEngine_->GetSurfaceSize(kCursorPicture, width, height))
        return;
    for (auto [x, y] : {std::pair{PrevMouseX, PrevMouseY}, std::pair{Shell.MouseX, Shell.MouseY}}) {
        const int left = x - kCursorHotX;
        const int top = y - kCursorHotY;
        redrawGrid_.FillRedrawGrid(TRect{left - kCursorMargin, top - kCursorMargin, left + width, top + height}, 2);
    }
}

void TQelGameEngine::DrawOverlays()
{
    if (!Options.IsDebugMode() || !fonts_)
        return;
    TQelFont* font = fonts_->FontAt(0);
    if (font && FpsOverlay) {
        const std::pair<int, std::string> lines[] = {{kOverlayXLine, "X: " + IntToStr(Shell.MouseX)},
                                                     {kOverlayYLine, "Y: " + IntToStr(Shell.MouseY)},
                                                     {kOverlayFpsLine, "FPS: " + IntToStr(Stats.CurrentFPS)}};
        for (const auto& [y, text] : lines) {
            const std::u16string wide(text.begin(), text.end());
            font->DrawText(kOverlayX, y, kOverlayColour, 255, wide);
            redrawGrid_.FillRedrawGrid(TRect{kOverlayX, y, kOverlayX + font->GetTextWidth(wide), y + font->Height}, 2);
        }
    }
    if (GridOverlay)
        for (const TRect& r : redrawGrid_.RedrawRects())
            surfEngine_->FillRectAlpha(kFrame, r, kGridShadeAlpha, kGridShadeColour);
}

void TQelGameEngine::DrawCursor()
{
    const int64_t now = Shell.FrameTime;
    if (now - Shell.SplashStartTime <= kCursorDelayMs || now <= Shell.CursorHiddenUntil)
        return;
    // Full screen draws the game's own cursor picture; a window keeps the system's arrow,
    // and so does a full screen while the picture is not loaded.
    const bool ownCursor = Options.IsFullScreen() && surfEngine_->IndexOfSurface(kCursorPicture) >= 0;
    if (ownCursor)
        surfEngine_->DrawWithAlphaChannel(kCursorPicture, kFrame, Shell.MouseX - kCursorHotX, Shell.MouseY - kCursorHotY);
    if (systemCursorShown_ != !ownCursor) {
        window_->ShowSystemCursor(!ownCursor);
        systemCursorShown_ = !ownCursor;
    }
}

void TQelGameEngine::PresentFrame(const char* failure)
{
    try {
        surfEngine_->BlitRects(*display_, kFrame, redrawGrid_.RedrawRects());
    } catch (...) {
        // The caller's text says which window mode the present failed in.
        throw TQelException(failure);
    }
}

void TQelGameEngine::FormPaint()
{
    if (!displayReady_)
        return;
    LogAndCarryOn(gameLog_.get(), "Exception error in TQelGameEngine.FormPaint", [&] {
        MarkWholeScreen();
        MakeRedrawRectsFromGrid();
        DrawMemorySurface();
        PresentFrame("Exception error in TQelGameEngine.FormPaint");
        PrevMouseX = Shell.MouseX;
        PrevMouseY = Shell.MouseY;
        redrawGrid_.ClearFrameLists();
    });
}

void TQelGameEngine::CopyMemorySurfaceToScreen(const TRect& rect)
{
    if (!displayReady_)
        return;
    if (surfEngine_->IndexOfSurface(kFrame) < 0) {
        WriteLog("TQelGameEngine.CopyMemorySurfaceToScreen ind=-1");
        return;
    }
    const TRect rects[] = {rect};
    surfEngine_->BlitRects(*display_, kFrame, rects);
}
