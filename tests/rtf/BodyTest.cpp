// The body buffer: bytes, numbers and long runs that cross its blocks come
// out whole and in order, and a document written through it keeps every
// byte; colours that read alike share one table entry.
#include <gtest/gtest.h>

#include <string>

#include "rtf/RtfBody.h"
#include "tests/rtf/RtfTestSupport.h"

namespace tal {
namespace {

using testing::TRtfOperations;

// Fills the body and a plain string alike up to just before the end of the
// first block.
void FillToNearBlockEnd(rtf::TBody& body, std::string& expected, std::size_t left) {
    const std::string chunk(4093, 'a');
    while (expected.size() + chunk.size() + left <= rtf::TBody::BlockSize) {
        body.Append(chunk);
        expected += chunk;
    }
    const std::string rest(rtf::TBody::BlockSize - left - expected.size(), 'b');
    body.Append(rest);
    expected += rest;
}

TEST(Body, NumbersTextsAndCharactersCrossBlocksWhole) {
    for (std::size_t left : {0u, 1u, 5u, 23u, 24u}) {
        rtf::TBody body;
        std::string expected;
        FillToNearBlockEnd(body, expected, left);
        body.AppendNumber(-9223372036854775807LL - 1);
        expected += "-9223372036854775808";
        body.Append('{');
        expected += '{';
        body.Append("\\dpx1440");
        expected += "\\dpx1440";
        body.AppendNumber(0);
        expected += "0";
        body.Append("");
        ASSERT_EQ(body.Size(), static_cast<std::int64_t>(expected.size())) << left;
        ASSERT_EQ(body.Text(), expected) << left;
    }
}

TEST(Body, ARunLongerThanTwoBlocksIsWrittenInOrder) {
    rtf::TBody body;
    std::string run;
    for (std::size_t i = 0; i < 2 * rtf::TBody::BlockSize + 12345; ++i) run += static_cast<char>('A' + i % 26);
    body.Append("head ");
    body.Append(run);
    body.Append(" tail");
    TMemoryStream out;
    body.WriteTo(out);
    const std::string written(out.Bytes().begin(), out.Bytes().end());
    EXPECT_EQ(written, "head " + run + " tail");
    EXPECT_EQ(body.Size(), static_cast<std::int64_t>(written.size()));

    const rtf::TBody empty;
    TMemoryStream none;
    empty.WriteTo(none);
    EXPECT_EQ(none.Size(), 0);
    EXPECT_EQ(empty.Text(), "");
}

TEST(Body, ADocumentOfManyBlocksKeepsEveryByte) {
    TRtfOperations op;
    // Enough text boxes for the body to fill more than two blocks.
    const std::string text(700, 'x');
    while (op.Render.FBodyBuffer->Size() < static_cast<std::int64_t>(2 * rtf::TBody::BlockSize + 1000))
        op.Render.PrintLeft(text, 1, 1);
    const std::string body = op.Body();
    const std::string rtf = op.Finish();
    const std::string header =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\fprq0 Arial;}}"
        "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;}";
    EXPECT_EQ(rtf, header + body + "}");
}

TEST(Body, ColoursThatReadAlikeShareOneEntry) {
    TRtfOperations op;
    op.Converter->Brush.SetColor(clWhite);
    op.Converter->Font.SetColor(clWindowText);  // a system colour: black
    op.Render.PrintLeft("a", 1, 1);
    op.Converter->Font.SetColor(0x00000000);  // black itself
    op.Render.PrintLeft("b", 1, 1);
    op.Converter->Font.SetColor(0x55FFFFFF);  // white with a high byte
    op.Render.PrintLeft("c", 1, 1);
    const std::string rtf = op.Finish();
    EXPECT_NE(rtf.find("{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;}"), std::string::npos) << rtf;
    EXPECT_EQ(testing::Count(rtf, "\\cf1\\cb2 "), 2u);
    EXPECT_EQ(testing::Count(rtf, "\\cf2\\cb2 "), 1u);
}

}  // namespace
}  // namespace tal
