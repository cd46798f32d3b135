// One dimension of a periodic morph function and the expression text that defines it,
// such as "2sin(3t+1)" or "sin(2*t)*sin(0.5t)+3" (t in seconds).
#pragma once

#include <string_view>

// value(s) = g1 sin(phase + b1) [x sin(a2 s + b2)] + c, phase = a1 s [+ g3 sin(a3 s + b3)]
struct TQelPeriodicDim {
    bool AmplitudeModulation = false;
    bool PhaseModulation = false;
    float G1 = 0, A1 = 0, B1 = 0;
    float A2 = 0, B2 = 0;
    float G3 = 0, A3 = 0, B3 = 0;
    float C = 0;

    double Value(double s) const;
    // The derivative with respect to s; the constant drops out.
    double Derivative(double s) const;
};

// Reads one expression. Throws EQelFXError for a malformed number, "Invalid sine argument
// \"...\"", "Open bracket not found in expression \"...\"" and "Mismatching brackets in
// expression \"...\"".
TQelPeriodicDim ParsePeriodicExpression(std::string_view text);
