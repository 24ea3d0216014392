#pragma once
// How a paced transfer benchmark reports: its time against the wire time of the bytes it
// moved (10 bits a byte at 38,400 baud), or why it could not run.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

inline constexpr double kPacedBaud = 38400.0;

// `failure` is empty when the transfer succeeded.
inline void ReportPaced(benchmark::State& state, const std::string& failure, double seconds, std::int64_t bytes) {
    if (!failure.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    state.SetIterationTime(seconds);
    const double wire = static_cast<double>(bytes) * 10.0 / kPacedBaud;
    state.counters["wire_s"] = wire;
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["ratio"] = seconds / wire;
}
