// Building sheets from overlay definitions: rows, loops, skips, sizes, the kinds, and the
// fatal stops of an overlay that does not fit.

#include "sheets/cuiSheet.h"
#include "sheets/iuiSh_ChBank.h"
#include "sheets/iuiSh_Common.h"
#include "support/OverlayFragment.h"
#include "support/SheetSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::OverlayFragment;
using testsupport::RecordingSite;
using testsupport::ScriptedCallback;

// One sheet "GI_Sheet_T" with the given style and "_Cells" lines.
std::vector<std::string> SheetLines(const std::string& style, const std::vector<std::string>& cells,
                                    const std::string& basic = "{(CellModel)}") {
    std::vector<std::string> lines{"#GI_Sheet_T_Style", style, "#GI_Sheet_T_BasicCell", basic, "#GI_Sheet_T_Cells"};
    lines.insert(lines.end(), cells.begin(), cells.end());
    lines.push_back("#End_Of_Ovl");
    return lines;
}

template <class Sheet = cuiSheet>
struct Built {
    Built(const std::string& style, const std::vector<std::string>& cells, std::int32_t dpi = 0,
          std::string parameter = {})
        : overlay(SheetLines(style, cells)) {
        sheet = std::make_unique<Sheet>(site, overlay.store(), "GI_Sheet_T");
        sheet->SetMetrics(&metrics);
        sheet->SetValueCallback(values.Callback());
        if (dpi) sheet->SetPrinter(dpi);
        if (!parameter.empty()) sheet->SetParameter(parameter);
        sheet->Show();
    }
    OverlayFragment overlay;
    RecordingSite site;
    FixedTextMetrics metrics;  // 7 a character, 13 a line
    ScriptedCallback values;
    std::unique_ptr<Sheet> sheet;
};

TEST(cuiSheetDeathTest, AnOverlayThatGivesNoCellsStops) {
    EXPECT_DEATH(Built<>("", {"#Begins the rows"}), "Illegal Cell assign");
    EXPECT_DEATH(
        {
            Built<> b("", {"A|B"});
            b.sheet->CellAt(2, 0);
        },
        "Illegal Cell selection");
}

TEST(cuiSheet, RowsColumnsAndFixedParts) {
    Built<> b("(FixedRows=5)(FixedCols=9)", {"A|B|C", "", "D"});
    EXPECT_EQ(b.sheet->ColCount(), 3) << "the widest row";
    EXPECT_EQ(b.sheet->RowCount(), 3) << "an empty line is a row without cells";
    EXPECT_EQ(b.sheet->FixedRows(), 2) << "at most row count - 1";
    EXPECT_EQ(b.sheet->FixedCols(), 2);
    EXPECT_EQ(b.sheet->CellAt(1, 0).content, "B");
    EXPECT_FALSE(b.sheet->CellAt(1, 2).content) << "a short row leaves its other cells empty";
}

TEST(cuiSheet, AOneLineLoopIsCopiedWithRisingIndexesAndEqualHeights) {
    Built<> b("", {"head", ":(LoopFrom 4)", "{H(%CT_Mch.CL_Mch_FreqR[3])}two\\nlines|x", ":(LoopTo)", "tail"});
    ASSERT_EQ(b.sheet->RowCount(), 6);
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(b.sheet->CellAt(0, r).key.index, 3 + r - 1) << "row " << r;
        EXPECT_EQ(b.sheet->RowHeight(r), 2 * 13 + 2) << "row " << r;
    }
    EXPECT_EQ(b.sheet->CellAt(0, 5).content, "tail");
    EXPECT_EQ(b.sheet->RowHeight(5), 1) << "an unsized row keeps the unit";
}

