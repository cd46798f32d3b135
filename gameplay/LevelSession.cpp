// One day of the shop, from loading its level to its result.
#include "gameplay/LevelSession.h"

#include "gameplay/DemoReplay.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "gameplay/LevelResults.h"
#include "gameplay/StartLevel.h"
#include "effects/QelAnime.h"
#include "graphics/SurfEngine.h"
#include "metagame/EpisodProgress.h"

#include <algorithm>
#include <utility>

TLevelSession::TLevelSession(const TGameTables& tables, const TGameParams& params, TPlayer& player,
                             TSessionFlags& flags, TLevelDay day, TLevelSessionServices services,
                             TLevelOptions options)
    : tables_(tables),
      player_(player),
      flags_(flags),
      day_(std::move(day)),
      services_(std::move(services)),
      mans_(tables.Mans),
      rules_(game_),
      level_(LinksFor(tables, player, services_, rules_))
{
    game_.Player = &player_;
    game_.Shop = &tables_.Shop;
    game_.Episods = &tables_.Episods;
    game_.Mans = &mans_;
    game_.Windows = services_.Windows;
    game_.Host = services_.Host;
    game_.PictureMaker = services_.PictureMaker;
    game_.Cosmetic = services_.Cosmetic;
    game_.Clock = services_.Clock;
    game_.Params = params.LevelTimeParams();
    game_.Session = flags_;
    game_.Options = options;

    rules_.Mans = &mans_;
    rules_.AnimeLoader = services_.AnimeLoader;
    rules_.ReloadPlayerRecord = [this] {
        if (services_.ReloadPlayerRecord)
            services_.ReloadPlayerRecord();
        PlaceOnDay();
    };

    level_.Tuning = params.BeltTuning();
    pixel_.HintButtonDuration = params.HintButtonDuration > 0 ? params.HintButtonDuration : kDefaultHintButtonDuration;
}

TLevelSession::~TLevelSession() = default;

TLevelLinks TLevelSession::LinksFor(const TGameTables& tables, TPlayer& player, const TLevelSessionServices& services,
                                    TLevelRules& rules)
{
    TLevelLinks links;
    links.Types = &tables.FishkaTypes;
    links.Random = services.Gameplay;
    links.Log = services.Log;
    links.Pictures = services.Pictures;
    links.Effects = services.Effects;
    links.Sounds = services.Sounds;
    links.Events = &rules;
    links.Player = &player;
    return links;
}

// The record the profile file gave is the one of this day: its progress indices and the
// countdowns of the episode's upgrades follow. A custom level leaves the progress alone.
void TLevelSession::PlaceOnDay()
{
    if (!game_.Options.CustomLevel) {
        player_.CurrentEpisod = day_.Episod;
        player_.CurrentLevel = day_.LevelIndex;
    }
    RefreshPlayerDerived(player_, tables_.Episods, tables_.Shop);
}

bool TLevelSession::Load()
{
    std::string fileName = day_.FileName;
    if (fileName.empty())
        if (const TLevelInEpisod* entry = tables_.Episods.Level(day_.Episod, day_.LevelIndex))
            fileName = entry->Name;
    if (fileName.empty()) {
        level_.WriteLog("Error StartLevel: episode " + std::to_string(day_.Episod + 1) + " has no day " +
                        std::to_string(day_.LevelIndex + 1));
        return false;
    }

    TLevelStartContext context;
    context.Data = services_.Data;
    context.Clock = services_.Clock;
    context.Episods = &tables_.Episods;
    context.Progress = services_.Progress;
    context.PreviousPictures = services_.PreviousPictures;
    context.PrepareHeaps = services_.PrepareHeaps;
    level_.Demo.Playback = day_.Demo;
    if (day_.Demo)
        level_.Belt.RuleBirths = false;
    const TLevelStartRequest request{fileName, day_.Episod, day_.Folder, day_.LevelIndex, day_.Introduction};
    if (!StartLevel(level_, request, context, rules_))
        return false;
    if (level_.IsBonusLevel()) {
        FillBoxByFishes(level_, box_);
        SetCashRegisterGoals(level_, box_, kCashScaleTop, kCashScaleHeight);
    } else if (level_.IsPixelLevel()) {
        PrepareHeaps(level_, game_, pixel_);
    }
    // The search panel has a menu button of its own.
    game_.TheWindows().SetObjectProperty("WGame_BMenu", "Visible", level_.IsPixelLevel() ? "False" : "True");
    awaitingStart_ = level_.Play.Flow.Paused;
    lastTick_ = Now();
    return true;
}

void TLevelSession::Start()
{
    if (!awaitingStart_)
        return;
    awaitingStart_ = false;
    const int64_t waited = level_.Play.Flow.Paused ? Now() - level_.Play.Flow.PausedAt : 0;
    ShiftBox(box_, waited);
    ShiftPixel(pixel_, waited);
    WBeforeLevel_BPlay_MouseUp(level_, game_);
    // The day's time counts from here: the wait under the window is no step of the belt.
    lastTick_ = Now();
}

void TLevelSession::Tick(TLevelMode mode)
{
    const int64_t now = Now();
    // A frame at the time of the previous one, or of the start or resume, has no time to
    // play: the day's steps stay the same however the frames fall around a start.
    if (now == lastTick_)
        return;
    const TLevelFrame frame{now, now - lastTick_, mode, game_.Options.HintsOn};
    lastTick_ = now;
    switch (Phase()) {
    case TLevelPhase::Running:
        if (level_.IsBonusLevel())
            TickBoxMovePiecesTimer(level_, game_, box_, frame);
        else if (level_.IsPixelLevel())
            TickPixel(level_, game_, pixel_, frame);
        else
            TickGameTimer(level_, game_, frame);
        break;
    case TLevelPhase::Complete:
        TickLevelComplete(level_, game_, now);
        break;
    case TLevelPhase::Loaded:
    case TLevelPhase::Failed:
        break;
    }
    flags_ = game_.Session;
}

