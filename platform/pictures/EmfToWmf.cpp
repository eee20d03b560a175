#include "platform/pictures/EmfToWmf.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>

#include "platform/CodePage.h"
#include "platform/Graphic.h"
#include "platform/pictures/Dib.h"
#include "platform/pictures/EmfTransform.h"
#include "platform/pictures/FigureGeometry.h"
#include "platform/pictures/MetafileCanvas.h"
#include "platform/pictures/StretchLayers.h"

namespace tal::pictures {

namespace {

// Raised where a drawing has no Windows metafile counterpart (or the records
// grow too large): the caller draws the picture into pixels instead.
struct TUntranslatable {};

using TPt = TFigurePoint;

constexpr double Pi = std::numbers::pi;
constexpr std::size_t MaxWmfPoints = 32767;  // point counts are 16-bit signed
// Curves flattened past this many points make a picture better drawn into pixels.
constexpr std::size_t MaxFigurePoints = 1'000'000;
constexpr std::uint32_t ETO_RTLREADING = 0x80;
constexpr std::uint8_t SYMBOL_CHARSET = 2;

std::int16_t Clamp16(double v) {
    if (!(v == v)) return 0;
    return static_cast<std::int16_t>(std::clamp(std::nearbyint(v), -32768.0, 32767.0));
}

// A count of steps: v rounded up and held within [low, high]; low for a NaN,
// which an absurd transform can make.
int Steps(double v, int low, int high) {
    if (!(v >= low)) return low;
    return v >= high ? high : static_cast<int>(std::ceil(v));
}

// The Windows-1252 byte of a character, '?' for one the code page lacks.
std::uint8_t To1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<std::uint8_t>(c);
    for (int b = 0x80; b < 0xA0; ++b)
        if (Windows1252ToUnicode(static_cast<std::uint8_t>(b)) == c) return static_cast<std::uint8_t>(b);
    return '?';
}

// Text of a font with the symbol charset keeps its byte codes, which
// enhanced metafiles store in the private-use area U+F000..U+F0FF.
std::uint8_t TextByte(char32_t c, bool symbol) {
    if (symbol && (c <= 0xFF || (c >= 0xF000 && c <= 0xF0FF))) return static_cast<std::uint8_t>(c & 0xFF);
    return To1252(c);
}

// What a device context holds that the translation writes as records.
struct TDcState {
    int Pen = -1, Brush = -1, Font = -1;  // Windows metafile slots; -1: the reader's default
    bool SymbolFont = false, NullBrush = false, NullPen = false;
    std::vector<double> PenDashes;  // on and off lengths in output units; empty: solid
    int Hatch = -1;                 // the brush's hatch, drawn as lines; -1: none
    std::uint32_t HatchColor = 0;
    std::uint32_t TextColor = 0, BkColor = 0xFFFFFF, BkMode = OPAQUE, TextAlign = 0;
    std::uint32_t PolyFillMode = ALTERNATE, Rop2 = 13, StretchMode = 0;
    std::uint32_t ArcDirection = AD_COUNTERCLOCKWISE;
    TPt Current;  // logical units of the enhanced metafile
};

enum class TSaveKind { Metafile, Clip };
struct TSaved {
    TSaveKind Kind;
    TDcState State;
    bool Clipped;
};

enum class TObjectKind { None, Pen, Brush, Font };
struct TObject {
    int Slot = -1;
    TObjectKind Kind = TObjectKind::None;
    bool SymbolFont = false, NullBrush = false, NullPen = false;
    std::vector<double> Dashes;
    int Hatch = -1;
    std::uint32_t HatchColor = 0;
};

class TTranslator {
public:
    TTranslator(const TByteView& bytes, const TMetafileInfo& info, const TEmfToWmfSettings& settings)
        : FBytes(bytes), FSettings(settings), FFolder(info, settings.Width, settings.Height),
          FObjects(info.Handles) {
        const int side = std::max({settings.Width, settings.Height, 1});
        FUnits = std::clamp(32767 / side, 1, 16);
        FXf = FFolder.Final();
    }

    std::vector<std::uint8_t> Run() {
        FWmf.Add(TWmf::SetMapMode, {static_cast<std::int16_t>(MM_ANISOTROPIC)});
        FWmf.Add(TWmf::SetWindowOrg, {0, 0});
        FWmf.Add(TWmf::SetWindowExt, {Clamp16(std::max(1, FSettings.Height) * FUnits),
                                      Clamp16(std::max(1, FSettings.Width) * FUnits)});
        std::size_t at = FBytes.U32(4);
        while (FBytes.Has(at, 8)) {
            const std::uint32_t size = FBytes.U32(at + 4);
            const auto type = static_cast<TEmr>(FBytes.U32(at));
            if (type == TEmr::Eof || size < 8 || size % 4 != 0 || !FBytes.Has(at, size)) break;
            try {
                Record(type, FBytes.Sub(at, size, "a metafile record"));
            } catch (const EInvalidGraphic&) {
                // a record too short for its fields is skipped, as a player skips it
            }
            at += size;
        }
        FWmf.SetObjectCount(static_cast<std::uint16_t>(std::max(1, FSlotCount)));
        const auto w = static_cast<std::int16_t>(std::clamp(FSettings.Width, 0, 32767));
        const auto h = static_cast<std::int16_t>(std::clamp(FSettings.Height, 0, 32767));
        return FWmf.Finish(true, {0, 0, w, h}, ReferencePixelsPerInch);
    }

private:
    // ---- output

    void Emit(TWmf function, const TRecordData& data) {
        FBytesOut += 6 + data.Size();
        if (FBytesOut > FSettings.MaxBytes) throw TUntranslatable{};
        FWmf.Add(function, data);
    }
    void Emit(TWmf function, std::initializer_list<std::int16_t> words) {
        TRecordData data;
        for (const std::int16_t w : words) data.I16(w);
        Emit(function, data);
    }

    // ---- coordinates

    TPt Map(double x, double y) const {
        return {(x * FXf.M11 + y * FXf.M21 + FXf.Dx) * FUnits, (x * FXf.M12 + y * FXf.M22 + FXf.Dy) * FUnits};
    }
    bool AxisAligned() const { return std::abs(FXf.M12) < 1e-9 && std::abs(FXf.M21) < 1e-9; }
    bool Mirrored() const { return FXf.M11 * FXf.M22 - FXf.M12 * FXf.M21 < 0; }
    double LengthScale() const { return std::sqrt(std::abs(FXf.M11 * FXf.M22 - FXf.M12 * FXf.M21)) * FUnits; }
    // Output units of a length of about one and a half frame pixels: the
    // step of a flattened curve.
    double Step() const { return 1.5 * FUnits; }
    void Refresh() { FXf = FFolder.Final(); }

    static TPt PointL(const TByteView& r, std::size_t at) { return {double(r.I32(at)), double(r.I32(at + 4))}; }

    static std::vector<TPt> Points(const TByteView& r, std::size_t at, std::size_t count, bool small) {
        const std::size_t step = small ? 4 : 8;
        if (count > r.Size() / step) r.Fail("a point count past the record's end");
        r.Require(at, count * step, "the points");
        std::vector<TPt> points(count);
        for (std::size_t i = 0; i < count; ++i)
            points[i] = small ? TPt{double(r.I16(at + 4 * i)), double(r.I16(at + 4 * i + 2))} : PointL(r, at + 8 * i);
        return points;
    }

    TFigure MapAll(const std::vector<TPt>& logical) const {
        TFigure out;
        out.reserve(logical.size());
        for (const TPt& p : logical) out.push_back(Map(p.X, p.Y));
        return out;
    }

    // ---- geometry, in output units

