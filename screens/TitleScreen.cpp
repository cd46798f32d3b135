// The title screen's handlers and hover effects.
#include "screens/TitleScreen.h"

#include "effects/QelScreenEffects.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "metagame/PlayersFile.h"
#include "metagame/WidgetAccess.h"
#include "screens/Journey.h"

#include <cctype>

namespace {

constexpr const char* kTitleWindow = "WTitle";
constexpr const char* kTitlePicture = "Title.jpg";
constexpr const char* kTitleAir = "efBP4-2.xml";

// The four main buttons glow while the pointer rests on them and fade when it leaves.
struct THoverRow {
    const char* Button;
    const char* Hover;
    const char* FadeOut;
};
constexpr std::array<THoverRow, 4> kHoverTable{{
    {"WTitle_BHighScores", "efOnHighscore", "efOnHighscoreDead"},
    {"WTitle_BOptions", "efOnOptions", "efOnOptionsDead"},
    {"WTitle_BQuit", "efOnQuit", "efOnQuitDead"},
    {"WTitle_BPlay", "efOnStartGame", "efOnStartGameDead"},
}};

constexpr std::array<TScreenMethod<TTitleScreen>, 10> kMethods{{
    {"WTitle_BPlay_MouseUp", &TTitleScreen::WTitle_BPlay_MouseUp},
    {"WTitle_BEdit_MouseUp", &TTitleScreen::WTitle_BEdit_MouseUp},
    {"WTitle_BQuit_MouseUp", &TTitleScreen::WTitle_BQuit_MouseUp},
    {"WTitle_BPlayLevel_MouseUp", &TTitleScreen::WTitle_BPlayLevel_MouseUp},
    {"WTitle_BOptions_MouseUp", &TTitleScreen::WTitle_BOptions_MouseUp},
    {"WQuit_BOk_MouseUp", &TTitleScreen::WQuit_BOk_MouseUp},
    {"WQuit_BQuit_MouseUp", &TTitleScreen::WQuit_BQuit_MouseUp},
    {"WContinue_BCancel_MouseUp", &TTitleScreen::WContinue_BCancel_MouseUp},
    {"WContinue_BNewGame_MouseUp", &TTitleScreen::WContinue_BNewGame_MouseUp},
    {"WContinue_BPlaySaved_MouseUp", &TTitleScreen::WContinue_BPlaySaved_MouseUp},
}};

// The effect file of a stem in the interface's language: English has the plain name.
std::string EffectFile(const std::string& language, const char* stem)
{
    std::string upper = language;
    for (char& ch : upper)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return std::string(stem) + (upper == "ENU" ? ".xml" : "_TB.xml");
}

}  // namespace

void GoInTitle(TScreenContext& c)
{
    try {
        c.Switch.Request(TScreenMode::smTitle);
        c.Interface.HideModalList();
        c.Interface.ShowModal(kTitleWindow);
        if (c.Surfaces.IndexOfSurface(kTitlePicture) >= 0)
            c.Surfaces.DrawSurface(kTitlePicture, "BackGround", 0, 0);
        if (c.Effects.Main.IndexOf(kTitleAir) < 0) {
            TQelEffectParams air;
            air.File = kTitleAir;
            c.Effects.CreateQelEffectFromFile(c.Effects.Main, kTitleAir, air);
        }
        c.Commands.MarkWholeScreen();
    } catch (...) {
        c.Log.WriteLog("Error GoInTitle");
    }
}

void RemoveTitleHover(TScreenContext& c)
{
    for (const THoverRow& row : kHoverTable)
        for (const char* stem : {row.Hover, row.FadeOut})
            c.Effects.DeleteAllScreenEffectByName(c.Effects.Main, EffectFile(c.Shell.Language, stem));
}

TTitleScreen::TTitleScreen(TScreenContext& context, TOptionsWindow& options, TProfileWindows& profiles,
                           TPlayersFile& players)
    : c_(context),
      options_(options),
      profiles_(profiles),
      players_(players),
      methods_(context.Methods, *this, std::span<const TScreenMethod<TTitleScreen>>(kMethods))
{
}

void TTitleScreen::Tick(int64_t now)
{
    profiles_.Tick(now);
    TickHover();
}

