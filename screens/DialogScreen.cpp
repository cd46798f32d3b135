// The dialog screen: the script's services on the game's engines, the typed texts and the
// Next button, and the hand-back to the screen underneath.
#include "screens/DialogScreen.h"

#include "audio/SoundEngine.h"
#include "effects/QelAnime.h"
#include "effects/QelScreenEffects.h"
#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "interface/QelEffectLabel.h"
#include "interface/QelInterfaceEngine.h"
#include "screens/ScreenLayout.h"

#include <algorithm>

namespace {

// The Next buttons of the screens dialogs play over.
constexpr const char* kMapNext = "WMap_BNext";
constexpr const char* kShopNext = "WShop_BNext";
constexpr const char* kLevelNext = "WGame_BNext";
// The window that holds the story panels of the map and the catalogue.
constexpr const char* kStoryWindow = "WStory";

}  // namespace

// What the script reaches, on the real engines. Widget names of the hint balloon are
// those of the balloon placed for this hint.
class TDialogScreen::TServices final : public IWidgetAccess,
                                       public ITypingLabels,
                                       public IDialogPictures,
                                       public IDialogEffects,
                                       public IDialogAudio,
                                       public IDialogLevel {
public:
    TServices(TDialogScreen& screen, TScreenContext& c) : screen_(screen), c_(c), widgets_(c.Interface) {}

    TDialogServices Services()
    {
        TDialogServices s;
        s.Widgets = this;
        s.Typing = this;
        s.Pictures = this;
        s.Effects = this;
        s.Audio = this;
        s.Level = this;
        s.Log = &c_.Log;
        return s;
    }

    std::string Widget(const std::string& name) const
    {
        const std::string& balloon = screen_.start_.HintWindow;
        if (balloon.empty())
            return name;
        if (name == kHintBalloon)
            return balloon;
        if (name == kHintBalloonText)
            return balloon + "_LText";
        return name;
    }

    // IWidgetAccess
    bool SetObjectProperty(const std::string& object, const std::string& prop, const std::string& value) override
    {
        return widgets_.SetObjectProperty(Widget(object), prop, value);
    }
    TQelVariant GetObjectValue(const std::string& object, const std::string& prop) const override
    {
        return widgets_.GetObjectValue(Widget(object), prop);
    }

    // ITypingLabels
    std::optional<int64_t> PrintDuration(const std::string& widget) const override
    {
        const auto* label = dynamic_cast<const TQelEffectLabel*>(c_.Interface.GetObjectByName(Widget(widget)));
        if (!label)
            return std::nullopt;
        return label->PrintDuration();
    }

    // IDialogPictures
    TDialogPictureSize LoadPicture(const std::string& name) override
    {
        TDialogPictureSize size;
        if (name.empty() || !c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, name))
            return size;
        c_.Surfaces.GetSurfaceSize(name, size.Width, size.Height);
        return size;
    }
    std::vector<TDialogFrame> LoadAnime(const std::string& file) override
    {
        std::vector<TDialogFrame> frames;
        for (const TOneAnime& frame : ::LoadAnime(c_.Surfaces, c_.Data, file, false))
            frames.push_back({frame.Picture, frame.Time});
        return frames;
    }
    void DrawPicture(const std::string& target, const std::string& picture, int32_t x, int32_t y,
                     uint8_t opacity) override
    {
        int32_t w = 0, h = 0;
        if (!c_.Surfaces.GetSurfaceSize(picture, w, h))
            return;
        c_.Surfaces.DrawWithAlphaChannel(picture, target, x, y, opacity);
        if (target == kFrame)
            c_.Grid.FillRedrawGrid(TRect{x, y, x + w, y + h}, 2);
    }

    // IDialogEffects
    void CreateEffect(const std::string& file, int32_t x, int32_t y) override
    {
        TQelEffectParams params;
        params.File = file;
        params.X = x;
        params.Y = y;
        c_.Effects.CreateQelEffectFromFile(c_.Effects.Main, file, params);
    }
    void DeleteEffect(const std::string& name) override { c_.Effects.DeleteQelScreenEffectByName(c_.Effects.Main, name); }

    // IDialogAudio
    void PlaySoundEvent(const std::string& event) override { c_.Sounds.AddSoundEffect(event); }
    std::string CurrentMusic() const override { return c_.Sounds.List().CurrentMusic; }
    void ChangeMusic(const std::string& module, const std::string& pattern, int32_t fadeOutMs, int32_t fadeInMs) override
    {
        c_.Sounds.ChangeMusic(module, fadeOutMs, 0, c_.Sounds.MusicStartOrder(module, pattern), fadeInMs);
    }

    // IDialogLevel: the level under the dialog, when there is one.
    IDialogLevel& Level() const { return screen_.start_.Level ? *screen_.start_.Level : noLevel_; }
    bool AcceptsMessages() const override { return Level().AcceptsMessages(); }
    void ShowThings() override { Level().ShowThings(); }
    void HideThings() override { Level().HideThings(); }
    std::optional<TDialogBoxGrid> BoxGrid() const override { return Level().BoxGrid(); }
    std::optional<TPoint> PiecePoint(int32_t index, bool forEffect) const override
    {
        return Level().PiecePoint(index, forEffect);
    }
    int32_t PieceAt(int32_t x, int32_t y) const override { return Level().PieceAt(x, y); }
    void TutorialPress(int32_t x, int32_t y) override { Level().TutorialPress(x, y); }
    void ClearHintMarks() override { Level().ClearHintMarks(); }
    void ShowCursorOnPiece(int32_t index, int64_t now) override { Level().ShowCursorOnPiece(index, now); }
    void PrintingCaption(const std::string& label, int64_t endTime, bool nextButton) override
    {
        screen_.PrintingCaption(Widget(label), endTime, nextButton);
    }

