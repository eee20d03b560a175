// The RTF documents in a real reader: a report in Arial, Times New Roman and
// Courier New over two pages goes through TalRTF, LibreOffice turns the RTF
// into PDF, and pdftotext tells where every word landed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "platform/Stream.h"
#include "tests/render/CharsetReports.h"
#include "tools/ndrwriter/NdrWriter.h"

namespace tal {
namespace {

namespace fs = std::filesystem;

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

struct TPlaced {
    int Page;
    std::string Word, Font;
    float X, Y;  // baseline start, inches
    int Size;
};

struct TFound {
    int Page;
    double Left, Top, Right, Bottom;
};

// The face's ascent and descent as fractions of the size: where a PDF
// reader draws the box of a word set on a baseline.
struct TFaceMetrics {
    double Ascent, Descent;
};
const std::map<std::string, TFaceMetrics> Faces {
    {"Arial", {0.905, 0.212}}, {"Times New Roman", {0.891, 0.216}}, {"Courier New", {0.833, 0.300}}};

std::vector<TPlaced> Texts() {
    std::vector<TPlaced> texts;
    const char* fonts[] = {"Arial", "Times New Roman", "Courier New"};
    int n = 0;
    for (int page = 1; page <= 2; ++page)
        for (int f = 0; f < 3; ++f)
            for (const int size : {10, 12, 20}) {
                const float x = 0.75f + 2.25f * static_cast<float>(f) + 0.125f * static_cast<float>(size % 3);
                const float y = 1.5f + 0.9f * static_cast<float>(n % 10) + (page == 2 ? 0.3f : 0.0f);
                texts.push_back({page, "Word" + std::to_string(++n) + "q", fonts[f], x, y, size});
            }
    return texts;
}

std::vector<std::uint8_t> Report(const std::vector<TPlaced>& texts) {
    ndrwriter::TNdrWriter w;
    for (int page = 1; page <= 2; ++page) {
        w.BeginPage(static_cast<std::int16_t>(page));
        for (const TPlaced& t : texts) {
            if (t.Page != page) continue;
            ndrwriter::TNdrWriter::TFontRecord font;
            font.Name = t.Font;
            font.SizeInches = static_cast<float>(t.Size) / 72.0f;
            w.SetFont(font);
            w.PrintLeft(t.Y, t.Word, t.X);
        }
        w.EndPage();
    }
    return w.Finish();
}

std::map<std::string, TFound> Words(const std::string& html) {
    std::map<std::string, TFound> found;
    const std::regex page("<page "), word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    int pageNo = 0;
    std::istringstream lines(html);
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_search(line, page)) ++pageNo;
        std::smatch m;
        if (std::regex_search(line, m, word))
            found[m[5]] = {pageNo, std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])};
    }
    return found;
}

