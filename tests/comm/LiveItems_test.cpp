// Live adjustment transfers over the in-memory line on virtual time: the E8 item frame as
// bytes on the wire, the reply's value stored at its target, lists, and the replies that
// must be ignored or refused.
#include "FakeRadio.h"
#include "comm/indCloneMan.h"
#include "platform/doubles/MemorySerial.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using testsupport::Bytes;
using testsupport::frameFromRadio;

namespace {

// The radio's answer to an item: its own frame head, the item code, the value as text.
Bytes Answer(const Bytes& f, std::uint8_t high, std::uint8_t low, std::uint16_t model = 0x2897) {
    return frameFromRadio(0xE8, {static_cast<std::uint8_t>(model >> 8), static_cast<std::uint8_t>(model), 0x00,
                                 0x00, f[8], high, low});
}

class LiveItemsTest : public ::testing::Test {
protected:
    LiveItemsTest() {
        man.setCodes(0x2897, 0x0000);
        man.setPort(3);
    }
    std::optional<CloneStatus> finish() {
        status.reset();
        time.clock.advanceUntil([&] { return status.has_value(); }, 20'000);
        return status;
    }
    indCloneMan::Completion record() {
        return [this](dst_CDrv_Result& r) { status = r.status; };
    }
    // The item frames the radio saw (the speed script's item 01 left out).
    std::vector<Bytes> items() const {
        std::vector<Bytes> out;
        for (const Bytes& f : radio.frames) {
            if (f.size() > 8 && f[3] == 0xE8 && f[8] != 0x01) out.push_back(f);
        }
        return out;
    }

    platform::ScopedVirtualTime time;
    platform::ScopedMemorySerial serial;
    platform::MemoryLine& line = serial.ports.line("memory:COM3");
    testsupport::FakeRadio radio{line};
    indCloneMan man;
    std::optional<CloneStatus> status;
};

TEST_F(LiveItemsTest, ValueTravelsAsTwoUpperCaseHexCharacters) {
    ASSERT_TRUE(man.setItem(0x21, 0x3A, nullptr));
    ASSERT_TRUE(man.sendItem(false, record()));
    EXPECT_EQ(man.driver().state(), cmcCloneDrv::Starting);
    ASSERT_EQ(finish(), CloneStatus::Success);
    // Written out by hand: preamble (collapsed), addresses, E8, codes, item, "3" "A".
    EXPECT_EQ(items(), (std::vector<Bytes>{{0xFE, 0xEE, 0xEF, 0xE8, 0x28, 0x97, 0x00, 0x00, 0x21, 0x33, 0x41}}));
    EXPECT_FALSE(man.driver().itemPending());
}

TEST_F(LiveItemsTest, ReplyValueIsStoredAtItsTarget) {
    radio.itemAnswer = [](const Bytes& f) { return Answer(f, 0x30, 0x46); };  // "0F"
    std::uint8_t target = 0xEE;
    ASSERT_TRUE(man.setItem(0x03, 0x01, &target));
    ASSERT_TRUE(man.sendItem(false, record()));
    ASSERT_EQ(finish(), CloneStatus::Success);
    EXPECT_EQ(target, 0x0F);
}

// Replies that do not end the wait well, and what the item ends with.
TEST_F(LiveItemsTest, RepliesThatAreNotTheAnswer) {
    struct Case {
        const char* what;
        std::function<Bytes(const Bytes&)> answer;
        CloneStatus status;
        std::uint8_t stored;
    } cases[] = {
        {"another model's reply is ignored until the time-out",
         [](const Bytes& f) { return Answer(f, '1', '2', 0x2893); }, CloneStatus::Timeout, 0xEE},
        {"no reply at all", nullptr, CloneStatus::Timeout, 0xEE},
        {"a value that is not hexadecimal", [](const Bytes& f) { return Answer(f, '1', 'g'); }, CloneStatus::Format,
         0xEE},
        {"a foreign reply, then the answer",
         [](const Bytes& f) {
             Bytes both = Answer(f, '9', '9', 0x1234);
             const Bytes good = Answer(f, '4', '2');
             both.insert(both.end(), good.begin(), good.end());
             return both;
         },
         CloneStatus::Success, 0x42},
    };
    for (const Case& c : cases) {
        radio.itemAnswer = c.answer;
        std::uint8_t target = 0xEE;
        ASSERT_TRUE(man.setItem(0x03, 0x02, &target)) << c.what;
        const std::uint64_t started = time.clock.now();
        ASSERT_TRUE(man.sendItem(false, record())) << c.what;
        EXPECT_EQ(finish(), c.status) << c.what;
        EXPECT_EQ(target, c.stored) << c.what;
        if (c.status == CloneStatus::Timeout) {
            EXPECT_GE(time.clock.now() - started, 1000u) << c.what;
        }
    }
}

TEST_F(LiveItemsTest, ListReadsEveryValueBackInOrder) {
    radio.itemAnswer = [](const Bytes& f) {
        // The radio answers parameter p with p + 0x10.
        const int p = std::stoi(std::string{static_cast<char>(f[9]), static_cast<char>(f[10])}, nullptr, 16);
        const char* digits = "0123456789ABCDEF";
        return Answer(f, digits[((p + 0x10) >> 4) & 0xF], digits[(p + 0x10) & 0xF]);
    };
    static const std::uint8_t params[] = {1, 2, 3, 4, 32, 33, 34, 35, 39, 40, 41, 42, 43};
    std::uint8_t measured[13] = {};
    std::vector<LiveItem> list;
    for (std::size_t i = 0; i < 13; ++i) list.push_back({0x03, &params[i], &measured[i]});
    list.push_back({});
    ASSERT_TRUE(man.setItemList(list));
    ASSERT_TRUE(man.sendItemList(record()));
    ASSERT_EQ(finish(), CloneStatus::Success);
    for (std::size_t i = 0; i < 13; ++i) EXPECT_EQ(measured[i], params[i] + 0x10) << i;
    ASSERT_EQ(items().size(), 13u);
    EXPECT_EQ(items()[4][9], '2');
    EXPECT_EQ(items()[4][10], '0') << "parameter 32 goes out as \"20\"";
}

TEST_F(LiveItemsTest, ListThatStartsWithTheEndSendsNothing) {
    const LiveItem list[] = {{}};
    ASSERT_TRUE(man.setItemList(list));
    ASSERT_TRUE(man.sendItemList(record()));
    EXPECT_FALSE(man.setItem(0x21, 1, nullptr)) << "the item stays while a transfer runs";
    EXPECT_EQ(finish(), CloneStatus::Success);
    EXPECT_TRUE(items().empty());
}

}  // namespace
