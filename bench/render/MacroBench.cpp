// Macro expansion of texts whose variables expand into many markers: one
// 9-byte text of a value naming itself twelve times reaches the bound of
// inserted bytes and leaves over a thousand markers to remove. The target:
// a report of 1 MB of such texts (50,000 of them) within a few seconds, so
// one text well under 100 microseconds.
#include <benchmark/benchmark.h>

#include "render/MacroExpansion.h"
#include "tools/ndrwriter/NdrWriter.h"

namespace {

void BM_SelfNamingValue(benchmark::State& state) {
    std::string value = "a";
    for (int k = 0; k < 12; ++k) value += tal::ndrwriter::VariableMacro("X");
    const tal::TMacroValues values {[](int) { return std::string(); }, [&](const std::string&) { return value; }};
    const std::string text = tal::ndrwriter::VariableMacro("X");
    std::size_t length = 0;
    for (auto _ : state) length += tal::ExpandMacroMarkers(text, values).size();
    benchmark::DoNotOptimize(length);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SelfNamingValue)->Unit(benchmark::kMicrosecond);

// Sixty kilobytes of markers in one text (the longest a report holds).
void BM_LongTextOfMarkers(benchmark::State& state) {
    const tal::TMacroValues values {[](int) { return std::string("12"); },
                                    [](const std::string&) { return std::string("value"); }};
    std::string text;
    while (text.size() < 60'000) text += "x " + tal::ndrwriter::VariableMacro("V") + tal::ndrwriter::BuiltInMacro(11);
    for (auto _ : state) benchmark::DoNotOptimize(tal::ExpandMacroMarkers(text, values));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_LongTextOfMarkers)->Unit(benchmark::kMicrosecond);

}  // namespace
