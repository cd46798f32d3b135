// The loading sequence and the splash.
#include "screens/LoadingScreen.h"

#include "audio/SoundEngine.h"
#include "effects/QelScreenEffects.h"
#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "screens/TitleScreen.h"
#include "text/QelFontEngine.h"
#include "screens/ScreenLayout.h"

namespace {

constexpr const char* kLoadingWindow = "WGameLoading";
constexpr const char* kLoadingBar = "WGameLoading_PBLoadGame";
constexpr const char* kLoadingBackdrop = "LoadingScreen.jpg";
constexpr const char* kParamsFile = "GameParams.xml";
// The pictures every later picture's progress is drawn with, loaded before the list.
const char* const kLoadingPictures[] = {kLoadingBackdrop, "ProgressLine.png", "ProgressBar.png", "ProgressWindowH.png",
                                        "ComicSansMS_29.png"};
// Progress is only drawn once these can be shown.
constexpr const char* kProgressLine = "ProgressLine.png";
constexpr const char* kCursor = "Cursor.png";
// The splash lasts this long before the title takes over.
constexpr int64_t kSplashMs = 1800;
// "efShow.xml" starts this long after the splash.
constexpr int64_t kSplashEffectDelayMs = 100;
// Where the mouse is taken to be when the splash starts.
constexpr int32_t kSplashMouseX = 520;
constexpr int32_t kSplashMouseY = 260;
// Widgets only the debug mode shows.
const char* const kDebugWidgets[] = {"WLoadCustom_BEdit", "WLoadCustom_BDemo", "WLoadCustom_CBSaveDemo", "WTitle_BEdit"};
constexpr int kTitleMusicFadeInMs = 1000;

// Names of a plain list file, one a line; blank lines skipped, line ends of either kind.
std::vector<std::string> ListLines(const std::vector<uint8_t>& bytes)
{
    std::vector<std::string> names;
    std::string line;
    auto flush = [&] {
        std::string name = Trim(line);
        if (!name.empty())
            names.push_back(std::move(name));
        line.clear();
    };
    for (uint8_t b : bytes) {
        if (b == '\n' || b == '\r')
            flush();
        else
            line.push_back(static_cast<char>(b));
    }
    flush();
    return names;
}

}  // namespace

TLoadingScreen::TLoadingScreen(TScreenContext& context, TProfileWindows& profiles)
    : c_(context), profiles_(profiles)
{
}

void TLoadingScreen::LoadGame()
{
    TSurfEngine& surfaces = c_.Surfaces;
    TGameLog& log = c_.Log;
    // Each step that fails writes its line and leaves its data empty; the loading goes on.
    // The first font's glyphs are needed at once.
    surfaces.LoadSurfFromFileOrFileFolder(c_.Data, "QelUnicode.png");
    LogAndCarryOn(log, "Error LoadGameEffects", [&] { c_.Effects.LoadGameEffects(); });
    c_.Params = LoadGameParams(c_.ProgramFolder / kParamsFile, log);
    for (const char* picture : kLoadingPictures)
        surfaces.LoadSurfFromFileOrFileFolder(c_.Data, picture);
    c_.Switch.Request(TScreenMode::smSplash);

    surfaces.Progress = [this](int percent) { ShowGameProgress(percent); };
    LogAndCarryOn(log, "Error LoadSurfaces", [&] { LoadPermanentPictures("surfaces.dat"); });
    surfaces.Progress = nullptr;
    LogAndCarryOn(log, "Error ResetInterface", [&] {
        c_.Interface.HideModalList();
        c_.Interface.UpdateScreenSize();
    });

    c_.Sounds.LoadSoundsEvents(c_.ProgramFolder, c_.Data);
    LogAndCarryOn(log, "Error StartTitleMusic", [&] { StartTitleMusic(); });
    GoInTitle(c_);

    // The player's record needs the piece types and is read before the other tables.
    c_.Tables.LoadPieceTypes(c_.Data, log);
    LogAndCarryOn(log, "Error LoadPlayer", [&] { profiles_.LoadPlayer(); });
    c_.Tables.LoadOtherTables(c_.Data, &c_.Sounds.Music(), c_.Options.IsDebugMode(), log);
    LogAndCarryOn(log, "Error HideDebugWidgets", [&] {
        if (!c_.Options.IsDebugMode())
            for (const char* name : kDebugWidgets)
                c_.Interface.SetObjectProperty(name, "Visible", "False");
        c_.Interface.SetObjectProperty("WGame_TFPixel_LCount", "Visible", "False");
    });
    surfaces.LoadSurfFromFileOrFileFolder(c_.Data, "TimeBar.png");
    StartSplash();
}

