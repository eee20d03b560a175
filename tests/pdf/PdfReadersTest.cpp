// Real readers over every document the feature reports give: qpdf, poppler,
// MuPDF and Ghostscript must accept them without a warning or error line, and
// pdftotext must give the text back. A rendering of the text report is
// compared with a reference image kept in the repository.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>
#include <sstream>

#include "pdf/PdfCompress.h"
#include "pdf/PdfEngineForm.h"
#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {
namespace {

namespace fs = std::filesystem;

struct TScratchFolder {
    fs::path Path = fs::temp_directory_path() / ("tal-pdf-readers-" + std::to_string(getpid()));
    TScratchFolder() { fs::create_directories(Path); }
    ~TScratchFolder() {
        std::error_code ignored;
        fs::remove_all(Path, ignored);
    }
};

fs::path OutputFolder() {
    static TScratchFolder folder;
    return folder.Path;
}

fs::path WritePdf(const std::string& name, const std::string& bytes) {
    const fs::path path = OutputFolder() / (name + ".pdf");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

bool HasErrorLine(const std::string& output) {
    std::stringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        // qpdf's all-clear mentions errors too.
        if (line.rfind("No syntax or stream encoding errors", 0) == 0 || line.rfind("errors that qpdf cannot", 0) == 0)
            continue;
        std::string lower;
        for (char c : line) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("error") != std::string::npos || lower.find("warning") != std::string::npos) return true;
    }
    return false;
}

// The report's own settings with embedded fonts cut to what prints.
TSetup SubsetSetup(const TNamedReport& report) {
    return [&report](TRvRenderPDF& r) {
        if (report.Setup) report.Setup(r);
        r.SubsetFonts = true;
    };
}

std::vector<std::pair<std::string, std::string>> Documents() {
    std::vector<std::pair<std::string, std::string>> documents;
    for (const TNamedReport& report : FeatureReports()) {
        // Its font program is a stand-in no reader can load; installed faces cover embedding.
        if (report.Name == "truetype") continue;
        documents.emplace_back(report.Name, ConvertReport(report.Bytes, report.Setup).Bytes);
        documents.emplace_back(report.Name + "-compressed", ConvertReport(report.Bytes, [&](TRvRenderPDF& r) {
                                                                if (report.Setup) report.Setup(r);
                                                                r.UseCompression = true;
                                                                r.OnCompress = FlateCompress;
                                                            }).Bytes);
        if (report.Name != "installed-truetype") continue;
        documents.emplace_back("installed-subset", ConvertReport(report.Bytes, SubsetSetup(report)).Bytes);
        documents.emplace_back("installed-subset-compressed", ConvertReport(report.Bytes, [&](TRvRenderPDF& r) {
                                                                  SubsetSetup(report)(r);
                                                                  r.UseCompression = true;
                                                                  r.OnCompress = FlateCompress;
                                                              }).Bytes);
    }
    return documents;
}

TEST(PdfReaders, EveryReaderAcceptsEveryDocument) {
    const std::pair<const char*, const char*> tools[] = {
        {"qpdf", "qpdf --check"},
        {"pdfinfo", "pdfinfo"},
        {"mutool", "mutool info"},
        {"pdftoppm", "pdftoppm -r 20 -png"},
        {"gs", "gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=nullpage"},
    };
    int checked = 0;
    for (const auto& [name, bytes] : Documents()) {
        const fs::path path = WritePdf(name, bytes);
        for (const auto& [tool, command] : tools) {
            if (!HasTool(tool)) continue;
            std::string line = std::string(command) + " '" + path.string() + "'";
            if (std::string(tool) == "pdftoppm") line += " '" + (OutputFolder() / name).string() + "'";
            const TRun run = RunCommand(line);
            EXPECT_EQ(run.Status, 0) << line << "\n" << run.Output;
            if (std::string(tool) == "qpdf") {
                EXPECT_NE(run.Output.find("No syntax or stream encoding errors found"), std::string::npos) << line;
            }
            EXPECT_FALSE(HasErrorLine(run.Output)) << line << "\n" << run.Output;
            ++checked;
        }
    }
    if (checked == 0) GTEST_SKIP() << "none of qpdf, pdfinfo, mutool, pdftoppm and gs is installed";
}

