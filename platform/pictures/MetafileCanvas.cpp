#include "platform/pictures/MetafileCanvas.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "platform/CodePage.h"
#include "platform/pictures/Cairo.h"

namespace tal::pictures {

namespace {

constexpr double Pi = std::numbers::pi;
constexpr std::size_t MaxSavedStates = 1024;

// cairo refuses singular matrices by putting the context into a lasting error
// state, so every matrix is checked before it is set.
bool Usable(const cairo_matrix_t& m) {
    for (double v : {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0})
        if (!std::isfinite(v) || std::fabs(v) > 1e9) return false;
    const double det = m.xx * m.yy - m.xy * m.yx;
    return std::isfinite(det) && std::fabs(det) > 1e-12;
}

double Determinant(const cairo_matrix_t& m) { return m.xx * m.yy - m.xy * m.yx; }

void Multiply(cairo_matrix_t& result, const cairo_matrix_t& first, const cairo_matrix_t& then) {
    cairo_matrix_t r;
    cairo_matrix_multiply(&r, &first, &then);
    result = r;
}

// Keeps the path being built across an operation that consumes cairo's path.
class TPathKeeper {
public:
    TPathKeeper(cairo_t* cr, bool keep) : FCr(cr) {
        if (!keep) return;
        cairo_matrix_t saved;
        cairo_get_matrix(FCr, &saved);
        cairo_identity_matrix(FCr);
        FPath = cairo_copy_path(FCr);
        cairo_set_matrix(FCr, &saved);
    }
    ~TPathKeeper() {
        if (!FPath) return;
        cairo_matrix_t saved;
        cairo_get_matrix(FCr, &saved);
        cairo_identity_matrix(FCr);
        cairo_new_path(FCr);
        if (FPath->status == CAIRO_STATUS_SUCCESS) cairo_append_path(FCr, FPath);
        cairo_path_destroy(FPath);
        cairo_set_matrix(FCr, &saved);
    }
    TPathKeeper(const TPathKeeper&) = delete;
    TPathKeeper& operator=(const TPathKeeper&) = delete;

private:
    cairo_t* FCr;
    cairo_path_t* FPath = nullptr;
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One 8 x 8 hatch cell in the brush colour over the background (or nothing).
TCairoSurface HatchSurface(std::uint32_t hatch, std::uint32_t color, bool opaque, std::uint32_t background) {
    TCairoSurface s = NewSurface(CAIRO_FORMAT_ARGB32, 8, 8);
    cairo_surface_flush(s.get());
    auto argb = [](std::uint32_t c) {
        return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    };
    unsigned char* data = cairo_image_surface_get_data(s.get());
    const int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool on = false;
            switch (hatch) {
                case HS_HORIZONTAL: on = y == 4; break;
                case HS_VERTICAL: on = x == 4; break;
                case HS_FDIAGONAL: on = x == y; break;
                case HS_BDIAGONAL: on = x == 7 - y; break;
                case HS_CROSS: on = x == 4 || y == 4; break;
                case HS_DIAGCROSS: on = x == y || x == 7 - y; break;
                default: on = false;
            }
            reinterpret_cast<std::uint32_t*>(data + y * stride)[x] = on ? argb(color) : (opaque ? argb(background) : 0);
        }
    cairo_surface_mark_dirty(s.get());
    return s;
}

// Length of the current path's control polygon in device units: an upper
// bound of the length cairo strokes.
double PathLength(cairo_t* cr) {
    cairo_matrix_t saved;
    cairo_get_matrix(cr, &saved);
    cairo_identity_matrix(cr);
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_set_matrix(cr, &saved);
    double length = 0, x = 0, y = 0;
    for (int i = 0; path->status == CAIRO_STATUS_SUCCESS && i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t* d = &path->data[i];
        const int points = d->header.type == CAIRO_PATH_CURVE_TO ? 3 : d->header.type == CAIRO_PATH_CLOSE_PATH ? 0 : 1;
        for (int k = 1; k <= points; ++k) {
            if (d->header.type != CAIRO_PATH_MOVE_TO) length += std::hypot(d[k].point.x - x, d[k].point.y - y);
            x = d[k].point.x;
            y = d[k].point.y;
        }
    }
    cairo_path_destroy(path);
    return length;
}

}  // namespace

std::u32string DecodeAnsi(const std::uint8_t* bytes, std::size_t count, std::uint8_t charset) {
    std::u32string text;
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        text += charset == 2 ? static_cast<char32_t>(bytes[i]) : Windows1252ToUnicode(bytes[i]);
    return text;
}

std::string ToUtf8(const std::u32string& text) {
    std::string out;
    for (char32_t c : text) AppendUtf8(out, c);
    return out;
}

std::u32string DecodeUtf16(const std::uint8_t* bytes, std::size_t count) {
    std::u32string text;
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = bytes[2 * i] | (bytes[2 * i + 1] << 8);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const char32_t low = bytes[2 * i + 2] | (bytes[2 * i + 3] << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;  // a lone surrogate
        text += c;
    }
    return text;
}

TMetafileCanvas::TMetafileCanvas(cairo_t* cr, const TDestRect& dest, double referenceScale, TPictureBudget& budget)
    : FCr(cr), FBudget(budget), FDest(dest), FReferenceScale(referenceScale > 0 && std::isfinite(referenceScale) ? referenceScale : 1) {
    cairo_save(FCr);
    cairo_new_path(FCr);
    cairo_rectangle(FCr, dest.Left, dest.Top, dest.Width, dest.Height);
    cairo_clip(FCr);
    cairo_set_miter_limit(FCr, 10);
}

TMetafileCanvas::~TMetafileCanvas() {
    for (; FCairoSaves > 0; --FCairoSaves) cairo_restore(FCr);
    cairo_new_path(FCr);
    cairo_restore(FCr);
}

void TMetafileCanvas::SetDeviceResolution(double pixelsPerMmX, double pixelsPerMmY) {
    if (pixelsPerMmX > 0 && pixelsPerMmY > 0 && std::isfinite(pixelsPerMmX) && std::isfinite(pixelsPerMmY)) {
        FPixelsPerMmX = pixelsPerMmX;
        FPixelsPerMmY = pixelsPerMmY;
    }
}

cairo_matrix_t TMetafileCanvas::LogicalMatrix() const {
    const TDeviceContext& dc = FDc;
    cairo_matrix_t m;
    if (FWindowIsDevice) {
        // Windows metafiles: the window is mapped onto the destination rectangle.
        const double sx = FDest.Width / dc.WindowExtX, sy = FDest.Height / dc.WindowExtY;
        cairo_matrix_init(&m, sx, 0, 0, sy, FDest.Left - dc.WindowOrgX * sx, FDest.Top - dc.WindowOrgY * sy);
        return m;
    }
    double sx = 1, sy = 1;
    auto metric = [&](double unitsPerMm) {
        sx = FPixelsPerMmX / unitsPerMm;
        sy = -FPixelsPerMmY / unitsPerMm;
    };
    switch (dc.MapMode) {
        case MM_LOMETRIC: metric(10); break;
        case MM_HIMETRIC: metric(100); break;
        case MM_LOENGLISH: metric(100 / 25.4); break;
        case MM_HIENGLISH: metric(1000 / 25.4); break;
        case MM_TWIPS: metric(1440 / 25.4); break;
        case MM_ISOTROPIC:
        case MM_ANISOTROPIC:
            sx = dc.ViewportExtX / dc.WindowExtX;
            sy = dc.ViewportExtY / dc.WindowExtY;
            if (dc.MapMode == MM_ISOTROPIC) {
                const double s = std::min(std::fabs(sx), std::fabs(sy));
                sx = std::copysign(s, sx);
                sy = std::copysign(s, sy);
            }
            break;
        default: break;
    }
    cairo_matrix_t page;
    cairo_matrix_init(&page, sx, 0, 0, sy, dc.ViewportOrgX - dc.WindowOrgX * sx, dc.ViewportOrgY - dc.WindowOrgY * sy);
    m = dc.World;
    Multiply(m, m, page);
    Multiply(m, m, FDeviceToDest);
    return m;
}

bool TMetafileCanvas::Logical() {
    FMatrix = LogicalMatrix();
    return Usable(FMatrix);
}

// Paths are built in destination pixels: points are mapped here and held to
// a range cairo's fixed-point geometry takes safely, so that absurd
// coordinates cannot overflow it.
void TMetafileCanvas::Map(double& x, double& y) const {
    constexpr double limit = 1 << 21;
    cairo_matrix_transform_point(&FMatrix, &x, &y);
    x = std::isfinite(x) ? std::clamp(x, -limit, limit) : 0;
    y = std::isfinite(y) ? std::clamp(y, -limit, limit) : 0;
}

void TMetafileCanvas::MoveToL(double x, double y) {
    Map(x, y);
    cairo_move_to(FCr, x, y);
}

void TMetafileCanvas::LineToL(double x, double y) {
    Map(x, y);
    cairo_line_to(FCr, x, y);
}

void TMetafileCanvas::CurveToL(double x1, double y1, double x2, double y2, double x3, double y3) {
    Map(x1, y1);
    Map(x2, y2);
    Map(x3, y3);
    cairo_curve_to(FCr, x1, y1, x2, y2, x3, y3);
}

void TMetafileCanvas::RectangleL(double x, double y, double w, double h) {
    MoveToL(x, y);
    LineToL(x + w, y);
    LineToL(x + w, y + h);
    LineToL(x, y + h);
    cairo_close_path(FCr);
}

void TMetafileCanvas::Device() { cairo_identity_matrix(FCr); }

std::uint32_t TMetafileCanvas::ResolveColor(std::uint32_t colorRef) const {
    if ((colorRef >> 24) == 1) {
        const std::uint32_t index = colorRef & 0xFFFF;
        if (index >= FDc.Palette.size()) return 0;
        const std::uint32_t rgb = FDc.Palette[index];
        return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    }
    return colorRef & 0xFFFFFF;
}

void TMetafileCanvas::SetSourceColor(std::uint32_t colorRef) {
    const std::uint32_t c = ResolveColor(colorRef);
    cairo_set_source_rgb(FCr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

bool TMetafileCanvas::SetBrushSource(const TBrushObject& brush) {
    TCairoSurface hatch;
    cairo_surface_t* surface = nullptr;
    switch (brush.Style) {
        case BS_NULL: return false;
        case BS_HATCHED:
            hatch = HatchSurface(brush.Hatch, ResolveColor(brush.Color), FDc.BkMode == OPAQUE, ResolveColor(FDc.BkColor));
            surface = hatch.get();
            break;
        case BS_PATTERN:
        case BS_DIBPATTERN:
        case BS_DIBPATTERNPT:
            // The tile was decoded once, when the brush was made; it repeats.
            surface = brush.Pattern.get();
            break;
        default: break;
    }
    if (!surface) {
        SetSourceColor(brush.Color);
        return true;
    }
    TCairoPattern pattern(cairo_pattern_create_for_surface(surface));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    // Pattern cells keep their size in reference-screen pixels.
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, 1 / FReferenceScale, 1 / FReferenceScale);
    cairo_pattern_set_matrix(pattern.get(), &m);
    cairo_set_source(FCr, pattern.get());
    return true;
}

bool TMetafileCanvas::SetPenStroke() {
    const TPenObject& pen = FDc.Pen;
    const std::uint32_t style = pen.Style & PS_STYLE_MASK;
    if (style == PS_NULL) return false;
    const cairo_matrix_t m = LogicalMatrix();
    const double logicalScale = std::sqrt(std::fabs(Determinant(m)));
    // A pen thinner than a pixel of the screen the picture was made for is
    // drawn that wide, and never thinner than a pixel of the raster: hairlines
    // keep their ink when the picture is drawn at a printer's resolution and
    // shown at a screen's.
    const double least = std::max(1.0, FReferenceScale);
    double width = pen.Width * logicalScale;
    if (!std::isfinite(width) || width < least) width = least;
    width = std::min(width, 1e5);
    SetSourceColor(pen.Color);
    cairo_set_line_width(FCr, width);
    cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
    cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
    if (pen.Style & PS_GEOMETRIC) {
        const std::uint32_t c = pen.Style & PS_ENDCAP_MASK, j = pen.Style & PS_JOIN_MASK;
        cap = c == PS_ENDCAP_SQUARE ? CAIRO_LINE_CAP_SQUARE : c == PS_ENDCAP_FLAT ? CAIRO_LINE_CAP_BUTT : cap;
        join = j == PS_JOIN_BEVEL ? CAIRO_LINE_JOIN_BEVEL : j == PS_JOIN_MITER ? CAIRO_LINE_JOIN_MITER : join;
    }
    // Thin pens dash in reference-screen pixels, wide ones in multiples of
    // their width; a geometric pen's own dashes are logical lengths.
    const bool thin = width <= 1.5 * FReferenceScale;
    const bool logicalDashes = style == PS_USERSTYLE && (pen.Style & PS_GEOMETRIC);
    const double unit = logicalDashes ? logicalScale : thin ? FReferenceScale : width;
    std::vector<double> dashes = style == PS_USERSTYLE ? pen.Dashes : StockDashPattern(style, thin);
    double total = 0;
    for (double& d : dashes) {
        d = std::clamp(d * unit, 0.0, 1e6);
        total += d;
    }
    // A pattern far finer than the path is long would cost millions of dash
    // segments; such a line is drawn solid.
    if (total > 0 && PathLength(FCr) / total > 100000) total = 0;
    if (total > 0) {
        cairo_set_dash(FCr, dashes.data(), static_cast<int>(dashes.size()), 0);
        if (thin) cap = CAIRO_LINE_CAP_BUTT;
    } else {
        cairo_set_dash(FCr, nullptr, 0, 0);
    }
    cairo_set_line_cap(FCr, cap);
    cairo_set_line_join(FCr, join);
    return true;
}

// Drawing onto a transparent raster, so that what the picture leaves
// untouched can stay transparent: an operation that combines its colour with
// the page's means the white of a new bitmap there, so the untouched pixels
// become that white (and the picture opaque) before the first of them. On an
// opaque raster this changes nothing.
void TMetafileCanvas::SetReadingOperator(cairo_operator_t op) {
    if (!FUnderIsWhite) {
        FUnderIsWhite = true;
        // The shape about to be drawn is the current path: it is kept.
        const std::unique_ptr<cairo_path_t, decltype(&cairo_path_destroy)> shape(cairo_copy_path(FCr),
                                                                                 &cairo_path_destroy);
        cairo_save(FCr);
        cairo_reset_clip(FCr);
        cairo_identity_matrix(FCr);
        cairo_new_path(FCr);
        cairo_rectangle(FCr, FDest.Left, FDest.Top, FDest.Width, FDest.Height);
        cairo_set_operator(FCr, CAIRO_OPERATOR_DEST_OVER);
        cairo_set_source_rgb(FCr, 1, 1, 1);
        cairo_fill(FCr);
        cairo_restore(FCr);
        cairo_new_path(FCr);
        if (shape->status == CAIRO_STATUS_SUCCESS) cairo_append_path(FCr, shape.get());
    }
    cairo_set_operator(FCr, op);
}

void TMetafileCanvas::ApplyRop2(bool begin) {
    if (!begin) {
        cairo_set_operator(FCr, CAIRO_OPERATOR_OVER);
        return;
    }
    switch (FDc.Rop2) {
        case 1: cairo_set_source_rgb(FCr, 0, 0, 0); break;   // R2_BLACK
        case 16: cairo_set_source_rgb(FCr, 1, 1, 1); break;  // R2_WHITE
        case 6:                                              // R2_NOT
            cairo_set_source_rgb(FCr, 1, 1, 1);
            SetReadingOperator(CAIRO_OPERATOR_DIFFERENCE);
            break;
        case 7:
        case 10: SetReadingOperator(CAIRO_OPERATOR_DIFFERENCE); break;  // R2_XORPEN, R2_NOTXORPEN
        case 9: SetReadingOperator(CAIRO_OPERATOR_MULTIPLY); break;     // R2_MASKPEN
        case 15: SetReadingOperator(CAIRO_OPERATOR_LIGHTEN); break;     // R2_MERGEPEN
        default: break;
    }
}

double TMetafileCanvas::ClipArea() const {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(FCr, &x1, &y1, &x2, &y2);
    return std::max(0.0, x2 - x1) * std::max(0.0, y2 - y1);
}

// Both are called in device space (identity matrix), where the extents are
// destination pixels.
void TMetafileCanvas::ChargeFill() {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, cx1 = 0, cy1 = 0, cx2 = 0, cy2 = 0;
    cairo_fill_extents(FCr, &x1, &y1, &x2, &y2);
    cairo_clip_extents(FCr, &cx1, &cy1, &cx2, &cy2);
    const double w = std::min(x2, cx2) - std::max(x1, cx1), h = std::min(y2, cy2) - std::max(y1, cy1);
    FBudget.Charge(w > 0 && h > 0 ? w * h : 0);
}

void TMetafileCanvas::ChargeStroke() {
    const double width = cairo_get_line_width(FCr) + 1;
    FBudget.Charge(std::min(PathLength(FCr) * width + width * width, ClipArea()));
}

void TMetafileCanvas::Finish(bool fill, bool stroke) {
    if (FInPath) return;
    if (FDc.Rop2 == 11) {  // R2_NOP
        cairo_new_path(FCr);
        return;
    }
    Device();
    cairo_set_fill_rule(FCr, FDc.PolyFillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    if (fill && SetBrushSource(FDc.Brush)) {
        ChargeFill();
        ApplyRop2(true);
        cairo_fill_preserve(FCr);
        ApplyRop2(false);
    }
    if (stroke && SetPenStroke()) {
        ChargeStroke();
        ApplyRop2(true);
        cairo_stroke_preserve(FCr);
        ApplyRop2(false);
    }
    cairo_new_path(FCr);
}

void TMetafileCanvas::SaveDc() {
    if (FSaved.size() >= MaxSavedStates) return;
    FSaved.push_back(FDc);
    cairo_save(FCr);
    ++FCairoSaves;
}

void TMetafileCanvas::RestoreDc(int relative) {
    const std::int64_t depth = static_cast<std::int64_t>(FSaved.size());
    // Negative: that many levels back; positive: the state saved as number n.
    const std::int64_t count = relative < 0 ? -static_cast<std::int64_t>(relative) : depth - relative + 1;
    if (count <= 0 || count > depth) return;
    FDc = FSaved[static_cast<std::size_t>(depth - count)];
    FSaved.resize(static_cast<std::size_t>(depth - count));
    for (std::int64_t i = 0; i < count; ++i) cairo_restore(FCr);
    FCairoSaves -= static_cast<int>(count);
}

void TMetafileCanvas::MoveTo(double x, double y) {
    FDc.CurrentX = x;
    FDc.CurrentY = y;
    if (FInPath && Logical()) MoveToL(x, y);
}

void TMetafileCanvas::LineTo(double x, double y) {
    if (Logical()) {
        if (Drawing()) cairo_new_path(FCr);
        if (Drawing() || !cairo_has_current_point(FCr)) MoveToL(FDc.CurrentX, FDc.CurrentY);
        LineToL(x, y);
        Finish(false, true);
    }
    FDc.CurrentX = x;
    FDc.CurrentY = y;
}

void TMetafileCanvas::Polyline(const std::vector<TPointD>& points, bool fromCurrent, bool updateCurrent) {
    if (points.empty()) return;
    if (Logical()) {
        if (Drawing()) cairo_new_path(FCr);
        std::size_t first = 0;
        if (fromCurrent) {
            if (Drawing() || !cairo_has_current_point(FCr)) MoveToL(FDc.CurrentX, FDc.CurrentY);
        } else {
            MoveToL(points[0].X, points[0].Y);
            first = 1;
        }
        for (std::size_t i = first; i < points.size(); ++i) LineToL(points[i].X, points[i].Y);
        Finish(false, true);
    }
    if (updateCurrent) {
        FDc.CurrentX = points.back().X;
        FDc.CurrentY = points.back().Y;
    }
}

void TMetafileCanvas::PolyBezier(const std::vector<TPointD>& points, bool fromCurrent, bool updateCurrent) {
    if (points.empty()) return;
    if (Logical()) {
        if (Drawing()) cairo_new_path(FCr);
        std::size_t i = 0;
        if (fromCurrent) {
            if (Drawing() || !cairo_has_current_point(FCr)) MoveToL(FDc.CurrentX, FDc.CurrentY);
        } else {
            MoveToL(points[0].X, points[0].Y);
            i = 1;
        }
        for (; i + 3 <= points.size(); i += 3)
            CurveToL(points[i].X, points[i].Y, points[i + 1].X, points[i + 1].Y, points[i + 2].X,
                           points[i + 2].Y);
        Finish(false, true);
    }
    if (updateCurrent) {
        FDc.CurrentX = points.back().X;
        FDc.CurrentY = points.back().Y;
    }
}

void TMetafileCanvas::PolyPolygon(const std::vector<std::vector<TPointD>>& polygons, bool closed) {
    if (!Logical()) return;
    if (Drawing()) cairo_new_path(FCr);
    for (const auto& polygon : polygons) {
        if (polygon.empty()) continue;
        MoveToL(polygon[0].X, polygon[0].Y);
        for (std::size_t i = 1; i < polygon.size(); ++i) LineToL(polygon[i].X, polygon[i].Y);
        if (closed) cairo_close_path(FCr);
    }
    Finish(closed, true);
}

void TMetafileCanvas::Rectangle(double l, double t, double r, double b) {
    if (!Logical()) return;
    if (Drawing()) cairo_new_path(FCr);
    MoveToL(l, t);
    LineToL(r, t);
    LineToL(r, b);
    LineToL(l, b);
    cairo_close_path(FCr);
    Finish(true, true);
}

// Elliptic arc of centre (cx, cy) and radii (rx, ry) from parameter t0 over
// sweep radians, as cubic Béziers of at most a quarter turn each.
void TMetafileCanvas::AddArc(double cx, double cy, double rx, double ry, double t0, double sweep, bool connect) {
    auto point = [&](double t) { return TPointD{cx + rx * std::cos(t), cy + ry * std::sin(t)}; };
    const TPointD start = point(t0);
    if (connect && cairo_has_current_point(FCr))
        LineToL(start.X, start.Y);
    else
        MoveToL(start.X, start.Y);
    const int segments = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (Pi / 2) - 1e-9)));
    const double step = sweep / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        const double a = t0 + i * step, b = a + step;
        const TPointD p0 = point(a), p3 = point(b);
        CurveToL(p0.X - k * rx * std::sin(a), p0.Y + k * ry * std::cos(a), p3.X + k * rx * std::sin(b),
                       p3.Y - k * ry * std::cos(b), p3.X, p3.Y);
    }
}

