// Font objects, width tables, and the text objects of the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstring>

#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {
namespace {

using ndrwriter::TNdrWriter;
using L = std::vector<std::string>;

std::vector<std::int16_t> Row(const char* table, int first, int count) {
    const TFontWidths* widths = StandardFontWidths(table);
    EXPECT_NE(widths, nullptr) << table;
    if (!widths) return {};
    return std::vector<std::int16_t>(widths->begin() + first, widths->begin() + first + count);
}

TEST(PdfFontWidths, TellingRows) {
    using R = std::vector<std::int16_t>;
    EXPECT_EQ(Row("Helvetica", 32, 16), (R {278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278}));
    EXPECT_EQ(Row("Times-Roman", 32, 16), (R {250, 333, 408, 500, 500, 833, 778, 180, 333, 333, 500, 564, 250, 333, 250, 278}));
    EXPECT_EQ(Row("ZapfDingbats", 32, 16), (R {278, 974, 961, 974, 980, 719, 789, 790, 791, 690, 960, 939, 549, 855, 911, 933}));
    for (const char* helvetica : {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique"}) {
        EXPECT_EQ(Row(helvetica, 128, 1), R {558}) << helvetica;
        EXPECT_EQ(Row(helvetica, 0, 1), R {278});
    }
    for (const char* times : {"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic"}) {
        EXPECT_EQ(Row(times, 128, 1), R {500}) << times;
        EXPECT_EQ(Row(times, 0, 1), R {250});
        for (int code : {127, 129, 141, 143, 144, 157}) EXPECT_EQ(Row(times, code, 1), R {350}) << times << code;
    }
    EXPECT_EQ(Row("Helvetica", 96, 1), R {333});
    EXPECT_EQ(Row("Times-Roman", 96, 1), R {333});
    EXPECT_EQ(*StandardFontWidths("Helvetica-Oblique"), *StandardFontWidths("Helvetica"));
    EXPECT_EQ(*StandardFontWidths("Helvetica-BoldOblique"), *StandardFontWidths("Helvetica-Bold"));
    const TFontWidths& courier = *StandardFontWidths("courier-boldoblique");
    EXPECT_EQ(courier[0], 600);
    for (int code = 1; code < 32; ++code) EXPECT_EQ(courier[code], 0);
    for (int code = 32; code < 256; ++code) EXPECT_EQ(courier[code], 600);
    for (const char* builtin : {"Symbol", "ZapfDingbats"}) {
        EXPECT_EQ(Row(builtin, 0, 1), R {250});
        for (int code : {127, 140, 160, 240, 255}) EXPECT_EQ(Row(builtin, code, 1), R {0}) << builtin << code;
    }
    EXPECT_EQ(StandardFontWidths("Arial"), nullptr);
}

std::string FontReport(const std::string& face, bool bold, bool italic, const TSetup& setup = {}) {
    return ConvertReport(OnePage([&](TNdrWriter& w) {
                             auto font = Arial();
                             font.Name = face;
                             font.Bold = bold;
                             font.Italic = italic;
                             w.SetFont(font);
                             w.PrintLeft(1, "x", 1);
                         }),
                         setup)
        .Bytes;
}

TEST(PdfFonts, StandardFaceNames) {
    struct {
        const char* face;
        bool bold, italic;
        const char* pdf;
    } cases[] = {
        {"Courier New", true, true, "Courier-BoldOblique"}, {"courier", false, true, "Courier-Oblique"},
        {"Times New Roman", true, false, "Times-Bold"},     {"TimesRoman", false, true, "Times-Italic"},
        {"Symbol", true, true, "Symbol"},                   {"ARIAL", true, true, "Helvetica-BoldOblique"},
        {"Arial Black", false, false, "Helvetica"},         {"ZapfDingbats", true, false, "ZapfDingbats"},
        {"No Such Face", false, true, "Helvetica-Oblique"}, {"Broken Face", true, false, "Helvetica-Bold"},
    };
    for (const auto& c : cases) {
        const std::string pdf = FontReport(c.face, c.bold, c.italic);
        // The record's name comes before its style, so the last font made is the one asked for.
        const std::size_t last = pdf.rfind("/BaseFont /");
        EXPECT_EQ(pdf.compare(last, 13 + std::strlen(c.pdf), "/BaseFont /" + std::string(c.pdf) + "\r\n"), 0)
            << c.face << "\n" << pdf.substr(last, 40);
        EXPECT_EQ(pdf.find("/FontDescriptor"), std::string::npos) << c.face;
    }
}

TEST(PdfFonts, ArialIsAType1FontObject) {
    EXPECT_EQ(ObjectText(FontReport("Arial", false, false), 7),
              "7 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type1\r\n/Name /F1\r\n/BaseFont /Helvetica\r\n"
              "/Encoding /WinAnsiEncoding\r\n>>\r\nendobj\r\n");
    const std::string pdf =
        FontReport("Arial", false, false, [](TRvRenderPDF& r) { r.FontEncoding = fePDFDocEncoding; });
    EXPECT_NE(ObjectText(pdf, 7).find("/Encoding /PDFDocEncoding\r\n"), std::string::npos);
}

TEST(PdfFonts, OneObjectPerBaseFont) {
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) {
                                w.SetFont(Arial(12));
                                w.PrintLeft(1, "a", 1);
                                w.SetFont(Arial(20));
                                w.FontUnderline(true);
                                w.PrintLeft(2, "b", 1);
                                auto verdana = Arial();
                                verdana.Name = "Verdana";
                                w.SetFont(verdana);
                                w.PrintLeft(3, "c", 1);
                                verdana.Name = "VERDANA";
                                w.SetFont(verdana);
                                w.PrintLeft(4, "d", 1);
                            })).Bytes;
    const std::string page = ObjectText(pdf, 4);
    EXPECT_NE(page.find("/Font <<\r\n/F1 7 0 R \r\n/F2 8 0 R \r\n>>"), std::string::npos) << page;
    EXPECT_NE(ObjectText(pdf, 8).find("/BaseFont /Verdana\r\n"), std::string::npos);
    EXPECT_EQ(pdf.find("/F3 "), std::string::npos);
}

