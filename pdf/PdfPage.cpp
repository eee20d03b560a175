#include "pdf/PdfPage.h"

#include <algorithm>

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"

namespace tal {

using pdf::FormatPDF;

// ---- content object ----

TRPPDFPageContent::TRPPDFPageContent(TRpComponent& RenderPDF)
    : TRPPDFObject(RenderPDF), FContentStream(std::make_unique<TMemoryStream>()) {
    FRenderPDF.FActiveStream = FContentStream.get();
    FRenderPDF.WriteLine("2 J");
}

void TRPPDFPageContent::WriteObject() {
    std::string filter;
    const std::vector<std::uint8_t> data = FRenderPDF.EncodeStream(*FContentStream, filter);
    BeginObject();
    if (!filter.empty()) {
        FRenderPDF.WriteLine("<<");
        FRenderPDF.WriteLineFmt("/Length %d", {static_cast<long long>(data.size())});
        FRenderPDF.WriteLine("/Filter [/" + filter + "]");
        FRenderPDF.WriteLine(">>");
    } else {
        FRenderPDF.WriteLineFmt("<< /Length %d >>", {static_cast<long long>(data.size())});
    }
    FRenderPDF.WriteLine("stream");
    FObjectBuffer->Write(data.data(), data.size());
    FRenderPDF.WriteLine("endstream");
    EndObject();
}

// ---- page object ----

TRPPDFPage::TRPPDFPage(TRpComponent& RenderPDF)
    : TRPPDFObject(RenderPDF), FContent(std::make_unique<TRPPDFPageContent>(RenderPDF)) {}

TRPPDFPage::~TRPPDFPage() = default;

void TRPPDFPage::WriteObject() {
    BeginObject();
    FRenderPDF.WriteLine("<<");
    FRenderPDF.WriteLine("/Type /Page");
    FRenderPDF.WriteLineFmt("/Parent %d 0 R", {FRenderPDF.FPages->ObjectNumber()});
    FRenderPDF.WriteLine("/Resources <<");
    // Only fonts that some text prints are written (their names keep the
    // numbers they were given, so the list may have gaps).
    const bool anyPrinted = std::any_of(FRenderPDF.FFontList.begin(), FRenderPDF.FFontList.end(),
                                        [](const auto& entry) { return entry.second->Printed(); });
    if (anyPrinted) {
        FRenderPDF.WriteLine("/Font <<");
        for (const auto& [key, font] : FRenderPDF.FFontList)
            if (font->Printed()) FRenderPDF.WriteLineFmt("/%s %d 0 R ", {font->FResourceName, font->ObjectNumber()});
        FRenderPDF.WriteLine(">>");
    }
    if (!FRenderPDF.FImageList.Empty()) {
        FRenderPDF.WriteLine("/XObject <<");
        for (const auto& [key, image] : FRenderPDF.FImageList)
            FRenderPDF.WriteLineFmt("/%s %d 0 R", {image->FImageName, image->ObjectNumber()});
        FRenderPDF.WriteLine(">>");
    }
    if (!FRenderPDF.FPatternList.Empty()) {
        FRenderPDF.WriteLine("/Pattern <<");
        for (const auto& [key, pattern] : FRenderPDF.FPatternList)
            FRenderPDF.WriteLineFmt("/%s %d 0 R", {pattern->FPatternName, pattern->ObjectNumber()});
        FRenderPDF.WriteLine(">>");
    }
    FRenderPDF.WriteLineFmt("/ProcSet %d 0 R", {FRenderPDF.FProcSet->ObjectNumber()});
    FRenderPDF.WriteLine(">>");
    FRenderPDF.WriteLineFmt("/MediaBox [0 0 %.4f %.4f]", {FMediaWidth * 72.0, FMediaHeight * 72.0});
    FRenderPDF.WriteLineFmt("/Contents %d 0 R", {FObjectNumber + 1});
    FRenderPDF.WriteLine(">>");
    EndObject();
}

// ---- writing into the content stream ----

void TRPPDFPage::Activate() { FRenderPDF.FActiveStream = &FContent->ContentStream(); }

void TRPPDFPage::Line(std::string_view text) {
    Activate();
    FRenderPDF.WriteLine(text);
}

void TRPPDFPage::Text(std::string_view text) {
    Activate();
    FRenderPDF.Write(text);
}

// ---- graphics state cache ----

namespace {

const char* DashPattern(std::uint8_t penStyle) {
    switch (penStyle) {
        case psDash: return "[13 6] 0 d";
        case psDot: return "[2] 0 d";
        case psDashDot: return "[8 4 1 4] 0 d";
        case psDashDotDot: return "[10 3 2 2 2 3] 0 d";
        default: return "[] 0 d";
    }
}

}  // namespace

void TRPPDFPage::SyncGraphicsState() {
    const std::uint8_t penStyle = FRenderPDF.PenStyle();
    if (!FPenStyleValid || penStyle != FLastPenStyle) {
        Line(DashPattern(penStyle));
        FLastPenStyle = penStyle;
        FPenStyleValid = true;
    }
    if (!FStrokeColorValid || FStrokeColor != FLastStrokeColor) {
        Line(pdf::ColorToPDF(FStrokeColor) + " RG");
        FLastStrokeColor = FStrokeColor;
        FStrokeColorValid = true;
        FTextColorValid = false;
    }
    // A hatched brush fills with its pattern; every other brush with its
    // colour (a clear brush's colour is set too, though nothing is filled).
    const std::uint8_t brushStyle = FRenderPDF.BrushStyle();
    if (IsHatchStyle(brushStyle)) {
        const std::string& pattern = FRenderPDF.HatchPattern(brushStyle, FFillColor);
        if (!FFillColorValid || FLastFillPattern != pattern) {
            Line("/Pattern cs /" + pattern + " scn");
            FLastFillPattern = pattern;
            FFillColorValid = true;
            FTextColorValid = false;
        }
    } else if (!FLastFillPattern.empty() && FFillColorValid && !FRenderPDF.IsBrushVisible()) {
        // A clear brush fills nothing: the pattern may stay set (a line after
        // the converter's move to its start then sets no colour in its path).
    } else if (!FFillColorValid || !FLastFillPattern.empty() || FFillColor != FLastFillColor) {
        Line(pdf::ColorToPDF(FFillColor) + " rg");
        FLastFillColor = FFillColor;
        FLastFillPattern.clear();
        FFillColorValid = true;
        FTextColorValid = false;
    }
    // Exact comparison: the cache holds the very value last written.
    if (!FLineWidthValid || FRenderPDF.FPenWidth != FLastLineWidth) {
        Line(pdf::Fixed4(FRenderPDF.FPenWidth * 72.0) + " w ");
        FLastLineWidth = FRenderPDF.FPenWidth;
        FLineWidthValid = true;
    }
}

void TRPPDFPage::WriteTextColor() { Line(pdf::ColorToPDF(FTextColor) + " rg"); }

void TRPPDFPage::InvalidateState() {
    FTextColorValid = false;
    FStrokeColorValid = false;
    FFillColorValid = false;
    FLineWidthValid = false;
    FPenStyleValid = false;
}

void TRPPDFPage::PaintPath(bool Closed) {
    const bool pen = FRenderPDF.IsPenVisible();
    const bool brush = FRenderPDF.IsBrushVisible();
    if (pen && brush) Line("b");
    else if (brush) Line("f");
    else if (pen) Line(Closed ? "s" : "S");
    else Line("n");
    FPathOpen = false;
}

void TRPPDFPage::EndOpenPath() {
    if (!FPathOpen) return;
    Line("n");
    FPathOpen = false;
}

}  // namespace tal
