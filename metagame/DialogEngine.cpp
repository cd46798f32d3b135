// The dialog-script player: the due lines of each tick, what each command does, the
// moves, fades and animations of the objects a script made, pauses passed by a press or
// a key, and the skip to the EndForSkip line.
#include "metagame/DialogEngine.h"

#include "foundation/DataSource.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <variant>

namespace {

// Music changes of a script fade out and in over this long.
constexpr int32_t kMusicFadeMs = 1000;
// A move ends this close to its target (pixels, on each axis), a fade this close to its
// opacity; both then snap to the target.
constexpr double kMoveSnap = 9;
constexpr double kFadeSnap = 20;
constexpr double kMsPerSecond = 1000;
// The script that points the player at a piece with the cursor effect.
constexpr std::string_view kBeginLevelScript = "Script_Dialog_BeginLevel.xml";
// Next buttons the script never shows itself: the screen shows them once a printed text
// is out.
constexpr std::string_view kNextButtons[] = {"WGame_BNext", "WMap_BNext"};

uint8_t ClampAlpha(double a)
{
    return static_cast<uint8_t>(std::clamp(RoundHalfEven(a), 0, 255));
}

uint8_t MouseBit(TQelMouseButton button)
{
    switch (button) {
    case TQelMouseButton::Left: return DialogMouse::kLeft;
    case TQelMouseButton::Right: return DialogMouse::kRight;
    case TQelMouseButton::Middle: return DialogMouse::kMiddle;
    }
    return 0;
}

TPoint Add(TPoint a, TPoint b)
{
    return {a.X + b.X, a.Y + b.Y};
}

bool IsZero(TPoint p)
{
    return p.X == 0 && p.Y == 0;
}

// The box cell coded in SelectOnFish: tens digit = column + 1, units digit = row + 1.
struct TCodedCell {
    int32_t Column, Row;
};

std::optional<TCodedCell> CodedCell(int32_t selectOnFish, const TDialogBoxGrid& grid)
{
    const TCodedCell cell{selectOnFish / 10 - 1, selectOnFish % 10 - 1};
    if (cell.Column < 0 || cell.Row < 0 || cell.Column >= grid.Columns || cell.Row >= grid.Rows)
        return std::nullopt;
    return cell;
}

// The cell at a point; floor division, so points left of or above the box are in no cell.
std::optional<TCodedCell> CellAt(const TDialogBoxGrid& grid, int32_t x, int32_t y)
{
    if (grid.CellWidth <= 0 || grid.CellHeight <= 0)
        return std::nullopt;
    const int64_t dx = int64_t {x} - grid.Left, dy = int64_t {y} - grid.Top;
    if (dx < 0 || dy < 0)
        return std::nullopt;
    return TCodedCell{static_cast<int32_t>(dx / grid.CellWidth), static_cast<int32_t>(dy / grid.CellHeight)};
}

}  // namespace

TDialog::TDialog(const IClock& clock, const TDialogServices& services)
    : clock_(clock),
      widgets_(services.Widgets ? *services.Widgets : noWidgets_),
      typing_(services.Typing ? *services.Typing : noTyping_),
      pictures_(services.Pictures ? *services.Pictures : noPictures_),
      effects_(services.Effects ? *services.Effects : noEffects_),
      audio_(services.Audio ? *services.Audio : noAudio_),
      level_(services.Level ? *services.Level : noLevel_),
      log_(services.Log)
{
}

const std::vector<TDialog::TCommandHandler>& TDialog::Handlers()
{
    using C = TDialogCommand;
    using D = TDialog;
    // StopSound, Pause, EndForSkip and unknown commands do nothing when they are due.
    static const std::vector<TCommandHandler> rows = {
        {C::CreatePicture, &D::RunCreatePicture},
        {C::ChangePicture, &D::RunChangePicture},
        {C::PlaySound, &D::RunPlaySound},
        {C::PlayMusic, &D::RunPlayMusic},
        {C::StopMusic, &D::RunStopMusic},
        {C::CreateEffect, &D::RunCreateEffect},
        {C::DeleteEffect, &D::RunDeleteEffect},
        {C::ChangeInterfaceObject, &D::RunChangeInterfaceObject},
        {C::CreateButton, &D::RunCreateButton},
        {C::SendMessage, &D::RunSendMessage},
    };
    return rows;
}

