#include "platform/FatalStop.h"
#include "platform/doubles/ScriptedDialogs.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include "platform/posix/PollLoop.h"

#include <poll.h>
#include <unistd.h>
#endif

#include <string>
#include <vector>

namespace {

TEST(VirtualScheduler, FiresInDueOrderWithTiesInCreationOrder) {
    platform::VirtualScheduler clock;
    std::string order;
    auto a = clock.createTimer([&] { order += 'a'; });
    auto b = clock.createTimer([&] { order += 'b'; });
    auto c = clock.createTimer([&] { order += 'c'; });
    c->start(2);
    b->start(3);
    a->start(3);
    clock.advance(6);
    EXPECT_EQ(order, "cabcabc");
    EXPECT_EQ(clock.now(), 6u);
}

TEST(VirtualScheduler, ATimerMayDestroyAnotherOrItselfFromItsCallback) {
    platform::VirtualScheduler clock;
    int fired = 0;
    std::unique_ptr<platform::Timer> victim, self;
    victim = clock.createTimer([&] { ++fired; });
    self = clock.createTimer([&] {
        victim.reset();
        self.reset();
    });
    self->start(1);
    victim->start(1);  // due at the same time but created first, so it runs first
    clock.advance(5);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(clock.activeTimers(), 0u);
}

#ifndef _WIN32  // the command-line loop of POSIX systems
TEST(PollLoop, DispatchesReadableDescriptorsAndTimers) {
    platform::PollLoop loop;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::string got;
    loop.watch(fds[0], POLLIN, [&](short) {
        char buf[16];
        const auto n = ::read(fds[0], buf, sizeof buf);
        if (n > 0) got.append(buf, static_cast<std::size_t>(n));
    });
    int ticks = 0;
    auto timer = loop.createTimer([&] {
        if (++ticks == 2) (void)!::write(fds[1], "hi", 2);
    });
    timer->start(1);
    EXPECT_TRUE(loop.runUntil([&] { return got == "hi"; }, 5000));
    EXPECT_GE(ticks, 2);
    loop.unwatch(fds[0]);
    ::close(fds[0]);
    ::close(fds[1]);
}
#endif

TEST(ScriptedDialogs, AnswersInOrderAndRecordsUnscriptedQuestions) {
    platform::ScopedScriptedDialogs d;
    d.dialogs.answer(platform::DlgAnswer::Yes);
    d.dialogs.choosePath("/tmp/a.tdf");
    auto& dlg = platform::dialogs();
    EXPECT_EQ(dlg.message({"Save?", "T", platform::DlgIcon::Warning, platform::DlgButtons::YesNoCancel}),
              platform::DlgAnswer::Yes);
    EXPECT_EQ(dlg.saveFile({}), std::optional<std::string>("/tmp/a.tdf"));
    EXPECT_EQ(dlg.message({"Again?", "T", platform::DlgIcon::Warning, platform::DlgButtons::OkCancel}),
              platform::DlgAnswer::Cancel);
    EXPECT_EQ(dlg.message({"Done.", "T", platform::DlgIcon::Information, platform::DlgButtons::Ok}),
              platform::DlgAnswer::Ok);
    EXPECT_EQ(d.dialogs.messages.size(), 3u);
    EXPECT_EQ(d.dialogs.unscripted, (std::vector<std::string>{"Again?"}));
}

TEST(FileFilters, PairsBecomeOneFilterEach) {
    EXPECT_EQ(platform::FileFiltersFromPairs("Data files (*.tdf)|*.tdf|Texts|*.txt;*.log"),
              (std::vector<std::string>{"Data files (*.tdf)", "Texts (*.txt *.log)"}));
    EXPECT_TRUE(platform::FileFiltersFromPairs("lonely").empty());
}

TEST(FatalStopDeathTest, ShowsTheTextWithTheExecutableNameAndAborts) {
    EXPECT_EQ(platform::formatOne("Cannot open '%s'.", "/x/y.tdf"), "Cannot open '/x/y.tdf'.");
#ifdef _WIN32  // the file name keeps its extension; standard error writes CR LF
    const char* expected = "test_platform\\.exe: Self Check Error\\.\r?\nEEPROM Map is too large\\.";
#else
    const char* expected = "test_platform: Self Check Error.\nEEPROM Map is too large.";
#endif
    EXPECT_DEATH(platform::fatalStop("Self Check Error.\nEEPROM Map is too large."), expected);
}

}  // namespace
