// Records beyond the basic shapes: palettes, regions, device blits, raster
// modes, the current-position family and the remaining arc forms.
#include <gtest/gtest.h>

#include "platform/Graphic.h"
#include "platform/pictures/Dib.h"
#include "tests/pictures/MetafileSamples.h"
#include "tests/pictures/PictureBuilders.h"

namespace tal {
namespace {

using namespace tal::pictest;
using namespace tal::pictures;

constexpr std::uint32_t White = 0xFFFFFF, Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Black = 0;

TRaster PlayBytes(const std::vector<std::uint8_t>& bytes) {
    TMetafile m;
    m.LoadFromBytes(bytes);
    return DrawToRaster(m, 100, 100);
}

TEST(EmfRecords, PalettesResolveColourIndexesAndPaletteDibs) {
    TEmfWriter w;
    w.SetHandles(4);
    TRecordData palette;
    palette.U32(1).U16(0x300).U16(2).U8(0).U8(0).U8(255).U8(0).U8(0).U8(255).U8(0).U8(0);  // blue, green
    w.Add(TEmr::CreatePalette, palette);
    EmfSelect(w, 1);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    EmfBrush(w, 2, BS_SOLID, 0x01000001);  // PALETTEINDEX(1)
    EmfSelect(w, 2);
    EmfBox(w, TEmr::Rectangle, 0, 0, 50, 50);
    // A 1 x 1 DIB whose colour table is one index into the palette: entry 0.
    TDibSpec s;
    s.BitCount = 8;
    TBytes header = DibHeader(s);
    Set32(header, 32, 1);  // one colour-table entry
    TRecordData st = RectL(0, 0, 0, 0);
    st.I32(50).I32(50).I32(0).I32(0).I32(1).I32(1).U32(80).U32(42).U32(80 + 44).U32(4).U32(DIB_PAL_COLORS)
        .U32(SRCCOPY).I32(50).I32(50).Bytes(header).U16(0).U16(0).U8(0).U8(0).U8(0).U8(0);
    w.Add(TEmr::StretchDIBits, st);
    const TRaster r = PlayBytes(FinishEmf(w));
    EXPECT_EQ(r.Pixel(25, 25), Green);
    EXPECT_EQ(r.Pixel(75, 75), Blue);
}

TEST(EmfRecords, ClippingRegionsCopyAndDifference) {
    TEmfWriter w;
    w.SetHandles(2);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    EmfSelect(w, StockObjectFlag | BLACK_BRUSH);
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(64).U32(RGN_COPY).Bytes(EmfRegionData({{0, 0, 40, 40}, {60, 60, 100, 100}}).Data()));
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(48).U32(RGN_DIFF).Bytes(EmfRegionData({{0, 0, 20, 20}}).Data()));
    EmfBox(w, TEmr::Rectangle, 0, 0, 100, 100);
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(0).U32(RGN_COPY));  // no clipping any more
    EmfSelect(w, StockObjectFlag | GRAY_BRUSH);
    EmfBox(w, TEmr::Rectangle, 45, 0, 55, 10);
    const TRaster r = PlayBytes(FinishEmf(w));
    EXPECT_EQ(r.Pixel(30, 30), Black);
    EXPECT_EQ(r.Pixel(80, 80), Black);
    EXPECT_EQ(r.Pixel(10, 10), White);  // cut out by the difference
    EXPECT_EQ(r.Pixel(50, 50), White);  // between the two rectangles
    EXPECT_EQ(r.Pixel(50, 5), 0x808080u);
}

