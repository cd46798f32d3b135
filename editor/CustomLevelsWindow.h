// The developers' day list "WLoadCustom": every day of the episode file as a tree of
// shops and their days, to play one or to open it in the editor.
#pragma once

#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

#include <string>

class TEditorScreen;
class TPixelEditorScreen;
class TStandardLevelScreen;
class TEpisods;

// The tree's text: an item per episode (its name) holding an item per day (the level
// file's name without ".xml"); characters that would end an attribute are left out.
std::string CustomLevelsTree(const TEpisods& episods);

class TCustomLevelsWindow {
public:
    TCustomLevelsWindow(
        TScreenContext& context, TStandardLevelScreen& day, TEditorScreen& editor, TPixelEditorScreen& pixelEditor);

    // Fills the tree and opens the window over the title.
    void Open();

    void WLoadCustom_BPlay_MouseUp();
    void WLoadCustom_BEdit_MouseUp();
    void WLoadCustom_BCancel_MouseUp();
    void WLoadCustom_BDemo_MouseUp();

private:
    // Starts the day of the selected tree item as a custom day; false when the item is
    // no day (an episode, or nothing selected) or the day does not start.
    bool StartSelected(const char* handler);

    TScreenContext& c_;
    TStandardLevelScreen& day_;
    TEditorScreen& editor_;
    TPixelEditorScreen& pixelEditor_;
    TScreenMethods methods_;
};