    void AddBezier(TFigure& out, TPt p0, TPt p1, TPt p2, TPt p3) const {
        const double length = std::hypot(p1.X - p0.X, p1.Y - p0.Y) + std::hypot(p2.X - p1.X, p2.Y - p1.Y) +
                              std::hypot(p3.X - p2.X, p3.Y - p2.Y);
        const int n = Steps(length / Step(), 1, 256);
        if (out.size() > MaxFigurePoints) throw TUntranslatable{};
        for (int i = 1; i <= n; ++i) {
            const double t = double(i) / n, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            out.push_back({a * p0.X + b * p1.X + c * p2.X + d * p3.X, a * p0.Y + b * p1.Y + c * p2.Y + d * p3.Y});
        }
    }

    // Béziers from p0 through the mapped control points, three a segment.
    void AddBeziers(TFigure& out, TPt p0, const TFigure& controls) const {
        for (std::size_t i = 0; i + 2 < controls.size(); i += 3) {
            AddBezier(out, p0, controls[i], controls[i + 1], controls[i + 2]);
            p0 = controls[i + 2];
        }
    }

    // Points of the ellipse inscribed in a logical box, from angle a0 to a1
    // (radians, counter-clockwise as seen on the page, y down).
    void AddEllipseArc(TFigure& out, double l, double t, double r, double b, double a0, double a1) const {
        const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::abs(r - l) / 2, ry = std::abs(b - t) / 2;
        const double circumference = 2 * Pi * std::max(rx, ry) * LengthScale();
        const int n = Steps(circumference * std::abs(a1 - a0) / (2 * Pi) / Step(), 4, 720);
        for (int i = 0; i <= n; ++i) {
            const double a = a0 + (a1 - a0) * i / n;
            out.push_back(Map(cx + rx * std::cos(a), cy - ry * std::sin(a)));
        }
    }

    // The ray angle of a point seen from the centre of a box, on the ellipse's scale.
    static double RayAngle(double l, double t, double r, double b, TPt p) {
        const double rx = std::abs(r - l) / 2, ry = std::abs(b - t) / 2;
        const double dx = p.X - (l + r) / 2, dy = p.Y - (t + b) / 2;
        return std::atan2(-dy / (ry > 0 ? ry : 1), dx / (rx > 0 ? rx : 1));
    }

    // The arc of a box between the rays of two points, running in the arc
    // direction as the page shows it (a mirroring transform turns the
    // logical sweep the other way).
    void AddArc(TFigure& out, double l, double t, double r, double b, TPt start, TPt end) const {
        double a0 = RayAngle(l, t, r, b, start), a1 = RayAngle(l, t, r, b, end);
        const bool counterClockwise = (FState.ArcDirection != AD_CLOCKWISE) != Mirrored();
        if (counterClockwise) {
            if (a1 <= a0 + 1e-12) a1 += 2 * Pi;
        } else if (a1 >= a0 - 1e-12) {
            a1 -= 2 * Pi;
        }
        AddEllipseArc(out, l, t, r, b, a0, a1);
    }

    TFigure RectangleFigure(double l, double t, double r, double b) const {
        return {Map(l, t), Map(r, t), Map(r, b), Map(l, b)};
    }

    TFigure RoundRectFigure(double l, double t, double r, double b, double w, double h) const {
        if (l > r) std::swap(l, r);
        if (t > b) std::swap(t, b);
        w = std::min(std::abs(w), r - l), h = std::min(std::abs(h), b - t);
        TFigure out;
        AddEllipseArc(out, r - w, t, r, t + h, 0, Pi / 2);
        AddEllipseArc(out, l, t, l + w, t + h, Pi / 2, Pi);
        AddEllipseArc(out, l, b - h, l + w, b, Pi, 1.5 * Pi);
        AddEllipseArc(out, r - w, b - h, r, b, 1.5 * Pi, 2 * Pi);
        return out;
    }

    // ---- drawing figures

    static TFigure Thinned(const TFigure& figure) {
        if (figure.size() <= MaxWmfPoints) return figure;
        TFigure out;
        const double step = double(figure.size() - 1) / (MaxWmfPoints - 1);
        for (std::size_t i = 0; i < MaxWmfPoints; ++i)
            out.push_back(figure[std::min(figure.size() - 1, static_cast<std::size_t>(std::nearbyint(i * step)))]);
        return out;
    }

    static void AddPoints(TRecordData& d, const TFigure& figure) {
        for (const TPt& p : figure) d.I16(Clamp16(p.X)).I16(Clamp16(p.Y));
    }

    void DrawPolyline(const TFigure& figure) {
        // Long lines go out in pieces that share their end points.
        for (std::size_t from = 0; from + 1 < figure.size(); from += MaxWmfPoints - 1) {
            const std::size_t n = std::min(MaxWmfPoints, figure.size() - from);
            TRecordData d;
            d.I16(static_cast<std::int16_t>(n));
            AddPoints(d, TFigure(figure.begin() + from, figure.begin() + from + n));
            Emit(TWmf::Polyline, d);
        }
    }

    void DrawPolygons(const std::vector<TFigure>& figures) {
        std::vector<TFigure> kept;
        for (const TFigure& f : figures)
            if (!f.empty()) kept.push_back(Thinned(f));
        if (kept.empty()) return;
        TRecordData d;
        if (kept.size() == 1) {
            d.I16(static_cast<std::int16_t>(kept[0].size()));
            AddPoints(d, kept[0]);
            return Emit(TWmf::Polygon, d);
        }
        for (std::size_t from = 0; from < kept.size(); from += 65535) {
            const std::size_t n = std::min<std::size_t>(65535, kept.size() - from);
            TRecordData p;
            p.U16(static_cast<std::uint16_t>(n));
            for (std::size_t i = from; i < from + n; ++i) p.U16(static_cast<std::uint16_t>(kept[i].size()));
            for (std::size_t i = from; i < from + n; ++i) AddPoints(p, kept[i]);
            Emit(TWmf::PolyPolygon, p);
        }
    }

    bool Dashed() const { return !FState.PenDashes.empty(); }

    // The dashes of a figure, each a polyline of its own.
    void StrokeDashes(TFigure path, bool closed) {
        for (const TFigure& piece : DashPieces(std::move(path), closed, FState.PenDashes)) DrawPolyline(piece);
    }

    // An outline in the current pen.
    void Stroke(const TFigure& figure, bool closed) {
        if (Dashed()) return StrokeDashes(figure, closed);
        if (!closed || figure.empty()) return DrawPolyline(figure);
        TFigure loop = figure;
        loop.push_back(figure.front());
        DrawPolyline(loop);
    }

    bool Hatched() const { return FState.Hatch >= 0; }
    // Shapes that are drawn as their figures: fill and outline on their own.
    bool DrawnAsFigures() const { return Dashed() || Hatched(); }

    // Closed figures filled with the brush and outlined with the pen.
    void Outlined(const std::vector<TFigure>& figures) {
        if (!DrawnAsFigures()) return DrawPolygons(figures);
        Fill(figures);
        if (FState.NullPen) return;
        for (const TFigure& f : figures) Stroke(f, true);
    }

    // Figures filled with the brush, without outline.
    void Fill(const std::vector<TFigure>& figures) {
        if (Hatched()) return FillHatched(figures, FState.Hatch, FState.HatchColor);
        if (FState.NullBrush) return;
        const int none = Stock(NULL_PEN);
        SelectSlot(none);
        DrawPolygons(figures);
        RestoreSlot(CurrentPen(), none);
    }

    int CurrentPen() { return FState.Pen >= 0 ? FState.Pen : Stock(BLACK_PEN); }
    int CurrentBrush() { return FState.Brush >= 0 ? FState.Brush : Stock(WHITE_BRUSH); }

