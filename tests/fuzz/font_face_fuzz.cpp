// Fuzzes what the engine computes from a face's tables: FreeType parses the
// bytes, the engine derives advances, GDI metrics and ABC widths from
// whatever values the tables hold (zero ems, extreme boxes, odd cmaps).
#include <cstdint>
#include <vector>

#include "platform/fonts/FontFace.h"

namespace {

tal::fonts::TFreeTypeLibrary OpenLibrary() {
    FT_Library library = nullptr;
    FT_Init_FreeType(&library);
    return tal::fonts::TFreeTypeLibrary(library);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tal::fonts::TFreeTypeLibrary library = OpenLibrary();
    const std::vector<std::uint8_t> bytes(data, data + size);
    try {
        tal::fonts::TFontFace face(library.get(), bytes, "fuzz");
        for (const auto mapping : {tal::fonts::TCodeMapping::Windows1252, tal::fonts::TCodeMapping::Symbol}) {
            (void)face.Advances(mapping, 208);
            (void)face.Advances(mapping, 1L << 24);
        }
        (void)face.PixelsPerEmForCell(208);
        (void)face.HasTrueTypeOutlines();
        const tal::TOutlineMetrics metrics = face.OutlineMetrics();
        (void)face.ABCWidths(metrics.FirstChar, metrics.LastChar);
    } catch (const tal::EFontError&) {
    }
    return 0;
}
