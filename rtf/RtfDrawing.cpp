// Shapes: lines, rectangles, rounded rectangles and ellipses as RTF drawing
// primitives anchored to the page, outlined with the converter's pen and
// filled with its brush. The box is never adjusted for the pen width.
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

// The three components of a colour, each after its keyword; the upper byte
// carries no meaning here.
std::string ColorComponents(const char* red, const char* green, const char* blue, TColor color) {
    const auto value = static_cast<std::uint32_t>(color);
    std::string out = rtf::Keyword(red, value & 0xFF);
    out += rtf::Keyword(green, (value >> 8) & 0xFF);
    out += rtf::Keyword(blue, (value >> 16) & 0xFF);
    return out;
}

}  // namespace

void TRvRenderRTF::WriteLineStyle() {
    const TPen& pen = Converter().Pen;
    WriteRTF(LineStyleKeyword(pen.Style()));
    WriteRTF(ColorComponents("\\dplinecor", "\\dplinecog", "\\dplinecob", pen.Color()));
    // The pen's integer width is taken as points.
    WriteTwips("\\dplinew", pen.Width() / 72.0);
}

void TRvRenderRTF::WriteFill() {
    const TBrush& brush = Converter().Brush;
    WriteRTF("\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255");
    WriteRTF(ColorComponents("\\dpfillbgcr", "\\dpfillbgcg", "\\dpfillbgcb", brush.Color()));
    WriteRTF("\\dpfillpat");
    WriteRTF(FillPattern(brush.Style()));
}

void TRvRenderRTF::Shape(std::string_view Keyword, double X1, double Y1, double X2, double Y2) {
    Converter();  // a shape reads pen and brush: refuse before writing anything
    BeginDrawObject();
    WriteRTF(Keyword);
    WriteObjectBox(X1, Y1, X2, Y2);
    WriteLineStyle();
    WriteFill();
    WriteRTF("}");
}

void TRvRenderRTF::Rectangle(double X1, double Y1, double X2, double Y2) { Shape("\\dprect", X1, Y1, X2, Y2); }

void TRvRenderRTF::Ellipse(double X1, double Y1, double X2, double Y2) { Shape("\\dpellipse", X1, Y1, X2, Y2); }

void TRvRenderRTF::RoundRect(double X1, double Y1, double X2, double Y2, double, double) {
    Shape("\\dprect\\dproundr", X1, Y1, X2, Y2);
}

void TRvRenderRTF::MoveTo(double X, double Y) {
    FCurrentX = X;
    FCurrentY = Y;
}

void TRvRenderRTF::LineTo(double X, double Y) {
    Converter();
    const double cx = FCurrentX, cy = FCurrentY;
    const double w = std::abs(X - cx), h = std::abs(Y - cy);
    BeginDrawObject();
    WriteRTF("\\dpline");
    // The end points relative to the box's top-left corner.
    WriteTwips("\\dpptx", 0);
    if ((X <= cx) == (Y <= cy)) {  // top-left to bottom-right, or back
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
    MoveTo(X, Y);
}

}  // namespace tal