    // A hatch: the background in the background colour where the mode is
    // opaque, then lines one frame pixel wide, eight apart, aligned to the
    // picture's corner, cut to the figures (alternate filling).
    void FillHatched(const std::vector<TFigure>& figures, int hatch, std::uint32_t color) {
        if (FState.BkMode == OPAQUE) {
            const int brush = AllocateSlot(), none = Stock(NULL_PEN);
            Emit(TWmf::CreateBrushIndirect, BrushData(BS_SOLID, FState.BkColor, 0));
            SelectSlot(brush);
            SelectSlot(none);
            DrawPolygons(figures);
            SelectSlot(CurrentPen());
            SelectSlot(CurrentBrush());
            Emit(TWmf::DeleteObject, {static_cast<std::int16_t>(brush)});
            FreeSlot(brush);
        }
        const int pen = AllocateSlot();
        Emit(TWmf::CreatePenIndirect, PenData(PS_SOLID, FUnits, color));
        SelectSlot(pen);
        const bool horizontal = hatch == HS_HORIZONTAL || hatch == HS_CROSS;
        const bool vertical = hatch == HS_VERTICAL || hatch == HS_CROSS;
        const bool forward = hatch == HS_FDIAGONAL || hatch == HS_DIAGCROSS;
        const bool backward = hatch == HS_BDIAGONAL || hatch == HS_DIAGCROSS;
        if (horizontal) HatchLines(figures, {0, 1}, {1, 0});
        if (vertical) HatchLines(figures, {1, 0}, {0, 1});
        if (forward) HatchLines(figures, {1, -1}, {1, 1});
        if (backward) HatchLines(figures, {1, 1}, {1, -1});
        SelectSlot(CurrentPen());
        Emit(TWmf::DeleteObject, {static_cast<std::int16_t>(pen)});
        FreeSlot(pen);
    }

    // The hatch lines of one direction (n across them, d along them)
    // inside the figures.
    void HatchLines(const std::vector<TFigure>& figures, TPt n, TPt d) {
        const double spacing = 8.0 * FUnits;
        auto [low, high] = Projection(figures, n);
        // Lines beyond the frame would show nothing.
        const double w = std::max(1, FSettings.Width) * FUnits, h = std::max(1, FSettings.Height) * FUnits;
        const auto [frameLow, frameHigh] = Projection({{{0, 0}, {w, 0}, {0, h}, {w, h}}}, n);
        low = std::max(low, frameLow), high = std::min(high, frameHigh);
        if (!(low <= high)) return;
        std::size_t edges = 0;
        for (const TFigure& f : figures) edges += f.size();
        FHatchWork -= (high - low) / spacing * static_cast<double>(edges);
        if (!(FHatchWork >= 0)) throw TUntranslatable{};
        for (const auto& [a, b] : HatchSegments(figures, n, d, spacing, low, high)) DrawPolyline({a, b});
    }

    // ---- paths

    TFigure& OpenFigure() {
        if (FFigures.empty() || FFigureClosed) {
            const TPt start = Map(FState.Current.X, FState.Current.Y);
            FFigures.push_back({start});
            FFigureClosed = false;
        }
        return FFigures.back();
    }
    void NewFigure(TFigure figure, bool closed) {
        FFigures.push_back(std::move(figure));
        FFigureClosed = closed;
        if (closed) FClosedFigures.insert(FFigures.size() - 1);
    }

    // A drawing into the path when one is open, else onto the page.
    void Shape(TFigure figure, bool closed) {
        if (FInPath) return NewFigure(std::move(figure), closed);
        if (closed) Outlined({std::move(figure)});
        else Stroke(figure, false);
    }

    void MoveTo(TPt p) {
        FState.Current = p;
        if (FInPath) {
            NewFigure({Map(p.X, p.Y)}, false);
            return;
        }
        const TPt m = Map(p.X, p.Y);
        Emit(TWmf::MoveTo, {Clamp16(m.Y), Clamp16(m.X)});
    }

    // The page's current position follows the metafile's after a drawing
    // that moves it but that is written as a polyline.
    void FollowCurrent() {
        if (FInPath) return;
        const TPt m = Map(FState.Current.X, FState.Current.Y);
        Emit(TWmf::MoveTo, {Clamp16(m.Y), Clamp16(m.X)});
    }

    void LineTo(TPt p) {
        if (FInPath) {
            OpenFigure().push_back(Map(p.X, p.Y));
        } else if (Dashed()) {
            StrokeDashes({Map(FState.Current.X, FState.Current.Y), Map(p.X, p.Y)}, false);
            FState.Current = p;
            return FollowCurrent();
        } else {
            const TPt m = Map(p.X, p.Y);
            Emit(TWmf::LineTo, {Clamp16(m.Y), Clamp16(m.X)});
        }
        FState.Current = p;
    }

    // Points continued from the current position.
    void ContinueFrom(const TFigure& more, TPt newCurrent) {
        if (FInPath) {
            TFigure& figure = OpenFigure();
            figure.insert(figure.end(), more.begin(), more.end());
        } else {
            TFigure line{Map(FState.Current.X, FState.Current.Y)};
            line.insert(line.end(), more.begin(), more.end());
            Stroke(line, false);
        }
        FState.Current = newCurrent;
        FollowCurrent();
    }

    void EndPathDrawing(bool fill, bool stroke) {
        std::vector<TFigure> figures = std::move(FFigures);
        FFigures.clear();
        FInPath = false;
        if (fill && stroke) {
            Outlined(figures);
        } else if (fill) {
            Fill(figures);
        } else if (stroke) {
            for (std::size_t i = 0; i < figures.size(); ++i) Stroke(figures[i], FClosedFigures.count(i) != 0);
        }
        FClosedFigures.clear();
    }

    // ---- objects

    int AllocateSlot() {
        if (!FFreeSlots.empty()) {
            const int slot = *FFreeSlots.begin();
            FFreeSlots.erase(FFreeSlots.begin());
            return slot;
        }
        if (FSlotCount >= 65535) throw TUntranslatable{};
        return FSlotCount++;
    }
    void FreeSlot(int slot) { FFreeSlots.insert(slot); }

    void FreeObject(std::uint32_t index) {
        if (index >= FObjects.size() || FObjects[index].Slot < 0) return;
        const int slot = FObjects[index].Slot;
        Emit(TWmf::DeleteObject, {static_cast<std::int16_t>(slot)});
        FreeSlot(slot);
        FObjects[index] = {};
    }

    // A created object takes the lowest free slot, as readers place it.
    void Created(std::uint32_t index, TObject object, TWmf function, const TRecordData& data) {
        if (index == 0 || index >= FObjects.size()) return;  // slot 0 is the metafile itself
        FreeObject(index);
        object.Slot = AllocateSlot();
        Emit(function, data);
        FObjects[index] = std::move(object);
    }
    static TObject Kind(TObjectKind kind) {
        TObject object;
        object.Kind = kind;
        return object;
    }

    void SelectSlot(int slot) {
        if (slot >= 0) Emit(TWmf::SelectObject, {static_cast<std::int16_t>(slot)});
    }
    // Selects back what a temporary selection replaced.
    void RestoreSlot(int slot, int temporary) {
        if (slot != temporary) SelectSlot(slot);
    }

    static TRecordData PenData(std::uint32_t style, double width, std::uint32_t color) {
        std::uint32_t s = style & PS_STYLE_MASK;
        if (s == PS_USERSTYLE) s = PS_DASH;
        else if (s == PS_ALTERNATE) s = PS_DOT;
        else if (s > PS_ALTERNATE) s = PS_SOLID;
        s |= style & (PS_ENDCAP_MASK | PS_JOIN_MASK);
        TRecordData d;
        d.U16(static_cast<std::uint16_t>(s)).I16(Clamp16(width)).I16(0).U32(color & 0xFFFFFF);
        return d;
    }
    static TRecordData BrushData(std::uint32_t style, std::uint32_t color, std::uint32_t hatch) {
        if (style != BS_SOLID && style != BS_NULL && style != BS_HATCHED) style = BS_SOLID;
        TRecordData d;
        d.U16(static_cast<std::uint16_t>(style)).U32(color & 0xFFFFFF).U16(static_cast<std::uint16_t>(hatch));
        return d;
    }

