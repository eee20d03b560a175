// Shapes: lines, rectangles, rounded rectangles and ellipses, anchored to
// the page, outlined with the converter's pen and filled with its brush.
// Each is a Word 97 shape group (which keeps the pen's width and the exact
// corners) holding the drawing primitive of older readers as its result.
// The box is never adjusted for the pen width.
#include <algorithm>
#include <cmath>

#include "render/RpConverter.h"
#include "rtf/RpRenderRTF.h"
#include "rtf/RtfSyntax.h"

namespace tal {

namespace {

const char* LineStyleKeyword(std::uint8_t style) {
    switch (style) {
        case psSolid: return "\\dplinesolid";
        case psDash: return "\\dplinedash";
        case psDot: return "\\dplinedot";
        case psDashDot: return "\\dplinedado";
        case psDashDotDot: return "\\dplinedadodo";
        case psClear: return "\\dplinehollow";
        default: return "";  // inside-frame and beyond: the reader's solid line
    }
}

const char* FillPattern(std::uint8_t style) {
    switch (style) {
        case bsSolid: return "1";
        case bsClear: return "0";
        case bsHorizontal: return "20";
        case bsVertical: return "21";
        case bsFDiagonal: return "22";
        case bsBDiagonal: return "23";
        case bsCross: return "24";
        case bsDiagCross: return "25";
        default: return "0";
    }
}

// How much of a shape the brush's hatch lines cover, as the eye takes them
// in: a single set of lines a quarter, crossed lines two fifths; solid and
// any other style cover it all.
double HatchInkShare(std::uint8_t style) {
    switch (style) {
        case bsHorizontal:
        case bsVertical:
        case bsFDiagonal:
        case bsBDiagonal: return 0.25;
        case bsCross:
        case bsDiagCross: return 0.4;
        default: return 1;
    }
}

// The box around two corners, in twips.
rtf::TShapeBox BoxOf(double X1, double Y1, double X2, double Y2) {
    return {rtf::Twips(std::min(X1, X2)), rtf::Twips(std::min(Y1, Y2)), rtf::Twips(std::max(X1, X2)),
            rtf::Twips(std::max(Y1, Y2))};
}

}  // namespace

// The upper byte of the colour carries no meaning here.
void TRvRenderRTF::WriteColorComponents(std::string_view Red, std::string_view Green, std::string_view Blue,
                                        TColor Color) {
    const auto value = static_cast<std::uint32_t>(Color);
    WriteKeyword(Red, value & 0xFF);
    WriteKeyword(Green, (value >> 8) & 0xFF);
    WriteKeyword(Blue, (value >> 16) & 0xFF);
}

void TRvRenderRTF::WriteLineStyle() {
    const TPen& pen = Converter().Pen;
    WriteRTF(LineStyleKeyword(pen.Style()));
    WriteColorComponents("\\dplinecor", "\\dplinecog", "\\dplinecob", pen.Color());
    // The pen's integer width is taken as points.
    WriteTwips("\\dplinew", pen.Width() / 72.0);
}

void TRvRenderRTF::WriteFill() {
    const TBrush& brush = Converter().Brush;
    WriteRTF("\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255");
    // A background colour makes some readers fill the shape whatever the
    // pattern says: a clear brush names none, so the shape stays hollow.
    if (brush.Style() != bsClear)
        WriteColorComponents("\\dpfillbgcr", "\\dpfillbgcg", "\\dpfillbgcb", brush.Color());
    WriteRTF("\\dpfillpat");
    WriteRTF(FillPattern(brush.Style()));
}

void TRvRenderRTF::OpenShapeGroup(const rtf::TShapeBox& Box, std::string_view Properties) {
    FGroupOrder = ++FDrawOrder;
    WriteKeyword("\r\n{\\shp{\\*\\shpinst\\shpleft", Box.Left);
    WriteKeyword("\\shptop", Box.Top);
    WriteKeyword("\\shpright", Box.Right);
    WriteKeyword("\\shpbottom", Box.Bottom);
    WriteKeyword("\\shpfhdr0\\shpbxpage\\shpbxignore\\shpbypage\\shpbyignore\\shpwr3\\shpwrk0\\shpfblwtxt0\\shpz",
                 FGroupOrder);
    WriteRTF(Properties);
}

void TRvRenderRTF::ResultOfShapeGroup() { WriteRTF("}{\\shprslt"); }

void TRvRenderRTF::BeginShapeGroup(const rtf::TShapeBox& Box, std::string_view Properties) {
    OpenShapeGroup(Box, Properties);
    ResultOfShapeGroup();
}

void TRvRenderRTF::EndShapeGroup() {
    WriteRTF("}}");
    FGroupOrder = 0;
}

void TRvRenderRTF::ShapeLine(std::string& Out) {
    rtf::AppendProperty(Out, "lineColor", rtf::ShapeColor(Converter().Pen.Color()));
    // The width the converter keeps for the pen, as the PDF engine draws it.
    const double points = std::isfinite(FPenWidth) && FPenWidth > 0 ? FPenWidth * 72.0 : 0.0;
    rtf::AppendProperty(Out, "lineWidth", RoundToInt32(points * rtf::EmuPerPoint));
}

void TRvRenderRTF::ShapeOutline(std::string& Out) {
    const TPen& pen = Converter().Pen;
    if (pen.Style() == psClear) {
        rtf::AppendProperty(Out, "fLine", 0);
        return;
    }
    ShapeLine(Out);
    // Dashes for the readers that draw them (the system dash styles carry
    // the pen style codes 1 to 4).
    if (pen.Style() >= psDash && pen.Style() <= psDashDotDot) rtf::AppendProperty(Out, "lineDashing", pen.Style());
}

std::vector<double> TRvRenderRTF::PenDashes() {
    std::vector<double> points;
    switch (Converter().Pen.Style()) {
        case psDash: points = {13, 6}; break;
        case psDot: points = {2, 2}; break;
        case psDashDot: points = {8, 4, 1, 4}; break;
        case psDashDotDot: points = {10, 3, 2, 2, 2, 3}; break;
        default: break;
    }
    for (double& length : points) length /= 72.0;
    return points;
}

void TRvRenderRTF::OpenPathGeometry(std::string& Out, const std::vector<rtf::TPathPoint>& Path,
                                    const rtf::TShapeBox& Box) {
    const std::vector<double> pattern = PenDashes();
    rtf::AppendProperty(Out, "shapeType", rtf::ShapeFreeform);
    if (pattern.empty()) {
        rtf::AppendFreeformGeometry(Out, Path, Box);
        ShapeOutline(Out);
    } else {
        rtf::AppendFreeformGeometry(Out, rtf::Dashes(Path, pattern), Box);
        ShapeLine(Out);
    }
}

void TRvRenderRTF::ShapeFill(std::string& Out) {
    const TBrush& brush = Converter().Brush;
    if (brush.Style() == bsClear) {
        rtf::AppendProperty(Out, "fFilled", 0);
        return;
    }
    rtf::AppendProperty(Out, "fillColor", rtf::ShapeColor(brush.Color()));
    // Shape readers fill a pattern solid, which turns a hatched cell into a
    // dark block over whatever it should let through; a see-through fill of
    // the brush colour shows about as much colour as the hatch lines do, and
    // what lies under the shape shows through as it does between the lines.
    if (const double share = HatchInkShare(brush.Style()); share < 1)
        rtf::AppendProperty(Out, "fillOpacity", static_cast<std::int64_t>(std::lround(share * 65536)));
}

void TRvRenderRTF::Shape(std::string_view Keyword, std::string_view Geometry, double X1, double Y1, double X2,
                         double Y2) {
    Converter();  // a shape reads pen and brush: refuse before writing anything
    std::string& properties = FShapeProperties;
    properties.assign(Geometry);
    ShapeOutline(properties);
    ShapeFill(properties);
    BeginShapeGroup(BoxOf(X1, Y1, X2, Y2), properties);
    BeginDrawObject();
    WriteRTF(Keyword);
    WriteObjectBox(X1, Y1, X2, Y2);
    WriteLineStyle();
    WriteFill();
    WriteRTF("}");
    EndShapeGroup();
}

void TRvRenderRTF::Rectangle(double X1, double Y1, double X2, double Y2) {
    Shape("\\dprect", rtf::Property("shapeType", rtf::ShapeRectangle), X1, Y1, X2, Y2);
}

void TRvRenderRTF::Ellipse(double X1, double Y1, double X2, double Y2) {
    Shape("\\dpellipse", rtf::Property("shapeType", rtf::ShapeEllipse), X1, Y1, X2, Y2);
}

void TRvRenderRTF::RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
    // The preset rounded rectangle's corner size is not read everywhere: the
    // outline itself carries the corners.
    const auto path = rtf::RoundRectPath(X1, Y1, X2, Y2, X3, Y3);
    std::string geometry = rtf::Property("shapeType", rtf::ShapeFreeform);
    rtf::AppendFreeformGeometry(geometry, path, rtf::BoundingBox(path));
    Shape("\\dprect\\dproundr", geometry, X1, Y1, X2, Y2);
}

