#include "comm/cmcTick.h"

#include "platform/Scheduler.h"

void cmcTick::arm(std::uint32_t ms) {
    duration_ = ms;
    start_ = platform::scheduler().tickCount();
    armed_ = true;
}

std::uint32_t cmcTick::remaining() {
    if (!armed_) return 0;
    // Unsigned subtraction gives the elapsed time across the wrap of the tick count.
    const std::uint32_t elapsed = platform::scheduler().tickCount() - start_;
    if (elapsed < duration_) return duration_ - elapsed;
    armed_ = false;
    return 0;
}
