#include "pdf/PdfFonts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"
#include "platform/CodePage.h"
#include "platform/fonts/FontSubset.h"

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
    // Symbol and ZapfDingbats draw through their own built-in encodings; a
    // named text encoding would send their codes to glyphs they do not have.
    const bool builtInEncoding =
        FSubtype == "Type1" && (SameTextIgnoringCase(FBaseFont, "Symbol") || SameTextIgnoringCase(FBaseFont, "ZapfDingbats"));
    if (!builtInEncoding) FRenderPDF.WriteLine(std::string("/Encoding /") + EncodingName(FRenderPDF.FontEncoding));
}

void TRPPDFFont::NoteShown(std::string_view Text) {
    FPrinted = true;
    FPrintedCodes.set(' ');
    for (unsigned char c : Text) FPrintedCodes.set(c);
}

std::string TRPPDFFont::ShownString(std::string_view Text, TCodePage) {
    NoteShown(Text);
    return "( " + pdf::EscapeText(Text) + " )";
}

std::int64_t TRPPDFFont::TextUnits(std::string_view Text, TCodePage) {
    std::int64_t total = 0;
    for (unsigned char c : Text) total += FWidths[c];
    return total;
}

double TRPPDFFont::LeadIn(std::int32_t Size) const {
    // Courier, or a Courier style ("Courier-Bold"), in any letter case.
    const std::string family = FBaseFont.substr(0, FBaseFont.find('-'));
    return SameTextIgnoringCase(family, "Courier") ? Size / 72.0 * 0.65 : Size * 0.275 / 72.0;
}

double TRPPDFFontTrueType::LeadIn(std::int32_t Size) const { return Size * (FWidths[' '] / 1000.0) / 72.0; }

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

void TRPPDFFontTrueType::Finish() {
    if (FRenderPDF.EmbedFonts && FRenderPDF.SubsetFonts) SubsetFontFile();
}

std::vector<TRPPDFObject*> TRPPDFFontTrueType::Parts() {
    std::vector<TRPPDFObject*> parts {FDescriptor.get()};
    if (FRenderPDF.EmbedFonts && FFontFile) parts.push_back(FFontFile.get());
    if (FToUnicode) parts.push_back(FToUnicode.get());
    return parts;
}

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
    if (FToUnicode) FRenderPDF.WriteLineFmt("/ToUnicode %d 0 R", {FToUnicode->ObjectNumber()});
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

namespace {

// The character a printed code stands for: Windows-1252, the five bytes that
// code page leaves unassigned standing for themselves.
char32_t CodeCharacter(std::size_t code) {
    const char32_t c = Windows1252ToUnicode(static_cast<std::uint8_t>(code));
    return c != 0 || code == 0 ? c : static_cast<char32_t>(code);
}

}  // namespace

std::string SubsetTag(std::string_view BaseFont, const std::bitset<256>& Codes) {
    // FNV-1a over the name and the printed codes.
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](std::uint8_t byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (char c : BaseFont) mix(static_cast<std::uint8_t>(c));
    mix(0);
    for (std::size_t code = 0; code < Codes.size(); ++code)
        if (Codes.test(code)) mix(static_cast<std::uint8_t>(code));
    std::string tag;
    for (int i = 0; i < 6; ++i) {
        tag += static_cast<char>('A' + hash % 26);
        hash /= 26;
    }
    return tag;
}

void TRPPDFFontTrueType::SubsetFontFile() {
    if (!FFontFile || FToUnicode) return;
    std::vector<char32_t> characters;
    for (std::size_t code = 1; code < PrintedCodes().size(); ++code)
        if (PrintedCodes().test(code)) characters.push_back(CodeCharacter(code));
    const std::vector<std::uint8_t>& whole = FFontFile->FontData().Bytes();
    const std::optional<std::vector<std::uint8_t>> subset = SubsetFontProgram(whole, characters);
    if (!subset) return;
    TMemoryStream& data = FFontFile->FontData();
    data.Clear();
    data.Write(subset->data(), subset->size());
    FBaseFont = SubsetTag(FBaseFont, PrintedCodes()) + "+" + FBaseFont;
    FDescriptor->FFontName = FBaseFont;
    FToUnicode = std::make_unique<TRPPDFToUnicode>(FRenderPDF, PrintedCodes());
}

TRPPDFToUnicode::TRPPDFToUnicode(TRpComponent& RenderPDF, const std::bitset<256>& Codes)
    : TRPPDFObject(RenderPDF), FData(std::make_unique<TMemoryStream>()) {
    std::vector<std::string> entries;
    for (std::size_t code = 1; code < Codes.size(); ++code) {
        if (!Codes.test(code)) continue;
        char entry[24];
        std::snprintf(entry, sizeof entry, "<%02X> <%04X>", static_cast<unsigned>(code),
                      static_cast<unsigned>(CodeCharacter(code)));
        entries.emplace_back(entry);
    }
    std::string text =
        "/CIDInit /ProcSet findresource begin\r\n12 dict begin\r\nbegincmap\r\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\r\n"
        "/CMapName /Adobe-Identity-UCS def\r\n/CMapType 2 def\r\n"
        "1 begincodespacerange\r\n<00> <FF>\r\nendcodespacerange\r\n";
    // A bfchar block holds at most 100 entries.
    for (std::size_t first = 0; first < entries.size(); first += 100) {
        const std::size_t count = std::min<std::size_t>(100, entries.size() - first);
        text += std::to_string(count) + " beginbfchar\r\n";
        for (std::size_t i = first; i < first + count; ++i) text += entries[i] + "\r\n";
        text += "endbfchar\r\n";
    }
    text += "endcmap\r\nCMapName currentdict /defineresource pop\r\nend\r\nend\r\n";
    FData->Write(text.data(), text.size());
}

void TRPPDFToUnicode::WriteObject() {
    std::string filter;
    const std::vector<std::uint8_t> data = FRenderPDF.EncodeStream(*FData, filter);
    BeginObject();
    FRenderPDF.WriteLine("<<");
    EndStreamObject(data, filter);
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
    if ((r.EmbedFonts || FAlwaysEmbedded) && FHasFontFile) r.WriteLineFmt("/FontFile2 %d 0 R", {FObjectNumber + 1});
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
