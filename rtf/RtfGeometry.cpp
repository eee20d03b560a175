#include "rtf/RtfGeometry.h"

#include <algorithm>
#include <cmath>

namespace tal::rtf {

namespace {

constexpr double DegreesPerSegment = 3.0;
constexpr int SegmentsPerCorner = 8;

// The angle in degrees, counter-clockwise from the positive x axis on a page
// whose y grows downwards, of the ray from the centre through (PX, PY).
double RayAngle(double CX, double CY, double PX, double PY) {
    if (PX > CX) {
        double angle = 360.0 - std::atan((PY - CY) / (PX - CX)) * 180.0 / M_PI;
        if (angle > 360.0) angle -= 360.0;
        return angle;
    }
    if (PX < CX) return 180.0 - std::atan((PY - CY) / (PX - CX)) * 180.0 / M_PI;
    return PY < CY ? 90.0 : 270.0;
}

}  // namespace

std::vector<TPathPoint> ArcPath(TArcKind kind, double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                double X4, double Y4) {
    const double cx = (X1 + X2) / 2, cy = (Y1 + Y2) / 2;
    const double rx = (X2 - X1) / 2, ry = (Y2 - Y1) / 2;
    // The rays cut the ellipse where they cut the circle it is squeezed from.
    const double ratio = (rx != 0 && ry != 0) ? std::fabs(rx) / std::fabs(ry) : 1.0;
    const double a0 = RayAngle(cx, cy, X3, cy + (Y3 - cy) * ratio);
    const double a1 = RayAngle(cx, cy, X4, cy + (Y4 - cy) * ratio);
    if (!std::isfinite(a0) || !std::isfinite(a1) || a0 == a1) return {};
    double sweep = a1 - a0;
    if (sweep < 0) sweep += 360.0;
    const int steps = std::max(2, static_cast<int>(std::ceil(sweep / DegreesPerSegment)));
    const double yRadius = rx < 0 ? -std::fabs(ry) : std::fabs(ry);
    std::vector<TPathPoint> points;
    points.reserve(static_cast<std::size_t>(steps) + 3);
    for (int i = 0; i <= steps; ++i) {
        const double a = (a0 + sweep * i / steps) * M_PI / 180.0;
        points.push_back({cx + rx * std::cos(a), cy - yRadius * std::sin(a)});
    }
    if (kind == TArcKind::Pie) points.push_back({cx, cy});
    if (kind != TArcKind::Open) points.push_back(points.front());
    return points;
}

std::vector<TPathPoint> RoundRectPath(double X1, double Y1, double X2, double Y2, double CornerWidth,
                                      double CornerHeight) {
    const double left = std::min(X1, X2), right = std::max(X1, X2);
    const double top = std::min(Y1, Y2), bottom = std::max(Y1, Y2);
    const double rw = std::min(std::fabs(CornerWidth), right - left) / 2;
    const double rh = std::min(std::fabs(CornerHeight), bottom - top) / 2;
    // The corner centres, clockwise from the top right, and the angle at
    // which each corner's quarter starts.
    const TPathPoint centres[4] = {{right - rw, top + rh}, {right - rw, bottom - rh}, {left + rw, bottom - rh},
                                   {left + rw, top + rh}};
    const double starts[4] = {-90, 0, 90, 180};
    std::vector<TPathPoint> points;
    points.reserve(4 * (SegmentsPerCorner + 1) + 1);
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i <= SegmentsPerCorner; ++i) {
            const double a = (starts[c] + 90.0 * i / SegmentsPerCorner) * M_PI / 180.0;
            points.push_back({centres[c].X + rw * std::cos(a), centres[c].Y + rh * std::sin(a)});
        }
    points.push_back(points.front());
    return points;
}

}  // namespace tal::rtf
