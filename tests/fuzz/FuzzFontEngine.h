#pragma once
// The font engine of the conversion fuzz targets: a stand-in, so that random
// face names neither depend on the machine's fonts nor fill the real
// engine's caches, but one that measures like a real face at every size a
// report can ask for (up to the largest 32-bit point size, in 64 bits). It
// reports "Verdana" as an embeddable TrueType face and "Broken" as one it
// cannot read, so both TrueType paths of the PDF writer run. Text of another
// code page in "Verdana" is drawn in DejaVu Sans where it is installed, so
// the composite fonts (decoding, codes, HarfBuzz on a real program) run too.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts/FontEngine.h"
#include "platform/fonts/FontFace.h"

namespace tal::fuzzing {

class TFuzzFontEngine final : public TFontEngine {
public:
    // Half an em a byte: a 12-point font is 104 pixels a byte at 1248 ppi.
    long TextWidthPixels(const TFont& font, int ppi, std::string_view text) override {
        const std::int64_t perByte = static_cast<std::int64_t>(font.Size()) * ppi / 144;
        return static_cast<long>(static_cast<std::int64_t>(text.size()) * perByte);
    }
    bool IsTrueTypeFace(std::string_view face, TFontStyles) override {
        return face.starts_with("Verdana") || face.starts_with("Broken");
    }
    TOutlineMetrics GetOutlineMetrics(std::string_view face, TFontStyles) override {
        if (face.starts_with("Broken")) throw EFontError("cannot open " + std::string(face));
        TOutlineMetrics m;
        m.FirstChar = 32;
        m.LastChar = 255;
        m.Ascent = 905;
        m.Descent = 212;
        return m;
    }
    std::vector<TABCWidth> GetCharABCWidths(std::string_view, TFontStyles, int first, int last) override {
        return std::vector<TABCWidth>(static_cast<std::size_t>(last - first + 1), TABCWidth {1, 500, 1});
    }
    std::vector<std::uint8_t> GetFontData(std::string_view, TFontStyles) override { return {0, 1, 0, 0}; }
    fonts::TFontFace* CodePageFace(std::string_view face, TFontStyles, TCodePage) override {
        if (!face.starts_with("Verdana")) return nullptr;
        if (!FTriedCodePageFace) {
            FTriedCodePageFace = true;
            FT_Library library = nullptr;
            if (FT_Init_FreeType(&library) != 0) return nullptr;
            FLibrary.reset(library);
            try {
                FCodePageFace = std::make_unique<fonts::TFontFace>(
                    library, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, "Verdana");
            } catch (const EFontError&) {
                FCodePageFace.reset();  // not installed: the bytes stay Windows-1252
            }
        }
        return FCodePageFace.get();
    }

private:
    // The library outlives the face: members are destroyed in reverse order.
    fonts::TFreeTypeLibrary FLibrary;
    std::unique_ptr<fonts::TFontFace> FCodePageFace;
    bool FTriedCodePageFace = false;
};

}  // namespace tal::fuzzing
