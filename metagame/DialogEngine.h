// The dialog-script player: tutorials, story scenes and hints over the map, the shop and
// the levels. A script (DialogScript.h) is a list of timed lines; the player runs each
// line when it is due, keeps the pictures, widgets and button areas the lines make and
// moves or fades them, waits at pauses for an allowed press or key, and skips to the
// EndForSkip line when a skip button is pressed.
//
// Timing: a line is due once its Time is below the time since the start of its segment.
// The first segment starts with the dialog; each Pause starts a new one when it becomes
// the current line. A Pause with Time 0 waits for input; passing a pause makes the line
// after it count as done without running it, and the segment starts at the press.
//
// How a screen runs a dialog (one at a time, while the screen mode is smDialog):
//   TDialog dialog(clock, services);   // services: the screen's widget access, typing
//                                      // labels, pictures, effects, audio and level
//   dialog.LoadDialog(data, "Script_Dialog_1_1.xml");
//   dialog.Context = "InMAp";          // over the map; "InShop" in the catalogue
//   dialog.StartDialog(now);
//   each frame: dialog.TickDialog(now); dialog.DrawDialogPictures("MemorySurface");
//               when dialog.Ended(): leave smDialog (smDialogEnded) and free it
//   presses:    dialog.DialogMouseDown(button, x, y) (true: a button area was hit);
//   keys:       dialog.DialogKeyDown(key);
//   after the level was paused for d ms: dialog.ShiftDialogTime(d).
//
// Errors in a line, in a service or in input handling are logged ("Error ...") and the
// dialog goes on with the next line.
#pragma once

#include "foundation/Clock.h"
#include "foundation/Geometry.h"
#include "interface/QelInput.h"
#include "metagame/DialogScript.h"
#include "metagame/DialogServices.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TDataSource;

enum class TDialogObjectKind : uint8_t { Picture = 0, Widget = 1, ButtonArea = 2 };

// Something a script made: a picture it draws, a widget it took over, or a button area.
struct TDialogObject {
    TDialogObjectKind Kind = TDialogObjectKind::Picture;
    std::string ID;  // for widgets and button areas the widget's name
    std::string Surface;
    TDialogPictureSize Size;
    TPoint Pos;
    double X = 0, Y = 0;  // the position while moving
    int32_t Alpha = 255;
    double AlphaNow = 255;  // the opacity while fading
    bool Visible = false;
    int32_t Timer = 0;  // the Time of the line applied last
    bool NextButton = false;

    bool Moving = false;
    TPoint MoveTarget;
    double SpeedX = 0, SpeedY = 0;  // pixels per second
    int64_t MoveEnd = 0;

    bool Fading = false;
    int32_t AlphaFrom = 0, AlphaTarget = 0;
    double AlphaSpeed = 0;  // alpha units per second
    int64_t FadeEnd = 0;

    TRect Rect;  // button areas

    std::vector<TDialogFrame> Frames;  // pictures with an animation
    size_t Frame = 0;
    int64_t NextFrameAt = 0;
};

class TDialog {
public:
    TDialog(const IClock& clock, const TDialogServices& services);

    // Reads the script (archive entry or data-folder file). A missing or unreadable file
    // gives no lines and one log line; such a dialog ends on its first tick.
    void LoadDialog(const TDataSource& data, const std::string& fileName);
    void LoadDialogText(std::string_view xml, const std::string& fileName);

    // Runs line 0 and starts the first segment at time; value is kept for the caller.
    void StartDialog(int64_t time, int32_t value = 0);
    void TickDialog(int64_t now);
    // The visible pictures, each at its place with its opacity.
    void DrawDialogPictures(const std::string& target);
    // True when a button area other than a skip button was hit.
    bool DialogMouseDown(TQelMouseButton button, int32_t x, int32_t y);
    void DialogKeyDown(int32_t key);
    // Moves every waiting time later, after the level was paused under the dialog.
    void ShiftDialogTime(int64_t amount);

    // The last line has been reached: the screen returns to where it was.
    bool Ended() const { return ended_; }
    // The current line is a pause that waits for a press or a key.
    bool WaitingForInput() const;

