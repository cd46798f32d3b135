// The instruction pages "WInstructions" (smInstructions): four pages that step through the
// three kinds of day, each but the second over its demo, opened from the title, from the
// game menu over a paused day, or before a first day of its kind. Closing goes back where
// the pages were opened from.
#pragma once

#include "screens/Screen.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"
#include "screens/level/DemoScreen.h"

class TPlayersFile;
class TStandardLevelScreen;

class TInstructionsScreen final : public IScreen {
public:
    TInstructionsScreen(TScreenContext& context, TPlayersFile& players, TDemoScreen& demo,
                        TStandardLevelScreen& level);

    // Where the pages were opened from, which decides where they close to.
    enum class TFrom { Title, GameMenu, BeforeDay };
    TFrom From() const { return from_; }

    // Before the first day of a kind while the player wants the pages: the kind's page
    // with its play button; without the wish, the day goes on at once.
    void OpenBeforeDay(TDemoKind kind);

    void WTitle_BInstructions_MouseUp();
    void WGameMenu_BInstructions_MouseUp();
    void WInstructions_TFPlay_BPlay_MouseUp();
    void WInstructions_TFOk_BOk_MouseUp();
    void WInstructions_TFPage1_BNext_MouseUp();
    void WInstructions_TFPage2_BNext_MouseUp();
    void WInstructions_TFPage2_BPrev_MouseUp();
    void WInstructions_TFPage3_BNext_MouseUp();
    void WInstructions_TFPage3_BPrev_MouseUp();
    void WInstructions_TFPage4_BPrev_MouseUp();

private:
    // The window on the given page with every page's buttons and texts shown, and the
    // page's demo running.
    void OpenAllPages();
    void ShowPage(int page);
    // A page's demo, or the still canvas when it has none or its demo cannot play.
    void PlayDemo(TDemoKind kind);
    void ShowStill();
    void Close();

    TScreenContext& c_;
    TPlayersFile& players_;
    TDemoScreen& demo_;
    TStandardLevelScreen& level_;
    TFrom from_ = TFrom::Title;
    TDemoKind beforeKind_ = TDemoKind::Standard;
    TScreenMethods methods_;
};
