// Reading path scripts, shaping the Bezier handles at the points, and evaluating a path by
// time.
#include "effects/QelPathScript.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>

namespace {

// Handle arithmetic runs in double; only the stored control points are single precision.
struct TV3 {
    double X = 0, Y = 0, Z = 0;
};

TV3 operator+(TV3 a, TV3 b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
TV3 operator-(TV3 a, TV3 b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
TV3 operator*(TV3 a, double k) { return {a.X * k, a.Y * k, a.Z * k}; }
double Dot(TV3 a, TV3 b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
double Length(TV3 a) { return std::sqrt(Dot(a, a)); }
TV3 Cross(TV3 a, TV3 b) { return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X}; }
// The zero vector stays zero, so degenerate points never turn into NaN handles.
TV3 Unit(TV3 a)
{
    double len = Length(a);
    return len > 0 && std::isfinite(len) ? a * (1.0 / len) : TV3 {};
}

// Only the path's own dimensions take part.
TV3 ToV3(const TQelVector& v, int dim) { return {v.X, dim > 1 ? v.Y : 0.0, dim > 2 ? v.Z : 0.0}; }
TQelVector ToVector(TV3 v) { return {ClampToFloat(v.X), ClampToFloat(v.Y), ClampToFloat(v.Z)}; }

// Turns a handle by angle (radians): about axis in 3-D, in the plane in 2-D; in 1-D only
// its projection is left.
TV3 Turn(TV3 v, double angle, int dim, TV3 axis)
{
    if (angle == 0)
        return v;
    double c = std::cos(angle), s = std::sin(angle);
    if (dim <= 1)
        return {v.X * c, 0, 0};
    if (dim == 2)
        return {v.X * c - v.Y * s, v.X * s + v.Y * c, 0};
    return v * c + Cross(axis, v) * s + axis * (Dot(axis, v) * (1 - c));
}

double ToRadians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// Arc length by halving at t = 1/2 until the control polygon and the chord agree. The
// depth limit and the relative tolerance keep huge or degenerate curves from recursing
// without end.
double BezierLength(TV3 p0, TV3 p1, TV3 p2, TV3 p3, int depth)
{
    constexpr int kMaxDepth = 20;
    constexpr double kTolerance = 1e-6;
    constexpr double kRelativeTolerance = 1e-9;
    double polygon = Length(p1 - p0) + Length(p2 - p1) + Length(p3 - p2);
    if (!std::isfinite(polygon))
        return 0;
    double chord = Length(p3 - p0);
    if (polygon - chord <= std::max(kTolerance, polygon * kRelativeTolerance) || depth >= kMaxDepth)
        return polygon;
    TV3 p01 = (p0 + p1) * 0.5, p12 = (p1 + p2) * 0.5, p23 = (p2 + p3) * 0.5;
    TV3 p012 = (p01 + p12) * 0.5, p123 = (p12 + p23) * 0.5;
    TV3 mid = (p012 + p123) * 0.5;
    return BezierLength(p0, p01, p012, mid, depth + 1) + BezierLength(mid, p123, p23, p3, depth + 1);
}

bool SamePoint(const TQelVector& a, const TQelVector& b)
{
    constexpr float kSame = 1e-6f;
    return std::fabs(a.X - b.X) <= kSame && std::fabs(a.Y - b.Y) <= kSame && std::fabs(a.Z - b.Z) <= kSame;
}

std::string SpacesForBreaks(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return s;
}

// Splits at the first space; false when there is none.
bool SplitWord(std::string_view text, std::string_view& word, std::string_view& rest)
{
    size_t space = text.find(' ');
    if (space == std::string_view::npos)
        return false;
    word = text.substr(0, space);
    rest = TrimView(text.substr(space + 1));
    return true;
}

// A timing written with a leading "+" is a speed in units per ms, kept negated.
float ReadTiming(std::string_view text)
{
    std::string_view t = TrimView(text);
    double v = FXStrToFloat(t);
    return ClampToFloat(!t.empty() && t[0] == '+' ? -v : v);
}

// The text between open and the next close (or the end); false without open.
bool Enclosed(std::string_view text, char open, char close, std::string_view& inside)
{
    size_t from = text.find(open);
    if (from == std::string_view::npos)
        return false;
    size_t to = text.find(close, from + 1);
    inside = text.substr(from + 1, to == std::string_view::npos ? std::string_view::npos : to - from - 1);
    return true;
}

// "a" sets both values, "a,b" each one; an empty side keeps its value.
void ReadPair(std::string_view inside, float& first, float& second)
{
    size_t comma = inside.find(',');
    if (comma == std::string_view::npos) {
        if (!TrimView(inside).empty())
            first = second = ClampToFloat(FXStrToFloat(inside));
        return;
    }
    std::string_view a = TrimView(inside.substr(0, comma)), b = TrimView(inside.substr(comma + 1));
    if (!a.empty())
        first = ClampToFloat(FXStrToFloat(a));
    if (!b.empty())
        second = ClampToFloat(FXStrToFloat(b));
}

struct TParsedPoint {
    TQelVector Position;
    float Timing = 1;
    float FirstAngle = 0, SecondAngle = 0;
    float FirstCorrection = 1, SecondCorrection = 1;
    bool Bezier = true;
};

// The reading state of one script: the settings new points take, the points so far and
// the ending.
struct TScriptReader {
    TParsedPoint Current;  // settings for new points (its position is unused)
    std::vector<TParsedPoint> Points;
    TQelPathEnding Ending = TQelPathEnding::Stop;
    TQelVector EndingValue;

    void Set(std::string_view rest);
    void Path(std::string_view rest);
    void End(std::string_view rest);
    void Point(std::string_view text);
};

void TScriptReader::Set(std::string_view rest)
{
    if (EqualsNoCase(rest, "bezier")) {
        Current.Bezier = true;
        return;
    }
    if (EqualsNoCase(rest, "linear")) {
        Current.Bezier = false;
        return;
    }
    std::string_view name, number;
    if (!SplitWord(rest, name, number))
        return;
    struct TSetting {
        const char* Name;
        float TParsedPoint::*Field;
    };
    static const TSetting kSettings[] = {
        {"timing", &TParsedPoint::Timing},
        {"firstangle", &TParsedPoint::FirstAngle},
        {"secondangle", &TParsedPoint::SecondAngle},
        {"poscorrectionfirst", &TParsedPoint::FirstCorrection},
        {"poscorrectionsecond", &TParsedPoint::SecondCorrection},
    };
    for (const TSetting& s : kSettings)
        if (EqualsNoCase(name, s.Name)) {
            Current.*s.Field = s.Field == &TParsedPoint::Timing ? ReadTiming(number) : ClampToFloat(FXStrToFloat(number));
            return;
        }
}

void TScriptReader::Point(std::string_view text)
{
    TParsedPoint p = Current;
    p.Position = {};
    std::string_view coords;
    Enclosed(text, '(', ')', coords);
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        size_t comma = coords.find(',', start);
        p.Position[i] = ClampToFloat(
            FXStrToFloat(coords.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    std::string_view inside;
    if (Enclosed(text, '[', ']', inside))
        ReadPair(inside, p.FirstAngle, p.SecondAngle);
    if (Enclosed(text, '{', '}', inside))
        ReadPair(inside, p.FirstCorrection, p.SecondCorrection);
    size_t quote = text.find('"');
    if (quote != std::string_view::npos) {
        size_t closing = text.find('"', quote + 1);
        if (closing != std::string_view::npos)
            p.Timing = ReadTiming(text.substr(quote + 1, closing - quote - 1));
    }
    if (text.find("..") != std::string_view::npos)
        p.Bezier = true;
    else if (text.find("--") != std::string_view::npos)
        p.Bezier = false;
    Points.push_back(p);
}

void TScriptReader::Path(std::string_view rest)
{
    size_t open = rest.find('(');
    while (open != std::string_view::npos) {
        size_t next = rest.find('(', open + 1);
        Point(rest.substr(open, next == std::string_view::npos ? std::string_view::npos : next - open));
        open = next;
    }
}

void TScriptReader::End(std::string_view rest)
{
    if (EqualsNoCase(rest, "loop")) {
        Ending = TQelPathEnding::Loop;
        return;
    }
    if (EqualsNoCase(rest, "reverse")) {
        Ending = TQelPathEnding::Reverse;
        return;
    }
    std::string_view word, vector;
    if (!SplitWord(rest, word, vector))
        return;
    EndingValue = StrToVect(vector);
    if (EqualsNoCase(word, "reversestop"))
        Ending = TQelPathEnding::ReverseStop;
    else if (EqualsNoCase(word, "stop"))
        Ending = TQelPathEnding::Stop;
}

}  // namespace

// ---------------------------------------------------------------------------------------

void TQelPath::SetDim(int dim)
{
    dim_ = std::clamp(dim, 1, 3);
    for (TQelPathPiece& piece : pieces_)
        RecomputeLength(piece);
}

void TQelPath::Clear()
{
    pieces_.clear();
    ends_.clear();
    totalDuration_ = 0;
    distinctPoints_ = 0;
    Ending = TQelPathEnding::Stop;
    EndingValue = {};
}

void TQelPath::SetScript(std::string_view script)
{
    TScriptReader reader;
    struct TStatement {
        const char* Keyword;
        void (TScriptReader::*Read)(std::string_view);
    };
    static const TStatement kStatements[] = {
        {"set", &TScriptReader::Set},
        {"path", &TScriptReader::Path},
        {"ending", &TScriptReader::End},
    };

    std::string text = SpacesForBreaks(script);
    size_t start = 0;
    // Only statements closed by ";" count: whatever follows the last one is ignored.
    for (size_t semi = text.find(';'); semi != std::string::npos; semi = text.find(';', start)) {
        std::string_view part = TrimView(std::string_view(text).substr(start, semi - start));
        start = semi + 1;
        std::string_view keyword, rest;
        if (!SplitWord(part, keyword, rest))
            continue;
        for (const TStatement& s : kStatements)
            if (EqualsNoCase(keyword, s.Keyword)) {
                (reader.*s.Read)(rest);
                break;
            }
    }

    Clear();
    Ending = reader.Ending;
    EndingValue = reader.EndingValue;
    const std::vector<TParsedPoint>& points = reader.Points;
    for (size_t i = 0; i < points.size(); ++i) {
        bool seen = false;
        for (size_t j = 0; j < i && !seen; ++j)
            seen = SamePoint(points[i].Position, points[j].Position);
        if (!seen)
            ++distinctPoints_;
    }
    if (points.size() < 2)
        return;

    for (size_t i = 0; i + 1 < points.size(); ++i) {
        TQelPathPiece piece;
        piece.Bezier = points[i].Bezier;
        piece.P[0] = points[i].Position;
        piece.P[3] = points[i + 1].Position;
        TQelVector chord = piece.P[3] - piece.P[0];
        piece.P[1] = piece.P[0] + chord * (1.0f / 3.0f);
        piece.P[2] = piece.P[0] + chord * (2.0f / 3.0f);
        RecomputeLength(piece);
        pieces_.push_back(piece);
    }

    // The second point first and the first point last, so the end rule at the first point
    // sees the handle its neighbour has already shaped.
    auto shapeOf = [&](size_t i) {
        return TShape {points[i].FirstAngle, points[i].SecondAngle, points[i].FirstCorrection,
            points[i].SecondCorrection};
    };
    for (size_t i = 1; i < points.size(); ++i)
        ShapePoint(static_cast<int>(i) + 1, shapeOf(i));
    ShapePoint(1, shapeOf(0));

    for (size_t i = 0; i < pieces_.size(); ++i) {
        float timing = points[i].Timing;
        if (timing >= 0) {
            pieces_[i].Duration = ToDurationMs(static_cast<double>(timing) * 1000.0);
        } else {
            constexpr double kSlowestSpeed = 1e-6;  // units per ms; slower means no time at all
            double speed = -static_cast<double>(timing);
            pieces_[i].Duration = speed <= kSlowestSpeed ? 0 : ToDurationMs(pieces_[i].Length / speed);
        }
    }
    RebuildTimes();
}

void TQelPath::RebuildTimes()
{
    ends_.clear();
    uint64_t sum = 0;
    for (const TQelPathPiece& piece : pieces_) {
        sum += piece.Duration;
        ends_.push_back(sum);
    }
    totalDuration_ = static_cast<uint32_t>(std::min<uint64_t>(sum, std::numeric_limits<uint32_t>::max()));
}

double TQelPath::TotalLength() const
{
    double sum = 0;
    for (const TQelPathPiece& piece : pieces_)
        sum += piece.Length;
    return sum;
}

bool TQelPath::IsClosed() const
{
    return !pieces_.empty() && SamePoint(pieces_.back().P[3], pieces_.front().P[0]);
}

void TQelPath::RecomputeLength(TQelPathPiece& piece) const
{
    TV3 p0 = ToV3(piece.P[0], dim_), p3 = ToV3(piece.P[3], dim_);
    double length = piece.Bezier ? BezierLength(p0, ToV3(piece.P[1], dim_), ToV3(piece.P[2], dim_), p3, 0)
                                 : Length(p3 - p0);
    piece.Length = ClampToFloat(length);
}

void TQelPath::ShapePoint(int n, const TShape& shape)
{
    const int pieceCount = static_cast<int>(pieces_.size());
    if (pieceCount == 0 || n < 1 || n > pieceCount + 1)
        return;
    const bool closed = IsClosed();
    if (closed && n == pieceCount + 1)
        n = 1;
    int in = n >= 2 ? n - 2 : (closed ? pieceCount - 1 : -1);  // the piece ending at the point
    int out = n <= pieceCount ? n - 1 : -1;                     // the piece starting there
    const double firstAngle = ToRadians(shape.FirstAngle), secondAngle = ToRadians(shape.SecondAngle);

    if (in >= 0 && out >= 0) {
        TQelPathPiece& e = pieces_[static_cast<size_t>(in)];
        TQelPathPiece& b = pieces_[static_cast<size_t>(out)];
        if (!e.Bezier && !b.Bezier)
            return;
        TV3 point = ToV3(b.P[0], dim_);
        TV3 c = ToV3(e.P[0], dim_) - point, d = ToV3(b.P[3], dim_) - point;
        double lc = Length(c), ld = Length(d);
        constexpr double kDegenerate = 1e-9;
        if (lc < kDegenerate || ld < kDegenerate || !std::isfinite(lc) || !std::isfinite(ld))
            return;  // a point repeated: no direction to shape along
        TV3 axis = Unit(Cross(c, d));
        TV3 inDir, outDir;
        if (e.Bezier && b.Bezier) {
            TV3 k = Unit(ToV3(b.P[3], dim_) - ToV3(e.P[0], dim_));
            if (lc >= ld) {
                TV3 t = Unit(Unit(d) + (k - Unit(d)) * (ld / lc));
                outDir = t;
                inDir = t * -1.0;
            } else {
                TV3 t = Unit(Unit(c) + (k * -1.0 - Unit(c)) * (lc / ld));
                inDir = t;
                outDir = t * -1.0;
            }
        } else if (e.Bezier) {
            inDir = Unit(d) * -1.0;
        } else {
            outDir = Unit(c) * -1.0;
        }
        constexpr double kHandleShare = 0.4;  // of the distance to the neighbouring point
        if (e.Bezier) {
            TV3 handle = Turn(inDir * (shape.FirstCorrection * lc * kHandleShare), firstAngle, dim_, axis);
            e.P[2] = ToVector(point + handle);
            RecomputeLength(e);
        }
        if (b.Bezier) {
            TV3 handle = Turn(outDir * (shape.SecondCorrection * ld * kHandleShare), secondAngle, dim_, axis);
            b.P[1] = ToVector(point + handle);
            RecomputeLength(b);
        }
        return;
    }

    // An end of an open path: mirror the neighbour's handle across the chord direction.
    const bool atLast = in >= 0;
    TQelPathPiece& piece = pieces_[static_cast<size_t>(atLast ? in : out)];
    if (!piece.Bezier)
        return;
    TV3 p0 = ToV3(piece.P[0], dim_), p1 = ToV3(piece.P[1], dim_), p2 = ToV3(piece.P[2], dim_),
        p3 = ToV3(piece.P[3], dim_);
    TV3 chord = atLast ? p3 - p0 : p0 - p3;
    TV3 h = atLast ? p1 - p0 : p2 - p3;
    TV3 u = Unit(chord);
    TV3 mirrored = h - u * (2 * Dot(h, u));
    double correction = atLast ? shape.FirstCorrection : shape.SecondCorrection;
    TV3 handle = Turn(mirrored * correction, atLast ? firstAngle : secondAngle, dim_, Unit(Cross(h, chord)));
    if (atLast)
        piece.P[2] = ToVector(p3 + handle);
    else
        piece.P[1] = ToVector(p0 + handle);
    RecomputeLength(piece);
}

TQelVector TQelPath::Point(int n) const
{
    const int pieceCount = static_cast<int>(pieces_.size());
    if (n >= 1 && n <= pieceCount)
        return pieces_[static_cast<size_t>(n - 1)].P[0];
    if (n == pieceCount + 1 && pieceCount > 0)
        return pieces_.back().P[3];
    return {};
}

bool TQelPath::SetPoint(int n, const TQelVector& position)
{
    const int pieceCount = static_cast<int>(pieces_.size());
    if (pieceCount == 0 || n < 1 || n > pieceCount + 1)
        return false;
    const bool closed = IsClosed();
    if (closed && n == pieceCount + 1)
        n = 1;
    if (n <= pieceCount)
        pieces_[static_cast<size_t>(n - 1)].P[0] = position;
    if (n >= 2)
        pieces_[static_cast<size_t>(n - 2)].P[3] = position;
    if (closed && n == 1)
        pieces_.back().P[3] = position;
    ShapePoint(n, TShape {});
    // Straight neighbours changed length too; shaping only measured the Bezier ones.
    if (n <= pieceCount)
        RecomputeLength(pieces_[static_cast<size_t>(n - 1)]);
    if (n >= 2)
        RecomputeLength(pieces_[static_cast<size_t>(n - 2)]);
    if (closed && n == 1)
        RecomputeLength(pieces_.back());
    return true;
}

TQelVector TQelPath::Evaluate(uint32_t t, bool derivative) const
{
    const uint64_t total = totalDuration_;
    uint64_t at = t;
    if (at > total) {
        switch (Ending) {
        case TQelPathEnding::Stop:
            return derivative ? TQelVector {} : EndingValue;
        case TQelPathEnding::Loop:
            at = total == 0 ? 0 : at % total;
            break;
        case TQelPathEnding::ReverseStop:
            if (at > 2 * total)
                return derivative ? TQelVector {} : EndingValue;
            at = 2 * total - at;
            break;
        case TQelPathEnding::Reverse:
            at = total == 0 ? 0 : ((at / total) % 2 == 0 ? at % total : total - at % total);
            break;
        }
    }
    auto found = std::lower_bound(ends_.begin(), ends_.end(), at);
    if (found == ends_.end())
        return {};
    size_t i = static_cast<size_t>(found - ends_.begin());
    const TQelPathPiece& piece = pieces_[i];
    uint64_t start = i == 0 ? 0 : ends_[i - 1];
    double f = piece.Duration == 0 ? 0.0 : static_cast<double>(at - start) / piece.Duration;

    TQelVector out;
    for (int k = 0; k < 3; ++k) {
        double p0 = piece.P[0][k], p1 = piece.P[1][k], p2 = piece.P[2][k], p3 = piece.P[3][k];
        double v;
        if (!piece.Bezier) {
            v = derivative ? p3 - p0 : p0 + (p3 - p0) * f;
        } else if (derivative) {
            double g = 1 - f;
            v = 3 * g * g * (p1 - p0) + 6 * g * f * (p2 - p1) + 3 * f * f * (p3 - p2);
        } else {
            double g = 1 - f;
            v = g * g * g * p0 + 3 * g * g * f * p1 + 3 * g * f * f * p2 + f * f * f * p3;
        }
        out[k] = ClampToFloat(v);
    }
    return out;
}
