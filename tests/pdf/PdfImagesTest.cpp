// Image objects: names across pages, raster sizes, placement boxes.
#include <gtest/gtest.h>

#include "tests/pdf/PdfTestSupport.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal::testing {
namespace {

using ndrwriter::TGraphicData;
using ndrwriter::TNdrWriter;
using L = std::vector<std::string>;

TGraphicData Bitmap144x72() { return {1, ndrwriter::SolidBitmap(144, 72, 0x0000FF)}; }

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

}  // namespace
}  // namespace tal::testing
