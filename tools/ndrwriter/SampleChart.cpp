#include "tools/ndrwriter/SampleChart.h"

#include <cmath>
#include <string>
#include <string_view>

#include "platform/pictures/MetafileWriter.h"

namespace tal::ndrwriter {

namespace {

using namespace tal::pictures;

// Logical units of the chart: a thousand to the inch.
constexpr int PerInch = 1000;

TRecordData RectL(int l, int t, int r, int b) { return TRecordData().I32(l).I32(t).I32(r).I32(b); }

class TChart {
public:
    TChart(double widthInches, double heightInches, int seed)
        : FW(static_cast<int>(widthInches * PerInch)), FH(static_cast<int>(heightInches * PerInch)), FSeed(seed) {
        PlotRight = FW - 1700;
        FPixelsW = static_cast<int>(std::lround(widthInches * 96)), FPixelsH = static_cast<int>(std::lround(heightInches * 96));
        FEmf.SetHandles(8);
        FEmf.Add(TEmr::SetMapMode, TRecordData().U32(MM_ANISOTROPIC));
        FEmf.Add(TEmr::SetWindowExtEx, TRecordData().I32(FW).I32(FH));
        FEmf.Add(TEmr::SetViewportExtEx, TRecordData().I32(FPixelsW).I32(FPixelsH));
    }

    std::vector<std::uint8_t> Draw() {
        Background();
        Title();
        Axes();
        Bars();
        Series();
        Pie();
        Logo();
        const int hiW = static_cast<int>(std::lround(FW * 2.54)), hiH = static_cast<int>(std::lround(FH * 2.54));
        return FEmf.Finish({0, 0, FPixelsW - 1, FPixelsH - 1}, {0, 0, hiW, hiH}, 1920, 1080, 508, 286);
    }

private:
    void Pen(std::uint32_t style, int width, std::uint32_t color) {
        FEmf.Add(TEmr::DeleteObject, TRecordData().U32(1));
        FEmf.Add(TEmr::ExtCreatePen, TRecordData().U32(1).U32(0).U32(0).U32(0).U32(0)
                                         .U32(style | PS_GEOMETRIC).U32(width).U32(BS_SOLID).U32(color).U32(0).U32(0));
        FEmf.Add(TEmr::SelectObject, TRecordData().U32(1));
    }
    void Brush(std::uint32_t style, std::uint32_t color, std::uint32_t hatch = 0) {
        FEmf.Add(TEmr::DeleteObject, TRecordData().U32(2));
        FEmf.Add(TEmr::CreateBrushIndirect, TRecordData().U32(2).U32(style).U32(color).U32(hatch));
        FEmf.Add(TEmr::SelectObject, TRecordData().U32(2));
    }
    void Font(int height, int weight, int escapement) {
        FEmf.Add(TEmr::DeleteObject, TRecordData().U32(3));
        TRecordData d;
        d.U32(3).I32(-height).I32(0).I32(escapement).I32(escapement).I32(weight).U32(0).U32(0);
        const std::u16string_view face = u"Liberation Sans";
        for (const char16_t c : face) d.U16(c);
        for (std::size_t i = face.size(); i < 32; ++i) d.U16(0);
        FEmf.Add(TEmr::ExtCreateFontIndirectW, d);
        FEmf.Add(TEmr::SelectObject, TRecordData().U32(3));
    }
    // Text with an advance for every character, as chart programs record it.
    void Text(int x, int y, std::string_view text, int height) {
        TRecordData d = RectL(0, 0, -1, -1);
        const auto n = static_cast<std::uint32_t>(text.size());
        const std::uint32_t offString = 76, offDx = offString + ((n * 2 + 3) / 4) * 4;
        d.U32(1).F32(0).F32(0).I32(x).I32(y).U32(n).U32(offString).U32(0).Bytes(RectL(0, 0, -1, -1).Data()).U32(offDx);
        for (const char c : text) d.U16(static_cast<std::uint8_t>(c));
        d.Pad(4);
        for (const char c : text) d.I32(c == ' ' || c == 'i' || c == 'l' ? height * 28 / 100 : height * 56 / 100);
        FEmf.Add(TEmr::ExtTextOutW, d);
    }
    void Points(TEmr type, const std::vector<std::pair<int, int>>& points) {
        TRecordData d = RectL(0, 0, FW, FH);
        d.U32(static_cast<std::uint32_t>(points.size()));
        for (auto [x, y] : points) d.I32(x).I32(y);
        FEmf.Add(type, d);
    }
    double Value(int series, int i) const {
        return 0.5 + 0.4 * std::sin(0.7 * i + series * 1.3 + FSeed * 0.9);
    }