// A report that switches among more fonts than the renderer keeps its
// choice of: every text must still show in the font its record names.
TEST(PdfFonts, EveryTextShowsInItsOwnFontAmongManyFonts) {
    struct TFace {
        const char* name;
        bool bold;
        const char* base;
    };
    const TFace faces[] = {
        {"Arial", false, "Helvetica"},         {"Arial", true, "Helvetica-Bold"},
        {"Courier New", false, "Courier"},     {"Courier New", true, "Courier-Bold"},
        {"Times New Roman", false, "Times-Roman"}, {"Times New Roman", true, "Times-Bold"},
        {"Verdana", false, "Verdana"},         {"Verdana", true, "Verdana,Bold"},
        {"No Such Face", false, "Helvetica"},  {"No Such Face", true, "Helvetica-Bold"},
        {"ARIAL", false, "Helvetica"},         {"Symbol", false, "Symbol"},
    };
    std::vector<std::string> expected;
    const std::string pdf = ConvertReport(OnePage([&](TNdrWriter& w) {
                                for (int round = 0; round < 3; ++round) {
                                    for (std::size_t i = 0; i < std::size(faces); ++i) {
                                        // Rounds visit the faces in different orders.
                                        const TFace& face = faces[(i * (round + 1) * 5) % std::size(faces)];
                                        auto font = Arial();
                                        font.Name = face.name;
                                        w.SetFont(font);
                                        w.FontBold(face.bold);  // a font record never clears bold
                                        w.PrintLeft(1, "x", 1 + 0.1f * static_cast<float>(expected.size()));
                                        expected.push_back(face.base);
                                    }
                                }
                            })).Bytes;
    std::vector<std::string> shown;
    for (const std::string& line : PageOneLines(pdf)) {
        if (line.size() < 4 || line.compare(line.size() - 3, 3, " Tf") != 0) continue;
        const std::string resource = line.substr(0, line.find(' ')) + " ";
        const std::string page = ObjectText(pdf, 4);
        const std::size_t at = page.find(resource);
        ASSERT_NE(at, std::string::npos) << line;
        const int object = std::atoi(page.c_str() + at + resource.size());
        const std::string font = ObjectText(pdf, object);
        const std::size_t base = font.find("/BaseFont /") + 11;
        shown.push_back(font.substr(base, font.find("\r\n", base) - base));
    }
    EXPECT_EQ(shown, expected);
}

