#pragma once
// The advance widths of the fourteen standard PDF fonts, in thousandths of
// the em, indexed by character code: eleven tables, since the four Courier
// faces share one.
#include <array>
#include <cstdint>
#include <string_view>

namespace tal {

using TFontWidths = std::array<std::int16_t, 256>;

struct TStandardFontTable {
    const char* Name;
    TFontWidths Widths;
};

inline constexpr int StandardFontCount = 11;
extern const TStandardFontTable StandardFontTables[StandardFontCount];

// The table for a standard PDF base font name (case-insensitive), or none
// for a name that is not one of the fourteen.
const TFontWidths* StandardFontWidths(std::string_view pdfName);

}  // namespace tal
