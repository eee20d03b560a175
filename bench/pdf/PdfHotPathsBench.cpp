// The writer's hot paths: a text line and a shape into a page's content.
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

void BM_FormatCoordinates(benchmark::State& state) {
    double x = 1.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tal::pdf::FormatPDF("%.4f %.4f m", {x * 72.0, (11.0 - x) * 72.0}));
        x += 0.001;
    }
}
BENCHMARK(BM_FormatCoordinates);

}  // namespace
