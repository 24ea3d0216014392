#include "comm/cmcComm.h"
#include "platform/doubles/MemorySerial.h"
#include "platform/doubles/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(cmcCommSettings, ParsedLeftToRight) {
    struct Case {
        const char* text;
        int baud, dataBits, stopBits;
    };
    const Case cases[] = {
        {"9600,N,8,1", 9600, 8, 0},   {"38400,N,8,1", 38400, 8, 0}, {"9600,N,7,1", 9600, 7, 0},
        {"9600,N,9,1", 9600, 8, 0},   {"9600,N,3,1", 9600, 4, 0},   {"9600,N,8,1.5", 9600, 8, 1},
        {"9600,N,8,2", 9600, 8, 2},   {"9600,N,8,x", 9600, 8, 0},   {"19200", 19200, 8, 0},
    };
    for (const Case& c : cases) {
        const auto s = cmcComm::parseSettings(c.text);
        EXPECT_EQ(s.baudRate, c.baud) << c.text;
        EXPECT_EQ(s.dataBits, c.dataBits) << c.text;
        EXPECT_EQ(s.stopBits, c.stopBits) << c.text;
    }
}

class cmcCommTest : public ::testing::Test {
protected:
    platform::ScopedVirtualTime time;
    platform::ScopedMemorySerial serial;
    platform::MemoryLine& line = serial.ports.line("memory:COM4");
    cmcComm comm;
};

TEST_F(cmcCommTest, OpeningAnOpenPortFailsWithoutTouchingIt) {
    ASSERT_TRUE(comm.open(4, "38400,N,8,1"));
    EXPECT_EQ(comm.devicePath(), "memory:COM4");
    EXPECT_FALSE(comm.open(4, "9600,N,8,1"));
    EXPECT_TRUE(comm.isOpen());
    EXPECT_EQ(comm.lineSettings().baudRate, 38400);
    ASSERT_EQ(line.opens.size(), 1u);
}

TEST_F(cmcCommTest, ATransmitChunkWaitsForTheDriversQueueToDrain) {
    line.holdOutput = true;
    ASSERT_TRUE(comm.open(4, "9600,N,8,1"));
    std::vector<std::uint8_t> bytes(3000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(comm.send(bytes.data(), 3000), 0);
    EXPECT_EQ(line.writeSizes, std::vector<int>{1024});
    EXPECT_EQ(comm.pendingOutput(), 3000);
    time.clock.advance(50);
    EXPECT_EQ(line.writeSizes, std::vector<int>{1024}) << "the driver still holds the first chunk";
    line.transmit();
    time.clock.advance(10);
    line.transmit();
    time.clock.advance(10);
    EXPECT_EQ(line.writeSizes, (std::vector<int>{1024, 1024, 952}));
    EXPECT_EQ(line.written, bytes);
    line.transmit();
    EXPECT_EQ(comm.pendingOutput(), 0);
}

TEST_F(cmcCommTest, ClosingDropsWhatWasNotHandedOver) {
    line.holdOutput = true;
    ASSERT_TRUE(comm.open(4, "9600,N,8,1"));
    std::vector<std::uint8_t> bytes(2000, 0x55);
    comm.send(bytes.data(), 2000);
    comm.close();
    EXPECT_FALSE(line.isOpen);
    EXPECT_EQ(comm.pendingOutput(), 0);
    ASSERT_TRUE(comm.open(4, "9600,N,8,1"));
    time.clock.advance(100);
    EXPECT_EQ(line.written.size(), 1024u);
    std::uint8_t b;
    EXPECT_EQ(comm.send(&b, 1), 0);
    comm.close();
    EXPECT_EQ(comm.send(&b, 1), 0) << "closed: nothing";
    EXPECT_EQ(comm.read(&b, 1), 0);
    EXPECT_EQ(line.written.size(), 1025u);
}

TEST_F(cmcCommTest, AShortWriteSetsWriteFailedAndKeepsTheQueue) {
    line.acceptLimit = 100;
    ASSERT_TRUE(comm.open(4, "9600,N,8,1"));
    std::vector<std::uint8_t> bytes(300, 1);
    comm.send(bytes.data(), 300);
    EXPECT_TRUE(comm.writeFailed());
    EXPECT_EQ(comm.queuedForTransmit(), 300);
    time.clock.advance(100);
    EXPECT_EQ(line.writeSizes.size(), 1u) << "the pump stopped";
    comm.close();
    EXPECT_FALSE(comm.writeFailed());
}

TEST_F(cmcCommTest, ReadsTakeWhatWaitsWithoutWaiting) {
    ASSERT_TRUE(comm.open(4, "9600,N,8,1"));
    std::uint8_t buffer[4];
    EXPECT_EQ(comm.read(buffer, 4), 0);
    line.deliver({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(comm.inQueue(), 6);
    EXPECT_EQ(comm.read(buffer, 4), 4);
    EXPECT_EQ(comm.read(buffer, 4), 2);
    EXPECT_EQ(buffer[1], 6);
}

TEST_F(cmcCommTest, AFailedOpenSaysWhichDeviceAndWhy) {
    line.failOpen = "cannot open memory:COM4: Permission denied";
    EXPECT_FALSE(comm.open(4, "9600,N,8,1"));
    EXPECT_EQ(comm.openError(), "cannot open memory:COM4: Permission denied");
    EXPECT_EQ(comm.portNumber(), 4);
    EXPECT_FALSE(comm.isOpen());
}

}  // namespace
