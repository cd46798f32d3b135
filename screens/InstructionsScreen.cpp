// The instruction pages' handlers: which demo plays under which page, and the way back.
#include "screens/InstructionsScreen.h"

#include "effects/QelScreenEffects.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "metagame/Player.h"
#include "metagame/PlayersFile.h"
#include "screens/TitleScreen.h"
#include "screens/level/LevelScreen.h"
#include "screens/ScreenLayout.h"

#include <array>
#include <string>

namespace {

constexpr const char* kWindow = "WInstructions";
constexpr const char* kStill = "WInstructions.jpg";
constexpr uint8_t kRedrawMark = 2;

constexpr std::array<TScreenMethod<TInstructionsScreen>, 10> kMethods{{
    {"WTitle_BInstructions_MouseUp", &TInstructionsScreen::WTitle_BInstructions_MouseUp},
    {"WGameMenu_BInstructions_MouseUp", &TInstructionsScreen::WGameMenu_BInstructions_MouseUp},
    {"WInstructions_TFPlay_BPlay_MouseUp", &TInstructionsScreen::WInstructions_TFPlay_BPlay_MouseUp},
    {"WInstructions_TFOk_BOk_MouseUp", &TInstructionsScreen::WInstructions_TFOk_BOk_MouseUp},
    {"WInstructions_TFPage1_BNext_MouseUp", &TInstructionsScreen::WInstructions_TFPage1_BNext_MouseUp},
    {"WInstructions_TFPage2_BNext_MouseUp", &TInstructionsScreen::WInstructions_TFPage2_BNext_MouseUp},
    {"WInstructions_TFPage2_BPrev_MouseUp", &TInstructionsScreen::WInstructions_TFPage2_BPrev_MouseUp},
    {"WInstructions_TFPage3_BNext_MouseUp", &TInstructionsScreen::WInstructions_TFPage3_BNext_MouseUp},
    {"WInstructions_TFPage3_BPrev_MouseUp", &TInstructionsScreen::WInstructions_TFPage3_BPrev_MouseUp},
    {"WInstructions_TFPage4_BPrev_MouseUp", &TInstructionsScreen::WInstructions_TFPage4_BPrev_MouseUp},
}};

// The buttons and texts of every page; opened before a day, each page shows only its own.
constexpr const char* kPageWidgets[] = {
    "WInstructions_TFPage1_BNext", "WInstructions_TFPage1_Label1", "WInstructions_TFPage2_BNext",
    "WInstructions_TFPage2_BPrev", "WInstructions_TFPage2_Label9", "WInstructions_TFPage3_BNext",
    "WInstructions_TFPage3_BPrev", "WInstructions_TFPage3_Label10", "WInstructions_TFPage4_BPrev",
    "WInstructions_TFPage4_Label11",
};

int PageOf(TDemoKind kind)
{
    switch (kind) {
    case TDemoKind::Standard:
        return 1;
    case TDemoKind::Bonus:
        return 3;
    case TDemoKind::Pixel:
        break;
    }
    return 4;
}

}  // namespace

TInstructionsScreen::TInstructionsScreen(TScreenContext& context, TPlayersFile& players, TDemoScreen& demo,
                                         TStandardLevelScreen& level)
    : c_(context),
      players_(players),
      demo_(demo),
      level_(level),
      methods_(context.Methods, *this, std::span<const TScreenMethod<TInstructionsScreen>>(kMethods))
{
}

void TInstructionsScreen::ShowPage(int page)
{
    c_.Interface.SetObjectProperty(std::string(kWindow) + "_TFPage" + std::to_string(page), "Visible", "True");
}

void TInstructionsScreen::OpenAllPages()
{
    // Nothing of the screen underneath goes on moving over the demo.
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    c_.Interface.HideModalList();
    c_.Interface.ShowModal(kWindow);
    ShowPage(1);
    c_.Interface.SetObjectProperty("WInstructions_TFOk", "Visible", "True");
    c_.Interface.SetObjectProperty("WInstructions_TFPlay", "Visible", "False");
    for (const char* widget : kPageWidgets)
        c_.Interface.SetObjectProperty(widget, "Visible", "True");
    PlayDemo(TDemoKind::Standard);
}

void TInstructionsScreen::PlayDemo(TDemoKind kind)
{
    if (!demo_.Run(kind))
        ShowStill();
    c_.Commands.MarkWholeScreen();
}

