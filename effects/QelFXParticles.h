// Particle effects: one effect file (root <ParticleEffect>) holds its own functions and
// morphs, particle templates that say which morph drives which visual parameter, and
// particle systems that emit particles of a template at a rhythm. An effect is loaded,
// started at a game time, ticked with the game clock, drawn particle by particle, and
// reports when it has finished.
//
// Times are unsigned 32-bit milliseconds of the game clock (the 64-bit clock's low part);
// effect files give durations in seconds. Randomness comes from the cosmetic stream the
// owner hands in (Random), never from the gameplay stream.
#pragma once

#include "effects/QelFXBase.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How a particle system reaches the frame: blended by its alpha, added through the scratch
// layer, through a shader (whose picture is the shader's, never loaded as a surface), or
// blended with real-valued opacity.
enum TOutputMode : int32_t { omBlended = 0, omAdditive = 1, omShader = 2, omBlendedReal = 10 };

class TMemoryStream;
class TQelParticleEffect;
class TQelParticleSystem;
class TRandom;

// The standard parameters every template starts with, in this order; drawing reads them
// by position.
enum TQelParticleParam : int {
    ppPosition = 0,
    ppAlpha = 1,
    ppColor = 2,
    ppColorValue = 3,
    ppFrame = 4,
    ppSize = 5,
};

// One setting an init-morph applies at a particle's birth.
struct TQelInitProperty {
    enum class TSource : uint8_t { Morph, Range, BirthTime, Constant };
    TQelMorphTarget Target = TQelMorphTarget::Position;
    int FuncIndex = -1;
    int ParamIndex = 0;
    std::string FuncName;  // for FuncParam: looked up in the adjusted morph
    TSource Source = TSource::Constant;
    TQelVector A, B;        // Constant: A; Range: between A and B
    std::string MorphName;  // Morph: whose value at the birth time is taken
};

// Adjusts one morph at each particle's birth: a morph of the parameter morph's tree, or a
// library morph of which the init-morph keeps its own copy.
struct TQelInitMorph {
    std::string Name;
    std::unique_ptr<TQelMorph> OwnCopy;  // set when the morph is not in the tree
    std::vector<TQelInitProperty> Properties;
};

struct TQelParamType {
    std::string Name;
    int Dim = 1;
    int MorphIndex = -1;  // in the effect's morph library; -1 = the default value
    bool ClonedMorph = false;
    std::vector<TQelInitMorph> InitMorphs;
    bool LiveValue = false;
    TQelVector Min, Max;
    TQelVector Default;
};

class TQelParticleTemplate final : public TQelBaseObject {
public:
    TQelParticleTemplate();
    const char* ClassName() const override { return "TQelParticleTemplate"; }
    std::unique_ptr<TQelBaseObject> Create() const override { return std::make_unique<TQelParticleTemplate>(); }
    bool Assign(const TQelBaseObject& source) override;

    // Reads a <Parameter> element into the entry of that name (letter case ignored),
    // appending a new one when there is none. Throws EQelFXError.
    void AddParamTypeByTag(const TQelXMLTag& tag);
    // Index of a parameter by name, letter case ignored; -1 when absent.
    int ParamIndex(std::string_view name) const;

    TQelParticleEffect* Effect = nullptr;
    std::vector<TQelParamType> Params;

private:
    TQelInitProperty ReadInitProperty(const TQelXMLTag& tag, TQelMorph& adjusted, TQelMorph* root);
};

class TQelParticle final : public TQelBaseObject {
public:
    struct TValue {
        TQelMorph* Morph = nullptr;  // shared with the effect, or Owned
        std::unique_ptr<TQelMorph> Owned;
        TQelVector Value;
    };

    TQelParticle() { SetDefaultName(); }
    const char* ClassName() const override { return "TQelParticle"; }
    std::unique_ptr<TQelBaseObject> Create() const override { return std::make_unique<TQelParticle>(); }
    bool Assign(const TQelBaseObject& source) override;
    // Evaluates every parameter at t (ms).
    void Update(uint32_t t);

    const TQelVector& Value(int param) const;

    TQelParticleSystem* System = nullptr;
    std::vector<TValue> Values;  // one per parameter of the template, in its order
    uint32_t BirthTime = 0;
    uint32_t CurrentTime = 0;
    int32_t TimeShift = 0;
    bool Dead = false;
    // Set for a frame in which a 3-D position is at or behind the camera: not drawn.
    bool Hidden = false;
};

class TQelParticleSystem final : public TQelBaseObject {
public:
    // A system never holds more particles than this, whatever its file asks for.
    static constexpr int kMaxParticles = 10000;