TEST(cuiSheet, ALoopOfSeveralLinesRepeatsTheBodyAndCountersCarryOn) {
    Built<> b("", {":(LoopFrom 3)", "{(@ch1++)(%CT_Mch.CL_Mch_FreqR[@ch1])}", "sep", ":(LoopTo)"});
    ASSERT_EQ(b.sheet->RowCount(), 6);
    EXPECT_EQ(b.sheet->CellAt(0, 0).key.index, 1);
    EXPECT_EQ(b.sheet->CellAt(0, 2).key.index, 2) << "the body is parsed again, so counters count on";
    EXPECT_EQ(b.sheet->CellAt(0, 4).key.index, 3);
    EXPECT_EQ(b.sheet->CellAt(0, 5).content, "sep");
}

TEST(cuiSheet, AutoWidthWidensAColumnAndNeverNarrowsIt) {
    Built<> b("", {"{W}9|x", "{W}999", "{W}", "{H}a\\nb\\nc"});
    EXPECT_EQ(b.sheet->ColWidth(0), 3 * 7 + 8);
    EXPECT_EQ(b.sheet->ColWidth(1), 1);
    EXPECT_EQ(b.sheet->RowHeight(3), 3 * 13 + 2);
    EXPECT_EQ(b.sheet->NeededWidth(4), 3 * 7 + 8 + 1 + 4);
}

TEST(cuiSheet, APrinterOf600DpiWorksInUnitsOf5) {
    Built<> b("", {"{WH}9"}, 600);
    EXPECT_EQ(b.sheet->Unit(), 5);
    EXPECT_EQ(b.sheet->ColWidth(0), 7 + 40);
    EXPECT_EQ(b.sheet->RowHeight(0), 13 + 10);
    Built<> low("", {"x"}, 96);
    EXPECT_EQ(low.sheet->Unit(), 1) << "at least one";
}

TEST(cuiSheet, ASheetWithoutSelectableCellsIsDisabled) {
    Built<> none("", {"A|B"});
    EXPECT_FALSE(none.sheet->Enabled());
    Built<> some("(FixedRows=1)", {"A|B", "x|{S}y", "x|{S}z"});
    EXPECT_TRUE(some.sheet->Enabled());
    EXPECT_EQ(some.sheet->Current(), (SheetPos{1, 1})) << "the first selectable cell near the top left";
    EXPECT_EQ(some.sheet->FirstSelectable(), (SheetPos{1, 1}));
}

TEST(cuiSheet, SkippedLinesAreNeverParsed) {
    struct Case {
        std::string directive;
        bool handheld;
        bool skips;
    };
    for (const Case& c : std::vector<Case>{
             {":(Never 2)", false, true},
             {":(Only_Mob 2)", true, true},
             {":(Only_Mob 2)", false, false},
             {":(Only_Mob)", true, false},  // no count: skips nothing
         }) {
        // Lines that are skipped hold markup that would stop the program if parsed.
        const std::string line = c.skips ? "{(%CT_Bogus.Nothing)}" : "row";
        OverlayFragment overlay(SheetLines("", {c.directive, line, line, "kept"}));
        RecordingSite site;
        site.conditions.handheld = c.handheld;
        cuiSheet sheet(site, overlay.store(), "GI_Sheet_T");
        sheet.Show();
        EXPECT_EQ(sheet.RowCount(), c.skips ? 1 : 3) << c.directive << " handheld " << c.handheld;
    }
}

TEST(cuiSheet, TheConditionalKindKnowsTheModelConditions) {
    OverlayFragment overlay(SheetLines("", {":(Only_Lmr 1)", "lmr", "all"}));
    RecordingSite site;
    site.conditions.lmrFamily = false;
    cuiSheet plain(site, overlay.store(), "GI_Sheet_T");
    plain.Show();
    EXPECT_EQ(plain.RowCount(), 2) << "a plain sheet ignores model conditions";
    iuiSh_Common common(site, overlay.store(), "GI_Sheet_T");
    common.Show();
    EXPECT_EQ(common.RowCount(), 1);
}

