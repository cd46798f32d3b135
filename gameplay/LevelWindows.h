// The level's windows kept in memory for headless runs and tests: a modal list that
// remembers every property written. The game's own go through the interface engine
// (gameplay/InterfaceLevelWindows.h).
#pragma once

#include "gameplay/LevelGame.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

class TMemoryLevelWindows final : public ILevelWindows {
public:
    bool SetObjectProperty(const std::string& objectName, const std::string& propName,
                           const std::string& value) override
    {
        Properties[{objectName, propName}] = value;
        return true;
    }
    TQelVariant GetObjectValue(const std::string& objectName, const std::string& propName) const override
    {
        auto it = Properties.find({objectName, propName});
        return it == Properties.end() ? TQelVariant{} : TQelVariant{it->second};
    }
    void ShowModal(const std::string& name) override
    {
        for (const std::string& shown : Modal)
            if (shown == name)
                return;
        Modal.push_back(name);
        Shown.push_back(name);
    }
    void HideModal(const std::string& name) override
    {
        for (auto it = Modal.begin(); it != Modal.end(); ++it)
            if (*it == name) {
                Modal.erase(it);
                return;
            }
    }
    bool IsTopWindow(const std::string& name) const override { return !Modal.empty() && Modal.back() == name; }

    // A property as written, or empty.
    std::string Value(const std::string& objectName, const std::string& propName) const
    {
        auto it = Properties.find({objectName, propName});
        return it == Properties.end() ? std::string() : it->second;
    }

    std::map<std::pair<std::string, std::string>, std::string> Properties;
    std::vector<std::string> Modal;  // bottom first
    std::vector<std::string> Shown;  // every window ever shown, in order
};
