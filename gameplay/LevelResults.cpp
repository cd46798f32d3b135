// A level won or lost, and the results window.
#include "foundation/QelLog.h"
#include "gameplay/LevelResults.h"

#include "audio/SoundEvents.h"
#include "foundation/Text.h"
#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"
#include "gameplay/LevelStat.h"
#include "metagame/Episods.h"

#include <exception>

namespace {

constexpr int32_t kResultsDelay = 3500;      // ms of end animation before the results
constexpr int32_t kCompleteEffect = 100;     // ms
constexpr int32_t kCompleteStars = 1600;     // ms
constexpr int32_t kFirstLineDelay = 500;     // ms after the window opens
constexpr int32_t kLineDelay = 1500;         // ms between result lines
constexpr int32_t kLineCounting = 1000;      // ms a line counts
constexpr int32_t kCountStep = 100;          // ms between counting sounds
constexpr int kResultLines = 4;
constexpr double kChekScale = 1.8;           // outfit pictures of the result lines
constexpr double kMoneyBagScale = 1.7;
// Where the bonus and pixel results' OK button and its glow stand: lower on a pixel day,
// whose window is taller.
constexpr const char* kResultsOkTop[] = {"500", "545"};
constexpr const char* kResultsGlowTop[] = {"525", "570"};
constexpr const char* kFailedOkTop[] = {"500", "546"};
const char kJingle[] = "tovrel_jingle.ogg";

void SetVisible(ILevelWindows& windows, const std::string& name, bool visible)
{
    windows.SetObjectProperty(name, "Visible", visible ? "True" : "False");
}

const char* OutfitSuffix(int32_t pieceCount)
{
    return pieceCount >= 4 ? "_1234.png" : pieceCount == 3 ? "_123.png" : "_12.png";
}

TCounter CountingLine(const std::string& label, int32_t from, int32_t to, int64_t start, const std::string& prefix)
{
    TCounter counter;
    counter.Label = label;
    counter.StartValue = from;
    counter.Target = to;
    counter.StartTime = start;
    counter.Duration = kLineCounting;
    counter.Step = kCountStep;
    counter.Prefix = prefix;
    counter.StepSound = "ScoreCounting";
    counter.EndSound = "CountingDown";
    return counter;
}

void StandardCaptions(tLevel& level, TLevelGame& game, int64_t now)
{
    ILevelWindows& windows = game.TheWindows();
    const TPlayer& player = game.ThePlayer();
    const std::string currency = game.Currency();
    const TLevelScoring& score = level.Play.Score;
    SetVisible(windows, "WLevelComplete_LExpert", score.LevelScore >= level.Goals.ExGoal);
    SetCaption(windows, "WLevelComplete_LLevelScoreCount", currency + IntToStr(player.CurrentScore));
    SetCaption(windows, "WLevelComplete_LDayOfWeak", GetLevelLabel(windows, level.LevelIndex, false));
    SetCaption(windows, "WLevelComplete_LBoutiqueName",
               GetCaption(windows, "WResource_LShopName") + IntToStr(level.Episod + 1));
    SetCaption(windows, "WLevelComplete_LTotalScoreCount", currency + "0");
    for (int i = 1; i <= kResultLines; ++i) {
        const std::string n = std::to_string(i);
        for (const std::string& name :
             {"WLevelComplete_LNum" + n, "WLevelComplete_LPic" + n, "WLevelComplete_LWear" + n + "Count",
              "WLevelComplete_LWear" + n + "MoneyCount", "WLevelComplete_LWear" + n + "EachCount"})
            SetVisible(windows, name, false);
    }

    TResultCounters& counters = level.Play.Counters;
    int64_t start = now + kFirstLineDelay;
    int32_t total = 0;
    int line = 0;
    auto addLine = [&](const std::string& picture, int32_t count, int32_t money, const std::string& each) {
        ++line;
        const std::string n = std::to_string(line);
        const std::string wear = "WLevelComplete_LWear" + n;
        windows.SetObjectProperty("WLevelComplete_LPic" + n, "Picture", picture);
        SetCaption(windows, wear + "EachCount", each);
        TCounter countLine = CountingLine(wear + "Count", 0, count, start, "");
        countLine.ShowAtStart = {"WLevelComplete_LNum" + n, "WLevelComplete_LPic" + n, wear + "Count",
                                 wear + "EachCount", wear + "MoneyCount"};
        AddCounter(counters, game, countLine);
        AddCounter(counters, game, CountingLine(wear + "MoneyCount", 0, money, start, currency));
        AddCounter(counters, game, CountingLine("WLevelComplete_LTotalScoreCount", total, total + money, start, currency));
        total += money;
        start += kLineDelay;
    };

    for (size_t i = 0; i < level.LevelFishes.size() && line < kResultLines; ++i) {
        const int32_t typeIndex = level.LevelFishes[i];
        const TFishkaType* type = level.Types().Type(typeIndex);
        if (!type)
            continue;
        const int32_t served = i < static_cast<size_t>(kServedTypes) ? score.LevelServed[i] : 0;
        const int32_t value = OutfitValue(level, game, typeIndex);
        const std::string picture = "Chek" + std::to_string(line + 1) + type->FileName + OutfitSuffix(type->PieceCount);
        game.ThePictureMaker().MakeScaledPicture(type->FileName + OutfitSuffix(type->PieceCount), picture, kChekScale);
        addLine(picture, served, value * served,
                GetCaption(windows, "WResource_LEach") + currency + IntToStr(value));
    }
    if (score.LevelScore != total && line < kResultLines) {
        const std::string picture = "Chek" + std::to_string(line + 1) + "MoneyBag.png";
        game.ThePictureMaker().MakeScaledPicture("MoneyBag.png", picture, kMoneyBagScale);
        addLine(picture, 1, score.LevelScore - total, "");
    }
}

void BonusCaptions(tLevel& level, TLevelGame& game, int64_t now)
{
    ILevelWindows& windows = game.TheWindows();
    const std::string currency = game.Currency();
    const int32_t prize = level.Goals.Prize;
    const int32_t score = level.Play.Score.LevelScore;
    SetCaption(windows, "WBonusLevelComplete_LLevelScoreCount", currency + IntToStr(game.ThePlayer().CurrentScore));
    SetCaption(windows, "WBonusLevelComplete_LDay",
               GetCaption(windows, level.IsPixelLevel() ? "WResource_LDay7" : "WResource_LDay3"));
    SetCaption(windows, "WBonusLevelComplete_LShopName",
               GetCaption(windows, "WResource_LShopName") + IntToStr(level.Episod + 1));
    SetCaption(windows, "WBonusLevelComplete_LTotalScoreCount", currency + "0");
    const bool bonus = level.IsBonusLevel();
    SetVisible(windows, "WBonusLevelComplete_LAditionalScore", bonus);
    SetVisible(windows, "WBonusLevelComplete_LScoreCount", bonus);
    TResultCounters& counters = level.Play.Counters;
    const int64_t start = now + 1000;
    AddCounter(counters, game, CountingLine("WBonusLevelComplete_LPrizeCount", 0, prize, start, currency));
    AddCounter(counters, game, CountingLine("WBonusLevelComplete_LTotalScoreCount", 0, prize, start, currency));
    if (bonus) {
        AddCounter(counters, game,
                   CountingLine("WBonusLevelComplete_LScoreCount", 0, score - prize, start + 2000, currency));
        AddCounter(counters, game,
                   CountingLine("WBonusLevelComplete_LTotalScoreCount", prize, score, start + 2000, currency));
    }
    SetCaption(windows, "WBonusLevelComplete_LAditionalScoreValue", currency + "0");
}

}  // namespace

