#include "platform/doubles/VirtualScheduler.h"

#include <algorithm>

namespace platform {

VirtualScheduler::VirtualScheduler(std::uint32_t startTick)
    : startTick_(startTick), timers_([this] { return now_; }) {}

std::uint32_t VirtualScheduler::tickCount() const {
    return static_cast<std::uint32_t>(startTick_ + now_);
}

std::unique_ptr<Timer> VirtualScheduler::createTimer(std::function<void()> onTimeout) {
    return timers_.create(std::move(onTimeout));
}

void VirtualScheduler::advance(std::uint64_t ms) {
    const std::uint64_t target = now_ + ms;
    // A callback may advance time itself (a modal box pumps timers); time never goes back.
    while (timers_.fireNext(target, [this](std::uint64_t due) { now_ = std::max(now_, due); })) {
    }
    now_ = std::max(now_, target);
}

bool VirtualScheduler::advanceUntil(const std::function<bool()>& done, std::uint64_t maxMs) {
    for (std::uint64_t i = 0; i < maxMs && !done(); ++i) advance(1);
    return done();
}

}  // namespace platform
