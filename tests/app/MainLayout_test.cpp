#include "app/MainLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(KeepReachable, FourCorrections) {
    const WorkArea area{0, 30, 1024, 738};
    struct Case {
        const char* what;
        WinRect saved, placed;
    };
    const Case cases[] = {
        {"inside stays", {100, 100, 800, 600}, {100, 100, 800, 600}},
        {"right of the area", {2000, 100, 800, 600}, {1008, 100, 800, 600}},
        {"below the area", {100, 900, 800, 600}, {100, 722, 800, 600}},
        {"far left", {-2000, 100, 800, 600}, {-784, 100, 800, 600}},
        {"above the area", {100, -50, 800, 600}, {100, 30, 800, 600}},
    };
    for (const Case& c : cases) EXPECT_EQ(KeepReachable(c.saved, area), c.placed) << c.what;
}

TEST(TreePanelWidth, NeverBelowEight) {
    EXPECT_EQ(TreePanelWidth(3), 8);
    EXPECT_EQ(TreePanelWidth(200), 200);
}

TEST(MessagePanelWidth, WhatTheOtherPanelsLeaveButNeverBelow100) {
    EXPECT_EQ(MessagePanelWidth(800, 20), 780);
    EXPECT_EQ(MessagePanelWidth(120, 20), 100);
    EXPECT_EQ(MessagePanelWidth(119, 20), 100);
    EXPECT_EQ(MessagePanelWidth(60, 20), 100) << "a bar narrower than the other panels";
}

TEST(SheetRef, StyleKeyOptions) {
    struct Case {
        const char* link;
        SheetRef ref;
    };
    const Case cases[] = {
        {"[St_ChBank]GI_Sheet_Mch_LMR,Bank 3", {"St_ChBank", "GI_Sheet_Mch_LMR", "Bank 3"}},
        {"GI_Sheet_Common,R,x", {"", "GI_Sheet_Common", "R,x"}},
        {"GI_Sheet_Plain", {"", "GI_Sheet_Plain", ""}},
    };
    for (const Case& c : cases) {
        const SheetRef r = ParseSheetRef(c.link);
        EXPECT_EQ(r.style, c.ref.style) << c.link;
        EXPECT_EQ(r.key, c.ref.key) << c.link;
        EXPECT_EQ(r.options, c.ref.options) << c.link;
    }
    EXPECT_TRUE(SameSheetRef("[st_chbank]gi_sheet,Bank 1", "[St_ChBank]GI_Sheet,bank 1"));
}

std::string Shape(const std::vector<OutlineNode>& nodes) {
    std::string s;
    for (const auto& n : nodes) {
        s += n.text;
        if (!n.children.empty()) s += "(" + Shape(n.children) + ")";
        s += " ";
    }
    if (!s.empty()) s.pop_back();
    return s;
}

TEST(BuildOutline, NestsDeeperLinesUnderThePreviousItem) {
    EXPECT_EQ(Shape(BuildOutline({"+File", "++New", "++Open", "+++Recent1", "++Exit", "+Help", "++About"})),
              "File(New Open(Recent1) Exit) Help(About)");
    // A third line deeper than the second nests under the second.
    EXPECT_EQ(Shape(BuildOutline({"+A", "+B", "++C"})), "A B(C)");
    // A line shallower than the group's first line ends the group.
    EXPECT_EQ(Shape(BuildOutline({"++A", "+++B", "+C"})), "A(B) C");
    EXPECT_TRUE(BuildOutline({}).empty());
}

}  // namespace
