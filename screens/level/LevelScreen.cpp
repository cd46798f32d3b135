// The standard level screen's day, frame, input, windows and menus.
#include "screens/level/LevelScreen.h"

#include "audio/SoundEngine.h"
#include "effects/QelAnime.h"
#include "effects/QelScreenEffects.h"
#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "foundation/Text.h"
#include "gameplay/DemoReplay.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFlow.h"
#include "gameplay/LevelInput.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "graphics/Surface.h"
#include "graphics/Display.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"
#include "metagame/EpisodProgress.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "metagame/PlayersFile.h"
#include "metagame/Shop.h"
#include "screens/DialogScreen.h"
#include "screens/Journey.h"
#include "screens/ScreenLayout.h"
#include "screens/TitleScreen.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr const char* kUpgradeDialog = "Script_Dialog_Upgrade.xml";
constexpr const char* kGameWindow = "WGame";
constexpr const char* kLoadWindow = "WLoadLevel";
constexpr const char* kPlayersFileName = "players.dat";
constexpr const char* kTesterName = "Tester";
// The clock panel's place on the standard panel, and its size.
constexpr int32_t kClockX = 1;
constexpr int32_t kClockY = 428;
constexpr int32_t kClockSize = 60;
constexpr const char* kClosedPanel = "MPanelClosed.png";
constexpr const char* kInvoice = "Invoice.png";
constexpr int32_t kMusicFadeMs = 1000;
// After a day the whole screen is drawn again for this long, while the windows change.
constexpr int64_t kFullRedrawMs = 1000;
// The opening box of an upgrade unlocked during a day.
constexpr const char* kUnlockBoxEffect = "efUnlockBox.xml";
constexpr TPoint kUnlockBoxPos{516, 280};
constexpr int64_t kUnlockBoxDelay = 300;

constexpr std::array<TScreenMethod<TStandardLevelScreen>, 14> kMethods{{
    {"WBeforeLevel_BPlay_MouseUp", &TStandardLevelScreen::WBeforeLevel_BPlay_MouseUp},
    {"WHintBeforeLevel_BOk_MouseUp", &TStandardLevelScreen::WHintBeforeLevel_BOk_MouseUp},
    {"WGame_BMenu_MouseUp", &TStandardLevelScreen::WGame_BMenu_MouseUp},
    {"WGame_BContinue_MouseUp", &TStandardLevelScreen::WGame_BContinue_MouseUp},
    {"WGameMenu_BResume_MouseUp", &TStandardLevelScreen::WGameMenu_BResume_MouseUp},
    {"WGameMenu_BOptions_MouseUp", &TStandardLevelScreen::WGameMenu_BOptions_MouseUp},
    {"WGameMenu_BQuitGame_MouseUp", &TStandardLevelScreen::WGameMenu_BQuitGame_MouseUp},
    {"WGameMenu_BAbortLevel_MouseUp", &TStandardLevelScreen::WGameMenu_BAbortLevel_MouseUp},
    {"WGameMenu_BQuit_MouseUp", &TStandardLevelScreen::WGameMenu_BQuit_MouseUp},
    {"WAbortLevel_BOk_MouseUp", &TStandardLevelScreen::WAbortLevel_BOk_MouseUp},
    {"WExitToMainMenu_BOk_MouseUp", &TStandardLevelScreen::WExitToMainMenu_BOk_MouseUp},
    {"WLevelComplete_BOk_MouseUp", &TStandardLevelScreen::WLevelComplete_BOk_MouseUp},
    {"WGameOver_BOk_MouseUp", &TStandardLevelScreen::WGameOver_BOk_MouseUp},
    {"WUnlockItem_BOK_MouseUp", &TStandardLevelScreen::WUnlockItem_BOK_MouseUp},
}};

bool IsPlayedMode(TScreenMode mode)
{
    return mode == TScreenMode::smLevel || mode == TScreenMode::smBonusLevel || mode == TScreenMode::smPixelLevel;
}

}  // namespace

