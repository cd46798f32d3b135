// Saving a level from the editor: a hand-written level with many customer places, one of
// them moved, written back into its own text (the places matched to their elements and the
// change spliced in), by the number of places.
#include "gameplay/FishkaType.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFile.h"
#include "gameplay/LevelWriter.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string LevelWithPlaces(int64_t places)
{
    std::string text = "<Level Name=\"Bench\">\n  <!-- one belt -->\n  <Lentas Image=\"Belt.png\">\n    <Lenta "
                       "BornPeriod=\"1500\">\n      <Path>Set Timing +0.04; Path (10,20) (200,80); Ending "
                       "Loop;</Path>\n    </Lenta>\n  </Lentas>\n  <PersPosition>\n";
    for (int64_t i = 0; i < places; ++i)
        text += "    <Position X=\"" + std::to_string(i) + "\" Y=\"592\" />\n";
    return text + "  </PersPosition>\n</Level>\n";
}

void BM_SaveLevelWithAMovedPlace(benchmark::State& state)
{
    const std::string original = LevelWithPlaces(state.range(0));
    TFishkaTypes types;
    TLevelLinks links;
    links.Types = &types;
    tLevel level(links);
    TLevelLoadContext context;
    LoadLevelText(level, original, false, false, context);
    level.Scene.PersPosition[level.Scene.PersPosition.size() / 2].X += 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteLevelText(original, level));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SaveLevelWithAMovedPlace)->Arg(10)->Arg(100)->Arg(1000)->Complexity();

} // namespace
