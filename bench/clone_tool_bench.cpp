// trelvix-clone read and write against the virtual radio pacing its line at 38,400 baud,
// each run as a process from start to exit (identification, speed changes and the save
// included), compared with the wire time of the transfer itself: the bytes of its frames
// times 10 bits, divided by the rate.
#include "app/CloneSession.h"
#include "app/DocumentService.h"
#include "app/FamilyRules.h"
#include "comm/cmcCloneDrv.h"

#include "PacedReport.h"

#include <benchmark/benchmark.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace {

const std::string kBin = TRELVIX_BIN_DIR;
const std::string kFile = kBin + "/Init_LMR_Mob.tdf";
// A write needs a programmed channel (the tool refuses an image without one): the
// demonstration radio's twelve.
const std::string kWriteFile = kBin + "/Demo_LMR_Mob.tdf";

pid_t spawn(const std::vector<std::string>& args, int* out) {
    std::vector<std::string> all = args;
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = -1;
    if (posix_spawn(&pid, all[0].c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    *out = fds[0];
    return pid;
}

struct PacedSim {
    explicit PacedSim(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {kBin + "/trelvix-radiosim", "--pace", "--mobile"};
        args.insert(args.end(), extra.begin(), extra.end());
        int out = -1;
        pid = spawn(args, &out);
        char c;
        pollfd p{out, POLLIN, 0};
        while (pid > 0 && ::poll(&p, 1, 10'000) > 0 && ::read(out, &c, 1) == 1 && c != '\n') device += c;
        ::close(out);
    }
    ~PacedSim() {
        if (pid <= 0) return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    pid_t pid = -1;
    std::string device;
};

// Runs trelvix-clone to its end; returns its exit status and the seconds it took.
int runClone(const std::vector<std::string>& args, double& seconds) {
    std::vector<std::string> all = {kBin + "/trelvix-clone"};
    all.insert(all.end(), args.begin(), args.end());
    const auto t0 = std::chrono::steady_clock::now();
    int out = -1;
    const pid_t pid = spawn(all, &out);
    char buffer[256];
    while (::read(out, buffer, sizeof buffer) > 0) {
    }
    ::close(out);
    int status = 0;
    ::waitpid(pid, &status, 0);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The bytes of the data frames of a transfer over `ranges` (16-byte frames on 16-byte
// boundaries), each with its frame head, its hex text and its end byte.
std::int64_t dataFrameBytes(const AddressRangeList& ranges) {
    std::int64_t bytes = 0;
    for (const AddressRange& r : ranges) {
        if (r.end < r.start) break;
        for (std::int32_t a = r.start; a <= r.end;) {
            const std::int32_t n = std::min(16 - a % 16, r.end - a + 1);
            bytes += 5 + static_cast<std::int64_t>(cmcCloneDrv::dataPayload(a, std::vector<std::uint8_t>(16).data(), n).size()) + 1;
            a += n;
        }
    }
    return bytes;
}

void report(benchmark::State& state, int status, double seconds, std::int64_t bytes) {
    ReportPaced(state, status == 0 ? std::string() : "exit status " + std::to_string(status), seconds, bytes);
}

void BM_CloneToolReadPaced38400(benchmark::State& state) {
    PacedSim sim({"--image", kFile});
    const std::string out = "/tmp/trelvix-bench-read-" + std::to_string(::getpid()) + ".tdf";
    for (auto _ : state) {
        double seconds = 0;
        const int status = runClone({"read", "--port", sim.device, "--out", out}, seconds);
        // The request, the radio's data frames for the whole EEPROM and its end frame.
        const AddressRangeList whole = {{0x0000, 0xFF7F}, {1, 0}};
        report(state, status, seconds, 10 + dataFrameBytes(whole) + 17);
    }
    std::remove(out.c_str());
}
BENCHMARK(BM_CloneToolReadPaced38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_CloneToolWritePaced38400(benchmark::State& state) {
    PacedSim sim({});
    // The ranges the write covers, prepared exactly as the tool prepares them.
    FamilyRules rules;
    DocumentService documents(rules);
    LoadResult loaded = documents.Load(kWriteFile, cmcEeprom(cmcEeprom::kImageSize));
    cmcEeprom initial(cmcEeprom::kImageSize);
    if (!loaded.ok() || documents.ReadInitialImage(kFile, initial) != 0) {
        state.SkipWithError("cannot load the data file");
        return;
    }
    documents.PrepareLoaded(loaded.image, initial, loaded.modelKind);
    CloneSession session(rules, cmcEeprom::kImageSize);
    CloneSession::WriteRequest request;
    request.image = &loaded.image;
    request.initial = &initial;
    request.modelKind = loaded.modelKind;
    const auto plan = session.PrepareWrite(request);
    const AddressRangeList ranges = plan ? plan->ranges : AddressRangeList{};
    std::int32_t length = 0;
    for (const AddressRange& r : ranges) {
        if (r.end < r.start) break;
        length += r.end - r.start + 1;
    }
    for (auto _ : state) {
        double seconds = 0;
        const int status = runClone({"write", "--port", sim.device, "--in", kWriteFile, "--high-speed", "--yes"}, seconds);
        // The request and its ready byte, the data frames, a ready byte per 128 bytes, the
        // end frame and the acknowledgement.
        report(state, status, seconds, 10 + 1 + dataFrameBytes(ranges) + length / 128 + 17 + 7);
        state.counters["range_bytes"] = length;
    }
}
BENCHMARK(BM_CloneToolWritePaced38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
