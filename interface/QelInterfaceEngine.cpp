// The interface engine at run time: the modal list, input routing to the top form,
// ticks, the drawing pass, the redraw rectangles and object deletion.
#include "interface/QelInterfaceEngine.h"

#include "foundation/QelLog.h"
#include "foundation/Services.h"

#include <algorithm>

TQelInterfaceEngine::TQelInterfaceEngine(const TQelClassReg& classes)
    : TQelEngine(classes), Scripts("Scripts", nullptr, {})
{
}

TQelInterfaceEngine::~TQelInterfaceEngine()
{
    ModalList.clear();
}

TQelInterfaceEngine::TDispatch::~TDispatch()
{
    if (--engine_.depth_ == 0 && engine_.clearPending_) {
        engine_.clearPending_ = false;
        engine_.ClearNow();
    }
}

void TQelInterfaceEngine::ShowMessage(const std::string& message) const
{
    if (TQelLog* log = EngineLog())
        log->AddAndShow(message, MessageBox);
    else if (MessageBox)
        MessageBox->Show("", message);
}

IQelTextFont* TQelInterfaceEngine::FindFont(const std::string& name) const
{
    return FontEngine ? FontEngine->FindFont(name) : nullptr;
}

void TQelInterfaceEngine::ForEachForm(const std::function<void(TQelForm&)>& action)
{
    for (auto& object : Objects)
        if (auto* form = dynamic_cast<TQelForm*>(object.get()))
            action(*form);
}

// ---------------------------------------------------------------------------------------
// The modal list

bool TQelInterfaceEngine::IsShown(const TQelForm* form) const
{
    return std::find(ModalList.begin(), ModalList.end(), form) != ModalList.end();
}

void TQelInterfaceEngine::ShowModal(const std::string& name)
{
    QelGuard("TQelInterfaceEngine.ShowModal", [&] {
        for (const TQelForm* form : ModalList)
            if (form->Name() == name)
                return;
        // Only forms can be shown; another object of that name is left alone.
        auto* form = dynamic_cast<TQelForm*>(GetObjectByName(name));
        if (!form || IsShown(form))
            return;
        ModalList.push_back(form);
        form->Invalidate();
        NeedRedraw = true;
        form->SetVisible(true);
        if (OnModalChange)
            OnModalChange(name, true);
    });
}

static std::string NotInModalList(const std::string& name)
{
    return "Exception error in [TQelInterfaceEngine.HideModal] [Name:" + name + "] not present in ModalList!";
}

void TQelInterfaceEngine::HideModal(const std::string& name)
{
    QelGuard("TQelInterfaceEngine.HideModal", [&] {
        if (ModalList.empty())
            return;
        if (std::none_of(ModalList.begin(), ModalList.end(), [&](const TQelForm* f) { return f->Name() == name; })) {
            ShowMessage(NotInModalList(name));
            return;
        }
        while (ModalList.back()->Name() != name) {
            TQelForm* top = ModalList.back();
            top->SetVisible(false);
            ModalList.pop_back();
            if (OnModalChange)
                OnModalChange(top->Name(), false);
        }
        TQelForm* named = ModalList.back();
        const TRect covered = named->ScreenRect();
        named->SetVisible(false);
        ModalList.pop_back();
        if (OnModalChange)
            OnModalChange(name, false);
        // The form now on top redraws the area the hidden one covered.
        if (TQelForm* top = TopModal()) {
            top->OldRect = covered;
            top->Invalidated = true;
        }
        NeedRedraw = true;
    });
}

void TQelInterfaceEngine::HideModal()
{
    if (TQelForm* top = TopModal())
        HideModal(top->Name());
}

void TQelInterfaceEngine::HideModalList()
{
    if (!ModalList.empty())
        HideModal(ModalList.front()->Name());
}

void TQelInterfaceEngine::ChangeModal(const std::string& hide, const std::string& show)
{
    QelGuard("TQelInterfaceEngine.ChangeModal", [&] {
        if (std::none_of(ModalList.begin(), ModalList.end(), [&](const TQelForm* f) { return f->Name() == hide; })) {
            ShowMessage(NotInModalList(hide));
        } else {
            const size_t before = ModalList.size();
            while (!ModalList.empty()) {
                const std::string top = ModalList.back()->Name();
                HideModal(top);
                if (top == hide)
                    break;
            }
            if (ModalList.size() < before)
                ShowModal(show);
        }
        DirtyRect = {0, 0, ScreenWidth, ScreenHeight};
        if (TQelForm* top = TopModal())
            top->Invalidate();
        NeedRedraw = true;
    });
}

