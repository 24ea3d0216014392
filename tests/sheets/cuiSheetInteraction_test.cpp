// The sheet as the user works on it: moves, keys, selection, the in-place editor, popup
// upkeep, auto-repeat on virtual time, and the drawing rules.

#include "platform/doubles/VirtualScheduler.h"
#include "sheets/cuiSheet.h"
#include "support/OverlayFragment.h"
#include "support/SheetSupport.h"
#include "values/KeyCodes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::OverlayFragment;
using testsupport::RecordingSite;
using testsupport::RecordingView;
using testsupport::ScriptedCallback;
namespace vk = cellkey::vk;

std::vector<std::string> SheetLines(const std::string& style, const std::vector<std::string>& cells,
                                    std::vector<std::string> extra = {}) {
    std::vector<std::string> lines{"#GI_Sheet_T_Style", style, "#GI_Sheet_T_BasicCell", "{H}", "#GI_Sheet_T_Cells"};
    lines.insert(lines.end(), cells.begin(), cells.end());
    lines.insert(lines.end(), extra.begin(), extra.end());
    lines.push_back("#End_Of_Ovl");
    return lines;
}

struct SheetFixture : ::testing::Test {
    void Make(const std::string& style, const std::vector<std::string>& cells, bool framed = false,
              std::vector<std::string> extra = {}) {
        overlay = std::make_unique<OverlayFragment>(SheetLines(style, cells, std::move(extra)));
        sheet = std::make_unique<cuiSheet>(site, overlay->store(), "GI_Sheet_T");
        sheet->SetMetrics(&metrics);
        sheet->SetValueCallback(values.Callback());
        sheet->SetFramed(framed);
        sheet->AttachView(&view);
        sheet->Show();
        sheet->SetViewport(400, 15 * 8);  // eight rows of 15
        site.told.clear();
    }
    SheetKey Key(std::int32_t code, bool shift = false) { return {code, 0, shift, false, false}; }

    platform::ScopedVirtualTime time;
    RecordingSite site;
    FixedTextMetrics metrics;
    ScriptedCallback values;
    RecordingView view;
    std::unique_ptr<OverlayFragment> overlay;
    std::unique_ptr<cuiSheet> sheet;
};

TEST_F(SheetFixture, RightOnTheLastSelectableColumnActsOnTheCell) {
    Make("", {"a|b|c|{S}d", "a|b|c|{S}e"});
    ASSERT_EQ(sheet->Current(), (SheetPos{3, 0}));
    sheet->KeyDown(Key(vk::kRight));
    EXPECT_EQ(sheet->Current(), (SheetPos{3, 0}));
    ASSERT_EQ(values.Of(CellMode::Action).size(), 1u);
    EXPECT_EQ(values.Of(CellMode::Action)[0].key, 0x2700);
    EXPECT_EQ(site.told, (std::vector<std::string>{"4", "9"})) << "status cleared, then commands refreshed";
}

TEST_F(SheetFixture, MovesFindTheNearestSelectableCellAcrossIrregularRows) {
    Make("", {"{S}a|b|{S}c", "x|x|x", "x|{S}d|x", "{S}e|x|{S}f"});
    sheet->KeyDown(Key(vk::kRight));
    EXPECT_EQ(sheet->Current(), (SheetPos{2, 0}));
    sheet->KeyDown(Key(vk::kDown));
    EXPECT_EQ(sheet->Current(), (SheetPos{2, 3})) << "down the same column first";
    sheet->KeyDown(Key(vk::kUp));
    sheet->KeyDown(Key(vk::kLeft));
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 0}));
    sheet->MoveBy(0, 1);
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 3}));
    sheet->KeyDown(Key(vk::kUp, false));
    sheet->KeyDown({vk::kDown, 0, false, true, false});
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 0})) << "Ctrl+Down is not a move";
    site.told.clear();
    sheet->KeyDown(Key(vk::kDown));
    EXPECT_EQ(site.told, (std::vector<std::string>{"4", "19 1101[0]"})) << "a move reports the new current cell";
}