void TTitleScreen::TickHover()
{
    const TQelForm* top = c_.Interface.TopModal();
    if (!top || top->Name() != kTitleWindow)
        return;
    for (const THoverRow& row : kHoverTable) {
        const auto* button = dynamic_cast<const TQelInterfaceObject*>(c_.Interface.GetObjectByName(row.Button));
        if (!button)
            continue;
        const TRect r = button->ScreenRect();
        const bool under = button->Visible() && c_.Shell.MouseX >= r.Left && c_.Shell.MouseX < r.Right &&
                           c_.Shell.MouseY >= r.Top && c_.Shell.MouseY < r.Bottom;
        const std::string hover = EffectFile(c_.Shell.Language, row.Hover);
        const bool running = c_.Effects.Main.IndexOf(hover) >= 0;
        if (under && !running) {
            TQelEffectParams params;
            params.File = hover;
            c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, hover, params);
        } else if (!under && running) {
            c_.Effects.DeleteAllScreenEffectByName(c_.Effects.Main, hover);
            const std::string fade = EffectFile(c_.Shell.Language, row.FadeOut);
            TQelEffectParams params;
            params.File = fade;
            c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, fade, params);
        }
    }
}

void TTitleScreen::NotAvailableYet(const char* handler)
{
    // The screens behind these buttons come with their own work; until then the title
    // stays and says so in the log.
    c_.Log.WriteLog(std::string(handler) + ": not available yet");
}

void TTitleScreen::WTitle_BPlay_MouseUp()
{
    if (profiles_.NamePromptPending())
        return;
    for (const THoverRow& row : kHoverTable)
        for (const char* stem : {row.Hover, row.FadeOut})
            for (const char* language : {"ENU", "TB"})
                c_.Effects.DeleteAllScreenEffectByName(c_.Effects.Main, EffectFile(language, stem));
    LogAndCarryOn(c_.Log, "Error WTitle_BPlay_MouseUp", [&] {
        profiles_.LoadPlayer();
        const TPlayer& player = c_.Player;
        if (player.CurrentEpisod == 0 && player.CurrentLevel == 0) {
            WContinue_BNewGame_MouseUp();
            return;
        }
        TEngineWidgetAccess widgets(c_.Interface);
        SetCaption(widgets, "WContinue_LShopName",
                   GetCaption(widgets, "WResource_LShopName" + IntToStr(player.CurrentEpisod + 1)));
        SetCaption(widgets, "WContinue_LLevelCount", GetLevelLabel(widgets, player.CurrentLevel, true));
        SetCaption(widgets, "WContinue_LScoreCount", GetCaption(widgets, "WResource_LCurrency") + IntToStr(player.CurrentScore));
        c_.Interface.ShowModal("WContinue");
    });
}
void TTitleScreen::WTitle_BEdit_MouseUp()
{
    if (openCustomLevels_)
        openCustomLevels_();
    else
        NotAvailableYet("WTitle_BEdit_MouseUp");
}
void TTitleScreen::WTitle_BQuit_MouseUp() { c_.Commands.Quit(); }
void TTitleScreen::WTitle_BPlayLevel_MouseUp() {}
void TTitleScreen::WTitle_BOptions_MouseUp() { options_.Open(); }
void TTitleScreen::WQuit_BOk_MouseUp() { c_.Commands.Quit(); }
void TTitleScreen::WQuit_BQuit_MouseUp()
{
    LogAndCarryOn(c_.Log, "Error WQuit_BQuit_MouseUp", [&] {
        if (journey_)
            journey_->OpenMap(true, false);
    });
}

void TTitleScreen::WContinue_BCancel_MouseUp()
{
    c_.Interface.HideModal("WContinue");
    c_.Switch.Request(TScreenMode::smTitle);
}

void TTitleScreen::WContinue_BNewGame_MouseUp()
{
    TPlayer& player = c_.Player;
    ResetPlayerState(player, false);
    player.CurrentEpisod = 0;
    player.CurrentLevel = 0;
    if (players_.SavePlayerState(player, TSaveMode::Full) == TProfileResult::Done)
        c_.Trace.Event("save", TPlayersFile::kFileName);
    if (journey_) {
        journey_->NewGame();
        journey_->OpenMap(true, true);
    }
}

void TTitleScreen::WContinue_BPlaySaved_MouseUp()
{
    if (!journey_)
        return;
    if (c_.Player.CurrentLevel > 0)
        journey_->StartDay(c_.Player.CurrentEpisod, c_.Player.CurrentLevel);
    else
        journey_->OpenMap(true, true);
}