TEST(PdfFonts, TrueTypeFontWithDescriptorAndProgram) {
    const auto report = OnePage([](TNdrWriter& w) {
        auto font = Arial();
        font.Name = "Verdana";
        w.SetFont(font);
        w.PrintLeft(1, "x", 1);
    });
    std::string pdf = ConvertReport(report, [](TRvRenderPDF& r) { r.EmbedFonts = true; }).Bytes;
    const std::string font = ObjectText(pdf, 7);
    EXPECT_NE(font.find("/Subtype /TrueType\r\n/Name /F1\r\n/BaseFont /Verdana\r\n/Encoding /WinAnsiEncoding\r\n"
                        "/FirstChar 32\r\n/LastChar 255\r\n/Widths [382 383 384 385 386 387 388 389 \r\n"
                        "390 391 392 393 394 395 396 397 398 399 \r\n"),
              std::string::npos)
        << font;
    EXPECT_NE(font.find("\r\n600 601 602 603 604 605 ]\r\n/FontDescriptor 8 0 R\r\n>>\r\n"), std::string::npos);
    EXPECT_EQ(ObjectText(pdf, 8),
              "8 0 obj\r\n<<\r\n/Type /FontDescriptor\r\n/FontName /Verdana\r\n/Flags 32\r\n"
              "/FontBBox [-560 -240 1523 1006]\r\n/MissingWidth 382\r\n/StemV 80\r\n/StemH 80\r\n/ItalicAngle 0\r\n"
              "/CapHeight 905\r\n/XHeight 452\r\n/Ascent 905\r\n/Descent -212\r\n/Leading 150\r\n/MaxWidth 1566\r\n"
              "/AvgWidth 508\r\n/FontFile2 9 0 R\r\n>>\r\nendobj\r\n");
    const std::string file = ObjectText(pdf, 9);
    EXPECT_NE(file.find("9 0 obj\r\n<< /Length 30 \r\n/Length1 30 >>\r\nstream\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("font programendstream\r\nendobj"), std::string::npos);
    ExpectGolden("truetype.pdf", pdf);

    // Without embedding the numbers close up.
    pdf = ConvertReport(report).Bytes;
    EXPECT_EQ(pdf.find("/FontFile2"), std::string::npos);
    EXPECT_NE(pdf.find("/Info 9 0 R"), std::string::npos);
}

TEST(PdfFonts, DescriptorRoundsXHeightToEven) {
    for (auto [ascent, xHeight] : {std::pair {905, 452}, {907, 454}, {906, 453}}) {
        TRvRenderPDF render;
        TRPPDFFontDescriptor descriptor(render);
        TOutlineMetrics metrics;
        metrics.Ascent = ascent;
        metrics.ItalicAngleTenths = -120;
        metrics.ItalicAngleDegrees = -12;
        metrics.PanoseProportion = 9;
        metrics.PanoseFamilyType = 3;
        FillFontDescriptor(descriptor, metrics, 0);
        EXPECT_EQ(descriptor.FXHeight, xHeight);
        EXPECT_EQ(descriptor.FFlags, 32 + 1 + 8 + 64);
        EXPECT_EQ(descriptor.FItalicAngle, -12);
    }
}

TEST(PdfFonts, RestrictedFaceIsNotEmbedded) {
    const std::string pdf = FontReport("Locked Face", false, false, [](TRvRenderPDF& r) { r.EmbedFonts = true; });
    EXPECT_NE(pdf.find("/BaseFont /LockedFace\r\n"), std::string::npos);
    EXPECT_EQ(pdf.find("/FontFile2"), std::string::npos);
    EXPECT_NE(pdf.find("/Info 9 0 R"), std::string::npos);
}

TEST(PdfFonts, OnlyFontsThatPrintAreWritten) {
    // Times chosen for a moment between two font records, never printed.
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) {
                                auto times = Arial();
                                times.Name = "Times New Roman";
                                w.SetFont(times);
                                w.SetFont(Arial());
                                w.PrintLeft(1, "a", 1);
                            })).Bytes;
    EXPECT_EQ(pdf.find("Times-Roman"), std::string::npos);
    // The printed font keeps the name it was given: resource names have gaps.
    EXPECT_NE(ObjectText(pdf, 4).find("/Font <<\r\n/F2 7 0 R \r\n>>"), std::string::npos) << ObjectText(pdf, 4);
    EXPECT_NE(ObjectText(pdf, 7).find("/Name /F2\r\n/BaseFont /Helvetica\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Info 8 0 R"), std::string::npos);

    // A page whose fonts never print lists no font resources at all.
    const std::string silent = ConvertReport(OnePage([](TNdrWriter& w) { w.SetFont(Arial()); })).Bytes;
    EXPECT_EQ(silent.find("/Font"), std::string::npos);
    EXPECT_NE(silent.find("/Info 7 0 R"), std::string::npos);
}

