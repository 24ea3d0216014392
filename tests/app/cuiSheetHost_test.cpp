// The sheet host: which kind of sheet a reference opens, and the memory of view positions.

#include "app/cuiSheetHost.h"

#include <gtest/gtest.h>

namespace {

TEST(cuiSheetHostTest, TheStyleOrAnROptionChoosesTheKind) {
    struct Case {
        const char* ref;
        OpenSheet::Kind kind;
    };
    const Case cases[] = {
        {"[St_ChBank]GI_Sheet_Mch_LMR,Bank 3", OpenSheet::Kind::ChBank},
        {"[st_chbank]GI_Sheet_Mch_LMR,Bank 3", OpenSheet::Kind::ChBank},  // styles compare without case
        {"[St_Common]GI_Sheet_Common", OpenSheet::Kind::Common},
        {"GI_Sheet_Rpt,R", OpenSheet::Kind::Repeater},
        {"[St_Common]GI_Sheet_Rpt,R", OpenSheet::Kind::Common},  // a style wins over the option
        {"GI_Sheet_Dtmf", OpenSheet::Kind::Plain},
        {"GI_Sheet_Dtmf,X", OpenSheet::Kind::Plain},
    };
    for (const Case& c : cases) {
        cuiSheetHost host;
        EXPECT_EQ(host.Open(c.ref).kind, c.kind) << c.ref;
    }
}

TEST(cuiSheetHostTest, AReopenedSheetComesBackWhereItWasLeft) {
    cuiSheetHost host;
    EXPECT_FALSE(host.Close()) << "nothing open";
    OpenSheet& common = host.Open("GI_Sheet_Common");
    common.topRow = 12;
    common.curCol = 3;
    host.Open("GI_Sheet_Dtmf").curRow = 4;  // closes Common, remembering it
    host.Open("GI_Sheet_Common");
    ASSERT_NE(host.Sheet(), nullptr);
    EXPECT_EQ(host.Sheet()->topRow, 12);
    EXPECT_EQ(host.Sheet()->curCol, 3);
    host.Open("GI_Sheet_Dtmf");
    EXPECT_EQ(host.Sheet()->curRow, 4);
    // One entry per reference, the latest first.
    ASSERT_EQ(host.Memory().size(), 2u);
    EXPECT_EQ(host.Memory().front().ref, "GI_Sheet_Common");

    host.Discard();  // the window goes: nothing is remembered of the open sheet
    EXPECT_EQ(host.Sheet(), nullptr);
    EXPECT_EQ(host.Memory().front().ref, "GI_Sheet_Common");
}

}  // namespace
