// Both engines side by side, as a user sees their documents: reports with
// landscape, A4 and Letter pages, every shape with every pen and brush
// style, pictures by every operation, turned and clipped texts and long
// texts in several faces go through TALPDF and through TalRTF, LibreOffice
// lays the RTF out, and both PDFs are rendered at 36 dpi. They must have the
// same pages, the same words on each page, and ink that agrees: at least
// 95 % of each page's ink lies within 2 pixels of the other's, both ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/ndrwriter/NdrWriter.h"
#include "tools/ndrwriter/SampleChart.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace {

namespace fs = std::filesystem;
using tal::ndrwriter::TGraphicData;
using tal::ndrwriter::TNdrWriter;

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// ---- reports of our own ----

constexpr std::int32_t Black = 0x000000, Navy = 0x800000, Red = 0x0000FF, Green = 0x008000, Silver = 0xC0C0C0;

void Pen(TNdrWriter& w, std::int32_t color, std::uint8_t style, float points) {
    w.SetPen(color, 4, style, points * 10000);
    w.PenWidth(points / 72);
}

TNdrWriter::TFontRecord Face(const std::string& name, float points, std::int32_t color = Black,
                             std::int16_t rotation = 0) {
    return {.Name = name, .Color = color, .SizeInches = points / 72, .Rotation = rotation};
}

// A4 landscape: every shape, pen style and brush style, zebra rows under
// text, and a clear frame drawn around a remark after its text.
void ShapesPage(TNdrWriter& w) {
    w.BeginPage(1, 11.69f, 8.27f);
    w.SetFont(Face("Arial", 10));
    for (int style = 0; style <= 7; ++style) {
        const float x = 0.75f + 1.3f * static_cast<float>(style);
        Pen(w, style % 2 ? Navy : Black, static_cast<std::uint8_t>(style % 7), 0.5f + 0.5f * static_cast<float>(style % 4));
        w.SetBrush(0x99CCFF + 0x1000 * style, static_cast<std::uint8_t>(style));
        w.Rectangle(x, 0.75f, x + 1.0f, 1.5f);
        w.Ellipse(x, 1.75f, x + 1.0f, 2.5f);
        w.RoundRect(x, 2.75f, x + 1.0f, 3.5f, 0.3f, 0.2f);
        w.Pie(x, 3.75f, x + 1.0f, 4.5f, x + 1.0f, 4.1f, x + 0.5f, 3.75f);
        w.Chord(x, 4.75f, x + 1.0f, 5.5f, x + 1.0f, 4.9f, x, 5.3f);
        w.Arc(x, 5.75f, x + 1.0f, 6.5f, x + 1.0f, 6.1f, x, 6.1f);
        w.Polygon({{x + 0.5f, 6.75f}, {x + 1.0f, 7.5f}, {x, 7.5f}});
    }
    Pen(w, Green, 0, 1.5f);
    w.Polyline({{10.9f, 0.75f}, {11.2f, 1.5f}, {10.9f, 2.25f}, {11.2f, 3.0f}});
    for (int row = 0; row < 6; ++row) {
        const float y = 3.75f + 0.3f * static_cast<float>(row);
        if (row % 2 == 0) {
            w.SetBrush(Silver, 0);
            w.FillRect(10.5f, y, 11.5f, y + 0.3f);
        }
        w.PrintLeft(y + 0.22f, "Row " + std::to_string(row + 1), 10.55f);
    }
    w.PrintLeft(7.2f, "Framed remark", 10.55f);
    Pen(w, Red, 0, 1.0f);
    w.SetBrush(0x00FFFF, 1);
    w.Rectangle(10.5f, 7.0f, 11.5f, 7.35f);
    for (int style = 0; style <= 6; ++style) {
        Pen(w, Black, static_cast<std::uint8_t>(style), 0.5f + 0.5f * static_cast<float>(style));
        w.MoveTo(10.5f, 5.8f + 0.15f * static_cast<float>(style));
        w.LineTo(11.5f, 5.8f + 0.15f * static_cast<float>(style));
    }
    w.MoveTo(10.5f, 0.6f);
    w.LineTo(11.5f, 0.2f);
    w.EndPage();
}

