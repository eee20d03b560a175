#include "tests/pdf/PdfTestSupport.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal::testing {

using ndrwriter::TNdrWriter;

namespace {

std::vector<std::uint8_t> Shapes() {
    return OnePage([](TNdrWriter& w) {
        w.SetPen(0x0000FF, 4, 0, 0.02f);
        w.SetBrush(0x80FF80, 0);
        w.Rectangle(1, 1, 2, 1.5f);
        w.Ellipse(2.5f, 1, 4, 2);
        w.RoundRect(4.5f, 1, 6, 2, 0.4f, 0.3f);
        w.PenStyle(1);
        w.MoveTo(1, 2.5f);
        w.LineTo(7, 2.5f);
        w.PenStyle(0);
        w.Arc(1, 3, 2, 4, 2, 3.5f, 1.5f, 3);
        w.Chord(2.5f, 3, 4, 4, 4, 3.5f, 2.5f, 3.5f);
        w.Pie(4.5f, 3, 6.5f, 4, 6.5f, 3.5f, 5.5f, 3);
        w.Polygon({{1, 5}, {2, 4.5f}, {3, 5}, {2.5f, 6}, {1.5f, 6}});
        w.BrushStyle(1);
        w.Polyline({{4, 5}, {4.5f, 4.5f}, {5, 5}, {5.5f, 4.5f}, {6, 5}, {6.5f, 4.5f}, {7, 5}, {7.5f, 4.5f}, {8, 5}});
        w.Polygon({{1, 7}, {2, 6.5f}, {3, 7}});
        w.PenStyle(5);
        w.BrushStyle(0);
        w.FillRect(1, 8, 3, 9);
        w.PenStyle(2);
        w.Ellipse(4, 8, 7, 9.5f);
    });
}

std::vector<std::uint8_t> Texts() {
    return OnePage([](TNdrWriter& w) {
        w.SetFont(Arial());
        w.PrintLeft(1, "Hello (world) \\ back", 1);
        w.PrintCenter(1.5f, "Centred", 4.25f);
        w.PrintRight(2, "Right", 7.5f);
        auto times = Arial(10);
        times.Name = "Times New Roman";
        times.Bold = true;
        w.SetFont(times);
        w.PrintBlock(2.5f, "A justified line of words  ", 1, 6.5f);
        auto courier = Arial(10);
        courier.Name = "Courier New";
        courier.Color = 0x0000FF;
        w.SetFont(courier);
        w.FontUnderline(true);
        w.PrintLeft(3, "Underlined red", 1);
        w.FontUnderline(false);
        w.FontStrikeOut(true);
        w.PrintLeft(3.5f, "Struck out", 1);
        w.FontStrikeOut(false);
        auto rotated = Arial(14);
        rotated.Rotation = 90;
        w.SetFont(rotated);
        w.PrintLeft(6, "Turned", 1);
        w.SetFont(Arial());
        w.TextRect(1, 7, 3, 7.3f, 1, 7.2f, "Clipped text that runs on past its box");
        w.PrintLeft(8, "caf\xE9 \x80 \x93 end", 1);
    });
}

std::vector<std::uint8_t> TrueType() {
    return OnePage([](TNdrWriter& w) {
        auto font = Arial();
        font.Name = "Verdana";
        w.SetFont(font);
        w.PrintLeft(1, "TrueType text", 1);
    });
}

std::vector<std::uint8_t> InstalledTrueType() {
    return OnePage([](TNdrWriter& w) {
        for (const char* face : {"DejaVu Sans", "Liberation Serif"}) {
            auto font = Arial();
            font.Name = face;
            w.SetFont(font);
            w.PrintLeft(1, std::string(face) + " caf\xE9 \x80", 1);
            w.FontBold(true);
            w.PrintLeft(2, std::string(face) + " bold", 1);
        }
    });
}

}  // namespace

std::vector<std::uint8_t> Hatches() {
    return OnePage([](TNdrWriter& w) {
        // A yellow band under the lower half of the hatched boxes: the hatch
        // is drawn over what lies under it.
        w.SetPen(0, 4, psClear, 0);
        w.SetBrush(HatchBandColour, bsSolid);
        w.Rectangle(0, 1.5f, 8.5f, 2.5f);
        w.BrushColor(HatchColour);
        for (std::uint8_t style = bsHorizontal; style <= bsDiagCross; ++style) {
            w.BrushStyle(style);
            const float x = HatchBoxLeft(style);
            w.Rectangle(x, 1, x + 1, 2);
        }
        // The same hatch in another colour is another pattern; a shape with a
        // pen strokes its outline over the hatch.
        w.SetPen(0, 4, psSolid, 0.01f);
        w.SetBrush(0x0000FF, bsCross);
        w.Ellipse(0.5f, 3, 2, 4);
        w.FillRect(2.5f, 3, 3.5f, 4);
        w.SetBrush(HatchColour, bsFDiagonal);
        w.Polygon({{4, 4}, {5, 3}, {6, 4}});
        w.SetBrush(0xFFFFFF, bsSolid);
        w.Rectangle(6.5f, 3, 7.5f, 4);
    });
}

namespace {

std::vector<std::uint8_t> Pictures() {
    ndrwriter::TNdrWriter writer;
    writer.BeginPage(1);
    ndrwriter::TGraphicData bitmap {1, ndrwriter::SolidBitmap(144, 72, 0x0000FF)};
    ndrwriter::TGraphicData metafile {2, ndrwriter::RectangleMetafile(1440, 720)};
    ndrwriter::TGraphicData icon {3, ndrwriter::HalfMaskedIcon(32, 0xFF0000)};
    writer.Draw(bitmap, 1, 1);
    writer.StretchDraw(metafile, 1, 3, 3, 4);
    writer.EndPage();
    writer.BeginPage(2);
    writer.PrintBitmap(bitmap, 1, 1, 0.5f, 0.5f);
    writer.StretchBitmap(bitmap, 1, 2, 4, 3);
    writer.Draw(icon, 5, 1);
    writer.EndPage();
    return writer.Finish();
}

std::vector<std::uint8_t> TwoPages() {
    ndrwriter::TNdrWriter writer;
    writer.BeginPage(1);
    writer.SetFont(Arial());
    writer.PrintLeft(1, "Page one", 1);
    writer.EndPage();
    writer.BeginPage(2, 11, 8.5f);
    writer.PrintLeft(1, "Page two, landscape", 1);
    writer.EndPage();
    return writer.Finish();
}

}  // namespace

std::vector<TNamedReport> FeatureReports() {
    std::vector<TNamedReport> reports;
    reports.push_back({"empty", ndrwriter::TNdrWriter().Finish(), {}});
    reports.push_back({"shapes", Shapes(), {}});
    reports.push_back({"texts", Texts(), {}});
    reports.push_back({"truetype", TrueType(), [](TRvRenderPDF& r) { r.EmbedFonts = true; }});
    // Faces of the machine through the real font engine (Helvetica where they are missing).
    reports.push_back({"installed-truetype", InstalledTrueType(), [](TRvRenderPDF& r) {
                           r.FFontEngine = nullptr;
                           r.EmbedFonts = true;
                       }});
    reports.push_back({"pictures", Pictures(), {}});
    reports.push_back({"hatches", Hatches(), {}});
    reports.push_back({"two-pages", TwoPages(), {}});
    return reports;
}

}  // namespace tal::testing
