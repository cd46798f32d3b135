// The demo days under the instruction pages: loading, replay, looping and drawing.
#include "screens/level/DemoScreen.h"

#include "foundation/QelLog.h"
#include "gameplay/GameParams.h"
#include "gameplay/GameTables.h"
#include "gameplay/Level.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "screens/ScreenLayout.h"

namespace {

constexpr const char* kCursor = "Cursor2.png";
// The demo cursor lets the scene show through a little, so it is not taken for the
// player's own.
constexpr uint8_t kCursorOpacity = 180;
// Where the cursor picture's tip is: the recorded point less 3 pixels each way.
constexpr TPoint kCursorTip{3, 3};
constexpr uint8_t kRedrawMark = 2;  // this frame and the next
constexpr const char* kHeaderLevel = "FileName=";

struct TDemoRow {
    TDemoKind Kind;
    TScreenMode Mode;
    const char* File;
    const char* Level;
    const char* Scene;  // where the scene picture of the kind is composed
};
constexpr TDemoRow kDemos[] = {
    {TDemoKind::Standard, TScreenMode::smDemoLevel, "Demo.dat", "Level_Demo.xml", "MainBackGroundDemo"},
    {TDemoKind::Bonus, TScreenMode::smDemoBonusLevel, "DemoB.dat", "Level_DemoBonus.xml", "MainBackGroundDemoBonus"},
    {TDemoKind::Pixel, TScreenMode::smDemoPixelLevel, "DemoP.dat", "Level_DemoPixel.xml", "MainBackGroundDemoPixel"},
};

const TDemoRow& RowOf(TDemoKind kind)
{
    for (const TDemoRow& row : kDemos)
        if (row.Kind == kind)
            return row;
    return kDemos[0];
}

}  // namespace

TScreenMode DemoMode(TDemoKind kind) { return RowOf(kind).Mode; }
const char* DemoFileOf(TDemoKind kind) { return RowOf(kind).File; }
const char* DemoLevelOf(TDemoKind kind) { return RowOf(kind).Level; }

std::optional<std::vector<std::string>> CheckDemo(const std::vector<std::string>& lines, const std::string& level,
                                                  std::string& why)
{
    // A recording replays only on the level it was made on: on another one its clicks
    // find other pieces, and a damaged header means the rest cannot be trusted either.
    if (lines.size() < 3 || lines[2].rfind(kHeaderLevel, 0) != 0) {
        why = "no demo header";
        return std::nullopt;
    }
    const std::string recordedOn = lines[2].substr(std::char_traits<char>::length(kHeaderLevel));
    if (recordedOn != level) {
        why = "recorded on \"" + recordedOn + "\", not on " + level;
        return std::nullopt;
    }
    bool events = false;
    for (size_t i = 3; i < lines.size() && !events; ++i)
        events = ParseDemoLine(lines[i]).Kind != TDemoEventKind::None;
    if (!events) {
        why = "no events to replay";
        return std::nullopt;
    }
    return lines;
}

TDemoScreen::TDemoScreen(TScreenContext& context)
    : c_(context),
      headless_(context.Data, context.Surfaces, context.Clock, context.Log, gameplay_, cosmetic_),
      pictureMaker_(context.Surfaces, context.Data, &context.Fonts),
      painter_(context.Surfaces, context.Grid, context.Data, context.Log),
      boxPainter_(context.Surfaces, context.Grid, context.Log),
      pixelPainter_(context.Surfaces, context.Grid, context.Data, context.Log)
{
}

TDemoScreen::~TDemoScreen() = default;

bool TDemoScreen::Run(TDemoKind kind)
{
    Stop();
    kind_ = kind;
    const TDemoRow& row = RowOf(kind);
    // The recordings live beside the program, wherever the program was started from.
    const std::filesystem::path file = c_.ProgramFolder / row.File;
    std::string why;
    std::optional<std::vector<std::string>> lines = CheckDemo(ReadDemoLines(file), row.Level, why);
    if (!lines) {
        c_.Log.WriteLog("Error RunDemo: " + file.string() + ": " + why + "; the page shows without its demo");
        c_.Switch.Request(TScreenMode::smInstructions);
        return false;
    }
    lines_ = std::move(*lines);
    loops_ = 0;
    if (!Restart()) {
        Stop();
        c_.Switch.Request(TScreenMode::smInstructions);
        return false;
    }
    c_.Switch.Request(row.Mode);
    return true;
}

void TDemoScreen::Stop()
{
    replay_.reset();
    day_.reset();
    lastCursor_ = {};
}

