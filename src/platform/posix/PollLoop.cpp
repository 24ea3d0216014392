#include "platform/posix/PollLoop.h"

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace platform {

std::uint64_t PollLoop::monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1'000'000u;
}

PollLoop::PollLoop() : timers_([] { return monotonicMs(); }) {}
PollLoop::~PollLoop() = default;

std::uint32_t PollLoop::tickCount() const { return static_cast<std::uint32_t>(monotonicMs()); }

std::unique_ptr<Timer> PollLoop::createTimer(std::function<void()> onTimeout) {
    return timers_.create(std::move(onTimeout));
}

void PollLoop::watch(int fd, short events, std::function<void(short)> onReady) {
    watched_[fd] = {events, std::move(onReady)};
}

void PollLoop::unwatch(int fd) { watched_.erase(fd); }

void PollLoop::runOnce(int maxWaitMs) {
    int wait = maxWaitMs;
    if (auto due = timers_.nextDue()) {
        const std::uint64_t now = monotonicMs();
        const int untilDue = *due <= now ? 0 : static_cast<int>(std::min<std::uint64_t>(*due - now, 60'000));
        wait = wait < 0 ? untilDue : std::min(wait, untilDue);
    }
    std::vector<pollfd> fds;
    fds.reserve(watched_.size());
    for (const auto& [fd, w] : watched_) fds.push_back(pollfd{fd, w.first, 0});
    const int n = ::poll(fds.data(), fds.size(), wait);
    if (n > 0) {
        for (const auto& p : fds) {
            if (p.revents == 0) continue;
            // A callback may unwatch any descriptor, so look each one up again.
            auto it = watched_.find(p.fd);
            if (it != watched_.end()) {
                auto onReady = it->second.second;
                onReady(p.revents);
            }
        }
    }
    const std::uint64_t now = monotonicMs();
    while (timers_.fireNext(now, [](std::uint64_t) {})) {
    }
}

void PollLoop::run() {
    quit_ = false;
    while (!quit_) runOnce(-1);
}

bool PollLoop::runUntil(const std::function<bool()>& done, int timeoutMs) {
    const std::uint64_t end = monotonicMs() + static_cast<std::uint64_t>(std::max(timeoutMs, 0));
    quit_ = false;
    while (!done() && !quit_) {
        const std::uint64_t now = monotonicMs();
        if (now >= end) break;
        runOnce(static_cast<int>(std::min<std::uint64_t>(end - now, 100)));
    }
    return done();
}

}  // namespace platform
