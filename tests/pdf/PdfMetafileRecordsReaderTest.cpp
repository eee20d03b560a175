// More pictures seen through a real reader, on a page of their own: bitmaps
// with core, V4 and V5 headers, an icon whose largest image is a PNG, and
// metafiles drawn with the records the first page leaves out — hatched,
// pattern and palette brushes, regions, excluded and path clips, blits with
// a source, the current-position lines and arcs, metric and anisotropic
// mapping with a viewport, and text, upright, centred and rotated.
//
// The fill drawings are stretched to two points a logical unit and their
// logical units are reference pixels, so hatch and pattern cells (kept in
// reference pixels, anchored at the picture's corner) land on whole pixels
// and each hatch line is checked where it must be.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "platform/pictures/Dib.h"
#include "tests/pdf/PictureSheet.h"
#include "tests/pictures/MetafileSamples.h"
#include "tests/pictures/PictureBuilders.h"
#include "tests/pictures/PngBuilder.h"

namespace tal::testing {
namespace {

using namespace tal::pictest;
using ndrwriter::TGraphicData;

constexpr double Units = 100;  // every drawing is 100 x 100 logical units

TArea U(double l, double t, double r, double b, TRgb c) { return UnitArea(Units, l, t, r, b, c); }

// A share of a glyph-covered area in the text colour: neither empty nor a filled box.
TArea Glyphs(double l, double t, double r, double b, TRgb c) {
    TArea a = U(l, t, r, b, c);
    a.MinShare = 0.2;
    a.MaxShare = 0.8;
    return a;
}

// ---- bitmaps: 3 x 2 blocks of 16 pixels, with the other headers ----

constexpr int Block = 16, BitmapWidth = 3 * Block, BitmapHeight = 2 * Block;
constexpr std::array<TRgb, 6> BlockColours {Red, Green, Blue, Yellow, Magenta, Black};

TRgb BlockColour(int x, int y) { return BlockColours[static_cast<std::size_t>(y / Block * 3 + x / Block)]; }

struct TBitmapKind {
    std::string Name;
    TBytes File;
};

TBytes BitmapFile(TDibSpec s, const std::function<std::uint32_t(TRgb, int)>& value) {
    s.Width = BitmapWidth;
    s.Height = BitmapHeight;
    return BmpFile(DibHeader(s), DibRows(s, [&](int x, int y) {
                       return value(BlockColour(x, y), y / Block * 3 + x / Block);
                   }));
}

std::vector<TBitmapKind> BitmapKinds() {
    std::vector<TBitmapKind> kinds;
    TDibSpec core;
    core.HeaderSize = 12;
    kinds.push_back({"24-bit core header", BitmapFile(core, [](TRgb c, int) { return c.Dib(); })});
    // A core colour table always has an entry for every index: 16 triples, white past the six used.
    TDibSpec coreFour = core;
    coreFour.BitCount = 4;
    for (int i = 0; i < 16; ++i) coreFour.Palette.push_back(i < 6 ? BlockColours[static_cast<std::size_t>(i)].Dib() : White.Dib());
    kinds.push_back({"4-bit core header", BitmapFile(coreFour, [](TRgb, int i) { return static_cast<std::uint32_t>(i); })});
    // Masks in the header itself, red and blue swapped against the usual order.
    TDibSpec v4;
    v4.HeaderSize = 108;
    v4.BitCount = 32;
    v4.Compression = 3;
    v4.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    kinds.push_back({"32-bit V4 bit fields", BitmapFile(v4, [](TRgb c, int) { return c.ColorRef(); })});
    TDibSpec v5;
    v5.HeaderSize = 124;
    v5.BitCount = 16;
    v5.Compression = 3;
    v5.Masks = {0xF800, 0x07E0, 0x001F};
    kinds.push_back({"16-bit V5 bit fields", BitmapFile(v5, [](TRgb c, int) {
                         return static_cast<std::uint32_t>((c.R >> 3) << 11 | (c.G >> 2) << 5 | c.B >> 3);
                     })});
    TDibSpec v5rgb;
    v5rgb.HeaderSize = 124;
    v5rgb.TopDown = true;
    kinds.push_back({"24-bit V5 top-down", BitmapFile(v5rgb, [](TRgb c, int) { return c.Dib(); })});
    return kinds;
}

// ---- an icon whose largest image is a PNG ----

const std::array<std::optional<TRgb>, 4> IconBlocks {std::nullopt, Blue, Yellow, Green};

TBytes PngIcon() {
    const TBytes png = PngBytes(32, 32, [](int x, int y) {
        const std::optional<TRgb> c = IconBlocks[static_cast<std::size_t>(y / 16 * 2 + x / 16)];
        return c ? 0xFF000000u | c->Dib() : 0u;
    });
    // A smaller red BMP entry that must not be the one drawn.
    TDibSpec s;
    s.Width = s.Height = 16;
    s.HeightFactor = 2;
    const TBytes small = Concat(Concat(DibHeader(s), DibRows(s, [](int, int) { return Red.Dib(); })),
                                IconMask(16, 16, [](int, int) { return false; }));
    return IconFile({{16, 16, 24, small}, {32, 32, 32, png}});
}

// ---- fills: hatches, a pattern, a palette colour, regions, clips, blits ----

// An 8 x 8 DIB of four 4-pixel quadrants: red, green over blue, black.
TBytes QuadrantDib() {
    TDibSpec s;
    s.Width = s.Height = 8;
    const TRgb colours[2][2] = {{Red, Green}, {Blue, Black}};
    return Concat(DibHeader(s), DibRows(s, [&](int x, int y) { return colours[y / 4][x / 4].Dib(); }));
}

// The 8 x 8 pattern brush: a checker of 4-pixel squares, green at the corner.
TBytes CheckerDib() {
    TDibSpec s;
    s.Width = s.Height = 8;
    return Concat(DibHeader(s), DibRows(s, [](int x, int y) { return ((x < 4) == (y < 4) ? Green : Blue).Dib(); }));
}

void AddQuadrants(TExpectation& e, double x, double y, double size) {
    const double h = size / 2;
    e.Areas.push_back(U(x, y, x + h, y + h, Red));
    e.Areas.push_back(U(x + h, y, x + size, y + h, Green));
    e.Areas.push_back(U(x, y + h, x + h, y + size, Blue));
    e.Areas.push_back(U(x + h, y + h, x + size, y + size, Black));
}

// A hatch line one reference pixel wide at x or y. Hatch cells keep their
// size in reference pixels, which are 8.33 raster pixels here, so a line's
// edges fall between page pixels: the band of two pixels either side holds
// one whole row or column of the line colour, never a solid band.
TArea HatchLine(double l, double t, double r, double b, TRgb c) {
    TArea a = U(l, t, r, b, c);
    a.MinShare = 0.2;
    a.MaxShare = 0.75;
    return a;
}

TExpectation FillsExpectation() {
    TExpectation e;
    // Horizontal red hatch over (8, 8)-(40, 32), transparent: lines on rows 12, 20, 28.
    for (int y : {12, 20, 28}) e.Areas.push_back(HatchLine(10, y - 0.5, 38, y + 1.5, Red));
    for (int y : {13, 21}) e.Areas.push_back(U(10, y + 0.5, 38, y + 6.5, White));
    // Blue cross hatch over (48, 8)-(88, 32) on an opaque yellow background.
    for (int x : {52, 60, 68, 76}) {
        e.Areas.push_back(U(x + 1.5, 13.5, x + 7.5, 19.5, Yellow));
        e.Areas.push_back(HatchLine(x - 0.5, 14, x + 1.5, 19, Blue));
        e.Areas.push_back(HatchLine(x + 2, 11.5, x + 7, 13.5, Blue));
    }
    e.Areas.push_back(U(48, 8, 51.5, 11.5, Yellow));
    // The checker pattern over (8, 40)-(40, 56).
    for (int x = 8; x < 40; x += 4)
        for (int y = 40; y < 56; y += 4) e.Areas.push_back(U(x, y, x + 4, y + 4, (x % 8 == 0) == (y % 8 == 0) ? Green : Blue));
    e.Areas.push_back(U(48, 40, 88, 56, Cyan));  // a palette index
    // A region of two spans filled orange.
    e.Areas.push_back(U(8, 64, 20, 76, Orange));
    e.Areas.push_back(U(20, 64, 28, 76, White));
    e.Areas.push_back(U(28, 64, 40, 76, Orange));
    // A black rectangle over (44, 60)-(92, 80) clipped to an L-shaped region.
    e.Areas.push_back(U(48, 64, 88, 70, Black));
    e.Areas.push_back(U(48, 70, 60, 76, Black));
    e.Areas.push_back(U(60, 70, 88, 76, White));
    e.Areas.push_back(U(44, 60, 48, 80, White));
    e.Areas.push_back(U(48, 76, 88, 80, White));
    // A green rectangle with a hole where the clip excludes it.
    e.Areas.push_back(U(8, 82, 18, 96, Green));
    e.Areas.push_back(U(18, 86, 30, 92, White));
    e.Areas.push_back(U(30, 82, 40, 96, Green));
    e.Areas.push_back(U(18, 82, 30, 86, Green));
    // The quadrant bitmap copied at its size and stretched twice across.
    AddQuadrants(e, 48, 82, 8);
    AddQuadrants(e, 64, 82, 16);
    e.Areas.push_back(U(57, 82, 63, 98, White));
    e.Extent = U(8, 8, 88, 98, White);
    return e;
}

// One scan of a Windows region: rows top..bottom, the spans' left and right edges.
void WmfRegionScan(TRecordData& d, int top, int bottom, std::initializer_list<int> edges) {
    d.U16(static_cast<std::uint16_t>(edges.size())).I16(std::int16_t(top)).I16(std::int16_t(bottom));
    for (int x : edges) d.I16(std::int16_t(x));
    d.U16(static_cast<std::uint16_t>(edges.size()));
}

TRecordData WmfRegion(int scans, TIntRect box, const std::function<void(TRecordData&)>& addScans) {
    TRecordData d;
    d.U16(0).U16(6).U32(0).I16(0).U16(static_cast<std::uint16_t>(scans)).U16(0);
    d.I16(std::int16_t(box.Left)).I16(std::int16_t(box.Top)).I16(std::int16_t(box.Right)).I16(std::int16_t(box.Bottom));
    addScans(d);
    return d;
}

TBytes FillsWmf() {
    TWmfWriter w;
    BeginUnitSquareWmf(w, 8);  // the null pen in slot 0
    const auto brush = [&](const std::function<void()>& create) {  // into slot 1
        w.Add(TWmf::DeleteObject, {1});
        create();
        w.Add(TWmf::SelectObject, {1});
    };
    WmfBrush(w, BS_HATCHED, Red.ColorRef(), HS_HORIZONTAL);  // slot 1
    w.Add(TWmf::SelectObject, {1});
    w.Add(TWmf::SetBkMode, {static_cast<std::int16_t>(TRANSPARENT)});
    WmfRect(w, TWmf::Rectangle, 8, 8, 40, 32);
    brush([&] { WmfBrush(w, BS_HATCHED, Blue.ColorRef(), HS_CROSS); });
    w.Add(TWmf::SetBkMode, {static_cast<std::int16_t>(OPAQUE)});
    w.Add(TWmf::SetBkColor, TRecordData().U32(Yellow.ColorRef()));
    WmfRect(w, TWmf::Rectangle, 48, 8, 88, 32);
    brush([&] { w.Add(TWmf::DIBCreatePatternBrush, TRecordData().U16(BS_DIBPATTERNPT).U16(DIB_RGB_COLORS).Bytes(CheckerDib())); });
    WmfRect(w, TWmf::Rectangle, 8, 40, 40, 56);
    TRecordData palette;  // version, count, entries (red, green, blue, flags)
    palette.U16(0x300).U16(2).U8(255).U8(0).U8(255).U8(0).U8(0).U8(255).U8(255).U8(0);
    w.Add(TWmf::CreatePalette, palette);  // slot 2
    w.Add(TWmf::SelectPalette, {2});
    w.Add(TWmf::RealizePalette, {});
    brush([&] { WmfBrush(w, BS_SOLID, 0x01000001); });  // palette index 1: cyan
    WmfRect(w, TWmf::Rectangle, 48, 40, 88, 56);
    w.Add(TWmf::CreateRegion, WmfRegion(1, {8, 64, 40, 76}, [](TRecordData& d) { WmfRegionScan(d, 64, 76, {8, 20, 28, 40}); }));  // slot 3
    WmfBrush(w, BS_SOLID, Orange.ColorRef());  // slot 4
    w.Add(TWmf::FillRegion, {3, 4});
    w.Add(TWmf::CreateRegion, WmfRegion(2, {48, 64, 88, 76}, [](TRecordData& d) {
              WmfRegionScan(d, 64, 70, {48, 88});
              WmfRegionScan(d, 70, 76, {48, 60});
          }));  // slot 5
    brush([&] { WmfBrush(w, BS_SOLID, Black.ColorRef()); });
    w.Add(TWmf::SaveDC, {});
    w.Add(TWmf::SelectClipRegion, {5});
    WmfRect(w, TWmf::Rectangle, 44, 60, 92, 80);
    w.Add(TWmf::RestoreDC, {-1});
    brush([&] { WmfBrush(w, BS_SOLID, Green.ColorRef()); });
    w.Add(TWmf::SaveDC, {});
    WmfRect(w, TWmf::ExcludeClipRect, 18, 86, 30, 92);
    WmfRect(w, TWmf::Rectangle, 8, 82, 40, 96);
    w.Add(TWmf::RestoreDC, {-1});
    // Parameters last-first: rop, source y, x, (source height, width,) size, destination y, x, the DIB.
    w.Add(TWmf::DIBBitBlt, TRecordData().U32(SRCCOPY).I16(0).I16(0).I16(8).I16(8).I16(82).I16(48).Bytes(QuadrantDib()));
    w.Add(TWmf::DIBStretchBlt,
          TRecordData().U32(SRCCOPY).I16(8).I16(8).I16(0).I16(0).I16(16).I16(16).I16(82).I16(64).Bytes(QuadrantDib()));
    return w.Finish(true, {0, 0, 100, 100}, 96);
}

// An enhanced metafile whose logical units are reference pixels: a
// 100-pixel frame on a 96 pixel-per-inch reference device.
TBytes FinishReferenceEmf(const TEmfWriter& w) {
    return w.Finish({0, 0, 99, 99}, {0, 0, 2646, 2646}, 960, 960, 254, 254);
}

// A blit record's source: transform, background, usage and where the DIB is.
void AddBltSource(TRecordData& d, std::uint32_t fixedSize, const TBytes& dib) {
    d.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(DIB_RGB_COLORS);
    d.U32(fixedSize).U32(40).U32(fixedSize + 40).U32(static_cast<std::uint32_t>(dib.size() - 40));
}

TBytes FillsEmf() {
    TEmfWriter w;
    w.SetHandles(8);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    const auto brush = [&](const std::function<void()>& create) {  // into slot 1
        EmfSelect(w, StockObjectFlag | WHITE_BRUSH);
        w.Add(TEmr::DeleteObject, TRecordData().U32(1));
        create();
        EmfSelect(w, 1);
    };
    brush([&] { EmfBrush(w, 1, BS_HATCHED, Red.ColorRef(), HS_HORIZONTAL); });
    EmfU32(w, TEmr::SetBkMode, TRANSPARENT);
    EmfBox(w, TEmr::Rectangle, 8, 8, 40, 32);
    brush([&] { EmfBrush(w, 1, BS_HATCHED, Blue.ColorRef(), HS_CROSS); });
    EmfU32(w, TEmr::SetBkMode, OPAQUE);
    EmfU32(w, TEmr::SetBkColor, Yellow.ColorRef());
    EmfBox(w, TEmr::Rectangle, 48, 8, 88, 32);
    brush([&] {
        const TBytes dib = CheckerDib();  // index, usage, header offset and size, bits offset and size
        w.Add(TEmr::CreateDIBPatternBrushPt,
              TRecordData().U32(1).U32(DIB_RGB_COLORS).U32(32).U32(40).U32(72).U32(static_cast<std::uint32_t>(dib.size() - 40)).Bytes(dib));
    });
    EmfBox(w, TEmr::Rectangle, 8, 40, 40, 56);
    TRecordData palette;  // index, version, count, entries
    palette.U32(2).U16(0x300).U16(2).U8(255).U8(0).U8(255).U8(0).U8(0).U8(255).U8(255).U8(0);
    w.Add(TEmr::CreatePalette, palette);
    w.Add(TEmr::SelectPalette, TRecordData().U32(2));
    w.Add(TEmr::RealizePalette, {});
    brush([&] { EmfBrush(w, 1, BS_SOLID, 0x01000001); });
    EmfBox(w, TEmr::Rectangle, 48, 40, 88, 56);
    EmfBrush(w, 3, BS_SOLID, Orange.ColorRef());
    const TRecordData spans = EmfRegionData({{8, 64, 20, 76}, {28, 64, 40, 76}});
    w.Add(TEmr::FillRgn, RectL(8, 64, 40, 76).U32(static_cast<std::uint32_t>(spans.Size())).U32(3).Bytes(spans.Data()));
    brush([&] { EmfBrush(w, 1, BS_SOLID, Black.ColorRef()); });
    const TRecordData lShape = EmfRegionData({{48, 64, 88, 70}, {48, 70, 60, 76}});
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(static_cast<std::uint32_t>(lShape.Size())).U32(RGN_COPY).Bytes(lShape.Data()));
    EmfBox(w, TEmr::Rectangle, 44, 60, 92, 80);
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(0).U32(RGN_COPY));
    brush([&] { EmfBrush(w, 1, BS_SOLID, Green.ColorRef()); });
    w.Add(TEmr::SaveDC, {});
    EmfBox(w, TEmr::ExcludeClipRect, 18, 86, 30, 92);
    EmfBox(w, TEmr::Rectangle, 8, 82, 40, 96);
    w.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    const TBytes dib = QuadrantDib();
    TRecordData blt = RectL(48, 82, 55, 89);  // destination, rop, source corner, the source
    blt.I32(48).I32(82).I32(8).I32(8).U32(SRCCOPY).I32(0).I32(0);
    AddBltSource(blt, 100, dib);
    w.Add(TEmr::BitBlt, blt.Bytes(dib));
    TRecordData stretch = RectL(64, 82, 79, 97);
    stretch.I32(64).I32(82).I32(16).I32(16).U32(SRCCOPY).I32(0).I32(0);
    AddBltSource(stretch, 108, dib);
    w.Add(TEmr::StretchBlt, stretch.I32(8).I32(8).Bytes(dib));
    return FinishReferenceEmf(w);
}

