// Shared pieces of the records' tests: a widget engine that records what the rules write,
// a scratch user folder, and logs whose lines the tests can see.
#pragma once

#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "metagame/WidgetAccess.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

// Captions the rules read come from Captions; every property written is recorded, and
// the widgets named in Existing (or holding a caption) accept writes.
class TRecordingWidgets final : public IWidgetAccess {
public:
    struct TWrite {
        std::string Object, Property, Value;
        friend bool operator==(const TWrite&, const TWrite&) = default;
    };

    bool SetObjectProperty(const std::string& object, const std::string& property, const std::string& value) override
    {
        Writes.push_back({object, property, value});
        if (property == "Caption")
            Captions[object] = value;
        return true;
    }
    TQelVariant GetObjectValue(const std::string& object, const std::string& property) const override
    {
        if (property != "Caption")
            return {};
        auto it = Captions.find(object);
        if (it == Captions.end())
            return {};
        return it->second;
    }
    // The last value written to that property, or "<unset>".
    std::string Last(const std::string& object, const std::string& property) const
    {
        for (auto it = Writes.rbegin(); it != Writes.rend(); ++it)
            if (it->Object == object && it->Property == property)
                return it->Value;
        return "<unset>";
    }

    std::map<std::string, std::string> Captions;
    std::vector<TWrite> Writes;
};

// A fresh folder below the system's temporary folder, removed afterwards.
class TScratchFolder {
public:
    TScratchFolder()
    {
        static int counter = 0;
        Path = std::filesystem::temp_directory_path() /
               ("glimmora-metagame-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(Path);
        std::filesystem::create_directories(Path);
    }
    ~TScratchFolder() { std::filesystem::remove_all(Path); }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path Path;
};

// The game log (kept in memory) and the engine log that the exception chains go to.
class TCapturedLogs {
public:
    TCapturedLogs() : game({}, clock), engine({}, clock, false)
    {
        game.Listener = [this](const std::string& message, const std::string&) { GameLines.push_back(message); };
        engine.Enabled = true;
        engine.Listener = [this](const std::string& message) { EngineLines.push_back(message); };
        previous_ = EngineLog();
        SetEngineLog(&engine);
    }
    ~TCapturedLogs() { SetEngineLog(previous_); }
    TCapturedLogs(const TCapturedLogs&) = delete;
    TCapturedLogs& operator=(const TCapturedLogs&) = delete;

    TManualClock clock;
    TGameLog game;
    TQelLog engine;
    std::vector<std::string> GameLines;
    std::vector<std::string> EngineLines;

private:
    TQelLog* previous_ = nullptr;
};
