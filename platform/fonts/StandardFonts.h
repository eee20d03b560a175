#pragma once
// The standard PDF fonts a report face is drawn with: the fixed face names
// that always map to one of them, and Helvetica for faces that are not
// installed.
#include <string>
#include <string_view>

#include "platform/GraphicsObject.h"
#include "platform/fonts/StandardFontWidths.h"

namespace tal {

// Comparison ignoring ASCII letter case, as face and base font names are.
bool SameAsciiTextIgnoringCase(std::string_view a, std::string_view b);

// The standard font of a face name that always maps to one ("Courier New"
// bold gives "Courier-Bold", "Times New Roman" "Times-Roman", "Arial"
// "Helvetica", "Symbol" and "ZapfDingbats" themselves, whatever the style);
// empty for any other name. Only bold and italic of the style count.
std::string FixedStandardFontName(std::string_view faceName, TFontStyles style);

// Helvetica in the style: Helvetica, -Bold, -Oblique or -BoldOblique.
std::string HelveticaName(TFontStyles style);

// The standard font a face is drawn with when the font engine does not
// report it as a TrueType face: its fixed standard font, else Helvetica.
std::string DrawnStandardFontName(std::string_view faceName, TFontStyles style);

}  // namespace tal
