// The common interface object: its published properties, layout rules, hooks and
// invalidation; and the focusable object.
#include "interface/QelInterfaceObject.h"

#include "foundation/Text.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"

#include <stdexcept>

const std::vector<std::string> kBlendingModeNames = {"bmNormal",  "bmAddBlend", "bmMulBlend", "bmAvrBlend",
                                                     "bmAddBump", "bmMulBump",  "bmAvrBump"};
const std::vector<std::string> kAutoSizeNames = {"asNone", "asPicture", "asCaption"};
const std::vector<std::string> kPictureHAlignNames = {"phaLeft", "phaCenter", "phaRight"};
const std::vector<std::string> kPictureVAlignNames = {"pvaTop", "pvaCenter", "pvaBottom"};
const std::vector<std::string> kHAlignNames = {"haNone", "haLeft", "haCenter", "haRight", "haJustify"};
const std::vector<std::string> kVAlignNames = {"vaNone", "vaTop", "vaCenter", "vaBottom", "vaJustify"};

std::vector<TQelHotKey> ParseHotKeys(const std::string& text)
{
    std::vector<TQelHotKey> keys;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ';' && text[i] != ',')
            continue;
        std::string piece = text.substr(start, i - start);
        auto code = StrictInt(piece);
        if (!code || *code < INT32_MIN || *code > INT32_MAX)
            throw std::runtime_error("'" + piece + "' is not a valid integer value");
        keys.push_back({static_cast<int32_t>(*code), text[i] == ';'});
        start = i + 1;
    }
    return keys;
}

std::string HotKeysText(const std::vector<TQelHotKey>& keys)
{
    std::string text;
    for (const TQelHotKey& k : keys)
        text += IntToStr(k.Code) + (k.Stop ? ";" : ",");
    return text;
}

// ---------------------------------------------------------------------------------------

const TQelPropTable& TQelInterfaceObject::StaticProperties()
{
    using C = TQelInterfaceObject;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelObject::StaticProperties());
        TQelPropsOf<C>(t)
            .Field("Style", &C::Style)
            .Integer("Left", &C::Left, &C::SetLeft)
            .Integer("Top", &C::Top, &C::SetTop)
            .String("BumpMapPicture", &C::BumpMapPicture, &C::SetBumpMapPicture)
            .Field("BlendingMode", &C::BlendingMode, kBlendingModeNames)
            .Enumeration("AutoSize", kAutoSizeNames, &C::AutoSize, &C::SetAutoSize)
            .String("Picture", &C::Picture, &C::SetPicture)
            .Enumeration("PictureHAlign", kPictureHAlignNames, &C::PictureHAlign, &C::SetPictureHAlign)
            .Enumeration("PictureVAlign", kPictureVAlignNames, &C::PictureVAlign, &C::SetPictureVAlign)
            .Integer("PictureShiftLeft", &C::PictureShiftLeft, &C::SetPictureShiftLeft)
            .Integer("PictureShiftTop", &C::PictureShiftTop, &C::SetPictureShiftTop)
            .Byte("PictureAlpha", &C::PictureAlpha, &C::SetPictureAlpha)
            .Integer("Width", &C::Width, &C::SetWidth)
            .Integer("Height", &C::Height, &C::SetHeight)
            .Enumeration("HAlign", kHAlignNames, &C::HAlign, &C::SetHAlign)
            .Enumeration("VAlign", kVAlignNames, &C::VAlign, &C::SetVAlign)
            .Integer("ShiftLeft", &C::ShiftLeft, &C::SetShiftLeft)
            .Integer("ShiftTop", &C::ShiftTop, &C::SetShiftTop)
            .Boolean("Visible", &C::Visible, &C::SetVisible)
            .Field("OnDblClick", &C::OnDblClick)
            .Field("OnKeyDown", &C::OnKeyDown)
            .Field("OnKeyPress", &C::OnKeyPress)
            .Field("OnKeyUp", &C::OnKeyUp)
            .Field("OnMouseDown", &C::OnMouseDown)
            .Field("OnMouseMove", &C::OnMouseMove)
            .Field("OnMouseGetOut", &C::OnMouseGetOut)
            .Field("OnMouseUp", &C::OnMouseUp)
            .String("OnMouseUpHotKey", &C::HotKeysText, &C::SetHotKeysText)
            .Field("OnMouseWheel", &C::OnMouseWheel)
            .Field("SoundKeyDown", &C::SoundKeyDown)
            .Field("SoundKeyPress", &C::SoundKeyPress)
            .Field("SoundKeyUp", &C::SoundKeyUp)
            .Field("SoundMouseWheel", &C::SoundMouseWheel)
            .Field("SoundMouseDown", &C::SoundMouseDown)
            .Field("SoundMouseMove", &C::SoundMouseMove)
            .Field("SoundMouseUp", &C::SoundMouseUp);
        return t;
    }();
    return table;
}

