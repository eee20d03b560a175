// Shapes: rectangles, rounded rectangles, ellipses and lines with the pen's
// outline and the brush's fill, and the operations that write nothing.
#include <gtest/gtest.h>

#include "tests/rtf/RtfTestSupport.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal {
namespace {

using testing::TRtfOperations;

const std::string Begin = "\r\n{\\*\\do\\dolock\\dobxpage\\dobypage";
const std::string WhiteClearFill =
    "\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255\\dpfillbgcr255\\dpfillbgcg255\\dpfillbgcb255\\dpfillpat0";

// The opening of a shape group over the box, as the first shape of a document.
std::string Group(const std::string& box) {
    return "\r\n{\\shp{\\*\\shpinst" + box +
           "\\shpfhdr0\\shpbxpage\\shpbxignore\\shpbypage\\shpbyignore\\shpwr3\\shpwrk0\\shpfblwtxt0\\shpz1";
}

TEST(Shape, ARectangleWithABlackPenAndAClearBrushIsAHollowShapeAroundTheDrawingObject) {
    TRtfOperations op;
    op.Converter->Brush.SetStyle(bsClear);
    op.Render.FPenWidth = 1.5 / 72;
    op.Render.Rectangle(1, 1, 3, 2);
    // The drawing object names no background colour, which some readers
    // would fill the rectangle with.
    EXPECT_EQ(op.Body(), Group("\\shpleft1440\\shptop1440\\shpright4320\\shpbottom2880") +
                             "{\\sp{\\sn shapeType}{\\sv 1}}{\\sp{\\sn lineColor}{\\sv 0}}{\\sp{\\sn lineWidth}{\\sv 19050}}"
                             "{\\sp{\\sn fFilled}{\\sv 0}}}{\\shprslt" +
                             Begin + "\\dodhgt1\\dprect\\dpx1440\\dpy1440\\dpxsize2880\\dpysize1440\\dplinesolid\\dplinecor0"
                                     "\\dplinecog0\\dplinecob0\\dplinew20"
                                     "\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255\\dpfillpat0}}}");
}

TEST(Shape, ShapePropertiesFollowPenAndBrush) {
    auto properties = [](std::uint8_t penStyle, TColor penColor, std::uint8_t brushStyle, TColor brushColor) {
        TRtfOperations op;
        op.Converter->Pen.Assign(penColor, pmCopy, penStyle, 1);
        op.Converter->Brush.SetColor(brushColor);
        op.Converter->Brush.SetStyle(brushStyle);
        op.Render.FPenWidth = 2.0 / 72;
        op.Render.Ellipse(0, 0, 1, 1);
        const std::string body = op.Body();
        const std::size_t from = body.find("{\\sp{\\sn lineColor}"), to = body.find("}{\\shprslt");
        return from == std::string::npos ? body : body.substr(from, to - from);
    };
    EXPECT_EQ(properties(psSolid, 0x0000FF, bsSolid, 0x00FF00),
              "{\\sp{\\sn lineColor}{\\sv 255}}{\\sp{\\sn lineWidth}{\\sv 25400}}{\\sp{\\sn fillColor}{\\sv 65280}}");
    // Dash styles for the readers that draw them, system colours black,
    // a hatch as a see-through fill of the brush colour.
    EXPECT_EQ(properties(psDashDot, static_cast<TColor>(0x80000008u), bsCross, 0x123456),
              "{\\sp{\\sn lineColor}{\\sv 0}}{\\sp{\\sn lineWidth}{\\sv 25400}}{\\sp{\\sn lineDashing}{\\sv 3}}"
              "{\\sp{\\sn fillColor}{\\sv 1193046}}{\\sp{\\sn fillOpacity}{\\sv 26214}}");
    EXPECT_EQ(properties(psInsideFrame, 0x0000FF, bsClear, 0),
              "{\\sp{\\sn lineColor}{\\sv 255}}{\\sp{\\sn lineWidth}{\\sv 25400}}{\\sp{\\sn fFilled}{\\sv 0}}");
    // A clear pen draws no line.
    TRtfOperations op;
    op.Converter->Pen.SetStyle(psClear);
    op.Render.Rectangle(0, 0, 1, 1);
    EXPECT_NE(op.Body().find("{\\sp{\\sn shapeType}{\\sv 1}}{\\sp{\\sn fLine}{\\sv 0}}{\\sp{\\sn fillColor}"),
              std::string::npos);
}

TEST(Line, DashedLinesAreShapesOfTheirDashes) {
    // Not every reader of shapes draws a dash style: the dashes (13 points
    // on, 6 off) are the shape's own segments, each starting with a move.
    TRtfOperations op;
    op.Converter->Pen.SetStyle(psDash);
    op.Render.MoveTo(1, 1);
    op.Render.LineTo(1 + 40.0 / 72, 1);
    const std::string body = op.Body();
    EXPECT_NE(body.find("{\\sp{\\sn shapeType}{\\sv 0}}"), std::string::npos);
    EXPECT_NE(body.find("{\\sp{\\sn pVerticies}{\\sv 8;6;(0,0);(260,0);(380,0);(640,0);(760,0);(800,0)}}"
                        "{\\sp{\\sn pSegmentInfo}{\\sv 2;7;16384;1;16384;1;16384;1;32768}}"),
              std::string::npos)
        << body;
    EXPECT_EQ(body.find("lineDashing"), std::string::npos);
    EXPECT_NE(body.find("\\dpline\\dpptx0\\dppty0\\dpptx800\\dppty0"), std::string::npos);
    EXPECT_NE(body.find("\\dplinedash"), std::string::npos);
    // Polylines and arcs alike; a solid pen keeps one path.
    const TPoint points[] = {{0, 0}, {1248, 0}, {1248, 1248}};
    op.Render.Polyline(points, 2);
    EXPECT_NE(op.Body().find("{\\sv 2;17;16384;1;16384;1;16384;1;16384;1;16384;1;16384;1;16384;1;16384;1;32768}}"),
              std::string::npos)
        << op.Body();
}

TEST(Shape, ShapesAreStackedInTheOrderTheyAreDrawn) {
    TRtfOperations op;
    op.Render.Rectangle(0, 0, 1, 1);
    op.Render.LineTo(1, 1);
    op.Render.Ellipse(0, 0, 1, 1);
    op.Render.PrintLeft("over", 0.5, 0.5);
    const std::string body = op.Body();
    EXPECT_LT(body.find("\\shpz1{"), body.find("\\shpz2{"));
    EXPECT_LT(body.find("\\shpz2{"), body.find("\\shpz3{"));
    // The drawing object inside a group takes the group's place; a text box
    // drawn later lies above them all, as readers stack by these numbers.
    EXPECT_LT(body.find("\\shpz3{"), body.find("\\dodhgt3\\dpellipse"));
    EXPECT_NE(body.find("\\dodhgt4\\dptxbx"), std::string::npos);
    EXPECT_TRUE(testing::BracesBalanced(body));
}

TEST(Shape, RoundedRectanglesAndEllipsesShareTheRectangleBox) {
    TRtfOperations op;
    op.Render.RoundRect(3, 2, 1, 1, 0.5, 7);  // corners in any order, corner size not written
    op.Render.Ellipse(1, 1, 3, 2);
    const std::string body = op.Body();
    EXPECT_NE(body.find(Begin + "\\dodhgt1\\dprect\\dproundr\\dpx1440\\dpy1440\\dpxsize2880\\dpysize1440\\dplinesolid"),
              std::string::npos);
    EXPECT_NE(body.find(Begin + "\\dodhgt2\\dpellipse\\dpx1440\\dpy1440\\dpxsize2880\\dpysize1440\\dplinesolid"),
              std::string::npos);
}

TEST(Shape, FillPatternsFollowTheBrushStyleOverAWhiteForeground) {
    const char* patterns[] = {"1", "0", "20", "21", "22", "23", "24", "25", "0"};
    for (int style = 0; style <= 8; ++style) {
        TRtfOperations op;
        op.Converter->Brush.SetColor(0x0000FF);
        op.Converter->Brush.SetStyle(static_cast<std::uint8_t>(style));
        op.Render.Rectangle(0, 0, 1, 1);
        const std::string background = style == bsClear ? "" : "\\dpfillbgcr255\\dpfillbgcg0\\dpfillbgcb0";
        EXPECT_NE(op.Body().find("\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255" + background + "\\dpfillpat" +
                                 std::string(patterns[style]) + "}"),
                  std::string::npos)
            << style;
    }
}

TEST(Shape, LineStylesColoursAndWidthsComeFromThePen) {
    const char* keywords[] = {"\\dplinesolid", "\\dplinedash", "\\dplinedot", "\\dplinedado",
                              "\\dplinedadodo", "\\dplinehollow", "", ""};
    for (int style = 0; style <= 7; ++style) {
        TRtfOperations op;
        op.Converter->Pen.Assign(static_cast<TColor>(0xFF804020u), pmCopy, static_cast<std::uint8_t>(style), 3);
        op.Render.Ellipse(0, 0, 1, 1);
        EXPECT_NE(op.Body().find("\\dpysize1440" + std::string(keywords[style]) +
                                 "\\dplinecor32\\dplinecog64\\dplinecob128\\dplinew60\\dpfill"),
                  std::string::npos)
            << style << op.Body();
    }
}

TEST(Line, EndPointsAreWrittenRelativeToTheBoxInTheLinesDirection) {
    TRtfOperations op;
    op.Render.MoveTo(1, 1);
    op.Render.LineTo(2, 3);
    EXPECT_EQ(op.Body(), Group("\\shpleft1440\\shptop1440\\shpright2880\\shpbottom4320") +
                             "{\\sp{\\sn shapeType}{\\sv 20}}{\\sp{\\sn lineColor}{\\sv 0}}{\\sp{\\sn lineWidth}{\\sv 0}}}"
                             "{\\shprslt" + Begin +
                             "\\dodhgt1\\dpline\\dpptx0\\dppty0\\dpptx1440\\dppty2880\\dpx1440\\dpy1440\\dpxsize1440"
                             "\\dpysize2880\\dplinesolid\\dplinecor0\\dplinecog0\\dplinecob0\\dplinew20}}}");
    EXPECT_EQ(op.Render.FCurrentX, 2);
    EXPECT_EQ(op.Render.FCurrentY, 3);
}

TEST(Line, HorizontalVerticalAndRisingLines) {
    auto points = [](double cx, double cy, double x, double y) {
        TRtfOperations op;
        op.Render.MoveTo(cx, cy);
        op.Render.LineTo(x, y);
        const std::string body = op.Body();
        const std::size_t from = body.find("\\dpptx"), to = body.find("\\dplinesolid");
        return body.substr(from, to - from);
    };
    EXPECT_EQ(points(1, 1, 3, 1), "\\dpptx0\\dppty0\\dpptx2880\\dppty0\\dpx1440\\dpy1440\\dpxsize2880\\dpysize0");
    EXPECT_EQ(points(1, 1, 1, 2), "\\dpptx0\\dppty1440\\dpptx0\\dppty0\\dpx1440\\dpy1440\\dpxsize0\\dpysize1440");
    EXPECT_EQ(points(1, 3, 2, 1), "\\dpptx0\\dppty2880\\dpptx1440\\dppty0\\dpx1440\\dpy1440\\dpxsize1440\\dpysize2880");
    EXPECT_EQ(points(2, 3, 1, 1), "\\dpptx0\\dppty0\\dpptx1440\\dppty2880\\dpx1440\\dpy1440\\dpxsize1440\\dpysize2880");
    // The line shape runs from the top-left corner of its box unless turned
    // over: rising lines are.
    auto flipped = [](double cx, double cy, double x, double y) {
        TRtfOperations op;
        op.Render.MoveTo(cx, cy);
        op.Render.LineTo(x, y);
        return op.Body().find("{\\sp{\\sn fFlipV}{\\sv 1}}") != std::string::npos;
    };
    EXPECT_FALSE(flipped(1, 1, 2, 3));
    EXPECT_FALSE(flipped(2, 3, 1, 1));
    EXPECT_TRUE(flipped(1, 3, 2, 1));
    EXPECT_TRUE(flipped(2, 1, 1, 3));
    EXPECT_FALSE(flipped(1, 1, 3, 1));
    EXPECT_FALSE(flipped(1, 2, 1, 1));
}

TEST(Shape, TwipsAreRoundedHalfToEvenAndHugeValuesAreClamped) {
    TRtfOperations op;
    op.Render.Rectangle(0.5 / 1440, 1.5 / 1440, 2.5 / 1440, -1e40);
    const std::string body = op.Body();
    EXPECT_NE(body.find("\\dprect\\dpx0\\dpy-2147483648\\dpxsize2\\dpysize2147483647\\dpline"), std::string::npos)
        << body;
}

TEST(Shape, EncodedImagesWithoutADecoderWriteNothing) {
    const auto result = testing::ConvertToRtf(
        testing::OnePage([&](ndrwriter::TNdrWriter& w) { w.PrintImageData({1, 2, 3}, "JPG", 0, 0, 1, 1); }));
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ(result.Rtf, "{\\rtf1\\ansi{\\fonttbl}{\\colortbl}\\paperw12240\\paperh15840\\par}");
}

}  // namespace
}  // namespace tal
