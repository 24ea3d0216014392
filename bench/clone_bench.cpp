// A full clone read and write against the virtual radio pacing its line at 38,400 baud,
// compared with the wire time: the bytes on the line times 10 bits, divided by the rate.
// The radio runs as its own process on a pseudo-terminal, as in the integration tests.
#include "comm/indCloneMan.h"
#include "platform/posix/PollLoop.h"

#include "PacedReport.h"

#include <benchmark/benchmark.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <random>
#include <string>

extern char** environ;

namespace {

const AddressRange kReadRange[] = {{0x0000, 0xFF7F}, {1, 0}};
const AddressRange kWriteRange[] = {{0x0100, 0xFF7F}, {1, 0}};

// One paced radio and one clone manager for both benchmarks.
struct PacedRadio {
    PacedRadio() : useLoop(loop) {
        const std::string program = std::string(TRELVIX_BIN_DIR) + "/trelvix-radiosim";
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--pace"), nullptr};
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        std::string line;
        char c;
        pollfd p{fds[0], POLLIN, 0};
        while (pid > 0 && ::poll(&p, 1, 10'000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') line += c;
        ::close(fds[0]);
        device = line;
        man.setPortPath(device);
        man.setCodes(0x2897, 0);
        man.setImageSize(cmcEeprom::kImageSize);
        std::mt19937 rng(7);
        image.Resize(cmcEeprom::kImageSize);
        for (std::int32_t a = 0; a < cmcEeprom::kEepromSize; ++a) image.SetByte(a, static_cast<std::uint8_t>(rng()));
        // Bring the radio to 38,400 baud first, so that the timed runs carry no speed script.
        const AddressRange prime[] = {{0x0100, 0x017F}, {1, 0}};
        run([&](auto done) { return man.write(image, prime, true, done); });
    }
    ~PacedRadio() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    // Runs one operation; returns its status, the seconds it took and the bytes it moved.
    template <class Start>
    CloneStatus run(Start start, double* seconds = nullptr, std::int64_t* bytes = nullptr) {
        std::optional<CloneStatus> status;
        const auto t0 = std::chrono::steady_clock::now();
        if (!start([&](dst_CDrv_Result& r) { status = r.status; })) return CloneStatus::PortOpen;
        loop.runUntil([&] { return status.has_value(); }, 600'000);
        if (seconds) seconds[0] = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (bytes) *bytes = man.driver().byteCount();
        return status.value_or(CloneStatus::Timeout);
    }

    platform::PollLoop loop;
    platform::ScopedScheduler useLoop;
    pid_t pid = -1;
    std::string device;
    indCloneMan man;
    cmcEeprom image;
};

PacedRadio& radio() {
    static PacedRadio r;
    return r;
}

void report(benchmark::State& state, CloneStatus status, double seconds, std::int64_t bytes) {
    ReportPaced(state, status == CloneStatus::Success ? std::string() : "clone status " + std::to_string(static_cast<int>(status)), seconds, bytes);
}

void BM_CloneReadPaced38400(benchmark::State& state) {
    PacedRadio& r = radio();
    for (auto _ : state) {
        double seconds = 0;
        std::int64_t bytes = 0;
        const CloneStatus status = r.run([&](auto done) { return r.man.read(kReadRange, done); }, &seconds, &bytes);
        report(state, status, seconds, bytes);
    }
}
BENCHMARK(BM_CloneReadPaced38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_CloneWritePaced38400(benchmark::State& state) {
    PacedRadio& r = radio();
    for (auto _ : state) {
        double seconds = 0;
        std::int64_t bytes = 0;
        const CloneStatus status =
            r.run([&](auto done) { return r.man.write(r.image, kWriteRange, true, done); }, &seconds, &bytes);
        report(state, status, seconds, bytes);
    }
}
BENCHMARK(BM_CloneWritePaced38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