    void Background() {
        Pen(PS_SOLID, 10, 0x404040);
        Brush(BS_SOLID, 0xFAF4F0);
        FEmf.Add(TEmr::RoundRect, RectL(20, 20, FW - 20, FH - 20).I32(200).I32(200));
    }
    void Title() {
        FEmf.Add(TEmr::SetBkMode, TRecordData().U32(TRANSPARENT));
        FEmf.Add(TEmr::SetTextColor, TRecordData().U32(0x402010));
        Font(220, 700, 0);
        Text(300, 120, "Quarterly revenue by region " + std::to_string(FSeed + 1), 220);
        Font(120, 400, 900);
        Text(130, FH - 900, "Revenue (million)", 120);
    }
    void Axes() {
        const int left = PlotLeft, bottom = FH - PlotBottom;
        Pen(PS_DASH, 4, 0xB0B0B0);
        for (int i = 1; i <= 5; ++i) {
            const int y = bottom - i * (bottom - PlotTop) / 5;
            FEmf.Add(TEmr::MoveToEx, TRecordData().I32(left).I32(y));
            FEmf.Add(TEmr::LineTo, TRecordData().I32(PlotRight).I32(y));
        }
        Pen(PS_SOLID, 15, 0);
        Points(TEmr::Polyline, {{left, PlotTop}, {left, bottom}, {PlotRight, bottom}});
        Font(100, 400, 0);
        FEmf.Add(TEmr::SetTextAlign, TRecordData().U32(TA_RIGHT | TA_BASELINE));
        for (int i = 0; i <= 5; ++i)
            Text(left - 40, bottom - i * (bottom - PlotTop) / 5 + 35, std::to_string(i * 20), 100);
        FEmf.Add(TEmr::SetTextAlign, TRecordData().U32(0));
    }
    void Bars() {
        const int bottom = FH - PlotBottom, count = 12, step = (PlotRight - PlotLeft) / count;
        FEmf.Add(TEmr::SaveDC, TRecordData());
        FEmf.Add(TEmr::IntersectClipRect, RectL(PlotLeft, PlotTop, PlotRight, bottom));
        Pen(PS_SOLID, 8, 0x303030);
        for (int i = 0; i < count; ++i) {
            const int h = static_cast<int>(Value(0, i) * (bottom - PlotTop) * 1.1);
            if (i % 4 == 3) Brush(BS_HATCHED, 0x2060C0, HS_FDIAGONAL);
            else Brush(BS_SOLID, 0x3080E0 + 0x000800 * i);
            const int x = PlotLeft + i * step + step / 5;
            FEmf.Add(TEmr::Rectangle, RectL(x, bottom - h, x + step * 3 / 5, bottom));
        }
        FEmf.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    }
    void Series() {
        const int bottom = FH - PlotBottom, count = 60;
        std::vector<std::pair<int, int>> line;
        for (int i = 0; i < count; ++i)
            line.push_back({PlotLeft + i * (PlotRight - PlotLeft) / (count - 1),
                            bottom - static_cast<int>(Value(1, i) * 0.3 * (bottom - PlotTop) + 0.5 * (bottom - PlotTop))});
        Pen(PS_SOLID, 30, 0x2020C0);
        Points(TEmr::Polyline, line);
        // A smoothed series over an area filled through a path.
        std::vector<std::pair<int, int>> curve;
        const int segments = 6, step = (PlotRight - PlotLeft) / segments;
        for (int i = 0; i < segments; ++i) {
            const int x0 = PlotLeft + i * step;
            const int y1 = bottom - static_cast<int>(Value(2, i + 1) * 0.25 * (bottom - PlotTop));
            curve.push_back({x0 + step / 3, y1 - 150});
            curve.push_back({x0 + 2 * step / 3, y1 + 150});
            curve.push_back({x0 + step, y1});
        }
        Brush(BS_SOLID, 0x80C080);
        FEmf.Add(TEmr::BeginPath, TRecordData());
        FEmf.Add(TEmr::MoveToEx, TRecordData().I32(PlotLeft).I32(bottom - 200));
        Points(TEmr::PolyBezierTo, curve);
        FEmf.Add(TEmr::LineTo, TRecordData().I32(PlotLeft + segments * step).I32(bottom));
        FEmf.Add(TEmr::LineTo, TRecordData().I32(PlotLeft).I32(bottom));
        FEmf.Add(TEmr::CloseFigure, TRecordData());
        FEmf.Add(TEmr::EndPath, TRecordData());
        FEmf.Add(TEmr::FillPath, RectL(0, 0, FW, FH));
        Pen(PS_DOT, 6, 0x006000);
        FEmf.Add(TEmr::MoveToEx, TRecordData().I32(PlotLeft).I32(bottom - 200));
        Points(TEmr::PolyBezierTo, curve);
    }
    void Pie() {
        const int cx = FW - 900, cy = 1300, r = 550;
        double angle = 0;
        Pen(PS_SOLID, 6, 0xFFFFFF);
        Font(100, 400, 0);
        for (int i = 0; i < 5; ++i) {
            const double share = (i + 1 + FSeed % 3) / (15.0 + 5 * (FSeed % 3));
            const double a0 = angle, a1 = angle + share * 2 * 3.14159265358979;
            angle = a1;
            Brush(BS_SOLID, 0x3050A0 + 0x302010 * i);
            FEmf.Add(TEmr::Pie, RectL(cx - r, cy - r, cx + r, cy + r)
                                    .I32(cx + static_cast<int>(1000 * std::cos(a0))).I32(cy - static_cast<int>(1000 * std::sin(a0)))
                                    .I32(cx + static_cast<int>(1000 * std::cos(a1))).I32(cy - static_cast<int>(1000 * std::sin(a1))));
            FEmf.Add(TEmr::Ellipse, RectL(cx - r, cy + r + 120 + i * 150, cx - r + 100, cy + r + 220 + i * 150));
            Text(cx - r + 160, cy + r + 115 + i * 150, "Region " + std::string(1, static_cast<char>('A' + i)), 100);
        }
    }
    void Logo() {
        constexpr int side = 48;
        TRecordData header;
        header.U32(40).I32(side).I32(side).U16(1).U16(24).U32(0).U32(side * side * 3).I32(0).I32(0).U32(0).U32(0);
        TRecordData bits;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const bool ring = std::abs(std::hypot(x - side / 2.0, y - side / 2.0) - side / 3.0) < side / 10.0;
                bits.U8(ring ? 0x20 : 0xFF).U8(ring ? 0x80 : 0xFF).U8(ring ? 0xC0 : 0xFF);
            }
        constexpr std::uint32_t fixed = 80;
        TRecordData d = RectL(0, 0, 0, 0);
        d.I32(FW - 550).I32(FH - 550).I32(0).I32(0).I32(side).I32(side);
        d.U32(fixed).U32(40).U32(fixed + 40).U32(static_cast<std::uint32_t>(bits.Size()));
        d.U32(0).U32(SRCCOPY).I32(400).I32(400);
        d.Bytes(header.Data()).Bytes(bits.Data());
        FEmf.Add(TEmr::StretchDIBits, d);
    }

    static constexpr int PlotLeft = 600, PlotTop = 450, PlotBottom = 450;
    int FW, FH, FSeed, FPixelsW = 0, FPixelsH = 0;
    int PlotRight = 0;
    TEmfWriter FEmf;
};

}  // namespace

std::vector<std::uint8_t> SampleChartEmf(double widthInches, double heightInches, int seed) {
    return TChart(widthInches, heightInches, seed).Draw();
}

}  // namespace tal::ndrwriter
