// Image objects: names across pages, raster sizes, placement boxes, the
// masks of pictures with transparent parts.
#include <gtest/gtest.h>

#include "pdf/PdfImageMask.h"
#include "platform/pictures/MetafileWriter.h"
#include "tests/pdf/PdfTestSupport.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal::testing {
namespace {

using ndrwriter::TGraphicData;
using ndrwriter::TNdrWriter;
using L = std::vector<std::string>;

TGraphicData Bitmap144x72() { return {1, ndrwriter::SolidBitmap(144, 72, 0x0000FF)}; }

// RunLengthDecode as readers apply it; the data must end in its mark.
std::vector<std::uint8_t> RunLengthDecode(const std::string& data) {
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    while (i < data.size()) {
        const auto length = static_cast<std::uint8_t>(data[i++]);
        if (length == 128) {
            EXPECT_EQ(i, data.size()) << "bytes after the end-of-data mark";
            return out;
        }
        if (length < 128) {
            if (i + length + 1 > data.size()) break;
            out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                       data.begin() + static_cast<std::ptrdiff_t>(i + length + 1));
            i += length + 1;
        } else {
            if (i >= data.size()) break;
            out.insert(out.end(), 257 - length, static_cast<std::uint8_t>(data[i++]));
        }
    }
    ADD_FAILURE() << "run-length data without its end-of-data mark";
    return out;
}

TEST(PdfImages, DrawPlacesOnePixelPerPoint) {
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) { w.Draw(Bitmap144x72(), 1, 1); })).Bytes;
    EXPECT_EQ(PageOneLines(pdf), (L {"q", "144.0000 0 0 72.0000 72.0000 648.0000 cm", "/G1 Do", "Q"}));
    const std::string image = ObjectText(pdf, 7);
    EXPECT_NE(image.find("7 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Name /G1\r\n"
                         "/Width 144 /Height 72 \r\n/BitsPerComponent 8\r\n/ColorSpace /DeviceRGB /Length "),
              std::string::npos)
        << image;
    EXPECT_NE(image.find(" /Filter [/DCTDecode ]\r\n>>\r\nstream\r\n\xFF\xD8"), std::string::npos);
    EXPECT_NE(image.find("\xFF\xD9" "endstream\r\nendobj"), std::string::npos);
    EXPECT_NE(pdf.find("6 0 obj\r\n[/PDF /Text /ImageB /ImageC /ImageI]\r\n"), std::string::npos);
    EXPECT_NE(ObjectText(pdf, 4).find("/XObject <<\r\n/G1 7 0 R\r\n>>\r\n"), std::string::npos);
}

TEST(PdfImages, PrintBitmapScalesAndStretchBitmapFills) {
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     w.PrintBitmap(Bitmap144x72(), 1, 1, 0.5f, 0.5f);
                                     w.StretchBitmap(Bitmap144x72(), 1, 2, 4, 3);
                                 })).Bytes);
    EXPECT_EQ(lines.at(1), "72.0000 0 0 36.0000 72.0000 684.0000 cm");
    EXPECT_EQ(lines.at(5), "216.0000 0 0 72.0000 72.0000 576.0000 cm");
    EXPECT_EQ(lines.at(6), "/G2 Do");
}

TEST(PdfImages, StretchDrawRastersAtTheMetafileResolution) {
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) {
                                w.StretchDraw({2, ndrwriter::RectangleMetafile(1440, 720)}, 1, 1, 3, 2);
                            })).Bytes;
    EXPECT_NE(pdf.find("/Width 600 /Height 300 \r\n"), std::string::npos);
    EXPECT_EQ(PageOneLines(pdf).at(1), "144.0000 0 0 72.0000 72.0000 648.0000 cm");

    // One unit (1/72 inch) across is 300/72 pixels, rounded: 4.
    const std::string narrow = ConvertReport(OnePage([](TNdrWriter& w) {
                                   w.StretchDraw({2, ndrwriter::RectangleMetafile(1440, 720)}, 1, 1, 1 + 1 / 72.0f, 2);
                               })).Bytes;
    EXPECT_NE(narrow.find("/Width 4 /Height 300 \r\n"), std::string::npos);
}

