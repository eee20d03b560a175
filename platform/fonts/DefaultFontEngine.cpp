#include "platform/fonts/FontEngine.h"

namespace tal {

namespace {

// Stand-in until the fontconfig engine arrives: a fixed advance of half the
// em for every character.
class TFixedAdvanceEngine final : public TFontEngine {
public:
    long TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) override {
        const long em = static_cast<long>(font.Size()) * pixelsPerInch / 72;
        return static_cast<long>(text.size()) * (em / 2);
    }
};

}  // namespace

TFontEngine& DefaultFontEngine() {
    static TFixedAdvanceEngine engine;
    return engine;
}

}  // namespace tal