TEST_F(SheetFixture, AFramedListWrapsSingleStepsButNotPages) {
    Make("", {"{S}a", "{S}b", "{S}c"}, true);
    sheet->KeyDown(Key(vk::kDown));
    sheet->KeyDown(Key(vk::kDown));
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 2}));
    sheet->KeyDown(Key(vk::kDown));
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 0})) << "wraps to the first";
    sheet->KeyDown(Key(vk::kUp));
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 2}));
    sheet->SetScrollBars(true);
    sheet->KeyDown(Key(vk::kDown));
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 2})) << "no wrap once the list scrolls";
}

TEST_F(SheetFixture, PagesMoveTenRowsAndScroll) {
    Make("(FixedRows=1)", {"head", ":(LoopFrom 30)", "{S(%CT_Mch.CL_Mch_FreqR[0])}", ":(LoopTo)"});
    ASSERT_EQ(sheet->Current(), (SheetPos{0, 1}));
    sheet->KeyDown(Key(vk::kPageDown));
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 11}));
    EXPECT_LE(sheet->TopRow(), 11);
    EXPECT_GE(sheet->LastVisibleRow(), 11) << "the current cell is kept in view";
    sheet->KeyDown(Key(vk::kPageDown));
    sheet->KeyDown(Key(vk::kPageDown));
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 30})) << "stops at the last row";
    sheet->KeyDown(Key(vk::kPageUp));
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 20}));
    for (int i = 0; i < 3; ++i) sheet->KeyDown(Key(vk::kPageUp));
    EXPECT_EQ(sheet->TopRow(), 1) << "back on the first selectable row the sheet scrolls fully up";
}

TEST_F(SheetFixture, ShiftDownSelectsWholeLinesInLineMode) {
    Make("(FixedCols=1)(MultiSelect=Line)", {"r0|{S(%CT_Mch.CL_Mch_FreqR[0])}|{S(%CT_Mch.CL_Mch_Text[0])}",
                                            "r1|{S(%CT_Mch.CL_Mch_FreqR[1])}|{S(%CT_Mch.CL_Mch_Text[1])}",
                                            "r2|{S(%CT_Mch.CL_Mch_FreqR[2])}|{S(%CT_Mch.CL_Mch_Text[2])}",
                                            ":(SelectOFF)", "new|{S}|{S}"});
    sheet->KeyDown(Key(vk::kDown, true));
    sheet->KeyDown(Key(vk::kDown, true));
    EXPECT_TRUE(sheet->SelectionActive());
    for (int r = 0; r < 3; ++r) {
        EXPECT_TRUE(sheet->EntryAt(1, r).selected) << r;
        EXPECT_FALSE(sheet->EntryAt(2, r).selected) << "a cell selection stays in its column";
        EXPECT_TRUE(sheet->EntryAt(2, r).rowSelected) << "the line is selected";
        EXPECT_FALSE(sheet->EntryAt(0, r).rowSelected) << "fixed cells are not";
    }
    sheet->KeyDown(Key(vk::kDown, true));
    EXPECT_EQ(sheet->Current(), (SheetPos{1, 3}));
    EXPECT_FALSE(sheet->EntryAt(1, 3).selected) << "a row outside multiple selection moves the anchor";
    EXPECT_EQ(sheet->Anchor(), (SheetPos{1, 3}));

    // The value callback sees the range of the first non-fixed column's indexes.
    sheet->SelectAt(1, 0);
    sheet->KeyDown(Key(vk::kDown, true));
    std::optional<std::int32_t> low, high;
    values.answer = [&](cmcCellCapsule& r) {
        low = r.rangeLow, high = r.rangeHigh;
        return CellResult::None;
    };
    sheet->KeyDown({0, 'c', false, false, false});
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 1);
    EXPECT_FALSE(sheet->SelectionActive()) << "an action that selects nothing clears the marks";
}

TEST_F(SheetFixture, TheCallbackMaySelectARangeOfIndexes) {
    Make("(MultiSelect=Cell)", {":(LoopFrom 6)", "{S(%CT_Mch.CL_Mch_FreqR[0])}|{S(%CT_Mch.CL_Mch_Text[0])}",
                                ":(LoopTo)"});
    sheet->SelectAt(0, 2);
    values.answer = [](cmcCellCapsule& r) {
        r.selectFrom = 4;
        r.selectTo = 2;
        return CellResult::None;
    };
    sheet->Action('x');
    for (int r = 0; r < 6; ++r) EXPECT_EQ(sheet->EntryAt(0, r).selected, r >= 2 && r <= 4) << r;
    EXPECT_FALSE(sheet->EntryAt(1, 3).selected) << "only cells of the current cell's identifier";
    EXPECT_EQ(sheet->Anchor().row, 4) << "the end that is not the current cell's index";
}