    TQelParticleSystem() { SetDefaultName(); }
    const char* ClassName() const override { return "TQelParticleSystem"; }
    std::unique_ptr<TQelBaseObject> Create() const override { return std::make_unique<TQelParticleSystem>(); }
    // Settings and particles; the effect and template links are set by the copying effect.
    bool Assign(const TQelBaseObject& source) override;
    // Throws the initial particles.
    bool Validate() override;
    void Update(uint32_t t);
    // Drops every particle and the run-time state, for a fresh start.
    void Reset();
    int Count() const { return static_cast<int>(Particles.size()); }

    TQelParticleEffect* Effect = nullptr;
    TQelParticleTemplate* Template = nullptr;
    std::vector<std::unique_ptr<TQelParticle>> Particles;  // in creation order

    TQelVector Position;
    int32_t InitParticles = 0;
    uint32_t InitInterval = 0;
    int32_t InitDivisions = -1;  // "/n": the template's path is divided in n parts
    int32_t MinParticles = 0;
    int64_t MaxParticles = 2147483647;
    uint32_t ThrowInterval = 0;
    int32_t ParticlesPerThrow = 0;
    uint32_t EmissionInterval = 0;
    int32_t ThrowsPerEmission = 0;
    uint32_t MaxLifetime = 0;
    int32_t FrameCount = 0;
    std::string Resource;
    int32_t OutputMode = 0;  // a TOutputMode

    uint32_t LastThrow = 0;
    uint32_t LastBurstEnd = 0;
    bool BurstRunning = false;
    int32_t ThrowsDone = 0;

private:
    void Throw(int count, uint32_t time, uint32_t shiftStep);
    std::unique_ptr<TQelParticle> MakeParticle(uint32_t birth, int32_t shift);
};

using TQelParticleTemplateLib = TQelStaticCollection<TQelParticleTemplate>;
using TQelParticleSystemLib = TQelStaticCollection<TQelParticleSystem>;

class TQelParticleEffect final : public TQelBaseObject {
public:
    TQelParticleEffect() { SetDefaultName(); }
    const char* ClassName() const override { return "TQelParticleEffect"; }
    std::unique_ptr<TQelBaseObject> Create() const override { return std::make_unique<TQelParticleEffect>(); }
    // A deep copy: libraries, templates and systems with their particles, re-linked to
    // the copy's own libraries.
    bool Assign(const TQelBaseObject& source) override;
    // Validates every system in order (which throws the initial particles).
    bool Validate() override;

    // Reading; every failure throws EQelFXError with the message the owner logs.
    void LoadFromFile(const std::string& path);
    void LoadFromStream(TMemoryStream* stream);
    void LoadFromText(std::string_view text);
    void AnalyzeXML(const TQelXMLTag& document);

    // Start time = current time = time; every morph of the library starts then. Particles
    // of an earlier run are dropped.
    void Start(uint32_t time);
    void Tick(uint32_t time);

    uint32_t StartTime() const { return startTime_; }
    uint32_t CurrentTime() const { return currentTime_; }
    uint32_t Elapsed() const { return currentTime_ - startTime_; }
    bool Finished() const { return finished_; }
    int ParticleCount() const { return particleCount_; }
    bool HasLifetime() const { return lifetime_.has_value(); }
    uint32_t Lifetime() const { return lifetime_.value_or(0); }
    void SetLifetime(uint32_t ms) { lifetime_ = ms; }
    void SetMinParticles(int32_t count) { minParticles_ = count; }

    int SystemCount() const { return Systems.Count(); }
    TQelParticleSystem* System(int index) const { return Systems.Item(index); }
    TQelMorphFunc* FunctionByName(std::string_view name) const { return Functions.Find(name); }
    TQelMorph* MorphByName(std::string_view name) const { return Morphs.Find(name); }
    TQelParticleTemplate* TemplateByName(std::string_view name) const { return Templates.Find(name); }
    TQelParticleSystem* SystemByName(std::string_view name) const { return Systems.Find(name); }
    int AddFunction(std::unique_ptr<TQelMorphFunc> f) { return AddFuncToLib(&Functions, std::move(f)); }
    int AddMorph(std::unique_ptr<TQelMorph> m) { return AddMorphToLib(&Morphs, std::move(m)); }

    // Gives the path function of that name a new script: the library function and every
    // copy the effect's morphs own, so morphs that clone it follow as well. False when the
    // effect has no function of that name.
    bool SetFunctionScript(std::string_view function, std::string_view script);

    // The cosmetic random stream; set before loading so every morph draws from it.
    TRandom* Random = nullptr;

    // Declared first: destroyed last, after the systems whose particles link into them.
    TQelMorphFuncLib Functions;
    TQelMorphLib Morphs;
    TQelParticleTemplateLib Templates;
    TQelParticleSystemLib Systems;

private:
    void ReadParticle(const TQelXMLTag& tag);
    void ReadSystem(const TQelXMLTag& tag);

    uint32_t startTime_ = 0;
    uint32_t currentTime_ = 0;
    int particleCount_ = 0;
    std::optional<uint32_t> lifetime_;
    std::optional<int32_t> minParticles_;
    bool finished_ = false;
};
