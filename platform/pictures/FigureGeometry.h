#pragma once
// Geometry of outlines that the metafile writers draw piece by piece: the
// dashes a pattern leaves of a line, and the hatch lines that fall inside a
// set of figures.
#include <utility>
#include <vector>

namespace tal::pictures {

struct TFigurePoint {
    double X = 0, Y = 0;
};
using TFigure = std::vector<TFigurePoint>;

// The pieces a dash pattern (on and off lengths, a positive total) leaves of
// a line, the pattern running on over its corners; closed: the line returns
// to its first point. A pattern far finer than the line is long (more than
// 100,000 repeats) leaves the whole line as one piece.
std::vector<TFigure> DashPieces(TFigure line, bool closed, const std::vector<double>& pattern);

// The smallest and largest n.p over the points of the figures (low > high
// when there are none).
std::pair<double, double> Projection(const std::vector<TFigure>& figures, TFigurePoint n);

// The parts of the lines n.p = c, c the multiples of spacing in [low, high],
// that lie inside the figures (closed, alternate filling); d runs along the
// lines, at right angles to n.
std::vector<std::pair<TFigurePoint, TFigurePoint>> HatchSegments(const std::vector<TFigure>& figures, TFigurePoint n,
                                                                TFigurePoint d, double spacing, double low,
                                                                double high);

}  // namespace tal::pictures
