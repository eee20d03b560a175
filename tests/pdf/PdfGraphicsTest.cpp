// Content lines of shapes, lines, arcs and point lists, and the state cache.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {
namespace {

using ndrwriter::TNdrWriter;
using L = std::vector<std::string>;

std::vector<std::string> Draw(const std::function<void(TNdrWriter&)>& draw) {
    return PageOneLines(ConvertReport(OnePage(draw)).Bytes);
}

void BlackPenWhiteBrush(TNdrWriter& w) {
    w.SetPen(0, 4, 0, 0);
    w.PenWidth(0.01f);
    w.SetBrush(0xFFFFFF, 0);
}

TEST(PdfGraphics, RectangleWritesTheStateOnce) {
    EXPECT_EQ(Draw([](TNdrWriter& w) {
                  BlackPenWhiteBrush(w);
                  w.Rectangle(1, 1, 2, 1.5f);
                  w.Rectangle(1, 1, 2, 1.5f);
              }),
              (L {"[] 0 d", "0 0 0 RG", "1 1 1 rg", "0.7200 w ", "72.0000 720.0000 72.0000 -36.0000 re b",
                  "72.0000 720.0000 72.0000 -36.0000 re b"}));
}

TEST(PdfGraphics, LinesTakeTheirColourWhenTheyRun) {
    EXPECT_EQ(Draw([](TNdrWriter& w) {
                  BlackPenWhiteBrush(w);
                  w.MoveTo(1, 1);
                  w.LineTo(2, 1);
                  w.PenColor(0x0000FF);
                  w.MoveTo(1, 2);
                  w.LineTo(2, 2);
              }),
              (L {"[] 0 d", "0 0 0 RG", "1 1 1 rg", "0.7200 w ", "72.0000 720.0000 m", "144.0000 720.0000 l S",
                  "72.0000 648.0000 m", "1 0 0 RG", "144.0000 648.0000 l S"}));
}

TEST(PdfGraphics, ArcFromRightToTopIsOneSegmentTracedFromTheTop) {
    const L lines = Draw([](TNdrWriter& w) {
        BlackPenWhiteBrush(w);
        w.Arc(1, 1, 3, 3, 3, 2, 2, 1);
    });
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[4], "% arc code");
    EXPECT_EQ(lines[5], "144.0000 720.0000 m");  // the top point
    EXPECT_EQ(lines[6].substr(lines[6].size() - 19), "216.0000 648.0000 c");
    EXPECT_EQ(lines[7], "S");
}

TEST(PdfGraphics, ArcFromRightToLeftCoversTheUpperHalf) {
    const L lines = Draw([](TNdrWriter& w) {
        BlackPenWhiteBrush(w);
        w.Arc(1, 1, 3, 3, 3, 2, 1, 2);
    });
    ASSERT_EQ(lines.size(), 9u);
    // Traced from the end point, counter-clockwise seen the other way round.
    EXPECT_EQ(lines[5], "72.0000 648.0000 m");
    EXPECT_NE(lines[6].find("144.0000 720.0000 c"), std::string::npos);
    EXPECT_NE(lines[7].find("216.0000 648.0000 c"), std::string::npos);
}

TEST(PdfGraphics, ArcInAWideBoxFollowsItsEllipse) {
    // A 4 by 2 inch box: the top of the ellipse is 1 inch above the centre,
    // not 2 as a circle of half the width would have it.
    const L lines = Draw([](TNdrWriter& w) {
        BlackPenWhiteBrush(w);
        w.Arc(1, 1, 5, 3, 5, 2, 3, 0);
    });
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[5], "216.0000 720.0000 m");
    EXPECT_NE(lines[6].find("360.0000 648.0000 c"), std::string::npos);
}

TEST(PdfGraphics, ShapesWithEqualAnglesWriteNoPath) {
    const L lines = Draw([](TNdrWriter& w) {
        BlackPenWhiteBrush(w);
        w.Pie(1, 1, 3, 3, 3, 2, 4, 2);
        w.Chord(1, 1, 3, 3, 3, 2, 4, 2);
        w.Arc(1, 1, 3, 3, 3, 2, 4, 2);
    });
    EXPECT_EQ(lines, (L {"[] 0 d", "0 0 0 RG", "1 1 1 rg", "0.7200 w ", "% arc code", "% arc code", "% arc code"}));
}

TEST(PdfGraphics, InvisibleShapesEndTheirPath) {
    const L lines = Draw([](TNdrWriter& w) {
        w.SetPen(0, 4, 5, 0.01f);
        w.SetBrush(0xFFFFFF, 1);
        w.Ellipse(1, 1, 2, 2);
        w.Rectangle(1, 1, 2, 2);
        w.Arc(1, 1, 3, 3, 3, 2, 2, 1);
        w.MoveTo(1, 1);
        w.LineTo(2, 2);
    });
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "n"), 2);
    EXPECT_EQ(lines.back(), "144.0000 648.0000 l n");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "S"), 0);
    for (const std::string& line : lines) EXPECT_EQ(line.find(" re "), std::string::npos) << line;
}

