// JPEG encoding: a round trip through libjpeg's decoder within tolerance,
// baseline JFIF output, quality effect, and refusal of an empty raster.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "platform/jpeg/JpegEncoder.h"

namespace tal {
namespace {

struct TDecoded {
    int Width = 0, Height = 0, Components = 0;
    bool Progressive = false;
    std::vector<std::uint8_t> Pixels;
};

TDecoded Decode(const std::vector<std::uint8_t>& bytes) {
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, bytes.data(), bytes.size());
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    TDecoded out;
    out.Width = d.output_width;
    out.Height = d.output_height;
    out.Components = d.output_components;
    out.Progressive = jpeg_has_multiple_scans(&d);
    out.Pixels.resize(std::size_t(out.Width) * out.Height * out.Components);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = out.Pixels.data() + std::size_t(d.output_scanline) * out.Width * out.Components;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return out;
}

TRaster Gradient(int w, int h) {
    TRaster r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = r.Row(y) + 3 * x;
            p[0] = std::uint8_t(x * 255 / (w - 1));
            p[1] = std::uint8_t(y * 255 / (h - 1));
            p[2] = 128;
        }
    return r;
}

TEST(Jpeg, RoundTripKeepsSizeAndColoursWithinTolerance) {
    const TRaster r = Gradient(97, 61);
    const std::vector<std::uint8_t> jpeg = EncodeJpeg(r, 90);
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(std::string(jpeg.begin() + 6, jpeg.begin() + 10), "JFIF");
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
    const TDecoded d = Decode(jpeg);
    EXPECT_EQ(d.Width, 97);
    EXPECT_EQ(d.Height, 61);
    EXPECT_EQ(d.Components, 3);
    EXPECT_FALSE(d.Progressive);
    int worst = 0;
    for (std::size_t i = 0; i < d.Pixels.size(); ++i) worst = std::max(worst, std::abs(d.Pixels[i] - r.Bytes()[i]));
    EXPECT_LE(worst, 12);
}

TEST(Jpeg, LowerQualityGivesSmallerFilesAndOutOfRangeIsClamped) {
    TRaster r = Gradient(64, 64);
    for (int y = 0; y < 64; y += 3) r.SetPixel(y, y, 0);  // some detail to quantise
    const auto q100 = EncodeJpeg(r, 100), q90 = EncodeJpeg(r, 90), q10 = EncodeJpeg(r, 10);
    EXPECT_GT(q100.size(), q90.size());
    EXPECT_GT(q90.size(), q10.size());
    EXPECT_EQ(EncodeJpeg(r, 500), q100);
    EXPECT_EQ(EncodeJpeg(r, -3), EncodeJpeg(r, 1));
}

TEST(Jpeg, LargeRasterGrowsTheOutputAndStreamsIt) {
    TRaster r(700, 500);
    for (int y = 0; y < r.Height(); ++y)
        for (std::size_t i = 0; i < r.RowBytes(); ++i) r.Row(y)[i] = std::uint8_t((i * 7919 + y * 104729) >> 3);
    TMemoryStream stream;
    EncodeJpeg(r, 95, stream);
    EXPECT_GT(stream.Size(), 64 * 1024);  // past the first output buffer
    const TDecoded d = Decode(stream.Bytes());
    EXPECT_EQ(d.Width, 700);
    EXPECT_EQ(d.Height, 500);
}

TEST(Jpeg, EmptyRasterIsRefused) {
    try {
        EncodeJpeg(TRaster(0, 5), 90);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("JPEG image"), std::string::npos);
    }
}

}  // namespace
}  // namespace tal