TEST(LibreOffice, EveryWordLandsOnItsPageWhereItWasPlaced) {
    if (!OnPath("soffice") || !OnPath("pdftotext")) GTEST_SKIP() << "LibreOffice (soffice) or pdftotext is not installed: the reader check is skipped";
    const fs::path dir = fs::temp_directory_path() / ("rtf-libreoffice-" + std::to_string(::getpid()));
    fs::create_directories(dir / "home");
    const auto texts = Texts();
    const auto bytes = Report(texts);
    std::ofstream(dir / "report.ndr", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                              static_cast<std::streamsize>(bytes.size()));
    ASSERT_EQ(Shell(std::string(TALRTF_PATH) + " -q -o " + (dir / "report.rtf").string() + " " +
                  (dir / "report.ndr").string()), 0);
    ASSERT_EQ(Shell("cd " + dir.string() + " && HOME=" + (dir / "home").string() +
                  " timeout 300 soffice --headless --convert-to pdf --outdir " + dir.string() + " " +
                  (dir / "report.rtf").string() + " >/dev/null 2>&1"), 0);
    ASSERT_EQ(Shell("pdftotext -bbox " + (dir / "report.pdf").string() + " " + (dir / "report.html").string()), 0);
    std::ifstream in(dir / "report.html");
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto found = Words(html);
    for (const TPlaced& t : texts) {
        SCOPED_TRACE(t.Word + " in " + t.Font + " " + std::to_string(t.Size));
        const auto at = found.find(t.Word);
        ASSERT_NE(at, found.end());
        const TFound& box = at->second;
        EXPECT_EQ(box.Page, t.Page);
        const TFaceMetrics& face = Faces.at(t.Font);
        const double left = t.X * 72.0;
        const double centre = t.Y * 72.0 - (face.Ascent - face.Descent) / 2 * t.Size;
        // LibreOffice sets the first line at the top of its box with the face's
        // full ascent: Courier New's is large, and its words sit a sixth of the
        // size higher than where a PDF puts them.
        const double allowance = t.Font == "Courier New" ? t.Size / 6.0 : 0.0;
        const double measured = (box.Top + box.Bottom) / 2;
        EXPECT_NEAR(box.Left, left, 2.0);
        EXPECT_NEAR(measured + allowance, centre, 2.0);
        std::printf("%-8s %-16s %2d pt: left %+.2f, centre %+.2f points\n", t.Word.c_str(), t.Font.c_str(), t.Size,
                    box.Left - left, measured - centre);
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tal

namespace tal {
namespace {

// Texts in other charsets: each font record's charset names the code page of
// its bytes. The report of the PDF charset checks goes through TalRTF and
// LibreOffice, and through TALPDF: both documents give every line back.
std::string PdfText(const fs::path& pdf) {
    const fs::path txt = pdf.parent_path() / (pdf.stem().string() + ".txt");
    if (Shell("pdftotext -enc UTF-8 '" + pdf.string() + "' '" + txt.string() + "'") != 0) return {};
    std::ifstream in(txt);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WithoutBlanks(const std::string& text) {
    std::string kept;
    for (char c : text)
        if (c != '\n' && c != ' ' && c != '\f') kept += c;
    return kept;
}

TEST(LibreOffice, TextsOfOtherCharsetsReadBackAsFromThePdf) {
    if (!OnPath("soffice") || !OnPath("pdftotext"))
        GTEST_SKIP() << "LibreOffice (soffice) or pdftotext is not installed: the reader check is skipped";
    const std::vector<testing::TScriptLine> lines = testing::ScriptLines();
    const std::vector<std::uint8_t> bytes = testing::ScriptReport(lines);
    const fs::path dir = fs::temp_directory_path() / ("rtf-charsets-" + std::to_string(::getpid()));
    fs::create_directories(dir / "home");
    fs::create_directories(dir / "lo");
    std::ofstream(dir / "report.ndr", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                              static_cast<std::streamsize>(bytes.size()));
    const std::string report = (dir / "report.ndr").string();
    ASSERT_EQ(Shell(std::string(TALRTF_PATH) + " -q -o " + (dir / "report.rtf").string() + " " + report), 0);
    ASSERT_EQ(Shell(std::string(TALPDF_PATH) + " -q -o " + (dir / "report.pdf").string() + " " + report), 0);
    // A home of its own, and a watchdog: a LibreOffice that hangs is killed.
    ASSERT_EQ(Shell("cd " + dir.string() + " && HOME=" + (dir / "home").string() +
                    " timeout -k 5 300 soffice --headless --convert-to pdf --outdir " + (dir / "lo").string() + " " +
                    (dir / "report.rtf").string() + " >/dev/null 2>&1"),
              0)
        << "LibreOffice failed or was stopped by the watchdog";
    // The text boxes' words are in LibreOffice's PDF, not in its plain-text
    // export; a box may wrap a word where LibreOffice's face is wider than
    // the one measured, so the letters are compared without line breaks.
    const std::string office = WithoutBlanks(PdfText(dir / "lo" / "report.pdf"));
    const std::string own = PdfText(dir / "report.pdf");
    for (const testing::TScriptLine& line : lines) {
        EXPECT_NE(own.find(line.Utf8 + "\n"), std::string::npos) << line.Language << " (TALPDF)\n" << own;
        EXPECT_NE(office.find(WithoutBlanks(line.Utf8)), std::string::npos) << line.Language << " (LibreOffice)\n"
                                                                             << office;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tal
