// The high-score windows' handlers.
#include "screens/HighScoreWindows.h"

#include "audio/SoundEngine.h"
#include "effects/QelScreenEffects.h"
#include "foundation/Text.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "interface/QelGrid.h"
#include "interface/QelInterfaceEngine.h"
#include "metagame/Player.h"
#include "metagame/PlayerName.h"
#include "metagame/PlayersFile.h"
#include "screens/TitleScreen.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

constexpr const char* kTableWindow = "WHighScores";
constexpr const char* kTableGrid = "WHighScores_GHighScores";
constexpr const char* kClearWindow = "WClearHighScores";
constexpr const char* kGameCompleteWindow = "WGameComplete";
constexpr const char* kGameCompleteEdit = "WGameComplete_EName";
constexpr const char* kGameCompleteScore = "WGameComplete_LYourScoreCount";
constexpr const char* kPlayersFileName = "players.dat";
// The title music comes in over this long after the last shop's music.
constexpr int kTitleMusicFadeInMs = 1000;

constexpr std::array<TScreenMethod<THighScoreWindows>, 7> kMethods{{
    {"WTitle_BHighScores_MouseUp", &THighScoreWindows::WTitle_BHighScores_MouseUp},
    {"WHighScores_BOk_MouseUp", &THighScoreWindows::WHighScores_BOk_MouseUp},
    {"WHighScores_BViewClassic_MouseUp", &THighScoreWindows::WHighScores_BViewClassic_MouseUp},
    {"WHighScores_BViewStacker_MouseUp", &THighScoreWindows::WHighScores_BViewStacker_MouseUp},
    {"WHighScores_BClear_MouseUp", &THighScoreWindows::WHighScores_BClear_MouseUp},
    {"WClearHighScores_BOk_MouseUp", &THighScoreWindows::WClearHighScores_BOk_MouseUp},
    {"WGameComplete_BOk_MouseUp", &THighScoreWindows::WGameComplete_BOk_MouseUp},
}};

}  // namespace

THighScoreWindows::THighScoreWindows(TScreenContext& context, TPlayersFile& players, TProfileWindows& profiles)
    : c_(context),
      players_(players),
      profiles_(profiles),
      widgets_(context.Interface),
      scores_(context.UserFolder, players, widgets_, context.Log),
      methods_(context.Methods, *this, std::span<const TScreenMethod<THighScoreWindows>>(kMethods))
{
}

void THighScoreWindows::ClearGrid()
{
    if (auto* grid = dynamic_cast<TQelGrid*>(c_.Interface.GetObjectByName(kTableGrid)))
        grid->ClearRows();
}

void THighScoreWindows::FillHighScores()
{
    ClearGrid();
    for (const THighScoreRow& row : scores_.FillHighScores(c_.Player))
        c_.Interface.SetObjectProperty(kTableGrid, "AddCells", row.Cells);
    // Without a profile file the table forgot the player's name: ask for a new one.
    if (!players_.Exists())
        profiles_.AskName();
}

void THighScoreWindows::WTitle_BHighScores_MouseUp()
{
    if (profiles_.NamePromptPending())
        return;
    RemoveTitleHover(c_);
    FillHighScores();
}

void THighScoreWindows::WHighScores_BOk_MouseUp()
{
    c_.Interface.HideModal();
    c_.Switch.Request(TScreenMode::smTitle);
}

void THighScoreWindows::WHighScores_BViewClassic_MouseUp()
{
    FillHighScores();
}

void THighScoreWindows::WHighScores_BViewStacker_MouseUp()
{
    FillHighScores();
}

void THighScoreWindows::WHighScores_BClear_MouseUp()
{
    if (!scores_.List.Entries.empty())
        c_.Interface.ShowModal(kClearWindow);
}

void THighScoreWindows::WClearHighScores_BOk_MouseUp()
{
    const THighScores::TCleared cleared = scores_.ClearHighScores(c_.Player);
    if (cleared.ProfilesHidden)
        c_.Trace.Event("save", kPlayersFileName);
    if (cleared.Saved)
        c_.Trace.Event("save", THighScores::kFileName);
    ClearGrid();
    if (!players_.Exists())
        profiles_.AskName();
}

void THighScoreWindows::OpenGameComplete()
{
    c_.Interface.ShowModal(kGameCompleteWindow);
    c_.Interface.SetObjectProperty(kGameCompleteScore, "Caption",
                                   GetCaption(widgets_, "WResource_LCurrency") + IntToStr(c_.Player.TotalScore));
    c_.Interface.SetObjectProperty(kGameCompleteEdit, "Caption", "");
    c_.Interface.SetObjectProperty(kGameCompleteEdit, "Focused", "True");
}

void THighScoreWindows::StartTitleMusic()
{
    const TScreenMusic& title = c_.Params.MusicInTitle;
    if (title.Music.empty())
        return;
    const int32_t order = c_.Sounds.MusicStartOrder(title.Music, title.StartPattern);
    c_.Sounds.ChangeMusic(title.Music, 0, 0, order, kTitleMusicFadeInMs);
}

void THighScoreWindows::WGameComplete_BOk_MouseUp()
{
    const std::string name = TypedPlayerName(VariantToString(c_.Interface.GetObjectValue(kGameCompleteEdit, "Caption")));
    if (name.empty())
        return;
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    c_.Effects.DeleteAllEffects(c_.Effects.Second);
    if (scores_.AddFinishedGame(name, c_.Player.TotalScore))
        c_.Trace.Event("save", THighScores::kFileName);

    TPlayer& player = c_.Player;
    player.WinGame = true;
    const int32_t lastEpisod = std::max(c_.Tables.Episods.Count() - 1, 0);
    player.CurrentEpisod = lastEpisod;
    player.MaxEpisod = lastEpisod;
    ResetPlayerState(player, true);
    if (players_.SavePlayerState(player, TSaveMode::Full) == TProfileResult::Done)
        c_.Trace.Event("save", kPlayersFileName);

    FillHighScores();
    GoInTitle(c_);
    c_.Interface.ShowModal(kTableWindow);
    StartTitleMusic();
    c_.Commands.MarkWholeScreen();
}
