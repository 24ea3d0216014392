#pragma once
// The GUI's scheduler: Qt timers on the GUI thread, the tick count from a monotonic clock.

#include "platform/Scheduler.h"

#include <QElapsedTimer>

namespace platform {

class QtScheduler : public Scheduler {
public:
    QtScheduler();
    std::uint32_t tickCount() const override;
    std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;

private:
    QElapsedTimer clock_;
};

}  // namespace platform