TScreenMode LevelScreenMode(TLevelScreen screen)
{
    switch (screen) {
    case TLevelScreen::Level:
        return TScreenMode::smLevel;
    case TLevelScreen::Dialog:
        return TScreenMode::smDialog;
    case TLevelScreen::GameMenu:
        return TScreenMode::smGameMenu;
    case TLevelScreen::LevelComplete:
        return TScreenMode::smLevelComplete;
    case TLevelScreen::LevelFailed:
        break;
    }
    return TScreenMode::smLevelFailed;
}

TStandardLevelScreen::TStandardLevelScreen(TScreenContext& context, TPlayersFile& players, TOptionsWindow& options)
    : c_(context),
      players_(players),
      options_(options),
      windows_(context.Interface),
      pictures_(context.Surfaces, context.Data,
                [this](std::string_view name) { return permanent_.count(std::string(name)) != 0; }),
      effects_(context.Effects, context.Effects.Second),
      pictureMaker_(context.Surfaces, context.Data, &context.Fonts),
      painter_(context.Surfaces, context.Grid, context.Data, context.Log),
      dialogLevel_(context, [this] { return session_.get(); }),
      methods_(context.Methods, *this, std::span<const TScreenMethod<TStandardLevelScreen>>(kMethods))
{
}

TStandardLevelScreen::~TStandardLevelScreen() = default;

// ---- The day ---------------------------------------------------------------------------

TLevelSessionServices TStandardLevelScreen::Services()
{
    TLevelSessionServices services;
    services.Data = &c_.Data;
    services.Clock = &c_.Clock;
    services.Log = &c_.Log;
    services.Gameplay = &c_.GameRandom;
    services.Cosmetic = &c_.CosmeticRandom;
    services.Pictures = &pictures_;
    services.PictureMaker = &pictureMaker_;
    services.Effects = &effects_;
    services.Sounds = &c_.Sounds;
    services.Windows = this;
    services.Host = this;
    services.Progress = this;
    services.AnimeLoader = [this](const std::string& file) { return LoadAnime(c_.Surfaces, c_.Data, file, false); };
    services.ReloadPlayerRecord = [this] { players_.LoadPlayer(c_.Player); };
    services.PreviousPictures = &previousPictures_;
    services.PrepareHeaps = [this](tLevel& level) {
        if (pixel_)
            pixel_->PrepareHeaps(level);
    };
    return services;
}

TLevelOptions TStandardLevelScreen::DayOptions() const
{
    TLevelOptions options;
    options.DebugMode = c_.Options.IsDebugMode();
    options.CustomLevel = customDay_;
    // A bot plays as in the simulator: no balloons to read, nothing kept selected.
    if (!botPlays_) {
        options.HintsOn = c_.Options.HintsMode != 0;
        options.StaySelect = c_.Options.StaySelect;
    }
    return options;
}

bool TStandardLevelScreen::StartDay(int32_t episod, int32_t levelIndex)
{
    EndDay();
    // What the start-up loaded stays for the whole game; a day releases only its own.
    if (permanent_.empty())
        for (int i = 0; i < c_.Surfaces.SurfaceCount(); ++i)
            if (const TSurface* surface = c_.Surfaces.SurfaceAt(i))
                permanent_.insert(surface->Name);
    frozen_ = false;
    resultTraced_ = false;
    c_.Interface.HideModalList();
    c_.Interface.ShowModal(kGameWindow);
    if (daySeed_)
        c_.GameRandom.Seed(*daySeed_);
    TLevelDay day{episod, levelIndex, {}, {}};
    day.Introduction = std::exchange(introduction_, {});
    session_ = std::make_unique<TLevelSession>(c_.Tables, c_.Params, c_.Player, flags_, day, Services(), DayOptions());
    session_->Level().Demo.Recording = recordDemos_;
    const bool loaded = session_->Load();
    CloseLoadWindow();
    if (!loaded) {
        session_.reset();
        BackToTitle();
        return false;
    }
    c_.Trace.Event("level", session_->Level().FileName);
    MakeDayBackground();
    c_.Commands.MarkWholeScreen();
    return true;
}