TEST(PdfFonts, SymbolAndZapfDingbatsKeepTheirOwnEncoding) {
    for (const char* face : {"Symbol", "ZapfDingbats"}) {
        const std::string font = ObjectText(FontReport(face, false, false), 7);
        EXPECT_NE(font.find(std::string("/BaseFont /") + face + "\r\n>>"), std::string::npos) << font;
        EXPECT_EQ(font.find("/Encoding"), std::string::npos) << font;
    }
}

TEST(PdfFonts, ToUnicodeBlocksHoldAHundredCodes) {
    TRvRenderPDF render;
    std::bitset<256> codes;
    codes.set();
    TRPPDFToUnicode cmap(render, codes);
    cmap.SetObjectNumber(5);
    cmap.WriteObject();
    const std::string text(reinterpret_cast<const char*>(cmap.ObjectBuffer().Data()),
                           static_cast<std::size_t>(cmap.ObjectBuffer().Size()));
    // Code 0 stands for no character; 1..255 make blocks of 100, 100 and 55.
    EXPECT_NE(text.find("100 beginbfchar\r\n<01> <0001>\r\n"), std::string::npos);
    EXPECT_NE(text.find("<64> <0064>\r\nendbfchar\r\n100 beginbfchar\r\n<65> <0065>"), std::string::npos);
    EXPECT_NE(text.find("<C8> <00C8>\r\nendbfchar\r\n55 beginbfchar\r\n<C9> <00C9>"), std::string::npos);
    EXPECT_NE(text.find("<80> <20AC>"), std::string::npos);
    EXPECT_NE(text.find("<81> <0081>"), std::string::npos);  // unassigned in Windows-1252: itself
    EXPECT_EQ(text.find("<00>  "), std::string::npos);
    const std::size_t body = text.find("stream\r\n") + 8, end = text.find("endstream");
    EXPECT_NE(text.find(std::to_string(end - body) + "\r\n>>"), std::string::npos);
}

TEST(PdfFonts, SubsetTagFollowsNameAndCodes) {
    std::bitset<256> codes;
    codes.set(' ').set('a');
    const std::string tag = SubsetTag("DejaVuSans", codes);
    ASSERT_EQ(tag.size(), 6u);
    for (char c : tag) EXPECT_TRUE(c >= 'A' && c <= 'Z') << tag;
    EXPECT_EQ(SubsetTag("DejaVuSans", codes), tag);
    EXPECT_NE(SubsetTag("DejaVuSerif", codes), tag);
    codes.set('b');
    EXPECT_NE(SubsetTag("DejaVuSans", codes), tag);
}

