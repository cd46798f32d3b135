// Forms, the containers every screen and dialog is made of, and tab forms, pages of one
// group inside a parent form. A form lists its children without owning them.
#pragma once

#include "interface/QelInterfaceObject.h"

#include <string>
#include <vector>

class TQelFocusedObject;

// "left;top;right;bottom;" as forms read and write their rectangles.
std::string RectToText(const TRect& rect);
// Reads up to four numbers each ended by ";" into rect (left, top, right, bottom); a last
// number without ";" and numbers after the fourth are ignored. Throws for a piece that is
// not a number.
void TextToRect(const std::string& text, TRect& rect);

class TQelForm : public TQelInterfaceObject {
public:
    const char* ClassName() const override { return "TQelForm"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    void SetName(const std::string& value) override;
    void SetVisible(bool value) override;
    void UpdatePosition() override;
    void Assign(const TQelObject& source) override;
    std::vector<std::string> GetPictures() const override;
    void ForgetObject(const TQelObject* dying) override;

    // Childs := the engine's objects whose ParentName is this form's name, in engine
    // order. An object that is this form or one of its ancestors is left out, so the
    // children always form a tree.
    void CollectChilds();
    void BuildFocusList();
    // Removes the named child; a child form's own children are freed first; then the
    // engine frees the child.
    void DeleteChild(const std::string& name);
    void DeleteChilds();
    void FocusNext();
    void FocusPrev();
    // Puts a focusable child at another place of the focus list (clamped to the list).
    int32_t MoveInFocusList(TQelFocusedObject* object, int32_t index);

    void KeyDown(uint16_t& key, uint32_t shift) override;
    void KeyPress(char16_t& ch) override;
    void KeyUp(uint16_t& key, uint32_t shift) override;
    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseMove(uint32_t shift, int32_t x, int32_t y) override;
    void MouseUp(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;
    void MouseWheel(uint32_t shift, int32_t delta, TPoint pos, bool& handled) override;
    void Draw() override;
    // Only the parts that are not entirely inside one of the opaque rectangles.
    void DrawCovered(const std::vector<TRect>& opaqueRects);

    // Animation step: children's AnimationTick, and TopFormTick while on top.
    void Tick(int64_t time);

    std::string HeadLineText() const { return RectToText(HeadLine); }
    void SetHeadLineText(const std::string& value) { TextToRect(value, HeadLine); }
    std::string OpaqueRectText() const { return RectToText(OpaqueRect); }
    void SetOpaqueRectText(const std::string& value) { TextToRect(value, OpaqueRect); }

    // Relative to the form's corner; a press strictly inside starts dragging.
    TRect HeadLine;
    // In screen coordinates: what this form covers completely (with UseOpaqueRect).
    TRect OpaqueRect;
    bool UseOpaqueRect = false;
    bool ClimbOut = false;

    std::vector<TQelInterfaceObject*> Childs;
    // Indexed by TabOrder; empty slots where the order has gaps.
    std::vector<TQelFocusedObject*> FocusList;
    int64_t ShownTime = 0;
    // Set by a hot key to end the current key's dispatch to later children.
    bool KeyStop = false;
    bool Dragging() const { return dragging_; }

private:
    bool IsAncestorOf(const TQelObject* object) const;
    void RememberDragStart(int32_t x, int32_t y);
    void DragTo(int32_t x, int32_t y);
    int FocusedIndex() const;
    void MoveFocus(int step);

    bool dragging_ = false;
    TPoint dragStart_;
    TPoint dragStartPos_;
};

class TQelTabForm : public TQelForm {
public:
    const char* ClassName() const override { return "TQelTabForm"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // Showing a page hides the other pages of its TabGroup on the same parent form.
    void SetVisible(bool value) override;

    int32_t TabGroup = 0;
};
