#pragma once
// A Letter page of pictures placed by the report's picture commands, with
// what each must look like, and its check through poppler.
#include <string>
#include <vector>

#include "tests/pdf/PagePixels.h"
#include "tools/ndrwriter/NdrWriter.h"

namespace tal::testing {

float Inches(double points);

class TPictureSheet {
public:
    // Draws the graphic at its own size at (x, y), or stretched into the
    // box; w and h are where its expectation is measured.
    void Place(const std::string& name, const ndrwriter::TGraphicData& g, double x, double y, double w, double h,
               const TExpectation& e, bool stretch);
    // A placement drawn by the caller through Writer().
    void Add(TPlacement placement) { FPlacements.push_back(std::move(placement)); }
    ndrwriter::TNdrWriter& Writer() { return FWriter; }
    const std::vector<TPlacement>& Placements() const { return FPlacements; }

private:
    ndrwriter::TNdrWriter FWriter;
    std::vector<TPlacement> FPlacements;
};

// Converts the one-page report, renders the page with pdftoppm and checks
// every placement; the worst colour error and edge offset are recorded.
void CheckInPoppler(const std::vector<std::uint8_t>& report, const std::vector<TPlacement>& placements);

}  // namespace tal::testing
