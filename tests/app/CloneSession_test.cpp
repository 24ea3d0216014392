// The clone session over an in-memory line: the family's codes and ranges reach the radio.

#include "app/CloneSession.h"
#include "app/FamilyRules.h"
#include "comm/FakeRadio.h"
#include "platform/doubles/MemorySerial.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class CloneSessionTest : public ::testing::Test {
protected:
    CloneSessionTest() { EXPECT_TRUE(session.UsePort(2)); }

    CloneStatus Finish() {
        time.clock.advanceUntil([&] { return status.has_value(); }, 200'000);
        EXPECT_TRUE(status.has_value()) << "no completion came";
        return status.value_or(CloneStatus::Success);
    }
    CloneSession::Completion Record() {
        return [this](dst_CDrv_Result& r) {
            status = r.status;
            image = r.image;
        };
    }

    platform::ScopedVirtualTime time;
    platform::ScopedMemorySerial serial;
    platform::MemoryLine& line = serial.ports.line("memory:COM2");
    testsupport::FakeRadio radio{line};
    FamilyRules rules;
    CloneSession session{rules, cmcEeprom::kImageSize};
    std::optional<CloneStatus> status;
    cmcEeprom image;
};

TEST_F(CloneSessionTest, ReadCoversTheWholeEepromAndRefusesASecondOperation) {
    ASSERT_TRUE(session.Read(Record()));
    EXPECT_TRUE(session.Busy());
    EXPECT_FALSE(session.Identify(Record())) << "one operation at a time";
    EXPECT_FALSE(session.UsePort(3)) << "the port stays while an operation runs";
    ASSERT_EQ(Finish(), CloneStatus::Success);
    for (std::int32_t a : {0x0000, 0x00FF, 0x8000, 0xFF7F}) EXPECT_EQ(image.GetByte(a), radio.image.GetByte(a)) << a;
    // The request carries the family's model code.
    ASSERT_FALSE(radio.frames.empty());
    EXPECT_EQ(radio.frames.back()[3], 0xE2);
}

TEST_F(CloneSessionTest, WriteLeavesTheRadiosOwnHeaderAlone) {
    cmcEeprom ours(cmcEeprom::kImageSize);
    for (std::int32_t a = 0; a < cmcEeprom::kEepromSize; ++a) ours.SetByte(a, 0xA5);
    ASSERT_TRUE(session.Write(ours, true, Record()));
    ASSERT_EQ(Finish(), CloneStatus::Success);
    ASSERT_FALSE(radio.dataAddresses.empty());
    EXPECT_EQ(radio.dataAddresses.front(), 0x0100) << "the first 256 bytes are the radio's";
    EXPECT_EQ(radio.received.GetByte(0x0100), 0xA5);
    EXPECT_EQ(radio.received.GetByte(0x00FF), 0x00);
}

}  // namespace
