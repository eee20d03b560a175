#include "rtf/RtfShape.h"

#include <algorithm>

#include "rtf/RtfSyntax.h"

namespace tal::rtf {

namespace {

// Segment codes of a freeform path; a line entry counts its segments in
// the low 13 bits.
constexpr std::int64_t SegmentMoveTo = 0x4000, SegmentEnd = 0x8000, MaxLinesPerEntry = 0x1FFF;

}  // namespace

void AppendProperty(std::string& out, std::string_view name, std::int64_t value) {
    out += "{\\sp{\\sn ";
    out += name;
    out += "}{\\sv ";
    AppendNumber(out, value);
    out += "}}";
}

void AppendProperty(std::string& out, std::string_view name, std::string_view value) {
    out += "{\\sp{\\sn ";
    out += name;
    out += "}{\\sv ";
    out += value;
    out += "}}";
}

std::string Property(std::string_view name, std::int64_t value) {
    std::string out;
    AppendProperty(out, name, value);
    return out;
}

std::string Property(std::string_view name, std::string_view value) {
    std::string out;
    AppendProperty(out, name, value);
    return out;
}

void AppendShapeInstance(std::string& out, const TShapeBox& box, std::int64_t z) {
    out += "{\\shp{\\*\\shpinst\\shpleft";
    AppendNumber(out, box.Left);
    out += "\\shptop";
    AppendNumber(out, box.Top);
    out += "\\shpright";
    AppendNumber(out, box.Right);
    out += "\\shpbottom";
    AppendNumber(out, box.Bottom);
    out += "\\shpfhdr0\\shpbxpage\\shpbxignore\\shpbypage\\shpbyignore\\shpwr3\\shpwrk0\\shpfblwtxt0\\shpz";
    AppendNumber(out, z);
}

std::string ShapeInstance(const TShapeBox& box, std::int64_t z) {
    std::string out;
    AppendShapeInstance(out, box, z);
    return out;
}

std::int64_t ShapeColor(TColor color) { return color < 0 ? 0 : static_cast<std::int64_t>(color & 0xFFFFFF); }

TShapeBox BoundingBox(const std::vector<TPathPoint>& points) {
    if (points.empty()) return {};
    double left = points[0].X, top = points[0].Y, right = left, bottom = top;
    for (const TPathPoint& p : points) {
        left = std::min(left, p.X);
        top = std::min(top, p.Y);
        right = std::max(right, p.X);
        bottom = std::max(bottom, p.Y);
    }
    return {Twips(left), Twips(top), Twips(right), Twips(bottom)};
}

std::string FreeformGeometry(const std::vector<TPathPoint>& points, const TShapeBox& box) {
    std::string out;
    AppendFreeformGeometry(out, points, box);
    return out;
}

std::string FreeformGeometry(const std::vector<std::vector<TPathPoint>>& paths, const TShapeBox& box) {
    std::string out;
    AppendFreeformGeometry(out, paths, box);
    return out;
}

namespace {

// The vertices of one path relative to the box, each as ";(x,y)".
void AppendVertices(std::string& out, std::span<const TPathPoint> path, const TShapeBox& box) {
    for (const TPathPoint& p : path) {
        out += ";(";
        AppendNumber(out, static_cast<std::int64_t>(Twips(p.X)) - box.Left);
        out += ',';
        AppendNumber(out, static_cast<std::int64_t>(Twips(p.Y)) - box.Top);
        out += ')';
    }
}

// The segment entries of one path: a move, then its lines in entries of at
// most MaxLinesPerEntry.
template <typename Add>
void PathSegments(std::size_t points, Add add) {
    add(SegmentMoveTo);
    for (std::int64_t lines = points == 0 ? 0 : static_cast<std::int64_t>(points) - 1; lines > 0;
         lines -= MaxLinesPerEntry)
        add(std::min(lines, MaxLinesPerEntry));
}

void AppendCoordinateSpace(std::string& out, const TShapeBox& box) {
    // A path along one axis still needs a coordinate space of some extent.
    const std::int64_t width = std::max<std::int64_t>(1, static_cast<std::int64_t>(box.Right) - box.Left);
    const std::int64_t height = std::max<std::int64_t>(1, static_cast<std::int64_t>(box.Bottom) - box.Top);
    AppendProperty(out, "geoLeft", 0);
    AppendProperty(out, "geoTop", 0);
    AppendProperty(out, "geoRight", width);
    AppendProperty(out, "geoBottom", height);
}

// "{\sp{\sn NAME}{\sv " before a value written in place.
void OpenProperty(std::string& out, std::string_view name) {
    out += "{\\sp{\\sn ";
    out += name;
    out += "}{\\sv ";
}

}  // namespace

void AppendFreeformGeometry(std::string& out, std::span<const TPathPoint> points, const TShapeBox& box) {
    AppendCoordinateSpace(out, box);
    OpenProperty(out, "pVerticies");
    out += "8;";
    AppendNumber(out, static_cast<std::int64_t>(points.size()));
    AppendVertices(out, points, box);
    out += "}}";
    std::size_t count = 1;  // the end
    PathSegments(points.size(), [&](std::int64_t) { ++count; });
    OpenProperty(out, "pSegmentInfo");
    out += "2;";
    AppendNumber(out, static_cast<std::int64_t>(count));
    PathSegments(points.size(), [&](std::int64_t s) {
        out += ';';
        AppendNumber(out, s);
    });
    out += ';';
    AppendNumber(out, SegmentEnd);
    out += "}}";
}

void AppendFreeformGeometry(std::string& out, const std::vector<std::vector<TPathPoint>>& paths,
                            const TShapeBox& box) {
    AppendCoordinateSpace(out, box);
    std::size_t points = 0, count = 1;  // the end
    for (const auto& path : paths) {
        points += path.size();
        PathSegments(path.size(), [&](std::int64_t) { ++count; });
    }
    OpenProperty(out, "pVerticies");
    out += "8;";
    AppendNumber(out, static_cast<std::int64_t>(points));
    for (const auto& path : paths) AppendVertices(out, path, box);
    out += "}}";
    OpenProperty(out, "pSegmentInfo");
    out += "2;";
    AppendNumber(out, static_cast<std::int64_t>(count));
    for (const auto& path : paths)
        PathSegments(path.size(), [&](std::int64_t s) {
            out += ';';
            AppendNumber(out, s);
        });
    out += ';';
    AppendNumber(out, SegmentEnd);
    out += "}}";
}

}  // namespace tal::rtf
