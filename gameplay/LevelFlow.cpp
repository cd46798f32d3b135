// Running a level: its set-up, its game timer, pausing and resuming.
#include "foundation/QelLog.h"
#include "gameplay/LevelFlow.h"

#include "audio/SoundEvents.h"
#include "foundation/Text.h"
#include "gameplay/BeltMotion.h"
#include "gameplay/Bonuses.h"
#include "gameplay/Customers.h"
#include "gameplay/FishList.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFrame.h"
#include "gameplay/LevelInput.h"
#include "gameplay/LevelResults.h"
#include "gameplay/LevelTime.h"
#include "gameplay/ManTypes.h"
#include "metagame/EpisodProgress.h"
#include "metagame/Episods.h"
#include "metagame/ShopRules.h"

#include <exception>

namespace {

constexpr double kOrderPictureScale = 0.8;  // order pictures fill this much of a bubble
constexpr int kLevelMarks = 7;              // day marks on the game panel
constexpr int32_t kBonusLevelIndex = 3;     // the bonus level has no day mark of its own
constexpr double kStartSpeedKoeff = 2.0;
constexpr double kSlowKoeff = 0.5;          // the first two episodes' belts run gently
constexpr int32_t kGentleEpisodes = 2;
constexpr int32_t kMusicFade = 1000;        // ms
constexpr int32_t kAlertWindow = 30000;     // ms of time left when the alert starts
constexpr int32_t kAlertRepeat = 5000;      // ms
constexpr int64_t kExGoalTimeLeft = 15000;  // ms left once the expert goal is reached
constexpr int32_t kBagsEndDelay = 2000;     // ms to watch the last bags pay out
constexpr int32_t kEndDelay = 100;          // ms
constexpr int kMapTestPictures = 9;         // "maptest1.png".. the map's test pictures, freed for the level
constexpr int kClockPanelSteps = 12;        // "MPanel_0.png".."MPanel_12.png": twelfths of the time used
const char kBeginLevelDialog[] = "Script_Dialog_BeginLevel.xml";

bool IsHintDialog(const std::string& file)
{
    return AsciiLower(file).find("hint") != std::string::npos || file == kBeginLevelDialog;
}

bool HasTimedDialog(const tLevel& level)
{
    for (const TLevelDialog& dialog : level.Scene.DialogList)
        if (dialog.TimeStart > 0)
            return true;
    return false;
}

// Hints play only with hints on; a day's introduction only after a won day or at the
// start of a new game (a day tried again is not taught twice).
bool DialogPlays(const TLevelDialog& dialog, const TLevelGame& game)
{
    const bool hint = IsHintDialog(dialog.FileName);
    const bool namedHint = AsciiLower(dialog.FileName).find("hint") != std::string::npos;
    return (game.Options.HintsOn || !hint) && (game.Session.WonOrNewGame || namedHint);
}

// The day's first dialog plays at its start and takes the place of the window before it.
bool OpensWithDialog(const tLevel& level, const TLevelGame& game)
{
    const auto& dialogs = level.Scene.DialogList;
    return !dialogs.empty() && dialogs.front().TimeStart == 0 && DialogPlays(dialogs.front(), game);
}

void SetVisible(ILevelWindows& windows, const std::string& name, bool visible)
{
    windows.SetObjectProperty(name, "Visible", visible ? "True" : "False");
}

void ShowLevelMarks(const tLevel& level, ILevelWindows& windows)
{
    const int32_t played = level.LevelIndex - (level.LevelIndex > kBonusLevelIndex - 1 ? 1 : 0);
    for (int i = 1; i <= kLevelMarks; ++i) {
        SetVisible(windows, "WGame_TFStandart_LCheck" + std::to_string(i), i - 1 < played);
        SetVisible(windows, "WGame_TFStandart_LFrame" + std::to_string(i), i - 1 == played);
    }
}

void SetGoalsAndTime(tLevel& level, TLevelGame& game)
{
    TLevelFlow& flow = level.Play.Flow;
    if (const TLevelInEpisod* entry = game.LevelEntry(level)) {
        level.Goals = {entry->Prize, entry->Goal, entry->ExGoal, entry->GreatGoal};
        flow.CompleteNeed = entry->CompleteNeed;
        level.Times.LevelTime = entry->LevelTime;
        flow.Music = entry->Music;
        flow.MusicPattern = entry->MusicPattern;
        flow.PersCount = entry->PersCount;
    }
    level.Times.TimeLeft = level.Times.LevelTime;
    level.Play.Customers.ExpectedCount = OwnedOutfitCount(game.ThePlayer());
}

// Demo levels run long with fixed goals.
void SetDemoValues(tLevel& level)
{
    // Far beyond anything a demo earns or lasts, so a demo never ends on its own.
    constexpr int32_t kDemoTime = 1000000;
    constexpr TLevelGoals kDemoGoals{0, 10000, 15000, 20000};
    // The demo box and picture end where their recordings do.
    constexpr TLevelGoals kDemoBonusGoals{0, 100, 200, 150};
    constexpr int32_t kDemoPixelFinds = 12;
    constexpr int32_t kDemoBonusCells = 350;
    level.Times.LevelTime = level.Times.TimeLeft = kDemoTime;
    level.Goals = {level.Goals.Prize, kDemoGoals.Goal, kDemoGoals.ExGoal, kDemoGoals.GreatGoal};
    if (level.IsPixelLevel())
        level.Play.Flow.CompleteNeed = kDemoPixelFinds;
    if (level.IsBonusLevel()) {
        level.Goals = {level.Goals.Prize, kDemoBonusGoals.Goal, kDemoBonusGoals.ExGoal, kDemoBonusGoals.GreatGoal};
        level.Play.Flow.CompleteNeed = kDemoBonusCells;
    }
}

void SetAdaptiveTime(tLevel& level, TLevelGame& game)
{
    const TPlayer& player = game.ThePlayer();
    TLevelTimeInput input;
    input.LevelTime = level.Times.LevelTime;
    input.ExGoal = level.Goals.ExGoal;
    input.SpeedPlay = player.SpeedPlay;
    for (int32_t type : level.LevelFishes)
        input.OutfitValues.push_back(game.TypeValue(level, type) + player.ShopBonus);
    input.NewOutfits = player.OutfitsBoughtThisVisit;
    input.FirstLevelOfEpisode = level.LevelIndex == 0;
    input.NoLevelWonYet = game.Session.NoLevelWonYet;
    input.PreviousLevelWon = game.Session.PreviousLevelWon;
    input.Kostums = player.Kostums;
    input.NoBy = player.NoBy;
    level.Times.LevelTime = level.Times.TimeLeft = AdaptiveLevelTime(input, game.Params);
}

void LoadScenePictures(tLevel& level)
{
    ILevelPictures& pictures = level.Pictures();
    for (const std::string* name :
         {&level.Scene.Cursor.Name, &level.Box.CellFrame.Name, &level.Scene.BackPicture, &level.Scene.Stoika.Name})
        if (!name->empty())
            pictures.LoadPicture(*name);
}

// The pictures every run of a level needs, the player's and a demo's alike.
void LoadRunPictures(tLevel& level, TLevelGame& game)
{
    ILevelPictures& pictures = level.Pictures();
    pictures.LoadPicture("LevelComplete.PNG");
    pictures.LoadPicture("MPanelClosed.png");
    if (const TManTypes* first = game.TheMans().Type(0)) {
        int32_t w = 0, h = 0;
        pictures.LoadPicture(first->Oblako);
        pictures.PictureSize(first->Oblako, w, h);
        level.Play.Customers.OrderWidth = RoundHalfEven(w * kOrderPictureScale);
        level.Play.Customers.OrderHeight = RoundHalfEven(h * kOrderPictureScale);
    }
    for (int i = 1; i <= kMapTestPictures; ++i)
        pictures.ReleasePicture("maptest" + std::to_string(i) + ".png");
    pictures.LoadPicture("MoneyBonus.png");
    pictures.LoadPicture("MoneyBonusSmall.png");
}

// What a player's own day starts from and a demo leaves alone: the upgrades bought, the
// day marks, no selection, no end pending.
void PrepareForPlayer(tLevel& level, TLevelGame& game)
{
    ILevelPictures& pictures = level.Pictures();
    TPlayer& player = game.ThePlayer();
    TLevelFlow& flow = level.Play.Flow;
    if (level.IsPixelLevel())
        pictures.LoadPicture("setka.png");
    player.NewlyUnlocked.fill(false);
    if (game.Shop) {
        TUpgradeEffects upgrades = UpgradeEffectsFor(player, *game.Shop);
        player.ShopBonus = upgrades.ShopBonus;
        level.Belt.Bonuses = {upgrades.Reverse, upgrades.Plus, upgrades.Pause, upgrades.Transformer};
    }
    ShowLevelMarks(level, game.TheWindows());
    pictures.LoadPicture("CoinSmall.png");
    if (level.LevelIndex == 0)
        player.CurrentScore = 0;
    ClearSelection(level);
    level.Belt.ReverseStart = -1;
    level.Belt.PauseStart = -1;
    level.Times.CompleteAt = 0;
    flow.ResultsShown = false;
    flow.Goals = TGoalState::Below;
    pictures.LoadPicture("ShadowStoika.png");
}

// A standard day offers the outfits the player has bought for the shop, when there are any.
// A recorded or replayed day keeps the garments of its level file: its recording names
// them, and it is played back for anyone, whatever they bought.
void ChooseOutfits(tLevel& level, TLevelGame& game)
{
    if (!IsStandardLevel(level) || !game.Episods || level.Demo.Playback || level.Demo.Recording)
        return;
    std::vector<int32_t> outfits = LevelOutfitTypes(game.ThePlayer(), game.Episods->Episod(level.Episod));
    if (!outfits.empty() && outfits != level.LevelFishes) {
        level.LevelFishes = outfits;
        level.CountCompleteFishes.assign(outfits.size(), 4);
    }
}

void StartBelt(tLevel& level, TLevelGame& game)
{
    if (!level.Lentas.empty()) {
        TLenta& lenta = level.Lentas.front();
        if (const TLevelInEpisod* entry = game.LevelEntry(level)) {
            lenta.Speed = entry->SpeedLenta;
            lenta.BornPeriod = entry->BornPeriod;
        }
        lenta.SpeedKoeff = kStartSpeedKoeff;
        lenta.SlowKoeff = level.Episod < kGentleEpisodes ? kSlowKoeff : 1.0;
    }
    for (const TSceneEffect& effect : level.Scene.Effects)
        level.Effects().CreateEffect(TEffectList::Level, effect.FileName, effect.ShiftX, effect.ShiftY);
    level.Belt.TextureOffset = 0;
}

// The goals, score, clock and music of a player's day.
void ShowPlayerPanels(tLevel& level, TLevelGame& game)
{
    ILevelWindows& windows = game.TheWindows();
    ILevelPictures& pictures = level.Pictures();
    TLevelFlow& flow = level.Play.Flow;
    TPlayer& player = game.ThePlayer();
    const std::string currency = game.Currency();
    SetVisible(windows, "WGame_TFStandart_LGoal", true);
    SetVisible(windows, "WGame_TFStandart_LExGoal", false);
    ISoundEvents& sounds = level.Sounds();
    sounds.ChangeMusic(flow.Music, kMusicFade, 0, sounds.MusicStartOrder(flow.Music, flow.MusicPattern), kMusicFade);
    SetVisible(windows, "WGame_BEdit", game.Options.DebugMode);
    SetVisible(windows, "WGame_TFPixel_BEdit", game.Options.DebugMode);
    SetCaption(windows, "WGame_TFStandart_LGoalCount", currency + IntToStr(level.Goals.Goal));
    SetCaption(windows, "WGame_TFStandart_LScoreCount", currency + "0");
    player.PrevScore = player.CurrentScore;
    SetEnabled(windows, "WGame_BMenu", true);
    for (const char* clock : {"Cifirblat.png", "Strelka_ot_chasov.png", "Tochki_ot_cifirblata.png"})
        pictures.LoadPicture(clock);
    for (int n = 0; n <= kClockPanelSteps; ++n)
        pictures.LoadPicture("MPanel_" + std::to_string(n) + ".png");
    const bool firstOfGame = level.Episod == 0 && level.LevelIndex == 0;
    if (IsStandardLevel(level) && !firstOfGame)
        SetAdaptiveTime(level, game);
    SetCaption(windows, "WGame_TFStandart_LTimeValue", FormatMinutes(level.Times.TimeLeft));
}

void RunLevelSteps(tLevel& level, TLevelGame& game)
{
    const bool demo = level.Demo.Playback;
    TLevelFlow& flow = level.Play.Flow;
    ILevelWindows& windows = game.TheWindows();

    LoadRunPictures(level, game);
    level.Play.Score = TLevelScoring{};
    if (!demo)
        PrepareForPlayer(level, game);

    flow.InputEnabled = true;
    if (!demo && game.Options.HintsOn && game.Session.WonOrNewGame && HasTimedDialog(level))
        flow.InputEnabled = false;
    level.DialogIndex = 0;

    SetGoalsAndTime(level, game);
    ChooseOutfits(level, game);
    if (demo)
        SetDemoValues(level);
    // A demo's pieces are drawn and clicked like any day's; the maker knows their types.
    game.ThePictureMaker().MakeColorFishesSurfaces(level);

    SetVisible(windows, "WGame_TFStandart", true);
    if (level.IsBonusLevel())
        SetVisible(windows, "WGame_TFBonus", true);
    if (level.IsPixelLevel())
        SetVisible(windows, "WGame_TFPixel", true);
    SetVisible(windows, "WGame_BContinue", false);
    CreatePersonsOrderY(level);
    LoadScenePictures(level);
    StartBelt(level, game);
    if (!demo)
        ShowPlayerPanels(level, game);

    flow.Phase = TLevelPhase::Running;
    flow.Paused = false;
    flow.AlertAt = 0;
    // Without an introduction that plays now the day needs its window: it is what starts
    // the day in the mode of its kind.
    if (!demo && !OpensWithDialog(level, game))
        BeforeLevelShow(level, game, game.Now());
}


// The score label follows the queue; the goals are celebrated as the label reaches them.
void ShowScore(tLevel& level, TLevelGame& game, int64_t now)
{
    auto& queue = level.Play.Score.ScoreQueue;
    if (queue.empty() || queue.front().ShowAt > now)
        return;
    TLevelFlow& flow = level.Play.Flow;
    ILevelWindows& windows = game.TheWindows();
    const int32_t score = level.Play.Score.LevelScore;
    const std::string currency = game.Currency();
    SetCaption(windows, "WGame_TFStandart_LScoreCount", currency + IntToStr(score));
    if (flow.Goals == TGoalState::Below && score >= level.Goals.Goal) {
        flow.Goals = TGoalState::Goal;
        level.Effects().CreateEffect(TEffectList::Screen, "efGoal.xml", 0, 0);
        SetCaption(windows, "WGame_TFStandart_LGoalCount", currency + IntToStr(level.Goals.ExGoal));
        SetVisible(windows, "WGame_TFStandart_LExGoal", true);
        SetVisible(windows, "WGame_TFStandart_LGoal", false);
        level.Sounds().AddSoundEffect("Goal");
    }
    if (flow.Goals == TGoalState::Goal && score >= level.Goals.ExGoal) {
        flow.Goals = TGoalState::ExGoal;
        level.Effects().CreateEffect(TEffectList::Screen, "efExGoal.xml", 0, 0);
        level.Sounds().AddSoundEffect("ExGoal");
        // Once the time is up the day only waits for its last customers; more time then
        // would bring new ones and the alarms back.
        const int64_t elapsed = now - level.Times.LevelStart;
        if (elapsed > kExGoalTimeLeft && elapsed < level.Times.LevelTime)
            level.Times.LevelTime = static_cast<int32_t>(std::min<int64_t>(elapsed + kExGoalTimeLeft, INT32_MAX));
    }
    queue.erase(queue.begin());
}

// The clock, its alert, and the end of the time. True when the level failed.
bool TickClock(tLevel& level, TLevelGame& game, int64_t now)
{
    TLevelFlow& flow = level.Play.Flow;
    const int64_t left = level.Times.LevelTime + level.Times.LevelStart - now;
    level.Times.TimeLeft = static_cast<int32_t>(std::clamp<int64_t>(left, 0, INT32_MAX));
    if (left > 0 && left <= kAlertWindow && flow.AlertAt <= now) {
        level.Sounds().AddSoundEffect("AlertTime");
        level.Effects().CreateEffect(TEffectList::Screen, "efTimeEnd.xml", 0, 0);
        flow.AlertAt = now + kAlertRepeat;
    }
    if (left < 1 && level.Times.CompleteAt == 0) {
        game.TheHost().DeleteScreenEffect("efTimeEnd.xml");
        const bool nobody = level.Play.Customers.Persons.empty();
        if (level.Play.Score.LevelScore < level.Goals.Goal) {
            if (nobody) {
                LevelFaled(level, game, now);
                return true;
            }
        } else if (nobody) {
            const int32_t bags = CollectMoneyBags(level, game, now);
            level.Times.CompleteAt = now + (bags > 0 ? kBagsEndDelay : kEndDelay);
        }
    }
    SetCaption(game.TheWindows(), "WGame_TFStandart_LTimeValue", FormatMinutes(level.Times.TimeLeft));
    return false;
}

void Shift(int64_t& time, int64_t by, int64_t unset = 0)
{
    if (time > unset)
        time += by;
}

void ShiftPieces(tLevel& level, int64_t by)
{
    TBelt& belt = level.Belt;
    Shift(belt.ReverseStart, by, -1);
    Shift(belt.ReverseEnd, by);
    Shift(belt.PauseStart, by, -1);
    for (TFish& fish : belt.Fishes) {
        Shift(fish.BlinkAt, by);
        Shift(fish.AppearTime, by);
        Shift(fish.LeaveAt, by);
        Shift(fish.ApplyPartsAt, by, -1);
        if (fish.Fade.Running)
            fish.Fade.Start += by;
    }
}

void ShiftCustomers(tLevel& level, int64_t by)
{
    TCustomers& customers = level.Play.Customers;
    Shift(customers.NextArrivalAt, by);
    Shift(customers.JustLeftUntil, by);
    for (TPerson& person : customers.Persons) {
        person.Patience = static_cast<int32_t>(std::clamp<int64_t>(person.Patience + by, INT32_MIN, INT32_MAX));
        person.Deadline += by;
        person.StartTime += by;
        person.LastReceive += by;
        Shift(person.NextAnimeAt, by);
        if (person.Moving) {
            person.MoveStart += by;
            person.MoveEnd += by;
        }
        Shift(person.LeaveAt, by);
        Shift(person.RemoveAt, by);
        for (TOrder& order : person.Orders)
            Shift(order.ShowAt, by);
    }
}

}  // namespace

