// What every interface object has in common: published geometry, picture and event
// properties, alignment inside its parent, drawing through the host, mouse and key
// hooks, and invalidation for the redraw.
#pragma once

#include "foundation/Geometry.h"
#include "foundation/QelBaseClasses.h"
#include "interface/QelInput.h"
#include "interface/QelInterfaceHost.h"

#include <cstdint>
#include <string>
#include <vector>

class TQelInterfaceEngine;
class TQelForm;
class IQelTextFont;

enum class TAutoSizeType { asNone, asPicture, asCaption };
enum class TPictureHAlignType { phaLeft, phaCenter, phaRight };
enum class TPictureVAlignType { pvaTop, pvaCenter, pvaBottom };
enum class THAlignType { haNone, haLeft, haCenter, haRight, haJustify };
enum class TVAlignType { vaNone, vaTop, vaCenter, vaBottom, vaJustify };

extern const std::vector<std::string> kAutoSizeNames;
extern const std::vector<std::string> kPictureHAlignNames;
extern const std::vector<std::string> kPictureVAlignNames;
extern const std::vector<std::string> kHAlignNames;
extern const std::vector<std::string> kVAlignNames;

// One entry of OnMouseUpHotKey: a key code (0 = any key) and whether later siblings of
// the form still see the key.
struct TQelHotKey {
    int32_t Code = 0;
    bool Stop = false;
    friend bool operator==(const TQelHotKey&, const TQelHotKey&) = default;
};

// "13;27," -> {13 stop, 27 go on}; text after the last terminator is ignored. Throws for a
// code that is not a number.
std::vector<TQelHotKey> ParseHotKeys(const std::string& text);
std::string HotKeysText(const std::vector<TQelHotKey>& keys);

class TQelInterfaceObject : public TQelObject {
public:
    TQelInterfaceObject() = default;

    const char* ClassName() const override { return "TQelInterfaceObject"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    void Assign(const TQelObject& source) override;

    // Property writers; the ones with effects are virtual so widgets can extend them.
    virtual void SetLeft(int32_t value);
    virtual void SetTop(int32_t value);
    virtual void SetWidth(int32_t value);
    virtual void SetHeight(int32_t value);
    virtual void SetPicture(const std::string& value);
    virtual void SetAutoSize(TAutoSizeType value);
    virtual void SetVisible(bool value);
    void SetPictureHAlign(TPictureHAlignType value);
    void SetPictureVAlign(TPictureVAlignType value);
    void SetPictureShiftLeft(int32_t value);
    void SetPictureShiftTop(int32_t value);
    void SetPictureAlpha(uint8_t value);
    void SetHAlign(THAlignType value);
    void SetVAlign(TVAlignType value);
    void SetShiftLeft(int32_t value);
    void SetShiftTop(int32_t value);
    void SetBumpMapPicture(const std::string& value);
    void SetHotKeysText(const std::string& value) { HotKeys = ParseHotKeys(value); }
    std::string HotKeysText() const { return ::HotKeysText(HotKeys); }

    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    const std::string& Picture() const { return picture_; }
    TAutoSizeType AutoSize() const { return autoSize_; }
    bool Visible() const { return visible_; }
    TPictureHAlignType PictureHAlign() const { return pictureHAlign_; }
    TPictureVAlignType PictureVAlign() const { return pictureVAlign_; }
    int32_t PictureShiftLeft() const { return pictureShiftLeft_; }
    int32_t PictureShiftTop() const { return pictureShiftTop_; }
    uint8_t PictureAlpha() const { return pictureAlpha_; }
    THAlignType HAlign() const { return hAlign_; }
    TVAlignType VAlign() const { return vAlign_; }
    int32_t ShiftLeft() const { return shiftLeft_; }
    int32_t ShiftTop() const { return shiftTop_; }
    const std::string& BumpMapPicture() const { return bumpMapPicture_; }

    // Moves the object as dragging does: only along the axes that are not aligned.
    void MoveTo(int32_t x, int32_t y);

    virtual void UpdatePictureOffset();
    virtual std::vector<std::string> GetPictures() const;
    virtual void ApplyAutoSize();
    void ApplyAlign();
    virtual void UpdatePosition();
    // Lays the object out again from its properties (after the screen or parent changed).
    virtual void Refresh();

    virtual void KeyDown(uint16_t& key, uint32_t shift);
    virtual void KeyPress(char16_t& ch);
    virtual void KeyUp(uint16_t& key, uint32_t shift);
    virtual void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y);
    virtual void MouseMove(uint32_t shift, int32_t x, int32_t y);
    virtual void MouseUp(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y);
    virtual void MouseWheel(uint32_t shift, int32_t delta, TPoint pos, bool& handled);

