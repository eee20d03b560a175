// Converts arbitrary bytes as an NDR report with the PDF writer, into memory.
// A report the converter refuses is fine; a crash, hang or leak is not.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "pdf/RpRenderPDF.h"
#include "tests/render/ConversionHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tal::testing::THalfEmEngine measure;
    tal::TRvRenderPDF render;
    render.FTextMeasure = &measure;
    render.EmbedFonts = true;
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
