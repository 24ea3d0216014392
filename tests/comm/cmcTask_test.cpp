#include "comm/cmcTask.h"
#include "comm/cmcTick.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A task whose callback runs an arbitrary test body and counts its calls.
struct Probe {
    int calls = 0;
    std::function<void(cmcTask*)> body;
    static void Callback(void* self, cmcTask* task) {
        auto* p = static_cast<Probe*>(self);
        ++p->calls;
        if (p->body) p->body(task);
    }
};

// Counts live tasks so a test can see when one was really destroyed.
struct CountedTask : cmcTask {
    static inline int alive = 0;
    CountedTask() { ++alive; }
    ~CountedTask() override { --alive; }
};

class cmcTaskTest : public ::testing::Test {
protected:
    platform::ScopedVirtualTime time;
};

TEST_F(cmcTaskTest, IntervalRules) {
    struct Case {
        std::int32_t interval;
        bool stopped;
        int callsIn10ms;
    };
    for (const Case& c : {Case{5, false, 2}, Case{0, false, 10}, Case{1, false, 10}, Case{-5, true, 0}}) {
        auto* task = new cmcTask;
        Probe probe;
        task->setCallback(&Probe::Callback, &probe);
        EXPECT_EQ(task->setInterval(c.interval), c.stopped) << c.interval;
        EXPECT_EQ(task->interval(), c.interval);
        time.clock.advance(10);
        EXPECT_EQ(probe.calls, c.callsIn10ms) << "interval " << c.interval;
        cmcTask::dispose(task);
        time.clock.advance(1);
    }
}

TEST_F(cmcTaskTest, NewTaskIsStoppedAndTaskWithoutCallbackDoesNothing) {
    auto* task = new cmcTask;
    EXPECT_TRUE(task->stopped());
    EXPECT_EQ(task->interval(), -1);
    task->setInterval(1);
    time.clock.advance(5);  // no callback installed: ticks are harmless
    Probe probe;
    task->setCallback(&Probe::Callback, &probe);
    time.clock.advance(3);
    EXPECT_EQ(probe.calls, 3);
    task->detach();
    time.clock.advance(3);
    EXPECT_EQ(probe.calls, 3);
    EXPECT_TRUE(task->stopped());
    cmcTask::dispose(task);  // stopped: destroyed at once
}

TEST_F(cmcTaskTest, TaskDestroyedFromItsOwnCallbackGoesAtTheNextTick) {
    auto* task = new CountedTask;
    Probe probe;
    probe.body = [&](cmcTask* t) {
        t->destroyLater();
        EXPECT_EQ(CountedTask::alive, 1) << "never destroyed inside its own callback";
    };
    task->setCallback(&Probe::Callback, &probe);
    task->setInterval(10);
    time.clock.advance(10);
    EXPECT_EQ(probe.calls, 1);
    EXPECT_EQ(CountedTask::alive, 1);
    time.clock.advance(1);  // destroyLater set a 1 ms interval
    EXPECT_EQ(CountedTask::alive, 0);
    EXPECT_EQ(probe.calls, 1) << "the callback does not run again";
    EXPECT_EQ(time.clock.activeTimers(), 0u);
}

TEST_F(cmcTaskTest, OwnerDisposingARunningTaskFromItsCallbackIsSafe) {
    auto* task = new CountedTask;
    Probe probe;
    probe.body = [](cmcTask* t) { cmcTask::dispose(t); };  // the owner's stop routine, from the callback
    task->setCallback(&Probe::Callback, &probe);
    task->setInterval(2);
    time.clock.advance(2);
    EXPECT_EQ(CountedTask::alive, 1);
    time.clock.advance(5);
    EXPECT_EQ(CountedTask::alive, 0);
    EXPECT_EQ(probe.calls, 1);
}

// A task is never freed while its callback runs, whichever way its disposal is asked for
// from inside that callback: the delete waits until the callback has returned.
TEST_F(cmcTaskTest, TaskIsNeverFreedWhileItsCallbackRuns) {
    struct Case {
        const char* name;
        std::function<void(platform::VirtualScheduler&, cmcTask*)> fromCallback;
    };
    const Case cases[] = {
        // The owner stops the task first, then disposes of it: a stopped task.
        {"stop then dispose", [](platform::VirtualScheduler&, cmcTask* t) {
             t->setInterval(-1);
             cmcTask::dispose(t);
         }},
        // destroyLater, then a modal box pumps timers: the nested tick is the "next tick".
        {"destroyLater then pump", [](platform::VirtualScheduler& clock, cmcTask* t) {
             t->destroyLater();
             clock.advance(5);
         }},
        {"dispose then pump", [](platform::VirtualScheduler& clock, cmcTask* t) {
             cmcTask::dispose(t);
             clock.advance(5);
         }},
    };
    for (const Case& c : cases) {
        auto* task = new CountedTask;
        Probe probe;
        bool aliveAfterwards = false;
        probe.body = [&](cmcTask* t) {
            c.fromCallback(time.clock, t);
            aliveAfterwards = CountedTask::alive == 1;
            EXPECT_TRUE(t->busy()) << c.name;  // reads the task: a use after free if it went
        };
        task->setCallback(&Probe::Callback, &probe);
        task->setInterval(1);
        time.clock.advance(1);
        EXPECT_TRUE(aliveAfterwards) << c.name << ": freed inside its own callback";
        time.clock.advance(5);
        EXPECT_EQ(CountedTask::alive, 0) << c.name << ": destroyed once the callback returned";
        EXPECT_EQ(probe.calls, 1) << c.name;
        EXPECT_EQ(time.clock.activeTimers(), 0u) << c.name;
        CountedTask::alive = 0;  // keeps the next case meaningful if this one failed
    }
}

TEST_F(cmcTaskTest, TickWhileBusyIsIgnored) {
    auto* task = new cmcTask;
    Probe probe;
    // A callback that pumps timers while it runs, as a modal message box does.
    probe.body = [&](cmcTask* t) {
        EXPECT_TRUE(t->busy());
        if (probe.calls == 1) time.clock.advance(5);
    };
    task->setCallback(&Probe::Callback, &probe);
    task->setInterval(1);
    time.clock.advance(1);
    EXPECT_EQ(probe.calls, 1) << "ticks during the callback were ignored";
    EXPECT_FALSE(task->busy());
    time.clock.advance(1);
    EXPECT_EQ(probe.calls, 2);
    cmcTask::dispose(task);
    time.clock.advance(1);
}

TEST(cmcTick, NeverArmedCountsAsExpired) {
    platform::ScopedVirtualTime time;
    cmcTick t;
    EXPECT_EQ(t.remaining(), 0u);
}

TEST(cmcTick, CountsDownAndDisarmsAcrossTheTickWrap) {
    for (std::uint32_t start : {0u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        platform::ScopedVirtualTime time(start);
        cmcTick t;
        t.arm(100);
        time.clock.advance(40);
        EXPECT_EQ(t.remaining(), 60u) << "start " << start;
        time.clock.advance(59);
        EXPECT_EQ(t.remaining(), 1u) << "at least 1 while running";
        EXPECT_TRUE(t.armed());
        time.clock.advance(1);
        EXPECT_EQ(t.remaining(), 0u);
        EXPECT_FALSE(t.armed()) << "expiry disarms";
        time.clock.advance(0xFFFFFF00u);  // far later, the tick count wrapped again: still expired
        EXPECT_EQ(t.remaining(), 0u);
    }
}

}  // namespace