TEST(PdfGraphics, ClosedShapesOutlinedOnlyAreClosed) {
    const L lines = Draw([](TNdrWriter& w) {
        w.SetPen(0, 4, 0, 0.01f);
        w.SetBrush(0xFFFFFF, 1);
        w.Ellipse(1, 1, 2, 2);
        w.Polygon({{1, 1}, {2, 1}, {2, 2}});
        w.Pie(1, 1, 3, 3, 3, 2, 2, 1);
        w.Chord(1, 1, 3, 3, 3, 2, 2, 1);
        w.RoundRect(1, 1, 3, 3, 0.5f, 0.5f);
        w.Rectangle(1, 1, 2, 2);
        w.Polyline({{1, 1}, {2, 1}, {2, 2}});
    });
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "s"), 3);   // ellipse, chord, round rectangle
    int closedLines = 0;
    for (const std::string& line : lines) closedLines += line.ends_with(" l s");  // polygon, pie
    EXPECT_EQ(closedLines, 2);
    EXPECT_EQ(lines.back().substr(lines.back().size() - 3), "l S");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "72.0000 720.0000 72.0000 -72.0000 re S"), lines.end());
}

TEST(PdfGraphics, PolylineBreaksEveryFourthPoint) {
    const L lines = Draw([](TNdrWriter& w) {
        BlackPenWhiteBrush(w);
        w.Polyline({{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {8, 2}});
    });
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[4], "72.0000 720.0000 m");
    EXPECT_EQ(lines[5], "72.0000 720.0000 l 144.0000 720.0000 l 216.0000 720.0000 l 288.0000 720.0000 l ");
    EXPECT_EQ(lines[6], "360.0000 720.0000 l 432.0000 720.0000 l 504.0000 720.0000 l 576.0000 720.0000 l ");
    EXPECT_EQ(lines[7], "576.0000 648.0000 l S");
}

TEST(PdfGraphics, EllipseFrameFollowsTheFrameMode) {
    auto firstMove = [](std::uint8_t mode) {
        const L lines = Draw([mode](TNdrWriter& w) {
            w.PenWidth(0.1f);
            w.FrameMode(mode);
            w.Ellipse(1, 1, 3, 2);
        });
        return lines.at(4);
    };
    EXPECT_EQ(firstMove(0), "144.0000 716.4000 m");  // inset by 0.05 inch
    EXPECT_EQ(firstMove(1), "144.0000 720.0000 m");
    EXPECT_EQ(firstMove(2), "144.0000 723.6000 m");  // grown by 0.05 inch
}

TEST(PdfGraphics, SystemColoursAreBlack) {
    const L lines = Draw([](TNdrWriter& w) {
        w.SetPen(static_cast<std::int32_t>(0x80000005), 4, 0, 0.01f);
        w.SetBrush(static_cast<std::int32_t>(0x80000005), 0);
        w.Rectangle(1, 1, 2, 2);
    });
    EXPECT_EQ(lines.at(1), "0 0 0 RG");
    EXPECT_EQ(lines.at(2), "0 0 0 rg");
}

TEST(PdfGraphics, DashPatterns) {
    const L lines = Draw([](TNdrWriter& w) {
        for (std::uint8_t style : {1, 2, 3, 4, 6}) {
            w.SetPen(0, 4, style, 0.01f);
            w.Rectangle(1, 1, 2, 2);
        }
    });
    for (const char* dash : {"[13 6] 0 d", "[2] 0 d", "[8 4 1 4] 0 d", "[10 3 2 2 2 3] 0 d", "[] 0 d"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), dash), lines.end()) << dash;
}

TEST(PdfGraphics, NonFiniteCoordinatesWriteNumbers) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::string pdf = ConvertReport(OnePage([&](TNdrWriter& w) {
                                BlackPenWhiteBrush(w);
                                w.Rectangle(nan, 1, inf, 2);
                                w.Ellipse(nan, nan, 2, inf);
                                w.Arc(nan, 1, 2, inf, -inf, 1, 2, nan);
                                w.Pie(1, 1, 2, 2, nan, nan, 3, 3);
                                w.MoveTo(inf, -inf);
                                w.LineTo(nan, 1);
                                w.PenWidth(nan);
                                w.Rectangle(1, 1, 2, 2);
                            })).Bytes;
    EXPECT_EQ(pdf.find("nan"), std::string::npos);
    EXPECT_EQ(pdf.find("inf"), std::string::npos);
    EXPECT_NE(pdf.find("1000000000.0000"), std::string::npos);
}

