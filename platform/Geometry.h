#pragma once
// Integer rectangles and points of the drawing layer.
#include <cmath>
#include <cstdint>

namespace tal {

struct TRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TRect&) const = default;
};

struct TPoint {
    std::int32_t X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};

// The direction of P seen from C in degrees, counter-clockwise with y up on
// the page (report space grows downwards), in (0, 360]: where the arcs,
// chords and pies of both engines start and end.
inline double ArcAngle(double CX, double CY, double PX, double PY) {
    if (PX > CX) {
        double angle = 360.0 - std::atan((PY - CY) / (PX - CX)) * 180.0 / M_PI;
        if (angle > 360.0) angle -= 360.0;
        return angle;
    }
    if (PX < CX) return 180.0 - std::atan((PY - CY) / (PX - CX)) * 180.0 / M_PI;
    return PY < CY ? 90.0 : 270.0;
}

}  // namespace tal
