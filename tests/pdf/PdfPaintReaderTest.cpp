// Paint seen through real readers: hatched brushes, rendered by poppler (and
// by MuPDF and Ghostscript where they are installed) at one pixel per point
// without anti-aliasing, must show their lines where the hatch says, the page
// or what was drawn before between them, and nothing outside their shapes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "tests/pdf/PagePixels.h"
#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {
namespace {

namespace fs = std::filesystem;

struct TScratch {
    fs::path Path = fs::temp_directory_path() / ("tal-pdf-paint-" + std::to_string(getpid()));
    TScratch() { fs::create_directories(Path); }
    ~TScratch() {
        std::error_code ignored;
        fs::remove_all(Path, ignored);
    }
};

struct TRun {
    int Status = -1;
    std::string Output;
};

TRun RunCommand(const std::string& command) {
    TRun run;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("timeout 60 " + command + " 2>&1").c_str(), "r"), pclose);
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) run.Output.append(buffer.data(), n);
    run.Status = pclose(pipe.release());
    return run;
}

bool HasTool(const std::string& tool) { return RunCommand("sh -c 'command -v " + tool + "'").Status == 0; }

bool HasErrorLine(const std::string& output) {
    std::stringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        // qpdf's all-clear mentions errors too.
        if (line.rfind("No syntax or stream encoding errors", 0) == 0 || line.rfind("errors that qpdf cannot", 0) == 0)
            continue;
        // MuPDF built without colour management says so on every page.
        if (line.find("ICC support is not available") != std::string::npos) continue;
        std::string lower;
        for (char c : line) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("error") != std::string::npos || lower.find("warning") != std::string::npos) return true;
    }
    return false;
}

// A binary PPM (P6, 8 bits) as the readers write it.
bool ReadPpm(const fs::path& path, TImage& image) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> std::ws;
    // Ghostscript names itself in a comment line after the magic number.
    while (in.peek() == '#') {
        std::string comment;
        std::getline(in, comment);
    }
    in >> image.Width >> image.Height >> maxValue;
    in.get();
    if (magic != "P6" || image.Width <= 0 || image.Height <= 0 || maxValue != 255) return false;
    image.Pixels.resize(static_cast<std::size_t>(image.Width) * image.Height * 3);
    in.read(reinterpret_cast<char*>(image.Pixels.data()), static_cast<std::streamsize>(image.Pixels.size()));
    return static_cast<bool>(in);
}

// Page 1 rendered at 72 pixels per inch without anti-aliasing by MuPDF or
// Ghostscript; their output must hold no error line.
std::optional<TImage> RenderWith(const std::string& reader, const std::string& pdf) {
    TScratch scratch;
    const fs::path file = scratch.Path / "paint.pdf", out = scratch.Path / "page.ppm";
    std::ofstream(file, std::ios::binary) << pdf;
    std::string command;
    if (reader == "mutool")
        command = "mutool draw -q -r 72 -A 0 -o '" + out.string() + "' '" + file.string() + "' 1";
    else
        command = "gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=ppmraw -r72 -dTextAlphaBits=1 -dGraphicsAlphaBits=1 "
                  "-dFirstPage=1 -dLastPage=1 -sOutputFile='" + out.string() + "' '" + file.string() + "'";
    const TRun run = RunCommand(command);
    EXPECT_EQ(run.Status, 0) << command << "\n" << run.Output;
    EXPECT_FALSE(HasErrorLine(run.Output)) << command << "\n" << run.Output;
    TImage image;
    if (!ReadPpm(out, image)) {
        ADD_FAILURE() << reader << " wrote no page";
        return std::nullopt;
    }
    return image;
}

bool IsInk(TRgb c) { return c.B > 128 && c.R < 128 && c.G < 128; }  // the hatch's blue
bool IsBand(TRgb c) { return c.R > 128 && c.G > 128 && c.B < 128; }  // the yellow band
bool IsPage(TRgb c) { return c.R > 128 && c.G > 128 && c.B > 128; }

// The residue of a pixel along one family of hatch lines: equal along a
// line, and the cell is 6 pixels at one pixel per point.
using TFamily = std::function<int(int, int)>;
int Mod6(int v) { return ((v % 6) + 6) % 6; }
const TFamily Rows = [](int, int y) { return Mod6(y); };
const TFamily Columns = [](int x, int) { return Mod6(x); };
const TFamily Falling = [](int x, int y) { return Mod6(x - y); };  // top left to bottom right on the page
const TFamily Rising = [](int x, int y) { return Mod6(x + y); };   // bottom left to top right

std::vector<TFamily> FamiliesOf(std::uint8_t style) {
    switch (style) {
        case bsHorizontal: return {Rows};
        case bsVertical: return {Columns};
        case bsFDiagonal: return {Falling};
        case bsBDiagonal: return {Rising};
        case bsCross: return {Rows, Columns};
        default: return {Falling, Rising};
    }
}

