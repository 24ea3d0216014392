#pragma once
// Scheduler and clock seam: periodic timers and the millisecond tick count.
//
// Everything in the program runs on one thread; periodic work (event drain, clone state
// machine, transmit pump, controller tick) is a timer of this seam. The GUI uses Qt
// timers, the command-line programs a poll(2) loop, the tests virtual time.

#include "platform/Installed.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// One periodic timer. Created stopped; `start` (re)arms it with a period, `stop`
// disables it. The callback may destroy the timer that is calling it.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool active() const = 0;
};

class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Milliseconds since an arbitrary origin; wraps at 2^32 like the system tick count.
    virtual std::uint32_t tickCount() const = 0;
    virtual std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) = 0;
};

// The scheduler that timer tasks and stopwatches use. One is always installed: by
// default the poll(2) loop backend; the GUI installs its Qt backend and tests their
// virtual time.
Scheduler& scheduler();

// Installs a scheduler for the lifetime of this object and restores the previous one after.
using ScopedScheduler = ScopedInstall<Scheduler>;

}  // namespace platform