void TDialog::LogError(const std::string& routine, const std::string& detail) const
{
    if (log_)
        log_->WriteLog("Error " + routine + ": " + fileName_ + ": " + detail);
}

// ---------------------------------------------------------------------------------------
// Loading and the timeline

void TDialog::LoadDialog(const TDataSource& data, const std::string& fileName)
{
    Loaded(fileName, ReadDialogScript(data, fileName, TDialogReadMode::Lenient));
}

void TDialog::LoadDialogText(std::string_view xml, const std::string& fileName)
{
    Loaded(fileName, ReadDialogScript(xml, fileName, TDialogReadMode::Lenient));
}

// A new script starts from nothing: no objects, no music to go back to.
void TDialog::Loaded(const std::string& fileName, TDialogScript script)
{
    fileName_ = fileName;
    script_ = std::move(script);
    objects_.clear();
    rememberedMusic_.clear();
    current_ = 0;
    started_ = false;
    ended_ = false;
    if (!script_.Error.empty())
        LogError("LoadDialog", script_.Error);
}

void TDialog::StartDialog(int64_t time, int32_t value)
{
    startValue_ = value;
    started_ = true;
    ended_ = false;
    current_ = 0;
    // The segment starts before line 0 runs, so a move it starts ends in time.
    lineStart_ = time;
    previousTick_ = time;
    if (!script_.Lines.empty()) {
        NoteUnending(0);
        ExecuteDialogLine(0, time);
    }
}

bool TDialog::WaitingForInput() const
{
    if (current_ < 0 || static_cast<size_t>(current_) >= script_.Lines.size())
        return false;
    const TDialogList& line = script_.Lines[static_cast<size_t>(current_)];
    return line.Kind == TDialogCommand::Pause && line.Time == 0 && !line.Unending;
}

void TDialog::NoteUnending(size_t index)
{
    const TDialogList& line = script_.Lines[index];
    if (line.Unending)
        LogError("TickDialog", "line " + std::to_string(index + 1) +
                                   ": a pause that no press or key can end is passed at once");
}

void TDialog::TickDialog(int64_t now)
{
    if (!started_ || ended_)
        return;
    TickDialogObjects(now);
    if (WaitingForInput())
        return;
    const size_t count = script_.Lines.size();
    if (static_cast<size_t>(current_) + 1 >= count) {
        ended_ = true;
        return;
    }
    while (static_cast<size_t>(current_) + 1 < count &&
           script_.Lines[static_cast<size_t>(current_) + 1].Time < now - lineStart_) {
        ++current_;
        const size_t index = static_cast<size_t>(current_);
        if (script_.Lines[index].Kind == TDialogCommand::Pause) {
            lineStart_ = now;
            NoteUnending(index);
        }
        ExecuteDialogLine(index, now);
    }
}

void TDialog::ExecuteDialogLine(size_t index, int64_t now)
{
    const TDialogList& line = script_.Lines[index];
    try {
        for (const TCommandHandler& h : Handlers())
            if (h.Kind == line.Kind) {
                (this->*h.Run)(line, now);
                break;
            }
    } catch (const std::exception& e) {
        LogError("ExecuteDialogLine", "line " + std::to_string(index + 1) + " (" + line.Command + "): " + e.what());
    }
}

void TDialog::ShiftDialogTime(int64_t amount)
{
    lineStart_ += amount;
    // Moves, fades and animations wait as well, so nothing jumps after the pause.
    previousTick_ += amount;
    for (TDialogObject& o : objects_) {
        o.MoveEnd += amount;
        o.FadeEnd += amount;
        o.NextFrameAt += amount;
    }
}

