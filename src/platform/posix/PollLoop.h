#pragma once
// The scheduler of the command-line programs and the virtual radio: a poll(2) loop over
// file descriptors and the timer queue, on the monotonic clock.

#include "platform/Scheduler.h"
#include "platform/TimerQueue.h"

#include <functional>
#include <map>

namespace platform {

class PollLoop : public Scheduler {
public:
    PollLoop();
    ~PollLoop() override;

    std::uint32_t tickCount() const override;
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;

    // Calls `onReady(revents)` whenever poll reports one of `events` on `fd`.
    void watch(int fd, short events, std::function<void(short)> onReady);
    void unwatch(int fd);

    // Waits at most `maxWaitMs` (-1: until something happens) for a descriptor or a timer,
    // then dispatches what is ready.
    void runOnce(int maxWaitMs);
    // Runs until `quit` is called.
    void run();
    // Runs until `done` returns true or `timeoutMs` passed; returns `done()`.
    bool runUntil(const std::function<bool()>& done, int timeoutMs);
    void quit() { quit_ = true; }

    static std::uint64_t monotonicMs();

private:
    TimerQueue timers_;
    std::map<int, std::pair<short, std::function<void(short)>>> watched_;
    bool quit_ = false;
};

}  // namespace platform
