#include "platform/Scheduler.h"

#ifndef _WIN32
#include "platform/posix/PollLoop.h"
#endif

namespace platform {

namespace {
Scheduler& defaultScheduler() {
#ifndef _WIN32
    static PollLoop loop;
    return loop;
#else
#error "No default scheduler backend for this platform yet"
#endif
}
}  // namespace

Scheduler& scheduler() { return Installed<Scheduler>::orFallback(defaultScheduler); }

}  // namespace platform
