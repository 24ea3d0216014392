#include "platform/TimerQueue.h"

#include <algorithm>

namespace platform {

struct TimerQueue::Entry {
    std::uint64_t sequence = 0;
    std::uint64_t due = 0;
    int interval = 0;
    bool active = false;
    std::function<void()> onTimeout;
};

struct TimerQueue::State {
    std::function<std::uint64_t()> clock;
    std::vector<std::shared_ptr<Entry>> entries;
    std::uint64_t nextSequence = 0;
};

class TimerQueue::Handle : public Timer {
public:
    Handle(std::weak_ptr<State> state, std::shared_ptr<Entry> entry)
        : state_(std::move(state)), entry_(std::move(entry)) {}

    ~Handle() override {
        entry_->active = false;
        if (auto state = state_.lock()) {
            std::erase(state->entries, entry_);
        }
    }

    void start(int intervalMs) override {
        auto state = state_.lock();
        if (!state) return;
        entry_->interval = std::max(intervalMs, 1);
        entry_->due = state->clock() + static_cast<std::uint64_t>(entry_->interval);
        entry_->active = true;
    }

    void stop() override { entry_->active = false; }
    bool active() const override { return entry_->active; }

private:
    std::weak_ptr<State> state_;
    std::shared_ptr<Entry> entry_;
};

TimerQueue::TimerQueue(std::function<std::uint64_t()> clock) : state_(std::make_shared<State>()) {
    state_->clock = std::move(clock);
}

TimerQueue::~TimerQueue() = default;

std::unique_ptr<Timer> TimerQueue::create(std::function<void()> onTimeout) {
    auto entry = std::make_shared<Entry>();
    entry->sequence = state_->nextSequence++;
    entry->onTimeout = std::move(onTimeout);
    state_->entries.push_back(entry);
    return std::make_unique<Handle>(state_, entry);
}

std::optional<std::uint64_t> TimerQueue::nextDue() const {
    std::optional<std::uint64_t> best;
    for (const auto& e : state_->entries) {
        if (e->active && (!best || e->due < *best)) best = e->due;
    }
    return best;
}

bool TimerQueue::fireNext(std::uint64_t limit, const std::function<void(std::uint64_t)>& reachDue) {
    std::shared_ptr<Entry> next;
    for (const auto& e : state_->entries) {
        if (!e->active || e->due > limit) continue;
        if (!next || e->due < next->due || (e->due == next->due && e->sequence < next->sequence)) next = e;
    }
    if (!next) return false;

    reachDue(next->due);
    // Re-arm before the call so that a callback that restarts or stops its own timer has
    // the last word. A loop that fell behind real time does not fire a burst to catch up.
    const std::uint64_t now = state_->clock();
    next->due += static_cast<std::uint64_t>(next->interval);
    if (next->due <= now) next->due = now + static_cast<std::uint64_t>(next->interval);
    // `next` keeps the entry (and its callback) alive even if the callback destroys the timer.
    next->onTimeout();
    return true;
}

std::size_t TimerQueue::activeCount() const {
    return static_cast<std::size_t>(
        std::count_if(state_->entries.begin(), state_->entries.end(), [](const auto& e) { return e->active; }));
}

}  // namespace platform