void TStandardLevelScreen::MakeDayBackground()
{
    LogAndCarryOn(c_.Log, "Error MakeMainBackground", [&] {
        if (IDayVariant* variant = Variant()) {
            variant->MakeBackground(*session_);
            return;
        }
        painter_.MakeBackgroundInGame(session_->Level(), session_->Game());
        painter_.MakeMainBackground(session_->Level(), session_->Game());
    });
}

bool TStandardLevelScreen::StartDeveloperDay(int32_t episod, int32_t levelIndex)
{
    if (c_.Player.Name.empty() || c_.Player.NoPlayersFile) {
        c_.Player.Name = kTesterName;
        ResetPlayerState(c_.Player, false);
        c_.Player.NoPlayersFile = false;
        if (players_.MakeNewPlayersFile(c_.Player) == TProfileResult::Done)
            c_.Trace.Event("save", kPlayersFileName);
    }
    return StartDay(episod, levelIndex);
}

void TStandardLevelScreen::EndDay()
{
    if (session_)
        SaveRecordedDemo(session_->Level(), c_.ProgramFolder);
    // The day's own scene effects go with it; its pictures are released by the next day.
    c_.Effects.DeleteAllEffects(c_.Effects.Second);
    session_.reset();
}

void TStandardLevelScreen::TraceResult()
{
    if (resultTraced_ || !session_)
        return;
    const TLevelResult result = session_->Result();
    if (result.Phase != TLevelPhase::Complete && result.Phase != TLevelPhase::Failed)
        return;
    resultTraced_ = true;
    c_.Trace.Event("result", std::string(result.Phase == TLevelPhase::Complete ? "complete" : "failed") + " " +
                                 IntToStr(result.Score) + " " + IntToStr(result.Goal));
}

void TStandardLevelScreen::ContinueGame()
{
    if (!journey_ || customDay_) {
        BackToTitle();
        return;
    }
    TPlayer& player = c_.Player;
    const TProgress progress = AdvanceAfterLevel(player, c_.Tables.Episods);
    SavePlayer();
    switch (progress) {
    case TProgress::NextLevel:
        StartDay(player.CurrentEpisod, player.CurrentLevel);
        break;
    case TProgress::NextEpisode:
        EndDay();
        journey_->OpenMap(true, true);
        break;
    case TProgress::GameComplete:
        EndDay();
        journey_->OpenMap(false, false);
        c_.Interface.SetObjectProperty("WMap_TFPlay", "Visible", "False");
        journey_->OpenGameComplete();
        break;
    }
}

void TStandardLevelScreen::GoOnToNextDay()
{
    // The way on is the same as after a won standard day.
    WLevelComplete_BOk_MouseUp();
}

IDayVariant* TStandardLevelScreen::Variant() const
{
    if (!session_)
        return nullptr;
    const tLevel& level = session_->Level();
    return level.IsBonusLevel() ? bonus_ : level.IsPixelLevel() ? pixel_ : nullptr;
}

TScreenMode TStandardLevelScreen::PlayedMode() const
{
    if (session_ && Variant())
        return session_->Level().IsBonusLevel() ? TScreenMode::smBonusLevel : TScreenMode::smPixelLevel;
    return TScreenMode::smLevel;
}

void TStandardLevelScreen::BackToTitle()
{
    EndDay();
    customDay_ = false;
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    c_.Interface.HideModalList();
    GoInTitle(c_);
    const TScreenMusic& title = c_.Params.MusicInTitle;
    c_.Sounds.StopMusic(false);
    if (!title.Music.empty())
        c_.Sounds.ChangeMusic(title.Music, kMusicFadeMs, 0, c_.Sounds.MusicStartOrder(title.Music, title.StartPattern),
                              kMusicFadeMs);
    c_.Shell.FullRedrawUntil = c_.Clock.NowMs() + kFullRedrawMs;
}

// ---- The frame ---------------------------------------------------------------------------

