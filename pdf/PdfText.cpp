// The text routines of a page: text objects placed at the start of their
// baseline, aligned, rotated, clipped, underlined and struck out.
#include <algorithm>
#include <cmath>

#include "pdf/PdfFormat.h"
#include "pdf/PdfPage.h"
#include "pdf/RpRenderPDF.h"

namespace tal {

void TRPPDFPage::ShowText(const std::string& Text, double X, double Y) {
    TRvRenderPDF& r = FRenderPDF;
    if (r.FScriptRise != 0) {
        // Raised or lowered across the baseline, whichever way it is turned.
        const double theta = r.FFontRotation * M_PI / 180.0;
        X -= r.FScriptRise * std::sin(theta);
        Y -= r.FScriptRise * std::cos(theta);
    }
    EndOpenPath();
    Line("BT");
    if (!FTextColorValid || FTextColor != FLastTextColor) {
        WriteTextColor();
        FLastTextColor = FTextColor;
        FTextColorValid = true;
        FStrokeColorValid = false;
        FFillColorValid = false;
    }
    {
        const std::string& name = r.FCurrentFont->FResourceName;
        char* p = FContent->Room(name.size() + pdf::MaxFontSizeChars + 7);
        *p++ = '/';
        p = std::copy(name.begin(), name.end(), p);
        *p++ = ' ';
        p = pdf::AppendFontSizeText(p, r.FFontSize);
        FContent->Advance(std::copy_n(" Tf\r\n", 5, p));
    }
    // The lead-in makes up for the blank shown before the text.
    const double leadIn = r.FCurrentFont->LeadIn(r.FFontSize);
    Numbers({XToPoints(X - leadIn), YToPoints(Y)}, " Td\r\n");
    if (r.FFontRotation != 0) {
        const double theta = r.FFontRotation * M_PI / 180.0;
        const double c = std::cos(theta), s = std::sin(theta);
        Numbers({c, s, -s, c, XToPoints(X), YToPoints(Y)}, " Tm\r\n");
    }
    if (r.FCurrentFont->ShowsLiteralText()) {
        r.FCurrentFont->NoteShown(Text);
        char* p = FContent->Room(2 * Text.size() + 8);
        p = pdf::AppendEscapedText(std::copy_n("( ", 2, p), Text);
        FContent->Advance(std::copy_n(" ) Tj\r\n", 7, p));
    } else {
        Line(r.FCurrentFont->ShownString(Text, r.FTextCodePage) + " Tj");
    }
    Line("ET");
    if (r.FFontRotation != 0 || !(r.FUnderline || r.FStrikeOut)) return;

    // The decoration lines belong to the text: drawn in its colour with a
    // solid pen, whatever pen and brush the shapes use.
    const double savedWidth = r.FPenWidth;
    const TColor savedStroke = FStrokeColor;
    FStrokeColor = FTextColor;
    {
        TRvRenderPDF::TStyleOverride pen(r.FPenStyleOverride, psSolid);
        TRvRenderPDF::TStyleOverride brush(r.FBrushStyleOverride, bsClear);
        const double xe = X + r.TextWidth(Text);
        // In double: the font size may be anything a report asks for, up to
        // the largest 32-bit integer.
        const double size = static_cast<double>(r.FFontSize);
        if (r.FUnderline) {
            const double w = (size + 1) * 0.0014;
            r.FPenWidth = w;
            PathMoveTo(X, Y + 1.5 * w);
            PathLineTo(true, xe, Y + 1.5 * w);
        }
        if (r.FStrikeOut) {
            const double w = (size + 1) * 0.0006;
            r.FPenWidth = w;
            const double ys = Y - size / 72.0 * 0.22;
            PathMoveTo(X, ys);
            PathLineTo(true, xe, ys);
        }
    }
    r.FPenWidth = savedWidth;
    FStrokeColor = savedStroke;
}

void TRPPDFPage::AlignAnchor(double& X, double& Y, double Dist) const {
    const double a = FRenderPDF.FFontRotation;
    if (a > 0 && a < 360) {
        X -= Dist * std::cos(a * M_PI / 180.0);
        Y += Dist * std::sin(a * M_PI / 180.0);
    } else {
        X -= Dist;
    }
}

void TRPPDFPage::ShowTextCentered(const std::string& Text, double X, double Y) {
    AlignAnchor(X, Y, FRenderPDF.TextWidth(Text) / 2);
    ShowText(Text, X, Y);
}

void TRPPDFPage::ShowTextRight(const std::string& Text, double X, double Y) {
    AlignAnchor(X, Y, FRenderPDF.TextWidth(Text));
    ShowText(Text, X, Y);
}

void TRPPDFPage::ShowTextClipped(const TRect& Rect, const std::string& Text, double X, double Y) {
    EndOpenPath();
    Line(" q ");
    FRenderPDF.FPenWidth = 0;
    {
        // The clip fills nothing: a hatched brush sets its colour, not its pattern.
        const std::uint8_t brush = FRenderPDF.BrushStyle();
        const std::uint8_t clipBrush = IsHatchStyle(brush) ? std::uint8_t {bsSolid} : brush;
        TRvRenderPDF::TStyleOverride solid(FRenderPDF.FBrushStyleOverride, clipBrush);
        PathRectangle(true, Rect.Left / 72.0, Rect.Top / 72.0, Rect.Right / 72.0, Rect.Bottom / 72.0);
    }
    ShowText(Text, X, Y);
    Line(" Q ");
    // " Q " restores the state from before " q ": what was written inside
    // is no longer in force.
    InvalidateState();
}

}  // namespace tal