TEST(EmfRecords, CurrentPositionFamilyAndRasterMode) {
    TEmfWriter w;
    w.SetHandles(2);
    EmfPen(w, 1, PS_SOLID, 4, Red);
    EmfSelect(w, 1);
    EmfPair(w, TEmr::MoveToEx, 10, 10);
    EmfPair(w, TEmr::LineTo, 90, 10);
    EmfPoints(w, TEmr::PolylineTo, {{90, 50}});
    w.Add(TEmr::AngleArc, TRecordData().I32(50).I32(50).U32(40).F32(0).F32(180));  // line to (90, 50), arc over the top
    w.Add(TEmr::PolyPolyline16, RectL(0, 0, 0, 0).U32(1).U32(2).U32(2).I16(10).I16(90).I16(90).I16(90));
    w.Add(TEmr::SetPixelV, TRecordData().I32(50).I32(70).U32(Green));
    EmfU32(w, TEmr::SetRop2, 6);  // R2_NOT: inverts what is under the pen
    EmfPair(w, TEmr::MoveToEx, 10, 10);
    EmfPair(w, TEmr::LineTo, 10, 30);
    const TRaster r = PlayBytes(FinishEmf(w));
    EXPECT_EQ(r.Pixel(50, 10), Red);
    EXPECT_EQ(r.Pixel(90, 30), Red);
    EXPECT_EQ(r.Pixel(90, 90), Red);
    EXPECT_EQ(r.Pixel(50, 90), Red);
    EXPECT_EQ(r.Pixel(50, 70), Green);
    EXPECT_EQ(r.Pixel(10, 20), Black);  // white inverted
    EXPECT_EQ(r.Pixel(30, 10), Red);    // the inverted line starts at 10,10 only
}

TEST(EmfRecords, SetDibitsToDeviceAndPatternBlits) {
    TEmfWriter w;
    TDibSpec s;
    s.Width = 2;
    s.Height = 1;
    const TBytes dib = Concat(DibHeader(s), DibRows(s, [](int x, int) { return x ? 0x00FF00u : 0xFF0000u; }));
    TRecordData d = RectL(0, 0, 0, 0);
    d.I32(10).I32(10).I32(0).I32(0).I32(2).I32(1).U32(76).U32(40).U32(116).U32(8).U32(DIB_RGB_COLORS).U32(0).U32(1)
        .Bytes(dib);
    w.Add(TEmr::SetDIBitsToDevice, d);
    TRecordData blt = RectL(0, 0, 0, 0);  // a BitBlt without source: WHITENESS then BLACKNESS
    blt.I32(50).I32(50).I32(20).I32(20).U32(BLACKNESS).I32(0).I32(0);
    blt.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    w.Add(TEmr::BitBlt, blt);
    const TRaster r = PlayBytes(FinishEmf(w));
    EXPECT_EQ(r.Pixel(10, 10), Red);
    EXPECT_EQ(r.Pixel(11, 10), Green);
    EXPECT_EQ(r.Pixel(12, 10), White);
    EXPECT_EQ(r.Pixel(60, 60), Black);
    EXPECT_EQ(r.Pixel(75, 75), White);
}

TEST(EmfRecords, RoundRectChordAndOpenArc) {
    TEmfWriter w;
    w.SetHandles(4);
    EmfPen(w, 1, PS_NULL, 0, 0);
    EmfSelect(w, 1);
    EmfBrush(w, 2, BS_SOLID, Red);
    EmfSelect(w, 2);
    w.Add(TEmr::RoundRect, RectL(0, 0, 50, 50).I32(30).I32(30));
    // Chord of the right half: from the top point round to the bottom point, clockwise.
    EmfU32(w, TEmr::SetArcDirection, AD_CLOCKWISE);
    w.Add(TEmr::Chord, RectL(50, 0, 100, 50).I32(75).I32(0).I32(75).I32(50));
    EmfPen(w, 3, PS_SOLID, 3, Blue);
    EmfSelect(w, 3);
    w.Add(TEmr::Arc, RectL(0, 50, 50, 100).I32(50).I32(75).I32(0).I32(75));  // upper half, clockwise: under
    const TRaster r = PlayBytes(FinishEmf(w));
    EXPECT_EQ(r.Pixel(25, 25), Red);
    EXPECT_EQ(r.Pixel(1, 1), White);     // rounded corner
    EXPECT_EQ(r.Pixel(90, 25), Red);     // right half of the chord's circle
    EXPECT_EQ(r.Pixel(60, 25), White);
    EXPECT_EQ(r.Pixel(25, 99), Blue);    // clockwise from the right end passes the bottom
    EXPECT_EQ(r.Pixel(25, 51), White);
    EXPECT_EQ(r.Pixel(25, 75), White);   // an arc is never filled
}