// ---- lines, mapping modes, a clip path and text ----

void AddGlyphRows(TExpectation& e) {
    e.Areas.push_back(Glyphs(12, 85, 30, 93, Black));  // "HH" hanging from (9, 80)
    e.Areas.push_back(U(35, 82, 49, 96, White));
    e.Areas.push_back(Glyphs(64, 78, 74, 94, Black));  // "HH" turned a quarter left from (60, 98)
}

TExpectation LinesExpectation() {
    TExpectation e;
    e.Areas = {
        U(14, 9, 36, 11, Red), U(39, 14, 41, 26, Red),                      // MoveTo, PolylineTo
        U(68, 9, 72, 11, Green), U(60, 18, 80, 27, White),                  // AngleArc over the top
        U(28, 44, 37, 46, Blue), U(13.4, 48.4, 15.4, 50.4, Blue),           // ArcTo: its line and arc,
        U(9, 64, 11, 71, Blue), U(28, 63, 38, 73, White),                   // then a line from its end
        U(50, 50, 70, 70, Yellow),                                          // in tenths of a millimetre
        U(77, 45, 85, 51, Magenta), U(87, 45, 95, 51, White),               // through a viewport
        U(88, 60, 95, 66, Cyan), U(77, 70, 84, 77, White),                  // clipped to a triangle path
        U(94, 94, 98, 98, Black),
    };
    AddGlyphRows(e);
    e.Extent = U(8, 8, 98, 98, White);
    return e;
}

