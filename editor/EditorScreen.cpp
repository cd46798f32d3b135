// The level editor over a standard day: its handlers, keys, mouse and outlines.
#include "editor/EditorScreen.h"

#include "editor/EditorFiles.h"
#include "foundation/Input.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "gameplay/GameTables.h"
#include "gameplay/Level.h"
#include "gameplay/LevelSession.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "metagame/Episods.h"
#include "screens/level/LevelScreen.h"
#include "screens/ScreenLayout.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

const std::string kWindow = "WEditor";
const std::string kPanel = "WEditor_TFPanel";
const std::string kPanel2 = "WEditor_TFPanel2";
const std::string kGameWindow = "WGame";

constexpr std::array<const char*, 4> kRadios = { "WEditor_TFPanel_RBLenta", "WEditor_TFPanel_RBOblaka",
    "WEditor_TFPanel_RBUpgrade", "WEditor_TFPanel_RBPerson" };

// The panel stands at the top or at the bottom of the screen, out of the way of what is
// edited.
constexpr int32_t kPanelTop = 0;
constexpr int32_t kPanelBottom = 530;

// Key codes of the window's keys.
constexpr uint16_t kSpace = 32;
constexpr uint16_t kLeft = 37;
constexpr uint16_t kUp = 38;
constexpr uint16_t kRight = 39;
constexpr uint16_t kDown = 40;
constexpr uint16_t kF1 = 112;
constexpr uint16_t Letter(char c)
{
    return static_cast<uint16_t>(c);
}

// Steps of the arrow keys; Ctrl takes the long one.
constexpr int32_t kStep = 1;
constexpr int32_t kPlaceCtrlStep = 10;
constexpr int32_t kNodeCtrlStep = 50;
constexpr double kNodeValueStep = 0.1; // Z, X, A, S, Q, W change a node's angles by this
// Where F1 puts a new node: the middle of the screen.
constexpr TPathNode kNewNode { 400, 300 };

// How near a press must be to an item to take it (pixels), and the size of the outline
// of a customer place and of a node.
constexpr int32_t kPickRadius = 16;
constexpr int32_t kPlaceBox = 24;
constexpr int32_t kNodeBox = 8;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint8_t kFaint = 110; // outlines of what is not selected

// The day's numbers the panel shows, and how each is kept (the time in ms, typed in s).
struct TNumberEdit {
    const char* Edit;
    int32_t TLevelInEpisod::*Field;
    int32_t Scale;
};
constexpr TNumberEdit kNumbers[] = {
    { "WEditor_TFPanel_EGoal", &TLevelInEpisod::Goal, 1 },
    { "WEditor_TFPanel_EExGoal", &TLevelInEpisod::ExGoal, 1 },
    { "WEditor_TFPanel_EGreatGoal", &TLevelInEpisod::GreatGoal, 1 },
    { "WEditor_TFPanel_ETime", &TLevelInEpisod::LevelTime, 1000 },
    { "WEditor_TFPanel_ESpeed", &TLevelInEpisod::SpeedLenta, 1 },
    { "WEditor_TFPanel_EBorn", &TLevelInEpisod::BornPeriod, 1 },
    { "WEditor_TFPanel_EPersons", &TLevelInEpisod::PersCount, 1 },
};

constexpr TScreenMethod<TEditorScreen> kMethods[] = {
    { "WGame_BEdit_MouseUp", &TEditorScreen::WGame_BEdit_MouseUp },
    { "WEditor_TFPanel_RBLenta_MouseUp", &TEditorScreen::WEditor_TFPanel_RB_MouseUp },
    { "WEditor_TFPanel_RBOblaka_MouseUp", &TEditorScreen::WEditor_TFPanel_RB_MouseUp },
    { "WEditor_TFPanel_RBUpgrade_MouseUp", &TEditorScreen::WEditor_TFPanel_RB_MouseUp },
    { "WEditor_TFPanel_RBPerson_MouseUp", &TEditorScreen::WEditor_TFPanel_RB_MouseUp },
    { "WEditor_TFPanel_BUp_MouseUp", &TEditorScreen::WEditor_TFPanel_BUp_MouseUp },
    { "WEditor_TFPanel_BDown_MouseUp", &TEditorScreen::WEditor_TFPanel_BDown_MouseUp },
    { "WEditor_TFPanel_BSave_MouseUp", &TEditorScreen::WEditor_TFPanel_BSave_MouseUp },
    { "WEditor_TFPanel_BLoad_MouseUp", &TEditorScreen::WEditor_TFPanel_BLoad_MouseUp },
    { "WEditor_TFPanel_BTry_MouseUp", &TEditorScreen::WEditor_TFPanel_BTry_MouseUp },
    { "WEditor_TFPanel_BQuit_MouseUp", &TEditorScreen::WEditor_TFPanel_BQuit_MouseUp },
};

