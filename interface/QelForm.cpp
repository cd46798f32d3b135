// Forms: children, focus order, input dispatch to the children, dragging by the head
// line, drawing and the animation step; tab forms.
#include "interface/QelForm.h"

#include "foundation/Text.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelLabel.h"

#include <algorithm>
#include <stdexcept>

// A focus list longer than this comes only from a broken TabOrder value.
constexpr int32_t kMaxFocusList = 1000;

std::string RectToText(const TRect& rect)
{
    return IntToStr(rect.Left) + ";" + IntToStr(rect.Top) + ";" + IntToStr(rect.Right) + ";" + IntToStr(rect.Bottom) +
           ";";
}

void TextToRect(const std::string& text, TRect& rect)
{
    int32_t values[4] = {rect.Left, rect.Top, rect.Right, rect.Bottom};
    size_t start = 0;
    for (int n = 0; n < 4; ++n) {
        size_t end = text.find(';', start);
        if (end == std::string::npos)
            break;
        std::string piece = text.substr(start, end - start);
        auto v = StrictInt(piece);
        if (!v || *v < INT32_MIN || *v > INT32_MAX)
            throw std::runtime_error("'" + piece + "' is not a valid integer value");
        values[n] = static_cast<int32_t>(*v);
        start = end + 1;
    }
    rect = {values[0], values[1], values[2], values[3]};
}

const TQelPropTable& TQelForm::StaticProperties()
{
    using C = TQelForm;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelInterfaceObject::StaticProperties());
        TQelPropsOf<C>(t)
            .String("HeadLine", &C::HeadLineText, &C::SetHeadLineText)
            .String("OpaqueRect", &C::OpaqueRectText, &C::SetOpaqueRectText)
            .Field("UseOpaqueRect", &C::UseOpaqueRect)
            .Field("ClimbOut", &C::ClimbOut);
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------------------
// Children

bool TQelForm::IsAncestorOf(const TQelObject* object) const
{
    // Parent names from a file may form a loop; a chain longer than the engine is one.
    size_t steps = Engine ? Engine->Objects.size() + 1 : 64;
    for (const TQelObject* o = ParentObject; o && steps > 0; o = o->ParentObject, --steps)
        if (o == object)
            return true;
    return false;
}

void TQelForm::CollectChilds()
{
    Childs.clear();
    if (!Engine)
        return;
    for (auto& object : Engine->Objects) {
        auto* child = dynamic_cast<TQelInterfaceObject*>(object.get());
        if (child && child != this && child->ParentName == Name() && !IsAncestorOf(child))
            Childs.push_back(child);
    }
}

void TQelForm::BuildFocusList()
{
    FocusList.clear();
    for (TQelInterfaceObject* child : Childs) {
        auto* focused = dynamic_cast<TQelFocusedObject*>(child);
        if (!focused || focused->TabOrder() < 0 || focused->TabOrder() >= kMaxFocusList)
            continue;
        size_t index = static_cast<size_t>(focused->TabOrder());
        if (FocusList.size() <= index)
            FocusList.resize(index + 1, nullptr);
        FocusList[index] = focused;
    }
}

int32_t TQelForm::MoveInFocusList(TQelFocusedObject* object, int32_t index)
{
    auto it = std::find(FocusList.begin(), FocusList.end(), object);
    if (it == FocusList.end())
        return std::clamp(index, 0, std::max<int32_t>(0, static_cast<int32_t>(FocusList.size()) - 1));
    FocusList.erase(it);
    index = std::clamp(index, 0, static_cast<int32_t>(FocusList.size()));
    FocusList.insert(FocusList.begin() + index, object);
    return index;
}

void TQelForm::DeleteChild(const std::string& name)
{
    auto it = std::find_if(Childs.begin(), Childs.end(), [&](TQelInterfaceObject* c) { return c->Name() == name; });
    if (it == Childs.end())
        return;
    TQelInterfaceObject* child = *it;
    Childs.erase(it);
    if (auto* form = dynamic_cast<TQelForm*>(child))
        form->DeleteChilds();
    if (auto* engine = InterfaceEngine())
        engine->FreeObject(child);
}

void TQelForm::DeleteChilds()
{
    std::vector<TQelInterfaceObject*> childs;
    childs.swap(Childs);
    FocusList.clear();
    for (TQelInterfaceObject* child : childs) {
        if (auto* form = dynamic_cast<TQelForm*>(child))
            form->DeleteChilds();
        if (auto* engine = InterfaceEngine())
            engine->FreeObject(child);
    }
}

void TQelForm::ForgetObject(const TQelObject* dying)
{
    TQelInterfaceObject::ForgetObject(dying);
    std::erase(Childs, dying);
    for (TQelFocusedObject*& slot : FocusList)
        if (slot == dying)
            slot = nullptr;
}

