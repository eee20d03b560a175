// The writer's hot paths: a text line and a shape into a page's content, and
// the numbers of the content stream, each in its string form (through the
// formatter) and written straight into a buffer.
#include <benchmark/benchmark.h>

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"

namespace {

void BM_ShowTextAndRectangle(benchmark::State& state) {
    tal::TRvRenderPDF render;
    tal::TMemoryStream out;
    render.SetOutputStream(&out);
    render.BeginDocument();
    for (auto _ : state) {
        render.PrintLeft("Page 12 line 34: 1,234.56 Herring, smoked (crate)", 1.0, 2.0);
        render.Rectangle(5.0, 1.0, 5.6, 1.4);
    }
    state.SetItemsProcessed(state.iterations() * 2);
    render.FreeDocumentObjects();
}
BENCHMARK(BM_ShowTextAndRectangle);

// A coordinate pair of the "m" operator: whole twips in points, as reports have them.
void BM_FormatCoordinates(benchmark::State& state) {
    double x = 1.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tal::pdf::FormatPDF("%.4f %.4f m", {x * 72.0, (11.0 - x) * 72.0}));
        x += 1.0 / 1440.0;
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_FormatCoordinates);

void BM_AppendCoordinates(benchmark::State& state) {
    char buffer[2 * tal::pdf::MaxFixed4Chars + 8];
    double x = 1.0;
    for (auto _ : state) {
        char* p = tal::pdf::AppendFixed4(buffer, x * 72.0);
        *p++ = ' ';
        p = tal::pdf::AppendFixed4(p, (11.0 - x) * 72.0);
        benchmark::DoNotOptimize(p);
        benchmark::ClobberMemory();
        x += 1.0 / 1440.0;
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_AppendCoordinates);

// Values with no short decimal form: the fast path, and the exact one near ties.
void BM_AppendFixed4AnyValue(benchmark::State& state) {
    char buffer[tal::pdf::MaxFixed4Chars];
    double x = 0.123456789;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tal::pdf::AppendFixed4(buffer, x));
        benchmark::ClobberMemory();
        x = x * 1.000123 + 0.0731;
        if (x > 1e6) x = 0.123456789;
    }
}
BENCHMARK(BM_AppendFixed4AnyValue);

void BM_ColorToPDF(benchmark::State& state) {
    tal::TColor color = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tal::pdf::ColorToPDF(color));
        color = (color + 0x010203) & 0xFFFFFF;
    }
}
BENCHMARK(BM_ColorToPDF);

void BM_AppendColor(benchmark::State& state) {
    char buffer[tal::pdf::MaxColorChars];
    tal::TColor color = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tal::pdf::AppendColor(buffer, color));
        benchmark::ClobberMemory();
        color = (color + 0x010203) & 0xFFFFFF;
    }
}
BENCHMARK(BM_AppendColor);

void BM_FontSizeText(benchmark::State& state) {
    std::int32_t size = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tal::pdf::FontSizeText(size));
        size = (size + 1) % 200;
    }
}
BENCHMARK(BM_FontSizeText);

void BM_AppendFontSizeText(benchmark::State& state) {
    char buffer[tal::pdf::MaxFontSizeChars];
    std::int32_t size = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tal::pdf::AppendFontSizeText(buffer, size));
        benchmark::ClobberMemory();
        size = (size + 1) % 200;
    }
}
BENCHMARK(BM_AppendFontSizeText);

}  // namespace
