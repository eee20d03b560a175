// Writes the reports of the whole-process picture benchmark into a folder:
// bitmaps.ndr and bitmaps875.ndr (200 pages, each with a different
// 1000 x 800 24-bit bitmap placed by StretchDraw into a box of 750 x 600 or
// 875 x 700 pixels at 300 ppi) and charts.ndr (200 pages,
// each with a different chart metafile placed by StretchDraw into a 6 x 4
// inch box), and beside them the same pictures for the bare program
// (bitmaps.bin, charts.bin).
#include <fstream>
#include <iostream>
#include <string>

#include "bench/pictures/BenchPictures.h"
#include "tools/ndrwriter/NdrWriter.h"
#include "tools/ndrwriter/SampleChart.h"

namespace {

using namespace tal;

void Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

// kind 1: bitmaps into box, 2: charts.
void WriteReport(const std::string& folder, const std::string& name, std::uint8_t kind,
                 const bench::TBitmapBox& box = bench::BitmapBoxes[0]) {
    ndrwriter::TNdrWriter w;
    std::vector<std::uint8_t> bare;
    for (int page = 1; page <= bench::PictureCount; ++page) {
        w.BeginPage(static_cast<std::int16_t>(page));
        w.PrintLeft(1.0f, name + " " + std::to_string(page), 1.0f);
        ndrwriter::TGraphicData picture;
        picture.Kind = kind;
        if (kind == 1) {
            picture.Bytes = bench::BenchBitmap(page);
            w.StretchDraw(picture, 1.0f, 1.5f, 1.0f + box.WidthPoints / 72.0f, 1.5f + box.HeightPoints / 72.0f);
        } else {
            picture.Bytes = ndrwriter::SampleChartEmf(bench::ChartWidth, bench::ChartHeight, page);
            w.StretchDraw(picture, 1.25f, 1.5f, 1.25f + bench::ChartWidth, 1.5f + bench::ChartHeight);
        }
        bench::AppendPicture(bare, picture.Bytes);
        w.EndPage();
    }
    Save(folder + "/" + name + ".ndr", w.Finish());
    Save(folder + "/" + name + ".bin", bare);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: picture_bench_reports FOLDER\n";
        return 2;
    }
    try {
        for (const bench::TBitmapBox& box : bench::BitmapBoxes) WriteReport(argv[1], box.Name, 1, box);
        WriteReport(argv[1], "charts", 2);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
