// Arcs, chords, pies, polylines, polygons and filled rectangles: freeform
// Word 97 shapes through their points (arcs flattened), each holding a
// polyline or polygon drawing object for readers without shapes.
#include <algorithm>

#include "render/RpConverter.h"
#include "rtf/RpRenderRTF.h"
#include "rtf/RtfSyntax.h"

namespace tal {

void TRvRenderRTF::PathShape(const std::vector<rtf::TPathPoint>& Points, bool Closed) {
    Converter();
    if (Points.size() < 2) return;
    const rtf::TShapeBox box = rtf::BoundingBox(Points);
    std::string& properties = FShapeProperties;
    properties.clear();
    if (Closed) {
        rtf::AppendProperty(properties, "shapeType", rtf::ShapeFreeform);
        rtf::AppendFreeformGeometry(properties, Points, box);
        ShapeOutline(properties);
        ShapeFill(properties);
    } else {
        OpenPathGeometry(properties, Points, box);
        rtf::AppendProperty(properties, "fFilled", 0);
    }
    BeginShapeGroup(box, properties);
    BeginDrawObject();
    WriteKeyword(Closed ? "\\dppolygon\\dppolycount" : "\\dppolyline\\dppolycount",
                 static_cast<std::int64_t>(Points.size()));
    // The points relative to the object's box, as a line's end points are.
    for (const rtf::TPathPoint& p : Points) {
        WriteKeyword("\\dpptx", static_cast<std::int64_t>(rtf::Twips(p.X)) - box.Left);
        WriteKeyword("\\dppty", static_cast<std::int64_t>(rtf::Twips(p.Y)) - box.Top);
    }
    WriteKeyword("\\dpx", box.Left);
    WriteKeyword("\\dpy", box.Top);
    WriteKeyword("\\dpxsize", static_cast<std::int64_t>(box.Right) - box.Left);
    WriteKeyword("\\dpysize", static_cast<std::int64_t>(box.Bottom) - box.Top);
    WriteLineStyle();
    if (Closed) WriteFill();
    WriteRTF("}");
    EndShapeGroup();
}

void TRvRenderRTF::ArcShape(rtf::TArcKind Kind, double X1, double Y1, double X2, double Y2, double X3, double Y3,
                            double X4, double Y4) {
    PathShape(rtf::ArcPath(Kind, X1, Y1, X2, Y2, X3, Y3, X4, Y4), Kind != rtf::TArcKind::Open);
}

void TRvRenderRTF::Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    ArcShape(rtf::TArcKind::Open, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TRvRenderRTF::Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    ArcShape(rtf::TArcKind::Chord, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TRvRenderRTF::Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    ArcShape(rtf::TArcKind::Pie, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TRvRenderRTF::PointsShape(std::span<const TPoint> Points, std::int32_t HighIndex, bool Closed) {
    const std::size_t count =
        std::min<std::size_t>(HighIndex < 0 ? 0 : static_cast<std::size_t>(HighIndex) + 1, Points.size());
    std::vector<rtf::TPathPoint> path;
    path.reserve(count + 1);
    for (std::size_t i = 0; i < count; ++i) path.push_back({Points[i].X / 1248.0, Points[i].Y / 1248.0});
    // Some readers of shapes drop the closing segment: the outline returns
    // to its first point itself.
    if (Closed && count > 1) path.push_back(path.front());
    PathShape(path, Closed);
}

void TRvRenderRTF::Polyline(std::span<const TPoint> Points, std::int32_t HighIndex) {
    PointsShape(Points, HighIndex, false);
}

void TRvRenderRTF::Polygon(std::span<const TPoint> Points, std::int32_t HighIndex) {
    PointsShape(Points, HighIndex, true);
}

void TRvRenderRTF::FillRect(const TRect& Rect) {
    const TBrush& brush = Converter().Brush;
    // Filled without outline: a clear brush leaves nothing to draw.
    if (brush.Style() == bsClear) return;
    const double x1 = Rect.Left / 72.0, y1 = Rect.Top / 72.0, x2 = Rect.Right / 72.0, y2 = Rect.Bottom / 72.0;
    std::string& properties = FShapeProperties;
    properties.clear();
    rtf::AppendProperty(properties, "shapeType", rtf::ShapeRectangle);
    rtf::AppendProperty(properties, "fLine", 0);
    ShapeFill(properties);
    BeginShapeGroup(rtf::BoundingBox({{x1, y1}, {x2, y2}}), properties);
    BeginDrawObject();
    WriteRTF("\\dprect");
    WriteObjectBox(x1, y1, x2, y2);
    WriteRTF("\\dplinehollow");
    WriteFill();
    WriteRTF("}");
    EndShapeGroup();
}

}  // namespace tal