void TMetafileCanvas::RoundRect(double l, double t, double r, double b, double w, double h) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    const double rx = std::min(std::fabs(w) / 2, (r - l) / 2), ry = std::min(std::fabs(h) / 2, (b - t) / 2);
    if (rx <= 0 || ry <= 0) return Rectangle(l, t, r, b);
    if (!Logical()) return;
    if (Drawing()) cairo_new_path(FCr);
    cairo_new_sub_path(FCr);
    AddArc(r - rx, t + ry, rx, ry, -Pi / 2, Pi / 2, true);
    AddArc(r - rx, b - ry, rx, ry, 0, Pi / 2, true);
    AddArc(l + rx, b - ry, rx, ry, Pi / 2, Pi / 2, true);
    AddArc(l + rx, t + ry, rx, ry, Pi, Pi / 2, true);
    cairo_close_path(FCr);
    Finish(true, true);
}

void TMetafileCanvas::Ellipse(double l, double t, double r, double b) {
    const double rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
    if (rx == 0 || ry == 0 || !Logical()) return;
    if (Drawing()) cairo_new_path(FCr);
    cairo_new_sub_path(FCr);
    AddArc((l + r) / 2, (t + b) / 2, rx, ry, 0, 2 * Pi, false);
    cairo_close_path(FCr);
    Finish(true, true);
}

