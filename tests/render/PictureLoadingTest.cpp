// Pictures as the converter hands them over: a shared graphic drawn again
// straight after itself is decoded once, and the pixels a report's pictures
// decode are bounded by the report's size.
#include <gtest/gtest.h>

#include "render/RpConverter.h"
#include "tests/render/ConversionHarness.h"
#include "tools/hostile/HostileReports.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal::testing {
namespace {

using ndrwriter::TGraphicData;
using ndrwriter::TNdrWriter;

// Records which graphic object each picture operation received and how many
// pixels the converter had decoded by then.
class TPictureRecorder final : public TCallLogRender {
public:
    TPictureRecorder() : TCallLogRender([](const std::string&) {}) {}
    void BeginDocument() override {
        TCallLogRender::BeginDocument();
        if (Limit >= 0) FConverter->PicturePixelLimit = Limit;
    }
    void StretchBitmap(TBitmap& Bitmap, double, double, double, double) override { Seen(Bitmap); }
    void Draw(TGraphic& Graphic, double, double) override { Seen(Graphic); }

    std::int64_t Limit = -1;
    // Addresses only: a graphic may be gone once its operation returns.
    std::vector<const TGraphic*> Graphics;
    std::vector<std::int64_t> Decoded;
    std::vector<std::uint32_t> FirstPixels;
    std::vector<std::vector<std::uint8_t>> Files;  // each graphic's file bytes

private:
    void Seen(const TGraphic& graphic) {
        Graphics.push_back(&graphic);
        Files.push_back(graphic.Bytes());
        Decoded.push_back(FConverter->PicturePixelsDecoded());
        const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic);
        FirstPixels.push_back(bitmap && !bitmap->Empty() ? bitmap->Pixels().Pixel(0, 0) : 0);
    }
};

