// Morphs at run time: copying, validation, evaluation and the rotator.
#include "effects/QelMorph.h"

#include "foundation/Random.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Children are morphs of a library; a chain deeper than this is a loop in bad data.
constexpr int kMaxTreeDepth = 16;

uint32_t LocalTime(uint32_t t, int32_t a, int32_t b, int32_t minus)
{
    // Unsigned wrap on purpose: effects were tuned on 32-bit millisecond arithmetic.
    return t + static_cast<uint32_t>(a) + static_cast<uint32_t>(b) - static_cast<uint32_t>(minus);
}

TQelMatrix Identity()
{
    TQelMatrix m {};
    for (int i = 0; i < 4; ++i)
        m[i][i] = 1;
    return m;
}

TQelMatrix Multiply(const TQelMatrix& a, const TQelMatrix& b)
{
    TQelMatrix m {};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                m[i][j] += a[i][k] * b[k][j];
    return m;
}

TQelMatrix ItemMatrix(const TQelRotator::TItem& item)
{
    TQelMatrix m = Identity();
    double c = std::cos(item.Angle), s = std::sin(item.Angle);
    switch (item.Axis) {
    case 'X':
        m[1] = {0, c, s, 0};
        m[2] = {0, -s, c, 0};
        break;
    case 'Y':
        m[0] = {c, 0, -s, 0};
        m[2] = {s, 0, c, 0};
        break;
    default:
        m[0] = {c, s, 0, 0};
        m[1] = {-s, c, 0, 0};
        break;
    }
    m[3] = {item.Pivot.X, item.Pivot.Y, item.Pivot.Z, 1};
    return m;
}

}  // namespace

// ---------------------------------------------------------------------------------------

