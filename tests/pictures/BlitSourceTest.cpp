// Bitmaps that metafile blits read: only the part read is decoded, at no
// more pixels than the blit's box shows, blocks of pixels averaged; what is
// drawn is the same picture as from the whole bitmap.
#include <gtest/gtest.h>

#include "platform/Graphic.h"
#include "platform/pictures/BlitSource.h"
#include "platform/pictures/MetafileWriter.h"
#include "tests/pictures/PictureBuilders.h"
#include "tools/hostile/HostileReports.h"

namespace tal {
namespace {

using namespace tal::pictest;
using namespace tal::pictures;

// 0x00RRGGBB, as colour tables and the decoded surface hold them; rasters
// read back as 0x00BBGGRR.
constexpr std::uint32_t Red = 0xFF0000, Blue = 0x0000FF, White = 0xFFFFFF, Black = 0x000000;
constexpr std::uint32_t RasterRed = 0x0000FF, RasterBlue = 0xFF0000;

struct TDib {
    TDibInfo Info;
    TBytes Bits;
};

// An 8-bit bitmap of width x height whose pixel (x, y), y from the top, has
// the colour pick gives.
TDib PaletteDib(int width, int height, std::vector<std::uint32_t> palette,
                const std::function<std::uint32_t(int, int)>& pick, bool topDown = false) {
    TDibSpec s;
    s.Width = width;
    s.Height = height;
    s.BitCount = 8;
    s.TopDown = topDown;
    s.Palette = std::move(palette);
    const TBytes header = DibHeader(s);
    return {ReadDibInfo(TByteView(header.data(), header.size(), "test")), DibRows(s, pick)};
}

std::uint32_t SurfacePixel(const TBlitSource& blit, int x, int y) {
    cairo_surface_t* s = blit.Pixels.get();
    cairo_surface_flush(s);
    const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                             static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s));
    return row[x] & 0xFFFFFF;
}

int SurfaceWidth(const TBlitSource& blit) { return cairo_image_surface_get_width(blit.Pixels.get()); }
int SurfaceHeight(const TBlitSource& blit) { return cairo_image_surface_get_height(blit.Pixels.get()); }

TEST(BlitSource, ABitmapStretchedIntoASmallBoxIsDecodedAtTheBoxsResolution) {
    // One-pixel black and white checks, 1,000 x 1,000, into 10 x 10 device
    // pixels: blocks of 100 x 100 checks, each the grey of their mean.
    const TDib dib = PaletteDib(1000, 1000, {Black, White}, [](int x, int y) { return (x + y) % 2; });
    const TBlitSource blit = DecodeBlitSource(dib.Info, TByteView(dib.Bits.data(), dib.Bits.size(), "test"),
                                              {0, 0, 1000, 1000}, 10, 10);
    EXPECT_EQ(blit.StepX, 100);
    EXPECT_EQ(blit.StepY, 100);
    ASSERT_EQ(SurfaceWidth(blit), 10);
    ASSERT_EQ(SurfaceHeight(blit), 10);
    for (const auto& [x, y] : {std::pair {0, 0}, {9, 9}, {4, 7}}) EXPECT_EQ(SurfacePixel(blit, x, y), 0x7F7F7Fu);
    const TSourceRect read = blit.OnSurface({0, 0, 1000, 1000});
    EXPECT_DOUBLE_EQ(read.Width, 10);
    EXPECT_DOUBLE_EQ(read.Height, 10);
}