TRecordData EmfFontRecord(std::uint32_t index, int height, int escapement, std::u16string_view face) {
    TRecordData d;
    d.U32(index).I32(height).I32(0).I32(escapement).I32(escapement).I32(400).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0);
    for (std::size_t i = 0; i < 32; ++i) d.U16(i < face.size() ? face[i] : 0);
    return d;
}

TBytes LinesEmf() {
    TEmfWriter w;
    w.SetHandles(8);
    EmfPen(w, 1, PS_SOLID, 4, Red.ColorRef());
    EmfSelect(w, 1);
    EmfPair(w, TEmr::MoveToEx, 10, 10);
    EmfPoints(w, TEmr::PolylineTo16, {{40, 10}, {40, 30}}, true);
    EmfPen(w, 2, PS_SOLID, 4, Green.ColorRef());
    EmfSelect(w, 2);
    EmfPair(w, TEmr::MoveToEx, 90, 30);
    w.Add(TEmr::AngleArc, TRecordData().I32(70).I32(30).U32(20).F32(0).F32(180));
    EmfPen(w, 3, PS_SOLID, 4, Blue.ColorRef());
    EmfSelect(w, 3);
    EmfPair(w, TEmr::MoveToEx, 40, 45);
    w.Add(TEmr::ArcTo, RectL(10, 45, 40, 75).I32(25).I32(45).I32(10).I32(60));
    EmfPair(w, TEmr::LineTo, 10, 75);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    const auto brush = [&](TRgb colour) {
        EmfSelect(w, StockObjectFlag | WHITE_BRUSH);
        w.Add(TEmr::DeleteObject, TRecordData().U32(4));
        EmfBrush(w, 4, BS_SOLID, colour.ColorRef());
        EmfSelect(w, 4);
    };
    brush(Yellow);
    w.Add(TEmr::SaveDC, {});
    EmfU32(w, TEmr::SetMapMode, MM_LOMETRIC);  // 96 pixels are 254 tenths of a millimetre
    EmfBox(w, TEmr::Rectangle, 127, -127, 190, -190);
    w.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    brush(Magenta);
    w.Add(TEmr::SaveDC, {});
    EmfU32(w, TEmr::SetMapMode, MM_ANISOTROPIC);
    EmfPair(w, TEmr::SetWindowExtEx, 10, 10);
    EmfPair(w, TEmr::SetViewportExtEx, 20, 10);
    EmfPair(w, TEmr::SetViewportOrgEx, 76, 44);
    EmfBox(w, TEmr::Rectangle, 0, 0, 5, 8);
    w.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    brush(Cyan);
    w.Add(TEmr::BeginPath, {});
    EmfPoints(w, TEmr::Polygon16, {{76, 58}, {96, 58}, {96, 78}}, true);
    w.Add(TEmr::EndPath, {});
    EmfU32(w, TEmr::SelectClipPath, RGN_COPY);
    EmfBox(w, TEmr::Rectangle, 72, 56, 98, 80);
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(0).U32(RGN_COPY));
    brush(Black);
    EmfBox(w, TEmr::Rectangle, 94, 94, 98, 98);
    EmfU32(w, TEmr::SetBkMode, TRANSPARENT);
    EmfU32(w, TEmr::SetTextColor, Black.ColorRef());
    w.Add(TEmr::ExtCreateFontIndirectW, EmfFontRecord(5, -16, 0, u"DejaVu Sans"));
    EmfSelect(w, 5);
    EmfTextW(w, 9, 80, u"HH");
    w.Add(TEmr::ExtCreateFontIndirectW, EmfFontRecord(6, -16, 900, u"DejaVu Sans"));
    EmfSelect(w, 6);
    EmfTextW(w, 60, 98, u"HH");
    return FinishReferenceEmf(w);
}

