// The file layout: header, objects at their offsets, cross-reference table,
// trailer; pages and their resources; compression; documents cut short.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <cstdlib>
#include <fstream>
#include <cmath>
#include <limits>

#include "pdf/PdfCompress.h"
#include "pdf/PdfCrossReference.h"
#include "pdf/PdfEngineForm.h"
#include "pdf/PdfFormat.h"
#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {
namespace {

using ndrwriter::TNdrWriter;

std::vector<std::int64_t> XrefOffsets(const std::string& pdf) {
    std::vector<std::int64_t> offsets;
    const std::size_t xref = pdf.find("\r\nxref\r\n");
    std::vector<std::string> lines = Lines(pdf.substr(xref + 2));
    for (std::size_t i = 3; i < lines.size() && !lines[i].empty(); ++i) offsets.push_back(std::stoll(lines[i]));
    return offsets;
}

TEST(PdfDocument, ReportWithoutPagesIsOneLetterPage) {
    const TPdfResult result = ConvertReport(TNdrWriter().Finish());
    ASSERT_EQ(result.Error, "");
    const std::string& pdf = result.Bytes;
    EXPECT_EQ(pdf.substr(0, 19), "%PDF-1.3\r\n%\xE2\xE3\xCF\xD3\r\n\r\n");
    EXPECT_EQ(XrefOffsets(pdf), (std::vector<std::int64_t> {19, 93, 147, 216, 358, 418, 451}));
    EXPECT_EQ(ObjectText(pdf, 5), "5 0 obj\r\n<< /Length 5 >>\r\nstream\r\n2 J\r\nendstream\r\nendobj\r\n");
    EXPECT_NE(pdf.find("/MediaBox [0 0 612.0000 792.0000]\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("xref\r\n0 8\r\n0000000000 65535 f\r\n0000000019 00000 n\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("\r\n\r\ntrailer\r\n<<\r\n/Size 8\r\n/Root 1 0 R\r\n/Info 7 0 R\r\n>>\r\n\r\nstartxref\r\n"),
              std::string::npos);
    EXPECT_NE(pdf.find("/Kids [ 4 0 R ] \r\n"), std::string::npos);
    EXPECT_NE(pdf.find("6 0 obj\r\n[/PDF /Text]\r\nendobj\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/CreationDate (D:20260304130509)\r\n"), std::string::npos);
    const std::size_t xref = pdf.find("\r\nxref\r\n") + 2;
    EXPECT_EQ(pdf.substr(pdf.size() - 7), "%%EOF\r\n");
    EXPECT_NE(pdf.find("startxref\r\n" + std::to_string(xref) + "\r\n%%EOF"), std::string::npos);
    ExpectGolden("empty.pdf", pdf);
}

TEST(PdfDocument, EveryXrefEntryPointsAtItsObject) {
    for (const TNamedReport& report : FeatureReports()) {
        const std::string pdf = ConvertReport(report.Bytes, report.Setup).Bytes;
        const std::vector<std::int64_t> offsets = XrefOffsets(pdf);
        ASSERT_FALSE(offsets.empty()) << report.Name;
        for (std::size_t i = 0; i < offsets.size(); ++i)
            EXPECT_EQ(pdf.compare(static_cast<std::size_t>(offsets[i]), std::to_string(i + 1).size() + 6,
                                  std::to_string(i + 1) + " 0 obj"),
                      0)
                << report.Name << " object " << i + 1;
        const std::string size = "/Size " + std::to_string(offsets.size() + 1) + "\r\n";
        EXPECT_NE(pdf.find(size), std::string::npos) << report.Name;
        EXPECT_NE(pdf.find("/Info " + std::to_string(offsets.size()) + " 0 R"), std::string::npos) << report.Name;
    }
}

TEST(PdfDocument, PagesAndContentsAreNumberedInPairs) {
    TNdrWriter writer;
    for (std::int16_t page = 1; page <= 3; ++page) {
        writer.BeginPage(page);
        writer.EndPage();
    }
    const std::string pdf = ConvertReport(writer.Finish()).Bytes;
    // 3 pages: N = 2k + 5 = 11 objects.
    EXPECT_NE(pdf.find("\r\n0 12\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Count 3\r\n/Kids [ 4 0 R 6 0 R 8 0 R ] \r\n"), std::string::npos);
    EXPECT_NE(ObjectText(pdf, 8).find("/Contents 9 0 R"), std::string::npos);
    EXPECT_NE(pdf.find("10 0 obj\r\n[/PDF /Text]"), std::string::npos);
    EXPECT_NE(pdf.find("/Info 11 0 R"), std::string::npos);
}

TEST(PdfDocument, PageSizesComeFromTheReport) {
    for (const TNamedReport& report : FeatureReports())
        if (report.Name == "two-pages") {
            const std::string pdf = ConvertReport(report.Bytes).Bytes;
            EXPECT_NE(ObjectText(pdf, 6).find("/MediaBox [0 0 792.0000 612.0000]"), std::string::npos);
            EXPECT_NE(ObjectText(pdf, 4).find("/Font <<\r\n/F1 9 0 R \r\n>>"), std::string::npos);
            ExpectGolden("two-pages.pdf", pdf);
        }
}

TEST(PdfDocument, ReportWithoutPageSizeKeepsLetter) {
    ndrwriter::THeaderFields header;
    header.Version = 1101;
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter&) {}, header)).Bytes;
    EXPECT_NE(ObjectText(pdf, 4).find("/MediaBox [0 0 612.0000 792.0000]"), std::string::npos);
}