void TQelForm::SetName(const std::string& value)
{
    TQelInterfaceObject::SetName(value);
    for (TQelInterfaceObject* child : Childs)
        child->ParentName = Name();
}

void TQelForm::SetVisible(bool value)
{
    TQelInterfaceObject::SetVisible(value);
    if (value)
        return;
    ShownTime = 0;
    for (TQelInterfaceObject* child : Childs)
        child->FormHidden();
}

void TQelForm::UpdatePosition()
{
    TQelInterfaceObject::UpdatePosition();
    for (TQelInterfaceObject* child : Childs)
        child->Refresh();
}

void TQelForm::Assign(const TQelObject& source)
{
    TQelInterfaceObject::Assign(source);
    const auto* form = dynamic_cast<const TQelForm*>(&source);
    if (!form || form == this || !Engine)
        return;
    for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(form->Childs)) {
        int index = Engine->AddObject(Name() + child->Name(), Name(), child->ClassName());
        if (index < 0)
            continue;
        auto* clone = dynamic_cast<TQelInterfaceObject*>(Engine->Objects[static_cast<size_t>(index)].get());
        if (!clone)
            continue;
        clone->Assign(*child);
        Childs.push_back(clone);
    }
    Engine->SetParents();
}

std::vector<std::string> TQelForm::GetPictures() const
{
    std::vector<std::string> pictures;
    auto add = [&](const std::vector<std::string>& names) {
        for (const std::string& n : names)
            if (!n.empty() && std::find(pictures.begin(), pictures.end(), n) == pictures.end())
                pictures.push_back(n);
    };
    add(TQelInterfaceObject::GetPictures());
    for (const TQelInterfaceObject* child : Childs)
        add(child->GetPictures());
    return pictures;
}

// ---------------------------------------------------------------------------------------
// Focus

int TQelForm::FocusedIndex() const
{
    for (size_t i = 0; i < FocusList.size(); ++i)
        if (FocusList[i] && FocusList[i]->Focused())
            return static_cast<int>(i);
    return 0;
}

void TQelForm::MoveFocus(int step)
{
    const int count = static_cast<int>(FocusList.size());
    if (std::none_of(FocusList.begin(), FocusList.end(), [](auto* o) { return o != nullptr; }))
        return;
    const int i = FocusedIndex();
    // Empty slots (gaps in TabOrder) are passed over.
    int j = i;
    do
        j = (j + step + count) % count;
    while (!FocusList[static_cast<size_t>(j)] && j != i);
    if (j == i)
        return;
    FocusList[static_cast<size_t>(j)]->SetFocused(true);
    if (FocusList[static_cast<size_t>(i)])
        FocusList[static_cast<size_t>(i)]->SetFocused(false);
}

void TQelForm::FocusNext()
{
    MoveFocus(1);
}

void TQelForm::FocusPrev()
{
    MoveFocus(-1);
}

// ---------------------------------------------------------------------------------------
// Input

void TQelForm::KeyDown(uint16_t& key, uint32_t shift)
{
    if (key == QelKey::kTab) {
        if (shift & QelShift::kShift)
            FocusPrev();
        else
            FocusNext();
        return;
    }
    for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(Childs)) {
        if (KeyStop)
            break;
        if (!child->Visible())
            continue;
        if (std::string_view(child->ClassName()) == "TQelLabel")
            child->KeyDown(key, shift);
        else if (auto* focused = dynamic_cast<TQelFocusedObject*>(child)) {
            if (focused->Focused())
                focused->KeyDown(key, shift);
        } else if (dynamic_cast<TQelForm*>(child)) {
            child->KeyDown(key, shift);
        }
    }
    // A stop set by the last child must not swallow the next key.
    KeyStop = false;
}

void TQelForm::KeyPress(char16_t& ch)
{
    for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(Childs))
        child->KeyPress(ch);
}

void TQelForm::KeyUp(uint16_t& key, uint32_t shift)
{
    for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(Childs))
        child->KeyUp(key, shift);
}

void TQelForm::RememberDragStart(int32_t x, int32_t y)
{
    dragging_ = true;
    dragStart_ = {x, y};
    dragStartPos_ = {Left(), Top()};
    for (TQelInterfaceObject* child : Childs) {
        child->DragStartAbs = {child->AbsLeft, child->AbsTop};
        if (auto* form = dynamic_cast<TQelForm*>(child))
            for (TQelInterfaceObject* grandchild : form->Childs)
                grandchild->DragStartAbs = {grandchild->AbsLeft, grandchild->AbsTop};
    }
}

void TQelForm::MouseDown(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y)
{
    if (button == TQelMouseButton::Left && AbsLeft + HeadLine.Left < x && x < AbsLeft + HeadLine.Right &&
        AbsTop + HeadLine.Top < y && y < AbsTop + HeadLine.Bottom)
        RememberDragStart(x, y);
    for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(Childs))
        if (child->Visible())
            child->MouseDown(button, shift, x, y);
}

