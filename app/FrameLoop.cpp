// One frame of the main window: tick, compose, present.
#include "app/QelGameEngine.h"

#include "audio/SoundEngine.h"
#include "foundation/Clock.h"
#include "foundation/QelBaseClasses.h"
#include "graphics/Display.h"
#include "graphics/SurfEngine.h"
#include "platform/GameWindow.h"

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

}  // namespace

void TQelGameEngine::AppIdle()
{
    FrameTime = clock_.NowMs();
    if (sounds_)
        sounds_->SetFrameTime(FrameTime);
    if (!displayReady_)
        return;
    try {
        TickTaimer(FrameTime);
        MakeRedrawRectsFromGrid();
        DrawMemorySurface();
        PresentFrame(Options.IsFullScreen() ? "Exception error in QelGameEngine.AppIdle! Fullscreen mode on."
                                            : "Exception error in QelGameEngine.AppIdle! Fullscreen mode off.");
        Mouse.PrevX = Mouse.X;
        Mouse.PrevY = Mouse.Y;
        redrawGrid_.ClearFrameLists();
        if (FrameTime - Stats.LastSample > kFpsSampleMs) {
            Stats.CurrentFPS = Stats.FrameCounter;
            Stats.FrameCounter = 0;
            Stats.LastSample = FrameTime;
        }
    } catch (...) {
        WriteLog("Error AppIdle");
    }
}

void TQelGameEngine::TickTaimer(int64_t now)
{
    try {
        // The interface engine's tick, then the screen effects', join here.
        if (sounds_)
            QelGuardMessage("Exception error in TQelGameEngine.TickMusicTimer!", [&] { sounds_->TickMusicTimer(now); });
        if (Deadlines.LevelCompleteModeAt > 0 && Deadlines.LevelCompleteModeAt < now) {
            ScreenMode = TScreenMode::smLevelComplete;
            Deadlines.LevelCompleteModeAt = 0;
        }
        for (size_t i = DelayedLabels.size(); i-- > 0;) {
            if (DelayedLabels[i].Time < now) {
                const std::string name = DelayedLabels[i].Name;
                DelayedLabels.erase(DelayedLabels.begin() + static_cast<ptrdiff_t>(i));
                ShowDelayedLabel(name);
            }
        }
        if (IScreen* screen = screens_.Find(ScreenMode))
            screen->Tick(now);
    } catch (...) {
        WriteLog("Error TickTaimer");
    }
}

void TQelGameEngine::ShowDelayedLabel(const std::string& /*name*/)
{
    // The interface engine makes the label of that name visible, when it exists.
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
    try {
        if (FrameTime < Deadlines.FullRedrawUntil)
            MarkWholeScreen();
        MarkCursorAreas();
        if (IScreen* screen = screens_.Find(ScreenMode)) {
            screen->Draw();
        } else if (surfEngine_->IndexOfSurface("BackGround") >= 0) {
            // Modes without layers of their own show the background whole, with the
            // splash effects on it once effects exist.
            surfEngine_->DrawSurface("BackGround", "MemorySurface", 0, 0);
        }
        // The debug overlays and the demo cursor follow once the fonts exist.
        DrawCursor();
        ++Stats.FrameCounter;
    } catch (...) {
        WriteLog("Error DrawMemorySurface");
    }
}

void TQelGameEngine::MarkCursorAreas()
{
    int32_t width = 0, height = 0;
    if (!surfEngine_->GetSurfaceSize(kCursorPicture, width, height))
        return;
    for (auto [x, y] : {std::pair{Mouse.PrevX, Mouse.PrevY}, std::pair{Mouse.X, Mouse.Y}}) {
        const int left = x - kCursorHotX;
        const int top = y - kCursorHotY;
        redrawGrid_.FillRedrawGrid(TRect{left - kCursorMargin, top - kCursorMargin, left + width, top + height}, 2);
    }
}

void TQelGameEngine::DrawCursor()
{
    if (FrameTime - Deadlines.SplashStartTime <= kCursorDelayMs || FrameTime <= Deadlines.CursorHiddenUntil)
        return;
    // Full screen draws the game's own cursor picture; a window keeps the system's arrow,
    // and so does a full screen while the picture is not loaded.
    const bool ownCursor = Options.IsFullScreen() && surfEngine_->IndexOfSurface(kCursorPicture) >= 0;
    if (ownCursor)
        surfEngine_->DrawWithAlphaChannel(kCursorPicture, "MemorySurface", Mouse.X - kCursorHotX, Mouse.Y - kCursorHotY);
    if (systemCursorShown_ != !ownCursor) {
        window_->ShowSystemCursor(!ownCursor);
        systemCursorShown_ = !ownCursor;
    }
}

void TQelGameEngine::PresentFrame(const char* failure)
{
    try {
        surfEngine_->BlitRects(*display_, "MemorySurface", redrawGrid_.RedrawRects());
    } catch (...) {
        throw TQelException(failure);
    }
}

void TQelGameEngine::FormPaint()
{
    if (!displayReady_)
        return;
    try {
        MarkWholeScreen();
        MakeRedrawRectsFromGrid();
        DrawMemorySurface();
        PresentFrame("Exception error in TQelGameEngine.FormPaint");
        Mouse.PrevX = Mouse.X;
        Mouse.PrevY = Mouse.Y;
        redrawGrid_.ClearFrameLists();
    } catch (...) {
        WriteLog("Exception error in TQelGameEngine.FormPaint");
    }
}