// +1 when arcs run towards growing angles in logical space, -1 otherwise.
// Counter-clockwise is meant as seen on the page, where y grows downwards.
double TMetafileCanvas::ArcSign() const {
    const double sign = FDc.ArcDirection == AD_CLOCKWISE ? 1 : -1;
    return Determinant(LogicalMatrix()) < 0 ? -sign : sign;
}

void TMetafileCanvas::Arc(TArcKind kind, double l, double t, double r, double b, TPointD start, TPointD end) {
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
    if (rx == 0 || ry == 0 || !Logical()) return;
    const double a0 = std::atan2((start.Y - cy) / ry, (start.X - cx) / rx);
    const double a1 = std::atan2((end.Y - cy) / ry, (end.X - cx) / rx);
    double sweep = a1 - a0;
    if (ArcSign() > 0) {
        if (sweep <= 0) sweep += 2 * Pi;
    } else {
        if (sweep >= 0) sweep -= 2 * Pi;
    }
    if (Drawing()) cairo_new_path(FCr);
    switch (kind) {
        case TArcKind::Arc:
            AddArc(cx, cy, rx, ry, a0, sweep, false);
            Finish(false, true);
            break;
        case TArcKind::ArcTo:
            if (Drawing() || !cairo_has_current_point(FCr)) MoveToL(FDc.CurrentX, FDc.CurrentY);
            AddArc(cx, cy, rx, ry, a0, sweep, true);
            Finish(false, true);
            FDc.CurrentX = cx + rx * std::cos(a0 + sweep);
            FDc.CurrentY = cy + ry * std::sin(a0 + sweep);
            break;
        case TArcKind::Chord:
            AddArc(cx, cy, rx, ry, a0, sweep, false);
            cairo_close_path(FCr);
            Finish(true, true);
            break;
        case TArcKind::Pie:
            MoveToL(cx, cy);
            AddArc(cx, cy, rx, ry, a0, sweep, true);
            cairo_close_path(FCr);
            Finish(true, true);
            break;
    }
}

