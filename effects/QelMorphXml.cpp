// The XML vocabulary of functions and morphs: <Function>, <Morph>, and the <Functions>
// and <Properties> children of a morph.
#include "effects/QelFXBase.h"

#include "foundation/QelParser.h"

#include <functional>
#include <string>

namespace {

constexpr float kZeroSquared = 1e-12f;  // vectors shorter than this count as zero

template <class F>
std::unique_ptr<TQelMorphFunc> Make()
{
    return std::make_unique<F>();
}

// Each function type: its class, and the child elements that set its fields.
struct TChildReader {
    const char* Element;
    std::function<void(TQelMorphFunc&, const std::string&)> Read;
};

template <class F, class Field>
TChildReader VectorChild(const char* element, Field F::*field)
{
    return {element, [field](TQelMorphFunc& f, const std::string& text) { static_cast<F&>(f).*field = StrToVect(text); }};
}

TChildReader ExpressionChild(const char* element, int dimension)
{
    return {element, [dimension](TQelMorphFunc& f, const std::string& text) {
                static_cast<TQelPeriodicFunc&>(f).SetExpression(dimension, text);
            }};
}

struct TFunctionType {
    const char* Type;
    std::unique_ptr<TQelMorphFunc> (*Create)();
    std::vector<TChildReader> Children;
};

const std::vector<TFunctionType>& FunctionTypes()
{
    static const std::vector<TFunctionType> types = {
        {"constant", &Make<TQelConstantFunc>, {VectorChild("Value", &TQelConstantFunc::Value)}},
        {"piecewise", &Make<TQelPiecewiseFunc>,
            {{"Script", [](TQelMorphFunc& f, const std::string& text) { static_cast<TQelPiecewiseFunc&>(f).SetScript(text); }}}},
        {"periodic", &Make<TQelPeriodicFunc>,
            {ExpressionChild("XParam", 0), ExpressionChild("YParam", 1), ExpressionChild("ZParam", 2)}},
        {"parabolic", &Make<TQelParabolicFunc>,
            {VectorChild("StartPosition", &TQelParabolicFunc::StartPosition),
                VectorChild("StartVelocity", &TQelParabolicFunc::StartVelocity),
                VectorChild("Acceleration", &TQelParabolicFunc::Acceleration)}},
    };
    return types;
}

const TQelParserAttribute& Required(const TQelXMLTag& tag, const char* attribute, const std::string& where)
{
    const TQelParserAttribute* a = tag.GetAttributeByName(attribute);
    if (!a)
        throw EQelFXError(where + " tag has no \"" + attribute + "\" attribute");
    return *a;
}

}  // namespace

std::unique_ptr<TQelMorphFunc> CreateMorphFuncByTag(const TQelXMLTag* tag)
{
    if (!tag || tag->Name != "Function")
        return nullptr;
    std::string name = tag->AttributeValue("Name");
    const std::string& dim = Required(*tag, "Dim", "[CreateMorphFuncByTag]: <Function>").Value;
    const std::string& type = Required(*tag, "Type", "[CreateMorphFuncByTag]: <Function>").Value;
    for (const TFunctionType& t : FunctionTypes()) {
        if (type != t.Type)
            continue;
        std::unique_ptr<TQelMorphFunc> f = t.Create();
        f->SetName(name);
        f->SetDim(LeadingInt(dim));
        for (const TChildReader& child : t.Children) {
            const TQelXMLTag* element = tag->GetChildByName(child.Element);
            // An empty element leaves the default, like a missing one.
            if (element && !TrimView(element->Text).empty())
                child.Read(*f, element->Text);
        }
        return f;
    }
    throw EQelFXError("[CreateMorphFuncByTag]: Invalid <Function> tag \"Type\" attribute value");
}

std::unique_ptr<TQelMorph> CreateMorphByTag(
    const TQelXMLTag* tag, TQelMorphFuncLib* functions, TQelMorphLib* morphs, TRandom* random)
{
    if (!tag || tag->Name != "Morph")
        return nullptr;
    const std::string& name = Required(*tag, "Name", "[CreateMorphByTag]: <Morph>").Value;
    const std::string& dim = Required(*tag, "Dim", "[CreateMorphByTag]: <Morph>").Value;
    auto morph = std::make_unique<TQelMorph>(name, LeadingInt(dim), functions, morphs);
    morph->Random = random;
    if (const TQelParserAttribute* start = tag->GetAttributeByName("StartTime"))
        morph->SetStartTime(LeadingInt(start->Value));
    for (const auto& child : tag->Children) {
        if (child->Name == "Functions") {
            for (const auto& f : child->Children)
                morph->AddFuncByTag(*f);
        } else if (child->Name == "Properties") {
            for (const auto& p : child->Children)
                morph->AddParamByTag(*p);
        }
    }
    return morph;
}

void TQelMorph::AddFuncByTag(const TQelXMLTag& tag)
{
    if (tag.Name != "Function")
        throw EQelFXError("[TQelMorph.AddFuncByTag]: <Functions> tag contains invalid child tag <" + tag.Name + ">");
    const std::string& name = Required(tag, "Name", "[TQelMorph.AddFuncByTag]: <Function>").Value;
    // Only the exact text "true" clones; a shared function's Weight changes it for every
    // morph that uses it.
    int index = tag.AttributeValue("Clone") == "true" ? AddLibraryFunctionClone(name) : AddLibraryFunction(name);
    if (index < 0)
        return;
    if (const TQelParserAttribute* weight = tag.GetAttributeByName("Weight"))
        Function(index)->Weight = ClampToFloat(FXStrToFloat(weight->Value));
}

