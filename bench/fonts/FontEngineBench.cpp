// Measuring a report line in a cached face, side by side with the floor it
// is held to: summing a 256-entry table over the same bytes.
#include <benchmark/benchmark.h>

#include <array>
#include <numeric>
#include <string>

#include "platform/fonts/FontConfigEngine.h"

namespace {

constexpr int CONVERTER_PPI = 1248;
// 60 bytes of plain report text.
const std::string LINE = "Invoice 2026-0417    Widgets, assorted sizes   12 x 4.50 EUR";
static_assert(sizeof("Invoice 2026-0417    Widgets, assorted sizes   12 x 4.50 EUR") - 1 == 60);

tal::TFont ReportFont() {
    tal::TFont font;
    font.SetName("Arial");
    font.SetSize(10);
    return font;
}

void BM_TextWidthPixelsCachedFace(benchmark::State& state) {
    tal::TFontConfigEngine engine;
    const tal::TFont font = ReportFont();
    benchmark::DoNotOptimize(engine.TextWidthPixels(font, CONVERTER_PPI, LINE));  // fills the caches
    for (auto _ : state) {
        std::string_view text = LINE;
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(engine.TextWidthPixels(font, CONVERTER_PPI, text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 60);
}
BENCHMARK(BM_TextWidthPixelsCachedFace);

// The same element type as the engine's advance tables.
void BM_SumOf256EntryTable(benchmark::State& state) {
    std::array<long, 256> table{};
    std::iota(table.begin(), table.end(), 100L);
    benchmark::DoNotOptimize(table.data());
    for (auto _ : state) {
        std::string_view text = LINE;
        benchmark::DoNotOptimize(text);
        long width = 0;
        for (const char c : text) width += table[static_cast<unsigned char>(c)];
        benchmark::DoNotOptimize(width);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 60);
}
BENCHMARK(BM_SumOf256EntryTable);

// Alternating two fonts defeats the one-entry memo: each call then finds its
// face through the request cache (no fontconfig, no FreeType).
void BM_TextWidthPixelsAlternatingFonts(benchmark::State& state) {
    tal::TFontConfigEngine engine;
    const tal::TFont regular = ReportFont();
    tal::TFont bold = ReportFont();
    bold.SetStyle(tal::fsBold);
    benchmark::DoNotOptimize(engine.TextWidthPixels(regular, CONVERTER_PPI, LINE));
    benchmark::DoNotOptimize(engine.TextWidthPixels(bold, CONVERTER_PPI, LINE));
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        benchmark::DoNotOptimize(engine.TextWidthPixels(flip ? bold : regular, CONVERTER_PPI, LINE));
    }
}
BENCHMARK(BM_TextWidthPixelsAlternatingFonts);

}  // namespace
