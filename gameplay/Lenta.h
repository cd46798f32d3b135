// One conveyor belt: its path (a path script made into a morph), its length in path units
// and in pixels, and its speed.
#pragma once

#include "effects/QelFXBase.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct TLentaPoint {
    double X = 0;
    double Y = 0;
};

struct TLenta {
    TLenta();
    ~TLenta();
    TLenta(TLenta&&) noexcept;
    TLenta& operator=(TLenta&&) noexcept;

    int32_t Speed = 0;        // pixels per second; the first belt takes the episode's SpeedLenta
    double SpeedKoeff = 2.0;  // follows the belt's fill each frame
    double SlowKoeff = 1.0;
    std::unique_ptr<TQelMorph> Path;
    std::string PathScript;     // as written in the level file
    int32_t PathDuration = 0;   // ms, rounded
    // The belt's length in path units (see PathUnits.h): every position on the belt is
    // compared with this. Equal to PathDuration; 0 for a belt without a usable path.
    int32_t PathLength = 0;
    int32_t PathPixels = 0;  // the track's length in pixels, rounded
    int32_t BornPeriod = 0;

    // Makes the path from a script. A script without a usable path (fewer than two
    // points, zero duration or zero length) leaves a belt that does nothing. Throws
    // EQelFXError for a malformed number.
    void SetPathScript(std::string_view script);

    // Whether pieces can ride this belt.
    bool Active() const { return PathLength > 0 && PathPixels > 0; }
    // Path units a piece moves for one pixel of track.
    double UnitsPerPixel() const { return Active() ? static_cast<double>(PathLength) / PathPixels : 0.0; }
    // The track's point at a position, the position held within the belt.
    TLentaPoint PointAt(int32_t position) const;

private:
    TQelPiecewiseFunc* function_ = nullptr;  // the path function inside Path
};
