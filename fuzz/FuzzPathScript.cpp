// Feeds arbitrary text to the path-script reader and the periodic-expression reader and
// evaluates what they give at times around every piece boundary.
#include "effects/QelFXBase.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int dim = 1 + data[0] % 3;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    TQelPath path(dim);
    try {
        path.SetScript(text);
    } catch (const EQelFXError&) {
    }
    uint64_t end = 0;
    for (const TQelPathPiece& piece : path.Pieces()) {
        end += piece.Duration;
        for (uint64_t t : {end - 1, end, end + 1})
            path.Evaluate(static_cast<uint32_t>(t), (t & 1) != 0);
    }
    for (uint32_t t : {0u, 1u, 999u, 1000u, 123456u, 0xFFFFFFFFu}) {
        path.Evaluate(t, false);
        path.Evaluate(t, true);
    }
    if (path.PointCount() > 0)
        path.SetPoint(1 + static_cast<int>(data[0]) % path.PointCount(), TQelVector {1, 2, 3});

    try {
        TQelPeriodicDim d = ParsePeriodicExpression(text);
        d.Value(1.5);
        d.Derivative(1.5);
    } catch (const EQelFXError&) {
    }
    return 0;
}
