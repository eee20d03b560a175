// Choosing the PDF font for a report font: the standard fonts by name, other
// installed TrueType faces by their own name, everything else as Helvetica.
#include <cmath>

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"
#include "platform/fonts/StandardFonts.h"
#include "render/RpConverter.h"

namespace tal {

namespace {

bool IsStandardName(std::string_view pdfName) { return StandardFontWidths(pdfName) != nullptr; }

}  // namespace

void TRvRenderPDF::FontChanged(TFont& Font) {
    // The converter's font changes before any document is open as well;
    // the state is taken up at the first text of the document then.
    if (!FCurrentPage) return;
    ChooseFont(Font);
    FUnderline = Font.HasStyle(fsUnderline);
    FStrikeOut = Font.HasStyle(fsStrikeOut);
    FFontSize = Font.Size();
    FCurrentPage->FTextColor = Font.Color();
    FFontRotation = FConverter ? static_cast<double>(FConverter->FRotation) : 0.0;
    SetScript(FConverter && FConverter->FFlagP, FConverter && FConverter->FFlagS);
}

void TRvRenderPDF::ChooseFont(const TFont& Font) {
    for (const TChosenFont& chosen : FChosenFonts) {
        if (chosen.Style == Font.Style() && chosen.Charset == Font.Charset() && chosen.Name == Font.Name()) {
            FCurrentFont = chosen.Font;
            FTextCodePage = chosen.CodePage;
            return;
        }
    }
    // Text of a charset with a code page of its own is drawn in a composite
    // font; without a face for it the bytes are shown as Windows-1252.
    FTextCodePage = CodePageOfCharset(Font.Charset());
    TRPPDFFont* composite =
        FTextCodePage != 0 ? FindOrCreateCompositeFont(Font.Name(), Font.Style(), FTextCodePage) : nullptr;
    if (!composite) FTextCodePage = 0;
    FCurrentFont = composite ? composite : FindOrCreateFont(GetPDFFontName(Font.Name(), Font.Style()), Font.Style());
    TChosenFont chosen {Font.Name(), Font.Style(), Font.Charset(), FCurrentFont, FTextCodePage};
    if (FChosenFonts.size() < ChosenFontsKept) {
        FChosenFonts.push_back(std::move(chosen));
    } else {
        FChosenFonts[FNextChosenFont] = std::move(chosen);
        FNextChosenFont = (FNextChosenFont + 1) % ChosenFontsKept;
    }
}

void TRvRenderPDF::SetScript(bool Superscript, bool Subscript) {
    // Superscript wins when both marks are on, as in the RTF engine.
    FScriptRise = 0;
    if (!Superscript && !Subscript) return;
    const std::int32_t base = FFontSize;
    FFontSize = static_cast<std::int32_t>(std::lround(base * ScriptSizeFactor));
    if (base > 0 && FFontSize < 1) FFontSize = 1;
    FScriptRise = (Superscript ? SuperscriptRise : -SubscriptDrop) * base / 72.0;
}

std::string TRvRenderPDF::GetPDFFontName(const std::string& FaceName, TFontStyles Style) {
    if (std::string fixed = FixedStandardFontName(FaceName, Style); !fixed.empty()) return fixed;
    if (IsTrueTypeFace(FaceName, Style)) return MakeTrueTypeName(FaceName, Style);
    return HelveticaName(Style);
}

std::string TRvRenderPDF::MakeTrueTypeName(const std::string& FaceName, TFontStyles Style) {
    std::string name;
    for (char c : FaceName)
        if (c != ' ') name += c;
    const bool bold = (Style & fsBold) != 0, italic = (Style & fsItalic) != 0;
    if (bold && italic) name += ",BoldItalic";
    else if (bold) name += ",Bold";
    else if (italic) name += ",Italic";
    return name;
}

bool TRvRenderPDF::IsTrueTypeFace(const std::string& FaceName, TFontStyles Style) {
    try {
        return FontEngine().IsTrueTypeFace(FaceName, Style);
    } catch (const Exception&) {
        return false;  // a face the engine cannot open is not one to embed
    }
}

TRPPDFFont* TRvRenderPDF::FindOrCreateFont(const std::string& PDFName, TFontStyles Style) {
    const std::int32_t index = FFontList.IndexOf(PDFName);
    if (index >= 0) return FFontList.Object(index);
    return CreateFontObject(PDFName, Style);
}

TRPPDFFont* TRvRenderPDF::AddFont(std::unique_ptr<TRPPDFFont> font, std::string Key) {
    TRPPDFFont* added = font.get();
    FFontList.Add(Key.empty() ? added->FBaseFont : std::move(Key), added);
    FOwnedFonts.push_back(std::move(font));
    FCurrentFont = added;
    return added;
}

TRPPDFFont* TRvRenderPDF::CreateStandardFont(const std::string& PDFName) {
    auto font = std::make_unique<TRPPDFFont>(*this);
    font->FBaseFont = PDFName;
    if (const TFontWidths* widths = StandardFontWidths(PDFName)) font->FWidths = *widths;
    return AddFont(std::move(font));
}

TRPPDFFont* TRvRenderPDF::CreateFontObject(const std::string& PDFName, TFontStyles Style) {
    const bool symbol = SameTextIgnoringCase(PDFName, "Symbol");
    if (IsStandardName(PDFName) && !symbol) return CreateStandardFont(PDFName);
    if (symbol && !IsTrueTypeFace("Symbol", Style)) return CreateStandardFont(PDFName);
    if (IsTrueTypeFace(PDFName, Style)) {
        auto font = std::make_unique<TRPPDFFontTrueType>(*this);
        font->FBaseFont = PDFName;
        try {
            font->LoadTrueTypeMetrics(PDFName, Style);
            return AddFont(std::move(font));
        } catch (const EFontError&) {
            // A face the engine reports but cannot read is shown as Helvetica.
        }
    }
    // Nothing is registered under PDFName: the same decision is made again
    // at every later selection of the face.
    const std::string helvetica = HelveticaName(Style);
    const std::int32_t index = FFontList.IndexOf(helvetica);
    if (index >= 0) {
        FCurrentFont = FFontList.Object(index);
        return FCurrentFont;
    }
    return CreateStandardFont(helvetica);
}

double TRvRenderPDF::TextWidth(std::string_view Text) const {
    if (!FCurrentFont) return 0.0;
    const std::int64_t total = FCurrentFont->TextUnits(Text, FTextCodePage);
    return static_cast<double>(total) / 1000.0 * FFontSize / 72.0;
}

}  // namespace tal