void TLoadingScreen::LoadPermanentPictures(const std::string& listName)
{
    TSurfEngine& surfaces = c_.Surfaces;
    if (TQelObject* window = c_.Interface.GetObjectByName(kLoadingWindow))
        if (const std::string picture = VariantToString(c_.Interface.GetObjectValue(kLoadingWindow, "Picture"));
            !picture.empty() && window)
            surfaces.LoadSurfFromFileOrFileFolder(c_.Data, picture);
    c_.Interface.ShowModal(kLoadingWindow);
    c_.Interface.UpdateScreenSize();

    std::vector<std::string> permanent;
    std::string error;
    if (auto bytes = c_.Data.Read(listName, &error))
        permanent = ListLines(*bytes);
    else
        c_.Log.WriteLog("Error LoadSurfaces " + listName + (error.empty() ? "" : ": " + error));
    LoadPictures(permanent, 0);

    // The fonts' glyph pictures first, then every picture a window names.
    std::vector<std::string> needed;
    for (int i = 0; i < c_.Fonts.FontCount(); ++i)
        if (const TQelFont* font = c_.Fonts.FontAt(i); font && !font->Picture.empty())
            needed.push_back(font->Picture);
    for (std::string& picture : c_.Interface.GetPicturesList())
        needed.push_back(std::move(picture));
    LoadPictures(needed, 50);
    c_.Interface.UpdateScreenSize();
    c_.Interface.RefreshForms();
}

void TLoadingScreen::LoadPictures(const std::vector<std::string>& names, int firstPercent)
{
    // Each half of the bar is one list; progress is reported every twentieth of it.
    const size_t n = names.size();
    const size_t every = std::max<size_t>(n / 20, 1);
    for (size_t i = 0; i < n; ++i) {
        if (c_.Surfaces.IndexOfSurface(names[i]) < 0)
            c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, names[i]);
        if (i % every == 0 || i + 1 == n) {
            const double share = n > 1 ? static_cast<double>(i) * 100.0 / static_cast<double>(n - 1) / 2.0 : 50.0;
            ShowGameProgress(firstPercent + RoundHalfEven(share));
        }
    }
    if (n == 0)
        ShowGameProgress(firstPercent + 50);
}

void TLoadingScreen::ShowGameProgress(int percent)
{
    c_.Interface.SetObjectProperty(kLoadingBar, "Position", IntToStr(percent));
    if (percent == lastProgress_)
        return;
    lastProgress_ = percent;
    c_.Trace.Event("progress", IntToStr(percent));
    if (c_.Surfaces.IndexOfSurface(kProgressLine) < 0 || c_.Surfaces.IndexOfSurface(kCursor) < 0)
        return;
    if (c_.Surfaces.IndexOfSurface(kLoadingBackdrop) >= 0)
        c_.Surfaces.DrawSurface(kLoadingBackdrop, kFrame, 0, 0);
    else
        c_.Surfaces.FillSurface(kFrame, 0);
    c_.Interface.Draw();
    c_.Commands.CopyMemorySurfaceToScreen(TRect{0, 0, kScreenWidth, kScreenHeight});
}

void TLoadingScreen::StartTitleMusic()
{
    const TScreenMusic& title = c_.Params.MusicInTitle;
    if (title.Music.empty())
        return;
    const int32_t order = c_.Sounds.MusicStartOrder(title.Music, title.StartPattern);
    c_.Sounds.ChangeMusic(title.Music, 0, 0, order, kTitleMusicFadeInMs);
}

void TLoadingScreen::StartSplash()
{
    const int64_t now = c_.Clock.NowMs();
    c_.Switch.Request(TScreenMode::smSplash);
    c_.Shell.SplashStartTime = now;
    c_.Shell.MouseX = kSplashMouseX;
    c_.Shell.MouseY = kSplashMouseY;
    c_.Commands.MarkWholeScreen();
    // The splash shows a still picture of the title, with the splash effects over it.
    LogAndCarryOn(c_.Log, "Error StartSplash", [&] {
        c_.Effects.DeleteAllEffects(c_.Effects.Second);
        c_.Surfaces.FillSurface(kBackground, 0);
        c_.Surfaces.FillSurface(kFrame, 0);
        c_.Interface.Draw();
        c_.Surfaces.DrawSurface(kFrame, kBackground, 0, 0);
        // Only a picture of the title shows until the splash ends: its buttons take no
        // clicks before they can be seen.
        c_.Interface.HideModalList();
        TQelEffectParams show;
        show.File = "efShow.xml";
        show.StartTime = now + kSplashEffectDelayMs;
        c_.Effects.CreateQelEffectFromFile(c_.Effects.Second, "efShow", show);
    });
}

void TLoadingScreen::Tick(int64_t now)
{
    if (now - c_.Shell.SplashStartTime > kSplashMs)
        GoInTitle(c_);
}

void TLoadingScreen::Draw()
{
    c_.Surfaces.DrawSurface(kBackground, kFrame, 0, 0);
    c_.Effects.DrawQelScreenEffects(kFrame, c_.Effects.Second);
}
