// Reading effect files: <ParticleEffect> with its Functions, Morphs, Particles and
// ParticleSystems.
#include "effects/QelFXParticles.h"

#include "foundation/Files.h"
#include "foundation/MemoryStream.h"
#include "foundation/QelParser.h"

#include <algorithm>
#include <functional>

namespace {

const std::string kTemplateWhere = "[TQelParticleTemplate.AddParamTypeByTag]: ";

const std::string& RequiredAttribute(const TQelXMLTag& tag, const char* name, const std::string& message)
{
    const TQelParserAttribute* a = tag.GetAttributeByName(name);
    if (!a)
        throw EQelFXError(message);
    return a->Value;
}

// Seconds as written in effect files, as a duration; negative times count as none.
uint32_t ReadSeconds(const std::string& text)
{
    return static_cast<uint32_t>(std::max(SecondsToMs(FXStrToFloat(text)), 0));
}

TQelMorph* FindInTree(TQelMorph* root, std::string_view name)
{
    if (!root)
        return nullptr;
    for (TQelMorph* m : root->Tree())
        if (EqualsNoCase(m->Name(), name))
            return m;
    return nullptr;
}

// Init-morphs that read another init-morph's morph come after it; a loop keeps the
// remaining order.
void OrderInitMorphs(std::vector<TQelInitMorph>& list)
{
    std::vector<TQelInitMorph> ordered;
    while (!list.empty()) {
        auto reads = [&](const TQelInitMorph& m, const TQelInitMorph& other) {
            if (&m == &other)
                return false;
            for (const TQelInitProperty& p : m.Properties)
                if (p.Source == TQelInitProperty::TSource::Morph && EqualsNoCase(p.MorphName, other.Name))
                    return true;
            return false;
        };
        size_t pick = 0;
        for (size_t i = 0; i < list.size(); ++i) {
            bool waits = false;
            for (const TQelInitMorph& other : list)
                waits = waits || reads(list[i], other);
            if (!waits) {
                pick = i;
                break;
            }
        }
        ordered.push_back(std::move(list[pick]));
        list.erase(list.begin() + static_cast<ptrdiff_t>(pick));
    }
    list = std::move(ordered);
}

}  // namespace

void TQelParticleTemplate::AddParamTypeByTag(const TQelXMLTag& tag)
{
    if (tag.Name != "Parameter")
        throw EQelFXError(kTemplateWhere + "<Particle> tag contains invalid tag \"" + tag.Name + "\"");
    const std::string& name = RequiredAttribute(tag, "Name", kTemplateWhere + "<Parameter> tag has no \"Name\" attribute");
    const std::string& dim = RequiredAttribute(tag, "Dim", kTemplateWhere + "<Parameter> tag has no \"Dim\" attribute");

    TQelParamType type;
    int existing = ParamIndex(name);
    if (existing >= 0) {
        type.Name = Params[static_cast<size_t>(existing)].Name;
        type.Default = Params[static_cast<size_t>(existing)].Default;
    } else {
        type.Name = name.substr(0, kMaxNameLength);
    }
    type.Dim = std::clamp(LeadingInt(dim), 1, 3);
    if (const TQelParserAttribute* morph = tag.GetAttributeByName("Morph")) {
        type.MorphIndex = Effect ? Effect->Morphs.IndexOf(morph->Value) : -1;
        if (type.MorphIndex < 0)
            throw EQelFXError(kTemplateWhere + "<Parameter> tag \"Morph\" attribute contains unknown Morph name \"" +
                morph->Value + "\"");
    }
    type.ClonedMorph = Trim(tag.AttributeValue("ClonedMorph")) == "true";
    TQelMorph* root = Effect ? Effect->Morphs.Item(type.MorphIndex) : nullptr;

    for (const auto& child : tag.Children) {
        if (child->Name == "LiveValue") {
            std::string text = Trim(child->Text);
            size_t sep = text.find(")-(");
            if (sep == std::string::npos || sep < 1)
                throw EQelFXError(kTemplateWhere + "<LiveValue> tag value \"" + text + "\" has invalid syntax");
            type.Min = StrToVect(std::string_view(text).substr(0, sep + 1));
            type.Max = StrToVect(std::string_view(text).substr(sep + 2));
            type.LiveValue = true;
        } else if (child->Name == "InitMorphs") {
            for (const auto& im : child->Children) {
                if (im->Name != "InitMorph")
                    throw EQelFXError(kTemplateWhere + "<InitMorphs> tag contains invalid tag \"" + im->Name + "\"");
                TQelInitMorph init;
                init.Name = RequiredAttribute(*im, "Name", kTemplateWhere + "<InitMorph> tag has no \"Name\" attribute");
                TQelMorph* adjusted = FindInTree(root, init.Name);
                if (!adjusted) {
                    TQelMorph* library = Effect ? Effect->Morphs.Find(init.Name) : nullptr;
                    if (!library)
                        throw EQelFXError(kTemplateWhere + "<InitMorph> tag \"Name\" attribute contains unknown Morph name \"" +
                            init.Name + "\"");
                    init.OwnCopy = CloneFX(*library);
                    adjusted = init.OwnCopy.get();
                }
                for (const auto& p : im->Children)
                    init.Properties.push_back(ReadInitProperty(*p, *adjusted, root));
                type.InitMorphs.push_back(std::move(init));
            }
        } else {
            throw EQelFXError(kTemplateWhere + "<Parameter> tag contains invalid tag <" + child->Name + ">");
        }
    }
    OrderInitMorphs(type.InitMorphs);

    if (existing >= 0)
        Params[static_cast<size_t>(existing)] = std::move(type);
    else
        Params.push_back(std::move(type));
}