int32_t Wrapped(int32_t index, size_t count)
{
    return count == 0 ? -1 : (index + 1) % static_cast<int32_t>(count);
}

bool Inside(const TRect& r, int32_t x, int32_t y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

} // namespace

TEditorScreen::TEditorScreen(TScreenContext& context, TStandardLevelScreen& day)
    : c_(context)
    , day_(day)
    , methods_(context.Methods, *this, std::span<const TScreenMethod<TEditorScreen>>(kMethods))
{
}

TLevelSession* TEditorScreen::Session() const
{
    return day_.Session();
}

tLevel* TEditorScreen::Level() const
{
    TLevelSession* session = Session();
    return session ? &session->Level() : nullptr;
}

TEpisod* TEditorScreen::Episod() const
{
    TLevelSession* session = Session();
    return session ? c_.Tables.Episods.Episod(session->Day().Episod) : nullptr;
}

TLevelInEpisod* TEditorScreen::Day() const
{
    TEpisod* episod = Episod();
    TLevelSession* session = Session();
    if (!episod || !session || session->Day().LevelIndex < 0
        || static_cast<size_t>(session->Day().LevelIndex) >= episod->Levels.size())
        return nullptr;
    return &episod->Levels[static_cast<size_t>(session->Day().LevelIndex)];
}

// ---- Entering and the panel -------------------------------------------------------------

void TEditorScreen::WGame_BEdit_MouseUp()
{
    TLevelSession* session = Session();
    if (!session || !c_.Options.IsDebugMode())
        return;
    LogAndCarryOn(c_.Log, "Error WGame_BEdit_MouseUp", [&] {
        session->Pause();
        c_.Shell.PreviousScreenMode = c_.Shell.ScreenMode;
        c_.Switch.Request(TScreenMode::smEditor);
        c_.Interface.HideModalList();
        c_.Interface.ShowModal(kWindow);
        c_.Interface.SetObjectProperty(kPanel, "Visible", "True");
        c_.Interface.SetObjectProperty(kPanel2, "Visible", "False");
        for (const char* radio : kRadios)
            c_.Interface.SetObjectProperty(radio, "Checked", "False");
        flags_ = {};
        node_ = place_ = upgrade_ = -1;
        ReadNodes();
        pathText_ = PathNodesText(nodes_);
        MovePanel(static_cast<int32_t>(VariantToInt(c_.Interface.GetObjectValue(kPanel, "Top"))));
        ShowNumbers();
        c_.Commands.MarkWholeScreen();
    });
}

void TEditorScreen::Enter(TScreenMode /*from*/)
{
    c_.Commands.MarkWholeScreen();
}

void TEditorScreen::WEditor_TFPanel_RB_MouseUp()
{
    ReadFlags();
}

void TEditorScreen::ReadFlags()
{
    // A check reads back as "True" or "False".
    auto checked = [&](const char* name) {
        return EqualsNoCase(VariantToString(c_.Interface.GetObjectValue(name, "Checked")), "True");
    };
    flags_.Lenta = checked(kRadios[0]);
    flags_.Oblaka = checked(kRadios[1]);
    flags_.Upgrade = checked(kRadios[2]);
    flags_.Person = checked(kRadios[3]);
}

void TEditorScreen::WEditor_TFPanel_BUp_MouseUp()
{
    MovePanel(kPanelTop);
}
void TEditorScreen::WEditor_TFPanel_BDown_MouseUp()
{
    MovePanel(kPanelBottom);
}

