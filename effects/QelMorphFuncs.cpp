// The four morph function classes: parameters by name and index, copying and evaluation.
#include "effects/QelMorphFuncs.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace {

constexpr double kSecondsPerMs = 0.001;

// The first count components of values, the rest of target unchanged.
void SetComponents(TQelVector& target, const TQelVector& values, int count)
{
    for (int i = 0; i < std::min(count, 3); ++i)
        target[i] = values[i];
}

// Index of name among the rows (letter case ignored), counted from first; -1 when absent.
template <size_t N>
int FindParameter(std::string_view name, const char* const (&rows)[N], int first)
{
    for (size_t i = 0; i < N; ++i)
        if (EqualsNoCase(TrimView(name), rows[i]))
            return first + static_cast<int>(i);
    return -1;
}

}  // namespace

void TQelMorphFunc::SetDim(int dim)
{
    dim_ = std::clamp(dim, 1, 3);
}

int TQelMorphFunc::GetParamIdx(std::string_view parameter) const
{
    if (EqualsNoCase(TrimView(parameter), "Weight"))
        return 0;
    BadParameterName(parameter);
}

void TQelMorphFunc::SetParam(int index, const TQelVector& values, int count)
{
    if (index != 0)
        BadParameterIndex(index);
    if (count > 0)
        Weight = values.X;
}

bool TQelMorphFunc::Assign(const TQelBaseObject& source)
{
    const auto* f = dynamic_cast<const TQelMorphFunc*>(&source);
    if (!f || !TQelBaseObject::Assign(source))
        return false;
    SetDim(f->dim_);
    Weight = f->Weight;
    return true;
}

void TQelMorphFunc::BadParameterName(std::string_view parameter) const
{
    throw EQelFXError("[TQelMorphFunc.GetParamIdx]: Invalid " + std::string(ClassName()) + " function \"" + Name() +
        "\" parameter \"" + std::string(parameter) + "\"");
}

void TQelMorphFunc::BadParameterIndex(int index) const
{
    throw EQelFXError("[TQelMorpFunc.SetParam]: Invalid " + std::string(ClassName()) + " function \"" + Name() +
        "\" parameter index " + IntToStr(index));
}

// ---------------------------------------------------------------------------------------

bool TQelConstantFunc::Assign(const TQelBaseObject& source)
{
    const auto* f = dynamic_cast<const TQelConstantFunc*>(&source);
    if (!f || !TQelMorphFunc::Assign(source))
        return false;
    Value = f->Value;
    return true;
}

int TQelConstantFunc::GetParamIdx(std::string_view parameter) const
{
    static const char* const kNames[] = {"Value"};
    int i = FindParameter(parameter, kNames, 1);
    return i >= 0 ? i : TQelMorphFunc::GetParamIdx(parameter);
}

void TQelConstantFunc::SetParam(int index, const TQelVector& values, int count)
{
    if (index == 1)
        SetComponents(Value, values, count);
    else
        TQelMorphFunc::SetParam(index, values, count);
}

TQelVector TQelConstantFunc::Evaluate(uint32_t, bool derivative) const
{
    return derivative ? TQelVector {} : Value;
}

// ---------------------------------------------------------------------------------------

bool TQelPiecewiseFunc::Assign(const TQelBaseObject& source)
{
    const auto* f = dynamic_cast<const TQelPiecewiseFunc*>(&source);
    if (!f || !TQelMorphFunc::Assign(source))
        return false;
    Path = f->Path;
    return true;
}

void TQelPiecewiseFunc::SetDim(int dim)
{
    TQelMorphFunc::SetDim(dim);
    Path.SetDim(Dim());
}

int TQelPiecewiseFunc::GetParamIdx(std::string_view parameter) const
{
    std::string_view p = TrimView(parameter);
    if (p.size() >= 3 && p.front() == '[' && p.back() == ']') {
        std::string_view digits = p.substr(1, p.size() - 2);
        int n = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
        if (ec == std::errc() && end == digits.data() + digits.size() && n >= 1)
            return n;
    }
    return TQelMorphFunc::GetParamIdx(parameter);
}

