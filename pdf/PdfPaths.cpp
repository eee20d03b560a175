// The path routines of a page: lines, rectangles, ellipses, rounded
// rectangles, arcs and point lists, written as PDF path operators.
#include <algorithm>
#include <cmath>

#include "pdf/PdfFormat.h"
#include "pdf/PdfPage.h"
#include "pdf/RpRenderPDF.h"

namespace tal {

using pdf::FormatPDF;

void TRPPDFPage::PathMoveTo(double X, double Y) {
    SyncGraphicsState();
    Numbers({XToPoints(X), YToPoints(Y)}, " m\r\n");
    FPathOpen = true;
    FLastX = X;
    FLastY = Y;
}

void TRPPDFPage::PathLineTo(bool Paint, double X, double Y, bool Closed) {
    SyncGraphicsState();
    // A line needs a current point: after a painted path it starts again
    // where the last one ended.
    if (!FPathOpen) Numbers({XToPoints(FLastX), YToPoints(FLastY)}, " m\r\n");
    Numbers({XToPoints(X), YToPoints(Y)}, " l ");
    FPathOpen = true;
    FLastX = X;
    FLastY = Y;
    if (Paint) PaintPath(Closed);
}

void TRPPDFPage::PathCurveTo(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
    Numbers({XToPoints(X1), YToPoints(Y1), XToPoints(X2), YToPoints(Y2), XToPoints(X3), YToPoints(Y3)}, " c\r\n");
    FLastX = X3;
    FLastY = Y3;
}

void TRPPDFPage::PathRectangle(bool Clip, double X1, double Y1, double X2, double Y2) {
    // A clip clips whatever the pen and brush; a shape neither paints is not written.
    if (!Clip && !FRenderPDF.IsPenVisible() && !FRenderPDF.IsBrushVisible()) return;
    SyncGraphicsState();
    // Anchored at the top-left corner: the height is negative when Y2 > Y1.
    Numbers({XToPoints(X1), YToPoints(Y1), (X2 - X1) * 72.0, YToPoints(Y2) - YToPoints(Y1)}, " re ");
    FPathOpen = true;
    if (Clip) {
        // The clip ends the path; there is nothing left to paint. The line
        // ends here, as every line before a text object does.
        Line("W n ");
        FPathOpen = false;
    } else {
        PaintPath();
    }
}

TRPPDFPage::TEllipseFrame TRPPDFPage::EllipseFrame(double X1, double Y1, double X2, double Y2) const {
    const double w = FRenderPDF.FPenWidth;
    const double d = FRenderPDF.FFrameMode == 0 ? w / 2 : FRenderPDF.FFrameMode == 2 ? -w / 2 : 0.0;
    const double k = (std::sqrt(2.0) - 1.0) * (4.0 / 3.0);
    TEllipseFrame f;
    const double a = X1 + d, b = X2 - d;
    f.XMin = std::min(a, b);
    f.XMax = std::max(a, b);
    f.XMid = (a + b) / 2;
    const double c = Y1 + d, e = Y2 - d;
    f.YMin = std::min(c, e);
    f.YMax = std::max(c, e);
    f.YMid = (c + e) / 2;
    f.XMinus = f.XMid - (f.XMid - f.XMin) * k;
    f.XPlus = f.XMid + (f.XMid - f.XMin) * k;
    f.YMinus = f.YMid - (f.YMid - f.YMin) * k;
    f.YPlus = f.YMid + (f.YMid - f.YMin) * k;
    return f;
}

void TRPPDFPage::PathEllipse(double X1, double Y1, double X2, double Y2) {
    SyncGraphicsState();
    const TEllipseFrame f = EllipseFrame(X1, Y1, X2, Y2);
    // From the top centre, right, down, left and up as seen on the page.
    PathMoveTo(f.XMid, f.YMin);
    PathCurveTo(f.XPlus, f.YMin, f.XMax, f.YMinus, f.XMax, f.YMid);
    PathCurveTo(f.XMax, f.YPlus, f.XPlus, f.YMax, f.XMid, f.YMax);
    PathCurveTo(f.XMinus, f.YMax, f.XMin, f.YPlus, f.XMin, f.YMid);
    PathCurveTo(f.XMin, f.YMinus, f.XMinus, f.YMin, f.XMid, f.YMin);
    PaintPath(true);
}

void TRPPDFPage::PathRoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
    SyncGraphicsState();
    // The top-left corner's ellipse, moved by the gaps to the other corners.
    const TEllipseFrame f = EllipseFrame(X1, Y1, X1 + X3, Y1 + Y3);
    const double gx = X2 - X1 - X3, gy = Y2 - Y1 - Y3;
    PathMoveTo(f.XMid, f.YMin);
    PathLineTo(false, f.XMid + gx, f.YMin);
    PathCurveTo(f.XPlus + gx, f.YMin, f.XMax + gx, f.YMinus, f.XMax + gx, f.YMid);
    PathLineTo(false, f.XMax + gx, f.YMid + gy);
    PathCurveTo(f.XMax + gx, f.YPlus + gy, f.XPlus + gx, f.YMax + gy, f.XMid + gx, f.YMax + gy);
    PathLineTo(false, f.XMid, f.YMax + gy);
    PathCurveTo(f.XMinus, f.YMax + gy, f.XMin, f.YPlus + gy, f.XMin, f.YMid + gy);
    PathLineTo(false, f.XMin, f.YMid);
    PathCurveTo(f.XMin, f.YMinus, f.XMinus, f.YMin, f.XMid, f.YMin);
    PaintPath(true);
}

