// Texts in other charsets through real readers: the PDF shows each script in
// a composite font that poppler, MuPDF and Ghostscript read without a
// complaint, pdftotext gives every line back as written, pdffonts lists the
// fonts embedded as subsets with ToUnicode maps, every printed character has
// a glyph of its own, and right-aligned lines end on their anchor.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "pdf/PdfCompress.h"
#include "pdf/PdfEngineForm.h"
#include "tests/pdf/PdfTestSupport.h"
#include "tests/render/CharsetReports.h"

namespace tal::testing {
namespace {

namespace fs = std::filesystem;

bool HasCjkFaces() {
    return RunCommand("fc-list :lang=ja | grep -q . && fc-list :lang=zh-cn | grep -q .").Status == 0;
}

class PdfCharsets : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasTool("pdftotext") || !HasTool("pdffonts")) GTEST_SKIP() << "poppler-utils is not installed";
        if (!HasCjkFaces()) GTEST_SKIP() << "no Japanese or Chinese face is installed (scripts/install-deps)";
        fs::create_directories(FFolder);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(FFolder, ignored);
    }

    // The report converted as TALPDF converts it, with the machine's fonts.
    fs::path Convert(const std::string& name, const TSetup& more = {}) {
        const std::string pdf = ConvertReport(ScriptReport(ScriptLines()), [&](TRvRenderPDF& r) {
                                    ApplyEngineFormSettings(r);
                                    r.FFontEngine = nullptr;
                                    r.FTextMeasure = nullptr;
                                    if (more) more(r);
                                }).Bytes;
        const fs::path path = FFolder / (name + ".pdf");
        std::ofstream(path, std::ios::binary) << pdf;
        return path;
    }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path FFolder = fs::temp_directory_path() / ("tal-pdf-charsets-" + std::to_string(getpid()));
};

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        if (!line.empty() && line != "\f") lines.push_back(line);
    return lines;
}

bool HasErrorLine(const std::string& output) {
    std::stringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        if (line.rfind("No syntax or stream encoding errors", 0) == 0 || line.rfind("errors that qpdf cannot", 0) == 0)
            continue;
        // MuPDF built without colour management says so whatever it draws.
        if (line == "warning: ICC support is not available") continue;
        std::string lower;
        for (char c : line) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("error") != std::string::npos || lower.find("warning") != std::string::npos) return true;
    }
    return false;
}

// The font lines of pdffonts (after its two heading lines).
std::vector<std::string> FontLines(const fs::path& path) {
    std::vector<std::string> lines = TextLines(RunCommand("pdffonts '" + path.string() + "'").Output);
    if (lines.size() >= 2) lines.erase(lines.begin(), lines.begin() + 2);
    return lines;
}

// The stream bytes of object number (its /Length on the dictionary's lines).
std::string ObjectStream(const std::string& pdf, int number) {
    const std::string object = ObjectText(pdf, number);
    const std::size_t length = object.find("/Length ");
    const std::size_t start = object.find("stream\r\n");
    if (length == std::string::npos || start == std::string::npos) return {};
    return object.substr(start + 8, std::stoul(object.substr(length + 8)));
}

TEST_F(PdfCharsets, EveryScriptReadsBackInEmbeddedSubsets) {
    const fs::path path = Convert("scripts");
    const std::vector<std::string> text = TextLines(RunCommand("pdftotext -enc UTF-8 '" + path.string() + "' -").Output);
    // Each line twice: printed from the left and right-aligned.
    for (const TScriptLine& line : ScriptLines())
        EXPECT_EQ(std::count(text.begin(), text.end(), line.Utf8), 2) << line.Language << "\n"
                                                                     << ::testing::PrintToString(text);

    // name+tag, then "CID TrueType Identity-H yes yes yes".
    const std::vector<std::string> fonts = FontLines(path);
    EXPECT_GE(fonts.size(), 3u) << ::testing::PrintToString(fonts);
    for (const std::string& font : fonts) {
        EXPECT_NE(font.find("CID TrueType"), std::string::npos) << font;
        EXPECT_NE(font.find("Identity-H"), std::string::npos) << font;
        EXPECT_NE(font.find(" yes yes yes "), std::string::npos) << font;
        EXPECT_EQ(font.find('+'), 6u) << font;
    }
}

TEST_F(PdfCharsets, EveryReaderAcceptsTheDocument) {
    const std::pair<const char*, const char*> tools[] = {
        {"qpdf", "qpdf --check"},
        {"mutool", "mutool draw -o /dev/null -F png -r 30"},
        {"gs", "gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=nullpage"},
        {"pdftoppm", "pdftoppm -r 30 -png"},
    };
    for (const bool compressed : {false, true}) {
        const fs::path path = Convert(compressed ? "compressed" : "plain", [&](TRvRenderPDF& r) {
            if (!compressed) return;
            r.UseCompression = true;
            r.OnCompress = FlateCompress;
        });
        for (const auto& [tool, command] : tools) {
            if (!HasTool(tool)) continue;
            std::string line = std::string(command) + " '" + path.string() + "'";
            if (std::string(tool) == "pdftoppm") line += " '" + (FFolder / "page").string() + "'";
            const TRun run = RunCommand(line);
            EXPECT_EQ(run.Status, 0) << line << "\n" << run.Output;
            if (std::string(tool) == "qpdf") {
                EXPECT_NE(run.Output.find("No syntax or stream encoding errors found"), std::string::npos) << line;
            }
            EXPECT_FALSE(HasErrorLine(run.Output)) << line << "\n" << run.Output;
        }
    }
}

