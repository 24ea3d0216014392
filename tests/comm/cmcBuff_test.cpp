#include "comm/cmcBuff.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

std::vector<std::uint8_t> contents(const cmcBuff& b) { return {b.data(), b.data() + b.length()}; }

TEST(cmcBuff, PopFrontReturnsBytesAsUnsignedAndMinusOneWhenEmpty) {
    cmcBuff b;
    EXPECT_EQ(b.popFront(), -1);
    EXPECT_EQ(b.length(), 0);
    b.appendByte(0xFF);
    b.appendByte(0x00);
    EXPECT_EQ(b.popFront(), 255);  // not confused with "empty"
    EXPECT_EQ(b.popFront(), 0);
    EXPECT_EQ(b.popFront(), -1);
    EXPECT_EQ(b.length(), 0);
}

TEST(cmcBuff, CompactsAfter4096PopsAndKeepsTheRest) {
    cmcBuff b;
    for (int i = 0; i < 6000; ++i) b.appendByte(static_cast<std::uint8_t>(i * 7));
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(b.popFront(), static_cast<std::uint8_t>(i * 7));
    EXPECT_EQ(b.consumed(), 4096) << "compaction only once more than 4,096 bytes were consumed";
    for (int i = 4096; i < 5000; ++i) ASSERT_EQ(b.popFront(), static_cast<std::uint8_t>(i * 7));
    EXPECT_LT(b.consumed(), 1000) << "block was compacted";
    ASSERT_EQ(b.length(), 1000);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(*b.at(i), static_cast<std::uint8_t>((5000 + i) * 7));
    // The queue keeps working after compaction.
    b.appendByte(0xAB);
    EXPECT_EQ(b.length(), 1001);
    EXPECT_EQ(*b.at(1000), 0xAB);
}

TEST(cmcBuff, GrowingWithinCapacityKeepsOldBytesGrowingPastCapacityZeroFills) {
    cmcBuff b;
    b.appendRepeated(0x55, 100);
    b.appendByte(0x55);  // grows past 100: a quarter of the old length is reserved
    const std::int32_t capacity = b.capacity();
    ASSERT_EQ(capacity, 101 + 25);
    b.setLength(10);
    b.setLength(capacity);  // within capacity: bytes past the old length are left alone
    EXPECT_EQ(*b.at(50), 0x55);
    b.setLength(10);
    b.setLength(capacity + 50);  // past capacity: the new space is zero
    EXPECT_EQ(*b.at(9), 0x55);
    EXPECT_EQ(*b.at(capacity + 49), 0x00);
    EXPECT_EQ(*b.at(10), 0x00);
}

TEST(cmcBuff, AppendSetFillAndCopies) {
    cmcBuff a;
    a.append("abc");
    a.appendRepeated('-', 2);
    cmcBuff b(a);
    b.append(a);  // from another buffer
    EXPECT_EQ(b.view(), "abc--abc--");
    b.append(b.data(), 3);  // from inside itself, across a reallocation
    EXPECT_EQ(b.view(), "abc--abc--abc");
    b.set(b.data() + 5, 3);
    EXPECT_EQ(b.view(), "abc");
    a = b;
    a.fill('z');
    EXPECT_EQ(a.view(), "zzz");
    EXPECT_EQ(b.view(), "abc");
    a.reset();
    EXPECT_EQ(a.length(), 0);
    EXPECT_EQ(a.capacity(), 1) << "an empty buffer still owns one byte";
}

TEST(cmcBuff, ReceiveQueuePatternKeepsOrder) {
    cmcBuff b;
    std::vector<std::uint8_t> chunk(256);
    std::iota(chunk.begin(), chunk.end(), 0);
    for (int round = 0; round < 40; ++round) {
        b.append(chunk.data(), 256);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(b.popFront(), i) << "round " << round;
    }
    EXPECT_TRUE(contents(b).empty());
}

using cmcBuffDeathTest = ::testing::Test;

TEST(cmcBuffDeathTest, AtOutsideTheValidBytesStops) {
    cmcBuff b;
    b.append("xy");
    EXPECT_DEATH(b.at(2), "Out of cmcBuff element !");
    EXPECT_DEATH(b.at(-1), "Out of cmcBuff element !");
}

}  // namespace