void TInstructionsScreen::ShowStill()
{
    demo_.Stop();
    c_.Switch.Request(TScreenMode::smInstructions);
    LogAndCarryOn(c_.Log, "Error ShowInstructions", [&] {
        c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, kStill);
        if (c_.Surfaces.IndexOfSurface(kStill) >= 0)
            c_.Surfaces.DrawSurface(kStill, kBackground, 0, 0);
    });
    c_.Grid.SetRedrawGrid(kRedrawMark);
    c_.Commands.MarkWholeScreen();
}

void TInstructionsScreen::WTitle_BInstructions_MouseUp()
{
    from_ = TFrom::Title;
    RemoveTitleHover(c_);
    OpenAllPages();
}

void TInstructionsScreen::WGameMenu_BInstructions_MouseUp()
{
    if (!level_.Session()) {
        c_.Log.WriteLog("Error WGameMenu_BInstructions_MouseUp");
        return;
    }
    from_ = TFrom::GameMenu;
    OpenAllPages();
}

void TInstructionsScreen::OpenBeforeDay(TDemoKind kind)
{
    from_ = TFrom::BeforeDay;
    beforeKind_ = kind;
    c_.Interface.SetObjectProperty("WInstructions_CBInstructionsOff", "Checked",
                                   c_.Player.ShowInstructions ? "False" : "True");
    if (!c_.Player.ShowInstructions) {
        WInstructions_TFPlay_BPlay_MouseUp();
        return;
    }
    c_.Interface.HideModalList();
    c_.Interface.ShowModal(kWindow);
    ShowPage(PageOf(kind));
    c_.Interface.SetObjectProperty("WInstructions_TFPlay", "Visible", "True");
    c_.Interface.SetObjectProperty("WInstructions_TFOk", "Visible", "False");
    // Only the page of this kind is seen: its way to the other pages is hidden.
    for (const char* widget : kPageWidgets)
        c_.Interface.SetObjectProperty(widget, "Visible", "False");
    switch (kind) {
    case TDemoKind::Standard:
        c_.Interface.SetObjectProperty("WInstructions_TFPage1_Label1", "Visible", "True");
        break;
    case TDemoKind::Bonus:
        for (const char* widget : {"WInstructions_TFPage2_Label9", "WInstructions_TFPage4_Label11"})
            c_.Interface.SetObjectProperty(widget, "Visible", "True");
        break;
    case TDemoKind::Pixel:
        c_.Interface.SetObjectProperty("WInstructions_TFPage3_Label10", "Visible", "True");
        break;
    }
    PlayDemo(kind);
}

void TInstructionsScreen::Close()
{
    demo_.Stop();
    c_.Effects.DeleteAllEffects(c_.Effects.Main);
    c_.Interface.HideModalList();
}

void TInstructionsScreen::WInstructions_TFPlay_BPlay_MouseUp()
{
    c_.Player.ShowInstructions =
        Trim(VariantToString(c_.Interface.GetObjectValue("WInstructions_CBInstructionsOff", "Checked"))) != "True";
    // The choice is kept at once, whatever becomes of the day.
    if (players_.SavePlayerState(c_.Player, TSaveMode::Instructions) == TProfileResult::Done)
        c_.Trace.Event("save", "players.dat");
    Close();
    level_.BackFromInstructions(false);
}

void TInstructionsScreen::WInstructions_TFOk_BOk_MouseUp()
{
    Close();
    if (from_ == TFrom::Title || !level_.Session()) {
        GoInTitle(c_);
        return;
    }
    level_.BackFromInstructions(true);
}

void TInstructionsScreen::WInstructions_TFPage1_BNext_MouseUp()
{
    // The second page explains the customers and has no demo of its own.
    ShowStill();
}

void TInstructionsScreen::WInstructions_TFPage2_BNext_MouseUp() { PlayDemo(TDemoKind::Bonus); }
void TInstructionsScreen::WInstructions_TFPage2_BPrev_MouseUp() { PlayDemo(TDemoKind::Standard); }
void TInstructionsScreen::WInstructions_TFPage3_BNext_MouseUp() { PlayDemo(TDemoKind::Pixel); }
void TInstructionsScreen::WInstructions_TFPage3_BPrev_MouseUp() { ShowStill(); }
void TInstructionsScreen::WInstructions_TFPage4_BPrev_MouseUp() { PlayDemo(TDemoKind::Bonus); }