void TStandardLevelScreen::Tick(int64_t)
{
    if (!session_)
        return;
    switch (c_.Shell.ScreenMode) {
    case TScreenMode::smLevel:
        session_->Tick(TLevelMode::Playing);
        break;
    case TScreenMode::smLevelComplete:
        session_->Tick(TLevelMode::Halted);
        break;
    case TScreenMode::smDialog:
        session_->Tick(TLevelMode::Dialog);
        break;
    default:
        // Windows over the day: it stands still until they close.
        break;
    }
    TraceResult();
}

bool TStandardLevelScreen::PanelVisible() const
{
    return VariantToString(c_.Interface.GetObjectValue("WGame_TFStandart", "Visible")) == "True";
}

TLevelSceneView TStandardLevelScreen::SceneView() const
{
    TLevelSceneView view;
    view.Now = c_.Clock.NowMs();
    view.LevelComplete = c_.Shell.ScreenMode == TScreenMode::smLevelComplete;
    view.PanelVisible = PanelVisible();
    // The new furniture is shown on an empty belt.
    view.UpgradeDialog = c_.Shell.ScreenMode == TScreenMode::smDialog && session_ &&
                         session_->Level().Play.Flow.DialogPlaying == kUpgradeDialog;
    return view;
}

void TStandardLevelScreen::DrawLevelLayers()
{
    if (IDayVariant* variant = Variant()) {
        variant->DrawLayers(*session_);
        return;
    }
    tLevel& level = session_->Level();
    const TLevelSceneView view = SceneView();
    // Customers go into the frame like the pieces: drawn into the background they would
    // leave a trail of themselves as they walk, since nothing restores it under them.
    painter_.DrawPersons(level, kFrame);
    c_.Effects.DrawQelScreenEffects(kFrame, c_.Effects.Second);
    painter_.DrawFishes(level, kFrame, view);
    painter_.DrawAddBackPicture(level, kFrame, view);
}

void TStandardLevelScreen::Draw()
{
    if (!session_ || frozen_)
        return;
    LogAndCarryOn(c_.Log, "Error DrawLevel", [&] { DrawLevelLayers(); });
}

void TStandardLevelScreen::DrawOverInterface()
{
    if (!session_)
        return;
    // A bonus day's register stays on its panel under the results too.
    if (IDayVariant* variant = Variant())
        variant->DrawOverPanel(*session_);
    if (frozen_)
        return;
    const tLevel& level = session_->Level();
    painter_.DrawCifirblat(level, kFrame, SceneView());
    if (level.Times.TimeLeft <= 0 && c_.Surfaces.IndexOfSurface(kClosedPanel) >= 0) {
        c_.Surfaces.DrawWithAlphaChannel(kClosedPanel, kFrame, kClockX, kClockY);
        c_.Grid.FillRedrawGrid(TRect{kClockX, kClockY, kClockX + kClockSize, kClockY + kClockSize}, 2);
    }
}

// ---- Input -------------------------------------------------------------------------------

void TStandardLevelScreen::MouseDown(const TQelMouseEvent& event)
{
    if (!session_)
        return;
    const TScreenMode mode = c_.Shell.ScreenMode;
    // A click during the end animation brings the results at once.
    if (IsPlayedMode(mode) || mode == TScreenMode::smLevelComplete)
        session_->MouseDown(event.Button, event.X, event.Y);
}

void TStandardLevelScreen::MouseMove(const TQelMouseEvent& event)
{
    if (session_ && IsPlayedMode(c_.Shell.ScreenMode))
        session_->MouseMove(event.X, event.Y);
}

bool TStandardLevelScreen::KeyDown(const TQelKeyEvent& event)
{
    if (event.Key != QelKey::kEscape || !session_ || !IsPlayedMode(c_.Shell.ScreenMode))
        return false;
    OpenMenu();
    return true;
}

void TStandardLevelScreen::Deactivated()
{
    if (!session_)
        return;
    if (IsPlayedMode(c_.Shell.ScreenMode)) {
        OpenMenu();
        c_.Commands.MarkWholeScreen();
    }
    session_->Pause();
}

