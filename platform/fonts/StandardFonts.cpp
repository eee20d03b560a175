#include "platform/fonts/StandardFonts.h"

#include <array>

namespace tal {

namespace {

bool IsBold(TFontStyles style) { return (style & fsBold) != 0; }
bool IsItalic(TFontStyles style) { return (style & fsItalic) != 0; }

// Courier and Helvetica name their styles "-Bold", "-Oblique", "-BoldOblique".
std::string ObliqueStyled(const char* family, TFontStyles style) {
    std::string name = family;
    if (IsBold(style) && IsItalic(style)) name += "-BoldOblique";
    else if (IsBold(style)) name += "-Bold";
    else if (IsItalic(style)) name += "-Oblique";
    return name;
}

std::string TimesStyled(TFontStyles style) {
    if (IsBold(style) && IsItalic(style)) return "Times-BoldItalic";
    if (IsBold(style)) return "Times-Bold";
    if (IsItalic(style)) return "Times-Italic";
    return "Times-Roman";
}

// The table a standard name measures with: the four Courier faces share one.
const char* TableFor(std::string_view pdfName) {
    static constexpr std::array<const char*, 4> courier = {"Courier", "Courier-Bold", "Courier-Oblique",
                                                           "Courier-BoldOblique"};
    for (const char* name : courier)
        if (SameAsciiTextIgnoringCase(pdfName, name)) return "Courier";
    for (const TStandardFontTable& table : StandardFontTables)
        if (SameAsciiTextIgnoringCase(pdfName, table.Name)) return table.Name;
    return nullptr;
}

}  // namespace

bool SameAsciiTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

const TFontWidths* StandardFontWidths(std::string_view pdfName) {
    const char* table = TableFor(pdfName);
    if (!table) return nullptr;
    for (const TStandardFontTable& entry : StandardFontTables)
        if (SameAsciiTextIgnoringCase(entry.Name, table)) return &entry.Widths;
    return nullptr;
}

std::string FixedStandardFontName(std::string_view faceName, TFontStyles style) {
    if (SameAsciiTextIgnoringCase(faceName, "Courier") || SameAsciiTextIgnoringCase(faceName, "Courier New"))
        return ObliqueStyled("Courier", style);
    if (SameAsciiTextIgnoringCase(faceName, "Times New Roman") || SameAsciiTextIgnoringCase(faceName, "TimesRoman"))
        return TimesStyled(style);
    if (SameAsciiTextIgnoringCase(faceName, "Symbol")) return "Symbol";
    if (SameAsciiTextIgnoringCase(faceName, "Arial")) return ObliqueStyled("Helvetica", style);
    if (SameAsciiTextIgnoringCase(faceName, "ZapfDingbats")) return "ZapfDingbats";
    return {};
}

std::string HelveticaName(TFontStyles style) { return ObliqueStyled("Helvetica", style); }

std::string DrawnStandardFontName(std::string_view faceName, TFontStyles style) {
    std::string name = FixedStandardFontName(faceName, style);
    return name.empty() ? HelveticaName(style) : name;
}

}  // namespace tal
