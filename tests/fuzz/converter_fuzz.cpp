// Runs the report converter over arbitrary bytes with a renderer that
// formats every call, so that every operand the converter hands over is
// touched. The last byte chooses how the pages are picked.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Stream.h"
#include "tests/fuzz/FuzzFontEngine.h"
#include "tools/ndrdump/CallLogRender.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static constexpr const char* selections[] = {"", "2", "1,3-4", "ODD", "-2", "A"};
    const std::uint8_t mode = data[size - 1];
    tal::TMemoryStream report(std::vector<std::uint8_t>(data, data + size));
    std::size_t calls = 0;
    static tal::fuzzing::TFuzzFontEngine measure;
    tal::TCallLogRender render([&calls](const std::string& line) { calls += line.size(); });
    render.FTextMeasure = &measure;
    render.Clock = [] { return tal::TDateTime {2024, 2, 29, 23, 59, 58, 0}; };
    render.FPageSelection = selections[mode % 6];
    render.FInputStream = &report;
    try {
        render.ConvertPages(mode >= 0xF0 ? (mode & 0x0F) : 0);
    } catch (const std::exception&) {
        // A malformed report ends in an error; anything else (a crash, a
        // hang, a leak) is what fuzzing looks for.
    }
    return calls == static_cast<std::size_t>(-1);
}