void LevelComplete(tLevel& level, TLevelGame& game, int64_t now)
{
    LogAndCarryOn(level.Links.Log, "Exception error in TQelGameEngine.LevelComplete!", [&] {
        TLevelFlow& flow = level.Play.Flow;
        ILevelHost& host = game.TheHost();
        TPlayer& player = game.ThePlayer();
        for (const char* name : {"ExcellentGoal", "GreatGoal", "BasicGoal"})
            host.DeleteScreenEffect(name);
        level.Effects().DeleteAllEffects(TEffectList::Screen);
        if (!flow.ResultsShown) {
            level.Effects().CreateEffect(TEffectList::Screen, "efLevelComplete.xml", 0, 0, now + kCompleteEffect);
            level.Effects().CreateEffect(TEffectList::Screen, "efLevelCompleteStars.xml", 0, 0, now + kCompleteStars);
            level.Pictures().LoadPicture("LevelComplete.PNG");
        }
        if (level.Episod >= 0 && level.Episod < kEpisodSlots)
            player.EpisodeScore[static_cast<size_t>(level.Episod)] += level.Play.Score.LevelScore;
        WriteStat(level, game, true, now);
        if (level.LevelIndex == 0)
            player.NewlyUnlocked.fill(false);
        UpdateAchievements(level, game, now);
        host.SavePlayer();
        flow.Phase = TLevelPhase::Complete;
        host.EnterScreen(TLevelScreen::LevelComplete);
        host.StopMusic();
        level.Sounds().PlaySound(kJingle);
        flow.ResultsShowAt = flow.ResultsShown ? now : now + kResultsDelay;
        if (IsStandardLevel(level))
            SetCaption(game.TheWindows(), "WGame_TFStandart_LScoreCount",
                       game.Currency() + IntToStr(level.Play.Score.LevelScore));
        level.Pictures().LoadPicture("Invoice.png");
    });
}

