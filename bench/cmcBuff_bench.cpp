// The two patterns the communication layer lives on: building a byte string one byte at
// a time, and the receive queue (a chunk arrives, its bytes are popped one by one).
// bytes_per_second must stay flat as the volume grows.

#include "comm/cmcBuff.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

void AppendOneByteAtATime(benchmark::State& state) {
    const auto total = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        cmcBuff b;
        for (std::int32_t i = 0; i < total; ++i) b.appendByte(static_cast<std::uint8_t>(i));
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(state.iterations() * total);
}
BENCHMARK(AppendOneByteAtATime)->Arg(1 << 20)->Arg(4 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

void ReceiveQueue(benchmark::State& state) {
    const std::int64_t total = state.range(0);
    std::array<std::uint8_t, 256> chunk{};
    for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<std::uint8_t>(i);
    for (auto _ : state) {
        cmcBuff b;
        std::int64_t sum = 0;
        for (std::int64_t done = 0; done < total; done += 256) {
            b.append(chunk.data(), 256);
            for (int i = 0; i < 256; ++i) sum += b.popFront();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * total);
}
BENCHMARK(ReceiveQueue)->Arg(1 << 20)->Arg(10 << 20)->Arg(100 << 20)->Unit(benchmark::kMillisecond);

// The same queue when the reader lags: chunks pile up before they are consumed, so the
// front moves far into the block and compaction does real work.
void ReceiveQueueWithBacklog(benchmark::State& state) {
    const std::int64_t total = state.range(0);
    std::array<std::uint8_t, 256> chunk{};
    for (auto _ : state) {
        cmcBuff b;
        std::int64_t sum = 0;
        for (std::int64_t done = 0; done < total; done += 256 * 64) {
            for (int k = 0; k < 64; ++k) b.append(chunk.data(), 256);
            while (b.length() > 0) sum += b.popFront();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * total);
}
BENCHMARK(ReceiveQueueWithBacklog)->Arg(1 << 20)->Arg(10 << 20)->Arg(100 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