private:
    TDialogScreen& screen_;
    TScreenContext& c_;
    TEngineWidgetAccess widgets_;
    mutable TNoDialogLevel noLevel_;
};

TDialogScreen::TDialogScreen(TScreenContext& context)
    : c_(context), services_(std::make_unique<TServices>(*this, context))
{
}

TDialogScreen::~TDialogScreen() = default;

std::string TDialogScreen::NextButton() const
{
    if (start_.Context == kDialogOnMap)
        return kMapNext;
    if (start_.Context == kDialogInShop)
        return kShopNext;
    return kLevelNext;
}

bool TDialogScreen::Start(const TDialogStart& start)
{
    if (dialog_) {
        c_.Log.WriteLog("Error StartDialog: " + start.Script + ": " + dialog_->FileName() + " plays already");
        return false;
    }
    start_ = start;
    printing_.reset();
    finishing_ = false;
    // Next waits for the first printed line.
    nextShown_ = true;
    ShowNextButton(false);
    dialog_ = std::make_unique<TDialog>(c_.Clock, services_->Services());
    dialog_->Context = start.Context;
    dialog_->LoadDialog(c_.Data, start.Script);
    if (!start_.HintWindow.empty()) {
        c_.Interface.SetObjectProperty(start_.HintWindow, "Left", IntToStr(start_.HintPos.X));
        c_.Interface.SetObjectProperty(start_.HintWindow, "Top", IntToStr(start_.HintPos.Y));
    }
    if (!start_.Window.empty())
        c_.Interface.ShowModal(start_.Window);
    c_.Shell.PreviousScreenMode = start.ReturnMode;
    c_.Switch.Request(TScreenMode::smDialog);
    c_.Trace.Event("dialog", start.Script);
    dialog_->StartDialog(c_.Clock.NowMs());
    return true;
}

bool TDialogScreen::StartStory(const std::string& script, const char* context, TScreenMode returnMode, IScreen* under,
                               std::function<void()> ended)
{
    TDialogStart start;
    start.Script = script;
    start.Context = context;
    start.ReturnMode = returnMode;
    start.Under = under;
    start.Window = kStoryWindow;
    start.Ended = std::move(ended);
    return Start(start);
}

void TDialogScreen::PrintingCaption(const std::string& label, int64_t endTime, bool nextButton)
{
    ShowNextButton(false);
    printing_ = TPrinting{label, endTime, nextButton};
}

void TDialogScreen::ShowNextButton(bool visible)
{
    if (visible == nextShown_)
        return;
    nextShown_ = visible;
    c_.Interface.SetObjectProperty(NextButton(), "Visible", visible ? "True" : "False");
}

