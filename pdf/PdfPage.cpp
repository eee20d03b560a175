#include "pdf/PdfPage.h"

#include <algorithm>
#include <cstring>

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"

namespace tal {

using pdf::FormatPDF;

// ---- content object ----

TRPPDFPageContent::TRPPDFPageContent(TRpComponent& RenderPDF) : TRPPDFObject(RenderPDF) {
    ++FRenderPDF.FRawContents;
    Append("2 J\r\n");
}

TRPPDFPageContent::~TRPPDFPageContent() {
    if (FRenderPDF.FContentArena.IsRunOf(FPieces)) FRenderPDF.FContentArena.EndRun();
    if (!FFinished) --FRenderPDF.FRawContents;
}

pdf::TByteArena& TRPPDFPageContent::Arena() {
    pdf::TByteArena& arena = FRenderPDF.FContentArena;
    if (!arena.IsRunOf(FPieces)) arena.BeginRun(FPieces);
    return arena;
}

void TRPPDFPageContent::Finish() {
    if (FFinished) return;
    if (FRenderPDF.FContentArena.IsRunOf(FPieces)) FRenderPDF.FContentArena.EndRun();
    if (!FRenderPDF.Compressing()) return;
    FPieces = FRenderPDF.EncodePieces(FPieces, FFilter);
    FFinished = true;
    --FRenderPDF.FRawContents;
}

const std::vector<pdf::TByteSpan>& TRPPDFPageContent::Pieces() {
    Finish();
    return FPieces;
}

std::size_t TRPPDFPageContent::Size() {
    std::size_t size = 0;
    for (const pdf::TByteSpan& piece : Pieces()) size += piece.Size;
    return size;
}

void TRPPDFPageContent::WriteStreamHead() {
    const auto length = static_cast<long long>(Size());
    if (!FFilter.empty()) {
        FRenderPDF.WriteLine("<<");
        FRenderPDF.WriteLineFmt("/Length %d", {length});
        FRenderPDF.WriteLine("/Filter [/" + FFilter + "]");
        FRenderPDF.WriteLine(">>");
    } else {
        FRenderPDF.WriteLineFmt("<< /Length %d >>", {length});
    }
    FRenderPDF.WriteLine("stream");
}

void TRPPDFPageContent::WriteObject() {
    Finish();
    BeginObject();
    WriteStreamHead();
    for (const pdf::TByteSpan& piece : FPieces) FObjectBuffer->Write(piece.Data, piece.Size);
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

void TRPPDFPage::Line(std::string_view text) {
    char* p = FContent->Room(text.size() + 2);
    std::memcpy(p, text.data(), text.size());
    p += text.size();
    *p++ = '\r';
    *p++ = '\n';
    FContent->Advance(p);
}

void TRPPDFPage::Text(std::string_view text) { FContent->Append(text); }

void TRPPDFPage::Numbers(std::initializer_list<double> Values, std::string_view Op) {
    char* p = FContent->Room(Values.size() * (pdf::MaxFixed4Chars + 1) + Op.size());
    bool first = true;
    for (double v : Values) {
        if (!first) *p++ = ' ';
        first = false;
        p = pdf::AppendFixed4(p, v);
    }
    std::memcpy(p, Op.data(), Op.size());
    FContent->Advance(p + Op.size());
}

void TRPPDFPage::Color(TColor Value, std::string_view Op) {
    char* p = pdf::AppendColor(FContent->Room(pdf::MaxColorChars + Op.size()), Value);
    std::memcpy(p, Op.data(), Op.size());
    FContent->Advance(p + Op.size());
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
        Color(FStrokeColor, " RG\r\n");
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
        Color(FFillColor, " rg\r\n");
        FLastFillColor = FFillColor;
        FLastFillPattern.clear();
        FFillColorValid = true;
        FTextColorValid = false;
    }
    // Exact comparison: the cache holds the very value last written.
    if (!FLineWidthValid || FRenderPDF.FPenWidth != FLastLineWidth) {
        Numbers({FRenderPDF.FPenWidth * 72.0}, " w \r\n");
        FLastLineWidth = FRenderPDF.FPenWidth;
        FLineWidthValid = true;
    }
}

void TRPPDFPage::WriteTextColor() { Color(FTextColor, " rg\r\n"); }

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
