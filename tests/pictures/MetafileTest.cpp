// Metafiles: header reading and sizes, refused files, and playback checked on
// the pixels of the raster it draws into.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/Graphic.h"
#include "platform/pictures/Dib.h"
#include "tests/pictures/MetafileSamples.h"
#include "tests/pictures/PictureBuilders.h"

namespace tal {
namespace {

using namespace tal::pictest;
using namespace tal::pictures;

constexpr std::uint32_t White = 0xFFFFFF, Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Black = 0;

TMetafile Load(const std::vector<std::uint8_t>& bytes) {
    TMetafile m;
    m.LoadFromBytes(bytes);
    return m;
}

TRaster Play(const std::vector<std::uint8_t>& bytes, int w = 100, int h = 100) {
    return DrawToRaster(Load(bytes), w, h);
}

// Fills the whole frame of a 100 x 100 WMF with a solid brush and no pen.
TWmfWriter WmfWithBrush(std::uint32_t color) {
    TWmfWriter w;
    w.SetObjectCount(8);
    WmfPen(w, PS_NULL, 0, 0);
    w.Add(TWmf::SelectObject, {0});
    WmfBrush(w, BS_SOLID, color);
    w.Add(TWmf::SelectObject, {1});
    return w;
}

std::vector<std::uint8_t> Placeable(const TWmfWriter& w) { return w.Finish(true, {0, 0, 100, 100}, 96); }

TEmfWriter EmfWithBrush(std::uint32_t color) {
    TEmfWriter w;
    w.SetHandles(8);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    EmfBrush(w, 1, BS_SOLID, color);
    EmfSelect(w, 1);
    return w;
}

int CountColor(const TRaster& r, std::uint32_t color, int l = 0, int t = 0, int right = -1, int b = -1) {
    if (right < 0) right = r.Width();
    if (b < 0) b = r.Height();
    int n = 0;
    for (int y = t; y < b; ++y)
        for (int x = l; x < right; ++x) n += r.Pixel(x, y) == color;
    return n;
}

int CountDark(const TRaster& r, int l, int t, int right, int b) {
    int n = 0;
    for (int y = t; y < b; ++y)
        for (int x = l; x < right; ++x) {
            const std::uint32_t p = r.Pixel(x, y);
            n += ((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) < 300;
        }
    return n;
}

TEST(MetafileInfo, SizesOnTheReferenceScreenAndKinds) {
    TWmfWriter w;
    w.Add(TWmf::SetWindowExt, {720, 1440});
    const TMetafile placeable = Load(w.Finish(true, {0, 0, 1440, 720}, 1440));
    EXPECT_FALSE(placeable.Enhanced());
    EXPECT_EQ(placeable.Width(), 96);
    EXPECT_EQ(placeable.Height(), 48);
    EXPECT_EQ(placeable.WidthHiMetric(), 2540);
    // Without the placeable header the window extent sizes it, one unit a pixel.
    const TMetafile plain = Load(w.Finish(false));
    EXPECT_EQ(plain.Width(), 1440);
    EXPECT_EQ(plain.Height(), 720);

    TEmfWriter e;
    const TMetafile emf = Load(e.Finish({0, 0, 99, 49}, {0, 0, 5080, 2540}));
    EXPECT_TRUE(emf.Enhanced());
    EXPECT_EQ(emf.Width(), 192);
    EXPECT_EQ(emf.Height(), 96);
    EXPECT_EQ(emf.HeightHiMetric(), 2540);
    EXPECT_FALSE(emf.Info().EmfPlus);
    TEmfWriter dual;
    dual.Add(TEmr::Comment, TRecordData().U32(8).U32(EmfPlusSignature).U32(0));
    EXPECT_TRUE(Load(dual.Finish({0, 0, 9, 9}, {0, 0, 254, 254})).Info().EmfPlus);
}

void ExpectRefused(const std::vector<std::uint8_t>& bytes, const std::string& fragment) {
    TMetafile m;
    try {
        m.LoadFromBytes(bytes);
        FAIL() << "accepted; expected " << fragment;
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Metafile: ", 0), 0u) << e.what();
        EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
    EXPECT_TRUE(m.Empty());
}

TEST(MetafileInfo, MalformedFilesAreRefusedAtLoad) {
    TWmfWriter w;
    WmfRect(w, TWmf::Rectangle, 0, 0, 10, 10);
    std::vector<std::uint8_t> wmf = Placeable(w);
    std::vector<std::uint8_t> longRecord = wmf;
    Set32(longRecord, 22 + 18, 0x40000000);  // the rectangle claims a gigabyte
    ExpectRefused(longRecord, "past the end");
    ExpectRefused(std::vector<std::uint8_t>(wmf.begin(), wmf.begin() + 30), "metafile header runs past the end");
    ExpectRefused(w.Finish(false), "no window extent");
    ExpectRefused(w.Finish(true, {0, 0, 10, 10}, 0), "0 units per inch");
    ExpectRefused({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}, "not a Windows metafile");

    TEmfWriter e;
    EmfBox(e, TEmr::Rectangle, 0, 0, 5, 5);
    std::vector<std::uint8_t> emf = FinishEmf(e);
    std::vector<std::uint8_t> badSize = emf;
    Set32(badSize, 108 + 4, 0xFFFFFFF0);
    ExpectRefused(badSize, "record 2 (type 43)");
    std::vector<std::uint8_t> oddSize = emf;
    Set32(oddSize, 108 + 4, 22);
    ExpectRefused(oddSize, "claims 22 bytes");
    std::vector<std::uint8_t> badHeader = emf;
    Set32(badHeader, 4, 0x7FFFFFFC);
    ExpectRefused(badHeader, "header record");
}

TEST(WmfPlayback, SampleDrawsItsShapesWhereTheyBelong) {
    const TRaster r = Play(SampleWmf());
    EXPECT_EQ(r.Pixel(25, 25), Red);
    EXPECT_EQ(r.Pixel(5, 5), White);
    EXPECT_EQ(r.Pixel(70, 25), Blue);    // ellipse inside
    EXPECT_EQ(r.Pixel(50, 25), Green);   // its 4-unit outline on the left edge
    EXPECT_EQ(r.Pixel(52, 11), White);   // the bounding box corner is outside the ellipse
    EXPECT_GT(CountDark(r, 10, 45, 40, 60), 10);  // text below its top-left reference point
    EXPECT_EQ(CountDark(r, 0, 41, 9, 60), 0);
    EXPECT_EQ(r.Pixel(50, 90), Green);   // polyline apex, with the green pen
}

TEST(WmfPlayback, WindowOriginAndExtentMapOntoTheDestination) {
    TWmfWriter w = WmfWithBrush(Red);
    w.Add(TWmf::SetWindowOrg, {-200, -100});  // y, x
    w.Add(TWmf::SetWindowExt, {400, 200});
    WmfRect(w, TWmf::Rectangle, -100, -200, 0, 0);  // the top-left quarter
    const TRaster r = Play(Placeable(w), 60, 80);
    EXPECT_EQ(r.Pixel(10, 10), Red);
    EXPECT_EQ(r.Pixel(29, 39), Red);
    EXPECT_EQ(r.Pixel(31, 10), White);
    EXPECT_EQ(r.Pixel(10, 41), White);
}

TEST(WmfPlayback, ObjectsTakeTheLowestFreeSlot) {
    TWmfWriter w;
    WmfBrush(w, BS_SOLID, Red);    // slot 0
    WmfBrush(w, BS_SOLID, Green);  // slot 1
    w.Add(TWmf::DeleteObject, {0});
    WmfBrush(w, BS_SOLID, Blue);   // slot 0 again
    WmfPen(w, PS_NULL, 0, 0);      // slot 2
    w.Add(TWmf::SelectObject, {2});
    w.Add(TWmf::SelectObject, {0});
    WmfRect(w, TWmf::Rectangle, 0, 0, 100, 100);
    EXPECT_EQ(Play(Placeable(w)).Pixel(50, 50), Blue);
}

TEST(WmfPlayback, PolygonFillModesAndPolyPolygons) {
    // Two overlapping squares drawn the same way round: the overlap is a hole
    // when alternating and filled when winding.
    for (std::uint16_t mode : {std::uint16_t(ALTERNATE), std::uint16_t(WINDING)}) {
        TWmfWriter w = WmfWithBrush(Red);
        w.Add(TWmf::SetPolyFillMode, {std::int16_t(mode)});
        TRecordData d;
        d.U16(2).U16(4).U16(4);
        for (auto [x, y] : {std::pair{10, 10}, {60, 10}, {60, 60}, {10, 60}, {40, 40}, {90, 40}, {90, 90}, {40, 90}})
            d.I16(std::int16_t(x)).I16(std::int16_t(y));
        w.Add(TWmf::PolyPolygon, d);
        const TRaster r = Play(Placeable(w));
        EXPECT_EQ(r.Pixel(20, 20), Red);
        EXPECT_EQ(r.Pixel(80, 80), Red);
        EXPECT_EQ(r.Pixel(50, 50), mode == WINDING ? Red : White) << mode;
    }
    TWmfWriter w = WmfWithBrush(Green);
    WmfPoints(w, TWmf::Polygon, {{0, 0}, {100, 0}, {0, 100}});
    const TRaster r = Play(Placeable(w));
    EXPECT_EQ(r.Pixel(20, 20), Green);
    EXPECT_EQ(r.Pixel(80, 80), White);
}

TEST(WmfPlayback, ClippingFollowsSaveAndRestore) {
    TWmfWriter w = WmfWithBrush(Red);
    w.Add(TWmf::SaveDC, {});
    WmfRect(w, TWmf::IntersectClipRect, 0, 0, 50, 50);
    WmfRect(w, TWmf::ExcludeClipRect, 10, 10, 20, 20);
    WmfRect(w, TWmf::Rectangle, 0, 0, 100, 100);
    w.Add(TWmf::RestoreDC, {-1});
    WmfBrush(w, BS_SOLID, Green);
    w.Add(TWmf::SelectObject, {2});
    WmfRect(w, TWmf::Rectangle, 0, 60, 100, 100);  // after the restore: unclipped
    w.Add(TWmf::RestoreDC, {-5});                  // nothing saved: ignored
    const TRaster r = Play(Placeable(w));
    EXPECT_EQ(r.Pixel(40, 40), Red);
    EXPECT_EQ(r.Pixel(15, 15), White);  // excluded
    EXPECT_EQ(r.Pixel(70, 40), White);  // outside the intersection
    EXPECT_EQ(r.Pixel(90, 90), Green);
}

TEST(WmfPlayback, HatchedBrushesAndTransparentBackground) {
    TWmfWriter w = WmfWithBrush(0);
    w.Add(TWmf::SetBkMode, {TRANSPARENT});
    WmfBrush(w, BS_HATCHED, Blue, HS_CROSS);
    w.Add(TWmf::SelectObject, {2});
    WmfRect(w, TWmf::Rectangle, 0, 0, 100, 100);
    const TRaster r = Play(Placeable(w));
    const int blue = CountColor(r, Blue), white = CountColor(r, White);
    EXPECT_GT(blue, 1500);
    EXPECT_GT(white, 5000);
    EXPECT_EQ(blue + white, 100 * 100);
}

TEST(WmfPlayback, TextAlignmentPlacesTextAroundTheReferencePoint) {
    auto draw = [](std::uint16_t align) {
        TWmfWriter w;
        WmfFont(w, -20, "Liberation Sans");
        w.Add(TWmf::SelectObject, {0});
        w.Add(TWmf::SetTextAlign, {std::int16_t(align)});
        w.Add(TWmf::SetBkMode, {TRANSPARENT});
        WmfTextOut(w, 50, 50, "HHH");
        return Play(Placeable(w));
    };
    const TRaster left = draw(0), right = draw(TA_RIGHT | TA_BOTTOM), center = draw(TA_CENTER | TA_BASELINE);
    EXPECT_GT(CountDark(left, 50, 50, 100, 75), 20);
    EXPECT_EQ(CountDark(left, 0, 0, 49, 100), 0);
    EXPECT_GT(CountDark(right, 0, 25, 50, 50), 20);
    EXPECT_EQ(CountDark(right, 51, 0, 100, 100), 0);
    EXPECT_EQ(CountDark(right, 0, 52, 100, 100), 0);
    EXPECT_GT(CountDark(center, 30, 30, 50, 50), 10);
    EXPECT_GT(CountDark(center, 50, 30, 70, 50), 10);
}

TEST(WmfPlayback, OpaqueExtTextOutFillsItsRectangle) {
    TWmfWriter w;
    w.Add(TWmf::SetBkColor, TRecordData().U32(Green));
    TRecordData d;
    d.I16(20).I16(20).U16(2).U16(ETO_OPAQUE).I16(10).I16(10).I16(90).I16(30).Bytes("ab").I16(8).I16(8);
    w.Add(TWmf::ExtTextOut, d);
    const TRaster r = Play(Placeable(w));
    EXPECT_EQ(r.Pixel(80, 15), Green);
    EXPECT_EQ(r.Pixel(80, 35), White);
}

TBytes TwoByTwoDib() {
    TDibSpec s;
    s.Width = 2;
    s.Height = 2;
    const std::uint32_t colours[2][2] = {{0xFF0000, 0x00FF00}, {0x0000FF, 0x000000}};  // top row first, 0xRRGGBB
    return Concat(DibHeader(s), DibRows(s, [&](int x, int y) { return colours[y][x]; }));
}

TEST(WmfPlayback, DibRecordsStretchAndBlitWithRasterOperations) {
    TWmfWriter w;
    TRecordData stretch;
    stretch.U32(SRCCOPY).U16(DIB_RGB_COLORS).I16(2).I16(2).I16(0).I16(0).I16(50).I16(50).I16(0).I16(0).Bytes(TwoByTwoDib());
    w.Add(TWmf::StretchDIB, stretch);
    TRecordData blt;  // the same image at its own size at (60, 60)
    blt.U32(SRCCOPY).I16(0).I16(0).I16(2).I16(2).I16(60).I16(60).Bytes(TwoByTwoDib());
    w.Add(TWmf::DIBBitBlt, blt);
    w.Add(TWmf::PatBlt, TRecordData().U32(BLACKNESS).I16(10).I16(10).I16(80).I16(80));
    const TRaster r = Play(Placeable(w));
    EXPECT_EQ(r.Pixel(10, 10), Red);
    EXPECT_EQ(r.Pixel(40, 10), Green);
    EXPECT_EQ(r.Pixel(10, 40), Blue);
    EXPECT_EQ(r.Pixel(40, 40), Black);
    EXPECT_EQ(r.Pixel(60, 60), Red);
    EXPECT_EQ(r.Pixel(61, 61), Black);
    EXPECT_EQ(r.Pixel(85, 85), Black);
    EXPECT_EQ(r.Pixel(95, 95), White);
}

TEST(WmfPlayback, ArcsChordsAndPies) {
    TWmfWriter w = WmfWithBrush(Red);
    // Pie from the right end to the top end: counter-clockwise, the upper right quarter.
    w.Add(TWmf::Pie, {0, 50, 50, 100, 100, 100, 0, 0});
    WmfBrush(w, BS_SOLID, Blue);
    w.Add(TWmf::SelectObject, {2});
    w.Add(TWmf::RoundRect, {20, 20, 100, 40, 60, 0});  // 0..40 x 60..100, corners 20
    const TRaster r = Play(Placeable(w));
    EXPECT_EQ(r.Pixel(70, 30), Red);
    EXPECT_EQ(r.Pixel(30, 30), White);
    EXPECT_EQ(r.Pixel(70, 55), White);
    EXPECT_EQ(r.Pixel(20, 80), Blue);
    EXPECT_EQ(r.Pixel(1, 61), White);  // the rounded corner
}

TEST(EmfPlayback, SampleDrawsAllItsParts) {
    const TRaster r = Play(SampleEmf());
    EXPECT_EQ(r.Pixel(5, 25), Black);                      // rectangle outline
    const int hatch = CountColor(r, Red, 8, 8, 42, 42);   // cross hatch, transparent background
    EXPECT_GT(hatch, 100);
    EXPECT_GT(CountColor(r, White, 8, 8, 42, 42), 500);
    EXPECT_EQ(r.Pixel(80, 20), 0x808080u);                 // the pie's upper-right quarter
    EXPECT_EQ(r.Pixel(60, 40), White);
    EXPECT_EQ(r.Pixel(72, 70), 0x808080u);                 // path filled with the selected brush
    EXPECT_GT(CountDark(r, 5, 50, 45, 60), 0);             // the text
}

TEST(EmfPlayback, MappingModesAndWorldTransforms) {
    {   // Anisotropic: window 0..1000 onto viewport 0..50 device pixels.
        TEmfWriter w = EmfWithBrush(Red);
        EmfU32(w, TEmr::SetMapMode, MM_ANISOTROPIC);
        EmfPair(w, TEmr::SetWindowExtEx, 1000, 1000);
        EmfPair(w, TEmr::SetViewportExtEx, 50, 50);
        EmfPair(w, TEmr::SetViewportOrgEx, 50, 0);
        EmfBox(w, TEmr::Rectangle, 0, 0, 1000, 1000);
        const TRaster r = Play(FinishEmf(w));
        EXPECT_EQ(r.Pixel(75, 25), Red);
        EXPECT_EQ(r.Pixel(25, 25), White);
        EXPECT_EQ(r.Pixel(75, 75), White);
    }
    {   // HIMETRIC: y grows upwards; 1 mm is 1000/254 device pixels.
        TEmfWriter w = EmfWithBrush(Green);
        EmfU32(w, TEmr::SetMapMode, MM_HIMETRIC);
        EmfPair(w, TEmr::SetViewportOrgEx, 0, 100);
        EmfBox(w, TEmr::Rectangle, 0, 0, 1270, 1270);  // 12.7 mm = 50 pixels, up from the bottom
        const TRaster r = Play(FinishEmf(w));
        EXPECT_EQ(r.Pixel(25, 75), Green);
        EXPECT_EQ(r.Pixel(25, 25), White);
        EXPECT_EQ(r.Pixel(75, 75), White);
    }
    {   // World transform: scale by 2 then move right by 50.
        TEmfWriter w = EmfWithBrush(Blue);
        EmfXform(w, TEmr::SetWorldTransform, 2, 0, 0, 2, 0, 0);
        EmfXform(w, TEmr::ModifyWorldTransform, 1, 0, 0, 1, 50, 0, MWT_RIGHTMULTIPLY);
        EmfBox(w, TEmr::Rectangle, 0, 0, 20, 20);
        EmfXform(w, TEmr::ModifyWorldTransform, 0, 0, 0, 0, 0, 0, MWT_IDENTITY);
        EmfBox(w, TEmr::Rectangle, 0, 80, 10, 90);
        const TRaster r = Play(FinishEmf(w));
        EXPECT_EQ(r.Pixel(70, 30), Blue);
        EXPECT_EQ(r.Pixel(30, 30), White);
        EXPECT_EQ(r.Pixel(5, 85), Blue);
    }
}

TEST(EmfPlayback, PathsFillStrokeAndClip) {
    TEmfWriter w = EmfWithBrush(Red);
    w.Add(TEmr::BeginPath, {});
    EmfBox(w, TEmr::Ellipse, 0, 0, 50, 50);
    w.Add(TEmr::EndPath, {});
    EmfU32(w, TEmr::SelectClipPath, RGN_COPY);
    EmfBox(w, TEmr::Rectangle, 0, 0, 100, 100);  // only the disc gets it
    const TRaster r = Play(FinishEmf(w));
    EXPECT_EQ(r.Pixel(25, 25), Red);
    EXPECT_EQ(r.Pixel(2, 2), White);
    EXPECT_EQ(r.Pixel(75, 75), White);

    // A path left open draws nothing and does not disturb what follows.
    TEmfWriter open = EmfWithBrush(Green);
    open.Add(TEmr::BeginPath, {});
    EmfBox(open, TEmr::Rectangle, 0, 0, 50, 50);
    open.Add(TEmr::FillPath, RectL(0, 0, 0, 0));  // still open: refused
    const TRaster o = Play(FinishEmf(open));
    EXPECT_EQ(CountColor(o, White), 100 * 100);
}

TEST(EmfPlayback, ArcDirectionDecidesWhichPartOfThePieIsDrawn) {
    TEmfWriter w = EmfWithBrush(Red);
    EmfU32(w, TEmr::SetArcDirection, AD_CLOCKWISE);
    w.Add(TEmr::Pie, TRecordData().Bytes(RectL(0, 0, 100, 100).Data()).I32(100).I32(50).I32(50).I32(0));
    const TRaster r = Play(FinishEmf(w));
    EXPECT_EQ(r.Pixel(70, 30), White);
    EXPECT_EQ(r.Pixel(30, 30), Red);
    EXPECT_EQ(r.Pixel(70, 70), Red);
}

TEST(EmfPlayback, BitmapRecordsAndRasterOperations) {
    const TBytes dib = TwoByTwoDib();
    const std::uint32_t bmiSize = 40;
    TEmfWriter w;
    TRecordData s = RectL(0, 0, 0, 0);  // StretchDIBits into the top-left 50 x 50
    s.I32(0).I32(0).I32(0).I32(0).I32(2).I32(2).U32(80).U32(bmiSize).U32(80 + bmiSize).U32(16).U32(DIB_RGB_COLORS)
        .U32(SRCCOPY).I32(50).I32(50).Bytes(dib);
    w.Add(TEmr::StretchDIBits, s);
    EmfBrush(w, 1, BS_SOLID, 0x808080);  // gray, then AND a white-and-black image over its right half
    EmfSelect(w, 1);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    EmfBox(w, TEmr::Rectangle, 50, 0, 100, 50);
    TDibSpec bw;
    bw.Width = 2;
    bw.Height = 1;
    const TBytes mask = Concat(DibHeader(bw), DibRows(bw, [](int x, int) { return x ? 0u : 0xFFFFFFu; }));
    TRecordData blt = RectL(0, 0, 0, 0);
    blt.I32(50).I32(0).I32(50).I32(50).U32(SRCAND).I32(0).I32(0);
    blt.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(DIB_RGB_COLORS);
    blt.U32(108).U32(bmiSize).U32(108 + bmiSize).U32(8).I32(2).I32(1).Bytes(mask);
    w.Add(TEmr::StretchBlt, blt);
    const TRaster r = Play(FinishEmf(w));
    EXPECT_EQ(r.Pixel(10, 10), Red);
    EXPECT_EQ(r.Pixel(40, 10), Green);
    EXPECT_EQ(r.Pixel(10, 40), Blue);
    EXPECT_EQ(r.Pixel(40, 40), Black);
    EXPECT_EQ(r.Pixel(60, 25), 0x808080u);  // gray AND white
    EXPECT_EQ(r.Pixel(90, 25), Black);      // gray AND black
}

TEST(EmfPlayback, TextWithOpaqueRectangleAndStockObjects) {
    TEmfWriter w;
    EmfU32(w, TEmr::SetBkColor, Green);
    EmfU32(w, TEmr::SetTextColor, Blue);
    EmfFont(w, 1, -30, u"Liberation Sans");
    EmfSelect(w, 1);
    EmfTextW(w, 10, 10, u"\u00C9t\u00E9", ETO_OPAQUE, RectL(0, 0, 100, 8));
    const TRaster r = Play(FinishEmf(w));
    EXPECT_EQ(r.Pixel(90, 4), Green);
    EXPECT_GT(CountColor(r, Blue, 10, 10, 100, 50), 30);
}

TEST(EmfPlayback, DualEmfPlusFilesDrawTheirPlainRecords) {
    TEmfWriter w = EmfWithBrush(Red);
    w.Add(TEmr::Comment, TRecordData().U32(16).U32(EmfPlusSignature).U32(0x4001).U32(0));
    EmfBox(w, TEmr::Rectangle, 0, 0, 100, 100);
    EXPECT_EQ(Play(FinishEmf(w)).Pixel(50, 50), Red);
}

TEST(EmfPlayback, AbsurdIndexesCountsAndTransformsAreSkipped) {
    TEmfWriter w = EmfWithBrush(Red);
    EmfSelect(w, 60000);
    EmfSelect(w, 0x7FFFFFFF);
    EmfSelect(w, StockObjectFlag | 999);
    EmfU32(w, TEmr::DeleteObject, 0xFFFFFFFF);
    EmfPen(w, 0xFFFFFFF, PS_SOLID, 5, 0);
    EmfU32(w, TEmr::RestoreDC, static_cast<std::uint32_t>(-1000));
    EmfXform(w, TEmr::SetWorldTransform, NAN, 0, 0, 1, 0, 0);
    EmfXform(w, TEmr::ModifyWorldTransform, 0, 0, 0, 0, 0, 0, MWT_SET);  // singular: drawing skipped until reset
    EmfBox(w, TEmr::Rectangle, 0, 0, 50, 50);
    EmfXform(w, TEmr::ModifyWorldTransform, 0, 0, 0, 0, 0, 0, MWT_IDENTITY);
    w.Add(TEmr::Polygon, RectL(0, 0, 0, 0).U32(0x20000000).I32(0).I32(0));  // claims far more points than it has
    w.Add(TEmr::PolyPolygon16, RectL(0, 0, 0, 0).U32(0x40000000).U32(3));
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(0x7FFFFFFF).U32(RGN_COPY));
    w.Add(TEmr::StretchDIBits, RectL(0, 0, 0, 0).I32(0).I32(0).I32(0).I32(0).I32(9).I32(9).U32(0xFFFFFF00).U32(40)
                                   .U32(0).U32(0).U32(0).U32(SRCCOPY).I32(10).I32(10));
    for (int i = 0; i < 2000; ++i) w.Add(TEmr::SaveDC, {});
    EmfBox(w, TEmr::Rectangle, 50, 50, 100, 100);
    const TRaster r = Play(FinishEmf(w));
    EXPECT_EQ(r.Pixel(25, 25), White);
    EXPECT_EQ(r.Pixel(75, 75), Red);
}

TEST(MetafileDrawing, StretchDrawScalesIntoTheRectangleOfTheRaster) {
    TWmfWriter w = WmfWithBrush(Red);
    WmfRect(w, TWmf::Rectangle, 0, 0, 100, 100);
    const TMetafile m = Load(Placeable(w));
    TRaster r(300, 200);
    m.StretchDraw(r, {100, 50, 200, 150});
    EXPECT_EQ(r.Pixel(150, 100), Red);
    EXPECT_EQ(r.Pixel(99, 100), White);
    EXPECT_EQ(r.Pixel(200, 100), White);
    EXPECT_EQ(r.Pixel(150, 49), White);
    // Partly outside the raster: cut off, not an error.
    TRaster small(50, 50);
    m.StretchDraw(small, {25, 25, 125, 125});
    EXPECT_EQ(small.Pixel(40, 40), Red);
    EXPECT_EQ(small.Pixel(10, 10), White);
}

}  // namespace
}  // namespace tal
