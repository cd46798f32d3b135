// The dialog screen: a tutorial, story scene or pop-up hint played over whichever screen
// started it (the map, the catalogue, a level). It serves smDialog while the script runs
// and smDialogEnded for the one frame after it, which hands the game back to the screen
// underneath. The screen underneath keeps drawing its own layers and the windows go over
// them; the script's pictures go over both.
//
// How a screen starts one (the map for its episode's dialogs, the shop for its
// introduction, the level for its introductions and hints):
//   TDialogStart start;
//   start.Script = "Script_Map_1.xml";
//   start.Context = kDialogOnMap;               // "InMAp"; kDialogInShop; or the level's
//   start.ReturnMode = TScreenMode::smMap;      // where smDialogEnded goes back to
//   start.Under = this;                         // drawn (and ticked) under the dialog
//   start.Ended = [this] { ... next dialog ... };  // after the return, optional
//   dialogs.Start(start);                       // false: nothing plays, no mode changes
// While a text is being typed a press completes it; once it is out, a line that asks for
// the Next button shows the screen's Next button until the script's pause is passed.
#pragma once

#include "metagame/DialogEngine.h"
#include "metagame/DialogServices.h"
#include "metagame/WidgetAccess.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TQelEffectLabel;

// The context names a dialog is started with.
inline constexpr const char* kDialogOnMap = "InMAp";
inline constexpr const char* kDialogInShop = "InShop";
inline constexpr const char* kDialogInLevel = "InLevel";

// The name hint scripts give their balloon and its text: the screen puts them on the
// balloon placed for the hint.
inline constexpr const char* kHintBalloon = "WGame_RLPopUpHint";
inline constexpr const char* kHintBalloonText = "WGame_RLPopUpHint_LText";

struct TDialogStart {
    std::string Script;
    std::string Context = kDialogInLevel;
    TScreenMode ReturnMode = TScreenMode::smLevel;
    // The screen drawn and ticked under the dialog; none: only the background.
    IScreen* Under = nullptr;
    // A window shown while the dialog plays (the story panels of the map and the shop).
    std::string Window;
    // The level under the dialog; none over the map and the shop.
    IDialogLevel* Level = nullptr;
    // A pop-up hint: the balloon window placed for it and its top left.
    std::string HintWindow;
    TPoint HintPos;
    // Layers of the screen underneath that only a dialog shows (a level's recipes).
    std::function<void()> DrawUnder;
    // Called once the screen is back in ReturnMode's frame (a request it makes wins).
    std::function<void()> Ended;
};

class TDialogScreen final : public IScreen {
public:
    explicit TDialogScreen(TScreenContext& context);
    ~TDialogScreen() override;

    // Loads the script and starts it now, switching to smDialog. False when a dialog
    // runs already (one at a time).
    bool Start(const TDialogStart& start);
    // A story over the map (kDialogOnMap) or the catalogue (kDialogInShop): the script
    // plays in the story window over under, and the game returns to returnMode after it,
    // then calls ended. The map plays its episode's dialogs one after the other with it:
    //   dialogs.StartStory(episod.DialogList[episod.DialogCounter++].FileName, kDialogOnMap,
    //                      TScreenMode::smMap, this, [this] { /* the next one, if any */ });
    bool StartStory(const std::string& script, const char* context, TScreenMode returnMode, IScreen* under,
                    std::function<void()> ended = {});
    bool Running() const { return dialog_ != nullptr; }
    const TDialog* Dialog() const { return dialog_.get(); }
    // The Next button of the dialog's screen.
    std::string NextButton() const;

    // IScreen
    void Tick(int64_t now) override;
    void Draw() override;
    void DrawOverInterface() override;
    void MouseDown(const TQelMouseEvent& event) override;
    void MouseMove(const TQelMouseEvent& event) override;
    bool KeyDown(const TQelKeyEvent& event) override;

private:
    class TServices;
    // A typed text: the label, when it is out, and whether Next follows it.
    struct TPrinting {
        std::string Label;
        int64_t End = 0;
        bool NextButton = false;
    };

    void PrintingCaption(const std::string& label, int64_t endTime, bool nextButton);
    void ShowNextButton(bool visible);
    void Finish();
    bool OnSkipButton(int32_t x, int32_t y) const;
    // The label of the text being typed, while its characters are still coming in.
    TQelEffectLabel* TypingLabel() const;
    // After a press or key: a passed pause or a skip takes the Next button away.
    void LineMoved();

    TScreenContext& c_;
    std::unique_ptr<TServices> services_;
    std::unique_ptr<TDialog> dialog_;
    TDialogStart start_;
    std::optional<TPrinting> printing_;
    bool nextShown_ = false;
    bool finishing_ = false;
};