void TQelInterfaceEngine::ChangeModal(const std::string& show)
{
    if (TQelForm* top = TopModal())
        ChangeModal(top->Name(), show);
}

// ---------------------------------------------------------------------------------------
// Input

void TQelInterfaceEngine::KeyDown(TQelKeyEvent& event)
{
    QelGuard("TQelInterfaceEngine.KeyDown", [&] {
        TDispatch dispatch(*this);
        if (TQelForm* top = TopModal()) {
            top->KeyDown(event.Key, event.Shift);
            RunScripts();
        }
    });
}

void TQelInterfaceEngine::KeyPress(char16_t& ch)
{
    QelGuard("TQelInterfaceEngine.KeyPress", [&] {
        TDispatch dispatch(*this);
        if (TQelForm* top = TopModal()) {
            top->KeyPress(ch);
            RunScripts();
        }
    });
}

void TQelInterfaceEngine::MouseDown(const TQelMouseEvent& event)
{
    QelGuard("TQelInterfaceEngine.MouseDown", [&] {
        TDispatch dispatch(*this);
        if (TQelForm* top = TopModal()) {
            top->MouseDown(event.Button, event.Shift, event.X, event.Y);
            RunScripts();
        }
    });
}

void TQelInterfaceEngine::MouseMove(const TQelMouseEvent& event)
{
    QelGuard("TQelInterfaceEngine.MouseMove", [&] {
        TDispatch dispatch(*this);
        if (TQelForm* top = TopModal()) {
            top->MouseMove(event.Shift, event.X, event.Y);
            RunScripts();
        }
    });
}

void TQelInterfaceEngine::MouseUp(const TQelMouseEvent& event)
{
    QelGuard("TQelInterfaceEngine.MouseUp", [&] {
        TDispatch dispatch(*this);
        if (TQelForm* top = TopModal()) {
            top->MouseUp(event.Button, event.Shift, event.X, event.Y);
            RunScripts();
        }
    });
}

bool TQelInterfaceEngine::MouseWheel(const TQelWheelEvent& event)
{
    return QelGuard("TQelInterfaceEngine.MouseWheel", [&] {
        TDispatch dispatch(*this);
        bool handled = false;
        if (TQelForm* top = TopModal()) {
            top->MouseWheel(event.Shift, event.Delta, {event.X, event.Y}, handled);
            RunScripts();
        }
        return handled;
    });
}

// ---------------------------------------------------------------------------------------
// Frame work

void TQelInterfaceEngine::Tick(int64_t time)
{
    TDispatch dispatch(*this);
    for (TQelForm* form : std::vector<TQelForm*>(ModalList)) {
        if (!IsShown(form) || !form->Visible())
            continue;
        form->Tick(time);
        for (TQelInterfaceObject* child : std::vector<TQelInterfaceObject*>(form->Childs))
            if (auto* childForm = dynamic_cast<TQelForm*>(child); childForm && childForm->Visible())
                childForm->Tick(time);
    }
}

void TQelInterfaceEngine::Draw()
{
    if (Host && NeedRedraw) {
        for (TQelForm* form : ModalList) {
            if (!form->Visible())
                continue;
            Host->DrawBumpMap(form->Picture(), form->CurrentBumpMap, form->AbsLeft, form->AbsTop);
            for (TQelInterfaceObject* child : form->Childs)
                if (child->Visible())
                    Host->DrawBumpMap(child->Picture(), child->CurrentBumpMap, child->AbsLeft, child->AbsTop);
        }
        NeedRedraw = false;
    }
    OpaqueRects.clear();
    for (const TQelForm* form : ModalList)
        if (form->Visible() && form->UseOpaqueRect)
            OpaqueRects.push_back(form->OpaqueRect);
    if (Host)
        for (size_t i = 0; i < ModalList.size(); ++i) {
            TQelForm* form = ModalList[i];
            if (!form->Visible())
                continue;
            const TQelForm* above = i + 1 < ModalList.size() ? ModalList[i + 1] : nullptr;
            if (above && above->UseOpaqueRect)
                form->DrawCovered(OpaqueRects);
            else
                form->Draw();
            Host->PostFormDraw(form->Name());
        }
    DirtyRect = {};
    for (auto& object : Objects)
        if (auto* o = dynamic_cast<TQelInterfaceObject*>(object.get())) {
            o->Invalidated = false;
            o->OldRect = {};
        }
}

