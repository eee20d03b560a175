#include "platform/fonts/FontConfigEngine.h"

namespace tal {

namespace {

// Starts fontconfig and FreeType at the first question asked of it, so that
// a conversion that never measures or embeds a face (a report of shapes and
// pictures, or a PDF in the standard fonts) never loads the font
// configuration, which costs more than the rest of a small conversion.
class TLazyFontEngine final : public TFontEngine {
public:
    long TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) override {
        return Engine().TextWidthPixels(font, pixelsPerInch, text);
    }
    bool IsTrueTypeFace(std::string_view faceName, TFontStyles style) override {
        return Engine().IsTrueTypeFace(faceName, style);
    }
    TOutlineMetrics GetOutlineMetrics(std::string_view faceName, TFontStyles style) override {
        return Engine().GetOutlineMetrics(faceName, style);
    }
    std::vector<TABCWidth> GetCharABCWidths(std::string_view faceName, TFontStyles style, int first,
                                            int last) override {
        return Engine().GetCharABCWidths(faceName, style, first, last);
    }
    std::vector<std::uint8_t> GetFontData(std::string_view faceName, TFontStyles style) override {
        return Engine().GetFontData(faceName, style);
    }
    fonts::TFontFace* CodePageFace(std::string_view faceName, TFontStyles style, TCodePage codePage) override {
        return Engine().CodePageFace(faceName, style, codePage);
    }

private:
    // An engine that failed to start is tried again at the next question,
    // which then reports the failure again.
    TFontConfigEngine& Engine() {
        if (!FEngine) FEngine = std::make_unique<TFontConfigEngine>();
        return *FEngine;
    }
    std::unique_ptr<TFontConfigEngine> FEngine;
};

}  // namespace

// Made on first use and kept for the process, like the system's font mapper.
TFontEngine& DefaultFontEngine() {
    static TLazyFontEngine engine;
    return engine;
}

}  // namespace tal
