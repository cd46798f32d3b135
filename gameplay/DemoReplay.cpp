// Replaying a recorded game on its day.
#include "gameplay/DemoReplay.h"

#include "gameplay/BonusBox.h"
#include "gameplay/FishBirth.h"
#include "gameplay/FishkaType.h"
#include "gameplay/Level.h"
#include "gameplay/LevelSession.h"

#include <cmath>

void RecordDemoMouse(tLevel& level, const char* what, int32_t x, int32_t y, int64_t now)
{
    if (!level.Demo.Recording)
        return;
    level.Demo.Lines.push_back(std::string("<") + what + " x=\"" + std::to_string(x) + "\" y=\"" +
                               std::to_string(y) + "\" time=\"" + std::to_string(now - level.Demo.RecordStart) +
                               "\" />");
}

std::vector<std::string> RecordedDemo(const tLevel& level)
{
    std::vector<std::string> lines = DemoHeader(level.Episod, level.LevelIndex, level.FileName);
    lines.insert(lines.end(), level.Demo.Lines.begin(), level.Demo.Lines.end());
    return lines;
}

bool SaveRecordedDemo(const tLevel& level, const std::filesystem::path& programFolder)
{
    if (!level.Demo.Recording || level.Demo.Lines.empty())
        return false;
    const std::filesystem::path file = programFolder / DemoFileName(level.IsBonusLevel(), level.IsPixelLevel());
    std::string error;
    if (!WriteDemoLines(file, RecordedDemo(level), &error)) {
        level.WriteLog("Error WriteStat: the demo " + file.string() + " was not written: " + error);
        return false;
    }
    level.WriteLog("Demo recorded: " + std::to_string(level.Demo.Lines.size()) + " events into " + file.string());
    return true;
}

TDemoReplay::TDemoReplay(TLevelSession& day, std::vector<std::string> lines)
    : day_(day), cursor_(std::move(lines))
{
}

void TDemoReplay::Restart() { cursor_.Restart(day_.Now()); }

bool TDemoReplay::Step()
{
    return cursor_.Step(day_.Now(), [this](const TDemoEvent& e) { Apply(e); });
}

void TDemoReplay::Apply(const TDemoEvent& event)
{
    tLevel& level = day_.Level();
    switch (event.Kind) {
    case TDemoEventKind::None:
        return;
    case TDemoEventKind::MouseMove:
        mouse_ = {event.X, event.Y};
        day_.MouseMove(event.X, event.Y);
        return;
    case TDemoEventKind::MouseLDown:
        mouse_ = {event.X, event.Y};
        day_.MouseDown(TLevelMouseButton::Left, event.X, event.Y);
        // A box click is a press and a release: the release lets the next press select.
        day_.MouseUp(TLevelMouseButton::Left, event.X, event.Y);
        return;
    case TDemoEventKind::AddFishes: {
        const TFishkaType* type = level.Types().Type(event.Type);
        if (!type || event.Part < 1 || event.Part > type->PieceCount) {
            ++skipped_;
            level.WriteLog("Error PlayGameDemo: AddFishes FT=" + std::to_string(event.Type) +
                           " H=" + std::to_string(event.Part) + " is not a piece of this level");
            return;
        }
        AddFishes(level, day_.Now(), event.Type, event.Part);
        return;
    }
    case TDemoEventKind::PutFishes: {
        TBoxCell* cell = day_.Box().Cell({event.X, event.Y});
        const TFishkaType* type = level.Types().Type(event.Type);
        if (!cell || !type) {
            ++skipped_;
            level.WriteLog("Error PlayGameDemo: PutFishes x=" + std::to_string(event.X) + " y=" +
                           std::to_string(event.Y) + " FT=" + std::to_string(event.Type) +
                           " is outside this level's box");
            return;
        }
        cell->TypeIndex = event.Type;
        cell->Parts = SinglePart(1);
        cell->PictureName = "FishkaTypes" + std::to_string(event.Type) + ".png";
        return;
    }
    }
}

namespace {

class THash {
public:
    void Add(int64_t v)
    {
        for (int i = 0; i < 8; ++i) {
            value_ ^= static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i));
            value_ *= 1099511628211ull;
        }
    }
    void Add(double v) { Add(static_cast<int64_t>(std::llround(v * 16))); }
    void Add(const std::string& s)
    {
        Add(static_cast<int64_t>(s.size()));
        for (char c : s) {
            value_ ^= static_cast<uint8_t>(c);
            value_ *= 1099511628211ull;
        }
    }
    void Add(const TFishParts& parts)
    {
        for (bool p : parts)
            Add(static_cast<int64_t>(p));
    }
    uint64_t Value() const { return value_; }

private:
    uint64_t value_ = 14695981039346656037ull;
};

}  // namespace

uint64_t DemoStateHash(const TLevelSession& day)
{
    const tLevel& level = day.Level();
    THash h;
    h.Add(static_cast<int64_t>(day.Phase()));
    h.Add(static_cast<int64_t>(level.Play.Score.LevelScore));
    h.Add(static_cast<int64_t>(level.Times.TimeLeft));
    h.Add(static_cast<int64_t>(level.Belt.Fishes.size()));
    for (const TFish& fish : level.Belt.Fishes) {
        h.Add(static_cast<int64_t>(fish.Kind));
        h.Add(static_cast<int64_t>(fish.TypeIndex));
        h.Add(fish.Parts);
        h.Add(static_cast<int64_t>(fish.Position));
        h.Add(fish.X);
        h.Add(fish.Y);
        h.Add(fish.PictureName);
    }
    h.Add(static_cast<int64_t>(level.Play.Customers.Persons.size()));
    for (const TPerson& person : level.Play.Customers.Persons) {
        h.Add(static_cast<int64_t>(person.ManType));
        h.Add(static_cast<int64_t>(person.X));
        h.Add(static_cast<int64_t>(person.Wanted));
    }
    for (const TBoxCell& cell : day.Box().Cells) {
        h.Add(static_cast<int64_t>(cell.TypeIndex));
        h.Add(cell.Parts);
    }
    h.Add(static_cast<int64_t>(day.Box().Collected));
    h.Add(static_cast<int64_t>(day.Pixel().Remaining));
    h.Add(static_cast<int64_t>(day.Pixel().Penalties));
    for (const TPixelHeap& heap : day.Pixel().Heaps)
        h.Add(static_cast<int64_t>(heap.Active));
    return h.Value();
}