bool TDemoScreen::Restart()
{
    const TDemoRow& row = RowOf(kind_);
    replay_.reset();
    day_.reset();
    // The same streams from the same start each time round: every loop plays alike.
    gameplay_.Seed(kDemoSeed);
    cosmetic_.Seed(kDemoCosmeticSeed);
    player_ = TPlayer{};
    player_.Name = "Demo";
    ResetOutfits(player_);
    flags_ = TSessionFlags{};
    TLevelDay day;
    day.FileName = row.Level;
    day.Demo = true;
    TLevelOptions options;
    options.CustomLevel = true;  // the demo's day is no step of anyone's progress
    TLevelSessionServices services = headless_.Services(nullptr, &pictureMaker_);
    services.PrepareHeaps = [this](tLevel& level) { pixelPainter_.MakeHeapPictures(level); };
    day_ = std::make_unique<TLevelSession>(c_.Tables, c_.Params, player_, flags_, day, services, options);
    if (!day_->Load()) {
        c_.Log.WriteLog("Error RunDemo: the demo level " + std::string(row.Level) + " cannot be played");
        day_.reset();
        return false;
    }
    day_->Start();
    replay_ = std::make_unique<TDemoReplay>(*day_, lines_);
    replay_->Restart();
    c_.Surfaces.LoadSurfFromFileOrFileFolder(c_.Data, kCursor);
    MakeBackground();
    return true;
}

void TDemoScreen::MakeBackground()
{
    LogAndCarryOn(c_.Log, "Error RunDemo", [&] {
        tLevel& level = day_->Level();
        switch (kind_) {
        case TDemoKind::Standard: {
            const std::string scene = RowOf(kind_).Scene;
            painter_.MakeMainBackground(level, day_->Game(), scene);
            c_.Surfaces.DrawSurface(scene, kBackground, 0, 0);
            break;
        }
        case TDemoKind::Bonus:
            for (const char* name : {"CashRegisterCoins.png", "CashRegisterTop.png", "CashRegisterRingB.png",
                                     "CashRegisterRingT.png", "CashRegisterBasic.png"})
                level.Pictures().LoadPicture(name);
            painter_.MakeBackgroundInBonusGame(level, true);
            break;
        case TDemoKind::Pixel:
            day_->Pixel().SceneChanged = false;
            pixelPainter_.MakePixelBackground(level, day_->Pixel(), kBackground);
            break;
        }
        c_.Grid.SetRedrawGrid(kRedrawMark);
    });
}

void TDemoScreen::Tick(int64_t)
{
    if (!day_ || !replay_)
        return;
    LogAndCarryOn(c_.Log, "Exception error in TQelGameEngine.PlayGameDemo!", [&] {
        // The penalty note of a wrong find in the picture is closed as the player would.
        headless_.ClosePenaltyNote(*day_);
        const bool ended = replay_->Step();
        day_->Tick(TLevelMode::Playing);
        // The day is put back as it started and the recording begins again.
        if (!ended)
            return;
        ++loops_;
        if (!Restart())
            Stop();
    });
}

void TDemoScreen::Draw()
{
    if (!day_)
        return;
    LogAndCarryOn(c_.Log, "Error DrawDemo", [&] {
        tLevel& level = day_->Level();
        const int64_t now = c_.Clock.NowMs();
        switch (kind_) {
        case TDemoKind::Standard: {
            TLevelSceneView view;
            view.Now = now;
            view.DemoPlayback = true;
            view.PanelVisible = false;
            painter_.DrawPersons(level, kFrame);
            painter_.DrawFishes(level, kFrame, view);
            painter_.DrawAddBackPicture(level, kFrame, view);
            break;
        }
        case TDemoKind::Bonus:
            boxPainter_.DrawLevelBox(level, day_->Box(), kFrame, now);
            break;
        case TDemoKind::Pixel:
            if (day_->Pixel().SceneChanged) {
                day_->Pixel().SceneChanged = false;
                pixelPainter_.MakePixelBackground(level, day_->Pixel(), kBackground);
                c_.Surfaces.DrawSurface(kBackground, kFrame, 0, 0);
                c_.Grid.SetRedrawGrid(kRedrawMark);
            }
            break;
        }
        DrawCursor();
    });
}

void TDemoScreen::DrawCursor()
{
    int32_t w = 0, h = 0;
    if (!replay_ || !c_.Surfaces.GetSurfaceSize(kCursor, w, h))
        return;
    const TPoint at{replay_->Mouse().X - kCursorTip.X, replay_->Mouse().Y - kCursorTip.Y};
    const TRect now{at.X, at.Y, at.X + w, at.Y + h};
    // Where the cursor was is drawn again without it, where it is gets it.
    c_.Grid.FillRedrawGrid(lastCursor_, kRedrawMark);
    c_.Grid.FillRedrawGrid(now, kRedrawMark);
    c_.Surfaces.DrawWithAlphaChannel(kCursor, kFrame, at.X, at.Y, kCursorOpacity);
    lastCursor_ = now;
}
