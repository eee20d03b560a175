// Writes the chart report of the picture-size benchmark: ten Letter pages,
// each with a 6 x 4 inch chart (an enhanced metafile) placed by StretchDraw
// and a caption.
#include <fstream>
#include <iostream>
#include <string>

#include "tools/ndrwriter/NdrWriter.h"
#include "tools/ndrwriter/SampleChart.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: rtf_chart_report OUT.ndr\n";
        return 2;
    }
    tal::ndrwriter::TNdrWriter w;
    for (int page = 1; page <= 10; ++page) {
        w.BeginPage(static_cast<std::int16_t>(page));
        w.PrintLeft(1.0f, "Chart " + std::to_string(page), 1.0f);
        tal::ndrwriter::TGraphicData chart;
        chart.Kind = 2;
        chart.Bytes = tal::ndrwriter::SampleChartEmf(6, 4, page);
        w.StretchDraw(chart, 1.25f, 1.5f, 7.25f, 5.5f);
        w.EndPage();
    }
    const auto bytes = w.Finish();
    std::ofstream(argv[1], std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return 0;
}