TEST(cuiSheet, TheFontSizeReachesTheBasicCell) {
    OverlayFragment overlay(SheetLines("", {"x"}, "{(Font=,,,-20,,,)}"));
    RecordingSite site;
    site.fontPercentage = 150;
    cuiSheet scaled(site, overlay.store(), "GI_Sheet_T");
    scaled.Show();
    EXPECT_EQ(scaled.BasicCell().font->height, -30);
    cuiSheet fixed(site, overlay.store(), "GI_Sheet_T");
    fixed.SetFontHeight(-9);
    fixed.Show();
    EXPECT_EQ(fixed.BasicCell().font->height, -9);
}

TEST(cuiSheet, ShowGoesToTheWantedCellOrTheSavedPosition) {
    const std::vector<std::string> cells{"{S(%CT_Mch.CL_Mch_FreqR[0])}", "{S(%CT_Mch.CL_Mch_FreqR[1])}",
                                         "{S(%CT_Mch.CL_Mch_FreqR[2])}"};
    OverlayFragment overlay(SheetLines("", cells));
    RecordingSite site;
    cuiSheet wanted(site, overlay.store(), "GI_Sheet_T", 110, 2);
    wanted.Show();
    EXPECT_EQ(wanted.Current(), (SheetPos{0, 2}));

    cuiSheet saved(site, overlay.store(), "GI_Sheet_T", 110, 2);
    saved.SetPosition(0, 1, 0, 1);
    saved.Show();
    EXPECT_EQ(saved.Current(), (SheetPos{0, 1})) << "a saved position wins over the wanted cell";
    EXPECT_EQ(saved.TopRow(), 1);

    cuiSheet outside(site, overlay.store(), "GI_Sheet_T");
    outside.SetPosition(0, 9, 0, 9);
    outside.Show();
    EXPECT_EQ(outside.Current(), (SheetPos{0, 0})) << "a position outside the grid is forgotten";
}

TEST(cuiSheet, ABankSheetLoopsOverItsChannelsInA522RowArray) {
    OverlayFragment overlay(SheetLines("(FixedRows=1)(MultiSelect=Line)",
                                       {"No|Freq", ":(LoopFrom)", "{S(%CT_Mch.CL_Mch_No[@ch0])}|{S(%CT_Mch.CL_Mch_FreqR[@ch0])}",
                                        ":(LoopTo)"}));
    RecordingSite site;
    site.context.records.setBankCount(0, 4);
    site.context.records.setBankCount(1, 3);
    iuiSh_ChBank bank(site, overlay.store(), "GI_Sheet_T");
    ScriptedCallback values;
    bank.SetValueCallback(values.Callback());
    bank.SetParameter("Bank 1");
    bank.Show();
    EXPECT_EQ(bank.FirstChannel(), 4);
    EXPECT_EQ(bank.RowCount(), 1 + 3 + 1) << "one row per channel and one for a new channel";
    EXPECT_EQ(bank.ArrayRows(), 522);
    EXPECT_EQ(bank.CellAt(1, 1).key.index, 4);
    EXPECT_EQ(bank.CellAt(1, 4).key.index, 7);
    EXPECT_TRUE(bank.EntryAt(1, 4).mayJoin);
    for (int i = 0; i < 4; ++i) bank.AddLastRow();
    ASSERT_EQ(bank.RowCount(), 9);
    EXPECT_EQ(bank.CellAt(1, 8).key.index, 11) << "spare rows continue the indexes";
    EXPECT_FALSE(bank.EntryAt(1, 3 + 5).mayJoin) << "the row list entry past the new-channel rows";

    // The last row goes while it is current and its editor is open.
    ASSERT_TRUE(bank.SelectAt(1, 8));
    bank.OpenEditor("typed", 0, 0);
    bank.RemoveLastRow();
    EXPECT_EQ(bank.RowCount(), 8);
    EXPECT_EQ(bank.Current(), (SheetPos{1, 7}));
    EXPECT_FALSE(bank.EditorOpen());
    EXPECT_TRUE(values.Of(CellMode::SetText).empty()) << "nothing was committed to the row that went";
}

}  // namespace
