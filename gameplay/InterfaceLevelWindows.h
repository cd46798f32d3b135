// The level's windows in the game: the interface engine's forms and modal list.
#pragma once

#include "gameplay/LevelGame.h"

#include <string>

class TQelInterfaceEngine;

class TInterfaceLevelWindows final : public ILevelWindows {
public:
    explicit TInterfaceLevelWindows(TQelInterfaceEngine& engine) : engine_(engine) {}
    bool SetObjectProperty(const std::string& objectName, const std::string& propName,
                           const std::string& value) override;
    TQelVariant GetObjectValue(const std::string& objectName, const std::string& propName) const override;
    void ShowModal(const std::string& name) override;
    void HideModal(const std::string& name) override;
    bool IsTopWindow(const std::string& name) const override;

private:
    TQelInterfaceEngine& engine_;
};