void TQelRotator::SetPattern(std::string_view pattern)
{
    std::string text(pattern);
    for (char& ch : text)
        if (ch == '\r' || ch == '\n' || ch == '\t')
            ch = ' ';
    std::vector<TItem> items;
    TQelVector pivot;
    size_t start = 0;
    for (;;) {
        size_t semi = text.find(';', start);
        std::string_view item = TrimView(std::string_view(text).substr(start, semi == std::string::npos ? std::string::npos : semi - start));
        if (!item.empty()) {
            if (item[0] == '(') {
                pivot = StrToVect(item);
            } else {
                char axis = item[0] >= 'a' && item[0] <= 'z' ? static_cast<char>(item[0] - 'a' + 'A') : item[0];
                if (axis != 'X' && axis != 'Y' && axis != 'Z')
                    throw EQelFXError("[TQelRotator.AddItem]: Invalid base axis value \"" + std::string(1, item[0]) + "\"");
                TItem it;
                it.Axis = axis;
                it.Pivot = pivot;
                std::string_view rest = TrimView(item.substr(1));
                if (!rest.empty() && rest[0] == '[') {
                    size_t close = rest.find(']');
                    auto index = StrictInt(rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
                    if (close == std::string_view::npos || !index || *index < 1 || *index > 3)
                        throw EQelFXError("[TQelRotator.SetRotationPattern]: Invalid rotation pattern parameter index");
                    it.ParamIndex = static_cast<int>(*index);
                    rest = TrimView(rest.substr(close + 1));
                }
                if (!rest.empty() && rest[0] == '=')
                    it.Angle = ClampToFloat(FXStrToFloat(rest.substr(1)));
                items.push_back(it);
            }
        }
        if (semi == std::string::npos)
            break;
        start = semi + 1;
    }
    items_ = std::move(items);
    Recompute();
}

void TQelRotator::SetRotation(const TQelVector& angles)
{
    for (TItem& item : items_)
        if (item.ParamIndex >= 1 && item.ParamIndex <= 3)
            item.Angle = angles[item.ParamIndex - 1];
    Recompute();
}

void TQelRotator::Recompute()
{
    combined_ = Identity();
    for (const TItem& item : items_)
        combined_ = Multiply(combined_, ItemMatrix(item));
}

TQelVector TQelRotator::Apply(const TQelVector& v) const
{
    TQelVector out;
    for (int j = 0; j < 3; ++j)
        out[j] = ClampToFloat(v.X * combined_[0][j] + v.Y * combined_[1][j] + v.Z * combined_[2][j] + combined_[3][j]);
    return out;
}

// ---------------------------------------------------------------------------------------

TQelMorph::TQelMorph()
{
    SetDefaultName();
}

TQelMorph::TQelMorph(std::string_view name, int dim, TQelMorphFuncLib* functions, TQelMorphLib* morphs)
    : functionLib_(functions), morphLib_(morphs)
{
    SetName(name);
    SetDim(dim);
}

void TQelMorph::SetDim(int dim)
{
    dim_ = std::clamp(dim, 1, 3);
    if (dim_ == 3)
        SetRotationPattern("X[1]; Y[2]; Z[3]");
}

void TQelMorph::SetRotationPattern(std::string_view pattern)
{
    Rotator.SetPattern(pattern);
    if (!Rotator.Items().empty())
        RotationSet = true;
}

void TQelMorph::SetStartTime(int32_t ms)
{
    std::vector<TQelMorph*> tree = Tree();
    for (TQelMorph* m : tree)
        m->startTime_ = ms;
}

void TQelMorph::SetTimeOffset(int32_t ms)
{
    std::vector<TQelMorph*> tree = Tree();
    for (TQelMorph* m : tree)
        m->timeOffset_ = ms;
}

void TQelMorph::SetLibraries(TQelMorphFuncLib* functions, TQelMorphLib* morphs)
{
    functionLib_ = functions;
    morphLib_ = morphs;
}

void TQelMorph::Relink(TQelMorphFuncLib* functions, TQelMorphLib* morphs)
{
    auto indexIn = [](const auto* lib, const void* item) {
        if (lib)
            for (int i = 0; i < lib->Count(); ++i)
                if (lib->Item(i) == item)
                    return i;
        return -1;
    };
    for (TFuncRef& ref : functions_)
        if (!ref.Owned) {
            int i = indexIn(functionLib_, ref.Func);
            if (i >= 0 && functions && functions->Item(i))
                ref.Func = functions->Item(i);
        }
    for (TChild& child : children_) {
        int i = indexIn(morphLib_, child.Morph);
        if (i >= 0 && morphs && morphs->Item(i))
            child.Morph = morphs->Item(i);
    }
    SetLibraries(functions, morphs);
}

bool TQelMorph::Assign(const TQelBaseObject& source)
{
    const auto* m = dynamic_cast<const TQelMorph*>(&source);
    if (!m || !TQelBaseObject::Assign(source))
        return false;
    if (m == this)
        return true;
    dim_ = m->dim_;
    startTime_ = m->startTime_;
    timeOffset_ = m->timeOffset_;
    SecondOffset = m->SecondOffset;
    functionLib_ = m->functionLib_;
    morphLib_ = m->morphLib_;
    Random = m->Random;
    functions_.clear();
    for (const TFuncRef& ref : m->functions_) {
        TFuncRef copy;
        if (ref.Owned) {
            copy.Owned = CloneFX(*ref.Owned);
            if (!copy.Owned)
                return false;
            copy.Func = copy.Owned.get();
        } else {
            copy.Func = ref.Func;
        }
        functions_.push_back(std::move(copy));
    }
    dynamic_ = m->dynamic_;
    children_ = m->children_;
    HalfViewportWidth = m->HalfViewportWidth;
    HalfViewportHeight = m->HalfViewportHeight;
    CameraDistance = m->CameraDistance;
    Position = m->Position;
    Scale = m->Scale;
    Angle = m->Angle;
    PositionSet = m->PositionSet;
    ScaleSet = m->ScaleSet;
    RotationSet = m->RotationSet;
    Rotator = m->Rotator;
    return true;
}

TQelMorphFunc* TQelMorph::Function(int index) const
{
    return index >= 0 && index < FunctionCount() ? functions_[static_cast<size_t>(index)].Func : nullptr;
}

int TQelMorph::FunctionIndex(std::string_view name) const
{
    for (size_t i = 0; i < functions_.size(); ++i)
        if (EqualsNoCase(functions_[i].Func->Name(), name))
            return static_cast<int>(i);
    return -1;
}

int TQelMorph::AddFunction(std::unique_ptr<TQelMorphFunc> owned)
{
    if (!owned || owned->Dim() != dim_)
        return -1;
    owned->Owned = true;
    TFuncRef ref;
    ref.Func = owned.get();
    ref.Owned = std::move(owned);
    functions_.push_back(std::move(ref));
    return FunctionCount() - 1;
}

int TQelMorph::AddSharedFunction(TQelMorphFunc* shared)
{
    if (!shared || shared->Dim() != dim_)
        return -1;
    functions_.push_back(TFuncRef {shared, nullptr});
    return FunctionCount() - 1;
}

int TQelMorph::AddLibraryFunction(std::string_view name)
{
    return functionLib_ ? AddSharedFunction(functionLib_->Find(name)) : -1;
}

int TQelMorph::AddLibraryFunctionClone(std::string_view name)
{
    TQelMorphFunc* original = functionLib_ ? functionLib_->Find(name) : nullptr;
    return original ? AddFunction(CloneFX(*original)) : -1;
}

void TQelMorph::SetPosition(const TQelVector& v)
{
    Position = v;
    PositionSet = true;
}

void TQelMorph::SetScale(const TQelVector& v)
{
    Scale = v;
    ScaleSet = true;
}

void TQelMorph::SetRotation(const TQelVector& v)
{
    if (dim_ == 3)
        Rotator.SetRotation(v);
    else
        Angle = v.X;
    RotationSet = true;
}

void TQelMorph::AddDynamicParam(const TQelDynamicParam& param)
{
    for (const TQelDynamicParam& p : dynamic_)
        if (p.Target == param.Target && p.FuncIndex == param.FuncIndex && p.ParamIndex == param.ParamIndex)
            return;
    dynamic_.push_back(param);
}

int TQelMorph::AddChild(TQelMorph* morph)
{
    for (size_t i = 0; i < children_.size(); ++i)
        if (children_[i].Morph == morph)
            return static_cast<int>(i);
    children_.push_back(TChild {morph, {}});
    return static_cast<int>(children_.size()) - 1;
}

void TQelMorph::Apply(const TQelDynamicParam& param, const TQelVector& value)
{
    switch (param.Target) {
    case TQelMorphTarget::Position:
        SetPosition(value);
        break;
    case TQelMorphTarget::Rotation:
        SetRotation(value);
        break;
    case TQelMorphTarget::Scale:
        SetScale(value);
        break;
    case TQelMorphTarget::StartTime:
        SetTimeOffset(SecondsToMs(value.X));
        break;
    case TQelMorphTarget::FuncParam:
        if (TQelMorphFunc* f = Function(param.FuncIndex))
            f->SetParam(param.ParamIndex, value, 2);
        break;
    }
}

TQelVector TQelMorph::SourceValue(const TQelDynamicParam& param)
{
    switch (param.Source) {
    case TQelValueSource::Constant:
        return param.Base;
    case TQelValueSource::Random: {
        TQelVector v = param.Base;
        if (Random)
            for (int i = 0; i < 3; ++i)
                v[i] = ClampToFloat(param.Base[i] + Random->Real() * param.Range[i]);
        return v;
    }
    case TQelValueSource::Child:
        if (param.ChildIndex >= 0 && param.ChildIndex < static_cast<int>(children_.size()))
            return children_[static_cast<size_t>(param.ChildIndex)].Value;
        return {};
    }
    return {};
}

bool TQelMorph::Validate()
{
    uint32_t at = LocalTime(static_cast<uint32_t>(startTime_), timeOffset_, SecondOffset, 0);
    for (TChild& child : children_)
        if (child.Morph && child.Morph != this)
            child.Value = child.Morph->Evaluate(at, false);
    for (const TQelDynamicParam& param : dynamic_)
        Apply(param, SourceValue(param));
    return true;
}

TQelVector TQelMorph::Evaluate(uint32_t t, bool derivative, int dim)
{
    dim = dim >= 1 && dim <= 3 ? dim : dim_;
    if (evaluating_)
        return {};
    evaluating_ = true;
    struct TDone {
        bool& Flag;
        ~TDone() { Flag = false; }
    } done {evaluating_};

    if (!children_.empty()) {
        for (TChild& child : children_)
            if (child.Morph)
                child.Value = child.Morph->Evaluate(t, false);
        for (const TQelDynamicParam& param : dynamic_)
            if (param.Source == TQelValueSource::Child)
                Apply(param, SourceValue(param));
    }

    uint32_t u = LocalTime(t, timeOffset_, SecondOffset, startTime_);
    double sum[3] = {0, 0, 0};
    for (const TFuncRef& ref : functions_) {
        TQelVector v = ref.Func->Evaluate(u, derivative);
        for (int i = 0; i < dim; ++i)
            sum[i] += static_cast<double>(ref.Func->Weight) * v[i];
    }
    TQelVector v {ClampToFloat(sum[0]), ClampToFloat(sum[1]), ClampToFloat(sum[2])};
    if (ScaleSet)
        for (int i = 0; i < dim; ++i)
            v[i] = ClampToFloat(static_cast<double>(v[i]) * Scale[i]);
    if (RotationSet) {
        if (dim == 1) {
            v.X = ClampToFloat(v.X * std::cos(static_cast<double>(Angle)));
        } else if (dim == 2) {
            double c = std::cos(static_cast<double>(Angle)), s = std::sin(static_cast<double>(Angle));
            double x = v.X, y = v.Y;
            v.X = ClampToFloat(x * c + y * s);
            v.Y = ClampToFloat(-x * s + y * c);
        } else {
            v = Rotator.Apply(v);
        }
    }
    if (PositionSet)
        for (int i = 0; i < dim; ++i)
            v[i] = ClampToFloat(static_cast<double>(v[i]) + Position[i]);
    return v;
}

std::optional<TQelVector> TQelMorph::Project(uint32_t t)
{
    constexpr double kNearest = 1e-6;  // closer to the camera than this is not drawn
    TQelVector v = Evaluate(t, false, 3);
    double depth = static_cast<double>(CameraDistance) + v.Z;
    if (!(depth > kNearest))
        return std::nullopt;
    double k = CameraDistance / depth;
    return TQelVector {ClampToFloat(HalfViewportWidth + v.X * k), ClampToFloat(HalfViewportHeight - v.Y * k), v.Z};
}

std::vector<TQelMorph*> TQelMorph::Tree()
{
    std::vector<TQelMorph*> out;
    CollectTree(out, 0);
    return out;
}

void TQelMorph::CollectTree(std::vector<TQelMorph*>& out, int depth)
{
    if (depth < kMaxTreeDepth)
        for (const TChild& child : children_)
            if (child.Morph && std::find(out.begin(), out.end(), child.Morph) == out.end())
                child.Morph->CollectTree(out, depth + 1);
    if (std::find(out.begin(), out.end(), this) == out.end())
        out.push_back(this);
}
