// A morph: a named sum of weighted morph functions of time, scaled, rotated and moved,
// whose settings may come from constants, random ranges or other morphs (children).
#pragma once

#include "effects/QelMorphFuncs.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

class TQelMorph;
class TQelXMLTag;
class TRandom;

using TQelMorphFuncLib = TQelStaticCollection<TQelMorphFunc>;
using TQelMorphLib = TQelStaticCollection<TQelMorph>;

// Row-vector 4 x 4 matrix: a point v becomes (v, 1) x M.
using TQelMatrix = std::array<std::array<double, 4>, 4>;

// An ordered list of rotations about X, Y or Z, each with a fixed angle or one taken from
// a component of the morph's Rotation, and a pivot as its translation row.
class TQelRotator {
public:
    struct TItem {
        char Axis = 'X';
        float Angle = 0;     // radians
        int ParamIndex = 0;  // 0 = fixed angle, 1..3 = component of Rotation
        TQelVector Pivot;
    };

    TQelRotator() { Recompute(); }

    // "X[1]; Y[2]; Z[3]", "(0,0,10); Z=0.5" ...; replaces every item. Throws EQelFXError
    // "[TQelRotator.AddItem]: Invalid base axis value \"c\"" or "[TQelRotator.
    // SetRotationPattern]: Invalid rotation pattern parameter index".
    void SetPattern(std::string_view pattern);
    // New angles for the parameterised items.
    void SetRotation(const TQelVector& angles);
    const std::vector<TItem>& Items() const { return items_; }
    const TQelMatrix& Matrix() const { return combined_; }
    TQelVector Apply(const TQelVector& v) const;

private:
    void Recompute();

    std::vector<TItem> items_;
    TQelMatrix combined_ {};
};

// What a dynamic parameter sets when a morph is validated, and where the value comes from.
enum class TQelMorphTarget : uint8_t { Position, Rotation, Scale, StartTime, FuncParam };
enum class TQelValueSource : uint8_t { Constant, Random, Child };

struct TQelDynamicParam {
    TQelMorphTarget Target = TQelMorphTarget::Position;
    int FuncIndex = -1;  // FuncParam: the morph's function
    int ParamIndex = 0;  // FuncParam: its parameter
    TQelValueSource Source = TQelValueSource::Constant;
    TQelVector Base;   // Constant: the value; Random: the low end
    TQelVector Range;  // Random: high end - low end
    int ChildIndex = -1;  // Child: index in the morph's children
};

class TQelMorph final : public TQelBaseObject {
public:
    struct TChild {
        TQelMorph* Morph = nullptr;  // a morph of the library, not owned
        TQelVector Value;            // its latest value
    };

    TQelMorph();
    TQelMorph(std::string_view name, int dim, TQelMorphFuncLib* functions, TQelMorphLib* morphs);

    const char* ClassName() const override { return "TQelMorph"; }
    std::unique_ptr<TQelBaseObject> Create() const override { return std::make_unique<TQelMorph>(); }
    // Copies everything: owned functions are cloned again, shared ones stay shared,
    // dynamic parameters and children are kept.
    bool Assign(const TQelBaseObject& source) override;
    // Reads every child at the morph's own start and applies the dynamic parameters, so
    // each validated copy draws its own random values.
    bool Validate() override;

    int Dim() const { return dim_; }
    // 1..3; 3 sets the rotation pattern "X[1]; Y[2]; Z[3]".
    void SetDim(int dim);
    int32_t StartTime() const { return startTime_; }
    int32_t TimeOffset() const { return timeOffset_; }
    // Both reach every child, recursively.
    void SetStartTime(int32_t ms);
    void SetTimeOffset(int32_t ms);
    // Set per particle; added to the local time like the time offset.
    int32_t SecondOffset = 0;

