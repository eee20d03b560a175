// Pictures drawn with the mask of what they leave untouched: icons through
// their masks, metafiles over a transparent raster, raster operations that
// read the page, and pictures that are opaque throughout.
#include <gtest/gtest.h>

#include "platform/pictures/MaskedRaster.h"
#include "tests/pictures/MetafileSamples.h"
#include "tests/pictures/PictureBuilders.h"

namespace tal {
namespace {

using namespace tal::pictest;
using namespace tal::pictures;

constexpr std::uint32_t White = 0xFFFFFF, Red = 0x0000FF, Black = 0;

template <typename T>
T Load(const std::vector<std::uint8_t>& bytes) {
    T graphic;
    graphic.LoadFromBytes(bytes);
    return graphic;
}

// A 100 x 100 pixel WMF (logical units are pixels of the reference screen)
// without outlines, whose records the callback adds.
std::vector<std::uint8_t> Wmf(const std::function<void(TWmfWriter&)>& draw) {
    TWmfWriter w;
    w.SetObjectCount(8);
    w.Add(TWmf::SetWindowOrg, {0, 0});
    w.Add(TWmf::SetWindowExt, {100, 100});
    WmfPen(w, PS_NULL, 0, 0);
    w.Add(TWmf::SelectObject, {0});
    WmfBrush(w, BS_SOLID, Red);
    w.Add(TWmf::SelectObject, {1});
    draw(w);
    return w.Finish(true, {0, 0, 100, 100}, 96);
}

TEST(MaskedRaster, UntouchedBackgroundOfAMetafileIsMaskedAndItsShapesAreNot) {
    const TMaskedRaster drawn = DrawMasked(Load<TMetafile>(Wmf([](TWmfWriter& w) {
                                               WmfRect(w, TWmf::Rectangle, 25, 25, 75, 75);
                                               WmfBrush(w, BS_SOLID, Black);
                                               w.Add(TWmf::SelectObject, {2});
                                               w.Add(TWmf::Ellipse, {95, 95, 80, 80});
                                           })),
                                           100, 100);
    ASSERT_FALSE(drawn.Mask.Empty());
    EXPECT_EQ(drawn.Mask.Width, 100);
    EXPECT_EQ(drawn.Mask.RowBytes(), 13u);
    EXPECT_EQ(drawn.Mask.Bits.size(), 1300u);
    EXPECT_TRUE(drawn.Mask.Transparent(5, 5));
    EXPECT_TRUE(drawn.Mask.Transparent(99, 50));
    EXPECT_FALSE(drawn.Mask.Transparent(50, 50));
    EXPECT_EQ(drawn.Pixels.Pixel(50, 50), Red);
    EXPECT_EQ(drawn.Pixels.Pixel(5, 5), White);
    // The ellipse's edge pixels that count as painted keep its own black,
    // not a grey mixed with the white the picture was never drawn over.
    int edge = 0;
    for (int x = 78; x < 98; ++x)
        if (!drawn.Mask.Transparent(x, 87)) {
            EXPECT_EQ(drawn.Pixels.Pixel(x, 87), Black) << x;
            ++edge;
        }
    EXPECT_GE(edge, 14);
}

TEST(MaskedRaster, PicturesOpaqueThroughoutHaveNoMaskAndTheirUsualPixels) {
    // Covered all over, with anti-aliased shapes and text on top.
    const TMetafile covered = Load<TMetafile>(Wmf([](TWmfWriter& w) {
        WmfRect(w, TWmf::Rectangle, 0, 0, 100, 100);
        WmfBrush(w, BS_SOLID, 0x00FF00);
        w.Add(TWmf::SelectObject, {2});
        w.Add(TWmf::Ellipse, {90, 90, 13, 7});
        WmfFont(w, -20, "Liberation Sans");
        w.Add(TWmf::SelectObject, {3});
        WmfTextOut(w, 10, 40, "Opaque");
    }));
    const TMaskedRaster drawn = DrawMasked(covered, 173, 121);
    EXPECT_TRUE(drawn.Mask.Empty());
    EXPECT_EQ(drawn.Pixels.Bytes(), DrawToRaster(covered, 173, 121).Bytes());

    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    bitmap.Pixels().SetPixel(1, 1, Red);
    const TMaskedRaster stretched = DrawMasked(bitmap, 9, 4);
    EXPECT_TRUE(stretched.Mask.Empty());
    EXPECT_EQ(stretched.Pixels.Bytes(), DrawToRaster(bitmap, 9, 4).Bytes());
}

TEST(MaskedRaster, IconMaskAndAlphaBecomeTheMask) {
    TDibSpec s;
    s.Width = s.Height = 16;
    s.BitCount = 24;
    s.HeightFactor = 2;
    const TBytes entry = Concat(Concat(DibHeader(s), DibRows(s, [](int, int) { return 0x0000FFu; })),
                                IconMask(16, 16, [](int x, int) { return x < 8; }));
    const TIcon icon = Load<TIcon>(IconFile({{16, 16, 24, entry}}));
    for (const int size : {16, 48}) {
        const TMaskedRaster drawn = DrawMasked(icon, size, size);
        ASSERT_FALSE(drawn.Mask.Empty()) << size;
        EXPECT_TRUE(drawn.Mask.Transparent(size / 4, size / 2)) << size;
        EXPECT_FALSE(drawn.Mask.Transparent(size * 3 / 4, size / 2)) << size;
        // The painted half is as the white raster shows it.
        EXPECT_EQ(drawn.Pixels.Pixel(size * 3 / 4, size / 2), DrawToRaster(icon, size, size).Pixel(size * 3 / 4, size / 2));
    }
}

TEST(MaskedRaster, OperationsThatReadThePageDrawOverWhiteAndLeaveThePictureOpaque) {
    // R2_NOT inverts what lies under the rectangle: the white of a new
    // bitmap, so black, and nothing is left transparent.
    const TMetafile inverted = Load<TMetafile>(Wmf([](TWmfWriter& w) {
        WmfRect(w, TWmf::Rectangle, 60, 60, 90, 90);
        w.Add(TWmf::SetRop2, {6, 0});
        WmfRect(w, TWmf::Rectangle, 10, 10, 40, 40);
    }));
    const TMaskedRaster drawn = DrawMasked(inverted, 100, 100);
    EXPECT_TRUE(drawn.Mask.Empty());
    EXPECT_EQ(drawn.Pixels.Pixel(25, 25), Black);
    EXPECT_EQ(drawn.Pixels.Pixel(75, 75), Red);  // drawn before: kept
    EXPECT_EQ(drawn.Pixels.Pixel(5, 5), White);
    EXPECT_EQ(drawn.Pixels.Bytes(), DrawToRaster(inverted, 100, 100).Bytes());

    // DSTINVERT in a blit, the same.
    const TMetafile blit = Load<TMetafile>(Wmf([](TWmfWriter& w) {
        w.Add(TWmf::PatBlt, TRecordData().U32(DSTINVERT).I16(30).I16(30).I16(10).I16(10));
    }));
    const TMaskedRaster blitted = DrawMasked(blit, 100, 100);
    EXPECT_TRUE(blitted.Mask.Empty());
    EXPECT_EQ(blitted.Pixels.Pixel(25, 25), Black);
}

TEST(MaskedRaster, HairlinesAreAsWideAsAPixelOfTheReferenceScreen) {
    // A hairline pen (width 0) across a 100-pixel metafile drawn four times
    // its size: four raster pixels wide, as the line looked on the screen
    // the metafile was made for; at its own size, one pixel.
    const TMetafile lines = Load<TMetafile>(Wmf([](TWmfWriter& w) {
        WmfPen(w, PS_SOLID, 0, Black);
        w.Add(TWmf::SelectObject, {2});
        w.Add(TWmf::MoveTo, {50, 0});
        w.Add(TWmf::LineTo, {50, 100});
    }));
    auto inked = [&](int size) {
        const TRaster r = DrawToRaster(lines, size, size);
        int count = 0;
        for (int y = 0; y < size; ++y)
            if ((r.Pixel(size / 3, y) & 0xFF) < 128) ++count;
        return count;
    };
    EXPECT_EQ(inked(400), 4);
    EXPECT_EQ(inked(100), 1);
}

}  // namespace
}  // namespace tal
