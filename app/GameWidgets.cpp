// Widgets of the running game for the input scripts.
#include "app/GameWidgets.h"

#include "app/QelGameEngine.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"

std::optional<TPoint> TGameWidgets::VisibleWidgetCentre(const std::string& name) const
{
    const TQelInterfaceEngine* ui = engine_.Interface();
    const auto* widget = ui ? dynamic_cast<const TQelInterfaceObject*>(ui->GetObjectByName(name)) : nullptr;
    if (!widget)
        return std::nullopt;
    const TQelInterfaceObject* outer = widget;
    for (const TQelInterfaceObject* o = widget; o; o = o->ParentInterfaceObject()) {
        if (!o->Visible())
            return std::nullopt;
        outer = o;
    }
    const auto* window = dynamic_cast<const TQelForm*>(outer);
    if (!window || !ui->IsShown(window))
        return std::nullopt;
    const TRect r = widget->ScreenRect();
    return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}
