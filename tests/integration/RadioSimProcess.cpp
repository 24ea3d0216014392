#include "RadioSimProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace testsupport {

RadioSimProcess::RadioSimProcess(const std::vector<std::string>& args) {
    const std::string program = std::string(TRELVIX_BIN_DIR) + "/trelvix-radiosim";
    std::vector<std::string> all = {program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);

    int pipefd[2];
    if (::pipe(pipefd) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipefd[0]);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipefd[1]);
    out_ = pipefd[0];
    if (rc != 0) return;
    pid_ = pid;
    // The first line is the device path.
    std::string line;
    while (line.empty() || line.back() != '\n') {
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, 10'000) <= 0) return;
        char c;
        if (::read(out_, &c, 1) != 1) return;
        line += c;
    }
    line.pop_back();
    device_ = line;
}

RadioSimProcess::~RadioSimProcess() {
    kill();
    if (out_ >= 0) ::close(out_);
}

void RadioSimProcess::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

int RadioSimProcess::terminate() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RadioSimProcess::waitExit() {
    if (pid_ <= 0) return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace testsupport
