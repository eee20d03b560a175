// Pictures with transparent parts over a coloured band, and thin metafile
// lines drawn at a metafile's own size, seen through real readers: poppler
// always, MuPDF and Ghostscript where they are installed. Every reader must
// render without an error line, and qpdf must find nothing wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/pdf/PagePixels.h"
#include "tests/pdf/PdfTestSupport.h"
#include "tests/pictures/MetafileSamples.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal::testing {
namespace {

namespace fs = std::filesystem;
using namespace tal::pictest;
using ndrwriter::TGraphicData;

constexpr TRgb Band {0, 0, 255};  // blue, under the pictures, from 1 to 4 inches down

// Points to whole pixels of a page rendered at dpi.
int Px(double points, int dpi) { return static_cast<int>(points * dpi / 72.0); }

bool Near(TRgb got, TRgb want) {
    return std::abs(got.R - want.R) <= ColourTolerance && std::abs(got.G - want.G) <= ColourTolerance &&
           std::abs(got.B - want.B) <= ColourTolerance;
}

std::string Describe(TRgb c) { return std::to_string(c.R) + "," + std::to_string(c.G) + "," + std::to_string(c.B); }

// A square of 5 x 5 pixels around a point (in points) must have the colour.
void ExpectColourAround(const TImage& page, double x, double y, int dpi, TRgb want, const std::string& what) {
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const TRgb got = page.At(Px(x, dpi) + dx, Px(y, dpi) + dy);
            if (!Near(got, want)) {
                ADD_FAILURE() << what << " at (" << x << ", " << y << ") pt: " << Describe(got) << ", wanted "
                              << Describe(want);
                return;
            }
        }
}

// The transparent pictures: a 32-pixel icon whose left half is transparent
// (alpha and AND mask agree) and a 2 x 1 inch WMF whose middle rectangle is
// filled white and outlined, its surroundings untouched. Each is drawn
// stretched and at its own size over the band.
std::vector<std::uint8_t> PicturesOverBand() {
    return OnePage([](ndrwriter::TNdrWriter& w) {
        w.SetPen(0, 4, psClear, 0);
        w.SetBrush(static_cast<std::int32_t>(Band.ColorRef()), bsSolid);
        w.FillRect(0, 1, 8.5f, 4);
        const TGraphicData icon {3, ndrwriter::HalfMaskedIcon(32, Red.ColorRef(), true)};
        const TGraphicData metafile {2, ndrwriter::RectangleMetafile(2880, 1440), true};
        w.StretchDraw(icon, 1, 1.5f, 2, 2.5f);     // 72 x 72 pt at (72, 108)
        w.Draw(icon, 2.5f, 1.5f);                  // 32 x 32 pt at (180, 108)
        w.StretchDraw(metafile, 3.5f, 1.5f, 5.5f, 2.5f);  // 144 x 72 pt at (252, 108)
        w.Draw(metafile, 1, 2.75f);                // 192 x 96 pt at (72, 198)
    });
}

TEST(PdfTransparencyReaders, TransparentPartsOfPicturesLeaveTheBandVisible) {
    const std::string pdf = ConvertReport(PicturesOverBand()).Bytes;
    for (const char* reader : {"pdftoppm", "mutool", "gs"}) {
        const TReaderRendering r = RenderWithReader(reader, pdf, 72, false);
        if (!r.Installed) {
            if (std::string(reader) == "pdftoppm") ADD_FAILURE() << "pdftoppm (poppler-utils) is not installed";
            continue;
        }
        SCOPED_TRACE(reader);
        EXPECT_EQ(r.Status, 0) << r.Output;
        EXPECT_FALSE(HasErrorLine(r.Output)) << r.Output;
        const TImage& page = r.Page;
        ExpectColourAround(page, 300, 40, 72, White, "page above the band");
        ExpectColourAround(page, 300, 270, 72, Band, "band");
        // Icons: transparent left half, red right half.
        ExpectColourAround(page, 90, 144, 72, Band, "stretched icon, transparent half");
        ExpectColourAround(page, 126, 144, 72, Red, "stretched icon, painted half");
        ExpectColourAround(page, 187, 124, 72, Band, "icon at its size, transparent half");
        ExpectColourAround(page, 204, 124, 72, Red, "icon at its size, painted half");
        // Metafiles: untouched corners, white inside the rectangle.
        ExpectColourAround(page, 262, 116, 72, Band, "stretched metafile, untouched corner");
        ExpectColourAround(page, 324, 144, 72, White, "stretched metafile, its rectangle");
        ExpectColourAround(page, 84, 208, 72, Band, "metafile at its size, untouched corner");
        ExpectColourAround(page, 168, 246, 72, White, "metafile at its size, its rectangle");
    }
}

TEST(PdfTransparencyReaders, QpdfFindsNothingWrongWithMasks) {
    if (RunStatus("sh -c 'command -v qpdf'") != 0) GTEST_SKIP() << "qpdf is not installed";
    const fs::path file = fs::temp_directory_path() / "tal-pdf-masks.pdf";
    std::ofstream(file, std::ios::binary) << ConvertReport(PicturesOverBand()).Bytes;
    std::string output;
    {
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("qpdf --check '" + file.string() + "' 2>&1").c_str(), "r"),
                                                   pclose);
        ASSERT_TRUE(pipe);
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) output.append(buffer, n);
        EXPECT_EQ(pclose(pipe.release()), 0) << output;
    }
    fs::remove(file);
    EXPECT_NE(output.find("No syntax or stream encoding errors found"), std::string::npos) << output;
    EXPECT_FALSE(HasErrorLine(output)) << output;
}