void TEditorScreen::MovePanel(int32_t top)
{
    c_.Interface.SetObjectProperty(kPanel, "Top", IntToStr(top));
    auto value = [&](const char* prop) {
        return static_cast<int32_t>(VariantToInt(c_.Interface.GetObjectValue(kPanel, prop)));
    };
    const int32_t left = value("Left");
    panelRect_ = { left, top, left + value("Width"), top + value("Height") };
    c_.Commands.MarkWholeScreen();
}

void TEditorScreen::ShowNumbers()
{
    const TLevelInEpisod* day = Day();
    for (const TNumberEdit& row : kNumbers)
        c_.Interface.SetObjectProperty(row.Edit, "Caption", day ? IntToStr(day->*row.Field / row.Scale) : "");
}

bool TEditorScreen::ReadNumbers()
{
    TLevelInEpisod* day = Day();
    if (!day)
        return false;
    bool clean = true;
    for (const TNumberEdit& row : kNumbers) {
        const std::string text = Trim(VariantToString(c_.Interface.GetObjectValue(row.Edit, "Caption")));
        std::optional<int64_t> value = StrictInt(text);
        // A number that does not fit keeps the day's own: a typo must not become a zero.
        if (!value || *value < 0 || *value > INT32_MAX / row.Scale) {
            c_.Log.WriteLog(std::string("Error WEditor: \"") + text + "\" in " + row.Edit + " is not a number");
            clean = false;
            continue;
        }
        day->*row.Field = static_cast<int32_t>(*value) * row.Scale;
    }
    if (tLevel* level = Level()) {
        // The goals count at once when the day is tried; time and speed when it loads.
        level->Goals.Goal = day->Goal;
        level->Goals.ExGoal = day->ExGoal;
        level->Goals.GreatGoal = day->GreatGoal;
    }
    return clean;
}

void TEditorScreen::WEditor_TFPanel_BSave_MouseUp()
{
    tLevel* level = Level();
    TLevelSession* session = Session();
    if (!level || !session)
        return;
    ReadNumbers();
    WriteNodes();
    if (SaveLevelFile(c_, *level))
        SaveEpisodFile(c_, session->Day().Episod, session->Day().LevelIndex);
}

void TEditorScreen::WEditor_TFPanel_BLoad_MouseUp()
{
    TLevelSession* session = Session();
    if (!session)
        return;
    const TLevelDay day = session->Day();
    ReadNumbers();
    if (day_.StartDay(day.Episod, day.LevelIndex))
        WGame_BEdit_MouseUp();
}

void TEditorScreen::WEditor_TFPanel_BTry_MouseUp()
{
    TLevelSession* session = Session();
    if (!session)
        return;
    ReadNumbers();
    WriteNodes();
    c_.Interface.HideModalList();
    c_.Interface.ShowModal(kGameWindow);
    session->Start();
    session->Resume();
    c_.Switch.Request(TScreenMode::smLevel);
    c_.Commands.MarkWholeScreen();
}

void TEditorScreen::WEditor_TFPanel_BQuit_MouseUp()
{
    day_.WAbortLevel_BOk_MouseUp();
    if (openList_)
        openList_();
}

// ---- The belt's nodes --------------------------------------------------------------------

void TEditorScreen::ReadNodes()
{
    tLevel* level = Level();
    nodes_.clear();
    if (level && !level->Lentas.empty())
        nodes_ = ReadPathNodes(level->Lentas.front().PathScript);
    if (node_ >= static_cast<int32_t>(nodes_.size()))
        node_ = -1;
}

void TEditorScreen::WriteNodes()
{
    tLevel* level = Level();
    pathText_ = PathNodesText(nodes_);
    if (!level || level->Lentas.empty() || nodes_.empty())
        return;
    const std::string script = BeltPathScript(nodes_);
    if (script == level->Lentas.front().PathScript)
        return;
    LogAndCarryOn(c_.Log, "Error WEditor: path", [&] { level->Lentas.front().SetPathScript(script); });
}

void TEditorScreen::ChangeNode(double firstDelta, double secondDelta)
{
    if (node_ < 0 || static_cast<size_t>(node_) >= nodes_.size())
        return;
    TPathNode& node = nodes_[static_cast<size_t>(node_)];
    node.FirstAngle += firstDelta;
    node.SecondAngle += secondDelta;
}

// ---- Items: path nodes, customer places, upgrade pictures ----------------------------------

