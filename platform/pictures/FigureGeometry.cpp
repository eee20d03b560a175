#include "platform/pictures/FigureGeometry.h"

#include <algorithm>
#include <cmath>

namespace tal::pictures {

std::vector<TFigure> DashPieces(TFigure line, bool closed, const std::vector<double>& pattern) {
    if (line.empty() || pattern.empty()) return {};
    if (closed) line.push_back(line.front());
    double total = 0, length = 0;
    for (const double d : pattern) total += d;
    for (std::size_t i = 1; i < line.size(); ++i)
        length += std::hypot(line[i].X - line[i - 1].X, line[i].Y - line[i - 1].Y);
    if (!(length / total <= 100000)) return {line};
    std::vector<TFigure> pieces;
    std::size_t k = 0;
    double left = pattern[0];
    bool on = true;
    TFigure piece{line[0]};
    for (std::size_t i = 1; i < line.size(); ++i) {
        const TFigurePoint a = line[i - 1], b = line[i];
        const double segment = std::hypot(b.X - a.X, b.Y - a.Y);
        double at = 0;
        while (segment - at > left) {
            at += left;
            const TFigurePoint p{a.X + (b.X - a.X) * at / segment, a.Y + (b.Y - a.Y) * at / segment};
            if (on) {
                piece.push_back(p);
                pieces.push_back(std::move(piece));
            }
            on = !on;
            k = (k + 1) % pattern.size();
            left = pattern[k];
            piece = {p};
        }
        left -= segment - at;
        if (on) piece.push_back(b);
    }
    if (on) pieces.push_back(std::move(piece));
    return pieces;
}

std::pair<double, double> Projection(const std::vector<TFigure>& figures, TFigurePoint n) {
    double low = 1e300, high = -1e300;
    for (const TFigure& f : figures)
        for (const TFigurePoint& p : f) {
            low = std::min(low, n.X * p.X + n.Y * p.Y);
            high = std::max(high, n.X * p.X + n.Y * p.Y);
        }
    return {low, high};
}

std::vector<std::pair<TFigurePoint, TFigurePoint>> HatchSegments(const std::vector<TFigure>& figures, TFigurePoint n,
                                                                TFigurePoint d, double spacing, double low,
                                                                double high) {
    std::vector<std::pair<TFigurePoint, TFigurePoint>> segments;
    if (!(spacing > 0) || !(low <= high)) return segments;
    const double along = d.X * d.X + d.Y * d.Y, across = n.X * n.X + n.Y * n.Y;
    const double first = std::ceil(low / spacing) * spacing;
    for (int line = 0; first + line * spacing <= high; ++line) {
        const double c = first + line * spacing;
        // Where the line crosses the edges, as positions along d.
        std::vector<double> at;
        for (const TFigure& f : figures)
            for (std::size_t i = 0; i < f.size(); ++i) {
                const TFigurePoint a = f[i], b = f[(i + 1) % f.size()];
                const double va = n.X * a.X + n.Y * a.Y - c, vb = n.X * b.X + n.Y * b.Y - c;
                if ((va < 0) == (vb < 0)) continue;
                const double t = va / (va - vb);
                at.push_back(d.X * (a.X + t * (b.X - a.X)) + d.Y * (a.Y + t * (b.Y - a.Y)));
            }
        std::sort(at.begin(), at.end());
        const auto point = [&](double s) {
            return TFigurePoint{n.X * c / across + d.X * s / along, n.Y * c / across + d.Y * s / along};
        };
        for (std::size_t i = 0; i + 1 < at.size(); i += 2) segments.emplace_back(point(at[i]), point(at[i + 1]));
    }
    return segments;
}

}  // namespace tal::pictures
