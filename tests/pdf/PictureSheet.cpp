#include "tests/pdf/PictureSheet.h"

#include <gtest/gtest.h>

#include <iostream>

#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {

float Inches(double points) { return static_cast<float>(points / 72); }

void TPictureSheet::Place(const std::string& name, const ndrwriter::TGraphicData& g, double x, double y, double w,
                          double h, const TExpectation& e, bool stretch) {
    if (stretch) {
        FWriter.StretchDraw(g, Inches(x), Inches(y), Inches(x + w), Inches(y + h));
    } else {
        FWriter.Draw(g, Inches(x), Inches(y));
    }
    FPlacements.push_back({name, x, y, w, h, e});
}

void CheckInPoppler(const std::vector<std::uint8_t>& report, const std::vector<TPlacement>& placements) {
    const TPdfResult pdf = ConvertReport(report);
    ASSERT_EQ(pdf.Error, "");
    const TImage image = RenderPage(pdf.Bytes, 1);
    ASSERT_EQ(image.Width, 612);
    ASSERT_EQ(image.Height, 792);
    TWorst worst;
    for (const TPlacement& p : placements) CheckPlacement(image, p, worst);
    ::testing::Test::RecordProperty("worst_colour_error", worst.Colour);
    ::testing::Test::RecordProperty("worst_edge_offset_pixels", std::to_string(worst.Edge));
    std::cout << "worst colour error " << worst.Colour << ", worst edge offset " << worst.Edge << " pixels over "
              << placements.size() << " pictures\n";
}

}  // namespace tal::testing
