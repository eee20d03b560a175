// Pictures seen through a real reader: one page holds bitmaps of every bit
// depth and compression, icons whose mask lets the white page show, and a
// WMF and an EMF drawn with the records the player knows, each placed with
// Draw, PrintBitmap, StretchBitmap and StretchDraw. pdftoppm renders the page
// at one pixel per point and every picture's area is compared with colours
// worked out here from the values the pictures were written with.
//
// The pictures are blocky (16-pixel blocks, aligned with the JPEG blocks) in
// bold colours, so a JPEG at quality 90 stays within a per-channel tolerance
// at a block's centre; positions are whole points, so edges land on pixels.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>

#include "platform/pictures/Dib.h"
#include "tests/pdf/PictureSheet.h"
#include "tests/pictures/MetafileSamples.h"
#include "tests/pictures/PictureBuilders.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal::testing {
namespace {

using namespace tal::pictest;
using ndrwriter::TGraphicData;

// ---- bitmaps: 3 x 2 blocks of 16 pixels ----

constexpr int Block = 16, BlocksAcross = 3, BlocksDown = 2;
constexpr int BitmapWidth = Block * BlocksAcross, BitmapHeight = Block * BlocksDown;
constexpr std::array<TRgb, 6> BlockColours {Red, Green, Blue, Yellow, Magenta, Black};

int BlockIndex(int x, int y) { return y / Block * BlocksAcross + x / Block; }

// An 8-bit palette longer than the six colours but shorter than 256, with
// white in the unused entries so that a wrong index shows.
constexpr int PaletteStep = 7, PaletteStart = 5, PaletteSize = 48;
std::vector<std::uint32_t> SparsePalette() {
    std::vector<std::uint32_t> palette(PaletteSize, White.Dib());
    for (std::size_t i = 0; i < BlockColours.size(); ++i) palette[PaletteStart + PaletteStep * i] = BlockColours[i].Dib();
    return palette;
}

TDibSpec Spec(int bits, std::uint32_t compression = 0) {
    TDibSpec s;
    s.Width = BitmapWidth;
    s.Height = BitmapHeight;
    s.BitCount = bits;
    s.Compression = compression;
    return s;
}

std::uint32_t Rgb555(TRgb c) { return static_cast<std::uint32_t>((c.R >> 3) << 10 | (c.G >> 3) << 5 | c.B >> 3); }
std::uint32_t Rgb565(TRgb c) { return static_cast<std::uint32_t>((c.R >> 3) << 11 | (c.G >> 2) << 5 | c.B >> 3); }

// Run-length rows, bottom row first: one run per block, each row closed by
// an end of line, the last by the end of the bitmap.
TBytes RleRows(bool fourBit) {
    TBytes b;
    for (int y = BitmapHeight - 1; y >= 0; --y) {
        for (int bx = 0; bx < BlocksAcross; ++bx) {
            const int index = PaletteStart + PaletteStep * BlockIndex(bx * Block, y);
            b.push_back(Block);
            b.push_back(static_cast<std::uint8_t>(fourBit ? (BlockIndex(bx * Block, y) * 0x11) : index));
        }
        b.push_back(0);
        b.push_back(y == 0 ? 1 : 0);
    }
    return b;
}

TBytes RleFile(bool fourBit) {
    TDibSpec s = Spec(fourBit ? 4 : 8, fourBit ? 2 : 1);
    if (fourBit) {
        for (TRgb c : BlockColours) s.Palette.push_back(c.Dib());
    } else {
        s.Palette = SparsePalette();
    }
    TBytes header = DibHeader(s);
    const TBytes rows = RleRows(fourBit);
    Set32(header, 20, static_cast<std::uint32_t>(rows.size()));  // compressed image size
    return BmpFile(header, rows);
}

struct TBitmapKind {
    std::string Name;
    TBytes File;
    std::function<TRgb(int bx, int by)> Colour;
};

TRgb SixColours(int bx, int by) { return BlockColours[static_cast<std::size_t>(by * BlocksAcross + bx)]; }

std::vector<TBitmapKind> BitmapKinds() {
    std::vector<TBitmapKind> kinds;
    const auto uncompressed = [](TDibSpec s, const std::function<std::uint32_t(TRgb, int)>& value) {
        return BmpFile(DibHeader(s), DibRows(s, [&](int x, int y) {
                           const int i = BlockIndex(x, y);
                           return value(BlockColours[static_cast<std::size_t>(i)], i);
                       }));
    };
    TDibSpec mono = Spec(1);
    mono.Palette = {Orange.Dib(), Blue.Dib()};
    kinds.push_back({"1-bit", BmpFile(DibHeader(mono), DibRows(mono, [](int x, int y) {
                                          return static_cast<std::uint32_t>((x / Block + y / Block) % 2);
                                      })),
                     [](int bx, int by) { return (bx + by) % 2 ? Blue : Orange; }});
    TDibSpec four = Spec(4);
    for (TRgb c : BlockColours) four.Palette.push_back(c.Dib());  // 6 of 16 entries
    kinds.push_back({"4-bit", uncompressed(four, [](TRgb, int i) { return static_cast<std::uint32_t>(i); }), SixColours});
    TDibSpec eight = Spec(8);
    eight.Palette = SparsePalette();
    kinds.push_back({"8-bit", uncompressed(eight, [](TRgb, int i) { return static_cast<std::uint32_t>(PaletteStart + PaletteStep * i); }),
                     SixColours});
    kinds.push_back({"16-bit 555", uncompressed(Spec(16), [](TRgb c, int) { return Rgb555(c); }), SixColours});
    TDibSpec fields = Spec(16, 3);
    fields.Masks = {0xF800, 0x07E0, 0x001F};
    kinds.push_back({"16-bit 565 bit fields", uncompressed(fields, [](TRgb c, int) { return Rgb565(c); }), SixColours});
    kinds.push_back({"24-bit", uncompressed(Spec(24), [](TRgb c, int) { return c.Dib(); }), SixColours});
    // The fourth byte of a 32-bit BI_RGB pixel is unused: zero is not transparent.
    kinds.push_back({"32-bit", uncompressed(Spec(32), [](TRgb c, int) { return c.Dib(); }), SixColours});
    kinds.push_back({"RLE8", RleFile(false), SixColours});
    kinds.push_back({"RLE4", RleFile(true), SixColours});
    TDibSpec topDown = Spec(24);
    topDown.TopDown = true;
    kinds.push_back({"24-bit top-down", uncompressed(topDown, [](TRgb c, int) { return c.Dib(); }), SixColours});
    return kinds;
}

// ---- icons ----

// A 32-pixel icon of 2 x 2 blocks drawn through its AND mask: the top-left
// block is masked (and black in the colour bitmap, so nothing is inverted).
TBytes MaskedIcon() {
    const std::array<std::optional<TRgb>, 4> colours {std::nullopt, Blue, Yellow, Green};
    TDibSpec s;
    s.Width = s.Height = 32;
    s.BitCount = 24;
    s.HeightFactor = 2;
    const auto at = [&](int x, int y) { return colours[static_cast<std::size_t>(y / 16 * 2 + x / 16)]; };
    const TBytes entry = Concat(Concat(DibHeader(s), DibRows(s, [&](int x, int y) { return at(x, y).value_or(Black).Dib(); })),
                                IconMask(32, 32, [&](int x, int y) { return !at(x, y).has_value(); }));
    return IconFile({{32, 32, 24, entry}});
}

// ---- metafiles: 100 x 100 logical units ----

// The shapes both metafiles draw, and what they must leave on the page.
TExpectation MetafileExpectation() {
    const auto u = [](double l, double t, double r, double b, TRgb c) { return TArea {l / 100, t / 100, r / 100, b / 100, c}; };
    TExpectation e;
    e.Areas = {
        u(10, 10, 40, 40, Red),                                        // filled rectangle, no pen
        u(62, 20, 78, 30, Blue),                                       // ellipse inside
        u(50, 10, 53, 13, White),                                      // its bounding box corner
        u(30, 49, 70, 51, Green),                                      // a 4-unit line, at its middle
        u(30, 44, 70, 46, White),                                      // above the line
        u(20, 62, 30, 70, Yellow),                                     // triangle (polygon or path)
        u(45, 61, 55, 69, Magenta), u(45, 76, 55, 84, Magenta),        // two squares of one poly-polygon
        u(46, 71, 54, 74, White),                                      // between them
        u(61, 61, 74, 74, Red), u(76, 61, 89, 74, Green),              // a 2 x 2 DIB stretched over 30 x 30
        u(61, 76, 74, 89, Blue), u(76, 76, 89, 89, Black),
        u(25, 93, 75, 97, Cyan),                                       // a frame-filling rectangle, clipped
        u(3, 92, 15, 98, White), u(84, 92, 90, 98, White),             // outside the clip
        u(93, 3, 97, 7, Black),                                        // drawn after the clip is restored
        u(50, 2, 88, 8, White), u(2, 2, 8, 90, White),
    };
    e.Extent = u(10, 2, 98, 98, White);
    return e;
}

TBytes TwoByTwoDib() {
    TDibSpec s;
    s.Width = s.Height = 2;
    const TRgb colours[2][2] = {{Red, Green}, {Blue, Black}};  // top row first
    return Concat(DibHeader(s), DibRows(s, [&](int x, int y) { return colours[y][x].Dib(); }));
}

TBytes Wmf() {
    TWmfWriter w;
    BeginUnitSquareWmf(w, 3);  // the null pen in slot 0
    WmfBrush(w, BS_SOLID, Red.ColorRef());  // slot 1
    w.Add(TWmf::SelectObject, {1});
    WmfRect(w, TWmf::Rectangle, 10, 10, 40, 40);
    const auto brush = [&](TRgb colour) {  // replaces the brush in slot 1
        w.Add(TWmf::DeleteObject, {1});
        WmfBrush(w, BS_SOLID, colour.ColorRef());
        w.Add(TWmf::SelectObject, {1});
    };
    brush(Blue);
    WmfRect(w, TWmf::Ellipse, 50, 10, 90, 40);
    WmfPen(w, PS_SOLID, 4, Green.ColorRef());  // slot 2
    w.Add(TWmf::SelectObject, {2});
    w.Add(TWmf::MoveTo, {50, 20});  // y, x
    w.Add(TWmf::LineTo, {50, 80});
    w.Add(TWmf::SelectObject, {0});
    brush(Yellow);
    WmfPoints(w, TWmf::Polygon, {{10, 60}, {40, 60}, {25, 90}});
    brush(Magenta);
    w.Add(TWmf::SetPolyFillMode, {static_cast<std::int16_t>(ALTERNATE)});
    w.Add(TWmf::PolyPolygon, {2, 4, 4, 45, 60, 55, 60, 55, 70, 45, 70, 45, 75, 55, 75, 55, 85, 45, 85});
    TRecordData stretch;  // parameters last-first: rop, usage, source h, w, y, x, destination h, w, y, x
    stretch.U32(SRCCOPY).U16(DIB_RGB_COLORS).I16(2).I16(2).I16(0).I16(0).I16(30).I16(30).I16(60).I16(60).Bytes(TwoByTwoDib());
    w.Add(TWmf::StretchDIB, stretch);
    brush(Cyan);
    w.Add(TWmf::SaveDC, {});
    WmfRect(w, TWmf::IntersectClipRect, 20, 92, 80, 98);
    WmfRect(w, TWmf::Rectangle, 0, 0, 100, 100);
    w.Add(TWmf::RestoreDC, {-1});
    brush(Black);
    WmfRect(w, TWmf::Rectangle, 92, 2, 98, 8);
    return w.Finish(true, {0, 0, 100, 100}, 96);
}

// Replaces the brush in slot 1 with a solid one of the colour and selects it.
void SelectSolidEmfBrush(TEmfWriter& w, TRgb colour) {
    EmfSelect(w, StockObjectFlag | WHITE_BRUSH);
    w.Add(TEmr::DeleteObject, TRecordData().U32(1));
    EmfBrush(w, 1, BS_SOLID, colour.ColorRef());
    EmfSelect(w, 1);
}

TBytes Emf() {
    TEmfWriter w;
    w.SetHandles(4);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    const auto brush = [&](TRgb colour) { SelectSolidEmfBrush(w, colour); };
    brush(Red);
    EmfBox(w, TEmr::Rectangle, 10, 10, 40, 40);
    brush(Blue);
    EmfBox(w, TEmr::Ellipse, 50, 10, 90, 40);
    EmfPen(w, 2, PS_SOLID, 4, Green.ColorRef());
    EmfSelect(w, 2);
    EmfPair(w, TEmr::MoveToEx, 20, 50);
    EmfPair(w, TEmr::LineTo, 80, 50);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    brush(Yellow);
    w.Add(TEmr::BeginPath, {});
    EmfPoints(w, TEmr::Polygon16, {{10, 60}, {40, 60}, {25, 90}}, true);
    w.Add(TEmr::EndPath, {});
    w.Add(TEmr::FillPath, RectL(0, 0, 0, 0));
    brush(Magenta);
    w.Add(TEmr::PolyPolygon16, RectL(45, 60, 55, 85).U32(2).U32(8).U32(4).U32(4)
                                   .I16(45).I16(60).I16(55).I16(60).I16(55).I16(70).I16(45).I16(70)
                                   .I16(45).I16(75).I16(55).I16(75).I16(55).I16(85).I16(45).I16(85));
    const TBytes dib = TwoByTwoDib();
    TRecordData s = RectL(60, 60, 90, 90);  // bitmap info and bits follow the 80 fixed bytes
    s.I32(60).I32(60).I32(0).I32(0).I32(2).I32(2).U32(80).U32(40).U32(120).U32(static_cast<std::uint32_t>(dib.size() - 40))
        .U32(DIB_RGB_COLORS).U32(SRCCOPY).I32(30).I32(30).Bytes(dib);
    w.Add(TEmr::StretchDIBits, s);
    brush(Cyan);
    w.Add(TEmr::SaveDC, {});
    EmfBox(w, TEmr::IntersectClipRect, 20, 92, 80, 98);
    EmfBox(w, TEmr::Rectangle, 0, 0, 100, 100);
    w.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    // The last square is drawn at the origin and moved into place by the world transform.
    EmfSelect(w, StockObjectFlag | BLACK_BRUSH);
    EmfXform(w, TEmr::SetWorldTransform, 1, 0, 0, 1, 92, 2);
    EmfBox(w, TEmr::Rectangle, 0, 0, 6, 6);
    EmfXform(w, TEmr::ModifyWorldTransform, 1, 0, 0, 1, 0, 0, MWT_IDENTITY);
    return FinishEmf(w);
}

// A second drawing for the curved shapes, text backgrounds and blits.
TExpectation CurvesExpectation() {
    const auto u = [](double l, double t, double r, double b, TRgb c) { return TArea {l / 100, t / 100, r / 100, b / 100, c}; };
    TExpectation e;
    e.Areas = {
        u(20, 20, 30, 30, Orange), u(10, 10, 13, 13, White),    // a rounded rectangle (all corner) and its corner
        u(76, 18, 84, 26, Red), u(55, 35, 65, 45, White),       // the upper right quarter of a pie only
        u(18, 56, 32, 63, Blue), u(18, 68, 32, 76, White),      // the upper half of a chord only
        u(52, 62, 88, 73, Cyan),                                // an opaque text background
        u(25, 89, 35, 91, Green),                               // a 4-unit polyline, at its middle
        u(62, 82, 88, 93, Black),                               // a blackness blit
        u(45, 80, 55, 98, White), u(42, 20, 48, 55, White),
    };
    e.Extent = u(10, 10, 90, 95, White);
    return e;
}

TBytes CurvesWmf() {
    TWmfWriter w;
    BeginUnitSquareWmf(w, 3);  // the null pen in slot 0
    const auto brush = [&](TRgb colour, bool first = false) {
        if (!first) w.Add(TWmf::DeleteObject, {1});
        WmfBrush(w, BS_SOLID, colour.ColorRef());
        w.Add(TWmf::SelectObject, {1});
    };
    brush(Orange, true);
    w.Add(TWmf::RoundRect, {30, 30, 40, 40, 10, 10});  // corner height, width, bottom, right, top, left
    brush(Red);
    w.Add(TWmf::Pie, {10, 70, 30, 90, 50, 90, 10, 50});  // end y, x, start y, x, bottom, right, top, left
    brush(Blue);
    w.Add(TWmf::Chord, {65, 10, 65, 40, 80, 40, 50, 10});
    w.Add(TWmf::SetBkColor, TRecordData().U32(Cyan.ColorRef()));
    TRecordData text;  // y, x, count, options, rectangle, the text, its advance
    text.I16(62).I16(52).U16(1).U16(ETO_OPAQUE).I16(50).I16(60).I16(90).I16(75).Bytes(" ").Pad(2).I16(4);
    w.Add(TWmf::ExtTextOut, text);
    WmfPen(w, PS_SOLID, 4, Green.ColorRef());  // slot 2
    w.Add(TWmf::SelectObject, {2});
    WmfPoints(w, TWmf::Polyline, {{20, 90}, {30, 90}, {40, 90}});
    w.Add(TWmf::PatBlt, TRecordData().U32(BLACKNESS).I16(15).I16(30).I16(80).I16(60));  // height, width, y, x
    return w.Finish(true, {0, 0, 100, 100}, 96);
}

TBytes CurvesEmf() {
    TEmfWriter w;
    w.SetHandles(4);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    const auto brush = [&](TRgb colour) { SelectSolidEmfBrush(w, colour); };
    brush(Orange);
    w.Add(TEmr::RoundRect, RectL(10, 10, 40, 40).I32(30).I32(30));
    brush(Red);
    EmfU32(w, TEmr::SetArcDirection, AD_COUNTERCLOCKWISE);
    w.Add(TEmr::Pie, RectL(50, 10, 90, 50).I32(90).I32(30).I32(70).I32(10));
    brush(Blue);
    w.Add(TEmr::Chord, RectL(10, 50, 40, 80).I32(40).I32(65).I32(10).I32(65));
    EmfU32(w, TEmr::SetBkColor, Cyan.ColorRef());
    EmfTextW(w, 52, 62, u" ", ETO_OPAQUE, RectL(50, 60, 90, 75));
    EmfPen(w, 2, PS_SOLID, 4, Green.ColorRef());
    EmfSelect(w, 2);
    EmfPoints(w, TEmr::PolyBezier16, {{20, 90}, {25, 90}, {35, 90}, {40, 90}}, true);  // a straight curve
    TRecordData blt = RectL(0, 0, 0, 0);  // a blit without a source
    blt.I32(60).I32(80).I32(30).I32(15).U32(BLACKNESS).I32(0).I32(0);
    blt.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    w.Add(TEmr::BitBlt, blt);
    return FinishEmf(w);
}

// ---- the page ----

class TPicturePage : public TPictureSheet {
public:
    std::vector<std::uint8_t> Report() {
        Writer().BeginPage(1);
        AddBitmaps();
        AddIcons();
        AddMetafiles();
        Writer().EndPage();
        return Writer().Finish();
    }

private:
    void AddBitmaps() {
        const std::vector<TBitmapKind> kinds = BitmapKinds();
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            const TBitmapKind& kind = kinds[i];
            const TGraphicData g {1, kind.File};
            const double x = 12 + 300.0 * double(i / 5), y = 12 + 58.0 * double(i % 5);
            const TExpectation e = BlockExpectation(BlocksAcross, BlocksDown, kind.Colour);
            Writer().Draw(g, Inches(x), Inches(y));
            Add({kind.Name + " Draw", x, y, BitmapWidth, BitmapHeight, e});
            Writer().PrintBitmap(g, Inches(x + 56), Inches(y), 1.5f, 1.5f);
            Add({kind.Name + " PrintBitmap", x + 56, y, BitmapWidth * 1.5, BitmapHeight * 1.5, e});
            Writer().StretchBitmap(g, Inches(x + 136), Inches(y), Inches(x + 232), Inches(y + 32));
            Add({kind.Name + " StretchBitmap", x + 136, y, 96, 32, e});
            Writer().StretchDraw(g, Inches(x + 240), Inches(y), Inches(x + 288), Inches(y + 32));
            Add({kind.Name + " StretchDraw", x + 240, y, 48, 32, e});
        }
    }

