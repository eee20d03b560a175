// The writer's fast paths give the bytes of the plain ones: numbers written
// straight into the page against the formatter, runs of bytes across the
// arena's blocks, deflating in pieces against FlateCompress, and whole
// documents of many pages, plain and compressed.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "pdf/PdfByteArena.h"
#include "pdf/PdfCompress.h"
#include "pdf/PdfFormat.h"
#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {
namespace {

using ndrwriter::TNdrWriter;

std::string Fast(double v) {
    char buffer[pdf::MaxFixed4Chars];
    return std::string(buffer, pdf::AppendFixed4(buffer, v));
}

// Several million values: everyday coordinates (whole twips and points),
// values on and beside the ties of the fourth decimal, every magnitude up to
// the clamp, bit patterns of any kind, and the values that are not numbers.
TEST(PdfFastFormat, CoordinatesMatchTheFormatter) {
    std::mt19937_64 random(20261208);
    auto expectSame = [](double v) {
        ASSERT_EQ(Fast(v), pdf::FormatPDF("%.4f", {v})) << std::hexfloat << v;
    };
    for (int twips = -200000; twips <= 200000; ++twips) expectSame(twips / 1440.0 * 72.0);
    for (int i = 0; i < 1'000'000; ++i) {
        const double tie = (static_cast<double>(random() % 200'000'000) + 0.5) / 10000.0;
        expectSame(tie);
        expectSame(-tie);
        expectSame(std::nextafter(tie, 0.0));
        expectSame(std::nextafter(tie, 1e10));
    }
    std::uniform_real_distribution<double> exponent(-12.0, 9.2);
    for (int i = 0; i < 1'000'000; ++i) {
        const double v = std::pow(10.0, exponent(random)) * (random() % 2 ? 1 : -1);
        expectSame(v);
        expectSame(std::bit_cast<double>(random()));
    }
    for (double v : {0.0, -0.0, 1e-300, -1e-300, -0.00004999, 0.00005, 999999999.99995, 1e9, -1e9, 1e9 + 1, 1e300,
                     std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::denorm_min()})
        expectSame(v);
}

TEST(PdfFastFormat, ColorsFontSizesIntegersAndTexts) {
    char buffer[64];
    auto color = [&](TColor c) { return std::string(buffer, pdf::AppendColor(buffer, c)); };
    for (TColor c = 0; c < 256; ++c) {
        ASSERT_EQ(color(c), pdf::ColorToPDF(c));
        ASSERT_EQ(color(c << 8), pdf::ColorToPDF(c << 8));
        ASSERT_EQ(color(c << 16 | 0x8001), pdf::ColorToPDF(c << 16 | 0x8001));
    }
    std::mt19937 random(7);
    for (int i = 0; i < 200'000; ++i) {
        const auto c = static_cast<TColor>(random());
        ASSERT_EQ(color(c), pdf::ColorToPDF(c));
    }
    auto size = [&](std::int32_t points) { return std::string(buffer, pdf::AppendFontSizeText(buffer, points)); };
    for (std::int32_t points = -20000; points <= 20000; ++points) ASSERT_EQ(size(points), pdf::FontSizeText(points));
    for (std::int32_t points : {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                                123456, -99999})
        EXPECT_EQ(size(points), pdf::FontSizeText(points));
    for (std::int64_t v : {std::int64_t {0}, std::int64_t {-7}, std::numeric_limits<std::int64_t>::min(),
                           std::numeric_limits<std::int64_t>::max()})
        EXPECT_EQ(std::string(buffer, pdf::AppendInteger(buffer, v)), std::to_string(v));
    const std::string text = "a(b)c\\d()";
    EXPECT_EQ(std::string(buffer, pdf::AppendEscapedText(buffer, text)), pdf::EscapeText(text));
}

std::string Joined(const std::vector<pdf::TByteSpan>& spans) {
    std::string bytes;
    for (const pdf::TByteSpan& span : spans) bytes.append(span.Data, span.Size);
    return bytes;
}

// Two runs written by turns keep their own bytes, also where they go on in
// a new block, and a single append larger than any block gets one of its own.
TEST(PdfByteArena, RunsKeepTheirBytesAcrossBlocks) {
    pdf::TByteArena arena;
    std::vector<pdf::TByteSpan> first, second;
    std::string expectFirst, expectSecond;
    std::mt19937 random(3);
    for (int i = 0; i < 20000; ++i) {
        const bool toFirst = (i / 50) % 2 == 0;
        std::string piece(random() % 700, static_cast<char>('a' + i % 26));
        if (i % 3 == 0) {
            char* room = (toFirst ? arena.BeginRun(first) : arena.BeginRun(second), arena.Room(piece.size()));
            std::memcpy(room, piece.data(), piece.size());
            arena.Advance(room + piece.size());
        } else {
            if (!arena.IsRunOf(toFirst ? first : second)) arena.BeginRun(toFirst ? first : second);
            arena.Append(piece);
        }
        (toFirst ? expectFirst : expectSecond) += piece;
    }
    const std::string huge(40u << 20, 'z');
    arena.BeginRun(first);
    arena.Append(huge);
    arena.EndRun();
    expectFirst += huge;
    EXPECT_EQ(Joined(first), expectFirst);
    EXPECT_EQ(Joined(second), expectSecond);
    EXPECT_GT(arena.Capacity(), huge.size());

    std::vector<pdf::TByteSpan> again;
    arena.Rewind();
    arena.BeginRun(again);
    arena.Append("2 J\r\n");
    arena.EndRun();
    EXPECT_EQ(Joined(again), "2 J\r\n");
    arena.Release();
    EXPECT_EQ(arena.Capacity(), 0u);
}

// Cut anywhere, and one call after another, the pieces deflate to the bytes
// FlateCompress gives for them whole.
TEST(PdfFlateEncoder, PiecesGiveTheBytesOfFlateCompress) {
    std::string text;
    std::mt19937 random(11);
    for (int i = 0; i < 30000; ++i) text += pdf::FormatPDF("%.4f %.4f l ", {random() % 6000 / 7.0, random() % 8000 / 3.0});
    TFlateEncoder encoder;
    pdf::TByteArena arena;
    for (std::size_t cuts : {0u, 1u, 2u, 17u}) {
        for (std::size_t length : {std::size_t {0}, std::size_t {1}, std::size_t {5000}, text.size()}) {
            std::vector<pdf::TByteSpan> pieces;
            std::size_t at = 0;
            for (std::size_t c = 0; c < cuts && at < length; ++c) {
                const std::size_t n = std::min<std::size_t>(length - at, random() % (length / (cuts + 1) + 1));
                pieces.push_back({text.data() + at, n});
                at += n;
            }
            if (at < length || pieces.empty()) pieces.push_back({text.data() + at, length - at});
            std::vector<pdf::TByteSpan> encoded;
            encoder.Encode(pieces, arena, encoded);

            TMemoryStream in(std::vector<std::uint8_t>(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length)));
            TMemoryStream out;
            std::string method;
            FlateCompress(in, out, method);
            EXPECT_EQ(Joined(encoded), std::string(reinterpret_cast<const char*>(out.Data()), out.Bytes().size()))
                << cuts << " cuts, " << length << " bytes";
        }
    }
}