// ---------------------------------------------------------------------------------------
// Widgets

bool TDialog::WidgetExists(const std::string& name) const
{
    return !std::holds_alternative<std::monostate>(widgets_.GetObjectValue(name, "Width"));
}

int32_t TDialog::WidgetInt(const std::string& name, const std::string& property) const
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(VariantToInt(widgets_.GetObjectValue(name, property)), std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max()));
}

void TDialog::SetWidget(const std::string& name, const std::string& property, const std::string& value)
{
    widgets_.SetObjectProperty(name, property, value);
}

TDialogObject* TDialog::FindObject(TDialogObjectKind kind, const std::string& id)
{
    for (TDialogObject& o : objects_)
        if (o.Kind == kind && o.ID == id)
            return &o;
    return nullptr;
}

// ---------------------------------------------------------------------------------------
// Pieces and box cells

std::optional<TPoint> TDialog::FishOffset(const TDialogList& line, bool forEffect) const
{
    if (line.SelectOnFish < 0)
        return std::nullopt;
    if (const std::optional<TDialogBoxGrid> grid = level_.BoxGrid()) {
        const std::optional<TCodedCell> cell = CodedCell(line.SelectOnFish, *grid);
        if (!cell)
            return std::nullopt;
        return TPoint{cell->Column * grid->CellWidth + grid->Left, cell->Row * grid->CellHeight + grid->Top};
    }
    return level_.PiecePoint(line.SelectOnFish, forEffect);
}

bool TDialog::PressOnFish(const TDialogList& pause, int32_t x, int32_t y) const
{
    if (const std::optional<TDialogBoxGrid> grid = level_.BoxGrid()) {
        const std::optional<TCodedCell> coded = CodedCell(pause.SelectOnFish, *grid);
        const std::optional<TCodedCell> pressed = CellAt(*grid, x, y);
        return coded && pressed && coded->Column == pressed->Column && coded->Row == pressed->Row;
    }
    return level_.PiecePoint(pause.SelectOnFish, false) && level_.PieceAt(x, y) == pause.SelectOnFish;
}

// ---------------------------------------------------------------------------------------
// Commands

void TDialog::RunCreatePicture(const TDialogList& line, int64_t now)
{
    TDialogObject o;
    o.Kind = TDialogObjectKind::Picture;
    o.ID = line.ID;
    o.Surface = line.FileName;
    o.Size = pictures_.LoadPicture(line.FileName);
    o.Pos = Add(line.Pos, FishOffset(line, false).value_or(TPoint{}));
    o.X = o.Pos.X;
    o.Y = o.Pos.Y;
    o.Alpha = ClampAlpha(line.Alpha);
    o.AlphaNow = o.Alpha;
    o.Visible = line.Visible.value_or(false);
    if (!line.AnimeFiles.empty()) {
        o.Frames = pictures_.LoadAnime(line.AnimeFiles);
        if (!o.Frames.empty()) {
            o.Surface = o.Frames.front().Picture;
            o.Size = pictures_.LoadPicture(o.Surface);
            o.NextFrameAt = now + o.Frames.front().Time;
        }
    }
    objects_.push_back(std::move(o));
}

void TDialog::RunChangePicture(const TDialogList& line, int64_t now)
{
    if (TDialogObject* o = FindObject(TDialogObjectKind::Picture, line.ID))
        ApplyDialogLine(*o, line, now);
}

void TDialog::RunPlaySound(const TDialogList& line, int64_t)
{
    audio_.PlaySoundEvent(line.FileName);
}

void TDialog::RunPlayMusic(const TDialogList& line, int64_t)
{
    rememberedMusic_ = audio_.CurrentMusic();
    audio_.ChangeMusic(line.FileName, line.Pattern, kMusicFadeMs, kMusicFadeMs);
}

void TDialog::RunStopMusic(const TDialogList&, int64_t)
{
    // Without a PlayMusic before it there is no music to go back to.
    if (!rememberedMusic_.empty())
        audio_.ChangeMusic(rememberedMusic_, {}, kMusicFadeMs, kMusicFadeMs);
}