TEST(WmfRecords, RegionsClipAndFill) {
    TWmfWriter w;
    w.SetObjectCount(4);
    // A region of one scan (rows 0..50) with two spans: 0..20 and 60..80.
    TRecordData region;
    region.U16(0).U16(6).U32(0).I16(0).U16(1).U16(0).I16(0).I16(0).I16(80).I16(50);
    region.U16(4).I16(0).I16(50).I16(0).I16(20).I16(60).I16(80).U16(4);
    w.Add(TWmf::CreateRegion, region);  // slot 0
    WmfBrush(w, BS_SOLID, Green);       // slot 1
    w.Add(TWmf::FillRegion, {0, 1});
    w.Add(TWmf::SelectClipRegion, {0});
    WmfPen(w, PS_NULL, 0, 0);  // slot 2
    w.Add(TWmf::SelectObject, {2});
    WmfBrush(w, BS_SOLID, Red);  // slot 3
    w.Add(TWmf::SelectObject, {3});
    WmfRect(w, TWmf::Rectangle, 0, 40, 100, 100);  // only rows 40..50 of the spans show it
    const TRaster r = PlayBytes(w.Finish(true, {0, 0, 100, 100}, 96));
    EXPECT_EQ(r.Pixel(10, 20), Green);
    EXPECT_EQ(r.Pixel(70, 20), Green);
    EXPECT_EQ(r.Pixel(40, 20), White);
    EXPECT_EQ(r.Pixel(10, 45), Red);
    EXPECT_EQ(r.Pixel(40, 45), White);
    EXPECT_EQ(r.Pixel(10, 70), White);
}

TEST(WmfRecords, ScaledWindowPatternBrushAndSetDibToDev) {
    TWmfWriter w;
    w.SetObjectCount(3);
    w.Add(TWmf::SetWindowExt, {50, 50});
    w.Add(TWmf::ScaleWindowExt, {1, 2, 1, 2});  // doubled: 100 x 100
    WmfPen(w, PS_NULL, 0, 0);
    w.Add(TWmf::SelectObject, {0});
    TDibSpec s;
    s.Width = 2;
    s.Height = 2;
    TRecordData brush;
    brush.U16(BS_DIBPATTERNPT).U16(DIB_RGB_COLORS)
        .Bytes(Concat(DibHeader(s), DibRows(s, [](int x, int y) { return (x + y) % 2 ? 0u : 0xFFFFFFu; })));
    w.Add(TWmf::DIBCreatePatternBrush, brush);
    w.Add(TWmf::SelectObject, {1});
    WmfRect(w, TWmf::Rectangle, 0, 0, 50, 50);
    TDibSpec one;
    TRecordData dev;
    dev.U16(DIB_RGB_COLORS).U16(1).U16(0).I16(0).I16(0).I16(1).I16(1).I16(80).I16(80)
        .Bytes(Concat(DibHeader(one), DibRows(one, [](int, int) { return 0xFF0000u; })));
    w.Add(TWmf::SetDIBToDev, dev);
    const TRaster r = PlayBytes(w.Finish(true, {0, 0, 100, 100}, 96));
    EXPECT_GT(std::abs(int(r.Pixel(10, 10) & 0xFF) - int(r.Pixel(11, 10) & 0xFF)), 200);  // a checker pattern
    EXPECT_EQ(r.Pixel(60, 60), White);
    EXPECT_EQ(r.Pixel(80, 80), Red);
}

