#include "tests/pdf/PagePixels.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>

namespace tal::testing {

namespace fs = std::filesystem;

namespace {

// A pixel counts as drawn when one channel is this dark; every colour used
// has a channel at 0, the page is 255 everywhere.
constexpr int DrawnBelow = 128;

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

struct TScratchFolder {
    fs::path Path = fs::temp_directory_path() / ("tal-pdf-pictures-" + std::to_string(getpid()));
    TScratchFolder() { fs::create_directories(Path); }
    ~TScratchFolder() {
        std::error_code ignored;
        fs::remove_all(Path, ignored);
    }
};

int ColourError(TRgb a, TRgb b) {
    return std::max({std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)});
}

bool Drawn(TRgb c) { return std::min({c.R, c.G, c.B}) < DrawnBelow; }

// Pixels [first, last] of a span of the page, kept 2 pixels from its ends
// (JPEG ringing and resampling) while it is wide enough for that.
std::pair<int, int> Inner(double from, double to) {
    int first = static_cast<int>(std::ceil(from - 1e-9)), last = static_cast<int>(std::floor(to + 1e-9)) - 1;
    const int margin = std::min(2, (last - first) / 2);
    return {first + margin, last - margin};
}

std::string Describe(const TPlacement& p, const TArea& a) {
    return p.Name + ": area (" + std::to_string(a.L) + ", " + std::to_string(a.T) + ")-(" + std::to_string(a.R) + ", " +
           std::to_string(a.B) + ")";
}

std::string Describe(TRgb c) { return std::to_string(c.R) + "," + std::to_string(c.G) + "," + std::to_string(c.B); }

void CheckSolid(const TImage& page, const TPlacement& p, const TArea& a, TWorst& worst) {
    const auto [x0, x1] = Inner(p.X + a.L * p.W, p.X + a.R * p.W);
    const auto [y0, y1] = Inner(p.Y + a.T * p.H, p.Y + a.B * p.H);
    int error = 0, ex = x0, ey = y0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (const int e = ColourError(page.At(x, y), a.Colour); e > error) {
                error = e;
                ex = x;
                ey = y;
            }
    worst.Colour = std::max(worst.Colour, error);
    EXPECT_LE(error, ColourTolerance) << Describe(p, a) << " at pixel " << ex << "," << ey << " is "
                                      << Describe(page.At(ex, ey)) << ", wanted " << Describe(a.Colour);
}

void CheckShare(const TImage& page, const TPlacement& p, const TArea& a) {
    const int x0 = static_cast<int>(std::lround(p.X + a.L * p.W)), x1 = static_cast<int>(std::lround(p.X + a.R * p.W));
    const int y0 = static_cast<int>(std::lround(p.Y + a.T * p.H)), y1 = static_cast<int>(std::lround(p.Y + a.B * p.H));
    int matching = 0, all = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++all)
            if (ColourError(page.At(x, y), a.Colour) <= ColourTolerance) ++matching;
    ASSERT_GT(all, 0) << Describe(p, a) << " holds no pixel";
    const double share = double(matching) / all;
    EXPECT_GE(share, a.MinShare) << Describe(p, a) << ": " << matching << " of " << all << " pixels are "
                                 << Describe(a.Colour);
    EXPECT_LE(share, a.MaxShare) << Describe(p, a) << ": " << matching << " of " << all << " pixels are "
                                 << Describe(a.Colour);
}

// The first and last drawn column and row near the placement box, against
// where the drawn part was placed.
void CheckExtent(const TImage& page, const TPlacement& p, TWorst& worst) {
    int left = page.Width, right = -1, top = page.Height, bottom = -1;
    const int scan = 4;  // the neighbours are at least 8 points away
    for (int y = int(p.Y) - scan; y < int(p.Y + p.H) + scan; ++y)
        for (int x = int(p.X) - scan; x < int(p.X + p.W) + scan; ++x)
            if (Drawn(page.At(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << p.Name << ": nothing drawn";
    const TArea& e = p.Expect.Extent;
    const double want[4] = {p.X + e.L * p.W, p.Y + e.T * p.H, p.X + e.R * p.W - 1, p.Y + e.B * p.H - 1};
    const int got[4] = {left, top, right, bottom};
    const char* names[4] = {"left", "top", "right", "bottom"};
    for (int i = 0; i < 4; ++i) {
        worst.Edge = std::max(worst.Edge, std::abs(got[i] - want[i]));
        EXPECT_NEAR(got[i], want[i], 1.0) << p.Name << ": " << names[i] << " edge";
    }
}

}  // namespace

TArea UnitArea(double units, double l, double t, double r, double b, TRgb colour) {
    return {l / units, t / units, r / units, b / units, colour};
}

TExpectation BlockExpectation(int cols, int rows, const std::function<std::optional<TRgb>(int, int)>& colour) {
    TExpectation e;
    e.Extent = {1, 1, 0, 0, White};
    for (int by = 0; by < rows; ++by)
        for (int bx = 0; bx < cols; ++bx) {
            const TArea area {double(bx) / cols, double(by) / rows, double(bx + 1) / cols, double(by + 1) / rows,
                              colour(bx, by).value_or(White)};
            e.Areas.push_back(area);
            if (!colour(bx, by)) continue;
            e.Extent.L = std::min(e.Extent.L, area.L);
            e.Extent.T = std::min(e.Extent.T, area.T);
            e.Extent.R = std::max(e.Extent.R, area.R);
            e.Extent.B = std::max(e.Extent.B, area.B);
        }
    return e;
}

TRgb TImage::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width || y >= Height) return White;
    const std::size_t i = (static_cast<std::size_t>(y) * Width + x) * 3;
    return {Pixels[i], Pixels[i + 1], Pixels[i + 2]};
}