TQelInitProperty TQelParticleTemplate::ReadInitProperty(const TQelXMLTag& tag, TQelMorph& adjusted, TQelMorph* root)
{
    if (tag.Name != "Property")
        throw EQelFXError(kTemplateWhere + "<InitMorph> tag contains invalid tag <" + tag.Name + ">");
    const std::string& name = RequiredAttribute(tag, "Name", kTemplateWhere + "<Property> tag has no \"Name\" attribute");
    TQelInitProperty prop;
    static const std::pair<const char*, TQelMorphTarget> kTargets[] = {
        {"Position", TQelMorphTarget::Position},
        {"Rotation", TQelMorphTarget::Rotation},
        {"Scale", TQelMorphTarget::Scale},
        {"StartTime", TQelMorphTarget::StartTime},
    };
    bool fixed = false;
    for (const auto& [targetName, target] : kTargets)
        if (EqualsNoCase(name, targetName)) {
            prop.Target = target;
            fixed = true;
        }
    if (!fixed) {
        size_t dot = name.find('.');
        if (dot == std::string::npos || dot == 0)
            throw EQelFXError(kTemplateWhere + "<Property> tag \"Name\" attribute has invalid value \"" + name + "\"");
        prop.Target = TQelMorphTarget::FuncParam;
        prop.FuncName = name.substr(0, dot);
        prop.FuncIndex = adjusted.FunctionIndex(prop.FuncName);
        if (prop.FuncIndex < 0)
            throw EQelFXError(kTemplateWhere + "<Property> tag \"Name\" attribute value \"" + name +
                "\" contains unknown Function name");
        try {
            prop.ParamIndex = adjusted.Function(prop.FuncIndex)->GetParamIdx(name.substr(dot + 1));
        } catch (const EQelFXError&) {
            prop.ParamIndex = -1;
        }
        if (prop.ParamIndex < 1)
            throw EQelFXError(kTemplateWhere + "<Property> tag \"Name\" attribute value \"" + name +
                "\" contains unknown parameter name");
    }

    std::string text = Trim(tag.Text);
    constexpr size_t kEarliestRange = 3;  // "(a)..(b)" needs a vector before the dots
    size_t dots = text.find("..");
    if (FindInTree(root, text) || (Effect && Effect->Morphs.Find(text))) {
        prop.Source = TQelInitProperty::TSource::Morph;
        prop.MorphName = text;
    } else if (dots != std::string::npos && dots >= kEarliestRange) {
        prop.Source = TQelInitProperty::TSource::Range;
        prop.A = StrToVect(std::string_view(text).substr(0, dots));
        prop.B = StrToVect(std::string_view(text).substr(dots + 2));
    } else if (prop.Target == TQelMorphTarget::StartTime && text == "T") {
        prop.Source = TQelInitProperty::TSource::BirthTime;
    } else {
        prop.Source = TQelInitProperty::TSource::Constant;
        prop.A = StrToVect(text);
    }
    return prop;
}

// ---------------------------------------------------------------------------------------

void TQelParticleEffect::LoadFromFile(const std::string& path)
{
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        throw EQelFXError("[TQelParticleEffect.LoadFromFile]: Invalid effect \"" + Name() + "\" XML file name \"" + path + "\"");
    TMemoryStream stream(std::move(*bytes));
    LoadFromStream(&stream);
}

void TQelParticleEffect::LoadFromStream(TMemoryStream* stream)
{
    if (!stream || stream->Size() == 0)
        throw EQelFXError("[TQelParticleEffect.LoadFromStream]: Invalid effect \"" + Name() + "\" XML stream");
    LoadFromText(stream->View());
}

void TQelParticleEffect::LoadFromText(std::string_view text)
{
    TQelParser document;
    document.LoadFromText(text);
    AnalyzeXML(document);
}