    const std::string& FileName() const { return fileName_; }
    const std::vector<TDialogList>& Lines() const { return script_.Lines; }
    const std::vector<std::string>& Problems() const { return script_.Problems; }
    int32_t SkipTarget() const { return script_.SkipTarget; }
    int32_t CurrentLine() const { return current_; }
    int64_t LineStart() const { return lineStart_; }
    int32_t StartValue() const { return startValue_; }
    const std::string& RememberedMusic() const { return rememberedMusic_; }
    const std::vector<TDialogObject>& Objects() const { return objects_; }

    // Where the dialog plays: "InMAp" on the map, "InShop" in the catalogue, others set
    // by the level.
    std::string Context;

private:
    using THandler = void (TDialog::*)(const TDialogList& line, int64_t now);
    struct TCommandHandler {
        TDialogCommand Kind;
        THandler Run;
    };
    static const std::vector<TCommandHandler>& Handlers();

    void Loaded(const std::string& fileName, TDialogScript script);
    void ExecuteDialogLine(size_t index, int64_t now);
    void ApplyDialogLine(TDialogObject& object, const TDialogList& line, int64_t now);
    void StartDialogMove(TDialogObject& object, const TDialogList& line, TPoint offset);
    void StartDialogFade(TDialogObject& object, const TDialogList& line, int64_t now);
    void TickDialogObjects(int64_t now);
    void PlaceObject(TDialogObject& object, TPoint p);
    // write: tell a widget even when the rounded opacity stays the same.
    void SetObjectAlpha(TDialogObject& object, double alpha, bool write);

    void RunCreatePicture(const TDialogList& line, int64_t now);
    void RunChangePicture(const TDialogList& line, int64_t now);
    void RunPlaySound(const TDialogList& line, int64_t now);
    void RunPlayMusic(const TDialogList& line, int64_t now);
    void RunStopMusic(const TDialogList& line, int64_t now);
    void RunCreateEffect(const TDialogList& line, int64_t now);
    void RunDeleteEffect(const TDialogList& line, int64_t now);
    void RunChangeInterfaceObject(const TDialogList& line, int64_t now);
    void RunCreateButton(const TDialogList& line, int64_t now);
    void RunSendMessage(const TDialogList& line, int64_t now);

    // The offset a line's positions take from the piece or box cell it names; nothing
    // when it names none, or one the level does not have.
    std::optional<TPoint> FishOffset(const TDialogList& line, bool forEffect) const;
    bool PressOnFish(const TDialogList& pause, int32_t x, int32_t y) const;
    // The pause a press or key may pass: the current line, or the next one when it is a
    // timed pause; -1 for none.
    int32_t PassablePause() const;
    void PassPause(int32_t index, int64_t now);
    void Skip(int64_t now);
    void NoteUnending(size_t index);

    TDialogObject* FindObject(TDialogObjectKind kind, const std::string& id);
    bool WidgetExists(const std::string& name) const;
    int32_t WidgetInt(const std::string& name, const std::string& property) const;
    void SetWidget(const std::string& name, const std::string& property, const std::string& value);
    void LogError(const std::string& routine, const std::string& detail) const;

    const IClock& clock_;
    TNoWidgets noWidgets_;
    TNoTypingLabels noTyping_;
    TNoDialogPictures noPictures_;
    TNoDialogEffects noEffects_;
    TNoDialogAudio noAudio_;
    TNoDialogLevel noLevel_;
    IWidgetAccess& widgets_;
    ITypingLabels& typing_;
    IDialogPictures& pictures_;
    IDialogEffects& effects_;
    IDialogAudio& audio_;
    IDialogLevel& level_;
    TGameLog* log_;

    std::string fileName_;
    TDialogScript script_;
    std::vector<TDialogObject> objects_;
    int32_t current_ = 0;
    int64_t lineStart_ = 0;
    int64_t previousTick_ = 0;
    int32_t startValue_ = 0;
    std::string rememberedMusic_;
    bool started_ = false;
    bool ended_ = false;
};