const char* StyleName(std::uint8_t style) {
    static const char* names[] = {"horizontal", "vertical", "forward diagonal", "backward diagonal", "cross",
                                  "diagonal cross"};
    return names[style - bsHorizontal];
}

// The distance between two residues, around the cell.
int ClassDistance(int a, int b) {
    const int d = std::abs(a - b);
    return std::min(d, 6 - d);
}

// One hatched 72-point box. Each family of the style's lines has one or two
// pixel classes inked nearly all along (readers draw a thin line one or two
// pixels wide; poppler leaves a pixel out where tiles meet and puts it
// beside the line). Ink lies only on or next to those classes; every other
// pixel is what lies under the hatch: the page above the band, the band
// within it.
void CheckHatchBox(const TImage& page, std::uint8_t style, const std::string& reader) {
    const int x0 = static_cast<int>(std::lround(HatchBoxLeft(style) * 72)), y0 = 72;
    const int bandTop = 108;
    SCOPED_TRACE(reader + ", " + StyleName(style) + " hatch");
    // One pixel in from the box's edges, where rounding may go either way.
    const int first = 1, last = 70;
    auto at = [&](int x, int y) { return page.At(x0 + x, y0 + y); };
    const std::vector<TFamily> families = FamiliesOf(style);
    std::vector<std::array<bool, 6>> lineClasses;
    for (const TFamily& family : families) {
        std::array<int, 6> ink {}, all {};
        for (int y = first; y <= last; ++y)
            for (int x = first; x <= last; ++x) {
                const int c = family(x0 + x, y0 + y);
                ++all[c];
                ink[c] += IsInk(at(x, y));
            }
        // The other family's lines cross every class at a pixel in six or
        // so; a line's own class is inked at five in six at least.
        std::array<bool, 6> line {};
        int count = 0;
        for (int c = 0; c < 6; ++c) {
            line[c] = ink[c] >= 0.75 * all[c];
            count += line[c];
        }
        EXPECT_GE(count, 1) << "no line of a family";
        EXPECT_LE(count, 2) << "lines of a family wider than 2 pixels, or more than one line per cell";
        lineClasses.push_back(line);
    }
    auto distanceToLine = [&](int x, int y) {
        int best = 6;
        for (std::size_t f = 0; f < families.size(); ++f)
            for (int c = 0; c < 6; ++c)
                if (lineClasses[f][c]) best = std::min(best, ClassDistance(c, families[f](x0 + x, y0 + y)));
        return best;
    };
    int stray = 0, notUnder = 0;
    for (int y = first; y <= last; ++y)
        for (int x = first; x <= last; ++x) {
            const TRgb c = at(x, y);
            if (IsInk(c)) {
                stray += distanceToLine(x, y) > 1;
            } else {
                notUnder += !(y0 + y >= bandTop ? IsBand(c) : IsPage(c));
            }
        }
    EXPECT_EQ(stray, 0) << "pixels of ink away from the hatch's lines";
    EXPECT_EQ(notUnder, 0) << "pixels between the lines that are neither ink nor what lies under the hatch";
}

// No hatch ink within 8 pixels around a box (its neighbours are 18 away).
void CheckNothingAround(const TImage& page, std::uint8_t style, const std::string& reader) {
    const int x0 = static_cast<int>(std::lround(HatchBoxLeft(style) * 72)), y0 = 72;
    int ink = 0;
    for (int y = y0 - 8; y < y0 + 72 + 8; ++y)
        for (int x = x0 - 8; x < x0 + 72 + 8; ++x) {
            const bool inside = x >= x0 - 1 && x <= x0 + 72 && y >= y0 - 1 && y <= y0 + 72;
            if (!inside && IsInk(page.At(x, y))) ++ink;
        }
    EXPECT_EQ(ink, 0) << reader << ", " << StyleName(style) << " hatch: ink outside the box";
}

void CheckHatchPage(const TImage& page, const std::string& reader) {
    ASSERT_EQ(page.Width, 612) << reader;
    ASSERT_EQ(page.Height, 792) << reader;
    for (std::uint8_t style = bsHorizontal; style <= bsDiagCross; ++style) {
        CheckHatchBox(page, style, reader);
        CheckNothingAround(page, style, reader);
    }
}

TEST(PdfPaintReaders, HatchesShowTheirLinesOverWhatLiesUnder) {
    if (!HasTool("pdftoppm")) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    const std::string pdf = ConvertReport(Hatches()).Bytes;
    CheckHatchPage(RenderPage(pdf, 1), "poppler");
    for (const char* reader : {"mutool", "gs"}) {
        if (!HasTool(reader)) continue;
        if (const auto page = RenderWith(reader, pdf)) CheckHatchPage(*page, reader);
    }
}

