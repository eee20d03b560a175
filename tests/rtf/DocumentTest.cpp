// The RTF document: its exact frame, the font and colour tables, page
// breaks, text boxes and the texts inside them, and documents that end early.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "rtf/RtfSyntax.h"
#include "tests/rtf/RtfTestSupport.h"

namespace tal {
namespace {

using ndrwriter::TNdrWriter;
using testing::BracesBalanced;
using testing::ConvertToRtf;
using testing::Count;
using testing::OnePage;
using testing::TRtfOperations;

// The text box of "Total" in 12-point Arial at (1, 2) inches, black on a white
// brush, as the first text of a document: 5 bytes of 1/12 inch each.
const std::string TotalBox =
    "\r\n{\\*\\do\\dolock\\dobxpage\\dobypage\\dptxbx\\dptxbxmar0{\\dptxbxtext {\\f0\\fs24 "
    "\\f0\\fs24\\b0\\i0\\ul0\\strike0\\nosupersub\\cf1\\cb2 Total\\par}}"
    "\\dpx1440\\dpy2640\\dpxsize620\\dpysize300"
    "\\dplinehollow\\dplinecor0\\dplinecog0\\dplinecob0\\dplinew1"
    "\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255\\dpfillbgcr255\\dpfillbgcg255\\dpfillbgcb255\\dpfillpat0}";

TEST(Document, WithoutPagesIsTheBareFrame) {
    TNdrWriter w;
    const auto result = ConvertToRtf(w.Finish());
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ(result.Rtf, "{\\rtf1\\ansi{\\fonttbl}{\\colortbl}}");
}

TEST(Document, APageWithoutTextHasEmptyTablesAndEndsWithAParagraph) {
    const auto result = ConvertToRtf(OnePage([](TNdrWriter& w) { w.Rectangle(1, 1, 2, 2); }));
    EXPECT_EQ(result.Rtf.rfind("{\\rtf1\\ansi{\\fonttbl}{\\colortbl}\r\n{\\*\\do", 0), 0u) << result.Rtf;
    EXPECT_EQ(result.Rtf.substr(result.Rtf.size() - 6), "}\\par}");
}

TEST(Document, OneLineOfTextGivesTheHeaderAndTheTextBoxExactly) {
    const auto result = ConvertToRtf(OnePage([](TNdrWriter& w) { w.PrintLeft(2, "Total", 1); }));
    EXPECT_EQ(result.Rtf, "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\fprq0 Arial;}}"
                          "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;}" +
                              TotalBox + "\\par}");
}

TEST(Document, TwoFontsAndTwoColoursMakeTheHeaderInFirstUseOrder) {
    const auto result = ConvertToRtf(OnePage([](TNdrWriter& w) {
        w.PrintLeft(1, "one", 1);
        w.FontName("Times New Roman");
        w.PrintLeft(2, "two", 1);
        w.FontName("ARIAL");
        w.PrintLeft(3, "three", 1);
    }));
    const std::string header =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\fprq0 Arial;}{\\f1\\fcharset0\\fprq0 Times New Roman;}}"
        "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;}";
    EXPECT_EQ(result.Rtf.substr(0, header.size()), header);
    // ARIAL is the Arial of the table, spelled as first seen.
    EXPECT_EQ(Count(result.Rtf, "{\\dptxbxtext {\\f0\\fs24 "), 2u);
    EXPECT_EQ(Count(result.Rtf, "{\\dptxbxtext {\\f1\\fs24 "), 1u);
}

