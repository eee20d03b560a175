// Pictures encoded straight from their drawing surfaces give the very bytes
// of the raster path they replace (DrawMasked, then EncodeJpeg) and the same
// mask, whatever the picture, size, scale and quality; and the conversions
// under them (the surface of a raster, 24-bit bitmap rows, JPEG from
// four-byte rows) keep every pixel.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/jpeg/JpegEncoder.h"
#include "platform/pictures/Cairo.h"
#include "platform/pictures/Dib.h"
#include "platform/pictures/MaskedRaster.h"
#include "tests/pictures/MetafileSamples.h"
#include "tests/pictures/PictureBuilders.h"
#include "tools/hostile/HostileReports.h"
#include "tools/ndrwriter/SampleChart.h"

namespace tal {
namespace {

using namespace tal::pictest;
using namespace tal::pictures;

template <typename T>
T Load(const std::vector<std::uint8_t>& bytes) {
    T graphic;
    graphic.LoadFromBytes(bytes);
    return graphic;
}

// Varied colours: gradients, a disc and pseudo-random noise, so that JPEG
// and the smoothing filter have work everywhere.
std::uint32_t Noise(int x, int y, int seed) {
    // Unsigned, so that the products wrap instead of overflowing.
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u ^
                      static_cast<std::uint32_t>(seed) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    const bool disc = (x - 20) * (x - 20) + (y - 15) * (y - 15) < 100;
    const std::uint32_t r = disc ? 230 : (x * 5 + (h & 15)) & 0xFF, g = (y * 7 + ((h >> 4) & 31)) & 0xFF,
                        b = disc ? 40 : (h >> 8) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

TBitmap NoisyBitmap(int width, int height, int seed) {
    TDibSpec s;
    s.Width = width;
    s.Height = height;
    return Load<TBitmap>(BmpFile(DibHeader(s), DibRows(s, [&](int x, int y) { return Noise(x, y, seed); })));
}

void ExpectSameAsRasterPath(const TGraphic& graphic, int width, int height, int quality) {
    const TMaskedRaster old = DrawMasked(graphic, width, height);
    const TMaskedJpeg now = DrawMaskedJpeg(graphic, width, height, quality);
    EXPECT_EQ(now.Jpeg, EncodeJpeg(old.Pixels, quality)) << width << " x " << height << " q" << quality;
    EXPECT_EQ(now.Mask.Bits, old.Mask.Bits) << width << " x " << height;
    EXPECT_EQ(now.Mask.Width, old.Mask.Width);
    EXPECT_EQ(now.Mask.Height, old.Mask.Height);
}

TEST(MaskedJpeg, BitmapsStretchedEveryWayGiveTheBytesOfTheRasterPath) {
    struct TCase {
        int W, H, ToW, ToH;
    };
    // Reductions (smoothed by interpolation and by convolution), enlargements
    // (hard pixel edges), one axis each way, their own size, odd widths
    // whose rows are padded, single pixels and single rows.
    const TCase cases[] = {{40, 30, 40, 30},  {41, 31, 30, 23},  {64, 48, 48, 36},  {97, 61, 13, 9},
                           {40, 30, 121, 91}, {3, 2, 9, 4},      {7, 5, 5, 11},     {33, 17, 1, 1},
                           {1, 1, 17, 3},     {57, 1, 19, 1},    {1, 45, 2, 15},    {200, 150, 175, 140},
                           {150, 100, 151, 99}};
    int seed = 0;
    for (const TCase& c : cases) {
        const TBitmap bitmap = NoisyBitmap(c.W, c.H, ++seed);
        for (const int quality : {90, 35})
            ExpectSameAsRasterPath(bitmap, c.ToW, c.ToH, quality);
    }
    // At its own size a bitmap's JPEG is that of its decoded pixels.
    const TBitmap own = NoisyBitmap(61, 37, 42);
    EXPECT_EQ(DrawMaskedJpeg(own, own.Width(), own.Height(), 90).Jpeg, EncodeJpeg(own.Pixels(), 90));
    ExpectSameAsRasterPath(own, own.Width(), own.Height(), 90);
    // Quality is clamped the same way on both paths.
    const TBitmap bitmap = NoisyBitmap(20, 20, 99);
    for (const int quality : {0, 1, 100, 250}) ExpectSameAsRasterPath(bitmap, 31, 12, quality);
}

TEST(MaskedJpeg, IconsOpaqueMaskedAndTranslucentGiveTheBytesAndMaskOfTheRasterPath) {
    // 24-bit with an AND mask over its left half.
    TDibSpec s;
    s.Width = s.Height = 16;
    s.BitCount = 24;
    s.HeightFactor = 2;
    const TIcon masked = Load<TIcon>(IconFile({{16, 16, 24, Concat(Concat(DibHeader(s), DibRows(s, [](int x, int y) {
                                                                        return Noise(x, y, 3);
                                                                    })),
                                                                    IconMask(16, 16, [](int x, int) { return x < 8; }))}}));
    // 32-bit: opaque throughout; half alpha throughout (partly painted, never
    // transparent); alpha rising across (some pixels transparent, some partly
    // painted).
    auto icon32 = [&](const std::function<std::uint32_t(int, int)>& alpha) {
        TDibSpec t = s;
        t.BitCount = 32;
        const TBytes rows = DibRows(t, [&](int x, int y) { return (alpha(x, y) << 24) | Noise(x, y, 5); });
        return Load<TIcon>(IconFile({{16, 16, 32, Concat(Concat(DibHeader(t), rows), IconMask(16, 16, [](int, int) {
                                                             return false;
                                                         }))}}));
    };
    const TIcon opaque = icon32([](int, int) { return 255u; });
    const TIcon translucent = icon32([](int, int) { return 128u; });
    const TIcon ramp = icon32([](int x, int) { return static_cast<std::uint32_t>(x * 17); });
    for (const TIcon* icon : {&masked, &opaque, &translucent, &ramp})
        for (const int size : {16, 5, 37, 48}) ExpectSameAsRasterPath(*icon, size, size + 3, 90);
    EXPECT_FALSE(DrawMaskedJpeg(masked, 16, 16, 90).Mask.Empty());
    EXPECT_TRUE(DrawMaskedJpeg(opaque, 16, 16, 90).Mask.Empty());
    EXPECT_TRUE(DrawMaskedJpeg(translucent, 16, 16, 90).Mask.Empty());
    EXPECT_FALSE(DrawMaskedJpeg(ramp, 16, 16, 90).Mask.Empty());
}

TEST(MaskedJpeg, MetafilesWithAndWithoutBackgroundGiveTheBytesAndMaskOfTheRasterPath) {
    const TMetafile sample = Load<TMetafile>(SampleWmf());  // leaves its background untouched
    const TMetafile chart = Load<TMetafile>(ndrwriter::SampleChartEmf(2, 1.5, 7));
    TWmfWriter w;
    w.SetObjectCount(4);
    w.Add(TWmf::SetWindowOrg, {0, 0});
    w.Add(TWmf::SetWindowExt, {100, 100});
    WmfBrush(w, BS_SOLID, 0x00FF00);
    w.Add(TWmf::SelectObject, {0});
    WmfRect(w, TWmf::Rectangle, -5, -5, 105, 105);
    const TMetafile covered = Load<TMetafile>(w.Finish(true, {0, 0, 100, 100}, 96));
    for (const TMetafile* metafile : {&sample, &chart, &covered})
        for (const auto& [width, height] : {std::pair{100, 100}, {301, 199}, {7, 3}, {1, 1}})
            ExpectSameAsRasterPath(*metafile, width, height, 90);
    EXPECT_FALSE(DrawMaskedJpeg(sample, 100, 100, 90).Mask.Empty());
    EXPECT_TRUE(DrawMaskedJpeg(covered, 100, 100, 90).Mask.Empty());
}

TEST(MaskedJpeg, PicturesThatDrawNothingAreWhiteAndNoSizeIsRefusedAsBefore) {
    const TBitmap emptyBitmap;
    const TMetafile emptyMetafile;
    const TIcon noIcon;
    for (const TGraphic* graphic : std::initializer_list<const TGraphic*>{&emptyBitmap, &emptyMetafile, &noIcon})
        ExpectSameAsRasterPath(*graphic, 9, 4, 90);
    const TBitmap bitmap = NoisyBitmap(4, 4, 1);
    EXPECT_THROW(DrawMaskedJpeg(bitmap, 0, 5, 90), EInvalidGraphic);
    EXPECT_THROW(DrawMaskedJpeg(emptyMetafile, 5, 0, 90), EInvalidGraphic);
}

TEST(MaskedJpeg, SurfaceOfARasterKeepsEveryPixelToTheLastOfTheLastRow) {
    for (const auto& [width, height] : {std::pair{1, 1}, {2, 1}, {1, 3}, {5, 3}, {17, 9}}) {
        TRaster raster(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) raster.SetPixel(x, y, Noise(x, y, width));
        const TCairoSurface surface = SurfaceFromRaster(raster);
        cairo_surface_flush(surface.get());
        const int stride = cairo_image_surface_get_stride(surface.get());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint32_t p;
                std::memcpy(&p, cairo_image_surface_get_data(surface.get()) + y * stride + 4 * x, 4);
                const std::uint32_t c = raster.Pixel(x, y);  // 0x00BBGGRR
                EXPECT_EQ(p, 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF))
                    << width << " x " << height << " at " << x << ", " << y;
            }
    }
}

TEST(MaskedJpeg, TwentyFourBitRowsDecodeTopDownAndBottomUpWithTheirPadding) {
    for (const bool topDown : {false, true})
        for (const int width : {1, 2, 3, 4, 5, 13}) {
            TDibSpec s;
            s.Width = width;
            s.Height = 3;
            s.TopDown = topDown;
            const TBitmap bitmap = Load<TBitmap>(
                BmpFile(DibHeader(s), DibRows(s, [](int x, int y) { return Noise(x, y, 11); })));
            const TRaster& raster = bitmap.Pixels();
            ASSERT_EQ(raster.Width(), width);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t rgb = Noise(x, y, 11), c = raster.Pixel(x, y);
                    EXPECT_EQ(c, ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16)) << width << " " << x << "," << y;
                }
        }
}

