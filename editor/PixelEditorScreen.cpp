// The heap editor over a pixel day: its handlers, the element picker and the outlines.
#include "editor/PixelEditorScreen.h"

#include "editor/EditorFiles.h"
#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/QelLog.h"
#include "foundation/Text.h"
#include "gameplay/Level.h"
#include "gameplay/LevelSession.h"
#include "graphics/SurfEngine.h"
#include "interface/QelInterfaceEngine.h"
#include "screens/level/DayVariant.h"
#include "screens/level/LevelScreen.h"
#include "screens/ScreenLayout.h"

#include <algorithm>
#include <filesystem>

namespace {

const std::string kWindow = "WEditor";
const std::string kPanel = "WEditor_TFPanel";
const std::string kPanel2 = "WEditor_TFPanel2";
const std::string kGameWindow = "WGame";
// The panel's controls that its arrow buttons hide and show again.
constexpr const char* kControls[] = { "WEditor_TFPanel2_BNew", "WEditor_TFPanel2_BClone", "WEditor_TFPanel2_BDelete",
    "WEditor_TFPanel2_EAngle", "WEditor_TFPanel2_BAngle", "WEditor_TFPanel2_CBFlip", "WEditor_TFPanel2_BUp",
    "WEditor_TFPanel2_BDown", "WEditor_TFPanel2_BMaxUp", "WEditor_TFPanel2_BMaxDown", "WEditor_TFPanel2_BSave",
    "WEditor_TFPanel2_BLoad", "WEditor_TFPanel2_BQuit" };

// A new heap picture starts in the middle of the screen; a clone stands this far right
// and down of its original, so both can be seen.
constexpr TPoint kNewHeapPos { 400, 300 };
constexpr int32_t kCloneShift = 10;
// The element picker: cells of this size, row after row, below the bar.
constexpr int32_t kCell = 96;
constexpr int32_t kCellsTop = 48;
constexpr int32_t kCellsPerRow = 800 / kCell;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGrey = 0x808080;
// The folder of element pictures beside the program's, and the one picture in it that
// is a button, not an element.
const char kElementFolder[] = "../Kostum";
const char kNotAnElement[] = "udfbutton.png";

constexpr TScreenMethod<TPixelEditorScreen> kMethods[] = {
    { "WGame_TFPixel_BEdit_MouseUp", &TPixelEditorScreen::WGame_TFPixel_BEdit_MouseUp },
    { "WEditor_TFPanel2_BNew_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BNew_MouseUp },
    { "WEditor_TFPanel2_BClone_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BClone_MouseUp },
    { "WEditor_TFPanel2_BDelete_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BDelete_MouseUp },
    { "WEditor_TFPanel2_BAngle_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BAngle_MouseUp },
    { "WEditor_TFPanel2_CBFlip_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_CBFlip_MouseUp },
    { "WEditor_TFPanel2_BUp_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BUp_MouseUp },
    { "WEditor_TFPanel2_BDown_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BDown_MouseUp },
    { "WEditor_TFPanel2_BMaxUp_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BMaxUp_MouseUp },
    { "WEditor_TFPanel2_BMaxDown_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BMaxDown_MouseUp },
    { "WEditor_TFPanel2_BArrawUp_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BArrawUp_MouseUp },
    { "WEditor_TFPanel2_BArrawDown_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BArrawDown_MouseUp },
    { "WEditor_TFPanel2_BSave_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BSave_MouseUp },
    { "WEditor_TFPanel2_BLoad_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BLoad_MouseUp },
    { "WEditor_TFPanel2_BQuit_MouseUp", &TPixelEditorScreen::WEditor_TFPanel2_BQuit_MouseUp },
};

// The picture's size as loaded; nothing known gives an empty size.
TPoint PictureSize(const TSurfEngine& surfaces, const std::string& name)
{
    const int index = surfaces.IndexOfSurface(name);
    const TSurface* surface = index >= 0 ? surfaces.SurfaceAt(index) : nullptr;
    return surface ? TPoint { surface->Width, surface->Height } : TPoint {};
}

} // namespace

TPixelEditorScreen::TPixelEditorScreen(TScreenContext& context, TStandardLevelScreen& day, IDayVariant& pixel)
    : c_(context)
    , day_(day)
    , pixel_(pixel)
    , methods_(context.Methods, *this, std::span<const TScreenMethod<TPixelEditorScreen>>(kMethods))
{
}

tLevel* TPixelEditorScreen::Level() const
{
    TLevelSession* session = day_.Session();
    return session && session->Level().IsPixelLevel() ? &session->Level() : nullptr;
}

void TPixelEditorScreen::Enter(TScreenMode /*from*/)
{
    c_.Commands.MarkWholeScreen();
}

void TPixelEditorScreen::WGame_TFPixel_BEdit_MouseUp()
{
    TLevelSession* session = day_.Session();
    if (!Level() || !c_.Options.IsDebugMode())
        return;
    session->Pause();
    c_.Shell.PreviousScreenMode = c_.Shell.ScreenMode;
    c_.Switch.Request(TScreenMode::smPixelEditor);
    c_.Interface.HideModalList();
    c_.Interface.ShowModal(kWindow);
    c_.Interface.SetObjectProperty(kPanel, "Visible", "False");
    c_.Interface.SetObjectProperty(kPanel2, "Visible", "True");
    ShowControls(true);
    Select(-1);
}

void TPixelEditorScreen::Select(int32_t index)
{
    selected_ = index;
    const tLevel* level = Level();
    if (level && index >= 0 && static_cast<size_t>(index) < level->Scene.HeapPictures.size()) {
        const tHeapRec& heap = level->Scene.HeapPictures[static_cast<size_t>(index)];
        c_.Interface.SetObjectProperty("WEditor_TFPanel2_EAngle", "Caption", IntToStr(heap.Angle));
        c_.Interface.SetObjectProperty("WEditor_TFPanel2_CBFlip", "Checked", heap.Flip ? "True" : "False");
    }
    c_.Commands.MarkWholeScreen();
}

void TPixelEditorScreen::Remake()
{
    TLevelSession* session = day_.Session();
    if (!session)
        return;
    LogAndCarryOn(c_.Log, "Error PixelEditor", [&] {
        pixel_.PrepareHeaps(session->Level());
        pixel_.MakeBackground(*session);
    });
    c_.Commands.MarkWholeScreen();
}

void TPixelEditorScreen::WEditor_TFPanel2_BNew_MouseUp()
{
    if (!Level())
        return;
    elements_ = ElementPictures();
    c_.Switch.Request(TScreenMode::smSelectElements);
    c_.Commands.MarkWholeScreen();
}

void TPixelEditorScreen::WEditor_TFPanel2_BClone_MouseUp()
{
    tLevel* level = Level();
    if (!level || selected_ < 0 || static_cast<size_t>(selected_) >= level->Scene.HeapPictures.size())
        return;
    tHeapRec copy = level->Scene.HeapPictures[static_cast<size_t>(selected_)];
    copy.Pos = { copy.Pos.X + kCloneShift, copy.Pos.Y + kCloneShift };
    copy.SecondName = "Heap" + IntToStr(static_cast<int64_t>(level->Scene.HeapPictures.size()));
    level->Scene.HeapPictures.push_back(std::move(copy));
    Remake();
    Select(static_cast<int32_t>(level->Scene.HeapPictures.size()) - 1);
}

void TPixelEditorScreen::WEditor_TFPanel2_BDelete_MouseUp()
{
    tLevel* level = Level();
    if (!level || selected_ < 0 || static_cast<size_t>(selected_) >= level->Scene.HeapPictures.size())
        return;
    level->Scene.HeapPictures.erase(level->Scene.HeapPictures.begin() + selected_);
    Remake();
    Select(-1);
}

void TPixelEditorScreen::WEditor_TFPanel2_BAngle_MouseUp()
{
    tLevel* level = Level();
    if (!level || selected_ < 0 || static_cast<size_t>(selected_) >= level->Scene.HeapPictures.size())
        return;
    const std::string text = Trim(VariantToString(c_.Interface.GetObjectValue("WEditor_TFPanel2_EAngle", "Caption")));
    std::optional<int64_t> angle = StrictInt(text);
    // Whole turns only; a typo leaves the picture as it stands.
    if (!angle || *angle < -360 || *angle > 360) {
        c_.Log.WriteLog("Error WEditor_TFPanel2_BAngle_MouseUp: \"" + text + "\" is not an angle");
        return;
    }
    level->Scene.HeapPictures[static_cast<size_t>(selected_)].Angle = static_cast<int32_t>(*angle);
    Remake();
}

void TPixelEditorScreen::WEditor_TFPanel2_CBFlip_MouseUp()
{
    tLevel* level = Level();
    if (!level || selected_ < 0 || static_cast<size_t>(selected_) >= level->Scene.HeapPictures.size())
        return;
    level->Scene.HeapPictures[static_cast<size_t>(selected_)].Flip
        = EqualsNoCase(VariantToString(c_.Interface.GetObjectValue("WEditor_TFPanel2_CBFlip", "Checked")), "True");
    Remake();
}

void TPixelEditorScreen::MoveTo(int32_t to)
{
    tLevel* level = Level();
    if (!level || selected_ < 0)
        return;
    std::vector<tHeapRec>& heaps = level->Scene.HeapPictures;
    const int32_t count = static_cast<int32_t>(heaps.size());
    if (selected_ >= count)
        return;
    to = std::clamp(to, 0, count - 1);
    if (to == selected_)
        return;
    tHeapRec moved = std::move(heaps[static_cast<size_t>(selected_)]);
    heaps.erase(heaps.begin() + selected_);
    heaps.insert(heaps.begin() + to, std::move(moved));
    selected_ = to;
    Remake();
}

void TPixelEditorScreen::WEditor_TFPanel2_BUp_MouseUp()
{
    MoveTo(selected_ + 1);
}
void TPixelEditorScreen::WEditor_TFPanel2_BDown_MouseUp()
{
    MoveTo(selected_ - 1);
}
void TPixelEditorScreen::WEditor_TFPanel2_BMaxUp_MouseUp()
{
    MoveTo(INT32_MAX);
}
void TPixelEditorScreen::WEditor_TFPanel2_BMaxDown_MouseUp()
{
    MoveTo(0);
}

void TPixelEditorScreen::ShowControls(bool shown)
{
    for (const char* name : kControls)
        c_.Interface.SetObjectProperty(name, "Visible", shown ? "True" : "False");
}

void TPixelEditorScreen::WEditor_TFPanel2_BArrawUp_MouseUp()
{
    ShowControls(false);
}
void TPixelEditorScreen::WEditor_TFPanel2_BArrawDown_MouseUp()
{
    ShowControls(true);
}

void TPixelEditorScreen::WEditor_TFPanel2_BSave_MouseUp()
{
    if (const tLevel* level = Level())
        SaveLevelFile(c_, *level);
}

void TPixelEditorScreen::WEditor_TFPanel2_BLoad_MouseUp()
{
    TLevelSession* session = day_.Session();
    if (!session)
        return;
    const TLevelDay day = session->Day();
    if (day_.StartDay(day.Episod, day.LevelIndex))
        WGame_TFPixel_BEdit_MouseUp();
}

void TPixelEditorScreen::WEditor_TFPanel2_BQuit_MouseUp()
{
    TLevelSession* session = day_.Session();
    c_.Interface.HideModalList();
    c_.Interface.ShowModal(kGameWindow);
    if (session) {
        session->Start();
        session->Resume();
    }
    c_.Commands.MarkWholeScreen();
    c_.Switch.Request(TScreenMode::smPixelLevel);
}

// ---- The element picker --------------------------------------------------------------------

std::vector<std::string> TPixelEditorScreen::ElementPictures() const
{
    std::vector<std::string> names;
    const std::filesystem::path folder = c_.ProgramFolder / kElementFolder;
    for (const std::string& name : ListFolder(folder)) {
        if (!EqualsNoCase(name, kNotAnElement) && name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".png")
            && (c_.Surfaces.IndexOfSurface(name) >= 0 || c_.Surfaces.LoadPngFromFile(name, folder / name)))
            names.push_back(name);
    }
    // Without that folder the day's own heap pictures are the elements.
    if (names.empty())
        if (const tLevel* level = Level())
            for (const tHeapRec& heap : level->Scene.HeapPictures)
                if (std::find(names.begin(), names.end(), heap.FileName) == names.end())
                    names.push_back(heap.FileName);
    return names;
}

TRect TPixelEditorScreen::ElementCell(size_t index) const
{
    const int32_t column = static_cast<int32_t>(index) % kCellsPerRow;
    const int32_t row = static_cast<int32_t>(index) / kCellsPerRow;
    return { column * kCell, kCellsTop + row * kCell, (column + 1) * kCell, kCellsTop + (row + 1) * kCell };
}

void TPixelEditorScreen::MouseDown(const TQelMouseEvent& event)
{
    if (event.Button != TQelMouseButton::Left)
        return;
    tLevel* level = Level();
    if (!level)
        return;
    if (c_.Shell.ScreenMode == TScreenMode::smSelectElements) {
        LogAndCarryOn(c_.Log, "Error MouseDownInSelectElements", [&] {
            for (size_t i = 0; i < elements_.size(); ++i) {
                const TRect cell = ElementCell(i);
                if (event.X < cell.Left || event.X >= cell.Right || event.Y < cell.Top || event.Y >= cell.Bottom)
                    continue;
                tHeapRec heap;
                heap.FileName = elements_[i];
                heap.Pos = kNewHeapPos;
                heap.SecondName = "Heap" + IntToStr(static_cast<int64_t>(level->Scene.HeapPictures.size()));
                heap.Loaded = true;
                level->Scene.HeapPictures.push_back(std::move(heap));
                Remake();
                Select(static_cast<int32_t>(level->Scene.HeapPictures.size()) - 1);
                c_.Switch.Request(TScreenMode::smPixelEditor);
                return;
            }
        });
        return;
    }
    // A press on the bar is the bar's, not the picture's under it.
    auto value = [&](const char* prop) {
        return static_cast<int32_t>(VariantToInt(c_.Interface.GetObjectValue(kPanel2, prop)));
    };
    const int32_t left = value("Left"), top = value("Top");
    if (event.X >= left && event.X < left + value("Width") && event.Y >= top && event.Y < top + value("Height"))
        return;
    // The last drawn lies on top: it is the one a press takes.
    const std::vector<tHeapRec>& heaps = level->Scene.HeapPictures;
    for (size_t k = heaps.size(); k-- > 0;) {
        const TPoint size = PictureSize(c_.Surfaces, heaps[k].FileName);
        if (event.X >= heaps[k].Pos.X && event.X < heaps[k].Pos.X + size.X && event.Y >= heaps[k].Pos.Y
            && event.Y < heaps[k].Pos.Y + size.Y) {
            Select(static_cast<int32_t>(k));
            dragging_ = true;
            dragFrom_ = { event.X, event.Y };
            return;
        }
    }
}

void TPixelEditorScreen::MouseMove(const TQelMouseEvent& event)
{
    tLevel* level = Level();
    if (!dragging_ || !level || selected_ < 0 || static_cast<size_t>(selected_) >= level->Scene.HeapPictures.size())
        return;
    TPoint& pos = level->Scene.HeapPictures[static_cast<size_t>(selected_)].Pos;
    pos = { pos.X + event.X - dragFrom_.X, pos.Y + event.Y - dragFrom_.Y };
    dragFrom_ = { event.X, event.Y };
    c_.Commands.MarkWholeScreen();
}

void TPixelEditorScreen::MouseUp(const TQelMouseEvent& /*event*/)
{
    if (!dragging_)
        return;
    dragging_ = false;
    Remake();
}

// ---- Drawing -----------------------------------------------------------------------------

void TPixelEditorScreen::Draw()
{
    LogAndCarryOn(c_.Log, "Error DrawPixelEditor", [&] {
        if (c_.Shell.ScreenMode == TScreenMode::smSelectElements) {
            DrawElements();
            return;
        }
        day_.Draw();
        DrawOutlines();
    });
}

void TPixelEditorScreen::DrawElements()
{
    c_.Surfaces.FillSurfaceRect(kFrame, 0, { 0, 0, 800, 600 });
    for (size_t i = 0; i < elements_.size(); ++i) {
        const TRect cell = ElementCell(i);
        c_.Surfaces.DrawWithAlphaChannel(elements_[i], kFrame, cell.Left, cell.Top, 255, TRect { 0, 0, kCell, kCell });
    }
}

void TPixelEditorScreen::DrawOutlines()
{
    const tLevel* level = Level();
    if (!level)
        return;
    for (size_t i = 0; i < level->Scene.HeapPictures.size(); ++i) {
        const tHeapRec& heap = level->Scene.HeapPictures[i];
        const TPoint size = PictureSize(c_.Surfaces, heap.FileName);
        const uint32_t colour = static_cast<int32_t>(i) == selected_ ? kWhite : kGrey;
        const double l = heap.Pos.X, t = heap.Pos.Y, r = heap.Pos.X + size.X, b = heap.Pos.Y + size.Y;
        c_.Surfaces.DrawWuLine(kFrame, colour, 255, l, t, r, t);
        c_.Surfaces.DrawWuLine(kFrame, colour, 255, r, t, r, b);
        c_.Surfaces.DrawWuLine(kFrame, colour, 255, r, b, l, b);
        c_.Surfaces.DrawWuLine(kFrame, colour, 255, l, b, l, t);
    }
}