void TQelForm::DragTo(int32_t x, int32_t y)
{
    const TQelInterfaceEngine* engine = InterfaceEngine();
    const int32_t screenW = engine ? engine->ScreenWidth : 800;
    const int32_t screenH = engine ? engine->ScreenHeight : 600;
    // One axis: the new position for a pointer moved by `moved`, kept on the screen
    // unless ClimbOut; gives how far the children move.
    auto axis = [&](bool free, int32_t start, int32_t moved, int32_t size, int32_t screen, int32_t& pos) {
        if (!free)
            return 0;
        int32_t d = moved;
        if (ClimbOut) {
            pos = start - d;
        } else if (start - d < 0) {
            pos = 0;
            d = start;
        } else {
            pos = start - d;
            if (pos + size >= screen) {
                pos = screen - size;
                d = start + size - screen;
            }
        }
        return d;
    };
    int32_t newLeft = Left(), newTop = Top();
    const int32_t dx =
        axis(HAlign() == THAlignType::haNone, dragStartPos_.X, dragStart_.X - x, Width(), screenW, newLeft);
    const int32_t dy =
        axis(VAlign() == TVAlignType::vaNone, dragStartPos_.Y, dragStart_.Y - y, Height(), screenH, newTop);
    MoveTo(newLeft, newTop);
    for (TQelInterfaceObject* child : Childs) {
        child->SetAbsPosition(child->DragStartAbs.X - dx, child->DragStartAbs.Y - dy);
        if (auto* form = dynamic_cast<TQelForm*>(child))
            for (TQelInterfaceObject* grandchild : form->Childs)
                grandchild->SetAbsPosition(grandchild->DragStartAbs.X - dx, grandchild->DragStartAbs.Y - dy);
    }
    NeedRedraw();
}

void TQelForm::MouseMove(uint32_t shift, int32_t x, int32_t y)
{
    TQelInterfaceObject::MouseMove(shift, x, y);
    if (dragging_ && (shift & QelShift::kLeft)) {
        DragTo(x, y);
        return;
    }
    for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(Childs))
        if (child->Visible())
            child->MouseMove(shift, x, y);
}

void TQelForm::MouseUp(TQelMouseButton button, uint32_t shift, int32_t x, int32_t y)
{
    dragging_ = false;
    for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(Childs))
        if (child->Visible())
            child->MouseUp(button, shift, x, y);
}

void TQelForm::MouseWheel(uint32_t shift, int32_t delta, TPoint pos, bool& handled)
{
    for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(Childs))
        if (child->Visible())
            child->MouseWheel(shift, delta, pos, handled);
}

// ---------------------------------------------------------------------------------------
// Drawing and animation

void TQelForm::Draw()
{
    DrawBasePicture();
    for (TQelInterfaceObject* child : Childs)
        if (child->Visible())
            child->Draw();
}

static bool EntirelyInside(const TRect& r, const std::vector<TRect>& opaque)
{
    for (const TRect& o : opaque)
        if (r.Left >= o.Left && r.Top >= o.Top && r.Right <= o.Right && r.Bottom <= o.Bottom)
            return true;
    return false;
}

void TQelForm::DrawCovered(const std::vector<TRect>& opaqueRects)
{
    if (!EntirelyInside(ClientRect, opaqueRects))
        DrawBasePicture();
    for (TQelInterfaceObject* child : Childs)
        if (child->Visible() && !EntirelyInside(child->ClientRect, opaqueRects))
            child->Draw();
}

void TQelForm::Tick(int64_t time)
{
    if (ShownTime == 0)
        ShownTime = time;
    for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(Childs))
        child->AnimationTick(time);
    const TQelInterfaceEngine* engine = InterfaceEngine();
    if (engine && engine->TopModal() == this)
        for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(Childs))
            child->TopFormTick(time);
}

// ---------------------------------------------------------------------------------------

const TQelPropTable& TQelTabForm::StaticProperties()
{
    using C = TQelTabForm;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelForm::StaticProperties());
        TQelPropsOf<C>(t).Field("TabGroup", &C::TabGroup);
        return t;
    }();
    return table;
}

void TQelTabForm::SetVisible(bool value)
{
    if (value)
        if (TQelForm* parent = ParentForm())
            for (TQelInterfaceObject* sibling : parent->Childs) {
                auto* page = dynamic_cast<TQelTabForm*>(sibling);
                if (page && page != this && std::string_view(page->ClassName()) == "TQelTabForm" &&
                    page->TabGroup == TabGroup)
                    page->visible_ = false;
            }
    TQelForm::SetVisible(value);
}