TEST(Document, PagesAfterTheFirstConvertedOneStartWithABreakWhateverTheirNumbers) {
    auto pages = [](int first, int count) {
        ndrwriter::THeaderFields fields;
        fields.FirstPage = static_cast<std::int16_t>(first);
        fields.LastPage = static_cast<std::int16_t>(first + count - 1);
        TNdrWriter w(fields);
        for (int i = 0; i < count; ++i) {
            w.BeginPage(static_cast<std::int16_t>(first + i));
            w.PrintLeft(1, "page", 1);
            w.EndPage();
        }
        return w.Finish();
    };
    EXPECT_EQ(Count(ConvertToRtf(pages(1, 1)).Rtf, "\\page "), 0u);
    EXPECT_EQ(Count(ConvertToRtf(pages(1, 3)).Rtf, "\\page "), 2u);
    // A report numbered from 5 does not open with an empty page.
    EXPECT_EQ(Count(ConvertToRtf(pages(5, 1)).Rtf, "\\page "), 0u);
    // Neither does a selection that starts after the first page.
    auto numbered = [] {
        TNdrWriter w;
        for (int i = 1; i <= 3; ++i) {
            w.BeginPage(static_cast<std::int16_t>(i));
            w.PrintLeft(1, "page " + std::to_string(i), 1);
            w.EndPage();
        }
        return w.Finish();
    };
    const std::string later = ConvertToRtf(numbered(), [](TRvRenderRTF& r) { r.FPageSelection = "2-3"; }).Rtf;
    EXPECT_EQ(Count(later, "\\page "), 1u);
    EXPECT_LT(later.find("page 2\\par}"), later.find("\\page "));
    EXPECT_LT(later.find("\\page "), later.find("page 3\\par}"));
    // Only page 2 of 3 converted: no break at all.
    const std::string second = ConvertToRtf(pages(1, 3), [](TRvRenderRTF& r) { r.FPageSelection = "2"; }).Rtf;
    EXPECT_EQ(Count(second, "\\page "), 0u);
    EXPECT_EQ(Count(second, "\\dptxbx\\dptxbxmar0"), 1u);
}

TEST(Document, AConversionThatFailsOnPageThreeLeavesACompleteDocument) {
    TNdrWriter w;
    for (int i = 1; i <= 3; ++i) {
        w.BeginPage(static_cast<std::int16_t>(i));
        w.PrintLeft(1, "page " + std::to_string(i), 1);
        if (i == 3) w.Byte(0xEE);  // no such command
        w.EndPage();
    }
    const auto result = ConvertToRtf(w.Finish());
    EXPECT_NE(result.Error, "");
    EXPECT_EQ(Count(result.Rtf, "\\page "), 2u);
    EXPECT_NE(result.Rtf.find("page 3\\par}"), std::string::npos);
    EXPECT_TRUE(BracesBalanced(result.Rtf));
    EXPECT_EQ(result.Rtf.substr(result.Rtf.size() - 5), "\\par}");
}