std::string Convert(TPictureRecorder& render, const std::vector<std::uint8_t>& bytes) {
    TMemoryStream report(bytes);
    render.FInputStream = &report;
    try {
        render.ConvertPages(0);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

std::vector<std::uint8_t> Page(const std::function<void(TNdrWriter&)>& draw) {
    TNdrWriter w;
    w.BeginPage(1);
    draw(w);
    w.EndPage();
    return w.Finish();
}

TEST(PictureLoading, AGraphicGetsExactlyItsFileBytesAndALengthPastTheEndIsRefused) {
    const std::vector<std::uint8_t> wmf = ndrwriter::RectangleMetafile(1440, 720);
    const std::vector<std::uint8_t> bmp = ndrwriter::SolidBitmap(3, 5, 0x123456);
    TPictureRecorder render;
    EXPECT_EQ(Convert(render, Page([&](TNdrWriter& w) {
                  w.Draw({2, wmf, false}, 1, 1);
                  w.StretchBitmap({1, bmp, true}, 1, 1, 2, 2);  // stored elsewhere in the file
                  w.Draw({2, wmf, false}, 2, 2);
              })),
              "");
    ASSERT_EQ(render.Files.size(), 3u);
    EXPECT_EQ(render.Files[0], wmf);
    EXPECT_EQ(render.Files[1], bmp);
    EXPECT_EQ(render.Files[2], wmf);

    // A metafile whose length claims 1,000 bytes where 4 are left.
    TPictureRecorder cut;
    EXPECT_NE(Convert(cut, Page([&](TNdrWriter& w) {
                  w.Byte(5);
                  w.Byte(2);
                  w.Int32(1000);
                  w.Int32(0);
              })),
              "");
    EXPECT_TRUE(cut.Files.empty());
}

TEST(PictureLoading, ASharedGraphicDrawnAgainIsDecodedOnce) {
    // One stored copy of a 1,000 x 1,000 bitmap drawn five times.
    const TGraphicData shared{1, hostile::RleBitmap(1000, 1000), true, true};
    TPictureRecorder render;
    ASSERT_EQ(Convert(render, Page([&](TNdrWriter& w) {
                  for (int i = 0; i < 5; ++i) w.StretchBitmap(shared, 1, 1, 2, 2);
                  w.Draw(shared, 1, 1);
              })),
              "");
    ASSERT_EQ(render.Graphics.size(), 6u);
    for (const TGraphic* g : render.Graphics) EXPECT_EQ(g, render.Graphics.front());
    EXPECT_EQ(render.Decoded.back(), 1'000'000);
}

TEST(PictureLoading, SharedGraphicsThatTakeTurnsAreEachDecodedWhenDrawn) {
    // Only the graphic read last is kept, so that a report of many shared
    // pictures never holds more than one of them.
    const TGraphicData red{1, hostile::RleBitmap(10, 10, 0xFF0000), true, true};
    const TGraphicData blue{1, hostile::RleBitmap(10, 10, 0x0000FF), true, true};
    TPictureRecorder render;
    ASSERT_EQ(Convert(render, Page([&](TNdrWriter& w) {
                  w.StretchBitmap(red, 1, 1, 2, 2);
                  w.StretchBitmap(blue, 1, 1, 2, 2);
                  w.StretchBitmap(red, 1, 1, 2, 2);
              })),
              "");
    EXPECT_EQ(render.Decoded, (std::vector<std::int64_t>{100, 200, 300}));
    // Colours are 0x00RRGGBB in the file and 0x00BBGGRR as pixels.
    EXPECT_EQ(render.FirstPixels, (std::vector<std::uint32_t>{0x0000FF, 0xFF0000, 0x0000FF}));
}

TEST(PictureLoading, AReportThatDecodesTooManyPixelsStopsWithAClearError) {
    // Inline run-length bitmaps of a million pixels each, 66 bytes apiece:
    // under a limit of 3.5 million pixels the fourth one stops the report.
    const TGraphicData inline_{1, hostile::RleBitmap(1000, 1000), false};
    TPictureRecorder render;
    render.Limit = 3'500'000;
    const std::string error = Convert(render, Page([&](TNdrWriter& w) {
        for (int i = 0; i < 6; ++i) w.StretchBitmap(inline_, 1, 1, 2, 2);
    }));
    EXPECT_EQ(error, "The report's pictures need more than 3500000 pixels, the limit for a report of its size; the "
                     "conversion was stopped");
    EXPECT_EQ(render.Graphics.size(), 3u);
}

// Draws every stretched metafile into a 100 x 100 raster, as the engines
// draw them into pixels.
class TMetafileDrawer final : public TCallLogRender {
public:
    TMetafileDrawer() : TCallLogRender([](const std::string&) {}) {}
    void BeginDocument() override {
        TCallLogRender::BeginDocument();
        FConverter->MetafileOperationLimit = Limit;
    }
    void StretchDraw(const TRect&, TGraphic& Graphic) override {
        DrawToRaster(Graphic, 100, 100);
        ++Drawn;
    }
    std::int64_t Limit = -1;
    int Drawn = 0;
};

TEST(PictureLoading, AReportsMetafilesShareOneDrawingBudget) {
    // Each drawing of two StretchDIB records of a million pixels costs
    // 2,040,000 pixel operations, far inside a picture's own budget; the
    // report's 5 million stop the third.
    const TGraphicData blits{2, hostile::BlitMetafile(1000, 2, 0), false};
    TMetafileDrawer render;
    render.Limit = 5'000'000;
    TMemoryStream report(Page([&](TNdrWriter& w) {
        for (int i = 0; i < 6; ++i) w.StretchDraw(blits, 1, 1, 2, 2);
    }));
    render.FInputStream = &report;
    std::string error;
    try {
        render.ConvertPages(0);
    } catch (const std::exception& e) {
        error = e.what();
    }
    EXPECT_EQ(error, "Metafiles: the report's pictures need more than 5000000 pixel operations, the limit for a "
                     "report of its size; the conversion was stopped");
    EXPECT_EQ(render.Drawn, 2);
    EXPECT_EQ(TRPConverter::BaseMetafileOperations, 4'000'000'000);
}

TEST(PictureLoading, TheDefaultLimitGrowsWithTheReport) {
    // A small report may decode a billion pixels; every byte adds 64, so a
    // report carrying its pictures' pixels is never refused.
    TPictureRecorder render;
    const TGraphicData bitmap{1, hostile::RleBitmap(100, 100), false};
    ASSERT_EQ(Convert(render, Page([&](TNdrWriter& w) { w.StretchBitmap(bitmap, 1, 1, 2, 2); })), "");
    EXPECT_EQ(TRPConverter::BasePicturePixels, 1'000'000'000);
    EXPECT_EQ(TRPConverter::PicturePixelsPerReportByte, 64);
}

}  // namespace
}  // namespace tal::testing