void TRvRenderRTF::MoveTo(double X, double Y) {
    FCurrentX = X;
    FCurrentY = Y;
}

void TRvRenderRTF::LineTo(double X, double Y) {
    Converter();
    const double cx = FCurrentX, cy = FCurrentY;
    const double w = std::abs(X - cx), h = std::abs(Y - cy);
    const bool falling = (X <= cx) == (Y <= cy);  // top-left to bottom-right, or back
    const rtf::TShapeBox box = BoxOf(X, Y, cx, cy);
    std::string& properties = FShapeProperties;
    properties.clear();
    if (!PenDashes().empty()) {
        OpenPathGeometry(properties, {{cx, cy}, {X, Y}}, box);
    } else {
        // The line shape runs from the top-left to the bottom-right corner
        // of its box unless turned over; a level or upright line needs no turn.
        rtf::AppendProperty(properties, "shapeType", rtf::ShapeLine);
        if (!falling && w > 0 && h > 0) rtf::AppendProperty(properties, "fFlipV", 1);
        ShapeOutline(properties);
    }
    BeginShapeGroup(box, properties);
    BeginDrawObject();
    WriteRTF("\\dpline");
    // The end points relative to the box's top-left corner.
    WriteTwips("\\dpptx", 0);
    if (falling) {
        WriteTwips("\\dppty", 0);
        WriteTwips("\\dpptx", w);
        WriteTwips("\\dppty", h);
    } else {  // bottom-left to top-right, or back
        WriteTwips("\\dppty", h);
        WriteTwips("\\dpptx", w);
        WriteTwips("\\dppty", 0);
    }
    WriteObjectBox(X, Y, cx, cy);
    WriteLineStyle();
    WriteRTF("}");
    EndShapeGroup();
    MoveTo(X, Y);
}

}  // namespace tal
