// From process start to the main window shown, on the offscreen platform with the real
// overlay and initial image; and the resident memory at that moment. The program reports
// "shown rss=N" (kilobytes) when TRELVIX_STARTUP_PROBE is set, then ends.

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

extern char** environ;

namespace {

// Runs the program once; returns the resident kilobytes it reported, or -1.
long RunToShown(double& seconds) {
    const std::string program = std::string(TRELVIX_BIN_DIR) + "/trelvix";
    if (!std::filesystem::exists(program)) return -1;
    const std::string sandbox = std::filesystem::temp_directory_path() / "trelvix-startup-bench";
    std::filesystem::create_directories(sandbox);
    std::filesystem::permissions(sandbox, std::filesystem::perms::owner_all);  // as a runtime directory must be
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TRELVIX_STARTUP_PROBE", "1", 1);
    setenv("XDG_CONFIG_HOME", sandbox.c_str(), 1);  // never the user's own settings
    setenv("XDG_RUNTIME_DIR", sandbox.c_str(), 1);

    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return -1;
    }
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const auto at = line.find("rss=");
    return at == std::string::npos ? -1 : std::strtol(line.c_str() + at + 4, nullptr, 10);
}

void StartupToMainWindowShown(benchmark::State& state) {
    long rss = -1;
    for (auto _ : state) {
        double seconds = 0;
        rss = RunToShown(seconds);
        if (rss < 0) {
            state.SkipWithError("the program did not report its main window");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["rss_MB"] = static_cast<double>(rss) / 1024.0;
}
BENCHMARK(StartupToMainWindowShown)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