void TDialog::RunCreateEffect(const TDialogList& line, int64_t)
{
    const TPoint p = Add(line.Pos, FishOffset(line, true).value_or(TPoint{}));
    effects_.CreateEffect(line.FileName, p.X, p.Y);
}

void TDialog::RunDeleteEffect(const TDialogList& line, int64_t)
{
    effects_.DeleteEffect(line.FileName);
}

void TDialog::RunChangeInterfaceObject(const TDialogList& line, int64_t now)
{
    TDialogObject* o = FindObject(TDialogObjectKind::Widget, line.InterfaceObject);
    if (!o) {
        TDialogObject widget;
        widget.Kind = TDialogObjectKind::Widget;
        widget.ID = line.InterfaceObject;
        objects_.push_back(std::move(widget));
        o = &objects_.back();
    }
    if (fileName_ == kBeginLevelScript && line.SelectOnFish >= 0 && !level_.BoxGrid() &&
        level_.PiecePoint(line.SelectOnFish, false))
        level_.ShowCursorOnPiece(line.SelectOnFish, now);
    ApplyDialogLine(*o, line, now);
}

void TDialog::RunCreateButton(const TDialogList& line, int64_t)
{
    const std::string& name = line.InterfaceObject;
    if (!WidgetExists(name))
        return;
    const std::string parent = VariantToString(widgets_.GetObjectValue(name, "ParentName"));
    TDialogObject o;
    o.Kind = TDialogObjectKind::ButtonArea;
    o.ID = name;
    o.Rect = MakeRect(WidgetInt(name, "Left") + WidgetInt(parent, "Left"),
                      WidgetInt(name, "Top") + WidgetInt(parent, "Top"), WidgetInt(name, "Width"),
                      WidgetInt(name, "Height"));
    o.Visible = line.Visible.value_or(false);
    objects_.push_back(std::move(o));
}

void TDialog::RunSendMessage(const TDialogList& line, int64_t)
{
    if (!level_.AcceptsMessages())
        return;
    if (line.ID == "ShowThings")
        level_.ShowThings();
    else if (line.ID == "HideThings")
        level_.HideThings();
}

// ---------------------------------------------------------------------------------------
// Objects

void TDialog::ApplyDialogLine(TDialogObject& o, const TDialogList& line, int64_t now)
{
    o.Timer = line.Time;
    o.NextButton = line.NextButton;
    if (line.Visible)
        o.Visible = *line.Visible;
    const TPoint offset = FishOffset(line, false).value_or(TPoint{});
    if (o.Kind == TDialogObjectKind::Picture && !line.FileName.empty()) {
        o.Size = pictures_.LoadPicture(line.FileName);
        o.Surface = line.FileName;
    }
    if (o.Kind == TDialogObjectKind::Widget) {
        const std::string& name = o.ID;
        if (line.Enabled)
            SetWidget(name, "Enabled", *line.Enabled ? "True" : "False");
        if (line.Color)
            SetWidget(name, "Color", IntToStr(*line.Color));
        if (line.MouseOverColor)
            SetWidget(name, "MouseOverColor", IntToStr(*line.MouseOverColor));
        if (line.Caption) {
            if (line.Caption->empty()) {
                SetCaption(widgets_, name, {});
            } else {
                SetCaption(widgets_, name, GetCaption(widgets_, *line.Caption));
                if (const std::optional<int64_t> duration = typing_.PrintDuration(name))
                    level_.PrintingCaption(name, now + *duration, line.NextButton);
            }
        }
        const bool nextButton = std::find(std::begin(kNextButtons), std::end(kNextButtons), name) !=
                                std::end(kNextButtons);
        if (line.Visible && !(*line.Visible && nextButton))
            SetWidget(name, "Visible", *line.Visible ? "True" : "False");
        if (!IsZero(line.Pos))
            PlaceObject(o, Add(line.Pos, offset));
    }
    if (o.Kind == TDialogObjectKind::Picture && !IsZero(line.Pos))
        PlaceObject(o, Add(line.Pos, offset));
    if (!IsZero(line.PosFrom) || !IsZero(line.PosTo))
        StartDialogMove(o, line, offset);
    if (line.AlphaFrom != 0 || line.AlphaTo != 0)
        StartDialogFade(o, line, now);
}

