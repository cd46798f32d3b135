// A headless interface engine for tests: recording host, one fixed-advance font, the
// engine log and message boxes captured, and a small way to write interface files.
#pragma once

#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "foundation/Services.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelRecordingHost.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

using TProps = std::vector<std::pair<std::string, std::string>>;

// <o c="class"><p n="name">value</p>...</o>
inline std::string Obj(const std::string& className, const TProps& props)
{
    std::string text = "<o c=\"" + className + "\">";
    for (const auto& [name, value] : props)
        text += "<p n=\"" + name + "\">" + value + "</p>";
    return text + "</o>\r\n";
}

inline std::string Doc(std::initializer_list<std::string> objects, const std::string& root = "QelInterface")
{
    std::string text = "<" + root + ">\r\n";
    for (const std::string& o : objects)
        text += o;
    return text + "</" + root + ">\r\n";
}

class InterfaceTest : public ::testing::Test {
protected:
    InterfaceTest() : log_("", clock_, false)
    {
        log_.Enabled = true;
        log_.Listener = [this](const std::string& line) { Log.push_back(line); };
        SetEngineLog(&log_);
        RegisterInterfaceClasses(classes_);
        auto font = std::make_unique<TQelMonoFont>(&Host, 10, 20);
        Font = font.get();
        Fonts.Fonts["QelUnicode"] = std::move(font);
        Engine.Host = &Host;
        Engine.FontEngine = &Fonts;
        Engine.HostForm = &Methods;
        Engine.MessageBox = &Boxes;
    }
    ~InterfaceTest() override { SetEngineLog(nullptr); }

    void Load(const std::string& text) { Engine.LoadFromText(text); }

    template <class T = TQelInterfaceObject>
    T& Get(const std::string& name)
    {
        TQelObject* o = Engine.GetObjectByName(name);
        EXPECT_NE(o, nullptr) << name;
        return dynamic_cast<T&>(*o);
    }
    std::string Value(const std::string& object, const std::string& prop)
    {
        return VariantToString(Engine.GetObjectValue(object, prop));
    }
    std::vector<std::string> ModalNames() const
    {
        std::vector<std::string> names;
        for (const TQelForm* f : Engine.ModalList)
            names.push_back(f->Name());
        return names;
    }
    void Click(int x, int y, TQelMouseButton button = TQelMouseButton::Left)
    {
        Engine.MouseDown({button, QelShift::kLeft, x, y});
        Engine.MouseUp({button, 0, x, y});
    }
    void Move(int x, int y, uint32_t shift = 0) { Engine.MouseMove({TQelMouseButton::Left, shift, x, y}); }

    TManualClock clock_;
    TQelLog log_;
    TQelClassReg classes_;
    TQelRecordingHost Host;
    TQelFontList Fonts;
    TQelMonoFont* Font = nullptr;
    TQelMethodTable Methods;
    TRecordingMessageBox Boxes;
    TQelInterfaceEngine Engine{classes_};
    std::vector<std::string> Log;
};