int RunStatus(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
    if (!pipe) return -1;
    std::array<char, 4096> buffer;
    while (std::fread(buffer.data(), 1, buffer.size(), pipe.get()) > 0) {
    }
    return pclose(pipe.release());
}

namespace {

std::pair<int, std::string> Run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("timeout 60 " + command + " 2>&1").c_str(), "r"), pclose);
    if (!pipe) return {-1, ""};
    std::string output;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) output.append(buffer.data(), n);
    return {pclose(pipe.release()), output};
}

}  // namespace

TReaderRendering RenderWithReader(const std::string& reader, const std::string& pdf, int dpi, bool antialias) {
    TReaderRendering r;
    if (RunStatus("sh -c 'command -v " + reader + "'") != 0) return r;
    r.Installed = true;
    TScratchFolder folder;
    const fs::path file = folder.Path / "reader.pdf", out = folder.Path / "page.ppm";
    std::ofstream(file, std::ios::binary) << pdf;
    const std::string res = std::to_string(dpi), in = "'" + file.string() + "'", to = "'" + out.string() + "'";
    std::string command;
    if (reader == "pdftoppm")
        command = "pdftoppm -r " + res + (antialias ? "" : " -aa no -aaVector no") + " -singlefile -f 1 -l 1 " + in +
                  " '" + (folder.Path / "page").string() + "'";
    else if (reader == "mutool")
        command = "mutool draw -q -r " + res + (antialias ? "" : " -A 0") + " -o " + to + " " + in + " 1";
    else
        command = "gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=ppmraw -r" + res +
                  (antialias ? " -dTextAlphaBits=4 -dGraphicsAlphaBits=4" : " -dTextAlphaBits=1 -dGraphicsAlphaBits=1") +
                  " -dFirstPage=1 -dLastPage=1 -sOutputFile=" + to + " " + in;
    std::tie(r.Status, r.Output) = Run(command);
    EXPECT_TRUE(ReadPpm(out, r.Page)) << reader << " wrote no page";
    return r;
}

bool HasErrorLine(const std::string& output) {
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(start, end - start);
        start = end + 1;
        // qpdf's all-clear mentions errors too; MuPDF built without colour
        // management says so on every page.
        if (line.rfind("No syntax or stream encoding errors", 0) == 0 || line.rfind("errors that qpdf cannot", 0) == 0 ||
            line.find("ICC support is not available") != std::string::npos)
            continue;
        std::string lower;
        for (char c : line) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("error") != std::string::npos || lower.find("warning") != std::string::npos) return true;
    }
    return false;
}

TImage RenderPage(const std::string& pdf, int page) {
    TScratchFolder folder;
    const fs::path file = folder.Path / "pictures.pdf", stem = folder.Path / "page";
    std::ofstream(file, std::ios::binary) << pdf;
    const std::string number = std::to_string(page);
    TImage image;
    EXPECT_EQ(RunStatus("pdftoppm -r 72 -aa no -aaVector no -singlefile -f " + number + " -l " + number + " '" +
                        file.string() + "' '" + stem.string() + "'"),
              0);
    EXPECT_TRUE(ReadPpm(stem.string() + ".ppm", image)) << "page " << page << " was not rendered";
    return image;
}

void CheckPlacement(const TImage& page, const TPlacement& p, TWorst& worst) {
    for (const TArea& a : p.Expect.Areas) {
        if (a.MinShare < 1)
            CheckShare(page, p, a);
        else
            CheckSolid(page, p, a, worst);
    }
    CheckExtent(page, p, worst);
}

}  // namespace tal::testing