// The text rows again in a Windows metafile, with a centred line on its
// baseline and an outline arc.
TExpectation TextExpectation() {
    TExpectation e;
    e.Areas = {
        Glyphs(42, 30, 58, 39, Black), U(20, 28, 38, 40, White), U(62, 28, 80, 40, White),  // centred on (50, 40)
        U(78, 49, 82, 51, Green), U(78, 79, 82, 81, White),                                    // the upper half arc
        U(2, 2, 6, 6, Black), U(94, 94, 98, 98, Black),
    };
    AddGlyphRows(e);
    e.Extent = U(2, 2, 98, 98, White);
    return e;
}

TBytes TextWmf() {
    TWmfWriter w;
    BeginUnitSquareWmf(w, 4);  // the null pen in slot 0
    WmfBrush(w, BS_SOLID, Black.ColorRef());  // slot 1
    w.Add(TWmf::SelectObject, {1});
    WmfRect(w, TWmf::Rectangle, 2, 2, 6, 6);
    WmfRect(w, TWmf::Rectangle, 94, 94, 98, 98);
    w.Add(TWmf::DeleteObject, {0});
    WmfPen(w, PS_SOLID, 4, Green.ColorRef());  // slot 0
    w.Add(TWmf::SelectObject, {0});
    w.Add(TWmf::Arc, {65, 65, 65, 95, 80, 95, 50, 65});  // end y, x, start y, x, bottom, right, top, left
    w.Add(TWmf::SetBkMode, {static_cast<std::int16_t>(TRANSPARENT)});
    w.Add(TWmf::SetTextColor, TRecordData().U32(Black.ColorRef()));
    WmfFont(w, -16, "DejaVu Sans");  // slot 2
    w.Add(TWmf::SelectObject, {2});
    WmfTextOut(w, 9, 80, "HH");
    w.Add(TWmf::SetTextAlign, {static_cast<std::int16_t>(TA_CENTER | TA_BASELINE)});
    WmfTextOut(w, 50, 40, "HH");
    w.Add(TWmf::SetTextAlign, {0});
    WmfFont(w, -16, "DejaVu Sans", 900);  // slot 3
    w.Add(TWmf::SelectObject, {3});
    TRecordData text;  // y, x, count, no options, the text
    text.I16(98).I16(60).U16(2).U16(0).Bytes("HH");
    w.Add(TWmf::ExtTextOut, text);
    return w.Finish(true, {0, 0, 100, 100}, 96);
}

