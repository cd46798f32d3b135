// A belt's path: built from its script, measured, and evaluated at a position.
#include "gameplay/Lenta.h"

#include "foundation/Text.h"

#include <algorithm>
#include <cmath>

TLenta::TLenta() = default;
TLenta::~TLenta() = default;
TLenta::TLenta(TLenta&&) noexcept = default;
TLenta& TLenta::operator=(TLenta&&) noexcept = default;

void TLenta::SetPathScript(std::string_view script)
{
    PathScript = std::string(script);
    Path.reset();
    function_ = nullptr;
    PathDuration = PathLength = PathPixels = 0;

    auto morph = CreatePathMorph(script, 2);  // throws for a malformed number
    function_ = FirstPathFunction(*morph);
    Path = std::move(morph);
    if (!function_)
        return;
    PathDuration = static_cast<int32_t>(std::min<uint32_t>(function_->TotalDuration(), INT32_MAX));
    PathPixels = RoundHalfEven(function_->TotalLength());
    PathLength = PathPixels > 0 ? PathDuration : 0;
}

TLentaPoint TLenta::PointAt(int32_t position) const
{
    if (!function_)
        return {};
    int32_t t = std::clamp(position, 0, std::max(PathLength, 0));
    TQelVector v = function_->Evaluate(static_cast<uint32_t>(t), false);
    return {v.X, v.Y};
}