TEST(PdfFonts, ProgramTheSubsetterCannotCutStaysWhole) {
    // The fake engine's program is no font: it is embedded as it is, under
    // the face's own name and without a ToUnicode map.
    const std::string pdf = FontReport("Verdana", false, false, [](TRvRenderPDF& r) {
        r.EmbedFonts = true;
        r.SubsetFonts = true;
    });
    EXPECT_NE(pdf.find("/BaseFont /Verdana\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("font programendstream"), std::string::npos);
    EXPECT_EQ(pdf.find("/ToUnicode"), std::string::npos);
}

TEST(PdfFonts, InstalledFaceIsEmbeddedAsASubsetWithToUnicode) {
    const auto report = OnePage([](TNdrWriter& w) {
        auto font = Arial();
        font.Name = "DejaVu Sans";
        w.SetFont(font);
        w.PrintLeft(1, "caf\xE9 \x80", 1);
    });
    auto setup = [](bool subset) {
        return [subset](TRvRenderPDF& r) {
            r.FFontEngine = nullptr;
            r.EmbedFonts = true;
            r.SubsetFonts = subset;
        };
    };
    const std::string pdf = ConvertReport(report, setup(true)).Bytes;
    if (pdf.find("/Subtype /TrueType") == std::string::npos) GTEST_SKIP() << "DejaVu Sans is not installed";
    const std::string font = ObjectText(pdf, 7);
    const std::size_t plus = font.find("+DejaVuSans\r\n");
    ASSERT_NE(plus, std::string::npos) << font;
    const std::string name = font.substr(plus - 6, 6 + std::strlen("+DejaVuSans"));
    EXPECT_NE(font.find("/ToUnicode 10 0 R"), std::string::npos) << font;
    EXPECT_NE(ObjectText(pdf, 8).find("/FontName /" + name + "\r\n"), std::string::npos);
    const std::string cmap = ObjectText(pdf, 10);
    EXPECT_NE(cmap.find("6 beginbfchar\r\n<20> <0020>\r\n<61> <0061>\r\n<63> <0063>\r\n<66> <0066>\r\n"
                        "<80> <20AC>\r\n<E9> <00E9>\r\nendbfchar"),
              std::string::npos)
        << cmap;
    // The widths and the descriptor stay those of the whole face.
    const std::string whole = ConvertReport(report, setup(false)).Bytes;
    EXPECT_EQ(ObjectText(whole, 7).find("/ToUnicode"), std::string::npos);
    const std::string widths = ObjectText(whole, 7).substr(ObjectText(whole, 7).find("/FirstChar"));
    EXPECT_NE(font.find(widths.substr(0, widths.find("/FontDescriptor"))), std::string::npos);
    EXPECT_LT(pdf.size() * 10, whole.size());
}

TEST(PdfText, PrintLeftWritesOneTextObject) {
    EXPECT_EQ(PageOneLines(FontReport("Arial", false, false)),
              (L {"BT", "0 0 0 rg", "/F1 0012 Tf", "68.7000 720.0000 Td", "( x ) Tj", "ET"}));
    const L hello = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     w.SetFont(Arial());
                                     w.PrintLeft(1, "Hello", 1);
                                 })).Bytes);
    EXPECT_EQ(hello, (L {"BT", "0 0 0 rg", "/F1 0012 Tf", "68.7000 720.0000 Td", "( Hello ) Tj", "ET"}));
}

TEST(PdfText, TrueTypeLeadInIsTheFacesOwnBlank) {
    // The fake face's blank is 382 thousandths: 12 x 0.382 points before 72.
    const L lines = PageOneLines(FontReport("Verdana", false, false));
    EXPECT_EQ(lines, (L {"BT", "0 0 0 rg", "/F1 0012 Tf", "67.4160 720.0000 Td", "( x ) Tj", "ET"}));
}

TEST(PdfText, SuperAndSubscriptAreSmallerAndMoved) {
    auto scripted = [](bool super, bool sub) {
        return PageOneLines(ConvertReport(OnePage([&](TNdrWriter& w) {
                                              w.SetFont(Arial());
                                              w.FontFlagP(super);
                                              w.FontFlagS(sub);
                                              w.PrintLeft(1, "2", 1);
                                          })).Bytes);
    };
    // 12 points become 8, raised by 4 points or lowered by 2.
    EXPECT_EQ(scripted(true, false), (L {"BT", "0 0 0 rg", "/F1 0008 Tf", "69.8000 724.0000 Td", "( 2 ) Tj", "ET"}));
    EXPECT_EQ(scripted(false, true), (L {"BT", "0 0 0 rg", "/F1 0008 Tf", "69.8000 718.0000 Td", "( 2 ) Tj", "ET"}));
    EXPECT_EQ(scripted(true, true)[3], "69.8000 724.0000 Td");
    EXPECT_EQ(scripted(false, false)[2], "/F1 0012 Tf");

    // Turned a quarter left, the rise moves the text left on the page.
    const L turned = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                      auto font = Arial();
                                      font.Rotation = 90;
                                      w.SetFont(font);
                                      w.FontFlagP(true);
                                      w.PrintLeft(1, "2", 1);
                                  })).Bytes);
    ASSERT_GE(turned.size(), 5u);
    EXPECT_EQ(turned[4], "0.0000 1.0000 -1.0000 0.0000 68.0000 720.0000 Tm");
}