TEST(BlitSource, OnlyThePartReadIsDecodedWithAPixelAroundIt) {
    // Red left of column 500, blue from it; the source is a 100 x 100
    // square across that edge, drawn at its own size.
    const TDib dib = PaletteDib(1000, 1000, {Red, Blue}, [](int x, int) { return x < 500 ? 0 : 1; });
    const TByteView bits(dib.Bits.data(), dib.Bits.size(), "test");
    const TBlitSource blit = DecodeBlitSource(dib.Info, bits, {450, 300, 100, 100}, 100, 100);
    EXPECT_EQ(blit.Left, 449);
    EXPECT_EQ(blit.Top, 299);
    EXPECT_EQ(SurfaceWidth(blit), 102);
    EXPECT_EQ(SurfaceHeight(blit), 102);
    const TSourceRect read = blit.OnSurface({450, 300, 100, 100});
    EXPECT_DOUBLE_EQ(read.X, 1);
    EXPECT_DOUBLE_EQ(read.Y, 1);
    EXPECT_EQ(SurfacePixel(blit, 50, 50), Red);  // column 499
    EXPECT_EQ(SurfacePixel(blit, 51, 50), Blue);  // column 500
    // Mirrored and past the edges: the span stays inside the bitmap.
    const TBlitSource mirrored = DecodeBlitSource(dib.Info, bits, {1100, -50, -200, 2000}, 200, 2000);
    EXPECT_EQ(mirrored.Left, 899);
    EXPECT_EQ(SurfaceWidth(mirrored), 101);
    EXPECT_EQ(SurfaceHeight(mirrored), 1000);
    const TBlitSource outside = DecodeBlitSource(dib.Info, bits, {5000, 5000, 10, 10}, 10, 10);
    EXPECT_EQ(SurfaceWidth(outside), 1);
    EXPECT_EQ(SurfaceHeight(outside), 1);
    EXPECT_EQ(SurfacePixel(outside, 0, 0), Blue);  // the nearest corner
}

TEST(BlitSource, AHugeBitmapIsReducedToTheCapWhateverItsBox) {
    // A run-length bitmap of a hundred million pixels (66 bytes) drawn into
    // a box of a million pixels a side.
    const TBytes packed = hostile::RlePackedDib(10000, 10000, 0x336699);
    const TByteView view(packed.data(), packed.size(), "test");
    const TDibInfo info = ReadDibInfo(view);
    const TBlitSource blit =
        DecodeBlitSource(info, view.From(info.InfoSize, "bits"), {0, 0, 10000, 10000}, 1e6, 1e6);
    const std::int64_t pixels = std::int64_t {SurfaceWidth(blit)} * SurfaceHeight(blit);
    EXPECT_LE(pixels, TBlitSource::MaxPixels);
    EXPECT_GT(pixels, TBlitSource::MaxPixels / 2);
    EXPECT_EQ(SurfacePixel(blit, 0, 0), 0x336699u);
}

// A 100 x 100 unit placeable metafile that stretches the source rectangle
// of a packed DIB over its whole frame.
TBytes StretchMetafile(const TBytes& packedDib, int xSrc, int ySrc, int srcW, int srcH) {
    TWmfWriter w;
    w.SetObjectCount(1);
    w.Add(TWmf::SetWindowOrg, {0, 0});
    w.Add(TWmf::SetWindowExt, {100, 100});
    TRecordData p;
    p.U32(0x00CC0020).U16(DIB_RGB_COLORS);  // SRCCOPY
    p.I16(std::int16_t(srcH)).I16(std::int16_t(srcW)).I16(std::int16_t(ySrc)).I16(std::int16_t(xSrc));
    p.I16(100).I16(100).I16(0).I16(0);
    p.Bytes(packedDib);
    w.Add(TWmf::StretchDIB, p);
    return w.Finish(true, {0, 0, 100, 100}, 96);
}

TRaster Draw(const TBytes& metafile, int size) {
    TMetafile m;
    m.LoadFromBytes(metafile);
    return DrawToRaster(m, size, size);
}

TEST(BlitSource, StretchedRecordsDrawThePartTheyNameFromBottomUpAndTopDownBitmaps) {
    // Top half red, bottom half blue, 2,000 pixels a side. A StretchDIB's
    // source rows count from the bottom of a bottom-up bitmap: rows 0 to
    // 1,000 are its blue half. A top-down bitmap counts them from the top.
    for (const bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        TDibSpec s;
        s.Width = s.Height = 2000;
        s.BitCount = 8;
        s.TopDown = topDown;
        s.Palette = {Red, Blue};
        const TBytes dib = Concat(DibHeader(s), DibRows(s, [](int, int y) { return y < 1000 ? 0 : 1; }));
        const std::uint32_t lowRows = topDown ? RasterRed : RasterBlue;
        const TRaster half = Draw(StretchMetafile(dib, 0, 0, 2000, 1000), 50);
        EXPECT_EQ(half.Pixel(25, 2), lowRows);
        EXPECT_EQ(half.Pixel(25, 47), lowRows);
        const TRaster whole = Draw(StretchMetafile(dib, 0, 0, 2000, 2000), 50);
        EXPECT_EQ(whole.Pixel(25, 10), RasterRed);
        EXPECT_EQ(whole.Pixel(25, 40), RasterBlue);
    }
}

}  // namespace
}  // namespace tal
