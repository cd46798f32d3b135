// Periodic expressions: every part of the grammar, its errors, and the function's values.
#include "effects/QelFXBase.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

constexpr float kHalfPi = static_cast<float>(std::numbers::pi / 2);

struct ExprCase {
    const char* text;
    TQelPeriodicDim expected;
};

TQelPeriodicDim Dim(float g1, float a1, float b1, float c = 0)
{
    TQelPeriodicDim d;
    d.G1 = g1;
    d.A1 = a1;
    d.B1 = b1;
    d.C = c;
    return d;
}

TQelPeriodicDim Amp(TQelPeriodicDim d, float a2, float b2, float c)
{
    d.AmplitudeModulation = true;
    d.A2 = a2;
    d.B2 = b2;
    d.C = c;
    return d;
}

TQelPeriodicDim Phase(TQelPeriodicDim d, float g3, float a3, float b3)
{
    d.PhaseModulation = true;
    d.G3 = g3;
    d.A3 = a3;
    d.B3 = b3;
    return d;
}

class PeriodicReading : public ::testing::TestWithParam<ExprCase> {};

TEST_P(PeriodicReading, GivesTheNineNumbers)
{
    const ExprCase& c = GetParam();
    TQelPeriodicDim d = ParsePeriodicExpression(c.text);
    const TQelPeriodicDim& e = c.expected;
    EXPECT_EQ(d.AmplitudeModulation, e.AmplitudeModulation) << c.text;
    EXPECT_EQ(d.PhaseModulation, e.PhaseModulation) << c.text;
    const float TQelPeriodicDim::*fields[] = {&TQelPeriodicDim::G1, &TQelPeriodicDim::A1, &TQelPeriodicDim::B1,
        &TQelPeriodicDim::A2, &TQelPeriodicDim::B2, &TQelPeriodicDim::G3, &TQelPeriodicDim::A3, &TQelPeriodicDim::B3,
        &TQelPeriodicDim::C};
    const char* names[] = {"g1", "a1", "b1", "a2", "b2", "g3", "a3", "b3", "c"};
    for (size_t i = 0; i < 9; ++i)
        EXPECT_NEAR(d.*fields[i], e.*fields[i], 1e-6) << c.text << " " << names[i];
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, PeriodicReading,
    ::testing::Values(ExprCase{"2sin(3t+1)", Dim(2, 3, 1)},
        ExprCase{"cos(t)", Dim(1, 1, kHalfPi)},
        ExprCase{"sin(2*t)*sin(0.5t)+3", Amp(Dim(1, 2, 0), 0.5f, 0, 3)},
        ExprCase{"5", Dim(0, 0, 0, 5)},
        ExprCase{"sin(2t)", Dim(1, 2, 0)},
        ExprCase{"sin(3)", Dim(1, 0, 3)},
        ExprCase{"-sin(t-1)", Dim(-1, 1, -1)},
        ExprCase{"sin(1+2t)", Dim(1, 2, 1)},
        ExprCase{"sin(-t)", Dim(1, -1, 0)},
        ExprCase{"2sin(t)+3", Dim(2, 1, 0)},  // a constant counts only after a second wave
        ExprCase{"sin(t)cos(2t+1)", Amp(Dim(1, 1, 0), 2, 1 + kHalfPi, 0)},
        ExprCase{"sin(0.5sin(2t+1)+t)", Phase(Dim(1, 1, 0), 0.5f, 2, 1)},
        ExprCase{"3 * cos ( 4 * t + 0.5 )", Dim(3, 4, 0.5f + kHalfPi)},
        ExprCase{"SIN(T)", Dim(1, 1, 0)},
        ExprCase{"sin(cos(t))", Phase(Dim(1, 0, 0), 1, 1, kHalfPi)},
        ExprCase{"sin(-3)", Dim(1, 0, -3)},
        ExprCase{"sin(1+2)", Dim(1, 0, 3)}));

TEST(PeriodicReading, ErrorsNameTheProblem)
{
    struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"sin(2t+3t)", "Invalid sine argument \"2t+3t\""},
        {"sin(t", "Mismatching brackets in expression \"sin(t\""},
        {"sin)t(", "Open bracket not found in expression \"sin)t(\""},
        {"sint", "Open bracket not found in expression \"sint\""},
    };
    for (const auto& c : cases) {
        try {
            ParsePeriodicExpression(c.text);
            ADD_FAILURE() << c.text << " was accepted";
        } catch (const EQelFXError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
    EXPECT_THROW(ParsePeriodicExpression("x"), EQelFXError);
    EXPECT_THROW(ParsePeriodicExpression("qsin(t)"), EQelFXError);
}

TEST(PeriodicFunction, DefaultsAreSineOfSecondsInTheFirstTwoDimensions)
{
    TQelPeriodicFunc f;
    f.SetDim(3);
    EXPECT_NEAR(f.Evaluate(0, false).X, 0, 1e-6);
    EXPECT_NEAR(f.Evaluate(1000, false).X, 0.841471, 1e-5);
    EXPECT_NEAR(f.Evaluate(1000, false).Y, 0.841471, 1e-5);
    EXPECT_EQ(f.Evaluate(1000, false).Z, 0);
    EXPECT_NEAR(f.Evaluate(1000, true).X, std::cos(1.0), 1e-5);
}

TEST(PeriodicFunction, DerivativeMatchesTheSlope)
{
    TQelPeriodicFunc f;
    f.SetDim(1);
    f.SetExpression(0, "2sin(0.7sin(3t+1)+2t+0.5)sin(1.5t-0.2)+4");
    for (uint32_t t : {0u, 250u, 1000u, 4321u}) {
        double slope = (f.Evaluate(t + 1, false).X - f.Evaluate(t - (t ? 1 : 0), false).X) / ((t ? 2 : 1) * 0.001);
        EXPECT_NEAR(f.Evaluate(t, true).X, slope, 0.05) << t;
    }
}

TEST(PeriodicFunction, ParametersByNameSetEachDimension)
{
    TQelPeriodicFunc f;
    EXPECT_EQ(f.GetParamIdx("Weight"), 0);
    EXPECT_EQ(f.GetParamIdx("g1"), 1);
    EXPECT_EQ(f.GetParamIdx("C"), 9);
    f.SetParamByName("c", TQelVector {5, 6, 7}, 2);
    EXPECT_FLOAT_EQ(f.Dims[0].C, 5);
    EXPECT_FLOAT_EQ(f.Dims[1].C, 6);
    EXPECT_FLOAT_EQ(f.Dims[2].C, 0);  // beyond the function's two dimensions
}

}  // namespace
