#include "comm/cmcTask.h"

#include <algorithm>

cmcTask::cmcTask() : timer_(platform::scheduler().createTimer([this] { tick(); })) {}

cmcTask::~cmcTask() = default;

void cmcTask::setCallback(Callback fn, void* context) {
    callback_ = fn;
    context_ = context;
}

bool cmcTask::setInterval(std::int32_t ms) {
    interval_ = ms;
    if (ms < 0) {
        timer_->stop();
        stopped_ = true;
    } else {
        timer_->start(std::max(ms, 1));
        stopped_ = false;
    }
    return stopped_;
}

void cmcTask::detach() {
    callback_ = nullptr;
    context_ = nullptr;
    setInterval(-1);
}

void cmcTask::destroyLater() {
    destroyPending_ = true;
    setInterval(1);
}

void cmcTask::dispose(cmcTask* task) {
    if (!task) return;
    // A stopped task may still be inside its callback (the owner stops, then disposes,
    // from there): only one that is not running goes at once.
    if (task->stopped_ && !task->busy_) {
        delete task;
    } else {
        task->detach();
        task->destroyLater();
    }
}

void cmcTask::tick() {
    // A tick nested inside the callback (a modal box pumps timers) must not free the task
    // under it; the timer keeps running, so a tick after the callback returned does.
    if (destroyPending_ && !busy_) {
        delete this;
        return;
    }
    if (busy_ || !callback_) return;
    busy_ = true;
    callback_(context_, this);
    busy_ = false;
}