    TQelMorphFuncLib* FunctionLibrary() const { return functionLib_; }
    TQelMorphLib* MorphLibrary() const { return morphLib_; }
    void SetLibraries(TQelMorphFuncLib* functions, TQelMorphLib* morphs);
    // After the libraries were copied into new ones: shared functions and children point
    // at the items of the same index there.
    void Relink(TQelMorphFuncLib* functions, TQelMorphLib* morphs);
    // Where random ranges draw from (the cosmetic stream); none means the low end.
    TRandom* Random = nullptr;

    // Functions. Only a function of the morph's own Dim is taken (else -1).
    int FunctionCount() const { return static_cast<int>(functions_.size()); }
    TQelMorphFunc* Function(int index) const;
    int FunctionIndex(std::string_view name) const;  // letter case ignored; -1 when absent
    TQelMorphFunc* FunctionByName(std::string_view name) const { return Function(FunctionIndex(name)); }
    int AddFunction(std::unique_ptr<TQelMorphFunc> owned);
    int AddSharedFunction(TQelMorphFunc* shared);
    int AddLibraryFunction(std::string_view name);
    int AddLibraryFunctionClone(std::string_view name);

    // The children of Functions and Properties elements; throw EQelFXError.
    void AddFuncByTag(const TQelXMLTag& tag);
    void AddParamByTag(const TQelXMLTag& tag);
    void SetRotationPattern(std::string_view pattern);

    void SetPosition(const TQelVector& v);
    void SetScale(const TQelVector& v);
    // 3-D: the rotator's parameterised angles; otherwise the angle is the first component.
    void SetRotation(const TQelVector& v);

    // The value at time t (ms) as a 1-, 2- or 3-component vector; the morph's own Dim
    // when none is given.
    TQelVector Evaluate(uint32_t t, bool derivative = false, int dim = 0);
    // A 3-D value seen through the camera on the screen; nothing when the point is at or
    // behind the camera.
    std::optional<TQelVector> Project(uint32_t t);

    // The morph and all its descendants, children before their parent.
    std::vector<TQelMorph*> Tree();
    const std::vector<TChild>& Children() const { return children_; }
    const std::vector<TQelDynamicParam>& DynamicParams() const { return dynamic_; }
    // Adds a dynamic parameter unless one with the same target and indexes exists.
    void AddDynamicParam(const TQelDynamicParam& param);
    // The index of morph among the children, appended when new.
    int AddChild(TQelMorph* morph);

    int HalfViewportWidth = 400;
    int HalfViewportHeight = 300;
    float CameraDistance = 720;

    TQelVector Position;
    TQelVector Scale {1, 1, 1};
    float Angle = 0;  // 1-D and 2-D rotation
    bool PositionSet = false;
    bool ScaleSet = false;
    bool RotationSet = false;
    TQelRotator Rotator;

private:
    struct TFuncRef {
        TQelMorphFunc* Func = nullptr;
        std::unique_ptr<TQelMorphFunc> Owned;
    };

    void Apply(const TQelDynamicParam& param, const TQelVector& value);
    TQelVector SourceValue(const TQelDynamicParam& param);
    void CollectTree(std::vector<TQelMorph*>& out, int depth);

    int dim_ = 2;
    int32_t startTime_ = 0;
    int32_t timeOffset_ = 0;
    TQelMorphFuncLib* functionLib_ = nullptr;
    TQelMorphLib* morphLib_ = nullptr;
    std::vector<TFuncRef> functions_;
    std::vector<TQelDynamicParam> dynamic_;
    std::vector<TChild> children_;
    bool evaluating_ = false;  // a morph that reaches itself through its children reads zero
};

// The libraries a morph made without explicit ones looks names up in. The program keeps
// one pair for its whole run and hands it to whoever builds free-standing morphs.
struct TQelFXLibraries {
    TQelMorphFuncLib Functions;  // "GlobalFunctionsLibrary"
    TQelMorphLib Morphs;         // "GlobalMorphsLibrary"
};
