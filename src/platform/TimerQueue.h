#pragma once
// Periodic timers kept in due order against a 64-bit millisecond clock. Shared by the
// poll(2) loop (real monotonic time) and the virtual-time test double, so both fire
// timers by the same rules: earliest due first, ties in creation order, a timer may
// stop, restart or destroy itself (or any other timer) from its callback.

#include "platform/Scheduler.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

class TimerQueue {
public:
    explicit TimerQueue(std::function<std::uint64_t()> clock);
    ~TimerQueue();
    TimerQueue(const TimerQueue&) = delete;
    TimerQueue& operator=(const TimerQueue&) = delete;

    std::unique_ptr<Timer> create(std::function<void()> onTimeout);

    // Due time of the earliest active timer.
    std::optional<std::uint64_t> nextDue() const;

    // Fires the earliest timer due at or before `limit`; `reachDue` is called with its due
    // time just before the callback (virtual time moves there). Returns false when no
    // timer was due.
    bool fireNext(std::uint64_t limit, const std::function<void(std::uint64_t)>& reachDue);

    std::size_t activeCount() const;

private:
    struct Entry;
    class Handle;
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace platform
