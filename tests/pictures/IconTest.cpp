// Icon files: BMP-style images with their masks, 32-bit alpha, PNG entries,
// the choice of the image drawn, and refused directories.
#include <gtest/gtest.h>

#include "platform/Graphic.h"
#include "tests/pictures/PictureBuilders.h"
#include "tests/pictures/PngBuilder.h"

namespace tal {
namespace {

using namespace tal::pictest;

TBytes BmpEntry(int size, int bpp, const std::function<std::uint32_t(int, int)>& value,
                const std::function<bool(int, int)>& masked, std::vector<std::uint32_t> palette = {}) {
    TDibSpec s;
    s.Width = size;
    s.Height = size;
    s.BitCount = bpp;
    s.HeightFactor = 2;
    s.Palette = std::move(palette);
    return Concat(Concat(DibHeader(s), DibRows(s, value)), IconMask(size, size, masked));
}

TEST(Icon, MaskMakesPixelsTransparentOverTheWhiteRaster) {
    // 4-bit, 16 x 16: blue, with the left half masked out.
    const TBytes file = IconFile({{16, 16, 4,
                                   BmpEntry(16, 4, [](int, int) { return 1u; }, [](int x, int) { return x < 8; },
                                            {0x000000, 0x0000FF})}});
    TIcon icon;
    icon.LoadFromBytes(file);
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.Height(), 16);
    const TRaster r = DrawToRaster(icon, 16, 16);
    EXPECT_EQ(r.Pixel(3, 5), 0xFFFFFFu);
    EXPECT_EQ(r.Pixel(12, 5), 0xFF0000u);  // blue as 0x00BBGGRR
}

TEST(Icon, ThirtyTwoBitAlphaWinsOverTheMask) {
    // Alpha 255 in the top half, 0 in the bottom; the mask says opaque everywhere.
    const TBytes entry = BmpEntry(
        8, 32, [](int, int y) { return y < 4 ? 0xFF00FF00u : 0x0000FF00u; }, [](int, int) { return false; });
    TIcon icon;
    icon.LoadFromBytes(IconFile({{8, 8, 32, entry}}));
    const TRaster r = DrawToRaster(icon, 8, 8);
    EXPECT_EQ(r.Pixel(2, 1), 0x00FF00u);
    EXPECT_EQ(r.Pixel(2, 6), 0xFFFFFFu);
}

TEST(Icon, LargestThenDeepestImageIsDrawnAndPngEntriesDecode) {
    const TBytes small = BmpEntry(16, 8, [](int, int) { return 0u; }, [](int, int) { return false; }, {0xFF0000});
    const TBytes bigShallow = BmpEntry(32, 1, [](int, int) { return 0u; }, [](int, int) { return false; }, {0x00FF00});
    const TBytes bigPng = PngBytes(32, 32, [](int x, int) { return x < 16 ? 0xFF0000FFu : 0x00000000u; });
    TIcon icon;
    icon.LoadFromBytes(IconFile({{16, 16, 8, small}, {32, 32, 1, bigShallow}, {32, 32, 32, bigPng}}));
    ASSERT_EQ(icon.Images().size(), 3u);
    EXPECT_TRUE(icon.Chosen()->Png);
    EXPECT_EQ(icon.Width(), 32);
    const TRaster r = DrawToRaster(icon, 32, 32);
    EXPECT_EQ(r.Pixel(3, 3), 0xFF0000u);  // opaque blue
    EXPECT_EQ(r.Pixel(20, 3), 0xFFFFFFu);  // transparent: white shows
    // Without the PNG the 1-bit 32 x 32 image beats the deeper 16 x 16 one.
    TIcon two;
    two.LoadFromBytes(IconFile({{16, 16, 8, small}, {32, 32, 1, bigShallow}}));
    EXPECT_EQ(two.Width(), 32);
    EXPECT_EQ(DrawToRaster(two, 4, 4).Pixel(1, 1), 0x00FF00u);
}

void ExpectRefused(const TBytes& bytes, const std::string& fragment) {
    TIcon icon;
    try {
        icon.LoadFromBytes(bytes);
        FAIL() << "accepted; expected: " << fragment;
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("Icon"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
    }
}

TEST(Icon, MalformedDirectoriesAndImagesAreRefused) {
    const TBytes entry = BmpEntry(8, 4, [](int, int) { return 0u; }, [](int, int) { return false; }, {0});
    const TBytes good = IconFile({{8, 8, 4, entry}});
    ExpectRefused({0, 0, 1, 0}, "runs past the end");
    ExpectRefused({0, 0, 1, 0, 0, 0}, "lists no image");
    ExpectRefused({0, 0, 1, 0, 9, 0}, "icon directory runs past the end");
    TBytes outside = good;
    Set32(outside, 6 + 12, 0x7FFFFFF0);
    ExpectRefused(outside, "lies outside the file");
    ExpectRefused(TBytes(good.begin(), good.end() - 40), "outside the file");
    TBytes badPng = IconFile({{8, 8, 32, PngBytes(8, 8, [](int, int) { return 0xFF000000u; })}});
    badPng[badPng.size() - 20] ^= 0xFF;
    ExpectRefused(badPng, "PNG");
    // A PNG claiming 100000 x 100000 pixels is refused before its pixels are allocated.
    TBytes hugePng = PngBytes(1, 1, [](int, int) { return 0xFF000000u; });
    const std::size_t ihdr = 16;  // width and height follow the signature, length and "IHDR"
    for (int i = 0; i < 2; ++i) {
        hugePng[ihdr + 4 * i] = 0x00;
        hugePng[ihdr + 4 * i + 1] = 0x01;
        hugePng[ihdr + 4 * i + 2] = 0x86;
        hugePng[ihdr + 4 * i + 3] = 0xA0;
    }
    TIcon icon;
    EXPECT_ANY_THROW(icon.LoadFromBytes(IconFile({{0, 0, 32, hugePng}})));
    // Many entries naming one large image cannot add up past the cap.
    const TBytes big = PngBytes(40, 40, [](int, int) { return 0xFF000000u; });
    const TBytes many = IconFile(std::vector<TIconEntry>(7, TIconEntry{0, 0, 32, big}));
    const pictures::TByteView view(many.data(), many.size(), "Icon");
    EXPECT_EQ(pictures::DecodeIconFile(view, 7 * 1600).Images.size(), 7u);
    EXPECT_THROW(pictures::DecodeIconFile(view, 7 * 1600 - 1), EOutOfResources);
}

}  // namespace
}  // namespace tal
