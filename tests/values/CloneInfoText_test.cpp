// The Clone Information texts from a model-information block, against the product overlay:
// every key they read exists, and the fields come from the right bytes.
#include "overlay/cmcGTex.h"
#include "values/CloneInfoText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

class CloneInfoTextTest : public ::testing::Test {
protected:
    CloneInfoTextTest() {
        overlay.AttachFile(std::string(TRELVIX_SOURCE_DIR) + "/data/Trelvix.OVL");
        block.fill(' ');
        put(37, "0A0000FF1234");
        put(60, "1a2B");
        block[34] = 0x25;
    }
    void put(std::size_t at, const char* text) { std::copy_n(text, std::strlen(text), block.begin() + at); }

    cmcGTex overlay;
    ScopedGTex install{overlay};
    std::array<std::uint8_t, 125> block{};
};

TEST_F(CloneInfoTextTest, FieldsComeFromTheirBytes) {
    EXPECT_EQ(cloneinfo::SerialNumber(block), "1000255");
    EXPECT_EQ(cloneinfo::Revision(block), "2.5");
    EXPECT_EQ(cloneinfo::CheckSum(block), "$1A2B");
    put(40, "G");
    EXPECT_EQ(cloneinfo::SerialNumber(block), "") << "not all hexadecimal";
}

TEST_F(CloneInfoTextTest, ModelNamesKindTypeAndKeypad) {
    block[51] = 0x04 | 0x08;  // handheld with keypad
    block[52] = 0x01 | 0x08;  // BIIS
    EXPECT_EQ(cloneinfo::Model(block), GTex().GetLine("GI_AppInd_Model", 3) + "\n" +
                                           GTex().GetLine("GI_Mess_CloneInfo_Model", 1) + "\n" +
                                           GTex().GetLine("GI_Mess_CloneInfo_TenKey", 1));
    block[51] = 0;
    block[52] = 0x10;  // a mobile LMR P25
    EXPECT_EQ(cloneinfo::Model(block).substr(0, cloneinfo::Model(block).find('\n')),
              GTex().GetLine("GI_AppInd_Model", 5));
}

TEST_F(CloneInfoTextTest, EveryFittedOptionIsNamedInOrder) {
    block[49] = 0x00;
    block[50] = 0x20 | 0x10 | 0x04 | 0x08;  // scrambler (rolling), recorder, GPS
    block[51] = 0x40 | 0x10;                // man-down, digital unit 1
    block[76] = '1';
    block[77] = '3';
    put(82, "00FF");
    const std::vector<std::string> options = cloneinfo::Options(block);
    ASSERT_EQ(options.size(), 5u);
    EXPECT_EQ(options[0], GTex().GetLine("GI_Mess_CloneInfo_Opt_Galen", 0));
    EXPECT_EQ(options[1], GTex().GetLine("GI_Mess_CloneInfo_Opt_Corvel", 0));
    EXPECT_EQ(options[2], GTex().GetLine("GI_Mess_CloneInfo_Opt_Ismer", 0));
    EXPECT_EQ(options[3], GTex().GetLine("GI_Mess_CloneInfo_Opt_Brisk", 0));
    EXPECT_EQ(options[4], GTex().GetLine("GI_Mess_CloneInfo_Opt_Digi", 1) + "(Rev:1.3)  Sum:$00FF");
    block[49] = 0x01;
    block[50] = 0x00;
    block[51] = 0x00;
    EXPECT_EQ(cloneinfo::Options(block), std::vector<std::string>{GTex().GetLine("GI_Mess_CloneInfo_Opt_Dashel", 0)});
    block[49] = 0x02;
    block[50] = 0x21;
    EXPECT_EQ(cloneinfo::Options(block), (std::vector<std::string>{GTex().GetLine("GI_Mess_CloneInfo_Opt_Ferrin", 0),
                                                                   GTex().GetLine("GI_Mess_CloneInfo_Opt_Hollis", 0)}));
    block[53] = 0x20;
    EXPECT_EQ(cloneinfo::OverVoltage(block), GTex().GetLine("GI_Mess_CloneInfo_OverVolt", 0));
}

}  // namespace