TEST(PdfDocument, DocInfoValuesAreEscapedAndEmptyOnesLeftOut) {
    const std::string pdf = ConvertReport(TNdrWriter().Finish(), [](TRvRenderPDF& r) {
                                r.DocInfo().Title = "Sales (2026) \\ north";
                                r.DocInfo().Producer.clear();
                            }).Bytes;
    const std::string info = ObjectText(pdf, 7);
    EXPECT_NE(info.find("/Title (Sales \\(2026\\) \\\\ north)\r\n/Creator ("), std::string::npos);
    EXPECT_EQ(info.find("/Producer"), std::string::npos);
    EXPECT_EQ(info.find("/Author"), std::string::npos);
}

TEST(PdfDocument, CompressionGoesThroughTheHook) {
    const auto report = OnePage([](TNdrWriter& w) { w.Rectangle(1, 1, 2, 2); });
    // Asked for but without a handler: uncompressed.
    std::string pdf = ConvertReport(report, [](TRvRenderPDF& r) { r.UseCompression = true; }).Bytes;
    EXPECT_EQ(pdf.find("/Filter"), std::string::npos);

    pdf = ConvertReport(report, [](TRvRenderPDF& r) {
              r.UseCompression = true;
              r.OnCompress = [](TStream& in, TStream& out, std::string& method) {
                  EXPECT_EQ(method, "FlateDecode");
                  EXPECT_EQ(in.Position(), 0);
                  out.WriteString("XYZ");
                  method = "Custom";
              };
          }).Bytes;
    EXPECT_NE(ObjectText(pdf, 5).find("5 0 obj\r\n<<\r\n/Length 3\r\n/Filter [/Custom]\r\n>>\r\nstream\r\nXYZendstream\r\n"),
              std::string::npos);

    pdf = ConvertReport(report, [](TRvRenderPDF& r) {
              r.UseCompression = true;
              r.OnCompress = FlateCompress;
          }).Bytes;
    EXPECT_NE(ObjectText(pdf, 5).find("/Filter [/FlateDecode]"), std::string::npos);
}

// A C++ locale whose decimal separator is a comma, installed process-wide.
struct TCommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(PdfDocument, NumbersUseAPointWhateverTheLocale) {
    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new TCommaDecimal));
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string savedC = previous ? previous : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // where it is installed, the C library's separator too
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) { w.Rectangle(1.25f, 1, 2, 1.5f); })).Bytes;
    std::setlocale(LC_NUMERIC, savedC.c_str());
    std::locale::global(saved);
    EXPECT_NE(pdf.find("90.0000 720.0000 54.0000 -36.0000 re b"), std::string::npos);
    EXPECT_EQ(pdf.find("90,0000"), std::string::npos);
}

TEST(PdfDocument, FailingPageStillGivesACompleteDocument) {
    std::vector<std::uint8_t> report = OnePage([](TNdrWriter& w) {
        w.Rectangle(1, 1, 2, 2);
        w.Byte(0xEE);  // no such command
    });
    const TPdfResult result = ConvertReport(report);
    EXPECT_NE(result.Error, "");
    EXPECT_NE(result.Bytes.find("re b"), std::string::npos);
    EXPECT_EQ(result.Bytes.substr(result.Bytes.size() - 7), "%%EOF\r\n");
    EXPECT_EQ(XrefOffsets(result.Bytes).size(), 7u);
}

