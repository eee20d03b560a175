// Enhanced metafiles re-recorded as Windows metafile records: what the
// translation writes is played back and compared with the original drawing,
// and what has no counterpart is left to be drawn into pixels.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Graphic.h"
#include "platform/pictures/Dib.h"
#include "platform/pictures/EmfToWmf.h"
#include "platform/pictures/FigureGeometry.h"
#include "platform/pictures/StretchedWmf.h"
#include "tests/pictures/MetafileSamples.h"
#include "tools/ndrwriter/SampleChart.h"

namespace tal {
namespace {

using namespace tal::pictures;
using namespace tal::pictest;
constexpr std::uint32_t Red = 0x0000FF, Blue = 0xFF0000, White = 0xFFFFFF;
constexpr double Scale = 300.0 / 102.0;

TMetafile Load(const std::vector<std::uint8_t>& bytes) {
    TMetafile m;
    m.LoadFromBytes(bytes);
    return m;
}

std::optional<std::vector<std::uint8_t>> Translate(const TMetafile& m, int width, int height) {
    return TranslateEmfToWmf(TByteView(m.Bytes().data(), m.Bytes().size(), "test"), m.Info(), {width, height, Scale});
}

// The records of a placeable Windows metafile: function and parameter bytes.
struct TWmfRecord {
    std::uint16_t Function;
    std::vector<std::uint8_t> Parameters;
};
std::vector<TWmfRecord> Records(const std::vector<std::uint8_t>& file) {
    const TByteView v(file.data(), file.size(), "test");
    std::vector<TWmfRecord> records;
    for (std::size_t at = PlaceableHeaderSize + WmfHeaderSize; v.Has(at, 6);) {
        const std::size_t size = 2 * static_cast<std::size_t>(v.U32(at));
        if (size < 6 || !v.Has(at, size)) break;
        records.push_back({v.U16(at + 4), std::vector<std::uint8_t>(file.begin() + at + 6, file.begin() + at + size)});
        if (v.U16(at + 4) == 0) break;
        at += size;
    }
    return records;
}
std::size_t Count(const std::vector<TWmfRecord>& records, TWmf function) {
    return static_cast<std::size_t>(std::count_if(records.begin(), records.end(), [&](const TWmfRecord& r) {
        return r.Function == static_cast<std::uint16_t>(function);
    }));
}

// Share of the pixels of a that differ clearly from b.
double Disagreement(const TRaster& a, const TRaster& b) {
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const std::uint32_t p = a.Pixel(x, y), q = b.Pixel(x, y);
            int d = 0;
            for (int s = 0; s < 24; s += 8) d += std::abs(int((p >> s) & 0xFF) - int((q >> s) & 0xFF));
            n += d > 96;
        }
    return double(n) / (a.Width() * a.Height());
}

// The drawing of a translated metafile against the original, both played
// into width x height pixels.
double TranslationDisagreement(const std::vector<std::uint8_t>& emf, int width, int height) {
    const TMetafile source = Load(emf);
    const auto wmf = Translate(source, width, height);
    if (!wmf) return 1;
    return Disagreement(DrawToRaster(Load(*wmf), width, height), DrawToRaster(source, width, height));
}

TEST(EmfToWmf, AChartStaysVectorAndDrawsAsTheOriginal) {
    const TMetafile chart = Load(ndrwriter::SampleChartEmf(6, 4, 3));
    const auto wmf = Translate(chart, 612, 408);
    ASSERT_TRUE(wmf);
    const auto records = Records(*wmf);
    // One DIB, the logo, at its own 48 pixels: its 0.4-inch box needs more.
    EXPECT_EQ(Count(records, TWmf::StretchDIB), 1u);
    EXPECT_GT(Count(records, TWmf::ExtTextOut), 10u);
    EXPECT_GT(Count(records, TWmf::Pie), 4u);
    EXPECT_LT(wmf->size(), 64u * 1024);
    // Hatches keep their device spacing, and the frame pixels round the
    // chart's own: a few percent of edge pixels differ, not shapes.
    EXPECT_LT(Disagreement(DrawToRaster(Load(*wmf), 612, 408), DrawToRaster(chart, 612, 408)), 0.03);
}

TEST(EmfToWmf, ClipsSavedStatesMappingsAndArcDirectionsDrawAsTheOriginal) {
    TEmfWriter w;
    w.SetHandles(4);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    EmfBrush(w, 1, BS_SOLID, Red);
    EmfBrush(w, 2, BS_SOLID, Blue);
    EmfSelect(w, 1);
    // A clip region of the left half, taken away again by an empty region.
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(48).U32(RGN_COPY).Bytes(EmfRegionData({{0, 0, 50, 100}}).Data()));
    EmfBox(w, TEmr::Rectangle, 0, 0, 101, 30);
    w.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(0).U32(RGN_COPY));
    EmfSelect(w, 2);
    EmfBox(w, TEmr::Rectangle, 0, 30, 101, 40);
    // A clip inside a saved state; the state's brush comes back with it.
    w.Add(TEmr::SaveDC, TRecordData());
    EmfBox(w, TEmr::IntersectClipRect, 50, 40, 100, 60);
    EmfSelect(w, 1);
    EmfBox(w, TEmr::Rectangle, 0, 40, 101, 60);
    w.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    EmfBox(w, TEmr::Rectangle, 0, 60, 30, 70);  // blue again
    // Clockwise pies under a mapping with y up.
    EmfU32(w, TEmr::SetArcDirection, AD_CLOCKWISE);
    EmfU32(w, TEmr::SetMapMode, MM_LOMETRIC);
    w.Add(TEmr::Pie, TRecordData().Bytes(RectL(100, -180, 250, -250).Data()).I32(250).I32(-215).I32(175).I32(-180));
    const TMetafile source = Load(FinishEmf(w));
    const auto wmf = Translate(source, 100, 100);
    ASSERT_TRUE(wmf);
    const TRaster drawn = DrawToRaster(Load(*wmf), 100, 100);
    EXPECT_EQ(drawn.Pixel(25, 15), Red);
    EXPECT_EQ(drawn.Pixel(75, 15), White);
    EXPECT_EQ(drawn.Pixel(75, 35), Blue);
    EXPECT_EQ(drawn.Pixel(25, 50), White);
    EXPECT_EQ(drawn.Pixel(75, 50), Red);
    EXPECT_EQ(drawn.Pixel(15, 65), Blue);
    EXPECT_LT(Disagreement(drawn, DrawToRaster(source, 100, 100)), 0.01);
}