    void AddIcons() {
        const TGraphicData half {3, ndrwriter::HalfMaskedIcon(32, Red.ColorRef(), true)};
        const TExpectation halfExpect =
            BlockExpectation(2, 1, [](int bx, int) { return bx ? std::optional<TRgb>(Red) : std::nullopt; });
        const TGraphicData masked {3, MaskedIcon()};
        const TExpectation maskedExpect = BlockExpectation(2, 2, [](int bx, int by) {
            const std::array<std::optional<TRgb>, 4> colours {std::nullopt, Blue, Yellow, Green};
            return colours[static_cast<std::size_t>(by * 2 + bx)];
        });
        Place("icon with alpha Draw", half, 12, 310, 32, 32, halfExpect, false);
        Place("icon with alpha StretchDraw", half, 56, 310, 64, 64, halfExpect, true);
        Place("icon with mask Draw", masked, 132, 310, 32, 32, maskedExpect, false);
        Place("icon with mask StretchDraw", masked, 176, 310, 64, 64, maskedExpect, true);
    }

    void AddMetafiles() {
        const TGraphicData wmf {2, Wmf()}, emf {2, Emf()};
        Place("WMF StretchDraw", wmf, 12, 390, 200, 200, MetafileExpectation(), true);
        Place("EMF StretchDraw", emf, 224, 390, 200, 200, MetafileExpectation(), true);
        // Their own sizes on a 96 pixel-per-inch screen: 100 units at 96 per inch, and a 1-inch frame.
        Place("WMF Draw", wmf, 436, 390, 100, 100, MetafileExpectation(), false);
        Place("EMF Draw", emf, 436, 502, 96, 96, MetafileExpectation(), false);
        const TGraphicData curvesWmf {2, CurvesWmf()}, curvesEmf {2, CurvesEmf()};
        Place("curves WMF StretchDraw", curvesWmf, 12, 606, 180, 180, CurvesExpectation(), true);
        Place("curves EMF StretchDraw", curvesEmf, 204, 606, 180, 180, CurvesExpectation(), true);
        Place("curves WMF Draw", curvesWmf, 396, 606, 100, 100, CurvesExpectation(), false);
        Place("curves EMF Draw", curvesEmf, 508, 606, 96, 96, CurvesExpectation(), false);
    }
};

TEST(PdfPicturesReader, EveryPictureKindLooksRightInPoppler) {
    if (RunStatus("command -v pdftoppm") != 0) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    TPicturePage page;
    CheckInPoppler(page.Report(), page.Placements());
}

}  // namespace
}  // namespace tal::testing