bool PlayDueDialog(tLevel& level, TLevelGame& game, int64_t now)
{
    auto& dialogs = level.Scene.DialogList;
    if (level.DialogIndex < 0 || level.DialogIndex >= static_cast<int32_t>(dialogs.size()))
        return false;
    TLevelDialog& dialog = dialogs[static_cast<size_t>(level.DialogIndex)];
    if (dialog.TimeStart < 0 || now < level.Times.LevelStart + dialog.TimeStart)
        return false;
    ++level.DialogIndex;
    if (!DialogPlays(dialog, game))
        return false;
    game.TheHost().EnterScreen(TLevelScreen::Dialog);
    PauseLevel(level, now);
    dialog.TimeStart = -1;
    level.Play.Flow.DialogPlaying = dialog.FileName;
    if (!game.TheHost().StartDialog(dialog.FileName, now))
        DialogEnded(level, game, now);
    return true;
}

std::string FormatMinutes(int32_t ms)
{
    const int32_t seconds = std::max(0, ms) / 1000;
    std::string s = std::to_string(seconds % 60);
    return std::to_string(seconds / 60) + ":" + (s.size() < 2 ? "0" + s : s);
}

std::string ClockPanelPicture(const tLevel& level)
{
    constexpr int kTwelfths = kClockPanelSteps;
    const bool pixel = level.IsPixelLevel();
    int n = pixel ? 0 : kTwelfths;
    if (level.Times.TimeLeft > 0 && level.Times.LevelTime > 0) {
        const double used = kTwelfths - static_cast<double>(level.Times.TimeLeft) / level.Times.LevelTime * kTwelfths;
        n = std::clamp(RoundHalfEven(used), 0, kTwelfths);
    }
    return "MPanel_" + std::to_string(n) + ".png";
}

