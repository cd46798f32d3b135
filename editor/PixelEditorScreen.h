// The heap editor over a running pixel day (smPixelEditor, and smSelectElements while a
// new heap picture is chosen): heap pictures are added, cloned, deleted, turned, mirrored,
// put before or behind the others and dragged with the mouse, and the level file saved.
#pragma once

#include "foundation/Geometry.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

#include <cstdint>
#include <string>
#include <vector>

class IDayVariant;
class TLevelSession;
class TStandardLevelScreen;
class tLevel;

class TPixelEditorScreen final : public IScreen {
public:
    TPixelEditorScreen(TScreenContext& context, TStandardLevelScreen& day, IDayVariant& pixel);

    // IScreen
    void Enter(TScreenMode from) override;
    void Draw() override;
    void MouseDown(const TQelMouseEvent& event) override;
    void MouseUp(const TQelMouseEvent& event) override;
    void MouseMove(const TQelMouseEvent& event) override;

    void WGame_TFPixel_BEdit_MouseUp();
    void WEditor_TFPanel2_BNew_MouseUp();
    void WEditor_TFPanel2_BClone_MouseUp();
    void WEditor_TFPanel2_BDelete_MouseUp();
    void WEditor_TFPanel2_BAngle_MouseUp();
    void WEditor_TFPanel2_CBFlip_MouseUp();
    void WEditor_TFPanel2_BUp_MouseUp();
    void WEditor_TFPanel2_BDown_MouseUp();
    void WEditor_TFPanel2_BMaxUp_MouseUp();
    void WEditor_TFPanel2_BMaxDown_MouseUp();
    void WEditor_TFPanel2_BArrawUp_MouseUp();
    void WEditor_TFPanel2_BArrawDown_MouseUp();
    void WEditor_TFPanel2_BSave_MouseUp();
    void WEditor_TFPanel2_BLoad_MouseUp();
    void WEditor_TFPanel2_BQuit_MouseUp();

    int32_t Selected() const { return selected_; }

private:
    tLevel* Level() const;
    void Select(int32_t index);
    // The heap pictures changed: their working copies and the scene are made again.
    void Remake();
    // The heap picture index moves to position to in the list (drawn in that order).
    void MoveTo(int32_t to);
    void ShowControls(bool shown);
    // The pictures a new heap picture can take.
    std::vector<std::string> ElementPictures() const;
    TRect ElementCell(size_t index) const;
    void DrawElements();
    void DrawOutlines();

    TScreenContext& c_;
    TStandardLevelScreen& day_;
    IDayVariant& pixel_;
    int32_t selected_ = -1;
    bool dragging_ = false;
    TPoint dragFrom_;
    std::vector<std::string> elements_;
    TScreenMethods methods_;
};