void ShowResults(tLevel& level, TLevelGame& game, int64_t now)
{
    TLevelFlow& flow = level.Play.Flow;
    if (flow.ResultsShown)
        return;
    flow.ResultsShown = true;
    level.Times.CompleteAt = 0;
    flow.ResultsShowAt = 0;
    ILevelWindows& windows = game.TheWindows();
    const bool standard = IsStandardLevel(level);
    windows.ShowModal(standard ? "WLevelComplete" : "WBonusLevelComplete");
    level.Effects().DeleteAllEffects(TEffectList::Screen);
    if (!standard) {
        const bool pixel = level.IsPixelLevel();
        windows.SetObjectProperty("WBonusLevelComplete_BOk", "Top", kResultsOkTop[pixel]);
        windows.SetObjectProperty("WBonusLevelComplete_Effect3", "Top", kResultsGlowTop[pixel]);
    }
    SetVisible(windows, "WLevelComplete_LExpert", false);
    game.TheHost().FreezeScene();
    CreateLevelCompleteCaptions(level, game, now);
}

void CreateLevelCompleteCaptions(tLevel& level, TLevelGame& game, int64_t now)
{
    LogAndCarryOn(level.Links.Log, "Error TQelGameEngine.CreateLevelCompleteCaptions", [&] {
        if (IsStandardLevel(level))
            StandardCaptions(level, game, now);
        else
            BonusCaptions(level, game, now);
    });
}

void LevelFaled(tLevel& level, TLevelGame& game, int64_t now)
{
    LogAndCarryOn(level.Links.Log, "Exception error in TQelGameEngine.LevelFaled!", [&] {
        TLevelFlow& flow = level.Play.Flow;
        ILevelHost& host = game.TheHost();
        TPlayer& player = game.ThePlayer();
        host.StopMusic();
        if (!level.IsBonusLevel()) {
            player.CurrentScore = player.PrevScore;
            level.Sounds().AddSoundEffect("GameOver");
        } else {
            if (level.Episod >= 0 && level.Episod < kEpisodSlots)
                player.EpisodeScore[static_cast<size_t>(level.Episod)] += level.Play.Score.LevelScore;
            level.Sounds().PlaySound(kJingle);
        }
        player.NoBy = -1;
        host.SavePlayer();
        if (flow.Phase == TLevelPhase::Failed)
            return;
        level.Effects().DeleteAllEffects(TEffectList::Screen);
        level.Pictures().LoadPicture("Invoice.png");
        WriteStat(level, game, false, now);
        host.FreezeScene();
        ILevelWindows& windows = game.TheWindows();
        if (IsStandardLevel(level)) {
            const std::string currency = game.Currency();
            SetCaption(windows, "WGameOver_LDayOfWeak", GetLevelLabel(windows, level.LevelIndex, false));
            SetCaption(windows, "WGameOver_LScoreCount", currency + IntToStr(level.Play.Score.LevelScore));
            SetCaption(windows, "WGameOver_LGoalCount", currency + IntToStr(level.Goals.Goal));
            windows.ShowModal("WGameOver");
        } else {
            windows.SetObjectProperty("WBonusLevelFaled_BOk", "Top", kFailedOkTop[level.IsPixelLevel()]);
            const bool noMove = level.IsBonusLevel() && level.Times.TimeLeft > 0;
            SetVisible(windows, "WBonusLevelFailed_LNoTime", !noMove);
            SetVisible(windows, "WBonusLevelFailed_LNoMove", noMove);
            windows.ShowModal("WBonusLevelFailed");
        }
        flow.Phase = TLevelPhase::Failed;
        host.EnterScreen(TLevelScreen::LevelFailed);
    });
}

void TickLevelComplete(tLevel& level, TLevelGame& game, int64_t now)
{
    TLevelFlow& flow = level.Play.Flow;
    if (flow.Phase != TLevelPhase::Complete)
        return;
    if (flow.ResultsShowAt > 0 && flow.ResultsShowAt <= now)
        ShowResults(level, game, now);
    TickCounters(level.Play.Counters, game, level.Sounds(), now);
}