void TDialog::PlaceObject(TDialogObject& o, TPoint p)
{
    o.Pos = p;
    o.X = p.X;
    o.Y = p.Y;
    if (o.Kind == TDialogObjectKind::Widget) {
        SetWidget(o.ID, "Left", IntToStr(p.X));
        SetWidget(o.ID, "Top", IntToStr(p.Y));
    }
}

void TDialog::SetObjectAlpha(TDialogObject& o, double alpha, bool write)
{
    o.AlphaNow = std::clamp(alpha, 0.0, 255.0);
    const uint8_t a = ClampAlpha(o.AlphaNow);
    if (a == o.Alpha && !write)
        return;
    o.Alpha = a;
    if (o.Kind == TDialogObjectKind::Widget)
        SetWidget(o.ID, "Alpha", IntToStr(a));
}

// The object moves from where it is, at the speed PosFrom -> PosTo in Duration.
void TDialog::StartDialogMove(TDialogObject& o, const TDialogList& line, TPoint offset)
{
    if (o.Kind == TDialogObjectKind::Widget && WidgetExists(o.ID)) {
        o.Pos = {WidgetInt(o.ID, "Left"), WidgetInt(o.ID, "Top")};
        o.X = o.Pos.X;
        o.Y = o.Pos.Y;
    }
    const TPoint target = Add(line.PosTo, offset);
    if (line.Duration <= 0) {
        o.Moving = false;
        PlaceObject(o, target);
        return;
    }
    o.MoveTarget = target;
    o.SpeedX = (static_cast<double>(line.PosTo.X) - line.PosFrom.X) / line.Duration * kMsPerSecond;
    o.SpeedY = (static_cast<double>(line.PosTo.Y) - line.PosFrom.Y) / line.Duration * kMsPerSecond;
    o.MoveEnd = lineStart_ + line.Time + line.Duration;
    o.Moving = true;
}

void TDialog::StartDialogFade(TDialogObject& o, const TDialogList& line, int64_t now)
{
    o.AlphaFrom = line.AlphaFrom;
    o.AlphaTarget = std::clamp(line.AlphaTo, 0, 255);
    if (line.Duration <= 0) {
        o.Fading = false;
        SetObjectAlpha(o, o.AlphaTarget, true);
        return;
    }
    SetObjectAlpha(o, line.AlphaFrom, true);
    o.AlphaSpeed = (static_cast<double>(line.AlphaTo) - line.AlphaFrom) / line.Duration * kMsPerSecond;
    o.FadeEnd = now + line.Duration;
    o.Fading = true;
}

void TDialog::TickDialogObjects(int64_t now)
{
    const double elapsed = static_cast<double>(std::max<int64_t>(now - previousTick_, 0)) / kMsPerSecond;
    previousTick_ = now;
    for (TDialogObject& o : objects_) {
        if (!o.Frames.empty() && now >= o.NextFrameAt) {
            o.Frame = (o.Frame + 1) % o.Frames.size();
            o.Surface = o.Frames[o.Frame].Picture;
            o.Size = pictures_.LoadPicture(o.Surface);
            o.NextFrameAt = now + o.Frames[o.Frame].Time;
        }
        if (o.Moving) {
            o.X += o.SpeedX * elapsed;
            o.Y += o.SpeedY * elapsed;
            const TPoint p{RoundHalfEven(o.X), RoundHalfEven(o.Y)};
            if (!(p == o.Pos)) {
                o.Pos = p;
                if (o.Kind == TDialogObjectKind::Widget) {
                    SetWidget(o.ID, "Left", IntToStr(p.X));
                    SetWidget(o.ID, "Top", IntToStr(p.Y));
                }
            }
            if (now > o.MoveEnd ||
                (std::fabs(o.X - o.MoveTarget.X) < kMoveSnap && std::fabs(o.Y - o.MoveTarget.Y) < kMoveSnap)) {
                o.Moving = false;
                PlaceObject(o, o.MoveTarget);
            }
        }
        if (o.Fading) {
            // Kept as a real, so a slow fade still moves a little every frame.
            SetObjectAlpha(o, o.AlphaNow + o.AlphaSpeed * elapsed, false);
            if (now > o.FadeEnd || std::fabs(o.AlphaNow - o.AlphaTarget) < kFadeSnap) {
                o.Fading = false;
                SetObjectAlpha(o, o.AlphaTarget, false);
            }
        }
    }
}