void RunLevel(tLevel& level, TLevelGame& game)
{
    LogAndCarryOn(level.Links.Log, "Error RunLevel", [&] {
        RunLevelSteps(level, game);
    });
}

void TickGameTimer(tLevel& level, TLevelGame& game, const TLevelFrame& frame)
{
    LogAndCarryOn(level.Links.Log, "Error TLevel.TickGameTimer", [&] {
        const int64_t now = frame.Now;
        TLevelFlow& flow = level.Play.Flow;
        if (flow.Phase != TLevelPhase::Running)
            return;
        // A paused level's times move on when it resumes; until then only the belt's own
        // frame runs, and nothing on it moves or is born.
        if (flow.Paused) {
            TLevelFrame held = frame;
            if (held.Mode == TLevelMode::Playing)
                held.Mode = TLevelMode::Halted;
            TickFishes(level, held);
            return;
        }
        if (flow.UnlockShowAt > 0 && flow.UnlockShowAt <= now) {
            flow.UnlockShowAt = 0;
            game.TheHost().ShowUnlockWindow(flow.UnlockSlot);
        }
        if (PlayDueDialog(level, game, now))
            return;
        ShowScore(level, game, now);
        if (TickClock(level, game, now))
            return;
        TickFishes(level, frame);
        TickGameCompleteTimer(level, game, now);
        if (flow.Phase == TLevelPhase::Running)
            TickPersonTimer(level, game, now);
    });
}