    // A stock object, made once into a slot of its own when first used.
    int Stock(std::uint32_t index) {
        const auto known = FStock.find(index);
        if (known != FStock.end()) return known->second;
        TWmf function;
        TRecordData data;
        switch (index) {
            case WHITE_BRUSH: case DC_BRUSH: function = TWmf::CreateBrushIndirect; data = BrushData(BS_SOLID, 0xFFFFFF, 0); break;
            case LTGRAY_BRUSH: function = TWmf::CreateBrushIndirect; data = BrushData(BS_SOLID, 0xC0C0C0, 0); break;
            case GRAY_BRUSH: function = TWmf::CreateBrushIndirect; data = BrushData(BS_SOLID, 0x808080, 0); break;
            case DKGRAY_BRUSH: function = TWmf::CreateBrushIndirect; data = BrushData(BS_SOLID, 0x404040, 0); break;
            case BLACK_BRUSH: function = TWmf::CreateBrushIndirect; data = BrushData(BS_SOLID, 0, 0); break;
            case NULL_BRUSH: function = TWmf::CreateBrushIndirect; data = BrushData(BS_NULL, 0, 0); break;
            case WHITE_PEN: function = TWmf::CreatePenIndirect; data = PenData(PS_SOLID, 0, 0xFFFFFF); break;
            case BLACK_PEN: case DC_PEN: function = TWmf::CreatePenIndirect; data = PenData(PS_SOLID, 0, 0); break;
            case NULL_PEN: function = TWmf::CreatePenIndirect; data = PenData(PS_NULL, 0, 0); break;
            default: return -1;  // fonts and palettes: the reader's own stay selected
        }
        const int slot = AllocateSlot();
        Emit(function, data);
        FStock[index] = slot;
        return slot;
    }

    static TObjectKind StockKind(std::uint32_t index) {
        if (index <= NULL_BRUSH || index == DC_BRUSH) return TObjectKind::Brush;
        if ((index >= WHITE_PEN && index <= NULL_PEN) || index == DC_PEN) return TObjectKind::Pen;
        return TObjectKind::None;
    }

    void SelectObject(std::uint32_t index) {
        TObject object;
        if (index & StockObjectFlag) {
            object.Kind = StockKind(index & ~StockObjectFlag);
            object.Slot = Stock(index & ~StockObjectFlag);
            object.NullBrush = (index & ~StockObjectFlag) == NULL_BRUSH;
            object.NullPen = (index & ~StockObjectFlag) == NULL_PEN;
        } else if (index < FObjects.size()) {
            object = FObjects[index];
        }
        if (object.Slot < 0) return;
        SelectSlot(object.Slot);
        if (object.Kind == TObjectKind::Pen) {
            FState.Pen = object.Slot, FState.PenDashes = object.Dashes, FState.NullPen = object.NullPen;
        }
        if (object.Kind == TObjectKind::Brush) {
            FState.Brush = object.Slot, FState.NullBrush = object.NullBrush;
            FState.Hatch = object.Hatch, FState.HatchColor = object.HatchColor;
        }
        if (object.Kind == TObjectKind::Font) FState.Font = object.Slot, FState.SymbolFont = object.SymbolFont;
    }

    // Pen widths are logical units: they scale with the drawing.
    double PenWidth(double logical) const {
        if (logical <= 0) return 0;
        return std::max(1.0, logical * LengthScale());
    }

    // Dashes are drawn as the solid pieces they leave, since readers dash
    // wide pens differently or not at all: a dashed pen is written solid
    // and keeps its pattern. Thin pens dash in frame pixels, wide ones in
    // multiples of their width, as the picture player draws them.
    std::vector<double> DashPattern(std::uint32_t style, double width, const std::vector<double>& user) const {
        const bool thin = width <= 1.5 * FUnits;
        const double unit = thin ? FUnits : width;
        std::vector<double> dashes = StockDashPattern(style, thin);
        if ((style & PS_STYLE_MASK) == PS_USERSTYLE)
            for (const double d : user) dashes.push_back(d * LengthScale() / unit);
        double total = 0;
        for (double& d : dashes) total += (d = std::clamp(d * unit, 0.0, 1e6));
        if (!(total > 0)) return {};
        return dashes;
    }

    void AddPen(std::uint32_t index, std::uint32_t style, double width, std::uint32_t color,
                const std::vector<double>& user = {}) {
        TObject pen = Kind(TObjectKind::Pen);
        pen.NullPen = (style & PS_STYLE_MASK) == PS_NULL;
        if (!pen.NullPen) pen.Dashes = DashPattern(style, width, user);
        if (!pen.Dashes.empty()) style = (style & ~PS_STYLE_MASK) | PS_SOLID;
        Created(index, std::move(pen), TWmf::CreatePenIndirect, PenData(style, width, color));
    }

    void CreatePen(const TByteView& r) { AddPen(r.U32(8), r.U32(12), PenWidth(r.I32(16)), r.U32(24)); }

    void ExtCreatePen(const TByteView& r) {
        std::uint32_t style = r.U32(28);
        const double width = (style & PS_GEOMETRIC) ? PenWidth(r.U32(32)) : 0;
        if (r.U32(36) == BS_NULL) style = PS_NULL;
        std::vector<double> user;
        if ((style & PS_STYLE_MASK) == PS_USERSTYLE) {
            const std::size_t count = r.U32(48);
            if (count <= 16 && r.Has(52, count * 4))
                for (std::size_t i = 0; i < count; ++i) user.push_back(r.U32(52 + 4 * i));
            // A cosmetic pen's own dashes are pixels, not logical lengths.
            if (!(style & PS_GEOMETRIC))
                for (double& d : user) d = d * FUnits / std::max(1e-9, LengthScale());
        }
        AddPen(r.U32(8), style, width, r.U32(40), user);
    }

    // A hatched brush is written hollow and its hatch drawn as lines, which
    // every reader shows alike (some fill hatched brushes solid).
    void CreateBrush(const TByteView& r) {
        TObject brush = Kind(TObjectKind::Brush);
        std::uint32_t style = r.U32(12);
        brush.NullBrush = style == BS_NULL;
        if (style == BS_HATCHED && r.U32(20) <= HS_DIAGCROSS) {
            brush.Hatch = static_cast<int>(r.U32(20));
            brush.HatchColor = r.U32(16) & 0xFFFFFF;
            style = BS_NULL;
        }
        Created(r.U32(8), std::move(brush), TWmf::CreateBrushIndirect, BrushData(style, r.U32(16), r.U32(20)));
    }

    void CreatePatternBrush(const TByteView& r) {
        if (r.U32(12) != DIB_RGB_COLORS) throw TUntranslatable{};  // its colours come from the page
        const TByteView header = r.Sub(r.U32(16), r.U32(20), "the bitmap header");
        const TByteView bits = r.Sub(r.U32(24), r.U32(28), "the bitmap");
        const TDibInfo info = ReadDibInfo(header);
        if (info.Compression != BI_RGB || bits.Size() < info.Stride() * static_cast<std::size_t>(info.Height))
            throw TUntranslatable{};
        TRecordData d;
        d.U16(static_cast<std::uint16_t>(BS_DIBPATTERN)).U16(DIB_RGB_COLORS);
        d.Bytes(header.Data(), header.Size()).Bytes(bits.Data(), bits.Size());
        Created(r.U32(8), Kind(TObjectKind::Brush), TWmf::DIBCreatePatternBrush, d);
    }