// ---- Menus and windows -----------------------------------------------------------------

void TStandardLevelScreen::OpenMenu()
{
    if (!session_ || session_->Phase() != TLevelPhase::Running)
        return;
    session_->Pause();
    const int32_t episod = c_.Player.CurrentEpisod;
    const bool replay = episod >= 0 && episod < kEpisodSlots && c_.Player.WinEpisode[static_cast<size_t>(episod)];
    c_.Interface.SetObjectProperty("WGameMenu_TFReplay", "Visible", replay ? "True" : "False");
    c_.Interface.SetObjectProperty("WGameMenu_TFStandart", "Visible", replay ? "False" : "True");
    c_.Shell.PreviousScreenMode = c_.Shell.ScreenMode;
    EnterScreen(TLevelScreen::GameMenu);
    c_.Interface.SetObjectProperty("WGame_TFPixel_BMenu", "Enabled", "False");
    c_.Interface.SetObjectProperty("WGame_TFPixel_BHint", "Enabled", "False");
    c_.Interface.ShowModal(session_->Level().IsBonusLevel() ? "WGameMenuBonus" : "WGameMenu");
    if (IDayVariant* variant = Variant())
        variant->MenuOpened(*session_);
}

void TStandardLevelScreen::Resume()
{
    if (!session_)
        return;
    EnterScreen(TLevelScreen::Level);
    c_.Interface.SetObjectProperty("WGame_BMenu", "Enabled", "True");
    c_.Interface.SetObjectProperty("WGame_TFPixel_BMenu", "Enabled", "True");
    c_.Interface.SetObjectProperty("WGame_TFStandart", "Visible", "True");
    session_->Resume();
    if (IDayVariant* variant = Variant())
        variant->MenuClosed(*session_);
    painter_.DrawCifirblat(session_->Level(), kBackground, SceneView());
    c_.Commands.MarkWholeScreen();
}

void TStandardLevelScreen::WGame_BMenu_MouseUp()
{
    if (session_ && IsPlayedMode(c_.Shell.ScreenMode))
        OpenMenu();
}

void TStandardLevelScreen::WGameMenu_BResume_MouseUp()
{
    c_.Interface.HideModal("WGameMenu");
    c_.Interface.HideModal("WGameMenuBonus");
    Resume();
}

void TStandardLevelScreen::WGameMenu_BOptions_MouseUp() { options_.Open(); }
void TStandardLevelScreen::WGameMenu_BQuitGame_MouseUp() { c_.Interface.ShowModal("WQuit"); }
void TStandardLevelScreen::WGameMenu_BAbortLevel_MouseUp() { c_.Interface.ShowModal("WAbortLevel"); }

void TStandardLevelScreen::WGameMenu_BQuit_MouseUp()
{
    BackToTitle();
    TQelEffectParams title;
    title.File = "efTitle.xml";
    LogAndCarryOn(c_.Log, "Error WGameMenu_BQuit_MouseUp",
                  [&] { c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, title.File, title); });
}

void TStandardLevelScreen::ToggleDemoRecording()
{
    recordDemos_ = !recordDemos_;
    c_.Log.WriteLog(recordDemos_ ? "Demo recording on" : "Demo recording off");
    if (!session_)
        return;
    tLevel& level = session_->Level();
    if (recordDemos_ && !level.Demo.Recording) {
        // A day under way is recorded from now; the demo replays it on a fresh day.
        level.Demo.Recording = true;
        level.Demo.RecordStart = session_->Now();
        level.Demo.Lines.clear();
    } else if (!recordDemos_) {
        SaveRecordedDemo(level, c_.ProgramFolder);
        level.Demo.Recording = false;
    }
}

void TStandardLevelScreen::BackFromInstructions(bool toMenu)
{
    c_.Interface.HideModalList();
    c_.Interface.ShowModal(kGameWindow);
    if (!session_) {
        BackToTitle();
        return;
    }
    // The demos drew over the day's background.
    MakeDayBackground();
    // The time under the pages is not the day's; the menu pauses it again.
    Resume();
    if (toMenu)
        OpenMenu();
}