// A4 portrait: pictures by every operation, texts turned by a quarter, a
// clipped text.
void PicturesPage(TNdrWriter& w) {
    w.BeginPage(2, 8.27f, 11.69f);
    const TGraphicData metafile {2, tal::ndrwriter::RectangleMetafile(2880, 1440), true};
    const TGraphicData bitmap {1, tal::ndrwriter::SolidBitmap(48, 32, 0x2060C0), true};
    const TGraphicData icon {3, tal::ndrwriter::HalfMaskedIcon(32, 0x00A000, true)};
    w.StretchDraw(metafile, 0.75f, 0.75f, 3.25f, 2.0f);
    w.Draw(metafile, 4.0f, 0.75f);
    w.StretchBitmap(bitmap, 0.75f, 2.5f, 2.25f, 3.5f);
    w.PrintBitmap(bitmap, 2.75f, 2.5f, 2.0f, 2.0f);
    w.PrintBitmap(bitmap, 4.5f, 2.5f, 0.5f, 1.0f);
    w.StretchDraw(bitmap, 5.5f, 2.5f, 7.0f, 3.0f);
    w.Draw(bitmap, 5.5f, 3.25f);
    w.StretchDraw(icon, 0.75f, 4.0f, 1.75f, 5.0f);
    w.Draw(icon, 2.25f, 4.0f);

    w.SetFont(Face("Arial", 11));
    w.TextRect(0.75f, 5.5f, 3.25f, 6.0f, 0.8f, 5.7f, "Clipped to two and a half inches of this line");
    w.SetFont(Face("Times New Roman", 14, Navy, 90));
    w.PrintLeft(9.5f, "Up from here", 1.5f);
    w.PrintRight(9.5f, "Up to here", 2.5f);
    w.PrintCenter(8.5f, "Up around", 3.5f);
    w.SetFont(Face("Arial", 12, Red, 270));
    w.PrintLeft(6.5f, "Down from here", 5.0f);
    w.PrintRight(9.5f, "Down to here", 6.0f);
    w.SetFont(Face("Courier New", 12, Green, 30));
    w.PrintLeft(10.5f, "Up at thirty degrees", 4.5f);
    w.FontRotation(300);
    w.PrintCenter(10.0f, "Down at sixty", 7.0f);
    w.EndPage();
}

// Letter: a long text in three faces and sizes, left, centred, right and
// justified.
void TextPage(TNdrWriter& w) {
    w.BeginPage(3, 8.5f, 11.0f);
    const char* faces[] = {"Arial", "Times New Roman", "Courier New"};
    const char* words[] = {"harbour", "ledger", "provisions", "account", "herring", "salt", "rope", "barrel",
                           "lamp", "oilskin", "twine", "remittance", "statement", "quoted", "delivered"};
    float y = 0.8f;
    for (int line = 0; line < 36; ++line) {
        const float size = 9.0f + static_cast<float>(line % 4);
        w.SetFont(Face(faces[line % 3], size));
        std::string text;
        for (int k = 0; k < 6 + line % 5; ++k) text += std::string(k ? " " : "") + words[(line * 7 + k * 3) % 15];
        switch (line % 4) {
            case 0: w.PrintLeft(y, text, 0.75f); break;
            case 1: w.PrintCenter(y, text, 4.25f); break;
            case 2: w.PrintRight(y, text, 7.75f); break;
            default: w.PrintBlock(y, text, 0.75f, 7.0f); break;
        }
        y += 0.27f;
    }
    w.EndPage();
}

// Letter: a chart drawn as an enhanced metafile, which the RTF carries as
// Windows metafile records.
void ChartPage(TNdrWriter& w) {
    w.BeginPage(4, 8.5f, 11.0f);
    const TGraphicData chart {2, tal::ndrwriter::SampleChartEmf(6, 4, 2)};
    w.StretchDraw(chart, 1.25f, 1.0f, 7.25f, 5.0f);
    w.EndPage();
}

std::vector<std::uint8_t> OwnReport() {
    tal::ndrwriter::THeaderFields header;
    header.Version = 2018;
    TNdrWriter w(header);
    ShapesPage(w);
    PicturesPage(w);
    TextPage(w);
    ChartPage(w);
    return w.Finish();
}

// ---- rendering and comparing ----

struct TPage {
    int Width = 0, Height = 0;
    std::vector<bool> Ink;  // row by row
};