    // Draws the object; the form checks visibility before calling it.
    virtual void Draw();
    virtual void Redraw() { DrawBasePicture(); }

    // Animation hooks called by the form each frame: AnimationTick for every child,
    // TopFormTick only while the form is on top of the modal list.
    virtual void AnimationTick(int64_t time) { (void)time; }
    virtual void TopFormTick(int64_t time) { (void)time; }
    // The form this object belongs to was hidden.
    virtual void FormHidden() {}

    // Marks the area the object covers now for redraw, once per drawing pass, and its
    // parents up to the form.
    void Invalidate();
    bool Inside(int32_t x, int32_t y) const;
    // The screen rectangle (AbsLeft, AbsTop, AbsLeft + Width, AbsTop + Height).
    TRect ScreenRect() const { return MakeRect(AbsLeft, AbsTop, width_, height_); }
    void SetAbsPosition(int32_t x, int32_t y);

    TQelInterfaceEngine* InterfaceEngine() const;
    IQelGraphic4* Host() const;
    TQelForm* ParentForm() const;
    TQelInterfaceObject* ParentInterfaceObject() const;

    // Published, stored only.
    std::string Style;
    TBlendingMode BlendingMode = TBlendingMode::bmNormal;
    std::string OnDblClick;
    std::string OnKeyDown, OnKeyPress, OnKeyUp;
    std::string OnMouseDown, OnMouseMove, OnMouseGetOut, OnMouseUp;
    std::string OnMouseWheel;
    std::string SoundKeyDown, SoundKeyPress, SoundKeyUp, SoundMouseWheel;
    std::string SoundMouseDown, SoundMouseMove, SoundMouseUp;

    // Layout and state.
    int32_t AbsLeft = 0;
    int32_t AbsTop = 0;
    TRect ClientRect;  // right and bottom inclusive: the last pixel column and row
    int32_t PictureX = 0;
    int32_t PictureY = 0;
    int32_t PictureWidth = 0;
    int32_t PictureHeight = 0;
    std::string CurrentBumpMap;
    std::vector<TQelHotKey> HotKeys;
    bool Invalidated = false;
    TRect OldRect;
    bool MouseInside = false;
    // Absolute position remembered when a form drag starts.
    TPoint DragStartAbs;

protected:
    TQelSize PictureSize(const std::string& picture) const;
    // Offset of a picture of size (w, h) inside the object by the picture alignment.
    TPoint AlignedPictureOffset(int32_t w, int32_t h) const;
    void DrawBasePicture();
    // "PlaySound Sound=\"s\";" + event when the sound is set; queued with the engine.
    void QueueEvent(const std::string& sound, const std::string& event) const;
    IQelTextFont* FindFont(const std::string& name) const;
    void NeedRedraw() const;

    int32_t left_ = 0;
    int32_t top_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::string picture_;
    TAutoSizeType autoSize_ = TAutoSizeType::asNone;
    bool visible_ = false;

private:
    TPictureHAlignType pictureHAlign_ = TPictureHAlignType::phaLeft;
    TPictureVAlignType pictureVAlign_ = TPictureVAlignType::pvaTop;
    int32_t pictureShiftLeft_ = 0;
    int32_t pictureShiftTop_ = 0;
    uint8_t pictureAlpha_ = 255;
    THAlignType hAlign_ = THAlignType::haNone;
    TVAlignType vAlign_ = TVAlignType::vaNone;
    int32_t shiftLeft_ = 0;
    int32_t shiftTop_ = 0;
    std::string bumpMapPicture_;
};

// A widget that takes the keyboard focus (edit, memo, grid). Its form keeps the focus
// order by TabOrder.
class TQelFocusedObject : public TQelInterfaceObject {
public:
    const char* ClassName() const override { return "TQelFocusedObject"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    virtual void SetFocused(bool value);
    bool Focused() const { return focused_; }
    // While a file is read the order is stored as given; afterwards it is clamped to the
    // form's focus list and the object moves to that place of the list.
    void SetTabOrder(int32_t value);
    int32_t TabOrder() const { return tabOrder_; }

    void MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y) override;

    bool Pressed = false;

protected:
    bool focused_ = false;
    int32_t tabOrder_ = 0;
};
