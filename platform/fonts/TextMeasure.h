#pragma once
// Measuring text: the one font query the converter needs.
#include <string_view>

#include "platform/GraphicsObject.h"

namespace tal {

class TTextMeasure {
public:
    virtual ~TTextMeasure() = default;
    // Width in whole pixels of text drawn with font at pixelsPerInch: the sum
    // of the whole-pixel advances of its glyphs.
    virtual long TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) = 0;
};

}  // namespace tal
