#include "pdf/PdfFonts.h"

#include <cmath>

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"

namespace tal {

// ---- font objects ----

TRPPDFFont::TRPPDFFont(TRpComponent& RenderPDF)
    : TRPPDFObject(RenderPDF), FResourceName(pdf::FormatPDF("F%d", {FRenderPDF.FFontList.Count() + 1})) {}

void TRPPDFFont::WriteFontHead() {
    BeginObject();
    FRenderPDF.WriteLine("<<");
    FRenderPDF.WriteLine("/Type /Font");
    FRenderPDF.WriteLine("/Subtype /" + FSubtype);
    FRenderPDF.WriteLine("/Name /" + FResourceName);
    FRenderPDF.WriteLine("/BaseFont /" + FBaseFont);
    FRenderPDF.WriteLine(std::string("/Encoding /") + EncodingName(FRenderPDF.FontEncoding));
}

void TRPPDFFont::WriteObject() {
    WriteFontHead();
    FRenderPDF.WriteLine(">>");
    EndObject();
}

TRPPDFFontTrueType::TRPPDFFontTrueType(TRpComponent& RenderPDF)
    : TRPPDFFont(RenderPDF), FDescriptor(std::make_unique<TRPPDFFontDescriptor>(RenderPDF)) {
    FSubtype = "TrueType";
}

TRPPDFFontTrueType::~TRPPDFFontTrueType() = default;

void TRPPDFFontTrueType::WriteObject() {
    WriteFontHead();
    FRenderPDF.WriteLineFmt("/FirstChar %d", {FFirstChar});
    FRenderPDF.WriteLineFmt("/LastChar %d", {FLastChar});
    // Ten widths a line, each line ending after a code whose last digit is 9.
    std::string widths = "/Widths [";
    for (std::int32_t code = FFirstChar; code <= FLastChar; ++code) {
        widths += pdf::FormatPDF("%d ", {FWidths[static_cast<std::size_t>(code)]});
        if (code % 10 == 9) {
            FRenderPDF.WriteLine(widths);
            widths.clear();
        }
    }
    FRenderPDF.WriteLine(widths + "]");
    FRenderPDF.WriteLineFmt("/FontDescriptor %d 0 R", {FDescriptor->ObjectNumber()});
    FRenderPDF.WriteLine(">>");
    EndObject();
}

void TRPPDFFontTrueType::LoadTrueTypeMetrics(const std::string& Name, TFontStyles Style) {
    TFontEngine& engine = FRenderPDF.FontEngine();
    const TOutlineMetrics metrics = engine.GetOutlineMetrics(Name, Style);
    // The engine's range is clamped to the one byte codes can address.
    FFirstChar = std::clamp(metrics.FirstChar, 0, 255);
    FLastChar = std::clamp(metrics.LastChar, FFirstChar, 255);
    try {
        const std::vector<TABCWidth> abc = engine.GetCharABCWidths(Name, Style, FFirstChar, FLastChar);
        for (std::int32_t code = FFirstChar; code <= FLastChar; ++code) {
            const std::size_t i = static_cast<std::size_t>(code - FFirstChar);
            if (i < abc.size()) FWidths[static_cast<std::size_t>(code)] = static_cast<std::int16_t>(abc[i].Advance());
        }
    } catch (const EFontError&) {
        FWidths.fill(0);  // a failed width query leaves every width 0
    }
    FDescriptor->FFontName = Name;
    FillFontDescriptor(*FDescriptor, metrics, FWidths[32]);
    FEmbeddable = !metrics.EmbeddingForbidden();
    FDescriptor->FHasFontFile = FEmbeddable;
    if (!FRenderPDF.EmbedFonts || !FEmbeddable) return;
    std::vector<std::uint8_t> program;
    try {
        program = engine.GetFontData(Name, Style);
    } catch (const EFontError&) {
        program.clear();
    }
    if (program.empty()) {
        // A font program the engine cannot read is not embedded; readers
        // then use a font of their own with the widths given.
        FDescriptor->FHasFontFile = false;
        return;
    }
    FFontFile = std::make_unique<TRPPDFFontFile>(FRenderPDF);
    FFontFile->FontData().Write(program.data(), program.size());
}

void FillFontDescriptor(TRPPDFFontDescriptor& d, const TOutlineMetrics& m, std::int32_t MissingWidth) {
    d.FMissingWidth = MissingWidth;
    d.FFlags = 32;
    if (m.PanoseProportion == 9) d.FFlags += 1;
    if (m.PanoseFamilyType == 3) d.FFlags += 8;
    if (m.ItalicAngleTenths != 0) d.FFlags += 64;
    d.FFontBBox = m.FontBox;
    d.FStemV = 80;
    d.FStemH = 80;
    // Whole degrees: the descriptor's unit (the engine's own unit is tenths).
    d.FItalicAngle = m.ItalicAngleDegrees;
    d.FCapHeight = m.Ascent;
    d.FXHeight = static_cast<std::int32_t>(std::nearbyint(m.Ascent / 2.0));  // halves to even
    d.FAscent = m.Ascent;
    d.FDescent = -m.Descent;
    d.FLeading = m.InternalLeading + m.ExternalLeading;
    d.FMaxCharWidth = m.MaxCharWidth;
    d.FAvgWidth = m.AveCharWidth;
}

void TRPPDFFontDescriptor::WriteObject() {
    BeginObject();
    TRvRenderPDF& r = FRenderPDF;
    r.WriteLine("<<");
    r.WriteLine("/Type /FontDescriptor");
    r.WriteLine("/FontName /" + FFontName);
    r.WriteLineFmt("/Flags %d", {FFlags});
    r.WriteLineFmt("/FontBBox [%d %d %d %d]", {FFontBBox.Left, FFontBBox.Bottom, FFontBBox.Right, FFontBBox.Top});
    r.WriteLineFmt("/MissingWidth %d", {FMissingWidth});
    r.WriteLineFmt("/StemV %d", {FStemV});
    r.WriteLineFmt("/StemH %d", {FStemH});
    r.WriteLineFmt("/ItalicAngle %d", {FItalicAngle});
    r.WriteLineFmt("/CapHeight %d", {FCapHeight});
    r.WriteLineFmt("/XHeight %d", {FXHeight});
    r.WriteLineFmt("/Ascent %d", {FAscent});
    r.WriteLineFmt("/Descent %d", {FDescent});
    r.WriteLineFmt("/Leading %d", {FLeading});
    r.WriteLineFmt("/MaxWidth %d", {FMaxCharWidth});
    r.WriteLineFmt("/AvgWidth %d", {FAvgWidth});
    if (r.EmbedFonts && FHasFontFile) r.WriteLineFmt("/FontFile2 %d 0 R", {FObjectNumber + 1});
    r.WriteLine(">>");
    EndObject();
}

TRPPDFFontFile::TRPPDFFontFile(TRpComponent& RenderPDF)
    : TRPPDFObject(RenderPDF), FFontData(std::make_unique<TMemoryStream>()) {}

void TRPPDFFontFile::WriteObject() {
    std::string filter;
    const std::vector<std::uint8_t> data = FRenderPDF.EncodeStream(*FFontData, filter);
    BeginObject();
    TRvRenderPDF& r = FRenderPDF;
    if (filter.empty()) {
        r.WriteLineFmt("<< /Length %d ", {static_cast<long long>(data.size())});
        r.WriteLineFmt("/Length1 %d >>", {static_cast<long long>(FFontData->Size())});
    } else {
        r.WriteLine("<<");
        r.WriteLineFmt("/Length %d ", {static_cast<long long>(data.size())});
        r.WriteLineFmt("/Length1 %d", {static_cast<long long>(FFontData->Size())});
        r.WriteLine("/Filter [/" + filter + "]");
        r.WriteLine(">>");
    }
    r.WriteLine("stream");
    FObjectBuffer->Write(data.data(), data.size());
    r.WriteLine("endstream");
    EndObject();
}

}  // namespace tal