void TickGameCompleteTimer(tLevel& level, TLevelGame& game, int64_t now)
{
    LogAndCarryOn(level.Links.Log, "Error TLevel.TickGameCompleteTimer", [&] {
        if (level.Play.Flow.Phase != TLevelPhase::Running || level.Play.Flow.Paused)
            return;
        if (level.Times.FailAt > 0 && level.Times.FailAt <= now) {
            level.Times.FailAt = 0;
            LevelFaled(level, game, now);
        } else if (level.Times.CompleteAt > 0 && level.Times.CompleteAt <= now) {
            LevelComplete(level, game, now);
        }
    });
}

void PauseLevel(tLevel& level, int64_t now)
{
    TLevelFlow& flow = level.Play.Flow;
    if (flow.Paused)
        return;
    flow.Paused = true;
    flow.PausedAt = now;
}

void ResumeLevel(tLevel& level, int64_t duration)
{
    TLevelFlow& flow = level.Play.Flow;
    if (!flow.Paused)
        return;
    const int64_t by = duration;
    Shift(flow.UnlockShowAt, by);
    Shift(flow.AlertAt, by);
    Shift(flow.ResultsShowAt, by);
    Shift(level.Demo.RecordStart, by);
    for (TScoreEntry& entry : level.Play.Score.ScoreQueue)
        entry.ShowAt += by;
    for (TCounter& counter : level.Play.Counters.Items) {
        counter.StartTime += by;
        Shift(counter.NextStepAt, by);
    }
    Shift(level.Times.ReadyAt, by);
    Shift(level.Times.LevelStart, by);
    Shift(level.Times.CompleteAt, by);
    Shift(level.Times.FailAt, by);
    ShiftPieces(level, by);
    ShiftCustomers(level, by);
    flow.Paused = false;
}

void DialogEnded(tLevel& level, TLevelGame& game, int64_t now)
{
    TLevelFlow& flow = level.Play.Flow;
    flow.DialogPlaying.clear();
    game.TheHost().EnterScreen(TLevelScreen::Level);
    ResumeLevel(level, now - flow.PausedAt);
    flow.InputEnabled = true;
}

bool LevelAcceptsInput(const tLevel& level)
{
    const TLevelFlow& flow = level.Play.Flow;
    return flow.InputEnabled && flow.Phase == TLevelPhase::Running && !flow.Paused;
}
