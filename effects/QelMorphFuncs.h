// Morph functions: functions of time (ms) into a vector of 1 to 3 components, weighted
// and summed by morphs. Constant, piecewise (a path script), periodic and parabolic.
#pragma once

#include "effects/QelFXObjects.h"
#include "effects/QelPathScript.h"
#include "effects/QelPeriodicExpr.h"

#include <cstdint>
#include <string_view>

class TQelMorphFunc : public TQelBaseObject {
public:
    int Dim() const { return dim_; }
    // 1..3; other values are brought into that range.
    virtual void SetDim(int dim);

    // The index of a parameter by name (letter case ignored); parameter 0 is Weight.
    // Throws EQelFXError "[TQelMorphFunc.GetParamIdx]: Invalid <class> function \"name\"
    // parameter \"p\"" for a name the class does not have.
    virtual int GetParamIdx(std::string_view parameter) const;
    // Sets a parameter from count values; throws EQelFXError "[TQelMorpFunc.SetParam]:
    // Invalid <class> function \"name\" parameter index i" for an index the class does not
    // have.
    virtual void SetParam(int index, const TQelVector& values, int count);
    void SetParamByName(std::string_view parameter, const TQelVector& values, int count)
    {
        SetParam(GetParamIdx(parameter), values, count);
    }

    // The value at timeMs, or with derivative its rate of change.
    virtual TQelVector Evaluate(uint32_t timeMs, bool derivative) const = 0;

    bool Assign(const TQelBaseObject& source) override;

    // True while the function belongs to one morph (a clone); false in a library.
    bool Owned = true;
    float Weight = 1.0f;

protected:
    TQelMorphFunc() = default;
    [[noreturn]] void BadParameterName(std::string_view parameter) const;
    [[noreturn]] void BadParameterIndex(int index) const;

private:
    int dim_ = 2;
};

class TQelConstantFunc final : public TQelMorphFunc {
public:
    TQelConstantFunc() { SetDefaultName(); }
    const char* ClassName() const override { return "TQelConstantFunc"; }
    std::unique_ptr<TQelBaseObject> Create() const override { return std::make_unique<TQelConstantFunc>(); }
    bool Assign(const TQelBaseObject& source) override;
    int GetParamIdx(std::string_view parameter) const override;
    void SetParam(int index, const TQelVector& values, int count) override;
    TQelVector Evaluate(uint32_t timeMs, bool derivative) const override;

    TQelVector Value;
};

// A path: parameter "[n]" is the path's n-th point.
class TQelPiecewiseFunc final : public TQelMorphFunc {
public:
    TQelPiecewiseFunc() { SetDefaultName(); }
    const char* ClassName() const override { return "TQelPiecewiseFunc"; }
    std::unique_ptr<TQelBaseObject> Create() const override { return std::make_unique<TQelPiecewiseFunc>(); }
    bool Assign(const TQelBaseObject& source) override;
    void SetDim(int dim) override;
    int GetParamIdx(std::string_view parameter) const override;
    void SetParam(int index, const TQelVector& values, int count) override;
    TQelVector Evaluate(uint32_t timeMs, bool derivative) const override { return Path.Evaluate(timeMs, derivative); }

    // Replaces the path by the one the script describes.
    void SetScript(std::string_view script) { Path.SetScript(script); }
    uint32_t TotalDuration() const { return Path.TotalDuration(); }
    double TotalLength() const { return Path.TotalLength(); }

    TQelPath Path;
};

// Per dimension: g1 sin(a1 s [+ g3 sin(a3 s + b3)] + b1) [x sin(a2 s + b2)] + c, s in seconds.
class TQelPeriodicFunc final : public TQelMorphFunc {
public:
    TQelPeriodicFunc();
    const char* ClassName() const override { return "TQelPeriodicFunc"; }
    std::unique_ptr<TQelBaseObject> Create() const override { return std::make_unique<TQelPeriodicFunc>(); }
    bool Assign(const TQelBaseObject& source) override;
    int GetParamIdx(std::string_view parameter) const override;
    void SetParam(int index, const TQelVector& values, int count) override;
    TQelVector Evaluate(uint32_t timeMs, bool derivative) const override;

    // Dimension 0..2 from an expression such as "2sin(3t+1)".
    void SetExpression(int dimension, std::string_view expression);

    TQelPeriodicDim Dims[3];
};

// P + V s + A s^2 with s in seconds: Acceleration is the coefficient of s^2 as written.
class TQelParabolicFunc final : public TQelMorphFunc {
public:
    TQelParabolicFunc() { SetDefaultName(); }
    const char* ClassName() const override { return "TQelParabolicFunc"; }
    std::unique_ptr<TQelBaseObject> Create() const override { return std::make_unique<TQelParabolicFunc>(); }
    bool Assign(const TQelBaseObject& source) override;
    int GetParamIdx(std::string_view parameter) const override;
    void SetParam(int index, const TQelVector& values, int count) override;
    TQelVector Evaluate(uint32_t timeMs, bool derivative) const override;

    TQelVector StartPosition;
    TQelVector StartVelocity;
    TQelVector Acceleration;
};