// The pages of a PDF at 36 dpi in grey; anything darker than a light grey
// is ink, so light fills count as well as lines and text.
std::vector<TPage> Render(const fs::path& pdf) {
    const fs::path prefix = pdf.string() + ".page";
    EXPECT_EQ(Shell("pdftoppm -r 36 -gray '" + pdf.string() + "' '" + prefix.string() + "'"), 0);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(pdf.parent_path()))
        if (entry.path().string().rfind(prefix.string(), 0) == 0) files.push_back(entry.path());
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return a.string().size() != b.string().size() ? a.string().size() < b.string().size() : a < b;
    });
    std::vector<TPage> pages;
    for (const fs::path& file : files) {
        const std::string bytes = ReadText(file);
        std::istringstream in(bytes);
        std::string magic;
        int maxValue = 0;
        TPage page;
        in >> magic >> page.Width >> page.Height >> maxValue;
        in.get();
        const std::size_t start = static_cast<std::size_t>(in.tellg());
        EXPECT_EQ(magic, "P5");
        EXPECT_GE(bytes.size(), start + static_cast<std::size_t>(page.Width) * page.Height);
        if (magic != "P5" || bytes.size() < start + static_cast<std::size_t>(page.Width) * page.Height) continue;
        page.Ink.resize(static_cast<std::size_t>(page.Width) * page.Height);
        for (std::size_t i = 0; i < page.Ink.size(); ++i)
            page.Ink[i] = static_cast<unsigned char>(bytes[start + i]) < 235;
        pages.push_back(std::move(page));
    }
    return pages;
}

// The share of a's ink that has ink of b within 2 pixels (1 when a has none).
double Agreement(const TPage& a, const TPage& b) {
    std::size_t ink = 0, near = 0;
    for (int y = 0; y < a.Height; ++y)
        for (int x = 0; x < a.Width; ++x) {
            if (!a.Ink[static_cast<std::size_t>(y) * a.Width + x]) continue;
            ++ink;
            bool found = false;
            for (int dy = -2; dy <= 2 && !found; ++dy)
                for (int dx = -2; dx <= 2 && !found; ++dx) {
                    const int u = x + dx, v = y + dy;
                    found = u >= 0 && v >= 0 && u < b.Width && v < b.Height &&
                            b.Ink[static_cast<std::size_t>(v) * b.Width + u];
                }
            near += found;
        }
    return ink == 0 ? 1.0 : static_cast<double>(near) / static_cast<double>(ink);
}

// The words of each page, as pdftotext reads them.
std::vector<std::multiset<std::string>> Words(const fs::path& pdf, std::size_t pages) {
    std::vector<std::multiset<std::string>> words;
    for (std::size_t p = 1; p <= pages; ++p) {
        const fs::path text = pdf.string() + "." + std::to_string(p) + ".txt";
        Shell("pdftotext -f " + std::to_string(p) + " -l " + std::to_string(p) + " '" + pdf.string() + "' '" +
              text.string() + "'");
        std::istringstream in(ReadText(text));
        std::multiset<std::string> page;
        for (std::string word; in >> word;) page.insert(word);
        words.push_back(std::move(page));
    }
    return words;
}

// The faces the reports use have metric-compatible faces installed:
// LibreOffice then lays their texts out as the PDF engine measured them.
bool FacesInstalled() {
    for (const char* face : {"Arial", "Times New Roman", "Courier New"})
        if (Shell(std::string("fc-match '") + face + "' family | grep -qi liberation") != 0) return false;
    return true;
}