void TQelMorph::AddParamByTag(const TQelXMLTag& tag)
{
    if (tag.Name != "Property")
        throw EQelFXError("[TQelMorph.AddParamByTag]: Morph + \"" + Name() + "\" <Properties> tag contains invalid tag \"" +
            tag.Name + "\"");
    const std::string& name = Required(tag, "Name", "[TQelMorph.AddParamByTag]: <Property>").Value;
    const std::string text = Trim(tag.Text);

    // A value from a child morph, a random range "a..b", or a vector applied at once.
    auto valueSource = [&](TQelMorphTarget target, int funcIndex, int paramIndex) {
        TQelDynamicParam param;
        param.Target = target;
        param.FuncIndex = funcIndex;
        param.ParamIndex = paramIndex;
        if (TQelMorph* child = morphLib_ ? morphLib_->Find(text) : nullptr; child && child != this) {
            param.Source = TQelValueSource::Child;
            param.ChildIndex = AddChild(child);
            AddDynamicParam(param);
            return;
        }
        constexpr size_t kEarliestRange = 3;  // "(a)..(b)" needs a vector before the dots
        size_t dots = text.find("..");
        if (dots != std::string::npos && dots >= kEarliestRange) {
            TQelVector a = StrToVect(std::string_view(text).substr(0, dots));
            TQelVector b = StrToVect(std::string_view(text).substr(dots + 2));
            param.Base = a;
            param.Range = b - a;
            param.Source = SquaredLength(param.Range) < kZeroSquared ? TQelValueSource::Constant : TQelValueSource::Random;
            AddDynamicParam(param);
            return;
        }
        TQelVector v = StrToVect(text);
        if (SquaredLength(v) > kZeroSquared)
            Apply(param, v);
    };

    struct TFixed {
        const char* Name;
        std::function<void()> Set;
    };
    const TFixed fixed[] = {
        {"Position", [&] { valueSource(TQelMorphTarget::Position, -1, 0); }},
        {"Rotation", [&] { valueSource(TQelMorphTarget::Rotation, -1, 0); }},
        {"Scale", [&] { valueSource(TQelMorphTarget::Scale, -1, 0); }},
        {"StartTime", [&] { valueSource(TQelMorphTarget::StartTime, -1, 0); }},
        {"RotationPattern",
            [&] {
                if (dim_ == 3)
                    SetRotationPattern(text);
            }},
        {"ViewportWidth", [&] { HalfViewportWidth = LeadingInt(text) / 2; }},
        {"ViewportHeight", [&] { HalfViewportHeight = LeadingInt(text) / 2; }},
        {"CameraDistance", [&] { CameraDistance = ClampToFloat(FXStrToFloat(text)); }},
    };
    for (const TFixed& f : fixed)
        if (EqualsNoCase(name, f.Name)) {
            f.Set();
            return;
        }

    size_t dot = name.find('.');
    if (dot == std::string::npos || dot == 0)
        throw EQelFXError("[TQelMorph.AddParamByTag]: <Property> tag \"Name\" attribute has invalid value \"" + name + "\"");
    std::string function = name.substr(0, dot);
    int funcIndex = FunctionIndex(function);
    if (funcIndex < 0)
        throw EQelFXError(
            "[TQelMorph.AddParamByTag]: <Property> tag \"Name\" attribute value contains unknown Function name \"" +
            function + "\"");
    int paramIndex = Function(funcIndex)->GetParamIdx(name.substr(dot + 1));
    valueSource(TQelMorphTarget::FuncParam, funcIndex, paramIndex);
}

// ---------------------------------------------------------------------------------------

int AddFuncToLib(TQelMorphFuncLib* library, std::unique_ptr<TQelMorphFunc> function)
{
    if (!library)
        throw EQelFXError("[AddFuncToLib]: Library reference is invalid");
    if (!function)
        throw EQelFXError("[AddFuncToLib]: Function reference is invalid");
    int existing = library->IndexOf(function->Name());
    if (existing >= 0)
        return existing;
    function->Owned = false;
    return library->Add(std::move(function));
}

int AddMorphToLib(TQelMorphLib* library, std::unique_ptr<TQelMorph> morph)
{
    if (!library)
        throw EQelFXError("[AddMorphToLib]: Library reference is invalid");
    if (!morph)
        throw EQelFXError("[AddMorphToLib]: Morph reference is invalid");
    int existing = library->IndexOf(morph->Name());
    if (existing >= 0)
        return existing;
    return library->Add(std::move(morph));
}

std::unique_ptr<TQelMorph> CreatePathMorph(std::string_view script, int dim)
{
    auto path = std::make_unique<TQelPiecewiseFunc>();
    path->SetName("FPath");
    path->SetDim(dim);
    path->SetScript(script);
    auto morph = std::make_unique<TQelMorph>("MPath", dim, nullptr, nullptr);
    morph->AddFunction(std::move(path));
    return morph;
}

TQelPiecewiseFunc* FirstPathFunction(const TQelMorph& morph)
{
    for (int i = 0; i < morph.FunctionCount(); ++i)
        if (auto* path = dynamic_cast<TQelPiecewiseFunc*>(morph.Function(i)))
            return path;
    return nullptr;
}
