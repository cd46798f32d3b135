// The whole game in the test's process on the platform's doubles and the shipped data: a
// frame at a time on a manual clock, clicks on widgets by name, keys, and the trace of
// what it did. Started on the title, or straight into a day with a bot playing it.
#pragma once

#include "AppDoubles.h"
#include "app/GameWidgets.h"
#include "app/LevelBotPlayer.h"
#include "app/QelGameEngine.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

inline constexpr int64_t kRigStep = 16;

// The program folder of the built game: its archive, parameters and shipped options.
inline std::filesystem::path ProgramFolder() { return std::filesystem::path(GLIMMORA_PROGRAM).parent_path(); }

class TLines final : public IScreenTrace {
public:
    void Event(std::string_view kind, std::string_view detail) override
    {
        Lines.push_back(std::string(kind) + " " + std::string(detail));
    }
    bool Has(const std::string& line) const { return std::find(Lines.begin(), Lines.end(), line) != Lines.end(); }
    // The detail of the first line of that kind, or empty.
    std::string First(const std::string& kind) const
    {
        for (const std::string& line : Lines)
            if (line.starts_with(kind + " "))
                return line.substr(kind.size() + 1);
        return {};
    }
    std::vector<std::string> Lines;
};

class TGameRig {
    // The platform's doubles outlive the window that uses them.
    TShellRig rig;

public:
    // startDay: straight into that day (episode and day from 0) after the loading.
    // program: a program folder of the test's own instead of the built one.
    explicit TGameRig(std::optional<std::pair<int32_t, int32_t>> startDay = std::nullopt, const std::string& bot = {},
                      uint32_t seed = 1, const std::filesystem::path& program = ProgramFolder())
    {
        TQelGameEngine::TSetup setup;
        setup.ProgramFolder = program;
        setup.UserFolder = rig.UserFolder();
        setup.Seed = seed;
        setup.Trace = &Trace;
        setup.StartDay = startDay;
        setup.BotPlays = !bot.empty();
        Engine = std::make_unique<TQelGameEngine>(rig.Services, setup);
        widgets_ = std::make_unique<TGameWidgets>(*Engine);
        Engine->FormActivate();
        if (!bot.empty())
            player_ = std::make_unique<TLevelBotPlayer>(*Engine, *widgets_, MakeLevelBot(bot, seed),
                                                        [this](const TInputEvent& event) { Engine->HandleInput(event); });
    }

    void Frame()
    {
        if (player_)
            player_->Frame();
        Engine->AppIdle();
        rig.Clock.Advance(kRigStep);
    }
    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            Frame();
    }
    // Frames until the condition holds; false when it never did.
    bool RunUntil(const std::function<bool()>& done, int most)
    {
        for (int i = 0; i < most && !done(); ++i)
            Frame();
        return done();
    }
    int64_t Now() const { return rig.Clock.NowMs(); }

    void Click(const std::string& widget)
    {
        std::optional<TPoint> at = widgets_->VisibleWidgetCentre(widget);
        ASSERT_TRUE(at.has_value()) << widget << " is not visible";
        ClickAt(*at);
    }
    void ClickAt(TPoint at)
    {
        for (TInputKind kind : {TInputKind::MouseMove, TInputKind::MouseDown, TInputKind::MouseUp}) {
            TInputEvent event;
            event.Kind = kind;
            event.X = at.X;
            event.Y = at.Y;
            Engine->HandleInput(event);
        }
    }
    void Key(int32_t key)
    {
        TInputEvent event;
        event.Kind = TInputKind::KeyDown;
        event.Key = key;
        Engine->HandleInput(event);
    }
    bool Visible(const std::string& widget) const { return widgets_->VisibleWidgetCentre(widget).has_value(); }

    std::string TopWindow() const
    {
        const TQelForm* top = Engine->Interface()->TopModal();
        return top ? top->Name() : std::string();
    }
    std::string Value(const std::string& widget, const std::string& property = "Caption") const
    {
        return VariantToString(Engine->Interface()->GetObjectValue(widget, property));
    }
    TScreenMode Mode() const { return Engine->Shell.ScreenMode; }
    std::filesystem::path UserFolder() const { return rig.UserFolder(); }

    TLines Trace;
    std::unique_ptr<TQelGameEngine> Engine;

private:
    std::unique_ptr<TGameWidgets> widgets_;
    std::unique_ptr<TLevelBotPlayer> player_;
};
