#include "overlay/cmcFCache.h"

#include "support/OverlayFragment.h"

#include <gtest/gtest.h>

namespace {

using testsupport::ScopedOverlay;

constexpr CellId kFlex0 = CellIdOf("Flex0");

class cmcFCacheTest : public ::testing::Test {
protected:
    // Choices of Flex0 in two columns; the directive line, the empty line and the cell of
    // another identifier hold no choices.
    ScopedOverlay overlay{{
        "#GI_Sheet_Sel_Test_Cells",
        "|{(%CT_Null.Flex0[3]:Low)}|{(%CT_Null.Flex0[1])}Off|",
        ":(LoopFrom 2)",
        "|{(%CT_Null.Flex0[2]:Mid)}|{(%CT_Null.Flex1[9]:Other)}|",
        "",
        "|{(%CT_Null.Flex0[5]:High)}|",
        "|{(%CT_Null.Flex0[3]:Again)}|",
        "#",
    }};
    cmcFCache cache;
    ScopedFCache install{cache};
};

TEST_F(cmcFCacheTest, TextOfAValue) {
    for (const auto& [value, text] : std::vector<std::pair<int, std::string>>{
             {3, "Low"}, {1, "Off"}, {2, "Mid"}, {5, "High"}, {9, "error"}, {4, "error"}, {-1, "error"}}) {
        EXPECT_EQ(SelectionText("GI_Sheet_Sel_Test", kFlex0, value), text) << value;
    }
    EXPECT_EQ(SelectionText("GI_Sheet_Sel_Test", CellIdOf("Flex1"), 9), "Other");
    // 3 is written twice: equal values keep their reading order, so the first one's text shows.
    std::vector<std::string> byValue;
    for (const auto& e : cache.List("GI_Sheet_Sel_Test", kFlex0).byValue) byValue.push_back(e.text);
    EXPECT_EQ(byValue, (std::vector<std::string>{"Off", "Mid", "Low", "Again", "High"}));
}

TEST_F(cmcFCacheTest, StepsColumnByColumnAndWraps) {
    // Column 0 from the top: 3, 2, 5, 3; then column 1: 1.
    const auto& list = cache.List("GI_Sheet_Sel_Test", kFlex0);
    std::vector<int> order;
    for (const auto& e : list.byColumn) order.push_back(e.value);
    EXPECT_EQ(order, (std::vector<int>{3, 2, 5, 3, 1}));

    struct Case {
        int value, step, result;
    };
    for (const Case& c : {
             Case{3, 1, 2},
             Case{2, 1, 5},
             Case{5, 1, 3},
             Case{1, 1, 3},   // from the last choice to the first
             Case{3, -1, 1},  // before the first: the last
             Case{7, 1, 3},   // no choice: the first
             Case{2, 10, 3},  // past the end: the first
             Case{5, 0, 5},
         }) {
        EXPECT_EQ(SelectionStep("GI_Sheet_Sel_Test", kFlex0, c.value, c.step), c.result)
            << c.value << " step " << c.step;
    }
}

TEST_F(cmcFCacheTest, AListIsReadOnceAndKeptForTheRun) {
    EXPECT_EQ(SelectionText("GI_Sheet_Sel_Test", kFlex0, 3), "Low");
    ScopedOverlay other({"#GI_Sheet_Sel_Test_Cells", "|{(%CT_Null.Flex0[3]:Changed)}|", "#"});
    EXPECT_EQ(SelectionText("GI_Sheet_Sel_Test", kFlex0, 3), "Low");
    EXPECT_EQ(SelectionText("GI_Sheet_Sel_Test", CellIdOf("Flex1"), 9), "error") << "a new list reads the store now";

    ScopedOverlay empty({"#GI_Sheet_Sel_None_Cells", "|Nothing here|", "#"});
    EXPECT_EQ(SelectionText("GI_Sheet_Sel_None", kFlex0, 0), "error");
    EXPECT_EQ(SelectionStep("GI_Sheet_Sel_None", kFlex0, 4, 1), 4) << "no choices: the value stays";
}

}  // namespace
