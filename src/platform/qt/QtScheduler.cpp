#include "platform/qt/QtScheduler.h"

#include <QTimer>

#include <algorithm>

namespace platform {

namespace {

class QtTimer : public Timer {
public:
    explicit QtTimer(std::function<void()> onTimeout) : onTimeout_(std::move(onTimeout)) {
        timer_ = new QTimer;
        timer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer_, &QTimer::timeout, [this] { onTimeout_(); });
    }
    // The callback may destroy this timer while Qt is still inside its timeout signal, so
    // the QTimer itself goes later, from the event loop.
    ~QtTimer() override {
        timer_->stop();
        QObject::disconnect(timer_, nullptr, nullptr, nullptr);
        timer_->deleteLater();
    }
    void start(int intervalMs) override { timer_->start(std::max(intervalMs, 1)); }
    void stop() override { timer_->stop(); }
    bool active() const override { return timer_->isActive(); }

private:
    std::function<void()> onTimeout_;
    QTimer* timer_;
};

}  // namespace

QtScheduler::QtScheduler() { clock_.start(); }

std::uint32_t QtScheduler::tickCount() const { return static_cast<std::uint32_t>(clock_.elapsed()); }

std::unique_ptr<Timer> QtScheduler::createTimer(std::function<void()> onTimeout) {
    return std::make_unique<QtTimer>(std::move(onTimeout));
}

}  // namespace platform