    void CreateFont(const TByteView& r) {
        const double heightScale = std::hypot(FXf.M21, FXf.M22) * FUnits;
        const double widthScale = std::hypot(FXf.M11, FXf.M12) * FUnits;
        // Text turns with a rotating transform; a page turned upside down
        // by both axes turns it half round.
        double turn = 0;
        if (!AxisAligned()) turn = std::atan2(-FXf.M12, FXf.M11) * 1800 / Pi;
        else if (FXf.M11 < 0 && FXf.M22 < 0) turn = 1800;
        const auto angle = [&](std::int32_t tenths) {
            return Clamp16(std::fmod(tenths + std::nearbyint(turn), 3600.0));
        };
        const std::uint8_t charset = r.U8(35);
        TRecordData d;
        d.I16(Clamp16(r.I32(12) * heightScale)).I16(Clamp16(r.I32(16) * widthScale));
        d.I16(angle(r.I32(20))).I16(angle(r.I32(24))).I16(Clamp16(r.I32(28)));
        for (std::size_t at = 32; at < 40; ++at) d.U8(r.U8(at));
        std::string face;
        for (std::size_t i = 0; i < 32 && r.Has(40 + 2 * i, 2); ++i) {
            const std::uint16_t c = r.U16(40 + 2 * i);
            if (c == 0) break;
            if (face.size() < 31) face.push_back(static_cast<char>(To1252(c)));
        }
        face.resize(32, '\0');
        d.Bytes(face);
        TObject font = Kind(TObjectKind::Font);
        font.SymbolFont = charset == SYMBOL_CHARSET;
        Created(r.U32(8), std::move(font), TWmf::CreateFontIndirect, d);
    }

    // ---- clipping: a clip is set inside a saved state of its own, so that
    // taking it away is restoring that state.

    void OpenClip() {
        if (!FSaves.empty() && FSaves.back().Kind == TSaveKind::Clip) return;
        Emit(TWmf::SaveDC, TRecordData());
        FSaves.push_back({TSaveKind::Clip, FState, FClipped});
    }

    void ResetClip() {
        if (!FClipped) return;
        if (FSaves.empty() || FSaves.back().Kind != TSaveKind::Clip) throw TUntranslatable{};
        const TSaved saved = FSaves.back();
        FSaves.pop_back();
        Emit(TWmf::RestoreDC, {-1});
        Resume(saved.State);
        FClipped = saved.Clipped;
    }

    // Writes what changed since a restored state, so that the page's state
    // is the metafile's again.
    void Resume(const TDcState& restored) {
        if (FState.Pen != restored.Pen) SelectSlot(FState.Pen);
        if (FState.Brush != restored.Brush) SelectSlot(FState.Brush);
        if (FState.Font != restored.Font) SelectSlot(FState.Font);
        if (FState.TextColor != restored.TextColor) Emit(TWmf::SetTextColor, TRecordData().U32(FState.TextColor));
        if (FState.BkColor != restored.BkColor) Emit(TWmf::SetBkColor, TRecordData().U32(FState.BkColor));
        if (FState.BkMode != restored.BkMode) Emit(TWmf::SetBkMode, {static_cast<std::int16_t>(FState.BkMode)});
        if (FState.TextAlign != restored.TextAlign) Emit(TWmf::SetTextAlign, {static_cast<std::int16_t>(FState.TextAlign)});
        if (FState.PolyFillMode != restored.PolyFillMode)
            Emit(TWmf::SetPolyFillMode, {static_cast<std::int16_t>(FState.PolyFillMode)});
        if (FState.Rop2 != restored.Rop2) Emit(TWmf::SetRop2, {static_cast<std::int16_t>(FState.Rop2)});
        if (FState.StretchMode != restored.StretchMode)
            Emit(TWmf::SetStretchBltMode, {static_cast<std::int16_t>(FState.StretchMode)});
        FollowCurrent();
    }

    // A rectangle in output units, ordered.
    struct TBox {
        double L, T, R, B;
    };
    static TBox Ordered(TPt a, TPt b) {
        return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
    }

    void ClipTo(const TBox& box, bool exclude) {
        OpenClip();
        Emit(exclude ? TWmf::ExcludeClipRect : TWmf::IntersectClipRect,
             {Clamp16(box.B), Clamp16(box.R), Clamp16(box.T), Clamp16(box.L)});
        FClipped = true;
    }

    void LogicalClip(const TByteView& r, bool exclude) {
        if (!AxisAligned()) throw TUntranslatable{};
        ClipTo(Ordered(Map(r.I32(8), r.I32(12)), Map(r.I32(16), r.I32(20))), exclude);
    }

    // Region rectangles are in device units, which the frame maps.
    std::vector<TBox> RegionBoxes(const TByteView& data) const {
        const std::size_t count = data.U32(8);
        if (count > data.Size() / 16) data.Fail("a region count past the record's end");
        data.Require(32, count * 16, "the region rectangles");
        const TXForm& f = FFolder.Frame();
        std::vector<TBox> boxes;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = 32 + 16 * i;
            const TPt a{(data.I32(at) * f.M11 + f.Dx) * FUnits, (data.I32(at + 4) * f.M22 + f.Dy) * FUnits};
            const TPt b{(data.I32(at + 8) * f.M11 + f.Dx) * FUnits, (data.I32(at + 12) * f.M22 + f.Dy) * FUnits};
            boxes.push_back(Ordered(a, b));
        }
        return boxes;
    }

    void SelectClipRegion(const TByteView& r) {
        const std::uint32_t size = r.U32(8), mode = r.U32(12);
        if (size == 0) {
            if (mode == RGN_COPY) ResetClip();
            return;
        }
        const std::vector<TBox> boxes = RegionBoxes(r.Sub(16, size, "the region"));
        if (mode == RGN_DIFF) {
            for (const TBox& b : boxes) ClipTo(b, true);
            return;
        }
        if ((mode != RGN_COPY && mode != RGN_AND) || boxes.size() != 1) throw TUntranslatable{};
        if (mode == RGN_COPY) ResetClip();
        ClipTo(boxes[0], false);
    }

    // A path that is one rectangle on the page clips as a rectangle.
    void SelectClipPath(std::uint32_t mode) {
        std::vector<TFigure> figures = std::move(FFigures);
        FFigures.clear();
        FClosedFigures.clear();
        FInPath = false;
        if (figures.size() != 1 || (mode != RGN_COPY && mode != RGN_AND)) throw TUntranslatable{};
        TFigure f = figures[0];
        if (f.size() == 5 && std::abs(f[4].X - f[0].X) < 1e-6 && std::abs(f[4].Y - f[0].Y) < 1e-6) f.pop_back();
        if (f.size() != 4) throw TUntranslatable{};
        for (std::size_t i = 0; i < 4; ++i) {
            const TPt a = f[i], b = f[(i + 1) % 4];
            if (std::abs(a.X - b.X) > 1e-6 && std::abs(a.Y - b.Y) > 1e-6) throw TUntranslatable{};
        }
        if (mode == RGN_COPY) ResetClip();
        ClipTo(Ordered(f[0], f[2]), false);
    }

    // ---- saving and restoring

    void SaveDc() {
        Emit(TWmf::SaveDC, TRecordData());
        FSaves.push_back({TSaveKind::Metafile, FState, FClipped});
        FFolder.Save();
    }

    void RestoreDc(std::int32_t relative) {
        std::vector<std::size_t> levels;
        for (std::size_t i = 0; i < FSaves.size(); ++i)
            if (FSaves[i].Kind == TSaveKind::Metafile) levels.push_back(i);
        const std::int64_t count = static_cast<std::int64_t>(levels.size());
        const std::int64_t keep = relative < 0 ? count + relative : static_cast<std::int64_t>(relative) - 1;
        if (keep < 0 || keep >= count) return;
        const std::size_t at = levels[static_cast<std::size_t>(keep)];
        Emit(TWmf::RestoreDC, {Clamp16(-static_cast<double>(FSaves.size() - at))});
        FState = FSaves[at].State;
        FClipped = FSaves[at].Clipped;
        FSaves.resize(at);
        FFolder.Restore(relative);
        Refresh();
    }

