#include "platform/Scheduler.h"

#ifndef _WIN32
#include "platform/posix/PollLoop.h"
#else
#include "platform/TimerQueue.h"

#include <windows.h>
#endif

namespace platform {

namespace {
#ifdef _WIN32
// Windows has no command-line loop of its own: the GUI installs the Qt scheduler before
// any timer runs. Until then the default gives the system tick count (which wraps at
// 2^32 ms, as the seam promises) and keeps timers in due order on the 64-bit count, so a
// caller that drives them sees the same rules as on the other backends.
class TickCountScheduler : public Scheduler {
public:
    TickCountScheduler() : timers_([] { return static_cast<std::uint64_t>(GetTickCount64()); }) {}
    std::uint32_t tickCount() const override { return GetTickCount(); }
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override {
        return timers_.create(std::move(onTimeout));
    }

private:
    TimerQueue timers_;
};
#endif

Scheduler& defaultScheduler() {
#ifndef _WIN32
    static PollLoop loop;
    return loop;
#else
    static TickCountScheduler clock;
    return clock;
#endif
}
}  // namespace

Scheduler& scheduler() { return Installed<Scheduler>::orFallback(defaultScheduler); }

}  // namespace platform
