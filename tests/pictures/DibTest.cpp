// DIB decoding: every depth and compression against pixels the test computes,
// both row orders, header versions, short palettes, and refused inputs.
#include <gtest/gtest.h>

#include "platform/Graphic.h"
#include "platform/pictures/Dib.h"
#include "tests/pictures/PictureBuilders.h"

namespace tal {
namespace {

using namespace tal::pictest;
using namespace tal::pictures;

// 0x00RRGGBB to the raster's 0x00BBGGRR.
std::uint32_t Ref(std::uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

TBitmap Load(const TBytes& bytes) {
    TBitmap bitmap;
    bitmap.LoadFromBytes(bytes);
    return bitmap;
}

void ExpectPixels(const TBitmap& b, int w, int h, const std::function<std::uint32_t(int, int)>& rgb) {
    ASSERT_EQ(b.Width(), w);
    ASSERT_EQ(b.Height(), h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(b.Pixels().Pixel(x, y), Ref(rgb(x, y))) << "at " << x << "," << y;
}

const std::vector<std::uint32_t> Palette16 = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                              0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                              0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

struct TDepthCase {
    int BitCount;
    std::uint32_t HeaderSize;
    bool TopDown;
};

class DibDepth : public ::testing::TestWithParam<TDepthCase> {};

TEST_P(DibDepth, PalettedAndDirectDepthsDecodeToTheirColours) {
    const TDepthCase c = GetParam();
    TDibSpec s;
    s.Width = 13;  // odd, so that rows need padding
    s.Height = 7;
    s.BitCount = c.BitCount;
    s.HeaderSize = c.HeaderSize;
    s.TopDown = c.TopDown;
    std::function<std::uint32_t(int, int)> stored, expected;
    if (c.BitCount <= 8) {
        const unsigned colours = 1u << c.BitCount;
        for (unsigned i = 0; i < std::min(colours, 256u); ++i)
            s.Palette.push_back(i < 16 ? Palette16[i] : (i * 0x010203u) & 0xFFFFFF);
        stored = [colours](int x, int y) { return static_cast<std::uint32_t>((x * 3 + y * 5) % colours); };
        expected = [&s, stored](int x, int y) { return s.Palette[stored(x, y)]; };
    } else if (c.BitCount == 16) {
        stored = [](int x, int y) { return static_cast<std::uint32_t>(((x * 2) << 10) | ((y * 4) << 5) | 31); };
        expected = [stored](int x, int y) {
            auto scale = [](std::uint32_t v) { return (v * 255 + 15) / 31; };
            const std::uint32_t p = stored(x, y);
            return (scale((p >> 10) & 31) << 16) | (scale((p >> 5) & 31) << 8) | scale(p & 31);
        };
    } else {
        stored = [](int x, int y) { return static_cast<std::uint32_t>((x * 19) << 16 | (y * 31) << 8 | (x ^ y)); };
        expected = stored;
    }
    const TBytes file = BmpFile(DibHeader(s), DibRows(s, stored));
    ExpectPixels(Load(file), s.Width, s.Height, expected);
}

INSTANTIATE_TEST_SUITE_P(Depths, DibDepth,
                         ::testing::Values(TDepthCase{1, 40, false}, TDepthCase{4, 40, false}, TDepthCase{8, 40, false},
                                           TDepthCase{16, 40, false}, TDepthCase{24, 40, false},
                                           TDepthCase{32, 40, false}, TDepthCase{1, 12, false},
                                           TDepthCase{4, 12, false}, TDepthCase{8, 12, false},
                                           TDepthCase{24, 12, false}, TDepthCase{8, 40, true},
                                           TDepthCase{24, 40, true}, TDepthCase{32, 108, true},
                                           TDepthCase{8, 124, false}, TDepthCase{24, 124, true}));

TEST(Dib, BitFieldsMasksOfEveryHeaderKind) {
    // 5-6-5 in a plain info header (masks after it), 32-bit with odd masks in V4 and V5 headers.
    TDibSpec s;
    s.Width = 5;
    s.Height = 3;
    s.BitCount = 16;
    s.Compression = BI_BITFIELDS;
    s.Masks = {0xF800, 0x07E0, 0x001F};
    auto p565 = [](int x, int y) { return static_cast<std::uint32_t>((x * 7) << 11 | (y * 21) << 5 | (x + y)); };
    ExpectPixels(Load(BmpFile(DibHeader(s), DibRows(s, p565))), 5, 3, [&](int x, int y) {
        const std::uint32_t p = p565(x, y);
        return (((p >> 11) * 255 + 15) / 31) << 16 | ((((p >> 5) & 63) * 255 + 31) / 63) << 8 | ((p & 31) * 255 + 15) / 31;
    });
    for (std::uint32_t header : {108u, 124u}) {
        TDibSpec v = s;
        v.HeaderSize = header;
        v.BitCount = 32;
        v.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};  // stored as R, G, B in byte order
        auto raw = [](int x, int y) { return static_cast<std::uint32_t>(0xFF000000u | (x * 40) | (y * 50) << 8 | 0x330000); };
        ExpectPixels(Load(BmpFile(DibHeader(v), DibRows(v, raw))), 5, 3, [&](int x, int y) {
            const std::uint32_t p = raw(x, y);
            return (p & 0xFF) << 16 | (p & 0xFF00) | ((p >> 16) & 0xFF);
        });
    }
}

TEST(Dib, ShortPaletteGivesBlackBeyondItsEnd) {
    TDibSpec s;
    s.Width = 4;
    s.Height = 1;
    s.BitCount = 8;
    s.Palette = {0xFF0000, 0x00FF00};  // two entries of 256 possible
    const TBitmap b = Load(BmpFile(DibHeader(s), DibRows(s, [](int x, int) { return std::uint32_t(x); })));
    EXPECT_EQ(b.Pixels().Pixel(0, 0), Ref(0xFF0000));
    EXPECT_EQ(b.Pixels().Pixel(1, 0), Ref(0x00FF00));
    EXPECT_EQ(b.Pixels().Pixel(2, 0), 0u);
    EXPECT_EQ(b.Pixels().Pixel(3, 0), 0u);
}

TEST(Dib, RunLengthEncodingsWithDeltaAbsoluteAndEndOfLine) {
    TDibSpec s;
    s.Width = 6;
    s.Height = 3;
    s.BitCount = 8;
    s.Compression = BI_RLE8;
    s.Palette = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    // Bottom row: 3 x index 1, absolute run 2,3,2; then end of line.
    // Middle row: delta (2, 1) from (0, 1) skips to the top row at x 2: 2 x index 3; end of bitmap.
    const TBytes rle8 = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 2, 1, 2, 3, 0, 1};
    const TBitmap b8 = Load(BmpFile(DibHeader(s), rle8));
    const char* expected8[3] = {"003300", "000000", "111232"};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(b8.Pixels().Pixel(x, y), Ref(s.Palette[expected8[y][x] - '0'])) << x << "," << y;

    s.BitCount = 4;
    s.Compression = BI_RLE4;
    s.Height = 1;
    // 5 pixels alternating 1,2; absolute 3 nibbles 3,0,3 (padded to a word); end of bitmap.
    const TBytes rle4 = {5, 0x12, 0, 3, 0x30, 0x30, 0, 1};
    s.Width = 8;
    const TBitmap b4 = Load(BmpFile(DibHeader(s), rle4));
    const char* expected4 = "12121303";
    for (int x = 0; x < 8; ++x) EXPECT_EQ(b4.Pixels().Pixel(x, 0), Ref(s.Palette[expected4[x] - '0'])) << x;
}

TEST(Dib, PackedDibLocatesPixelsAfterItsColourTable) {
    TDibSpec s;
    s.Width = 2;
    s.Height = 2;
    s.BitCount = 1;
    s.Palette = {0x112233, 0x445566};
    const TBytes packed = Concat(DibHeader(s), DibRows(s, [](int x, int y) { return std::uint32_t(x == y); }));
    const TRaster r = pictures::DecodePackedDib(pictures::TByteView(packed.data(), packed.size(), "Bitmap"));
    EXPECT_EQ(r.Pixel(0, 0), Ref(0x445566));
    EXPECT_EQ(r.Pixel(1, 0), Ref(0x112233));
}

void ExpectRefused(const TBytes& bytes, const std::string& fragment) {
    TBitmap bitmap;
    try {
        bitmap.LoadFromBytes(bytes);
        FAIL() << "accepted; expected: " << fragment;
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("Bitmap: "), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
    EXPECT_TRUE(bitmap.Empty());
}

TEST(Dib, MalformedFilesAreRefusedWithTheirReason) {
    TDibSpec s;
    s.Width = 4;
    s.Height = 4;
    const TBytes good = BmpFile(DibHeader(s), DibRows(s, [](int, int) { return 0u; }));
    ExpectRefused(TBytes(good.begin(), good.end() - 5), "truncated");
    ExpectRefused(TBytes(good.begin(), good.begin() + 20), "runs past the end");
    ExpectRefused({'G', 'I', 'F'}, "signature");
    TBytes badOffset = good;
    Set32(badOffset, 10, 0x7FFFFFFF);
    ExpectRefused(badOffset, "pixel offset");
    TBytes badDepth = good;
    badDepth[14 + 14] = 7;
    ExpectRefused(badDepth, "colour depth 7");
    TBytes badHeader = good;
    Set32(badHeader, 14, 30);
    ExpectRefused(badHeader, "header size 30");
    TDibSpec rle = s;
    rle.BitCount = 8;
    rle.Compression = BI_RLE8;
    rle.Palette = {0};
    ExpectRefused(BmpFile(DibHeader(rle), {4, 0, 0, 0}), "end-of-bitmap");
    rle.TopDown = true;
    ExpectRefused(BmpFile(DibHeader(rle), {0, 1}), "top-down");
    TDibSpec mask = s;
    mask.BitCount = 16;
    mask.Compression = BI_BITFIELDS;
    mask.Masks = {0xF0F0, 0x0F00, 0x000F};
    ExpectRefused(BmpFile(DibHeader(mask), TBytes(32, 0)), "one run of bits");
}

TEST(Dib, HugeSizesAreRefusedBeforeAllocating) {
    TDibSpec s;
    s.Width = 200000;
    s.Height = 200000;
    const TBytes huge = BmpFile(DibHeader(s), TBytes(16, 0));
    TBitmap bitmap;
    try {
        bitmap.LoadFromBytes(huge);
        FAIL();
    } catch (const EOutOfResources& e) {
        EXPECT_NE(std::string(e.what()).find("200000 x 200000"), std::string::npos) << e.what();
    }
    // Under the cap, but far more than the data: refused as truncated.
    s.Width = 5000;
    s.Height = 5000;
    ExpectRefused(BmpFile(DibHeader(s), TBytes(16, 0)), "truncated");
    EXPECT_THROW(TRaster(20000, 20000), EOutOfResources);
    // Wider than a drawing surface can be: refused when drawn, not drawn wrong.
    TBitmap one;
    one.SetSize(1, 1);
    TRaster wide(40000, 2);
    EXPECT_THROW(one.StretchDraw(wide, {0, 0, 40000, 2}), EOutOfResources);
}

TEST(Dib, StretchDrawScalesWithHardPixelEdges) {
    TDibSpec s;
    s.Width = 2;
    s.Height = 1;
    const TBitmap b = Load(BmpFile(DibHeader(s), DibRows(s, [](int x, int) { return x ? 0x0000FFu : 0xFF0000u; })));
    TRaster raster(10, 4);
    b.StretchDraw(raster, {1, 1, 9, 3});
    EXPECT_EQ(raster.Pixel(0, 0), 0xFFFFFFu);  // outside the rectangle the raster stays white
    EXPECT_EQ(raster.Pixel(1, 1), Ref(0xFF0000));
    EXPECT_EQ(raster.Pixel(4, 2), Ref(0xFF0000));
    EXPECT_EQ(raster.Pixel(5, 2), Ref(0x0000FF));
    EXPECT_EQ(raster.Pixel(8, 1), Ref(0x0000FF));
    EXPECT_EQ(raster.Pixel(9, 1), 0xFFFFFFu);
    EXPECT_EQ(raster.Pixel(4, 3), 0xFFFFFFu);
}

TEST(Dib, SetSizeGivesAWhiteBitmapAndEmptyBytesAnEmptyOne) {
    TBitmap b;
    b.SetSize(3, 2);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.Pixels().Pixel(2, 1), 0xFFFFFFu);
    b.LoadFromBytes({});
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 0);
}

}  // namespace
}  // namespace tal