// Every code but .notdef leads to a glyph of its own: the faces chosen draw
// every character of the report (a face without them would show boxes).
TEST_F(PdfCharsets, EveryPrintedCharacterHasAGlyph) {
    const std::string pdf = Read(Convert("glyphs"));
    int maps = 0;
    for (std::size_t at = pdf.find("/CIDToGIDMap "); at != std::string::npos; at = pdf.find("/CIDToGIDMap ", at + 1)) {
        const std::string map = ObjectStream(pdf, std::stoi(pdf.substr(at + 13)));
        ASSERT_GE(map.size(), 4u);
        ++maps;
        for (std::size_t code = 1; code < map.size() / 2; ++code)
            EXPECT_NE((static_cast<unsigned char>(map[2 * code]) << 8) | static_cast<unsigned char>(map[2 * code + 1]), 0)
                << "code " << code << " of map " << maps;
    }
    EXPECT_GE(maps, 3);
}

// The widths the page is laid out with are those the reader draws with.
TEST_F(PdfCharsets, RightAlignedLinesEndOnTheirAnchor) {
    const fs::path path = Convert("right");
    const TRun run = RunCommand("pdftotext -bbox '" + path.string() + "' -");
    std::stringstream lines(run.Output);
    std::map<int, double> lineEnds;  // by the baseline's tenth of an inch
    for (std::string line; std::getline(lines, line);) {
        double xMax = 0, yMax = 0;
        if (std::sscanf(line.c_str(), " <word xMin=\"%*f\" yMin=\"%*f\" xMax=\"%lf\" yMax=\"%lf\"", &xMax, &yMax) != 2)
            continue;
        const int row = static_cast<int>(yMax / 36);  // half-inch rows
        lineEnds[row] = std::max(lineEnds[row], xMax);
    }
    int rightAligned = 0;
    for (const auto& [row, end] : lineEnds) {
        if (end < 300) continue;  // a line printed from the left
        ++rightAligned;
        EXPECT_NEAR(end, ScriptRightEdge * 72, 0.5) << "row " << row;
    }
    EXPECT_EQ(rightAligned, static_cast<int>(ScriptLines().size())) << run.Output;
}

// A formatted line is measured by the converter, run by run, on the faces
// the runs are drawn in (also for a face that is not installed, drawn in its
// substitute): centred on its anchor, its runs a blank apart.
TEST_F(PdfCharsets, FormattedLinesOfOtherScriptsMeetTheirAnchor) {
    const std::string line = "\xC8\xF2\xEE\xE3\xEE: \x01" "B1\x04" "100 \xF0\xF3\xE1.";  // Итого: 100 руб.
    for (const char* face : {"Arial", "Tahoma Tallow Missing"}) {
        const std::string pdf = ConvertReport(OnePage([&](ndrwriter::TNdrWriter& w) {
                                                  auto font = Arial();
                                                  font.Name = face;
                                                  font.Charset = 204;
                                                  w.SetFont(font);
                                                  w.PrintCenter(1, line, 4.25f);
                                              }),
                                              [](TRvRenderPDF& r) {
                                                  ApplyEngineFormSettings(r);
                                                  r.FFontEngine = nullptr;
                                                  r.FTextMeasure = nullptr;
                                              })
                                    .Bytes;
        const fs::path path = FFolder / "formatted.pdf";
        std::ofstream(path, std::ios::binary) << pdf;
        std::vector<std::pair<double, double>> words;  // xMin, xMax
        std::stringstream lines(RunCommand("pdftotext -bbox '" + path.string() + "' -").Output);
        for (std::string text; std::getline(lines, text);) {
            double xMin = 0, xMax = 0;
            if (std::sscanf(text.c_str(), " <word xMin=\"%lf\" yMin=\"%*f\" xMax=\"%lf\"", &xMin, &xMax) == 2)
                words.emplace_back(xMin, xMax);
        }
        ASSERT_EQ(words.size(), 3u) << face;
        EXPECT_NEAR((words.front().first + words.back().second) / 2, 4.25 * 72, 0.5) << face;
        // Blanks of Liberation Sans (0.278 em) or DejaVu Sans (0.318 to 0.348 em).
        for (std::size_t i = 1; i < words.size(); ++i) {
            const double gap = words[i].first - words[i - 1].second;
            EXPECT_GT(gap, 12 * 0.278 - 0.5) << face;
            EXPECT_LT(gap, 12 * 0.348 + 0.5) << face;
        }
    }
}

// Without subsetting the whole programs are embedded, and the text still
// comes back through the same codes.
TEST_F(PdfCharsets, WholeProgramsReadBackToo) {
    const fs::path path = Convert("whole", [](TRvRenderPDF& r) { r.SubsetFonts = false; });
    const std::string text = RunCommand("pdftotext -enc UTF-8 '" + path.string() + "' -").Output;
    for (const TScriptLine& line : ScriptLines()) EXPECT_NE(text.find(line.Utf8), std::string::npos) << line.Language;
    for (const std::string& font : FontLines(path)) {
        EXPECT_NE(font.find(" yes no  yes "), std::string::npos) << font;
        EXPECT_EQ(font.find('+'), std::string::npos) << font;
    }
}

}  // namespace
}  // namespace tal::testing