TEST(PdfDocument, ObjectsBelongToTheRenderer) {
    TRpComponent other;
    EXPECT_THROW(TRPPDFCatalog {other}, EInvalidCast);
}

TEST(PdfDocument, EngineFormSettings) {
    TRvRenderPDF render;
    EXPECT_EQ(render.DisplayName(), "Adobe Acrobat (PDF)");
    EXPECT_EQ(render.FileExtension, "*.pdf");
    EXPECT_FALSE(render.EmbedFonts);
    ApplyEngineFormSettings(render);
    EXPECT_TRUE(render.EmbedFonts);
    EXPECT_EQ(render.ImageQuality(), 90);
    EXPECT_EQ(render.MetafileDPI, 300);
    EXPECT_EQ(render.FontEncoding, feWinAnsiEncoding);
    EXPECT_FALSE(render.UseCompression);
    EXPECT_FALSE(render.DocInfo().Creator.empty());
    EXPECT_EQ(render.WithDefaultExtension("out"), "out.pdf");
}

// Offsets past 2 GB keep their value in the table and after startxref; the
// ten digits of an entry hold up to 9,999,999,999 and nothing beyond.
TEST(PdfCrossReference, OffsetsBeyondThirtyTwoBits) {
    const std::vector<std::int64_t> offsets {19, 2'147'483'648, 9'999'999'999};
    const std::string table = pdf::CrossReferenceAndTrailer(offsets, 4'294'967'296 + 19, 1);
    EXPECT_EQ(table,
              "xref\r\n0 4\r\n0000000000 65535 f\r\n0000000019 00000 n\r\n2147483648 00000 n\r\n"
              "9999999999 00000 n\r\n\r\ntrailer\r\n<<\r\n/Size 4\r\n/Root 1 0 R\r\n/Info 3 0 R\r\n>>\r\n\r\n"
              "startxref\r\n4294967315\r\n%%EOF\r\n");
    EXPECT_EQ(pdf::XrefOffset(3'000'000'000), "3000000000");
    EXPECT_THROW(pdf::XrefOffset(10'000'000'000), EOutOfResources);
    EXPECT_THROW(pdf::XrefOffset(-1), EOutOfResources);
    const std::vector<std::int64_t> small {19};
    EXPECT_THROW(pdf::CrossReferenceAndTrailer(small, 10'000'000'000, 1), EOutOfResources);
}

TEST(PdfFormat, NumbersAndTexts) {
    EXPECT_EQ(pdf::ColorToPDF(0x0000FF), "1 0 0");
    EXPECT_EQ(pdf::ColorToPDF(0xFFFFFF), "1 1 1");
    EXPECT_EQ(pdf::ColorToPDF(0x808080), "0.502 0.502 0.502");
    EXPECT_EQ(pdf::ColorToPDF(0x000001), "0.00392 0 0");
    EXPECT_EQ(pdf::ColorToPDF(static_cast<TColor>(0x80000005)), "0 0 0");
    EXPECT_EQ(pdf::FontSizeText(12), "0012");
    EXPECT_EQ(pdf::FormatPDFDate(TDateTime {2004, 3, 5, 14, 7, 9, 0}), "20040305140709");
    EXPECT_EQ(pdf::XrefOffset(19), "0000000019");
    EXPECT_EQ(pdf::EscapeText("a(b)c\\d"), "a\\(b\\)c\\\\d");
    EXPECT_EQ(pdf::FormatPDF("%.4f %.4f %.4f", {std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}),
              "0.0000 1000000000.0000 -1000000000.0000");
    EXPECT_EQ(pdf::FormatPDF("%.4f", {-0.5}), "-0.5000");
}

}  // namespace
}  // namespace tal::testing

namespace tal::testing {
namespace {

// The feature reports are the fuzz target's seeds; they are written out
// with the golden files.
TEST(PdfDocument, FuzzSeedsAreTheFeatureReports) {
    const std::string folder = std::string(TAL_SOURCE_DIR) + "/tests/fuzz/corpus/pdf_convert/";
    for (const TNamedReport& report : FeatureReports()) {
        const std::string path = folder + report.Name + ".ndr";
        const std::string bytes(report.Bytes.begin(), report.Bytes.end());
        if (std::getenv("TAL_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << bytes;
        EXPECT_EQ(ReadFileText(path), bytes) << path;
    }
}

}  // namespace
}  // namespace tal::testing
