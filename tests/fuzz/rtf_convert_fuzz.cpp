// Runs the report converter over arbitrary bytes with the RTF renderer
// writing into memory. The last byte chooses the picture form and the pages.
// Whatever the bytes, a document that was begun must come out finished:
// its header complete, its groups balanced, its last brace written.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/Stream.h"
#include "rtf/RpRenderRTF.h"
#include "tests/fuzz/FuzzChecks.h"
#include "tests/fuzz/FuzzFontEngine.h"

constexpr std::int64_t FuzzBodyLimit = std::int64_t {16} << 20;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static constexpr const char* selections[] = {"", "2", "1,3-4", "EVEN"};
    const std::uint8_t mode = data[size - 1];
    tal::TMemoryStream report(std::vector<std::uint8_t>(data, data + size));
    tal::TMemoryStream output;
    static tal::fuzzing::TFuzzFontEngine measure;
    tal::TRvRenderRTF render;
    render.FTextMeasure = &measure;
    // A few pictures of absurd boxes reach the engine's 256 MiB; written
    // into memory under the sanitizers that takes tens of seconds a unit.
    // A lower limit keeps units quick and takes the limit's path more often.
    render.BodyLimit = FuzzBodyLimit;
    render.Clock = [] { return tal::TDateTime {2024, 2, 29, 23, 59, 58, 0}; };
    render.ImageOutput = (mode & 1) ? tal::TImageOutput::ioSmallerSize : tal::TImageOutput::ioHigherQuality;
    render.ImageEncoding = (mode & 2) ? tal::TImageEncoding::ieBinary : tal::TImageEncoding::ieHex;
    render.FPageSelection = selections[(mode >> 2) % 4];
    render.SetOutputStream(&output);
    render.FInputStream = &report;
    try {
        render.ConvertPages(0);
    } catch (const tal::Exception&) {
        // A malformed report ends in an error; the document must still be whole.
    }
    if (output.Size() == 0) return 0;  // the report header failed: nothing was begun
    const std::string_view rtf(reinterpret_cast<const char*>(output.Data()), static_cast<std::size_t>(output.Size()));
    if (!tal::fuzzing::RtfWhole(rtf)) std::abort();
    return 0;
}
