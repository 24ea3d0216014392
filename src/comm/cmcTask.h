#pragma once
// A periodic task on the program's one thread, driven by a timer of the scheduler seam.
//
// Two guards make callbacks safe: a tick that arrives while the callback still runs
// (a modal box pumps messages) is ignored, and a task is never destroyed inside its own
// callback; `destroyLater` defers that to the first tick after the callback returned.
// Tasks are heap objects: one that destroys itself later must have been created with `new`.

#include "platform/Scheduler.h"

#include <cstdint>
#include <memory>

class cmcTask {
public:
    using Callback = void (*)(void* context, cmcTask* task);

    cmcTask();
    virtual ~cmcTask();
    cmcTask(const cmcTask&) = delete;
    cmcTask& operator=(const cmcTask&) = delete;

    void setCallback(Callback fn, void* context);
    // ms < 0 stops the task; otherwise it runs every ms milliseconds, at least 1 (0 asks
    // for the next possible tick). Returns whether the task is now stopped.
    bool setInterval(std::int32_t ms);
    // Removes the callback and stops.
    void detach();
    // The task destroys itself at its next tick.
    void destroyLater();

    std::int32_t interval() const { return interval_; }
    bool busy() const { return busy_; }
    bool stopped() const { return stopped_; }
    bool destroyPending() const { return destroyPending_; }

    // The disposal rule for owners: a running task, or one whose callback is running, is
    // detached and destroyed at a later tick (the owner may be inside its callback); a
    // stopped, idle one is destroyed at once.
    static void dispose(cmcTask* task);

    // The timer event.
    void tick();

private:
    std::unique_ptr<platform::Timer> timer_;
    Callback callback_ = nullptr;
    void* context_ = nullptr;
    std::int32_t interval_ = -1;
    bool busy_ = false;
    bool destroyPending_ = false;
    bool stopped_ = true;
};