TEST(Document, RenderToFileWritesAndClosesTheFileWithTheDefaultExtension) {
    const auto dir = std::filesystem::temp_directory_path() / ("rtf-doc-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    TRvRenderRTF render;
    testing::THalfEmEngine engine;
    render.FTextMeasure = &engine;
    TMemoryStream report(OnePage([](TNdrWriter& w) { w.PrintLeft(2, "Total", 1); }));
    render.RenderToFile(report, (dir / "report").string());
    EXPECT_EQ(render.FActiveStream, nullptr);
    EXPECT_EQ(render.FBodyBuffer, nullptr);
    std::ifstream in(dir / "report.rtf", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(written.find(TotalBox), std::string::npos);
    EXPECT_EQ(written.back(), '}');
    std::filesystem::remove_all(dir);
}

// A disk that fills up after a few bytes.
class TFullStream final : public TStream {
public:
    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void*, std::size_t count) override {
        if ((FWritten += count) > 40) throw EWriteError();
    }
    std::int64_t Position() const override { return 0; }
    void SetPosition(std::int64_t) override {}
    std::int64_t Size() const override { return 0; }

private:
    std::size_t FWritten = 0;
};

TEST(Document, AFailingOutputStillFreesTheBodyAndClosesTheOutput) {
    TRtfOperations op;
    TFullStream full;
    op.Render.SetOutputStream(&full);
    op.Render.PrintLeft("Total", 1, 2);
    EXPECT_THROW(op.Render.EndDocument(), EWriteError);
    EXPECT_EQ(op.Render.FBodyBuffer, nullptr);
    EXPECT_EQ(op.Render.FFontNames, nullptr);
    EXPECT_EQ(op.Render.FActiveStream, nullptr);
}

TEST(Document, TheEngineFormSettingsAreTheDefaults) {
    TRvRenderRTF render;
    EXPECT_EQ(render.DisplayName(), "Rich Text Format (RTF)");
    EXPECT_EQ(render.FileExtension, "*.rtf");
    EXPECT_EQ(render.ImageOutput, TImageOutput::ioHigherQuality);
    EXPECT_EQ(render.ImageEncoding, TImageEncoding::ieHex);
}

TEST(Document, ARendererStartsEveryDocumentWithEmptyTables) {
    TRvRenderRTF render;
    testing::THalfEmEngine engine;
    render.FTextMeasure = &engine;
    for (int run = 0; run < 2; ++run) {
        TMemoryStream output, report(OnePage([](TNdrWriter& w) { w.PrintLeft(2, "Total", 1); }));
        render.SetOutputStream(&output);
        render.FInputStream = &report;
        render.ConvertPages(0);
        const std::string rtf(output.Bytes().begin(), output.Bytes().end());
        EXPECT_EQ(Count(rtf, "\\fcharset0"), 1u);
        EXPECT_NE(rtf.find(TotalBox), std::string::npos);
    }
}

// ---- text boxes ----

TEST(TextBox, ABoxReachesFromOneFontSizeAboveTheBaselineToAQuarterBelow) {
    TRtfOperations op;
    op.Render.PrintLeft("Total", 1, 2);
    EXPECT_EQ(op.Body(), TotalBox);
}

TEST(TextBox, StylesAndRaisedOrLoweredTextSwitchOn) {
    TRtfOperations op;
    op.Converter->Font.SetStyle(fsBold | fsItalic | fsUnderline | fsStrikeOut);
    op.Converter->FFlagP = true;
    op.Converter->FFlagS = true;
    op.Render.PrintLeft("x", 1, 1);
    op.Converter->FFlagP = false;
    op.Render.PrintLeft("x", 1, 1);
    const std::string body = op.Body();
    EXPECT_NE(body.find("\\f0\\fs24\\b\\i\\ul\\strike\\super\\cf1"), std::string::npos) << body;
    EXPECT_NE(body.find("\\f0\\fs24\\b\\i\\ul\\strike\\sub\\cf1"), std::string::npos) << body;
}

TEST(TextBox, OnlyBackslashAndBracesAreEscapedAndEveryOtherByteStands) {
    TRtfOperations op;
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    op.Render.PrintLeft("{a}\\b", 1, 1);
    op.Render.PrintLeft(all, 1, 1);
    const std::string body = op.Body();
    EXPECT_NE(body.find(" \\{a\\}\\\\b\\par}}"), std::string::npos);
    std::string escaped;
    for (const char c : all) {
        if (c == '\\' || c == '{' || c == '}') escaped += '\\';
        escaped += c;
    }
    EXPECT_NE(body.find(" " + escaped + "\\par}}"), std::string::npos);
    EXPECT_TRUE(BracesBalanced(op.Finish()));
}

TEST(TextBox, CentredAndRightAlignedTextMoveTheBoxAndEmptyTextsWriteNothing) {
    TRtfOperations op;
    op.Render.PrintCenter("", 1, 1);
    op.Render.PrintRight("", 1, 1);
    EXPECT_EQ(op.Body(), "");
    op.Render.PrintLeft("", 1, 1);  // an empty box one point wide
    EXPECT_NE(op.Body().find("\\cb2 \\par}}\\dpx1440\\dpy1200\\dpxsize20\\dpysize300"), std::string::npos);
    TRtfOperations centre;
    centre.Render.PrintCenter("abcd", 2, 1);  // 4/12 inch wide: starts 1/6 inch left of X
    EXPECT_NE(centre.Body().find("\\dpx2640\\dpy1200\\dpxsize500"), std::string::npos) << centre.Body();
    TRtfOperations right;
    right.Render.PrintRight("abcd", 2, 1);
    EXPECT_NE(right.Body().find("\\dpx2400\\dpy1200\\dpxsize500"), std::string::npos) << right.Body();
}

TEST(TextBox, MissingFacesMeasureAsThePdfEngineDrawsThem) {
    // Without a measure of its own the renderer's converter measures a face
    // that is not installed with Helvetica's widths, as TALPDF draws it:
    // "Total" at 12 points is 463/1248 inch, so the box starts at
    // 5760 - 534.2 twips, 5220 on the whole points text boxes stand on.
    const auto report = OnePage([](ndrwriter::TNdrWriter& w) {
        ndrwriter::TNdrWriter::TFontRecord font;
        font.Name = "No Such Face Tallow";
        w.SetFont(font);
        w.PrintRight(1, "Total", 4);
    });
    const std::string rtf = ConvertToRtf(report, [](TRvRenderRTF& r) { r.FTextMeasure = nullptr; }).Rtf;
    EXPECT_NE(rtf.find("\\dpx5220\\dpy"), std::string::npos) << rtf;
}

TEST(TextBox, FontsOfOtherCharsetsNameTheirCodePage) {
    const auto report = OnePage([](ndrwriter::TNdrWriter& w) {
        ndrwriter::TNdrWriter::TFontRecord font;
        w.SetFont(font);
        w.PrintLeft(1, "Western", 1);
        font.Charset = 204;
        w.SetFont(font);
        w.PrintLeft(2, "\xCF\xF0\xE8\xE2\xE5\xF2", 1);
        font.Charset = 1;  // DEFAULT: the document's own code page again
        w.SetFont(font);
        w.PrintLeft(3, "Again", 1);
        font.Charset = 128;
        w.SetFont(font);
        w.PrintLeft(4, "\x93\xfa\x96\x7b", 1);
        font.Charset = 2;  // SYMBOL has no code page of its own
        w.SetFont(font);
        w.PrintLeft(5, "abc", 1);
    });
    const std::string rtf = ConvertToRtf(report).Rtf;
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fcharset0\\fprq0 Arial;}{\\f1\\fcharset204\\cpg1251\\fprq0 Arial;}"
                       "{\\f2\\fcharset128\\cpg932\\fprq0 Arial;}}"),
              std::string::npos)
        << rtf;
    EXPECT_NE(rtf.find("{\\dptxbxtext {\\f1\\fs24 "), std::string::npos);
    // A double-byte character is written as two escaped bytes, so its trail
    // byte "{" cannot open a group.
    EXPECT_NE(rtf.find("\\cb2 \\'93\\'fa\\'96\\'7b\\par}"), std::string::npos);
    // Single-byte code pages keep the bytes as the report has them.
    EXPECT_NE(rtf.find("\\cb2 \xCF\xF0\xE8\xE2\xE5\xF2\\par}"), std::string::npos);
}