TEST(PdfReaders, TextComesBack) {
    if (!HasTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    for (const auto& [name, bytes] : Documents()) {
        if (name.rfind("texts", 0) != 0 && name.rfind("two-pages", 0) != 0) continue;
        const fs::path path = WritePdf(name, bytes);
        const TRun run = RunCommand("pdftotext -enc UTF-8 '" + path.string() + "' -");
        EXPECT_EQ(run.Status, 0);
        if (name.rfind("texts", 0) == 0) {
            for (const char* text : {"Hello (world) \\ back", "Centred", "Right", "Underlined red", "Turned",
                                     "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9C end"})
                EXPECT_NE(run.Output.find(text), std::string::npos) << name << ": " << text << "\n" << run.Output;
        } else {
            EXPECT_NE(run.Output.find("Page two, landscape"), std::string::npos) << run.Output;
        }
    }
}

// Installed faces embedded as subsets: every font is listed as embedded,
// subset and with a ToUnicode map, the text comes back through it, and the
// cut programs are a small part of the whole ones.
TEST(PdfReaders, SubsetFontsReadBack) {
    if (!HasTool("pdffonts") || !HasTool("pdftotext")) GTEST_SKIP() << "poppler-utils is not installed";
    std::string whole, subset;
    for (const TNamedReport& report : FeatureReports()) {
        if (report.Name != "installed-truetype") continue;
        whole = ConvertReport(report.Bytes, report.Setup).Bytes;
        subset = ConvertReport(report.Bytes, SubsetSetup(report)).Bytes;
    }
    ASSERT_FALSE(subset.empty());
    const fs::path path = WritePdf("subset-check", subset);

    const TRun fonts = RunCommand("pdffonts '" + path.string() + "'");
    ASSERT_EQ(fonts.Status, 0) << fonts.Output;
    std::stringstream lines(fonts.Output);
    int trueTypeFonts = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("TrueType") == std::string::npos) continue;
        ++trueTypeFonts;
        // name+tag, then "TrueType WinAnsi yes yes yes".
        EXPECT_NE(line.find(" yes yes yes "), std::string::npos) << line;

        EXPECT_EQ(line.find('+'), 6u) << line;
    }
    if (RunCommand("fc-list | grep -q DejaVuSans.ttf").Status == 0) {
        EXPECT_GE(trueTypeFonts, 2) << fonts.Output;
    }
    const TRun text = RunCommand("pdftotext -enc UTF-8 '" + path.string() + "' -");
    EXPECT_NE(text.Output.find("caf\xC3\xA9 \xE2\x82\xAC"), std::string::npos) << text.Output;
    EXPECT_NE(text.Output.find("bold"), std::string::npos) << text.Output;
    if (trueTypeFonts > 0) {
        EXPECT_LT(subset.size() * 10, whole.size()) << subset.size() << " of " << whole.size();
    }
}

struct TWordBox {
    std::string Word;
    double XMin = 0, XMax = 0, YMin = 0;
};

// The words of page 1 as pdftotext -bbox places them, in reading order.
std::vector<TWordBox> WordBoxes(const std::string& name, const std::string& pdf) {
    const fs::path path = WritePdf(name, pdf);
    const TRun run = RunCommand("pdftotext -bbox -f 1 -l 1 '" + path.string() + "' -");
    std::vector<TWordBox> words;
    std::stringstream lines(run.Output);
    for (std::string line; std::getline(lines, line);) {
        TWordBox box;
        char word[256] = {};
        if (std::sscanf(line.c_str(), " <word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%*f\">%255[^<]", &box.XMin,
                        &box.YMin, &box.XMax, word) == 4) {
            box.Word = word;
            words.push_back(box);
        }
    }
    return words;
}

// Converts with the machine's font engine measuring and drawing, as TALPDF does.
std::string ConvertAsTalpdf(const std::vector<std::uint8_t>& report) {
    return ConvertReport(report, [](TRvRenderPDF& r) {
               ApplyEngineFormSettings(r);
               r.FFontEngine = nullptr;
               r.FTextMeasure = nullptr;
           })
        .Bytes;
}

ndrwriter::TNdrWriter::TFontRecord Face(const std::string& name, float points = 12) {
    auto font = Arial(points);
    font.Name = name;
    return font;
}

