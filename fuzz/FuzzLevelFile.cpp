// Feeds damaged level files and piece type files to the loaders, then runs the belt of
// whatever loaded for a few seconds of game time, bonuses and all.
#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "gameplay/BeltMotion.h"
#include "gameplay/FishBirth.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFile.h"
#include "gameplay/LevelFrame.h"

#include <string_view>

namespace {

const char* kTypes = R"(<FishkaTypes>
  <FishkaType Name="Casual_2" FileName="Casual_2" PieceCount="2" Style="standart">
    <Pieces><Piece Hierarchy="1" /><Piece Hierarchy="2" /><Piece Hierarchy="12" Effect="efDone.xml" /></Pieces>
  </FishkaType>
  <FishkaType Name="Denim_3" FileName="Denim_3" PieceCount="3" Style="standart" />
  <FishkaType Name="Box_Bow" FileName="Box_Bow" PieceCount="1" Style="bonus" />
</FishkaTypes>)";

const char* kLevel = R"(<Level>
  <Lentas Image="Lenta.png"><L><Path>Set Bezier; Set Timing +0.04; Path (40,520) (200,300) (600,320) (760,520);</Path></L></Lentas>
  <LevelFishes>Casual_2;Denim_3;Box_Bow;Nobody;</LevelFishes>
  <Params SpecialFish="true" SpecialFishPeriod="2" />
  <AddFishesList Fishes="plus1;1-2;3-3;9-9;0-0;Denim_3;pause" />
  <PersPosition><P X="600" Y="560" /></PersPosition>
</Level>)";

// A few seconds of a level: the belt runs, bonuses start and end, groups leave.
void Run(tLevel& level)
{
    level.Belt.Bonuses = {true, true, true, true};
    level.Tuning.SpeedIntervals = {{30, 3.0}, {101, 1.0}};
    int64_t now = kClockStartMs;
    for (int frame = 0; frame < 300; ++frame) {
        now += 17 + frame % 23;
        if (frame == 80)
            level.Belt.ReverseStart = now + 300;
        if (frame == 200)
            level.Belt.PauseStart = now;
        if (frame % 40 == 39 && level.Belt.Fishes.size() > 3)
            for (size_t i = 0; i < 3; ++i)
                level.Belt.Fishes[i].LeaveAt = now;
        if (frame % 50 == 0)
            level.Belt.SelectedIndex = static_cast<int32_t>(level.Belt.Fishes.size()) - 1;
        TickFishes(level, {now, 17 + frame % 23, frame % 97 == 0 ? TLevelMode::Dialog : TLevelMode::Playing, true});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TManualClock clock;
    TGameLog log({}, clock);
    TRandom random(size);

    // The input as a piece type file, with a fixed level on it.
    TFishkaTypes inputTypes;
    inputTypes.LoadFishkaTypesText(text, log);
    {
        TLevelLinks links;
        links.Types = &inputTypes;
        links.Random = &random;
        links.Log = &log;
        tLevel level(links);
        if (LoadLevelText(level, kLevel, false, false, {}))
            Run(level);
    }

    // The input as a level file, on a fixed table.
    TFishkaTypes types;
    types.LoadFishkaTypesText(kTypes, log);
    TLevelLinks links;
    links.Types = &types;
    links.Random = &random;
    links.Log = &log;
    tLevel level(links);
    TLevelLoadContext context;
    context.Now = kClockStartMs;
    if (LoadLevelText(level, text, false, false, context))
        Run(level);
    return 0;
}
