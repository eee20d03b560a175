// What pictures cost the PDF engine: each is encoded as it is drawn, so that
// only JPEG bytes stay until the document is written, and a picture drawn
// again from the same file bytes is encoded once.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "render/RpConverter.h"
#include "tests/pdf/PdfTestSupport.h"
#include "tools/hostile/HostileReports.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal::testing {
namespace {

using ndrwriter::TGraphicData;
using ndrwriter::TNdrWriter;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
#else
constexpr bool Sanitized = false;
#endif

// Runs work in a child process and returns how far its peak resident memory
// grew, in kilobytes (-1 when the child failed). The child is stopped by an
// alarm after a minute, so a runaway conversion fails the test instead of
// hanging it.
long PeakGrowthKb(const std::function<void()>& work) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        alarm(60);
        rusage before {};
        getrusage(RUSAGE_SELF, &before);
        work();
        rusage after {};
        getrusage(RUSAGE_SELF, &after);
        const long growth = after.ru_maxrss - before.ru_maxrss;
        const bool written = write(pipeEnds[1], &growth, sizeof growth) == static_cast<ssize_t>(sizeof growth);
        _exit(written ? 0 : 1);
    }
    close(pipeEnds[1]);
    long growth = -1;
    if (child < 0 || read(pipeEnds[0], &growth, sizeof growth) != static_cast<ssize_t>(sizeof growth)) growth = -1;
    close(pipeEnds[0]);
    int status = 0;
    if (child > 0) waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? growth : -1;
}

TEST(PdfPictureMemory, ASharedBitmapDrawnEightTimesHoldsOnlyItsJpegBytes) {
    // A few hundred bytes: one shared run-length bitmap drawn eight times by
    // PrintBitmap, StretchBitmap and Draw. Its eight image objects keep
    // their names, sizes and order, and share one encoding.
    const TPdfResult result = ConvertReport(hostile::SharedBitmapReport(500, 8));
    ASSERT_EQ(result.Error, "");
    for (int i = 1; i <= 8; ++i)
        EXPECT_NE(result.Bytes.find("/Name /G" + std::to_string(i) + "\r\n/Width 500 /Height 500 \r\n"),
                  std::string::npos);
    const std::string first = StreamData(result.Bytes, 1);
    for (int i = 2; i <= 8; ++i) EXPECT_EQ(StreamData(result.Bytes, i), first);
    // At 2,000 x 2,000 pixels (12 MB as a raster) every raster used to be
    // kept until the document ended, some 100 MB; now each is encoded as it
    // is drawn and only the bitmap being drawn is held.
    if (Sanitized) GTEST_SKIP() << "peak memory is not measured under the address sanitizer";
    const auto report = hostile::SharedBitmapReport(2000, 8);
    const long growth = PeakGrowthKb([&] { ConvertReport(report); });
    ASSERT_GE(growth, 0);
    EXPECT_LT(growth, 60 * 1024) << "peak memory grew by " << growth << " KB";
}

TEST(PdfPictureMemory, ABitmapDrawnAtItsOwnSizeIsItsOwnPixels) {
    // Draw encodes a bitmap's own pixels without drawing them again: the
    // image is the same as StretchBitmap's, byte for byte.
    const std::vector<std::uint8_t> bytes = ndrwriter::SolidBitmap(37, 23, 0x2288EE);
    const auto drawn = ConvertReport(OnePage([&](TNdrWriter& w) { w.Draw({1, bytes}, 1, 1); }));
    const auto stretched =
        ConvertReport(OnePage([&](TNdrWriter& w) { w.StretchBitmap({1, bytes}, 1, 1, 2, 2); }));
    ASSERT_EQ(drawn.Error, "");
    EXPECT_EQ(StreamData(drawn.Bytes, 1), StreamData(stretched.Bytes, 1));
}

TEST(PdfPictureMemory, PicturesFromDifferentBytesOrSizesAreEncodedApart) {
    // Same bytes, other size (StretchDraw rasters at the box) and other
    // bytes give their own images.
    const TGraphicData red{1, ndrwriter::SolidBitmap(8, 8, 0x0000FF), true};
    const TGraphicData blue{1, ndrwriter::SolidBitmap(8, 8, 0xFF0000), true};
    const auto result = ConvertReport(OnePage([&](TNdrWriter& w) {
        w.StretchBitmap(red, 1, 1, 2, 2);
        w.StretchBitmap(blue, 1, 1, 2, 2);
        w.StretchDraw(red, 1, 1, 2, 2);
        w.StretchBitmap(red, 3, 3, 4, 4);
    }));
    ASSERT_EQ(result.Error, "");
    EXPECT_NE(StreamData(result.Bytes, 1), StreamData(result.Bytes, 2));
    EXPECT_NE(result.Bytes.find("/Name /G3\r\n/Width 300 /Height 300 "), std::string::npos);
    EXPECT_EQ(StreamData(result.Bytes, 4), StreamData(result.Bytes, 1));
}

TEST(PdfPictureMemory, AMetafileThatSpendsItsBudgetFailsTheConversionClearly) {
    // 880 bytes of pattern brushes of a hundred million pixels each.
    const auto result = ConvertReport(hostile::PatternBrushReport(10000, 8, 2.0f));
    EXPECT_EQ(result.Error, "Metafile: the picture's pattern brushes need more than 16000000 pixels, the limit for "
                            "one picture; it was stopped");
    EXPECT_NE(result.Bytes.find("%%EOF"), std::string::npos);
}

}  // namespace
}  // namespace tal::testing

namespace tal::testing {
namespace {

// The report-wide metafile budget set lower than its default for the test.
class TLimitedMetafilesPdf : public TRvRenderPDF {
public:
    void BeginDocument() override {
        TRvRenderPDF::BeginDocument();
        FConverter->MetafileOperationLimit = 5'000'000;
    }
};

TEST(PdfPictureMemory, AReportsMetafilesShareOneDrawingBudgetInTheDocumentToo) {
    // Each drawing of two StretchDIB records of a million pixels costs about
    // two million pixel operations, far inside a picture's own budget; the
    // report's five million stop the third, and the conversion with it.
    // Each is drawn at a size of its own, so none is an encoding kept before.
    const TGraphicData blits{2, hostile::BlitMetafile(1000, 2, 0), false};
    TMemoryStream report(OnePage([&](TNdrWriter& w) {
        for (int i = 0; i < 6; ++i) w.StretchDraw(blits, 1, 1, 1.5f + 0.25f * i, 1.5f);
    }));
    TMemoryStream output;
    TFakeFontEngine fonts;
    TLimitedMetafilesPdf render;
    render.FFontEngine = &fonts;
    render.SetOutputStream(&output);
    render.FInputStream = &report;
    std::string error;
    try {
        render.ConvertPages(0);
    } catch (const std::exception& e) {
        error = e.what();
    }
    EXPECT_EQ(error, "Metafiles: the report's pictures need more than 5000000 pixel operations, the limit for a "
                     "report of its size; the conversion was stopped");
}

}  // namespace
}  // namespace tal::testing