void TQelInterfaceObject::Assign(const TQelObject& source)
{
    TQelObject::Assign(source);
    const auto* s = dynamic_cast<const TQelInterfaceObject*>(&source);
    if (!s)
        return;
    // Style, BumpMapPicture, BlendingMode, OnDblClick, OnMouseGetOut and the hot keys are
    // not copied: clones made by forms never had them.
    left_ = s->left_;
    top_ = s->top_;
    AbsLeft = s->AbsLeft;
    AbsTop = s->AbsTop;
    autoSize_ = s->autoSize_;
    picture_ = s->picture_;
    pictureHAlign_ = s->pictureHAlign_;
    pictureVAlign_ = s->pictureVAlign_;
    PictureX = s->PictureX;
    PictureY = s->PictureY;
    pictureAlpha_ = s->pictureAlpha_;
    width_ = s->width_;
    height_ = s->height_;
    hAlign_ = s->hAlign_;
    vAlign_ = s->vAlign_;
    shiftLeft_ = s->shiftLeft_;
    shiftTop_ = s->shiftTop_;
    visible_ = s->visible_;
    OnKeyDown = s->OnKeyDown;
    OnKeyPress = s->OnKeyPress;
    OnKeyUp = s->OnKeyUp;
    OnMouseDown = s->OnMouseDown;
    OnMouseMove = s->OnMouseMove;
    OnMouseUp = s->OnMouseUp;
    OnMouseWheel = s->OnMouseWheel;
    SoundKeyDown = s->SoundKeyDown;
    SoundKeyPress = s->SoundKeyPress;
    SoundKeyUp = s->SoundKeyUp;
    SoundMouseDown = s->SoundMouseDown;
    SoundMouseMove = s->SoundMouseMove;
    SoundMouseUp = s->SoundMouseUp;
    SoundMouseWheel = s->SoundMouseWheel;
}

// ---------------------------------------------------------------------------------------
// Writers

void TQelInterfaceObject::SetLeft(int32_t value)
{
    if (hAlign_ != THAlignType::haNone)
        return;
    Invalidate();
    left_ = value;
    UpdatePosition();
}

void TQelInterfaceObject::SetTop(int32_t value)
{
    if (vAlign_ != TVAlignType::vaNone)
        return;
    Invalidate();
    top_ = value;
    UpdatePosition();
}

void TQelInterfaceObject::SetWidth(int32_t value)
{
    if (autoSize_ != TAutoSizeType::asNone)
        return;
    Invalidate();
    width_ = value;
    ApplyAlign();
    UpdatePosition();
    UpdatePictureOffset();
}

void TQelInterfaceObject::SetHeight(int32_t value)
{
    if (autoSize_ != TAutoSizeType::asNone)
        return;
    Invalidate();
    height_ = value;
    ApplyAlign();
    UpdatePosition();
    UpdatePictureOffset();
}

