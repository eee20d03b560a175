// Arcs, chords, pies, polygons, polylines, filled rectangles and pictures
// placed by position: the outlines they follow and the shapes they become.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "rtf/RtfGeometry.h"
#include "tests/rtf/RtfTestSupport.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal {
namespace {

using rtf::TArcKind;
using rtf::TPathPoint;
using testing::Count;
using testing::TRtfOperations;

void ExpectPoint(const TPathPoint& p, double x, double y) {
    EXPECT_NEAR(p.X, x, 1e-9);
    EXPECT_NEAR(p.Y, y, 1e-9);
}

TEST(Outline, ArcsRunCounterClockwiseFromTheFirstRayToTheSecondOnTheEllipse) {
    // The upper half of an ellipse 4 by 2 inches: from its right end over the
    // top to its left end.
    const auto upper = rtf::ArcPath(TArcKind::Open, 0, 0, 4, 2, 4, 1, 0, 1);
    ASSERT_GT(upper.size(), 30u);
    ExpectPoint(upper.front(), 4, 1);
    ExpectPoint(upper.back(), 0, 1);
    for (const TPathPoint& p : upper) {
        EXPECT_LE(p.Y, 1 + 1e-9);  // never below the centre line
        EXPECT_NEAR((p.X - 2) * (p.X - 2) / 4 + (p.Y - 1) * (p.Y - 1), 1, 1e-9);  // on the ellipse
    }
    // Rays far outside the box cut the ellipse where they cross it: the ray
    // through (10, -3) meets the ellipse of the 4 by 2 box at 45 degrees of
    // the circle it is squeezed from.
    const auto quarter = rtf::ArcPath(TArcKind::Open, 0, 0, 4, 2, 10, -3, 2, -7);
    ExpectPoint(quarter.front(), 2 + 2 * std::cos(M_PI / 4), 1 - std::sin(M_PI / 4));
    ExpectPoint(quarter.back(), 2, 0);
    // The lower half, going on from the left end.
    const auto lower = rtf::ArcPath(TArcKind::Open, 0, 0, 4, 2, 0, 1, 4, 1);
    for (const TPathPoint& p : lower) EXPECT_GE(p.Y, 1 - 1e-9);
    // Rays at the same angle draw nothing.
    EXPECT_TRUE(rtf::ArcPath(TArcKind::Pie, 0, 0, 4, 2, 4, 1, 8, 1).empty());
}

TEST(Outline, ChordsCloseOnTheirFirstPointAndPiesPassThroughTheCentre) {
    const auto chord = rtf::ArcPath(TArcKind::Chord, 0, 0, 2, 2, 2, 1, 1, 0);
    ExpectPoint(chord[chord.size() - 2], 1, 0);
    ExpectPoint(chord.back(), 2, 1);
    const auto pie = rtf::ArcPath(TArcKind::Pie, 0, 0, 2, 2, 2, 1, 1, 0);
    ASSERT_EQ(pie.size(), chord.size() + 1);
    ExpectPoint(pie[pie.size() - 2], 1, 1);
    ExpectPoint(pie.back(), 2, 1);
}

TEST(Outline, RoundedCornersStayInsideTheRectangleAndTouchEveryEdge) {
    const auto path = rtf::RoundRectPath(3, 2, 1, 1, 0.5, 0.25);  // corners in any order
    ExpectPoint(path.front(), path.back().X, path.back().Y);
    double left = 9, top = 9, right = -9, bottom = -9;
    for (const TPathPoint& p : path) {
        left = std::min(left, p.X);
        top = std::min(top, p.Y);
        right = std::max(right, p.X);
        bottom = std::max(bottom, p.Y);
        // No point lies in a corner square outside its quarter ellipse.
        const double dx = std::max({0.0, 1.25 - p.X, p.X - 2.75}) / 0.25;
        const double dy = std::max({0.0, 1.125 - p.Y, p.Y - 1.875}) / 0.125;
        EXPECT_LE(dx * dx + dy * dy, 1 + 1e-9);
    }
    EXPECT_DOUBLE_EQ(left, 1);
    EXPECT_DOUBLE_EQ(top, 1);
    EXPECT_DOUBLE_EQ(right, 3);
    EXPECT_DOUBLE_EQ(bottom, 2);
    // A corner larger than the rectangle is held inside it: an ellipse.
    for (const TPathPoint& p : rtf::RoundRectPath(0, 0, 2, 1, 10, 10))
        EXPECT_NEAR((p.X - 1) * (p.X - 1) + (p.Y - 0.5) * (p.Y - 0.5) * 4, 1, 1e-9);
}

TEST(Outline, CurvesTakeAsManySegmentsAsTheirSizeNeeds) {
    // No chord's middle strays more than a tenth of a point from the curve.
    auto worst = [](const std::vector<TPathPoint>& path, double cx, double cy, double r) {
        double deviation = 0;
        for (std::size_t i = 1; i < path.size(); ++i) {
            const double mx = (path[i - 1].X + path[i].X) / 2, my = (path[i - 1].Y + path[i].Y) / 2;
            deviation = std::max(deviation, r - std::hypot(mx - cx, my - cy));
        }
        return deviation;
    };
    auto half = [](double d) { return rtf::ArcPath(TArcKind::Open, 0, 0, d, d, d, d / 2, 0, d / 2); };
    const auto small = half(0.2), large = half(6);
    EXPECT_LT(small.size(), 20u);
    EXPECT_GT(large.size(), 40u);
    EXPECT_LE(worst(small, 0.1, 0.1, 0.1), 0.1 / 72 + 1e-12);
    EXPECT_LE(worst(large, 3, 3, 3), 0.1 / 72 + 1e-12);
    // Never coarser than 3 degrees; a point-sized arc still has two segments.
    EXPECT_EQ(half(1000).size(), 61u);
    EXPECT_EQ(rtf::ArcPath(TArcKind::Open, 0, 0, 0, 0, 1, 0, -1, 0).size(), 3u);
}

TEST(Outline, DashesRunOnAroundCornersAndRepeatTheirPattern) {
    // A right angle 2 + 2 inches long, dashes of 1.2 and gaps of 0.5 inch.
    const auto dashes = rtf::Dashes({{0, 0}, {2, 0}, {2, 2}}, {1.2, 0.5});
    ASSERT_EQ(dashes.size(), 3u);
    ExpectPoint(dashes[0].front(), 0, 0);
    ExpectPoint(dashes[0].back(), 1.2, 0);
    // The second dash turns the corner.
    ASSERT_EQ(dashes[1].size(), 3u);
    ExpectPoint(dashes[1][0], 1.7, 0);
    ExpectPoint(dashes[1][1], 2, 0);
    ExpectPoint(dashes[1][2], 2, 0.9);
    // The last ends with the path.
    ExpectPoint(dashes[2].front(), 2, 1.4);
    ExpectPoint(dashes[2].back(), 2, 2);
    // Four entries: dash, gap, dot, gap.
    EXPECT_EQ(rtf::Dashes({{0, 0}, {10, 0}}, {2, 1, 0.5, 1}).size(), 5u);  // dash, dot, dash, dot, dash
    // A pattern without length leaves the path whole.
    EXPECT_EQ(rtf::Dashes({{0, 0}, {1, 0}}, {0, 0}).size(), 1u);
    // So does a path of more than 10,000 periods (a 644-byte report once
    // drew a line of 2^31 twips in dashes: a 253 MB document, 1.3 GB held);
    // 10,000 periods are still dashed.
    EXPECT_EQ(rtf::Dashes({{0, 0}, {10000, 0}, {10000, 0.1}}, {0.5, 0.5}).size(), 1u);
    EXPECT_EQ(rtf::Dashes({{0, 0}, {1.5e6, 0}}, {0.13, 0.06}).size(), 1u);
    EXPECT_EQ(rtf::Dashes({{0, 0}, {10000, 0}}, {0.5, 0.5}).size(), 10000u);
    // Several dashes in one freeform shape: a move starts each.
    const std::string geometry = rtf::FreeformGeometry(dashes, rtf::BoundingBox({{0, 0}, {2, 2}}));
    EXPECT_NE(geometry.find("{\\sv 2;7;16384;1;16384;2;16384;1;32768}}"), std::string::npos) << geometry;
}

TEST(Outline, FreeformGeometryCountsItsLinesInEntriesOfAtMost8191) {
    std::vector<TPathPoint> points;
    for (int i = 0; i < 9000; ++i) points.push_back({i / 1440.0, (i % 2) / 1440.0});
    const std::string geometry = rtf::FreeformGeometry(points, rtf::BoundingBox(points));
    EXPECT_NE(geometry.find("{\\sp{\\sn pSegmentInfo}{\\sv 2;4;16384;8191;808;32768}}"), std::string::npos);
    EXPECT_NE(geometry.find("{\\sp{\\sn pVerticies}{\\sv 8;9000;(0,0);(1,1);(2,0);"), std::string::npos);
    // A vertical line still has a coordinate space one twip wide.
    EXPECT_NE(rtf::FreeformGeometry({{1, 1}, {1, 2}}, rtf::BoundingBox({{1, 1}, {1, 2}}))
                  .find("{\\sp{\\sn geoRight}{\\sv 1}}{\\sp{\\sn geoBottom}{\\sv 1440}}"),
              std::string::npos);
}

TEST(PathShape, PolygonsArePolygonShapesClosedOnTheirFirstPoint) {
    TRtfOperations op;
    op.Converter->Brush.SetColor(0x00FF00);
    const TPoint points[] = {{1248, 1248}, {2496, 2496}, {1248, 2496}, {0, 0}};
    op.Render.Polygon(points, 2);  // the fourth point is beyond the count
    const std::string body = op.Body();
    EXPECT_NE(body.find("\\shpleft1440\\shptop1440\\shpright2880\\shpbottom2880"), std::string::npos);
    EXPECT_NE(body.find("{\\sp{\\sn shapeType}{\\sv 0}}{\\sp{\\sn geoLeft}{\\sv 0}}{\\sp{\\sn geoTop}{\\sv 0}}"
                        "{\\sp{\\sn geoRight}{\\sv 1440}}{\\sp{\\sn geoBottom}{\\sv 1440}}"
                        "{\\sp{\\sn pVerticies}{\\sv 8;4;(0,0);(1440,1440);(0,1440);(0,0)}}"
                        "{\\sp{\\sn pSegmentInfo}{\\sv 2;3;16384;3;32768}}"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("{\\sp{\\sn fillColor}{\\sv 65280}}"), std::string::npos);
    EXPECT_NE(body.find("{\\shprslt\r\n{\\*\\do\\dolock\\dobxpage\\dobypage\\dodhgt1\\dppolygon\\dppolycount4\\dpptx0\\dppty0"
                        "\\dpptx1440\\dppty1440\\dpptx0\\dppty1440\\dpptx0\\dppty0\\dpx1440\\dpy1440\\dpxsize1440"
                        "\\dpysize1440\\dplinesolid"),
              std::string::npos);
    EXPECT_NE(body.find("\\dpfillbgcr0\\dpfillbgcg255\\dpfillbgcb0\\dpfillpat1}}}"), std::string::npos);
    EXPECT_TRUE(testing::BracesBalanced(body));
}

TEST(PathShape, PolylinesAndArcsAreNeverFilled) {
    TRtfOperations op;
    const TPoint points[] = {{0, 0}, {1248, 624}, {2496, 0}};
    op.Render.Polyline(points, 2);
    op.Render.Arc(0, 0, 2, 1, 2, 0.5, 0, 0.5);
    const std::string body = op.Body();
    EXPECT_EQ(Count(body, "{\\sp{\\sn fFilled}{\\sv 0}}"), 2u);
    EXPECT_EQ(Count(body, "\\dppolyline\\dppolycount"), 2u);
    EXPECT_NE(body.find("\\dppolyline\\dppolycount3\\dpptx0\\dppty0\\dpptx1440\\dppty720\\dpptx2880\\dppty0"),
              std::string::npos);
    EXPECT_EQ(Count(body, "\\dpfill"), 0u);
}

TEST(PathShape, ChordsAndPiesAreFilledAndEmptyOrSinglePointListsDrawNothing) {
    TRtfOperations op;
    op.Render.Chord(0, 0, 2, 1, 2, 0.5, 0, 0.5);
    op.Render.Pie(0, 0, 2, 1, 2, 0.5, 1, 0);
    EXPECT_EQ(Count(op.Body(), "\\dppolygon\\dppolycount"), 2u);
    EXPECT_EQ(Count(op.Body(), "{\\sp{\\sn fillColor}{\\sv 16777215}}"), 2u);
    TRtfOperations none;
    const TPoint one[] = {{0, 0}};
    none.Render.Polygon(one, 0);
    none.Render.Polyline(one, -1);
    none.Render.Pie(0, 0, 2, 1, 2, 0.5, 4, 0.5);  // both rays at 0 degrees
    EXPECT_EQ(none.Body(), "");
}

TEST(PathShape, FillRectIsAFilledRectangleWithoutOutline) {
    TRtfOperations op;
    op.Converter->Brush.SetColor(0x808000);
    op.Render.FillRect({72, 144, 216, 180});
    const std::string body = op.Body();
    EXPECT_NE(body.find("\\shpleft1440\\shptop2880\\shpright4320\\shpbottom3600"), std::string::npos);
    EXPECT_NE(body.find("{\\sp{\\sn shapeType}{\\sv 1}}{\\sp{\\sn fLine}{\\sv 0}}{\\sp{\\sn fillColor}{\\sv 8421376}}}"),
              std::string::npos);
    EXPECT_NE(body.find("\\dprect\\dpx1440\\dpy2880\\dpxsize2880\\dpysize720\\dplinehollow\\dpfillfgcr255\\dpfillfgcg255"
                        "\\dpfillfgcb255\\dpfillbgcr0\\dpfillbgcg128\\dpfillbgcb128\\dpfillpat1}}}"),
              std::string::npos);
    // With a clear brush there is nothing to draw.
    op.Converter->Brush.SetStyle(bsClear);
    const std::size_t before = op.Body().size();
    op.Render.FillRect({72, 144, 216, 180});
    EXPECT_EQ(op.Body().size(), before);
}

TEST(PlacedPicture, BitmapsByScaleAndGraphicsAtTheirOwnSizeBecomePictureObjects) {
    const ndrwriter::TGraphicData bitmap {1, ndrwriter::SolidBitmap(48, 32, 0x2060C0), false};
    const ndrwriter::TGraphicData metafile {2, ndrwriter::RectangleMetafile(2880, 1440), false};
    const auto result = testing::ConvertToRtf(testing::OnePage([&](ndrwriter::TNdrWriter& w) {
        w.PrintBitmap(bitmap, 1, 2, 1.5f, 3);
        w.Draw(metafile, 4, 1);
    }));
    ASSERT_EQ(result.Error, "");
    // 48 by 32 pixels as points, scaled 1.5 and 3: 1 by 4/3 inches.
    EXPECT_NE(result.Rtf.find("\\picwgoal1440\\pichgoal1920 "), std::string::npos);
    EXPECT_NE(result.Rtf.find("\\dpx1440\\dpy2880\\dpxsize1440\\dpysize1920\\dplinehollow"), std::string::npos);
    // A metafile of 2 by 1 inches is 192 by 96 reference pixels, drawn as
    // 192 by 96 points.
    EXPECT_NE(result.Rtf.find("\\dpx5760\\dpy1440\\dpxsize3840\\dpysize1920\\dplinehollow"), std::string::npos);
    EXPECT_EQ(Count(result.Rtf, "{\\pict "), 2u);
    EXPECT_TRUE(testing::BracesBalanced(result.Rtf));
}

}  // namespace
}  // namespace tal