void TEditorScreen::SelectNext()
{
    if (flags_.Person) {
        if (tLevel* level = Level())
            place_ = Wrapped(place_, level->Scene.PersPosition.size());
    } else if (flags_.Upgrade) {
        if (TEpisod* episod = Episod())
            upgrade_ = Wrapped(upgrade_, episod->UpgradeItems.size());
    } else if (flags_.Lenta) {
        node_ = Wrapped(node_, nodes_.size());
    }
}

TPoint TEditorScreen::ItemPos(int32_t index) const
{
    if (index < 0)
        return {};
    const size_t i = static_cast<size_t>(index);
    if (flags_.Person) {
        const tLevel* level = Level();
        if (level && i < level->Scene.PersPosition.size())
            return { level->Scene.PersPosition[i].X, level->Scene.PersPosition[i].Y };
    } else if (flags_.Upgrade) {
        const TEpisod* episod = Episod();
        if (episod && i < episod->UpgradeItems.size())
            return episod->UpgradeItems[i].Pos;
    } else if (flags_.Lenta && i < nodes_.size()) {
        return { static_cast<int32_t>(std::lround(nodes_[i].X)), static_cast<int32_t>(std::lround(nodes_[i].Y)) };
    }
    return {};
}

void TEditorScreen::SetItemPos(int32_t index, TPoint pos)
{
    if (index < 0)
        return;
    const size_t i = static_cast<size_t>(index);
    if (flags_.Person) {
        tLevel* level = Level();
        if (level && i < level->Scene.PersPosition.size()) {
            level->Scene.PersPosition[i].X = pos.X;
            level->Scene.PersPosition[i].Y = pos.Y;
        }
    } else if (flags_.Upgrade) {
        TEpisod* episod = Episod();
        if (episod && i < episod->UpgradeItems.size())
            episod->UpgradeItems[i].Pos = pos;
    } else if (flags_.Lenta && i < nodes_.size()) {
        nodes_[i].X = pos.X;
        nodes_[i].Y = pos.Y;
    }
}

void TEditorScreen::MoveSelected(int32_t dx, int32_t dy)
{
    const int32_t index = flags_.Person ? place_ : flags_.Upgrade ? upgrade_ : flags_.Lenta ? node_ : -1;
    if (index < 0)
        return;
    TPoint p = ItemPos(index);
    SetItemPos(index, { p.X + dx, p.Y + dy });
}