void TLevelSession::MouseMove(int32_t x, int32_t y)
{
    LevelMouseMove(level_, game_, x, y);
    if (level_.IsBonusLevel())
        BoxMouseMove(level_, game_, box_, x, y);
}

void TLevelSession::MouseDown(TLevelMouseButton button, int32_t x, int32_t y)
{
    if (Phase() == TLevelPhase::Complete && !level_.Play.Flow.ResultsShown) {
        ShowResults(level_, game_, Now());
        return;
    }
    // The standard day records its own clicks as it takes them.
    if (button == TLevelMouseButton::Left && (level_.IsBonusLevel() || level_.IsPixelLevel()))
        RecordDemoMouse(level_, "MouseLDown", x, y, Now());
    if (level_.IsBonusLevel()) {
        if (button == TLevelMouseButton::Left)
            LeftMouseDownInGamePlayBox(level_, game_, box_, x, y);
        else if (button == TLevelMouseButton::Right)
            ClearBoxSelection(box_);
        return;
    }
    if (level_.IsPixelLevel()) {
        if (pixel_.HintLabelShown) {
            HidePixelHintLabel(game_, pixel_);
            Resume();
        }
        if (button == TLevelMouseButton::Left)
            PixelClick(level_, game_, pixel_, x, y);
        return;
    }
    LevelMouseDown(level_, game_, button, x, y);
}

void TLevelSession::MouseUp(TLevelMouseButton button, int32_t x, int32_t y)
{
    if (level_.IsBonusLevel() && button == TLevelMouseButton::Left)
        LeftMouseUpInGame(level_, game_, box_, x, y);
}

void TLevelSession::Pause() { PauseLevel(level_, Now()); }

void TLevelSession::Resume()
{
    if (!Paused())
        return;
    const int64_t paused = Now() - level_.Play.Flow.PausedAt;
    ShiftBox(box_, paused);
    ShiftPixel(pixel_, paused);
    ResumeLevel(level_, paused);
    // The belt moves on from now: the time under the window is not a step it takes.
    lastTick_ = Now();
}

void TLevelSession::EndDialog()
{
    // The box and the search keep times of their own, which wait like the belt's.
    const int64_t paused = Paused() ? Now() - level_.Play.Flow.PausedAt : 0;
    ShiftBox(box_, paused);
    ShiftPixel(pixel_, paused);
    DialogEnded(level_, game_, Now());
    lastTick_ = Now();
}

void TLevelSession::WPenalty_BOk_MouseUp()
{
    game_.TheWindows().HideModal("WPenalty");
    game_.TheHost().EnterScreen(TLevelScreen::Level);
    Resume();
}

TLevelResult TLevelSession::Result() const
{
    const TLevelScoring& score = level_.Play.Score;
    TLevelResult result;
    result.Phase = Phase();
    result.Score = score.LevelScore;
    result.Goal = level_.Goals.Goal;
    result.ExGoal = level_.Goals.ExGoal;
    result.Served = score.OutfitsServed;
    result.Lost = score.GarmentsLost;
    result.Combos = {score.GreatCount, score.ExelentCount, score.IncredibleCount, score.FantasticCount};
    result.Bags = score.BagsCount;
    // The pixel day pays no money per find: its score is the outfits completed.
    if (level_.IsPixelLevel())
        result.Score = std::max(0, level_.Play.Flow.CompleteNeed - pixel_.Remaining);
    return result;
}

// ---- A day with no level screen ----------------------------------------------------------

THeadlessDay::THeadlessDay(const TDataSource& data, TSurfEngine& surfaces, const IClock& clock, TGameLog& log,
                           TRandom& gameplay, TRandom& cosmetic)
    : data_(data),
      surfaces_(surfaces),
      clock_(clock),
      log_(log),
      gameplay_(gameplay),
      cosmetic_(cosmetic),
      pictures_(surfaces, data),
      host_(surfaces)
{
    windows_.ShowModal("WGame");
}

TLevelSessionServices THeadlessDay::Services(ILevelPictures* pictures, ILevelPictureMaker* maker)
{
    TLevelSessionServices services;
    services.Data = &data_;
    services.Clock = &clock_;
    services.Log = &log_;
    services.Gameplay = &gameplay_;
    services.Cosmetic = &cosmetic_;
    services.Pictures = pictures ? pictures : &pictures_;
    services.PictureMaker = maker;
    services.Windows = &windows_;
    services.Host = &host_;
    services.AnimeLoader = [this](const std::string& file) { return LoadAnime(surfaces_, data_, file, false); };
    return services;
}

bool THeadlessDay::ClosePenaltyNote(TLevelSession& day)
{
    if (!day.Paused() || !windows_.IsTopWindow("WPenalty"))
        return false;
    day.WPenalty_BOk_MouseUp();
    return true;
}

int32_t THeadlessDay::THost::PictureAlpha(const std::string& picture, int32_t x, int32_t y) const
{
    if (!surfaces_.FindSurface(picture))
        return -1;
    return surfaces_.GetAlhpaFromSurf(picture, x, y);
}
