#include "platform/fonts/FontFace.h"

#include <algorithm>
#include <string>
#include <tuple>

#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include "platform/CodePage.h"

namespace tal::fonts {

namespace {

constexpr FT_ULong SYMBOL_CMAP_BASE = 0xF000;
constexpr long PDF_EM = 1000;

// OS/2 fsType: the embedding permissions.
constexpr std::uint16_t FS_RESTRICTED = 0x0002;
constexpr std::uint16_t FS_PREVIEW_PRINT = 0x0004;
constexpr std::uint16_t FS_EDITABLE = 0x0008;
constexpr std::uint16_t FS_BITMAP_ONLY = 0x0200;

// Where several permission bits are set the least restrictive one applies,
// so "restricted" holds only alone; bitmap-only embedding forbids outlines.
bool EmbeddingForbidden(std::uint16_t fsType) {
    const bool restricted = (fsType & FS_RESTRICTED) != 0 && (fsType & (FS_PREVIEW_PRINT | FS_EDITABLE)) == 0;
    return restricted || (fsType & FS_BITMAP_ONLY) != 0;
}

const TT_OS2* Os2Table(FT_Face face) { return static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); }
const TT_HoriHeader* HheaTable(FT_Face face) {
    return static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
}
const TT_Header* HeadTable(FT_Face face) { return static_cast<const TT_Header*>(FT_Get_Sfnt_Table(face, FT_SFNT_HEAD)); }
const TT_Postscript* PostTable(FT_Face face) {
    return static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
}

// The five bytes Windows-1252 leaves unassigned keep their own value, as the
// system's conversion does.
FT_ULong CodePoint1252(std::uint8_t code) {
    const char32_t unicode = Windows1252ToUnicode(code);
    return unicode != 0 ? static_cast<FT_ULong>(unicode) : code;
}

// The first and last code a face defines, from OS/2's Unicode range, brought
// into the 8-bit range; a symbol face counts its codes from 0xF000.
std::pair<int, int> CharRange(const TT_OS2& os2, bool symbol) {
    auto code = [symbol](long value) {
        if (symbol && value >= static_cast<long>(SYMBOL_CMAP_BASE)) value -= SYMBOL_CMAP_BASE;
        return static_cast<int>(std::min(value, 255L));
    };
    const int first = code(os2.usFirstCharIndex);
    const int last = code(os2.usLastCharIndex);
    return {first, std::max(first, last)};
}

}  // namespace

long MulDivRound(long x, long numerator, long denominator) {
    const __int128 product = static_cast<__int128>(x) * numerator;
    const __int128 half = denominator / 2;
    const __int128 q = product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    return static_cast<long>(q);
}

TFontFace::TFontFace(FT_Library library, const std::string& file, int index, const std::string& faceName)
    : FFaceName(faceName), FFile(file), FIndex(index) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), index, &face) != 0) Fail("cannot be opened");
    FFace.reset(face);
    Prepare();
}

TFontFace::TFontFace(FT_Library library, const std::vector<std::uint8_t>& bytes, const std::string& faceName)
    : FFaceName(faceName), FFile("(memory)") {
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face) != 0)
        Fail("cannot be opened");
    FFace.reset(face);
    Prepare();
}

void TFontFace::Fail(const std::string& what) const {
    throw EFontError("The font \"" + FFaceName + "\" (" + FFile + ") " + what);
}

void TFontFace::Prepare() {
    if (!FT_IS_SCALABLE(FFace.get()) || FFace->units_per_EM == 0) Fail("has no scalable outlines");
    if (FFace->charmap && FFace->charmap->encoding == FT_ENCODING_UNICODE) FUnicodeCmap = FFace->charmap;
    for (FT_Int i = 0; i < FFace->num_charmaps; ++i) {
        FT_CharMap cmap = FFace->charmaps[i];
        if (cmap->platform_id == 3 && cmap->encoding_id == 0) FSymbolCmap = cmap;
        if (!FUnicodeCmap && cmap->encoding == FT_ENCODING_UNICODE) FUnicodeCmap = cmap;
    }
    FHasUnicodeCmap = FUnicodeCmap != nullptr;
    FHasSymbolCmap = FSymbolCmap != nullptr;
    FGlyphs1252 = GlyphsThrough(TCodeMapping::Windows1252);
    FGlyphsSymbol = GlyphsThrough(TCodeMapping::Symbol);
}

