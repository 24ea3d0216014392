#include "image/cmcEeprom.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(cmcEeprom, ResizeClearsEvenAtTheSameSize) {
    cmcEeprom e(16);
    e.Fill(0xAA);
    e.Resize(16);
    EXPECT_EQ(e.GetByte(7), 0);
    e.Resize(0);
    EXPECT_EQ(e.Size(), 0);
    EXPECT_EQ(e.Data(), nullptr);
}

TEST(cmcEeprom, AssignAndEquality) {
    cmcEeprom empty1, empty2;
    EXPECT_TRUE(empty1.Equals(empty2));
    cmcEeprom a(8), b(9);
    EXPECT_FALSE(a == b) << "different sizes never equal, even as a prefix";
    b.Assign(empty1);
    EXPECT_EQ(b.Size(), 0);
    a.SetByte(3, 0x42);
    cmcEeprom c = a;
    EXPECT_TRUE(c == a);
    c.SetByte(7, 1);
    EXPECT_FALSE(c == a);
}

TEST(cmcEeprom, IndexValidity) {
    cmcEeprom e(10);
    EXPECT_FALSE(e.IsValidIndex(-1));
    EXPECT_TRUE(e.IsValidIndex(0));
    EXPECT_TRUE(e.IsValidIndex(9));
    EXPECT_FALSE(e.IsValidIndex(10));
}

TEST(cmcEeprom, BlocksCopyOnlyWhenTheyFitWholly) {
    struct Case {
        std::int32_t pos, len;
        bool copies;
    };
    const std::int32_t size = cmcEeprom::kImageSize;
    const std::array<std::uint8_t, 8> src{1, 2, 3, 4, 5, 6, 7, 8};
    for (const Case c : {Case{size - 4, 4, true}, Case{size - 3, 4, false}, Case{0, 8, true}, Case{-1, 4, false},
                         Case{size, 1, false}, Case{0, 0, false}, Case{0, -3, false},
                         Case{size - 1, 0x7FFFFFFF, false}}) {
        cmcEeprom e(size);
        e.WriteBlock(c.pos, src.data(), c.len);
        const bool wrote = c.pos >= 0 && c.pos < size && e.GetByte(c.pos) == 1;
        EXPECT_EQ(wrote, c.copies) << "WriteBlock pos " << c.pos << " len " << c.len;
        if (!c.copies) {
            EXPECT_TRUE(e == cmcEeprom(size)) << "nothing copied at all";
        }

        cmcEeprom full(size);
        full.Fill(0x5A);
        std::array<std::uint8_t, 8> dst{};
        full.ReadBlock(c.pos, dst.data(), std::min(c.len, 8));
        EXPECT_EQ(dst[0] == 0x5A, c.copies && c.len > 0) << "ReadBlock pos " << c.pos;
    }
}

TEST(cmcEepromDeathTest, OutOfRangeSingleByteAccessStops) {
    cmcEeprom e(cmcEeprom::kImageSize);
    EXPECT_DEATH(e.GetByte(cmcEeprom::kImageSize), "Out of EEPROM image address \\(GetByte\\)\\.");
    EXPECT_DEATH(e.SetByte(-1, 0), "Out of EEPROM image address \\(SetByte\\)\\.");
}

}  // namespace
