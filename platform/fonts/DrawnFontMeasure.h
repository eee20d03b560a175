#pragma once
// Measuring text as the PDF engine draws it: a face the font engine does not
// report as TrueType is drawn as a standard PDF font (Helvetica for any name
// that is not one of the fixed ones), so it is measured with that font's
// widths rather than with the substitute fontconfig would choose. Installed
// TrueType faces, and text of a charset with a code page of its own (drawn
// in the engine's face for that code page), are measured by the font engine.
#include <map>
#include <string>
#include <utility>

#include "platform/fonts/FontEngine.h"

namespace tal {

class TDrawnFontMeasure final : public TTextMeasure {
public:
    explicit TDrawnFontMeasure(TFontEngine& engine) : FEngine(engine) {}

    // Standard-font text: the sum of each byte's advance at the pixel size
    // of the engine (points * pixelsPerInch / 72, halves away from zero),
    // each rounded to whole pixels, halves up. Sizes of 0 or below (cell
    // heights) are left to the engine.
    long TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) override;

    // Whether the face is measured by the font engine (asked once per name
    // and style).
    bool MeasuredByEngine(const std::string& faceName, TFontStyles style);

private:
    bool DrawnInCodePageFace(const TFont& font);
    TFontEngine& FEngine;
    std::map<std::pair<std::string, TFontStyles>, bool> FTrueType;
};

}  // namespace tal
