// Writes the sample report shipped with the engines: an invoice-style page,
// a gallery of every shape with pens and brushes on a landscape A4 page, and
// a page of pictures and rotated text. Usage: make_sample_report OUT.ndr
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/ndrwriter/NdrWriter.h"
#include "tools/ndrwriter/SamplePictures.h"

using namespace tal::ndrwriter;

namespace {

constexpr std::int32_t Black = 0x000000, White = 0xFFFFFF, Silver = 0xC0C0C0, Red = 0x0000FF, Navy = 0x800000,
                       Green = 0x008000, Teal = 0x808000;

// Pen widths: the pen record holds 1/10000 of a point, the pen-width command inches.
void Pen(TNdrWriter& w, std::int32_t color, std::uint8_t style, float points) {
    w.SetPen(color, 4, style, points * 10000);
    w.PenWidth(points / 72);
}

TNdrWriter::TFontRecord Font(const std::string& name, float points, bool bold = false, bool italic = false,
                             std::int32_t color = Black) {
    return {.Name = name, .Color = color, .Pitch = 0, .Charset = 0, .SizeInches = points / 72, .Bold = bold,
            .Italic = italic};
}

void Footer(TNdrWriter& w, float width, float height) {
    w.SetFont(Font("Arial", 8));
    w.FontBold(false);
    w.FontItalic(false);
    w.PrintCenter(height - 0.4f, "Page " + BuiltInMacro(11) + " of " + BuiltInMacro(10), width / 2);
    w.PrintLeft(height - 0.4f, "Printed " + BuiltInMacro(2), 0.75f);
    w.PrintRight(height - 0.4f, VariableMacro("Company"), width - 0.75f);
}

void InvoicePage(TNdrWriter& w) {
    w.BeginPage(1, 8.5f, 11.0f);
    w.SetVariable("Company", "Gull Island Provisions");
    w.SetVariable("Total", "1,482.50");
    w.SetFont(Font("Times New Roman", 20, true));
    w.FontBold(true);
    w.PrintCenter(1.0f, "Statement of Account", 4.25f);
    w.SetFont(Font("Times New Roman", 11, false, true));
    w.FontBold(false);
    w.FontItalic(true);
    w.PrintCenter(1.3f, VariableMacro("company") + " - " + BuiltInMacro(1), 4.25f);

    // Table heading: a silver band with a black outline.
    Pen(w, Black, 0, 0.75f);
    w.SetBrush(Silver, 0);
    w.FrameMode(1);
    w.Rectangle(0.75f, 1.7f, 7.75f, 2.0f);
    w.SetFont(Font("Arial", 10, true));
    w.FontBold(true);
    w.FontItalic(false);
    w.PrintLeft(1.9f, "Item", 0.85f);
    w.PrintLeft(1.9f, "Description", 1.7f);
    w.PrintRight(1.9f, "Amount", 7.65f);

    w.FontBold(false);
    const char* items[][3] = {{"1001", "Herring, smoked (crate)", "212.00"},
                              {"1002", "Sea salt, coarse, 25 kg", "48.50"},
                              {"1003", "Rope, manila, 100 m", "96.00"},
                              {"1004", "Lamp oil, 20 l", "61.25"},
                              {"1005", "Oilskins, large", "184.75"},
                              {"1006", "Net repair twine", "24.00"},
                              {"1007", "Barrels, oak, 50 l", "856.00"}};
    float y = 2.25f;
    for (const auto& item : items) {
        w.PrintLeft(y, item[0], 0.85f);
        w.PrintLeft(y, item[1], 1.7f);
        w.PrintRight(y, item[2], 7.65f);
        Pen(w, Silver, 0, 0.5f);
        w.MoveTo(0.75f, y + 0.07f);
        w.LineTo(7.75f, y + 0.07f);
        y += 0.25f;
    }
    Pen(w, Black, 0, 1.5f);
    w.MoveTo(5.5f, y);
    w.LineTo(7.75f, y);
    w.PrintLeft(y + 0.25f, "Total due: " + MarkGroup({{'B', "1"}}) + VariableMacro("Total"), 5.5f);

    w.SetFont(Font("Times New Roman", 11));
    w.PrintBlock(5.0f, "Payment is due within thirty days of the statement date. Goods remain the", 0.75f, 7.0f);
    w.PrintBlock(5.2f, "property of the seller until paid in full; please quote the item numbers", 0.75f, 7.0f);
    w.PrintLeft(5.4f, "with every remittance.", 0.75f);
    w.PrintLeft(5.8f,
                "Marks: " + MarkGroup({{'B', "1"}}) + "bold " + MarkGroup({{'B', "0"}, {'I', "1"}}) + "italic " +
                    MarkGroup({{'I', "0"}, {'U', "1"}}) + "underlined " + MarkGroup({{'U', "0"}, {'C', "255"}}) + "red " +
                    MarkGroup({{'r', ""}, {'N', "Courier New"}, {'Z', "10"}}) + "courier",
                0.75f);
    // Marks stay in force after their text: start the next lines afresh.
    w.SetFont(Font("Arial", 11));
    w.FontName("Arial");
    w.FontColor(Black);
    w.FontUnderline(true);
    w.PrintLeft(6.3f, "Underlined heading", 0.75f);
    w.FontUnderline(false);
    w.FontStrikeOut(true);
    w.FontColor(Red);
    w.PrintLeft(6.6f, "Struck-out red line", 0.75f);
    w.FontStrikeOut(false);
    w.FontColor(Black);
    w.SetFont(Font("Courier New", 10));
    w.PrintLeft(7.0f, "Ref: GIP/2026/0417   Terms: net 30", 0.75f);
    Footer(w, 8.5f, 11.0f);
    w.EndPage();
}

void ShapesPage(TNdrWriter& w) {
    const float width = 11.69f, height = 8.27f;  // A4, landscape
    w.BeginPage(2, width, height);
    w.SetFont(Font("Arial", 16, true));
    w.FontBold(true);
    w.PrintLeft(0.7f, "Shapes, pens and brushes", 0.75f);
    w.FontBold(false);

    auto caption = [&](float x, float y, const std::string& text) {
        w.SetFont(Font("Courier New", 9));
        w.PrintCenter(y, text, x);
    };
    Pen(w, Navy, 0, 1.5f);
    w.SetBrush(0xFFCC99, 0);
    w.FrameMode(0);
    w.Rectangle(0.75f, 1.0f, 2.25f, 2.0f);
    caption(1.5f, 2.2f, "Rectangle");
    w.RoundRect(2.75f, 1.0f, 4.25f, 2.0f, 0.4f, 0.3f);
    caption(3.5f, 2.2f, "RoundRect");
    w.Ellipse(4.75f, 1.0f, 6.25f, 2.0f);
    caption(5.5f, 2.2f, "Ellipse");
    w.Arc(6.75f, 1.0f, 8.25f, 2.0f, 8.25f, 1.5f, 6.75f, 1.5f);
    caption(7.5f, 2.2f, "Arc");
    w.Chord(8.75f, 1.0f, 10.25f, 2.0f, 10.25f, 1.2f, 8.75f, 1.8f);
    caption(9.5f, 2.2f, "Chord");

    Pen(w, Green, 0, 1.0f);
    w.SetBrush(0x99FF99, 0);
    w.Pie(0.75f, 2.6f, 2.25f, 3.6f, 2.25f, 3.1f, 1.5f, 2.6f);
    caption(1.5f, 3.8f, "Pie");
    w.Polygon({{3.5f, 2.6f}, {4.25f, 3.6f}, {2.75f, 3.6f}});
    caption(3.5f, 3.8f, "Polygon");
    w.Polyline({{4.75f, 3.6f}, {5.1f, 2.6f}, {5.5f, 3.4f}, {5.9f, 2.7f}, {6.25f, 3.6f}});
    caption(5.5f, 3.8f, "Polyline");
    w.SetBrush(Teal, 0);
    w.FillRect(6.75f, 2.6f, 8.25f, 3.6f);
    caption(7.5f, 3.8f, "FillRect");
    Pen(w, Red, 0, 2.0f);
    w.MoveTo(8.75f, 2.6f);
    w.LineTo(10.25f, 3.6f);
    w.LineTo(10.25f, 2.6f);
    caption(9.5f, 3.8f, "LineTo");

    // Pen styles and widths.
    const char* styles[] = {"solid", "dash", "dot", "dash-dot", "dash-dot-dot", "clear", "inside frame"};
    for (int style = 0; style <= 6; ++style) {
        const float y = 4.3f + style * 0.3f;
        Pen(w, Black, static_cast<std::uint8_t>(style), 0.5f + style * 0.5f);
        w.MoveTo(0.75f, y);
        w.LineTo(4.25f, y);
        caption(5.0f, y + 0.05f, styles[style]);
    }
    // Brush styles, each box outlined in black.
    const char* brushes[] = {"solid", "clear", "horizontal", "vertical", "fdiagonal", "bdiagonal", "cross", "diagcross"};
    for (int style = 0; style <= 7; ++style) {
        const float x = 6.0f + (style % 4) * 1.35f, y = 4.3f + (style / 4) * 1.5f;
        Pen(w, Black, 0, 0.75f);
        w.SetBrush(style == 0 ? 0xCCCCFF : Navy, static_cast<std::uint8_t>(style));
        w.Rectangle(x, y, x + 1.0f, y + 0.9f);
        caption(x + 0.5f, y + 1.1f, brushes[style]);
    }
    const TGraphicData pattern {1, SolidBitmap(8, 8, 0x3399FF)};
    w.SetBrush(White, 0, &pattern);
    w.BrushColor(White);
    Footer(w, width, height);
    w.EndPage();
}

void PicturesPage(TNdrWriter& w) {
    w.BeginPage(3, 8.5f, 11.0f);
    w.SetFont(Font("Arial", 16, true));
    w.FontBold(true);
    w.PrintLeft(0.9f, "Pictures and rotated text", 0.75f);
    w.FontBold(false);
    w.SetFont(Font("Arial", 10));

    const TGraphicData metafile {2, RectangleMetafile(2880, 1440), true};
    const TGraphicData bitmap {1, SolidBitmap(48, 32, 0x2060C0)};
    const TGraphicData icon {3, HalfMaskedIcon(32, 0x00A000, true)};
    w.StretchDraw(metafile, 0.75f, 1.25f, 3.75f, 2.75f);
    w.PrintLeft(3.0f, "Metafile stretched into 3 x 1.5 inches", 0.75f);
    w.Draw(metafile, 4.5f, 1.25f);
    w.PrintLeft(3.0f, "The same metafile at its own size", 4.5f);
    w.StretchBitmap(bitmap, 0.75f, 3.5f, 2.75f, 4.75f);
    w.PrintLeft(5.0f, "Bitmap stretched", 0.75f);
    w.PrintBitmap(bitmap, 3.5f, 3.5f, 1.5f, 1.5f);
    w.PrintLeft(5.0f, "Bitmap scaled 1.5", 3.5f);
    w.StretchDraw(icon, 6.0f, 3.5f, 7.0f, 4.5f);
    w.PrintLeft(5.0f, "Icon with mask", 6.0f);

    w.TextRect(0.75f, 5.6f, 2.75f, 5.9f, 0.8f, 5.8f, "This text is clipped to a two-inch box on the page");
    w.SetFont({.Name = "Times New Roman", .Color = Navy, .SizeInches = 14.0f / 72, .Rotation = 90});
    w.PrintLeft(9.0f, "Rotated 90 degrees", 1.0f);
    w.FontRotation(45);
    w.PrintLeft(9.0f, "Rotated 45 degrees", 3.0f);
    w.FontRotation(0);
    Footer(w, 8.5f, 11.0f);
    w.EndPage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_sample_report OUT.ndr\n", stderr);
        return 2;
    }
    THeaderFields header;
    header.Version = 2018;
    header.Title = "Sample statement";
    TNdrWriter w(header);
    InvoicePage(w);
    ShapesPage(w);
    PicturesPage(w);
    const auto bytes = w.Finish();
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}