TEST(TextBox, DoubleByteTextKeepsItsCharactersWhole) {
    // Shift-JIS: 0x96 0x7B is one character whose trail byte is "{"; a lone
    // lead byte at the end and single bytes above 0x7F are escaped alone.
    EXPECT_EQ(rtf::EscapedDoubleByteText("a{\x96{\xA6\\\x81", CP_SHIFT_JIS), "a\\{\\'96\\'7b\\'a6\\\\\\'81");
    EXPECT_EQ(rtf::EscapedDoubleByteText("\xD6\xD0}", CP_GBK), "\\'d6\\'d0\\}");
}

TEST(TextBox, FontNamesThatWouldBreakTheTableAreEscaped) {
    TRtfOperations op;
    op.Converter->Font.SetName("Odd{Face};\\Two}");
    op.Render.PrintLeft("x", 1, 1);
    const std::string rtf = op.Finish();
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fcharset0\\fprq0 Odd\\{Face\\}\\\\Two\\};}}"), std::string::npos) << rtf;
    EXPECT_TRUE(BracesBalanced(rtf));
}

TEST(TextBox, ColoursIgnoreTheHighByteAndSystemColoursAreBlack) {
    TRtfOperations op;
    op.Converter->Font.SetColor(0x7F0080FF);
    op.Converter->Brush.SetColor(clWindowText);
    op.Render.PrintLeft("x", 1, 1);
    op.Converter->Font.SetColor(0x000080FF);
    op.Render.PrintLeft("y", 1, 1);
    const std::string rtf = op.Finish();
    EXPECT_NE(rtf.find("{\\colortbl;\\red255\\green128\\blue0;\\red0\\green0\\blue0;}"), std::string::npos) << rtf;
    EXPECT_EQ(Count(rtf, "\\cf1\\cb2 "), 2u);
    EXPECT_EQ(TRvRenderRTF::ColorEntry(0x00FF8000), ";\\red0\\green128\\blue255");
}