// Pages far beyond the first block of the arena: the compressed document is
// the same through the library's encoder and through a handler of one's own,
// its streams are the plain document's deflated, and every cross-reference
// entry of both points at its object.
TEST(PdfDocument, ManyPagesPlainAndCompressedAgree) {
    TNdrWriter writer;
    for (std::int16_t page = 1; page <= 120; ++page) {
        writer.BeginPage(page);
        writer.SetFont(Arial(9));
        for (int line = 0; line < 120; ++line) {
            const float y = 0.5f + static_cast<float>(line) * 0.083f;
            writer.PrintLeft(y, "Page " + std::to_string(page) + " line (" + std::to_string(line) + ") \\ herring", 0.5f);
            writer.Rectangle(5.0f, y, 5.0f + static_cast<float>(line % 7) * 0.3f, y + 0.05f);
        }
        writer.EndPage();
    }
    const std::vector<std::uint8_t> report = writer.Finish();
    const TPdfResult result = ConvertReport(report);
    ASSERT_EQ(result.Error, "");
    const std::string& plain = result.Bytes;
    const std::string library = ConvertReport(report, [](TRvRenderPDF& r) {
                                    r.UseCompression = true;
                                    r.OnCompress = FlateCompress;
                                }).Bytes;
    const std::string handler = ConvertReport(report, [](TRvRenderPDF& r) {
                                    r.UseCompression = true;
                                    r.OnCompress = [](TStream& in, TStream& out, std::string& method) {
                                        FlateCompress(in, out, method);
                                    };
                                }).Bytes;
    ASSERT_GT(plain.size(), 2u << 20);
    EXPECT_EQ(library, handler);
    for (int page = 0; page < 120; ++page) {
        const std::string content = StreamData(plain, page);
        ASSERT_EQ(content.rfind("2 J\r\n", 0), 0u);
        TMemoryStream in(std::vector<std::uint8_t>(content.begin(), content.end()));
        TMemoryStream out;
        std::string method;
        FlateCompress(in, out, method);
        ASSERT_EQ(StreamData(library, page), std::string(reinterpret_cast<const char*>(out.Data()), out.Bytes().size()))
            << "page " << page + 1;
    }
    for (const std::string* pdf : {&plain, &library}) {
        const std::size_t xref = pdf->find("\r\nxref\r\n");
        const std::vector<std::string> lines = Lines(pdf->substr(xref + 2));
        for (std::size_t i = 3; i < lines.size() && !lines[i].empty(); ++i) {
            const std::string head = std::to_string(i - 2) + " 0 obj\r\n";
            ASSERT_EQ(pdf->compare(static_cast<std::size_t>(std::stoll(lines[i])), head.size(), head), 0) << head;
        }
        EXPECT_EQ(pdf->substr(pdf->rfind("startxref\r\n") + 11, std::to_string(xref + 2).size()),
                  std::to_string(xref + 2));
    }
}

}  // namespace
}  // namespace tal::testing