TEST(EmfToWmf, WorldTransformsTurnShapesAndFontsAndCurvesAreFlattened) {
    TEmfWriter w;
    w.SetHandles(4);
    EmfPen(w, 1, PS_SOLID, 3, 0);
    EmfSelect(w, 1);
    EmfBrush(w, 2, BS_SOLID, Red);
    EmfSelect(w, 2);
    EmfXform(w, TEmr::SetWorldTransform, 0.8f, 0.6f, -0.6f, 0.8f, 50, 10);
    EmfBox(w, TEmr::Rectangle, 0, 0, 40, 20);
    EmfBox(w, TEmr::Ellipse, 0, 30, 40, 60);
    EmfFont(w, 3, -10, u"Liberation Sans");
    w.Add(TEmr::RoundRect, RectL(-30, 0, -5, 25).I32(10).I32(10));
    EmfXform(w, TEmr::ModifyWorldTransform, 1, 0, 0, 1, 0, 0, MWT_IDENTITY);
    EmfPoints(w, TEmr::PolyBezier16, {{5, 95}, {30, 50}, {60, 100}, {95, 60}}, true);
    const auto emf = FinishEmf(w);
    const auto wmf = Translate(Load(emf), 100, 100);
    ASSERT_TRUE(wmf);
    const auto records = Records(*wmf);
    EXPECT_EQ(Count(records, TWmf::Rectangle) + Count(records, TWmf::Ellipse) + Count(records, TWmf::RoundRect), 0u);
    EXPECT_EQ(Count(records, TWmf::Polygon), 3u);
    EXPECT_EQ(Count(records, TWmf::Polyline), 1u);
    // The font turns with the drawing: 36.87 degrees clockwise on the page.
    for (const TWmfRecord& r : records) {
        if (r.Function == static_cast<std::uint16_t>(TWmf::CreateFontIndirect)) {
            EXPECT_EQ(TByteView(r.Parameters.data(), r.Parameters.size(), "test").I16(4), -369);
        }
    }
    EXPECT_LT(TranslationDisagreement(emf, 100, 100), 0.02);
}