// Selecting a cmap changes the face's state, so all look-ups happen here,
// once, and the tables serve every later question.
std::array<FT_UInt, 256> TFontFace::GlyphsThrough(TCodeMapping mapping) const {
    std::array<FT_UInt, 256> glyphs{};
    const bool symbol = mapping == TCodeMapping::Symbol ? FHasSymbolCmap : !FHasUnicodeCmap && FHasSymbolCmap;
    FT_CharMap cmap = symbol ? FSymbolCmap : FUnicodeCmap;
    if (cmap == nullptr || FT_Set_Charmap(FFace.get(), cmap) != 0) return glyphs;
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<std::uint8_t>(code);
        if (symbol) {
            glyphs[code] = FT_Get_Char_Index(FFace.get(), SYMBOL_CMAP_BASE + byte);
            if (glyphs[code] == 0) glyphs[code] = FT_Get_Char_Index(FFace.get(), byte);
        } else {
            glyphs[code] = FT_Get_Char_Index(FFace.get(), mapping == TCodeMapping::Symbol ? byte : CodePoint1252(byte));
        }
    }
    return glyphs;
}

std::string TFontFace::FamilyName() const { return FFace->family_name ? FFace->family_name : ""; }

bool TFontFace::HasTrueTypeOutlines() const {
    FT_ULong length = 0;
    return FT_IS_SFNT(FFace.get()) && FT_Load_Sfnt_Table(FFace.get(), TTAG_glyf, 0, nullptr, &length) == 0;
}

TCodeMapping TFontFace::MappingFor(std::uint8_t charset) const {
    return charset == SYMBOL_CHARSET || IsSymbolFont() ? TCodeMapping::Symbol : TCodeMapping::Windows1252;
}

// Unhinted advances, as GDI measures at the converter's high resolution:
// the advance in font units scaled to the pixel size and rounded to a whole
// pixel, glyph by glyph.
const TAdvanceTable& TFontFace::Advances(TCodeMapping mapping, long pixelsPerEm) {
    const auto key = std::make_pair(mapping, pixelsPerEm);
    if (auto found = FAdvanceTables.find(key); found != FAdvanceTables.end()) return found->second;
    const auto& glyphs = mapping == TCodeMapping::Symbol ? FGlyphsSymbol : FGlyphs1252;
    TAdvanceTable table{};
    for (std::size_t code = 0; code < table.size(); ++code) {
        FT_Fixed units = 0;
        if (FT_Get_Advance(FFace.get(), glyphs[code], FT_LOAD_NO_SCALE, &units) != 0)
            Fail("has a glyph whose advance cannot be read");
        table[code] = MulDivRound(units, pixelsPerEm, UnitsPerEm());
    }
    return FAdvanceTables.emplace(key, table).first->second;
}

// GDI's ascent and descent: OS/2's Windows values, or hhea's where both are 0.
std::pair<long, long> TFontFace::CellAscentDescent() const {
    const TT_OS2* os2 = Os2Table(FFace.get());
    if (os2 && (os2->usWinAscent != 0 || os2->usWinDescent != 0)) return {os2->usWinAscent, os2->usWinDescent};
    if (const TT_HoriHeader* hhea = HheaTable(FFace.get())) return {hhea->Ascender, -hhea->Descender};
    return {FFace->ascender, -FFace->descender};
}

long TFontFace::PixelsPerEmForCell(long cellPixels) const {
    const auto [ascent, descent] = CellAscentDescent();
    if (ascent + descent <= 0) return cellPixels;
    return MulDivRound(cellPixels, UnitsPerEm(), ascent + descent);
}

int TFontFace::ToPdfEm(long units) const { return static_cast<int>(MulDivRound(units, PDF_EM, UnitsPerEm())); }

void TFontFace::FillVerticalMetrics(TOutlineMetrics& m) const {
    FT_Face face = FFace.get();
    const auto [ascent, descent] = CellAscentDescent();
    m.Ascent = ToPdfEm(ascent);
    m.Descent = ToPdfEm(descent);
    m.Height = m.Ascent + m.Descent;
    m.InternalLeading = ToPdfEm(ascent + descent - UnitsPerEm());
    // The line gap hhea asks for, less what the Windows cell already adds
    // beyond hhea's ascender and descender.
    const TT_HoriHeader* hhea = HheaTable(face);
    const long lineAscender = hhea ? hhea->Ascender : face->ascender;
    const long lineDescender = hhea ? hhea->Descender : face->descender;
    const long lineGap = hhea ? hhea->Line_Gap : face->height - (face->ascender - face->descender);
    m.ExternalLeading = std::max(0, ToPdfEm(lineGap - ((ascent + descent) - (lineAscender - lineDescender))));
}

void TFontFace::FillBoxMetrics(TOutlineMetrics& m) const {
    FT_Face face = FFace.get();
    const TT_Header* head = HeadTable(face);
    const long xMin = head ? head->xMin : face->bbox.xMin;
    const long yMin = head ? head->yMin : face->bbox.yMin;
    const long xMax = head ? head->xMax : face->bbox.xMax;
    const long yMax = head ? head->yMax : face->bbox.yMax;
    m.MaxCharWidth = ToPdfEm(xMax - xMin);
    m.FontBox = {ToPdfEm(xMin), ToPdfEm(yMax), ToPdfEm(xMax), ToPdfEm(yMin)};
}