TEST(MaskedJpeg, FourByteRowsEncodeAsTheirColoursInThreeBytes) {
    for (const auto& [width, height] : {std::pair{1, 1}, {7, 5}, {16, 16}, {33, 9}, {250, 3}}) {
        TRaster raster(width, height);
        std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(width) * height * 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint32_t rgb = Noise(x, y, 2);
                raster.SetPixel(x, y, ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16));
                std::uint8_t* p = bgrx.data() + (static_cast<std::size_t>(y) * width + x) * 4;
                p[0] = rgb & 0xFF;
                p[1] = (rgb >> 8) & 0xFF;
                p[2] = (rgb >> 16) & 0xFF;
                p[3] = static_cast<std::uint8_t>(x * 31);  // unused: any value
            }
        for (const int quality : {10, 90}) {
            const auto bytes = EncodeJpegRows(width, height, quality, TJpegRowLayout::Bgrx, [&](int y) {
                return bgrx.data() + static_cast<std::size_t>(y) * width * 4;
            });
            EXPECT_EQ(bytes, EncodeJpeg(raster, quality)) << width << " x " << height;
        }
    }
    EXPECT_THROW(EncodeJpegRows(0, 4, 90, TJpegRowLayout::Bgrx, [](int) { return nullptr; }), EInvalidGraphic);
}

}  // namespace
}  // namespace tal

