// Runs both engines, as their programs set them up, over the same bytes:
// the PDF writer with the engine form's settings (pictures drawn at 300
// pixels per inch, JPEG quality 90, fonts embedded) and the RTF writer with
// the picture form the last byte chooses. The seeds hold pictures of every
// kind (bitmaps, icons, Windows and enhanced metafiles, pattern brushes), so
// the picture paths are where the mutations start. Run it with a per-input
// time and memory limit (-timeout=20 -rss_limit_mb=1024): a slow or large
// unit is a finding like a crash.
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string_view>
#include <vector>

#include "pdf/PdfEngineForm.h"
#include "pdf/RpRenderPDF.h"
#include "platform/Stream.h"
#include "rtf/RpRenderRTF.h"
#include "tests/fuzz/FuzzChecks.h"
#include "tests/fuzz/FuzzFontEngine.h"

namespace {

constexpr std::int64_t FuzzBodyLimit = std::int64_t {16} << 20;

std::string_view Text(const tal::TMemoryStream& stream) {
    return {reinterpret_cast<const char*>(stream.Data()), static_cast<std::size_t>(stream.Size())};
}

tal::fuzzing::TFuzzFontEngine& Fonts() {
    static tal::fuzzing::TFuzzFontEngine fonts;
    return fonts;
}

void ConvertToPdf(const std::vector<std::uint8_t>& bytes) {
    tal::TRvRenderPDF render;
    tal::ApplyEngineFormSettings(render);
    render.FTextMeasure = &Fonts();
    render.FFontEngine = &Fonts();
    render.Clock = [] { return tal::TDateTime {2026, 1, 1, 0, 0, 0, 0}; };
    tal::TMemoryStream report(bytes), output;
    render.SetOutputStream(&output);
    render.FInputStream = &report;
    try {
        render.ConvertPages(0);
    } catch (const std::exception&) {
        // A malformed report ends in an error; the pages begun are still written.
    }
    if (output.Size() != 0 && !tal::fuzzing::PdfWhole(Text(output))) std::abort();
}

void ConvertToRtf(const std::vector<std::uint8_t>& bytes, std::uint8_t mode) {
    tal::TRvRenderRTF render;
    // A few pictures of absurd boxes reach the engine's 256 MiB; written
    // into memory under the sanitizers that takes tens of seconds a unit.
    // A lower limit keeps units quick and takes the limit's path more often.
    render.BodyLimit = FuzzBodyLimit;
    render.FTextMeasure = &Fonts();
    render.Clock = [] { return tal::TDateTime {2026, 1, 1, 0, 0, 0, 0}; };
    render.ImageOutput = (mode & 1) ? tal::TImageOutput::ioSmallerSize : tal::TImageOutput::ioHigherQuality;
    render.ImageEncoding = (mode & 2) ? tal::TImageEncoding::ieBinary : tal::TImageEncoding::ieHex;
    tal::TMemoryStream report(bytes), output;
    render.SetOutputStream(&output);
    render.FInputStream = &report;
    try {
        render.ConvertPages(0);
    } catch (const std::exception&) {
    }
    if (output.Size() != 0 && !tal::fuzzing::RtfWhole(Text(output))) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::vector<std::uint8_t> bytes(data, data + size);
    ConvertToPdf(bytes);
    ConvertToRtf(bytes, data[size - 1]);
    return 0;
}