TEST(PdfText, CourierLeadIn) {
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     auto font = Arial(10);
                                     font.Name = "Courier New";
                                     w.SetFont(font);
                                     w.PrintLeft(1, "x", 1);
                                 })).Bytes);
    EXPECT_EQ(lines, (L {"BT", "0 0 0 rg", "/F1 0010 Tf", "65.5000 720.0000 Td", "( x ) Tj", "ET"}));
}

TEST(PdfText, RotatedTextGetsAMatrixAndNoDecoration) {
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     auto font = Arial();
                                     font.Rotation = 90;
                                     w.SetFont(font);
                                     w.FontUnderline(true);
                                     w.PrintLeft(1, "Hello", 1);
                                 })).Bytes);
    EXPECT_EQ(lines, (L {"BT", "0 0 0 rg", "/F1 0012 Tf", "68.7000 720.0000 Td",
                         "0.0000 1.0000 -1.0000 0.0000 72.0000 720.0000 Tm", "( Hello ) Tj", "ET"}));
}

TEST(PdfText, SpecialCharactersAreEscaped) {
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     w.SetFont(Arial());
                                     w.PrintLeft(1, "a(b)\\c", 1);
                                 })).Bytes);
    EXPECT_EQ(lines.at(4), "( a\\(b\\)\\\\c ) Tj");
}

TEST(PdfText, AlignedText) {
    // Helvetica "Hi": H 722 + i 222 = 944/1000 em, 12 points: 0.157333 inch.
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     w.SetFont(Arial());
                                     w.PrintRight(1, "Hi", 2);
                                     w.PrintCenter(1, "Hi", 2);
                                 })).Bytes);
    EXPECT_EQ(lines.at(3), "129.3720 720.0000 Td");
    EXPECT_EQ(lines.at(8), "135.0360 720.0000 Td");
}

TEST(PdfText, RightAlignedTextOutsideTheTurningRangeMovesLeft) {
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     auto font = Arial();
                                     font.Rotation = -90;
                                     w.SetFont(font);
                                     w.PrintRight(1, "Hi", 2);
                                 })).Bytes);
    EXPECT_EQ(lines.at(3), "129.3720 720.0000 Td");
    EXPECT_EQ(lines.at(4), "0.0000 -1.0000 1.0000 0.0000 132.6720 720.0000 Tm");
}

TEST(PdfText, BytesOutsideATrueTypeRangeMeasureNothing) {
    TRvRenderPDF render;
    TFakeFontEngine engine;
    engine.FirstChar = 65;
    engine.LastChar = 90;
    render.FFontEngine = &engine;
    render.BeginDocument();
    render.FCurrentFont = render.FindOrCreateFont("Verdana", 0);
    render.FFontSize = 72;
    EXPECT_DOUBLE_EQ(render.TextWidth("A"), 0.415);  // A + B + C = 10 + 365 + 40, 72 points: one inch an em
    EXPECT_DOUBLE_EQ(render.TextWidth("a~ "), 0.0);
    render.FreeDocumentObjects();
}

TEST(PdfText, UnderlineInTheTextColour) {
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     w.SetPen(0, 4, 1, 0.01f);
                                     w.SetBrush(0xFFFFFF, 0);
                                     auto font = Arial();
                                     font.Color = 0x0000FF;
                                     w.SetFont(font);
                                     w.FontUnderline(true);
                                     w.PrintLeft(1, "Hi", 1);
                                 })).Bytes);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.end()),
              (L {"[] 0 d", "1 0 0 RG", "1 1 1 rg", "1.3104 w ", "72.0000 718.0344 m", "83.3280 718.0344 l S"}));
}

// A font of 1e30 inches is held as the largest 32-bit size; the line
// widths of its decoration are computed past it without wrapping round.
TEST(PdfText, DecorationOfTheLargestFontSize) {
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     auto font = Arial();
                                     font.SizeInches = 1e30f;
                                     w.SetFont(font);
                                     w.FontUnderline(true);
                                     w.FontStrikeOut(true);
                                     w.PrintLeft(1, "x", 1);
                                 })).Bytes);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.at(2), "/F1 2147483647 Tf");
    // (2147483647 + 1) * 0.0014 and * 0.0006 inches, in points.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "216466351.7184 w "), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "92771293.5936 w "), lines.end());
}