void TStandardLevelScreen::WAbortLevel_BOk_MouseUp() { BackToTitle(); }
void TStandardLevelScreen::WExitToMainMenu_BOk_MouseUp() { c_.Commands.Quit(); }

void TStandardLevelScreen::WBeforeLevel_BPlay_MouseUp()
{
    if (session_)
        session_->Start();
}

void TStandardLevelScreen::ShowHintBeforeLevel()
{
    if (!session_)
        return;
    c_.Shell.PreviousScreenMode = c_.Shell.ScreenMode;
    c_.Switch.Request(TScreenMode::smHintBeforeLevel);
    screen_ = TLevelScreen::GameMenu;
    session_->Pause();
    c_.Interface.SetObjectProperty("WGame_BMenu", "Enabled", "False");
    const tLevel& level = session_->Level();
    if (level.IsBonusLevel()) {
        c_.Interface.SetObjectProperty("WHintBeforeBonusLevel_LTimeCount", "Caption",
                                       FormatMinutes(level.Times.LevelTime));
        c_.Interface.SetObjectProperty("WHintBeforeBonusLevel_LCountCount", "Caption",
                                       IntToStr(level.Play.Flow.CompleteNeed));
    }
    c_.Interface.ShowModal(level.IsBonusLevel() ? "WHintBeforeBonusLevel" : "WHintBeforeLevel");
}

void TStandardLevelScreen::WHintBeforeLevel_BOk_MouseUp()
{
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    if (session_) {
        const TLevelFlow& flow = session_->Level().Play.Flow;
        c_.Sounds.ChangeMusic(flow.Music, kMusicFadeMs, 0, c_.Sounds.MusicStartOrder(flow.Music, flow.MusicPattern),
                              kMusicFadeMs);
    }
    c_.Interface.SetObjectProperty("WGame_BMenu", "Enabled", "True");
    c_.Interface.HideModal("WHintBeforeLevel");
    if (c_.Surfaces.IndexOfSurface("MainBackGround") >= 0)
        c_.Surfaces.DrawSurface("MainBackGround", kBackground, 0, 0);
    screen_ = TLevelScreen::Level;
    c_.Switch.Request(c_.Shell.PreviousScreenMode);
    if (session_)
        session_->Resume();
    c_.Commands.MarkWholeScreen();
}

void TStandardLevelScreen::WLevelComplete_BOk_MouseUp()
{
    c_.Interface.HideModal("WLevelComplete");
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    c_.Shell.FullRedrawUntil = c_.Clock.NowMs() + kFullRedrawMs;
    // A standard day next in the same shop is reached through the catalogue; anything
    // else (a bonus or picture day, a new shop, the end) goes on as the continue button.
    TPlayer& player = c_.Player;
    const TLevelInEpisod* next = c_.Tables.Episods.Level(player.CurrentEpisod, player.CurrentLevel + 1);
    if (journey_ && next && next->IsStandard()) {
        player.CurrentLevel += 1;
        SavePlayer();
        EndDay();
        journey_->OpenShop(true);
        return;
    }
    ContinueGame();
}

void TStandardLevelScreen::WGame_BContinue_MouseUp() { ContinueGame(); }

void TStandardLevelScreen::WGameOver_BOk_MouseUp()
{
    if (session_)
        session_->Level().Play.Counters.Items.clear();
    SavePlayer();
    if (!journey_) {
        BackToTitle();
        return;
    }
    // The catalogue opens before the same day is tried again.
    EndDay();
    journey_->OpenShop(false);
}

// ---- The day's host ----------------------------------------------------------------------

void TStandardLevelScreen::EnterScreen(TLevelScreen screen)
{
    screen_ = screen;
    c_.Switch.Request(screen == TLevelScreen::Level ? PlayedMode() : LevelScreenMode(screen));
}

void TStandardLevelScreen::SavePlayer()
{
    if (players_.SavePlayerState(c_.Player, TSaveMode::Full) == TProfileResult::Done)
        c_.Trace.Event("save", kPlayersFileName);
}