TEST_F(SheetFixture, TypingOpensTheEditorOnlyWhenTheCallbackAsks) {
    Make("", {"{S(%CT_Mch.CL_Mch_Text[0])}"});
    sheet->KeyDown({0, 'a', false, false, false});
    EXPECT_FALSE(sheet->EditorOpen());

    values.answer = [](cmcCellCapsule& r) {
        if (r.mode != CellMode::Action) return CellResult::None;
        r.editText = "a";
        r.editStart = 1;
        return CellResult::StartEdit;
    };
    sheet->KeyDown({0, 'a', false, false, false});
    ASSERT_TRUE(sheet->EditorOpen());
    EXPECT_EQ(sheet->EditorText(), "a");
    EXPECT_EQ(sheet->EditorSelStart(), 1);
    sheet->SetEditorText(std::string(2000, 'x'));
    EXPECT_EQ(sheet->EditorText().size(), 1024u) << "the editor holds at most 1,024 characters";

    sheet->EditorKey(Key(vk::kEscape));
    EXPECT_FALSE(sheet->EditorOpen());
    EXPECT_TRUE(values.Of(CellMode::SetText).empty()) << "Escape keeps the value";

    sheet->KeyDown({0, 'a', false, false, false});
    sheet->SetEditorText("NEW");
    sheet->EditorKey(Key(vk::kReturn));
    EXPECT_FALSE(sheet->EditorOpen());
    ASSERT_EQ(values.Of(CellMode::SetText).size(), 1u);
    EXPECT_EQ(values.Of(CellMode::SetText)[0].text, "NEW");
}

TEST_F(SheetFixture, ARefusedTextReopensTheEditorAndRedrawMessageTwentyOneCommits) {
    Make("", {"{S(%CT_Mch.CL_Mch_Text[0])}"});
    sheet->OpenEditor("bad", 0, 3);
    values.answer = [](cmcCellCapsule& r) {
        if (r.mode != CellMode::SetText) return CellResult::None;
        r.editText = r.editText + "?";
        return CellResult::StartEdit;
    };
    sheet->CommitEditor();
    EXPECT_TRUE(sheet->EditorOpen());
    EXPECT_EQ(sheet->EditorText(), "bad?");
}

TEST_F(SheetFixture, FramedSheetsPickInsteadOfActing) {
    Make("", {"{S(%CT_Null.Flex0[1])}one", "{S(%CT_Null.Flex0[2])}two"}, true);
    sheet->Hover(0, 1);
    EXPECT_EQ(sheet->Current(), (SheetPos{0, 1})) << "hover selection";
    sheet->MouseDown(0, 1, false);
    sheet->MouseUp(0, 1);
    ASSERT_EQ(values.Of(CellMode::Pick).size(), 1u) << "a release acts as a double click";
    EXPECT_EQ(values.Of(CellMode::Pick)[0].index, 2);
    EXPECT_EQ(view.closed, 1);
}

TEST_F(SheetFixture, ThePopupMenuFollowsTheCurrentCellWhileFocused) {
    Make("", {"{S(PopupMenu=GI_PMenu_Edit)}a", "{S(PopupMenu=GI_PMenu_Edit)}b", "{S}c"});
    sheet->SelectAt(0, 1);
    EXPECT_EQ(site.told, (std::vector<std::string>{"19 1101[0]"})) << "no upkeep without the focus";
    site.told.clear();
    sheet->SetFocus(true);
    EXPECT_EQ(site.told, (std::vector<std::string>{"10", "11 GI_PMenu_Edit", "9"}));
    site.told.clear();
    sheet->SelectAt(0, 0);
    EXPECT_EQ(site.told, (std::vector<std::string>{"19 1101[0]"})) << "the same menu stays";
    site.told.clear();
    sheet->SelectAt(0, 2);
    EXPECT_EQ(site.told, (std::vector<std::string>{"19 1101[0]", "10", "9"}));
    site.told.clear();
    sheet->SetFocus(false);
    EXPECT_EQ(site.told, (std::vector<std::string>{"10", "9"}));
}