    // ---- shapes

    void BoxShape(TEmr type, const TByteView& r) {
        const double l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
        if (FInPath || !AxisAligned() || DrawnAsFigures()) {
            switch (type) {
                case TEmr::Rectangle: return Shape(RectangleFigure(l, t, rr, b), true);
                case TEmr::RoundRect: return Shape(RoundRectFigure(l, t, rr, b, r.I32(24), r.I32(28)), true);
                default: {
                    TFigure f;
                    AddEllipseArc(f, l, t, rr, b, 0, 2 * Pi);
                    return Shape(std::move(f), true);
                }
            }
        }
        const TBox box = Ordered(Map(l, t), Map(rr, b));
        const std::initializer_list<std::int16_t> corners{Clamp16(box.B), Clamp16(box.R), Clamp16(box.T), Clamp16(box.L)};
        if (type == TEmr::RoundRect) {
            const double w = std::abs(r.I32(24) * FXf.M11) * FUnits, h = std::abs(r.I32(28) * FXf.M22) * FUnits;
            return Emit(TWmf::RoundRect,
                        {Clamp16(h), Clamp16(w), Clamp16(box.B), Clamp16(box.R), Clamp16(box.T), Clamp16(box.L)});
        }
        Emit(type == TEmr::Rectangle ? TWmf::Rectangle : TWmf::Ellipse, corners);
    }

    void ArcShape(TEmr type, const TByteView& r) {
        const double l = r.I32(8), t = r.I32(12), rr = r.I32(16), b = r.I32(20);
        const TPt start = PointL(r, 24), end = PointL(r, 32);
        if (type == TEmr::ArcTo || FInPath || !AxisAligned() || DrawnAsFigures()) {
            TFigure f;
            if (type == TEmr::Pie) f.push_back(Map((l + rr) / 2, (t + b) / 2));
            AddArc(f, l, t, rr, b, start, end);
            if (type == TEmr::ArcTo) {
                // The current position moves to the arc's end, on the ellipse.
                const double a = RayAngle(l, t, rr, b, end);
                return ContinueFrom(f, {(l + rr) / 2 + std::abs(rr - l) / 2 * std::cos(a),
                                        (t + b) / 2 - std::abs(b - t) / 2 * std::sin(a)});
            }
            return Shape(std::move(f), type != TEmr::Arc);
        }
        // Windows metafile arcs run counter-clockwise on the page, and the
        // arc direction is the page's too.
        TPt s = Map(start.X, start.Y), e = Map(end.X, end.Y);
        if (FState.ArcDirection == AD_CLOCKWISE) std::swap(s, e);
        const TBox box = Ordered(Map(l, t), Map(rr, b));
        const TWmf function = type == TEmr::Arc ? TWmf::Arc : type == TEmr::Chord ? TWmf::Chord : TWmf::Pie;
        Emit(function, {Clamp16(e.Y), Clamp16(e.X), Clamp16(s.Y), Clamp16(s.X), Clamp16(box.B), Clamp16(box.R),
                        Clamp16(box.T), Clamp16(box.L)});
    }

    void AngleArc(const TByteView& r) {
        const double cx = r.I32(8), cy = r.I32(12), radius = r.U32(16);
        const double a0 = r.F32(20) * Pi / 180, sweep = r.F32(24) * Pi / 180;
        if (!std::isfinite(a0) || !std::isfinite(sweep) || std::abs(sweep) > 64 * Pi) return;
        TFigure f;
        AddEllipseArc(f, cx - radius, cy - radius, cx + radius, cy + radius, a0, a0 + sweep);
        ContinueFrom(f, {cx + radius * std::cos(a0 + sweep), cy - radius * std::sin(a0 + sweep)});
    }

    void PolyPoly(const TByteView& r, bool small, bool closed) {
        const std::size_t polys = r.U32(24), total = r.U32(28);
        if (polys > r.Size() / 4) r.Fail("a polygon count past the record's end");
        r.Require(32, polys * 4, "the polygon counts");
        const TFigure points = MapAll(Points(r, 32 + polys * 4, total, small));
        std::vector<TFigure> figures;
        std::size_t next = 0;
        for (std::size_t i = 0; i < polys; ++i) {
            const std::size_t n = r.U32(32 + 4 * i);
            if (n > points.size() - next) r.Fail("polygon counts exceed the points");
            figures.emplace_back(points.begin() + next, points.begin() + next + n);
            next += n;
        }
        if (FInPath) {
            for (TFigure& f : figures) NewFigure(std::move(f), closed);
        } else if (closed) {
            Outlined(figures);
        } else {
            for (const TFigure& f : figures) Stroke(f, false);
        }
    }

    void PolyRecord(TEmr type, const TByteView& r, bool small) {
        const std::vector<TPt> logical = Points(r, 28, r.U32(24), small);
        switch (type) {
            case TEmr::Polygon: case TEmr::Polygon16:
                return Shape(MapAll(logical), true);
            case TEmr::Polyline: case TEmr::Polyline16: return Shape(MapAll(logical), false);
            case TEmr::PolylineTo: case TEmr::PolylineTo16:
                if (!logical.empty()) ContinueFrom(MapAll(logical), logical.back());
                return;
            case TEmr::PolyBezier: case TEmr::PolyBezier16: {
                if (logical.empty()) return;
                const TFigure mapped = MapAll(logical);
                TFigure f{mapped[0]};
                AddBeziers(f, mapped[0], TFigure(mapped.begin() + 1, mapped.end()));
                return Shape(std::move(f), false);
            }
            default: {  // PolyBezierTo
                if (logical.size() < 3) return;
                TFigure f;
                AddBeziers(f, Map(FState.Current.X, FState.Current.Y), MapAll(logical));
                return ContinueFrom(f, logical[(logical.size() / 3) * 3 - 1]);
            }
        }
    }

    // ---- text

    void Text(const TByteView& r, bool wide) {
        const std::uint32_t options = r.U32(52);
        if (options & ETO_GLYPH_INDEX) throw TUntranslatable{};
        const std::size_t count = r.U32(44);
        if (count > r.Size()) r.Fail("a character count past the record's end");
        if (count == 0) return;
        const TByteView text = r.Sub(r.U32(48), count * (wide ? 2 : 1), "the text");
        std::string bytes;
        if (wide) {
            const std::u32string decoded = DecodeUtf16(text.Data(), count);
            for (const char32_t c : decoded) bytes.push_back(static_cast<char>(TextByte(c, FState.SymbolFont)));
        } else {
            bytes.assign(reinterpret_cast<const char*>(text.Data()), count);
        }
        if (bytes.size() > 8192) throw TUntranslatable{};
        std::uint32_t wmfOptions = options & (ETO_OPAQUE | ETO_CLIPPED | ETO_RTLREADING);
        const TBox box = Ordered(Map(r.I32(56), r.I32(60)), Map(r.I32(64), r.I32(68)));
        if ((wmfOptions & ETO_OPAQUE) && !AxisAligned()) throw TUntranslatable{};
        if (!AxisAligned()) wmfOptions &= ~ETO_CLIPPED;
        const TPt at = Map(r.I32(36), r.I32(40));
        TRecordData d;
        d.I16(Clamp16(at.Y)).I16(Clamp16(at.X)).I16(static_cast<std::int16_t>(bytes.size()));
        d.U16(static_cast<std::uint16_t>(wmfOptions));
        if (wmfOptions & (ETO_OPAQUE | ETO_CLIPPED))
            d.I16(Clamp16(box.L)).I16(Clamp16(box.T)).I16(Clamp16(box.R)).I16(Clamp16(box.B));
        d.Bytes(bytes).Pad(2);
        // The advances, scaled along the baseline; rounded from their running
        // sum so that the line keeps its length.
        const std::uint32_t offDx = r.U32(72);
        const std::size_t step = (options & ETO_PDY) ? 8 : 4;
        if (offDx != 0 && bytes.size() == count && r.Has(offDx, count * step)) {
            const double scale = std::hypot(FXf.M11, FXf.M12) * FUnits;
            double sum = 0;
            std::int64_t placed = 0;
            for (std::size_t i = 0; i < count; ++i) {
                sum += r.I32(offDx + step * i) * scale;
                if (!(std::abs(sum) < 1e9)) sum = 0;
                const auto next = static_cast<std::int64_t>(std::nearbyint(sum));
                d.I16(Clamp16(static_cast<double>(next - placed)));
                placed = next;
            }
        }
        Emit(TWmf::ExtTextOut, d);
    }

