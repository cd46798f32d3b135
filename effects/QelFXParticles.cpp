// Particle effects at run time: birth and update of particles, throwing by rhythm and
// burst, the effect's clock and its deep copy.
#include "effects/QelFXParticles.h"

#include "foundation/Random.h"

#include <algorithm>

namespace {

struct TStandardParam {
    const char* Name;
    int Dim;
    TQelVector Default;
};

// Drawing reads these by position: the order is part of the format.
constexpr TStandardParam kStandardParams[] = {
    {"Position", 2, {0, 0, 0}},
    {"Alpha", 1, {1, 0, 0}},
    {"Color", 3, {255, 255, 255}},
    {"ColorValue", 1, {0, 0, 0}},
    {"Frame", 1, {0, 0, 0}},
    {"Size", 2, {1, 1, 1}},
};

template <class T>
int IndexOfItem(const TQelStaticCollection<T>& lib, const T* item)
{
    for (int i = 0; i < lib.Count(); ++i)
        if (lib.Item(i) == item)
            return i;
    return -1;
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

}  // namespace

// ---------------------------------------------------------------------------------------

TQelParticleTemplate::TQelParticleTemplate()
{
    SetDefaultName();
    for (const TStandardParam& p : kStandardParams) {
        TQelParamType type;
        type.Name = p.Name;
        type.Dim = p.Dim;
        type.Default = p.Default;
        Params.push_back(std::move(type));
    }
}

bool TQelParticleTemplate::Assign(const TQelBaseObject& source)
{
    const auto* t = dynamic_cast<const TQelParticleTemplate*>(&source);
    if (!t || !TQelBaseObject::Assign(source))
        return false;
    Params.clear();
    for (const TQelParamType& p : t->Params) {
        TQelParamType copy;
        copy.Name = p.Name;
        copy.Dim = p.Dim;
        copy.MorphIndex = p.MorphIndex;
        copy.ClonedMorph = p.ClonedMorph;
        copy.LiveValue = p.LiveValue;
        copy.Min = p.Min;
        copy.Max = p.Max;
        copy.Default = p.Default;
        for (const TQelInitMorph& im : p.InitMorphs) {
            TQelInitMorph m;
            m.Name = im.Name;
            m.Properties = im.Properties;
            if (im.OwnCopy && !(m.OwnCopy = CloneFX(*im.OwnCopy)))
                return false;
            copy.InitMorphs.push_back(std::move(m));
        }
        Params.push_back(std::move(copy));
    }
    return true;
}

int TQelParticleTemplate::ParamIndex(std::string_view name) const
{
    for (size_t i = 0; i < Params.size(); ++i)
        if (EqualsNoCase(Params[i].Name, name))
            return static_cast<int>(i);
    return -1;
}

// ---------------------------------------------------------------------------------------

bool TQelParticle::Assign(const TQelBaseObject& source)
{
    const auto* p = dynamic_cast<const TQelParticle*>(&source);
    if (!p || !TQelBaseObject::Assign(source))
        return false;
    Values.clear();
    for (const TValue& v : p->Values) {
        TValue copy;
        copy.Value = v.Value;
        if (v.Owned) {
            if (!(copy.Owned = CloneFX(*v.Owned)))
                return false;
            copy.Morph = copy.Owned.get();
        } else {
            copy.Morph = v.Morph;
        }
        Values.push_back(std::move(copy));
    }
    BirthTime = p->BirthTime;
    CurrentTime = p->CurrentTime;
    TimeShift = p->TimeShift;
    Dead = p->Dead;
    Hidden = p->Hidden;
    return true;
}

const TQelVector& TQelParticle::Value(int param) const
{
    static const TQelVector kNone;
    return param >= 0 && param < static_cast<int>(Values.size()) ? Values[static_cast<size_t>(param)].Value : kNone;
}

void TQelParticle::Update(uint32_t t)
{
    CurrentTime = t;
    Hidden = false;
    const TQelParticleTemplate* tmpl = System ? System->Template : nullptr;
    if (!tmpl)
        return;
    for (size_t i = 0; i < Values.size() && i < tmpl->Params.size(); ++i) {
        TValue& v = Values[i];
        const TQelParamType& type = tmpl->Params[i];
        if (!v.Morph)
            continue;
        if (!v.Owned) {
            // One morph serves every particle: set it to this particle's clock first.
            v.Morph->SetStartTime(static_cast<int32_t>(BirthTime));
            if (i == ppPosition)
                v.Morph->SecondOffset = TimeShift;
        }
        TQelVector r;
        if (type.Dim == 2 && v.Morph->Dim() == 3) {
            std::optional<TQelVector> screen = v.Morph->Project(t);
            if (!screen) {
                Hidden = true;
                continue;
            }
            r = {screen->X, screen->Y, 0};
        } else {
            r = v.Morph->Evaluate(t, false, type.Dim);
        }
        if (type.LiveValue)
            for (int c = 0; c < type.Dim; ++c)
                if (r[c] < type.Min[c] || r[c] > type.Max[c]) {
                    Dead = true;
                    return;
                }
        if (i == ppPosition)
            r = r + System->Position;
        v.Value = r;
    }
}

// ---------------------------------------------------------------------------------------

bool TQelParticleSystem::Assign(const TQelBaseObject& source)
{
    const auto* s = dynamic_cast<const TQelParticleSystem*>(&source);
    if (!s || !TQelBaseObject::Assign(source))
        return false;
    Position = s->Position;
    InitParticles = s->InitParticles;
    InitInterval = s->InitInterval;
    InitDivisions = s->InitDivisions;
    MinParticles = s->MinParticles;
    MaxParticles = s->MaxParticles;
    ThrowInterval = s->ThrowInterval;
    ParticlesPerThrow = s->ParticlesPerThrow;
    EmissionInterval = s->EmissionInterval;
    ThrowsPerEmission = s->ThrowsPerEmission;
    MaxLifetime = s->MaxLifetime;
    FrameCount = s->FrameCount;
    Resource = s->Resource;
    OutputMode = s->OutputMode;
    LastThrow = s->LastThrow;
    LastBurstEnd = s->LastBurstEnd;
    BurstRunning = s->BurstRunning;
    ThrowsDone = s->ThrowsDone;
    Particles.clear();
    for (const auto& p : s->Particles) {
        std::unique_ptr<TQelParticle> copy = CloneFX(*p);
        if (!copy)
            return false;
        copy->System = this;
        Particles.push_back(std::move(copy));
    }
    return true;
}

void TQelParticleSystem::Reset()
{
    Particles.clear();
    LastThrow = 0;
    LastBurstEnd = 0;
    BurstRunning = false;
    ThrowsDone = 0;
}

std::unique_ptr<TQelParticle> TQelParticleSystem::MakeParticle(uint32_t birth, int32_t shift)
{
    auto p = std::make_unique<TQelParticle>();
    p->System = this;
    p->TimeShift = shift;
    TQelMorphLib& morphs = Effect->Morphs;
    for (size_t i = 0; i < Template->Params.size(); ++i) {
        const TQelParamType& type = Template->Params[i];
        TQelParticle::TValue v;
        v.Value = type.Default;
        if (TQelMorph* shared = morphs.Item(type.MorphIndex)) {
            if (type.ClonedMorph) {
                // Its own copy, validated now, draws its own random values.
                v.Owned = CloneFX(*shared);
                if (v.Owned) {
                    v.Owned->SetLibraries(&Effect->Functions, &morphs);
                    v.Owned->SetStartTime(static_cast<int32_t>(birth));
                    if (i == ppPosition)
                        v.Owned->SecondOffset = shift;
                    v.Owned->Validate();
                    v.Morph = v.Owned.get();
                }
            } else {
                v.Morph = shared;
            }
        }

        for (const TQelInitMorph& im : type.InitMorphs) {
            TQelMorph* target = FindInTree(v.Morph, im.Name);
            if (!target)
                target = im.OwnCopy.get();
            if (!target)
                continue;
            for (const TQelInitProperty& prop : im.Properties) {
                TQelVector value = prop.A;
                switch (prop.Source) {
                case TQelInitProperty::TSource::BirthTime:
                    target->SetStartTime(static_cast<int32_t>(birth));
                    continue;
                case TQelInitProperty::TSource::Range:
                    for (int c = 0; c < 3; ++c)
                        value[c] = ClampToFloat(prop.A[c] + (Effect->Random ? Effect->Random->Real() : 0.0) * (prop.B[c] - prop.A[c]));
                    break;
                case TQelInitProperty::TSource::Morph: {
                    TQelMorph* from = FindInTree(v.Morph, prop.MorphName);
                    for (const TQelInitMorph& other : type.InitMorphs)
                        if (!from && other.OwnCopy && EqualsNoCase(other.OwnCopy->Name(), prop.MorphName))
                            from = other.OwnCopy.get();
                    if (!from)
                        from = morphs.Find(prop.MorphName);
                    value = from ? from->Evaluate(birth, false) : TQelVector {};
                    break;
                }
                case TQelInitProperty::TSource::Constant:
                    break;
                }
                switch (prop.Target) {
                case TQelMorphTarget::Position:
                    target->SetPosition(value);
                    break;
                case TQelMorphTarget::Rotation:
                    target->SetRotation(value);
                    break;
                case TQelMorphTarget::Scale:
                    target->SetScale(value);
                    break;
                case TQelMorphTarget::StartTime:
                    target->SetTimeOffset(SecondsToMs(value.X));
                    break;
                case TQelMorphTarget::FuncParam:
                    if (TQelMorphFunc* f = target->FunctionByName(prop.FuncName)) {
                        try {
                            f->SetParam(prop.ParamIndex, value, 2);
                        } catch (const EQelFXError&) {
                            // A point the path does not have: that one setting is skipped.
                        }
                    }
                    break;
                }
            }
        }
        p->Values.push_back(std::move(v));
    }
    p->BirthTime = p->CurrentTime = birth;
    for (TQelParticle::TValue& v : p->Values)
        if (v.Owned)
            v.Owned->SetStartTime(static_cast<int32_t>(birth));
    p->SetName(Template->Name() + IntToStr(Count()));
    p->Update(birth);
    return p;
}

void TQelParticleSystem::Throw(int count, uint32_t time, uint32_t shiftStep)
{
    if (!Effect || !Template)
        return;
    for (int i = 0; i < count && Count() < kMaxParticles; ++i)
        Particles.push_back(MakeParticle(time, static_cast<int32_t>(static_cast<uint32_t>(i) * shiftStep)));
    LastThrow = time;
}

bool TQelParticleSystem::Validate()
{
    if (InitParticles <= 0 || !Effect)
        return true;
    uint32_t interval = InitInterval;
    if (InitDivisions >= 0) {
        interval = 0;
        TQelMorph* position = Template ? Effect->Morphs.Item(Template->Params[ppPosition].MorphIndex) : nullptr;
        const TQelPiecewiseFunc* path = position ? FirstPathFunction(*position) : nullptr;
        if (path && InitDivisions > 0)
            interval = path->TotalDuration() / static_cast<uint32_t>(InitDivisions);
    }
    Throw(InitParticles, Effect->CurrentTime(), interval);
    return true;
}

void TQelParticleSystem::Update(uint32_t t)
{
    for (size_t i = 0; i < Particles.size();) {
        TQelParticle& p = *Particles[i];
        if (!p.Dead)
            p.Update(t);
        bool tooOld = MaxLifetime != 0 && t - p.BirthTime > MaxLifetime;
        if ((p.Dead || tooOld) && Count() > MinParticles)
            Particles.erase(Particles.begin() + static_cast<ptrdiff_t>(i));
        else
            ++i;
    }

    const int64_t most = std::min<int64_t>(MaxParticles, kMaxParticles);
    const int perThrow = std::max(ParticlesPerThrow, 0);
    const uint32_t now = Effect ? Effect->CurrentTime() : t;
    if (EmissionInterval != 0) {
        if (!BurstRunning && t - LastBurstEnd >= EmissionInterval) {
            BurstRunning = true;
            ThrowsDone = 0;
        }
        if (BurstRunning && ThrowInterval != 0 && t - LastThrow >= ThrowInterval &&
            static_cast<int64_t>(Count()) + perThrow <= most) {
            Throw(perThrow, now, 0);
            if (++ThrowsDone >= ThrowsPerEmission) {
                BurstRunning = false;
                LastBurstEnd = t;
            }
        }
    } else if (ThrowInterval != 0 && t - LastThrow >= ThrowInterval && static_cast<int64_t>(Count()) + perThrow <= most) {
        Throw(perThrow, now, 0);
    }
}

// ---------------------------------------------------------------------------------------

bool TQelParticleEffect::Assign(const TQelBaseObject& source)
{
    const auto* e = dynamic_cast<const TQelParticleEffect*>(&source);
    if (!e || !TQelBaseObject::Assign(source))
        return false;
    if (e == this)
        return true;
    Random = e->Random;
    startTime_ = e->startTime_;
    currentTime_ = e->currentTime_;
    particleCount_ = e->particleCount_;
    lifetime_ = e->lifetime_;
    minParticles_ = e->minParticles_;
    finished_ = e->finished_;

    Systems.Clear();
    Templates.Clear();
    Morphs.Clear();
    if (!Functions.Assign(e->Functions) || !Morphs.Assign(e->Morphs) || !Templates.Assign(e->Templates) ||
        !Systems.Assign(e->Systems))
        return false;
    for (const auto& f : Functions)
        f->Owned = false;
    // Every copied link still points into the source effect: move it to this one.
    for (const auto& m : Morphs)
        m->Relink(&Functions, &Morphs);
    for (const auto& t : Templates) {
        t->Effect = this;
        for (TQelParamType& type : t->Params)
            for (TQelInitMorph& im : type.InitMorphs)
                if (im.OwnCopy)
                    im.OwnCopy->Relink(&Functions, &Morphs);
    }
    for (int i = 0; i < Systems.Count(); ++i) {
        TQelParticleSystem* mine = Systems.Item(i);
        const TQelParticleSystem* theirs = e->Systems.Item(i);
        mine->Effect = this;
        mine->Template = Templates.Item(IndexOfItem(e->Templates, theirs->Template));
        for (const auto& p : mine->Particles)
            for (TQelParticle::TValue& v : p->Values) {
                if (v.Owned)
                    v.Owned->Relink(&Functions, &Morphs);
                else if (v.Morph)
                    v.Morph = Morphs.Item(IndexOfItem(e->Morphs, v.Morph));
            }
        if (!mine->Template)
            mine->Particles.clear();
    }
    return true;
}

bool TQelParticleEffect::Validate()
{
    return Systems.Validate();
}

void TQelParticleEffect::Start(uint32_t time)
{
    startTime_ = currentTime_ = time;
    for (const auto& m : Morphs)
        m->SetStartTime(static_cast<int32_t>(time));
    for (const auto& s : Systems)
        s->Reset();
    particleCount_ = 0;
    finished_ = false;
}

void TQelParticleEffect::Tick(uint32_t time)
{
    if (time < startTime_)
        return;
    currentTime_ = time;
    int count = 0;
    for (const auto& s : Systems) {
        s->Update(time);
        count += s->Count();
    }
    particleCount_ = count;
    finished_ = (lifetime_ && Elapsed() >= *lifetime_) || (minParticles_ && count <= *minParticles_);
}

bool TQelParticleEffect::SetFunctionScript(std::string_view function, std::string_view script)
{
    auto* path = dynamic_cast<TQelPiecewiseFunc*>(Functions.Find(function));
    if (!path)
        return false;
    path->SetScript(script);
    for (const auto& m : Morphs)
        for (int i = 0; i < m->FunctionCount(); ++i) {
            TQelMorphFunc* f = m->Function(i);
            if (f != path && f->Owned && EqualsNoCase(f->Name(), function))
                if (auto* copy = dynamic_cast<TQelPiecewiseFunc*>(f))
                    copy->SetScript(script);
        }
    return true;
}
