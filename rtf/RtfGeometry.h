#pragma once
// Outlines that have no shape of their own in RTF, as point lists in inches:
// arcs, chords and pies of an ellipse, and rectangles with rounded corners.
// Curves are flattened so that no segment strays from the curve by more
// than a tenth of a point, in steps of at most 3 degrees.
#include <vector>

#include "rtf/RtfShape.h"

namespace tal::rtf {

enum class TArcKind { Open, Chord, Pie };

// The counter-clockwise arc (as seen on the page) of the ellipse in the box
// (X1, Y1)-(X2, Y2) from the ray through (X3, Y3) to the ray through
// (X4, Y4), each ray taken on that ellipse. A chord ends at its first point
// again, a pie passes through the centre first. Two rays at the same angle
// give no points.
std::vector<TPathPoint> ArcPath(TArcKind kind, double X1, double Y1, double X2, double Y2, double X3, double Y3,
                                double X4, double Y4);

// The closed outline of a rectangle whose corners are quarters of an
// ellipse CornerWidth by CornerHeight (held inside the rectangle).
std::vector<TPathPoint> RoundRectPath(double X1, double Y1, double X2, double Y2, double CornerWidth,
                                      double CornerHeight);

// The dashes of a pen along the path: Pattern holds an even number of
// lengths (inches) of dash, gap, dash, gap..., repeated from the path's start without a break
// at its corners. A pattern without length gives the path whole, and so
// does a path longer than MaxDashPeriods repeats of the pattern: each dash
// is written out, and a line across a mile of paper would make a document
// of gigabytes.
inline constexpr double MaxDashPeriods = 10'000;
std::vector<std::vector<TPathPoint>> Dashes(const std::vector<TPathPoint>& Path, const std::vector<double>& Pattern);

}  // namespace tal::rtf