TEST(PdfImages, NamesRunAcrossPagesAndEveryPageListsEveryImage) {
    TNdrWriter writer;
    writer.BeginPage(1);
    writer.Draw(Bitmap144x72(), 1, 1);
    writer.EndPage();
    writer.BeginPage(2);
    writer.Draw(Bitmap144x72(), 1, 1);
    writer.Draw({3, ndrwriter::HalfMaskedIcon(32, 0xFF0000)}, 3, 1);
    writer.EndPage();
    const std::string pdf = ConvertReport(writer.Finish()).Bytes;
    EXPECT_NE(StreamData(pdf, 1).find("/G2 Do\r\nQ\r\nq\r\n"), std::string::npos);
    EXPECT_NE(StreamData(pdf, 1).find("/G3 Do"), std::string::npos);
    for (int page : {4, 6})
        EXPECT_NE(ObjectText(pdf, page).find("/XObject <<\r\n/G1 9 0 R\r\n/G2 10 0 R\r\n/G3 11 0 R\r\n>>"),
                  std::string::npos);
}

TEST(PdfImages, ImageDataNeedsAHandler) {
    const auto report = OnePage([](TNdrWriter& w) { w.PrintImageData({1, 2, 3}, "PNG", 1, 1, 2, 2); });
    std::string pdf = ConvertReport(report).Bytes;
    EXPECT_EQ(PageOneLines(pdf), L {});
    EXPECT_EQ(pdf.find("/XObject"), std::string::npos);

    std::string seenType;
    pdf = ConvertReport(report, [&](TRvRenderPDF& r) {
              r.OnDecodeImage = [&](TRpComponent&, TStream& data, const std::string& type, TBitmap& bitmap) {
                  seenType = type;
                  EXPECT_EQ(data.Size(), 3);
                  bitmap.SetSize(4, 2);
              };
          }).Bytes;
    EXPECT_EQ(seenType, "PNG");
    EXPECT_NE(pdf.find("/Width 4 /Height 2 \r\n"), std::string::npos);
}

TEST(PdfImages, PicturesWithoutAreaDrawNothing) {
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) {
                                w.StretchDraw({2, ndrwriter::RectangleMetafile(1440, 720)}, 1, 1, 1, 2);
                                w.StretchDraw({1, ndrwriter::SolidBitmap(2, 2, 0)}, 1, 1, 1.001f, 2);
                            })).Bytes;
    EXPECT_EQ(PageOneLines(pdf), L {});
    EXPECT_EQ(pdf.find("/XObject"), std::string::npos);
}

TEST(PdfImages, QualityCountsWhenTheImageIsWritten) {
    const auto report = OnePage([](TNdrWriter& w) { w.StretchBitmap({1, ndrwriter::SolidBitmap(64, 64, 0x336699)}, 1, 1, 2, 2); });
    const std::size_t low = ConvertReport(report, [](TRvRenderPDF& r) { r.SetImageQuality(10); }).Bytes.size();
    const std::size_t high = ConvertReport(report, [](TRvRenderPDF& r) { r.SetImageQuality(100); }).Bytes.size();
    EXPECT_LT(low, high);
}

// A metafile's untouched background: the image names a 1-bit mask, written
// as the object right after it, whose run-length data decodes to one row of
// (600 + 7) / 8 bytes for each of the 300 rows.
TEST(PdfImages, TransparentPictureNamesItsMaskWrittenRightAfterIt) {
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) {
                                w.StretchDraw({2, ndrwriter::RectangleMetafile(1440, 720)}, 1, 1, 3, 2);
                                w.Draw(Bitmap144x72(), 1, 3);
                            })).Bytes;
    const std::string image = ObjectText(pdf, 7), mask = ObjectText(pdf, 8), opaque = ObjectText(pdf, 9);
    EXPECT_NE(image.find(" /Filter [/DCTDecode ]\r\n/Mask 8 0 R\r\n>>\r\nstream\r\n"), std::string::npos) << image;
    EXPECT_EQ(mask.rfind("8 0 obj\r\n<<\r\n/Type /XObject\r\n/Subtype /Image\r\n/Width 600 /Height 300 \r\n"
                         "/ImageMask true /BitsPerComponent 1\r\n/Length ", 0), 0u)
        << mask;
    const std::size_t start = mask.find("stream\r\n") + 8, end = mask.find("endstream");
    ASSERT_LT(start, end);
    const std::vector<std::uint8_t> bits = RunLengthDecode(mask.substr(start, end - start));
    ASSERT_EQ(bits.size(), 75u * 300);
    EXPECT_EQ(bits[0], 0xFF);              // the top left corner is untouched
    EXPECT_EQ(bits[150 * 75 + 37], 0x00);  // the middle is the rectangle
    EXPECT_NE(opaque.find("/Name /G2"), std::string::npos);
    EXPECT_EQ(opaque.find("/Mask"), std::string::npos);
    EXPECT_NE(ObjectText(pdf, 4).find("/XObject <<\r\n/G1 7 0 R\r\n/G2 9 0 R\r\n>>\r\n"), std::string::npos);
}

