#pragma once
// One installed face opened with FreeType: glyph look-up for 8-bit codes,
// whole-pixel advance tables, and the GDI metrics read from its tables.
#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <unordered_map>
#include <string>
#include <utility>
#include <vector>

#include "platform/fonts/FontEngine.h"
#include "platform/fonts/FontHandles.h"

namespace tal::fonts {

// Advance widths in whole pixels of the 256 codes at one pixel size.
using TAdvanceTable = std::array<long, 256>;

// How 8-bit codes become glyphs.
enum class TCodeMapping : std::uint8_t {
    Windows1252,  // through the Unicode cmap
    Symbol,       // the (3,0) cmap at 0xF000 + code, else at the code
};

class TFontFace {
public:
    // Opens face index of file; faceName is the name the face was asked for,
    // for the messages. Raises EFontError when FreeType cannot open it or
    // the face has no scalable outlines.
    TFontFace(FT_Library library, const std::string& file, int index, const std::string& faceName);
    // Opens a face held in memory (bytes must outlive the face).
    TFontFace(FT_Library library, const std::vector<std::uint8_t>& bytes, const std::string& faceName);

    const std::string& FaceName() const { return FFaceName; }
    const std::string& File() const { return FFile; }
    int Index() const { return FIndex; }
    std::string FamilyName() const;

    // TrueType outlines (a 'glyf' table), not CFF.
    bool HasTrueTypeOutlines() const;
    // A face that maps its glyphs through the symbol cmap only.
    bool IsSymbolFont() const { return FHasSymbolCmap && !FHasUnicodeCmap; }
    TCodeMapping MappingFor(std::uint8_t charset) const;

    // The advance table at pixelsPerEm, built on first use.
    const TAdvanceTable& Advances(TCodeMapping mapping, long pixelsPerEm);

    // GDI's pixels per em for a font whose cell (ascent + descent) is
    // cellPixels high: a positive font height in GDI asks for the cell.
    long PixelsPerEmForCell(long cellPixels) const;

    TOutlineMetrics OutlineMetrics() const;
    std::vector<TABCWidth> ABCWidths(int first, int last) const;

    // ---- text of any script, glyph by glyph (composite PDF fonts) ----
    // The glyph the Unicode cmap gives a character; 0 (.notdef) where the
    // face has none.
    std::uint32_t GlyphOf(char32_t character);
    // Whether the face has a glyph for every one of the characters.
    bool MapsAll(std::span<const char32_t> characters);
    // A glyph's advance at a 1000-unit em, halves away from zero.
    int GlyphWidth(std::uint32_t glyph) const;
    // A glyph's advance in whole pixels at pixelsPerEm, rounded as Advances
    // rounds each code's.
    long GlyphAdvance(std::uint32_t glyph, long pixelsPerEm) const;
    // The face's PostScript name; without one, its family without blanks.
    std::string PostScriptName() const;

private:
    void Prepare();
    std::array<FT_UInt, 256> GlyphsThrough(TCodeMapping mapping) const;
    long UnitsPerEm() const { return FFace->units_per_EM; }
    // A glyph's advance in font units.
    long GlyphUnits(std::uint32_t glyph) const;
    std::pair<long, long> CellAscentDescent() const;
    // Font units to the 1000-unit em of the PDF queries.
    int ToPdfEm(long units) const;
    void FillVerticalMetrics(TOutlineMetrics& m) const;
    void FillBoxMetrics(TOutlineMetrics& m) const;
    void FillOs2Metrics(TOutlineMetrics& m) const;
    void FillStyleMetrics(TOutlineMetrics& m) const;
    [[noreturn]] void Fail(const std::string& what) const;

    std::string FFaceName;
    std::string FFile;
    int FIndex = 0;
    TFreeTypeFace FFace;
    FT_CharMap FUnicodeCmap = nullptr;
    FT_CharMap FSymbolCmap = nullptr;
    bool FHasUnicodeCmap = false;
    bool FHasSymbolCmap = false;
    std::array<FT_UInt, 256> FGlyphs1252{};
    std::array<FT_UInt, 256> FGlyphsSymbol{};
    std::map<std::pair<TCodeMapping, long>, TAdvanceTable> FAdvanceTables;
    std::unordered_map<char32_t, std::uint32_t> FUnicodeGlyphs;
};

// x * numerator / denominator rounded to the nearest integer, halves away
// from zero (GDI's MulDiv), exact in 64 bits; denominator > 0.
long MulDivRound(long x, long numerator, long denominator);

}  // namespace tal::fonts