void TQelInterfaceObject::SetPicture(const std::string& value)
{
    picture_ = value;
    if (autoSize_ == TAutoSizeType::asCaption)
        return;
    Invalidate();
    ApplyAutoSize();
    ApplyAlign();
    UpdatePosition();
    UpdatePictureOffset();
    TQelSize size = PictureSize(picture_);
    PictureWidth = size.Width;
    PictureHeight = size.Height;
}

void TQelInterfaceObject::SetAutoSize(TAutoSizeType value)
{
    autoSize_ = value;
    ApplyAutoSize();
    Invalidate();
    if (autoSize_ == TAutoSizeType::asCaption)
        return;
    ApplyAlign();
    UpdatePosition();
    UpdatePictureOffset();
}

void TQelInterfaceObject::SetVisible(bool value)
{
    visible_ = value;
    Invalidate();
}

void TQelInterfaceObject::SetPictureHAlign(TPictureHAlignType value)
{
    pictureHAlign_ = value;
    UpdatePictureOffset();
}

void TQelInterfaceObject::SetPictureVAlign(TPictureVAlignType value)
{
    pictureVAlign_ = value;
    UpdatePictureOffset();
}

void TQelInterfaceObject::SetPictureShiftLeft(int32_t value)
{
    pictureShiftLeft_ = value;
    UpdatePictureOffset();
}

void TQelInterfaceObject::SetPictureShiftTop(int32_t value)
{
    pictureShiftTop_ = value;
    UpdatePictureOffset();
}

void TQelInterfaceObject::SetPictureAlpha(uint8_t value)
{
    pictureAlpha_ = value;
    Invalidate();
}

void TQelInterfaceObject::SetHAlign(THAlignType value)
{
    hAlign_ = value;
    Invalidate();
    ApplyAlign();
    UpdatePosition();
}

void TQelInterfaceObject::SetVAlign(TVAlignType value)
{
    vAlign_ = value;
    Invalidate();
    ApplyAlign();
    UpdatePosition();
}

void TQelInterfaceObject::SetShiftLeft(int32_t value)
{
    shiftLeft_ = value;
    Invalidate();
    ApplyAlign();
    UpdatePosition();
}

void TQelInterfaceObject::SetShiftTop(int32_t value)
{
    shiftTop_ = value;
    Invalidate();
    ApplyAlign();
    UpdatePosition();
}

void TQelInterfaceObject::SetBumpMapPicture(const std::string& value)
{
    bumpMapPicture_ = value;
    CurrentBumpMap = value;
}

void TQelInterfaceObject::MoveTo(int32_t x, int32_t y)
{
    bool moveX = hAlign_ == THAlignType::haNone;
    bool moveY = vAlign_ == TVAlignType::vaNone;
    if (moveX) {
        Invalidate();
        left_ = x;
        UpdatePosition();
    }
    if (moveY) {
        Invalidate();
        top_ = y;
        UpdatePosition();
    }
}

// ---------------------------------------------------------------------------------------
// Layout

TQelSize TQelInterfaceObject::PictureSize(const std::string& picture) const
{
    IQelGraphic4* host = Host();
    if (!host || picture.empty())
        return {};
    return host->GetPictureSize(picture);
}

TPoint TQelInterfaceObject::AlignedPictureOffset(int32_t w, int32_t h) const
{
    TPoint p;
    switch (pictureHAlign_) {
    case TPictureHAlignType::phaLeft: p.X = pictureShiftLeft_; break;
    case TPictureHAlignType::phaCenter: p.X = width_ / 2 + pictureShiftLeft_ - w / 2; break;
    case TPictureHAlignType::phaRight: p.X = width_ + pictureShiftLeft_ - w; break;
    }
    switch (pictureVAlign_) {
    case TPictureVAlignType::pvaTop: p.Y = pictureShiftTop_; break;
    case TPictureVAlignType::pvaCenter: p.Y = height_ / 2 + pictureShiftTop_ - h / 2; break;
    case TPictureVAlignType::pvaBottom: p.Y = height_ + pictureShiftTop_ - h; break;
    }
    return p;
}

