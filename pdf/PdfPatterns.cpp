#include "pdf/PdfPatterns.h"

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"

namespace tal {

namespace {

// A line of the cell from (x1, y1) to (x2, y2); lines run past the cell's
// box so that the box, not a line cap, ends them.
std::string Segment(double x1, double y1, double x2, double y2) {
    return pdf::FormatPDF("%.4f %.4f m %.4f %.4f l S\r\n", {x1, y1, x2, y2});
}

// The line y = x + offset across the cell, widened beyond it.
std::string Rising(double offset) {
    const double c = HatchCellPoints;
    return Segment(-1, -1 + offset, c + 1, c + 1 + offset);
}

// The line y = -x + offset across the cell.
std::string Falling(double offset) {
    const double c = HatchCellPoints;
    return Segment(-1, offset + 1, c + 1, offset - c - 1);
}

// A hatch cell of the reference screen is 8 pixels square with its
// horizontal line on pixel row 4 and its vertical one on pixel column 4,
// counted from 0 at the top left. Their centres, 4.5 pixels in, lie on pixel
// centres at 96 and at 72 pixels per inch, so thin lines do not fall between
// two pixels there.
constexpr double LineOffset = HatchCellPoints * 4.5 / 8;

std::string Horizontal() {
    const double c = HatchCellPoints;
    return Segment(-1, c - LineOffset, c + 1, c - LineOffset);
}

std::string Vertical() {
    const double c = HatchCellPoints;
    return Segment(LineOffset, -1, LineOffset, c + 1);
}

// Diagonals pass through the cell's corners; the neighbouring cells' lines
// reach into the other two corners and are drawn here too, so the tiles join
// without notches.
std::string RisingDiagonal() { return Rising(0) + Rising(HatchCellPoints) + Rising(-HatchCellPoints); }
std::string FallingDiagonal() {
    return Falling(HatchCellPoints) + Falling(0) + Falling(2 * HatchCellPoints);
}

}  // namespace

std::string HatchCellContent(std::uint8_t style, TColor color) {
    std::string content = pdf::Fixed4(HatchLineWidthPoints) + " w\r\n0 J\r\n[] 0 d\r\n";
    content += pdf::ColorToPDF(color) + " RG\r\n";
    // Seen on the page (y down), bsFDiagonal runs from top left to bottom
    // right and bsBDiagonal from bottom left to top right; pattern space has
    // y up, so the forward diagonal falls and the backward one rises.
    switch (style) {
        case bsHorizontal: content += Horizontal(); break;
        case bsVertical: content += Vertical(); break;
        case bsFDiagonal: content += FallingDiagonal(); break;
        case bsBDiagonal: content += RisingDiagonal(); break;
        case bsCross: content += Horizontal() + Vertical(); break;
        case bsDiagCross: content += FallingDiagonal() + RisingDiagonal(); break;
        default: break;
    }
    return content;
}

TRPPDFPattern::TRPPDFPattern(TRpComponent& RenderPDF, std::uint8_t Style, TColor Color)
    : TRPPDFObject(RenderPDF), FStyle(Style), FColor(Color) {}

void TRPPDFPattern::WriteObject() {
    TMemoryStream cell;
    const std::string content = HatchCellContent(FStyle, FColor);
    cell.Write(content.data(), content.size());
    std::string filter;
    const std::vector<std::uint8_t> data = FRenderPDF.EncodeStream(cell, filter);
    BeginObject();
    TRvRenderPDF& r = FRenderPDF;
    r.WriteLine("<<");
    r.WriteLine("/Type /Pattern");
    r.WriteLine("/PatternType 1");
    r.WriteLine("/PaintType 1");
    r.WriteLine("/TilingType 1");
    const std::string size = pdf::Fixed4(HatchCellPoints);
    r.WriteLine("/BBox [0 0 " + size + " " + size + "]");
    r.WriteLine("/XStep " + size);
    r.WriteLine("/YStep " + size);
    r.WriteLine("/Resources << /ProcSet [/PDF] >>");
    EndStreamObject(data, filter);
}

// ---- the renderer's hatch patterns ----

const std::string& TRvRenderPDF::HatchPattern(std::uint8_t Style, TColor Color) {
    // A system colour is black, as everywhere else.
    const TColor color = Color < 0 ? 0 : Color;
    const std::string key = pdf::FormatPDF("%d %d", {static_cast<int>(Style), static_cast<long long>(color)});
    if (const std::int32_t index = FPatternList.IndexOf(key); index >= 0)
        return FPatternList.Object(index)->FPatternName;
    auto pattern = std::make_unique<TRPPDFPattern>(*this, Style, color);
    pattern->FPatternName = pdf::FormatPDF("P%d", {FPatternList.Count() + 1});
    FPatternList.Add(key, pattern.get());
    FOwnedPatterns.push_back(std::move(pattern));
    return FOwnedPatterns.back()->FPatternName;
}

}  // namespace tal
