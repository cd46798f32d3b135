// The bot at the game's window.
#include "app/LevelBotPlayer.h"

#include "app/InputScript.h"
#include "app/QelGameEngine.h"
#include "gameplay/LevelSession.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"
#include "screens/level/LevelScreen.h"

namespace {

constexpr const char* kBeforeLevelWindow = "WBeforeLevel";
constexpr const char* kPlayButton = "WBeforeLevel_BPlay";
// The pixel day's penalty note is read and closed like the window before a day.
constexpr const char* kPenaltyWindow = "WPenalty";
constexpr const char* kPenaltyButton = "WPenalty_BOk";

TMouseButton WindowButton(TLevelMouseButton button)
{
    switch (button) {
    case TLevelMouseButton::Left:
        return TMouseButton::Left;
    case TLevelMouseButton::Right:
        return TMouseButton::Right;
    case TLevelMouseButton::Middle:
        break;
    }
    return TMouseButton::Middle;
}

}  // namespace

class TLevelBotPlayer::TWindowMouse final : public ILevelMouse {
public:
    explicit TWindowMouse(std::function<void(const TInputEvent&)> send) : send_(std::move(send)) {}

    void Move(int32_t x, int32_t y) override
    {
        TInputEvent event;
        event.Kind = TInputKind::MouseMove;
        event.X = x;
        event.Y = y;
        event.Shift = buttons_.Held();
        send_(event);
    }
    void Press(TLevelMouseButton button, int32_t x, int32_t y) override
    {
        TInputEvent event;
        event.X = x;
        event.Y = y;
        event.Button = WindowButton(button);
        event.Kind = TInputKind::MouseDown;
        buttons_.Press(event.Button);
        event.Shift = buttons_.Held();
        send_(event);
        event.Kind = TInputKind::MouseUp;
        buttons_.Release(event.Button);
        event.Shift = buttons_.Held();
        send_(event);
    }

private:
    std::function<void(const TInputEvent&)> send_;
    TMouseButtons buttons_;
};

TLevelBotPlayer::TLevelBotPlayer(TQelGameEngine& engine, const IWidgetLocator& widgets, std::unique_ptr<TLevelBot> bot,
                                 std::function<void(const TInputEvent&)> send)
    : engine_(engine), widgets_(widgets), bot_(std::move(bot)), mouse_(std::make_unique<TWindowMouse>(std::move(send)))
{
}

TLevelBotPlayer::~TLevelBotPlayer() = default;

void TLevelBotPlayer::Frame()
{
    TStandardLevelScreen* screen = engine_.LevelScreen();
    TLevelSession* day = screen ? screen->Session() : nullptr;
    if (!bot_ || !day)
        return;
    const TQelInterfaceEngine* ui = engine_.Interface();
    const TQelForm* top = ui ? ui->TopModal() : nullptr;
    const bool penalty = top && top->Name() == kPenaltyWindow;
    if (top && (top->Name() == kBeforeLevelWindow || penalty)) {
        if (std::optional<TPoint> play = widgets_.VisibleWidgetCentre(penalty ? kPenaltyButton : kPlayButton)) {
            mouse_->Move(play->X, play->Y);
            mouse_->Press(TLevelMouseButton::Left, play->X, play->Y);
        }
        return;
    }
    const TScreenMode mode = engine_.Shell.ScreenMode;
    const bool played =
        mode == TScreenMode::smLevel || mode == TScreenMode::smBonusLevel || mode == TScreenMode::smPixelLevel;
    if (played && day->Phase() == TLevelPhase::Running && !day->Paused())
        bot_->Act(*day, *mouse_, day->Now());
}