void TDialog::DrawDialogPictures(const std::string& target)
{
    for (const TDialogObject& o : objects_)
        if (o.Kind == TDialogObjectKind::Picture && o.Visible)
            pictures_.DrawPicture(target, o.Surface, o.Pos.X, o.Pos.Y, static_cast<uint8_t>(o.Alpha));
}

// ---------------------------------------------------------------------------------------
// Input

int32_t TDialog::PassablePause() const
{
    const auto& lines = script_.Lines;
    const size_t c = static_cast<size_t>(std::max(current_, 0));
    if (c < lines.size() && lines[c].Kind == TDialogCommand::Pause)
        return current_;
    if (c + 1 < lines.size() && lines[c + 1].Kind == TDialogCommand::Pause && lines[c + 1].Time >= 1)
        return current_ + 1;
    return -1;
}

// The line after the pause counts as done without running; the next segment starts now.
void TDialog::PassPause(int32_t index, int64_t now)
{
    current_ = index + 1;
    lineStart_ = now;
    level_.ClearHintMarks();
}

// Only ever forward: a skip button still there after the EndForSkip line must not run
// the lines between again.
void TDialog::Skip(int64_t now)
{
    const int32_t last = static_cast<int32_t>(script_.Lines.size()) - 1;
    const int32_t target = script_.SkipTarget >= 0 ? script_.SkipTarget : last;
    if (target <= current_)
        return;
    current_ = target;
    lineStart_ = now;
}

bool TDialog::DialogMouseDown(TQelMouseButton button, int32_t x, int32_t y)
{
    if (!started_ || ended_)
        return false;
    bool hit = false;
    try {
        const int64_t now = clock_.NowMs();
        for (const TDialogObject& o : objects_) {
            if (o.Kind != TDialogObjectKind::ButtonArea || !o.Rect.Contains(x, y))
                continue;
            if (IsSkipButton(o.ID)) {
                Skip(now);
                return false;
            }
            hit = true;
            break;
        }
        const int32_t p = PassablePause();
        if (p < 0)
            return hit;
        const TDialogList& pause = script_.Lines[static_cast<size_t>(p)];
        if (!(pause.Mouse & MouseBit(button)))
            return hit;
        if (pause.SelectOnFish < 0) {
            if (!pause.MouseDownRect || pause.MouseDownRect->Contains(x, y))
                PassPause(p, now);
        } else if (PressOnFish(pause, x, y)) {
            level_.TutorialPress(x, y);
            PassPause(p, now);
        }
    } catch (const std::exception& e) {
        LogError("DialogMouseDown", e.what());
    }
    return hit;
}

void TDialog::DialogKeyDown(int32_t key)
{
    if (!started_ || ended_)
        return;
    try {
        const int32_t p = PassablePause();
        if (p < 0)
            return;
        const TDialogList& pause = script_.Lines[static_cast<size_t>(p)];
        if (pause.SelectOnFish < 0 && std::find(pause.KeyDown.begin(), pause.KeyDown.end(), key) != pause.KeyDown.end())
            PassPause(p, clock_.NowMs());
    } catch (const std::exception& e) {
        LogError("DialogKeyDown", e.what());
    }
}
