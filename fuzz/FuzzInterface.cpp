// Feeds arbitrary text to the interface engine as an interface file, a modificator and
// event scripts, then shows every form and drives it with input, ticks and drawing.
// The input is the file, a NUL byte, then script text whose bytes also steer the events.
#include "foundation/Services.h"
#include "interface/QelInterfaceEngine.h"
#include "interface/QelRecordingHost.h"

#include <string>
#include <string_view>

namespace {

template <class F>
void Try(F&& f)
{
    try {
        f();
    } catch (const std::exception&) {
        // Engine errors become exceptions by design; only crashes are findings.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t cut = all.find('\0');
    const std::string_view file = all.substr(0, cut);
    const std::string script(cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1));

    static TQelClassReg classes = [] {
        TQelClassReg c;
        RegisterInterfaceClasses(c);
        return c;
    }();
    TQelRecordingHost host;
    host.Pictures = {{"a.png", {40, 20}}, {"b.png", {1, 1}}, {"Button.png", {120, 30}}};
    TQelFontList fonts;
    fonts.Fonts["QelUnicode"] = std::make_unique<TQelMonoFont>(&host, 7, 12);
    fonts.Fonts["Wide"] = std::make_unique<TQelMonoFont>(&host, 300, 12);
    TRecordingMessageBox boxes;
    TQelMethodTable methods;
    methods.Register("Delete", [](TQelInterfaceEngine& e) { e.DeleteObject(e.ScriptSenderName()); });
    methods.Register("Clear", [](TQelInterfaceEngine& e) { e.Clear(); });
    methods.Register("HideAll", [](TQelInterfaceEngine& e) { e.HideModalList(); });

    TQelInterfaceEngine engine(classes);
    engine.Host = &host;
    engine.FontEngine = &fonts;
    engine.HostForm = &methods;
    engine.MessageBox = &boxes;

    Try([&] { engine.LoadFromText(file); });
    Try([&] { engine.LoadModificatorFromText(file); });
    Try([&] { engine.RestoreModificators(); });
    std::vector<std::string> forms;
    for (const auto& o : engine.Objects)
        if (dynamic_cast<TQelForm*>(o.get()))
            forms.push_back(o->Name());
    for (const std::string& name : forms)
        Try([&] { engine.ShowModal(name); });

    Try([&] {
        engine.AddScript(forms.empty() ? std::string() : forms.back(), script);
        engine.RunScripts();
    });
    int64_t time = 10000;
    for (size_t i = 0; i + 3 < script.size() && i < 400; i += 4) {
        const auto b = [&](size_t k) { return static_cast<uint8_t>(script[i + k]); };
        const int32_t x = b(1) * 4 - 100, y = b(2) * 3 - 100;
        const uint32_t shift = b(3) & 0x7F;
        const TQelMouseButton button = static_cast<TQelMouseButton>(b(3) % 3);
        Try([&] {
            switch (b(0) % 8) {
            case 0: engine.MouseDown({button, shift, x, y}); break;
            case 1: engine.MouseMove({button, shift, x, y}); break;
            case 2: engine.MouseUp({button, shift, x, y}); break;
            case 3: {
                TQelKeyEvent key{static_cast<uint16_t>(b(1)), shift};
                engine.KeyDown(key);
                break;
            }
            case 4: {
                char16_t ch = static_cast<char16_t>(b(1));
                engine.KeyPress(ch);
                break;
            }
            case 5: engine.MouseWheel({shift, (b(1) - 128) * 120, x, y}); break;
            case 6: engine.Tick(time += b(1) * 10); break;
            default:
                engine.GetChangedRects();
                engine.GetAllRects();
                engine.Draw();
                host.Calls.clear();
                break;
            }
        });
        if (b(0) == 0xFF && !forms.empty())
            Try([&] { engine.DeleteObject(forms[b(1) % forms.size()]); });
    }
    engine.GetPicturesList();
    engine.Draw();
    return 0;
}
