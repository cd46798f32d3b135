// The level editor over a running standard day (smEditor): the belt's path nodes, the
// customer places and the episode's upgrade pictures are picked with Space and moved with
// the arrow keys or the mouse, the day's numbers are typed in the panel, and the level
// file and the episode file are saved; the day can be tried from where it stands and
// edited again, or loaded again from its file.
#pragma once

#include "foundation/Geometry.h"
#include "gameplay/LevelWriter.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenMethods.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TLevelSession;
class TStandardLevelScreen;
class tLevel;
struct TEpisod;
struct TLevelInEpisod;

// What the arrow keys move: the four radio buttons of the panel.
struct TEditorFlags {
    bool Lenta = false;
    bool Oblaka = false;
    bool Upgrade = false;
    bool Person = false;
};

class TEditorScreen final : public IScreen {
public:
    TEditorScreen(TScreenContext& context, TStandardLevelScreen& day);

    // Where the editor's quit leads after the title shows: the custom-level list.
    void SetQuitTo(std::function<void()> openList) { openList_ = std::move(openList); }

    // IScreen
    void Enter(TScreenMode from) override;
    void Draw() override;
    void MouseDown(const TQelMouseEvent& event) override;
    void MouseUp(const TQelMouseEvent& event) override;
    void MouseMove(const TQelMouseEvent& event) override;
    bool KeyDown(const TQelKeyEvent& event) override;

    void WGame_BEdit_MouseUp();
    void WEditor_TFPanel_RB_MouseUp();
    void WEditor_TFPanel_BUp_MouseUp();
    void WEditor_TFPanel_BDown_MouseUp();
    void WEditor_TFPanel_BSave_MouseUp();
    void WEditor_TFPanel_BLoad_MouseUp();
    void WEditor_TFPanel_BTry_MouseUp();
    void WEditor_TFPanel_BQuit_MouseUp();

    // For tests and the panel: the state the keys work on.
    const TEditorFlags& Flags() const { return flags_; }
    const std::vector<TPathNode>& Nodes() const { return nodes_; }
    const std::string& PathText() const { return pathText_; }

private:
    TLevelSession* Session() const;
    tLevel* Level() const;
    TEpisod* Episod() const;
    TLevelInEpisod* Day() const;
    void ReadFlags();
    void ReadNodes();
    // The nodes into the first belt's path, and the path text rebuilt from them.
    void WriteNodes();
    void MovePanel(int32_t top);
    void ShowNumbers();
    // The numbers typed in the panel into the day; false when one is not a number.
    bool ReadNumbers();
    // Space: the next item of what is edited; the arrows and letters change it.
    void SelectNext();
    void MoveSelected(int32_t dx, int32_t dy);
    void ChangeNode(double firstDelta, double secondDelta);
    // The item of what is edited that lies under the point; -1 none.
    int32_t ItemAt(int32_t x, int32_t y) const;
    TPoint ItemPos(int32_t index) const;
    void SetItemPos(int32_t index, TPoint pos);
    void DrawOutlines();

    TScreenContext& c_;
    TStandardLevelScreen& day_;
    TEditorFlags flags_;
    int32_t node_ = -1;
    int32_t place_ = -1;
    int32_t upgrade_ = -1;
    std::vector<TPathNode> nodes_;
    std::string pathText_;
    TRect panelRect_;
    // A press on an item drags it until the release.
    bool dragging_ = false;
    TPoint dragFrom_;
    std::function<void()> openList_;
    TScreenMethods methods_;
};
