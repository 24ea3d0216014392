#include "platform/Scheduler.h"

#ifndef _WIN32
#include "platform/posix/PollLoop.h"
#endif

namespace platform {

namespace {
Scheduler* installed = nullptr;

Scheduler& defaultScheduler() {
#ifndef _WIN32
    static PollLoop loop;
    return loop;
#else
#error "No default scheduler backend for this platform yet"
#endif
}
}  // namespace

Scheduler& scheduler() { return installed ? *installed : defaultScheduler(); }

ScopedScheduler::ScopedScheduler(Scheduler& s) : previous_(installed) { installed = &s; }
ScopedScheduler::~ScopedScheduler() { installed = previous_; }

}  // namespace platform