void TFontFace::FillOs2Metrics(TOutlineMetrics& m) const {
    const TT_OS2* os2 = Os2Table(FFace.get());
    if (!os2) {
        // Without OS/2 nothing restricts embedding; the codes are the whole
        // 8-bit range and the average width half the widest advance.
        m.FirstChar = 0;
        m.LastChar = 255;
        m.AveCharWidth = std::max(1, ToPdfEm(FFace->max_advance_width / 2));
        return;
    }
    std::tie(m.FirstChar, m.LastChar) = CharRange(*os2, IsSymbolFont());
    m.AveCharWidth = std::max(1, ToPdfEm(os2->xAvgCharWidth));
    m.PanoseFamilyType = os2->panose[0];
    m.PanoseProportion = os2->panose[3];
    const auto fsType = static_cast<std::uint16_t>(os2->fsType & ~1u);
    m.FsType = static_cast<std::uint16_t>(fsType | (EmbeddingForbidden(os2->fsType) ? 1u : 0u));
}

void TFontFace::FillStyleMetrics(TOutlineMetrics& m) const {
    m.PitchAndFamily = TMPF_VECTOR;
    if (!FT_IS_FIXED_WIDTH(FFace.get())) m.PitchAndFamily |= TMPF_FIXED_PITCH;
    if (HasTrueTypeOutlines()) m.PitchAndFamily |= TMPF_TRUETYPE;
    if (const TT_Postscript* post = PostTable(FFace.get())) {
        m.ItalicAngleTenths = static_cast<int>(MulDivRound(post->italicAngle, 10, 0x10000));
        m.ItalicAngleDegrees = static_cast<int>(MulDivRound(post->italicAngle, 1, 0x10000));
    }
}

TOutlineMetrics TFontFace::OutlineMetrics() const {
    TOutlineMetrics m;
    FillVerticalMetrics(m);
    FillBoxMetrics(m);
    FillOs2Metrics(m);
    FillStyleMetrics(m);
    return m;
}

std::vector<TABCWidth> TFontFace::ABCWidths(int first, int last) const {
    if (first < 0 || last > 255 || last < first)
        Fail("was asked for the widths of codes " + std::to_string(first) + " to " + std::to_string(last));
    const auto& glyphs = IsSymbolFont() ? FGlyphsSymbol : FGlyphs1252;
    std::vector<TABCWidth> widths;
    widths.reserve(static_cast<std::size_t>(last - first + 1));
    for (int code = first; code <= last; ++code) {
        if (FT_Load_Glyph(FFace.get(), glyphs[code], FT_LOAD_NO_SCALE) != 0)
            Fail("has a glyph that cannot be loaded (code " + std::to_string(code) + ")");
        const FT_Glyph_Metrics& metrics = FFace->glyph->metrics;
        // Scaling the edges rather than the widths keeps A + B + C equal to
        // the scaled advance.
        const int left = ToPdfEm(metrics.horiBearingX);
        const int right = ToPdfEm(metrics.horiBearingX + metrics.width);
        widths.push_back({left, right - left, ToPdfEm(metrics.horiAdvance) - right});
    }
    return widths;
}

std::uint32_t TFontFace::GlyphOf(char32_t character) {
    if (auto found = FUnicodeGlyphs.find(character); found != FUnicodeGlyphs.end()) return found->second;
    std::uint32_t glyph = 0;
    // The 8-bit tables may have left another cmap selected.
    if (FUnicodeCmap && FT_Set_Charmap(FFace.get(), FUnicodeCmap) == 0)
        glyph = FT_Get_Char_Index(FFace.get(), static_cast<FT_ULong>(character));
    FUnicodeGlyphs.emplace(character, glyph);
    return glyph;
}

bool TFontFace::MapsAll(std::span<const char32_t> characters) {
    return std::all_of(characters.begin(), characters.end(), [this](char32_t c) { return GlyphOf(c) != 0; });
}

long TFontFace::GlyphUnits(std::uint32_t glyph) const {
    FT_Fixed units = 0;
    if (FT_Get_Advance(FFace.get(), glyph, FT_LOAD_NO_SCALE, &units) != 0)
        Fail("has a glyph whose advance cannot be read");
    return units;
}

int TFontFace::GlyphWidth(std::uint32_t glyph) const { return ToPdfEm(GlyphUnits(glyph)); }

long TFontFace::GlyphAdvance(std::uint32_t glyph, long pixelsPerEm) const {
    return MulDivRound(GlyphUnits(glyph), pixelsPerEm, UnitsPerEm());
}

std::string TFontFace::PostScriptName() const {
    if (const char* name = FT_Get_Postscript_Name(FFace.get()); name && *name) return name;
    std::string family;
    for (char c : FamilyName())
        if (c != ' ') family += c;
    return family;
}

}  // namespace tal::fonts