TEST(InkAgreement, TheRtfInLibreOfficeShowsWhatThePdfShowsPageForPage) {
    if (!OnPath("soffice") || !OnPath("pdftoppm") || !OnPath("pdftotext"))
        GTEST_SKIP() << "LibreOffice (soffice) or poppler's pdftoppm/pdftotext is not installed: the comparison "
                        "of the two engines' documents is skipped";
    const fs::path dir = fs::temp_directory_path() / ("ink-agreement-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "lo");
    WriteFile(dir / "own.ndr", OwnReport());
    fs::copy_file(fs::path(TAL_SOURCE_DIR) / "examples" / "sample.ndr", dir / "sample.ndr");
    const std::vector<std::string> reports {"sample", "own"};
    const std::string engine = "env -u QT_QPA_PLATFORM -u DISPLAY ";
    std::string rtfs;
    for (const std::string& name : reports) {
        const std::string ndr = (dir / (name + ".ndr")).string();
        ASSERT_EQ(Shell(engine + TALPDF_PATH + " -q -o '" + (dir / (name + ".pdf")).string() + "' '" + ndr + "'"), 0);
        ASSERT_EQ(Shell(engine + TALRTF_PATH + " -q -o '" + (dir / (name + ".rtf")).string() + "' '" + ndr + "'"), 0);
        rtfs += " '" + (dir / (name + ".rtf")).string() + "'";
    }
    // A profile of its own, and a watchdog: LibreOffice that hangs is killed
    // and the test fails rather than blocking the run.
    const int converted = Shell("cd '" + dir.string() + "' && HOME='" + dir.string() +
                                "' timeout -k 5 240 soffice -env:UserInstallation=file://" + (dir / "profile").string() +
                                " --headless --convert-to pdf --outdir '" + (dir / "lo").string() + "'" + rtfs +
                                " >/dev/null 2>&1");
    ASSERT_EQ(converted, 0) << "LibreOffice failed or was stopped by the watchdog";
    const bool faces = FacesInstalled();
    if (!faces) std::printf("Liberation faces are not installed: ink shares are reported, not required\n");

    for (const std::string& name : reports) {
        SCOPED_TRACE(name);
        const auto pdf = Render(dir / (name + ".pdf"));
        const auto rtf = Render(dir / "lo" / (name + ".pdf"));
        ASSERT_EQ(rtf.size(), pdf.size()) << "page count";
        const auto pdfWords = Words(dir / (name + ".pdf"), pdf.size());
        const auto rtfWords = Words(dir / "lo" / (name + ".pdf"), rtf.size());
        for (std::size_t p = 0; p < pdf.size(); ++p) {
            SCOPED_TRACE("page " + std::to_string(p + 1));
            // Page sizes agree to a pixel (LibreOffice keeps whole twips).
            EXPECT_NEAR(rtf[p].Width, pdf[p].Width, 1);
            EXPECT_NEAR(rtf[p].Height, pdf[p].Height, 1);
            if (rtf[p].Width != pdf[p].Width || rtf[p].Height != pdf[p].Height) continue;
            const double pdfInRtf = Agreement(pdf[p], rtf[p]), rtfInPdf = Agreement(rtf[p], pdf[p]);
            std::printf("%-6s page %zu (%dx%d): %.1f %% of the PDF's ink near the RTF's, %.1f %% the other way\n",
                        name.c_str(), p + 1, pdf[p].Width, pdf[p].Height, 100 * pdfInRtf, 100 * rtfInPdf);
            if (faces) {
                EXPECT_GE(pdfInRtf, 0.95);
                EXPECT_GE(rtfInPdf, 0.95);
            }
            // The measure tells pages apart: the next page of the other
            // document, where it has the same size, does not agree.
            const std::size_t q = (p + 1) % rtf.size();
            if (q != p && rtf[q].Width == pdf[p].Width && rtf[q].Height == pdf[p].Height) {
                const double other = Agreement(pdf[p], rtf[q]);
                std::printf("       against page %zu of the other: %.1f %%\n", q + 1, 100 * other);
                EXPECT_LT(other, 0.8);
            }
            // Every word the PDF shows is shown by the RTF. A clipped text's
            // words are in the PDF's text even where the clip hides them.
            std::multiset<std::string> missing;
            std::set_difference(pdfWords[p].begin(), pdfWords[p].end(), rtfWords[p].begin(), rtfWords[p].end(),
                                std::inserter(missing, missing.end()));
            // pdftotext splits a text turned at an oblique angle into pieces of
            // a letter or two: only whole words count.
            for (const char* hidden : {"clipped", "two-inch", "box", "page", "half", "inches", "this", "line", "and"})
                missing.erase(hidden);
            std::erase_if(missing, [](const std::string& word) { return word.size() < 3; });
            std::string list;
            for (const std::string& word : missing) list += " " + word;
            EXPECT_TRUE(missing.empty()) << "words of the PDF missing from the RTF's rendering:" << list;
        }
    }
    // The documents stay for a look when something disagrees.
    if (HasFailure() || std::getenv("TAL_KEEP_TEST_OUTPUT")) std::printf("documents kept in %s\n", dir.c_str());
    else fs::remove_all(dir);
}

}  // namespace