bool TStandardLevelScreen::LeadsToInstructions(const std::string& script) const
{
    // The first shop's days of each kind (its first standard day, its bonus and its
    // picture day) show how they are played once their introduction is told.
    constexpr std::array<int32_t, 3> kIntroducedDays{0, 3, 7};
    if (!session_ || !journey_ || !c_.Player.ShowInstructions)
        return false;
    const tLevel& level = session_->Level();
    const auto& dialogs = level.Scene.DialogList;
    return level.Episod == 0 && std::ranges::find(kIntroducedDays, level.LevelIndex) != kIntroducedDays.end() &&
           !dialogs.empty() && dialogs.front().FileName == script;
}

bool TStandardLevelScreen::StartDialog(const std::string& script, int64_t)
{
    return StartDialogOverDay(script, {}, {});
}

bool TStandardLevelScreen::StartHint(const std::string& script, const THintPlacement& placement, int32_t, int32_t,
                                     int64_t)
{
    return StartDialogOverDay(script, placement.Window, placement.Pos);
}

bool TStandardLevelScreen::StartDialogOverDay(const std::string& script, const std::string& hintWindow, TPoint hintPos)
{
    // A bot plays by the simulator's rules, which have no dialogs.
    if (!dialogs_ || !session_ || botPlays_)
        return false;
    TDialogStart start;
    start.Script = script;
    start.Context = kDialogInLevel;
    start.ReturnMode = PlayedMode();
    start.Under = this;
    start.Level = &dialogLevel_;
    start.DrawUnder = [this] { dialogLevel_.DrawThings(); };
    start.HintWindow = hintWindow;
    start.HintPos = hintPos;
    // A hint is seen once per player, also when the day is left before its end: only
    // that part of the record is written now, the day's money waits for the day's end.
    if (!hintWindow.empty() && players_.SavePlayerState(c_.Player, TSaveMode::Hints) == TProfileResult::Done)
        c_.Trace.Event("save", kPlayersFileName);
    start.Ended = [this, script] {
        if (!session_)
            return;
        session_->EndDialog();
        if (LeadsToInstructions(script)) {
            session_->Pause();
            journey_->OpenInstructionsBeforeDay();
        }
    };
    return dialogs_->Start(start);
}

void TStandardLevelScreen::ShowUnlockWindow(int32_t slot)
{
    // The first day of a shop unlocks nothing to show: its catalogue comes after it.
    TPlayer& player = c_.Player;
    if (!session_ || player.CurrentLevel == 0 || slot < 1 || slot > kUpgradeSlots)
        return;
    LogAndCarryOn(c_.Log, "Error HintItemUnlocked", [&] {
        const TEpisod* episod = c_.Tables.Episods.Episod(player.CurrentEpisod);
        const size_t index = static_cast<size_t>(slot - 1);
        const TShopUpgrade* upgrade =
            episod && index < episod->Upgrades.size() ? c_.Tables.Shop.Upgrade(episod->Upgrades[index]) : nullptr;
        if (!upgrade)
            return;
        session_->Pause();
        c_.Shell.PreviousScreenMode = c_.Shell.ScreenMode;
        EnterScreen(TLevelScreen::GameMenu);
        c_.Interface.ShowModal("WUnlockItem");
        c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, upgrade->FileName);
        c_.Interface.SetObjectProperty("WUnlockItem_LPic", "Picture", upgrade->FileName);
        c_.Interface.SetObjectProperty("WUnlockItem_LDescription", "Caption",
                                       VariantToString(c_.Interface.GetObjectValue("WResource2_" + upgrade->ID, "Caption")));
        c_.Sounds.AddSoundEffect("UnlockItem");
        player.NewlyUnlocked[index] = true;
        for (const char* picture :
             {"HintItemUnlocked.png", "BoxTopSide.png", "BoxLeftSide.png", "BoxRightSide.png", "LockedBox.png"})
            c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, picture);
        TQelEffectParams box;
        box.File = kUnlockBoxEffect;
        box.X = kUnlockBoxPos.X;
        box.Y = kUnlockBoxPos.Y;
        box.StartTime = c_.Clock.NowMs() + kUnlockBoxDelay;
        box.Picture = upgrade->FileName;
        c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, kUnlockBoxEffect, box);
    });
}

