// Vectors as text, number reading and the base of every effect object.
#include "effects/QelFXObjects.h"

#include "foundation/QelParser.h"

#include <charconv>
#include <cmath>
#include <limits>

double FXStrToFloat(std::string_view text)
{
    std::string_view s = TrimView(text);
    std::string_view digits = s;
    if (!digits.empty() && digits[0] == '+')
        digits.remove_prefix(1);
    double probe = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), probe);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(probe))
        throw EQelFXError("'" + std::string(text) + "' is not a valid floating point value");
    // The one reader of numbers in data files, so effects read exactly what the rest of
    // the game reads.
    return XMLStrToFloat(s);
}

float ClampToFloat(double v)
{
    constexpr double kMax = std::numeric_limits<float>::max();
    if (std::isnan(v))
        return 0;
    return static_cast<float>(v > kMax ? kMax : v < -kMax ? -kMax : v);
}

TQelVector StrToVect(std::string_view text)
{
    size_t open = text.find('(');
    size_t close = text.rfind(')');
    size_t from = open == std::string_view::npos ? 0 : open + 1;
    size_t to = close == std::string_view::npos || close < from ? text.size() : close;
    std::string_view inner = TrimView(text.substr(from, to - from));

    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = inner.find(',', start);
        parts.push_back(inner.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    auto fail = [&] {
        return EQelFXError("[StrToVect]: \"" + std::string(text) + "\" string-to-vector convertation failed");
    };
    if (parts.empty() || parts.size() > 3)
        throw fail();
    TQelVector v;
    for (size_t i = 0; i < parts.size(); ++i) {
        try {
            v[static_cast<int>(i)] = ClampToFloat(FXStrToFloat(parts[i]));
        } catch (const EQelFXError&) {
            throw fail();
        }
    }
    return v;
}

int32_t SecondsToMs(double seconds)
{
    return RoundHalfEven(seconds * 1000.0);
}

uint32_t ToDurationMs(double ms)
{
    if (!(ms > 0))  // NaN and negatives
        return 0;
    double r = std::nearbyint(ms);
    if (r >= static_cast<double>(std::numeric_limits<uint32_t>::max()))
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(r);
}

// ---------------------------------------------------------------------------------------

void TQelBaseObject::SetName(std::string_view name)
{
    name_ = std::string(name.substr(0, kMaxNameLength));
}

void TQelBaseObject::SetDefaultName()
{
    std::string_view cls = ClassName();
    if (!cls.empty() && cls[0] == 'T')
        cls.remove_prefix(1);
    SetName(std::string(cls) + "_Default");
}

bool TQelBaseObject::Assign(const TQelBaseObject& source)
{
    name_ = source.name_;
    return true;
}
