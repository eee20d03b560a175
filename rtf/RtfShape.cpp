#include "rtf/RtfShape.h"

#include <algorithm>

#include "rtf/RtfSyntax.h"

namespace tal::rtf {

namespace {

// Segment codes of a freeform path; a line entry counts its segments in
// the low 13 bits.
constexpr std::int64_t SegmentMoveTo = 0x4000, SegmentEnd = 0x8000, MaxLinesPerEntry = 0x1FFF;

}  // namespace

std::string Property(std::string_view name, std::int64_t value) {
    std::string out = "{\\sp{\\sn ";
    out += name;
    out += "}{\\sv ";
    AppendNumber(out, value);
    out += "}}";
    return out;
}

std::string Property(std::string_view name, std::string_view value) {
    std::string out = "{\\sp{\\sn ";
    out += name;
    out += "}{\\sv ";
    out += value;
    out += "}}";
    return out;
}

std::string ShapeInstance(const TShapeBox& box, std::int64_t z) {
    std::string out = Keyword("{\\shp{\\*\\shpinst\\shpleft", box.Left);
    out += Keyword("\\shptop", box.Top);
    out += Keyword("\\shpright", box.Right);
    out += Keyword("\\shpbottom", box.Bottom);
    out += "\\shpfhdr0\\shpbxpage\\shpbxignore\\shpbypage\\shpbyignore\\shpwr3\\shpwrk0\\shpfblwtxt0";
    out += Keyword("\\shpz", z);
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
    return FreeformGeometry(std::vector<std::vector<TPathPoint>> {points}, box);
}

std::string FreeformGeometry(const std::vector<std::vector<TPathPoint>>& paths, const TShapeBox& box) {
    // A path along one axis still needs a coordinate space of some extent.
    const std::int64_t width = std::max<std::int64_t>(1, static_cast<std::int64_t>(box.Right) - box.Left);
    const std::int64_t height = std::max<std::int64_t>(1, static_cast<std::int64_t>(box.Bottom) - box.Top);
    std::string out = Property("geoLeft", 0) + Property("geoTop", 0);
    out += Property("geoRight", width);
    out += Property("geoBottom", height);

    std::size_t count = 0;
    for (const auto& path : paths) count += path.size();
    std::string vertices = "8;";
    AppendNumber(vertices, static_cast<std::int64_t>(count));
    std::vector<std::int64_t> segments;
    for (const auto& path : paths) {
        for (const TPathPoint& p : path) {
            vertices += ";(";
            AppendNumber(vertices, static_cast<std::int64_t>(Twips(p.X)) - box.Left);
            vertices += ',';
            AppendNumber(vertices, static_cast<std::int64_t>(Twips(p.Y)) - box.Top);
            vertices += ')';
        }
        segments.push_back(SegmentMoveTo);
        for (std::int64_t lines = path.empty() ? 0 : static_cast<std::int64_t>(path.size()) - 1; lines > 0;
             lines -= MaxLinesPerEntry)
            segments.push_back(std::min(lines, MaxLinesPerEntry));
    }
    out += Property("pVerticies", vertices);
    segments.push_back(SegmentEnd);
    std::string info = "2;";
    AppendNumber(info, static_cast<std::int64_t>(segments.size()));
    for (const std::int64_t s : segments) {
        info += ';';
        AppendNumber(info, s);
    }
    out += Property("pSegmentInfo", info);
    return out;
}

}  // namespace tal::rtf
