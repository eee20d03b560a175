#pragma once
// A business chart as an enhanced metafile, drawn as chart programs record
// them: a page mapping of its own, a title in a bold face, axes and dashed
// grid lines, solid and hatched bars clipped to the plot area, a line series
// with a thick pen, a smoothed series of Béziers over an area filled through
// a path, a pie with its legend, rotated axis text and a small bitmap logo.
#include <cstdint>
#include <vector>

namespace tal::ndrwriter {

// widthInches x heightInches on a 96 ppi reference device; seed varies the data.
std::vector<std::uint8_t> SampleChartEmf(double widthInches, double heightInches, int seed);

}  // namespace tal::ndrwriter