namespace tal {
namespace {

TEST(MaskedJpeg, DrawingsWithTheirMasksAreChargedToTheReportsBudget) {
    // Two StretchDIB records of a million pixels: about two million pixel
    // operations a drawing against the report's five million, whichever
    // way the picture is drawn.
    TMetafile metafile;
    metafile.LoadFromBytes(hostile::BlitMetafile(1000, 2, 0));
    metafile.SetSharedBudget(
        std::make_shared<pictures::TPictureBudget>(pictures::TPictureBudget::ForReport(5'000'000)));
    pictures::DrawMaskedJpeg(metafile, 150, 150, 90);
    pictures::DrawMasked(metafile, 150, 150);
    EXPECT_THROW(pictures::DrawMaskedJpeg(metafile, 150, 150, 90), pictures::EPictureBudget);
    EXPECT_THROW(pictures::DrawMasked(metafile, 150, 150), pictures::EPictureBudget);
}

}  // namespace
}  // namespace tal

namespace tal {
namespace {

TEST(MaskedJpeg, SurfacesLentFromPictureToPictureChangeNoByte) {
    // A run of bitmaps, some of one size after another (their surfaces are
    // lent again, with the last picture's pixels in them), some not.
    pictures::TSurfaceStore store;
    const int sizes[][4] = {{40, 30, 30, 23}, {40, 30, 30, 23}, {40, 30, 90, 60}, {40, 30, 30, 23},
                            {23, 17, 30, 23}, {40, 30, 30, 23}, {40, 30, 40, 30}, {40, 30, 40, 30}};
    int seed = 0;
    for (const auto& s : sizes) {
        const TBitmap bitmap = NoisyBitmap(s[0], s[1], ++seed);
        EXPECT_EQ(pictures::DrawMaskedJpeg(bitmap, s[2], s[3], 90, &store).Jpeg,
                  EncodeJpeg(pictures::DrawMasked(bitmap, s[2], s[3]).Pixels, 90))
            << seed;
    }
}

TEST(MaskedJpeg, TheStoreLendsOnlyItsOwnSizeAndFormatAndKeepsTwoSmallSurfaces) {
    pictures::TSurfaceStore store;
    auto surface = [](cairo_format_t format, int w, int h) {
        return cairo_image_surface_create(format, w, h);
    };
    cairo_surface_t* a = surface(CAIRO_FORMAT_RGB24, 10, 10);
    cairo_surface_t* b = surface(CAIRO_FORMAT_ARGB32, 10, 10);
    cairo_surface_t* c = surface(CAIRO_FORMAT_RGB24, 20, 10);
    store.Keep(a);
    store.Keep(b);
    store.Keep(c);  // the oldest, a, goes
    EXPECT_EQ(store.Take(CAIRO_FORMAT_RGB24, 10, 10), nullptr);
    EXPECT_EQ(store.Take(CAIRO_FORMAT_RGB24, 10, 20), nullptr);
    cairo_surface_t* taken = store.Take(CAIRO_FORMAT_ARGB32, 10, 10);
    EXPECT_EQ(taken, b);
    EXPECT_EQ(store.Take(CAIRO_FORMAT_ARGB32, 10, 10), nullptr);  // lent once
    cairo_surface_destroy(taken);
    // Too large, or still in use elsewhere: not kept.
    store.Keep(surface(CAIRO_FORMAT_RGB24, 4000, 1001));
    EXPECT_EQ(store.Take(CAIRO_FORMAT_RGB24, 4000, 1001), nullptr);
    cairo_surface_t* shared = surface(CAIRO_FORMAT_RGB24, 5, 5);
    cairo_surface_reference(shared);
    store.Keep(shared);
    EXPECT_EQ(store.Take(CAIRO_FORMAT_RGB24, 5, 5), nullptr);
    EXPECT_EQ(cairo_surface_get_reference_count(shared), 1u);
    cairo_surface_destroy(shared);
    cairo_surface_t* wide = store.Take(CAIRO_FORMAT_RGB24, 20, 10);
    EXPECT_EQ(wide, c);
    cairo_surface_destroy(wide);
}

}  // namespace
}  // namespace tal