TEST_F(SheetFixture, AutoRepeatWaitsThirtyMillisecondsThenSixLessEachTime) {
    Make("", {"{S(%CT_Mch.CL_Mch_FreqR[0])}"});
    int repeats = 0;
    values.answer = [&](cmcCellCapsule& r) {
        if (r.mode == CellMode::Action && repeats++ < 4) r.repeatKey = 0x2600;
        return CellResult::None;
    };
    sheet->Action(0x2600);
    std::vector<std::uint64_t> at;
    for (int ms = 0; ms < 200 && at.size() < 4; ++ms) {
        const std::size_t before = values.calls.size();
        time.clock.advance(1);
        if (values.calls.size() > before) at.push_back(time.clock.now());
    }
    EXPECT_EQ(at, (std::vector<std::uint64_t>{30, 54, 72, 84}));
    EXPECT_GE(view.repaints, 4) << "the grid is repainted before each repeat";
}

TEST_F(SheetFixture, RedrawMessagesNameOnlyVisibleMatchingCells) {
    Make("", {":(LoopFrom 40)", "{S(%CT_Mch.CL_Mch_FreqR[0])}|plain", ":(LoopTo)"});
    view.cells.clear();
    sheet->RedrawCells(RedrawFilter::IndexFrom, 5);
    ASSERT_FALSE(view.cells.empty());
    for (auto [c, r] : view.cells) {
        EXPECT_EQ(c, 0) << "unbound cells are not redrawn";
        EXPECT_GE(r, 5);
        EXPECT_LE(r, sheet->LastVisibleRow() + 1) << "nor cells out of view";
    }
}

TEST_F(SheetFixture, DrawingAsksOnlyBoundCellsAndFollowsTheirLook) {
    Make("", {"{S^}Wide|{+}|{S(%CT_Mch.CL_Mch_FreqR[7])}|{T}t", "{W}abcdefgh|{W}abcdefgh|{B(Color=clRed)}|x"});
    values.answer = [](cmcCellCapsule& r) {
        r.displayText = "7.5";
        r.markFlags = kMarkFlagError;
        return CellResult::None;
    };
    const std::int32_t w = 8 * 7 + 8;
    const CellDrawing plus = sheet->Describe(1, 0, {w, 0, 2 * w, 15});
    EXPECT_EQ(plus.left, 0) << "a continued cell draws the cell to its left over both";
    EXPECT_EQ(plus.right, 2 * w);
    ASSERT_EQ(plus.lines.size(), 1u);
    EXPECT_EQ(plus.lines[0].text, "Wide");
    EXPECT_EQ(plus.lines[0].x, (2 * w + 1 - 4 * 7) / 2) << "centred over the span";
    EXPECT_EQ(plus.background, ColourOf("clBtnFace")) << "the current cell without the focus";
    EXPECT_TRUE(values.calls.empty()) << "unbound cells never ask the callback";

    const CellDrawing tracked = sheet->Describe(3, 0, {0, 0, 10, 15});
    EXPECT_EQ(tracked.background, ColourOf("clWindow")) << "row tracking needs a selectable cell on its left";
    sheet->SelectAt(2, 0);
    sheet->SetFocus(true);
    EXPECT_EQ(sheet->Describe(3, 0, {0, 0, 10, 15}).background, ColourOf("clHighlight"));
    EXPECT_TRUE(sheet->SelectAt(3, 0)) << "clicking a tracking cell selects its selectable cell";
    EXPECT_EQ(sheet->Current(), (SheetPos{2, 0}));

    const CellDrawing bound = sheet->Describe(2, 0, {0, 0, 40, 15});
    EXPECT_EQ(bound.lines[0].text, "7.5");
    EXPECT_EQ(bound.mark, CellDrawing::Mark::Error);
    EXPECT_EQ(bound.textColour, ColourOf("clHightlightText"));
    const CellDrawing red = sheet->Describe(2, 1, {0, 0, 40, 15});
    EXPECT_EQ(red.bottomLine, 0xFFFFFFu) << "a bottom line on a coloured cell is white";
    EXPECT_EQ(red.fill, ColourOf("clRed"));
}

}  // namespace