    // ---- bitmaps

    // A bitmap drawn into a logical rectangle. fromTop: the source rectangle
    // counts rows from the top, as a memory device does; a Windows metafile
    // DIB counts them from the bottom of a bottom-up bitmap.
    void Blit(std::uint32_t rop, double x, double y, double w, double h, double sx, double sy, double sw, double sh,
              const TByteView& header, const TByteView& bits, bool fromTop) {
        if (!AxisAligned()) throw TUntranslatable{};
        const TDibInfo info = ReadDibInfo(header);
        if (info.Compression == BI_JPEG || info.Compression == BI_PNG) throw TUntranslatable{};
        if (fromTop && !info.TopDown) sy = info.Height - sy - sh;
        const TPt a = Map(x, y), b = Map(x + w, y + h);
        const double dw = b.X - a.X, dh = b.Y - a.Y;
        // The pixels the box shows at the raster resolution.
        const double needW = std::max(1.0, std::ceil(std::abs(dw) / FUnits * FSettings.RasterScale));
        const double needH = std::max(1.0, std::ceil(std::abs(dh) / FUnits * FSettings.RasterScale));
        std::vector<std::uint8_t> packed;
        if (std::abs(sw) <= needW && std::abs(sh) <= needH && info.Width <= 32767 && info.Height <= 32767) {
            if (info.Compression == BI_RGB && bits.Size() < info.Stride() * static_cast<std::size_t>(info.Height))
                ShortBitmap(header);
            packed.assign(header.Data(), header.Data() + header.Size());
            packed.insert(packed.end(), bits.Data(), bits.Data() + bits.Size());
        } else {
            const TDibLayer layer = Resampled(header, bits, info, needW * info.Width / std::max(1.0, std::abs(sw)),
                                              needH * info.Height / std::max(1.0, std::abs(sh)));
            const double fx = double(layer.Width) / info.Width, fy = double(layer.Height) / info.Height;
            sx *= fx, sw *= fx, sy *= fy, sh *= fy;
            packed = layer.Info;
            packed.insert(packed.end(), layer.Bits.begin(), layer.Bits.end());
        }
        TRecordData d;
        d.U32(rop).U16(DIB_RGB_COLORS);
        d.I16(Clamp16(sh)).I16(Clamp16(sw)).I16(Clamp16(sy)).I16(Clamp16(sx));
        d.I16(Clamp16(dh)).I16(Clamp16(dw)).I16(Clamp16(a.Y)).I16(Clamp16(a.X));
        d.Bytes(packed);
        Emit(TWmf::StretchDIB, d);
    }

    [[noreturn]] static void ShortBitmap(const TByteView& v) { v.Fail("a bitmap shorter than its rows"); }

    // The bitmap sampled down to at most width x height pixels.
    static TDibLayer Resampled(const TByteView& header, const TByteView& bits, const TDibInfo& info, double width,
                               double height) {
        // As a "BM" file: the file header, then the packed bitmap.
        TRecordData file;
        const std::uint32_t offset = 14 + static_cast<std::uint32_t>(header.Size());
        file.U8('B').U8('M').U32(offset + static_cast<std::uint32_t>(bits.Size())).U32(0).U32(offset);
        file.Bytes(header.Data(), header.Size()).Bytes(bits.Data(), bits.Size());
        TBitmap bitmap;
        bitmap.LoadFromBytes(std::move(file.Data()));
        const TBitmapLimit limit{Steps(width, 1, 16384), Steps(height, 1, 16384)};
        std::vector<TDibLayer> layers = DibLayers(bitmap, 1, 1, limit);
        if (layers.size() != 1 || layers[0].Width <= 0 || layers[0].Height <= 0 || info.Width <= 0 || info.Height <= 0)
            throw TUntranslatable{};
        return std::move(layers[0]);
    }

    void PatBlt(std::uint32_t rop, double x, double y, double w, double h) {
        if (!AxisAligned()) throw TUntranslatable{};
        const TPt a = Map(x, y), b = Map(x + w, y + h);
        TRecordData d;
        d.U32(rop).I16(Clamp16(b.Y - a.Y)).I16(Clamp16(b.X - a.X)).I16(Clamp16(a.Y)).I16(Clamp16(a.X));
        Emit(TWmf::PatBlt, d);
    }

    void BltRecord(const TByteView& r, bool stretch) {
        const double x = r.I32(24), y = r.I32(28), w = r.I32(32), h = r.I32(36);
        const std::uint32_t rop = r.U32(40);
        if (r.U32(88) == 0 || r.U32(96) == 0) return PatBlt(rop, x, y, w, h);
        if (r.U32(80) != DIB_RGB_COLORS) throw TUntranslatable{};
        const double sw = stretch ? r.I32(100) : w, sh = stretch ? r.I32(104) : h;
        Blit(rop, x, y, w, h, r.I32(44), r.I32(48), sw, sh, r.Sub(r.U32(84), r.U32(88), "the bitmap header"),
             r.Sub(r.U32(92), r.U32(96), "the bitmap"), true);
    }

    void StretchDibits(const TByteView& r) {
        const double x = r.I32(24), y = r.I32(28);
        const std::uint32_t rop = r.U32(68);
        if (r.U32(52) == 0) return PatBlt(rop, x, y, r.I32(72), r.I32(76));
        if (r.U32(64) != DIB_RGB_COLORS) throw TUntranslatable{};
        Blit(rop, x, y, r.I32(72), r.I32(76), r.I32(32), r.I32(36), r.I32(40), r.I32(44),
             r.Sub(r.U32(48), r.U32(52), "the bitmap header"), r.Sub(r.U32(56), r.U32(60), "the bitmap"), false);
    }

    void SetDibitsToDevice(const TByteView& r) {
        if (r.U32(64) != DIB_RGB_COLORS || r.U32(68) != 0) throw TUntranslatable{};
        const TByteView header = r.Sub(r.U32(48), r.U32(52), "the bitmap header");
        if (r.U32(72) < static_cast<std::uint32_t>(std::max(0, ReadDibInfo(header).Height))) throw TUntranslatable{};
        const double sw = r.I32(40), sh = r.I32(44);
        Blit(SRCCOPY, r.I32(24), r.I32(28), sw, sh, r.I32(32), r.I32(36), sw, sh, header,
             r.Sub(r.U32(56), r.U32(60), "the bitmap"), false);
    }