void TQelInterfaceObject::UpdatePictureOffset()
{
    if (picture_.empty())
        return;
    TQelSize size = PictureSize(picture_);
    if (size.Width < 1 || size.Height < 1)
        return;
    TPoint p = AlignedPictureOffset(size.Width, size.Height);
    PictureX = p.X;
    PictureY = p.Y;
}

std::vector<std::string> TQelInterfaceObject::GetPictures() const
{
    return {picture_};
}

void TQelInterfaceObject::ApplyAutoSize()
{
    if (autoSize_ != TAutoSizeType::asPicture || picture_.empty())
        return;
    TQelSize size = PictureSize(picture_);
    if (size.Width > 0 && size.Height > 0) {
        width_ = size.Width;
        height_ = size.Height;
    }
}

void TQelInterfaceObject::ApplyAlign()
{
    int32_t w = 0, h = 0;
    if (const TQelInterfaceObject* parent = ParentInterfaceObject()) {
        w = parent->width_;
        h = parent->height_;
    } else if (const TQelInterfaceEngine* engine = InterfaceEngine()) {
        w = engine->ScreenWidth;
        h = engine->ScreenHeight;
    }
    switch (hAlign_) {
    case THAlignType::haNone: break;
    case THAlignType::haLeft: left_ = shiftLeft_; break;
    case THAlignType::haCenter: left_ = w / 2 + shiftLeft_ - width_ / 2; break;
    case THAlignType::haRight: left_ = w + shiftLeft_ - width_; break;
    case THAlignType::haJustify:
        if (autoSize_ == TAutoSizeType::asNone) {
            left_ = 0;
            width_ = w;
        }
        break;
    }
    switch (vAlign_) {
    case TVAlignType::vaNone: break;
    case TVAlignType::vaTop: top_ = shiftTop_; break;
    case TVAlignType::vaCenter: top_ = h / 2 + shiftTop_ - height_ / 2; break;
    case TVAlignType::vaBottom: top_ = h + shiftTop_ - height_; break;
    case TVAlignType::vaJustify:
        if (autoSize_ == TAutoSizeType::asNone) {
            top_ = 0;
            height_ = h;
        }
        break;
    }
}

void TQelInterfaceObject::UpdatePosition()
{
    if (const TQelInterfaceObject* parent = ParentInterfaceObject())
        SetAbsPosition(parent->AbsLeft + left_, parent->AbsTop + top_);
    else
        SetAbsPosition(left_, top_);
}

void TQelInterfaceObject::SetAbsPosition(int32_t x, int32_t y)
{
    AbsLeft = x;
    AbsTop = y;
    ClientRect = {AbsLeft, AbsTop, AbsLeft + width_ - 1, AbsTop + height_ - 1};
}

void TQelInterfaceObject::Refresh()
{
    ApplyAutoSize();
    ApplyAlign();
    UpdatePosition();
    UpdatePictureOffset();
    TQelSize size = PictureSize(picture_);
    PictureWidth = size.Width;
    PictureHeight = size.Height;
}

// ---------------------------------------------------------------------------------------
// Hooks, drawing, invalidation

void TQelInterfaceObject::KeyDown(uint16_t&, uint32_t) {}
void TQelInterfaceObject::KeyPress(char16_t&) {}
void TQelInterfaceObject::KeyUp(uint16_t&, uint32_t) {}
void TQelInterfaceObject::MouseDown(TQelMouseButton, uint32_t, int32_t, int32_t) {}
void TQelInterfaceObject::MouseUp(TQelMouseButton, uint32_t, int32_t, int32_t) {}
void TQelInterfaceObject::MouseWheel(uint32_t, int32_t, TPoint, bool&) {}