void TMetafileCanvas::AngleArc(double cx, double cy, double radius, double startDegrees, double sweepDegrees) {
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees) || radius <= 0 || !Logical()) return;
    // Angles count counter-clockwise on the page: against growing y.
    const double t0 = -startDegrees * Pi / 180;
    const double sweep = -std::clamp(sweepDegrees, -360.0, 360.0) * Pi / 180;
    if (Drawing()) cairo_new_path(FCr);
    if (Drawing() || !cairo_has_current_point(FCr)) MoveToL(FDc.CurrentX, FDc.CurrentY);
    AddArc(cx, cy, radius, radius, t0, sweep, true);
    Finish(false, true);
    FDc.CurrentX = cx + radius * std::cos(t0 + sweep);
    FDc.CurrentY = cy + radius * std::sin(t0 + sweep);
}

void TMetafileCanvas::SetPixel(double x, double y, std::uint32_t color) {
    if (!Drawing() || !Logical()) return;
    Map(x, y);
    Device();
    cairo_new_path(FCr);
    cairo_rectangle(FCr, std::floor(x), std::floor(y), std::max(1.0, FReferenceScale), std::max(1.0, FReferenceScale));
    ChargeFill();
    SetSourceColor(color);
    cairo_fill(FCr);
}

void TMetafileCanvas::FillRegion(const TRegionObject& region, const TBrushObject& brush) {
    if (!Drawing() || !Logical()) return;
    cairo_new_path(FCr);
    for (const auto& r : region.Rects) RectangleL(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    Device();
    cairo_set_fill_rule(FCr, CAIRO_FILL_RULE_WINDING);
    if (SetBrushSource(brush)) {
        ChargeFill();
        cairo_fill(FCr);
    }
    cairo_new_path(FCr);
}

void TMetafileCanvas::PatBlt(double x, double y, double w, double h, std::uint32_t rop) {
    if (!Drawing() || !Logical()) return;
    cairo_new_path(FCr);
    RectangleL(x, y, w, h);
    Device();
    bool paint = true;
    switch (rop) {
        case BLACKNESS: cairo_set_source_rgb(FCr, 0, 0, 0); break;
        case WHITENESS: cairo_set_source_rgb(FCr, 1, 1, 1); break;
        case DSTINVERT:
            cairo_set_source_rgb(FCr, 1, 1, 1);
            SetReadingOperator(CAIRO_OPERATOR_DIFFERENCE);
            break;
        case PATINVERT:
            paint = SetBrushSource(FDc.Brush);
            SetReadingOperator(CAIRO_OPERATOR_DIFFERENCE);
            break;
        default: paint = SetBrushSource(FDc.Brush); break;
    }
    if (paint) {
        ChargeFill();
        cairo_fill(FCr);
    }
    cairo_set_operator(FCr, CAIRO_OPERATOR_OVER);
    cairo_new_path(FCr);
}

void TMetafileCanvas::DrawImage(cairo_surface_t* image, double sx, double sy, double sw, double sh, double x, double y,
                                double w, double h, std::uint32_t rop) {
    if (rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT || rop == PATCOPY || rop == PATINVERT)
        return PatBlt(x, y, w, h, rop);
    const int width = image ? cairo_image_surface_get_width(image) : 0;
    const int height = image ? cairo_image_surface_get_height(image) : 0;
    if (width <= 0 || height <= 0 || sw == 0 || sh == 0 || w == 0 || h == 0 || !Drawing() || !Logical()) return;
    for (double v : {sx, sy, sw, sh, x, y, w, h})
        if (!std::isfinite(v) || std::fabs(v) > 1e9) return;
    // A filtered reduction reads every source pixel once more; the
    // destination area is charged below.
    FBudget.Charge(static_cast<double>(width) * height);
    if (rop == NOTSRCCOPY || rop == NOTSRCERASE) {
        cairo_surface_flush(image);
        unsigned char* data = cairo_image_surface_get_data(image);
        const int stride = cairo_image_surface_get_stride(image);
        for (int row = 0; row < height; ++row) {
            auto* p = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(row) * stride);
            for (int i = 0; i < width; ++i) p[i] ^= 0x00FFFFFF;
        }
        cairo_surface_mark_dirty(image);
    }
    TCairoPattern pattern(cairo_pattern_create_for_surface(image));
    // Destination pixels to logical units to image pixels.
    cairo_matrix_t toImage, fromDest = FMatrix, m;
    cairo_matrix_init(&toImage, sw / w, 0, 0, sh / h, sx - x * sw / w, sy - y * sh / h);
    if (cairo_matrix_invert(&fromDest) != CAIRO_STATUS_SUCCESS) return;
    cairo_matrix_multiply(&m, &fromDest, &toImage);
    if (!Usable(toImage) || !Usable(m)) return;
    cairo_pattern_set_matrix(pattern.get(), &m);
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
    double dw = w, dh = h;
    cairo_matrix_transform_distance(&FMatrix, &dw, &dh);
    const bool enlarging = std::fabs(dw) >= std::fabs(sw) && std::fabs(dh) >= std::fabs(sh);
    cairo_pattern_set_filter(pattern.get(), enlarging ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_new_path(FCr);
    RectangleL(x, y, w, h);
    ChargeFill();
    cairo_set_source(FCr, pattern.get());
    switch (rop) {
        case SRCAND: SetReadingOperator(CAIRO_OPERATOR_MULTIPLY); break;
        case SRCPAINT: SetReadingOperator(CAIRO_OPERATOR_LIGHTEN); break;
        case SRCINVERT: SetReadingOperator(CAIRO_OPERATOR_DIFFERENCE); break;
        default: break;
    }
    cairo_fill(FCr);
    cairo_set_operator(FCr, CAIRO_OPERATOR_OVER);
    cairo_new_path(FCr);
}

void TMetafileCanvas::DrawDib(const TDibInfo& info, const TByteView& bits, const TSourceRect& source, double x,
                              double y, double w, double h, std::uint32_t rop) {
    if (rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT || rop == PATCOPY || rop == PATINVERT)
        return PatBlt(x, y, w, h, rop);
    if (source.Width == 0 || source.Height == 0 || w == 0 || h == 0 || !Drawing() || !Logical()) return;
    for (double v : {source.X, source.Y, source.Width, source.Height, x, y, w, h})
        if (!std::isfinite(v) || std::fabs(v) > 1e9) return;
    // Every pixel is decoded, whatever part of them is kept.
    FBudget.Charge(static_cast<double>(info.Width) * info.Height);
    double wx = w, wy = 0, hx = 0, hy = h;
    cairo_matrix_transform_distance(&FMatrix, &wx, &wy);
    cairo_matrix_transform_distance(&FMatrix, &hx, &hy);
    const TBlitSource blit = DecodeBlitSource(info, bits, source, std::hypot(wx, wy), std::hypot(hx, hy));
    const TSourceRect read = blit.OnSurface(source);
    DrawImage(blit.Pixels.get(), read.X, read.Y, read.Width, read.Height, x, y, w, h, rop);
}

void TMetafileCanvas::Text(double x, double y, const std::u32string& text, const std::vector<double>& dx,
                           std::uint32_t options, const TRegionObject::TRect* rect) {
    if (!Drawing() || !Logical()) return;
    const bool updateCp = (FDc.TextAlign & TA_UPDATECP) != 0;
    if (updateCp) {
        x = FDc.CurrentX;
        y = FDc.CurrentY;
    }
    const cairo_matrix_t m = LogicalMatrix();
    const double xScale = std::hypot(m.xx, m.yx), yScale = std::hypot(m.xy, m.yy);
    cairo_save(FCr);
    if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
        cairo_new_path(FCr);
        RectangleL(rect->Left, rect->Top, rect->Right - rect->Left, rect->Bottom - rect->Top);
        if (options & ETO_OPAQUE) {
            Device();
            SetSourceColor(FDc.BkColor);
            cairo_fill_preserve(FCr);
        }
        if (options & ETO_CLIPPED) cairo_clip(FCr);
        cairo_new_path(FCr);
    }
    double px = x, py = y;
    Map(px, py);
    const TFontObject& font = FDc.Font;
    cairo_select_font_face(FCr, font.Face.empty() ? "Arial" : font.Face.c_str(),
                           font.Italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           font.Weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    double em = font.Height == 0 ? 12 * FReferenceScale : std::fabs(font.Height) * yScale;
    if (font.Height > 0) {
        // A positive height is the cell (ascent + descent), not the em.
        cairo_set_font_size(FCr, 100);
        cairo_font_extents_t fe;
        cairo_font_extents(FCr, &fe);
        if (fe.ascent + fe.descent > 0) em *= 100 / (fe.ascent + fe.descent);
    }
    if (!std::isfinite(em) || em < 0.05 || em > 1e5 || !std::isfinite(px) || !std::isfinite(py) ||
        std::fabs(px) >= (1 << 21) || std::fabs(py) >= (1 << 21)) {
        cairo_restore(FCr);
        return;
    }
    // Each glyph covers about an em square, and no more than the clip.
    FBudget.Charge(static_cast<double>(text.size()) * std::min(em * em, ClipArea()));
    cairo_translate(FCr, px, py);
    cairo_rotate(FCr, -font.Escapement / 10.0 * Pi / 180);
    cairo_set_font_size(FCr, em);
    cairo_font_extents_t fe;
    cairo_font_extents(FCr, &fe);
    std::vector<std::string> glyphs(text.size());
    std::vector<double> advances(text.size());
    double width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        AppendUtf8(glyphs[i], text[i]);
        if (i < dx.size()) {
            advances[i] = dx[i] * xScale;
        } else {
            cairo_text_extents_t te;
            cairo_text_extents(FCr, glyphs[i].c_str(), &te);
            advances[i] = te.x_advance;
        }
        width += advances[i];
    }
    double ox = 0, oy = 0;
    const std::uint32_t horizontal = FDc.TextAlign & TA_HORIZONTAL_MASK;
    if (horizontal == TA_CENTER)
        ox = -width / 2;
    else if (horizontal == TA_RIGHT)
        ox = -width;
    const std::uint32_t vertical = FDc.TextAlign & TA_VERTICAL_MASK;
    if (vertical == TA_BOTTOM)
        oy = -fe.descent;
    else if (vertical != TA_BASELINE)
        oy = fe.ascent;
    if (FDc.BkMode == OPAQUE) {
        cairo_rectangle(FCr, ox, oy - fe.ascent, width, fe.ascent + fe.descent);
        SetSourceColor(FDc.BkColor);
        cairo_fill(FCr);
    }
    SetSourceColor(FDc.TextColor);
    double pen = ox;
    for (std::size_t i = 0; i < text.size(); ++i) {
        cairo_move_to(FCr, pen, oy);
        cairo_show_text(FCr, glyphs[i].c_str());
        pen += advances[i];
    }
    const double thickness = std::max(1.0, em / 14);
    if (font.Underline) cairo_rectangle(FCr, ox, oy + fe.descent / 3, width, thickness);
    if (font.StrikeOut) cairo_rectangle(FCr, ox, oy - fe.ascent / 3, width, thickness);
    if (font.Underline || font.StrikeOut) cairo_fill(FCr);
    cairo_new_path(FCr);
    cairo_restore(FCr);
    if (updateCp && xScale > 0) FDc.CurrentX = x + width / xScale * (m.xx < 0 ? -1 : 1);
}

