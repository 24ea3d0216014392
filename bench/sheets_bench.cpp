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

}  // namespace