// The same picture drawn twice is encoded once: both images and both masks
// carry the same bytes.
TEST(PdfImages, PictureDrawnAgainSharesItsMaskBytes) {
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) {
                                w.StretchDraw({2, ndrwriter::RectangleMetafile(1440, 720)}, 1, 1, 3, 2);
                                w.StretchDraw({2, ndrwriter::RectangleMetafile(1440, 720)}, 1, 3, 3, 4);
                            })).Bytes;
    const std::string first = ObjectText(pdf, 7), second = ObjectText(pdf, 9);
    EXPECT_NE(first.find("/Mask 8 0 R"), std::string::npos);
    EXPECT_NE(second.find("/Mask 10 0 R"), std::string::npos);
    auto body = [](const std::string& object) { return object.substr(object.find(">>")); };
    EXPECT_EQ(body(first), body(second));
    EXPECT_EQ(body(ObjectText(pdf, 8)), body(ObjectText(pdf, 10)));
    EXPECT_GT(ObjectText(pdf, 10).size(), 200u);
}

// A metafile has no pixels of its own: Draw places it one reference pixel
// to the point and draws it at MetafileDPI for that size.
TEST(PdfImages, DrawRastersAMetafileAtTheMetafileResolutionForItsPlacedSize) {
    // One inch by half an inch is 96 x 48 reference pixels, placed 96 x 48 points.
    const auto report = OnePage([](TNdrWriter& w) { w.Draw({2, ndrwriter::RectangleMetafile(1440, 720)}, 1, 1); });
    const std::string pdf = ConvertReport(report).Bytes;
    EXPECT_EQ(PageOneLines(pdf).at(1), "96.0000 0 0 48.0000 72.0000 672.0000 cm");
    EXPECT_NE(pdf.find("/Width 400 /Height 200 \r\n"), std::string::npos);
    const std::string half = ConvertReport(report, [](TRvRenderPDF& r) { r.MetafileDPI = 150; }).Bytes;
    EXPECT_NE(half.find("/Width 200 /Height 100 \r\n"), std::string::npos);

    // 9600 x 10 reference pixels would be 40000 pixels across at 300 ppi,
    // more than a drawing surface takes: drawn as wide as one can be, where
    // drawing it one pixel per point (as before) still works.
    pictures::TWmfWriter wide;
    wide.Add(pictures::TWmf::SetWindowOrg, {0, 0});
    wide.Add(pictures::TWmf::SetWindowExt, {30, 30000});
    wide.Add(pictures::TWmf::Rectangle, {20, 20000, 10, 10000});
    const TPdfResult result = ConvertReport(OnePage([&](TNdrWriter& w) {
        w.Draw({2, wide.Finish(true, {0, 0, 30000, 30}, 300), true}, 0, 1);
    }));
    EXPECT_EQ(result.Error, "");
    EXPECT_NE(result.Bytes.find("/Width 32767 /Height 34 \r\n"), std::string::npos);
    EXPECT_EQ(PageOneLines(result.Bytes).at(1), "9600.0000 0 0 10.0000 0.0000 710.0000 cm");
}

TEST(PdfImages, RunLengthDataDecodesToTheBytes) {
    std::vector<std::uint8_t> mixed;
    for (int i = 0; i < 300; ++i) mixed.push_back(static_cast<std::uint8_t>(i * 7));
    mixed.insert(mixed.end(), 129, 0xAA);
    mixed.insert(mixed.end(), {1, 1, 2, 2, 2, 3});
    mixed.insert(mixed.end(), 300, 0);
    for (const auto& bytes : {std::vector<std::uint8_t> {}, std::vector<std::uint8_t>(1000, 0xFF),
                              std::vector<std::uint8_t> {5}, mixed}) {
        const std::vector<std::uint8_t> encoded = pdf::RunLengthEncode(bytes);
        ASSERT_FALSE(encoded.empty());
        EXPECT_EQ(encoded.back(), 128);
        EXPECT_EQ(RunLengthDecode(std::string(encoded.begin(), encoded.end())), bytes);
    }
    EXPECT_LT(pdf::RunLengthEncode(std::vector<std::uint8_t>(1000, 0xFF)).size(), 20u);
}

}  // namespace
}  // namespace tal::testing
