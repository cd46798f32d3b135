// Motion paths: a chain of straight and cubic Bezier pieces read from a path script such
// as "Set Linear; Set Timing +0.04; Path (400,300) (500,120); Ending Stop (500,120);",
// evaluated by time in milliseconds.
#pragma once

#include "effects/QelFXObjects.h"

#include <cstdint>
#include <string_view>
#include <vector>

// What a path gives after its last piece.
enum class TQelPathEnding : uint8_t {
    Stop,         // the ending value
    Loop,         // from the start again
    ReverseStop,  // back to the start, then the ending value
    Reverse,      // back and forth for ever
};

struct TQelPathPiece {
    uint32_t Duration = 1000;  // ms
    float Length = 0;
    bool Bezier = true;
    // Start point, the two handles, end point; straight pieces keep their handles on the
    // chord at one and two thirds.
    TQelVector P[4];
};

class TQelPath {
public:
    explicit TQelPath(int dim = 2) { SetDim(dim); }

    // 1..3 components take part in lengths and handle shaping.
    void SetDim(int dim);
    int Dim() const { return dim_; }

    // Reads a path script; whatever the path held before is replaced. Unknown words are
    // skipped; a malformed number throws EQelFXError.
    void SetScript(std::string_view script);
    void Clear();

    // The position at time t (ms), or with derivative the direction of motion (the
    // derivative with respect to the piece's own fraction). An empty path gives the zero
    // vector before its end and the ending rule after it.
    TQelVector Evaluate(uint32_t t, bool derivative = false) const;

    uint32_t TotalDuration() const { return totalDuration_; }
    double TotalLength() const;
    const std::vector<TQelPathPiece>& Pieces() const { return pieces_; }
    // Points along the pieces: point 1 starts piece 1, point k starts piece k, and the
    // point after the last piece ends it; 0 for an empty path.
    int PointCount() const { return pieces_.empty() ? 0 : static_cast<int>(pieces_.size()) + 1; }
    // Points equal within 1e-6 in every component count once.
    int DistinctPoints() const { return distinctPoints_; }
    // The last point equals the first.
    bool IsClosed() const;
    TQelVector Point(int n) const;
    // Moves point n (1-based) and shapes the handles at it again with angles 0 and
    // corrections 1; durations stay. False when there is no such point.
    bool SetPoint(int n, const TQelVector& position);

    TQelPathEnding Ending = TQelPathEnding::Stop;
    TQelVector EndingValue;

private:
    struct TShape {
        float FirstAngle = 0, SecondAngle = 0;  // degrees
        float FirstCorrection = 1, SecondCorrection = 1;
    };

    void ShapePoint(int n, const TShape& shape);
    void RecomputeLength(TQelPathPiece& piece) const;
    void RebuildTimes();

    int dim_ = 2;
    std::vector<TQelPathPiece> pieces_;
    std::vector<uint64_t> ends_;  // cumulative end time of each piece
    uint32_t totalDuration_ = 0;
    int distinctPoints_ = 0;
};