// ---- the remaining records: origins and scaled extents, raster modes,
// fill modes, device bitmaps, painted regions, path forms, dashes ----

void AddFrameSquares(TExpectation& e) {
    e.Areas.push_back(U(2, 2, 6, 6, Black));
    e.Areas.push_back(U(94, 94, 98, 98, Black));
    e.Extent = U(2, 2, 98, 98, White);
}

// What the Windows and the enhanced metafile of the remaining records both draw.
void AddCommonRest(TExpectation& e) {
    e.Areas.push_back(U(50, 10, 60, 20, Red));  // drawn at (10, 10) under a moved origin
    e.Areas.push_back(U(10, 10, 20, 20, White));
    // A black bar crossed by a pen that inverts: white on the bar, black beyond it.
    e.Areas.push_back(U(12, 30, 38, 33, Black));
    e.Areas.push_back(U(12, 34, 38, 36, White));
    e.Areas.push_back(U(5, 34, 9, 36, Black));
    e.Areas.push_back(U(41, 34, 45, 36, Black));
    AddQuadrants(e, 10, 50, 8);  // a DIB set to the device at its size
    e.Areas.push_back(U(30, 50, 45, 60, Magenta));  // a region painted with the brush
    // Two squares, one inside the other, winding: the inner one filled; alternate: empty.
    e.Areas.push_back(U(50, 50, 90, 55, Green));
    e.Areas.push_back(U(60, 55, 80, 65, Green));
    e.Areas.push_back(U(50, 74, 90, 79, Green));
    e.Areas.push_back(U(60, 79, 80, 87, White));
    AddFrameSquares(e);
}

