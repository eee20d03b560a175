#pragma once
// The drawing half of the metafile player: a device context over a cairo
// context, with the operations records are made of (shapes, paths, text,
// bitmaps, clipping) in logical coordinates. The WMF and EMF readers turn
// records into these calls. Internal to the player.
#include <cairo.h>

#include <string>
#include <vector>

#include "platform/pictures/BlitSource.h"
#include "platform/pictures/MetafilePlayer.h"
#include "platform/pictures/MetafileState.h"
#include "platform/pictures/PictureBudget.h"

namespace tal::pictures {

struct TPointD {
    double X = 0, Y = 0;
};

class TMetafileCanvas {
public:
    // Every drawing operation charges the pixels it touches to budget.
    TMetafileCanvas(cairo_t* cr, const TDestRect& dest, double referenceScale, TPictureBudget& budget);
    ~TMetafileCanvas();
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

    TDeviceContext& Dc() { return FDc; }
    TPictureBudget& Budget() { return FBudget; }
    // The mapping from the metafile's device space to the destination.
    void SetDeviceToDest(const cairo_matrix_t& m) { FDeviceToDest = m; }
    // Windows metafiles map the window straight onto the destination.
    void SetWindowIsDevice(bool on) { FWindowIsDevice = on; }
    // Pixels per millimetre of the reference device, for the metric mapping modes.
    void SetDeviceResolution(double pixelsPerMmX, double pixelsPerMmY);

    // Device context stack.
    void SaveDc();
    void RestoreDc(int relative);

    // Lines and shapes; fill with the brush, outline with the pen.
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Polyline(const std::vector<TPointD>& points, bool fromCurrent, bool updateCurrent);
    void PolyBezier(const std::vector<TPointD>& points, bool fromCurrent, bool updateCurrent);
    void PolyPolygon(const std::vector<std::vector<TPointD>>& polygons, bool closed);
    void Rectangle(double l, double t, double r, double b);
    void RoundRect(double l, double t, double r, double b, double w, double h);
    void Ellipse(double l, double t, double r, double b);
    enum class TArcKind { Arc, ArcTo, Chord, Pie };
    void Arc(TArcKind kind, double l, double t, double r, double b, TPointD start, TPointD end);
    void AngleArc(double cx, double cy, double radius, double startDegrees, double sweepDegrees);
    void SetPixel(double x, double y, std::uint32_t color);
    // Fills rectangles with the brush (or colour) and no outline.
    void FillRegion(const TRegionObject& region, const TBrushObject& brush);
    // A blit without a source: PATCOPY, BLACKNESS, WHITENESS, DSTINVERT, PATINVERT.
    void PatBlt(double x, double y, double w, double h, std::uint32_t rop);
    // Draws image's part (sx, sy, sw, sh) (pixels, from its top) into the logical rectangle.
    // image is an RGB24 surface the call may change (inverting sources).
    void DrawImage(cairo_surface_t* image, double sx, double sy, double sw, double sh, double x, double y, double w,
                   double h, std::uint32_t rop);

    // Draws the part source of a DIB into the logical rectangle, decoding
    // no more of its pixels than the rectangle shows on the destination.
    void DrawDib(const TDibInfo& info, const TByteView& bits, const TSourceRect& source, double x, double y, double w,
                 double h, std::uint32_t rop);

    // Text at the reference point, in UTF-32; dx: logical advances or none.
    void Text(double x, double y, const std::u32string& text, const std::vector<double>& dx, std::uint32_t options,
              const TRegionObject::TRect* rect);

    // Paths.
    void BeginPath();
    void EndPath();
    void AbortPath();
    void CloseFigure();
    void FillPath(bool fill, bool stroke);
    void SelectClipPath(std::uint32_t mode);

    // Clipping; device rectangles are in the metafile's device units.
    void IntersectClip(double l, double t, double r, double b);
    void ExcludeClip(double l, double t, double r, double b);
    // A region in device units, or in logical units for Windows metafiles;
    // none with RGN_COPY removes the clipping.
    void SelectClipRegion(const TRegionObject* region, std::uint32_t mode, bool logicalUnits);

    // Colour of a COLORREF, palette indexes resolved.
    void SetSourceColor(std::uint32_t colorRef);
    std::uint32_t ResolveColor(std::uint32_t colorRef) const;

private:
    bool Logical();  // takes the logical-to-destination matrix; false when it cannot be used
    void Map(double& x, double& y) const;
    void MoveToL(double x, double y);
    void LineToL(double x, double y);
    void CurveToL(double x1, double y1, double x2, double y2, double x3, double y3);
    void RectangleL(double x, double y, double w, double h);
    cairo_matrix_t LogicalMatrix() const;
    void Device();
    bool Drawing() const { return !FInPath; }
    void Finish(bool fill, bool stroke);  // fills and/or strokes the built path, unless in a path bracket
    bool SetBrushSource(const TBrushObject& brush);
    bool SetPenStroke();
    void AddArc(double cx, double cy, double rx, double ry, double t0, double sweep, bool connect);
    double ArcSign() const;
    void ResetClip();
    void ApplyRop2(bool begin);
    // Sets an operator that reads the destination (see the definition).
    void SetReadingOperator(cairo_operator_t op);
    // Pixels of the destination inside the clip; the area of the path being
    // filled, or of a stroke of the current line width, inside it.
    double ClipArea() const;
    void ChargeFill();
    void ChargeStroke();

    cairo_t* FCr;
    TPictureBudget& FBudget;
    TDestRect FDest;
    double FReferenceScale;  // destination pixels per reference-screen pixel
    cairo_matrix_t FDeviceToDest{1, 0, 0, 1, 0, 0};
    cairo_matrix_t FMatrix{1, 0, 0, 1, 0, 0};  // maps the coordinates of the path being built
    bool FWindowIsDevice = false;
    double FPixelsPerMmX = 96 / 25.4, FPixelsPerMmY = 96 / 25.4;
    TDeviceContext FDc;
    std::vector<TDeviceContext> FSaved;
    bool FInPath = false;
    bool FHavePath = false;
    int FCairoSaves = 0;
    bool FUnderIsWhite = false;
};

// Text helpers shared by the readers.
std::u32string DecodeAnsi(const std::uint8_t* bytes, std::size_t count, std::uint8_t charset);
std::u32string DecodeUtf16(const std::uint8_t* bytes, std::size_t count);
std::string ToUtf8(const std::u32string& text);

}  // namespace tal::pictures
