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
// brush, as the first text of a document: 5 bytes of 1/12 inch each (30
// points), a tenth more room and one point.
const std::string TotalBox =
    "\r\n{\\*\\do\\dolock\\dobxpage\\dobypage\\dodhgt1\\dptxbx\\dptxbxmar0{\\dptxbxtext {\\f0\\fs24 "
    "\\f0\\fs24\\b0\\i0\\ul0\\strike0\\nosupersub\\cf1\\cb2 Total\\par}}"
    "\\dpx1440\\dpy2640\\dpxsize680\\dpysize300"
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
    EXPECT_EQ(result.Rtf.rfind("{\\rtf1\\ansi{\\fonttbl}{\\colortbl}\\paperw12240\\paperh15840\r\n{", 0), 0u)
        << result.Rtf;
    EXPECT_EQ(result.Rtf.substr(result.Rtf.size() - 6), "}\\par}");
}

TEST(Document, OneLineOfTextGivesTheHeaderAndTheTextBoxExactly) {
    const auto result = ConvertToRtf(OnePage([](TNdrWriter& w) { w.PrintLeft(2, "Total", 1); }));
    EXPECT_EQ(result.Rtf, "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\fprq0 Arial;}}"
                          "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;}"
                          "\\paperw12240\\paperh15840" +
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

TEST(Document, ThePaperOfTheFirstPageIsTheDocumentsAndAnotherSizeStartsASection) {
    auto pages = [](std::vector<std::pair<float, float>> sizes) {
        TNdrWriter w;
        std::int16_t n = 0;
        for (const auto& [width, height] : sizes) {
            w.BeginPage(++n, width, height);
            w.PrintLeft(1, "page " + std::to_string(n), 1);
            w.EndPage();
        }
        return ConvertToRtf(w.Finish()).Rtf;
    };
    // A4 landscape, then twice A4 portrait, then Letter, then Letter again.
    const std::string rtf = pages({{11.69f, 8.27f}, {8.27f, 11.69f}, {8.27f, 11.69f}, {8.5f, 11}, {8.5f, 11}});
    EXPECT_NE(rtf.find("{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;}"
                       "\\paperw16834\\paperh11909\\landscape\r\n"),
              std::string::npos)
        << rtf.substr(0, 200);
    const std::size_t portrait = rtf.find("\\sect\\sectd\\pgwsxn11909\\pghsxn16834 ");
    const std::size_t letter = rtf.find("\\sect\\sectd\\pgwsxn12240\\pghsxn15840 ");
    EXPECT_LT(rtf.find("page 1\\par}"), portrait);
    EXPECT_LT(portrait, rtf.find("page 2\\par}"));
    EXPECT_LT(rtf.find("page 3\\par}"), letter);
    EXPECT_LT(letter, rtf.find("page 4\\par}"));
    // Pages of the section's size are separated by page breaks only.
    EXPECT_EQ(Count(rtf, "\\sect\\sectd"), 2u);
    EXPECT_EQ(Count(rtf, "\\page "), 2u);
    EXPECT_EQ(Count(rtf, "\\lndscpsxn"), 0u);
    EXPECT_TRUE(BracesBalanced(rtf));

    // Back to landscape after portrait: the section says so.
    const std::string back = pages({{8.5f, 11}, {11, 8.5f}});
    EXPECT_NE(back.find("\\paperw12240\\paperh15840\r\n"), std::string::npos);
    EXPECT_NE(back.find("\\sect\\sectd\\pgwsxn15840\\pghsxn12240\\lndscpsxn "), std::string::npos);
    // A page that gives no usable size is a Letter page.
    EXPECT_NE(pages({{0, -1}}).find("\\paperw12240\\paperh15840\r\n"), std::string::npos);
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
    // 24 points wide, centred on 144 points: the room to spare is shared by
    // both sides and the text is centred in its box.
    TRtfOperations centre;
    centre.Render.PrintCenter("abcd", 2, 1);
    EXPECT_NE(centre.Body().find("{\\f0\\fs24 \\qc\\f0"), std::string::npos) << centre.Body();
    EXPECT_NE(centre.Body().find("\\dpx2600\\dpy1200\\dpxsize560"), std::string::npos) << centre.Body();
    // Ending at 144 points: the box ends there too and grows to the left.
    TRtfOperations right;
    right.Render.PrintRight("abcd", 2, 1);
    EXPECT_NE(right.Body().find("{\\f0\\fs24 \\qr\\f0"), std::string::npos) << right.Body();
    EXPECT_NE(right.Body().find("\\dpx2340\\dpy1200\\dpxsize540"), std::string::npos) << right.Body();
}

TEST(TextBox, MissingFacesMeasureAsThePdfEngineDrawsThem) {
    // Without a measure of its own the renderer's converter measures a face
    // that is not installed with Helvetica's widths, as TALPDF draws it:
    // "Total" at 12 points is 463/1248 inch (534.2 twips, 540 on the whole
    // points text boxes stand on), and the box's spare room lies to its
    // left, so it ends on 5760.
    const auto report = OnePage([](ndrwriter::TNdrWriter& w) {
        ndrwriter::TNdrWriter::TFontRecord font;
        font.Name = "No Such Face Tallow";
        w.SetFont(font);
        w.PrintRight(1, "Total", 4);
    });
    const std::string rtf = ConvertToRtf(report, [](TRvRenderRTF& r) { r.FTextMeasure = nullptr; }).Rtf;
    EXPECT_NE(rtf.find("\\dpx5160\\dpy1200\\dpxsize600"), std::string::npos) << rtf;
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

// Johab (charset 130) is a double-byte code page too: its trail bytes
// include a backslash and braces, which must not reach the document bare.
TEST(TextBox, JohabTextIsWrittenInEscapedPairs) {
    const auto report = OnePage([](ndrwriter::TNdrWriter& w) {
        ndrwriter::TNdrWriter::TFontRecord font;
        font.Charset = 130;
        w.SetFont(font);
        w.PrintLeft(1, "\x88\\\x88{", 1);
    });
    const std::string rtf = ConvertToRtf(report).Rtf;
    EXPECT_NE(rtf.find("\\fcharset130\\cpg1361\\fprq0 Arial;"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\cb2 \\'88\\'5c\\'88\\'7b\\par}"), std::string::npos) << rtf;
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
    EXPECT_NE(body.find("\\dpx-720\\dpy-1680\\dpxsize160\\dpysize300"), std::string::npos) << body;
    EXPECT_NE(body.find("{\\f0\\fs-24 "), std::string::npos);
    EXPECT_TRUE(BracesBalanced(op.Finish()));
}

TEST(TextBox, TheRoomToSpareStopsAtThePapersEdge) {
    // A Letter page is 612 points wide; "abcd" is 24 points.
    auto box = [](void (TRvRenderRTF::*print)(const std::string&, double, double), double x) {
        TRtfOperations op;
        (op.Render.*print)("abcd", x, 1);
        const std::string body = op.Body();
        const std::size_t at = body.find("\\dpx");
        return body.substr(at, body.find("\\dpysize") - at);
    };
    // Ending 1 point before the edge: the box ends at the edge, not beyond
    // (a reader would push it back onto the page, text and all).
    EXPECT_EQ(box(&TRvRenderRTF::PrintLeft, 587.0 / 72), "\\dpx11740\\dpy1200\\dpxsize500");
    // A text that already runs over the edge keeps its one point.
    EXPECT_EQ(box(&TRvRenderRTF::PrintLeft, 600.0 / 72), "\\dpx12000\\dpy1200\\dpxsize500");
    // Right-aligned near the left edge, centred near either edge: the box
    // stays on the page and the centred text stays centred.
    EXPECT_EQ(box(&TRvRenderRTF::PrintRight, 25.0 / 72), "\\dpx0\\dpy1200\\dpxsize500");
    EXPECT_EQ(box(&TRvRenderRTF::PrintCenter, 13.0 / 72), "\\dpx0\\dpy1200\\dpxsize520");
    EXPECT_EQ(box(&TRvRenderRTF::PrintCenter, 600.0 / 72), "\\dpx11760\\dpy1200\\dpxsize480");
}

TEST(TextBox, AClippedTextIsOneLineOnItsBaselineEndingWithTheRectangle) {
    TRtfOperations op;
    // A rectangle two lines high: the box is one line, from one font size
    // above the baseline at 2 inches to a quarter below, from the text's
    // start to the rectangle's right edge.
    op.Render.TextRect({72, 120, 216, 160}, 1.25, 2, "clipped words");
    EXPECT_NE(op.Body().find("\\dpx1800\\dpy2640\\dpxsize2520\\dpysize300"), std::string::npos) << op.Body();
    // A text starting beyond the rectangle gets a box without width.
    op.Render.TextRect({72, 120, 216, 160}, 4, 2, "beyond");
    EXPECT_NE(op.Body().find("\\dpx5760\\dpy2640\\dpxsize0\\dpysize300"), std::string::npos) << op.Body();
}

TEST(TextBox, QuarterTurnedTextsAreFramesWhoseLinesRunUpOrDown) {
    auto frame = [](int rotation, void (TRvRenderRTF::*print)(const std::string&, double, double)) {
        TRtfOperations op;
        op.Converter->FRotation = static_cast<std::int16_t>(rotation);
        (op.Render.*print)("abcd", 2, 3);
        return op.Body();
    };
    // Turned by 90 degrees, "abcd" (24 points) runs up from (144, 216) points;
    // its ascent lies to the left: x from 132 to 147, y from 216 up by the
    // text, a tenth more and a point.
    const std::string up = frame(90, &TRvRenderRTF::PrintLeft);
    EXPECT_NE(up.find("\\shpleft2640\\shptop3772\\shpright2940\\shpbottom4320"), std::string::npos) << up;
    EXPECT_NE(up.find("{\\sp{\\sn shapeType}{\\sv 202}}{\\sp{\\sn txflTextFlow}{\\sv 2}}{\\sp{\\sn fFilled}{\\sv 0}}"
                      "{\\sp{\\sn fLine}{\\sv 0}}"),
              std::string::npos);
    EXPECT_NE(up.find("{\\sp{\\sn dyTextBottom}{\\sv 0}}{\\shptxt {\\f0\\fs24 \\f0\\fs24\\b0"), std::string::npos) << up;
    // Readers without shapes get the horizontal box at the start.
    EXPECT_NE(up.find("abcd\\par}}}{\\shprslt\r\n{\\*\\do\\dolock\\dobxpage\\dobypage\\dodhgt1\\dptxbx"),
              std::string::npos)
        << up;
    EXPECT_NE(up.find("\\dpx2880\\dpy4080\\dpxsize500\\dpysize300"), std::string::npos) << up;
    EXPECT_EQ(Count(up, "abcd"), 2u);
    EXPECT_TRUE(BracesBalanced(up));
    // Turned by 270 degrees and ending at (144, 216): it starts 24 points
    // higher and runs down, its ascent to the right, its room above.
    const std::string down = frame(-90, &TRvRenderRTF::PrintRight);
    EXPECT_NE(down.find("\\shpleft2820\\shptop3772\\shpright3120\\shpbottom4320"), std::string::npos) << down;
    EXPECT_NE(down.find("{\\sp{\\sn txflTextFlow}{\\sv 1}}"), std::string::npos);
    EXPECT_NE(down.find("{\\shptxt {\\f0\\fs24 \\qr\\f0"), std::string::npos);
    // Running up from 25 points below the top: the frame's room stops at
    // the paper's top edge.
    TRtfOperations top;
    top.Converter->FRotation = 90;
    top.Render.PrintLeft("abcd", 2, 25.0 / 72);
    EXPECT_NE(top.Body().find("\\shpleft2640\\shptop0\\shpright2940\\shpbottom500"), std::string::npos)
        << top.Body();
}

TEST(TextBox, ObliqueTextsArePicturesOfTheTextTurned) {
    TRtfOperations op;
    op.Converter->FRotation = 30;
    op.Converter->Font.SetColor(0x123456);
    op.Converter->Font.SetStyle(fsBold);
    op.Render.PrintLeft("abcd", 2, 3);
    const std::string body = op.Body();
    EXPECT_EQ(body.find("\\shp"), std::string::npos);
    EXPECT_EQ(body.find("\\dptxbxtext {"), std::string::npos);
    // A Windows metafile in a picture object, whatever the picture setting.
    EXPECT_NE(body.find("{\\*\\do\\dobxpage\\dobypage\\dodhgt1\\dptxbx\\dptxlrtb"), std::string::npos);
    EXPECT_NE(body.find("{\\pict \\wmetafile8\\picw"), std::string::npos);
    // The metafile: the font turned by 300 tenths of a degree, bold, the
    // text colour, the text on its baseline.
    const std::vector<std::uint8_t> wmf = op.Render.ObliqueTextMetafile("abcd", 0.25, 0.5, 1, 0.75, 1.0 / 1440, 30);
    const std::string hex = testing::Hex(wmf.data(), wmf.size());
    EXPECT_NE(hex.find("FB02" "10FF" "0000" "2C01" "2C01" "BC02" "0000"), std::string::npos) << hex;
    EXPECT_NE(hex.find("417269616C00"), std::string::npos);  // Arial
    EXPECT_NE(hex.find("0902" "5634" "1200"), std::string::npos);  // text colour
    EXPECT_NE(hex.find("2105" "0400" "61626364" "D002" "6801"), std::string::npos);  // "abcd" at (360, 720)
    // Negative turns count the other way round; an empty text shows nothing.
    TRtfOperations down;
    down.Converter->FRotation = -45;
    down.Render.PrintLeft("", 1, 1);
    EXPECT_EQ(down.Body(), "");
    const auto turned = down.Render.ObliqueTextMetafile("x", 0, 0, 1, 1, 1.0 / 1440, 315);
    EXPECT_NE(testing::Hex(turned.data(), turned.size())
                  .find("4E0C4E0C"),
              std::string::npos);
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
    EXPECT_EQ(boxes[0], "\\dpx1440\\dpy1200\\dpxsize280");
    EXPECT_EQ(boxes[2], "\\dpx5480\\dpy1200\\dpxsize280");  // ends at 4 inches
}

TEST(JustifiedLine, ASingleWordSpreadsItsLetters) {
    TRtfOperations op;
    op.Render.PrintBlock("AB", 1, 1, 1);
    const auto boxes = BoxPositions(op.Body());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], "\\dpx1440\\dpy1200\\dpxsize160");
    EXPECT_EQ(boxes[1], "\\dpx2720\\dpy1200\\dpxsize160");  // B ends at 2 inches
    EXPECT_NE(op.Body().find("\\cb2 A\\par}}"), std::string::npos);
    EXPECT_NE(op.Body().find("\\cb2 B\\par}}"), std::string::npos);
}

TEST(JustifiedLine, TrailingSpacesPrintNothing) {
    TRtfOperations op;
    op.Render.PrintBlock("A B   ", 1, 1, 2);
    EXPECT_EQ(BoxPositions(op.Body()).size(), 2u);
}

TEST(FormattedLine, ACentredLinesFirstRunKeepsItsColourAndAJustifiedOneEndsAtTheWidth) {
    // "ab" black, then "cd" red, centred on 4 inches: the first box must not
    // take the red that measuring the line reached.
    const std::string text = "ab" + ndrwriter::MarkGroup({{'C', "255"}}) + "cd";
    const std::string centred = ConvertToRtf(OnePage([&](TNdrWriter& w) { w.PrintCenter(1, text, 4); })).Rtf;
    // Colour table: black (1), the white brush (2), red (3).
    EXPECT_NE(centred.find("\\cf1\\cb2 ab\\par}}\\dpx5520"), std::string::npos) << centred;
    EXPECT_NE(centred.find("\\cf3\\cb2 cd\\par}}\\dpx5760"), std::string::npos) << centred;

    // Words of 2/12 inch; the blank before the bold run widens like the
    // others, so the last box ends at 4 inches (a box placed by its end
    // takes its spare room on the left).
    const std::string justified = ConvertToRtf(OnePage([](TNdrWriter& w) {
                                                   w.PrintBlock(1, "ab cd" + ndrwriter::MarkGroup({{'B', "1"}}) + " ef",
                                                                1, 3);
                                               })).Rtf;
    const auto boxes = BoxPositions(justified);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], "\\dpx1440\\dpy1200\\dpxsize280");
    EXPECT_EQ(boxes[1], "\\dpx3440\\dpy1200\\dpxsize280");
    EXPECT_EQ(boxes[2], "\\dpx5480\\dpy1200\\dpxsize280");
}

}  // namespace
}  // namespace tal
