#include "overlay/cmcHash.h"

#include "overlay/cmcFCache.h"

#include <gtest/gtest.h>

namespace {

TEST(cmcHash, BucketOfATextFollowsTheRunningSum) {
    struct Case {
        const char* text;
        std::uint32_t buckets;
        std::uint32_t bucket;
    };
    for (const Case& c : {
             Case{"A", 1031, 580},     // 515 + 65
             Case{"AB", 1031, 710},    // (580 * 2 + 515 + 66) mod 1031; 'B' is even, so the half stays
             Case{"AC", 1031, 453},    // 'C' is odd: the half drops to 257 before it is added
             Case{"A", 0, 580},        // 0 buckets means 1,031
             Case{"\x80", 1031, 387},  // bytes from 0x80 count negative: 515 - 128
             Case{"", 1031, 0},
             Case{"ABC", 1, 0},
         }) {
        EXPECT_EQ(cmcHashBucket(c.text, c.buckets), c.bucket) << '"' << c.text << "\" in " << c.buckets;
    }
}

TEST(cmcHash, FindsExactTextsOnly) {
    cmcHash h(7);  // few buckets, so that chains hold several entries
    for (int i = 0; i < 50; ++i) h.Insert("key" + std::to_string(i), i * 3);
    for (int i = 0; i < 50; ++i) {
        const auto* v = h.Find("key" + std::to_string(i));
        ASSERT_NE(v, nullptr) << i;
        EXPECT_EQ(*v, i * 3);
    }
    EXPECT_EQ(h.Find("Key1"), nullptr) << "case-sensitive";
    EXPECT_EQ(h.Find("key1 "), nullptr);
    EXPECT_EQ(h.Find(""), nullptr);
}

TEST(cmcHashDeathTest, ATextInsertedTwiceStops) {
    cmcHash h;
    h.Insert("CL_Null", 0);
    EXPECT_DEATH(h.Insert("CL_Null", 5), "Overlapped Hash table\\.");
    cmcHash2 lists;
    lists.Insert("GI_Sheet_Sel#1", SelectionList{});
    EXPECT_DEATH(lists.Insert("GI_Sheet_Sel#1", SelectionList{}), "Overlapped Hash2 table\\.");
}

}  // namespace