std::vector<TRect> TQelInterfaceEngine::GetChangedRects() const
{
    std::vector<TRect> rects;
    auto addMarked = [&](const TQelInterfaceObject& o) {
        rects.push_back(o.ScreenRect());
        if (!(o.OldRect == o.ScreenRect()))
            rects.push_back(o.OldRect);
    };
    for (const TQelForm* form : ModalList) {
        if (!form->Invalidated)
            continue;
        rects.push_back(form->OldRect);
        rects.push_back(form->ScreenRect());
        for (const TQelInterfaceObject* child : form->Childs) {
            if (child->Invalidated) {
                addMarked(*child);
            } else if (const auto* childForm = dynamic_cast<const TQelForm*>(child)) {
                for (const TQelInterfaceObject* grandchild : childForm->Childs)
                    if (grandchild->Invalidated)
                        addMarked(*grandchild);
            }
        }
    }
    return rects;
}

std::vector<TRect> TQelInterfaceEngine::GetAllRects() const
{
    std::vector<TRect> rects;
    for (const TQelForm* form : ModalList) {
        rects.push_back(MakeRect(form->Left(), form->Top(), form->Width(), form->Height()));
        for (const TQelInterfaceObject* child : form->Childs) {
            if (!child->Visible())
                continue;
            rects.push_back(child->ScreenRect());
            if (const auto* childForm = dynamic_cast<const TQelForm*>(child))
                for (const TQelInterfaceObject* grandchild : childForm->Childs)
                    if (grandchild->Visible())
                        rects.push_back(grandchild->ScreenRect());
        }
    }
    return rects;
}

std::vector<std::string> TQelInterfaceEngine::GetPicturesList() const
{
    std::vector<std::string> pictures;
    for (const auto& object : Objects)
        if (const auto* form = dynamic_cast<const TQelForm*>(object.get()))
            for (const std::string& name : form->GetPictures())
                if (!name.empty() && std::find(pictures.begin(), pictures.end(), name) == pictures.end())
                    pictures.push_back(name);
    return pictures;
}

void TQelInterfaceEngine::UpdateScreenSize()
{
    if (!Host)
        return;
    TQelSize size = Host->GetScreenSize();
    if (size.Width == ScreenWidth && size.Height == ScreenHeight)
        return;
    ScreenWidth = size.Width;
    ScreenHeight = size.Height;
    RefreshForms();
}

void TQelInterfaceEngine::RefreshForms()
{
    ForEachForm([](TQelForm& form) {
        if (std::string_view(form.ClassName()) == "TQelForm")
            form.Refresh();
    });
}

// ---------------------------------------------------------------------------------------
// Objects

void TQelInterfaceEngine::FreeObject(const TQelObject* object)
{
    for (size_t i = 0; i < Objects.size(); ++i)
        if (Objects[i].get() == object) {
            TQelEngine::DeleteObject(static_cast<int>(i));
            return;
        }
}

void TQelInterfaceEngine::DeleteObject(const std::string& name)
{
    TQelObject* object = GetObjectByName(name);
    if (!object)
        return;
    if (auto* parent = dynamic_cast<TQelForm*>(object->ParentObject);
        parent && std::find(parent->Childs.begin(), parent->Childs.end(), object) != parent->Childs.end()) {
        parent->DeleteChild(name);
        return;
    }
    auto* form = dynamic_cast<TQelForm*>(object);
    if (form && TopModal() == form)
        HideModal(name);
    if (form)
        form->DeleteChilds();
    FreeObject(object);
}

void TQelInterfaceEngine::ObjectDeleting(TQelObject& dying)
{
    // Wherever the form stands in the list: a freed form must never be drawn.
    std::erase(ModalList, &dying);
    TQelEngine::ObjectDeleting(dying);
}

TQelObject* TQelInterfaceEngine::ScriptSender() const
{
    return scriptSender_.empty() ? nullptr : GetObjectByName(scriptSender_);
}

void TQelInterfaceEngine::Clear()
{
    if (depth_ > 0) {
        clearPending_ = true;
        return;
    }
    ClearNow();
}

void TQelInterfaceEngine::ClearNow()
{
    ModalList.clear();
    Scripts.ClearChildren();
    modProps_.clear();
    scriptSender_.clear();
    TQelEngine::Clear();
}
