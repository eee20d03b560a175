// Converts arbitrary bytes as an NDR report with the PDF writer, into memory,
// with the engine form's settings (pictures at 300 pixels per inch).
// A report the converter refuses is fine; a crash, hang or leak is not.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "pdf/PdfEngineForm.h"
#include "pdf/RpRenderPDF.h"
#include "tests/fuzz/FuzzFontEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tal::fuzzing::TFuzzFontEngine fonts;
    tal::TRvRenderPDF render;
    tal::ApplyEngineFormSettings(render);
    render.FTextMeasure = &fonts;
    render.FFontEngine = &fonts;
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
