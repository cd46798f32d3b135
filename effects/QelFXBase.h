// The effect system's base: morph functions (constant, piecewise path, periodic,
// parabolic), morphs, their libraries and their XML vocabulary, and motion path scripts.
//
// Who owns what: a library owns its functions or morphs; a morph owns its cloned
// functions and its rotator, and only links shared library functions and its child
// morphs. Every particle effect owns one function library and one morph library; the
// program keeps one more pair (TQelFXLibraries) for morphs made outside any effect.
// Reading errors are thrown as EQelFXError with the message the caller logs.
#pragma once

#include "effects/QelFXObjects.h"
#include "effects/QelMorph.h"
#include "effects/QelMorphFuncs.h"
#include "effects/QelPathScript.h"
#include "effects/QelPeriodicExpr.h"

#include <memory>
#include <string_view>

class TQelXMLTag;
class TRandom;

// A function from a <Function Name="F" Dim="2" Type="piecewise"> element; nothing when
// the element is missing or has another name.
std::unique_ptr<TQelMorphFunc> CreateMorphFuncByTag(const TQelXMLTag* tag);

// A morph from a <Morph Name="M" Dim="2" [StartTime="ms"]> element, looking function and
// morph names up in the given libraries; nothing when the element has another name.
// Random ranges of its properties draw from random.
std::unique_ptr<TQelMorph> CreateMorphByTag(
    const TQelXMLTag* tag, TQelMorphFuncLib* functions, TQelMorphLib* morphs, TRandom* random = nullptr);

// Adds the object to the library unless an item of that name (letter case ignored) is
// already there; either way the answer is the index of the item of that name. A function
// put in a library is no longer owned by a morph.
int AddFuncToLib(TQelMorphFuncLib* library, std::unique_ptr<TQelMorphFunc> function);
int AddMorphToLib(TQelMorphLib* library, std::unique_ptr<TQelMorph> morph);

// A morph of one piecewise function "FPath" read from a path script, as a belt keeps it.
// Throws EQelFXError for a malformed number in the script.
std::unique_ptr<TQelMorph> CreatePathMorph(std::string_view script, int dim = 2);
// The first path function of a morph, or nothing.
TQelPiecewiseFunc* FirstPathFunction(const TQelMorph& morph);
