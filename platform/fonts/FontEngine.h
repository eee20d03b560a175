#pragma once
// The font service of the platform: finds the installed face for a report
// font, measures text the way the Windows graphics layer does, and answers the
// TrueType queries of the PDF writer.
#include <string>
#include <string_view>

#include "platform/GraphicsObject.h"

namespace tal {

class TFontEngine {
public:
    virtual ~TFontEngine() = default;

    // Width in whole pixels of text drawn with font at pixelsPerInch: the sum of
    // the whole-pixel advances of its glyphs (Windows-1252 bytes; the symbol
    // cmap for the symbol charset).
    virtual long TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) = 0;
};

// The engine the converters measure with unless told otherwise. It lives as
// long as the process, like the system's font mapper.
TFontEngine& DefaultFontEngine();

}  // namespace tal
