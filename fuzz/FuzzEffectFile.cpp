// Feeds arbitrary text to the effect-file reader, then runs, copies and re-runs what it
// accepted.
#include "effects/QelFXParticles.h"
#include "foundation/Random.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TRandom random(1);
    TQelParticleEffect effect;
    effect.Random = &random;
    try {
        effect.LoadFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const EQelFXError&) {
        return 0;
    }
    effect.Start(10000);
    effect.Validate();
    for (uint32_t t = 10000; t <= 12000; t += 250)
        effect.Tick(t);
    TQelParticleEffect copy;
    if (copy.Assign(effect)) {
        copy.SetFunctionScript("FPath", "Set Linear; Path (0,0) (10,10); Ending Loop;");
        copy.Tick(12500);
        copy.Start(20000);
        copy.Validate();
        copy.Tick(20100);
    }
    return 0;
}
