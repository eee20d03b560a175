#include "platform/fonts/DrawnFontMeasure.h"

#include "platform/fonts/FontFace.h"
#include "platform/fonts/StandardFonts.h"

namespace tal {

bool TDrawnFontMeasure::MeasuredByEngine(const std::string& faceName, TFontStyles style) {
    std::string key;
    for (char c : faceName) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    const TFontStyles shape = style & (fsBold | fsItalic);
    const auto found = FTrueType.find({key, shape});
    if (found != FTrueType.end()) return found->second;
    bool trueType = false;
    try {
        trueType = FEngine.IsTrueTypeFace(faceName, shape);
    } catch (const Exception&) {
        trueType = false;  // a face the engine cannot open is drawn as a standard font
    }
    FTrueType.emplace(std::make_pair(std::move(key), shape), trueType);
    return trueType;
}

bool TDrawnFontMeasure::DrawnInCodePageFace(const TFont& font) {
    const TCodePage codePage = CodePageOfCharset(font.Charset());
    return codePage != 0 && FEngine.CodePageFace(font.Name(), font.Style() & (fsBold | fsItalic), codePage) != nullptr;
}

long TDrawnFontMeasure::TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) {
    if (font.Size() <= 0 || pixelsPerInch <= 0 || MeasuredByEngine(font.Name(), font.Style()) ||
        DrawnInCodePageFace(font))
        return FEngine.TextWidthPixels(font, pixelsPerInch, text);
    const TFontWidths* widths = StandardFontWidths(DrawnStandardFontName(font.Name(), font.Style()));
    if (!widths) return FEngine.TextWidthPixels(font, pixelsPerInch, text);
    const long long ppem = fonts::MulDivRound(font.Size(), pixelsPerInch, 72);
    long long total = 0;
    for (unsigned char c : text) {
        const long long w = (*widths)[c];
        total += (w * ppem + 500) / 1000;
    }
    return static_cast<long>(total);
}

}  // namespace tal