TEST(EmfToWmf, DashesAndHatchesAreDrawnAsTheirPiecesForEveryReader) {
    TEmfWriter w;  // 1000 device pixels per inch: a 100-pixel frame is 0.1 inch
    w.SetHandles(4);
    EmfPen(w, 1, PS_DASH, 0, Blue);
    EmfSelect(w, 1);
    EmfSelect(w, StockObjectFlag | NULL_BRUSH);
    EmfBox(w, TEmr::Rectangle, 10, 10, 90, 50);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    EmfBrush(w, 2, BS_HATCHED, Red, HS_CROSS);
    EmfSelect(w, 2);
    EmfU32(w, TEmr::SetBkMode, TRANSPARENT);
    EmfBox(w, TEmr::Ellipse, 10, 60, 90, 95);
    const auto wmf = Translate(Load(FinishEmf(w)), 400, 400);
    ASSERT_TRUE(wmf);
    const auto records = Records(*wmf);
    for (const TWmfRecord& r : records) {
        const TByteView p(r.Parameters.data(), r.Parameters.size(), "test");
        if (r.Function == static_cast<std::uint16_t>(TWmf::CreatePenIndirect)) {
            EXPECT_NE(p.U16(0), PS_DASH);
        }
        if (r.Function == static_cast<std::uint16_t>(TWmf::CreateBrushIndirect)) {
            EXPECT_NE(p.U16(0), BS_HATCHED);
        }
    }
    EXPECT_EQ(Count(records, TWmf::Rectangle) + Count(records, TWmf::Ellipse), 0u);
    const TRaster drawn = DrawToRaster(Load(*wmf), 400, 400);
    // The top edge alternates between dash and gap.
    int ink = 0;
    for (int x = 40; x < 360; ++x) ink += drawn.Pixel(x, 40) != White;
    EXPECT_GT(ink, 160);
    EXPECT_LT(ink, 300);
    // Hatch lines inside the ellipse only, the background left as it was.
    EXPECT_EQ(drawn.Pixel(45, 245), White);
    int hatch = 0;
    for (int x = 100; x < 300; ++x) hatch += drawn.Pixel(x, 310) != White;
    EXPECT_GT(hatch, 5);
    EXPECT_LT(hatch, 100);
    // A hatched shape far larger than the picture: only the lines the frame shows.
    EmfBox(w, TEmr::Rectangle, -2000000000, -2000000000, 2000000000, 2000000000);
    const auto huge = Translate(Load(FinishEmf(w)), 400, 400);
    ASSERT_TRUE(huge);
    EXPECT_LT(huge->size(), wmf->size() + 100000);
}

TEST(FigureGeometry, DashesRunOnOverCornersAndHatchesKeepToTheInsideOfRings) {
    // A 10 x 10 square closed, dashes of 4 on and 2 off: 40 units make
    // pieces starting every 6; the fourth (18 to 22) turns a corner.
    const auto pieces = DashPieces({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true, {4, 2});
    ASSERT_EQ(pieces.size(), 7u);
    ASSERT_EQ(pieces[3].size(), 3u);
    EXPECT_DOUBLE_EQ(pieces[3][0].Y, 8);
    EXPECT_DOUBLE_EQ(pieces[3][1].X, 10);
    EXPECT_DOUBLE_EQ(pieces[3][1].Y, 10);
    EXPECT_DOUBLE_EQ(pieces[3][2].X, 8);
    // The last piece closes the square at its start.
    EXPECT_DOUBLE_EQ(pieces.back().back().X, 0);
    EXPECT_DOUBLE_EQ(pieces.back().back().Y, 0);
    // A pattern 100,000 times finer than the line leaves it whole.
    EXPECT_EQ(DashPieces({{0, 0}, {1e9, 0}}, false, {1, 1}).size(), 1u);
    // Horizontal lines through a ring: two pieces each where the hole is.
    const std::vector<TFigure> ring{{{0, 0}, {30, 0}, {30, 30}, {0, 30}}, {{10, 10}, {20, 10}, {20, 20}, {10, 20}}};
    const auto [low, high] = Projection(ring, {0, 1});
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 30);
    const auto segments = HatchSegments(ring, {0, 1}, {1, 0}, 8, low, high);
    // y = 0 and 8 cross the whole ring, 16 is split by the hole, 24 whole.
    int split = 0;
    for (const auto& [a, b] : segments) {
        EXPECT_DOUBLE_EQ(a.Y, b.Y);
        if (a.Y == 16) {
            ++split;
            EXPECT_TRUE(b.X <= 10 || a.X >= 20);
        }
    }
    EXPECT_EQ(split, 2);
}

TEST(EmfToWmf, ABitmapKeepsNoMorePixelsThanItsBoxShows) {
    // 1000 x 500 pixels into a box of 20 x 10 frame pixels: 59 x 30 at the raster scale.
    TEmfWriter w;
    const int width = 1000, height = 500;
    TRecordData header;
    header.U32(40).I32(width).I32(height).U16(1).U16(24).U32(0).U32(0).I32(0).I32(0).U32(0).U32(0);
    const std::size_t stride = (width * 3 + 3) / 4 * 4;
    TRecordData bits;
    for (std::size_t i = 0; i < stride * height; ++i) bits.U8(0x40);
    TRecordData d = RectL(0, 0, 0, 0);
    d.I32(10).I32(10).I32(0).I32(0).I32(width).I32(height);
    d.U32(80).U32(40).U32(120).U32(static_cast<std::uint32_t>(bits.Size())).U32(DIB_RGB_COLORS).U32(SRCCOPY);
    d.I32(20).I32(10).Bytes(header.Data()).Bytes(bits.Data());
    w.Add(TEmr::StretchDIBits, d);
    const auto wmf = Translate(Load(FinishEmf(w)), 100, 100);
    ASSERT_TRUE(wmf);
    const auto records = Records(*wmf);
    ASSERT_EQ(Count(records, TWmf::StretchDIB), 1u);
    for (const TWmfRecord& r : records)
        if (r.Function == static_cast<std::uint16_t>(TWmf::StretchDIB)) {
            const TByteView p(r.Parameters.data(), r.Parameters.size(), "test");
            EXPECT_LE(p.I32(22 + 4), 60);  // the DIB header's width
            EXPECT_LE(p.I32(22 + 8), 30);
            EXPECT_LT(r.Parameters.size(), 10000u);
        }
}

