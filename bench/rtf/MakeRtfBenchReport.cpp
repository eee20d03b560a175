// Writes the whole-process benchmark report: 2,000 pages (or as many as
// asked), each with 60 text lines in Arial and Times New Roman and 40 shapes
// (rectangles, ellipses, rounded rectangles and lines) in changing pens and
// brushes.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "tools/ndrwriter/NdrWriter.h"

namespace {

constexpr int DefaultPages = 2000, DefaultTextLines = 60, Shapes = 40;

std::string LineText(int page, int line) {
    return "Page " + std::to_string(page) + " line " + std::to_string(line) +
           ": the quick brown fox jumps over the lazy dog {" + std::to_string(page * 100 + line) + "}";
}

}  // namespace

int main(int argc, char** argv) {
    // Other page and line counts make the small reports of the start
    // benchmark (no text lines: a report that measures no text).
    const int pages = argc >= 3 ? std::atoi(argv[2]) : DefaultPages;
    const int textLines = argc >= 4 ? std::atoi(argv[3]) : DefaultTextLines;
    if (argc < 2 || argc > 4 || pages < 1 || pages > 32767 || textLines < 0 || textLines > 1000) {
        std::cerr << "usage: rtf_bench_report OUT.ndr [PAGES [TEXT_LINES]]\n";
        return 2;
    }
    tal::ndrwriter::TNdrWriter w;
    tal::ndrwriter::TNdrWriter::TFontRecord arial, times;
    arial.SizeInches = times.SizeInches = 10.0f / 72;
    times.Name = "Times New Roman";
    for (int page = 1; page <= pages; ++page) {
        w.BeginPage(static_cast<std::int16_t>(page));
        for (int line = 0; line < textLines; ++line) {
            w.SetFont(line % 2 ? times : arial);
            w.PrintLeft(0.75f + 0.16f * static_cast<float>(line), LineText(page, line),
                        0.5f + 0.05f * static_cast<float>(line % 7));
        }
        for (int shape = 0; shape < Shapes; ++shape) {
            const float x = 0.5f + 0.19f * static_cast<float>(shape), y = 10.0f - 0.02f * static_cast<float>(shape);
            w.SetPen(0x101010 * (shape % 16), 4, static_cast<std::uint8_t>(shape % 6), 1.0f / 72);
            w.SetBrush(0x00FFFF - 0x000404 * shape, static_cast<std::uint8_t>(shape % 8));
            switch (shape % 4) {
                case 0: w.Rectangle(x, y, x + 0.15f, y + 0.3f); break;
                case 1: w.Ellipse(x, y, x + 0.15f, y + 0.3f); break;
                case 2: w.RoundRect(x, y, x + 0.15f, y + 0.3f, 0.05f, 0.05f); break;
                default:
                    w.MoveTo(x, y);
                    w.LineTo(x + 0.15f, y + 0.3f);
            }
        }
        w.EndPage();
    }
    const auto bytes = w.Finish();
    std::ofstream(argv[1], std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return 0;
}