    // Region fills: rectangles in the brush with no outline.
    void FillRegion(const TByteView& data, std::uint32_t brushIndex, bool current) {
        const std::vector<TBox> boxes = RegionBoxes(data);
        const int pen = FState.Pen, brush = FState.Brush;
        int fill = brush, hatch = current ? FState.Hatch : -1;
        std::uint32_t hatchColor = FState.HatchColor;
        if (!current) {
            if (brushIndex & StockObjectFlag) {
                fill = Stock(brushIndex & ~StockObjectFlag);
            } else if (brushIndex < FObjects.size() && FObjects[brushIndex].Kind == TObjectKind::Brush) {
                fill = FObjects[brushIndex].Slot;
                hatch = FObjects[brushIndex].Hatch, hatchColor = FObjects[brushIndex].HatchColor;
            } else {
                return;
            }
        }
        if (hatch >= 0) {
            std::vector<TFigure> figures;
            for (const TBox& b : boxes) figures.push_back({{b.L, b.T}, {b.R, b.T}, {b.R, b.B}, {b.L, b.B}});
            return FillHatched(figures, hatch, hatchColor);
        }
        const int nullPen = Stock(NULL_PEN);
        SelectSlot(nullPen);
        if (fill != brush) SelectSlot(fill);
        const double pixel = FUnits;  // a null pen leaves out the right and bottom edges
        for (const TBox& b : boxes)
            Emit(TWmf::Rectangle, {Clamp16(b.B + pixel), Clamp16(b.R + pixel), Clamp16(b.T), Clamp16(b.L)});
        RestoreSlot(pen, nullPen);
        if (fill != brush) SelectSlot(brush);
    }

    // ---- the records

    void Mode(TWmf function, std::uint32_t& field, std::uint32_t value) {
        field = value;
        Emit(function, {static_cast<std::int16_t>(value)});
    }

    void Record(TEmr type, const TByteView& r) {
        if (FFolder.Fold(type, r)) return Refresh();
        switch (type) {
            case TEmr::Polygon: case TEmr::Polyline: case TEmr::PolylineTo: case TEmr::PolyBezier:
            case TEmr::PolyBezierTo:
                return PolyRecord(type, r, false);
            case TEmr::Polygon16: case TEmr::Polyline16: case TEmr::PolylineTo16: case TEmr::PolyBezier16:
            case TEmr::PolyBezierTo16:
                return PolyRecord(type, r, true);
            case TEmr::PolyPolygon: case TEmr::PolyPolygon16: return PolyPoly(r, type == TEmr::PolyPolygon16, true);
            case TEmr::PolyPolyline: case TEmr::PolyPolyline16: return PolyPoly(r, type == TEmr::PolyPolyline16, false);
            case TEmr::SetPixelV: {
                if (!AxisAligned() || FInPath) return;
                const TPt p = Map(r.I32(8), r.I32(12));
                TRecordData d;
                d.U32(r.U32(16) & 0xFFFFFF).I16(Clamp16(p.Y)).I16(Clamp16(p.X));
                return Emit(TWmf::SetPixel, d);
            }
            case TEmr::SetBkMode: return Mode(TWmf::SetBkMode, FState.BkMode, r.U32(8));
            case TEmr::SetPolyFillMode: return Mode(TWmf::SetPolyFillMode, FState.PolyFillMode, r.U32(8));
            case TEmr::SetRop2: return Mode(TWmf::SetRop2, FState.Rop2, r.U32(8));
            case TEmr::SetStretchBltMode: return Mode(TWmf::SetStretchBltMode, FState.StretchMode, r.U32(8));
            case TEmr::SetTextAlign: return Mode(TWmf::SetTextAlign, FState.TextAlign, r.U32(8) & 0xFFFF);
            case TEmr::SetTextColor:
                FState.TextColor = r.U32(8) & 0xFFFFFF;
                return Emit(TWmf::SetTextColor, TRecordData().U32(FState.TextColor));
            case TEmr::SetBkColor:
                FState.BkColor = r.U32(8) & 0xFFFFFF;
                return Emit(TWmf::SetBkColor, TRecordData().U32(FState.BkColor));
            case TEmr::SetArcDirection: FState.ArcDirection = r.U32(8); return;
            case TEmr::MoveToEx: return MoveTo(PointL(r, 8));
            case TEmr::LineTo: return LineTo(PointL(r, 8));
            case TEmr::ExcludeClipRect: return LogicalClip(r, true);
            case TEmr::IntersectClipRect: return LogicalClip(r, false);
            case TEmr::ExtSelectClipRgn: return SelectClipRegion(r);
            case TEmr::SelectClipPath: return SelectClipPath(r.U32(8));
            case TEmr::SaveDC: return SaveDc();
            case TEmr::RestoreDC: return RestoreDc(r.I32(8));
            case TEmr::SelectObject: return SelectObject(r.U32(8));
            case TEmr::DeleteObject: return FreeObject(r.U32(8));
            case TEmr::CreatePen: return CreatePen(r);
            case TEmr::ExtCreatePen: return ExtCreatePen(r);
            case TEmr::CreateBrushIndirect: return CreateBrush(r);
            case TEmr::CreateMonoBrush: case TEmr::CreateDIBPatternBrushPt: return CreatePatternBrush(r);
            case TEmr::ExtCreateFontIndirectW: return CreateFont(r);
            case TEmr::Rectangle: case TEmr::Ellipse: case TEmr::RoundRect: return BoxShape(type, r);
            case TEmr::Arc: case TEmr::ArcTo: case TEmr::Chord: case TEmr::Pie: return ArcShape(type, r);
            case TEmr::AngleArc: return AngleArc(r);
            case TEmr::BeginPath:
                FFigures.clear();
                FClosedFigures.clear();
                FFigureClosed = true;
                FInPath = true;
                return;
            case TEmr::EndPath: FInPath = false; return;
            case TEmr::AbortPath: FFigures.clear(); FClosedFigures.clear(); FInPath = false; return;
            case TEmr::CloseFigure:
                if (!FFigures.empty() && !FFigureClosed) {
                    FClosedFigures.insert(FFigures.size() - 1);
                    FFigureClosed = true;
                }
                return;
            case TEmr::FillPath: return EndPathDrawing(true, false);
            case TEmr::StrokePath: return EndPathDrawing(false, true);
            case TEmr::StrokeAndFillPath: return EndPathDrawing(true, true);
            case TEmr::FlattenPath: return;
            case TEmr::FillRgn: return FillRegion(r.Sub(32, r.U32(24), "the region"), r.U32(28), false);
            case TEmr::PaintRgn: return FillRegion(r.Sub(28, r.U32(24), "the region"), 0, true);
            case TEmr::BitBlt: return BltRecord(r, false);
            case TEmr::StretchBlt: return BltRecord(r, true);
            case TEmr::StretchDIBits: return StretchDibits(r);
            case TEmr::SetDIBitsToDevice: return SetDibitsToDevice(r);
            case TEmr::ExtTextOutA: return Text(r, false);
            case TEmr::ExtTextOutW: return Text(r, true);
            // Comments (EMF+ among them), palettes, colour adjustment and the
            // like; and the drawings the picture player leaves out (masked and
            // skewed blits, region frames and inversions, PolyDraw, PolyTextOut,
            // flood fills, widened paths), which pixels would not show either.
            default: return;
        }
    }

    const TByteView& FBytes;
    TEmfToWmfSettings FSettings;
    TTransformFolder FFolder;
    TXForm FXf;
    int FUnits = 1;  // output units per frame pixel
    TWmfWriter FWmf;
    std::size_t FBytesOut = 0;
    std::vector<TObject> FObjects;  // by the enhanced metafile's index
    // The Windows metafile's object table: its size so far and the slots freed in it.
    int FSlotCount = 0;
    std::set<int> FFreeSlots;
    // Line-edge crossings left to the hatches of the whole picture.
    double FHatchWork = 2e8;
    std::map<std::uint32_t, int> FStock;
    TDcState FState;
    std::vector<TSaved> FSaves;
    bool FClipped = false;
    bool FInPath = false;
    bool FFigureClosed = true;
    std::vector<TFigure> FFigures;
    std::set<std::size_t> FClosedFigures;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> TranslateEmfToWmf(const TByteView& bytes, const TMetafileInfo& info,
                                                           const TEmfToWmfSettings& settings) {
    if (!info.Enhanced || !bytes.Has(0, 8)) return std::nullopt;
    try {
        return TTranslator(bytes, info, settings).Run();
    } catch (const TUntranslatable&) {
        return std::nullopt;
    }
}

}  // namespace tal::pictures