bool IsDark(TRgb c) { return std::min({c.R, c.G, c.B}) < 128; }

TEST(PdfPaintReaders, ClippedCellShowsNoInkBeyondItsRectangle) {
    if (!HasTool("pdftoppm")) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    // A 2 by 0.5 inch cell with a clear pen and brush, as report writers
    // clip cells, and a text that runs on far past it.
    const std::string pdf = ConvertReport(OnePage([](ndrwriter::TNdrWriter& w) {
                                w.SetPen(0, 4, psClear, 0);
                                w.SetBrush(0xFFFFFF, bsClear);
                                w.SetFont(Arial(24));
                                w.TextRect(1, 1, 3, 1.5f, 1, 1.4f, "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM");
                            })).Bytes;
    const TImage page = RenderPage(pdf, 1);
    int inside = 0, outside = 0;
    for (int y = 40; y < 140; ++y)
        for (int x = 0; x < page.Width; ++x) {
            if (!IsDark(page.At(x, y))) continue;
            const bool inCell = x >= 72 && x < 216 && y >= 72 && y < 108;
            (inCell ? inside : outside) += 1;
        }
    EXPECT_GT(inside, 200) << "the cell's text is not there";
    EXPECT_EQ(outside, 0) << "ink beyond the cell";
}

struct TWordBox {
    double XMin, YMin, XMax, YMax;
    std::string Text;
};

// The words of page 1 with their boxes in points, as pdftotext -bbox gives them.
std::vector<TWordBox> WordBoxes(const std::string& pdf) {
    TScratch scratch;
    const fs::path file = scratch.Path / "words.pdf";
    std::ofstream(file, std::ios::binary) << pdf;
    const TRun run = RunCommand("pdftotext -bbox -f 1 -l 1 '" + file.string() + "' -");
    EXPECT_EQ(run.Status, 0) << run.Output;
    std::vector<TWordBox> words;
    for (std::size_t at = run.Output.find("<word "); at != std::string::npos; at = run.Output.find("<word ", at + 1)) {
        TWordBox w {};
        auto number = [&](const char* name) {
            const std::size_t p = run.Output.find(std::string(name) + "=\"", at);
            return std::strtod(run.Output.c_str() + p + std::strlen(name) + 2, nullptr);
        };
        w.XMin = number("xMin");
        w.YMin = number("yMin");
        w.XMax = number("xMax");
        w.YMax = number("yMax");
        const std::size_t open = run.Output.find('>', at) + 1;
        w.Text = run.Output.substr(open, run.Output.find("</word>", open) - open);
        words.push_back(w);
    }
    return words;
}

TEST(PdfPaintReaders, JustifiedFormattedLineEndsOnItsMargin) {
    if (!HasTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    // Runs that change at blanks, measured and shown with the machine's own
    // faces, between margins at 1 and 7.5 inches.
    const std::string text = "Justified: plain words then" + ndrwriter::MarkGroup({{'B', "1"}}) + " bold words" +
                             ndrwriter::MarkGroup({{'B', "0"}, {'C', "255"}}) + " and red ones at the end";
    const std::string pdf = ConvertReport(OnePage([&](ndrwriter::TNdrWriter& w) {
                                              w.SetFont(Arial(11));
                                              w.PrintBlock(2, text, 1, 6.5f);
                                          }),
                                          [](TRvRenderPDF& r) {
                                              r.FFontEngine = nullptr;
                                              r.FTextMeasure = nullptr;
                                          })
                                .Bytes;
    const std::vector<TWordBox> words = WordBoxes(pdf);
    ASSERT_EQ(words.size(), 12u);
    EXPECT_NEAR(words.front().XMin, 72, 0.5) << words.front().Text;
    EXPECT_NEAR(words.back().XMax, 540, 0.5) << words.back().Text;
    // The gaps between neighbouring words are all alike, where the marks
    // change too.
    double least = 1e9, most = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const double gap = words[i].XMin - words[i - 1].XMax;
        least = std::min(least, gap);
        most = std::max(most, gap);
    }
    EXPECT_LT(most - least, 1.5) << "gaps from " << least << " to " << most << " points";
}

TEST(PdfPaintReaders, QpdfFindsNothingWrongWithPatterns) {
    if (!HasTool("qpdf")) GTEST_SKIP() << "qpdf is not installed";
    TScratch scratch;
    const fs::path file = scratch.Path / "hatches.pdf";
    std::ofstream(file, std::ios::binary) << ConvertReport(Hatches()).Bytes;
    const TRun run = RunCommand("qpdf --check '" + file.string() + "'");
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_NE(run.Output.find("No syntax or stream encoding errors found"), std::string::npos) << run.Output;
    EXPECT_FALSE(HasErrorLine(run.Output)) << run.Output;
}

}  // namespace
}  // namespace tal::testing
