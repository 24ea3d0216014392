#include "overlay/CellNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

static_assert(CellIdOf("CL_Mch_FreqR") == 110);
static_assert(CategoryOf("CT_Rpt") == 25);

TEST(CellNames, IdentifiersKeepTheirNumbers) {
    struct Case {
        const char* name;
        CellId id;
    };
    // The worked examples, and the first and last entry of groups whose numbers jump.
    for (const Case& c : {
             Case{"CL_PMenu_Edit", 82},
             Case{"CL_FBits", 103},
             Case{"CL_Misc_QuarterPillar", 106},
             Case{"CL_Null", 0},
             Case{"Flex0", 1},
             Case{"FlexEeDebugWin", 7},
             Case{"CL_Menu_File_New", 8},
             Case{"CL_Menu_View_Ad_Update", 26},
             Case{"CallSheet", 42},
             Case{"CL_CloneInfo_CheckSum", 60},
             Case{"CL_CloneInfo_Dummy", 63},
             Case{"CL_EeDebugWin_0", 65},
             Case{"CL_EeDebugWin_F", 80},
             Case{"CL_Mch_UsedCHs", 102},
             Case{"CL_Mch_No", 107},
             Case{"CL_Mch_SQL_Type", 161},
             Case{"CL_Mch_AreaBit", 291},
             Case{"CL_2TTx_Freq_1st", 483},
             Case{"CL_2T_1st_Period", 484},
             Case{"CL_2T_TxText", 487},
             Case{"CL_Maker_ClShift", 575},
             Case{"CL_Maker_RollStart_RX", 577},
             Case{"CL_Maker_mRSSISL", 666},
             Case{"CL_Adjust_MOD_M_H_Sweep", 788},
             Case{"CL_ADP_GAIN_LV6", 1048},
             Case{"CL_WinAD_BATTD", 1049},
             Case{"CL_Maker_VOXTV", 1075},
             Case{"CL_WinAD_SQLV", 1099},
             Case{"CL_Dummy", 1100},
         }) {
        EXPECT_EQ(CellIdFromName(c.name), c.id) << c.name;
        EXPECT_EQ(CellIdName(c.id), c.name) << c.id;
    }
}

TEST(CellNames, EveryIdentifierRoundTripsAndTheGapsNameNothing) {
    int named = 0;
    for (CellId id = 0; id < kCellIdCount; ++id) {
        const std::string_view name = CellIdName(id);
        if (name.empty()) continue;
        ++named;
        EXPECT_EQ(CellIdFromName(name), id) << name;
    }
    EXPECT_EQ(named, 1098);
    for (CellId gap : {61, 62, 576, 1101, -1, 5000}) EXPECT_EQ(CellIdName(gap), "") << gap;
    EXPECT_EQ(CellIdFromName(""), kNoCellId);
}

TEST(CellNames, CategoriesAndTheirRecordKinds) {
    struct Case {
        const char* name;
        CellCategory category;
        std::int32_t kind;
    };
    for (const Case& c : {
             Case{"CT_Null", 0, 0},
             Case{"CT_PopupMenu", 1, 0},
             Case{"CT_CEdit", 4, 5},
             Case{"CT_DTMF", 5, 6},
             Case{"CT_2Tone_Code", 10, 12},
             Case{"CT_UserTone", 12, 11},
             Case{"CT_BankOp", 13, 14},
             Case{"CT_MSK_AdrRange", 14, 0},
             Case{"CT_MSK_Msg_ShortTxt", 18, 18},
             Case{"CT_MSK_Cfg", 20, 0},
             Case{"CT_DIG_Inv", 21, 19},
             Case{"CT_DIG_Op", 23, 0},
             Case{"CT_DIG_NacCh", 24, 21},
             Case{"CT_Rpt", 25, 22},
             Case{"CT_ADJ", 26, 0},
         }) {
        EXPECT_EQ(CategoryFromName(c.name), c.category) << c.name;
        EXPECT_EQ(RecordKind(c.category, 0), c.kind) << c.name;
    }
    EXPECT_EQ(CategoryFromName(""), kNoCategory);
    EXPECT_EQ(RecordKind(kNoCategory, 3), 0);

    // The channel categories take the channel layout of the model type: the families LMR,
    // LMR P25, PMR and BIIS PMR, handheld (0..3) or mobile (4..7).
    const CellCategory mch = CategoryFromName("CT_Mch"), check = CategoryFromName("CT_Mch_Check");
    EXPECT_EQ(RecordKind(mch, 6), 3);
    for (int type = 0; type < 8; ++type) {
        EXPECT_EQ(RecordKind(mch, type), type % 4 + 1) << type;
        EXPECT_EQ(RecordKind(check, type), type % 4 + 1) << type;
    }
}

TEST(CellNamesDeathTest, NamesTheTablesDoNotHoldStop) {
    EXPECT_DEATH(CategoryFromName("CT_Nope"), "Cannot use the specified category\\.\n'CT_Nope'");
    EXPECT_DEATH(CellIdFromName("CL_Nope"), "Cannot use the specified cell\\.\n'CL_Nope'");
    EXPECT_DEATH(CellIdFromName("cl_pmenu_edit"), "Cannot use the specified cell\\.\n'cl_pmenu_edit'");
    EXPECT_DEATH(RecordKind(28, 0), "Unknown Cell Category\\. \\(28\\)");
    EXPECT_DEATH(RecordKind(-1, 0), "Unknown Cell Category\\. \\(-1\\)");
}

TEST(CellNamesDeathTest, EachVocabularyFindsOnlyItsOwnNames) {
    // Whatever was looked up first, a category slot holding an identifier name (or the
    // other way round) is an unknown name, not a number from the other table.
    EXPECT_EQ(CellIdFromName("CL_Mch_Text"), 116);
    EXPECT_EQ(CategoryFromName("CT_Mch"), 2);
    EXPECT_DEATH(CategoryFromName("CL_Mch_Text"), "Cannot use the specified category\\.\n'CL_Mch_Text'");
    EXPECT_DEATH(CellIdFromName("CT_Mch"), "Cannot use the specified cell\\.\n'CT_Mch'");
}

}  // namespace
