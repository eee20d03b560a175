// Reports the writer cannot trust: zero-size pages, huge texts, faces the
// font engine cannot open, and a renderer used without a converter.
#include <gtest/gtest.h>

#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {
namespace {

using ndrwriter::TNdrWriter;

TEST(PdfBadInput, ZeroSizePageKeepsLetter) {
    TNdrWriter writer;
    writer.BeginPage(1, 0, 0);
    writer.EndPage();
    writer.BeginPage(2, -3, 5);
    writer.EndPage();
    const std::string pdf = ConvertReport(writer.Finish()).Bytes;
    EXPECT_NE(ObjectText(pdf, 4).find("/MediaBox [0 0 612.0000 792.0000]"), std::string::npos);
    EXPECT_NE(ObjectText(pdf, 6).find("/MediaBox [0 0 612.0000 360.0000]"), std::string::npos);
}

TEST(PdfBadInput, HugeTextIsWrittenWhole) {
    // The longest text a report can carry; the renderer itself takes more.
    const std::string text(16000, 'W');
    const TPdfResult result = ConvertReport(OnePage([&](TNdrWriter& w) {
        w.SetFont(Arial());
        w.PrintLeft(1, text, 1);
        w.PrintBlock(2, text.substr(0, 7000) + " " + text.substr(0, 7000), 1, 5);
    }));
    EXPECT_EQ(result.Error, "");
    EXPECT_NE(result.Bytes.find("( " + text + " ) Tj"), std::string::npos);

    TRvRenderPDF render;
    TMemoryStream out;
    render.SetOutputStream(&out);
    const std::string huge(4'000'000, '(');
    render.PrintLeft(huge, 1, 1);
    render.EndDocument();
    EXPECT_GT(out.Size(), 8'000'000);
}

TEST(PdfBadInput, UnreadableFaceFallsBackToHelvetica) {
    const TPdfResult result = ConvertReport(OnePage([](TNdrWriter& w) {
        auto font = Arial();
        font.Name = "Broken Face";
        w.SetFont(font);
        w.PrintLeft(1, "Hi", 1);
        w.PrintLeft(2, "again", 1);
    }));
    EXPECT_EQ(result.Error, "");
    EXPECT_NE(result.Bytes.find("/BaseFont /Helvetica\r\n"), std::string::npos);
    EXPECT_EQ(result.Bytes.find("BrokenFace"), std::string::npos);
}

TEST(PdfBadInput, OperationsWithoutAConverter) {
    TRvRenderPDF render;
    TMemoryStream out;
    render.SetOutputStream(&out);
    render.Rectangle(1, 1, 2, 2);  // opens a document of its own
    render.PrintLeft("x", 1, 1);
    render.PrintLeft("", 1, 2);  // an empty text still makes a text object
    TRect rect {0, 0, 10, 10};
    render.FillRect(rect);
    render.EndDocument();
    const std::string pdf(reinterpret_cast<const char*>(out.Data()), static_cast<std::size_t>(out.Size()));
    EXPECT_NE(pdf.find("re b"), std::string::npos);
    EXPECT_NE(pdf.find("BT\r\n/F1 0012 Tf\r\n68.7000 648.0000 Td\r\n(  ) Tj\r\nET\r\n"), std::string::npos);
    EXPECT_EQ(pdf.substr(pdf.size() - 7), "%%EOF\r\n");
    render.EndDocument();  // nothing open: nothing happens
}

TEST(PdfBadInput, TheSameComponentConvertsTwice) {
    TMemoryStream first, second;
    // Fonts too: what the component remembers of one document's fonts must
    // not outlive it.
    const auto report = OnePage([](TNdrWriter& w) {
        w.Rectangle(1, 1, 2, 2);
        for (const char* face : {"Arial", "Courier New", "Arial"}) {
            auto font = Arial();
            font.Name = face;
            w.SetFont(font);
            w.PrintLeft(1, face, 1);
        }
    });
    TRvRenderPDF render;
    for (TMemoryStream* out : {&first, &second}) {
        TMemoryStream input(report);
        render.SetOutputStream(out);
        render.FInputStream = &input;
        render.Clock = [] { return TDateTime {2026, 1, 1, 0, 0, 0, 0}; };
        render.ConvertPages(0);
    }
    EXPECT_EQ(first.Bytes(), second.Bytes());
}

}  // namespace
}  // namespace tal::testing
