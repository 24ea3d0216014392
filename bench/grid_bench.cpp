// The sheet grid on Qt's offscreen platform: building the channel bank sheet with Qt's
// font metrics, painting a full 1,280 x 800 viewport, and paging from the top of a
// 522-row sheet to its bottom with a paint per page.
#ifdef TRELVIX_BENCH_UI

#include "SheetBenchSite.h"
#include "ui/cuiGrid.h"
#include "values/KeyCodes.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "trelvix_bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(argc, argv);
    return app;
}

void BM_BuildChannelBankSheet_QtMetrics(benchmark::State& state) {
    App();
    BenchSite site;
    const QtTextMetrics metrics;
    for (auto _ : state) {
        auto sheet = BuildBankSheet(site, &metrics);
        benchmark::DoNotOptimize(sheet->RowCount());
    }
}
BENCHMARK(BM_BuildChannelBankSheet_QtMetrics)->Unit(benchmark::kMillisecond);

// The application exists before any widget member of a benchmark is made.
struct WithApp {
    WithApp() { App(); }
};

struct GridBench : WithApp {
    GridBench() {
        // The viewport takes its size once the widget is shown (off screen here).
        grid.setAttribute(Qt::WA_DontShowOnScreen, true);
        grid.resize(1280, 800);
        grid.show();
        QApplication::processEvents();
        sheet = BuildBankSheet(site, &grid.metrics());
        grid.setSheet(sheet.get());
        image = QImage(grid.viewport()->size(), QImage::Format_RGB32);
    }
    BenchSite site;
    cuiGrid grid;
    std::unique_ptr<iuiSh_ChBank> sheet;
    QImage image;
};

void BM_PaintFullViewport(benchmark::State& state) {
    GridBench b;
    for (auto _ : state) b.grid.paintTo(b.image);
    state.counters["cells"] = b.grid.cellsPainted();
    state.counters["width"] = b.image.width();
    state.counters["height"] = b.image.height();
}
BENCHMARK(BM_PaintFullViewport)->Unit(benchmark::kMillisecond);

// One iteration pages from the top to the bottom; the counter is the time of one frame.
void BM_ScrollTopToBottomByPages(benchmark::State& state) {
    GridBench b;
    std::int64_t frames = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        b.sheet->SelectAt(1, 1);
        b.sheet->ScrollTo(0, 0);
        while (true) {
            const SheetPos before = b.sheet->Current();
            b.sheet->KeyDown({cellkey::vk::kPageDown, 0, false, false, false});
            b.grid.paintTo(b.image);
            ++frames;
            if (b.sheet->Current() == before) break;
        }
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    state.counters["frame_ms"] = spent.count() / static_cast<double>(frames);
    state.counters["frames"] = static_cast<double>(frames) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ScrollTopToBottomByPages)->Unit(benchmark::kMillisecond);

}  // namespace

#endif
