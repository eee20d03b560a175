#pragma once
// A page of the document: its page object, its content stream, and the
// routines that write graphics and text operators into that stream. The page
// keeps a cache of the graphics state already written (dash pattern, colours,
// line width, text colour) and writes an operator only when the wanted value
// differs from the cached one.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PdfByteArena.h"
#include "pdf/PdfObjects.h"
#include "platform/Geometry.h"
#include "platform/GraphicsObject.h"

namespace tal {

// The content object of a page: its stream starts with "2 J" (projecting
// square line caps). Its bytes are appended to the renderer's content arena;
// when the document is compressed they are deflated as soon as the page is
// done, and only the deflated bytes are kept.
class TRPPDFPageContent final : public TRPPDFObject {
public:
    explicit TRPPDFPageContent(TRpComponent& RenderPDF);
    ~TRPPDFPageContent() override;
    // The whole object into its buffer (the document writes the stream's
    // bytes from where they are instead).
    void WriteObject() override;

    void Append(std::string_view Text) { Arena().Append(Text); }
    // Room for Size bytes; Advance takes what was written up to End.
    char* Room(std::size_t Size) { return Arena().Room(Size); }
    void Advance(char* End) { Arena().Advance(End); }

    // The page is done: when the document is compressed its bytes are
    // encoded now (once; nothing may be appended after that).
    void Finish();
    // The stream's bytes as they go into the file, and their count.
    const std::vector<pdf::TByteSpan>& Pieces();
    std::size_t Size();
    // Writes the lines from "<<" to "stream" through the renderer.
    void WriteStreamHead();

private:
    pdf::TByteArena& Arena();

    std::vector<pdf::TByteSpan> FPieces;
    std::string FFilter;
    bool FFinished = false;
};

class TRPPDFPage final : public TRPPDFObject {
public:
    explicit TRPPDFPage(TRpComponent& RenderPDF);
    ~TRPPDFPage() override;
    void WriteObject() override;

    TRPPDFPageContent& Content() { return *FContent; }

    // Report space (inches from the top-left corner, y down) to PDF points
    // from the bottom-left corner, y up.
    double XToPoints(double X) const { return X * 72.0; }
    double YToPoints(double Y) const { return (FMediaHeight - Y) * 72.0; }

    // ---- graphics state ----
    void SyncGraphicsState();
    // Ends the path with the operator the pen and brush call for; Closed
    // shapes that only the pen paints are closed ("s"), and a path that
    // neither paints is ended with "n" so that nothing is left open.
    void PaintPath(bool Closed = false);
    // Ends a path that is still open with "n" (before a text object or a
    // saved graphics state, which may not start inside a path).
    void EndOpenPath();
    // Forgets every cached value, so that each is written again when used.
    void InvalidateState();

    // ---- paths ----
    void PathMoveTo(double X, double Y);
    void PathLineTo(bool Paint, double X, double Y, bool Closed = false);
    void PathCurveTo(double X1, double Y1, double X2, double Y2, double X3, double Y3);
    void PathRectangle(bool Clip, double X1, double Y1, double X2, double Y2);
    void PathEllipse(double X1, double Y1, double X2, double Y2);
    void PathRoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3);
    // Returns whether a path was written (equal angles give none).
    bool PathArc(bool Paint, bool CloseFill, double X1, double Y1, double X2, double Y2, double X3, double Y3,
                 double X4, double Y4);
    void PathPie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4);
    void PathPolyline(std::span<const TPoint> Points, std::int32_t HighIndex);
    void PathPolygon(std::span<const TPoint> Points, std::int32_t HighIndex);
    void PlaceImage(const std::string& Name, double X1, double Y1, double X2, double Y2);

    // ---- text ----
    void ShowText(const std::string& Text, double X, double Y);
    void ShowTextCentered(const std::string& Text, double X, double Y);
    void ShowTextRight(const std::string& Text, double X, double Y);
    void ShowTextClipped(const TRect& Rect, const std::string& Text, double X, double Y);
    void AlignAnchor(double& X, double& Y, double Dist) const;

    // ---- page size and colour state ----
    double FMediaWidth = 8.5;
    double FMediaHeight = 11.0;
    TColor FTextColor = 0;
    TColor FLastTextColor = 0;
    bool FTextColorValid = false;
    TColor FStrokeColor = 0;
    TColor FLastStrokeColor = 0;
    bool FStrokeColorValid = false;
    double FLastLineWidth = 0;
    bool FLineWidthValid = false;
    std::uint8_t FLastPenStyle = 0;
    bool FPenStyleValid = false;
    TColor FFillColor = 0xFFFFFF;
    TColor FLastFillColor = 0;
    bool FFillColorValid = false;
    // The pattern the fill was last set to; empty when it was a colour.
    std::string FLastFillPattern;

private:
    struct TEllipseFrame {
        double XMin, XMid, XMax, YMin, YMid, YMax, XMinus, XPlus, YMinus, YPlus;
    };
    TEllipseFrame EllipseFrame(double X1, double Y1, double X2, double Y2) const;
    // Builds the Bezier segments of the counter-clockwise sweep from A0 to
    // A1 degrees on the ellipse of radii RX and RY and writes them; returns
    // false (writing nothing) when the angles are equal.
    bool BuildArc(double CX, double CY, double RX, double RY, double A0, double A1);
    void ArcSegment(int K, double CX, double CY, double R, double YScale, double Mid, double Half, double Dir);
    void WriteTextColor();
    void Line(std::string_view text);
    void Text(std::string_view text);
    // Values in "%.4f" form with a blank between them, then Op (the
    // operator with the blanks and line end that go with it).
    void Numbers(std::initializer_list<double> Values, std::string_view Op);
    void Color(TColor Value, std::string_view Op);
    void MoveToPoint(double X, double Y);

    std::unique_ptr<TRPPDFPageContent> FContent;
    // Whether a path has been begun and not yet painted, and the last point
    // of the path (report space): a line needs a current point.
    bool FPathOpen = false;
    double FLastX = 0;
    double FLastY = 0;
};

}  // namespace tal