void TQelInterfaceObject::MouseMove(uint32_t, int32_t x, int32_t y)
{
    MouseInside = Inside(x, y);
}

bool TQelInterfaceObject::Inside(int32_t x, int32_t y) const
{
    return x >= AbsLeft && x < AbsLeft + width_ && y >= AbsTop && y < AbsTop + height_;
}

void TQelInterfaceObject::Draw()
{
    DrawBasePicture();
}

void TQelInterfaceObject::DrawBasePicture()
{
    IQelGraphic4* host = Host();
    if (host && !picture_.empty())
        host->Draw(picture_, bumpMapPicture_, BlendingMode, AbsLeft + PictureX, AbsTop + PictureY, pictureAlpha_,
                   nullptr);
}

void TQelInterfaceObject::Invalidate()
{
    // The marks also end the walk when parent names form a loop.
    for (TQelInterfaceObject* o = this; o && !o->Invalidated; o = o->ParentInterfaceObject()) {
        o->OldRect = o->ScreenRect();
        o->Invalidated = true;
    }
}

void TQelInterfaceObject::QueueEvent(const std::string& sound, const std::string& event) const
{
    TQelInterfaceEngine* engine = InterfaceEngine();
    if (!engine)
        return;
    std::string text = sound.empty() ? event : "PlaySound Sound=\"" + sound + "\";" + event;
    engine->AddScript(Name(), text);
}

void TQelInterfaceObject::NeedRedraw() const
{
    if (TQelInterfaceEngine* engine = InterfaceEngine())
        engine->NeedRedraw = true;
}

IQelTextFont* TQelInterfaceObject::FindFont(const std::string& name) const
{
    const TQelInterfaceEngine* engine = InterfaceEngine();
    return engine ? engine->FindFont(name) : nullptr;
}

TQelInterfaceEngine* TQelInterfaceObject::InterfaceEngine() const
{
    return dynamic_cast<TQelInterfaceEngine*>(Engine);
}

IQelGraphic4* TQelInterfaceObject::Host() const
{
    const TQelInterfaceEngine* engine = InterfaceEngine();
    return engine ? engine->Host : nullptr;
}

TQelForm* TQelInterfaceObject::ParentForm() const
{
    return dynamic_cast<TQelForm*>(ParentObject);
}

TQelInterfaceObject* TQelInterfaceObject::ParentInterfaceObject() const
{
    return dynamic_cast<TQelInterfaceObject*>(ParentObject);
}

// ---------------------------------------------------------------------------------------

const TQelPropTable& TQelFocusedObject::StaticProperties()
{
    using C = TQelFocusedObject;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelInterfaceObject::StaticProperties());
        TQelPropsOf<C>(t)
            .Boolean("Focused", &C::Focused, &C::SetFocused)
            .Integer("TabOrder", &C::TabOrder, &C::SetTabOrder);
        return t;
    }();
    return table;
}

void TQelFocusedObject::SetFocused(bool value)
{
    focused_ = value;
    Invalidate();
}

void TQelFocusedObject::SetTabOrder(int32_t value)
{
    const TQelInterfaceEngine* engine = InterfaceEngine();
    TQelForm* form = ParentForm();
    if ((engine && engine->ReadingState() == kReadingState) || !form) {
        tabOrder_ = value;
        return;
    }
    tabOrder_ = form->MoveInFocusList(this, value);
}

void TQelFocusedObject::MouseDown(TQelMouseButton, uint32_t, int32_t x, int32_t y)
{
    Pressed = Inside(x, y);
    if (!Pressed)
        return;
    focused_ = true;
    TQelForm* form = ParentForm();
    if (!form)
        return;
    int focusable = 0;
    for (TQelFocusedObject* o : form->FocusList)
        focusable += o != nullptr;
    if (focusable > 1) {
        for (TQelFocusedObject* o : form->FocusList)
            if (o && o != this && o->Focused())
                o->SetFocused(false);
        Invalidate();
    }
}
