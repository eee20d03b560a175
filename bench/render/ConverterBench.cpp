// Converting a generated 50 MB report with a renderer that does nothing:
// what the converter itself costs a user.
#include <benchmark/benchmark.h>

#include "platform/Stream.h"
#include "render/RpRender.h"
#include "tools/ndrwriter/NdrWriter.h"

namespace {

using tal::ndrwriter::TNdrWriter;

struct TGeneratedReport {
    std::vector<std::uint8_t> Bytes;
    std::int64_t Commands = 0;
};

// Pages like those of a long listing: text lines in two fonts, rules and
// boxes, a pen and brush change now and then.
TGeneratedReport MakeReport(std::size_t targetBytes) {
    TGeneratedReport report;
    TNdrWriter w;
    std::int16_t page = 0;
    while (static_cast<std::size_t>(w.Offset()) < targetBytes) {
        w.BeginPage(++page, 8.5f, 11.0f);
        w.SetFont({.Name = "Arial", .SizeInches = 10.0f / 72});
        report.Commands += 2;
        for (int line = 0; line < 60; ++line) {
            const float y = 0.5f + line * 0.16f;
            if (line % 10 == 0) {
                w.FontBold(line % 20 == 0);
                w.SetPen(0x202020, 4, 0, 0.01f);
                w.SetBrush(0xE0E0E0, 0);
                w.Rectangle(0.5f, y, 8.0f, y + 0.15f);
                report.Commands += 4;
            }
            w.PrintLeft(y, "Invoice 2026-" + std::to_string(line) + "  Customer name and address text", 0.5f);
            w.PrintRight(y, std::to_string(line * 1234) + ".00", 8.0f);
            w.MoveTo(0.5f, y + 0.15f);
            w.LineTo(8.0f, y + 0.15f);
            report.Commands += 4;
        }
        w.EndPage();
        ++report.Commands;
    }
    report.Bytes = w.Finish();
    return report;
}

const TGeneratedReport& Report() {
    static const TGeneratedReport report = MakeReport(50u << 20);
    return report;
}

void BM_ConvertWithNullRenderer(benchmark::State& state) {
    const TGeneratedReport& report = Report();
    tal::TMemoryStream stream(report.Bytes);
    tal::TRPRender render;
    for (auto _ : state) {
        render.FInputStream = &stream;
        render.ConvertPages(0);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(report.Bytes.size()));
    state.counters["commands/s"] =
        benchmark::Counter(static_cast<double>(report.Commands), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MB"] = static_cast<double>(report.Bytes.size()) / (1 << 20);
}
BENCHMARK(BM_ConvertWithNullRenderer)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
