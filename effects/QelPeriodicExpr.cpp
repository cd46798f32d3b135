// Reading periodic expressions and evaluating one periodic dimension.
#include "effects/QelPeriodicExpr.h"

#include "effects/QelFXObjects.h"

#include <cmath>
#include <numbers>
#include <string>

double TQelPeriodicDim::Value(double s) const
{
    double phase = A1 * s;
    if (PhaseModulation)
        phase += G3 * std::sin(A3 * s + B3);
    double v = G1 * std::sin(phase + B1);
    if (AmplitudeModulation)
        v *= std::sin(A2 * s + B2);
    return v + C;
}

double TQelPeriodicDim::Derivative(double s) const
{
    double phase = A1 * s;
    double phaseRate = A1;
    if (PhaseModulation) {
        phase += G3 * std::sin(A3 * s + B3);
        phaseRate += G3 * A3 * std::cos(A3 * s + B3);
    }
    double d = G1 * std::cos(phase + B1) * phaseRate;
    if (AmplitudeModulation)
        d = d * std::sin(A2 * s + B2) + G1 * std::sin(phase + B1) * A2 * std::cos(A2 * s + B2);
    return d;
}

namespace {

constexpr float kQuarterTurn = static_cast<float>(std::numbers::pi / 2);

std::string Without(std::string_view text, std::string_view drop)
{
    std::string out;
    for (char c : text)
        if (drop.find(c) == std::string_view::npos)
            out += c;
    return out;
}

float Number(std::string_view text) { return ClampToFloat(FXStrToFloat(text)); }

// A factor in front of a wave or of t: empty is 1, a lone sign is +1 or -1.
float Factor(std::string_view text, std::string_view drop)
{
    std::string s = Without(text, drop);
    if (s.empty() || s == "+")
        return 1;
    if (s == "-")
        return -1;
    return Number(s);
}

bool HasT(std::string_view s) { return s.find('t') != std::string_view::npos; }

// "a t + b" in any order: the coefficient of t and the constant.
void Linear(std::string_view text, float& a, float& b)
{
    a = 0;
    b = 0;
    if (text.empty())
        return;
    size_t sign = text.find_last_of("+-");
    if (sign == std::string_view::npos) {
        if (HasT(text))
            a = Factor(text, "*t");
        else
            b = Number(text);
        return;
    }
    std::string_view left = text.substr(0, sign), right = text.substr(sign);
    bool leftT = HasT(left), rightT = HasT(right);
    if (leftT && rightT)
        throw EQelFXError("Invalid sine argument \"" + std::string(text) + "\"");
    if (rightT) {
        a = Factor(right, "*t");
        if (!left.empty())
            b = Number(left);
    } else if (leftT) {
        a = Factor(left, "*t");
        b = Number(right);
    } else {
        // No t at all: a constant phase, however it is split.
        b = (left.empty() ? 0 : Number(left)) + Number(right);
    }
}

// The first "sin", or when there is none the first "cos"; npos when neither.
size_t FindWave(std::string_view text, bool& isCos)
{
    size_t at = text.find("sin");
    isCos = at == std::string_view::npos;
    if (isCos)
        at = text.find("cos");
    return at;
}

struct TBracket {
    size_t Open, Close;  // positions of "(" and its matching ")"
};

TBracket Bracketed(std::string_view text, size_t from, const std::string& expression)
{
    size_t open = text.find('(', from);
    if (open == std::string_view::npos)
        throw EQelFXError("Open bracket not found in expression \"" + expression + "\"");
    int depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == '(')
            ++depth;
        else if (text[i] == ')' && --depth == 0)
            return {open, i};
    }
    throw EQelFXError("Mismatching brackets in expression \"" + expression + "\"");
}

}  // namespace

TQelPeriodicDim ParsePeriodicExpression(std::string_view text)
{
    std::string e;
    for (char c : TrimView(text))
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            e += c;
    e = AsciiLower(e);

    TQelPeriodicDim d;
    int depth = 0;
    for (char c : e) {
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (depth < 0)
            throw EQelFXError("Open bracket not found in expression \"" + e + "\"");
    }
    if (depth != 0)
        throw EQelFXError("Mismatching brackets in expression \"" + e + "\"");

    bool mainCos = false;
    size_t mainAt = e.find("sin");
    size_t cosAt = e.find("cos");
    if (mainAt == std::string::npos && cosAt == std::string::npos) {
        d.C = Number(e);
        return d;
    }
    if (cosAt != std::string::npos && (mainAt == std::string::npos || cosAt < mainAt)) {
        mainAt = cosAt;
        mainCos = true;
    }
    d.G1 = Factor(std::string_view(e).substr(0, mainAt), "*");
    TBracket main = Bracketed(e, mainAt + 3, e);
    std::string_view argument = std::string_view(e).substr(main.Open + 1, main.Close - main.Open - 1);

    bool nestedCos = false;
    size_t nestedAt = FindWave(argument, nestedCos);
    if (nestedAt != std::string_view::npos) {
        d.PhaseModulation = true;
        d.G3 = Factor(argument.substr(0, nestedAt), "*");
        TBracket nested = Bracketed(argument, nestedAt + 3, e);
        Linear(argument.substr(nested.Open + 1, nested.Close - nested.Open - 1), d.A3, d.B3);
        if (nestedCos)
            d.B3 += kQuarterTurn;
        Linear(argument.substr(nested.Close + 1), d.A1, d.B1);
    } else {
        Linear(argument, d.A1, d.B1);
    }
    if (mainCos)
        d.B1 += kQuarterTurn;

    // A constant after the main wave counts only after a second, amplitude wave.
    std::string_view after = std::string_view(e).substr(main.Close + 1);
    bool ampCos = false;
    size_t ampAt = FindWave(after, ampCos);
    if (ampAt != std::string_view::npos) {
        d.AmplitudeModulation = true;
        TBracket amp = Bracketed(after, ampAt + 3, e);
        Linear(after.substr(amp.Open + 1, amp.Close - amp.Open - 1), d.A2, d.B2);
        if (ampCos)
            d.B2 += kQuarterTurn;
        std::string_view rest = after.substr(amp.Close + 1);
        if (!rest.empty())
            d.C = Number(rest);
    }
    return d;
}