void TMetafileCanvas::BeginPath() {
    FInPath = true;
    FHavePath = false;
    cairo_new_path(FCr);
}

void TMetafileCanvas::EndPath() {
    if (!FInPath) return;
    FInPath = false;
    FHavePath = true;
}

void TMetafileCanvas::AbortPath() {
    FInPath = false;
    FHavePath = false;
    cairo_new_path(FCr);
}

void TMetafileCanvas::CloseFigure() {
    if (FInPath && cairo_has_current_point(FCr)) cairo_close_path(FCr);
}

void TMetafileCanvas::FillPath(bool fill, bool stroke) {
    // A path still open cannot be drawn; it stays as it is.
    if (FInPath || !FHavePath) return;
    Finish(fill, stroke);
    FHavePath = false;
}

void TMetafileCanvas::ResetClip() {
    cairo_matrix_t saved;
    cairo_get_matrix(FCr, &saved);
    Device();
    cairo_reset_clip(FCr);
    cairo_new_path(FCr);
    cairo_rectangle(FCr, FDest.Left, FDest.Top, FDest.Width, FDest.Height);
    cairo_clip(FCr);
    cairo_set_matrix(FCr, &saved);
}

void TMetafileCanvas::SelectClipPath(std::uint32_t mode) {
    if (FInPath || !FHavePath) return;
    FHavePath = false;
    Device();
    if (mode == RGN_COPY) {
        TPathKeeper keep(FCr, true);
        ResetClip();
    }
    if (mode == RGN_AND || mode == RGN_COPY) {
        cairo_set_fill_rule(FCr, FDc.PolyFillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
        cairo_clip(FCr);
    } else if (mode == RGN_DIFF) {
        cairo_rectangle(FCr, FDest.Left - 1, FDest.Top - 1, FDest.Width + 2, FDest.Height + 2);
        cairo_set_fill_rule(FCr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_clip(FCr);
    }
    cairo_new_path(FCr);
}

void TMetafileCanvas::IntersectClip(double l, double t, double r, double b) {
    TPathKeeper keep(FCr, FInPath || FHavePath);
    if (!Logical()) return;
    cairo_new_path(FCr);
    RectangleL(l, t, r - l, b - t);
    cairo_set_fill_rule(FCr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(FCr);
}

void TMetafileCanvas::ExcludeClip(double l, double t, double r, double b) {
    TPathKeeper keep(FCr, FInPath || FHavePath);
    if (!Logical()) return;
    cairo_new_path(FCr);
    RectangleL(l, t, r - l, b - t);
    Device();
    cairo_rectangle(FCr, FDest.Left - 1, FDest.Top - 1, FDest.Width + 2, FDest.Height + 2);
    cairo_set_fill_rule(FCr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(FCr);
}

void TMetafileCanvas::SelectClipRegion(const TRegionObject* region, std::uint32_t mode, bool logicalUnits) {
    TPathKeeper keep(FCr, FInPath || FHavePath);
    if (mode == RGN_COPY) ResetClip();
    if (!region || region->Rects.empty() || (mode != RGN_COPY && mode != RGN_AND && mode != RGN_DIFF)) return;
    if (logicalUnits) {
        if (!Logical()) return;
    } else {
        if (!Usable(FDeviceToDest)) return;
        FMatrix = FDeviceToDest;
    }
    cairo_new_path(FCr);
    for (const auto& r : region->Rects) RectangleL(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    Device();
    if (mode == RGN_DIFF) cairo_rectangle(FCr, FDest.Left - 1, FDest.Top - 1, FDest.Width + 2, FDest.Height + 2);
    cairo_set_fill_rule(FCr, mode == RGN_DIFF ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_clip(FCr);
}

}  // namespace tal::pictures