TEST(EmfRecords, HugeCoordinatesAreHeldInRange) {
    // A viewport half a billion pixels high under a skewing world transform,
    // clipped: cairo's fixed-point geometry must never see such coordinates.
    TEmfWriter w;
    w.SetHandles(2);
    EmfU32(w, TEmr::SetMapMode, MM_ANISOTROPIC);
    EmfPair(w, TEmr::SetWindowExtEx, 1000, 1000);
    EmfPair(w, TEmr::SetViewportExtEx, 100, 0x20000064);
    EmfXform(w, TEmr::SetWorldTransform, 1, 0.2f, -0.2f, 1, 5, 5);
    EmfBox(w, TEmr::IntersectClipRect, 0, 0, 0x20030003, 0x200000);
    EmfSelect(w, StockObjectFlag | BLACK_BRUSH);
    w.Add(TEmr::RoundRect, RectL(0, 0, 900, 600).I32(100).I32(100));
    EmfXform(w, TEmr::ModifyWorldTransform, 0, 0, 0, 0, 0, 0, MWT_IDENTITY);
    EmfPair(w, TEmr::SetViewportExtEx, 100, 100);
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(0).U32(RGN_COPY));
    EmfBox(w, TEmr::Rectangle, -2000000000, 900, 2000000000, 2000000000);
    TMetafile m;
    m.LoadFromBytes(FinishEmf(w));
    const TRaster r = DrawToRaster(m, 100, 100);
    EXPECT_EQ(r.Pixel(50, 95), 0u);
}

TEST(WmfRecords, DeviceDependentBitmapsOfTheOldBlits) {
    TWmfWriter w;
    // BitBlt of a monochrome 8 x 1 bitmap, 1 = white, at its own size, at (0, 0).
    TRecordData mono;
    mono.U32(SRCCOPY).I16(0).I16(0).I16(1).I16(8).I16(0).I16(0);
    mono.I16(0).I16(8).I16(1).I16(2).U8(1).U8(1).U8(0x55).U8(0);
    w.Add(TWmf::BitBlt, mono);
    // StretchBlt of a 24-bit 1 x 1 red bitmap over (50, 50)-(100, 100).
    TRecordData colour;
    colour.U32(SRCCOPY).I16(1).I16(1).I16(0).I16(0).I16(50).I16(50).I16(50).I16(50);
    colour.I16(0).I16(1).I16(1).I16(4).U8(1).U8(24).U8(0).U8(0).U8(255).U8(0);
    w.Add(TWmf::StretchBlt, colour);
    TMetafile m;
    m.LoadFromBytes(w.Finish(true, {0, 0, 100, 100}, 96));
    TRaster r(100, 100);
    r.Fill(0x808080);
    m.StretchDraw(r, {0, 0, 100, 100});
    EXPECT_EQ(r.Pixel(0, 0), 0u);
    EXPECT_EQ(r.Pixel(1, 0), 0xFFFFFFu);
    EXPECT_EQ(r.Pixel(6, 0), 0u);
    EXPECT_EQ(r.Pixel(9, 0), 0x808080u);
    EXPECT_EQ(r.Pixel(75, 75), 0x0000FFu);
}

TEST(EmfRecords, GeometricPenDashesAreLogicalLengths) {
    // Dashes of 10 units on, 10 off under a window that halves every length:
    // 5 pixels on, 5 off, whatever the pen's width of 4 units.
    TEmfWriter w;
    w.SetHandles(2);
    EmfU32(w, TEmr::SetMapMode, MM_ANISOTROPIC);
    EmfPair(w, TEmr::SetWindowExtEx, 200, 200);
    EmfPair(w, TEmr::SetViewportExtEx, 100, 100);
    w.Add(TEmr::ExtCreatePen, TRecordData().U32(1).U32(0).U32(0).U32(0).U32(0)
                                  .U32(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT).U32(4).U32(BS_SOLID).U32(Red)
                                  .U32(0).U32(2).U32(10).U32(10));
    EmfSelect(w, 1);
    EmfPair(w, TEmr::MoveToEx, 0, 100);
    EmfPair(w, TEmr::LineTo, 200, 100);
    const TRaster r = PlayBytes(FinishEmf(w));
    for (int x : {2, 12, 22, 92}) EXPECT_EQ(r.Pixel(x, 50), Red) << x;
    for (int x : {7, 17, 27, 97}) EXPECT_EQ(r.Pixel(x, 50), White) << x;
}

}  // namespace
}  // namespace tal