void WmfPolyPolygonSquares(TWmfWriter& w, int top) {
    w.Add(TWmf::PolyPolygon, TRecordData().U16(2).U16(4).U16(4)
                                 .I16(50).I16(std::int16_t(top)).I16(90).I16(std::int16_t(top)).I16(90).I16(std::int16_t(top + 20)).I16(50).I16(std::int16_t(top + 20))
                                 .I16(60).I16(std::int16_t(top + 5)).I16(80).I16(std::int16_t(top + 5)).I16(80).I16(std::int16_t(top + 15)).I16(60).I16(std::int16_t(top + 15)));
}

TExpectation RestWmfExpectation() {
    TExpectation e;
    AddCommonRest(e);
    AddQuadrants(e, 50, 26, 16);  // a 24-bit device bitmap stretched
    e.Areas.push_back(U(70, 26, 90, 30, Cyan));  // a monochrome one copied over cyan
    e.Areas.push_back(U(74, 30, 78, 38, Black));
    e.Areas.push_back(U(78, 30, 82, 38, White));
    e.Areas.push_back(U(82, 30, 90, 42, Cyan));
    return e;
}

TBytes RestWmf() {
    TWmfWriter w;
    w.SetObjectCount(4);
    w.Add(TWmf::SetWindowOrg, {0, 0});
    w.Add(TWmf::SetWindowExt, {50, 50});
    w.Add(TWmf::ScaleWindowExt, {1, 2, 1, 2});  // y denominator, numerator, x denominator, numerator: 100 x 100
    WmfPen(w, PS_NULL, 0, 0);  // slot 0
    w.Add(TWmf::SelectObject, {0});
    const auto brush = [&](TRgb colour) {  // into slot 1
        w.Add(TWmf::DeleteObject, {1});
        WmfBrush(w, BS_SOLID, colour.ColorRef());
        w.Add(TWmf::SelectObject, {1});
    };
    brush(Black);
    WmfRect(w, TWmf::Rectangle, 2, 2, 6, 6);
    WmfRect(w, TWmf::Rectangle, 94, 94, 98, 98);
    WmfRect(w, TWmf::Rectangle, 10, 30, 40, 40);
    brush(Red);
    w.Add(TWmf::OffsetWindowOrg, {0, -40});  // y, x
    WmfRect(w, TWmf::Rectangle, 10, 10, 20, 20);
    w.Add(TWmf::OffsetWindowOrg, {0, 40});
    WmfPen(w, PS_SOLID, 4, Blue.ColorRef());  // slot 2
    w.Add(TWmf::SelectObject, {2});
    w.Add(TWmf::SetRop2, {6});  // R2_NOT
    WmfPoints(w, TWmf::Polyline, {{5, 35}, {45, 35}});
    w.Add(TWmf::SetRop2, {13});  // R2_COPYPEN
    w.Add(TWmf::SelectObject, {0});
    // Parameters last-first: rop, source height, width, y, x, destination height, width, y, x, Bitmap16.
    TRecordData colour;
    colour.U32(SRCCOPY).I16(2).I16(2).I16(0).I16(0).I16(16).I16(16).I16(26).I16(50);
    colour.I16(0).I16(2).I16(2).I16(6).U8(1).U8(24);  // type, width, height, row bytes, planes, bits
    colour.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0);  // red, green (blue, green, red each)
    colour.U8(255).U8(0).U8(0).U8(0).U8(0).U8(0);    // blue, black
    w.Add(TWmf::StretchBlt, colour);
    brush(Cyan);
    WmfRect(w, TWmf::Rectangle, 70, 26, 90, 42);
    TRecordData mono;  // rop, source y, x, height, width, destination y, x, Bitmap16 of 8 x 8, 0 black, 1 white
    mono.U32(SRCCOPY).I16(0).I16(0).I16(8).I16(8).I16(30).I16(74);
    mono.I16(0).I16(8).I16(8).I16(2).U8(1).U8(1);
    for (int row = 0; row < 8; ++row) mono.U8(0x0F).U8(0);
    w.Add(TWmf::BitBlt, mono);
    TRecordData device;  // usage, scans, first scan, source y, x, height, width, destination y, x, the DIB
    device.U16(DIB_RGB_COLORS).U16(8).U16(0).I16(0).I16(0).I16(8).I16(8).I16(50).I16(10).Bytes(QuadrantDib());
    w.Add(TWmf::SetDIBToDev, device);
    w.Add(TWmf::CreateRegion, WmfRegion(1, {30, 50, 45, 60}, [](TRecordData& d) { WmfRegionScan(d, 50, 60, {30, 45}); }));  // slot 3
    brush(Magenta);
    w.Add(TWmf::PaintRegion, {3});
    brush(Green);
    w.Add(TWmf::SetPolyFillMode, {static_cast<std::int16_t>(WINDING)});
    WmfPolyPolygonSquares(w, 50);
    w.Add(TWmf::SetPolyFillMode, {static_cast<std::int16_t>(ALTERNATE)});
    WmfPolyPolygonSquares(w, 74);
    return w.Finish(true, {0, 0, 100, 100}, 96);
}