TEST(PdfText, ClippedTextLeavesAZeroPenWidth) {
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     w.SetPen(0, 4, 0, 0);
                                     w.PenWidth(0.01f);
                                     w.SetBrush(0xFFFFFF, 0);
                                     w.Rectangle(1, 1, 2, 2);
                                     w.SetFont(Arial());
                                     w.TextRect(1, 1, 2, 1.5f, 1, 1.25f, "Hi");
                                     w.Rectangle(1, 1, 2, 2);
                                 })).Bytes);
    const L expected {" q ", "0.0000 w ", "72.0000 720.0000 72.0000 -36.0000 re W n ", "BT", "0 0 0 rg", "/F1 0012 Tf"};
    ASSERT_GE(lines.size(), 15u);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 5, lines.begin() + 11), expected);
    EXPECT_EQ(lines[14], " Q ");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 15, lines.end()),
              (L {"[] 0 d", "0 0 0 RG", "1 1 1 rg", "0.0000 w ", "72.0000 720.0000 72.0000 -72.0000 re b"}));
}

TEST(PdfText, ClippedTextClipsWhateverThePenAndBrush) {
    // Report writers clip cells with a clear pen and brush; a hatched brush
    // sets its colour for the clip, not its pattern.
    for (std::uint8_t brush : {bsClear, bsCross}) {
        const L lines = PageOneLines(ConvertReport(OnePage([brush](TNdrWriter& w) {
                                         w.SetPen(0, 4, psClear, 0);
                                         w.SetBrush(0x0000FF, brush);
                                         w.SetFont(Arial());
                                         w.TextRect(1, 1, 2, 1.5f, 1, 1.25f, "Hi");
                                     })).Bytes);
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
                  (L {" q ", "[] 0 d", "0 0 0 RG", "1 1 1 rg", "0.0000 w ", "72.0000 720.0000 72.0000 -36.0000 re W n ",
                      "BT"}))
            << static_cast<int>(brush);
        EXPECT_EQ(lines.back(), " Q ");
    }
}

// The text colour and font resource in force at each shown string.
std::vector<std::string> ShownWithColourAndFont(const L& lines) {
    std::vector<std::string> shown;
    std::string colour, font;
    for (const std::string& line : lines) {
        if (line.ends_with(" rg")) colour = line;
        else if (line.ends_with(" Tf")) font = line.substr(0, line.find(' '));
        else if (line.ends_with(" Tj")) shown.push_back(colour + " " + font + " " + line);
    }
    return shown;
}

TEST(PdfText, CentredAndRightFormattedLinesPrintTheirFirstRunInItsOwnFont) {
    for (const bool centred : {true, false}) {
        const L lines = PageOneLines(ConvertReport(OnePage([centred](TNdrWriter& w) {
                                         w.SetFont(Arial());
                                         const std::string text = "Centred: plain start," +
                                                                  ndrwriter::MarkGroup({{'C', "255"}, {'B', "1"}}) +
                                                                  " red and bold";
                                         if (centred) w.PrintCenter(1, text, 4.25f);
                                         else w.PrintRight(1, text, 7.5f);
                                     })).Bytes);
        EXPECT_EQ(ShownWithColourAndFont(lines),
                  (L {"0 0 0 rg /F1 ( Centred: plain start, ) Tj", "1 0 0 rg /F2 (  red and bold ) Tj"}))
            << (centred ? "centred" : "right");
    }
}

TEST(PdfText, JustifiedLinePrintsEachWordOnce) {
    const L lines = PageOneLines(ConvertReport(OnePage([](TNdrWriter& w) {
                                     w.SetFont(Arial());
                                     w.PrintBlock(1, "one two   ", 1, 3);
                                 })).Bytes);
    int shown = 0;
    for (const std::string& line : lines) shown += line.ends_with(" Tj");
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(lines.at(4), "( one ) Tj");
    EXPECT_EQ(lines.back(), "ET");
}

TEST(PdfText, TextsGolden) {
    for (const TNamedReport& report : FeatureReports())
        if (report.Name == "texts") ExpectGolden("texts.pdf", ConvertReport(report.Bytes, report.Setup).Bytes);
}

}  // namespace
}  // namespace tal::testing