void TDialogScreen::Tick(int64_t now)
{
    if (start_.Under)
        start_.Under->Tick(now);
    if (!dialog_)
        return;
    if (c_.Shell.ScreenMode == TScreenMode::smDialogEnded) {
        Finish();
        return;
    }
    if (printing_ && now >= printing_->End && !TypingLabel()) {
        const bool next = printing_->NextButton;
        printing_.reset();
        if (next)
            ShowNextButton(true);
    }
    dialog_->TickDialog(now);
    if (dialog_->Ended() && !finishing_) {
        finishing_ = true;
        c_.Switch.Request(TScreenMode::smDialogEnded);
    }
}

// The frame after the last line: the screen underneath gets the game back.
void TDialogScreen::Finish()
{
    ShowNextButton(false);
    if (!start_.HintWindow.empty())
        c_.Interface.SetObjectProperty(start_.HintWindow, "Visible", "False");
    if (!start_.Window.empty())
        c_.Interface.HideModal(start_.Window);
    const TDialogStart start = std::move(start_);
    start_ = TDialogStart{};
    dialog_.reset();
    printing_.reset();
    finishing_ = false;
    c_.Commands.MarkWholeScreen();
    c_.Switch.Request(start.ReturnMode);
    if (start.Ended)
        start.Ended();
}

void TDialogScreen::Draw()
{
    if (start_.Under)
        start_.Under->Draw();
    if (start_.DrawUnder)
        LogAndCarryOn(c_.Log, "Error DrawUnderDialog", [&] { start_.DrawUnder(); });
}

// The script's pictures (the storyteller, pointers) go over the windows of the screen
// underneath, which would otherwise cut into them; the scripts keep them off their panels.
void TDialogScreen::DrawOverInterface()
{
    if (start_.Under)
        start_.Under->DrawOverInterface();
    if (dialog_)
        LogAndCarryOn(c_.Log, "Error DrawDialogPictures", [&] { dialog_->DrawDialogPictures(kFrame); });
}

void TDialogScreen::MouseDown(const TQelMouseEvent& event)
{
    if (!dialog_ || finishing_)
        return;
    // A press while a text is typed shows the rest of it and does nothing more (but the
    // skip button skips at once).
    if (TQelEffectLabel* label = TypingLabel(); label && !OnSkipButton(event.X, event.Y)) {
        // The interface may have given the press to the label already.
        if (label->Typing())
            label->MouseDown(event.Button, event.Shift, event.X, event.Y);
        printing_->End = std::min<int64_t>(printing_->End, c_.Clock.NowMs());
        return;
    }
    const int32_t line = dialog_->CurrentLine();
    dialog_->DialogMouseDown(event.Button, event.X, event.Y);
    if (dialog_->CurrentLine() != line)
        LineMoved();
}

TQelEffectLabel* TDialogScreen::TypingLabel() const
{
    if (!printing_)
        return nullptr;
    auto* label = dynamic_cast<TQelEffectLabel*>(c_.Interface.GetObjectByName(printing_->Label));
    if (!label || label->Chars().empty())
        return nullptr;
    // A completed text still fades in for a moment; a press then only hurries it.
    const bool fading = label->Skipped() && label->EndTime() > c_.Clock.NowMs();
    return label->Typing() || fading ? label : nullptr;
}

bool TDialogScreen::OnSkipButton(int32_t x, int32_t y) const
{
    for (const TDialogObject& o : dialog_->Objects())
        if (o.Kind == TDialogObjectKind::ButtonArea && IsSkipButton(o.ID) && o.Rect.Contains(x, y))
            return true;
    return false;
}

void TDialogScreen::LineMoved()
{
    printing_.reset();
    ShowNextButton(false);
}

void TDialogScreen::MouseMove(const TQelMouseEvent& event)
{
    if (start_.Under)
        start_.Under->MouseMove(event);
}

bool TDialogScreen::KeyDown(const TQelKeyEvent& event)
{
    if (!dialog_ || finishing_)
        return false;
    const int32_t line = dialog_->CurrentLine();
    dialog_->DialogKeyDown(event.Key);
    if (dialog_->CurrentLine() == line)
        return false;
    LineMoved();
    return true;
}