TEST(EmfToWmf, WhatHasNoCounterpartIsDrawnIntoPixels) {
    std::vector<std::vector<std::uint8_t>> untranslatable;
    {
        TEmfWriter w;  // glyph indices name no characters
        EmfTextW(w, 5, 5, u"\x12\x34", ETO_GLYPH_INDEX);
        untranslatable.push_back(FinishEmf(w));
    }
    {
        TEmfWriter w;  // a clipping path that is not a rectangle
        w.Add(TEmr::BeginPath, TRecordData());
        EmfPoints(w, TEmr::Polygon, {{50, 0}, {100, 100}, {0, 100}});
        w.Add(TEmr::EndPath, TRecordData());
        EmfU32(w, TEmr::SelectClipPath, RGN_COPY);
        EmfBox(w, TEmr::Rectangle, 0, 0, 100, 100);
        untranslatable.push_back(FinishEmf(w));
    }
    {
        TEmfWriter w;  // a clip of two rectangles
        w.Add(TEmr::ExtSelectClipRgn,
              TRecordData().U32(64).U32(RGN_COPY).Bytes(EmfRegionData({{0, 0, 10, 10}, {50, 50, 60, 60}}).Data()));
        EmfBox(w, TEmr::Rectangle, 0, 0, 100, 100);
        untranslatable.push_back(FinishEmf(w));
    }
    for (const auto& emf : untranslatable) {
        const TMetafile m = Load(emf);
        EXPECT_FALSE(Translate(m, 100, 100));
        const auto records = Records(RecordStretchedWmf(m, 100, 100, Scale));
        EXPECT_EQ(Count(records, TWmf::StretchDIB), 1u);
    }
    // Records that would pass the size limit are drawn into pixels too.
    const TMetafile chart = Load(ndrwriter::SampleChartEmf(6, 4, 1));
    EXPECT_FALSE(TranslateEmfToWmf(TByteView(chart.Bytes().data(), chart.Bytes().size(), "test"), chart.Info(),
                                   {612, 408, Scale, 1000}));
}

TEST(EmfToWmf, ObjectSlotsAreReusedAndMalformedRecordsSkipped) {
    TEmfWriter w;
    w.SetHandles(3);
    for (int i = 0; i < 500; ++i) {
        EmfBrush(w, 1 + i % 2, BS_SOLID, Red);
        EmfSelect(w, 1 + i % 2);
        if (i % 2) w.Add(TEmr::DeleteObject, TRecordData().U32(1));
    }
    EmfBrush(w, 70000, BS_SOLID, Red);                                 // beyond the handle table
    w.Add(TEmr::Polygon, RectL(0, 0, 0, 0).U32(0x40000000).I32(1));     // more points than bytes
    w.Add(TEmr::PolyPolygon, RectL(0, 0, 0, 0).U32(2).U32(3).U32(5).U32(5).I32(0).I32(0));
    w.Add(TEmr::ExtTextOutW, RectL(0, 0, 0, 0).U32(1).F32(1).F32(1).I32(0).I32(0).U32(4).U32(4000).U32(0));
    w.Add(TEmr::StretchDIBits, RectL(0, 0, 0, 0).I32(0).I32(0).I32(0).I32(0).I32(5).I32(5).U32(900).U32(40));
    w.Add(TEmr::RestoreDC, TRecordData().I32(-5));                     // nothing saved
    EmfBox(w, TEmr::Rectangle, 10, 10, 90, 90);
    const auto wmf = Translate(Load(FinishEmf(w)), 100, 100);
    ASSERT_TRUE(wmf);
    const TByteView v(wmf->data(), wmf->size(), "test");
    EXPECT_LE(v.U16(PlaceableHeaderSize + 10), 3);  // the object table
    const auto records = Records(*wmf);
    EXPECT_EQ(Count(records, TWmf::Rectangle), 1u);
    EXPECT_EQ(Count(records, TWmf::Polygon) + Count(records, TWmf::PolyPolygon) + Count(records, TWmf::StretchDIB), 0u);
    EXPECT_EQ(DrawToRaster(Load(*wmf), 100, 100).Pixel(50, 50), Red);
}

}  // namespace
}  // namespace tal
