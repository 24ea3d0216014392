// Building a sheet in the core: the 522-row channel bank sheet from the real overlay,
// measured with fixed text metrics (the grid benchmark measures with Qt's).

#include "SheetBenchSite.h"

#include <benchmark/benchmark.h>

namespace {

void BM_BuildChannelBankSheet_FixedMetrics(benchmark::State& state) {
    BenchSite site;
    const FixedTextMetrics metrics;
    for (auto _ : state) {
        auto sheet = BuildBankSheet(site, &metrics);
        benchmark::DoNotOptimize(sheet->RowCount());
    }
    state.counters["rows"] = static_cast<double>(BuildBankSheet(site, &metrics)->RowCount());
}
BENCHMARK(BM_BuildChannelBankSheet_FixedMetrics)->Unit(benchmark::kMillisecond);

// Every cell a 1,280 x 800 viewport shows of the channel sheet, evaluated for display
// through the value routine (what a paint asks before it draws anything).
void BM_EvaluateViewportCells(benchmark::State& state) {
    BenchSite site;
    const FixedTextMetrics metrics;
    auto sheet = BuildBankSheet(site, &metrics);
    std::int32_t lastCol = 0, lastRow = 0;
    for (std::int32_t x = 0; lastCol < sheet->ColCount() && x < 1280; ++lastCol) x += sheet->ColWidth(lastCol);
    for (std::int32_t y = 0; lastRow < sheet->RowCount() && y < 800; ++lastRow) y += sheet->RowHeight(lastRow);
    std::int64_t cells = 0;
    for (auto _ : state) {
        for (std::int32_t row = 0; row < lastRow; ++row) {
            for (std::int32_t col = 0; col < lastCol; ++col) {
                benchmark::DoNotOptimize(sheet->Describe(col, row, {}));
                ++cells;
            }
        }
    }
    state.counters["cells"] = static_cast<double>(lastCol * lastRow);
    state.SetItemsProcessed(cells);
}
BENCHMARK(BM_EvaluateViewportCells)->Unit(benchmark::kMillisecond);

}  // namespace