void TQelPiecewiseFunc::SetParam(int index, const TQelVector& values, int count)
{
    if (index == 0) {
        TQelMorphFunc::SetParam(index, values, count);
        return;
    }
    TQelVector point = Path.Point(index);
    SetComponents(point, values, count);
    if (!Path.SetPoint(index, point))
        BadParameterIndex(index);
}

// ---------------------------------------------------------------------------------------

TQelPeriodicFunc::TQelPeriodicFunc()
{
    SetDefaultName();
    // The defaults are set while the dimension is still 2: the third one starts at zero.
    for (int i = 0; i < 2; ++i) {
        Dims[i].G1 = 1;
        Dims[i].A1 = 1;
    }
}

bool TQelPeriodicFunc::Assign(const TQelBaseObject& source)
{
    const auto* f = dynamic_cast<const TQelPeriodicFunc*>(&source);
    if (!f || !TQelMorphFunc::Assign(source))
        return false;
    std::copy(std::begin(f->Dims), std::end(f->Dims), std::begin(Dims));
    return true;
}

namespace {
constexpr float TQelPeriodicDim::*kPeriodicFields[] = {
    &TQelPeriodicDim::G1,
    &TQelPeriodicDim::A1,
    &TQelPeriodicDim::B1,
    &TQelPeriodicDim::A2,
    &TQelPeriodicDim::B2,
    &TQelPeriodicDim::G3,
    &TQelPeriodicDim::A3,
    &TQelPeriodicDim::B3,
    &TQelPeriodicDim::C,
};
}  // namespace

int TQelPeriodicFunc::GetParamIdx(std::string_view parameter) const
{
    static const char* const kNames[] = {"g1", "a1", "b1", "a2", "b2", "g3", "a3", "b3", "c"};
    int i = FindParameter(parameter, kNames, 1);
    return i >= 0 ? i : TQelMorphFunc::GetParamIdx(parameter);
}

void TQelPeriodicFunc::SetParam(int index, const TQelVector& values, int count)
{
    if (index < 1 || index > 9) {
        TQelMorphFunc::SetParam(index, values, count);
        return;
    }
    float TQelPeriodicDim::*field = kPeriodicFields[index - 1];
    for (int d = 0; d < std::min(count, Dim()); ++d)
        Dims[d].*field = values[d];
}

void TQelPeriodicFunc::SetExpression(int dimension, std::string_view expression)
{
    if (dimension >= 0 && dimension < 3)
        Dims[dimension] = ParsePeriodicExpression(expression);
}

TQelVector TQelPeriodicFunc::Evaluate(uint32_t timeMs, bool derivative) const
{
    double s = timeMs * kSecondsPerMs;
    TQelVector v;
    for (int d = 0; d < Dim(); ++d)
        v[d] = ClampToFloat(derivative ? Dims[d].Derivative(s) : Dims[d].Value(s));
    return v;
}

// ---------------------------------------------------------------------------------------

bool TQelParabolicFunc::Assign(const TQelBaseObject& source)
{
    const auto* f = dynamic_cast<const TQelParabolicFunc*>(&source);
    if (!f || !TQelMorphFunc::Assign(source))
        return false;
    StartPosition = f->StartPosition;
    StartVelocity = f->StartVelocity;
    Acceleration = f->Acceleration;
    return true;
}

int TQelParabolicFunc::GetParamIdx(std::string_view parameter) const
{
    static const char* const kNames[] = {"StartPosition", "StartVelocity", "Acceleration"};
    int i = FindParameter(parameter, kNames, 1);
    return i >= 0 ? i : TQelMorphFunc::GetParamIdx(parameter);
}

void TQelParabolicFunc::SetParam(int index, const TQelVector& values, int count)
{
    TQelVector* targets[] = {&StartPosition, &StartVelocity, &Acceleration};
    if (index >= 1 && index <= 3)
        SetComponents(*targets[index - 1], values, count);
    else
        TQelMorphFunc::SetParam(index, values, count);
}

TQelVector TQelParabolicFunc::Evaluate(uint32_t timeMs, bool derivative) const
{
    double s = timeMs * kSecondsPerMs;
    TQelVector v;
    for (int d = 0; d < 3; ++d) {
        double value = derivative ? StartVelocity[d] + 2 * Acceleration[d] * s
                                  : StartPosition[d] + StartVelocity[d] * s + Acceleration[d] * s * s;
        v[d] = ClampToFloat(value);
    }
    return v;
}