// A metafile of 144 x 72 pixels of the reference screen (1.5 x 0.75 inches),
// so that Draw places it 2 x 1 inches, in logical units of a tenth of a
// pixel: vertical lines on pixel edges at x = 24, 48, 72 drawn with a pen of
// one unit, and at 96, 120 with a hairline pen (width 0); and a slanting
// hairline from (4, 4) to (140, 68), across them.
constexpr double LinesAt[] = {24, 48, 72, 96, 120};
double SlantAt(double x) { return 4 + (x - 4) * 64 / 136; }

std::vector<std::uint8_t> ThinLines() {
    TWmfWriter w;
    w.SetObjectCount(2);
    w.Add(TWmf::SetWindowOrg, {0, 0});
    w.Add(TWmf::SetWindowExt, {720, 1440});
    WmfPen(w, PS_SOLID, 1, 0);
    w.Add(TWmf::SelectObject, {0});
    for (double at : LinesAt) {
        const auto x = static_cast<std::int16_t>(at * 10);
        if (at > 90) {
            WmfPen(w, PS_SOLID, 0, 0);
            w.Add(TWmf::SelectObject, {1});
        }
        w.Add(TWmf::MoveTo, {80, x});
        w.Add(TWmf::LineTo, {640, x});
    }
    w.Add(TWmf::MoveTo, {40, 40});
    w.Add(TWmf::LineTo, {680, 1400});
    return w.Finish(true, {0, 0, 1440, 720}, 960);
}

TEST(PdfTransparencyReaders, OnePixelMetafileLinesDrawnAtTheirSizeKeepTheirInkAt150Dpi) {
    const std::vector<std::uint8_t> report = OnePage([](ndrwriter::TNdrWriter& w) {
        w.Draw(TGraphicData {2, ThinLines(), true}, 1, 1);
    });
    const std::string pdf = ConvertReport(report).Bytes;
    constexpr int Dpi = 150;
    for (const char* reader : {"pdftoppm", "mutool", "gs"}) {
        const TReaderRendering r = RenderWithReader(reader, pdf, Dpi, true);
        if (!r.Installed) {
            if (std::string(reader) == "pdftoppm") ADD_FAILURE() << "pdftoppm (poppler-utils) is not installed";
            continue;
        }
        SCOPED_TRACE(reader);
        EXPECT_FALSE(HasErrorLine(r.Output)) << r.Output;
        // Drawn 2 x 1 inches at (1, 1) inch: a logical pixel is 1/72 inch.
        for (double x : LinesAt) {
            const int column = Px(72 + x, Dpi);
            for (int y = 12; y <= 60; y += 4) {
                if (std::abs(y - SlantAt(x)) < 6) continue;  // where the slanting line crosses
                const int row = Px(72 + y, Dpi);
                int darkest = 255, dark = 0;
                for (int dx = -4; dx <= 4; ++dx) {
                    const TRgb c = r.Page.At(column + dx, row);
                    darkest = std::min(darkest, std::max({c.R, c.G, c.B}));
                    if (std::max({c.R, c.G, c.B}) < 128) ++dark;
                }
                // Black ink, and a sharp line: no more than its width (two
                // pixels at 150 dpi) and a pixel of edge on either side.
                EXPECT_LT(darkest, 64) << "line at " << x << ", row " << y;
                EXPECT_LE(dark, 4) << "line at " << x << ", row " << y;
            }
        }
        for (double x = 12; x <= 136; x += 8) {
            if (std::any_of(std::begin(LinesAt), std::end(LinesAt), [x](double at) { return std::abs(at - x) < 6; }))
                continue;
            int darkest = 255;
            for (int dy = -4; dy <= 4; ++dy) {
                const TRgb c = r.Page.At(Px(72 + x, Dpi), Px(72 + SlantAt(x), Dpi) + dy);
                darkest = std::min(darkest, std::max({c.R, c.G, c.B}));
            }
            EXPECT_LT(darkest, 64) << "slanting line at " << x;
        }
        // Around the lines the page stays clean: no blur, no ringing of the
        // lossy compression beside or beyond their ends.
        int stray = 0;
        for (int row = Px(72 + 2, Dpi); row <= Px(72 + 70, Dpi); ++row)
            for (int column = Px(72 + 2, Dpi); column <= Px(72 + 142, Dpi); ++column) {
                bool nearLine = std::abs(row - Px(72 + SlantAt((column * 72.0 / Dpi) - 72), Dpi)) <= 6;
                for (double x : LinesAt) nearLine = nearLine || std::abs(column - Px(72 + x, Dpi)) <= 4;
                const TRgb c = r.Page.At(column, row);
                if (!nearLine && std::min({c.R, c.G, c.B}) < 235) ++stray;
            }
        EXPECT_EQ(stray, 0) << "pixels of stray ink";
    }
}

}  // namespace
}  // namespace tal::testing
