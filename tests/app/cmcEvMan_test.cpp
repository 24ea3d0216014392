#include "app/cmcEvMan.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A subscriber that logs what it receives and can run a reaction for each message.
struct Listener {
    std::string name;
    std::vector<std::string>* log;
    std::function<void(cmcEvMessage&)> react;

    void OnEvent(cmcEvMessage& m) {
        log->push_back(name + ":" + std::to_string(static_cast<int>(m.type)));
        if (react) react(m);
    }
};

class cmcEvManTest : public ::testing::Test {
protected:
    platform::ScopedVirtualTime time;
    cmcEvMan ev;
    std::vector<std::string> log;

    Listener& listen(const std::string& name) {
        listeners.push_back(std::make_unique<Listener>(Listener{name, &log, {}}));
        ev.Subscribe<&Listener::OnEvent>(listeners.back().get());
        return *listeners.back();
    }
    std::vector<std::unique_ptr<Listener>> listeners;
};

TEST_F(cmcEvManTest, SendDeliversAtOnceNewestSubscriberFirst) {
    listen("a");
    listen("b");
    ev.Send(EvMsg::UpdateMenus);
    EXPECT_EQ(log, (std::vector<std::string>{"b:9", "a:9"}));
}

TEST_F(cmcEvManTest, SubscribingTwiceLeavesOneSubscription) {
    Listener& a = listen("a");
    ev.Subscribe<&Listener::OnEvent>(&a);
    ev.Send(EvMsg::UpdateMenus);
    EXPECT_EQ(log, (std::vector<std::string>{"a:9"}));
    ev.Drain();
    EXPECT_EQ(ev.subscriptions(), 1u);
}

TEST_F(cmcEvManTest, PostWaitsForTheDrainAndAPostFromTheDrainWaitsForTheNext) {
    Listener& a = listen("a");
    a.react = [&](cmcEvMessage& m) {
        if (m.type == EvMsg::RedrawBound) ev.Post(EvMsg::BanksChanged);
    };
    ev.Post(EvMsg::RedrawBound);
    EXPECT_TRUE(log.empty()) << "posting does not deliver";
    time.clock.advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"a:13"})) << "the fresh message waits";
    EXPECT_EQ(ev.queued(), 1u);
    time.clock.advance(9);
    EXPECT_EQ(log.size(), 1u);
    time.clock.advance(1);
    EXPECT_EQ(log, (std::vector<std::string>{"a:13", "a:35"}));
    EXPECT_EQ(ev.queued(), 0u);
}

TEST_F(cmcEvManTest, UnsubscribeDuringADeliveryStopsLaterCallsAndFreesAtTheDrain) {
    Listener& a = listen("a");
    Listener& b = listen("b");  // called first
    b.react = [&](cmcEvMessage&) { ev.Unsubscribe<&Listener::OnEvent>(&a); };
    ev.Post(EvMsg::RedrawBound);
    ev.Post(EvMsg::RedrawCategory);
    time.clock.advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"b:13", "b:14"})) << "a is skipped from the moment it is removed";
    EXPECT_EQ(ev.subscriptions(), 1u) << "freed at the drain";
}

TEST_F(cmcEvManTest, SubscriberUnsubscribingItselfInsideASend) {
    Listener& a = listen("a");
    a.react = [&](cmcEvMessage&) { ev.Unsubscribe<&Listener::OnEvent>(&a); };
    listen("b");
    ev.Send(EvMsg::UpdateMenus);
    ev.Send(EvMsg::UpdateMenus);
    EXPECT_EQ(log, (std::vector<std::string>{"b:9", "a:9", "b:9"}));
}

TEST_F(cmcEvManTest, ReentrantSendRunsTheWholeInnerDeliveryFirst) {
    Listener& a = listen("a");
    Listener& b = listen("b");
    b.react = [&](cmcEvMessage& m) {
        if (m.type == EvMsg::SettingsChanged) {
            ev.Send(EvMsg::UpdateMenus);
            ev.Send(EvMsg::UpdateToolbars);
        }
    };
    (void)a;
    ev.Send(EvMsg::SettingsChanged);
    EXPECT_EQ(log, (std::vector<std::string>{"b:2", "b:9", "a:9", "b:20", "a:20", "a:2"}));
}

TEST_F(cmcEvManTest, DrainWhileASendIsDeliveringDoesNotFreeUnderIt) {
    Listener& a = listen("a");
    listen("b").react = [&](cmcEvMessage& m) {
        if (m.type != EvMsg::SettingsChanged) return;
        ev.Unsubscribe<&Listener::OnEvent>(&a);
        time.clock.advance(10);  // a modal box pumps the drain task
    };
    ev.Send(EvMsg::SettingsChanged);  // ASan reports a use after free if the drain freed `a`
    EXPECT_EQ(log, (std::vector<std::string>{"b:2"}));
    time.clock.advance(10);
    EXPECT_EQ(ev.subscriptions(), 1u);
}

TEST_F(cmcEvManTest, QueryReturnsTheReplyOrNothing) {
    EXPECT_FALSE(ev.Query(EvMsg::QueryBankSheet).has_value()) << "nobody answers";
    listen("bank").react = [&](cmcEvMessage& m) {
        if (m.type == EvMsg::QueryBankSheet) ev.Reply(3, 120, "x", 2);
    };
    auto reply = ev.Query(EvMsg::QueryBankSheet);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->first, 3);
    EXPECT_EQ(reply->second, 120);
    EXPECT_EQ(reply->data, (std::vector<std::uint8_t>{'x', 0}));
    ev.Reply(1, 1);  // outside a query: nothing to answer, no effect
}

TEST_F(cmcEvManTest, TextsAndDataAreCopiedIntoTheMessage) {
    std::string seen;
    std::int32_t first = 0;
    listen("status").react = [&](cmcEvMessage& m) {
        seen = m.text();
        first = m.first;
    };
    {
        std::string text = "Reading...";
        ev.PostText(EvMsg::StatusText, 7, 8, text);
        text = "changed after posting";
    }
    time.clock.advance(10);
    EXPECT_EQ(seen, "Reading...");
    EXPECT_EQ(first, 7);
}

TEST_F(cmcEvManTest, IgnoresNullCallbacksAndDiscardsTheQueueOnDestruction) {
    ev.Subscribe(nullptr, nullptr);
    EXPECT_EQ(ev.subscriptions(), 0u);
    auto other = std::make_unique<cmcEvMan>();
    EXPECT_EQ(cmcEvMan::Instance(), other.get());
    Listener l{"late", &log, {}};
    other->Subscribe<&Listener::OnEvent>(&l);
    other->Post(EvMsg::ShowAbout);
    other.reset();
    EXPECT_EQ(cmcEvMan::Instance(), &ev);
    time.clock.advance(50);
    EXPECT_TRUE(log.empty()) << "queued messages are lost, not delivered";
}

}  // namespace
