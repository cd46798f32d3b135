// What a dialog script reaches outside itself: widgets by name (and whether one types its
// caption), pictures, screen effects, sounds and music, and the level under the dialog.
// The screens that run dialogs implement them on the interface engine, the surface
// engine, the effect lists, the sound list and the level; each has a do-nothing stand-in,
// so a dialog plays headless with any of them missing.
#pragma once

#include "foundation/Geometry.h"
#include "metagame/WidgetAccess.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TGameLog;

// Widgets that type their caption out (typing labels).
class ITypingLabels {
public:
    virtual ~ITypingLabels() = default;
    // How long the widget takes to type the caption just written to it; nothing when the
    // widget is not a typing label.
    virtual std::optional<int64_t> PrintDuration(const std::string& widget) const = 0;
};

// One frame of an animation file: its picture and how long it shows.
struct TDialogFrame {
    std::string Picture;
    int32_t Time = 0;  // ms
    friend bool operator==(const TDialogFrame&, const TDialogFrame&) = default;
};

struct TDialogPictureSize {
    int32_t Width = 0;
    int32_t Height = 0;
    friend bool operator==(const TDialogPictureSize&, const TDialogPictureSize&) = default;
};

class IDialogPictures {
public:
    virtual ~IDialogPictures() = default;
    // Loads the picture of the game data when the store does not have it yet; its size,
    // 0 x 0 when it cannot be had (the store logs why).
    virtual TDialogPictureSize LoadPicture(const std::string& name) = 0;
    // The frames of an animation file, their pictures loaded; empty when it is missing.
    virtual std::vector<TDialogFrame> LoadAnime(const std::string& file) = 0;
    // Draws the picture at (x, y) onto the target surface with the opacity; on the frame
    // being composed its rectangle is marked for redraw.
    virtual void DrawPicture(const std::string& target, const std::string& picture, int32_t x, int32_t y,
                             uint8_t opacity) = 0;
};

class IDialogEffects {
public:
    virtual ~IDialogEffects() = default;
    // An effect file played now at (x, y) in the main screen list, named after its file.
    virtual void CreateEffect(const std::string& file, int32_t x, int32_t y) = 0;
    // Deletes the first screen effect of that name.
    virtual void DeleteEffect(const std::string& name) = 0;
};

class IDialogAudio {
public:
    virtual ~IDialogAudio() = default;
    // Queues a sound event of the event table.
    virtual void PlaySoundEvent(const std::string& event) = 0;
    // The module playing now; empty when none.
    virtual std::string CurrentMusic() const = 0;
    // Fades the music out and another module in, started at a pattern ("12", "4,6",
    // "50%"; empty for its start).
    virtual void ChangeMusic(const std::string& module, const std::string& pattern, int32_t fadeOutMs,
                             int32_t fadeInMs) = 0;
};

// The box of a bonus level: cells of CellWidth x CellHeight from (Left, Top).
struct TDialogBoxGrid {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t CellWidth = 0;
    int32_t CellHeight = 0;
    int32_t Columns = 0;
    int32_t Rows = 0;
};

// The level under the dialog. Over the map and the shop there is a level object too, with
// no pieces and no box.
class IDialogLevel {
public:
    virtual ~IDialogLevel() = default;
    // Whether the level takes the messages "ShowThings" and "HideThings" now.
    virtual bool AcceptsMessages() const = 0;
    virtual void ShowThings() = 0;
    // Hides the things and deletes all screen effects.
    virtual void HideThings() = 0;
    // The box of a bonus level; nothing in a standard level.
    virtual std::optional<TDialogBoxGrid> BoxGrid() const = 0;
    // Where piece number index is (forEffect: the second reference point the piece keeps
    // for its effects); nothing when there is no such piece.
    virtual std::optional<TPoint> PiecePoint(int32_t index, bool forEffect) const = 0;
    // The index of the piece at (x, y); -1 for none.
    virtual int32_t PieceAt(int32_t x, int32_t y) const = 0;
    // The press that ends a tutorial pause on a piece or box cell: the level notes it and
    // performs the click there.
    virtual void TutorialPress(int32_t x, int32_t y) = 0;
    // A pause was passed: the level's hint marks go.
    virtual void ClearHintMarks() = 0;
    // In the begin-level tutorial: every piece loses its cursor effect and this one gets
    // the cursor effect, started now.
    virtual void ShowCursorOnPiece(int32_t index, int64_t now) = 0;
    // A typing label prints a caption until endTime (a press completes it). With
    // nextButton the screen's dialog panel appears once the text is out.
    virtual void PrintingCaption(const std::string& label, int64_t endTime, bool nextButton) = 0;
};

// What a dialog is given; a missing one is replaced by its stand-in.
struct TDialogServices {
    IWidgetAccess* Widgets = nullptr;
    ITypingLabels* Typing = nullptr;
    IDialogPictures* Pictures = nullptr;
    IDialogEffects* Effects = nullptr;
    IDialogAudio* Audio = nullptr;
    IDialogLevel* Level = nullptr;
    TGameLog* Log = nullptr;  // none: errors go unlogged
};

// ---- Stand-ins

class TNoTypingLabels final : public ITypingLabels {
public:
    std::optional<int64_t> PrintDuration(const std::string&) const override { return std::nullopt; }
};

class TNoDialogPictures final : public IDialogPictures {
public:
    TDialogPictureSize LoadPicture(const std::string&) override { return {}; }
    std::vector<TDialogFrame> LoadAnime(const std::string&) override { return {}; }
    void DrawPicture(const std::string&, const std::string&, int32_t, int32_t, uint8_t) override {}
};

class TNoDialogEffects final : public IDialogEffects {
public:
    void CreateEffect(const std::string&, int32_t, int32_t) override {}
    void DeleteEffect(const std::string&) override {}
};

class TNoDialogAudio final : public IDialogAudio {
public:
    void PlaySoundEvent(const std::string&) override {}
    std::string CurrentMusic() const override { return {}; }
    void ChangeMusic(const std::string&, const std::string&, int32_t, int32_t) override {}
};

class TNoDialogLevel final : public IDialogLevel {
public:
    bool AcceptsMessages() const override { return false; }
    void ShowThings() override {}
    void HideThings() override {}
    std::optional<TDialogBoxGrid> BoxGrid() const override { return std::nullopt; }
    std::optional<TPoint> PiecePoint(int32_t, bool) const override { return std::nullopt; }
    int32_t PieceAt(int32_t, int32_t) const override { return -1; }
    void TutorialPress(int32_t, int32_t) override {}
    void ClearHintMarks() override {}
    void ShowCursorOnPiece(int32_t, int64_t) override {}
    void PrintingCaption(const std::string&, int64_t, bool) override {}
};