TExpectation RestEmfExpectation() {
    TExpectation e;
    AddCommonRest(e);
    e.Areas.push_back(U(50, 30, 60, 40, Cyan));  // under a scaled viewport and window
    // A geometric pen dashed 8 on, 8 off with flat ends, from x 62.
    e.Areas.push_back(U(63, 24, 69, 26, Blue));
    e.Areas.push_back(U(71, 24, 77, 26, White));
    e.Areas.push_back(U(79, 24, 85, 26, Blue));
    e.Areas.push_back(U(87, 24, 93, 26, White));
    e.Areas.push_back(Glyphs(74, 7, 90, 15, Black));  // right and bottom aligned on (94, 20)
    e.Areas.push_back(U(62, 5, 70, 18, White));
    e.Areas.push_back(U(17, 73, 23, 77, Orange));  // a closed path filled and outlined
    e.Areas.push_back(U(14, 91, 36, 93, Blue));    // a path of curves, stroked
    e.Areas.push_back(U(50, 95, 90, 98, White));   // a path abandoned is never filled
    return e;
}

TRecordData EmfTextA(int x, int y, std::string_view text, std::uint32_t options = 0) {
    TRecordData d = RectL(0, 0, 0, 0);
    d.U32(1).F32(1).F32(1);
    d.I32(x).I32(y).U32(static_cast<std::uint32_t>(text.size())).U32(76).U32(options);
    d.Bytes(RectL(0, 0, 0, 0).Data()).U32(0).Bytes(text).Pad(4);
    return d;
}

TBytes RestEmf() {
    TEmfWriter w;
    w.SetHandles(8);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    const auto brush = [&](TRgb colour) {  // into slot 1
        EmfSelect(w, StockObjectFlag | WHITE_BRUSH);
        w.Add(TEmr::DeleteObject, TRecordData().U32(1));
        EmfBrush(w, 1, BS_SOLID, colour.ColorRef());
        EmfSelect(w, 1);
    };
    EmfSelect(w, StockObjectFlag | BLACK_BRUSH);
    EmfBox(w, TEmr::Rectangle, 2, 2, 6, 6);
    EmfBox(w, TEmr::Rectangle, 94, 94, 98, 98);
    EmfBox(w, TEmr::Rectangle, 10, 30, 40, 40);
    brush(Red);
    w.Add(TEmr::SaveDC, {});
    EmfPair(w, TEmr::SetWindowOrgEx, -40, 0);
    EmfBox(w, TEmr::Rectangle, 10, 10, 20, 20);
    w.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    EmfPen(w, 2, PS_SOLID, 4, Blue.ColorRef());
    EmfSelect(w, 2);
    EmfU32(w, TEmr::SetRop2, 6);  // R2_NOT
    EmfPoints(w, TEmr::Polyline, {{5, 35}, {45, 35}});
    EmfU32(w, TEmr::SetRop2, 13);  // R2_COPYPEN
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    brush(Cyan);
    w.Add(TEmr::SaveDC, {});
    EmfU32(w, TEmr::SetMapMode, MM_ANISOTROPIC);
    EmfPair(w, TEmr::SetWindowExtEx, 100, 100);
    EmfPair(w, TEmr::SetViewportExtEx, 100, 100);
    w.Add(TEmr::ScaleViewportExtEx, TRecordData().I32(1).I32(1).I32(1).I32(2));  // y halved
    w.Add(TEmr::ScaleWindowExtEx, TRecordData().I32(1).I32(2).I32(1).I32(1));    // x doubled
    EmfBox(w, TEmr::Rectangle, 25, 60, 30, 80);
    w.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    // Pen index, no brush bitmap, style, width, brush style, colour, hatch, dashes.
    w.Add(TEmr::ExtCreatePen, TRecordData().U32(3).U32(0).U32(0).U32(0).U32(0)
                                  .U32(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT).U32(4).U32(BS_SOLID)
                                  .U32(Blue.ColorRef()).U32(0).U32(2).U32(8).U32(8));
    EmfSelect(w, 3);
    EmfPoints(w, TEmr::PolyPolyline16, {});  // no lines at all
    w.Add(TEmr::PolyPolyline16, RectL(0, 0, 0, 0).U32(1).U32(2).U32(2).I16(62).I16(25).I16(94).I16(25));
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    const TBytes dib = QuadrantDib();
    TRecordData device = RectL(10, 50, 17, 57);  // destination, source corner and size, the DIB, usage, scans
    device.I32(10).I32(50).I32(0).I32(0).I32(8).I32(8).U32(76).U32(40).U32(116)
        .U32(static_cast<std::uint32_t>(dib.size() - 40)).U32(DIB_RGB_COLORS).U32(0).U32(8).Bytes(dib);
    w.Add(TEmr::SetDIBitsToDevice, device);
    brush(Magenta);
    const TRecordData region = EmfRegionData({{30, 50, 45, 60}});
    w.Add(TEmr::PaintRgn, RectL(30, 50, 45, 60).U32(static_cast<std::uint32_t>(region.Size())).Bytes(region.Data()));
    brush(Green);
    const auto squares = [&](int top) {
        TRecordData d = RectL(50, top, 90, top + 20);
        d.U32(2).U32(8).U32(4).U32(4);
        for (auto [x, y] : {std::pair{50, 0}, {90, 0}, {90, 20}, {50, 20}, {60, 5}, {80, 5}, {80, 15}, {60, 15}})
            d.I32(x).I32(top + y);
        w.Add(TEmr::PolyPolygon, d);
    };
    EmfU32(w, TEmr::SetPolyFillMode, WINDING);
    squares(50);
    EmfU32(w, TEmr::SetPolyFillMode, ALTERNATE);
    squares(74);
    EmfPen(w, 4, PS_SOLID, 1, Black.ColorRef());
    EmfSelect(w, 4);
    brush(Orange);
    w.Add(TEmr::BeginPath, {});
    EmfPair(w, TEmr::MoveToEx, 10, 70);
    EmfPair(w, TEmr::LineTo, 30, 70);
    EmfPair(w, TEmr::LineTo, 20, 85);
    w.Add(TEmr::CloseFigure, {});
    w.Add(TEmr::EndPath, {});
    w.Add(TEmr::StrokeAndFillPath, RectL(0, 0, 0, 0));
    EmfPen(w, 5, PS_SOLID, 4, Blue.ColorRef());
    EmfSelect(w, 5);
    w.Add(TEmr::BeginPath, {});
    EmfPair(w, TEmr::MoveToEx, 10, 92);
    EmfPoints(w, TEmr::PolyBezierTo16, {{20, 92}, {30, 92}, {40, 92}}, true);
    w.Add(TEmr::EndPath, {});
    w.Add(TEmr::StrokePath, RectL(0, 0, 0, 0));
    w.Add(TEmr::BeginPath, {});
    EmfBox(w, TEmr::Rectangle, 0, 0, 100, 100);
    w.Add(TEmr::AbortPath, {});
    w.Add(TEmr::FillPath, RectL(0, 0, 0, 0));
    EmfU32(w, TEmr::SetBkMode, TRANSPARENT);
    w.Add(TEmr::ExtCreateFontIndirectW, EmfFontRecord(6, -16, 0, u"DejaVu Sans"));
    EmfSelect(w, 6);
    EmfU32(w, TEmr::SetTextAlign, TA_RIGHT | TA_BOTTOM);
    w.Add(TEmr::ExtTextOutA, EmfTextA(94, 20, "HH"));
    return FinishReferenceEmf(w);
}

