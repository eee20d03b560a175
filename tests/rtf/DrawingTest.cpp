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

TEST(Shape, ARectangleWithABlackPenAndAClearBrush) {
    TRtfOperations op;
    op.Converter->Brush.SetStyle(bsClear);
    op.Render.Rectangle(1, 1, 3, 2);
    EXPECT_EQ(op.Body(), Begin + "\\dprect\\dpx1440\\dpy1440\\dpxsize2880\\dpysize1440\\dplinesolid\\dplinecor0"
                                 "\\dplinecog0\\dplinecob0\\dplinew20" + WhiteClearFill + "}");
}

TEST(Shape, RoundedRectanglesAndEllipsesShareTheRectangleBox) {
    TRtfOperations op;
    op.Render.RoundRect(3, 2, 1, 1, 0.5, 7);  // corners in any order, corner size not written
    op.Render.Ellipse(1, 1, 3, 2);
    const std::string body = op.Body();
    EXPECT_NE(body.find(Begin + "\\dprect\\dproundr\\dpx1440\\dpy1440\\dpxsize2880\\dpysize1440\\dplinesolid"),
              std::string::npos);
    EXPECT_NE(body.find(Begin + "\\dpellipse\\dpx1440\\dpy1440\\dpxsize2880\\dpysize1440\\dplinesolid"),
              std::string::npos);
}

TEST(Shape, FillPatternsFollowTheBrushStyleOverAWhiteForeground) {
    const char* patterns[] = {"1", "0", "20", "21", "22", "23", "24", "25", "0"};
    for (int style = 0; style <= 8; ++style) {
        TRtfOperations op;
        op.Converter->Brush.SetColor(0x0000FF);
        op.Converter->Brush.SetStyle(static_cast<std::uint8_t>(style));
        op.Render.Rectangle(0, 0, 1, 1);
        EXPECT_NE(op.Body().find("\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255\\dpfillbgcr255\\dpfillbgcg0"
                                 "\\dpfillbgcb0\\dpfillpat" + std::string(patterns[style]) + "}"),
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
    EXPECT_EQ(op.Body(), Begin + "\\dpline\\dpptx0\\dppty0\\dpptx1440\\dppty2880\\dpx1440\\dpy1440\\dpxsize1440"
                                 "\\dpysize2880\\dplinesolid\\dplinecor0\\dplinecog0\\dplinecob0\\dplinew20}");
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
}

TEST(Shape, TwipsAreRoundedHalfToEvenAndHugeValuesAreClamped) {
    TRtfOperations op;
    op.Render.Rectangle(0.5 / 1440, 1.5 / 1440, 2.5 / 1440, -1e40);
    const std::string body = op.Body();
    EXPECT_NE(body.find("\\dprect\\dpx0\\dpy-2147483648\\dpxsize2\\dpysize2147483647\\dpline"), std::string::npos)
        << body;
}

TEST(Shape, OperationsWithoutAnRtfFormWriteNothing) {
    const auto bitmap = ndrwriter::SolidBitmap(2, 2, 0x0000FF);
    const ndrwriter::TGraphicData picture {1, bitmap, false};
    const auto result = testing::ConvertToRtf(testing::OnePage([&](ndrwriter::TNdrWriter& w) {
        w.Arc(0, 0, 1, 1, 0, 0, 1, 1);
        w.Chord(0, 0, 1, 1, 0, 0, 1, 1);
        w.Pie(0, 0, 1, 1, 0, 0, 1, 1);
        w.Polygon({{0, 0}, {1, 1}, {0, 1}});
        w.Polyline({{0, 0}, {1, 1}});
        w.FillRect(0, 0, 1, 1);
        w.PrintBitmap(picture, 1, 1, 1, 1);
        w.Draw(picture, 1, 1);
        w.PrintImageData({1, 2, 3}, "JPG", 0, 0, 1, 1);
    }));
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ(result.Rtf, "{\\rtf1\\ansi{\\fonttbl}{\\colortbl}\\paperw12240\\paperh15840\\par}");
}

}  // namespace
}  // namespace tal
