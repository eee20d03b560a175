#pragma once
// Cutting a TrueType font program down to the characters a document prints.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tal {

// The font program that holds only the glyphs of the given characters (and
// what they are built from), with a cmap that still maps each of them, so a
// simple font's codes reach the same glyphs as in the whole program. Glyph
// ids are renumbered: PDF text of simple fonts never names glyph ids.
// Characters the font does not map are left out. Returns nothing when the
// bytes are no font the subsetter can cut, or when the cut font would lose
// a character the whole one maps (the caller then embeds the whole program).
std::optional<std::vector<std::uint8_t>> SubsetFontProgram(std::span<const std::uint8_t> program,
                                                           std::span<const char32_t> characters);

// A font program cut down to some glyphs, and where each of them went.
struct TGlyphSubset {
    std::vector<std::uint8_t> Program;
    // The new glyph id of each glyph asked for, in the order asked.
    std::vector<std::uint32_t> NewGlyphs;
};

// The font program that holds only the given glyphs (glyph 0 and what the
// glyphs are built from included), renumbered; characters keep a cmap entry
// where they lead to one of the glyphs. Layout tables are dropped as above.
// Returns nothing when the bytes are no font the subsetter can cut, or when
// a glyph asked for did not survive the cut.
std::optional<TGlyphSubset> SubsetGlyphs(std::span<const std::uint8_t> program, std::span<const std::uint32_t> glyphs,
                                         std::span<const char32_t> characters);

}  // namespace tal
