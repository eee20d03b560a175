// Converts arbitrary bytes as an NDR report with the PDF writer, into memory.
// A report the converter refuses is fine; a crash, hang or leak is not.
// The font engine is a small stand-in, so that random face names neither
// depend on the machine's fonts nor fill the real engine's caches; it
// reports "Verdana" as an embeddable TrueType face and "Broken" as one it
// cannot read, so both TrueType paths run.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "pdf/RpRenderPDF.h"
#include "tests/render/ConversionHarness.h"

namespace {

class TFuzzFontEngine final : public tal::TFontEngine {
public:
    long TextWidthPixels(const tal::TFont& font, int ppi, std::string_view text) override {
        return static_cast<long>(text.size()) * (font.Size() * ppi / 144);
    }
    bool IsTrueTypeFace(std::string_view face, tal::TFontStyles) override {
        return face.starts_with("Verdana") || face.starts_with("Broken");
    }
    tal::TOutlineMetrics GetOutlineMetrics(std::string_view face, tal::TFontStyles) override {
        if (face.starts_with("Broken")) throw tal::EFontError("cannot open " + std::string(face));
        tal::TOutlineMetrics m;
        m.FirstChar = 32;
        m.LastChar = 255;
        m.Ascent = 905;
        m.Descent = 212;
        return m;
    }
    std::vector<tal::TABCWidth> GetCharABCWidths(std::string_view, tal::TFontStyles, int first, int last) override {
        return std::vector<tal::TABCWidth>(static_cast<std::size_t>(last - first + 1), tal::TABCWidth {1, 500, 1});
    }
    std::vector<std::uint8_t> GetFontData(std::string_view, tal::TFontStyles) override { return {0, 1, 0, 0}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tal::testing::THalfEmEngine measure;
    static TFuzzFontEngine fonts;
    tal::TRvRenderPDF render;
    render.FTextMeasure = &measure;
    render.FFontEngine = &fonts;
    render.EmbedFonts = true;
    // Small rasters keep an execution fast; the picture paths run all the same.
    render.MetafileDPI = 24;
    render.Clock = [] { return tal::TDateTime {2026, 1, 1, 0, 0, 0, 0}; };
    tal::TMemoryStream report(std::vector<std::uint8_t>(data, data + size)), output;
    try {
        render.SetOutputStream(&output);
        render.FInputStream = &report;
        render.ConvertPages(0);
    } catch (const std::exception&) {
    }
    return 0;
}
