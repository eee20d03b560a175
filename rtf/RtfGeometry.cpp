#include "rtf/RtfGeometry.h"

#include <algorithm>
#include <cmath>

#include "platform/Geometry.h"

namespace tal::rtf {

namespace {

// Curves are flattened until no chord strays more than a tenth of a point
// from the curve, and never in steps above 3 degrees.
constexpr double DegreesPerSegment = 3.0;
constexpr double Tolerance = 0.1 / 72;

int Segments(double radius, double sweepDegrees, int fewest) {
    const int most = std::max(fewest, static_cast<int>(std::ceil(sweepDegrees / DegreesPerSegment)));
    if (!(radius > Tolerance) || !std::isfinite(radius)) return fewest;
    const double step = 2 * std::acos(1 - Tolerance / radius);  // radians a chord may span
    const double needed = std::ceil(sweepDegrees * M_PI / 180.0 / step);
    return std::clamp(static_cast<int>(std::min(needed, 1e6)), fewest, most);
}

}  // namespace

std::vector<TPathPoint> ArcPath(TArcKind kind, double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                double X4, double Y4) {
    const double cx = (X1 + X2) / 2, cy = (Y1 + Y2) / 2;
    const double rx = (X2 - X1) / 2, ry = (Y2 - Y1) / 2;
    // The rays cut the ellipse where they cut the circle it is squeezed from.
    const double ratio = (rx != 0 && ry != 0) ? std::fabs(rx) / std::fabs(ry) : 1.0;
    const double a0 = ArcAngle(cx, cy, X3, cy + (Y3 - cy) * ratio);
    const double a1 = ArcAngle(cx, cy, X4, cy + (Y4 - cy) * ratio);
    if (!std::isfinite(a0) || !std::isfinite(a1) || a0 == a1) return {};
    double sweep = a1 - a0;
    if (sweep < 0) sweep += 360.0;
    const int steps = Segments(std::max(std::fabs(rx), std::fabs(ry)), sweep, 2);
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
    const int perCorner = Segments(std::max(rw, rh), 90, 1);
    std::vector<TPathPoint> points;
    points.reserve(4 * (static_cast<std::size_t>(perCorner) + 1) + 1);
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i <= perCorner; ++i) {
            const double a = (starts[c] + 90.0 * i / perCorner) * M_PI / 180.0;
            points.push_back({centres[c].X + rw * std::cos(a), centres[c].Y + rh * std::sin(a)});
        }
    points.push_back(points.front());
    return points;
}

std::vector<std::vector<TPathPoint>> Dashes(const std::vector<TPathPoint>& Path, const std::vector<double>& Pattern) {
    double period = 0;
    for (const double length : Pattern) period += std::max(0.0, length);
    if (Path.size() < 2 || !(period > 0) || !std::isfinite(period)) return {Path};
    double total = 0;
    for (std::size_t i = 1; i < Path.size(); ++i) total += std::hypot(Path[i].X - Path[i - 1].X, Path[i].Y - Path[i - 1].Y);
    if (!(total / period <= MaxDashPeriods)) return {Path};
    std::vector<std::vector<TPathPoint>> dashes;
    std::size_t part = 0;            // the pattern's entry: even ones are dashes
    double left = Pattern[0];        // of that entry
    std::vector<TPathPoint> dash {Path[0]};
    for (std::size_t i = 1; i < Path.size(); ++i) {
        TPathPoint from = Path[i - 1];
        const TPathPoint to = Path[i];
        double length = std::hypot(to.X - from.X, to.Y - from.Y);
        if (!std::isfinite(length)) return {Path};
        // Each step ends either the segment or the pattern's entry.
        while (length > left) {
            const double t = left / length;
            const TPathPoint cut {from.X + (to.X - from.X) * t, from.Y + (to.Y - from.Y) * t};
            if (part % 2 == 0) {
                dash.push_back(cut);
                dashes.push_back(std::move(dash));
            }
            dash = {cut};
            length -= left;
            from = cut;
            part = (part + 1) % Pattern.size();
            left = std::max(0.0, Pattern[part]);
        }
        left -= length;
        if (part % 2 == 0) dash.push_back(to);
        else dash = {to};
    }
    if (part % 2 == 0 && dash.size() > 1) dashes.push_back(std::move(dash));
    return dashes;
}

}  // namespace tal::rtf