TEST(PdfGraphics, HatchedBrushesFillWithOnePatternPerHatchAndColour) {
    const std::string pdf = ConvertReport(OnePage([](TNdrWriter& w) {
                                BlackPenWhiteBrush(w);
                                w.BrushStyle(bsCross);
                                w.Rectangle(1, 1, 2, 2);
                                w.Rectangle(1, 1, 2, 2);
                                w.BrushStyle(bsSolid);
                                w.Rectangle(1, 1, 2, 2);
                                w.SetBrush(0xFFFFFF, bsCross);
                                w.Ellipse(1, 1, 2, 2);
                                w.SetBrush(0x0000FF, bsCross);
                                w.FillRect(1, 1, 2, 2);
                                // Lines and arcs fill nothing: they leave the
                                // pattern set, and set no colour inside their path.
                                w.MoveTo(1, 1);
                                w.SetBrush(0x00FF00, bsHorizontal);
                                w.LineTo(2, 2);
                                w.Arc(1, 1, 3, 3, 3, 2, 2, 1);
                            })).Bytes;
    const L lines = PageOneLines(pdf);
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ((L(lines.begin(), lines.begin() + 9)),
              (L {"[] 0 d", "0 0 0 RG", "/Pattern cs /P1 scn", "0.7200 w ", "72.0000 720.0000 72.0000 -72.0000 re b",
                  "72.0000 720.0000 72.0000 -72.0000 re b", "1 1 1 rg", "72.0000 720.0000 72.0000 -72.0000 re b",
                  "/Pattern cs /P1 scn"}));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "/Pattern cs /P2 scn"), lines.end());
    int selections = 0;
    for (const std::string& line : lines) selections += line.find("scn") != std::string::npos;
    // The move to the line's start selects the brush's hatch, as it would
    // for a polygon, whose pattern must be set before its path begins.
    EXPECT_EQ(selections, 4) << ::testing::PrintToString(lines);
    const auto move = std::find(lines.begin(), lines.end(), "72.0000 720.0000 m");
    ASSERT_NE(move, lines.end());
    EXPECT_EQ(*(move - 1), "/Pattern cs /P3 scn");
    EXPECT_EQ(*(move + 1), "144.0000 648.0000 l S");
    // Objects: catalog, outlines, pages, page, content, procset, P1, P2, P3.
    EXPECT_NE(ObjectText(pdf, 4).find("/Pattern <<\r\n/P1 7 0 R\r\n/P2 8 0 R\r\n/P3 9 0 R\r\n>>\r\n/ProcSet 6 0 R"),
              std::string::npos);
    const std::string white = ObjectText(pdf, 7), red = ObjectText(pdf, 8);
    EXPECT_NE(white.find("/Type /Pattern\r\n/PatternType 1\r\n/PaintType 1\r\n/TilingType 1\r\n"
                         "/BBox [0 0 6.0000 6.0000]\r\n/XStep 6.0000\r\n/YStep 6.0000\r\n"),
              std::string::npos);
    EXPECT_NE(white.find("stream\r\n0.7500 w\r\n0 J\r\n[] 0 d\r\n1 1 1 RG\r\n"
                         "-1.0000 2.6250 m 7.0000 2.6250 l S\r\n3.3750 -1.0000 m 3.3750 7.0000 l S\r\nendstream"),
              std::string::npos);
    EXPECT_NE(red.find("1 0 0 RG"), std::string::npos);
}

TEST(PdfGraphics, TextAfterAHatchSetsItsColourAgain) {
    const L lines = Draw([](TNdrWriter& w) {
        BlackPenWhiteBrush(w);
        w.SetFont(Arial());
        w.PrintLeft(1, "a", 1);
        w.BrushStyle(bsVertical);
        w.Rectangle(1, 1, 2, 2);
        w.PrintLeft(1, "b", 1);
    });
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "0 0 0 rg"), 2);
}

TEST(PdfGraphics, PatternsAreWrittenOncePerDocument) {
    TNdrWriter writer;
    for (std::int16_t page = 1; page <= 2; ++page) {
        writer.BeginPage(page);
        writer.SetBrush(0x00FF00, bsDiagCross);
        writer.Rectangle(1, 1, 2, 2);
        writer.EndPage();
    }
    const std::string pdf = ConvertReport(writer.Finish()).Bytes;
    std::size_t patterns = 0;
    for (std::size_t at = pdf.find("/Type /Pattern"); at != std::string::npos; at = pdf.find("/Type /Pattern", at + 1))
        ++patterns;
    EXPECT_EQ(patterns, 1u);
    // Both pages name it (objects 4 and 6; the pattern is object 9).
    EXPECT_NE(ObjectText(pdf, 4).find("/P1 9 0 R"), std::string::npos);
    EXPECT_NE(ObjectText(pdf, 6).find("/P1 9 0 R"), std::string::npos);
    // Diagonal lines run through the cell's corners and the neighbours' lines
    // into its other corners.
    const std::string cell = ObjectText(pdf, 9);
    EXPECT_NE(cell.find("-1.0000 7.0000 m 7.0000 -1.0000 l S"), std::string::npos);  // x + y = 6
    EXPECT_NE(cell.find("-1.0000 -1.0000 m 7.0000 7.0000 l S"), std::string::npos);  // y = x
}

TEST(PdfGraphics, ShapesGolden) {
    for (const TNamedReport& report : FeatureReports())
        if (report.Name == "shapes") ExpectGolden("shapes.pdf", ConvertReport(report.Bytes).Bytes);
}

}  // namespace
}  // namespace tal::testing
