// The interface engine: owns every interface object, reads interface and modificator
// files, keeps the stack of shown forms (the modal list), routes input to the top form,
// runs the scripts widgets queue, ticks and draws the shown forms through the host and
// tells the host which screen areas changed.
//
// How the game uses it:
//   - registers the widget classes (RegisterInterfaceClasses) in its class registry,
//     creates the engine and sets Host, FontEngine, HostForm (its ExecMethod handlers),
//     Clipboard, MessageBox and InterfaceFolder, then loads "Glimmora.li";
//   - changes widgets by name with SetObjectProperty / GetObjectValue;
//   - shows and hides windows with ShowModal, HideModal, ChangeModal, HideModalList;
//   - feeds window input to KeyDown, KeyPress, MouseDown, MouseMove, MouseUp, MouseWheel;
//   - each frame: Tick(now), GetChangedRects / GetAllRects for the redraw, Draw();
//   - a reload or Clear asked for from inside a script pass waits until the pass is over
//     (Clear) or until the game looks at ReloadRequested() at the start of a frame.
#pragma once

#include "foundation/Geometry.h"
#include "foundation/MemoryStream.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/QelParser.h"
#include "interface/QelInput.h"
#include "interface/QelInterfaceClasses.h"
#include "interface/QelInterfaceHost.h"
#include "interface/QelMethodTable.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class IClipboard;
class IMessageBox;
class TDataSource;

// The reading state while property values of an interface file are applied.
inline constexpr const char* kReadingState = "osReadingState";

class TQelInterfaceEngine : public TQelEngine {
public:
    explicit TQelInterfaceEngine(const TQelClassReg& classes);
    ~TQelInterfaceEngine() override;

    // ---- Interface files
    void LoadFromFile(const std::filesystem::path& path);
    void LoadFromStream(TMemoryStream& stream);
    void LoadFromText(std::string_view text);
    // The named entry of a data source (archive or data folder).
    void LoadFromSource(const TDataSource& source, const std::string& name);
    void LoadModificator(const std::filesystem::path& path);
    void LoadModificatorFromText(std::string_view text);
    // Gives every property a modificator changed its first recorded value again.
    void RestoreModificators();
    // The entry of InterfaceFolder; nothing without one. Throws when it cannot be read.
    std::optional<TMemoryStream> GetInterfaceStream(const std::string& name) const;
    std::string GetInfo() const;
    const std::string& ReadingState() const { return readingState_; }
    const std::string& Version() const { return version_; }
    struct TModProp {
        std::string Object, Prop, Value;
    };
    const std::vector<TModProp>& ModProps() const { return modProps_; }

    // ---- The modal list
    void ShowModal(const std::string& name);
    void HideModal(const std::string& name);
    void HideModal();
    void HideModalList();
    void ChangeModal(const std::string& hide, const std::string& show);
    void ChangeModal(const std::string& show);
    TQelForm* TopModal() const { return ModalList.empty() ? nullptr : ModalList.back(); }
    bool IsShown(const TQelForm* form) const;

    // ---- Input: to the top form only, then the queued scripts run.
    void KeyDown(TQelKeyEvent& event);
    void KeyPress(char16_t& ch);
    void MouseDown(const TQelMouseEvent& event);
    void MouseMove(const TQelMouseEvent& event);
    void MouseUp(const TQelMouseEvent& event);
    // Whether a widget used the wheel.
    bool MouseWheel(const TQelWheelEvent& event);

    // ---- Scripts
    // Queues text, cut into commands at each ";" outside double quotes; text after the
    // last ";" is dropped.
    void AddScript(const std::string& sender, const std::string& text);
    // Runs the scripts queued so far and empties the queue: scripts queued meanwhile are
    // dropped.
    void RunScripts();
    void ClearScripts();
    // The sender of the script queued last, by name; the object only while it exists.
    const std::string& ScriptSenderName() const { return scriptSender_; }
    TQelObject* ScriptSender() const;

    // ---- Frame work
    void Tick(int64_t time);
    void Draw();
    std::vector<TRect> GetChangedRects() const;
    std::vector<TRect> GetAllRects() const;
    std::vector<std::string> GetPicturesList() const;
    void UpdateScreenSize();
    // Lays every window out again: sizes taken from pictures change once the pictures
    // are loaded, after the file was read.
    void RefreshForms();

    // ---- Objects
    // A child is removed by its form; a form takes its children with it.
    void DeleteObject(const std::string& name) override;
    using TQelEngine::DeleteObject;
    // Frees the object at whatever index it has.
    void FreeObject(const TQelObject* object);
    // Frees everything, the script queue, the modification records and the modal list.
    // Asked for from inside input or a script pass, it happens when that returns.
    void Clear() override;
    // For a reload asked for by a handler: the game rebuilds the engine at the start of
    // its next frame, never from inside the engine's own calls.
    void RequestReload() { reloadRequested_ = true; }
    bool ReloadRequested() const { return reloadRequested_; }
    // Whether input, a script pass or a tick is running now.
    bool Dispatching() const { return depth_ > 0; }

    // Engine log line, shown in MessageBox when there is one.
    void ShowMessage(const std::string& message) const;
    IQelTextFont* FindFont(const std::string& name) const;

    int32_t ScreenWidth = 800;
    int32_t ScreenHeight = 600;
    // Kept for the host's redraw grid.
    int32_t RedrawGridCellSize = 20;
    int32_t RedrawGridColCount = 40;
    int32_t RedrawGridRowCount = 30;

    std::vector<TQelForm*> ModalList;  // bottom first
    TQelXMLTag Scripts;
    TQelMethodTable* HostForm = nullptr;
    IClipboard* Clipboard = nullptr;
    IQelGraphic4* Host = nullptr;
    IQelFontSource* FontEngine = nullptr;
    const TDataSource* InterfaceFolder = nullptr;
    IMessageBox* MessageBox = nullptr;
    bool NeedRedraw = false;
    // Told when a window joins or leaves the modal list (developer traces).
    std::function<void(const std::string& form, bool shown)> OnModalChange;
    TRect DirtyRect;
    std::vector<TRect> OpaqueRects;

protected:
    void ObjectDeleting(TQelObject& dying) override;

private:
    // Counts nested input, script and tick calls; a Clear asked for meanwhile waits.
    class TDispatch {
    public:
        explicit TDispatch(TQelInterfaceEngine& engine) : engine_(engine) { ++engine_.depth_; }
        ~TDispatch();
        TDispatch(const TDispatch&) = delete;
        TDispatch& operator=(const TDispatch&) = delete;

    private:
        TQelInterfaceEngine& engine_;
    };

    void LoadDocument();
    void CreateInterfaceObjects();
    void ApplyDefaultLine(TQelXMLTag& root, const std::string& line);
    void SetPropByTag(bool modificator);
    void RunCommand(const TQelXMLTag& command);
    void ClearNow();
    void ForEachForm(const std::function<void(TQelForm&)>& action);

    TQelParser document_;
    std::string version_;
    bool versionRead_ = false;
    std::string readingState_;
    std::vector<TModProp> modProps_;
    std::string scriptSender_;
    int depth_ = 0;
    bool runningScripts_ = false;
    bool clearPending_ = false;
    bool reloadRequested_ = false;
};
