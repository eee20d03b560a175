// Writes the benchmark report: BenchPages pages of BenchPage.h, or the
// given number of pages with the text lines in the given faces by turns;
// with --text-only, the pages without their shapes (a plain text report,
// whose size is mostly its fonts).
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "bench/pdf/BenchPage.h"
#include "tools/ndrwriter/NdrWriter.h"

int main(int argc, char** argv) {
    const bool textOnly = argc > 1 && std::string(argv[1]) == "--text-only";
    if (textOnly) {
        --argc;
        ++argv;
    }
    if (argc < 2) {
        std::cerr << "usage: pdf_bench_report [--text-only] OUT.ndr [PAGES [FACE...]]\n";
        return 2;
    }
    using namespace tal;
    const int pages = argc > 2 ? std::atoi(argv[2]) : bench::BenchPages;
    std::vector<std::string> faceNames {"Arial", "Times New Roman"};
    if (argc > 3) faceNames.assign(argv + 3, argv + argc);
    std::vector<ndrwriter::TNdrWriter::TFontRecord> faces;
    for (const std::string& name : faceNames) {
        ndrwriter::TNdrWriter::TFontRecord font;
        font.Name = name;
        font.SizeInches = 10.0f / 72;
        faces.push_back(font);
    }
    ndrwriter::TNdrWriter writer;
    for (int page = 1; page <= pages; ++page) {
        writer.BeginPage(static_cast<std::int16_t>(page));
        writer.PenWidth(0.01f);
        for (int line = 0; line < bench::TextLines; ++line) {
            const bench::TBenchText t = bench::BenchText(page, line);
            writer.SetFont(faces[static_cast<std::size_t>(line) % faces.size()]);
            writer.PrintLeft(static_cast<float>(t.Y), t.Text, static_cast<float>(t.X));
        }
        for (int shape = 0; shape < (textOnly ? 0 : bench::Shapes); ++shape) {
            const bench::TBenchShape s = bench::BenchShape(page, shape);
            writer.PenColor(static_cast<std::int32_t>(s.Color));
            writer.BrushColor(static_cast<std::int32_t>(s.Color ^ 0xFFFFFF));
            const float x1 = static_cast<float>(s.X1), y1 = static_cast<float>(s.Y1);
            const float x2 = static_cast<float>(s.X2), y2 = static_cast<float>(s.Y2);
            if (s.Kind == 0) writer.Rectangle(x1, y1, x2, y2);
            else if (s.Kind == 1) writer.Ellipse(x1, y1, x2, y2);
            else {
                writer.MoveTo(x1, y1);
                writer.LineTo(x2, y2);
            }
        }
        writer.EndPage();
    }
    const std::vector<std::uint8_t> bytes = writer.Finish();
    std::ofstream(argv[1], std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
    return 0;
}