// A face that is not installed is drawn in Helvetica and measured so: the
// runs of a formatted line stand one blank apart, and centred and
// right-aligned formatted lines meet their anchors.
TEST(PdfReaders, FormattedRunsOfAMissingFaceLandWhereTheyAreDrawn) {
    if (!HasTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const std::string marked = "Runs \x01" "B1\x04in bold\x01" "B0\x04 and plain \x01" "I1\x04italic\x01" "I0\x04 end";
    const std::string pdf = ConvertAsTalpdf(OnePage([&](ndrwriter::TNdrWriter& w) {
        w.SetFont(Face("No Such Face Tallow"));
        w.PrintLeft(1, marked, 1);
        w.PrintCenter(2, marked, 4);
        w.PrintRight(3, marked, 7);
    }));
    const std::vector<TWordBox> words = WordBoxes("missing-face", pdf);
    ASSERT_EQ(words.size(), 21u) << pdf;
    const double blank = 12 * 0.278;  // Helvetica's blank, the same in every style
    for (std::size_t line = 0; line < 3; ++line) {
        const std::size_t first = line * 7, last = first + 6;
        for (std::size_t i = first + 1; i <= last; ++i) {
            const double gap = words[i].XMin - words[i - 1].XMax;
            EXPECT_GT(gap, blank - 0.5) << words[i - 1].Word << " " << words[i].Word;
            EXPECT_LT(gap, blank + 0.5) << words[i - 1].Word << " " << words[i].Word;
        }
        // Left from 1 inch, centred on 4 inches, right-aligned on 7 inches.
        const double landed[] = {words[first].XMin, (words[first].XMin + words[last].XMax) / 2, words[last].XMax};
        const double anchor[] = {72, 288, 504};
        EXPECT_NEAR(landed[line], anchor[line], 0.5) << "line " << line;
    }
}

// Right-aligned texts in installed faces, plain and formatted, end on their
// anchor; the lead-in before a TrueType text is its own blank.
TEST(PdfReaders, RightAlignedTextsEndOnTheirAnchor) {
    if (!HasTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    for (const char* face : {"DejaVu Sans Mono", "DejaVu Sans", "DejaVu Serif", "Liberation Serif", "Arial"}) {
        const std::string pdf = ConvertAsTalpdf(OnePage([&](ndrwriter::TNdrWriter& w) {
            w.SetFont(Face(face));
            w.PrintRight(1, "Total 1,234.50", 4);
            // The first run names its style: a run without marks would print
            // in the style the line ends in, not the one it was measured in.
            w.PrintRight(2, "\x01" "B0\x04" "Sum \x01" "B1\x04" "99.00", 4);
            w.PrintLeft(3, "Left", 4);
        }));
        const std::vector<TWordBox> words = WordBoxes("right-aligned", pdf);
        ASSERT_EQ(words.size(), 5u) << face;
        EXPECT_NEAR(words[1].XMax, 288, 0.5) << face;
        EXPECT_NEAR(words[3].XMax, 288, 0.5) << face;
        EXPECT_NEAR(words[4].XMin, 288, 0.5) << face;
    }
}

// Reads a binary PPM (P6) as written by pdftoppm.
bool ReadPpm(const fs::path& path, int& width, int& height, std::vector<unsigned char>& pixels) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    if (magic != "P6" || width <= 0 || height <= 0 || maxValue != 255) return false;
    pixels.resize(static_cast<std::size_t>(width) * height * 3);
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(in);
}

// Renders page 1 of the document at 36 pixels per inch without anti-aliasing
// and compares it with the reference kept under tests/pdf/golden.
void ExpectLikeReference(const std::string& name, const std::string& bytes) {
    const fs::path reference = fs::path(TAL_SOURCE_DIR) / ("tests/pdf/golden/" + name + "-r36.ppm");
    const fs::path path = WritePdf("reference-" + name, bytes);
    const fs::path stem = OutputFolder() / ("reference-" + name);
    ASSERT_EQ(RunCommand("pdftoppm -r 36 -singlefile -aa no -aaVector no '" + path.string() + "' '" + stem.string() + "'").Status, 0);
    const fs::path rendered = stem.string() + ".ppm";
    if (std::getenv("TAL_UPDATE_GOLDEN")) fs::copy_file(rendered, reference, fs::copy_options::overwrite_existing);
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    std::vector<unsigned char> got, want;
    ASSERT_TRUE(ReadPpm(rendered, w1, h1, got));
    ASSERT_TRUE(ReadPpm(reference, w2, h2, want)) << "missing reference " << reference;
    ASSERT_EQ(w1, w2);
    ASSERT_EQ(h1, h2);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < got.size(); i += 3) {
        int delta = 0;
        for (int c = 0; c < 3; ++c) delta = std::max(delta, std::abs(int(got[i + c]) - int(want[i + c])));
        if (delta > 48) ++differing;
    }
    // A few edge pixels may move with the rasteriser's version.
    EXPECT_LE(differing, got.size() / 3 / 200) << name << ": " << differing << " pixels differ";
}

TEST(PdfReaders, RenderingsMatchTheReferenceImages) {
    if (!HasTool("pdftoppm")) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    for (const TNamedReport& report : FeatureReports())
        if (report.Name == "shapes") ExpectLikeReference("shapes", ConvertReport(report.Bytes).Bytes);
    const fs::path sample = fs::path(TAL_SOURCE_DIR) / "examples/sample.ndr";
    if (!fs::exists(sample)) GTEST_SKIP() << "no examples/sample.ndr";
    const std::string ndr = ReadFileText(sample.string());
    ExpectLikeReference("sample", ConvertReport(std::vector<std::uint8_t>(ndr.begin(), ndr.end()),
                                                [](TRvRenderPDF& r) {
                                                    ApplyEngineFormSettings(r);
                                                    r.FFontEngine = nullptr;
                                                })
                                      .Bytes);
}

}  // namespace
}  // namespace tal::testing
