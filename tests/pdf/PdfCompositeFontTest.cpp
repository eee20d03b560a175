// Composite fonts for texts of other charsets, as written: the Type 0 font
// and its parts in their order, codes in order of first use, one font per
// face, and the Windows-1252 way kept where no face for the code page exists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {
namespace {

using ndrwriter::TNdrWriter;
using L = std::vector<std::string>;

// Converted with the machine's fonts (the component's other defaults:
// EmbedFonts off, SubsetFonts off).
std::string WithInstalledFaces(const std::vector<std::uint8_t>& report, bool subset = true) {
    return ConvertReport(report, [subset](TRvRenderPDF& r) {
               r.FFontEngine = nullptr;
               r.SubsetFonts = subset;
           })
        .Bytes;
}

ndrwriter::TNdrWriter::TFontRecord InCharset(const std::string& face, std::uint8_t charset) {
    auto font = Arial();
    font.Name = face;
    font.Charset = charset;
    return font;
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(PdfCompositeFonts, TypeZeroFontWithItsPartsInOrder) {
    const std::string pdf = WithInstalledFaces(OnePage([](TNdrWriter& w) {
        w.SetFont(InCharset("Arial", 204));
        w.PrintLeft(1, "\xCF\xF0\xE8\xE2\xE5\xF2", 1);  // Привет
        w.SetFont(Arial());
        w.PrintLeft(2, "Hello", 1);
    }));
    // No blanks around the codes, so no lead-in before them. The font record
    // names the face before its charset: Helvetica is chosen first (F1).
    EXPECT_EQ(PageOneLines(pdf), (L {"BT", "0 0 0 rg", "/F2 0012 Tf", "72.0000 720.0000 Td",
                                     "<000100020003000400050006> Tj", "ET", "BT", "/F1 0012 Tf",
                                     "68.7000 648.0000 Td", "( Hello ) Tj", "ET"}));
    // Catalog to procset are 1 to 6, Helvetica 7; then the Type 0 font and
    // its five parts.
    EXPECT_NE(ObjectText(pdf, 7).find("/BaseFont /Helvetica\r\n"), std::string::npos);
    const std::string type0 = ObjectText(pdf, 8);
    EXPECT_TRUE(std::regex_search(type0, std::regex("/Subtype /Type0\r\n/Name /F2\r\n/BaseFont /[A-Z]{6}\\+"
                                                    "LiberationSans\r\n/Encoding /Identity-H\r\n"
                                                    "/DescendantFonts \\[9 0 R\\]\r\n/ToUnicode 13 0 R\r\n")))
        << type0;
    const std::string descendant = ObjectText(pdf, 9);
    EXPECT_NE(descendant.find("/Subtype /CIDFontType2\r\n"), std::string::npos) << descendant;
    EXPECT_NE(descendant.find("/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>\r\n"
                              "/FontDescriptor 10 0 R\r\n/W [0 ["),
              std::string::npos)
        << descendant;
    EXPECT_NE(descendant.find("]]\r\n/CIDToGIDMap 12 0 R\r\n"), std::string::npos) << descendant;
    // Embedded although EmbedFonts is off: the codes need the program.
    const std::string descriptor = ObjectText(pdf, 10);
    EXPECT_NE(descriptor.find("/Flags 4\r\n"), std::string::npos) << descriptor;
    EXPECT_NE(descriptor.find("/FontFile2 11 0 R\r\n"), std::string::npos) << descriptor;
    EXPECT_NE(ObjectText(pdf, 11).find("/Length1 "), std::string::npos);
    // Seven codes (.notdef and six letters), two bytes each.
    EXPECT_NE(ObjectText(pdf, 12).find("/Length 14\r\n"), std::string::npos) << ObjectText(pdf, 12);
    EXPECT_NE(ObjectText(pdf, 13).find("6 beginbfchar\r\n<0001> <041F>\r\n<0002> <0440>\r\n<0003> <0438>\r\n"
                                       "<0004> <0432>\r\n<0005> <0435>\r\n<0006> <0442>\r\nendbfchar"),
              std::string::npos)
        << ObjectText(pdf, 13);
}

// Texts of several code pages in one face share its font; each character
// keeps the code it got first.
TEST(PdfCompositeFonts, OneFontPerFaceAcrossCodePages) {
    const std::string pdf = WithInstalledFaces(OnePage([](TNdrWriter& w) {
        w.SetFont(InCharset("Arial", 204));
        w.PrintLeft(1, "\xE0\xE1", 1);  // аб
        w.SetFont(InCharset("Arial", 238));
        w.PrintLeft(2, "\xB3" "a", 1);  // ła
        w.SetFont(InCharset("Arial", 204));
        w.PrintLeft(3, "\xE1\xE0", 1);  // ба
    }));
    EXPECT_EQ(Count(pdf, "/Subtype /Type0"), 1);
    const L lines = PageOneLines(pdf);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "<00010002> Tj"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "<00030004> Tj"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "<00020001> Tj"), 1);
}

// The whole program goes in with the face's own glyph ids when not cut.
TEST(PdfCompositeFonts, WholeProgramKeepsItsNameAndGlyphIds) {
    const std::string pdf = WithInstalledFaces(OnePage([](TNdrWriter& w) {
                                                   w.SetFont(InCharset("Arial", 161));
                                                   w.PrintLeft(1, "\xC1", 1);  // Α
                                               }),
                                               false);
    // Helvetica, chosen before the charset, prints nothing: the Type 0 font is 7.
    EXPECT_NE(ObjectText(pdf, 7).find("/BaseFont /LiberationSans\r\n"), std::string::npos) << ObjectText(pdf, 7);
    EXPECT_GT(pdf.size(), 100000u);
}

// An engine without a face for the code page (the fake one) leaves the bytes
// as they were: a simple font, Windows-1252.
TEST(PdfCompositeFonts, WithoutACodePageFaceTheBytesStay) {
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) {
                                w.SetFont(InCharset("Arial", 204));
                                w.PrintLeft(1, "\xCF\xF0", 1);
                            })).Bytes;
    EXPECT_EQ(PageOneLines(pdf), (L {"BT", "0 0 0 rg", "/F1 0012 Tf", "68.7000 720.0000 Td", "( \xCF\xF0 ) Tj", "ET"}));
    EXPECT_EQ(pdf.find("/Type0"), std::string::npos);
}

// A justified line without blanks is spread between characters: a two-byte
// character is never cut in two.
TEST(PdfCompositeFonts, JustifiedLineSpreadsWholeCharacters) {
    if (std::system("fc-list :lang=ja | grep -q .") != 0) GTEST_SKIP() << "no Japanese face is installed";
    const std::string pdf = WithInstalledFaces(OnePage([](TNdrWriter& w) {
        w.SetFont(InCharset("MS Gothic", 128));
        w.PrintBlock(1, "\x93\xFA\x96{\x8C\xEA", 1, 3);  // 日本語
    }));
    L shown;
    for (const std::string& line : PageOneLines(pdf))
        if (line.ends_with(" Tj")) shown.push_back(line);
    EXPECT_EQ(shown, (L {"<0001> Tj", "<0002> Tj", "<0003> Tj"}));
}

}  // namespace
}  // namespace tal::testing
