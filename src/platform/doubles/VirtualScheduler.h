#pragma once
// Virtual time: timers fire only when a test advances the clock, instantly and in due
// order. A 20-second timeout costs nothing and gives the same result every run.

#include "platform/Scheduler.h"
#include "platform/TimerQueue.h"

#include <functional>

namespace platform {

class VirtualScheduler : public Scheduler {
public:
    // `startTick` is the tick count at time zero; start near 2^32 to test wrap-around.
    explicit VirtualScheduler(std::uint32_t startTick = 0);

    std::uint32_t tickCount() const override;
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;

    // Moves time forward by `ms`, firing every timer that falls due on the way.
    void advance(std::uint64_t ms);
    // Advances 1 ms at a time until `done` holds or `maxMs` passed; returns `done()`.
    bool advanceUntil(const std::function<bool()>& done, std::uint64_t maxMs);

    std::uint64_t now() const { return now_; }
    std::size_t activeTimers() const { return timers_.activeCount(); }

private:
    std::uint32_t startTick_;
    std::uint64_t now_ = 0;
    TimerQueue timers_;
};

// Installs a fresh virtual clock for a test's lifetime.
class ScopedVirtualTime {
public:
    explicit ScopedVirtualTime(std::uint32_t startTick = 0) : clock(startTick), install_(clock) {}
    VirtualScheduler clock;

private:
    ScopedScheduler install_;
};

}  // namespace platform