bool TRPPDFPage::PathArc(bool Paint, bool CloseFill, double X1, double Y1, double X2, double Y2, double X3,
                         double Y3, double X4, double Y4) {
    SyncGraphicsState();
    Line("% arc code");
    const double CX = (X1 + X2) / 2, CY = (Y1 + Y2) / 2;
    const double RX = (X2 - X1) / 2, RY = (Y2 - Y1) / 2;
    // The ray points are taken on the ellipse of the box: their angles are
    // those of the circle the ellipse is squeezed from. A square box keeps
    // the points as they are.
    const double ratio = (RX != 0 && RY != 0) ? std::fabs(RX) / std::fabs(RY) : 1.0;
    auto onCircle = [&](double Y) { return ratio == 1.0 ? Y : CY + (Y - CY) * ratio; };
    const double A0 = ArcAngle(CX, CY, X3, onCircle(Y3));
    const double A1 = ArcAngle(CX, CY, X4, onCircle(Y4));
    if (!BuildArc(CX, CY, RX, RY, A0, A1)) return false;
    if (Paint) PaintPath(CloseFill);
    return true;
}

bool TRPPDFPage::BuildArc(double CX, double CY, double RX, double RY, double A0, double A1) {
    if (A0 == A1 || std::isnan(A0) || std::isnan(A1)) return false;
    double sweep = A1 - A0;
    if (sweep < 0) sweep += 360.0;
    const double dir = A1 >= A0 ? 1.0 : -1.0;
    int n = 1;
    while (n < 4 && sweep / n > 90.0) ++n;
    const double step = sweep / n;
    const double half = step * 0.5;
    const double yScale = RX != 0 ? std::fabs(RY) / std::fabs(RX) : 1.0;
    double mid = A0 + half;
    for (int k = 1; k <= n; ++k) {
        ArcSegment(k, CX, CY, RX, yScale, mid, half, dir);
        mid += step;
    }
    auto curve = [this](const TRvRenderPDF::TArcSegment& s) {
        PathCurveTo(s.X[1], s.Y[1], s.X[2], s.Y[2], s.X[3], s.Y[3]);
    };
    // Either way the curve covers the counter-clockwise sweep from A0 to A1.
    if (A1 - A0 >= 0) {
        PathMoveTo(FRenderPDF.FArcPoints[0].X[0], FRenderPDF.FArcPoints[0].Y[0]);
        for (int k = 0; k < n; ++k) curve(FRenderPDF.FArcPoints[k]);
    } else {
        PathMoveTo(FRenderPDF.FArcPoints[n - 1].X[0], FRenderPDF.FArcPoints[n - 1].Y[0]);
        for (int k = n - 1; k >= 0; --k) curve(FRenderPDF.FArcPoints[k]);
    }
    return true;
}

void TRPPDFPage::ArcSegment(int K, double CX, double CY, double R, double YScale, double Mid, double Half,
                            double Dir) {
    const double h = std::fabs(Half) * M_PI / 180.0;
    const double c = std::cos(h), s = std::sin(h);
    const double bulge = (1 - c) * (c - 3) / (3 * s);
    const double px[4] = {R * c, R * (4 - c) / 3, R * (4 - c) / 3, R * c};
    const double py[4] = {-Dir * R * s, Dir * R * bulge, -Dir * R * bulge, Dir * R * s};
    const double turn = Mid * M_PI / 180.0;
    const double cm = std::cos(turn), sm = std::sin(turn);
    TRvRenderPDF::TArcSegment& segment = FRenderPDF.FArcPoints[K - 1];
    for (int i = 0; i < 4; ++i) {
        const double x = px[i] * cm - py[i] * sm;
        const double y = px[i] * sm + py[i] * cm;
        segment.X[i] = CX + x;
        segment.Y[i] = CY - y * YScale;
    }
}

void TRPPDFPage::PathPie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    if (!PathArc(false, false, X1, Y1, X2, Y2, X3, Y3, X4, Y4)) return;
    PathLineTo(true, (X1 + X2) / 2, (Y1 + Y2) / 2, true);
}

void TRPPDFPage::PathPolyline(std::span<const TPoint> Points, std::int32_t HighIndex) {
    const std::size_t count = std::min<std::size_t>(HighIndex < 0 ? 0 : static_cast<std::size_t>(HighIndex) + 1,
                                                    Points.size());
    if (count == 0) return;
    for (std::size_t i = 0; i < count; ++i) {
        PathLineTo(false, Points[i].X / 1248.0, Points[i].Y / 1248.0);
        if ((i + 1) % 4 == 0) Line("");
    }
    PaintPath();
}

void TRPPDFPage::PathPolygon(std::span<const TPoint> Points, std::int32_t HighIndex) {
    const std::size_t count = std::min<std::size_t>(HighIndex < 0 ? 0 : static_cast<std::size_t>(HighIndex) + 1,
                                                    Points.size());
    if (count == 0) return;
    for (std::size_t i = 0; i < count; ++i) PathLineTo(false, Points[i].X / 1248.0, Points[i].Y / 1248.0);
    PaintPath(true);
}

void TRPPDFPage::PlaceImage(const std::string& Name, double X1, double Y1, double X2, double Y2) {
    EndOpenPath();
    Line("q");
    Line(FormatPDF("%.4f 0 0 %.4f %.4f %.4f cm", {(X2 - X1) * 72.0, (Y2 - Y1) * 72.0, X1 * 72.0,
                                                   (FMediaHeight - Y2) * 72.0}));
    Line("/" + Name + " Do");
    Line("Q");
}

}  // namespace tal