int32_t TEditorScreen::ItemAt(int32_t x, int32_t y) const
{
    size_t count = 0;
    if (flags_.Person) {
        const tLevel* level = Level();
        count = level ? level->Scene.PersPosition.size() : 0;
    } else if (flags_.Upgrade) {
        const TEpisod* episod = Episod();
        count = episod ? episod->UpgradeItems.size() : 0;
    } else if (flags_.Lenta) {
        count = nodes_.size();
    }
    for (size_t i = 0; i < count; ++i) {
        TPoint p = ItemPos(static_cast<int32_t>(i));
        if (std::abs(p.X - x) <= kPickRadius && std::abs(p.Y - y) <= kPickRadius)
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool TEditorScreen::KeyDown(const TQelKeyEvent& event)
{
    if (!Level())
        return false;
    const bool ctrl = (event.Shift & ShiftState::Ctrl) != 0;
    const int32_t step
        = ctrl ? (flags_.Lenta && !flags_.Person && !flags_.Upgrade ? kNodeCtrlStep : kPlaceCtrlStep) : kStep;
    bool nodesChanged = false;
    switch (event.Key) {
    case kSpace:
        SelectNext();
        break;
    case kLeft:
        MoveSelected(-step, 0);
        break;
    case kRight:
        MoveSelected(step, 0);
        break;
    case kUp:
        MoveSelected(0, -step);
        break;
    case kDown:
        MoveSelected(0, step);
        break;
    case Letter('Z'):
        ChangeNode(-kNodeValueStep, 0);
        break;
    case Letter('X'):
        ChangeNode(kNodeValueStep, 0);
        break;
    case Letter('S'):
        ChangeNode(0, -kNodeValueStep);
        break;
    case Letter('A'):
        ChangeNode(0, kNodeValueStep);
        break;
    case Letter('Q'):
        ChangeNode(-kNodeValueStep, -kNodeValueStep);
        break;
    case Letter('W'):
        ChangeNode(kNodeValueStep, kNodeValueStep);
        break;
    case kF1:
        nodes_.push_back(kNewNode);
        break;
    default:
        return false;
    }
    nodesChanged = flags_.Lenta;
    if (nodesChanged)
        WriteNodes();
    c_.Commands.MarkWholeScreen();
    return true;
}

void TEditorScreen::MouseDown(const TQelMouseEvent& event)
{
    if (Inside(panelRect_, event.X, event.Y) || event.Button != TQelMouseButton::Left)
        return;
    const int32_t index = ItemAt(event.X, event.Y);
    if (index < 0)
        return;
    if (flags_.Person)
        place_ = index;
    else if (flags_.Upgrade)
        upgrade_ = index;
    else if (flags_.Lenta)
        node_ = index;
    dragging_ = true;
    dragFrom_ = { event.X, event.Y };
}

void TEditorScreen::MouseMove(const TQelMouseEvent& event)
{
    if (!dragging_)
        return;
    MoveSelected(event.X - dragFrom_.X, event.Y - dragFrom_.Y);
    dragFrom_ = { event.X, event.Y };
    c_.Commands.MarkWholeScreen();
}

void TEditorScreen::MouseUp(const TQelMouseEvent& /*event*/)
{
    if (!dragging_)
        return;
    dragging_ = false;
    if (flags_.Lenta)
        WriteNodes();
}

// ---- Drawing -----------------------------------------------------------------------------

void TEditorScreen::Draw()
{
    day_.Draw();
    LogAndCarryOn(c_.Log, "Error DrawEditor", [&] { DrawOutlines(); });
}

void TEditorScreen::DrawOutlines()
{
    auto box = [&](TRect r, uint32_t colour, uint8_t intensity) {
        c_.Surfaces.DrawWuLine(kFrame, colour, intensity, r.Left, r.Top, r.Right, r.Top);
        c_.Surfaces.DrawWuLine(kFrame, colour, intensity, r.Right, r.Top, r.Right, r.Bottom);
        c_.Surfaces.DrawWuLine(kFrame, colour, intensity, r.Right, r.Bottom, r.Left, r.Bottom);
        c_.Surfaces.DrawWuLine(kFrame, colour, intensity, r.Left, r.Bottom, r.Left, r.Top);
    };
    auto around = [](TPoint p, int32_t half) { return TRect { p.X - half, p.Y - half, p.X + half, p.Y + half }; };

    if (const TEpisod* episod = Episod())
        for (size_t i = 0; i < episod->UpgradeItems.size(); ++i) {
            const TUpgradeItem& item = episod->UpgradeItems[i];
            int32_t w = kPlaceBox, h = kPlaceBox;
            const int index = c_.Surfaces.IndexOfSurface(item.FileName);
            if (const TSurface* surface = index >= 0 ? c_.Surfaces.SurfaceAt(index) : nullptr) {
                w = surface->Width;
                h = surface->Height;
            }
            const bool selected = flags_.Upgrade && upgrade_ == static_cast<int32_t>(i);
            box({ item.Pos.X, item.Pos.Y, item.Pos.X + w, item.Pos.Y + h }, kYellow, selected ? 255 : kFaint);
        }
    if (const tLevel* level = Level())
        for (size_t i = 0; i < level->Scene.PersPosition.size(); ++i) {
            const TPersPlace& place = level->Scene.PersPosition[i];
            const bool selected = flags_.Person && place_ == static_cast<int32_t>(i);
            box(around({ place.X, place.Y }, kPlaceBox / 2), kWhite, selected ? 255 : kFaint);
        }
    for (size_t i = 0; i < nodes_.size(); ++i) {
        const TPathNode& node = nodes_[i];
        if (i > 0)
            c_.Surfaces.DrawWuLine(kFrame, kWhite, kFaint, nodes_[i - 1].X, nodes_[i - 1].Y, node.X, node.Y);
        const bool selected = flags_.Lenta && node_ == static_cast<int32_t>(i);
        box(around(
                { static_cast<int32_t>(std::lround(node.X)), static_cast<int32_t>(std::lround(node.Y)) }, kNodeBox / 2),
            kWhite, selected ? 255 : kFaint);
    }
}