TEST(TextBox, HugeAndNegativePositionsStayWithinThirtyTwoBits) {
    TRtfOperations op;
    op.Render.PrintLeft("x", -1e300, 1e300);
    op.Render.PrintLeft("y", -0.5, -1);
    op.Converter->Font.SetSize(-12);
    op.Render.PrintLeft("z", 0, 0);
    const std::string body = op.Body();
    EXPECT_NE(body.find("\\dpx-2147483648\\dpy2147483647\\dpxsize"), std::string::npos) << body;
    EXPECT_NE(body.find("\\dpx-720\\dpy-1680\\dpxsize140\\dpysize300"), std::string::npos) << body;
    EXPECT_NE(body.find("{\\f0\\fs-24 "), std::string::npos);
    EXPECT_TRUE(BracesBalanced(op.Finish()));
}

// ---- justified lines ----

std::vector<std::string> BoxPositions(const std::string& body) {
    std::vector<std::string> positions;
    for (std::size_t at = body.find("\\par}}"); at != std::string::npos; at = body.find("\\par}}", at + 1)) {
        const std::size_t end = body.find("\\dpysize", at);
        positions.push_back(body.substr(at + 6, end - at - 6));
    }
    return positions;
}

TEST(JustifiedLine, EveryWordIsItsOwnBoxAndTheLastEndsAtTheWidth) {
    TRtfOperations op;
    op.Render.PrintBlock("ab cd  ef", 1, 1, 3);  // words of 2/12 inch, gaps stretched
    const auto boxes = BoxPositions(op.Body());
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], "\\dpx1440\\dpy1200\\dpxsize260");
    EXPECT_EQ(boxes[2], "\\dpx5520\\dpy1200\\dpxsize260");  // ends at 4 inches
}

TEST(JustifiedLine, ASingleWordSpreadsItsLetters) {
    TRtfOperations op;
    op.Render.PrintBlock("AB", 1, 1, 1);
    const auto boxes = BoxPositions(op.Body());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "\\dpx1440\\dpy1200\\dpxsize140");
    EXPECT_EQ(boxes[1], "\\dpx2760\\dpy1200\\dpxsize140");  // B ends at 2 inches
    EXPECT_NE(op.Body().find("\\cb2 A\\par}}"), std::string::npos);
    EXPECT_NE(op.Body().find("\\cb2 B\\par}}"), std::string::npos);
}

TEST(JustifiedLine, TrailingSpacesPrintNothing) {
    TRtfOperations op;
    op.Render.PrintBlock("A B   ", 1, 1, 2);
    EXPECT_EQ(BoxPositions(op.Body()).size(), 2u);
}

}  // namespace
}  // namespace tal
