// Where the input scripts' click and wait lines find a widget of the running game.
#pragma once

#include "app/InputScript.h"

class TQelGameEngine;

// A widget is there when it, every form around it and its window are visible and the
// window is shown; its centre is where a click goes.
class TGameWidgets final : public IWidgetLocator {
public:
    explicit TGameWidgets(const TQelGameEngine& engine) : engine_(engine) {}
    std::optional<TPoint> VisibleWidgetCentre(const std::string& name) const override;

private:
    const TQelGameEngine& engine_;
};