void TStandardLevelScreen::WUnlockItem_BOK_MouseUp()
{
    c_.Effects.DeleteAllScreenEffectByName(c_.Effects.Main, kUnlockBoxEffect);
    c_.Interface.HideModal("WUnlockItem");
    Resume();
}

void TStandardLevelScreen::StopMusic() { c_.Sounds.StopMusic(false); }

void TStandardLevelScreen::DeleteScreenEffect(const std::string& name)
{
    c_.Effects.DeleteAllScreenEffectByName(c_.Effects.Main, name);
}

void TStandardLevelScreen::FreezeScene()
{
    // The day as it stood, without the windows and the mouse's highlight, becomes the
    // background under the invoice; the windows over it are drawn live.
    if (session_) {
        c_.Surfaces.DrawSurface(kBackground, kFrame, 0, 0);
        LogAndCarryOn(c_.Log, "Error FreezeScene", [&] { DrawLevelLayers(); });
        c_.Surfaces.DrawSurface(kFrame, kBackground, 0, 0);
    }
    if (c_.Surfaces.IndexOfSurface(kInvoice) >= 0)
        c_.Surfaces.DrawWithAlphaChannel(kInvoice, kBackground, 0, 0);
    frozen_ = true;
    c_.Commands.MarkWholeScreen();
}

int32_t TStandardLevelScreen::PictureAlpha(const std::string& picture, int32_t x, int32_t y) const
{
    if (!c_.Surfaces.FindSurface(picture))
        return -1;
    return c_.Surfaces.GetAlhpaFromSurf(picture, x, y);
}

void TStandardLevelScreen::RedrawAll() { c_.Commands.MarkWholeScreen(); }

// ---- The day's windows -------------------------------------------------------------------

bool TStandardLevelScreen::SetObjectProperty(const std::string& objectName, const std::string& propName,
                                             const std::string& value)
{
    return windows_.SetObjectProperty(objectName, propName, value);
}

TQelVariant TStandardLevelScreen::GetObjectValue(const std::string& objectName, const std::string& propName) const
{
    return windows_.GetObjectValue(objectName, propName);
}

void TStandardLevelScreen::ShowModal(const std::string& name)
{
    CloseLoadWindow();
    windows_.ShowModal(name);
}

void TStandardLevelScreen::HideModal(const std::string& name) { windows_.HideModal(name); }
bool TStandardLevelScreen::IsTopWindow(const std::string& name) const { return windows_.IsTopWindow(name); }

// ---- The loading window ------------------------------------------------------------------

void TStandardLevelScreen::CloseLoadWindow()
{
    for (const TQelForm* form : c_.Interface.ModalList)
        if (form->Name() == kLoadWindow) {
            c_.Interface.HideModal(kLoadWindow);
            return;
        }
}

void TStandardLevelScreen::Show()
{
    c_.Interface.ShowModal(kLoadWindow);
    c_.Interface.SetObjectProperty("WLoadLevel_TFLoadingLevel", "Visible", "True");
}

void TStandardLevelScreen::SetPercent(int32_t percent)
{
    c_.Interface.SetObjectProperty("WLoadLevel_PBLoadLevel", "Position", IntToStr(percent));
    // The loading holds the frame loop: the window goes to the screen at once.
    if (c_.Surfaces.IndexOfSurface(kFrame) < 0)
        return;
    if (c_.Surfaces.IndexOfSurface(kBackground) >= 0)
        c_.Surfaces.DrawSurface(kBackground, kFrame, 0, 0);
    c_.Interface.Draw();
    c_.Commands.CopyMemorySurfaceToScreen(TRect{0, 0, kScreenWidth, kScreenHeight});
}
