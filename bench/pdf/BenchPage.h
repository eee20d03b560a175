#pragma once
// The page of the whole-process benchmark, described once for both writers:
// 60 text lines in two standard fonts (Helvetica, Times) and 40 shapes.
#include <cstdio>
#include <string>

namespace tal::bench {

inline constexpr int BenchPages = 2000;
inline constexpr int TextLines = 60;
inline constexpr int Shapes = 40;

struct TBenchText {
    bool Times;      // Times-Roman, else Helvetica
    double X, Y;     // start of the baseline, inches
    std::string Text;
};

struct TBenchShape {
    int Kind;        // 0 rectangle, 1 ellipse, 2 line
    double X1, Y1, X2, Y2;
    unsigned Color;  // 0x00BBGGRR
};

inline TBenchText BenchText(int page, int line) {
    char text[96];
    std::snprintf(text, sizeof text, "Page %d line %d: 1,234.56 Herring, smoked (crate) and more", page, line);
    return {line % 2 == 1, 0.75 + (line % 3) * 0.1, 0.8 + line * 0.16, text};
}

inline TBenchShape BenchShape(int page, int shape) {
    const double x = 5.0 + (shape % 4) * 0.8, y = 0.8 + (shape / 4) * 0.9;
    return {shape % 3, x, y, x + 0.6, y + 0.4 + (page % 5) * 0.05,
            static_cast<unsigned>(0x102030 * (shape % 7 + 1)) & 0xFFFFFF};
}

}  // namespace tal::bench