void TQelParticleEffect::AnalyzeXML(const TQelXMLTag& document)
{
    const std::string where = "[TQelParticleEffect.AnalyzeXML]: ";
    const TQelXMLTag* root = document.GetChildByName("ParticleEffect");
    if (!root)
        root = document.FindChildByName("ParticleEffect");
    if (!root)
        throw EQelFXError(where + "Effect \"" + Name() + "\" XML description has no <ParticleEffect> tag");
    SetName(RequiredAttribute(*root, "Name", where + "Tag <ParticleEffect> has no \"Name\" attribute"));
    if (const TQelParserAttribute* lifetime = root->GetAttributeByName("Lifetime"))
        lifetime_ = ReadSeconds(lifetime->Value);
    if (const TQelParserAttribute* min = root->GetAttributeByName("MinParticles"))
        minParticles_ = LeadingInt(min->Value);

    auto section = [&](const char* name) -> const TQelXMLTag& {
        const TQelXMLTag* tag = root->GetChildByName(name);
        if (!tag)
            throw EQelFXError(where + "Effect \"" + Name() + "\" XML description has no <" + name + "> tag");
        return *tag;
    };
    for (const auto& f : section("Functions").Children)
        AddFuncToLib(&Functions, CreateMorphFuncByTag(f.get()));
    for (const auto& m : section("Morphs").Children)
        AddMorphToLib(&Morphs, CreateMorphByTag(m.get(), &Functions, &Morphs, Random));
    for (const auto& p : section("Particles").Children)
        if (p->Name == "Particle")
            ReadParticle(*p);
    for (const auto& s : section("ParticleSystems").Children)
        if (s->Name == "ParticleSystem")
            ReadSystem(*s);
}

void TQelParticleEffect::ReadParticle(const TQelXMLTag& tag)
{
    const std::string& name = RequiredAttribute(tag, "Name", "<Particle> tag has no \"Name\" attribute");
    TQelParticleTemplate* tmpl = Templates.Find(name);
    if (!tmpl) {
        auto made = std::make_unique<TQelParticleTemplate>();
        made->SetName(name);
        made->Effect = this;
        tmpl = Templates.Item(Templates.Add(std::move(made)));
    }
    for (const auto& child : tag.Children)
        tmpl->AddParamTypeByTag(*child);
}

void TQelParticleEffect::ReadSystem(const TQelXMLTag& tag)
{
    const std::string& name = RequiredAttribute(tag, "Name", "<ParticleSystem> tag has no \"Name\" attribute");
    const std::string& templateName = RequiredAttribute(tag, "Template", "<ParticleSystem> tag has no \"Template\" attribute");
    TQelParticleTemplate* tmpl = Templates.Find(templateName);
    if (!tmpl)
        throw EQelFXError("<ParticleSystem> tag \"Template\" attribute contains unknown template name \"" + templateName + "\"");
    TQelParticleSystem* system = Systems.Find(name);
    if (!system) {
        auto made = std::make_unique<TQelParticleSystem>();
        made->SetName(name);
        system = Systems.Item(Systems.Add(std::move(made)));
    }
    system->Effect = this;
    system->Template = tmpl;

    using TSys = TQelParticleSystem;
    auto count = [](int32_t TSys::*field) {
        return [field](TSys& s, const std::string& text) { s.*field = LeadingInt(text); };
    };
    auto seconds = [](uint32_t TSys::*field) {
        return [field](TSys& s, const std::string& text) { s.*field = ReadSeconds(text); };
    };
    static const std::pair<const char*, std::function<void(TSys&, const std::string&)>> kChildren[] = {
        {"Position", [](TSys& s, const std::string& text) { s.Position = StrToVect(text); }},
        {"InitParticles", count(&TSys::InitParticles)},
        {"InitInterval",
            [](TSys& s, const std::string& text) {
                std::string_view t = TrimView(text);
                if (!t.empty() && t[0] == '/') {
                    s.InitDivisions = LeadingInt(t.substr(1));
                } else {
                    s.InitDivisions = -1;
                    s.InitInterval = ReadSeconds(text);
                }
            }},
        {"MinParticles", count(&TSys::MinParticles)},
        {"MaxParticles", [](TSys& s, const std::string& text) { s.MaxParticles = LeadingInt(text); }},
        {"ThrowInterval", seconds(&TSys::ThrowInterval)},
        {"ParticlesPerThrow", count(&TSys::ParticlesPerThrow)},
        {"EmissionInterval", seconds(&TSys::EmissionInterval)},
        {"ThrowsPerEmission", count(&TSys::ThrowsPerEmission)},
        {"MaxLifetime", seconds(&TSys::MaxLifetime)},
        {"FrameCount", count(&TSys::FrameCount)},
        {"Resource", [](TSys& s, const std::string& text) { s.Resource = Trim(text).substr(0, kMaxNameLength); }},
        {"OutputMode", count(&TSys::OutputMode)},
    };
    for (const auto& [element, read] : kChildren)
        if (const TQelXMLTag* child = tag.GetChildByName(element))
            read(*system, child->Text);
}