// ---- the page ----

class TRecordsPage : public TPictureSheet {
public:
    std::vector<std::uint8_t> Report() {
        Writer().BeginPage(1);
        AddBitmaps();
        AddIcon();
        AddMetafiles();
        Writer().EndPage();
        return Writer().Finish();
    }

private:
    void AddBitmaps() {
        const TExpectation blocks = BlockExpectation(3, 2, [](int bx, int by) { return BlockColour(bx * Block, by * Block); });
        const std::vector<TBitmapKind> kinds = BitmapKinds();
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            const TGraphicData g {1, kinds[i].File};
            const double x = 12 + 120.0 * double(i);
            Writer().Draw(g, Inches(x), Inches(12));
            Add({kinds[i].Name + " Draw", x, 12, BitmapWidth, BitmapHeight, blocks});
            Writer().StretchBitmap(g, Inches(x + 56), Inches(12), Inches(x + 104), Inches(44));
            Add({kinds[i].Name + " StretchBitmap", x + 56, 12, 48, 32, blocks});
        }
    }

    void AddIcon() {
        const TGraphicData icon {3, PngIcon()};
        const TExpectation e = BlockExpectation(2, 2, [](int bx, int by) { return IconBlocks[static_cast<std::size_t>(by * 2 + bx)]; });
        Place("PNG icon Draw", icon, 12, 60, 32, 32, e, false);
        Place("PNG icon StretchDraw", icon, 56, 60, 64, 64, e, true);
    }

    void AddMetafiles() {
        Place("fills WMF StretchDraw", {2, FillsWmf()}, 12, 140, 200, 200, FillsExpectation(), true);
        Place("fills EMF StretchDraw", {2, FillsEmf()}, 224, 140, 200, 200, FillsExpectation(), true);
        Place("lines EMF StretchDraw", {2, LinesEmf()}, 12, 356, 200, 200, LinesExpectation(), true);
        Place("text WMF StretchDraw", {2, TextWmf()}, 224, 356, 200, 200, TextExpectation(), true);
        Place("remaining WMF StretchDraw", {2, RestWmf()}, 12, 572, 200, 200, RestWmfExpectation(), true);
        Place("remaining EMF StretchDraw", {2, RestEmf()}, 224, 572, 200, 200, RestEmfExpectation(), true);
    }
};

TEST(PdfPicturesReader, HeadersPngIconsAndTheRemainingMetafileRecordsLookRightInPoppler) {
    if (RunStatus("command -v pdftoppm") != 0) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    TRecordsPage page;
    CheckInPoppler(page.Report(), page.Placements());
}

}  // namespace
}  // namespace tal::testing
